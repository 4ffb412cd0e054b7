// The regular operators: one row each, written by one routine. A row gives
// the operator's form and its literals, blanks included; the operands are
// written between them in stored order. The literals are the system's
// logical SQL spellings and must stay exactly as they are: other parts of
// the server compare rendered text.
//
// Forms (see OperatorSpelling): kNoOperand, kFunction1, kFunction2, kInfix
// and kVarList all write open, the operands joined by `between`, close;
// kHeaded writes open, the first operand, `between` (even when no operand
// follows), the remaining operands joined by `rest`, close. The arithmetic
// and logical operators wrap an operand in parentheses when its operator is
// in the row's wrap set; that is the only precedence handling there is.
#include <array>

#include "Metadata/SMPrettyStringVisitor.h"
#include "SMPrettyStringVisitorInternal.h"

using pretty_detail::Operands;
using Spelling = ToPrettyStringVisitor::OperatorSpelling;

namespace {

// Operators an operand may be wrapped for, one bit each.
constexpr std::array<int, 6> kParenCodes{kAdd, kSubtract, kDivide, kMultiply, kAnd, kOr};
constexpr unsigned char Bit(int code) {
  for (std::size_t i = 0; i < kParenCodes.size(); ++i) {
    if (kParenCodes[i] == code) return static_cast<unsigned char>(1u << i);
  }
  return 0;
}
constexpr unsigned char kWrapAS = Bit(kAdd) | Bit(kSubtract);
constexpr unsigned char kWrapASD = kWrapAS | Bit(kDivide);
constexpr unsigned char kWrapASDM = kWrapASD | Bit(kMultiply);
constexpr unsigned char kWrapO = Bit(kOr);
constexpr unsigned char kWrapAO = Bit(kAnd) | Bit(kOr);

// The op code of an operator class, from the one operator list.
template <class C>
struct CodeOf;
#define SMUTIL_PRETTY_CODE_OF(Class, Name, Code, Min, Max, Shape) \
  template <>                                                     \
  struct CodeOf<Class> {                                          \
    [[maybe_unused]] static constexpr OpCode value = k##Name;     \
  };
SMUTIL_OPEXPR_LIST(SMUTIL_PRETTY_CODE_OF)
#undef SMUTIL_PRETTY_CODE_OF

// X(Class, form, open, between, rest, close, wrap first, wrap others)
// clang-format off
#define SMUTIL_PRETTY_SPELLINGS(X) \
  X(OpExprResultNull, kNoOperand, U" NULL ", U"", U"", U"", 0, 0) \
  X(OpExprCurDate, kNoOperand, U" CURRENT_DATE ", U"", U"", U"", 0, 0) \
  X(OpExprCountStar, kNoOperand, U" COUNT(*)", U"", U"", U"", 0, 0) \
  X(OpExprParameter, kNoOperand, U"?", U"", U"", U"", 0, 0) \
  X(OpExprPi, kNoOperand, U" PI()", U"", U"", U"", 0, 0) \
  X(OpExprRand0, kNoOperand, U" RAND()", U"", U"", U"", 0, 0) \
  X(OpExprCurTimeODBC, kNoOperand, U" CURTIME()", U"", U"", U"", 0, 0) \
  X(OpExprNow, kNoOperand, U" NOW()", U"", U"", U"", 0, 0) \
  X(OpExprDatabase, kNoOperand, U" DATABASE()", U"", U"", U"", 0, 0) \
  X(OpExprUser, kNoOperand, U" USER()", U"", U"", U"", 0, 0) \
  X(OpExprSum, kFunction1, U" SUM(", U"", U"", U")", 0, 0) \
  X(OpExprUPlus, kFunction1, U"+(", U"", U"", U")", 0, 0) \
  X(OpExprUMinus, kFunction1, U"-(", U"", U"", U")", 0, 0) \
  X(OpExprCount, kFunction1, U" COUNT(", U"", U"", U")", 0, 0) \
  X(OpExprAvg, kFunction1, U" AVG(", U"", U"", U")", 0, 0) \
  X(OpExprMin, kFunction1, U" MIN(", U"", U"", U")", 0, 0) \
  X(OpExprMax, kFunction1, U" MAX(", U"", U"", U")", 0, 0) \
  X(OpExprNullIfNotUnique, kFunction1, U" NULLIFNOTUNIQUE(", U"", U"", U")", 0, 0) \
  X(OpExprSumDis, kFunction1, U" SUM(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprCountDis, kFunction1, U" COUNT(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprAvgDis, kFunction1, U" AVG(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprMinDis, kFunction1, U" MIN(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprMaxDis, kFunction1, U" MAX(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprCharLen, kFunction1, U" CHAR_LENGTH(", U"", U"", U")", 0, 0) \
  X(OpExprOctLen, kFunction1, U" OCTET_LENGTH(", U"", U"", U")", 0, 0) \
  X(OpExprBitLen, kFunction1, U" BIT_LENGTH(", U"", U"", U")", 0, 0) \
  X(OpExprRange, kFunction1, U" RANGE(", U"", U"", U")", 0, 0) \
  X(OpExprAvgAll, kFunction1, U" AVGALL(", U"", U"", U")", 0, 0) \
  X(OpExprRank, kFunction1, U" RANK(", U"", U"", U")", 0, 0) \
  X(OpExprPercent, kFunction1, U" PERCENT(", U"", U"", U")", 0, 0) \
  X(OpExprPercentl, kFunction1, U" PERCENTILE(", U"", U"", U")", 0, 0) \
  X(OpExprFoldCanonical, kFunction1, U" CANONICAL(", U"", U"", U")", 0, 0) \
  X(OpExprFoldUpper, kFunction1, U" UPPER(", U"", U"", U")", 0, 0) \
  X(OpExprFoldLower, kFunction1, U" LOWER(", U"", U"", U")", 0, 0) \
  X(OpExprTrim1, kFunction1, U" TRIM(", U"", U"", U")", 0, 0) \
  X(OpExprTrimL1, kFunction1, U" TRIM(LEADING FROM ", U"", U"", U")", 0, 0) \
  X(OpExprTrimT1, kFunction1, U" TRIM(TRAILING FROM ", U"", U"", U")", 0, 0) \
  X(OpExprTrimB1, kFunction1, U" TRIM(BOTH FROM ", U"", U"", U")", 0, 0) \
  X(OpExprCurTime, kFunction1, U" CURRENT_TIME(", U"", U"", U")", 0, 0) \
  X(OpExprCurTimeStamp, kFunction1, U" CURRENT_TIMESTAMP(", U"", U"", U")", 0, 0) \
  X(OpExprFirst, kFunction1, U" FIRST(", U"", U"", U")", 0, 0) \
  X(OpExprFirstPeriod, kFunction1, U" FIRST_PERIOD(", U"", U"", U")", 0, 0) \
  X(OpExprLast, kFunction1, U" LAST(", U"", U"", U")", 0, 0) \
  X(OpExprLastPeriod, kFunction1, U" LAST_PERIOD(", U"", U"", U")", 0, 0) \
  X(OpExprAscii, kFunction1, U" ASCII(", U"", U"", U")", 0, 0) \
  X(OpExprChar, kFunction1, U" CHAR(", U"", U"", U")", 0, 0) \
  X(OpExprLcase, kFunction1, U" LCASE(", U"", U"", U")", 0, 0) \
  X(OpExprLength, kFunction1, U" LENGTH(", U"", U"", U")", 0, 0) \
  X(OpExprDepth, kFunction1, U" DEPTH(", U"", U"", U")", 0, 0) \
  X(OpExprLTrim, kFunction1, U" LTRIM(", U"", U"", U")", 0, 0) \
  X(OpExprRTrim, kFunction1, U" RTRIM(", U"", U"", U")", 0, 0) \
  X(OpExprSoundex, kFunction1, U" SOUNDEX(", U"", U"", U")", 0, 0) \
  X(OpExprSpace, kFunction1, U" SPACE(", U"", U"", U")", 0, 0) \
  X(OpExprUcase, kFunction1, U" UCASE(", U"", U"", U")", 0, 0) \
  X(OpExprAbs, kFunction1, U" ABS(", U"", U"", U")", 0, 0) \
  X(OpExprAcos, kFunction1, U" ACOS(", U"", U"", U")", 0, 0) \
  X(OpExprAsin, kFunction1, U" ASIN(", U"", U"", U")", 0, 0) \
  X(OpExprAtan, kFunction1, U" ATAN(", U"", U"", U")", 0, 0) \
  X(OpExprCeiling, kFunction1, U" CEILING(", U"", U"", U")", 0, 0) \
  X(OpExprCos, kFunction1, U" COS(", U"", U"", U")", 0, 0) \
  X(OpExprCot, kFunction1, U" COT(", U"", U"", U")", 0, 0) \
  X(OpExprDegrees, kFunction1, U" DEGREES(", U"", U"", U")", 0, 0) \
  X(OpExprExp, kFunction1, U" EXP(", U"", U"", U")", 0, 0) \
  X(OpExprFloor, kFunction1, U" FLOOR(", U"", U"", U")", 0, 0) \
  X(OpExprLog, kFunction1, U" LOG(", U"", U"", U")", 0, 0) \
  X(OpExprLog10, kFunction1, U" LOG10(", U"", U"", U")", 0, 0) \
  X(OpExprNullAggDis, kFunction1, U" NULLAGG(distinct ", U"", U"", U")", 0, 0) \
  X(OpExprRadians, kFunction1, U" RADIANS(", U"", U"", U")", 0, 0) \
  X(OpExprRand1, kFunction1, U" RAND(", U"", U"", U")", 0, 0) \
  X(OpExprSign, kFunction1, U" SIGN(", U"", U"", U")", 0, 0) \
  X(OpExprSin, kFunction1, U" SIN(", U"", U"", U")", 0, 0) \
  X(OpExprSqrt, kFunction1, U" SQRT(", U"", U"", U")", 0, 0) \
  X(OpExprTan, kFunction1, U" TAN(", U"", U"", U")", 0, 0) \
  X(OpExprDayName, kFunction1, U" DAYNAME(", U"", U"", U")", 0, 0) \
  X(OpExprDayOfMonth, kFunction1, U" DAYOFMONTH(", U"", U"", U")", 0, 0) \
  X(OpExprDayOfWeek, kFunction1, U" DAYOFWEEK(", U"", U"", U")", 0, 0) \
  X(OpExprMonthName, kFunction1, U" MONTHNAME(", U"", U"", U")", 0, 0) \
  X(OpExprAggregate, kFunction1, U" AGGREGATE(", U"", U"", U")", 0, 0) \
  X(OpExprMedian, kFunction1, U" MEDIAN(", U"", U"", U")", 0, 0) \
  X(OpExprStdDev, kFunction1, U" STDDEV_SAMP(", U"", U"", U")", 0, 0) \
  X(OpExprStdDevDis, kFunction1, U" STDDEV_SAMP(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprStdDevPop, kFunction1, U" STDDEV_POP(", U"", U"", U")", 0, 0) \
  X(OpExprStdDevPopDis, kFunction1, U" STDDEV_POP(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprRSum, kFunction1, U" RSUM(", U"", U"", U")", 0, 0) \
  X(OpExprRCount, kFunction1, U" RCOUNT(", U"", U"", U")", 0, 0) \
  X(OpExprRMax, kFunction1, U" RMAX(", U"", U"", U")", 0, 0) \
  X(OpExprRMin, kFunction1, U" RMIN(", U"", U"", U")", 0, 0) \
  X(OpExprRptAvg, kFunction1, U" REPORT_AVG(", U"", U"", U")", 0, 0) \
  X(OpExprRptCount, kFunction1, U" REPORT_COUNT(", U"", U"", U")", 0, 0) \
  X(OpExprRptCountDis, kFunction1, U" REPORT_COUNT(DISTINCT ", U"", U"", U")", 0, 0) \
  X(OpExprRptMax, kFunction1, U" REPORT_MAX(", U"", U"", U")", 0, 0) \
  X(OpExprRptMin, kFunction1, U" REPORT_MIN(", U"", U"", U")", 0, 0) \
  X(OpExprRptSum, kFunction1, U" REPORT_SUM(", U"", U"", U")", 0, 0) \
  X(OpExprAggrExternal, kFunction1, U" AGGR_EXTERNAL(", U"", U"", U")", 0, 0) \
  X(OpExprEvaluateAggrLogical, kFunction1, U" EVALUATE_AGGR_LOGICAL(", U"", U"", U")", 0, 0) \
  X(OpExprReportAggregate, kFunction1, U" REPORT_AGGREGATE(", U"", U"", U")", 0, 0) \
  X(OpExprIsLeaf, kFunction1, U" ISLEAF(", U"", U"", U")", 0, 0) \
  X(OpExprIsRoot, kFunction1, U" ISROOT(", U"", U"", U")", 0, 0) \
  X(OpExprDescriptorIDOf, kFunction1, U" DESCRIPTOR_IDOF(", U"", U"", U")", 0, 0) \
  X(OpExprIDOf, kFunction1, U" IDOF(", U"", U"", U")", 0, 0) \
  X(OpExprParent, kFunction1, U" PARENT(", U"", U"", U")", 0, 0) \
  X(OpExprSortKey, kFunction1, U" SORTKEY(", U"", U"", U")", 0, 0) \
  X(OpExprNoAggregate, kFunction1, U" NOAGGREGATE(", U"", U"", U")", 0, 0) \
  X(OpExprFrequency, kFunction1, U" FREQUENCY(", U"", U"", U")", 0, 0) \
  X(OpExprListAgg, kFunction1, U" LISTAGG(", U"", U"", U")", 0, 0) \
  X(OpExprListAggDis, kFunction1, U" LISTAGG(distinct ", U"", U"", U")", 0, 0) \
  X(OpExprNullAgg, kFunction1, U" NULLAGG(", U"", U"", U")", 0, 0) \
  X(OpExprDimAvg, kFunction2, U" DIMAVG(", U", ", U"", U")", 0, 0) \
  X(OpExprDimFirst, kFunction2, U" DIMFIRST(", U", ", U"", U")", 0, 0) \
  X(OpExprDimLast, kFunction2, U" DIMLAST(", U", ", U"", U")", 0, 0) \
  X(OpExprDimCount, kFunction2, U" DIMCOUNT(", U", ", U"", U")", 0, 0) \
  X(OpExprTopN, kFunction2, U" TOPN(", U", ", U"", U")", 0, 0) \
  X(OpExprBottomN, kFunction2, U" BOTTOMN(", U", ", U"", U")", 0, 0) \
  X(OpExprCorr, kFunction2, U" CORR(", U", ", U"", U")", 0, 0) \
  X(OpExprCorrAll, kFunction2, U" CORRALL(", U", ", U"", U")", 0, 0) \
  X(OpExprReg, kFunction2, U" REG(", U", ", U"", U")", 0, 0) \
  X(OpExprRegAll, kFunction2, U" REGALL(", U", ", U"", U")", 0, 0) \
  X(OpExprSubStr2, kFunction2, U" SUBSTRING(", U" FROM ", U"", U")", 0, 0) \
  X(OpExprConv, kFunction2, U" CONVERT(", U" USING ", U"", U")", 0, 0) \
  X(OpExprTrans, kFunction2, U" TRANSLATE(", U" USING ", U"", U")", 0, 0) \
  X(OpExprTrim2, kFunction2, U" TRIM(", U" FROM ", U"", U")", 0, 0) \
  X(OpExprTrimL2, kFunction2, U" TRIM(LEADING ", U" FROM ", U"", U")", 0, 0) \
  X(OpExprTrimT2, kFunction2, U" TRIM(TRAILING ", U" FROM ", U"", U")", 0, 0) \
  X(OpExprTrimB2, kFunction2, U" TRIM(BOTH ", U" FROM ", U"", U")", 0, 0) \
  X(OpExprInterPrim, kFunction2, U" ", U" ", U"", U" ", 0, 0) \
  X(OpExprInterQual2, kFunction2, U" ", U" TO ", U"", U" ", 0, 0) \
  X(OpExprTMField22, kFunction2, U" SECOND(", U", ", U"", U")", 0, 0) \
  X(OpExprMAvg, kFunction2, U" MAVG(", U", ", U"", U")", 0, 0) \
  X(OpExprCast, kFunction2, U" CAST (", U" AS", U"", U")", 0, 0) \
  X(OpExprConcat, kFunction2, U" CONCAT(", U", ", U"", U")", 0, 0) \
  X(OpExprDifference, kFunction2, U" DIFFERENCE(", U", ", U"", U")", 0, 0) \
  X(OpExprLeft, kFunction2, U" LEFT(", U", ", U"", U")", 0, 0) \
  X(OpExprLocate2, kFunction2, U" LOCATE(", U", ", U"", U")", 0, 0) \
  X(OpExprRepeat, kFunction2, U" REPEAT(", U", ", U"", U")", 0, 0) \
  X(OpExprRight, kFunction2, U" RIGHT(", U", ", U"", U")", 0, 0) \
  X(OpExprAtan2, kFunction2, U" ATAN2(", U", ", U"", U")", 0, 0) \
  X(OpExprExtractBit, kFunction2, U" EXTRACTBIT(", U", ", U"", U")", 0, 0) \
  X(OpExprMod, kFunction2, U" MOD(", U", ", U"", U")", 0, 0) \
  X(OpExprPower, kFunction2, U" POWER(", U", ", U"", U")", 0, 0) \
  X(OpExprRound, kFunction2, U" ROUND(", U", ", U"", U")", 0, 0) \
  X(OpExprTruncate, kFunction2, U" TRUNCATE(", U", ", U"", U")", 0, 0) \
  X(OpExprIfNull, kFunction2, U" IFNULL(", U", ", U"", U")", 0, 0) \
  X(OpExprPosition, kFunction2, U" POSITION(", U" IN ", U"", U")", 0, 0) \
  X(OpExprNTile, kFunction2, U" NTILE(", U", ", U"", U")", 0, 0) \
  X(OpExprMSum, kFunction2, U" MSUM(", U", ", U"", U")", 0, 0) \
  X(OpExprIsParent, kFunction2, U" ISPARENT(", U", ", U"", U")", 0, 0) \
  X(OpExprIsChild, kFunction2, U" ISCHILD(", U", ", U"", U")", 0, 0) \
  X(OpExprIsSibling, kFunction2, U" ISSIBLING(", U", ", U"", U")", 0, 0) \
  X(OpExprMemberReference, kFunction2, U" Member(", U", ", U"", U")", 0, 0) \
  X(OpExprNullIf, kFunction2, U" NULLIF(", U", ", U"", U")", 0, 0) \
  X(OpExprToDateTime, kFunction2, U" TO_DATETIME(", U", ", U"", U")", 0, 0) \
  X(OpExprAggrIf, kFunction2, U" FILTER(", U" USING ", U"", U")", 0, 0) \
  X(OpExprToDate, kFunction2, U" TODATE(", U", ", U"", U")", 0, 0) \
  X(OpExprAdd, kInfix, U"", U" + ", U"", U"", 0, 0) \
  X(OpExprOr, kInfix, U"", U" OR ", U"", U"", 0, 0) \
  X(OpExprEqual, kInfix, U"", U" = ", U"", U"", 0, 0) \
  X(OpExprNullsEqual, kInfix, U"", U" NULLSEQUAL ", U"", U"", 0, 0) \
  X(OpExprNotEqual, kInfix, U"", U" <> ", U"", U"", 0, 0) \
  X(OpExprLess, kInfix, U"", U" < ", U"", U"", 0, 0) \
  X(OpExprGreater, kInfix, U"", U" > ", U"", U"", 0, 0) \
  X(OpExprGreaterAndEqual, kInfix, U"", U" >= ", U"", U"", 0, 0) \
  X(OpExprLessAndEqual, kInfix, U"", U" <= ", U"", U"", 0, 0) \
  X(OpExprLike, kInfix, U"", U" LIKE ", U"", U"", 0, 0) \
  X(OpExprConcatenate, kInfix, U"", U" || ", U"", U"", 0, 0) \
  X(OpExprAnyNullsEqual, kInfix, U"", U" NULLSEQUAL ANY ", U"", U"", 0, 0) \
  X(OpExprAnyLessThan, kInfix, U"", U" <ANY ", U"", U"", 0, 0) \
  X(OpExprAnyLessEqual, kInfix, U"", U" <=ANY ", U"", U"", 0, 0) \
  X(OpExprAnyGreaterThan, kInfix, U"", U" >ANY ", U"", U"", 0, 0) \
  X(OpExprAnyGreaterEqual, kInfix, U"", U" >=ANY ", U"", U"", 0, 0) \
  X(OpExprAnyNotEqual, kInfix, U"", U" <>ANY ", U"", U"", 0, 0) \
  X(OpExprAllLessThan, kInfix, U"", U" <ALL ", U"", U"", 0, 0) \
  X(OpExprAllLessEqual, kInfix, U"", U" <=ALL ", U"", U"", 0, 0) \
  X(OpExprAllEqual, kInfix, U"", U" =ALL ", U"", U"", 0, 0) \
  X(OpExprAllNullsEqual, kInfix, U"", U" NULLSEQUAL ALL ", U"", U"", 0, 0) \
  X(OpExprAllGreaterThan, kInfix, U"", U" >ALL ", U"", U"", 0, 0) \
  X(OpExprAllGreaterEqual, kInfix, U"", U" >=ALL ", U"", U"", 0, 0) \
  X(OpExprIndexCol, kVarList, U" INDEXCOL(", U", ", U"", U")", 0, 0) \
  X(OpExprVariableReplace, kVarList, U" VARIABLE_REPLACE(", U", ", U"", U")", 0, 0) \
  X(OpExprLookup, kVarList, U" LOOKUP( DENSE ", U", ", U"", U")", 0, 0) \
  X(OpExprLookupSparse, kVarList, U" LOOKUP( SPARSE ", U", ", U"", U")", 0, 0) \
  X(OpExprCalculatedMember, kVarList, U" CalculatedMember(", U", ", U"", U")", 0, 0) \
  X(OpExprEvaluateScriptListParameter, kVarList, U" (", U", ", U"", U")", 0, 0) \
  X(OpExprEvaluateScript, kVarList, U" EVALUATESCRIPT(", U", ", U"", U")", 0, 0) \
  X(OpExprForecast, kVarList, U" FORECAST(", U", ", U"", U")", 0, 0) \
  X(OpExprCluster, kVarList, U" CLUSTER(", U", ", U"", U")", 0, 0) \
  X(OpExprOutlier, kVarList, U" OUTLIER(", U", ", U"", U")", 0, 0) \
  X(OpExprRegression, kVarList, U" REGR(", U", ", U"", U")", 0, 0) \
  X(OpExprCoalesce, kVarList, U" COALESCE(", U", ", U"", U")", 0, 0) \
  X(OpExprTrendline, kVarList, U" TRENDLINE(", U", ", U"", U")", 0, 0) \
  X(OpExprTrendlineParameter, kVarList, U" (", U", ", U"", U")", 0, 0) \
  X(OpExprTimeDimSeqNum, kVarList, U" TIMEDIMSEQNUM(", U", ", U"", U")", 0, 0) \
  X(OpExprNLSSort, kVarList, U" NLSSort(", U", ", U"", U")", 0, 0) \
  X(OpExprXSALookupParameter, kVarList, U" (", U", ", U"", U")", 0, 0) \
  X(OpExprGroupByColumn, kVarList, U" GROUPBYCOLUMN(", U", ", U"", U")", 0, 0) \
  X(OpExprGroupByLevel, kVarList, U" GROUPBYLEVEL(", U", ", U"", U")", 0, 0) \
  X(OpExprAllValues, kVarList, U" ALL_VALUES(", U", ", U"", U")", 0, 0) \
  X(OpExprEvaluatePredicate, kVarList, U" EVALUATE_PREDICATE(", U", ", U"", U")", 0, 0) \
  X(OpExprXSALookup, kVarList, U" XSA_LOOKUP\t(", U", ", U"", U")", 0, 0) \
  X(OpExprSubtract, kInfix, U"", U" - ", U"", U"", 0, kWrapAS) \
  X(OpExprDivide, kInfix, U"", U" / ", U"", U"", kWrapASD, kWrapASDM) \
  X(OpExprMultiply, kInfix, U"", U" * ", U"", U"", kWrapAS, kWrapAS) \
  X(OpExprAnd, kInfix, U"", U" AND ", U"", U"", kWrapO, kWrapO) \
  X(OpExprNegation, kFunction1, U" NOT ", U"", U"", U"", kWrapAO, 0) \
  X(OpExprNull, kFunction1, U"", U"", U"", U" IS NULL ", 0, 0) \
  X(OpExprBetween, kHeaded, U"", U" BETWEEN ", U" AND ", U"", 0, 0) \
  X(OpExprLikeEscape, kHeaded, U"", U" LIKE ", U" ESCAPE ", U"", 0, 0) \
  X(OpExprSubStr3, kHeaded, U" SUBSTRING(", U" FROM ", U" FOR ", U")", 0, 0) \
  X(OpExprInsert, kVarList, U" INSERT(", U", ", U"", U")", 0, 0) \
  X(OpExprLocate3, kVarList, U" LOCATE(", U", ", U"", U")", 0, 0) \
  X(OpExprReplace, kVarList, U" REPLACE(", U", ", U"", U")", 0, 0) \
  X(OpExprInterQual1, kFunction1, U" ", U"", U"", U" ", 0, 0) \
  X(OpExprExists, kFunction1, U" EXISTS ", U"", U"", U"", 0, 0) \
  X(OpExprPlaceHolder, kFunction1, U" %", U"", U"", U"", 0, 0) \
  X(OpExprBreak, kHeaded, U"", U" BY ", U", ", U"", 0, 0) \
  X(OpExprBreakAt, kHeaded, U"", U" AT ", U", ", U"", 0, 0) \
  X(OpExprEvaluateWrapper, kHeaded, U"", U"(", U", ", U")", 0, 0) \
  X(OpExprIn, kHeaded, U"", U" IN (", U", ", U")", 0, 0) \
  /* An interval type is the keyword and its one qualifier; no parentheses */ \
  /* are opened, so none is closed. */                                         \
  X(OpExprDataTypeInterval, kFunction1, U" INTERVAL ", U"", U"", U"", 0, 0)
// clang-format on

#define SMUTIL_PRETTY_ROW(Class, Form, Open, Between, Rest, Close, WrapFirst, WrapOther) \
  constexpr Spelling kRow_##Class{                                                       \
      CodeOf<Class>::value, Spelling::Form, Open, Between, Rest, Close, WrapFirst, WrapOther};
SMUTIL_PRETTY_SPELLINGS(SMUTIL_PRETTY_ROW)
#undef SMUTIL_PRETTY_ROW

#define SMUTIL_PRETTY_ROW_ADDRESS(Class, ...) &kRow_##Class,
constexpr const Spelling* kRows[] = {SMUTIL_PRETTY_SPELLINGS(SMUTIL_PRETTY_ROW_ADDRESS)};
#undef SMUTIL_PRETTY_ROW_ADDRESS

// Rows by op code, built by the compiler.
constexpr auto kRowsByCode = [] {
  std::array<const Spelling*, kLastOpCode - kFirstOpCode + 1> byCode{};
  for (const Spelling* row : kRows) byCode[row->code - kFirstOpCode] = row;
  return byCode;
}();

int CodeAt(const AExpr::Iterator& pos) { return GetTokenTypeCode(pos); }

// The operators with bodies of their own (SMPrettyStringVisitorIrregular.cpp)
// take their words from here: X(Class, opening, keywords in the order the
// body uses them).
// clang-format off
#define SMUTIL_PRETTY_OWN_BODIES(X) \
  X(OpExprCaseIf, U" CASE ", U" WHEN ", U" THEN ", U" ELSE ", U" END ") \
  X(OpExprCaseLookup, U" CASE ", U" WHEN ", U" THEN ", U" ELSE ", U" END ") \
  X(OpExprExtract, U" EXTRACT(", U" FROM ") \
  X(OpExprFiscalExtract, U" FISCAL_EXTRACT(", U" FROM ") \
  X(OpExprTimeStampAdd, U" TIMESTAMPADD(") \
  X(OpExprTimeStampDiff, U" TIMESTAMPDIFF(") \
  X(OpExprMultiRank, U" RANK(", U" ASC", U" BY ") \
  X(OpExprEvaluate, U" EVALUATE(", U" AS ") \
  X(OpExprEvaluateAggr, U" EVALUATE_AGGR(", U" AS ") \
  X(OpExprEvaluateAnalytic, U" EVALUATE_ANALYTIC(", U" AS ") \
  X(OpExprJsonValue, U"JSON_VALUE(", U" AS ") \
  X(OpExprIsAncestor, U" ISANCESTOR(") \
  X(OpExprIsDescendant, U" ISDESCENDANT(") \
  X(OpExprIsAncestorList, U"ISANCESTOR") \
  X(OpExprIsDescendantList, U"ISDESCENDANT") \
  X(OpExprIsParentList, U"ISPARENT") \
  X(OpExprIsChildList, U"ISCHILD") \
  X(OpExprIsSiblingList, U"ISSIBLING") \
  X(OpExprAgo, U" AGO(") \
  X(OpExprPeriodRolling, U" PeriodRolling(") \
  X(OpExprCorrelation, U" CORN(", U", ", U" AtGrain ", U" Partition By ") \
  X(OpExprCovariance, U" COVA(", U", ", U" AtGrain ", U" Partition By ") \
  X(OpExprBin, U" BIN(", U" ATTRIBUTE(", U" by ", U" where ", U" into ", U" bins", U" between ", U" returning ") \
  X(OpExprWidthBucket, U" WIDTH_BUCKET(", U" by ") \
  X(OpExprXSA, U"XSA(") \
  X(OpExprRowID, U" ROWID(")
// clang-format on

#define SMUTIL_PRETTY_OWN_ROW(Class, Open, ...) pretty_detail::OwnBodyWords{CodeOf<Class>::value, Open, {__VA_ARGS__}},
constexpr pretty_detail::OwnBodyWords kOwnBodyRows[] = {SMUTIL_PRETTY_OWN_BODIES(SMUTIL_PRETTY_OWN_ROW)};
#undef SMUTIL_PRETTY_OWN_ROW

}  // namespace

const Spelling* ToPrettyStringVisitor::FindOperatorSpelling(int code) {
  if (code < kFirstOpCode || code > kLastOpCode) return nullptr;
  return kRowsByCode[code - kFirstOpCode];
}

std::span<const Spelling* const> ToPrettyStringVisitor::OperatorSpellings() { return kRows; }

const ToPrettyStringVisitor::OwnBodySpelling* ToPrettyStringVisitor::FindOwnBodySpelling(int code) {
  static const auto index = [] {
    std::array<const OwnBodySpelling*, kLastOpCode - kFirstOpCode + 1> byCode{};
    for (const OwnBodySpelling& row : kOwnBodyRows) byCode[row.code - kFirstOpCode] = &row;
    return byCode;
  }();
  return code >= kFirstOpCode && code <= kLastOpCode ? index[code - kFirstOpCode] : nullptr;
}

const pretty_detail::OwnBodyWords& pretty_detail::WordsOf(int code) {
  const OwnBodyWords* row = ToPrettyStringVisitor::FindOwnBodySpelling(code);
  if (!row) VXAssert::handleLogicError(kSrc, __LINE__, "an operator with a body of its own has a row of words");
  return *row;
}

void ToPrettyStringVisitor::RenderWrapped(const AExpr::Iterator& pos, unsigned char mask) {
  if (mask == 0 || (Bit(CodeAt(pos)) & mask) == 0) {
    RenderOperand(pos);
    return;
  }
  Append(U"(");
  RenderOperand(pos);
  Append(U")");
}

void ToPrettyStringVisitor::WriteSpelled(const Spelling& row, AExpr::Iterator& opContext) {
  Operands ops(opContext);
  Append(row.open);
  if (row.form == Spelling::kHeaded) {
    RenderWrapped(ops.Take(), row.wrapFirst);
    Append(row.between);
    RenderJoined(ops, ops.Left(), row.rest);
  } else {
    for (int i = 0; !ops.AtEnd(); ++i) {
      if (i > 0) Append(row.between);
      RenderWrapped(ops.Take(), i == 0 ? row.wrapFirst : row.wrapOther);
    }
  }
  Append(row.close);
}

#define SMUTIL_PRETTY_VISIT(Class, ...) \
  void ToPrettyStringVisitor::Visit(Class&, AExpr::Iterator& opContext) { WriteSpelled(kRow_##Class, opContext); }
SMUTIL_PRETTY_SPELLINGS(SMUTIL_PRETTY_VISIT)
#undef SMUTIL_PRETTY_VISIT
