// Speed of the per-key and per-record work of the tables layer: comparing
// field values (collated strings, integers, extended reals), converting
// extended reals, and loading a table's stored field definitions.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/locale.h"
#include "engine/values/extended_float.h"
#include "engine/values/field_compare.h"
#include "engine/schema/field_def.h"

namespace dvx {
namespace {

std::vector<uint8_t> AnsiSlot(const std::string& utf8, size_t size) {
  std::string ansi = Utf8ToAnsi(utf8);
  std::vector<uint8_t> slot(size, 0);
  std::memcpy(slot.data(), ansi.data(), std::min(ansi.size(), size - 1));
  return slot;
}

void BM_CompareCharCollated(benchmark::State& state) {
  auto a = AnsiSlot("Äpfelkompott mit Zimt", 31), b = AnsiSlot("Apfelkompott mit Zucker", 31);
  bool ignoreCase = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(CompareFieldValues(bftChar, a.data(), b.data(), 31, ignoreCase));
}
BENCHMARK(BM_CompareCharCollated)->Arg(0)->Arg(1);

void BM_CompareInteger(benchmark::State& state) {
  int32_t a = 12345, b = 12346;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CompareFieldValues(bftSignedInt32, &a, &b, 4));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CompareInteger);

void BM_CompareExtended(benchmark::State& state) {
  auto a = DoubleToExtended(3.25), b = DoubleToExtended(-1e10);
  for (auto _ : state) benchmark::DoNotOptimize(CompareExtended(a.data(), b.data()));
}
BENCHMARK(BM_CompareExtended);

void BM_ExtendedRoundTrip(benchmark::State& state) {
  double v = 0.1;
  for (auto _ : state) {
    auto e = DoubleToExtended(v);
    v = ExtendedToDouble(e) + 1e-9;
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ExtendedRoundTrip);

void BM_LoadFieldDefs(benchmark::State& state) {
  TDVXFieldDefs defs;
  for (int i = 0; i < 50; ++i) defs.Add("Field" + std::to_string(i), i % 2 ? aftChar : aftInteger, 30);
  TDVXMemoryStream saved;
  defs.SaveToStream(saved);
  for (auto _ : state) {
    TDVXMemoryStream s(saved.Bytes());
    TDVXFieldDefs loaded;
    loaded.LoadFromStream(s);
    benchmark::DoNotOptimize(loaded.RecordSize());
  }
}
BENCHMARK(BM_LoadFieldDefs);

}  // namespace
}  // namespace dvx
