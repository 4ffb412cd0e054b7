// Four threads read one repository loaded from the sample file at once:
// they render every expression, resolve every object from its qualified
// name, run a named lookup condition for it and build its dictionary path.
// Each answer must equal the one a single thread gave before. Session
// variables are also set while readers ask for them, as display names do
// when they load bundle strings. The test is
// built on its own so that the thread-sanitizer build of CI needs nothing
// else; that build reports any data race among the readers.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Metadata/SMDictUtil.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 20;

struct Rendering {
  Expr expr;
  bool bFullyQualified;
  VXString text;
};

struct Named {
  Ref<ARpObject> obj;
  QualifiedName name;
  VoidID resolved;        // what GetRpObjectFromQualifiedName finds
  VoidIDVector lookedUp;  // what the named condition finds
  VXString dictPath;
};

// The text of one rendering, or the error it ends in (some operators are
// not rendered yet); either must be the same in every thread.
VXString Render(const Expr& expr, ARpGateway* rp, bool bFullyQualified) {
  try {
    return ToPrettyStringVisitor::StringFrom(expr, rp, bFullyQualified, bFullyQualified, false, false, false);
  } catch (const std::exception& e) {
    return U"error: " + ToVXString(e.what());
  }
}

RpProp ExprKey(TypeID type) {
  if (type == kTIDAComplexJoin) return RpProp::kJoinExpr;
  if (type == kTIDAFolderAttr) return RpProp::kHideObjectExpr;
  return RpProp::kExpr;
}

TEST(SharedRepositoryRaces, FourThreadsReadTheSampleRepository) {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml");
  ASSERT_TRUE(rp);

  // The answers of one thread, first.
  std::vector<Rendering> renderings;
  std::vector<Named> named;
  DictUniqueNamesCache cache;
  for (TypeID type : rp->GetKnownTypes()) {
    VoidIDVector ids;
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = rp->GetObject(id);
      const Expr expr = obj->GetExprProperty(ExprKey(type));
      for (bool fq : {false, true}) {
        if (!expr.IsEmpty()) {
          renderings.push_back({expr, fq, Render(expr, rp.get(), fq)});
        }
      }
      Named n{obj, {}, {}, {}, {}};
      MetadataUtil::GenerateQualifiedName(obj, n.name);
      n.resolved = MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, n.name).GetID();
      rp->LookupObjects(NamedInterfaceTypeCondition(type, n.name, false), n.lookedUp);
      n.dictPath = MetadataDictUtil::GetDictRelativePath(obj, cache);
      named.push_back(std::move(n));
    }
  }
  ASSERT_GT(renderings.size(), 20u);
  ASSERT_GT(named.size(), 100u);

  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread starts elsewhere, so that different threads touch the
        // same objects at different moments.
        for (std::size_t k = 0; k < renderings.size(); ++k) {
          const Rendering& r = renderings[(k + static_cast<std::size_t>(t) * 7) % renderings.size()];
          if (Render(r.expr, rp.get(), r.bFullyQualified) != r.text) ++failures;
        }
        for (std::size_t k = 0; k < named.size(); ++k) {
          const Named& n = named[(k + static_cast<std::size_t>(t) * 31) % named.size()];
          const TypeID type = n.obj->GetTypeID();
          if (MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), type, n.name).GetID() != n.resolved) ++failures;
          VoidIDVector ids;
          rp->LookupObjects(NamedInterfaceTypeCondition(type, n.name, false), ids);
          if (ids != n.lookedUp) ++failures;
        }
        // Unique dictionary names depend on the order objects are named in,
        // so paths are built in the first pass's order, with a fresh cache.
        DictUniqueNamesCache myCache;
        for (const Named& n : named) {
          if (MetadataDictUtil::GetDictRelativePath(n.obj, myCache) != n.dictPath) ++failures;
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(SharedRepositoryRaces, SessionVariablesAreSetWhileOthersReadThem) {
  ARpGateway rp;
  rp.SetSessionVariableValue({U"VX_SYSTEM", U"DEFAULT_SUBJECT_AREA"},
                             Heap<PropertyValue>(new PropertyValueString(U"Sales Analysis")));
  constexpr int kVariables = 400;
  std::atomic<int> published{0};  // variables 0 .. published-1 are set
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  // One thread fills variables in, one at a time, as a lazy loader would.
  threads.emplace_back([&] {
    for (int i = 0; i < kVariables; ++i) {
      const VXString name = U"BUNDLE_" + ToVXString(std::to_string(i));
      if (!rp.SetSessionVariableValue({U"NQ_SESSION", name}, Heap<PropertyValue>(new PropertyValueString(name)))) {
        ++failures;
      }
      published.store(i + 1, std::memory_order_release);
    }
  });
  for (int t = 0; t < kThreads - 1; ++t) {
    threads.emplace_back([&] {
      while (published.load(std::memory_order_acquire) < kVariables) {
        const int seen = published.load(std::memory_order_acquire);
        if (rp.GetDefaultSubjectAreaName(false) != U"Sales Analysis") ++failures;
        if (seen == 0) continue;
        // A variable once set reads back in any block and in any case.
        const VXString name = U"bundle_" + ToVXString(std::to_string(seen - 1));
        Heap<PropertyValue> v;
        if (!rp.GetSessionVariableValue({GlobalRpVariables::global_SessionBlockWildcard, name}, v) ||
            v->StringFrom() != U"BUNDLE_" + ToVXString(std::to_string(seen - 1))) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
