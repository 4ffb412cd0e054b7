// Encoding and decoding a lookup condition: a NamedInterfaceTypeCondition
// for a presentation column with a three-segment name, to its tagged byte
// form and back.
//
//   ./bench_condition_bytes
#include <benchmark/benchmark.h>

#include <memory>

#include "Metadata/SMLookupCondition.h"
#include "objectmodel/ObjectModel.h"

namespace {

const NamedInterfaceTypeCondition& Condition() {
  static const NamedInterfaceTypeCondition named(kTIDAFolderAttr, QualifiedName{U"Sales", U"Orders", U"Amount"}, true);
  return named;
}

void BM_EncodeNamedCondition(benchmark::State& state) {
  ARpGateway rp;
  ByteVector bytes;
  for (auto _ : state) {
    bytes.clear();
    ConditionRegistry::ToTaggedBytes(&rp, Condition(), bytes);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodeNamedCondition);

void BM_DecodeNamedCondition(benchmark::State& state) {
  ARpGateway rp;
  ByteVector bytes;
  ConditionRegistry::ToTaggedBytes(&rp, Condition(), bytes);
  for (auto _ : state) {
    std::unique_ptr<ACondition> back =
        ConditionRegistry::FromTaggedBytes(&rp, bytes.data(), bytes.data() + bytes.size());
    benchmark::DoNotOptimize(back.get());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_DecodeNamedCondition);

// The round trip a caller pays: encode into a reused buffer, decode.
void BM_EncodeDecodeNamedCondition(benchmark::State& state) {
  ARpGateway rp;
  ByteVector bytes;
  for (auto _ : state) {
    bytes.clear();
    ConditionRegistry::ToTaggedBytes(&rp, Condition(), bytes);
    std::unique_ptr<ACondition> back =
        ConditionRegistry::FromTaggedBytes(&rp, bytes.data(), bytes.data() + bytes.size());
    benchmark::DoNotOptimize(back.get());
  }
}
BENCHMARK(BM_EncodeDecodeNamedCondition);

}  // namespace

BENCHMARK_MAIN();
