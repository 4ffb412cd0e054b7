#include <gtest/gtest.h>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVariables.h"
#include "SMUtilSubstitution.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/ErrorMessage.h"
#include "Utility/SystemUtility.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"
#include "common/ScopedEnv.h"
#include "objectmodel/GatewayOptions.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"

namespace {

// Repository variables of every kind and a session with single and list
// values. Session values are set through the gateway, as the tool does.
class Substitution : public ::testing::Test {
 protected:
  Substitution() {
    Variable(U"YEAR", ARpVariable::kStatic, U"2024");
    Variable(U"COMPANY", ARpVariable::kStatic, U"'O''Neil & Co'");
    Variable(U"DYN", ARpVariable::kDynamic, U"1");
    Variable(U"SESS", ARpVariable::kSession, U"'x'");
    // The same name under two blocks: ambiguous.
    Variable(U"TWIN", ARpVariable::kStatic, U"1", b.Add(kTIDASessionVariableBlock, U"Block A"));
    Variable(U"TWIN", ARpVariable::kStatic, U"2", b.Add(kTIDASessionVariableBlock, U"Block B"));
    // A repository variable takes a built-in name over.
    Variable(U"HALO_COMPONENT_NAME", ARpVariable::kStatic, U"'mine'");

    List(U"X", {U"a", U"b"});
    List(U"Q", {U"it's", U"x"});
    List(U"EMPTY", {});
    Single(U"NAME", U"O'Neil");
    Single(U"LONG", U"0123456789012345678901234567890123456789");
    Single(U"REF", U"VALUEOF(YEAR)");
    Single(U"REFNAME", U"VALUENAMEOF(VX_SESSION.NAME)");
    rp.SetSessionVariableValue({U"VX_SESSION", U"NUM"}, Heap<PropertyValue>(new PropertyValueInt(42)));
  }

  void Variable(const VXString& name, int type, const VXString& exprText, VoidID parent = VoidID::NullID) {
    b.Add(kTIDARpVariable, name, parent)
        .Set(RpProp::kVariableType, std::int64_t{type})
        .Set(RpProp::kExpr, ToStringVisitor::ExprFrom(exprText));
  }
  void Single(const VXString& name, const VXString& value) {
    rp.SetSessionVariableValue({U"VX_SESSION", name}, Heap<PropertyValue>(new PropertyValueString(value)));
  }
  void List(const VXString& name, VXStringVector values) {
    rp.SetSessionVariableValue({U"VX_SESSION", name},
                               Heap<PropertyValue>(new PropertyValueStringVector(std::move(values))));
  }

  VXString Replaced(VXString text, bool bEscape = false) {
    MetadataUtil::ReplaceVariableWithValue(&rp, text, false, false, bEscape);
    return text;
  }

  ARpGateway rp;
  RpBuilder b{rp};
};

struct QuotingCase {
  const char32_t* text;
  bool bEscape;
  const char32_t* expected;
};

// The quoting table, column by column. q marks the cells that escape only
// on request; a position always escapes in VALUEOF and VALUENAMEOF.
TEST_F(Substitution, QuotingTable) {
  const QuotingCase cases[] = {
      // VALUEOF, no position: the text, escaped on request, no quotes.
      {U"VALUEOF(VX_SESSION.NAME)", false, U"O'Neil"},
      {U"VALUEOF(VX_SESSION.NAME)", true, U"O''Neil"},
      {U"VALUEOF(VX_SESSION.X)", false, U"a, b"},
      {U"VALUEOF(VX_SESSION.Q)", false, U"it's, x"},
      {U"VALUEOF(VX_SESSION.Q)", true, U"it''s, x"},
      // VALUEOF with a position, list: the entry as a literal, always escaped.
      {U"VALUEOF(1, VX_SESSION.X)", false, U"'b'"},
      {U"VALUEOF(0, VX_SESSION.Q)", false, U"'it''s'"},
      {U"VALUEOF(0, VX_SESSION.Q)", true, U"'it''s'"},
      {U"VALUEOF( 1 , VX_SESSION.X)", false, U"'b'"},
      {U"VALUEOF(5, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(2, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(x1, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(-1, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(99999999999999999999, VX_SESSION.X)", false, U"NULL"},
      {U"VALUEOF(0, VX_SESSION.EMPTY)", false, U"NULL"},
      // VALUEOF with a position, single value: entry 0 only.
      {U"VALUEOF(0, VX_SESSION.NAME)", false, U"'O''Neil'"},
      {U"VALUEOF(00, VX_SESSION.NAME)", false, U"'O''Neil'"},
      {U"VALUEOF(0, VX_SESSION.NUM)", false, U"'42'"},
      {U"VALUEOF(1, VX_SESSION.NAME)", false, U"NULL"},
      {U"VALUEOF(x, VX_SESSION.NAME)", false, U"NULL"},
      // VALUELISTOF: every entry quoted, escaped on request; position unused.
      {U"VALUELISTOF(VX_SESSION.X)", false, U"'a','b'"},
      {U"VALUELISTOF(VX_SESSION.Q)", false, U"'it's','x'"},
      {U"VALUELISTOF(VX_SESSION.Q)", true, U"'it''s','x'"},
      {U"VALUELISTOF(VX_SESSION.EMPTY)", true, U""},
      {U"VALUELISTOF(VX_SESSION.NAME)", false, U"'O'Neil'"},
      {U"VALUELISTOF(VX_SESSION.NAME)", true, U"'O''Neil'"},
      {U"VALUELISTOF(1, VX_SESSION.X)", false, U"'a','b'"},
      {U"VALUELISTOF(7, VX_SESSION.NAME)", false, U"'O'Neil'"},
      // VALUENAMEOF: like VALUEOF but unquoted, and 'NULL' when missing.
      {U"VALUENAMEOF(VX_SESSION.NAME)", false, U"O'Neil"},
      {U"VALUENAMEOF(VX_SESSION.NAME)", true, U"O''Neil"},
      {U"VALUENAMEOF(VX_SESSION.X)", false, U"a, b"},
      {U"VALUENAMEOF(1, VX_SESSION.X)", false, U"b"},
      {U"VALUENAMEOF(0, VX_SESSION.Q)", false, U"it''s"},
      {U"VALUENAMEOF(5, VX_SESSION.X)", false, U"'NULL'"},
      {U"VALUENAMEOF(x1, VX_SESSION.X)", false, U"'NULL'"},
      {U"VALUENAMEOF(0, VX_SESSION.EMPTY)", false, U"'NULL'"},
      {U"VALUENAMEOF(0, VX_SESSION.NAME)", false, U"O''Neil"},
      {U"VALUENAMEOF(2, VX_SESSION.NAME)", false, U"'NULL'"},
  };
  for (const QuotingCase& c : cases) {
    EXPECT_EQ(ToNarrow(Replaced(c.text, c.bEscape)), ToNarrow(c.expected))
        << ToNarrow(c.text) << " escape=" << c.bEscape;
  }
}

TEST_F(Substitution, RepositoryVariablesAndBuiltInNames) {
  // The rendered expression goes in as it is: no quotes, no escaping.
  EXPECT_EQ(Replaced(U"Y = VALUEOF(YEAR), C = 'VALUEOF(COMPANY)'", true), U"Y = 2024, C = 'O'Neil & Co'");
  EXPECT_EQ(Replaced(U"valueof(year)"), U"2024");
  EXPECT_EQ(Replaced(U"VALUEOF(HALO_HOST_NAME)"), SystemUtility::GetHostName());
  {
    const testutil::ScopedEnv instance("SMUTIL_INSTANCE_NAME", "inst-7");
    EXPECT_EQ(Replaced(U"[VALUEOF(HALO_INSTANCE_NAME)]"), U"[inst-7]");
  }
  EXPECT_EQ(Replaced(U"VALUEOF(HALO_COMPONENT_NAME)"), U"mine");
  // Built-in names compare exactly.
  EXPECT_EQ(Replaced(U"<VALUEOF(halo_host_name)>"), U"<>");
  // VALUELISTOF and VALUENAMEOF of a repository variable give its text too.
  EXPECT_EQ(Replaced(U"VALUENAMEOF(YEAR)|VALUELISTOF(COMPANY)", true), U"2024|O'Neil & Co");
  // The quote that a value brings in opens a quoted part that never closes,
  // which ends the scan of a later pass.
  EXPECT_EQ(Replaced(U"VALUELISTOF(COMPANY)|VALUENAMEOF(YEAR)", true), U"O'Neil & Co|VALUENAMEOF(YEAR)");
}

struct UndefinedCase {
  const char32_t* text;
  MessageId id;
  VXStringVector args;
  int line;
  const char32_t* lenient;  // the text without errors
};

TEST_F(Substitution, UndefinedAmbiguousAndNonStaticVariables) {
  const UndefinedCase cases[] = {
      {U"a VALUEOF(NOSUCHVAR) b", 23005, {U"NOSUCHVAR"}, 2328, U"a  b"},
      {U"a VALUEOF(DYN) b", 23005, {U"DYN"}, 2299, U"a  b"},
      {U"a VALUEOF(SESS) b", 23005, {U"SESS"}, 2299, U"a  b"},
      {U"a VALUEOF(TWIN) b", 23010, {U"TWIN"}, 2332, U"a  b"},
      {U"a VALUEOF(VX_SESSION.UNSET) b", 23006, {U"VX_SESSION", U"UNSET"}, 2388, U"a  b"},
      {U"a VALUEOF(2, VX_SESSION.UNSET) b", 23006, {U"VX_SESSION", U"UNSET"}, 2388, U"a  b"},
      {U"a VALUELISTOF(OTHER.X) b", 23006, {U"OTHER", U"X"}, 2388, U"a  b"},
      {U"a VALUENAMEOF(DYN) b", 23005, {U"DYN"}, 2299, U"a  b"},
  };
  for (const UndefinedCase& c : cases) {
    SCOPED_TRACE(ToNarrow(c.text));
    EXPECT_EQ(Replaced(c.text), c.lenient);
    VXString text = c.text;
    const auto e =
        testutil::Caught<ErrorMessage>([&] { MetadataUtil::ReplaceVariableWithValue(&rp, text, true, false, false); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->GetMessageNumber(), c.id);
    EXPECT_EQ(e->GetArguments(), c.args);
    EXPECT_EQ(e->GetFile(), "server/Metadata/Src/SMUtil.cpp");
    EXPECT_EQ(e->GetLine(), c.line);
    EXPECT_EQ(text, c.text);
  }
}

VXString ReplacedUntilError(ARpGateway& rp, VXString text, MessageId expectedId) {
  const auto e =
      testutil::Caught<ErrorMessage>([&] { MetadataUtil::ReplaceVariableWithValue(&rp, text, true, false, false); });
  EXPECT_EQ(e ? e->GetMessageNumber() : 0, expectedId);
  return text;
}

TEST_F(Substitution, AnErrorKeepsTheReplacementsOfLaterReferences) {
  EXPECT_EQ(
      ReplacedUntilError(rp, U"A=VALUEOF(YEAR) B=VALUEOF(NOSUCH) C=VALUEOF(VX_SESSION.NAME) D=VALUEOF(YEAR)", 23005),
      U"A=VALUEOF(YEAR) B=VALUEOF(NOSUCH) C=O'Neil D=2024");
  // The VALUEOF pass has finished when the VALUELISTOF pass fails.
  EXPECT_EQ(ReplacedUntilError(
                rp, U"VALUEOF(YEAR) VALUELISTOF(VX_SESSION.UNSET) VALUELISTOF(VX_SESSION.X) VALUENAMEOF(YEAR)", 23006),
            U"2024 VALUELISTOF(VX_SESSION.UNSET) 'a','b' VALUENAMEOF(YEAR)");
  // The last reference fails first: nothing is replaced.
  EXPECT_EQ(ReplacedUntilError(rp, U"VALUEOF(YEAR) VALUEOF(TWIN)", 23010), U"VALUEOF(YEAR) VALUEOF(TWIN)");
}

// Texts around the references: quoted parts, several references, values
// that hold references, references nested in references.
TEST_F(Substitution, TextsAroundAndInsideReferences) {
  const QuotingCase cases[] = {
      {U"SET TAG = 'VALUEOF(VX_SESSION.NAME)' IN (VALUELISTOF(VX_SESSION.X)) -- VALUEOF(1, VX_SESSION.X)", true,
       U"SET TAG = 'O''Neil' IN ('a','b') -- 'b'"},
      {U"VALUEOF(YEAR)VALUEOF(YEAR)VALUEOF(VX_SESSION.LONG)", false,
       U"20242024"
       U"0123456789012345678901234567890123456789"},
      {U"no references, VALUEOF without end (YEAR", false, U"no references, VALUEOF without end (YEAR"},
      {U"", false, U""},
      // Text from a value is not searched by its own pass, but by a later one.
      {U"<VALUEOF(VX_SESSION.REF)>", false, U"<VALUEOF(YEAR)>"},
      {U"<VALUEOF(VX_SESSION.REFNAME)>", false, U"<O'Neil>"},
      // A reference nested in another is replaced first; the outer one then
      // replaces its range of the text as it now stands (here: undefined, so
      // the range is removed, and it reaches into the inner value).
      {U"x VALUEOF(VALUEOF(VX_SESSION.LONG)) y", false, U"x 567890123456789) y"},
      {U"x VALUEOF(VALUEOF(YEAR)) y", false, U"x "},
  };
  for (const QuotingCase& c : cases) {
    EXPECT_EQ(ToNarrow(Replaced(c.text, c.bEscape)), ToNarrow(c.expected)) << ToNarrow(c.text);
  }
}

TEST_F(Substitution, NullGatewayIsAnEmptyRepository) {
  VXString text = U"a VALUEOF(YEAR) VALUEOF(HALO_COMPONENT_NAME) VALUEOF(VX_SESSION.X) b";
  MetadataUtil::ReplaceVariableWithValue(nullptr, text, false, false, false);
  EXPECT_EQ(text, U"a  " + SystemUtility::GetComponentName() + U"  b");
}

// The per-pass cache: each name is evaluated once per pass, session values
// are read each time, and names that give no value are not kept.
TEST_F(Substitution, EachRepositoryVariableIsEvaluatedOncePerPass) {
  VXString text =
      U"VALUEOF(YEAR) VALUEOF(YEAR) VALUEOF(COMPANY) VALUEOF(VX_SESSION.NAME) VALUEOF(YEAR) VALUEOF(HALO_HOST_NAME) "
      U"VALUEOF(HALO_HOST_NAME) VALUEOF(DYN) VALUEOF(DYN) VALUEOF(year)";
  SubstitutionPassCounts counts;
  ReplaceVariableWithValueAux(&rp, text, false, false, _S_VALUEOF_BRACKET, DummyReplaceValueOfWithQuotedStrings, false,
                              &counts);
  // YEAR, COMPANY, HALO_HOST_NAME, DYN twice, year (the cache is exact).
  EXPECT_EQ(counts.m_repositoryEvaluations, 6u);
  EXPECT_EQ(counts.m_cacheHits, 3u);
  EXPECT_EQ(text, U"2024 2024 O'Neil & Co O'Neil 2024 " + SystemUtility::GetHostName() + U" " +
                      SystemUtility::GetHostName() + U"   2024");

  // A new pass starts with an empty cache.
  VXString again = U"VALUEOF(YEAR) VALUEOF(YEAR)";
  SubstitutionPassCounts second;
  ReplaceVariableWithValueAux(&rp, again, false, false, nullptr, DummyReplaceValueOfWithQuotedStrings, false, &second);
  EXPECT_EQ(second.m_repositoryEvaluations, 1u);
  EXPECT_EQ(second.m_cacheHits, 1u);
}

TEST_F(Substitution, OnePassWithTheCallersQuoting) {
  // The display-name pass: the plain value text, positions ignored.
  VXString text = U"VALUEOF(1, VX_SESSION.Q)|VALUEOF(VX_SESSION.NAME)|VALUELISTOF(VX_SESSION.X)";
  ReplaceVariableWithValueAux(&rp, text, false, false, _S_VALUEOF_BRACKET, DummyReplaceValueOfWithQuotedStrings, true);
  EXPECT_EQ(text, U"it's, x|O'Neil|VALUELISTOF(VX_SESSION.X)");
}

TEST(ReplaceColonVariableWithValue, ReplacesEachOccurrenceOnce) {
  VXString text = U"LOGIN ':USER' AS :USER:USER;";
  MetadataUtil::ReplaceColonVariableWithValue(text, U":USER", U"x:USERy");
  EXPECT_EQ(text, U"LOGIN 'x:USERy' AS x:USERyx:USERy;");

  text = U":user stays, :USERNAME does not";
  MetadataUtil::ReplaceColonVariableWithValue(text, U":USER", U"");
  EXPECT_EQ(text, U":user stays, NAME does not");

  text = U"a :USER b";
  MetadataUtil::ReplaceColonVariableWithValue(text, U"", U"z");
  EXPECT_EQ(text, U"a :USER b");
  MetadataUtil::ReplaceColonVariableWithValue(text, U":NONE", U"z");
  EXPECT_EQ(text, U"a :USER b");
}

TEST_F(Substitution, IsSessionVariablePopulated) {
  using Pair = std::pair<VXString, VXString>;
  EXPECT_TRUE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"VX_SESSION", U"NAME"}));
  EXPECT_TRUE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"vx_session", U"name"}));
  EXPECT_TRUE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"*", U"EMPTY"}));
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"", U"NAME"}));
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"VX_SESSION", U"UNSET"}));
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(&rp, Pair{U"OTHER", U"NAME"}));
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(nullptr, Pair{U"VX_SESSION", U"NAME"}));

  VariableTokenInfo ref;
  ref.m_varName = U"NAME";
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(&rp, ref));
  ref.m_qualifier = U"VX_SESSION";
  EXPECT_TRUE(MetadataUtil::IsSessionVariablePopulated(&rp, ref));
  rp.SetSessionVariableValue({U"VX_SESSION", U"NAME"}, Heap<PropertyValue>());
  EXPECT_FALSE(MetadataUtil::IsSessionVariablePopulated(&rp, ref));
}

class PersonalizeTest : public Substitution {
 protected:
  PersonalizeTest() {
    auto db = b.Add(kTIDADatabase, U"DW");
    pool = db.Child(kTIDAConnectionPool, U"Pool").As<AConnectionPool>();
    Single(U"CHAIN", U"VALUEOF(YEAR)");
    rp.SetRepositoryCredentials(U"anna", U"secret");
  }
  Ref<AConnectionPool> pool;
};

TEST_F(PersonalizeTest, ScriptsArePersonalizedAndExpandedTwice) {
  pool->SetPostConnectStrings({U"SET USER ':USER'", U"SET YEAR VALUEOF(YEAR)"});
  pool->SetPreDisConnectStrings({U"BYE VALUEOF(VX_SESSION.NAME)"});
  // The value of CHAIN is itself a reference: the second round expands it.
  pool->SetBeforeQueryStrings({U"TAG VALUEOF(VX_SESSION.CHAIN)"});
  pool->SetAfterQueryStrings({U"IN (VALUELISTOF(VX_SESSION.Q))"});
  GatewayOptions options;
  options.m_afterQueryStrings = {U"replaced"};
  MetadataUtil::Personalize(&rp, pool, options);
  EXPECT_EQ(options.m_postConnectStrings, (VXStringVector{U"SET USER 'anna'", U"SET YEAR 2024"}));
  EXPECT_EQ(options.m_preDisconnectStrings, (VXStringVector{U"BYE O''Neil"}));
  EXPECT_EQ(options.m_beforeQueryStrings, (VXStringVector{U"TAG 2024"}));
  EXPECT_EQ(options.m_afterQueryStrings, (VXStringVector{U"IN ('it''s','x')"}));
}

TEST_F(PersonalizeTest, TheUserNameIsPutInBeforeVariablesAreReplaced) {
  rp.SetRepositoryCredentials(U"VALUEOF(YEAR)", U"pw");
  pool->SetPostConnectStrings({U"LOGIN :USER"});
  GatewayOptions options;
  MetadataUtil::Personalize(&rp, pool, options);
  EXPECT_EQ(options.m_postConnectStrings, (VXStringVector{U"LOGIN 2024"}));

  // A client view has no credentials: the placeholder goes.
  rp.SetGatewayType(ARpGateway::kClientGateway);
  MetadataUtil::Personalize(&rp, pool, options);
  EXPECT_EQ(options.m_postConnectStrings, (VXStringVector{U"LOGIN "}));
}

TEST_F(PersonalizeTest, AnUndefinedVariableStopsInListOrderANullPoolIsABrokenInvariant) {
  pool->SetPostConnectStrings({U"ok VALUEOF(YEAR)"});
  pool->SetPreDisConnectStrings({U"VALUEOF(YEAR) VALUEOF(NOSUCH)", U"VALUEOF(YEAR)"});
  pool->SetBeforeQueryStrings({U"VALUEOF(YEAR)"});
  GatewayOptions options;
  const auto e = testutil::Caught<ErrorMessage>([&] { MetadataUtil::Personalize(&rp, pool, options); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetMessageNumber(), 23005u);
  EXPECT_EQ(e->GetArguments(), (VXStringVector{U"NOSUCH"}));
  EXPECT_EQ(options.m_postConnectStrings, (VXStringVector{U"ok 2024"}));
  EXPECT_EQ(options.m_preDisconnectStrings, (VXStringVector{U"VALUEOF(YEAR) VALUEOF(NOSUCH)", U"VALUEOF(YEAR)"}));
  EXPECT_EQ(options.m_beforeQueryStrings, (VXStringVector{U"VALUEOF(YEAR)"}));
  // A null pool is a broken invariant.
  EXPECT_THROW(MetadataUtil::Personalize(&rp, Ref<AConnectionPool>(), options), VXAssertException);
}

TEST(RetrieveUserNamePassword, OnlyServerAndOfflineGatewaysAnswer) {
  ARpGateway rp;
  rp.SetRepositoryCredentials(U"svc_bi", U"p@ss");
  for (int type : {0, 1, 2, 3, 7}) {
    rp.SetGatewayType(type);
    VXString user = U"u", password = U"p";
    MetadataUtil::RetrieveUserNamePassword(&rp, user, password);
    const bool bAnswers = type == 1 || type == 2;
    EXPECT_EQ(user, bAnswers ? U"svc_bi" : U"u") << type;
    EXPECT_EQ(password, bAnswers ? U"p@ss" : U"p") << type;
  }
  // A missing or damaged blob leaves the strings.
  ARpGateway fresh;
  VXString user = U"u", password = U"p";
  MetadataUtil::RetrieveUserNamePassword(&fresh, user, password);
  MetadataUtil::RetrieveUserNamePassword(nullptr, user, password);
  EXPECT_EQ(user, U"u");
  EXPECT_EQ(password, U"p");

  // The user name is there, the password is cut short.
  ByteVector blob;
  DataBlobUtil::ToByteVector(blob, VXString(U"svc_bi"));
  DataBlobUtil::ToByteVector(blob, VXString(U"password"));
  blob.resize(blob.size() - 3);
  fresh.SetDataBlob(ARpGateway::kCredentialsBlob, blob);
  EXPECT_THROW(MetadataUtil::RetrieveUserNamePassword(&fresh, user, password), BlobDecodeError);
  EXPECT_EQ(user, U"u");
  EXPECT_EQ(password, U"p");
}

// References nested in references: each is replaced in place from the last
// to the first, with positions of the text as given, so an outer reference
// whose range now runs past the end takes the rest of the text with it.
// Deep nesting gives the same answer as shallow nesting, and the pass finds
// the same references the scanner lists.
std::u32string Nested(std::size_t depth, const std::u32string& inner) {
  std::u32string text;
  for (std::size_t i = 0; i < depth; ++i) text += U"VALUEOF(";
  text += inner;
  text.append(depth, U')');
  return text;
}

TEST(SubstitutionNesting, OuterReferencesTakeTheRestOfTheText) {
  ARpGateway rp;
  struct Case {
    std::u32string text;
    std::u32string expected;
  };
  const Case cases[] = {
      // Inner VALUEOF(X) (undefined) goes; the outer range [2, 21) then
      // reaches past the shortened text's end.
      {U"a VALUEOF(VALUEOF(X)) b", U"a "},      {U"a VALUEOF(X) b", U"a  b"},
      {U"a " + Nested(3, U"X") + U" b", U"a "}, {U"a " + Nested(1500, U"X") + U" b", U"a "},
      {U"a " + Nested(1500, U"X"), U"a "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    VXString text = c.text;
    MetadataUtil::ReplaceVariableWithValue(&rp, text, false, false, false);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(SubstitutionNesting, SpansAreTheScannersReferences) {
  for (const std::u32string& text : {std::u32string(U"x VALUEOF(A.B) 'VALUEOF(C)' VALUEOF(D(E)) VALUEOF("),
                                     Nested(40, U"Q.R"), std::u32string(U"none")}) {
    VariablePositions refs;
    FindVariablesAux(text, refs, nullptr, 0);
    std::vector<VariableSpan> spans;
    FindVariableSpans(text, nullptr, spans);
    ASSERT_EQ(spans.size(), refs.size());
    for (std::size_t i = 0; i < refs.size(); ++i) {
      EXPECT_EQ(spans[i].m_position, refs[i].m_position);
      EXPECT_EQ(spans[i].m_endPosition, refs[i].m_endPosition);
      const std::u32string parameter = text.substr(spans[i].m_paramBegin, spans[i].m_paramEnd - spans[i].m_paramBegin);
      EXPECT_EQ(parameter,
                refs[i].m_qualifier.empty() ? refs[i].m_varName : refs[i].m_qualifier + U"." + refs[i].m_varName);
    }
  }
}

}  // namespace
