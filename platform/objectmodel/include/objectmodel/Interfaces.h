// The interface classes of the repository, one per type id of the catalogue
// (objectmodel/TypeIDs.h). They hold no data of their own: every getter and
// setter reads or writes the ARpObject storage (parent link, ordered
// children, relation tuples, typed properties), so a class is a list of
// one-line views. The parent types each setter accepts come from the one
// parent table (ObjectParent.h); a setter given another type is a logic error.
//
//   Ref<ATable> table(pRp->GetObject(id));
//   for (BinaryRelIter<AColumn> it = table->GetColumns(); !it.IsEnd(); ++it) ...
//   Ref<ADatabase> db = table->GetDatabase();
#pragma once

#include "objectmodel/RpObject.h"

// Short forms for the one-line views below.
#define SMUTIL_RP_CHILDREN(Ret, Method, ...) \
  BinaryRelIter<Ret> Method() const { return ChildrenOf<Ret>({__VA_ARGS__}); }
#define SMUTIL_RP_PARENT_GET(Ret, Method) \
  Ref<Ret> Method() const { return ParentAs<Ret>(); }
#define SMUTIL_RP_PARENT_SET(Param, Method) \
  void Method(const Ref<Param>& parent) { SetParentLink(Ref<ARpObject>(parent)); }
#define SMUTIL_RP_REL(Ret, Method, rel, anchorArg, targetArg) \
  BinaryRelIter<Ret> Method() const { return RelatedOf<Ret>(rel, anchorArg, targetArg); }
#define SMUTIL_RP_STRING(Name)                                      \
  VXString Get##Name() const { return GetString(RpProp::k##Name); } \
  void Set##Name(const VXString& value) { SetProperty(RpProp::k##Name, value); }
#define SMUTIL_RP_BYTES(Name)                                        \
  ByteVector Get##Name() const { return GetBytes(RpProp::k##Name); } \
  void Set##Name(const ByteVector& value) { SetProperty(RpProp::k##Name, value); }
#define SMUTIL_RP_EXPR(Name, Key)                                    \
  Expr Get##Name() const { return GetExprProperty(RpProp::k##Key); } \
  void Set##Name(const Expr& value) { SetProperty(RpProp::k##Key, value); }
// Display name, description and translation key of presentation objects.
#define SMUTIL_RP_DISPLAY_ACCESSORS                                                                    \
  bool HasDisplayName() const { return GetBool(RpProp::kDisplayNameUse); }                             \
  VXString GetDisplayName() const { return GetString(RpProp::kDisplayName); }                          \
  void SetDisplayNameUse(bool bUse) { SetProperty(RpProp::kDisplayNameUse, bUse); }                    \
  void SetDisplayName(const VXString& text) { SetProperty(RpProp::kDisplayName, text); }               \
  bool HasDisplayDescription() const { return GetBool(RpProp::kDisplayDescriptionUse); }               \
  VXString GetDisplayDescription() const { return GetString(RpProp::kDisplayDescription); }            \
  void SetDisplayDescriptionUse(bool bUse) { SetProperty(RpProp::kDisplayDescriptionUse, bUse); }      \
  void SetDisplayDescription(const VXString& text) { SetProperty(RpProp::kDisplayDescription, text); } \
  VXString GetTranslationKey() const { return GetString(RpProp::kTranslationKey); }                    \
  void SetTranslationKey(const VXString& key) { SetProperty(RpProp::kTranslationKey, key); }

class ASubjectArea;
class AEntity;
class ALogicalTable;
class ALevel;
class AAttribute;
class AKey;
class ARelationship;
class ALevelToLevel;
class ARole;
class ALogicalForeignKey;
class ALogicalTableSource;
class ALogicalSourceFolder;
class AMeasureDefn;
class AAggrRule;
class AOverrideAggrRule;
class ADimension;
class ALogicalDisplayFolder;
class ARelativeSequenceNumber;
class APhysicalDataFolder;
class ADatabase;
class ACatalog;
class ASchema;
class ATable;
class ACubeTable;
class AColumn;
class ACubeColumn;
class ATableKey;
class AForeignKey;
class AComplexJoin;
class AConnectionPool;
class ARpVariable;
class ASessionVariableBlock;
class APhysicalDisplayFolder;
class AHierarchy;
class APhysicalLevel;
class AAnalyticWorkspace;
class AAWDimension;
class AAWCube;
class AAWHierarchy;
class AAWLevel;
class AAWColumn;
class APhysicalDimension;
class AFolder;
class AEntityAttr;
class ACatalogFolder;
class ASchemaFolder;
class AEntityFolder;
class AFolderAttr;
class APresentationHierarchy;
class APresentationLevel;
class AMktg_CustomerType;
class AMktg_QualifiedItem;
class AMktg_QualifyingKey;
class AMktg_SamplingTable;
class AMktg_SegmentationCatalog;
class ASecurityRole;
class AUser;
class AProject;

// ---- business model layer ------------------------------------------------

class ASubjectArea : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(ALogicalTable, GetLogicalTables, kTIDALogicalTable)
  SMUTIL_RP_CHILDREN(AEntity, GetEntities, kTIDAEntity, kTIDALogicalTable)
  SMUTIL_RP_CHILDREN(ADimension, GetDimensions, kTIDADimension)
  SMUTIL_RP_CHILDREN(ALogicalDisplayFolder, GetDisplayFolders, kTIDALogicalDisplayFolder)
  SMUTIL_RP_CHILDREN(ARelationship, GetRelationships, kTIDARelationship)
};

class AEntity : public ARpObject {
 public:
  // A logical level's attributes are the logical columns associated with
  // it; any other entity's attributes are its own columns.
  BinaryRelIter<AAttribute> GetAttributes() const;
  SMUTIL_RP_CHILDREN(AKey, GetKeys, kTIDAKey)
  SMUTIL_RP_PARENT_GET(ASubjectArea, GetSubjectArea)
  SMUTIL_RP_PARENT_SET(ASubjectArea, SetSubjectArea)
  // The logical joins in which the entity plays a role.
  SMUTIL_RP_REL(ARole, GetRoles, RpRel::kRolePlayer, 1, 0)
};

class ALogicalTable : public AEntity {
 public:
  SMUTIL_RP_CHILDREN(AAttribute, GetColumns, kTIDAAttribute)
  SMUTIL_RP_CHILDREN(ALogicalForeignKey, GetForeignKeys, kTIDALogicalForeignKey)
  SMUTIL_RP_CHILDREN(ALogicalTableSource, GetSources, kTIDALogicalTableSource)
  Ref<ALogicalSourceFolder> GetSourceFolder() const {
    return FirstChild<ALogicalSourceFolder>({kTIDALogicalSourceFolder});
  }
  SMUTIL_RP_REL(ALogicalDisplayFolder, GetDisplayFolders, RpRel::kLogicalDisplayFolderTables, 1, 0)
};

class ALevel : public AEntity {
 public:
  SMUTIL_RP_CHILDREN(ARelativeSequenceNumber, GetRelativeSequenceNumbers, kTIDARelativeSequenceNumber)
  SMUTIL_RP_CHILDREN(ALevel, GetChildLevels, kTIDALevel)
  // The roles (of level-to-level relationships) that link the level to its
  // parent levels.
  SMUTIL_RP_REL(ARole, GetParentLinks, RpRel::kLevelParentLink, 0, 1)
  SMUTIL_RP_REL(ALevel, GetPreferredUIDrilldown, RpRel::kPreferredDrilldown, 0, 1)
  // The presentation levels that show the level (relationship 32), in the
  // level's own order: the order they were linked in unless moved since
  // (ARelation::MoveUp/DownInSortedRelationship); repository files keep it.
  SMUTIL_RP_REL(APresentationLevel, GetPresentationLevels, RpRel::kLogicalToPresentationLevel, 0, 1)
  // The dimension the level belongs to (through its parent levels), or null.
  Ref<ADimension> GetDimension() const;
  Ref<ALevel> GetDefaultParent() const { return ParentAs<ALevel>(); }
  SMUTIL_RP_PARENT_SET(ADimension, SetDimensionOfRoot)
  SMUTIL_RP_PARENT_SET(ALevel, SetDefaultParent)
  // The dimension a repository load caches on each level (null clears it).
  Ref<ADimension> GetDimensionToCache() const { return RefProperty<ADimension>(RpProp::kDimensionToCache); }
  void SetDimensionToCache(const Ref<ADimension>& dimension);
  void AddAttribute(const Ref<AAttribute>& attr);
};

class AAttribute : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ALogicalTable, GetLogicalTable)
  SMUTIL_RP_PARENT_SET(ALogicalTable, SetLogicalTable)
  Ref<AMeasureDefn> GetMeasureDefn() const { return FirstChild<AMeasureDefn>({kTIDAMeasureDefn}); }
  SMUTIL_RP_REL(AKey, GetKeys, RpRel::kKeyColumn, 0, 1)
  // The presentation columns that show the column (relationship 30), in the
  // column's own order, kept as for ALevel::GetPresentationLevels.
  SMUTIL_RP_REL(AFolderAttr, GetPresentationColumns, RpRel::kLogicalToPresentationColumn, 0, 1)
  SMUTIL_RP_REL(ALevel, GetLevels, RpRel::kLevelAttributes, 1, 0)
  SMUTIL_RP_EXPR(Expr, Expr)
  bool IsDerivedAttribute() const { return GetBool(RpProp::kDerived); }
  void SetDerived(bool bDerived) { SetProperty(RpProp::kDerived, bDerived); }
  SMUTIL_RP_STRING(DataType)
};

class AKey : public ARpObject {
 public:
  SMUTIL_RP_REL(AAttribute, GetAttributes, RpRel::kKeyColumn, 1, 0)
  SMUTIL_RP_PARENT_GET(AEntity, GetContainerEntity)
  // An entity, a logical table or a level.
  SMUTIL_RP_PARENT_SET(AEntity, SetContainerEntity)
  void AddAttribute(const Ref<AAttribute>& attr);
};

class ARelationship : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(ARole, GetRoles, kTIDARole)
  SMUTIL_RP_PARENT_GET(ARpObject, GetContainer)
};

class ALevelToLevel : public ARelationship {};

class ARole : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ARelationship, GetRelationship)
  SMUTIL_RP_PARENT_SET(ARelationship, SetRelationship)
  Multiplicity GetMultiplicity() const;
  void SetMultiplicity(const Multiplicity& m) { SetProperty(RpProp::kMultiplicity, m); }
  // The entity or logical table that plays the role (logical joins).
  Ref<AEntity> GetPlayer() const { return FirstRelated<AEntity>(RpRel::kRolePlayer, 0, 1); }
  void SetPlayer(const Ref<AEntity>& e) { SetSingleRelated(RpRel::kRolePlayer, 0, Ref<ARpObject>(e)); }
  // The levels that this role links to a parent level.
  SMUTIL_RP_REL(ALevel, GetLinkedLevels, RpRel::kLevelParentLink, 1, 0)
};

class ALogicalForeignKey : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ALogicalTable, GetContainerEntity)
  SMUTIL_RP_PARENT_SET(ALogicalTable, SetContainerEntity)
  SMUTIL_RP_REL(AAttribute, GetAttributes, RpRel::kLogicalForeignKeyColumns, 0, 1)
  Ref<AKey> GetReferencedKey() const { return FirstRelated<AKey>(RpRel::kLogicalForeignKeyReference, 2, 1); }
  void SetReferencedKey(const Ref<AKey>& key);
};

class ALogicalTableSource : public ARpObject {
 public:
  using SourceDefinition = RpSourceDefinition;
  SourceDefinition GetSourceDefinition() const;
  void SetSourceDefinition(const SourceDefinition& defn);
  SMUTIL_RP_PARENT_GET(ALogicalTable, GetLogicalTable)
  SMUTIL_RP_PARENT_SET(ALogicalTable, SetLogicalTable)
};

class ALogicalSourceFolder : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ALogicalTable, GetLogicalTable)
  SMUTIL_RP_PARENT_SET(ALogicalTable, SetLogicalTable)
};

class AMeasureDefn : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AAttribute, GetContainerAttribute)
  SMUTIL_RP_PARENT_SET(AAttribute, SetContainerAttribute)
  SMUTIL_RP_CHILDREN(AAggrRule, GetAggrRules, kTIDAAggrRule)
  SMUTIL_RP_CHILDREN(AOverrideAggrRule, GetOverrideAggrRules, kTIDAOverrideAggrRule)
};

class AAggrRule : public ARpObject {
 public:
  SMUTIL_RP_EXPR(AggrExpr, AggrExpr)
  SMUTIL_RP_PARENT_GET(AMeasureDefn, GetMeasureDefn)
  SMUTIL_RP_PARENT_SET(AMeasureDefn, SetMeasureDefn)
};

class AOverrideAggrRule : public AAggrRule {};

class ADimension : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ASubjectArea, GetSubjectArea)
  SMUTIL_RP_PARENT_SET(ASubjectArea, SetSubjectArea)
  SMUTIL_RP_CHILDREN(ALevel, GetRootLevels, kTIDALevel)
  SMUTIL_RP_CHILDREN(ALevelToLevel, GetLevelRelationships, kTIDALevelToLevel)
  // Every level of the dimension, parents before children (depth first).
  BinaryRelIter<ALevel> GetAllLevels() const;
  SMUTIL_RP_REL(APresentationHierarchy, GetPresentationHierarchies, RpRel::kPresentationHierarchyDimension, 1, 0)
};

class ALogicalDisplayFolder : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ASubjectArea, GetSubjectArea)
  SMUTIL_RP_PARENT_SET(ASubjectArea, SetSubjectArea)
  SMUTIL_RP_REL(ALogicalTable, GetLogicalTables, RpRel::kLogicalDisplayFolderTables, 0, 1)
};

class ARelativeSequenceNumber : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ALevel, GetLevel)
  SMUTIL_RP_PARENT_SET(ALevel, SetLevel)
};

class ACube : public ARpObject {};
class AInstance : public ARpObject {};
class AMember : public ARpObject {};
class AMeasure : public ARpObject {};

// ---- physical layer ------------------------------------------------------

// A database, catalog or schema: the containers of physical tables.
class APhysicalDataFolder : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(APhysicalDataFolder, GetContainer)
  SMUTIL_RP_CHILDREN(ATable, GetTables, kTIDATable, kTIDACubeTable)
  SMUTIL_RP_CHILDREN(APhysicalDataFolder, GetSubFolders, kTIDACatalog, kTIDASchema)
};

class ADatabase : public APhysicalDataFolder {
 public:
  SMUTIL_RP_CHILDREN(AConnectionPool, GetConnectionPools, kTIDAConnectionPool)
  SMUTIL_RP_CHILDREN(APhysicalDisplayFolder, GetDisplayFolders, kTIDAPhysicalDisplayFolder)
  SMUTIL_RP_CHILDREN(ACatalog, GetCatalogs, kTIDACatalog)
  SMUTIL_RP_CHILDREN(ASchema, GetSchemas, kTIDASchema)
  // The server target type (the kind of data source).
  int GetTargetType() const { return static_cast<int>(GetInt(RpProp::kTargetType)); }
  void SetTargetType(int targetType) { SetProperty(RpProp::kTargetType, static_cast<std::int64_t>(targetType)); }
  // A database property for an application (empty application: the
  // database-wide value, which also answers when the application has none).
  VXString GetDatabaseProperty(const VXString& name, const VXString& application) const;
  void SetDatabaseProperty(const VXString& name, const VXString& application, const VXString& value);
};

class ACatalog : public APhysicalDataFolder {
 public:
  SMUTIL_RP_PARENT_GET(ADatabase, GetDatabase)
  SMUTIL_RP_PARENT_SET(ADatabase, SetDatabase)
  SMUTIL_RP_CHILDREN(AAnalyticWorkspace, GetAnalyticWorkspaces, kTIDAAnalyticWorkspace)
};

class ASchema : public APhysicalDataFolder {
 public:
  // A database or a catalog.
  SMUTIL_RP_PARENT_SET(APhysicalDataFolder, SetContainer)
};

class ATable : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(AColumn, GetColumns, kTIDAColumn, kTIDACubeColumn)
  SMUTIL_RP_CHILDREN(ATableKey, GetTableKeys, kTIDATableKey)
  SMUTIL_RP_CHILDREN(AForeignKey, GetForeignKeys, kTIDAForeignKey)
  SMUTIL_RP_PARENT_GET(APhysicalDataFolder, GetContainer)
  SMUTIL_RP_PARENT_SET(APhysicalDataFolder, SetContainer)
  // The database above the table's catalog or schema.
  Ref<ADatabase> GetDatabase() const;
  // The complex joins in which the table stands on either side.
  BinaryRelIter<AComplexJoin> GetComplexJoinLinks() const {
    return BinaryRelIter<AComplexJoin>(VoidRelIter(GetGateway(), GetID(), RpRel::kComplexJoin, {0, 1}, 2));
  }
  SMUTIL_RP_REL(APhysicalDisplayFolder, GetDisplayFolders, RpRel::kPhysicalDisplayFolderTables, 1, 0)
  int GetTableType() const { return static_cast<int>(GetInt(RpProp::kTableType)); }
  void SetTableType(int type) { SetProperty(RpProp::kTableType, static_cast<std::int64_t>(type)); }
};

class ACubeTable : public ATable {
 public:
  SMUTIL_RP_CHILDREN(AHierarchy, GetHierarchies, kTIDAHierarchy)
  SMUTIL_RP_CHILDREN(APhysicalDimension, GetDimensions, kTIDAPhysicalDimension)
};

class AColumn : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ATable, GetTable)
  // A table or cube table; an AW column's table is its AW dimension or cube.
  SMUTIL_RP_PARENT_SET(ARpObject, SetTable)
  Ref<ADatabase> GetDatabase() const;
  // The target type of the column's database (0 without one).
  int GetTargetType() const;
  // The column an alias column stands for, or null.
  Ref<AColumn> GetSourceColumn() const { return FirstRelated<AColumn>(RpRel::kAliasToSourceColumn, 0, 1); }
  void SetSourceColumn(const Ref<AColumn>& source) {
    SetSingleRelated(RpRel::kAliasToSourceColumn, 0, Ref<ARpObject>(source));
  }
  SMUTIL_RP_REL(ATableKey, GetKeys, RpRel::kKeyColumn, 0, 1)
  SMUTIL_RP_STRING(DataType)
  bool IsNullable() const { return GetBool(RpProp::kNullable); }
  void SetNullable(bool b) { SetProperty(RpProp::kNullable, b); }
};

class ACubeColumn : public AColumn {};

class ATableKey : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ATable, GetTable)
  SMUTIL_RP_PARENT_SET(ATable, SetTable)
  SMUTIL_RP_REL(AColumn, GetColumns, RpRel::kKeyColumn, 1, 0)
  void AddColumn(const Ref<AColumn>& column);
};

class AForeignKey : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ATable, GetContainer)
  SMUTIL_RP_PARENT_SET(ATable, SetContainer)
  // The key the foreign key refers to.
  Ref<ATableKey> GetTableKey() const { return FirstRelated<ATableKey>(RpRel::kForeignKeyReference, 2, 1); }
  void SetTableKey(const Ref<ATableKey>& key);
  // The foreign key's own columns, in order.
  SMUTIL_RP_REL(AColumn, GetComponents, RpRel::kForeignKeyColumns, 0, 1)
  void AddComponent(const Ref<AColumn>& column);
};

class AComplexJoin : public ARpObject {
 public:
  SMUTIL_RP_EXPR(JoinExpr, JoinExpr)
  Ref<ATable> GetLeftTable() const { return FirstRelated<ATable>(RpRel::kComplexJoin, 2, 0); }
  Ref<ATable> GetRightTable() const { return FirstRelated<ATable>(RpRel::kComplexJoin, 2, 1); }
  // Links the join to its two tables (replacing an earlier link).
  void SetTables(const Ref<ATable>& left, const Ref<ATable>& right);
  int GetJoinType() const { return static_cast<int>(GetInt(RpProp::kJoinType)); }
  void SetJoinType(int type) { SetProperty(RpProp::kJoinType, static_cast<std::int64_t>(type)); }
};

class AConnectionPool : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ADatabase, GetDatabase)
  SMUTIL_RP_PARENT_SET(ADatabase, SetDatabase)
  SMUTIL_RP_STRING(DataSourceName)
  SMUTIL_RP_STRING(DBUserName)
  SMUTIL_RP_STRING(XMLADataSourceInfo)
  SMUTIL_RP_STRING(ServerName)
  SMUTIL_RP_STRING(ServerPort)
  SMUTIL_RP_STRING(EJBBean)
  SMUTIL_RP_STRING(OrreryServiceName)
  SMUTIL_RP_STRING(WSDL)
  SMUTIL_RP_STRING(QPLKey)
  SMUTIL_RP_BYTES(EncryptedPassword)
  // The enabled connection scripts of each kind, in order. The getters
  // replace the contents of the vector they are given.
  void GetEnabledPostConnectStrings(VXStringVector& out) const { out = GetStrings(RpProp::kPostConnectStrings); }
  void GetEnabledPreDisConnectStrings(VXStringVector& out) const { out = GetStrings(RpProp::kPreDisconnectStrings); }
  void GetEnabledBeforeQueryStrings(VXStringVector& out) const { out = GetStrings(RpProp::kBeforeQueryStrings); }
  void GetEnabledAfterQueryStrings(VXStringVector& out) const { out = GetStrings(RpProp::kAfterQueryStrings); }
  void SetPostConnectStrings(const VXStringVector& v) { SetProperty(RpProp::kPostConnectStrings, v); }
  void SetPreDisConnectStrings(const VXStringVector& v) { SetProperty(RpProp::kPreDisconnectStrings, v); }
  void SetBeforeQueryStrings(const VXStringVector& v) { SetProperty(RpProp::kBeforeQueryStrings, v); }
  void SetAfterQueryStrings(const VXStringVector& v) { SetProperty(RpProp::kAfterQueryStrings, v); }
};

class ARpVariable : public ARpObject {
 public:
  // Variable types: 0 a static repository variable (its value is its
  // expression), 1 a dynamic repository variable (refreshed by its
  // initialization block), 2 a session variable.
  enum VariableType : int { kStatic = 0, kDynamic = 1, kSession = 2 };
  int GetVariableType() const { return static_cast<int>(GetInt(RpProp::kVariableType)); }
  void SetVariableType(int type) { SetProperty(RpProp::kVariableType, static_cast<std::int64_t>(type)); }
  SMUTIL_RP_EXPR(Expr, Expr)
  SMUTIL_RP_PARENT_GET(ASessionVariableBlock, GetInitBlock)
  SMUTIL_RP_PARENT_SET(ASessionVariableBlock, SetInitBlock)
};

// An initialization block (the same type id as a session-variable block).
class ASessionVariableBlock : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(ARpVariable, GetAssociatedVariables, kTIDARpVariable)
  SMUTIL_RP_STRING(InitString)
  enum BlockScope : int { kRepositoryScope = 0, kSessionScope = 1 };
  // Whether the block initializes repository or session variables.
  int GetBlockType() const { return static_cast<int>(GetInt(RpProp::kBlockType)); }
  void SetBlockType(int scope) { SetProperty(RpProp::kBlockType, static_cast<std::int64_t>(scope)); }
};
using AInitBlock = ASessionVariableBlock;

class ALdapServer : public ARpObject {
 public:
  SMUTIL_RP_STRING(HostName)
  SMUTIL_RP_STRING(BaseDN)
  SMUTIL_RP_STRING(KeyDBFile)
  SMUTIL_RP_STRING(QPLKey)
  SMUTIL_RP_BYTES(BindPassword)
  SMUTIL_RP_BYTES(KeyDBPassword)
};

class ACustomAuthenticator : public ARpObject {};

class APhysicalDisplayFolder : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ADatabase, GetDatabase)
  SMUTIL_RP_PARENT_SET(ADatabase, SetDatabase)
  SMUTIL_RP_REL(ATable, GetTables, RpRel::kPhysicalDisplayFolderTables, 0, 1)
};

class AHierarchy : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ACubeTable, GetCubeTable)
  SMUTIL_RP_PARENT_SET(ACubeTable, SetCubeTable)
  // The hierarchy's levels in their sorted order (top first).
  SMUTIL_RP_CHILDREN(APhysicalLevel, GetPhysicalLevels, kTIDAPhysicalLevel)
  SMUTIL_RP_REL(APhysicalDimension, GetDimensions, RpRel::kPhysicalDimensionHierarchies, 1, 0)
};

class APhysicalLevel : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AHierarchy, GetHierarchy)
  SMUTIL_RP_PARENT_SET(AHierarchy, SetHierarchy)
  // The column that keys the level, or null.
  Ref<AColumn> GetLevelKey() const { return RefProperty<AColumn>(RpProp::kLevelKey); }
  void SetLevelKey(const Ref<AColumn>& column);
};

class AAnalyticWorkspace : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ACatalog, GetContainer)
  SMUTIL_RP_PARENT_SET(ACatalog, SetContainer)
  SMUTIL_RP_CHILDREN(AAWDimension, GetDimensions, kTIDAAWDimension)
  SMUTIL_RP_CHILDREN(AAWCube, GetCubes, kTIDAAWCube)
};

class AAWDimension : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AAnalyticWorkspace, GetContainer)
  SMUTIL_RP_PARENT_SET(AAnalyticWorkspace, SetContainer)
  SMUTIL_RP_CHILDREN(AColumn, GetColumns, kTIDAAWColumn)
  SMUTIL_RP_CHILDREN(AAWHierarchy, GetHierarchies, kTIDAAWHierarchy)
};

class AAWCube : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AAnalyticWorkspace, GetContainer)
  SMUTIL_RP_PARENT_SET(AAnalyticWorkspace, SetContainer)
  SMUTIL_RP_CHILDREN(AColumn, GetColumns, kTIDAAWColumn)
};

class AAWHierarchy : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AAWDimension, GetDimension)
  SMUTIL_RP_PARENT_SET(AAWDimension, SetDimension)
  SMUTIL_RP_CHILDREN(AAWLevel, GetLevels, kTIDAAWLevel)
};

class AAWLevel : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AAWHierarchy, GetHierarchy)
  SMUTIL_RP_PARENT_SET(AAWHierarchy, SetHierarchy)
};

class AAWColumn : public AColumn {
 public:
  // The AW hierarchies and levels the column belongs to.
  SMUTIL_RP_REL(ARpObject, GetAWLinks, RpRel::kAWColumnLink, 0, 1)
  void AddAWLink(const Ref<ARpObject>& hierarchyOrLevel);
};

class APhysicalDimension : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(ACubeTable, GetCubeTable)
  SMUTIL_RP_PARENT_SET(ACubeTable, SetCubeTable)
  SMUTIL_RP_REL(AHierarchy, GetHierarchies, RpRel::kPhysicalDimensionHierarchies, 0, 1)
  SMUTIL_RP_REL(ACubeColumn, GetCubeColumns, RpRel::kPhysicalDimensionCubeColumns, 0, 1)
};

// ---- mappings ------------------------------------------------------------

class AAttributeDefn : public ARpObject {};
class AEntityDefn : public ARpObject {};
class ARelationshipDefn : public ARpObject {};

// ---- presentation layer --------------------------------------------------

// A presentation folder: the class of subject areas, presentation tables,
// hierarchies and levels, with the display-name family of accessors.
class AFolder : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AFolder, GetContainer)
  SMUTIL_RP_PARENT_SET(AFolder, SetContainer)
  SMUTIL_RP_CHILDREN(AFolder, GetSubFolders, kTIDAFolder, kTIDAEntityAttr, kTIDASchemaFolder, kTIDAEntityFolder)
  // The presentation columns of a table; of a presentation level, the
  // columns related to the level.
  BinaryRelIter<AFolderAttr> GetFolderAttrs() const;
  SMUTIL_RP_CHILDREN(APresentationHierarchy, GetHierarchies, kTIDAPresentationHierarchy)
  SMUTIL_RP_DISPLAY_ACCESSORS
};

class AEntityAttr : public AFolder {};

class ACatalogFolder : public AFolder {
 public:
  // The business model the subject area presents.
  Ref<ASubjectArea> GetSubjectArea() const { return RefProperty<ASubjectArea>(RpProp::kSubjectArea); }
  void SetSubjectArea(const Ref<ASubjectArea>& businessModel);
};

class ASchemaFolder : public AFolder {};

class AEntityFolder : public AFolder {
 public:
  // The subject area above the table (through a schema folder if any).
  Ref<ACatalogFolder> GetCatalogFolder() const;
};

class AFolderAttr : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AFolder, GetContainer)
  SMUTIL_RP_PARENT_SET(AFolder, SetContainer)
  Ref<AAttribute> GetLogicalColumn() const {
    return FirstRelated<AAttribute>(RpRel::kLogicalToPresentationColumn, 1, 0);
  }
  void SetLogicalColumn(const Ref<AAttribute>& column) {
    SetSingleRelated(RpRel::kLogicalToPresentationColumn, 1, Ref<ARpObject>(column));
  }
  // The presentation columns that show a logical column (relationship 30),
  // in the order AAttribute::GetPresentationColumns gives.
  static BinaryRelIter<AFolderAttr> GetFolderAttrsFromColumn(const Ref<AAttribute>& logicalColumn);
  SMUTIL_RP_REL(APresentationLevel, GetPresentationLevels, RpRel::kPresentationLevelColumns, 1, 0)
  SMUTIL_RP_EXPR(HideObjectExpr, HideObjectExpr)
  SMUTIL_RP_DISPLAY_ACCESSORS
};

class APresentationHierarchy : public AFolder {
 public:
  SMUTIL_RP_CHILDREN(APresentationLevel, GetLevels, kTIDAPresentationLevel)
  Ref<ADimension> GetLogicalDimension() const {
    return FirstRelated<ADimension>(RpRel::kPresentationHierarchyDimension, 0, 1);
  }
  void SetLogicalDimension(const Ref<ADimension>& dimension) {
    SetSingleRelated(RpRel::kPresentationHierarchyDimension, 0, Ref<ARpObject>(dimension));
  }
};

class APresentationLevel : public AFolder {
 public:
  SMUTIL_RP_PARENT_GET(APresentationHierarchy, GetHierarchy)
  Ref<ALevel> GetLogicalLevel() const { return FirstRelated<ALevel>(RpRel::kLogicalToPresentationLevel, 1, 0); }
  void SetLogicalLevel(const Ref<ALevel>& level) {
    SetSingleRelated(RpRel::kLogicalToPresentationLevel, 1, Ref<ARpObject>(level));
  }
  void AddFolderAttr(const Ref<AFolderAttr>& column);
};

class AMktg_CatalogLink : public ARpObject {};
class AMktg_ListCatalog : public ARpObject {};

class AMktg_CustomerType : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(AMktg_SamplingTable, GetSamplingTables, kTIDAMktg_SamplingTable)
  SMUTIL_RP_CHILDREN(AMktg_SegmentationCatalog, GetSegmentationCatalogs, kTIDAMktg_SegmentationCatalog)
  SMUTIL_RP_DISPLAY_ACCESSORS
};

class AMktg_QualifiedItem : public ARpObject {
 public:
  SMUTIL_RP_CHILDREN(AMktg_QualifyingKey, GetQualifyingKeys, kTIDAMktg_QualifyingKey)
};

class AMktg_QualifyingKey : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AMktg_QualifiedItem, GetQualifiedItem)
  SMUTIL_RP_PARENT_SET(AMktg_QualifiedItem, SetQualifiedItem)
};

class AMktg_SamplingTable : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AMktg_CustomerType, GetCustomerType)
  SMUTIL_RP_PARENT_SET(AMktg_CustomerType, SetCustomerType)
};

class AMktg_SegmentationCatalog : public ARpObject {
 public:
  SMUTIL_RP_PARENT_GET(AMktg_CustomerType, GetCustomerType)
  SMUTIL_RP_PARENT_SET(AMktg_CustomerType, SetCustomerType)
};

// ---- security and administration ----------------------------------------

class ASecurityRole : public ARpObject {
 public:
  SMUTIL_RP_REL(AUser, GetUsers, RpRel::kSecurityRoleUsers, 0, 1)
  SMUTIL_RP_REL(ASecurityRole, GetChildSecurityRoles, RpRel::kChildSecurityRoles, 0, 1)
  SMUTIL_RP_REL(ASecurityRole, GetParentSecurityRoles, RpRel::kChildSecurityRoles, 1, 0)
};

class AUser : public ARpObject {
 public:
  SMUTIL_RP_REL(ASecurityRole, GetSecurityRoles, RpRel::kSecurityRoleUsers, 1, 0)
  // The objects the user may not read (with everything below them).
  SMUTIL_RP_REL(ARpObject, GetReadDenials, RpRel::kUserReadDenials, 0, 1)
};

class AObjectPrivilege : public ARpObject {};
class ATypePrivilege : public ARpObject {};
class AQueryPrivilege : public ARpObject {};
class APrivilegePackage : public ARpObject {};
class AUserDatabaseSignon : public ARpObject {};
class ALicense : public ARpObject {};
class AQueryObject : public ARpObject {};

class AProject : public ARpObject {
 public:
  SMUTIL_RP_REL(ARpObject, GetIncludedPresentationObjects, RpRel::kProjectIncluded, 0, 1)
  SMUTIL_RP_REL(ARpObject, GetExcludedPresentationObjects, RpRel::kProjectExcluded, 0, 1)
};

#undef SMUTIL_RP_CHILDREN
#undef SMUTIL_RP_PARENT_GET
#undef SMUTIL_RP_PARENT_SET
#undef SMUTIL_RP_REL
#undef SMUTIL_RP_STRING
#undef SMUTIL_RP_BYTES
#undef SMUTIL_RP_EXPR
#undef SMUTIL_RP_DISPLAY_ACCESSORS
