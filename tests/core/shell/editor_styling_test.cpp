#include "core/shell/editor_styling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

using testing::Cp;

// One style digit per editor byte, so that expectations read as text.
std::string Digits(const std::vector<StyleRun>& runs) {
  std::string digits;
  for (const StyleRun& run : runs) {
    digits.append(run.length, static_cast<char>('0' + run.style));
  }
  return digits;
}

TEST(EditorStylingTest, EveryByteHasItsClass) {
  std::string expected;
  for (int c = 0; c < 256; ++c) {
    const bool plain =
        (c >= ' ' && c <= 'z') || c == '\t' || c == '\n' || c == '\f';
    // А to я, « », ё Ё and №.
    const bool cyrillic = c >= 0xC0 || c == 0xAB || c == 0xBB || c == 0xB8 ||
                          c == 0xA8 || c == 0xB9;
    expected += plain ? '0' : cyrillic ? '1' : '2';
  }
  std::string actual;
  for (int c = 0; c < 256; ++c) {
    actual +=
        static_cast<char>('0' + CharacterClass(static_cast<std::uint8_t>(c)));
  }
  EXPECT_EQ(actual, expected);
  // The carriage return of a Windows line end and the euro sign are red.
  EXPECT_EQ(CharacterClass('\r'), kStyleUndisplayable);
  EXPECT_EQ(CharacterClass(0x88), kStyleUndisplayable);
  EXPECT_EQ(CharacterClass('{'), kStyleUndisplayable);
}

TEST(EditorStylingTest, SourceRunsCountTheEditorsBytes) {
  EXPECT_EQ(Digits(StyleSourceText(Cp("Привет, мир!"))), "111111001110");
  // Ё and ж take two bytes in the editor, № three.
  EXPECT_EQ(StyleSourceText(Cp("Ёж, {№}"), {2, 2, 1, 1, 1, 3, 1}),
            (std::vector<StyleRun>{{1, 4}, {0, 2}, {2, 1}, {1, 3}, {2, 1}}));
  EXPECT_TRUE(StyleSourceText("").empty());
}

TEST(EditorStylingTest, OnlyDigitsOfATrailingCommentAreMagenta) {
  struct Case {
    const char* line;
    const char* styles;
  };
  const Case cases[] = {
      // The marker starts at character 9 or later: a trailing comment.
      {"12345678; 9Ж", "000000000031"},
      {"\tDt 0x01 ; Ж5{", "00000000000132"},
      // At character 8 or earlier the digits stay black.
      {"1234567; 9Ж", "00000000001"},
      {"; 7 Ж", "00001"},
      // Before the marker everything is black, Cyrillic and red signs too.
      {"Ж{Ж{Ж{Ж{; 5", "00000000003"},
      // A new line or a form feed ends the comment.
      {"12345678; 9\n1; 9\f; 9", "00000000003000000000"},
      {"no marker 123", "0000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Digits(StyleResultText(Cp(c.line), "; ")), c.styles);
  }
  EXPECT_EQ(Digits(StyleResultText(Cp("12345678; Ж9"), "")), "000000000000");
}

TEST(EditorStylingTest, ALineStyledAloneLooksAsInTheWholeText) {
  const std::string text =
      Cp("Привет\r\n\tDt 0x01, 0x02 ; Ёж 12\r\n; 34\nend{}\f12345678; 5");
  std::vector<std::uint8_t> lengths;
  for (unsigned char c : text) lengths.push_back(c >= 0x80 ? 2 : 1);
  std::string source_lines;
  std::string result_lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end =
        std::min(text.find_first_of("\n\f", start), text.size() - 1) + 1;
    const std::string line = text.substr(start, end - start);
    const std::vector<std::uint8_t> line_lengths(lengths.begin() + start,
                                                 lengths.begin() + end);
    source_lines += Digits(StyleSourceText(line, line_lengths));
    result_lines += Digits(StyleResultText(line, "; ", line_lengths));
    start = end;
  }
  EXPECT_EQ(source_lines, Digits(StyleSourceText(text, lengths)));
  EXPECT_EQ(result_lines, Digits(StyleResultText(text, "; ", lengths)));
  EXPECT_NE(result_lines.find('3'), std::string::npos);
}

}  // namespace
}  // namespace trulvex
