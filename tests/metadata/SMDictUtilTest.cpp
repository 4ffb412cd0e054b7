#include <cstdlib>
#include <set>

#include "Metadata/SMDictUtil.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/ServerLog.h"
#include "Utility/VXAssert.h"
#include "objectmodel/ObjectModel.h"

namespace {

const ByteVector kGuid{0x3F, 0x25, 0x04, 0xE0, 0x4F, 0x89, 0x41, 0xD3,
                       0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01};  // "3F2504E0-..."

// ---- Type table ------------------------------------------------------------------

struct TypeRow {
  TypeID type;
  const char32_t* tag;
  const char32_t* shortName;
};

// The rows whose spelling does not follow from the type's name: a tag
// other than the catalogue's name, a code in mixed case, a type id that the
// catalogue names differently. The other rows are read the same way.
const TypeRow kIrregularTypes[] = {
    {4004, U"SubjectArea", U"PRCAT"},
    {4020, U"QualifyingKey", U"QKey"},
    {2000, U"BusinessModel", U"BM"},
    {2004, U"LogicalComplexJoin", U"LCJ"},
    {2006, U"LogicalColumn", U"LC"},
    {2025, U"LogicalLevel", U"LLEV"},
    {3001, U"PhysicalTable", U"PT"},
    {3031, U"Variable", U"VAR"},
    {3033, U"InitBlock", U"IBLK"},
    {3054, U"AWCube", U"AWCUBE"},
    {4012, U"ConformingDimensionLink", U"CDL"},
    {1501, U"User", U"USR"},
};

TEST(MetadataDictTypes, TagAndShortNameOfObjectsOfEachType) {
  ARpGateway rp;
  std::set<TypeID> made;
  for (const TypeRow& r : kIrregularTypes) {
    ASSERT_TRUE(made.insert(r.type).second) << r.type;
    const Ref<ARpObject> obj = rp.CreateObject(r.type, U"X");
    EXPECT_EQ(MetadataDictUtil::GetTagName(obj), r.tag) << r.type;
    EXPECT_EQ(MetadataDictUtil::GetShortTypeName(obj), r.shortName) << r.type;
  }
}

TEST(MetadataDictTypes, UndocumentedTypeHasEmptyNamesANullHandleIsReported) {
  ARpGateway rp;
  const Ref<ARpObject> ldap = rp.CreateObject(kTIDALdapServer, U"Directory");
  ldap->SetGUID(kGuid);
  DictUniqueNamesCache cache;
  EXPECT_EQ(MetadataDictUtil::GetTagName(ldap), U"");
  EXPECT_EQ(MetadataDictUtil::GetShortTypeName(ldap), U"");
  EXPECT_EQ(MetadataDictUtil::GetDictNormalizedName(ldap, cache), U"_Directory3F2504E0");
  EXPECT_EQ(MetadataDictUtil::GetDictRelativePath(ldap, cache), U"/_Directory3F2504E0.xml");
  // A null handle is reported.
  EXPECT_THROW(MetadataDictUtil::GetTagName(Ref<ARpObject>()), VXAssertException);
}

// ---- Normalized names ---------------------------------------------------------------

class MetadataDictNames : public ::testing::Test {
 protected:
  VXString Normalized(const VXString& name, const ByteVector& guid = kGuid) {
    const Ref<ARpObject> t = rp.CreateObject(kTIDADatabase, name);
    t->SetGUID(guid);
    return MetadataDictUtil::GetDictNormalizedName(t, cache);
  }
  ARpGateway rp;
  DictUniqueNamesCache cache;
};

TEST_F(MetadataDictNames, SpecialCharactersAreReplaced) {
  // Each of these between a and b becomes an underscore.
  const VXString underscored = VXString(U"/: ?*\\><\"'|\t\n\u001F\u007F") + VXString(1, U'\0');
  for (char32_t c : underscored) {
    EXPECT_EQ(Normalized(U"a" + VXString(1, c) + U"b"), U"DB_a_b3F2504E0") << static_cast<std::uint32_t>(c);
  }
  struct Case {
    VXString name, cleaned;
  };
  const Case cases[] = {
      {U"a#b", U"aNb"},
      {U"a%b", U"aPb"},
      {U"a\u00E9b", U"a233b"},
      {U"\u4E2D", U"20013"},
      {U"\U0001F600", U"128512"},
      {VXString(1, char32_t(0xFFFFFFFF)), U"4294967295"},
      {U"Keep-these_.,;()[]{}!@$^&+=~`", U"Keep-these_.,;()[]{}"},
      {U"", U""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Normalized(c.name), U"DB_" + c.cleaned + U"3F2504E0") << ToNarrow(c.name);
  }
}

TEST_F(MetadataDictNames, CutToTwentyCharactersThenTheFirstEightOfTheGuid) {
  EXPECT_EQ(Normalized(U"ABCDEFGHIJKLMNOPQRSTUVWXY"), U"DB_ABCDEFGHIJKLMNOPQRST3F2504E0");
  EXPECT_EQ(Normalized(U"ABCDEFGHIJKLMNOPQRST"), U"DB_ABCDEFGHIJKLMNOPQRST3F2504E0");
  // The digits of a code count toward the twenty and may be cut themselves.
  EXPECT_EQ(Normalized(U"ABCDEFGHIJKLMNOPQR\u00E9Z"), U"DB_ABCDEFGHIJKLMNOPQR233F2504E0");
  EXPECT_EQ(Normalized(U"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9"), U"DB_233233233233233233233F2504E0");
  // The GUID part is the first eight characters of its text.
  EXPECT_EQ(Normalized(U"N", ByteVector{0x0A, 0xBC}), U"DB_N0ABC");
  EXPECT_EQ(Normalized(U"N", ByteVector{}), U"DB_N");
  EXPECT_EQ(Normalized(U"N", ByteVector{1, 2, 3, 4, 5}), U"DB_N01020304");
}

// ---- Paths --------------------------------------------------------------------------

class MetadataDictPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"Sales");
    auto cat = db.Child(kTIDACatalog, U"Cat");
    auto orders = cat.Child(kTIDATable, U"Order Lines");
    auto amount = orders.Child(kTIDAColumn, U"Amount #");
    auto sa = b.Add(kTIDACatalogFolder, U"Sales Area");
    auto pt = sa.Child(kTIDAEntityFolder, U"Orders");
    auto pc = pt.Child(kTIDAFolderAttr, U"Net %");
    ByteVector g = kGuid;
    for (auto* n : {&db, &cat, &orders, &amount, &sa, &pt, &pc}) {
      g[0] = static_cast<std::uint8_t>(g[0] + 1);
      n->Obj()->SetGUID(g);
    }
    database = db.Obj();
    column = amount.Obj();
    presColumn = pc.Obj();
  }
  ARpGateway rp;
  DictUniqueNamesCache cache;
  Ref<ARpObject> database, column, presColumn;
};

TEST_F(MetadataDictPaths, NestedObjectsCarryEveryContainer) {
  EXPECT_EQ(MetadataDictUtil::GetDictRelativePath(database, cache), U"Database/DB_Sales402504E0.xml");
  EXPECT_EQ(MetadataDictUtil::GetDictRelativePath(column, cache),
            U"Database/DB_Sales402504E0/PCAT_Cat412504E0/PT_Order_Lines422504E0/PC_Amount_N432504E0.xml");
  EXPECT_EQ(MetadataDictUtil::GetDictRelativePath(presColumn, cache),
            U"SubjectArea/PRCAT_Sales_Area442504E0/PRT_Orders452504E0/PRC_Net_P462504E0.xml");
  EXPECT_TRUE(cache.empty());
}

// ---- Repository name and URL -------------------------------------------------------

SUSystemConfig Config(VXStringVector names, VXStringVector paths, bool legacy = true) {
  SUSystemConfig c;
  c.SetLogicalRepositoryNames(std::move(names)).SetRepositoryPaths(std::move(paths)).SetLegacyInstanceMode(legacy);
  return c;
}

class MetadataDictRpName : public ::testing::Test {
 protected:
  void SetUp() override { ::unsetenv("SMUTIL_LEGACY_INSTANCE_MODE"); }
  VXString RpName(const VXString& logicalName) {
    rp.SetLogicalName(logicalName);
    return MetadataDictUtil::GetRpName(&rp);
  }
  ARpGateway rp;
};

TEST_F(MetadataDictRpName, FoundWithoutRegardToCase) {
  ScopedSystemConfig cfg(Config({U"Star", U"Sales"}, {U"C:\\rp\\Star.rpd", U"/srv/rp/Sales.rpd"}));
  ScopedLogCapture log;
  EXPECT_EQ(RpName(U"sALES"), U"Sales");
  EXPECT_EQ(RpName(U"Star"), U"Star");
  EXPECT_TRUE(log.Records().empty());
  EXPECT_THROW(MetadataDictUtil::GetRpName(nullptr), VXAssertException);
}

TEST_F(MetadataDictRpName, WithoutItsPathTheFirstIsUsedAndTheFaultLogged) {
  struct Case {
    const char* what;
    VXStringVector names, paths;
    VXString logicalName, used, logged;
  };
  const Case cases[] = {
      {"the name has no path",
       {U"Star", U"Sales"},
       {U"C:\\rp\\Star.rpd"},
       U"Sales",
       U"Star",
       U"Errors inside GetRpName. 1, logical Names: Star Sales 2, rpdPaths: C:\\rp\\Star.rpd 3, logicalName:Sales"},
      {"the name is not configured",
       {U"Star"},
       {U"a/First.rpd", U"b/Second.rpd"},
       U"Other",
       U"First",
       U"Errors inside GetRpName. 1, logical Names: Star 2, rpdPaths: a/First.rpd b/Second.rpd 3, logicalName:Other"},
      {"nothing is configured",
       {},
       {},
       U"Star",
       U"Star",
       U"Errors inside GetRpName. 1, logical Names: 2, rpdPaths: 3, logicalName:Star"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedSystemConfig cfg(Config(c.names, c.paths));
    ScopedLogCapture log;
    EXPECT_EQ(RpName(c.logicalName), c.used);
    const auto records = log.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].severity, LogSeverity::kError);
    EXPECT_EQ(records[0].text, c.logged);
  }
}

TEST_F(MetadataDictRpName, BaseNameOfThePath) {
  struct Case {
    VXString path, name;
  };
  const Case cases[] = {
      {U"C:\\repository\\Sales.rpd", U"Sales"},
      {U"/srv/rp/Sales.v2.rpd", U"Sales"},
      {U"mixed/dir\\Sales.rpd", U"Sales"},
      {U"Sales.rpd", U"Sales"},
      {U"Sales", U"Sales"},
      {U"dir.d/Sales", U"dir.d/Sales"},
      {U"C:\\rp\\.rpd", U"C:\\rp\\.rpd"},
      {U"C:\\rp\\", U"C:\\rp\\"},
      {U".rpd", U".rpd"},
  };
  for (const Case& c : cases) {
    ScopedSystemConfig cfg(Config({U"Star"}, {c.path}));
    EXPECT_EQ(RpName(U"Star"), c.name) << ToNarrow(c.path);
  }
}

TEST_F(MetadataDictPaths, UrlUsesRepositoryNameInLegacyModeAndLiveFileOtherwise) {
  ::unsetenv("SMUTIL_LEGACY_INSTANCE_MODE");
  rp.SetLogicalName(U"Star");
  const VXString path = MetadataDictUtil::GetDictRelativePath(database, cache);
  {
    ScopedSystemConfig cfg(Config({U"Star"}, {U"/srv/Star.rpd"}, true));
    EXPECT_EQ(MetadataDictUtil::GetDictRelativeUrl(&rp, database, cache), U"Star/" + path);
  }
  {
    ScopedSystemConfig cfg(Config({U"Star"}, {U"/srv/Star.rpd"}, false));
    EXPECT_EQ(MetadataDictUtil::GetDictRelativeUrl(&rp, database, cache), U"liverpd/" + path);
  }
}

}  // namespace
