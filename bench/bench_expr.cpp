// Expression model costs per node: building, writing the text form, parsing
// it back, validating foreign bytes and walking every operand, at 10^3 to
// 10^6 nodes so that linear growth shows as a flat ns_per_node.
#include <benchmark/benchmark.h>

#include <vector>

#include "Expr/ExprBuilder.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"

namespace {

// A balanced tree of binary operators over mixed leaves, `nodes` tokens in all
// (nodes odd: (nodes - 1) / 2 operators).
void AddTree(ExprBuilder& b, std::size_t nodes, std::uint32_t& seed) {
  if (nodes <= 1) {
    switch (seed++ % 4) {
      case 0:
        b.Int(static_cast<std::int32_t>(seed));
        break;
      case 1:
        b.ID(VoidID(3003, seed));
        break;
      case 2:
        b.String(U"value");
        break;
      default:
        b.Symbol(U"Column");
        break;
    }
    return;
  }
  static const OpCode ops[] = {kAdd, kMultiply, kAnd, kEqual, kConcat};
  b.Op(ops[seed % 5]);
  const std::size_t rest = nodes - 1;
  const std::size_t left = (rest / 2) | 1;
  AddTree(b, left, seed);
  AddTree(b, rest - left, seed);
  b.End();
}

Expr MakeTree(std::size_t nodes) {
  ExprBuilder b;
  std::uint32_t seed = 1;
  AddTree(b, nodes | 1, seed);
  return b.Build();
}

void SetCounters(benchmark::State& state, const Expr& e) {
  state.counters["nodes"] = static_cast<double>(e.Size());
  state.counters["ns_per_node"] =
      benchmark::Counter(static_cast<double>(e.Size()) * 1e-9,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Build(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  Expr e;
  for (auto _ : state) {
    e = MakeTree(n);
    benchmark::DoNotOptimize(e.GetTokenBytes().data());
  }
  SetCounters(state, e);
}

void BM_ToText(benchmark::State& state) {
  const Expr e = MakeTree(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    VXString text = ToStringVisitor::StringFrom(e);
    benchmark::DoNotOptimize(text.data());
  }
  SetCounters(state, e);
}

void BM_ParseText(benchmark::State& state) {
  const Expr e = MakeTree(static_cast<std::size_t>(state.range(0)));
  const VXString text = ToStringVisitor::StringFrom(e);
  for (auto _ : state) {
    Expr back = ToStringVisitor::ExprFrom(text);
    benchmark::DoNotOptimize(back.GetTokenBytes().data());
  }
  SetCounters(state, e);
}

void BM_ValidateBytes(benchmark::State& state) {
  const Expr e = MakeTree(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Expr foreign(e.GetTokenBytes());
    benchmark::DoNotOptimize(foreign.Size());
  }
  SetCounters(state, e);
}

// Visits every operand of every operator through GetArgIterator and ++, the
// way renderers walk, with an explicit stack instead of recursion.
void BM_Iterate(benchmark::State& state) {
  const Expr e = MakeTree(static_cast<std::size_t>(state.range(0)));
  std::vector<AExpr::Iterator> pending;
  for (auto _ : state) {
    std::size_t visited = 0;
    pending.assign(1, e.Begin());
    while (!pending.empty()) {
      const AExpr::Iterator it = pending.back();
      pending.pop_back();
      ++visited;
      if (GetTokenTypeCode(it) < kFirstOpCode) continue;
      OpExpr& op = OpCodeToken::Instance().GetOpExpr(it);
      const int n = op.GetArgCount(it);
      AExpr::Iterator arg = op.GetArgIterator(0, it, 2147483647);
      for (int i = 0; i < n; ++i, ++arg) pending.push_back(arg);
    }
    benchmark::DoNotOptimize(visited);
  }
  SetCounters(state, e);
}

#define SMUTIL_SIZES RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Build)->SMUTIL_SIZES;
BENCHMARK(BM_ToText)->SMUTIL_SIZES;
BENCHMARK(BM_ParseText)->SMUTIL_SIZES;
BENCHMARK(BM_ValidateBytes)->SMUTIL_SIZES;
BENCHMARK(BM_Iterate)->SMUTIL_SIZES;

}  // namespace

BENCHMARK_MAIN();
