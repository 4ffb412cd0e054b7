// Object naming against a real in-memory repository: generated names with
// their empty levels, finding objects by name, names already taken, key
// column positions and the query layer.
#include <gtest/gtest.h>

#include "Metadata/SMUtil.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/RpBuilder.h"

namespace {

class SMUtilNamingObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    db = b.Add(kTIDADatabase, U"Sales DB");
    catalog = b.At(db).Child(kTIDACatalog, U"Cat");
    schema = b.At(catalog).Child(kTIDASchema, U"dbo");
    ordersInDb = b.At(db).Child(kTIDATable, U"Orders");
    ordersInSchema = b.At(schema).Child(kTIDATable, U"Orders");
    orderId = b.At(ordersInDb).Child(kTIDAColumn, U"Id");
    area = b.Add(kTIDACatalogFolder, U"Sales").Alias(U"Old Sales");
    presOrders = b.At(area).Child(kTIDAEntityFolder, U"Orders");
    presAmount = b.At(presOrders).Child(kTIDAFolderAttr, U"Amount");
  }

  Ref<ARpObject> Obj(const VoidID& id) { return rp.GetObject(id); }
  // The object of that type and written name, or the null id.
  static VoidID Find(ARpGateway& in, TypeID type, const QualifiedName& name) {
    return MetadataUtil::GetRpObjectFromQualifiedName(&in, type, name).GetID();
  }
  VoidID Find(TypeID type, const QualifiedName& name) { return Find(rp, type, name); }

  ARpGateway rp;
  RpBuilder b{rp};
  VoidID db, catalog, schema, ordersInSchema, ordersInDb, orderId, area, presOrders, presAmount;
};

}  // namespace

TEST_F(SMUtilNamingObjects, GeneratedSegmentsCarryAccordionLevels) {
  QualifiedName q{U"stale"};
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Obj(db), q), (QualifiedName{U"Sales DB"}));
  // A table straight under its database has empty catalog and schema levels.
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Obj(orderId), q),
            (QualifiedName{U"Sales DB", U"", U"", U"Orders", U"Id"}));
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Obj(ordersInSchema), q),
            (QualifiedName{U"Sales DB", U"Cat", U"dbo", U"Orders"}));
  // A presentation table directly in its subject area has an empty folder level.
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Obj(presAmount), q),
            (QualifiedName{U"Sales", U"", U"Orders", U"Amount"}));
  // The written form is the object model's.
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Obj(presAmount)), U"\"Sales\"..\"Orders\".\"Amount\"");
}

TEST_F(SMUtilNamingObjects, GeneratedSegmentsWithGivenParentOrNoObject) {
  QualifiedName q{U"stale"};
  MetadataUtil::GenerateQualifiedName(Obj(orderId), q, QualifiedName{U"P", U"Q"});
  EXPECT_EQ(q, (QualifiedName{U"P", U"Q", U"Id"}));
  MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(), q);
  EXPECT_TRUE(q.empty());
  q = {U"stale"};
  MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(&rp, VoidID(kTIDATable, 9999)), q, QualifiedName{U"P"});
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(Ref<ARpObject>()), U"");
}

TEST_F(SMUtilNamingObjects, GetRpObjectFromQualifiedName) {
  // Accordion levels are not needed to find the object...
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"Orders"}), ordersInDb);
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"", U"", U"Orders"}), ordersInDb);
  // ...and two tables of one name are told apart by their containers.
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"Cat", U"dbo", U"Orders"}), ordersInSchema);
  EXPECT_EQ(Find(kTIDAFolderAttr, {U"Sales", U"Orders", U"Amount"}), presAmount);
  // Case counts here, in any segment, though the name index ignores it.
  EXPECT_EQ(Find(kTIDATable, {U"sales db", U"Orders"}), VoidID::NullID);
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"ORDERS"}), VoidID::NullID);
  // Wrong type, partial name, nothing at all.
  EXPECT_EQ(Find(kTIDAColumn, {U"Sales DB", U"Orders"}), VoidID::NullID);
  EXPECT_EQ(Find(kTIDATable, {U"Orders"}), VoidID::NullID);
  EXPECT_EQ(Find(kTIDATable, {U"", U""}), VoidID::NullID);
  EXPECT_EQ(Find(kTIDATable, {}), VoidID::NullID);
  // A renamed object is found by its current name only.
  b.At(ordersInDb).Rename(U"Order Headers");
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"Order Headers"}), ordersInDb);
  // The name index finds it by its former name, but the exact comparison does not.
  EXPECT_EQ(Find(kTIDATable, {U"Sales DB", U"Orders"}), VoidID::NullID);
}

TEST_F(SMUtilNamingObjects, IsQualifiedNameMatch) {
  const Ref<ARpObject> table = Obj(presOrders);
  EXPECT_TRUE(MetadataUtil::IsQualifiedNameMatch(table, U"\"Sales\"..\"Orders\"", false));
  EXPECT_TRUE(MetadataUtil::IsQualifiedNameMatch(table, U"\"SALES\"..\"orders\"", false));
  EXPECT_FALSE(MetadataUtil::IsQualifiedNameMatch(table, U"\"Sales\".\"Orders\"", false));

  b.At(presOrders).Rename(U"Order Lines").Rename(U"Lines");
  const struct {
    const char32_t* written;
    bool withAliases;
    bool expected;
  } cases[] = {
      {U"\"Sales\"..\"Lines\"", false, true},      {U"\"Sales\"..\"Orders\"", false, false},
      {U"\"Sales\"..\"Orders\"", true, true},       // the first former name
      {U"\"sales\"..\"order lines\"", true, true},  // the second, any case
      {U"\"Sales\"..\"Lines\"", true, true},        // the current name too
      {U"\"Old Sales\"..\"Orders\"", true, false},  // only the object's own former names
      {U"\"Sales\".\"Orders\"", true, false},       // the empty level is part of the name
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MetadataUtil::IsQualifiedNameMatch(table, c.written, c.withAliases), c.expected)
        << ToNarrow(c.written) << " aliases=" << c.withAliases;
  }
  // A top-level object's former names stand alone.
  EXPECT_TRUE(MetadataUtil::IsQualifiedNameMatch(Obj(area), U"\"Old Sales\"", true));
  EXPECT_FALSE(MetadataUtil::IsQualifiedNameMatch(Obj(area), U"\"Old Sales\"", false));
  EXPECT_FALSE(MetadataUtil::IsQualifiedNameMatch(Ref<ARpObject>(), U"", true));
}

TEST_F(SMUtilNamingObjects, UnnamedTopLevelObjectIsWrittenAsTwoQuotes) {
  const Ref<ARpObject> unnamed = rp.CreateObject(kTIDADatabase, U"");
  EXPECT_EQ(MetadataUtil::GenerateQualifiedName(unnamed), U"\"\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName(QualifiedName{}, U""), U"\"\"");
  for (bool bAliases : {false, true}) {
    EXPECT_TRUE(MetadataUtil::IsQualifiedNameMatch(unnamed, U"\"\"", bAliases)) << bAliases;
    EXPECT_FALSE(MetadataUtil::IsQualifiedNameMatch(unnamed, U"", bAliases)) << bAliases;
    EXPECT_FALSE(MetadataUtil::IsQualifiedNameMatch(Obj(db), U"\"\"", bAliases)) << bAliases;
  }
}

TEST_F(SMUtilNamingObjects, FindsByNameRightAfterABatchLoad) {
  // A database, its table and the table's column, built as a loader builds a
  // file: the name indexes are made once, at the end, and the first lookup
  // goes through them.
  using Batch = ARpGateway::LoadBatch;
  ARpGateway loaded;
  Batch batch;
  batch.m_objects.push_back({VoidID(kTIDADatabase, 1), Batch::kNoParent});
  batch.m_objects.push_back({VoidID(kTIDATable, 1), 0});
  batch.m_objects.push_back({VoidID(kTIDAColumn, 1), 1});
  batch.m_names = {U"DB", U"T", U"C"};
  batch.m_children.push_back(1);
  batch.m_children.push_back(2);
  loaded.Load(batch);
  EXPECT_EQ(Find(loaded, kTIDAColumn, {U"DB", U"", U"", U"T", U"C"}), VoidID(kTIDAColumn, 1));
  EXPECT_EQ(Find(loaded, kTIDATable, {U"DB", U"T"}), VoidID(kTIDATable, 1));
  EXPECT_EQ(Find(loaded, kTIDAColumn, {U"DB", U"T", U"C"}), VoidID(kTIDAColumn, 1));
  // Only a name that no object bears gives nothing, and case counts.
  EXPECT_EQ(Find(loaded, kTIDAColumn, {U"DB", U"T", U"D"}), VoidID::NullID);
  EXPECT_EQ(Find(loaded, kTIDAColumn, {U"DB", U"t", U"C"}), VoidID::NullID);
  // An object made after the load is found at once too.
  const Ref<ARpObject> d = loaded.CreateObject(kTIDAColumn, U"D", VoidID(kTIDATable, 1));
  EXPECT_EQ(Find(loaded, kTIDAColumn, {U"DB", U"T", U"D"}), d.GetID());
}

TEST_F(SMUtilNamingObjects, NamesOfRootObjectsIncludeSubjectAreaSubFolders) {
  b.At(presOrders).Alias(U"Old Orders");
  b.At(area).Child(kTIDAEntityFolder, U"Customers").Alias(U"Clients");
  b.Add(kTIDACatalogFolder, U"HR");
  VXStringVector names{U"kept"};
  MetadataUtil::GenerateNameVectorOfRootObjects(&rp, kTIDACatalogFolder, names);
  // Sub-folder aliases gather in one vector with the area's, so every
  // sub-folder lists the area's former names (and earlier sub-folders') again:
  // the list is of names taken, where repeats do no harm.
  const VXStringVector expected{U"kept",      U"Sales",     U"Old Sales",  U"Orders",  U"Old Sales", U"Old Orders",
                                U"Customers", U"Old Sales", U"Old Orders", U"Clients", U"HR"};
  EXPECT_EQ(names, expected);

  names.clear();
  MetadataUtil::GenerateNameVectorOfRootObjects(&rp, kTIDATable, names);
  EXPECT_EQ(names, (VXStringVector{U"Orders", U"Orders"}));
}

TEST_F(SMUtilNamingObjects, AllocatedChildrenNames) {
  b.At(ordersInDb).Child(kTIDAColumn, U"Amount").Rename(U"Net Amount");
  VXStringVector names{U"kept"};
  MetadataUtil::GetAllocatedChildrenNames(&rp, kTIDAColumn, Obj(ordersInDb), names);
  EXPECT_EQ(names, (VXStringVector{U"kept", U"Id", U"Net Amount", U"Amount"}));

  // Repository variables share one name space whatever their block.
  const VoidID block = b.Add(kTIDASessionVariableBlock, U"Init");
  b.At(block).Child(kTIDARpVariable, U"REGION");
  b.Add(kTIDARpVariable, U"YEAR").Alias(U"FISCAL_YEAR");
  names.clear();
  MetadataUtil::GetAllocatedChildrenNames(&rp, kTIDARpVariable, Obj(db), names);
  EXPECT_EQ(names, (VXStringVector{U"REGION", U"YEAR", U"FISCAL_YEAR"}));
  names.clear();
  MetadataUtil::GetAllocatedChildrenNames(&rp, kTIDARpVariable, Ref<ARpObject>(), names);
  EXPECT_EQ(names.size(), 3u);
}

TEST_F(SMUtilNamingObjects, VoidIDVectorToRpObjectVectorSkipsUnresolved) {
  RpObjectVector objs(4);
  MetadataUtil::VoidIDVectorToRpObjectVector(&rp, {orderId, VoidID(kTIDAColumn, 4242), VoidID::NullID, db, orderId},
                                             objs);
  ASSERT_EQ(objs.size(), 3u);
  EXPECT_EQ(objs[0].GetID(), orderId);
  EXPECT_EQ(objs[1].GetID(), db);
  EXPECT_EQ(objs[2].GetID(), orderId);
  rp.DeleteObject(orderId);
  MetadataUtil::VoidIDVectorToRpObjectVector(&rp, {orderId, db}, objs);
  ASSERT_EQ(objs.size(), 1u);
  EXPECT_EQ(objs[0].GetID(), db);
}

TEST_F(SMUtilNamingObjects, KeyColumnsByPosition) {
  const VoidID model = b.Add(kTIDASubjectArea, U"Model");
  const auto table = b.At(model).Child(kTIDALogicalTable, U"Orders");
  const Ref<AAttribute> a = table.Child(kTIDAAttribute, U"A").As<AAttribute>();
  const Ref<AAttribute> c = table.Child(kTIDAAttribute, U"C").As<AAttribute>();
  const Ref<AAttribute> outside = table.Child(kTIDAAttribute, U"Outside").As<AAttribute>();
  const Ref<AKey> key = table.Child(kTIDAKey, U"PK").As<AKey>();
  key->AddAttribute(a);
  key->AddAttribute(c);

  EXPECT_EQ(MetadataUtil::FindColumnIndex(a, key->GetAttributes()), 0);
  EXPECT_EQ(MetadataUtil::FindColumnIndex(c, key->GetAttributes()), 1);
  EXPECT_EQ(MetadataUtil::FindColumnIndex(outside, key->GetAttributes()), MetadataUtil::kUnknownColumnIndex);
  EXPECT_EQ(MetadataUtil::FindColumnIndex(Ref<AAttribute>(), key->GetAttributes()), -1);
  // Positions count from where the iterator stands.
  BinaryRelIter<AAttribute> fromSecond = key->GetAttributes();
  ++fromSecond;
  EXPECT_EQ(MetadataUtil::FindColumnIndex(c, fromSecond), 0);
  EXPECT_EQ(MetadataUtil::FindColumnIndex(a, fromSecond), -1);

  EXPECT_EQ(MetadataUtil::GetIthColumn(0, key->GetAttributes()), a);
  EXPECT_EQ(MetadataUtil::GetIthColumn(1, key->GetAttributes()), c);
  EXPECT_EQ(MetadataUtil::GetIthColumn(0, fromSecond), c);
  for (int i : {-1, 2, 1000}) {
    const Ref<AAttribute> none = MetadataUtil::GetIthColumn(i, key->GetAttributes());
    EXPECT_TRUE(none.IsNull()) << i;
    EXPECT_EQ(none.GetID(), VoidID::NullID) << i;
    EXPECT_EQ(none.GetGateway(), nullptr) << i;
  }
}

TEST_F(SMUtilNamingObjects, MeasureName) {
  const VoidID model = b.Add(kTIDASubjectArea, U"Model");
  const auto revenue = b.At(model).Child(kTIDALogicalTable, U"Facts").Child(kTIDAAttribute, U"Revenue");
  const VoidID defn = revenue.Child(kTIDAMeasureDefn, U"Revenue Defn");
  EXPECT_EQ(MetadataUtil::GetName(defn, &rp), U"Revenue");
  EXPECT_EQ(MetadataUtil::GetName(defn, nullptr), U"");
  // A definition that lost its column names nothing.
  rp.SetObjectParent(Obj(defn).Get(), nullptr);
  EXPECT_EQ(MetadataUtil::GetName(defn, &rp), U"");
  const auto e =
      testutil::Caught<VXAssertException>([&] { MetadataUtil::GetName(VoidID(kTIDAMeasureDefn, 777), &rp); });
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->IsLogicError());
  EXPECT_EQ(e->GetFile(), "server/Metadata/Src/SMUtil.cpp");
  EXPECT_EQ(e->GetLine(), 3143);
}

TEST_F(SMUtilNamingObjects, LayerToQueryFollowsSelectPhysical) {
  EXPECT_EQ(MetadataUtil::GetLayerToQuery(&rp), kSME_Logical);
  auto set = [&](PropertyValue* v) {
    rp.SetSessionVariableValue({U"System", U"SELECTPHYSICAL"}, Heap<PropertyValue>(v));
  };
  const struct {
    PropertyValue* value;
    ExprType expected;
  } cases[] = {
      {new PropertyValueString(U"true"), kSME_Physical},
      {new PropertyValueString(U" Yes "), kSME_Physical},
      {new PropertyValueString(U"1"), kSME_Physical},
      {new PropertyValueString(U"false"), kSME_Logical},
      {new PropertyValueString(U"physical"), kSME_Logical},  // not a boolean: the default
      {new PropertyValueString(U""), kSME_Logical},
      {new PropertyValueBool(true), kSME_Logical},  // only a text value counts
      {new PropertyValueInt(1), kSME_Logical},
  };
  for (const auto& c : cases) {
    const VXString text = c.value->StringFrom();
    set(c.value);
    EXPECT_EQ(MetadataUtil::GetLayerToQuery(&rp), c.expected) << ToNarrow(text);
  }
  set(nullptr);
  EXPECT_EQ(MetadataUtil::GetLayerToQuery(&rp), kSME_Logical);
  EXPECT_EQ(MetadataUtil::GetLayerToQuery(nullptr), kSME_Logical);
}

TEST_F(SMUtilNamingObjects, ConcatenatedCatalogNameOfPhysicalFolders) {
  ScopedSystemConfig config(SUSystemConfig().SetCatalogDelimiter(U"::"));
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(Ref<APhysicalDataFolder>(Obj(db))), U"Sales DB");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(Ref<APhysicalDataFolder>(Obj(catalog))), U"Sales DB::Cat");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(Ref<APhysicalDataFolder>(Obj(schema))), U"");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(Ref<APhysicalDataFolder>()), U"");
  const VoidID unnamed = b.At(db).Child(kTIDACatalog, U"");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(Ref<APhysicalDataFolder>(Obj(unnamed))), U"Sales DB");
}

TEST(SMUtilNamingCatalog, SplitAndJoinWithConfiguredDelimiter) {
  ScopedSystemConfig config(SUSystemConfig().SetCatalogDelimiter(U"::"));
  const std::pair<const char32_t*, QualifiedName> cases[] = {
      {U"Sales::Cat", {U"Sales", U"Cat"}},
      {U"Sales", {U"Sales", U""}},
      {U"", {U"", U""}},
      {U"a//b::c//d//", {U"a.b", U"c.d."}},
      {U"a//b", {U"a.b", U""}},
      {U"x::y::z", {U"x", U"y::z"}},  // only the first delimiter cuts
      {U"::Cat", {U"", U"Cat"}},
      {U"Sales::", {U"Sales", U""}},
      {U"a///b", {U"a./b", U""}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(MetadataUtil::SplitConcatenatedCatalogName(text), expected) << ToNarrow(text);
  }
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(U"Sales", U"Cat"), U"Sales::Cat");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(U"Sales", U""), U"Sales");
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(U"a::b", U"c"), U"a::b::c");  // nothing is escaped
}

TEST(SMUtilNamingCatalog, DefaultDelimiterIsFullStop) {
  ScopedSystemConfig config{SUSystemConfig()};
  EXPECT_EQ(MetadataUtil::SplitConcatenatedCatalogName(U"Sales//EU.Cat"), (QualifiedName{U"Sales.EU", U"Cat"}));
  EXPECT_EQ(MetadataUtil::ToConcatenatedCatalogName(U"Sales", U"Cat"), U"Sales.Cat");
}
