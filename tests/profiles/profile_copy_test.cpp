#include "profiles/profile_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/profile_database.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using ::trulvex::testing::Cp;
using ::trulvex::testing::ReadFile;
using ::trulvex::testing::TempDir;
using ::trulvex::testing::WriteFile;
using Icon = UserMessage::Icon;
using Names = std::vector<std::string>;

constexpr char kDt[] = "ASM \x97 DT For PIC";
constexpr char kDe[] = "ASM \x97 DE For PIC";
constexpr char kBasic[] = "MikroBasic For PIC";
constexpr fs::perms kAllWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// The shipped database plus a profile of the user's with awkward texts.
fs::path MakeDatabase(const TempDir& dir) {
  const fs::path path = dir / "Profile.prof";
  EXPECT_TRUE(CreateProfileDatabase(path));
  ProfileRecord mine;
  mine.Directive = Cp(" .db ");
  mine.RazdelitelData = ",\t";
  mine.Comment = Cp("; — ");
  EXPECT_EQ(SaveProfile(path, Cp("Свой"), mine), SaveProfileResult::kSaved);
  return path;
}

Names ProfileNames(const fs::path& path) {
  Names names;
  EXPECT_TRUE(FillProfileList(path, &names)) << path;
  return names;
}

TEST(ProfileCopyTest, DatabaseIsRecognisedHoweverItIsSpelt) {
  TempDir dir;
  const fs::path database = dir / "Profile.prof";
  WriteFile(database, "");
  WriteFile(dir / "Other.prof", "");
  fs::create_directory(dir / "sub");
  fs::create_symlink(database, dir / "link.prof");
  fs::create_hard_link(database, dir / "hard.prof");
  const struct {
    fs::path chosen;
    fs::path database;
    bool same;
  } cases[] = {
      {dir / "sub" / ".." / "." / "Profile.prof", database, true},
      {dir / "link.prof", database, true},
      {dir / "hard.prof", database, true},
      {dir / "Other.prof", database, false},
      {dir / "New.prof", database, false},
      // Before the database exists, only its own path names it.
      {dir / "sub" / ".." / "None.prof", dir / "None.prof", true},
      {dir / "none.prof", dir / "None.prof", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsProfileDatabase(c.chosen, c.database), c.same) << c.chosen;
  }
}

TEST(ProfileCopyTest, ExtensionIsAddedOnlyWhenMissing) {
  const char* cases[][2] = {
      {"/d/out", "/d/out.prof"},    {"/d/out.", "/d/out..prof"},
      {"/d/out.txt", "/d/out.txt"}, {"/d.x/out", "/d.x/out.prof"},
      {"/d/.hidden", "/d/.hidden"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithProfileExtension(c[0]), fs::path(c[1])) << c[0];
  }
}

TEST(ProfileCopyTest, ExportedProfilesImportBackUnchanged) {
  TempDir dir;
  const fs::path database = MakeDatabase(dir);
  const std::string database_bytes = ReadFile(database);
  const ExportResult exported =
      ExportProfiles(database, dir / "out",
                     Names{Cp("Свой"), "", "Gone", "asm \x97 de for pic"});
  EXPECT_EQ(exported.outcome, ExportOutcome::kExported);
  EXPECT_EQ(exported.target, dir / "out.prof");
  EXPECT_EQ(exported.missing, Names{"Gone"});
  EXPECT_EQ(ReadFile(database), database_bytes);
  // In the chosen order, under the chosen names, every text tagged.
  EXPECT_EQ(ProfileNames(dir / "out.prof"),
            (Names{Cp("Свой"), "asm \x97 de for pic"}));
  EXPECT_NE(ReadFile(dir / "out.prof")
                .find("[asm \x97 de for pic]\r\nOst1 = 4\r\nOst2 = 4\r\n"
                      "Directive = [String]De[/String]\r\n"
                      "StartDataBlok = [String][/String]\r\n"),
            std::string::npos);

  // Into another database whose copy of the duplicate has been edited.
  TempDir other;
  const fs::path target = other / "Profile.prof";
  ASSERT_TRUE(CreateProfileDatabase(target));
  ProfileRecord edited;
  ASSERT_EQ(SaveProfile(target, kDe, edited), SaveProfileResult::kSaved);
  const ImportResult imported = ImportProfiles(
      dir / "out.prof", target, Names{Cp("Свой"), "", kDe, "Gone"});
  EXPECT_EQ(imported.outcome, ImportOutcome::kImported);
  EXPECT_EQ(imported.imported, (Names{Cp("Свой"), kDe}));
  EXPECT_EQ(imported.skipped, Names{"Gone"});
  // The duplicate is overwritten in place, the new profile appended.
  EXPECT_EQ(ProfileNames(target), (Names{kDt, kDe, kBasic, Cp("Свой")}));
  for (const std::string& name : {Cp("Свой"), std::string(kDe)}) {
    ProfileRecord original;
    ProfileRecord copied;
    ASSERT_EQ(LoadProfile(database, name, &original),
              LoadProfileResult::kLoaded);
    ASSERT_EQ(LoadProfile(target, name, &copied), LoadProfileResult::kLoaded);
    EXPECT_EQ(copied, original) << Cp1251ToUtf8(name);
  }
}

TEST(ProfileCopyTest, RefusedOrFailedCopiesChangeNothing) {
  TempDir dir;
  const fs::path database = MakeDatabase(dir);
  const std::string database_bytes = ReadFile(database);
  WriteFile(dir / "keep.prof", "old");
  WriteFile(dir / "in.prof", "[A]\r\nOst1 = 9\r\n");
  fs::create_directory(dir / "sub");
  const fs::path alias = dir / "sub" / ".." / "Profile.prof";

  const struct {
    fs::path target;
    Names names;
    ExportOutcome outcome;
  } exports[] = {
      {alias, {kDt}, ExportOutcome::kRefusedDatabase},
      {dir / "keep.prof", {"Gone", ""}, ExportOutcome::kNothingExported},
      {dir / "none" / "x.prof", {kDt}, ExportOutcome::kCreateFailed},
  };
  for (const auto& c : exports) {
    EXPECT_EQ(ExportProfiles(database, c.target, c.names).outcome, c.outcome)
        << c.target;
  }
  EXPECT_EQ(ReadFile(dir / "keep.prof"), "old");

  const struct {
    fs::path source;
    fs::path database;
    Names names;
    ImportOutcome outcome;
  } imports[] = {
      {dir / "gone.prof", database, {"A"}, ImportOutcome::kSourceMissing},
      {dir / "in.prof",
       dir / "gone.prof",
       {"A"},
       ImportOutcome::kDatabaseMissing},
      {alias, database, {kDt}, ImportOutcome::kRefusedDatabase},
      {dir / "in.prof", database, {""}, ImportOutcome::kNothingChosen},
      {dir / "in.prof", database, {"A"}, ImportOutcome::kWriteFailed},
  };
  // Read-only for the last case: its write-back must be refused.
  for (const auto& c : imports) {
    if (c.outcome == ImportOutcome::kWriteFailed) {
      fs::permissions(database, kAllWrite, fs::perm_options::remove);
    }
    const ImportResult result = ImportProfiles(c.source, c.database, c.names);
    EXPECT_EQ(result.outcome, c.outcome) << c.source;
    EXPECT_TRUE(result.imported.empty());
  }
  EXPECT_EQ(ReadFile(database), database_bytes);
  EXPECT_FALSE(fs::exists(dir / "gone.prof"));
  EXPECT_EQ(CheckImportSource(alias, database),
            ImportSourceStatus::kRefusedDatabase);
  EXPECT_EQ(CheckImportSource(dir / "gone.prof", database),
            ImportSourceStatus::kIgnored);
}

TEST(ProfileCopyTest, MessagesNameTheFiles) {
  const fs::path in = "/in.prof";
  const fs::path db = "/Profile.prof";
  EXPECT_EQ(ImportMessage(ImportOutcome::kSourceMissing, in, db),
            (UserMessage{Icon::kError, "Фатальная ошибка",
                         "Файл  /in.prof\nне найден!"}));
  EXPECT_EQ(ImportMessage(ImportOutcome::kNothingChosen, in, db),
            (UserMessage{Icon::kWarning, "",
                         "Нужно выбрать не менее одного профиля"}));
  EXPECT_EQ(
      ImportMessage(ImportOutcome::kRefusedDatabase, in, db),
      (UserMessage{Icon::kWarning, "Ошибка", "Нет доступа к файлу\n/in.prof"}));
  ExportResult failed{ExportOutcome::kCreateFailed, "/x.prof", {}, {}};
  EXPECT_EQ(ExportMessage(failed),
            (UserMessage{Icon::kError, "Ошибка",
                         "Не удалось создать файл\n/x.prof"}));
}

TEST(ProfileCopyTest, ImportListMarksTheDatabasesNames) {
  TempDir dir;
  WriteFile(dir / "in.prof", Cp("[ASM — DT FOR PIC]\r\n[ПРОФИЛЬ АЮ]\r\n"
                                "[Яблоко]\r\n[Ёж]\r\n[]\r\n"));
  const Names existing = {kDt, Cp("профиль аю"), Cp("яблоко"), Cp("ёж")};
  const auto entries = ListImportEntries(dir / "in.prof", existing);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 4u);
  // Я and Ё fall outside the folded range: those names are new.
  const bool duplicate[] = {true, true, false, false};
  for (std::size_t i = 0; i < entries->size(); ++i) {
    EXPECT_EQ((*entries)[i].duplicate, duplicate[i]) << i;
    EXPECT_EQ((*entries)[i].ticked, !duplicate[i]) << i;
  }
  EXPECT_EQ((*entries)[2].name, Cp("Яблоко"));
  EXPECT_FALSE(ListImportEntries(dir / "gone.prof", existing).has_value());
}

}  // namespace
}  // namespace trulvex
