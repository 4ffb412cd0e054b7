// smutil externalize and smutil translations on the sample repository: the
// states before and after, the XLIFF document (validated against the
// XLIFF 2.0 core schema), and the export-translate-import-check round trip
// that ends with every variable translated into French.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "CmdToolRun.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Translations/Translations.h"
#include "Utility/SUGDOM.h"
#include "objectmodel/RpFile.h"

namespace {

using cmdtest::ReadFile;
using cmdtest::RunTool;
using cmdtest::ToolRun;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";

class Translations : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch.Path(name); }

  // The text of (key, language) in a store; "<none>" when there is no row.
  static std::string StoreText(const std::string& file, const std::string& key, const std::string& language) {
    sqlite3* db = nullptr;
    std::string text = "<none>";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt* s = nullptr;
      sqlite3_prepare_v2(db, "SELECT text FROM bundle_strings WHERE key = ?1 AND language = ?2", -1, &s, nullptr);
      sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 2, language.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(s) == SQLITE_ROW) text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
      sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return text;
  }

  // What a translator would hand back: every source text as the target,
  // marked with the language.
  static void Translate(const std::string& in, const std::string& out) {
    const std::string text = std::regex_replace(ReadFile(in), std::regex("<source>([^<]*)</source>"),
                                                "<source>$1</source><target>[fr] $1</target>");
    std::ofstream(out) << text;
  }

  static bool IsValidXliff(const std::string& file) {
    SUGDomErrorReporter errors;
    auto doc = SUGDOM::ValidatedParseFileDocument(ToVXString(file), ToVXString(smutil_translations::XliffSchemaFile()),
                                                  smutil_translations::kXliffNamespace, errors);
    if (!doc) ADD_FAILURE() << ToNarrow(errors.GetErrorText());
    return doc != nullptr;
  }

  testutil::ScratchDir scratch;
  const std::filesystem::path dir = scratch.Dir();
};

TEST_F(Translations, ExternalizeChosenColumnsWithKEXHints) {
  const std::string out = Path("kex.rpd.xml");
  const ToolRun r =
      RunTool({"--repo", kSample, "externalize", "--kex", "--type", "PRESENTATION COLUMN",
               "\"Ledger\".\"Balances\".\"Cost Center\"", "\"Ledger\".\"Balances\".\"Target\"", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2 objects\ndisplay names: before 16 (off), after 4 (KEX)\nsaved " + out + "\n");
  const std::unique_ptr<ARpGateway> rp = RpFile::Load(out);
  const Ref<ARpObject> costCenter = MetadataUtil::GetRpObjectFromQualifiedName(
      rp.get(), kTIDAFolderAttr, QualifiedName{U"Ledger", U"Balances", U"Cost Center"});
  // An alias column: the hint is named after its base column.
  EXPECT_EQ(costCenter->GetString(RpProp::kDisplayName),
            U"VALUEOF(VX_SESSION.KEX_LABEL_LEDGER_APPS_GL_BALANCE_COST_CENTER)");
}

TEST_F(Translations, ExternalizeStatesOfAMixedSelection) {
  const std::string out = Path("all.rpd.xml");
  // Account holds the default reference, Amount the KEX one, the rest are off.
  const ToolRun r = RunTool({"--repo", kSample, "externalize", "--format", "json", "--type", "PRESENTATION COLUMN",
                             "\"Ledger\".\"Balances\".\"Account\"", "\"Ledger\".\"Balances\".\"Amount\"",
                             "\"Ledger\".\"Balances\".\"Event Type\"", "--descriptions", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"displayNames\":{\"after\":2,\"afterOn\":true,\"before\":22,\"beforeOn\":false}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"descriptions\":{\"after\":2,\"afterOn\":true,\"before\":16,\"beforeOn\":false}"),
            std::string::npos)
      << r.out;
}

TEST_F(Translations, ExternalizeRefusals) {
  const std::string out = Path("x.rpd.xml");
  cmdtest::ExpectRuns(
      {
          {{"--type", "TABLE", "--save", out}, 1},
          {{"\"Ledger\"", "--save", out}, 1},
          {{"--type", "PRESENTATION TABLE", "\"Ledger\".\"Nowhere\"", "--save", out},
           1,
           "",
           "named \"Ledger\".\"Nowhere\""},
      },
      {"--repo", kSample, "externalize"});
  EXPECT_FALSE(std::filesystem::exists(out));
}

// A text written by hand survives externalization as the default value of
// its reference, and the export offers it for translation.
TEST_F(Translations, ExternalizeKeepsHandWrittenTexts) {
  const std::string out = Path("kept.rpd.xml");
  // 4008:2 is Customers, displayed "Kunden & Märkte", described "Customers by
  // region"; 4010:3 is Revenue, displayed through VALUEOF(VX_SESSION.LABEL_REVENUE).
  const ToolRun r = RunTool(
      {"--repo", kSample, "externalize", "--descriptions", "--type", "PRESENTATION TABLE", "4008:2", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("display name \"Kunden & Märkte\" kept as the default of CN_Sales_Analysis_Customers\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("description \"Customers by region\" kept as the default of CD_Sales_Analysis_Customers\n"),
            std::string::npos)
      << r.out;
  {
    const std::unique_ptr<ARpGateway> rp = RpFile::Load(out);
    const Ref<ARpObject> table = rp->GetObject(VoidID(kTIDAEntityFolder, 2));
    EXPECT_EQ(table->GetString(RpProp::kDisplayName), U"VALUEOF(VX_SESSION.CN_Sales_Analysis_Customers)");
    EXPECT_EQ(table->GetString(RpProp::kDisplayDescription), U"VALUEOF(VX_SESSION.CD_Sales_Analysis_Customers)");
    const Ref<ARpVariable> name =
        smutil_translations::SessionVariableOf(rp.get(), U"VX_SESSION.CN_Sales_Analysis_Customers");
    ASSERT_FALSE(name.IsNull());
    EXPECT_EQ(name->GetVariableType(), ARpVariable::kSession);
    EXPECT_EQ(ToStringVisitor::StringFrom(name->GetExpr()), U"'Kunden & Märkte'");
  }
  const std::string xlf = Path("kept.xlf");
  ASSERT_EQ(RunTool({"--repo", out, "translations", "export", "--lang", "fr", xlf}).exitCode, 0);
  const std::string text = ReadFile(xlf);
  EXPECT_NE(text.find("<source>Kunden &amp; Märkte</source>"), std::string::npos) << text;
  EXPECT_NE(text.find("<source>Customers by region</source>"), std::string::npos) << text;

  // Once more on the saved file: the references are the generated ones, and
  // the variables keep their texts.
  const std::string again = Path("again.rpd.xml");
  const ToolRun second = RunTool(
      {"--repo", out, "externalize", "--descriptions", "--type", "PRESENTATION TABLE", "4008:2", "--save", again});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(second.out.find("kept"), std::string::npos) << second.out;
  const std::unique_ptr<ARpGateway> rp = RpFile::Load(again);
  EXPECT_EQ(ToStringVisitor::StringFrom(
                smutil_translations::SessionVariableOf(rp.get(), U"CN_Sales_Analysis_Customers")->GetExpr()),
            U"'Kunden & Märkte'");
}

// A text that refers to variables of its own cannot be one default; the
// object is named and left as it was.
TEST_F(Translations, ExternalizeSkipsTextsWithReferences) {
  const std::string out = Path("skipped.rpd.xml");
  const ToolRun r =
      RunTool({"--repo", kSample, "externalize", "--type", "PRESENTATION COLUMN", "4010:3", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("smutil externalize: skipped "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\"VALUEOF(VX_SESSION.LABEL_REVENUE)\" refers to variables itself"), std::string::npos) << r.err;
  const std::unique_ptr<ARpGateway> rp = RpFile::Load(out);
  EXPECT_EQ(rp->GetObject(VoidID(kTIDAFolderAttr, 3))->GetString(RpProp::kDisplayName),
            U"VALUEOF(VX_SESSION.LABEL_REVENUE)");
}

// A variable of the generated name that holds something else is not
// overwritten, and the text stays where it was.
TEST_F(Translations, ExternalizeLeavesATextWhoseVariableHoldsAnother) {
  const std::string taken = Path("taken.rpd.xml"), out = Path("out.rpd.xml");
  {
    const std::unique_ptr<ARpGateway> rp = RpFile::Load(kSample);
    Ref<ARpVariable> v(rp->CreateObject(kTIDARpVariable, U"CN_Sales_Analysis_Customers"));
    v->SetVariableType(ARpVariable::kSession);
    v->SetExpr(ToStringVisitor::ExprFrom(U"S'Customers'"));
    RpFile::Save(*rp, taken);
  }
  const ToolRun r = RunTool({"--repo", taken, "externalize", "--type", "PRESENTATION TABLE", "4008:2", "--save", out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("the variable CN_Sales_Analysis_Customers holds another value"), std::string::npos) << r.err;
  const std::unique_ptr<ARpGateway> rp = RpFile::Load(out);
  EXPECT_EQ(rp->GetObject(VoidID(kTIDAEntityFolder, 2))->GetString(RpProp::kDisplayName), U"Kunden & Märkte");
}

TEST_F(Translations, RoundTripEndsWithFullCoverageInFrench) {
  const std::string repo = Path("all.rpd.xml"), store = Path("bundles.db");
  std::filesystem::copy_file(std::string(SMUTIL_GENERATED_DIR) + "/bundles.db", store);
  ASSERT_EQ(RunTool({"--repo", kSample, "externalize", "--descriptions", "--save", repo}).exitCode, 0);

  const ToolRun before = RunTool({"--repo", repo, "translations", "check", "--lang", "fr", "--bundles", store});
  EXPECT_EQ(before.exitCode, 1);
  EXPECT_NE(before.out.find("VX_SESSION.CN_Ledger_Balances_Account\n"), std::string::npos) << before.out;
  EXPECT_NE(before.out.find("coverage incomplete"), std::string::npos);

  const std::string xlf = Path("fr.xlf"), done = Path("fr-done.xlf");
  const ToolRun exported = RunTool({"--repo", repo, "translations", "export", "--lang", "fr", "--bundles", store, xlf});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  ASSERT_TRUE(IsValidXliff(xlf));
  const std::string text = ReadFile(xlf);
  EXPECT_NE(text.find("trgLang=\"fr\""), std::string::npos);
  // A unit carries its object's translation key and XML description.
  EXPECT_NE(text.find("<note category=\"smutil:translationKey\">LEDGER_ACCOUNT</note>"), std::string::npos);
  EXPECT_NE(text.find("&lt;UpgradeID&gt;5A3C0000-0000-0000-0000-0000000C7229&lt;/UpgradeID&gt;"), std::string::npos);
  // Without an English string in the store, a display name's source is the object's name.
  EXPECT_NE(text.find("<source>Event Type</source>"), std::string::npos);

  Translate(xlf, done);
  ASSERT_TRUE(IsValidXliff(done));
  const ToolRun imported = RunTool({"--repo", repo, "translations", "import", "--bundles", store, done});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Account", "fr"), "[fr] Account");
  EXPECT_EQ(StoreText(store, "CD_Ledger_Balances_Amount", "fr"), "[fr] Balance in the ledger's currency.");
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Account", "en"), "<none>");

  const ToolRun after = RunTool({"--repo", repo, "translations", "check", "--lang", "fr", "--bundles", store});
  EXPECT_EQ(after.exitCode, 0) << after.out;
  EXPECT_NE(after.out.find("fr: every variable has a string\n"), std::string::npos) << after.out;
  EXPECT_NE(after.out.find("coverage complete\n"), std::string::npos);
}

TEST_F(Translations, InvalidXliffChangesNothing) {
  const std::string store = Path("bundles.db");
  std::filesystem::copy_file(std::string(SMUTIL_GENERATED_DIR) + "/bundles.db", store);
  const std::string before = ReadFile(store);
  const std::string wrongVersion = Path("v1.xlf");
  std::ofstream(wrongVersion) << R"(<xliff xmlns="urn:oasis:names:tc:xliff:document:2.0" version="2.0" srcLang="en"
      trgLang="fr"><file id="f"><unit id="u" name="VX_SESSION.CN_Ledger"><segment><target>x</target></segment>
      </unit></file></xliff>)";  // a segment needs its source
  const std::vector<std::pair<std::string, std::string>> cases = {
      {kSample, "not a valid XLIFF 2.0 document"},
      {wrongVersion, "not a valid XLIFF 2.0 document"},
      {Path("missing.xlf"), "missing.xlf: there is no such file"},
  };
  for (const auto& [in, why] : cases) {
    const ToolRun r = RunTool({"--repo", kSample, "translations", "import", "--bundles", store, in});
    EXPECT_EQ(r.exitCode, 3) << in;  // the input could not be read
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(store), before);
}

TEST(TranslationUnitIds, MadeFromTheKeyAndDistinctForDistinctKeys) {
  const std::vector<std::pair<VXString, VXString>> cases = {
      {U"CN_Ledger", U"CN_Ledger"},     {U"x.y_z09", U"x.y_z09"}, {U"CN Ledger", U"CN-20-Ledger"}, {U"a-b", U"a-2D-b"},
      {U"\u00E9t\u00E9", U"-E9-t-E9-"}, {U"\u65E5", U"-65E5-"},   {U"\"q\"", U"-22-q-22-"},        {U"", U""},
  };
  for (const auto& [key, id] : cases) EXPECT_EQ(smutil_translations::UnitIdOfKey(key), id) << ToNarrow(key);
  // A key that looks like an escape stays apart from the key it looks like.
  EXPECT_NE(smutil_translations::UnitIdOfKey(U"a b"), smutil_translations::UnitIdOfKey(U"a-20-b"));
}

// XLIFF 1.2 as translation tools write it: units by id, by a location
// reference (a PO round trip), or by resname; a PO header unit is skipped;
// a unit no object uses is reported and the others still import.
TEST_F(Translations, ImportsXliff12) {
  const std::string repo = Path("all.rpd.xml"), in = Path("fr12.xlf"), store = Path("s.db");
  ASSERT_EQ(RunTool({"--repo", kSample, "externalize", "--descriptions", "--save", repo}).exitCode, 0);
  std::ofstream(in) << R"(<?xml version="1.0" encoding="UTF-8"?>
<xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">
  <file original="all.rpd.xml" source-language="en" target-language="fr" datatype="plaintext"><body>
    <trans-unit id="1" restype="x-gettext-domain-header"><source>Project-Id-Version: x</source></trans-unit>
    <trans-unit id="CN_Ledger_Balances_Account"><source>Account</source><target>Compte</target>
      <note from="developer">ignored context</note></trans-unit>
    <trans-unit id="7"><source>Amount</source><target>Montant</target>
      <context-group name="po-reference" purpose="location">
        <context context-type="sourcefile">CN_Ledger_Balances_Amount</context></context-group></trans-unit>
    <trans-unit id="x9" resname="VX_SESSION.CD_Ledger_Balances_Amount"><source>B</source><target>Solde</target>
    </trans-unit>
    <trans-unit id="CN_Nothing_Here"><source>N</source><target>Rien</target></trans-unit>
  </body></file>
</xliff>)";
  const ToolRun r = RunTool({"--repo", repo, "translations", "import", "--bundles", store, in});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("unit 4 (id CN_Nothing_Here): no object of the repository uses the text it translates"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("unit 5"), std::string::npos) << r.err;  // the header is no unit
  EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Account", "fr"), "<none>");

  // Without the unit no object uses, the others go in.
  const std::string withStray = ReadFile(in);
  std::ofstream(in) << std::regex_replace(withStray, std::regex("<trans-unit id=\"CN_Nothing_Here\">.*</trans-unit>\n"),
                                          "");
  const ToolRun matched = RunTool({"--repo", repo, "translations", "import", "--bundles", store, in});
  EXPECT_EQ(matched.exitCode, 0) << matched.err;
  EXPECT_NE(matched.out.find("imported 3 strings for fr"), std::string::npos) << matched.out;
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Account", "fr"), "Compte");
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Amount", "fr"), "Montant");
  EXPECT_EQ(StoreText(store, "CD_Ledger_Balances_Amount", "fr"), "Solde");

  // Without a target language the document needs --lang; a trans-unit needs an id.
  std::string text = ReadFile(in);
  text = std::regex_replace(text, std::regex(" target-language=\"fr\""), "");
  std::ofstream(in) << text;
  const ToolRun noLanguage = RunTool({"--repo", repo, "translations", "import", "--bundles", store, in});
  EXPECT_EQ(noLanguage.exitCode, 3);
  EXPECT_NE(noLanguage.err.find("names no target language"), std::string::npos) << noLanguage.err;
  EXPECT_NE(RunTool({"--repo", repo, "translations", "import", "--lang", "de", "--bundles", store, in})
                .out.find("imported 3 strings for de"),
            std::string::npos);
  std::ofstream(in) << std::regex_replace(text, std::regex("<trans-unit id=\"7\">"), "<trans-unit>");
  const ToolRun noId = RunTool({"--repo", repo, "translations", "import", "--lang", "fr", "--bundles", store, in});
  EXPECT_EQ(noId.exitCode, 3);
  EXPECT_NE(noId.err.find(in + ":7:"), std::string::npos) << noId.err;
  EXPECT_NE(noId.err.find(": not a valid XLIFF 1.2 document: a trans-unit without an id"), std::string::npos)
      << noId.err;
}

// Export, translate, import, and the French names show in the commands that
// show display names: with --bundles, or the configuration's default store.
// The document comes back without the notes another tool dropped: units
// match by id, not by their notes.
TEST_F(Translations, ImportedTranslationsShow) {
  const std::string repo = Path("all.rpd.xml"), xlf = Path("fr.xlf"), done = Path("done.xlf"), store = Path("s.db");
  ASSERT_EQ(RunTool({"--repo", kSample, "externalize", "--descriptions", "--save", repo}).exitCode, 0);
  ASSERT_EQ(RunTool({"--repo", repo, "translations", "export", "--lang", "fr", xlf}).exitCode, 0);
  const std::string text = ReadFile(xlf);
  EXPECT_NE(text.find("original=\"all.rpd.xml\""), std::string::npos);  // the file's name, not its path
  std::ofstream(xlf) << std::regex_replace(text, std::regex("<notes>[^]*?</notes>"), "");
  Translate(xlf, done);
  ASSERT_TRUE(IsValidXliff(done));
  ASSERT_EQ(ReadFile(done).find("<note"), std::string::npos);
  const ToolRun imported = RunTool({"--repo", repo, "translations", "import", "--bundles", store, done});
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  const std::regex unit("<unit id=");
  const auto units = std::distance(std::sregex_iterator(text.begin(), text.end(), unit), std::sregex_iterator());
  EXPECT_EQ(imported.out, "imported " + std::to_string(units) + " strings for fr into " + store + "\n");

  const std::vector<std::string> show = {
      "--repo", repo, "show", "--type", "PRESENTATION COLUMN", "\"Ledger\".\"Balances\".\"Account\""};
  auto with = [](std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const ToolRun french = RunTool(with(show, {"--lang", "fr", "--bundles", store}));
  ASSERT_EQ(french.exitCode, 0) << french.err;
  EXPECT_NE(french.out.find("display  [fr] Account\n"), std::string::npos) << french.out;
  // Without the store the variable has no value: the object's name.
  EXPECT_NE(RunTool(show).out.find("display  Account\n"), std::string::npos);
  // A language the store lacks: the fallback language's string, here none.
  EXPECT_NE(RunTool(with(show, {"--lang", "de", "--bundles", store})).out.find("display  Account\n"),
            std::string::npos);

  const ToolRun names = RunTool(
      {"--repo", repo, "names", "--display", "--type", "PRESENTATION TABLE", "--lang", "fr", "--bundles", store});
  ASSERT_EQ(names.exitCode, 0) << names.err;
  EXPECT_NE(names.out.find("Balances\t[fr] Balances\n"), std::string::npos) << names.out;

  // The configuration's default store.
  const std::string config = Path("config.ini");
  std::ofstream(config) << "[Translations]\nBundleStore = s.db\n";
  const ToolRun configured = RunTool(with(show, {"--lang", "fr"}), {"SMUTIL_CONFIG=" + config});
  EXPECT_NE(configured.out.find("display  [fr] Account\n"), std::string::npos) << configured.out << configured.err;

  // A store that cannot be read is an error, not the names.
  const ToolRun missing = RunTool(with(show, {"--lang", "fr", "--bundles", Path("none/x.db")}));
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("cannot open the bundle store " + Path("none/x.db") + ": there is no such file"),
            std::string::npos)
      << missing.err;
}

// A unit whose text no object uses any more is reported, and nothing is imported.
TEST_F(Translations, UnitsThatMatchNoObjectAreReported) {
  const std::string xlf = Path("sample.xlf"), done = Path("done.xlf"), store = Path("new.db");
  ASSERT_EQ(RunTool({"--repo", kSample, "translations", "export", "--lang", "fr", xlf}).exitCode, 0);
  Translate(xlf, done);
  // Into a repository whose Account column no longer uses its variable.
  const std::string off = Path("off.rpd.xml");
  ASSERT_EQ(RunTool({"--repo", kSample, "externalize", "--type", "PRESENTATION COLUMN",
                     "\"Ledger\".\"Balances\".\"Account\"", "--kex", "--save", off})
                .exitCode,
            0);
  const ToolRun stale = RunTool({"--repo", off, "translations", "import", "--bundles", store, done});
  EXPECT_EQ(stale.exitCode, 1);
  EXPECT_NE(stale.err.find("(id CN_Ledger_Balances_Account, VX_SESSION.CN_Ledger_Balances_Account): no object of "
                           "the repository uses the text it translates"),
            std::string::npos)
      << stale.err;
  EXPECT_NE(stale.err.find("nothing was imported"), std::string::npos) << stale.err;
  EXPECT_EQ(StoreText(store, "CN_Ledger_Balances_Account", "fr"), "<none>");
  // Nor the units that do match: the store holds the whole document or nothing of it.
  EXPECT_EQ(StoreText(store, "LABEL_REVENUE", "fr"), "<none>");
}

}  // namespace
