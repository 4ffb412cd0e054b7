// The consistency check on generated repositories (RpGenerator) of 10^5 and
// 10^6 objects: every check on every object, findings sorted (the generator
// leaves physical columns without data type, so most columns give a
// finding: the sort and the message texts are part of the figure). Then the
// incremental check after one table was renamed: the scope computed against
// an unchanged copy (loaded, or as the text of its file), and the checks run
// on that scope only. Loading the repository files is not included
// (bench_rpfile measures it). Last, n physical tables (or logical tables, or
// presentation columns) of one container that all share one name, as many
// presentation columns whose alias is that name, and a chain of n logical
// levels each under the one before: the cost per object must stay flat as
// n grows from 10^4 to 10^5.
//
//   ./bench_checks --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "Checks/ConsistencyCheck.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace {

std::unique_ptr<ARpGateway> Generated(std::size_t n) {
  RpGenerator::Options options;
  options.m_objectCount = n;
  return RpGenerator::Generate(options);
}

ARpGateway& Repository(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<ARpGateway>> repositories;
  std::unique_ptr<ARpGateway>& rp = repositories[n];
  if (!rp) rp = Generated(n);
  return *rp;
}

void BM_CheckWholeRepository(benchmark::State& state) {
  ARpGateway& rp = Repository(static_cast<std::size_t>(state.range(0)));
  std::size_t findings = 0;
  for (auto _ : state) {
    const std::vector<ConsistencyMessage> found = RunConsistencyChecks(rp, {});
    findings = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["ns_per_object"] =
      benchmark::Counter(static_cast<double>(rp.GetObjectCount()),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckWholeRepository)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CheckChangedSinceAfterRename(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  ARpGateway& rp = Repository(n);
  const std::unique_ptr<ARpGateway> earlier = Generated(n);  // the same seed: the same repository
  VoidIDVector tables;
  rp.GetObjectIDsOfType(kTIDATable, tables);
  const Ref<ARpObject> table = rp.GetObject(tables.front());
  const VXString oldName = table->GetName();
  rp.RenameObject(table.GetID(), oldName + U"_RENAMED", false);
  std::size_t scope = 0;
  std::size_t findings = 0;
  for (auto _ : state) {
    ConsistencyCheckOptions options;
    options.m_scope = ChangedObjectScope(rp, *earlier);
    scope = options.m_scope->size();
    findings = RunConsistencyChecks(rp, options).size();
  }
  rp.RenameObject(table.GetID(), oldName, false);
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["scope"] = static_cast<double>(scope);
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckChangedSinceAfterRename)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same, with the scope found from the two files' texts (as smutil check
// --changed-since does): the texts are written before the timing starts.
void BM_CheckChangedSinceAfterRenameByText(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  ARpGateway& rp = Repository(n);
  const std::string earlierText = RpFile::SaveToString(rp);
  VoidIDVector tables;
  rp.GetObjectIDsOfType(kTIDATable, tables);
  const Ref<ARpObject> table = rp.GetObject(tables.front());
  const VXString oldName = table->GetName();
  rp.RenameObject(table.GetID(), oldName + U"_RENAMED", false);
  const std::string nowText = RpFile::SaveToString(rp);
  std::size_t scope = 0;
  std::size_t findings = 0;
  bool bByText = false;
  for (auto _ : state) {
    ConsistencyCheckOptions options;
    ChangedScopeFromText changed = ChangedObjectScope(rp, nowText, earlierText, "earlier");
    bByText = changed.bComparedAsText;
    scope = changed.scope.size();
    options.m_scope = std::move(changed.scope);
    findings = RunConsistencyChecks(rp, options).size();
  }
  rp.RenameObject(table.GetID(), oldName, false);
  if (!bByText) state.SkipWithError("the texts were not compared as text");
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["bytes"] = static_cast<double>(nowText.size());
  state.counters["scope"] = static_cast<double>(scope);
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckChangedSinceAfterRenameByText)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// n objects of type under one parent, all named alike but for case.
std::unique_ptr<ARpGateway> SameNamed(TypeID type, std::size_t n) {
  auto rp = std::make_unique<ARpGateway>();
  VoidID parent;
  if (type == kTIDATable) {
    parent = rp->CreateObject(kTIDADatabase, U"DW").GetID();
  } else if (type == kTIDALogicalTable) {
    parent = rp->CreateObject(kTIDASubjectArea, U"Sales").GetID();
  } else {
    const VoidID area = rp->CreateObject(kTIDACatalogFolder, U"Sales").GetID();
    parent = rp->CreateObject(kTIDAEntityFolder, U"Orders", area).GetID();
  }
  for (std::size_t i = 0; i < n; ++i) rp->CreateObject(type, i % 2 ? U"Same" : U"SAME", parent);
  return rp;
}

void BM_CheckSameNamedObjects(benchmark::State& state) {
  const auto type = static_cast<TypeID>(state.range(0));
  const auto n = static_cast<std::size_t>(state.range(1));
  const std::unique_ptr<ARpGateway> rp = SameNamed(type, n);
  std::size_t findings = 0;
  for (auto _ : state) findings = RunConsistencyChecks(*rp, {}).size();
  state.counters["objects"] = static_cast<double>(n);
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["ns_per_object"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckSameNamedObjects)
    ->ArgsProduct({{kTIDATable, kTIDALogicalTable, kTIDAFolderAttr}, {10000, 20000, 40000, 100000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// n presentation columns of one table, all named alike but for case and
// all keeping that name (as it was before a case-only rename) as an alias:
// each alias names n siblings.
void BM_CheckSameNamedAliases(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  ARpGateway rp;
  const VoidID area = rp.CreateObject(kTIDACatalogFolder, U"Sales").GetID();
  const VoidID table = rp.CreateObject(kTIDAEntityFolder, U"Orders", area).GetID();
  for (std::size_t i = 0; i < n; ++i) {
    rp.AddAlias(rp.CreateObject(kTIDAFolderAttr, i % 2 ? U"Same" : U"SAME", table).GetID(), U"same");
  }
  std::size_t findings = 0;
  for (auto _ : state) findings = RunConsistencyChecks(rp, {}).size();
  state.counters["objects"] = static_cast<double>(n);
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["ns_per_object"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckSameNamedAliases)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A chain of n logical levels, each under the one before: every level asks
// for the dimension above it, and has two findings (no key, no columns)
// whose order is that of their texts, which hold qualified names as long
// as the chain is deep. The checks and the sort are the figure.
void BM_CheckLevelChain(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  ARpGateway rp;
  const VoidID bm = rp.CreateObject(kTIDASubjectArea, U"Sales").GetID();
  VoidID parent = rp.CreateObject(kTIDADimension, U"D", bm).GetID();
  for (std::size_t i = 0; i < n; ++i) parent = rp.CreateObject(kTIDALevel, U"L", parent).GetID();
  ConsistencyCheckOptions options;
  options.m_types = {kTIDALevel};
  std::size_t findings = 0;
  for (auto _ : state) findings = RunConsistencyChecks(rp, options).size();
  state.counters["levels"] = static_cast<double>(n);
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["ns_per_object"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckLevelChain)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
