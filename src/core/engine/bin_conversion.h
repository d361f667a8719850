#ifndef TRULVEX_CORE_ENGINE_BIN_CONVERSION_H_
#define TRULVEX_CORE_ENGINE_BIN_CONVERSION_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/base/atomic_file.h"
#include "core/base/text_reader.h"
#include "core/base/user_message.h"

namespace trulvex {

// The options of the BIN conversion, as its window shows them.
struct BinOptions {
  int DelErrSunmol = 0;  // delete undisplayable characters
  int DelSpace = 0;      // delete surplus spaces
  int CountSpace = 2;    // longest run of spaces kept whole
  int SaveFile = 0;      // 0 new file, 1 existing file
  int AddFile = 0;       // 0 at the end, 1 at the start address
  int AsAddFile = 0;     // 0 insert, 1 replace
  // The start address field's text: decimal digits, read up to the first
  // non-digit; may be empty.
  std::string start_address;
};

enum class BinOutcome {
  kSuccess,
  kNoPath,
  kNoText,
  kNoStartAddress,
  kOutOfMemory,
  kNothingDisplayable,
  kCreateFailed,
  kOpenFailed,
  kNotConverted,  // the user declined to append past the end
  kWriteFailed,
  kTextUnreadable,  // the text's source failed while it was read
  kBusy,            // another writer kept the file's lock; nothing was written
};

// Asked when the start address is at or past the end of the file: true
// appends the bytes at the end instead.
using AppendPastEndQuestion = std::function<bool(const UserMessage&)>;

// Checks the request, flattens and cleans `text` (code page 1251) as the
// options say and writes its display codes into the file at `path`. The
// text is read once, chunk by chunk: the file is first touched when the
// first code is known, and stays as it was when anything fails. When the
// file cannot be made, opened or written, `reason` (if given) receives the
// system's error. `write` says how a new file that is a FIFO is opened (a
// window must not wait for a reader); an existing file to change must be
// a regular one.
BinOutcome StartBinConversion(const std::filesystem::path& path,
                              std::string text, const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason = nullptr,
                              const WriteOptions& write = {});
BinOutcome StartBinConversion(const std::filesystem::path& path,
                              TextReader& text, const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason = nullptr,
                              const WriteOptions& write = {});

// Where the codes go when they go to no file (standard output): true while
// the bytes were taken.
using BinSink = std::function<bool(std::string_view)>;

// The same as a new file would receive, handed to `sink` piece by piece;
// the file options (SaveFile and after) have no meaning here.
BinOutcome StartBinConversion(TextReader& text, const BinOptions& options,
                              const BinSink& sink);

// Writes the display codes of an already prepared text.
BinOutcome ConvertToBin(const std::filesystem::path& path, std::string prepared,
                        const BinOptions& options,
                        const AppendPastEndQuestion& ask,
                        std::error_code* reason = nullptr);

// The value of the start address field: its leading decimal digits.
std::uint64_t ParseStartAddress(std::string_view field);

// The question asked before appending past the end of the file.
UserMessage BinPastEndQuestion();

// What the user is told about an outcome; `path` in UTF-8.
UserMessage BinOutcomeMessage(BinOutcome outcome, std::string_view path);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_BIN_CONVERSION_H_
