// The type table: every catalogue type with its interface class and the
// types it may live under (first listed = the usual one). Private to the
// object model; ObjectParent.h and AMetaClass are its public faces.
#pragma once

#include <initializer_list>
#include <vector>

#include "objectmodel/Interfaces.h"

// X(type id, class, parent types...)
#define SMUTIL_RP_TYPES(X)                                                                   \
  X(kTIDASubjectArea, ASubjectArea)                                                          \
  X(kTIDAEntity, AEntity, kTIDASubjectArea)                                                  \
  X(kTIDARelationship, ARelationship, kTIDASubjectArea)                                      \
  X(kTIDAAttribute, AAttribute, kTIDALogicalTable, kTIDAEntity)                              \
  X(kTIDAKey, AKey, kTIDALogicalTable, kTIDAEntity, kTIDALevel)                              \
  X(kTIDARole, ARole, kTIDARelationship, kTIDALevelToLevel)                                  \
  X(kTIDAInstance, AInstance)                                                                \
  X(kTIDACube, ACube, kTIDASubjectArea)                                                      \
  X(kTIDADimension, ADimension, kTIDASubjectArea)                                            \
  X(kTIDALevel, ALevel, kTIDADimension, kTIDALevel, kTIDASubjectArea)                        \
  X(kTIDALevelToLevel, ALevelToLevel, kTIDADimension)                                        \
  X(kTIDAMember, AMember)                                                                    \
  X(kTIDAMeasure, AMeasure)                                                                  \
  X(kTIDALogicalForeignKey, ALogicalForeignKey, kTIDALogicalTable)                           \
  X(kTIDALogicalTable, ALogicalTable, kTIDASubjectArea)                                      \
  X(kTIDALogicalTableSource, ALogicalTableSource, kTIDALogicalTable)                         \
  X(kTIDALogicalSourceFolder, ALogicalSourceFolder, kTIDALogicalTable)                       \
  X(kTIDAMeasureDefn, AMeasureDefn, kTIDAAttribute)                                          \
  X(kTIDAAggrRule, AAggrRule, kTIDAMeasureDefn)                                              \
  X(kTIDALogicalDisplayFolder, ALogicalDisplayFolder, kTIDASubjectArea)                      \
  X(kTIDAOverrideAggrRule, AOverrideAggrRule, kTIDAMeasureDefn)                              \
  X(kTIDARelativeSequenceNumber, ARelativeSequenceNumber, kTIDALevel)                        \
  X(kTIDATable, ATable, kTIDASchema, kTIDACatalog, kTIDADatabase)                            \
  X(kTIDAColumn, AColumn, kTIDATable, kTIDACubeTable)                                        \
  X(kTIDAForeignKey, AForeignKey, kTIDATable, kTIDACubeTable)                                \
  X(kTIDATableKey, ATableKey, kTIDATable, kTIDACubeTable)                                    \
  X(kTIDAComplexJoin, AComplexJoin)                                                          \
  X(kTIDADatabase, ADatabase)                                                                \
  X(kTIDACatalog, ACatalog, kTIDADatabase)                                                   \
  X(kTIDASchema, ASchema, kTIDACatalog, kTIDADatabase)                                       \
  X(kTIDAConnectionPool, AConnectionPool, kTIDADatabase)                                     \
  X(kTIDARpVariable, ARpVariable, kTIDASessionVariableBlock)                                 \
  X(kTIDASessionVariableBlock, ASessionVariableBlock)                                        \
  X(kTIDALdapServer, ALdapServer)                                                            \
  X(kTIDAPhysicalDisplayFolder, APhysicalDisplayFolder, kTIDADatabase)                       \
  X(kTIDACubeTable, ACubeTable, kTIDASchema, kTIDACatalog, kTIDADatabase)                    \
  X(kTIDAHierarchy, AHierarchy, kTIDACubeTable)                                              \
  X(kTIDACubeColumn, ACubeColumn, kTIDACubeTable)                                            \
  X(kTIDAPhysicalLevel, APhysicalLevel, kTIDAHierarchy)                                      \
  X(kTIDACustomAuthenticator, ACustomAuthenticator)                                          \
  X(kTIDAAnalyticWorkspace, AAnalyticWorkspace, kTIDACatalog)                                \
  X(kTIDAAWDimension, AAWDimension, kTIDAAnalyticWorkspace)                                  \
  X(kTIDAAWCube, AAWCube, kTIDAAnalyticWorkspace)                                            \
  X(kTIDAAWHierarchy, AAWHierarchy, kTIDAAWDimension)                                        \
  X(kTIDAAWLevel, AAWLevel, kTIDAAWHierarchy)                                                \
  X(kTIDAAWColumn, AAWColumn, kTIDAAWDimension, kTIDAAWCube)                                 \
  X(kTIDAPhysicalDimension, APhysicalDimension, kTIDACubeTable)                              \
  X(kTIDAAttributeDefn, AAttributeDefn)                                                      \
  X(kTIDAEntityDefn, AEntityDefn)                                                            \
  X(kTIDARelationshipDefn, ARelationshipDefn)                                                \
  X(kTIDAFolder, AFolder, kTIDACatalogFolder, kTIDASchemaFolder, kTIDAEntityFolder, kTIDAFolder) \
  X(kTIDAEntityAttr, AEntityAttr, kTIDAEntityFolder, kTIDAFolder, kTIDACatalogFolder, kTIDASchemaFolder) \
  X(kTIDACatalogFolder, ACatalogFolder)                                                      \
  X(kTIDASchemaFolder, ASchemaFolder, kTIDACatalogFolder)                                    \
  X(kTIDAEntityFolder, AEntityFolder, kTIDACatalogFolder, kTIDASchemaFolder)                 \
  X(kTIDAFolderAttr, AFolderAttr, kTIDAEntityFolder, kTIDAFolder)                            \
  X(kTIDAMktg_CatalogLink, AMktg_CatalogLink)                                                \
  X(kTIDAMktg_CustomerType, AMktg_CustomerType)                                              \
  X(kTIDAMktg_ListCatalog, AMktg_ListCatalog)                                                \
  X(kTIDAMktg_QualifiedItem, AMktg_QualifiedItem)                                            \
  X(kTIDAMktg_QualifyingKey, AMktg_QualifyingKey, kTIDAMktg_QualifiedItem)                   \
  X(kTIDAMktg_SamplingTable, AMktg_SamplingTable, kTIDAMktg_CustomerType)                    \
  X(kTIDAMktg_SegmentationCatalog, AMktg_SegmentationCatalog, kTIDAMktg_CustomerType)        \
  X(kTIDAPresentationHierarchy, APresentationHierarchy, kTIDAEntityFolder)                   \
  X(kTIDAPresentationLevel, APresentationLevel, kTIDAPresentationHierarchy)                  \
  X(kTIDAObjectPrivilege, AObjectPrivilege)                                                  \
  X(kTIDAUser, AUser)                                                                        \
  X(kTIDATypePrivilege, ATypePrivilege)                                                      \
  X(kTIDAQueryPrivilege, AQueryPrivilege)                                                    \
  X(kTIDASecurityRole, ASecurityRole)                                                        \
  X(kTIDAPrivilegePackage, APrivilegePackage)                                                \
  X(kTIDAUserDatabaseSignon, AUserDatabaseSignon)                                            \
  X(kTIDAProject, AProject)                                                                  \
  X(kTIDALicense, ALicense)                                                                  \
  X(kTIDAQueryObject, AQueryObject)

struct RpTypeInfo {
  TypeID m_typeID;
  const AMetaClass* m_pMetaClass;
  ARpObject* (*m_create)();
  TypeIDVector m_parentTypes;
};

// The row of a type, or null for a type outside the catalogue.
const RpTypeInfo* FindTypeInfo(TypeID typeID);
const std::vector<RpTypeInfo>& AllTypeInfos();
