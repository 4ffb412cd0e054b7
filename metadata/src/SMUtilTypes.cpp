// The object type catalogue: display names of the interface types, the types
// hidden from users, and the parent rules the library adds to the model's.
#include <array>
#include <iterator>

#include "Metadata/SMConstants.h"
#include "Metadata/SMTypeNames.h"
#include "Metadata/SMUtil.h"
#include "Utility/VXAssert.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/TypeIDs.h"

namespace {

struct TypeIDNamePair {
  TypeID m_typeID;
  const char32_t* m_pName;
};

// Constant data, ready before any code runs. The order is the search order;
// the ids do not repeat.
constexpr TypeIDNamePair typeIDNamePairArray[] = {
    {kTIDAEntity, U"ENTITY"},
    {kTIDALevel, U"LEVEL"},
    {kTIDAAttribute, U"ATTRIBUTE"},
    {kTIDAMeasureDefn, U"AGGREGATE MEASURE"},
    {kTIDAAggrRule, U"AGGREGATE RULE"},
    {kTIDAInstance, U"INSTANCE"},
    {kTIDAMember, U"MEMBER"},
    {kTIDAMeasure, U"MEASURE"},
    {kTIDARole, U"ROLE"},
    {kTIDADimension, U"DIMENSION"},
    {kTIDALogicalDisplayFolder, U"LOGICAL DISPLAY FOLDER"},
    {kTIDAOverrideAggrRule, U"OVERRIDE AGGREGATE RULE"},
    {kTIDARelativeSequenceNumber, U"RELATIVE SEQUENCE NUMBER"},
    {kTIDADatabase, U"DATABASE"},
    {kTIDARpVariable, U"RP VARIABLE"},
    {kTIDASessionVariableBlock, U"SESSION VARIABLE BLOCK"},
    {kTIDACatalog, U"CATALOG"},
    {kTIDASchema, U"SCHEMA"},
    {kTIDATable, U"TABLE"},
    {kTIDAColumn, S_XML_COLUMN},
    {kTIDAComplexJoin, U"JOIN"},
    {kTIDALdapServer, U"LDAP SERVER"},
    {kTIDACustomAuthenticator, U"CUSTOM AUTHENTICATOR"},
    {kTIDAHierarchy, U"HIERARCHY"},
    {kTIDAPhysicalLevel, U"PHYSICAL LEVEL"},
    {kTIDACubeColumn, U"CUBE COLUMN"},
    {kTIDACubeTable, U"CUBE TABLE"},
    {kTIDAPhysicalDisplayFolder, U"PHYSICAL DISPLAY FOLDER"},
    {kTIDAAnalyticWorkspace, U"ANALYTIC WORKSPACE"},
    {kTIDAAWDimension, U"AW DIMENSION"},
    {kTIDAAWCube, U"AW CUBE"},
    {kTIDAAWHierarchy, U"AW HIERARCHY"},
    {kTIDAAWLevel, U"AW LEVEL"},
    {kTIDAAWColumn, U"AW COLUMN"},
    {kTIDAFolder, U"FOLDER"},
    {kTIDAKey, U"LOGICAL KEY"},
    {kTIDARelationship, U"ROLE RELATIONSHIP"},
    {kTIDALevelToLevel, U"LEVEL RELATIONSHIP"},
    {kTIDACube, U"LOGICAL CUBE"},
    {kTIDALogicalTable, U"LOGICAL TABLE"},
    {kTIDALogicalTableSource, U"LOGICAL TABLE SOURCE"},
    {kTIDALogicalSourceFolder, U"LOGICAL SOURCE FOLDER"},
    {kTIDALogicalForeignKey, U"LOGICAL FOREIGN KEY"},
    {kTIDASubjectArea, U"SUBJECT AREA"},
    {kTIDAConnectionPool, U"CONNECTION POOL"},
    {kTIDATableKey, U"TABLE KEY"},
    {kTIDAForeignKey, U"FOREIGN KEY"},
    {kTIDAAttributeDefn, U"ATTRIBUTE MAP"},
    {kTIDAEntityDefn, U"ENTITY MAP"},
    {kTIDARelationshipDefn, U"RELATIONSHIP MAP"},
    {kTIDAEntityAttr, U"ATTRIBUTED ENTITY"},
    {kTIDASchemaFolder, U"SCHEMA FOLDER"},
    {kTIDACatalogFolder, U"CATALOG FOLDER"},
    {kTIDAEntityFolder, U"ENTITY FOLDER"},
    {kTIDAFolderAttr, U"FOLDER ATTRIBUTE"},
    {kTIDAPresentationHierarchy, U"PRESENTATION HIERARCHY"},
    {kTIDAPresentationLevel, U"PRESENTATION LEVEL"},
    {kTIDAMktg_CatalogLink, U"CATALOG LINK"},
    {kTIDAMktg_CustomerType, U"CUSTOMER TYPE"},
    {kTIDAMktg_ListCatalog, U"LIST CATALOG"},
    {kTIDAMktg_QualifiedItem, U"QUALIFIED ITEM"},
    {kTIDAMktg_QualifyingKey, U"QUALIFYING KEY"},
    {kTIDAMktg_SamplingTable, U"SAMPLING TABLE"},
    {kTIDAMktg_SegmentationCatalog, U"SEGMENTATION CATALOG"},
    {kTIDAPrivilegePackage, U"PRIVILEGE PACKAGE"},
    {kTIDATypePrivilege, U"TYPE PRIVILEGE"},
    {kTIDAObjectPrivilege, U"OBJECT PRIVILEGE"},
    {kTIDAQueryPrivilege, U"QUERY PRIVILEGE"},
    {kTIDASecurityRole, U"SECURITY ROLE"},
    {kTIDAUser, U"USER"},
    {kTIDAUserDatabaseSignon, U"USER DATABASE SIGNON"},
    {kTIDAProject, U"PROJECT"},
    {kTIDALicense, U"LICENSE"},
    {kTIDAQueryObject, U"QUERY OBJECT"},
};
static_assert(std::size(typeIDNamePairArray) == 74);

constexpr std::array<TypeID, 15> kHiddenObjectTypes = {
    kTIDAAttributeDefn,    kTIDARole,
    kTIDARelationship,     kTIDAAggrRule,
    kTIDALevelToLevel,     kTIDALogicalSourceFolder,
    kTIDAMeasureDefn,      kTIDATypePrivilege,
    kTIDAQueryPrivilege,   kTIDAPrivilegePackage,
    kTIDAObjectPrivilege,  kTIDAUserDatabaseSignon,
    kTIDAOverrideAggrRule, kTIDALicense,
    kTIDAQueryObject,
};

}  // namespace

bool SMTypeNames::Find(TypeID typeID, VXString& name) {
  for (const TypeIDNamePair& pair : typeIDNamePairArray) {
    if (pair.m_typeID == typeID) {
      name = pair.m_pName;
      return true;
    }
  }
  return false;
}

VXString MetadataUtil::ToTypeName(TypeID typeID) {
  VXString name;
  if (SMTypeNames::Find(typeID, name)) return name;
  VXAssert::handleLogicError("server/Metadata/Src/SMUtil.cpp", 2015, "");
}

void MetadataUtil::GetHiddenObjectTypes(std::vector<TypeID>& typeIDVector) {
  typeIDVector.assign(kHiddenObjectTypes.begin(), kHiddenObjectTypes.end());
}

bool MetadataUtil::MustHaveParent(TypeID type) { return CanHaveParent(type) && type != kTIDARpVariable; }

void MetadataUtil::GetParentTypes(TypeID type, std::vector<TypeID>& types) {
  FindParentTypeIDs(TypeIDVector{type}, types);
  // Nesting the parent table does not spell out. Appended as is, even when
  // the model already listed the type.
  switch (type) {
    case kTIDAPhysicalLevel:
    case kTIDALevel:
      types.push_back(type);
      break;
    case kTIDAPresentationHierarchy:
      types.push_back(kTIDAEntityFolder);
      break;
    case kTIDAPresentationLevel:
      types.push_back(kTIDAPresentationHierarchy);
      break;
    default:
      break;
  }
}

void MetadataUtil::FillDisplayTypes(std::vector<TypeID>& arrayTypes) { TypesOfType::FillDisplayTypes(arrayTypes); }

bool MetadataUtil::IsCompareableType(TypeID type) { return TypesOfType::IsCompareableType(type); }
