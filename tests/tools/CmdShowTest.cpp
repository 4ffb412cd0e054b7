// smutil show on the bundled sample.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {
using cmdtest::RunTool;

TEST(CmdShow, ObjectWithParentAliasesAndChildren) {
  // The name may be written quoted, with dots, or one word a segment; the
  // accordion level of the presentation table may be left out.
  for (const std::vector<std::string>& name : {std::vector<std::string>{"\"Sales Analysis\".\"Customers\""},
                                               {"Sales Analysis.Customers"},
                                               {"Sales Analysis", "Customers"},
                                               {"\"Sales Analysis\"..\"Customers\""}}) {
    std::vector<std::string> args{"show", "--type", "ENTITY FOLDER"};
    args.insert(args.end(), name.begin(), name.end());
    const auto r = RunTool(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("object   \"Sales Analysis\"..\"Customers\"\nid       4008:2\ntype     ENTITY FOLDER (4008)\n"
                          "display  Kunden & Märkte\ndescr    Customers by region\n"
                          "parent   CATALOG FOLDER (4004) 4004:1  \"Sales Analysis\"\naliases  Customer, Clients\n"
                          "children 6\n",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("FOLDER ATTRIBUTE (4010) 4010:8  \"Sales Analysis\"..\"Customers\".\"Customer Name\"\n"),
              std::string::npos);
  }
}

TEST(CmdShow, TopLevelObjectByTypeNumber) {
  const auto r = RunTool({"show", "--type", "3023", "Marketing"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("parent   (none)\naliases  (none)\n"), std::string::npos) << r.out;
}

TEST(CmdShow, NotFoundSuggestsOtherCase) {
  const auto r = RunTool({"show", "--type", "TABLE", "Sales DW.SALESDB.dbo.w_orders_f"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no TABLE (3001) named \"Sales DW\".\"SALESDB\".\"dbo\".\"w_orders_f\""), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\""), std::string::npos) << r.err;
}

}  // namespace
