// smutil move on the bundled sample's cube tables: the new qualified name,
// the saved result, refused parents with the types the object takes, and
// --save never over the file read.
#include <gtest/gtest.h>

#include <fstream>

#include "CmdToolRun.h"

namespace {
using cmdtest::ReadFile;
using cmdtest::RunTool;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
const std::string kSalesCube = "\"Sales OLAP\".\"SalesCubes\"..\"Sales\"";
const std::string kReturnsCube = "\"Sales OLAP\".\"SalesCubes\"..\"Returns\"";

TEST(CmdMove, CubeColumnToAnotherCubeTable) {
  const auto r =
      RunTool({"move", "--type", "CUBE COLUMN", kSalesCube + ".\"Units\"", "--to-type", "CUBE TABLE", kReturnsCube});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kReturnsCube + ".\"Units\"\n");
  // Without --save the file stays as it was.
  EXPECT_EQ(RunTool({"show", "--type", "CUBE COLUMN", kReturnsCube + ".\"Units\""}).exitCode, 1);
}

TEST(CmdMove, NamesAsSegmentsAndParentByID) {
  // The hierarchy "Fiscal" given the physical dimension "Time" of the
  // returns cube (3064:3) goes to that cube table.
  const auto r = RunTool({"move", "--type", "HIERARCHY", "Sales OLAP", "SalesCubes", "", "Sales", "Fiscal", "--to-type",
                          "3064", "3064:3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kReturnsCube + ".\"Fiscal\"\n");
}

TEST(CmdMove, PhysicalLevelUnderLevelOfAnotherHierarchySaved) {
  const std::string out = ::testing::TempDir() + "cmd_move_level.xml";
  std::remove(out.c_str());
  const auto r = RunTool({"move", "--type", "PHYSICAL LEVEL", kSalesCube + ".\"Calendar\".\"Month\"", "--to-type",
                          "PHYSICAL LEVEL", kSalesCube + ".\"Fiscal\".\"Fiscal Year\"", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, kSalesCube + ".\"Fiscal\".\"Month\"\n");
  // The saved file has the level in the other hierarchy, right below its
  // parent level.
  const auto shown = RunTool({"--repo", out, "show", "--type", "HIERARCHY", kSalesCube + ".\"Fiscal\""});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  const std::size_t top = shown.out.find(".\"Fiscal\".\"Fiscal Year\"\n");
  const std::size_t moved = shown.out.find(".\"Fiscal\".\"Month\"\n");
  const std::size_t last = shown.out.find(".\"Fiscal\".\"Fiscal Period\"\n");
  ASSERT_NE(moved, std::string::npos) << shown.out;
  EXPECT_LT(top, moved);
  EXPECT_LT(moved, last);
  EXPECT_NE(shown.out.find("children 3\n"), std::string::npos) << shown.out;
  std::remove(out.c_str());
}

TEST(CmdMove, RefusedParentNamesTheTypesAllowed) {
  const auto r = RunTool({"move", "--type", "PHYSICAL LEVEL", kSalesCube + ".\"Calendar\".\"Month\"", "--to-type",
                          "CUBE TABLE", kReturnsCube});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot be moved under a CUBE TABLE (3039)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("HIERARCHY (3041), PHYSICAL LEVEL (3045)"), std::string::npos) << r.err;

  const auto top = RunTool({"move", "--type", "DATABASE", "Marketing", "--to-type", "DATABASE", "Sales DW"});
  EXPECT_EQ(top.exitCode, 1);
  EXPECT_NE(top.err.find("DATABASE (3023) has no parent"), std::string::npos) << top.err;
}

TEST(CmdMove, MissingObjectsAndBadUsage) {
  const auto missing =
      RunTool({"move", "--type", "CUBE COLUMN", kSalesCube + ".\"Nothing\"", "--to-type", "CUBE TABLE", kReturnsCube});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("no CUBE COLUMN (3043) named"), std::string::npos) << missing.err;
  const auto noParent = RunTool(
      {"move", "--type", "CUBE COLUMN", kSalesCube + ".\"Units\"", "--to-type", "CUBE TABLE", kSalesCube + "X"});
  EXPECT_EQ(noParent.exitCode, 1);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"move", "--type", "CUBE COLUMN", "X"},
                                               {"move", "--type", "CUBE COLUMN", "X", "--to-type", "CUBE TABLE"},
                                               {"move", "--type", "BOGUS", "X", "--to-type", "CUBE TABLE", "Y"}}) {
    const auto r = RunTool(args);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err, "");
  }
}

TEST(CmdMove, SaveNeverWritesOverTheInput) {
  const std::string copy = ::testing::TempDir() + "cmd_move_input.xml";
  {
    std::ofstream f(copy, std::ios::binary);
    f << ReadFile(kSample);
  }
  const std::string before = ReadFile(copy);
  for (const std::string& target : {copy, ::testing::TempDir() + "./cmd_move_input.xml"}) {
    const auto r = RunTool({"--repo", copy, "move", "--type", "CUBE COLUMN", kSalesCube + ".\"Units\"", "--to-type",
                            "CUBE TABLE", kReturnsCube, "--save", target});
    EXPECT_EQ(r.exitCode, 2) << target;
    EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(ReadFile(copy), before);
  std::remove(copy.c_str());
}

}  // namespace
