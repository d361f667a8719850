#include "core/base/byte_source.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/base/file_position.h"
#include "core/base/open_file.h"
#include "core/base/stream_status.h"

namespace trulvex {
namespace {

std::error_code LastError() {
  return {errno != 0 ? errno : EIO, std::generic_category()};
}

// Bytes read from a pipe ahead of the reading, kept in order until they
// are read: in memory up to kMemory, after that in an unnamed temporary
// file (or in memory after all when no such file can be made).
class Spill {
 public:
  Spill() = default;
  Spill(const Spill&) = delete;
  Spill& operator=(const Spill&) = delete;
  ~Spill() {
    if (file_ != nullptr) std::fclose(file_);
  }

  bool empty() const {
    return memory_read_ == memory_.size() && file_read_ == file_write_;
  }

  bool Append(std::string_view bytes, std::error_code* error) {
    if (file_read_ == file_write_) {
      // What was read goes, so that looks ahead between reads never pile up.
      if (memory_read_ >= ByteSource::kChunk ||
          memory_read_ == memory_.size()) {
        memory_.erase(0, memory_read_);
        memory_read_ = 0;
      }
      if (memory_.size() - memory_read_ + bytes.size() <= kMemory ||
          !OpenFile()) {
        memory_.append(bytes);
        return true;
      }
    }
    if (!SeekTo(file_, file_write_) ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      *error = LastError();
      return false;
    }
    file_write_ += bytes.size();
    return true;
  }

  // Moves up to `size` bytes from the front into `out`.
  bool Take(std::size_t size, std::string* out, std::error_code* error) {
    out->clear();
    const std::size_t from_memory =
        std::min(size, memory_.size() - memory_read_);
    out->append(memory_, memory_read_, from_memory);
    memory_read_ += from_memory;
    const auto from_file = static_cast<std::size_t>(
        std::min<std::uint64_t>(size - from_memory, file_write_ - file_read_));
    if (from_file > 0) {
      out->resize(from_memory + from_file);
      if (!ReadBack(file_read_, out->data() + from_memory, from_file, error)) {
        return false;
      }
      file_read_ += from_file;
    }
    if (file_read_ == file_write_) file_read_ = file_write_ = 0;
    return true;
  }

  // Shows `look` the kept bytes in order; false when it said stop or they
  // could not be read back.
  bool Visit(const LookAheadFn& look, std::uint64_t* offset,
             std::string* buffer, std::error_code* error) {
    if (memory_read_ < memory_.size()) {
      const std::string_view kept =
          std::string_view(memory_).substr(memory_read_);
      const bool more = look(kept, *offset);
      *offset += kept.size();
      if (!more) return false;
    }
    for (std::uint64_t at = file_read_; at < file_write_;) {
      const auto size = static_cast<std::size_t>(
          std::min<std::uint64_t>(ByteSource::kChunk, file_write_ - at));
      buffer->resize(size);
      if (!ReadBack(at, buffer->data(), size, error)) return false;
      at += size;
      const bool more = look(*buffer, *offset);
      *offset += size;
      if (!more) return false;
    }
    return true;
  }

 private:
  static constexpr std::size_t kMemory = std::size_t{4} << 20;

  bool OpenFile() {
    if (file_ == nullptr) file_ = OpenTemporaryFile();
    return file_ != nullptr;
  }

  bool ReadBack(std::uint64_t at, char* out, std::size_t size,
                std::error_code* error) {
    if (!SeekTo(file_, at) || std::fread(out, 1, size, file_) != size) {
      *error = LastError();
      return false;
    }
    return true;
  }

  std::string memory_;
  std::size_t memory_read_ = 0;
  std::FILE* file_ = nullptr;
  std::uint64_t file_read_ = 0;
  std::uint64_t file_write_ = 0;
};

class FileSource : public ByteSource {
 public:
  FileSource(std::FILE* file, bool owned, const StreamStatus& status)
      : file_(file), owned_(owned) {
    if (const std::optional<std::uint64_t> bytes = status.regular_size) {
      const std::optional<std::uint64_t> start = TellOf(file);
      if (start && *bytes >= *start) {
        start_ = *start;
        size_ = *bytes - *start;
      }
    }
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() override {
    if (owned_) std::fclose(file_);
  }

  std::string_view Next() override {
    if (error_) return {};
    if (!spill_.empty()) {
      if (!spill_.Take(kChunk, &chunk_, &error_)) return {};
    } else {
      chunk_.resize(kChunk);
      chunk_.resize(Read(chunk_.data(), kChunk));
    }
    position_ += chunk_.size();
    return chunk_;
  }

  void LookAhead(const LookAheadFn& look) override {
    if (error_) return;
    std::uint64_t offset = position_;
    if (size_) {
      // A file is read there and back.
      for (bool more = true; more;) {
        ahead_.resize(kChunk);
        ahead_.resize(Read(ahead_.data(), kChunk));
        if (ahead_.empty()) break;
        more = look(ahead_, offset);
        offset += ahead_.size();
      }
      if (!SeekTo(file_, start_ + position_) && !error_) error_ = LastError();
      return;
    }
    if (!spill_.Visit(look, &offset, &ahead_, &error_)) return;
    while (!at_end_) {
      ahead_.resize(kChunk);
      ahead_.resize(Read(ahead_.data(), kChunk));
      if (ahead_.empty() || !spill_.Append(ahead_, &error_)) return;
      const bool more = look(ahead_, offset);
      offset += ahead_.size();
      if (!more) return;
    }
  }

  std::optional<std::uint64_t> size() const override { return size_; }

  bool Rewind() override {
    if (!size_ || error_) return false;
    if (!SeekTo(file_, start_)) {
      error_ = LastError();
      return false;
    }
    position_ = 0;
    return true;
  }

 private:
  std::size_t Read(char* out, std::size_t size) {
    errno = 0;
    const std::size_t got = std::fread(out, 1, size, file_);
    if (got < size) {
      if (std::ferror(file_)) {
        error_ = LastError();
        return 0;
      }
      // A regular file may be read again after a look ahead; a pipe that
      // ended stays ended.
      if (!size_) at_end_ = true;
    }
    return got;
  }

  std::FILE* file_;
  bool owned_;
  std::uint64_t start_ = 0;
  std::optional<std::uint64_t> size_;  // only a regular file has one
  bool at_end_ = false;
  std::string chunk_;
  std::string ahead_;
  Spill spill_;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(std::string bytes, std::size_t chunk)
      : bytes_(std::move(bytes)), chunk_(chunk == 0 ? kChunk : chunk) {}

  std::string_view Next() override {
    const std::string_view next =
        std::string_view(bytes_).substr(position_, chunk_);
    position_ += next.size();
    return next;
  }

  void LookAhead(const LookAheadFn& look) override {
    for (std::uint64_t at = position_; at < bytes_.size(); at += chunk_) {
      if (!look(std::string_view(bytes_).substr(at, chunk_), at)) return;
    }
  }

  std::optional<std::uint64_t> size() const override { return bytes_.size(); }

  bool Rewind() override {
    position_ = 0;
    return true;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
};

}  // namespace

std::unique_ptr<ByteSource> ByteSource::Open(const std::filesystem::path& path,
                                             std::error_code* error) {
  errno = 0;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) {
    *error = LastError();
    return nullptr;
  }
  const std::optional<StreamStatus> status = StatusOf(file);
  if (!status || status->directory) {
    *error =
        status ? std::make_error_code(std::errc::is_a_directory) : LastError();
    std::fclose(file);
    return nullptr;
  }
  // Whole chunks go straight into our buffers.
  std::setvbuf(file, nullptr, _IONBF, 0);
  return std::make_unique<FileSource>(file, true, *status);
}

std::unique_ptr<ByteSource> ByteSource::FromStream(std::FILE* stream) {
  return std::make_unique<FileSource>(
      stream, false, StatusOf(stream).value_or(StreamStatus{}));
}

std::unique_ptr<ByteSource> ByteSource::FromBytes(std::string bytes,
                                                  std::size_t chunk) {
  return std::make_unique<MemorySource>(std::move(bytes), chunk);
}

}  // namespace trulvex
