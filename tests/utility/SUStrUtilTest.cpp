#include <gtest/gtest.h>

#include <span>

#include "CatalogueOverride.h"
#include "Utility/ServerLog.h"

TEST(SUStrUtil, LoadMsgStringPrefixesTheNumber) {
  CatalogueOverride cat("1 = No args.\n2 = One %1.\n5 = %1-%2-%3-%4-%5\n7 = Label %1 \"%2\"\n8 = 100%%\n");
  EXPECT_EQ(SUStrUtil::LoadMsgString(1), U"[1] No args.");
  EXPECT_EQ(SUStrUtil::LoadMsgString(2, U"x"), U"[2] One x.");
  EXPECT_EQ(SUStrUtil::LoadMsgString(5, U"a", U"b", U"c", U"d", U"e"), U"[5] a-b-c-d-e");
  EXPECT_EQ(SUStrUtil::LoadMsgStringOnly(2, U"y"), U"One y.");
  EXPECT_EQ(SUStrUtil::LoadMsgStringOnly(7), U"Label %1 \"%2\"");  // template for the caller to fill
  EXPECT_EQ(SUStrUtil::LoadMsgStringOnly(8), U"100%");
  const VXString args[] = {U"p", U"q", U"r"};
  EXPECT_EQ(SUStrUtil::LoadMsgString(5, std::span<const VXString>(args, 3)), U"[5] p-q-r-%4-%5");
  EXPECT_TRUE(SUStrUtil::HasMessage(7));
  EXPECT_FALSE(SUStrUtil::HasMessage(6));
}

TEST(SUStrUtil, UnknownIdsAreVisibleAndLogged) {
  CatalogueOverride cat("1 = x\n");
  ScopedLogCapture log;
  const VXString text = SUStrUtil::LoadMsgString(424242, U"Orders");
  EXPECT_EQ(text.rfind(U"[424242] ", 0), 0u);
  EXPECT_NE(text.find(U"Orders"), VXString::npos);
  EXPECT_TRUE(log.Contains(LogSeverity::kWarning, U"424242"));
  EXPECT_EQ(SUStrUtil::GetTypeName(777), U"Object type 777");
}

TEST(SUStrUtil, XmlTagsIndentByDepth) {
  EXPECT_EQ(SUStrUtil::XMLMakeStartTag(U"Name", 0), U"<Name>");
  EXPECT_EQ(SUStrUtil::XMLMakeStartTag(U"Name", 2), U"    <Name>");
  EXPECT_EQ(SUStrUtil::XMLMakeEndTag(U"Name", 0), U"</Name>");
  EXPECT_EQ(SUStrUtil::XMLMakeEndTag(U"Object", 1), U"  </Object>");
  EXPECT_EQ(SUStrUtil::XMLMakeStartTag(U"X", -3), U"<X>");
}
