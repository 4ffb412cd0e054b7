// smutil convert and generate: files written by the tool load back; broken
// input is reported with its line and leaves the output alone.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {
using cmdtest::ReadFile;
using cmdtest::RunTool;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";

TEST(CmdConvert, SampleComesBackByteForByte) {
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("sample.xml");
  const auto r = RunTool({"convert", kSample, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("objects written to"), std::string::npos);
  EXPECT_EQ(ReadFile(out), ReadFile(kSample));
}

TEST(CmdConvert, BrokenInputNamesLineAndLeavesOutputAlone) {
  const testutil::ScratchDir dir;
  const std::string in = dir.Write("broken.xml",
                                   "<?xml version=\"1.0\"?>\n<repository format=\"1\">\n"
                                   "<object id=\"3001:1\" name=\"T\" parent=\"3023:9\"/>\n</repository>\n");
  const std::string out = dir.Write("untouched.xml", "keep");
  const auto r = RunTool({"convert", in, out});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("(line 3, column"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("dangling reference: parent 3023:9"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(out), "keep");
}

TEST(CmdGenerate, WritesExactlyNObjectsThatTheOtherCommandsRead) {
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("generated.xml");
  auto r = RunTool({"generate", "3000", out, "--seed", "7"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "3000 objects written to " + out + "\n");
  const std::string first = ReadFile(out);
  EXPECT_EQ(RunTool({"generate", "3000", out, "--seed", "7"}).exitCode, 0);
  EXPECT_EQ(ReadFile(out), first);  // same seed, same file
  r = RunTool({"--repo", out, "show", "--type", "DATABASE", "DW_0"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  r = RunTool(
      {"--repo", out, "names", "--type", "TABLE", "--parent-type", "SCHEMA", "--parent", "DW_0.CAT_0.SCHEMA_0"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("D_"), std::string::npos);
}

}  // namespace
