// The language server at 10^6 objects (RpGenerator): completion of a
// table's columns and of the FROM subject area's tables, diagnostics of a
// 200-line query after a change (clean, and with ten misspelt columns that
// ask for did-you-mean names), and a burst of ten changes checked once.
//
//   ./bench_lsp --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "Lsp/LanguageServer.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

using nlohmann::json;

constexpr std::size_t kObjects = 1000000;
const std::string kUri = "file:///bench.sql";

std::string Quoted(const VXString& name) {
  std::string out = "\"";
  for (char c : ToNarrow(name)) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

struct Fixture {
  std::unique_ptr<smutil_lsp::LanguageServer> server;
  std::size_t published = 0;
  std::string area, table;  // the subject area with the most tables, one of its tables
  std::size_t tables = 0, columns = 0;
  std::string query200;  // 200 lines, one item each
  std::string query200Misspelt;
};

Fixture& Setup() {
  static Fixture f = [] {
    Fixture f;
    RpGenerator::Options options;
    options.m_objectCount = kObjects;
    smutil_lsp::Workspace w;
    w.rp = RpGenerator::Generate(options);
    ARpGateway& rp = *w.rp;
    VoidIDVector areas;
    rp.GetObjectIDsOfType(kTIDACatalogFolder, areas);
    Ref<ACatalogFolder> best;
    for (const VoidID& id : areas) {
      Ref<ACatalogFolder> a(rp.GetObject(id));
      std::size_t n = 0;
      BinaryRelIter<AFolder> it = a->GetSubFolders();
      for (it.ToBegin(); !it.IsEnd(); ++it) ++n;
      if (n > f.tables) {
        f.tables = n;
        best = a;
      }
    }
    f.area = Quoted(best->GetName());
    std::string items, misspelt;
    std::size_t count = 0, tablesUsed = 0;
    BinaryRelIter<AFolder> it = best->GetSubFolders();
    for (it.ToBegin(); !it.IsEnd() && tablesUsed < 50; ++it) {
      const Ref<AFolder> table = *it;
      if (table->GetTypeID() != kTIDAEntityFolder) continue;
      std::size_t taken = 0, n = 0;
      BinaryRelIter<AFolderAttr> cols = table->GetFolderAttrs();
      for (cols.ToBegin(); !cols.IsEnd(); ++cols) ++n;
      if (f.table.empty() || n > f.columns) {
        f.table = Quoted(table->GetName());
        f.columns = n;
      }
      for (cols.ToBegin(); !cols.IsEnd() && taken < 4; ++cols, ++taken) {
        const std::string sep = count++ > 0 ? ",\n  " : "";
        const std::string column = Quoted((*cols)->GetName());
        items += sep + Quoted(table->GetName()) + "." + column;
        // Every twentieth item loses the last letter of its column.
        misspelt += sep + Quoted(table->GetName()) + "." +
                    (count % 20 == 0 ? column.substr(0, column.size() - 2) + "\"" : column);
      }
      ++tablesUsed;
    }
    f.query200 = "SELECT " + items + "\nFROM " + f.area;
    f.query200Misspelt = "SELECT " + misspelt + "\nFROM " + f.area;
    f.server = std::make_unique<smutil_lsp::LanguageServer>(smutil_lsp::ServerOptions{}, [&f](const json& m) {
      if (m.value("method", "") == "textDocument/publishDiagnostics") ++f.published;
    });
    f.server->SetWorkspace(std::move(w));
    f.server->Handle({{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}, {"params", json::object()}});
    f.server->Handle(
        {{"jsonrpc", "2.0"},
         {"method", "textDocument/didOpen"},
         {"params", {{"textDocument", {{"uri", kUri}, {"languageId", "sql"}, {"version", 1}, {"text", ""}}}}}});
    return f;
  }();
  return f;
}

std::int64_t g_version = 1;

void Change(Fixture& f, const std::string& text) {
  f.server->Handle(
      {{"jsonrpc", "2.0"},
       {"method", "textDocument/didChange"},
       {"params",
        {{"textDocument", {{"uri", kUri}, {"version", ++g_version}}}, {"contentChanges", {{{"text", text}}}}}}});
}

void BM_CompletionOfColumns(benchmark::State& state) {
  Fixture& f = Setup();
  const std::string before = "SELECT " + f.table + ".";
  Change(f, before + " FROM " + f.area);
  std::size_t items = 0;
  for (auto _ : state) {
    const json r = f.server->Completion(kUri, {0, static_cast<std::uint32_t>(before.size())});
    items = r["items"].size();
    benchmark::DoNotOptimize(items);
  }
  state.counters["items"] = static_cast<double>(items);
  state.counters["objects"] = kObjects;
}
BENCHMARK(BM_CompletionOfColumns)->Unit(benchmark::kMillisecond);

void BM_CompletionOfTablesFunctionsKeywords(benchmark::State& state) {
  Fixture& f = Setup();
  Change(f, "SELECT  FROM " + f.area);
  std::size_t items = 0;
  for (auto _ : state) {
    const json r = f.server->Completion(kUri, {0, 7});
    items = r["items"].size();
    benchmark::DoNotOptimize(items);
  }
  state.counters["items"] = static_cast<double>(items);
  state.counters["tables"] = static_cast<double>(f.tables);
}
BENCHMARK(BM_CompletionOfTablesFunctionsKeywords)->Unit(benchmark::kMillisecond);

void Diagnostics(benchmark::State& state, const std::string& text) {
  Fixture& f = Setup();
  for (auto _ : state) {
    Change(f, text);
    f.server->RunDeferredWork({});
  }
  const json ds = f.server->Diagnostics(kUri);
  state.counters["lines"] = 201;
  state.counters["diagnostics"] = static_cast<double>(ds.size());
}

void BM_DiagnosticsAfterChange200Lines(benchmark::State& state) { Diagnostics(state, Setup().query200); }
BENCHMARK(BM_DiagnosticsAfterChange200Lines)->Unit(benchmark::kMillisecond);

void BM_DiagnosticsAfterChange200LinesMisspelt(benchmark::State& state) {
  Diagnostics(state, Setup().query200Misspelt);
}
BENCHMARK(BM_DiagnosticsAfterChange200LinesMisspelt)->Unit(benchmark::kMillisecond);

// Ten keystrokes before the server looks: one check, of the last text.
void BM_BurstOfTenChanges(benchmark::State& state) {
  Fixture& f = Setup();
  const std::size_t before = f.published;
  std::size_t bursts = 0;
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) Change(f, f.query200.substr(0, f.query200.size() - 10 + i));
    Change(f, f.query200);
    f.server->RunDeferredWork({});
    ++bursts;
  }
  state.counters["checks_per_burst"] = static_cast<double>(f.published - before) / static_cast<double>(bursts);
}
BENCHMARK(BM_BurstOfTenChanges)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
