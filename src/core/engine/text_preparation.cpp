#include "core/engine/text_preparation.h"

#include <algorithm>

#include "core/engine/char_map.h"
#include "core/engine/code_mapping.h"

namespace trulvex {
namespace {

constexpr char kTab = '\t';
constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kFf = '\f';

bool IsWrapBlank(char c) {
  return c == ' ' || c == kTab || c == kLf || c == kCr;
}

// Cleans `in` into `out`, which may be `in` itself (the result is never
// longer); `run` carries the run of spaces across pieces. Returns the
// length written. Every character is stored and the write position moves
// only for those kept, so that spaces and deletions cost no branch.
template <bool kDeleteSymbols, bool kDeleteSpaces>
std::size_t CleanCharsWith(std::string_view in, char* out,
                           const CleanOptions& options, int* run) {
  const int most = options.count_space;
  int spaces = *run;
  std::size_t write = 0;
  for (const char original : in) {
    char c = original;
    bool keep = true;
    if constexpr (kDeleteSymbols) {
      // Deleted characters still lengthen the run of spaces they stand in;
      // a tab survives as a space.
      const bool shown =
          IsDisplayable(static_cast<std::uint8_t>(c)) || c == kLf || c == kFf;
      keep = shown || c == kTab;
      c = shown ? c : ' ';
    }
    if constexpr (kDeleteSpaces) {
      // The run can only grow while spaces keep coming; capped, so that a
      // run of billions of spaces cannot overflow the counter.
      const bool space = c == ' ';
      spaces = space ? spaces + (spaces <= most ? 1 : 0) : 0;
      keep = keep && !(space && spaces > most);
    }
    out[write] = c;
    write += keep ? 1 : 0;
  }
  *run = spaces;
  return write;
}

std::size_t CleanChars(std::string_view in, char* out,
                       const CleanOptions& options, int* run) {
  const bool symbols = options.delete_symbol_error == 1;
  const bool spaces = options.delete_space == 1;
  if (symbols && spaces) {
    return CleanCharsWith<true, true>(in, out, options, run);
  }
  if (symbols) return CleanCharsWith<true, false>(in, out, options, run);
  if (spaces) return CleanCharsWith<false, true>(in, out, options, run);
  return CleanCharsWith<false, false>(in, out, options, run);
}

}  // namespace

std::string FlattenText(std::string text) {
  std::uint8_t pending = 0;
  text.resize(RunCharPass(CharPass::kFlatten, text, text.data(), &pending));
  return text;
}

std::string CleanText(std::string text, int delete_space, int count_space,
                      int delete_symbol_error) {
  const CleanOptions options{delete_space, count_space, delete_symbol_error};
  if (!options.cleans()) return text;
  int run = 0;
  text.resize(CleanChars(text, text.data(), options, &run));
  return text;
}

TextPreparer::TextPreparer(bool flatten, const CleanOptions& clean)
    : flatten_(flatten), clean_(clean.cleans()), options_(clean) {}

std::string_view TextPreparer::Prepare(std::string_view chunk) {
  if (!flatten_ && !clean_) return chunk;
  buffer_.resize(PassRoom(chunk.size()));
  std::size_t size = chunk.size();
  if (flatten_) {
    size =
        RunCharPass(CharPass::kFlatten, chunk, buffer_.data(), &pending_break_);
    chunk = std::string_view(buffer_.data(), size);
  }
  if (clean_) size = CleanChars(chunk, buffer_.data(), options_, &run_);
  return std::string_view(buffer_.data(), size);
}

LinePieceCutter::LinePieceCutter(std::int32_t count_byte,
                                 std::uint8_t word_wrap)
    : count_byte_(count_byte > 0 ? static_cast<std::size_t>(count_byte) : 0),
      word_wrap_(word_wrap) {}

std::size_t LinePieceCutter::WrapEnd(std::string_view rest,
                                     std::size_t taken) const {
  // The piece ends at the first blank from its (count_byte + 1)-th
  // character on.
  const std::size_t from = taken < count_byte_ ? count_byte_ - taken : 0;
  if (from >= rest.size()) return std::string_view::npos;
  const auto blank = std::find_if(rest.begin() + static_cast<long>(from),
                                  rest.end(), IsWrapBlank);
  if (blank == rest.end()) return std::string_view::npos;
  return static_cast<std::size_t>(blank - rest.begin()) + 1;
}

std::string_view NextLinePiece(std::string_view text, std::size_t offset,
                               std::int32_t count_byte,
                               std::uint8_t word_wrap) {
  if (offset >= text.size()) return {};
  const std::string_view rest = text.substr(offset);
  LinePieceCutter cutter(count_byte, word_wrap);
  // The rest is the whole remaining text: nothing follows it.
  return rest.substr(0, cutter.PieceEnd(rest, 0, [] { return false; }));
}

void NormalizePiece(std::string_view raw, std::string* out) {
  out->assign(raw);
  const bool has_lf = raw.find(kLf) != std::string_view::npos;
  if (has_lf) {
    std::replace(out->begin(), out->end(), kLf, ' ');
    std::erase(*out, kCr);
  } else {
    std::replace(out->begin(), out->end(), kCr, ' ');
  }
  std::replace(out->begin(), out->end(), kTab, ' ');
}

std::string NormalizePiece(std::string_view raw) {
  std::string piece;
  NormalizePiece(raw, &piece);
  return piece;
}

}  // namespace trulvex
