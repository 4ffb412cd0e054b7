// The operators whose text depends on more than their row of literals: on a
// parameter stored in an operand (date parts, interval kinds, truth values,
// bin strategies), on an operand's kind (optional operands, wrapping), or
// on the text an operand renders to (BIN, WIDTH_BUCKET, XSA).
//
// A body computes its parameter texts before it writes where it can, and
// every operand is reached through the Operands cursor, which refuses to
// step past the operator's own operands.
#include <climits>

#include "Metadata/SMPrettyStringVisitor.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"

using pretty_detail::Operands;

namespace {

std::int32_t IntAt(const AExpr::Iterator& pos) { return IntToken::Instance().GetValue(pos); }

bool MentionsNull(const VXString& text) { return BaseStringUtil::CaseInsensitiveFind(text, U"NULL") != VXString::npos; }

// Sets a flag for the duration of a scope, restoring it also when rendering throws.
class FlagScope {
 public:
  FlagScope(bool& flag, bool value) : m_flag(flag), m_old(flag) { m_flag = value; }
  ~FlagScope() { m_flag = m_old; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& m_flag;
  bool m_old;
};

using ParameterText = ToPrettyStringVisitor::ParameterSpelling;

// Interval kinds of TIMESTAMPADD / TIMESTAMPDIFF.
constexpr ParameterText kIntervalTexts[] = {
    {Par_YEAR, U" SQL_TSI_YEAR "},
    {Par_MONTH, U" SQL_TSI_MONTH "},
    {Par_DAY, U" SQL_TSI_DAY "},
    {Par_HOUR, U" SQL_TSI_HOUR "},
    {Par_MINUTE, U" SQL_TSI_MINUTE "},
    {Par_SECOND, U" SQL_TSI_SECOND "},
    {Par_FRACSECOND, U" SQL_TSI_FRAC_SECOND "},
    {Par_WEEK, U" SQL_TSI_WEEK "},
    {Par_QUARTER, U" SQL_TSI_QUARTER "},
};

// Truth tests.
constexpr ParameterText kTruthTexts[] = {
    {Par_TRUE, U" IS TRUE "},        {Par_FALSE, U" IS FALSE "},        {Par_UNKNOWN, U" IS UNKNOWN "},
    {Par_NOTTRUE, U" IS NOT TRUE "}, {Par_NOTFALSE, U" IS NOT FALSE "}, {Par_NOTUNKNOWN, U" IS NOT UNKNOWN "},
};

// Date and time fields of EXTRACT and the field functions.
constexpr ParameterText kTimeFieldTexts[] = {
    {Par_YEAR, U" YEAR "},
    {Par_MONTH, U" MONTH "},
    {Par_DAY, U" DAY "},
    {Par_HOUR, U" HOUR "},
    {Par_MINUTE, U" MINUTE "},
    {Par_SECOND, U" SECOND "},
    {Par_QUARTEROFYEAR, U" QUARTER_OF_YEAR "},
    {Par_WEEKOFYEAR, U" WEEK_OF_YEAR "},
    {Par_DAYOFYEAR, U" DAY_OF_YEAR "},
    {Par_MONTHOFQUARTER, U" MONTH_OF_QUARTER "},
    {Par_WEEKOFQUARTER, U" WEEK_OF_QUARTER "},
    {Par_DAYOFQUARTER, U" DAY_OF_QUARTER "},
};

// Bucketing strategies of BIN (equal widths are the default, unwritten).
constexpr ParameterText kBinStrategyTexts[] = {
    {BinningEnum::kEQUIDEPTH, U"EQUIDEPTH"},
    {BinningEnum::kEQUIWIDTH, U""},
};

// What BIN and WIDTH_BUCKET return.
constexpr ParameterText kBinReturnTexts[] = {
    {OpExprBin::kNUMBER, U"NUMBER"},
    {OpExprBin::kRANGE, U"RANGE"},
    {OpExprBin::kRANGE_LOW, U"RANGE_LOW"},
    {OpExprBin::kRANGE_HIGH, U"RANGE_HIGH"},
};

// The text of code in table; null when the table has no row for it.
template <std::size_t N>
const std::u32string_view* FindParameterText(const ParameterText (&table)[N], int code) {
  for (const ParameterText& row : table) {
    if (row.code == code) return &row.text;
  }
  return nullptr;
}

std::u32string_view BinStrategyText(std::int32_t strategy) {
  const std::u32string_view* text = FindParameterText(kBinStrategyTexts, strategy);
  if (!text) VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "unknown bin bucketing strategy");
  return *text;
}

std::u32string_view BinReturnText(std::int32_t spec) {
  const std::u32string_view* text = FindParameterText(kBinReturnTexts, spec);
  if (!text) VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "unknown bin return kind");
  return *text;
}

}  // namespace

// ---- parameter texts ---------------------------------------------------------------

std::span<const ToPrettyStringVisitor::ParameterSpelling> pretty_detail::BinStrategySpellings() {
  return kBinStrategyTexts;
}
std::span<const ToPrettyStringVisitor::ParameterSpelling> pretty_detail::BinReturnSpellings() {
  return kBinReturnTexts;
}

std::span<const ToPrettyStringVisitor::ParameterSpelling> ToPrettyStringVisitor::TimeFieldSpellings() {
  return kTimeFieldTexts;
}
std::span<const ToPrettyStringVisitor::ParameterSpelling> ToPrettyStringVisitor::IntervalSpellings() {
  return kIntervalTexts;
}
std::span<const ToPrettyStringVisitor::ParameterSpelling> ToPrettyStringVisitor::TruthSpellings() {
  return kTruthTexts;
}

VXString ToPrettyStringVisitor::ChangeTSIToString(OpCode timeStampIntervalType) {
  const std::u32string_view* text = FindParameterText(kIntervalTexts, static_cast<int>(timeStampIntervalType));
  if (!text) VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "unknown timestamp interval");
  return VXString(*text);
}

VXString ToPrettyStringVisitor::ChangeTruthValueToString(OpCode truthValue) {
  const std::u32string_view* text = FindParameterText(kTruthTexts, static_cast<int>(truthValue));
  if (!text) VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "unknown truth value");
  return VXString(*text);
}

VXString ToPrettyStringVisitor::RestoreTimeField(AExpr::Iterator& context) {
  const std::u32string_view* text = FindParameterText(kTimeFieldTexts, IntAt(context));
  return text ? VXString(*text) : VXString();
}

// ---- CASE ------------------------------------------------------------------------------

void ToPrettyStringVisitor::WriteCaseArms(Operands& ops, const pretty_detail::OwnBodyWords& row) {
  // words: WHEN, THEN, ELSE, END
  const int n = ops.Left();
  for (int i = 0; i + 1 < n; i += 2) {
    Append(row.words[0]);
    RenderOperand(ops.Take());
    Append(row.words[1]);
    RenderOperand(ops.Take());
  }
  if (n % 2 != 0) {
    Append(row.words[2]);
    RenderOperand(ops.Take());
  }
  Append(row.words[3]);
}

void ToPrettyStringVisitor::Visit(OpExprCaseIf& token, AExpr::Iterator& opContext) {
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kCaseIf);
  Operands ops(token, opContext);
  Append(row.open);
  WriteCaseArms(ops, row);
}

void ToPrettyStringVisitor::Visit(OpExprCaseLookup& token, AExpr::Iterator& opContext) {
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kCaseLookup);
  Operands ops(token, opContext);
  Append(row.open);
  RenderOperand(ops.Take());
  WriteCaseArms(ops, row);
}

// ---- truth tests, date parts, timestamp arithmetic -------------------------------------

void ToPrettyStringVisitor::Visit(OpExprTruth& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  const AExpr::Iterator a = ops.Take();
  const VXString truth = ChangeTruthValueToString(static_cast<OpCode>(IntAt(ops.Take())));
  const int code = GetTokenTypeCode(a);
  const bool bWrap = code == kAnd || code == kOr || code == kNegation;
  if (bWrap) Append(U" (");
  RenderOperand(a);
  if (bWrap) Append(U")");
  Append(U" ");
  m_cumulativeStr += truth;
}

void ToPrettyStringVisitor::Visit(OpExprTMField1& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  AExpr::Iterator a = ops.Take();
  Append(U" ");
  m_cumulativeStr += RestoreTimeField(a);
  Append(U" ");
}

void ToPrettyStringVisitor::Visit(OpExprTMField2& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  AExpr::Iterator a = ops.Take();
  m_cumulativeStr += RestoreTimeField(a);
  Append(U"(");
  RenderOperand(ops.Take());
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprExtract& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  AExpr::Iterator a = ops.Take();
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kExtract);  // words: FROM
  Append(row.open);
  m_cumulativeStr += RestoreTimeField(a);
  Append(row.words[0]);
  RenderOperand(ops.Take());
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprFiscalExtract& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  AExpr::Iterator a = ops.Take();
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kFiscalExtract);  // words: FROM
  Append(row.open);
  m_cumulativeStr += RestoreTimeField(a);
  Append(row.words[0]);
  RenderJoined(ops, ops.Left(), U", ");
  Append(U")");
}

void ToPrettyStringVisitor::WriteTimeStampArithmetic(std::u32string_view open, OpExpr& op, AExpr::Iterator& opContext) {
  Operands ops(op, opContext);
  const VXString interval = ChangeTSIToString(static_cast<OpCode>(IntAt(ops.Take())));
  Append(open);
  m_cumulativeStr += interval;
  Append(U", ");
  RenderJoined(ops, ops.Left(), U", ");
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprTimeStampAdd& token, AExpr::Iterator& opContext) {
  WriteTimeStampArithmetic(pretty_detail::WordsOf(kTimeStampAdd).open, token, opContext);
}

void ToPrettyStringVisitor::Visit(OpExprTimeStampDiff& token, AExpr::Iterator& opContext) {
  WriteTimeStampArithmetic(pretty_detail::WordsOf(kTimeStampDiff).open, token, opContext);
}

// ---- ranking -----------------------------------------------------------------------------

void ToPrettyStringVisitor::Visit(OpExprMultiRank& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  const std::int64_t columns = IntAt(ops.Take());
  const std::int64_t partitions = IntAt(ops.Take());
  // The counts are data; they must account for every operand exactly.
  if (columns < 0 || partitions < 0 || 2 * columns + partitions != ops.Left()) {
    VXAssert::handleAssert(pretty_detail::kSrc, __LINE__, "2 + 2 * columns + partitions == operand count");
  }
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kMultiRank);  // words: ASC, BY
  Append(row.open);
  for (std::int64_t i = 0; i < columns; ++i) {
    if (i > 0) Append(U", ");
    RenderOperand(ops.Take());
    if (IntAt(ops.Take()) == OpExprMultiRank::kASC) Append(row.words[0]);
  }
  if (partitions > 0) {
    Append(row.words[1]);
    RenderJoined(ops, static_cast<int>(partitions), U", ");
  }
  Append(U")");
}

// ---- EVALUATE family ----------------------------------------------------------------------

namespace {
constexpr std::int32_t kUnknownDataType = 25;

// The type code held by the data-type operator at pos (its first operand).
std::int32_t DataTypeCodeAt(const AExpr::Iterator& pos) {
  OpExpr& dataType = OpCodeToken::Instance().GetOpExpr(pos);
  return IntAt(dataType.GetArgIterator(0, pos, INT_MAX));
}
}  // namespace

void ToPrettyStringVisitor::WriteEvaluate(const pretty_detail::OwnBodyWords& row, OpExpr& op,
                                          AExpr::Iterator& opContext) {
  // words: AS
  Operands ops(op, opContext);
  Append(row.open);
  RenderOperand(ops.Take());
  const AExpr::Iterator b = ops.Take();
  if (DataTypeCodeAt(b) != kUnknownDataType) {
    Append(row.words[0]);
    RenderOperand(b);
  }
  while (!ops.AtEnd()) {
    Append(U", ");
    RenderOperand(ops.Take());
  }
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprEvaluate& token, AExpr::Iterator& opContext) {
  WriteEvaluate(pretty_detail::WordsOf(kEvaluate), token, opContext);
}

void ToPrettyStringVisitor::Visit(OpExprEvaluateAggr& token, AExpr::Iterator& opContext) {
  WriteEvaluate(pretty_detail::WordsOf(kEvaluateAggr), token, opContext);
}

void ToPrettyStringVisitor::Visit(OpExprEvaluateAnalytic& token, AExpr::Iterator& opContext) {
  WriteEvaluate(pretty_detail::WordsOf(kEvaluateAnalytic), token, opContext);
}

void ToPrettyStringVisitor::Visit(OpExprJsonValue& token, AExpr::Iterator& opContext) {
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kJsonValue);  // words: AS
  Operands ops(token, opContext);
  Append(row.open);
  RenderJoined(ops, 2, U",");
  const AExpr::Iterator c = ops.Take();
  if (DataTypeCodeAt(c) != kUnknownDataType) {
    Append(row.words[0]);
    RenderOperand(c);
  }
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprEvaluateTableScript& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  // The script is handed to the database as it stands: no literal quotes.
  FlagScope bare(m_bWithoutSingleQuote, true);
  RenderOperand(ops.Take());
}

// ---- hierarchy predicates -------------------------------------------------------------------

void ToPrettyStringVisitor::WriteHierarchyDistance(std::u32string_view open, std::int32_t dummyDistance, OpExpr& op,
                                                   AExpr::Iterator& opContext) {
  Operands ops(op, opContext);
  Append(open);
  RenderJoined(ops, 2, U", ");
  const AExpr::Iterator c = ops.Take();
  // The distance operand holds a marker value when the user gave none.
  const bool bNoDistance = GetTokenTypeCode(c) == BaseToken::kInt && IntAt(c) == dummyDistance;
  if (!bNoDistance) {
    Append(U", ");
    RenderOperand(c);
  }
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprIsAncestor& token, AExpr::Iterator& opContext) {
  WriteHierarchyDistance(pretty_detail::WordsOf(kIsAncestor).open, OpExprIsAncestor::kDummyIntLiteral, token,
                         opContext);
}

void ToPrettyStringVisitor::Visit(OpExprIsDescendant& token, AExpr::Iterator& opContext) {
  WriteHierarchyDistance(pretty_detail::WordsOf(kIsDescendant).open, OpExprIsDescendant::kDummyIntLiteral, token,
                         opContext);
}

void ToPrettyStringVisitor::VisitHierarchyUtilAD(OpExpr& token, AExpr::Iterator& opContext, const VXString& funcName) {
  Operands ops(token, opContext);
  const std::int64_t n = ops.Count();
  const std::int64_t members = static_cast<std::uint32_t>(IntAt(ops.Take()));
  // After the count: the member, the m list members, and at most a distance.
  if (members > n - 2 || n - 2 - members > 1) {
    VXAssert::handleAssert(pretty_detail::kSrc, __LINE__, "list count + 2 <= operand count <= list count + 3");
  }
  Append(U" ");
  m_cumulativeStr += funcName;
  Append(U"(");
  RenderOperand(ops.Take());
  Append(U", (");
  RenderJoined(ops, static_cast<int>(members), U", ");
  Append(U")");
  if (members < n - 2) {
    Append(U", ");
    RenderOperand(ops.Take());
  }
  Append(U")");
}

void ToPrettyStringVisitor::VisitHierarchyUtilSPC(OpExpr& token, AExpr::Iterator& opContext, const VXString& funcName) {
  Operands ops(token, opContext);
  Append(U" ");
  m_cumulativeStr += funcName;
  Append(U"(");
  RenderOperand(ops.Take());
  Append(U", (");
  RenderJoined(ops, ops.Left(), U", ");
  Append(U"))");
}

void ToPrettyStringVisitor::Visit(OpExprIsAncestorList& token, AExpr::Iterator& opContext) {
  VisitHierarchyUtilAD(token, opContext, VXString(pretty_detail::WordsOf(kIsAncestorList).open));
}

void ToPrettyStringVisitor::Visit(OpExprIsDescendantList& token, AExpr::Iterator& opContext) {
  VisitHierarchyUtilAD(token, opContext, VXString(pretty_detail::WordsOf(kIsDescendantList).open));
}

void ToPrettyStringVisitor::Visit(OpExprIsParentList& token, AExpr::Iterator& opContext) {
  VisitHierarchyUtilSPC(token, opContext, VXString(pretty_detail::WordsOf(kIsParentList).open));
}

void ToPrettyStringVisitor::Visit(OpExprIsChildList& token, AExpr::Iterator& opContext) {
  VisitHierarchyUtilSPC(token, opContext, VXString(pretty_detail::WordsOf(kIsChildList).open));
}

void ToPrettyStringVisitor::Visit(OpExprIsSiblingList& token, AExpr::Iterator& opContext) {
  VisitHierarchyUtilSPC(token, opContext, VXString(pretty_detail::WordsOf(kIsSiblingList).open));
}

// ---- time series ----------------------------------------------------------------------------

void ToPrettyStringVisitor::Visit(OpExprAgo& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(pretty_detail::WordsOf(kAgo).open);
  RenderOperand(ops.Take());
  AExpr::Iterator level = ops.Take();
  // No level given: the id is null and the operand is left out.
  if (GetVoidID(level) != VoidID::NullID) {
    Append(U", ");
    RenderOperand(level);
  }
  Append(U", ");
  RenderOperand(ops.Take());
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprPeriodRolling& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(pretty_detail::WordsOf(kPeriodRolling).open);
  RenderOperand(ops.Take());
  Append(U", ");
  {
    FlagScope bare(m_bWithoutSingleQuote, true);
    RenderJoined(ops, 2, U", ");
  }
  const AExpr::Iterator d = ops.Take();
  const bool bNoGrain = GetTokenTypeCode(d) == BaseToken::kID && IDToken::Instance().GetObjID(d) == VoidID::NullID;
  if (!bNoGrain) {
    Append(U", ");
    RenderOperand(d);
  }
  Append(U")");
}

// ---- statistics ------------------------------------------------------------------------------

void ToPrettyStringVisitor::WriteCorrelation(const pretty_detail::OwnBodyWords& row, OpExpr& op,
                                             AExpr::Iterator& opContext) {
  // The separator before each operand after the first depends on its
  // position only; words: the separators before the second, third and
  // fourth operands; the partition columns after the fourth are joined by
  // commas.
  Operands ops(op, opContext);
  Append(row.open);
  while (!ops.AtEnd()) {
    const int i = ops.Index();
    if (i >= 1 && i < 4) Append(row.words[static_cast<std::size_t>(i - 1)]);
    // The partition list goes on after its first column.
    if (i >= 4) Append(U", ");
    RenderOperand(ops.Take());
  }
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprCorrelation& token, AExpr::Iterator& opContext) {
  WriteCorrelation(pretty_detail::WordsOf(kCorrelation), token, opContext);
}

void ToPrettyStringVisitor::Visit(OpExprCovariance& token, AExpr::Iterator& opContext) {
  WriteCorrelation(pretty_detail::WordsOf(kCovariance), token, opContext);
}

// ---- binning -----------------------------------------------------------------------------------

void ToPrettyStringVisitor::Visit(OpExprBin& token, AExpr::Iterator& opContext) {
  const AExpr::Iterator d = token.GetArgIterator(3, opContext, INT_MAX);
  const bool bAttribute = GetTokenTypeCode(d) == BaseToken::kInt && IntAt(d) == 0;
  // words: the attribute form's opening, by, where, into, bins, between,
  // returning
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kBin);
  Operands ops(token, opContext);
  Append(bAttribute ? row.words[0] : row.open);
  RenderOperand(ops.Take());
  // Clauses that render as NULL were not given; they are left out.
  const VXString by = RenderOperandToString(ops.Take());
  if (!MentionsNull(by)) {
    Append(row.words[1]);
    m_cumulativeStr += by;
  }
  const VXString where = RenderOperandToString(ops.Take());
  if (!MentionsNull(where)) {
    Append(row.words[2]);
    m_cumulativeStr += where;
  }
  if (bAttribute) {
    Append(U")");
    return;
  }
  Append(row.words[3]);
  RenderOperand(ops.Take());
  Append(BinStrategyText(IntAt(ops.Take())));
  Append(row.words[4]);
  VXString between = RenderOperandToString(ops.Take());
  if (!MentionsNull(between)) {
    BaseStringUtil::ReplacePatternInString(between, U" < ", U" and ");
    Append(row.words[5]);
    m_cumulativeStr += between;
  }
  Append(row.words[6]);
  Append(BinReturnText(IntAt(ops.Take())));
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprWidthBucket& token, AExpr::Iterator& opContext) {
  const pretty_detail::OwnBodyWords& row = pretty_detail::WordsOf(kWidthBucket);  // words: by
  Operands ops(token, opContext);
  Append(row.open);
  RenderOperand(ops.Take());
  Append(U", ");
  Append(BinReturnText(IntAt(ops.Take())));
  Append(U", ");
  RenderOperand(ops.Take());
  VXString range(U", ");
  range += RenderOperandToString(ops.Take());
  range += U", ";
  range += RenderOperandToString(ops.Take());
  if (!MentionsNull(range)) m_cumulativeStr += range;
  VXString by(row.words[0]);
  by += RenderOperandToString(ops.Take());
  if (!MentionsNull(by)) m_cumulativeStr += by;
  Append(U")");
}

// ---- the rest ------------------------------------------------------------------------------------

void ToPrettyStringVisitor::Visit(OpExprXSA& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(pretty_detail::WordsOf(kXSA).open);
  // The subject-area reference arrives as a string literal whose quotes were
  // doubled once more for each level of quoting it went through.
  VXString area = RenderOperandToString(ops.Take());
  if (area.find(U'.') == VXString::npos) {
    BaseStringUtil::ReplaceSubstring(area, U"''", U"'", false, false);
  } else {
    BaseStringUtil::ReplaceSubstring(area, U"'''", U"'", false, false);
    BaseStringUtil::ReplaceSubstring(area, U"''", U"'", false, false);
  }
  m_cumulativeStr += area;
  Append(U").");
  RenderOperand(ops.Take());
}

void ToPrettyStringVisitor::Visit(OpExprCastAsNull& token, AExpr::Iterator& opContext) {
  // The target type operands only matter to the query engine.
  Operands ops(token, opContext);
  RenderOperand(ops.Take());
}

void ToPrettyStringVisitor::Visit(OpExprRowID& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(pretty_detail::WordsOf(kRowID).open);
  const AExpr::Iterator a = ops.Take();
  if (GetTokenTypeCode(a) == BaseToken::kVXString) RenderOperand(a);
  Append(U")");
}
