// --format json: each listing parses as JSON and has the documented shape.
// Expected values come from the sample repository's file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;
using cmdtest::ToolRun;
using nlohmann::json;

json RunJson(const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  all.insert(all.end(), {"--format", "json"});
  const ToolRun r = RunTool(all);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.empty() ? '\0' : r.out.back(), '\n');
  return json::parse(r.out);  // throws (and fails the test) on anything but one JSON document
}

// The fields every object in a listing has.
void ExpectObject(const json& obj, const std::string& id, int type, const std::string& typeName,
                  const std::string& name, const std::string& qualifiedName) {
  EXPECT_EQ(obj.at("id"), id);
  EXPECT_EQ(obj.at("type"), type);
  EXPECT_EQ(obj.at("typeName"), typeName);
  EXPECT_EQ(obj.at("name"), name);
  EXPECT_EQ(obj.at("qualifiedName"), qualifiedName);
}

TEST(CmdJson, Show) {
  const json doc = RunJson({"show", "--type", "TABLE", "Sales DW.SALESDB.dbo.W_ORDERS_F"});
  ExpectObject(doc, "3001:1", 3001, "TABLE", "W_ORDERS_F", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\"");
  ExpectObject(doc.at("parent"), "3027:1", 3027, "SCHEMA", "dbo", "\"Sales DW\".\"SALESDB\".\"dbo\"");
  EXPECT_EQ(doc.at("aliases"), json::array({"ORDERS_F"}));
  ASSERT_TRUE(doc.at("children").is_array());
  ASSERT_FALSE(doc.at("children").empty());
  ExpectObject(doc.at("children")[0], "3003:1", 3003, "COLUMN", "ORDER_ID",
               "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\".\"ORDER_ID\"");

  const json db = RunJson({"show", "--type", "DATABASE", "Sales DW"});
  EXPECT_TRUE(db.at("parent").is_null());
}

TEST(CmdJson, NamesParseSplit) {
  const json names = RunJson({"names", "--type", "DATABASE"});
  ASSERT_TRUE(names.is_array());
  EXPECT_NE(std::find(names.begin(), names.end(), json("Sales DW")), names.end()) << names;
  EXPECT_EQ(RunJson({"parse", "\"Sales\"..\"Orders\""}), json::array({"Sales", "", "Orders"}));
  EXPECT_EQ(RunJson({"split", "Sales DW.SALESDB.\"W.X\""}), json::array({"Sales DW", "SALESDB", "W.X"}));
}

TEST(CmdJson, Find) {
  const json doc = RunJson({"find", "--type", "SCHEMA", "\"Sales DW\".SALESDB.dbo"});
  ASSERT_EQ(doc.size(), 1u) << doc;
  ExpectObject(doc[0], "3027:1", 3027, "SCHEMA", "dbo", "\"Sales DW\".\"SALESDB\".\"dbo\"");
  // Nothing found: an empty array, and exit code 1.
  const ToolRun none = RunTool({"find", "--type", "TABLE", "NoSuchTable", "--format", "json"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(json::parse(none.out), json::array());
}

TEST(CmdJson, Vars) {
  const json doc = RunJson({"vars", "Hello VALUEOF(VX_SESSION.USER) and VALUEOF(\"Region\")"});
  EXPECT_EQ(doc, json::parse(R"([{"position":6,"end":30,"qualifier":"VX_SESSION","name":"USER"},
                                  {"position":35,"end":52,"qualifier":"","name":"\"Region\""}])"));
}

TEST(CmdJson, Message) {
  const json doc = RunJson({"message", "39080", "2006:24", "2006:2"});
  EXPECT_EQ(doc.at("id"), 39080);
  EXPECT_EQ(doc.at("severity"), "WARNING");
  EXPECT_EQ(doc.at("text"),
            "[39080] Logical Column \"Sales\".\"Orders\".\"Revenue\" and Logical Column "
            "\"Sales\".\"Orders\".\"Quantity\" have the same external name.");
  ASSERT_EQ(doc.at("objects").size(), 2u);
  ExpectObject(doc.at("objects")[1], "2006:2", 2006, "ATTRIBUTE", "Quantity", "\"Sales\".\"Orders\".\"Quantity\"");
}

TEST(CmdJson, DictOneAndAll) {
  const json one = RunJson({"dict", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\""});
  ASSERT_EQ(one.size(), 1u);
  ExpectObject(one[0], "3001:1", 3001, "TABLE", "W_ORDERS_F", "\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\"");
  EXPECT_EQ(one[0].at("tag"), "PhysicalTable");
  EXPECT_EQ(one[0].at("shortName"), "PT");
  EXPECT_EQ(one[0].at("normalizedName"), "PT_W_ORDERS_F5A3C0000");
  EXPECT_EQ(one[0].at("path"), "Database/DB_Sales_DW5A3C0000/PCAT_SALESDB/PSCH_dbo/PT_W_ORDERS_F5A3C0000.xml");
  EXPECT_EQ(one[0].at("url"), "liverpd/Database/DB_Sales_DW5A3C0000/PCAT_SALESDB/PSCH_dbo/PT_W_ORDERS_F5A3C0000.xml");

  // Every object of a type: the same fields, one element each.
  const json databases = RunJson({"dict", "--type", "DATABASE"});
  const json names = RunJson({"names", "--type", "DATABASE"});
  ASSERT_EQ(databases.size(), names.size());
  for (const json& e : databases) {
    EXPECT_EQ(e.at("type"), 3023);
    EXPECT_EQ(e.at("tag"), "Database");
    EXPECT_EQ(e.at("path").get<std::string>().rfind("Database/DB_", 0), 0u) << e;
  }
}

}  // namespace
