#include "core/shell/editor_styling.h"

namespace trulvex {
namespace {

// Appends one character's style, merging it into the last run when equal.
void Add(std::vector<StyleRun>* runs, std::uint8_t style, std::size_t length) {
  if (!runs->empty() && runs->back().style == style) {
    runs->back().length += length;
  } else {
    runs->push_back({style, length});
  }
}

std::size_t LengthOf(const std::vector<std::uint8_t>& byte_lengths,
                     std::size_t i) {
  return byte_lengths.empty() ? 1 : byte_lengths[i];
}

}  // namespace

EditorStyle CharacterClass(std::uint8_t c) {
  if ((c >= 32 && c <= 122) || c == 9 || c == 10 || c == 12) {
    return kStylePlain;
  }
  if (c >= 192 || c == 171 || c == 187 || c == 184 || c == 168 || c == 185) {
    return kStyleCyrillic;
  }
  return kStyleUndisplayable;
}

std::vector<StyleRun> StyleSourceText(
    std::string_view cp1251, const std::vector<std::uint8_t>& byte_lengths) {
  std::vector<StyleRun> runs;
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    Add(&runs, CharacterClass(static_cast<std::uint8_t>(cp1251[i])),
        LengthOf(byte_lengths, i));
  }
  return runs;
}

std::vector<StyleRun> StyleResultText(
    std::string_view cp1251, std::string_view comment_marker,
    const std::vector<std::uint8_t>& byte_lengths) {
  std::vector<StyleRun> runs;
  if (comment_marker.empty()) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < cp1251.size(); ++i) {
      total += LengthOf(byte_lengths, i);
    }
    if (total != 0) runs.push_back({kStylePlain, total});
    return runs;
  }
  bool in_comment = false;
  bool trailing = false;
  std::string line;
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(cp1251[i]);
    std::uint8_t style = kStylePlain;
    if (c == '\n' || c == '\f') {
      in_comment = trailing = false;
      line.clear();
    } else if (!in_comment) {
      line += static_cast<char>(c);
      // Only the newest character can complete the marker.
      if (line.size() >= comment_marker.size() &&
          line.compare(line.size() - comment_marker.size(),
                       comment_marker.size(), comment_marker) == 0) {
        const std::size_t position = line.size() - comment_marker.size() + 1;
        in_comment = true;
        trailing = position > 8;
        line.clear();
      }
    } else if (trailing && c >= '0' && c <= '9') {
      style = kStyleCommentDigit;
    } else {
      style = CharacterClass(c);
    }
    Add(&runs, style, LengthOf(byte_lengths, i));
  }
  return runs;
}

}  // namespace trulvex
