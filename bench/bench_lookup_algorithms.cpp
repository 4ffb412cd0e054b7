// Resolving a query's table and column names in a synthetic repository of
// 10^6 objects (RpGenerator: column names reused across hundreds of tables,
// subject areas of 1,000 presentation tables), next to a bare hash-map probe
// over as many keys in the same binary. Each presentation table also answers
// to its entity word ("Customer", "Order", ...), a former name that hundreds
// of tables share, as a repository renamed over the years would have it.
//
//   ./bench_lookup_algorithms --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_map>

#include "BareProbe.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

using NITC = NamedInterfaceTypeCondition;
constexpr std::size_t kObjects = 1000000;
constexpr std::size_t kProbes = 1024;

ARpGateway& Repository() {
  static std::unique_ptr<ARpGateway> rp = [] {
    RpGenerator::Options options;
    options.m_objectCount = kObjects;
    std::unique_ptr<ARpGateway> r = RpGenerator::Generate(options);
    VoidIDVector tables;
    r->GetObjectIDsOfType(kTIDAEntityFolder, tables);
    for (const VoidID& id : tables) {
      // "Customer 1234" also answers to "Customer".
      const VXString name = r->GetObject(id)->GetName();
      r->AddAlias(id, name.substr(0, name.find(U' ')));
    }
    return r;
  }();
  return *rp;
}

std::vector<VoidID> RandomOfType(ARpGateway& rp, TypeID type, std::uint32_t seed) {
  VoidIDVector all;
  rp.GetObjectIDsOfType(type, all);
  std::mt19937 random(seed);
  std::vector<VoidID> out;
  for (std::size_t i = 0; i < kProbes && !all.empty(); ++i) out.push_back(all[random() % all.size()]);
  return out;
}

QualifiedName NameOf(ARpGateway& rp, const VoidID& id) {
  QualifiedName q;
  MetadataUtil::GenerateQualifiedName(rp.GetObject(id), q);
  return q;
}

void Report(benchmark::State& state, ARpGateway& rp, std::size_t resolved) {
  if (resolved != static_cast<std::size_t>(state.iterations())) state.SkipWithError("a name did not resolve");
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
}

// LookupFolderTree over prepared presentation names, as the administrator.
void RunFolderTree(benchmark::State& state, const std::vector<QualifiedName>& names, const VXString& defaultArea) {
  ARpGateway& rp = Repository();
  rp.SetDefaultSubjectAreaName(defaultArea);
  QualifiedNameIDPairVector pairs;
  VoidIDSet tables;
  VoidID area;
  std::size_t i = 0, resolved = 0;
  for (auto _ : state) {
    tables.clear();
    const auto code =
        NITC::LookupFolderTree(names[i++ % names.size()], pairs, &rp, kSME_Logical, tables, area, false, false);
    resolved += code == NITC::kOK;
  }
  rp.SetDefaultSubjectAreaName(VXString());
  Report(state, rp, resolved);
  state.counters["pairs"] = static_cast<double>(pairs.size());
}

void BM_FolderTreeThreeSegments(benchmark::State& state) {
  ARpGateway& rp = Repository();
  std::vector<QualifiedName> names;
  for (const VoidID& id : RandomOfType(rp, kTIDAEntityFolder, 3)) names.push_back(NameOf(rp, id));
  RunFolderTree(state, names, VXString());
}
BENCHMARK(BM_FolderTreeThreeSegments);

void BM_FolderTreeTwoSegmentsWidened(benchmark::State& state) {
  ARpGateway& rp = Repository();
  std::vector<QualifiedName> names;
  for (const VoidID& id : RandomOfType(rp, kTIDAEntityFolder, 5)) {
    const QualifiedName q = NameOf(rp, id);
    names.push_back({q.front(), q.back()});
  }
  RunFolderTree(state, names, VXString());
}
BENCHMARK(BM_FolderTreeTwoSegmentsWidened);

// A table name alone, found in the session's default subject area.
void BM_FolderTreeThroughDefaultSubjectArea(benchmark::State& state) {
  ARpGateway& rp = Repository();
  VoidIDVector areas;
  rp.GetObjectIDsOfType(kTIDACatalogFolder, areas);
  const Ref<AFolder> area(rp.GetObject(areas.front()));
  VoidIDVector inArea;
  for (BinaryRelIter<AFolder> it = area->GetSubFolders(); !it.IsEnd(); ++it) inArea.push_back((*it).GetID());
  std::mt19937 random(7);
  std::vector<QualifiedName> names;
  for (std::size_t i = 0; i < kProbes; ++i)
    names.push_back({rp.GetObject(inArea[random() % inArea.size()])->GetName()});
  RunFolderTree(state, names, area->GetName());
  state.counters["tables in area"] = static_cast<double>(inArea.size());
}
BENCHMARK(BM_FolderTreeThroughDefaultSubjectArea);

// A subject area's name: every table of the area, one pair per name.
void BM_FolderTreeSubjectAreaListing(benchmark::State& state) {
  ARpGateway& rp = Repository();
  VoidIDVector areas;
  rp.GetObjectIDsOfType(kTIDACatalogFolder, areas);
  std::vector<QualifiedName> names;
  for (const VoidID& id : areas) names.push_back({rp.GetObject(id)->GetName()});
  RunFolderTree(state, names, VXString());
}
BENCHMARK(BM_FolderTreeSubjectAreaListing)->Unit(benchmark::kMicrosecond);

// Three-segment names again for a user denied 100 of the subject areas'
// tables: the read check walks each match's containers.
void BM_FolderTreeThreeSegmentsWithDenials(benchmark::State& state) {
  ARpGateway& rp = Repository();
  VoidIDVector all;
  rp.GetObjectIDsOfType(kTIDAEntityFolder, all);
  for (std::size_t i = 0; i < 100 && i < all.size(); ++i) rp.DenyRead(all[i * (all.size() / 100)]);
  std::vector<QualifiedName> names;
  for (const VoidID& id : RandomOfType(rp, kTIDAEntityFolder, 3)) {
    if (!rp.IsReadDenied(id)) names.push_back(NameOf(rp, id));
  }
  RunFolderTree(state, names, VXString());
  rp.ClearReadDenials();
}
BENCHMARK(BM_FolderTreeThreeSegmentsWithDenials);

void BM_FullyQualifiedColumn(benchmark::State& state) {
  ARpGateway& rp = Repository();
  std::vector<QualifiedName> names;
  for (const VoidID& id : RandomOfType(rp, kTIDAFolderAttr, 9)) names.push_back(NameOf(rp, id));
  VoidIDVector columns;
  VoidIDSet tables;
  std::size_t i = 0, resolved = 0;
  for (auto _ : state) {
    bool bInaccessible = false;
    NITC::LookupFullyQualifiedColumn(names[i++ % names.size()], columns, VoidID::NullID, &rp, kSME_Logical, tables,
                                     false, bInaccessible);
    resolved += !columns.empty();
  }
  Report(state, rp, resolved);
}
BENCHMARK(BM_FullyQualifiedColumn);

// catalog.schema.table, and the same with "database.catalog" as the first
// part (no match, then the split and rebuilt name).
void RunPhysical(benchmark::State& state, bool bConcatenated) {
  ARpGateway& rp = Repository();
  std::vector<QualifiedName> names;
  VoidIDVector all;
  rp.GetObjectIDsOfType(kTIDATable, all);
  std::mt19937 random(11);
  while (names.size() < kProbes) {
    const QualifiedName q = NameOf(rp, all[random() % all.size()]);
    if (q.size() != 4 || q[1].empty() || q[2].empty()) continue;  // databases with catalog and schema
    names.push_back(bConcatenated ? QualifiedName{q[0] + U"." + q[1], q[2], q[3]} : QualifiedName{q[1], q[2], q[3]});
  }
  VoidIDVector ids;
  VoidIDSet tables;
  std::size_t i = 0, resolved = 0;
  for (auto _ : state) {
    ids.clear();
    resolved += NITC::LookupPhysicalTable(names[i++ % names.size()], ids, &rp, tables, false) == NITC::kOK;
  }
  Report(state, rp, resolved);
}
void BM_PhysicalTableThreeParts(benchmark::State& state) { RunPhysical(state, false); }
void BM_PhysicalTableConcatenatedCatalog(benchmark::State& state) { RunPhysical(state, true); }
BENCHMARK(BM_PhysicalTableThreeParts);
BENCHMARK(BM_PhysicalTableConcatenatedCatalog);

// The floor: one probe of a hash map keyed by the written qualified names of
// as many objects as the repository holds.
void BM_UnorderedMapProbe(benchmark::State& state) {
  ARpGateway& rp = Repository();
  const std::unordered_map<std::u32string, ARpObject*> map = bench::MapOfWrittenNames(rp);
  std::vector<std::u32string> keys;
  for (const VoidID& id : RandomOfType(rp, kTIDAEntityFolder, 3)) {
    keys.push_back(bench::WrittenNameKey(rp.GetObject(id), kTIDAEntityFolder));
  }
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    auto it = map.find(keys[i++ % keys.size()]);
    found += it != map.end();
    benchmark::DoNotOptimize(it);
  }
  Report(state, rp, found);
  state.counters["keys"] = static_cast<double>(map.size());
}
BENCHMARK(BM_UnorderedMapProbe);

}  // namespace

BENCHMARK_MAIN();
