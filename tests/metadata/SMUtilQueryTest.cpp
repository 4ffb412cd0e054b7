// Query text: ToSQLStatement in its four modes, set queries, join graphs and
// the diagnostic form; join descriptions; subqueries nested both ways.
#include <gtest/gtest.h>

#include <memory>

#include "Expr/ExprBuilder.h"
#include "Expr/ToStringVisitor.h"
#include "ListQuerySpec/QuerySpecBuilder.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"
#include "common/Caught.h"
#include "objectmodel/Relation.h"
#include "objectmodel/RpBuilder.h"

namespace {

Expr Parse(const VXString& text) { return ToStringVisitor::ExprFrom(text); }
// The internal form of a reference to id.
VXString IdText(const VoidID& id) { return U"#" + id.ToString(); }

// A small physical layer for the query-text tests: tables at every kind of
// container, a two-column key with a foreign key onto it, and a complex join.
// Expected texts are written out in the tests. Every name part is quoted
// there (the query writer asks for quotes); a column written fully qualified
// has all the segments of its qualified name, so one of the table "Lines"
// (under the catalog, no schema) has an empty schema segment:
// "DB"."Cat".""."Lines"."ID". Otherwise a column is its last two segments.
struct Repo {
  ARpGateway rp;
  VoidID db, cat, sch, s2;
  VoidID customers, orders, lines, solo, top;
  VoidID custID, custRegion, ordID, ordRegion, ordAmount, lineID;
  VoidID pk, pkIDOnly, fk, fkFirstMatch, fkNoMatch, cj;
  VoidID subjectArea, quotedArea;

  Repo() {
    RpBuilder b(rp);
    db = b.Add(kTIDADatabase, U"DB");
    cat = b.At(db).Child(kTIDACatalog, U"Cat");
    sch = b.At(cat).Child(kTIDASchema, U"Sch");
    s2 = b.At(db).Child(kTIDASchema, U"S2");

    customers = b.At(sch).Child(kTIDATable, U"Customers");
    custID = b.At(customers).Child(kTIDAColumn, U"ID");
    custRegion = b.At(customers).Child(kTIDAColumn, U"REGION");
    orders = b.At(sch).Child(kTIDATable, U"Orders");
    ordRegion = b.At(orders).Child(kTIDAColumn, U"region");
    ordID = b.At(orders).Child(kTIDAColumn, U"id");
    ordAmount = b.At(orders).Child(kTIDAColumn, U"AMOUNT");
    lines = b.At(cat).Child(kTIDATable, U"Lines");
    lineID = b.At(lines).Child(kTIDAColumn, U"ID");
    solo = b.At(s2).Child(kTIDATable, U"Solo");
    top = b.At(db).Child(kTIDATable, U"Top");

    const auto column = [&](const VoidID& id) { return Ref<AColumn>(rp.GetObject(id)); };
    const auto key = b.At(customers).Child(kTIDATableKey, U"PK");
    pk = key;
    key.As<ATableKey>()->AddColumn(column(custID));
    key.As<ATableKey>()->AddColumn(column(custRegion));
    const auto key2 = b.At(customers).Child(kTIDATableKey, U"PK_ID");
    pkIDOnly = key2;
    key2.As<ATableKey>()->AddColumn(column(custID));

    // Orders -> Customers on both key columns; the foreign key lists its
    // columns in another order and has one column more.
    const auto foreignKey = [&](const VoidID& table, const VXString& name, const RpBuilder::Node& to,
                                std::initializer_list<VoidID> columns) {
      Ref<AForeignKey> f = b.At(table).Child(kTIDAForeignKey, name).As<AForeignKey>();
      f->SetTableKey(to.As<ATableKey>());
      for (VoidID col : columns) f->AddComponent(column(col));
      return f.GetID();
    };
    fk = foreignKey(orders, U"FK_ORD_CUST", key, {ordRegion, ordAmount, ordID});
    // Two columns named like the key column: only the first is used.
    fkFirstMatch = foreignKey(lines, U"FK_FIRST", key2, {lineID, ordID});
    // No column name in common: no condition.
    fkNoMatch = foreignKey(orders, U"FK_NONE", key2, {ordAmount});

    const auto j = b.Add(kTIDAComplexJoin, U"Orders to Lines");
    cj = j;
    j.As<AComplexJoin>()->SetTables(Ref<ATable>(rp.GetObject(orders)), Ref<ATable>(rp.GetObject(lines)));
    j.As<AComplexJoin>()->SetJoinExpr(ExprBuilder().Op(kEqual).ID(ordID).ID(lineID).End().Build());

    subjectArea = b.Add(kTIDACatalogFolder, U"Sales");
    quotedArea = b.Add(kTIDACatalogFolder, U"\"Quoted\"");
  }
};

const VXString T = U"\t\t";

// Every test gets a fresh copy of the small physical layer.
class QueryText : public ::testing::Test {
 protected:
  Repo r;
  ARpGateway* rp = &r.rp;
};
using QueryJoinText = QueryText;
using QueryNesting = QueryText;

Expr Id(VoidID id) { return ExprBuilder().ID(id).Build(); }

// Columns of the test repository as the query writer quotes them.
const VXString kOrdersAmount = U"\"Orders\".\"AMOUNT\"";
const VXString kOrdersAmountFQ = U"\"DB\".\"Cat\".\"Sch\".\"Orders\".\"AMOUNT\"";
const VXString kOrdersIdFQ = U"\"DB\".\"Cat\".\"Sch\".\"Orders\".\"id\"";
const VXString kCustomersRegionFQ = U"\"DB\".\"Cat\".\"Sch\".\"Customers\".\"REGION\"";
const VXString kCustomersIdFQ = U"\"DB\".\"Cat\".\"Sch\".\"Customers\".\"ID\"";
const VXString kLinesIdFQ = U"\"DB\".\"Cat\".\"\".\"Lines\".\"ID\"";
// The foreign key Orders -> Customers and the complex join Orders -> Lines as
// conditions: the key's columns paired by name, key side first.
const VXString kFkText =
    U" \"Cat\".\"Sch\".\"Customers\".\"ID\"=\"Cat\".\"Sch\".\"Orders\".\"id\" AND "
    U"\"Cat\".\"Sch\".\"Customers\".\"REGION\"=\"Cat\".\"Sch\".\"Orders\".\"region\"";
const VXString kCjText = U" \"Orders\".\"id\" = \"Lines\".\"ID\"";

TEST_F(QueryText, EmptyRequestAndSelectItemFormsByMode) {
  EXPECT_EQ(MetadataUtil::ToSQLStatement(ListQuerySpec(), nullptr, {}), U"SELECT \n\nBREAK SPEC: \n");
  EXPECT_EQ(MetadataUtil::ToSQLStatement(ListQuerySpec(), nullptr, {.tabs = true, .nativeSQL = true}),
            T + U"SELECT \n" + T + T + U"\n" + T);
  const Expr e = Parse(U"Add(1,Multiply(2,3))");
  const ListQuerySpec q = QuerySpecBuilder().Select(U"N", e).Select(U"M", Parse(U"7")).Build();
  // Internal form, blank, rendering: Add and Multiply are infix, no parentheses.
  struct Row {
    bool bNative, bShort;
    VXString expected;
  };
  const Row rows[] = {
      {false, false, U"SELECT \nAdd(1,Multiply(2,3)) 1 + 2 * 3 as \"N\", 7 7 as \"M\"\nBREAK SPEC: \n"},
      {true, false, U"SELECT \n1 + 2 * 3 as N, 7 as M\n"},
      {false, true, U"SELECT \nAdd(1,Multiply(2,3)) 1 + 2 * 3, 7 7\nBREAK SPEC: \n"},
      {true, true, U"SELECT \n1 + 2 * 3, 7\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MetadataUtil::ToSQLStatement(q, nullptr, {.nativeSQL = row.bNative, .shortExternalMode = row.bShort}),
              row.expected)
        << row.bNative << row.bShort;
  }
}

// Every clause at once, with tabs.
TEST_F(QueryText, FullStatementWithTabs) {
  const Expr region = Id(r.custRegion);
  const Expr revenue = ExprBuilder().Op(kSum).ID(r.ordAmount).End().Build();
  const Expr detail = ExprBuilder().Op(kGreater).ID(r.ordAmount).Int(100).End().Build();
  const Expr summary = ExprBuilder().Op(kGreater).Append(revenue).Int(1000).End().Build();
  const Expr on = ExprBuilder().Op(kEqual).ID(r.custID).ID(r.lineID).End().Build();
  const Expr one = Parse(U"1"), two = Parse(U"2"), a = Parse(U"'a'");
  SelectionSpec sel{U"Sel", {U"Region", U"Revenue"}, {IncludeSpec{{one, a}, detail}, IncludeSpec{{two}, {}}}};
  const ListQuerySpec q =
      QuerySpecBuilder()
          .Selection(sel)
          .Unsuppressed()
          .Distinct()
          .Select(U"Region", region)
          .Select(U"Revenue", revenue)
          .Break(BreakSpec::kBreak, 0, U"Region")
          .Break(BreakSpec::kBody, -1, U"Revenue")
          .From(r.orders)
          .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(r.customers), QuerySpecBuilder::Table(r.lines),
                                       SqlTableRef::kLeftOuterJoin, on))
          .JoinNode(r.orders, {DirectedLink(r.cj, r.lines), DirectedLink(r.fk, r.customers)})
          .JoinNode(r.customers, {DirectedLink(r.fk, r.orders)})
          .JoinNode(r.lines, {DirectedLink(r.cj, r.orders)})
          .Where(detail)
          .Having(summary)
          .OrderBy(region, SortSpec::kAscending)
          .OrderBy(revenue, SortSpec::kDescending)
          .OrderBy(one, SortSpec::kDontCare)
          .Build();
  // The foreign key, then the complex join, then the detail filter in parentheses.
  const VXString revenueText = U" SUM(" + kOrdersAmountFQ + U")";
  const VXString detailText = kOrdersAmountFQ + U" > 100";
  const VXString expected =
      T + U"SELECTION Sel(Region, Revenue)\n" +                                                                     //
      T + U"INCLUDE (1, 'a') WHEN " + detailText + U"\n" +                                                          //
      T + U"INCLUDE (2)\n" +                                                                                        //
      T + U"SELECT \n" + T + U"unsuppressed distinct " +                                                            //
      IdText(r.custRegion) + U" " + kCustomersRegionFQ + U" as \"Region\", " +                                      //
      U"Sum(" + IdText(r.ordAmount) + U") " + revenueText + U" as \"Revenue\"" + T + U"\n" +                        //
      U"BREAK SPEC: 0 kBreak Region, -1 kBody Revenue\n" +                                                          //
      T + U"FROM \nOrders\n\t\t( Customers left join Lines on " + kCustomersIdFQ + U" = " + kLinesIdFQ + U" )\n" +  //
      T + U"\"Cat\".\"Sch\".\"Orders\",\n\t\t\"Cat\".\"Sch\".\"Customers\",\n\t\t\"Cat\".\"Lines\"\n" + T + U"WHERE\n" +
      T + kFkText + U" AND " + kOrdersIdFQ + U" = " + kLinesIdFQ + U" AND (" + detailText + U")\n" + T + U"HAVING\n" +
      T + revenueText + U" > 1000\n" +  //
      T + U"ORDER BY\n" + T + kCustomersRegionFQ + U" asc, " + revenueText + U" desc, 1 \n";
  EXPECT_EQ(MetadataUtil::ToSQLStatement(q, rp, {.fullyQualified = true, .tabs = true}), expected);
  // Without full qualification a column is its last two segments.
  EXPECT_NE(MetadataUtil::ToSQLStatement(q, rp, {.tabs = true})
                .find(IdText(r.custRegion) + U" \"Customers\".\"REGION\" as \"Region\""),
            VXString::npos);
}

TEST_F(QueryText, FromEntriesJoinsAndSeparators) {
  struct Row {
    SqlTableRef::JoinType type;
    const char32_t* keyword;
  };
  const Row rows[] = {{SqlTableRef::kInnerJoin, U" inner join "},
                      {SqlTableRef::kLeftOuterJoin, U" left join "},
                      {SqlTableRef::kRightOuterJoin, U" right join "},
                      {SqlTableRef::kFullOuterJoin, U" full join "},
                      {SqlTableRef::kFullOuterStitchJoin, U" full outer stitch join "},
                      {SqlTableRef::kNaturalJoin, U" natural join "}};
  for (const Row& row : rows) {
    // Nested joins: ( ( Orders kw Customers ) kw Lines ), no ON conditions.
    ListQuerySpec q =
        QuerySpecBuilder()
            .From(QuerySpecBuilder::Join(QuerySpecBuilder::Join(QuerySpecBuilder::Table(r.orders),
                                                                QuerySpecBuilder::Table(r.customers), row.type),
                                         QuerySpecBuilder::Table(r.lines), row.type))
            .From(r.top)
            .Build();
    const VXString kw = row.keyword;
    EXPECT_EQ(MetadataUtil::ToSQLStatement(q, rp, {.nativeSQL = true}),
              U"SELECT \n\nFROM \n( ( Orders" + kw + U"Customers )" + kw + U"Lines )\n\t\tTop\n");
  }
  // Tables of other kinds write nothing; the separators stay.
  ListQuerySpec other = QuerySpecBuilder()
                            .From(SqlTableRef(std::make_unique<SqlNullTable>()))
                            .From(SqlTableRef(std::make_unique<SqlExternalTable>(QualifiedName{U"X"})))
                            .Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(other, rp, {.nativeSQL = true}), U"SELECT \n\nFROM \n\n\t\t\n");
}

TEST_F(QueryText, DerivedTableIsRenderedWithTabs) {
  const ListQuerySpec sub = QuerySpecBuilder().Select(U"a", Id(r.ordID)).From(r.orders).Build();
  const ListQuerySpec q = QuerySpecBuilder().Select(U"b", Parse(U"1")).From(QuerySpecBuilder::Derived(sub)).Build();
  for (bool bNative : {false, true}) {
    const VXString inner =
        MetadataUtil::ToSQLStatement(sub, rp, {.fullyQualified = true, .tabs = true, .nativeSQL = bNative});
    EXPECT_EQ(inner.substr(0, 2), T);
    const VXString items = bNative ? VXString(U"1 as b") : VXString(U"1 1 as \"b\"");
    const VXString breaks = bNative ? VXString() : VXString(U"BREAK SPEC: \n");
    EXPECT_EQ(
        MetadataUtil::ToSQLStatement(q, rp, {.fullyQualified = true, .nativeSQL = bNative, .shortExternalMode = true}),
        U"SELECT \n" + (bNative ? VXString(U"1") : VXString(U"1 1")) + U"\n" + breaks + U"FROM \n" + inner + U"\n");
    EXPECT_NE(MetadataUtil::ToSQLStatement(q, rp, {.fullyQualified = true, .nativeSQL = bNative}).find(items),
              VXString::npos);
  }
}

TEST_F(QueryText, JoinConditionsOnceInIdOrder) {
  // The graph lists the complex join first and the foreign key from both ends.
  JoinGraph g;
  g.AddNode(r.lines).AddLink(DirectedLink(r.cj, r.orders));
  g.AddNode(r.orders).AddLink(DirectedLink(r.cj, r.lines)).AddLink(DirectedLink(r.fk, r.customers));
  g.AddNode(r.customers).AddLink(DirectedLink(r.fk, r.orders));
  const VXString graph = U"Lines,\nOrders,\nCustomers\n";
  ASSERT_LT(VoidID(r.fk), VoidID(r.cj));
  EXPECT_EQ(MetadataUtil::ToSQLStatement(g, rp, {}),
            U"SELECT \n\nBREAK SPEC: \n" + graph + U"WHERE\n" + kFkText + U" AND" + kCjText + U"\n");

  // Ids order by signed type, then unsigned number; " AND" stands between
  // ids even when one of them writes nothing.
  JoinGraph odd;
  odd.AddNode(r.orders)
      .AddLink(DirectedLink(VoidID(r.fk.m_interfaceTypeID, 0xFFFFFFFFu), r.customers))
      .AddLink(DirectedLink(r.fk, r.customers))
      .AddLink(DirectedLink(VoidID(-5, 1), r.customers));
  EXPECT_EQ(MetadataUtil::ToSQLStatement(odd, rp, {.nativeSQL = true}),
            U"SELECT \n\nOrders\nWHERE\n AND" + kFkText + U" AND\n");
}

TEST_F(QueryText, WhereClauseForms) {
  const Expr filter = ExprBuilder().Op(kLess).ID(r.ordAmount).Int(5).End().Build();
  const VXString f = kOrdersAmount + U" < 5";
  ListQuerySpec onlyFilter = QuerySpecBuilder().Where(filter).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(onlyFilter, rp, {.nativeSQL = true}), U"SELECT \n\nWHERE\n" + f + U"\n");
  ListQuerySpec both = QuerySpecBuilder().Where(filter).JoinNode(r.orders, {DirectedLink(r.cj, r.lines)}).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(both, rp, {.nativeSQL = true}),
            U"SELECT \n\nOrders\nWHERE\n \"Orders\".\"id\" = \"Lines\".\"ID\" AND (" + f + U")\n");
  // A graph without links writes no WHERE.
  ListQuerySpec graphOnly = QuerySpecBuilder().JoinNode(r.orders).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(graphOnly, rp, {.tabs = true, .nativeSQL = true}),
            T + U"SELECT \n" + T + T + U"\n" + T + T + U"Orders\n");
}

TEST_F(QueryText, ShortExternalDerivedDataset) {
  const Expr xsa = Parse(U"XSA('ds',Q['T','C'])");
  const Expr having = Parse(U"Greater(1,0)");
  // The FROM clause comes from the first item (from its XSA keyword to the
  // closing parenthesis) and runs straight into the next clause.
  ListQuerySpec q = QuerySpecBuilder().Select(U"x", xsa).Select(U"y", Parse(U"2")).Having(having).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(q, nullptr, {.nativeSQL = true, .shortExternalMode = true}),
            U"SELECT \nXSA('ds').\"T\".\"C\", 2\nFROM XSA('ds')HAVING\n1 > 0\n");

  struct Row {
    const char32_t* firstItem;
    const char32_t* statement;
  };
  const Row rows[] = {
      // An ordinary qualified column: its first segment, quotes and all.
      {U"Q['Sales','Orders','Amount']", U"SELECT \n\"Sales\".\"Orders\".\"Amount\"\nFROM \"Sales\""},
      {U"Q['A.B','C']", U"SELECT \n\"A.B\".\"C\"\nFROM \"A.B\""},  // a dot inside quotes does not split
      {U"Add(1,2)", U"SELECT \n1 + 2\n"},
      {U"'XSA(x).y'", U"SELECT \n'XSA(x).y'\n"},                            // inside a string literal
      {U"XSA('a.b',S'c')", U"SELECT \nXSA('a.b').\"c\"\nFROM XSA('a.b')"},  // a dot inside the quoted area
  };
  for (const Row& row : rows) {
    ListQuerySpec one = QuerySpecBuilder().Select(U"x", Parse(row.firstItem)).Build();
    EXPECT_EQ(MetadataUtil::ToSQLStatement(one, nullptr, {.nativeSQL = true, .shortExternalMode = true}),
              row.statement);
  }
  // A first item whose text starts with "." has nothing in front of the
  // "." to name a dataset: no FROM clause.
  ListQuerySpec dot = QuerySpecBuilder().Select(U"x", Parse(U"Q['.x']")).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(dot, nullptr, {.nativeSQL = true, .shortExternalMode = true}).find(U"FROM"),
            VXString::npos);
  // Outside the short form the same item is fine.
  EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(dot, nullptr, {.nativeSQL = true}));
}

TEST_F(QueryText, CatalogFolderFrom) {
  struct Row {
    VoidID folder;
    bool bNative, bShort;
    VXString from;
  };
  const Row rows[] = {
      {r.subjectArea, true, false, U"FROM Sales\n"},
      {r.subjectArea, true, true, U"FROM \"Sales\"\n"},
      {r.quotedArea, true, true, U"FROM \"Quoted\"\n"},  // not quoted again
      {r.subjectArea, false, true, U""},                 // native SQL off: no folder
  };
  for (const Row& row : rows) {
    ListQuerySpec q = QuerySpecBuilder().Select(U"x", Parse(U"1")).CatalogFolder(row.folder).Build();
    const VXString got =
        MetadataUtil::ToSQLStatement(q, rp, {.nativeSQL = row.bNative, .shortExternalMode = row.bShort});
    const std::size_t at = got.find(U"FROM");
    EXPECT_EQ(at == VXString::npos ? VXString() : got.substr(at), row.from);
  }
  // Tables win over the folder.
  ListQuerySpec q = QuerySpecBuilder().CatalogFolder(r.subjectArea).From(r.orders).Build();
  EXPECT_EQ(MetadataUtil::ToSQLStatement(q, rp, {.nativeSQL = true, .shortExternalMode = true}),
            U"SELECT \n\nFROM \nOrders\n");
}

TEST_F(QueryText, SetQueries) {
  const ListQuerySpec a = QuerySpecBuilder().Select(U"a", Parse(U"1")).Build();
  const ListQuerySpec b = QuerySpecBuilder().Select(U"b", Parse(U"2")).Build();
  const VXString ta = MetadataUtil::ToSQLStatement(a, nullptr, {.nativeSQL = true});
  const VXString tb = MetadataUtil::ToSQLStatement(b, nullptr, {.nativeSQL = true});

  MultiListQuerySpec single = QuerySpecBuilder::SetQuery(MultiListQuerySpec::kIntersect, true, {&a});
  EXPECT_EQ(MetadataUtil::ToSQLStatement(single, nullptr, {.nativeSQL = true}), ta);

  struct Row {
    int op;
    bool bAll;
    const char32_t* sep;
  };
  const Row rows[] = {{0, false, U"\nUNION\n"},
                      {0, true, U"\nUNION ALL\n"},
                      {1, false, U"\nINTERSECT\n"},
                      {2, true, U"\nEXCEPT ALL\n"},
                      {7, false, U"\nEXCEPT\n"}};
  for (const Row& row : rows) {
    MultiListQuerySpec u = QuerySpecBuilder::SetQuery(static_cast<MultiListQuerySpec::CombineQueryOperation>(row.op),
                                                      row.bAll, {&a, &b, &a});
    const AbstractListQuerySpec& abstract = u;
    EXPECT_EQ(MetadataUtil::ToSQLStatement(abstract, nullptr, {.nativeSQL = true}), ta + row.sep + tb + row.sep + ta);
  }
  MultiListQuerySpec sorted = QuerySpecBuilder::SetQuery(
      MultiListQuerySpec::kUnion, false, {&a, &b},
      {SortSpec{SortSpec::kDescending, Parse(U"1")}, SortSpec{SortSpec::kDontCare, Parse(U"2")}});
  EXPECT_EQ(MetadataUtil::ToSQLStatement(sorted, nullptr, {.nativeSQL = true}),
            ta + U"\nUNION\n" + tb + U"\norder by 1 desc, 2 ");
}

TEST_F(QueryText, EnumerationsOutsideTheirCasesAreLogicErrors) {
  auto expectLogicError = [](auto&& render, const char* what) {
    const auto e = testutil::Caught<VXAssertException>(render, what);
    EXPECT_TRUE(e && e->IsLogicError() && e->GetFile() == "server/Metadata/Src/SMUtil.cpp") << what;
  };
  ListQuerySpec badBreak = QuerySpecBuilder().Break(static_cast<BreakSpec::LevelType>(3), 0, U"x").Build();
  expectLogicError([&] { MetadataUtil::ToSQLStatement(badBreak, nullptr, {}); }, "break");
  expectLogicError([&] { MetadataUtil::ToString(badBreak, nullptr, false); }, "break (diagnostic)");
  ListQuerySpec badSort = QuerySpecBuilder().OrderBy(Parse(U"1"), static_cast<SortSpec::SortDirection>(-1)).Build();
  expectLogicError([&] { MetadataUtil::ToSQLStatement(badSort, nullptr, {.nativeSQL = true}); }, "sort");
  ListQuerySpec badJoin =
      QuerySpecBuilder()
          .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(VoidID(3001, 1)),
                                       QuerySpecBuilder::Table(VoidID(3001, 2)), static_cast<SqlTableRef::JoinType>(6)))
          .Build();
  expectLogicError([&] { MetadataUtil::ToSQLStatement(badJoin, nullptr, {.nativeSQL = true}); }, "join");
  ListQuerySpec badKind;
  badKind.m_queryType = static_cast<AbstractListQuerySpec::QuerySpecType>(2);
  const AbstractListQuerySpec& abstract = badKind;
  expectLogicError([&] { MetadataUtil::ToSQLStatement(abstract, nullptr, {.nativeSQL = true}); }, "kind");
}

TEST_F(QueryText, DiagnosticForm) {
  const Expr amount = Id(r.ordAmount);
  const Expr filter = Parse(U"Greater(1,0)");
  const ListQuerySpec q = QuerySpecBuilder()
                              .Distinct()
                              .Select(U"Amount", amount)
                              .Select(U"One", Parse(U"1"))
                              .Break(BreakSpec::kAssociated, 2, U"One")
                              .From(r.orders)
                              .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(r.customers),
                                                           QuerySpecBuilder::Table(r.lines), SqlTableRef::kInnerJoin))
                              .JoinNode(r.orders, {DirectedLink(r.fk, r.customers)})
                              .JoinNode(r.customers)
                              .Where(filter)
                              .Having(filter)
                              .OrderBy(amount, SortSpec::kAscending)
                              .Build();
  const VXString expected = U"select distinct " + IdText(r.ordAmount) + U" " + kOrdersAmountFQ +
                            U" as \"Amount\", 1 1 as \"One\"\nBreak spec: 2 kAssociated One\nfrom \n\tOrders, \n\t"
                            U"( Customers inner join Lines )\"Cat\".\"Sch\".\"Orders\",\n\"Cat\".\"Sch\".\"Customers\""
                            U"\nwhere 1 > 0\nhaving 1 > 0\norder by " +
                            kOrdersAmountFQ + U" asc";
  EXPECT_EQ(MetadataUtil::ToString(q, rp, true), expected);
  EXPECT_EQ(MetadataUtil::ToString(ListQuerySpec(), rp, false), U"select \nBreak spec: \n");
}

// ---- join descriptions: join-graph tables, fully qualified table names, link
// conditions and the complex join between two tables.

TEST_F(QueryJoinText, FullyQualifiedTableNameByContainer) {
  struct Row {
    VoidID id;
    const char32_t* expected;
  };
  const Row rows[] = {
      {r.customers, U"\"Cat\".\"Sch\".\"Customers\""},  // schema under a catalog
      {r.lines, U"\"Cat\".\"Lines\""},                  // directly under a catalog
      {r.solo, U"\"S2\".\"Solo\""},                     // schema under the database
      {r.top, U"\"Top\""},                              // directly under the database
      {r.pk, U"\"PK\""},                                // not a table: its name alone
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MetadataUtil::GetFullyQualifiedTableName(r.rp.GetObject(row.id)), row.expected);
  }
}

TEST_F(QueryJoinText, GraphTablesSeparatorsAndMissingNodes) {
  JoinGraph one;
  one.AddNode(r.orders);
  EXPECT_EQ(MetadataUtil::ToString(one, rp, false, true), U"Orders");

  JoinGraph three;
  three.AddNode(r.orders);
  three.AddNode(VoidID(3001, 999));
  three.AddNode(r.lines);
  EXPECT_EQ(MetadataUtil::ToString(three, rp, false, true), U"Orders,\n\t\tMissing RP object,\n\t\tLines");
  EXPECT_EQ(MetadataUtil::ToString(three, rp, true, false),
            U"\"Cat\".\"Sch\".\"Orders\",\nMissing RP object,\n\"Cat\".\"Lines\"");
  EXPECT_EQ(MetadataUtil::ToString(JoinGraph(), rp, true, true), U"");
}

// A foreign key pairs key columns with its columns by name, ignoring case, in
// key order, key side left, tables always fully qualified; a complex join is
// its expression behind one blank. The text is appended to the caller's.
TEST_F(QueryJoinText, LinkConditions) {
  struct Row {
    VoidID id;
    bool bFullyQualified;
    ARpGateway* gateway;
    VXString expected;
  };
  const Row rows[] = {
      {r.fk, false, rp, kFkText},
      {r.fkFirstMatch, false, rp, U" \"Cat\".\"Sch\".\"Customers\".\"ID\"=\"Cat\".\"Lines\".\"ID\""},
      {r.fkNoMatch, true, rp, U""},
      {r.cj, false, rp, kCjText},
      {r.cj, true, rp, U" \"DB\".\"Cat\".\"Sch\".\"Orders\".\"id\" = \"DB\".\"Cat\".\"\".\"Lines\".\"ID\""},
      {r.orders, true, rp, U""},          // a table
      {VoidID(3006, 77), true, rp, U""},  // gone
      {r.fk, true, nullptr, U""},         // no repository
  };
  for (const Row& row : rows) {
    VXString out = U"x";
    MetadataUtil::ChangeForeignKeyOrJoinIDToString(row.id, out, row.gateway, row.bFullyQualified);
    EXPECT_EQ(out, U"x" + row.expected) << ToNarrow(row.id.ToString());
  }
}

TEST_F(QueryJoinText, ComplexJoinBetweenTables) {
  auto get = [&](VoidID id) { return r.rp.GetObject(id); };
  EXPECT_EQ(MetadataUtil::FindComplexJoinBetweenTables(get(r.orders), get(r.lines)).GetID(), r.cj);
  // Either side order finds it: the relation is tested from the left table's view.
  EXPECT_EQ(MetadataUtil::FindComplexJoinBetweenTables(get(r.lines), get(r.orders)).GetID(), r.cj);
  Ref<ARpObject> none = MetadataUtil::FindComplexJoinBetweenTables(get(r.orders), get(r.customers));
  EXPECT_TRUE(none.IsNull());
  EXPECT_EQ(none.GetID(), VoidID::NullID);
  EXPECT_EQ(none.GetGateway(), nullptr);
  EXPECT_TRUE(MetadataUtil::FindComplexJoinBetweenTables(get(r.pk), get(r.lines)).IsNull());
}

// ---- subqueries inside expressions and derived tables, nested both ways; the
// stack guard and the cancellation point on the way down.

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

TEST_F(QueryNesting, SubqueryTokenIsWrittenAsNativeSQLWithTabs) {
  const ListQuerySpec inner =
      QuerySpecBuilder().Select(U"id", ExprBuilder().ID(r.ordID).Build()).From(r.orders).Build();
  const ListQuerySpec outer = QuerySpecBuilder().Select(U"c", Parse(U"1")).Where(ExistsOf(inner)).Build();
  for (bool bFQ : {false, true}) {
    const VXString column = bFQ ? U"\"DB\".\"Cat\".\"Sch\".\"Orders\".\"id\"" : U"\"Orders\".\"id\"";
    const VXString innerText =
        MetadataUtil::ToSQLStatement(inner, rp, {.fullyQualified = bFQ, .tabs = true, .nativeSQL = true});
    EXPECT_EQ(innerText, T + U"SELECT \n" + T + column + U" as id" + T + U"\n" + T + U"FROM \nOrders\n");
    // Whatever mode the outer statement is in, the subquery is native with tabs.
    const VXString outerText =
        MetadataUtil::ToSQLStatement(outer, rp, {.fullyQualified = bFQ, .shortExternalMode = true});
    const std::size_t where = outerText.find(U"WHERE\n");
    ASSERT_NE(where, VXString::npos);
    EXPECT_NE(outerText.find(innerText, where), VXString::npos) << ToNarrow(outerText);
  }
}

TEST_F(QueryNesting, BothWays) {
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
  EXPECT_EQ(t1, T + U"SELECT \n" + T + U"1 as a" + T + U"\n" + T + U"FROM \nLines\n");
  // EXISTS and the subquery as native SQL with tabs, nothing around it.
  const VXString exists1 = U" EXISTS " + t1;
  EXPECT_EQ(t2, T + U"SELECT \n" + T + U"2 as b" + T + U"\n" + T + U"FROM \n" + t1 + U"\n" + T + U"WHERE\n" + T +
                    exists1 + U"\n");
  const VXString t3 = MetadataUtil::ToSQLStatement(q3, rp, {.nativeSQL = true});
  EXPECT_EQ(t3, U"SELECT \n3 as c\nFROM \n" + t2 + U"\nWHERE\n EXISTS " + t2 + U"\n");
}

TEST_F(QueryNesting, CorruptSubqueryBytesFailClearly) {
  const Expr bad = ExprBuilder().Op(kExists).Subquery(ByteVector{'Q', 'S', 1, 0, 0xff}).End().Build();
  const ListQuerySpec q = QuerySpecBuilder().Where(bad).Build();
  EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}), BlobDecodeError);
}

// Derived tables nested in derived tables, and filters whose subquery bytes
// hold the previous level: nothing bounds the depth but the stack.
TEST_F(QueryNesting, DeepNestingStopsAtTheStackGuard) {
  StackLimit limit(256 * 1024);
  const auto leaf = [] { return QuerySpecBuilder().Select(U"x", Parse(U"1")).Build(); };
  ListQuerySpec derived = leaf(), shallow = leaf(), tokens = leaf();
  for (int i = 0; i < 5000; ++i) derived = Wrap(std::move(derived));
  EXPECT_THROW(MetadataUtil::ToSQLStatement(derived, nullptr, {.nativeSQL = true}), VXStackOverflowException);
  EXPECT_THROW(MetadataUtil::ToString(derived, nullptr, false), VXStackOverflowException);
  for (int i = 0; i < 1500; ++i) tokens = QuerySpecBuilder().Where(ExistsOf(tokens)).Build();
  EXPECT_THROW(MetadataUtil::ToSQLStatement(tokens, nullptr, {.nativeSQL = true}), VXStackOverflowException);
  // A shallow one still renders under the same limit.
  for (int i = 0; i < 20; ++i) shallow = Wrap(std::move(shallow));
  EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(shallow, nullptr, {.nativeSQL = true}));
}

// The job is cancelled before the statement, or while the outer statement
// is being written: then the nested statement's entry notices.
std::shared_ptr<VXJobCancellation> g_jobToCancel;
ToPrettyStringVisitor::SubqueryWriter g_realWriter = nullptr;
VXString CancellingWriter(const ByteVector& bytes, ARpGateway* pRp, bool bFullyQualified) {
  g_jobToCancel->Cancel();
  return g_realWriter(bytes, pRp, bFullyQualified);
}

TEST_F(QueryNesting, CancellationStopsRenderingAndReachesNestedStatements) {
  const ListQuerySpec inner = QuerySpecBuilder().Select(U"x", Parse(U"1")).Build();
  const ListQuerySpec q = QuerySpecBuilder().Select(U"y", Parse(U"2")).Where(ExistsOf(inner)).Build();
  {
    auto job = std::make_shared<VXJobCancellation>();
    VXThreadJobMgr::ScopedJob bind(job);
    EXPECT_NO_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}));
    job->Cancel();
    EXPECT_THROW(MetadataUtil::ToSQLStatement(q, nullptr, {}), VXJobCancelledException);
    EXPECT_THROW(MetadataUtil::ToSQLStatement(JoinGraph(), nullptr, {}), VXJobCancelledException);
  }
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
