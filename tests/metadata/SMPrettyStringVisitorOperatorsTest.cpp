// Every regular operator's exact text, blanks included: one table per form.
// Operands are integer literals 1, 2, 3, ... so each row shows where the
// literals of its operator stand.
#include "SMPrettyStringVisitorTestUtil.h"

using pretty_test::CheckRows;
using pretty_test::Render;
using pretty_test::Row;
using pretty_test::Show;

TEST(PrettyOperators, NoOperandForms) {
  static const Row kRows[] = {
      {U"ResultNull()", U" NULL "},
      {U"CurDate()", U" CURRENT_DATE "},
      {U"CountStar()", U" COUNT(*)"},
      {U"Parameter()", U"?"},
      {U"Pi()", U" PI()"},
      {U"Rand0()", U" RAND()"},
      {U"CurTimeODBC()", U" CURTIME()"},
      {U"Now()", U" NOW()"},
      {U"Database()", U" DATABASE()"},
      {U"User()", U" USER()"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, OneOperandFunctionForms) {
  static const Row kRows[] = {
      {U"Sum(1)", U" SUM(1)"},
      {U"UPlus(1)", U"+(1)"},
      {U"UMinus(1)", U"-(1)"},
      {U"Count(1)", U" COUNT(1)"},
      {U"Avg(1)", U" AVG(1)"},
      {U"Min(1)", U" MIN(1)"},
      {U"Max(1)", U" MAX(1)"},
      {U"NullIfNotUnique(1)", U" NULLIFNOTUNIQUE(1)"},
      {U"SumDis(1)", U" SUM(DISTINCT 1)"},
      {U"CountDis(1)", U" COUNT(DISTINCT 1)"},
      {U"AvgDis(1)", U" AVG(DISTINCT 1)"},
      {U"MinDis(1)", U" MIN(DISTINCT 1)"},
      {U"MaxDis(1)", U" MAX(DISTINCT 1)"},
      {U"CharLen(1)", U" CHAR_LENGTH(1)"},
      {U"OctLen(1)", U" OCTET_LENGTH(1)"},
      {U"BitLen(1)", U" BIT_LENGTH(1)"},
      {U"Range(1)", U" RANGE(1)"},
      {U"AvgAll(1)", U" AVGALL(1)"},
      {U"Rank(1)", U" RANK(1)"},
      {U"Percent(1)", U" PERCENT(1)"},
      {U"Percentl(1)", U" PERCENTILE(1)"},
      {U"FoldCanonical(1)", U" CANONICAL(1)"},
      {U"FoldUpper(1)", U" UPPER(1)"},
      {U"FoldLower(1)", U" LOWER(1)"},
      {U"Trim1(1)", U" TRIM(1)"},
      {U"TrimL1(1)", U" TRIM(LEADING FROM 1)"},
      {U"TrimT1(1)", U" TRIM(TRAILING FROM 1)"},
      {U"TrimB1(1)", U" TRIM(BOTH FROM 1)"},
      {U"CurTime(1)", U" CURRENT_TIME(1)"},
      {U"CurTimeStamp(1)", U" CURRENT_TIMESTAMP(1)"},
      {U"First(1)", U" FIRST(1)"},
      {U"FirstPeriod(1)", U" FIRST_PERIOD(1)"},
      {U"Last(1)", U" LAST(1)"},
      {U"LastPeriod(1)", U" LAST_PERIOD(1)"},
      {U"Ascii(1)", U" ASCII(1)"},
      {U"Char(1)", U" CHAR(1)"},
      {U"Lcase(1)", U" LCASE(1)"},
      {U"Length(1)", U" LENGTH(1)"},
      {U"Depth(1)", U" DEPTH(1)"},
      {U"LTrim(1)", U" LTRIM(1)"},
      {U"RTrim(1)", U" RTRIM(1)"},
      {U"Soundex(1)", U" SOUNDEX(1)"},
      {U"Space(1)", U" SPACE(1)"},
      {U"Ucase(1)", U" UCASE(1)"},
      {U"Abs(1)", U" ABS(1)"},
      {U"Acos(1)", U" ACOS(1)"},
      {U"Asin(1)", U" ASIN(1)"},
      {U"Atan(1)", U" ATAN(1)"},
      {U"Ceiling(1)", U" CEILING(1)"},
      {U"Cos(1)", U" COS(1)"},
      {U"Cot(1)", U" COT(1)"},
      {U"Degrees(1)", U" DEGREES(1)"},
      {U"Exp(1)", U" EXP(1)"},
      {U"Floor(1)", U" FLOOR(1)"},
      {U"Log(1)", U" LOG(1)"},
      {U"Log10(1)", U" LOG10(1)"},
      {U"NullAggDis(1)", U" NULLAGG(distinct 1)"},
      {U"Radians(1)", U" RADIANS(1)"},
      {U"Rand1(1)", U" RAND(1)"},
      {U"Sign(1)", U" SIGN(1)"},
      {U"Sin(1)", U" SIN(1)"},
      {U"Sqrt(1)", U" SQRT(1)"},
      {U"Tan(1)", U" TAN(1)"},
      {U"DayName(1)", U" DAYNAME(1)"},
      {U"DayOfMonth(1)", U" DAYOFMONTH(1)"},
      {U"DayOfWeek(1)", U" DAYOFWEEK(1)"},
      {U"MonthName(1)", U" MONTHNAME(1)"},
      {U"Aggregate(1)", U" AGGREGATE(1)"},
      {U"Median(1)", U" MEDIAN(1)"},
      {U"StdDev(1)", U" STDDEV_SAMP(1)"},
      {U"StdDevDis(1)", U" STDDEV_SAMP(DISTINCT 1)"},
      {U"StdDevPop(1)", U" STDDEV_POP(1)"},
      {U"StdDevPopDis(1)", U" STDDEV_POP(DISTINCT 1)"},
      {U"RSum(1)", U" RSUM(1)"},
      {U"RCount(1)", U" RCOUNT(1)"},
      {U"RMax(1)", U" RMAX(1)"},
      {U"RMin(1)", U" RMIN(1)"},
      {U"RptAvg(1)", U" REPORT_AVG(1)"},
      {U"RptCount(1)", U" REPORT_COUNT(1)"},
      {U"RptCountDis(1)", U" REPORT_COUNT(DISTINCT 1)"},
      {U"RptMax(1)", U" REPORT_MAX(1)"},
      {U"RptMin(1)", U" REPORT_MIN(1)"},
      {U"RptSum(1)", U" REPORT_SUM(1)"},
      {U"AggrExternal(1)", U" AGGR_EXTERNAL(1)"},
      {U"EvaluateAggrLogical(1)", U" EVALUATE_AGGR_LOGICAL(1)"},
      {U"ReportAggregate(1)", U" REPORT_AGGREGATE(1)"},
      {U"IsLeaf(1)", U" ISLEAF(1)"},
      {U"IsRoot(1)", U" ISROOT(1)"},
      {U"DescriptorIDOf(1)", U" DESCRIPTOR_IDOF(1)"},
      {U"IDOf(1)", U" IDOF(1)"},
      {U"Parent(1)", U" PARENT(1)"},
      {U"SortKey(1)", U" SORTKEY(1)"},
      {U"NoAggregate(1)", U" NOAGGREGATE(1)"},
      {U"Frequency(1)", U" FREQUENCY(1)"},
      {U"ListAgg(1)", U" LISTAGG(1)"},
      {U"ListAggDis(1)", U" LISTAGG(distinct 1)"},
      {U"NullAgg(1)", U" NULLAGG(1)"},
      {U"Negation(1)", U" NOT 1"},
      {U"Null(1)", U"1 IS NULL "},
      {U"InterQual1(1)", U" 1 "},
      {U"Exists(1)", U" EXISTS 1"},
      {U"PlaceHolder(1)", U" %1"},
      {U"DataTypeInterval(1)", U" INTERVAL 1"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, TwoOperandFunctionForms) {
  static const Row kRows[] = {
      {U"DimAvg(1,2)", U" DIMAVG(1, 2)"},
      {U"DimFirst(1,2)", U" DIMFIRST(1, 2)"},
      {U"DimLast(1,2)", U" DIMLAST(1, 2)"},
      {U"DimCount(1,2)", U" DIMCOUNT(1, 2)"},
      {U"TopN(1,2)", U" TOPN(1, 2)"},
      {U"BottomN(1,2)", U" BOTTOMN(1, 2)"},
      {U"Corr(1,2)", U" CORR(1, 2)"},
      {U"CorrAll(1,2)", U" CORRALL(1, 2)"},
      {U"Reg(1,2)", U" REG(1, 2)"},
      {U"RegAll(1,2)", U" REGALL(1, 2)"},
      {U"SubStr2(1,2)", U" SUBSTRING(1 FROM 2)"},
      {U"Conv(1,2)", U" CONVERT(1 USING 2)"},
      {U"Trans(1,2)", U" TRANSLATE(1 USING 2)"},
      {U"Trim2(1,2)", U" TRIM(1 FROM 2)"},
      {U"TrimL2(1,2)", U" TRIM(LEADING 1 FROM 2)"},
      {U"TrimT2(1,2)", U" TRIM(TRAILING 1 FROM 2)"},
      {U"TrimB2(1,2)", U" TRIM(BOTH 1 FROM 2)"},
      {U"InterPrim(1,2)", U" 1 2 "},
      {U"InterQual2(1,2)", U" 1 TO 2 "},
      {U"TMField22(1,2)", U" SECOND(1, 2)"},
      {U"MAvg(1,2)", U" MAVG(1, 2)"},
      {U"Cast(1,2)", U" CAST (1 AS2)"},
      {U"Concat(1,2)", U" CONCAT(1, 2)"},
      {U"Difference(1,2)", U" DIFFERENCE(1, 2)"},
      {U"Left(1,2)", U" LEFT(1, 2)"},
      {U"Locate2(1,2)", U" LOCATE(1, 2)"},
      {U"Repeat(1,2)", U" REPEAT(1, 2)"},
      {U"Right(1,2)", U" RIGHT(1, 2)"},
      {U"Atan2(1,2)", U" ATAN2(1, 2)"},
      {U"ExtractBit(1,2)", U" EXTRACTBIT(1, 2)"},
      {U"Mod(1,2)", U" MOD(1, 2)"},
      {U"Power(1,2)", U" POWER(1, 2)"},
      {U"Round(1,2)", U" ROUND(1, 2)"},
      {U"Truncate(1,2)", U" TRUNCATE(1, 2)"},
      {U"IfNull(1,2)", U" IFNULL(1, 2)"},
      {U"Position(1,2)", U" POSITION(1 IN 2)"},
      {U"NTile(1,2)", U" NTILE(1, 2)"},
      {U"MSum(1,2)", U" MSUM(1, 2)"},
      {U"IsParent(1,2)", U" ISPARENT(1, 2)"},
      {U"IsChild(1,2)", U" ISCHILD(1, 2)"},
      {U"IsSibling(1,2)", U" ISSIBLING(1, 2)"},
      {U"MemberReference(1,2)", U" Member(1, 2)"},
      {U"NullIf(1,2)", U" NULLIF(1, 2)"},
      {U"ToDateTime(1,2)", U" TO_DATETIME(1, 2)"},
      {U"AggrIf(1,2)", U" FILTER(1 USING 2)"},
      {U"ToDate(1,2)", U" TODATE(1, 2)"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, InfixForms) {
  static const Row kRows[] = {
      {U"Add(1,2)", U"1 + 2"},
      {U"Or(1,2)", U"1 OR 2"},
      {U"Equal(1,2)", U"1 = 2"},
      {U"NullsEqual(1,2)", U"1 NULLSEQUAL 2"},
      {U"NotEqual(1,2)", U"1 <> 2"},
      {U"Less(1,2)", U"1 < 2"},
      {U"Greater(1,2)", U"1 > 2"},
      {U"GreaterAndEqual(1,2)", U"1 >= 2"},
      {U"LessAndEqual(1,2)", U"1 <= 2"},
      {U"Like(1,2)", U"1 LIKE 2"},
      {U"Concatenate(1,2)", U"1 || 2"},
      {U"AnyNullsEqual(1,2)", U"1 NULLSEQUAL ANY 2"},
      {U"AnyLessThan(1,2)", U"1 <ANY 2"},
      {U"AnyLessEqual(1,2)", U"1 <=ANY 2"},
      {U"AnyGreaterThan(1,2)", U"1 >ANY 2"},
      {U"AnyGreaterEqual(1,2)", U"1 >=ANY 2"},
      {U"AnyNotEqual(1,2)", U"1 <>ANY 2"},
      {U"AllLessThan(1,2)", U"1 <ALL 2"},
      {U"AllLessEqual(1,2)", U"1 <=ALL 2"},
      {U"AllEqual(1,2)", U"1 =ALL 2"},
      {U"AllNullsEqual(1,2)", U"1 NULLSEQUAL ALL 2"},
      {U"AllGreaterThan(1,2)", U"1 >ALL 2"},
      {U"AllGreaterEqual(1,2)", U"1 >=ALL 2"},
      {U"Subtract(1,2)", U"1 - 2"},
      {U"Divide(1,2)", U"1 / 2"},
      {U"Multiply(1,2)", U"1 * 2"},
      {U"And(1,2)", U"1 AND 2"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, VariableLengthForms) {
  static const Row kRows[] = {
      {U"IndexCol(1,2,3)", U" INDEXCOL(1, 2, 3)"},
      {U"VariableReplace(1,2,3)", U" VARIABLE_REPLACE(1, 2, 3)"},
      {U"Lookup(1,2,3)", U" LOOKUP( DENSE 1, 2, 3)"},
      {U"LookupSparse(1,2,3)", U" LOOKUP( SPARSE 1, 2, 3)"},
      {U"CalculatedMember(1,2,3)", U" CalculatedMember(1, 2, 3)"},
      {U"EvaluateScriptListParameter(1,2,3)", U" (1, 2, 3)"},
      {U"EvaluateScript(1,2,3)", U" EVALUATESCRIPT(1, 2, 3)"},
      {U"Forecast(1,2,3)", U" FORECAST(1, 2, 3)"},
      {U"Cluster(1,2,3)", U" CLUSTER(1, 2, 3)"},
      {U"Outlier(1,2,3)", U" OUTLIER(1, 2, 3)"},
      {U"Regression(1,2,3)", U" REGR(1, 2, 3)"},
      {U"Coalesce(1,2,3)", U" COALESCE(1, 2, 3)"},
      {U"Trendline(1,2,3)", U" TRENDLINE(1, 2, 3)"},
      {U"TrendlineParameter(1,2,3)", U" (1, 2, 3)"},
      {U"TimeDimSeqNum(1,2,3)", U" TIMEDIMSEQNUM(1, 2, 3)"},
      {U"NLSSort(1,2,3)", U" NLSSort(1, 2, 3)"},
      {U"XSALookupParameter(1,2,3)", U" (1, 2, 3)"},
      {U"GroupByColumn(1,2,3)", U" GROUPBYCOLUMN(1, 2, 3)"},
      {U"GroupByLevel(1,2,3)", U" GROUPBYLEVEL(1, 2, 3)"},
      {U"AllValues(1,2,3)", U" ALL_VALUES(1, 2, 3)"},
      {U"EvaluatePredicate(1,2,3)", U" EVALUATE_PREDICATE(1, 2, 3)"},
      {U"XSALookup(1,2,3)", U" XSA_LOOKUP\t(1, 2, 3)"},
      {U"Insert(1,2,3,4)", U" INSERT(1, 2, 3, 4)"},
      {U"Locate3(1,2,3)", U" LOCATE(1, 2, 3)"},
      {U"Replace(1,2,3)", U" REPLACE(1, 2, 3)"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, FixedAndListForms) {
  static const Row kRows[] = {
      {U"Between(1,2,3)", U"1 BETWEEN 2 AND 3"},
      {U"LikeEscape(1,2,3)", U"1 LIKE 2 ESCAPE 3"},
      {U"SubStr3(1,2,3)", U" SUBSTRING(1 FROM 2 FOR 3)"},
      {U"Break(1,2,3)", U"1 BY 2, 3"},
      {U"BreakAt(1,2,3)", U"1 AT 2, 3"},
      {U"EvaluateWrapper(1,2,3)", U"1(2, 3)"},
      {U"In(1,2,3)", U"1 IN (2, 3)"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, VariableLengthFormsWithoutOperands) {
  static const Row kRows[] = {
      {U"Coalesce()", U" COALESCE()"},
      {U"XSALookup()", U" XSA_LOOKUP\t()"},
      {U"Lookup()", U" LOOKUP( DENSE )"},
      {U"GroupByColumn(7)", U" GROUPBYCOLUMN(7)"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, ListFormsWithOneOperand) {
  static const Row kRows[] = {
      {U"In(1,2)", U"1 IN (2)"},
      {U"In(1)", U"1 IN ()"},
      {U"Break(1)", U"1 BY "},
      {U"EvaluateWrapper(1)", U"1()"},
  };
  CheckRows(kRows);
}

// The only parentheses besides the literals: by the operand's operator.
TEST(PrettyOperators, ArithmeticAndLogicalParentheses) {
  static const Row kRows[] = {
      {U"Subtract(1,Add(2,3))", U"1 - (2 + 3)"},
      {U"Subtract(Subtract(1,2),3)", U"1 - 2 - 3"},
      {U"Subtract(1,Subtract(2,3))", U"1 - (2 - 3)"},
      {U"Subtract(1,Multiply(2,3))", U"1 - 2 * 3"},
      {U"Divide(1,Multiply(2,3))", U"1 / (2 * 3)"},
      {U"Divide(Multiply(1,2),3)", U"1 * 2 / 3"},
      {U"Divide(Divide(1,2),3)", U"(1 / 2) / 3"},
      {U"Divide(Add(1,2),Subtract(3,4))", U"(1 + 2) / (3 - 4)"},
      {U"Multiply(Add(1,2),Subtract(3,4))", U"(1 + 2) * (3 - 4)"},
      {U"Multiply(Divide(1,2),Multiply(3,4))", U"1 / 2 * 3 * 4"},
      {U"Add(Add(1,2),Subtract(3,4))", U"1 + 2 + 3 - 4"},
      {U"And(1,Or(2,3))", U"1 AND (2 OR 3)"},
      {U"And(Or(1,2),And(3,4))", U"(1 OR 2) AND 3 AND 4"},
      {U"Or(1,And(2,3))", U"1 OR 2 AND 3"},
      {U"Negation(And(1,2))", U" NOT (1 AND 2)"},
      {U"Negation(Or(1,2))", U" NOT (1 OR 2)"},
      {U"Negation(Equal(1,2))", U" NOT 1 = 2"},
      {U"Negation(Negation(1))", U" NOT  NOT 1"},
      {U"UMinus(Add(1,2))", U"-(1 + 2)"},
  };
  CheckRows(kRows);
}
