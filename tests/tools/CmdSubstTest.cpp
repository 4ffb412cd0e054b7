// The subst and scripts commands, run as a user would run them on the
// sample repository: the built tool in a child process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

TEST(CmdSubst, ExpandsRepositoryAndSessionVariables) {
  const ToolRun r = RunTool(
      {"subst", "--session", "VX_SESSION.APP_ROLE=O'Neil", "--list", "VX_SESSION.SALES_REGIONS=North,East",
       "co=VALUEOF(COMPANY_NAME)", "role=VALUEOF(VX_SESSION.APP_ROLE)", "in=(VALUELISTOF(VX_SESSION.SALES_REGIONS))",
       "second=VALUEOF(1, VX_SESSION.SALES_REGIONS)", "none=VALUEOF(5, VX_SESSION.SALES_REGIONS)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "co=Bramble Retail role=O''Neil in=('North','East') second='East' none=NULL\n");
  EXPECT_EQ(r.err, "");
}

TEST(CmdSubst, NoEscapeLeavesQuotesAndEmptyListGivesNothing) {
  const ToolRun r =
      RunTool({"subst", "--no-escape", "--session", "VX_SESSION.APP_ROLE=O'Neil", "--list",
               "VX_SESSION.SALES_REGIONS=", "[VALUELISTOF(VX_SESSION.SALES_REGIONS)] VALUEOF(VX_SESSION.APP_ROLE)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "[] O'Neil\n");
}

TEST(CmdSubst, UndefinedVariablesAreRemovedOrFailWithStrict) {
  ToolRun r = RunTool({"subst", "a VALUEOF(NOSUCHVAR) b VALUEOF(VX_SESSION.APP_ROLE) c"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "a  b  c\n");

  r = RunTool({"subst", "--strict", "a VALUEOF(NOSUCHVAR) b"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "smutil subst: [23005] Repository variable NOSUCHVAR is not defined, or it is not a static repository "
            "variable whose value can be substituted.\n");

  // A dynamic repository variable is not substituted.
  r = RunTool({"subst", "--strict", "VALUEOF(CURRENT_YEAR)"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("[23005] Repository variable CURRENT_YEAR "), std::string::npos) << r.err;

  r = RunTool({"subst", "--strict", "VALUEOF(VX_SESSION.APP_ROLE)"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "smutil subst: [23006] Session variable APP_ROLE of VX_SESSION has no value in this session. Check that "
            "its initialization block ran and set it.\n");
}

TEST(CmdSubst, BadSessionOptionIsUsageError) {
  for (const char* bad : {"NOBLOCK=1", "VX_SESSION.X", ".X=1", "VX_SESSION.=1"}) {
    const ToolRun r = RunTool({"subst", "--session", bad, "x"});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find("BLOCK.NAME=VALUE"), std::string::npos) << r.err;
  }
}

TEST(CmdScripts, PrintsThePersonalizedScriptsInOrder) {
  const ToolRun r = RunTool({"scripts", "--user", "anna.berg", "--session", "VX_SESSION.APP_ROLE=viewer", "--list",
                             "VX_SESSION.SALES_REGIONS=North,East", "\"Sales DW\".\"Variable Pool\""});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "post-connect\tSET APP_USER = 'anna.berg'\n"
            "post-connect\tSET SEARCH_PATH = dbo\n"
            "pre-disconnect\tCALL LOG_LOGOUT('anna.berg', 'East')\n"
            "before-query\tSET QUERY_TAG = 'viewer@North'\n"
            "before-query\tSET REGION_FILTER = ('North','East')\n"
            "after-query\tSET COMPANY = 'Bramble Retail'\n");
}

TEST(CmdScripts, UserComesFromTheRepositoryCredentials) {
  const ToolRun r = RunTool({"scripts", "--format", "json", "--session", "VX_SESSION.APP_ROLE=viewer", "--list",
                             "VX_SESSION.SALES_REGIONS=North", "Sales DW", "Variable Pool"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"afterQuery\":[\"SET COMPANY = 'Bramble Retail'\"],"
            "\"beforeQuery\":[\"SET QUERY_TAG = 'viewer@North'\",\"SET REGION_FILTER = ('North')\"],"
            "\"postConnect\":[\"SET APP_USER = 'bi_service'\",\"SET SEARCH_PATH = dbo\"],"
            "\"preDisconnect\":[\"CALL LOG_LOGOUT('bi_service', NULL)\"]}\n");
}

TEST(CmdScripts, UnsetSessionVariableOrUnknownPoolFails) {
  ToolRun r = RunTool({"scripts", "\"Sales DW\".\"Variable Pool\""});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("smutil scripts: [23006] Session variable "), std::string::npos) << r.err;

  r = RunTool({"scripts", "\"Sales DW\".\"No Such Pool\""});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("smutil scripts: no CONNECTION POOL"), std::string::npos) << r.err;
}

}  // namespace
