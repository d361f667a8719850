#include "core/profiles/profile_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/profiles/profile_database.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using Names = std::vector<std::string>;

constexpr char kDt[] = "ASM \x97 DT For PIC";
constexpr char kDe[] = "ASM \x97 DE For PIC";

Names ProfileNames(const fs::path& path) {
  Names names;
  EXPECT_TRUE(FillProfileList(path, &names)) << path;
  return names;
}

TEST(ProfileCopyTest, ChosenPathsAreResolved) {
  TempDir dir;
  const fs::path database = dir / "Profile.prof";
  WriteFile(database, "");
  fs::create_directory(dir / "sub");
  fs::create_hard_link(database, dir / "hard.prof");
  std::vector<const char*> names = {"sub/.././Profile.prof", "hard.prof"};
  if (SymlinksAvailable()) {
    fs::create_symlink(database, dir / "link.prof");
    names.push_back("link.prof");
  }
  for (const char* same : names) {
    EXPECT_TRUE(IsProfileDatabase(dir / same, database)) << same;
  }
  // Another case names another file only where names keep their case.
  EXPECT_EQ(IsProfileDatabase(dir / "profile.prof", database),
            fs::exists(dir / "profile.prof"));
  // Before the database exists, only its own path names it.
  EXPECT_TRUE(IsProfileDatabase(dir / "sub/../None.prof", dir / "None.prof"));
  EXPECT_FALSE(IsProfileDatabase(dir / "none.prof", dir / "None.prof"));

  const char* extensions[][2] = {
      {"/d/out", "/d/out.prof"},
      {"/d/out.", "/d/out..prof"},
      {"/d.x/out", "/d.x/out.prof"},
      {"/d/.hidden", "/d/.hidden"},
  };
  for (const auto& c : extensions) {
    EXPECT_EQ(WithProfileExtension(c[0]), fs::path(c[1])) << c[0];
  }
}

TEST(ProfileCopyTest, ExportedProfilesImportBackUnchanged) {
  TempDir dir;
  const fs::path database = dir / "Profile.prof";
  ASSERT_TRUE(CreateProfileDatabase(database));
  ASSERT_EQ(SaveProfile(database, Cp("Свой"), {}), SaveProfileResult::kSaved);
  const Names chosen = {Cp("Свой"), "", "Gone", "asm \x97 de for pic"};
  const ExportResult exported = ExportProfiles(database, dir / "out", chosen);
  EXPECT_EQ(exported.outcome, ExportOutcome::kExported);
  EXPECT_EQ(exported.missing, Names{"Gone"});
  // In the chosen order, under the chosen names.
  EXPECT_EQ(ProfileNames(dir / "out.prof"),
            (Names{Cp("Свой"), "asm \x97 de for pic"}));

  // Into another database whose copy of the duplicate has been edited.
  const fs::path target = dir / "Target.prof";
  ASSERT_TRUE(CreateProfileDatabase(target));
  ASSERT_EQ(SaveProfile(target, kDe, {}), SaveProfileResult::kSaved);
  const ImportResult imported = ImportProfiles(
      dir / "out.prof", target, Names{Cp("Свой"), "", kDe, "Gone"});
  EXPECT_EQ(imported.outcome, ImportOutcome::kImported);
  EXPECT_EQ(imported.imported, (Names{Cp("Свой"), kDe}));
  EXPECT_EQ(imported.skipped, Names{"Gone"});
  // The duplicate is overwritten in place, the new profile appended.
  EXPECT_EQ(ProfileNames(target),
            (Names{kDt, kDe, "MikroBasic For PIC", Cp("Свой")}));
  ExportProfiles(target, dir / "back", chosen);
  EXPECT_EQ(ReadFile(dir / "back.prof"), ReadFile(dir / "out.prof"));
}

TEST(ProfileCopyTest, RefusedOrFailedCopiesChangeNothing) {
  TempDir dir;
  const fs::path database = dir / "Profile.prof", in = dir / "in.prof";
  ASSERT_TRUE(CreateProfileDatabase(database));
  const std::string database_bytes = ReadFile(database);
  WriteFile(dir / "keep.prof", "old");
  WriteFile(in, "[A]\r\nOst1 = 9\r\n");
  const fs::path alias = dir / "." / "Profile.prof";
  const Names a = {"A"}, dt = {kDt};
  EXPECT_EQ(ExportProfiles(database, alias, dt).outcome,
            ExportOutcome::kRefusedDatabase);
  EXPECT_EQ(ExportProfiles(database, dir / "keep", Names{"Gone", ""}).outcome,
            ExportOutcome::kNothingExported);
  EXPECT_EQ(ReadFile(dir / "keep.prof"), "old");
  EXPECT_EQ(CheckImportSource(alias, database),
            ImportSourceStatus::kRefusedDatabase);

  using enum ImportOutcome;
  EXPECT_EQ(ImportProfiles(in, dir / "gone.prof", a).outcome, kDatabaseMissing);
  EXPECT_EQ(ImportProfiles(alias, database, dt).outcome, kRefusedDatabase);
  EXPECT_EQ(ImportProfiles(in, database, Names{""}).outcome, kNothingChosen);
  fs::permissions(database, fs::perms::owner_read);
  EXPECT_EQ(ImportProfiles(in, database, a).outcome, kWriteFailed);
  EXPECT_EQ(ReadFile(database), database_bytes);
  EXPECT_FALSE(fs::exists(dir / "gone.prof"));
}

TEST(ProfileCopyTest, ImportListMarksTheDatabasesNames) {
  TempDir dir;
  WriteFile(dir / "in.prof", Cp("[ASM — DT FOR PIC]\r\n[ПРОФИЛЬ АЮ]\r\n"
                                "[Яблоко]\r\n[Ёж]\r\n[]\r\n"));
  const Names existing = {kDt, Cp("профиль аю"), Cp("яблоко"), Cp("ёж")};
  const auto entries = ListImportEntries(dir / "in.prof", existing).value();
  std::string marks;  // * for a duplicate, + for a ticked entry
  for (const ImportEntry& e : entries)
    marks += e.name + (e.duplicate ? "*" : "") + (e.ticked ? "+" : "") + ";";
  // Я and Ё fall outside the folded range: those names are new.
  EXPECT_EQ(marks, Cp("ASM — DT FOR PIC*;ПРОФИЛЬ АЮ*;Яблоко+;Ёж+;"));
  EXPECT_FALSE(ListImportEntries(dir / "gone.prof", existing).has_value());
}

}  // namespace
}  // namespace trulvex
