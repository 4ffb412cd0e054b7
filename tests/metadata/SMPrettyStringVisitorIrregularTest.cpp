// The operators with bodies of their own: CASE, truth tests, date parts,
// timestamp arithmetic, RANK, EVALUATE, hierarchy predicates, time series,
// correlation, BIN, WIDTH_BUCKET, XSA and the few odd forms; data types.
#include "SMPrettyStringVisitorTestUtil.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"

using pretty_test::CheckRows;
using pretty_test::Number;
using pretty_test::Render;
using pretty_test::Row;
using pretty_test::Show;
using pretty_test::Words;

TEST(PrettyIrregular, Case) {
  static const Row kRows[] = {
      {U"CaseIf()", U" CASE  END "},
      {U"CaseIf(1,2)", U" CASE  WHEN 1 THEN 2 END "},
      {U"CaseIf(1,2,3)", U" CASE  WHEN 1 THEN 2 ELSE 3 END "},
      {U"CaseIf(1,2,3,4)", U" CASE  WHEN 1 THEN 2 WHEN 3 THEN 4 END "},
      {U"CaseIf(1,2,3,4,5)", U" CASE  WHEN 1 THEN 2 WHEN 3 THEN 4 ELSE 5 END "},
      {U"CaseLookup(1)", U" CASE 1 END "},
      {U"CaseLookup(1,2,3)", U" CASE 1 WHEN 2 THEN 3 END "},
      {U"CaseLookup(1,2,3,4)", U" CASE 1 WHEN 2 THEN 3 ELSE 4 END "},
      {U"CaseIf(Equal(S'x',1),'one','other')", U" CASE  WHEN x = 1 THEN 'one' ELSE 'other' END "},
  };
  CheckRows(kRows);
}

TEST(PrettyIrregular, TruthTests) {
  static const Row kRows[] = {
      {U"Truth(1,456)", U"1  IS TRUE "},
      {U"Truth(1,457)", U"1  IS FALSE "},
      {U"Truth(1,458)", U"1  IS UNKNOWN "},
      {U"Truth(1,459)", U"1  IS NOT TRUE "},
      {U"Truth(1,460)", U"1  IS NOT FALSE "},
      {U"Truth(1,461)", U"1  IS NOT UNKNOWN "},
      {U"Truth(And(1,2),456)", U" (1 AND 2)  IS TRUE "},
      {U"Truth(Or(1,2),456)", U" (1 OR 2)  IS TRUE "},
      {U"Truth(Negation(1),456)", U" ( NOT 1)  IS TRUE "},
      {U"Truth(Equal(1,2),456)", U"1 = 2  IS TRUE "},
  };
  CheckRows(kRows);
  EXPECT_THROW(Render(U"Truth(1,455)"), VXAssertException);
  EXPECT_THROW(Render(U"Truth(1,383)"), VXAssertException);
}

// Date parts by code, from 383 on; the first six are also the interval kinds
// of timestamp arithmetic, with 395 to 397 after them.
TEST(PrettyIrregular, DatePartsAndTimestampArithmetic) {
  const std::vector<VXString> parts = Words(
      U"YEAR MONTH DAY HOUR MINUTE SECOND QUARTER_OF_YEAR WEEK_OF_YEAR DAY_OF_YEAR MONTH_OF_QUARTER "
      U"WEEK_OF_QUARTER DAY_OF_QUARTER");
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const VXString code = Number(383 + static_cast<long long>(i));
    EXPECT_EQ(Show(Render(U"TMField1(" + code + U")")), Show(U"  " + parts[i] + U"  ")) << ToNarrow(code);
    if (i < 6) {
      EXPECT_EQ(Show(Render(U"TimeStampAdd(" + code + U",1,S'd')")),
                Show(U" TIMESTAMPADD( SQL_TSI_" + parts[i] + U" , 1, d)"));
    }
  }
  static const Row kRows[] = {
      // Codes outside the date-part table write nothing.
      {U"TMField1(395)", U"  "},
      {U"TMField1(0)", U"  "},
      {U"TMField2(384,S'd')", U" MONTH (d)"},
      {U"Extract(383,D'2024-02-29')", U" EXTRACT( YEAR  FROM  DATE '2024-02-29')"},
      {U"FiscalExtract(389,S'd',1,2)", U" FISCAL_EXTRACT( QUARTER_OF_YEAR  FROM d, 1, 2)"},
      {U"TimeStampAdd(395,1,S'd')", U" TIMESTAMPADD( SQL_TSI_FRAC_SECOND , 1, d)"},
      {U"TimeStampAdd(396,1,S'd')", U" TIMESTAMPADD( SQL_TSI_WEEK , 1, d)"},
      {U"TimeStampAdd(397,1,S'd')", U" TIMESTAMPADD( SQL_TSI_QUARTER , 1, d)"},
      {U"TimeStampDiff(385,S'd',S'e')", U" TIMESTAMPDIFF( SQL_TSI_DAY , d, e)"},
  };
  CheckRows(kRows);
  // A date part that is no interval kind is a broken invariant, not text.
  EXPECT_THROW(Render(U"TimeStampAdd(389,1,S'd')"), VXAssertException);
  EXPECT_THROW(Render(U"TimeStampDiff(456,1,S'd')"), VXAssertException);
}

TEST(PrettyIrregular, MultiColumnRank) {
  static const Row kRows[] = {
      {U"MultiRank(1,0,S'x',1)", U" RANK(x)"},
      {U"MultiRank(1,0,S'x',2)", U" RANK(x ASC)"},
      {U"MultiRank(1,0,S'x',0)", U" RANK(x)"},
      {U"MultiRank(2,0,S'x',1,S'y',2)", U" RANK(x, y ASC)"},
      {U"MultiRank(1,2,S'x',2,S'p',S'q')", U" RANK(x ASC BY p, q)"},
      {U"MultiRank(0,0)", U" RANK()"},
      {U"Rank(S'x')", U" RANK(x)"},
  };
  CheckRows(kRows);
  // Counts that do not account for the operands exactly.
  EXPECT_THROW(Render(U"MultiRank(2,0,S'x',1)"), VXAssertException);
  EXPECT_THROW(Render(U"MultiRank(1,0,S'x',1,S'y')"), VXAssertException);
  EXPECT_THROW(Render(U"MultiRank(-1,3,S'x',1,S'y')"), VXAssertException);
  EXPECT_THROW(Render(U"MultiRank(2147483647,0,S'x',1)"), VXAssertException);
  // A direction that is not an integer.
  EXPECT_THROW(Render(U"MultiRank(1,0,S'x',S'y')"), VXAssertException);
}

TEST(PrettyIrregular, EvaluateFamily) {
  static const Row kRows[] = {
      {U"Evaluate('f(%1)',DataType(25,0,0),S'x')", U" EVALUATE('f(%1)', x)"},
      {U"Evaluate('f',DataType(11,0,0))", U" EVALUATE('f' AS  INTEGER )"},
      {U"EvaluateAggr('f(%1,%2)',DataType(2,20,0),1,2)", U" EVALUATE_AGGR('f(%1,%2)' AS  VARCHAR ( 20 ), 1, 2)"},
      {U"EvaluateAnalytic('f',DataType(25,-1,-1),1)", U" EVALUATE_ANALYTIC('f', 1)"},
      {U"JsonValue(S'doc','$.a',DataType(2,10,0))", U"JSON_VALUE(doc,'$.a' AS  VARCHAR ( 10 ))"},
      {U"JsonValue(S'doc','$.a',DataType(25,0,0))", U"JSON_VALUE(doc,'$.a')"},
      {U"Cast(S'x',DataType(2,20,0))", U" CAST (x AS VARCHAR ( 20 ))"},
      {U"CastAsNull(S'x',1,2)", U"x"},
      {U"EvaluateTableScript('sel''ect')", U"sel'ect"},
      {U"EvaluatePredicate('f(%1)',S'x')", U" EVALUATE_PREDICATE('f(%1)', x)"},
  };
  CheckRows(kRows);
}

TEST(PrettyIrregular, HierarchyPredicates) {
  static const Row kRows[] = {
      {U"IsAncestor(S'm',S'n',-2147483648)", U" ISANCESTOR(m, n)"},
      {U"IsAncestor(S'm',S'n',2)", U" ISANCESTOR(m, n, 2)"},
      {U"IsDescendant(S'm',S'n',-2147483648)", U" ISDESCENDANT(m, n)"},
      {U"IsDescendant(S'm',S'n',S'k')", U" ISDESCENDANT(m, n, k)"},
      {U"IsAncestorList(2,S'm',S'x',S'y')", U" ISANCESTOR(m, (x, y))"},
      {U"IsAncestorList(2,S'm',S'x',S'y',3)", U" ISANCESTOR(m, (x, y), 3)"},
      {U"IsDescendantList(0,S'm')", U" ISDESCENDANT(m, ())"},
      {U"IsDescendantList(1,S'm',S'x')", U" ISDESCENDANT(m, (x))"},
      {U"IsParentList(S'm',S'x',S'y')", U" ISPARENT(m, (x, y))"},
      {U"IsChildList(S'm')", U" ISCHILD(m, ())"},
      {U"IsSiblingList(S'm',S'x')", U" ISSIBLING(m, (x))"},
      {U"IsParent(S'm',S'x')", U" ISPARENT(m, x)"},
      {U"IsLeaf(S'm')", U" ISLEAF(m)"},
  };
  CheckRows(kRows);
  // A member count that claims more (or far fewer) operands than there are.
  EXPECT_THROW(Render(U"IsAncestorList(5,S'm',S'x')"), VXAssertException);
  EXPECT_THROW(Render(U"IsAncestorList(-1,S'm',S'x')"), VXAssertException);
  EXPECT_THROW(Render(U"IsAncestorList(0,S'm',S'x',S'y')"), VXAssertException);
}

TEST(PrettyIrregular, TimeSeries) {
  static const Row kRows[] = {
      {U"Ago(S'x',#0:0,1)", U" AGO(x, 1)"},
      {U"Ago(S'x',#2025:4,1)", U" AGO(x, 2025:4, 1)"},
      {U"PeriodRolling(S'x','a''b','c',#0:0)", U" PeriodRolling(x, a'b, c)"},
      {U"PeriodRolling(S'x',1,2,S'g')", U" PeriodRolling(x, 1, 2, g)"},
      {U"PeriodRolling(S'x',1,2,#2025:4)", U" PeriodRolling(x, 1, 2, 2025:4)"},
      {U"PeriodRolling('s',1,2,'t')", U" PeriodRolling('s', 1, 2, 't')"},
      {U"ToDate(S'x',S'y')", U" TODATE(x, y)"},
  };
  CheckRows(kRows);
}

TEST(PrettyIrregular, CorrelationAndCovariance) {
  static const Row kRows[] = {
      {U"Correlation()", U" CORN()"},
      {U"Correlation(1)", U" CORN(1)"},
      {U"Correlation(1,2,3,4)", U" CORN(1, 2 AtGrain 3 Partition By 4)"},
      {U"Correlation(1,2,3,4,5,6)", U" CORN(1, 2 AtGrain 3 Partition By 4, 5, 6)"},
      {U"Covariance(1,2)", U" COVA(1, 2)"},
      {U"Covariance(1,2,3)", U" COVA(1, 2 AtGrain 3)"},
  };
  CheckRows(kRows);
}

TEST(PrettyIrregular, Binning) {
  static const Row kRows[] = {
      {U"Bin(S'x',ResultNull(),ResultNull(),0)", U" ATTRIBUTE(x)"},
      {U"Bin(S'x',S'y',Greater(S'x',1),0,0,ResultNull(),0)", U" ATTRIBUTE(x by y where x > 1)"},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,0,Less(1,10),1)",
       U" BIN(x into 4EQUIDEPTH bins between 1 and 10 returning RANGE)"},
      {U"Bin(S'x',S'y',ResultNull(),4,1,ResultNull(),0)", U" BIN(x by y into 4 bins returning NUMBER)"},
      {U"Bin(S'x',ResultNull(),ResultNull(),S'n',1,ResultNull(),2)", U" BIN(x into n bins returning RANGE_LOW)"},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,1,ResultNull(),3)", U" BIN(x into 4 bins returning RANGE_HIGH)"},
      // "NULL" is looked for without regard to case.
      {U"Bin(S'x','null',ResultNull(),0)", U" ATTRIBUTE(x)"},
  };
  CheckRows(kRows);
  // A BIN needs its strategy, range and return operands.
  EXPECT_THROW(Render(U"Bin(S'x',S'y',S'z',4)"), VXAssertException);
  EXPECT_THROW(Render(U"Bin(S'x',ResultNull(),ResultNull(),4,2,ResultNull(),0)"), VXAssertException);
  EXPECT_THROW(Render(U"Bin(S'x',ResultNull(),ResultNull(),4,0,ResultNull(),4)"), VXAssertException);

  static const Row kWidth[] = {
      {U"WidthBucket(S'x',2,S'n',1,10,S'g')", U" WIDTH_BUCKET(x, RANGE_LOW, n, 1, 10 by g)"},
      {U"WidthBucket(S'x',0,S'n',ResultNull(),ResultNull(),ResultNull())", U" WIDTH_BUCKET(x, NUMBER, n)"},
      {U"WidthBucket(S'x',1,S'n',1,ResultNull(),S'g')", U" WIDTH_BUCKET(x, RANGE, n by g)"},
      {U"WidthBucket(S'x',3,S'n',1,10,ResultNull())", U" WIDTH_BUCKET(x, RANGE_HIGH, n, 1, 10)"},
  };
  CheckRows(kWidth);
  EXPECT_THROW(Render(U"WidthBucket(S'x',4,S'n',1,10,S'g')"), VXAssertException);
}

TEST(PrettyIrregular, CrossSubjectAreaReferenceRowIdAndInterval) {
  static const Row kRows[] = {
      {U"XSA('Sales',S'c')", U"XSA('Sales').c"},
      {U"XSA('It''s',S'c')", U"XSA('It's').c"},
      {U"XSA('''x''.y',S'c')", U"XSA('x'.y').c"},
      {U"XSA('A.B''s',S'c')", U"XSA('A.B's').c"},
      {U"RowID('r1')", U" ROWID('r1')"},
      {U"RowID(1)", U" ROWID()"},
      {U"DataTypeInterval(InterQual2(TMField1(385),TMField1(388)))", U" INTERVAL    DAY   TO   SECOND   "},
  };
  CheckRows(kRows);
}

TEST(PrettyDataTypes, EveryCodeWithSqlForm) {
  static const Row kRows[] = {
      {U"DataType(0,5,5)", U" BIT "},
      {U"DataType(1,10,0)", U" CHARACTER ( 10 )"},
      {U"DataType(1,0,0)", U" CHARACTER ( 0 )"},
      {U"DataType(1,-1,0)", U" CHARACTER "},
      {U"DataType(2,20,0)", U" VARCHAR ( 20 )"},
      {U"DataType(3,-1,0)", U" VARCHAR ( -1 )"},
      {U"DataType(4,8,0)", U" BIT ( 8 )"},
      {U"DataType(4,-1,0)", U" BIT "},
      {U"DataType(5,8,0)", U" BIT VARYING ( 8 )"},
      {U"DataType(6,16,0)", U" BIT VARYING ( 16 )"},
      {U"DataType(7,0,0)", U" SMALLINT "},
      {U"DataType(8,0,0)", U" SMALLINT "},
      {U"DataType(9,0,0)", U" SMALLINT "},
      {U"DataType(10,0,0)", U" SMALLINT "},
      {U"DataType(11,4,2)", U" INTEGER "},
      {U"DataType(13,7,0)", U" FLOAT ( 7 )"},
      {U"DataType(13,-1,0)", U" FLOAT "},
      {U"DataType(14,0,0)", U" DOUBLE PRECISION "},
      {U"DataType(16,10,2)", U" NUMERIC ( 10, 2 )"},
      {U"DataType(16,10,-1)", U" NUMERIC ( 10 )"},
      {U"DataType(16,-1,2)", U" NUMERIC "},
      {U"DataType(17,0,0)", U" DECIMAL ( 0, 0 )"},
      {U"DataType(17,12,-5)", U" DECIMAL ( 12 )"},
      {U"DataType(18,0,0)", U" DATE "},
      {U"DataType(19,3,0)", U" TIME ( 3 )"},
      {U"DataType(19,-1,0)", U" TIME "},
      {U"DataType(20,6,0)", U" TIMESTAMP ( 6 )"},
      {U"DataType(21,-1,0)", U" TIMESTAMP "},
      {U"DataType(25,0,0)", U" UNKNOWN "},
  };
  CheckRows(kRows);
}

TEST(PrettyDataTypes, CodesWithoutSqlFormAreLogicErrors) {
  for (const char32_t* text : {U"DataType(12,0,0)", U"DataType(15,0,0)", U"DataType(22,0,0)", U"DataType(23,0,0)",
                               U"DataType(24,0,0)", U"DataType(26,0,0)", U"DataType(-1,0,0)"}) {
    const auto e = testutil::Caught<VXAssertException>([&] { Render(text); }, ToNarrow(text));
    EXPECT_TRUE(e && e->IsLogicError()) << ToNarrow(text);
  }
  // Inside a CAST the error leaves the entry point: no partial text.
  EXPECT_THROW(Render(U"Cast(S'x',DataType(24,0,0))"), VXAssertException);
}
