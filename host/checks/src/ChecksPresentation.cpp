// Checks of the presentation layer and of names: subject areas,
// presentation tables, columns, hierarchies, display texts, aliases.
#include "ChecksInternal.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"

namespace checks_detail {
namespace {

void PresentationColumnWithoutLogical(const CheckContext& c) {
  if (As<AFolderAttr>(c)->GetLogicalColumn().IsNull()) c.Report({c.Object()});
}

void PresentationTableWithoutColumns(const CheckContext& c) {
  if (Count(As<AFolder>(c)->GetFolderAttrs()) == 0) c.Report({c.Object()});
}

void PresentationHierarchyWithoutLevels(const CheckContext& c) {
  if (Count(As<APresentationHierarchy>(c)->GetLevels()) == 0) c.Report({c.Object()});
}

void SubjectAreaWithoutBusinessModel(const CheckContext& c) {
  if (As<ACatalogFolder>(c)->GetSubjectArea().IsNull()) c.Report({c.Object()});
}

void SubjectAreaWithoutTables(const CheckContext& c) {
  for (BinaryRelIter<AFolder> it = As<AFolder>(c)->GetSubFolders(); !it.IsEnd(); ++it) {
    if ((*it)->GetTypeID() == kTIDAEntityFolder) return;
  }
  c.Report({c.Object()});
}

bool UsesDisplayName(const Ref<ARpObject>& obj, bool& bUse, VXString& text, bool bDescription) {
  if (obj->GetTypeID() == kTIDAFolderAttr) {
    const Ref<AFolderAttr> column(obj);
    bUse = bDescription ? column->HasDisplayDescription() : column->HasDisplayName();
    text = bDescription ? column->GetDisplayDescription() : column->GetDisplayName();
    return true;
  }
  const Ref<AFolder> folder(obj);
  if (folder.IsNull()) return false;
  bUse = bDescription ? folder->HasDisplayDescription() : folder->HasDisplayName();
  text = bDescription ? folder->GetDisplayDescription() : folder->GetDisplayName();
  return true;
}

void EmptyDisplayName(const CheckContext& c) {
  bool bUse = false;
  VXString text;
  if (UsesDisplayName(c.Object(), bUse, text, false) && bUse && text.empty()) c.Report({c.Object()});
}

// Bundle, label and tooltip variables are filled by the host's bundle
// store, not by an initialization block, so they need no definition here.
bool IsDefinedSessionVariable(ARpGateway& rp, const VariableTokenInfo& ref) {
  if (BaseStringUtil::CaseInsensitiveFindPatternAtStart(ref.m_varName, U"KEX_")) return true;
  if (MetadataUtil::IsSessionVariablePopulated(&rp, ref)) return true;
  VoidIDVector ids;
  rp.LookupObjects(TypedObjectNameCondition(kTIDARpVariable, ref.m_varName, false), ids);
  for (const VoidID& id : ids) {
    const Ref<ARpVariable> variable(rp.GetObject(id));
    if (!variable.IsNull() && variable->GetVariableType() == ARpVariable::kSession) return true;
  }
  return false;
}

void DescriptionUsesUndefinedSessionVariable(const CheckContext& c) {
  bool bUse = false;
  VXString text;
  if (!UsesDisplayName(c.Object(), bUse, text, true) || !bUse) return;
  VariablePositions refs;
  MetadataUtil::FindVariables(text, refs);
  for (const VariableTokenInfo& ref : refs) {
    if (!ref.m_qualifier.empty() && !IsDefinedSessionVariable(c.Gateway(), ref)) return c.Report({c.Object()});
  }
}

// Any object's former name that is the current name of a sibling of the
// same type: a name written with the alias would find two objects.
void AliasCollides(const CheckContext& c) {
  const Ref<ARpObject>& obj = c.Object();
  const VXStringVector& aliases = obj->GetAliasList();
  if (aliases.empty()) return;
  if (CheckRunMemo* memo = c.Memo()) {
    for (const VXString& alias : aliases) {
      if (memo->HasOtherSiblingNamed(obj, alias)) return c.Report({obj});
    }
    return;
  }
  std::vector<ARpObject*> found;
  for (const VXString& alias : aliases) {
    found.clear();
    c.Gateway().FindChildrenByNameNoCase(obj->GetParentPointer(), alias, found);
    for (ARpObject* other : found) {
      if (other != obj.Get() && other->GetTypeID() == obj->GetTypeID()) return c.Report({obj});
    }
  }
}

}  // namespace

void AddPresentationChecks(std::vector<ConsistencyCheck>& table) {
  const std::vector<TypeID> displayed{kTIDACatalogFolder, kTIDAEntityFolder, kTIDAFolderAttr,
                                      kTIDAPresentationHierarchy, kTIDAPresentationLevel};
  table.insert(
      table.end(),
      {
          {"subject-area-without-business-model",
           38213,
           {kTIDACatalogFolder},
           SubjectAreaWithoutBusinessModel,
           "a subject area that presents no business model",
           "Set the business model the subject area presents, or delete the subject area."},
          {"subject-area-without-tables",
           38200,
           {kTIDACatalogFolder},
           SubjectAreaWithoutTables,
           "a subject area with no presentation tables",
           "Add presentation tables to the subject area, or delete it."},
          {"presentation-table-without-columns",
           38204,
           {kTIDAEntityFolder},
           PresentationTableWithoutColumns,
           "a presentation table with no presentation columns",
           "Add presentation columns to the table, or delete it."},
          {"presentation-column-without-logical",
           38073,
           {kTIDAFolderAttr},
           PresentationColumnWithoutLogical,
           "a presentation column whose logical column is gone",
           "Point the presentation column at a logical column that exists, or delete it."},
          {"presentation-column-duplicate-name",
           38209,
           {kTIDAFolderAttr},
           ReportDuplicateName,
           "two presentation columns of one table whose names match without regard to case (reported on the "
           "later one)",
           "Rename one of the two presentation columns: names that differ only in case clash in queries."},
          {"presentation-hierarchy-without-levels",
           38212,
           {kTIDAPresentationHierarchy},
           PresentationHierarchyWithoutLevels,
           "a presentation hierarchy with no presentation levels",
           "Add presentation levels to the hierarchy, or delete it."},
          {"empty-display-name", 38201, displayed, EmptyDisplayName,
           "a presentation object that uses a custom display name that is empty",
           "Give the object a display name, or switch its custom display name off."},
          {"description-undefined-session-variable", 38203, displayed, DescriptionUsesUndefinedSessionVariable,
           "a presentation object whose custom description names a session variable that no initialization block "
           "defines and the session does not hold (bundle, label and tooltip variables excepted)",
           "Define the session variable the description refers to, or change the description."},
          {"alias-collides-with-sibling",
           38210,
           {},
           AliasCollides,
           "an object whose former name is the name of a sibling of the same type",
           "Remove the former name from the object's aliases, or rename the sibling that has it as its name."},
      });
}

}  // namespace checks_detail
