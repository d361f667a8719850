// Throughput of the engine's hot paths on a generated display text.
#include <benchmark/benchmark.h>

#include <string>

#include "core/engine/code_mapping.h"
#include "core/engine/conversion_run.h"
#include "core/engine/profile_record.h"
#include "core/engine/text_preparation.h"
#include "sample_text.h"

namespace trulvex {
namespace {

// 8 MB of the benchmarks' sample text.
const std::string& SampleText() {
  static const std::string text = bench::SampleText(std::size_t{8} << 20);
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
