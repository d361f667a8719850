#include "core/base/windows_error.h"

#if defined(_WIN32)

#include <windows.h>

#include <cerrno>

namespace trulvex {

std::error_code WindowsErrorCode(unsigned long error) {
  int code = 0;
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      code = EEXIST;
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      code = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      code = EACCES;
      break;
    // Another program has the file open and shares it with no writer.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
      code = ETXTBSY;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      code = ENOSPC;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      code = ENOMEM;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      code = ENAMETOOLONG;
      break;
    case ERROR_DIRECTORY:
      code = ENOTDIR;
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      code = EMFILE;
      break;
    case ERROR_NOT_SAME_DEVICE:
      code = EXDEV;
      break;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      code = EPIPE;
      break;
    default:
      // Said by its Windows number ("системная ошибка 1117"), which a
      // user can look up, rather than as a vague input-output error.
      errno = EIO;
      return {static_cast<int>(error), std::system_category()};
  }
  errno = code;
  return {code, std::generic_category()};
}

std::error_code LastWindowsError() { return WindowsErrorCode(GetLastError()); }

}  // namespace trulvex

#endif  // _WIN32
