// Resolving the table names of a query: subject areas and presentation
// tables, business models and logical tables, physical tables. The column
// lookups live in SMLookupColumns.cpp, the "did you mean" answers in
// SMLookupSuggestions.cpp.
//
// Four points the rules leave open are settled here:
//  - A physical name whose first segment is a concatenated catalog name is
//    rebuilt as database, catalog, then (for two segments) an empty schema
//    level, then the rest: "DW.CAT"."T" means a table directly in the
//    catalog, "DW.CAT"."S"."T" one in its schema S. With no delimiter in the
//    segment the catalog part is empty, so "DW"."T" finds a table directly
//    in the database.
//  - The gateway answers the default subject-area name from the session
//    (ARpGateway::GetDefaultSubjectAreaName); bCatalogSpecified there says
//    that the query named a subject area itself, and the gateway may then
//    withhold the default.
//  - A business-model name of three or more segments names no logical table
//    (business model and table are two levels): kNonexistentTable, no pairs.
//  - LookupFolder with a one- or two-segment presentation name whose
//    candidates cannot be narrowed by a default subject area (none is set,
//    or it does not exist for the user) keeps every candidate: a name that
//    one table bears resolves, one that several bear is ambiguous.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <vector>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupAlgorithmsShared.h"
#include "SMLookupConditionShared.h"
#include "SMQualifiedNameWalk.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/Networker.h"
#include "objectmodel/TypeIDs.h"

using RetCode = NamedInterfaceTypeCondition::LookupFolderTreeRetCode;
using NITC = NamedInterfaceTypeCondition;

namespace smlookup {

RetCode CodeFromCount(std::size_t count, bool bFoundInaccessible) {
  if (count == 1) return NITC::kOK;
  if (count > 1) return NITC::kAmbiguousTable;
  return bFoundInaccessible ? NITC::kInaccessibleTable : NITC::kNonexistentTable;
}

bool IsReadable(ARpGateway* pRp, const VoidID& id, bool bProjectInaccessibleColumnAsNull) {
  return bProjectInaccessibleColumnAsNull || Authorization::IsAuthorizedToRead(pRp, id);
}

bool IsReadable(ARpGateway* pRp, ARpObject& obj, bool bProjectInaccessibleColumnAsNull) {
  return bProjectInaccessibleColumnAsNull || Authorization::IsAuthorizedToRead(pRp, obj);
}

void QueryReadable(ARpGateway* pRp, const ACondition& condition, std::vector<ARpObject*>& objects,
                   bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessible) {
  pRp->LookupObjects(condition, objects);
  if (bProjectInaccessibleColumnAsNull) return;
  const std::size_t before = objects.size();
  std::erase_if(objects, [pRp](ARpObject* p) { return !Authorization::IsAuthorizedToRead(pRp, *p); });
  if (objects.size() != before) bFoundInaccessible = true;
}

void AppendAllNames(const ARpObject& obj, QualifiedNameIDPairVector& qNameIDPairs) {
  // Named from the object in hand: the segments are counted, then each is
  // copied once into its place (one allocation per string, no handle, no
  // spare list turned around). The name's pair comes first and takes the
  // name over; each former name's pair follows, built to size from it.
  const std::size_t n = smnames::ForEachSegmentInnermostFirst(obj, [](const VXString&) {});
  QualifiedName q(n);
  std::size_t k = n;
  smnames::ForEachSegmentInnermostFirst(obj, [&](const VXString& segment) { q[--k] = segment; });
  const VXStringVector& aliases = obj.GetAliasList();
  const VoidID id = obj.GetID();
  // Reserved up front, so the name's pair stays in place while the others
  // copy from it.
  qNameIDPairs.reserve(qNameIDPairs.size() + 1 + aliases.size());
  const std::size_t own = qNameIDPairs.size();
  qNameIDPairs.emplace_back(std::move(q), id);
  for (const VXString& alias : aliases) {
    const QualifiedName& name = qNameIDPairs[own].m_qName;
    QualifiedName former;
    former.reserve(n);
    former.insert(former.end(), name.begin(), name.end() - 1);
    former.push_back(alias);
    qNameIDPairs.emplace_back(std::move(former), id);
  }
}

void AppendCandidates(ARpGateway* pRp, const VoidIDVector& ids, QualifiedNameIDPairVector* candidates) {
  if (!candidates) return;
  for (const VoidID& id : ids) {
    QualifiedName q;
    MetadataUtil::GenerateQualifiedName(pRp->GetObject(id), q);
    candidates->emplace_back(q, id);
  }
}

}  // namespace smlookup

using smlookup::CodeFromCount;
using smlookup::FlexibleNameView;
using smlookup::IsReadable;

namespace {
// The types the lookups query, shared by the views that borrow them.
const TypeIDVector kPresentationTables{kTIDAEntityFolder};
const TypeIDVector kSubjectAreas{kTIDACatalogFolder};
const TypeIDVector kLogicalTables{kTIDALogicalTable};
const TypeIDVector kBusinessModels{kTIDASubjectArea};
const TypeIDVector kPhysicalTables{kTIDATable, kTIDACubeTable};
}  // namespace

// ---- security -------------------------------------------------------------------

void NamedInterfaceTypeCondition::FilterSecurity(ARpGateway* pRp, bool bProjectInaccessibleColumnAsNull,
                                                 bool& bFoundInaccessibleFolder, VoidIDVector& objIDs) {
  if (bProjectInaccessibleColumnAsNull) return;
  const std::size_t before = objIDs.size();
  std::erase_if(objIDs, [pRp](const VoidID& id) { return !Authorization::IsAuthorizedToRead(pRp, id); });
  if (objIDs.size() != before) bFoundInaccessibleFolder = true;
}

void NamedInterfaceTypeCondition::QueryWithSecurity(ARpGateway* pRp, const ACondition& condition,
                                                    VoidIDVector& qualifiedObjIDs,
                                                    bool bProjectInaccessibleColumnAsNull,
                                                    bool& bFoundInaccessibleFolder) {
  // The read check takes the objects the gateway found, not their ids
  // (which it would look up again).
  std::vector<ARpObject*> found;
  smlookup::QueryReadable(pRp, condition, found, bProjectInaccessibleColumnAsNull, bFoundInaccessibleFolder);
  qualifiedObjIDs.reserve(qualifiedObjIDs.size() + found.size());
  for (const ARpObject* p : found) qualifiedObjIDs.push_back(p->GetID());
}

// ---- names of a table and the default subject area --------------------------------

void GatherAllQualifiedNameIDPairsForAnObject(ARpGateway* pRp, QualifiedNameIDPairVector& qNameIDPairs,
                                              const VoidID& id) {
  const Ref<ARpObject> obj = pRp->GetObject(id);
  if (obj.IsNull()) return;
  smlookup::AppendAllNames(*obj, qNameIDPairs);
}

Ref<ACatalogFolder> GetDefaultCatalogFolder(ARpGateway* pRp, bool bCatalogSpecified,
                                            bool bProjectInaccessibleColumnAsNull) {
  VoidIDVector areas;
  bool bFoundInaccessible = false;
  NITC::QueryWithSecurity(pRp, InterfaceTypeCondition(kTIDACatalogFolder), areas, bProjectInaccessibleColumnAsNull,
                          bFoundInaccessible);
  if (areas.empty()) return Ref<ACatalogFolder>();
  const VXString name = pRp->GetDefaultSubjectAreaName(bCatalogSpecified);
  if (name.empty()) return Ref<ACatalogFolder>();
  for (const VoidID& id : areas) {
    Ref<ARpObject> area = pRp->GetObject(id);
    if (!area.IsNull() && BaseStringUtil::IsCaseInsensitiveMatch(name, area->GetName())) {
      return Ref<ACatalogFolder>(area);
    }
  }
  return Ref<ACatalogFolder>();
}

// ---- tables of a subject area -------------------------------------------------------

namespace {

// The sub-folders of a presentation folder, in order: its children of the
// types AFolder::GetSubFolders lists, read from the child list (a subject
// area of a thousand tables is walked without a lookup by id per table).
template <class Visit>
void ForEachSubFolder(const Ref<AFolder>& folder, Visit visit) {
  static constexpr TypeID kSubFolderTypes[] = {kTIDAFolder, kTIDAEntityAttr, kTIDASchemaFolder, kTIDAEntityFolder};
  if (folder.IsNull()) return;
  for (ARpObject* child : folder->GetChildPointers()) {
    if (std::find(std::begin(kSubFolderTypes), std::end(kSubFolderTypes), child->GetTypeID()) !=
        std::end(kSubFolderTypes)) {
      visit(child);
    }
  }
}

Ref<AFolder> AsFolder(ARpObject* p) { return Ref<AFolder>(Ref<ARpObject>(p)); }

void CollectTables(ARpGateway* pRp, const Ref<AFolder>& folder, QualifiedNameIDPairVector& pairs,
                   bool bProjectInaccessibleColumnAsNull, bool bDescend) {
  ForEachSubFolder(folder, [&](ARpObject* sub) {
    if (!IsReadable(pRp, sub->GetID(), bProjectInaccessibleColumnAsNull)) return;
    if (sub->GetTypeID() == kTIDAEntityFolder) {
      GatherAllQualifiedNameIDPairsForAnObject(pRp, pairs, sub->GetID());
    } else if (bDescend) {
      CollectTables(pRp, AsFolder(sub), pairs, bProjectInaccessibleColumnAsNull, true);
    }
  });
}

// The tables below folder one of whose names ends with name; sets
// bFoundInaccessible for a fitting table the user may not read.
void CollectMatchedTables(ARpGateway* pRp, const Ref<AFolder>& folder, const QualifiedName& name, VoidIDVector& ids,
                          bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessible) {
  QualifiedNameIDPairVector names;
  ForEachSubFolder(folder, [&](ARpObject* sub) {
    if (sub->GetTypeID() != kTIDAEntityFolder) {
      CollectMatchedTables(pRp, AsFolder(sub), name, ids, bProjectInaccessibleColumnAsNull, bFoundInaccessible);
      return;
    }
    // Every name of the table ends with its own name or a former name, so a
    // table that bears neither as the last segment cannot fit; this spares
    // generating the names of every other table of a large subject area.
    if (name.empty() || !sub->IsNameOrAlias(name.back())) return;
    names.clear();
    GatherAllQualifiedNameIDPairsForAnObject(pRp, names, sub->GetID());
    const bool bFits = std::any_of(names.begin(), names.end(), [&](const QualifiedNameIDPair& p) {
      return MetadataUtil::IsQualifiedNameSection(name, p.m_qName, false);
    });
    if (!bFits) return;
    if (IsReadable(pRp, sub->GetID(), bProjectInaccessibleColumnAsNull)) {
      ids.push_back(sub->GetID());
    } else {
      bFoundInaccessible = true;
    }
  });
}

}  // namespace

void NamedInterfaceTypeCondition::GetSubFolderIDs(ARpGateway* pRp, const Ref<AFolder>& refFolder,
                                                  QualifiedNameIDPairVector& qNameIDPairs,
                                                  bool bProjectInaccessibleColumnAsNull) {
  CollectTables(pRp, refFolder, qNameIDPairs, bProjectInaccessibleColumnAsNull, false);
}

void NamedInterfaceTypeCondition::GatherEntityFolders(ARpGateway* pRp, const Ref<AFolder>& refFolder,
                                                      QualifiedNameIDPairVector& qNameIDPairs,
                                                      bool bProjectInaccessibleColumnAsNull) {
  CollectTables(pRp, refFolder, qNameIDPairs, bProjectInaccessibleColumnAsNull, true);
}

RetCode NamedInterfaceTypeCondition::GetAllEntityFoldersFromDefaultCatalogFolder(
    QualifiedNameIDPairVector& qNameIDPairs, ARpGateway* pRp, VoidID& catalogFolderID,
    bool bProjectInaccessibleColumnAsNull) {
  const Ref<ACatalogFolder> area = GetDefaultCatalogFolder(pRp, false, bProjectInaccessibleColumnAsNull);
  if (area.IsNull()) return kUnresovableTable;
  catalogFolderID = area.GetID();
  GetSubFolderIDs(pRp, Ref<AFolder>(area), qNameIDPairs, bProjectInaccessibleColumnAsNull);
  return kOK;
}

RetCode NamedInterfaceTypeCondition::GatherMatchedEntityFolders(ARpGateway* pRp, const Ref<AFolder>& refAFolder,
                                                                const QualifiedName& qFolderName,
                                                                VoidIDVector& folderIDs,
                                                                bool bProjectInaccessibleColumnAsNull) {
  VoidIDVector found;
  bool bFoundInaccessible = false;
  CollectMatchedTables(pRp, refAFolder, qFolderName, found, bProjectInaccessibleColumnAsNull, bFoundInaccessible);
  folderIDs.insert(folderIDs.end(), found.begin(), found.end());
  return CodeFromCount(found.size(), bFoundInaccessible);
}

// ---- physical tables ------------------------------------------------------------------

namespace {

void QueryPhysicalTables(ARpGateway* pRp, const QualifiedName& name, VoidIDVector& ids,
                         bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessible) {
  const FlexibleNameView tables(kPhysicalTables, name, false);
  NITC::QueryWithSecurity(pRp, tables, ids, bProjectInaccessibleColumnAsNull, bFoundInaccessible);
}

// See the file comment: database, catalog, an empty schema level for a
// two-segment name, then the remaining segments.
QualifiedName RebuildWithSplitCatalog(const QualifiedName& name) {
  const QualifiedName split = MetadataUtil::SplitConcatenatedCatalogName(name.front());
  QualifiedName rebuilt(split.begin(), split.end());
  if (name.size() == 2) rebuilt.emplace_back();
  rebuilt.insert(rebuilt.end(), name.begin() + 1, name.end());
  return rebuilt;
}

// Whether the object's qualified name, cut or padded to prefix.size()
// leading segments, equals prefix without regard to case.
bool BeginsWith(ARpGateway* pRp, const VoidID& id, const QualifiedName& prefix) {
  QualifiedName q;
  MetadataUtil::GenerateQualifiedName(pRp->GetObject(id), q);
  q.resize(prefix.size());
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (!BaseStringUtil::IsCaseInsensitiveMatch(prefix[i], q[i])) return false;
  }
  return true;
}

}  // namespace

RetCode NamedInterfaceTypeCondition::LookupPhysicalTable(const QualifiedName& qFolderName, VoidIDVector& folderIDs,
                                                         ARpGateway* pRp, VoidIDSet& /*idCollection*/,
                                                         bool bProjectInaccessibleColumnAsNull) {
  VoidIDVector found;
  bool bFoundInaccessible = false;
  if (qFolderName.empty()) return kNonexistentTable;
  QueryPhysicalTables(pRp, qFolderName, found, bProjectInaccessibleColumnAsNull, bFoundInaccessible);
  if (found.empty() && (qFolderName.size() == 2 || qFolderName.size() == 3)) {
    QueryPhysicalTables(pRp, RebuildWithSplitCatalog(qFolderName), found, bProjectInaccessibleColumnAsNull,
                        bFoundInaccessible);
  }
  const VXString defaultCatalog = pRp->GetDefaultCatalogName(true);
  if (qFolderName.size() < 3 && found.size() > 1 && !defaultCatalog.empty()) {
    const QualifiedName prefix = MetadataUtil::SplitConcatenatedCatalogName(defaultCatalog);
    VoidIDVector inDefault;
    for (const VoidID& id : found) {
      if (BeginsWith(pRp, id, prefix)) inDefault.push_back(id);
    }
    // No candidate in the default catalog: the ambiguity stays among them all.
    if (!inDefault.empty()) found.swap(inDefault);
  }
  folderIDs.insert(folderIDs.end(), found.begin(), found.end());
  return CodeFromCount(found.size(), bFoundInaccessible);
}

// ---- folder tree ------------------------------------------------------------------------

namespace {

struct TreeLookup {
  using Objects = std::vector<ARpObject*>;

  ARpGateway* pRp;
  QualifiedNameIDPairVector& pairs;
  VoidIDSet& idCollection;
  VoidID& catalogFolderID;
  bool bProject;
  bool bListWithoutSecurity;
  QualifiedNameIDPairVector* candidates;
  bool bFoundInaccessible = false;

  // Gives kOK with every name of the one table found.
  RetCode Found(const VoidID& id) {
    GatherAllQualifiedNameIDPairsForAnObject(pRp, pairs, id);
    idCollection.insert(id);
    return NITC::kOK;
  }
  RetCode Found(ARpObject& table) {
    smlookup::AppendAllNames(table, pairs);
    idCollection.insert(table.GetID());
    return NITC::kOK;
  }
  RetCode Ambiguous(const VoidIDVector& ids, RetCode code) {
    smlookup::AppendCandidates(pRp, ids, candidates);
    return code;
  }
  // The outcome of a query of presentation tables; one match is Found.
  RetCode FromTables(const Objects& tables) {
    if (tables.size() == 1) return Found(*tables.front());
    if (tables.size() > 1) {
      VoidIDVector ids;
      for (const ARpObject* p : tables) ids.push_back(p->GetID());
      return Ambiguous(ids, NITC::kAmbiguousTable);
    }
    return CodeFromCount(0, bFoundInaccessible);
  }
  // The readable presentation tables the name fits, as the objects found:
  // the one table of a resolved name is named without a probe by id.
  Objects QueryTables(const QualifiedName& name) {
    Objects tables;
    smlookup::QueryReadable(pRp, FlexibleNameView(kPresentationTables, name, true), tables, bProject,
                            bFoundInaccessible);
    return tables;
  }
  // name searched in a subject area; security refusals seen earlier in the
  // lookup still turn "no such table" into "no table you may read".
  RetCode SearchArea(const Ref<ACatalogFolder>& area, const QualifiedName& name) {
    VoidIDVector ids;
    const RetCode code = NITC::GatherMatchedEntityFolders(pRp, Ref<AFolder>(area), name, ids, bProject);
    if (code == NITC::kOK) return Found(ids.front());
    if (code == NITC::kAmbiguousTable) return Ambiguous(ids, code);
    if (code == NITC::kNonexistentTable && bFoundInaccessible) return NITC::kInaccessibleTable;
    return code;
  }

  RetCode Physical(const QualifiedName& name) {
    VoidIDVector ids;
    const RetCode code = NITC::LookupPhysicalTable(name, ids, pRp, idCollection, bProject);
    if (ids.size() == 1) {
      pairs.emplace_back(name, ids.front());
      idCollection.insert(ids.front());
    }
    if (code == NITC::kAmbiguousTable) smlookup::AppendCandidates(pRp, ids, candidates);
    return code;
  }

  RetCode BusinessModel(const QualifiedName& name) {
    VoidIDVector ids;
    if (name.size() == 2) {
      NITC::QueryWithSecurity(pRp, FlexibleNameView(kLogicalTables, name, false), ids, bProject, bFoundInaccessible);
      if (ids.size() == 1) pairs.emplace_back(name, ids.front());
      if (ids.size() > 1) return Ambiguous(ids, NITC::kAmbiguousTable);
      return CodeFromCount(ids.size(), bFoundInaccessible);
    }
    if (name.size() != 1) return NITC::kNonexistentTable;  // see the file comment
    NITC::QueryWithSecurity(pRp, FlexibleNameView(kBusinessModels, name, false), ids, bProject, bFoundInaccessible);
    if (ids.size() > 1) return Ambiguous(ids, NITC::kAmbiguousTable);
    if (ids.empty()) return CodeFromCount(0, bFoundInaccessible);
    const Ref<ASubjectArea> model(pRp->GetObject(ids.front()));
    for (BinaryRelIter<ALogicalTable> it = model->GetLogicalTables(); !it.IsEnd(); ++it) {
      const Ref<ALogicalTable> table = *it;
      if (table.IsNull() || !IsReadable(pRp, table.GetID(), bProject || bListWithoutSecurity)) continue;
      QualifiedName q;
      MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(table), q);
      pairs.emplace_back(q, table.GetID());
    }
    return NITC::kOK;
  }

  RetCode Presentation(const QualifiedName& name) {
    if (name.size() >= 3) return FromTables(QueryTables(name));
    if (name.size() == 2) {
      QualifiedName widened;
      NITC::AddSchemaForCrystalReport(name, widened, false);
      const Objects tables = QueryTables(widened);
      if (!tables.empty()) return FromTables(tables);
      if (!pRp->GetDefaultSubjectAreaName(true).empty()) {
        const Ref<ACatalogFolder> area = GetDefaultCatalogFolder(pRp, true, bProject);
        if (!area.IsNull()) {
          const RetCode code = SearchArea(area, name);
          if (code != NITC::kNonexistentTable) return code;
        }
      }
    } else {
      VoidIDVector areas;
      NITC::QueryWithSecurity(pRp, FlexibleNameView(kSubjectAreas, name, true), areas, bProject, bFoundInaccessible);
      if (areas.size() > 1) return Ambiguous(areas, NITC::kAmbiguousCatalog);
      if (areas.size() == 1) {
        catalogFolderID = areas.front();
        NITC::GetSubFolderIDs(pRp, Ref<AFolder>(pRp->GetObject(areas.front())), pairs,
                              bProject || bListWithoutSecurity);
        return NITC::kOK;
      }
    }
    if (pRp->GetDefaultSubjectAreaName(false).empty()) return CodeFromCount(0, bFoundInaccessible);
    const Ref<ACatalogFolder> area = GetDefaultCatalogFolder(pRp, false, bProject);
    // A default is named but there is no such subject area to search.
    if (area.IsNull()) return NITC::kUnresovableTable;
    return SearchArea(area, name);
  }
};

}  // namespace

RetCode NamedInterfaceTypeCondition::LookupFolderTree(const QualifiedName& qFolderName,
                                                      QualifiedNameIDPairVector& qNameIDPairs, ARpGateway* pRp,
                                                      ExprType exprType, VoidIDSet& idCollection,
                                                      VoidID& catalogFolderID, bool bProjectInaccessibleColumnAsNull,
                                                      bool bListCatalogWithoutSecurity,
                                                      QualifiedNameIDPairVector& candidates) {
  qNameIDPairs.clear();
  candidates.clear();
  if (qFolderName.empty()) return kNonexistentTable;
  TreeLookup lookup{pRp,
                    qNameIDPairs,
                    idCollection,
                    catalogFolderID,
                    bProjectInaccessibleColumnAsNull,
                    bListCatalogWithoutSecurity,
                    &candidates};
  switch (exprType) {
    case kSME_Physical:
      return lookup.Physical(qFolderName);
    case kSME_BusinessModel:
      return lookup.BusinessModel(qFolderName);
    case kSME_Logical:
      break;
  }
  return lookup.Presentation(qFolderName);
}

RetCode NamedInterfaceTypeCondition::LookupFolderTree(const QualifiedName& qFolderName,
                                                      QualifiedNameIDPairVector& qNameIDPairs, ARpGateway* pRp,
                                                      ExprType exprType, VoidIDSet& idCollection,
                                                      VoidID& catalogFolderID, bool bProjectInaccessibleColumnAsNull,
                                                      bool bListCatalogWithoutSecurity) {
  QualifiedNameIDPairVector candidates;
  return LookupFolderTree(qFolderName, qNameIDPairs, pRp, exprType, idCollection, catalogFolderID,
                          bProjectInaccessibleColumnAsNull, bListCatalogWithoutSecurity, candidates);
}

// ---- folder -------------------------------------------------------------------------------

RetCode NamedInterfaceTypeCondition::LookupFolder(const QualifiedName& qFolderName, VoidIDVector& folderIDs,
                                                  ARpGateway* pRp, ExprType exprType, VoidIDSet& idCollection,
                                                  VoidID& /*catalogFolderID*/, bool bProjectInaccessibleColumnAsNull) {
  if (qFolderName.empty()) return kNonexistentTable;
  if (exprType == kSME_Physical) {
    return LookupPhysicalTable(qFolderName, folderIDs, pRp, idCollection, bProjectInaccessibleColumnAsNull);
  }
  bool bFoundInaccessible = false;
  VoidIDVector result;
  if (exprType == kSME_BusinessModel) {
    QueryWithSecurity(pRp, FlexibleNameView(kLogicalTables, qFolderName, false), result,
                      bProjectInaccessibleColumnAsNull, bFoundInaccessible);
    folderIDs.insert(folderIDs.end(), result.begin(), result.end());
    return CodeFromCount(result.size(), bFoundInaccessible);
  }

  auto query = [&](const QualifiedName& name) {
    VoidIDVector ids;
    QueryWithSecurity(pRp, FlexibleNameView(kPresentationTables, name, true), ids, bProjectInaccessibleColumnAsNull,
                      bFoundInaccessible);
    return ids;
  };
  VoidIDVector candidates = query(qFolderName);
  if (qFolderName.size() >= 3) {
    result = candidates;
  } else if (qFolderName.size() == 2 && candidates.empty()) {
    QualifiedName widened;
    AddSchemaForCrystalReport(qFolderName, widened, false);
    result = query(widened);
  } else if (!candidates.empty()) {
    const Ref<ACatalogFolder> area = pRp->GetDefaultSubjectAreaName(false).empty()
                                         ? Ref<ACatalogFolder>()
                                         : GetDefaultCatalogFolder(pRp, false, bProjectInaccessibleColumnAsNull);
    if (area.IsNull()) {
      result = candidates;  // see the file comment
    } else {
      const QualifiedName prefix{area->GetName()};
      for (const VoidID& id : candidates) {
        if (BeginsWith(pRp, id, prefix)) result.push_back(id);
      }
    }
  }
  idCollection.insert(result.begin(), result.end());
  folderIDs.insert(folderIDs.end(), result.begin(), result.end());
  return CodeFromCount(result.size(), bFoundInaccessible);
}
