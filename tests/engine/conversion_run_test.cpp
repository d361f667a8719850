#include "engine/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "engine/source_table.h"
#include "engine/text_preparation.h"
#include "profiles/profile_record.h"
#include "test_support.h"

namespace {

// The largest single allocation while armed: a refused run must not build
// the table it refuses.
std::atomic<bool> g_watch_allocations{false};
std::atomic<std::size_t> g_largest_allocation{0};

}  // namespace

void* operator new(std::size_t size) {
  if (g_watch_allocations.load(std::memory_order_relaxed) &&
      size > g_largest_allocation.load(std::memory_order_relaxed)) {
    g_largest_allocation.store(size, std::memory_order_relaxed);
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace trulvex {
namespace {

using ::trulvex::testing::Cp;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();

ProfileRecord DtProfile() { return DefaultProfileRecords()[0]; }

std::string Repeat(std::string_view part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

std::string Table(const std::string& text, const ProfileRecord& profile,
                  ConversionObserver* observer = nullptr) {
  const TableResult result = ConvertToTable(text, profile, observer);
  EXPECT_EQ(result.status, RunStatus::kCompleted);
  return result.table;
}

// The run's table put together from its single steps.
std::string PieceByPiece(const std::string& text,
                         const ProfileRecord& profile) {
  const std::string prepared = PrepareTableText(text, profile);
  std::string table;
  for (std::size_t offset = 0; offset < prepared.size();) {
    const std::string_view raw = NextLinePiece(
        prepared, offset, profile.CountByte, profile.PerenosPoSlovam);
    FormatLinePiece(NormalizePiece(raw), profile, &table);
    offset += raw.size();
  }
  return table;
}

// Records what a run reports and answers yes to stop check `stop_at`
// (counted from 1; 0 never).
struct ScriptedObserver : ConversionObserver {
  void Started(std::uint64_t value) override {
    ++started;
    maximum = value;
  }
  void Progressed(std::uint64_t value) override { progress.push_back(value); }
  bool StopRequested() override { return ++checks == stop_at; }

  int stop_at = 0;
  int started = 0;
  std::uint64_t maximum = 0;
  std::vector<std::uint64_t> progress;
  int checks = 0;
};

TEST(ConversionRunTest, Tables) {
  const ProfileRecord dt = DtProfile();
  ProfileRecord lines = DtProfile();
  lines.CountByte = 0;
  ProfileRecord negative = DtProfile();
  negative.CountByte = -8;
  ProfileRecord one_line = DtProfile();
  one_line.CountByte = kMaxInt;
  one_line.PerenosPoSlovam = 1;
  // Nothing is written before the first number of a data line.
  ProfileRecord bare = DtProfile();
  bare.Ost1 = bare.Ost2 = 0;
  bare.Directive.clear();
  bare.Comment.clear();
  bare.CountByte = 2;
  ProfileRecord far = DtProfile();
  far.Ost1 = 1'000'000;
  far.CountByte = 1;
  const std::string indent(1'000'000, ' ');
  const struct {
    std::string text;
    const ProfileRecord& profile;
    std::string expected;
  } cases[] = {
      {"Привет, мир!", dt,
       "; Привет, \r\n    Dt    0xA8, 0x70, 0xB8, 0xB3, 0x65, 0xBF, 0x2C, "
       "0x20\r\n; мир!\r\n    Dt    0xBC, 0xB8, 0x70, 0x21\r\n"},
      {"AB\r\nCD", lines,
       "; AB \r\n    Dt    0x41, 0x42, 0x20\r\n; CD\r\n    Dt    0x43, "
       "0x44\r\n"},
      {"AB\r\n\r\nCD", lines,
       "; AB \r\n    Dt    0x41, 0x42, 0x20\r\n;  \r\n    Dt    0x20\r\n"
       "; CD\r\n    Dt    0x43, 0x44\r\n"},
      {"AB\r\nCD", negative,
       "; AB \r\n    Dt    0x41, 0x42, 0x20\r\n; CD\r\n    Dt    0x43, "
       "0x44\r\n"},
      {"AB\r\n\r\nCD", dt,
       "; AB  CD\r\n    Dt    0x41, 0x42, 0x20, 0x20, 0x43, 0x44\r\n"},
      {"ABC DEF GHI", one_line,
       "; ABC DEF GHI\r\n    Dt    0x41, 0x42, 0x43, 0x20, 0x44, 0x45, 0x46, "
       "0x20, 0x47, 0x48, 0x49\r\n"},
      {"ABC", bare, "0x41, 0x42\r\n0x43\r\n"},
      {"{ABC", bare, "0x41\r\n0x42, 0x43\r\n"},
      {"AB", far,
       "; A\r\n" + indent + "Dt    0x41\r\n; B\r\n" + indent +
           "Dt    0x42\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Table(Cp(c.text), c.profile), Cp(c.expected));
    ScriptedObserver watching;
    EXPECT_EQ(Table(Cp(c.text), c.profile, &watching), Cp(c.expected));
  }
}

TEST(ConversionRunTest, PiecesOfOneCharacterAreNeverChecked) {
  ProfileRecord profile = DtProfile();
  profile.CountByte = 1;
  const std::string text = Repeat("AB\r\nCD", 30);  // 150 after flattening
  ScriptedObserver observer;
  observer.stop_at = 1;
  EXPECT_EQ(Table(text, profile, &observer), Table(text, profile));
  EXPECT_EQ(observer.checks, 0);
  EXPECT_EQ(observer.started, 1);
  EXPECT_EQ(observer.maximum, text.size());  // the length before preparing
  ASSERT_EQ(observer.progress.size(), 150u);
  EXPECT_EQ(observer.progress.front(), 3u);
  EXPECT_EQ(observer.progress.back(), 152u);
}

TEST(ConversionRunTest, StopQuestionAndQuietPreview) {
  const std::string text = Cp(Repeat("Привет, мир!", 20));
  const struct {
    int stop_at;
    std::string table;
  } cases[] = {{1, Cp("; Привет, \r\n    Dt    0xA8, ")},
               {3, Cp("; Привет, \r\n    Dt    0xA8, 0x70, 0xB8, ")}};
  for (const auto& c : cases) {
    ScriptedObserver observer;
    observer.stop_at = c.stop_at;
    const TableResult result = ConvertToTable(text, DtProfile(), &observer);
    EXPECT_EQ(result.status, RunStatus::kStopped);
    EXPECT_EQ(result.table, c.table);
    EXPECT_EQ(observer.checks, c.stop_at);
  }
  ScriptedObserver never;
  EXPECT_EQ(Table(text, DtProfile(), &never), Table(text, DtProfile()));
  EXPECT_EQ(never.checks, 240 - 30);  // all but the last of 30 pieces

  ProfileRecord preview = DtProfile();
  preview.IsPreview = 1;
  ScriptedObserver ignored;
  ignored.stop_at = 1;
  EXPECT_EQ(Table(text, preview, &ignored), Table(text, DtProfile()));
  EXPECT_EQ(ignored.started + ignored.checks, 0);
  EXPECT_TRUE(ignored.progress.empty());
}

struct Sample {
  std::string text;
  ProfileRecord profile;
};

std::vector<Sample> Samples() {
  const std::vector<ProfileRecord> shipped = DefaultProfileRecords();
  std::vector<ProfileRecord> profiles = {shipped[0], shipped[2], shipped[2],
                                         shipped[0], shipped[0], shipped[0]};
  profiles[2].CountByte = 0;
  profiles[3].CountByte = 1;
  profiles[3].PerenosPoSlovam = 1;
  ProfileRecord& wide = profiles[4];
  wide.SI = 0;
  wide.StartData = std::string(30, 'b');
  wide.Comment = std::string(50, ';');
  wide.CountByteToComment = 1;
  wide.RazdelitelData.clear();  // leaves the bound little slack
  wide.DeleteSpace = wide.DeleteSumbolError = 1;
  profiles[5].CountByte = kMaxInt;
  profiles[5].PerenosPoSlovam = 1;
  std::string all_bytes;
  for (int c = 0; c < 256; ++c) all_bytes += static_cast<char>(c);
  const std::string texts[] = {
      Cp("Привет, мир!"),
      "\r\n\r\n\n\r",
      "{~}",
      all_bytes,
      Cp(Repeat("Съешь же ещё этих мягких булок.\r\n", 40)),
      Repeat("AB{ C", 14000)};  // one line of 70000 characters
  std::vector<Sample> samples;
  for (const ProfileRecord& profile : profiles) {
    for (const std::string& text : texts) samples.push_back({text, profile});
  }
  return samples;
}

// Quiet and watched runs, whole or in chunks of 7 bytes, give the table
// that the single steps give; its size never exceeds the bound; a sink
// that refuses a chunk ends the run at once.
TEST(ConversionRunTest, EveryWayOfRunningGivesTheSameTable) {
  RunLimits small_chunks;
  small_chunks.chunk_bytes = 7;
  for (const Sample& sample : Samples()) {
    const std::string expected = PieceByPiece(sample.text, sample.profile);
    EXPECT_EQ(Table(sample.text, sample.profile), expected);
    EXPECT_GE(TableSizeBound(PrepareTableText(sample.text, sample.profile),
                             sample.profile),
              expected.size());
    ScriptedObserver observer;
    ConversionObserver* const watchers[] = {&observer, nullptr};
    for (ConversionObserver* watching : watchers) {
      std::string joined;
      int calls = 0;
      const auto store = [&](std::string_view chunk) {
        joined += chunk;
        return ++calls > 0;
      };
      EXPECT_EQ(RunConversion(sample.text, sample.profile, watching, store,
                              small_chunks),
                RunStatus::kCompleted);
      EXPECT_EQ(joined, expected);
      // A watched run hands over its output at least once per piece.
      if (watching != nullptr &&
          std::count(expected.begin(), expected.end(), '\n') > 2) {
        EXPECT_GT(calls, 1);
      }
      if (expected.empty()) continue;  // nothing to hand over, nothing to fail
      calls = 0;
      const auto refuse = [&calls](std::string_view) { return ++calls < 0; };
      EXPECT_EQ(RunConversion(sample.text, sample.profile, watching, refuse,
                              small_chunks),
                RunStatus::kOutputFailed);
      EXPECT_EQ(calls, 1);
    }
  }
}

TEST(ConversionRunTest, OversizedTablesAreRefusedUpFront) {
  ProfileRecord far = DtProfile();
  far.Ost1 = far.Ost2 = kMaxInt;
  const std::string text = Repeat("Hello, world! ", 20'000);  // 280000 bytes
  RunLimits tight;
  tight.max_output_bytes = 1000;
  const ProfileRecord dt = DtProfile();
  const struct {
    const ProfileRecord& profile;
    std::string text;
    RunLimits limits;
  } cases[] = {{far, "AB", RunLimits{}}, {dt, text, tight}};
  for (const auto& c : cases) {
    int calls = 0;
    g_largest_allocation = 0;
    g_watch_allocations = true;
    const RunStatus status = RunConversion(
        c.text, c.profile, nullptr,
        [&calls](std::string_view) { return ++calls > 0; }, c.limits);
    g_watch_allocations = false;
    EXPECT_EQ(status, RunStatus::kTooLarge);
    EXPECT_EQ(calls, 0);
    // A copy of the text may be made, never the table or a line head.
    EXPECT_LT(g_largest_allocation.load(), 2 * text.size());
  }
}

}  // namespace
}  // namespace trulvex
