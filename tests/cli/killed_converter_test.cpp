// The converter killed at any moment of a write, as a crash or a power cut
// would end it: the file it replaces is always the whole old one or the
// whole new one. On Windows this is the replacement the system makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "child_process.h"
#include "test_support.h"

namespace trulvex {
namespace {

namespace fs = std::filesystem;
using namespace ::trulvex::testing;

TEST(KilledConverterTest, LeavesTheOldOrTheNewFile) {
  TempDir dir;
  std::string text;
  while (text.size() < 4'000'000) text += Cp("Привет, мир! Строка текста.\r\n");
  WriteFile(dir / "text.txt", text);
  WriteFile(dir / "short.txt", Cp("Привет"));
  const fs::path target = dir / "table.asm";
  using Clock = std::chrono::steady_clock;
  // The run alone is timed: reading its 20 MB back takes longer than the run
  // under a sanitizer, and would put every kill after the end.
  const auto convert = [&](const char* input, Clock::duration* took) {
    const Clock::time_point start = Clock::now();
    ChildProcess run(TRULVEX_CLI_PATH,
                     {"table", "-p", "MikroBasic For PIC", "-o",
                      PathBytes(target), PathBytes(dir / input)});
    EXPECT_EQ(run.Wait(), 0);
    *took = Clock::now() - start;
    return ReadFile(target);
  };
  // Kills fall anywhere in a run, however fast the machine: within the
  // shortest of three runs, since a slow flush to disk can stretch one run
  // so far that every kill would come after the end.
  std::string table;
  auto run_time = std::chrono::microseconds::max();
  for (int run = 0; run < 3; ++run) {
    Clock::duration took;
    table = convert("text.txt", &took);
    run_time = std::min(
        run_time, std::chrono::duration_cast<std::chrono::microseconds>(took));
  }
  Clock::duration ignored;
  const std::string old_table = convert("short.txt", &ignored);
  ASSERT_GT(table.size(), 20'000'000u);

  std::minstd_rand random(std::random_device{}());
  int finished = 0;
  for (int round = 0; round < 12; ++round) {
    ChildProcess run(TRULVEX_CLI_PATH,
                     {"table", "-p", "MikroBasic For PIC", "-o",
                      PathBytes(target), PathBytes(dir / "text.txt")});
    ASSERT_TRUE(run.started());
    std::this_thread::sleep_for(std::chrono::microseconds(
        random() % static_cast<unsigned>(run_time.count() + 1)));
    run.Kill();
    if (run.Wait() == 0) ++finished;
    const std::string now = ReadFile(target);
    ASSERT_TRUE(now == old_table || now == table)
        << "round " << round << ": " << now.size() << " bytes";
    if (now == table) WriteFile(target, old_table);
  }
  // Most rounds must end in the middle, or nothing was tested.
  EXPECT_LT(finished, 12);
}

}  // namespace
}  // namespace trulvex
