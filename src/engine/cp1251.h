#ifndef TRULVEX_ENGINE_CP1251_H_
#define TRULVEX_ENGINE_CP1251_H_

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

enum class TextEncoding { kCp1251, kUtf8 };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A text with the UTF-8 byte-order mark, or valid UTF-8 holding at least
// one non-ASCII character, is UTF-8; anything else is code page 1251.
TextEncoding DetectEncoding(std::string_view bytes);

}  // namespace trulvex

#endif  // TRULVEX_ENGINE_CP1251_H_
