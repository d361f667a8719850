#include "core/base/wide_text.h"

#if defined(_WIN32)

#include <windows.h>

#include <climits>

namespace trulvex {

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(),
                      static_cast<int>(wide.size()));
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr,
                                       0, nullptr, nullptr),
                   '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(),
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  return utf8;
}

}  // namespace trulvex

#endif  // _WIN32
