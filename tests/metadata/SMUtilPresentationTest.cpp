// Presentation ordering and drill paths against a repository built in code:
// sorting into the five kinds, project splits, a column's siblings, the
// preferred-table choice for keys and level attributes, drill-to levels.
#include <gtest/gtest.h>

#include "Metadata/SMUtil.h"
#include "common/Ids.h"
#include "objectmodel/RpBuilder.h"

namespace {

using testutil::IDs;

// Customers in a business model, shown in two subject areas:
//
//   logical column  presentation columns (relationship 30, in order)
//   Name            Sales.Customers.Name, Mk.Customers.Name, Sales.Extra.Name2
//   Segment         Sales.Customers.Segment, Mk.Customers.Segment, Loose (no folder)
//   City            Sales.Customers.City
//   Id              (none)
//
// and a dimension Country > Region > Customer > Household, shown by a
// hierarchy Geo in each Customers table (Mk's without Region and Household,
// with a level Orphan that has no logical level).
class SMUtilPresentation : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bm = b.Add(kTIDASubjectArea, U"BM");
    auto lt = bm.Child(kTIDALogicalTable, U"Customers");
    id = lt.Child(kTIDAAttribute, U"Id");
    name = lt.Child(kTIDAAttribute, U"Name");
    city = lt.Child(kTIDAAttribute, U"City");
    segment = lt.Child(kTIDAAttribute, U"Segment");
    auto dim = bm.Child(kTIDADimension, U"Customer Dim");
    country = dim.Child(kTIDALevel, U"Country");
    region = b.At(country).Child(kTIDALevel, U"Region");
    customer = b.At(region).Child(kTIDALevel, U"Customer");
    household = b.At(customer).Child(kTIDALevel, U"Household");

    auto sales = b.Add(kTIDACatalogFolder, U"Sales");
    auto mk = b.Add(kTIDACatalogFolder, U"Mk");
    salesArea = sales;
    salesCustomers = sales.Child(kTIDAEntityFolder, U"Customers");
    salesExtra = sales.Child(kTIDAEntityFolder, U"Extra");
    mkCustomers = mk.Child(kTIDAEntityFolder, U"Customers");
    sName = Column(salesCustomers, U"Name", name);
    sCity = Column(salesCustomers, U"City", city);
    sSegment = Column(salesCustomers, U"Segment", segment);
    mName = Column(mkCustomers, U"Name", name);
    mSegment = Column(mkCustomers, U"Segment", segment);
    xName2 = Column(salesExtra, U"Name2", name);
    loose = b.Add(kTIDAFolderAttr, U"Loose");
    b.Relate(RpRel::kLogicalToPresentationColumn, {segment, loose});

    sGeo = b.At(salesCustomers).Child(kTIDAPresentationHierarchy, U"Geo");
    mGeo = b.At(mkCustomers).Child(kTIDAPresentationHierarchy, U"Geo");
    sCountry = Level(sGeo, U"Country", country);
    sRegion = Level(sGeo, U"Region", region);
    sCustomer = Level(sGeo, U"Customer", customer);
    mCustomer = Level(mGeo, U"Customer", customer);
    mCountry = Level(mGeo, U"Country", country);
    mOrphan = b.At(mGeo).Child(kTIDAPresentationLevel, U"Orphan");

    b.Relate(RpRel::kPreferredDrilldown, {country, customer});
    b.Relate(RpRel::kPreferredDrilldown, {country, household});
    b.Relate(RpRel::kPreferredDrilldown, {country, region});
    for (const VoidID& attr : {name, id, segment, city}) b.Relate(RpRel::kLevelAttributes, {customer, attr});
  }

  VoidID Column(const VoidID& table, const VXString& columnName, const VoidID& logical) {
    const VoidID c = b.At(table).Child(kTIDAFolderAttr, columnName);
    b.Relate(RpRel::kLogicalToPresentationColumn, {logical, c});
    return c;
  }
  VoidID Level(const VoidID& hierarchy, const VXString& levelName, const VoidID& logical) {
    const VoidID l = b.At(hierarchy).Child(kTIDAPresentationLevel, levelName);
    b.Relate(RpRel::kLogicalToPresentationLevel, {logical, l});
    return l;
  }
  Ref<ARpObject> Obj(const VoidID& v) { return rp.GetObject(v); }
  // A key of the logical table over the given attributes, in that order.
  Ref<AKey> Key(std::initializer_list<VoidID> attrs) {
    const VoidID k = b.At(Obj(id)->GetParentObject().GetID())
                         .Child(kTIDAKey, U"K" + VXString(1, static_cast<char32_t>(U'0' + keys++)));
    for (const VoidID& a : attrs) b.Relate(RpRel::kKeyColumn, {a, k});
    return Ref<AKey>(Obj(k));
  }
  VoidIDVector KeyColumns(const VoidID& preferredTable, const Ref<AKey>& key) {
    RpObjectVector out;
    MetadataUtil::GetFolderAttrsRelatedToLogicalKey(Ref<AFolder>(Obj(preferredTable)), key, out);
    return IDs(out);
  }
  VoidIDVector LevelAttributes(const VoidID& level) {
    RpObjectVector out;
    MetadataUtil::GetPresentationLevelAttributes(Ref<APresentationLevel>(Obj(level)), out);
    return IDs(out);
  }
  VoidIDVector DrillTo(const VoidID& level) {
    RpObjectVector out;
    MetadataUtil::GetDrillToLevelsByPreferredDrillPath(Ref<APresentationLevel>(Obj(level)), out);
    return IDs(out);
  }

  ARpGateway rp;
  RpBuilder b{rp};
  int keys = 0;
  VoidID id, name, city, segment, country, region, customer, household;
  VoidID salesArea, salesCustomers, salesExtra, mkCustomers, sName, sCity, sSegment, mName, mSegment, xName2, loose;
  VoidID sGeo, mGeo, sCountry, sRegion, sCustomer, mCustomer, mCountry, mOrphan;
};

struct FiveKinds {
  RpObjectVector v[5];
  void Sort(const Ref<ARpObject>& o) { MetadataUtil::SortPresentationObjects(o, v[0], v[1], v[2], v[3], v[4]); }
};

}  // namespace

TEST_F(SMUtilPresentation, SortsEachKindIntoItsVectorAndIgnoresTheRest) {
  const VoidID db = b.Add(kTIDADatabase, U"DB");
  const VoidID table = b.At(db).Child(kTIDATable, U"T");
  const VoidID schemaFolder = b.At(salesArea).Child(kTIDASchemaFolder, U"Folder");
  const VoidID project = b.Add(kTIDAProject, U"P");
  // {object, vector it goes to: 0 catalogs, 1 tables, 2 columns,
  // 3 hierarchies, 4 levels, -1 none}
  const struct {
    VoidID object;
    int kind;
  } cases[] = {
      {salesArea, 0}, {salesCustomers, 1}, {sCity, 2},
      {sGeo, 3},      {sRegion, 4},        {Obj(id)->GetParentObject().GetID(), -1},  // logical table
      {name, -1},     {country, -1},       {db, -1},
      {table, -1},    {project, -1},       {schemaFolder, -1},  // a presentation folder, but none of the five
      {mOrphan, 4},   {loose, 2},
  };
  for (const auto& c : cases) {
    FiveKinds k;
    k.Sort(Obj(c.object));
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(IDs(k.v[i]), c.kind == i ? VoidIDVector{c.object} : VoidIDVector{})
          << ToNarrow(c.object.ToString()) << " vector " << i;
    }
  }
  // Handles that name nothing.
  FiveKinds k;
  k.Sort(Ref<ARpObject>());
  k.Sort(Ref<ARpObject>(&rp, VoidID(kTIDAFolderAttr, 9999)));
  ASSERT_TRUE(rp.DeleteObject(mOrphan));
  k.Sort(Obj(mOrphan));
  for (const RpObjectVector& v : k.v) EXPECT_TRUE(v.empty());
}

TEST_F(SMUtilPresentation, SortingAppendsInInputOrder) {
  FiveKinds k;
  k.v[2].push_back(Obj(name));  // held before the call: stays in front
  for (const VoidID& o : {sSegment, salesCustomers, sName, mkCustomers, sCity}) k.Sort(Obj(o));
  EXPECT_EQ(IDs(k.v[2]), (VoidIDVector{name, sSegment, sName, sCity}));
  EXPECT_EQ(IDs(k.v[1]), (VoidIDVector{salesCustomers, mkCustomers}));
}

TEST_F(SMUtilPresentation, ProjectSplitsIncludedAndExcludedObjects) {
  const VoidID p = b.Add(kTIDAProject, U"Reports");
  for (const VoidID& o : {sCountry, salesArea, name, sCity, mkCustomers, sName, sGeo, salesCustomers}) {
    b.Relate(RpRel::kProjectIncluded, {p, o});
  }
  for (const VoidID& o : {mName, country, mGeo}) b.Relate(RpRel::kProjectExcluded, {p, o});
  const Ref<AProject> project(Obj(p));

  FiveKinds in;
  in.v[0].push_back(Obj(mkCustomers));  // prior contents stay in front
  MetadataUtil::SplitProjectIncludedPresentationObjects(project, in.v[0], in.v[1], in.v[2], in.v[3], in.v[4]);
  EXPECT_EQ(IDs(in.v[0]), (VoidIDVector{mkCustomers, salesArea}));
  EXPECT_EQ(IDs(in.v[1]), (VoidIDVector{mkCustomers, salesCustomers}));
  EXPECT_EQ(IDs(in.v[2]), (VoidIDVector{sCity, sName}));
  EXPECT_EQ(IDs(in.v[3]), (VoidIDVector{sGeo}));
  EXPECT_EQ(IDs(in.v[4]), (VoidIDVector{sCountry}));

  FiveKinds out;
  MetadataUtil::SplitProjectExcludedPresentationObjects(project, out.v[0], out.v[1], out.v[2], out.v[3], out.v[4]);
  EXPECT_EQ(IDs(out.v[2]), (VoidIDVector{mName}));
  EXPECT_EQ(IDs(out.v[3]), (VoidIDVector{mGeo}));
  for (int i : {0, 1, 4}) EXPECT_TRUE(out.v[i].empty()) << i;

  // A project with nothing, and no project.
  FiveKinds none;
  const Ref<AProject> empty(Obj(b.Add(kTIDAProject, U"Empty")));
  MetadataUtil::SplitProjectIncludedPresentationObjects(empty, none.v[0], none.v[1], none.v[2], none.v[3], none.v[4]);
  MetadataUtil::SplitProjectExcludedPresentationObjects(Ref<AProject>(), none.v[0], none.v[1], none.v[2], none.v[3],
                                                        none.v[4]);
  MetadataUtil::SplitProjectIncludedPresentationObjects(Ref<AProject>(Obj(salesArea)), none.v[0], none.v[1], none.v[2],
                                                        none.v[3], none.v[4]);
  for (const RpObjectVector& v : none.v) EXPECT_TRUE(v.empty());
}

TEST_F(SMUtilPresentation, SelfAndSiblingsInFolderOrder) {
  RpObjectVector out{Obj(name)};
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(Obj(sCity)), out);
  // The hierarchy in the same table is not a column.
  EXPECT_EQ(IDs(out), (VoidIDVector{name, sName, sCity, sSegment}));
  // After the folder's order changes.
  ASSERT_TRUE(rp.MoveChild(sSegment, -2));
  out.clear();
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(Obj(sName)), out);
  EXPECT_EQ(IDs(out), (VoidIDVector{sSegment, sName, sCity}));
  // An only child; a column without a folder; no column.
  out.clear();
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(Obj(xName2)), out);
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(Obj(loose)), out);
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(), out);
  MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(Obj(salesCustomers)), out);
  EXPECT_EQ(IDs(out), (VoidIDVector{xName2, loose}));
}

TEST_F(SMUtilPresentation, KeyColumnsPreferTheGivenTable) {
  const Ref<AKey> key = Key({segment, id, name, city});
  const struct {
    const char* what;
    VoidID preferred;
    VoidIDVector expected;
  } cases[] = {
      // Second and second in the preferred table: only those; Id has no
      // presentation column; City's only one is outside it.
      {"Mk", mkCustomers, {mSegment, mName, sCity}},
      {"Sales", salesCustomers, {sSegment, sName, sCity}},
      // Name's third is in Extra; nothing else is, so the first ones.
      {"Extra", salesExtra, {sSegment, xName2, sCity}},
      // No preferred table matches the column without a folder.
      {"null", VoidID::NullID, {loose, sName, sCity}},
      // A preferred "table" that holds none of them.
      {"area", salesArea, {sSegment, sName, sCity}},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyColumns(c.preferred, key), c.expected) << c.what;

  // Keys without attributes, without presentation columns, and no key.
  EXPECT_EQ(KeyColumns(mkCustomers, Key({})), VoidIDVector{});
  EXPECT_EQ(KeyColumns(mkCustomers, Key({id})), VoidIDVector{});
  EXPECT_EQ(KeyColumns(mkCustomers, Ref<AKey>()), VoidIDVector{});

  // Appends after what the vector held.
  RpObjectVector out{Obj(country)};
  MetadataUtil::GetFolderAttrsRelatedToLogicalKey(Ref<AFolder>(Obj(mkCustomers)), Key({name}), out);
  EXPECT_EQ(IDs(out), (VoidIDVector{country, mName}));
}

TEST_F(SMUtilPresentation, KeyColumnsFollowTheLogicalColumnsOrder) {
  const Ref<AKey> key = Key({name});
  // Extra's column moved to the front of Name's presentation columns: with
  // no column in the preferred table the first is now Extra's.
  ASSERT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kLogicalToPresentationColumn, {Obj(name), Obj(xName2)}));
  ASSERT_TRUE(ARelation::MoveUpInSortedRelationship(RpRel::kLogicalToPresentationColumn, {Obj(name), Obj(xName2)}));
  EXPECT_EQ(KeyColumns(salesArea, key), (VoidIDVector{xName2}));
  EXPECT_EQ(KeyColumns(salesCustomers, key), (VoidIDVector{sName}));
  // Deleting the preferred table's column falls back to the first.
  ASSERT_TRUE(rp.DeleteObject(sName));
  EXPECT_EQ(KeyColumns(salesCustomers, key), (VoidIDVector{xName2}));
}

TEST_F(SMUtilPresentation, LevelAttributesPreferTheHierarchysTable) {
  // Customer's attributes Name, Id, Segment, City in the level's order.
  EXPECT_EQ(LevelAttributes(mCustomer), (VoidIDVector{mName, mSegment, sCity}));
  EXPECT_EQ(LevelAttributes(sCustomer), (VoidIDVector{sName, sSegment, sCity}));
  // Levels without attributes, without a logical level, and no level.
  EXPECT_EQ(LevelAttributes(sCountry), VoidIDVector{});
  EXPECT_EQ(LevelAttributes(mOrphan), VoidIDVector{});
  EXPECT_EQ(LevelAttributes(VoidID::NullID), VoidIDVector{});
  RpObjectVector out{Obj(city)};
  MetadataUtil::GetPresentationLevelAttributes(Ref<APresentationLevel>(Obj(mCustomer)), out);
  EXPECT_EQ(IDs(out), (VoidIDVector{city, mName, mSegment, sCity}));
}

TEST_F(SMUtilPresentation, DrillToLevelsFollowThePreferredDrillPath) {
  // Country drills to Customer, Household, Region. From Mk's hierarchy:
  // Customer's second presentation level is Mk's; Household has none;
  // Region is shown only in Sales.
  EXPECT_EQ(DrillTo(mCountry), (VoidIDVector{mCustomer, sRegion}));
  EXPECT_EQ(DrillTo(sCountry), (VoidIDVector{sCustomer, sRegion}));
  // No preferred drill-down; no logical level; no level.
  EXPECT_EQ(DrillTo(sCustomer), VoidIDVector{});
  EXPECT_EQ(DrillTo(mOrphan), VoidIDVector{});
  EXPECT_EQ(DrillTo(VoidID::NullID), VoidIDVector{});
  // Appends after what the vector held.
  RpObjectVector out{Obj(sGeo)};
  MetadataUtil::GetDrillToLevelsByPreferredDrillPath(Ref<APresentationLevel>(Obj(mCountry)), out);
  EXPECT_EQ(IDs(out), (VoidIDVector{sGeo, mCustomer, sRegion}));
}

TEST_F(SMUtilPresentation, DrillToLevelsWithoutAHierarchy) {
  // A level whose hierarchy is gone has no preferred table: the first
  // presentation level of each target is taken.
  const VoidID detached = b.Add(kTIDAPresentationLevel, U"Detached");
  b.Relate(RpRel::kLogicalToPresentationLevel, {country, detached});
  ASSERT_TRUE(
      ARelation::MoveUpInSortedRelationship(RpRel::kLogicalToPresentationLevel, {Obj(customer), Obj(mCustomer)}));
  EXPECT_EQ(DrillTo(detached), (VoidIDVector{mCustomer, sRegion}));
  // Once Household is shown by a level outside any hierarchy, that level
  // is in the same (no) table and wins.
  const VoidID loneHousehold = b.Add(kTIDAPresentationLevel, U"Household");
  const VoidID inSales = Level(sGeo, U"Household", household);
  b.Relate(RpRel::kLogicalToPresentationLevel, {household, loneHousehold});
  EXPECT_EQ(DrillTo(detached), (VoidIDVector{mCustomer, loneHousehold, sRegion}));
  EXPECT_EQ(DrillTo(mCountry), (VoidIDVector{mCustomer, inSales, sRegion}));
}
