// Queries typed against the sample repository: what each name resolves to,
// what each fault says and where, and what one user may see.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace {

using namespace logical_sql;

class LogicalSQLBind : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }
  static void TearDownTestSuite() { s_rp.reset(); }
  void SetUp() override {
    s_rp->SetCurrentUser(U"", U"");
    s_rp->ClearReadDenials();
  }
  static BindResult Bind(const std::string& text, const VXString& user = U"") {
    return ParseAndBind(text, s_rp.get(), user, {});
  }
  // The internal text form of select item i.
  static std::string Item(const BindResult& r, std::size_t i) {
    const ListQuerySpec& q = r.spec->ToListQuerySpec();
    return ToNarrow(ToStringVisitor::StringFrom(q.m_projection.m_edgeExprs.at(i).m_expr));
  }
  static std::string Errors(const BindResult& r) {
    std::string s;
    for (const Diagnostic& d : r.diagnostics) {
      s += std::to_string(d.range.start.line) + ":" + std::to_string(d.range.start.column) + " " + d.code + " " +
           ToNarrow(d.message) + "\n";
    }
    return s;
  }
  // The text Format writes for r, which must bind again to the same query
  // spec and format to the same text.
  static VXString Reformatted(const BindResult& r) {
    const VXString text = Format(*r.spec, s_rp.get(), {});
    const BindResult again = Bind(ToNarrow(text));
    EXPECT_TRUE(again.spec && again.spec->Equals(*r.spec)) << ToNarrow(text) << "\n" << Errors(again);
    if (again.spec) {
      EXPECT_EQ(Format(*again.spec, s_rp.get(), {}), text);
      EXPECT_EQ(again.spec->ToByteVector(), r.spec->ToByteVector());
    }
    return text;
  }
  static std::unique_ptr<ARpGateway> s_rp;
};
std::unique_ptr<ARpGateway> LogicalSQLBind::s_rp;

TEST_F(LogicalSQLBind, ColumnNamesOfOneTwoAndThreeSegments) {
  struct Case {
    std::string text;
    std::string item;  // internal text form of the one select item
  };
  const Case cases[] = {
      {"SELECT \"Sales Analysis\".\"Orders\".\"Revenue\" FROM \"Sales Analysis\"", "#4010:3"},
      {"SELECT Orders.Revenue FROM \"Sales Analysis\"", "#4010:3"},
      // Case does not matter, nor a former name of the subject area or table.
      {"SELECT orders.REVENUE FROM sales", "#4010:3"},
      {"SELECT Clients.City FROM \"Sales Analysis\"", "#4010:9"},
      // One segment: the one column of that name in any table.
      {"SELECT \"Customer Name\" FROM \"Marketing Insights\"", "#4010:20"},
      {"SELECT Brand FROM \"Sales Analysis\"", "#4010:14"},
  };
  for (const Case& c : cases) {
    const BindResult r = Bind(c.text);
    ASSERT_TRUE(r.spec) << c.text << "\n" << Errors(r);
    EXPECT_EQ(Item(r, 0), c.item) << c.text;
  }
}

TEST_F(LogicalSQLBind, ClausesFillTheQuerySpec) {
  const BindResult r = Bind(
      "SELECT DISTINCT Customers.Region, SUM(Orders.Revenue) AS Total\n"
      "FROM \"Sales Analysis\"\n"
      "WHERE Orders.Status = 'SHIPPED' AND Orders.Quantity > 10\n"
      "GROUP BY Customers.Region\n"
      "HAVING SUM(Orders.Revenue) > 1000\n"
      "ORDER BY 2 DESC, Region\n"
      "FETCH FIRST 20 ROWS ONLY");
  ASSERT_TRUE(r.spec) << Errors(r);
  const ListQuerySpec& q = r.spec->ToListQuerySpec();
  EXPECT_TRUE(q.m_bDistinct);
  ASSERT_EQ(q.m_projection.m_edgeExprs.size(), 2u);
  EXPECT_EQ(q.m_projection.m_edgeExprs[0].m_name, U"Region");
  EXPECT_EQ(q.m_projection.m_edgeExprs[1].m_name, U"Total");
  EXPECT_EQ(Item(r, 1), "Sum(#4010:3)");
  EXPECT_EQ(ToNarrow(ToStringVisitor::StringFrom(q.m_detailFilter)),
            "And(Equal(#4010:7,'SHIPPED'),Greater(#4010:2,10))");
  EXPECT_EQ(ToNarrow(ToStringVisitor::StringFrom(q.m_summaryFilter)), "Greater(Sum(#4010:3),1000)");
  ASSERT_EQ(q.m_projection.m_breakSpecs.size(), 1u);
  EXPECT_EQ(q.m_projection.m_breakSpecs[0].m_identifiedExprID, U"Region");
  ASSERT_EQ(q.m_projection.m_sortSpecs.size(), 2u);
  EXPECT_EQ(q.m_projection.m_sortSpecs[0].m_direction, SortSpec::kDescending);
  EXPECT_EQ(ToNarrow(ToStringVisitor::StringFrom(q.m_projection.m_sortSpecs[0].m_sortSpecExpr)), "Sum(#4010:3)");
  // An alias in ORDER BY names its item.
  EXPECT_EQ(ToNarrow(ToStringVisitor::StringFrom(q.m_projection.m_sortSpecs[1].m_sortSpecExpr)), "#4010:10");
  EXPECT_EQ(q.m_catalogFolderID, VoidID(4004, 1));
  ASSERT_TRUE(r.fetchFirst);
  EXPECT_EQ(*r.fetchFirst, 20);
}

TEST_F(LogicalSQLBind, SetOperationsAndSubqueries) {
  const BindResult u = Bind(
      "SELECT \"Customer Name\" FROM \"Marketing Insights\"\n"
      "UNION ALL\n"
      "SELECT Customers.\"Customer Name\" FROM \"Sales Analysis\"\n"
      "ORDER BY 1");
  ASSERT_TRUE(u.spec) << Errors(u);
  const MultiListQuerySpec& m = u.spec->ToMultiListQuerySpec();
  EXPECT_EQ(m.GetCombineQueryOperation(), MultiListQuerySpec::kUnion);
  EXPECT_TRUE(m.IsAll());
  EXPECT_EQ(m.GetNumSubqueries(), 2);
  EXPECT_EQ(m.GetSortSpecs().size(), 1u);

  const BindResult in = Bind(
      "SELECT Orders.\"Order Id\" FROM Sales\n"
      "WHERE Orders.Quantity IN (SELECT \"Journal Entries\".Quantity FROM Finance)");
  ASSERT_TRUE(in.spec) << Errors(in);
  const std::string where = ToNarrow(ToStringVisitor::StringFrom(in.spec->ToListQuerySpec().m_detailFilter));
  EXPECT_EQ(where.rfind("In(#4010:2,", 0), 0u) << where;

  const BindResult derived = Bind("SELECT t.Total FROM (SELECT SUM(Orders.Revenue) AS Total FROM Sales) t");
  ASSERT_TRUE(derived.spec) << Errors(derived);
  EXPECT_EQ(Item(derived, 0), "Q['t','Total']");
}

TEST_F(LogicalSQLBind, NameFaultsCarryOutcomeCandidatesAndSuggestions) {
  struct Case {
    std::string text;
    std::string code;
    NameOutcome outcome;
    std::uint32_t column;  // of the name, on line 1
    std::size_t candidates;
    std::string firstSuggestion;  // written qualified name, "" for none
  };
  const Case cases[] = {
      {"SELECT Orders.Revenu FROM Sales", "sql.name.nonexistent-column", kNonexistentColumn, 8, 0,
       "\"Orders\".\"Revenue\""},
      {"SELECT Ordrs.Revenue FROM Sales", "sql.name.nonexistent-table", kNonexistentTable, 8, 0,
       "\"Sales Analysis\".\"Orders\".\"Revenue\""},
      // Two subject areas carry the former name Fin.
      {"SELECT x FROM Fin", "sql.name.ambiguous-subject-area", kAmbiguousCatalog, 15, 2, ""},
      {"SELECT x FROM Nowhere", "sql.name.nonexistent-subject-area", kNonexistentCatalog, 15, 0, ""},
      // Revenue is a column of Ledger in both finance subject areas.
      {"SELECT Ledger.Revenue FROM Finance, \"Finance Archive\"", "sql.name.ambiguous-table", kAmbiguousTable, 8, 2,
       ""},
      // Net Revenue is in Orders and in Margins.
      {"SELECT \"Net Revenue\" FROM Sales", "sql.name.ambiguous-column", kAmbiguousColumn, 8, 2, ""},
  };
  for (const Case& c : cases) {
    const BindResult r = Bind(c.text);
    EXPECT_FALSE(r.spec) << c.text;
    ASSERT_FALSE(r.diagnostics.empty()) << c.text;
    const Diagnostic& d = r.diagnostics.front();
    EXPECT_EQ(d.code, c.code) << c.text << "\n" << Errors(r);
    EXPECT_EQ(d.outcome, c.outcome) << c.text;
    EXPECT_EQ(d.range.start.line, 1u) << c.text;
    EXPECT_EQ(d.range.start.column, c.column) << c.text;
    EXPECT_EQ(d.candidates.size(), c.candidates) << c.text;
    if (!c.firstSuggestion.empty()) {
      ASSERT_FALSE(d.suggestions.empty()) << c.text;
      EXPECT_EQ(ToNarrow(MetadataUtil::ToQualifiedName(d.suggestions.front())), c.firstSuggestion) << c.text;
    }
  }
}

TEST_F(LogicalSQLBind, EveryFaultOfOneQueryIsReported) {
  const BindResult r = Bind(
      "SELECT Orders.Revenu,\n"
      "       Orders.Quantity,\n"
      "       Customers.Regon\n"
      "FROM Sales\n"
      "WHERE Orders.Staus = 'x'");
  ASSERT_EQ(r.diagnostics.size(), 3u) << Errors(r);
  EXPECT_EQ(r.diagnostics[0].range.start.line, 1u);
  EXPECT_EQ(r.diagnostics[0].range.start.column, 8u);
  EXPECT_EQ(r.diagnostics[0].range.end.column, 21u);
  EXPECT_EQ(r.diagnostics[1].range.start.line, 3u);
  EXPECT_EQ(r.diagnostics[1].range.start.column, 8u);
  EXPECT_EQ(r.diagnostics[2].range.start.line, 5u);
  EXPECT_EQ(r.diagnostics[2].range.start.column, 7u);
  EXPECT_EQ(r.diagnostics[2].range.start.offset, 86u);
}

TEST_F(LogicalSQLBind, BoundNamesSayWhatEachNameIs) {
  const std::string text = "SELECT Orders.Revenue FROM Sales";
  const BindResult r = Bind(text);
  ASSERT_EQ(r.names.size(), 2u);
  EXPECT_EQ(r.names[0].kind, BoundName::kColumn);
  EXPECT_EQ(r.names[0].range.start.offset, 7u);
  EXPECT_EQ(r.names[0].range.end.offset, 21u);
  EXPECT_EQ(r.names[0].id, VoidID(4010, 3));
  EXPECT_EQ(r.names[0].qualifiedName, U"\"Sales Analysis\"..\"Orders\".\"Revenue\"");
  EXPECT_EQ(r.names[1].kind, BoundName::kSubjectArea);
  EXPECT_EQ(r.names[1].id, VoidID(4004, 1));
  EXPECT_EQ(text.substr(r.names[1].range.start.offset, r.names[1].range.end.offset - r.names[1].range.start.offset),
            "Sales");
}

// A column the user may not read reports inaccessible, and is never named
// among the candidates or suggestions of another fault.
TEST_F(LogicalSQLBind, ReadSecurityOfTheUser) {
  const BindResult denied = Bind("SELECT Orders.Discount FROM Sales", U"anna.berg");
  ASSERT_EQ(denied.diagnostics.size(), 1u) << Errors(denied);
  EXPECT_EQ(denied.diagnostics[0].code, "sql.name.inaccessible-column");
  EXPECT_EQ(denied.diagnostics[0].outcome, kInaccessibleColumn);
  EXPECT_TRUE(denied.diagnostics[0].suggestions.empty());

  // The administrator is offered Discount for a misspelling; anna is not.
  const BindResult admin = Bind("SELECT Orders.Discont FROM Sales", U"Administrator");
  ASSERT_FALSE(admin.diagnostics.empty());
  bool bOffered = false;
  for (const QualifiedName& q : admin.diagnostics[0].suggestions) bOffered = bOffered || q.back() == U"Discount";
  EXPECT_TRUE(bOffered);
  const BindResult anna = Bind("SELECT Orders.Discont FROM Sales", U"anna.berg");
  ASSERT_FALSE(anna.diagnostics.empty());
  for (const QualifiedName& q : anna.diagnostics[0].suggestions) EXPECT_NE(q.back(), U"Discount");

  // One segment: Orders' Discount is hidden from anna, Margins' is not, so
  // the name is no longer ambiguous for her.
  const BindResult one = Bind("SELECT Discount FROM Sales", U"anna.berg");
  ASSERT_TRUE(one.spec) << Errors(one);
  EXPECT_EQ(Item(one, 0), "#4010:33");
  const BindResult both = Bind("SELECT Discount FROM Sales", U"Administrator");
  ASSERT_FALSE(both.diagnostics.empty());
  EXPECT_EQ(both.diagnostics[0].outcome, kAmbiguousColumn);

  // A subject area the user may not read.
  const BindResult area = Bind("SELECT x FROM \"Marketing Insights\"", U"anna.berg");
  ASSERT_FALSE(area.diagnostics.empty());
  EXPECT_EQ(area.diagnostics[0].outcome, kInaccessibleCatalog);
  for (const Diagnostic& d : area.diagnostics) EXPECT_TRUE(d.candidates.empty());

  const BindResult nobody = Bind("SELECT x FROM Sales", U"nobody");
  ASSERT_EQ(nobody.diagnostics.size(), 1u);
  EXPECT_EQ(nobody.diagnostics[0].code, "sql.bind.unknown-user");
}

TEST_F(LogicalSQLBind, FormatWritesTextThatBindsToTheSameQuerySpec) {
  const BindResult r = Bind(
      "SELECT Customers.Region, SUM(Orders.Revenue) AS Total FROM Sales\n"
      "WHERE Orders.Status LIKE 'S%' GROUP BY Customers.Region ORDER BY Total DESC");
  ASSERT_TRUE(r.spec) << Errors(r);
  Reformatted(r);
  const VXString byId = Format(*r.spec, s_rp.get(), {.mode = NamingMode::kById});
  EXPECT_NE(byId.find(U"\"4010:3\""), VXString::npos) << ToNarrow(byId);
}

// A derived table keeps the alias the user gave it: the outer query names
// its columns through it, so the text written back names it the same way
// and binds again.
TEST_F(LogicalSQLBind, FormatKeepsTheAliasOfADerivedTable) {
  const BindResult r = Bind("SELECT x.Total FROM (SELECT SUM(Orders.Revenue) AS Total FROM Sales) x");
  ASSERT_TRUE(r.spec) << Errors(r);
  const VXString text = Reformatted(r);
  // Sales is a former name of "Sales Analysis", written by its name; a
  // presentation column's full name has the table's empty accordion level.
  EXPECT_EQ(ToNarrow(text),
            "SELECT \"x\".\"Total\" AS \"Total\"\n"
            "FROM (SELECT SUM(\"Sales Analysis\".\"\".\"Orders\".\"Revenue\") AS \"Total\"\n"
            "  FROM \"Sales Analysis\") \"x\"\n");
}

// A subquery inside an expression is written in the same grammar (its FROM
// names a subject area), so the text binds again to the same query spec.
TEST_F(LogicalSQLBind, FormatOfSubqueriesInsideExpressionsReadsBack) {
  const char* const queries[] = {
      "SELECT Orders.\"Order Id\" FROM Sales\n"
      "WHERE Orders.Quantity IN (SELECT \"Journal Entries\".Quantity FROM Finance)",
      "SELECT Orders.\"Order Id\" FROM Sales\n"
      "WHERE Orders.Quantity NOT IN (SELECT \"Journal Entries\".Quantity FROM Finance WHERE \"Journal "
      "Entries\".Quantity > 2)"
      " AND Orders.Revenue > 10",
      "SELECT Orders.\"Order Id\" FROM Sales\n"
      "WHERE Orders.Quantity IN (SELECT Orders.Quantity FROM Sales WHERE Orders.Revenue IN\n"
      "  (SELECT Orders.Revenue FROM Sales WHERE Orders.Status = 'SHIPPED'))",
  };
  for (const char* query : queries) {
    const BindResult r = Bind(query);
    ASSERT_TRUE(r.spec) << query << "\n" << Errors(r);
    // The inner query is written in the front end's grammar, not as SQL of the database.
    EXPECT_NE(Reformatted(r).find(U"(SELECT "), VXString::npos);
  }
}

}  // namespace
