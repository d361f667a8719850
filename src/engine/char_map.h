#ifndef TRULVEX_ENGINE_CHAR_MAP_H_
#define TRULVEX_ENGINE_CHAR_MAP_H_

#include <array>
#include <cstdint>

namespace trulvex {

// Display code of every code page 1251 byte in an HD44780 with the Cyrillic
// character ROM; 0 marks a character the display cannot show.
extern const std::array<std::uint8_t, 256> kLcdCodes;

// The HD44780 ROM code that shows the same glyph as the cp1251 byte `c`,
// or 0 when the display has no such glyph.
inline std::uint8_t CharToLcdCode(std::uint8_t c) { return kLcdCodes[c]; }

inline bool IsDisplayable(std::uint8_t c) { return kLcdCodes[c] != 0; }

}  // namespace trulvex

#endif  // TRULVEX_ENGINE_CHAR_MAP_H_
