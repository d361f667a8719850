#include "core/engine/text_preparation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

// Only a line piece drops a CR that is not next to its LF.
TEST(TextPreparationTest, BreaksBecomeOneSpace) {
  const struct {
    std::string text, flat, piece;
  } cases[] = {
      {"A\r\nB\n\rC\rD\nE", "A B C D E", "A B CD E"},
      {"AB\r\n\r\nCD", "AB  CD", "AB  CD"},  // an empty line
      {"\n\r\n", "  ", "  "},   // LF CR pairs up first, the LF is alone
      {"\r\t\n", "   ", "  "},  // the tab keeps CR and LF apart
      {"A\rB\n", "A B ", "AB "},
      {"AB\r\rC", "AB  C", "AB  C"},
      {"", "", ""},
      {"abcdefgh\r\nabcdefgh\t", "abcdefgh abcdefgh ", "abcdefgh abcdefgh "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FlattenText(c.text), c.flat) << c.text;
    EXPECT_EQ(NormalizePiece(c.text), c.piece) << c.text;
  }
}

TEST(TextPreparationTest, CleanText) {
  const std::string long_run = "A" + std::string(3'000'000, ' ') + "B  C";
  const struct {
    std::string text;
    int delete_space, count_space, delete_symbol_error;
    std::string expected;
  } cases[] = {
      {"A    B  C", 1, 2, 0, "A  B  C"},
      {"A \t  B", 1, 1, 0, "A \t B"},  // a tab is no space for the run
      {Cp("Ё~B{№\x7F"), 0, 2, 1, Cp("ЁB№")},
      {"A\r\n\f\tB", 0, 2, 1, "A\n\f B"},  // CR goes, LF and FF stay
      {"A\x01\x02 B", 1, 1, 1, "AB"},      // deleted bytes lengthen the run
      {"A  \n  B", 1, 1, 1, "A \n B"},
      {"A" + std::string(201, ' ') + "B", 1, 199, 0,
       "A" + std::string(199, ' ') + "B"},
      {long_run, 1, 3, 1, "A   B  C"},
      // Options out of range leave the text untouched.
      {"A    B~", 1, 200, 1, "A    B~"},
      {"A    B~", 0, 0, 1, "A    B~"},
      {"A    B~", 2, 2, 1, "A    B~"},
      {"A    B~", 1, 2, -1, "A    B~"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        CleanText(c.text, c.delete_space, c.count_space, c.delete_symbol_error),
        c.expected)
        << c.text.substr(0, 9) << " " << c.delete_space << c.count_space;
  }
}

TEST(TextPreparationTest, NextLinePieceCutsTheText) {
  using Pieces = std::vector<std::string>;
  using Limits = std::numeric_limits<std::int32_t>;
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
      // One piece per text line, break included; a negative count cuts as 0.
      {"A\rB\nC\rD", 0, 0, {"A\rB\n", "C\r", "D"}},
      {"AB\r\n\r\nCD", 0, 0, {"AB\r\n", "\r\n", "CD"}},
      {"AB\r\nCD", Limits::min(), 1, {"AB\r\n", "CD"}},
      {"ABC DEF GHI", Limits::max(), 1, {"ABC DEF GHI"}},
  };
  for (const auto& c : cases) {
    Pieces pieces;
    for (std::size_t offset = 0; offset < c.text.size();) {
      const std::string_view raw =
          NextLinePiece(c.text, offset, c.count_byte, c.word_wrap);
      if (raw.empty()) break;
      pieces.emplace_back(raw);
      offset += raw.size();
    }
    EXPECT_EQ(pieces, c.expected) << c.text << " / " << c.count_byte;
  }
  EXPECT_EQ(NextLinePiece("ABCDEFGHIJ", 10, 4, 0), "");
}

}  // namespace
}  // namespace trulvex
