// Token layout, iteration, accessors and validation of foreign bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "Expr/ExprBuilder.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "Expr/Tokens.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"

namespace {

ByteVector Bytes(std::initializer_list<int> v) {
  ByteVector b;
  for (int x : v) b.push_back(static_cast<uint8>(x));
  return b;
}

TEST(ExprTokens, LeafLayoutIsTypeCodeThenPayload) {
  ByteVector b;
  IntToken::Init(b, -2);
  EXPECT_EQ(b, Bytes({0, 4, 0xff, 0xff, 0xff, 0xfe}));
  b.clear();
  IDToken::Init(b, VoidID(3001, 42));
  EXPECT_EQ(b, Bytes({0, 2, 0, 0, 0x0b, 0xb9, 0, 0, 0, 42}));
  EXPECT_EQ(SORpPortable::PStoredVoidIDFormatToVoidID(b.data() + 2), VoidID(3001, 42));
  b.clear();
  VXStringToken::Init(b, U"ab");
  EXPECT_EQ(b, Bytes({0, 5, 0, 0, 0, 2, 'a', 'b'}));
  EXPECT_EQ(DataBlobUtil::GetString(b.data() + 2, b.data() + b.size(), true), U"ab");
}

TEST(ExprTokens, OperatorHeaderRecordsCountAndSubtreeLength) {
  Expr e = ExprBuilder().Op(kAdd).Int(1).Op(kMultiply).Int(2).Int(3).End().End().Build();
  const ByteVector& b = e.GetTokenBytes();
  // Add: code 300, 2 operands, 6 + (10 + 6 + 6) operand bytes.
  EXPECT_EQ(b[0] << 8 | b[1], 300);
  EXPECT_EQ(DataBlobUtil::GetUInt32(b.data() + 2, b.data() + b.size()), 2u);
  EXPECT_EQ(DataBlobUtil::GetUInt32(b.data() + 6, b.data() + b.size()), 28u);
  EXPECT_EQ(b.size(), 38u);
  EXPECT_EQ(e.Size(), 5u);
  EXPECT_EQ(e.GetNestingDepth(), 3u);
  EXPECT_EQ(e.GetExpressionTokenType(), kAdd);
}

TEST(ExprTokens, IncrementStepsOverWholeOperands) {
  // CaseIf(And(x, Not(y)), Between(1, 2, 3), 'z')
  Expr e = ToStringVisitor::ExprFrom(U"CaseIf(And(S'x',Negation(S'y')),Between(1,2,3),'z')");
  AExpr::Iterator root = e.Begin();
  OpExpr& caseIf = OpCodeToken::Instance().GetOpExpr(root);
  EXPECT_EQ(caseIf.GetOpCode(), kCaseIf);
  ASSERT_EQ(caseIf.GetArgCount(root), 3);

  AExpr::Iterator a = caseIf.GetArgIterator(0, root, 2147483647);
  EXPECT_EQ(GetTokenTypeCode(a), kAnd);
  EXPECT_EQ(OpCodeToken::Instance().GetOpExpr(a).GetArgCount(a), 2);
  AExpr::Iterator b = a;
  ++b;
  EXPECT_EQ(GetTokenTypeCode(b), kBetween);
  EXPECT_EQ(b, caseIf.GetArgIterator(1, root, 2147483647));
  AExpr::Iterator c = b++;
  EXPECT_EQ(GetTokenTypeCode(c), kBetween);
  EXPECT_EQ(VXStringToken::Instance().GetValue(b), U"z");
  ++b;
  EXPECT_EQ(b, e.End());
  // The whole root is one step.
  AExpr::Iterator r = e.Begin();
  EXPECT_EQ(++r, e.End());
  EXPECT_EQ(e.Begin().TokenLength(), e.GetTokenBytes().size());

  // Operand of a nested operator.
  AExpr::Iterator notPos = OpCodeToken::Instance().GetOpExpr(a).GetArgIterator(1, a, 2147483647);
  EXPECT_EQ(GetTokenTypeCode(notPos), kNegation);
  EXPECT_EQ(SymbolToken::Instance().GetSymbolName(
                OpCodeToken::Instance().GetOpExpr(notPos).GetArgIterator(0, notPos, 2147483647)),
            U"y");
}

TEST(ExprTokens, BadOperandIndexAndWalkingPastEndAreLogicErrors) {
  Expr e = ExprBuilder().Op(kAdd).Int(1).Int(2).End().Build();
  AExpr::Iterator root = e.Begin();
  OpExpr& add = OpCodeToken::Instance().GetOpExpr(root);
  EXPECT_THROW((void)add.GetArgIterator(2, root, 2147483647), VXAssertException);
  EXPECT_THROW((void)add.GetArgIterator(-1, root, 2147483647), VXAssertException);
  EXPECT_THROW((void)add.GetArgIterator(1, root, 0), VXAssertException);
  AExpr::Iterator end = e.End();
  EXPECT_THROW(++end, VXAssertException);
  // An accessor asked about the wrong kind of token.
  EXPECT_THROW(IntToken::Instance().GetValue(root), VXAssertException);
  EXPECT_THROW(e.GetToken(e.End(), e.End()), VXAssertException);
}

TEST(ExprTokens, EveryLeafAccessorReadsBackItsValue) {
  const double nan = std::bit_cast<double>(std::uint64_t{0x7ff8000000000123});
  Expr e = ExprBuilder()
               .Op(kCoalesce)
               .Symbol(U"Sym")
               .QualifiedSymbol({U"A", U"B", U""})
               .ID(VoidID(-7, 4000000000u))
               .Float(-0.0)
               .Float(nan)
               .Int(INT32_MIN)
               .String(U"\u00e9'\U0001F600")
               .Date(VXDate(2024, 2, 29))
               .Time(VXTime(23, 59, 58, 123))
               .DateTime(VXDateTime(VXDate(1, 1, 1), VXTime(0, 0, 0, 999999999)))
               .Subquery(ByteVector{0, 0xff, 7})
               .ZirconNumber("-.5e-3")
               .End()
               .Build();
  AExpr::Iterator root = e.Begin();
  AExpr::Iterator it = OpCodeToken::Instance().GetOpExpr(root).GetArgIterator(0, root, 2147483647);
  auto next = [&]() -> AExpr::Iterator& { return ++it; };
  EXPECT_EQ(SymbolToken::Instance().GetSymbolName(it), U"Sym");
  EXPECT_EQ(QualifiedSymbolToken::Instance().GetQualifiedSymbolName(next()), (VXStringVector{U"A", U"B", U""}));
  EXPECT_EQ(IDToken::Instance().GetObjID(next()), VoidID(-7, 4000000000u));
  const double negZero = FloatToken::Instance().GetValue(next());
  EXPECT_TRUE(negZero == 0.0 && std::signbit(negZero));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(FloatToken::Instance().GetValue(next())), 0x7ff8000000000123u);
  EXPECT_EQ(IntToken::Instance().GetValue(next()), INT32_MIN);
  EXPECT_EQ(VXStringToken::Instance().GetValue(next()), U"\u00e9'\U0001F600");
  EXPECT_EQ(VXDateToken::Instance().GetVXDate(next()), VXDate(2024, 2, 29));
  EXPECT_EQ(VXTimeToken::Instance().GetVXTime(next()), VXTime(23, 59, 58, 123));
  EXPECT_EQ(VXDateTimeToken::Instance().GetVXDateTime(next()), VXDateTime(VXDate(1, 1, 1), VXTime(0, 0, 0, 999999999)));
  EXPECT_EQ(SubqueryToken::Instance().GetValue(next()), (ByteVector{0, 0xff, 7}));
  EXPECT_EQ(ZirconNumberToken::Instance().GetValue(next()), "-.5e-3");
  EXPECT_EQ(next(), e.End());
}

TEST(ExprTokens, GetTokenGivesTheClassOfEachCode) {
  struct Case {
    Expr expr;
    BaseToken::TokenType type;
  };
  const Case cases[] = {
      {ExprBuilder().Symbol(U"s").Build(), BaseToken::kSymbol},
      {ExprBuilder().QualifiedSymbol({U"a"}).Build(), BaseToken::kQualifiedSymbol},
      {ExprBuilder().ID(VoidID(1, 2)).Build(), BaseToken::kID},
      {ExprBuilder().Float(1).Build(), BaseToken::kFloat},
      {ExprBuilder().Int(1).Build(), BaseToken::kInt},
      {ExprBuilder().String(U"s").Build(), BaseToken::kVXString},
      {ExprBuilder().Op(kPi).End().Build(), BaseToken::kOpCode},
      {ExprBuilder().Date(VXDate(2000, 1, 1)).Build(), BaseToken::kVXDate},
      {ExprBuilder().Time(VXTime(1, 2, 3)).Build(), BaseToken::kVXTime},
      {ExprBuilder().DateTime(VXDateTime()).Build(), BaseToken::kVXDateTime},
      {ExprBuilder().Subquery({}).Build(), BaseToken::kSubquery},
      {ExprBuilder().ZirconNumber("1").Build(), BaseToken::kZirconNumber},
  };
  for (const Case& c : cases) {
    BaseToken& token = c.expr.GetToken(c.expr.Begin(), c.expr.End());
    EXPECT_EQ(token.GetTokenType(), c.type);
    EXPECT_EQ(c.expr.Size(), 1u);
    if (c.type != BaseToken::kOpCode) {
      EXPECT_EQ(c.expr.GetExpressionTokenType(), c.type);
    }
  }
}

TEST(ExprTokens, EqualityCopyAndFormatString) {
  Expr a = ExprBuilder().Op(kSum).ID(VoidID(3003, 1)).End().Build();
  Expr b = a;
  EXPECT_TRUE(a == b);
  b.SetFormatStr(U"SUM(\"x\")");
  EXPECT_FALSE(a == b);
  EXPECT_EQ(b.GetFormatStr(), U"SUM(\"x\")");
  a.SetFormatStr(U"SUM(\"x\")");
  EXPECT_TRUE(a == b);
  Expr c = ExprBuilder().Op(kSum).ID(VoidID(3003, 2)).End().Build();
  c.SetFormatStr(U"SUM(\"x\")");
  EXPECT_FALSE(a == c);
  Expr moved = std::move(c);
  EXPECT_EQ(moved.Size(), 2u);
  EXPECT_TRUE(Expr() == Expr());
  EXPECT_EQ(Expr().Size(), 0u);
  EXPECT_EQ(Expr().GetExpressionTokenType(), -1);
  EXPECT_EQ(Expr().Begin(), Expr().End());
}

TEST(ExprTokens, ForeignBytesAreValidatedOnce) {
  Expr good = ExprBuilder().Op(kAdd).Int(1).Op(kUMinus).String(U"x").End().End().Build();
  Expr copy(good.GetTokenBytes(), U"fmt");
  EXPECT_EQ(copy.Size(), good.Size());
  EXPECT_EQ(copy.GetNestingDepth(), good.GetNestingDepth());
  EXPECT_EQ(copy.GetFormatStr(), U"fmt");
}

struct CorruptCase {
  const char* name;
  ByteVector bytes;
  std::size_t offset;
  const char* message;
};

TEST(ExprTokens, CorruptBytesRaiseAnErrorWithTheOffset) {
  const CorruptCase cases[] = {
      {"truncated int", Bytes({0, 4, 0, 0, 0}), 0, "token needs 6 bytes"},
      {"unknown leaf code", Bytes({0, 6, 0, 0, 0, 0}), 0, "unknown token type code 6"},
      {"unknown code", Bytes({0x02, 0x41, 0, 0, 0, 0}), 0, "unknown token type code 577"},
      {"string longer than bytes", Bytes({0, 5, 0, 0, 0, 9, 'a'}), 2, "string needs 9 bytes"},
      {"invalid utf-8", Bytes({0, 5, 0, 0, 0, 1, 0xff}), 2, "not valid UTF-8"},
      {"trailing bytes", Bytes({0, 4, 0, 0, 0, 1, 0}), 6, "left over"},
      {"operand bytes past end", Bytes({0x01, 0x2c, 0, 0, 0, 2, 0, 0, 0, 99, 0, 4, 0, 0, 0, 1}), 6,
       "claims 99 operand bytes"},
      {"count above bytes", Bytes({0x01, 0x2c, 0, 0, 0, 3, 0, 0, 0, 6, 0, 4, 0, 0, 0, 1}), 2, "cannot take 3 operands"},
      {"length disagrees", Bytes({0x01, 0x2c, 0, 0, 0, 2, 0, 0, 0, 13, 0, 4, 0, 0, 0, 1, 0, 4, 0, 0, 0, 2, 9}), 22,
       "disagree"},
      {"operands end early",
       Bytes({0x01, 0x2c, 0, 0, 0, 2, 0, 0, 0, 12, 0, 5, 0, 0, 0, 6, 'a', 'b', 'c', 'd', 'e', 'f'}), 22,
       "ends before its operand 2"},
      {"more operands than bytes", Bytes({0x01, 0x2c, 0, 0, 0, 2, 0, 0, 0, 6, 0, 4, 0, 0, 0, 1}), 2,
       "claims 2 operands in 6 bytes"},
      {"wrong arity", Bytes({0x01, 0x2c, 0, 0, 0, 1, 0, 0, 0, 6, 0, 4, 0, 0, 0, 1}), 2, "Add cannot take 1"},
      {"shape", Bytes({0x01, 0xdd /*ValueOf*/, 0, 0, 0, 1, 0, 0, 0, 6, 0, 4, 0, 0, 0, 1}), 10,
       "operand 1 of ValueOf must be an object id"},
      {"bad date", Bytes({0, 7, 0, 0, 0x07, 0xe7, 2, 29}), 2, "invalid date"},
      {"bad time", Bytes({0, 8, 24, 0, 0, 0, 0, 0, 0}), 2, "invalid time"},
      {"bad number text", Bytes({0, 11, 0, 0, 0, 2, '1', 'x'}), 2, "not decimal"},
      {"qualified length mismatch", Bytes({0, 1, 0, 0, 0, 10, 0, 0, 0, 1, 0, 0, 0, 1, 'a', 'z'}), 15,
       "disagrees with its segments"},
  };
  for (const CorruptCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto err = testutil::Caught<BlobDecodeError>([&] { Expr e(c.bytes); });
    if (!err) continue;
    EXPECT_EQ(err->GetOffset(), c.offset) << err->what();
    EXPECT_NE(std::string(err->what()).find(c.message), std::string::npos) << err->what();
  }
  // SetTokenBytes leaves the expression unchanged on error.
  Expr e = ExprBuilder().Int(5).Build();
  EXPECT_THROW(e.SetTokenBytes(Bytes({0, 4, 0})), BlobDecodeError);
  EXPECT_EQ(IntToken::Instance().GetValue(e.Begin()), 5);
}

TEST(ExprTokens, EveryPrefixOfAValidExpressionIsRejected) {
  Expr e = ToStringVisitor::ExprFrom(U"In(Q['A','B'],Concat('x',Z'1.5'),TS'2024-02-29 12:30:05')");
  const ByteVector& all = e.GetTokenBytes();
  for (std::size_t n = 1; n < all.size(); ++n) {
    EXPECT_THROW(Expr(ByteVector(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n))), BlobDecodeError) << n;
  }
}

TEST(ExprTokens, DeepChainIsValidatedAndWalkedWithoutRecursion) {
  constexpr int kDepth = 1000000;
  ExprBuilder b;
  for (int i = 0; i < kDepth; ++i) b.Op(kUMinus);
  b.Int(1);
  for (int i = 0; i < kDepth; ++i) b.End();
  Expr built = b.Build();
  EXPECT_EQ(built.GetNestingDepth(), static_cast<std::size_t>(kDepth) + 1);
  Expr foreign(built.GetTokenBytes());
  EXPECT_EQ(foreign.Size(), static_cast<std::size_t>(kDepth) + 1);
  EXPECT_EQ(foreign.GetNestingDepth(), built.GetNestingDepth());
}

}  // namespace

TEST(ExprTokens, SteppingOverABrokenTokenSaysWhatIsWrong) {
  // ++ measures well-formed tokens inline; anything else must still end in
  // the library's error, never in a step past the bytes.
  const struct {
    const char* what;
    ByteVector bytes;
  } cases[] = {
      {"an id cut after its code", Bytes({0, 2, 0, 0, 0, 1, 0, 0})},
      {"a string longer than the bytes", Bytes({0, 5, 0, 0, 0, 9, 'a', 'b'})},
      {"a parameter code in the operator range", Bytes({1, 127, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"an unknown leaf code", Bytes({0, 6, 0, 0, 0, 0})},
      {"operands past the end", Bytes({1, 44, 0, 0, 0, 1, 0, 0, 0, 6, 0, 4})},
  };
  for (const auto& c : cases) {
    AExpr::Iterator it(c.bytes.data(), c.bytes.data() + c.bytes.size());
    EXPECT_THROW(++it, BlobDecodeError) << c.what;
  }
  // A whole operator is one step, and a short token lands exactly on the end.
  const ByteVector add = Bytes({1, 44, 0, 0, 0, 2, 0, 0, 0, 12, 0, 4, 0, 0, 0, 1, 0, 4, 0, 0, 0, 2});
  AExpr::Iterator it(add.data(), add.data() + add.size());
  EXPECT_EQ((++it).Position(), add.data() + add.size());
}
