#ifndef TRULVEX_FUZZ_FUZZ_SUPPORT_H_
#define TRULVEX_FUZZ_FUZZ_SUPPORT_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

}  // namespace trulvex::fuzz

#endif  // TRULVEX_FUZZ_FUZZ_SUPPORT_H_
