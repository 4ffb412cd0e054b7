// What a delete would take along (MetadataUtil::GetDeleteDescendants), nothing
// deleted: a whole database of 10^3 to 10^5 objects (time per dependent stays
// flat: the walk is linear in what it finds), and one key column in
// repositories of 10^4 to 10^6 objects (time per call stays flat: nothing in
// the walk grows with the repository).
//
//   ./bench_delete --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

VXString Numbered(const char* prefix, std::size_t i) { return ToVXString(prefix + std::to_string(i)); }

// A database holding exactly count objects below it: a catalog, schemas of
// 400 tables, each table 20 columns, a primary key on its first column and a
// foreign key to the previous table's key; beside the database, a complex
// join between each table and the previous one. So every rule of the walk
// is met: containment, key columns (329), foreign-key references (41) and
// complex joins (40).
struct DatabaseRepository {
  ARpGateway rp;
  VoidID db;

  explicit DatabaseRepository(std::size_t count) {
    std::size_t made = 0;
    auto create = [&](TypeID type, const VXString& name, const VoidID& parent) {
      if (made >= count) return VoidID::NullID;
      ++made;
      return rp.CreateObject(type, name, parent).GetID();
    };
    db = rp.CreateObject(kTIDADatabase, U"DW").GetID();
    const VoidID catalog = create(kTIDACatalog, U"CAT", db);
    VoidID schema, previousTable, previousKey;
    for (std::size_t t = 0; made < count; ++t) {
      if (t % 400 == 0) schema = create(kTIDASchema, Numbered("S", t / 400), catalog);
      const VoidID table = create(kTIDATable, Numbered("T", t), schema);
      if (table.IsNull()) break;
      VoidID firstColumn;
      for (std::size_t c = 0; c < 20; ++c) {
        const VoidID column = create(kTIDAColumn, Numbered("C", c), table);
        if (c == 0) firstColumn = column;
      }
      const VoidID key = create(kTIDATableKey, U"PK", table);
      if (!key.IsNull() && !firstColumn.IsNull()) rp.InsertTuple(RpRel::kKeyColumn, {firstColumn, key});
      const VoidID fk = create(kTIDAForeignKey, U"FK", table);
      if (!fk.IsNull() && !previousKey.IsNull()) rp.InsertTuple(RpRel::kForeignKeyReference, {table, previousKey, fk});
      if (!previousTable.IsNull()) {
        const VoidID join = rp.CreateObject(kTIDAComplexJoin, Numbered("J", t)).GetID();
        rp.InsertTuple(RpRel::kComplexJoin, {previousTable, table, join});
      }
      previousTable = table;
      previousKey = key;
    }
  }
};

DatabaseRepository& CachedDatabase(std::size_t count) {
  static std::map<std::size_t, std::unique_ptr<DatabaseRepository>> cache;
  auto& repo = cache[count];
  if (!repo) repo = std::make_unique<DatabaseRepository>(count);
  return *repo;
}

void BM_DeleteDescendantsOfDatabase(benchmark::State& state) {
  DatabaseRepository& repo = CachedDatabase(static_cast<std::size_t>(state.range(0)));
  const Ref<ARpObject> db = repo.rp.GetObject(repo.db);
  RpObjectVector children;
  for (auto _ : state) {
    MetadataUtil::GetDeleteDescendants(db, children);
    benchmark::DoNotOptimize(children.data());
  }
  const double dependents = static_cast<double>(children.size());
  state.counters["objects"] = static_cast<double>(repo.rp.GetObjectCount());
  state.counters["dependents"] = dependents;
  state.counters["per_dependent"] = benchmark::Counter(dependents * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DeleteDescendantsOfDatabase)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The floor to compare with: visiting the same objects (children and tuples
// of each, breadth first) without deciding or marking anything. What the
// walk adds per dependent is the difference; both grow alike once the
// database no longer fits in the caches.
void BM_SubtreeVisitFloor(benchmark::State& state) {
  DatabaseRepository& repo = CachedDatabase(static_cast<std::size_t>(state.range(0)));
  const Ref<ARpObject> db = repo.rp.GetObject(repo.db);
  std::vector<ARpObject*> queue;
  std::vector<std::uint32_t> handles;
  std::size_t visited = 0;
  for (auto _ : state) {
    queue.assign(1, db.Get());
    std::size_t tuples = 0;
    for (std::size_t i = 0; i < queue.size(); ++i) {
      for (ARpObject* c : queue[i]->GetChildPointers()) queue.push_back(c);
      handles.clear();
      repo.rp.FindTuplesOf(queue[i]->GetID(), handles);
      tuples += handles.size();
    }
    visited = queue.size() - 1;
    benchmark::DoNotOptimize(tuples);
  }
  state.counters["visited"] = static_cast<double>(visited);
  state.counters["per_object"] = benchmark::Counter(static_cast<double>(visited * state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SubtreeVisitFloor)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

ARpGateway& GeneratedRepository(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<ARpGateway>> cache;
  auto& rp = cache[n];
  if (!rp) {
    RpGenerator::Options options;
    options.m_objectCount = n;
    rp = RpGenerator::Generate(options);
  }
  return *rp;
}

// One physical column at a time, cycling through the key columns of the first
// 256 tables (each takes its table's key along): the same amount of work at
// every size, so only the repository around it grows.
void BM_DeleteDescendantsOfColumn(benchmark::State& state) {
  ARpGateway& rp = GeneratedRepository(static_cast<std::size_t>(state.range(0)));
  VoidIDVector keys;
  rp.GetObjectIDsOfType(kTIDATableKey, keys);
  std::vector<Ref<ARpObject>> columns;
  for (const VoidID& k : keys) {
    BinaryRelIter<AColumn> it = Ref<ATableKey>(rp.GetObject(k))->GetColumns();
    if (!it.IsEnd()) columns.push_back(it.GetObjRef());
    if (columns.size() == 256) break;
  }
  if (columns.empty()) {
    state.SkipWithError("no key column");
    return;
  }
  RpObjectVector children;
  std::size_t i = 0, dependents = 0;
  for (auto _ : state) {
    MetadataUtil::GetDeleteDescendants(columns[i++ % columns.size()], children);
    dependents += children.size();
  }
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["dependents"] = static_cast<double>(dependents) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DeleteDescendantsOfColumn)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
