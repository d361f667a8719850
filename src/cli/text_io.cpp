#include "cli/text_io.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace trulvex::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Sizes a buffer for a large file. On Linux the buffer is backed by huge
// pages where the kernel allows it: filling 64 MB of small pages costs more
// than converting them.
void SizeForFile(std::string* bytes, std::size_t size) {
#if defined(__linux__)
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size >= 2 * kHugePage) {
    bytes->reserve(size);
    const auto start = reinterpret_cast<std::uintptr_t>(bytes->data());
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + size) & ~(kHugePage - 1);
    if (end > first) {
      madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
  }
#endif
  bytes->resize(size);
}

bool ReadAll(std::FILE* file, std::string* bytes) {
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  for (;;) {
    const std::size_t start = bytes->size();
    bytes->resize(start + kChunk);
    const std::size_t got = std::fread(bytes->data() + start, 1, kChunk, file);
    bytes->resize(start + got);
    if (got < kChunk) return std::ferror(file) == 0;
  }
}

}  // namespace

bool ReadInput(const std::string& path, std::FILE* stdin_file,
               std::string* bytes) {
  bytes->clear();
  if (path.empty()) return ReadAll(stdin_file, bytes);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  const auto size = std::filesystem::file_size(path, error);
  if (!error && std::filesystem::is_regular_file(path, error)) {
    // Read a plain file in one piece of its own size: no regrowth, no copy.
    SizeForFile(bytes, static_cast<std::size_t>(size));
    const std::size_t got =
        std::fread(bytes->data(), 1, bytes->size(), file.get());
    bytes->resize(got);
    if (got < size) return std::ferror(file.get()) == 0;
    // Only a file that grew meanwhile has more; don't regrow the buffer
    // for the end-of-file check.
    const int next = std::fgetc(file.get());
    if (next == EOF) return std::ferror(file.get()) == 0;
    std::ungetc(next, file.get());
  }
  return ReadAll(file.get(), bytes);
}

DecodedText DecodeInput(std::string bytes, InputEncoding encoding) {
  DecodedText text;
  text.encoding = encoding == InputEncoding::kUtf8     ? TextEncoding::kUtf8
                  : encoding == InputEncoding::kCp1251 ? TextEncoding::kCp1251
                                                       : DetectEncoding(bytes);
  if (text.encoding == TextEncoding::kCp1251) {
    text.cp1251 = std::move(bytes);
    return text;
  }
  if (bytes.starts_with(kUtf8Bom)) bytes.erase(0, kUtf8Bom.size());
  text.cp1251 = Utf8ToCp1251(std::move(bytes), &text.unmappable);
  return text;
}

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;

}  // namespace

FileChunks::FileChunks(std::string path, InputEncoding encoding)
    : path_(std::move(path)), requested_(encoding) {}

FileChunks::~FileChunks() {
  if (file_ != nullptr) std::fclose(file_);
}

bool FileChunks::Open() {
  std::error_code error;
  if (std::filesystem::is_directory(path_, error)) return false;
  file_ = std::fopen(path_.c_str(), "rb");
  if (file_ == nullptr) return false;
  if (requested_ != InputEncoding::kAuto) {
    encoding_ = requested_ == InputEncoding::kUtf8 ? TextEncoding::kUtf8
                                                   : TextEncoding::kCp1251;
    return true;
  }
  // Most code page 1251 texts give themselves away in the first piece.
  EncodingDetector detector;
  raw_.resize(kPiece);
  std::size_t got;
  while ((got = std::fread(raw_.data(), 1, kPiece, file_)) > 0) {
    if (!detector.Feed({raw_.data(), got})) break;
  }
  if (std::ferror(file_)) return false;
  encoding_ = detector.Finish();
  return true;
}

bool FileChunks::Rewind() {
  if (file_ == nullptr && !Open()) {
    failed_ = true;
    return false;
  }
  std::rewind(file_);
  at_end_ = false;
  decoder_ = Utf8Decoder();
  if (encoding_ == TextEncoding::kUtf8) {
    char head[3];
    const std::size_t got = std::fread(head, 1, sizeof(head), file_);
    if (std::string_view(head, got) != kUtf8Bom) std::rewind(file_);
  }
  return true;
}

std::string_view FileChunks::Next() {
  raw_.resize(kPiece);
  while (!at_end_ && file_ != nullptr) {
    const std::size_t got = std::fread(raw_.data(), 1, kPiece, file_);
    if (got < kPiece) {
      at_end_ = true;
      failed_ = std::ferror(file_) != 0;
      if (failed_) return {};
    }
    if (encoding_ == TextEncoding::kCp1251) {
      if (got > 0) return {raw_.data(), got};
      continue;
    }
    decoded_.clear();
    decoder_.Decode({raw_.data(), got}, &decoded_);
    if (at_end_) decoder_.Finish(&decoded_);
    // A piece may end in the middle of a character and give nothing yet.
    if (!decoded_.empty()) return decoded_;
  }
  return {};
}

std::string ArgumentToCp1251(const std::string& argument) {
  if (!IsValidUtf8(argument)) return argument;
  return Utf8ToCp1251(argument);
}

}  // namespace trulvex::cli
