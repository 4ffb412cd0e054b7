#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "Utility/SUFileUtility.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/SystemUtility.h"

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
