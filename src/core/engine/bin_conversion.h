#ifndef TRULVEX_CORE_ENGINE_BIN_CONVERSION_H_
#define TRULVEX_CORE_ENGINE_BIN_CONVERSION_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/base/user_message.h"
#include "core/engine/code_mapping.h"

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

// A text handed over piece by piece, so that a large file need not sit in
// memory whole. It may be read more than once.
class TextChunks {
 public:
  virtual ~TextChunks() = default;
  // Starts again from the first piece; false when the text cannot be read.
  virtual bool Rewind() = 0;
  // The next piece; empty at the end of the text or when reading failed.
  virtual std::string_view Next() = 0;
  virtual bool failed() const = 0;
};

// A text in memory, handed over in pieces of a bounded size.
class StringChunks : public TextChunks {
 public:
  explicit StringChunks(std::string_view text) : text_(text) {}
  bool Rewind() override {
    offset_ = 0;
    return true;
  }
  std::string_view Next() override;
  bool failed() const override { return false; }

 private:
  std::string_view text_;
  std::size_t offset_ = 0;
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
};

// Asked when the start address is at or past the end of the file: true
// appends the bytes at the end instead.
using AppendPastEndQuestion = std::function<bool(const UserMessage&)>;

// Checks the request, flattens and cleans `text` (code page 1251) as the
// options say and writes its display codes into the file at `path`. When
// the file cannot be made, opened or written, `reason` (if given) receives
// the system's error.
BinOutcome StartBinConversion(const std::filesystem::path& path,
                              std::string text, const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason = nullptr);
BinOutcome StartBinConversion(const std::filesystem::path& path,
                              TextChunks& text, const BinOptions& options,
                              const AppendPastEndQuestion& ask,
                              std::error_code* reason = nullptr);

// Where the codes go when they go to no file (standard output): true while
// the bytes were taken.
using BinSink = std::function<bool(std::string_view)>;

// The same as a new file would receive, handed to `sink` piece by piece;
// the file options (SaveFile and after) have no meaning here.
BinOutcome StartBinConversion(TextChunks& text, const BinOptions& options,
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
