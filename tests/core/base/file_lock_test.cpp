#include "core/base/file_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
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
  // A link to the same file shares its lock; without links, the file's
  // own name is the second writer's.
  const fs::path second = SymlinksAvailable() ? dir / "link" : dir / "data";
  if (SymlinksAvailable()) fs::create_symlink("data", dir / "link");
  std::error_code error;
  std::optional<FileLock> first = FileLock::Acquire(dir / "data", &error);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->held());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(FileLock::Acquire(second, &error, 150ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  EXPECT_EQ(error, FileErrc::kLockTimeout);
  first.reset();
  EXPECT_TRUE(FileLock::Acquire(second, &error, 150ms));
  // Released locks leave nothing behind.
  EXPECT_EQ(FileNames(dir.path()).size(), SymlinksAvailable() ? 2u : 1u);
}

TEST(FileLockTest, StreamsAndUnlockableDirectoriesWorkAsBefore) {
  std::error_code error;
#if defined(_WIN32)
  const char* const kStream = "NUL";
#else
  const char* const kStream = "/dev/stdout";
#endif
  const std::optional<FileLock> stream = FileLock::Acquire(kStream, &error);
  ASSERT_TRUE(stream);
  EXPECT_FALSE(stream->held());
#if defined(_WIN32)
  GTEST_SKIP() << "Windows lets anyone create files in a read-only folder";
#endif
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
  EXPECT_EQ(RunAtOnce(kWriters,
                      [&path](int i) {
                        if (i % 2 == 0) {
                          PreferenceFile file;
                          if (!file.OpenForUpdate(path)) return false;
                          // The group is created by the first write.
                          file.SelectGroup("Extra");
                          return file.WriteInteger("K" + std::to_string(i),
                                                   i) &&
                                 file.Close();
                        }
                        Settings settings;
                        settings.X = i;
                        return SaveSettings(path, settings);
                      }),
            0);
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
