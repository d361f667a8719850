#ifndef TRULVEX_CORE_BASE_ERROR_REASON_H_
#define TRULVEX_CORE_BASE_ERROR_REASON_H_

#include <string>
#include <system_error>

namespace trulvex {

// Why a file operation failed, in Russian words a user reads after the
// path: "нет такого файла", "доступ запрещён", "нет места на устройстве".
std::string ErrorReason(std::error_code error);

// The error of the C library call that has just failed (errno).
std::error_code LastSystemError();

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_ERROR_REASON_H_
