// Helpers shared by the lookup algorithms' sources; not part of the
// library's interface.
#pragma once

#include <cstddef>
#include <vector>

#include "Metadata/SMLookupCondition.h"

namespace smlookup {
// One match kOK, several kAmbiguousTable, none kInaccessibleTable when read
// security removed a match, else kNonexistentTable.
NamedInterfaceTypeCondition::LookupFolderTreeRetCode CodeFromCount(std::size_t count, bool bFoundInaccessible);
// Whether the lookup may use the object: always when inaccessible objects
// are projected as nulls, else when the current user may read it.
bool IsReadable(ARpGateway* pRp, const VoidID& id, bool bProjectInaccessibleColumnAsNull);
// The same for an object in hand (no probe by id).
bool IsReadable(ARpGateway* pRp, ARpObject& obj, bool bProjectInaccessibleColumnAsNull);
// NamedInterfaceTypeCondition::QueryWithSecurity for a caller that goes on
// to read what it finds: the readable matches, as objects, into objects
// (emptied first), in the gateway's order.
void QueryReadable(ARpGateway* pRp, const ACondition& condition, std::vector<ARpObject*>& objects,
                   bool bProjectInaccessibleColumnAsNull, bool& bFoundInaccessible);
// GatherAllQualifiedNameIDPairsForAnObject for an object in hand.
void AppendAllNames(const ARpObject& obj, QualifiedNameIDPairVector& qNameIDPairs);
// Appends (qualified name, id) of each id to candidates, when there is a
// candidate list.
void AppendCandidates(ARpGateway* pRp, const VoidIDVector& ids, QualifiedNameIDPairVector* candidates);
// The columns of folder at the layer, in relation order; nothing when the
// folder is not a table of that layer.
RpObjectVector ColumnsOfLayer(const Ref<ARpObject>& folder, ExprType exprType);
}  // namespace smlookup
