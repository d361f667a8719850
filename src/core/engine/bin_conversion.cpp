#include "core/engine/bin_conversion.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/base/error_reason.h"
#include "core/engine/code_mapping.h"
#include "core/engine/text_preparation.h"

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

constexpr std::size_t kChunk = std::size_t{1} << 20;

// True when some piece of the text gives a display code.
bool AnyDisplayable(TextChunks& text, bool flatten) {
  if (!text.Rewind()) return false;
  for (std::string_view chunk; !(chunk = text.Next()).empty();) {
    if (HasDisplayable(chunk, flatten)) return true;
  }
  return false;
}

// Writes the display codes of the whole text; false when the text or the
// file failed. `count` receives the number of codes.
bool WriteCodeStream(TextChunks& text, bool flatten, const BinSink& sink,
                     std::uint64_t* count) {
  *count = 0;
  if (!text.Rewind()) return false;
  LcdCodeStream codes(flatten);
  std::string buffer;
  for (std::string_view chunk; !(chunk = text.Next()).empty();) {
    buffer.resize(LcdCodeStream::Room(chunk.size()));
    const std::size_t written = codes.Map(chunk, buffer.data());
    if (!sink({buffer.data(), written})) return false;
    *count += written;
  }
  return !text.failed();
}

BinSink WriterSink(AtomicFileWriter& writer) {
  return [&writer](std::string_view bytes) { return writer.Write(bytes); };
}

BinOutcome WriteFailed(const AtomicFileWriter& writer,
                       std::error_code* reason) {
  *reason = writer.error();
  return BinOutcome::kWriteFailed;
}

BinOutcome WriteNewFile(const fs::path& target, TextChunks& text, bool flatten,
                        std::error_code* reason) {
  std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(target, reason);
  if (!writer) return BinOutcome::kCreateFailed;
  std::uint64_t count = 0;
  if (!WriteCodeStream(text, flatten, WriterSink(*writer), &count)) {
    return text.failed() ? BinOutcome::kTextUnreadable
                         : WriteFailed(*writer, reason);
  }
  return writer->Commit() ? BinOutcome::kSuccess : WriteFailed(*writer, reason);
}

BinOutcome WriteExistingFile(const fs::path& target, TextChunks& text,
                             bool flatten, const BinOptions& options,
                             const AppendPastEndQuestion& ask,
                             std::error_code* reason) {
  std::error_code error;
  const bool exists = fs::exists(target, error);
  FilePtr old;
  std::uint64_t size = 0;
  if (exists) {
    if (fs::is_directory(target, error)) {
      *reason = std::make_error_code(std::errc::is_a_directory);
      return BinOutcome::kOpenFailed;
    }
    if (!fs::is_regular_file(target, error)) {
      *reason = std::make_error_code(std::errc::not_supported);
      return BinOutcome::kOpenFailed;
    }
    if (IsReadOnlyFile(target)) {
      *reason = std::make_error_code(std::errc::permission_denied);
      return BinOutcome::kOpenFailed;
    }
    old.reset(std::fopen(target.string().c_str(), "rb"));
    if (!old) *reason = LastSystemError();
    size = fs::file_size(target, error);
    if (!old || error) {
      if (!*reason) *reason = error;
      return BinOutcome::kOpenFailed;
    }
  }
  std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(target, reason);
  if (!writer) return BinOutcome::kOpenFailed;

  // Where the new bytes go.
  std::uint64_t at = size;
  if (options.AddFile == 1) {
    const std::uint64_t address = ParseStartAddress(options.start_address);
    if (size <= address) {
      if (!ask(BinPastEndQuestion())) return BinOutcome::kNotConverted;
    } else {
      at = address;
    }
  }
  std::uint64_t count = 0;
  if (!writer->CopyFrom(old.get(), 0, at)) return WriteFailed(*writer, reason);
  if (!WriteCodeStream(text, flatten, WriterSink(*writer), &count)) {
    return text.failed() ? BinOutcome::kTextUnreadable
                         : WriteFailed(*writer, reason);
  }
  // The old bytes go on after the new ones: all of them when inserting,
  // those past the overwritten stretch when replacing.
  const std::uint64_t resume = options.AsAddFile == 1 && at < size
                                   ? std::min<std::uint64_t>(size, at + count)
                                   : at;
  const bool written = writer->CopyFrom(old.get(), resume, size - resume);
  old.reset();
  if (!written || !writer->Commit()) return WriteFailed(*writer, reason);
  return BinOutcome::kSuccess;
}

BinOutcome WriteCodes(const fs::path& path, TextChunks& text, bool flatten,
                      const BinOptions& options,
                      const AppendPastEndQuestion& ask,
                      std::error_code* reason) {
  if (!AnyDisplayable(text, flatten)) {
    return text.failed() ? BinOutcome::kTextUnreadable
                         : BinOutcome::kNothingDisplayable;
  }
  const fs::path target = ResolveTarget(path);
  return options.SaveFile == 1
             ? WriteExistingFile(target, text, flatten, options, ask, reason)
             : WriteNewFile(target, text, flatten, reason);
}

// Checks the text and cleans it when the options ask: `write` receives the
// cleaned text, or nothing when the text is to be mapped as it is read
// (flattening alone never empties a text, so it is done while mapping).
template <typename Write>
BinOutcome WithPreparedText(TextChunks& text, const BinOptions& options,
                            const Write& write) {
  if (!text.Rewind() || text.Next().empty()) {
    return text.failed() ? BinOutcome::kTextUnreadable : BinOutcome::kNoText;
  }
  try {
    if (options.DelErrSunmol == 1 || options.DelSpace == 1) {
      // Cleaning looks across piece borders: it takes the text whole.
      std::string whole;
      text.Rewind();
      for (std::string_view chunk; !(chunk = text.Next()).empty();) {
        whole += chunk;
      }
      if (text.failed()) return BinOutcome::kTextUnreadable;
      whole = CleanText(FlattenText(std::move(whole)), options.DelSpace,
                        options.CountSpace, options.DelErrSunmol);
      if (whole.empty()) return BinOutcome::kNoText;
      return write(std::move(whole));
    }
    if (NeedsStartAddress(options) && options.start_address.empty()) {
      return BinOutcome::kNoStartAddress;
    }
    return write(std::string());
  } catch (const std::bad_alloc&) {
    return BinOutcome::kOutOfMemory;
  }
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

std::string_view StringChunks::Next() {
  const std::string_view chunk = text_.substr(offset_, kChunk);
  offset_ += chunk.size();
  return chunk;
}

BinOutcome StartBinConversion(const fs::path& path, std::string text,
                              const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason) {
  StringChunks chunks(text);
  return StartBinConversion(path, chunks, options, ask, reason);
}

BinOutcome StartBinConversion(const fs::path& path, TextChunks& text,
                              const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason) {
  if (path.empty()) return BinOutcome::kNoPath;
  return WithPreparedText(text, options, [&](std::string prepared) {
    if (!prepared.empty()) {
      return ConvertToBin(path, std::move(prepared), options, ask, reason);
    }
    std::error_code ignored;
    return WriteCodes(path, text, true, options, ask,
                      reason != nullptr ? reason : &ignored);
  });
}

BinOutcome StartBinConversion(TextChunks& text, const BinOptions& options,
                              const BinSink& sink) {
  BinOptions new_file = options;
  new_file.SaveFile = 0;
  return WithPreparedText(text, new_file, [&](std::string prepared) {
    StringChunks cleaned(prepared);
    TextChunks& codes = prepared.empty() ? text : cleaned;
    const bool flatten = prepared.empty();
    if (!AnyDisplayable(codes, flatten)) {
      return codes.failed() ? BinOutcome::kTextUnreadable
                            : BinOutcome::kNothingDisplayable;
    }
    std::uint64_t count = 0;
    if (!WriteCodeStream(codes, flatten, sink, &count)) {
      return codes.failed() ? BinOutcome::kTextUnreadable
                            : BinOutcome::kWriteFailed;
    }
    return BinOutcome::kSuccess;
  });
}

BinOutcome ConvertToBin(const fs::path& path, std::string prepared,
                        const BinOptions& options,
                        const AppendPastEndQuestion& ask,
                        std::error_code* reason) {
  if (NeedsStartAddress(options) && options.start_address.empty()) {
    return BinOutcome::kNoStartAddress;
  }
  try {
    StringChunks chunks(prepared);
    std::error_code ignored;
    return WriteCodes(path, chunks, false, options, ask,
                      reason != nullptr ? reason : &ignored);
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
    case BinOutcome::kTextUnreadable:
      return {Icon::kError, "Ошибка",
              "Не удалось прочитать преобразуемый текст.\n"
              "Файл остался прежним."};
  }
  return {};
}

}  // namespace trulvex
