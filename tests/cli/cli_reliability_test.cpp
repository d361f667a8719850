// The converter as a real process among others: concurrent writers,
// signals, exhausted memory, unwritable output streams and targets that are
// streams, links or files with several names.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "cli/cli.h"
#include "core/profiles/profile_database.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

#if !defined(_WIN32)
std::string Q(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command line; its exit status, -1 when it did not exit.
int Shell(const std::string& command) {
  const int raw =
      std::system(("bash -c " + std::string("\"") + command + "\"").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

const std::string kCli = "'" TRULVEX_CLI_PATH "'";
#endif

// Twenty imports started at once, each adding its own profile: all twenty
// arrive, into a database that is there or that they race to create (and
// that only the one that made it says it made).
TEST(CliReliabilityTest, ConcurrentImportsLoseNoProfile) {
  constexpr int kWriters = 20;
  for (const bool database_there : {true, false}) {
    SCOPED_TRACE(database_there ? "database there" : "no database");
    TempDir dir;
    const fs::path db = dir / "Profile.prof";
    if (database_there) {
      ASSERT_TRUE(CreateProfileDatabase(db));
    }
    const auto name = [&](const char* stem, int i) {
      return dir / (stem + std::to_string(i));
    };
    for (int i = 0; i < kWriters; ++i) {
      ProfileRecord record = DefaultProfileRecords()[0];
      record.Name = "P" + std::to_string(i);
      ASSERT_TRUE(WriteProfileFile(name("p", i), std::span(&record, 1)));
    }
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int i = 0; i < kWriters; ++i) {
      children.push_back(std::make_unique<ChildProcess>(
          TRULVEX_CLI_PATH,
          Args{"profiles", "import", PathBytes(name("p", i)), "--profiles",
               PathBytes(db)},
          ChildOptions{.err = name("err", i)}));
    }
    int created = 0;
    for (int i = 0; i < kWriters; ++i) {
      const int status = children[i]->Wait();
      const std::string err = ReadFile(name("err", i));
      EXPECT_EQ(status, 0) << err;
      created += err.find("Создана база профилей") != std::string::npos;
      fs::remove(name("err", i));
    }
    EXPECT_EQ(created, database_there ? 0 : 1);
    std::vector<std::string> names;
    ASSERT_TRUE(FillProfileList(db, &names));
    EXPECT_EQ(names.size(), 3u + kWriters);
    for (int i = 0; i < kWriters; ++i) {
      EXPECT_NE(std::find(names.begin(), names.end(), "P" + std::to_string(i)),
                names.end());
    }
    EXPECT_EQ(FileNames(dir.path()).size(), 1u + kWriters);  // no lock left
  }
}

TEST(CliReliabilityTest, SwitchesTakeNoValue) {
  TempDir dir;
  WriteFile(dir / "t.bin", "0123456789");
  for (const char* wrong : {"--replace=no", "--existing=1",
                            "--delete-undisplayable=0", "--quiet=no"}) {
    const CliResult result =
        RunCliOn({"bin", "-o", (dir / "t.bin").string(), "--existing", "--at=2",
                  "--replace", wrong},
                 "AB");
    EXPECT_EQ(result.status, kExitUsage) << wrong;
    EXPECT_NE(result.err.find("не принимает значения"), std::string::npos);
  }
  for (const char* wrong : {"--all=1", "--quiet=0"}) {
    const CliResult result = RunCliOn({"profiles", "import", "x.prof", wrong});
    EXPECT_EQ(result.status, kExitUsage) << wrong;
    EXPECT_NE(result.err.find("не принимает значения"), std::string::npos)
        << result.err;
  }
  EXPECT_EQ(ReadFile(dir / "t.bin"), "0123456789");
}

// Output that never arrived is a failure.
TEST(CliReliabilityTest, UnwrittenStandardStreamsFail) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no device that refuses writes (/dev/full)";
#else
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
  // The result goes to standard output; the success of `bin -o` is a
  // status line on standard error.
  const struct {
    std::string command;
    std::string redirect;
  } kCases[] = {
      {"help", ">/dev/full 2>/dev/null"},
      {"profiles list", ">/dev/full 2>/dev/null"},
      {"profiles show 'MikroBasic For PIC'", ">/dev/full 2>/dev/null"},
      {"table " + Q(dir / "in.txt"), ">/dev/full 2>/dev/null"},
      {"bin -o " + Q(dir / "t.bin") + " " + Q(dir / "in.txt"),
       ">/dev/null 2>/dev/full"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Shell(kCli + " " + c.command + " " + c.redirect), 3) << c.command;
  }
  // A failing command whose message cannot be written still fails.
  EXPECT_EQ(Shell(kCli + " table " + Q(dir / "none.txt") + " 2>/dev/full"), 3);
#endif
}

// A file to change must be a regular one: a FIFO no one reads is refused
// at once, never waited on, and so is a device.
TEST(CliReliabilityTest, ExistingTargetThatIsNoRegularFileIsRefusedAtOnce) {
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
#if defined(_WIN32)
  // Windows has no FIFO in a folder; its null device stands for both.
  const std::vector<std::string> targets = {"NUL"};
#else
  ASSERT_TRUE(MakeFifo(dir / "fifo"));
  const std::vector<std::string> targets = {(dir / "fifo").string(),
                                            "/dev/null"};
#endif
  for (const std::string& target : targets) {
    const CliResult result = RunCliOn(
        {"bin", "-o", target, "--existing", (dir / "in.txt").string()});
    EXPECT_EQ(result.status, kExitFileError) << target;
    EXPECT_NE(result.err.find("это не обычный файл"), std::string::npos)
        << result.err;
  }
}

// Standard output as a target is written in order, never replaced.
TEST(CliReliabilityTest, StandardOutputTargetKeepsWhatCameBefore) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no /dev/stdout; -o - is its standard output";
#else
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
  WriteFile(dir / "log.txt", "previous line\n");
  const std::string table = kCli + " table -o /dev/stdout " + Q(dir / "in.txt");
  ASSERT_EQ(Shell(table + " >> " + Q(dir / "log.txt")), 0);
  const std::string expected = "; AB\r\n    Dt    0x41, 0x42\r\n";
  EXPECT_EQ(ReadFile(dir / "log.txt"), "previous line\n" + expected);
  ASSERT_EQ(Shell("{ echo header; " + table + "; echo footer; } > " +
                  Q(dir / "out.txt")),
            0);
  EXPECT_EQ(ReadFile(dir / "out.txt"), "header\n" + expected + "footer\n");
  EXPECT_EQ(FileNames(dir.path()), (Args{"in.txt", "log.txt", "out.txt"}));
#endif
}

// A file another program holds open and shares with no writer (an editor,
// a spreadsheet) is named busy and left as it was.
TEST(CliReliabilityTest, AFileHeldByAnotherProgramIsBusy) {
#if !defined(_WIN32)
  GTEST_SKIP() << "POSIX has no share modes that keep a writer out";
#else
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
  WriteFile(dir / "rom.bin", "0123");
  WriteFile(dir / "table.asm", "old");
  for (const Args& args : {Args{"table", "-o", PathBytes(dir / "table.asm"),
                                PathBytes(dir / "in.txt")},
                           Args{"bin", "-o", PathBytes(dir / "rom.bin"),
                                "--existing", PathBytes(dir / "in.txt")}}) {
    const fs::path target = PathFromBytes(args[2]);
    const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const CliResult result = RunCliOn(args);
    CloseHandle(held);
    EXPECT_EQ(result.status, kExitFileError) << args[0];
    EXPECT_NE(result.err.find("файл занят"), std::string::npos) << result.err;
  }
  EXPECT_EQ(ReadFile(dir / "table.asm"), "old");
  EXPECT_EQ(ReadFile(dir / "rom.bin"), "0123");
  EXPECT_EQ(FileNames(dir.path()), (Args{"in.txt", "rom.bin", "table.asm"}));
#endif
}

// A file with two names is changed under both; its mode, group and (as
// root) owner survive a rewrite; names of any legal length work.
TEST(CliReliabilityTest, RewritesKeepWhatTheUserSet) {
  TempDir dir;
  WriteFile(dir / "in.txt", "XY");
  WriteFile(dir / "rom.bin", "ABCDEFGHIJ");
  fs::create_hard_link(dir / "rom.bin", dir / "other.bin");
  EXPECT_EQ(RunCliOn({"bin", "-o", (dir / "rom.bin").string(), "--existing",
                      "--at", "4", "--replace", (dir / "in.txt").string()})
                .status,
            kExitOk);
  EXPECT_EQ(ReadFile(dir / "other.bin"), "ABCDXYGHIJ");

  const fs::path table = dir / "table.asm";
  WriteFile(table, "old");
#if defined(_WIN32)
  // What Windows keeps of a file it replaces: its attributes.
  constexpr DWORD kSet = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesW(table.c_str(), kSet));
  EXPECT_EQ(RunCliOn({"table", "-o", table.string(), (dir / "in.txt").string()})
                .status,
            kExitOk);
  EXPECT_EQ(GetFileAttributesW(table.c_str()) & kSet, kSet);
#else
  ASSERT_EQ(chmod(table.c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(table.c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(RunCliOn({"table", "-o", table.string(), (dir / "in.txt").string()})
                .status,
            kExitOk);
  struct stat info;
  ASSERT_EQ(stat(table.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
  }
#endif
  EXPECT_NE(ReadFile(table), "old");

  const fs::path longest = dir / std::string(255, 'n');
  WriteFile(longest, "old");
  EXPECT_EQ(
      RunCliOn({"table", "-o", longest.string(), (dir / "in.txt").string()})
          .status,
      kExitOk);
  EXPECT_NE(ReadFile(longest), "old");
}

#if !defined(_WIN32)
constexpr int kNobody = 65534;

struct ChildRun {
  int status;
  std::string err;
};

// The converter as "nobody" when the suite runs as root, else as the user
// running it: a caller with no rights beyond a file's mode bits.
ChildRun RunWithoutRoot(const Args& args) {
  TempDir errors;
  ChildProcess child(TRULVEX_CLI_PATH, args,
                     ChildOptions{.err = errors / "err",
                                  .run_as = geteuid() == 0 ? kNobody : -1});
  const int status = child.Wait();
  return {status, ReadFile(errors / "err")};
}

// The caller's own rights decide, as they do for the shell's `>>`.
TEST(CliReliabilityTest, CallersRightsDecideAsForTheShell) {
  TempDir dir;
  fs::permissions(dir.path(), static_cast<fs::perms>(0755));
  const fs::path closed = dir / "closed";
  fs::create_directory(closed);
  WriteFile(dir / "in.txt", "XY");
  WriteFile(dir / "secret.txt", "AB");
  WriteFile(closed / "shared.bin", "ABCDEFGH");
  fs::permissions(dir / "in.txt", static_cast<fs::perms>(0644));
  fs::permissions(dir / "secret.txt", fs::perms::none);
  fs::permissions(closed / "shared.bin", static_cast<fs::perms>(0666));
  fs::permissions(closed, static_cast<fs::perms>(0555));
  const std::string in = (dir / "in.txt").string();
  const std::string shared = (closed / "shared.bin").string();
  const std::string fresh = (closed / "new.bin").string();
  const std::string secret = (dir / "secret.txt").string();
  const struct {
    Args args;
    int status;
    std::string message;
  } cases[] = {
      // Writable file, unwritable directory: changed in place.
      {{"bin", "-o", shared, "--existing", "--at", "2", "--replace", in},
       kExitOk,
       ""},
      {{"bin", "-o", fresh, in},
       kExitFileError,
       "не удалось создать \"" + fresh + "\": доступ запрещён"},
      // Not readable is forbidden, not read-only.
      {{"bin", "-o", (dir / "out.bin").string(), secret},
       kExitFileError,
       "не удалось открыть \"" + secret + "\": доступ запрещён"},
  };
  for (const auto& c : cases) {
    const ChildRun run = RunWithoutRoot(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(closed / "shared.bin"), "ABXYEFGH");
  EXPECT_EQ(FileNames(closed), Args{"shared.bin"});
  EXPECT_EQ(FileNames(dir.path()), (Args{"closed", "in.txt", "secret.txt"}));
  fs::permissions(closed, fs::perms::owner_all);
}

// Another user's file that the caller may only read is refused even in a
// directory open to all, and keeps its bytes and its owner.
TEST(CliReliabilityTest, OthersFileInOpenDirectoryIsRefused) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "a file of another user in the caller's way needs root";
  }
  TempDir dir;
  fs::permissions(dir.path(), static_cast<fs::perms>(0755));
  const fs::path open_dir = dir / "open";
  fs::create_directory(open_dir);
  fs::permissions(open_dir, fs::perms::all);
  WriteFile(dir / "in.txt", "XY");
  fs::permissions(dir / "in.txt", static_cast<fs::perms>(0644));
  const fs::path target = open_dir / "cfg.bin";
  WriteFile(target, "ABCD");
  fs::permissions(target, static_cast<fs::perms>(0644));
  const std::string in = (dir / "in.txt").string();
  for (const Args& args :
       {Args{"bin", "-o", target.string(), in},
        Args{"bin", "-o", target.string(), "--existing", in}}) {
    const ChildRun run = RunWithoutRoot(args);
    EXPECT_EQ(run.status, kExitFileError) << run.err;
    EXPECT_NE(run.err.find(target.string() + "\": файл только для чтения"),
              std::string::npos)
        << run.err;
  }
  EXPECT_EQ(ReadFile(target), "ABCD");
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u);
  EXPECT_EQ(FileNames(open_dir), Args{"cfg.bin"});
}
#endif

#if !defined(_WIN32)
// A bind-mounted single file cannot be renamed over: it is written in place,
// as shell redirection writes it, and nothing is left beside it.
TEST(CliReliabilityTest, MountedFileIsWrittenInPlace) {
  if (geteuid() != 0) GTEST_SKIP() << "a bind mount needs root";
  if (Shell("unshare -m --propagation private true 2>/dev/null") != 0) {
    GTEST_SKIP() << "no mount namespace can be made here";
  }
  TempDir dir;
  WriteFile(dir / "in.txt", "XY");
  WriteFile(dir / "source.bin", "ABCDEFGH");
  WriteFile(dir / "mounted.bin", "old");
  // The mount lives in a namespace of its own and ends with the command.
  const std::string command =
      "unshare -m --propagation private sh -c "
      "'mount --bind \"$1\" \"$2\" && \"$3\" bin -q -o \"$2\" \"$4\"' sh " +
      Q(dir / "source.bin") + " " + Q(dir / "mounted.bin") + " " + kCli + " " +
      Q(dir / "in.txt");
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "source.bin"), "XY");
  EXPECT_EQ(ReadFile(dir / "mounted.bin"), "old");
  EXPECT_EQ(FileNames(dir.path()),
            (Args{"in.txt", "mounted.bin", "source.bin"}));
}
#endif

// A table being written when Ctrl+C comes leaves no temporary file.
TEST(CliReliabilityTest, InterruptedWriteLeavesNoTemporaryFile) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 400000; ++i) text += "Привет, мир! ";
  WriteFile(dir / "in.txt", text);
#if defined(_WIN32)
  // Ctrl+Break reaches only a program on the sender's console.
  if (GetConsoleWindow() == nullptr && !AllocConsole()) {
    GTEST_SKIP() << "no console to send Ctrl+Break through";
  }
  for (int round = 0; round < 3; ++round) {
    ChildProcess child(TRULVEX_CLI_PATH,
                       {"table", "--set", "Ost1=3000", "-o",
                        PathBytes(dir / "out.asm"), PathBytes(dir / "in.txt")},
                       ChildOptions{.interruptible = true});
    bool seen = false;
    for (int i = 0; i < 2000 && !seen; ++i) {
      seen = FileNames(dir.path()).size() > 1;
      if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(child.Interrupt());
    EXPECT_EQ(child.Wait(), -1);  // ended by the event, not finished
    EXPECT_TRUE(seen);
    EXPECT_EQ(FileNames(dir.path()), Args{"in.txt"}) << round;
  }
#else
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      const std::string in = (dir / "in.txt").string();
      const std::string out = (dir / "out.asm").string();
      execl(TRULVEX_CLI_PATH, "trulvex-cli", "table", "--set", "Ost1=3000",
            "-o", out.c_str(), in.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait for the temporary file to appear, then interrupt.
    bool seen = false;
    for (int i = 0; i < 2000 && !seen; ++i) {
      seen = FileNames(dir.path()).size() > 1;
      if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(child, signal_number);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << signal_number;
    EXPECT_EQ(FileNames(dir.path()), Args{"in.txt"}) << signal_number;
  }
#endif
}

#if defined(__SANITIZE_ADDRESS__)
#define TRULVEX_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRULVEX_ASAN 1
#endif
#endif

// Out of memory: a clear message, exit 3, no file; never an abort.
TEST(CliReliabilityTest, ExhaustedMemoryIsReported) {
#if defined(TRULVEX_ASAN)
  GTEST_SKIP() << "the address sanitizer reserves far more than the limit";
#endif
  if (UnderWine()) {
    GTEST_SKIP() << "Wine does not hold a job to its memory limit";
  }
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
  // A database too large to hold parsed in memory.
  std::string big;
  for (int i = 0; big.size() < (std::size_t{60} << 20); ++i) {
    big += "[P" + std::to_string(i) + "]\r\nOst1 = 4\r\nDirective = Dt\r\n";
  }
  WriteFile(dir / "big.prof", big);
  const struct {
    Args args;
    std::uint64_t limit;
  } cases[] = {
      {{"profiles", "list", "--profiles", (dir / "big.prof").string()},
       200 << 20},
      // A 200 MB indent for every line.
      {{"table", "--set", "Ost1=200000000", "-o", (dir / "out.asm").string(),
        (dir / "in.txt").string()},
       200 << 20},
  };
  for (const auto& c : cases) {
    ChildProcess child(
        TRULVEX_CLI_PATH, c.args,
        ChildOptions{.err = dir / "err", .memory_limit = c.limit});
    EXPECT_EQ(child.Wait(), kExitFileError) << ReadFile(dir / "err");
    const std::string err = ReadFile(dir / "err");
    EXPECT_NE(err.find("недостаточно памяти"), std::string::npos) << err;
    fs::remove(dir / "err");
  }
  EXPECT_EQ(FileNames(dir.path()), (Args{"big.prof", "in.txt"}));
}

}  // namespace
}  // namespace trulvex::cli
