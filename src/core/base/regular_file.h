#ifndef TRULVEX_CORE_BASE_REGULAR_FILE_H_
#define TRULVEX_CORE_BASE_REGULAR_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace trulvex {

// Opens a regular file of at most `max_bytes` for reading. Anything else is
// refused before a byte is read: a FIFO (which would wait for a writer), a
// device such as /dev/zero (which never ends), a directory
// (FileErrc::kNotRegularFile), and a larger file (FileErrc::kTooLarge).
// Null, with `error` saying why, on failure; the caller closes the file.
std::FILE* OpenRegularFile(const std::filesystem::path& path,
                           std::uint64_t max_bytes, std::error_code* error);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_REGULAR_FILE_H_
