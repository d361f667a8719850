#ifndef TRULVEX_CORE_SHELL_EDITOR_STYLING_H_
#define TRULVEX_CORE_SHELL_EDITOR_STYLING_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trulvex {

// Editor styles: what the colour of a character says.
enum EditorStyle : std::uint8_t {
  kStylePlain = 0,          // black
  kStyleCyrillic = 1,       // dark blue: Cyrillic letters and Russian signs
  kStyleUndisplayable = 2,  // bold dark red: the display cannot show it
  kStyleCommentDigit = 3,   // magenta: a digit of a trailing comment
};

// The style of a code page 1251 byte in the source editor.
EditorStyle CharacterClass(std::uint8_t c);

// A stretch of `length` bytes of one style. Lengths count the bytes of the
// text as the editor holds it (UTF-8), not its characters.
struct StyleRun {
  std::uint8_t style;
  std::size_t length;
  bool operator==(const StyleRun&) const = default;
};

// The styles of a stretch of the source editor's text (cp1251 bytes;
// `byte_lengths[i]` is how many editor bytes character i takes, or empty
// when every character takes one).
std::vector<StyleRun> StyleSourceText(
    std::string_view cp1251,
    const std::vector<std::uint8_t>& byte_lengths = {});

// The styles of a stretch of the result editor's text, which must start at
// the beginning of a line: digits after a comment marker that begins past
// the 8th character of its line are magenta; characters after any marker
// take their class; everything else is plain. An empty marker leaves the
// whole text plain.
std::vector<StyleRun> StyleResultText(
    std::string_view cp1251, std::string_view comment_marker,
    const std::vector<std::uint8_t>& byte_lengths = {});

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_EDITOR_STYLING_H_
