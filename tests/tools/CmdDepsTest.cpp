// smutil deps on the bundled sample.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CmdToolRun.h"

namespace {
using cmdtest::Lines;
using cmdtest::RunTool;

const std::string kRegion = "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_REGION_D\"";

TEST(CmdDeps, TableTakesItsColumnsKeyAndTheForeignKeysReferringToTheKey) {
  const auto r = RunTool({"deps", "--type", "TABLE", kRegion});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  // Contained objects first, in their order; then what the key drags along:
  // the customer table's foreign key to it. The key column's own key goes
  // with the table, not through the column.
  ASSERT_EQ(lines.size(), 5u) << r.out;
  EXPECT_EQ(lines[0].rfind(kRegion + ".\"REGION_ID\"\tCOLUMN (3003)\t3003:", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("\tcontainment (1) of " + kRegion), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind(kRegion + ".\"NAME\"\t", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind(kRegion + ".\"COUNTRY\"\t", 0), 0u) << lines[2];
  EXPECT_EQ(lines[3].rfind(kRegion + ".\"W_REGION_D_PK\"\t", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4].rfind("\"Sales DW\".\"SALESDB\".\"dbo\".\"W_CUSTOMER_D\".\"W_CUSTOMER_D_W_REGION_D_FK\"\t", 0), 0u)
      << lines[4];
  EXPECT_NE(lines[4].find("\tphysical foreign key reference (41) of " + kRegion + ".\"W_REGION_D_PK\""),
            std::string::npos)
      << lines[4];

  const auto c = RunTool({"deps", "--count", "--type", "TABLE", kRegion});
  ASSERT_EQ(c.exitCode, 0) << c.err;
  EXPECT_EQ(c.out, "5\n");
}

TEST(CmdDeps, LogicalColumnTakesItsPresentationColumnAndLevelKey) {
  const auto r = RunTool({"deps", "--type", "LOGICAL COLUMN", "Sales.Products.Brand"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u) << r.out;
  EXPECT_EQ(lines[0].rfind("\"Sales Analysis\"..\"Products\".\"Brand\"\t", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("\tlogical column to presentation column (30) of "), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("\"Brand Key\"\t"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("\tkey column (329) of \"Sales\".\"Products\".\"Brand\""), std::string::npos) << lines[1];
}

TEST(CmdDeps, JsonListsEachObjectWithRelationshipAndOrigin) {
  const auto r = RunTool({"deps", "--format", "json", "--type", "TABLE", kRegion});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc.size(), 5u);
  EXPECT_EQ(doc[0]["type"], 3003);
  EXPECT_EQ(doc[0]["relationship"], (nlohmann::json{{"number", 1}, {"name", "containment"}}));
  EXPECT_EQ(doc[0]["from"]["qualifiedName"], kRegion);
  EXPECT_EQ(doc[4]["typeName"], "FOREIGN KEY");
  EXPECT_EQ(doc[4]["relationship"]["number"], 41);
  EXPECT_EQ(doc[4]["from"]["name"], "W_REGION_D_PK");

  const auto c = RunTool({"deps", "--count", "--format", "json", "--type", "TABLE", kRegion});
  EXPECT_EQ(c.out, "5\n");
}

TEST(CmdDeps, ObjectThatGoesAloneListsNothing) {
  const auto r = RunTool({"deps", "--type", "3012", "Responses to Customers"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(CmdDeps, NotFoundNamesTheNameAsWritten) {
  const auto r = RunTool({"deps", "--type", "TABLE", "Sales DW.SALESDB.dbo.w_region_d"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("smutil deps: no TABLE (3001) named \"Sales DW\".\"SALESDB\".\"dbo\".\"w_region_d\""),
            std::string::npos)
      << r.err;
}

}  // namespace
