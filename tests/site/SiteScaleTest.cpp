// The site of a big repository: unconnected tables in a grid rather than
// one column, a capped picture that links to the full list, pictures whose
// nodes are links, stale pages removed on a rebuild (and nothing else), and
// search keys for every word of a name.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "Site/SiteWriter.h"
#include "SiteFiles.h"
#include "SiteGraphs.h"
#include "SiteTestUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace smutil_site {
namespace {

using namespace site_test;

TEST(SiteGrid, ColumnsAreTheSquareRootRoundedUpAtMostSix) {
  const std::pair<std::size_t, std::size_t> cases[] = {{1, 1},  {2, 2},  {4, 2},  {5, 3},  {9, 3},  {10, 4}, {16, 4},
                                                       {17, 5}, {26, 6}, {36, 6}, {37, 6}, {60, 6}, {0, 1},  {1000, 6}};
  for (const auto& [n, columns] : cases) EXPECT_EQ(GridColumns(n), columns) << n << " nodes";
}

TEST(SiteGrid, UnconnectedAreTheNodesWithoutAnEdgeToAnother) {
  Graph g;
  g.nodes.resize(6);
  g.edges = {{0, 1}, {2, 2}, {3, 9}};  // a loop and an edge to nowhere join nothing
  EXPECT_EQ(UnconnectedNodes(g), (std::vector<std::size_t>{2, 3, 4, 5}));
}

// The centres of the nodes of an SVG Graphviz wrote: node title -> (x, y)
// of its first text line.
std::map<std::string, std::pair<double, double>> NodeCentres(const std::string& svg) {
  static const std::regex node(
      R"re(<g id="node\d+" class="node">\s*<title>([^<]*)</title>[\s\S]*?<text[^>]* x="([-0-9.]+)" y="([-0-9.]+)")re");
  std::map<std::string, std::pair<double, double>> out;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), node); it != std::sregex_iterator(); ++it) {
    out[(*it)[1].str()] = {std::stod((*it)[2].str()), std::stod((*it)[3].str())};
  }
  return out;
}

// How many columns and rows the nodes stand in.
std::pair<std::size_t, std::size_t> ColumnsAndRows(const std::map<std::string, std::pair<double, double>>& centres) {
  std::set<double> xs, ys;
  for (const auto& [name, at] : centres) {
    xs.insert(at.first);
    ys.insert(at.second);
  }
  return {xs.size(), ys.size()};
}

TEST(SiteGrid, SixtyTablesWithoutJoinsStandSixToARowInTenRows) {
  Graph g;
  g.bLeftToRight = true;
  for (int i = 0; i < 60; ++i) g.nodes.push_back({ToVXString("T_" + std::to_string(i)), "", U"", false});
  GraphRenderer renderer;
  const std::string svg = renderer.Svg(g);
  const auto centres = NodeCentres(svg);
  ASSERT_EQ(centres.size(), 60u);
  EXPECT_EQ(ColumnsAndRows(centres), (std::pair<std::size_t, std::size_t>{6, 10}));
  // The rows' invisible edges are not drawn.
  EXPECT_EQ(svg.find("class=\"edge\""), std::string::npos);
}

TEST(SiteGrid, JoinedTablesKeepTheirLayoutAndTheRestFormAGridBeside) {
  Graph g;
  g.bLeftToRight = true;
  for (int i = 0; i < 10; ++i) g.nodes.push_back({ToVXString("T" + std::to_string(i)), "", U"", false});
  g.edges = {{0, 1}, {1, 2}};  // T0 -> T1 -> T2; seven tables join nothing
  const auto centres = NodeCentres(GraphRenderer().Svg(g));
  ASSERT_EQ(centres.size(), 10u);
  // The chain runs left to right on one line.
  EXPECT_LT(centres.at("n0").first, centres.at("n1").first);
  EXPECT_LT(centres.at("n1").first, centres.at("n2").first);
  EXPECT_EQ(centres.at("n0").second, centres.at("n2").second);
  // Seven unconnected: rows of three (3, 3, 1).
  std::map<std::string, std::pair<double, double>> alone;
  for (int i = 3; i < 10; ++i) alone["n" + std::to_string(i)] = centres.at("n" + std::to_string(i));
  EXPECT_EQ(ColumnsAndRows(alone), (std::pair<std::size_t, std::size_t>{3, 3}));
}

// A business model of n logical tables and a database of n physical
// tables, none joined.
struct BigModel {
  ARpGateway rp;
  VoidID bm, db;
  explicit BigModel(int n) {
    RpBuilder b(rp);
    bm = b.Add(kTIDASubjectArea, U"Big");
    db = b.Add(kTIDADatabase, U"DW");
    for (int i = 0; i < n; ++i) {
      b.At(bm).Child(kTIDALogicalTable, ToVXString("Table " + std::to_string(i)));
      b.At(db).Child(kTIDATable, ToVXString("T_" + std::to_string(i)));
    }
  }
  std::string PagePath(const VoidID& id) { return SiteFileOf(rp.GetObject(id)); }
};

TEST(SitePictureCap, ABusinessModelOfMoreThanSixtyTablesLinksToTheFullList) {
  BigModel m(520);
  TempDir dir;
  WriteSiteIn(&m.rp, dir);
  for (const VoidID& container : {m.bm, m.db}) {
    const std::string path = m.PagePath(container);
    const std::string html = ReadFile(dir.Dir() / path);
    EXPECT_NE(html.find("60 of 520"), std::string::npos) << path;
    // 500 children a page: the container's own page and one more.
    const std::string stem = path.substr(0, path.size() - 5);
    EXPECT_LT(fs::file_size(dir.Dir() / path), 200u * 1024) << path;
    EXPECT_TRUE(fs::exists(dir.Dir() / (stem + "~children-2.html"))) << path;
    EXPECT_FALSE(fs::exists(dir.Dir() / (stem + "~children-3.html"))) << path;
    EXPECT_NE(html.find("class=\"more\""), std::string::npos) << path;
    // The picture is an object, so its nodes can be followed.
    EXPECT_NE(html.find("<object class=\"picture\" type=\"image/svg+xml\" data=\""), std::string::npos);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    // 520 tables, 500 a page: two list pages, linked to each other.
    const std::string first = ReadFile(dir.Dir() / (stem + "~joins-1.html"));
    const std::string second = ReadFile(dir.Dir() / (stem + "~joins-2.html"));
    EXPECT_FALSE(fs::exists(dir.Dir() / (stem + "~joins-3.html")));
    EXPECT_EQ(Occurrences(first, "joins nothing"), 500u);
    EXPECT_EQ(Occurrences(second, "joins nothing"), 20u);
    EXPECT_NE(first.find(">next</a>"), std::string::npos);
    EXPECT_NE(second.find(">previous</a>"), std::string::npos);
    for (const std::string& page : {first, second}) {
      for (const std::string& link : LinksOf(page)) {
        EXPECT_TRUE(fs::exists((dir.Dir() / path).parent_path() / PercentDecoded(link))) << link;
      }
    }
    // The picture holds 60 nodes, each a link to its table's page.
    const std::string svg = ReadFile(dir.Dir() / (stem + ".svg"));
    EXPECT_EQ(Occurrences(svg, "class=\"node\""), 60u);
    EXPECT_EQ(Occurrences(svg, "<a xlink:href=\""), 60u);
  }
}

TEST(SitePictureCap, SixtyTablesFitAndGetNoList) {
  BigModel m(60);
  TempDir dir;
  WriteSiteIn(&m.rp, dir);
  const std::string path = m.PagePath(m.bm);
  const std::string html = ReadFile(dir.Dir() / path);
  EXPECT_NE(html.find("The logical tables and their joins."), std::string::npos);
  EXPECT_EQ(html.find("class=\"more\""), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.Dir() / (path.substr(0, path.size() - 5) + "~joins-1.html")));
}

TEST(SitePaths, OnlyPlainRelativePathsAreTheSitesOwn) {
  const std::pair<const char*, bool> cases[] = {
      {"index.html", true},      {"Database/DB_x/PT_y.html", true},
      {"search/a~2.js", true},   {"", false},
      {"/etc/passwd", false},    {"../outside.html", false},
      {"a/../../b.html", false}, {"a//b.html", false},
      {"./index.html", false},   {"a/./b.html", false},
      {"a\\..\\b.html", false},  {".site-hashes", false},
      {"Database/", false},      {"..", false},
      {"...html", true},
  };
  for (const auto& [path, bOwn] : cases) EXPECT_EQ(IsSitePath(path), bOwn) << path;
}

class StalePages : public ::testing::Test {
 protected:
  StalePages() : b(rp) {
    db = b.Add(kTIDADatabase, U"DW");
    keep = b.At(db).Child(kTIDATable, U"KEEP");
    gone = b.At(db).Child(kTIDATable, U"GONE");
    b.At(gone).Child(kTIDAColumn, U"ID");
    options.outDir = dir.Dir();
  }
  std::string PagePath(const VoidID& id) { return SiteFileOf(rp.GetObject(id)); }
  ARpGateway rp;
  RpBuilder b;
  VoidID db, keep, gone;
  TempDir dir;
  SiteOptions options;
};

TEST_F(StalePages, ARebuildRemovesThePagesOfDeletedObjectsAndNothingElse) {
  const std::string gonePage = PagePath(gone);
  const fs::path goneFolder = (dir.Dir() / gonePage).parent_path() / fs::path(gonePage).stem();
  WriteSite(&rp, options);
  ASSERT_TRUE(fs::exists(dir.Dir() / gonePage));
  ASSERT_TRUE(fs::is_directory(goneFolder));  // its column's page is in there
  // Files of the user's own, beside the pages and in the site's folders.
  std::ofstream(dir.Dir() / "notes.txt") << "mine";
  std::ofstream((dir.Dir() / PagePath(keep)).parent_path() / "README") << "mine too";
  rp.DeleteObject(gone);
  const SiteReport report = WriteSite(&rp, options);
  // The table's page and its column's, and the search shards of the names
  // no object has now (g.js for GONE, i.js for ID; DW and KEEP stay).
  EXPECT_EQ(report.removed, 4u);
  EXPECT_FALSE(fs::exists(dir.Dir() / "search" / "g.js"));
  EXPECT_FALSE(fs::exists(dir.Dir() / "search" / "i.js"));
  EXPECT_TRUE(fs::exists(dir.Dir() / "search" / "k.js"));
  EXPECT_EQ(report.keptStale, 0u);
  EXPECT_FALSE(fs::exists(dir.Dir() / gonePage));
  EXPECT_FALSE(fs::exists(goneFolder));  // emptied, so removed
  EXPECT_EQ(ReadFile(dir.Dir() / "notes.txt"), "mine");
  EXPECT_EQ(ReadFile((dir.Dir() / PagePath(keep)).parent_path() / "README"), "mine too");
  EXPECT_TRUE(fs::exists(dir.Dir() / PagePath(keep)));
  // The list now names only what this run wrote: a third run removes nothing.
  EXPECT_EQ(WriteSite(&rp, options).removed, 0u);
}

TEST_F(StalePages, AStalePageChangedByHandIsKept) {
  const std::string gonePage = PagePath(gone);
  WriteSite(&rp, options);
  std::ofstream(dir.Dir() / gonePage, std::ios::app) << "<!-- my notes -->";
  rp.DeleteObject(gone);
  const SiteReport report = WriteSite(&rp, options);
  EXPECT_EQ(report.keptStale, 1u);
  EXPECT_EQ(report.removed, 3u);  // the column's page, unchanged, and the shards g.js and i.js
  EXPECT_NE(ReadFile(dir.Dir() / gonePage).find("my notes"), std::string::npos);
}

TEST_F(StalePages, ALinkInPlaceOfAStalePageIsNotFollowed) {
  const std::string gonePage = PagePath(gone);
  WriteSite(&rp, options);
  // The page replaced by a link to a file outside, with the page's content.
  TempDir outside;
  const fs::path target = outside.Dir() / "precious.html";
  fs::copy_file(dir.Dir() / gonePage, target);
  fs::remove(dir.Dir() / gonePage);
  fs::create_symlink(target, dir.Dir() / gonePage);
  rp.DeleteObject(gone);
  const SiteReport report = WriteSite(&rp, options);
  EXPECT_EQ(report.keptStale, 1u);
  EXPECT_TRUE(fs::exists(target));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.Dir() / gonePage)));
}

TEST_F(StalePages, AListNamingFilesOutsideTheSiteRemovesNone) {
  WriteSite(&rp, options);
  // A list written by someone else, naming a file beside the site with its
  // true hash: still not the site's to remove.
  TempDir outside;
  const fs::path victim = outside.Dir() / "victim.html";
  std::ofstream(victim) << "x";
  const std::string line = "2d711642b726b04401627ca9fbac32f5 ";  // SHA-256 of "x", first 16 bytes
  std::ofstream(dir.Dir() / ".site-hashes", std::ios::app)
      << line << "../" << victim.parent_path().filename().string() << "/victim.html\n"
      << line << victim.string() << "\n";
  // The site's folder is a sibling of outside's under the temporary folder.
  ASSERT_EQ(dir.Dir().parent_path(), outside.Dir().parent_path());
  const SiteReport report = WriteSite(&rp, options);
  EXPECT_EQ(report.removed, 0u);
  EXPECT_TRUE(fs::exists(victim));
}

TEST(SiteSearchKeys, ANameIsFoundFromEachOfItsWords) {
  const std::pair<VXString, std::vector<std::string>> cases[] = {
      {U"W_ORDERS_F", {"w_orders_f", "orders_f", "f"}},
      {U"OrderLines", {"orderlines", "lines"}},
      {U"Customer Name", {"customer_name", "name"}},
      {U"iPhone", {"iphone", "phone"}},
      {U"Q2Sales", {"q2sales"}},  // an upper-case letter after a digit starts no word
      {U"ORDERS", {"orders"}},
      {U"Kunden & Märkte", {"kunden___m_rkte", "m_rkte", "rkte"}},  // ä is no ASCII letter
      {U"#?%", {"___"}},
      {U"<script>", {"_script_", "script_"}},  // the whole name, and from its first word
      {U"", {""}},
  };
  for (const auto& [name, keys] : cases) EXPECT_EQ(SearchKeys(name), keys) << ToNarrow(name);
}

TEST(SiteSearchKeys, ShardsFileAnObjectUnderItsWordsAndItsDisplayName) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DW");
  b.At(db).Child(kTIDATable, U"W_ORDERS_F");
  auto area = b.Add(kTIDACatalogFolder, U"Sales");
  auto table = b.At(area).Child(kTIDAEntityFolder, U"Customers");
  table.Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, VXString(U"Kunden"));
  TempDir dir;
  WriteSiteIn(&rp, dir);
  // Few names: every shard is one letter; each word's letter has the entry.
  auto shard = [&](const char* key) { return ReadFile(dir.Dir() / "search" / (std::string(key) + ".js")); };
  for (const char* key : {"w", "o", "f"}) EXPECT_NE(shard(key).find("\"W_ORDERS_F\""), std::string::npos) << key;
  EXPECT_NE(shard("k").find("\"Customers\""), std::string::npos);
  EXPECT_NE(shard("k").find("\"Kunden\""), std::string::npos);
  EXPECT_NE(shard("c").find("\"Customers\""), std::string::npos);
}

}  // namespace
}  // namespace smutil_site
