// KEX UI hints: the physical column or table of a KEX data source behind a
// presentation object, the variables named after them, the hidden flag, and
// the unqualified segment tables read from the application segment-rules
// file.
#include <mutex>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUGDOM.h"
#include "Utility/SUStrUtil.h"
#include "Utility/ServerLog.h"
#include "Utility/SystemUtility.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/TypeIDs.h"

namespace {

// Server target types of the KEX data sources and of the event-processing
// data source.
bool IsKEXTargetType(int targetType) { return targetType == 47 || targetType == 59 || targetType == 75; }

// The aggregation that a KEX hint can stand behind: plain SUM.
constexpr int kSumOpCode = 307;

bool HasOnlySumAggregation(const Ref<AAttribute>& logicalCol) {
  const Ref<AMeasureDefn> measure = logicalCol->GetMeasureDefn();
  if (measure.IsNull()) return true;
  BinaryRelIter<AAggrRule> rules = measure->GetAggrRules();
  for (rules.ToBegin(); !rules.IsEnd(); ++rules) {
    const int type = (*rules)->GetAggrExpr().GetExpressionTokenType();
    if (type != -1 && type != kSumOpCode) return false;
  }
  return true;
}

VXString JoinPath(VXString dir, const VXString& part) {
  if (!dir.empty() && dir.back() != U'/') dir += U'/';
  return dir + part;
}

VXString SegmentRulesDirectory() { return JoinPath(SystemUtility::GetZirconBIHomeDirectory(), S_SEGMENT_RULES_FOLDER); }

// The prefixes the rules file names; empty (and the reason logged) when the
// file is missing, invalid or of another kind.
VXStringVector ReadSegmentRules(const VXString& file, const VXString& schema) {
  VXStringVector prefixes;
  if (!SUFileUtility::FileExists(file)) {
    ServerLog::LogTrace(U"Segment rules: no file " + file + U"; only the built-in prefix applies.", 1);
    return prefixes;
  }
  SUGDomErrorReporter errors;
  const std::unique_ptr<SUGDOMDocument> doc = SUGDOM::ValidatedParseFileDocument(file, schema, errors);
  if (!doc) {
    ServerLog::LogError(U"Segment rules: " + file + U" is not valid against " + schema +
                            U"; only the built-in prefix applies.\n" + errors.GetErrorText(),
                        1);
    return prefixes;
  }
  const xercesc::DOMElement* root = doc->GetDocumentElement();
  if (!BaseStringUtil::IsCaseInsensitiveMatch(SUGDOM::GetElementName(root), S_APP_SEGMENT_RULE_DOCUMENT)) {
    ServerLog::LogError(U"Segment rules: " + file + U" has the document element " + SUGDOM::GetElementName(root) +
                            U", not " + S_APP_SEGMENT_RULE_DOCUMENT + U"; only the built-in prefix applies.",
                        1);
    return prefixes;
  }
  for (const xercesc::DOMElement* rule : SUGDOM::GetChildElements(root)) {
    if (!BaseStringUtil::IsCaseInsensitiveMatch(SUGDOM::GetElementName(rule), S_APP_SEGMENT_RULE_MAPPING_RULES)) {
      continue;
    }
    // An empty prefix would make every logical table a segment table.
    VXString prefix = SUGDOM::GetAttribute(rule, S_APP_SEGMENT_RULE_UNQUALIFIED_DIMENSION_PREFIX);
    if (!prefix.empty()) prefixes.push_back(std::move(prefix));
  }
  return prefixes;
}

std::once_flag g_prefixListOnce;

}  // namespace

// ---- variables named after physical objects -------------------------------------

namespace {
VXString ColumnVariable(const Ref<AColumn>& column, MessageId format) {
  if (column.IsNull()) return VXString();
  const Ref<ATable> table = column->GetTable();
  const Ref<ADatabase> database = column->GetDatabase();
  if (table.IsNull() || database.IsNull()) return VXString();
  return SUStrUtil::LoadMsgStringOnly(format, ExternalizationUtil::GetNameForKEXCustomDisplay(database),
                                      ExternalizationUtil::GetNameForKEXCustomDisplay(table),
                                      ExternalizationUtil::GetNameForKEXCustomDisplay(column));
}
}  // namespace

VXString ExternalizationUtil::GenerateDisplayNameSessionVariableForKEXUIHint(const Ref<AColumn>& physicalColumn) {
  return ColumnVariable(physicalColumn, S_IDS_KEX_CUSTOM_NAME_3);
}

VXString ExternalizationUtil::GenerateDescriptionSessionVariableForKEXUIHint(const Ref<AColumn>& physicalColumn) {
  return ColumnVariable(physicalColumn, S_IDS_KEX_CUSTOM_DESCRIPTION);
}

VXString ExternalizationUtil::GenerateDisplayNameSessionVariableForKEXUIHint(const Ref<ATable>& physicalTable) {
  if (physicalTable.IsNull()) return VXString();
  const Ref<ADatabase> database = physicalTable->GetDatabase();
  if (database.IsNull()) return VXString();
  return SUStrUtil::LoadMsgStringOnly(S_IDS_KEX_CUSTOM_NAME_2, GetNameForKEXCustomDisplay(database),
                                      GetNameForKEXCustomDisplay(physicalTable));
}

// ---- finding the physical objects -------------------------------------------------

bool ExternalizationUtil::GetPhysicalColumnForKEXUIHints(const Ref<AAttribute>& logicalCol, Ref<AColumn>& physicalCol,
                                                         bool bSkipQualifiedSegmentTables,
                                                         bool bPermitMultipleObjectsInLogicalColumnMapping,
                                                         bool bSkipAggregationCheck) {
  if (logicalCol.IsNull() || logicalCol->IsDerivedAttribute()) return false;
  const Ref<ALogicalTable> logicalTable = logicalCol->GetLogicalTable();
  if (logicalTable.IsNull()) return false;
  if (bSkipQualifiedSegmentTables && !IsKEXUnqualifiedSegmentTable(logicalTable)) return false;
  if (!bSkipAggregationCheck && !HasOnlySumAggregation(logicalCol)) return false;
  ARpGateway* pRp = logicalCol->GetGateway();
  BinaryRelIter<ALogicalTableSource> sources = logicalTable->GetSources();
  for (sources.ToBegin(); !sources.IsEnd(); ++sources) {
    // Read the stored definition in place: a copy per column would cost
    // more than the search itself.
    const RpPropValue* defn = (*sources)->FindProperty(RpProp::kSourceDefinition);
    const auto* pDefn = defn ? std::get_if<std::shared_ptr<const RpSourceDefinition>>(defn) : nullptr;
    Expr physicalExpr;
    if (!pDefn || !*pDefn || !MetadataUtil::IsLogicalColumnMapped(Ref<ARpObject>(logicalCol), **pDefn, physicalExpr)) {
      continue;
    }
    RpObjectVector objects;
    physicalExpr.GetObjectsInExpr(pRp, objects, true);
    if (objects.empty()) continue;
    if (objects.size() > 1 && !bPermitMultipleObjectsInLogicalColumnMapping) continue;
    // A rejected first object moves the search on to the next source: a
    // logical column may be mapped to a KEX source beside an ordinary one.
    const Ref<ARpObject>& first = objects.front();
    if (first->GetTypeID() != kTIDAColumn) continue;
    const Ref<AColumn> column(first);
    if (!IsKEXTargetType(column->GetTargetType())) continue;
    const Ref<AColumn> source = column->GetSourceColumn();
    physicalCol = source.IsNull() ? column : source;
    return true;
  }
  return false;
}

bool ExternalizationUtil::GetPhysicalColumnForKEXUIHints(const Ref<AFolderAttr>& presentationCol,
                                                         Ref<AColumn>& physicalCol, bool bSkipQualifiedSegmentTables,
                                                         bool bPermitMultipleObjectsInLogicalColumnMapping,
                                                         bool bSkipAggregationCheck) {
  if (presentationCol.IsNull()) return false;
  return GetPhysicalColumnForKEXUIHints(presentationCol->GetLogicalColumn(), physicalCol, bSkipQualifiedSegmentTables,
                                        bPermitMultipleObjectsInLogicalColumnMapping, bSkipAggregationCheck);
}

bool ExternalizationUtil::GetPhysicalTableForKEXUIHints(const Ref<AEntityFolder>& presentationTable,
                                                        Ref<ATable>& physicalTable) {
  if (presentationTable.IsNull()) return false;
  BinaryRelIter<AFolderAttr> columns = presentationTable->GetFolderAttrs();
  for (columns.ToBegin(); !columns.IsEnd(); ++columns) {
    Ref<AColumn> physical;
    if (GetPhysicalColumnForKEXUIHints(*columns, physical, false, false, false)) {
      physicalTable = physical->GetTable();
      return true;
    }
  }
  return false;
}

// ---- hidden flag -----------------------------------------------------------------

bool ExternalizationUtil::IsRelatedKEXAttributeHidden(const Ref<AColumn>& physicalColumn) {
  if (physicalColumn.IsNull()) return false;
  const VXStringStringMap properties = physicalColumn->GetPropertyMap();
  const auto it = properties.find(S_KEX_IS_HIDDEN);
  return it != properties.end() && BaseStringUtil::IsCaseInsensitiveMatch(it->second, S_TRUE_);
}

bool ExternalizationUtil::IsRelatedKEXAttributeHidden(const Ref<AAttribute>& logicalColumn) {
  Ref<AColumn> physical;
  return GetPhysicalColumnForKEXUIHints(logicalColumn, physical, false, false, false) &&
         IsRelatedKEXAttributeHidden(physical);
}

void ExternalizationUtil::SetKEXIsHiddenProperty(VXStringStringMap& propertyMap, bool isHidden) {
  if (isHidden) {
    propertyMap[S_KEX_IS_HIDDEN] = S_TRUE_;
  } else {
    propertyMap.erase(S_KEX_IS_HIDDEN);
  }
}

void ExternalizationUtil::SetHideObjectExpr(Ref<AFolderAttr>& presentationColumn, bool isHidden) {
  if (presentationColumn.IsNull()) return;
  presentationColumn->SetHideObjectExpr(isHidden ? ExprBuilder().Int(1).Build() : Expr());
}

// ---- unqualified segment tables ----------------------------------------------------

VXString ExternalizationUtil::GetSegmentRulesFile() { return JoinPath(SegmentRulesDirectory(), S_SEGMENT_RULES_FILE); }

VXString ExternalizationUtil::GetSegmentRulesSchemaFile() {
  return JoinPath(SegmentRulesDirectory(), S_SEGMENT_RULES_SCHEMA_FILE);
}

void ExternalizationUtil::InitalizeUnqualifiedPrefixList() {
  m_unqualifiedPrefixList = ReadSegmentRules(GetSegmentRulesFile(), GetSegmentRulesSchemaFile());
  bool bHasBuiltIn = false;
  for (const VXString& prefix : m_unqualifiedPrefixList)
    bHasBuiltIn = bHasBuiltIn || prefix == S_GL_SEGMENT_TABLE_PREFIX;
  if (!bHasBuiltIn) m_unqualifiedPrefixList.push_back(S_GL_SEGMENT_TABLE_PREFIX);
  m_bUnqualifiedPrefixListInitialized = true;
}

bool ExternalizationUtil::IsKEXUnqualifiedSegmentTable(const VXString& logicalTableName) {
  std::call_once(g_prefixListOnce, [] {
    if (!m_bUnqualifiedPrefixListInitialized) InitalizeUnqualifiedPrefixList();
  });
  for (const VXString& prefix : m_unqualifiedPrefixList) {
    if (BaseStringUtil::CaseInsensitiveFindPatternAtStart(logicalTableName, prefix)) return true;
  }
  return false;
}

bool ExternalizationUtil::IsKEXUnqualifiedSegmentTable(const Ref<ALogicalTable>& logicalTable) {
  return !logicalTable.IsNull() && IsKEXUnqualifiedSegmentTable(logicalTable->GetName());
}
