#ifndef TRULVEX_CORE_ENGINE_CONVERSION_RUN_H_
#define TRULVEX_CORE_ENGINE_CONVERSION_RUN_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/base/text_reader.h"
#include "core/engine/profile_record.h"

namespace trulvex {

// Watches a run that is not quiet: shows its progress and may stop it.
class ConversionObserver {
 public:
  virtual ~ConversionObserver() = default;
  // Progress runs from 0 to `maximum`, the text length before preparation
  // (0 when unknown); values above it are clipped by whoever shows them.
  virtual void Started(std::uint64_t maximum) = 0;
  // Told each time the run passes another thousandth of `maximum` (64 KiB
  // of text when it is unknown) and when it reaches the end, with the value
  // it would show after the last character written.
  virtual void Progressed(std::uint64_t value) = 0;
  // Asked after each data line but the last, and within a data line of
  // thousands of numbers between two blocks of them; true ends the run
  // there.
  virtual bool StopRequested() = 0;
};

// Takes the table in order, chunk by chunk; false means it could not be
// stored and ends the run.
using TableSink = std::function<bool(std::string_view chunk)>;

enum class RunStatus {
  kCompleted,
  kStopped,       // the observer asked to stop; the output so far was sent
  kTooLarge,      // the table would exceed the output limit; nothing sent
  kOutputFailed,  // the sink refused a chunk
  kInputFailed,   // the text could not be read to its end
};

struct RunLimits {
  // The largest table the run may produce; a larger one is refused before
  // anything is written. The default suits a table held in memory.
  std::uint64_t max_output_bytes = std::uint64_t{1} << 31;
  // The output is handed to the sink in chunks of about this size.
  std::size_t chunk_bytes = std::size_t{1} << 20;
};

// Prepares `text` (code page 1251) with the options of `profile` and sends
// its source table to `sink` as it reads it: memory in use is a fixed
// buffer and one line piece, however long the text. The run is quiet (no
// progress, no stop checks) when `observer` is null or the profile is a
// preview. A table over the limit is refused before anything is sent when
// the text's length shows it cannot exceed the limit or the text can be
// read twice to measure it; a text read only once (a pipe) is stopped
// with kTooLarge as soon as what was read exceeds it.
RunStatus RunConversion(TextReader& text, const ProfileRecord& profile,
                        ConversionObserver* observer, const TableSink& sink,
                        const RunLimits& limits = {});
RunStatus RunConversion(std::string text, const ProfileRecord& profile,
                        ConversionObserver* observer, const TableSink& sink,
                        const RunLimits& limits = {});

struct TableResult {
  std::string table;
  RunStatus status;
};

// The whole table in memory: what the result editor and the preview show.
TableResult ConvertToTable(std::string text, const ProfileRecord& profile,
                           ConversionObserver* observer = nullptr,
                           const RunLimits& limits = {});

// An upper bound of the table's size for a prepared text, saturating at
// the largest 64-bit value.
std::uint64_t TableSizeBound(std::string_view prepared,
                             const ProfileRecord& profile);

// The text as the run prepares it: flattened when `CountByte` is above 0,
// then cleaned when a deletion option is on.
std::string PrepareTableText(std::string text, const ProfileRecord& profile);

}  // namespace trulvex

#endif  // TRULVEX_CORE_ENGINE_CONVERSION_RUN_H_
