#include <gtest/gtest.h>

#include "SampleRepository.h"

namespace {

TEST(Handles, CountsFollowCopies) {
  SampleRepository s;
  Ref<ARpObject> a = s.Get(s.orders);
  ASSERT_FALSE(a.IsNull());
  {
    Ref<ARpObject> b = a;
    Ref<ATable> t(b);  // same object, another interface
    EXPECT_EQ(t.m_pObj, dynamic_cast<ATable*>(a.m_pObj));
    Ref<ARpObject> c(std::move(b));
    EXPECT_EQ(b.m_pObj, nullptr);
    EXPECT_TRUE(c == a);
  }
  // A cast to an interface the object lacks names nothing.
  Ref<AColumn> notAColumn(a);
  EXPECT_TRUE(notAColumn.IsNull());
  Ref<AColumn> col;
  EXPECT_FALSE(QueryInterface(a, col));
  EXPECT_TRUE(QueryInterface(s.Get(s.orderId), col));
  EXPECT_THROW(notAColumn->GetName(), VXAssertException);
}

TEST(Handles, EqualityAndNullHandles) {
  SampleRepository s;
  EXPECT_TRUE(Ref<ARpObject>() == Ref<AColumn>());
  EXPECT_FALSE(s.Get(s.orders) == Ref<ARpObject>());
  EXPECT_TRUE(s.Get(s.orders) == Ref<ATable>(s.Get(s.orders)));
  EXPECT_FALSE(s.Get(s.orders) == s.Get(s.items));
  EXPECT_TRUE(s.rp.GetObject(VoidID(kTIDATable, 9999)).IsNull());
  EXPECT_TRUE(Ref<ARpObject>(&s.rp, VoidID::NullID).IsNull());
}

TEST(Handles, HandleMadeBeforeTheObjectResolvesLater) {
  ARpGateway rp;
  Ref<ARpObject> early(&rp, VoidID(kTIDADatabase, 77));
  EXPECT_TRUE(early.IsNull());
  rp.CreateObject(kTIDADatabase, U"Late", VoidID::NullID, VoidID(kTIDADatabase, 77));
  EXPECT_FALSE(early.IsNull());
  EXPECT_EQ(early->GetName(), U"Late");
  // The gateway's own numbering skips the taken id.
  Ref<ARpObject> next = rp.CreateObject(kTIDADatabase, U"Next");
  EXPECT_EQ(next.GetID(), VoidID(kTIDADatabase, 78));
  EXPECT_THROW(rp.CreateObject(kTIDADatabase, U"Dup", VoidID::NullID, VoidID(kTIDADatabase, 77)), VXAssertException);
  EXPECT_THROW(rp.CreateObject(kTIDADatabase, U"Bad", VoidID::NullID, VoidID(kTIDATable, 1)), VXAssertException);
}

TEST(Deletion, StaleHandlesResolveToNothing) {
  HookGuard hooks;
  SampleRepository s;
  Ref<ARpObject> orders = s.Get(s.orders);
  Ref<AColumn> id(s.Get(s.orderId));
  Ref<ARpObject> lazy(&s.rp, s.amount);
  ASSERT_TRUE(s.rp.DeleteObject(s.orders));
  EXPECT_TRUE(orders.IsNull());
  EXPECT_TRUE(id.IsNull());  // went with its table
  EXPECT_TRUE(lazy.IsNull());
  EXPECT_TRUE(s.rp.GetObject(s.orders).IsNull());
  EXPECT_FALSE(s.rp.DeleteObject(s.orders));
  // Handle copies of a deleted object stay null and release cleanly.
  Ref<ARpObject> copy = orders;
  EXPECT_TRUE(copy.IsNull());
  EXPECT_TRUE(orders == Ref<ARpObject>());
}

TEST(Deletion, IndexesAndRelationsForgetDeletedObjects) {
  HookGuard hooks;
  SampleRepository s;
  Ref<AFolderAttr> presId(s.Get(s.presId));
  presId->SetLogicalColumn(Ref<AAttribute>(s.Get(s.revenue)));
  Ref<AKey> key(s.Get(s.custKey));
  key->AddAttribute(Ref<AAttribute>(s.Get(s.revenue)));
  const std::size_t before = s.rp.GetObjectCount();

  ASSERT_TRUE(s.rp.DeleteObject(s.revenue));
  // Relationship 30 takes the presentation column along (model rule).
  EXPECT_TRUE(presId.IsNull());
  EXPECT_EQ(s.rp.GetObjectCount(), before - 2);
  EXPECT_EQ(key->GetAttributes().Size(), 0u);
  VoidIDVector ids;
  s.rp.LookupObjects(TypedObjectNameCondition(kTIDAAttribute, U"Revenue", false), ids);
  EXPECT_TRUE(ids.empty());
  s.rp.LookupObjects(InterfaceTypeCondition(kTIDAFolderAttr), ids);
  EXPECT_EQ(ids, (VoidIDVector{s.presAmount}));
  Ref<AEntityFolder> table(s.Get(s.presOrders));
  EXPECT_EQ(table->GetFolderAttrs().Size(), 1u);
}

TEST(Deletion, WithoutCascadeChildrenAreOrphaned) {
  SampleRepository s;
  Ref<ARpObject> id = s.Get(s.orderId);
  ASSERT_TRUE(s.rp.DeleteObject(s.orders, false));
  EXPECT_FALSE(id.IsNull());
  EXPECT_TRUE(id->GetParentObject().IsNull());
  EXPECT_EQ(RpObject::GenerateQualifiedName(id), U"\"Id\"");
}

TEST(Deletion, DependentsWalkAndObjectsOutliveTheirGateway) {
  HookGuard hooks;
  Ref<ARpObject> survivor;
  {
    SampleRepository s;
    RpObjectVector deps;
    Ref<ARpObject> db = s.Get(s.db);
    RpObjectDeleteContext ctx(db);
    ANetworker::ForType(kTIDADatabase).GetDeleteDependents(&s.rp, db, deps, ctx);
    EXPECT_EQ(deps.size(), 9u);  // catalog, two schemas, three tables, three columns
    EXPECT_TRUE(ctx.IsMarked(s.Get(s.itemId)));
    EXPECT_FALSE(ctx.IsMarked(s.Get(s.revenue)));
    EXPECT_FALSE(s.Get(s.orders).IsNull());  // nothing deleted
    survivor = s.Get(s.orderId);
  }
  EXPECT_TRUE(survivor.IsNull());  // the gateway went away; the handle is safe
}

TEST(Deletion, WalkRecordsWhatTookEachDependentAlong) {
  HookGuard hooks;  // the model's own rules only
  SampleRepository s;
  Ref<AFolderAttr>(s.Get(s.presId))->SetLogicalColumn(Ref<AAttribute>(s.Get(s.revenue)));
  RpObjectVector deps;
  Ref<ARpObject> lt = s.Get(s.lt);
  RpObjectDeleteContext ctx(lt);
  ANetworker::ForType(kTIDALogicalTable).GetDeleteDependents(&s.rp, lt, deps, ctx);
  // The column and key by containment, then the presentation column through
  // relationship 30 from the column.
  ASSERT_EQ(deps.size(), 3u);
  ASSERT_EQ(ctx.m_reached.size(), deps.size());
  for (std::size_t i = 0; i < deps.size(); ++i) EXPECT_EQ(ctx.m_reached[i].m_obj, deps[i].GetID());
  EXPECT_EQ(ctx.m_reached[0].m_from, s.lt);
  EXPECT_EQ(ctx.m_reached[0].m_rel, RpRel::kContainment);
  EXPECT_EQ(ctx.m_reached[2].m_obj, s.presId);
  EXPECT_EQ(ctx.m_reached[2].m_from, s.revenue);
  EXPECT_EQ(ctx.m_reached[2].m_rel, RpRel::kLogicalToPresentationColumn);
}

// A predicate like the one a host installs: relationship 329 drags keys
// along with their columns unless the key's parent is already going.
class KeyColumnPredicate : public HasDeleteDependencyPredicate {
 public:
  bool HasPossibleDeleteDependencies(RpObjectDeleteContext&, const Ref<ARpObject>&, const RelationRoleID& r,
                                     SchemaCountVector& args) const override {
    if (r.first.GetInternalSystemRelationshipID() != 329 || r.second != 0) return false;
    args.push_back(1);
    return true;
  }
  bool IsDeleteDependent(RpObjectDeleteContext& ctx, const Ref<ARpObject>&, const RelationRoleID&, int,
                         const Ref<ARpObject>& candidate) const override {
    ++calls;
    return !ctx.IsMarked(candidate->GetParentObject());
  }
  mutable int calls = 0;
};

TEST(Deletion, InstalledPredicateIsConsulted) {
  SampleRepository s;
  KeyColumnPredicate predicate;
  HookGuard hooks(&predicate);
  auto key = s.b.At(s.orders).Child(kTIDATableKey, U"PK");
  Ref<ATableKey>(key.Obj())->AddColumn(Ref<AColumn>(s.Get(s.orderId)));
  EXPECT_TRUE(s.rp.DeleteObject(s.orderId));
  EXPECT_TRUE(key.Obj().IsNull());
  EXPECT_EQ(predicate.calls, 1);
}

TEST(Deletion, TypeIndexCompactionKeepsOrder) {
  ARpGateway rp;
  VoidIDVector made;
  for (int i = 0; i < 20; ++i) made.push_back(rp.CreateObject(kTIDADatabase, Numbered(U"db", i)).GetID());
  for (int i = 0; i < 20; i += 2) rp.DeleteObject(made[static_cast<std::size_t>(i)]);
  for (int i = 1; i < 15; i += 4) rp.DeleteObject(made[static_cast<std::size_t>(i)]);
  VoidIDVector expected;
  for (int i = 1; i < 20; i += 2) {
    if ((i - 1) % 4 != 0 || i >= 15) expected.push_back(made[static_cast<std::size_t>(i)]);
  }
  VoidIDVector got;
  rp.LookupObjects(InterfaceTypeCondition(kTIDADatabase), got);
  EXPECT_EQ(got, expected);
  got.clear();
  rp.LookupObjects(TypedObjectNameCondition(kTIDADatabase, U"DB19", false), got);
  EXPECT_EQ(got, (VoidIDVector{made[19]}));
}

}  // namespace
