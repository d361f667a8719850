#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"
#include "core/shell/text_document.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

constexpr char kDtName[] = "ASM — DT For PIC";

TEST(CliTest, WorkedExamplesMatchTheGoldenTables) {
  const struct {
    const char* golden;
    Args options;
  } cases[] = {
      {"privet_dt.golden", {}},  // the first profile without -p
      {"privet_dt.golden", {"-p", "asm — dt for pic"}},  // ASCII case folds
      {"privet_de.golden", {"-p", "ASM — DE For PIC"}},
      {"privet_mikrobasic.golden", {"-p", "MikroBasic For PIC"}},
      {"privet_binary.golden",
       {"-p", kDtName, "--set=SI=0", "--set=StartData=b'", "--set=EndData='",
        "--set=CountByteToComment=1"}},
      {"privet_decimal_wrap.golden",
       {"-p", kDtName, "--set=SI=1", "--set=StartData=", "--set=CommentState=0",
        "--set=CountByteToComment=1", "--set=CountByte=5",
        "--set=PerenosPoSlovam=1"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Args args = {"table", TestData("privet.txt").string(), "-o",
                 (dir / "out.inc").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(RunCliOn(args).status, kExitOk) << c.golden;
    EXPECT_EQ(ReadFile(dir / "out.inc"), ReadFile(TestData(c.golden)))
        << c.golden;
    EXPECT_EQ(FileNames(dir.path()), Args{"out.inc"});
  }
}

// The output takes the input's encoding, UTF-8 on a terminal, or as asked.
TEST(CliTest, TablesOnStandardOutput) {
  const std::string utf8 =
      "; Привет\r\n    Dt    0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF\r\n";
  const std::string cp = Cp(utf8);
  const struct {
    std::string input, expected;
    Args args;
    bool terminal = false;
  } cases[] = {
      {Cp("Привет"), cp, {"table"}},
      {"Привет", utf8, {"table"}},
      {"\xEF\xBB\xBFПривет", utf8, {"table"}},
      {Cp("Привет"), utf8, {"table"}, true},
      {"Привет", cp, {"table", "--output-encoding", "cp1251"}, true},
      {"Привет", utf8, {"table", "-e", "utf-8", "-"}},
      {"AB\r\nC",  // overrides take their values as written
       "// \x97 AB \r\nDB     0x41|0x42|0x20\r\n// \x97 C\r\nDB     0x43\r\n",
       {"table", "--set", "RazdelitelData=|", "--set", "Comment=// — ", "--set",
        "Ost1=0", "--set", "Directive=DB ", "--set", "CountByte=0"}},
  };
  for (const auto& c : cases) {
    const auto result = RunCliOn(c.args, c.input, c.terminal);
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, c.expected) << c.input;
  }
}

TEST(CliTest, BinOptionsPlaceTheBytes) {
  constexpr char kTen[] = "0123456789";
  const struct {
    Args options;
    std::string input, expected;
    int status = kExitOk;
  } cases[] = {
      {{}, "XYZ", "XYZ"},
      {{"--existing", "--at=4"}, "XYZ", "0123XYZ456789"},
      {{"--existing", "--at", "4", "--replace"}, "XYZ", "0123XYZ789"},
      {{"--existing", "--at=10", "--past-end=append"}, "XYZ", "0123456789XYZ"},
      {{"--existing", "--at", "10"}, "XYZ", kTen, kExitRefused},
      {{"--delete-undisplayable"}, "A\x01\x02 B\x98", "A B"},
      {{"--delete-spaces"}, "A     B\r\n\r\nC", "A  B  C"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "data.bin", kTen);
    Args args = {"bin", "-o", (dir / "data.bin").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = RunCliOn(args, c.input);
    EXPECT_EQ(result.status, c.status) << c.input << result.err;
    EXPECT_EQ(ReadFile(dir / "data.bin"), c.expected) << c.input;
    EXPECT_EQ(FileNames(dir.path()), Args{"data.bin"});
  }
}

TEST(CliTest, RefusalsAndErrorsWriteNothing) {
  TempDir dir;
  WriteFile(dir / "locked", "old");
  fs::permissions(dir / "locked", fs::perms::owner_read);
  const std::string in = TestData("privet.txt").string();
  const std::string out = (dir / "out").string();
  const std::string locked = (dir / "locked").string();
  const struct {
    Args args;
    int status;
    std::string input = "AB";
    std::string message = "";  // a part of the message
  } cases[] = {
      {{"table", "-o", out}, kExitRefused, "", "отсутствует"},
      {{"bin", "-o", out}, kExitRefused, "\xEF\xBB\xBF", "отсутствует"},
      {{"table", (dir / "none").string()},
       kExitFileError,
       "",
       "не удалось открыть \"" + (dir / "none").string() +
           "\": нет такого файла"},
      {{"table", dir.path().string()}, kExitFileError, "", ": это каталог"},
      {{"table", "-o", locked, in},
       kExitFileError,
       "",
       "не удалось создать \"" + locked + "\": файл только для чтения"},
      {{"table", "-o", (dir / "no" / "x").string(), in},
       kExitFileError,
       "",
       "x\": нет такого каталога"},
      {{"table", "-o", dir.path().string(), in}, kExitFileError, "", "каталог"},
      {{"bin", "-o", out, (dir / "none").string()},
       kExitFileError,
       "",
       "нет такого файла"},
      {{"bin", "--existing", "-o", locked, in}, kExitFileError, "", locked},
      {{"table", "-p", "ASM - DT For PIC"}, kExitUsage, "", kDtName},
      {{"table", "--set", "Bogus=1", "-o", out}, kExitUsage},
      {{"table", "--set", "CommentState=256", "-o", out}, kExitUsage},
      {{"convert"}, kExitUsage},
      {{"table", "a.txt", "b.txt"}, kExitUsage},
      {{"table", "-e", "latin1"}, kExitUsage},
      {{"bin"}, kExitUsage},  // no -o
      {{"bin", "-o", out, "--delete-spaces=0"}, kExitUsage},
      {{"bin", "-o", out, "--at", "4"}, kExitUsage},
      {{"bin", "-o", out, "--existing", "--at=4", "--past-end=no"}, kExitUsage},
  };
  for (const auto& c : cases) {
    const auto result = RunCliOn(c.args, c.input);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    // One line, named after the program, whatever went wrong.
    EXPECT_TRUE(result.err.starts_with("trulvex-cli: ")) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1)
        << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(FileNames(dir.path()), Args{"locked"}) << c.args.back();
  }
  EXPECT_EQ(ReadFile(dir / "locked"), "old");
}

TEST(CliTest, ProgramReadsStandardInputAndReportsStatus) {
  TempDir dir;
  const std::string privet = ShellQuote(TestData("privet.txt"));
  const std::string err = " 2>" + ShellQuote(dir / "err");
  const auto expect_status = [&](const std::string& arguments, int status) {
    EXPECT_EQ(RunCliProgram(arguments + err), status) << arguments << "\n"
                                                      << ReadFile(dir / "err");
  };
  // A table redirected to a file keeps its CR LF: on Windows, a standard
  // output left in text mode would make it CR CR LF.
  expect_status("table <" + privet + " >" + ShellQuote(dir / "table"), kExitOk);
  EXPECT_EQ(ReadFile(dir / "table"), ReadFile(TestData("privet_dt.golden")));
  expect_status("bin -o " + ShellQuote(dir / "a.bin") + " <" + kNullDevice,
                kExitRefused);
  expect_status("table " + ShellQuote(dir / "none"), kExitFileError);
  expect_status("frobnicate", kExitUsage);
#if !defined(_WIN32)  // under Wine the name would reach the host's device
  if (fs::exists("/dev/full")) {  // a table that could not be written
    expect_status("table " + privet + " >/dev/full", kExitFileError);
  }
#endif
}

// A file is read in pieces, splitting characters: it gives what stdin gives.
TEST(CliTest, LargeFilesGiveTheSameBytesAsStandardInput) {
  TempDir dir;
  std::string utf8, cp1251;
  while (utf8.size() < 3'500'000) utf8 += "Жёлтый\tиндикатор №7 — €\r\n";
  while (cp1251.size() < 2'500'000) cp1251 += Cp("Привет, мир!\r\n");
  for (const std::string& text : {utf8, cp1251}) {
    WriteFile(dir / "in.txt", text);
    const auto from_file = RunCliOn(
        {"bin", "-o", (dir / "file.bin").string(), (dir / "in.txt").string()});
    const auto from_stdin =
        RunCliOn({"bin", "-o", (dir / "stdin.bin").string()}, text);
    ASSERT_EQ(from_file.status + from_stdin.status, 0) << from_file.err;
    EXPECT_EQ(from_file.err, from_stdin.err);
    EXPECT_EQ(ReadFile(dir / "file.bin"), ReadFile(dir / "stdin.bin"));
  }
}

// A pipe, a FIFO or /dev/stdin gives exactly what the same bytes in a
// regular file give, for texts of several megabytes whose encoding shows
// early, late or only at their last byte.
TEST(CliTest, PipesGiveWhatFilesGive) {
  TempDir dir;
  std::string cp, utf8;
  while (cp.size() < 3'000'000) cp += Cp("Привет, мир!\r\n");
  while (utf8.size() < 3'000'000) utf8 += "Жёлтый\tиндикатор №7 — €\r\n";
  const std::string late = std::string(2'000'000, 'a') + "\r\nЁж\r\n";
  std::string lone_crs;  // lines ending in LF with CRs inside, then CR only
  while (lone_crs.size() < 2'000'000) lone_crs += "ab\rcd\ref\n";
  lone_crs += std::string(100'000, '\r');
  const std::string texts[] = {cp, utf8, late, utf8 + "\xFF", lone_crs};
  const std::string in = ShellQuote(dir / "in.txt");
#if defined(_WIN32)
  // Windows has neither FIFOs nor /dev/stdin: a pipe from cmd.exe's type.
  const std::string pipe = "type " + in + " | ";
#else
  const std::string pipe = "cat " + in + " | ";
  const std::string fifo = ShellQuote(dir / "fifo");
  ASSERT_EQ(std::system(("mkfifo " + fifo).c_str()), 0);
#endif
  for (const std::string& text : texts) {
    WriteFile(dir / "in.txt", text);
    for (const std::string command :
         {"table -o", "bin -o", "table --set CountByte=0 -o"}) {
      SCOPED_TRACE(command + " on " + std::to_string(text.size()));
      const auto run = [&](const std::string& name, const std::string& from,
                           const std::string& feed) {
        const fs::path out = dir / name;
        EXPECT_EQ(
            RunCliProgram(command + " " + ShellQuote(out) + " " + from + " >" +
                              kNullDevice + " 2>" + ShellQuote(dir / "err"),
                          feed),
            0)
            << ReadFile(dir / "err");
        return ReadFile(out);
      };
      const std::string from_file = run("file.out", in, "");
      EXPECT_FALSE(from_file.empty());
      EXPECT_EQ(run("dash.out", "-", pipe), from_file);
      EXPECT_EQ(run("redirected.out", "<" + in, ""), from_file);
#if !defined(_WIN32)
      EXPECT_EQ(run("pipe.out", "/dev/stdin", pipe), from_file);
      EXPECT_EQ(run("fifo.out", fifo, "cat " + in + " >" + fifo + " & "),
                from_file);
#endif
    }
  }
}

// The window and the converter read a file the same way: a mark before
// code page 1251 text keeps every letter; UTF-8 asked for on such bytes is
// refused, not converted with the letters dropped.
TEST(CliTest, OneDecodingRuleWithTheWindow) {
  const std::string marked = std::string(kUtf8Bom) + Cp("Привет");
  const std::string window = Utf8ToCp1251(DecodeDocument(marked).utf8);
  EXPECT_EQ(window, marked);
  const auto result = RunCliOn({"table"}, marked);
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            ConvertToTable(window, DefaultProfileRecords()[0]).table);

  TempDir dir;
  const auto forced =
      RunCliOn({"table", "-e", "utf-8", "-o", (dir / "out").string()}, marked);
  EXPECT_EQ(forced.status, kExitRefused);
  EXPECT_NE(forced.err.find("UTF-8"), std::string::npos) << forced.err;
  EXPECT_EQ(forced.err.find("символов"), std::string::npos) << forced.err;
  EXPECT_NE(forced.err.find("смещению 3 "), std::string::npos) << forced.err;
  EXPECT_TRUE(FileNames(dir.path()).empty());
}

// A profile with a Cyrillic comment and a UTF-8 text whose first letter
// comes after a megabyte: the whole table is in the text's encoding.
TEST(CliTest, TheTableTakesTheEncodingOfALateFirstLetter) {
  const std::string text = std::string(1'200'000, 'a') + " Ёж";
  ProfileRecord profile = DefaultProfileRecords()[0];
  profile.Comment = Cp("// — ");
  const std::string table =
      Cp1251ToUtf8(ConvertToTable(Cp(text), profile).table);
  const auto result = RunCliOn({"table", "--set", "Comment=// — "}, text);
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(result.out == table) << "tables differ";
}

// The output may be the input file itself: it is read whole first.
TEST(CliTest, OutputOverTheInputFile) {
  TempDir dir;
  WriteFile(dir / "text", ReadFile(TestData("privet.txt")));
  const std::string path = (dir / "text").string();
  EXPECT_EQ(RunCliOn({"table", "-o", path, path}).status, kExitOk);
  EXPECT_EQ(ReadFile(dir / "text"), ReadFile(TestData("privet_dt.golden")));
}

}  // namespace
}  // namespace trulvex::cli
