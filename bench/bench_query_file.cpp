// The query-file reader on the large shapes a generated or hand-grown file
// takes: one line holding many object references, a long chain of queries
// each selecting from the one before (derived tables), and a chain of
// subqueries up to the nesting bound. Each reports the time per reference or
// per level, which stays flat when reading is linear.
#include <benchmark/benchmark.h>

#include <string>

#include "Metadata/SMQueryFile.h"
#include "objectmodel/RpBuilder.h"

namespace {

struct Repo {
  ARpGateway rp;
  Repo() {
    RpBuilder b(rp);
    b.Add(kTIDADatabase, U"DW")
        .Child(kTIDACatalog, U"CAT")
        .Child(kTIDASchema, U"dbo")
        .Child(kTIDATable, U"T")
        .Child(kTIDAColumn, U"C");
  }
};

QueryFileTypes Types() {
  QueryFileTypes types;
  types.parse = [](const std::string& text, TypeID& type, std::string& why) {
    if (text == "C") {
      type = kTIDAColumn;
    } else if (text == "T") {
      type = kTIDATable;
    } else {
      why = "unknown type '" + text + "'";
      return false;
    }
    return true;
  };
  types.label = [](TypeID type) { return "type " + std::to_string(type); };
  return types;
}

void Read(benchmark::State& state, const std::string& text) {
  Repo repo;
  for (auto _ : state) {
    QueryFileReader reader(&repo.rp, Types());
    reader.Read(text);
    benchmark::DoNotOptimize(&reader.Get(""));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["file_bytes"] = static_cast<double>(text.size());
}

// select x = Add({C:...},Add({C:...},...,1)) with N references on the line.
void BM_QueryFileReferencesOnALine(benchmark::State& state) {
  const std::string ref = R"({C:"DW"."CAT"."dbo"."T"."C"})";
  std::string expr;
  for (int64_t i = 0; i < state.range(0); ++i) expr += "Add(" + ref + ",";
  expr += '1';
  expr.append(static_cast<std::size_t>(state.range(0)), ')');
  Read(state, "query q\n  select x = " + expr + "\n  from {T:\"DW\".\"CAT\".\"dbo\".\"T\"}\n");
}
BENCHMARK(BM_QueryFileReferencesOnALine)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// N queries, each selecting from the one before.
void BM_QueryFileDerivedChain(benchmark::State& state) {
  std::string text = "query q0\n  select x = 1\n  from {T:\"DW\".\"CAT\".\"dbo\".\"T\"}\n";
  for (int64_t i = 1; i < state.range(0); ++i) {
    text += "query q" + std::to_string(i) + "\n  select x = 1\n  from derived q" + std::to_string(i - 1) + "\n";
  }
  Read(state, text);
}
BENCHMARK(BM_QueryFileDerivedChain)->Arg(400)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond);

// N queries, each filtering on the one before as a subquery; 200 is the bound.
void BM_QueryFileSubqueryChain(benchmark::State& state) {
  std::string text = "query q0\n  select x = {C:\"DW\".\"CAT\".\"dbo\".\"T\".\"C\"}\n";
  for (int64_t i = 1; i < state.range(0); ++i) {
    text += "query q" + std::to_string(i) + "\n  select x = 1\n  where Exists(SQ(q" + std::to_string(i - 1) + "))\n";
  }
  Read(state, text);
}
BENCHMARK(BM_QueryFileSubqueryChain)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
