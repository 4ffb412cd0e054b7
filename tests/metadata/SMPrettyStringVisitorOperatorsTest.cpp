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
      {U"ResultNull()", U" NULL "}, {U"CurDate()", U" CURRENT_DATE "}, {U"CountStar()", U" COUNT(*)"},
      {U"Parameter()", U"?"},       {U"Rand0()", U" RAND()"},          {U"CurTimeODBC()", U" CURTIME()"},
  };
  CheckRows(kRows);
}

TEST(PrettyOperators, OneOperandFunctionForms) {
  static const Row kRows[] = {
      {U"UPlus(1)", U"+(1)"},
      {U"UMinus(1)", U"-(1)"},
      {U"SumDis(1)", U" SUM(DISTINCT 1)"},
      {U"CountDis(1)", U" COUNT(DISTINCT 1)"},
      {U"AvgDis(1)", U" AVG(DISTINCT 1)"},
      {U"MinDis(1)", U" MIN(DISTINCT 1)"},
      {U"MaxDis(1)", U" MAX(DISTINCT 1)"},
      {U"CharLen(1)", U" CHAR_LENGTH(1)"},
      {U"OctLen(1)", U" OCTET_LENGTH(1)"},
      {U"BitLen(1)", U" BIT_LENGTH(1)"},
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
      {U"FirstPeriod(1)", U" FIRST_PERIOD(1)"},
      {U"LastPeriod(1)", U" LAST_PERIOD(1)"},
      {U"NullAggDis(1)", U" NULLAGG(distinct 1)"},
      {U"Rand1(1)", U" RAND(1)"},
      {U"StdDev(1)", U" STDDEV_SAMP(1)"},
      {U"StdDevDis(1)", U" STDDEV_SAMP(DISTINCT 1)"},
      {U"StdDevPop(1)", U" STDDEV_POP(1)"},
      {U"StdDevPopDis(1)", U" STDDEV_POP(DISTINCT 1)"},
      {U"RptAvg(1)", U" REPORT_AVG(1)"},
      {U"RptCount(1)", U" REPORT_COUNT(1)"},
      {U"RptCountDis(1)", U" REPORT_COUNT(DISTINCT 1)"},
      {U"RptMax(1)", U" REPORT_MAX(1)"},
      {U"RptMin(1)", U" REPORT_MIN(1)"},
      {U"RptSum(1)", U" REPORT_SUM(1)"},
      {U"AggrExternal(1)", U" AGGR_EXTERNAL(1)"},
      {U"EvaluateAggrLogical(1)", U" EVALUATE_AGGR_LOGICAL(1)"},
      {U"ReportAggregate(1)", U" REPORT_AGGREGATE(1)"},
      {U"DescriptorIDOf(1)", U" DESCRIPTOR_IDOF(1)"},
      {U"ListAggDis(1)", U" LISTAGG(distinct 1)"},
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
      {U"Cast(1,2)", U" CAST (1 AS2)"},
      {U"Locate2(1,2)", U" LOCATE(1, 2)"},
      {U"Position(1,2)", U" POSITION(1 IN 2)"},
      {U"MemberReference(1,2)", U" Member(1, 2)"},
      {U"ToDateTime(1,2)", U" TO_DATETIME(1, 2)"},
      {U"AggrIf(1,2)", U" FILTER(1 USING 2)"},
  };
  CheckRows(kRows);
}

// Infix operators: {"Add", "+"} is Add(1,2) written "1 + 2".
TEST(PrettyOperators, InfixForms) {
  struct Infix {
    const char32_t* name;
    const char32_t* symbol;
  };
  static const Infix kInfix[] = {
      {U"Add", U"+"},
      {U"Or", U"OR"},
      {U"Equal", U"="},
      {U"NullsEqual", U"NULLSEQUAL"},
      {U"NotEqual", U"<>"},
      {U"Less", U"<"},
      {U"Greater", U">"},
      {U"GreaterAndEqual", U">="},
      {U"LessAndEqual", U"<="},
      {U"Like", U"LIKE"},
      {U"Concatenate", U"||"},
      {U"AnyNullsEqual", U"NULLSEQUAL ANY"},
      {U"AnyLessThan", U"<ANY"},
      {U"AnyLessEqual", U"<=ANY"},
      {U"AnyGreaterThan", U">ANY"},
      {U"AnyGreaterEqual", U">=ANY"},
      {U"AnyNotEqual", U"<>ANY"},
      {U"AllLessThan", U"<ALL"},
      {U"AllLessEqual", U"<=ALL"},
      {U"AllEqual", U"=ALL"},
      {U"AllNullsEqual", U"NULLSEQUAL ALL"},
      {U"AllGreaterThan", U">ALL"},
      {U"AllGreaterEqual", U">=ALL"},
      {U"Subtract", U"-"},
      {U"Divide", U"/"},
      {U"Multiply", U"*"},
      {U"And", U"AND"},
  };
  for (const Infix& op : kInfix) {
    const VXString text = VXString(op.name) + U"(1,2)";
    EXPECT_EQ(Show(Render(text)), Show(U"1 " + VXString(op.symbol) + U" 2")) << ToNarrow(text);
  }
}

TEST(PrettyOperators, VariableLengthForms) {
  static const Row kRows[] = {
      {U"VariableReplace(1,2,3)", U" VARIABLE_REPLACE(1, 2, 3)"},
      {U"Lookup(1,2,3)", U" LOOKUP( DENSE 1, 2, 3)"},
      {U"LookupSparse(1,2,3)", U" LOOKUP( SPARSE 1, 2, 3)"},
      {U"CalculatedMember(1,2,3)", U" CalculatedMember(1, 2, 3)"},
      {U"EvaluateScriptListParameter(1,2,3)", U" (1, 2, 3)"},
      {U"Regression(1,2,3)", U" REGR(1, 2, 3)"},
      {U"TrendlineParameter(1,2,3)", U" (1, 2, 3)"},
      {U"NLSSort(1,2,3)", U" NLSSort(1, 2, 3)"},
      {U"XSALookupParameter(1,2,3)", U" (1, 2, 3)"},
      {U"AllValues(1,2,3)", U" ALL_VALUES(1, 2, 3)"},
      {U"EvaluatePredicate(1,2,3)", U" EVALUATE_PREDICATE(1, 2, 3)"},
      {U"XSALookup(1,2,3)", U" XSA_LOOKUP\t(1, 2, 3)"},
      {U"Locate3(1,2,3)", U" LOCATE(1, 2, 3)"},
      // Fewer operands than usual.
      {U"XSALookup()", U" XSA_LOOKUP\t()"},
      {U"Lookup()", U" LOOKUP( DENSE )"},
      {U"GroupByColumn(7)", U" GROUPBYCOLUMN(7)"},
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
      // Lists of one operand or none.
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

// Operators whose keyword is their name in capitals, written as a function of
// their operands: Sum(1) is " SUM(1)", Mod(1,2) is " MOD(1, 2)".
TEST(PrettyOperators, FunctionsNamedAfterTheirOperator) {
  struct Group {
    const char32_t* operands;  // as in the text form
    const char32_t* names;     // separated by blanks
  };
  static const Group kGroups[] = {
      {U"", U"Pi Now Database User Coalesce"},
      {U"1",
       U"Sum Count Avg Min Max NullIfNotUnique Range AvgAll Rank Percent First Last Ascii Char Lcase Length "
       U"Depth LTrim RTrim Soundex Space Ucase Abs Acos Asin Atan Ceiling Cos Cot Degrees Exp Floor Log Log10 "
       U"Radians Sign Sin Sqrt Tan DayName DayOfMonth DayOfWeek MonthName Aggregate Median RSum RCount RMax "
       U"RMin IsLeaf IsRoot IDOf Parent SortKey NoAggregate Frequency ListAgg NullAgg"},
      {U"1,2",
       U"DimAvg DimFirst DimLast DimCount TopN BottomN Corr CorrAll Reg RegAll MAvg Concat Difference Left "
       U"Repeat Right Atan2 ExtractBit Mod Power Round Truncate IfNull NTile MSum IsParent IsChild IsSibling "
       U"NullIf ToDate"},
      {U"1,2,3",
       U"IndexCol EvaluateScript Forecast Cluster Outlier Coalesce Trendline TimeDimSeqNum GroupByColumn "
       U"GroupByLevel Replace"},
      {U"1,2,3,4", U"Insert"},
  };
  for (const Group& g : kGroups) {
    VXString written = g.operands;
    for (std::size_t at = written.find(U','); at != VXString::npos; at = written.find(U',', at + 2)) {
      written.insert(at + 1, U" ");
    }
    for (const VXString& name : pretty_test::Words(g.names)) {
      VXString keyword = name;
      for (char32_t& c : keyword) c = (c >= U'a' && c <= U'z') ? c - 32 : c;
      const VXString text = name + U"(" + g.operands + U")";
      EXPECT_EQ(Show(Render(text)), Show(U" " + keyword + U"(" + written + U")")) << ToNarrow(text);
    }
  }
}
