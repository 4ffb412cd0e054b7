// Custom display names and descriptions, and the loading of resource-bundle
// strings, against a repository built in code:
//
//   physical  Bundles.Strings.Text
//   logical   BM.Names.Label (mapped to Text by source LTS), BM.Names.Loose (unmapped)
//   presentation  SA.Tbl.{C1, C2, C3}  shown from Label
//                 SA.Odd.{D1, D2}      shown from Loose (no bundle database)
//
// The host's bundle hook of each test records its calls and sets
// VX_SESSION.KEX_BUNDLE_<key> to "text of <key>".
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMUtil.h"
#include "Utility/ServerLog.h"
#include "Utility/VXAssert.h"
#include "objectmodel/Networker.h"
#include "objectmodel/RpBuilder.h"

namespace {

VXString Bundle(const VXString& key) { return U"VALUEOF(VX_SESSION.KEX_BUNDLE_" + key + U")"; }

std::size_t Count(const std::vector<LogRecord>& records, LogSeverity severity) {
  std::size_t n = 0;
  for (const LogRecord& r : records) n += r.severity == severity;
  return n;
}

// The key sets the hook was asked for, call by call.
using Calls = std::vector<std::set<VXString>>;

class SMUtilBundles : public ::testing::Test {
 protected:
  void SetUp() override {
    auto db = b.Add(kTIDADatabase, U"Bundles");
    auto text = db.Child(kTIDATable, U"Strings").Child(kTIDAColumn, U"Text");
    auto lt = b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"Names");
    logicalLabel = lt.Child(kTIDAAttribute, U"Label");
    auto loose = lt.Child(kTIDAAttribute, U"Loose");
    ALogicalTableSource::SourceDefinition defn;
    defn.m_logicalToPhysical = {{ExprBuilder().ID(logicalLabel).Build(), ExprBuilder().ID(text).Build()}};
    lt.Child(kTIDALogicalTableSource, U"LTS").As<ALogicalTableSource>()->SetSourceDefinition(defn);

    sa = b.Add(kTIDACatalogFolder, U"SA");
    auto tbl = b.At(sa).Child(kTIDAEntityFolder, U"Tbl");
    for (const char32_t* name : {U"C1", U"C2", U"C3"}) {
      columns.push_back(tbl.Child(kTIDAFolderAttr, name));
      b.Relate(RpRel::kLogicalToPresentationColumn, {logicalLabel, columns.back()});
    }
    auto odd = b.At(sa).Child(kTIDAEntityFolder, U"Odd");
    for (const char32_t* name : {U"D1", U"D2"}) {
      unmapped.push_back(odd.Child(kTIDAFolderAttr, name));
      b.Relate(RpRel::kLogicalToPresentationColumn, {loose, unmapped.back()});
    }
    table = tbl;

    Repository::PopulateResourceBundleStrings = [this](ARpGateway* pRp, const std::set<VXString>& keys,
                                                       const Ref<ADatabase>& database) {
      calls.push_back(keys);
      databases.push_back(database->GetName());
      for (const VXString& key : keys) {
        pRp->SetSessionVariableValue({U"VX_SESSION", U"KEX_BUNDLE_" + key},
                                     Heap<PropertyValue>(new PropertyValueString(U"text of " + key)));
      }
    };
  }
  void TearDown() override {
    Repository::PopulateResourceBundleStrings = nullptr;
    Repository::ProcessKEX_DIRECT = nullptr;
    g_EnableExternalSecurityAuthorization = false;
  }

  void SetDisplay(const VoidID& id, const VXString& text) {
    b.At(id).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, text);
  }
  void SetDescription(const VoidID& id, const VXString& text) {
    b.At(id).Set(RpProp::kDisplayDescriptionUse, true).Set(RpProp::kDisplayDescription, text);
  }
  void SetSession(const VXString& name, const VXString& value) {
    rp.SetSessionVariableValue({U"VX_SESSION", name}, Heap<PropertyValue>(new PropertyValueString(value)));
  }
  VXString Display(const VoidID& id) { return MetadataUtil::GetCustomDisplayName(&rp, rp.GetObject(id)); }
  VXString Description(const VoidID& id) { return MetadataUtil::GetCustomDescription(&rp, rp.GetObject(id)); }

  ARpGateway rp;
  RpBuilder b{rp};
  VoidID logicalLabel, sa, table;
  std::vector<VoidID> columns, unmapped;
  Calls calls;
  std::vector<VXString> databases;
};

TEST_F(SMUtilBundles, TextsWithoutBundleReferences) {
  SetSession(U"LANG", U"fr");
  const VoidID level = b.At(table).Child(kTIDAPresentationHierarchy, U"H").Child(kTIDAPresentationLevel, U"L");
  const VoidID customer = b.Add(kTIDAMktg_CustomerType, U"Households");
  SetDisplay(sa, U"Sales area");
  SetDisplay(level, U"Level VALUEOF(VX_SESSION.LANG)");
  SetDisplay(customer, U"VALUEOF(VX_SESSION.LANG) households");
  SetDescription(sa, U"VALUEOF(VX_SESSION.NOPE)");
  SetDisplay(columns[0], U"");

  EXPECT_EQ(Display(sa), U"Sales area");
  EXPECT_EQ(Display(level), U"Level fr");
  EXPECT_EQ(Display(customer), U"fr households");
  EXPECT_EQ(Description(sa), U"SA");           // substitutes to nothing: the own name
  EXPECT_EQ(Display(columns[0]), U"C1");       // an empty display name
  EXPECT_EQ(Display(columns[1]), U"C2");       // no display name at all
  EXPECT_EQ(Display(logicalLabel), U"Label");  // outside the dispatch
  EXPECT_TRUE(calls.empty());
  EXPECT_THROW(MetadataUtil::GetCustomDisplayName(&rp, Ref<ARpObject>()), VXAssertException);
  EXPECT_THROW(MetadataUtil::GetCustomDescription(&rp, Ref<ARpObject>()), VXAssertException);
}

TEST_F(SMUtilBundles, ATableIsLoadedInOneHookCall) {
  SetDisplay(columns[0], Bundle(U"ONE"));
  SetDisplay(columns[1], Bundle(U"TWO"));
  SetDescription(columns[1], Bundle(U"TWO_TIP"));
  SetDisplay(columns[2], Bundle(U"A") + U"/" + Bundle(U"B"));  // not a single reference: not loaded
  SetDisplay(unmapped[0], Bundle(U"ELSEWHERE"));               // another table

  EXPECT_EQ(Display(columns[1]), U"text of TWO");
  EXPECT_EQ(calls, (Calls{{U"ONE", U"TWO", U"TWO_TIP"}}));
  EXPECT_EQ(databases[0], U"Bundles");

  EXPECT_EQ(Display(columns[0]), U"text of ONE");
  EXPECT_EQ(Description(columns[1]), U"text of TWO_TIP");
  EXPECT_EQ(Display(columns[2]), U"/");
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(SMUtilBundles, AFolderFindsItsDatabaseThroughItsFirstColumn) {
  SetDisplay(sa, Bundle(U"AREA"));
  ScopedLogCapture log(16);
  EXPECT_EQ(Display(sa), U"text of AREA");
  EXPECT_EQ(calls, (Calls{{U"AREA"}}));
  EXPECT_TRUE(log.Contains(LogSeverity::kTrace, U"MetadataUtil::GetKEXBundleDatabase - Folder: SA"));
  EXPECT_TRUE(log.Contains(LogSeverity::kTrace, U"MetadataUtil::GetKEXBundleDatabase - Database: Bundles"));
  EXPECT_TRUE(log.Contains(LogSeverity::kTrace,
                           U"MetadataUtil::PopulateResourceBundleStrings: new found session variable: AREA"));
}

TEST_F(SMUtilBundles, APopulatedVariableLoadsNothingAndLogsNothing) {
  SetDisplay(columns[0], Bundle(U"ONE"));
  SetSession(U"KEX_BUNDLE_ONE", U"already");
  ScopedLogCapture log(1000);
  EXPECT_EQ(Display(columns[0]), U"already");
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(log.Records().empty());
}

TEST_F(SMUtilBundles, NoNewKeysIsTracedAtLevelSixteen) {
  // Every column's variable is set but the one asked for: its description
  // needs a load, yet the description's name has nothing after the prefix.
  SetDisplay(columns[0], Bundle(U"ONE"));
  SetSession(U"KEX_BUNDLE_ONE", U"one");
  SetDescription(columns[0], U"VALUEOF(VX_SESSION.KEX_BUNDLE_)");
  ScopedLogCapture log(1000);
  EXPECT_EQ(Display(columns[0]), U"one");
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(log.Records().size(), 1u);
  EXPECT_EQ(log.Records()[0].severity, LogSeverity::kTrace);
  EXPECT_EQ(log.Records()[0].level, 16);
  EXPECT_EQ(log.Records()[0].text, U"MetadataUtil::PopulateResourceBundleStrings: No new KEX Bundle Keys.");
}

TEST_F(SMUtilBundles, WithoutABundleDatabaseTheKeysAreTheValues) {
  SetDisplay(unmapped[0], U"VALUEOF(VX_SESSION.KEX_BUNDLE_Title #KEY# odd.title)");
  SetDisplay(unmapped[1], Bundle(U"PLAIN"));
  ScopedLogCapture log(0);
  EXPECT_EQ(Display(unmapped[0]), U"odd.title");
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Count(log.Records(), LogSeverity::kError), 1u);
  EXPECT_TRUE(log.Contains(LogSeverity::kError,
                           U"MetadataUtil::PopulateResourceBundleStrings: No matching KEX database found for "
                           U"\"SA\"..\"Odd\".\"D1\"'s display name and description. Please check your RPD metadata. "
                           U"Populating values with keys as default."));
  EXPECT_TRUE(log.Contains(LogSeverity::kWarning, U"Default value for KEX_BUNDLE_Title #KEY# odd.title=odd.title"));
  EXPECT_TRUE(log.Contains(LogSeverity::kWarning, U"Default value for KEX_BUNDLE_PLAIN=KEX_BUNDLE_PLAIN"));
  EXPECT_TRUE(
      log.Contains(LogSeverity::kWarning, U"Presentation attribute: D1 does not have a valid KEX physical database."));
  std::size_t defaults = 0;
  for (const LogRecord& r : log.Records()) defaults += r.text.starts_with(U"Default value for ");
  EXPECT_EQ(defaults, 2u);

  // The sibling got its key during the same load.
  ScopedLogCapture later(1000);
  EXPECT_EQ(Display(unmapped[1]), U"KEX_BUNDLE_PLAIN");
  EXPECT_TRUE(later.Records().empty());
}

TEST_F(SMUtilBundles, LabelAndTooltipHintsAreNotLoaded) {
  SetSession(U"KEX_LABEL_X", U"Label x");
  SetDisplay(columns[0], U"VALUEOF(VX_SESSION.KEX_LABEL_X)");
  SetDisplay(columns[1], Bundle(U"TWO"));
  SetDescription(columns[0], U"VALUEOF(VX_SESSION.KEX_TOOLTIP_X)");
  EXPECT_EQ(Display(columns[0]), U"Label x");
  EXPECT_EQ(Description(columns[0]), U"C1");  // undefined tooltip: the own name
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(Display(columns[1]), U"text of TWO");
  EXPECT_EQ(calls.size(), 1u);

  VariableTokenInfo v;
  EXPECT_TRUE(MetadataUtil::HasEnabledKEXLabelAsDisplayName(Ref<AFolderAttr>(rp.GetObject(columns[0])), v));
  EXPECT_EQ(v.m_varName, U"KEX_LABEL_X");
  EXPECT_TRUE(MetadataUtil::HasEnabledKEXTooltipAsDescription(Ref<AFolderAttr>(rp.GetObject(columns[0])), v));
  EXPECT_FALSE(MetadataUtil::HasEnabledKEXLabelAsDisplayName(Ref<AFolderAttr>(rp.GetObject(columns[1])), v));
  EXPECT_FALSE(MetadataUtil::HasEnabledKEXTooltipAsDescription(Ref<AFolderAttr>(rp.GetObject(columns[1])), v));
}

TEST_F(SMUtilBundles, TheHostSeesTheDisplayNameBeforeSubstitution) {
  std::vector<VXString> seen;
  Repository::ProcessKEX_DIRECT = [&](ARpGateway*, VXString& text, const Ref<ARpObject>& obj) {
    seen.push_back(obj->GetName() + U":" + text);
  };
  SetDisplay(columns[0], Bundle(U"ONE"));
  SetDescription(columns[0], Bundle(U"ONE_TIP"));
  EXPECT_EQ(Display(columns[0]), U"text of ONE");
  EXPECT_EQ(Description(columns[0]), U"text of ONE_TIP");
  EXPECT_EQ(seen, std::vector<VXString>{U"C1:" + Bundle(U"ONE")});
}

// Plain texts come back as they are, and every spelling of a reference the
// scanner finds still counts: any case of the opening (a dotted capital I
// lowers to i), quoted parts, both openings of the bundle test. Near misses
// and a reference after a quote that never closes stay text. The host's hook
// sees every display name, plain or not.
TEST_F(SMUtilBundles, PlainTextsAndEverySpellingOfAReference) {
  SetSession(U"LANG", U"fr");
  std::vector<VXString> seen;
  Repository::ProcessKEX_DIRECT = [&](ARpGateway*, VXString& text, const Ref<ARpObject>&) { seen.push_back(text); };
  struct Case {
    const char32_t* text;
    const char32_t* shown;
    const char32_t* loadedKey;  // the bundle key the host is asked for, if any
  };
  const Case cases[] = {
      {U"Mesure 5", U"Mesure 5", nullptr},
      {U"Revenue per value", U"Revenue per value", nullptr},
      {U"VALUEOF", U"VALUEOF", nullptr},
      {U"valueof (VX_SESSION.LANG)", U"valueof (VX_SESSION.LANG)", nullptr},
      {U"Chiffre d'affaires \u00e9t\u00e9", U"Chiffre d'affaires \u00e9t\u00e9", nullptr},
      {U"d'un VALUEOF(VX_SESSION.LANG)", U"d'un VALUEOF(VX_SESSION.LANG)", nullptr},
      {U"VALUEOF(VX_SESSION.LANG)", U"fr", nullptr},
      {U"valueof(VX_SESSION.LANG)", U"fr", nullptr},
      {U"Sales ValueOf(VX_SESSION.LANG)", U"Sales fr", nullptr},
      {U"vAlUeOf(VX_SESSION.LANG)!", U"fr!", nullptr},
      {U"'VALUEOF(VX_SESSION.LANG)'", U"'fr'", nullptr},
      {U"\"x VALUEOF(VX_SESSION.LANG)\"", U"\"x fr\"", nullptr},
      {U"\u00c9t\u00e9 VALUEOF(VX_SESSION.LANG)", U"\u00c9t\u00e9 fr", nullptr},
      {U"VALUEOF(VX_SESSION.KEX_BUNDLE_K1)", U"text of K1", U"K1"},
      // Display names substitute VALUEOF only, but the bundle test finds both.
      {U"Sales VALUELISTOF(VX_SESSION.LANG)", U"Sales VALUELISTOF(VX_SESSION.LANG)", nullptr},
      {U"ValueListOf(VX_SESSION.KEX_BUNDLE_K2)", U"ValueListOf(VX_SESSION.KEX_BUNDLE_K2)", U"K2"},
      {U"VALUEL\u0130STOF(VX_SESSION.KEX_BUNDLE_K3)", U"VALUEL\u0130STOF(VX_SESSION.KEX_BUNDLE_K3)", U"K3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToNarrow(c.text));
    calls.clear();
    seen.clear();
    SetDisplay(columns[0], c.text);
    SetDescription(columns[0], c.text);
    EXPECT_EQ(Display(columns[0]), c.shown);
    EXPECT_EQ(seen, std::vector<VXString>{c.text});
    EXPECT_EQ(calls, c.loadedKey ? Calls{{c.loadedKey}} : Calls{});
    EXPECT_EQ(Description(columns[0]), c.shown);
  }
}

TEST_F(SMUtilBundles, ExternalAuthorizationKeepsEmptyNamesEmpty) {
  SetDisplay(columns[0], U"VALUEOF(VX_SESSION.UNSET)");
  SetDisplay(columns[1], U"Shown");
  for (const bool on : {false, true}) {
    SCOPED_TRACE(on);
    g_EnableExternalSecurityAuthorization = on;
    EXPECT_EQ(Display(columns[0]), on ? U"" : U"C1");
    EXPECT_EQ(Display(columns[1]), U"Shown");
    EXPECT_EQ(Authorization::IsAuthorizedToRead(&rp, columns[0]), !on);
    EXPECT_TRUE(Authorization::IsAuthorizedToRead(&rp, columns[1]));
    EXPECT_TRUE(Authorization::IsAuthorizedToRead(&rp, columns[2]));  // no display name: its own name
  }
}

TEST_F(SMUtilBundles, InsertIntoBundleSetOnlyWhatIsMissing) {
  SetSession(U"KEX_BUNDLE_SET", U"x");
  struct Case {
    std::pair<VXString, VXString> variable;
    std::set<VXString> keys;
  };
  const Case cases[] = {
      {{U"VX_SESSION", U"KEX_BUNDLE_NEW"}, {U"NEW"}},
      {{U"VX_SESSION", U"KEX_BUNDLE_  Spaced "}, {U"Spaced"}},
      {{U"VX_SESSION", U"kex_bundle_SET"}, {}},  // populated (names ignore case)
      {{U"VX_SESSION", U"KEX_BUNDLE_"}, {}},     // no key
  };
  for (const Case& c : cases) {
    std::set<VXString> keys;
    std::set<std::pair<VXString, VXString>> variables;
    MetadataUtil::IfVariableIsNotPopulatedInsertIntoBundleSet(c.variable, &rp, keys, variables);
    EXPECT_EQ(keys, c.keys);
    EXPECT_EQ(variables.size(), c.keys.size());
    if (!c.keys.empty()) {
      EXPECT_EQ(*variables.begin(), c.variable);
    }
  }
}

TEST_F(SMUtilBundles, BundleDatabaseByType) {
  ScopedLogCapture log(0);
  EXPECT_EQ(MetadataUtil::GetKEXBundleDatabase(columns[2], &rp)->GetName(), U"Bundles");
  EXPECT_EQ(MetadataUtil::GetKEXBundleDatabase(table, &rp)->GetName(), U"Bundles");
  EXPECT_TRUE(MetadataUtil::GetKEXBundleDatabase(unmapped[0], &rp).IsNull());
  EXPECT_TRUE(MetadataUtil::GetKEXBundleDatabase(logicalLabel, &rp).IsNull());
  EXPECT_TRUE(log.Contains(LogSeverity::kWarning,
                           U"MetadataUtil::GetKEXBundleDatabase - Don't know how to process type ATTRIBUTE"));
  EXPECT_EQ(Count(log.Records(), LogSeverity::kWarning), 4u);  // D1's, the type's, two "No Database found"
}

}  // namespace
