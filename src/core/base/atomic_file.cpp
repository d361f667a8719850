// The writer's steps that are the same everywhere; Begin and the
// replacement itself are in atomic_file_posix.cpp and
// atomic_file_windows.cpp.
#include "core/base/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/base/descriptor_io.h"

namespace trulvex {

namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (existing_ >= 0) CloseDescriptor(existing_);
  if (in_place_ >= 0) CloseDescriptor(in_place_);
  if (!temp_.empty() && !committed_) {
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);
  }
}

bool AtomicFileWriter::Fail(std::error_code error) {
  if (!failed_) error_ = error;
  failed_ = true;
  return false;
}

bool AtomicFileWriter::Fail() { return Fail(LastIoError()); }

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
    const std::int64_t got = ReadAt(existing_, buffer.data(), want, offset);
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

bool AtomicFileWriter::CommitInPlace() {
  std::uint64_t size = 0;
  const bool copied = CopyAll(DescriptorOf(file_), in_place_, &size) &&
                      TruncateTo(in_place_, size) && SyncToDisk(in_place_);
  if (!copied) return Fail();
  std::fclose(file_);
  file_ = nullptr;
  CloseDescriptor(in_place_);
  in_place_ = -1;
  committed_ = true;
  return true;
}

}  // namespace trulvex
