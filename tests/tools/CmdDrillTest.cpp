// smutil drill, siblings and project on the bundled sample. In the sample,
// logical Country drills to Customer, then Region; Year to Month. Sales
// Analysis' Customers hierarchy shows Country, Region, Customer (4030:1-3);
// Marketing Insights' Customer Geography shows Country, Customer and Key
// Accounts (4030:7-9), the last with no logical level.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "CmdToolRun.h"

namespace {
using cmdtest::ExpectRuns;
using cmdtest::RunTool;

TEST(CmdDrill, PrefersTheLevelsTableAndFallsBackToTheFirst) {
  ExpectRuns({
      {{"drill", "--type", "PRESENTATION LEVEL", "\"Sales Analysis\"..\"Customers\".\"Customer\".\"Country\""},
       0,
       "\"Sales Analysis\"..\"Customers\".\"Customer\".\"Customer\"\t4030:3\n"
       "\"Sales Analysis\"..\"Customers\".\"Customer\".\"Region\"\t4030:2\n"},
      // Customer is shown in both tables: Marketing Insights' own is taken;
      // Region only in Sales Analysis.
      {{"drill", "Marketing Insights", "Customers", "Customer Geography", "Country"},
       0,
       "\"Marketing Insights\"..\"Customers\".\"Customer Geography\".\"Customer\"\t4030:8\n"
       "\"Sales Analysis\"..\"Customers\".\"Customer\".\"Region\"\t4030:2\n"},
      {{"drill", "--type", "4030", "4030:4"}, 0, "\"Sales Analysis\"..\"Time\".\"Time\".\"Month\"\t4030:5\n"},
      // Empty drill paths say why.
      {{"drill", "Marketing Insights.Customers.Customer Geography.Key Accounts"}, 0, "", "stands for no logical level"},
      // Missing objects are named.
      {{"drill", "Sales Analysis.Customers.Customer.Planet"}, 1, "", "no PRESENTATION LEVEL (4030) named"},
      {{"siblings", "Sales Analysis.Customers.Customer.Country"},
       1,
       "",
       "no FOLDER ATTRIBUTE (4010, presentation column) named"},
      {{"project", "Nobody's"}, 1, ""},
  });
}

TEST(CmdDrill, ADrillThatLeadsNowhereNamesItsLogicalLevel) {
  const auto r = RunTool({"drill", "Sales Analysis.Time.Time.Month"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("preferred drill-down of \"Sales\".\"Time Dim\"."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("leads to no presentation level"), std::string::npos) << r.err;
}

TEST(CmdDrill, Json) {
  const auto r = RunTool({"drill", "--format", "json", "Sales Analysis.Customers.Customer.Country"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["id"], "4030:3");
  EXPECT_EQ(doc[0]["typeName"], "PRESENTATION LEVEL");
  EXPECT_EQ(doc[1]["name"], "Region");
}

TEST(CmdSiblings, ColumnsOfTheTableInOrder) {
  auto r = RunTool({"siblings", "\"Sales Analysis\"..\"Time\".\"Month\""});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "\"Sales Analysis\"..\"Time\".\"Date\"\t4010:17\n"
            "\"Sales Analysis\"..\"Time\".\"Month\"\t4010:18\n"
            "\"Sales Analysis\"..\"Time\".\"Year\"\t4010:19\n");
  // Marketing Insights' Customers also holds a hierarchy: not a column.
  r = RunTool({"siblings", "--format", "json", "Marketing Insights", "Customers", "Segment"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["name"], "Customer Name");
  EXPECT_EQ(doc[1]["name"], "Segment");
}

TEST(CmdProject, IncludedAndExcludedByKind) {
  // Included in the order Sales Analysis, Orders, Revenue, Time hierarchy,
  // Year, Time table, a block, a variable, Quantity.
  auto r = RunTool({"project", "Sales Reporting"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "catalog\t\"Sales Analysis\"\t4004:1\n"
            "table\t\"Sales Analysis\"..\"Orders\"\t4008:1\n"
            "table\t\"Sales Analysis\"..\"Time\"\t4008:4\n"
            "column\t\"Sales Analysis\"..\"Orders\".\"Revenue\"\t4010:3\n"
            "column\t\"Sales Analysis\"..\"Orders\".\"Quantity\"\t4010:2\n"
            "hierarchy\t\"Sales Analysis\"..\"Time\".\"Time\"\t4028:2\n"
            "level\t\"Sales Analysis\"..\"Time\".\"Time\".\"Year\"\t4030:4\n");
  r = RunTool({"project", "--excluded", "--format", "json", "Sales Reporting"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc["catalogs"].size(), 1u);
  EXPECT_EQ(doc["catalogs"][0]["name"], "Marketing Insights");
  ASSERT_EQ(doc["columns"].size(), 1u);
  EXPECT_EQ(doc["columns"][0]["id"], "4010:6");
  EXPECT_TRUE(doc["tables"].empty());
  EXPECT_TRUE(doc["hierarchies"].empty());
  EXPECT_TRUE(doc["levels"].empty());
}

}  // namespace
