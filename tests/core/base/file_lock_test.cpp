#include "core/base/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/file_error.h"
#include "core/profiles/preference_file.h"
#include "core/shell/settings.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using namespace std::chrono_literals;

TEST(FileLockTest, SecondWriterWaitsAndGivesUp) {
  TempDir dir;
  WriteFile(dir / "data", "x");
  fs::create_symlink("data", dir / "link");
  std::error_code error;
  std::optional<FileLock> first = FileLock::Acquire(dir / "data", &error);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->held());
  // A link to the same file shares its lock.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(FileLock::Acquire(dir / "link", &error, 150ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  EXPECT_EQ(error, FileErrc::kLockTimeout);
  first.reset();
  EXPECT_TRUE(FileLock::Acquire(dir / "link", &error, 150ms));
  // Released locks leave nothing behind.
  EXPECT_EQ(FileNames(dir.path()), (std::vector<std::string>{"data", "link"}));
}

TEST(FileLockTest, StreamsAndUnlockableDirectoriesWorkAsBefore) {
  std::error_code error;
  const std::optional<FileLock> stream =
      FileLock::Acquire("/dev/stdout", &error);
  ASSERT_TRUE(stream);
  EXPECT_FALSE(stream->held());
  TempDir dir;
  WriteFile(dir / "data", "x");
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  // Without a lock file the data file itself is locked (it is then written
  // in place); root may still write the directory.
  const std::optional<FileLock> lock = FileLock::Acquire(dir / "data", &error);
  ASSERT_TRUE(lock);
  EXPECT_TRUE(lock->held());
}

// Twenty programs each add a setting of their own while others save the
// window placement: every addition survives.
TEST(FileLockTest, ConcurrentSettingsWritersLoseNothing) {
  TempDir dir;
  const fs::path path = dir / "Preferences.ini";
  WriteFile(path, "");
  constexpr int kWriters = 20;
  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      bool done = false;
      if (i % 2 == 0) {
        PreferenceFile file;
        if (file.OpenForUpdate(path)) {
          file.SelectGroup("Extra");  // created by the first write
          done = file.WriteInteger("K" + std::to_string(i), i) && file.Close();
        }
      } else {
        Settings settings;
        settings.X = i;
        done = SaveSettings(path, settings);
      }
      _exit(done ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  PreferenceFile file;
  ASSERT_TRUE(file.Open(path));
  ASSERT_TRUE(file.SelectGroup("Extra"));
  for (int i = 0; i < kWriters; i += 2) {
    EXPECT_EQ(file.ReadInteger("K" + std::to_string(i), -1), i);
  }
  EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"Preferences.ini"});
}

}  // namespace
}  // namespace trulvex
