// Render, read back, compare bytes: every operator row of the renderer's
// table, the operators with words of their own, and random expressions
// over the sample's columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "Expr/ExprBuilder.h"
#include "Expr/OpCode.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/RpGenerator.h"

namespace {

using namespace logical_sql;
using Spelling = ToPrettyStringVisitor::OperatorSpelling;

// Columns of "Sales Analysis" that every user of the test may read.
const VoidID kColumns[] = {{4010, 1}, {4010, 2}, {4010, 3}, {4010, 7}, {4010, 9}, {4010, 13}, {4010, 19}};

class LogicalSQLRoundTrip : public ::testing::Test {
 public:
  static void SetUpTestSuite() { s_rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }
  static void TearDownTestSuite() { s_rp.reset(); }

  // The expression read back from its fully qualified, quoted text; an
  // empty expression (and the faults in why) when it does not bind.
  static Expr ReadBack(const Expr& e, std::string& text, std::string& why) {
    return ReadBackIn(*s_rp, "\"Sales Analysis\"", e, text, why);
  }
  static Expr ReadBackIn(ARpGateway& rp, const std::string& area, const Expr& e, std::string& text, std::string& why) {
    text = ToNarrow(ToPrettyStringVisitor::StringFrom(
        e, &rp, ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = true, .fullyQualified = true}));
    const BindResult r = ParseAndBind("SELECT " + text + " FROM " + area, &rp, U"", {});
    for (const Diagnostic& d : r.diagnostics) why += ToNarrow(d.message) + "\n";
    if (!r.spec) return Expr();
    return r.spec->ToListQuerySpec().m_projection.m_edgeExprs.at(0).m_expr;
  }
  // e's text reads back as expected (e itself when not given).
  static void ExpectReadsBack(const Expr& e, const Expr& expected, const std::string& label = "") {
    std::string text, why;
    const Expr back = ReadBack(e, text, why);
    EXPECT_EQ(back, expected) << label << ToNarrow(ToStringVisitor::StringFrom(e)) << "\n  " << text << "\n"
                              << why << "  read as " << ToNarrow(ToStringVisitor::StringFrom(back));
  }
  static void ExpectReadsBack(const Expr& e) { ExpectReadsBack(e, e); }
  static std::unique_ptr<ARpGateway> s_rp;
};
std::unique_ptr<ARpGateway> LogicalSQLRoundTrip::s_rp;

int ParsedAs(int code) {
  for (const SameTextPair& p : SameTextOpCodes()) {
    if (p.rendered == code) return p.parsedAs;
  }
  return code;
}

// An operator of the table with columns as operands (a data type for CAST,
// an interval qualifier where one belongs).
Expr RowExpression(const Spelling& row) {
  const OpInfo* info = GetOpInfo(row.code);
  ExprBuilder b;
  // An interval qualifier: DAY, or DAY TO SECOND, after what x holds.
  const auto qualifier = [](bool bTwo, ExprBuilder& x) {
    x.Op(bTwo ? kInterQual2 : kInterQual1).Op(kTMField1).Int(Par_DAY).End();
    if (bTwo) x.Op(kTMField1).Int(Par_SECOND).End();
    x.End();
  };
  const int code = row.code;
  if (code == kCast) return b.Op(kCast).ID(kColumns[0]).Op(kDataType).Int(2).Int(20).Int(-1).End().End().Build();
  if (code == kDataTypeInterval) {
    qualifier(true, b.Op(kCast).ID(kColumns[0]).Op(kDataTypeInterval));
    return b.End().End().Build();
  }
  if (code == kInterPrim || code == kInterQual1 || code == kInterQual2) {
    qualifier(code == kInterQual2, b.Op(kInterPrim).String(U"5"));
    return b.End().Build();
  }
  int n = info->minArgs;
  // Lists of two, so that a parenthesised list is not one operand in parentheses.
  if (info->maxArgs < 0 || info->maxArgs >= 2) n = std::max(n, 2);
  if (info->maxArgs >= 0) n = std::min(n, info->maxArgs);
  b.Op(static_cast<OpCode>(row.code));
  for (int i = 0; i < n; ++i) b.ID(kColumns[static_cast<std::size_t>(i) % std::size(kColumns)]);
  return b.End().Build();
}

TEST_F(LogicalSQLRoundTrip, EveryRowOfTheOperatorTable) {
  for (const Spelling* row : ToPrettyStringVisitor::OperatorSpellings()) {
    const Expr e = RowExpression(*row);
    std::string text, why;
    const Expr back = ReadBack(e, text, why);
    const std::string name(GetOpInfo(row->code)->name);
    ASSERT_NE(back.Size(), 0u) << name << ": " << text << "\n" << why;
    if (ParsedAs(row->code) != row->code) {
      EXPECT_EQ(GetTokenTypeCode(back.Begin()), ParsedAs(row->code)) << name << ": " << text;
      continue;
    }
    EXPECT_EQ(back, e) << name << ": " << text << "\n  read as " << ToNarrow(ToStringVisitor::StringFrom(back));
  }
}

TEST_F(LogicalSQLRoundTrip, OperatorsWithWordsOfTheirOwn) {
  const VoidID c = kColumns[2];
  const VoidID variable(3031, 5);  // "User Profile"."USER_REGION"
  const std::vector<Expr> cases = {
      ExprBuilder().Op(kCaseIf).Op(kGreater).ID(c).Int(1).End().String(U"a").String(U"b").End().Build(),
      ExprBuilder().Op(kCaseIf).Op(kGreater).ID(c).Int(1).End().String(U"a").End().Build(),
      ExprBuilder().Op(kCaseLookup).ID(c).Int(1).String(U"a").Int(2).String(U"b").String(U"c").End().Build(),
      ExprBuilder().Op(kExtract).Int(Par_MONTH).ID(c).End().Build(),
      ExprBuilder().Op(kFiscalExtract).Int(Par_YEAR).ID(c).Int(4).Int(1).End().Build(),
      ExprBuilder().Op(kTMField2).Int(Par_QUARTEROFYEAR).ID(c).End().Build(),
      ExprBuilder().Op(kTimeStampAdd).Int(Par_WEEK).Int(2).ID(c).End().Build(),
      ExprBuilder().Op(kTimeStampDiff).Int(Par_FRACSECOND).ID(c).ID(kColumns[3]).End().Build(),
      ExprBuilder().Op(kTruth).Op(kAnd).ID(c).ID(kColumns[1]).End().Int(Par_NOTUNKNOWN).End().Build(),
      ExprBuilder().Op(kIsAncestor).ID(c).ID(kColumns[1]).Int(2).End().Build(),
      ExprBuilder().Op(kIsAncestor).ID(c).ID(kColumns[1]).Int(OpExprIsAncestor::kDummyIntLiteral).End().Build(),
      ExprBuilder().Op(kIsDescendant).ID(c).ID(kColumns[1]).Int(OpExprIsDescendant::kDummyIntLiteral).End().Build(),
      ExprBuilder().Op(kValueOf).ID(variable).End().Build(),
      ExprBuilder().Op(kValueOfSession).String(U"USER_REGION").End().Build(),
      ExprBuilder().Op(kValueOfSessionByIndex).Int(2).String(U"APP_ROLE").End().Build(),
      ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(16).Int(10).Int(2).End().End().Build(),
      ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(4).Int(8).Int(-1).End().End().Build(),
      ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(21).Int(3).Int(-1).End().End().Build(),
      ExprBuilder().Op(kEqual).ID(c).Date(VXDate(2024, 2, 29)).End().Build(),
      ExprBuilder().Op(kEqual).ID(c).Time(VXTime(12, 30, 5, 0)).End().Build(),
      ExprBuilder().Op(kEqual).ID(c).DateTime(VXDateTime(VXDate(2024, 1, 2), VXTime(3, 4, 5, 0))).End().Build(),
      ExprBuilder().Op(kAdd).Float(2.5).Int(-7).End().Build(),
      ExprBuilder().Op(kConcatenate).String(U"it's").ZirconNumber("123456789012345678901234").End().Build(),
  };
  for (const Expr& e : cases) ExpectReadsBack(e);
}

// Each pair of the list is one the parser really meets: both op codes
// render to the same text, and the text reads as the one taken.
TEST_F(LogicalSQLRoundTrip, SameTextPairsAreWhatTheyClaim) {
  for (const SameTextPair& pair : SameTextOpCodes()) {
    EXPECT_NE(pair.rendered, pair.parsedAs);
    EXPECT_NE(GetOpInfo(pair.rendered), nullptr) << pair.rendered;
    EXPECT_FALSE(pair.why.empty());
  }
  // RANK: one column, no direction, no BY.
  const VoidID c = kColumns[0];
  const Expr multi = ExprBuilder().Op(kMultiRank).Int(1).Int(0).ID(c).Int(OpExprMultiRank::kDESC).End().Build();
  const Expr rank = ExprBuilder().Op(kRank).ID(c).End().Build();
  const ToPrettyStringVisitor::Options plain;
  EXPECT_EQ(ToPrettyStringVisitor::StringFrom(multi, s_rp.get(), plain),
            ToPrettyStringVisitor::StringFrom(rank, s_rp.get(), plain));
  ExpectReadsBack(multi, rank);
  // A list parameter of another kind reads as the script's list.
  ExpectReadsBack(ExprBuilder().Op(kTrendlineParameter).ID(c).Int(1).End().Build(),
                  ExprBuilder().Op(kEvaluateScriptListParameter).ID(c).Int(1).End().Build());
  std::string text, why;
  // The data types that share a keyword.
  for (const SameTextDataType& t : SameTextDataTypes()) {
    const auto types = ToPrettyStringVisitor::DataTypeSpellings();
    EXPECT_EQ(types[static_cast<std::size_t>(t.rendered)].keyword, types[static_cast<std::size_t>(t.parsedAs)].keyword);
    const Expr cast = ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(t.rendered).Int(5).Int(-1).End().End().Build();
    const Expr taken = ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(t.parsedAs).Int(5).Int(-1).End().End().Build();
    const Expr back = ReadBack(cast, text, why);
    // Types without a length read back without one.
    const Expr takenNoLength =
        ExprBuilder().Op(kCast).ID(c).Op(kDataType).Int(t.parsedAs).Int(-1).Int(-1).End().End().Build();
    EXPECT_TRUE(back == taken || back == takenNoLength) << text << why;
  }
}

// ---- operators with bodies of their own -------------------------------------------------

// Each operator whose renderer has a body of its own, in the forms that
// body writes: what it stores when the text leaves an operand out is what
// the parser gives back (an unknown data type, NULL clauses, a null level).
TEST_F(LogicalSQLRoundTrip, OperatorsWithBodiesOfTheirOwnReadBack) {
  const VoidID a = kColumns[0], b = kColumns[1], c = kColumns[2], d = kColumns[3];
  using B = ExprBuilder;
  const auto type = [](B& x, int code, int length) -> B& {
    return x.Op(kDataType).Int(code).Int(length).Int(-1).End();
  };
  const auto null = [](B& x) -> B& { return x.Op(kResultNull).End(); };
  struct Case {
    int code;
    Expr e;
  };
  std::vector<Case> cases;
  const auto add = [&](int code, B& x) { cases.push_back({code, x.Build()}); };
  using R = OpExprMultiRank;
  add(kMultiRank, B().Op(kMultiRank).Int(1).Int(0).ID(a).Int(R::kASC).End());                       // RANK(a ASC)
  add(kMultiRank, B().Op(kMultiRank).Int(2).Int(0).ID(a).Int(R::kDESC).ID(b).Int(R::kASC).End());   // RANK(a, b ASC)
  add(kMultiRank, B().Op(kMultiRank).Int(2).Int(0).ID(a).Int(R::kDESC).ID(b).Int(R::kDESC).End());  // RANK(a, b)
  add(kMultiRank, B().Op(kMultiRank).Int(1).Int(2).ID(a).Int(R::kDESC).ID(b).ID(c).End());          // RANK(a BY b, c)
  for (int code : {kEvaluate, kEvaluateAggr, kEvaluateAnalytic}) {
    const OpCode op = static_cast<OpCode>(code);
    // EVALUATE('f(%1)', a): no AS, the unknown type; EVALUATE('f' AS VARCHAR ( 20 ))
    add(code, type(B().Op(op).String(U"f(%1,%2)"), 25, -1).ID(a).Int(2).End());
    add(code, type(B().Op(op).String(U"f"), 2, 20).End());
  }
  add(kJsonValue, type(B().Op(kJsonValue).ID(a).String(U"$.a"), 2, 10).End());  // JSON_VALUE(a,'$.a' AS VARCHAR ( 10 ))
  add(kJsonValue, type(B().Op(kJsonValue).ID(a).String(U"$.b"), 25, -1).End());         // JSON_VALUE(a,'$.b')
  add(kIsAncestorList, B().Op(kIsAncestorList).Int(2).ID(a).ID(b).ID(c).End());         // ISANCESTOR(a, (b, c))
  add(kIsAncestorList, B().Op(kIsAncestorList).Int(2).ID(a).ID(b).ID(c).Int(3).End());  // ISANCESTOR(a, (b, c), 3)
  add(kIsDescendantList, B().Op(kIsDescendantList).Int(0).ID(a).End());                 // ISDESCENDANT(a, ())
  add(kIsDescendantList, B().Op(kIsDescendantList).Int(1).ID(a).ID(b).End());           // ISDESCENDANT(a, (b))
  add(kIsParentList, B().Op(kIsParentList).ID(a).ID(b).ID(c).End());
  add(kIsChildList, B().Op(kIsChildList).ID(a).End());
  add(kIsSiblingList, B().Op(kIsSiblingList).ID(a).ID(b).End());
  add(kAgo, B().Op(kAgo).ID(a).ID(VoidID::NullID).Int(1).End());  // AGO(a, 1): no level, the null id
  add(kPeriodRolling, B().Op(kPeriodRolling).ID(a).Int(-1).Int(2).ID(VoidID::NullID).End());  // no grain
  add(kPeriodRolling, B().Op(kPeriodRolling).ID(a).Int(1).Int(2).ID(b).End());
  for (int code : {kCorrelation, kCovariance}) {
    for (int n : {0, 1, 2, 3, 4, 6}) {
      B x;  // CORN(a, b AtGrain c Partition By d, a, b)
      x.Op(static_cast<OpCode>(code));
      for (int i = 0; i < n; ++i) x.ID(kColumns[static_cast<std::size_t>(i) % 4]);
      add(code, x.End());
    }
  }
  add(kBin, null(null(B().Op(kBin).ID(a))).Int(0).End());                            // ATTRIBUTE(a)
  add(kBin, B().Op(kBin).ID(a).ID(b).Op(kGreater).ID(a).Int(1).End().Int(0).End());  // ATTRIBUTE(a by b where a > 1)
  // BIN(a into 4EQUIDEPTH bins between 1 and 10 returning RANGE)
  B bins;
  null(null(bins.Op(kBin).ID(a))).Int(4).Int(BinningEnum::kEQUIDEPTH).Op(kLess).Int(1).Int(10).End();
  add(kBin, bins.Int(OpExprBin::kRANGE).End());
  // BIN(a by b where c > 2 into d bins returning RANGE_HIGH)
  add(kBin, null(B().Op(kBin).ID(a).ID(b).Op(kGreater).ID(c).Int(2).End().ID(d).Int(BinningEnum::kEQUIWIDTH))
                .Int(OpExprBin::kRANGE_HIGH)
                .End());
  // WIDTH_BUCKET(a, RANGE_LOW, b, 1, 10 by c); WIDTH_BUCKET(a, NUMBER, b)
  add(kWidthBucket, B().Op(kWidthBucket).ID(a).Int(OpExprBin::kRANGE_LOW).ID(b).Int(1).Int(10).ID(c).End());
  add(kWidthBucket, null(null(null(B().Op(kWidthBucket).ID(a).Int(OpExprBin::kNUMBER).ID(b)))).End());
  add(kXSA, B().Op(kXSA).String(U"Sales Analysis").ID(a).End());  // XSA('Sales Analysis').a
  add(kRowID, B().Op(kRowID).String(U"r1").End());                // ROWID('r1')
  for (const Case& k : cases) ExpectReadsBack(k.e, k.e, std::string(GetOpInfo(k.code)->name) + ": ");
  // Every operator with a body of its own is read back: by this test, or
  // by OperatorsWithWordsOfTheirOwn, or as the operator its text is
  // another's of (SameTextOpCodes).
  std::set<int> covered = {kCaseIf,       kCaseLookup,    kExtract,    kFiscalExtract,
                           kTimeStampAdd, kTimeStampDiff, kIsAncestor, kIsDescendant};
  for (const Case& k : cases) covered.insert(k.code);
  for (const SameTextPair& p : SameTextOpCodes()) covered.insert(p.rendered);
  for (int code = kFirstOpCode; code <= kLastOpCode; ++code) {
    if (ToPrettyStringVisitor::FindOwnBodySpelling(code)) {
      EXPECT_TRUE(covered.count(code)) << GetOpInfo(code)->name
                                       << " is rendered by a body of its own and not read back";
    }
  }
}

// What a body leaves out of its text cannot come back: the parser gives
// what the model stores when that part is not given.
TEST_F(LogicalSQLRoundTrip, FormsThatLeaveOperandsOutReadAsTheirDefaults) {
  const VoidID a = kColumns[0], b = kColumns[1], c = kColumns[2];
  using B = ExprBuilder;
  const auto null = [](B& x) -> B& { return x.Op(kResultNull).End(); };
  struct Case {
    Expr stored, read;
  };
  const Case cases[] = {
      // ROWID of an operand that is not a string is written ROWID().
      {B().Op(kRowID).Int(1).End().Build(), B().Op(kRowID).String(U"").End().Build()},
      // The unknown type is not written, whatever its length.
      {B().Op(kEvaluate).String(U"f").Op(kDataType).Int(25).Int(0).Int(0).End().End().Build(),
       B().Op(kEvaluate).String(U"f").Op(kDataType).Int(25).Int(-1).Int(-1).End().End().Build()},
      // The attribute form writes three of its seven operands.
      {null(B().Op(kBin).ID(a).ID(b).Op(kGreater).ID(a).Int(1).End().Int(0).Int(0)).Int(0).End().Build(),
       B().Op(kBin).ID(a).ID(b).Op(kGreater).ID(a).Int(1).End().Int(0).End().Build()},
      // A range with one end NULL is left out: both ends read as NULL.
      {B().Op(kWidthBucket).ID(a).Int(1).ID(b).Int(1).Op(kResultNull).End().ID(c).End().Build(),
       B().Op(kWidthBucket).ID(a).Int(1).ID(b).Op(kResultNull).End().Op(kResultNull).End().ID(c).End().Build()},
  };
  for (const Case& k : cases) ExpectReadsBack(k.stored, k.read);
}

// ---- random expressions --------------------------------------------------------------

// The grammar's binding power of an expression as its text begins and ends:
// operators written between their operands bind as their level; anything
// delimited on both sides is atomic.
constexpr int kAtomic = 100;

class Generator {
 public:
  Generator(unsigned seed, std::vector<VoidID> columns) : m_rng(seed), m_columns(std::move(columns)) {
    for (const Spelling* row : ToPrettyStringVisitor::OperatorSpellings()) {
      if (Usable(row->code)) m_rows.push_back(row);
    }
  }

  // An expression whose text reads back as itself; prec is its level.
  void Make(ExprBuilder& b, int depth, int& prec) {
    if (depth == 0 || Pick(4) == 0) {
      Leaf(b);
      prec = kAtomic;
      return;
    }
    const Spelling& row = *m_rows[Pick(m_rows.size())];
    const OpInfo* info = GetOpInfo(row.code);
    int n = info->minArgs + static_cast<int>(Pick(2));
    if (info->maxArgs >= 0) n = std::min(n, info->maxArgs);
    if (row.form == Spelling::kVarList && n < 2 && (info->maxArgs < 0 || info->maxArgs >= 2)) n = 2;
    if (row.form == Spelling::kNoOperand) n = 0;
    prec = LevelOf(row);
    b.Op(static_cast<OpCode>(row.code));
    for (int i = 0; i < n; ++i) Operand(b, row, i, depth - 1);
    b.End();
  }

 private:
  static bool Usable(int code) {
    switch (code) {
      // Covered by the row test; in random company their text is another's.
      case kBreak:
      case kBreakAt:
      case kEvaluateWrapper:
      case kEvaluateScriptListParameter:
      case kTrendlineParameter:
      case kXSALookupParameter:
      case kPosition:  // an operand in parentheses after IN reads as an IN list
      case kCast:
      case kDataTypeInterval:
      case kInterPrim:
      case kInterQual1:
      case kInterQual2:
        return false;
      default:
        return true;
    }
  }

  static int LevelOf(const Spelling& row) {
    if (row.code == kNegation) return 4;
    if (row.open.empty() && row.form != Spelling::kNoOperand) return PrecedenceFor(row.code);
    return kAtomic;
  }
  static int PrecedenceFor(int code) {
    if (code == kOr) return 2;
    if (code == kAnd) return 3;
    if (code == kConcatenate) return 6;
    if (code == kAdd || code == kSubtract) return 7;
    if (code == kMultiply || code == kDivide) return 8;
    return 5;
  }
  static bool Wrapped(unsigned char mask, int code) {
    constexpr int kParen[] = {kAdd, kSubtract, kDivide, kMultiply, kAnd, kOr};
    for (std::size_t i = 0; i < std::size(kParen); ++i) {
      if (kParen[i] == code && (mask & (1u << i))) return true;
    }
    return false;
  }

  // Operand i of row, drawn until its text cannot be read another way.
  void Operand(ExprBuilder& outer, const Spelling& row, int i, int depth) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      ExprBuilder b;
      int prec = kAtomic;
      Make(b, depth, prec);
      const Expr e = b.Build();
      const int code = GetTokenTypeCode(e.Begin());
      if (Fits(row, i, prec, code)) {
        outer.Append(e);
        return;
      }
    }
    Leaf(outer);
  }

  static bool Fits(const Spelling& row, int i, int prec, int code) {
    const int level = LevelOf(row);
    if (row.code == kNegation) return prec >= 5 || code == kNegation || code == kAnd || code == kOr;
    if (level == kAtomic) {
      // Inside delimiters anything goes; an operand that ends the text of
      // its operator (EXISTS x, %x) must be atomic itself.
      const bool bTrailing = row.close.empty() && row.form == Spelling::kFunction1;
      return bTrailing ? prec == kAtomic : prec >= 2;
    }
    const unsigned char mask = i == 0 ? row.wrapFirst : row.wrapOther;
    if (Wrapped(mask, code)) return true;
    if (i == 0) return prec >= level;
    // The items of IN ( ... ) are delimited.
    if (row.code == kIn) return prec >= 2;
    return prec > level;
  }

  // Half the leaves are columns.
  void Leaf(ExprBuilder& b) {
    const std::size_t kind = Pick(6);
    if (kind == 0) {
      b.Int(static_cast<std::int32_t>(Pick(2000)) - 1000);
    } else if (kind == 1) {
      b.Float(static_cast<double>(Pick(1000)) + 0.25);
    } else if (kind == 2) {
      b.String(Pick(2) ? U"it's" : U"x");
    } else {
      b.ID(m_columns[Pick(m_columns.size())]);
    }
  }

  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng); }

  std::mt19937 m_rng;
  std::vector<VoidID> m_columns;
  std::vector<const Spelling*> m_rows;
};

// count random expressions read back in area; the first five that do not
// come back are reported.
void RandomRoundTrips(Generator& g, int count, ARpGateway& rp, const std::string& area) {
  int failures = 0;
  for (int i = 0; i < count && failures < 5; ++i) {
    ExprBuilder b;
    int prec = 0;
    g.Make(b, 4, prec);
    const Expr e = b.Build();
    std::string text, why;
    const Expr back = LogicalSQLRoundTrip::ReadBackIn(rp, area, e, text, why);
    if (back != e) {
      ++failures;
      ADD_FAILURE() << ToNarrow(ToStringVisitor::StringFrom(e)) << "\n  " << text << "\n"
                    << why << "  read as " << ToNarrow(ToStringVisitor::StringFrom(back));
    }
  }
}

TEST_F(LogicalSQLRoundTrip, RandomExpressionsOverTheSample) {
  Generator g(20261209, std::vector<VoidID>(std::begin(kColumns), std::end(kColumns)));
  RandomRoundTrips(g, 1500, *s_rp, "\"Sales Analysis\"");
}

// The same over a generated repository of 10^5 objects: columns of many
// tables whose names repeat across tables, read back by their full names.
TEST_F(LogicalSQLRoundTrip, RandomExpressionsOverAGeneratedRepository) {
  RpGenerator::Options options;
  options.m_objectCount = 100000;
  const std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  VoidIDVector areas;
  rp->GetObjectIDsOfType(kTIDACatalogFolder, areas);
  ASSERT_FALSE(areas.empty());
  std::vector<VoidID> columns;
  VXString areaName;
  for (const VoidID& id : areas) {
    Ref<ACatalogFolder> area(rp->GetObject(id));
    BinaryRelIter<AFolder> tables = area->GetSubFolders();
    for (tables.ToBegin(); !tables.IsEnd() && columns.size() < 400; ++tables) {
      const Ref<AFolder> table = *tables;
      if (table->GetTypeID() != kTIDAEntityFolder) continue;
      BinaryRelIter<AFolderAttr> attrs = table->GetFolderAttrs();
      for (attrs.ToBegin(); !attrs.IsEnd(); ++attrs) columns.push_back((*attrs)->GetID());
    }
    if (!columns.empty()) {
      areaName = area->GetName();
      break;
    }
  }
  ASSERT_GE(columns.size(), 50u);
  Generator g(20261210, columns);
  RandomRoundTrips(g, 1000, *rp, ToNarrow(ToPrettyStringVisitor::ModifyName(areaName, true)));
}

}  // namespace
