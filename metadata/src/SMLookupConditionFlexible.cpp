// FlexibleNamedInterfaceTypeCondition: a partial qualified name, aligned with
// the end of the object's qualified name.
#include <cstddef>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupConditionShared.h"
#include "SMQualifiedNameWalk.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/VXAssert.h"
#include "objectmodel/ObjectParent.h"

FlexibleNamedInterfaceTypeCondition::FlexibleNamedInterfaceTypeCondition()
    : ObjectNameCondition(FlexibleNamedInterfaceType, VXString(), false) {}

FlexibleNamedInterfaceTypeCondition::FlexibleNamedInterfaceTypeCondition(const TypeIDVector& eligibleTypes,
                                                                         const QualifiedName& flexibleName,
                                                                         bool bAliasMatching)
    : ObjectNameCondition(FlexibleNamedInterfaceType, flexibleName.empty() ? VXString() : flexibleName.back(),
                          bAliasMatching),
      m_eligibleTypes(eligibleTypes),
      nameSize(static_cast<std::int32_t>(flexibleName.size())),
      m_flexibleName(flexibleName),
      m_bFlexibleNameMatch(flexibleName.size() >= 2) {}

bool FlexibleNamedInterfaceTypeCondition::operator()(const Ref<ARpObject>& rpObj) const {
  return smlookup::FlexibleMatches(
      {m_eligibleTypes, m_flexibleName, m_objectName, m_bFlexibleNameMatch, m_bAliasMatching}, rpObj);
}

bool FlexibleNamedInterfaceTypeCondition::GetLookupHint(LookupHint& hint) const {
  smlookup::FlexibleHint({m_eligibleTypes, m_flexibleName, m_objectName, m_bFlexibleNameMatch, m_bAliasMatching}, hint);
  return true;
}

bool FlexibleNamedInterfaceTypeCondition::IsFullyQualifiedSearch() const { return m_flexibleName.size() >= 2; }

FlexibleNamedInterfaceTypeCondition* FlexibleNamedInterfaceTypeCondition::GetParentCondition() const {
  TypeIDVector parentTypes;
  FindParentTypeIDs(m_eligibleTypes, parentTypes);
  return new FlexibleNamedInterfaceTypeCondition(parentTypes, smlookup::ParentName(m_flexibleName), m_bAliasMatching);
}

void FlexibleNamedInterfaceTypeCondition::GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const {
  GetUDMLChildren(parent, children);
}

bool FlexibleNamedInterfaceTypeCondition::IsNameFlexibleMatch(const Ref<ARpObject>& rpObj,
                                                              const QualifiedName& flexibleName) const {
  return smlookup::IsNameFlexibleMatch(rpObj, flexibleName);
}

namespace {
// IsMatchOneOfTheNames over the object's former names and its name, read in
// place rather than copied into a list for every candidate.
bool IsOneOfTheNames(const VXString& name, const ARpObject& obj) {
  if (BaseStringUtil::IsCaseInsensitiveMatch(name, obj.GetName())) return true;
  for (const VXString& alias : obj.GetAliasList()) {
    if (BaseStringUtil::IsCaseInsensitiveMatch(name, alias)) return true;
  }
  return false;
}
}  // namespace

namespace smlookup {

namespace {
// The subject area of a presentation table: its nearest container of that
// type, as AEntityFolder::GetCatalogFolder finds it, read without handles
// (the match runs for every candidate of every lookup). Objects are made
// only by the type table, one class per type id, so the ids tell the
// classes apart without a cast.
const ARpObject* SubjectAreaOf(const ARpObject& table) {
  if (table.GetTypeID() != kTIDAEntityFolder) return nullptr;
  for (const ARpObject* p = table.GetParentPointer(); p; p = p->GetParentPointer()) {
    if (p->GetTypeID() == kTIDACatalogFolder) return p;
  }
  return nullptr;
}

// IsNameFlexibleMatch of a live object whose type (TypeOf) the caller knows.
bool IsNameFlexibleMatch(const ARpObject* p, TypeID type, const QualifiedName& flexibleName) {
  // A presentation table answers to its former names as well: the names a
  // query may still use after the table was renamed.
  const bool bIsAEntityFolder = type == kTIDAEntityFolder;
  const ARpObject* area = nullptr;
  if (bIsAEntityFolder) {
    area = SubjectAreaOf(*p);
    if (!area) return false;
  }

  const std::size_t nFlexible = flexibleName.size();
  std::size_t stopPos = 0;  // leading empty segments stand for any segment
  while (stopPos < nFlexible && flexibleName[stopPos].empty()) ++stopPos;

  // The name's segments line up with the end of the qualified name, which
  // the walk up the containers visits from the end: each segment is
  // compared where it is read, nothing is copied. The first segment's
  // outcome is kept apart: when the whole name is given, a former name of
  // the subject area may stand for it, and the length is known only after
  // the walk.
  bool bRestMatches = true;
  bool bFirstMatches = true;
  bool bFirstFromSegment = false;
  std::size_t k = 0;
  const std::size_t nQualified = smnames::ForEachSegmentInnermostFirst(*p, [&](const VXString& segment) {
    const std::size_t fromEnd = k++;
    if (!bRestMatches || fromEnd >= nFlexible) return;
    const std::size_t i = nFlexible - 1 - fromEnd;
    if (i < stopPos) return;
    const bool bOwnName = bIsAEntityFolder && fromEnd == 0;
    const bool bMatch = bOwnName ? IsOneOfTheNames(flexibleName[i], *p)
                                 : BaseStringUtil::IsCaseInsensitiveMatch(flexibleName[i], segment);
    if (i == 0) {
      bFirstMatches = bMatch;
      bFirstFromSegment = !bOwnName;
    } else if (!bMatch) {
      bRestMatches = false;
    }
  });

  if (nFlexible > nQualified) return false;
  if (stopPos == nFlexible) return true;
  if (!bRestMatches) return false;
  if (!bFirstMatches && bFirstFromSegment && bIsAEntityFolder && nFlexible == nQualified &&
      IsOneOfTheNames(flexibleName[0], *area)) {
    bFirstMatches = true;
  }
  return bFirstMatches;
}
}  // namespace

bool IsNameFlexibleMatch(const Ref<ARpObject>& rpObj, const QualifiedName& flexibleName) {
  const ARpObject* p = rpObj.Get();
  return p && IsNameFlexibleMatch(p, smlookup::TypeOf(*p), flexibleName);
}

bool FlexibleMatches(const FlexibleFields& f, const Ref<ARpObject>& rpObj) {
  const ARpObject* p = rpObj.Get();
  if (!p) return false;
  const TypeID type = TypeOf(*p);
  if (!IsEligible(f.m_types, type)) return false;
  if (f.m_bFlexibleNameMatch) return IsNameFlexibleMatch(p, type, f.m_name);
  if (f.m_bAliasMatching) return p->IsNameOrAlias(f.m_objectName);
  return BaseStringUtil::IsCaseInsensitiveMatch(f.m_objectName, p->GetName());
}

void FlexibleHint(const FlexibleFields& f, LookupHint& hint) {
  static const VXString kNone;
  const VXString& name = f.m_bFlexibleNameMatch ? (f.m_name.empty() ? kNone : f.m_name.back()) : f.m_objectName;
  FillHint(f.m_types, name, hint);
}

// ---- FlexibleNameView ----------------------------------------------------------

FlexibleFields FlexibleNameView::Fields() const {
  static const VXString kNone;
  return {m_types, m_name, m_name.empty() ? kNone : m_name.back(), m_name.size() >= 2, m_bAliasMatching};
}

bool FlexibleNameView::operator()(const Ref<ARpObject>& rpObj) const { return FlexibleMatches(Fields(), rpObj); }

bool FlexibleNameView::GetLookupHint(LookupHint& hint) const {
  FlexibleHint(Fields(), hint);
  return true;
}

void FlexibleNameView::ToByteVector(ARpGateway* pRp, ByteVector& bytes) const {
  FlexibleNamedInterfaceTypeCondition(m_types, m_name, m_bAliasMatching).ToByteVector(pRp, bytes);
}

const uint8* FlexibleNameView::FromByteVector(ARpGateway*, const uint8*, const uint8*) {
  VXAssert::handleLogicError("metadata/src/SMLookupConditionFlexible.cpp", __LINE__,
                             "a borrowed flexible condition cannot be read from bytes");
}

}  // namespace smlookup
