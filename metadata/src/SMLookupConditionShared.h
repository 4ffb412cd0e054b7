// Helpers shared by the lookup-condition sources; not part of the library's
// interface.
#pragma once

#include "Metadata/SMLookupCondition.h"

namespace smlookup {
// The object's type id, from its meta class.
TypeID TypeOf(const ARpObject& obj);
bool IsEligible(const TypeIDVector& eligibleTypes, TypeID type);
// The gateway hint of a named condition: its types, and name when not empty.
void FillHint(const TypeIDVector& eligibleTypes, const VXString& name, LookupHint& hint);
// The name less its last segment and then less trailing empty segments,
// keeping at least one.
QualifiedName ParentName(const QualifiedName& name);
// Whether obj's qualified name ends with flexibleName; the test of
// FlexibleNamedInterfaceTypeCondition::IsNameFlexibleMatch.
bool IsNameFlexibleMatch(const Ref<ARpObject>& rpObj, const QualifiedName& flexibleName);
// The fields of a flexible condition, owned or borrowed.
struct FlexibleFields {
  const TypeIDVector& m_types;
  const QualifiedName& m_name;
  const VXString& m_objectName;
  bool m_bFlexibleNameMatch;
  bool m_bAliasMatching;
};
// The flexible condition's match: the types, then the qualified name when
// m_bFlexibleNameMatch, else the object name (or its former names with
// m_bAliasMatching). A null object never matches.
bool FlexibleMatches(const FlexibleFields& f, const Ref<ARpObject>& rpObj);
// The flexible condition's gateway hint.
void FlexibleHint(const FlexibleFields& f, LookupHint& hint);

// A FlexibleNamedInterfaceTypeCondition that borrows its types and name from
// the caller, who keeps them alive while the view is used. The lookups build
// one per query, so they copy neither; it matches, hints and writes its bytes
// as the owning condition with the same fields does, but cannot be read back
// into (FromByteVector is a logic error: there is nothing to borrow from).
class FlexibleNameView : public ACondition {
 public:
  FlexibleNameView(const TypeIDVector& eligibleTypes, const QualifiedName& flexibleName, bool bAliasMatching)
      : ACondition(FlexibleNamedInterfaceType),
        m_types(eligibleTypes),
        m_name(flexibleName),
        m_bAliasMatching(bAliasMatching) {}

  bool operator()(const Ref<ARpObject>& rpObj) const override;
  void ToByteVector(ARpGateway* pRp, ByteVector& bytes) const override;
  const uint8* FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) override;
  bool GetLookupHint(LookupHint& hint) const override;

 private:
  FlexibleFields Fields() const;

  const TypeIDVector& m_types;
  const QualifiedName& m_name;
  bool m_bAliasMatching;
};
}  // namespace smlookup
