// QuerySpecBuilder: list query specs made in code, for tests, tools
// and hosts that assemble requests themselves.
//
//   ListQuerySpec q = QuerySpecBuilder()
//                         .Select(U"Region", regionExpr)
//                         .Select(U"Revenue", revenueExpr)
//                         .Break(BreakSpec::kBreak, 0, U"Region")
//                         .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(ordersID),
//                                                      QuerySpecBuilder::Table(customersID),
//                                                      SqlTableRef::kInnerJoin, onExpr))
//                         .Where(yearIs2024)
//                         .OrderBy(revenueExpr, SortSpec::kDescending)
//                         .Build();
//   auto u = QuerySpecBuilder::SetQuery(MultiListQuerySpec::kUnion, true, {&q1, &q2});
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "ListQuerySpec/ListQuerySpec.h"

class QuerySpecBuilder {
 public:
  QuerySpecBuilder() = default;

  QuerySpecBuilder& Select(const ExprID& name, const Expr& expr);
  QuerySpecBuilder& Break(BreakSpec::LevelType type, BreakSpec::NestingLevel level, const ExprID& itemID);
  QuerySpecBuilder& OrderBy(const Expr& expr, SortSpec::SortDirection direction);
  QuerySpecBuilder& Where(const Expr& detailFilter);
  QuerySpecBuilder& Having(const Expr& summaryFilter);
  QuerySpecBuilder& Distinct(bool bDistinct = true);
  QuerySpecBuilder& Unsuppressed(bool bUnsuppressed = true);
  // Appends a FROM entry.
  QuerySpecBuilder& From(SqlTableRef table);
  QuerySpecBuilder& From(const VoidID& tableID) { return From(Table(tableID)); }
  // Appends a join-graph node with its links.
  QuerySpecBuilder& JoinNode(const VoidID& tableID, std::initializer_list<DirectedLink> links = {});
  QuerySpecBuilder& CatalogFolder(const VoidID& folderID);
  QuerySpecBuilder& Selection(SelectionSpec selection);

  // The finished query spec; the builder starts over empty.
  ListQuerySpec Build();

  // FROM entries.
  static SqlTableRef Table(const VoidID& tableID);
  static SqlTableRef Derived(const AbstractListQuerySpec& subquery, VXString alias = {});
  static SqlTableRef Join(SqlTableRef left, SqlTableRef right, SqlTableRef::JoinType type, Expr on = {});
  // A set query of copies of the given operands, in order.
  static MultiListQuerySpec SetQuery(MultiListQuerySpec::CombineQueryOperation op, bool bAll,
                                     std::initializer_list<const AbstractListQuerySpec*> operands,
                                     std::vector<SortSpec> sortSpecs = {});

 private:
  ListQuerySpec m_spec;
};
