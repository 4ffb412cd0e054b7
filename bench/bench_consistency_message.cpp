// Sorting a consistency-check report: 100,000 messages about 10,000 objects
// (ten findings per object, so most comparisons within an object need the
// display texts). Each iteration sorts freshly made records, so every text is
// built from the catalogue once, as in a real report.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "Metadata/ConsistencyMessage.h"
#include "objectmodel/ObjectModel.h"

namespace {

struct Finding {
  MessageId id;
  Ref<ARpObject> main;
  RpObjectVector objects;
};

// A database of 100 tables with 99 columns each: 10,000 objects in all with
// the database and tables, the columns holding their table as second object.
std::vector<Finding> MakeFindings(ARpGateway& rp, std::size_t objectCount, std::size_t perObject) {
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"Warehouse");
  std::vector<Ref<ARpObject>> objects{db.Obj()};
  std::vector<Ref<ARpObject>> parents{db.Obj()};
  for (std::size_t t = 0; objects.size() < objectCount; ++t) {
    auto table = db.Child(kTIDATable, U"Table " + ToVXString(std::to_string(t)));
    objects.push_back(table.Obj());
    parents.push_back(db.Obj());
    for (std::size_t c = 0; c < 99 && objects.size() < objectCount; ++c) {
      objects.push_back(table.Child(kTIDAColumn, U"Column " + ToVXString(std::to_string(c))).Obj());
      parents.push_back(table.Obj());
    }
  }
  // One-object and two-object findings of several recipes.
  static const MessageId kOneObject[] = {38009, 38016, 14041, 38018, 38026, 39002, 38073};
  static const MessageId kTwoObjects[] = {38014, 38008, 38005};
  std::vector<Finding> findings;
  findings.reserve(objectCount * perObject);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    for (std::size_t k = 0; k < perObject; ++k) {
      if (k < std::size(kOneObject)) {
        findings.push_back({kOneObject[k], objects[i], {objects[i]}});
      } else {
        findings.push_back({kTwoObjects[k % std::size(kTwoObjects)], objects[i], {objects[i], parents[i]}});
      }
    }
  }
  std::mt19937 rng(42);
  std::shuffle(findings.begin(), findings.end(), rng);
  return findings;
}

void BM_SortReport(benchmark::State& state) {
  const auto objectCount = static_cast<std::size_t>(state.range(0));
  const auto perObject = static_cast<std::size_t>(state.range(1));
  ARpGateway rp;
  const std::vector<Finding> findings = MakeFindings(rp, objectCount, perObject);
  (void)ConsistencyMessage(38009, findings[0].main, findings[0].objects).GetText(false);  // load the catalogue
  std::vector<ConsistencyMessage> messages;
  for (auto _ : state) {
    state.PauseTiming();
    messages.clear();
    messages.reserve(findings.size());
    for (const Finding& f : findings) messages.emplace_back(f.id, f.main, f.objects);
    state.ResumeTiming();
    std::sort(messages.begin(), messages.end());
    benchmark::DoNotOptimize(messages.data());
  }
  state.counters["messages"] = static_cast<double>(findings.size());
  state.counters["objects"] = static_cast<double>(objectCount);
}

// The share of the sort that is text building: every record's text once.
void BM_BuildTexts(benchmark::State& state) {
  ARpGateway rp;
  const std::vector<Finding> findings =
      MakeFindings(rp, static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  std::vector<ConsistencyMessage> messages;
  for (const Finding& f : findings) messages.emplace_back(f.id, f.main, f.objects);
  for (auto _ : state) {
    for (const ConsistencyMessage& m : messages) {
      VXString text = m.GetText(false);
      benchmark::DoNotOptimize(text.data());
    }
  }
  state.counters["messages"] = static_cast<double>(findings.size());
}

}  // namespace

BENCHMARK(BM_BuildTexts)->Args({10000, 10})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortReport)->Args({10000, 10})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
