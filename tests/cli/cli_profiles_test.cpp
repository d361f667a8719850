#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/profiles/profile_database.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

constexpr char kVar[] = "TRULVEX_DATA_DIR";
constexpr char kBuiltIn[] =
    "ASM — DT For PIC\nASM — DE For PIC\nMikroBasic For PIC\n";

// Gives every test a data directory of its own.
class CliProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironment(kVar, data_.path()); }
  void TearDown() override { SetEnvironment(kVar, saved_); }

  const fs::path saved_ = EnvironmentValue(kVar);
  TempDir data_;
  const std::string db_ = (data_ / "Profile.prof").string();
};

TEST_F(CliProfilesTest, ReadingNeverChangesTheDatabase) {
  // Without a database the built-in profiles are read; none is created.
  EXPECT_EQ(RunCliOn({"profiles", "list"}).out, kBuiltIn);
  const auto exported = RunCliOn(
      {"profiles", "export", (data_ / "de").string(), "asm — de for pic"});
  EXPECT_EQ(exported.err, "Сохранён: \"ASM — DE For PIC\"\n");
  Args names;
  ASSERT_TRUE(FillProfileList(data_ / "de.prof", &names));
  EXPECT_EQ(names, Args{Cp("ASM — DE For PIC")});
  EXPECT_EQ(FileNames(data_.path()), Args{"de.prof"});

  ASSERT_TRUE(CreateProfileDatabase(db_));
  ProfileRecord mine = DefaultProfileRecords()[0];
  mine.Directive = "db";
  ASSERT_EQ(SaveProfile(db_, Cp("Мой"), mine), SaveProfileResult::kSaved);
  WriteFile(data_ / "dup.prof", Cp("[Мой]\r\n[asm — dt for pic]\r\n"));
  const std::string before = ReadFile(db_);
  const auto stamp = fs::last_write_time(db_);
  const std::string dup = (data_ / "dup.prof").string();
  const std::string none = (data_ / "none.prof").string();
  const std::string table = "; AB\r\n    db    0x41, 0x42\r\n";
  const struct {
    Args args;
    int status;
    std::string out;
    std::string err = "";  // a part of standard error
  } cases[] = {
      {{"profiles", "list"}, kExitOk, kBuiltIn + std::string("Мой\n")},
      {{"profiles", "show", "Мой"},
       kExitOk,
       "Ost1 = 4\nOst2 = 4\nDirective = \"db\"\nStartDataBlok = \"\"\n"
       "EndDataBlok = \"\"\nStartData = \"0x\"\nSI = 2\nEndData = \"\"\n"
       "RazdelitelData = \", \"\nComment = \"; \"\nCommentState = 1\n"
       "CountByte = 8\nPerenosPoSlovam = 0\nCountByteToComment = 0\n"
       "DeleteSumbolError = 0\nDeleteSpace = 0\nCountSpace = 2\n"},
      {{"table", "-p", "Мой"}, kExitOk, table},
      {{"table", "-p", Cp("Мой"), "--profiles", db_}, kExitOk, table},
      {{"profiles", "export", (data_ / "x").string(), "Мой"},
       kExitOk,
       "",
       "Сохранён: \"Мой\"\n"},
      {{"table", "-p", "Чужой"}, kExitUsage, "", ", \"Мой\" (справка"},
      {{"profiles", "export", none, "Мой", "Чужой"}, kExitUsage, "", "Чужой"},
      {{"profiles", "export", db_, "Мой"},
       kExitRefused,
       "",
       "это сама база профилей\n"},
      {{"profiles", "export", (data_ / "no" / "x").string(), "Мой"},
       kExitFileError,
       "",
       "x.prof\": нет такого каталога\n"},
      {{"profiles", "list", "--profiles", none},
       kExitFileError,
       "",
       "none.prof\": нет такого файла\n"},
      {{"profiles", "import", none},
       kExitFileError,
       "",
       "не удалось открыть \"" + none + "\": нет такого файла\n"},
      {{"profiles", "import", db_}, kExitRefused, "", "это сама база"},
      {{"profiles", "import", dup},
       kExitOk,
       "",
       "Пропущен, такое имя уже есть в базе: \"Мой\"\n"
       "Пропущен, такое имя уже есть в базе: \"asm — dt for pic\"\n"
       "Заменить пропущенные: trulvex-cli profiles import --all ФАЙЛ, или "
       "назовите их: trulvex-cli profiles import ФАЙЛ ИМЯ...\n"},
      {{"profiles", "export", "out.prof"}, kExitUsage, "", "trulvex-cli: "},
      {{"profiles", "import", dup, "a", "--all"}, kExitUsage, "", "trulvex"},
  };
  for (const auto& c : cases) {
    const auto result = RunCliOn(c.args, "AB");
    EXPECT_EQ(result.status, c.status) << c.args[1] << " " << c.args.back();
    EXPECT_EQ(result.out, c.out) << c.args[1];
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    if (c.status != kExitOk) {
      EXPECT_TRUE(result.err.starts_with("trulvex-cli: ")) << result.err;
    }
  }
  EXPECT_EQ(ReadFile(db_), before);
  EXPECT_EQ(fs::last_write_time(db_), stamp);
  EXPECT_EQ(FileNames(data_.path()),
            (Args{"Profile.prof", "de.prof", "dup.prof", "x.prof"}));
}

// Known names are skipped unless --all; names match as the file spells them.
TEST_F(CliProfilesTest, ImportChoosesTheProfiles) {
  const std::string in = (data_ / "in.prof").string();
  WriteFile(in, Cp("[asm — dt for pic]\r\nDirective = [String]Zz[/String]\r\n"
                   "[Новый]\r\nDirective = Nn\r\n"));
  const std::string created = "Создана база профилей \"" + db_ + "\"\n";
  const std::string dt = "\"asm — dt for pic\"\n", fresh = "\"Новый\"\n";
  const std::string skipped = "Пропущен, такое имя уже есть в базе: ";
  const std::string hint =
      "Заменить пропущенные: trulvex-cli profiles import --all ФАЙЛ, или "
      "назовите их: trulvex-cli profiles import ФАЙЛ ИМЯ...\n";
  const struct {
    Args extra;
    std::string out, directive;  // empty `out`: nothing imported
  } cases[] = {
      {{}, created + "Загружен: " + fresh + skipped + dt + hint, "Dt"},
      {{"--all"}, created + "Загружен: " + dt + "Загружен: " + fresh, "Zz"},
      {{"ASM — DT FOR PIC"}, created + "Загружен: " + dt, "Zz"},
      {{"новый"}, "", ""},  // Cyrillic case is not folded
  };
  for (const auto& c : cases) {
    fs::remove(db_);
    Args args = {"profiles", "import", in};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const auto result = RunCliOn(args);
    if (!c.out.empty()) {
      EXPECT_EQ(result.err, c.out);
    }
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, c.out.empty() ? kExitUsage : kExitOk);
    ProfileRecord loaded;
    LoadProfile(db_, Cp("ASM — DT For PIC"), &loaded);
    EXPECT_EQ(loaded.Directive, c.directive);
  }
}

// Russian letters count for "already there" but not for replacing: with
// "Тест" in the database, "тест" is skipped without names and added as a
// second profile when named, as the help and the manual pages say.
TEST_F(CliProfilesTest, ImportMatchesRussianCaseOnlyToSkip) {
  const std::string in = (data_ / "in.prof").string();
  WriteFile(db_, Cp("[Тест]\r\nDirective = Old\r\n"));
  WriteFile(in, Cp("[тест]\r\nDirective = New\r\n"));
  const struct {
    Args extra;
    Args names;
  } cases[] = {
      {{}, {Cp("Тест")}},
      {{Cp("тест")}, {Cp("Тест"), Cp("тест")}},
      {{"--all"}, {Cp("Тест"), Cp("тест")}},
  };
  for (const auto& c : cases) {
    WriteFile(db_, Cp("[Тест]\r\nDirective = Old\r\n"));
    Args args = {"profiles", "import", in};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(RunCliOn(args).status, kExitOk);
    Args names;
    ASSERT_TRUE(FillProfileList(db_, &names));
    EXPECT_EQ(names, c.names) << c.extra.size();
    ProfileRecord kept;
    LoadProfile(db_, Cp("Тест"), &kept);
    EXPECT_EQ(kept.Directive, "Old");
  }
}

// A profile the database cannot hold as it is (a text that would load back
// as another) is named, the others come in, and the run exits 1.
TEST_F(CliProfilesTest, ImportOfAnUnstorableProfileFails) {
  const std::string in = (data_ / "in.prof").string();
  WriteFile(in,
            "[Odd]\r\nDirective = [Str[String]ing]x\r\n"
            "[Fine]\r\nDirective = db\r\n");
  const CliResult result = RunCliOn({"profiles", "import", in});
  EXPECT_EQ(result.status, kExitRefused);
  EXPECT_NE(result.err.find("не загружен профиль \"Odd\": его нельзя "
                            "сохранить в базе как есть"),
            std::string::npos)
      << result.err;
  Args names;
  ASSERT_TRUE(FillProfileList(db_, &names));
  EXPECT_EQ(names.back(), "Fine");
  EXPECT_EQ(std::count(names.begin(), names.end(), "Odd"), 0);
}

}  // namespace
}  // namespace trulvex::cli
