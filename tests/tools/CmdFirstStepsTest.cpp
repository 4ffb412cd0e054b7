// What a new user meets first: names that go through quote and parse
// unchanged, types named as users name them, answers that are not silently
// empty, and the repository a command reads when --repo is not given.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

const std::string kSamples = SMUTIL_SAMPLES_DIR;
const std::string kSample = kSamples + "/sample.rpd.xml";
const std::string kBroken = kSamples + "/broken.rpd.xml";

TEST(CmdFirstSteps, ParseUndoesQuote) {
  struct Case {
    std::vector<std::string> segments;
  };
  const Case cases[] = {
      {{"Sales", "Order \"Lines\"", "Amount"}},
      {{"\"", "\"\""}},
      {{"A.B", "", "C"}},
      {{"Kunden & Märkte"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"quote", "--"};
    args.insert(args.end(), c.segments.begin(), c.segments.end());
    const ToolRun quoted = RunTool(args);
    ASSERT_EQ(quoted.exitCode, 0) << quoted.err;
    ASSERT_FALSE(quoted.out.empty());
    const ToolRun parsed = RunTool({"parse", quoted.out.substr(0, quoted.out.size() - 1)});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
    std::string expected;
    for (std::size_t i = 0; i < c.segments.size(); ++i) {
      expected += std::to_string(i + 1) + (c.segments[i].empty() ? "" : "\t" + c.segments[i]) + "\n";
    }
    // An empty segment prints as its number and a tab.
    std::string printed;
    for (const std::string& line : cmdtest::Lines(parsed.out))
      printed += (line.back() == '\t' ? line.substr(0, line.size() - 1) : line) + "\n";
    EXPECT_EQ(printed, expected) << quoted.out;
  }
}

TEST(CmdFirstSteps, EverydayTypeNamesAndShortCodes) {
  struct Case {
    std::string type;
    std::string name;
    std::string typeLine;
  };
  const Case cases[] = {
      {"PRESENTATION SUBJECT AREA", "Sales Analysis", "type     CATALOG FOLDER (4004)"},
      {"presentation_subject_area", "Sales Analysis", "type     CATALOG FOLDER (4004)"},
      {"BUSINESS MODEL", "Sales", "type     SUBJECT AREA (2000)"},
      {"PRCAT", "Sales Analysis", "type     CATALOG FOLDER (4004)"},
      {"lt", "Sales.Orders", "type     LOGICAL TABLE (2035)"},
      {"VARIABLE", "COMPANY_NAME", "type     RP VARIABLE (3031)"},
  };
  for (const Case& c : cases) {
    const ToolRun r = RunTool({"--repo", kSample, "show", "--type", c.type, c.name});
    ASSERT_EQ(r.exitCode, 0) << c.type << "\n" << r.err;
    EXPECT_NE(r.out.find(c.typeLine + "\n"), std::string::npos) << c.type << "\n" << r.out;
  }
}

// SUBJECT AREA is the catalogue's business model; a user asking for the
// presentation one is told where the name is rather than given a guess.
TEST(CmdFirstSteps, ANameUnderAnotherTypeIsPointedTo) {
  const ToolRun r = RunTool({"--repo", kSample, "show", "--type", "SUBJECT AREA", "Sales Analysis"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("smutil show: no SUBJECT AREA (2000, business model) named \"Sales Analysis\""),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("  a PRESENTATION SUBJECT AREA (4004) has that name: --type 'PRESENTATION SUBJECT AREA'\n"),
            std::string::npos)
      << r.err;
  // The same through the commands that find one object of a type.
  const ToolRun deps = RunTool({"--repo", kSample, "deps", "--type", "BUSINESS MODEL", "Sales Analysis"});
  EXPECT_EQ(deps.exitCode, 1);
  EXPECT_NE(deps.err.find("a PRESENTATION SUBJECT AREA (4004) has that name"), std::string::npos) << deps.err;
}

TEST(CmdFirstSteps, ShortCodesAreExplainedWhereShown) {
  const ToolRun one = RunTool({"--repo", kSample, "dict", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\""});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_NE(one.out.find("short name  PT (TABLE)\n"), std::string::npos) << one.out;
  const ToolRun column = RunTool({"--repo", kSample, "dict", "4010:3"});
  ASSERT_EQ(column.exitCode, 0) << column.err;
  EXPECT_NE(column.out.find("short name  PRC (presentation column)\n"), std::string::npos) << column.out;
  const ToolRun help = RunTool({"help", "dict"});
  ASSERT_EQ(help.exitCode, 0);
  for (const char* item : {" LT LOGICAL TABLE,", " PRC FOLDER ATTRIBUTE,", " LLEV LEVEL,", " VAR RP VARIABLE."}) {
    EXPECT_NE(help.out.find(item), std::string::npos) << item << "\n" << help.out;
  }
}

TEST(CmdFirstSteps, EmptyRenderingsAreNotSilent) {
  const ToolRun noExpr = RunTool({"--repo", kSample, "render", "--type", "LOGICAL COLUMN", "Sales.Orders.Quantity"});
  EXPECT_EQ(noExpr.exitCode, 1);
  EXPECT_EQ(noExpr.out, "");
  EXPECT_EQ(noExpr.err,
            "smutil render: ATTRIBUTE (2006, logical column) \"Sales\".\"Orders\".\"Quantity\" has no expression\n");
  const ToolRun gone = RunTool({"--repo", kSample, "render", "--expr", "Add(#9999:1,1)"});
  EXPECT_EQ(gone.exitCode, 1);
  EXPECT_NE(gone.err.find("smutil render: #9999:1 names no object in " + kSample), std::string::npos) << gone.err;
  // A rendering whose references all resolve says nothing more.
  const ToolRun fine = RunTool({"--repo", kSample, "render", "--expr", "Add(#2006:1,1)"});
  EXPECT_EQ(fine.exitCode, 0) << fine.err;
  EXPECT_EQ(fine.err, "");
}

class DefaultRepository : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch.Path(name); }
  testutil::ScratchDir scratch;
  const std::filesystem::path dir = scratch.Dir();
};

TEST_F(DefaultRepository, ChosenByEnvironmentThenConfigurationThenSample) {
  const std::string config = Path("config.ini");
  std::filesystem::copy_file(kBroken, Path("defects.rpd.xml"));
  std::ofstream(config) << "[Repository]\nLogicalName = Defects\nPath = defects.rpd.xml\n";
  // The broken sample has business model Defects, the sample has none.
  const std::vector<std::string> show{"show", "--type", "BUSINESS MODEL", "Defects"};
  struct Case {
    std::vector<std::string> env;
    int exitCode;
    std::string helpSource;
  };
  const Case cases[] = {
      {{"SMUTIL_REPO", "SMUTIL_CONFIG"}, 1, "(the first repository of the configuration file "},
      {{"SMUTIL_REPO", "SMUTIL_CONFIG=" + config}, 0, "(the first repository of the configuration file " + config},
      {{"SMUTIL_REPO=" + kBroken, "SMUTIL_CONFIG"}, 0, "(the environment variable SMUTIL_REPO"},
      {{"SMUTIL_REPO=" + kSample, "SMUTIL_CONFIG=" + config}, 1, "(the environment variable SMUTIL_REPO"},
  };
  for (const Case& c : cases) {
    const std::string label = c.env[0] + " " + c.env[1];
    EXPECT_EQ(RunTool(show, c.env).exitCode, c.exitCode) << label;
    const ToolRun help = RunTool({"help", "show"}, c.env);
    ASSERT_EQ(help.exitCode, 0) << label;
    EXPECT_NE(help.out.find("Repository: commands that read one read "), std::string::npos) << help.out;
    EXPECT_NE(help.out.find(c.helpSource), std::string::npos) << label << "\n" << help.out;
  }
  // --repo wins over both.
  EXPECT_EQ(RunTool({"--repo", kSample, "show", "--type", "BUSINESS MODEL", "Defects"},
                    {"SMUTIL_REPO=" + kBroken, "SMUTIL_CONFIG=" + config})
                .exitCode,
            1);
}

TEST_F(DefaultRepository, ABrokenConfigurationIsNamed) {
  const std::string config = Path("bad.ini");
  std::ofstream(config) << "[Repository]\nNoSuchKey = 1\n";
  const ToolRun r = RunTool({"show", "--type", "TABLE", "x"}, {"SMUTIL_REPO", "SMUTIL_CONFIG=" + config});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("smutil: cannot read the system configuration " + config + ":2: "), std::string::npos) << r.err;
}

}  // namespace
