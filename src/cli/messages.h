#ifndef TRULVEX_CLI_MESSAGES_H_
#define TRULVEX_CLI_MESSAGES_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/cli.h"

namespace trulvex::cli {

// How the converter speaks on standard error, like the system's own tools:
// every error is one line "trulvex-cli: что случилось", a file named in
// double quotes with the reason after a colon:
//   trulvex-cli: не удалось открыть "x.txt": нет такого файла
// Status lines ("Преобразование успешно завершено.") go to standard error
// too, so that standard output holds nothing but the result, and -q
// silences them; errors and warnings are never silenced.

// `text` folded onto one line: line breaks become blanks, the first letter
// of a sentence-case word goes small and a closing "." or "!" is dropped.
std::string OneLine(std::string_view text);

// `action "path": reason`, e.g. `не удалось создать "out.inc": доступ
// запрещён`; the path as the user typed it. A file the caller may read but
// not write is called read-only rather than forbidden.
std::string FileFailure(std::string_view action,
                        const std::filesystem::path& path,
                        std::error_code reason);

// `не удалось создать "path": reason`, where a missing path can only mean
// a missing directory.
std::string CreateFailure(const std::filesystem::path& path,
                          std::error_code reason);

// `не удалось записать "path": reason`, and for a file replaced in one step
// that it stayed as it was (a device has nothing to keep).
std::string WriteFailureMessage(const std::filesystem::path& path,
                                std::error_code reason);

// "trulvex-cli: " and OneLine(text).
void PrintError(const Streams& streams, std::string_view text);
// "trulvex-cli: предупреждение: " and OneLine(text).
void PrintWarning(const Streams& streams, std::string_view text);
// A line of progress or success, unless the run is quiet.
void PrintStatus(const Streams& streams, bool quiet, std::string_view text);

// Why a file that could not be read failed, asked again of the file system:
// reading creates nothing, so the question is harmless. No error when the
// file opens (its content was the trouble).
std::error_code ReadFailure(const std::filesystem::path& path);

// Why a file could not be made or replaced at `path`, as far as the file
// system tells without anything being created; no error when it cannot.
std::error_code WriteFailure(const std::filesystem::path& path);

}  // namespace trulvex::cli

#endif  // TRULVEX_CLI_MESSAGES_H_
