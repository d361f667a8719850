#include "core/engine/text_preparation.h"

#include <algorithm>
#include <cstring>

#include "core/engine/char_map.h"

namespace trulvex {
namespace {

constexpr char kTab = '\t';
constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kFf = '\f';

bool IsWrapBlank(char c) {
  return c == ' ' || c == kTab || c == kLf || c == kCr;
}

std::size_t NextControlOrEnd(const char* data, std::size_t from,
                             std::size_t size) {
  // Eight bytes at a time: a word holds a byte below 14 exactly when the
  // classic "has less than" test sets one of its high bits.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  while (from + 8 <= size) {
    std::uint64_t word;
    std::memcpy(&word, data + from, 8);
    if (((word - kOnes * 14) & ~word & kHighs) != 0) break;
    from += 8;
  }
  while (from<size&& static_cast<unsigned char>(data[from])> 13) ++from;
  return from;
}

}  // namespace

std::string FlattenText(std::string text) {
  char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t write = 0;
  for (std::size_t read = 0; read < size; ++read) {
    // Copy the stretch up to the next tab or line break in one go.
    const std::size_t stop = NextControlOrEnd(data, read, size);
    if (stop != read) {
      if (write != read) std::memmove(data + write, data + read, stop - read);
      write += stop - read;
      read = stop;
      if (read == size) break;
    }
    char c = data[read];
    // Only tab (9), LF (10) and CR (13) change; one compare skips the rest.
    if (static_cast<unsigned char>(c) <= 13) {
      if (c == kTab) {
        c = ' ';
      } else if (c == kCr || c == kLf) {
        const char pair = c == kCr ? kLf : kCr;
        if (read + 1 < size && data[read + 1] == pair) ++read;
        c = ' ';
      }
    }
    data[write++] = c;
  }
  text.resize(write);
  return text;
}

std::string CleanText(std::string text, int delete_space, int count_space,
                      int delete_symbol_error) {
  if (text.empty() || (delete_space != 0 && delete_space != 1) ||
      (delete_symbol_error != 0 && delete_symbol_error != 1) ||
      count_space < 1 || count_space > 199) {
    return text;
  }
  char* const data = text.data();
  const std::size_t size = text.size();
  std::size_t write = 0;
  int run = 0;
  for (std::size_t read = 0; read < size; ++read) {
    const char original = data[read];
    char c = original;
    bool keep = true;
    if (delete_symbol_error == 1 &&
        !IsDisplayable(static_cast<std::uint8_t>(c)) && c != kLf && c != kFf) {
      // Deleted characters still lengthen the run of spaces they stand in;
      // a tab survives as a space.
      keep = c == kTab;
      c = ' ';
    }
    if (delete_space == 1) {
      if (c == ' ') {
        // The run can only grow while spaces keep coming; cap it so that a
        // run of billions of spaces cannot overflow the counter.
        if (run <= count_space) ++run;
        if (run > count_space) keep = false;
      } else {
        run = 0;
      }
    }
    if (keep) data[write++] = c;
  }
  text.resize(write);
  return text;
}

std::string_view NextLinePiece(std::string_view text, std::size_t offset,
                               std::int32_t count_byte,
                               std::uint8_t word_wrap) {
  if (offset >= text.size()) return {};
  const std::string_view rest = text.substr(offset);
  if (count_byte <= 0) {
    std::size_t end = rest.find(kLf);
    if (end == std::string_view::npos) end = rest.find(kCr);
    return end == std::string_view::npos ? rest : rest.substr(0, end + 1);
  }
  const auto length = static_cast<std::size_t>(count_byte);
  if (rest.size() <= length) return rest;
  if (word_wrap != 1) return rest.substr(0, length);
  const auto blank =
      std::find_if(rest.begin() + length, rest.end(), IsWrapBlank);
  if (blank == rest.end()) return rest;
  return rest.substr(0, static_cast<std::size_t>(blank - rest.begin()) + 1);
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
