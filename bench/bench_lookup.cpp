// Finding objects by qualified name in synthetic repositories of 10^3 to 10^6
// objects (RpGenerator: column names reused across hundreds of tables), next
// to a bare hash-map probe over as many keys, and the written-name match with
// and without former names.
//
//   ./bench_lookup --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <algorithm>
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

constexpr std::size_t kProbes = 4096;

ARpGateway& Repository(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<ARpGateway>> cache;
  auto& rp = cache[n];
  if (!rp) {
    RpGenerator::Options options;
    options.m_objectCount = n;
    rp = RpGenerator::Generate(options);
  }
  return *rp;
}

// Random existing objects, every type in proportion to its count.
std::vector<Ref<ARpObject>> RandomObjects(ARpGateway& rp, std::size_t count, std::uint32_t seed) {
  std::vector<VoidID> all;
  for (TypeID t : rp.GetKnownTypes()) rp.GetObjectIDsOfType(t, all);
  std::mt19937 random(seed);
  std::vector<Ref<ARpObject>> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(rp.GetObject(all[random() % all.size()]));
  return out;
}

void BM_GetRpObjectFromQualifiedName(benchmark::State& state) {
  ARpGateway& rp = Repository(static_cast<std::size_t>(state.range(0)));
  struct Probe {
    TypeID type;
    QualifiedName name;
  };
  std::vector<Probe> probes;
  for (const Ref<ARpObject>& obj : RandomObjects(rp, kProbes, 7)) {
    QualifiedName q;
    MetadataUtil::GenerateQualifiedName(obj, q);
    probes.push_back({obj->GetTypeID(), q});
  }
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    const Probe& p = probes[i++ % probes.size()];
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(&rp, p.type, p.name);
    found += !obj.IsNull();
    benchmark::DoNotOptimize(obj);
  }
  if (found != static_cast<std::size_t>(state.iterations())) state.SkipWithError("an existing object was not found");
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
}
BENCHMARK(BM_GetRpObjectFromQualifiedName)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000);

// The floor to compare with: one probe of a hash map keyed by the written
// qualified names of the same objects.
void BM_UnorderedMapProbe(benchmark::State& state) {
  ARpGateway& rp = Repository(static_cast<std::size_t>(state.range(0)));
  const std::unordered_map<std::u32string, ARpObject*> map = bench::MapOfWrittenNames(rp);
  std::vector<std::u32string> keys;
  for (const Ref<ARpObject>& obj : RandomObjects(rp, kProbes, 7)) {
    keys.push_back(bench::WrittenNameKey(obj, obj->GetTypeID()));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    auto it = map.find(keys[i++ % keys.size()]);
    benchmark::DoNotOptimize(it);
  }
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["keys"] = static_cast<double>(map.size());
}
BENCHMARK(BM_UnorderedMapProbe)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000);

// LookupObjects with a named condition built from the whole written name
// (accordion levels included) of random objects of one type, or with a
// flexible condition built from the same segments. Conditions are built
// before the clock runs; the figure is one LookupObjects call.
template <class Condition>
void RunConditionLookup(benchmark::State& state, TypeID type) {
  ARpGateway& rp = Repository(static_cast<std::size_t>(state.range(0)));
  VoidIDVector all;
  rp.GetObjectIDsOfType(type, all);
  std::mt19937 random(13);
  std::vector<std::pair<VoidID, std::unique_ptr<Condition>>> probes;
  for (std::size_t i = 0; i < 1024 && !all.empty(); ++i) {
    const VoidID id = all[random() % all.size()];
    QualifiedName q;
    MetadataUtil::GenerateQualifiedName(rp.GetObject(id), q);
    probes.emplace_back(id, std::make_unique<Condition>(TypeIDVector{type}, q, false));
  }
  if (probes.empty()) {
    state.SkipWithError("no object of the type");
    return;
  }
  VoidIDVector ids;
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    const auto& [id, condition] = probes[i++ % probes.size()];
    rp.LookupObjects(*condition, ids);
    found += std::find(ids.begin(), ids.end(), id) != ids.end();
  }
  if (found != static_cast<std::size_t>(state.iterations())) state.SkipWithError("an existing object was not found");
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
  state.counters["of type"] = static_cast<double>(all.size());
}

void BM_LookupNamedPhysicalColumn(benchmark::State& state) {
  RunConditionLookup<NamedInterfaceTypeCondition>(state, kTIDAColumn);
}
void BM_LookupNamedPhysicalTable(benchmark::State& state) {
  RunConditionLookup<NamedInterfaceTypeCondition>(state, kTIDATable);
}
void BM_LookupNamedPresentationColumn(benchmark::State& state) {
  RunConditionLookup<NamedInterfaceTypeCondition>(state, kTIDAFolderAttr);
}
void BM_LookupNamedPresentationTable(benchmark::State& state) {
  RunConditionLookup<NamedInterfaceTypeCondition>(state, kTIDAEntityFolder);
}
void BM_LookupFlexiblePresentationTable(benchmark::State& state) {
  RunConditionLookup<FlexibleNamedInterfaceTypeCondition>(state, kTIDAEntityFolder);
}
BENCHMARK(BM_LookupNamedPhysicalColumn)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_LookupNamedPhysicalTable)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_LookupNamedPresentationColumn)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_LookupNamedPresentationTable)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_LookupFlexiblePresentationTable)->Arg(10000)->Arg(100000)->Arg(1000000);

void BM_IsQualifiedNameMatch(benchmark::State& state) {
  const bool bAliases = state.range(1) != 0;
  ARpGateway& rp = Repository(static_cast<std::size_t>(state.range(0)));
  std::vector<std::pair<Ref<ARpObject>, VXString>> probes;
  for (const Ref<ARpObject>& obj : RandomObjects(rp, kProbes, 11)) {
    probes.emplace_back(obj, MetadataUtil::GenerateQualifiedName(obj));
  }
  std::size_t i = 0, matched = 0;
  for (auto _ : state) {
    const auto& [obj, name] = probes[i++ % probes.size()];
    matched += MetadataUtil::IsQualifiedNameMatch(obj, name, bAliases);
  }
  if (matched != static_cast<std::size_t>(state.iterations())) state.SkipWithError("a written name did not match");
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
}
BENCHMARK(BM_IsQualifiedNameMatch)->Args({1000000, 0})->Args({1000000, 1})->ArgNames({"objects", "aliases"});

}  // namespace

BENCHMARK_MAIN();
