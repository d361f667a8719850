#include "core/base/atomic_file.h"

#include <random>
#include <string>
#include <system_error>
#include <vector>

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
    const fs::path& target) {
  std::error_code error;
  const fs::file_status status = fs::status(target, error);
  if (fs::is_directory(status) || IsReadOnlyFile(target)) return nullptr;
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    std::FILE* file = std::fopen(target.string().c_str(), "wb");
    if (file == nullptr) return nullptr;
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

bool AtomicFileWriter::Write(std::string_view bytes) {
  if (failed_ || file_ == nullptr) return false;
  if (!bytes.empty() &&
      std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    failed_ = true;
  }
  return !failed_;
}

bool AtomicFileWriter::CopyFrom(std::FILE* source, std::uint64_t offset,
                                std::uint64_t length) {
  if (length == 0) return !failed_;
  if (!SeekTo(source, offset)) return failed_ = true, false;
  std::vector<char> buffer(std::size_t{1} << 20);
  while (length > 0 && !failed_) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, buffer.size()));
    const std::size_t got = std::fread(buffer.data(), 1, want, source);
    if (got != want) return failed_ = true, false;
    Write({buffer.data(), got});
    length -= got;
  }
  return !failed_;
}

bool AtomicFileWriter::Commit() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && std::ferror(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (failed_ || !flushed || !closed) return false;
  if (direct()) return true;
  std::error_code error;
  const fs::file_status old_status = fs::status(target_, error);
  if (!error && fs::exists(old_status)) {
    fs::permissions(temp_, old_status.permissions(), error);
  }
  fs::rename(temp_, target_, error);
  if (error) return false;
  committed_ = true;
  return true;
}

}  // namespace trulvex
