#ifndef TRULVEX_CORE_BASE_WIDE_TEXT_H_
#define TRULVEX_CORE_BASE_WIDE_TEXT_H_

#if defined(_WIN32)

#include <string>
#include <string_view>

namespace trulvex {

// Windows keeps names, the command line and the environment in UTF-16; the
// program's text is UTF-8. Both ways, never throwing: what cannot be
// converted (a lone surrogate, a broken sequence) becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace trulvex

#endif  // _WIN32

#endif  // TRULVEX_CORE_BASE_WIDE_TEXT_H_
