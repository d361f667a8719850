#include "core/engine/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/engine/profile_record.h"
#include "core/engine/source_table.h"
#include "core/engine/text_preparation.h"
#include "test_support.h"

namespace trulvex {
namespace {

using ::trulvex::testing::ChunkedTextReader;
using ::trulvex::testing::Cp;

ProfileRecord Dt() { return DefaultProfileRecords()[0]; }

std::string Repeat(std::string_view part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

std::string Table(const std::string& text, const ProfileRecord& profile,
                  ConversionObserver* observer = nullptr,
                  const RunLimits& limits = {}) {
  const TableResult result = ConvertToTable(text, profile, observer, limits);
  EXPECT_EQ(result.status, RunStatus::kCompleted);
  return result.table;
}

// The run's table put together from its single steps, each piece by the
// portable writer.
std::string PieceByPiece(const std::string& text, const ProfileRecord& p) {
  const TableLayout portable(p, false);
  const std::string prepared = PrepareTableText(text, p);
  std::string table;
  for (std::size_t offset = 0; offset < prepared.size();) {
    const std::string_view raw =
        NextLinePiece(prepared, offset, p.CountByte, p.PerenosPoSlovam);
    const std::string piece = NormalizePiece(raw);
    std::string lines(portable.PieceRoom(piece.size()), '\0');
    lines.resize(static_cast<std::size_t>(
        portable.WritePiece(piece, lines.data()) - lines.data()));
    table += lines;
    offset += raw.size();
  }
  return table;
}

// Records what a run reports; asks to stop at check `stop_at` (from 1).
struct ScriptedObserver : ConversionObserver {
  explicit ScriptedObserver(int stop = 0) : stop_at(stop) {}
  void Started(std::uint64_t value) override { maximum = value; }
  void Progressed(std::uint64_t value) override { progress.push_back(value); }
  bool StopRequested() override { return ++checks == stop_at; }

  int stop_at, checks = 0;
  std::uint64_t maximum = 0;
  std::vector<std::uint64_t> progress;
};

// Breaks stay when the text is cut at them; cleaning sees the flat text.
TEST(ConversionRunTest, PrepareTableText) {
  ProfileRecord lines = Dt(), cleaning = Dt();
  lines.CountByte = -8;
  cleaning.DeleteSpace = cleaning.DeleteSumbolError = 1;
  EXPECT_EQ(PrepareTableText("A\r\n\r\nB", Dt()), "A  B");
  EXPECT_EQ(PrepareTableText("A\r\n\r\nB", lines), "A\r\n\r\nB");
  EXPECT_EQ(PrepareTableText("A\r\n~\r\n   B", cleaning), "A B");
}

TEST(ConversionRunTest, ObserverSeesProgressAndMayStop) {
  ProfileRecord single = Dt();
  single.CountByte = 1;  // no place to stop between two numbers
  const std::string lines = Repeat("AB\r\nCD", 30);  // 150 after flattening
  ScriptedObserver unasked;
  EXPECT_EQ(Table(lines, single, &unasked), Table(lines, single));
  EXPECT_EQ(unasked.checks, 149);  // after every data line but the last
  EXPECT_EQ(unasked.maximum, lines.size());  // the length before preparing
  std::vector<std::uint64_t> progress(150);
  std::iota(progress.begin(), progress.end(), 3);
  EXPECT_EQ(unasked.progress, progress);
  ScriptedObserver second_line(2);  // stops after whole data lines
  const TableResult lines_stopped = ConvertToTable(lines, single, &second_line);
  EXPECT_EQ(lines_stopped.status, RunStatus::kStopped);
  EXPECT_EQ(lines_stopped.table,
            "; A\r\n    Dt    0x41\r\n; B\r\n    Dt    0x42\r\n");

  const std::string text = Cp(Repeat("Привет, мир!", 20));
  ScriptedObserver third(3);  // stops after three whole data lines
  const TableResult stopped = ConvertToTable(text, Dt(), &third);
  EXPECT_EQ(stopped.status, RunStatus::kStopped);
  EXPECT_EQ(stopped.table, PieceByPiece(Cp(Repeat("Привет, мир!", 2)), Dt()));
  ScriptedObserver never;
  EXPECT_EQ(Table(text, Dt(), &never), Table(text, Dt()));
  EXPECT_EQ(never.checks, 29);  // after every piece of 8 but the last

  ProfileRecord preview = Dt();  // always quiet
  preview.IsPreview = 1;
  ScriptedObserver ignored(1);
  EXPECT_EQ(Table(text, preview, &ignored), Table(text, Dt()));
  EXPECT_EQ(ignored.maximum + ignored.checks + ignored.progress.size(), 0u);
}

// Over a long text the observer hears of progress about a thousand times
// (every 64 KiB when the length is unknown), always up to the end, and is
// asked to stop after each data line and between blocks of a long one; a
// stop anywhere keeps the table written before it.
TEST(ConversionRunTest, WatchedRunReportsBoundedAndStopsMidText) {
  ProfileRecord one_line = Dt();
  one_line.CountByte = 0;
  const std::string words = Cp(Repeat("Привет, мир! ", 80000));  // 1 MB
  const struct {
    ProfileRecord profile;
    bool length_known;
    std::size_t fewest_reports, most_reports;
    int checks;  // the stop checks of a whole run
    int stop_at;
    std::string_view stopped_end;  // how a stopped table ends
    long stopped_lines;            // and its line ends
  } cases[] = {
      {Dt(), true, 990, 1002, 130000 - 1, 60000, "\r\n", 2 * 60000},
      {Dt(), false, 15, 17, 130000 - 1, 1, "\r\n", 2},
      // One data line of a million numbers: checks between its blocks.
      {one_line, true, 60, 64, 63, 30, ", ", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile.CountByte);
    const std::string full = Table(words, c.profile);
    ScriptedObserver watcher;
    ChunkedTextReader reader(words, 5, 70000, !c.length_known);
    std::string table;
    const auto append = [&table](std::string_view chunk) {
      table.append(chunk);
      return true;
    };
    ASSERT_EQ(RunConversion(reader, c.profile, &watcher, append),
              RunStatus::kCompleted);
    EXPECT_EQ(table, full);
    EXPECT_EQ(watcher.checks, c.checks);
    EXPECT_GE(watcher.progress.size(), c.fewest_reports);
    EXPECT_LE(watcher.progress.size(), c.most_reports);
    EXPECT_TRUE(std::is_sorted(watcher.progress.begin(), watcher.progress.end(),
                               std::less_equal<>()));
    EXPECT_EQ(watcher.progress.back(), words.size() + 2);  // the bar full

    ScriptedObserver stopper(c.stop_at);
    const TableResult stopped = ConvertToTable(words, c.profile, &stopper);
    EXPECT_EQ(stopped.status, RunStatus::kStopped);
    EXPECT_EQ(stopper.checks, c.stop_at);
    EXPECT_LT(stopped.table.size(), full.size());
    EXPECT_TRUE(full.starts_with(stopped.table));
    EXPECT_TRUE(stopped.table.ends_with(c.stopped_end));
    EXPECT_EQ(std::count(stopped.table.begin(), stopped.table.end(), '\n'),
              c.stopped_lines);
  }
}

// Quiet and watched runs, whole or in chunks of 7 bytes, give the table of
// the single steps, within the bound; a refused chunk ends the run.
TEST(ConversionRunTest, EveryWayOfRunningGivesTheSameTable) {
  std::vector<ProfileRecord> p(4, Dt());
  p[1] = DefaultProfileRecords()[2];
  p[1].CountByte = -3;
  p[2].CountByte = 1;
  p[2].PerenosPoSlovam = 1;
  p[2].StartData = std::string(24, 'x');  // items of 32 bytes
  p[3].SI = 0;
  p[3].StartData = std::string(30, 'b');  // items of more than 32 bytes
  p[3].Comment = std::string(50, ';');
  p[3].CountByteToComment = 1;
  p[3].RazdelitelData.clear();  // leaves the bound little slack
  p[3].DeleteSpace = p[3].DeleteSumbolError = 1;
  std::string all_bytes;
  for (int c = 0; c < 256; ++c) all_bytes += static_cast<char>(c);
  const std::string texts[] = {
      Cp("Привет, мир!"),
      "\r\n\r\n\n\r",
      "{~}",
      all_bytes,
      Cp(Repeat("Съешь же ещё этих мягких булок.\r\n", 40)),
      Repeat("AB{ C", 14000)};  // one line of 70000 characters
  const RunLimits small_chunks{.chunk_bytes = 7};
  ScriptedObserver observer;
  ConversionObserver* const watchers[] = {&observer, nullptr};
  for (const ProfileRecord& profile : p) {
    for (const std::string& text : texts) {
      const std::string expected = PieceByPiece(text, profile);
      EXPECT_EQ(Table(text, profile), expected);
      EXPECT_GE(TableSizeBound(PrepareTableText(text, profile), profile),
                expected.size());
      for (ConversionObserver* watching : watchers) {
        EXPECT_EQ(Table(text, profile, watching, small_chunks), expected);
        int calls = 0;
        const auto refuse = [&](std::string_view) { return ++calls < 0; };
        EXPECT_EQ(RunConversion(text, profile, watching, refuse, small_chunks),
                  expected.empty() ? RunStatus::kCompleted
                                   : RunStatus::kOutputFailed);
        EXPECT_EQ(calls, expected.empty() ? 0 : 1);
      }
    }
  }
}

// A profile of random fields: every layout mode, cutting rule and cleaning
// option, texts of every length class, values out of their ranges too.
ProfileRecord RandomProfile(std::mt19937* random) {
  const auto pick = [random](int low, int high) {
    return low + static_cast<int>((*random)() % (high - low + 1));
  };
  const auto text = [&](int longest) {
    static const char kChars[] = "abc 0x$,;'()\xE0\xFF\t";
    std::string out(static_cast<std::size_t>(pick(0, longest)), ' ');
    for (char& c : out) c = kChars[pick(0, sizeof kChars - 2)];
    return out;
  };
  ProfileRecord p = DefaultProfileRecords()[pick(0, 2)];
  p.Ost1 = pick(-2, 6);
  p.Ost2 = pick(-2, 6);
  p.Directive = text(4);
  p.StartDataBlok = text(3);
  p.EndDataBlok = text(3);
  // Items of up to 16 bytes, up to a slot, and longer.
  const int item = pick(0, 2) == 0 ? 40 : 4;
  p.StartData = text(item);
  p.EndData = text(3);
  p.RazdelitelData = text(3);
  p.Comment = text(3);
  p.SI = pick(-1, 3);
  p.CommentState = pick(0, 2);
  p.CountByteToComment = pick(0, 1);
  p.CountByte = pick(0, 3) == 0 ? pick(-3, 0) : pick(1, 40);
  p.PerenosPoSlovam = pick(0, 2);
  p.DeleteSumbolError = pick(0, 2);
  p.DeleteSpace = pick(0, 2);
  p.CountSpace = pick(0, 4) == 0 ? 200 : pick(0, 4);
  return p;
}

// Texts of every mix of line ends, blanks, all byte values and long lines.
std::string RandomText(std::mt19937* random) {
  static const char* const kParts[] = {"\r",           "\n", "\r\n", "\n\r",
                                       "\t",           " ",  "  ",   "Word",
                                       "\xCF\xF0\xE8", "~{"};
  const std::size_t size =
      (*random)() % 5 == 0 ? (*random)() % 20000 : (*random)() % 300;
  std::string text;
  while (text.size() < size) {
    if ((*random)() % 3 == 0) {
      text += static_cast<char>((*random)() % 256);
    } else {
      text += kParts[(*random)() % std::size(kParts)];
    }
  }
  return text;
}

// The whole text and the same text in chunks of random sizes from one byte
// up, quiet and watched, with and without a known length, give the table
// of the single steps.
TEST(ConversionRunTest, ChunkedTextGivesTheWholeTextsTable) {
  std::mt19937 random(2024);
  const RunLimits small_chunks{.chunk_bytes = 100};
  for (int round = 0; round < 600; ++round) {
    const ProfileRecord profile = RandomProfile(&random);
    const std::string text = RandomText(&random);
    SCOPED_TRACE(::testing::Message() << "round " << round);
    const std::string expected = PieceByPiece(text, profile);
    ASSERT_EQ(Table(text, profile), expected);
    for (const std::size_t max_chunk : {1, 7, 300, 70000}) {
      ScriptedObserver never;
      ConversionObserver* const observer = max_chunk == 7 ? &never : nullptr;
      ChunkedTextReader reader(text, random(), max_chunk, max_chunk == 300);
      std::string table;
      const RunStatus status = RunConversion(
          reader, profile, observer,
          [&table](std::string_view chunk) {
            table.append(chunk);
            return true;
          },
          max_chunk == 1 ? small_chunks : RunLimits{});
      ASSERT_EQ(status, RunStatus::kCompleted) << max_chunk;
      ASSERT_EQ(table, expected) << max_chunk;
    }
  }
}

// A line ends at a lone CR only when no LF follows: the run asks once per
// stretch between two LFs, and the look ahead never goes over a byte
// twice, so CR-only texts are cut in linear time.
TEST(ConversionRunTest, LineCuttingLooksAheadOncePerLine) {
  ProfileRecord lines = Dt();
  lines.CountByte = 0;
  const std::string cr_lines = Repeat("line\r", 4000);
  const struct {
    std::string text;
    int most_questions;
  } cases[] = {
      {cr_lines, 1},                     // no LF at all
      {cr_lines + "end\n", 1},           // one LF at the very end
      {Repeat("a\rb\r\n", 2000), 2001},  // CR inside lines ending in LF
      {Repeat("a\r\nb\r", 2000), 2001},  // alternating ends
      {Repeat("line\n", 4000), 0},       // LF only: no question
  };
  for (const auto& c : cases) {
    ChunkedTextReader reader(c.text, 7, 4096);
    std::string table;
    ASSERT_EQ(RunConversion(reader, lines, nullptr,
                            [&table](std::string_view chunk) {
                              table.append(chunk);
                              return true;
                            }),
              RunStatus::kCompleted);
    EXPECT_EQ(table, PieceByPiece(c.text, lines));
    EXPECT_LE(reader.lf_questions, c.most_questions);
    EXPECT_LE(reader.scanned, c.text.size());
  }
}

// A text that can be read only once is stopped as soon as what was read
// passes the limit; one that can be measured first is refused before
// anything is sent. A reader that fails ends the run.
TEST(ConversionRunTest, LimitsAndFailuresOfTextsReadInChunks) {
  const std::string text = Repeat("Hello! ", 1000);
  const RunLimits limits{.max_output_bytes = 20000, .chunk_bytes = 1000};
  for (const bool once : {false, true}) {
    ChunkedTextReader reader(text, 3, 64, once);
    std::size_t sent = 0;
    EXPECT_EQ(RunConversion(
                  reader, Dt(), nullptr,
                  [&sent](std::string_view chunk) {
                    sent += chunk.size();
                    return true;
                  },
                  limits),
              RunStatus::kTooLarge);
    if (once) {
      EXPECT_GT(sent, 0u);
      EXPECT_LE(sent, limits.max_output_bytes);
    } else {
      EXPECT_EQ(sent, 0u);
    }
  }

  struct Failing : ChunkedTextReader {
    using ChunkedTextReader::ChunkedTextReader;
    std::string_view Next() override {
      return ++calls > 3 ? std::string_view() : ChunkedTextReader::Next();
    }
    bool failed() const override { return calls > 3; }
    int calls = 0;
  } failing(text, 5, 10);
  EXPECT_EQ(RunConversion(failing, Dt(), nullptr,
                          [](std::string_view) { return true; }),
            RunStatus::kInputFailed);
}

// A line head of 4 GB, or a table past the limit, is never begun.
TEST(ConversionRunTest, OversizedTablesAreRefusedUpFront) {
  ProfileRecord far = Dt();
  far.Ost1 = far.Ost2 = std::numeric_limits<std::int32_t>::max();
  int calls = 0;
  const auto sink = [&calls](std::string_view) { return ++calls > 0; };
  EXPECT_EQ(RunConversion("AB", far, nullptr, sink), RunStatus::kTooLarge);
  EXPECT_EQ(RunConversion(Repeat("Hello! ", 1000), Dt(), nullptr, sink,
                          RunLimits{.max_output_bytes = 1000}),
            RunStatus::kTooLarge);
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace trulvex
