#include "engine/bin_conversion.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <system_error>

#include "app/atomic_file.h"
#include "engine/code_mapping.h"
#include "engine/text_preparation.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

using Icon = UserMessage::Icon;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool NeedsStartAddress(const BinOptions& options) {
  return options.SaveFile == 1 && options.AddFile == 1;
}

BinOutcome WriteNewFile(const fs::path& target, std::string_view codes) {
  std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::Begin(target);
  if (!writer) return BinOutcome::kCreateFailed;
  if (!writer->Write(codes) || !writer->Commit()) {
    return BinOutcome::kWriteFailed;
  }
  return BinOutcome::kSuccess;
}

BinOutcome WriteExistingFile(const fs::path& target, std::string_view codes,
                             const BinOptions& options,
                             const AppendPastEndQuestion& ask) {
  std::error_code error;
  const bool exists = fs::exists(target, error);
  FilePtr old;
  std::uint64_t size = 0;
  if (exists) {
    if (!fs::is_regular_file(target, error) || IsReadOnlyFile(target)) {
      return BinOutcome::kOpenFailed;
    }
    old.reset(std::fopen(target.string().c_str(), "rb"));
    size = fs::file_size(target, error);
    if (!old || error) return BinOutcome::kOpenFailed;
  }
  std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::Begin(target);
  if (!writer) return BinOutcome::kOpenFailed;

  // Where the new bytes go, and from where the old bytes go on after them.
  std::uint64_t at = size;
  std::uint64_t resume = size;
  if (options.AddFile == 1) {
    const std::uint64_t address = ParseStartAddress(options.start_address);
    if (size <= address) {
      if (!ask(BinPastEndQuestion())) return BinOutcome::kNotConverted;
    } else {
      at = address;
      resume = options.AsAddFile == 1
                   ? std::min<std::uint64_t>(size, address + codes.size())
                   : address;
    }
  }
  const bool written = writer->CopyFrom(old.get(), 0, at) &&
                       writer->Write(codes) &&
                       writer->CopyFrom(old.get(), resume, size - resume);
  old.reset();
  if (!written || !writer->Commit()) return BinOutcome::kWriteFailed;
  return BinOutcome::kSuccess;
}

BinOutcome WriteCodes(const fs::path& path, std::string_view codes,
                      const BinOptions& options,
                      const AppendPastEndQuestion& ask) {
  if (codes.empty()) return BinOutcome::kNothingDisplayable;
  const fs::path target = ResolveTarget(path);
  return options.SaveFile == 1 ? WriteExistingFile(target, codes, options, ask)
                               : WriteNewFile(target, codes);
}

std::string QuotedPath(std::string_view lead, std::string_view path) {
  std::string text(lead);
  text += "\n\"";
  text += path;
  text += '"';
  return text;
}

}  // namespace

std::uint64_t ParseStartAddress(std::string_view field) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') break;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

BinOutcome StartBinConversion(const fs::path& path, std::string text,
                              const BinOptions& options,
                              const AppendPastEndQuestion& ask) {
  if (path.empty()) return BinOutcome::kNoPath;
  if (text.empty()) return BinOutcome::kNoText;
  try {
    if (options.DelErrSunmol == 1 || options.DelSpace == 1) {
      text = CleanText(FlattenText(std::move(text)), options.DelSpace,
                       options.CountSpace, options.DelErrSunmol);
      if (text.empty()) return BinOutcome::kNoText;
      return ConvertToBin(path, std::move(text), options, ask);
    }
    // Flattening alone never empties a text; map it in the same pass.
    if (NeedsStartAddress(options) && options.start_address.empty()) {
      return BinOutcome::kNoStartAddress;
    }
    return WriteCodes(path, FlattenToLcdCodes(std::move(text)), options, ask);
  } catch (const std::bad_alloc&) {
    return BinOutcome::kOutOfMemory;
  }
}

BinOutcome ConvertToBin(const fs::path& path, std::string prepared,
                        const BinOptions& options,
                        const AppendPastEndQuestion& ask) {
  if (NeedsStartAddress(options) && options.start_address.empty()) {
    return BinOutcome::kNoStartAddress;
  }
  try {
    return WriteCodes(path, MapToLcdCodes(std::move(prepared)), options, ask);
  } catch (const std::bad_alloc&) {
    return BinOutcome::kOutOfMemory;
  }
}

UserMessage BinPastEndQuestion() {
  return {Icon::kWarning, "Преобразование",
          "Начальный адрес больше текущего размера файла!\n"
          "Добавить данные в конец файла?"};
}

UserMessage BinOutcomeMessage(BinOutcome outcome, std::string_view path) {
  switch (outcome) {
    case BinOutcome::kSuccess:
      return {Icon::kInformation, "Преобразование",
              "Преобразование успешно завершено."};
    case BinOutcome::kNoPath:
      return {Icon::kWarning, "Подготовка к преобразованию",
              "Не указан путь к файлу!"};
    case BinOutcome::kNoText:
      return {Icon::kWarning, "Преобразование текста",
              "Отсутствует преобразуемый текст"};
    case BinOutcome::kNoStartAddress:
      return {Icon::kWarning, "Предупреждение",
              "Поле  \"Начальный адрес\"  не заполенно\n"
              "Нужно указать начальный адрес добавляемых данных в файл."};
    case BinOutcome::kOutOfMemory:
      return {Icon::kError, "Преобразование", "Ошибка при доступе к памяти!"};
    case BinOutcome::kNothingDisplayable:
      return {Icon::kError, "Преобразование",
              "Не удалось выполнить преобразование!"};
    case BinOutcome::kCreateFailed:
      return {Icon::kError, "Ошибка",
              QuotedPath("Не удалось создать файл ", path)};
    case BinOutcome::kOpenFailed:
      return {Icon::kError, "Ошибка",
              QuotedPath("Не удалось открыть файл ", path)};
    case BinOutcome::kNotConverted:
      return {Icon::kWarning, "Преобразование",
              "Преобразование не производилось"};
    case BinOutcome::kWriteFailed:
      return {Icon::kError, "Ошибка",
              QuotedPath("Не удалось записать файл ", path) +
                  "\nФайл остался прежним."};
  }
  return {};
}

}  // namespace trulvex
