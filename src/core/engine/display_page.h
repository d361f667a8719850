#ifndef TRULVEX_CORE_ENGINE_DISPLAY_PAGE_H_
#define TRULVEX_CORE_ENGINE_DISPLAY_PAGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/profile_record.h"

namespace trulvex {

// A character display of `columns` by `rows` cells.
struct DisplaySize {
  int columns = 16;
  int rows = 2;
  friend bool operator==(const DisplaySize&, const DisplaySize&) = default;
};

// The module sizes the preview offers, smallest first.
// clang-format off
inline constexpr std::array<DisplaySize, 10> kDisplaySizes = {{
    {8, 1}, {8, 2}, {16, 1}, {16, 2}, {16, 4},
    {20, 2}, {20, 4}, {24, 2}, {40, 2}, {40, 4}}};
// clang-format on
inline constexpr DisplaySize kDefaultDisplaySize{16, 2};

// "16x2" (the x Latin or Cyrillic, either case), when it names one of
// kDisplaySizes.
std::optional<DisplaySize> ParseDisplaySize(std::string_view text);
std::string DisplaySizeName(DisplaySize size);

// Why a place on the display is marked.
enum class MarkReason : std::uint8_t {
  kCut,         // the line is longer than the display is wide
  kUnshowable,  // the ROM has no glyph for the character: it is left out
};

struct DisplayMark {
  MarkReason reason;
  int row;  // 0-based, on the page
  // 0-based. A cut: the first column past the display's edge. A character
  // left out: the column that the next character of its line takes.
  int column;
  std::uint8_t character;  // cp1251: the one left out, or the first cut off
  std::size_t cut = 0;     // how many characters were cut off
};

// Marks of a cell, as bits.
inline constexpr std::uint8_t kCellCut = 1;
inline constexpr std::uint8_t kCellUnshowable = 2;

struct DisplayCell {
  std::uint8_t code = 0x20;  // what the display shows: blank by default
  std::uint8_t marks = 0;
};

// One screenful of text: `size.rows` lines, as the display shows them.
struct DisplayPage {
  DisplaySize size;
  std::size_t number = 0;          // 0-based
  std::vector<DisplayCell> cells;  // row after row
  std::vector<DisplayMark> marks;  // in reading order

  const DisplayCell& at(int row, int column) const {
    return cells[static_cast<std::size_t>(row * size.columns + column)];
  }
  // The marks shown on a cell: a cut on the last column, a character left
  // out on the cell its neighbour takes.
  std::vector<DisplayMark> MarksAt(int row, int column) const;
};

// The lines of a text as the display rows take them: a line ends at CR, LF
// or CR LF (as in the editor); a break at the very end starts no line.
std::vector<std::string_view> SplitDisplayLines(std::string_view text);

// Pages needed for `line_count` lines; an empty text still fills one.
std::size_t DisplayPageCount(std::size_t line_count, DisplaySize size);

// Lays out page `number`, whose lines (code page 1251, without line
// breaks, at most `size.rows` of them) are given. Every line is cleaned
// with the profile's DeleteSpace, CountSpace and DeleteSumbolError and
// mapped by the character map, as the conversion does; characters without
// a display code take no cell, and what passes the last column is cut.
DisplayPage LayOutPage(std::span<const std::string_view> lines,
                       DisplaySize size, const ProfileRecord& profile,
                       std::size_t number = 0);

// Why a mark was made, in a line of UTF-8 (the character and the reason),
// for a message or a tooltip.
std::string DescribeMark(const DisplayMark& mark, DisplaySize size);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_DISPLAY_PAGE_H_
