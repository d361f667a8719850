#include "core/engine/conversion_run.h"

#include <algorithm>
#include <limits>
#include <optional>

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

// The head of a data line is built once per run; beyond this size it would
// only be good for exhausting memory.
constexpr std::uint64_t kMaxHeadBytes = std::uint64_t{256} << 20;

// A piece whose formatted lines need more room than this is written in
// blocks of characters, so that the room taken ahead stays bounded.
constexpr std::size_t kPieceRoom = std::size_t{1} << 20;

// A watched run reports its progress this many times over a text of known
// length, finer than any progress bar draws it; over a text of unknown
// length, once per so many characters.
constexpr std::uint64_t kProgressSteps = 1000;
constexpr std::uint64_t kUnknownLengthProgressStep = std::uint64_t{64} << 10;

std::uint64_t Width(std::int32_t indent) {
  return indent > 0 ? static_cast<std::uint64_t>(indent) : 0;
}

std::uint64_t HeadLength(const ProfileRecord& profile) {
  return Width(profile.Ost1) + profile.Directive.size() + Width(profile.Ost2) +
         profile.StartDataBlok.size();
}

CleanOptions CleaningOf(const ProfileRecord& profile) {
  return {profile.DeleteSpace, profile.CountSpace, profile.DeleteSumbolError};
}

// What the size bound allows per line piece and per character.
struct SizeModel {
  explicit SizeModel(const ProfileRecord& profile) {
    const std::uint64_t comment = profile.Comment.size();
    // Head, EndDataBlok, the byte count (" ", Comment, up to 20 digits),
    // CR LF and the comment line around the piece's text.
    per_piece = HeadLength(profile) + profile.EndDataBlok.size() + 1 + comment +
                20 + 2 + comment + 2;
    per_char = profile.StartData.size() + 8 + profile.EndData.size() +
               profile.RazdelitelData.size() + 1;
  }
  std::uint64_t Bound(std::uint64_t pieces, std::uint64_t length) const {
    return SatAdd(SatMul(pieces, per_piece), SatMul(length, per_char));
  }

  std::uint64_t per_piece;
  std::uint64_t per_char;
};

// The most pieces a prepared text of `length` characters, `breaks` of them
// CR or LF, can be cut into.
std::uint64_t MaxPieces(std::uint64_t length, std::uint64_t breaks,
                        const ProfileRecord& profile) {
  const std::int32_t count_byte = EffectiveCountByte(profile);
  if (count_byte == 0) return 1 + breaks;
  // With word wrap every piece but the last is longer than `CountByte`.
  const std::uint64_t shortest = static_cast<std::uint64_t>(count_byte) +
                                 (profile.PerenosPoSlovam == 1 ? 1 : 0);
  return length / shortest + 1;
}

// The exact size bound of the whole text, read once ahead; nullopt when it
// could not be read.
std::optional<std::uint64_t> MeasureBound(TextReader& text,
                                          const ProfileRecord& profile) {
  TextPreparer preparer(EffectiveCountByte(profile) > 0, CleaningOf(profile));
  std::uint64_t length = 0;
  std::uint64_t breaks = 0;
  for (std::string_view chunk; !(chunk = text.Next()).empty();) {
    const std::string_view prepared = preparer.Prepare(chunk);
    length += prepared.size();
    breaks += static_cast<std::uint64_t>(
        std::count_if(prepared.begin(), prepared.end(),
                      [](char c) { return c == '\n' || c == '\r'; }));
  }
  if (text.failed()) return std::nullopt;
  return SizeModel(profile).Bound(MaxPieces(length, breaks, profile), length);
}

// Only checked profiles reach here: the layout materialises the line head.
class Run {
 public:
  // `maximum` is the length the observer was started with, 0 if unknown.
  Run(const ProfileRecord& profile, ConversionObserver* observer,
      std::uint64_t maximum, const TableSink& sink, const RunLimits& limits,
      TextReader* text)
      : layout_(profile),
        model_(profile),
        cutter_(profile.CountByte, profile.PerenosPoSlovam),
        observer_(observer),
        progress_step_(maximum == 0 ? kUnknownLengthProgressStep
                                    : std::max<std::uint64_t>(
                                          1, maximum / kProgressSteps)),
        sink_(sink),
        limits_(limits),
        text_(text),
        normalize_(EffectiveCountByte(profile) == 0),
        preparer_(EffectiveCountByte(profile) > 0, CleaningOf(profile)) {
    const std::int32_t count_byte = EffectiveCountByte(profile);
    // Without word wrap every piece but the last has `CountByte`
    // characters: whole batches of them are written at once.
    if (count_byte > 0 && profile.PerenosPoSlovam != 1 &&
        observer_ == nullptr) {
      const auto length = static_cast<std::size_t>(count_byte);
      if (layout_.PieceRoom(length) <= kPieceRoom) {
        batch_length_ = length;
        batch_pieces_ = std::max<std::size_t>(
            1, limits_.chunk_bytes / layout_.PieceRoom(length));
      }
    }
    block_chars_ =
        std::max<std::size_t>(1, kPieceRoom / layout_.NumbersRoom(1));
  }

  RunStatus Execute() {
    for (std::string_view chunk; !(chunk = text_->Next()).empty();) {
      if (!Feed(preparer_.Prepare(chunk))) return status_;
    }
    if (text_->failed()) return RunStatus::kInputFailed;
    if (!carry_.empty() && !Emit(carry_)) return status_;
    ReportEnd();
    return Flush() ? RunStatus::kCompleted : RunStatus::kOutputFailed;
  }

 private:
  // Cuts the next stretch of prepared text into pieces and writes them; a
  // piece that goes on past the stretch is kept for the next one.
  bool Feed(std::string_view prepared) {
    for (std::size_t pos = 0; pos < prepared.size();) {
      const std::string_view rest = prepared.substr(pos);
      if (batch_length_ != 0 && carry_.empty() &&
          rest.size() >= batch_length_) {
        const std::size_t pieces =
            std::min(rest.size() / batch_length_, batch_pieces_);
        const std::size_t length = pieces * batch_length_;
        if (!Spend(pieces, length)) return false;
        char* dst = out_.Reserve(pieces * layout_.PieceRoom(batch_length_));
        out_.CommitTo(
            layout_.WritePieces(rest.substr(0, length), batch_length_, dst));
        offset_ += length;
        pos += length;
        if (!FlushIfFull()) return false;
        continue;
      }
      const std::size_t end = cutter_.PieceEnd(
          rest, carry_.size(), [this] { return text_->LfFollows(); });
      if (end == std::string_view::npos) {
        carry_.append(rest);
        return true;
      }
      if (carry_.empty()) {
        if (!Emit(rest.substr(0, end))) return false;
      } else {
        carry_.append(rest.substr(0, end));
        if (!Emit(carry_)) return false;
        carry_.clear();
      }
      pos += end;
    }
    return true;
  }

  // Writes one raw piece.
  bool Emit(std::string_view raw) {
    std::string_view piece = raw;
    if (normalize_) {
      NormalizePiece(raw, &normalized_);
      piece = normalized_;
    }
    if (!Spend(1, raw.size())) return false;
    // A check between two data lines keeps a run of short pieces, which
    // have no check between their numbers, stoppable.
    if (observer_ != nullptr && offset_ != 0 && observer_->StopRequested()) {
      return Stop();
    }
    bool written;
    if (layout_.PieceRoom(piece.size()) <= kPieceRoom) {
      out_.CommitTo(layout_.WritePiece(
          piece, out_.Reserve(layout_.PieceRoom(piece.size()))));
      written = FlushIfFull();
    } else {
      written = WriteInParts(piece);
    }
    if (written) Report(offset_ + piece.size());
    offset_ += raw.size();
    return written;
  }

  // The comment line and the head of the data line of a piece written in
  // parts.
  bool WriteLineStart(std::string_view piece) {
    if (layout_.writes_comment_line()) {
      out_.CommitTo(
          layout_.StartCommentLine(out_.Reserve(layout_.CommentRoom(0))));
      for (std::size_t at = 0; at < piece.size(); at += kPieceRoom) {
        out_.Append(piece.substr(at, kPieceRoom));
        if (!FlushIfFull()) return false;
      }
      out_.CommitTo(TableLayout::EndCommentLine(out_.Reserve(2)));
    }
    out_.CommitTo(layout_.WriteHead(out_.Reserve(layout_.HeadRoom())));
    return FlushIfFull();
  }

  // A piece in parts: its numbers a block of characters at a time, so that
  // the room taken ahead stays bounded; a watched run reports and may stop
  // between two blocks.
  bool WriteInParts(std::string_view piece) {
    if (!WriteLineStart(piece)) return false;
    std::uint64_t count = 0;
    for (std::size_t at = 0; at < piece.size(); at += block_chars_) {
      const std::string_view block = piece.substr(at, block_chars_);
      const bool last = at + block.size() == piece.size();
      char* dst = out_.Reserve(layout_.NumbersRoom(block.size()));
      out_.CommitTo(layout_.WriteNumbers(block, last, dst, &count));
      if (observer_ != nullptr && !last) {
        Report(offset_ + at + block.size());
        if (observer_->StopRequested()) return Stop();
      }
      if (!FlushIfFull()) return false;
    }
    out_.CommitTo(layout_.WriteTail(count, out_.Reserve(layout_.TailRoom())));
    return FlushIfFull();
  }

  // Tells the observer that the characters before `done` are written, when
  // that passes the next step: the bar moves as smoothly as when told of
  // every character, at a bounded number of calls.
  void Report(std::uint64_t done) {
    if (observer_ == nullptr) return;
    // Two more than the characters written: the value a report after each
    // character would have reached.
    last_progress_ = done + 2;
    if (last_progress_ < next_progress_) return;
    observer_->Progressed(last_progress_);
    reported_progress_ = last_progress_;
    next_progress_ = last_progress_ + progress_step_;
  }
  // The end of the text is always reported, whatever the step.
  void ReportEnd() {
    if (observer_ != nullptr && reported_progress_ != last_progress_) {
      observer_->Progressed(last_progress_);
      reported_progress_ = last_progress_;
    }
  }

  // Ends the run at the observer's request with what was written so far.
  bool Stop() {
    status_ = Flush() ? RunStatus::kStopped : RunStatus::kOutputFailed;
    return false;
  }

  // Counts pieces and characters against the size bound.
  bool Spend(std::uint64_t pieces, std::uint64_t length) {
    spent_ = SatAdd(spent_, model_.Bound(pieces, length));
    if (spent_ <= limits_.max_output_bytes) return true;
    status_ = RunStatus::kTooLarge;
    return false;
  }

  bool FlushIfFull() {
    if (out_.size() < limits_.chunk_bytes || Flush()) return true;
    status_ = RunStatus::kOutputFailed;
    return false;
  }
  bool Flush() {
    if (out_.empty()) return true;
    const bool stored = sink_(out_.view());
    out_.clear();
    return stored;
  }

  const TableLayout layout_;
  const SizeModel model_;
  LinePieceCutter cutter_;
  ConversionObserver* const observer_;
  const std::uint64_t progress_step_;
  const TableSink& sink_;
  const RunLimits limits_;
  TextReader* const text_;
  const bool normalize_;
  TextPreparer preparer_;
  std::size_t batch_length_ = 0;
  std::size_t batch_pieces_ = 0;
  std::size_t block_chars_ = 1;
  RunStatus status_ = RunStatus::kOutputFailed;
  OutputBuffer out_;
  std::string carry_;                // a piece that began in an earlier chunk
  std::string normalized_;           // the piece as it is written
  std::uint64_t offset_ = 0;         // where the next piece begins
  std::uint64_t spent_ = 0;          // the size bound of what was written
  std::uint64_t last_progress_ = 0;  // the progress reached
  std::uint64_t reported_progress_ = 0;  // the progress last reported
  std::uint64_t next_progress_ = 0;      // reported when reached
};

// The size bound from the length of the raw text alone: preparing never
// lengthens a text, and every character may end a line.
std::uint64_t CoarseBound(std::uint64_t length, const ProfileRecord& profile) {
  return SizeModel(profile).Bound(MaxPieces(length, length, profile), length);
}

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
  const std::uint64_t breaks = static_cast<std::uint64_t>(
      std::count_if(prepared.begin(), prepared.end(),
                    [](char c) { return c == '\n' || c == '\r'; }));
  return SizeModel(profile).Bound(MaxPieces(prepared.size(), breaks, profile),
                                  prepared.size());
}

RunStatus RunConversion(TextReader& text, const ProfileRecord& profile,
                        ConversionObserver* observer, const TableSink& sink,
                        const RunLimits& limits) {
  if (profile.IsPreview != 0) observer = nullptr;
  const std::optional<std::uint64_t> length = text.LengthBound();
  if (observer != nullptr) observer->Started(length.value_or(0));
  if (HeadLength(profile) > kMaxHeadBytes) return RunStatus::kTooLarge;
  if ((!length || CoarseBound(*length, profile) > limits.max_output_bytes) &&
      text.Rewind()) {
    const std::optional<std::uint64_t> bound = MeasureBound(text, profile);
    if (!bound || !text.Rewind()) return RunStatus::kInputFailed;
    if (*bound > limits.max_output_bytes) return RunStatus::kTooLarge;
  }
  return Run(profile, observer, length.value_or(0), sink, limits, &text)
      .Execute();
}

RunStatus RunConversion(std::string text, const ProfileRecord& profile,
                        ConversionObserver* observer, const TableSink& sink,
                        const RunLimits& limits) {
  StringTextReader reader(text);
  return RunConversion(reader, profile, observer, sink, limits);
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
