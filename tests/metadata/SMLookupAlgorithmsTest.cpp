// Resolving table and column names on the sample repository, for a user who
// may read everything (Administrator) and users who may read less (anna.berg,
// tom.ito, kiosk: their read denials are in the sample). Expected objects are
// named by hand; the ids are looked up by those names.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpFile.h"

namespace {

using NITC = NamedInterfaceTypeCondition;
using Code = NITC::LookupFolderTreeRetCode;

constexpr const char* kAdmin = "Administrator";
// Flags of a tree lookup: project denied objects as null; list a subject
// area's tables without read security.
enum { kAsNull = 1, kListAll = 2 };

class LookupAlgorithms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }
  static void TearDownTestSuite() { s_rp.reset(); }
  // Each test starts as Administrator, without denials or defaults; the
  // sample's tables below are looked up after that.
  static ARpGateway* Reset(ARpGateway* p) {
    if (p == nullptr) return p;
    p->ClearReadDenials();
    p->SetCurrentUser(U"Administrator", U"");
    p->SetDefaultSubjectAreaName(U"");
    p->SetDefaultCatalogName(U"");
    p->SetDefaultSubjectAreaAppliesWhenCatalogSpecified(true);
    return p;
  }
  void SetUp() override { ASSERT_NE(rp, nullptr); }
  void As(const char* user) { ASSERT_TRUE(rp->SignOnAs(ToVXString(user))) << user; }

  VoidID Id(TypeID type, QualifiedName name) {
    if (rp == nullptr) return VoidID::NullID;
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, type, name);
    EXPECT_FALSE(obj.IsNull()) << ToNarrow(MetadataUtil::ToQualifiedName(name));
    return obj.IsNull() ? VoidID::NullID : obj.GetID();
  }
  VoidID Table(const char32_t* area, const char32_t* table) { return Id(kTIDAEntityFolder, {area, table}); }
  VoidID Area(const char32_t* area) { return Id(kTIDACatalogFolder, {area}); }
  // A tree lookup into fresh pairs, tables, area and candidates.
  Code Tree(const QualifiedName& name, ExprType layer = kSME_Logical) {
    pairs.clear();
    tables.clear();
    area = VoidID();
    return NITC::LookupFolderTree(name, pairs, rp, layer, tables, area, false, false, candidates);
  }
  QualifiedNameIDPairVector pairs, candidates;
  VoidIDSet tables;
  VoidID area;

  static std::unique_ptr<ARpGateway> s_rp;
  ARpGateway* rp = Reset(s_rp.get());
  // Tables several tests name.
  const VoidID orders = Table(U"Sales Analysis", U"Orders");
  const VoidID customers = Table(U"Sales Analysis", U"Customers");
  const VoidID miCustomers = Table(U"Marketing Insights", U"Customers");
  const VoidID products = Table(U"Sales Analysis", U"Products");
  const VoidID time = Table(U"Sales Analysis", U"Time");
  const VoidID ledger = Table(U"Finance", U"Ledger");
  const VoidID journal = Table(U"Finance", U"Journal Entries");
  const VoidID w_orders = Id(kTIDATable, {U"Sales DW", U"SALESDB", U"dbo", U"W_ORDERS_F"});
  const VoidID responses = Id(kTIDATable, {U"Marketing", U"RESPONSES"});
  const VoidID stageCustomers = Id(kTIDATable, {U"Sales DW", U"SALESDB", U"stage", U"CUSTOMERS"});
  const VoidID campaignCustomers = Id(kTIDATable, {U"Marketing", U"campaigns", U"CUSTOMERS"});
  const VoidID ltOrders = Id(kTIDALogicalTable, {U"Sales", U"Orders"});
  const VoidID ltTime = Id(kTIDALogicalTable, {U"Sales", U"Time"});
};
std::unique_ptr<ARpGateway> LookupAlgorithms::s_rp;

// The ids of pairs, in order, one per table (a table's alias pairs follow
// its name's pair).
VoidIDVector DistinctIDs(const QualifiedNameIDPairVector& pairs) {
  VoidIDVector ids;
  for (const QualifiedNameIDPair& p : pairs) {
    if (ids.empty() || ids.back() != p.m_id) ids.push_back(p.m_id);
  }
  return ids;
}

TEST_F(LookupAlgorithms, FolderTreeOutcomesOnTheSample) {
  const VoidID margins = Table(U"Sales Analysis", U"Margins");
  const VoidID salesCube = Id(kTIDACubeTable, {U"Sales OLAP", U"SalesCubes", U"Sales"});
  const VoidID ltCustomers = Id(kTIDALogicalTable, {U"Sales", U"Customers"});
  const VoidID ltProducts = Id(kTIDALogicalTable, {U"Sales", U"Products"});
  const VoidID ltLocalized = Id(kTIDALogicalTable, {U"Sales", U"Localized Products"});
  const VoidID ltSegments = Id(kTIDALogicalTable, {U"Sales", U"GL Segment Accounts"});
  const VoidID ltCostCenter = Id(kTIDALogicalTable, {U"Sales", U"Cost Center Segment"});
  const VoidID ltBalances = Id(kTIDALogicalTable, {U"Sales", U"Ledger Balances"});
  const VoidID balances = Table(U"Ledger", U"Balances");
  const VoidIDVector allOfSales{orders, customers, products, time, margins};
  const VoidIDVector allLogical{ltOrders,    ltCustomers, ltProducts,   ltTime,
                                ltLocalized, ltSegments,  ltCostCenter, ltBalances};
  const VoidIDVector kioskLogical{ltOrders, ltProducts, ltTime, ltLocalized, ltSegments, ltCostCenter, ltBalances};

  struct Case {
    const char* user;
    ExprType layer;
    QualifiedName name;
    const char32_t* defaultArea;  // the session's default subject area
    int flags;                    // kAsNull, kListAll
    Code code;
    VoidIDVector ids;  // tables of the pairs, in order
  };
  const Case cases[] = {
      // presentation: three parts, by name and through the area's former name
      {kAdmin, kSME_Logical, {U"Sales Analysis", U"", U"Orders"}, U"", 0, NITC::kOK, {orders}},
      {kAdmin, kSME_Logical, {U"sales", U"", U"ORDERS"}, U"", 0, NITC::kOK, {orders}},
      {kAdmin, kSME_Logical, {U"Sales", U"", U"Nothing"}, U"", 0, NITC::kNonexistentTable, {}},
      // two parts are widened to area, "", table
      {kAdmin, kSME_Logical, {U"Sales", U"Orders"}, U"", 0, NITC::kOK, {orders}},
      {kAdmin, kSME_Logical, {U"Finance", U"Journal"}, U"", 0, NITC::kOK, {journal}},
      {kAdmin, kSME_Logical, {U"Fin", U"Ledger"}, U"", 0, NITC::kAmbiguousTable, {}},
      {kAdmin, kSME_Logical, {U"Fin", U"Ledger"}, U"", kAsNull, NITC::kAmbiguousTable, {}},
      {kAdmin, kSME_Logical, {U"Sales", U"Margin"}, U"", 0, NITC::kNonexistentTable, {}},
      // one part: a subject area lists its tables, else the default area is searched
      {kAdmin, kSME_Logical, {U"Sales Analysis"}, U"", 0, NITC::kOK, allOfSales},
      {kAdmin, kSME_Logical, {U"Finance"}, U"", 0, NITC::kOK, {ledger, journal}},
      {kAdmin, kSME_Logical, {U"Fin"}, U"", 0, NITC::kAmbiguousCatalog, {}},
      {kAdmin, kSME_Logical, {U"Customers"}, U"", 0, NITC::kNonexistentTable, {}},
      {kAdmin, kSME_Logical, {U"Customers"}, U"Sales Analysis", 0, NITC::kOK, {customers}},
      {kAdmin, kSME_Logical, {U"clients"}, U"Sales Analysis", 0, NITC::kOK, {customers}},
      {kAdmin, kSME_Logical, {U"Customers"}, U"marketing insights", 0, NITC::kOK, {miCustomers}},
      // a subject area of that name comes before the default area's table
      {kAdmin, kSME_Logical, {U"Ledger"}, U"Finance", 0, NITC::kOK, {balances}},
      {kAdmin, kSME_Logical, {U"Journal Entries"}, U"Finance", 0, NITC::kOK, {journal}},
      {kAdmin, kSME_Logical, {U"Nothing"}, U"Sales Analysis", 0, NITC::kNonexistentTable, {}},
      // a default that names no subject area leaves nothing to search
      {kAdmin, kSME_Logical, {U"Customers"}, U"Nowhere", 0, NITC::kUnresovableTable, {}},
      // two parts found in no area fall through to the default area
      {kAdmin, kSME_Logical, {U"Nowhere", U"Orders"}, U"Sales Analysis", 0, NITC::kNonexistentTable, {}},
      // read security
      {"kiosk", kSME_Logical, {U"Sales Analysis"}, U"", 0, NITC::kOK, {products, time}},
      {"kiosk", kSME_Logical, {U"Sales Analysis"}, U"", kListAll, NITC::kOK, allOfSales},
      {"kiosk", kSME_Logical, {U"Sales", U"Orders"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_Logical, {U"Sales", U"Orders"}, U"", kAsNull, NITC::kOK, {orders}},
      {"kiosk", kSME_Logical, {U"Sales Analysis", U"", U"Time"}, U"", 0, NITC::kOK, {time}},
      {"kiosk", kSME_Logical, {U"Finance"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_Logical, {U"Fin", U"Ledger"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_Logical, {U"Orders"}, U"Sales Analysis", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_Logical, {U"Products"}, U"Sales Analysis", 0, NITC::kOK, {products}},
      {"tom.ito", kSME_Logical, {U"Sales", U"Margins"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"anna.berg", kSME_Logical, {U"Marketing Insights"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"anna.berg", kSME_Logical, {U"Fin", U"Ledger"}, U"", 0, NITC::kAmbiguousTable, {}},
      // business model: two parts, one part listing the logical tables
      {kAdmin, kSME_BusinessModel, {U"Sales", U"orders"}, U"", 0, NITC::kOK, {ltOrders}},
      {kAdmin, kSME_BusinessModel, {U"Sales", U"Nothing"}, U"", 0, NITC::kNonexistentTable, {}},
      {kAdmin, kSME_BusinessModel, {U"Sales"}, U"", 0, NITC::kOK, allLogical},
      {"kiosk", kSME_BusinessModel, {U"Sales"}, U"", 0, NITC::kOK, kioskLogical},
      {"kiosk", kSME_BusinessModel, {U"Sales"}, U"", kListAll, NITC::kOK, allLogical},
      {"kiosk", kSME_BusinessModel, {U"Sales", U"Customers"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_BusinessModel, {U"Sales", U"Customers"}, U"", kAsNull, NITC::kOK, {ltCustomers}},
      // three segments name no logical table
      {kAdmin, kSME_BusinessModel, {U"Sales", U"", U"Orders"}, U"", 0, NITC::kNonexistentTable, {}},
      // physical: aligned with the end of the name, concatenated catalogs split
      {kAdmin, kSME_Physical, {U"SALESDB", U"dbo", U"W_ORDERS_F"}, U"", 0, NITC::kOK, {w_orders}},
      {kAdmin, kSME_Physical, {U"Sales DW.SALESDB", U"dbo", U"W_ORDERS_F"}, U"", 0, NITC::kOK, {w_orders}},
      {kAdmin, kSME_Physical, {U"Marketing", U"RESPONSES"}, U"", 0, NITC::kOK, {responses}},
      {kAdmin, kSME_Physical, {U"stage", U"customers"}, U"", 0, NITC::kOK, {stageCustomers}},
      {kAdmin, kSME_Physical, {U"CUSTOMERS"}, U"", 0, NITC::kAmbiguousTable, {}},
      {kAdmin, kSME_Physical, {U"Sales OLAP.SalesCubes", U"Sales"}, U"", 0, NITC::kOK, {salesCube}},
      // a catalog alone is a database name with no catalog part
      {kAdmin, kSME_Physical, {U"SalesCubes", U"Sales"}, U"", 0, NITC::kNonexistentTable, {}},
      {kAdmin, kSME_Physical, {U"dbo", U"NOTHING"}, U"", 0, NITC::kNonexistentTable, {}},
      {"kiosk", kSME_Physical, {U"CUSTOMERS"}, U"", 0, NITC::kOK, {stageCustomers}},
      {"kiosk", kSME_Physical, {U"campaigns", U"CUSTOMERS"}, U"", 0, NITC::kInaccessibleTable, {}},
      {"kiosk", kSME_Physical, {U"campaigns", U"CUSTOMERS"}, U"", kAsNull, NITC::kOK, {campaignCustomers}},
  };
  for (const Case& c : cases) {
    As(c.user);
    rp->SetDefaultSubjectAreaName(c.defaultArea);
    const std::string label = std::string(c.user) + " " + ToNarrow(MetadataUtil::ToQualifiedName(c.name)) + " layer " +
                              std::to_string(c.layer);
    QualifiedNameIDPairVector pairs{QualifiedNameIDPair({U"stale"}, VoidID::NullID)};
    VoidIDSet tables;
    VoidID area;
    EXPECT_EQ(NITC::LookupFolderTree(c.name, pairs, rp, c.layer, tables, area, c.flags & kAsNull, c.flags & kListAll),
              c.code)
        << label;
    EXPECT_EQ(DistinctIDs(pairs), c.ids) << label;
  }
}

TEST_F(LookupAlgorithms, PairsCarryEveryNameAndIdCollectionTheTableFound) {
  ASSERT_EQ(Tree({U"Sales", U"Clients"}), NITC::kOK);
  const QualifiedNameIDPairVector expected{
      {{U"Sales Analysis", U"", U"Customers"}, customers},
      {{U"Sales Analysis", U"", U"Customer"}, customers},
      {{U"Sales Analysis", U"", U"Clients"}, customers},
  };
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(tables, VoidIDSet{customers});
  EXPECT_TRUE(area.IsNull());
  // The same names gathered for the object, after what the caller holds; an
  // id of no object adds nothing.
  QualifiedNameIDPairVector all{{{U"kept"}, VoidID::NullID}};
  GatherAllQualifiedNameIDPairsForAnObject(rp, all, customers);
  GatherAllQualifiedNameIDPairsForAnObject(rp, all, VoidID{kTIDAEntityFolder, 99999});
  EXPECT_EQ(all.size(), 4u);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), all.begin() + 1));

  // A table reached only through its former name: pairs for both names.
  ASSERT_EQ(Tree({U"Finance", U"", U"journal"}), NITC::kOK);
  EXPECT_EQ(pairs, (QualifiedNameIDPairVector{{{U"Finance", U"", U"Journal Entries"}, journal},
                                              {{U"Finance", U"", U"Journal"}, journal}}));

  // A subject area's name: its id in catalogFolderID, its tables listed but
  // not collected (no table name was resolved).
  ASSERT_EQ(Tree({U"Finance"}), NITC::kOK);
  EXPECT_EQ(area, Area(U"Finance"));
  EXPECT_TRUE(tables.empty());

  // Physical and business-model pairs carry the name as given.
  ASSERT_EQ(Tree({U"dbo", U"w_orders_f"}, kSME_Physical), NITC::kOK);
  EXPECT_EQ(pairs, (QualifiedNameIDPairVector{{{U"dbo", U"w_orders_f"}, w_orders}}));
  EXPECT_EQ(tables, VoidIDSet{w_orders});
  ASSERT_EQ(Tree({U"sales", U"orders"}, kSME_BusinessModel), NITC::kOK);
  EXPECT_EQ(pairs, (QualifiedNameIDPairVector{{{U"sales", U"orders"}, ltOrders}}));
  EXPECT_TRUE(tables.empty());
}

TEST_F(LookupAlgorithms, AmbiguityNamesItsCandidates) {
  EXPECT_EQ(Tree({U"Fin", U"Ledger"}), NITC::kAmbiguousTable);
  EXPECT_EQ(candidates,
            (QualifiedNameIDPairVector{{{U"Finance", U"", U"Ledger"}, Table(U"Finance", U"Ledger")},
                                       {{U"Finance Archive", U"", U"Ledger"}, Table(U"Finance Archive", U"Ledger")}}));
  EXPECT_TRUE(pairs.empty());
  EXPECT_TRUE(tables.empty());

  EXPECT_EQ(Tree({U"fin"}), NITC::kAmbiguousCatalog);
  EXPECT_EQ(candidates, (QualifiedNameIDPairVector{{{U"Finance"}, Area(U"Finance")},
                                                   {{U"Finance Archive"}, Area(U"Finance Archive")}}));
  EXPECT_TRUE(area.IsNull());

  EXPECT_EQ(Tree({U"CUSTOMERS"}, kSME_Physical), NITC::kAmbiguousTable);
  EXPECT_EQ(candidates.size(), 2u);

  // Resolved names leave no stale candidates behind.
  EXPECT_EQ(Tree({U"Sales", U"Orders"}), NITC::kOK);
  EXPECT_TRUE(candidates.empty());
}

TEST_F(LookupAlgorithms, DefaultCatalogSettlesAShortPhysicalName) {
  struct Case {
    const char32_t* defaultCatalog;
    QualifiedName name;
    Code code;
    VoidIDVector ids;
  };
  const Case cases[] = {
      {U"", {U"CUSTOMERS"}, NITC::kAmbiguousTable, {stageCustomers, campaignCustomers}},
      {U"sales dw.salesdb", {U"CUSTOMERS"}, NITC::kOK, {stageCustomers}},
      // the database alone: only tables outside any catalog remain
      {U"Marketing", {U"CUSTOMERS"}, NITC::kOK, {campaignCustomers}},
      // no candidate in the default catalog: the ambiguity stays
      {U"Sales OLAP.SalesCubes", {U"CUSTOMERS"}, NITC::kAmbiguousTable, {stageCustomers, campaignCustomers}},
      // three segments: the count alone decides
      {U"Sales DW.SALESDB", {U"", U"", U"CUSTOMERS"}, NITC::kAmbiguousTable, {stageCustomers, campaignCustomers}},
  };
  for (const Case& c : cases) {
    rp->SetDefaultCatalogName(c.defaultCatalog);
    VoidIDVector ids;
    VoidIDSet tables;
    EXPECT_EQ(NITC::LookupPhysicalTable(c.name, ids, rp, tables, false), c.code) << ToNarrow(c.defaultCatalog);
    EXPECT_EQ(ids, c.ids) << ToNarrow(c.defaultCatalog);
    EXPECT_TRUE(tables.empty());
  }
  // A gateway that withholds defaults when the query names a catalog.
  rp->SetDefaultCatalogName(U"Sales DW.SALESDB");
  rp->SetDefaultSubjectAreaAppliesWhenCatalogSpecified(false);
  VoidIDVector ids;
  EXPECT_EQ(NITC::LookupPhysicalTable({U"CUSTOMERS"}, ids, rp, tables, false), NITC::kAmbiguousTable);
}

TEST_F(LookupAlgorithms, FolderLookupNarrowsByTheDefaultSubjectArea) {
  const VoidIDVector ledgers{Table(U"Finance", U"Ledger"), Table(U"Finance Archive", U"Ledger")};
  struct Case {
    const char* user;
    ExprType layer;
    QualifiedName name;
    const char32_t* defaultArea;
    Code code;
    VoidIDVector ids;
    bool bCollected;  // the ids also went into idCollection
  };
  const Case cases[] = {
      // without a default area every candidate counts
      {kAdmin, kSME_Logical, {U"Customers"}, U"", NITC::kAmbiguousTable, {customers, miCustomers}, true},
      {kAdmin, kSME_Logical, {U"Journal"}, U"", NITC::kOK, {Table(U"Finance", U"Journal Entries")}, true},
      {kAdmin, kSME_Logical, {U"Customers"}, U"Nowhere", NITC::kAmbiguousTable, {customers, miCustomers}, true},
      {kAdmin, kSME_Logical, {U"Customers"}, U"MARKETING INSIGHTS", NITC::kOK, {miCustomers}, true},
      {kAdmin, kSME_Logical, {U"Customers"}, U"Finance", NITC::kNonexistentTable, {}, false},
      {kAdmin, kSME_Logical, {U"Sales", U"Customers"}, U"", NITC::kOK, {customers}, true},
      {kAdmin, kSME_Logical, {U"Fin", U"Ledger"}, U"", NITC::kAmbiguousTable, ledgers, true},
      {kAdmin, kSME_Logical, {U"Sales Analysis", U"", U"Time"}, U"", NITC::kOK, {time}, true},
      {"anna.berg", kSME_Logical, {U"Customers"}, U"", NITC::kOK, {customers}, true},
      {"kiosk", kSME_Logical, {U"Orders"}, U"", NITC::kInaccessibleTable, {}, false},
      {"kiosk", kSME_Logical, {U"Nothing"}, U"", NITC::kNonexistentTable, {}, false},
      {kAdmin, kSME_BusinessModel, {U"Sales", U"Time"}, U"", NITC::kOK, {ltTime}, false},
      {"kiosk", kSME_BusinessModel, {U"Customers"}, U"", NITC::kInaccessibleTable, {}, false},
      {kAdmin, kSME_Physical, {U"RESPONSES"}, U"", NITC::kOK, {responses}, false},
  };
  for (const Case& c : cases) {
    As(c.user);
    rp->SetDefaultSubjectAreaName(c.defaultArea);
    const std::string label = std::string(c.user) + " " + ToNarrow(MetadataUtil::ToQualifiedName(c.name));
    VoidIDVector ids;
    VoidIDSet tables;
    VoidID area{kTIDACatalogFolder, 77};
    EXPECT_EQ(NITC::LookupFolder(c.name, ids, rp, c.layer, tables, area, false), c.code) << label;
    EXPECT_EQ(ids, c.ids) << label;
    EXPECT_EQ(tables, c.bCollected ? VoidIDSet(c.ids.begin(), c.ids.end()) : VoidIDSet()) << label;
    EXPECT_EQ(area, (VoidID{kTIDACatalogFolder, 77})) << label;
  }
}

TEST_F(LookupAlgorithms, ColumnLookupsUnderReadSecurity) {
  const VoidID revenue = Id(kTIDAFolderAttr, {U"Sales Analysis", U"Orders", U"Revenue"});
  const VoidID discount = Id(kTIDAFolderAttr, {U"Sales Analysis", U"Orders", U"Discount"});
  const VoidID ltRevenue = Id(kTIDAAttribute, {U"Sales", U"Orders", U"Revenue"});
  const VoidID orderId = Id(kTIDAColumn, {U"Sales DW", U"SALESDB", U"dbo", U"W_ORDERS_F", U"ORDER_ID"});
  struct Case {
    const char* user;
    ExprType layer;
    QualifiedName name;
    bool bAsNull;
    VoidIDVector columns;
    bool bInaccessible;
  };
  const Case cases[] = {
      {kAdmin, kSME_Logical, {U"Sales", U"Orders", U"revenue"}, false, {revenue}, false},
      {kAdmin, kSME_Logical, {U"Sales Analysis", U"", U"Orders", U"Discount"}, false, {discount}, false},
      {kAdmin, kSME_Logical, {U"Sales", U"Orders", U"Nothing"}, false, {}, false},
      {kAdmin, kSME_Logical, {U"Orders"}, false, {}, false},  // one segment: nothing
      {kAdmin, kSME_Logical, {U"Nowhere", U"Orders", U"Revenue"}, false, {}, false},
      {"anna.berg", kSME_Logical, {U"Sales", U"Orders", U"Discount"}, false, {}, true},
      {"anna.berg", kSME_Logical, {U"Sales", U"Orders", U"Discount"}, true, {discount}, false},
      // the table is found although the user may not read it
      {"kiosk", kSME_Logical, {U"Sales", U"Orders", U"Revenue"}, false, {}, true},
      {"kiosk", kSME_Logical, {U"Sales", U"Orders", U"Revenue"}, true, {revenue}, false},
      {kAdmin, kSME_BusinessModel, {U"Sales", U"Orders", U"REVENUE"}, false, {ltRevenue}, false},
      {kAdmin, kSME_Physical, {U"dbo", U"W_ORDERS_F", U"order_id"}, false, {orderId}, false},
      {"kiosk", kSME_Physical, {U"Marketing", U"RESPONSES", U"CUSTOMER_ID"}, false, {}, true},
  };
  for (const Case& c : cases) {
    As(c.user);
    const std::string label = std::string(c.user) + " " + ToNarrow(MetadataUtil::ToQualifiedName(c.name));
    VoidIDVector columns{VoidID{kTIDAFolderAttr, 999}};
    VoidIDSet tables;
    bool bInaccessible = false;
    NITC::LookupFullyQualifiedColumn(c.name, columns, VoidID::NullID, rp, c.layer, tables, c.bAsNull, bInaccessible);
    EXPECT_EQ(columns, c.columns) << label;
    EXPECT_EQ(bInaccessible, c.bInaccessible) << label;
  }

  // The presentation table whose column matched is collected.
  As(kAdmin);
  VoidIDVector columns;
  bool bInaccessible = false;
  NITC::LookupColumnFromFolder(orders, U"Revenue", columns, rp, kSME_Logical, tables, false, bInaccessible);
  EXPECT_EQ(tables, VoidIDSet{orders});
  // A folder of another layer has no columns of this one.
  NITC::LookupColumnFromFolder(orders, U"Revenue", columns, rp, kSME_BusinessModel, tables, false, bInaccessible);
  EXPECT_TRUE(columns.empty());
}

TEST_F(LookupAlgorithms, PresentationColumnsAnswerToFormerNames) {
  const VoidID quantity = Id(kTIDAFolderAttr, {U"Sales Analysis", U"Orders", U"Quantity"});
  ASSERT_TRUE(rp->RenameObject(quantity, U"Units"));
  VoidIDVector ids;
  bool bInaccessible = false;
  NITC::LookupColumnFromFolder(orders, U"quantity", ids, rp, kSME_Logical, tables, false, bInaccessible);
  EXPECT_EQ(ids, VoidIDVector{quantity});
  ids.clear();
  NITC::GatherMatchesInEntityFolder(rp, Ref<AFolder>(rp->GetObject(orders)), U"UNITS", ids, tables, false);
  EXPECT_EQ(ids, VoidIDVector{quantity});
  ASSERT_TRUE(rp->RenameObject(quantity, U"Quantity", false));
}

TEST_F(LookupAlgorithms, AllColumnsOfTables) {
  const VoidID localized = Table(U"Localized Sales", U"Products");
  // A column of a table of Sales Analysis.
  auto column = [&](const char32_t* table, const char32_t* name) {
    return Id(kTIDAFolderAttr, {U"Sales Analysis", table, name});
  };
  As("anna.berg");  // may not read Discount
  VoidIDVector ids;
  NITC::LookupAllColumnsFromFolder(orders, ids, rp, kSME_Logical, tables, false);
  const VoidIDVector readable{column(U"Orders", U"Order Id"),    column(U"Orders", U"Quantity"),
                              column(U"Orders", U"Revenue"),     column(U"Orders", U"Net Revenue"),
                              column(U"Orders", U"Order Count"), column(U"Orders", U"Status")};
  EXPECT_EQ(ids, readable);
  NITC::LookupAllColumnsFromFolder(orders, ids, rp, kSME_Logical, tables, true);
  EXPECT_EQ(ids.size(), readable.size() + 1);
  EXPECT_EQ(ids[5], column(U"Orders", U"Discount"));

  // Presentation columns by custom display name.
  As(kAdmin);
  NameIDPairVector pairs;
  VoidIDSet collected;
  NITC::LookupAllColumnsFromFolderVector({localized}, pairs, rp, kSME_Logical, collected, false);
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0],
            NameIDPair(U"Product number", Id(kTIDAFolderAttr, {U"Localized Sales", U"Products", U"Product Id"})));
  EXPECT_EQ(collected, VoidIDSet{localized});
  // A folder without readable columns is not collected.
  As("kiosk");
  pairs.clear();
  collected.clear();
  NITC::LookupAllColumnsFromFolderVector({orders, products}, pairs, rp, kSME_Logical, collected, false);
  const NameIDPairVector expected{{U"Product Name", column(U"Products", U"Product Name")},
                                  {U"Brand", column(U"Products", U"Brand")},
                                  {U"Category", column(U"Products", U"Category")},
                                  {U"List Price", column(U"Products", U"List Price")}};
  EXPECT_EQ(pairs, expected);
  EXPECT_EQ(collected, VoidIDSet{products});
  pairs.clear();
  NITC::LookupAllColumnsFromFolderVector({orders}, pairs, rp, kSME_Logical, collected, true);
  EXPECT_EQ(pairs.size(), 7u);
  EXPECT_EQ(pairs[0], NameIDPair(U"Order Id", column(U"Orders", U"Order Id")));
  EXPECT_EQ(collected, (VoidIDSet{products, orders}));

  // Logical and physical columns by their own names.
  pairs.clear();
  NITC::LookupAllColumnsFromFolderVector({responses}, pairs, rp, kSME_Physical, collected, true);
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[2].m_name, U"RESPONDED_ON");
}

TEST_F(LookupAlgorithms, SecurityFilterKeepsOrderAndReportsRemovals) {
  As("kiosk");
  VoidIDVector ids{time, orders, products};
  bool bFound = false;
  NITC::FilterSecurity(rp, true, bFound, ids);
  EXPECT_EQ(ids, (VoidIDVector{time, orders, products}));
  EXPECT_FALSE(bFound);
  NITC::FilterSecurity(rp, false, bFound, ids);
  EXPECT_EQ(ids, (VoidIDVector{time, products}));
  EXPECT_TRUE(bFound);
  bFound = false;
  NITC::FilterSecurity(rp, false, bFound, ids);
  EXPECT_FALSE(bFound);

  VoidIDVector found{orders};  // appended to, not replaced
  NITC::QueryWithSecurity(rp, FlexibleNamedInterfaceTypeCondition({kTIDAEntityFolder}, {U"", U"Customers"}, true),
                          found, false, bFound);
  EXPECT_EQ(found, VoidIDVector{orders});
  EXPECT_TRUE(bFound);
}

TEST_F(LookupAlgorithms, DefaultSubjectArea) {
  EXPECT_TRUE(GetDefaultCatalogFolder(rp, false, false).IsNull());
  EXPECT_EQ(NITC::GetAllEntityFoldersFromDefaultCatalogFolder(pairs, rp, area, false), NITC::kUnresovableTable);
  EXPECT_TRUE(pairs.empty());

  rp->SetDefaultSubjectAreaName(U"finance");
  EXPECT_EQ(GetDefaultCatalogFolder(rp, false, false).GetID(), Area(U"Finance"));
  // Only the name counts, not a former one.
  rp->SetDefaultSubjectAreaName(U"Fin");
  EXPECT_TRUE(GetDefaultCatalogFolder(rp, false, false).IsNull());

  rp->SetDefaultSubjectAreaName(U"Finance");
  ASSERT_EQ(NITC::GetAllEntityFoldersFromDefaultCatalogFolder(pairs, rp, area, false), NITC::kOK);
  EXPECT_EQ(area, Area(U"Finance"));
  EXPECT_EQ(DistinctIDs(pairs), (VoidIDVector{ledger, journal}));

  // A default the user may not read is no default, unless projected.
  As("kiosk");
  rp->SetDefaultSubjectAreaName(U"Finance");
  EXPECT_TRUE(GetDefaultCatalogFolder(rp, false, false).IsNull());
  EXPECT_EQ(GetDefaultCatalogFolder(rp, false, true).GetID(), Area(U"Finance"));
  // The gateway may withhold the default when the query named a catalog.
  rp->SetDefaultSubjectAreaAppliesWhenCatalogSpecified(false);
  EXPECT_TRUE(GetDefaultCatalogFolder(rp, true, true).IsNull());
  EXPECT_FALSE(GetDefaultCatalogFolder(rp, false, true).IsNull());
}

// The names follow the levels of the containers: a physical table has a
// catalog and a schema level whether or not it has such containers, a
// presentation table in a folder bears the folder's name, not an empty level.
// Each former name replaces the last segment only, in the order they were
// given, after the name itself.
TEST(LookupAlgorithmsNames, EveryNameFollowsTheLevelsOfTheContainers) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto db = b.Add(kTIDADatabase, U"Warehouse");
  const auto direct = db.Child(kTIDATable, U"Facts");
  direct.Alias(U"Old Facts");
  const auto catalog = db.Child(kTIDACatalog, U"Main");
  const VoidID inCatalog = catalog.Child(kTIDATable, U"Dim");
  const auto schema = catalog.Child(kTIDASchema, U"Dbo");
  const VoidID inSchema = schema.Child(kTIDATable, U"Orders");
  const auto area = b.Add(kTIDACatalogFolder, U"Sales");
  const auto folder = area.Child(kTIDASchemaFolder, U"More");
  const auto nested = folder.Child(kTIDAEntityFolder, U"Order Lines");
  nested.Alias(U"Lines").Alias(U"A much longer former name than the name itself");

  QualifiedNameIDPairVector pairs;
  GatherAllQualifiedNameIDPairsForAnObject(&rp, pairs, direct);
  GatherAllQualifiedNameIDPairsForAnObject(&rp, pairs, inCatalog);
  GatherAllQualifiedNameIDPairsForAnObject(&rp, pairs, inSchema);
  GatherAllQualifiedNameIDPairsForAnObject(&rp, pairs, nested);
  const QualifiedNameIDPairVector expected{
      {{U"Warehouse", U"", U"", U"Facts"}, direct},
      {{U"Warehouse", U"", U"", U"Old Facts"}, direct},
      {{U"Warehouse", U"Main", U"", U"Dim"}, inCatalog},
      {{U"Warehouse", U"Main", U"Dbo", U"Orders"}, inSchema},
      {{U"Sales", U"More", U"Order Lines"}, nested},
      {{U"Sales", U"More", U"Lines"}, nested},
      {{U"Sales", U"More", U"A much longer former name than the name itself"}, nested}};
  EXPECT_EQ(pairs, expected);

  // The tree lookup answers the same names for the one table it finds.
  VoidIDSet tables;
  VoidID found;
  EXPECT_EQ(
      NITC::LookupFolderTree({U"sales", U"more", U"LINES"}, pairs, &rp, kSME_Logical, tables, found, false, false),
      NITC::kOK);
  EXPECT_EQ(pairs, QualifiedNameIDPairVector(expected.begin() + 4, expected.end()));
  EXPECT_EQ(tables, VoidIDSet{nested});
}

// Nested presentation folders are not in the sample: a small repository.
TEST(LookupAlgorithmsNested, SubFoldersAndMatchesBelowThem) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto area = b.Add(kTIDACatalogFolder, U"Sales");
  const VoidID top = area.Child(kTIDAEntityFolder, U"Orders");
  const auto folder = area.Child(kTIDASchemaFolder, U"More");
  const VoidID nested = folder.Child(kTIDAEntityFolder, U"Orders");
  const VoidID hidden = folder.Child(kTIDAEntityFolder, U"Hidden");
  rp.DenyRead(hidden);
  const Ref<AFolder> root(rp.GetObject(area));

  QualifiedNameIDPairVector pairs;
  NITC::GetSubFolderIDs(&rp, root, pairs, false);
  EXPECT_EQ(DistinctIDs(pairs), VoidIDVector{top});
  pairs.clear();
  NITC::GatherEntityFolders(&rp, root, pairs, false);
  EXPECT_EQ(DistinctIDs(pairs), (VoidIDVector{top, nested}));
  pairs.clear();
  NITC::GatherEntityFolders(&rp, root, pairs, true);
  EXPECT_EQ(DistinctIDs(pairs), (VoidIDVector{top, nested, hidden}));

  VoidIDVector ids;
  EXPECT_EQ(NITC::GatherMatchedEntityFolders(&rp, root, {U"orders"}, ids, false), NITC::kAmbiguousTable);
  EXPECT_EQ(ids, (VoidIDVector{top, nested}));
  ids.clear();
  EXPECT_EQ(NITC::GatherMatchedEntityFolders(&rp, root, {U"More", U"Orders"}, ids, false), NITC::kOK);
  EXPECT_EQ(ids, VoidIDVector{nested});
  ids.clear();
  EXPECT_EQ(NITC::GatherMatchedEntityFolders(&rp, root, {U"Hidden"}, ids, false), NITC::kInaccessibleTable);
  EXPECT_TRUE(ids.empty());
  EXPECT_EQ(NITC::GatherMatchedEntityFolders(&rp, root, {U"Hidden"}, ids, true), NITC::kOK);
  ids.clear();
  EXPECT_EQ(NITC::GatherMatchedEntityFolders(&rp, root, {U"Gone"}, ids, false), NITC::kNonexistentTable);

  // Two parts that the widened form misses are searched in the default area.
  rp.SetDefaultSubjectAreaName(U"Sales");
  VoidIDSet tables;
  VoidID catalog;
  EXPECT_EQ(NITC::LookupFolderTree({U"More", U"Orders"}, pairs, &rp, kSME_Logical, tables, catalog, false, false),
            NITC::kOK);
  EXPECT_EQ(DistinctIDs(pairs), VoidIDVector{nested});
  EXPECT_EQ(tables, VoidIDSet{nested});
  EXPECT_EQ(NITC::LookupFolderTree({U"More", U"Hidden"}, pairs, &rp, kSME_Logical, tables, catalog, false, false),
            NITC::kInaccessibleTable);
}

// Business-model ambiguity needs two models that answer to one name.
TEST(LookupAlgorithmsBusinessModel, TwoModelsOfOneName) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto one = b.Add(kTIDASubjectArea, U"Sales");
  const auto two = b.Add(kTIDASubjectArea, U"SALES");
  one.Child(kTIDALogicalTable, U"Orders");
  two.Child(kTIDALogicalTable, U"Orders");
  QualifiedNameIDPairVector pairs, candidates;
  VoidIDSet tables;
  VoidID area;
  EXPECT_EQ(NITC::LookupFolderTree({U"Sales", U"Orders"}, pairs, &rp, kSME_BusinessModel, tables, area, false, false,
                                   candidates),
            NITC::kAmbiguousTable);
  EXPECT_EQ(candidates.size(), 2u);
  EXPECT_EQ(NITC::LookupFolderTree({U"sales"}, pairs, &rp, kSME_BusinessModel, tables, area, false, false),
            NITC::kAmbiguousTable);
  EXPECT_TRUE(pairs.empty());
  rp.DenyRead(two);
  EXPECT_EQ(NITC::LookupFolderTree({U"sales"}, pairs, &rp, kSME_BusinessModel, tables, area, false, false), NITC::kOK);
  EXPECT_EQ(pairs.size(), 1u);
}

TEST_F(LookupAlgorithms, SuggestionsComeOnlyFromReadableObjects) {
  struct Case {
    const char* user;
    ExprType layer;
    QualifiedName name;
    std::vector<QualifiedName> expected;
  };
  const Case cases[] = {
      // one letter away
      {kAdmin, kSME_Logical, {U"Sales", U"Margin"}, {{U"Sales Analysis", U"Margins"}}},
      // the leak case: the same table, denied to the user, is never offered
      {"tom.ito", kSME_Logical, {U"Sales", U"Margin"}, {}},
      {"kiosk", kSME_Logical, {U"Sales", U"Margin"}, {}},
      // a former name one letter away suggests the table's name
      {kAdmin, kSME_Logical, {U"Finance", U"Jornal"}, {{U"Finance", U"Journal Entries"}}},
      // the same name in another subject area or case; the given area first
      {kAdmin, kSME_Logical, {U"Marketing Insights", U"ORDERS"}, {{U"Sales Analysis", U"Orders"}}},
      {kAdmin,
       kSME_Logical,
       {U"Marketing Insights", U"Custmers"},
       {{U"Marketing Insights", U"Customers"}, {U"Sales Analysis", U"Customers"}}},
      {"anna.berg", kSME_Logical, {U"Marketing Insights", U"Custmers"}, {{U"Sales Analysis", U"Customers"}}},
      {"kiosk", kSME_Logical, {U"Fin", U"Ledgr"}, {}},
      // one segment: subject areas too
      {kAdmin, kSME_Logical, {U"Finanse"}, {{U"Finance"}}},
      {kAdmin, kSME_BusinessModel, {U"Sales", U"Order"}, {{U"Sales", U"Orders"}}},
      {"kiosk", kSME_BusinessModel, {U"Sales", U"Customer"}, {}},
      {kAdmin, kSME_Physical, {U"RESPONSE"}, {{U"Marketing", U"", U"", U"RESPONSES"}}},
      {"kiosk", kSME_Physical, {U"RESPONSE"}, {}},
      // nothing near
      {kAdmin, kSME_Logical, {U"Sales", U"Zebra"}, {}},
  };
  for (const Case& c : cases) {
    As(c.user);
    std::vector<QualifiedName> suggestions{{U"stale"}};
    NITC::SuggestTableNames(rp, c.name, c.layer, suggestions);
    EXPECT_EQ(suggestions, c.expected) << c.user << " " << ToNarrow(MetadataUtil::ToQualifiedName(c.name));
  }
  std::vector<QualifiedName> one;
  NITC::SuggestTableNames(rp, {U"Custmers"}, kSME_Logical, one, 1);
  EXPECT_EQ(one.size(), 1u);
}

TEST_F(LookupAlgorithms, ColumnSuggestionsSkipUnreadableColumns) {
  VXStringVector near;
  NITC::SuggestColumnNames(rp, orders, U"Discont", kSME_Logical, near);
  EXPECT_EQ(near, VXStringVector{U"Discount"});
  As("anna.berg");
  NITC::SuggestColumnNames(rp, orders, U"Discont", kSME_Logical, near);
  EXPECT_TRUE(near.empty());
  As("kiosk");  // the whole table is denied
  NITC::SuggestColumnNames(rp, orders, U"Revenu", kSME_Logical, near);
  EXPECT_TRUE(near.empty());
}

}  // namespace
