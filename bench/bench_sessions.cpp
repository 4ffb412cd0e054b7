// Sessions on one shared repository of 10^6 objects (RpGenerator).
//
// BM_OpenSession: opening a session (its own user, denials and variables
// come after) and closing it again; heap_bytes_per_session is what one open
// session holds (glibc's mallinfo2, in use after minus before, over 1,000
// sessions opened at once so that freed blocks kept for reuse do not hide
// them).
// BM_OpenSessions1000: 1,000 sessions open at once, each signed on with a
// user name, three read denials and four session variables, as a server
// holds them; bytes_per_session is the heap they hold, divided by 1,000.
// BM_SessionsReading: each thread its own session and user (different
// denials) on the one model, resolving qualified names of random objects
// and rendering an expression of their references, fully qualified. With
// real time, items_per_second at 2 threads over that at 1 thread is the
// scaling from one core to two. BM_OwnRepositoriesReading does the same
// with each thread on a repository of its own (two generated copies), which
// tells what the sharing costs from what the machine gives two threads.
//
//   ./bench_sessions --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

constexpr std::size_t kObjects = 1000000;

std::size_t HeapInUse() { return mallinfo2().uordblks; }

std::shared_ptr<ARpGateway> Generate() {
  RpGenerator::Options options;
  options.m_objectCount = kObjects;
  return std::shared_ptr<ARpGateway>(RpGenerator::Generate(options));
}

const std::shared_ptr<ARpGateway>& Model() {
  static const std::shared_ptr<ARpGateway> rp = Generate();
  return rp;
}

// The same repository again, for a thread that reads a repository of its own.
const std::shared_ptr<ARpGateway>& SecondModel() {
  static const std::shared_ptr<ARpGateway> rp = Generate();
  return rp;
}

VoidIDVector AllIDs(ARpGateway& rp) {
  VoidIDVector all;
  for (TypeID t : rp.GetKnownTypes()) rp.GetObjectIDsOfType(t, all);
  return all;
}

void SignOn(ARpGateway& s, int user, const VoidIDVector& all) {
  s.SetCurrentUser(U"user" + ToVXString(std::to_string(user)), VXString());
  for (int d = 0; d < 3; ++d) s.DenyRead(all[(static_cast<std::size_t>(user) * 7919 + d * 104729) % all.size()]);
  for (const char32_t* name : {U"USER", U"USER_LANGUAGE", U"USER_REGION", U"DEFAULT_SUBJECT_AREA"}) {
    s.SetSessionVariableValue({U"NQ_SESSION", name},
                              Heap<PropertyValue>(new PropertyValueString(U"value of " + VXString(name))));
  }
}

void BM_OpenSession(benchmark::State& state) {
  const std::shared_ptr<ARpGateway>& rp = Model();
  for (auto _ : state) {
    std::unique_ptr<ARpGateway> s = ARpGateway::OpenSession(rp);
    benchmark::DoNotOptimize(s.get());
  }
  const std::size_t before = HeapInUse();
  std::vector<std::unique_ptr<ARpGateway>> open;
  for (int i = 0; i < 1000; ++i) open.push_back(ARpGateway::OpenSession(rp));
  state.counters["heap_bytes_per_session"] = static_cast<double>(HeapInUse() - before) / 1000;
  state.counters["objects"] = static_cast<double>(rp->GetObjectCount());
}
BENCHMARK(BM_OpenSession);

void BM_OpenSessions1000(benchmark::State& state) {
  const std::shared_ptr<ARpGateway>& rp = Model();
  const VoidIDVector all = AllIDs(*rp);
  double bytes = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    std::vector<std::unique_ptr<ARpGateway>> sessions;
    sessions.reserve(1000);
    for (int u = 0; u < 1000; ++u) {
      sessions.push_back(ARpGateway::OpenSession(rp));
      SignOn(*sessions.back(), u, all);
    }
    bytes = static_cast<double>(HeapInUse() - before);
    benchmark::DoNotOptimize(sessions.data());
  }
  state.counters["bytes_per_session"] = bytes / 1000;
  state.counters["objects"] = static_cast<double>(rp->GetObjectCount());
}
BENCHMARK(BM_OpenSessions1000)->Unit(benchmark::kMillisecond);

struct Probe {
  TypeID type;
  QualifiedName name;
  Expr expr;  // a sum of the object and its parent
};

const std::vector<Probe>& Probes() {
  static const std::vector<Probe> probes = [] {
    ARpGateway& rp = *Model();
    const VoidIDVector all = AllIDs(rp);
    std::mt19937 random(11);
    std::vector<Probe> out;
    for (int i = 0; i < 4096; ++i) {
      Ref<ARpObject> obj = rp.GetObject(all[random() % all.size()]);
      Probe p{obj->GetTypeID(), {}, {}};
      MetadataUtil::GenerateQualifiedName(obj, p.name);
      ExprBuilder b;
      b.Op(kAdd).ID(obj.GetID());
      Ref<ARpObject> parent = obj->GetParentObject();
      if (parent.IsNull()) {
        b.Int(1);
      } else {
        b.ID(parent.GetID());
      }
      p.expr = b.End().Build();
      out.push_back(std::move(p));
    }
    return out;
  }();
  return probes;
}

// Resolving and rendering through a session on rp; probes are Model()'s,
// which are the same in the second model (same ids, same names).
void Read(benchmark::State& state, const std::shared_ptr<ARpGateway>& rp) {
  const std::vector<Probe>& probes = Probes();
  std::unique_ptr<ARpGateway> session = ARpGateway::OpenSession(rp);
  SignOn(*session, state.thread_index(), AllIDs(*rp));
  std::size_t i = static_cast<std::size_t>(state.thread_index()) * 997, chars = 0;
  for (auto _ : state) {
    const Probe& p = probes[i++ % probes.size()];
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(session.get(), p.type, p.name);
    benchmark::DoNotOptimize(obj);
    chars += ToPrettyStringVisitor::StringFrom(p.expr, session.get(), true, true, false, false, false).size();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["chars"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kAvgIterations);
}
void BM_SessionsReading(benchmark::State& state) { Read(state, Model()); }
BENCHMARK(BM_SessionsReading)->Threads(1)->Threads(2)->UseRealTime()->MinTime(2);

void BM_OwnRepositoriesReading(benchmark::State& state) {
  Read(state, state.thread_index() == 0 ? Model() : SecondModel());
}
BENCHMARK(BM_OwnRepositoriesReading)->Threads(2)->UseRealTime()->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
