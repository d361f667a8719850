// Where an installed or copied converter keeps the profile database: never
// beside itself unless it is a portable install, and nothing is created by
// a command that only reads.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Names = std::vector<std::string>;

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs a copy of the converter in `bin` with a home of its own and no data
// directory from the environment; `env` adds variables.
int RunCopy(const fs::path& bin, const fs::path& home, const std::string& env,
            const std::string& arguments) {
  const std::string command =
      "env -u TRULVEX_DATA_DIR -u XDG_CONFIG_HOME HOME=" + Quote(home) + " " +
      env + " " + Quote(bin / "trulvex-cli") + " " + arguments +
      " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(DataDirectoryTest, CopiedProgramWritesWhereTheRuleSays) {
  const struct {
    const char* name;
    Names beside;        // files put beside the program before the run
    std::string env;     // extra environment, with ROOT for the test root
    std::string expect;  // where Profile.prof is made, under the test root
  } cases[] = {
      {"per-user", {}, "", "home/.config/trulvex/Profile.prof"},
      {"XDG", {}, "XDG_CONFIG_HOME=ROOT/xdg", "xdg/trulvex/Profile.prof"},
      {"relative XDG",
       {},
       "XDG_CONFIG_HOME=xdg",
       "home/.config/trulvex/Profile.prof"},
      {"portable marker", {"portable"}, "", "bin/Profile.prof"},
      {"database beside", {"Profile.prof"}, "", "bin/Profile.prof"},
      {"variable",
       {"portable"},
       "TRULVEX_DATA_DIR=ROOT/data",
       "data/Profile.prof"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    fs::create_directories(root / "home");
    fs::copy_file(TRULVEX_CLI_PATH, bin / "trulvex-cli");
    for (const std::string& name : c.beside) {
      WriteFile(bin / name, name == "Profile.prof"
                                ? Cp("[ASM — DT For PIC]\r\nSI = 2\r\n")
                                : "");
    }
    WriteFile(root / "mine.prof", Cp("[Мой]\r\nDirective = db\r\n"));
    std::string env = c.env;
    if (const auto at = env.find("ROOT"); at != std::string::npos) {
      env.replace(at, 4, root.path().string());
    }
    Names beside = c.beside;
    beside.push_back("trulvex-cli");
    std::sort(beside.begin(), beside.end());

    // Reading creates nothing anywhere.
    EXPECT_EQ(RunCopy(bin, root / "home", env, "profiles list"), 0);
    EXPECT_EQ(RunCopy(bin, root / "home", env,
                      "table -o - " + Quote(TestData("privet.txt"))),
              0);
    EXPECT_EQ(FileNames(root / "home"), Names{});
    EXPECT_EQ(FileNames(bin), beside);

    EXPECT_EQ(RunCopy(bin, root / "home", env,
                      "profiles import " + Quote(root / "mine.prof")),
              0);
    EXPECT_TRUE(fs::exists(root / c.expect));
    if (!std::string(c.expect).starts_with("bin/")) {
      EXPECT_EQ(FileNames(bin), beside);
    }
  }
}

}  // namespace
}  // namespace trulvex
