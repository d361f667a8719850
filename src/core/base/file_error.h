#ifndef TRULVEX_CORE_BASE_FILE_ERROR_H_
#define TRULVEX_CORE_BASE_FILE_ERROR_H_

#include <system_error>
#include <type_traits>

namespace trulvex {

// File failures that are the program's own decisions rather than the
// system's, reported like any other reason (ErrorReason).
enum class FileErrc {
  // Another writer held the file's lock for the whole waiting time.
  kLockTimeout = 1,
  // A link in a shared sticky directory, owned by someone else: following
  // it would let that user redirect the write.
  kProtectedSymlink,
  // A device, a pipe or a directory where a text file was expected.
  kNotRegularFile,
  // More than the editor can hold (kMaxDocumentBytes).
  kTooLarge,
};

const std::error_category& FileErrorCategory();
std::error_code make_error_code(FileErrc code);

}  // namespace trulvex

template <>
struct std::is_error_code_enum<trulvex::FileErrc> : std::true_type {};

#endif  // TRULVEX_CORE_BASE_FILE_ERROR_H_
