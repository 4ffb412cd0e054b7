// A query spec written back in the front end's grammar, one
// clause per line, every expression through ToPrettyStringVisitor in the
// chosen naming mode. In the fully qualified mode the text binds again to
// the same query spec.
#include <memory>
#include <utility>

#include "Metadata/SMUtil.h"
#include "SMLogicalSQLInternal.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "objectmodel/RpGateway.h"

namespace logical_sql::detail {
namespace {

// The options of the statement this thread is writing, for its subqueries.
thread_local const FormatOptions* t_options = nullptr;

VXString WriteSubquery(const ByteVector& bytes, ARpGateway* pRp, bool bFullyQualified);

// Sets this thread's subquery writer to the logical SQL one while a
// statement is written, and puts back what was there.
class SubqueryScope {
 public:
  explicit SubqueryScope(const FormatOptions& options)
      : m_oldOptions(std::exchange(t_options, &options)),
        m_oldWriter(pretty_detail::SetThreadSubqueryWriter(&WriteSubquery)) {}
  ~SubqueryScope() {
    t_options = m_oldOptions;
    pretty_detail::SetThreadSubqueryWriter(m_oldWriter);
  }
  SubqueryScope(const SubqueryScope&) = delete;
  SubqueryScope& operator=(const SubqueryScope&) = delete;

 private:
  const FormatOptions* m_oldOptions;
  ToPrettyStringVisitor::SubqueryWriter m_oldWriter;
};

class Writer {
 public:
  Writer(VXString& out, ARpGateway* pRp, const FormatOptions& options) : m_out(out), m_pRp(pRp), m_options(options) {}

  void Query(const AbstractListQuerySpec& q, int indent) {
    if (q.m_queryType == AbstractListQuerySpec::kMultiQuery) {
      Set(q.ToMultiListQuerySpec(), indent);
    } else {
      Select(q.ToListQuerySpec(), indent);
    }
  }

 private:
  void Line(int indent) {
    m_out += U'\n';
    m_out.append(static_cast<std::size_t>(indent) * 2, U' ');
  }

  void Expression(const Expr& e) {
    ToPrettyStringVisitor::Options o;
    switch (m_options.mode) {
      case NamingMode::kFullyQualified:
        o.mandatoryDoubleQuotes = true;
        o.fullyQualified = true;
        break;
      case NamingMode::kById:
        o.usingVoidID = true;
        break;
      case NamingMode::kDisplayNames:
        o.mandatoryDoubleQuotes = true;
        o.fullyQualified = true;
        o.customDisplayName = true;
        break;
    }
    VXString text = ToPrettyStringVisitor::StringFrom(e, m_pRp, o);
    m_out += BaseStringUtil::TrimBoth(text);
  }

  void Name(const VXString& name) { AppendQuotedIdentifier(m_out, name, QuotingRules::kSqlIdentifierAlways); }

  void Table(const SqlTableRef& ref, int indent) {
    const SqlAbstractTable* t = ref.GetLeftTable();
    if (!t) return;
    if (t->GetTableType() == SqlAbstractTable::kDerivedTable) {
      const auto* derived = static_cast<const SqlDerivedTable*>(t);
      m_out += U'(';
      Query(derived->GetSubquery(), indent + 1);
      m_out += U") ";
      // The query's expressions name the table's columns by its alias; a
      // table made without one (a query spec from bytes or from code) is
      // given T1, T2, ... in the order written.
      ++m_derived;
      Name(derived->GetAlias().empty() ? U"T" + BaseStringUtil::StringFrom(m_derived) : derived->GetAlias());
      return;
    }
    if (t->GetTableType() != SqlAbstractTable::kAtomicTable) return;
    const VoidID id = static_cast<const SqlAtomicTable*>(t)->GetObjID();
    Ref<ARpObject> obj = m_pRp ? m_pRp->GetObject(id) : Ref<ARpObject>();
    if (m_options.mode == NamingMode::kById || obj.IsNull()) {
      Name(id.ToString());
    } else if (m_options.mode == NamingMode::kDisplayNames && obj->GetBool(RpProp::kDisplayNameUse)) {
      Name(MetadataUtil::GetCustomDisplayName(m_pRp, obj));
    } else {
      Name(obj->GetName());
    }
  }

  void Select(const ListQuerySpec& q, int indent) {
    m_out += U"SELECT ";
    if (q.m_bDistinct) m_out += U"DISTINCT ";
    const auto& items = q.m_projection.m_edgeExprs;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0) {
        m_out += U',';
        Line(indent + 1);
      }
      Expression(items[i].m_expr);
      m_out += U" AS ";
      Name(items[i].m_name);
    }
    if (!q.m_fromTables.empty()) {
      Line(indent);
      m_out += U"FROM ";
      for (std::size_t i = 0; i < q.m_fromTables.size(); ++i) {
        if (i > 0) m_out += U", ";
        Table(q.m_fromTables[i], indent);
      }
    }
    if (q.m_detailFilter.Size() != 0) {
      Line(indent);
      m_out += U"WHERE ";
      Expression(q.m_detailFilter);
    }
    bool bFirst = true;
    for (const BreakSpec& b : q.m_projection.m_breakSpecs) {
      for (const IdentifiedExpr& item : items) {
        if (item.m_name != b.m_identifiedExprID) continue;
        if (bFirst) {
          Line(indent);
          m_out += U"GROUP BY ";
        } else {
          m_out += U", ";
        }
        bFirst = false;
        Expression(item.m_expr);
        break;
      }
    }
    if (q.m_summaryFilter.Size() != 0) {
      Line(indent);
      m_out += U"HAVING ";
      Expression(q.m_summaryFilter);
    }
    Sorts(q.m_projection.m_sortSpecs, indent);
  }

  // The ORDER BY of a query; for a set, items names the set's columns (the
  // first operand's select items), which is all a set's ORDER BY may name:
  // a sort on one of them is written as that item's name.
  void Sorts(const std::vector<SortSpec>& sorts, int indent, const std::vector<IdentifiedExpr>* items = nullptr) {
    for (std::size_t i = 0; i < sorts.size(); ++i) {
      if (i == 0) {
        Line(indent);
        m_out += U"ORDER BY ";
      } else {
        m_out += U", ";
      }
      const IdentifiedExpr* item = nullptr;
      if (items) {
        for (const IdentifiedExpr& e : *items) {
          if (e.m_expr == sorts[i].m_sortSpecExpr) {
            item = &e;
            break;
          }
        }
      }
      if (item) {
        Name(item->m_name);
      } else {
        Expression(sorts[i].m_sortSpecExpr);
      }
      if (sorts[i].m_direction == SortSpec::kDescending) m_out += U" DESC";
    }
  }

  static const ListQuerySpec* FirstSelect(const AbstractListQuerySpec& q) {
    if (q.m_queryType != AbstractListQuerySpec::kMultiQuery) return &q.ToListQuerySpec();
    const MultiListQuerySpec& m = q.ToMultiListQuerySpec();
    return m.GetNumSubqueries() > 0 ? FirstSelect(m.GetIthSubquery(0)) : nullptr;
  }

  void Set(const MultiListQuerySpec& q, int indent) {
    VXString op = q.GetCombineQueryOperation() == MultiListQuerySpec::kUnion       ? U"UNION"
                  : q.GetCombineQueryOperation() == MultiListQuerySpec::kIntersect ? U"INTERSECT"
                                                                                   : U"EXCEPT";
    if (q.IsAll()) op += U" ALL";
    for (int i = 0; i < q.GetNumSubqueries(); ++i) {
      if (i > 0) {
        Line(indent);
        m_out += op;
        Line(indent);
      }
      const bool bNested = q.GetIthSubquery(i).m_queryType == AbstractListQuerySpec::kMultiQuery;
      if (bNested) m_out += U'(';
      Query(q.GetIthSubquery(i), indent);
      if (bNested) m_out += U')';
    }
    const ListQuerySpec* first = FirstSelect(q);
    Sorts(q.GetSortSpecs(), indent, first ? &first->m_projection.m_edgeExprs : nullptr);
  }

  VXString& m_out;
  ARpGateway* m_pRp;
  const FormatOptions& m_options;
  int m_derived = 0;
};

// A subquery inside an expression, in parentheses, in the statement's
// grammar and naming mode: what Parse reads back as that subquery.
VXString WriteSubquery(const ByteVector& bytes, ARpGateway* pRp, bool /*bFullyQualified*/) {
  const std::unique_ptr<AbstractListQuerySpec> spec = AbstractListQuerySpec::FromByteVector(bytes);
  FormatOptions options = t_options ? *t_options : FormatOptions{};
  options.fetchFirst.reset();
  VXString out = U" (";
  Writer(out, pRp, options).Query(*spec, 1);
  out += U") ";
  return out;
}

}  // namespace
}  // namespace logical_sql::detail

namespace logical_sql {

VXString Format(const AbstractListQuerySpec& spec, ARpGateway* pRp, const FormatOptions& options) {
  VXString out;
  const detail::SubqueryScope subqueries(options);
  detail::Writer(out, pRp, options).Query(spec, 0);
  if (options.fetchFirst) {
    out += U"\nFETCH FIRST ";
    out += BaseStringUtil::StringFrom(static_cast<int>(*options.fetchFirst));
    out += U" ROWS ONLY";
  }
  out += U'\n';
  return out;
}

}  // namespace logical_sql
