#ifndef TRULVEX_CLI_CLI_OPTIONS_H_
#define TRULVEX_CLI_CLI_OPTIONS_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/cp1251.h"
#include "core/engine/bin_conversion.h"
#include "core/engine/display_page.h"
#include "core/engine/display_picture.h"

namespace trulvex::cli {

enum class InputEncoding { kAuto, kCp1251, kUtf8 };

enum class Command { kHelp, kVersion, kTable, kBin, kProfiles, kPreview };

enum class PreviewFormat { kText, kPng };

enum class ProfilesAction { kList, kShow, kExport, kImport };

struct CliOptions {
  Command command = Command::kHelp;
  // File names are paths from here on (made with PathFromBytes), so that
  // no name passes through an 8-bit code page on its way to the system.
  // Input: a file, or empty for standard input.
  std::filesystem::path input;
  InputEncoding input_encoding = InputEncoding::kAuto;
  // Output: a file; empty (table only) or "-" for standard output.
  std::filesystem::path output;
  // -q: no status lines, only errors and warnings.
  bool quiet = false;
  // --profiles: the profile database to use instead of the data directory's.
  std::optional<std::filesystem::path> profiles_file;

  // table
  std::optional<std::string> profile;                          // as typed
  std::vector<std::pair<std::string, std::string>> overrides;  // as typed
  std::optional<TextEncoding> output_encoding;

  // bin
  BinOptions bin;
  bool append_past_end = false;

  // preview
  DisplaySize display_size = kDefaultDisplaySize;
  // Unset: PNG when -o names a .png file, text otherwise.
  std::optional<PreviewFormat> preview_format;
  int scale = 4;
  DisplayTheme theme = DisplayTheme::kGreen;

  // profiles
  ProfilesAction profiles_action = ProfilesAction::kList;
  // The arguments after the action, as typed: NAME; OUT NAME...; FILE NAME...
  std::vector<std::string> operands;
  bool import_all = false;
};

struct ParseResult {
  CliOptions options;
  std::string error;  // a usage error, in Russian; empty when parsed
};

// Reads the arguments after the program name.
ParseResult ParseArguments(const std::vector<std::string>& args);

// A start address as typed: decimal, or hexadecimal as 0x10, $10 or 10h.
std::optional<std::uint64_t> ParseAddress(std::string_view text);

// The help text of the converter (UTF-8).
const char* HelpText();

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_CLI_OPTIONS_H_
