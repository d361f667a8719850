#include "cli/messages.h"

#include <cstdio>

#include "core/base/atomic_file.h"
#include "core/base/error_reason.h"
#include "core/base/open_file.h"
#include "core/base/path_bytes.h"

namespace trulvex::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "trulvex-cli: ";

// The bytes of a capital letter in UTF-8 and of its small form; Latin and
// Cyrillic are all the converter's messages use.
bool IsCapital(std::string_view text) {
  if (text.empty()) return false;
  const auto c0 = static_cast<unsigned char>(text[0]);
  if (c0 >= 'A' && c0 <= 'Z') return true;
  if (c0 != 0xD0 || text.size() < 2) return false;
  const auto c1 = static_cast<unsigned char>(text[1]);
  return c1 == 0x81 || (c1 >= 0x90 && c1 <= 0xAF);  // Ё, А..Я
}

std::size_t CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  return static_cast<unsigned char>(text[0]) < 0x80 ? 1 : 2;
}

void MakeFirstLetterSmall(std::string* text) {
  const std::string_view view = *text;
  // A word in capitals (BIN, UTF-8) stays as it is.
  if (!IsCapital(view) || IsCapital(view.substr(CharacterLength(view)))) {
    return;
  }
  auto& c0 = (*text)[0];
  if (static_cast<unsigned char>(c0) < 0x80) {
    c0 = static_cast<char>(c0 + ('a' - 'A'));
    return;
  }
  auto& c1 = (*text)[1];
  const auto second = static_cast<unsigned char>(c1);
  if (second == 0x81) {  // Ё -> ё
    c0 = static_cast<char>(0xD1);
    c1 = static_cast<char>(0x91);
  } else if (second < 0xA0) {  // А..П -> а..п
    c1 = static_cast<char>(second + 0x20);
  } else {  // Р..Я -> р..я
    c0 = static_cast<char>(0xD1);
    c1 = static_cast<char>(second - 0x20);
  }
}

void WriteLine(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// A file that may not even be read is forbidden, not read-only.
bool IsReadableReadOnlyFile(const fs::path& path) {
  if (!IsReadOnlyFile(path)) return false;
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return true;
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::string OneLine(std::string_view text) {
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\r')) {
      piece.remove_prefix(1);
    }
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\r')) {
      piece.remove_suffix(1);
    }
    if (!piece.empty()) {
      if (!line.empty()) line += ' ';
      line += piece;
    }
    start = end + 1;
  }
  if ((line.ends_with('.') && !line.ends_with("..")) || line.ends_with('!')) {
    line.pop_back();
  }
  MakeFirstLetterSmall(&line);
  return line;
}

std::string FileFailure(std::string_view action, const fs::path& path,
                        std::error_code reason) {
  std::string text(action);
  text += " \"";
  text += PathBytes(path);
  text += '"';
  if (reason == std::errc::permission_denied && IsReadableReadOnlyFile(path)) {
    return text + ": файл только для чтения";
  }
  if (reason) text += ": " + ErrorReason(reason);
  return text;
}

std::string CreateFailure(const fs::path& path, std::error_code reason) {
  const std::string quoted = "не удалось создать \"" + PathBytes(path) + "\"";
  if (reason == std::errc::no_such_file_or_directory) {
    return quoted + ": нет такого каталога";
  }
  return FileFailure("не удалось создать", path, reason);
}

std::string WriteFailureMessage(const fs::path& path, std::error_code reason) {
  std::string text = FileFailure("не удалось записать", path, reason);
  std::error_code error;
  if (fs::is_regular_file(path, error)) text += "; файл остался прежним";
  return text;
}

void PrintError(const Streams& streams, std::string_view text) {
  WriteLine(streams.err, std::string(kPrefix) + OneLine(text));
}

void PrintWarning(const Streams& streams, std::string_view text) {
  WriteLine(streams.err,
            std::string(kPrefix) + "предупреждение: " + OneLine(text));
}

void PrintStatus(const Streams& streams, bool quiet, std::string_view text) {
  if (!quiet) WriteLine(streams.err, text);
}

std::error_code ReadFailure(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error) return error;
  if (fs::is_directory(status)) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return LastSystemError();
  std::fclose(file);
  return {};
}

std::error_code WriteFailure(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  if (IsReadOnlyFile(path)) {
    return std::make_error_code(std::errc::permission_denied);
  }
  fs::path directory = path.parent_path();
  if (directory.empty()) directory = ".";
  const fs::file_status status = fs::status(directory, error);
  if (!fs::exists(status)) {
    return std::make_error_code(std::errc::no_such_file_or_directory);
  }
  if (!fs::is_directory(status)) {
    return std::make_error_code(std::errc::not_a_directory);
  }
  return {};
}

}  // namespace trulvex::cli
