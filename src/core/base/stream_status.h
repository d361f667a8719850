#ifndef TRULVEX_CORE_BASE_STREAM_STATUS_H_
#define TRULVEX_CORE_BASE_STREAM_STATUS_H_

#include <cstdint>
#include <cstdio>
#include <optional>

namespace trulvex {

// What an open stream reads from.
struct StreamStatus {
  bool directory = false;
  // The size of a regular file; none for a pipe, a device or a terminal.
  std::optional<std::uint64_t> regular_size;
};

// The status of the file behind `file`, with sizes of 64 bits on every
// platform (Windows' plain fstat has 32); none when the system cannot tell.
std::optional<StreamStatus> StatusOf(std::FILE* file);

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_STREAM_STATUS_H_
