// The vars command, run as a user would run it: the built tool in a child
// process, its output and exit code checked.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::ReadFile;
using cmdtest::RunTool;
using cmdtest::ToolRun;

ToolRun RunVarsTool(std::vector<std::string> args) {
  args.insert(args.begin(), "vars");
  return RunTool(args);
}

TEST(CmdVars, ListsReferencesOnePerLine) {
  const ToolRun r = RunVarsTool({"a VALUEOF(VX_SESSION.USER) b valueof(X) VALUELISTOF(VX.L)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "2\t26\tVX_SESSION\tUSER\n"
            "29\t39\t\tX\n"
            "40\t57\tVX\tL\n");
  EXPECT_EQ(r.err, "");
}

TEST(CmdVars, PositionsCountCharactersNotBytes) {
  const ToolRun r = RunVarsTool({"\xC3\xA9t\xC3\xA9 VALUEOF(\xC3\x9C.x)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "4\t16\t\xC3\x9C\tx\n");
}

TEST(CmdVars, WordsAreJoinedWithOneBlank) {
  const ToolRun r = RunVarsTool({"x", "VALUEOF(A)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2\t12\t\tA\n");
}

TEST(CmdVars, PatternSelectsTheOpening) {
  const ToolRun r = RunVarsTool({"--pattern", "VALUENAMEOF(", "VALUEOF(A) VALUENAMEOF(B.C)"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "11\t27\tB\tC\n");
}

TEST(CmdVars, TextWithoutReferencesOrBrokenOnePrintsNothing) {
  for (const char* text : {"", "plain", "VALUEOF(unclosed", "'VALUEOF(X'"}) {
    const ToolRun r = RunVarsTool({text});
    EXPECT_EQ(r.exitCode, 0) << text;
    EXPECT_EQ(r.out, "") << text;
  }
}

TEST(CmdVars, MissingTextIsUsageError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--pattern"}, {"--pattern", "valueof("}, {"--pattern", "", "x"}}) {
    const ToolRun r = RunVarsTool(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
}

}  // namespace
