// Format strings: a user's text stored with ids for names and shown again
// with the current names, through renames and deletes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "Expr/ExprBuilder.h"
#include "SMPrettyStringVisitorTestUtil.h"
#include "Utility/SUStrUtil.h"
#include "common/ScopedEnv.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/Repository.h"

using pretty_test::Show;
using PSV = ToPrettyStringVisitor;

namespace {

struct Repo {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID fact, revenue, revenueTax, cost, db, orders, amount, dynVar;

  Repo() {
    fact = b.Add(kTIDASubjectArea, U"Retail").Child(kTIDALogicalTable, U"Fact");
    revenue = b.At(fact).Child(kTIDAAttribute, U"Revenue");
    revenueTax = b.At(fact).Child(kTIDAAttribute, U"Revenue Tax");
    cost = b.At(fact).Child(kTIDAAttribute, U"Cost");
    db = b.Add(kTIDADatabase, U"DW");
    orders = b.At(db).Child(kTIDATable, U"Orders");
    amount = b.At(orders).Child(kTIDAColumn, U"Amount");
    dynVar = b.Add(kTIDARpVariable, U"CurDay").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kDynamic});
  }
  VXString Q(const VoidID& id) const { return U"\"" + id.ToString() + U"\""; }
  VXString FullyQualified(const Expr& e) { return PSV::GetFormatExpr(e, &rp, true, true, false, false, false); }
};

// Revenue * 2 + Cost
Expr Formula(const Repo& r) {
  return ExprBuilder().Op(kAdd).Op(kMultiply).ID(r.revenue).Int(2).End().ID(r.cost).End().Build();
}

// Installs a validity hook for one test.
struct HookScope {
  explicit HookScope(Repository::IsValidFormatExprFn fn) { Repository::GetIsValidFormatExpr = fn; }
  ~HookScope() { Repository::GetIsValidFormatExpr = nullptr; }
};

int g_lastLayer = -1;
bool RejectMissing(ARpGateway*, const VXString& text, VXString& error, int exprType) {
  g_lastLayer = exprType;
  if (text.find(U"MISSING") == VXString::npos) return true;
  error = U"unknown name";
  return false;
}

}  // namespace

class PrettyFormat : public ::testing::Test {
 protected:
  Repo r;
};

TEST_F(PrettyFormat, WithoutAFormatStringTheRenderingIsShown) {
  Expr e = Formula(r);
  EXPECT_EQ(r.FullyQualified(e), U"\"Retail\".\"Fact\".\"Revenue\" * 2 + \"Retail\".\"Fact\".\"Cost\"");
  EXPECT_EQ(PSV::GetFormatExpr(Expr(), &r.rp, true, true, false, false, false), U"");
  // A text equal to the plain rendering stores nothing.
  PSV::SetFormatExpr(e, &r.rp, U"\"Retail\".\"Fact\".\"Revenue\" * 2 + \"Retail\".\"Fact\".\"Cost\"");
  EXPECT_EQ(e.GetFormatStr(), U"");
}

TEST_F(PrettyFormat, StoredTextSurvivesRenames) {
  Expr e = Formula(r);
  // The user's own layout: a comment, other blanks, the short names.
  PSV::SetFormatExpr(e, &r.rp, U"(Fact.Revenue*2) + Retail.Fact.Cost /* 'Fact.Cost' */");
  EXPECT_EQ(e.GetFormatStr(), U"(" + r.Q(r.revenue) + U"*2) + " + r.Q(r.cost) + U" /* 'Fact.Cost' */");
  ASSERT_TRUE(r.rp.RenameObject(r.revenue, U"Net Revenue"));
  ASSERT_TRUE(r.rp.RenameObject(r.fact, U"Sales"));
  EXPECT_EQ(r.FullyQualified(e),
            U"(\"Retail\".\"Sales\".\"Net Revenue\"*2) + \"Retail\".\"Sales\".\"Cost\" "
            U"/* 'Fact.Cost' */");
  // In the plain mode, with the plain mode's names.
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, false, false, false, false, false),
            U"(Sales.\"Net Revenue\"*2) + Sales.Cost /* 'Fact.Cost' */");
}

TEST_F(PrettyFormat, ADeletedObjectShowsMissingAndTheFormatStringHeals) {
  Expr e = Formula(r);
  PSV::SetFormatExpr(e, &r.rp, U"Fact.Revenue*2 + Fact.Cost");
  const VXString stored = e.GetFormatStr();
  ASSERT_EQ(stored, r.Q(r.revenue) + U"*2 + " + r.Q(r.cost));
  ASSERT_TRUE(r.rp.DeleteObject(r.cost));
  // The id of the deleted column turns into MISSING.
  ToPrettyStringVisitor visitor(&r.rp, true, true, false, false, false);
  EXPECT_EQ(PSV::GetFormatExprHelper(e, &r.rp, visitor, U"default", false),
            U"\"Retail\".\"Fact\".\"Revenue\"*2 + \"MISSING\"");
  EXPECT_EQ(e.GetFormatStr(), stored);
  {
    // The server's check rejects that text: it goes, the rendering stays.
    HookScope hook(&RejectMissing);
    EXPECT_EQ(PSV::GetFormatExprHelper(e, &r.rp, visitor, U"default", false), U"default");
    EXPECT_EQ(e.GetFormatStr(), U"");
    EXPECT_EQ(g_lastLayer, 0);  // a logical column came first
  }
  // Shown through GetFormatExpr, the rendering itself drops the stale text.
  e.SetFormatStr(stored);
  EXPECT_EQ(r.FullyQualified(e), U"\"Retail\".\"Fact\".\"Revenue\" * 2 + " + SUStrUtil::LoadMsgStringOnly(29005));
  EXPECT_EQ(e.GetFormatStr(), U"");
}

TEST_F(PrettyFormat, TheValidityHookSeesTheLayerOfTheFirstPhysicalOrLogicalId) {
  Expr e = ExprBuilder().Op(kAdd).ID(r.dynVar).ID(r.amount).End().Build();
  PSV::SetFormatExpr(e, &r.rp, U"CurDay + DW...Orders.Amount");
  EXPECT_EQ(e.GetFormatStr(), r.Q(r.dynVar) + U" + " + r.Q(r.amount));
  HookScope hook(&RejectMissing);
  EXPECT_EQ(r.FullyQualified(e), U"\"CurDay\" + \"DW\".\"\".\"\".\"Orders\".\"Amount\"");
  EXPECT_EQ(g_lastLayer, 1);  // the variable (3031) is physical-range too
}

TEST_F(PrettyFormat, LongerNamesAreReplacedFirstAndLiteralsAreLeftAlone) {
  Expr e = ExprBuilder().Op(kConcat).ID(r.revenue).ID(r.revenueTax).End().Build();
  PSV::SetFormatExpr(e, &r.rp, U"Fact.Revenue || 'Fact.Revenue' || Fact.Revenue Tax||''");
  EXPECT_EQ(e.GetFormatStr(), r.Q(r.revenue) + U" || 'Fact.Revenue' || " + r.Q(r.revenueTax) + U"||''");
  // Text without any known name stays as typed.
  Expr other = Formula(r);
  PSV::SetFormatExpr(other, &r.rp, U"nothing 'known'");
  EXPECT_EQ(other.GetFormatStr(), U"nothing 'known'");
}

TEST_F(PrettyFormat, EveryFormAnIdMayTakeBecomesTheName) {
  Expr e = ExprBuilder().Op(kAdd).ID(r.revenue).ID(r.cost).End().Build();
  const VXString rev = r.revenue.ToString();
  e.SetFormatStr(rev + U" | \"" + rev + U"\" | \"\"" + rev + U"\"\" | <<" + rev + U">> | <<\"" + rev + U"\">> | " +
                 r.cost.ToString());
  // The doubly quoted form keeps one pair of quotes: the bare id in it is
  // quoted first, the three quotes each side are then one pair around the
  // quoted form.
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, false, false, true, false, false),
            U"Revenue | Revenue | \"Revenue\" | Revenue | Revenue | Cost");
}

TEST_F(PrettyFormat, AnIdIsNeverReplacedInsideALongerOne) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto t = b.Add(kTIDASubjectArea, U"M").Child(kTIDALogicalTable, U"T");
  VoidIDVector cols;
  for (int i = 0; i < 40; ++i) cols.push_back(t.Child(kTIDAAttribute, U"C" + ToVXString(std::to_string(i))));
  // Ids such as 2006:2 and 2006:21 share their leading digits.
  const VoidID& shortId = cols[1];
  std::size_t longer = 2;
  while (longer < cols.size() && cols[longer].ToString().rfind(shortId.ToString(), 0) != 0) ++longer;
  ASSERT_LT(longer, cols.size()) << "ids are expected to share a prefix";
  const VoidID& longId = cols[longer];
  Expr e = ExprBuilder().Op(kAdd).ID(shortId).ID(longId).End().Build();
  e.SetFormatStr(U"\"" + shortId.ToString() + U"\"+\"" + longId.ToString() + U"\"");
  EXPECT_EQ(PSV::GetFormatExpr(e, &rp, false, false, true, false, false), U"C1+C" + ToVXString(std::to_string(longer)));
}

TEST_F(PrettyFormat, HelpersSortReplaceAndNameForTheStoredText) {
  VXStringVector names{U"ab", U"abcd", U"", U"abc", U"xy"};
  VoidIDVector ids{VoidID(1, 1), VoidID(1, 2), VoidID(1, 3), VoidID(1, 4), VoidID(1, 5)};
  PSV::SortByNameLength(names, ids);
  EXPECT_EQ(names, (VXStringVector{U"abcd", U"abc", U"ab", U"xy", U""}));
  EXPECT_EQ(ids, (VoidIDVector{VoidID(1, 2), VoidID(1, 4), VoidID(1, 1), VoidID(1, 5), VoidID(1, 3)}));

  VXString token = U"A.B + B + C";
  EXPECT_TRUE(
      PSV::ReplaceNamesInToken(token, {VoidID(2006, 1)}, {U"A.B"}, {VoidID(2006, 2), VoidID(2006, 3)}, {U"C", U""}));
  EXPECT_EQ(token, U"\"2006:1\" + B + \"2006:2\"");
  VXString same = U"nothing";
  EXPECT_FALSE(PSV::ReplaceNamesInToken(same, {VoidID(2006, 1)}, {U"A.B"}, {}, {}));

  EXPECT_EQ(PSV::GenerateQualifiedNameForSetFormatExpr(r.rp.GetObject(r.dynVar)), U"CurDay");
  EXPECT_EQ(PSV::GenerateQualifiedNameForSetFormatExpr(r.rp.GetObject(r.revenue)), U"\"Retail\".\"Fact\".\"Revenue\"");
}

TEST_F(PrettyFormat, RipAndReplaceModeIsReadOnce) {
  const bool first = PSV::IsRipAndReplaceNoExprModeOn();
  const testutil::ScopedEnv flipped("RIP_AND_REPLACE_MODE", first ? "false" : "true");
  EXPECT_EQ(PSV::IsRipAndReplaceNoExprModeOn(), first);
}
