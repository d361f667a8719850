#ifndef TRULVEX_CORE_ENGINE_LCD_GLYPHS_H_
#define TRULVEX_CORE_ENGINE_LCD_GLYPHS_H_

#include <array>
#include <cstdint>
#include <string>

namespace trulvex {

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 8;

// One character cell: eight rows of five dots, top row first, the leftmost
// dot of a row in bit 4 (as the display's own user-defined characters are
// written).
using LcdGlyph = std::array<std::uint8_t, kGlyphRows>;

// The dot pattern under a display code in the Cyrillic character ROM
// (drawn in core/engine/lcd_glyphs.txt).
const LcdGlyph& GlyphOf(std::uint8_t code);

inline bool GlyphDot(const LcdGlyph& glyph, int row, int column) {
  return ((glyph[row] >> (kGlyphColumns - 1 - column)) & 1) != 0;
}

// Codes 0x00 to 0x0F name the user-defined characters, whose patterns a
// program on the microcontroller loads; the preview shows them outlined.
inline bool IsUserDefinedCode(std::uint8_t code) { return code < 0x10; }

// One row of a glyph as text: '#' for a lit dot, '.' for a dark one.
std::string GlyphRowArt(const LcdGlyph& glyph, int row);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_LCD_GLYPHS_H_
