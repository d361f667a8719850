#ifndef TRULVEX_CLI_CLI_OPTIONS_H_
#define TRULVEX_CLI_CLI_OPTIONS_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/bin_conversion.h"
#include "engine/cp1251.h"

namespace trulvex::cli {

enum class InputEncoding { kAuto, kCp1251, kUtf8 };

enum class Command { kHelp, kVersion, kTable, kBin };

struct CliOptions {
  Command command = Command::kHelp;
  // Input: a path, or empty for standard input.
  std::string input;
  InputEncoding input_encoding = InputEncoding::kAuto;
  // Output: a path, or empty for standard output (table only).
  std::string output;

  // table
  std::optional<std::string> profile;  // as typed
  std::vector<std::pair<std::string, std::string>> overrides;  // as typed
  std::optional<TextEncoding> output_encoding;

  // bin
  BinOptions bin;
  bool append_past_end = false;
};

struct ParseResult {
  CliOptions options;
  std::string error;  // a usage error, in Russian; empty when parsed
};

// Reads the arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string>& args);

// The help text of the converter (UTF-8).
const char* HelpText();

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_CLI_OPTIONS_H_
