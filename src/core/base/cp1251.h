#ifndef TRULVEX_CORE_BASE_CP1251_H_
#define TRULVEX_CORE_BASE_CP1251_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trulvex {

// The one lossless codec between code page 1251 bytes and Unicode: every
// byte maps to exactly one character and back. The byte the code page
// leaves undefined, 0x98, stands for U+0098.
char32_t Cp1251ToUnicode(std::uint8_t byte);
std::optional<std::uint8_t> UnicodeToCp1251(char32_t code_point);

// A character that code page 1251 cannot hold becomes this byte, which the
// display cannot show either.
inline constexpr std::uint8_t kUnmappableByte = 0x98;

void AppendCp1251AsUtf8(std::string_view cp1251, std::string* utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

// Converts in place (the result is never longer). Characters outside the
// code page, and bytes that are not valid UTF-8, become kUnmappableByte;
// `unmappable`, when given, receives how many did.
std::string Utf8ToCp1251(std::string utf8, std::size_t* unmappable = nullptr);

bool IsValidUtf8(std::string_view bytes);

// Decodes the UTF-8 character at `i`; returns its length, or 0 when the
// bytes there are not a well-formed sequence (overlong forms, surrogates and
// code points past U+10FFFF included).
std::size_t DecodeUtf8Char(std::string_view bytes, std::size_t i,
                           char32_t* code_point);

// Each byte as the UTF-8 form of the code point of the same value, the way
// UTF-8-marked preference files hold single bytes.
std::string Latin1ToUtf8(std::string_view bytes);

enum class TextEncoding { kCp1251, kUtf8 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A text with the UTF-8 byte-order mark, or valid UTF-8 holding at least
// one non-ASCII character, is UTF-8; anything else is code page 1251.
TextEncoding DetectEncoding(std::string_view bytes);

// DetectEncoding for a text that arrives in pieces.
class EncodingDetector {
 public:
  // Takes the next piece; false once the text is known to be code page
  // 1251, so that the rest need not be read.
  bool Feed(std::string_view piece);
  // The answer, once the whole text (or enough of it) was fed.
  TextEncoding Finish();

 private:
  std::string carry_;  // a character split between two pieces
  bool started_ = false;
  bool bom_ = false;
  bool invalid_ = false;
  bool non_ascii_ = false;
};

// Utf8ToCp1251 for a text that arrives in pieces: a character split between
// two pieces is completed by the next one.
class Utf8Decoder {
 public:
  void Decode(std::string_view piece, std::string* cp1251);
  // Ends the text: an unfinished character is unmappable.
  void Finish(std::string* cp1251);
  std::size_t unmappable() const { return unmappable_; }

 private:
  std::string carry_;
  std::size_t unmappable_ = 0;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_CP1251_H_
