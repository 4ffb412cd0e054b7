// The written form of qualified names: quoting, parsing, splitting, comparing.
#include <gtest/gtest.h>

#include "Metadata/SMUtil.h"

namespace {

std::string Show(const QualifiedName& q) {
  std::string out = "[";
  for (std::size_t i = 0; i < q.size(); ++i) out += (i ? "|" : "") + ToNarrow(q[i]);
  return out + "]";
}

struct ParseCase {
  VXString text;
  bool strip;
  QualifiedName expected;
  char separator = '.';
};

const VXString kNul(1, U'\0');
const VXString kWideSep(1, static_cast<char32_t>(-23));

}  // namespace

TEST(SMUtilNaming, ParseQualifiedNameStringTable) {
  const ParseCase cases[] = {
      {U"\"A\".\"B\"", true, {U"A", U"B"}},
      {U"\"A\".\"B\"", false, {U"\"A\"", U"\"B\""}},
      {U"\"A\"..\"B\"", true, {U"A", U"", U"B"}},
      {U"\"A\"..\"B\"", false, {U"\"A\"", U"", U"\"B\""}},
      {U"\"\".\"B\"", true, {U"", U"B"}},
      {U"\"A\"", true, {U"A"}},
      {U"\"A\".B", true, {U"\"A\".B"}},
      {U"\"A\"\"B\"", true, {U"A\"\"B"}},
      {U"\"A\".", true, {U"A"}},
      {U"\"A\"..", true, {U"A", U""}},
      {U"", true, {}},
      {U"A.B", true, {U"A.B"}},
      {U"A.\"B\"", true, {U"A.B"}},
      {U"A.\"B\"", false, {U"A.\"B\""}},
      // An unclosed quote is not a name: the text comes back whole.
      {U"\"A", true, {U"\"A"}},
      {U"\"A\".\"B", true, {U"\"A\".\"B"}},
      // Separators inside quotes belong to the segment.
      {U"\"A.B\".\"C\"", true, {U"A.B", U"C"}},
      // A doubled quote before the separator: the second quote closes.
      {U"\"Order \"\"Lines\"\"\".\"Amount\"", true, {U"Order \"\"Lines\"\"", U"Amount"}},
      {U"\"Sales\".\"Order \"\"Lines\"\"\".\"Amount\"", true, {U"Sales", U"Order \"\"Lines\"\"", U"Amount"}},
      // Two separators in a row drop what was gathered and give an empty level.
      {U"A..\"B\"", true, {U"", U"B"}},
      // A leading separator is an ordinary character.
      {U".\"B\"", true, {U".B"}},
      {U"..", true, {U""}},
      // The text ends at its first NUL; when the prefix is malformed the
      // fallback is the whole text, NUL and all.
      {U"\"A\".\"B\"" + kNul + U"junk\"", true, {U"A", U"B"}},
      {U"\"A" + kNul + U"\"", true, {U"\"A" + kNul + U"\""}},
      // Other separators. A negative char widens with its sign, so it never
      // matches the text's U+00E9: the quotes around it are ordinary
      // characters of one segment.
      {U"\"A.x\"/\"B\"", true, {U"A.x", U"B"}, '/'},
      {U"\"A\"\u00E9\"B\"", true, {U"A\"\u00E9\"B"}, static_cast<char>(0xE9)},
      {U"\"A\"" + kWideSep + U"\"B\"", true, {U"A", U"B"}, static_cast<char>(-23)},
  };
  for (const ParseCase& c : cases) {
    QualifiedName result{U"stale", U"stale"};
    MetadataUtil::ParseQualifiedNameString(c.text, result, c.separator, c.strip);
    EXPECT_EQ(result, c.expected) << ToNarrow(c.text) << " strip=" << c.strip;
  }
}

TEST(SMUtilNaming, ParseReusesResultAcrossShrinkingAndGrowing) {
  QualifiedName result;
  MetadataUtil::ParseQualifiedNameString(U"\"A\".\"B\".\"C\".\"D\"", result, '.', true);
  ASSERT_EQ(result.size(), 4u);
  MetadataUtil::ParseQualifiedNameString(U"\"x\"", result, '.', true);
  EXPECT_EQ(result, (QualifiedName{U"x"}));
  MetadataUtil::ParseQualifiedNameString(U"\"p\"..\"q\"", result, '.', true);
  EXPECT_EQ(result, (QualifiedName{U"p", U"", U"q"}));
  // Parsed and chopped in place.
  QualifiedName names{U"x", U"\"A\".\"B\""};
  MetadataUtil::ParseQualifiedNameString(names[1], names, '.', true);
  EXPECT_EQ(names, (QualifiedName{U"A", U"B"}));
  MetadataUtil::ChopAQualifiedName(names, names);
  EXPECT_EQ(names, (QualifiedName{U"A"}));
}

TEST(SMUtilNaming, QuotedNameWrittenByToQualifiedNameParsesBack) {
  const QualifiedName names[] = {
      {U"Sales", U"Order Lines", U"Amount"},
      {U"A", U"", U"Z"},
      {U"a.b", U"c..d", U"\u00C9t\u00E9 \U0001F600"},
  };
  for (const QualifiedName& q : names) {
    QualifiedName back;
    MetadataUtil::ParseQualifiedNameString(MetadataUtil::ToQualifiedName(q), back, '.', true);
    EXPECT_EQ(back, q) << Show(q);
  }
}

TEST(SMUtilNaming, GenerateQuotedNameIfRequired) {
  struct Case {
    const char32_t* name;
    const char32_t* quote;
    const char32_t* expected;
  } cases[] = {
      {U"A", U"\"", U"\"A\""},
      {U"\"A", U"\"", U"\"A"},        // already starts with the quote
      {U"A", U"", U"A"},              // no quote to write
      {U"", U"\"", U""},              // nothing to quote
      {U"A", U"[", U"[A["},           // the same text on both sides
      {U"A\"B", U"\"", U"\"A\"B\""},  // inner quotes are not doubled here
      {U"A", U"'x", U"'xA'x"},        // only the first character is compared
      {U"xA", U"x'", U"xA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MetadataUtil::GenerateQuotedNameIfRequired(VXString(c.name), VXString(c.quote)), c.expected)
        << ToNarrow(c.name) << " with " << ToNarrow(c.quote);
  }
  EXPECT_EQ(MetadataUtil::GenerateQuotedNameIfRequired(QualifiedName{U"A", U"B", U"Z"}, U"\""), U"\"A\".\"B\".\"Z\"");
  EXPECT_EQ(MetadataUtil::GenerateQuotedNameIfRequired(QualifiedName{U"A", U"", U"Z"}, U"\""), U"\"A\"..\"Z\"");
  EXPECT_EQ(MetadataUtil::GenerateQuotedNameIfRequired(QualifiedName{}, U"\""), U"");
  EXPECT_TRUE(MetadataUtil::AreQuotesRequired(U"plain"));
}

TEST(SMUtilNaming, ToQualifiedNameQuotesDoublesAndMarksEmptyEnds) {
  EXPECT_EQ(MetadataUtil::ToQualifiedName({U"P", U"Q"}, U"N"), U"\"P\".\"Q\".\"N\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName({}, U"N"), U"\"N\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName(QualifiedName{U"A", U"", U"Z"}), U"\"A\"..\"Z\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName(QualifiedName{U"A\"B"}), U"\"A\"\"B\"");
  // NUL characters are dropped from written names.
  EXPECT_EQ(MetadataUtil::ToQualifiedName(QualifiedName{VXString(U"A") + U'\0' + U"B"}), U"\"AB\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName(QualifiedName{U"", U"B"}), U"\"\".\"B\"");
  EXPECT_EQ(MetadataUtil::ToQualifiedName({U"A"}, U""), U"\"A\".\"\"");
}

TEST(SMUtilNaming, ConvertNameToQualifiedNameTable) {
  const std::pair<const char32_t*, QualifiedName> cases[] = {
      {U"A.B.Z", {U"A", U"B", U"Z"}},
      {U"\"A.B\".Z", {U"A.B", U"Z"}},
      {U"\"A.B", {}},
      {U"A..B", {U"A", U"B"}},
      {U"\"A.\"", {U"A."}},
      {U"\"A\".\"B\"", {U"A", U"B"}},
      {U"", {}},
      {U"...", {}},
      {U"A\".B", {U"B"}},  // a piece that only ends with a quote is dropped
      {U"\"", {}},         // so is a lone quote
      {U"\"A.B.C\".D", {U"A.B.C", U"D"}},
      {U"\"A.x\"y\".Z", {U"A.x\"y", U"Z"}},
      {U"\"A.\"B.C\".D", {U"B.C", U"D"}},  // a new quoted run replaces the open one
  };
  for (const auto& [text, expected] : cases) {
    QualifiedName q{U"stale"};
    MetadataUtil::ConvertNameToQualifiedName(text, q);
    EXPECT_EQ(q, expected) << ToNarrow(text);
  }
}

TEST(SMUtilNaming, IsQualifiedNameSectionTable) {
  const QualifiedName abz{U"A", U"B", U"Z"};
  struct Case {
    QualifiedName shortName;
    QualifiedName longName;
    bool allowEmpty;
    bool expected;
  } cases[] = {
      {{U"B", U"Z"}, abz, false, true},
      {{U"b", U"z"}, abz, false, true},
      {{U"A", U"", U"Z"}, {U"A", U"X", U"Z"}, false, true},
      {{U"Z", U""}, abz, false, false},
      {{U"", U"Z"}, abz, false, false},
      {{U"W", U"A", U"B", U"Z"}, abz, false, false},
      {{}, abz, true, true},
      {{}, abz, false, false},
      {{U"A", U"Z"}, abz, false, false},  // aligned at the end, not a subsequence
      {{U"A"}, abz, false, false},
      {{U"Z"}, abz, false, true},
      {abz, abz, false, true},
      {{U"\u00C9t\u00E9"}, {U"x", U"\u00E9T\u00C9"}, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MetadataUtil::IsQualifiedNameSection(c.shortName, c.longName, c.allowEmpty), c.expected)
        << Show(c.shortName) << " in " << Show(c.longName);
  }
}

TEST(SMUtilNaming, StripAndChop) {
  QualifiedName q{U"", U"A", U"", U"", U"B", U""};
  MetadataUtil::StripQualifiedNameOfEmptyStrings(q);
  EXPECT_EQ(q, (QualifiedName{U"A", U"B"}));

  QualifiedName out{U"stale"};
  EXPECT_EQ(&MetadataUtil::ChopAQualifiedName({U"A", U"B", U"C"}, out), &out);
  EXPECT_EQ(out, (QualifiedName{U"A", U"B"}));
  MetadataUtil::ChopAQualifiedName({U"A"}, out);
  EXPECT_TRUE(out.empty());
  out = {U"stale"};
  MetadataUtil::ChopAQualifiedName({}, out);
  EXPECT_TRUE(out.empty());
}
