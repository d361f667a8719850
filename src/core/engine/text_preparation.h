#ifndef TRULVEX_CORE_ENGINE_TEXT_PREPARATION_H_
#define TRULVEX_CORE_ENGINE_TEXT_PREPARATION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trulvex {

// Every tab and every line break (CR, LF, CR LF or LF CR) becomes one space.
// Works in place on the text it is given; pass it with std::move to avoid a
// copy of a large text.
std::string FlattenText(std::string text);

// Deletes what the display cannot show (`delete_symbol_error` 1; LF and FF
// stay, a tab becomes a space) and shortens every run of spaces to
// `count_space` (`delete_space` 1). Option values out of their ranges (flags
// other than 0 and 1, `count_space` outside 1 to 199) leave the text as it is.
std::string CleanText(std::string text, int delete_space, int count_space,
                      int delete_symbol_error);

// The raw line piece that starts at `offset` (0-based): one text line, LF or
// lone CR included, when `count_byte` is 0 or less; otherwise `count_byte`
// characters, stretched to the end of the word and the blank after it when
// `word_wrap` is 1. Empty when `offset` is at or past the end.
std::string_view NextLinePiece(std::string_view text, std::size_t offset,
                               std::int32_t count_byte, std::uint8_t word_wrap);

// The piece as it is written: line breaks become a space (a CR next to an
// LF is dropped), tabs become spaces. Replaces the content of `out`.
void NormalizePiece(std::string_view raw, std::string* out);
std::string NormalizePiece(std::string_view raw);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_TEXT_PREPARATION_H_
