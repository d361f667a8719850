// Where an installed or copied converter keeps the profile database: never
// beside itself unless it is a portable install, and nothing is created by
// a command that only reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_support.h"

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on
#endif

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Names = std::vector<std::string>;

const fs::path kProgram = fs::path(TRULVEX_CLI_PATH).filename();

// Runs a copy of the converter in `bin` with a home of its own and no data
// directory from the environment; `env` adds variables (NAME=VALUE, one;
// on Windows only TRULVEX_DATA_DIR).
int RunCopy(const fs::path& bin, const fs::path& home, const std::string& env,
            const std::string& arguments) {
#if defined(_WIN32)
  (void)home;  // the per-user folder is the known folder, not a variable
  const fs::path saved = EnvironmentValue("TRULVEX_DATA_DIR");
  const std::size_t equals = env.find('=');
  SetEnvironment("TRULVEX_DATA_DIR",  // empty removes it
                 equals == std::string::npos
                     ? fs::path()
                     : PathFromBytes(std::string_view(env).substr(equals + 1)));
  const int status = _wsystem(Utf8ToWide("\"" + ShellQuote(bin / kProgram) +
                                         " " + arguments + " >NUL 2>&1\"")
                                  .c_str());
  SetEnvironment("TRULVEX_DATA_DIR", saved);
  return status;
#else
  const std::string command =
      "env -u TRULVEX_DATA_DIR -u XDG_CONFIG_HOME HOME=" + ShellQuote(home) +
      " " + env + " " + ShellQuote(bin / kProgram) + " " + arguments +
      " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
}

// The per-user directory, where a test may write it: on Windows the user's
// own application data, which only Wine's throw-away prefix lets a test
// touch.
std::optional<fs::path> PerUserDirectory(const fs::path& home) {
#if defined(_WIN32)
  (void)home;
  if (!UnderWine()) return std::nullopt;
  wchar_t* known = nullptr;
  fs::path folder;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr,
                           &known) == S_OK) {
    folder = fs::path(known) / "Trulvex";
  }
  CoTaskMemFree(known);
  return folder;
#else
  return home / ".config" / "trulvex";
#endif
}

TEST(DataDirectoryTest, CopiedProgramWritesWhereTheRuleSays) {
  const struct {
    const char* name;
    Names beside;        // files put beside the program before the run
    std::string env;     // extra environment, with ROOT for the test root
    std::string expect;  // where Profile.prof is made, under the test root;
                         // empty: in the per-user directory
  } cases[] = {
    {"per-user", {}, "", ""},
#if !defined(_WIN32)  // XDG means nothing on Windows
    {"XDG", {}, "XDG_CONFIG_HOME=ROOT/xdg", "xdg/trulvex/Profile.prof"},
    {"relative XDG", {}, "XDG_CONFIG_HOME=xdg", ""},
#endif
    {"portable marker", {"portable"}, "", "bin/Profile.prof"},
    {"database beside", {"Profile.prof"}, "", "bin/Profile.prof"},
    {"variable",
     {"portable"},
     "TRULVEX_DATA_DIR=ROOT/data",
     "data/Profile.prof"},
  };
  bool per_user_skipped = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    const std::optional<fs::path> per_user = PerUserDirectory(root / "home");
#if defined(_WIN32)
    if (c.expect.empty() && !per_user) {
      per_user_skipped = true;
      continue;
    }
#endif
    const fs::path expect =
        c.expect.empty() ? *per_user / "Profile.prof" : root / c.expect;
    if (c.expect.empty()) fs::remove_all(*per_user);
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    fs::create_directories(root / "home");
    fs::copy_file(TRULVEX_CLI_PATH, bin / kProgram);
    for (const std::string& name : c.beside) {
      WriteFile(bin / name, name == "Profile.prof"
                                ? Cp("[ASM — DT For PIC]\r\nSI = 2\r\n")
                                : "");
    }
    WriteFile(root / "mine.prof", Cp("[Мой]\r\nDirective = db\r\n"));
    std::string env = c.env;
    if (const auto at = env.find("ROOT"); at != std::string::npos) {
      env.replace(at, 4, PathBytes(root.path()));
    }
    Names beside = c.beside;
    beside.push_back(PathBytes(kProgram));
    std::sort(beside.begin(), beside.end());

    // Reading creates nothing anywhere.
    EXPECT_EQ(RunCopy(bin, root / "home", env, "profiles list"), 0);
    EXPECT_EQ(RunCopy(bin, root / "home", env,
                      "table -o - " + ShellQuote(TestData("privet.txt"))),
              0);
    EXPECT_EQ(FileNames(root / "home"), Names{});
    if (per_user) {
      EXPECT_FALSE(fs::exists(*per_user));
    }
    EXPECT_EQ(FileNames(bin), beside);

    EXPECT_EQ(RunCopy(bin, root / "home", env,
                      "profiles import " + ShellQuote(root / "mine.prof")),
              0);
    EXPECT_TRUE(fs::exists(expect)) << PathBytes(expect);
    if (!c.expect.starts_with("bin/")) {
      EXPECT_EQ(FileNames(bin), beside);
    }
    // Wine's per-user directory outlives the test root.
    if (c.expect.empty()) fs::remove_all(*per_user);
  }
  if (per_user_skipped) {
    GTEST_SKIP() << "the per-user case: outside Wine the per-user folder is "
                    "the user's own %APPDATA%, which a test must not write";
  }
}

}  // namespace
}  // namespace trulvex
