// Variable substitution (ReplaceVariableWithValue: the VALUEOF, VALUELISTOF
// and VALUENAMEOF passes) over generated text of 100 KB, 1 MB and 10 MB
// characters with one reference per about 100 characters: repository
// variables, session variables with single and list values, with and
// without positions. The time per character must not grow with the size
// (each pass is linear, however many references it replaces).
//
//   ./bench_substitution --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <map>
#include <random>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace {

ARpGateway& Repository() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway();
    RpBuilder b(*g);
    const auto variable = [&](const VXString& name, const VXString& expr) {
      b.Add(kTIDARpVariable, name)
          .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kStatic})
          .Set(RpProp::kExpr, ToStringVisitor::ExprFrom(expr));
    };
    variable(U"CURRENT_YEAR", U"2024");
    variable(U"COMPANY_NAME", U"'Bramble Retail'");
    variable(U"VAT_RATE", U"0.19");
    g->SetSessionVariableValue({U"VX_SESSION", U"USER"}, Heap<PropertyValue>(new PropertyValueString(U"anna.berg")));
    g->SetSessionVariableValue({U"VX_SESSION", U"REGION"}, Heap<PropertyValue>(new PropertyValueString(U"O'Neil")));
    g->SetSessionVariableValue(
        {U"VX_SESSION", U"REGIONS"},
        Heap<PropertyValue>(new PropertyValueStringVector({U"North", U"East", U"South", U"West"})));
    return g;
  }();
  return *rp;
}

// Words of plain prose with a reference about every 100 characters, taken
// in turn from every form the passes handle.
const VXString& Text(std::size_t size) {
  static std::map<std::size_t, VXString> cache;
  VXString& text = cache[size];
  if (!text.empty()) return text;
  static const char32_t* const kWords[] = {U"the",     U"Revenue", U"of",   U"every", U"Value",   U"store",
                                           U"divided", U"by",      U"over", U"level", U"average", U"Vendor",
                                           U"region",  U"quarter", U"and",  U"total", U"product", U"movement"};
  static const char32_t* const kReferences[] = {
      U"VALUEOF(CURRENT_YEAR)",
      U"VALUEOF(VX_SESSION.USER)",
      U"VALUELISTOF(VX_SESSION.REGIONS)",
      U"VALUEOF(COMPANY_NAME)",
      U"VALUEOF(2, VX_SESSION.REGIONS)",
      U"VALUENAMEOF(VX_SESSION.REGION)",
      U"VALUEOF(VAT_RATE)",
      U"VALUENAMEOF(1, VX_SESSION.REGIONS)",
      U"VALUEOF(VX_SESSION.REGIONS)",
      U"VALUEOF(9, VX_SESSION.REGIONS)",
  };
  std::mt19937 random(42);
  text.reserve(size + 128);
  std::size_t sinceReference = 0;
  std::size_t references = 0;
  while (text.size() < size) {
    if (sinceReference >= 90) {
      text += kReferences[references++ % std::size(kReferences)];
      text += U' ';
      sinceReference = 0;
      continue;
    }
    const VXString word = kWords[random() % std::size(kWords)];
    text += word;
    text += U' ';
    sinceReference += word.size() + 1;
  }
  // Cut at a blank so that no reference is left half written.
  text.resize(text.rfind(U' ', size) + 1);
  return text;
}

void BM_ReplaceVariableWithValue(benchmark::State& state) {
  const VXString& text = Text(static_cast<std::size_t>(state.range(0)));
  ARpGateway& rp = Repository();
  VXString work;
  std::size_t outSize = 0;
  for (auto _ : state) {
    state.PauseTiming();
    work = text;
    state.ResumeTiming();
    MetadataUtil::ReplaceVariableWithValue(&rp, work, true, false, true);
    outSize = work.size();
    benchmark::DoNotOptimize(work.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["chars"] = static_cast<double>(text.size());
  state.counters["out"] = static_cast<double>(outSize);
  state.counters["ns/char"] = benchmark::Counter(
      static_cast<double>(text.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel("MB/s = million characters per second");
}
BENCHMARK(BM_ReplaceVariableWithValue)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
