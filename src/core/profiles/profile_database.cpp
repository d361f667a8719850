#include "core/profiles/profile_database.h"

#include <memory>
#include <new>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/base/cp1251.h"
#include "core/base/data_directory.h"
#include "core/base/error_reason.h"
#include "core/base/file_lock.h"
#include "core/base/path_bytes.h"
#include "core/base/regular_file.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

using Icon = UserMessage::Icon;

constexpr std::string_view kLineEnds{"\r\n\0", 3};

bool ReplaceFile(const fs::path& path, std::string_view bytes,
                 std::error_code* error) {
  const std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(path, error);
  if (writer == nullptr) return false;
  if (writer->Write(bytes) && writer->Commit()) return true;
  *error = writer->error();
  return false;
}

void SetError(std::error_code* out, std::error_code error) {
  if (out != nullptr) *out = error;
}

// A marked (UTF-8) file holds a name as the UTF-8 of its code page 1251
// characters; the header to look for must be spelt that way too.
std::string StoredName(std::string_view name, bool marked) {
  return marked ? Cp1251ToUtf8(name) : std::string(name);
}

// A header name ends at the first "]": one holding it, or a line end,
// would come back as another name.
bool IsHeaderName(std::string_view name) {
  return name.find(']') == std::string_view::npos &&
         name.find_first_of(kLineEnds) == std::string_view::npos;
}

// The offset of the first "[name]" that opens a line after optional
// blanks, or npos.
std::size_t FindHeader(std::string_view bytes, std::size_t first_line,
                       std::string_view header) {
  std::size_t line = first_line;
  while (line <= bytes.size()) {
    std::size_t at = line;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t')) ++at;
    if (bytes.substr(at, header.size()) == header) return at;
    const std::size_t end = bytes.find_first_of(kLineEnds, line);
    if (end == std::string_view::npos) break;
    line = end + 1;
  }
  return std::string_view::npos;
}

}  // namespace

fs::path ProfileDatabasePath(const fs::path& data_directory) {
  return data_directory / kProfileDatabaseName;
}

bool ProfileDatabaseExists(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return fs::exists(status) && !fs::is_directory(status);
}

EnsureDatabaseResult EnsureProfileDatabase(const fs::path& path,
                                           const CreateDatabaseQuestion& ask) {
  if (ProfileDatabaseExists(path)) return EnsureDatabaseResult::kExists;
  if (!ask(MissingDatabaseQuestion())) return EnsureDatabaseResult::kDeclined;
  return CreateProfileDatabase(path) ? EnsureDatabaseResult::kCreated
                                     : EnsureDatabaseResult::kCreateFailed;
}

bool CreateProfileDatabase(const fs::path& path, std::error_code* error,
                           bool* created) {
  if (created != nullptr) *created = false;
  std::error_code reason;
  const std::optional<FileLock> lock = FileLock::Acquire(path, &reason);
  if (!lock) return SetError(error, reason), false;
  // Another program made it while the user was asked: its profiles stay.
  if (ProfileDatabaseExists(path)) return true;
  // Built in memory and put in place whole: a failed creation leaves no
  // empty database that the next start would take for a real one.
  PreferenceFile file;
  file.Parse("");
  for (const DefaultProfile& profile : DefaultProfiles()) {
    file.SelectGroup(profile.name);
    for (const auto& [key, value] : profile.pairs) {
      if (!file.WriteText(key, value)) return false;
    }
  }
  if (ReplaceFile(path, file.Serialize(), &reason)) {
    if (created != nullptr) *created = true;
    return true;
  }
  SetError(error, reason);
  return false;
}

UserMessage MissingDatabaseQuestion() {
  return {Icon::kWarning, "Ошибка",
          "Файл, хранящий данные о профилях не найден!\nСоздать его?"};
}

UserMessage DatabaseUnreadableMessage(const fs::path& path,
                                      std::error_code reason) {
  const std::u8string text = path.u8string();
  return {Icon::kError, "Ошибка",
          WithReason("Не удалось прочитать базу профилей\n\"" +
                         std::string(text.begin(), text.end()) + "\"",
                     reason) +
              "\nСписок профилей пуст, преобразование недоступно."};
}

UserMessage DatabaseCreateFailedMessage() {
  return {Icon::kError, "Фатальная ошибка",
          "Не удалось создать файл!\nРабота програмы прервана!"};
}

bool FillProfileList(const fs::path& path, std::vector<std::string>* list,
                     std::error_code* error) {
  PreferenceFile file;
  if (!file.Open(path)) return SetError(error, file.error()), false;
  list->clear();
  for (std::string& name : file.GroupNames()) {
    if (!name.empty()) list->push_back(std::move(name));
  }
  return true;
}

bool ReadProfileGroup(PreferenceFile* file, std::string_view name,
                      ProfileRecord* record) {
  if (!file->SelectGroup(name)) return false;
  ProfileFromKeyLookup(
      [file](std::string_view key) { return file->ReadRaw(key); }, record);
  return true;
}

LoadProfileResult LoadProfile(const fs::path& path, std::string_view name,
                              ProfileRecord* record,
                              std::string* comment_marker) {
  PreferenceFile file;
  if (!file.Open(path)) return LoadProfileResult::kUnavailable;
  if (!ReadProfileGroup(&file, name, record)) {
    return LoadProfileResult::kNotFound;
  }
  if (comment_marker != nullptr) *comment_marker = record->Comment;
  return LoadProfileResult::kLoaded;
}

UserMessage ProfileNotFoundMessage(std::string_view name) {
  return {Icon::kError, "Ошибка",
          "Профиль \"" + Cp1251ToUtf8(name) + "\" не найден!"};
}

UserMessage DatabaseMissingMessage(const fs::path& database) {
  return {Icon::kError, "Ошибка",
          "Файл  \n\"" + DisplayPath(PathBytes(database)) + "\"\nне обнаружен"};
}

bool IsStorableProfile(std::string_view name, const ProfileRecord& record) {
  // Loading removes every string tag, so a text holding one comes back as
  // another text.
  for (const ProfileField& field : ProfileFields()) {
    if (field.kind == ProfileFieldKind::kText &&
        UnwrapText(WrapText(record.*field.text)) != record.*field.text) {
      return false;
    }
  }
  // A dry run on an empty file applies the writer's own refusals.
  PreferenceFile scratch;
  scratch.Parse("");
  scratch.SelectGroup(name);
  for (const auto& [key, value] : ProfileToKeyList(record)) {
    if (!scratch.WriteText(key, value)) return false;
  }
  return true;
}

bool WriteProfileGroup(PreferenceFile* file, std::string_view name,
                       const ProfileRecord& record) {
  // Checked first, so that a refused text never leaves half a profile.
  if (!IsStorableProfile(name, record)) return false;
  // A missing group is created at the end of the file by the first write.
  file->SelectGroup(name);
  for (const auto& [key, value] : ProfileToKeyList(record)) {
    file->WriteText(key, value);
  }
  return true;
}

SaveProfileResult SaveProfile(const fs::path& path, std::string_view name,
                              const ProfileRecord& record,
                              std::error_code* error) {
  PreferenceFile file;
  if (!file.OpenForUpdate(path)) {
    SetError(error, file.error());
    return SaveProfileResult::kOpenFailed;
  }
  if (!WriteProfileGroup(&file, name, record)) {
    return SaveProfileResult::kNotStorable;
  }
  if (file.Close()) return SaveProfileResult::kSaved;
  SetError(error, file.error());
  return SaveProfileResult::kWriteFailed;
}

UserMessage SaveProfileFailedMessage(std::error_code reason) {
  return {Icon::kError, "Ошибка",
          WithReason("Не удалось сохранить данные профиля", reason)};
}

std::string WithReason(std::string text, std::error_code reason) {
  if (reason) text += "\n" + ErrorReason(reason);
  return text;
}

bool WriteProfileFile(const fs::path& path,
                      std::span<const ProfileRecord> profiles,
                      std::error_code* error) {
  PreferenceFile file;
  file.Parse("");
  for (const ProfileRecord& profile : profiles) {
    if (!WriteProfileGroup(&file, profile.Name, profile)) return false;
  }
  // Another writer of the same file waits for this one to finish.
  std::error_code reason;
  const std::optional<FileLock> lock = FileLock::Acquire(path, &reason);
  if (lock && ReplaceFile(path, file.Serialize(), &reason)) return true;
  SetError(error, reason);
  return false;
}

bool RenameProfile(const fs::path& database, std::string_view old_name,
                   std::string_view new_name, std::error_code* error) {
  if (!IsHeaderName(old_name) || !IsHeaderName(new_name) || new_name.empty()) {
    return false;
  }
  std::error_code reason;
  const std::optional<FileLock> lock = FileLock::Acquire(database, &reason);
  if (!lock) return SetError(error, reason), false;
  std::string bytes;
  try {
    if (!ReadRegularFile(database, &bytes)) return false;
    // Nothing to rename: the save that follows creates the profile.
    if (bytes.empty()) return true;
    const bool marked = bytes.starts_with(kUtf8Bom);
    const std::string stored_old = StoredName(old_name, marked);
    const std::size_t header =
        FindHeader(bytes, marked ? kUtf8Bom.size() : 0, "[" + stored_old + "]");
    if (header == std::string::npos) return false;
    bytes.replace(header + 1, stored_old.size(), StoredName(new_name, marked));
  } catch (const std::bad_alloc&) {
    SetError(error, std::make_error_code(std::errc::not_enough_memory));
    return false;
  }
  if (ReplaceFile(database, bytes, &reason)) return true;
  SetError(error, reason);
  return false;
}

UserMessage RenameProfileFailedMessage(std::error_code reason) {
  return {Icon::kWarning, "Ошибка",
          WithReason("Не удалось переименовать профиль!", reason)};
}

bool DeleteProfiles(const fs::path& database,
                    std::span<const std::string> names,
                    std::error_code* error) {
  PreferenceFile file;
  if (!file.OpenForUpdate(database))
    return SetError(error, file.error()), false;
  for (const std::string& name : names) file.RemoveGroup(name);
  if (file.Close()) return true;
  SetError(error, file.error());
  return false;
}

std::string LowerProfileName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE)) {
      c = static_cast<char>(byte + 32);
    }
  }
  return lower;
}

bool SameProfileName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerProfileName(a) == LowerProfileName(b);
}

}  // namespace trulvex
