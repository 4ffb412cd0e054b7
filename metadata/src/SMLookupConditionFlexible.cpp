// FlexibleNamedInterfaceTypeCondition: a partial qualified name, aligned with
// the end of the object's qualified name.
#include <cstddef>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupConditionShared.h"
#include "Utility/BaseStringUtil.h"
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
  const ARpObject* p = rpObj.Get();
  if (!p || !smlookup::IsEligible(m_eligibleTypes, smlookup::TypeOf(*p))) return false;
  if (m_bFlexibleNameMatch) return IsNameFlexibleMatch(rpObj, m_flexibleName);
  if (m_bAliasMatching) return p->IsNameOrAlias(m_objectName);
  return BaseStringUtil::IsCaseInsensitiveMatch(m_objectName, p->GetName());
}

bool FlexibleNamedInterfaceTypeCondition::GetLookupHint(LookupHint& hint) const {
  static const VXString kNone;
  const VXString& name = m_bFlexibleNameMatch ? (m_flexibleName.empty() ? kNone : m_flexibleName.back()) : m_objectName;
  smlookup::FillHint(m_eligibleTypes, name, hint);
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
  const ARpObject* p = rpObj.Get();
  if (!p) return false;

  // A presentation table answers to its former names as well: the names a
  // query may still use after the table was renamed.
  const bool bIsAEntityFolder = smlookup::TypeOf(*p) == kTIDAEntityFolder;
  VXStringVector entityFolderNames;
  if (bIsAEntityFolder) {
    p->GetAliases(entityFolderNames);
    entityFolderNames.push_back(p->GetName());
  }

  QualifiedName qualifiedName;
  MetadataUtil::GenerateQualifiedName(rpObj, qualifiedName);
  const std::size_t nFlexible = flexibleName.size();
  const std::size_t nQualified = qualifiedName.size();

  if (bIsAEntityFolder) {
    const Ref<AEntityFolder> table(rpObj);
    const Ref<ACatalogFolder> area = table.IsNull() ? Ref<ACatalogFolder>() : table->GetCatalogFolder();
    if (area.IsNull()) return false;
    VXStringVector catalogFolderNames;
    area->GetAliases(catalogFolderNames);
    catalogFolderNames.push_back(area->GetName());
    // A former name of the subject area counts as its name, but only when
    // the whole name is given (the first segments line up).
    if (nFlexible == nQualified && nFlexible > 0 && IsMatchOneOfTheNames(flexibleName[0], catalogFolderNames)) {
      qualifiedName[0] = flexibleName[0];
    }
  }

  std::size_t stopPos = 0;  // leading empty segments stand for any segment
  while (stopPos < nFlexible && flexibleName[stopPos].empty()) ++stopPos;
  if (nFlexible > nQualified) return false;
  if (stopPos == nFlexible) return true;

  const std::size_t shift = nQualified - nFlexible;
  for (std::size_t i = nFlexible; i-- > stopPos;) {
    const bool bMatch = (bIsAEntityFolder && i == nFlexible - 1)
                            ? IsMatchOneOfTheNames(flexibleName[i], entityFolderNames)
                            : BaseStringUtil::IsCaseInsensitiveMatch(flexibleName[i], qualifiedName[i + shift]);
    if (!bMatch) return false;
  }
  return true;
}
