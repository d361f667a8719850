#include "core/base/atomic_file.h"

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "core/base/write_target.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trulvex {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

std::error_code LastError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

fs::path DirectoryOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

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

// Copies everything `from` holds to the start of `to`; false on an error.
bool CopyWhole(int from, int to, std::uint64_t* size) {
  std::vector<char> buffer(kCopyBuffer);
  *size = 0;
  for (;;) {
    const ssize_t got =
        pread(from, buffer.data(), buffer.size(), static_cast<off_t>(*size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put =
          pwrite(to, buffer.data() + done, static_cast<std::size_t>(got - done),
                 static_cast<off_t>(*size) + done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
    *size += static_cast<std::uint64_t>(got);
  }
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
    if (descriptor < 0) return fail(LastError());
    writer->file_ = fdopen(descriptor, "wb");
    if (writer->file_ == nullptr) {
      close(descriptor);
      return fail(LastError());
    }
    return writer;
  }

  const fs::path directory = DirectoryOf(target->path);
  bool in_place = false;
  unsigned temp_mode = 0666;  // a new file: what the user's umask allows
  struct stat old {};
  if (target->kind == WriteTarget::Kind::kRegular) {
    if (stat(target->path.c_str(), &old) != 0) return fail(LastError());
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
    if (descriptor < 0) return fail(LastError());
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
        return fail(LastError());
      }
      return writer;
    }
  }

  writer->mode_ = Mode::kInPlace;
  writer->in_place_ = open(target->path.c_str(), O_WRONLY | O_CLOEXEC);
  if (writer->in_place_ < 0) return fail(LastError());
  writer->file_ = std::tmpfile();
  if (writer->file_ == nullptr) return fail(LastError());
  return writer;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (existing_ >= 0) close(existing_);
  if (in_place_ >= 0) close(in_place_);
  if (!temp_.empty() && !committed_) unlink(temp_.c_str());
}

bool AtomicFileWriter::Fail(std::error_code error) {
  if (!failed_) error_ = error;
  failed_ = true;
  return false;
}

bool AtomicFileWriter::Fail() { return Fail(LastError()); }

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (failed_ || file_ == nullptr) return false;
  errno = 0;
  if (!bytes.empty() &&
      std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    return Fail();
  }
  return true;
}

bool AtomicFileWriter::CopyExisting(std::uint64_t offset,
                                    std::uint64_t length) {
  if (length == 0) return !failed_;
  if (existing_ < 0) {
    return Fail(std::make_error_code(std::errc::permission_denied));
  }
  std::vector<char> buffer(
      static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBuffer)));
  while (length > 0 && !failed_) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, buffer.size()));
    const ssize_t got =
        pread(existing_, buffer.data(), want, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Fail();
    // The file shrank under us: its old content is no longer there.
    if (got == 0) return Fail(std::make_error_code(std::errc::io_error));
    if (!Write({buffer.data(), static_cast<std::size_t>(got)})) return false;
    offset += static_cast<std::uint64_t>(got);
    length -= static_cast<std::uint64_t>(got);
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (file_ == nullptr || committed_) return false;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail();
  if (failed_) return false;
  switch (mode_) {
    case Mode::kDirect: {
      const bool closed = std::fclose(file_) == 0;
      file_ = nullptr;
      if (!closed) return Fail();
      committed_ = true;
      return true;
    }
    case Mode::kReplace:
      return CommitReplace();
    case Mode::kInPlace:
      return CommitInPlace();
  }
  return false;
}

bool AtomicFileWriter::CommitReplace() {
  const int descriptor = fileno(file_);
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
    const bool copied = from >= 0 && to >= 0 && CopyWhole(from, to, &size) &&
                        ftruncate(to, static_cast<off_t>(size)) == 0 &&
                        fsync(to) == 0;
    const std::error_code why = LastError();
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

bool AtomicFileWriter::CommitInPlace() {
  std::uint64_t size = 0;
  const bool copied = CopyWhole(fileno(file_), in_place_, &size) &&
                      ftruncate(in_place_, static_cast<off_t>(size)) == 0 &&
                      fsync(in_place_) == 0;
  if (!copied) return Fail();
  std::fclose(file_);
  file_ = nullptr;
  close(in_place_);
  in_place_ = -1;
  committed_ = true;
  return true;
}

}  // namespace trulvex
