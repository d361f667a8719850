#include "core/engine/lcd_glyphs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/base/cp1251.h"
#include "core/engine/char_map.h"

namespace trulvex {
namespace {

std::string Art(const LcdGlyph& glyph) {
  std::string art;
  for (int row = 0; row < kGlyphRows; ++row) {
    art += GlyphRowArt(glyph, row) + "\n";
  }
  return art;
}

// The glyph the display shows for one character typed in UTF-8.
const LcdGlyph& GlyphOfCharacter(const std::string& utf8) {
  const std::string cp1251 = Utf8ToCp1251(utf8);
  return GlyphOf(CharToLcdCode(static_cast<std::uint8_t>(cp1251.at(0))));
}

TEST(LcdGlyphsTest, ChosenCharactersLookAsTheRomDrawsThem) {
  const struct {
    const char* character;
    const char* art;
  } cases[] = {
      {"A", ".###.\n#...#\n#...#\n#...#\n#####\n#...#\n#...#\n.....\n"},
      {"H", "#...#\n#...#\n#...#\n#####\n#...#\n#...#\n#...#\n.....\n"},
      {"Б", "#####\n#....\n#....\n####.\n#...#\n#...#\n####.\n.....\n"},
      {"Ш", "#.#.#\n#.#.#\n#.#.#\n#.#.#\n#.#.#\n#.#.#\n#####\n.....\n"},
      // The descender takes the seventh row; the eighth is the cursor's.
      {"Щ", "#.#.#\n#.#.#\n#.#.#\n#.#.#\n#.#.#\n#####\n....#\n.....\n"},
      {"Ж", "#.#.#\n#.#.#\n#.#.#\n.###.\n#.#.#\n#.#.#\n#.#.#\n.....\n"},
      {"№", "#..##\n##.##\n#.##.\n#..#.\n#..#.\n.....\n.....\n.....\n"},
      // Cyrillic letters without a glyph of their own show the Latin one.
      {"Н", "#...#\n#...#\n#...#\n#####\n#...#\n#...#\n#...#\n.....\n"},
      {"у", ".....\n.....\n#...#\n#...#\n.####\n....#\n.###.\n.....\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Art(GlyphOfCharacter(c.character)), c.art) << c.character;
  }
}

TEST(LcdGlyphsTest, EveryRussianLetterHasAGlyphOfItsOwnCode) {
  std::vector<std::uint8_t> letters = {0xA8, 0xB8};  // Ё, ё
  for (int c = 0xC0; c <= 0xFF; ++c)
    letters.push_back(static_cast<std::uint8_t>(c));
  ASSERT_EQ(letters.size(), 66u);
  std::map<LcdGlyph, std::uint8_t> code_of_glyph;
  for (const std::uint8_t letter : letters) {
    const std::uint8_t code = CharToLcdCode(letter);
    const LcdGlyph& glyph = GlyphOf(code);
    const std::string name =
        Cp1251ToUtf8(std::string(1, static_cast<char>(letter)));
    EXPECT_NE(glyph, LcdGlyph{}) << name;
    const auto [it, added] = code_of_glyph.emplace(glyph, code);
    EXPECT_TRUE(added || it->second == code)
        << name << " looks like the letter at code " << int{it->second};
  }
}

TEST(LcdGlyphsTest, GlyphsKeepTheRomsRules) {
  const LcdGlyph outline = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};
  std::set<std::uint8_t> produced;
  for (int c = 0; c < 256; ++c)
    produced.insert(CharToLcdCode(static_cast<std::uint8_t>(c)));
  produced.erase(0);
  for (int code = 0; code < 256; ++code) {
    const LcdGlyph& glyph = GlyphOf(static_cast<std::uint8_t>(code));
    if (IsUserDefinedCode(static_cast<std::uint8_t>(code))) {
      EXPECT_EQ(glyph, outline) << code;
      continue;
    }
    EXPECT_EQ(glyph[kGlyphRows - 1], 0) << "cursor row of code " << code;
    for (const std::uint8_t row : glyph) EXPECT_LT(row, 1 << kGlyphColumns);
    // Every code the conversion writes shows something, but the blank.
    if (produced.count(static_cast<std::uint8_t>(code)) && code != 0x20) {
      EXPECT_NE(glyph, LcdGlyph{}) << code;
    }
  }
}

// The table built at build time is the art in the repository, and the
// comment of every block names the characters the map sends to its code.
TEST(LcdGlyphsTest, TableIsTheArtAndTheArtNamesItsCharacters) {
  std::ifstream in(TRULVEX_GLYPH_ART, std::ios::binary);
  ASSERT_TRUE(in) << TRULVEX_GLYPH_ART;
  std::vector<std::string> labels;
  std::vector<std::string> arts;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("// 0x", 0) == 0 && line.size() >= 7 &&
        (line.size() == 7 || line[7] == ' ')) {
      labels.push_back(line.substr(7));
      arts.emplace_back();
    } else if (!line.empty() && line.rfind("//", 0) != 0) {
      arts.back() += line + "\n";
    }
  }
  ASSERT_EQ(arts.size(), 256u);
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(Art(GlyphOf(static_cast<std::uint8_t>(code))), arts[code])
        << code;
  }
  for (int c = 0x21; c < 256; ++c) {
    const std::uint8_t code = CharToLcdCode(static_cast<std::uint8_t>(c));
    if (code == 0) continue;
    const std::string name = Cp1251ToUtf8(std::string(1, static_cast<char>(c)));
    EXPECT_NE(labels[code].find(name), std::string::npos)
        << "block of code " << int{code} << " does not name " << name;
  }
}

}  // namespace
}  // namespace trulvex
