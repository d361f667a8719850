#ifndef TRULVEX_CORE_BASE_ATOMIC_FILE_H_
#define TRULVEX_CORE_BASE_ATOMIC_FILE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "core/base/signal_cleanup.h"

namespace trulvex {

// True when the file exists and may not be written: the caller lacks the
// right, as the shell would find, or its owner's write bit is off (a file
// the user made read-only is never replaced, even by root).
bool IsReadOnlyFile(const std::filesystem::path& path);

struct WriteOptions {
  // A FIFO without a reader: wait for one, as shell redirection does, or
  // fail at once (a window must never freeze).
  bool wait_for_reader = true;
};

// Writes a file so that a failure never leaves it half written where that
// can be helped. The path is followed like shell redirection follows it
// (see FindWriteTarget), and then:
//  - a regular file, or a new one, is replaced in one step: the content
//    goes to a hidden temporary file beside it, created no more readable
//    than the file, which takes the file's mode, owner and group, is
//    flushed to disk and renamed over it; the directory is flushed after.
//    Until then, and after any failure, the old file stays whole.
//  - a regular file that cannot be replaced without losing something is
//    written in place: one with several names (hard links), one whose
//    directory the caller may not write, one whose owner or group the
//    caller could not give a new file, and a mount point. The content is
//    gathered aside first and copied over the file only at Commit, so a
//    failure before that leaves the file whole; a failure during the copy
//    does not (such a write is not atomic).
//  - a standard stream or open descriptor (/dev/stdout, /dev/fd/N) and any
//    device, FIFO or socket are written directly, in order, never
//    replaced.
// On Windows the temporary file is flushed and put in the file's place in
// one step by the system's replace call, which gives it the old file's
// security, attributes and creation time (a new name is moved there with
// write-through), waiting a few seconds for a program that holds the file
// open; hard links and a folder the caller may not write mean in place;
// devices (NUL, CON) and pipes are written directly.
class AtomicFileWriter {
 public:
  enum class Mode { kReplace, kInPlace, kDirect };

  // Starts writing `target` (which need not exist). Null, with `error`
  // saying why, when the target may not be written (read-only, a
  // directory, a refused link, a loop) or nothing can be created.
  static std::unique_ptr<AtomicFileWriter> Begin(
      const std::filesystem::path& target, std::error_code* error = nullptr,
      const WriteOptions& options = {});

  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  bool Write(std::string_view bytes);
  // The size of what the target holds now (0 for a new file or a stream).
  std::uint64_t existing_size() const { return existing_size_; }
  // Copies `length` bytes of the target's present content from `offset`.
  bool CopyExisting(std::uint64_t offset, std::uint64_t length);
  // Puts the new content in place.
  bool Commit();

  Mode mode() const { return mode_; }
  // Why the first failed step failed; no error while all went well.
  std::error_code error() const { return error_; }

 private:
  AtomicFileWriter() = default;
  bool Fail(std::error_code error);
  bool Fail();  // with the system's last error
  bool CommitReplace();
  bool CommitInPlace();

  Mode mode_ = Mode::kReplace;
  std::filesystem::path target_;
  std::filesystem::path temp_;  // kReplace only
  std::FILE* file_ = nullptr;   // what Write fills
  int existing_ = -1;           // the target's present content, for reading
  int in_place_ = -1;           // kInPlace: the target, open for writing
  std::uint64_t existing_size_ = 0;
  // The metadata a replacement carries over; `keep_` when the target
  // existed.
  bool keep_ = false;
  std::uint32_t mode_bits_ = 0;  // POSIX: the mode; Windows: the attributes
  std::unique_ptr<SignalCleanup> cleanup_;
  bool failed_ = false;
  bool committed_ = false;
  std::error_code error_;
};

}  // namespace trulvex

#endif  // TRULVEX_CORE_BASE_ATOMIC_FILE_H_
