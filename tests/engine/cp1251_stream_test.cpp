#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/cp1251.h"

namespace trulvex {
namespace {

// UTF-8 with characters of one to four bytes, code page 1251 letters and
// characters it lacks, and now and then a broken sequence.
std::string RandomUtf8(std::mt19937* random, std::size_t size, bool broken) {
  static const char* const kPieces[] = {"a",  " ",  "\r\n", "Ж", "ё", "№",
                                        "€",  "—",  "ʼ",    "中", "😀", "Ѓ",
                                        "\xC2\x98"};
  static const char* const kBroken[] = {"\xD0", "\xE2\x82", "\x80", "\xF4\x90\x80\x80",
                                        "\xED\xA0\x80", "\xC0\xAF"};
  std::string text;
  while (text.size() < size) {
    if (broken && (*random)() % 50 == 0) {
      text += kBroken[(*random)() % std::size(kBroken)];
    } else {
      text += kPieces[(*random)() % std::size(kPieces)];
    }
  }
  return text;
}

// Cuts a text into pieces of random length, down to single bytes, so that
// characters and the byte-order mark are split in every possible place.
template <typename Feed>
void InRandomPieces(std::mt19937* random, std::string_view text, Feed feed) {
  while (!text.empty()) {
    const std::size_t length =
        std::min<std::size_t>(text.size(), 1 + (*random)() % 7);
    feed(text.substr(0, length));
    text.remove_prefix(length);
  }
}

TEST(Cp1251StreamTest, DecoderInPiecesMatchesWholeText) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    const std::string utf8 = RandomUtf8(&random, 1 + round, round % 2 == 1);
    std::size_t whole_bad = 0;
    const std::string whole = Utf8ToCp1251(utf8, &whole_bad);
    Utf8Decoder decoder;
    std::string pieces;
    InRandomPieces(&random, utf8,
                   [&](std::string_view piece) { decoder.Decode(piece, &pieces); });
    decoder.Finish(&pieces);
    ASSERT_EQ(pieces, whole) << round;
    ASSERT_EQ(decoder.unmappable(), whole_bad) << round;
  }
}

TEST(Cp1251StreamTest, DetectorInPiecesMatchesWholeText) {
  std::mt19937 random(12);
  const std::string cp1251_letters = "\xCF\xF0\xE8\xE2\xE5\xF2";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    switch (round % 5) {
      case 0: text = RandomUtf8(&random, round % 40, false); break;
      case 1: text = RandomUtf8(&random, round % 40, true); break;
      case 2: text = std::string(kUtf8Bom) + cp1251_letters; break;
      case 3: text = std::string(round % 9, 'a') + cp1251_letters; break;
      default: text = std::string(round % 4, 'z') + "\xD0"; break;
    }
    EncodingDetector detector;
    InRandomPieces(&random, text,
                   [&](std::string_view piece) { detector.Feed(piece); });
    ASSERT_EQ(detector.Finish(), DetectEncoding(text)) << round;
  }
}

TEST(Cp1251StreamTest, DetectorAnswersOnShortAndEmptyTexts) {
  EXPECT_EQ(EncodingDetector().Finish(), TextEncoding::kCp1251);
  for (const std::string_view text : {"\xEF", "\xEF\xBB", "\xD0\x96", "ab"}) {
    EncodingDetector detector;
    detector.Feed(text);
    EXPECT_EQ(detector.Finish(), DetectEncoding(text)) << text;
  }
  EncodingDetector split_mark;
  split_mark.Feed("\xEF");
  split_mark.Feed("\xBB");
  split_mark.Feed("\xBF" "abc");
  EXPECT_EQ(split_mark.Finish(), TextEncoding::kUtf8);
}

}  // namespace
}  // namespace trulvex
