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

// What CleanText deletes.
struct CleanOptions {
  int delete_space = 0;
  int count_space = 2;
  int delete_symbol_error = 0;

  // Option values out of their ranges (flags other than 0 and 1,
  // `count_space` outside 1 to 199) delete nothing.
  bool cleans() const {
    return (delete_space == 1 || delete_symbol_error == 1) &&
           (delete_space == 0 || delete_space == 1) &&
           (delete_symbol_error == 0 || delete_symbol_error == 1) &&
           count_space >= 1 && count_space <= 199;
  }
};

// Deletes what the display cannot show (`delete_symbol_error` 1; LF and FF
// stay, a tab becomes a space) and shortens every run of spaces to
// `count_space` (`delete_space` 1). Option values out of their ranges (flags
// other than 0 and 1, `count_space` outside 1 to 199) leave the text as it is.
std::string CleanText(std::string text, int delete_space, int count_space,
                      int delete_symbol_error);

// Flattening and cleaning of a text that arrives in chunks; a line break
// or a run of spaces split between two chunks counts as in the whole text.
class TextPreparer {
 public:
  TextPreparer(bool flatten, const CleanOptions& clean);

  // The prepared form of the next chunk, valid until the next call: the
  // chunk itself when there is nothing to do.
  std::string_view Prepare(std::string_view chunk);

 private:
  bool flatten_;
  bool clean_;
  CleanOptions options_;
  std::uint8_t pending_break_ = 0;
  int run_ = 0;
  std::string buffer_;
};

// Cuts a text into raw line pieces as it arrives: one text line, LF or lone
// CR included, when `count_byte` is 0 or less; otherwise `count_byte`
// characters, stretched to the end of the word and the blank after it when
// `word_wrap` is 1. A line ends at a CR only when no LF follows anywhere in
// the rest of the text; the cutter asks about that once per stretch between
// two LFs, so that cutting stays linear for every mix of line ends.
class LinePieceCutter {
 public:
  LinePieceCutter(std::int32_t count_byte, std::uint8_t word_wrap);

  // The length within `rest` of the piece that began `taken` characters
  // before it, or npos when the piece goes on past `rest`. `lf_follows()`
  // tells whether an LF comes after `rest`.
  template <typename LfFollows>
  std::size_t PieceEnd(std::string_view rest, std::size_t taken,
                       const LfFollows& lf_follows) {
    if (count_byte_ == 0) return LineEnd(rest, lf_follows);
    if (word_wrap_ != 1) {
      const std::size_t left = count_byte_ - taken;
      return rest.size() >= left ? left : std::string_view::npos;
    }
    return WrapEnd(rest, taken);
  }

 private:
  template <typename LfFollows>
  std::size_t LineEnd(std::string_view rest, const LfFollows& lf_follows) {
    if (!no_lf_left_) {
      const std::size_t lf = rest.find('\n');
      if (lf != std::string_view::npos) {
        lf_ahead_ = false;
        return lf + 1;
      }
      if (lf_ahead_) return std::string_view::npos;
    }
    const std::size_t cr = rest.find('\r');
    if (cr == std::string_view::npos) return std::string_view::npos;
    if (!no_lf_left_) {
      if (lf_follows()) {
        lf_ahead_ = true;  // this line ends at that LF, not at a CR
        return std::string_view::npos;
      }
      no_lf_left_ = true;
    }
    return cr + 1;
  }
  std::size_t WrapEnd(std::string_view rest, std::size_t taken) const;

  std::size_t count_byte_;
  std::uint8_t word_wrap_;
  bool lf_ahead_ = false;    // an LF comes after what was seen
  bool no_lf_left_ = false;  // no LF comes any more
};

// The raw line piece that starts at `offset` (0-based), cut as
// LinePieceCutter cuts it. Empty when `offset` is at or past the end.
std::string_view NextLinePiece(std::string_view text, std::size_t offset,
                               std::int32_t count_byte, std::uint8_t word_wrap);

// The piece as it is written: line breaks become a space (a CR next to an
// LF is dropped), tabs become spaces. Replaces the content of `out`.
void NormalizePiece(std::string_view raw, std::string* out);
std::string NormalizePiece(std::string_view raw);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_TEXT_PREPARATION_H_
