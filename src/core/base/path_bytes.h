#ifndef TRULVEX_CORE_BASE_PATH_BYTES_H_
#define TRULVEX_CORE_BASE_PATH_BYTES_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace trulvex {

// A path as the bytes the system names the file by: on POSIX systems the
// name's own bytes, whatever their encoding (a name written in code page
// 1251 is not UTF-8); on Windows its UTF-8 form. PathFromBytes gives the
// very same path back, so a file found once can always be opened again.
std::string PathBytes(const std::filesystem::path& path);
std::filesystem::path PathFromBytes(std::string_view bytes);

// The path as valid UTF-8 text for messages and labels; bytes that are not
// UTF-8 show as U+FFFD.
std::string DisplayPath(std::string_view path_bytes);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_PATH_BYTES_H_
