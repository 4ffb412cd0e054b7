// Logical SQL: parse and bind of a 200-item query over 50 presentation
// tables of one subject area in a synthetic repository of 10^6 objects; and
// parse alone of 10 KB, 1 MB and 10 MB of query text beside a bare loop that
// only cuts the same text into tokens, in the same binary, and the parser's
// own tokenizer between the two.
//
//   ./bench_logical_sql --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "Metadata/SMLogicalSQL.h"
#include "SMLogicalSQLInternal.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

constexpr std::size_t kObjects = 1000000;

ARpGateway& Repository() {
  static std::unique_ptr<ARpGateway> rp = [] {
    RpGenerator::Options options;
    options.m_objectCount = kObjects;
    return RpGenerator::Generate(options);
  }();
  return *rp;
}

std::string Quoted(const VXString& name) {
  std::string out = "\"";
  for (char c : ToNarrow(name)) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// SELECT "T1"."C1", ... FROM "Area": 200 items, four columns from each of
// 50 tables of the subject area with the most tables.
std::string WideQuery(ARpGateway& rp) {
  VoidIDVector areas;
  rp.GetObjectIDsOfType(kTIDACatalogFolder, areas);
  Ref<ACatalogFolder> best;
  std::size_t bestCount = 0;
  for (const VoidID& id : areas) {
    Ref<ACatalogFolder> area(rp.GetObject(id));
    std::size_t n = 0;
    BinaryRelIter<AFolder> tables = area->GetSubFolders();
    for (tables.ToBegin(); !tables.IsEnd(); ++tables) ++n;
    if (n > bestCount) {
      bestCount = n;
      best = area;
    }
  }
  std::string items;
  std::size_t count = 0, tablesUsed = 0;
  BinaryRelIter<AFolder> tables = best->GetSubFolders();
  for (tables.ToBegin(); !tables.IsEnd() && tablesUsed < 50; ++tables) {
    const Ref<AFolder> table = *tables;
    if (table->GetTypeID() != kTIDAEntityFolder) continue;
    std::size_t taken = 0;
    BinaryRelIter<AFolderAttr> columns = table->GetFolderAttrs();
    for (columns.ToBegin(); !columns.IsEnd() && taken < 4; ++columns, ++taken) {
      if (count++ > 0) items += ",\n  ";
      items += Quoted(table->GetName()) + "." + Quoted((*columns)->GetName());
    }
    ++tablesUsed;
  }
  return "SELECT " + items + "\nFROM " + Quoted(best->GetName());
}

void BM_ParseAndBind200Items(benchmark::State& state) {
  ARpGateway& rp = Repository();
  const std::string text = WideQuery(rp);
  std::size_t names = 0;
  for (auto _ : state) {
    logical_sql::BindResult r = logical_sql::ParseAndBind(text, &rp, U"", {});
    if (!r.spec) {
      state.SkipWithError(r.diagnostics.empty() ? "no spec" : ToNarrow(r.diagnostics[0].message).c_str());
      break;
    }
    names = r.names.size();
    benchmark::DoNotOptimize(r);
  }
  state.counters["items"] = 200;
  state.counters["names"] = static_cast<double>(names);
  state.counters["objects"] = static_cast<double>(rp.GetObjectCount());
}
BENCHMARK(BM_ParseAndBind200Items)->Unit(benchmark::kMicrosecond);

// Query text of about size bytes: one statement, items of every common form.
std::string TextOfSize(std::size_t size) {
  const std::string item =
      "SUM(\"Orders\".\"Revenue\" * 1.5) + COUNT(DISTINCT Customers.\"Customer Name\"), "
      "CASE WHEN Orders.Status = 'SHIPPED' THEN 'yes' ELSE 'no' END, "
      "SUBSTRING(Customers.City FROM 1 FOR 3) AS City3, -- a comment\n  ";
  std::string text = "SELECT ";
  text.reserve(size + item.size() + 64);
  while (text.size() < size) text += item;
  text += "1 FROM \"Sales Analysis\" WHERE Orders.Quantity BETWEEN 1 AND 10 ORDER BY 1";
  return text;
}

void BM_Parse(benchmark::State& state) {
  const std::string text = TextOfSize(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    logical_sql::ParseResult r = logical_sql::Parse(text);
    if (!r.diagnostics.empty()) {
      state.SkipWithError(ToNarrow(r.diagnostics[0].message).c_str());
      break;
    }
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse)->Arg(10 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The parser's own tokenizer alone: every token read with its key looked
// up, as the parser pulls them, and no tree built.
void BM_Tokenize(benchmark::State& state) {
  const std::string text = TextOfSize(static_cast<std::size_t>(state.range(0)));
  const logical_sql::detail::KeyTable& keys = logical_sql::detail::GetGrammar().keys;
  for (auto _ : state) {
    logical_sql::detail::TokenStream tokens(text, &keys);
    std::size_t n = 0;
    while (tokens[n].kind != logical_sql::detail::TokKind::kEnd) ++n;
    benchmark::DoNotOptimize(n);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Tokenize)->Arg(10 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

// The floor: one pass that cuts the same text into words, numbers, quoted
// names, strings and symbols and counts them, skipping blanks and comments.
std::size_t BareTokenCount(const std::string& text) {
  std::size_t tokens = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
      ++p;
    } else if (c == '-' && p + 1 < end && p[1] == '-') {
      while (p < end && *p != '\n') ++p;
    } else if (c == '"' || c == '\'') {
      ++p;
      while (p < end && static_cast<unsigned char>(*p) != c) ++p;
      ++p;
      ++tokens;
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= '0' && c <= '9')) {
      while (p < end && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || *p == '_' || *p == '.' ||
                         (*p >= '0' && *p <= '9'))) {
        ++p;
      }
      ++tokens;
    } else {
      ++p;
      ++tokens;
    }
  }
  return tokens;
}

void BM_BareTokenLoop(benchmark::State& state) {
  const std::string text = TextOfSize(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(BareTokenCount(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BareTokenLoop)->Arg(10 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
