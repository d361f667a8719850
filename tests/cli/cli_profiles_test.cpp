#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "profiles/profile_database.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using trulvex::testing::Cp;
using trulvex::testing::ReadFile;
using trulvex::testing::TempDir;
using trulvex::testing::WriteFile;
using Names = std::vector<std::string>;

constexpr char kDt[] = "ASM — DT For PIC";
constexpr char kDe[] = "ASM — DE For PIC";
constexpr char kBuiltInList[] =
    "ASM — DT For PIC\nASM — DE For PIC\nMikroBasic For PIC\n";

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

Result RunCliWith(const std::vector<std::string>& args,
                  std::string_view input = "") {
  Streams streams{std::tmpfile(), std::tmpfile(), std::tmpfile(), false};
  std::fwrite(input.data(), 1, input.size(), streams.in);
  std::rewind(streams.in);
  const int status = RunCli(args, streams);
  std::fclose(streams.in);
  return {status, Drain(streams.out), Drain(streams.err)};
}

// Points the data directory at a temporary one for the test's duration.
class CliProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("TRULVEX_DATA_DIR")) saved_ = old;
    setenv("TRULVEX_DATA_DIR", data_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_) {
      setenv("TRULVEX_DATA_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("TRULVEX_DATA_DIR");
    }
  }

  fs::path Database() const { return data_ / "Profile.prof"; }

  // The shipped database plus a profile of the user's, "Мой" (Cyrillic).
  void MakeDatabase() {
    ASSERT_TRUE(CreateProfileDatabase(Database()));
    ProfileRecord mine;
    mine.Ost1 = 0;
    mine.Ost2 = 1;
    mine.Directive = "db";
    mine.StartData = "$";
    mine.RazdelitelData = " | ";
    mine.Comment = "// ";
    mine.CommentState = 1;
    ASSERT_EQ(SaveProfile(Database(), Cp("Мой"), mine),
              SaveProfileResult::kSaved);
  }

  TempDir data_;
  TempDir work_;
  std::optional<std::string> saved_;
};

TEST_F(CliProfilesTest, ReadingWithoutADatabaseUsesTheBuiltInProfiles) {
  const Result list = RunCliWith({"profiles", "list"});
  EXPECT_EQ(list.status, kExitOk) << list.err;
  EXPECT_EQ(list.out, kBuiltInList);

  const Result exported =
      RunCliWith({"profiles", "export", (work_ / "out").string(), kDe});
  EXPECT_EQ(exported.status, kExitOk) << exported.err;
  EXPECT_EQ(exported.out, "Сохранён: \"ASM — DE For PIC\"\n");
  Names names;
  ASSERT_TRUE(FillProfileList(work_ / "out.prof", &names));
  EXPECT_EQ(names, Names{Cp(kDe)});
  EXPECT_TRUE(fs::is_empty(data_.path()));  // no database was created
}

TEST_F(CliProfilesTest, ReadingNeverTouchesTheDatabase) {
  MakeDatabase();
  const std::string before = ReadFile(Database());
  const auto stamp = fs::last_write_time(Database());
  const std::string input = "AB";
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"profiles", "list"}, std::string(kBuiltInList) + "Мой\n"},
      {{"profiles", "list", "--profiles", Database().string()},
       std::string(kBuiltInList) + "Мой\n"},
      {{"profiles", "show", "Мой"},
       "Ost1 = 0\nOst2 = 1\nDirective = \"db\"\nStartDataBlok = \"\"\n"
       "EndDataBlok = \"\"\nStartData = \"$\"\nSI = 2\nEndData = \"\"\n"
       "RazdelitelData = \" | \"\nComment = \"// \"\nCommentState = 1\n"
       "CountByte = 0\nPerenosPoSlovam = 0\nCountByteToComment = 0\n"
       "DeleteSumbolError = 0\nDeleteSpace = 0\nCountSpace = 2\n"},
      {{"table", "-p", "Мой"}, "// AB\r\ndb $41 | $42\r\n"},
      {{"table", "-p", Cp("Мой")}, "// AB\r\ndb $41 | $42\r\n"},
      {{"profiles", "export", (work_ / "x.prof").string(), "Мой"},
       "Сохранён: \"Мой\"\n"},
  };
  for (const auto& c : cases) {
    const Result result = RunCliWith(c.args, input);
    EXPECT_EQ(result.status, kExitOk) << c.args[1] << result.err;
    EXPECT_EQ(result.out, c.out) << c.args[1];
  }
  EXPECT_EQ(ReadFile(Database()), before);
  EXPECT_EQ(fs::last_write_time(Database()), stamp);
  EXPECT_EQ(std::distance(fs::directory_iterator(data_.path()),
                          fs::directory_iterator()),
            1);
}

TEST_F(CliProfilesTest, UnknownNamesAndFilesWriteNothing) {
  MakeDatabase();
  const std::string before = ReadFile(Database());
  const std::string out = (work_ / "out.prof").string();
  const std::string missing = (work_ / "missing.prof").string();
  const struct {
    std::vector<std::string> args;
    int status;
    const char* err;
  } cases[] = {
      {{"table", "-p", "Чужой"}, kExitUsage, "\n  \"Мой\""},
      {{"profiles", "export", out, "Мой", "Чужой"}, kExitUsage, "Чужой"},
      {{"profiles", "export", Database().string(), "Мой"},
       kExitRefused,
       "Нет доступа к файлу\n"},
      {{"profiles", "export", (work_ / "none" / "x").string(), "Мой"},
       kExitFileError,
       "Не удалось создать файл\n"},
      {{"profiles", "list", "--profiles", missing}, kExitFileError, "missing"},
      {{"profiles", "import", missing}, kExitFileError, "missing"},
      {{"profiles", "import", Database().string()},
       kExitRefused,
       "Нет доступа к файлу\n"},
  };
  for (const auto& c : cases) {
    const Result result = RunCliWith(c.args, "AB");
    EXPECT_EQ(result.status, c.status) << c.args[1] << " " << c.args[2];
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadFile(Database()), before);
  EXPECT_TRUE(fs::is_empty(work_.path()));
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(CliProfilesTest, ImportChoosesNamesAsTheImportWindowTicksThem) {
  WriteFile(work_ / "in.prof",
            Cp("[asm — dt for pic]\r\nDirective = [String]Zz[/String]\r\n"
               "[Новый]\r\nDirective = [String] Nn [/String]\r\n"));
  const std::string in = (work_ / "in.prof").string();
  const std::string created =
      "Создана база профилей \"" + Database().string() + "\"\n";
  const std::string skipped =
      "Пропущен, такое имя уже есть в базе: \"asm — dt for pic\"\n";
  const struct {
    std::vector<std::string> extra;
    std::string out;
    std::string dt_directive;
  } cases[] = {
      {{}, created + "Загружен: \"Новый\"\n" + skipped, "Dt"},
      {{"--all"},
       created + "Загружен: \"asm — dt for pic\"\nЗагружен: \"Новый\"\n",
       "Zz"},
      // Named profiles are taken as the file spells them, duplicates too.
      {{"ASM — DT FOR PIC"},
       created + "Загружен: \"asm — dt for pic\"\n",
       "Zz"},
      // A different case of a Cyrillic letter names no profile.
      {{"новый"}, "", "none"},
  };
  for (const auto& c : cases) {
    fs::remove(Database());
    std::vector<std::string> args = {"profiles", "import", in};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const Result result = RunCliWith(args);
    EXPECT_EQ(result.out, c.out);
    ProfileRecord dt;
    if (c.out.empty()) {
      EXPECT_EQ(result.status, kExitUsage);
      EXPECT_FALSE(fs::exists(Database()));
      continue;
    }
    EXPECT_EQ(result.status, kExitOk) << result.err;
    ASSERT_EQ(LoadProfile(Database(), Cp(kDt), &dt),
              LoadProfileResult::kLoaded);
    EXPECT_EQ(dt.Directive, c.dt_directive);
  }

  // The existing database already has both: nothing new, nothing written.
  ASSERT_EQ(RunCliWith({"profiles", "import", in}).status, kExitOk);
  const std::string before = ReadFile(Database());
  const Result again =
      RunCliWith({"profiles", "import", in, "--profiles", Database().string()});
  EXPECT_EQ(again.status, kExitRefused);
  EXPECT_EQ(again.out,
            "Пропущен, такое имя уже есть в базе: \"asm — dt for pic\"\n"
            "Пропущен, такое имя уже есть в базе: \"Новый\"\n");
  EXPECT_EQ(again.err, "Нужно выбрать не менее одного профиля\n");
  EXPECT_EQ(ReadFile(Database()), before);
}

TEST_F(CliProfilesTest, UsageErrors) {
  const std::vector<std::string> cases[] = {
      {"profiles"},
      {"profiles", "show"},
      {"profiles", "export", "out.prof"},
      {"profiles", "import", "in.prof", "a", "--all"},
      {"table", "--profiles", ""},
  };
  for (const auto& args : cases) {
    const Result result = RunCliWith(args);
    EXPECT_EQ(result.status, kExitUsage) << args.back();
    EXPECT_EQ(result.err.rfind("trulvex-cli: ", 0), 0u) << result.err;
  }
  EXPECT_NE(RunCliWith({"profiles", "-h"}).out.find("profiles import"),
            std::string::npos);
}

}  // namespace
}  // namespace trulvex::cli
