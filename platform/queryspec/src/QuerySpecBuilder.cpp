#include "ListQuerySpec/QuerySpecBuilder.h"

#include <stdexcept>

QuerySpecBuilder& QuerySpecBuilder::Select(const ExprID& name, const Expr& expr) {
  m_spec.m_projection.m_edgeExprs.push_back({name, expr});
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Break(BreakSpec::LevelType type, BreakSpec::NestingLevel level,
                                          const ExprID& itemID) {
  m_spec.m_projection.m_breakSpecs.push_back({type, level, itemID});
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::OrderBy(const Expr& expr, SortSpec::SortDirection direction) {
  m_spec.m_projection.m_sortSpecs.push_back({direction, expr});
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Where(const Expr& detailFilter) {
  m_spec.m_detailFilter = detailFilter;
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Having(const Expr& summaryFilter) {
  m_spec.m_summaryFilter = summaryFilter;
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Distinct(bool bDistinct) {
  m_spec.m_bDistinct = bDistinct;
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Unsuppressed(bool bUnsuppressed) {
  m_spec.m_bUnsuppressed = bUnsuppressed;
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::From(SqlTableRef table) {
  m_spec.m_fromTables.push_back(std::move(table));
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::JoinNode(const VoidID& tableID, std::initializer_list<DirectedLink> links) {
  GraphNode& node = m_spec.m_joinSpec.AddNode(tableID);
  for (const DirectedLink& link : links) node.AddLink(link);
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::CatalogFolder(const VoidID& folderID) {
  m_spec.m_catalogFolderID = folderID;
  return *this;
}

QuerySpecBuilder& QuerySpecBuilder::Selection(SelectionSpec selection) {
  m_spec.m_selectionSpecs.push_back(std::move(selection));
  return *this;
}

ListQuerySpec QuerySpecBuilder::Build() {
  ListQuerySpec done = std::move(m_spec);
  m_spec = ListQuerySpec();
  return done;
}

SqlTableRef QuerySpecBuilder::Table(const VoidID& tableID) {
  return SqlTableRef(std::make_unique<SqlAtomicTable>(tableID));
}

SqlTableRef QuerySpecBuilder::Derived(const AbstractListQuerySpec& subquery, VXString alias) {
  return SqlTableRef(std::make_unique<SqlDerivedTable>(subquery.Clone(), std::move(alias)));
}

SqlTableRef QuerySpecBuilder::Join(SqlTableRef left, SqlTableRef right, SqlTableRef::JoinType type, Expr on) {
  return SqlTableRef(std::make_unique<SqlTableRef>(std::move(left)), std::make_unique<SqlTableRef>(std::move(right)),
                     type, std::move(on));
}

MultiListQuerySpec QuerySpecBuilder::SetQuery(MultiListQuerySpec::CombineQueryOperation op, bool bAll,
                                              std::initializer_list<const AbstractListQuerySpec*> operands,
                                              std::vector<SortSpec> sortSpecs) {
  MultiListQuerySpec q(op, bAll);
  for (const AbstractListQuerySpec* operand : operands) {
    if (!operand) throw std::invalid_argument("a set query operand must not be null");
    q.AddSubquery(operand->Clone());
  }
  q.GetSortSpecs() = std::move(sortSpecs);
  return q;
}
