#include "profiles/profile_database.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using ::trulvex::testing::Cp;
using ::trulvex::testing::ReadFile;
using ::trulvex::testing::TempDir;
using ::trulvex::testing::TestData;
using ::trulvex::testing::WriteFile;
using Icon = UserMessage::Icon;
using Names = std::vector<std::string>;

constexpr fs::perms kAllWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// A profile whose texts lose something wherever a layer trims or drops.
ProfileRecord Awkward() {
  ProfileRecord record;
  record.Ost1 = -3;
  record.Directive = Cp(" \tДанные — ");
  record.EndDataBlok = " ) ";
  record.EndData = "[x]";
  record.RazdelitelData = ", ";
  record.Comment = "\"' ";
  record.DeleteSumbolError = 255;
  return record;
}

TEST(ProfileDatabaseTest, EnsureCreatesTheShippedFileOnlyWhenAskedTo) {
  TempDir dir;
  const fs::path path = ProfileDatabasePath(dir.path());
  std::vector<UserMessage> asked;
  bool answer = false;
  const auto ask = [&](const UserMessage& question) {
    asked.push_back(question);
    return answer;
  };
  EXPECT_EQ(EnsureProfileDatabase(path, ask), EnsureDatabaseResult::kDeclined);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  answer = true;
  EXPECT_EQ(EnsureProfileDatabase(path, ask), EnsureDatabaseResult::kCreated);
  EXPECT_EQ(ReadFile(path),
            ReadFile(TestData("profile_database_fresh.golden")));
  // An existing database is neither asked about nor touched.
  EXPECT_EQ(EnsureProfileDatabase(path, ask), EnsureDatabaseResult::kExists);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], (UserMessage{Icon::kWarning, "Ошибка",
                                   "Файл, хранящий данные о профилях не "
                                   "найден!\nСоздать его?"}));

  // A directory of that name counts as missing and cannot be replaced.
  fs::remove(path);
  fs::create_directory(path);
  EXPECT_EQ(EnsureProfileDatabase(path, ask),
            EnsureDatabaseResult::kCreateFailed);
  EXPECT_TRUE(fs::is_empty(path));
  EXPECT_EQ(DatabaseCreateFailedMessage().text,
            "Не удалось создать файл!\nРабота програмы прервана!");
}

TEST(ProfileDatabaseTest, LoadReportsItsThreeResults) {
  TempDir dir;
  const fs::path path = dir / "p.prof";
  WriteFile(path, Cp("Ost1 = 7\r\n[Latin Я]\r\nComment = [String]// [/String]"
                     "\r\n"));
  const ProfileRecord untouched = Awkward();
  const struct {
    fs::path path;
    std::string name;
    LoadProfileResult result;
    std::int32_t ost1 = 0;  // when loaded
  } cases[] = {
      {path, Cp("Latin Я"), LoadProfileResult::kLoaded, 2},
      {path, Cp("LATIN Я"), LoadProfileResult::kLoaded, 2},
      {path, Cp("Latin я"), LoadProfileResult::kNotFound},
      {path, "", LoadProfileResult::kLoaded, 7},  // the top section
      {dir / "missing.prof", "Latin", LoadProfileResult::kUnavailable},
  };
  for (const auto& c : cases) {
    ProfileRecord record = untouched;
    record.IsPreview = 1;
    record.Name = "Kept";
    std::string marker = "before";
    EXPECT_EQ(LoadProfile(c.path, c.name, &record, &marker), c.result)
        << c.name;
    EXPECT_EQ(record.IsPreview, 1);
    EXPECT_EQ(record.Name, "Kept");
    if (c.result != LoadProfileResult::kLoaded) {
      EXPECT_EQ(record.Directive, untouched.Directive) << c.name;
      EXPECT_EQ(marker, "before");
      continue;
    }
    EXPECT_EQ(record.Ost1, c.ost1) << c.name;
    EXPECT_EQ(record.Directive, "");
    EXPECT_EQ(marker, c.ost1 == 2 ? "// " : "");
  }
  EXPECT_EQ(
      ProfileNotFoundMessage(Cp("Мой")),
      (UserMessage{Icon::kError, "Ошибка", "Профиль \"Мой\" не найден!"}));
}

TEST(ProfileDatabaseTest, SaveRewritesInPlaceOrAppendsAndLoadsBackExactly) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string tail = "[Second]\r\n; about Second\r\nDirective = Db\r\n";
  WriteFile(path, "; notes\r\n[First]\r\nOst1 = 1\r\nOwn = kept\r\n" + tail);
  ProfileRecord record;
  record.Directive = "Dt";
  ASSERT_EQ(SaveProfile(path, "first", record), SaveProfileResult::kSaved);
  const std::string saved = ReadFile(path);
  EXPECT_TRUE(saved.starts_with(
      "; notes\r\n[First]\r\nOst1 = 2\r\nOwn = kept\r\nOst2 = 2\r\n"
      "Directive = [String]Dt[/String]\r\nStartDataBlok = [String][/String]"))
      << saved;
  EXPECT_TRUE(saved.ends_with("CountSpace = 2\r\n" + tail)) << saved;

  // A new name is appended, its texts kept to the last blank.
  ASSERT_EQ(SaveProfile(path, Cp("Новый"), Awkward()),
            SaveProfileResult::kSaved);
  Names names;
  ASSERT_TRUE(FillProfileList(path, &names));
  EXPECT_EQ(names, (Names{"First", "Second", Cp("Новый")}));
  ProfileRecord loaded;
  ASSERT_EQ(LoadProfile(path, Cp("Новый"), &loaded),
            LoadProfileResult::kLoaded);
  EXPECT_EQ(loaded, Awkward());
}

TEST(ProfileDatabaseTest, FailedSaveLeavesTheFileAsItWas) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string before = "[A]\r\nOst1 = 1\r\n";
  ProfileRecord broken;
  broken.Comment = "two\r\nlines";
  const struct {
    std::string name;
    ProfileRecord record;
    bool read_only;
    SaveProfileResult result;
  } cases[] = {
      {"A", broken, false, SaveProfileResult::kNotStorable},
      {"a]b", ProfileRecord{}, false, SaveProfileResult::kNotStorable},
      {"A", ProfileRecord{}, true, SaveProfileResult::kWriteFailed},
  };
  for (const auto& c : cases) {
    WriteFile(path, before);
    if (c.read_only) fs::permissions(path, kAllWrite, fs::perm_options::remove);
    EXPECT_EQ(SaveProfile(path, c.name, c.record), c.result) << c.name;
    EXPECT_EQ(ReadFile(path), before) << c.name;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  }
  EXPECT_EQ(SaveProfile(dir / "missing.prof", "A", ProfileRecord{}),
            SaveProfileResult::kOpenFailed);
  EXPECT_EQ(SaveProfileFailedMessage(),
            (UserMessage{Icon::kError, "Ошибка",
                         "Не удалось сохранить данные профиля"}));
}

TEST(ProfileDatabaseTest, RenameChangesOnlyTheHeader) {
  const std::string mixed =
      "; [Old] in a comment\n\t [Old] trailing words\r\n"
      "Directive = [Old]\r\nx[Old]\n[Old]\r\n";
  const std::string marked =
      "\xEF\xBB\xBF[\xC3\x80\xC3\x9F]\r\nOst1 = 1\r\n";  // the bytes of "АЯ"
  const struct {
    std::string before;
    std::string old_name;
    std::string new_name;
    bool renamed;
    std::string after = "";  // when renamed
  } cases[] = {
      {mixed, "Old", Cp("Новое имя"), true,
       "; [Old] in a comment\n\t [" + Cp("Новое имя") +
           "] trailing words\r\nDirective = [Old]\r\nx[Old]\n[Old]\r\n"},
      {marked, "\xC0\xDF", "New", true, "\xEF\xBB\xBF[New]\r\nOst1 = 1\r\n"},
      {"", "Old", "New", true, ""},
      {mixed, "old", "New", false},  // the header is matched exactly
      {mixed, "Old", "a]b", false},
      {mixed, "Old", "", false},
  };
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  for (const auto& c : cases) {
    WriteFile(path, c.before);
    EXPECT_EQ(RenameProfile(path, c.old_name, c.new_name), c.renamed)
        << c.old_name << " -> " << c.new_name;
    EXPECT_EQ(ReadFile(path), c.renamed ? c.after : c.before) << c.new_name;
  }

  WriteFile(path, mixed);
  fs::permissions(path, kAllWrite, fs::perm_options::remove);
  EXPECT_FALSE(RenameProfile(path, "Old", "New"));
  EXPECT_EQ(ReadFile(path), mixed);
  EXPECT_FALSE(RenameProfile(dir / "missing.prof", "Old", "New"));
}

TEST(ProfileDatabaseTest, DeleteRemovesTheFirstGroupOfEachName) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  WriteFile(
      path,
      "[A]\r\nOst1 = 1\r\n; note\r\n[B]\r\nOst1 = 2\r\n[a]\r\nOst1 = 3\r\n"
      "[C]\r\nOst1 = 4\r\n");
  EXPECT_TRUE(DeleteProfiles(path, Names{"a", "C", "Gone"}));
  EXPECT_EQ(ReadFile(path), "[B]\r\nOst1 = 2\r\n[a]\r\nOst1 = 3\r\n");

  fs::permissions(path, kAllWrite, fs::perm_options::remove);
  EXPECT_FALSE(DeleteProfiles(path, Names{"B"}));
  EXPECT_EQ(ReadFile(path), "[B]\r\nOst1 = 2\r\n[a]\r\nOst1 = 3\r\n");
  EXPECT_FALSE(DeleteProfiles(dir / "missing.prof", Names{"B"}));
}

#ifndef _WIN32
// A child saves the database over and over; killed at any moment, it must
// leave the file holding one whole version or the other.
TEST(ProfileDatabaseTest, KilledSaveLeavesOldOrNewFile) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  ASSERT_TRUE(CreateProfileDatabase(path));
  ProfileRecord versions[2] = {Awkward(), Awkward()};
  versions[1].Directive = std::string(5000, 'x');
  versions[1].CountByte = 8;
  ASSERT_EQ(SaveProfile(path, "Crash", versions[0]), SaveProfileResult::kSaved);
  const std::string first = ReadFile(path);
  ASSERT_EQ(SaveProfile(path, "Crash", versions[1]), SaveProfileResult::kSaved);
  const std::string second = ReadFile(path);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delay_us(200, 12000);
  for (int round = 0; round < 30; ++round) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      for (int i = 0;; ++i) SaveProfile(path, "Crash", versions[i % 2]);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string now = ReadFile(path);
    ASSERT_TRUE(now == first || now == second) << "round " << round;
    ProfileRecord loaded;
    ASSERT_EQ(LoadProfile(path, "Crash", &loaded), LoadProfileResult::kLoaded);
    EXPECT_TRUE(loaded == versions[0] || loaded == versions[1]);
  }
}
#endif

}  // namespace
}  // namespace trulvex
