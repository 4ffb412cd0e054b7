#include <gtest/gtest.h>

#include <algorithm>

#include "SampleRepository.h"
#include "objectmodel/NamePathWalk.h"

namespace {

struct Walked {
  std::vector<VoidID> found;
  std::vector<VoidID> lastLevels;  // the parents searched for the last name (null id: the top)
  bool bCompleted = true;
};

Walked WalkExact(const ARpGateway& rp, const std::vector<VXString>& names, std::size_t stopAfter = 100) {
  Walked w;
  NamePathWalk::Scratch scratch;
  w.bCompleted = NamePathWalk::Walk(
      names, rp.HasEmptyNamedObjects(), scratch,
      [&rp](const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) {
        rp.FindChildrenByExactName(parent, name, out);
      },
      [&](const ARpObject*, ARpObject* obj) {
        w.found.push_back(obj->GetID());
        return w.found.size() < stopAfter;
      },
      [&](const ARpObject* parent) {
        w.lastLevels.push_back(parent ? parent->GetID() : VoidID());
        return true;
      });
  return w;
}

TEST(NamePathWalk, EachNamedLevelMustBeTheNextParentDown) {
  SampleRepository s;
  const struct {
    std::vector<VXString> names;
    std::vector<VoidID> found;
  } cases[] = {
      {{U"Sales DB", U"Cat", U"dbo", U"Orders", U"Id"}, {s.orderId}},
      {{U"Sales DB", U"Items", U"Id"}, {s.itemId}},  // accordion levels have no object
      {{U"Sales DB"}, {s.db}},
      {{U"Sales DB", U"Id"}, {}},                     // a grandchild is not a child
      {{U"Sales DB", U"Cat", U"Orders", U"Id"}, {}},  // a level left out
      {{U"sales db", U"Items", U"Id"}, {}},           // the caller's matching decides: exact here
      {{U"Cat", U"dbo"}, {}},                         // not from the top
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToNarrow(c.names.back()) + " of " + std::to_string(c.names.size()));
    const Walked w = WalkExact(s.rp, c.names);
    EXPECT_TRUE(w.bCompleted);
    EXPECT_EQ(w.found, c.found);
  }
}

TEST(NamePathWalk, AnObjectWithAnEmptyNameDropsOutOfTheChain) {
  SampleRepository s;
  auto unnamed = s.b.Add(kTIDADatabase, U"Sales DB").Child(kTIDACatalog, U"");
  const VoidID deep = unnamed.Child(kTIDASchema, U"dbo").Child(kTIDATable, U"Hidden");
  ASSERT_TRUE(s.rp.HasEmptyNamedObjects());
  const Walked w = WalkExact(s.rp, {U"Sales DB", U"dbo", U"Hidden"});
  EXPECT_EQ(w.found, std::vector<VoidID>{deep});
  // Both databases are searched for the schema; only below the unnamed
  // catalog is there one, and its tables are searched for the last name.
  EXPECT_EQ(w.lastLevels.size(), 1u);
}

TEST(NamePathWalk, EveryMatchIsVisitedUntilTheCallerStops) {
  SampleRepository s;
  // Two top-level objects bear the first name: both chains are walked.
  auto twin = s.b.Add(kTIDADatabase, U"Sales DB");
  const VoidID twinItems = twin.Child(kTIDATable, U"Items");
  Walked all = WalkExact(s.rp, {U"Sales DB", U"Items"});
  std::sort(all.found.begin(), all.found.end());
  std::vector<VoidID> both{s.items, twinItems};
  std::sort(both.begin(), both.end());
  EXPECT_EQ(all.found, both);
  EXPECT_TRUE(all.bCompleted);
  EXPECT_EQ(all.lastLevels.size(), 2u);

  const Walked first = WalkExact(s.rp, {U"Sales DB", U"Items"}, 1);
  EXPECT_FALSE(first.bCompleted);
  EXPECT_EQ(first.found.size(), 1u);
}

TEST(NamePathWalk, TheLastLevelIsReportedEvenWhereNothingBearsTheName) {
  SampleRepository s;
  const Walked w = WalkExact(s.rp, {U"Sales DB", U"Cat", U"Nothing"});
  EXPECT_TRUE(w.found.empty());
  EXPECT_EQ(w.lastLevels, std::vector<VoidID>{s.cat});
  const Walked top = WalkExact(s.rp, {U"Nothing"});
  EXPECT_EQ(top.lastLevels, std::vector<VoidID>{VoidID()});
}

}  // namespace
