// Escaping and links of the site's text helpers.
#include <gtest/gtest.h>

#include "SiteText.h"

namespace smutil_site {
namespace {

TEST(SiteText, EscapesMarkupAndReplacesWhatXmlCannotCarry) {
  const struct {
    VXString in;
    std::string out;
  } cases[] = {
      {U"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
      {U"A & \"B\"", "A &amp; &quot;B&quot;"},
      {U"Kunden & Märkte", "Kunden &amp; M\xC3\xA4rkte"},
      {VXString(U"a") + char32_t{1} + U"b",
       "a\xEF\xBF\xBD"
       "b"},                                                 // U+0001 is not XML
      {VXString(U"x") + char32_t{0xD800}, "x\xEF\xBF\xBD"},  // a lone surrogate
      {U"tab\there", "tab\there"},
  };
  for (const auto& c : cases) EXPECT_EQ(Escaped(c.in), c.out) << ToNarrow(c.in);
}

TEST(SiteText, HrefsPercentEncodeEverythingThatWouldChangeTheLink) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"Database/DB_Sales/PT_A.html", "Database/DB_Sales/PT_A.html"},
      {"a b#c?d%e.html", "a%20b%23c%3Fd%25e.html"},
      {"x\"onmouseover=1.html", "x%22onmouseover%3D1.html"},
      {"PT_W~12.html", "PT_W~12.html"},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendHref(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(SiteText, RelativeLinksClimbOutOfTheFromDirectory) {
  const struct {
    std::string from, to, link;
  } cases[] = {
      {"index.html", "Database/DB_A.html", "Database/DB_A.html"},
      {"Database/DB_A.html", "index.html", "../index.html"},
      {"Database/DB_A/PT_B.html", "Database/DB_A.html", "../DB_A.html"},
      {"Database/DB_A/PT_B.html", "Database/DB_A/PT_B/PC_C.html", "PT_B/PC_C.html"},
      {"Database/DB_A/PT_B/PC_C.html", "BusinessModel/BM_S/LT_O.html", "../../../BusinessModel/BM_S/LT_O.html"},
      // A shared name start that is not a whole directory does not count.
      {"Database/DB_AB/PT_X.html", "Database/DB_A/PT_Y.html", "../DB_A/PT_Y.html"},
  };
  for (const auto& c : cases) EXPECT_EQ(RelativeLink(c.from, c.to), c.link) << c.from << " -> " << c.to;
}

TEST(SiteText, JsStringsKeepOnlyPrintableAscii) {
  std::string out;
  AppendJsString(out, U"a\"b\\c</script>\u00e4\U0001F600\n");
  EXPECT_EQ(out, R"("a\u0022b\u005Cc\u003C/script\u003E\u00E4\uD83D\uDE00\u000A")");
}

}  // namespace
}  // namespace smutil_site
