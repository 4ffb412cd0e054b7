// The internal text form: exact round trips and positioned errors.
#include <gtest/gtest.h>

#include <limits>

#include "Expr/ExprBuilder.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "ExprTestUtil.h"
#include "common/Caught.h"

namespace {

void ExpectRoundTrip(const Expr& e) {
  const VXString text = ToStringVisitor::StringFrom(e);
  Expr back;
  ASSERT_NO_THROW(back = ToStringVisitor::ExprFrom(text)) << ToNarrow(text);
  EXPECT_EQ(back.GetTokenBytes(), e.GetTokenBytes()) << ToNarrow(text);
  EXPECT_EQ(back.Size(), e.Size());
  EXPECT_EQ(back.GetNestingDepth(), e.GetNestingDepth());
  EXPECT_EQ(ToStringVisitor::StringFrom(back), text);
}

TEST(ExprText, WritesTheCompactForm) {
  struct Case {
    Expr expr;
    const char32_t* text;
  };
  const Case cases[] = {
      {ExprBuilder().Op(kAdd).Int(1).Op(kMultiply).ID(VoidID(3001, 42)).Float(2.5).End().End().Build(),
       U"Add(1,Multiply(#3001:42,2.5))"},
      {ExprBuilder().Op(kCountStar).End().Build(), U"CountStar()"},
      {ExprBuilder().String(U"it's").Build(), U"'it''s'"},
      {ExprBuilder().Symbol(U"Rev").Build(), U"S'Rev'"},
      {ExprBuilder().QualifiedSymbol({U"A", U"b c"}).Build(), U"Q['A','b c']"},
      {ExprBuilder().QualifiedSymbol({}).Build(), U"Q[]"},
      {ExprBuilder().ID(VoidID(-1, 4294967295u)).Build(), U"#-1:4294967295"},
      {ExprBuilder().Float(3).Build(), U"3.0"},
      {ExprBuilder().Float(-0.0).Build(), U"-0.0"},
      {ExprBuilder().Float(1e300).Build(), U"1e+300"},
      {ExprBuilder().Float(std::numeric_limits<double>::infinity()).Build(), U"F'7ff0000000000000'"},
      {ExprBuilder().Int(-2147483647 - 1).Build(), U"-2147483648"},
      {ExprBuilder().Date(VXDate(33, 12, 31)).Build(), U"D'0033-12-31'"},
      {ExprBuilder().Time(VXTime(7, 5, 0)).Build(), U"T'07:05:00'"},
      {ExprBuilder().Time(VXTime(7, 5, 0, 120)).Build(), U"T'07:05:00.000000120'"},
      {ExprBuilder().DateTime(VXDateTime(VXDate(2024, 2, 29), VXTime(1, 2, 3))).Build(), U"TS'2024-02-29 01:02:03'"},
      {ExprBuilder().Subquery(ByteVector{0x0a, 0xff}).Build(), U"SQ'0aff'"},
      {ExprBuilder().ZirconNumber("+1.0E5").Build(), U"Z'+1.0E5'"},
      {Expr(), U""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToStringVisitor::StringFrom(c.expr), c.text);
    ExpectRoundTrip(c.expr);
  }
  // Accepting the visitor writes the same text.
  Expr e = ExprBuilder().Op(kIn).Symbol(U"x").Int(1).Int(2).End().Build();
  ToStringVisitor v;
  e.Accept(v);
  EXPECT_EQ(v.GetString(), U"In(S'x',1,2)");
}

TEST(ExprText, EveryOperatorClassRoundTrips) {
  std::mt19937 rng(7);
  for (std::size_t i = 0; i < kOpClassCount; ++i) {
    const OpInfo& info = GetOpInfoTable()[i];
    SCOPED_TRACE(std::string(info.className));
    const Expr e = exprtest::MinimalInstance(info, rng);
    ExpectRoundTrip(e);
  }
}

// Operator names of the text form against the fixed op codes of the token
// layout: parsing the name gives the code, writing the code gives the name.
TEST(ExprText, OperatorNamesStandForTheirCodes) {
  struct Row {
    const char32_t* text;
    int code;
    int operands;
  } rows[] = {
      {U"Add(1,2)", 300, 2}, {U"Subtract(1,2)", 301, 2}, {U"Divide(1,2)", 302, 2}, {U"Multiply(1,2)", 303, 2},
      {U"And(1,2)", 313, 2}, {U"Or(1,2)", 314, 2},       {U"Negation(1)", 317, 1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ToStringVisitor::ExprFrom(row.text).GetExpressionTokenType(), row.code) << ToNarrow(row.text);
    ExprBuilder b;
    b.Op(static_cast<OpCode>(row.code)).Int(1);
    if (row.operands == 2) b.Int(2);
    EXPECT_EQ(ToStringVisitor::StringFrom(b.End().Build()), row.text);
  }
}

TEST(ExprText, RandomExpressionsRoundTrip) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 300; ++round) {
    ExprBuilder b;
    int budget = 40;
    exprtest::RandomExpr(b, rng, budget, 0);
    ExpectRoundTrip(b.Build());
  }
}

TEST(ExprText, BlanksBetweenTokensAreAllowed) {
  Expr a = ToStringVisitor::ExprFrom(U" Add ( 1 ,\n\tQ[ 'a' , 'b' ] ) ");
  Expr b = ToStringVisitor::ExprFrom(U"Add(1,Q['a','b'])");
  EXPECT_EQ(a.GetTokenBytes(), b.GetTokenBytes());
  EXPECT_EQ(ToStringVisitor::ExprFrom(U"  ").Size(), 0u);
}

TEST(ExprText, BadTextIsReportedWithItsPosition) {
  struct Case {
    const char32_t* text;
    std::size_t position;
    const char* message;
  };
  const Case cases[] = {
      {U"Add(1,2", 7, "Add opened at position 0 is not closed"},
      {U"Add(1 2)", 6, "expected ',' or ')'"},
      {U"Add(1,2))", 8, "text after the end"},
      {U"Plus(1,2)", 0, "unknown operator Plus"},
      {U"Add(1)", 5, "Add needs at least 2 operands"},
      {U"Add(1,2,3)", 8, "Add takes at most 2 operands"},
      {U"UMinus()", 7, "UMinus needs at least 1"},
      {U"ValueOf(5)", 8, "operand 1 of ValueOf must be an object id"},
      {U"Add(1,)", 6, "unexpected character ')'"},
      {U"Add(", 4, "expected an operand"},
      {U"'abc", 0, "quoted text is not closed"},
      {U"99999999999", 0, "does not fit in 32 bits"},
      {U"1e999", 0, "out of range"},
      {U"12abc", 2, "unexpected character 'a' in number"},
      {U"1.2.3", 3, "unexpected character '.'"},
      {U"#12", 0, "object id must look like #type:number"},
      {U"#1:99999999999", 0, "both in range"},
      {U"D'2023-02-29'", 0, "no such date 2023-02-29"},
      {U"D'2023-2-1'", 0, "month needs 2 digits"},
      {U"T'24:00:00'", 0, "no such time"},
      {U"T'10:00:00.1234567890'", 0, "more than 9 digits"},
      {U"TS'2024-01-01T10:00:00'", 0, "timestamp must look like"},
      {U"Z'1e'", 0, "not a decimal number"},
      {U"F'7ff'", 0, "16 hex digits"},
      {U"SQ'abc'", 0, "even number of hex digits"},
      {U"SQ'zz'", 3, "non-hex digit"},
      {U"X'1'", 0, "unknown literal prefix X"},
      {U"Add", 3, "expected '(' after operator name Add"},
      {U"Q['a' 'b']", 6, "expected ',' or ']'"},
      {U"Add(1,@)", 6, "unexpected character '@'"},
      {U"Add(1,\u00e9)", 6, "unexpected character U+00E9"},
      {U"'\xD800'", 1, "invalid character U+D800"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToNarrow(c.text));
    const auto e = testutil::Caught<ExprTextError>([&] { ToStringVisitor::ExprFrom(c.text); });
    if (!e) continue;
    EXPECT_EQ(e->GetPosition(), c.position) << e->what();
    EXPECT_NE(std::string(e->what()).find(c.message), std::string::npos) << e->what();
    EXPECT_NE(std::string(e->what()).find("position " + std::to_string(c.position)), std::string::npos);
  }
}

TEST(ExprText, MillionDeepChainWritesAndParsesWithoutRecursion) {
  constexpr int kDepth = 1000000;
  VXString text;
  for (int i = 0; i < kDepth; ++i) text += U"Negation(";
  text += U"S'x'";
  text.append(kDepth, U')');
  const Expr e = ToStringVisitor::ExprFrom(text);
  EXPECT_EQ(e.Size(), static_cast<std::size_t>(kDepth) + 1);
  EXPECT_EQ(ToStringVisitor::StringFrom(e), text);
}

}  // namespace
