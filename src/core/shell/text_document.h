#ifndef TRULVEX_CORE_SHELL_TEXT_DOCUMENT_H_
#define TRULVEX_CORE_SHELL_TEXT_DOCUMENT_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/base/cp1251.h"
#include "core/base/user_message.h"

namespace trulvex {

// The line end new lines of a text take.
enum class LineEnd { kCrLf, kLf, kCr };

// The line end most lines of `text` end with; CR LF, the line end of the
// program's tables and of the toolchains it serves, for a text without line
// ends and on a tie.
LineEnd DominantLineEnd(std::string_view text);

// A text file's bytes as the editors hold them (UTF-8), with what is needed
// to write the very same bytes back and to go on in the same way.
struct DecodedDocument {
  std::string utf8;
  TextEncoding encoding = TextEncoding::kCp1251;
  bool bom = false;
  LineEnd line_end = LineEnd::kCrLf;
};

// The encoding DetectEncoding finds; a UTF-8 document keeps its mark apart,
// so that no byte is lost.
DecodedDocument DecodeDocument(std::string_view bytes);

// A stretch of the editor's UTF-8 text, in bytes.
struct TextSpan {
  std::size_t offset;
  std::size_t length;
  bool operator==(const TextSpan&) const = default;
};

struct EncodedDocument {
  std::string bytes;
  // Characters code page 1251 cannot hold, written as '?': where they
  // stand in the editor's text, so that it can show what the file holds.
  std::vector<TextSpan> unmappable;
};

// The editor's UTF-8 text as the bytes of a file in `encoding`; `bom`
// writes the UTF-8 mark first (ignored for code page 1251).
EncodedDocument EncodeDocument(std::string_view utf8, TextEncoding encoding,
                               bool bom);

// Appends ".txt" when the name has no extension: nothing after its last
// dot, or a "/" or "\" after it ("notes." becomes "notes..txt").
std::string WithDefaultExtension(std::string name);

// Where the file dialogs start: the recent entry up to and including its
// last "/" or "\"; empty (the dialog's own default) when it has none.
std::string StartingFolder(std::string_view recent_entry);

// The largest file the source editor opens: it holds the text as UTF-8
// (up to three bytes a character) with a style byte each, and its positions
// must stay within 31 bits.
inline constexpr std::uint64_t kMaxDocumentBytes = std::uint64_t{128} << 20;

// Reads a whole regular file of at most `max_bytes`; false, with `error`
// saying why, when it is something else (refused before reading, see
// OpenRegularFile), cannot be read, or does not fit in memory.
bool ReadTextFile(const std::filesystem::path& path, std::string* bytes,
                  std::error_code* error = nullptr,
                  std::uint64_t max_bytes = kMaxDocumentBytes);

// Replaces the file in one step; on failure the old file stays whole.
bool WriteTextFile(const std::filesystem::path& path, std::string_view bytes);

// The messages of the document commands; `path` is UTF-8. The reason, when
// known, follows on a line of its own.
UserMessage OpenFailedMessage(std::string_view path,
                              std::error_code reason = {});
// Memory ran out during a command; the text stays as it was.
UserMessage OutOfMemoryMessage();
UserMessage SaveFailedMessage(std::string_view path);
// The save question before the source text is discarded: Yes, No, Cancel.
UserMessage SaveChangesQuestion();
// Asked before a text with characters code page 1251 cannot hold is saved
// in that code page: save it whole as UTF-8 instead, write "?" for them, or
// cancel.
UserMessage UnmappableSaveQuestion();

}  // namespace trulvex

#endif  // TRULVEX_CORE_SHELL_TEXT_DOCUMENT_H_
