#include <gtest/gtest.h>

#include <cstdint>

#include "Utility/XmlText.h"

TEST(XmlText, IsXmlCharFollowsTheCharProductionAtEveryEdge) {
  const struct {
    char32_t c;
    bool bXml;
  } cases[] = {
      {0x0, false},     {0x8, false},      {0x9, true},         {0xA, true},     {0xB, false},    {0xC, false},
      {0xD, true},      {0x1F, false},     {0x20, true},        {0x7F, true},    {0xD7FF, true},  {0xD800, false},
      {0xDFFF, false},  {0xE000, true},    {0xFFFD, true},      {0xFFFE, false}, {0xFFFF, false}, {0x10000, true},
      {0x10FFFF, true}, {0x110000, false}, {0xFFFFFFFF, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<std::uint32_t>(c.c));
    EXPECT_EQ(XmlText::IsXmlChar(c.c), c.bXml);
  }
}

TEST(XmlText, MarkupCharactersHaveReferencesAndTheApostropheIsWrittenAsAsked) {
  using XmlText::Apostrophe;
  const struct {
    char32_t c;
    Apostrophe apostrophe;
    std::string_view ref;
  } cases[] = {
      {U'&', Apostrophe::kKeep, "&amp;"},     {U'<', Apostrophe::kKeep, "&lt;"},
      {U'>', Apostrophe::kKeep, "&gt;"},      {U'"', Apostrophe::kKeep, "&quot;"},
      {U'\'', Apostrophe::kKeep, ""},         {U'\'', Apostrophe::kNamed, "&apos;"},
      {U'\'', Apostrophe::kNumeric, "&#39;"}, {U'a', Apostrophe::kNamed, ""},
      {U'\t', Apostrophe::kNamed, ""},        {U';', Apostrophe::kNumeric, ""},
      {U'\u00E9', Apostrophe::kNamed, ""},    {0x1003C, Apostrophe::kNamed, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<std::uint32_t>(c.c));
    EXPECT_EQ(XmlText::MarkupReference(c.c, c.apostrophe), c.ref);
  }
}
