// Byte form of list query specs: round trips, and hostile bytes.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Expr/ExprBuilder.h"
#include "Expr/OpCode.h"
#include "ListQuerySpec/QuerySpecBuilder.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"

namespace {

Expr Col(std::uint32_t n) { return ExprBuilder().ID(VoidID(3001, n)).Build(); }
Expr Eq(std::uint32_t col, std::int32_t v) {
  return ExprBuilder().Op(kEqual).ID(VoidID(3001, col)).Int(v).End().Build();
}

ListQuerySpec SmallQuery(std::uint32_t table) {
  return QuerySpecBuilder().Select(U"c", Col(table)).From(VoidID(3003, table)).Build();
}

// A query spec that uses every field and every table kind.
ListQuerySpec RichQuery() {
  Expr formatted = Col(7);
  formatted.SetFormatStr(U"\"Sales\".\"Amount\"");
  SelectionSpec sel{
      U"Top", {U"Region", U"Revenue"}, {IncludeSpec{{Col(1), Col(2)}, Eq(1, 5)}, IncludeSpec{{Col(3)}, {}}}};
  const ListQuerySpec s1 = SmallQuery(1), s2 = SmallQuery(2);
  auto setOperand = std::make_unique<MultiListQuerySpec>(QuerySpecBuilder::SetQuery(
      MultiListQuerySpec::kExcept, true, {&s1, &s2}, {SortSpec{SortSpec::kDescending, Col(1)}}));
  ListQuerySpec q = QuerySpecBuilder()
                        .Select(U"Region", Col(1))
                        .Select(U"Revenue \u00e9", formatted)
                        .Break(BreakSpec::kAssociated, -3, U"Region")
                        .Break(BreakSpec::kBody, 2, U"Revenue \u00e9")
                        .OrderBy(Col(1), SortSpec::kDontCare)
                        .Where(Eq(1, 2024))
                        .Having(Eq(7, 0))
                        .Distinct()
                        .Unsuppressed()
                        .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(VoidID(3003, 1)),
                                                     QuerySpecBuilder::Derived(SmallQuery(9)),
                                                     SqlTableRef::kFullOuterStitchJoin, Eq(2, 1)))
                        .From(QuerySpecBuilder::Derived(*setOperand))
                        .From(SqlTableRef(std::make_unique<SqlExternalTable>(QualifiedName{U"XSA", U"ds"})))
                        .From(SqlTableRef(std::make_unique<SqlEvaluateTableScriptObject>(Eq(4, 4))))
                        .From(SqlTableRef(std::make_unique<SqlNullTable>()))
                        .JoinNode(VoidID(3003, 1), {DirectedLink(VoidID(3006, 5), VoidID(3003, 2))})
                        .JoinNode(VoidID(3003, 2))
                        .CatalogFolder(VoidID(4002, 11))
                        .Selection(sel)
                        .Build();
  return q;
}

TEST(QuerySpecBytes, RichSingleQueryRoundTrips) {
  const ListQuerySpec q = RichQuery();
  const ByteVector bytes = q.ToByteVector();
  std::unique_ptr<AbstractListQuerySpec> back = AbstractListQuerySpec::FromByteVector(bytes);
  ASSERT_EQ(back->m_queryType, AbstractListQuerySpec::kSingleQuery);
  EXPECT_TRUE(back->Equals(q));
  EXPECT_EQ(back->ToByteVector(), bytes);
  const ListQuerySpec& b = back->ToListQuerySpec();
  EXPECT_EQ(b.m_projection.m_edgeExprs[1].m_expr.GetFormatStr(), U"\"Sales\".\"Amount\"");
  EXPECT_EQ(b.m_fromTables[0].GetJoinType(), SqlTableRef::kFullOuterStitchJoin);
  EXPECT_EQ(b.m_fromTables[3].GetLeftTable()->GetTableType(), SqlAbstractTable::kEvaluateTableScriptObject);
}

TEST(QuerySpecBytes, SetQueryRoundTripsAndDiffersWhenChanged) {
  const ListQuerySpec small = SmallQuery(1), rich = RichQuery();
  MultiListQuerySpec u = QuerySpecBuilder::SetQuery(MultiListQuerySpec::kIntersect, false, {&small, &rich});
  const ByteVector bytes = u.ToByteVector();
  auto back = AbstractListQuerySpec::FromByteVector(bytes);
  EXPECT_TRUE(back->Equals(u));
  EXPECT_EQ(back->ToMultiListQuerySpec().GetNumSubqueries(), 2);

  MultiListQuerySpec changed = u;
  changed.SetAll(true);
  EXPECT_FALSE(back->Equals(changed));
  EXPECT_TRUE(changed.Equals(MultiListQuerySpec(changed)));
}

TEST(QuerySpecBytes, EmptyQueryRoundTrips) {
  const ListQuerySpec empty;
  auto back = AbstractListQuerySpec::FromByteVector(empty.ToByteVector());
  EXPECT_TRUE(back->Equals(empty));
}

TEST(QuerySpecBytes, EveryTruncationIsRefusedWithAnOffset) {
  const ByteVector bytes = RichQuery().ToByteVector();
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    try {
      AbstractListQuerySpec::FromByteVector(bytes.data(), bytes.data() + n);
      FAIL() << "a prefix of " << n << " bytes was accepted";
    } catch (const BlobDecodeError& e) {
      EXPECT_LE(e.GetOffset(), n);
    }
  }
}

// Overwrites the 4 bytes at pos with v (big-endian).
void Put32(ByteVector& b, std::size_t pos, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[pos + i] = static_cast<uint8>(v >> (24 - 8 * i));
}

TEST(QuerySpecBytes, CorruptFieldsAreRefusedAtTheirOffset) {
  // Layout of an empty single query: header (3), kind (1), then the counts.
  const ByteVector base = ListQuerySpec().ToByteVector();
  struct Case {
    const char* name;
    std::size_t pos;
    std::uint32_t value;
    bool whole;  // write a 32-bit value, else one byte
    const char* message;
  };
  const Case cases[] = {
      {"magic", 0, 'X', false, "bad magic"},
      {"version", 2, 9, false, "version 9"},
      {"kind", 3, 2, false, "query kind"},
      {"item count", 4, 0x10000000, true, "select item count"},
      {"break count", 8, 100, true, "break spec count"},
      {"distinct flag", 4 + 4 * 3 + 8 * 2 + 4, 7, false, "boolean"},
  };
  for (const Case& c : cases) {
    ByteVector b = base;
    if (c.whole) {
      Put32(b, c.pos, c.value);
    } else {
      b[c.pos] = static_cast<uint8>(c.value);
    }
    const auto e = testutil::Caught<BlobDecodeError>([&] { AbstractListQuerySpec::FromByteVector(b); }, c.name);
    if (!e) continue;
    EXPECT_NE(std::string(e->what()).find(c.message), std::string::npos) << c.name << ": " << e->what();
    EXPECT_EQ(e->GetOffset(), c.pos) << c.name;
  }
}

TEST(QuerySpecBytes, OutOfRangeEnumerationsAreRefused) {
  ListQuerySpec q = QuerySpecBuilder().Break(BreakSpec::kBody, 1, U"x").OrderBy(Col(1), SortSpec::kDontCare).Build();
  // header 3, kind 1, item count 4, break count 4 -> the break type at 12.
  for (const std::uint32_t type : {3u, 0xFFFFFFFFu}) {
    ByteVector b = q.ToByteVector();
    Put32(b, 12, type);
    EXPECT_THROW(AbstractListQuerySpec::FromByteVector(b), BlobDecodeError) << type;
  }
}

TEST(QuerySpecBytes, InvalidExpressionIsRefusedInsideTheBlob) {
  ListQuerySpec q = QuerySpecBuilder().Where(Eq(1, 2)).Build();
  ByteVector b = q.ToByteVector();
  const ByteVector& tokens = q.m_detailFilter.GetTokenBytes();
  // The filter's tokens follow the three empty projection counts: 3 + 1 + 12 + 4.
  const std::size_t at = 3 + 1 + 12 + 4;
  ASSERT_TRUE(std::equal(tokens.begin(), tokens.end(), b.begin() + at));
  b[at] = 0x7f;  // no such token type
  const auto e = testutil::Caught<BlobDecodeError>([&] { AbstractListQuerySpec::FromByteVector(b); });
  ASSERT_TRUE(e);
  EXPECT_GE(e->GetOffset(), at);
  EXPECT_LT(e->GetOffset(), at + tokens.size());
  EXPECT_NE(std::string(e->what()).find("detail filter"), std::string::npos);
}

TEST(QuerySpecBytes, TrailingBytesAreRefused) {
  ByteVector b = SmallQuery(1).ToByteVector();
  b.push_back(0);
  EXPECT_THROW(AbstractListQuerySpec::FromByteVector(b), BlobDecodeError);
}

TEST(QuerySpecBytes, NestingIsBoundedBothWays) {
  // Written in code: one level too deep has no byte form.
  ListQuerySpec q = SmallQuery(1);
  for (std::size_t i = 0; i < AbstractListQuerySpec::kMaxNestingDepth; ++i) {
    q = QuerySpecBuilder().Select(U"c", Col(1)).From(QuerySpecBuilder::Derived(q)).Build();
  }
  EXPECT_THROW(q.ToByteVector(), std::length_error);

  // Crafted bytes: set queries of one operand each, nested far too deep.
  ByteVector b{'Q', 'S', 1};
  const int levels = 100000;
  for (int i = 0; i < levels; ++i) {
    // set query, union, not all, no sorts, one operand
    b.insert(b.end(), {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
  }
  const ByteVector inner = ListQuerySpec().ToByteVector();
  b.insert(b.end(), inner.begin() + 3, inner.end());
  const auto e = testutil::Caught<BlobDecodeError>([&] { AbstractListQuerySpec::FromByteVector(b); });
  ASSERT_TRUE(e);
  EXPECT_NE(std::string(e->what()).find("nests deeper"), std::string::npos);
}

TEST(QuerySpecBytes, JoinShapesAreChecked) {
  // A join whose left side is an atomic table: hand-made from a valid join.
  ListQuerySpec q = QuerySpecBuilder()
                        .From(QuerySpecBuilder::Join(QuerySpecBuilder::Table(VoidID(3003, 1)),
                                                     QuerySpecBuilder::Table(VoidID(3003, 2)), SqlTableRef::kInnerJoin))
                        .Build();
  ByteVector b = q.ToByteVector();
  // Find the join: join type, bool 1, then the left table's type byte (1 = ref).
  const std::size_t from = 3 + 1 + 12 + 8 + 8 + 4 + 2 + 4;
  ASSERT_EQ(b[from + 4], 1);
  ASSERT_EQ(b[from + 5], SqlAbstractTable::kTableRef);
  b[from + 5] = SqlAbstractTable::kAtomicTable;
  EXPECT_THROW(AbstractListQuerySpec::FromByteVector(b), BlobDecodeError);

  // A single table carries no join condition, not even a format string of one.
  ByteVector single = QuerySpecBuilder().From(VoidID(3001, 1)).Build().ToByteVector();
  const std::size_t fmtAt = single.size() - 12 - 4;  // before the catalog id and the selection count
  ASSERT_EQ(single[fmtAt + 3], 0);
  single[fmtAt + 3] = 1;
  single.insert(single.begin() + static_cast<std::ptrdiff_t>(fmtAt + 4), 'x');
  EXPECT_THROW(AbstractListQuerySpec::FromByteVector(single), BlobDecodeError);

  EXPECT_THROW(SqlTableRef(nullptr), std::invalid_argument);
  EXPECT_THROW(SqlTableRef(std::make_unique<SqlTableRef>(QuerySpecBuilder::Table(VoidID(3003, 1))), nullptr,
                           SqlTableRef::kInnerJoin),
               std::invalid_argument);
}

TEST(QuerySpecModel, WrongKindAndBadIndexAreLogicErrors) {
  const ListQuerySpec single;
  EXPECT_THROW(single.ToMultiListQuerySpec(), VXAssertException);
  MultiListQuerySpec set;
  EXPECT_THROW(set.ToListQuerySpec(), VXAssertException);
  EXPECT_THROW(set.GetIthSubquery(0), VXAssertException);
  EXPECT_THROW(set.AddSubquery(nullptr), std::invalid_argument);
}

TEST(QuerySpecModel, CopiesAreDeep) {
  ListQuerySpec q = RichQuery();
  ListQuerySpec copy = q;
  EXPECT_TRUE(copy.Equals(q));
  const auto* derived = static_cast<const SqlDerivedTable*>(q.m_fromTables[1].GetLeftTable());
  const auto* copied = static_cast<const SqlDerivedTable*>(copy.m_fromTables[1].GetLeftTable());
  EXPECT_NE(&derived->GetSubquery(), &copied->GetSubquery());
  copy.m_fromTables.pop_back();
  EXPECT_FALSE(copy.Equals(q));
}

}  // namespace
