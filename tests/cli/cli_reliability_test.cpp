// The converter as a real process among others: concurrent writers,
// signals, exhausted memory, unwritable output streams and targets that are
// streams, links or files with several names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli.h"
#include "core/profiles/profile_database.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

std::string Q(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command line; its exit status, -1 when it did not exit.
int Shell(const std::string& command) {
  const int raw =
      std::system(("bash -c " + std::string("\"") + command + "\"").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

const std::string kCli = "'" TRULVEX_CLI_PATH "'";

// Twenty imports started at once, each adding its own profile: all twenty
// arrive.
TEST(CliReliabilityTest, ConcurrentImportsLoseNoProfile) {
  TempDir dir;
  const fs::path db = dir / "Profile.prof";
  ASSERT_TRUE(CreateProfileDatabase(db));
  constexpr int kWriters = 20;
  std::vector<pid_t> children;
  for (int i = 0; i < kWriters; ++i) {
    const fs::path file = dir / ("p" + std::to_string(i) + ".prof");
    ProfileRecord record = DefaultProfileRecords()[0];
    record.Name = "P" + std::to_string(i);
    ASSERT_TRUE(WriteProfileFile(file, std::span(&record, 1)));
  }
  for (int i = 0; i < kWriters; ++i) {
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      const std::string file =
          (dir / ("p" + std::to_string(i) + ".prof")).string();
      dup2(open("/dev/null", O_WRONLY), 1);
      execl(TRULVEX_CLI_PATH, "trulvex-cli", "profiles", "import", file.c_str(),
            "--profiles", db.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<std::string> names;
  ASSERT_TRUE(FillProfileList(db, &names));
  EXPECT_EQ(names.size(), 3u + kWriters);
  for (int i = 0; i < kWriters; ++i) {
    EXPECT_NE(std::find(names.begin(), names.end(), "P" + std::to_string(i)),
              names.end());
  }
  EXPECT_EQ(FileNames(dir.path()).size(), 1u + kWriters);  // no lock left
}

TEST(CliReliabilityTest, SwitchesTakeNoValue) {
  TempDir dir;
  WriteFile(dir / "t.bin", "0123456789");
  for (const char* wrong :
       {"--replace=no", "--existing=1", "--delete-undisplayable=0"}) {
    const CliResult result =
        RunCliOn({"bin", "-o", (dir / "t.bin").string(), "--existing", "--at=2",
                  "--replace", wrong},
                 "AB");
    EXPECT_EQ(result.status, kExitUsage) << wrong;
    EXPECT_NE(result.err.find("не принимает значения"), std::string::npos);
  }
  EXPECT_EQ(RunCliOn({"profiles", "import", "x.prof", "--all=1"}).status,
            kExitUsage);
  EXPECT_EQ(ReadFile(dir / "t.bin"), "0123456789");
}

// Output that never arrived is a failure.
TEST(CliReliabilityTest, UnwrittenStandardStreamsFail) {
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
}

// A file to change must be a regular one: a FIFO no one reads is refused
// at once, never waited on, and so is a device.
TEST(CliReliabilityTest, ExistingTargetThatIsNoRegularFileIsRefusedAtOnce) {
  TempDir dir;
  WriteFile(dir / "in.txt", "AB");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const std::string& target :
       {(dir / "fifo").string(), std::string("/dev/null")}) {
    const CliResult result = RunCliOn(
        {"bin", "-o", target, "--existing", (dir / "in.txt").string()});
    EXPECT_EQ(result.status, kExitFileError) << target;
    EXPECT_NE(result.err.find("это не обычный файл"), std::string::npos)
        << result.err;
  }
}

// Standard output as a target is written in order, never replaced.
TEST(CliReliabilityTest, StandardOutputTargetKeepsWhatCameBefore) {
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
  EXPECT_NE(ReadFile(table), "old");

  const fs::path longest = dir / std::string(255, 'n');
  WriteFile(longest, "old");
  EXPECT_EQ(
      RunCliOn({"table", "-o", longest.string(), (dir / "in.txt").string()})
          .status,
      kExitOk);
  EXPECT_NE(ReadFile(longest), "old");
}

// A table being written when Ctrl+C comes leaves no temporary file.
TEST(CliReliabilityTest, InterruptedWriteLeavesNoTemporaryFile) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 400000; ++i) text += "Привет, мир! ";
  WriteFile(dir / "in.txt", text);
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
    rlim_t limit;
  } cases[] = {
      {{"profiles", "list", "--profiles", (dir / "big.prof").string()},
       200 << 20},
      // A 200 MB indent for every line.
      {{"table", "--set", "Ost1=200000000", "-o", (dir / "out.asm").string(),
        (dir / "in.txt").string()},
       200 << 20},
  };
  for (const auto& c : cases) {
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      dup2(pipe_ends[1], 2);
      close(pipe_ends[0]);
      const rlimit limit{c.limit, c.limit};
      setrlimit(RLIMIT_AS, &limit);
      std::vector<char*> argv = {const_cast<char*>("trulvex-cli")};
      for (const std::string& arg : c.args)
        argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(TRULVEX_CLI_PATH, argv.data());
      _exit(127);
    }
    close(pipe_ends[1]);
    std::string err;
    char buffer[4096];
    for (ssize_t got; (got = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
      err.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipe_ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << c.args[0];
    EXPECT_EQ(WEXITSTATUS(status), kExitFileError) << err;
    EXPECT_NE(err.find("недостаточно памяти"), std::string::npos) << err;
  }
  EXPECT_EQ(FileNames(dir.path()), (Args{"big.prof", "in.txt"}));
}

}  // namespace
}  // namespace trulvex::cli
