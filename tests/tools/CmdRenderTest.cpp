// The render command, run as a user would run it: the built tool in a child
// process, over a repository file written for the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "Expr/ExprBuilder.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpFile.h"

namespace {

using cmdtest::ReadFile;
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
    char path[] = "/tmp/smutil_render_repo_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    m_repoPath = std::string(path) + ".rpd.xml";
    std::remove(path);
    RpFile::Save(rp, m_repoPath);
  }
  void TearDown() override { std::remove(m_repoPath.c_str()); }

  ToolRun Render(std::vector<std::string> args) {
    args.insert(args.begin(), {"--repo", m_repoPath, "render"});
    return RunTool(args);
  }

  std::string m_repoPath;
  VoidID orderKey, revenue, cost;
};

}  // namespace

TEST_F(CmdRender, ObjectExpressionsInEachNamingMode) {
  ToolRun r = Render({"--type", "LOGICAL COLUMN", "Retail.Fact.Margin"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Fact.Revenue - Fact.Cost\n");

  r = Render({"--fully-qualified", "--quotes", "--type", "LOGICAL COLUMN", "Retail", "Fact", "Margin"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Retail\".\"Fact\".\"Revenue\" - \"Retail\".\"Fact\".\"Cost\"\n");

  r = Render({"--single-part", "--type", "2006", "\"Retail\".\"Fact\".\"Margin\""});
  EXPECT_EQ(r.out, "Revenue - Cost\n");

  r = Render({"--by-id", "--type", "LOGICAL COLUMN", "Retail.Fact.Margin"});
  EXPECT_EQ(r.out, "\"" + ToNarrow(revenue.ToString()) + "\" - \"" + ToNarrow(cost.ToString()) + "\"\n");

  r = Render({"--fully-qualified", "--type", "JOIN", "Orders_Items"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Sales DB\".\"\".\"\".Orders.\"Order Key\" = \"Sales DB\".\"\".\"\".Items.\"Order Key\"\n");

  r = Render({"--type", "RP VARIABLE", "Max Year"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2000 + 24\n");
}

TEST_F(CmdRender, ExpressionText) {
  // No ids: no repository is read (a missing file is no obstacle).
  ToolRun r = RunTool({"--repo", "/nonexistent/repo.rpd.xml", "render", "--expr", "Add(Multiply(S'Unit Price',2),1)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Unit Price\" * 2 + 1\n");

  r = Render({"--expr", "CaseIf(Greater(#" + ToNarrow(revenue.ToString()) + ",0),'up','down')"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, " CASE  WHEN Fact.Revenue > 0 THEN 'up' ELSE 'down' END \n");

  r = RunTool({"--repo", "/nonexistent/repo.rpd.xml", "render", "--expr", "Add(#2006:1,1)"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("/nonexistent/repo.rpd.xml"), std::string::npos) << r.err;
}

TEST_F(CmdRender, Failures) {
  ToolRun r = Render({"--expr", "Add(1,"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("bad expression text at position 6: "), std::string::npos) << r.err;

  r = Render({"--type", "LOGICAL COLUMN", "Retail.Fact.Nothing"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no "), std::string::npos) << r.err;

  r = Render({"--type", "PHYSICAL TABLE", "Sales DB.Orders"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("holds no expression"), std::string::npos) << r.err;

  // A broken invariant in the expression is reported, not half-printed.
  r = Render({"--expr", "Cast(1,DataType(24,0,0))"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");

  EXPECT_EQ(Render({"--type", "LOGICAL COLUMN"}).exitCode, 2);
  EXPECT_EQ(Render({"--expr", "1", "--type", "LOGICAL COLUMN", "X"}).exitCode, 2);
  EXPECT_EQ(Render({}).exitCode, 2);
  EXPECT_EQ(Render({"--bogus", "--expr", "1"}).exitCode, 2);

  // An object without an expression has nothing to render, and says so.
  r = Render({"--type", "RP VARIABLE", "Empty"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("\"Empty\" has no expression\n"), std::string::npos) << r.err;
}

// ---- the modes that need more than flags -------------------------------------------------

namespace {

// The sample's "Localized Sales" shows the logical product columns 2006:29
// (Product Id, display name "Product number"), 2006:30 (Product Name, a
// bundle string) and 2006:31 (Category, a label the host sets), in the
// table Products (a bundle string), under the title SA_TITLE (a bundle
// string); samples/bundles.tsv has the English and French texts.
ToolRun RenderSample(std::vector<std::string> args) {
  args.insert(args.begin(), "render");
  return RunTool(args);
}

}  // namespace

TEST(CmdRenderSample, CatalogWithDisplayNamesInTwoLanguages) {
  const std::string expr = "Concat(Concat(#2006:29,#2006:30),#2006:31)";
  ToolRun r = RenderSample({"--catalog", "Localized Sales", "--expr", expr});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            " CONCAT( CONCAT(\"Localized Sales\".\"Products\".\"Product Id\", \"Localized Sales\".\"Products\"."
            "\"Product Name\"), \"Localized Sales\".\"Products\".\"Category\")\n");
  r = RenderSample({"--catalog", "Localized Sales", "--display", "--lang", "en", "--expr", expr});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            " CONCAT( CONCAT(\"Localized sales\".\"Products\".\"Product number\", \"Localized sales\".\"Products\"."
            "\"Product name\"), \"Localized sales\".\"Products\".\"Category\")\n");
  r = RenderSample({"--catalog", "Localized Sales", "--display", "--lang", "fr", "--expr", expr});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            " CONCAT( CONCAT(\"Ventes localisées\".\"Produits\".\"Product number\", \"Ventes localisées\"."
            "\"Produits\".\"Nom du produit\"), \"Ventes localisées\".\"Produits\".\"Category\")\n");
  // A presentation column by its display name, outside any catalog.
  r = RenderSample({"--display", "--lang", "fr", "--expr", "Concat(#4010:25,#4010:24)"});
  EXPECT_EQ(r.out, " CONCAT(\"Nom du produit\", \"Product number\")\n");
}

TEST_F(CmdRender, ReparentedAndRenamedDatabase) {
  ToolRun r = Render(
      {"--reparent", "Retail.Fact", "--to", "Retail.Sales Fact", "--type", "LOGICAL COLUMN", "Retail.Fact.Margin"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Retail\".\"Sales Fact\".\"Revenue\" - \"Retail\".\"Sales Fact\".\"Cost\"\n");
  r = Render({"--rename-db", "sales db=Warehouse", "--type", "JOIN", "Orders_Items"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Warehouse\"...\"Orders\".\"Order Key\" = \"Warehouse\"...\"Items\".\"Order Key\"\n");
  r = Render({"--rename-db", "Sales DB=Warehouse", "--by-id", "--type", "JOIN", "Orders_Items"});
  EXPECT_EQ(r.out.substr(0, 1 + orderKey.ToString().size() + 1), "\"" + ToNarrow(orderKey.ToString()) + "\"");
}

TEST_F(CmdRender, ModeOptionsThatDoNotGoTogether) {
  const std::vector<std::vector<std::string>> usage = {
      {"--catalog", "X", "--reparent", "Retail.Fact", "--to", "Y", "--expr", "1"},
      {"--reparent", "Retail.Fact", "--expr", "1"},
      {"--rename-db", "nothing", "--expr", "1"},
      {"--rename-db", "=x", "--expr", "1"},
      {"--catalog", "X", "--quotes", "--expr", "1"},
      {"--display", "--rename-db", "a=b", "--expr", "1"},
  };
  for (const auto& args : usage) {
    const ToolRun r = Render(args);
    EXPECT_EQ(r.exitCode, 2) << args.front() << ": " << r.out;
    EXPECT_FALSE(r.err.empty());
  }
  const ToolRun r = Render({"--catalog", "No Such Area", "--expr", "1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("No Such Area"), std::string::npos) << r.err;
}
