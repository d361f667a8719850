#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/base/cp1251.h"

namespace trulvex {
namespace {

// UTF-8 with characters of one to four bytes, code page 1251 letters and
// characters it lacks, and now and then a broken sequence.
std::string RandomUtf8(std::mt19937* random, std::size_t size, bool broken) {
  static const char* const kPieces[] = {"a", " ", "\r\n",    "Ж", "ё",
                                        "№", "€", "—",       "ʼ", "中",
                                        "😀", "Ѓ", "\xC2\x98"};
  static const char* const kBroken[] = {"\xD0",         "\xE2\x82",
                                        "\x80",         "\xF4\x90\x80\x80",
                                        "\xED\xA0\x80", "\xC0\xAF"};
  std::string text;
  while (text.size() < size) {
    text += broken && (*random)() % 50 == 0
                ? kBroken[(*random)() % std::size(kBroken)]
                : kPieces[(*random)() % std::size(kPieces)];
  }
  return text;
}

// Texts cut into pieces of 1 to 7 bytes, so that characters and the
// byte-order mark are split in every possible place, decode and detect as
// they do whole.
TEST(Cp1251StreamTest, PiecesGiveWhatTheWholeTextGives) {
  std::mt19937 random(11);
  const std::string letters = "\xCF\xF0\xE8\xE2\xE5\xF2";  // Привет, cp1251
  std::vector<std::string> texts = {"", "\xEF", "\xEF\xBB", "\xD0\x96", "ab"};
  for (int round = 0; round < 200; ++round) {
    texts.push_back(RandomUtf8(&random, round, round % 2 == 1));
  }
  for (int n = 0; n < 30; ++n) {
    texts.push_back(std::string(kUtf8Bom) + std::string(n % 3, 'a') + letters);
    texts.push_back(std::string(n % 9, 'a') + letters);
    texts.push_back(std::string(n % 4, 'z') + "\xD0");
  }
  for (const std::string& text : texts) {
    std::size_t whole_bad = 0;
    const std::string whole = Utf8ToCp1251(text, &whole_bad);
    std::size_t first_invalid = 0;
    for (char32_t cp; first_invalid < text.size();) {
      const std::size_t length = DecodeUtf8Char(text, first_invalid, &cp);
      if (length == 0) break;
      first_invalid += length;
    }
    const bool marked = text.starts_with(kUtf8Bom);
    Utf8Decoder decoder, dropping_mark(true);
    EncodingDetector detector;
    std::string decoded, unmarked;
    for (std::string_view rest = text; !rest.empty();) {
      const std::string_view piece = rest.substr(0, 1 + random() % 7);
      decoder.Decode(piece, &decoded);
      dropping_mark.Decode(piece, &unmarked);
      detector.Feed(piece);
      rest.remove_prefix(piece.size());
    }
    decoder.Finish(&decoded);
    dropping_mark.Finish(&unmarked);
    ASSERT_EQ(decoded, whole) << text;
    ASSERT_EQ(unmarked, marked ? whole.substr(1) : whole) << text;
    ASSERT_EQ(decoder.unmappable(), whole_bad) << text;
    ASSERT_EQ(decoder.first_invalid().value_or(text.size()), first_invalid)
        << text;
    ASSERT_EQ(detector.Finish(), DetectEncoding(text)) << text;
  }
}

}  // namespace
}  // namespace trulvex
