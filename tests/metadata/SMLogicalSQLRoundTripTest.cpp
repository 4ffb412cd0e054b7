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
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace {

using namespace logical_sql;
using Spelling = ToPrettyStringVisitor::OperatorSpelling;

// Columns of "Sales Analysis" that every user of the test may read.
const VoidID kColumns[] = {{4010, 1}, {4010, 2}, {4010, 3}, {4010, 7}, {4010, 9}, {4010, 13}, {4010, 19}};

class LogicalSQLRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }
  static void TearDownTestSuite() { s_rp.reset(); }

  // The expression read back from its fully qualified, quoted text; an
  // empty expression (and the faults in why) when it does not bind.
  static Expr ReadBack(const Expr& e, std::string& text, std::string& why) {
    text = ToNarrow(ToPrettyStringVisitor::StringFrom(
        e, s_rp.get(), ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = true, .fullyQualified = true}));
    const BindResult r = ParseAndBind("SELECT " + text + " FROM \"Sales Analysis\"", s_rp.get(), U"", {});
    for (const Diagnostic& d : r.diagnostics) why += ToNarrow(d.message) + "\n";
    if (!r.spec) return Expr();
    return r.spec->ToListQuerySpec().m_projection.m_edgeExprs.at(0).m_expr;
  }
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
  const auto qualifier = [&](bool bTwo) {
    b.Op(bTwo ? kInterQual2 : kInterQual1).Op(kTMField1).Int(Par_DAY).End();
    if (bTwo) b.Op(kTMField1).Int(Par_SECOND).End();
    b.End();
  };
  switch (row.code) {
    case kCast:
      return b.Op(kCast).ID(kColumns[0]).Op(kDataType).Int(2).Int(20).Int(-1).End().End().Build();
    case kDataTypeInterval:
      b.Op(kCast).ID(kColumns[0]).Op(kDataTypeInterval);
      qualifier(true);
      return b.End().End().Build();
    case kInterPrim:
    case kInterQual1:
    case kInterQual2:
      b.Op(kInterPrim).String(U"5");
      qualifier(row.code == kInterQual2);
      return b.End().Build();
    default:
      break;
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
  for (const Expr& e : cases) {
    std::string text, why;
    const Expr back = ReadBack(e, text, why);
    EXPECT_EQ(back, e) << ToNarrow(ToStringVisitor::StringFrom(e)) << "\n  " << text << "\n"
                       << why << "  read as " << ToNarrow(ToStringVisitor::StringFrom(back));
  }
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
  std::string text, why;
  EXPECT_EQ(ReadBack(multi, text, why), rank) << text << why;
  // A list parameter of another kind reads as the script's list.
  const Expr trend = ExprBuilder().Op(kTrendlineParameter).ID(c).Int(1).End().Build();
  const Expr list = ExprBuilder().Op(kEvaluateScriptListParameter).ID(c).Int(1).End().Build();
  EXPECT_EQ(ReadBack(trend, text, why), list) << text << why;
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

// ---- random expressions --------------------------------------------------------------

// The grammar's binding power of an expression as its text begins and ends:
// operators written between their operands bind as their level; anything
// delimited on both sides is atomic.
constexpr int kAtomic = 100;

class Generator {
 public:
  explicit Generator(unsigned seed) : m_rng(seed) {
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
    switch (code) {
      case kOr:
        return 2;
      case kAnd:
        return 3;
      case kConcatenate:
        return 6;
      case kAdd:
      case kSubtract:
        return 7;
      case kMultiply:
      case kDivide:
        return 8;
      default:
        return 5;
    }
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

  void Leaf(ExprBuilder& b) {
    switch (Pick(6)) {
      case 0:
        b.Int(static_cast<std::int32_t>(Pick(2000)) - 1000);
        break;
      case 1:
        b.Float(static_cast<double>(Pick(1000)) + 0.25);
        break;
      case 2:
        b.String(Pick(2) ? U"it's" : U"x");
        break;
      default:
        b.ID(kColumns[Pick(std::size(kColumns))]);
        break;
    }
  }

  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_rng); }

  std::mt19937 m_rng;
  std::vector<const Spelling*> m_rows;
};

TEST_F(LogicalSQLRoundTrip, RandomExpressionsOverTheSample) {
  Generator g(20261209);
  int failures = 0;
  for (int i = 0; i < 1500 && failures < 5; ++i) {
    ExprBuilder b;
    int prec = 0;
    g.Make(b, 4, prec);
    const Expr e = b.Build();
    std::string text, why;
    const Expr back = ReadBack(e, text, why);
    if (back != e) {
      ++failures;
      ADD_FAILURE() << ToNarrow(ToStringVisitor::StringFrom(e)) << "\n  " << text << "\n"
                    << why << "  read as " << ToNarrow(ToStringVisitor::StringFrom(back));
    }
  }
}

}  // namespace
