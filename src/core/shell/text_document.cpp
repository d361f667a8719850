#include "core/shell/text_document.h"

#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "core/base/atomic_file.h"
#include "core/base/error_reason.h"
#include "core/base/open_file.h"
#include "core/base/regular_file.h"
#include "core/base/version.h"

namespace trulvex {

LineEnd DominantLineEnd(std::string_view text) {
  std::size_t cr_lf = 0;
  std::size_t lf = 0;
  std::size_t cr = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lf;
    } else if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        ++cr_lf;
        ++i;
      } else {
        ++cr;
      }
    }
  }
  if (cr_lf >= lf && cr_lf >= cr) return LineEnd::kCrLf;
  return lf >= cr ? LineEnd::kLf : LineEnd::kCr;
}

DecodedDocument DecodeDocument(std::string_view bytes) {
  DecodedDocument document;
  // The line ends are the same bytes in either encoding.
  document.line_end = DominantLineEnd(bytes);
  if (DetectEncoding(bytes) == TextEncoding::kUtf8) {
    document.encoding = TextEncoding::kUtf8;
    document.bom = bytes.starts_with(kUtf8Bom);
    document.utf8.assign(bytes.substr(document.bom ? kUtf8Bom.size() : 0));
    return document;
  }
  document.utf8 = Cp1251ToUtf8(bytes);
  return document;
}

EncodedDocument EncodeDocument(std::string_view utf8, TextEncoding encoding,
                               bool bom) {
  EncodedDocument encoded;
  if (encoding == TextEncoding::kUtf8) {
    if (bom) encoded.bytes.assign(kUtf8Bom);
    encoded.bytes.append(utf8);
    return encoded;
  }
  // The user was told '?', not Utf8ToCp1251's stand-in byte 0x98.
  encoded.bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8Char(utf8, i, &cp);
    const auto byte = length == 0 ? std::nullopt : UnicodeToCp1251(cp);
    const std::size_t taken = length == 0 ? 1 : length;
    if (byte) {
      encoded.bytes.push_back(static_cast<char>(*byte));
    } else {
      encoded.bytes.push_back('?');
      encoded.unmappable.push_back({i, taken});
    }
    i += taken;
  }
  return encoded;
}

std::string WithDefaultExtension(std::string name) {
  const std::size_t dot = name.rfind('.');
  const bool has_extension =
      dot != std::string::npos && dot + 1 < name.size() &&
      name.find_first_of("/\\", dot) == std::string::npos;
  if (!has_extension) name += ".txt";
  return name;
}

std::string StartingFolder(std::string_view recent_entry) {
  const std::size_t separator = recent_entry.find_last_of("/\\");
  if (separator == std::string_view::npos) return {};
  return std::string(recent_entry.substr(0, separator + 1));
}

bool ReadTextFile(const std::filesystem::path& path, std::string* bytes,
                  std::error_code* error, std::uint64_t max_bytes) {
  return ReadRegularFile(path, bytes, error, max_bytes);
}

bool WriteTextFile(const std::filesystem::path& path, std::string_view bytes) {
  // A FIFO without a reader fails at once: a window must not wait on it.
  const std::unique_ptr<AtomicFileWriter> writer =
      AtomicFileWriter::Begin(path, nullptr, {.wait_for_reader = false});
  return writer && writer->Write(bytes) && writer->Commit();
}

UserMessage OpenFailedMessage(std::string_view path, std::error_code reason) {
  std::string text = "Не удалось открыть файл\n" + std::string(path);
  if (reason) text += "\n" + ErrorReason(reason);
  return {UserMessage::Icon::kError, "Ошибка", text};
}

UserMessage OutOfMemoryMessage() {
  return {UserMessage::Icon::kError, "Ошибка",
          "Недостаточно памяти для выполнения команды.\n"
          "Текст в редакторе не изменён."};
}

UserMessage SaveFailedMessage(std::string_view path) {
  return {UserMessage::Icon::kError, "Ошибка",
          "Не удалось сохранить файл\n" + std::string(path)};
}

UserMessage SaveChangesQuestion() {
  return {UserMessage::Icon::kWarning, kProgramTitle,
          "Текст в файле был модифицирован.\nСохранить его?"};
}

UserMessage UnmappableSaveQuestion() {
  return {UserMessage::Icon::kWarning, kProgramTitle,
          "Текст содержит символы, которых нет в кодовой странице 1251.\n"
          "Сохранить его целиком в кодировке UTF-8\n"
          "или записать эти символы как «?»?"};
}

}  // namespace trulvex
