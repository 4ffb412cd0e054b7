// smutil site run as a user would: the summary line, --changed-only on a
// second run, --type, --messages and its errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CmdToolRun.h"

namespace {

namespace fs = std::filesystem;
using cmdtest::RunTool;
using cmdtest::ToolRun;

class CmdSite : public ::testing::Test {
 protected:
  testutil::ScratchDir m_scratch;
  const std::string m_dir = m_scratch.Dir().string();
};

TEST_F(CmdSite, WritesTheSiteThenOnlyWhatChanged) {
  const std::string out = m_dir + "/site";
  ToolRun first = RunTool({"site", out});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_NE(first.out.find(" pages, "), std::string::npos) << first.out;
  EXPECT_NE(first.out.find(" 0 unchanged"), std::string::npos) << first.out;
  // Not a terminal: no progress line.
  EXPECT_EQ(first.err, "");
  EXPECT_TRUE(fs::exists(out + "/index.html"));
  EXPECT_TRUE(fs::exists(out + "/Database/DB_Sales_DW5A3C0000.html"));

  ToolRun again = RunTool({"site", out, "--changed-only"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("(0 files written"), std::string::npos) << again.out;
}

TEST_F(CmdSite, TypesChooseThePages) {
  const std::string out = m_dir + "/site";
  ToolRun r = RunTool({"site", "--type", "DATABASE", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(out + "/Database/DB_Sales_DW5A3C0000.html"));
  EXPECT_FALSE(fs::exists(out + "/Database/DB_Sales_DW5A3C0000/PCAT_SALESDB.html"));
}

TEST_F(CmdSite, MessagesFromAFileShowOnTheirPages) {
  const std::string messages = m_dir + "/messages.json";
  std::ofstream(messages) << R"([{"object": "3023:1", "messageId": 38009, "text": "Pool <never> used"}])";
  const std::string out = m_dir + "/site";
  ToolRun r = RunTool({"site", out, "--messages", messages});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(cmdtest::ReadFile(out + "/Database/DB_Sales_DW5A3C0000.html").find("Pool &lt;never&gt; used"),
            std::string::npos);

  std::ofstream(messages) << R"([{"object": "9999:1", "messageId": 1}])";
  ToolRun bad = RunTool({"site", out, "--messages", messages});
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("finding 1 needs \"object\""), std::string::npos) << bad.err;
  // An object named by its id in an object, as check --format json writes it.
  std::ofstream(messages) << R"([{"object": {"id": "3023:1"}, "messageId": 38009, "text": "By object"}])";
  ASSERT_EQ(RunTool({"site", out, "--messages", messages}).exitCode, 0);
  EXPECT_NE(cmdtest::ReadFile(out + "/Database/DB_Sales_DW5A3C0000.html").find("By object"), std::string::npos);
}

TEST_F(CmdSite, AnOutputThatCannotBeWrittenIsAnError) {
  const std::string file = m_dir + "/plain-file";
  std::ofstream(file) << "x";
  ToolRun r = RunTool({"site", file + "/site"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("smutil site: cannot create"), std::string::npos) << r.err;
}

}  // namespace
