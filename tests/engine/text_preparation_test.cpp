#include "engine/text_preparation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

// The raw pieces of the whole text, walked the way a run walks it.
std::vector<std::string> RawPieces(std::string_view text,
                                   std::int32_t count_byte,
                                   std::uint8_t word_wrap) {
  std::vector<std::string> pieces;
  for (std::size_t offset = 0; offset < text.size();) {
    const std::string_view raw =
        NextLinePiece(text, offset, count_byte, word_wrap);
    if (raw.empty()) break;
    pieces.emplace_back(raw);
    offset += raw.size();
  }
  return pieces;
}

TEST(TextPreparationTest, FlattenTextTurnsEveryBreakIntoOneSpace) {
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"AB\r\nCD", "AB CD"},
      {"AB\n\rCD", "AB CD"},
      {"AB\rCD", "AB CD"},
      {"AB\nCD", "AB CD"},
      {"AB\r\n\r\nCD", "AB  CD"},  // an empty line: one space per break
      {"AB\r\rCD", "AB  CD"},
      {"\n\r\n", "  "},   // LF CR pairs up first, the LF is alone
      {"\r\t\n", "   "},  // the tab keeps CR and LF apart
      {"A\tB\t\r\n", "A B  "},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FlattenText(c.text), c.expected) << c.text;
  }
}

TEST(TextPreparationTest, CleanText) {
  const struct {
    std::string text;
    int delete_space;
    int count_space;
    int delete_symbol_error;
    std::string expected;
  } cases[] = {
      {"A    B  C", 1, 2, 0, "A  B  C"},
      {"A   B ", 1, 1, 0, "A B "},
      {"A \t  B", 1, 1, 0, "A \t B"},  // a tab is no space for the run
      {"A~B{C", 0, 2, 1, "ABC"},
      {"A\r\nB", 0, 2, 1, "A\nB"},  // CR goes, LF stays
      {"A\f\tB\x7F", 0, 2, 1, "A\f B"},
      {Cp("Ёё«»№"), 0, 2, 1, Cp("Ёё«»№")},
      {"A\x01\x02 B", 1, 1, 1, "AB"},  // deleted bytes lengthen the run
      {"A \x7F  B", 1, 2, 1, "A B"},
      {"A  \n  B", 1, 1, 1, "A \n B"},
      {"A" + std::string(201, ' ') + "B", 1, 199, 0,
       "A" + std::string(199, ' ') + "B"},
      // Options out of range leave the text untouched.
      {"A    B~", 1, 200, 1, "A    B~"},
      {"A    B~", 2, 2, 1, "A    B~"},
      {"A    B~", 1, 2, -1, "A    B~"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        CleanText(c.text, c.delete_space, c.count_space, c.delete_symbol_error),
        c.expected)
        << c.text << " " << c.delete_space << c.count_space
        << c.delete_symbol_error;
  }
}

TEST(TextPreparationTest, CleanTextCutsAVeryLongRunOfSpaces) {
  const std::string text = "A" + std::string(3'000'000, ' ') + "B  C";
  EXPECT_EQ(CleanText(text, 1, 3, 0), "A   B  C");
  EXPECT_EQ(CleanText(text, 1, 3, 1), "A   B  C");
}

TEST(TextPreparationTest, NextLinePieceCutsTheText) {
  using Pieces = std::vector<std::string>;
  const struct {
    std::string text;
    std::int32_t count_byte;
    std::uint8_t word_wrap;
    Pieces expected;
  } cases[] = {
      {"ABCDEFGHI", 8, 0, {"ABCDEFGH", "I"}},
      {"ABC DEFG HI", 4, 1, {"ABC DEFG ", "HI"}},
      {"ABC DEFG HI", 4, 0, {"ABC ", "DEFG", " HI"}},
      {"AB CD EF", 3, 1, {"AB CD ", "EF"}},    // the word after a blank too
      {"ABCD EFGHIJ", 6, 1, {"ABCD EFGHIJ"}},  // no blank from p + d on
      {"ABCDEF GH", 6, 1, {"ABCDEF ", "GH"}},  // blank right after d chars
      {"", 8, 0, {}},
      // One piece per text line, break included.
      {"AB\r\nCD", 0, 0, {"AB\r\n", "CD"}},
      {"AB\rCD", 0, 0, {"AB\r", "CD"}},
      {"A\rB\nC", 0, 0, {"A\rB\n", "C"}},
      {"AB\r\n\r\nCD", 0, 0, {"AB\r\n", "\r\n", "CD"}},
      // A negative count cuts like 0.
      {"AB\r\nCD", -1, 0, {"AB\r\n", "CD"}},
      {"AB\r\nCD", kMinInt, 1, {"AB\r\n", "CD"}},
      {"ABC DEF GHI", kMaxInt, 0, {"ABC DEF GHI"}},
      {"ABC DEF GHI", kMaxInt, 1, {"ABC DEF GHI"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RawPieces(c.text, c.count_byte, c.word_wrap), c.expected)
        << c.text << " / " << c.count_byte << " / " << int{c.word_wrap};
  }
  EXPECT_EQ(NextLinePiece("ABCDEFGHIJ", 3, 4, 0), "DEFG");
  EXPECT_EQ(NextLinePiece("ABCDEFGHIJ", 10, 4, 0), "");
}

TEST(TextPreparationTest, NormalizePiece) {
  const struct {
    std::string raw;
    std::string expected;
  } cases[] = {
      {"AB\r\n", "AB "},  {"\r\n", " "}, {"A\rB\n", "AB "}, {"AB\r", "AB "},
      {"A\tB\t", "A B "}, {"\n\r", " "}, {"AB", "AB"},      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizePiece(c.raw), c.expected) << c.raw;
  }
}

}  // namespace
}  // namespace trulvex
