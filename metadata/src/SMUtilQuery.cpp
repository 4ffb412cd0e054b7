// Query text: list query specs, set queries and bare join graphs
// written as logical SQL, one clause per line, and the compact diagnostic
// form. One writer per clause appends to the statement's one buffer, and
// expressions are rendered straight into it. Expressions are written by ToPrettyStringVisitor; a subquery token
// inside an expression comes back here through the visitor's subquery hook,
// so the two recurse into each other and every entry point below checks the
// stack and the job's cancellation first.
#include <memory>
#include <set>

#include "Expr/ToStringVisitor.h"
#include "ListQuerySpec/ListQuerySpec.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMUtilQueryText.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"

namespace {

const char kSourceFile[] = "server/Metadata/Src/SMUtil.cpp";
constexpr std::u32string_view kTabs = U"\t\t";

// Writes the subquery of a subquery token: tabs on, native SQL, no short
// external form. The query spec is freed however rendering ends.
VXString WriteSubquery(const ByteVector& querySpecBytes, ARpGateway* pRp, bool bFullyQualified) {
  const std::unique_ptr<AbstractListQuerySpec> spec = AbstractListQuerySpec::FromByteVector(querySpecBytes);
  return MetadataUtil::ToSQLStatement(*spec, pRp, {.fullyQualified = bFullyQualified, .tabs = true, .nativeSQL = true});
}

// Installed when the library loads, so every rendering can write subqueries.
[[maybe_unused]] const ToPrettyStringVisitor::SubqueryWriter g_previousSubqueryWriter =
    ToPrettyStringVisitor::SetSubqueryWriter(&WriteSubquery);

void EnterStatement() {
  VXThread::LowStackCheck(0);
  VXThreadJobMgr::ServiceJobCancellation();
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

class StatementWriter {
 public:
  StatementWriter(VXString& out, ARpGateway* pRp, const MetadataUtil::QueryTextOptions& options)
      : m_out(out), m_pRp(pRp), m_options(options), m_tabs(options.tabs ? kTabs : std::u32string_view()) {}

  // One statement of any kind.
  void Statement(const AbstractListQuerySpec& request) {
    EnterStatement();
    switch (request.m_queryType) {
      case AbstractListQuerySpec::kSingleQuery:
        Statement(request.ToListQuerySpec());
        return;
      case AbstractListQuerySpec::kMultiQuery:
        SetOperation(request.ToMultiListQuerySpec());
        return;
    }
    VXAssert::handleLogicError(kSourceFile, __LINE__, "query type outside its cases");
  }

  void Statement(const ListQuerySpec& request) {
    EnterStatement();
    Selections(request.m_selectionSpecs);
    const VXString derivedDataset = SelectList(request);
    if (!m_options.nativeSQL) BreakLine(request.m_projection.m_breakSpecs);
    From(request, derivedDataset);
    JoinGraphTables(request.m_joinSpec);
    Where(request);
    Having(request.m_summaryFilter);
    OrderBy(request.m_projection.m_sortSpecs);
  }

  // Subqueries joined by the set operator, then the ordering of the whole.
  void SetOperation(const MultiListQuerySpec& request) {
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
    for (int i = 0; i < request.GetNumSubqueries(); ++i) {
      if (i > 0) m_out += separator;
      Statement(request.GetIthSubquery(i));
    }
    if (!request.GetSortSpecs().empty()) {
      m_out += U"\norder by ";
      Sorts(request.GetSortSpecs());
    }
  }

  // The compact lower-case diagnostic form.
  void Diagnostic(const ListQuerySpec& request) {
    m_out += U"select ";
    if (request.m_bUnsuppressed) m_out += U"unsuppressed ";
    if (request.m_bDistinct) m_out += U"distinct ";
    const std::vector<IdentifiedExpr>& items = request.m_projection.m_edgeExprs;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) m_out += U", ";
      m_out += ToStringVisitor::StringFrom(items[i].m_expr);
      m_out += U' ';
      Render(items[i].m_expr);
      m_out += U" as ";
      AppendQuotedIdentifier(m_out, items[i].m_name, QuotingRules::kAsWritten);
    }
    m_out += U"\nBreak spec: ";
    Breaks(request.m_projection.m_breakSpecs);
    m_out += U'\n';
    if (!request.m_fromTables.empty()) {
      m_out += U"from \n";
      for (std::size_t i = 0; i < request.m_fromTables.size(); ++i) {
        m_out += U'\t';
        FromEntry(request.m_fromTables[i]);
        if (i + 1 < request.m_fromTables.size()) m_out += U", \n";
      }
    }
    query_text::AppendJoinGraphTables(m_out, request.m_joinSpec, m_pRp, m_options.fullyQualified, false);
    RenderUnlessEmpty(U"\nwhere ", request.m_detailFilter, U"");
    RenderUnlessEmpty(U"\nhaving ", request.m_summaryFilter, U"");
    if (!request.m_projection.m_sortSpecs.empty()) {
      m_out += U"\norder by ";
      Sorts(request.m_projection.m_sortSpecs);
    }
  }

 private:
  void Render(const Expr& expr) {
    ToPrettyStringVisitor::AppendTo(m_out, expr, m_pRp,
                                    {.mandatoryDoubleQuotes = true, .fullyQualified = m_options.fullyQualified});
  }

  // head, the rendered expr and tail; nothing at all when expr renders to
  // nothing.
  void RenderUnlessEmpty(std::u32string_view head, const Expr& expr, std::u32string_view tail) {
    const std::size_t mark = m_out.size();
    m_out += head;
    const std::size_t start = m_out.size();
    Render(expr);
    if (m_out.size() == start) {
      m_out.resize(mark);
      return;
    }
    m_out += tail;
  }

  // The selection names its projection items in full: a list of first
  // letters says nothing to a reader, whole names say which items it keeps.
  void Selections(const std::vector<SelectionSpec>& selections) {
    for (const SelectionSpec& selection : selections) {
      m_out += m_tabs;
      m_out += U"SELECTION ";
      m_out += selection.m_selectionName;
      m_out += U'(';
      for (std::size_t i = 0; i < selection.m_projectionNames.size(); ++i) {
        if (i > 0) m_out += U", ";
        m_out += selection.m_projectionNames[i];
      }
      m_out += U")\n";
      for (const IncludeSpec& include : selection.m_includeSpecs) {
        m_out += m_tabs;
        m_out += U"INCLUDE (";
        for (std::size_t i = 0; i < include.m_exprs.size(); ++i) {
          if (i > 0) m_out += U", ";
          Render(include.m_exprs[i]);
        }
        m_out += U')';
        if (include.m_filter.Size() != 0) {
          m_out += U" WHEN ";
          Render(include.m_filter);
        }
        m_out += U'\n';
      }
    }
  }

  // The SELECT line; returns the dataset the short external form derives
  // from the first item.
  VXString SelectList(const ListQuerySpec& request) {
    m_out += m_tabs;
    m_out += U"SELECT \n";
    m_out += m_tabs;
    if (request.m_bUnsuppressed) m_out += U"unsuppressed ";
    if (request.m_bDistinct) m_out += U"distinct ";
    VXString derivedDataset;
    const std::vector<IdentifiedExpr>& items = request.m_projection.m_edgeExprs;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) m_out += U", ";
      if (!m_options.nativeSQL) {
        m_out += ToStringVisitor::StringFrom(items[i].m_expr);
        m_out += U' ';
      }
      const std::size_t start = m_out.size();
      Render(items[i].m_expr);
      if (!m_options.shortExternalMode) {
        m_out += U" as ";
        if (m_options.nativeSQL) {
          m_out += items[i].m_name;
        } else {
          AppendQuotedIdentifier(m_out, items[i].m_name, QuotingRules::kAsWritten);
        }
      } else if (i == 0) {
        derivedDataset = DeriveDataset(m_out.substr(start));
      }
    }
    m_out += m_tabs;
    m_out += U'\n';
    return derivedDataset;
  }

  void BreakLine(const std::vector<BreakSpec>& breaks) {
    m_out += U"BREAK SPEC: ";
    Breaks(breaks);
    m_out += U'\n';
  }

  void Breaks(const std::vector<BreakSpec>& breaks) {
    bool bFirst = true;
    for (const BreakSpec& b : breaks) {
      if (!bFirst) m_out += U", ";
      bFirst = false;
      m_out += BaseStringUtil::StringFrom(static_cast<int>(b.m_nestingLevel));
      m_out += U' ';
      m_out += ToString(b.m_type);
      m_out += U' ';
      m_out += b.m_identifiedExprID;
    }
  }

  void From(const ListQuerySpec& request, const VXString& derivedDataset) {
    m_out += m_tabs;
    if (!request.m_fromTables.empty()) {
      m_out += U"FROM \n";
      for (std::size_t i = 0; i < request.m_fromTables.size(); ++i) {
        if (i > 0) m_out += U"\n\t\t";
        FromEntry(request.m_fromTables[i]);
      }
      m_out += U'\n';
    } else if (m_options.nativeSQL && !request.m_catalogFolderID.IsNull()) {
      const VXString name = NameOf(m_pRp, request.m_catalogFolderID);
      m_out += U"FROM ";
      if (m_options.shortExternalMode) {
        AppendQuotedIdentifier(m_out, name, QuotingRules::kFolderName);
      } else {
        m_out += name;
      }
      m_out += U'\n';
    } else if (m_options.shortExternalMode && !derivedDataset.empty()) {
      m_out += U"FROM ";
      m_out += derivedDataset;
    }
  }

  // One FROM entry: a join of two entries, a table, or a derived table.
  void FromEntry(const SqlTableRef& tableRef) {
    const SqlAbstractTable* pLeft = tableRef.GetLeftTable();
    const SqlAbstractTable* pRight = tableRef.GetRightTable();
    if (pRight) {
      const auto* pLeftRef = dynamic_cast<const SqlTableRef*>(pLeft);
      const auto* pRightRef = dynamic_cast<const SqlTableRef*>(pRight);
      if (!pLeftRef || !pRightRef) VXAssert::handleAssert(kSourceFile, __LINE__, "pLeftRef && pRightRef");
      m_out += U"( ";
      FromEntry(*pLeftRef);
      m_out += JoinKeyword(tableRef.GetJoinType());
      FromEntry(*pRightRef);
      Expr searchCond;
      tableRef.GetSearchCond(searchCond);
      if (searchCond.Size() != 0) {
        m_out += U" on ";
        Render(searchCond);
      }
      m_out += U" )";
      return;
    }
    switch (pLeft->GetTableType()) {
      case SqlAbstractTable::kAtomicTable: {
        VoidID id;
        static_cast<const SqlAtomicTable*>(pLeft)->GetObjID(id);
        m_out += NameOf(m_pRp, id);
        break;
      }
      case SqlAbstractTable::kDerivedTable: {
        // A derived table is written with tabs and never in the short form.
        MetadataUtil::QueryTextOptions inner = m_options;
        inner.tabs = true;
        inner.shortExternalMode = false;
        StatementWriter(m_out, m_pRp, inner).Statement(static_cast<const SqlDerivedTable*>(pLeft)->GetSubquery());
        break;
      }
      default:
        // External tables, script tables, the null table and a bare reference
        // have no text of their own.
        break;
    }
  }

  void JoinGraphTables(const JoinGraph& joinSpec) {
    if (joinSpec.empty()) return;
    m_out += m_tabs;
    query_text::AppendJoinGraphTables(m_out, joinSpec, m_pRp, m_options.fullyQualified, m_options.tabs);
    m_out += U'\n';
  }

  // The join conditions of the graph, each join once in id order however
  // many nodes list it, then the detail filter.
  void Where(const ListQuerySpec& request) {
    VoidIDSet linkIDs;
    for (const GraphNode& node : request.m_joinSpec) {
      for (const DirectedLink& link : node.GetAdjacentLinks()) {
        VoidID id;
        link.GetLinkID(id);
        linkIDs.insert(id);
      }
    }
    if (linkIDs.empty()) {
      RenderUnlessEmpty(VXString(m_tabs) + U"WHERE\n" + VXString(m_tabs), request.m_detailFilter, U"\n");
      return;
    }
    m_out += m_tabs;
    m_out += U"WHERE\n";
    m_out += m_tabs;
    bool bFirst = true;
    for (const VoidID& id : linkIDs) {
      if (!bFirst) m_out += U" AND";
      bFirst = false;
      MetadataUtil::ChangeForeignKeyOrJoinIDToString(id, m_out, m_pRp, m_options.fullyQualified);
    }
    RenderUnlessEmpty(U" AND (", request.m_detailFilter, U")");
    m_out += U'\n';
  }

  void Having(const Expr& summaryFilter) {
    RenderUnlessEmpty(VXString(m_tabs) + U"HAVING\n" + VXString(m_tabs), summaryFilter, U"\n");
  }

  void OrderBy(const std::vector<SortSpec>& sorts) {
    if (sorts.empty()) return;
    m_out += m_tabs;
    m_out += U"ORDER BY\n";
    m_out += m_tabs;
    Sorts(sorts);
    m_out += U'\n';
  }

  void Sorts(const std::vector<SortSpec>& sorts) {
    bool bFirst = true;
    for (const SortSpec& sort : sorts) {
      if (!bFirst) m_out += U", ";
      bFirst = false;
      Render(sort.m_sortSpecExpr);
      m_out += U' ';
      m_out += ToString(sort.m_direction);
    }
  }

  VXString& m_out;
  ARpGateway* m_pRp;
  MetadataUtil::QueryTextOptions m_options;
  std::u32string_view m_tabs;
};

}  // namespace

VXString MetadataUtil::ToSQLStatement(const ListQuerySpec& request, ARpGateway* pRp, const QueryTextOptions& options) {
  VXString out;
  StatementWriter(out, pRp, options).Statement(request);
  return out;
}

VXString MetadataUtil::ToSQLStatement(const AbstractListQuerySpec& request, ARpGateway* pRp,
                                      const QueryTextOptions& options) {
  VXString out;
  StatementWriter(out, pRp, options).Statement(request);
  return out;
}

VXString MetadataUtil::ToSQLStatement(const MultiListQuerySpec& request, ARpGateway* pRp,
                                      const QueryTextOptions& options) {
  VXString out;
  StatementWriter(out, pRp, options).SetOperation(request);
  return out;
}

VXString MetadataUtil::ToSQLStatement(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                      bool bNativeSQL, bool bShortExternalMode) {
  return ToSQLStatement(request, pRp, QueryTextOptions{bFullyQualified, bTabs, bNativeSQL, bShortExternalMode});
}

VXString MetadataUtil::ToSQLStatement(const AbstractListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified,
                                      bool bTabs, bool bNativeSQL, bool bShortExternalMode) {
  return ToSQLStatement(request, pRp, QueryTextOptions{bFullyQualified, bTabs, bNativeSQL, bShortExternalMode});
}

VXString MetadataUtil::ToSQLStatement(const MultiListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified,
                                      bool bTabs, bool bNativeSQL, bool bShortExternalMode) {
  return ToSQLStatement(request, pRp, QueryTextOptions{bFullyQualified, bTabs, bNativeSQL, bShortExternalMode});
}

VXString MetadataUtil::ToSQLStatement(const JoinGraph& joinSpec, ARpGateway* pRp, const QueryTextOptions& options) {
  EnterStatement();
  ListQuerySpec request;
  request.m_joinSpec = joinSpec;
  return ToSQLStatement(request, pRp, options);
}

VXString MetadataUtil::ToSQLStatement(const JoinGraph& joinSpec, ARpGateway* pRp, bool bFullyQualified, bool bTabs,
                                      bool bNativeSQL, bool bShortExternalMode) {
  return ToSQLStatement(joinSpec, pRp, QueryTextOptions{bFullyQualified, bTabs, bNativeSQL, bShortExternalMode});
}

VXString MetadataUtil::ToString(const ListQuerySpec& request, ARpGateway* pRp, bool bFullyQualified) {
  VXString out;
  StatementWriter(out, pRp, {.fullyQualified = bFullyQualified}).Diagnostic(request);
  return out;
}
