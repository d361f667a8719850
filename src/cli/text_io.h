#ifndef TRULVEX_CLI_TEXT_IO_H_
#define TRULVEX_CLI_TEXT_IO_H_

#include <cstddef>
#include <cstdio>
#include <string>

#include "cli/cli_options.h"
#include "core/base/cp1251.h"
#include "core/engine/bin_conversion.h"

namespace trulvex::cli {

// Reads a whole file, or all of `stdin_file` when `path` is empty.
bool ReadInput(const std::string& path, std::FILE* stdin_file,
               std::string* bytes);

struct DecodedText {
  std::string cp1251;
  TextEncoding encoding = TextEncoding::kCp1251;
  // Characters the code page cannot hold; the engine sees them as
  // undisplayable.
  std::size_t unmappable = 0;
};

// The input as code page 1251, a UTF-8 byte-order mark dropped.
DecodedText DecodeInput(std::string bytes, InputEncoding encoding);

// A text file read piece by piece as code page 1251, so that a large file
// is converted without being held in memory.
class FileChunks : public TextChunks {
 public:
  // `encoding` kAuto looks at the file first.
  FileChunks(std::string path, InputEncoding encoding);
  ~FileChunks() override;

  // False when the file cannot be opened.
  bool Rewind() override;
  std::string_view Next() override;
  bool failed() const override { return failed_; }
  // Characters of the last full reading that code page 1251 cannot hold.
  std::size_t unmappable() const { return decoder_.unmappable(); }

 private:
  bool Open();

  std::string path_;
  InputEncoding requested_;
  TextEncoding encoding_ = TextEncoding::kCp1251;
  std::FILE* file_ = nullptr;
  std::string raw_;
  std::string decoded_;
  Utf8Decoder decoder_;
  bool at_end_ = false;
  bool failed_ = false;
};

// A command-line argument (the terminal's UTF-8) as code page 1251; bytes
// that are not UTF-8 are taken as code page 1251 already.
std::string ArgumentToCp1251(const std::string& argument);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_TEXT_IO_H_
