// Presentation ordering and drill paths: sorting mixed presentation objects
// into their five kinds, a column's siblings, and the presentation objects
// that stand for logical columns, keys and levels, preferring those of one
// presentation table.
//
// The logical-to-presentation mappings are read in the order the logical
// object sees them (relationships 30 and 32 are sorted by their logical
// side), so "the first" presentation object is the first one an
// administrator put there, and it stays first across saves and reloads.
#include <utility>

#include "Metadata/SMUtil.h"
#include "objectmodel/TypeIDs.h"

namespace {

// The presentation table a level's hierarchy lives in; null when the level
// or its hierarchy is missing.
Ref<AFolder> TableOfHierarchyOf(const Ref<APresentationLevel>& level) {
  if (level.IsNull()) return Ref<AFolder>();
  Ref<APresentationHierarchy> hierarchy = level->GetHierarchy();
  return hierarchy.IsNull() ? Ref<AFolder>() : hierarchy->GetContainer();
}

// The first candidate whose table (as tableOf finds it) is preferredTable,
// else the first candidate; null when there is none. Two null tables count
// as the same table.
template <class T, class TableOf>
Ref<ARpObject> PickPreferred(BinaryRelIter<T> candidates, const Ref<AFolder>& preferredTable, TableOf tableOf) {
  Ref<ARpObject> first;
  for (candidates.ToBegin(); !candidates.IsEnd(); ++candidates) {
    Ref<T> candidate = *candidates;
    if (candidate.IsNull()) continue;
    if (tableOf(candidate) == preferredTable) return Ref<ARpObject>(candidate);
    if (first.IsNull()) first = Ref<ARpObject>(candidate);
  }
  return first;
}

void SplitPresentationObjects(BinaryRelIter<ARpObject> objectIter, RpObjectVector& catalogs, RpObjectVector& tables,
                              RpObjectVector& columns, RpObjectVector& hierarchies, RpObjectVector& levels) {
  for (objectIter.ToBegin(); !objectIter.IsEnd(); ++objectIter) {
    MetadataUtil::SortPresentationObjects(*objectIter, catalogs, tables, columns, hierarchies, levels);
  }
}

void GetFolderAttrsRelatedToLogicalColumns(const Ref<AFolder>& preferredTable, const RpObjectVector& logicalColumns,
                                           RpObjectVector& relatedFolderAttrs) {
  const auto folderOf = [](const Ref<AFolderAttr>& column) { return column->GetContainer(); };
  for (const Ref<ARpObject>& object : logicalColumns) {
    Ref<AAttribute> logicalColumn(object);
    if (logicalColumn.IsNull()) continue;
    Ref<ARpObject> chosen =
        PickPreferred(AFolderAttr::GetFolderAttrsFromColumn(logicalColumn), preferredTable, folderOf);
    if (!chosen.IsNull()) relatedFolderAttrs.push_back(std::move(chosen));
  }
}

void AppendAll(BinaryRelIter<AAttribute> attributes, RpObjectVector& out) {
  for (attributes.ToBegin(); !attributes.IsEnd(); ++attributes) {
    Ref<ARpObject> attribute = attributes.GetObjRef();
    if (!attribute.IsNull()) out.push_back(std::move(attribute));
  }
}

}  // namespace

void MetadataUtil::SortPresentationObjects(const Ref<ARpObject>& object, RpObjectVector& catalogs,
                                           RpObjectVector& tables, RpObjectVector& columns, RpObjectVector& hierarchies,
                                           RpObjectVector& levels) {
  if (object.IsNull()) return;
  switch (object->GetTypeID()) {
    case kTIDACatalogFolder:
      catalogs.push_back(object);
      break;
    case kTIDAEntityFolder:
      tables.push_back(object);
      break;
    case kTIDAFolderAttr:
      columns.push_back(object);
      break;
    case kTIDAPresentationHierarchy:
      hierarchies.push_back(object);
      break;
    case kTIDAPresentationLevel:
      levels.push_back(object);
      break;
    default:
      break;  // not one of the five kinds
  }
}

void MetadataUtil::SplitProjectIncludedPresentationObjects(const Ref<AProject>& project, RpObjectVector& catalogs,
                                                           RpObjectVector& tables, RpObjectVector& columns,
                                                           RpObjectVector& hierarchies, RpObjectVector& levels) {
  if (project.IsNull()) return;
  SplitPresentationObjects(project->GetIncludedPresentationObjects(), catalogs, tables, columns, hierarchies, levels);
}

void MetadataUtil::SplitProjectExcludedPresentationObjects(const Ref<AProject>& project, RpObjectVector& catalogs,
                                                           RpObjectVector& tables, RpObjectVector& columns,
                                                           RpObjectVector& hierarchies, RpObjectVector& levels) {
  if (project.IsNull()) return;
  SplitPresentationObjects(project->GetExcludedPresentationObjects(), catalogs, tables, columns, hierarchies, levels);
}

void MetadataUtil::CollectSelfAndSiblingObjects(const Ref<AFolderAttr>& presColumn, RpObjectVector& selfAndSiblings) {
  if (presColumn.IsNull()) return;
  Ref<AFolder> folder = presColumn->GetContainer();
  if (folder.IsNull()) {
    selfAndSiblings.push_back(Ref<ARpObject>(presColumn));
    return;
  }
  BinaryRelIter<AFolderAttr> columns = folder->GetFolderAttrs();
  for (columns.ToBegin(); !columns.IsEnd(); ++columns) {
    Ref<ARpObject> column = columns.GetObjRef();
    if (!column.IsNull()) selfAndSiblings.push_back(std::move(column));
  }
}

void MetadataUtil::GetFolderAttrsRelatedToLogicalKey(const Ref<AFolder>& preferredTable, const Ref<AKey>& logicalKey,
                                                     RpObjectVector& relatedFolderAttrs) {
  if (logicalKey.IsNull()) return;
  RpObjectVector attributes;
  AppendAll(logicalKey->GetAttributes(), attributes);
  GetFolderAttrsRelatedToLogicalColumns(preferredTable, attributes, relatedFolderAttrs);
}

void MetadataUtil::GetPresentationLevelAttributes(const Ref<APresentationLevel>& level, RpObjectVector& folderAttrs) {
  if (level.IsNull()) return;
  Ref<ALevel> logicalLevel = level->GetLogicalLevel();
  if (logicalLevel.IsNull()) return;
  RpObjectVector attributes;
  AppendAll(logicalLevel->GetAttributes(), attributes);
  GetFolderAttrsRelatedToLogicalColumns(TableOfHierarchyOf(level), attributes, folderAttrs);
}

void MetadataUtil::GetDrillToLevelsByPreferredDrillPath(const Ref<APresentationLevel>& level,
                                                        RpObjectVector& drillToLevels) {
  if (level.IsNull()) return;
  const Ref<AFolder> preferredTable = TableOfHierarchyOf(level);
  Ref<ALevel> logicalLevel = level->GetLogicalLevel();
  if (logicalLevel.IsNull()) return;
  BinaryRelIter<ALevel> drillPath = logicalLevel->GetPreferredUIDrilldown();
  for (drillPath.ToBegin(); !drillPath.IsEnd(); ++drillPath) {
    Ref<ALevel> target = *drillPath;
    if (target.IsNull()) continue;
    Ref<ARpObject> chosen = PickPreferred(target->GetPresentationLevels(), preferredTable, TableOfHierarchyOf);
    if (!chosen.IsNull()) drillToLevels.push_back(std::move(chosen));
  }
}
