#ifndef TRULVEX_CLI_TEXT_IO_H_
#define TRULVEX_CLI_TEXT_IO_H_

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "cli/cli_options.h"
#include "core/base/byte_source.h"
#include "core/base/cp1251.h"
#include "core/base/decoding_text_reader.h"

namespace trulvex::cli {

// The text to convert, read chunk by chunk as code page 1251.
struct InputText {
  std::unique_ptr<ByteSource> source;
  std::unique_ptr<DecodingTextReader> reader;
};

// Opens the file `path`, or standard input when it is empty, in the
// encoding asked for. A file that is also `output` is read whole first, so
// that writing the output cannot change what is still to be read.
std::optional<InputText> OpenInput(const std::filesystem::path& path,
                                   std::FILE* stdin_file,
                                   InputEncoding encoding,
                                   const std::filesystem::path& output,
                                   std::error_code* error);

// A command-line argument (the terminal's UTF-8) as code page 1251; bytes
// that are not UTF-8 are taken as code page 1251 already.
std::string ArgumentToCp1251(const std::string& argument);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_TEXT_IO_H_
