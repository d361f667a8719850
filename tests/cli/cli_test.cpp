#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using trulvex::testing::Cp;
using trulvex::testing::ReadFile;
using trulvex::testing::TempDir;
using trulvex::testing::TestData;
using trulvex::testing::WriteFile;

constexpr char kNoText[] = "Отсутствует преобразуемый текст";
constexpr char kDtName[] = "ASM — DT For PIC";

struct Result {
  int status;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) {
    bytes.append(buffer, got);
  }
  std::fclose(file);
  return bytes;
}

Result RunInProcess(const std::vector<std::string>& args,
                    std::string_view input = "", bool out_is_terminal = false) {
  Streams streams{std::tmpfile(), std::tmpfile(), std::tmpfile(),
                  out_is_terminal};
  std::fwrite(input.data(), 1, input.size(), streams.in);
  std::rewind(streams.in);
  const int status = RunCli(args, streams);
  std::fclose(streams.in);
  return {status, Drain(streams.out), Drain(streams.err)};
}

// Runs the real program through the shell; returns its exit status.
int RunProcess(const std::string& arguments) {
  const int raw = std::system(("'" TRULVEX_CLI_PATH "' " + arguments).c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

// Sorted names in the directory: shows stray temporary files.
std::vector<std::string> Names(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

using NameList = std::vector<std::string>;

constexpr fs::perms kAllWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

TEST(CliTest, WorkedExamplesMatchTheGoldenTables) {
  const struct {
    const char* golden;
    std::vector<std::string> options;
  } cases[] = {
      {"privet_dt.golden", {"-p", kDtName}},
      {"privet_dt.golden", {}},  // the first profile without -p
      {"privet_de.golden", {"-p", "ASM — DE For PIC"}},
      {"privet_mikrobasic.golden", {"-p", "MikroBasic For PIC"}},
      {"privet_binary.golden",
       {"-p", kDtName, "--set", "SI=0", "--set", "StartData=b'", "--set",
        "EndData='", "--set", "CountByteToComment=1"}},
      {"privet_decimal_wrap.golden",
       {"-p", kDtName, "--set", "SI=1", "--set", "StartData=", "--set",
        "CommentState=0", "--set", "CountByteToComment=1", "--set",
        "CountByte=5", "--set", "PerenosPoSlovam=1"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::vector<std::string> args = {"table"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-o", (dir / "out.inc").string(),
                             TestData("privet.txt").string()});
    const Result result = RunInProcess(args);
    EXPECT_EQ(result.status, kExitOk) << c.golden << result.err;
    const std::string golden = ReadFile(TestData(c.golden));
    ASSERT_FALSE(golden.empty()) << c.golden;
    EXPECT_EQ(ReadFile(dir / "out.inc"), golden) << c.golden;
    EXPECT_EQ(Names(dir.path()), NameList{"out.inc"});
  }
}

TEST(CliTest, ProfileNamesMatchIgnoringAsciiCase) {
  const std::string input = ReadFile(TestData("privet.txt"));
  const struct {
    std::string name;
    const char* golden;  // null: no such profile
  } cases[] = {
      {kDtName, "privet_dt.golden"},
      {"asm — dt for pic", "privet_dt.golden"},
      {"ASM \x97 DT For PIC", "privet_dt.golden"},  // already code page 1251
      {"MIKROBASIC FOR PIC", "privet_mikrobasic.golden"},
      {"ASM - DT For PIC", nullptr},
      {"ASM – DT For PIC", nullptr},  // en dash, not em dash
      {"ASM — DT For PIC ", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const Result result = RunInProcess({"table", "-p", c.name}, input);
    if (c.golden != nullptr) {
      EXPECT_EQ(result.status, kExitOk) << c.name;
      EXPECT_EQ(result.out, ReadFile(TestData(c.golden))) << c.name;
    } else {
      EXPECT_EQ(result.status, kExitUsage) << c.name;
      EXPECT_EQ(result.out, "");
      // The refusal lists the profiles that exist.
      EXPECT_NE(result.err.find(kDtName), std::string::npos) << result.err;
    }
  }
}

TEST(CliTest, SetTakesValuesAsWritten) {
  const Result result = RunInProcess(
      {"table", "--set", "RazdelitelData=|", "--set", "Comment=// — ",
       "--set=Ost1=0", "--set", "Directive=DB ", "--set", "CountByte=0"},
      "AB\r\nC");
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out,
            "// \x97 AB \r\nDB     0x41|0x42|0x20\r\n"
            "// \x97 C\r\nDB     0x43\r\n");
}

TEST(CliTest, BadOverridesAreUsageErrors) {
  for (const char* set : {"Bogus=1", "CountByte=abc", "CountByte=1.5",
                          "CountByte=", "SI=99999999999999", "CommentState=256",
                          "CommentState=-1", "NoEquals", "=5"}) {
    TempDir dir;
    const Result result =
        RunInProcess({"table", "--set", set, "-o", (dir / "out.inc").string(),
                      TestData("privet.txt").string()});
    EXPECT_EQ(result.status, kExitUsage) << set;
    EXPECT_TRUE(fs::is_empty(dir.path())) << set;
    EXPECT_NE(result.err.find("trulvex-cli: "), std::string::npos) << set;
  }
}

TEST(CliTest, TableFollowsTheInputEncoding) {
  const std::string utf8_table =
      "; Привет\r\n    Dt    0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF\r\n";
  const std::string cp_table = Cp(utf8_table);
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    std::string input;
    std::vector<std::string> options;
    bool terminal;
    std::string expected;
  } cases[] = {
      {Cp("Привет"), {}, false, cp_table},
      {"Привет", {}, false, utf8_table},
      {bom + "Привет", {}, false, utf8_table},
      {"Привет", {"--output-encoding", "cp1251"}, false, cp_table},
      {Cp("Привет"), {"--output-encoding=utf-8"}, false, utf8_table},
      {Cp("Привет"), {}, true, utf8_table},
      {Cp("Привет"), {"--output-encoding", "cp1251"}, true, cp_table},
      {"Привет", {"-e", "utf-8", "-"}, false, utf8_table},
      {Cp("Привет"), {"-e", "cp1251"}, false, cp_table},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"table"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result result = RunInProcess(args, c.input, c.terminal);
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, c.expected) << c.input;
  }
}

TEST(CliTest, EmptyTextIsRefusedWithoutCreatingAFile) {
  for (const std::string command : {"table", "bin"}) {
    for (const std::string input : {"", "\xEF\xBB\xBF"}) {
      TempDir dir;
      const Result result =
          RunInProcess({command, "-o", (dir / "out").string()}, input);
      EXPECT_EQ(result.status, kExitRefused) << command;
      EXPECT_NE(result.err.find(kNoText), std::string::npos) << result.err;
      EXPECT_TRUE(fs::is_empty(dir.path())) << command;
    }
  }
}

TEST(CliTest, FileErrorsExitWithThree) {
  TempDir dir;
  WriteFile(dir / "locked", "old");
  fs::permissions(dir / "locked", kAllWrite, fs::perm_options::remove);
  const std::string input = TestData("privet.txt").string();
  const std::string missing_dir = (dir / "none" / "out").string();
  const std::string locked = (dir / "locked").string();
  const std::vector<std::string> cases[] = {
      {"table", (dir / "missing.txt").string()},
      {"table", dir.path().string()},  // a directory as input
      {"table", "-o", missing_dir, input},
      {"table", "-o", locked, input},
      {"table", "-o", dir.path().string(), input},
      {"bin", "-o", (dir / "out.bin").string(), (dir / "missing.txt").string()},
      {"bin", "-o", missing_dir, input},
      {"bin", "-o", locked, input},
      {"bin", "--existing", "-o", locked, input},
  };
  for (const auto& args : cases) {
    const Result result = RunInProcess(args);
    EXPECT_EQ(result.status, kExitFileError) << args.back();
    EXPECT_NE(result.err.find("Не удалось"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(dir / "locked"), "old");
  }
  const Result missing =
      RunInProcess({"table", (dir / "missing.txt").string()});
  EXPECT_NE(missing.err.find("Не удалось открыть файл \n\"" +
                             (dir / "missing.txt").string() + "\""),
            std::string::npos)
      << missing.err;
  EXPECT_EQ(Names(dir.path()), NameList{"locked"});
}

TEST(CliTest, BinModesWriteTheBytes) {
  constexpr char kTen[] = "0123456789";
  const struct {
    std::vector<std::string> options;
    std::string expected;
    int status = kExitOk;
    std::string input = "XYZ";
  } cases[] = {
      {{}, "XYZ"},
      {{"--existing"}, "0123456789XYZ"},
      {{"--existing", "--at", "4"}, "0123XYZ456789"},
      {{"--existing", "--at=4", "--replace"}, "0123XYZ789"},
      {{"--existing", "--at", "9", "--replace"}, "012345678XYZ"},
      {{"--existing", "--at", "10", "--past-end", "append"}, "0123456789XYZ"},
      {{"--existing", "--at", "10"}, kTen, kExitRefused},
      {{"--existing", "--at", "99", "--past-end=cancel"}, kTen, kExitRefused},
      {{}, "AB", kExitOk, "A~\x01{B"},
      {{"--delete-undisplayable"}, "A B", kExitOk, "A\x01\x02 B\x98"},
      {{"--delete-spaces"}, "A  B  C", kExitOk, "A     B\r\n\r\nC"},
      {{"--delete-spaces=1", "--delete-undisplayable"},
       "AB",
       kExitOk,
       "A\x01\x02 B"},
      {{}, kTen, kExitRefused, "~{"},
      {{"--delete-undisplayable"}, kTen, kExitRefused, "~{"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const fs::path target = dir / "data.bin";
    WriteFile(target, kTen);
    std::vector<std::string> args = {"bin", "-o", target.string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result result = RunInProcess(args, c.input);
    EXPECT_EQ(result.status, c.status) << c.input << result.err;
    EXPECT_EQ(ReadFile(target), c.expected) << c.input;
    if (c.status == kExitOk) {
      EXPECT_EQ(result.out, "Преобразование успешно завершено.\n");
    } else {
      EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(Names(dir.path()), NameList{"data.bin"});
  }
}

TEST(CliTest, CancelledPastEndCreatesNoFile) {
  TempDir dir;
  const std::string target = (dir / "new.bin").string();
  const Result result =
      RunInProcess({"bin", "--existing", "--at", "0", "-o", target}, "AB");
  EXPECT_EQ(result.status, kExitRefused);
  EXPECT_NE(result.err.find("Преобразование не производилось"),
            std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_EQ(RunInProcess({"bin", "--existing", "-o", target}, "AB").status,
            kExitOk);
  EXPECT_EQ(ReadFile(target), "AB");
}

TEST(CliTest, UsageErrorsExitWithTwo) {
  TempDir dir;
  const std::string out = (dir / "out").string();
  const std::vector<std::string> cases[] = {
      {"convert"},
      {"table", "--bogus"},
      {"table", "a.txt", "b.txt"},
      {"table", "-e", "latin1"},
      {"table", "--output-encoding", "auto"},
      {"table", "-p"},
      {"table", "-o", ""},
      {"bin"},  // no -o
      {"bin", "-o", out, "--delete-spaces=0"},
      {"bin", "-o", out, "--delete-spaces=101"},
      {"bin", "-o", out, "--delete-spaces=x"},
      {"bin", "-o", out, "--at", "4"},
      {"bin", "-o", out, "--existing", "--replace"},
      {"bin", "-o", out, "--existing", "--at", "-1"},
      {"bin", "-o", out, "--existing", "--at", "4", "--past-end", "maybe"},
      {"bin", "-o", out, "-p", kDtName},
  };
  for (const auto& args : cases) {
    const Result result = RunInProcess(args, "AB");
    EXPECT_EQ(result.status, kExitUsage) << args.back();
    EXPECT_EQ(result.err.rfind("trulvex-cli: ", 0), 0u) << result.err;
    EXPECT_TRUE(fs::is_empty(dir.path())) << args.back();
  }
}

TEST(CliTest, HelpExitsZero) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"help"}, {"--help"}, {"table", "-h"}}) {
    const Result result = RunInProcess(args);
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_NE(result.out.find("trulvex-cli table"), std::string::npos);
  }
}

TEST(CliTest, ProgramReadsStandardInputAndReportsStatus) {
  TempDir dir;
  const std::string privet = Quote(TestData("privet.txt"));
  const std::string err = " 2>" + Quote(dir / "err");

  EXPECT_EQ(RunProcess("table -p '" + std::string(kDtName) + "' <" + privet +
                       " >" + Quote(dir / "table")),
            kExitOk);
  EXPECT_EQ(ReadFile(dir / "table"), ReadFile(TestData("privet_dt.golden")));

  EXPECT_EQ(
      std::system(("printf 'AB\\r\\nCD' | '" TRULVEX_CLI_PATH "' bin -o " +
                   Quote(dir / "out.bin") + " >/dev/null")
                      .c_str()),
      0);
  EXPECT_EQ(ReadFile(dir / "out.bin"), "AB CD");

  EXPECT_EQ(
      RunProcess("bin -o " + Quote(dir / "empty.bin") + " </dev/null" + err),
      kExitRefused);
  EXPECT_FALSE(fs::exists(dir / "empty.bin"));
  EXPECT_NE(ReadFile(dir / "err").find(kNoText), std::string::npos);

  EXPECT_EQ(RunProcess("table " + Quote(dir / "missing") + err),
            kExitFileError);
  EXPECT_EQ(RunProcess("frobnicate" + err), kExitUsage);
  EXPECT_EQ(RunProcess("help >/dev/null"), kExitOk);
  if (fs::exists("/dev/full")) {
    // A table that could not be written is not a success.
    EXPECT_EQ(RunProcess("table " + privet + " >/dev/full" + err),
              kExitFileError);
  }
}

// Files are converted piece by piece; characters split between two pieces
// of a large UTF-8 file must come out as from the whole text at once.
TEST(CliTest, LargeFilesGiveTheSameBytesAsStandardInput) {
  TempDir dir;
  std::string utf8;
  while (utf8.size() < 3'500'000) utf8 += "Жёлтый\tиндикатор №7 — €\r\n";
  std::string cp1251;
  while (cp1251.size() < 2'500'000) cp1251 += Cp("Привет, мир!\r\n");
  for (const std::string& text : {utf8, cp1251}) {
    WriteFile(dir / "in.txt", text);
    const Result from_file = RunInProcess(
        {"bin", "-o", (dir / "file.bin").string(), (dir / "in.txt").string()});
    const Result from_stdin =
        RunInProcess({"bin", "-o", (dir / "stdin.bin").string()}, text);
    ASSERT_EQ(from_file.status, 0) << from_file.err;
    ASSERT_EQ(from_stdin.status, 0) << from_stdin.err;
    EXPECT_EQ(from_file.err, from_stdin.err);
    EXPECT_EQ(ReadFile(dir / "file.bin"), ReadFile(dir / "stdin.bin"));
  }
}

}  // namespace
}  // namespace trulvex::cli
