// Resolving the column names of a query: the columns of one table of the
// layer, by name (presentation columns also by a former name) or all of
// them, under the current user's read permission.
#include <algorithm>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupAlgorithmsShared.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/TypeIDs.h"

using smlookup::IsReadable;

namespace smlookup {

RpObjectVector ColumnsOfLayer(const Ref<ARpObject>& folder, ExprType exprType) {
  // The columns are the table's children of the column types, the same
  // lists as AFolder::GetFolderAttrs, ALogicalTable::GetColumns and
  // ATable::GetColumns walk; read from the child list directly, which
  // spares a lookup by id for every column of every table resolved.
  RpObjectVector columns;
  if (folder.IsNull()) return columns;
  const TypeID type = folder->GetTypeID();
  TypeIDVector columnTypes;
  switch (exprType) {
    case kSME_Logical:
      if (type == kTIDAEntityFolder) columnTypes = {kTIDAFolderAttr};
      break;
    case kSME_BusinessModel:
      if (type == kTIDALogicalTable) columnTypes = {kTIDAAttribute};
      break;
    case kSME_Physical:
      if (type == kTIDATable || type == kTIDACubeTable) columnTypes = {kTIDAColumn, kTIDACubeColumn};
      break;
  }
  if (columnTypes.empty()) return columns;
  for (ARpObject* child : folder->GetChildPointers()) {
    if (std::find(columnTypes.begin(), columnTypes.end(), child->GetTypeID()) != columnTypes.end()) {
      columns.emplace_back(child);
    }
  }
  return columns;
}

}  // namespace smlookup

using smlookup::ColumnsOfLayer;

void AddMatchingFolderColumns(const VoidID& folderID, const VXString& columnName, VoidIDVector& columnIDs,
                              ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection, bool bEmptyNameIsAll,
                              bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessibleColumns) {
  const Ref<ARpObject> folder = pRp->GetObject(folderID);
  const bool bAll = bEmptyNameIsAll && columnName.empty();
  bool bMatchedPresentation = false;
  for (const Ref<ARpObject>& column : ColumnsOfLayer(folder, exprType)) {
    // Presentation columns answer to their former names too: a report
    // written before a rename still runs.
    const bool bMatch =
        bAll || (exprType == kSME_Logical ? NamedInterfaceTypeCondition::MatchesNameOrAliases(columnName, column)
                                          : BaseStringUtil::IsCaseInsensitiveMatch(columnName, column->GetName()));
    if (!bMatch) continue;
    if (!IsReadable(pRp, column.GetID(), bProjectInaccessibleColumnAsNull)) {
      bFoundInaccessibleColumns = true;
      continue;
    }
    columnIDs.push_back(column.GetID());
    bMatchedPresentation = bMatchedPresentation || exprType == kSME_Logical;
  }
  if (bMatchedPresentation) idCollection.insert(folderID);
}

void NamedInterfaceTypeCondition::LookupColumnFromFolder(const VoidID& folderID, const VXString& columnName,
                                                         VoidIDVector& columnIDs, ARpGateway* pRp, ExprType exprType,
                                                         VoidIDSet& idCollection, bool bProjectInaccessibleColumnAsNull,
                                                         bool& bFoundInaccessibleColumns) {
  columnIDs.clear();
  AddMatchingFolderColumns(folderID, columnName, columnIDs, pRp, exprType, idCollection, false,
                           bProjectInaccessibleColumnAsNull, bFoundInaccessibleColumns);
}

void NamedInterfaceTypeCondition::LookupAllColumnsFromFolder(const VoidID& folderID, VoidIDVector& columnIDs,
                                                             ARpGateway* pRp, ExprType exprType,
                                                             VoidIDSet& idCollection,
                                                             bool bProjectInaccessibleColumnAsNull) {
  columnIDs.clear();
  bool bFoundInaccessible = false;
  AddMatchingFolderColumns(folderID, VXString(), columnIDs, pRp, exprType, idCollection, true,
                           bProjectInaccessibleColumnAsNull, bFoundInaccessible);
}

void NamedInterfaceTypeCondition::LookupFullyQualifiedColumn(const QualifiedName& qColumnName, VoidIDVector& columnIDs,
                                                             VoidID folderID, ARpGateway* pRp, ExprType exprType,
                                                             VoidIDSet& idCollection,
                                                             bool bProjectInaccessibleColumnAsNull,
                                                             bool& bFoundInaccessibleColumns) {
  columnIDs.clear();
  if (qColumnName.size() < 2) return;
  const QualifiedName tableName(qColumnName.begin(), qColumnName.end() - 1);
  // The table is found whatever the user may read: a column the user may
  // not read is then reported as such (or projected as null) rather than as
  // a table that does not exist.
  VoidIDVector tables;
  VoidID catalogFolderID;
  LookupFolder(tableName, tables, pRp, exprType, idCollection, catalogFolderID, true);
  folderID = tables.empty() ? VoidID::NullID : tables.front();
  LookupColumnFromFolder(folderID, qColumnName.back(), columnIDs, pRp, exprType, idCollection,
                         bProjectInaccessibleColumnAsNull, bFoundInaccessibleColumns);
}

void NamedInterfaceTypeCondition::GatherMatchesInEntityFolder(ARpGateway* pRp, const Ref<AFolder>& refAFolder,
                                                              const VXString& name, VoidIDVector& ids,
                                                              VoidIDSet& idCollection,
                                                              bool bProjectInaccessibleColumnAsNull) {
  if (refAFolder.IsNull()) return;
  bool bMatched = false;
  for (BinaryRelIter<AFolderAttr> it = refAFolder->GetFolderAttrs(); !it.IsEnd(); ++it) {
    const Ref<ARpObject> column(*it);
    if (column.IsNull() || !IsReadable(pRp, column.GetID(), bProjectInaccessibleColumnAsNull)) continue;
    if (!MatchesNameOrAliases(name, column)) continue;
    ids.push_back(column.GetID());
    bMatched = true;
  }
  if (bMatched) idCollection.insert(refAFolder.GetID());
}

void NamedInterfaceTypeCondition::LookupAllColumnsFromFolderVector(const VoidIDVector& folderIDVector,
                                                                   NameIDPairVector& nameIDPairs, ARpGateway* pRp,
                                                                   ExprType exprType, VoidIDSet& idCollection,
                                                                   bool bProjectInaccessibleColumnAsNull) {
  for (const VoidID& folderID : folderIDVector) {
    bool bContributed = false;
    for (const Ref<ARpObject>& column : ColumnsOfLayer(pRp->GetObject(folderID), exprType)) {
      if (!IsReadable(pRp, column.GetID(), bProjectInaccessibleColumnAsNull)) continue;
      const VXString name =
          exprType == kSME_Logical ? MetadataUtil::GetCustomDisplayName(pRp, column) : column->GetName();
      nameIDPairs.emplace_back(name, column.GetID());
      bContributed = true;
    }
    if (bContributed) idCollection.insert(folderID);
  }
}
