#ifndef TRULVEX_CORE_BASE_WINDOWS_ERROR_H_
#define TRULVEX_CORE_BASE_WINDOWS_ERROR_H_

#if defined(_WIN32)

#include <system_error>

namespace trulvex {

// A Win32 error (GetLastError) as the portable error the rest of the
// program reports (ErrorReason), so that a refused file reads the same on
// every system; errno set to match. An error with no portable kin stays a
// Windows one (system_category), with errno EIO.
std::error_code WindowsErrorCode(unsigned long error);

// The same for the calling thread's last error.
std::error_code LastWindowsError();

}  // namespace trulvex

#endif  // _WIN32

#endif  // TRULVEX_CORE_BASE_WINDOWS_ERROR_H_
