// The exit codes, command by command, as a script reads them: 0 done or
// nothing found wrong, 1 findings or not found, 2 bad usage, 3 an input that
// could not be read or an output that could not be written. (The bad usage
// whose message CmdUsage pins is not repeated here.)
#include <gtest/gtest.h>

#include <filesystem>
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
  const std::string passphrases[] = {"SMUTIL_OLD_PASSPHRASE=sample-pass-phrase", "SMUTIL_NEW_PASSPHRASE=x"};
  const Case cases[] = {
      // check: findings are 1, a file that does not load is 3
      {0, {"--repo", kSample, "check"}},
      {1, {"--repo", kBroken, "check"}},
      {2, {"check", "--format", "yaml"}},
      {3, {"--repo", garbage, "check"}},
      {3, {"--repo", Path("missing.xml"), "check"}},
      {3, {"--repo", "/nonexistent/r.xml", "names", "--type", "DATABASE"}},
      // show, find, names, dict, deps: not found is 1
      {0, {"show", "--type", "TABLE", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\""}},
      {1, {"show", "--type", "TABLE", "No.Such.Table"}},
      {2, {"show", "--type", "NO SUCH TYPE", "x"}},
      {2, {"show"}},
      {3, {"--repo", garbage, "show", "--type", "TABLE", "x"}},
      {0, {"find", "--type", "PRESENTATION TABLE", "Customers"}},
      {1, {"find", "--type", "TABLE", "NoSuchTable"}},
      {2, {"find", "--type", "TABLE", ""}},
      {2, {"find", "Orders"}},
      {2, {"find", "--type", "TABLE"}},
      {2, {"find", "--type"}},
      {3, {"--repo", garbage, "find", "--type", "TABLE", "x"}},
      {0, {"names", "--type", "DATABASE"}},
      {1, {"names", "--type", "COLUMN", "--parent-type", "TABLE", "--parent", "No.Such"}},
      {2, {"names", "--type", "NO SUCH TYPE"}},
      {2, {"names", "--lang", "fr", "--type", "4004"}},
      {3, {"--repo", garbage, "names", "--type", "DATABASE"}},
      {0, {"dict", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\""}},
      {1, {"dict", "No.Such"}},
      {2, {"dict", "--type", "NO SUCH TYPE"}},
      {3, {"--repo", garbage, "dict"}},
      {0, {"deps", "--type", "TABLE", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_REGION_D\""}},
      {1, {"deps", "--type", "TABLE", "No.Such"}},
      {2, {"deps", "--bogus"}},
      {2, {"deps"}},
      {2, {"deps", "x"}},
      {2, {"deps", "--type", "TABLE"}},
      {2, {"deps", "--type", "BOGUS", "X"}},
      {2, {"deps", "--format", "xml", "--type", "TABLE", "X"}},
      {3, {"--repo", garbage, "deps", "--type", "TABLE", "x"}},
      // render and format
      {0, {"render", "--expr", "Add(1,2)"}},
      {1, {"render", "--expr", "#9999:1"}},
      {1, {"render", "--type", "LOGICAL COLUMN", "No.Such.Column"}},
      {2, {"render"}},
      {3, {"--repo", garbage, "render", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue"}},
      {0, {"format", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue"}},
      {1, {"format", "--type", "LOGICAL COLUMN", "No.Such.Column"}},
      {2, {"format", "--bogus"}},
      {3, {"--repo", garbage, "format", "--type", "LOGICAL COLUMN", "Sales.Orders.Revenue"}},
      // message, resolve, query, subst, scripts
      {0, {"message", "38009", "2006:1"}},
      {2, {"message"}},
      {3, {"--repo", garbage, "message", "38009", "2006:1"}},
      {0, {"resolve", "Sales.Orders"}},
      {1, {"resolve", "No.Such"}},
      {2, {"resolve", "--bogus"}},
      {2, {"resolve"}},
      {3, {"--repo", garbage, "resolve", "Sales.Orders"}},
      {0, {"query", "--fq", kQuery}},
      {2, {"query"}},
      {2, {"query", "--bogus", "x"}},
      {3, {"query", "--fq", Path("missing.qry")}},
      {3, {"--repo", garbage, "query", "--fq", kQuery}},
      {0, {"subst", "VALUEOF(VX_SESSION.APP_ROLE)"}},
      {2, {"subst", "--bogus"}},
      {3, {"--repo", garbage, "subst", "VALUEOF(VX_SESSION.APP_ROLE)"}},
      {1, {"scripts", "No.Such"}},
      {3, {"--repo", garbage, "scripts", "No.Such"}},
      // the presentation layer
      {0, {"siblings", "\"Sales Analysis\"..\"Time\".\"Month\""}},
      {1, {"siblings", "No.Such"}},
      {3, {"--repo", garbage, "siblings", "No.Such"}},
      {2, {"siblings", "--type", "4030", "X"}},
      {2, {"siblings"}},
      {0, {"project", "Sales Reporting"}},
      {1, {"project", "No Such Project"}},
      {3, {"--repo", garbage, "project", "x"}},
      {2, {"project"}},
      {1, {"drill", "--type", "PRESENTATION LEVEL", "No.Such"}},
      {3, {"--repo", garbage, "drill", "--type", "PRESENTATION LEVEL", "No.Such"}},
      {2, {"drill", "--type", "TABLE", "X"}},
      {2, {"drill"}},
      // commands that write
      {0, {"convert", kSample, out}},
      {2, {"convert", "a"}},
      {3, {"convert", garbage, out}},
      {3, {"convert", kSample, kNoDir + "/out.rpd.xml"}},
      {0, {"generate", "50", out}},
      {2, {"generate"}},
      {2, {"generate", "ten", out}},
      {2, {"generate", "10"}},
      {3, {"generate", "50", kNoDir + "/out.rpd.xml"}},
      {0, {"sanitize", kSample, out}},
      {3, {"sanitize", garbage, out}},
      {3, {"sanitize", kSample, kNoDir + "/out.rpd.xml"}},
      {0, {"archive", kSample, Path("sample.rpa")}},
      {3, {"archive", garbage, Path("sample.rpa")}},
      {3, {"archive", kSample, kNoDir + "/sample.rpa"}},
      {0, {"externalize", "--type", "PRESENTATION COLUMN", "4010:1", "--save", out}},
      {1, {"externalize", "--type", "PRESENTATION COLUMN", "No.Such", "--save", out}},
      {2, {"externalize"}},
      {3, {"--repo", garbage, "externalize", "--save", out}},
      {3, {"externalize", "--save", kNoDir + "/out.rpd.xml"}},
      {0,
       {"move", "--type", "CUBE COLUMN", "\"Sales OLAP\".\"SalesCubes\"..\"Sales\".\"Units\"", "--to-type",
        "CUBE TABLE", "\"Sales OLAP\".\"SalesCubes\"..\"Sales\"", "--save", out}},
      {1, {"move", "--type", "TABLE", "No.Such", "--to-type", "SCHEMA", "No.Schema", "--save", out}},
      {3, {"--repo", garbage, "move", "--type", "TABLE", "x", "--to-type", "SCHEMA", "y", "--save", out}},
      {2, {"move", "--type", "CUBE COLUMN", "X"}},
      {2, {"move", "--type", "CUBE COLUMN", "X", "--to-type", "CUBE TABLE"}},
      {2, {"move", "--type", "BOGUS", "X", "--to-type", "CUBE TABLE", "Y"}},
      {0, {"site", Path("site")}},
      {3, {"--repo", garbage, "site", Path("site")}},
      {2, {"site", "--type", "NO SUCH TYPE", Path("site")}},
      {0, {"translations", "export", "--lang", "fr", Path("fr.xlf")}},
      {2, {"translations", "export", Path("fr.xlf")}},
      {2, {"translations"}},
      {3, {"--repo", garbage, "translations", "export", "--lang", "fr", Path("fr.xlf")}},
      {3, {"translations", "import", "--bundles", Path("b.db"), Path("missing.xlf")}},
      {1, {"translations", "check", "--lang", "fr", "--bundles", std::string(SMUTIL_GENERATED_DIR) + "/bundles.db"}},
      // lsp: the input (here empty) ends without shutdown and exit: 1
      {1, {"lsp"}},
      {2, {"lsp", "--frob"}},
      {3, {"--repo", garbage, "lsp"}},
      {3, {"lsp", "--user", "nobody"}},
      // no repository
      {0, {"quote", "A", "B"}},
      {2, {"quote"}},
      {0, {"parse", "\"A\".\"B\""}},
      {0, {"split", "A.B"}},
      {0, {"vars", "VALUEOF(VX_SESSION.USER)"}},
      {2, {"vars"}},
      {2, {"vars", "--pattern"}},
      {2, {"vars", "--pattern", "valueof("}},
      {2, {"vars", "--pattern", "", "x"}},
      {0, {"help", "translations", "export"}},
      {0, {"version"}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
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
  // rekey rewrites its file: a copy of the sample.
  std::filesystem::copy_file(kSample, Path("copy.rpd.xml"));
  EXPECT_EQ(RunTool({"rekey", Path("copy.rpd.xml")}, {passphrases[0], passphrases[1]}).exitCode, 0);
  EXPECT_EQ(RunTool({"rekey", garbage}, {passphrases[0], passphrases[1]}).exitCode, 3);
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
