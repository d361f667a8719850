#include "core/base/decoding_text_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace trulvex {
namespace {

using testing::Cp;

std::string ReadAll(TextReader* text) {
  std::string all;
  for (std::string_view chunk; !(chunk = text->Next()).empty();) {
    all += chunk;
  }
  return all;
}

// The text as the window reads a whole file: the one rule, applied at once;
// `unmappable` receives the characters code page 1251 lacks.
std::string WholeTextRule(const std::string& bytes,
                          std::size_t* unmappable = nullptr) {
  if (DetectEncoding(bytes) == TextEncoding::kCp1251) return bytes;
  return Utf8ToCp1251(bytes.substr(bytes.starts_with(kUtf8Bom) ? 3 : 0),
                      unmappable);
}

// Read in chunks from one byte up, the text gives what the whole-text rule
// gives, also when its first byte above 0x7F comes late (after the first
// chunks, after megabytes of ASCII) or a broken byte comes last.
TEST(DecodingTextReaderTest, ChunksFollowTheWholeTextRule) {
  const std::string ascii(1'100'000, 'a');
  const std::string utf8 = "Привет, мир! ";
  const std::string cp = Cp(utf8);
  const std::string bom(kUtf8Bom);
  const std::vector<std::string> texts = {
      "",
      "plain ASCII\r\n",
      utf8,
      cp,
      bom,
      bom + utf8,
      bom + cp,      // a mark before code page 1251: every byte kept
      "\xEF\xBB",    // two thirds of a mark
      ascii + utf8,  // the first letter after a megabyte
      ascii + cp,
      utf8 + ascii + "\xFF",  // broken at the very end
      utf8 + ascii + "\xD0",  // cut off at the very end
      ascii + bom + utf8,     // a mark inside is a character it lacks
  };
  for (const std::string& bytes : texts) {
    for (const std::size_t chunk : {1ul, 2ul, 3ul, 4096ul, 0ul}) {
      SCOPED_TRACE(::testing::Message() << bytes.size() << " bytes in chunks "
                                        << chunk << ": " << bytes.substr(0, 9));
      const auto source = ByteSource::FromBytes(bytes, chunk);
      DecodingTextReader text(source.get(), std::nullopt);
      EXPECT_EQ(ReadAll(&text), WholeTextRule(bytes));
      EXPECT_EQ(text.encoding(), DetectEncoding(bytes));
      EXPECT_FALSE(text.failed());
      std::size_t unmappable = 0;
      WholeTextRule(bytes, &unmappable);
      EXPECT_EQ(text.unmappable(), unmappable);
      // Asked before reading, the same answer.
      ASSERT_TRUE(text.Rewind());
      const auto again = ByteSource::FromBytes(bytes, chunk);
      DecodingTextReader asked(again.get(), std::nullopt);
      EXPECT_EQ(asked.Decide(), DetectEncoding(bytes));
      EXPECT_EQ(ReadAll(&asked), WholeTextRule(bytes));
      if (chunk == 4096) {
        EXPECT_EQ(ReadAll(&text), WholeTextRule(bytes));  // after Rewind
      }
    }
  }
}

// An encoding given is kept: code page 1251 takes every byte, UTF-8 drops a
// leading mark and stops at the first byte that is not UTF-8.
TEST(DecodingTextReaderTest, GivenEncodings) {
  const std::string text = std::string(kUtf8Bom) + "Да\xCF\xF0";
  const auto cp_source = ByteSource::FromBytes(text, 2);
  DecodingTextReader as_cp(cp_source.get(), TextEncoding::kCp1251);
  EXPECT_EQ(ReadAll(&as_cp), text);

  const auto utf8_source = ByteSource::FromBytes(text, 2);
  DecodingTextReader as_utf8(utf8_source.get(), TextEncoding::kUtf8);
  ReadAll(&as_utf8);
  EXPECT_TRUE(as_utf8.failed());
  EXPECT_EQ(as_utf8.invalid_at(), 7u);
  EXPECT_FALSE(as_utf8.read_error());

  const auto clean_source = ByteSource::FromBytes("Жёлтый €漢", 3);
  DecodingTextReader clean(clean_source.get(), TextEncoding::kUtf8);
  EXPECT_EQ(ReadAll(&clean), Cp("Жёлтый €") + "\x98");
  EXPECT_EQ(clean.unmappable(), 1u);
  EXPECT_FALSE(clean.failed());
}

// Whether an LF follows is answered from what comes after the chunks
// handed over, wherever the chunks end.
TEST(DecodingTextReaderTest, LfFollowsLooksPastTheChunksHandedOver) {
  const std::string text = "a\rb\r\nc\rd\re";
  for (const std::size_t chunk : {1ul, 2ul, 4ul}) {
    const auto source = ByteSource::FromBytes(text, chunk);
    DecodingTextReader reader(source.get(), std::nullopt);
    std::size_t read = 0;
    for (std::string_view piece; !(piece = reader.Next()).empty();) {
      read += piece.size();
      EXPECT_EQ(reader.LfFollows(), text.find('\n', read) != std::string::npos)
          << chunk << " " << read;
    }
  }
}

}  // namespace
}  // namespace trulvex
