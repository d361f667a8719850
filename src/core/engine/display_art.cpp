#include "core/engine/display_art.h"

#include "core/engine/lcd_glyphs.h"

namespace trulvex {

std::string DisplayPageArt(const DisplayPage& page) {
  const DisplaySize size = page.size;
  std::string art;
  art.reserve(static_cast<std::size_t>(size.rows) * (kGlyphRows + 1) *
              static_cast<std::size_t>(size.columns) * (kGlyphColumns + 1));
  for (int row = 0; row < size.rows; ++row) {
    if (row > 0) art += '\n';
    for (int dot_row = 0; dot_row < kGlyphRows; ++dot_row) {
      for (int column = 0; column < size.columns; ++column) {
        if (column > 0) art += ' ';
        art += GlyphRowArt(GlyphOf(page.at(row, column).code), dot_row);
      }
      art += '\n';
    }
  }
  return art;
}

}  // namespace trulvex
