#include "core/base/preference_value.h"

#include <limits>

namespace trulvex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::int32_t ParsePreferenceInteger(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
  }
  // Accumulate in 64 bits and clamp once the number cannot fit any more.
  constexpr std::int64_t kLimit =
      static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
  std::int64_t magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    if (magnitude < kLimit) magnitude = magnitude * 10 + (value[i] - '0');
  }
  if (negative) {
    return static_cast<std::int32_t>(magnitude >= kLimit ? -kLimit
                                                         : -magnitude);
  }
  return static_cast<std::int32_t>(magnitude >= kLimit ? kLimit - 1
                                                       : magnitude);
}

std::string_view TrimBlanks(std::string_view value) {
  std::size_t begin = 0;
  std::size_t end = value.size();
  while (begin < end && IsBlank(value[begin])) ++begin;
  while (end > begin && IsBlank(value[end - 1])) --end;
  return value.substr(begin, end - begin);
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace trulvex
