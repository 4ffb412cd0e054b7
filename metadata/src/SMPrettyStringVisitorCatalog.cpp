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
#include <algorithm>
#include <vector>

#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMPrettyNameCache.h"
#include "Utility/IdentifierQuoting.h"
#include "objectmodel/Networker.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/TypeIDs.h"

namespace {

// The folders from the catalog down to the one holding column, outermost
// first; false when column does not lie in the catalog.
bool TablesInCatalog(const ARpObject& column, const VoidID& catalogID, std::vector<const ARpObject*>& tables) {
  tables.clear();
  const ARpObject* holder = column.GetParentPointer();
  for (const ARpObject* p = holder; p; p = p->GetParentPointer()) {
    if (p->GetID() == catalogID) {
      std::reverse(tables.begin(), tables.end());
      return true;
    }
    // The holding folder is always written, whatever its kind.
    if (p == holder || p->GetTypeID() != kTIDASchemaFolder) tables.push_back(p);
  }
  return false;
}

}  // namespace

ToPrettyStringVisitor::CatalogFolder& ToPrettyStringVisitor::FolderOf(const ARpObject& folder) {
  if (!m_folderIndex) m_folderIndex = std::make_unique<pretty_detail::NameCache>();
  // The table holds the folder's place in m_folders.
  if (const pretty_detail::NameCache::Place* known = m_folderIndex->Find(folder.GetID())) {
    return m_folders[known->m_offset];
  }
  m_folderIndex->Store(folder.GetID(), m_folders.size(), 0);
  return m_folders.emplace_back();
}

// The names are appended straight to the output, each part read from the
// object in hand: a column met for the first time costs one lookup of the
// presentation columns that show it and one of each candidate, nothing more.
bool ToPrettyStringVisitor::WriteCatalogReference(const ARpObject& obj, VXString& out) {
  const ARpObject* catalog = m_presentationCatalog.Get();
  // A catalog that is gone holds no column.
  if (!catalog) return false;
  const VoidID& catalogID = m_presentationCatalog.GetID();
  const QuotingRule& rule =
      m_bManditoryDoubleQuotes ? QuotingRules::kSqlIdentifierAlways : QuotingRules::kSqlIdentifierWhenRequired;
  const auto appendName = [&](const ARpObject& part) {
    if (m_bCustomDisplayName) {
      AppendQuotedIdentifier(out, DisplayNameOf(Ref<ARpObject>(const_cast<ARpObject*>(&part))), rule);
    } else {
      AppendQuotedIdentifier(out, part.GetName(), rule);
    }
  };
  // A catalog has few folders and many columns: a folder's written name and
  // whether the user may read it are settled once a walk, each when first
  // asked.
  const auto readable = [&](const ARpObject& column) {
    const ARpObject* folder = column.GetParentPointer();
    if (!folder || !Authorization::IsAuthorizedToRead(m_pRp, column.GetID())) return false;
    CatalogFolder& known = FolderOf(*folder);
    if (known.m_readable < 0) known.m_readable = Authorization::IsAuthorizedToRead(m_pRp, folder->GetID()) ? 1 : 0;
    return known.m_readable == 1;
  };
  const auto appendFolderName = [&](const ARpObject& folder) {
    CatalogFolder& known = FolderOf(folder);
    if (!known.m_bNamed) {
      const std::size_t at = out.size();
      appendName(folder);
      known.m_name.assign(out, at, out.size() - at);
      known.m_bNamed = true;
    } else {
      out += known.m_name;
    }
    out.push_back(U'.');
  };
  const auto writeParts = [&](const std::vector<const ARpObject*>& tables, const ARpObject& column) {
    for (const ARpObject* table : tables) appendFolderName(*table);
    appendName(column);
  };

  std::vector<const ARpObject*>& tables = m_catalogTables;
  if (obj.GetTypeID() == kTIDAFolderAttr) {
    if (!TablesInCatalog(obj, catalogID, tables) || !readable(obj)) return false;
    writeParts(tables, obj);
    return true;
  }
  if (obj.GetTypeID() != kTIDAAttribute) return false;
  // The presentation columns that show the logical column, in the logical
  // column's own order, read from the relation without copying it.
  std::vector<std::uint32_t>& shows = m_catalogTuples;
  shows.clear();
  m_pRp->FindTuples(obj.GetID(), RpRel::kLogicalToPresentationColumn, 1u, shows);
  for (const std::uint32_t handle : shows) {
    const ARpGateway::RelTuple* tuple = m_pRp->GetTuple(handle);
    if (!tuple || tuple->m_args.size() < 2) continue;
    const ARpObject* column = RefHelper::GetObjectPointerFromGatway(m_pRp, tuple->m_args[1]);
    if (!column || column->IsDeleted() || column->GetTypeID() != kTIDAFolderAttr) continue;
    if (!TablesInCatalog(*column, catalogID, tables) || !readable(*column)) continue;
    appendFolderName(*catalog);
    writeParts(tables, *column);
    return true;
  }
  return false;
}
