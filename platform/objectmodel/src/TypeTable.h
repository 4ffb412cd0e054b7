// The type table: every catalogue type with its interface class, what users
// see of it, and the types it may live under (first listed = the usual one).
// Private to the object model; ObjectParent.h and AMetaClass are its public
// faces. Lists that an operation delivers in an order of its own (the
// type names, the hidden types, the dictionary tags) stay beside their
// operations in the library.
#pragma once

#include <initializer_list>
#include <vector>

#include "objectmodel/Interfaces.h"

// What users see of a type: kShown types are listed to them; kInternal
// ones (mapping records, privileges, the helper objects of relationships and
// measures) are kept from their lists; kInternalCompared ones are internal
// but compared like shown ones (privileges, edited with the roles they
// guard).
enum class RpTypeUse : unsigned char { kShown, kInternal, kInternalCompared };

// X(type id, class, use, parent types...)
#define SMUTIL_RP_TYPES(X)                                                                                       \
  X(kTIDASubjectArea, ASubjectArea, kShown)                                                                      \
  X(kTIDAEntity, AEntity, kShown, kTIDASubjectArea)                                                              \
  X(kTIDARelationship, ARelationship, kInternal, kTIDASubjectArea)                                               \
  X(kTIDAAttribute, AAttribute, kShown, kTIDALogicalTable, kTIDAEntity)                                          \
  X(kTIDAKey, AKey, kShown, kTIDALogicalTable, kTIDAEntity, kTIDALevel)                                          \
  X(kTIDARole, ARole, kInternal, kTIDARelationship, kTIDALevelToLevel)                                           \
  X(kTIDAInstance, AInstance, kInternal)                                                                         \
  X(kTIDACube, ACube, kShown, kTIDASubjectArea)                                                                  \
  X(kTIDADimension, ADimension, kShown, kTIDASubjectArea)                                                        \
  X(kTIDALevel, ALevel, kShown, kTIDADimension, kTIDALevel, kTIDASubjectArea)                                    \
  X(kTIDALevelToLevel, ALevelToLevel, kInternal, kTIDADimension)                                                 \
  X(kTIDAMember, AMember, kInternal)                                                                             \
  X(kTIDAMeasure, AMeasure, kInternal)                                                                           \
  X(kTIDALogicalForeignKey, ALogicalForeignKey, kShown, kTIDALogicalTable)                                       \
  X(kTIDALogicalTable, ALogicalTable, kShown, kTIDASubjectArea)                                                  \
  X(kTIDALogicalTableSource, ALogicalTableSource, kShown, kTIDALogicalTable)                                     \
  X(kTIDALogicalSourceFolder, ALogicalSourceFolder, kInternal, kTIDALogicalTable)                                \
  X(kTIDAMeasureDefn, AMeasureDefn, kInternal, kTIDAAttribute)                                                   \
  X(kTIDAAggrRule, AAggrRule, kInternal, kTIDAMeasureDefn)                                                       \
  X(kTIDALogicalDisplayFolder, ALogicalDisplayFolder, kShown, kTIDASubjectArea)                                  \
  X(kTIDAOverrideAggrRule, AOverrideAggrRule, kInternal, kTIDAMeasureDefn)                                       \
  X(kTIDARelativeSequenceNumber, ARelativeSequenceNumber, kShown, kTIDALevel)                                    \
  X(kTIDATable, ATable, kShown, kTIDASchema, kTIDACatalog, kTIDADatabase)                                        \
  X(kTIDAColumn, AColumn, kShown, kTIDATable, kTIDACubeTable)                                                    \
  X(kTIDAForeignKey, AForeignKey, kShown, kTIDATable, kTIDACubeTable)                                            \
  X(kTIDATableKey, ATableKey, kShown, kTIDATable, kTIDACubeTable)                                                \
  X(kTIDAComplexJoin, AComplexJoin, kShown)                                                                      \
  X(kTIDADatabase, ADatabase, kShown)                                                                            \
  X(kTIDACatalog, ACatalog, kShown, kTIDADatabase)                                                               \
  X(kTIDASchema, ASchema, kShown, kTIDACatalog, kTIDADatabase)                                                   \
  X(kTIDAConnectionPool, AConnectionPool, kShown, kTIDADatabase)                                                 \
  X(kTIDARpVariable, ARpVariable, kShown, kTIDASessionVariableBlock)                                             \
  X(kTIDASessionVariableBlock, ASessionVariableBlock, kShown)                                                    \
  X(kTIDALdapServer, ALdapServer, kShown)                                                                        \
  X(kTIDAPhysicalDisplayFolder, APhysicalDisplayFolder, kShown, kTIDADatabase)                                   \
  X(kTIDACubeTable, ACubeTable, kShown, kTIDASchema, kTIDACatalog, kTIDADatabase)                                \
  X(kTIDAHierarchy, AHierarchy, kShown, kTIDACubeTable)                                                          \
  X(kTIDACubeColumn, ACubeColumn, kShown, kTIDACubeTable)                                                        \
  X(kTIDAPhysicalLevel, APhysicalLevel, kShown, kTIDAHierarchy)                                                  \
  X(kTIDACustomAuthenticator, ACustomAuthenticator, kShown)                                                      \
  X(kTIDAAnalyticWorkspace, AAnalyticWorkspace, kShown, kTIDACatalog)                                            \
  X(kTIDAAWDimension, AAWDimension, kShown, kTIDAAnalyticWorkspace)                                              \
  X(kTIDAAWCube, AAWCube, kShown, kTIDAAnalyticWorkspace)                                                        \
  X(kTIDAAWHierarchy, AAWHierarchy, kShown, kTIDAAWDimension)                                                    \
  X(kTIDAAWLevel, AAWLevel, kShown, kTIDAAWHierarchy)                                                            \
  X(kTIDAAWColumn, AAWColumn, kShown, kTIDAAWDimension, kTIDAAWCube)                                             \
  X(kTIDAPhysicalDimension, APhysicalDimension, kShown, kTIDACubeTable)                                          \
  X(kTIDAAttributeDefn, AAttributeDefn, kInternal)                                                               \
  X(kTIDAEntityDefn, AEntityDefn, kInternal)                                                                     \
  X(kTIDARelationshipDefn, ARelationshipDefn, kInternal)                                                         \
  X(kTIDAFolder, AFolder, kShown, kTIDACatalogFolder, kTIDASchemaFolder, kTIDAEntityFolder, kTIDAFolder)         \
  X(kTIDAEntityAttr, AEntityAttr, kShown, kTIDAEntityFolder, kTIDAFolder, kTIDACatalogFolder, kTIDASchemaFolder) \
  X(kTIDACatalogFolder, ACatalogFolder, kShown)                                                                  \
  X(kTIDASchemaFolder, ASchemaFolder, kShown, kTIDACatalogFolder)                                                \
  X(kTIDAEntityFolder, AEntityFolder, kShown, kTIDACatalogFolder, kTIDASchemaFolder)                             \
  X(kTIDAFolderAttr, AFolderAttr, kShown, kTIDAEntityFolder, kTIDAFolder)                                        \
  X(kTIDAMktg_CatalogLink, AMktg_CatalogLink, kShown)                                                            \
  X(kTIDAMktg_CustomerType, AMktg_CustomerType, kShown)                                                          \
  X(kTIDAMktg_ListCatalog, AMktg_ListCatalog, kShown)                                                            \
  X(kTIDAMktg_QualifiedItem, AMktg_QualifiedItem, kShown)                                                        \
  X(kTIDAMktg_QualifyingKey, AMktg_QualifyingKey, kShown, kTIDAMktg_QualifiedItem)                               \
  X(kTIDAMktg_SamplingTable, AMktg_SamplingTable, kShown, kTIDAMktg_CustomerType)                                \
  X(kTIDAMktg_SegmentationCatalog, AMktg_SegmentationCatalog, kShown, kTIDAMktg_CustomerType)                    \
  X(kTIDAPresentationHierarchy, APresentationHierarchy, kShown, kTIDAEntityFolder)                               \
  X(kTIDAPresentationLevel, APresentationLevel, kShown, kTIDAPresentationHierarchy)                              \
  X(kTIDAObjectPrivilege, AObjectPrivilege, kInternalCompared)                                                   \
  X(kTIDAUser, AUser, kShown)                                                                                    \
  X(kTIDATypePrivilege, ATypePrivilege, kInternalCompared)                                                       \
  X(kTIDAQueryPrivilege, AQueryPrivilege, kInternalCompared)                                                     \
  X(kTIDASecurityRole, ASecurityRole, kShown)                                                                    \
  X(kTIDAPrivilegePackage, APrivilegePackage, kInternal)                                                         \
  X(kTIDAUserDatabaseSignon, AUserDatabaseSignon, kInternal)                                                     \
  X(kTIDAProject, AProject, kShown)                                                                              \
  X(kTIDALicense, ALicense, kInternal)                                                                           \
  X(kTIDAQueryObject, AQueryObject, kInternal)

struct RpTypeInfo {
  TypeID m_typeID;
  const AMetaClass* m_pMetaClass;
  RpTypeUse m_use;
  // A new object of the type, in pool when pool is not null.
  ARpObject* (*m_create)(ObjectPool* pool);
  std::size_t m_size;  // of the object m_create makes
  TypeIDVector m_parentTypes;
};

// The row of a type, or null for a type outside the catalogue.
const RpTypeInfo* FindTypeInfo(TypeID typeID);
const std::vector<RpTypeInfo>& AllTypeInfos();
