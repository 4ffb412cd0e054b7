// The naming modes that need more of the repository than a path of names:
// references inside a presentation catalog (with read permission and custom
// display names), custom display names of presentation columns and entity
// folders, re-parenting, and the VALUEOF operators.
#include <gtest/gtest.h>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMUtil.h"
#include "SMPrettyStringVisitorTestUtil.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/ObjectModel.h"

using pretty_test::Show;
using PSV = ToPrettyStringVisitor;

namespace {

// A business model Retail.Fact with Revenue, Cost and Margin; a subject area
// "Sales" with the tables Orders (Revenue shown as "Amount", Cost) and
// Details with a sub-folder Lines (Revenue again, as "Line Amount"); a
// second subject area "Other" that shows Cost; and variables.
struct Repo {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID bm, fact, revenue, cost, margin, unshown;
  VoidID sales, orders, amount, orderCost, details, lines, lineAmount;
  VoidID other, otherTable, otherCost;
  VoidID dynVar, staticVar, block, region;

  Repo() {
    bm = b.Add(kTIDASubjectArea, U"Retail");
    fact = b.At(bm).Child(kTIDALogicalTable, U"Fact");
    revenue = b.At(fact).Child(kTIDAAttribute, U"Revenue");
    cost = b.At(fact).Child(kTIDAAttribute, U"Cost");
    margin = b.At(fact).Child(kTIDAAttribute, U"Margin");
    unshown = b.At(fact).Child(kTIDAAttribute, U"Unshown");

    sales = b.Add(kTIDACatalogFolder, U"Sales");
    orders = b.At(sales).Child(kTIDAEntityFolder, U"Orders");
    amount = b.At(orders).Child(kTIDAFolderAttr, U"Amount");
    orderCost = b.At(orders).Child(kTIDAFolderAttr, U"Cost");
    details = b.At(sales).Child(kTIDAEntityFolder, U"Details");
    lines = b.At(details).Child(kTIDAFolder, U"Lines");
    lineAmount = b.At(lines).Child(kTIDAFolderAttr, U"Line Amount");
    other = b.Add(kTIDACatalogFolder, U"Other");
    otherTable = b.At(other).Child(kTIDAEntityFolder, U"Costs");
    otherCost = b.At(otherTable).Child(kTIDAFolderAttr, U"Cost");
    // Other's Cost is mapped first: it is first in Cost's own order but lies
    // in another catalog.
    b.Relate(RpRel::kLogicalToPresentationColumn, {cost, otherCost});
    b.Relate(RpRel::kLogicalToPresentationColumn, {cost, orderCost});
    b.Relate(RpRel::kLogicalToPresentationColumn, {revenue, amount});
    b.Relate(RpRel::kLogicalToPresentationColumn, {revenue, lineAmount});

    dynVar = b.Add(kTIDARpVariable, U"CurDay").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kDynamic});
    staticVar = b.Add(kTIDARpVariable, U"Max Year").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kStatic});
    block = b.Add(kTIDASessionVariableBlock, U"Init Block");
    region =
        b.At(block).Child(kTIDARpVariable, U"Region").Set(RpProp::kVariableType, std::int64_t{ARpVariable::kSession});
  }

  void SetDisplay(const VoidID& id, const VXString& text) {
    b.At(id).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, text);
  }
  Ref<ACatalogFolder> Catalog(const VoidID& id) { return Ref<ACatalogFolder>(rp.GetObject(id)); }
  VXString InCatalog(const VoidID& ref, const VoidID& catalog, bool bDisplay) {
    return PSV::StringFrom(ExprBuilder().ID(ref).Build(), &rp, Catalog(catalog), bDisplay);
  }
};

VXString Deleted() { return SUStrUtil::LoadMsgStringOnly(29005); }
class PrettyCatalog : public ::testing::Test {
 protected:
  Repo r;
};
using PrettyDisplayNames = PrettyCatalog;
using PrettyReparenting = PrettyCatalog;
using PrettyValueOf = PrettyCatalog;

}  // namespace

// ---- presentation catalog ---------------------------------------------------------------

TEST_F(PrettyCatalog, ReferencesWrittenThroughTheCatalog) {
  struct Case {
    VoidID Repo::*ref;
    VoidID Repo::*catalog;
    const char32_t* expected;
  };
  static const Case kCases[] = {
      // A presentation column of the catalog: its table and its name.
      {&Repo::amount, &Repo::sales, U"\"Orders\".\"Amount\""},
      // A folder within a table: every folder from the catalog down,
      // outermost first.
      {&Repo::lineAmount, &Repo::sales, U"\"Details\".\"Lines\".\"Line Amount\""},
      // A logical column: the catalog's name in front of the first
      // presentation column of the catalog that shows it.
      {&Repo::revenue, &Repo::sales, U"\"Sales\".\"Orders\".\"Amount\""},
      // Cost's first presentation column is in Other: skipped in Sales.
      {&Repo::cost, &Repo::sales, U"\"Sales\".\"Orders\".\"Cost\""},
      {&Repo::cost, &Repo::other, U"\"Other\".\"Costs\".\"Cost\""},
      // Nothing of Other shows Revenue: the ordinary form (quoted, last two).
      {&Repo::revenue, &Repo::other, U"\"Fact\".\"Revenue\""},
      {&Repo::unshown, &Repo::sales, U"\"Fact\".\"Unshown\""},
      // A presentation column of another catalog: the ordinary form.
      {&Repo::otherCost, &Repo::sales, U"\"Costs\".\"Cost\""},
      // An object that is no column.
      {&Repo::fact, &Repo::sales, U"\"Retail\".\"Fact\""},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(r.InCatalog(r.*(c.ref), r.*(c.catalog), false), c.expected);
  }
}

TEST_F(PrettyCatalog, AColumnTheUserMayNotReadIsNeverWrittenThroughTheCatalog) {
  // Revenue's first column is denied: the second one (nested) is written.
  r.rp.DenyRead(r.amount);
  EXPECT_EQ(r.InCatalog(r.revenue, r.sales, false), U"\"Sales\".\"Details\".\"Lines\".\"Line Amount\"");
  // A denied folder hides its columns too.
  r.rp.DenyRead(r.lines);
  EXPECT_EQ(r.InCatalog(r.revenue, r.sales, false), U"\"Fact\".\"Revenue\"");
  EXPECT_EQ(r.InCatalog(r.lineAmount, r.sales, false), U"\"Lines\".\"Line Amount\"");
  // A presentation column named directly obeys the same rule.
  EXPECT_EQ(r.InCatalog(r.amount, r.sales, false), U"\"Orders\".\"Amount\"");
  r.rp.ClearReadDenials();
  r.rp.DenyRead(r.orderCost);
  EXPECT_EQ(r.InCatalog(r.cost, r.sales, false), U"\"Fact\".\"Cost\"");
  // The external hook has the last word.
  r.rp.ClearReadDenials();
  const auto saved = Authorization::g_externalAuthorizationHook;
  Authorization::g_externalAuthorizationHook = [this](ARpGateway*, const Ref<ARpObject>& obj) {
    return obj->GetID() != r.orders;
  };
  EXPECT_EQ(r.InCatalog(r.revenue, r.sales, false), U"\"Sales\".\"Details\".\"Lines\".\"Line Amount\"");
  Authorization::g_externalAuthorizationHook = saved;
}

// Several references in one walk: a folder's read permission and written
// name, once settled for one column, hold for the next column of the folder.
TEST_F(PrettyCatalog, FoldersSharedBySeveralReferencesOfOneExpression) {
  const auto sum = [this](const VoidID& a, const VoidID& b, bool bDisplay) {
    return Show(PSV::StringFrom(ExprBuilder().Op(kAdd).ID(a).ID(b).End().Build(), &r.rp, r.Catalog(r.sales), bDisplay));
  };
  const auto saved = Authorization::g_externalAuthorizationHook;
  VoidID hidden = r.orders;
  Authorization::g_externalAuthorizationHook = [&hidden](ARpGateway*, const Ref<ARpObject>& obj) {
    return obj->GetID() != hidden;
  };
  // Orders may not be read: Revenue goes to its second column, and Cost,
  // shown in Sales only within Orders, takes the ordinary form.
  EXPECT_EQ(sum(r.revenue, r.cost, false),
            Show(U"\"Sales\".\"Details\".\"Lines\".\"Line Amount\" + \"Fact\".\"Cost\""));
  EXPECT_EQ(sum(r.amount, r.lineAmount, false), Show(U"\"Orders\".\"Amount\" + \"Details\".\"Lines\".\"Line Amount\""));
  // Lines may not be read, Orders may: the next walk asks again.
  hidden = r.lines;
  EXPECT_EQ(sum(r.revenue, r.cost, false), Show(U"\"Sales\".\"Orders\".\"Amount\" + \"Sales\".\"Orders\".\"Cost\""));
  EXPECT_EQ(sum(r.lineAmount, r.amount, false), Show(U"\"Lines\".\"Line Amount\" + \"Orders\".\"Amount\""));
  Authorization::g_externalAuthorizationHook = saved;

  // Display names: the catalog's and the table's written for both columns;
  // a display name given between two walks shows in the second.
  r.SetDisplay(r.sales, U"Ventes");
  r.SetDisplay(r.orders, U"Commandes");
  r.SetDisplay(r.amount, U"Montant");
  EXPECT_EQ(sum(r.revenue, r.cost, true),
            Show(U"\"Ventes\".\"Commandes\".\"Montant\" + \"Ventes\".\"Commandes\".\"Cost\""));
  EXPECT_EQ(sum(r.cost, r.amount, true), Show(U"\"Ventes\".\"Commandes\".\"Cost\" + \"Commandes\".\"Montant\""));
  r.SetDisplay(r.orders, U"Bons de commande");
  EXPECT_EQ(sum(r.revenue, r.cost, true),
            Show(U"\"Ventes\".\"Bons de commande\".\"Montant\" + \"Ventes\".\"Bons de commande\".\"Cost\""));
}

TEST_F(PrettyCatalog, CustomDisplayNamesForEveryPart) {
  r.SetDisplay(r.sales, U"Ventes");
  r.SetDisplay(r.orders, U"Commandes");
  r.SetDisplay(r.amount, U"Montant");
  r.SetDisplay(r.details, U"Détails");
  EXPECT_EQ(r.InCatalog(r.revenue, r.sales, true), U"\"Ventes\".\"Commandes\".\"Montant\"");
  EXPECT_EQ(r.InCatalog(r.amount, r.sales, true), U"\"Commandes\".\"Montant\"");
  // Parts without a display name show their own names.
  EXPECT_EQ(r.InCatalog(r.lineAmount, r.sales, true), U"\"Détails\".\"Lines\".\"Line Amount\"");
  EXPECT_EQ(r.InCatalog(r.revenue, r.sales, false), U"\"Sales\".\"Orders\".\"Amount\"");
}

TEST_F(PrettyCatalog, AMissingObjectWritesTheMessageAndEmptiesTheFormatString) {
  Expr e = ExprBuilder().Op(kAdd).ID(r.revenue).ID(r.cost).End().Build();
  e.SetFormatStr(U"\"" + r.revenue.ToString() + U"\" + \"" + r.cost.ToString() + U"\"");
  ASSERT_TRUE(r.rp.DeleteObject(r.revenue));
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, r.Catalog(r.sales), false), Deleted() + U" + \"Sales\".\"Orders\".\"Cost\"");
  EXPECT_TRUE(e.GetFormatStr().empty());
}

// ---- custom display names --------------------------------------------------------------

TEST_F(PrettyDisplayNames, PresentationColumnsAndEntityFolders) {
  r.SetDisplay(r.amount, U"Montant \"net\"");
  r.SetDisplay(r.orders, U"Commandes");
  const Expr e = ExprBuilder().Op(kAdd).ID(r.amount).ID(r.orderCost).End().Build();
  // Plain mode with display names: the presentation column by its display
  // name alone, quoted where needed.
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, false, true, false, false, true), U"\"Montant \"\"net\"\"\" + Cost");
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, false, true, false, false, false),
            U"Sales.\"\".Orders.Amount + Sales.\"\".Orders.Cost");
  // Entity-folder mode: the folder's display name, then the column's.
  const QualifiedNameIDPairVector pairs{{{U"Sales", U"Orders"}, r.amount}};
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, pairs, true), U"\"Commandes\".\"Montant \"\"net\"\"\" + \"Cost\"");
  EXPECT_EQ(PSV::StringFrom(e, &r.rp, pairs, false), U"\"Orders\".\"Amount\" + \"Cost\"");
}

// ---- re-parenting ----------------------------------------------------------------------

TEST_F(PrettyReparenting, TheFourCases) {
  const auto under = [this](const VoidID& ref, const VoidID& oldParent, const QualifiedName& newParent) {
    return PSV::StringFrom(ExprBuilder().ID(ref).Build(), &r.rp, r.rp.GetObject(oldParent), newParent, false);
  };
  // No business model has the new name: the first part is replaced.
  EXPECT_EQ(under(r.revenue, r.fact, {U"Wholesale", U"Fact"}), U"\"Wholesale\".\"Fact\".\"Revenue\"");
  // The business model exists and the object is a child of the old parent:
  // the new parent's name, then the object's own name.
  r.b.Add(kTIDASubjectArea, U"Wholesale");
  EXPECT_EQ(under(r.revenue, r.fact, {U"Wholesale", U"New \"Fact\""}),
            U"\"Wholesale\".\"New \"\"Fact\"\"\".\"Revenue\"");
  // Another parent in the business model the old parent lives in, named by
  // the new parent (in another case): the object keeps its own name.
  const VoidID dim = r.b.At(r.bm).Child(kTIDALogicalTable, U"Dim");
  const VoidID units = r.b.At(dim).Child(kTIDAAttribute, U"Units");
  EXPECT_EQ(under(units, r.fact, {U"RETAIL", U"Fact 2"}), U"\"Retail\".\"Dim\".\"Units\"");
  // Another parent, elsewhere: the whole rendering is empty.
  const Expr both = ExprBuilder().Op(kAdd).ID(r.revenue).ID(units).End().Build();
  EXPECT_EQ(PSV::StringFrom(both, &r.rp, r.rp.GetObject(r.fact), QualifiedName{U"Wholesale", U"Fact"}, false), U"");
  ToPrettyStringVisitor visitor(&r.rp, r.rp.GetObject(r.fact), QualifiedName{U"Wholesale", U"Fact"}, false);
  EXPECT_EQ(visitor.ExtractName(units), U"");
  EXPECT_EQ(visitor.ExtractName(r.revenue), U"\"Wholesale\".\"Fact\".\"Revenue\"");
  // By id the parents do not matter.
  EXPECT_EQ(PSV::StringFrom(both, &r.rp, r.rp.GetObject(r.fact), QualifiedName{U"Wholesale", U"Fact"}, true),
            U"\"" + r.revenue.ToString() + U"\" + \"" + units.ToString() + U"\"");
}

// ---- VALUEOF --------------------------------------------------------------------------

namespace {
Expr ValueOf(OpCode code, const VoidID& id) { return ExprBuilder().Op(code).ID(id).End().Build(); }
}  // namespace

TEST_F(PrettyValueOf, RepositoryVariables) {
  const Expr staticRef = ValueOf(kValueOf, r.staticVar);
  const Expr dynRef = ValueOf(kValueOf, r.dynVar);
  EXPECT_EQ(PSV::SimpleStringFrom(staticRef, &r.rp), U" VALUEOF(\"Max Year\")");
  // The qualified name, even for a dynamic variable.
  EXPECT_EQ(PSV::SimpleStringFrom(dynRef, &r.rp), U" VALUEOF(\"CurDay\")");
  EXPECT_EQ(PSV::StringFrom(staticRef, &r.rp, false, false, false, true, false),
            U" VALUEOF(\"" + r.staticVar.ToString() + U"\")");
  // Id substitution writes the new id as any reference.
  const VoidIDToVoidIDMap map{{r.staticVar, VoidID(kTIDARpVariable, 77)}};
  EXPECT_EQ(PSV::Expr2StringFromExpr1(staticRef, &r.rp, map), U" VALUEOF( \"3031:77\")");
  Expr gone = ValueOf(kValueOf, r.staticVar);
  gone.SetFormatStr(U"VALUEOF(x)");
  ASSERT_TRUE(r.rp.DeleteObject(r.staticVar));
  EXPECT_EQ(PSV::SimpleStringFrom(gone, &r.rp), U" VALUEOF(<The RpVariable has been deleted>)");
  EXPECT_TRUE(gone.GetFormatStr().empty());
}

TEST_F(PrettyValueOf, BlockVariableByIdUsesMessage29010WithTheQuotedId) {
  const Expr e = ValueOf(kValueOfSessionVariableBlockNew, r.region);
  EXPECT_EQ(PSV::SimpleStringFrom(e, &r.rp), U" VALUEOF(\"Init Block\".\"Region\")");
  const VXString id = r.region.ToString();
  ASSERT_TRUE(r.rp.DeleteObject(r.region));
  EXPECT_EQ(PSV::SimpleStringFrom(e, &r.rp),
            U" VALUEOF(" + SUStrUtil::LoadMsgStringOnly(29010, U"\"" + id + U"\"") + U")");
}

TEST_F(PrettyValueOf, SessionVariables) {
  const Expr byName = ExprBuilder().Op(kValueOfSession).String(U"USER").End().Build();
  const Expr byIndex = ExprBuilder().Op(kValueOfSessionByIndex).Int(2).String(U"List").End().Build();
  const Expr byId = ValueOf(kValueOfSessionNew, r.region);
  const Expr byIdIndex = ExprBuilder().Op(kValueOfSessionNewByIndex).Int(3).ID(r.region).End().Build();
  EXPECT_EQ(PSV::SimpleStringFrom(byName, &r.rp), U" VALUEOF(VX_SESSION.\"USER\")");
  EXPECT_EQ(PSV::SimpleStringFrom(byIndex, &r.rp), U" VALUEOF(2, VX_SESSION.\"List\")");
  // The name is double-quoted though it needs no quotes.
  EXPECT_EQ(PSV::SimpleStringFrom(byId, &r.rp), U" VALUEOF(VX_SESSION.\"Region\")");
  EXPECT_EQ(PSV::SimpleStringFrom(byIdIndex, &r.rp), U" VALUEOF(3, VX_SESSION.\"Region\")");
  EXPECT_EQ(PSV::StringFrom(byId, &r.rp, false, false, false, true, false),
            U" VALUEOF(VX_SESSION.\"" + r.region.ToString() + U"\")");
  const VoidIDToVoidIDMap map{{r.region, VoidID(kTIDARpVariable, 5)}};
  EXPECT_EQ(PSV::Expr2StringFromExpr1(byIdIndex, &r.rp, map), U" VALUEOF(3, VX_SESSION. \"3031:5\")");
  const VXString id = r.region.ToString();
  Expr gone = ValueOf(kValueOfSessionNew, r.region);
  gone.SetFormatStr(U"x");
  ASSERT_TRUE(r.rp.DeleteObject(r.region));
  EXPECT_EQ(PSV::SimpleStringFrom(gone, &r.rp),
            U" VALUEOF(VX_SESSION.<The session variable " + id + U" has been deleted>)");
  EXPECT_TRUE(gone.GetFormatStr().empty());
}

TEST_F(PrettyValueOf, InitializationBlockVariableByName) {
  const auto blockRef = [this](const VXString& name) {
    return ExprBuilder().Op(kValueOfSessionVariableBlock).ID(r.block).String(name).End().Build();
  };
  // Found without regard to case, written as the variable is spelled.
  EXPECT_EQ(PSV::SimpleStringFrom(blockRef(U"REGION"), &r.rp), U" VALUEOF(\"Init Block\".\"Region\")");
  Expr unknown = blockRef(U"Nope");
  EXPECT_EQ(PSV::SimpleStringFrom(unknown, &r.rp),
            U" VALUEOF(\"Init Block\".<The session variable Nopehas been deleted>)");
  const VoidIDToVoidIDMap map{{r.block, VoidID(kTIDASessionVariableBlock, 8)}};
  EXPECT_EQ(PSV::Expr2StringFromExpr1(blockRef(U"Region"), &r.rp, map), U" VALUEOF( \"3033:8\")");
  Expr gone = blockRef(U"Region");
  gone.SetFormatStr(U"x");
  ASSERT_TRUE(r.rp.DeleteObject(r.block));
  EXPECT_EQ(PSV::SimpleStringFrom(gone, &r.rp), U" VALUEOF(<The variable initialization block has been deleted>)");
  EXPECT_TRUE(gone.GetFormatStr().empty());
}

// ---- format strings in these modes -------------------------------------------------------

TEST_F(PrettyCatalog, FormatStringsNameObjectsAsExtractNameDoes) {
  Expr e = ExprBuilder().Op(kAdd).ID(r.revenue).ID(r.cost).End().Build();
  PSV::SetFormatExpr(e, &r.rp, U"Fact.Revenue+Fact.Cost");
  ASSERT_EQ(e.GetFormatStr(), U"\"" + r.revenue.ToString() + U"\"+\"" + r.cost.ToString() + U"\"");
  // The stored ids become names through ExtractName, which knows no catalog:
  // quoted, the last two parts.
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, r.Catalog(r.sales), false), U"\"Fact\".\"Revenue\"+\"Fact\".\"Cost\"");
  // The entity-folder overload names them with the folders of its pairs.
  const QualifiedNameIDPairVector pairs{{{U"Sales", U"Orders"}, r.revenue}};
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, pairs, false), U"\"Orders\".\"Revenue\"+\"Cost\"");
  // Re-parenting and database-rename overloads.
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, r.rp.GetObject(r.fact), QualifiedName{U"Retail", U"Sales Fact"}, false),
            U"\"Retail\".\"Sales Fact\".\"Revenue\"+\"Retail\".\"Sales Fact\".\"Cost\"");
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, OldDatabaseNameToNewDatabaseNameMap{{U"x", U"y"}}, false),
            U"\"Retail\".\"Fact\".\"Revenue\"+\"Retail\".\"Fact\".\"Cost\"");
  // Id-to-text: the reference's own text is the mapped one, the stored
  // ids become the names of the mode (fully qualified, quoted where needed).
  EXPECT_EQ(PSV::GetFormatExpr(e, &r.rp, VoidIDVXStringMap{{r.cost, U"c"}}), U"Retail.Fact.Revenue+Retail.Fact.Cost");
}
