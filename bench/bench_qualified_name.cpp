// Speed of reading and writing qualified-name text. The parse figure is per
// call for a three-segment quoted name with a doubled quote inside, parsed
// into a result vector that the caller reuses (the server's usual pattern).
#include <benchmark/benchmark.h>

#include "Metadata/SMUtil.h"

namespace {

const VXString kThreeSegments = U"\"Sales\".\"Order \"\"Lines\"\"\".\"Amount\"";

void BM_ParseQualifiedNameString(benchmark::State& state) {
  QualifiedName result;
  for (auto _ : state) {
    MetadataUtil::ParseQualifiedNameString(kThreeSegments, result, '.', true);
    benchmark::DoNotOptimize(result.data());
    benchmark::ClobberMemory();
  }
  state.SetLabel("3 segments, " + std::to_string(kThreeSegments.size()) + " chars, reused result");
}
BENCHMARK(BM_ParseQualifiedNameString);

// The same text into a fresh vector each time: what a one-off caller pays.
void BM_ParseQualifiedNameStringFresh(benchmark::State& state) {
  for (auto _ : state) {
    QualifiedName result;
    MetadataUtil::ParseQualifiedNameString(kThreeSegments, result, '.', true);
    benchmark::DoNotOptimize(result.data());
  }
  state.SetLabel("3 segments, fresh result");
}
BENCHMARK(BM_ParseQualifiedNameStringFresh);

// A long name: throughput of the scan itself.
void BM_ParseQualifiedNameStringLong(benchmark::State& state) {
  QualifiedName parts;
  for (int i = 0; i < state.range(0); ++i) parts.push_back(U"Segment \"" + VXString(20, U'x') + U"\"");
  const VXString text = MetadataUtil::ToQualifiedName(parts);
  QualifiedName result;
  for (auto _ : state) {
    MetadataUtil::ParseQualifiedNameString(text, result, '.', true);
    benchmark::DoNotOptimize(result.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size() * 4));
  state.SetLabel(std::to_string(state.range(0)) + " segments, " + std::to_string(text.size()) + " chars");
}
BENCHMARK(BM_ParseQualifiedNameStringLong)->Arg(8)->Arg(64);

void BM_ToQualifiedName(benchmark::State& state) {
  const QualifiedName parts{U"Sales", U"Order \"Lines\"", U"Amount"};
  for (auto _ : state) {
    VXString text = MetadataUtil::ToQualifiedName(parts);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetLabel("3 segments");
}
BENCHMARK(BM_ToQualifiedName);

void BM_ConvertNameToQualifiedName(benchmark::State& state) {
  const VXString text = U"\"Sales.EU\".Orders.Amount";
  QualifiedName result;
  for (auto _ : state) {
    MetadataUtil::ConvertNameToQualifiedName(text, result);
    benchmark::DoNotOptimize(result.data());
  }
  state.SetLabel("3 segments, one quoted with a full stop");
}
BENCHMARK(BM_ConvertNameToQualifiedName);

}  // namespace

BENCHMARK_MAIN();
