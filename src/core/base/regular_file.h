#ifndef TRULVEX_CORE_BASE_REGULAR_FILE_H_
#define TRULVEX_CORE_BASE_REGULAR_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

namespace trulvex {

// Opens a regular file of at most `max_bytes` for reading. Anything else is
// refused before a byte is read: a FIFO (which would wait for a writer), a
// device such as /dev/zero (which never ends), a directory
// (FileErrc::kNotRegularFile), and a larger file (FileErrc::kTooLarge).
// Null, with `error` saying why, on failure; the caller closes the file.
std::FILE* OpenRegularFile(const std::filesystem::path& path,
                           std::uint64_t max_bytes, std::error_code* error);

// The one reader of a whole file: the bytes of a regular file of at most
// `max_bytes` (refused as OpenRegularFile refuses). False, with `error`
// (when given) saying why, when it cannot be opened or read or does not
// fit in memory (std::errc::not_enough_memory); `bytes` is then untouched.
bool ReadRegularFile(
    const std::filesystem::path& path, std::string* bytes,
    std::error_code* error = nullptr,
    std::uint64_t max_bytes = std::numeric_limits<std::uint64_t>::max());

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_REGULAR_FILE_H_
