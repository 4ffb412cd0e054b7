// smutil check on the bundled sample (clean) and on samples/broken.rpd.xml
// (one planted defect per check, see samples/make_broken.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

#include "CmdToolRun.h"

namespace {
using cmdtest::Lines;
using cmdtest::ReadFile;
using cmdtest::RunProgram;
using cmdtest::RunTool;

const std::string kBroken = std::string(SMUTIL_SAMPLES_DIR) + "/broken.rpd.xml";

TEST(CmdCheck, SampleIsClean) {
  const auto r = RunTool({"check"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "0 errors, 0 warnings, 0 best practice\n");
}

using Planted = std::tuple<std::string, std::uint64_t, std::string>;  // check, message id, qualified name

// The defects samples/make_broken.py plants, each with the one finding it
// must give, written from the script (not from the tool's output).
const std::set<Planted>& PlantedDefects() {
  static const std::set<Planted> planted = {
      {"physical-column-without-type", 38150, R"("Defects DB"..."T1"."NOTYPE")"},
      {"physical-table-duplicate-name", 38179, R"("Defects DB"..."t1")"},
      {"physical-table-without-columns", 38146, R"("Defects DB"..."EMPTY_T")"},
      {"alias-collides-with-sibling", 38210, R"("Defects DB"..."T3")"},
      {"foreign-key-column-elsewhere", 38142, R"("Defects DB"..."T2"."T2_ELSEWHERE_FK")"},
      {"foreign-key-column-count", 38180, R"("Defects DB"..."T2"."T2_COUNT_FK")"},
      {"join-without-expression", 38160, R"("T1 to T2")"},
      {"hierarchy-without-levels", 38190, R"("Defects DB"."DEFECT_CUBES".."EMPTY_CUBE"."No Levels")"},
      {"physical-level-without-key", 38194, R"("Defects DB"."DEFECT_CUBES".."EMPTY_CUBE"."Calendar"."Year")"},
      {"init-block-without-data-source", 39048, R"("No Source Block")"},
      {"variable-initializer-broken", 39053, R"("NO_INITIALIZER")"},
      {"business-model-without-tables", 38018, R"("Empty Model")"},
      {"logical-table-without-source", 38017, R"("Defects"."No Source")"},
      {"logical-table-duplicate-name", 38106, R"("Defects"."TWIN")"},
      {"logical-table-without-columns", 38058, R"("Defects"."Hollow")"},
      {"logical-column-unmapped", 38009, R"("Defects"."Partial"."B")"},
      {"derived-column-empty", 38055, R"("Defects"."Good"."No Formula")"},
      {"derived-column-uses-itself", 38052, R"("Defects"."Good"."Loop")"},
      {"source-maps-nothing", 38010, R"("Defects"."Blank"."LTS2 T1")"},
      {"source-without-physical-tables", 38066, R"("Defects"."Tableless"."LTS2 none")"},
      {"logical-column-mapped-to-deleted", 38108, R"("Defects"."Stale"."A")"},
      {"source-reads-deleted-table", 38107, R"("Defects"."Good"."LTS2 gone")"},
      {"expression-refers-to-deleted", 38202, R"("Defects"."Good"."Stale Formula")"},
      {"logical-key-without-columns", 38084, R"("Defects"."Good"."Empty Key")"},
      {"logical-foreign-key-without-target", 38110, R"("Defects"."Good"."Good to Nowhere")"},
      {"dimension-without-levels", 38025, R"("Defects"."Flat")"},
      {"level-without-key", 38011, R"("Defects"."Shallow"."Total"."Leaf")"},
      {"level-without-columns", 38026, R"("Defects"."Bare"."Total"."Empty Level")"},
      {"presentation-column-duplicate-name", 38209, R"("Defects Area".."Good"."a")"},
      {"presentation-column-without-logical", 38073, R"("Defects Area".."Good"."Lost")"},
      {"empty-display-name", 38201, R"("Defects Area".."Good"."Unnamed")"},
      {"description-undefined-session-variable", 38203, R"("Defects Area".."Good"."Described")"},
      {"presentation-table-without-columns", 38204, R"("Defects Area".."Nothing")"},
      {"presentation-hierarchy-without-levels", 38212, R"("Defects Area".."Good"."No Levels")"},
      {"subject-area-without-tables", 38200, R"("Empty Area")"},
      {"subject-area-without-business-model", 38213, R"("Orphan Area")"},
  };
  return planted;
}

std::vector<Planted> FindingsOf(const std::string& jsonText) {
  std::vector<Planted> found;
  for (const auto& f : nlohmann::json::parse(jsonText)) {
    found.emplace_back(f["check"].get<std::string>(), f["messageId"].get<std::uint64_t>(),
                       f["object"]["qualifiedName"].get<std::string>());
  }
  return found;
}

TEST(CmdCheck, BrokenSampleReportsEachPlantedDefectOnceAndNothingElse) {
  const auto r = RunTool({"--repo", kBroken, "check", "--format", "json"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  std::vector<Planted> found = FindingsOf(r.out);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << "a defect reported twice";
  const std::set<Planted> foundSet(found.begin(), found.end());
  for (const Planted& p : PlantedDefects()) {
    EXPECT_TRUE(foundSet.contains(p)) << "not found: " << std::get<0>(p) << " " << std::get<2>(p);
  }
  for (const Planted& f : found) {
    EXPECT_TRUE(PlantedDefects().contains(f)) << "not planted: " << std::get<0>(f) << " " << std::get<2>(f);
  }
}

// The argument objects follow the message's recipe: the duplicate-name
// finding names the later table first and the earlier one second.
TEST(CmdCheck, JsonNamesTheArgumentObjectsInMessageOrder) {
  const auto r = RunTool({"--repo", kBroken, "check", "--type", "TABLE", "--format", "json"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  bool bSeen = false;
  for (const auto& f : doc) {
    if (f["check"] != "physical-table-duplicate-name") continue;
    bSeen = true;
    ASSERT_EQ(f["objects"].size(), 2u);
    EXPECT_EQ(f["objects"][0]["name"], "t1");
    EXPECT_EQ(f["objects"][1]["name"], "T1");
    EXPECT_EQ(f["severity"], "error");
  }
  EXPECT_TRUE(bSeen) << r.out;
}

TEST(CmdCheck, TextLinesAndCount) {
  const auto r = RunTool({"--repo", kBroken, "check", "--type", "PHYSICAL TABLE"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  EXPECT_EQ(lines[0],
            "error\t38179\tphysical-table-duplicate-name\t\"Defects DB\"...\"t1\"\tPhysical table "
            "\"Defects DB\"...\"t1\" and physical table \"Defects DB\"...\"T1\" have the same name in the "
            "same container.");
  EXPECT_EQ(lines.back(), "3 errors, 0 warnings, 0 best practice");
}

// Warnings alone exit 0, unless warnings are made to fail the run.
TEST(CmdCheck, ExitCodesFollowTheWorstSeverity) {
  const auto warningsOnly = RunTool({"--repo", kBroken, "check", "--type", "3031", "3033"});
  EXPECT_EQ(warningsOnly.exitCode, 0) << warningsOnly.out;
  EXPECT_EQ(Lines(warningsOnly.out).back(), "0 errors, 2 warnings, 0 best practice");
  EXPECT_EQ(RunTool({"--repo", kBroken, "check", "--type", "3031", "--max-severity", "warning"}).exitCode, 1);
  EXPECT_EQ(RunTool({"--repo", kBroken, "check", "--type", "3031", "--max-severity", "error"}).exitCode, 0);
  EXPECT_EQ(RunTool({"check", "--type", "NO SUCH TYPE"}).exitCode, 2);
  const auto missing = RunTool({"check", "--object", "\"No\".\"Such\""});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("no object named"), std::string::npos) << missing.err;
}

TEST(CmdCheck, ObjectScopeTakesTheObjectAndWhatItContains) {
  const auto r = RunTool({"--repo", kBroken, "check", "--format", "json", "--object", R"("Defects DB"..."T2")"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  std::vector<Planted> found = FindingsOf(r.out);
  std::sort(found.begin(), found.end());
  const std::vector<Planted> expected = {
      {"foreign-key-column-count", 38180, R"("Defects DB"..."T2"."T2_COUNT_FK")"},
      {"foreign-key-column-elsewhere", 38142, R"("Defects DB"..."T2"."T2_ELSEWHERE_FK")"}};
  EXPECT_EQ(found, expected);
}

// Files the tests write, each of a name of its own.
const testutil::ScratchDir kScratch;
std::string WriteText(const std::string& text) {
  static int n = 0;
  return kScratch.Write("file" + std::to_string(++n), text);
}

TEST(CmdCheck, ChangedSinceChecksOnlyWhatDiffersAndWhatRefersToIt) {
  // Nothing changed: nothing checked.
  const auto same = RunTool({"--repo", kBroken, "check", "--changed-since", kBroken});
  EXPECT_EQ(same.exitCode, 0) << same.out;
  EXPECT_EQ(same.out, "0 errors, 0 warnings, 0 best practice\n");

  // The empty table renamed: its own finding, under its new name, and
  // nothing from the rest of the repository.
  std::string text = ReadFile(kBroken);
  const std::string renamed = WriteText(text.replace(text.find(R"(name="EMPTY_T")"), 14, R"(name="EMPTY_TABLE")"));
  const auto r = RunTool({"--repo", renamed, "check", "--format", "json", "--changed-since", kBroken});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::vector<Planted> expected = {{"physical-table-without-columns", 38146, R"("Defects DB"..."EMPTY_TABLE")"}};
  EXPECT_EQ(FindingsOf(r.out), expected);
}

TEST(CmdCheck, ChangedSinceABrokenEarlierFileIsAnError) {
  const std::string text = ReadFile(kBroken);
  for (const std::string& broken : {text.substr(0, text.size() / 2), text.substr(0, text.rfind("</repository>")),
                                    std::string("<repository format=\"1\"><object/></repository>\n")}) {
    const std::string earlier = WriteText(broken);
    ASSERT_FALSE(earlier.empty());
    const auto r = RunTool({"--repo", kBroken, "check", "--changed-since", earlier});
    EXPECT_EQ(r.exitCode, 3) << r.out;
    EXPECT_EQ(r.out, "");
    // Worded as the repository's own load fault, its place named once.
    EXPECT_NE(r.err.find("cannot load the earlier repository " + earlier + " (line "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(earlier + ":"), std::string::npos) << r.err;
  }
}

// The SARIF log validates against the SARIF 2.1.0 schema (python3 with
// jsonschema, Debian's python3-jsonschema) and has one result per finding.
TEST(CmdCheck, SarifValidatesAgainstTheSchema) {
  const auto r = RunTool({"--repo", kBroken, "check", "--format", "sarif"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  const std::string path = WriteText(r.out);
  const std::string dir = std::string(SMUTIL_SAMPLES_DIR) + "/../tests/tools/sarif/";
  const auto v =
      RunProgram("/usr/bin/env", {"python3", dir + "validate_sarif.py", dir + "sarif-schema-2.1.0.json", path});
  EXPECT_EQ(v.exitCode, 0) << v.err;

  // The validator can fail: a level outside SARIF's set, reported at that level.
  std::string bad = r.out;
  bad.replace(bad.find("\"level\":\"error\"", bad.find("\"results\"")), 15, "\"level\":\"fatal\"");
  const auto vBad = RunProgram("/usr/bin/env",
                               {"python3", dir + "validate_sarif.py", dir + "sarif-schema-2.1.0.json", WriteText(bad)});
  EXPECT_EQ(vBad.exitCode, 1) << vBad.err;
  EXPECT_NE(vBad.err.find("runs/0/results/0/level: 'fatal' is not one of"), std::string::npos) << vBad.err;

  const auto log = nlohmann::json::parse(r.out);
  EXPECT_EQ(log["version"], "2.1.0");
  const auto& run = log["runs"][0];
  EXPECT_EQ(run["results"].size(), PlantedDefects().size());
  const auto& rules = run["tool"]["driver"]["rules"];
  for (const auto& result : run["results"]) {
    const auto& rule = rules[result["ruleIndex"].get<std::size_t>()];
    EXPECT_EQ(rule["id"], result["ruleId"]);
    EXPECT_EQ(rule["defaultConfiguration"]["level"], result["level"]);
    EXPECT_EQ(rule["fullDescription"]["text"].get<std::string>().find('%'), std::string::npos) << rule;
  }
  // The file by its name under the base set to its directory.
  EXPECT_EQ(run["originalUriBaseIds"]["SRCROOT"]["uri"], "file://" + std::string(SMUTIL_SAMPLES_DIR) + "/");
  EXPECT_EQ(run["artifacts"][0]["location"]["uri"], "broken.rpd.xml");
  // The business model "Empty Model" is line 465 of the file:
  // `  <object id="2000:902" name="Empty Model"/>`, 42 characters from column 3.
  std::size_t placed = 0;
  for (const auto& result : run["results"]) {
    const auto& location = result["locations"][0];
    if (location["logicalLocations"][0]["fullyQualifiedName"] != "\"Empty Model\"") continue;
    ++placed;
    EXPECT_EQ(location["physicalLocation"]["region"],
              nlohmann::json::parse(R"({"startLine":465,"startColumn":3,"endLine":465,"endColumn":45})"));
    EXPECT_EQ(location["physicalLocation"]["artifactLocation"]["uriBaseId"], "SRCROOT");
  }
  EXPECT_EQ(placed, 1u);
}

// What check --format json writes, site --messages reads: each finding shows
// on its object's page with its text.
TEST(CmdCheck, FindingsFileFeedsTheSite) {
  const auto r = RunTool({"--repo", kBroken, "check", "--format", "json"});
  ASSERT_EQ(r.exitCode, 1) << r.err;
  const std::string dir = kScratch.Path("site"), findings = WriteText(r.out);
  const auto site = RunTool({"--repo", kBroken, "site", dir, "--messages", findings});
  EXPECT_EQ(site.exitCode, 0) << site.err;
  const auto grep =
      RunProgram("/usr/bin/env", {"grep", "-rl", "Business model Empty Model has no logical tables.", dir});
  EXPECT_EQ(grep.exitCode, 0) << "no page shows the finding";
}

}  // namespace
