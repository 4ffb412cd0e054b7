#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Utility/SQLKeyWords.h"
#include "Utility/SUFilePath.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/SystemUtility.h"
#include "Utility/TYSGUIDGenerator.h"

namespace {
std::size_t ConfigErrorLine(std::string_view text) {
  try {
    SUSystemConfig::Parse(text, "bad.ini", "/base");
  } catch (const SystemConfigError& e) {
    EXPECT_NE(std::string(e.what()).find("bad.ini:"), std::string::npos) << e.what();
    return e.GetLine();
  }
  ADD_FAILURE() << "no error for: " << text;
  return 0;
}

// Sets an environment variable for one scope.
struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old, m_had = true;
    ::setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (m_had)
      ::setenv(m_name, m_old.c_str(), 1);
    else
      ::unsetenv(m_name);
  }
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};
}  // namespace

TEST(SUSystemConfig, DefaultsWithoutAFile) {
  const SUSystemConfig cfg;
  EXPECT_EQ(cfg.GetCatalogDelimiter(), U".");
  EXPECT_TRUE(cfg.GetLogicalRepositoryNames().empty());
  EXPECT_EQ(cfg.GetMultiByteCodePage(), 65001);
  EXPECT_FALSE(cfg.IsLegacyInstanceMode());
  const auto empty = SUSystemConfig::Parse("# nothing\n\n", "x", "");
  EXPECT_EQ(empty.GetCatalogDelimiter(), U".");
  EXPECT_EQ(empty.GetBundleStore(), U"");
}

TEST(SUSystemConfig, ReadsEveryKeyAndResolvesPaths) {
  const auto cfg = SUSystemConfig::Parse(
      "[Server]\n"
      "CatalogDelimiter = \" :: \"   ; quoted keeps blanks\n"
      "MultiByteCodePage = 1252\n"
      "LegacyInstanceMode = yes\n"
      "HomeDirectory = home/../inst\n"
      "InstanceName = \"say \"\"hi\"\"\"\n"
      "[Repository]\n"
      "LogicalName = Star\n"
      "Path = rp/Star.rpd\n"
      "LogicalName = Paint ; comment\n"
      "Path = /abs/Paint.rpd\n"
      "[Translations]\n"
      "BundleStore = i18n/fr.db\n",
      "t.ini", "/etc/smutil");
  EXPECT_EQ(cfg.GetBundleStore(), U"/etc/smutil/i18n/fr.db");
  EXPECT_EQ(cfg.GetCatalogDelimiter(), U" :: ");
  EXPECT_EQ(cfg.GetMultiByteCodePage(), 1252);
  EXPECT_TRUE(cfg.IsLegacyInstanceMode());
  EXPECT_EQ(cfg.GetHomeDirectory(), U"/etc/smutil/inst");
  EXPECT_EQ(cfg.GetInstanceName(), U"say \"hi\"");
  EXPECT_EQ(cfg.GetLogicalRepositoryNames(), (VXStringVector{U"Star", U"Paint"}));
  EXPECT_EQ(cfg.GetRepositoryPaths(), (VXStringVector{U"/etc/smutil/rp/Star.rpd", U"/abs/Paint.rpd"}));
}

TEST(SUSystemConfig, BadFilesNameTheLine) {
  struct Row {
    const char* text;
    std::size_t line;
  };
  const Row rows[] = {
      {"Key = 1\n", 1},
      {"[Server]\n[Nope]\n", 2},
      {"[Server\n", 1},
      {"[Server]\nCatalogDelimiter\n", 2},
      {"[Server]\nCatalogDelimter = .\n", 2},
      {"[Server]\nCatalogDelimiter = .\nCatalogDelimiter = :\n", 3},
      {"[Server]\nCatalogDelimiter = \"\"\n", 2},
      {"[Server]\nMultiByteCodePage = utf8\n", 2},
      {"[Server]\nLegacyInstanceMode = maybe\n", 2},
      {"[Server]\nInstanceName = \"open\n", 2},
      {"[Server]\nInstanceName = \"a\" b\n", 2},
      {"[Repository]\nLogicalName = \xff\n", 2},
  };
  for (const Row& r : rows) EXPECT_EQ(ConfigErrorLine(r.text), r.line) << r.text;
  EXPECT_THROW(SUSystemConfig::LoadFile("/nonexistent/config.ini"), SystemConfigError);
}

TEST(SUSystemConfig, SampleFileAndScopedOverride) {
  const auto sample = SUSystemConfig::LoadFile((std::filesystem::path(SMUTIL_SAMPLES_DIR) / "config.ini").string());
  EXPECT_EQ(sample.GetCatalogDelimiter(), U".");
  EXPECT_EQ(sample.GetHomeDirectory(), ToVXString(SMUTIL_SAMPLES_DIR));
  ASSERT_EQ(sample.GetLogicalRepositoryNames().size(), sample.GetRepositoryPaths().size());

  const VXString before = SUSystemConfig::GetSystemConfig()->GetCatalogDelimiter();
  {
    ScopedSystemConfig scoped(SUSystemConfig().SetCatalogDelimiter(U"::").SetMultiByteCodePage(1252));
    EXPECT_EQ(SUSystemConfig::GetSystemConfig()->GetCatalogDelimiter(), U"::");
    EXPECT_EQ(SystemUtility::GetMultiByteCodePage(), 1252);
  }
  EXPECT_EQ(SUSystemConfig::GetSystemConfig()->GetCatalogDelimiter(), before);
}

TEST(SystemUtility, EnvironmentThenConfigurationThenDefault) {
  ScopedSystemConfig scoped(SUSystemConfig().SetInstanceName(U"cfg1").SetLegacyInstanceMode(false));
  ::unsetenv("SMUTIL_INSTANCE_NAME");
  ::unsetenv("SMUTIL_COMPONENT_NAME");
  EXPECT_EQ(SystemUtility::GetInstanceName(), U"cfg1");
  EXPECT_EQ(SystemUtility::GetComponentName(), U"smutil");
  {
    ScopedEnv env("SMUTIL_INSTANCE_NAME", "env1");
    ScopedEnv legacy("SMUTIL_LEGACY_INSTANCE_MODE", "true");
    EXPECT_EQ(SystemUtility::GetInstanceName(), U"env1");
    EXPECT_TRUE(SystemUtility::IsLegacyInstanceMode());
  }
  EXPECT_FALSE(SystemUtility::IsLegacyInstanceMode());
  ScopedEnv set("SMUTIL_TEST_EMPTY", "");
  EXPECT_TRUE(SystemUtility::hasEnv(U"SMUTIL_TEST_EMPTY"));
  EXPECT_EQ(SystemUtility::Getenv(U"SMUTIL_TEST_EMPTY"), U"");
  EXPECT_FALSE(SystemUtility::hasEnv(U"SMUTIL_TEST_SURELY_NOT_SET"));
  EXPECT_FALSE(SystemUtility::GetHostName().empty());
}

TEST(SUFilePath, StripExtensionJoinAndExists) {
  struct Row {
    const char32_t* path;
    const char32_t* stripped;
  };
  const Row rows[] = {
      {U"rp/Sales.rpd", U"rp/Sales"}, {U"Sales.tar.gz", U"Sales.tar"},        {U"dir.x/file", U"dir.x/file"},
      {U".profile", U".profile"},     {U"a\\b.c\\Star.rpd", U"a\\b.c\\Star"}, {U"", U""},
      {U"x/.hidden", U"x/.hidden"},
  };
  for (const Row& r : rows) EXPECT_EQ(SUFilePath::VXPathStripExtension(r.path), r.stripped) << ToNarrow(r.path);
  EXPECT_EQ(SUFilePath::VXPathFileName(U"a/b\\Sales.rpd"), U"Sales.rpd");
  EXPECT_EQ(SUFilePath::VXPathJoin(U"home/", U"/lib"), U"home/lib");
  EXPECT_EQ(SUFilePath::VXPathJoin(U"", U"lib"), U"lib");
  EXPECT_TRUE(SUFileUtility::FileExists(ToVXString(SMUTIL_SAMPLES_DIR) + U"/messages.txt"));
  EXPECT_FALSE(SUFileUtility::FileExists(ToVXString(SMUTIL_SAMPLES_DIR)));
  EXPECT_TRUE(SUFileUtility::DirectoryExists(ToVXString(SMUTIL_SAMPLES_DIR)));
  EXPECT_FALSE(SUFileUtility::FileExists(U""));
}

TEST(SQLKeyWords, ReservedWordsIgnoreCase) {
  for (const char32_t* w : {U"SELECT", U"select", U"Year", U"end-exec", U"valueof", U"Evaluate_Aggr", U"XSA"}) {
    EXPECT_TRUE(SQLKeyWords::IsKeyword(w)) << ToNarrow(w);
  }
  for (const char32_t* w : {U"Revenue", U"Orders", U"", U"SELECTS", U"ÿear"}) {
    EXPECT_FALSE(SQLKeyWords::IsKeyword(w)) << ToNarrow(w);
  }
  EXPECT_GT(SQLKeyWords::Count(), 350u);
}

TEST(TYSGUIDGenerator, TextFormRoundTrip) {
  const ByteVector g{0x3F, 0x25, 0x04, 0xE0, 0x4F, 0x89, 0x41, 0xD3, 0x9A, 0x0C, 0x03, 0x05, 0xE8, 0x2C, 0x33, 0x01};
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString(g), U"3F2504E0-4F89-41D3-9A0C-0305E82C3301");
  ByteVector back;
  ASSERT_TRUE(TYSGUIDGenerator::GUIDStringToByteVector(U"{3f2504e0-4f89-41d3-9a0c-0305e82c3301}", back));
  EXPECT_EQ(back, g);
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString({0xAB, 0x01}), U"AB01");
  EXPECT_EQ(TYSGUIDGenerator::ByteVectorToGUIDString({}), U"");
  for (const char32_t* bad : {U"3F2504E0-4F89-41D3-9A0C-0305E82C330", U"3F2504E04F8941D39A0C0305E82C330100",
                              U"3F2504E0-4F89-41D3-9A0C-0305E82C33G1", U"3F2504E0+4F89-41D3-9A0C-0305E82C3301"}) {
    ByteVector keep{1};
    EXPECT_FALSE(TYSGUIDGenerator::GUIDStringToByteVector(bad, keep)) << ToNarrow(bad);
    EXPECT_EQ(keep, ByteVector{1});
  }
  const ByteVector a = TYSGUIDGenerator::GenerateGUID(), b = TYSGUIDGenerator::GenerateGUID();
  ASSERT_EQ(a.size(), 16u);
  EXPECT_NE(a, b);
  EXPECT_EQ(a[6] >> 4, 4);
}
