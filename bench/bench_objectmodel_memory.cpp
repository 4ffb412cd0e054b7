// Memory and lookup speed of the in-memory repository.
//
// BM_BuildRepository builds a physical layer of 1,000 tables with 1,000
// columns each (about 10^6 objects) and reports the heap bytes per object
// (glibc's mallinfo2: bytes in use after minus before, handles released).
// BM_LookupColumnByName and BM_FindChildByName time the two ways of finding
// one column named "C7" among 1,000 same-named columns.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "objectmodel/ObjectModel.h"

namespace {

VXString Numbered(const VXString& prefix, int i) {
  VXString out = prefix;
  for (char c : std::to_string(i)) out.push_back(static_cast<char32_t>(c));
  return out;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void Build(ARpGateway& rp, int tables, int columns, std::vector<VoidID>* tableIDs = nullptr) {
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"Warehouse");
  auto schema = db.Child(kTIDACatalog, U"Main").Child(kTIDASchema, U"dbo");
  for (int t = 0; t < tables; ++t) {
    auto table = schema.Child(kTIDATable, Numbered(U"Table", t));
    if (tableIDs) tableIDs->push_back(table);
    for (int c = 0; c < columns; ++c) table.Child(kTIDAColumn, Numbered(U"C", c));
  }
}

void BM_BuildRepository(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    auto* rp = new ARpGateway;
    Build(*rp, n, n);
    const std::size_t after = HeapInUse();
    const double objects = static_cast<double>(rp->GetObjectCount());
    state.counters["objects"] = objects;
    state.counters["bytes_per_object"] = static_cast<double>(after - before) / objects;
    state.PauseTiming();
    delete rp;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildRepository)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LookupColumnByName(benchmark::State& state) {
  ARpGateway rp;
  Build(rp, static_cast<int>(state.range(0)), 100);
  VoidIDVector ids;
  for (auto _ : state) {
    rp.LookupObjects(TypedObjectNameCondition(kTIDAColumn, U"c7", false), ids);
    benchmark::DoNotOptimize(ids.data());
  }
  state.counters["candidates"] = static_cast<double>(ids.size());
}
BENCHMARK(BM_LookupColumnByName)->Arg(1000);

void BM_FindChildByName(benchmark::State& state) {
  ARpGateway rp;
  std::vector<VoidID> tables;
  Build(rp, static_cast<int>(state.range(0)), 100, &tables);
  VoidIDVector ids;
  for (auto _ : state) {
    ids.clear();
    rp.FindChildrenByName(tables[tables.size() / 2], kTIDAColumn, U"c7", ids);
    benchmark::DoNotOptimize(ids.data());
  }
  state.counters["found"] = static_cast<double>(ids.size());
}
BENCHMARK(BM_FindChildByName)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
