#ifndef TRULVEX_CORE_PROFILES_PROFILE_COPY_H_
#define TRULVEX_CORE_PROFILES_PROFILE_COPY_H_

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "core/base/user_message.h"

namespace trulvex {

// Copying profiles between the profile database and `.prof` files. Names
// are code page 1251 bytes; messages are UTF-8.

// True when `chosen` is the database file itself, however its path is
// spelt (links, letter case on systems that ignore it, relative parts).
bool IsProfileDatabase(const std::filesystem::path& chosen,
                       const std::filesystem::path& database);

// The refusal to use the database as an import source or export target.
UserMessage NoAccessMessage(const std::filesystem::path& chosen);

// `path` with ".prof" appended when its file name has no extension (no "."
// or nothing after the last one).
std::filesystem::path WithProfileExtension(const std::filesystem::path& path);

enum class ExportOutcome {
  kExported,
  kNothingExported,  // no named profile was found; no file was made
  kRefusedDatabase,
  kCreateFailed,
};

struct ExportResult {
  ExportOutcome outcome = ExportOutcome::kNothingExported;
  std::filesystem::path target;  // with the extension added
  std::vector<std::string> exported;
  // Named profiles that the database does not hold; each deserves
  // ProfileNotFoundMessage.
  std::vector<std::string> missing;
  std::error_code error;  // why kCreateFailed
};

// Writes the named profiles of the database, in the given order, into a
// new file at `target` (".prof" added when it has no extension), replacing
// any file there in one step. Empty names are skipped.
ExportResult ExportProfiles(const std::filesystem::path& database,
                            const std::filesystem::path& target,
                            std::span<const std::string> names);

// The message for a failed export; nothing to show for the others.
std::optional<UserMessage> ExportMessage(const ExportResult& result);

enum class ImportSourceStatus {
  kReady,
  kIgnored,  // missing or empty: nothing happens and nothing is shown
  kRefusedDatabase,
};

ImportSourceStatus CheckImportSource(const std::filesystem::path& source,
                                     const std::filesystem::path& database);

// One profile of the file to import, as the import list shows it.
struct ImportEntry {
  std::string name;
  bool duplicate = false;  // the database has that name already
  bool ticked = false;     // offered for import: every non-duplicate
};

// A name is a duplicate when it equals one of `existing_names` by the
// profile manager's comparison.
bool IsDuplicateProfileName(std::string_view name,
                            std::span<const std::string> existing_names);

// The profiles of `source`, in file order, marked against the database's
// names; nothing when the file cannot be read.
std::optional<std::vector<ImportEntry>> ListImportEntries(
    const std::filesystem::path& source,
    std::span<const std::string> existing_names);

enum class ImportOutcome {
  kImported,
  kNothingChosen,
  kSourceMissing,
  kSourceUnreadable,
  kDatabaseMissing,
  kRefusedDatabase,
  kWriteFailed,  // the database is unchanged
};

struct ImportResult {
  ImportOutcome outcome = ImportOutcome::kNothingChosen;
  std::vector<std::string> imported;
  // Chosen names that the source does not hold or the database could not
  // store as written.
  std::vector<std::string> skipped;
  // Chosen names left out because the database has them (new_only).
  std::vector<std::string> duplicates;
  std::error_code error;  // why kWriteFailed
};

// Copies the named profiles of `source` into the database in one write,
// holding the database's lock from reading it to writing it: a name the
// database has (ASCII case aside) is overwritten in place, any other is
// appended. Empty names are skipped. With `new_only`, a name that is a
// duplicate (IsDuplicateProfileName) of one in the database as it is at
// that moment is left out instead.
ImportResult ImportProfiles(const std::filesystem::path& source,
                            const std::filesystem::path& database,
                            std::span<const std::string> names,
                            bool new_only = false);

std::optional<UserMessage> ImportMessage(ImportOutcome outcome,
                                         const std::filesystem::path& source,
                                         const std::filesystem::path& database,
                                         std::error_code reason = {});

}  // namespace trulvex

#endif  // TRULVEX_CORE_PROFILES_PROFILE_COPY_H_
