#include "core/base/open_file.h"

#include <cerrno>
#include <random>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "core/base/windows_error.h"
#endif

namespace trulvex {

#if defined(_WIN32)

int DescriptorOfHandle(void* handle, int flags) {
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (descriptor == -1) {
    CloseHandle(handle);
    errno = EMFILE;
  }
  return descriptor;
}

std::FILE* StreamOfHandle(void* handle, int flags, const char* mode) {
  const int descriptor = DescriptorOfHandle(handle, flags);
  if (descriptor == -1) return nullptr;
  std::FILE* file = _fdopen(descriptor, mode);
  if (file == nullptr) _close(descriptor);  // closes the handle too
  return file;
}

// The C runtime's _wfopen neither knows "x" (msvcrt) nor lets others
// rename or delete an open file; CreateFileW does both.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  const std::string_view text(mode);
  const bool plus = text.find('+') != std::string_view::npos;
  const bool exclusive = text.find('x') != std::string_view::npos;
  DWORD access = 0;
  DWORD disposition = 0;
  int flags = _O_BINARY;
  std::string crt_mode;
  switch (text.empty() ? '\0' : text.front()) {
    case 'r':
      access = GENERIC_READ | (plus ? GENERIC_WRITE : 0);
      disposition = OPEN_EXISTING;
      flags |= plus ? _O_RDWR : _O_RDONLY;
      crt_mode = plus ? "r+b" : "rb";
      break;
    case 'w':
      access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
      disposition = exclusive ? CREATE_NEW : CREATE_ALWAYS;
      flags |= plus ? _O_RDWR : _O_WRONLY;
      crt_mode = plus ? "w+b" : "wb";
      break;
    case 'a':
      access = FILE_APPEND_DATA | (plus ? GENERIC_READ : 0);
      disposition = exclusive ? CREATE_NEW : OPEN_ALWAYS;
      flags |= _O_APPEND | (plus ? _O_RDWR : _O_WRONLY);
      crt_mode = plus ? "a+b" : "ab";
      break;
    default:
      errno = EINVAL;
      return nullptr;
  }
  const HANDLE handle =
      CreateFileW(path.c_str(), access,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Windows refuses a folder as it refuses a forbidden file; say which.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      errno = EISDIR;
    } else {
      WindowsErrorCode(error);
    }
    return nullptr;
  }
  return StreamOfHandle(handle, flags, crt_mode.c_str());
}

std::FILE* OpenTemporaryFile() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) {
    errno = ENOENT;
    return nullptr;
  }
  std::random_device seed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = std::wstring(folder, length) + L"trulvex-" +
                              std::to_wstring(seed()) + L".tmp";
    const HANDLE handle = CreateFileW(
        name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
        nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      return StreamOfHandle(handle, _O_RDWR | _O_BINARY, "w+b");
    }
    if (GetLastError() != ERROR_FILE_EXISTS) {
      LastWindowsError();
      return nullptr;
    }
  }
  errno = EEXIST;
  return nullptr;
}

#else

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

std::FILE* OpenTemporaryFile() { return std::tmpfile(); }

#endif

}  // namespace trulvex
