// quote, parse, split and names, run as a user runs them.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {
using cmdtest::RunTool;

TEST(CmdNames, QuoteParseSplitAndNamesWithTheirErrors) {
  cmdtest::ExpectRuns({
      {{"quote", "Sales", "Order \"Lines\"", "Amount"}, 0, "\"Sales\".\"Order \"\"Lines\"\"\".\"Amount\"\n"},
      {{"quote", "A", "", "Z"}, 0, "\"A\"..\"Z\"\n"},
      {{"quote", "", "B"}, 0, "\"\".\"B\"\n"},
      {{"parse", "\"A\".\"B\""}, 0, "1\tA\n2\tB\n"},
      {{"parse", "\"A\"..\"B\""}, 0, "1\tA\n2\t\n3\tB\n"},
      // Text that is not quoted segments comes back whole, as typed.
      {{"parse", "A.B"}, 0, "1\tA.B\n"},
      {{"parse", "A..B"}, 0, "1\tA..B\n"},
      {{"parse", "\"A\".B"}, 0, "1\t\"A\".B\n"},
      {{"parse", "A\"\"B"}, 0, "1\tA\"\"B\n"},
      {{"parse", ""}, 0, ""},
      {{"split", "A.B.Z"}, 0, "1\tA\n2\tB\n3\tZ\n"},
      {{"split", "\"A.B\".Z"}, 0, "1\tA.B\n2\tZ\n"},
      // Former names come right after the current name.
      {{"names", "--type", "presentation table", "--parent-type", "CATALOG FOLDER", "--parent", "Sales Analysis"},
       0,
       "Orders\nCustomers\nCustomer\nClients\nProducts\nTime\nMargins\n"},
      {{"quote"}, 2, "", "smutil quote: NAME is required"},
      {{"names"}, 2, "", "smutil names: --type is required"},
      {{"names", "--type", "NO SUCH TYPE"}, 2, "", "unknown type 'NO SUCH TYPE'"},
      {{"names", "--type", "99999"}, 2, "", "not a type id"},
      {{"names", "--type", "TABLE", "--parent-type", "SCHEMA", "--parent", "nowhere"}, 1, "", "no SCHEMA (3027)"},
      {{"--repo", "/nonexistent.xml", "names", "--type", "TABLE"}, 3, "", "cannot load repository /nonexistent.xml"},
  });
}

TEST(CmdNames, NamesAtTheTop) {
  const auto r = RunTool({"names", "--type", "4004"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Sales Analysis\nSales\n", 0), 0u) << r.out;
}

}  // namespace
