// Every file the program writes, under the faults a real disk brings: full,
// refused, changed behind the program's back, or the process killed half
// way. After each one the old file is whole or the new one is, nothing is
// left beside it, and the failure is reported.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/engine/bin_conversion.h"
#include "core/profiles/preference_file.h"
#include "core/profiles/profile_database.h"
#include "core/shell/settings.h"
#include "core/shell/text_document.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// One writer of the program: puts `version` 0 or 1 of its content at
// `path` and says whether that worked, the way its caller learns it.
struct Writer {
  const char* name;
  std::function<bool(const fs::path& path, int version)> write;
};

Settings SettingsVersion(int version) {
  Settings settings;
  settings.X = 100 + version;
  for (int n = 0; n < 4; ++n) {
    settings.recent_files.Record("/home/user/" + std::string(120, 'a' + n) +
                                 std::to_string(version) + ".txt");
  }
  return settings;
}

ProfileRecord ProfileVersion(int version) {
  ProfileRecord record;
  record.Directive = std::string(version == 0 ? 10 : 6000, 'x');
  return record;
}

std::string TextVersion(int version) {
  return std::string(version == 0 ? 100 : 20000, version == 0 ? 'a' : 'b');
}

[[maybe_unused]] std::string BinOutcomeText(const fs::path& path,
                                            BinOutcome outcome) {
  return BinOutcomeMessage(outcome, path.string()).text;
}

// The four files, each created with version 0 first by `Prepare`.
std::vector<Writer> Writers() {
  return {
      {"database",
       [](const fs::path& path, int version) {
         return SaveProfile(path, "Fault", ProfileVersion(version)) ==
                SaveProfileResult::kSaved;
       }},
      {"settings",
       [](const fs::path& path, int version) {
         return SaveSettings(path, SettingsVersion(version));
       }},
      {"text document",
       [](const fs::path& path, int version) {
         return WriteTextFile(path, TextVersion(version));
       }},
      {"BIN target",
       [](const fs::path& path, int version) {
         // A new file each time: the whole target is replaced.
         return StartBinConversion(path, TextVersion(version), BinOptions{},
                                   [](const UserMessage&) { return false; }) ==
                BinOutcome::kSuccess;
       }},
  };
}

// Version 0 of the writer's file at `dir`/name, and its bytes.
fs::path Prepare(const TempDir& dir, const Writer& writer,
                 std::string* old_bytes) {
  const fs::path path = dir / "file";
  if (std::string_view(writer.name) == "database") {
    EXPECT_TRUE(CreateProfileDatabase(path));
  } else {
    WriteFile(path, "");
  }
  EXPECT_TRUE(writer.write(path, 0)) << writer.name;
  *old_bytes = ReadFile(path);
  return path;
}

#if defined(_WIN32)
// Windows has no per-process file size limit, no second user a test can
// become and no fork: what needs them is skipped, with this reason.
constexpr char kNoPosixFaults[] =
    "no RLIMIT_FSIZE, setuid or fork on Windows; a killed writer is "
    "KilledConverterTest there";
#else
// Runs `body` in a child process and returns its exit status, -1 when it
// did not exit normally.
int InChild(const std::function<bool()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    // Nothing may escape into the test runner's own loop in the child.
    bool passed = false;
    try {
      passed = body();
    } catch (...) {
    }
    _exit(passed ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A disk that fills up after `limit` bytes of any one file: writes past it
// fail with EFBIG instead of killing the process.
bool WithFileSizeLimit(rlim_t limit) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit rl{limit, limit};
  return setrlimit(RLIMIT_FSIZE, &rl) == 0;
}
#endif

TEST(FaultInjectionTest, FullDiskKeepsTheOldFileAndReportsIt) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoPosixFaults;
#else
  for (const Writer& writer : Writers()) {
    TempDir dir;
    std::string old_bytes;
    const fs::path path = Prepare(dir, writer, &old_bytes);
    const std::vector<std::string> names = FileNames(dir.path());
    // The writer reports the failure: the child exits 0 only then.
    EXPECT_EQ(InChild([&] {
                return WithFileSizeLimit(512) && !writer.write(path, 1);
              }),
              0)
        << writer.name;
    EXPECT_EQ(ReadFile(path), old_bytes) << writer.name;
    EXPECT_EQ(FileNames(dir.path()), names) << writer.name;
  }
  EXPECT_NE(BinOutcomeText("t.bin", BinOutcome::kWriteFailed).find("t.bin"),
            std::string::npos);
#endif
}

TEST(FaultInjectionTest, FullDiskFailsTheConverterWithAMessage) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoPosixFaults;
#else
  TempDir dir;
  const fs::path in = dir / "in.txt";
  const fs::path out = dir / "out.asm";
  const fs::path bin = dir / "out.bin";
  WriteFile(in, std::string(20000, 'z'));
  WriteFile(out, "old table");
  WriteFile(bin, "old bytes");
  const struct {
    std::vector<std::string> args;
    fs::path target;
  } cases[] = {
      {{"table", in.string(), "-p", "MikroBasic For PIC", "-o", out.string()},
       out},
      {{"bin", "-o", bin.string(), in.string()}, bin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InChild([&] {
                if (!WithFileSizeLimit(4096)) return false;
                const CliResult result = RunCliOn(c.args);
                return result.status == cli::kExitFileError &&
                       result.err.find(c.target.string()) != std::string::npos;
              }),
              0)
        << c.args[0];
  }
  EXPECT_EQ(ReadFile(out), "old table");
  EXPECT_EQ(ReadFile(bin), "old bytes");
  EXPECT_EQ(FileNames(dir.path()),
            (std::vector<std::string>{"in.txt", "out.asm", "out.bin"}));
#endif
}

#if !defined(_WIN32)
// Writes version 1 of every writer's file with the file and its directory
// set to `file_mode` and `dir_mode`, as a caller without rights beyond
// them: "nobody" when the suite runs as root, else the owner with the
// directory's write bit removed. Expects it written (in place) or refused
// with the old file whole, and nothing left beside it.
void WriteWithCallersRights(fs::perms file_mode, fs::perms dir_mode,
                            bool expect_written) {
  const bool root = geteuid() == 0;
  for (const Writer& writer : Writers()) {
    TempDir dir;
    std::string old_bytes;
    const fs::path path = Prepare(dir, writer, &old_bytes);
    fs::permissions(path, file_mode);
    fs::permissions(dir.path(), dir_mode);
    const bool written = InChild([&] {
                           if (root) {
                             if (setuid(65534) != 0) return false;
                           } else {
                             fs::permissions(dir.path(), fs::perms::owner_write,
                                             fs::perm_options::remove);
                           }
                           return writer.write(path, 1);
                         }) == 0;
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(written, expect_written) << writer.name;
    if (expect_written) {
      EXPECT_NE(ReadFile(path), old_bytes) << writer.name;
    } else {
      EXPECT_EQ(ReadFile(path), old_bytes) << writer.name;
      EXPECT_EQ(fs::status(path).permissions(), file_mode);
    }
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"file"})
        << writer.name;
  }
}
#endif

// As for the shell, a file the caller may write in a directory it may not
// is written in place.
TEST(FaultInjectionTest, WritableFileInClosedDirectoryIsWrittenInPlace) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoPosixFaults;
#else
  WriteWithCallersRights(static_cast<fs::perms>(0666),
                         static_cast<fs::perms>(0755), true);
#endif
}

// A file the caller may not write is refused even in a directory open to
// all: only the file's owner bit would not show that.
TEST(FaultInjectionTest, FileTheCallerMayNotWriteIsRefused) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoPosixFaults;
#else
  if (geteuid() != 0) {
    GTEST_SKIP() << "a file of another user in the caller's way needs root";
  }
  WriteWithCallersRights(static_cast<fs::perms>(0644), fs::perms::all, false);
#endif
}

// Between two operations the file becomes read-only or disappears.
TEST(FaultInjectionTest, FileChangedBetweenOperations) {
  for (const Writer& writer : Writers()) {
    TempDir dir;
    std::string old_bytes;
    const fs::path path = Prepare(dir, writer, &old_bytes);
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(writer.write(path, 1)) << writer.name;
    EXPECT_EQ(ReadFile(path), old_bytes) << writer.name;
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"file"});
  }

  TempDir dir;
  // An open preference file whose file turns read-only before it closes.
  const fs::path prefs = dir / "Preferences.ini";
  WriteFile(prefs, "[A]\r\nk = 1\r\n");
  {
    PreferenceFile file;
    ASSERT_TRUE(file.Open(prefs));
    file.SelectGroup("A");
    ASSERT_TRUE(file.WriteInteger("k", 2));
    fs::permissions(prefs, fs::perms::owner_read);
    EXPECT_FALSE(file.Close());
  }
  EXPECT_EQ(ReadFile(prefs), "[A]\r\nk = 1\r\n");

  // Deleted files: the settings are not recreated and the database is
  // reported missing; a document or a BIN target to extend is written
  // anew, whole.
  const fs::path gone = dir / "gone";
  EXPECT_FALSE(SaveSettings(gone, Settings{}));
  EXPECT_EQ(SaveProfile(gone, "A", ProfileRecord{}),
            SaveProfileResult::kOpenFailed);
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_TRUE(WriteTextFile(gone, "new"));
  EXPECT_EQ(ReadFile(gone), "new");
  fs::remove(gone);
  BinOptions extend;
  extend.SaveFile = 1;
  EXPECT_EQ(StartBinConversion(gone, "text", extend,
                               [](const UserMessage&) { return true; }),
            BinOutcome::kSuccess);
  EXPECT_EQ(ReadFile(gone), "text");
  // The whole directory gone.
  EXPECT_FALSE(WriteTextFile(dir / "missing" / "doc.txt", "new"));
}

// A writer killed at any moment leaves one whole version or the other.
TEST(FaultInjectionTest, KilledWriterLeavesOldOrNewFile) {
#if defined(_WIN32)
  GTEST_SKIP() << kNoPosixFaults;
#else
  std::minstd_rand random(std::random_device{}());
  for (const Writer& writer : Writers()) {
    TempDir dir;
    std::string versions[2];
    const fs::path path = Prepare(dir, writer, &versions[0]);
    ASSERT_TRUE(writer.write(path, 1));
    versions[1] = ReadFile(path);
    for (int round = 0; round < 12; ++round) {
      const pid_t child = fork();
      ASSERT_NE(child, -1);
      if (child == 0) {
        for (int i = 0;; ++i) writer.write(path, i % 2);
      }
      usleep(200 + random() % 8000);
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      const std::string now = ReadFile(path);
      ASSERT_TRUE(now == versions[0] || now == versions[1])
          << writer.name << ", round " << round;
    }
  }
#endif
}

}  // namespace
}  // namespace trulvex
