#include "core/engine/display_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/engine/char_map.h"
#include "core/engine/code_mapping.h"
#include "core/engine/text_preparation.h"
#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

ProfileRecord Cleaning(int delete_space, int count_space, int delete_symbols) {
  ProfileRecord profile;
  profile.DeleteSpace = static_cast<std::uint8_t>(delete_space);
  profile.CountSpace = static_cast<std::uint8_t>(count_space);
  profile.DeleteSumbolError = static_cast<std::uint8_t>(delete_symbols);
  return profile;
}

DisplayPage PageOf(const std::string& cp1251, DisplaySize size,
                   const ProfileRecord& profile = {}) {
  const std::vector<std::string_view> lines = SplitDisplayLines(cp1251);
  return LayOutPage(lines, size, profile);
}

// A row's codes as the characters of the code page 1251 text they came
// from would be written, so that expectations read as text: the codes of
// the ASCII half are their own characters.
std::string RowCodes(const DisplayPage& page, int row) {
  std::string codes;
  for (int column = 0; column < page.size.columns; ++column) {
    codes += static_cast<char>(page.at(row, column).code);
  }
  return codes;
}

std::string Marks(const DisplayPage& page) {
  std::string marks;
  for (const DisplayMark& mark : page.marks) {
    marks += (mark.reason == MarkReason::kCut ? "cut " : "skip ") +
             std::to_string(mark.row) + ":" + std::to_string(mark.column) +
             " " + std::string(1, static_cast<char>(mark.character));
    if (mark.reason == MarkReason::kCut)
      marks += " " + std::to_string(mark.cut);
    marks += ";";
  }
  return marks;
}

TEST(DisplayPageTest, LinesFillTheRowsWithTheirDisplayCodes) {
  const DisplayPage page = PageOf(Cp("Привет, мир!\r\nHi"), {16, 4});
  std::string first;
  for (const char c : Cp("Привет, мир!")) {
    first += static_cast<char>(CharToLcdCode(static_cast<std::uint8_t>(c)));
  }
  EXPECT_EQ(RowCodes(page, 0), first + "    ");
  EXPECT_EQ(RowCodes(page, 1), "Hi" + std::string(14, ' '));
  EXPECT_EQ(RowCodes(page, 2), std::string(16, ' '));
  EXPECT_EQ(RowCodes(page, 3), std::string(16, ' '));
  EXPECT_TRUE(page.marks.empty());
}

TEST(DisplayPageTest, CutsAndUnshowableCharactersAreMarked) {
  const struct {
    std::string text;
    DisplaySize size;
    ProfileRecord profile;
    std::string row, marks;
  } cases[] = {
      {"0123456789", {8, 1}, {}, "01234567", "cut 0:8 8 2;"},
      {"01234567", {8, 1}, {}, "01234567", ""},
      // Left out, the character takes no cell: the display shows what the
      // conversion writes.
      {"a{b", {8, 1}, {}, "ab      ", "skip 0:1 {;"},
      {"abcdefgh~", {8, 1}, {}, "abcdefgh", "skip 0:8 ~;"},
      // Past the edge only the cut is told.
      {"abcdefghi~", {8, 1}, {}, "abcdefgh", "cut 0:8 i 1;"},
      {"abcdefg~hij", {8, 1}, {}, "abcdefgh", "skip 0:7 ~;cut 0:8 i 2;"},
      {"a\tb", {8, 1}, {}, "a b     ", ""},
      // The profile's cleaning applies; what it deletes is marked alike.
      {"A    B  C", {8, 1}, Cleaning(1, 2, 0), "A  B  C ", ""},
      {"A~B", {8, 1}, Cleaning(0, 2, 1), "AB      ", "skip 0:1 ~;"},
      {"A\x01\x02 B",
       {8, 1},
       Cleaning(1, 1, 1),
       "AB      ",
       "skip 0:1 \x01;skip 0:1 \x02;"},
      {"A \t  B", {8, 1}, Cleaning(1, 2, 1), "A  B    ", ""},
      {"A \t  B", {8, 1}, Cleaning(1, 2, 0), "A    B  ", ""},
      {"\x98\xA0x", {8, 1}, {}, "x       ", "skip 0:0 \x98;skip 0:0 \xA0;"},
      {"one\ntwo\nthree", {8, 2}, {}, "one     ", ""},
  };
  for (const auto& c : cases) {
    const DisplayPage page = PageOf(c.text, c.size, c.profile);
    EXPECT_EQ(RowCodes(page, 0), c.row) << c.text;
    EXPECT_EQ(Marks(page), c.marks) << c.text;
  }
}

TEST(DisplayPageTest, MarkedCellsAndWhatTheirTooltipsSay) {
  const DisplayPage page = PageOf(Cp("a{b\nabcdefghij\nabcdefg№—"), {8, 3});
  EXPECT_EQ(page.at(0, 1).marks, kCellUnshowable);
  EXPECT_EQ(page.at(1, 7).marks, kCellCut);
  // — falls right after the last column: its neighbour there is marked.
  EXPECT_EQ(page.at(2, 7).marks, kCellUnshowable);
  EXPECT_EQ(page.at(2, 6).marks, 0);
  ASSERT_EQ(page.MarksAt(0, 1).size(), 1u);
  EXPECT_EQ(DescribeMark(page.MarksAt(0, 1)[0], page.size),
            "\"{\" — нет в знакогенераторе индикатора, не выводится");
  EXPECT_EQ(DescribeMark(page.MarksAt(1, 7)[0], page.size),
            "\"i\" и дальше — строка длиннее 8 знаков, обрезано знаков: 2");
  EXPECT_EQ(DescribeMark({MarkReason::kUnshowable, 0, 0, 0x0C}, page.size),
            "управляющий знак 0x0C — нет в знакогенераторе индикатора, не "
            "выводится");
  EXPECT_TRUE(page.MarksAt(0, 0).empty());
}

// Whatever the text and the cleaning, a row that fits holds exactly the
// codes the conversion writes for its line, and every character the
// display cannot show is marked once.
TEST(DisplayPageTest, RowsAgreeWithTheConversion) {
  std::mt19937 random(16);
  const std::string alphabet = Cp("ab  \t~{№Ёё") + std::string("\x01\x98\xA0 ");
  const ProfileRecord profiles[] = {{},
                                    Cleaning(1, 1, 0),
                                    Cleaning(1, 2, 1),
                                    Cleaning(0, 2, 1),
                                    Cleaning(1, 3, 1)};
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    const int length = static_cast<int>(random() % 30);
    for (int i = 0; i < length; ++i) {
      line += alphabet[random() % alphabet.size()];
    }
    for (const ProfileRecord& profile : profiles) {
      const DisplayPage page =
          LayOutPage(std::vector<std::string_view>{line}, {40, 1}, profile);
      std::string expected = line;
      if (profile.DeleteSpace == 1 || profile.DeleteSumbolError == 1) {
        expected = CleanText(expected, profile.DeleteSpace, profile.CountSpace,
                             profile.DeleteSumbolError);
      }
      expected = MapToLcdCodes(NormalizePiece(expected));
      expected.resize(40, ' ');
      ASSERT_EQ(RowCodes(page, 0), expected) << line;
      std::size_t unshowable = 0;
      for (const char c : line) {
        unshowable += c != '\t' && !IsDisplayable(static_cast<std::uint8_t>(c));
      }
      ASSERT_EQ(page.marks.size(), unshowable) << line;
    }
  }
}

TEST(DisplayPageTest, LinesAndPages) {
  const struct {
    std::string text;
    std::vector<std::string_view> lines;
  } cases[] = {
      {"", {}},
      {"A", {"A"}},
      {"A\n", {"A"}},  // a final line break starts no line
      {"\n", {""}},
      {"A\r\nB\rC\nD", {"A", "B", "C", "D"}},
      {"A\n\nB\r\n", {"A", "", "B"}},
      {"A\n\r", {"A", ""}},  // LF then CR: two breaks, as in the editor
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitDisplayLines(c.text), c.lines) << c.text;
  }
  EXPECT_EQ(DisplayPageCount(0, {16, 2}), 1u);
  EXPECT_EQ(DisplayPageCount(2, {16, 2}), 1u);
  EXPECT_EQ(DisplayPageCount(3, {16, 2}), 2u);
  EXPECT_EQ(DisplayPageCount(9, {20, 4}), 3u);
}

TEST(DisplayPageTest, SizesAreReadAsTheyAreWritten) {
  for (const DisplaySize size : kDisplaySizes) {
    EXPECT_EQ(ParseDisplaySize(DisplaySizeName(size)), size);
  }
  EXPECT_EQ(ParseDisplaySize("20X4"), (DisplaySize{20, 4}));
  EXPECT_EQ(ParseDisplaySize("40х2"), (DisplaySize{40, 2}));  // Cyrillic х
  for (const char* wrong : {"", "16", "16x", "x2", "17x2", "16x3", " 16x2",
                            "16x2 ", "16x2x", "+16x2", "16*2"}) {
    EXPECT_FALSE(ParseDisplaySize(wrong)) << wrong;
  }
}

}  // namespace
}  // namespace trulvex
