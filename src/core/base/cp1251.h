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

// The one rule by which the window and the converter tell a text's
// encoding: well-formed UTF-8 holding at least one byte above 0x7F (a
// byte-order mark counts) is UTF-8; anything else is code page 1251, so
// that a mark followed by bytes that are not UTF-8 keeps every byte, the
// mark's own included.
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
  bool invalid_ = false;
  bool non_ascii_ = false;
};

// Utf8ToCp1251 for a text that arrives in pieces: a character split between
// two pieces is completed by the next one.
class Utf8Decoder {
 public:
  // `drop_mark`: a byte-order mark that begins the text is not part of it.
  explicit Utf8Decoder(bool drop_mark = false) : at_start_(drop_mark) {}

  // Appends the code page 1251 form of `piece`; an unfinished last
  // character waits for the next piece.
  void Decode(std::string_view piece, std::string* cp1251);
  // Ends the text: an unfinished character is unmappable.
  void Finish(std::string* cp1251);
  // Characters the code page cannot hold and bytes that are not UTF-8.
  std::size_t unmappable() const { return unmappable_; }
  // Where the first byte that is not UTF-8 stands, counted from the start
  // of the text.
  std::optional<std::uint64_t> first_invalid() const { return first_invalid_; }

 private:
  // Decodes the whole characters of `bytes` (all of them when `final`)
  // after `cp1251`; returns how many bytes it took.
  std::size_t DecodeSome(std::string_view bytes, bool final,
                         std::string* cp1251);

  std::string carry_;
  std::uint64_t offset_ = 0;  // of the first byte not yet taken
  std::size_t unmappable_ = 0;
  std::optional<std::uint64_t> first_invalid_;
  bool at_start_;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_CP1251_H_
