#ifndef TRULVEX_FUZZ_FUZZ_SUPPORT_H_
#define TRULVEX_FUZZ_FUZZ_SUPPORT_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/text_reader.h"

// A broken property is a finding: report it and stop, so that libFuzzer
// keeps the input that shows it.
#define FUZZ_CHECK(condition)                                               \
  do {                                                                      \
    if (!(condition)) {                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                             \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

namespace trulvex::fuzz {

// A text a stored profile or preference value can hold: no line break, no
// NUL.
inline std::string StorableText(FuzzedDataProvider& data, std::size_t max) {
  std::string text = data.ConsumeRandomLengthString(max);
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == 0; });
  return text;
}

// The text in chunks whose sizes follow `seed`; `once` hides its length and
// refuses a second reading, as a pipe does.
class ChunkedReader : public TextReader {
 public:
  ChunkedReader(std::string_view text, std::size_t seed, bool once)
      : text_(text), step_(seed % 61 + 1), once_(once) {}
  std::string_view Next() override {
    const std::string_view next = text_.substr(at_, step_);
    at_ += next.size();
    step_ = (step_ * 7 + 3) % 61 + 1;
    return next;
  }
  bool LfFollows() override {
    return text_.find('\n', at_) != std::string_view::npos;
  }
  bool failed() const override { return false; }
  std::optional<std::uint64_t> LengthBound() const override {
    if (once_) return std::nullopt;
    return text_.size();
  }
  bool Rewind() override {
    at_ = 0;
    return !once_;
  }

 private:
  std::string_view text_;
  std::size_t step_;
  bool once_;
  std::size_t at_ = 0;
};

}  // namespace trulvex::fuzz

#endif  // TRULVEX_FUZZ_FUZZ_SUPPORT_H_
