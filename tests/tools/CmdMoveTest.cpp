// smutil move on the bundled sample's cube tables: the new qualified name,
// the saved result and refused parents with the types the object takes.
#include <gtest/gtest.h>

#include "CmdToolRun.h"

namespace {
using cmdtest::RunTool;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
const std::string kSalesCube = "\"Sales OLAP\".\"SalesCubes\"..\"Sales\"";
const std::string kReturnsCube = "\"Sales OLAP\".\"SalesCubes\"..\"Returns\"";

// Without --save the file stays as it was: each row starts from the sample.
TEST(CmdMove, NewNamesAndRefusals) {
  cmdtest::ExpectRuns(
      {
          {{"--type", "CUBE COLUMN", kSalesCube + ".\"Units\"", "--to-type", "CUBE TABLE", kReturnsCube},
           0,
           kReturnsCube + ".\"Units\"\n"},
          // The hierarchy "Fiscal" given the physical dimension "Time" of the
          // returns cube (3064:3) goes to that cube table.
          {{"--type", "HIERARCHY", "Sales OLAP", "SalesCubes", "", "Sales", "Fiscal", "--to-type", "3064", "3064:3"},
           0,
           kReturnsCube + ".\"Fiscal\"\n"},
          {{"--type", "DATABASE", "Marketing", "--to-type", "DATABASE", "Sales DW"},
           1,
           "",
           "DATABASE (3023) has no parent"},
          {{"--type", "CUBE COLUMN", kSalesCube + ".\"Nothing\"", "--to-type", "CUBE TABLE", kReturnsCube},
           1,
           "",
           "no CUBE COLUMN (3043) named"},
          {{"--type", "CUBE COLUMN", kSalesCube + ".\"Units\"", "--to-type", "CUBE TABLE", kSalesCube + "X"}, 1, ""},
      },
      {"move"});
  EXPECT_EQ(RunTool({"show", "--type", "CUBE COLUMN", kReturnsCube + ".\"Units\""}).exitCode, 1);
}

TEST(CmdMove, PhysicalLevelUnderLevelOfAnotherHierarchySaved) {
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("level.xml");
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
}

TEST(CmdMove, RefusedParentNamesTheTypesAllowed) {
  const auto r = RunTool({"move", "--type", "PHYSICAL LEVEL", kSalesCube + ".\"Calendar\".\"Month\"", "--to-type",
                          "CUBE TABLE", kReturnsCube});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot be moved under a CUBE TABLE (3039)"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("HIERARCHY (3041), PHYSICAL LEVEL (3045)"), std::string::npos) << r.err;
}

}  // namespace
