#ifndef TRULVEX_ENGINE_BIN_CONVERSION_H_
#define TRULVEX_ENGINE_BIN_CONVERSION_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "app/user_message.h"
#include "engine/code_mapping.h"

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
};

// Asked when the start address is at or past the end of the file: true
// appends the bytes at the end instead.
using AppendPastEndQuestion = std::function<bool(const UserMessage&)>;

// Checks the request, flattens and cleans `text` (code page 1251) as the
// options say and writes its display codes into the file at `path`.
BinOutcome StartBinConversion(const std::filesystem::path& path,
                              std::string text, const BinOptions& options,
                              const AppendPastEndQuestion& ask);

// Writes the display codes of an already prepared text.
BinOutcome ConvertToBin(const std::filesystem::path& path,
                        std::string prepared, const BinOptions& options,
                        const AppendPastEndQuestion& ask);

// The value of the start address field: its leading decimal digits.
std::uint64_t ParseStartAddress(std::string_view field);

// The question asked before appending past the end of the file.
UserMessage BinPastEndQuestion();

// What the user is told about an outcome; `path` in UTF-8.
UserMessage BinOutcomeMessage(BinOutcome outcome, std::string_view path);

}  // namespace trulvex

#endif  // TRULVEX_ENGINE_BIN_CONVERSION_H_
