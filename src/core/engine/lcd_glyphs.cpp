#include "core/engine/lcd_glyphs.h"

namespace trulvex {
namespace {

// clang-format off
constexpr std::array<LcdGlyph, 256> kGlyphs = {{
#include "core/engine/lcd_glyph_table.inc"
}};
// clang-format on

}  // namespace

const LcdGlyph& GlyphOf(std::uint8_t code) { return kGlyphs[code]; }

std::string GlyphRowArt(const LcdGlyph& glyph, int row) {
  std::string art(kGlyphColumns, '.');
  for (int column = 0; column < kGlyphColumns; ++column) {
    if (GlyphDot(glyph, row, column)) art[column] = '#';
  }
  return art;
}

}  // namespace trulvex
