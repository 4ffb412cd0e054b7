// Qualified names as people type them in a command line or a script, and the
// objects such a name (or an id) stands for.
//
//   QualifiedNameFromText(U"\"Sales DW\".SALESDB");     // {"Sales DW", "SALESDB"}
//   QualifiedNameFromText(U"\"Sales\"..\"Orders\"");    // {"Sales", "", "Orders"}
//   RpObjectVector found = FindObjectsNamedByText(pRp, U"Sales", 0);  // a database and a subject area
//
// Segments are separated by full stops, each either written in double quotes
// (a doubled quote standing for one, full stops kept) or bare, freely mixed.
// Text that does not read this way (an unclosed quote, text right after a
// closing quote) is cut at every full stop as
// MetadataUtil::ConvertNameToQualifiedName does. Nothing here throws.
#pragma once

#include "Utility/VXString.h"
#include "objectmodel/RpGateway.h"

// The segments of a typed qualified name.
QualifiedName QualifiedNameFromText(const VXString& text);

// Every object that text names: the object of an id ("3001:12"), or for a
// qualified name one object per type that has an object of exactly that name
// (case counts, empty levels left out; see
// MetadataUtil::GetRpObjectFromQualifiedName), types in the order the
// repository first had them. With a type other than 0 only that type is
// asked. Empty when nothing bears the name.
RpObjectVector FindObjectsNamedByText(ARpGateway* pRp, const VXString& text, TypeID type = 0);
