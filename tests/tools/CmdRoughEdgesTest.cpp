// Behaviour found wanting when the tool was first tried on the sample
// repository: message object counts, variables by their own name, not-found
// hints, mixed-quoted names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::Lines;
using cmdtest::RunTool;
using cmdtest::ToolRun;

// A message needs as many objects as the highest object position its text
// uses: 38126 takes the type and the name of one object, 39080 those of two.
TEST(CmdMessageObjects, CountedByHighestPosition) {
  cmdtest::ExpectRuns({
      {{"message", "38126", "2006:24"},
       0,
       "ERROR [38126] Logical Column \"Sales\".\"Orders\".\"Revenue\" refers to an object in another business "
       "model.\n"},
      {{"message", "39080", "2006:24"}, 2, "", "message 39080 names 2 objects; 1 given"},
      {{"message", "39080", "3001:1", "2006:24"},
       0,
       "WARNING [39080] Physical Table \"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\" and Logical Column "
       "\"Sales\".\"Orders\".\"Revenue\" have the same external name.\n"},
  });
}

TEST(CmdRenderNames, NotFoundListsSimilarNamesAndTheNameAsWritten) {
  const ToolRun r = RunTool({"render", "--type", "LOGICAL COLUMN", "Sales.Orders.revenue"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  const auto lines = Lines(r.err);
  ASSERT_GE(lines.size(), 3u) << r.err;
  EXPECT_EQ(lines[0].rfind("smutil render: no ATTRIBUTE (2006) named Sales.Orders.revenue in ", 0), 0u) << r.err;
  EXPECT_EQ(lines[1], "  objects of that type with a similar last name:");
  EXPECT_EQ(lines[2], "    \"Sales\".\"Orders\".\"Revenue\"");
}

TEST(CmdRenderNames, BadExpressionStatesThePositionOnce) {
  const ToolRun r = RunTool({"render", "--expr", "Add(1,"});
  EXPECT_EQ(r.exitCode, 1);
  const std::size_t first = r.err.find("position");
  ASSERT_NE(first, std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("position", first + 1), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("character"), std::string::npos) << r.err;
}

// Quoted and bare segments mix: "Sales DW".SALESDB is two segments; a
// variable is found by its own name and by its block's.
TEST(CmdNamesOnTheCommandLine, MixedQuotingIsSegmentBySegment) {
  const std::string schema = "\"Sales DW\".\"SALESDB\".\"dbo\"\t3027:1\n";
  cmdtest::ExpectRuns({
      {{"find", "--type", "SCHEMA", "\"Sales DW\".SALESDB.dbo"}, 0, schema},
      {{"find", "--type", "SCHEMA", "\"Sales DW\".\"SALESDB\".dbo"}, 0, schema},
      {{"find", "--type", "SCHEMA", "Sales DW.SALESDB.\"dbo\""}, 0, schema},
      // One quoted segment keeps its full stop.
      {{"find", "--type", "SCHEMA", "\"Sales DW.SALESDB\".dbo"}, 1},
      // LAST_LOAD_DATE lives in the initialization block "Refresh Dates".
      {{"render", "--type", "RP VARIABLE", "LAST_LOAD_DATE"}, 0, " DATE '2024-06-30'\n"},
      {{"render", "--type", "RP VARIABLE", "\"Refresh Dates\".\"LAST_LOAD_DATE\""}, 0, " DATE '2024-06-30'\n"},
  });
}

TEST(CmdFindHints, AliasesSuggestedOnlyWhenNotGiven) {
  const ToolRun without = RunTool({"find", "--type", "TABLE", "NoSuchTable"});
  EXPECT_NE(without.err.find("--aliases would accept former names too"), std::string::npos) << without.err;
  const ToolRun with = RunTool({"find", "--aliases", "--type", "TABLE", "NoSuchTable"});
  EXPECT_EQ(with.exitCode, 1);
  EXPECT_EQ(with.err.find("--aliases"), std::string::npos) << with.err;
  const ToolRun flexible = RunTool({"find", "--flexible", "--aliases", "--type", "TABLE", "", "NoSuchTable"});
  EXPECT_EQ(flexible.exitCode, 1);
  EXPECT_EQ(flexible.err.find("--aliases"), std::string::npos) << flexible.err;
}

}  // namespace
