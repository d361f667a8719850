#include "core/profiles/profile_copy.h"

#include <algorithm>
#include <system_error>

#include "core/base/path_bytes.h"
#include "core/engine/profile_record.h"
#include "core/profiles/preference_file.h"
#include "core/profiles/profile_database.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

using Icon = UserMessage::Icon;

// Where a path would lead once it exists.
fs::path Canonical(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return path.lexically_normal();
  const fs::path canonical = fs::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : canonical;
}

UserMessage FileNotFoundMessage(const fs::path& path) {
  return {Icon::kError, "Фатальная ошибка",
          "Файл  " + PathBytes(path) + "\nне найден!"};
}

}  // namespace

bool IsProfileDatabase(const fs::path& chosen, const fs::path& database) {
  std::error_code error;
  const bool chosen_exists = fs::exists(chosen, error);
  const bool database_exists = fs::exists(database, error);
  if (chosen_exists != database_exists) return false;
  if (chosen_exists) {
    const bool same = fs::equivalent(chosen, database, error);
    if (!error) return same;
  }
  return Canonical(chosen) == Canonical(database);
}

UserMessage NoAccessMessage(const fs::path& chosen) {
  return {Icon::kWarning, "Ошибка",
          "Нет доступа к файлу\n" + PathBytes(chosen)};
}

fs::path WithProfileExtension(const fs::path& path) {
  const std::string name = PathBytes(path.filename());
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot + 1 < name.size()) return path;
  fs::path with_extension = path;
  with_extension += ".prof";
  return with_extension;
}

ExportResult ExportProfiles(const fs::path& database, const fs::path& target,
                            std::span<const std::string> names) {
  ExportResult result;
  result.target = WithProfileExtension(target);
  if (IsProfileDatabase(result.target, database)) {
    result.outcome = ExportOutcome::kRefusedDatabase;
    return result;
  }
  PreferenceFile source;
  if (!source.Open(database)) return result;
  std::vector<ProfileRecord> profiles;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    ProfileRecord record;
    record.Name = name;
    if (!ReadProfileGroup(&source, name, &record)) {
      result.missing.push_back(name);
      continue;
    }
    profiles.push_back(std::move(record));
  }
  source.Close();
  // With nothing to write, an existing target keeps its content.
  if (profiles.empty()) return result;
  if (!WriteProfileFile(result.target, profiles, &result.error)) {
    result.outcome = ExportOutcome::kCreateFailed;
    return result;
  }
  result.outcome = ExportOutcome::kExported;
  for (const ProfileRecord& profile : profiles) {
    result.exported.push_back(profile.Name);
  }
  return result;
}

std::optional<UserMessage> ExportMessage(const ExportResult& result) {
  switch (result.outcome) {
    case ExportOutcome::kRefusedDatabase:
      return NoAccessMessage(result.target);
    case ExportOutcome::kCreateFailed:
      return UserMessage{
          Icon::kError, "Ошибка",
          WithReason("Не удалось создать файл\n" + PathBytes(result.target),
                     result.error)};
    case ExportOutcome::kExported:
    case ExportOutcome::kNothingExported:
      break;
  }
  return std::nullopt;
}

ImportSourceStatus CheckImportSource(const fs::path& source,
                                     const fs::path& database) {
  std::error_code error;
  if (!fs::is_regular_file(source, error)) return ImportSourceStatus::kIgnored;
  const std::uintmax_t size = fs::file_size(source, error);
  if (error || size == 0) return ImportSourceStatus::kIgnored;
  if (IsProfileDatabase(source, database)) {
    return ImportSourceStatus::kRefusedDatabase;
  }
  return ImportSourceStatus::kReady;
}

bool IsDuplicateProfileName(std::string_view name,
                            std::span<const std::string> existing_names) {
  return std::any_of(existing_names.begin(), existing_names.end(),
                     [name](const std::string& existing) {
                       return SameProfileName(name, existing);
                     });
}

std::optional<std::vector<ImportEntry>> ListImportEntries(
    const fs::path& source, std::span<const std::string> existing_names) {
  std::vector<std::string> names;
  if (!FillProfileList(source, &names)) return std::nullopt;
  std::vector<std::string> existing;
  for (const std::string& name : existing_names) {
    if (!name.empty()) existing.push_back(LowerProfileName(name));
  }
  std::vector<ImportEntry> entries;
  for (std::string& name : names) {
    const bool duplicate = std::find(existing.begin(), existing.end(),
                                     LowerProfileName(name)) != existing.end();
    entries.push_back({std::move(name), duplicate, !duplicate});
  }
  return entries;
}

ImportResult ImportProfiles(const fs::path& source, const fs::path& database,
                            std::span<const std::string> names, bool new_only) {
  ImportResult result;
  if (!ProfileDatabaseExists(source)) {
    result.outcome = ImportOutcome::kSourceMissing;
    return result;
  }
  if (!ProfileDatabaseExists(database)) {
    result.outcome = ImportOutcome::kDatabaseMissing;
    return result;
  }
  if (IsProfileDatabase(source, database)) {
    result.outcome = ImportOutcome::kRefusedDatabase;
    return result;
  }
  if (std::all_of(names.begin(), names.end(),
                  [](const std::string& name) { return name.empty(); })) {
    result.outcome = ImportOutcome::kNothingChosen;
    return result;
  }

  PreferenceFile from;
  if (!from.Open(source)) {
    result.outcome = ImportOutcome::kSourceUnreadable;
    return result;
  }
  std::vector<ProfileRecord> profiles;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    ProfileRecord record;
    record.Name = name;
    if (ReadProfileGroup(&from, name, &record) &&
        IsStorableProfile(name, record)) {
      profiles.push_back(std::move(record));
    } else {
      result.skipped.push_back(name);
    }
  }
  from.Close();

  // One write for the whole import: a failure leaves the database as it
  // was instead of holding some of the profiles.
  PreferenceFile to;
  if (!to.OpenForUpdate(database)) {
    result.outcome = ImportOutcome::kWriteFailed;
    result.error = to.error();
    return result;
  }
  // Decided on the database as it is now, under its lock: two imports of
  // the same new profile add it once.
  std::vector<std::string> existing;
  if (new_only) {
    for (std::string& name : to.GroupNames()) {
      if (!name.empty()) existing.push_back(std::move(name));
    }
  }
  std::vector<std::string> imported;
  for (const ProfileRecord& profile : profiles) {
    if (new_only && IsDuplicateProfileName(profile.Name, existing)) {
      result.duplicates.push_back(profile.Name);
      continue;
    }
    WriteProfileGroup(&to, profile.Name, profile);
    imported.push_back(profile.Name);
  }
  if (!to.Close()) {
    result.outcome = ImportOutcome::kWriteFailed;
    result.error = to.error();
    return result;
  }
  result.outcome = ImportOutcome::kImported;
  result.imported = std::move(imported);
  return result;
}

std::optional<UserMessage> ImportMessage(ImportOutcome outcome,
                                         const fs::path& source,
                                         const fs::path& database,
                                         std::error_code reason) {
  switch (outcome) {
    case ImportOutcome::kImported:
      return std::nullopt;
    case ImportOutcome::kNothingChosen:
      return UserMessage{Icon::kWarning, "",
                         "Нужно выбрать не менее одного профиля"};
    case ImportOutcome::kSourceMissing:
      return FileNotFoundMessage(source);
    case ImportOutcome::kDatabaseMissing:
      return FileNotFoundMessage(database);
    case ImportOutcome::kSourceUnreadable:
      return UserMessage{Icon::kError, "Ошибка",
                         "Не удалось открыть файл\n" + PathBytes(source)};
    case ImportOutcome::kRefusedDatabase:
      return NoAccessMessage(source);
    case ImportOutcome::kWriteFailed:
      return SaveProfileFailedMessage(reason);
  }
  return std::nullopt;
}

}  // namespace trulvex
