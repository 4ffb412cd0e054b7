// Moving objects under new parents, row by row of the move table: the
// accepted parents (and what GetParent answers afterwards), the refused
// ones, the types that have no parent, and the moves that change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Metadata/SMUtil.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"
#include "objectmodel/ObjectParent.h"

namespace {

constexpr const char* kSMUtilSource = "server/Metadata/Src/SMUtil.cpp";

// One object of (nearly) every type, each with a second candidate parent.
class SMUtilSetParent : public ::testing::Test {
 protected:
  void SetUp() override {
    Add(kTIDASubjectArea, {{"sa1", ""}, {"sa2", ""}});
    Add("e1", kTIDAEntity, "sa1");
    Add(kTIDALogicalTable, {{"lt1", "sa1"}, {"lt2", "sa2"}});
    Add(kTIDADimension, {{"d1", "sa1"}, {"d2", "sa2"}});
    Add("ldf", kTIDALogicalDisplayFolder, "sa1");
    Add(kTIDARelationship, {{"rel1", "sa1"}, {"rel2", "sa2"}});
    Add("l2l", kTIDALevelToLevel, "d1");
    Add("role", kTIDARole, "rel1");
    Add(kTIDAAttribute, {{"attr", "lt1"}, {"attr2", "lt1"}});
    Add("key", kTIDAKey, "lt1");
    Add("lfk", kTIDALogicalForeignKey, "lt1");
    Add("lts", kTIDALogicalTableSource, "lt1");
    Add("lsf", kTIDALogicalSourceFolder, "lt2");
    Add(kTIDAMeasureDefn, {{"md", "attr"}, {"md2", "attr2"}});
    Add("ar", kTIDAAggrRule, "md");
    Add("oar", kTIDAOverrideAggrRule, "md");
    Add(kTIDALevel, {{"lv1", "d1"}, {"lv2", "lv1"}, {"lv3", "d2"}});
    Add("rsn", kTIDARelativeSequenceNumber, "lv1");

    Add(kTIDADatabase, {{"db1", ""}, {"db2", ""}});
    Add(kTIDACatalog, {{"cat1", "db1"}, {"cat2", "db2"}});
    Add("sch1", kTIDASchema, "cat1");
    Add(kTIDATable, {{"t1", "sch1"}, {"t2", "db2"}});
    Add("col", kTIDAColumn, "t1");
    Add("fk", kTIDAForeignKey, "t1");
    Add("tk", kTIDATableKey, "t1");
    Add("cj", kTIDAComplexJoin);
    Add("cp", kTIDAConnectionPool, "db1");
    Add(kTIDAInitBlock, {{"ib1", ""}, {"ib2", ""}});
    Add("var", kTIDARpVariable, "ib1");
    Add("pdf", kTIDAPhysicalDisplayFolder, "db1");
    Add(kTIDACubeTable, {{"ctab1", "db1"}, {"ctab2", "db2"}});
    Add("ccol", kTIDACubeColumn, "ctab1");
    Add(kTIDAHierarchy, {{"h1", "ctab1"}, {"h2", "ctab2"}});
    Add(kTIDAPhysicalLevel, {{"pl1", "h1"}, {"pl2", "h1"}, {"pl3", "h2"}, {"pl4", "h2"}});
    Add(kTIDAPhysicalDimension, {{"pd1", "ctab1"}, {"pd2", "ctab2"}});
    Add(kTIDAAnalyticWorkspace, {{"aw1", "cat1"}, {"aw2", "cat2"}});
    Add(kTIDAAWDimension, {{"awd1", "aw1"}, {"awd2", "aw2"}});
    Add("awc", kTIDAAWCube, "aw1");
    Add(kTIDAAWHierarchy, {{"awh1", "awd1"}, {"awh2", "awd2"}});
    Add(kTIDAAWLevel, {{"awl1", "awh1"}, {"awl2", "awh2"}});
    Add("awcol", kTIDAAWColumn, "awd1");
    Add("adefn", kTIDAAttributeDefn);
    Add("edefn", kTIDAEntityDefn);
    Add("rdefn", kTIDARelationshipDefn);

    Add(kTIDACatalogFolder, {{"cf1", ""}, {"cf2", ""}});
    Add("sf", kTIDASchemaFolder, "cf1");
    Add(kTIDAEntityFolder, {{"ef1", "cf1"}, {"ef2", "cf2"}});
    Add(kTIDAFolder, {{"f1", "ef1"}, {"f2", "ef2"}});
    Add("ea", kTIDAEntityAttr, "ef1");
    Add("fa", kTIDAFolderAttr, "ef1");
    Add(kTIDAPresentationHierarchy, {{"ph1", "ef1"}, {"ph2", "ef2"}});
    Add("plv", kTIDAPresentationLevel, "ph1");
    Add("link", kTIDAMktg_CatalogLink);
    Add(kTIDAMktg_CustomerType, {{"ct1", ""}, {"ct2", ""}});
    Add("list", kTIDAMktg_ListCatalog);
    Add(kTIDAMktg_QualifiedItem, {{"qi1", ""}, {"qi2", ""}});
    Add("qk", kTIDAMktg_QualifyingKey, "qi1");
    Add("st", kTIDAMktg_SamplingTable, "ct1");
    Add("sc", kTIDAMktg_SegmentationCatalog, "ct1");
    Add("proj", kTIDAProject);
    Add("ldap", kTIDALdapServer);
    Add("user", kTIDAUser);
    Add(kTIDASecurityRole, {{"role1", ""}, {"role2", ""}});
  }

  void Add(const std::string& name, TypeID type, const std::string& parent = "") {
    const VoidID parentID = parent.empty() ? VoidID::NullID : ids.at(parent);
    ids[name] = rp.CreateObject(type, ToVXString(name), parentID).GetID();
  }
  // Objects of one type, each {name, parent name or ""}.
  void Add(TypeID type, std::initializer_list<std::pair<const char*, const char*>> objects) {
    for (const auto& [name, parent] : objects) Add(name, type, parent);
  }
  Ref<ARpObject> O(const std::string& name) { return rp.GetObject(ids.at(name)); }
  static bool Lists(const Ref<ARpObject>& parent, const Ref<ARpObject>& obj) {
    for (ARpObject* c : parent->GetChildPointers()) {
      if (c->GetID() == obj.GetID()) return true;
    }
    return false;
  }
  static VoidIDVector IDsOf(VoidRelIter it) { return it.GetIDs(); }
  static bool Has(const VoidRelIter& it, const Ref<ARpObject>& obj) {
    const VoidIDVector& v = it.GetIDs();
    return std::find(v.begin(), v.end(), obj.GetID()) != v.end();
  }
  VoidIDVector Levels(const std::string& hierarchy) {
    return IDsOf(Ref<AHierarchy>(O(hierarchy))->GetPhysicalLevels());
  }
  VoidIDVector IDs(std::initializer_list<const char*> names) {
    VoidIDVector v;
    for (const char* n : names) v.push_back(ids.at(n));
    return v;
  }

  ARpGateway rp;
  std::map<std::string, VoidID> ids;
};

struct MoveCase {
  const char* obj;
  const char* newParent;
  const char* parentAfter;  // what GetParent answers afterwards
};

// Rows whose move is a containment link: the object ends under parentAfter
// (the new parent itself, or the object it stands for), and its old parent
// no longer lists it.
TEST_F(SMUtilSetParent, AcceptedParentsBecomeTheParent) {
  const MoveCase cases[] = {
      {"e1", "sa2", "sa2"},       {"lt1", "sa2", "sa2"},
      {"d1", "sa2", "sa2"},       {"ldf", "sa2", "sa2"},
      {"role", "rel2", "rel2"},   {"role", "l2l", "l2l"},
      {"attr2", "lt2", "lt2"},    {"key", "e1", "e1"},
      {"key", "lv3", "lv3"},      {"key", "lt2", "lt2"},
      {"lfk", "lt2", "lt2"},      {"lts", "lt2", "lt2"},
      {"lts", "lsf", "lt2"},  // a source folder stands for its logical table
      {"lsf", "lt1", "lt1"},      {"md", "attr2", "attr2"},
      {"ar", "md2", "md2"},       {"oar", "md2", "md2"},
      {"rsn", "lv3", "lv3"},      {"lv2", "d2", "d2"},
      {"lv2", "lv3", "lv3"},      {"lv2", "sa2", "sa2"},
      {"t1", "db2", "db2"},       {"t1", "cat2", "cat2"},
      {"t1", "cat1", "cat1"},     {"ctab1", "sch1", "sch1"},
      {"col", "t2", "t2"},        {"col", "ctab2", "ctab2"},
      {"col", "pd2", "ctab2"},  // a physical dimension stands for its cube table
      {"col", "h2", "ctab2"},   // so does a hierarchy
      {"ccol", "ctab2", "ctab2"}, {"ccol", "pd2", "ctab2"},
      {"ccol", "h2", "ctab2"},    {"fk", "t2", "t2"},
      {"fk", "ctab2", "ctab2"},   {"tk", "ctab1", "ctab1"},
      {"cat1", "db2", "db2"},     {"sch1", "db2", "db2"},
      {"sch1", "cat2", "cat2"},   {"cp", "db2", "db2"},
      {"var", "ib2", "ib2"},      {"pdf", "db2", "db2"},
      {"h1", "ctab2", "ctab2"},   {"h1", "pd2", "ctab2"},
      {"pl1", "h2", "h2"},        {"pl1", "pl3", "h2"},  // a level goes to its parent level's hierarchy
      {"aw1", "cat2", "cat2"},    {"awd1", "aw2", "aw2"},
      {"awc", "aw2", "aw2"},      {"awh1", "awd2", "awd2"},
      {"awl1", "awh2", "awh2"},   {"awcol", "awc", "awc"},
      {"awcol", "awd2", "awd2"},  {"awcol", "awh2", "awd2"},  // an AW hierarchy stands for its AW dimension
      {"awcol", "awl2", "awd2"},                              // and an AW level for its hierarchy's
      {"pd1", "ctab2", "ctab2"},  {"f1", "f2", "f2"},
      {"f1", "cf2", "cf2"},       {"f1", "sf", "sf"},
      {"f1", "ef2", "ef2"},       {"ea", "f2", "f2"},
      {"ea", "cf2", "cf2"},       {"ea", "sf", "sf"},
      {"ea", "ef2", "ef2"},       {"sf", "cf2", "cf2"},
      {"ef1", "sf", "sf"},        {"ef1", "cf2", "cf2"},
      {"fa", "ef2", "ef2"},       {"ph1", "ef2", "ef2"},
      {"plv", "ph2", "ph2"},      {"qk", "qi2", "qi2"},
      {"st", "ct2", "ct2"},       {"sc", "ct2", "ct2"},
  };
  for (const MoveCase& c : cases) {
    SetUp();  // a fresh repository for every row
    SCOPED_TRACE(std::string(c.obj) + " -> " + c.newParent);
    const Ref<ARpObject> obj = O(c.obj);
    const Ref<ARpObject> oldParent = MetadataUtil::GetParent(obj);
    ASSERT_NO_THROW(MetadataUtil::SetParent(obj, O(c.newParent)));
    EXPECT_EQ(MetadataUtil::GetParent(obj), O(c.parentAfter));
    EXPECT_TRUE(Lists(O(c.parentAfter), obj));
    if (!oldParent.IsNull() && !(oldParent == O(c.parentAfter))) {
      EXPECT_FALSE(Lists(oldParent, obj));
    }
  }
}

// Rows whose move is a relation: the object stays where it was and the new
// parent relates it.
TEST_F(SMUtilSetParent, RelationRowsRelateTheObject) {
  MetadataUtil::SetParent(O("user"), O("role1"));
  EXPECT_TRUE(Has(Ref<ASecurityRole>(O("role1"))->GetUsers(), O("user")));
  MetadataUtil::SetParent(O("role1"), O("role2"));
  EXPECT_TRUE(Has(Ref<ASecurityRole>(O("role2"))->GetChildSecurityRoles(), O("role1")));
  EXPECT_TRUE(Has(Ref<ASecurityRole>(O("role1"))->GetParentSecurityRoles(), O("role2")));

  MetadataUtil::SetParent(O("fa"), O("plv"));
  EXPECT_EQ(MetadataUtil::GetParent(O("fa")), O("ef1"));
  EXPECT_TRUE(Has(Ref<AFolder>(O("plv"))->GetFolderAttrs(), O("fa")));

  MetadataUtil::SetParent(O("h1"), O("pd2"));
  EXPECT_TRUE(Has(Ref<APhysicalDimension>(O("pd2"))->GetHierarchies(), O("h1")));
  MetadataUtil::SetParent(O("ccol"), O("pd2"));
  EXPECT_TRUE(Has(Ref<APhysicalDimension>(O("pd2"))->GetCubeColumns(), O("ccol")));
  MetadataUtil::SetParent(O("awcol"), O("awl2"));
  EXPECT_EQ(IDsOf(Ref<AAWColumn>(O("awcol"))->GetAWLinks()), IDs({"awl2"}));
}

TEST_F(SMUtilSetParent, LinksToTheFormerContainerGo) {
  // A hierarchy and a cube column that leave their cube table leave its
  // dimensions; an AW column leaves the hierarchies of its former dimension.
  MetadataUtil::SetParent(O("h1"), O("pd1"));
  MetadataUtil::SetParent(O("ccol"), O("pd1"));
  MetadataUtil::SetParent(O("awcol"), O("awh1"));
  MetadataUtil::SetParent(O("h1"), O("ctab2"));
  MetadataUtil::SetParent(O("ccol"), O("h2"));
  MetadataUtil::SetParent(O("awcol"), O("awd2"));
  EXPECT_TRUE(IDsOf(Ref<APhysicalDimension>(O("pd1"))->GetHierarchies()).empty());
  EXPECT_TRUE(IDsOf(Ref<APhysicalDimension>(O("pd1"))->GetCubeColumns()).empty());
  EXPECT_TRUE(IDsOf(Ref<AAWColumn>(O("awcol"))->GetAWLinks()).empty());
  // A physical dimension that changes cube tables keeps none of the old
  // table's hierarchies or columns.
  Add("ccol2", kTIDACubeColumn, "ctab1");
  MetadataUtil::SetParent(O("h2"), O("pd1"));  // h2 moves to ctab1 as well
  MetadataUtil::SetParent(O("ccol2"), O("pd1"));
  MetadataUtil::SetParent(O("pd1"), O("ctab2"));
  EXPECT_TRUE(IDsOf(Ref<APhysicalDimension>(O("pd1"))->GetHierarchies()).empty());
  EXPECT_TRUE(IDsOf(Ref<APhysicalDimension>(O("pd1"))->GetCubeColumns()).empty());
}

// Forbidden parents, and types that have no parent at all: a logic error
// from the library's source, and the object stays where it was. The last
// row puts objects under themselves where their own type is an allowed parent.
TEST_F(SMUtilSetParent, RefusedParentsAreLogicErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"role1", "cf1"}, {"sa1", "sa2"},   {"e1", "db1"},      {"lt1", "cf1"},   {"d1", "lt1"},     {"ldf", "db1"},
      {"rel1", "sa2"},  {"l2l", "d2"},    {"role", "sa1"},    {"attr", "e1"},   {"attr", "lt1x"},  {"key", "sa1"},
      {"lfk", "e1"},    {"lts", "lv1"},   {"lsf", "lsf"},     {"md", "lt1"},    {"ar", "attr"},    {"oar", "attr"},
      {"rsn", "d1"},    {"lv1", "lt1"},   {"lv1", "db1"},     {"t1", "t2"},     {"t1", "sa1"},     {"ctab1", "ctab2"},
      {"col", "sch1"},  {"col", "awd1"},  {"ccol", "t2"},     {"fk", "sch1"},   {"tk", "db1"},     {"cj", "db1"},
      {"db1", "db2"},   {"ib1", "ib2"},   {"proj", "cf1"},    {"cat1", "cat2"}, {"sch1", "sch1x"}, {"cp", "cat1"},
      {"var", "db1"},   {"pdf", "cat1"},  {"h1", "db1"},      {"pl1", "ctab1"}, {"aw1", "db1"},    {"awd1", "cat1"},
      {"awc", "awd1"},  {"awh1", "aw1"},  {"awl1", "awd1"},   {"awcol", "t1"},  {"pd1", "t1"},     {"adefn", "sa1"},
      {"edefn", "sa1"}, {"rdefn", "sa1"}, {"f1", "ph1"},      {"ea", "db1"},    {"cf1", "cf2"},    {"link", "cf1"},
      {"ct1", "ct2"},   {"list", "cf1"},  {"qi1", "qi2"},     {"sf", "ef1"},    {"ef1", "ef2"},    {"fa", "ph1"},
      {"ph1", "cf1"},   {"plv", "ef1"},   {"qk", "ct1"},      {"st", "qi1"},    {"sc", "qi1"},     {"ldap", "db1"},
      {"lv1", "lv1"},   {"f1", "f1"},     {"role1", "role1"}, {"pl1", "pl1"},
  };
  // Parents of a forbidden type that the repository has only once.
  Add("lt1x", kTIDALogicalSourceFolder, "lt1");
  Add("sch1x", kTIDATable, "db1");
  for (const auto& [objName, parentName] : cases) {
    SCOPED_TRACE(std::string(objName) + " -> " + parentName);
    const Ref<ARpObject> obj = O(objName);
    const Ref<ARpObject> before = MetadataUtil::GetParent(obj);
    const auto e = testutil::Caught<VXAssertException>([&] { MetadataUtil::SetParent(obj, O(parentName)); });
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->IsLogicError());
    EXPECT_EQ(e->GetFile(), kSMUtilSource);
    EXPECT_GT(e->GetLine(), 0);
    EXPECT_EQ(MetadataUtil::GetParent(obj), before);
  }
}

TEST_F(SMUtilSetParent, UserUnderAnotherTypeStaysSilently) {
  for (const char* parent : {"ef1", "cf1", "db1", "user"}) {
    EXPECT_NO_THROW(MetadataUtil::SetParent(O("user"), O(parent))) << parent;
  }
  EXPECT_TRUE(IDsOf(Ref<AUser>(O("user"))->GetSecurityRoles()).empty());
  EXPECT_TRUE(MetadataUtil::GetParent(O("user")).IsNull());
}

TEST_F(SMUtilSetParent, NullOrCurrentParentChangesNothing) {
  // Every containment row, given its current parent or nothing: the
  // repository's naming revision (moved on by every real move) stays.
  for (const char* name : {"e1", "lt1", "role", "attr", "key", "lts", "lv2", "t1", "col", "ccol", "h1", "pl2", "awcol",
                           "f1", "fa", "plv", "var"}) {
    const Ref<ARpObject> obj = O(name);
    const Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
    const std::uint64_t revision = rp.GetNamingRevision();
    MetadataUtil::SetParent(obj, parent);
    MetadataUtil::SetParent(obj, Ref<ARpObject>());
    MetadataUtil::SetParent(obj, Ref<ARpObject>(&rp, VoidID(kTIDATable, 999999)));
    EXPECT_EQ(rp.GetNamingRevision(), revision) << name;
    EXPECT_EQ(MetadataUtil::GetParent(obj), parent) << name;
  }
  // A second level given its hierarchy again is not moved to the top, and an
  // attribute given its table again keeps its keys.
  const VoidIDVector order = Levels("h1");
  MetadataUtil::SetParent(O("pl2"), O("h1"));
  EXPECT_EQ(Levels("h1"), order);
  Ref<AKey>(O("key"))->AddAttribute(Ref<AAttribute>(O("attr")));
  MetadataUtil::SetParent(O("attr"), O("lt1"));
  EXPECT_FALSE(O("key").IsNull());
}

TEST_F(SMUtilSetParent, LogicalTableMovesWithOneParentChange) {
  const std::uint64_t revision = rp.GetNamingRevision();
  MetadataUtil::SetParent(O("lt1"), O("sa2"));
  EXPECT_EQ(rp.GetNamingRevision(), revision + 1);
  EXPECT_EQ(Ref<ALogicalTable>(O("lt1"))->GetSubjectArea(), O("sa2"));
}

TEST_F(SMUtilSetParent, AttributeLeavesWithoutItsKeys) {
  Add("attr3", kTIDAAttribute, "lt1");
  Add("key2", kTIDAKey, "lt1");
  Ref<AKey>(O("key"))->AddAttribute(Ref<AAttribute>(O("attr")));
  Ref<AKey>(O("key"))->AddAttribute(Ref<AAttribute>(O("attr3")));
  Ref<AKey>(O("key2"))->AddAttribute(Ref<AAttribute>(O("attr3")));
  const VoidID keyID = ids.at("key");
  MetadataUtil::SetParent(O("attr"), O("lt2"));
  // The key that held the attribute is gone from the repository; the other
  // key, and the other column, stay in the old table.
  EXPECT_TRUE(rp.GetObject(keyID).IsNull());
  EXPECT_FALSE(O("key2").IsNull());
  EXPECT_EQ(IDsOf(Ref<AAttribute>(O("attr3"))->GetKeys()), IDs({"key2"}));
  EXPECT_EQ(MetadataUtil::GetParent(O("attr3")), O("lt1"));
  EXPECT_EQ(MetadataUtil::GetParent(O("attr")), O("lt2"));
  EXPECT_TRUE(IDsOf(Ref<AAttribute>(O("attr"))->GetKeys()).empty());
}

TEST_F(SMUtilSetParent, PhysicalLevelToHierarchyBecomesTopLevel) {
  // h2: pl3, pl4. pl2 of h1 given h2 goes first.
  MetadataUtil::SetParent(O("pl2"), O("h2"));
  EXPECT_EQ(Levels("h2"), IDs({"pl2", "pl3", "pl4"}));
  EXPECT_EQ(Levels("h1"), IDs({"pl1"}));
}

TEST_F(SMUtilSetParent, PhysicalLevelToLevelGoesDirectlyBelowIt) {
  // From another hierarchy: into the parent level's hierarchy, below it.
  MetadataUtil::SetParent(O("pl1"), O("pl3"));
  EXPECT_EQ(Levels("h2"), IDs({"pl3", "pl1", "pl4"}));
  EXPECT_EQ(Levels("h1"), IDs({"pl2"}));
  // Within the hierarchy, from above the parent level and from below it.
  MetadataUtil::SetParent(O("pl3"), O("pl4"));
  EXPECT_EQ(Levels("h2"), IDs({"pl1", "pl4", "pl3"}));
  MetadataUtil::SetParent(O("pl3"), O("pl1"));
  EXPECT_EQ(Levels("h2"), IDs({"pl1", "pl3", "pl4"}));
  // Already directly below: unchanged.
  MetadataUtil::SetParent(O("pl3"), O("pl1"));
  EXPECT_EQ(Levels("h2"), IDs({"pl1", "pl3", "pl4"}));
}

TEST_F(SMUtilSetParent, NewParentTypesComeFromTheMoveRules) {
  std::vector<TypeID> types;
  MetadataUtil::GetNewParentTypes(kTIDAPhysicalLevel, types);
  EXPECT_EQ(types, (std::vector<TypeID>{kTIDAHierarchy, kTIDAPhysicalLevel}));
  types.clear();
  MetadataUtil::GetNewParentTypes(kTIDADatabase, types);
  EXPECT_TRUE(types.empty());
  MetadataUtil::GetNewParentTypes(kTIDAUser, types);
  EXPECT_EQ(types, (std::vector<TypeID>{kTIDASecurityRole}));
}

}  // namespace
