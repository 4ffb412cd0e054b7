// Loading and saving repository files of 10^4 to 10^6 objects (RpGenerator),
// with the memory the loaded repository takes per object (heap bytes in use
// after the load minus before, glibc's count).
//
//   ./bench_rpfile --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <string>

#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"

namespace {

const std::string& RepositoryFile(std::size_t n) {
  static std::map<std::size_t, std::string> files;
  std::string& path = files[n];
  if (path.empty()) {
    path = "/tmp/smutil_bench_rpfile_" + std::to_string(n) + ".rpd.xml";
    RpGenerator::Options options;
    options.m_objectCount = n;
    RpFile::Save(*RpGenerator::Generate(options), path);
  }
  return path;
}

void BM_LoadRepositoryFile(benchmark::State& state) {
  const std::string& path = RepositoryFile(static_cast<std::size_t>(state.range(0)));
  double bytesPerObject = 0;
  std::size_t objects = 0;
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    std::unique_ptr<ARpGateway> rp = RpFile::Load(path);
    state.PauseTiming();
    objects = rp->GetObjectCount();
    bytesPerObject = static_cast<double>(mallinfo2().uordblks - before) / static_cast<double>(objects);
    rp.reset();
    state.ResumeTiming();
  }
  state.counters["objects"] = static_cast<double>(objects);
  state.counters["bytes_per_object"] = bytesPerObject;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f) {
    std::fseek(f, 0, SEEK_END);
    state.counters["file_MB"] = static_cast<double>(std::ftell(f)) / 1e6;
    std::fclose(f);
  }
}
BENCHMARK(BM_LoadRepositoryFile)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(3);

void BM_SaveRepositoryFile(benchmark::State& state) {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(RepositoryFile(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    std::string text = RpFile::SaveToString(*rp);
    benchmark::DoNotOptimize(text);
  }
  state.counters["objects"] = static_cast<double>(rp->GetObjectCount());
}
BENCHMARK(BM_SaveRepositoryFile)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
