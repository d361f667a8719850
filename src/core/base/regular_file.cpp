#include "core/base/regular_file.h"

#include <cerrno>
#include <new>
#include <utility>

#include "core/base/file_error.h"
#include "core/base/open_file.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trulvex {

#if !defined(_WIN32)

std::FILE* OpenRegularFile(const std::filesystem::path& path,
                           std::uint64_t max_bytes, std::error_code* error) {
  error->clear();
  // Non-blocking, so that a FIFO put in the file's place after any check
  // still cannot hold the caller; the type is then read from the open file.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    *error = {errno, std::generic_category()};
    return nullptr;
  }
  struct stat info;
  if (fstat(descriptor, &info) != 0) {
    *error = {errno, std::generic_category()};
  } else if (!S_ISREG(info.st_mode)) {
    *error = make_error_code(FileErrc::kNotRegularFile);
  } else if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    *error = make_error_code(FileErrc::kTooLarge);
  } else {
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (std::FILE* file = fdopen(descriptor, "rb")) return file;
    *error = {errno, std::generic_category()};
  }
  close(descriptor);
  return nullptr;
}

#else

std::FILE* OpenRegularFile(const std::filesystem::path& path,
                           std::uint64_t max_bytes, std::error_code* error) {
  error->clear();
  if (!std::filesystem::is_regular_file(path, *error)) {
    if (!*error) *error = make_error_code(FileErrc::kNotRegularFile);
    return nullptr;
  }
  if (std::filesystem::file_size(path, *error) > max_bytes) {
    *error = make_error_code(FileErrc::kTooLarge);
    return nullptr;
  }
  return OpenFile(path, "rb");
}

#endif

bool ReadRegularFile(const std::filesystem::path& path, std::string* bytes,
                     std::error_code* error, std::uint64_t max_bytes) {
  std::error_code ignored;
  std::error_code& reason = error != nullptr ? *error : ignored;
  const UniqueFile file(OpenRegularFile(path, max_bytes, &reason));
  if (!file) return false;
  try {
    // To its end, not to the size it had when opened: it may be growing.
    std::string content;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
      content.append(buffer, got);
    }
    if (std::ferror(file.get())) {
      reason = std::make_error_code(std::errc::io_error);
      return false;
    }
    *bytes = std::move(content);
    return true;
  } catch (const std::bad_alloc&) {
    reason = std::make_error_code(std::errc::not_enough_memory);
    return false;
  }
}

}  // namespace trulvex
