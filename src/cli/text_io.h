#ifndef TRULVEX_CLI_TEXT_IO_H_
#define TRULVEX_CLI_TEXT_IO_H_

#include <cstddef>
#include <cstdio>
#include <string>

#include "cli/cli_options.h"
#include "engine/cp1251.h"

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

// A command-line argument (the terminal's UTF-8) as code page 1251; bytes
// that are not UTF-8 are taken as code page 1251 already.
std::string ArgumentToCp1251(const std::string& argument);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_TEXT_IO_H_
