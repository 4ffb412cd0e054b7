// The query command over the bundled example queries and the sample
// repository, run as a user would run it. The long renderings are golden
// files (tests/metadata/golden/query_*.txt), which the test never writes:
// scripts/update-goldens.sh rewrites them from the output the test leaves in
// SMUTIL_GOLDEN_OUT when that names a directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::ReadFile;
using cmdtest::RunTool;
using cmdtest::ToolRun;

ToolRun RunQueryTool(std::vector<std::string> args) {
  args.insert(args.begin(), "query");
  return RunTool(args);
}

const std::string kSamples = SMUTIL_SAMPLES_DIR;
const std::string kGolden = std::string(SMUTIL_SAMPLES_DIR) + "/../tests/metadata/golden/";

// Query files written for one test.
const testutil::ScratchDir kScratch;
std::string WriteQueryFile(const std::string& text) {
  static int n = 0;
  return kScratch.Write("q" + std::to_string(++n) + ".qry", text);
}

TEST(CmdQuery, ExampleQueriesMatchTheirGoldenFiles) {
  struct Case {
    const char* file;
    std::vector<std::string> flags;
    const char* golden;
  };
  const Case cases[] = {
      {"orders_by_region.qry", {}, "query_orders_by_region.txt"},
      {"orders_by_region.qry", {"--tabs", "--fq"}, "query_orders_by_region_tabs_fq.txt"},
      {"orders_by_region.qry", {"--diag"}, "query_orders_by_region_diag.txt"},
      {"responders_union.qry", {"--native"}, "query_responders_union_native.txt"},
      {"responders_union.qry", {"--query", "buyers", "--tabs"}, "query_responders_buyers_tabs.txt"},
      {"subject_area_short.qry", {"--native", "--short"}, "query_subject_area_native_short.txt"},
      {"subject_area_short.qry", {"--short"}, "query_subject_area_short.txt"},
  };
  const char* const actualDir = std::getenv("SMUTIL_GOLDEN_OUT");
  for (const Case& c : cases) {
    std::vector<std::string> args = c.flags;
    args.push_back(kSamples + "/queries/" + c.file);
    const ToolRun r = RunQueryTool(args);
    ASSERT_EQ(r.exitCode, 0) << c.file << ": " << r.err;
    EXPECT_EQ(r.err, "");
    const std::string golden = kGolden + c.golden;
    if (actualDir) std::ofstream(std::string(actualDir) + "/" + c.golden, std::ios::binary) << r.out;
    EXPECT_EQ(r.out, ReadFile(golden)) << c.golden;
  }
}

TEST(CmdQuery, BytesRoundTripThroughSubqueryTokens) {
  // The byte form printed for a query, used as a subquery token in a second
  // file, renders as that query does in native form with tabs.
  const std::string base = WriteQueryFile("query inner\n  select x = 1\n  from #3001:1\n");
  const ToolRun bytes = RunQueryTool({"--bytes", base});
  ASSERT_EQ(bytes.exitCode, 0) << bytes.err;
  const std::string hex = bytes.out.substr(0, bytes.out.find('\n'));
  const std::string outer = WriteQueryFile("query outer\n  where Exists(SQ'" + hex + "')\n");
  const ToolRun a = RunQueryTool({"--native", outer});
  const ToolRun b = RunQueryTool({"--native", "--tabs", base});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  EXPECT_NE(a.out.find(b.out.substr(0, b.out.size() - 1)), std::string::npos) << a.out;
}

// A query file that does not read exits 3, named with the line of its
// fault, or alone when the fault is the whole file's (line 0).
TEST(CmdQuery, FileErrorsNameTheFileAndLine) {
  const auto refused = [](const char* text, int line, const std::string& message) {
    const std::string path = WriteQueryFile(text);
    const std::string place = line ? path + ":" + std::to_string(line) : path;
    return cmdtest::Refusal{{"query", path}, "smutil query: " + place + ": " + message};
  };
  cmdtest::ExpectRefusals(
      3, {
             refused("select a = 1\n", 1, "this line belongs inside a 'query NAME' block"),
             refused("query q\n\n  from {TABLE:\"No\".\"Such\"}\n", 3, "no TABLE (3001) named \"No\".\"Such\""),
             refused("query q\n  where Add(1,\n", 2, "bad expression"),
             refused("query q\n  from {NOTATYPE:\"x\"}\n", 2, ""),
             refused("query q\nquery q\n", 2, "a query named 'q' is already defined"),
             refused("# nothing\n", 0, "the file defines no query"),
         });
}

}  // namespace
