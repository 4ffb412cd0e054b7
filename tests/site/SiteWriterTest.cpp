// The sample repository's site: every object's page at its dictionary path,
// links that resolve, pictures that parse, lineage as the sources map it, and
// the incremental second run.
#include <gtest/gtest.h>

#include <set>

#include "Lineage.h"
#include "Metadata/SMDictUtil.h"
#include "Metadata/SMUtil.h"
#include "Site/SiteWriter.h"
#include "SiteTestUtil.h"
#include "Utility/SUGDOM.h"
#include "objectmodel/RpFile.h"

namespace smutil_site {
namespace {

using namespace site_test;

std::unique_ptr<ARpGateway> LoadSample() { return RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }

// The object of type named name whose parent is named parentName.
Ref<ARpObject> Find(ARpGateway* rp, TypeID type, const VXString& parentName, const VXString& name) {
  VoidIDVector ids;
  rp->GetObjectIDsOfType(type, ids);
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = rp->GetObject(id);
    const Ref<ARpObject> parent = obj->GetParentObject();
    if (obj->GetName() == name && !parent.IsNull() && parent->GetName() == parentName) return obj;
  }
  return Ref<ARpObject>();
}

std::vector<VXString> Names(const RpObjectVector& objects) {
  std::vector<VXString> names;
  for (const Ref<ARpObject>& obj : objects) names.push_back(obj->GetParentObject()->GetName() + U"." + obj->GetName());
  return names;
}

class SampleSite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir();
    s_rp = LoadSample().release();
    SiteOptions options;
    options.outDir = s_dir->Dir();
    s_report = WriteSite(s_rp, options);
  }
  static void TearDownTestSuite() {
    delete s_rp;
    delete s_dir;
  }
  static TempDir* s_dir;
  static ARpGateway* s_rp;
  static SiteReport s_report;
};

TempDir* SampleSite::s_dir = nullptr;
ARpGateway* SampleSite::s_rp = nullptr;
SiteReport SampleSite::s_report;

TEST_F(SampleSite, EveryDocumentedObjectHasItsPageAtTheDictionaryPath) {
  DictUniqueNamesCache cache;
  std::size_t checked = 0;
  for (TypeID type : s_rp->GetKnownTypes()) {
    VoidIDVector ids;
    s_rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      const Ref<ARpObject> obj = s_rp->GetObject(id);
      if (MetadataDictUtil::GetTagName(obj).empty()) continue;
      std::string path = ToNarrow(MetadataDictUtil::GetDictRelativePath(obj, cache));
      if (path.front() == '/') continue;  // under a container the dictionary does not document
      path.replace(path.size() - 4, 4, ".html");
      EXPECT_TRUE(fs::exists(s_dir->Dir() / path)) << path;
      ++checked;
    }
  }
  EXPECT_GT(checked, 200u);
  EXPECT_TRUE(fs::exists(s_dir->Dir() / "index.html"));
  EXPECT_TRUE(fs::exists(s_dir->Dir() / "search.html"));
}

TEST_F(SampleSite, EveryLinkOfEveryPageLeadsToAFileOfTheSite) {
  std::size_t links = 0;
  for (const fs::path& page : FilesWithExtension(s_dir->Dir(), ".html")) {
    const std::string html = ReadFile(page);
    EXPECT_LT(html.size(), 200u * 1024) << page;
    for (const std::string& link : LinksOf(html)) {
      // Offline: nothing is fetched from elsewhere.
      EXPECT_EQ(link.find(':'), std::string::npos) << page << ": " << link;
      EXPECT_TRUE(fs::exists(page.parent_path() / PercentDecoded(link))) << page << ": " << link;
      ++links;
    }
  }
  EXPECT_GT(links, 1000u);
}

TEST_F(SampleSite, PicturesAreXmlWithoutOutsideReferences) {
  const std::vector<fs::path> pictures = FilesWithExtension(s_dir->Dir(), ".svg");
  EXPECT_EQ(pictures.size(), s_report.pictures);
  ASSERT_FALSE(pictures.empty());
  for (const fs::path& file : pictures) {
    const std::string svg = ReadFile(file);
    SUGDomErrorReporter reporter;
    auto doc = SUGDOM::ParseMemoryDocument(svg, ToVXString(file.string()), U"", reporter);
    ASSERT_TRUE(doc) << file << ": " << ToNarrow(reporter.GetErrorText());
    EXPECT_EQ(ToNarrow(SUGDOM::GetElementName(doc->GetDocumentElement())), "svg");
    EXPECT_EQ(svg.find("<!DOCTYPE"), std::string::npos) << file;
    for (const std::string& link : LinksOf(svg)) {
      EXPECT_TRUE(fs::exists(file.parent_path() / PercentDecoded(link))) << file << ": " << link;
    }
  }
}

TEST_F(SampleSite, LineageFollowsTheSourceMapping) {
  // From the sample's sources: Customers' Region and Country come from
  // W_REGION_D, the rest from W_CUSTOMER_D; Orders' measures from W_ORDERS_F.
  const struct {
    VXString table, column;
    std::vector<VXString> physical;
  } cases[] = {
      {U"Customers", U"Region", {U"W_REGION_D.NAME"}},
      {U"Customers", U"Customer Name", {U"W_CUSTOMER_D.NAME"}},
      {U"Orders", U"Quantity", {U"W_ORDERS_F.QUANTITY"}},
      {U"Time", U"Month", {U"W_DAY_D.MONTH_NAME"}},
  };
  for (const auto& c : cases) {
    const Ref<ARpObject> shown = Find(s_rp, kTIDAFolderAttr, c.table, c.column);
    ASSERT_FALSE(shown.IsNull()) << ToNarrow(c.column);
    const ColumnLineage lineage = LineageOf(shown);
    ASSERT_EQ(lineage.logical.size(), 1u);
    EXPECT_EQ(lineage.logical[0].logicalColumn->GetName(), c.column);
    ASSERT_EQ(lineage.logical[0].sources.size(), 1u);
    EXPECT_EQ(Names(lineage.logical[0].sources[0].physicalColumns), c.physical) << ToNarrow(c.column);
    EXPECT_NE(std::find(lineage.presentationColumns.begin(), lineage.presentationColumns.end(), shown),
              lineage.presentationColumns.end());
  }
}

TEST_F(SampleSite, ADerivedColumnReachesThePhysicalColumnsOfItsFormula) {
  const Ref<ARpObject> revenue = Find(s_rp, kTIDAAttribute, U"Orders", U"Revenue");
  const ColumnLineage lineage = LineageOf(revenue);
  std::set<VXString> physical;
  for (const LogicalStep& step : lineage.logical) {
    for (const SourceStep& s : step.sources) {
      for (const VXString& name : Names(s.physicalColumns)) physical.insert(name);
    }
  }
  EXPECT_EQ(physical,
            (std::set<VXString>{U"W_ORDERS_F.QUANTITY", U"W_ORDERS_F.UNIT_PRICE", U"W_ORDERS_F.DISCOUNT_AMT"}));
  EXPECT_TRUE(lineage.ReachesPhysical());
  // Presented four times: in Sales Analysis, Marketing Insights and the
  // Ledger tables of Finance and Finance Archive.
  EXPECT_EQ(lineage.presentationColumns.size(), 4u);
}

TEST_F(SampleSite, APresentationColumnPageLinksItsWholeLineage) {
  const std::string path = SiteFileOf(Find(s_rp, kTIDAFolderAttr, U"Customers", U"Region"));
  const std::string html = ReadFile(s_dir->Dir() / path);
  std::set<fs::path> targets;
  for (const std::string& link : LinksOf(html)) {
    targets.insert(fs::weakly_canonical(s_dir->Dir() / fs::path(path).parent_path() / PercentDecoded(link)));
  }
  auto pageOf = [&](const Ref<ARpObject>& obj, const char* ext = ".html") {
    return fs::weakly_canonical(s_dir->Dir() / SiteFileOf(obj, ext));
  };
  const Ref<ARpObject> logical = Find(s_rp, kTIDAAttribute, U"Customers", U"Region");
  const Ref<ARpObject> name = Find(s_rp, kTIDAColumn, U"W_REGION_D", U"NAME");
  EXPECT_TRUE(targets.count(pageOf(logical)));
  EXPECT_TRUE(targets.count(pageOf(name)));
  const Ref<ARpObject> source = Find(s_rp, kTIDALogicalTableSource, U"Customers", U"LTS1 W_CUSTOMER_D");
  ASSERT_FALSE(source.IsNull());
  EXPECT_TRUE(targets.count(pageOf(source)));
  // The lineage picture is the logical column's, beside its page.
  EXPECT_TRUE(targets.count(pageOf(logical, ".svg")));
  EXPECT_NE(html.find("<title>"), std::string::npos);
}

TEST_F(SampleSite, ABusinessModelPictureShowsItsTablesAndForeignKeys) {
  VoidIDVector ids;
  s_rp->GetObjectIDsOfType(kTIDASubjectArea, ids);
  const std::string text = ReadFile(s_dir->Dir() / SiteFileOf(s_rp->GetObject(ids.front()), ".svg"));
  for (const char* table : {"Sales.Orders", "Sales.Customers", "Sales.Products", "Sales.Time"}) {
    EXPECT_NE(text.find(table), std::string::npos) << table;
  }
  // Orders refers to Customers, Products and Time: three edges at least.
  EXPECT_GE(Occurrences(text, "class=\"edge\""), 3u);
}

TEST(SiteIncremental, ASecondRunRewritesOnlyWhatChanged) {
  TempDir dir;
  std::unique_ptr<ARpGateway> rp = LoadSample();
  SiteOptions options;
  options.outDir = dir.Dir();
  const SiteReport first = WriteSite(rp.get(), options);
  EXPECT_EQ(first.unchanged, 0u);
  options.bChangedOnly = true;
  const SiteReport same = WriteSite(rp.get(), options);
  EXPECT_EQ(same.written, 0u);
  EXPECT_EQ(same.unchanged, first.written);

  // A new description shows on one page only.
  const Ref<ARpObject> quantity = Find(rp.get(), kTIDAColumn, U"W_ORDERS_F", U"QUANTITY");
  quantity->SetDescription(U"Units ordered.");
  const SiteReport changed = WriteSite(rp.get(), options);
  EXPECT_EQ(changed.written, 1u);
  // A page removed by hand is written again although its hash is known.
  const std::string path = SiteFileOf(quantity);
  fs::remove(dir.Dir() / path);
  EXPECT_EQ(WriteSite(rp.get(), options).written, 1u);
  EXPECT_NE(ReadFile(dir.Dir() / path).find("Units ordered."), std::string::npos);
}

TEST(SiteMessages, GivenMessagesShowOnTheirObjectsPages) {
  TempDir dir;
  std::unique_ptr<ARpGateway> rp = LoadSample();
  const Ref<ARpObject> status = Find(rp.get(), kTIDAColumn, U"W_ORDERS_F", U"STATUS");
  ConsistencyMessageMap messages;
  messages[status.GetID()].emplace_back(38009, status, VXString(U"Column <b>STATUS</b> is never mapped"));
  SiteOptions options;
  options.outDir = dir.Dir();
  options.messages = &messages;
  WriteSite(rp.get(), options);
  const std::string html = ReadFile(dir.Dir() / SiteFileOf(status));
  EXPECT_NE(html.find("Consistency messages"), std::string::npos);
  EXPECT_NE(html.find("Column &lt;b&gt;STATUS&lt;/b&gt; is never mapped"), std::string::npos);
}

}  // namespace
}  // namespace smutil_site
