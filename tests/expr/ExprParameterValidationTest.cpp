// Foreign token bytes whose operators keep a parameter outside its table (a
// data type without an SQL form, an unknown truth value or interval kind,
// bin codes, counts that disagree with the operands) are refused when the
// bytes are taken, like any other corrupt bytes; the same operators with
// parameters from their tables are taken.
#include <gtest/gtest.h>

#include "Expr/Expr.h"
#include "Expr/ToStringVisitor.h"
#include "Utility/DataBlobUtil.h"

namespace {

bool Accepted(const char32_t* text) {
  const Expr built = ToStringVisitor::ExprFrom(text);
  try {
    Expr taken(built.GetTokenBytes());
    return true;
  } catch (const BlobDecodeError&) {
    return false;
  }
}

TEST(ExprParameterValidation, ParametersOutsideTheirTablesAreRefused) {
  const struct {
    const char32_t* text;
    bool accepted;
  } cases[] = {
      // Data types: 0 to 25 but uint4, money, interval, object and boolean.
      {U"Cast(S'x',DataType(0,0,0))", true},
      {U"Cast(S'x',DataType(11,0,0))", true},
      {U"Cast(S'x',DataType(25,0,0))", true},
      {U"Cast(S'x',DataType(12,0,0))", false},
      {U"Cast(S'x',DataType(15,0,0))", false},
      {U"Cast(S'x',DataType(22,0,0))", false},
      {U"Cast(S'x',DataType(23,0,0))", false},
      {U"Cast(S'x',DataType(24,0,0))", false},
      {U"Cast(S'x',DataType(26,0,0))", false},
      {U"Cast(S'x',DataType(-1,0,0))", false},
      // Truth values 456 to 461.
      {U"Truth(1,456)", true},
      {U"Truth(1,461)", true},
      {U"Truth(1,455)", false},
      {U"Truth(1,462)", false},
      // Interval kinds: the date parts with a TSI name only.
      {U"TimeStampAdd(383,1,S'd')", true},
      {U"TimeStampDiff(397,1,S'd')", true},
      {U"TimeStampAdd(395,1,S'd')", true},
      {U"TimeStampAdd(389,1,S'd')", false},
      {U"TimeStampDiff(456,1,S'd')", false},
      // RANK: 2 + 2 * columns + partitions operands, each direction an integer.
      {U"MultiRank(1,0,S'x',2)", true},
      {U"MultiRank(1,1,S'x',1,S'p')", true},
      {U"MultiRank(0,2,S'p',S'q')", true},
      {U"MultiRank(2,0,S'x',1)", false},
      {U"MultiRank(1,0,S'x',1,S'y')", false},
      {U"MultiRank(-1,3,S'x',1,S'y')", false},
      {U"MultiRank(2147483647,0,S'x',1)", false},
      {U"MultiRank(1,0,S'x',S'y')", false},
      // Member lists: the count, the member, the listed members, a distance at most.
      {U"IsAncestorList(1,S'm',S'x')", true},
      {U"IsAncestorList(1,S'm',S'x',3)", true},
      {U"IsDescendantList(0,S'm')", true},
      {U"IsAncestorList(5,S'm',S'x')", false},
      {U"IsAncestorList(-1,S'm',S'x')", false},
      {U"IsDescendantList(0,S'm',S'x',S'y')", false},
      // BIN: an attribute (fourth operand 0) stops early; bins need all seven,
      // a strategy 0 or 1 and a return kind 0 to 3.
      {U"Bin(S'x',ResultNull(),ResultNull(),0)", true},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,1,ResultNull(),3)", true},
      {U"Bin(S'x',S'y',S'z',4)", false},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,2,ResultNull(),0)", false},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,0,ResultNull(),4)", false},
      {U"Bin(S'x',ResultNull(),ResultNull(),4,S'e',ResultNull(),0)", false},
      {U"WidthBucket(S'x',3,S'n',1,10,S'g')", true},
      {U"WidthBucket(S'x',4,S'n',1,10,S'g')", false},
      {U"WidthBucket(S'x',-1,S'n',1,10,S'g')", false},
      // An interval type has one qualifier.
      {U"DataTypeInterval(InterQual2(TMField1(385),TMField1(388)))", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Accepted(c.text), c.accepted) << ToNarrow(c.text);
}

TEST(ExprParameterValidation, ParametersAreCheckedAtAnyDepth) {
  EXPECT_TRUE(Accepted(U"Add(1,Multiply(2,Cast(S'x',DataType(11,0,0))))"));
  EXPECT_FALSE(Accepted(U"Add(1,Multiply(2,Cast(S'x',DataType(24,0,0))))"));
  EXPECT_FALSE(Accepted(U"Add(Truth(1,1),2)"));
}

}  // namespace
