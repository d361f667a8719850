#include "core/base/path_bytes.h"

#include "core/base/cp1251.h"
#include "core/base/wide_text.h"

namespace trulvex {

std::string PathBytes(const std::filesystem::path& path) {
#ifdef _WIN32
  // Not u8string(), which throws on a lone surrogate: NTFS allows one.
  return WideToUtf8(path.native());
#else
  return path.native();
#endif
}

std::filesystem::path PathFromBytes(std::string_view bytes) {
#ifdef _WIN32
  return std::filesystem::path(Utf8ToWide(bytes));
#else
  return std::filesystem::path(std::string(bytes));
#endif
}

std::string DisplayPath(std::string_view path_bytes) {
  std::string text;
  text.reserve(path_bytes.size());
  for (std::size_t i = 0; i < path_bytes.size();) {
    char32_t code_point = 0;
    const std::size_t length = DecodeUtf8Char(path_bytes, i, &code_point);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      ++i;
    } else {
      text.append(path_bytes.substr(i, length));
      i += length;
    }
  }
  return text;
}

}  // namespace trulvex
