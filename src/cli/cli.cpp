#include "cli/cli.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

#include "cli/cli_options.h"
#include "cli/messages.h"
#include "cli/preview_command.h"
#include "cli/text_io.h"
#include "core/base/atomic_file.h"
#include "core/base/cp1251.h"
#include "core/base/data_directory.h"
#include "core/base/error_reason.h"
#include "core/base/path_bytes.h"
#include "core/base/preference_value.h"
#include "core/base/version.h"
#include "core/engine/bin_conversion.h"
#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"
#include "core/profiles/profile_copy.h"
#include "core/profiles/profile_database.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;

// A table on disk may be far larger than one held in an editor.
constexpr std::uint64_t kMaxTableBytes = std::uint64_t{64} << 30;

void Print(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
}

std::string Quoted(std::string_view cp1251) {
  return "\"" + Cp1251ToUtf8(cp1251) + "\"";
}

int UsageError(const Streams& streams, std::string_view message) {
  PrintError(streams, OneLine(message) + " (справка: trulvex-cli help)");
  return kExitUsage;
}

// Characters the display will not show because the code page lacks them;
// a text refused as broken UTF-8 says so instead.
void WarnUnmappable(const Streams& streams, const DecodingTextReader& text) {
  if (text.unmappable() == 0 || text.invalid_at()) return;
  PrintWarning(streams, "символов, которых нет в кодовой странице 1251: " +
                            std::to_string(text.unmappable()) +
                            "; индикатор не сможет их показать");
}

std::string DatabaseItself(const fs::path& file) {
  return "файл \"" + PathBytes(file) + "\" — это сама база профилей";
}

// Standard output named as a file: "-".
bool IsStandardOutput(const fs::path& output) {
  return output.empty() || output == "-";
}

// Strict reading of a number given on the command line.
bool ParseStrictInteger(std::string_view text, long long min, long long max,
                        long long* value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i++] == '-';
  }
  if (i == text.size() || text.size() - i > 12) return false;
  long long magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  *value = negative ? -magnitude : magnitude;
  return *value >= min && *value <= max;
}

std::string KeyList() {
  std::string keys;
  for (const ProfileField& field : ProfileFields()) {
    if (!keys.empty()) keys += ", ";
    keys += field.key;
  }
  return keys;
}

// Applies one --set; returns a usage error, or "" when it was applied.
std::string ApplyOverride(const std::string& key, const std::string& value,
                          ProfileRecord* profile) {
  const ProfileField* field = FindProfileField(key);
  if (field == nullptr) {
    return "Неизвестный ключ профиля \"" + key + "\". Ключи: " + KeyList() +
           ".";
  }
  long long number = 0;
  switch (field->kind) {
    case ProfileFieldKind::kText:
      profile->*field->text = ArgumentToCp1251(value);
      return "";
    case ProfileFieldKind::kInteger:
      if (!ParseStrictInteger(value, INT32_MIN, INT32_MAX, &number)) {
        return "Значение " + key + " должно быть целым числом, получено \"" +
               value + "\".";
      }
      profile->*field->integer = static_cast<std::int32_t>(number);
      return "";
    case ProfileFieldKind::kByte:
      if (!ParseStrictInteger(value, 0, 255, &number)) {
        return "Значение " + key +
               " должно быть числом от 0 до 255, "
               "получено \"" +
               value + "\".";
      }
      profile->*field->byte = static_cast<std::uint8_t>(number);
      return "";
  }
  return "";
}

// Where the profiles come from: the database file, or the three built-in
// profiles when the data directory holds no database.
struct ProfileSource {
  fs::path path;
  bool built_in = false;
  std::vector<std::string> names;  // in file order
};

fs::path DatabasePath(const CliOptions& options) {
  return options.profiles_file ? *options.profiles_file
                               : ProfileDatabasePath(DataDirectory());
}

// Reads the names only; never creates or changes the database.
bool OpenProfiles(const CliOptions& options, const Streams& streams,
                  ProfileSource* source) {
  source->path = DatabasePath(options);
  // A file named with --profiles must be there: falling back to the
  // built-in profiles would hide a mistyped path.
  if (!options.profiles_file && !ProfileDatabaseExists(source->path)) {
    source->built_in = true;
    for (const DefaultProfile& profile : DefaultProfiles()) {
      source->names.push_back(profile.name);
    }
    return true;
  }
  std::error_code error;
  if (!FillProfileList(source->path, &source->names, &error)) {
    PrintError(streams,
               FileFailure("не удалось прочитать базу профилей", source->path,
                           error ? error : ReadFailure(source->path)));
    return false;
  }
  return true;
}

// The stored spelling of a name typed on the command line, matched as the
// profile database matches group names.
std::optional<std::string> FindName(const std::vector<std::string>& names,
                                    const std::string& typed) {
  const std::string wanted = ArgumentToCp1251(typed);
  for (const std::string& name : names) {
    if (NamesEqual(name, wanted)) return name;
  }
  return std::nullopt;
}

// A typed name no stored name can equal: it holds characters that code page
// 1251, in which profile names are stored, cannot hold.
bool RefuseUnencodableName(const Streams& streams, const std::string& typed) {
  std::size_t unmappable = 0;
  if (IsValidUtf8(typed)) Utf8ToCp1251(typed, &unmappable);
  if (unmappable == 0) return false;
  PrintError(streams, "имя профиля \"" + typed +
                          "\" содержит символы, которых нет в кодовой "
                          "странице 1251, а имена профилей хранятся в ней");
  return true;
}

bool LoadFromSource(const ProfileSource& source, const std::string& name,
                    const Streams& streams, ProfileRecord* record) {
  if (source.built_in) {
    for (const ProfileRecord& profile : DefaultProfileRecords()) {
      if (profile.Name == name) {
        *record = profile;
        return true;
      }
    }
  } else {
    record->Name = name;
    if (LoadProfile(source.path, name, record) == LoadProfileResult::kLoaded) {
      return true;
    }
  }
  PrintError(streams,
             FileFailure("не удалось прочитать профиль " + Quoted(name) + " из",
                         source.path, ReadFailure(source.path)));
  return false;
}

int UnknownProfile(const Streams& streams, const std::string& typed,
                   const std::vector<std::string>& names) {
  if (RefuseUnencodableName(streams, typed)) return kExitUsage;
  // A long list would not make one line: it is a command away.
  constexpr std::size_t kNamesShown = 10;
  std::string list;
  for (const std::string& name : names) {
    list += (list.empty() ? "; профили: " : ", ") + Quoted(name);
  }
  if (names.empty()) list = ": профилей нет";
  if (names.size() > kNamesShown) list = "; профили: trulvex-cli profiles list";
  return UsageError(streams, "профиль " + Quoted(ArgumentToCp1251(typed)) +
                                 " не найден" + list);
}

// How the text to convert is named in messages.
std::string InputName(const CliOptions& options) {
  return options.input.empty() ? "стандартный ввод" : PathBytes(options.input);
}

// Opens the text to convert; reports a failure.
std::optional<InputText> OpenText(const CliOptions& options,
                                  const Streams& streams) {
  std::error_code reason;
  std::optional<InputText> input =
      OpenInput(options.input, streams.in, options.input_encoding,
                options.output, &reason);
  if (!input) {
    PrintError(
        streams,
        options.input.empty()
            ? "не удалось прочитать стандартный ввод: " + ErrorReason(reason)
            : FileFailure("не удалось открыть", options.input, reason));
  }
  return input;
}

// Reports a text that could not be read to its end; returns the exit
// status.
int TextFailed(const CliOptions& options, const Streams& streams,
               const DecodingTextReader& text) {
  if (const std::optional<std::uint64_t> at = text.invalid_at()) {
    PrintError(streams, "текст \"" + InputName(options) +
                            "\" не в кодировке UTF-8: байт по смещению " +
                            std::to_string(*at) +
                            " не UTF-8; укажите -e cp1251 или -e auto");
    return kExitRefused;
  }
  PrintError(streams, options.input.empty()
                          ? "не удалось прочитать стандартный ввод: " +
                                ErrorReason(text.read_error())
                          : FileFailure("не удалось прочитать", options.input,
                                        text.read_error()));
  return kExitFileError;
}

bool HasHighByte(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// The profile named by -p (the first one without it), changed by --set;
// returns kExitOk or the status to end with.
int ChooseProfile(const CliOptions& options, const Streams& streams,
                  ProfileRecord* profile) {
  ProfileSource source;
  if (!OpenProfiles(options, streams, &source)) return kExitFileError;
  std::optional<std::string> name;
  if (options.profile) {
    name = FindName(source.names, *options.profile);
    if (!name) return UnknownProfile(streams, *options.profile, source.names);
  } else if (!source.names.empty()) {
    name = source.names.front();
  } else {
    PrintError(streams, "не выбран профиль: в базе профилей \"" +
                            PathBytes(source.path) +
                            "\" нет ни одного профиля");
    return kExitRefused;
  }
  if (!LoadFromSource(source, *name, streams, profile)) return kExitFileError;
  for (const auto& [key, value] : options.overrides) {
    const std::string error = ApplyOverride(key, value, profile);
    if (!error.empty()) return UsageError(streams, error);
  }
  return kExitOk;
}

// The profile and the text of a table or preview run, or the status to
// end with.
struct ProfileAndText {
  ProfileRecord profile;
  std::optional<InputText> input;
  int status = kExitOk;
};

ProfileAndText ChooseProfileAndText(const CliOptions& options,
                                    const Streams& streams) {
  ProfileAndText chosen;
  chosen.status = ChooseProfile(options, streams, &chosen.profile);
  if (chosen.status != kExitOk) return chosen;
  chosen.input = OpenText(options, streams);
  if (!chosen.input) chosen.status = kExitFileError;
  return chosen;
}

int RunTable(const CliOptions& options, const Streams& streams) {
  ProfileAndText chosen = ChooseProfileAndText(options, streams);
  if (chosen.status != kExitOk) return chosen.status;
  const ProfileRecord& profile = chosen.profile;
  DecodingTextReader& text = *chosen.input->reader;

  // The table follows the text's encoding unless a terminal or the options
  // say otherwise.
  const bool to_stdout = IsStandardOutput(options.output);
  std::optional<TextEncoding> encoding = options.output_encoding;
  if (!encoding && to_stdout && streams.out_is_terminal) {
    encoding = TextEncoding::kUtf8;
  }
  // The output file is made with the first bytes of the table, so that an
  // empty text or a refused table leaves nothing behind.
  std::unique_ptr<AtomicFileWriter> file;
  std::error_code create_error;
  bool create_failed = false;
  const auto open = [&] {
    if (to_stdout || file) return true;
    file = AtomicFileWriter::Begin(options.output, &create_error);
    create_failed = !file;
    return !create_failed;
  };
  std::string utf8;
  const auto write = [&](std::string_view chunk) {
    if (!open()) return false;
    // A table that shows characters above 0x7F before the text has shown
    // its encoding fixes it now; until then both read the same.
    if (!encoding && (text.decided() || HasHighByte(chunk))) {
      encoding = text.Decide();
    }
    if (encoding == TextEncoding::kUtf8) {
      utf8.clear();
      AppendCp1251AsUtf8(chunk, &utf8);
      chunk = utf8;
    }
    if (file) return file->Write(chunk);
    return std::fwrite(chunk.data(), 1, chunk.size(), streams.out) ==
           chunk.size();
  };
  RunLimits limits;
  limits.max_output_bytes = kMaxTableBytes;
  const RunStatus status = RunConversion(text, profile, nullptr, write, limits);
  WarnUnmappable(streams, text);
  switch (status) {
    case RunStatus::kTooLarge:
      PrintError(
          streams,
          "таблица получилась бы больше " +
              std::to_string(kMaxTableBytes >> 30) +
              " ГБ: уменьшите отступы, тексты профиля или исходный текст");
      return kExitRefused;
    case RunStatus::kInputFailed:
      return TextFailed(options, streams, text);
    case RunStatus::kCompleted:
      if (text.characters() == 0) {
        PrintError(streams, "отсутствует преобразуемый текст");
        return kExitRefused;
      }
      // A text that cleaning emptied still gives its (empty) table.
      if (open() && (file ? file->Commit() : std::fflush(streams.out) == 0)) {
        return kExitOk;
      }
      break;
    case RunStatus::kStopped:
    case RunStatus::kOutputFailed:
      break;
  }
  if (create_failed) {
    PrintError(streams, CreateFailure(options.output, create_error));
  } else if (to_stdout) {
    PrintError(streams, "не удалось записать стандартный вывод: " +
                            ErrorReason(LastSystemError()));
  } else {
    PrintError(streams, WriteFailureMessage(options.output, file->error()));
  }
  return kExitFileError;
}

int RunPreview(const CliOptions& options, const Streams& streams) {
  ProfileAndText chosen = ChooseProfileAndText(options, streams);
  if (chosen.status != kExitOk) return chosen.status;
  const ProfileRecord& profile = chosen.profile;
  const std::optional<InputText>& input = chosen.input;
  // Characters outside the code page are reported as marks, one by one.
  std::string text;
  for (std::string_view chunk; !(chunk = input->reader->Next()).empty();) {
    text += chunk;
  }
  if (input->reader->failed()) {
    return TextFailed(options, streams, *input->reader);
  }
  return WritePreview(options, streams, profile, text);
}

int RunBin(const CliOptions& options, const Streams& streams) {
  const auto ask = [&options](const UserMessage&) {
    return options.append_past_end;
  };
  const bool to_stdout = IsStandardOutput(options.output);
  if (to_stdout && streams.out_is_terminal) {
    // Bytes above 0x7F would only garble the terminal.
    return UsageError(streams,
                      "коды не выводятся на терминал: перенаправьте вывод "
                      "(-o - | xxd) или укажите -o ФАЙЛ");
  }
  const BinSink to_out = [&streams](std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), streams.out) ==
           bytes.size();
  };
  std::optional<InputText> input = OpenText(options, streams);
  if (!input) return kExitFileError;
  DecodingTextReader& text = *input->reader;
  std::error_code reason;
  BinOutcome outcome =
      to_stdout
          ? StartBinConversion(text, options.bin, to_out)
          : StartBinConversion(options.output, text, options.bin, ask, &reason);
  WarnUnmappable(streams, text);
  if (outcome == BinOutcome::kTextUnreadable) {
    return TextFailed(options, streams, text);
  }
  if (to_stdout && outcome == BinOutcome::kSuccess &&
      std::fflush(streams.out) != 0) {
    outcome = BinOutcome::kWriteFailed;
  }
  switch (outcome) {
    case BinOutcome::kSuccess:
      PrintStatus(streams, options.quiet,
                  BinOutcomeMessage(outcome, PathBytes(options.output)).text);
      return kExitOk;
    case BinOutcome::kCreateFailed:
      PrintError(streams, CreateFailure(options.output, reason));
      return kExitFileError;
    case BinOutcome::kBusy:
      PrintError(streams,
                 FileFailure("не удалось записать", options.output, reason));
      return kExitFileError;
    case BinOutcome::kOpenFailed:
      PrintError(streams,
                 FileFailure("не удалось открыть", options.output, reason));
      return kExitFileError;
    case BinOutcome::kWriteFailed:
      if (to_stdout) {
        PrintError(streams, "не удалось записать стандартный вывод: " +
                                ErrorReason(LastSystemError()));
      } else {
        PrintError(streams, WriteFailureMessage(options.output, reason));
      }
      return kExitFileError;
    case BinOutcome::kNotConverted:
      PrintError(streams,
                 "преобразование не производилось: адрес --at не меньше "
                 "размера файла (--past-end append дописывает в конец)");
      return kExitRefused;
    default:
      PrintError(streams,
                 BinOutcomeMessage(outcome, PathBytes(options.output)).text);
      return kExitRefused;
  }
}

int ListProfiles(const CliOptions& options, const Streams& streams) {
  ProfileSource source;
  if (!OpenProfiles(options, streams, &source)) return kExitFileError;
  for (const std::string& name : source.names) {
    Print(streams.out, Cp1251ToUtf8(name));
  }
  return kExitOk;
}

int ShowProfile(const CliOptions& options, const Streams& streams) {
  ProfileSource source;
  if (!OpenProfiles(options, streams, &source)) return kExitFileError;
  const std::string& typed = options.operands.front();
  const std::optional<std::string> name = FindName(source.names, typed);
  if (!name) return UnknownProfile(streams, typed, source.names);
  ProfileRecord profile;
  if (!LoadFromSource(source, *name, streams, &profile)) return kExitFileError;
  for (const ProfileField& field : ProfileFields()) {
    std::string value;
    switch (field.kind) {
      case ProfileFieldKind::kInteger:
        value = std::to_string(profile.*field.integer);
        break;
      case ProfileFieldKind::kByte:
        value = std::to_string(static_cast<unsigned>(profile.*field.byte));
        break;
      case ProfileFieldKind::kText:
        value = Quoted(profile.*field.text);
        break;
    }
    Print(streams.out, std::string(field.key) + " = " + value);
  }
  return kExitOk;
}

int ExportNamedProfiles(const CliOptions& options, const Streams& streams) {
  // "DIR/" has no file name: ".prof" would make a hidden "DIR/.prof".
  const std::string& typed = options.operands.front();
  const fs::path target = PathFromBytes(typed);
  if (typed.ends_with('/') || fs::is_directory(WithProfileExtension(target))) {
    return UsageError(
        streams, "\"" + typed +
                     "\" — это каталог, а нужно имя файла, например \"" +
                     PathBytes(target / PathFromBytes("профили.prof")) + "\"");
  }
  ProfileSource source;
  if (!OpenProfiles(options, streams, &source)) return kExitFileError;
  // Every name is checked first, so that a typing mistake writes nothing.
  std::vector<std::string> names;
  for (std::size_t i = 1; i < options.operands.size(); ++i) {
    const std::optional<std::string> name =
        FindName(source.names, options.operands[i]);
    if (!name)
      return UnknownProfile(streams, options.operands[i], source.names);
    names.push_back(*name);
  }

  ExportResult result;
  if (source.built_in) {
    result.target = WithProfileExtension(target);
    std::vector<ProfileRecord> profiles;
    for (const std::string& name : names) {
      ProfileRecord profile;
      if (!LoadFromSource(source, name, streams, &profile)) {
        return kExitFileError;
      }
      profiles.push_back(std::move(profile));
    }
    if (IsProfileDatabase(result.target, source.path)) {
      result.outcome = ExportOutcome::kRefusedDatabase;
    } else if (WriteProfileFile(result.target, profiles, &result.error)) {
      result.outcome = ExportOutcome::kExported;
      result.exported = names;
    } else {
      result.outcome = ExportOutcome::kCreateFailed;
    }
  } else {
    result = ExportProfiles(source.path, target, names);
  }

  for (const std::string& name : result.missing) {
    PrintError(streams, ProfileNotFoundMessage(name).text);
  }
  switch (result.outcome) {
    case ExportOutcome::kExported:
      for (const std::string& name : result.exported) {
        PrintStatus(streams, options.quiet, "Сохранён: " + Quoted(name));
      }
      return kExitOk;
    case ExportOutcome::kRefusedDatabase:
      PrintError(streams, DatabaseItself(result.target));
      return kExitRefused;
    case ExportOutcome::kCreateFailed:
      PrintError(streams,
                 CreateFailure(result.target, WriteFailure(result.target)));
      return kExitFileError;
    case ExportOutcome::kNothingExported:
      break;
  }
  PrintError(streams, FileFailure("не удалось прочитать профили из",
                                  source.path, ReadFailure(source.path)));
  return kExitFileError;
}

int ImportNamedProfiles(const CliOptions& options, const Streams& streams) {
  const fs::path database = DatabasePath(options);
  const fs::path file = PathFromBytes(options.operands.front());
  const auto no_profiles = [&] {
    PrintError(streams, "в файле \"" + PathBytes(file) + "\" нет профилей");
    return kExitRefused;
  };
  switch (CheckImportSource(file, database)) {
    case ImportSourceStatus::kReady:
      break;
    case ImportSourceStatus::kRefusedDatabase:
      PrintError(streams, DatabaseItself(file));
      return kExitRefused;
    case ImportSourceStatus::kIgnored:
      if (!ProfileDatabaseExists(file)) {
        PrintError(streams,
                   FileFailure("не удалось открыть", file, ReadFailure(file)));
        return kExitFileError;
      }
      return no_profiles();
  }

  // A missing database is made with the built-in profiles, as the program
  // makes it at start-up; the names are compared against those.
  const bool create = !ProfileDatabaseExists(database);
  std::vector<std::string> existing;
  if (create) {
    for (const DefaultProfile& profile : DefaultProfiles()) {
      existing.push_back(profile.name);
    }
  } else if (!FillProfileList(database, &existing)) {
    PrintError(streams, FileFailure("не удалось прочитать базу профилей",
                                    database, ReadFailure(database)));
    return kExitFileError;
  }
  const std::optional<std::vector<ImportEntry>> entries =
      ListImportEntries(file, existing);
  if (!entries) {
    PrintError(streams,
               FileFailure("не удалось прочитать", file, ReadFailure(file)));
    return kExitFileError;
  }
  if (entries->empty()) return no_profiles();

  std::vector<std::string> chosen;
  if (options.operands.size() > 1) {
    std::vector<std::string> names;
    for (const ImportEntry& entry : *entries) names.push_back(entry.name);
    for (std::size_t i = 1; i < options.operands.size(); ++i) {
      const std::optional<std::string> name =
          FindName(names, options.operands[i]);
      if (!name) return UnknownProfile(streams, options.operands[i], names);
      chosen.push_back(*name);
    }
  } else {
    for (const ImportEntry& entry : *entries) chosen.push_back(entry.name);
  }
  // Without names only the new profiles come in: a profile of the same
  // name is the user's own and is replaced only when asked for. Which are
  // new is decided again under the database's lock, on the database as it
  // is then.
  const bool new_only = options.operands.size() == 1 && !options.import_all;
  const auto report_duplicates = [&](const std::vector<std::string>& names) {
    if (names.empty()) return;
    for (const std::string& name : names) {
      PrintStatus(streams, options.quiet,
                  "Пропущен, такое имя уже есть в базе: " + Quoted(name));
    }
    PrintStatus(streams, options.quiet,
                "Заменить пропущенные: trulvex-cli profiles import --all "
                "ФАЙЛ, или назовите их: trulvex-cli profiles import ФАЙЛ "
                "ИМЯ...");
  };
  if (new_only && std::none_of(entries->begin(), entries->end(),
                               [](const ImportEntry& e) { return e.ticked; })) {
    report_duplicates(chosen);
    return kExitOk;
  }

  if (create) {
    if (!options.profiles_file) EnsureDataDirectory(database.parent_path());
    std::error_code error;
    bool created = false;
    if (!CreateProfileDatabase(database, &error, &created)) {
      PrintError(
          streams,
          CreateFailure(database, error ? error : WriteFailure(database)));
      return kExitFileError;
    }
    // Another import started at the same time may have made it first.
    if (created) {
      PrintStatus(streams, options.quiet,
                  "Создана база профилей \"" + PathBytes(database) + "\"");
    }
  }
  const ImportResult result = ImportProfiles(file, database, chosen, new_only);
  for (const std::string& name : result.imported) {
    PrintStatus(streams, options.quiet, "Загружен: " + Quoted(name));
  }
  report_duplicates(result.duplicates);
  for (const std::string& name : result.skipped) {
    PrintError(streams, "не загружен профиль " + Quoted(name) +
                            ": его нельзя сохранить в базе как есть");
  }
  switch (result.outcome) {
    case ImportOutcome::kImported:
      return result.skipped.empty() ? kExitOk : kExitRefused;
    case ImportOutcome::kWriteFailed:
      PrintError(
          streams,
          FileFailure("не удалось записать базу профилей", database,
                      result.error ? result.error : WriteFailure(database)) +
              "; она осталась прежней");
      return kExitFileError;
    case ImportOutcome::kRefusedDatabase:
      PrintError(streams, DatabaseItself(file));
      return kExitRefused;
    default:
      PrintError(streams, ImportMessage(result.outcome, file, database)->text);
      return kExitFileError;
  }
}

int RunProfiles(const CliOptions& options, const Streams& streams) {
  switch (options.profiles_action) {
    case ProfilesAction::kList:
      return ListProfiles(options, streams);
    case ProfilesAction::kShow:
      return ShowProfile(options, streams);
    case ProfilesAction::kExport:
      return ExportNamedProfiles(options, streams);
    case ProfilesAction::kImport:
      return ImportNamedProfiles(options, streams);
  }
  return kExitUsage;
}

int RunCommand(const CliOptions& options, const Streams& streams) {
  switch (options.command) {
    case Command::kHelp:
      std::fputs(HelpText(), streams.out);
      return kExitOk;
    case Command::kVersion:
      Print(streams.out, std::string("trulvex-cli ") + kVersion);
      return kExitOk;
    case Command::kTable:
      return RunTable(options, streams);
    case Command::kBin:
      return RunBin(options, streams);
    case Command::kPreview:
      return RunPreview(options, streams);
    case Command::kProfiles:
      return RunProfiles(options, streams);
  }
  return kExitUsage;
}

// Output that never arrived is a failure, whatever the command thought:
// both streams are flushed and checked before the status is final.
int CheckStreams(const Streams& streams, int status) {
  errno = 0;
  const bool out_written =
      std::fflush(streams.out) == 0 && std::ferror(streams.out) == 0;
  const std::error_code out_error = LastSystemError();
  // A table already reported as unwritten needs no second line.
  if (!out_written && status != kExitFileError) {
    PrintError(
        streams,
        "не удалось записать стандартный вывод: " +
            ErrorReason(out_error ? out_error
                                  : std::make_error_code(std::errc::io_error)));
    status = kExitFileError;
  }
  if (!out_written) status = kExitFileError;
  if (std::fflush(streams.err) != 0 || std::ferror(streams.err) != 0) {
    status = kExitFileError;
  }
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const Streams& streams) {
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.error.empty()) {
    return CheckStreams(streams, UsageError(streams, parsed.error));
  }
  int status = kExitUsage;
  try {
    status = RunCommand(parsed.options, streams);
  } catch (const std::bad_alloc&) {
    // The writers have removed their temporary files while unwinding.
    PrintError(streams, "недостаточно памяти");
    status = kExitFileError;
  }
  return CheckStreams(streams, status);
}

}  // namespace trulvex::cli
