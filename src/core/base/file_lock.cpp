#include "core/base/file_lock.h"

#include <cerrno>
#include <thread>
#include <utility>

#include "core/base/file_error.h"
#include "core/base/write_target.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

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
  // Streams and devices are written in order, never replaced: nothing to
  // guard.
  if (target->kind == WriteTarget::Kind::kDescriptor ||
      target->kind == WriteTarget::Kind::kSpecial) {
    return lock;
  }
  const fs::path directory = target->path.has_parent_path()
                                 ? target->path.parent_path()
                                 : fs::path(".");
  const fs::path lock_file =
      directory / HiddenSiblingName(target->path.filename().string(), ".lock");
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
    if (std::chrono::steady_clock::now() >= deadline) {
      *error = make_error_code(FileErrc::kLockTimeout);
      return std::nullopt;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(100));
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

std::optional<FileLock> FileLock::Acquire(const fs::path& path,
                                          std::error_code* error,
                                          std::chrono::milliseconds) {
  error->clear();
  if (!FindWriteTarget(path, error)) return std::nullopt;
  return FileLock();
}

void FileLock::Release() {}

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
