// The resolve command on the sample repository, run as a user would run it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";

ToolRun Resolve(std::vector<std::string> args) {
  args.insert(args.begin(), {"--repo", kSample, "resolve"});
  return RunTool(args);
}

TEST(CmdResolve, OutcomesPerNameAndExitCode) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string firstLine;
  };
  const Case cases[] = {
      {{"Fin.Ledger"}, 1, "Fin.Ledger: kAmbiguousTable (2) more than one table bears the name"},
      {{"Fin"}, 1, "Fin: kAmbiguousCatalog (3) more than one subject area bears the name"},
      {{"Finance"}, 0, "Finance: kOK (0) a subject area; its tables:"},
      {{"--user", "kiosk", "Sales.Orders"},
       1,
       "Sales.Orders: kInaccessibleTable (4) tables bear the name but the user may read none of them"},
      {{"--user", "kiosk", "--show-inaccessible-as-null", "Sales.Orders"},
       0,
       "Sales.Orders: kOK (0) exactly one table found"},
      {{"--default-subject-area", "Nowhere", "Orders"},
       1,
       "Orders: kUnresovableTable (1) no default subject area to search"},
      {{"--default-subject-area", "Sales Analysis", "clients"}, 0, "clients: kOK (0) exactly one table found"},
      {{"--layer", "physical", "--default-catalog", "Sales DW.SALESDB", "CUSTOMERS"},
       0,
       "CUSTOMERS: kOK (0) exactly one table found"},
      {{"--layer", "business", "Sales.Nothing"}, 1, "Sales.Nothing: kNonexistentTable (5) no table bears the name"},
      {{"--column", "Sales.Orders.Revenue"}, 0, "Sales.Orders.Revenue: 1 column"},
      {{"--user", "anna.berg", "--column", "Sales.Orders.Discount"},
       1,
       "Sales.Orders.Discount: 0 columns (matching columns the user may not read were left out)"},
  };
  for (const Case& c : cases) {
    ToolRun r = Resolve(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.firstLine) << c.args.back();
  }
  // One name that does not resolve fails the run; all are printed.
  ToolRun r = Resolve({"Sales.Orders", "Sales.Nothing"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Sales.Nothing: kNonexistentTable"), std::string::npos) << r.out;
}

// A resolved table prints its names; suggestions leave out what the user
// may not read.
TEST(CmdResolve, NamesAndSuggestionsForTheUser) {
  cmdtest::ExpectRuns(
      {
          {{"Finance.Journal"},
           0,
           "Finance.Journal: kOK (0) exactly one table found\n"
           "  \"Finance\"..\"Journal Entries\"\t4008:10\n"
           "  \"Finance\"..\"Journal\"\t4008:10\n"},
          {{"Sales.Margin"},
           1,
           "Sales.Margin: kNonexistentTable (5) no table bears the name\n"
           "  did you mean \"Sales Analysis\".\"Margins\"\n"},
          {{"--user", "tom.ito", "Sales.Margin"}, 1, "Sales.Margin: kNonexistentTable (5) no table bears the name\n"},
      },
      {"--repo", kSample, "resolve"});
  ToolRun column = Resolve({"--column", "Sales.Orders.Discont"});
  EXPECT_NE(column.out.find("did you mean \"Sales\".\"Orders\".\"Discount\""), std::string::npos) << column.out;
  ToolRun anna = Resolve({"--user", "anna.berg", "--column", "Sales.Orders.Discont"});
  EXPECT_EQ(anna.out.find("did you mean"), std::string::npos) << anna.out;
}

TEST(CmdResolve, JsonRecords) {
  ToolRun r = Resolve({"--format", "json", "Fin.Ledger", "Finance"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["codeName"], "kAmbiguousTable");
  EXPECT_EQ(doc[0]["code"], 2);
  ASSERT_EQ(doc[0]["candidates"].size(), 2u);
  EXPECT_EQ(doc[0]["candidates"][1]["qualifiedName"], "\"Finance Archive\"..\"Ledger\"");
  EXPECT_EQ(doc[0]["pairs"].size(), 0u);
  EXPECT_EQ(doc[1]["resolved"], true);
  EXPECT_EQ(doc[1]["subjectArea"], "4004:4");
  EXPECT_EQ(doc[1]["pairs"].size(), 3u);
}

TEST(CmdResolve, UnknownUserIsNamed) {
  ToolRun user = Resolve({"--user", "nobody", "Sales.Orders"});
  EXPECT_EQ(user.exitCode, 1);
  EXPECT_NE(user.err.find("no user named 'nobody'"), std::string::npos) << user.err;
}

}  // namespace
