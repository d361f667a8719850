#include "core/profiles/profile_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
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
using namespace testing;
using enum EnsureDatabaseResult;
using enum LoadProfileResult;
using enum SaveProfileResult;
using Names = std::vector<std::string>;

TEST(ProfileDatabaseTest, EnsureCreatesTheShippedFileOnlyWhenAskedTo) {
  TempDir dir;
  const fs::path path = ProfileDatabasePath(dir.path());
  const auto no = [](const UserMessage&) { return false; };
  const auto yes = [](const UserMessage&) { return true; };
  EXPECT_EQ(EnsureProfileDatabase(path, no), kDeclined);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_EQ(EnsureProfileDatabase(path, yes), kCreated);
  EXPECT_EQ(EnsureProfileDatabase(path, no), kExists);  // and not asked
  EXPECT_EQ(ReadFile(path),
            ReadFile(TestData("profile_database_fresh.golden")));
}

TEST(ProfileDatabaseTest, SaveKeepsOtherLinesAndLoadGivesTheProfileBack) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string tail = "[Second]\r\n; about Second\r\nDirective = Db\r\n";
  WriteFile(path, "Ost1 = 7\r\n[First]\r\nOst1 = 1\r\nOwn = kept\r\n" + tail);
  ProfileRecord record;
  record.IsPreview = 1;
  record.Name = "Kept";
  record.Directive = " \tdb ";
  record.Comment = Cp("\"Я — ' ");
  const ProfileRecord kept = record;
  ASSERT_EQ(SaveProfile(path, "first", record), kSaved);
  const std::string saved = ReadFile(path);
  EXPECT_TRUE(saved.starts_with(
      "Ost1 = 7\r\n[First]\r\nOst1 = 2\r\nOwn = kept\r\nOst2 = 2\r\n"
      "Directive = [String] \tdb [/String]\r\n"))
      << saved;
  EXPECT_TRUE(saved.ends_with("CountSpace = 2\r\n" + tail)) << saved;
  ASSERT_EQ(SaveProfile(path, Cp("Новый"), record), kSaved);
  EXPECT_TRUE(ReadFile(path).starts_with(saved));

  // A failed load changes nothing; a load keeps IsPreview, Name and blanks.
  std::string marker = "-";
  EXPECT_EQ(LoadProfile(dir / "x", "New", &record, &marker), kUnavailable);
  EXPECT_EQ(LoadProfile(path, Cp("НОВЫЙ"), &record, &marker), kNotFound);
  EXPECT_TRUE(record == kept && marker == "-");
  EXPECT_EQ(LoadProfile(path, Cp("Новый"), &record, &marker), kLoaded);
  EXPECT_TRUE(record == kept && marker == kept.Comment);
}

TEST(ProfileDatabaseTest, FailedSaveOrDeleteLeavesTheFileAsItWas) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string left = "[B]\r\nOst1 = 2\r\n[a]\r\nOst1 = 3\r\n";
  WriteFile(path, "[A]\r\n; note\r\nOst1 = 1\r\n" + left + "[C]\r\n");
  ASSERT_TRUE(DeleteProfiles(path, Names{"a", "C", "Gone"}));
  ASSERT_EQ(ReadFile(path), left);

  // Comment comes late in the key order: half a profile would show.
  ProfileRecord broken;
  broken.Comment = "two\r\nlines";
  EXPECT_EQ(SaveProfile(path, "B", broken), kNotStorable);
  // A string tag inside a text would vanish on loading.
  broken.Comment = "[/String]";
  EXPECT_EQ(SaveProfile(path, "B", broken), kNotStorable);
  fs::permissions(path, fs::perms::owner_read);
  EXPECT_EQ(SaveProfile(path, "B", ProfileRecord{}), kWriteFailed);
  EXPECT_FALSE(DeleteProfiles(path, Names{"B"}));
  EXPECT_EQ(ReadFile(path), left);
  EXPECT_EQ(SaveProfile(dir / "x", "A", ProfileRecord{}), kOpenFailed);
}

// The file after the rename, or "refused" when it was refused (untouched).
std::string Rename(const fs::path& path, const std::string& before,
                   std::string_view from, std::string_view to) {
  WriteFile(path, before);
  if (RenameProfile(path, from, to)) return ReadFile(path);
  return ReadFile(path) == before ? "refused" : "refused, file changed";
}

TEST(ProfileDatabaseTest, RenameChangesOnlyTheHeader) {
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  const std::string head = "; [Old] in a comment\n\t [",
                    rest = "] words\r\nDirective = [Old]\r\nx[Old]\n[Old]\r\n";
  const std::string old = head + "Old" + rest;
  EXPECT_EQ(Rename(path, old, "Old", Cp("Новое")), head + Cp("Новое") + rest);
  // A marked file holds the name "А" (code page byte C0) as UTF-8.
  EXPECT_EQ(Rename(path, "\xEF\xBB\xBF[\xD0\x90]\n", "\xC0", "N"),
            "\xEF\xBB\xBF[N]\n");
  EXPECT_EQ(Rename(path, "", "Old", "New"), "");
  // The whole name must match: a group whose name only starts with it, or
  // ends with it, is another profile.
  EXPECT_EQ(Rename(path, "[PIC16]\r\n[XPIC]\r\n[PIC]\r\n", "PIC", "N"),
            "[PIC16]\r\n[XPIC]\r\n[N]\r\n");
  EXPECT_EQ(Rename(path, old, "old", "New"), "refused");
  EXPECT_EQ(Rename(path, old, "Old", "a]b"), "refused");
  EXPECT_EQ(Rename(path, old, "Old", ""), "refused");
  fs::permissions(path, fs::perms::owner_read);
  EXPECT_EQ(Rename(path, old, "Old", "New"), "refused");
}

// A save killed at any moment leaves one whole version or the other.
TEST(ProfileDatabaseTest, KilledSaveLeavesOldOrNewFile) {
#if defined(_WIN32)
  GTEST_SKIP() << "no fork on Windows; a killed writer is KilledConverterTest "
                  "there";
#else
  TempDir dir;
  const fs::path path = dir / "Profile.prof";
  ASSERT_TRUE(CreateProfileDatabase(path));
  ProfileRecord versions[2];
  versions[1].Directive = std::string(5000, 'x');
  ASSERT_EQ(SaveProfile(path, "Crash", versions[0]), kSaved);
  const std::string first = ReadFile(path);
  ASSERT_EQ(SaveProfile(path, "Crash", versions[1]), kSaved);
  const std::string second = ReadFile(path);
  std::minstd_rand random(std::random_device{}());
  for (int round = 0; round < 30; ++round) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      for (int i = 0;; ++i) SaveProfile(path, "Crash", versions[i % 2]);
    }
    usleep(200 + random() % 12000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = ReadFile(path);
    ASSERT_TRUE(now == first || now == second) << "round " << round;
  }
#endif
}

}  // namespace
}  // namespace trulvex
