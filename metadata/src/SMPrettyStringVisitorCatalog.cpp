// References written inside a presentation catalog (subject-area mode): a
// presentation column of the catalog by its folders and its own name, a
// logical column by the presentation column of the catalog that shows it.
//
// How the parts are settled here:
// - A presentation column is written as its folder path and its name: every
//   folder between the catalog and the column, outermost first (the
//   presentation table, and a folder within it that holds the column).
//   Schema folders, which only group tables, are left out, as a query names
//   tables without them.
// - A logical column is written through one of the presentation columns that
//   show it, with the catalog's own name in front, so the text names the
//   catalog it was resolved in.
// - Among several presentation columns of a logical column, the first one in
//   the logical column's own order of its presentation columns wins: the
//   first one an administrator mapped, which stays first across saves.
// - A candidate is written only when the user may read it and its folder;
//   a column the user may not read never shows through the catalog, and the
//   reference then falls back to its ordinary form.
#include <vector>

#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/Networker.h"
#include "objectmodel/TypeIDs.h"

namespace {

// The folders from the catalog down to the one holding column, outermost
// first; false when column does not lie in the catalog.
bool TablesInCatalog(const ARpObject& column, const VoidID& catalogID, std::vector<const ARpObject*>& tables) {
  tables.clear();
  const ARpObject* holder = column.GetParentPointer();
  for (const ARpObject* p = holder; p; p = p->GetParentPointer()) {
    if (p->GetID() == catalogID) {
      std::vector<const ARpObject*> outermostFirst(tables.rbegin(), tables.rend());
      tables.swap(outermostFirst);
      return true;
    }
    // The holding folder is always written, whatever its kind.
    if (p == holder || p->GetTypeID() != kTIDASchemaFolder) tables.push_back(p);
  }
  return false;
}

}  // namespace

bool ToPrettyStringVisitor::WriteCatalogReference(const Ref<ARpObject>& obj, VXString& out) {
  const VoidID catalogID = m_presentationCatalog.GetID();
  const auto readable = [this](const ARpObject& column) {
    const ARpObject* folder = column.GetParentPointer();
    return folder && Authorization::IsAuthorizedToRead(m_pRp, column.GetID()) &&
           Authorization::IsAuthorizedToRead(m_pRp, folder->GetID());
  };
  // The parts are objects in hand: a handle from the pointer, not a second
  // lookup by id.
  const auto nameOf = [this](const ARpObject& part) {
    return ModifyName(m_bCustomDisplayName ? DisplayNameOf(Ref<ARpObject>(const_cast<ARpObject*>(&part)))
                                           : part.GetName());
  };
  // Folder names come back for every column of the folder: made once a walk.
  const auto appendFolderName = [&](const ARpObject& folder) {
    auto [it, bNew] = m_folderNames.try_emplace(folder.GetID());
    if (bNew) it->second = nameOf(folder);
    out += it->second;
    out.push_back(U'.');
  };
  const auto writeParts = [&](const std::vector<const ARpObject*>& tables, const ARpObject& column) {
    for (const ARpObject* table : tables) appendFolderName(*table);
    out += nameOf(column);
  };

  std::vector<const ARpObject*> tables;
  if (obj->GetTypeID() == kTIDAFolderAttr) {
    if (!TablesInCatalog(*obj, catalogID, tables) || !readable(*obj)) return false;
    writeParts(tables, *obj);
    return true;
  }
  if (obj->GetTypeID() != kTIDAAttribute) return false;
  BinaryRelIter<AFolderAttr> candidates = AFolderAttr::GetFolderAttrsFromColumn(Ref<AAttribute>(obj));
  for (candidates.ToBegin(); !candidates.IsEnd(); ++candidates) {
    const Ref<AFolderAttr> candidate = *candidates;
    if (candidate.IsNull()) continue;
    const ARpObject& column = *candidate.Get();
    if (!TablesInCatalog(column, catalogID, tables) || !readable(column)) continue;
    appendFolderName(*m_presentationCatalog.Get());
    writeParts(tables, column);
    return true;
  }
  return false;
}
