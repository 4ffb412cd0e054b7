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
}  // namespace smlookup
