// smutil sql check|format|explain on the sample and its query files, run
// as a user runs them: the lines they print, the exit codes, the JSON and
// SARIF forms, standard input.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::Lines;
using cmdtest::RunTool;
using cmdtest::RunToolWithInput;
using cmdtest::ToolRun;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
const std::string kQueries = std::string(SMUTIL_SAMPLES_DIR) + "/queries/";

ToolRun Sql(std::vector<std::string> args) {
  args.insert(args.begin(), {"--repo", kSample, "sql"});
  return RunTool(args);
}

ToolRun SqlWithInput(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), {"--repo", kSample, "sql"});
  return RunToolWithInput(args, input);
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// ---- check: one line per fault, FILE:LINE:COL: error|warning: message ----------------

TEST(CmdSqlCheck, EachNameFaultAtItsPlace) {
  const std::string file = kQueries + "broken_names.sql";
  const ToolRun r = Sql({"check", file});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  // Line 3 "SELECT Orders.Revenu,": the name starts after "SELECT ".
  EXPECT_TRUE(StartsWith(lines[0], file + ":3:8: error: No column is named \"Orders\".\"Revenu\".")) << lines[0];
  EXPECT_NE(lines[0].find("did you mean \"Orders\".\"Revenue\""), std::string::npos) << lines[0];
  // Line 4 "       Ordr.Quantity,": no such table in the FROM subject area.
  EXPECT_TRUE(StartsWith(lines[1], file + ":4:8: error: No table is named \"Ordr\" in the subject areas of FROM."))
      << lines[1];
  // Line 5: a column name that two tables carry, with both as candidates.
  EXPECT_TRUE(StartsWith(lines[2], file + ":5:8: error: The name \"Net Revenue\" matches more than one column"))
      << lines[2];
  EXPECT_NE(lines[2].find("candidates: "), std::string::npos) << lines[2];
  // Line 7 "WHERE Orders.Staus = 'SHIPPED'".
  EXPECT_TRUE(StartsWith(lines[3], file + ":7:7: error: No column is named \"Orders\".\"Staus\".")) << lines[3];
  EXPECT_NE(lines[3].find("\"Orders\".\"Status\""), std::string::npos) << lines[3];
}

TEST(CmdSqlCheck, ReadSecurityOfTheUserAndUsage) {
  const std::string secured = kQueries + "secured_column.sql";
  cmdtest::ExpectRuns(
      {
          // Line 2 "SELECT Orders."Order Id", Orders.Discount": the second name is at 27.
          {{"check", "--user", "anna.berg", secured},
           1,
           secured + ":2:27: error: The column \"Orders\".\"Discount\" exists but the user may not read it.\n"},
          // Without a user the gateway's own user reads every column.
          {{"check", secured}, 0},
          {{"check", "/nonexistent/q.sql"},
           3,
           "",
           "cannot open the query text /nonexistent/q.sql: there is no such file"},
          {{"format", "/nonexistent/q.sql"}, 3, "", "there is no such file"},
          {{"explain", "/nonexistent/q.sql"}, 3, "", "there is no such file"},
          {{"format", "--by-id", "--display", secured}, 2, "", "give one of"},
          {{"check"}, 2, "", "FILE"},
          {{"frobnicate", secured}, 2},
      },
      {"--repo", kSample, "sql"});
  // A user the repository does not have.
  const ToolRun nobody = Sql({"check", "--user", "no.such.user", secured});
  EXPECT_EQ(nobody.exitCode, 1);
  EXPECT_NE(nobody.out.find("No user named no.such.user in the repository."), std::string::npos) << nobody.out;
  // A repository that cannot be read.
  EXPECT_EQ(RunTool({"--repo", "/nonexistent/repo.xml", "sql", "check", kQueries + "product_mix.sql"}).exitCode, 3);
}

TEST(CmdSqlCheck, EmptyStandardInput) {
  // Empty input: the statement's first word is missing, at 1:1.
  const ToolRun empty = SqlWithInput({"check", "-"}, "");
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.out, "<stdin>:1:1: error: SELECT expected, found the end of the text.\n");
}

TEST(CmdSqlCheck, JsonRecordsCarryCodeOutcomeAndOffsets) {
  const ToolRun r = Sql({"check", "--user", "anna.berg", "--format", "json", kQueries + "secured_column.sql"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_TRUE(doc.is_array());
  ASSERT_EQ(doc.size(), 1u) << r.out;
  const nlohmann::json& d = doc[0];
  EXPECT_EQ(d["severity"], "error");
  EXPECT_EQ(d["code"], "sql.name.inaccessible-column");
  EXPECT_EQ(d["messageId"], 47029);
  EXPECT_EQ(d["outcome"], "kInaccessibleColumn");
  // The first line has 69 bytes; the name starts 26 bytes into line 2 and
  // is 15 bytes long.
  EXPECT_EQ(d["start"], (nlohmann::json{{"line", 2}, {"column", 27}, {"offset", 70 + 26}}));
  EXPECT_EQ(d["end"], (nlohmann::json{{"line", 2}, {"column", 42}, {"offset", 70 + 41}}));
  EXPECT_TRUE(d["candidates"].empty());
  EXPECT_TRUE(d["suggestions"].empty());
}

TEST(CmdSqlCheck, SarifResultsHaveRegionsInTheQueryFile) {
  const std::string file = kQueries + "broken_names.sql";
  const ToolRun r = Sql({"check", "--format", "sarif", file});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const nlohmann::json log = nlohmann::json::parse(r.out);
  EXPECT_EQ(log["version"], "2.1.0");
  const nlohmann::json& run = log["runs"][0];
  EXPECT_EQ(run["tool"]["driver"]["name"], "smutil sql check");
  EXPECT_EQ(run["columnKind"], "unicodeCodePoints");
  const std::string dir = std::filesystem::absolute(kQueries).lexically_normal().generic_string();
  EXPECT_EQ(run["originalUriBaseIds"]["SRCROOT"]["uri"], "file://" + dir);
  ASSERT_EQ(run["artifacts"].size(), 1u);
  EXPECT_EQ(run["artifacts"][0]["location"]["uri"], "broken_names.sql");
  const nlohmann::json& rules = run["tool"]["driver"]["rules"];
  struct Want {
    int line, column;
    const char* rule;
  };
  const Want want[] = {{3, 8, "sql.name.nonexistent-column"},
                       {4, 8, "sql.name.nonexistent-table"},
                       {5, 8, "sql.name.ambiguous-column"},
                       {7, 7, "sql.name.nonexistent-column"}};
  const nlohmann::json& results = run["results"];
  ASSERT_EQ(results.size(), std::size(want)) << r.out;
  for (std::size_t i = 0; i < std::size(want); ++i) {
    const nlohmann::json& res = results[i];
    EXPECT_EQ(res["ruleId"], want[i].rule) << i;
    EXPECT_EQ(rules[res["ruleIndex"].get<std::size_t>()]["id"], want[i].rule) << i;
    EXPECT_EQ(res["level"], "error");
    const nlohmann::json& loc = res["locations"][0]["physicalLocation"];
    EXPECT_EQ(loc["artifactLocation"]["uriBaseId"], "SRCROOT");
    EXPECT_EQ(loc["region"]["startLine"], want[i].line) << i;
    EXPECT_EQ(loc["region"]["startColumn"], want[i].column) << i;
    EXPECT_GT(loc["region"]["endColumn"].get<int>(), want[i].column) << i;
  }
  // One rule per code that occurs, each with a text for people.
  EXPECT_EQ(rules.size(), 3u);
  for (const nlohmann::json& rule : rules) {
    EXPECT_FALSE(rule["shortDescription"]["text"].get<std::string>().empty());
    EXPECT_EQ(rule["shortDescription"]["text"].get<std::string>().find('%'), std::string::npos);
    EXPECT_FALSE(rule["help"]["text"].get<std::string>().empty());
  }
}

// ---- format: the statement written back through the renderer --------------------------

TEST(CmdSqlFormat, FullyQualifiedTextReadsBackToItself) {
  // product_mix.sql's outer query names its derived table's columns
  // through the table's alias, t, which is written back as it was given.
  for (const char* name : {"revenue_by_region.sql", "customers_union.sql", "product_mix.sql"}) {
    const ToolRun first = Sql({"format", kQueries + name});
    ASSERT_EQ(first.exitCode, 0) << name << "\n" << first.err;
    EXPECT_TRUE(StartsWith(first.out, "SELECT ")) << first.out;
    // Every name is written in full: the text binds again, and formats to
    // the same text.
    const ToolRun again = SqlWithInput({"format", "-"}, first.out);
    EXPECT_EQ(again.exitCode, 0) << name << "\n" << first.out << again.err;
    EXPECT_EQ(again.out, first.out) << name;
  }
  const ToolRun mix = Sql({"format", kQueries + "product_mix.sql"});
  EXPECT_NE(mix.out.find(") \"t\"\nORDER BY"), std::string::npos) << mix.out;
}

TEST(CmdSqlFormat, ModesAndFaults) {
  const std::string file = kQueries + "revenue_by_region.sql";
  const ToolRun fq = Sql({"format", file});
  ASSERT_EQ(fq.exitCode, 0) << fq.err;
  // The subject area and FETCH FIRST come back.
  EXPECT_NE(fq.out.find("FROM \"Sales Analysis\""), std::string::npos) << fq.out;
  EXPECT_NE(fq.out.find("FETCH FIRST 10 ROWS ONLY"), std::string::npos) << fq.out;
  EXPECT_NE(fq.out.find(" DESC"), std::string::npos) << fq.out;
  // By id: objects as TYPE:NUMBER, no column names left.
  const ToolRun byId = Sql({"format", "--by-id", file});
  ASSERT_EQ(byId.exitCode, 0) << byId.err;
  EXPECT_NE(byId.out.find("4010:"), std::string::npos) << byId.out;
  EXPECT_EQ(byId.out.find("Region\"."), std::string::npos) << byId.out;
  // A query with faults is not written; its faults go to standard error.
  const ToolRun broken = Sql({"format", kQueries + "broken_names.sql"});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err.find(":3:8: error: No column is named"), std::string::npos) << broken.err;
}

// ---- explain: each name, its place and what it resolved to ---------------------------

TEST(CmdSqlExplain, NamesInTextOrder) {
  const ToolRun r = Sql({"explain", kQueries + "revenue_by_region.sql"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_FALSE(lines.empty());
  // Line 3 "SELECT Customers.Region," names a presentation column.
  EXPECT_TRUE(StartsWith(lines[0], "3:8\t\"Customers\".\"Region\"\tcolumn\t4010:")) << lines[0];
  // Its type by name and number (4010, a presentation column), then its full name.
  EXPECT_NE(lines[0].find("(4010)\t\"Sales Analysis\".."), std::string::npos) << lines[0];
  // The FROM subject area on line 6 is listed where it stands.
  bool bArea = false;
  for (const std::string& line : lines) bArea = bArea || StartsWith(line, "6:6\t\"Sales Analysis\"\tsubject area\t");
  EXPECT_TRUE(bArea) << r.out;
}

TEST(CmdSqlExplain, UnresolvedNamesShowTheirOutcome) {
  const ToolRun r = Sql({"explain", "--format", "json", kQueries + "broken_names.sql"});
  EXPECT_EQ(r.exitCode, 1);
  const nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_TRUE(doc.is_array());
  bool bRevenu = false, bOrdr = false;
  for (const nlohmann::json& n : doc) {
    if (n["name"] == "\"Orders\".\"Revenu\"") {
      bRevenu = true;
      EXPECT_EQ(n["outcome"], "kNonexistentColumn");
      EXPECT_EQ(n["start"]["line"], 3);
      EXPECT_FALSE(n.contains("id"));
    }
    if (n["name"] == "\"Ordr\".\"Quantity\"") {
      bOrdr = true;
      EXPECT_EQ(n["outcome"], "kNonexistentTable");
    }
  }
  EXPECT_TRUE(bRevenu && bOrdr) << r.out;
  // The faults themselves go to standard error.
  EXPECT_NE(r.err.find("broken_names.sql:3:8: error:"), std::string::npos) << r.err;
}

}  // namespace
