#ifndef TRULVEX_CORE_BASE_FILE_POSITION_H_
#define TRULVEX_CORE_BASE_FILE_POSITION_H_

#include <cstdint>
#include <cstdio>
#include <optional>

namespace trulvex {

// 64-bit positions in a stream on every platform.
bool SeekTo(std::FILE* file, std::uint64_t offset);
std::optional<std::uint64_t> TellOf(std::FILE* file);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_FILE_POSITION_H_
