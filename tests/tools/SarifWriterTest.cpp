// The SARIF writer: URIs of artifacts under and outside the base directory,
// and a log that reads back with every part where SARIF puts it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "Sarif/SarifWriter.h"

namespace {

using smutil_sarif::FileUri;
using smutil_sarif::RelativeUri;

TEST(SarifUris, PercentEncodedWhereAPathCannotHoldTheCharacter) {
  const std::vector<std::tuple<std::string, bool, std::string>> files = {
      {"/work/repo/sample.rpd.xml", false, "file:///work/repo/sample.rpd.xml"},
      {"/work/my repo/a#b?.xml", false, "file:///work/my%20repo/a%23b%3F.xml"},
      {"/srv/caf\xC3\xA9", true, "file:///srv/caf%C3%A9/"},
      {"/srv/", true, "file:///srv/"},
      {"/a/100%.xml", false, "file:///a/100%25.xml"},
  };
  for (const auto& [path, bDirectory, uri] : files) EXPECT_EQ(FileUri(path, bDirectory), uri) << path;
  EXPECT_EQ(RelativeUri("sub dir/x.xml"), "sub%20dir/x.xml");
  // A colon in the first segment would make it a scheme.
  EXPECT_EQ(RelativeUri("c:x.xml"), "c%3Ax.xml");
}

TEST(SarifWriter, ArtifactsResultsAndRegions) {
  std::ostringstream out;
  smutil_sarif::Rule rule;
  rule.id = "table-without-columns";
  rule.name = "TableWithoutColumns";
  rule.shortDescription = "A table with no columns.";
  rule.fullDescription = "A table with no columns. Reported as message 1.";
  rule.help = "Add columns.";
  rule.defaultLevel = smutil_sarif::Level::kWarning;
  rule.numberProperties = {{"messageId", 1}};
  smutil_sarif::SarifWriter w(out, {"tool", "1.0", "file:///doc/checks.md"}, {rule}, "/work/repo",
                              {"/work/repo/sub/a.xml", "/elsewhere/b.xml"});
  smutil_sarif::Result r;
  r.level = smutil_sarif::Level::kNote;
  r.message = "First.";
  r.region = smutil_sarif::Region{3, 5, 4, 12};
  r.logicalLocation = smutil_sarif::LogicalLocation{"T", "\"db\".\"T\"", "table"};
  r.partialFingerprints = {{"f/v1", "x"}};
  w.Add(r);
  r.artifactIndex = 1;
  r.region.reset();
  r.logicalLocation.reset();
  r.message = "Second.";
  w.Add(r);
  r.artifactIndex = 2;
  EXPECT_THROW(w.Add(r), std::out_of_range);
  w.Finish();
  EXPECT_THROW(w.Add(r), std::logic_error);

  const auto log = nlohmann::json::parse(out.str());
  const auto& run = log["runs"][0];
  EXPECT_EQ(run["originalUriBaseIds"]["SRCROOT"]["uri"], "file:///work/repo/");
  EXPECT_EQ(run["columnKind"], "unicodeCodePoints");
  EXPECT_EQ(run["tool"]["driver"]["informationUri"], "file:///doc/checks.md");
  EXPECT_EQ(run["tool"]["driver"]["rules"][0]["help"]["text"], "Add columns.");
  EXPECT_EQ(run["tool"]["driver"]["rules"][0]["defaultConfiguration"]["level"], "warning");
  EXPECT_EQ(run["tool"]["driver"]["rules"][0]["properties"]["messageId"], 1);
  EXPECT_EQ(run["artifacts"][0]["location"], nlohmann::json::parse(R"({"uri":"sub/a.xml","uriBaseId":"SRCROOT"})"));
  EXPECT_EQ(run["artifacts"][1]["location"], nlohmann::json::parse(R"({"uri":"file:///elsewhere/b.xml"})"));
  ASSERT_EQ(run["results"].size(), 2u);
  const auto& first = run["results"][0];
  EXPECT_EQ(first["ruleId"], "table-without-columns");
  EXPECT_EQ(first["level"], "note");
  EXPECT_EQ(first["locations"][0]["physicalLocation"]["artifactLocation"],
            nlohmann::json::parse(R"({"uri":"sub/a.xml","uriBaseId":"SRCROOT","index":0})"));
  EXPECT_EQ(first["locations"][0]["physicalLocation"]["region"],
            nlohmann::json::parse(R"({"startLine":3,"startColumn":5,"endLine":4,"endColumn":12})"));
  EXPECT_EQ(first["locations"][0]["logicalLocations"][0]["fullyQualifiedName"], "\"db\".\"T\"");
  EXPECT_EQ(first["partialFingerprints"]["f/v1"], "x");
  const auto& second = run["results"][1];
  EXPECT_EQ(second["locations"][0]["physicalLocation"]["artifactLocation"]["index"], 1);
  EXPECT_FALSE(second["locations"][0]["physicalLocation"].contains("region"));
  EXPECT_FALSE(second["locations"][0].contains("logicalLocations"));
}

TEST(SarifWriter, ALogWithoutResultsIsStillALog) {
  std::ostringstream out;
  {
    smutil_sarif::SarifWriter w(out, {"tool", "1.0", ""}, {}, ".", {});
    w.Finish();
  }
  const auto log = nlohmann::json::parse(out.str());
  EXPECT_EQ(log["version"], "2.1.0");
  EXPECT_TRUE(log["runs"][0]["results"].empty());
  EXPECT_FALSE(log["runs"][0]["tool"]["driver"].contains("informationUri"));
}

}  // namespace
