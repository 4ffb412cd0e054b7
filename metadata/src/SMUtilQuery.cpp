// Query text: list query specs, set queries and bare join graphs
// written as logical SQL, one clause per line, and the compact diagnostic
// form. Expressions are written by ToPrettyStringVisitor; a subquery token
// inside an expression comes back here through the visitor's subquery hook,
// so the two recurse into each other and every entry point below checks the
// stack and the job's cancellation first.
#include <memory>
#include <set>

#include "Expr/ToStringVisitor.h"
#include "ListQuerySpec/ListQuerySpec.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"

namespace {

const char kSourceFile[] = "server/Metadata/Src/SMUtil.cpp";
constexpr std::u32string_view kTabs = U"\t\t";

// Writes the subquery of a subquery token: tabs on, native SQL, no short
// external form. The query spec is freed however rendering ends.
VXString WriteSubquery(const ByteVector& querySpecBytes, ARpGateway* pRp, bool bFullyQualified) {
  const std::unique_ptr<AbstractListQuerySpec> spec = AbstractListQuerySpec::FromByteVector(querySpecBytes);
  return MetadataUtil::ToSQLStatement(*spec, pRp, bFullyQualified, true, true, false);
}

// Installed when the library loads, so every rendering can write subqueries.
[[maybe_unused]] const ToPrettyStringVisitor::SubqueryWriter g_previousSubqueryWriter =
    ToPrettyStringVisitor::SetSubqueryWriter(&WriteSubquery);

void EnterStatement() {
  VXThread::LowStackCheck(0);
  VXThreadJobMgr::ServiceJobCancellation();
}

VXString Render(const Expr& expr, ARpGateway* pRp, bool bFullyQualified) {
  return ToPrettyStringVisitor::StringFrom(expr, pRp, true, bFullyQualified, false, false, false);
}

std::u32string_view ToString(BreakSpec::LevelType type) {
  switch (type) {
    case BreakSpec::kBreak:
      return U"kBreak";
    case BreakSpec::kAssociated:
      return U"kAssociated";
    case BreakSpec::kBody:
      return U"kBody";
  }
  VXAssert::handleLogicError(kSourceFile, __LINE__, "break level type outside its cases");
}

std::u32string_view ToString(SortSpec::SortDirection direction) {
  switch (direction) {
    case SortSpec::kAscending:
      return U"asc";
    case SortSpec::kDescending:
      return U"desc";
    case SortSpec::kDontCare:
      return U"";
  }
  VXAssert::handleLogicError(kSourceFile, __LINE__, "sort direction outside its cases");
}

// Stitch and natural joins have no keyword of their own in the text; they
// are written with descriptive keywords so that the kind of join is never
// lost from a diagnostic or a logged statement.
std::u32string_view JoinKeyword(SqlTableRef::JoinType type) {
  switch (type) {
    case SqlTableRef::kInnerJoin:
      return U" inner join ";
    case SqlTableRef::kLeftOuterJoin:
      return U" left join ";
    case SqlTableRef::kRightOuterJoin:
      return U" right join ";
    case SqlTableRef::kFullOuterJoin:
      return U" full join ";
    case SqlTableRef::kFullOuterStitchJoin:
      return U" full outer stitch join ";
    case SqlTableRef::kNaturalJoin:
      return U" natural join ";
  }
  VXAssert::handleLogicError(kSourceFile, __LINE__, "join type outside its cases");
}

// The name of an object the query spec names by id. Without a gateway
// the id's text stands in (as the expression renderer writes references);
// with one, the id must resolve.
VXString NameOf(ARpGateway* pRp, const VoidID& id) {
  if (!pRp) return id.ToString();
  Ref<ARpObject> rpObj = pRp->GetObject(id);
  if (rpObj.IsNull()) VXAssert::handleAssert(kSourceFile, __LINE__, "!rpObj.IsNull()");
  return rpObj->GetName();
}

void AppendSorts(VXString& out, const std::vector<SortSpec>& sorts, ARpGateway* pRp, bool bFullyQualified) {
  bool bFirst = true;
  for (const SortSpec& sort : sorts) {
    if (!bFirst) out += U", ";
    bFirst = false;
    out += Render(sort.m_sortSpecExpr, pRp, bFullyQualified);
    out += U' ';
    out += ToString(sort.m_direction);
  }
}

void AppendBreaks(VXString& out, const std::vector<BreakSpec>& breaks) {
  bool bFirst = true;
  for (const BreakSpec& b : breaks) {
    if (!bFirst) out += U", ";
    bFirst = false;
    out += BaseStringUtil::StringFrom(static_cast<int>(b.m_nestingLevel));
    out += U' ';
    out += ToString(b.m_type);
    out += U' ';
    out += b.m_identifiedExprID;
  }
}

// The external dataset (or the subject area) that the first select item
// reads, for a short external statement without tables. Tokens are split at
// word separators outside quotes, each separator a token of its own.
VXString DeriveDataset(const VXString& firstItem) {
  VXStringVector tokens;
  VXString current;
  bool bInDouble = false;
  bool bInSingle = false;
  for (char32_t c : firstItem) {
    if (c == U'"') bInDouble = !bInDouble;
    if (c == U'\'') bInSingle = !bInSingle;
    if (BaseStringUtil::IsWordSeparator(c) && c != U'"' && c != U'\'' && !bInDouble && !bInSingle) {
      if (!current.empty()) tokens.push_back(std::move(current));
      current.clear();
      tokens.emplace_back(1, c);
    } else {
      current += c;
    }
  }
  if (!current.empty()) tokens.push_back(std::move(current));

  VXString acc;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const VXString& token = tokens[i];
    if (BaseStringUtil::IsCaseInsensitiveMatch(token, U"XSA")) {
      acc = token;
    } else if (!acc.empty() && token == U")") {
      return acc + U")";
    } else if (token == U".") {
      if (!acc.empty()) {
        acc += token;
      } else {
        // An item that starts with "." names no dataset in front of it.
        if (i == 0) return VXString();
        return tokens[i - 1];
      }
    } else if (!acc.empty()) {
      acc += token;
    }
  }
  return VXString();
}

// Double quotes around a catalog folder name, unless it already has them.
VXString QuoteFolderName(const VXString& name) {
  VXString out;
  if (name.empty() || name.front() != U'"') out += U'"';
  out += name;
  if (name.empty() || name.back() != U'"') out += U'"';
  return out;
}

// One FROM entry.
VXString ToString(const SqlTableRef* pSqlTableRef, ARpGateway* pRp, bool bFullyQualified, bool bNativeSQL) {
  VXString out;
  const SqlAbstractTable* pLeft = pSqlTableRef->GetLeftTable();
  const SqlAbstractTable* pRight = pSqlTableRef->GetRightTable();
  if (pRight) {
    const auto* pLeftRef = dynamic_cast<const SqlTableRef*>(pLeft);
    const auto* pRightRef = dynamic_cast<const SqlTableRef*>(pRight);
    if (!pLeftRef || !pRightRef) VXAssert::handleAssert(kSourceFile, __LINE__, "pLeftRef && pRightRef");
    out += U"( ";
    out += ToString(pLeftRef, pRp, bFullyQualified, bNativeSQL);
    out += JoinKeyword(pSqlTableRef->GetJoinType());
    out += ToString(pRightRef, pRp, bFullyQualified, bNativeSQL);
    Expr searchCond;
    pSqlTableRef->GetSearchCond(searchCond);
    if (searchCond.Size() != 0) {
      out += U" on ";
      out += Render(searchCond, pRp, bFullyQualified);
    }
    out += U" )";
    return out;
  }
  switch (pLeft->GetTableType()) {
    case SqlAbstractTable::kAtomicTable: {
      VoidID id;
      static_cast<const SqlAtomicTable*>(pLeft)->GetObjID(id);
      out += NameOf(pRp, id);
      break;
    }
    case SqlAbstractTable::kDerivedTable:
      out += MetadataUtil::ToSQLStatement(static_cast<const SqlDerivedTable*>(pLeft)->GetSubquery(), pRp,
                                          bFullyQualified, true, bNativeSQL, false);
      break;
    default:
      // External tables, script tables, the null table and a bare reference
      // have no text of their own.
      break;
  }
  return out;
}

}  // namespace

VXString MetadataUtil::ToSQLStatement(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                      bool bNativeSQL, bool bShortExternalMode) {
  EnterStatement();
  const std::u32string_view tabs = bTabs ? kTabs : std::u32string_view();
  VXString out;

  // The selection names its projection items in full: a list of first
  // letters says nothing to a reader, whole names say which items it keeps.
  for (const SelectionSpec& selection : request.m_selectionSpecs) {
    out += tabs;
    out += U"SELECTION ";
    out += selection.m_selectionName;
    out += U'(';
    for (std::size_t i = 0; i < selection.m_projectionNames.size(); ++i) {
      if (i > 0) out += U", ";
      out += selection.m_projectionNames[i];
    }
    out += U")\n";
    for (const IncludeSpec& include : selection.m_includeSpecs) {
      out += tabs;
      out += U"INCLUDE (";
      for (std::size_t i = 0; i < include.m_exprs.size(); ++i) {
        if (i > 0) out += U", ";
        out += Render(include.m_exprs[i], pRp, bFullyQualified);
      }
      out += U')';
      if (include.m_filter.Size() != 0) {
        out += U" WHEN ";
        out += Render(include.m_filter, pRp, bFullyQualified);
      }
      out += U'\n';
    }
  }

  out += tabs;
  out += U"SELECT \n";
  out += tabs;
  if (request.m_bUnsuppressed) out += U"unsuppressed ";
  if (request.m_bDistinct) out += U"distinct ";

  VXString derivedDataset;
  const std::vector<IdentifiedExpr>& items = request.m_projection.m_edgeExprs;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += U", ";
    if (!bNativeSQL) {
      out += ToStringVisitor::StringFrom(items[i].m_expr);
      out += U' ';
    }
    const VXString text = Render(items[i].m_expr, pRp, bFullyQualified);
    out += text;
    if (!bShortExternalMode) {
      out += U" as ";
      if (!bNativeSQL) out += U'"';
      out += items[i].m_name;
      if (!bNativeSQL) out += U'"';
    } else if (i == 0) {
      derivedDataset = DeriveDataset(text);
    }
  }
  out += tabs;
  out += U'\n';

  if (!bNativeSQL) {
    out += U"BREAK SPEC: ";
    AppendBreaks(out, request.m_projection.m_breakSpecs);
    out += U'\n';
  }

  out += tabs;
  if (!request.m_fromTables.empty()) {
    out += U"FROM \n";
    for (std::size_t i = 0; i < request.m_fromTables.size(); ++i) {
      if (i > 0) out += U"\n\t\t";
      out += ::ToString(&request.m_fromTables[i], pRp, bFullyQualified, bNativeSQL);
    }
    out += U'\n';
  } else if (bNativeSQL && !request.m_catalogFolderID.IsNull()) {
    const VXString name = NameOf(pRp, request.m_catalogFolderID);
    out += U"FROM ";
    out += bShortExternalMode ? QuoteFolderName(name) : name;
    out += U'\n';
  } else if (bShortExternalMode && !derivedDataset.empty()) {
    out += U"FROM ";
    out += derivedDataset;
  }

  if (!request.m_joinSpec.empty()) {
    out += tabs;
    out += ToString(request.m_joinSpec, pRp, bFullyQualified, bTabs);
    out += U'\n';
  }

  // Each join once, in id order, however many nodes list it.
  VoidIDSet linkIDs;
  for (const GraphNode& node : request.m_joinSpec) {
    for (const DirectedLink& link : node.GetAdjacentLinks()) {
      VoidID id;
      link.GetLinkID(id);
      linkIDs.insert(id);
    }
  }
  const VXString filter = Render(request.m_detailFilter, pRp, bFullyQualified);
  if (!filter.empty() || !linkIDs.empty()) {
    out += tabs;
    out += U"WHERE\n";
    out += tabs;
    bool bFirst = true;
    for (const VoidID& id : linkIDs) {
      if (!bFirst) out += U" AND";
      bFirst = false;
      ChangeForeignKeyOrJoinIDToString(id, out, pRp, bFullyQualified);
    }
    if (!filter.empty() && !linkIDs.empty()) {
      out += U" AND (";
      out += filter;
      out += U')';
    } else if (!filter.empty()) {
      out += filter;
    }
    out += U'\n';
  }

  const VXString having = Render(request.m_summaryFilter, pRp, bFullyQualified);
  if (!having.empty()) {
    out += tabs;
    out += U"HAVING\n";
    out += tabs;
    out += having;
    out += U'\n';
  }

  if (!request.m_projection.m_sortSpecs.empty()) {
    out += tabs;
    out += U"ORDER BY\n";
    out += tabs;
    AppendSorts(out, request.m_projection.m_sortSpecs, pRp, bFullyQualified);
    out += U'\n';
  }
  return out;
}

VXString MetadataUtil::ToSQLStatement(const AbstractListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified,
                                      bool bTabs, bool bNativeSQL, bool bShortExternalMode) {
  EnterStatement();
  switch (request.m_queryType) {
    case AbstractListQuerySpec::kSingleQuery:
      return ToSQLStatement(request.ToListQuerySpec(), pRp, bFullyQualified, bTabs, bNativeSQL, bShortExternalMode);
    case AbstractListQuerySpec::kMultiQuery:
      return ToSQLStatement(request.ToMultiListQuerySpec(), pRp, bFullyQualified, bTabs, bNativeSQL,
                            bShortExternalMode);
  }
  VXAssert::handleLogicError(kSourceFile, __LINE__, "query type outside its cases");
}

VXString MetadataUtil::ToSQLStatement(const MultiListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified,
                                      bool bTabs, bool bNativeSQL, bool bShortExternalMode) {
  EnterStatement();
  VXString separator = U"\n";
  switch (request.GetCombineQueryOperation()) {
    case MultiListQuerySpec::kUnion:
      separator += U"UNION";
      break;
    case MultiListQuerySpec::kIntersect:
      separator += U"INTERSECT";
      break;
    default:
      separator += U"EXCEPT";
      break;
  }
  if (request.IsAll()) separator += U" ALL";
  separator += U'\n';

  VXString out;
  for (int i = 0; i < request.GetNumSubqueries(); ++i) {
    if (i > 0) out += separator;
    out += ToSQLStatement(request.GetIthSubquery(i), pRp, bFullyQualified, bTabs, bNativeSQL, bShortExternalMode);
  }
  if (!request.GetSortSpecs().empty()) {
    out += U"\norder by ";
    AppendSorts(out, request.GetSortSpecs(), pRp, bFullyQualified);
  }
  return out;
}

VXString MetadataUtil::ToSQLStatement(const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                      bool bNativeSQL, bool bShortExternalMode) {
  EnterStatement();
  ListQuerySpec request;
  request.m_joinSpec = joinSpec;
  return ToSQLStatement(request, pRp, bFullyQualified, bTabs, bNativeSQL, bShortExternalMode);
}

VXString MetadataUtil::ToString(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified) {
  VXString out = U"select ";
  if (request.m_bUnsuppressed) out += U"unsuppressed ";
  if (request.m_bDistinct) out += U"distinct ";
  const std::vector<IdentifiedExpr>& items = request.m_projection.m_edgeExprs;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += U", ";
    out += ToStringVisitor::StringFrom(items[i].m_expr);
    out += U' ';
    out += Render(items[i].m_expr, pRp, bFullyQualified);
    out += U" as \"";
    out += items[i].m_name;
    out += U'"';
  }
  out += U"\nBreak spec: ";
  AppendBreaks(out, request.m_projection.m_breakSpecs);
  out += U'\n';
  if (!request.m_fromTables.empty()) {
    out += U"from \n";
    for (std::size_t i = 0; i < request.m_fromTables.size(); ++i) {
      out += U'\t';
      out += ::ToString(&request.m_fromTables[i], pRp, bFullyQualified, false);
      if (i + 1 < request.m_fromTables.size()) out += U", \n";
    }
  }
  out += ToString(request.m_joinSpec, pRp, bFullyQualified, false);
  const VXString filter = Render(request.m_detailFilter, pRp, bFullyQualified);
  if (!filter.empty()) {
    out += U"\nwhere ";
    out += filter;
  }
  const VXString having = Render(request.m_summaryFilter, pRp, bFullyQualified);
  if (!having.empty()) {
    out += U"\nhaving ";
    out += having;
  }
  if (!request.m_projection.m_sortSpecs.empty()) {
    out += U"\norder by ";
    AppendSorts(out, request.m_projection.m_sortSpecs, pRp, bFullyQualified);
  }
  return out;
}
