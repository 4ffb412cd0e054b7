// Repository maintenance: re-keying 1,000 sealed passwords (the two key
// derivations are done once for the whole list), and writing a generated
// repository of 10^5 and 10^6 objects (RpGenerator) to an archive file with
// columns grouped after their tables. The cost per object must not grow
// with the size: compare items_per_second (objects per CPU second) between
// the two sizes.
//
//   ./bench_maintenance --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

#include "Metadata/SMUtil.h"
#include "Utility/HALOStrongEncryption.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpGenerator.h"

namespace {

void BM_GetNewAESStrings(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  ByteVector key;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"old pass phrase", key);
  VXStringVector sealed;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string plain = "password-" + std::to_string(i);
    sealed.push_back(HALOStrongEncryption::AESEncryptPasswordForScript(key, ByteVector(plain.begin(), plain.end())));
  }
  const auto before = HALOStrongEncryption::GetCallCounts();
  VXStringVector out;
  for (auto _ : state) {
    out.clear();
    if (!MetadataUtil::GetNewAESStrings(U"old pass phrase", sealed, U"new pass phrase", out)) {
      state.SkipWithError("a string did not open");
    }
    benchmark::DoNotOptimize(out.data());
  }
  const auto after = HALOStrongEncryption::GetCallCounts();
  state.counters["strings"] = static_cast<double>(n);
  state.counters["derivations/call"] =
      static_cast<double>(after.m_derivations - before.m_derivations) / static_cast<double>(state.iterations());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_GetNewAESStrings)->Arg(1000)->Unit(benchmark::kMillisecond);

struct Generated {
  std::unique_ptr<ARpGateway> rp;
  Repository::ObjectPointerMap map;
};

Generated& Repo(std::size_t n) {
  static std::map<std::size_t, Generated> repos;
  Generated& g = repos[n];
  if (!g.rp) {
    repos.clear();  // one large repository in memory at a time
    Generated& fresh = repos[n];
    RpGenerator::Options options;
    options.m_objectCount = n;
    fresh.rp = RpGenerator::Generate(options);
    fresh.map = Repository::AllObjects(*fresh.rp);
    return fresh;
  }
  return g;
}

void BM_WriteToRPDAfterGroupingColumnsByTable(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  Generated& g = Repo(n);
  const std::string path = "/tmp/smutil_bench_maintenance_" + std::to_string(n) + ".rpa";
  long bytes = 0;
  for (auto _ : state) {
    DiskFile file(path);
    ARpArchive archive(file);
    const int written = MetadataUtil::WriteToRPDAfterGroupingColumnsByTable(archive, g.map, nullptr);
    archive.Finish();
    file.Close();
    if (static_cast<std::size_t>(written) != n) state.SkipWithError("not every object was written");
    bytes = file.GetPosition();
  }
  std::remove(path.c_str());
  state.counters["objects"] = static_cast<double>(n);
  state.counters["archive MB"] = static_cast<double>(bytes) / 1e6;
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_WriteToRPDAfterGroupingColumnsByTable)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
