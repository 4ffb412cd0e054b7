// The type catalogue: names of the interface types, hidden types, parent rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "Metadata/SMUtil.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/TypeIDs.h"

TEST(SMUtilTypes, ToTypeNameTable) {
  const std::pair<TypeID, const char32_t*> cases[] = {
      {kTIDAEntity, U"ENTITY"},
      {kTIDAMeasureDefn, U"AGGREGATE MEASURE"},
      {kTIDALogicalTableSource, U"LOGICAL TABLE SOURCE"},
      {kTIDASessionVariableBlock, U"SESSION VARIABLE BLOCK"},
      {kTIDAInitBlock, U"SESSION VARIABLE BLOCK"},
      {kTIDAColumn, U"COLUMN"},
      {kTIDAComplexJoin, U"JOIN"},
      {kTIDAKey, U"LOGICAL KEY"},
      {kTIDARelationship, U"ROLE RELATIONSHIP"},
      {kTIDASubjectArea, U"SUBJECT AREA"},
      {kTIDAAttributeDefn, U"ATTRIBUTE MAP"},
      {kTIDAEntityAttr, U"ATTRIBUTED ENTITY"},
      {kTIDAMktg_CatalogLink, U"CATALOG LINK"},
      {kTIDAObjectPrivilege, U"OBJECT PRIVILEGE"},
      {kTIDAUser, U"USER"},
      {kTIDAQueryObject, U"QUERY OBJECT"},
      {kTIDARpVariable, U"RP VARIABLE"},
  };
  for (const auto& [type, name] : cases) EXPECT_EQ(MetadataUtil::ToTypeName(type), name) << type;
}

TEST(SMUtilTypes, ToTypeNameOfUnknownIdIsLogicError) {
  // 2003 is an implementation class id: never on a VoidID, never in the table.
  for (TypeID type : std::vector<TypeID>{2003, 0, -1, kTIDARpObject, kTIDAPhysicalDimension, kEndLogicalTypes}) {
    const auto e = testutil::Caught<VXAssertException>([&] { MetadataUtil::ToTypeName(type); });
    ASSERT_TRUE(e) << type;
    EXPECT_TRUE(e->IsLogicError());
    EXPECT_EQ(e->GetFile(), "server/Metadata/Src/SMUtil.cpp");
    EXPECT_EQ(e->GetLine(), 2015);
    EXPECT_EQ(e->GetCondition(), "");
  }
}

TEST(SMUtilTypes, EveryNamedTypeHasAnUpperCaseName) {
  // Every type id in the layer ranges either has a name or is a logic error;
  // no name is empty or lower case, and no two types share one except the
  // session-variable block and init block, which are one number.
  std::vector<VXString> seen;
  for (TypeID type = 1000; type <= 4300; ++type) {
    VXString name;
    try {
      name = MetadataUtil::ToTypeName(type);
    } catch (const VXAssertException&) {
      continue;
    }
    EXPECT_FALSE(name.empty()) << type;
    EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](char32_t c) { return c >= U'a' && c <= U'z'; })) << type;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), name), 0) << ToNarrow(name);
    seen.push_back(name);
  }
}

TEST(SMUtilTypes, MustHaveParent) {
  // The model lets a repository variable live in a block, yet it may stand alone.
  ASSERT_TRUE(CanHaveParent(kTIDARpVariable));
  EXPECT_FALSE(MetadataUtil::MustHaveParent(kTIDARpVariable));
  EXPECT_TRUE(MetadataUtil::MustHaveParent(kTIDAColumn));
  EXPECT_TRUE(MetadataUtil::MustHaveParent(kTIDAFolderAttr));
  EXPECT_FALSE(MetadataUtil::MustHaveParent(kTIDADatabase));
  EXPECT_FALSE(MetadataUtil::MustHaveParent(kTIDACatalogFolder));
  EXPECT_FALSE(MetadataUtil::MustHaveParent(2003));
}

// The model's own parent types first, then the library's nesting rule
// appended without a test for duplicates; the caller's entries stay in front.
TEST(SMUtilTypes, GetParentTypesAddsNestingAfterTheModel) {
  struct Case {
    TypeID type;
    std::vector<TypeID> expected;
  } cases[] = {
      {kTIDAPresentationLevel, {-5, kTIDAPresentationHierarchy, kTIDAPresentationHierarchy}},
      {kTIDAPresentationHierarchy, {-5, kTIDAEntityFolder, kTIDAEntityFolder}},
      {kTIDALevel, {-5, kTIDADimension, kTIDALevel, kTIDASubjectArea, kTIDALevel}},
      {kTIDAPhysicalLevel, {-5, kTIDAHierarchy, kTIDAPhysicalLevel}},
      {kTIDAColumn, {-5, kTIDATable, kTIDACubeTable}},
      {kTIDADatabase, {-5}},
  };
  for (const Case& c : cases) {
    std::vector<TypeID> types{-5};  // appended to, not replaced
    MetadataUtil::GetParentTypes(c.type, types);
    EXPECT_EQ(types, c.expected) << c.type;
  }
}

TEST(SMUtilTypes, InternalTypesAreNotDisplayedAndOnlyPrivilegesAmongThemCompare) {
  struct Row {
    TypeID type;
    bool displayed;
    bool compared;
  };
  const Row rows[] = {
      {kTIDATable, true, true},          {kTIDACatalogFolder, true, true},      {kTIDARpVariable, true, true},
      {kTIDAMeasureDefn, false, false},  {kTIDAEntityDefn, false, false},       {kTIDAInstance, false, false},
      {kTIDAMember, false, false},       {kTIDAPrivilegePackage, false, false}, {kTIDAObjectPrivilege, false, true},
      {kTIDATypePrivilege, false, true}, {kTIDAQueryPrivilege, false, true},
  };
  // The caller's entries go from both lists; no hidden type is displayed.
  std::vector<TypeID> display{1, 2}, hidden{1, 2, 3};
  MetadataUtil::FillDisplayTypes(display);
  MetadataUtil::GetHiddenObjectTypes(hidden);
  for (TypeID given : {1, 2, 3}) {
    EXPECT_EQ(std::count(display.begin(), display.end(), given), 0) << given;
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), given), 0) << given;
  }
  for (TypeID t : std::vector<TypeID>{kTIDAAttributeDefn, kTIDAQueryObject})
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), t), 1);
  for (TypeID t : hidden) EXPECT_EQ(std::count(display.begin(), display.end(), t), 0) << t;
  for (const Row& row : rows) {
    EXPECT_EQ(std::count(display.begin(), display.end(), row.type), row.displayed ? 1 : 0) << row.type;
    EXPECT_EQ(MetadataUtil::IsCompareableType(row.type), row.compared) << row.type;
  }
  EXPECT_FALSE(MetadataUtil::IsCompareableType(2003));
}
