// The tool's bundle store over a small SQLite file written here: the
// session's language, the fallback language, the key itself, and a file that
// cannot be read.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "Bundles/BundleStore.h"
#include "Metadata/SMUtil.h"
#include "Utility/ServerLog.h"
#include "common/ScratchDir.h"
#include "objectmodel/ObjectModel.h"

namespace {

class BundleStore : public ::testing::Test {
 protected:
  void SetUp() override {
    file = (dir / "b.db").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE bundle_strings (key TEXT, language TEXT, text TEXT);"
                           "INSERT INTO bundle_strings VALUES ('title', 'en', 'Sales'), ('title', 'fr', 'Ventes'),"
                           " ('only.en', 'en', 'English only'), ('it''s', 'fr', 'quoted key');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }

  VXString Value(const VXString& key) {
    Heap<PropertyValue> value;
    if (!rp.GetSessionVariableValue({U"VX_SESSION", U"KEX_BUNDLE_" + key}, value) || !value) return U"<unset>";
    return value->StringFrom();
  }

  testutil::ScratchDir scratch;
  const std::filesystem::path dir = scratch.Dir();
  std::string file;
  ARpGateway rp;
};

TEST_F(BundleStore, LanguageThenFallbackThenKey) {
  const std::set<VXString> keys{U"title", U"only.en", U"it's", U"absent", U"x #KEY# shown.key"};
  smutil_bundles::LoadBundleStrings(&rp, keys, file, U"fr");
  EXPECT_EQ(Value(U"title"), U"Ventes");
  EXPECT_EQ(Value(U"only.en"), U"English only");
  EXPECT_EQ(Value(U"it's"), U"quoted key");
  EXPECT_EQ(Value(U"absent"), U"KEX_BUNDLE_absent");
  EXPECT_EQ(Value(U"x #KEY# shown.key"), U"shown.key");

  rp.ClearSessionVariables();
  smutil_bundles::LoadBundleStrings(&rp, {U"title"}, file, U"de");
  EXPECT_EQ(Value(U"title"), U"Sales");
}

TEST_F(BundleStore, AnUnreadableFileGivesTheKeysAndOneError) {
  const std::string notADatabase = (dir / "text.db").string();
  std::ofstream(notADatabase) << "not a database\n";
  for (const std::string& bad : {(dir / "missing.db").string(), notADatabase, std::string()}) {
    SCOPED_TRACE(bad);
    rp.ClearSessionVariables();
    ScopedLogCapture log(0);
    smutil_bundles::LoadBundleStrings(&rp, {U"title", U"other"}, bad, U"fr");
    EXPECT_EQ(Value(U"title"), U"KEX_BUNDLE_title");
    EXPECT_EQ(Value(U"other"), U"KEX_BUNDLE_other");
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Records()[0].severity, LogSeverity::kError);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));  // read-only: never created
}

TEST_F(BundleStore, TheFileIsNamedByTheDatabasesFirstPool) {
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"Bundles");
  EXPECT_EQ(smutil_bundles::BundleFileOf(db.As<ADatabase>()), "");
  db.Child(kTIDAConnectionPool, U"Pool").Set(RpProp::kDataSourceName, VXString(ToVXString(file)));
  EXPECT_EQ(smutil_bundles::BundleFileOf(db.As<ADatabase>()), file);
}

}  // namespace
