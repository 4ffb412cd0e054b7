#include <gtest/gtest.h>

#include "SampleRepository.h"
#include "Utility/DataBlobUtil.h"

namespace {

// Counts how often the gateway asks it, to see the index narrowing.
class CountingCondition : public TypedObjectNameCondition {
 public:
  using TypedObjectNameCondition::TypedObjectNameCondition;
  bool operator()(const Ref<ARpObject>& obj) const override {
    ++visits;
    return TypedObjectNameCondition::operator()(obj);
  }
  mutable int visits = 0;
};

class NoHintCondition : public CountingCondition {
 public:
  using CountingCondition::CountingCondition;
  bool GetLookupHint(LookupHint&) const override { return false; }
};

TEST(Conditions, LookupVisitsOnlyIndexCandidates) {
  SampleRepository s;
  for (int i = 0; i < 50; ++i) s.b.At(s.orders).Child(kTIDAColumn, Numbered(U"c", i));
  CountingCondition byName(kTIDAColumn, U"ID", false);
  VoidIDVector ids;
  s.rp.LookupObjects(byName, ids);
  EXPECT_EQ(ids, (VoidIDVector{s.orderId, s.itemId}));
  EXPECT_EQ(byName.visits, 2);

  NoHintCondition scan(kTIDAColumn, U"ID", false);
  s.rp.LookupObjects(scan, ids);
  EXPECT_EQ(ids, (VoidIDVector{s.orderId, s.itemId}));
  EXPECT_GT(scan.visits, 50);
}

// The object form answers what the id form does, in the same order, and
// starts from an empty list.
TEST(Conditions, LookupObjectsAsObjects) {
  SampleRepository s;
  auto idsOf = [](const std::vector<ARpObject*>& objects) {
    VoidIDVector ids;
    for (const ARpObject* p : objects) ids.push_back(p->GetID());
    return ids;
  };
  std::vector<ARpObject*> found{nullptr};
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDAColumn, U"id", false), found);
  EXPECT_EQ(idsOf(found), (VoidIDVector{s.orderId, s.itemId}));
  s.rp.LookupObjects(InterfaceTypeCondition(TypeIDVector{kTIDATable, kTIDADatabase, kTIDATable}), found);
  EXPECT_EQ(idsOf(found), (VoidIDVector{s.orders, s.items, s.catTable, s.db}));
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDATable, U"id", false), found);
  EXPECT_TRUE(found.empty());
}

TEST(Conditions, AliasMatchingThroughTheIndex) {
  SampleRepository s;
  VoidIDVector ids;
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDACatalogFolder, U"sales", false), ids);
  EXPECT_TRUE(ids.empty());  // only a former name
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDACatalogFolder, U"sales", true), ids);
  EXPECT_EQ(ids, (VoidIDVector{s.sa}));
  s.rp.LookupObjects(ObjectNameCondition(U"orders", false), ids);
  EXPECT_EQ(ids, (VoidIDVector{s.orders, s.presOrders}));
  s.rp.LookupObjects(LookupAllCondition(), ids);
  EXPECT_EQ(ids.size(), s.rp.GetObjectCount());
  // A renamed object is found under its new name and (with aliases) its old one.
  s.rp.RenameObject(s.orders, U"Orders2024");
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDATable, U"orders2024", false), ids);
  EXPECT_EQ(ids, (VoidIDVector{s.orders}));
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDATable, U"ORDERS", true), ids);
  EXPECT_EQ(ids, (VoidIDVector{s.orders}));
}

TEST(Conditions, FindChildrenByName) {
  SampleRepository s;
  VoidIDVector out;
  s.rp.FindChildrenByName(s.orders, kTIDAColumn, U"id", out);
  EXPECT_EQ(out, (VoidIDVector{s.orderId}));
  s.rp.FindChildrenByName(s.orders, 0, U"AMOUNT", out);
  EXPECT_EQ(out, (VoidIDVector{s.orderId, s.amount}));
  s.rp.FindChildrenByName(VoidID(kTIDATable, 999), 0, U"x", out);
  EXPECT_EQ(out.size(), 2u);
}

TEST(Conditions, ByteFormsRoundTrip) {
  SampleRepository s;
  std::vector<std::unique_ptr<ACondition>> conds;
  conds.push_back(std::make_unique<ObjectNameCondition>(U"Na\u00efve \"name\"", true));
  conds.push_back(std::make_unique<TypedObjectNameCondition>(kTIDAFolderAttr, U"Id", false));
  conds.push_back(std::make_unique<InterfaceTypeCondition>(TypeIDVector{kTIDATable, kTIDACubeTable}));
  conds.push_back(std::make_unique<LookupAllCondition>());
  for (const auto& c : conds) {
    ByteVector b;
    ConditionRegistry::ToTaggedBytes(&s.rp, *c, b);
    b.push_back(0xAB);  // what follows is left alone
    const uint8* next = nullptr;
    std::unique_ptr<ACondition> back = ConditionRegistry::FromTaggedBytes(&s.rp, b.data(), b.data() + b.size(), &next);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetConditionType(), c->GetConditionType());
    EXPECT_EQ(next, b.data() + b.size() - 1);
    ByteVector again;
    ConditionRegistry::ToTaggedBytes(&s.rp, *back, again);
    b.pop_back();
    EXPECT_EQ(again, b);
    VoidIDVector x, y;
    s.rp.LookupObjects(*c, x);
    s.rp.LookupObjects(*back, y);
    EXPECT_EQ(x, y);
  }
}

TEST(Conditions, CorruptBytesAreReported) {
  ByteVector b;
  ConditionRegistry::ToTaggedBytes(nullptr, TypedObjectNameCondition(kTIDATable, U"Orders", true), b);
  for (std::size_t cut = 0; cut < b.size(); ++cut) {
    EXPECT_THROW(ConditionRegistry::FromTaggedBytes(nullptr, b.data(), b.data() + cut), BlobDecodeError) << cut;
  }
  ByteVector unknown;
  DataBlobUtil::ToByteVector(unknown, std::int32_t{99});
  EXPECT_THROW(ConditionRegistry::FromTaggedBytes(nullptr, unknown.data(), unknown.data() + unknown.size()),
               BlobDecodeError);
}

TEST(Conditions, RegistryTakesNewKinds) {
  EXPECT_FALSE(ConditionRegistry::IsRegistered(ACondition::EntityInstance));
  EXPECT_EQ(ConditionRegistry::Create(ACondition::EntityInstance), nullptr);
  ConditionRegistry::Register(ACondition::EntityInstance, [] { return std::make_unique<TypedObjectNameCondition>(); });
  EXPECT_TRUE(ConditionRegistry::IsRegistered(ACondition::EntityInstance));
  EXPECT_NE(ConditionRegistry::Create(ACondition::EntityInstance), nullptr);
}

TEST(Conditions, NoTextForm) {
  InterfaceTypeCondition c(kTIDATable);
  EXPECT_THROW(c.ToConditionString(kQL_ODBCSql), UnsupportedLanguage);
  EXPECT_FALSE(c(Ref<ARpObject>()));
  EXPECT_FALSE(TypedObjectNameCondition(kTIDATable, U"x", true)(Ref<ARpObject>()));
}

TEST(Conditions, BaseNameConditionHasNoParentAndListsChildren) {
  SampleRepository s;
  ObjectNameCondition c(U"Orders", false);
  EXPECT_FALSE(c.IsFullyQualifiedSearch());
  EXPECT_EQ(c.GetParentCondition(), nullptr);
  RpObjectVector kids;
  c.GetChildren(s.Get(s.orders), kids);
  EXPECT_EQ(kids.size(), 2u);
}

}  // namespace
