// The table run with a profile and a text from the input. Whatever the
// profile, every line of the table ends with CR LF, the numbers written are
// exactly the displayable characters, the run that shows progress writes
// the same table as the quiet one, and so does a run over the text handed
// over in chunks of uneven sizes from one byte up, its length known or not.
#include <algorithm>
#include <optional>
#include <string>

#include "core/engine/code_mapping.h"
#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"
#include "core/engine/source_table.h"
#include "core/engine/text_preparation.h"
#include "fuzz/fuzz_support.h"

namespace {

using trulvex::ProfileRecord;
using trulvex::fuzz::ChunkedReader;
using trulvex::fuzz::StorableText;

class Watcher : public trulvex::ConversionObserver {
 public:
  void Started(std::uint64_t) override {}
  void Progressed(std::uint64_t) override {}
  bool StopRequested() override { return false; }
};

bool LinesEndWithCrLf(const std::string& table) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i] == '\r' && (i + 1 == table.size() || table[i + 1] != '\n')) {
      return false;
    }
    if (table[i] == '\n' && (i == 0 || table[i - 1] != '\r')) return false;
  }
  return table.empty() || table.ends_with("\r\n");
}

// The displayable characters of the prepared text, piece by piece as lines
// are cut (a line break in a piece is written as a space).
std::size_t Displayable(const std::string& prepared,
                        const ProfileRecord& profile) {
  if (profile.CountByte > 0) return trulvex::MapToLcdCodes(prepared).size();
  std::size_t count = 0;
  for (std::size_t offset = 0; offset < prepared.size();) {
    const std::string_view raw =
        trulvex::NextLinePiece(prepared, offset, profile.CountByte, 0);
    if (raw.empty()) break;
    count += trulvex::MapToLcdCodes(trulvex::NormalizePiece(raw)).size();
    offset += raw.size();
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes,
                                      std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  ProfileRecord profile;
  // Small indents and lengths mostly, any value sometimes.
  const auto small_or_any = [&data](std::int32_t small) {
    return data.ConsumeBool() ? data.ConsumeIntegralInRange(-2, small)
                              : data.ConsumeIntegral<std::int32_t>();
  };
  profile.Ost1 = small_or_any(16);
  profile.Ost2 = small_or_any(16);
  profile.SI = data.ConsumeIntegralInRange(-1, 3);
  profile.CountByte = small_or_any(40);
  profile.CountByteToComment = data.ConsumeIntegralInRange(0, 2);
  profile.CommentState = data.ConsumeIntegralInRange(0, 2);
  profile.PerenosPoSlovam = data.ConsumeIntegralInRange(0, 2);
  profile.DeleteSumbolError = data.ConsumeIntegralInRange(0, 2);
  profile.DeleteSpace = data.ConsumeIntegralInRange(0, 2);
  profile.CountSpace = data.ConsumeIntegral<std::uint8_t>();
  profile.Directive = StorableText(data, 12);
  profile.StartDataBlok = StorableText(data, 12);
  profile.EndDataBlok = StorableText(data, 12);
  profile.StartData = StorableText(data, 8);
  profile.EndData = StorableText(data, 8);
  profile.RazdelitelData = StorableText(data, 8);
  profile.Comment = StorableText(data, 8);
  const std::size_t chunk_seed = data.ConsumeIntegral<std::uint16_t>();
  const std::string text = data.ConsumeRemainingBytesAsString();

  trulvex::RunLimits limits;
  limits.max_output_bytes = std::uint64_t{1} << 24;
  limits.chunk_bytes = 1 << 12;  // many chunks even for short tables
  const trulvex::TableResult quiet =
      trulvex::ConvertToTable(text, profile, nullptr, limits);
  if (quiet.status == trulvex::RunStatus::kTooLarge) return 0;
  FUZZ_CHECK(quiet.status == trulvex::RunStatus::kCompleted);
  FUZZ_CHECK(LinesEndWithCrLf(quiet.table));

  Watcher watcher;
  const trulvex::TableResult watched =
      trulvex::ConvertToTable(text, profile, &watcher, limits);
  FUZZ_CHECK(watched.status == trulvex::RunStatus::kCompleted);
  FUZZ_CHECK(watched.table == quiet.table);

  for (const bool once : {false, true}) {
    ChunkedReader reader(text, chunk_seed, once);
    std::string chunked;
    const trulvex::RunStatus status = trulvex::RunConversion(
        reader, profile, chunk_seed % 2 == 0 ? nullptr : &watcher,
        [&chunked](std::string_view chunk) {
          chunked.append(chunk);
          return true;
        },
        limits);
    FUZZ_CHECK(status == trulvex::RunStatus::kCompleted);
    FUZZ_CHECK(chunked == quiet.table);
  }

  // The vector writer writes what the portable one writes.
  const std::string prepared = trulvex::PrepareTableText(text, profile);
  const std::size_t length =
      static_cast<std::size_t>(std::max<std::int32_t>(profile.CountByte, 1));
  if (length <= 4096) {
    const auto written = [&](const trulvex::TableLayout& layout) {
      std::string out(layout.PieceRoom(length) * (prepared.size() / length + 1),
                      '\0');
      out.resize(static_cast<std::size_t>(
          layout.WritePieces(prepared, length, out.data()) - out.data()));
      return out;
    };
    FUZZ_CHECK(written(trulvex::TableLayout(profile)) ==
               written(trulvex::TableLayout(profile, false)));
  }

  // The same profile with markers around each number, nothing else around
  // them, counts the numbers.
  ProfileRecord marked = profile;
  marked.Directive = marked.StartDataBlok = marked.EndDataBlok = "";
  marked.RazdelitelData = marked.Comment = "";
  marked.StartData = "<";
  marked.EndData = ">";
  marked.CommentState = 0;
  const trulvex::TableResult counted =
      trulvex::ConvertToTable(text, marked, nullptr, limits);
  if (counted.status == trulvex::RunStatus::kTooLarge) return 0;
  FUZZ_CHECK(counted.status == trulvex::RunStatus::kCompleted);
  const std::size_t numbers = static_cast<std::size_t>(
      std::count(counted.table.begin(), counted.table.end(), '<'));
  FUZZ_CHECK(numbers ==
             Displayable(trulvex::PrepareTableText(text, profile), profile));
  return 0;
}
