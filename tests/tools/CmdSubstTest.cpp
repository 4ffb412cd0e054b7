// The subst and scripts commands, run as a user would run them on the
// sample repository: the built tool in a child process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

TEST(CmdSubst, RepositoryAndSessionVariables) {
  cmdtest::ExpectRuns(
      {
          {{"--session", "VX_SESSION.APP_ROLE=O'Neil", "--list", "VX_SESSION.SALES_REGIONS=North,East",
            "co=VALUEOF(COMPANY_NAME)", "role=VALUEOF(VX_SESSION.APP_ROLE)",
            "in=(VALUELISTOF(VX_SESSION.SALES_REGIONS))", "second=VALUEOF(1, VX_SESSION.SALES_REGIONS)",
            "none=VALUEOF(5, VX_SESSION.SALES_REGIONS)"},
           0,
           "co=Bramble Retail role=O''Neil in=('North','East') second='East' none=NULL\n"},
          // Without escaping the quotes stay; an empty list gives nothing.
          {{"--no-escape", "--session", "VX_SESSION.APP_ROLE=O'Neil", "--list",
            "VX_SESSION.SALES_REGIONS=", "[VALUELISTOF(VX_SESSION.SALES_REGIONS)] VALUEOF(VX_SESSION.APP_ROLE)"},
           0,
           "[] O'Neil\n"},
          // Undefined variables are removed, or fail with --strict.
          {{"a VALUEOF(NOSUCHVAR) b VALUEOF(VX_SESSION.APP_ROLE) c"}, 0, "a  b  c\n"},
          {{"--strict", "a VALUEOF(NOSUCHVAR) b"},
           1,
           "",
           "smutil subst: [23005] Repository variable NOSUCHVAR is not defined, or it is not a static repository "
           "variable whose value can be substituted.\n"},
          // A dynamic repository variable is not substituted.
          {{"--strict", "VALUEOF(CURRENT_YEAR)"}, 1, "", "smutil subst: [23005] Repository variable CURRENT_YEAR "},
          {{"--strict", "VALUEOF(VX_SESSION.APP_ROLE)"},
           1,
           "",
           "smutil subst: [23006] Session variable APP_ROLE of VX_SESSION has no value in this session. Check that "
           "its initialization block ran and set it.\n"},
          // A session value not written BLOCK.NAME=VALUE is bad usage.
          {{"--session", "NOBLOCK=1", "x"}, 2, "", "BLOCK.NAME=VALUE"},
          {{"--session", "VX_SESSION.X", "x"}, 2, "", "BLOCK.NAME=VALUE"},
          {{"--session", ".X=1", "x"}, 2, "", "BLOCK.NAME=VALUE"},
          {{"--session", "VX_SESSION.=1", "x"}, 2, "", "BLOCK.NAME=VALUE"},
      },
      {"subst"});
}

TEST(CmdScripts, PersonalizedScriptsInOrder) {
  cmdtest::ExpectRuns(
      {
          {{"--user", "anna.berg", "--session", "VX_SESSION.APP_ROLE=viewer", "--list",
            "VX_SESSION.SALES_REGIONS=North,East", "\"Sales DW\".\"Variable Pool\""},
           0,
           "post-connect\tSET APP_USER = 'anna.berg'\n"
           "post-connect\tSET SEARCH_PATH = dbo\n"
           "pre-disconnect\tCALL LOG_LOGOUT('anna.berg', 'East')\n"
           "before-query\tSET QUERY_TAG = 'viewer@North'\n"
           "before-query\tSET REGION_FILTER = ('North','East')\n"
           "after-query\tSET COMPANY = 'Bramble Retail'\n"},
          // Without --user the user comes from the repository's credentials.
          {{"--format", "json", "--session", "VX_SESSION.APP_ROLE=viewer", "--list", "VX_SESSION.SALES_REGIONS=North",
            "Sales DW", "Variable Pool"},
           0,
           "{\"afterQuery\":[\"SET COMPANY = 'Bramble Retail'\"],"
           "\"beforeQuery\":[\"SET QUERY_TAG = 'viewer@North'\",\"SET REGION_FILTER = ('North')\"],"
           "\"postConnect\":[\"SET APP_USER = 'bi_service'\",\"SET SEARCH_PATH = dbo\"],"
           "\"preDisconnect\":[\"CALL LOG_LOGOUT('bi_service', NULL)\"]}\n"},
          // An unset session variable, or a pool that is not there.
          {{"\"Sales DW\".\"Variable Pool\""}, 1, "", "smutil scripts: [23006] Session variable "},
          {{"\"Sales DW\".\"No Such Pool\""}, 1, "", "smutil scripts: no CONNECTION POOL"},
      },
      {"scripts"});
}

}  // namespace
