#include "engine/cp1251.h"

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
  std::size_t unmappable = 99;
  EXPECT_EQ(Utf8ToCp1251(utf8, &unmappable), all);
  EXPECT_EQ(unmappable, 0u);
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    EXPECT_EQ(UnicodeToCp1251(Cp1251ToUnicode(byte)), byte) << b;
  }
}

TEST(Cp1251Test, KnownCharacters) {
  const struct {
    std::uint8_t byte;
    char32_t code_point;
    std::string utf8;
  } cases[] = {
      {0xA8, 0x0401, "Ё"},        {0xB9, 0x2116, "№"}, {0x97, 0x2014, "—"},
      {0x88, 0x20AC, "€"},        {0xFF, 0x044F, "я"}, {0x80, 0x0402, "Ђ"},
      {0x98, 0x0098, "\xC2\x98"},  // undefined in the code page: kept as is
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1251ToUnicode(c.byte), c.code_point) << int{c.byte};
    EXPECT_EQ(UnicodeToCp1251(c.code_point), c.byte) << int{c.byte};
    EXPECT_EQ(Cp1251ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
    std::size_t unmappable = 99;
    EXPECT_EQ(Utf8ToCp1251(c.utf8, &unmappable),
              std::string(1, static_cast<char>(c.byte)));
    EXPECT_EQ(unmappable, 0u);
  }
}

TEST(Cp1251Test, WhatTheCodePageLacksBecomesTheUnmappableByte) {
  EXPECT_EQ(UnicodeToCp1251(0x00E9), std::nullopt);  // é
  EXPECT_EQ(UnicodeToCp1251(0x0080), std::nullopt);
  EXPECT_EQ(UnicodeToCp1251(0x1F600), std::nullopt);
  const struct {
    std::string utf8;
    std::string cp1251;
    std::size_t unmappable;
  } cases[] = {
      {"aé€😀!", "a\x98\x88\x98!", 2},
      {"A\xFF!", "A\x98!", 1},              // not UTF-8 at all
      {"\x80", "\x98", 1},                  // a stray continuation byte
      {"AB\xD0", "AB\x98", 1},              // cut off at the end
      {"\xC2\x98\xC2\x99", "\x98\x98", 1},  // U+0098 maps, U+0099 does not
      {"", "", 0},
  };
  for (const auto& c : cases) {
    std::size_t unmappable = 99;
    EXPECT_EQ(Utf8ToCp1251(c.utf8, &unmappable), c.cp1251) << c.utf8;
    EXPECT_EQ(unmappable, c.unmappable) << c.utf8;
  }
}

TEST(Cp1251Test, DetectEncoding) {
  const struct {
    std::string bytes;
    TextEncoding expected;
  } cases[] = {
      {"\xEF\xBB\xBFHello", TextEncoding::kUtf8},
      {"Привет, мир!", TextEncoding::kUtf8},
      {"Smile \xF0\x9F\x98\x80", TextEncoding::kUtf8},
      {"Hello, world\r\n", TextEncoding::kCp1251},
      {"\xCF\xF0\xE8\xE2\xE5\xF2", TextEncoding::kCp1251},  // Привет
      {"\xC0\x80", TextEncoding::kCp1251},                  // overlong NUL
      {"\xE0\x80\xAF", TextEncoding::kCp1251},              // overlong '/'
      {"\xED\xA0\x80", TextEncoding::kCp1251},              // a surrogate
      {"\xF4\x90\x80\x80", TextEncoding::kCp1251},          // past U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectEncoding(c.bytes), c.expected) << c.bytes;
  }
}

}  // namespace
}  // namespace trulvex
