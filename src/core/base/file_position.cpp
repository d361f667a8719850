#include "core/base/file_position.h"

#include <sys/types.h>

namespace trulvex {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::optional<std::uint64_t> TellOf(std::FILE* file) {
#if defined(_WIN32)
  const __int64 at = _ftelli64(file);
#else
  const off_t at = ftello(file);
#endif
  if (at < 0) return std::nullopt;
  return static_cast<std::uint64_t>(at);
}

}  // namespace trulvex
