// Moving columns between tables with MetadataUtil::SetParent.
//
// BM_MoveColumns/N builds two tables of N columns each and moves columns of
// the first one by one, first column first (the dearest place to take one
// from an ordered child list), into the second: min(N, 10^4) moves, one per
// iteration, so the time per iteration is the time of one move. It should
// not grow with N.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"

namespace {

VXString Numbered(const VXString& prefix, int i) {
  VXString out = prefix;
  for (char c : std::to_string(i)) out.push_back(static_cast<char32_t>(c));
  return out;
}

void BM_MoveColumns(benchmark::State& state) {
  const int columns = static_cast<int>(state.range(0));
  ARpGateway rp;
  RpBuilder b(rp);
  auto schema = b.Add(kTIDADatabase, U"Warehouse").Child(kTIDACatalog, U"Main").Child(kTIDASchema, U"dbo");
  auto from = schema.Child(kTIDATable, U"From");
  auto to = schema.Child(kTIDATable, U"To");
  std::vector<Ref<ARpObject>> moving;
  for (int c = 0; c < columns; ++c) {
    moving.push_back(rp.GetObject(from.Child(kTIDAColumn, Numbered(U"F", c))));
    to.Child(kTIDAColumn, Numbered(U"T", c));
  }
  const Ref<ARpObject> target = rp.GetObject(to);
  std::size_t next = 0;
  for (auto _ : state) {
    if (next == moving.size()) {
      state.SkipWithError("more iterations than columns");
      break;
    }
    MetadataUtil::SetParent(moving[next++], target);
  }
  for (std::size_t i = 0; i < next; ++i) {
    if (!(MetadataUtil::GetParent(moving[i]) == target)) state.SkipWithError("a column did not move");
  }
  state.counters["columns_per_table"] = columns;
  state.counters["moves"] = static_cast<double>(next);
}
BENCHMARK(BM_MoveColumns)->Arg(1000)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveColumns)->Arg(10000)->Iterations(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveColumns)->Arg(100000)->Iterations(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
