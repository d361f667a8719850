#ifndef TRULVEX_CORE_PROFILES_PROFILE_DATABASE_H_
#define TRULVEX_CORE_PROFILES_PROFILE_DATABASE_H_

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/base/user_message.h"
#include "core/engine/profile_record.h"
#include "core/profiles/preference_file.h"

namespace trulvex {

// The profile database and every `.prof` file: a preference file with one
// group per profile. Each operation opens and closes the file itself and
// takes its path, so the same calls serve the database and exported files.
// Names and texts are code page 1251 bytes; messages are UTF-8.

// `Profile.prof` in the program's data directory.
std::filesystem::path ProfileDatabasePath(
    const std::filesystem::path& data_directory);

// A file is there (a directory of that name does not count).
bool ProfileDatabaseExists(const std::filesystem::path& path);

enum class EnsureDatabaseResult { kExists, kCreated, kDeclined, kCreateFailed };

// Asked before a missing database is created; true creates it.
using CreateDatabaseQuestion = std::function<bool(const UserMessage&)>;

// At start-up: makes sure the database exists, asking before creating it
// with the three default profiles. On kCreateFailed the program ends after
// DatabaseCreateFailedMessage.
EnsureDatabaseResult EnsureProfileDatabase(const std::filesystem::path& path,
                                           const CreateDatabaseQuestion& ask);

// Writes a database holding exactly the default profiles, in one step and
// under the file's lock. A database that another program created meanwhile
// is kept as it is (success, with `created` false).
bool CreateProfileDatabase(const std::filesystem::path& path,
                           std::error_code* error = nullptr,
                           bool* created = nullptr);

UserMessage MissingDatabaseQuestion();
// The database is there but cannot be read (another user's 0600 file, a
// directory in its place): told once at start-up.
UserMessage DatabaseUnreadableMessage(const std::filesystem::path& path,
                                      std::error_code reason);
UserMessage DatabaseCreateFailedMessage();

// Replaces `list` by the non-empty profile names of the file, in file
// order. False, and `list` untouched, when the file is missing or cannot
// be read.
bool FillProfileList(const std::filesystem::path& path,
                     std::vector<std::string>* list,
                     std::error_code* error = nullptr);

enum class LoadProfileResult { kNotFound = -1, kUnavailable = 0, kLoaded = 1 };

// Reads the stored fields of the profile `name` into `record` (`IsPreview`
// and `Name` stay). kNotFound leaves `record` unchanged; the caller shows
// ProfileNotFoundMessage. On kLoaded `comment_marker`, when given, takes the
// profile's `Comment`. The empty name reads the file's top section.
LoadProfileResult LoadProfile(const std::filesystem::path& path,
                              std::string_view name, ProfileRecord* record,
                              std::string* comment_marker = nullptr);

UserMessage ProfileNotFoundMessage(std::string_view name);

// What every caller of LoadProfile shows for kUnavailable: the database is
// missing or cannot be read.
UserMessage DatabaseMissingMessage(const std::filesystem::path& database);

enum class SaveProfileResult {
  kSaved,
  kOpenFailed,
  // The name or a text would not read back as written (a line break, a
  // "]" in the name); nothing was written.
  kNotStorable,
  // The file could not be replaced (read-only, disk full); it is unchanged.
  kWriteFailed,
};

// Writes the stored fields of `record` into the group `name`: existing keys
// keep their lines, a missing group is appended at the end of the file.
// Holds the file's lock from reading to writing; `error` says why opening
// or writing failed.
SaveProfileResult SaveProfile(const std::filesystem::path& path,
                              std::string_view name,
                              const ProfileRecord& record,
                              std::error_code* error = nullptr);

// The same message for every failure of SaveProfile, with the reason on a
// line of its own when there is one.
UserMessage SaveProfileFailedMessage(std::error_code reason = {});

// `text`, and on a new line why it failed, when that is known.
std::string WithReason(std::string text, std::error_code reason);

// Renames the first group headed exactly "[old_name]" (case-sensitive) on
// the bytes of the file, so that every other byte stays. An empty file
// succeeds unchanged. Fails, with the file unchanged, when there is no such
// header, `new_name` would not read back as written, or the file cannot be
// read or replaced.
bool RenameProfile(const std::filesystem::path& database,
                   std::string_view old_name, std::string_view new_name,
                   std::error_code* error = nullptr);

UserMessage RenameProfileFailedMessage(std::error_code reason = {});

// Removes the first group of each name; names no longer in the file are
// skipped. False when the file could not be opened or written back.
bool DeleteProfiles(const std::filesystem::path& database,
                    std::span<const std::string> names,
                    std::error_code* error = nullptr);

// The profile group `name` of an open file into `record`; false when the
// file has no such group.
bool ReadProfileGroup(PreferenceFile* file, std::string_view name,
                      ProfileRecord* record);

// True when SaveProfile would store the profile under `name` exactly.
bool IsStorableProfile(std::string_view name, const ProfileRecord& record);

// Writes `record` into the group `name` of an open file; false, with
// nothing written, when it is not storable.
bool WriteProfileGroup(PreferenceFile* file, std::string_view name,
                       const ProfileRecord& record);

// A new profile file holding `profiles` (each under its `Name`), in order,
// replacing any file at `path` in one step.
bool WriteProfileFile(const std::filesystem::path& path,
                      std::span<const ProfileRecord> profiles,
                      std::error_code* error = nullptr);

// Profile names as the profile manager and import compare them for
// duplicates: ASCII A-Z and the code page 1251 capitals А to Ю lower-cased;
// Я (0xDF) and Ё (0xA8) stay as they are.
std::string LowerProfileName(std::string_view name);
bool SameProfileName(std::string_view a, std::string_view b);

}  // namespace trulvex

#endif  // TRULVEX_CORE_PROFILES_PROFILE_DATABASE_H_
