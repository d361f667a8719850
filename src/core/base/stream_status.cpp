#include "core/base/stream_status.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace trulvex {

std::optional<StreamStatus> StatusOf(std::FILE* file) {
  StreamStatus result;
#if defined(_WIN32)
  struct _stat64 status {};
  if (_fstat64(_fileno(file), &status) != 0) return std::nullopt;
  const auto type = status.st_mode & _S_IFMT;
  result.directory = type == _S_IFDIR;
  if (type == _S_IFREG) {
    result.regular_size = static_cast<std::uint64_t>(status.st_size);
  }
#else
  struct stat status {};
  if (fstat(fileno(file), &status) != 0) return std::nullopt;
  result.directory = S_ISDIR(status.st_mode);
  if (S_ISREG(status.st_mode)) {
    result.regular_size = static_cast<std::uint64_t>(status.st_size);
  }
#endif
  return result;
}

}  // namespace trulvex
