// Binding: every name of a syntax tree resolved through the presentation
// lookups under the user's read security, and the tree turned into a query
// query spec whose expressions hold object ids.
//
// The FROM clause names subject areas. A column name of three or more
// segments names its table in full; two segments name a table of one of the
// FROM subject areas (looked up as "subject area"."table", which also finds
// tables by a former name and falls back on the session's default subject
// area); one segment names a column of any table of those subject areas.
// Suggestions come from NamedInterfaceTypeCondition's suggesters, which read
// only what the user may read; candidates come from lookups that applied
// the same security, so a secured name never shows in another's error.
#include <algorithm>
#include <deque>
#include <map>
#include <stdexcept>
#include <unordered_set>
#include <utility>

#include "Expr/ExprBuilder.h"
#include "Expr/OpCode.h"
#include "Expr/OpExpr.h"
#include "ListQuerySpec/QuerySpecBuilder.h"
#include "Metadata/SMUtil.h"
#include "SMLogicalSQLInternal.h"
#include "SMLookupAlgorithmsShared.h"
#include "SMLookupConditionShared.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/VXDateTime.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/ScopedDefaultSubjectArea.h"
#include "objectmodel/TypeIDs.h"

namespace logical_sql::detail {
namespace {

using NIC = NamedInterfaceTypeCondition;

VXString Joined(const QualifiedName& q) { return MetadataUtil::ToQualifiedName(q); }

// The names of one query: its subject areas, derived tables and select items.
struct Scope {
  struct Area {
    VXString name;
    VoidID id;
  };
  struct Derived {
    VXString alias;
    std::vector<ExprID> items;
  };
  std::vector<Area> areas;
  std::vector<Derived> derived;
  // Select items by alias, for ORDER BY and HAVING.
  const std::vector<IdentifiedExpr>* items = nullptr;
  bool bItemAliases = false;
};

class Binder {
 public:
  Binder(const SyntaxTree& tree, ARpGateway* pRp, const BindOptions& options, BindResult& out)
      : m_tree(tree), m_pRp(pRp), m_options(options), m_out(out), m_sink(out.diagnostics, tree.text) {}

  std::unique_ptr<AbstractListQuerySpec> Query(NodeIndex q, std::size_t depth) {
    if (q == kNoNode) return nullptr;
    const QueryNode& node = m_tree.queries[q];
    if (depth > AbstractListQuerySpec::kMaxNestingDepth) {
      m_sink.Add(Severity::kError, "sql.syntax.too-deep", kMsgTooDeep, node.range,
                 {BaseStringUtil::StringFrom(static_cast<int>(AbstractListQuerySpec::kMaxNestingDepth))});
      return nullptr;
    }
    const std::size_t outerDepth = m_depth;
    m_depth = depth;
    std::unique_ptr<AbstractListQuerySpec> spec =
        node.kind == QueryNode::kSet ? SetQuery(node, depth) : Select(node, depth);
    m_depth = outerDepth;
    return spec;
  }

 private:
  // ---- queries ------------------------------------------------------------------------

  std::unique_ptr<AbstractListQuerySpec> SetQuery(const QueryNode& node, std::size_t depth) {
    auto set = std::make_unique<MultiListQuerySpec>(static_cast<MultiListQuerySpec::CombineQueryOperation>(node.setOp),
                                                    node.bAll);
    bool bComplete = true;
    std::size_t columns = 0;
    const ListQuerySpec* first = nullptr;
    for (std::size_t i = 0; i < node.operands.size(); ++i) {
      std::unique_ptr<AbstractListQuerySpec> operand = Query(node.operands[i], depth + 1);
      if (!operand) {
        bComplete = false;
        continue;
      }
      const std::size_t n = ColumnCount(*operand);
      if (i == 0) {
        columns = n;
      } else if (n != columns) {
        m_sink.Add(
            Severity::kError, "sql.query.set-arity", kMsgSetArity, m_tree.queries[node.operands[i]].range,
            {BaseStringUtil::StringFrom(static_cast<int>(columns)), BaseStringUtil::StringFrom(static_cast<int>(n))});
        bComplete = false;
      }
      set->AddSubquery(std::move(operand));
    }
    if (!bComplete) return nullptr;
    first = FirstSelect(set->GetIthSubquery(0));
    for (const OrderItem& o : node.orderBy) {
      SortSpec s;
      s.m_direction = o.bDescending ? SortSpec::kDescending : SortSpec::kAscending;
      if (o.expr != kNoNode) {
        // The set's columns are named by the first operand's items.
        Scope scope;
        scope.items = first ? &first->m_projection.m_edgeExprs : nullptr;
        scope.bItemAliases = true;
        if (!BuildInto(o.expr, scope, s.m_sortSpecExpr)) bComplete = false;
      } else if (!first || o.position < 1 || static_cast<std::size_t>(o.position) > columns) {
        BadPosition(o, columns);
        bComplete = false;
        continue;
      } else {
        s.m_sortSpecExpr = first->m_projection.m_edgeExprs[static_cast<std::size_t>(o.position - 1)].m_expr;
      }
      set->GetSortSpecs().push_back(std::move(s));
    }
    if (!bComplete) return nullptr;
    return set;
  }

  static std::size_t ColumnCount(const AbstractListQuerySpec& q) {
    const ListQuerySpec* s = FirstSelect(q);
    return s ? s->m_projection.m_edgeExprs.size() : 0;
  }
  static const ListQuerySpec* FirstSelect(const AbstractListQuerySpec& q) {
    if (q.m_queryType == AbstractListQuerySpec::kSingleQuery) return &q.ToListQuerySpec();
    const MultiListQuerySpec& m = q.ToMultiListQuerySpec();
    return m.GetNumSubqueries() > 0 ? FirstSelect(m.GetIthSubquery(0)) : nullptr;
  }

  void BadPosition(const OrderItem& o, std::size_t columns) {
    m_sink.Add(
        Severity::kError, "sql.query.order-position", kMsgBadPosition, o.range,
        {BaseStringUtil::StringFrom(static_cast<int>(std::clamp<std::int64_t>(o.position, INT32_MIN, INT32_MAX))),
         BaseStringUtil::StringFrom(static_cast<int>(columns))});
  }

  std::unique_ptr<AbstractListQuerySpec> Select(const QueryNode& node, std::size_t depth) {
    auto spec = std::make_unique<ListQuerySpec>();
    bool bComplete = true;
    Scope scope;
    for (const FromItem& f : node.from) {
      if (f.derived != kNoNode) {
        std::unique_ptr<AbstractListQuerySpec> sub = Query(f.derived, depth + 1);
        if (!sub) {
          bComplete = false;
          continue;
        }
        Scope::Derived d;
        d.alias = m_tree.Value(f.alias);
        if (const ListQuerySpec* s = FirstSelect(*sub)) {
          for (const IdentifiedExpr& e : s->m_projection.m_edgeExprs) d.items.push_back(e.m_name);
        }
        scope.derived.push_back(std::move(d));
        spec->m_fromTables.push_back(QuerySpecBuilder::Derived(*sub, scope.derived.back().alias));
        continue;
      }
      const VoidID area = SubjectArea(f);
      if (area.IsNull()) {
        bComplete = false;
        continue;
      }
      Ref<ARpObject> obj = m_pRp->GetObject(area);
      scope.areas.push_back({obj.IsNull() ? VXString() : obj->GetName(), area});
      spec->m_fromTables.push_back(QuerySpecBuilder::Table(area));
      if (spec->m_catalogFolderID.IsNull()) spec->m_catalogFolderID = area;
    }
    // Without its subject areas no name of the query can be resolved; the
    // FROM faults say why.
    if (!bComplete || node.from.empty()) return nullptr;
    // The names of this query are resolved with its first subject area as
    // the session's default, passed down on this thread only: other threads
    // may read through the same session meanwhile.
    const ScopedDefaultSubjectArea defaultArea(m_pRp->GetSession(),
                                               scope.areas.empty() ? VXString() : scope.areas.front().name);
    struct Restore {
      VXString& current;
      VXString outer;
      ~Restore() { current = std::move(outer); }
    } restore{m_defaultArea, std::exchange(m_defaultArea, scope.areas.empty() ? VXString() : scope.areas.front().name)};
    spec->m_bDistinct = node.bDistinct;
    std::vector<IdentifiedExpr>& items = spec->m_projection.m_edgeExprs;
    std::unordered_set<VXString, VXStringCaseInsensitiveHash, VXStringCaseInsensitiveEqual> itemNames;
    for (std::size_t i = 0; i < node.items.size(); ++i) {
      const SelectItem& item = node.items[i];
      IdentifiedExpr e;
      if (!BuildInto(item.expr, scope, e.m_expr)) {
        bComplete = false;
        continue;
      }
      const VXString alias = m_tree.Value(item.alias);
      e.m_name = alias.empty() ? ItemName(item.expr, i) : alias;
      // Each name once in a set: a wide query is not checked pair by pair.
      if (!itemNames.insert(e.m_name).second && !alias.empty()) {
        m_sink.Add(Severity::kWarning, "sql.query.duplicate-alias", kMsgDuplicateAlias, item.alias, {alias});
      }
      items.push_back(std::move(e));
    }
    if (node.where != kNoNode && !BuildInto(node.where, scope, spec->m_detailFilter)) bComplete = false;
    Scope withItems = scope;
    withItems.items = &items;
    withItems.bItemAliases = true;
    for (NodeIndex g : node.groupBy) {
      Expr e;
      if (!BuildInto(g, withItems, e)) {
        bComplete = false;
        continue;
      }
      const auto it = std::find_if(items.begin(), items.end(), [&](const IdentifiedExpr& x) { return x.m_expr == e; });
      if (it == items.end()) {
        m_sink.Add(Severity::kWarning, "sql.query.group-by-not-selected", kMsgGroupByNotSelected,
                   m_tree.exprs[g].range);
        continue;
      }
      BreakSpec b;
      b.m_type = BreakSpec::kBreak;
      b.m_identifiedExprID = it->m_name;
      spec->m_projection.m_breakSpecs.push_back(b);
    }
    if (node.having != kNoNode && !BuildInto(node.having, withItems, spec->m_summaryFilter)) bComplete = false;
    for (const OrderItem& o : node.orderBy) {
      SortSpec s;
      s.m_direction = o.bDescending ? SortSpec::kDescending : SortSpec::kAscending;
      if (o.expr != kNoNode) {
        if (!BuildInto(o.expr, withItems, s.m_sortSpecExpr)) {
          bComplete = false;
          continue;
        }
      } else if (o.position < 1 || static_cast<std::size_t>(o.position) > node.items.size()) {
        BadPosition(o, node.items.size());
        bComplete = false;
        continue;
      } else if (static_cast<std::size_t>(o.position) <= items.size()) {
        s.m_sortSpecExpr = items[static_cast<std::size_t>(o.position - 1)].m_expr;
      }
      spec->m_projection.m_sortSpecs.push_back(std::move(s));
    }
    if (depth == 0) m_out.fetchFirst = node.fetchFirst;
    if (!bComplete) return nullptr;
    return spec;
  }

  // The name of an item without an alias: a column's own name, else EXPR<n>.
  VXString ItemName(NodeIndex e, std::size_t index) const {
    const ExprNode& n = m_tree.exprs[e];
    if (n.kind == ExprNode::kName) {
      QualifiedName segments = m_tree.Segments(n.Value());
      if (!segments.empty()) return std::move(segments.back());
    }
    return U"EXPR" + BaseStringUtil::StringFrom(static_cast<int>(index + 1));
  }

  // ---- names ---------------------------------------------------------------------------

  BoundName& Record(BoundName::Kind kind, TextSpan range, const QualifiedName& written, NameOutcome outcome,
                    const VoidID& id) {
    BoundName b;
    b.kind = kind;
    b.range = m_sink.Positions().Of(range);
    b.written = written;
    b.outcome = outcome;
    if (outcome == kOK && !id.IsNull()) {
      b.id = id;
      b.type = id.m_interfaceTypeID;
      Ref<ARpObject> obj = m_pRp->GetObject(id);
      if (!obj.IsNull()) {
        b.qualifiedName = MetadataUtil::GenerateQualifiedName(obj);
        if (obj->GetBool(RpProp::kDisplayNameUse)) b.displayName = MetadataUtil::GetCustomDisplayName(m_pRp, obj);
      }
    } else {
      b.id = VoidID::NullID;
    }
    m_out.names.push_back(std::move(b));
    return m_out.names.back();
  }

  Diagnostic* NameError(std::string_view code, int message, TextSpan range, NameOutcome outcome,
                        const QualifiedName& written, QualifiedNameIDPairVector candidates = {},
                        std::vector<QualifiedName> suggestions = {}) {
    Diagnostic* d = m_sink.Add(Severity::kError, code, message, range, {Joined(written)});
    if (!d) return nullptr;
    d->outcome = outcome;
    d->candidates = std::move(candidates);
    if (suggestions.size() > 5) suggestions.resize(5);
    d->suggestions = std::move(suggestions);
    return d;
  }

  VoidID SubjectArea(const FromItem& f) {
    const QualifiedName name = m_tree.Segments(f.subjectArea);
    if (name.size() != 1) {
      NameError("sql.name.not-a-subject-area", kMsgNotACatalog, f.range, kNonexistentCatalog, name);
      Record(BoundName::kSubjectArea, f.range, name, kNonexistentCatalog, VoidID::NullID);
      return VoidID::NullID;
    }
    // The subject area alone, as the folder-tree lookup finds a one-segment
    // name when no default subject area is set, without the list of every
    // table of it that the lookup also writes (at 10^5 tables, that list
    // was most of the time of binding a query).
    static const TypeIDVector kSubjectAreaTypes{kTIDACatalogFolder};
    VoidIDVector areas;
    bool bInaccessible = false;
    NIC::QueryWithSecurity(m_pRp, smlookup::FlexibleNameView(kSubjectAreaTypes, name, true), areas,
                           m_options.bProjectInaccessibleAsNull, bInaccessible);
    if (areas.size() == 1) {
      Record(BoundName::kSubjectArea, f.range, name, kOK, areas.front());
      return areas.front();
    }
    QualifiedNameIDPairVector candidates;
    if (areas.size() > 1) smlookup::AppendCandidates(m_pRp, areas, &candidates);
    const auto code = areas.size() > 1 ? NIC::kAmbiguousCatalog
                      : bInaccessible  ? NIC::kInaccessibleTable
                                       : NIC::kNonexistentTable;
    NameOutcome outcome = kNonexistentCatalog;
    if (code == NIC::kAmbiguousCatalog) {
      NameError("sql.name.ambiguous-subject-area", kMsgAmbiguousCatalog, f.range, kAmbiguousCatalog, name,
                std::move(candidates));
      outcome = kAmbiguousCatalog;
    } else if (code == NIC::kInaccessibleTable) {
      NameError("sql.name.inaccessible-subject-area", kMsgInaccessibleCatalog, f.range, kInaccessibleCatalog, name);
      outcome = kInaccessibleCatalog;
    } else {
      std::vector<QualifiedName> near;
      NIC::SuggestTableNames(m_pRp, name, kSME_Logical, near);
      NameError("sql.name.nonexistent-subject-area", kMsgNonexistentCatalog, f.range, kNonexistentCatalog, name, {},
                std::move(near));
    }
    Record(BoundName::kSubjectArea, f.range, name, outcome, VoidID::NullID);
    return VoidID::NullID;
  }

  struct TableAnswer {
    NIC::LookupFolderTreeRetCode code = NIC::kNonexistentTable;
    VoidID id;
    QualifiedName tableName;  // as looked up
    QualifiedNameIDPairVector candidates;
  };

  // One lookup per table name and query: a wide query names each table
  // several times, and the answer depends only on the name, the user and the
  // session's default subject area, which stay the same within a query.
  const TableAnswer& Table(const QualifiedName& tableName) {
    auto key = std::make_pair(m_defaultArea, tableName);
    const auto it = m_tables.find(key);
    if (it != m_tables.end()) return it->second;
    return m_tables.emplace(std::move(key), LookUpTable(tableName)).first->second;
  }

  TableAnswer LookUpTable(const QualifiedName& tableName) {
    TableAnswer a;
    a.tableName = tableName;
    QualifiedNameIDPairVector pairs;
    VoidIDSet tables;
    VoidID area;
    a.code = NIC::LookupFolderTree(tableName, pairs, m_pRp, kSME_Logical, tables, area,
                                   m_options.bProjectInaccessibleAsNull, false, a.candidates);
    if (a.code == NIC::kOK) {
      if (!area.IsNull() || pairs.empty()) {
        a.code = NIC::kNonexistentTable;  // a subject area, not a table
      } else {
        a.id = pairs.front().m_id;
      }
    }
    return a;
  }

  // Columns named column in table; the outcome for the name.
  NameOutcome Columns(const VoidID& table, const VXString& column, VoidIDVector& ids, bool& bInaccessible) {
    VoidIDSet tables;
    bool bHidden = false;
    NIC::LookupColumnFromFolder(table, column, ids, m_pRp, kSME_Logical, tables, m_options.bProjectInaccessibleAsNull,
                                bHidden);
    bInaccessible = bInaccessible || bHidden;
    if (ids.size() == 1) return kOK;
    if (ids.size() > 1) return kAmbiguousColumn;
    return bHidden ? kInaccessibleColumn : kNonexistentColumn;
  }

  QualifiedNameIDPairVector Candidates(const VoidIDVector& ids) {
    QualifiedNameIDPairVector out;
    for (const VoidID& id : ids) {
      QualifiedName q;
      MetadataUtil::GenerateQualifiedName(m_pRp->GetObject(id), q);
      MetadataUtil::StripQualifiedNameOfEmptyStrings(q);
      out.emplace_back(std::move(q), id);
    }
    return out;
  }

  // A column name to its presentation column; VoidID::NullID (and a
  // diagnostic) when it does not resolve.
  VoidID Column(const ExprNode& n, const QualifiedName& name) {
    const VXString& column = name.back();
    if (name.size() == 1) return ColumnOfAnyTable(n, name);
    std::vector<TableAnswer> answers;
    if (name.size() == 2) {
      for (const Scope::Area& area : m_scope->areas) {
        answers.push_back(Table({area.name, name[0]}));
      }
      if (m_scope->areas.empty()) answers.push_back(Table({name[0]}));
    } else {
      answers.push_back(Table(QualifiedName(name.begin(), name.end() - 1)));
    }
    const TableAnswer* found = nullptr;
    QualifiedNameIDPairVector tableCandidates;
    NIC::LookupFolderTreeRetCode worst = NIC::kNonexistentTable;
    for (const TableAnswer& a : answers) {
      if (a.code == NIC::kOK) {
        if (found && found->id != a.id) {
          tableCandidates.emplace_back(Candidates({found->id}).front());
          tableCandidates.emplace_back(Candidates({a.id}).front());
          worst = NIC::kAmbiguousTable;
        }
        found = &a;
      } else if (a.code == NIC::kAmbiguousTable || a.code == NIC::kAmbiguousCatalog) {
        worst = a.code;
        for (const QualifiedNameIDPair& c : a.candidates) tableCandidates.push_back(c);
      } else if (a.code == NIC::kInaccessibleTable && worst == NIC::kNonexistentTable) {
        worst = a.code;
      }
    }
    const QualifiedName tablePart(name.begin(), name.end() - 1);
    if (worst == NIC::kAmbiguousTable || worst == NIC::kAmbiguousCatalog) {
      NameError("sql.name.ambiguous-table", kMsgAmbiguousTable, n.range, kAmbiguousTable, tablePart,
                std::move(tableCandidates));
      Record(BoundName::kColumn, n.range, name, kAmbiguousTable, VoidID::NullID);
      return VoidID::NullID;
    }
    if (!found) {
      if (worst == NIC::kInaccessibleTable) {
        NameError("sql.name.inaccessible-table", kMsgInaccessibleTable, n.range, kInaccessibleTable, tablePart);
        Record(BoundName::kColumn, n.range, name, kInaccessibleTable, VoidID::NullID);
        return VoidID::NullID;
      }
      std::vector<QualifiedName> suggestions;
      for (const TableAnswer& a : answers) {
        std::vector<QualifiedName> near;
        NIC::SuggestTableNames(m_pRp, a.tableName, kSME_Logical, near);
        for (QualifiedName& q : near) {
          q.push_back(column);
          if (std::find(suggestions.begin(), suggestions.end(), q) == suggestions.end()) suggestions.push_back(q);
        }
      }
      NameError("sql.name.nonexistent-table", kMsgNonexistentTable, n.range, kNonexistentTable, tablePart, {},
                std::move(suggestions));
      Record(BoundName::kColumn, n.range, name, kNonexistentTable, VoidID::NullID);
      return VoidID::NullID;
    }
    VoidIDVector ids;
    bool bInaccessible = false;
    const NameOutcome outcome = Columns(found->id, column, ids, bInaccessible);
    return ColumnOutcome(n, name, outcome, ids, {found->id});
  }

  // The tables of a FROM subject area the user may read, listed once per
  // binding (one-segment names each search them all).
  const VoidIDVector& TablesOf(const Scope::Area& area) {
    for (const auto& [key, tables] : m_areaTables) {
      if (key.first == area.id && key.second == m_defaultArea) return tables;
    }
    QualifiedNameIDPairVector pairs;
    VoidIDSet seen;
    VoidID folder;
    NIC::LookupFolderTree({area.name}, pairs, m_pRp, kSME_Logical, seen, folder, m_options.bProjectInaccessibleAsNull,
                          false);
    VoidIDVector tables;
    VoidIDSet listed;
    for (const QualifiedNameIDPair& p : pairs) {
      if (listed.insert(p.m_id).second) tables.push_back(p.m_id);
    }
    m_areaTables.emplace_back(std::make_pair(area.id, m_defaultArea), std::move(tables));
    return m_areaTables.back().second;
  }

  // A one-segment column name: any table of the FROM subject areas.
  VoidID ColumnOfAnyTable(const ExprNode& n, const QualifiedName& name) {
    VoidIDVector tables;
    VoidIDSet listed;
    for (const Scope::Area& area : m_scope->areas) {
      for (const VoidID& id : TablesOf(area)) {
        if (listed.insert(id).second) tables.push_back(id);
      }
    }
    VoidIDVector ids;
    bool bInaccessible = false;
    for (const VoidID& table : tables) {
      VoidIDVector found;
      Columns(table, name.back(), found, bInaccessible);
      for (const VoidID& id : found) {
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
      }
    }
    const NameOutcome outcome = ids.size() == 1  ? kOK
                                : ids.size() > 1 ? kAmbiguousColumn
                                : bInaccessible  ? kInaccessibleColumn
                                                 : kNonexistentColumn;
    return ColumnOutcome(n, name, outcome, ids, tables);
  }

  VoidID ColumnOutcome(const ExprNode& n, const QualifiedName& name, NameOutcome outcome, const VoidIDVector& ids,
                       const VoidIDVector& tables) {
    switch (outcome) {
      case kOK:
        Record(BoundName::kColumn, n.range, name, kOK, ids.front());
        return ids.front();
      case kAmbiguousColumn:
        NameError("sql.name.ambiguous-column", kMsgAmbiguousColumn, n.range, outcome, name, Candidates(ids));
        break;
      case kInaccessibleColumn:
        NameError("sql.name.inaccessible-column", kMsgInaccessibleColumn, n.range, outcome, name);
        break;
      default: {
        std::vector<QualifiedName> suggestions;
        for (const VoidID& table : tables) {
          VXStringVector near;
          NIC::SuggestColumnNames(m_pRp, table, name.back(), kSME_Logical, near);
          QualifiedName prefix;
          if (name.size() > 1) {
            prefix.assign(name.begin(), name.end() - 1);
          } else {
            MetadataUtil::GenerateQualifiedName(m_pRp->GetObject(table), prefix);
            MetadataUtil::StripQualifiedNameOfEmptyStrings(prefix);
          }
          for (const VXString& c : near) {
            QualifiedName q = prefix;
            q.push_back(c);
            if (std::find(suggestions.begin(), suggestions.end(), q) == suggestions.end()) suggestions.push_back(q);
          }
        }
        NameError("sql.name.nonexistent-column", kMsgNonexistentColumn, n.range, kNonexistentColumn, name, {},
                  std::move(suggestions));
        break;
      }
    }
    Record(BoundName::kColumn, n.range, name, outcome, VoidID::NullID);
    return VoidID::NullID;
  }

  // VALUEOF(name): a repository variable by its name or "block"."name".
  VoidID Variable(const ExprNode& n) {
    const QualifiedName name = m_tree.Segments(n.Value());
    NamedInterfaceTypeCondition condition(kTIDARpVariable, name.back(), QualifiedName(), false);
    VoidIDVector ids;
    m_pRp->LookupObjects(condition, ids);
    VoidIDVector matches;
    for (const VoidID& id : ids) {
      QualifiedName q;
      MetadataUtil::GenerateQualifiedName(m_pRp->GetObject(id), q);
      MetadataUtil::StripQualifiedNameOfEmptyStrings(q);
      if (MetadataUtil::IsQualifiedNameSection(name, q, false)) matches.push_back(id);
    }
    if (matches.size() == 1) {
      Record(BoundName::kVariable, n.range, name, kOK, matches.front());
      return matches.front();
    }
    if (matches.empty()) {
      NameError("sql.name.nonexistent-variable", kMsgNonexistentVariable, n.range, kNonexistentVariable, name);
    } else {
      NameError("sql.name.ambiguous-variable", 23010, n.range, kNotAnOutcome, name, Candidates(matches));
    }
    Record(BoundName::kVariable, n.range, name, kNonexistentVariable, VoidID::NullID);
    return VoidID::NullID;
  }

  // ---- expressions ---------------------------------------------------------------------

  bool BuildInto(NodeIndex e, const Scope& scope, Expr& out) {
    m_scope = &scope;
    ExprBuilder b;
    m_bExprOk = true;
    Build(e, b);
    if (!m_bExprOk) return false;
    try {
      out = b.Build();
      return true;
    } catch (const std::exception&) {
      // The checks above mirror the builder's; a refusal here is a shape
      // they missed, reported at the expression.
      m_sink.Add(Severity::kError, "sql.syntax.bad-operands", kMsgBadOperandCount, m_tree.exprs[e].range,
                 {U"the expression", U"other"});
      return false;
    }
  }

  void Build(NodeIndex index, ExprBuilder& b) {
    const ExprNode& n = m_tree.exprs[index];
    switch (n.kind) {
      case ExprNode::kInt:
      case ExprNode::kParameter:
        b.Int(static_cast<std::int32_t>(n.IntValue()));
        return;
      case ExprNode::kFloat:
        b.Float(n.FloatValue());
        return;
      case ExprNode::kNumber:
        b.ZirconNumber(std::string(m_tree.Source(n.Value())));
        return;
      case ExprNode::kString:
        b.String(m_tree.Value(n.Value()));
        return;
      case ExprNode::kDate:
      case ExprNode::kTime:
      case ExprNode::kTimestamp:
        DateLiteral(n, b);
        return;
      case ExprNode::kName:
        NameReference(n, b);
        return;
      case ExprNode::kVariable: {
        const VoidID id = Variable(n);
        if (id.IsNull()) {
          m_bExprOk = false;
          b.Int(0);
          return;
        }
        b.Op(kValueOf).ID(id).End();
        return;
      }
      case ExprNode::kSessionVariable:
        if (n.ChildCount() == 0) {
          b.Op(kValueOfSession).String(m_tree.Value(n.Value())).End();
        } else {
          b.Op(kValueOfSessionByIndex);
          Build(m_tree.Children(n).front(), b);
          b.String(m_tree.Value(n.Value())).End();
        }
        return;
      case ExprNode::kSubquery: {
        const Scope* outer = m_scope;
        const bool bOuterOk = m_bExprOk;
        std::unique_ptr<AbstractListQuerySpec> sub = Query(n.Query(), m_depth + 1);
        m_scope = outer;
        m_bExprOk = bOuterOk;
        if (!sub) {
          m_bExprOk = false;
          b.Int(0);
          return;
        }
        try {
          b.Subquery(sub->ToByteVector());
        } catch (const std::length_error&) {
          m_sink.Add(Severity::kError, "sql.syntax.too-deep", kMsgTooDeep, n.range,
                     {BaseStringUtil::StringFrom(static_cast<int>(AbstractListQuerySpec::kMaxNestingDepth))});
          m_bExprOk = false;
          b.Int(0);
        }
        return;
      }
      case ExprNode::kOperator:
        break;
    }
    // An object reference the text leaves out (AGO without a level,
    // PeriodRolling without a grain) is the null id the model stores.
    const std::span<const NodeIndex> children = m_tree.Children(n);
    if ((n.opCode == kAgo && children.size() == 2) || (n.opCode == kPeriodRolling && children.size() == 3)) {
      b.Op(static_cast<OpCode>(n.opCode));
      Build(children[0], b);
      if (n.opCode == kAgo) {
        b.ID(VoidID::NullID);
        Build(children[1], b);
      } else {
        Build(children[1], b);
        Build(children[2], b);
        b.ID(VoidID::NullID);
      }
      b.End();
      return;
    }
    const OpInfo* info = GetOpInfo(n.opCode);
    const int count = static_cast<int>(children.size());
    if (!info || count < info->minArgs || (info->maxArgs >= 0 && count > info->maxArgs)) {
      VXString range = info ? BaseStringUtil::StringFrom(info->minArgs) : VXString(U"?");
      if (info && info->maxArgs != info->minArgs) {
        range += info->maxArgs < 0 ? VXString(U" or more") : U" to " + BaseStringUtil::StringFrom(info->maxArgs);
      }
      m_sink.Add(Severity::kError, "sql.syntax.bad-operands", kMsgBadOperandCount, n.range,
                 {info ? Widen(info->name) : VXString(U"?"), range});
      m_bExprOk = false;
      b.Int(0);
      return;
    }
    b.Op(static_cast<OpCode>(n.opCode));
    for (NodeIndex c : children) Build(c, b);
    b.End();
  }

  void DateLiteral(const ExprNode& n, ExprBuilder& b) {
    const VXString value = m_tree.Value(n.Value());
    const std::string text = ToNarrow(value);
    bool bOk = false;
    if (n.kind == ExprNode::kDate) {
      VXDate d;
      bOk = VXDate::FromString(text, d);
      if (bOk) b.Date(d);
    } else if (n.kind == ExprNode::kTime) {
      VXTime t;
      bOk = VXTime::FromString(text, t);
      if (bOk) b.Time(t);
    } else {
      VXDateTime t;
      bOk = VXDateTime::FromString(text, t);
      if (bOk) b.DateTime(t);
    }
    if (!bOk) {
      const VXString kind = n.kind == ExprNode::kDate ? U"DATE" : n.kind == ExprNode::kTime ? U"TIME" : U"TIMESTAMP";
      m_sink.Add(Severity::kError, "sql.syntax.bad-literal", kMsgBadLiteral, n.range, {kind, U"'" + value + U"'"});
      m_bExprOk = false;
      b.Int(0);
    }
  }

  void NameReference(const ExprNode& n, ExprBuilder& b) {
    const QualifiedName name = m_tree.Segments(n.Value());
    // A select item's alias, where the clause may name one, before a column.
    if (name.size() == 1 && m_scope->bItemAliases && m_scope->items) {
      for (const IdentifiedExpr& item : *m_scope->items) {
        if (!BaseStringUtil::IsCaseInsensitiveMatch(item.m_name, name[0]) || item.m_expr.Size() == 0) continue;
        Record(BoundName::kAlias, n.range, name, kOK, VoidID::NullID);
        b.Append(item.m_expr);
        return;
      }
    }
    // A column of a derived table: alias.column.
    if (name.size() == 2) {
      for (const Scope::Derived& d : m_scope->derived) {
        if (!BaseStringUtil::IsCaseInsensitiveMatch(d.alias, name[0])) continue;
        for (const ExprID& item : d.items) {
          if (BaseStringUtil::IsCaseInsensitiveMatch(item, name[1])) {
            Record(BoundName::kDerivedColumn, n.range, name, kOK, VoidID::NullID);
            b.QualifiedSymbol({d.alias, item});
            return;
          }
        }
        std::vector<QualifiedName> near;
        for (const ExprID& item : d.items) {
          if (BaseStringUtil::CaseInsensitiveFind(item, name[1]) != VXString::npos ||
              BaseStringUtil::CaseInsensitiveFind(name[1], item) != VXString::npos) {
            near.push_back({d.alias, item});
          }
        }
        NameError("sql.name.nonexistent-column", kMsgNonexistentColumn, n.range, kNonexistentColumn, name, {},
                  std::move(near));
        Record(BoundName::kDerivedColumn, n.range, name, kNonexistentColumn, VoidID::NullID);
        m_bExprOk = false;
        b.Int(0);
        return;
      }
    }
    if (m_scope->areas.empty()) {
      // A set's ORDER BY names the first operand's items only.
      NameError("sql.name.nonexistent-column", kMsgNonexistentColumn, n.range, kNonexistentColumn, name);
      Record(BoundName::kColumn, n.range, name, kNonexistentColumn, VoidID::NullID);
      m_bExprOk = false;
      b.Int(0);
      return;
    }
    const VoidID id = Column(n, name);
    if (id.IsNull()) {
      m_bExprOk = false;
      b.Int(0);
      return;
    }
    b.ID(id);
  }

  const SyntaxTree& m_tree;
  ARpGateway* m_pRp;
  BindOptions m_options;
  BindResult& m_out;
  DiagnosticSink m_sink;
  const Scope* m_scope = nullptr;
  // The tables looked up (see Table), by the default subject area and the name.
  std::map<std::pair<VXString, QualifiedName>, TableAnswer> m_tables;
  std::deque<std::pair<std::pair<VoidID, VXString>, VoidIDVector>> m_areaTables;  // see TablesOf
  VXString m_defaultArea;  // as the session has it while a query's names are resolved
  bool m_bExprOk = true;
  std::size_t m_depth = 0;
};

}  // namespace
}  // namespace logical_sql::detail

namespace logical_sql {

BindResult ParseAndBind(std::string_view text, ARpGateway* pRp, const VXString& userName, const BindOptions& options) {
  BindResult out;
  ParseResult parsed = Parse(text);
  out.diagnostics = std::move(parsed.diagnostics);
  if (!pRp) return out;
  if (!userName.empty() && !pRp->SignOnAs(userName)) {
    detail::DiagnosticSink(out.diagnostics)
        .Add(Severity::kError, "sql.bind.unknown-user", detail::kMsgUnknownUser, SourceRange{}, {userName});
    return out;
  }
  if (parsed.tree.root == kNoNode) return out;
  const bool bSyntaxErrors = HasErrors(out.diagnostics);
  std::unique_ptr<AbstractListQuerySpec> spec =
      detail::Binder(parsed.tree, pRp, options, out).Query(parsed.tree.root, 0);
  std::stable_sort(out.names.begin(), out.names.end(),
                   [](const BoundName& a, const BoundName& b) { return a.range.start.offset < b.range.start.offset; });
  std::stable_sort(out.diagnostics.begin(), out.diagnostics.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return a.range.start.offset < b.range.start.offset;
  });
  if (!bSyntaxErrors && !HasErrors(out.diagnostics)) out.spec = std::move(spec);
  return out;
}

}  // namespace logical_sql
