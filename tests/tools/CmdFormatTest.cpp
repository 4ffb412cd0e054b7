// The format command: a user's text stored with ids and shown again after
// renames, run as a user would run it.
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

class CmdFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    ARpGateway rp;
    RpBuilder b(rp);
    const auto fact = b.Add(kTIDASubjectArea, U"Retail").Child(kTIDALogicalTable, U"Fact");
    factID = fact;
    revenue = fact.Child(kTIDAAttribute, U"Revenue");
    cost = fact.Child(kTIDAAttribute, U"Cost");
    const auto margin = fact.Child(kTIDAAttribute, U"Margin");
    Ref<AAttribute>(margin.Obj())->SetExpr(ExprBuilder().Op(kSubtract).ID(revenue).ID(cost).End().Build());
    RpFile::Save(rp, m_repoPath);
  }
  ToolRun Format(const std::string& repo, std::vector<std::string> args) {
    args.insert(args.begin(), {"--repo", repo, "format", "--type", "LOGICAL COLUMN"});
    return RunTool(args);
  }
  std::string Q(const VoidID& id) const { return "\"" + ToNarrow(id.ToString()) + "\""; }

  testutil::ScratchDir m_dir;
  const std::string m_repoPath = m_dir.Path("repo.rpd.xml"), m_savedPath = m_dir.Path("saved.rpd.xml");
  VoidID factID, revenue, cost;
};

}  // namespace

TEST_F(CmdFormat, StoredTextSurvivesARename) {
  ToolRun r = Format(m_repoPath,
                     {"Retail.Fact.Margin", "--set", "Fact.Revenue-Fact.Cost  -- 'Fact.Cost'", "--save", m_savedPath});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Q(revenue) + "-" + Q(cost) + "  -- 'Fact.Cost'\n");

  // Rename the table and a column in the saved file, then show the text.
  std::unique_ptr<ARpGateway> saved = RpFile::Load(m_savedPath);
  ASSERT_TRUE(saved->RenameObject(factID, U"Sales"));
  ASSERT_TRUE(saved->RenameObject(revenue, U"Net Revenue"));
  RpFile::Save(*saved, m_savedPath);
  r = Format(m_savedPath, {"Retail.Sales.Margin", "--fully-qualified", "--quotes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Retail\".\"Sales\".\"Net Revenue\"-\"Retail\".\"Sales\".\"Cost\"  -- 'Fact.Cost'\n");
  r = Format(m_savedPath, {"Retail.Sales.Margin"});
  EXPECT_EQ(r.out, "Sales.\"Net Revenue\"-Sales.Cost  -- 'Fact.Cost'\n");
  r = Format(m_savedPath, {"Retail.Sales.Margin", "--by-id"});
  EXPECT_EQ(r.out, Q(revenue) + "-" + Q(cost) + "  -- 'Fact.Cost'\n");
}

TEST_F(CmdFormat, WithoutAStoredTextTheRenderingIsShown) {
  ToolRun r = Format(m_repoPath, {"Retail.Fact.Margin"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Fact.Revenue - Fact.Cost\n");
  // Text equal to the quoted, fully qualified rendering stores nothing.
  r = Format(m_repoPath,
             {"Retail.Fact.Margin", "--set", "\"Retail\".\"Fact\".\"Revenue\" - \"Retail\".\"Fact\".\"Cost\""});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\n");
}

TEST_F(CmdFormat, Failures) {
  EXPECT_EQ(Format(m_repoPath, {}).exitCode, 2);
  EXPECT_EQ(Format(m_repoPath, {"Retail.Fact.Margin", "--save", m_savedPath}).exitCode, 2);
  const ToolRun r = Format(m_repoPath, {"Retail.Fact.Nothing"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Nothing"), std::string::npos) << r.err;
  const ToolRun table = RunTool({"--repo", m_repoPath, "format", "--type", "LOGICAL TABLE", "Retail.Fact"});
  EXPECT_EQ(table.exitCode, 1);
}
