// Rendering speed: ToPrettyStringVisitor::StringFrom in the fully qualified,
// quoted mode over generated expressions of about 1,000, 10,000 and 100,000
// nodes: nested arithmetic, AND/OR, comparisons, CASE and functions, with
// about 40% of the nodes references to the columns of a generated repository
// (1,000 logical columns three levels deep and 1,000 physical columns five
// levels deep). The second argument is the number of distinct columns the
// references are drawn from: 2000 (every column, so most references of a
// small expression name a column for the first time in the rendering) or 50
// (a formula that keeps coming back to the same columns). Nothing is kept
// from one rendering to the next, so every rendering generates its names
// afresh: the first reference to a column costs an id lookup and a walk up
// its parents, the later ones a probe of the rendering's own name table and
// a copy.
// Reported: time per node (ns_per_node, the inverse of the node rate; shown
// with an "s" suffix by the library, the number is nanoseconds), output
// characters per second, and the share of reference nodes.
//
// BM_RenderCatalogDisplayNames renders the same kind of expression over 1,000
// logical columns in the presentation-catalog mode with custom display
// names: each column is shown in a subject area by a presentation column
// whose display name is switched on (and populated: plain text), so every
// reference is written as three display names. Reported: time per node and
// the length of the text (chars), which stays the same across changes that
// only make the rendering faster.
//
// BM_SetFormatExpr and BM_GetFormatExpr store a user's text for a sum of
// references to N distinct logical columns (N = 100, 1,000, 10,000; 10,000
// nodes, 20,000 for N = 10,000 so that every column can be met) and show it
// again. Both walk the whole text once per distinct id (the replacement
// sequence of format strings), so their cost grows with N times the length
// of the text.
//
//   ./bench_render --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpBuilder.h"

namespace {

struct Repository {
  ARpGateway rp;
  VoidIDVector columns;

  Repository() {
    RpBuilder b(rp);
    auto bm = b.Add(kTIDASubjectArea, U"Retail Sales");
    auto db = b.Add(kTIDADatabase, U"Sales DW");
    for (int t = 0; t < 50; ++t) {
      auto lt = bm.Child(kTIDALogicalTable, U"Fact Table " + Num(t));
      auto pt = db.Child(kTIDATable, U"W_FACT_" + Num(t));
      for (int c = 0; c < 20; ++c) {
        columns.push_back(lt.Child(kTIDAAttribute, U"Measure " + Num(c)));
        columns.push_back(pt.Child(kTIDAColumn, U"COL_" + Num(c)));
      }
    }
  }
  static VXString Num(int n) { return ToVXString(std::to_string(n)); }
};

Repository& Repo() {
  static Repository r;
  return r;
}

// Builds a random expression of about `budget` nodes.
class Generator {
 public:
  Generator(const VoidIDVector& columns, std::size_t pool) : m_columns(columns), m_pool(pool) {}

  void Gen(ExprBuilder& b, int budget) {
    if (budget <= 1) {
      Leaf(b);
      return;
    }
    const int pick = static_cast<int>(m_rng() % 10);
    if (budget >= 6 && pick == 0) {
      // CASE WHEN c THEN v WHEN c THEN v ELSE e END
      b.Op(kCaseIf);
      const int part = (budget - 1) / 5;
      for (int i = 0; i < 4; ++i) Gen(b, part);
      Gen(b, budget - 1 - 4 * part);
      b.End();
      return;
    }
    if (pick == 1) {
      static constexpr OpCode kFunctions[] = {kAbs, kFoldUpper, kSum, kCount, kRTrim};
      b.Op(kFunctions[m_rng() % 5]);
      Gen(b, budget - 1);
      b.End();
      return;
    }
    static constexpr OpCode kBinary[] = {kAdd, kSubtract, kMultiply, kDivide, kAnd, kOr, kEqual, kGreater, kConcat};
    b.Op(kBinary[m_rng() % 9]);
    const int left = 1 + static_cast<int>(m_rng() % static_cast<unsigned>(budget - 1));
    Gen(b, left);
    Gen(b, budget - 1 - left > 0 ? budget - 1 - left : 1);
    b.End();
  }

 private:
  void Leaf(ExprBuilder& b) {
    // Leaves are about half the nodes; 80% of them references.
    const int pick = static_cast<int>(m_rng() % 10);
    if (pick < 8) {
      b.ID(m_columns[m_rng() % m_pool]);
    } else if (pick == 8) {
      b.Int(static_cast<std::int32_t>(m_rng() % 1000));
    } else {
      b.String(U"it's");
    }
  }

  const VoidIDVector& m_columns;
  std::size_t m_pool;
  std::mt19937 m_rng{42};
};

void BM_RenderFullyQualified(benchmark::State& state) {
  Repository& repo = Repo();
  Generator gen(repo.columns, std::min<std::size_t>(static_cast<std::size_t>(state.range(1)), repo.columns.size()));
  ExprBuilder b;
  gen.Gen(b, static_cast<int>(state.range(0)));
  const Expr expr = b.Build();
  VoidIDVector refs;
  expr.GetObjectIDsInExpr(refs, false);

  std::size_t chars = 0;
  for (auto _ : state) {
    VXString text = ToPrettyStringVisitor::StringFrom(
        expr, &repo.rp, ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = true, .fullyQualified = true});
    chars = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  const double nodes = static_cast<double>(expr.Size());
  state.counters["nodes"] = nodes;
  state.counters["refs_pct"] = 100.0 * static_cast<double>(refs.size()) / nodes;
  state.counters["depth"] = static_cast<double>(expr.GetNestingDepth());
  state.counters["ns_per_node"] =
      benchmark::Counter(nodes * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["chars_per_s"] =
      benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderFullyQualified)->ArgsProduct({{1000, 10000, 100000}, {2000, 50}})->Unit(benchmark::kMicrosecond);

// 1,000 logical columns shown in one subject area (50 tables of 20), every
// presentation object with a display name.
struct CatalogRepository {
  ARpGateway rp;
  VoidIDVector columns;
  Ref<ACatalogFolder> catalog;

  CatalogRepository() {
    RpBuilder b(rp);
    auto bm = b.Add(kTIDASubjectArea, U"Retail Sales");
    auto sa = b.Add(kTIDACatalogFolder, U"Sales Analysis");
    Display(b, sa, U"Analyse des ventes");
    for (int t = 0; t < 50; ++t) {
      auto lt = bm.Child(kTIDALogicalTable, U"Fact Table " + Repository::Num(t));
      auto pt = sa.Child(kTIDAEntityFolder, U"Facts " + Repository::Num(t));
      Display(b, pt, U"Faits " + Repository::Num(t));
      for (int c = 0; c < 20; ++c) {
        const VoidID logical = lt.Child(kTIDAAttribute, U"Measure " + Repository::Num(c));
        const VoidID shown = pt.Child(kTIDAFolderAttr, U"Measure " + Repository::Num(c));
        Display(b, shown, U"Mesure " + Repository::Num(c));
        b.Relate(RpRel::kLogicalToPresentationColumn, {logical, shown});
        columns.push_back(logical);
      }
    }
    catalog = Ref<ACatalogFolder>(rp.GetObject(sa));
  }
  static void Display(RpBuilder& b, const VoidID& id, const VXString& text) {
    b.At(id).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, text);
  }
};

void BM_RenderCatalogDisplayNames(benchmark::State& state) {
  static CatalogRepository repo;
  Generator gen(repo.columns, std::min<std::size_t>(static_cast<std::size_t>(state.range(1)), repo.columns.size()));
  ExprBuilder b;
  gen.Gen(b, static_cast<int>(state.range(0)));
  const Expr expr = b.Build();
  std::size_t chars = 0;
  for (auto _ : state) {
    VXString text = ToPrettyStringVisitor::StringFrom(expr, &repo.rp, repo.catalog, true);
    chars = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  const double nodes = static_cast<double>(expr.Size());
  state.counters["nodes"] = nodes;
  state.counters["chars"] = static_cast<double>(chars);
  state.counters["ns_per_node"] =
      benchmark::Counter(nodes * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenderCatalogDisplayNames)->ArgsProduct({{10000}, {1000, 50}})->Unit(benchmark::kMicrosecond);

// 10,000 logical columns (100 tables of 100).
struct WideRepository {
  ARpGateway rp;
  VoidIDVector columns;
  WideRepository() {
    RpBuilder b(rp);
    auto bm = b.Add(kTIDASubjectArea, U"Retail Sales");
    for (int t = 0; t < 100; ++t) {
      auto lt = bm.Child(kTIDALogicalTable, U"Fact Table " + Repository::Num(t));
      for (int c = 0; c < 100; ++c) columns.push_back(lt.Child(kTIDAAttribute, U"Measure " + Repository::Num(c)));
    }
  }
};

WideRepository& Wide() {
  static WideRepository r;
  return r;
}

// A balanced sum of about `nodes` nodes whose leaves cycle through the
// first `distinct` columns.
Expr SumOfReferences(const VoidIDVector& columns, std::size_t distinct, int nodes) {
  ExprBuilder b;
  std::size_t next = 0;
  const auto gen = [&](const auto& self, int budget) -> void {
    if (budget <= 1) {
      b.ID(columns[next++ % distinct]);
      return;
    }
    b.Op(kAdd);
    const int left = (budget - 1) / 2;
    self(self, left);
    self(self, budget - 1 - left);
    b.End();
  };
  gen(gen, nodes);
  return b.Build();
}

int NodesFor(std::size_t distinct) { return distinct > 4000 ? 20001 : 10001; }

// The user's text: the plain rendering with the blanks around its
// operators dropped, so that it is not the rendering itself.
VXString UserText(const Expr& expr, ARpGateway* rp) {
  VXString text = ToPrettyStringVisitor::SimpleStringFrom(expr, rp);
  BaseStringUtil::ReplacePatternInString(text, U" + ", U"+");
  return text;
}

void BM_SetFormatExpr(benchmark::State& state) {
  WideRepository& repo = Wide();
  const std::size_t distinct = static_cast<std::size_t>(state.range(0));
  const Expr original = SumOfReferences(repo.columns, distinct, NodesFor(distinct));
  const VXString text = UserText(original, &repo.rp);
  for (auto _ : state) {
    state.PauseTiming();
    Expr expr = original;
    state.ResumeTiming();
    ToPrettyStringVisitor::SetFormatExpr(expr, &repo.rp, text);
    benchmark::DoNotOptimize(expr.GetFormatStr().data());
  }
  state.counters["nodes"] = static_cast<double>(original.Size());
  state.counters["text_chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_SetFormatExpr)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GetFormatExpr(benchmark::State& state) {
  WideRepository& repo = Wide();
  const std::size_t distinct = static_cast<std::size_t>(state.range(0));
  Expr expr = SumOfReferences(repo.columns, distinct, NodesFor(distinct));
  ToPrettyStringVisitor::SetFormatExpr(expr, &repo.rp, UserText(expr, &repo.rp));
  const VXString stored = expr.GetFormatStr();
  for (auto _ : state) {
    VXString shown = ToPrettyStringVisitor::GetFormatExpr(expr, &repo.rp, true, true, false, false, false);
    benchmark::DoNotOptimize(shown.data());
  }
  state.counters["nodes"] = static_cast<double>(expr.Size());
  state.counters["stored_chars"] = static_cast<double>(stored.size());
}
BENCHMARK(BM_GetFormatExpr)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
