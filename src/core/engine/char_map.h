#ifndef TRULVEX_CORE_ENGINE_CHAR_MAP_H_
#define TRULVEX_CORE_ENGINE_CHAR_MAP_H_

#include <array>
#include <cstdint>

namespace trulvex {

namespace char_map_internal {

// The ROM's Cyrillic half, indexed from cp1251 0xC0 (А) to 0xFF (я). Letters
// without a glyph of their own borrow the Latin look-alike of the ASCII half.
// clang-format off
constexpr std::uint8_t kCyrillicCodes[64] = {
    // А     Б     В     Г     Д     Е     Ж     З
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA3, 0xA4,
    // И     Й     К     Л     М     Н     О     П
    0xA5, 0xA6, 0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8,
    // Р     С     Т     У     Ф     Х     Ц     Ч
    0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xE1, 0xAB,
    // Ш     Щ     Ъ     Ы     Ь     Э     Ю     Я
    0xAC, 0xE2, 0xAD, 0xAE, 0x62, 0xAF, 0xB0, 0xB1,
    // а     б     в     г     д     е     ж     з
    0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB6, 0xB7,
    // и     й     к     л     м     н     о     п
    0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0x6F, 0xBE,
    // р     с     т     у     ф     х     ц     ч
    0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78, 0xE5, 0xC0,
    // ш     щ     ъ     ы     ь     э     ю     я
    0xC1, 0xE6, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7,
};
// clang-format on

constexpr std::array<std::uint8_t, 256> BuildLcdCodes() {
  std::array<std::uint8_t, 256> codes{};
  for (int c = 32; c <= 122; ++c) codes[c] = static_cast<std::uint8_t>(c);
  for (int c = 0xC0; c <= 0xFF; ++c) codes[c] = kCyrillicCodes[c - 0xC0];
  codes[0xA8] = 0xA2;  // Ё
  codes[0xB8] = 0xB5;  // ё
  codes[0xAB] = 0xC8;  // «
  codes[0xBB] = 0xC9;  // »
  codes[0xB9] = 0xCC;  // №
  return codes;
}

}  // namespace char_map_internal

// Display code of every code page 1251 byte in an HD44780 with the Cyrillic
// character ROM; 0 marks a character the display cannot show.
inline constexpr std::array<std::uint8_t, 256> kLcdCodes =
    char_map_internal::BuildLcdCodes();

// The HD44780 ROM code that shows the same glyph as the cp1251 byte `c`,
// or 0 when the display has no such glyph.
inline std::uint8_t CharToLcdCode(std::uint8_t c) { return kLcdCodes[c]; }

inline bool IsDisplayable(std::uint8_t c) { return kLcdCodes[c] != 0; }

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_CHAR_MAP_H_
