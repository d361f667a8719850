#include "core/engine/code_mapping.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/engine/char_map.h"
#include "core/engine/text_preparation.h"

namespace trulvex {
namespace {

// The mapping straight from its definition, one character at a time.
std::string Reference(const std::string& text, bool flatten) {
  const std::string prepared = flatten ? FlattenText(text) : text;
  std::string codes;
  for (const char c : prepared) {
    const std::uint8_t code = CharToLcdCode(static_cast<std::uint8_t>(c));
    if (code != 0) codes += static_cast<char>(code);
  }
  return codes;
}

// Texts rich in what is hard for the block-wise form: runs of CR and LF in
// every order (empty lines), breaks on block borders, and every byte value.
std::string RandomText(std::mt19937* random, std::size_t size) {
  static const char kPieces[][3] = {"\r", "\n", "\r\n", "\n\r", "\t", " "};
  std::string text;
  while (text.size() < size) {
    const unsigned pick = (*random)() % 10;
    if (pick < 3) {
      text += kPieces[(*random)() % 6];
    } else {
      text += static_cast<char>((*random)() % 256);
    }
  }
  return text;
}

TEST(CodeMappingTest, EveryFormAgreesWithTheDefinition) {
  std::mt19937 random(7);
  for (const std::size_t size :
       {0, 1, 2, 63, 64, 65, 127, 128, 129, 1000, 4096, 100000}) {
    for (int round = 0; round < 20; ++round) {
      const std::string text = RandomText(&random, size);
      const std::string flat = Reference(text, true);
      const std::string plain = Reference(text, false);
      ASSERT_EQ(FlattenToLcdCodes(text), flat) << size;
      ASSERT_EQ(FlattenToLcdCodesScalar(text), flat) << size;
      ASSERT_EQ(MapToLcdCodes(text), plain) << size;
      ASSERT_EQ(MapToLcdCodesScalar(text), plain) << size;
    }
  }
}

TEST(CodeMappingTest, BreaksAcrossBlockBordersPairUp) {
  // A CR as the 64th character and its LF as the 65th make one space.
  for (const std::size_t at : {62, 63, 64, 127, 128}) {
    std::string text(200, 'a');
    text.replace(at, 4, "\r\n\r\n");
    EXPECT_EQ(FlattenToLcdCodes(text), Reference(text, true)) << at;
    text.replace(at, 4, "\n\r\r\n");
    EXPECT_EQ(FlattenToLcdCodes(text), Reference(text, true)) << at;
  }
}

}  // namespace
}  // namespace trulvex
