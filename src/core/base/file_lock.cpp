#include "core/base/file_lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "core/base/file_error.h"
#include "core/base/path_bytes.h"
#include "core/base/write_target.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <windows.h>

#include "core/base/descriptor_io.h"
#include "core/base/open_file.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

namespace {

// Pauses before the next try, a little longer each time; false, with the
// timeout as `error`, once `deadline` has passed.
bool WaitToRetry(std::chrono::steady_clock::time_point deadline,
                 std::chrono::milliseconds* pause, std::error_code* error) {
  if (std::chrono::steady_clock::now() >= deadline) {
    *error = make_error_code(FileErrc::kLockTimeout);
    return false;
  }
  std::this_thread::sleep_for(*pause);
  *pause = std::min(*pause * 2, std::chrono::milliseconds(100));
  return true;
}

// The lock file of a target: a hidden name beside it, never replaced.
// Streams and devices are written in order, never replaced: nothing to
// guard, no lock file.
std::optional<fs::path> LockFileOf(const WriteTarget& target) {
  if (target.kind == WriteTarget::Kind::kDescriptor ||
      target.kind == WriteTarget::Kind::kSpecial) {
    return std::nullopt;
  }
  return DirectoryOf(target.path) /
         PathFromBytes(
             HiddenSiblingName(PathBytes(target.path.filename()), ".lock"));
}

}  // namespace

#if !defined(_WIN32)

namespace {

enum class TryResult { kLocked, kBusy, kUnsupported };

TryResult TryLock(int descriptor) {
  if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return TryResult::kLocked;
  return errno == EWOULDBLOCK || errno == EINTR ? TryResult::kBusy
                                                : TryResult::kUnsupported;
}

// True while `path` still names the file open as `descriptor`: a lock
// taken on a lock file that its last holder has just removed is worthless.
bool StillNamed(int descriptor, const fs::path& path) {
  struct stat open_file;
  struct stat named;
  return fstat(descriptor, &open_file) == 0 &&
         lstat(path.c_str(), &named) == 0 && open_file.st_dev == named.st_dev &&
         open_file.st_ino == named.st_ino;
}

}  // namespace

std::optional<FileLock> FileLock::Acquire(const fs::path& path,
                                          std::error_code* error,
                                          std::chrono::milliseconds wait) {
  error->clear();
  const std::optional<WriteTarget> target = FindWriteTarget(path, error);
  if (!target) return std::nullopt;
  FileLock lock;
  const std::optional<fs::path> lock_name = LockFileOf(*target);
  if (!lock_name) return lock;
  const fs::path& lock_file = *lock_name;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(5);
  for (;;) {
    {
      // A lock file made here is registered for removal before any signal
      // can end the process.
      const HeldSignals held;
      bool own_file = true;
      // A link planted in place of the lock file is not followed.
      int descriptor = open(lock_file.c_str(),
                            O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (descriptor < 0) {
        // No lock file here: the data file itself, which is then written in
        // place and so keeps its inode.
        own_file = false;
        descriptor = open(target->path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return lock;
      }
      switch (TryLock(descriptor)) {
        case TryResult::kLocked:
          if (!own_file || StillNamed(descriptor, lock_file)) {
            lock.descriptor_ = descriptor;
            if (own_file) {
              lock.lock_file_ = lock_file;
              lock.cleanup_ = std::make_unique<SignalCleanup>(lock_file);
            }
            return lock;
          }
          close(descriptor);
          continue;  // the file was removed under us: take the new one
        case TryResult::kUnsupported:
          close(descriptor);
          if (own_file) unlink(lock_file.c_str());
          return lock;
        case TryResult::kBusy:
          close(descriptor);
          break;
      }
    }
    if (!WaitToRetry(deadline, &pause, error)) return std::nullopt;
  }
}

void FileLock::Release() {
  if (descriptor_ < 0) return;
  // Removed while still held: a waiter that opened the old file sees it
  // is gone and starts over.
  if (!lock_file_.empty()) unlink(lock_file_.c_str());
  close(descriptor_);
  descriptor_ = -1;
  cleanup_.reset();
}

#else

namespace {

enum class TryResult { kLocked, kBusy, kUnsupported };

// Windows' locks are mandatory for the bytes they cover: one byte far past
// any end is locked, so that a locked data file can still be read.
TryResult TryLock(HANDLE handle) {
  OVERLAPPED far_byte{};
  far_byte.OffsetHigh = 0x7FFFFFFF;
  if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                 1, 0, &far_byte)) {
    return TryResult::kLocked;
  }
  const DWORD error = GetLastError();
  return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING
             ? TryResult::kBusy
             : TryResult::kUnsupported;
}

constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The lock file goes with its last handle, even when its holder is
// killed: every opener asks for that. A link planted in its place is
// opened as itself, not followed.
HANDLE OpenLockFile(const fs::path& path) {
  return CreateFileW(path.c_str(), GENERIC_READ | DELETE, kShareAll, nullptr,
                     OPEN_ALWAYS,
                     FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE |
                         FILE_FLAG_OPEN_REPARSE_POINT,
                     nullptr);
}

}  // namespace

std::optional<FileLock> FileLock::Acquire(const fs::path& path,
                                          std::error_code* error,
                                          std::chrono::milliseconds wait) {
  error->clear();
  const std::optional<WriteTarget> target = FindWriteTarget(path, error);
  if (!target) return std::nullopt;
  FileLock lock;
  const std::optional<fs::path> lock_name = LockFileOf(*target);
  if (!lock_name) return lock;
  const fs::path& lock_file = *lock_name;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(5);
  for (;;) {
    HANDLE handle = OpenLockFile(lock_file);
    if (handle == INVALID_HANDLE_VALUE) {
      // A lock file whose last holder closed it is gone only when every
      // waiter's handle is closed too; until then Windows refuses to open
      // it: busy. A lock file that cannot be made: the data file itself,
      // which is then written in place.
      const DWORD open_error = GetLastError();
      const bool there =
          GetFileAttributesW(lock_file.c_str()) != INVALID_FILE_ATTRIBUTES ||
          GetLastError() == ERROR_ACCESS_DENIED;
      const bool busy = there && (open_error == ERROR_ACCESS_DENIED ||
                                  open_error == ERROR_SHARING_VIOLATION);
      if (!busy) {
        handle =
            CreateFileW(target->path.c_str(), GENERIC_READ, kShareAll, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return lock;
      }
    }
    if (handle != INVALID_HANDLE_VALUE) {
      switch (TryLock(handle)) {
        case TryResult::kLocked:
          lock.descriptor_ = DescriptorOfHandle(handle, _O_RDONLY);
          return lock;
        case TryResult::kUnsupported:
          CloseHandle(handle);
          return lock;
        case TryResult::kBusy:
          CloseHandle(handle);
          break;
      }
    }
    if (!WaitToRetry(deadline, &pause, error)) return std::nullopt;
  }
}

// Closing the handle unlocks, and removes the lock file once no one else
// has it open.
void FileLock::Release() {
  if (descriptor_ < 0) return;
  CloseDescriptor(descriptor_);
  descriptor_ = -1;
}

#endif

FileLock::FileLock(FileLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      lock_file_(std::move(other.lock_file_)),
      cleanup_(std::move(other.cleanup_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    descriptor_ = std::exchange(other.descriptor_, -1);
    lock_file_ = std::move(other.lock_file_);
    cleanup_ = std::move(other.cleanup_);
  }
  return *this;
}

FileLock::~FileLock() { Release(); }

}  // namespace trulvex
