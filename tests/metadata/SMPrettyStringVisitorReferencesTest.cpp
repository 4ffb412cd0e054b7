// Object references in each naming mode, identifier quoting, literals and the
// visitor frame (entry points, state, hostile input).
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>

#include "Expr/ExprBuilder.h"
#include "SMPrettyStringVisitorTestUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"
#include "objectmodel/ObjectModel.h"

using pretty_test::Parse;
using pretty_test::Render;
using pretty_test::Show;
using PSV = ToPrettyStringVisitor;

namespace {

struct Repo {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID db, orders, amount, bm, lt, revenue, oddName, dynVar, staticVar;

  Repo() {
    db = b.Add(kTIDADatabase, U"Sales DB");
    orders = b.At(db).Child(kTIDATable, U"Orders");
    amount = b.At(orders).Child(kTIDAColumn, U"Amount");
    bm = b.Add(kTIDASubjectArea, U"Retail");
    lt = b.At(bm).Child(kTIDALogicalTable, U"Fact");
    revenue = b.At(lt).Child(kTIDAAttribute, U"Revenue");
    oddName = b.At(lt).Child(kTIDAAttribute, U"Unit \"Price\"");
    dynVar = b.Add(kTIDARpVariable, U"CurDay").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kDynamic});
    staticVar = b.Add(kTIDARpVariable, U"Max Year").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kStatic});
  }

  // Add(ref, 1): a reference inside an operator, as expressions hold them.
  static Expr Ref1(const VoidID& id) { return ExprBuilder().Op(kAdd).ID(id).Int(1).End().Build(); }
  static Expr Just(const VoidID& id) { return ExprBuilder().ID(id).Build(); }

  VXString Plain(const Expr& e) { return PSV::SimpleStringFrom(e, &rp); }
  VXString Mode(const Expr& e, bool q, bool fq, bool single, bool byId) {
    return PSV::StringFrom(
        e, &rp,
        PSV::Options{.mandatoryDoubleQuotes = q, .fullyQualified = fq, .singlePartName = single, .usingVoidID = byId});
  }
};

VXString Deleted() { return SUStrUtil::LoadMsgStringOnly(29005); }

// A million levels of NOT around 1: more than any stack holds.
Expr HostileChain() {
  ExprBuilder b;
  for (int i = 0; i < 1000000; ++i) b.Op(kNegation);
  b.Int(1);
  for (int i = 0; i < 1000000; ++i) b.End();
  return b.Build();
}
class PrettyReferences : public ::testing::Test {
 protected:
  Repo r;
};
using PrettyFrame = PrettyReferences;

}  // namespace

// ---- identifier quoting ---------------------------------------------------------

TEST(PrettyNames, ModifyName) {
  struct Case {
    const char32_t* name;
    bool mandatory;
    const char32_t* expected;
  };
  static const Case kCases[] = {
      {U"Revenue", false, U"Revenue"},
      {U"Revenue_2024", false, U"Revenue_2024"},
      {U"Revenue", true, U"\"Revenue\""},
      {U"2024Revenue", false, U"\"2024Revenue\""},
      {U"_Revenue", false, U"\"_Revenue\""},
      {U"Unit Price", false, U"\"Unit Price\""},
      {U"Unit-Price", false, U"\"Unit-Price\""},
      {U"select", false, U"\"select\""},
      {U"SELECT", false, U"\"SELECT\""},
      {U"Unit \"Price\"", false, U"\"Unit \"\"Price\"\"\""},
      {U"\"", true, U"\"\"\"\""},
      {U"", false, U"\"\""},
      {U"", true, U"\"\""},
      {U"Caf\u00e9", false, U"Caf\u00e9"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(PSV::ModifyName(c.name, c.mandatory), c.expected) << ToNarrow(c.name) << " mandatory=" << c.mandatory;
  }
}

TEST(PrettyNames, SymbolsAndQualifiedSymbols) {
  EXPECT_EQ(Render(U"S'Revenue'"), U"Revenue");
  EXPECT_EQ(Render(U"S'from'"), U"\"from\"");
  EXPECT_EQ(Render(U"S'a\"b'"), U"\"a\"\"b\"");
  Expr e = Parse(U"S'Revenue'");
  EXPECT_EQ(PSV::StringFrom(e, nullptr, PSV::Options{.mandatoryDoubleQuotes = true}), U"\"Revenue\"");
  // One part is written as it stands, even when it would need quotes.
  EXPECT_EQ(Render(U"Q['Unit Price']"), U"Unit Price");
  // Several parts are each quoted as they are, inner quotes not doubled.
  EXPECT_EQ(Render(U"Q['Sales','Unit Price']"), U"\"Sales\".\"Unit Price\"");
  EXPECT_EQ(Render(U"Q['A\"B','C']"), U"\"A\"B\".\"C\"");
  EXPECT_EQ(Render(U"Q[]"), U"");
}

// ---- literals -------------------------------------------------------------------------

TEST(PrettyLiterals, NumbersDatesAndTimes) {
  static const pretty_test::Row kRows[] = {
      {U"-5", U"-5"},
      {U"2147483647", U"2147483647"},
      {U"Z'-12.50E+3'", U"-12.50E+3"},
      {U"D'2024-02-29'", U" DATE '2024-02-29'"},
      {U"T'12:30:05.5'", U" TIME '12:30:05'"},
      {U"TS'2024-02-29 12:30:05.5'", U" TIMESTAMP '2024-02-29 12:30:05'"},
      {U"Add(D'2024-01-01',1)", U" DATE '2024-01-01' + 1"},
  };
  pretty_test::CheckRows(kRows);
  // Floats carry the approximate-number suffix, except where a value is
  // substituted into text.
  Expr f = Parse(U"2.5");
  EXPECT_EQ(PSV::SimpleStringFrom(f, nullptr), U"2.5E0");
  EXPECT_EQ(PSV::StringFromWithoutSingleQuote(f, nullptr), U"2.5");
}

TEST(PrettyLiterals, StringQuoting) {
  EXPECT_EQ(Render(U"'abc'"), U"'abc'");
  EXPECT_EQ(Render(U"'it''s'"), U"'it''s'");
  EXPECT_EQ(Render(U"''"), U"''");
  EXPECT_EQ(Render(U"Concat('a''b','\"c\"')"), U" CONCAT('a''b', '\"c\"')");
  Expr e = Parse(U"Concat('it''s',S'x')");
  EXPECT_EQ(PSV::StringFromWithoutSingleQuote(e, nullptr), U" CONCAT(it's, \"x\")");
  // The literal ends at a NUL; unquoted, the value is written whole.
  Expr nul = ExprBuilder().String(VXString(U"ab\0cd", 5)).Build();
  EXPECT_EQ(PSV::SimpleStringFrom(nul, nullptr), U"'ab'");
  EXPECT_EQ(PSV::StringFromWithoutSingleQuote(nul, nullptr), VXString(U"ab\0cd", 5));
}

namespace {
VXString FakeQueryText(const ByteVector& bytes, ARpGateway*, bool bFullyQualified) {
  return U"(SELECT " + BaseStringUtil::StringFrom(static_cast<unsigned>(bytes.size())) +
         (bFullyQualified ? U" FQ)" : U")");
}
}  // namespace

TEST(PrettyLiterals, SubqueryGoesThroughTheQueryTextWriter) {
  Expr e = Parse(U"Exists(SQ'0102')");
  PSV::SubqueryWriter before = PSV::SetSubqueryWriter(nullptr);
  EXPECT_THROW(PSV::SimpleStringFrom(e, nullptr), VXAssertException);
  PSV::SetSubqueryWriter(&FakeQueryText);
  EXPECT_EQ(PSV::SimpleStringFrom(e, nullptr), U" EXISTS (SELECT 2)");
  EXPECT_EQ(PSV::StringFrom(e, nullptr, PSV::Options{.mandatoryDoubleQuotes = true, .fullyQualified = true}),
            U" EXISTS (SELECT 2 FQ)");
  PSV::SetSubqueryWriter(before);
}

// ---- references by naming mode -------------------------------------------------------------

TEST_F(PrettyReferences, EveryNamingMode) {
  // The plain mode writes the last two parts.
  EXPECT_EQ(r.Plain(Repo::Ref1(r.revenue)), U"Fact.Revenue + 1");
  EXPECT_EQ(r.Plain(Repo::Just(r.amount)), U"Orders.Amount");
  EXPECT_EQ(r.Plain(Repo::Just(r.oddName)), U"Fact.\"Unit \"\"Price\"\"\"");
  // A top-level object has one part only.
  EXPECT_EQ(r.Plain(Repo::Just(r.bm)), U"Retail");
  const Expr col = Repo::Just(r.revenue);
  const Expr phys = Repo::Just(r.amount);
  EXPECT_EQ(r.Mode(col, true, true, false, false), U"\"Retail\".\"Fact\".\"Revenue\"");
  EXPECT_EQ(r.Mode(col, false, true, false, false), U"Retail.Fact.Revenue");
  // The physical name has the empty catalog and schema levels.
  EXPECT_EQ(r.Mode(phys, true, true, false, false), U"\"Sales DB\".\"\".\"\".\"Orders\".\"Amount\"");
  EXPECT_EQ(r.Mode(phys, false, true, false, false), U"\"Sales DB\".\"\".\"\".Orders.Amount");
  EXPECT_EQ(r.Mode(col, false, false, false, false), U"Fact.Revenue");
  EXPECT_EQ(r.Mode(col, true, false, false, false), U"\"Fact\".\"Revenue\"");
  EXPECT_EQ(r.Mode(col, false, true, true, false), U"Revenue");
  EXPECT_EQ(r.Mode(col, true, false, true, false), U"\"Revenue\"");
  const VXString byId = U"\"" + r.revenue.ToString() + U"\"";
  EXPECT_EQ(r.Mode(col, false, true, true, true), byId);
  EXPECT_EQ(r.Mode(Repo::Ref1(r.revenue), false, false, false, true), byId + U" + 1");
}

TEST_F(PrettyReferences, RepositoryVariables) {
  // A dynamic variable is known by its name alone; a static one by its
  // qualified name; both by id in id mode.
  EXPECT_EQ(r.Mode(Repo::Just(r.dynVar), true, true, false, false), U"\"CurDay\"");
  EXPECT_EQ(r.Plain(Repo::Just(r.dynVar)), U"CurDay");
  EXPECT_EQ(r.Plain(Repo::Just(r.staticVar)), U"\"Max Year\"");
  EXPECT_EQ(r.Mode(Repo::Just(r.dynVar), false, false, false, true), U"\"" + r.dynVar.ToString() + U"\"");
}

TEST_F(PrettyReferences, NoGatewayWritesTheBareId) {
  EXPECT_EQ(PSV::SimpleStringFrom(Repo::Ref1(r.revenue), nullptr), r.revenue.ToString() + U" + 1");
  EXPECT_EQ(Render(U"#2006:17"), U"2006:17");
}

TEST_F(PrettyReferences, DeletedObjectWritesTheMessageAndDropsTheFormatString) {
  Expr e = Repo::Ref1(r.revenue);
  e.SetFormatStr(U"\"" + r.revenue.ToString() + U"\" + 1");
  ASSERT_TRUE(r.rp.DeleteObject(r.revenue));
  EXPECT_EQ(r.Mode(e, true, true, false, false), Deleted() + U" + 1");
  EXPECT_TRUE(e.GetFormatStr().empty());
  EXPECT_FALSE(Deleted().empty());
}

TEST_F(PrettyReferences, IdSubstitutionAndIdToTextReadTheCallersMaps) {
  const Expr e = ExprBuilder().Op(kAdd).ID(r.revenue).ID(r.amount).End().Build();
  VoidIDToVoidIDMap map{{r.revenue, VoidID(2006, 900)}};
  // Mapped ids are written as the quoted new id after a blank; the others
  // follow the remaining rules (plain mode, all flags off).
  EXPECT_EQ(PSV::Expr2StringFromExpr1(e, &r.rp, map), U" \"2006:900\" + Orders.Amount");
  // The map is borrowed: a change before the walk shows in the text.
  ToPrettyStringVisitor visitor(&r.rp, map);
  map[r.amount] = VoidID(3003, 901);
  const_cast<Expr&>(e).Accept(visitor);
  EXPECT_EQ(visitor.GetAccumulatedString(), U" \"2006:900\" +  \"3003:901\"");
  // An empty map is no map.
  const VoidIDToVoidIDMap empty;
  EXPECT_EQ(PSV::Expr2StringFromExpr1(e, &r.rp, empty), U"Fact.Revenue + Orders.Amount");
  // A map from ids to texts puts each text in parentheses.
  const VoidIDVXStringMap texts{{r.revenue, U"x * 2"}};
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, texts), U"(x * 2) + \"Sales DB\".\"\".\"\".Orders.Amount");
}

TEST_F(PrettyReferences, DatabaseRename) {
  const Expr e = ExprBuilder().Op(kAdd).ID(r.amount).ID(r.revenue).End().Build();
  const OldDatabaseNameToNewDatabaseNameMap map{{U"SALES db", U"Stores"}};
  // Inner empty levels are written as nothing between their separators.
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, map, false),
            U"\"Stores\"...\"Orders\".\"Amount\" + \"Retail\".\"Fact\".\"Revenue\"");
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, map, true),
            U"\"" + r.amount.ToString() + U"\" + \"" + r.revenue.ToString() + U"\"");
}

TEST_F(PrettyReferences, EntityFolders) {
  const Expr e = Repo::Just(r.revenue);
  const QualifiedNameIDPairVector pairs{{{U"Sales Area", U"Sales Table"}, r.revenue}};
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, pairs, false), U"\"Sales Table\".\"Revenue\"");
  const QualifiedNameIDPairVector unnamed{{{}, r.revenue}};
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, unnamed, false), U"\"Revenue\"");
  const QualifiedNameIDPairVector other{{{U"Other"}, r.amount}};
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, other, false), U"\"Revenue\"");
  ToPrettyStringVisitor v(&r.rp, pairs, false);
  EXPECT_EQ(v.ExtractNameUsingEntityFolder(r.revenue), U"\"Sales Table\".\"Revenue\"");
  ASSERT_TRUE(r.rp.DeleteObject(r.revenue));
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, pairs, false), Deleted());
}

TEST_F(PrettyReferences, ReparentingByIdAndCustomNamesOfOtherObjects) {
  const Expr e = Repo::Just(r.revenue);
  // Re-parenting by id writes the id whatever the parents.
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, r.rp.GetObject(r.lt), QualifiedName{U"New BM"}, true),
            U"\"" + r.revenue.ToString() + U"\"");
  // Custom display names concern presentation columns only.
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, PSV::Options{.customDisplayName = true}), U"Fact.Revenue");
}

TEST_F(PrettyReferences, GetVoidIDReadsTheStoredId) {
  Expr e = Repo::Just(r.amount);
  ToPrettyStringVisitor v(&r.rp, false, false, false, false, false);
  AExpr::Iterator it = e.Begin();
  EXPECT_EQ(v.GetVoidID(it), r.amount);
  Expr tiny = Parse(U"1");  // 6 bytes: no room for an id
  AExpr::Iterator t = tiny.Begin();
  EXPECT_THROW(v.GetVoidID(t), VXAssertException);
}

// ---- the frame ----------------------------------------------------------------------------

TEST_F(PrettyFrame, EntryPointsAgree) {
  const Expr e = Parse(U"Add(Multiply(#" + r.revenue.ToString() + U",2),'x')");
  EXPECT_EQ(PSV::SimpleStringFrom(e, &r.rp), PSV::StringFrom(e, &r.rp, PSV::Options{}));
  EXPECT_EQ(PSV::StringFromWithoutSingleQuote(e, &r.rp), U"\"Retail\".\"Fact\".\"Revenue\" * 2 + x");
  EXPECT_TRUE(PSV::AreExprStringsEqual(e, Parse(ToStringVisitor::StringFrom(e)), &r.rp));
  // Texts that differ only in letter case are different texts.
  EXPECT_FALSE(PSV::AreExprStringsEqual(Parse(U"S'abc'"), Parse(U"S'ABC'"), &r.rp));
  // An empty expression renders as nothing.
  EXPECT_EQ(PSV::SimpleStringFrom(Expr(), &r.rp), VXString());
}

namespace {
struct NullifyingVisitor : ToPrettyStringVisitor {
  using ToPrettyStringVisitor::ToPrettyStringVisitor;
  void Nullify() { m_bNullifyExprStr = true; }
  const VXString& Raw() const { return m_cumulativeStr; }
};
}  // namespace

TEST_F(PrettyFrame, NullifiedRenderingIsEmpty) {
  NullifyingVisitor v(nullptr, false, false, false, false, false);
  Expr e = Parse(U"Add(1,2)");
  e.Accept(v);
  EXPECT_EQ(v.GetAccumulatedString(), U"1 + 2");
  v.Nullify();
  EXPECT_TRUE(v.GetAccumulatedString().empty());
  EXPECT_EQ(v.Raw(), U"1 + 2");
}

TEST_F(PrettyFrame, DeepNestingRendersAndHostileNestingEndsInAnError) {
  // A few thousand levels are an ordinary (if silly) expression.
  ExprBuilder deep;
  for (int i = 0; i < 2000; ++i) deep.Op(kUMinus);
  deep.Int(1);
  for (int i = 0; i < 2000; ++i) deep.End();
  const VXString text = PSV::SimpleStringFrom(deep.Build(), nullptr);
  EXPECT_EQ(text.size(), 2000u * 3 + 1);

  // A million levels cannot fit on any stack: a clear error, no crash.
  const Expr chain = HostileChain();
  EXPECT_THROW(PSV::SimpleStringFrom(chain, nullptr), VXStackOverflowException);

  // The same on a thread with a small stack.
  struct Job {
    const Expr* chain;
    bool bThrew = false;
    static void* Run(void* p) {
      Job* job = static_cast<Job*>(p);
      try {
        PSV::SimpleStringFrom(*job->chain, nullptr);
      } catch (const VXStackOverflowException&) {
        job->bThrew = true;
      }
      return nullptr;
    }
  } job{&chain};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 512 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, &Job::Run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_TRUE(job.bThrew);
}

TEST_F(PrettyReferences, ManyObjectsReferencedRepeatedly) {
  // Enough distinct objects to make the per-rendering name table grow
  // several times; every reference must still get its own object's name.
  ARpGateway rp;
  RpBuilder b(rp);
  auto t = b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"T");
  VoidIDVector cols;
  for (int i = 0; i < 300; ++i) cols.push_back(t.Child(kTIDAAttribute, U"C" + ToVXString(std::to_string(i))));
  // Every column twice, in two rounds.
  ExprBuilder eb;
  eb.Op(kCoalesce);
  VXString expected = U" COALESCE(";
  for (int k = 0; k < 600; ++k) {
    eb.ID(cols[k % 300]);
    expected += (k ? U", T.C" : U"T.C") + ToVXString(std::to_string(k % 300));
  }
  eb.End();
  EXPECT_EQ(PSV::SimpleStringFrom(eb.Build(), &rp), expected + U")");
}

TEST_F(PrettyReferences, NamesRepeatedInsideAndAroundOperandsWrittenApart) {
  // BIN writes its BY and WHERE operands into texts of their own before it
  // assembles them: a name first met in the main text and repeated inside,
  // and one first met inside and repeated outside, keep their spelling.
  const VXString rev = U"#" + r.revenue.ToString();
  const VXString amt = U"#" + r.amount.ToString();
  const Expr e = Parse(U"Coalesce(" + rev + U",Bin(" + rev + U"," + amt + U",Greater(" + amt + U"," + rev +
                       U"),0,0,ResultNull(),0)," + amt + U"," + rev + U"," + amt + U")");
  EXPECT_EQ(r.Plain(e),
            U" COALESCE(Fact.Revenue,  ATTRIBUTE(Fact.Revenue by Orders.Amount where "
            U"Orders.Amount > Fact.Revenue), Orders.Amount, Fact.Revenue, Orders.Amount)");
  EXPECT_EQ(r.Mode(e, true, true, false, false),
            U" COALESCE(\"Retail\".\"Fact\".\"Revenue\",  ATTRIBUTE(\"Retail\".\"Fact\".\"Revenue\" by "
            U"\"Sales DB\".\"\".\"\".\"Orders\".\"Amount\" where \"Sales DB\".\"\".\"\".\"Orders\".\"Amount\" > "
            U"\"Retail\".\"Fact\".\"Revenue\"), \"Sales DB\".\"\".\"\".\"Orders\".\"Amount\", "
            U"\"Retail\".\"Fact\".\"Revenue\", \"Sales DB\".\"\".\"\".\"Orders\".\"Amount\")");
}

TEST_F(PrettyReferences, NameStorageReusedBetweenRenderingsKeepsNoStaleName) {
  // Two repositories whose objects carry the same ids under other names:
  // each rendering, and a rendering started while another is under way on
  // the same thread, must name the objects of its own repository.
  Repo first;
  ARpGateway other;
  RpBuilder ob(other);
  auto t = ob.Add(kTIDASubjectArea, U"Other").Child(kTIDALogicalTable, U"T");
  VoidID otherRevenue;
  int n = 0;
  for (; n < 16 && otherRevenue != first.revenue; ++n) {
    otherRevenue = t.Child(kTIDAAttribute, U"A" + ToVXString(std::to_string(n)));
  }
  ASSERT_EQ(otherRevenue, first.revenue) << "ids are expected to be handed out in the same order";
  const VXString otherName = U"T.A" + ToVXString(std::to_string(n - 1)) + U" + 1";
  const Expr e = Repo::Ref1(first.revenue);
  EXPECT_EQ(first.Plain(e), U"Fact.Revenue + 1");
  EXPECT_EQ(PSV::SimpleStringFrom(e, &other), otherName);

  ToPrettyStringVisitor outer(&first.rp, false, false, false, false, false);
  Expr outerExpr = ExprBuilder().Op(kAdd).ID(first.revenue).ID(first.revenue).End().Build();
  outerExpr.Accept(outer);
  EXPECT_EQ(PSV::SimpleStringFrom(e, &other), otherName);
  Expr again = ExprBuilder().Op(kSubtract).ID(first.revenue).Int(2).End().Build();
  again.Accept(outer);
  EXPECT_EQ(outer.GetAccumulatedString(), U"Fact.Revenue + Fact.RevenueFact.Revenue - 2");
}

TEST_F(PrettyReferences, NamesLongerThanAStorageBlock) {
  ARpGateway rp;
  RpBuilder b(rp);
  const VXString longName(20000, U'x');
  auto t = b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, longName);
  const VoidID a = t.Child(kTIDAAttribute, U"A");
  const VoidID c = t.Child(kTIDAAttribute, VXString(9000, U'"'));
  const Expr e = ExprBuilder().Op(kAdd).ID(a).Op(kAdd).ID(c).ID(a).End().End().Build();
  const VXString quotes(18000, U'"');
  const VXString ta = longName + U".A";
  const VXString tc = longName + U".\"" + quotes + U"\"";
  // Compared as a whole, but only the sizes and the first difference are
  // worth printing.
  const VXString text = PSV::SimpleStringFrom(e, &rp);
  const VXString expected = ta + U" + " + tc + U" + " + ta;
  ASSERT_EQ(text.size(), expected.size());
  const auto diff = std::mismatch(text.begin(), text.end(), expected.begin());
  EXPECT_EQ(diff.first - text.begin(), static_cast<std::ptrdiff_t>(text.size()));
}

TEST_F(PrettyReferences, NamesKeptBetweenRenderingsFollowEveryChange) {
  // Each kind of change to the repository must show in the next rendering,
  // also for a visitor that walks again after the change: no name outlives
  // the walk that generated it.
  const Expr e = Repo::Ref1(r.revenue);
  const auto fq = [&] { return r.Mode(e, true, true, false, false); };
  EXPECT_EQ(fq(), U"\"Retail\".\"Fact\".\"Revenue\" + 1");
  EXPECT_EQ(fq(), U"\"Retail\".\"Fact\".\"Revenue\" + 1");
  // Another mode right after keeps to its own spelling.
  EXPECT_EQ(r.Plain(e), U"Fact.Revenue + 1");
  ASSERT_TRUE(r.rp.RenameObject(r.lt, U"Sales Fact"));
  EXPECT_EQ(fq(), U"\"Retail\".\"Sales Fact\".\"Revenue\" + 1");
  const VoidID other = r.b.Add(kTIDASubjectArea, U"Other").Child(kTIDALogicalTable, U"T");
  r.rp.SetObjectParent(r.rp.GetObject(r.revenue).Get(), r.rp.GetObject(other).Get());
  EXPECT_EQ(fq(), U"\"Other\".\"T\".\"Revenue\" + 1");

  ToPrettyStringVisitor visitor(&r.rp, false, false, false, false, false);
  Expr first = Repo::Just(r.revenue);
  first.Accept(visitor);
  ASSERT_TRUE(r.rp.RenameObject(r.revenue, U"Net"));
  Expr second = Repo::Just(r.revenue);
  second.Accept(visitor);
  EXPECT_EQ(visitor.GetAccumulatedString(), U"T.RevenueT.Net");

  ASSERT_TRUE(r.rp.DeleteObject(r.revenue));
  EXPECT_EQ(fq(), Deleted() + U" + 1");
}

TEST_F(PrettyReferences, AppendToWritesAfterTheCallersTextAndLeavesItOnFailure) {
  PSV::Options fq;
  fq.mandatoryDoubleQuotes = true;
  fq.fullyQualified = true;
  VXString out = U"x = ";
  PSV::AppendTo(out, Repo::Ref1(r.revenue), &r.rp, fq);
  EXPECT_EQ(out, U"x = \"Retail\".\"Fact\".\"Revenue\" + 1");
  // The same object twice in one buffer, each rendering naming it afresh.
  ASSERT_TRUE(r.rp.RenameObject(r.revenue, U"Net"));
  PSV::AppendTo(out, Repo::Just(r.revenue), &r.rp, fq);
  EXPECT_EQ(out, U"x = \"Retail\".\"Fact\".\"Revenue\" + 1\"Retail\".\"Fact\".\"Net\"");

  // A rendering that fails adds nothing, not even the text before the failure.
  const VXString before = out;
  const Expr failing = ExprBuilder().Op(kAdd).ID(r.revenue).Append(HostileChain()).End().Build();
  EXPECT_THROW(PSV::AppendTo(out, failing, &r.rp, fq), VXStackOverflowException);
  EXPECT_EQ(out, before);

  // A reference to a deleted object appends the deleted-object message.
  ASSERT_TRUE(r.rp.DeleteObject(r.revenue));
  VXString tail = U"[";
  PSV::AppendTo(tail, Repo::Just(r.revenue), &r.rp, fq);
  EXPECT_EQ(tail, U"[" + Deleted());
}

TEST_F(PrettyReferences, ANameCopiedFromItsLatestCopyStaysWhole) {
  // Each repeated reference copies the name from the one written before it,
  // in a buffer that starts with the caller's text, and with other names and
  // a differently long name in between.
  const VXString rev = U"#" + r.revenue.ToString(), amt = U"#" + r.amount.ToString();
  const VXString odd = U"#" + r.oddName.ToString();
  const Expr e =
      Parse(U"Coalesce(" + rev + U"," + amt + U"," + rev + U"," + rev + U"," + odd + U"," + amt + U"," + rev + U")");
  VXString out = U"y: ";
  PSV::AppendTo(out, e, &r.rp, PSV::Options{});
  EXPECT_EQ(out,
            U"y:  COALESCE(Fact.Revenue, Orders.Amount, Fact.Revenue, Fact.Revenue, "
            U"Fact.\"Unit \"\"Price\"\"\", Orders.Amount, Fact.Revenue)");
}
