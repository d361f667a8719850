#include "core/engine/conversion_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include "core/engine/profile_record.h"
#include "core/engine/source_table.h"
#include "core/engine/text_preparation.h"
#include "test_support.h"

namespace trulvex {
namespace {

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

// The run's table put together from its single steps.
std::string PieceByPiece(const std::string& text, const ProfileRecord& p) {
  const std::string prepared = PrepareTableText(text, p);
  std::string table;
  for (std::size_t offset = 0; offset < prepared.size();) {
    const std::string_view raw =
        NextLinePiece(prepared, offset, p.CountByte, p.PerenosPoSlovam);
    FormatLinePiece(NormalizePiece(raw), p, &table);
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
  ScriptedObserver third(3);
  const TableResult stopped = ConvertToTable(text, Dt(), &third);
  EXPECT_EQ(stopped.status, RunStatus::kStopped);
  EXPECT_EQ(stopped.table, Cp("; Привет, \r\n    Dt    0xA8, 0x70, 0xB8, "));
  EXPECT_EQ(third.checks, 3);
  ScriptedObserver never;
  EXPECT_EQ(Table(text, Dt(), &never), Table(text, Dt()));
  // Between the numbers of each of 30 pieces, and after all but the last.
  EXPECT_EQ(never.checks, 240 - 30 + 29);

  ProfileRecord preview = Dt();  // always quiet
  preview.IsPreview = 1;
  ScriptedObserver ignored(1);
  EXPECT_EQ(Table(text, preview, &ignored), Table(text, Dt()));
  EXPECT_EQ(ignored.maximum + ignored.checks + ignored.progress.size(), 0u);
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
