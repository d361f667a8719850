// The converter behaves as a tool in a pipeline: results alone on standard
// output, status and errors on standard error, one-line errors that name
// the file and the reason, the usual spellings of options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/messages.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

constexpr char kDone[] = "Преобразование успешно завершено.\n";
const std::string kPrivetCodes =
    "\xA8\x70\xB8\xB3\x65\xBF\x2C\x20\xBC\xB8\x70\x21";

TEST(CliConventionsTest, ResultsOnStandardOutputStatusOnStandardError) {
  TempDir dir;
  const std::string in = TestData("privet.txt").string();
  const std::string table = ReadFile(TestData("privet_dt.golden"));
  const std::string exported = (dir / "e.prof").string();
  const struct {
    Args args;
    std::string out, err;
  } cases[] = {
      {{"table", "-o", "-", in}, table, ""},
      {{"table", "-o-", in}, table, ""},
      {{"bin", "-o", "-", in}, kPrivetCodes, kDone},
      {{"bin", "-q", "-o", "-", in}, kPrivetCodes, ""},
      {{"bin", "--quiet", "-o", (dir / "a.bin").string(), in}, "", ""},
      {{"bin", "-o", (dir / "a.bin").string(), in}, "", kDone},
      {{"profiles", "export", exported, "MikroBasic For PIC"},
       "",
       "Сохранён: \"MikroBasic For PIC\"\n"},
      {{"profiles", "export", "-q", exported, "MikroBasic For PIC"}, "", ""},
  };
  for (const auto& c : cases) {
    const CliResult result = RunCliOn(c.args);
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, c.out) << c.args[1];
    EXPECT_EQ(result.err, c.err) << c.args[1];
  }
  EXPECT_EQ(FileNames(dir.path()), (Args{"a.bin", "e.prof"}));
}

TEST(CliConventionsTest, BytesAreNotWrittenToATerminal) {
  const CliResult result =
      RunCliOn({"bin", "-o", "-"}, "Привет", /*out_is_terminal=*/true);
  EXPECT_EQ(result.status, kExitUsage);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(
      result.err.starts_with("trulvex-cli: коды не выводятся на "
                             "терминал"))
      << result.err;
}

TEST(CliConventionsTest, AFullDeviceIsReported) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  for (const char* command : {"table", "bin"}) {
    const CliResult result =
        RunCliOn({command, "-o", "/dev/full", TestData("privet.txt").string()});
    EXPECT_EQ(result.status, kExitFileError);
    EXPECT_EQ(result.err,
              "trulvex-cli: не удалось записать \"/dev/full\": нет места на "
              "устройстве\n");
  }
}

TEST(CliConventionsTest, ErrorsAreNeverSilenced) {
  const CliResult result = RunCliOn({"bin", "-q", "-o", "-", "/nonexistent"});
  EXPECT_EQ(result.status, kExitFileError);
  EXPECT_EQ(result.err,
            "trulvex-cli: не удалось открыть \"/nonexistent\": нет такого "
            "файла\n");
  EXPECT_EQ(result.out, "");
}

TEST(CliConventionsTest, OptionSpellings) {
  const std::string in = TestData("privet.txt").string();
  const struct {
    Args options;
    std::string expected;  // the bytes of the target after the run
  } cases[] = {
      {{"--existing", "--at", "4"}, "0123" + kPrivetCodes + "456789"},
      {{"--existing", "--at", "0x4"}, "0123" + kPrivetCodes + "456789"},
      {{"--existing", "--at=$A", "--past-end", "append"},
       "0123456789" + kPrivetCodes},
      {{"--existing", "--at", "0Ah", "--past-end", "append"},
       "0123456789" + kPrivetCodes},
      {{"--existing", "--at", "2H", "--replace"}, "01" + kPrivetCodes},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "t.bin", "0123456789");
    Args args = {"bin", "-o", (dir / "t.bin").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(in);
    const CliResult result = RunCliOn(args);
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(ReadFile(dir / "t.bin"), c.expected) << c.options[2];
  }

  // A count after a blank, and -pNAME.
  const CliResult spaces =
      RunCliOn({"bin", "-o", "-", "--delete-spaces", "1", "-"}, "A    B  C");
  EXPECT_EQ(spaces.out, "A B C");
  const CliResult profile = RunCliOn({"table", "-pmikrobasic for pic", in});
  EXPECT_EQ(profile.out, ReadFile(TestData("privet_mikrobasic.golden")));

  // Help in every spelling, on standard output, as a success.
  const CliResult help = RunCliOn({"help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("trulvex-cli table"), std::string::npos);
  for (const Args& spelling : {Args{"-h"}, Args{"--help"}}) {
    const CliResult other = RunCliOn(spelling);
    EXPECT_EQ(other.status, kExitOk) << spelling[0];
    EXPECT_EQ(other.out, help.out) << spelling[0];
    EXPECT_EQ(other.err, "") << spelling[0];
  }
}

TEST(CliConventionsTest, AddressesInDecimalAndHexadecimal) {
  const struct {
    const char* text;
    std::optional<std::uint64_t> value;
  } cases[] = {
      {"0", 0},
      {"16", 16},
      {"0x10", 16},
      {"0XfF", 255},
      {"$10", 16},
      {"10h", 16},
      {"FFH", 255},
      {"18446744073709551615", UINT64_MAX},
      {"0xFFFFFFFFFFFFFFFF", UINT64_MAX},
      {"18446744073709551616", std::nullopt},
      {"0x", std::nullopt},
      {"$", std::nullopt},
      {"h", std::nullopt},
      {"1g", std::nullopt},
      {"-1", std::nullopt},
      {"0x-1", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseAddress(c.text), c.value) << c.text;
  }
}

TEST(CliConventionsTest, RefusedRequestsSayWhy) {
  TempDir dir;
  const std::string in = TestData("privet.txt").string();
  const struct {
    Args args;
    int status;
    std::string err;
  } cases[] = {
      {{"bin", "-o", "-", "--existing", in},
       kExitUsage,
       "trulvex-cli: параметр --existing требует файл: стандартный вывод "
       "нельзя дополнить (справка: trulvex-cli help)\n"},
      {{"bin", "-o", "-", "--at", "0xZ", in},
       kExitUsage,
       "trulvex-cli: начальный адрес должен быть числом: десятичным (16) или "
       "шестнадцатеричным (0x10, $10, 10h), получено \"0xZ\" (справка: "
       "trulvex-cli help)\n"},
      {{"profiles", "export", dir.path().string() + "/", "MikroBasic For PIC"},
       kExitUsage,
       "trulvex-cli: \"" + dir.path().string() +
           "/\" — это каталог, а нужно имя файла, например \"" +
           PathBytes(dir.path()) + "/профили.prof" +
           "\" (справка: trulvex-cli help)\n"},
      {{"profiles", "export", (dir / "x").string(), "Профиль ✓"},
       kExitUsage,
       "trulvex-cli: имя профиля \"Профиль ✓\" содержит символы, которых нет в "
       "кодовой странице 1251, а имена профилей хранятся в ней\n"},
      {{"bin", "-o", (dir / "a.bin").string(), "--existing", "--at", "100", in},
       kExitRefused,
       "trulvex-cli: преобразование не производилось: адрес --at не меньше "
       "размера файла (--past-end append дописывает в конец)\n"},
  };
  for (const auto& c : cases) {
    const CliResult result = RunCliOn(c.args);
    EXPECT_EQ(result.status, c.status) << c.args[1];
    EXPECT_EQ(result.err, c.err);
  }
  EXPECT_EQ(FileNames(dir.path()), Args{});
}

TEST(CliConventionsTest, ImportOfKnownNamesTellsHowToReplaceThem) {
  TempDir dir;
  const std::string db = (dir / "Profile.prof").string();
  const std::string source = (dir / "in.prof").string();
  WriteFile(source, Cp("[MikroBasic For PIC]\r\nDirective = x\r\n"));
  // Nothing new to take: nothing is written, and the way to replace is told.
  const CliResult known =
      RunCliOn({"profiles", "import", source, "--profiles", db});
  EXPECT_EQ(known.status, kExitOk);
  EXPECT_FALSE(fs::exists(db));
  EXPECT_EQ(known.err,
            "Пропущен, такое имя уже есть в базе: \"MikroBasic For PIC\"\n"
            "Заменить пропущенные: trulvex-cli profiles import --all "
            "ФАЙЛ, или назовите их: trulvex-cli profiles import ФАЙЛ "
            "ИМЯ...\n");
  EXPECT_EQ(
      RunCliOn({"profiles", "import", "-q", source, "--profiles", db}).err, "");

  // A database that cannot be written: the one-line reason, exit 3.
  WriteFile(db, Cp("[MikroBasic For PIC]\r\n"));
  fs::permissions(db, fs::perms::owner_read);
  const CliResult locked =
      RunCliOn({"profiles", "import", "--all", source, "--profiles", db});
  EXPECT_EQ(locked.status, kExitFileError);
  EXPECT_EQ(locked.err,
            "trulvex-cli: не удалось записать базу профилей \"" + db +
                "\": файл только для чтения; она осталась прежней\n");
}

TEST(CliConventionsTest, MessagesFoldOntoOneLine) {
  const struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"Не удалось создать файл \n\"a b\"", "не удалось создать файл \"a b\""},
      {"Ёлка!", "ёлка"},
      {"Явно.", "явно"},
      {"Profile x.", "profile x"},
      {"BIN не записан", "BIN не записан"},
      {"ЖКИ ждёт...", "ЖКИ ждёт..."},
      {"  two\r\n\r\nlines ", "two lines"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(OneLine(c.text), c.line) << c.text;
}

}  // namespace
}  // namespace trulvex::cli
