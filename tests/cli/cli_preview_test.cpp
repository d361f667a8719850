#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "png_reader.h"
#include "test_support.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;
using Args = std::vector<std::string>;

TEST(CliPreviewTest, TextOfPrivetOnSixteenByTwo) {
  const auto result = RunCliOn({"preview", "--format", "text", "--size", "16x2",
                                TestData("privet.txt").string()});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.out, ReadFile(TestData("privet_16x2.golden")));
  EXPECT_EQ(result.err, "");
}

TEST(CliPreviewTest, PictureHasTheModulesSizeAndColours) {
  TempDir dir;
  // Text by default on standard output; a .png file gets a picture.
  const auto result = RunCliOn({"preview", "-o", (dir / "privet.png").string(),
                                TestData("privet.txt").string()});
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const Picture picture = DecodePng(ReadFile(dir / "privet.png"));
  // 16 characters of 5 dots and 15 gaps of one between two dots of glass
  // on each side, 4 pixels per dot; 2 rows of 8 dots likewise.
  EXPECT_EQ(picture.width, (2 + 16 * 5 + 15 + 2) * 4);
  EXPECT_EQ(picture.height, (2 + 2 * 8 + 1 + 2) * 4);
  // П: the top row lit, the second row dark inside; a dot leaves its last
  // pixel dark towards the next one.
  EXPECT_EQ(picture.At(8, 8), (std::vector<int>{22, 40, 18}));
  EXPECT_EQ(picture.At(10, 10), (std::vector<int>{22, 40, 18}));
  EXPECT_EQ(picture.At(12, 12), (std::vector<int>{142, 182, 36}));
  EXPECT_EQ(picture.At(11, 8), (std::vector<int>{156, 196, 40}));
  EXPECT_EQ(picture.At(0, 0), (std::vector<int>{156, 196, 40}));
  EXPECT_EQ(FileNames(dir.path()), Args{"privet.png"});
}

TEST(CliPreviewTest, PagesMarksAndStatus) {
  const struct {
    std::string input;
    Args options;
    int status;
    int pages;
    std::string err;
  } cases[] = {
      {"ab\ncd", {"--size", "8x1"}, kExitOk, 2, ""},
      {"ab\ncd\n", {"--size", "8x2"}, kExitOk, 1, ""},
      {"", {}, kExitOk, 1, ""},
      {"0123456789\na{b",
       {"--size", "8x1"},
       kExitRefused,
       2,
       "Страница 1, строка 1, столбец 9: \"8\" и дальше — строка длиннее 8 "
       "знаков, обрезано знаков: 2\n"
       "Страница 2, строка 1, столбец 2: \"{\" — нет в знакогенераторе "
       "индикатора, не выводится\n"},
      // The profile's cleaning removes the character; it is still told.
      {"a~b",
       {"--set", "DeleteSumbolError=1"},
       kExitRefused,
       1,
       "Страница 1, строка 1, столбец 2: \"~\" — нет в знакогенераторе "
       "индикатора, не выводится\n"},
      {"Цена — 5 ★",
       {"-e", "utf-8"},
       kExitRefused,
       1,
       "Страница 1, строка 1, столбец 6: \"—\" — нет в знакогенераторе "
       "индикатора, не выводится\n"
       "Страница 1, строка 1, столбец 9: знак вне кодовой страницы 1251 — "
       "нет в знакогенераторе индикатора, не выводится\n"},
  };
  for (const auto& c : cases) {
    Args args = {"preview"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = RunCliOn(args, c.input);
    EXPECT_EQ(result.status, c.status) << c.input;
    EXPECT_EQ(result.err, c.err) << c.input;
    std::size_t separators = 0;
    for (std::size_t at = 0;
         (at = result.out.find("\n--\n", at)) != std::string::npos; ++at) {
      ++separators;
    }
    EXPECT_EQ(separators + 1, static_cast<std::size_t>(c.pages)) << c.input;
  }
}

TEST(CliPreviewTest, PicturesOfSeveralPagesAndThemes) {
  TempDir dir;
  const std::string out = (dir / "pages").string();
  const auto result = RunCliOn({"preview", "--format=png", "--size=20x4",
                                "--scale=2", "--theme=blue", "-o", out},
                               "1\n2\n3\n4\n5");
  ASSERT_EQ(result.status, kExitOk) << result.err;
  const Picture picture = DecodePng(ReadFile(dir / "pages"));
  const int page_height = (2 + 4 * 8 + 3 + 2) * 2;
  EXPECT_EQ(picture.width, (2 + 20 * 5 + 19 + 2) * 2);
  EXPECT_EQ(picture.height, 2 * page_height + 2 * 2);
  EXPECT_EQ(picture.At(0, page_height), (std::vector<int>{32, 32, 40}));
  EXPECT_EQ(picture.At(0, 0), (std::vector<int>{24, 66, 214}));
}

TEST(CliPreviewTest, MistakesAndFilesThatCannotBeWritten) {
  TempDir dir;
  WriteFile(dir / "locked.png", "old");
  fs::permissions(dir / "locked.png", fs::perms::owner_read);
  const struct {
    Args args;
    int status;
    bool terminal = false;
  } cases[] = {
      {{"preview", "--size", "17x2"}, kExitUsage},
      {{"preview", "--format", "bmp"}, kExitUsage},
      {{"preview", "--scale", "0"}, kExitUsage},
      {{"preview", "--scale", "33"}, kExitUsage},
      {{"preview", "--theme", "red"}, kExitUsage},
      {{"preview", "--output-encoding", "utf-8"}, kExitUsage},
      {{"preview", "--format", "png"}, kExitUsage, true},
      {{"preview", "-o", (dir / "locked.png").string()}, kExitFileError},
      {{"preview", (dir / "none.txt").string()}, kExitFileError},
      {{"preview", "-p", "nobody"}, kExitUsage},
  };
  for (const auto& c : cases) {
    const auto result = RunCliOn(c.args, "AB", c.terminal);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    EXPECT_EQ(result.out, "") << c.args.back();
    EXPECT_NE(result.err, "") << c.args.back();
  }
  EXPECT_EQ(FileNames(dir.path()), Args{"locked.png"});
  EXPECT_EQ(ReadFile(dir / "locked.png"), "old");
}

}  // namespace
}  // namespace trulvex::cli
