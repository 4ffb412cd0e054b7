// Subqueries inside expressions and derived tables, nested both ways; the
// stack guard and the cancellation point on the way down.
#include <memory>

#include "SMUtilQueryTestRepo.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXThread.h"

using namespace query_test;

namespace {

const VXString T = U"\t\t";

// WHERE EXISTS (subquery).
Expr ExistsOf(const AbstractListQuerySpec& sub) {
  return ExprBuilder().Op(kExists).Subquery(sub.ToByteVector()).End().Build();
}

// q as the only FROM entry of a new query (moved, not copied).
ListQuerySpec Wrap(ListQuerySpec q) {
  ListQuerySpec outer;
  outer.m_fromTables.emplace_back(std::make_unique<SqlDerivedTable>(std::make_unique<ListQuerySpec>(std::move(q))));
  return outer;
}

// Restores the process-wide stack limit.
struct StackLimit {
  std::size_t previous;
  explicit StackLimit(std::size_t bytes) : previous(VXThread::SetStackLimit(bytes)) {}
  ~StackLimit() { VXThread::SetStackLimit(previous); }
};

TEST(QueryNesting, SubqueryTokenIsWrittenAsNativeSQLWithTabs) {
  Repo r;
  ARpGateway* rp = r.Rp();
  const ListQuerySpec inner =
      QuerySpecBuilder().Select(U"id", ExprBuilder().ID(r.ordID).Build()).From(r.orders).Build();
  const ListQuerySpec outer = QuerySpecBuilder().Select(U"c", Parse(U"1")).Where(ExistsOf(inner)).Build();
  for (bool bFQ : {false, true}) {
    const VXString column = bFQ ? U"\"DB\".\"Cat\".\"Sch\".\"Orders\".\"id\"" : U"\"Orders\".\"id\"";
    const VXString innerText =
        MetadataUtil::ToSQLStatement(inner, rp, {.fullyQualified = bFQ, .tabs = true, .nativeSQL = true});
    EXPECT_EQ(Show(innerText), Show(T + U"SELECT \n" + T + column + U" as id" + T + U"\n" + T + U"FROM \nOrders\n"));
    // Whatever mode the outer statement is in, the subquery is native with tabs.
    const VXString outerText =
        MetadataUtil::ToSQLStatement(outer, rp, {.fullyQualified = bFQ, .shortExternalMode = true});
    const std::size_t where = outerText.find(U"WHERE\n");
    ASSERT_NE(where, VXString::npos);
    EXPECT_NE(outerText.find(innerText, where), VXString::npos) << ToNarrow(outerText);
  }
}

TEST(QueryNesting, BothWays) {
  Repo r;
  ARpGateway* rp = r.Rp();
  // Innermost: a plain query; level 2 reads it as a derived table and has a
  // subquery filter; level 3 filters on level 2 and reads a derived table
  // whose own filter holds a subquery.
  const ListQuerySpec q1 = QuerySpecBuilder().Select(U"a", Parse(U"1")).From(r.lines).Build();
  const ListQuerySpec q2 =
      QuerySpecBuilder().Select(U"b", Parse(U"2")).From(QuerySpecBuilder::Derived(q1)).Where(ExistsOf(q1)).Build();
  const ListQuerySpec q3 =
      QuerySpecBuilder().Select(U"c", Parse(U"3")).From(QuerySpecBuilder::Derived(q2)).Where(ExistsOf(q2)).Build();
  const VXString t1 = MetadataUtil::ToSQLStatement(q1, rp, {.tabs = true, .nativeSQL = true});
  const VXString t2 = MetadataUtil::ToSQLStatement(q2, rp, {.tabs = true, .nativeSQL = true});
  EXPECT_EQ(Show(t1), Show(T + U"SELECT \n" + T + U"1 as a" + T + U"\n" + T + U"FROM \nLines\n"));
  // EXISTS and the subquery as native SQL with tabs, nothing around it.
  const VXString exists1 = U" EXISTS " + t1;
  EXPECT_EQ(Show(t2), Show(T + U"SELECT \n" + T + U"2 as b" + T + U"\n" + T + U"FROM \n" + t1 + U"\n" + T + U"WHERE\n" +
                           T + exists1 + U"\n"));
  const VXString t3 = MetadataUtil::ToSQLStatement(q3, rp, {.nativeSQL = true});
  EXPECT_EQ(Show(t3), Show(U"SELECT \n3 as c\nFROM \n" + t2 + U"\nWHERE\n EXISTS " + t2 + U"\n"));
  // Level 1 shows up four times in level 3: twice under each of level 2's copies.
  std::size_t count = 0;
  for (std::size_t at = t3.find(t1); at != VXString::npos; at = t3.find(t1, at + 1)) ++count;
  EXPECT_EQ(count, 4u);
}

TEST(QueryNesting, CorruptSubqueryBytesFailClearly) {
  const Expr bad = ExprBuilder().Op(kExists).Subquery(ByteVector{'Q', 'S', 1, 0, 0xff}).End().Build();
  const ListQuerySpec q = QuerySpecBuilder().Where(bad).Build();
  EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}), BlobDecodeError);
}

TEST(QueryNesting, DeepDerivedTablesStopAtTheStackGuard) {
  StackLimit limit(256 * 1024);
  ListQuerySpec q = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  for (int i = 0; i < 5000; ++i) q = Wrap(std::move(q));
  EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {.nativeSQL = true}), VXStackOverflowException);
  EXPECT_THROW(MetadataUtil::ToString(q, nullptr, false), VXStackOverflowException);
  // A shallow one still renders under the same limit.
  ListQuerySpec shallow = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  for (int i = 0; i < 20; ++i) shallow = Wrap(std::move(shallow));
  EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(shallow, nullptr, {.nativeSQL = true}));
}

TEST(QueryNesting, DeepSubqueryTokensStopAtTheStackGuard) {
  StackLimit limit(256 * 1024);
  // Each level's filter holds the previous level as subquery bytes, so
  // nothing bounds the depth but the stack.
  ListQuerySpec q = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  for (int i = 0; i < 1500; ++i) q = QuerySpecBuilder().Where(ExistsOf(q)).Build();
  EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {.nativeSQL = true}), VXStackOverflowException);
}

TEST(QueryNesting, CancelledJobStopsRendering) {
  const ListQuerySpec inner = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  const ListQuerySpec q = QuerySpecBuilder().Select(U"y", Parse(U"2")).Where(ExistsOf(inner)).Build();
  auto job = std::make_shared<VXJobCancellation>();
  VXThreadJobMgr::ScopedJob bind(job);
  EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}));
  job->Cancel();
  EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}), VXJobCancelledException);
  EXPECT_THROW(MetadataUtil::ToSQLStatement(JoinGraph(), nullptr, {}), VXJobCancelledException);
}

// The job is cancelled while the outer statement is being written: the
// nested statement's entry notices.
std::shared_ptr<VXJobCancellation> g_jobToCancel;
ToPrettyStringVisitor::SubqueryWriter g_realWriter = nullptr;
VXString CancellingWriter(const ByteVector& bytes, ARpGateway* pRp, bool bFullyQualified) {
  g_jobToCancel->Cancel();
  return g_realWriter(bytes, pRp, bFullyQualified);
}

TEST(QueryNesting, CancellationReachesNestedStatements) {
  const ListQuerySpec inner = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  const ListQuerySpec q = QuerySpecBuilder().Select(U"y", Parse(U"2")).Where(ExistsOf(inner)).Build();
  g_jobToCancel = std::make_shared<VXJobCancellation>();
  g_realWriter = ToPrettyStringVisitor::SetSubqueryWriter(&CancellingWriter);
  ASSERT_NE(g_realWriter, nullptr) << "the query text writer installs itself when the library loads";
  {
    VXThreadJobMgr::ScopedJob bind(g_jobToCancel);
    EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}), VXJobCancelledException);
  }
  ToPrettyStringVisitor::SetSubqueryWriter(g_realWriter);
  // Without the job the same statement renders.
  EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}));
}

}  // namespace
