// Names are user data: markup, quotes, backslashes and control characters in
// names stay text in pages, pictures and the search index; colliding
// dictionary names get pages of their own.
#include <gtest/gtest.h>

#include <set>

#include "Site/SiteWriter.h"
#include "SiteFiles.h"
#include "SiteGraphs.h"
#include "SiteTestUtil.h"
#include "Utility/SUGDOM.h"
#include "common/Caught.h"
#include "objectmodel/RpBuilder.h"

namespace smutil_site {
namespace {

using namespace site_test;

const VXString kScript = U"<script>alert(1)</script>";
const VXString kImg = U"<img src=x onerror=alert(2)>";

TEST(SiteHostile, MarkupInNamesStaysText) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, kScript);
  auto t1 = db.Child(kTIDATable, kImg);
  t1.Child(kTIDAColumn, U"a\"b'c&d");
  t1.Child(kTIDAColumn, VXString(U"back\\N\\G") + char32_t{7});
  auto key = t1.Child(kTIDATableKey, U"PK");
  auto t2 = db.Child(kTIDATable, U"#?% </title>");
  auto fk = t2.Child(kTIDAForeignKey, U"FK");
  b.Relate(RpRel::kForeignKeyReference, {t2, key, fk});
  TempDir dir;
  WriteSiteIn(&rp, dir);

  std::size_t pages = 0;
  for (const fs::path& page : FilesWithExtension(dir.Dir(), ".html")) {
    const std::string html = ReadFile(page);
    for (const char* raw : {"<script>alert", "<img src=x", "</title>\"", "a\"b'c"}) {
      EXPECT_EQ(html.find(raw), std::string::npos) << page << " holds " << raw;
    }
    for (const std::string& link : LinksOf(html)) {
      EXPECT_TRUE(fs::exists(page.parent_path() / PercentDecoded(link))) << page << ": " << link;
    }
    ++pages;
  }
  EXPECT_EQ(pages, 7u + 3u);  // the seven objects, index, search and the list of databases

  const std::vector<fs::path> pictures = FilesWithExtension(dir.Dir(), ".svg");
  ASSERT_EQ(pictures.size(), 1u);
  const std::string svg = ReadFile(pictures.front());
  SUGDomErrorReporter reporter;
  EXPECT_TRUE(SUGDOM::ParseMemoryDocument(svg, U"db.svg", U"", reporter)) << ToNarrow(reporter.GetErrorText());
  EXPECT_EQ(svg.find("<img src=x"), std::string::npos);
  EXPECT_NE(svg.find("&lt;img src=x onerror=alert(2)&gt;"), std::string::npos);

  // The search shards are scripts: a name there is a string with every
  // markup character escaped.
  bool bFound = false;
  for (const fs::path& shard : FilesWithExtension(dir.Dir() / "search", ".js")) {
    const std::string js = ReadFile(shard);
    EXPECT_EQ(js.find("<script"), std::string::npos);
    bFound = bFound || js.find("\\u003Cscript\\u003Ealert(1)") != std::string::npos;
  }
  EXPECT_TRUE(bFound);
}

TEST(SiteHostile, BackslashesAndControlCharactersReachThePictureAsText) {
  Graph graph;
  graph.nodes.push_back({U"back\\N\\G", "", U"t\\l", false});
  graph.nodes.push_back({VXString(U"bell") + char32_t{7}, "a b.html", U"", true});
  graph.nodes.push_back({U"T&lt; & a&amp;b", "", U"", false});
  graph.edges.emplace_back(0, 1);
  GraphRenderer renderer;
  const std::string svg = renderer.Svg(graph);
  SUGDomErrorReporter reporter;
  EXPECT_TRUE(SUGDOM::ParseMemoryDocument(svg, U"g.svg", U"", reporter)) << ToNarrow(reporter.GetErrorText());
  // Graphviz would put the node's own name for \N; the label keeps it.
  EXPECT_NE(svg.find(">back\\N\\G<"), std::string::npos) << svg;
  EXPECT_NE(svg.find("bell\xEF\xBF\xBD"), std::string::npos);
  EXPECT_NE(svg.find("a%20b.html"), std::string::npos);
  // An entity in a name is the name's text, not a character reference.
  EXPECT_NE(svg.find(">T&amp;lt; &amp; a&amp;amp;b<"), std::string::npos) << svg;
}

TEST(SitePaths, CollidingDictionaryNamesGetPagesOfTheirOwn) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DW");
  // The same first 20 characters and no GUID: one dictionary name.
  db.Child(kTIDATable, U"CUSTOMER_ACCOUNTS_HISTORY_1");
  db.Child(kTIDATable, U"CUSTOMER_ACCOUNTS_HISTORY_2");
  TempDir dir;
  const SiteReport report = WriteSiteIn(&rp, dir);
  EXPECT_EQ(report.pages, 3u);
  const std::vector<fs::path> tables = FilesWithExtension(dir.Dir() / "Database" / "DB_DW", ".html");
  ASSERT_EQ(tables.size(), 2u);
  std::set<std::string> names;
  for (const fs::path& t : tables) names.insert(t.filename().string());
  EXPECT_TRUE(names.count("PT_CUSTOMER_ACCOUNTS_HI.html"));
}

TEST(SiteGraphs, TheNeighbourhoodStartsAtTheMostJoinedNode) {
  // A hub joined to 70 tables, and a separate pair: the hub and 59 of its
  // neighbours fill the picture, the pair is left out.
  Graph graph;
  graph.nodes.resize(73);
  for (std::size_t i = 1; i <= 70; ++i) graph.edges.emplace_back(i, 0);
  graph.edges.emplace_back(71, 72);
  const std::vector<std::size_t> keep = Neighbourhood(graph, 60);
  ASSERT_EQ(keep.size(), 60u);
  EXPECT_EQ(keep.front(), 0u);
  EXPECT_EQ(keep.back(), 59u);

  // Small graphs are drawn whole; unjoined nodes fill what room is left.
  Graph small;
  small.nodes.resize(5);
  EXPECT_EQ(Neighbourhood(small, 60), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(Neighbourhood(small, 2), (std::vector<std::size_t>{0, 1}));
}

TEST(SiteSearch, ShardsStayUnderTheirSizeWhateverTheNames) {
  // One column name in 3000 tables, beside a few other names: the shared
  // name cannot be split by letters and goes into numbered parts.
  SearchIndex index;
  for (int i = 0; i < 3000; ++i) {
    index.Add(U"WAREHOUSE_COST", U"PC", U"TABLE_" + ToVXString(std::to_string(i)), "Database/x.html");
  }
  for (const char32_t* name : {U"Orders", U"Order Id", U"", U"#1"}) index.Add(name, U"LC", U"", "BusinessModel/y.html");
  TempDir dir;
  SiteReport report;
  {
    FileSink sink(dir.Dir(), false, report);
    index.WriteTo(sink);
    sink.Finish();
  }
  std::size_t entries = 0;
  std::set<std::string> shards;
  for (const fs::path& file : FilesWithExtension(dir.Dir() / "search", ".js")) {
    const std::string js = ReadFile(file);
    if (file.filename() == "shards.js") continue;
    EXPECT_LE(js.size(), SearchIndex::kMaxShardBytes) << file;
    for (std::size_t at = js.find("\n[\""); at != std::string::npos; at = js.find("\n[\"", at + 1)) ++entries;
    shards.insert(file.stem().string());
  }
  // Filed under each word: WAREHOUSE_COST twice (warehouse_cost, cost),
  // "Order Id" twice (order_id, id), "#1" twice (_1, 1), Orders and the
  // empty name once.
  EXPECT_EQ(entries, 2u * 3000 + 2 + 2 + 1 + 1);
  EXPECT_TRUE(shards.count("warehouse_cost"));
  EXPECT_TRUE(shards.count("warehouse_cost~2"));
  EXPECT_TRUE(shards.count("-"));  // the empty name
  const std::string manifest = ReadFile(dir.Dir() / "search" / "shards.js");
  for (const std::string& shard : shards) EXPECT_NE(manifest.find("\"" + shard + "\""), std::string::npos) << shard;
}

TEST(SiteFiles, AFileThatCannotBeWrittenIsReported) {
  ARpGateway rp;
  RpBuilder b(rp);
  b.Add(kTIDADatabase, U"DW");
  TempDir dir;
  // A directory where the index page should go.
  fs::create_directories(dir.Dir() / "index.html");
  SiteOptions options;
  options.outDir = dir.Dir();
  const auto e = testutil::Caught<SiteError>([&] { WriteSite(&rp, options); });
  ASSERT_TRUE(e);
  EXPECT_NE(std::string(e->what()).find("cannot write"), std::string::npos) << e->what();
  EXPECT_NE(std::string(e->what()).find("index.html"), std::string::npos) << e->what();
}

}  // namespace
}  // namespace smutil_site
