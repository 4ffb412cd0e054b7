#include <gtest/gtest.h>

#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace {

// A reference the scanner finds: its span and its two parts.
struct Found {
  std::size_t pos;
  std::size_t end;
  VXString qualifier;
  VXString name;
};

struct ScanCase {
  const char* what;
  VXString text;
  std::vector<Found> expected;
  const char32_t* pattern = nullptr;  // null: VALUEOF then VALUELISTOF
};

std::string Show(const VariablePositions& refs) {
  std::string s;
  for (const auto& r : refs) {
    s += "{" + std::to_string(r.m_position) + "," + std::to_string(r.m_endPosition) + ",'" + ToNarrow(r.m_qualifier) +
         "','" + ToNarrow(r.m_varName) + "'} ";
  }
  return s;
}

void ExpectRefs(const VariablePositions& got, const std::vector<Found>& expected, const char* what) {
  ASSERT_EQ(got.size(), expected.size()) << what << ": " << Show(got);
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].m_position, expected[i].pos) << what << " #" << i;
    EXPECT_EQ(got[i].m_endPosition, expected[i].end) << what << " #" << i;
    EXPECT_EQ(got[i].m_qualifier, expected[i].qualifier) << what << " #" << i;
    EXPECT_EQ(got[i].m_varName, expected[i].name) << what << " #" << i;
  }
}

const std::vector<ScanCase>& ScanCases() {
  static const std::vector<ScanCase> cases = {
      {"upper case", U"VALUEOF(X)", {{0, 10, U"", U"X"}}},
      {"lower case", U"valueof(X)", {{0, 10, U"", U"X"}}},
      {"mixed case", U"VaLuEoF(X)", {{0, 10, U"", U"X"}}},
      {"qualified", U"a VALUEOF(VX_SESSION.USER) b", {{2, 26, U"VX_SESSION", U"USER"}}},
      {"first dot splits", U"VALUEOF(A.B.C)", {{0, 14, U"A", U"B.C"}}},
      {"nothing trimmed", U"VALUEOF( VX . x )", {{0, 17, U" VX ", U" x "}}},
      {"empty inside", U"VALUEOF()", {{0, 9, U"", U""}}},
      {"shortest reference in quotes", U"'VALUEOF()'", {{1, 10, U"", U""}}},
      {"position argument kept in qualifier", U"VALUEOF(2, VX.X)", {{0, 16, U"2, VX", U"X"}}},
      {"two in order", U"VALUEOF(A)+VALUEOF(B)", {{0, 10, U"", U"A"}, {11, 21, U"", U"B"}}},
      {"in single quotes", U"x = 'VALUEOF(VX.Y)'", {{5, 18, U"VX", U"Y"}}},
      {"in double quotes", U"\"VALUEOF(X)\"", {{1, 11, U"", U"X"}}},
      {"quotes nested in quotes", U"'a \"VALUEOF(X)\" b'", {{4, 14, U"", U"X"}}},
      {"doubled quote inside", U"'it''s VALUEOF(X)'", {{7, 17, U"", U"X"}}},
      {"quoted part between two",
       U"VALUEOF(A) 'VALUEOF(B)' VALUEOF(C)",
       {{0, 10, U"", U"A"}, {12, 22, U"", U"B"}, {24, 34, U"", U"C"}}},
      // A quote that is never closed ends the search: nothing after it is found.
      {"lone apostrophe before", U"Bob's VALUEOF(X)", {}},
      {"lone apostrophe between", U"VALUEOF(A) Bob's VALUEOF(B)", {{0, 10, U"", U"A"}}},
      {"unclosed quote inside a quoted part",
       U"'VALUEOF(A) \"VALUEOF(B)' VALUEOF(C)",
       {{1, 11, U"", U"A"}, {25, 35, U"", U"C"}}},
      {"quotes two levels down", U"'a \"b ''VALUEOF(X)'' c\" d'", {{8, 18, U"", U"X"}}},
      {"dotted capital I lowers to i", U"VALUEL\u0130STOF(A) VALUEOF(B)", {{15, 25, U"", U"B"}, {0, 14, U"", U"A"}}},
      {"nested reference", U"VALUEOF(VALUEOF(X))", {{0, 19, U"", U"VALUEOF(X)"}, {8, 18, U"", U"X"}}},
      {"nested parentheses", U"VALUEOF(f(x).y)", {{0, 15, U"f(x)", U"y"}}},
      {"parenthesis in quoted name", U"VALUEOF(VX.\"a)b\") z", {{0, 17, U"VX", U"\"a)b\""}}},
      {"unterminated ends the scan", U"VALUEOF(A) VALUEOF(B", {{0, 10, U"", U"A"}}},
      {"unterminated alone", U"VALUEOF(B", {}},
      {"unterminated swallows later", U"VALUEOF(A VALUEOF(B)", {}},
      {"closing only inside quotes", U"'VALUEOF(X' )", {}},
      {"blank before bracket", U"VALUEOF (X)", {}},
      {"longer word", U"MYVALUEOFX(1)", {}},
      {"empty text", U"", {}},
      {"VALUEOF before VALUELISTOF", U"VALUELISTOF(A) VALUEOF(B)", {{15, 25, U"", U"B"}, {0, 14, U"", U"A"}}},
      {"name form only with its pattern", U"VALUENAMEOF(VX.X) VALUEOF(Y)", {{0, 17, U"VX", U"X"}}, kValueNameOfStr},
      {"list pattern only", U"VALUEOF(Y) valuelistof(q.z)", {{11, 27, U"q", U"z"}}, kValueListOfStr},
      {"empty pattern finds nothing", U"VALUEOF(Y)", {}, U""},
      {"non-ASCII keeps positions", U"\u00C4\u0130VALUEOF(\u00D6.\u00DF)", {{2, 14, U"\u00D6", U"\u00DF"}}},
  };
  return cases;
}

TEST(FindVariables, ScanTable) {
  for (const auto& c : ScanCases()) {
    VariablePositions refs;
    MetadataUtil::FindVariables(c.text, refs, c.pattern, 0);
    ExpectRefs(refs, c.expected, c.what);
  }
}

TEST(FindVariables, OffsetIsAddedPositionsAreAppendedAuxFindsValueOfOnly) {
  VariablePositions refs{{99, 100, U"keep", U"me"}};
  MetadataUtil::FindVariables(U"'VALUEOF(A.B)'", refs, nullptr, 5);
  ExpectRefs(refs, {{99, 100, U"keep", U"me"}, {6, 18, U"A", U"B"}}, "offset");
  // The pass of one word, without a pattern, looks for VALUEOF only.
  VariablePositions aux;
  FindVariablesAux(U"VALUELISTOF(A) VALUEOF(B)", aux, nullptr, 0);
  ExpectRefs(aux, {{15, 25, U"", U"B"}}, "aux");
}

TEST(FindVariables, EachReferenceInManyQuotedPartsOnce) {
  // Many quoted parts between matches: each must be scanned exactly once.
  VXString text;
  for (int i = 0; i < 50; ++i) text += U"'VALUEOF(Q)' \"x\" VALUEOF(U) ";
  VariablePositions refs;
  MetadataUtil::FindVariables(text, refs);
  ASSERT_EQ(refs.size(), 100u);
  for (std::size_t i = 1; i < refs.size(); ++i) EXPECT_LT(refs[i - 1].m_position, refs[i].m_position);
}

TEST(FindVariables, RunsOfQuotesOfAnyLengthAreSearchedThrough) {
  // 2n quote characters read as n empty parts, each inside the one before;
  // the reference after them is found however many there are.
  for (std::size_t n : {2u, 40u, 100000u}) {
    VariablePositions refs;
    MetadataUtil::FindVariables(VXString(n, U'"') + U"VALUEOF(X) 'VALUEOF(Y)'", refs);
    ExpectRefs(refs, {{n, n + 10, U"", U"X"}, {n + 12, n + 22, U"", U"Y"}}, "run of quotes");
  }
}

TEST(FindVariables, LongRunsOfQuotesStayBounded) {
  // Even runs read as quoted parts nested ever deeper; odd runs leave one
  // quote open. Neither may recurse once per character.
  for (std::size_t n : {100000u, 100001u}) {
    VariablePositions refs;
    MetadataUtil::FindVariables(U"VALUEOF(X) " + VXString(n, U'\'') + U" VALUEOF(Y)", refs);
    ASSERT_FALSE(refs.empty()) << n;
    EXPECT_EQ(refs.front().m_varName, U"X") << n;
  }
}

// The default search looks for both opening words in one pass; it must find
// exactly what a pass of its own for each word finds, in that order, also
// where one word is left unclosed or quotes hide the other. Texts are drawn
// from fragments that exercise those rules.
TEST(FindVariables, BothWordsInOnePassFindWhatSeparatePassesFind) {
  const std::vector<VXString> fragments = {U"VALUEOF(A)",
                                           U"valuelistof(S.L)",
                                           U"ValueOf(",
                                           U"VALUELISTOF(",
                                           U"'",
                                           U"\"",
                                           U"''",
                                           U")",
                                           U"(",
                                           U"x",
                                           U"VALUEOF(VALUELISTOF(B))",
                                           U"'VALUEOF(Q)'",
                                           U"'VALUELISTOF(Q)'",
                                           U" ",
                                           U"\u00C4"};
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  for (int round = 0; round < 3000; ++round) {
    VXString text;
    const std::uint32_t n = next() % 14;
    for (std::uint32_t k = 0; k < n; ++k) text += fragments[next() % fragments.size()];
    VariablePositions together;
    MetadataUtil::FindVariables(text, together, nullptr, 3);
    VariablePositions apart;
    FindVariablesAux(text, apart, _S_VALUEOF_BRACKET, 3);
    FindVariablesAux(text, apart, kValueListOfStr, 3);
    ASSERT_EQ(Show(together), Show(apart)) << ToNarrow(text);
  }
}

struct PatternCase {
  const char* what;
  VXString text;
  bool expected;
};

TEST(HasVariablesStartedWithPattern, OnlyOneQualifiedMatchingReference) {
  const std::vector<PatternCase> cases = {
      {"label", U"VALUEOF(VX_SESSION.KEX_LABEL_A)", true},
      {"case ignored", U"valueof(vx_session.kex_label_a)", true},
      {"text around", U"Name: VALUEOF(VX_SESSION.KEX_LABEL_A)!", true},
      {"list form counts", U"VALUELISTOF(VX_SESSION.KEX_LABEL_A)", true},
      {"unqualified", U"VALUEOF(KEX_LABEL_A)", false},
      {"other name", U"VALUEOF(VX_SESSION.LABEL_A)", false},
      {"two references", U"VALUEOF(VX_SESSION.KEX_LABEL_A) VALUEOF(VX_SESSION.KEX_LABEL_B)", false},
      {"none", U"plain text", false},
  };
  for (const auto& c : cases) {
    VariableTokenInfo v{7, 8, U"untouched", U"untouched"};
    EXPECT_EQ(MetadataUtil::HasVariablesStartedWithPattern(c.text, S_KEX_LABEL, v), c.expected) << c.what;
    if (c.expected) {
      VariablePositions refs;
      MetadataUtil::FindVariables(c.text, refs);
      ASSERT_EQ(refs.size(), 1u) << c.what;
      EXPECT_EQ(v, refs.front()) << c.what;
    } else {
      EXPECT_EQ(v, (VariableTokenInfo{7, 8, U"untouched", U"untouched"})) << c.what;
    }
  }
}

TEST(KEXBundle, PrefixTestAndStringAfterIt) {
  const VXString prefix = S_KEX_BUNDLE_PREFIX;
  EXPECT_TRUE(MetadataUtil::BeginsWithKEXBundlePrefix(prefix + U"Title"));
  EXPECT_TRUE(MetadataUtil::BeginsWithKEXBundlePrefix(BaseStringUtil::ToLowerCase(prefix) + U"x"));
  EXPECT_FALSE(MetadataUtil::BeginsWithKEXBundlePrefix(prefix.substr(0, prefix.size() - 1)));
  EXPECT_FALSE(MetadataUtil::BeginsWithKEXBundlePrefix(U" " + prefix));
  EXPECT_FALSE(MetadataUtil::BeginsWithKEXBundlePrefix(U""));
  EXPECT_EQ(MetadataUtil::GetStringAfterKEXBundlePrefix(prefix + U"  sales.title \t"), U"sales.title");
  // The prefix is not checked, only its length counts.
  EXPECT_EQ(MetadataUtil::GetStringAfterKEXBundlePrefix(VXString(prefix.size(), U'z') + U"key"), U"key");
  EXPECT_EQ(MetadataUtil::GetStringAfterKEXBundlePrefix(prefix), U"");
  EXPECT_EQ(MetadataUtil::GetStringAfterKEXBundlePrefix(U"KEX"), U"");
}

TEST(KEXBundle, KeyAfterDelimiter) {
  const std::vector<std::pair<VXString, VXString>> cases = {
      {U"Name", U"Name"}, {U"  Name  ", U"  Name  "},         {U"Name #KEY# k1 ", U"k1"},
      {U"#KEY#", U""},    {U"A#KEY#B #KEY# C", U"B #KEY# C"}, {U"Name #key# k1", U"Name #key# k1"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(MetadataUtil::GetKeyFromKEXBundleVariable(in), out) << ToNarrow(in);
}

TEST(KEXBundle, SingleBundleVariable) {
  const VXString bundle = VXString(U"VALUEOF(VX_SESSION.") + S_KEX_BUNDLE_PREFIX + U"Title)";
  VariablePositions refs;
  MetadataUtil::FindVariables(bundle, refs);
  VariableTokenInfo v;
  ASSERT_TRUE(SetVariableTokenInfoIfIsSingleKEXBundleVariable(refs, v));
  EXPECT_EQ(v, refs.front());

  VariablePositions two = refs;
  two.push_back(refs.front());
  VariableTokenInfo untouched{1, 2, U"q", U"n"};
  EXPECT_FALSE(SetVariableTokenInfoIfIsSingleKEXBundleVariable(two, untouched));
  EXPECT_FALSE(SetVariableTokenInfoIfIsSingleKEXBundleVariable({}, untouched));
  VariablePositions unqualified{{0, 1, U"", VXString(S_KEX_BUNDLE_PREFIX) + U"T"}};
  EXPECT_FALSE(SetVariableTokenInfoIfIsSingleKEXBundleVariable(unqualified, untouched));
  VariablePositions plain{{0, 1, U"VX_SESSION", U"Title"}};
  EXPECT_FALSE(SetVariableTokenInfoIfIsSingleKEXBundleVariable(plain, untouched));
  EXPECT_EQ(untouched, (VariableTokenInfo{1, 2, U"q", U"n"}));
}

TEST(ParseMultiVar, SplitsAtFirstToken) {
  const VXString t = _S_MULTI_VAR_TOKEN;
  struct Case {
    VXString in;
    bool ok;
    VXString var;
    VXString source;
  };
  const std::vector<Case> cases = {
      {U"REGION" + t + U"ORCL", true, U"REGION", U"ORCL"},
      {U"A" + t + U"B" + t + U"C", true, U"A", U"B" + t + U"C"},
      {U"REGION" + t, true, U"REGION", U""},
      {t + U"ORCL", false, U"-", U"-"},
      {U"REGION", false, U"-", U"-"},
      {U"", false, U"-", U"-"},
  };
  for (const auto& c : cases) {
    VXString var = U"-", source = U"-";
    EXPECT_EQ(MetadataUtil::ParseMultiVar(c.in, var, source), c.ok) << ToNarrow(c.in);
    EXPECT_EQ(var, c.var) << ToNarrow(c.in);
    EXPECT_EQ(source, c.source) << ToNarrow(c.in);
  }
}

// The variable form: a session variable's name splits; a variable without
// the token, one of a repository block, a null or deleted handle do not.
class ParseMultiVarOfVariable : public ::testing::Test {
 protected:
  // A session block (it fills a session variable) and a repository block.
  ParseMultiVarOfVariable() {
    auto session = b.Add(kTIDASessionVariableBlock, U"Session Init")
                       .Set(RpProp::kBlockType, std::int64_t{ASessionVariableBlock::kSessionScope});
    sessionMulti = session.Child(kTIDARpVariable, U"REGION" + token + U"ORCL")
                       .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kSession})
                       .As<ARpVariable>();
    sessionPlain = session.Child(kTIDARpVariable, U"REGION")
                       .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kSession})
                       .As<ARpVariable>();
    auto repository = b.Add(kTIDASessionVariableBlock, U"Nightly")
                          .Set(RpProp::kBlockType, std::int64_t{ASessionVariableBlock::kRepositoryScope});
    repositoryMulti = repository.Child(kTIDARpVariable, U"RATE" + token + U"ORCL")
                          .Set(RpProp::kVariableType, std::int64_t{ARpVariable::kDynamic})
                          .As<ARpVariable>();
  }

  const VXString token = _S_MULTI_VAR_TOKEN;
  ARpGateway rp;
  RpBuilder b{rp};
  Ref<ARpVariable> sessionMulti, sessionPlain, repositoryMulti;
};

TEST_F(ParseMultiVarOfVariable, OnlyASessionVariableIsSplit) {
  VXString var, source;
  ASSERT_TRUE(MetadataUtil::ParseMultiVar(sessionMulti, var, source));
  EXPECT_EQ(var, U"REGION");
  EXPECT_EQ(source, U"ORCL");
  var = source = U"-";
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(sessionPlain, var, source));
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(repositoryMulti, var, source));
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(Ref<ARpVariable>(), var, source));
  // A handle whose object was deleted resolves to nothing.
  Ref<ARpVariable> gone = sessionMulti;
  rp.DeleteObject(sessionMulti.m_ID);
  EXPECT_FALSE(MetadataUtil::ParseMultiVar(gone, var, source));
  EXPECT_EQ(var, U"-");
  EXPECT_EQ(source, U"-");
}

// A generated name must read back as one variable when put into a reference.
TEST(VariableConstants, GeneratedNameReadsBackAsOneVariable) {
  const VXString name = SUStrUtil::LoadMsgStringOnly(S_IDS_DEFAULT_CUSTOM_NAME_3, U"Sales", U"Orders", U"Amount");
  EXPECT_EQ(name, U"CN_Sales_Orders_Amount");
  const VXString reference = BaseStringUtil::VXString_sprintf(S_VALUE_OF_LS, VXString(U"VX_SESSION.") + name);
  VariablePositions refs;
  MetadataUtil::FindVariables(reference, refs);
  ASSERT_EQ(refs.size(), 1u);
  EXPECT_EQ(refs[0].m_position, 0u);
  EXPECT_EQ(refs[0].m_endPosition, reference.size());
  EXPECT_EQ(refs[0].m_varName, name);
}

// Generated KEX names pass the label and tooltip tests, and are not taken for
// bundle variables.
TEST(VariableConstants, KEXNamesCarryTheirPrefixes) {
  VariableTokenInfo v;
  const auto reference = [](const VXString& name) { return U"VALUEOF(VX_SESSION." + name + U")"; };
  const VXString label = SUStrUtil::LoadMsgStringOnly(S_IDS_KEX_CUSTOM_NAME_3, U"DB", U"T", U"C");
  const VXString tableLabel = SUStrUtil::LoadMsgStringOnly(S_IDS_KEX_CUSTOM_NAME_2, U"DB", U"T");
  const VXString tooltip = SUStrUtil::LoadMsgStringOnly(S_IDS_KEX_CUSTOM_DESCRIPTION, U"DB", U"T", U"C");
  EXPECT_TRUE(MetadataUtil::HasVariablesStartedWithPattern(reference(label), S_KEX_LABEL, v));
  EXPECT_TRUE(MetadataUtil::HasVariablesStartedWithPattern(reference(tableLabel), S_KEX_LABEL, v));
  EXPECT_TRUE(MetadataUtil::HasVariablesStartedWithPattern(reference(tooltip), S_KEX_TOOLTIP, v));
  EXPECT_FALSE(MetadataUtil::HasVariablesStartedWithPattern(reference(tooltip), S_KEX_LABEL, v));
  for (const VXString& n : {label, tableLabel, tooltip}) EXPECT_FALSE(MetadataUtil::BeginsWithKEXBundlePrefix(n));
}

}  // namespace
