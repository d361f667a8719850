#include "core/engine/conversion_run.h"

#include <algorithm>
#include <limits>

#include "core/engine/char_map.h"
#include "core/engine/output_buffer.h"
#include "core/engine/source_table.h"
#include "core/engine/text_preparation.h"

namespace trulvex {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t SatAdd(std::uint64_t a, std::uint64_t b) {
  return a > kMax - b ? kMax : a + b;
}

std::uint64_t SatMul(std::uint64_t a, std::uint64_t b) {
  return (a != 0 && b > kMax / a) ? kMax : a * b;
}

// A hand-edited profile may hold a negative `CountByte`; it cuts like 0.
std::int32_t EffectiveCountByte(const ProfileRecord& profile) {
  return std::max<std::int32_t>(profile.CountByte, 0);
}

// Characters handed to the table writer at once between two flushes.
constexpr std::size_t kQuietBlock = 1 << 16;

// The head of a data line is built once per run; beyond this size it would
// only be good for exhausting memory.
constexpr std::uint64_t kMaxHeadBytes = std::uint64_t{256} << 20;

std::uint64_t Width(std::int32_t indent) {
  return indent > 0 ? static_cast<std::uint64_t>(indent) : 0;
}

std::uint64_t HeadLength(const ProfileRecord& profile) {
  return Width(profile.Ost1) + profile.Directive.size() + Width(profile.Ost2) +
         profile.StartDataBlok.size();
}

// Only checked texts reach here: the layout materialises the line head.
class Run {
 public:
  Run(const ProfileRecord& profile, ConversionObserver* observer,
      const TableSink& sink, const RunLimits& limits)
      : profile_(profile),
        layout_(profile),
        observer_(observer),
        sink_(sink),
        limits_(limits) {}

  RunStatus Execute(const std::string& text) {
    const std::int32_t count_byte = EffectiveCountByte(profile_);
    // Flattening leaves no tab or line break, so pieces need no normalising.
    const bool normalize = count_byte == 0;
    // Without word wrap every piece but the last has `CountByte` characters.
    const bool fixed_length = count_byte > 0 && profile_.PerenosPoSlovam != 1;
    const std::string_view all = text;
    std::size_t offset = 0;
    if (fixed_length && observer_ == nullptr &&
        static_cast<std::size_t>(count_byte) <= kQuietBlock) {
      // Whole batches of pieces at once: the common case, and the fast one.
      const auto length = static_cast<std::size_t>(count_byte);
      // As many pieces as fill about one chunk of output.
      const std::size_t pieces_per_batch = std::clamp<std::size_t>(
          limits_.chunk_bytes / layout_.PieceRoom(length), 1,
          kQuietBlock / length + 1);
      const std::size_t batch = pieces_per_batch * length;
      for (; offset < all.size(); offset += batch) {
        const std::string_view stretch = all.substr(offset, batch);
        const std::size_t pieces = (stretch.size() + length - 1) / length;
        char* dst = out_.Reserve(pieces * layout_.PieceRoom(length));
        out_.CommitTo(layout_.WritePieces(stretch, length, dst));
        if (!FlushIfFull()) return RunStatus::kOutputFailed;
      }
    }
    std::string normalized;
    while (offset < all.size()) {
      const std::string_view raw =
          fixed_length
              ? all.substr(offset, static_cast<std::size_t>(count_byte))
              : NextLinePiece(all, offset, count_byte,
                              profile_.PerenosPoSlovam);
      std::string_view piece = raw;
      if (normalize) {
        NormalizePiece(raw, &normalized);
        piece = normalized;
      }
      if (piece.empty()) break;
      if (observer_ == nullptr && piece.size() <= kQuietBlock) {
        char* dst = out_.Reserve(layout_.PieceRoom(piece.size()));
        out_.CommitTo(layout_.WritePiece(piece, dst));
        if (!FlushIfFull()) return RunStatus::kOutputFailed;
        offset += raw.size();
        continue;
      }
      layout_.AppendCommentLine(piece, &out_);
      out_.Append(layout_.head());
      std::uint64_t count = 0;
      if (observer_ == nullptr) {
        for (std::size_t k = 0; k < piece.size(); k += kQuietBlock) {
          const std::string_view block = piece.substr(k, kQuietBlock);
          count += layout_.AppendNumbers(
              block, k + block.size() == piece.size(), &out_);
          if (!FlushIfFull()) return RunStatus::kOutputFailed;
        }
      } else {
        // Room is taken a block at a time, so that the work per character
        // is the number, the progress and the stop check.
        constexpr std::size_t kWatchedBlock = 4096;
        for (std::size_t start = 0; start < piece.size();
             start += kWatchedBlock) {
          const std::size_t end = std::min(piece.size(), start + kWatchedBlock);
          char* dst = out_.Reserve(layout_.PieceRoom(end - start));
          for (std::size_t k = start; k < end; ++k) {
            const bool last = k + 1 == piece.size();
            const auto c = static_cast<std::uint8_t>(piece[k]);
            dst = layout_.WriteOne(c, !last, dst);
            count += IsDisplayable(c);
            observer_->Progressed(offset + k + 3);
            if (!last && observer_->StopRequested()) {
              out_.CommitTo(dst);
              return Flush() ? RunStatus::kStopped : RunStatus::kOutputFailed;
            }
          }
          out_.CommitTo(dst);
          if (!FlushIfFull()) return RunStatus::kOutputFailed;
        }
      }
      layout_.AppendTail(count, &out_);
      if (!FlushIfFull()) return RunStatus::kOutputFailed;
      offset += raw.size();
      // Pieces of one character have no check between their numbers; a
      // check after every data line keeps any run stoppable.
      if (observer_ != nullptr && offset < all.size() &&
          observer_->StopRequested()) {
        return Flush() ? RunStatus::kStopped : RunStatus::kOutputFailed;
      }
    }
    return Flush() ? RunStatus::kCompleted : RunStatus::kOutputFailed;
  }

 private:
  bool FlushIfFull() { return out_.size() < limits_.chunk_bytes || Flush(); }
  bool Flush() {
    if (out_.empty()) return true;
    const bool stored = sink_(out_.view());
    out_.clear();
    return stored;
  }

  const ProfileRecord& profile_;
  const TableLayout layout_;
  ConversionObserver* const observer_;
  const TableSink& sink_;
  const RunLimits limits_;
  OutputBuffer out_;
};

}  // namespace

std::string PrepareTableText(std::string text, const ProfileRecord& profile) {
  if (EffectiveCountByte(profile) > 0) text = FlattenText(std::move(text));
  if (profile.DeleteSpace == 1 || profile.DeleteSumbolError == 1) {
    text = CleanText(std::move(text), profile.DeleteSpace, profile.CountSpace,
                     profile.DeleteSumbolError);
  }
  return text;
}

std::uint64_t TableSizeBound(std::string_view prepared,
                             const ProfileRecord& profile) {
  const std::uint64_t length = prepared.size();
  const std::int32_t count_byte = EffectiveCountByte(profile);
  std::uint64_t pieces;
  if (count_byte == 0) {
    pieces = 1 + static_cast<std::uint64_t>(std::count_if(
                     prepared.begin(), prepared.end(),
                     [](char c) { return c == '\n' || c == '\r'; }));
  } else if (profile.PerenosPoSlovam == 1) {
    // Every piece but the last is longer than `CountByte`.
    pieces = length / (static_cast<std::uint64_t>(count_byte) + 1) + 1;
  } else {
    pieces = length / static_cast<std::uint64_t>(count_byte) + 1;
  }
  const std::uint64_t comment = profile.Comment.size();
  // Head, EndDataBlok, the byte count (" ", Comment, up to 20 digits), CR LF
  // and the comment line around the piece's text.
  const std::uint64_t per_piece = HeadLength(profile) +
                                  profile.EndDataBlok.size() + 1 + comment +
                                  20 + 2 + comment + 2;
  const std::uint64_t per_char = profile.StartData.size() + 8 +
                                 profile.EndData.size() +
                                 profile.RazdelitelData.size() + 1;
  return SatAdd(SatMul(pieces, per_piece), SatMul(length, per_char));
}

RunStatus RunConversion(std::string text, const ProfileRecord& profile,
                        ConversionObserver* observer, const TableSink& sink,
                        const RunLimits& limits) {
  if (profile.IsPreview != 0) observer = nullptr;
  if (observer != nullptr) observer->Started(text.size());
  text = PrepareTableText(std::move(text), profile);
  if (HeadLength(profile) > kMaxHeadBytes ||
      TableSizeBound(text, profile) > limits.max_output_bytes) {
    return RunStatus::kTooLarge;
  }
  return Run(profile, observer, sink, limits).Execute(text);
}

TableResult ConvertToTable(std::string text, const ProfileRecord& profile,
                           ConversionObserver* observer,
                           const RunLimits& limits) {
  TableResult result;
  result.status = RunConversion(
      std::move(text), profile, observer,
      [&result](std::string_view chunk) {
        result.table.append(chunk);
        return true;
      },
      limits);
  return result;
}

}  // namespace trulvex
