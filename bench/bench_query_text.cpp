// Query text: a statement of 200 select items over 50 joined tables (a
// left-deep FROM join and a join graph whose 49 foreign keys are listed from
// both ends) with a detail filter of about 2,000 expression nodes, written in
// each of the four flag combinations that callers use. Reports microseconds
// per statement (the time column) and the statement's length.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "ListQuerySpec/QuerySpecBuilder.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpBuilder.h"

namespace {

struct Fixture {
  ARpGateway rp;
  ListQuerySpec query;
  std::size_t filterNodes = 0;

  Fixture() {
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"DW");
    auto schema = db.Child(kTIDACatalog, U"CAT").Child(kTIDASchema, U"dbo");
    std::vector<VoidID> tables, keyCols, fkCols, columns;
    for (int t = 0; t < 50; ++t) {
      auto table = schema.Child(kTIDATable, U"T_" + ToVXString(std::to_string(t)));
      tables.push_back(table);
      auto key = table.Child(kTIDAColumn, U"ID");
      keyCols.push_back(key);
      fkCols.push_back(table.Child(kTIDAColumn, U"id"));
      for (int c = 0; c < 4; ++c) columns.push_back(table.Child(kTIDAColumn, U"C" + ToVXString(std::to_string(c))));
      table.Child(kTIDATableKey, U"PK").As<ATableKey>()->AddColumn(Ref<AColumn>(rp.GetObject(key)));
    }
    QuerySpecBuilder q;
    for (int i = 0; i < 200; ++i) {
      const VoidID col = columns[static_cast<std::size_t>(i) % columns.size()];
      q.Select(U"Item " + ToVXString(std::to_string(i)),
               i % 2 ? ExprBuilder().ID(col).Build() : ExprBuilder().Op(kSum).ID(col).End().Build());
    }
    SqlTableRef from = QuerySpecBuilder::Table(tables[0]);
    for (std::size_t t = 1; t < tables.size(); ++t) {
      from = QuerySpecBuilder::Join(std::move(from), QuerySpecBuilder::Table(tables[t]), SqlTableRef::kInnerJoin,
                                    ExprBuilder().Op(kEqual).ID(fkCols[t - 1]).ID(keyCols[t]).End().Build());
      // Table t-1 refers to table t through its "id" column.
      auto fk = b.At(tables[t - 1]).Child(kTIDAForeignKey, U"FK_" + ToVXString(std::to_string(t)));
      Ref<AForeignKey> fkObj = fk.As<AForeignKey>();
      fkObj->SetTableKey(Ref<ATableKey>(Ref<ATable>(rp.GetObject(tables[t]))->GetTableKeys().GetObjRef()));
      fkObj->AddComponent(Ref<AColumn>(rp.GetObject(fkCols[t - 1])));
      q.JoinNode(tables[t - 1], {DirectedLink(fk, tables[t])});
      q.JoinNode(tables[t], {DirectedLink(fk, tables[t - 1])});
    }
    q.From(std::move(from));
    // A balanced AND of 500 comparisons, each Greater(column, int): ~2,000 nodes.
    ExprBuilder f;
    std::function<void(int, int)> build = [&](int lo, int hi) {
      if (hi - lo == 1) {
        f.Op(kGreater).ID(columns[static_cast<std::size_t>(lo) % columns.size()]).Int(lo).End();
        filterNodes += 3;
        return;
      }
      f.Op(kAnd);
      ++filterNodes;
      build(lo, (lo + hi) / 2);
      build((lo + hi) / 2, hi);
      f.End();
    };
    build(0, 500);
    q.Where(f.Build());
    query = q.Build();
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ToSQLStatement(benchmark::State& state) {
  Fixture& fx = Shared();
  const bool bFullyQualified = state.range(0) & 1;
  const bool bNative = state.range(0) & 2;
  std::size_t length = 0;
  for (auto _ : state) {
    VXString text = MetadataUtil::ToSQLStatement(fx.query, &fx.rp, bFullyQualified, true, bNative, false);
    length = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.counters["chars"] = static_cast<double>(length);
  state.counters["filter_nodes"] = static_cast<double>(fx.filterNodes);
  state.SetLabel(std::string(bFullyQualified ? "fully qualified" : "plain") + (bNative ? ", native" : ", internal"));
}
BENCHMARK(BM_ToSQLStatement)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
