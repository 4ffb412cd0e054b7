// The library's side of the Python module's calls, for the binding's
// overhead: exactly the work smutil.Repository.resolve("Sales.Orders") and
// smutil.quote(["Sales", 'Order "Lines"', "Amount"]) hand to the library,
// without Python. bench/python_overhead.py times the Python calls against
// these.
#include <benchmark/benchmark.h>

#include <memory>

#include "Metadata/SMNameResolution.h"
#include "Metadata/SMNameText.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpFile.h"

namespace {

void BM_ResolveTableFromText(benchmark::State& state) {
  const std::unique_ptr<ARpGateway> rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml");
  const VXString text = U"Sales.Orders";
  for (auto _ : state) {
    NameResolution r = ResolveTableName(rp.get(), QualifiedNameFromText(text), kSME_Logical, false);
    benchmark::DoNotOptimize(r.pairs.data());
  }
  state.SetLabel("Sales.Orders on the sample, " + std::to_string(rp->GetObjectCount()) + " objects");
}
BENCHMARK(BM_ResolveTableFromText);

void BM_QuoteThreeSegments(benchmark::State& state) {
  for (auto _ : state) {
    const QualifiedName q{U"Sales", U"Order \"Lines\"", U"Amount"};
    VXString written = MetadataUtil::ToQualifiedName(q);
    benchmark::DoNotOptimize(written.data());
  }
  state.SetLabel("3 segments, fresh vector");
}
BENCHMARK(BM_QuoteThreeSegments);

}  // namespace

BENCHMARK_MAIN();
