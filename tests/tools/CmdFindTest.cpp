// The find command, run as a user would run it: the built tool in a child
// process over a repository file written for the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpFile.h"

namespace {

using cmdtest::ReadFile;
using cmdtest::RunTool;
using cmdtest::ToolRun;

// Two subject areas with an Orders table each, one area and one table renamed,
// and a physical table of the same name.
class CmdFind : public ::testing::Test {
 protected:
  void SetUp() override {
    ARpGateway rp;
    RpBuilder b(rp);
    b.Add(kTIDADatabase, U"DB").Child(kTIDATable, U"Orders");
    const auto sales = b.Add(kTIDACatalogFolder, U"Old Sales");
    sales.Rename(U"Sales");
    salesOrders = sales.Child(kTIDAEntityFolder, U"Orders");
    shipments = sales.Child(kTIDAEntityFolder, U"Orders Old");
    b.At(shipments).Rename(U"Shipments");
    hrOrders = b.Add(kTIDACatalogFolder, U"HR").Child(kTIDAEntityFolder, U"orders");
    char path[] = "/tmp/smutil_find_repo_XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    m_repoPath = std::string(path) + ".rpd.xml";
    std::remove(path);
    RpFile::Save(rp, m_repoPath);
  }
  void TearDown() override { std::remove(m_repoPath.c_str()); }

  ToolRun Find(std::vector<std::string> args) {
    args.insert(args.begin(), {"--repo", m_repoPath, "find"});
    return RunTool(args);
  }
  static std::string Line(const std::string& qname, const VoidID& id) {
    return qname + "\t" + ToNarrow(id.ToString()) + "\n";
  }

  std::string m_repoPath;
  VoidID salesOrders, shipments, hrOrders;
};

}  // namespace

TEST_F(CmdFind, NamedConditionListsMatches) {
  ToolRun r = Find({"--type", "PRESENTATION TABLE", "Sales", "", "ORDERS"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Line("\"Sales\"..\"Orders\"", salesOrders));

  // One segment: the object's own name, wherever it is.
  r = Find({"--type", "4008", "Orders"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Line("\"Sales\"..\"Orders\"", salesOrders) + Line("\"HR\"..\"orders\"", hrOrders));

  // Written as one quoted argument.
  r = Find({"--type", "PRESENTATION TABLE", "\"HR\".\"\".\"Orders\""});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Line("\"HR\"..\"orders\"", hrOrders));
}

TEST_F(CmdFind, FormerNamesOnlyWithAliases) {
  ToolRun r = Find({"--type", "PRESENTATION TABLE", "Sales", "", "Orders Old"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("--aliases"), std::string::npos) << r.err;
  r = Find({"--aliases", "--type", "PRESENTATION TABLE", "Sales", "", "Orders Old"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Line("\"Sales\"..\"Shipments\"", shipments));
}

TEST_F(CmdFind, FlexibleConditionAndByteForm) {
  for (const char* extra : {"--flexible", "--through-bytes"}) {
    SCOPED_TRACE(extra);
    std::vector<std::string> args{"--flexible", "--type", "PRESENTATION TABLE", "", "orders"};
    if (std::string(extra) != "--flexible") args.insert(args.begin(), extra);
    ToolRun r = Find(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, Line("\"Sales\"..\"Orders\"", salesOrders) + Line("\"HR\"..\"orders\"", hrOrders));
  }
  // The subject area's former name, with the full name given.
  ToolRun r = Find({"--flexible", "--through-bytes", "--type", "PRESENTATION TABLE", "Old Sales", "", "Shipments"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Line("\"Sales\"..\"Shipments\"", shipments));
}

TEST_F(CmdFind, NothingFoundAndBadUsage) {
  ToolRun r = Find({"--type", "TABLE", "Nowhere"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(r.err.find("Nowhere"), std::string::npos) << r.err;

  EXPECT_EQ(Find({"Orders"}).exitCode, 2);           // no type
  EXPECT_EQ(Find({"--type", "TABLE"}).exitCode, 2);  // no name
  EXPECT_EQ(Find({"--type", "NO SUCH TYPE", "Orders"}).exitCode, 2);
  EXPECT_EQ(Find({"--type"}).exitCode, 2);

  ToolRun missing = RunTool({"--repo", "/nonexistent/repo.rpd.xml", "find", "--type", "TABLE", "Orders"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("cannot load repository"), std::string::npos) << missing.err;
}

TEST(CmdFindSample, FormerNamesOfTableAndSubjectAreaInTheBundledSample) {
  // "Sales" is a former name of the subject area "Sales Analysis", "Clients"
  // one of its table "Customers".
  ToolRun r = RunTool({"find", "--flexible", "--type", "PRESENTATION TABLE", "Sales", "", "Clients"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Sales Analysis\"..\"Customers\"\t4008:2\n");
  // Both subject areas have a Customers table.
  r = RunTool({"find", "--type", "PRESENTATION TABLE", "customers"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "\"Sales Analysis\"..\"Customers\"\t4008:2\n\"Marketing Insights\"..\"Customers\"\t4008:5\n");
}
