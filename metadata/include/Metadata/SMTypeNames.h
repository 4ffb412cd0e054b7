// SMTypeNames: the display name of an interface type, for callers that do
// not know whether the type has one (a type reachable by number only has
// none). MetadataUtil::ToTypeName reads the same table and treats a type
// without a name as a logic error.
//
//   VXString name;
//   if (SMTypeNames::Find(kTIDALogicalTable, name)) ...   // U"LOGICAL TABLE"
//   SMTypeNames::Find(3064, name);                         // false, name untouched
#pragma once

#include "Utility/VXString.h"
#include "Utility/VoidID.h"

namespace SMTypeNames {
// The upper-case display name of typeID; false when the table has none.
bool Find(TypeID typeID, VXString& name);
}  // namespace SMTypeNames
