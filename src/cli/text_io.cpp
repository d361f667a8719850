#include "cli/text_io.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace trulvex::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

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
    bytes->resize(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(bytes->data(), 1, bytes->size(),
                                       file.get());
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

std::string ArgumentToCp1251(const std::string& argument) {
  if (!IsValidUtf8(argument)) return argument;
  return Utf8ToCp1251(argument);
}

}  // namespace trulvex::cli
