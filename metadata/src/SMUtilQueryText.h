// Shared by the query-text writers (SMUtilQuery.cpp, SMUtilQueryJoin.cpp):
// the appending forms behind MetadataUtil's join-graph and table-name text.
#pragma once

#include "ListQuerySpec/JoinGraph.h"
#include "Utility/VXString.h"
#include "objectmodel/Ref.h"

class ARpGateway;
class ARpObject;

namespace query_text {
// MetadataUtil::ToString(const JoinGraph&, ...), appended to out.
void AppendJoinGraphTables(VXString& out, const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs);
// MetadataUtil::GetFullyQualifiedTableName, appended to out.
void AppendFullyQualifiedTableName(VXString& out, const Ref<ARpObject>& rpObj);
}  // namespace query_text
