// GetUDMLChildren: what a search (and a UDML export) visits below a container,
// by the container's type, through the object model's named relations.
#include "Metadata/SMLookupCondition.h"
#include "SMLookupConditionShared.h"

namespace {

template <class T>
void AddAll(BinaryRelIter<T> it, RpObjectVector& children) {
  for (it.ToBegin(); !it.IsEnd(); ++it) AddObject(Ref<ARpObject>(*it), children);
}

// The parent as interface T; nothing is added when the object is not one.
template <class T, class Fn>
void With(const Ref<ARpObject>& parent, Fn&& fn) {
  const Ref<T> typed(parent);
  if (!typed.IsNull()) fn(*typed);
}

}  // namespace

void GetUDMLChildren(const Ref<ARpObject>& parent, RpObjectVector& children) {
  const ARpObject* p = parent.Get();
  if (!p) return;
  switch (smlookup::TypeOf(*p)) {
    case kTIDASubjectArea:
      With<ASubjectArea>(parent, [&](const ASubjectArea& o) {
        AddAll(o.GetDisplayFolders(), children);
        AddAll(o.GetLogicalTables(), children);
        AddAll(o.GetDimensions(), children);
      });
      break;
    case kTIDARelationship:
    case kTIDALevelToLevel:
      With<ARelationship>(parent, [&](const ARelationship& o) { AddAll(o.GetRoles(), children); });
      break;
    case kTIDAAttribute:
      With<AAttribute>(parent, [&](const AAttribute& o) { AddObject(Ref<ARpObject>(o.GetMeasureDefn()), children); });
      break;
    case kTIDADimension:
      With<ADimension>(parent, [&](const ADimension& o) { AddAll(o.GetAllLevels(), children); });
      break;
    case kTIDALevel:
      With<ALevel>(parent, [&](const ALevel& o) {
        AddAll(o.GetKeys(), children);
        AddAll(o.GetRelativeSequenceNumbers(), children);
      });
      break;
    case kTIDALogicalTable:
      With<ALogicalTable>(parent, [&](const ALogicalTable& o) {
        AddAll(o.GetColumns(), children);
        AddAll(o.GetKeys(), children);
        AddAll(o.GetForeignKeys(), children);
        AddObject(Ref<ARpObject>(o.GetSourceFolder()), children);
        AddAll(o.GetSources(), children);
      });
      break;
    case kTIDAMeasureDefn:
      With<AMeasureDefn>(parent, [&](const AMeasureDefn& o) {
        AddAll(o.GetAggrRules(), children);
        AddAll(o.GetOverrideAggrRules(), children);
      });
      break;
    case kTIDATable:
      With<ATable>(parent, [&](const ATable& o) {
        AddAll(o.GetColumns(), children);
        AddAll(o.GetTableKeys(), children);
        AddAll(o.GetForeignKeys(), children);
      });
      break;
    case kTIDADatabase:
      With<ADatabase>(parent, [&](const ADatabase& o) {
        AddAll(o.GetTables(), children);
        AddAll(o.GetSubFolders(), children);
        AddAll(o.GetConnectionPools(), children);
        AddAll(o.GetDisplayFolders(), children);
      });
      break;
    case kTIDACatalog:
      With<ACatalog>(parent, [&](const ACatalog& o) {
        AddAll(o.GetSubFolders(), children);
        AddAll(o.GetTables(), children);
      });
      break;
    case kTIDASchema:
      With<ASchema>(parent, [&](const ASchema& o) { AddAll(o.GetTables(), children); });
      break;
    case kTIDASessionVariableBlock:
      With<ASessionVariableBlock>(parent,
                                  [&](const ASessionVariableBlock& o) { AddAll(o.GetAssociatedVariables(), children); });
      break;
    case kTIDACubeTable:
      With<ACubeTable>(parent, [&](const ACubeTable& o) {
        AddAll(o.GetHierarchies(), children);
        AddAll(o.GetDimensions(), children);
      });
      break;
    case kTIDAHierarchy:
      With<AHierarchy>(parent, [&](const AHierarchy& o) { AddAll(o.GetPhysicalLevels(), children); });
      break;
    // The tables of a physical display folder. (An analytic workspace, whose
    // number has been listed with this row, is no display folder and has no
    // tables: the row belongs to the display folder's own type.)
    case kTIDAPhysicalDisplayFolder:
      With<APhysicalDisplayFolder>(parent, [&](const APhysicalDisplayFolder& o) { AddAll(o.GetTables(), children); });
      break;
    case kTIDAAWDimension:
      With<AAWDimension>(parent, [&](const AAWDimension& o) {
        AddAll(o.GetColumns(), children);
        AddAll(o.GetHierarchies(), children);
      });
      break;
    case kTIDAAWCube:
      With<AAWCube>(parent, [&](const AAWCube& o) { AddAll(o.GetColumns(), children); });
      break;
    case kTIDAAWHierarchy:
      With<AAWHierarchy>(parent, [&](const AAWHierarchy& o) { AddAll(o.GetLevels(), children); });
      break;
    case kTIDACatalogFolder:
      With<ACatalogFolder>(parent, [&](const ACatalogFolder& o) { AddAll(o.GetSubFolders(), children); });
      break;
    case kTIDAEntityFolder:
      With<AEntityFolder>(parent, [&](const AEntityFolder& o) {
        AddAll(o.GetFolderAttrs(), children);
        AddAll(o.GetHierarchies(), children);
      });
      break;
    case kTIDAMktg_CustomerType:
      With<AMktg_CustomerType>(parent, [&](const AMktg_CustomerType& o) {
        AddAll(o.GetSamplingTables(), children);
        AddAll(o.GetSegmentationCatalogs(), children);
      });
      break;
    case kTIDAMktg_QualifiedItem:
      With<AMktg_QualifiedItem>(parent, [&](const AMktg_QualifiedItem& o) { AddAll(o.GetQualifyingKeys(), children); });
      break;
    case kTIDAPresentationHierarchy:
      With<APresentationHierarchy>(parent, [&](const APresentationHierarchy& o) { AddAll(o.GetLevels(), children); });
      break;
    default:
      break;
  }
}
