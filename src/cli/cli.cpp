#include "cli/cli.h"

#include <filesystem>
#include <memory>
#include <string_view>

#include "app/atomic_file.h"
#include "cli/cli_options.h"
#include "cli/text_io.h"
#include "engine/bin_conversion.h"
#include "engine/conversion_run.h"
#include "engine/cp1251.h"
#include "profiles/preference_value.h"
#include "profiles/profile_record.h"

namespace trulvex::cli {
namespace {

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
  Print(streams.err, "trulvex-cli: " + std::string(message));
  Print(streams.err, "Справка: trulvex-cli help");
  return kExitUsage;
}

std::string FileMessage(std::string_view lead, const std::string& path) {
  return std::string(lead) + "\n\"" + path + "\"";
}

void WarnUnmappable(const Streams& streams, std::size_t count) {
  if (count == 0) return;
  Print(streams.err, "Предупреждение: символов, которых нет в кодовой "
                     "странице 1251: " +
                         std::to_string(count) +
                         "; индикатор не сможет их показать.");
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
        return "Значение " + key + " должно быть числом от 0 до 255, "
               "получено \"" + value + "\".";
      }
      profile->*field->byte = static_cast<std::uint8_t>(number);
      return "";
  }
  return "";
}

// Picks the profile by name, as the profile database matches group names.
const ProfileRecord* FindProfile(const std::vector<ProfileRecord>& profiles,
                                 const std::optional<std::string>& name) {
  if (!name) return profiles.empty() ? nullptr : &profiles.front();
  const std::string wanted = ArgumentToCp1251(*name);
  for (const ProfileRecord& profile : profiles) {
    if (NamesEqual(profile.Name, wanted)) return &profile;
  }
  return nullptr;
}

bool ReadText(const CliOptions& options, const Streams& streams,
              DecodedText* text) {
  std::string bytes;
  if (!ReadInput(options.input, streams.in, &bytes)) {
    Print(streams.err, FileMessage("Не удалось открыть файл ", options.input));
    return false;
  }
  *text = DecodeInput(std::move(bytes), options.input_encoding);
  WarnUnmappable(streams, text->unmappable);
  return true;
}

int RunTable(const CliOptions& options, const Streams& streams) {
  const std::vector<ProfileRecord> profiles = DefaultProfileRecords();
  const ProfileRecord* found = FindProfile(profiles, options.profile);
  if (found == nullptr) {
    std::string names;
    for (const ProfileRecord& profile : profiles) {
      names += "\n  " + Quoted(profile.Name);
    }
    return UsageError(streams, "Профиль \"" + *options.profile +
                                   "\" не найден. Профили:" + names);
  }
  ProfileRecord profile = *found;
  for (const auto& [key, value] : options.overrides) {
    const std::string error = ApplyOverride(key, value, &profile);
    if (!error.empty()) return UsageError(streams, error);
  }

  DecodedText text;
  if (!ReadText(options, streams, &text)) return kExitFileError;
  if (text.cp1251.empty()) {
    Print(streams.err, "Отсутствует преобразуемый текст");
    return kExitRefused;
  }

  const bool to_stdout = options.output.empty();
  const TextEncoding encoding = options.output_encoding.value_or(
      to_stdout && streams.out_is_terminal ? TextEncoding::kUtf8
                                           : text.encoding);
  std::unique_ptr<AtomicFileWriter> file;
  if (!to_stdout) {
    file = AtomicFileWriter::Begin(ResolveTarget(options.output));
    if (!file) {
      Print(streams.err, FileMessage("Не удалось создать файл ", options.output));
      return kExitFileError;
    }
  }
  std::string utf8;
  const auto write = [&](std::string_view chunk) {
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
  const RunStatus status =
      RunConversion(std::move(text.cp1251), profile, nullptr, write, limits);
  if (status == RunStatus::kTooLarge) {
    Print(streams.err,
          "Таблица получилась бы больше " +
              std::to_string(kMaxTableBytes >> 30) +
              " ГБ: уменьшите отступы, тексты профиля или исходный текст.");
    return kExitRefused;
  }
  const bool stored = status == RunStatus::kCompleted &&
                      (file ? file->Commit() : std::fflush(streams.out) == 0);
  if (!stored) {
    Print(streams.err, FileMessage("Не удалось записать файл ",
                                   to_stdout ? "-" : options.output));
    return kExitFileError;
  }
  return kExitOk;
}

int RunBin(const CliOptions& options, const Streams& streams) {
  DecodedText text;
  if (!ReadText(options, streams, &text)) return kExitFileError;
  const BinOutcome outcome = StartBinConversion(
      std::filesystem::path(options.output), std::move(text.cp1251),
      options.bin, [&options](const UserMessage&) {
        return options.append_past_end;
      });
  const UserMessage message = BinOutcomeMessage(outcome, options.output);
  switch (outcome) {
    case BinOutcome::kSuccess:
      Print(streams.out, message.text);
      return kExitOk;
    case BinOutcome::kCreateFailed:
    case BinOutcome::kOpenFailed:
    case BinOutcome::kWriteFailed:
      Print(streams.err, message.text);
      return kExitFileError;
    default:
      Print(streams.err, message.text);
      return kExitRefused;
  }
}

}  // namespace

int RunCli(const std::vector<std::string>& args, const Streams& streams) {
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.error.empty()) return UsageError(streams, parsed.error);
  const CliOptions& options = parsed.options;
  switch (options.command) {
    case Command::kHelp:
      std::fputs(HelpText(), streams.out);
      return kExitOk;
    case Command::kVersion:
      Print(streams.out, "trulvex-cli " TRULVEX_VERSION);
      return kExitOk;
    case Command::kTable:
      return RunTable(options, streams);
    case Command::kBin:
      return RunBin(options, streams);
  }
  return kExitUsage;
}

}  // namespace trulvex::cli
