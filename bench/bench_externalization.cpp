// Externalization at the size of a large repository: 10^5 presentation
// columns (1000 tables of 100), each shown from its own logical column,
// which one source maps to a physical column. Every tenth table's physical
// table lives in a KEX data source (target type 47), so the state of its
// columns takes the KEX search all the way to a physical column. Every
// column's display name holds its generated default reference, every tenth
// the KEX one.
//
//   BM_DisplayNameStateOfSelection   GetDisplayNameState of all 10^5 columns
//   BM_ExternalizationInfo           GetExternalizationInfo of all 10^5 columns
//   BM_ExportXliff                   10^5 units collected and written as XLIFF 2.0
//   BM_ImportXliff                   the same file, translated, validated and
//                                    imported into a new SQLite bundle store
//
//   ./bench_externalization
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Translations/Translations.h"
#include "objectmodel/RpBuilder.h"

namespace {

constexpr int kTables = 1000;
constexpr int kColumnsPerTable = 100;
constexpr std::size_t kObjects = std::size_t{kTables} * kColumnsPerTable;

VXString Number(int n) { return ToVXString(std::to_string(n)); }

struct Repo {
  ARpGateway rp;
  RpObjectVector columns;

  Repo() {
    RpBuilder b(rp);
    auto plain = b.Add(kTIDADatabase, U"Warehouse").Set(RpProp::kTargetType, std::int64_t{12});
    auto kex = b.Add(kTIDADatabase, U"Ledger Apps").Set(RpProp::kTargetType, std::int64_t{47});
    auto bm = b.Add(kTIDASubjectArea, U"BM");
    auto sa = b.Add(kTIDACatalogFolder, U"Sales Area");
    for (int t = 0; t < kTables; ++t) {
      auto physical = (t % 10 == 0 ? kex : plain).Child(kTIDATable, U"TABLE_" + Number(t));
      auto logical = bm.Child(kTIDALogicalTable, U"Logical " + Number(t));
      auto presentation = sa.Child(kTIDAEntityFolder, U"Table " + Number(t));
      ALogicalTableSource::SourceDefinition defn;
      for (int c = 0; c < kColumnsPerTable; ++c) {
        auto pc = physical.Child(kTIDAColumn, U"COL_" + Number(c));
        auto lc = logical.Child(kTIDAAttribute, U"Column " + Number(c));
        defn.m_logicalToPhysical.emplace_back(ExprBuilder().ID(lc).Build(), ExprBuilder().ID(pc).Build());
        auto column = presentation.Child(kTIDAFolderAttr, U"Column " + Number(c));
        b.Relate(RpRel::kLogicalToPresentationColumn, {lc, column});
        columns.push_back(column.Obj());
      }
      logical.Child(kTIDALogicalTableSource, U"LTS").As<ALogicalTableSource>()->SetSourceDefinition(defn);
      // The KEX names need the mapping in place.
      for (std::size_t c = columns.size() - kColumnsPerTable; c < columns.size(); ++c) {
        ExternalizationUtil::SetDisplayName(columns[c], true, t % 10 == 0);
      }
    }
  }
};

Repo& TheRepo() {
  static Repo repo;
  return repo;
}

std::string TempFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("bench_ext_" + std::to_string(::getpid()) + "_" + name)).string();
}

void BM_DisplayNameStateOfSelection(benchmark::State& state) {
  Repo& repo = TheRepo();
  unsigned result = 0;
  for (auto _ : state) {
    result = ExternalizationUtil::GetDisplayNameState(repo.columns);
    benchmark::DoNotOptimize(result);
  }
  if (result != (ExternalizationUtil::kStateDefault | ExternalizationUtil::kStateKEX)) {
    state.SkipWithError("unexpected state");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kObjects));
  state.counters["objects"] = static_cast<double>(kObjects);
}
BENCHMARK(BM_DisplayNameStateOfSelection)->Unit(benchmark::kMillisecond);

void BM_ExternalizationInfo(benchmark::State& state) {
  Repo& repo = TheRepo();
  std::vector<FourVXStrings> rows;
  for (auto _ : state) {
    rows.clear();
    ExternalizationUtil::GetExternalizationInfo(repo.columns, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  if (rows.size() != kObjects) state.SkipWithError("one row per column expected");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kObjects));
  state.counters["objects"] = static_cast<double>(kObjects);
}
BENCHMARK(BM_ExternalizationInfo)->Unit(benchmark::kMillisecond);

void BM_ExportXliff(benchmark::State& state) {
  Repo& repo = TheRepo();
  const std::string file = TempFile("export.xlf");
  std::size_t units = 0;
  for (auto _ : state) {
    const std::vector<smutil_translations::TranslationUnit> collected =
        smutil_translations::CollectTranslationUnits(&repo.rp, "", "en");
    smutil_translations::WriteXliff(collected, "en", "fr", "bench", file);
    units = collected.size();
  }
  state.counters["units"] = static_cast<double>(units);
  state.counters["MiB"] = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
  std::remove(file.c_str());
}
BENCHMARK(BM_ExportXliff)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_ImportXliff(benchmark::State& state) {
  Repo& repo = TheRepo();
  const std::string file = TempFile("import.xlf");
  std::vector<smutil_translations::TranslationUnit> units =
      smutil_translations::CollectTranslationUnits(&repo.rp, "", "en");
  for (auto& u : units) u.target = U"[fr] " + u.source;
  smutil_translations::WriteXliff(units, "en", "fr", "bench", file);
  std::size_t imported = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string store = TempFile("store.db");
    std::remove(store.c_str());
    state.ResumeTiming();
    imported = smutil_translations::ImportXliff(&repo.rp, file, store).imported;
    state.PauseTiming();
    std::remove(store.c_str());
    state.ResumeTiming();
  }
  if (imported != units.size()) state.SkipWithError("every unit should be imported");
  state.counters["units"] = static_cast<double>(imported);
  std::remove(file.c_str());
}
BENCHMARK(BM_ImportXliff)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
