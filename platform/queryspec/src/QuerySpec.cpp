// Construction, copying and comparison of query specs and tables.
#include <stdexcept>

#include "ListQuerySpec/ListQuerySpec.h"
#include "ListQuerySpec/SqlTable.h"
#include "Utility/VXAssert.h"

namespace {
const char kSourceFile[] = "server/ListQuerySpec/Src/QuerySpec.cpp";

std::unique_ptr<SqlAbstractTable> CloneOrNull(const std::unique_ptr<SqlAbstractTable>& p) {
  return p ? p->Clone() : nullptr;
}

bool SameTables(const std::vector<SqlTableRef>& a, const std::vector<SqlTableRef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!a[i].Equals(b[i])) return false;
  }
  return true;
}
}  // namespace

// ---- tables ---------------------------------------------------------------

bool SqlAtomicTable::Equals(const SqlAbstractTable& other) const {
  return other.GetTableType() == kAtomicTable && static_cast<const SqlAtomicTable&>(other).m_objID == m_objID;
}

SqlDerivedTable::SqlDerivedTable(std::unique_ptr<AbstractListQuerySpec> subquery, VXString alias)
    : m_subquery(std::move(subquery)), m_alias(std::move(alias)) {
  if (!m_subquery) throw std::invalid_argument("a derived table needs a subquery");
}

SqlDerivedTable::SqlDerivedTable(const SqlDerivedTable& other)
    : SqlAbstractTable(other), m_subquery(other.m_subquery->Clone()), m_alias(other.m_alias) {}

SqlDerivedTable& SqlDerivedTable::operator=(const SqlDerivedTable& other) {
  if (this != &other) {
    m_subquery = other.m_subquery->Clone();
    m_alias = other.m_alias;
  }
  return *this;
}

SqlDerivedTable::~SqlDerivedTable() = default;

bool SqlDerivedTable::Equals(const SqlAbstractTable& other) const {
  return other.GetTableType() == kDerivedTable &&
         static_cast<const SqlDerivedTable&>(other).m_subquery->Equals(*m_subquery);
}

bool SqlExternalTable::Equals(const SqlAbstractTable& other) const {
  return other.GetTableType() == kExternalTable && static_cast<const SqlExternalTable&>(other).m_name == m_name;
}

bool SqlEvaluateTableScriptObject::Equals(const SqlAbstractTable& other) const {
  return other.GetTableType() == kEvaluateTableScriptObject &&
         static_cast<const SqlEvaluateTableScriptObject&>(other).m_script == m_script;
}

SqlTableRef::SqlTableRef(std::unique_ptr<SqlAbstractTable> table) : m_left(std::move(table)) {
  if (!m_left) throw std::invalid_argument("a table reference needs a table");
}

SqlTableRef::SqlTableRef(std::unique_ptr<SqlTableRef> left, std::unique_ptr<SqlTableRef> right, JoinType joinType,
                         Expr searchCond)
    : m_left(std::move(left)), m_right(std::move(right)), m_joinType(joinType), m_searchCond(std::move(searchCond)) {
  if (!m_left || !m_right) throw std::invalid_argument("a join needs a left and a right table reference");
}

SqlTableRef::SqlTableRef(const SqlTableRef& other)
    : SqlAbstractTable(other),
      m_left(CloneOrNull(other.m_left)),
      m_right(CloneOrNull(other.m_right)),
      m_joinType(other.m_joinType),
      m_searchCond(other.m_searchCond) {}

SqlTableRef& SqlTableRef::operator=(const SqlTableRef& other) {
  if (this != &other) {
    SqlTableRef copy(other);
    *this = std::move(copy);
  }
  return *this;
}

bool SqlTableRef::Equals(const SqlAbstractTable& other) const {
  if (other.GetTableType() != kTableRef) return false;
  const auto& o = static_cast<const SqlTableRef&>(other);
  if (m_joinType != o.m_joinType || !(m_searchCond == o.m_searchCond)) return false;
  if (!m_left != !o.m_left || !m_right != !o.m_right) return false;
  if (m_left && !m_left->Equals(*o.m_left)) return false;
  return !m_right || m_right->Equals(*o.m_right);
}

// ---- query specs -------------------------------------------------------

const ListQuerySpec& AbstractListQuerySpec::ToListQuerySpec() const {
  if (m_queryType != kSingleQuery) VXAssert::handleAssert(kSourceFile, __LINE__, "m_queryType == kSingleQuery");
  return static_cast<const ListQuerySpec&>(*this);
}

const MultiListQuerySpec& AbstractListQuerySpec::ToMultiListQuerySpec() const {
  if (m_queryType != kMultiQuery) VXAssert::handleAssert(kSourceFile, __LINE__, "m_queryType == kMultiQuery");
  return static_cast<const MultiListQuerySpec&>(*this);
}

bool ListQuerySpec::Equals(const AbstractListQuerySpec& other) const {
  if (other.m_queryType != kSingleQuery) return false;
  const auto& o = static_cast<const ListQuerySpec&>(other);
  return m_projection == o.m_projection && m_detailFilter == o.m_detailFilter && m_summaryFilter == o.m_summaryFilter &&
         m_joinSpec == o.m_joinSpec && m_bDistinct == o.m_bDistinct && m_bUnsuppressed == o.m_bUnsuppressed &&
         SameTables(m_fromTables, o.m_fromTables) && m_catalogFolderID == o.m_catalogFolderID &&
         m_selectionSpecs == o.m_selectionSpecs;
}

MultiListQuerySpec::MultiListQuerySpec(const MultiListQuerySpec& other)
    : AbstractListQuerySpec(other),
      m_combineOp(other.m_combineOp),
      m_bAll(other.m_bAll),
      m_sortSpecs(other.m_sortSpecs) {
  m_subqueries.reserve(other.m_subqueries.size());
  for (const auto& q : other.m_subqueries) m_subqueries.push_back(q->Clone());
}

MultiListQuerySpec& MultiListQuerySpec::operator=(const MultiListQuerySpec& other) {
  if (this != &other) {
    MultiListQuerySpec copy(other);
    *this = std::move(copy);
  }
  return *this;
}

bool MultiListQuerySpec::Equals(const AbstractListQuerySpec& other) const {
  if (other.m_queryType != kMultiQuery) return false;
  const auto& o = static_cast<const MultiListQuerySpec&>(other);
  if (m_combineOp != o.m_combineOp || m_bAll != o.m_bAll || !(m_sortSpecs == o.m_sortSpecs) ||
      m_subqueries.size() != o.m_subqueries.size()) {
    return false;
  }
  for (std::size_t i = 0; i < m_subqueries.size(); ++i) {
    if (!m_subqueries[i]->Equals(*o.m_subqueries[i])) return false;
  }
  return true;
}

const AbstractListQuerySpec& MultiListQuerySpec::GetIthSubquery(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= m_subqueries.size()) {
    VXAssert::handleAssert(kSourceFile, __LINE__, "i >= 0 && i < GetNumSubqueries()");
  }
  return *m_subqueries[static_cast<std::size_t>(i)];
}

void MultiListQuerySpec::AddSubquery(std::unique_ptr<AbstractListQuerySpec> subquery) {
  if (!subquery) throw std::invalid_argument("a set query operand must not be null");
  m_subqueries.push_back(std::move(subquery));
}
