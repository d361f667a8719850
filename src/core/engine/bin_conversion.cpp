#include "core/engine/bin_conversion.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/base/error_reason.h"
#include "core/base/file_error.h"
#include "core/base/file_lock.h"
#include "core/base/write_target.h"
#include "core/engine/code_mapping.h"
#include "core/engine/text_preparation.h"

namespace trulvex {
namespace fs = std::filesystem;

namespace {

using Icon = UserMessage::Icon;

bool NeedsStartAddress(const BinOptions& options) {
  return options.SaveFile == 1 && options.AddFile == 1;
}

// The display codes of a text as it is read, prepared as the options say.
class CodeReader {
 public:
  CodeReader(TextReader* text, bool flatten, const CleanOptions& clean)
      : text_(text),
        // Cleaning looks at the flat text; flattening alone is done while
        // mapping.
        preparer_(flatten && clean.cleans(), clean),
        pass_(flatten && !clean.cleans() ? CharPass::kFlattenMap
                                         : CharPass::kMap) {}

  // The next codes; empty at the end of the text.
  std::string_view Next() {
    for (std::string_view chunk; !(chunk = text_->Next()).empty();) {
      const std::string_view prepared = preparer_.Prepare(chunk);
      any_text_ |= !prepared.empty();
      codes_.resize(PassRoom(prepared.size()));
      const std::size_t count =
          RunCharPass(pass_, prepared, codes_.data(), &pending_);
      if (count != 0) return {codes_.data(), count};
    }
    return {};
  }
  // True once the prepared text held a character.
  bool any_text() const { return any_text_; }
  bool failed() const { return text_->failed(); }

 private:
  TextReader* text_;
  TextPreparer preparer_;
  CharPass pass_;
  std::uint8_t pending_ = 0;
  std::string codes_;
  bool any_text_ = false;
};

// Hands `first` and the codes after it to `sink`; false when the text or
// the sink failed. `count` receives the number of codes.
bool WriteCodeStream(std::string_view first, CodeReader& codes,
                     const BinSink& sink, std::uint64_t* count) {
  *count = 0;
  for (std::string_view next = first; !next.empty(); next = codes.Next()) {
    if (!sink(next)) return false;
    *count += next.size();
  }
  return !codes.failed();
}

BinSink WriterSink(AtomicFileWriter& writer) {
  return [&writer](std::string_view bytes) { return writer.Write(bytes); };
}

BinOutcome WriteFailed(const AtomicFileWriter& writer,
                       std::error_code* reason) {
  *reason = writer.error();
  return BinOutcome::kWriteFailed;
}

BinOutcome WriteNewFile(const fs::path& target, std::string_view first,
                        CodeReader& codes, std::error_code* reason,
                        const WriteOptions& write) {
  std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(target, reason, write);
  if (!writer) return BinOutcome::kCreateFailed;
  std::uint64_t count = 0;
  if (!WriteCodeStream(first, codes, WriterSink(*writer), &count)) {
    return codes.failed() ? BinOutcome::kTextUnreadable
                          : WriteFailed(*writer, reason);
  }
  return writer->Commit() ? BinOutcome::kSuccess : WriteFailed(*writer, reason);
}

BinOutcome WriteExistingFile(const fs::path& target, std::string_view first,
                             CodeReader& codes, const BinOptions& options,
                             const AppendPastEndQuestion& ask,
                             std::error_code* reason) {
  // A stream or device holds no bytes to keep or to insert among: refused
  // before anything is opened, so that a FIFO cannot hold the caller.
  const std::optional<WriteTarget> found = FindWriteTarget(target, reason);
  if (!found) return BinOutcome::kOpenFailed;
  if (found->kind == WriteTarget::Kind::kDescriptor ||
      found->kind == WriteTarget::Kind::kSpecial) {
    *reason = std::make_error_code(std::errc::not_supported);
    return BinOutcome::kOpenFailed;
  }
  // From reading the old bytes to putting the new file in place, no other
  // writer may change the file.
  const std::optional<FileLock> lock = FileLock::Acquire(target, reason);
  if (!lock) {
    return *reason == FileErrc::kLockTimeout ? BinOutcome::kBusy
                                             : BinOutcome::kOpenFailed;
  }
  // Should a FIFO take the file's place meanwhile, it is opened without
  // waiting and refused all the same.
  std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(target, reason, {.wait_for_reader = false});
  if (!writer) return BinOutcome::kOpenFailed;
  if (writer->mode() == AtomicFileWriter::Mode::kDirect) {
    *reason = std::make_error_code(std::errc::not_supported);
    return BinOutcome::kOpenFailed;
  }
  const std::uint64_t size = writer->existing_size();

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
  if (!writer->CopyExisting(0, at)) return WriteFailed(*writer, reason);
  if (!WriteCodeStream(first, codes, WriterSink(*writer), &count)) {
    return codes.failed() ? BinOutcome::kTextUnreadable
                          : WriteFailed(*writer, reason);
  }
  // The old bytes go on after the new ones: all of them when inserting,
  // those past the overwritten stretch when replacing.
  const std::uint64_t resume = options.AsAddFile == 1 && at < size
                                   ? std::min<std::uint64_t>(size, at + count)
                                   : at;
  if (!writer->CopyExisting(resume, size - resume) || !writer->Commit()) {
    return WriteFailed(*writer, reason);
  }
  return BinOutcome::kSuccess;
}

// Reads up to the first code, so that nothing is touched for a text that
// gives none; then `write` takes it and the codes after it.
template <typename Write>
BinOutcome WithFirstCode(CodeReader& codes, const BinOptions& options,
                         const Write& write) {
  const std::string_view first = codes.Next();
  if (codes.failed()) return BinOutcome::kTextUnreadable;
  const bool no_address =
      NeedsStartAddress(options) && options.start_address.empty();
  if (first.empty()) {
    return !codes.any_text() ? BinOutcome::kNoText
           : no_address      ? BinOutcome::kNoStartAddress
                             : BinOutcome::kNothingDisplayable;
  }
  if (no_address) return BinOutcome::kNoStartAddress;
  return write(first);
}

BinOutcome WriteCodes(const fs::path& path, CodeReader& codes,
                      const BinOptions& options,
                      const AppendPastEndQuestion& ask, std::error_code* reason,
                      const WriteOptions& write = {}) {
  std::error_code ignored;
  if (reason == nullptr) reason = &ignored;
  return WithFirstCode(codes, options, [&](std::string_view first) {
    return options.SaveFile == 1
               ? WriteExistingFile(path, first, codes, options, ask, reason)
               : WriteNewFile(path, first, codes, reason, write);
  });
}

CleanOptions CleaningOf(const BinOptions& options) {
  return {options.DelSpace, options.CountSpace, options.DelErrSunmol};
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
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason,
                              const WriteOptions& write) {
  StringTextReader reader(text);
  return StartBinConversion(path, reader, options, ask, reason, write);
}

BinOutcome StartBinConversion(const fs::path& path, TextReader& text,
                              const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason,
                              const WriteOptions& write) {
  if (path.empty()) return BinOutcome::kNoPath;
  try {
    CodeReader codes(&text, true, CleaningOf(options));
    return WriteCodes(path, codes, options, ask, reason, write);
  } catch (const std::bad_alloc&) {
    return BinOutcome::kOutOfMemory;
  }
}

BinOutcome StartBinConversion(TextReader& text, const BinOptions& options,
                              const BinSink& sink) {
  BinOptions new_file = options;
  new_file.SaveFile = 0;
  try {
    CodeReader codes(&text, true, CleaningOf(options));
    return WithFirstCode(codes, new_file, [&](std::string_view first) {
      std::uint64_t count = 0;
      if (WriteCodeStream(first, codes, sink, &count)) {
        return BinOutcome::kSuccess;
      }
      return codes.failed() ? BinOutcome::kTextUnreadable
                            : BinOutcome::kWriteFailed;
    });
  } catch (const std::bad_alloc&) {
    return BinOutcome::kOutOfMemory;
  }
}

BinOutcome ConvertToBin(const fs::path& path, std::string prepared,
                        const BinOptions& options,
                        const AppendPastEndQuestion& ask,
                        std::error_code* reason) {
  if (NeedsStartAddress(options) && options.start_address.empty()) {
    return BinOutcome::kNoStartAddress;
  }
  // No character at all gives no code either.
  if (prepared.empty()) return BinOutcome::kNothingDisplayable;
  try {
    StringTextReader reader(prepared);
    CodeReader codes(&reader, false, CleanOptions{});
    return WriteCodes(path, codes, options, ask, reason);
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
    case BinOutcome::kBusy:
      return {Icon::kError, "Ошибка",
              QuotedPath("Не удалось записать файл ", path) + "\n" +
                  make_error_code(FileErrc::kLockTimeout).message()};
    case BinOutcome::kTextUnreadable:
      return {Icon::kError, "Ошибка",
              "Не удалось прочитать преобразуемый текст.\n"
              "Файл остался прежним."};
  }
  return {};
}

}  // namespace trulvex
