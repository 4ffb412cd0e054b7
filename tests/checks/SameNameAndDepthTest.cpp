// Many objects of one name, and levels outside any dimension: every later
// same-named sibling names the earliest of its group, whatever the group's
// size; a level whose chain reaches no dimension is a finding of its own,
// never a check that could not finish; findings come out in the record's
// own order.
#include <gtest/gtest.h>

#include <algorithm>

#include "Checks/ConsistencyCheck.h"
#include "checks/CleanModel.h"

namespace {

// (main object, second argument or null) of each finding of one message.
std::vector<std::pair<VoidID, VoidID>> Of(const std::vector<ConsistencyMessage>& found, MessageId id) {
  std::vector<std::pair<VoidID, VoidID>> out;
  for (const ConsistencyMessage& m : found) {
    if (m.GetMessageId() != id) continue;
    const RpObjectVector objects = m.GetObjects();
    out.emplace_back(m.GetMainObject().GetID(), objects.size() > 1 ? objects[1].GetID() : VoidID::NullID);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(SameNamedObjects, EachLaterOneNamesTheEarliestOfItsGroup) {
  CleanModel m;
  // Created out of id order on purpose: the earliest by id is the middle one.
  const Ref<ARpObject> a = m.rp.CreateObject(kTIDATable, U"Orders", m.db.GetID(), VoidID(kTIDATable, 50));
  const Ref<ARpObject> b = m.rp.CreateObject(kTIDATable, U"oRDERS", m.db.GetID(), VoidID(kTIDATable, 20));
  const Ref<ARpObject> c = m.rp.CreateObject(kTIDATable, U"orders", m.db.GetID(), VoidID(kTIDATable, 90));
  // Another type of the same name is no duplicate of a table.
  m.rp.CreateObject(kTIDACubeTable, U"ORDERS", m.db.GetID(), VoidID(kTIDACubeTable, 1));
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, {});
  // The clean model's own ORDERS table is the earliest of them all.
  const VoidID first = m.table.GetID();
  ASSERT_LT(first, b.GetID());
  const std::vector<std::pair<VoidID, VoidID>> expected = {{b.GetID(), first}, {a.GetID(), first}, {c.GetID(), first}};
  EXPECT_EQ(Of(found, 38179), expected);
}

TEST(SameNamedObjects, AThousandsStrongGroupIsReportedWhole) {
  for (const TypeID type : std::vector<TypeID>{kTIDATable, kTIDALogicalTable, kTIDAFolderAttr}) {
    SCOPED_TRACE(type);
    CleanModel m;
    const Ref<ARpObject> parent = type == kTIDATable ? m.db : type == kTIDALogicalTable ? m.bm : m.ptable;
    constexpr int kCount = 5000;
    std::vector<VoidID> ids;
    for (int i = 0; i < kCount; ++i) {
      ids.push_back(m.rp.CreateObject(type, i % 2 ? U"Same" : U"SAME", parent.GetID()).GetID());
    }
    const MessageId message = type == kTIDATable ? 38179 : type == kTIDALogicalTable ? 38106 : 38209;
    ConsistencyCheckOptions options;
    options.m_types = {type};
    const std::vector<std::pair<VoidID, VoidID>> got = Of(RunConsistencyChecks(m.rp, options), message);
    std::sort(ids.begin(), ids.end());
    ASSERT_EQ(got.size(), static_cast<std::size_t>(kCount - 1));
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].first, ids[i + 1]);
      EXPECT_EQ(got[i].second, ids[0]);
    }
  }
}

TEST(LevelsOutsideDimensions, TheTopOfTheChainIsTheFinding) {
  CleanModel m;
  // A level straight under the business model, and one below it.
  const Ref<ARpObject> stray = m.rp.CreateObject(kTIDALevel, U"Stray", m.bm.GetID());
  const Ref<ARpObject> below = m.rp.CreateObject(kTIDALevel, U"Below", stray.GetID());
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, {});
  for (const ConsistencyMessage& f : found) {
    EXPECT_NE(f.GetMessageId(), kCheckFailedMessageId) << ToNarrow(f.GetText(false));
    // A key finding names the dimension, which these levels do not have.
    EXPECT_NE(f.GetMessageId(), 38011u) << ToNarrow(f.GetText(false));
  }
  const std::vector<std::pair<VoidID, VoidID>> expected = {{stray.GetID(), VoidID::NullID}};
  EXPECT_EQ(Of(found, 38036), expected);
  // The levels of the clean model's dimension are not reported.
  EXPECT_EQ(Of(found, 38026).size(), 2u);  // Stray and Below have no columns
}

// Texts of one object's findings that agree far into a deep object's
// qualified name: the order is still that of the whole texts.
TEST(FindingsOrder, TextsAlikeDeepIntoALongNameAreComparedWhole) {
  CleanModel m;
  // Two levels 60 deep, side by side: their names differ in the last segment only.
  Ref<ARpObject> level = m.total;
  for (int i = 0; i < 60; ++i) level = m.rp.CreateObject(kTIDALevel, U"L", level.GetID());
  const Ref<ARpObject> b = m.rp.CreateObject(kTIDALevel, U"B", level.GetID());
  const Ref<ARpObject> a = m.rp.CreateObject(kTIDALevel, U"A", level.GetID());
  const Ref<ARpObject> c = m.rp.CreateObject(kTIDALevel, U"C", level.GetID());
  // 38014 names its two objects by qualified name ("... source %1 ... of
  // dimension %2 ..."): reported on the first level about B, C and A, in
  // that order.
  const VoidID first = m.total.GetID();
  const std::vector<ConsistencyCheck> table = {
      {"test-deep-names",
       38014,
       {kTIDALevel},
       [&](const CheckContext& ctx) {
         if (ctx.Object().GetID() != first) return;
         for (const Ref<ARpObject>& other : {b, c, a}) ctx.Report({ctx.Object(), other});
       },
       "",
       ""},
  };
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, {}, table);
  std::vector<VXString> second;
  for (const ConsistencyMessage& f : found) second.push_back(f.GetObjects().at(1)->GetName());
  EXPECT_EQ(second, (std::vector<VXString>{U"A", U"B", U"C"}));
  EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
}

// Two findings on each level of a chain deeper than the names are cut at
// (no key: "Logical level L of dimension ..."; no columns: "Logical level
// Sales...."): each level's pair in the order of its texts.
TEST(FindingsOrder, EachLevelOfADeepChainHasItsTwoFindingsInTextOrder) {
  CleanModel m;
  Ref<ARpObject> level = m.total;
  for (int i = 0; i < 300; ++i) level = m.rp.CreateObject(kTIDALevel, U"L", level.GetID());
  ConsistencyCheckOptions options;
  options.m_types = {kTIDALevel};
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, options);
  EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
  std::size_t pairs = 0;
  for (std::size_t i = 0; i + 1 < found.size(); ++i) {
    if (found[i].GetMainObject() != found[i + 1].GetMainObject()) continue;
    EXPECT_LT(found[i].GetText(false), found[i + 1].GetText(false));
    ++pairs;
  }
  EXPECT_GE(pairs, 300u);
}

}  // namespace
