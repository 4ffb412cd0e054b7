// Visitor dispatch, collectors and the model's fixed codes and statics.
#include <gtest/gtest.h>

#include <set>

#include "Expr/ExprBuilder.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "Expr/VoidIDCollector.h"
#include "ExprTestUtil.h"

namespace {

// Records which leaf Visit ran, by slot.
class RecordingTokenVisitor : public TokenVisitor {
 public:
  std::vector<std::string> calls;
  AExpr* target = nullptr;
  void Visit(SymbolToken&, AExpr::Iterator&) override { calls.push_back("Symbol"); }
  void Visit(QualifiedSymbolToken&, AExpr::Iterator&) override { calls.push_back("QualifiedSymbol"); }
  void Visit(IDToken&, AExpr::Iterator&) override { calls.push_back("ID"); }
  void Visit(FloatToken&, AExpr::Iterator&) override { calls.push_back("Float"); }
  void Visit(IntToken&, AExpr::Iterator&) override { calls.push_back("Int"); }
  void Visit(VXStringToken&, AExpr::Iterator&) override { calls.push_back("VXString"); }
  void Visit(OpCodeToken&, AExpr::Iterator&) override { calls.push_back("OpCode"); }
  void Visit(VXDateToken&, AExpr::Iterator&) override { calls.push_back("VXDate"); }
  void Visit(VXTimeToken&, AExpr::Iterator&) override { calls.push_back("VXTime"); }
  void Visit(VXDateTimeToken&, AExpr::Iterator&) override { calls.push_back("VXDateTime"); }
  void Visit(SubqueryToken&, AExpr::Iterator&) override { calls.push_back("Subquery"); }
  void Visit(ZirconNumberToken&, AExpr::Iterator&) override { calls.push_back("ZirconNumber"); }
  void SetTargetExpr(AExpr* p) override {
    target = p;
    calls.push_back("SetTargetExpr");
  }
};

// Records the class name of the operator Visit that ran.
class RecordingOpVisitor : public OpExprVisitor {
 public:
  std::string last;
#define SMUTIL_RECORD(Class, Name, Code, Min, Max, Shape) \
  void Visit(Class&, AExpr::Iterator&) override { last = #Class; }
  SMUTIL_OPEXPR_LIST(SMUTIL_RECORD)
#undef SMUTIL_RECORD
};

TEST(ExprVisitor, AcceptSetsTheTargetThenDispatchesOnlyTheRoot) {
  Expr e = ExprBuilder().Op(kAdd).Int(1).Int(2).End().Build();
  RecordingTokenVisitor v;
  e.Accept(v);
  EXPECT_EQ(v.calls, (std::vector<std::string>{"SetTargetExpr", "OpCode"}));
  EXPECT_EQ(v.target, &e);

  RecordingTokenVisitor empty;
  Expr none;
  none.Accept(empty);
  EXPECT_EQ(empty.calls, (std::vector<std::string>{"SetTargetExpr"}));
}

TEST(ExprVisitor, EachLeafReachesItsOwnSlot) {
  Expr e = ToStringVisitor::ExprFrom(
      U"Coalesce(S's',Q['q'],#1:1,1.5,1,'v',Pi(),D'2024-02-29',T'12:30:05',TS'2024-02-29 12:30:05',SQ'',Z'1')");
  RecordingTokenVisitor v;
  AExpr::Iterator root = e.Begin();
  OpExpr& op = OpCodeToken::Instance().GetOpExpr(root);
  AExpr::Iterator it = op.GetArgIterator(0, root, 2147483647);
  for (int i = 0; i < op.GetArgCount(root); ++i, ++it) {
    AExpr::Iterator copy = it;
    e.GetToken(it, e.End()).Accept(v, copy);
  }
  EXPECT_EQ(v.calls, (std::vector<std::string>{"Symbol", "QualifiedSymbol", "ID", "Float", "Int", "VXString", "OpCode",
                                               "VXDate", "VXTime", "VXDateTime", "Subquery", "ZirconNumber"}));
}

TEST(ExprVisitor, EveryOperatorCodeReachesItsOwnClass) {
  std::mt19937 rng(1);
  RecordingOpVisitor v;
  for (std::size_t i = 0; i < kOpClassCount; ++i) {
    const OpInfo& info = GetOpInfoTable()[i];
    const Expr e = exprtest::MinimalInstance(info, rng);
    AExpr::Iterator root = e.Begin();
    OpExpr& op = OpCodeToken::Instance().GetOpExpr(root);
    EXPECT_EQ(op.GetOpCode(), info.code);
    op.Accept(v, root);
    EXPECT_EQ(v.last, info.className);
    EXPECT_EQ(info.slot, static_cast<int>(i));
  }
}

TEST(ExprVisitor, OpCodesFixedByStoredExpressions) {
  const std::pair<OpCode, int> fixed[] = {{kAdd, 300},           {kSubtract, 301},
                                          {kDivide, 302},        {kMultiply, 303},
                                          {kAnd, 313},           {kOr, 314},
                                          {kNegation, 317},      {kSum, 307},
                                          {Par_YEAR, 383},       {Par_DAYOFQUARTER, 394},
                                          {Par_FRACSECOND, 395}, {Par_WEEK, 396},
                                          {Par_QUARTER, 397},    {Par_TRUE, 456},
                                          {Par_NOTUNKNOWN, 461}};
  for (auto [code, value] : fixed) EXPECT_EQ(static_cast<int>(code), value);
  EXPECT_EQ(kOpClassCount, 257u);
  std::set<int> codes;
  for (std::size_t i = 0; i < kOpClassCount; ++i) {
    const OpInfo& info = GetOpInfoTable()[i];
    EXPECT_GE(info.code, 300);
    EXPECT_LE(info.code, 576);
    EXPECT_TRUE(codes.insert(info.code).second) << info.className;
    EXPECT_EQ(GetOpInfo(info.code), &info);
    EXPECT_EQ(FindOpInfoByName(info.name), &info);
  }
  // Parameter codes other than the one shared with NullAgg name no operator.
  for (int par = Par_YEAR; par <= Par_QUARTER; ++par) EXPECT_EQ(GetOpInfo(par), nullptr) << par;
  for (int par = Par_TRUE; par < Par_NOTUNKNOWN; ++par) EXPECT_EQ(GetOpInfo(par), nullptr) << par;
  EXPECT_EQ(GetOpInfo(299), nullptr);
  EXPECT_EQ(GetOpInfo(577), nullptr);
  EXPECT_EQ(FindOpInfoByName("add"), nullptr);
}

TEST(ExprVisitor, CollectorsFindEveryObjectReference) {
  // ids at several depths, one repeated, one inside a nested operator's last operand
  Expr e = ToStringVisitor::ExprFrom(U"CaseIf(Equal(#3003:7,1),#3003:8,UMinus(Abs(#3003:7)),ValueOf(#4001:2))");
  const VoidIDVector all{VoidID(3003, 7), VoidID(3003, 8), VoidID(3003, 7), VoidID(4001, 2)};
  const VoidIDVector unique{VoidID(3003, 7), VoidID(3003, 8), VoidID(4001, 2)};

  VoidIDCollector every(false);
  e.Accept(every);
  EXPECT_EQ(every.GetVoidIDs(), all);
  VoidIDCollector once(true);
  e.Accept(once);
  EXPECT_EQ(once.GetVoidIDs(), unique);

  VoidIDVector ids;
  e.GetObjectIDsInExpr(ids, false);
  EXPECT_EQ(ids, all);
  ids.clear();
  e.GetObjectIDsInExpr(ids, true);
  EXPECT_EQ(ids, unique);

  VoidIDCollector leaf(false);
  Expr single = ExprBuilder().ID(VoidID(1, 2)).Build();
  single.Accept(leaf);
  EXPECT_EQ(leaf.GetVoidIDs(), (VoidIDVector{VoidID(1, 2)}));

  VoidIDCollector none(false);
  Expr noIds = ExprBuilder().Op(kAdd).Int(1).String(U"#3:4").End().Build();
  noIds.Accept(none);
  EXPECT_TRUE(none.GetVoidIDs().empty());
}

TEST(ExprVisitor, BuilderRefusesMalformedExpressions) {
  EXPECT_THROW(ExprBuilder().End(), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().Op(kAdd).Int(1).Build(), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().Int(1).Int(2), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().Op(static_cast<OpCode>(Par_YEAR)), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().Op(kTruth).Int(1).String(U"x"), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().Date(VXDate(2023, 2, 29)), std::invalid_argument);
  EXPECT_THROW(ExprBuilder().ZirconNumber("1,5"), std::invalid_argument);
  // A refused leaf leaves the builder as it was.
  ExprBuilder b;
  b.Op(kAdd).Int(1);
  EXPECT_THROW(b.Time(VXTime(25, 0, 0)), std::invalid_argument);
  Expr e = b.Int(2).End().Build();
  EXPECT_EQ(ToStringVisitor::StringFrom(e), U"Add(1,2)");
  // Append takes a whole expression as one operand.
  Expr outer = ExprBuilder().Op(kUMinus).Append(e).End().Build();
  EXPECT_EQ(ToStringVisitor::StringFrom(outer), U"UMinus(Add(1,2))");
  EXPECT_EQ(outer.Size(), 4u);
  EXPECT_EQ(outer.GetNestingDepth(), 3u);
  EXPECT_EQ(ExprBuilder().Build().Size(), 0u);
}

}  // namespace
