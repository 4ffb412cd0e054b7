#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <unordered_set>

#include "Utility/BaseStringUtil.h"

namespace bsu = BaseStringUtil;

TEST(BaseStringUtilCase, FoldingBeyondAsciiIsLengthPreserving) {
  struct Row {
    VXString text, lower, upper;
  };
  const Row rows[] = {
      {U"Orders", U"orders", U"ORDERS"},
      {U"ΣΟΦΊΑ", U"σοφία", U"ΣΟΦΊΑ"},
      {U"Привет", U"привет", U"ПРИВЕТ"},
      {U"Straße", U"straße", U"STRAßE"},  // sharp s has no one-letter upper case
      {U"ẞ", U"ß", U"ẞ"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(bsu::ToUpperCase(r.text), r.upper) << ToNarrow(r.text);
    EXPECT_EQ(bsu::ToLowerCase(r.text), r.lower) << ToNarrow(r.text);
  }
  // Dotted capital I lower-cases to plain i under the simple mapping: one char.
  EXPECT_EQ(bsu::ToLowerCase(U"İ"), U"i");
  // Code points outside Unicode pass through untouched.
  EXPECT_EQ(bsu::ToLowerCase(VXString(1, char32_t(0x110000))), VXString(1, char32_t(0x110000)));
}

TEST(BaseStringUtilCase, CaseInsensitiveMatchUsesFolding) {
  EXPECT_TRUE(bsu::IsCaseInsensitiveMatch(U"Orders", U"oRDERS"));
  EXPECT_TRUE(bsu::IsCaseInsensitiveMatch(U"ΣΟΦΙΑ", U"σοφια"));
  EXPECT_TRUE(bsu::IsCaseInsensitiveMatch(U"Σ", U"ς"));  // final sigma
  EXPECT_TRUE(bsu::IsCaseInsensitiveMatch(U"STRAẞE", U"straße"));
  EXPECT_FALSE(bsu::IsCaseInsensitiveMatch(U"Orders", U"Order"));
  EXPECT_FALSE(bsu::IsCaseInsensitiveMatch(U"strasse", U"straße"));  // simple folding: no expansion
  EXPECT_TRUE(bsu::IsMatch(U"A", U"A"));
  EXPECT_FALSE(bsu::IsMatch(U"A", U"a"));
}

TEST(BaseStringUtilCase, FoldCharOnBothSidesOfAscii) {
  // Only the 26 capitals move within ASCII; the neighbours of the ranges stay.
  const std::pair<char32_t, char32_t> rows[] = {
      {U'@', U'@'},   {U'A', U'a'},   {U'Z', U'z'},   {U'[', U'['},   {U'`', U'`'},         {U'a', U'a'},
      {U'z', U'z'},   {U'{', U'{'},   {0, 0},         {0x7F, 0x7F},   {0xC0, 0xE0},         {0xDF, 0xDF},
      {0x130, 0x130}, {0x1E9E, 0xDF}, {0x3A3, 0x3C3}, {0x3C2, 0x3C3}, {0x110000, 0x110000},
  };
  for (const auto& [c, folded] : rows) EXPECT_EQ(VXCaseFold::FoldChar(c), folded) << std::hex << std::uint32_t(c);
}

TEST(BaseStringUtilCase, OnePolicyForHashEqualityAndOrder) {
  std::unordered_set<VXString, VXStringCaseInsensitiveHash, VXStringCaseInsensitiveEqual> set;
  set.insert(U"Привет");
  set.insert(U"ПРИВЕТ");
  set.insert(U"Straße");
  set.insert(U"STRAẞE");
  EXPECT_EQ(set.size(), 2u);
  EXPECT_EQ(set.count(U"привет"), 1u);

  std::map<VXString, int, VXStringCaseInsensitiveLessThan> m{{U"b", 2}, {U"A", 1}, {U"c", 3}};
  m[U"B"] = 20;
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m.begin()->first, U"A");
  EXPECT_EQ(m[U"b"], 20);
  EXPECT_EQ(VXStringCaseInsensitiveHash{}(U"ΣΟΦΙΑ"), VXStringCaseInsensitiveHash{}(U"σοφια"));
}

TEST(BaseStringUtilCase, WildcardMatching) {
  struct Row {
    const char32_t* name;
    const char32_t* pattern;
    bool match;
  };
  const Row rows[] = {
      {U"Sales Fact", U"sales*", true},
      {U"Sales Fact", U"SALES%", true},
      {U"Sales Fact", U"*FACT", true},
      {U"Sales Fact", U"*les*ac*", true},
      {U"Sales Fact", U"Sales?Fact", true},
      {U"Sales Fact", U"Sales??Fact", false},
      {U"Sales", U"Sales*", true},
      {U"Sales", U"*", true},
      {U"", U"*", true},
      {U"", U"", true},
      {U"x", U"", false},
      {U"", U"?", false},
      {U"A*B", U"a\\*b", true},
      {U"AxB", U"a\\*b", false},
      {U"SALES_FACT", U"sales_fact", true},
      {U"SALES-FACT", U"sales_fact", false},
      {U"aaaaaaaaab", U"*a*a*a*b", true},
      {U"aaaaaaaaaa", U"*a*a*a*b", false},
      {U"Привет", U"при*", true},
      {U"back\\", U"back\\", true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(bsu::IsWildcardCaseInsensitiveMatch(r.name, r.pattern), r.match)
        << ToNarrow(r.name) << " ~ " << ToNarrow(r.pattern);
  }
}

TEST(BaseStringUtilCase, FindPatternAtStart) {
  EXPECT_TRUE(bsu::CaseInsensitiveFindPatternAtStart(U"KEX_BUNDLE_Name", U"kex_bundle_"));
  EXPECT_TRUE(bsu::CaseInsensitiveFindPatternAtStart(U"abc", U""));
  EXPECT_FALSE(bsu::CaseInsensitiveFindPatternAtStart(U"ab", U"abc"));
  EXPECT_FALSE(bsu::CaseInsensitiveFindPatternAtStart(U"xabc", U"abc"));
  EXPECT_EQ(bsu::CaseInsensitiveFind(U"a VALUEOF(x)", U"valueof("), 2u);
  EXPECT_EQ(bsu::CaseInsensitiveFind(U"abc", U"abcd"), VXString::npos);
}

TEST(BaseStringUtilSearch, FindFirstUnquotedReportsEachQuotedPartOnce) {
  const VXString text = U"'valueof(a)' x \"q\" valueof(b) 'it''s' valueof(c)";
  std::vector<bsu::QuotedPart> parts;
  std::vector<std::size_t> hits;
  const VXString pattern = U"valueof(";
  for (std::size_t start = 0;;) {
    const std::size_t found = bsu::FindFirstUnquoted(text, pattern, start, &parts);
    if (found == VXString::npos) break;
    hits.push_back(found);
    start = found + pattern.size();
  }
  EXPECT_EQ(hits, (std::vector<std::size_t>{19, 38}));
  const std::vector<bsu::QuotedPart> expected{{0, 11}, {15, 17}, {30, 36}};
  EXPECT_EQ(parts, expected);
}

TEST(BaseStringUtilSearch, FindFirstUnquotedEdgeCases) {
  std::vector<bsu::QuotedPart> parts;
  // An unclosed quote hides the rest of the text and is not reported.
  EXPECT_EQ(bsu::FindFirstUnquoted(U"'abc valueof(", U"valueof(", 0, &parts), VXString::npos);
  EXPECT_TRUE(parts.empty());
  // Parts after the match are left for the next search.
  EXPECT_EQ(bsu::FindFirstUnquoted(U"ab 'c'", U"ab", 0, &parts), 0u);
  EXPECT_TRUE(parts.empty());
  EXPECT_EQ(bsu::FindFirstUnquoted(U"abc", U"", 0, &parts), VXString::npos);
  EXPECT_EQ(bsu::FindFirstUnquoted(U"abc", U"c", 7, &parts), VXString::npos);
  EXPECT_EQ(bsu::FindFirstUnquoted(U"abc", U"c"), 2u);
}

TEST(BaseStringUtilSearch, ClosingParenthesisSkipsNestingAndQuotes) {
  struct Row {
    const char32_t* text;
    std::size_t start, expected;
  };
  const Row rows[] = {
      {U"f(a)", 2, 3},
      {U"f(a(b)c)d", 2, 7},
      {U"f((()))", 2, 6},
      {U"f(')')x)", 2, 5},
      {U"f(\"a)\"))", 2, 6},
      {U"f(a(b)", 2, VXString::npos},
      {U"f('unclosed)", 2, VXString::npos},
      {U"f(", 2, VXString::npos},
      {U"", 5, VXString::npos},
  };
  for (const Row& r : rows) EXPECT_EQ(bsu::FindClosingParenthesis(r.text, r.start), r.expected) << ToNarrow(r.text);
}

TEST(BaseStringUtilSplit, Tokenize) {
  EXPECT_EQ(bsu::Tokenize(U"a..b.", U".", false, false), (VXStringVector{U"a", U"b"}));
  EXPECT_EQ(bsu::Tokenize(U"a..b.", U".", false, true), (VXStringVector{U"a", U"", U"b", U""}));
  EXPECT_EQ(bsu::Tokenize(U"'x' y", U"'", false, true), (VXStringVector{U"", U"x", U" y"}));
  EXPECT_EQ(bsu::Tokenize(U"a+b", U"+-", true, false), (VXStringVector{U"a", U"+", U"b"}));
  EXPECT_EQ(bsu::Tokenize(U"", U".", false, true), (VXStringVector{U""}));
  EXPECT_TRUE(bsu::Tokenize(U"", U".", false, false).empty());
}

TEST(BaseStringUtilSplit, TrimReplaceQuote) {
  EXPECT_EQ(bsu::TrimBoth(U" \t k1 \u00A0\n"), U"k1");
  EXPECT_EQ(bsu::TrimBoth(U"   "), U"");
  EXPECT_EQ(bsu::TrimLeft(U"  a "), U"a ");
  EXPECT_EQ(bsu::TrimRight(U"  a "), U"  a");

  VXString s = U"a//b//c";
  EXPECT_EQ(bsu::ReplacePatternInString(s, U"//", U"."), 2u);
  EXPECT_EQ(s, U"a.b.c");
  s = U"it's";
  bsu::ReplacePatternInString(s, U"'", U"''");  // inserted text is not searched again
  EXPECT_EQ(s, U"it''s");
  s = U"abc";
  EXPECT_EQ(bsu::ReplacePatternInString(s, U"", U"x"), 0u);
  EXPECT_EQ(s, U"abc");
  s = U"'''x'''";
  bsu::ReplaceSubstring(s, U"'''", U"'");
  bsu::ReplaceSubstring(s, U"''", U"'");
  EXPECT_EQ(s, U"'x'");
  s = U"Name NAME name";
  EXPECT_EQ(bsu::ReplaceSubstring(s, U"name", U"N", true, false), 3u);
  EXPECT_EQ(s, U"N N N");
  s = U"Name NAME";
  EXPECT_EQ(bsu::ReplaceSubstring(s, U"name", U"N", true, true), 1u);
  EXPECT_EQ(s, U"N NAME");

  EXPECT_EQ(bsu::QuoteAround(U"A B"), U"\"A B\"");
  EXPECT_EQ(bsu::QuoteAround(U"say \"hi\""), U"\"say \"\"hi\"\"\"");
  EXPECT_EQ(bsu::QuoteAround(U"x", U'\''), U"'x'");
}

TEST(BaseStringUtilSplit, EscapeAndOneLine) {
  EXPECT_EQ(bsu::EscapeXMLChars(U"a<b>&\"c'"), U"a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(bsu::EscapeXMLChars(VXString(U"a\u0001b\tc")), U"a\uFFFDb\tc");
  EXPECT_EQ(bsu::MakeOneLineString(U"a\r\nb\nc\rd\u2028e"), U"a b c d e");
}

TEST(BaseStringUtilSplit, WordSeparators) {
  for (char32_t c : VXString(U"().,; +-*/=<>|\t\n")) EXPECT_TRUE(bsu::IsWordSeparator(c)) << int(c);
  for (char32_t c : VXString(U"aZ09_$#\"'é")) EXPECT_FALSE(bsu::IsWordSeparator(c)) << int(c);
}

TEST(BaseStringUtilNumbers, IntegersAndDoubles) {
  EXPECT_EQ(bsu::StringFrom(-42), U"-42");
  EXPECT_EQ(bsu::StringFrom(2147483647), U"2147483647");
  EXPECT_EQ(bsu::StringFrom(18446744073709551615ull), U"18446744073709551615");
  struct Row {
    double value;
    const char32_t* plain;
    const char32_t* suffixed;
  };
  const Row rows[] = {
      {1.5, U"1.5", U"1.5E0"},    {100.0, U"100", U"100E0"},  {-0.25, U"-0.25", U"-0.25E0"},
      {1e20, U"1E+20", U"1E+20"}, {1e-7, U"1E-07", U"1E-07"}, {0.1, U"0.1", U"0.1E0"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(bsu::StringFrom(r.value), r.plain);
    EXPECT_EQ(bsu::StringFrom(r.value, true), r.suffixed);
  }
  EXPECT_EQ(bsu::StringFrom(std::numeric_limits<double>::infinity()), U"Infinity");
  EXPECT_EQ(bsu::StringFrom(std::nan("")), U"NaN");
  // Shortest text that reads back exactly.
  EXPECT_EQ(std::stod(ToNarrow(bsu::StringFrom(0.1 + 0.2))), 0.1 + 0.2);
}

TEST(BaseStringUtilNumbers, BooleanFrom) {
  for (const char32_t* t : {U"true", U" TRUE ", U"yes", U"On", U"1", U"y", U"T", U"-3"}) {
    EXPECT_TRUE(bsu::BooleanFrom(t, false)) << ToNarrow(t);
  }
  for (const char32_t* t : {U"false", U"No", U"off", U"0", U"n", U"000"}) EXPECT_FALSE(bsu::BooleanFrom(t, true));
  for (const char32_t* t : {U"", U"maybe", U"1x", U"+"}) {
    EXPECT_TRUE(bsu::BooleanFrom(t, true));
    EXPECT_FALSE(bsu::BooleanFrom(t, false));
  }
}

TEST(BaseStringUtilNumbers, CodePages) {
  EXPECT_EQ(bsu::StdStringToString("caf\xC3\xA9", 65001), U"café");
  EXPECT_EQ(bsu::StdStringToString("caf\xE9", 1252), U"café");
  EXPECT_EQ(bsu::StdStringToString("\x80", 1252), U"€");
  EXPECT_EQ(bsu::StdStringToString("caf\xE9", 28591), U"café");
  EXPECT_EQ(bsu::StdStringToString("12.5", 932), U"12.5");
  // Control characters stay what they are in the PC pages too.
  for (int page : {932, 437, 850, 1252, 936}) {
    EXPECT_EQ(bsu::StdStringToString("\x1A\x1C\x7F\x1B", page), U"\x1A\x1C\x7F\x1B") << page;
  }
  EXPECT_EQ(bsu::StdStringToString("\x82\xA0\x1A", 932), U"\u3042\x1A");  // hiragana a, then SUB
  EXPECT_THROW(bsu::StdStringToString("x", 1200), std::invalid_argument);
  EXPECT_THROW(bsu::StdStringToString("xy", 1202), std::invalid_argument);  // UTF-16 little endian
  // BOCU-1 (1215) carries any code point; a lone surrogate is no character.
  for (char32_t c : bsu::StdStringToString("\xfb\xff\xff\x86========", 1215)) {
    EXPECT_FALSE(c >= 0xD800 && c <= 0xDFFF) << std::hex << static_cast<unsigned>(c);
  }
}

TEST(BaseStringUtilFormat, Sprintf) {
  EXPECT_EQ(bsu::VXString_sprintf(U"%d", 233), U"233");
  EXPECT_EQ(bsu::VXString_sprintf(U"VALUEOF(%ls)", VXString(U"VX_SESSION.X")), U"VALUEOF(VX_SESSION.X)");
  EXPECT_EQ(bsu::VXString_sprintf(U"[%5s|%-4s|%.2s]", U"ab", std::string("é"), U"xyz"), U"[   ab|é   |xy]");
  EXPECT_EQ(bsu::VXString_sprintf(U"%05.1f %x %X %u %c %%", 3.14159, 255, 255u, 7u, U'Ж'), U"003.1 ff FF 7 Ж %");
  EXPECT_EQ(bsu::VXString_sprintf(U"%+d %lld", 5, -9000000000LL), U"+5 -9000000000");
  EXPECT_THROW(bsu::VXString_sprintf(U"%d %d", 1), std::invalid_argument);
  EXPECT_THROW(bsu::VXString_sprintf(U"%d", 1, 2), std::invalid_argument);
  EXPECT_THROW(bsu::VXString_sprintf(U"%d", U"text"), std::invalid_argument);
  EXPECT_THROW(bsu::VXString_sprintf(U"%s", 12), std::invalid_argument);
  EXPECT_THROW(bsu::VXString_sprintf(U"%q", 12), std::invalid_argument);
  EXPECT_THROW(bsu::VXString_sprintf(U"abc %"), std::invalid_argument);
}
