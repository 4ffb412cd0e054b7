// Scanning text for variable references (FindVariables: a VALUEOF pass and a
// VALUELISTOF pass) over generated text of 100 KB, 1 MB and 10 MB characters
// with one reference per about 100 characters, some of them in quoted
// strings, next to a bare find_first_of scan of the same text for the
// characters a pass has to look at (quotes and either case of "v").
//
//   ./bench_variables --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"

namespace {

// Words of plain prose, then a reference, about every 100 characters; one
// reference in eight sits in a quoted string and one in sixteen is a list
// reference.
const VXString& Text(std::size_t size) {
  static std::map<std::size_t, VXString> cache;
  VXString& text = cache[size];
  if (!text.empty()) return text;
  static const char32_t* const kWords[] = {U"the",     U"Revenue", U"of",   U"every", U"Value",   U"store",
                                           U"divided", U"by",      U"over", U"level", U"average", U"Vendor",
                                           U"region",  U"quarter", U"and",  U"total", U"product", U"movement"};
  std::mt19937 random(42);
  text.reserve(size + 128);
  std::size_t sinceReference = 0;
  std::size_t references = 0;
  while (text.size() < size) {
    if (sinceReference >= 90) {
      const VXString ref = (references % 16 == 15) ? U"VALUELISTOF(VX_SESSION.REGIONS)" : U"VALUEOF(VX_SESSION.USER)";
      text += (references % 8 == 3) ? U"'" + ref + U"' " : ref + U" ";
      ++references;
      sinceReference = 0;
      continue;
    }
    const VXString word = kWords[random() % std::size(kWords)];
    text += word;
    text += U' ';
    sinceReference += word.size() + 1;
  }
  text.resize(size);
  return text;
}

void BM_FindVariables(benchmark::State& state) {
  const VXString& text = Text(static_cast<std::size_t>(state.range(0)));
  VariablePositions refs;
  for (auto _ : state) {
    refs.clear();
    MetadataUtil::FindVariables(text, refs);
    benchmark::DoNotOptimize(refs.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.counters["refs"] = static_cast<double>(refs.size());
  state.counters["ns/char"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel("MB/s = million characters per second");
}
BENCHMARK(BM_FindVariables)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);

// The floor: one find_first_of pass over the same text, stopping wherever a
// scanning pass has to look closer.
void BM_FindFirstOf(benchmark::State& state) {
  const VXString& text = Text(static_cast<std::size_t>(state.range(0)));
  const std::u32string_view stops = U"vV'\"";
  std::size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    for (std::size_t pos = text.find_first_of(stops); pos != VXString::npos; pos = text.find_first_of(stops, pos + 1)) {
      ++hits;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["ns/char"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FindFirstOf)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
