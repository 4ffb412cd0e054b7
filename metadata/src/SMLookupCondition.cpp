// The name records, the shared name tests and NamedInterfaceTypeCondition.
// The flexible condition lives in SMLookupConditionFlexible.cpp, the byte
// forms and the registration in SMLookupConditionBytes.cpp, the UDML children
// in SMLookupConditionChildren.cpp.
#include "Metadata/SMLookupCondition.h"

#include <algorithm>

#include "Metadata/SMUtil.h"
#include "SMLookupConditionShared.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/ObjectParent.h"

namespace smlookup {

TypeID TypeOf(const ARpObject& obj) {
  // A type's meta class bears the type's own id, and a type without one
  // answers its id: the object's id either way, without the table lookup.
  return obj.GetTypeID();
}

bool IsEligible(const TypeIDVector& eligibleTypes, TypeID type) {
  return std::find(eligibleTypes.begin(), eligibleTypes.end(), type) != eligibleTypes.end();
}

void FillHint(const TypeIDVector& eligibleTypes, const VXString& name, LookupHint& hint) {
  hint = LookupHint();
  hint.m_bHasTypes = true;
  hint.m_types = eligibleTypes;
  // An empty name is not a key of the name index (and an empty last segment
  // of a flexible name stands for any name), so then the types alone narrow.
  if (!name.empty()) {
    hint.m_bHasName = true;
    hint.m_name = name;
  }
}

QualifiedName ParentName(const QualifiedName& name) {
  QualifiedName parent = name;
  if (!parent.empty()) parent.pop_back();
  while (parent.size() > 1 && parent.back().empty()) parent.pop_back();
  return parent;
}

}  // namespace smlookup

using smlookup::TypeOf;

// ---- records ------------------------------------------------------------------

bool operator<(const NameIDPair& a, const NameIDPair& b) {
  if (a.m_name != b.m_name) return a.m_name < b.m_name;
  return a.m_id < b.m_id;  // type id (signed), then unique number (unsigned)
}

bool operator<(const QualifiedNameIDPair& a, const QualifiedNameIDPair& b) {
  if (std::lexicographical_compare(a.m_qName.begin(), a.m_qName.end(), b.m_qName.begin(), b.m_qName.end())) {
    return true;
  }
  if (std::lexicographical_compare(b.m_qName.begin(), b.m_qName.end(), a.m_qName.begin(), a.m_qName.end())) {
    return false;
  }
  return a.m_id < b.m_id;
}

// ---- free functions -------------------------------------------------------------

bool IsMatchOneOfTheNames(const VXString& name, const VXStringVector& allNames) {
  for (const VXString& candidate : allNames) {
    if (BaseStringUtil::IsCaseInsensitiveMatch(name, candidate)) return true;
  }
  return false;
}

void AddObject(const Ref<ARpObject>& obj, RpObjectVector& v) {
  if (!obj.IsNull()) v.push_back(obj);
}

void InsertVoidIDVecToVoidIDSet(VoidIDSet& destIDs, const VoidIDVector& srcIDs) {
  destIDs.insert(srcIDs.begin(), srcIDs.end());
}

// ---- NamedInterfaceTypeCondition ---------------------------------------------------

NamedInterfaceTypeCondition::NamedInterfaceTypeCondition()
    : ObjectNameCondition(NamedInterfaceType, VXString(), false) {}

NamedInterfaceTypeCondition::NamedInterfaceTypeCondition(const TypeID& namedInterfaceTypeID,
                                                         const QualifiedName& qualifiedObjectName, bool bAliasMatching)
    : NamedInterfaceTypeCondition(TypeIDVector{namedInterfaceTypeID}, qualifiedObjectName, bAliasMatching) {}

NamedInterfaceTypeCondition::NamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes,
                                                         const QualifiedName& qualifiedObjectName, bool bAliasMatching)
    : ObjectNameCondition(NamedInterfaceType, qualifiedObjectName.empty() ? VXString() : qualifiedObjectName.back(),
                          bAliasMatching),
      m_eligibleTypes(eligibleTypes),
      m_qualifiedName(qualifiedObjectName),
      m_qName(MetadataUtil::ToQualifiedName(qualifiedObjectName)),
      m_bQualifiedNameMatch(true) {}

NamedInterfaceTypeCondition::NamedInterfaceTypeCondition(const TypeID& namedInterfaceTypeID, const VXString& objectName,
                                                         const QualifiedName& qualifiedParentName, bool bAliasMatching)
    : NamedInterfaceTypeCondition(TypeIDVector{namedInterfaceTypeID}, objectName, qualifiedParentName, bAliasMatching) {
}

NamedInterfaceTypeCondition::NamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes, const VXString& objectName,
                                                         const QualifiedName& qualifiedParentName, bool bAliasMatching)
    : ObjectNameCondition(NamedInterfaceType, objectName, bAliasMatching),
      m_eligibleTypes(eligibleTypes),
      m_qualifiedName(qualifiedParentName),
      m_qName(MetadataUtil::ToQualifiedName(qualifiedParentName, objectName)),
      m_bQualifiedNameMatch(!qualifiedParentName.empty()) {
  m_qualifiedName.push_back(objectName);
}

bool NamedInterfaceTypeCondition::operator()(const Ref<ARpObject>& rpObj) const {
  const ARpObject* p = rpObj.Get();
  if (!p || !smlookup::IsEligible(m_eligibleTypes, TypeOf(*p))) return false;
  if (m_bQualifiedNameMatch) return MetadataUtil::IsQualifiedNameMatch(rpObj, m_qName, m_bAliasMatching);
  if (m_bAliasMatching) return p->IsNameOrAlias(m_objectName);
  return BaseStringUtil::IsCaseInsensitiveMatch(m_objectName, p->GetName());
}

VXString NamedInterfaceTypeCondition::ToConditionString(QueryLanguage lang) const { throw UnsupportedLanguage(lang); }

bool NamedInterfaceTypeCondition::GetLookupHint(LookupHint& hint) const {
  // The name the match really tests: the last segment of the qualified name
  // when the whole name is compared (decoded bytes need not agree with the
  // base part's object name), the object name otherwise.
  static const VXString kNone;
  const VXString& name =
      m_bQualifiedNameMatch ? (m_qualifiedName.empty() ? kNone : m_qualifiedName.back()) : m_objectName;
  smlookup::FillHint(m_eligibleTypes, name, hint);
  // The whole written name is compared, so only objects under parents that
  // bear the leading segments can match: the gateway may walk down to them.
  if (m_bQualifiedNameMatch && IsFullyQualifiedSearch()) {
    hint.m_bHasPath = true;
    hint.m_bPathAliases = m_bAliasMatching;
    hint.m_path = m_qualifiedName;
  }
  return true;
}

bool NamedInterfaceTypeCondition::IsFullyQualifiedSearch() const { return m_qualifiedName.size() >= 2; }

NamedInterfaceTypeCondition* NamedInterfaceTypeCondition::GetParentCondition() const {
  TypeIDVector parentTypes;
  FindParentTypeIDs(m_eligibleTypes, parentTypes);
  return new NamedInterfaceTypeCondition(parentTypes, smlookup::ParentName(m_qualifiedName), m_bAliasMatching);
}

void NamedInterfaceTypeCondition::GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const {
  GetUDMLChildren(parent, children);
}

bool NamedInterfaceTypeCondition::MatchesNameOrAliases(const VXString& name, const Ref<ARpObject>& obj) {
  const ARpObject* p = obj.Get();
  if (!p) return false;
  // The current name first, then the former names from the newest; read in
  // place, as column lookups call this for every column of a table.
  if (BaseStringUtil::IsCaseInsensitiveMatch(name, p->GetName())) return true;
  const VXStringVector& aliases = p->GetAliasList();
  for (auto it = aliases.rbegin(); it != aliases.rend(); ++it) {
    if (BaseStringUtil::IsCaseInsensitiveMatch(name, *it)) return true;
  }
  return false;
}

QualifiedName& NamedInterfaceTypeCondition::AddSchemaForCrystalReport(const QualifiedName& qualifiedName,
                                                                      QualifiedName& qName, bool bChopLastPart) {
  qName.clear();
  // An empty name has no catalog to keep; answer an empty one rather than
  // reading a segment that is not there.
  if (qualifiedName.empty()) return qName;
  qName.push_back(qualifiedName[0]);
  qName.emplace_back();
  const std::size_t n = qualifiedName.size();
  const std::size_t last = n - (bChopLastPart ? 1 : 0);
  for (std::size_t i = 1; i < last; ++i) qName.push_back(qualifiedName[i]);
  return qName;
}

// ---- WildcardNameCondition -----------------------------------------------------------

WildcardNameCondition::WildcardNameCondition() : ACondition(WildCardName) {}

WildcardNameCondition::WildcardNameCondition(const VXString& objName, bool bAliasMatching)
    : ACondition(WildCardName), m_objName(objName), m_bAliasMatching(bAliasMatching) {}

bool WildcardNameCondition::operator()(const Ref<ARpObject>& rpObj) const {
  const ARpObject* p = rpObj.Get();
  if (!p) return false;
  if (m_bAliasMatching) return p->IsWildcardNameOrAlias(m_objName);
  return BaseStringUtil::IsWildcardCaseInsensitiveMatch(p->GetName(), m_objName);
}

VXString WildcardNameCondition::ToConditionString(QueryLanguage lang) const { throw UnsupportedLanguage(lang); }
