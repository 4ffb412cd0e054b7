// Interface type ids of the repository's object classes, grouped in ranges by
// layer. A kTIDA... id names the interface class; the implementation class
// (kTIDX...) is usually the next number and never appears on a VoidID here.
//
//   if (obj->GetTypeID() == kTIDATable) { /* a physical table */ }
//   const bool bPhysical = type >= kBeginPhysicalTypes && type <= kEndPhysicalTypes;
#pragma once

#include "Utility/VoidID.h"

enum UniqueTIDDatabase : TypeID {
  kTIDARpObject = 500,
};

enum SMNetworkerTypes : TypeID {
  kBeginNetworkerTypes = 1000,
  kEndNetworkerTypes = 1008,
  kTIDFirstExternalRepositoryTypeID = 1500,
  kTIDAObjectPrivilege = 1500,
  kTIDAUser = 1501,
};

enum SMLTypeIDDatabase : TypeID {
  kBeginLogicalTypes = 2000,
  kTIDASubjectArea = 2000,
  kTIDAEntity = 2002,
  kTIDARelationship = 2004,
  kTIDAAttribute = 2006,
  kTIDAKey = 2008,
  kTIDARole = 2010,
  kTIDAInstance = 2012,
  kTIDACube = 2017,
  kTIDADimension = 2019,
  kTIDALevel = 2025,
  kTIDALevelToLevel = 2027,
  kTIDAMember = 2029,
  kTIDAMeasure = 2031,
  kTIDALogicalForeignKey = 2033,
  kTIDALogicalTable = 2035,
  kTIDALogicalTableSource = 2037,
  kTIDALogicalSourceFolder = 2046,
  kTIDAMeasureDefn = 2048,
  kTIDAAggrRule = 2050,
  kTIDALogicalDisplayFolder = 2052,
  kTIDAOverrideAggrRule = 2054,
  kTIDARelativeSequenceNumber = 2058,
  kEndLogicalTypes = 2060,
};

enum SMPTypeIDDatabase : TypeID {
  kBeginPhysicalTypes = 3000,
  kTIDATable = 3001,
  kTIDAColumn = 3003,
  kTIDAForeignKey = 3006,
  kTIDATableKey = 3008,
  kTIDAComplexJoin = 3012,
  kTIDADatabase = 3023,
  kTIDACatalog = 3025,
  kTIDASchema = 3027,
  kTIDAConnectionPool = 3029,
  kTIDARpVariable = 3031,
  kTIDASessionVariableBlock = 3033,
  kTIDALdapServer = 3035,
  kTIDAPhysicalDisplayFolder = 3037,
  kTIDACubeTable = 3039,
  kTIDAHierarchy = 3041,
  kTIDACubeColumn = 3043,
  kTIDAPhysicalLevel = 3045,
  kTIDACustomAuthenticator = 3047,
  kTIDAAnalyticWorkspace = 3049,
  kTIDAAWDimension = 3052,
  kTIDAAWCube = 3054,
  kTIDAAWHierarchy = 3056,
  kTIDAAWLevel = 3058,
  kTIDAAWColumn = 3060,
  kTIDAPhysicalDimension = 3064,
  // An initialization block is stored as a session-variable block.
  kTIDAInitBlock = 3033,
  kEndPhysicalTypes = 3066,
};

enum SMMTypeIDDatabase : TypeID {
  kBeginMappingTypes = 3900,
  kTIDAAttributeDefn = 3900,
  kTIDAEntityDefn = 3902,
  kTIDARelationshipDefn = 3904,
  kEndMappingTypes = 3908,
};

enum SMXTypeIDDatabase : TypeID {
  kBeginPresentationTypes = 4000,
  kTIDAFolder = 4000,
  kTIDAEntityAttr = 4002,
  kTIDACatalogFolder = 4004,
  kTIDASchemaFolder = 4006,
  kTIDAEntityFolder = 4008,
  kTIDAFolderAttr = 4010,
  kTIDAMktg_CatalogLink = 4012,
  kTIDAMktg_CustomerType = 4014,
  kTIDAMktg_ListCatalog = 4016,
  kTIDAMktg_QualifiedItem = 4018,
  kTIDAMktg_QualifyingKey = 4020,
  kTIDAMktg_SamplingTable = 4024,
  kTIDAMktg_SegmentationCatalog = 4026,
  kTIDAPresentationHierarchy = 4028,
  kTIDAPresentationLevel = 4030,
  kEndPresentationTypes = 4032,
};

enum SSTypeID : TypeID {
  kBeginSecurityTypes = 4200,
  kTIDATypePrivilege = 4202,
  kTIDAQueryPrivilege = 4204,
  kTIDASecurityRole = 4206,
  kTIDAPrivilegePackage = 4209,
  kTIDAUserDatabaseSignon = 4211,
  kTIDAProject = 4213,
  kTIDALicense = 4215,
  kTIDAQueryObject = 4217,
  kEndSecurityTypes = 4219,
};
