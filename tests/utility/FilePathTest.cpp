#include <gtest/gtest.h>

#include "Utility/SUFilePath.h"
#include "Utility/SUFileUtility.h"

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
