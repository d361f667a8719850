#ifndef TRULVEX_CORE_BASE_DESCRIPTOR_IO_H_
#define TRULVEX_CORE_BASE_DESCRIPTOR_IO_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <system_error>

namespace trulvex {

// Reads and writes at `offset` of an open descriptor (a C runtime one on
// Windows), as POSIX pread and pwrite, whatever its own position (which
// POSIX keeps and Windows moves). The number of bytes moved, 0 at the end,
// -1 with errno set on an error.
std::int64_t ReadAt(int descriptor, char* buffer, std::size_t size,
                    std::uint64_t offset);
std::int64_t WriteAt(int descriptor, const char* buffer, std::size_t size,
                     std::uint64_t offset);

// Copies all that `from` holds to the start of `to`, its size in `size`;
// false on an error.
bool CopyAll(int from, int to, std::uint64_t* size);

// Cuts or extends the file to `size` bytes.
bool TruncateTo(int descriptor, std::uint64_t size);

// Puts what was written on the disk (fsync, FlushFileBuffers).
bool SyncToDisk(int descriptor);

void CloseDescriptor(int descriptor);

// The descriptor under a C stream.
int DescriptorOf(std::FILE* file);

// errno as an error code; EIO when errno says nothing.
std::error_code LastIoError();

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_DESCRIPTOR_IO_H_
