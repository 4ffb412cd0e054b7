// Join descriptions: join-graph tables, fully qualified table names, link
// conditions and the complex join between two tables.
#include "SMUtilQueryTestRepo.h"

using namespace query_test;

namespace {

TEST(QueryJoinText, FullyQualifiedTableNameByContainer) {
  Repo r;
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
    EXPECT_EQ(Show(MetadataUtil::GetFullyQualifiedTableName(r.rp.GetObject(row.id))), Show(row.expected));
  }
}

TEST(QueryJoinText, GraphTablesSeparatorsAndMissingNodes) {
  Repo r;
  JoinGraph one;
  one.AddNode(r.orders);
  EXPECT_EQ(Show(MetadataUtil::ToString(one, r.Rp(), false, true)), Show(U"Orders"));

  JoinGraph three;
  three.AddNode(r.orders);
  three.AddNode(VoidID(3001, 999));
  three.AddNode(r.lines);
  EXPECT_EQ(Show(MetadataUtil::ToString(three, r.Rp(), false, true)),
            Show(U"Orders,\n\t\tMissing RP object,\n\t\tLines"));
  EXPECT_EQ(Show(MetadataUtil::ToString(three, r.Rp(), true, false)),
            Show(U"\"Cat\".\"Sch\".\"Orders\",\nMissing RP object,\n\"Cat\".\"Lines\""));
  EXPECT_EQ(MetadataUtil::ToString(JoinGraph(), r.Rp(), true, true), U"");
}

TEST(QueryJoinText, ForeignKeyPairsKeyColumnsByNameIgnoringCase) {
  Repo r;
  VXString out = U"x";
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.fk, out, r.Rp(), false);
  // Key order, key side left, table names always fully qualified.
  EXPECT_EQ(Show(out), Show(U"x \"Cat\".\"Sch\".\"Customers\".\"ID\"=\"Cat\".\"Sch\".\"Orders\".\"id\" AND "
                            U"\"Cat\".\"Sch\".\"Customers\".\"REGION\"=\"Cat\".\"Sch\".\"Orders\".\"region\""));

  out.clear();
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.fkFirstMatch, out, r.Rp(), false);
  EXPECT_EQ(Show(out), Show(U" \"Cat\".\"Sch\".\"Customers\".\"ID\"=\"Cat\".\"Lines\".\"ID\""));

  out.clear();
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.fkNoMatch, out, r.Rp(), true);
  EXPECT_EQ(out, U"");
}

TEST(QueryJoinText, ComplexJoinAndOtherIds) {
  Repo r;
  // The join expression Orders.id = Lines.ID, behind one blank.
  VXString out;
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.cj, out, r.Rp(), false);
  EXPECT_EQ(Show(out), Show(U" \"Orders\".\"id\" = \"Lines\".\"ID\""));
  out.clear();
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.cj, out, r.Rp(), true);
  EXPECT_EQ(Show(out), Show(U" \"DB\".\"Cat\".\"Sch\".\"Orders\".\"id\" = \"DB\".\"Cat\".\"\".\"Lines\".\"ID\""));

  out.clear();
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.orders, out, r.Rp(), true);          // a table
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(VoidID(3006, 77), out, r.Rp(), true);  // gone
  MetadataUtil::ChangeForeignKeyOrJoinIDToString(r.fk, out, nullptr, true);             // no repository
  EXPECT_EQ(out, U"");
}

TEST(QueryJoinText, ComplexJoinBetweenTables) {
  Repo r;
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

}  // namespace
