// Dictionary paths of a whole repository: GetDictRelativePath for every
// object of a physical layer of about 10^6 objects (10 databases, 10 catalogs
// each, 100 tables per catalog, 99 columns per table), every object with a
// GUID. Reported as ns per object; a dictionary writer calls this once per
// document.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "Metadata/SMDictUtil.h"
#include "objectmodel/ObjectModel.h"

namespace {

struct Repository {
  ARpGateway rp;
  RpObjectVector objects;
};

Repository& BigRepository() {
  static Repository* repo = [] {
    auto* r = new Repository;
    RpBuilder b(r->rp);
    std::mt19937_64 rng(7);
    const auto withGuid = [&](const RpBuilder::Node& n) {
      ByteVector g(16);
      for (auto& x : g) x = static_cast<std::uint8_t>(rng());
      n.Set(RpProp::kGUID, g);
      r->objects.push_back(n.Obj());
      return n;
    };
    const auto name = [](const char32_t* stem, int i) { return stem + ToVXString(std::to_string(i)); };
    for (int d = 0; d < 10; ++d) {
      auto db = withGuid(b.Add(kTIDADatabase, name(U"Database ", d)));
      for (int c = 0; c < 10; ++c) {
        auto cat = withGuid(db.Child(kTIDACatalog, name(U"Catalog #", c)));
        for (int t = 0; t < 100; ++t) {
          auto table = withGuid(cat.Child(kTIDATable, name(U"Fact table of the sales area ", t)));
          for (int k = 0; k < 99; ++k) withGuid(table.Child(kTIDAColumn, name(U"Col\u00E9 ", k)));
        }
      }
    }
    return r;
  }();
  return *repo;
}

void BM_DictRelativePath(benchmark::State& state) {
  Repository& repo = BigRepository();
  DictUniqueNamesCache cache;
  std::size_t chars = 0;
  for (auto _ : state) {
    for (const Ref<ARpObject>& obj : repo.objects) {
      VXString path = MetadataDictUtil::GetDictRelativePath(obj, cache);
      chars += path.size();
      benchmark::DoNotOptimize(path.data());
    }
  }
  const auto n = static_cast<double>(repo.objects.size());
  state.counters["objects"] = n;
  state.counters["ns_per_object"] =
      benchmark::Counter(n * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  benchmark::DoNotOptimize(chars);
}

}  // namespace

BENCHMARK(BM_DictRelativePath)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
