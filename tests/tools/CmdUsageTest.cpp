// The command line's conventions, run as a user runs the tool: usage and
// help, exit codes (0 done, 1 findings or not found, 2 bad usage, 3 an input or
// output that failed) and the message that names what was wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;

TEST(CmdUsage, NoCommandPrintsUsageAndExitsTwo) {
  const ToolRun r = RunTool({});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Usage: smutil"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("show"), std::string::npos) << r.err;
}

TEST(CmdUsage, HelpAndVersion) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"help"}}) {
    const ToolRun r = RunTool(args);
    EXPECT_EQ(r.exitCode, 0) << args[0];
    EXPECT_NE(r.out.find("Usage: smutil"), std::string::npos) << r.out;
    // Every command is listed, and the exit codes are told.
    for (const char* cmd : {"convert", "dict", "find", "generate", "message", "names", "parse", "query", "quote",
                            "render", "show", "split", "vars", "version"}) {
      EXPECT_NE(r.out.find(std::string("\n  ") + cmd + " "), std::string::npos) << cmd;
    }
    EXPECT_NE(r.out.find("Exit codes: 0 done (nothing found wrong), 1 findings or not found, 2 bad usage,\n"
                         "3 an input could not be read or an output could not be written."),
              std::string::npos);
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"version"}, {"--version"}}) {
    const ToolRun r = RunTool(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "smutil 0.2.0\n");
  }
}

// Help for one command, by "help" or by its own --help: its usage line and
// options, not those of the others; an unknown command is named.
TEST(CmdUsage, HelpForOneCommand) {
  struct Case {
    std::vector<std::string> command;
    std::string usage;
    std::vector<std::string> options;
    std::string absent;  // what only another command's help holds
  };
  const Case cases[] = {
      {{"find"}, "Usage: smutil find [OPTIONS] NAME...", {"--aliases", "--format"}, "generate"},
      {{"translations", "export"},
       "Usage: smutil translations export [OPTIONS] OUT",
       {"--lang"},
       "--bundles FILE REQUIRED"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> viaHelp{"help"}, viaFlag = c.command;
    viaHelp.insert(viaHelp.end(), c.command.begin(), c.command.end());
    viaFlag.push_back("--help");
    for (const std::vector<std::string>& args : {viaHelp, viaFlag}) {
      const ToolRun r = RunTool(args);
      ASSERT_EQ(r.exitCode, 0) << r.err;
      EXPECT_NE(r.out.find(c.usage), std::string::npos) << r.out;
      for (const std::string& option : c.options) EXPECT_NE(r.out.find(option), std::string::npos) << option;
      EXPECT_EQ(r.out.find(c.absent), std::string::npos) << r.out;
    }
  }
  cmdtest::ExpectRuns({
      {{"help", "frobnicate"}, 2, "", "unknown command 'frobnicate'"},
      {{"help", "translations", "frobnicate"}, 2, "", "unknown command 'translations frobnicate'"},
      {{"translations"}, 2, "", "smutil translations: give one of the commands export, import or check\n"},
  });
}

// Each bad command line exits 2 with one message naming what was wrong, and
// prints nothing on standard output.
TEST(CmdUsage, BadUsageNamesTheProblem) {
  cmdtest::ExpectRefusals(
      2, {
             {{"--repo"}, "smutil: option --repo needs a file\n"},
             {{"show", "--type"}, "smutil show: option --type needs a type\n"},
             {{"find", "--type", "TABLE", "Orders", "--type"}, "smutil find: option --type needs a type\n"},
             {{"query", "--query"}, "smutil query: option --query needs a name\n"},
             {{"vars", "--bogus"}, "smutil vars: unknown option '--bogus'\n"},
             {{"vars", "--bogus", "text"}, "smutil vars: unknown option '--bogus'\n"},
             {{"--bogus", "version"}, "smutil version: unknown option '--bogus'\n"},
             {{"parse", "a", "b"}, "smutil parse: unexpected argument 'b'\n"},
             {{"convert", "a", "b", "c"}, "smutil convert: unexpected argument 'c'\n"},
             {{"dict", "a", "b"}, "smutil dict: unexpected argument 'b'\n"},
             {{"frobnicate"}, "smutil: unknown command 'frobnicate'\n"},
             {{"show", "--type", "TABLE"}, "smutil show: QNAME is required\n"},
             {{"show", "Orders"}, "smutil show: --type is required\n"},
             // A wrong value names what was expected: the words or the range.
             {{"message", "38x"}, "smutil message: ID: '38x' is not a message number from 1 to 18446744073709551615\n"},
             {{"generate", "0", "/tmp/never-written.xml"},
              "smutil generate: N: '0' is not a number of objects from 1 to 50000000\n"},
             {{"generate", "5", "/tmp/never-written.xml", "--seed", "-1"},
              "smutil generate: --seed: '-1' is not a seed from 0 to 18446744073709551615\n"},
             {{"show", "--type", "TABLE", "--format", "yaml", "x"},
              "smutil show: --format: 'yaml' is not one of text or json\n"},
             {{"check", "--format", "XML"}, "smutil check: --format: 'XML' is not one of text, json or sarif\n"},
             {{"check", "--max-severity", "fatal"},
              "smutil check: --max-severity: 'fatal' is not one of warning or error\n"},
             {{"sql", "check", "--format", "yaml", "q.sql"},
              "smutil sql check: --format takes text, json or sarif, not 'yaml'\n"},
             {{"resolve", "--layer", "middle", "x"},
              "smutil resolve: --layer takes presentation, business or physical, not 'middle'\n"},
             {{"subst", "--session", "REGION", "x"},
              "smutil subst: --session: expected BLOCK.NAME=VALUE, not \"REGION\"\n"},
             {{"render", "--rename-db", "A", "--expr", "1"}, "smutil render: --rename-db wants OLD=NEW, not 'A'\n"},
             {{"names", "--type", "TABLE", "--parent", "X"}, "smutil names: --parent requires --parent-type\n"},
             {{"render", "--type", "TABLE", "--expr", "1"}, "smutil render: --type excludes --expr\n"},
         });
}

// A file that does not read is named with the line and column of its first
// fault, in the form editors jump to where the format has one.
TEST(CmdUsage, FileRefusalsNameThePlace) {
  const testutil::ScratchDir scratch;
  const std::string dir = scratch.Path("");
  const std::string repo = scratch.Write("refused.rpd.xml", "<repository format=\"1\">\n  <object id=\"x\"/>\n");
  const std::string query = scratch.Write("refused.qry", "query q\n  select a = 1\n  frobnicate\n");
  const std::string findings = scratch.Write("refused.json", "[\n  {\"check\": }\n]\n");
  const std::string xliff =
      scratch.Write("refused.xlf",
                    "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
                    "<file target-language=\"fr\"><body>\n<trans-unit><source>a</source></trans-unit>\n"
                    "</body></file></xliff>\n");
  cmdtest::ExpectRefusals(
      3, {
             {{"--repo", repo, "names", "--type", "TABLE"},
              "smutil: cannot load repository " + repo + " (line 2, column "},
             // --repo may follow the command.
             {{"names", "--type", "DATABASE", "--repo", "/nonexistent/r.xml"},
              "smutil: cannot load repository /nonexistent/r.xml"},
             {{"check", "--changed-since", repo},
              "smutil check: cannot load the earlier repository " + repo + " (line 2, column "},
             {{"query", query}, "smutil query: " + query + ":3: unknown keyword 'frobnicate'\n"},
             {{"site", "--messages", findings, dir + "refused-site"}, "smutil site: " + findings + ":2:13: not JSON\n"},
             {{"translations", "import", "--bundles", dir + "refused.db", xliff},
              "smutil translations import: " + xliff + ":3:"},
         });
}

TEST(CmdUsage, DoubleDashEndsOptions) {
  // After "--" a word starting with dashes is text, not an option.
  cmdtest::ExpectRuns({
      {{"vars", "--", "--x VALUEOF(VX_SESSION.USER)"}, 0, "4\t28\tVX_SESSION\tUSER\n"},
      {{"quote", "--", "-a", "--b"}, 0, "\"-a\".\"--b\"\n"},
  });
}

// Progress lines are for a person at a terminal; captured standard error
// carries none.
TEST(CmdUsage, NoProgressWhenStandardErrorIsNotATerminal) {
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("g.rpd.xml");
  const ToolRun gen = RunTool({"generate", "2000", out});
  ASSERT_EQ(gen.exitCode, 0) << gen.err;
  EXPECT_EQ(gen.err, "");
  const ToolRun dict = RunTool({"--repo", out, "dict"});
  ASSERT_EQ(dict.exitCode, 0) << dict.err;
  EXPECT_EQ(dict.err, "");
  EXPECT_EQ(dict.out.find('\r'), std::string::npos);
}

// On a terminal (script(1) gives the tool one) the steps are shown on one
// line rewritten in place, and cleared before the result.
TEST(CmdUsage, ProgressOnATerminal) {
  if (access("/usr/bin/script", X_OK) != 0) GTEST_SKIP() << "script(1) is not installed";
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("g.rpd.xml");
  const ToolRun r = cmdtest::RunProgram("/usr/bin/script",
                                        {"-qec", std::string(SMUTIL_TOOL_PATH) + " generate 2000 " + out, "/dev/null"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\rsmutil generate: generating 2000 objects..."), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\rsmutil generate: saving " + out + "..."), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\r\x1b[K2000 objects written to " + out), std::string::npos) << r.out;
}

}  // namespace
