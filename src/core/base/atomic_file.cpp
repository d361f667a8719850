#include "core/base/atomic_file.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "core/base/error_reason.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

bool IsReadOnlyFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) return false;
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

fs::path ResolveTarget(const fs::path& path) {
  std::error_code error;
  if (fs::is_symlink(fs::symlink_status(path, error))) {
    const fs::path resolved = fs::weakly_canonical(path, error);
    if (!error) return resolved;
  }
  return path;
}

std::unique_ptr<AtomicFileWriter> AtomicFileWriter::Begin(
    const fs::path& target, std::error_code* error) {
  std::error_code ignored;
  std::error_code& reason = error != nullptr ? *error : ignored;
  reason.clear();
  std::error_code status_error;
  const fs::file_status status = fs::status(target, status_error);
  if (fs::is_directory(status)) {
    reason = std::make_error_code(std::errc::is_a_directory);
    return nullptr;
  }
  if (IsReadOnlyFile(target)) {
    reason = std::make_error_code(std::errc::permission_denied);
    return nullptr;
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    std::FILE* file = std::fopen(target.string().c_str(), "wb");
    if (file == nullptr) {
      reason = LastSystemError();
      return nullptr;
    }
    return std::unique_ptr<AtomicFileWriter>(
        new AtomicFileWriter(target, fs::path(), file));
  }
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path directory = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path temp =
        directory / (target.filename().string() + ".tmp" +
                     std::to_string(random() % 1000000000ULL));
    // "x": fails instead of opening a file that is already there.
    if (std::FILE* file = std::fopen(temp.string().c_str(), "wbx")) {
      return std::unique_ptr<AtomicFileWriter>(
          new AtomicFileWriter(target, temp, file));
    }
    reason = LastSystemError();
    if (errno != EEXIST) break;
  }
  return nullptr;
}

AtomicFileWriter::AtomicFileWriter(fs::path target, fs::path temp,
                                   std::FILE* file)
    : target_(std::move(target)), temp_(std::move(temp)), file_(file) {}

AtomicFileWriter::~AtomicFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (!direct() && !committed_) {
    std::error_code ignored;
    fs::remove(temp_, ignored);
  }
}

bool AtomicFileWriter::Fail(std::error_code error) {
  if (!failed_)
    error_ = error ? error : std::make_error_code(std::errc::io_error);
  failed_ = true;
  return false;
}

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (failed_ || file_ == nullptr) return false;
  if (!bytes.empty() &&
      std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    Fail(LastSystemError());
  }
  return !failed_;
}

bool AtomicFileWriter::CopyFrom(std::FILE* source, std::uint64_t offset,
                                std::uint64_t length) {
  if (length == 0) return !failed_;
  if (!SeekTo(source, offset)) return Fail(LastSystemError());
  std::vector<char> buffer(std::size_t{1} << 20);
  while (length > 0 && !failed_) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, buffer.size()));
    const std::size_t got = std::fread(buffer.data(), 1, want, source);
    if (got != want) {
      return Fail(std::ferror(source) != 0
                      ? LastSystemError()
                      : std::make_error_code(std::errc::io_error));
    }
    Write({buffer.data(), got});
    length -= got;
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  if (!flushed) Fail(LastSystemError());
  const bool closed = std::fclose(file_) == 0;
  if (!closed) Fail(LastSystemError());
  file_ = nullptr;
  if (failed_) return false;
  if (direct()) return true;
  std::error_code error;
  const fs::file_status old_status = fs::status(target_, error);
  if (!error && fs::exists(old_status)) {
    fs::permissions(temp_, old_status.permissions(), error);
  }
  fs::rename(temp_, target_, error);
  if (error) return Fail(error);
  committed_ = true;
  return true;
}

}  // namespace trulvex
