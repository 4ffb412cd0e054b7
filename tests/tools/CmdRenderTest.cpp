// The render command, run as a user would run it: the built tool in a child
// process, over a repository file written for the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "Expr/ExprBuilder.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpFile.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

// A business model with a derived column, a physical complex join and a
// repository variable, each holding an expression.
class CmdRender : public ::testing::Test {
 protected:
  void SetUp() override {
    ARpGateway rp;
    RpBuilder b(rp);
    const auto db = b.Add(kTIDADatabase, U"Sales DB");
    const auto orders = db.Child(kTIDATable, U"Orders");
    const auto items = db.Child(kTIDATable, U"Items");
    orderKey = orders.Child(kTIDAColumn, U"Order Key");
    const VoidID itemKey = items.Child(kTIDAColumn, U"Order Key");
    const auto fact = b.Add(kTIDASubjectArea, U"Retail").Child(kTIDALogicalTable, U"Fact");
    revenue = fact.Child(kTIDAAttribute, U"Revenue");
    cost = fact.Child(kTIDAAttribute, U"Cost");
    const auto margin = fact.Child(kTIDAAttribute, U"Margin");
    Ref<AAttribute>(margin.Obj())->SetExpr(ExprBuilder().Op(kSubtract).ID(revenue).ID(cost).End().Build());
    const auto join = b.Add(kTIDAComplexJoin, U"Orders_Items");
    Ref<AComplexJoin>(join.Obj())->SetJoinExpr(ExprBuilder().Op(kEqual).ID(orderKey).ID(itemKey).End().Build());
    const auto variable = b.Add(kTIDARpVariable, U"Max Year");
    Ref<ARpVariable>(variable.Obj())->SetExpr(ExprBuilder().Op(kAdd).Int(2000).Int(24).End().Build());
    b.Add(kTIDARpVariable, U"Empty");
    m_repoPath = m_dir.Path("render.rpd.xml");
    RpFile::Save(rp, m_repoPath);
  }

  ToolRun Render(std::vector<std::string> args) {
    args.insert(args.begin(), {"--repo", m_repoPath, "render"});
    return RunTool(args);
  }

  testutil::ScratchDir m_dir;
  std::string m_repoPath;
  VoidID orderKey, revenue, cost;
};

}  // namespace

TEST_F(CmdRender, ObjectExpressionsInEachNamingModeAndFailures) {
  const std::string rev = ToNarrow(revenue.ToString()), cst = ToNarrow(cost.ToString());
  cmdtest::ExpectRuns(
      {
          {{"--type", "LOGICAL COLUMN", "Retail.Fact.Margin"}, 0, "Fact.Revenue - Fact.Cost\n"},
          {{"--fully-qualified", "--quotes", "--type", "LOGICAL COLUMN", "Retail", "Fact", "Margin"},
           0,
           "\"Retail\".\"Fact\".\"Revenue\" - \"Retail\".\"Fact\".\"Cost\"\n"},
          {{"--single-part", "--type", "2006", "\"Retail\".\"Fact\".\"Margin\""}, 0, "Revenue - Cost\n"},
          {{"--by-id", "--type", "LOGICAL COLUMN", "Retail.Fact.Margin"}, 0, "\"" + rev + "\" - \"" + cst + "\"\n"},
          {{"--fully-qualified", "--type", "JOIN", "Orders_Items"},
           0,
           "\"Sales DB\".\"\".\"\".Orders.\"Order Key\" = \"Sales DB\".\"\".\"\".Items.\"Order Key\"\n"},
          {{"--type", "RP VARIABLE", "Max Year"}, 0, "2000 + 24\n"},
          {{"--expr", "CaseIf(Greater(#" + rev + ",0),'up','down')"},
           0,
           " CASE  WHEN Fact.Revenue > 0 THEN 'up' ELSE 'down' END \n"},
          {{"--reparent", "Retail.Fact", "--to", "Retail.Sales Fact", "--type", "LOGICAL COLUMN", "Retail.Fact.Margin"},
           0,
           "\"Retail\".\"Sales Fact\".\"Revenue\" - \"Retail\".\"Sales Fact\".\"Cost\"\n"},
          {{"--rename-db", "sales db=Warehouse", "--type", "JOIN", "Orders_Items"},
           0,
           "\"Warehouse\"...\"Orders\".\"Order Key\" = \"Warehouse\"...\"Items\".\"Order Key\"\n"},
          {{"--expr", "Add(1,"}, 1, "", "bad expression text at position 6: "},
          {{"--type", "LOGICAL COLUMN", "Retail.Fact.Nothing"}, 1, "", "no "},
          {{"--type", "PHYSICAL TABLE", "Sales DB.Orders"}, 1, "", "holds no expression"},
          // A broken invariant in the expression is reported, not half-printed.
          {{"--expr", "Cast(1,DataType(24,0,0))"}, 1},
          // An object without an expression has nothing to render, and says so.
          {{"--type", "RP VARIABLE", "Empty"}, 1, "", "\"Empty\" has no expression\n"},
          {{"--catalog", "No Such Area", "--expr", "1"}, 1, "", "No Such Area"},
          {{"--type", "LOGICAL COLUMN"}, 2},
          {{"--expr", "1", "--type", "LOGICAL COLUMN", "X"}, 2},
          {{"--bogus", "--expr", "1"}, 2},
          // Mode options that do not go together.
          {{"--catalog", "X", "--reparent", "Retail.Fact", "--to", "Y", "--expr", "1"}, 2},
          {{"--reparent", "Retail.Fact", "--expr", "1"}, 2},
          {{"--rename-db", "nothing", "--expr", "1"}, 2},
          {{"--rename-db", "=x", "--expr", "1"}, 2},
          {{"--catalog", "X", "--quotes", "--expr", "1"}, 2},
          {{"--display", "--rename-db", "a=b", "--expr", "1"}, 2},
      },
      {"--repo", m_repoPath, "render"});
  // By id the renamed database changes nothing.
  const ToolRun byId = Render({"--rename-db", "Sales DB=Warehouse", "--by-id", "--type", "JOIN", "Orders_Items"});
  EXPECT_EQ(byId.out.rfind("\"" + ToNarrow(orderKey.ToString()) + "\"", 0), 0u) << byId.out;
}

// Expression text without ids reads no repository: a missing file is no
// obstacle until an id needs it.
TEST_F(CmdRender, ExpressionTextWithoutIdsReadsNoRepository) {
  cmdtest::ExpectRuns({{{"--expr", "Add(Multiply(S'Unit Price',2),1)"}, 0, "\"Unit Price\" * 2 + 1\n"},
                       {{"--expr", "Add(#2006:1,1)"}, 3, "", "/nonexistent/repo.rpd.xml"}},
                      {"--repo", "/nonexistent/repo.rpd.xml", "render"});
}

// ---- the modes that need more than flags -------------------------------------------------

// The sample's "Localized Sales" shows the logical product columns 2006:29
// (Product Id, display name "Product number"), 2006:30 (Product Name, a
// bundle string) and 2006:31 (Category, a label the host sets), in the
// table Products (a bundle string), under the title SA_TITLE (a bundle
// string); samples/bundles.tsv has the English and French texts.
TEST(CmdRenderSample, CatalogWithDisplayNamesInTwoLanguages) {
  const std::string expr = "Concat(Concat(#2006:29,#2006:30),#2006:31)";
  cmdtest::ExpectRuns(
      {
          {{"--catalog", "Localized Sales", "--expr", expr},
           0,
           " CONCAT( CONCAT(\"Localized Sales\".\"Products\".\"Product Id\", \"Localized Sales\".\"Products\"."
           "\"Product Name\"), \"Localized Sales\".\"Products\".\"Category\")\n"},
          {{"--catalog", "Localized Sales", "--display", "--lang", "en", "--expr", expr},
           0,
           " CONCAT( CONCAT(\"Localized sales\".\"Products\".\"Product number\", \"Localized sales\".\"Products\"."
           "\"Product name\"), \"Localized sales\".\"Products\".\"Category\")\n"},
          {{"--catalog", "Localized Sales", "--display", "--lang", "fr", "--expr", expr},
           0,
           " CONCAT( CONCAT(\"Ventes localisées\".\"Produits\".\"Product number\", \"Ventes localisées\"."
           "\"Produits\".\"Nom du produit\"), \"Ventes localisées\".\"Produits\".\"Category\")\n"},
          // A presentation column by its display name, outside any catalog.
          {{"--display", "--lang", "fr", "--expr", "Concat(#4010:25,#4010:24)"},
           0,
           " CONCAT(\"Nom du produit\", \"Product number\")\n"},
      },
      {"render"});
}
