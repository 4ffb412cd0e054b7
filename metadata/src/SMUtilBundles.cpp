// Custom display names and descriptions of presentation objects, and the
// resource-bundle strings behind them.
//
// A display name or description that is exactly one bundle reference,
// VALUEOF(VX_SESSION.KEX_BUNDLE_...), needs its string loaded into the
// session before substitution. Loading asks the host's bundle hook for every
// missing key of the object's table at once (a column collects for all its
// siblings), so showing a table costs one load, not one per column.
#include <set>
#include <type_traits>
#include <utility>

#include "Expr/VoidIDCollector.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "SMUtilSubstitution.h"
#include "Utility/ServerLog.h"
#include "Utility/SystemUtility.h"
#include "Utility/VXAssert.h"
#include "objectmodel/Networker.h"
#include "objectmodel/TypeIDs.h"

namespace {

constexpr const char* kSrc = "server/Metadata/Src/SMUtil.cpp";

using VariablePair = std::pair<VXString, VXString>;
using KeySet = std::set<VXString>;
using VariableSet = std::set<VariablePair>;

// The display-name and description accessors of one object, for the
// templates below that serve folders, tables and columns alike.
struct DisplayText {
  static bool Has(const auto& obj) { return obj->HasDisplayName(); }
  static VXString Get(const auto& obj) { return obj->GetDisplayName(); }
};
struct DescriptionText {
  static bool Has(const auto& obj) { return obj->HasDisplayDescription(); }
  static VXString Get(const auto& obj) { return obj->GetDisplayDescription(); }
};

// True when the text of Which is exactly one bundle-variable reference,
// copied to variable.
template <class Which, class T>
bool HasEnabledKEXResourceBundle(const T& obj, VariableTokenInfo& variable) {
  if (!Which::Has(obj)) return false;
  VariablePositions references;
  MetadataUtil::FindVariables(Which::Get(obj), references, nullptr, 0);
  return SetVariableTokenInfoIfIsSingleKEXBundleVariable(references, variable);
}

template <class T>
bool HasEnabledKEXResourceBundleAsDisplayName(const T& obj, VariableTokenInfo& variable) {
  return HasEnabledKEXResourceBundle<DisplayText>(obj, variable);
}

template <class T>
bool HasEnabledKEXResourceBundleAsDescription(const T& obj, VariableTokenInfo& variable) {
  return HasEnabledKEXResourceBundle<DescriptionText>(obj, variable);
}

template <class T>
void CollectResourceBundleStringsForObject(ARpGateway* pRp, const T& obj, KeySet& keys, VariableSet& variables) {
  VariableTokenInfo variable;
  if (HasEnabledKEXResourceBundleAsDisplayName(obj, variable)) {
    MetadataUtil::IfVariableIsNotPopulatedInsertIntoBundleSet({variable.m_qualifier, variable.m_varName}, pRp, keys,
                                                              variables);
  }
  if (HasEnabledKEXResourceBundleAsDescription(obj, variable)) {
    MetadataUtil::IfVariableIsNotPopulatedInsertIntoBundleSet({variable.m_qualifier, variable.m_varName}, pRp, keys,
                                                              variables);
  }
}

// Whether a bundle test holds for obj and its variable still has no value.
template <class T>
bool NeedsBundleString(ARpGateway* pRp, const T& obj, bool (*test)(const T&, VariableTokenInfo&)) {
  VariableTokenInfo variable;
  return test(obj, variable) && !MetadataUtil::IsSessionVariablePopulated(pRp, variable);
}

// Loads the missing bundle strings of obj (and, for a presentation column,
// of its sibling columns) through the host's hook; without a bundle
// database each missing variable gets its key as value.
template <class T>
void PopulateResourceBundleStrings(ARpGateway* pRp, const T& obj) {
  const bool needDisplay = NeedsBundleString<T>(pRp, obj, &HasEnabledKEXResourceBundleAsDisplayName<T>);
  const bool needDescription = NeedsBundleString<T>(pRp, obj, &HasEnabledKEXResourceBundleAsDescription<T>);
  if (!needDisplay && !needDescription) return;

  KeySet keys;
  VariableSet variables;
  if (obj->GetTypeID() != kTIDAFolderAttr) {
    CollectResourceBundleStringsForObject(pRp, obj, keys, variables);
  } else {
    RpObjectVector selfAndSiblings;
    MetadataUtil::CollectSelfAndSiblingObjects(Ref<AFolderAttr>(obj), selfAndSiblings);
    for (const Ref<ARpObject>& column : selfAndSiblings) {
      CollectResourceBundleStringsForObject(pRp, Ref<AFolderAttr>(column), keys, variables);
    }
  }
  if (keys.empty()) {
    ServerLog::LogTrace(U"MetadataUtil::PopulateResourceBundleStrings: No new KEX Bundle Keys.", 16);
    return;
  }
  for (const VXString& key : keys) {
    ServerLog::LogTrace(U"MetadataUtil::PopulateResourceBundleStrings: new found session variable: " + key, 1);
  }
  Ref<ADatabase> database = MetadataUtil::GetKEXBundleDatabase(obj.GetID(), pRp);
  if (!database.IsNull()) {
    if (Repository::PopulateResourceBundleStrings) Repository::PopulateResourceBundleStrings(pRp, keys, database);
    return;
  }
  ServerLog::LogError(U"MetadataUtil::PopulateResourceBundleStrings: No matching KEX database found for " +
                          MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(obj)) +
                          U"'s display name and description. Please check your RPD metadata. Populating values "
                          U"with keys as default.",
                      1);
  for (const VariablePair& variable : variables) {
    const VXString key = MetadataUtil::GetKeyFromKEXBundleVariable(variable.second);
    ServerLog::LogWarning(U"Default value for " + variable.second + U"=" + key, 1);
    if (pRp) pRp->SetSessionVariableValue(variable, Heap<PropertyValue>(new PropertyValueString(key)));
  }
}

// Steps shared by every form once the bundle strings are in: the host's
// hook, one substitution pass, the fall-back to the own name. text is the
// object's text as read before; it is read again after a hook ran, since a
// hook may change it. A text without any opening skips the pass, which would
// leave it as it is.
template <class Which, class T>
VXString SubstituteAndFallBack(ARpGateway* pRp, const T& obj, const Ref<ARpObject>& rpObj, VXString text) {
  if constexpr (std::is_same_v<Which, DisplayText>) {
    if (Repository::ProcessKEX_DIRECT) {
      VXString hooked = text;
      Repository::ProcessKEX_DIRECT(pRp, hooked, rpObj);
      text = Which::Get(obj);
    }
  }
  if (MayHoldVariableReference(text)) {
    ReplaceVariableWithValueAux(pRp, text, false, true, nullptr, DummyReplaceValueOfWithQuotedStrings, true);
  }
  if (!g_EnableExternalSecurityAuthorization && text.empty()) return rpObj->GetName();
  return text;
}

// The folder, table and column forms. A presentation column whose text is a
// single label (tooltip) reference shows a UI hint that the host sets in the
// session; such a text is never a bundle string, so the label test rules
// the column out of loading before the bundle test is asked. Plain text, the
// common case, can be neither and goes straight to the last steps.
template <class Which, class T>
VXString GetKexBasedCustom(ARpGateway* pRp, const T& obj, const Ref<ARpObject>& rpObj) {
  if (!Which::Has(obj)) return rpObj->GetName();
  VXString text = Which::Get(obj);
  if (!MayHoldVariableReference(text)) return SubstituteAndFallBack<Which>(pRp, obj, rpObj, std::move(text));
  constexpr bool kDisplay = std::is_same_v<Which, DisplayText>;
  VariableTokenInfo variable;
  bool hint = false;
  if constexpr (std::is_same_v<T, Ref<AFolderAttr>>) {
    hint = kDisplay ? MetadataUtil::HasEnabledKEXLabelAsDisplayName(obj, variable)
                    : MetadataUtil::HasEnabledKEXTooltipAsDescription(obj, variable);
  }
  const bool bundle = !hint && (kDisplay ? HasEnabledKEXResourceBundleAsDisplayName(obj, variable)
                                         : HasEnabledKEXResourceBundleAsDescription(obj, variable));
  if (bundle) {
    PopulateResourceBundleStrings(pRp, obj);
    text = Which::Get(obj);  // the host's bundle hook ran
  }
  return SubstituteAndFallBack<Which>(pRp, obj, rpObj, std::move(text));
}

// The customer-type form: no bundle strings.
template <class Which>
VXString GetValueBasedCustom(ARpGateway* pRp, const Ref<AMktg_CustomerType>& obj, const Ref<ARpObject>& rpObj) {
  if (!Which::Has(obj)) return rpObj->GetName();
  return SubstituteAndFallBack<Which>(pRp, obj, rpObj, Which::Get(obj));
}

template <class Which>
VXString GetCustom(ARpGateway* pRp, const Ref<ARpObject>& rpObj) {
  if (rpObj.IsNull()) VXAssert::handleAssert(kSrc, __LINE__, "!rpObj.IsNull()");
  switch (rpObj->GetTypeID()) {
    case kTIDAFolder:
    case kTIDACatalogFolder:
    case kTIDASchemaFolder:
    case kTIDAPresentationHierarchy:
    case kTIDAPresentationLevel:
      return GetKexBasedCustom<Which>(pRp, Ref<AFolder>(rpObj), rpObj);
    case kTIDAEntityFolder:
      return GetKexBasedCustom<Which>(pRp, Ref<AEntityFolder>(rpObj), rpObj);
    case kTIDAFolderAttr:
      return GetKexBasedCustom<Which>(pRp, Ref<AFolderAttr>(rpObj), rpObj);
    case kTIDAMktg_CustomerType:
      return GetValueBasedCustom<Which>(pRp, Ref<AMktg_CustomerType>(rpObj), rpObj);
    default:
      return rpObj->GetName();
  }
}

bool IsExternallyReadAuthorized(ARpGateway* pRp, const Ref<ARpObject>& obj) {
  if (!g_EnableExternalSecurityAuthorization) return true;
  return !MetadataUtil::GetCustomDisplayName(pRp, obj).empty();
}

// The first database above a physical object (a column, table, schema or
// catalog); null when it has none.
Ref<ADatabase> DatabaseAbove(Ref<ARpObject> obj) {
  while (!obj.IsNull() && obj->GetTypeID() != kTIDADatabase) obj = MetadataUtil::GetParent(obj);
  return Ref<ADatabase>(obj);
}

// The bundle database of a presentation column: the walk goes from the
// column to the logical column it shows, then through each source of that
// column's logical table in order; the first source that maps the column
// gives the physical objects of its mapping expression, and the database
// above the first of them that has one is the answer.
Ref<ADatabase> GetDatabaseFromFolderAttr(ARpGateway* pRp, const Ref<AFolderAttr>& column) {
  Ref<ADatabase> database;
  Ref<AAttribute> logicalColumn = column.IsNull() ? Ref<AAttribute>() : column->GetLogicalColumn();
  Ref<ALogicalTable> logicalTable = logicalColumn.IsNull() ? Ref<ALogicalTable>() : logicalColumn->GetLogicalTable();
  if (!logicalTable.IsNull()) {
    BinaryRelIter<ALogicalTableSource> sources = logicalTable->GetSources();
    for (sources.ToBegin(); !sources.IsEnd() && database.IsNull(); ++sources) {
      Expr physical;
      if (!MetadataUtil::IsLogicalColumnMapped(Ref<ARpObject>(logicalColumn),
                                               Ref<ALogicalTableSource>(sources.GetObjRef()), physical)) {
        continue;
      }
      VoidIDCollector collector(true);
      physical.Accept(collector);
      for (const VoidID& id : collector.GetVoidIDs()) {
        database = DatabaseAbove(pRp ? pRp->GetObject(id) : Ref<ARpObject>());
        if (!database.IsNull()) break;
      }
    }
  }
  if (database.IsNull() && !column.IsNull()) {
    ServerLog::LogWarning(
        U"Presentation attribute: " + column->GetName() + U" does not have a valid KEX physical database.", 1);
  }
  return database;
}

// The first presentation column of a folder, depth first: its own columns,
// then those of its sub-folders and, for a hierarchy, of its levels.
Ref<AFolderAttr> FirstFolderAttr(const Ref<AFolder>& folder) {
  if (folder.IsNull()) return Ref<AFolderAttr>();
  BinaryRelIter<AFolderAttr> columns = folder->GetFolderAttrs();
  columns.ToBegin();
  if (!columns.IsEnd()) return Ref<AFolderAttr>(columns.GetObjRef());
  BinaryRelIter<AFolder> subFolders = folder->GetSubFolders();
  for (subFolders.ToBegin(); !subFolders.IsEnd(); ++subFolders) {
    Ref<AFolderAttr> found = FirstFolderAttr(Ref<AFolder>(subFolders.GetObjRef()));
    if (!found.IsNull()) return found;
  }
  BinaryRelIter<APresentationHierarchy> hierarchies = folder->GetHierarchies();
  for (hierarchies.ToBegin(); !hierarchies.IsEnd(); ++hierarchies) {
    Ref<AFolderAttr> found = FirstFolderAttr(Ref<AFolder>(hierarchies.GetObjRef()));
    if (!found.IsNull()) return found;
  }
  if (folder->GetTypeID() == kTIDAPresentationHierarchy) {
    BinaryRelIter<APresentationLevel> levels = Ref<APresentationHierarchy>(folder)->GetLevels();
    for (levels.ToBegin(); !levels.IsEnd(); ++levels) {
      Ref<AFolderAttr> found = FirstFolderAttr(Ref<AFolder>(levels.GetObjRef()));
      if (!found.IsNull()) return found;
    }
  }
  return Ref<AFolderAttr>();
}

Ref<ADatabase> GetDatabaseFromFirstFolderAttr(ARpGateway* pRp, const Ref<AFolder>& folder) {
  Ref<AFolderAttr> column = FirstFolderAttr(folder);
  return column.IsNull() ? Ref<ADatabase>() : GetDatabaseFromFolderAttr(pRp, column);
}

bool IsPresentationFolderType(TypeID type) {
  return type == kTIDAFolder || type == kTIDACatalogFolder || type == kTIDASchemaFolder || type == kTIDAEntityFolder ||
         type == kTIDAPresentationHierarchy || type == kTIDAPresentationLevel;
}

// Read once when the library is loaded.
struct ExternalAuthorizationRegistration {
  ExternalAuthorizationRegistration() {
    g_EnableExternalSecurityAuthorization = SystemUtility::hasEnv(U"TY_EXTERNAL_AUTHORIZATION");
    Authorization::g_externalAuthorizationHook = &IsExternallyReadAuthorized;
  }
};

}  // namespace

bool g_EnableExternalSecurityAuthorization = false;

namespace {
const ExternalAuthorizationRegistration g_externalAuthorizationRegistration;
}  // namespace

VXString MetadataUtil::GetCustomDisplayName(ARpGateway* pRp, const Ref<ARpObject>& obj) {
  return GetCustom<DisplayText>(pRp, obj);
}

VXString MetadataUtil::GetCustomDescription(ARpGateway* pRp, const Ref<ARpObject>& obj) {
  return GetCustom<DescriptionText>(pRp, obj);
}

template <class T>
bool MetadataUtil::HasEnabledKEXLabelAsDisplayName(const T& obj, VariableTokenInfo& variable) {
  if (obj.IsNull() || !obj->HasDisplayName()) return false;
  return HasVariablesStartedWithPattern(obj->GetDisplayName(), S_KEX_LABEL, variable);
}
template bool MetadataUtil::HasEnabledKEXLabelAsDisplayName(const Ref<AFolderAttr>&, VariableTokenInfo&);
template bool MetadataUtil::HasEnabledKEXLabelAsDisplayName(const Ref<AEntityFolder>&, VariableTokenInfo&);

template <class T>
bool MetadataUtil::HasEnabledKEXTooltipAsDescription(const T& obj, VariableTokenInfo& variable) {
  if (obj.IsNull() || !obj->HasDisplayDescription()) return false;
  return HasVariablesStartedWithPattern(obj->GetDisplayDescription(), S_KEX_TOOLTIP, variable);
}
template bool MetadataUtil::HasEnabledKEXTooltipAsDescription(const Ref<AFolderAttr>&, VariableTokenInfo&);

void MetadataUtil::IfVariableIsNotPopulatedInsertIntoBundleSet(const std::pair<VXString, VXString>& variable,
                                                               ARpGateway* pRp, std::set<VXString>& keys,
                                                               std::set<std::pair<VXString, VXString>>& variables) {
  if (IsSessionVariablePopulated(pRp, variable)) return;
  VXString key = GetStringAfterKEXBundlePrefix(variable.second);
  if (key.empty()) return;
  keys.insert(std::move(key));
  variables.insert(variable);
}

Ref<ADatabase> MetadataUtil::GetKEXBundleDatabase(const VoidID& id, ARpGateway* pRp) {
  Ref<ARpObject> obj = pRp ? pRp->GetObject(id) : Ref<ARpObject>();
  Ref<ADatabase> database;
  const TypeID type = obj.IsNull() ? id.GetTypeID() : obj->GetTypeID();
  if (!obj.IsNull() && type == kTIDAFolderAttr) {
    database = GetDatabaseFromFolderAttr(pRp, Ref<AFolderAttr>(obj));
  } else if (!obj.IsNull() && IsPresentationFolderType(type)) {
    ServerLog::LogTrace(U"MetadataUtil::GetKEXBundleDatabase - Folder: " + obj->GetName(), 16);
    database = GetDatabaseFromFirstFolderAttr(pRp, Ref<AFolder>(obj));
  } else {
    ServerLog::LogWarning(U"MetadataUtil::GetKEXBundleDatabase - Don't know how to process type " + ToTypeName(type),
                          1);
  }
  if (database.IsNull()) {
    ServerLog::LogWarning(U"MetadataUtil::GetKEXBundleDatabase - No Database found", 1);
  } else {
    ServerLog::LogTrace(U"MetadataUtil::GetKEXBundleDatabase - Database: " + database->GetName(), 1);
  }
  return database;
}
