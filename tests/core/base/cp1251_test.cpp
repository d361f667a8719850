#include "core/base/cp1251.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace trulvex {
namespace {

TEST(Cp1251Test, EveryByteSurvivesUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1251(utf8), all);
  for (const char c : all) {
    const auto byte = static_cast<std::uint8_t>(c);
    EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(byte)), byte);
  }
}

TEST(Cp1251Test, LettersMissingCharactersAndBrokenUtf8) {
  const struct {
    std::string utf8;
    std::string cp1251;
    std::size_t unmappable;
  } cases[] = {
      {"Ё№—€яЂ", "\xA8\xB9\x97\x88\xFF\x80", 0},
      {"\xC2\x98\xC2\x99", "\x98\x98", 1},  // U+0098 maps, U+0099 does not
      {"aé😀!\xC2\x80", "a\x98\x98!\x98", 3},
      {"A\xFF!", "A\x98!", 1},  // not UTF-8 at all
      {"\x80", "\x98", 1},      // a stray continuation byte
      {"AB\xD0", "AB\x98", 1},  // cut off at the end
  };
  for (const auto& c : cases) {
    std::size_t unmappable = 99;
    EXPECT_EQ(Utf8ToCp1251(c.utf8, &unmappable), c.cp1251) << c.utf8;
    EXPECT_EQ(unmappable, c.unmappable) << c.utf8;
  }
}

TEST(Cp1251Test, DetectEncoding) {
  constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;
  constexpr TextEncoding kCp = TextEncoding::kCp1251;
  const struct {
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"\xEF\xBB\xBFHello", kUtf8},
      {"\xEF\xBB\xBF", kUtf8},
      {"\xEF\xBB\xBF\xCF\xF0\xE8", kCp},  // a mark before code page 1251
      {"\xEF\xBB", kCp},
      {"Привет, мир!", kUtf8},
      {"Smile \xF0\x9F\x98\x80", kUtf8},
      {"Hello, world\r\n", kCp},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", kCp},  // Привет
      {"\xC0\x80", kCp},
      {"\xE0\x80\xAF", kCp},  // overlong forms
      {"\xED\xA0\x80", kCp},
      {"\xF4\x90\x80\x80", kCp},  // no code points
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectEncoding(c.bytes), c.expected) << c.bytes;
  }
}

}  // namespace
}  // namespace trulvex
