// The dict and message commands, run as a user would run them: the built
// tool in a child process on a repository file written by the test, with a
// configuration file of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "Metadata/ConsistencyMessage.h"
#include "Metadata/SMDictUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"

namespace {

using cmdtest::Lines;
using cmdtest::ToolRun;

class CmdDict : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new testutil::ScratchDir;
    dir->Write("config.ini",
               "[Server]\nLegacyInstanceMode = yes\n[Repository]\nLogicalName = Star\nPath = C:\\rp\\StarSchema.rpd\n");
    ARpGateway rp;
    rp.SetLogicalName(U"star");
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"Sales");
    db.Set(RpProp::kGUID, ByteVector{0x3F, 0x25, 0x04, 0xE0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    auto orders = db.Child(kTIDATable, U"Order Lines");
    orders.Child(kTIDAColumn, U"Amount");
    b.Add(kTIDACatalogFolder, U"Sales");  // shares its name with the database
    auto bm = b.Add(kTIDASubjectArea, U"Retail");
    bm.Child(kTIDALogicalTable, U"Revenue");
    RpFile::Save(rp, dir->Path("repo.rpd.xml"));
  }
  static void TearDownTestSuite() { delete dir; }

  // The child reads our configuration and no instance mode from outside.
  static ToolRun Run(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--repo", dir->Path("repo.rpd.xml")};
    all.insert(all.end(), args.begin(), args.end());
    return cmdtest::RunTool(all, {"SMUTIL_CONFIG=" + dir->Path("config.ini"), "SMUTIL_LEGACY_INSTANCE_MODE"});
  }

  static testutil::ScratchDir* dir;
};
testutil::ScratchDir* CmdDict::dir = nullptr;

TEST_F(CmdDict, ObjectsAndMessagesByName) {
  cmdtest::ExpectRuns(
      {
          {{"dict", "Sales.Order Lines.Amount"},
           0,
           "object      3003:1 COLUMN (3003) \"Sales\"...\"Order Lines\".\"Amount\"\n"
           "tag         PhysicalColumn\n"
           "short name  PC (COLUMN)\n"
           "normalized  PC_Amount\n"
           "path        Database/DB_Sales3F2504E0/PT_Order_Lines/PC_Amount.xml\n"
           "url         StarSchema/Database/DB_Sales3F2504E0/PT_Order_Lines/PC_Amount.xml\n"},
          {{"dict", "Sales.Nothing"}, 1, "", "nothing named Sales.Nothing"},
          // 38014 takes the qualified names of its two objects; the
          // catalogue's text keeps its error number in the tool's output.
          {{"message", "38014", "Retail.Revenue", "3023:1"},
           0,
           "ERROR [38014] Logical table source \"Retail\".\"Revenue\" is mapped at a level of dimension \"Sales\" "
           "that does not exist any more.\n"},
          {{"message", "38014", "Retail"}, 2, "", "names 2 objects; 1 given"},
          {{"message", "39003", "Retail"}, 1},
          {{"message", "38009", "No.Such.Object"}, 1},
      },
      {"--repo", dir->Path("repo.rpd.xml")},
      {"SMUTIL_CONFIG=" + dir->Path("config.ini"), "SMUTIL_LEGACY_INSTANCE_MODE"});
}

TEST_F(CmdDict, ANameOfSeveralTypesGivesEach) {
  const ToolRun r = Run({"dict", "Sales"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 13u) << r.out;
  EXPECT_EQ(lines[1], "tag         Database");
  EXPECT_EQ(lines[8], "tag         SubjectArea");

  const ToolRun typed = Run({"dict", "--type", "4004", "Sales"});
  ASSERT_EQ(typed.exitCode, 0) << typed.err;
  EXPECT_EQ(Lines(typed.out).size(), 6u);
  EXPECT_NE(typed.out.find("path        SubjectArea/PRCAT_Sales.xml\n"), std::string::npos) << typed.out;
}

TEST_F(CmdDict, EveryObjectOneLineEach) {
  const ToolRun r = Run({"dict"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u) << r.out;
  EXPECT_EQ(lines[0],
            "3023:1\tDatabase\tDB\tDB_Sales3F2504E0\tDatabase/DB_Sales3F2504E0.xml\t"
            "StarSchema/Database/DB_Sales3F2504E0.xml");
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
  }
  EXPECT_EQ(r.err, "");
}

TEST_F(CmdDict, EveryObjectOfAType) {
  // A type without a name: every object of the type, the one table here.
  const ToolRun tables = Run({"dict", "--type", "TABLE"});
  ASSERT_EQ(tables.exitCode, 0) << tables.err;
  EXPECT_EQ(Lines(tables.out).size(), 1u) << tables.out;
  EXPECT_EQ(tables.out.rfind("3001:1\tPhysicalTable\tPT\t", 0), 0u) << tables.out;
}

TEST_F(CmdDict, BestPracticeAndArgumentFreeMessages) {
  const ToolRun best = Run({"message", "89001", "Retail"});
  EXPECT_EQ(best.out.rfind("BEST PRACTICE [89001] ", 0), 0u) << best.out;
  const ToolRun none = Run({"message", "38076"});
  ASSERT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(none.out.rfind("ERROR [38076] ", 0), 0u) << none.out;
}

TEST_F(CmdDict, AnAmbiguousNameListsItsObjects) {
  const ToolRun ambiguous = Run({"message", "38009", "Sales"});
  EXPECT_EQ(ambiguous.exitCode, 1);
  EXPECT_NE(ambiguous.err.find("3023:1"), std::string::npos) << ambiguous.err;
  EXPECT_NE(ambiguous.err.find("4004:1"), std::string::npos) << ambiguous.err;
}

}  // namespace
