// Moving an object under a new parent. "Parent" is a different link for each
// kind of object, so the move is one table with a row per object type: the
// parent types the row accepts and the step that makes the link. The tool
// asks the same rows which parent types a type may be given
// (GetNewParentTypes), so the rule lives in one place.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "Metadata/SMUtil.h"
#include "Utility/VXAssert.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/TypeIDs.h"

namespace {

constexpr const char* kSrc = "server/Metadata/Src/SMUtil.cpp";

TypeID TypeOf(const Ref<ARpObject>& obj) {
  const AMetaClass* metaClass = obj->GetMetaClass();
  return metaClass ? metaClass->GetTypeID() : obj->GetTypeID();
}

// ---- the steps ------------------------------------------------------------

// The class and handle type of a one-argument parent setter.
template <class Fn>
struct SetterTraits;
template <class C, class P>
struct SetterTraits<void (C::*)(const Ref<P>&)> {
  using Class = C;
  using Param = P;
};

// Calls the class setter on obj with newParent as the setter's handle type.
template <auto Setter>
void CallSetter(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  using Traits = SetterTraits<decltype(Setter)>;
  Ref<typename Traits::Class> target(obj);
  (target.operator->()->*Setter)(Ref<typename Traits::Param>(newParent));
}

// A parent that must stand for another object (a physical dimension for its
// cube table, ...) and does not is a model the move cannot make sense of.
Ref<ARpObject> MustResolve(const Ref<ARpObject>& obj, int line) {
  if (obj.IsNull()) VXAssert::handleLogicError(kSrc, line, "the new parent stands for no object of the needed type");
  return obj;
}

// Erases obj's links of rel to objects that no longer belong to container:
// a cube column or hierarchy that leaves its cube table leaves the
// dimensions of that table, an AW column the hierarchies and levels of its
// former AW dimension.
void DropLinksOutside(const Ref<ARpObject>& obj, RelID rel, int objArg, int otherArg, const Ref<ARpObject>& container,
                      Ref<ARpObject> (*containerOf)(const Ref<ARpObject>&)) {
  VoidRelIter it(obj.GetGateway(), obj.GetID(), rel, {objArg}, otherArg);
  while (!it.IsEnd()) {
    if (containerOf(it.GetObjRef()) == container) {
      ++it;
    } else {
      it.Erase();
    }
  }
}

Ref<ARpObject> ParentOf(const Ref<ARpObject>& obj) { return GetObjectParent(obj); }
Ref<ARpObject> AWDimensionOf(const Ref<ARpObject>& hierarchyOrLevel) {
  Ref<ARpObject> hierarchy =
      TypeOf(hierarchyOrLevel) == kTIDAAWLevel ? GetObjectParent(hierarchyOrLevel) : hierarchyOrLevel;
  return GetObjectParent(hierarchy);
}

void MoveSecurityRole(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ASecurityRole>(newParent)->GetChildSecurityRoles().Insert(Ref<ASecurityRole>(obj));
}

void MoveUser(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ASecurityRole>(newParent)->GetUsers().Insert(Ref<AUser>(obj));
}

// The keys an attribute belongs to hold columns of its table only: they go
// before the attribute leaves.
void MoveAttribute(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  ARpGateway* pRp = obj.GetGateway();
  VoidIDVector keyIDs;
  for (BinaryRelIter<AKey> it = Ref<AAttribute>(obj)->GetKeys(); !it.IsEnd(); ++it) keyIDs.push_back(it.GetTargetID());
  for (const VoidID& id : keyIDs) pRp->DeleteObject(id);
  CallSetter<&AAttribute::SetLogicalTable>(obj, newParent);
}

void MoveLogicalTableSource(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ARpObject> table = newParent;
  if (TypeOf(newParent) == kTIDALogicalSourceFolder) {
    table = MustResolve(Ref<ALogicalSourceFolder>(newParent)->GetLogicalTable(), __LINE__);
  }
  CallSetter<&ALogicalTableSource::SetLogicalTable>(obj, table);
}

void MoveLevel(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  switch (TypeOf(newParent)) {
    case kTIDADimension:
      return CallSetter<&ALevel::SetDimensionOfRoot>(obj, newParent);
    case kTIDALevel:
      return CallSetter<&ALevel::SetDefaultParent>(obj, newParent);
    default:
      return CallSetter<&ALevel::SetSubjectArea>(obj, newParent);
  }
}

void MoveRelativeSequenceNumber(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ALevel>(newParent)->GetRelativeSequenceNumbers().Insert(Ref<ARelativeSequenceNumber>(obj));
}

// A column given a physical dimension or a hierarchy goes to the cube table
// that holds it; a cube column also joins the dimension's columns.
void MoveColumn(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ARpObject> table = newParent;
  const TypeID parentType = TypeOf(newParent);
  if (parentType == kTIDAPhysicalDimension || parentType == kTIDAHierarchy) {
    table = MustResolve(GetObjectParent(newParent), __LINE__);
  }
  CallSetter<&AColumn::SetTable>(obj, table);
  if (TypeOf(obj) != kTIDACubeColumn) return;
  DropLinksOutside(obj, RpRel::kPhysicalDimensionCubeColumns, 1, 0, table, ParentOf);
  if (parentType == kTIDAPhysicalDimension) {
    ARelation::InsertRelationship(RpRel::kPhysicalDimensionCubeColumns, {newParent, obj});
  }
}

void MovePhysicalDisplayFolder(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  // Containment: leaving the old database's folder list and joining the new
  // one's is one step.
  CallSetter<&APhysicalDisplayFolder::SetDatabase>(obj, newParent);
}

void MoveLogicalDisplayFolder(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  CallSetter<&ALogicalDisplayFolder::SetSubjectArea>(obj, newParent);
}

void MoveHierarchy(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  const bool bDimension = TypeOf(newParent) == kTIDAPhysicalDimension;
  const Ref<ARpObject> cube = bDimension ? MustResolve(GetObjectParent(newParent), __LINE__) : newParent;
  CallSetter<&AHierarchy::SetCubeTable>(obj, cube);
  DropLinksOutside(obj, RpRel::kPhysicalDimensionHierarchies, 1, 0, cube, ParentOf);
  if (bDimension) Ref<APhysicalDimension>(newParent)->GetHierarchies().Insert(Ref<AHierarchy>(obj));
}

// Index of obj among the hierarchy's levels (their order is top first).
std::size_t LevelPosition(const BinaryRelIter<APhysicalLevel>& levels, const VoidID& id) {
  const VoidIDVector& ids = levels.GetIDs();
  return static_cast<std::size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

void MovePhysicalLevel(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  if (TypeOf(newParent) == kTIDAHierarchy) {
    // A level given a hierarchy becomes its top level.
    CallSetter<&APhysicalLevel::SetHierarchy>(obj, newParent);
    BinaryRelIter<APhysicalLevel> levels = Ref<AHierarchy>(newParent)->GetPhysicalLevels();
    levels.SetPosition(LevelPosition(levels, obj.GetID()));
    levels.MoveUp(levels.GetPosition());
    return;
  }
  // A level given a level goes into that level's hierarchy, right below it:
  // the level order runs from the top, so a level's children follow it.
  const Ref<ARpObject> hierarchy = MustResolve(GetObjectParent(newParent), __LINE__);
  if (!(GetObjectParent(obj) == hierarchy)) MetadataUtil::SetParent(obj, hierarchy);
  const RpObjectVector tuple{hierarchy, obj};
  for (;;) {
    const BinaryRelIter<APhysicalLevel> levels = Ref<AHierarchy>(hierarchy)->GetPhysicalLevels();
    const std::size_t self = LevelPosition(levels, obj.GetID());
    const std::size_t parent = LevelPosition(levels, newParent.GetID());
    if (self == parent + 1) return;
    const bool bMoved = self < parent ? ARelation::MoveDownInSortedRelationship(RpRel::kContainment, tuple)
                                      : ARelation::MoveUpInSortedRelationship(RpRel::kContainment, tuple);
    if (!bMoved) return;
  }
}

void MoveAWColumn(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  const TypeID parentType = TypeOf(newParent);
  Ref<ARpObject> table = newParent;
  if (parentType == kTIDAAWHierarchy || parentType == kTIDAAWLevel) {
    table = MustResolve(AWDimensionOf(newParent), __LINE__);
  }
  CallSetter<&AColumn::SetTable>(obj, table);
  DropLinksOutside(obj, RpRel::kAWColumnLink, 0, 1, table, AWDimensionOf);
  if (parentType == kTIDAAWHierarchy || parentType == kTIDAAWLevel) Ref<AAWColumn>(obj)->AddAWLink(newParent);
}

// A dimension's hierarchies and cube columns are those of its cube table:
// the ones of the table it leaves are no longer its own.
void MovePhysicalDimension(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  Ref<ACubeTable>(newParent)->GetDimensions().Insert(Ref<APhysicalDimension>(obj));
  DropLinksOutside(obj, RpRel::kPhysicalDimensionHierarchies, 0, 1, newParent, ParentOf);
  DropLinksOutside(obj, RpRel::kPhysicalDimensionCubeColumns, 0, 1, newParent, ParentOf);
}

void MoveFolderAttr(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  if (TypeOf(newParent) == kTIDAPresentationLevel) {
    // A presentation column stays in its table; the level lists it.
    ARelation::InsertRelationship(RpRel::kPresentationLevelColumns, {newParent, obj});
    return;
  }
  CallSetter<&AFolderAttr::SetContainer>(obj, newParent);
}

// ---- the table --------------------------------------------------------------

using MoveFn = void (*)(const Ref<ARpObject>&, const Ref<ARpObject>&);

struct MoveRow {
  TypeID m_type;
  int m_line;  // reported when the row refuses a move
  // The step; null for types that cannot be given a parent.
  MoveFn m_move;
  std::vector<TypeID> m_parentTypes;
  // Another parent type is ignored rather than refused (users).
  bool m_bIgnoreOthers = false;
};

#define SMUTIL_MOVE(type, fn, ...)      \
  MoveRow {                             \
    type, __LINE__, fn, { __VA_ARGS__ } \
  }
#define SMUTIL_NO_PARENT(type)  \
  MoveRow {                     \
    type, __LINE__, nullptr, {} \
  }

const std::vector<MoveRow>& MoveTable() {
  static const std::vector<MoveRow> rows = {
      MoveRow{kTIDAUser, __LINE__, MoveUser, {kTIDASecurityRole}, true},
      SMUTIL_MOVE(kTIDASecurityRole, MoveSecurityRole, kTIDASecurityRole),
      SMUTIL_NO_PARENT(kTIDASubjectArea),
      SMUTIL_MOVE(kTIDAEntity, CallSetter<&AEntity::SetSubjectArea>, kTIDASubjectArea),
      SMUTIL_MOVE(kTIDALogicalTable, CallSetter<&ALogicalTable::SetSubjectArea>, kTIDASubjectArea),
      SMUTIL_MOVE(kTIDADimension, CallSetter<&ADimension::SetSubjectArea>, kTIDASubjectArea),
      SMUTIL_MOVE(kTIDALogicalDisplayFolder, MoveLogicalDisplayFolder, kTIDASubjectArea),
      SMUTIL_NO_PARENT(kTIDARelationship),
      SMUTIL_NO_PARENT(kTIDALevelToLevel),
      SMUTIL_MOVE(kTIDARole, CallSetter<&ARole::SetRelationship>, kTIDARelationship, kTIDALevelToLevel),
      SMUTIL_MOVE(kTIDAAttribute, MoveAttribute, kTIDALogicalTable),
      SMUTIL_MOVE(kTIDAKey, CallSetter<&AKey::SetContainerEntity>, kTIDAEntity, kTIDALevel, kTIDALogicalTable),
      SMUTIL_MOVE(kTIDALogicalForeignKey, CallSetter<&ALogicalForeignKey::SetContainerEntity>, kTIDALogicalTable),
      SMUTIL_MOVE(kTIDALogicalTableSource, MoveLogicalTableSource, kTIDALogicalTable, kTIDALogicalSourceFolder),
      SMUTIL_MOVE(kTIDALogicalSourceFolder, CallSetter<&ALogicalSourceFolder::SetLogicalTable>, kTIDALogicalTable),
      SMUTIL_MOVE(kTIDAMeasureDefn, CallSetter<&AMeasureDefn::SetContainerAttribute>, kTIDAAttribute),
      SMUTIL_MOVE(kTIDAAggrRule, CallSetter<&AAggrRule::SetMeasureDefn>, kTIDAMeasureDefn),
      SMUTIL_MOVE(kTIDAOverrideAggrRule, CallSetter<&AOverrideAggrRule::SetMeasureDefn>, kTIDAMeasureDefn),
      SMUTIL_MOVE(kTIDARelativeSequenceNumber, MoveRelativeSequenceNumber, kTIDALevel),
      SMUTIL_MOVE(kTIDALevel, MoveLevel, kTIDADimension, kTIDALevel, kTIDASubjectArea),
      SMUTIL_MOVE(kTIDATable, CallSetter<&ATable::SetContainer>, kTIDADatabase, kTIDACatalog, kTIDASchema),
      SMUTIL_MOVE(kTIDACubeTable, CallSetter<&ACubeTable::SetContainer>, kTIDADatabase, kTIDACatalog, kTIDASchema),
      SMUTIL_MOVE(kTIDAColumn, MoveColumn, kTIDATable, kTIDACubeTable, kTIDAPhysicalDimension, kTIDAHierarchy),
      // A cube column lives in cube tables only.
      SMUTIL_MOVE(kTIDACubeColumn, MoveColumn, kTIDACubeTable, kTIDAPhysicalDimension, kTIDAHierarchy),
      SMUTIL_MOVE(kTIDAForeignKey, CallSetter<&AForeignKey::SetContainer>, kTIDATable, kTIDACubeTable),
      SMUTIL_MOVE(kTIDATableKey, CallSetter<&ATableKey::SetTable>, kTIDATable, kTIDACubeTable),
      SMUTIL_NO_PARENT(kTIDAComplexJoin),
      SMUTIL_NO_PARENT(kTIDADatabase),
      SMUTIL_NO_PARENT(kTIDAInitBlock),
      SMUTIL_NO_PARENT(kTIDAProject),
      SMUTIL_MOVE(kTIDACatalog, CallSetter<&ACatalog::SetDatabase>, kTIDADatabase),
      SMUTIL_MOVE(kTIDASchema, CallSetter<&ASchema::SetContainer>, kTIDADatabase, kTIDACatalog),
      SMUTIL_MOVE(kTIDAConnectionPool, CallSetter<&AConnectionPool::SetDatabase>, kTIDADatabase),
      SMUTIL_MOVE(kTIDARpVariable, CallSetter<&ARpVariable::SetInitBlock>, kTIDAInitBlock),
      SMUTIL_MOVE(kTIDAPhysicalDisplayFolder, MovePhysicalDisplayFolder, kTIDADatabase),
      SMUTIL_MOVE(kTIDAHierarchy, MoveHierarchy, kTIDACubeTable, kTIDAPhysicalDimension),
      SMUTIL_MOVE(kTIDAPhysicalLevel, MovePhysicalLevel, kTIDAHierarchy, kTIDAPhysicalLevel),
      SMUTIL_MOVE(kTIDAAnalyticWorkspace, CallSetter<&AAnalyticWorkspace::SetContainer>, kTIDACatalog),
      SMUTIL_MOVE(kTIDAAWDimension, CallSetter<&AAWDimension::SetContainer>, kTIDAAnalyticWorkspace),
      SMUTIL_MOVE(kTIDAAWCube, CallSetter<&AAWCube::SetContainer>, kTIDAAnalyticWorkspace),
      SMUTIL_MOVE(kTIDAAWHierarchy, CallSetter<&AAWHierarchy::SetDimension>, kTIDAAWDimension),
      SMUTIL_MOVE(kTIDAAWLevel, CallSetter<&AAWLevel::SetHierarchy>, kTIDAAWHierarchy),
      SMUTIL_MOVE(kTIDAAWColumn, MoveAWColumn, kTIDAAWDimension, kTIDAAWCube, kTIDAAWHierarchy, kTIDAAWLevel),
      SMUTIL_MOVE(kTIDAPhysicalDimension, MovePhysicalDimension, kTIDACubeTable),
      SMUTIL_NO_PARENT(kTIDAAttributeDefn),
      SMUTIL_NO_PARENT(kTIDAEntityDefn),
      SMUTIL_NO_PARENT(kTIDARelationshipDefn),
      SMUTIL_MOVE(kTIDAFolder, CallSetter<&AFolder::SetContainer>, kTIDAFolder, kTIDACatalogFolder, kTIDASchemaFolder,
                  kTIDAEntityFolder),
      SMUTIL_MOVE(kTIDAEntityAttr, CallSetter<&AEntityAttr::SetContainer>, kTIDAFolder, kTIDACatalogFolder,
                  kTIDASchemaFolder, kTIDAEntityFolder),
      SMUTIL_NO_PARENT(kTIDACatalogFolder),
      SMUTIL_NO_PARENT(kTIDAMktg_CatalogLink),
      SMUTIL_NO_PARENT(kTIDAMktg_CustomerType),
      SMUTIL_NO_PARENT(kTIDAMktg_ListCatalog),
      SMUTIL_NO_PARENT(kTIDAMktg_QualifiedItem),
      SMUTIL_MOVE(kTIDASchemaFolder, CallSetter<&ASchemaFolder::SetContainer>, kTIDACatalogFolder),
      SMUTIL_MOVE(kTIDAEntityFolder, CallSetter<&AEntityFolder::SetContainer>, kTIDACatalogFolder, kTIDASchemaFolder),
      SMUTIL_MOVE(kTIDAFolderAttr, MoveFolderAttr, kTIDAEntityFolder, kTIDAPresentationLevel),
      SMUTIL_MOVE(kTIDAPresentationHierarchy, CallSetter<&APresentationHierarchy::SetContainer>, kTIDAEntityFolder),
      SMUTIL_MOVE(kTIDAPresentationLevel, CallSetter<&APresentationLevel::SetContainer>, kTIDAPresentationHierarchy),
      SMUTIL_MOVE(kTIDAMktg_QualifyingKey, CallSetter<&AMktg_QualifyingKey::SetQualifiedItem>, kTIDAMktg_QualifiedItem),
      SMUTIL_MOVE(kTIDAMktg_SamplingTable, CallSetter<&AMktg_SamplingTable::SetCustomerType>, kTIDAMktg_CustomerType),
      SMUTIL_MOVE(kTIDAMktg_SegmentationCatalog, CallSetter<&AMktg_SegmentationCatalog::SetCustomerType>,
                  kTIDAMktg_CustomerType),
  };
  return rows;
}

#undef SMUTIL_MOVE
#undef SMUTIL_NO_PARENT

const MoveRow* FindMoveRow(TypeID type) {
  const std::vector<MoveRow>& rows = MoveTable();
  const auto it = std::find_if(rows.begin(), rows.end(), [type](const MoveRow& r) { return r.m_type == type; });
  return it == rows.end() ? nullptr : &*it;
}

}  // namespace

void MetadataUtil::GetNewParentTypes(TypeID type, std::vector<TypeID>& types) {
  if (const MoveRow* row = FindMoveRow(type))
    types.insert(types.end(), row->m_parentTypes.begin(), row->m_parentTypes.end());
}

void MetadataUtil::SetParent(const Ref<ARpObject>& obj, const Ref<ARpObject>& newParent) {
  if (newParent.IsNull()) return;
  if (GetParent(obj) == newParent) return;
  if (obj.IsNull()) VXAssert::handleAssert(kSrc, __LINE__, "!obj.IsNull()");
  const MoveRow* row = FindMoveRow(TypeOf(obj));
  if (!row) VXAssert::handleLogicError(kSrc, __LINE__, "no parent can be set for this type");
  const std::vector<TypeID>& allowed = row->m_parentTypes;
  if (std::find(allowed.begin(), allowed.end(), TypeOf(newParent)) == allowed.end()) {
    if (row->m_bIgnoreOthers) return;
    VXAssert::handleLogicError(kSrc, row->m_line, "parent type not allowed for this type");
  }
  if (newParent == obj) VXAssert::handleLogicError(kSrc, row->m_line, "an object cannot be its own parent");
  row->m_move(obj, newParent);
}
