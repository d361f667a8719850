// Throughput of the engine's hot paths on a generated display text.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "engine/code_mapping.h"
#include "engine/conversion_run.h"
#include "engine/text_preparation.h"
#include "profiles/profile_record.h"

namespace trulvex {
namespace {

// Russian and Latin words with CR LF line ends, in code page 1251.
const std::string& SampleText() {
  static const std::string text = [] {
    const std::vector<std::string> words = {
        "\xCF\xF0\xE8\xE2\xE5\xF2",
        "\xEC\xE8\xF0",
        "\xE4\xE8\xF1\xEF\xEB",
        "\xA8\xEB\xEA\xE0",
        "\xAB\xEA\xE0\xE2\xFB\xF7\xEA\xE8\xBB",
        "HD44780",
        "LCD",
        "0x41,"};
    std::mt19937 random(1);
    std::string out;
    while (out.size() < (std::size_t{8} << 20)) {
      for (int i = 0, n = 3 + static_cast<int>(random() % 10); i < n; ++i) {
        if (i) out += ' ';
        out += words[random() % words.size()];
      }
      out += "\r\n";
    }
    return out;
  }();
  return text;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(SampleText().size()));
}

void BM_FlattenToLcdCodes(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(FlattenToLcdCodes(SampleText()));
  }
  SetBytes(state);
}
BENCHMARK(BM_FlattenToLcdCodes);

void BM_FlattenToLcdCodesScalar(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(FlattenToLcdCodesScalar(SampleText()));
  }
  SetBytes(state);
}
BENCHMARK(BM_FlattenToLcdCodesScalar);

void BM_MapToLcdCodes(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(MapToLcdCodes(SampleText()));
  }
  SetBytes(state);
}
BENCHMARK(BM_MapToLcdCodes);

void BM_FlattenText(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(FlattenText(SampleText()));
  }
  SetBytes(state);
}
BENCHMARK(BM_FlattenText);

// The table run of each default profile, output thrown away chunk by chunk.
void BM_TableRun(benchmark::State& state) {
  const ProfileRecord profile =
      DefaultProfileRecords()[static_cast<std::size_t>(state.range(0))];
  std::uint64_t table_bytes = 0;
  for (auto _ : state) {
    table_bytes = 0;
    RunConversion(SampleText(), profile, nullptr,
                  [&table_bytes](std::string_view chunk) {
                    table_bytes += chunk.size();
                    return true;
                  });
  }
  SetBytes(state);
  state.counters["table_per_text"] = static_cast<double>(table_bytes) /
                                     static_cast<double>(SampleText().size());
  state.SetLabel(profile.Name == DefaultProfileRecords()[2].Name ? "MikroBasic"
                 : state.range(0) == 0                           ? "ASM DT"
                                                                 : "ASM DE");
}
BENCHMARK(BM_TableRun)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace trulvex

BENCHMARK_MAIN();
