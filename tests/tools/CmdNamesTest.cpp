// quote, parse, split and names, run as a user runs them.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {
using cmdtest::RunTool;

TEST(CmdNames, QuoteParseAndSplit) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"quote", "Sales", "Order \"Lines\"", "Amount"}, "\"Sales\".\"Order \"\"Lines\"\"\".\"Amount\"\n"},
      {{"quote", "A", "", "Z"}, "\"A\"..\"Z\"\n"},
      {{"quote", "", "B"}, "\"\".\"B\"\n"},
      {{"parse", "\"A\".\"B\""}, "1\tA\n2\tB\n"},
      {{"parse", "\"A\"..\"B\""}, "1\tA\n2\t\n3\tB\n"},
      {{"parse", "A.B"}, "1\tA.B\n"},  // unquoted text is one segment
      {{"parse", ""}, ""},
      {{"split", "A.B.Z"}, "1\tA\n2\tB\n3\tZ\n"},
      {{"split", "\"A.B\".Z"}, "1\tA.B\n2\tZ\n"},
  };
  for (const Case& c : cases) {
    const auto r = RunTool(c.args);
    EXPECT_EQ(r.exitCode, 0) << c.args[1] << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
  }
}

TEST(CmdNames, NamesTakenUnderAParentAndAtTheTop) {
  auto r = RunTool(
      {"names", "--type", "presentation table", "--parent-type", "CATALOG FOLDER", "--parent", "Sales Analysis"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Former names come right after the current name.
  EXPECT_EQ(r.out, "Orders\nCustomers\nCustomer\nClients\nProducts\nTime\nMargins\n");
  r = RunTool({"names", "--type", "4004"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Sales Analysis\nSales\n", 0), 0u) << r.out;
}

TEST(CmdNames, ErrorsAndExitCodes) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* err;
  } cases[] = {
      {{"quote"}, 2, "smutil quote: NAME is required"},
      {{"parse", "a", "b"}, 2, "smutil parse: unexpected argument 'b'"},
      {{"names"}, 2, "smutil names: --type is required"},
      {{"names", "--type", "NO SUCH TYPE"}, 2, "unknown type 'NO SUCH TYPE'"},
      {{"names", "--type", "99999"}, 2, "not a type id"},
      {{"names", "--type", "TABLE", "--parent-type", "SCHEMA", "--parent", "nowhere"}, 1, "no SCHEMA (3027)"},
      {{"--repo", "/nonexistent.xml", "names", "--type", "TABLE"}, 3, "cannot load repository /nonexistent.xml"},
  };
  for (const Case& c : cases) {
    const auto r = RunTool(c.args);
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
