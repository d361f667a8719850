#ifndef TRULVEX_CORE_BASE_FILE_LOCK_H_
#define TRULVEX_CORE_BASE_FILE_LOCK_H_

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "core/base/signal_cleanup.h"

namespace trulvex {

// How long a writer waits for another one to finish with a file.
inline constexpr std::chrono::milliseconds kLockWait{10000};

// The exclusive right to read, change and write one file. Writers that
// follow the same path (or links to the same file) take turns; readers
// need no lock, as every write replaces the file whole.
//
// The lock lives on a hidden lock file beside the data file, never on the
// data file itself, whose inode a replacement swaps. The lock file goes
// when the lock is released. Where no lock file can be made (a directory
// the user may not write) the data file itself is locked, as it is then
// written in place; where the file system has no locks at all, the lock is
// held in name only and the program works as without it.
class FileLock {
 public:
  // Waits up to `wait` for the lock of the file `path` leads to (which
  // need not exist yet). Fails, with FileErrc::kLockTimeout, only when
  // another writer kept it all that time, or when `path` itself is
  // unusable (a link loop, a refused link).
  static std::optional<FileLock> Acquire(
      const std::filesystem::path& path, std::error_code* error,
      std::chrono::milliseconds wait = kLockWait);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  ~FileLock();

  // False when the lock is held in name only.
  bool held() const { return descriptor_ >= 0; }

 private:
  FileLock() = default;
  void Release();

  int descriptor_ = -1;
  // The lock file to remove at release; empty when the data file itself
  // is locked.
  std::filesystem::path lock_file_;
  std::unique_ptr<SignalCleanup> cleanup_;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_FILE_LOCK_H_
