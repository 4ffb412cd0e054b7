// The exit codes, command by command, as a script reads them: 0 done or
// nothing found wrong, 1 findings or not found, 2 bad usage, 3 an input that
// could not be read or an output that could not be written. (A run another
// test pins with its output or message is not repeated here.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "common/ScratchDir.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

const std::string kSamples = SMUTIL_SAMPLES_DIR;
const std::string kSample = kSamples + "/sample.rpd.xml";
const std::string kBroken = kSamples + "/broken.rpd.xml";
const std::string kQuery = kSamples + "/queries/orders_by_region.qry";
// A folder that cannot be there, so nothing can be written into it.
const std::string kNoDir = "/nonexistent-smutil-dir";

class ExitCodes : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("garbage.xml", "this is not a repository\n"); }
  std::string Path(const std::string& name) const { return dir.Path(name); }
  testutil::ScratchDir dir;
};

struct Case {
  int expected;
  std::vector<std::string> args;
};

TEST_F(ExitCodes, EveryCommand) {
  const std::string garbage = Path("garbage.xml"), out = Path("out.rpd.xml");
  const Case cases[] = {
      // check: findings are 1, a file that does not load is 3
      {1, {"--repo", kBroken, "check"}},
      {3, {"--repo", Path("missing.xml"), "check"}},
      // show, find, names, dict, deps
      {2, {"show", "--type", "NO SUCH TYPE", "x"}},
      {2, {"show"}},
      {3, {"--repo", garbage, "show", "--type", "TABLE", "x"}},
      {2, {"find", "--type", "TABLE", ""}},
      {2, {"find", "Orders"}},
      {2, {"find", "--type", "TABLE"}},
      {2, {"find", "--type"}},
      {3, {"--repo", garbage, "find", "--type", "TABLE", "x"}},
      {2, {"names", "--lang", "fr", "--type", "4004"}},
      {3, {"--repo", garbage, "names", "--type", "DATABASE"}},
      {2, {"dict", "--type", "NO SUCH TYPE"}},
      {3, {"--repo", garbage, "dict"}},
      {2, {"deps", "--bogus"}},
      {2, {"deps"}},
      {2, {"deps", "x"}},
      {2, {"deps", "--type", "TABLE"}},
      {2, {"deps", "--type", "BOGUS", "X"}},
      {2, {"deps", "--format", "xml", "--type", "TABLE", "X"}},
      {3, {"--repo", garbage, "deps", "--type", "TABLE", "x"}},
      // render and format
      {2, {"render"}},
      {3, {"--repo", garbage, "render", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue"}},
      {2, {"format", "--bogus"}},
      {3, {"--repo", garbage, "format", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue"}},
      // message, resolve, query, subst, scripts
      {2, {"message"}},
      {3, {"--repo", garbage, "message", "38009", "2006:1"}},
      {2, {"resolve", "--bogus"}},
      {2, {"resolve"}},
      {3, {"--repo", garbage, "resolve", "Sales.Orders"}},
      {2, {"query"}},
      {2, {"query", "--bogus", "x"}},
      {3, {"query", "--fq", Path("missing.qry")}},
      {3, {"--repo", garbage, "query", "--fq", kQuery}},
      {2, {"subst", "--bogus"}},
      {3, {"--repo", garbage, "subst", "VALUEOF(VX_SESSION.APP_ROLE)"}},
      {3, {"--repo", garbage, "scripts", "No.Such"}},
      // the presentation layer
      {3, {"--repo", garbage, "siblings", "No.Such"}},
      {2, {"siblings", "--type", "4030", "X"}},
      {2, {"siblings"}},
      {3, {"--repo", garbage, "project", "x"}},
      {2, {"project"}},
      {3, {"--repo", garbage, "drill", "--type", "PRESENTATION LEVEL", "No.Such"}},
      {2, {"drill", "--type", "TABLE", "X"}},
      {2, {"drill"}},
      // commands that write
      {2, {"convert", "a"}},
      {3, {"convert", kSample, kNoDir + "/out.rpd.xml"}},
      {2, {"generate"}},
      {2, {"generate", "ten", out}},
      {2, {"generate", "10"}},
      {3, {"generate", "50", kNoDir + "/out.rpd.xml"}},
      {3, {"sanitize", garbage, out}},
      {3, {"sanitize", kSample, kNoDir + "/out.rpd.xml"}},
      {3, {"archive", garbage, Path("sample.rpa")}},
      {3, {"archive", kSample, kNoDir + "/sample.rpa"}},
      {2, {"externalize"}},
      {3, {"--repo", garbage, "externalize", "--save", out}},
      {3, {"externalize", "--save", kNoDir + "/out.rpd.xml"}},
      {3, {"--repo", garbage, "move", "--type", "TABLE", "x", "--to-type", "SCHEMA", "y", "--save", out}},
      {2, {"move", "--type", "CUBE COLUMN", "X"}},
      {2, {"move", "--type", "CUBE COLUMN", "X", "--to-type", "CUBE TABLE"}},
      {2, {"move", "--type", "BOGUS", "X", "--to-type", "CUBE TABLE", "Y"}},
      {3, {"--repo", garbage, "site", Path("site")}},
      {2, {"site", "--type", "NO SUCH TYPE", Path("site")}},
      {2, {"translations", "export", Path("fr.xlf")}},
      {2, {"translations"}},
      {3, {"--repo", garbage, "translations", "export", "--lang", "fr", Path("fr.xlf")}},
      // lsp: the input (here empty) ends without shutdown and exit: 1
      {1, {"lsp"}},
      {2, {"lsp", "--frob"}},
      {3, {"--repo", garbage, "lsp"}},
      {3, {"lsp", "--user", "nobody"}},
      // no repository
      {2, {"vars"}},
      {2, {"vars", "--pattern"}},
      {2, {"vars", "--pattern", "valueof("}},
      {2, {"vars", "--pattern", "", "x"}},
  };
  for (const Case& c : cases) {
    const std::string line = cmdtest::CommandLine(c.args);
    const ToolRun r = RunTool(c.args);
    EXPECT_EQ(r.exitCode, c.expected) << line << "\n" << r.err;
    // A refusal says why on standard error, and bad usage prints nothing else.
    if (c.expected >= 2) {
      EXPECT_NE(r.err, "") << line;
    }
    if (c.expected == 2) {
      EXPECT_EQ(r.out, "") << line;
    }
  }
  EXPECT_EQ(
      RunTool({"rekey", garbage}, {"SMUTIL_OLD_PASSPHRASE=sample-pass-phrase", "SMUTIL_NEW_PASSPHRASE=x"}).exitCode, 3);
}

// A repository file that does not load is named with its line and column,
// in words about the file rather than the parser.
TEST_F(ExitCodes, AFileThatIsNotARepositorySaysWhere) {
  const ToolRun r = RunTool({"--repo", Path("garbage.xml"), "check"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot load repository " + Path("garbage.xml") + " (line 1, column 1): "), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("scanNext"), std::string::npos) << r.err;
}

}  // namespace
