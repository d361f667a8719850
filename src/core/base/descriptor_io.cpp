#include "core/base/descriptor_io.h"

#include <cerrno>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>

#include "core/base/windows_error.h"
#else
#include <sys/types.h>
#include <unistd.h>
#endif

namespace trulvex {

#if defined(_WIN32)

namespace {

HANDLE HandleOf(int descriptor) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

DWORD Piece(std::size_t size) {
  return static_cast<DWORD>(size < (DWORD{1} << 30) ? size : DWORD{1} << 30);
}

}  // namespace

std::int64_t ReadAt(int descriptor, char* buffer, std::size_t size,
                    std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  if (ReadFile(HandleOf(descriptor), buffer, Piece(size), &got, &at)) {
    return got;
  }
  if (GetLastError() == ERROR_HANDLE_EOF) return 0;
  LastWindowsError();
  return -1;
}

std::int64_t WriteAt(int descriptor, const char* buffer, std::size_t size,
                     std::uint64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD put = 0;
  if (WriteFile(HandleOf(descriptor), buffer, Piece(size), &put, &at)) {
    return put;
  }
  LastWindowsError();
  return -1;
}

bool TruncateTo(int descriptor, std::uint64_t size) {
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  const HANDLE handle = HandleOf(descriptor);
  if (SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) &&
      SetEndOfFile(handle)) {
    return true;
  }
  LastWindowsError();
  return false;
}

bool SyncToDisk(int descriptor) {
  if (FlushFileBuffers(HandleOf(descriptor))) return true;
  LastWindowsError();
  return false;
}

void CloseDescriptor(int descriptor) { _close(descriptor); }

int DescriptorOf(std::FILE* file) { return _fileno(file); }

#else

std::int64_t ReadAt(int descriptor, char* buffer, std::size_t size,
                    std::uint64_t offset) {
  for (;;) {
    const ssize_t got =
        pread(descriptor, buffer, size, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::int64_t WriteAt(int descriptor, const char* buffer, std::size_t size,
                     std::uint64_t offset) {
  for (;;) {
    const ssize_t put =
        pwrite(descriptor, buffer, size, static_cast<off_t>(offset));
    if (put >= 0 || errno != EINTR) return put;
  }
}

bool TruncateTo(int descriptor, std::uint64_t size) {
  return ftruncate(descriptor, static_cast<off_t>(size)) == 0;
}

bool SyncToDisk(int descriptor) { return fsync(descriptor) == 0; }

void CloseDescriptor(int descriptor) { close(descriptor); }

int DescriptorOf(std::FILE* file) { return fileno(file); }

#endif

std::error_code LastIoError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

bool CopyAll(int from, int to, std::uint64_t* size) {
  std::vector<char> buffer(std::size_t{1} << 20);
  *size = 0;
  for (;;) {
    const std::int64_t got = ReadAt(from, buffer.data(), buffer.size(), *size);
    if (got < 0) return false;
    if (got == 0) return true;
    for (std::int64_t done = 0; done < got;) {
      const std::int64_t put =
          WriteAt(to, buffer.data() + done,
                  static_cast<std::size_t>(got - done), *size + done);
      if (put <= 0) return false;
      done += put;
    }
    *size += static_cast<std::uint64_t>(got);
  }
}

}  // namespace trulvex
