// The writer on POSIX systems: a temporary file beside the target, given
// the target's mode, owner and group, flushed and renamed over it.
#include "core/base/atomic_file.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "core/base/descriptor_io.h"
#include "core/base/write_target.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

// A hidden name beside `target` that no one else uses, created with
// `mode` so that it is never more readable than the file it becomes.
int CreateTemp(const fs::path& target, unsigned mode, fs::path* temp) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix = ".tmp";
    for (int i = 0; i < 6; ++i) suffix += kLetters[random() % 36];
    *temp = DirectoryOf(target) /
            HiddenSiblingName(target.filename().string(), suffix);
    const int descriptor =
        open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

// Makes a rename or a new name durable; file systems that cannot flush a
// directory say so with EINVAL, which changes nothing.
void SyncDirectory(const fs::path& directory) {
  const int descriptor =
      open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

bool MayWrite(const fs::path& path, int what) {
  return faccessat(AT_FDCWD, path.c_str(), what, AT_EACCESS) == 0;
}

}  // namespace

bool IsReadOnlyFile(const fs::path& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  return (info.st_mode & S_IWUSR) == 0 || !MayWrite(path, W_OK);
}

std::unique_ptr<AtomicFileWriter> AtomicFileWriter::Begin(
    const fs::path& path, std::error_code* error, const WriteOptions& options) {
  std::error_code ignored;
  std::error_code& reason = error != nullptr ? *error : ignored;
  reason.clear();
  const std::optional<WriteTarget> target = FindWriteTarget(path, &reason);
  if (!target) return nullptr;
  std::unique_ptr<AtomicFileWriter> writer(new AtomicFileWriter);
  writer->target_ = target->path;
  const auto fail = [&reason](std::error_code why) {
    reason = why;
    return nullptr;
  };

  if (target->kind == WriteTarget::Kind::kDescriptor ||
      target->kind == WriteTarget::Kind::kSpecial) {
    writer->mode_ = Mode::kDirect;
    int descriptor = -1;
    if (target->kind == WriteTarget::Kind::kDescriptor) {
      // The descriptor itself, with its offset and append mode: reopening
      // the file it leads to would truncate what came before.
      descriptor = fcntl(target->descriptor, F_DUPFD_CLOEXEC, 0);
    } else {
      descriptor = open(
          target->path.c_str(),
          O_WRONLY | O_CLOEXEC | (options.wait_for_reader ? 0 : O_NONBLOCK));
      if (descriptor >= 0 && !options.wait_for_reader) {
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
      }
    }
    if (descriptor < 0) return fail(LastIoError());
    writer->file_ = fdopen(descriptor, "wb");
    if (writer->file_ == nullptr) {
      close(descriptor);
      return fail(LastIoError());
    }
    return writer;
  }

  const fs::path directory = DirectoryOf(target->path);
  bool in_place = false;
  unsigned temp_mode = 0666;  // a new file: what the user's umask allows
  struct stat old {};
  if (target->kind == WriteTarget::Kind::kRegular) {
    if (stat(target->path.c_str(), &old) != 0) return fail(LastIoError());
    if (IsReadOnlyFile(target->path)) {
      return fail(std::make_error_code(std::errc::permission_denied));
    }
    writer->keep_ = true;
    writer->mode_bits_ = old.st_mode & 07777;
    writer->existing_size_ = static_cast<std::uint64_t>(old.st_size);
    writer->existing_ = open(target->path.c_str(), O_RDONLY | O_CLOEXEC);
    temp_mode = old.st_mode & 0600;
    struct stat dir {};
    in_place = old.st_nlink > 1 || !MayWrite(directory, W_OK | X_OK) ||
               stat(directory.c_str(), &dir) != 0 || dir.st_dev != old.st_dev;
  }

  if (!in_place) {
    int descriptor;
    {
      const HeldSignals held;
      descriptor = CreateTemp(target->path, temp_mode, &writer->temp_);
      if (descriptor >= 0) {
        writer->cleanup_ = std::make_unique<SignalCleanup>(writer->temp_);
      }
    }
    if (descriptor < 0) return fail(LastIoError());
    // A file the caller could not give the old owner and group is written
    // in place instead, so that it keeps them.
    if (writer->keep_ && (old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(descriptor, old.st_uid, old.st_gid) != 0) {
      close(descriptor);
      unlink(writer->temp_.c_str());
      writer->temp_.clear();
      writer->cleanup_.reset();
      in_place = true;
    } else {
      writer->file_ = fdopen(descriptor, "wb");
      if (writer->file_ == nullptr) {
        close(descriptor);
        return fail(LastIoError());
      }
      return writer;
    }
  }

  writer->mode_ = Mode::kInPlace;
  writer->in_place_ = open(target->path.c_str(), O_WRONLY | O_CLOEXEC);
  if (writer->in_place_ < 0) return fail(LastIoError());
  writer->file_ = std::tmpfile();
  if (writer->file_ == nullptr) return fail(LastIoError());
  return writer;
}

bool AtomicFileWriter::CommitReplace() {
  const int descriptor = DescriptorOf(file_);
  // On disk before the name moves, so that a crash never finds the new
  // name over an empty file.
  if (fsync(descriptor) != 0) return Fail();
  // After the owner: changing it may clear set-id bits.
  if (keep_) fchmod(descriptor, static_cast<mode_t>(mode_bits_));
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!closed) return Fail();
  if (rename(temp_.c_str(), target_.c_str()) != 0) {
    // A mount point (a bind-mounted single file) cannot be replaced: its
    // content is copied over it, as shell redirection would write it.
    if (errno != EBUSY && errno != EXDEV) return Fail();
    const int from = open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    std::uint64_t size = 0;
    const bool copied = from >= 0 && to >= 0 && CopyAll(from, to, &size) &&
                        TruncateTo(to, size) && SyncToDisk(to);
    const std::error_code why = LastIoError();
    if (from >= 0) close(from);
    if (to >= 0) close(to);
    if (!copied) return Fail(why);
    unlink(temp_.c_str());
  }
  committed_ = true;
  cleanup_.reset();
  SyncDirectory(DirectoryOf(target_));
  return true;
}

}  // namespace trulvex

#endif  // !_WIN32
