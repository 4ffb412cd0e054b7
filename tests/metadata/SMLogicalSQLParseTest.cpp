// Reading query text without a repository: the operator families, the
// clauses, and each syntax fault with its exact place.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

#include "Expr/OpCode.h"
#include "Metadata/SMLogicalSQL.h"

namespace {

using namespace logical_sql;

// The tree of the first select item as op codes and leaves: Add(name,1).
std::string Shape(const SyntaxTree& t, NodeIndex i) {
  const ExprNode& n = t.exprs[i];
  using K = ExprNode;
  if (n.kind == K::kName) {
    const QualifiedName segments = t.Segments(n.Value());
    std::string s;
    for (std::size_t k = 0; k < segments.size(); ++k) s += (k ? "." : "") + ToNarrow(segments[k]);
    return s;
  }
  if (n.kind == K::kInt) return std::to_string(n.IntValue());
  if (n.kind == K::kParameter) return "#" + std::to_string(n.IntValue());
  if (n.kind == K::kFloat) return "f";
  if (n.kind == K::kString) return "'" + ToNarrow(t.Value(n.Value())) + "'";
  if (n.kind == K::kDate) return "date";
  if (n.kind == K::kSubquery) return "subquery";
  if (n.kind == K::kVariable) return "var";
  if (n.kind == K::kSessionVariable) return "session";
  std::string s(GetOpInfo(n.opCode) ? GetOpInfo(n.opCode)->name : "?");
  s += "(";
  const std::span<const NodeIndex> children = t.Children(n);
  for (std::size_t k = 0; k < children.size(); ++k) s += (k ? "," : "") + Shape(t, children[k]);
  return s + ")";
}

std::string FirstItem(const std::string& expr) {
  const std::string text = "SELECT " + expr + " FROM s";
  const ParseResult r = Parse(text);
  if (!r.diagnostics.empty()) return "error: " + ToNarrow(r.diagnostics[0].message);
  return Shape(r.tree, r.tree.queries[r.tree.root].items.at(0).expr);
}

// Where each fault starts, as line:column.
std::string Starts(const ParseResult& r) {
  std::string s;
  for (const Diagnostic& d : r.diagnostics) {
    s += (s.empty() ? "" : " ") + std::to_string(d.range.start.line) + ":" + std::to_string(d.range.start.column);
  }
  return s;
}

TEST(LogicalSQLParse, OperatorFamilies) {
  struct Case {
    const char* text;
    const char* shape;
  };
  const Case cases[] = {
      // infix, with the usual precedence and left to right
      {"a + b * c", "Add(a,Multiply(b,c))"},
      {"(a + b) * c", "Multiply(Add(a,b),c)"},
      {"a - b - c", "Subtract(Subtract(a,b),c)"},
      {"a || b = c", "Equal(Concatenate(a,b),c)"},
      {"a = 1 OR b = 2 AND NOT c = 3", "Or(Equal(a,1),And(Equal(b,2),Negation(Equal(c,3))))"},
      {"a <> 1", "NotEqual(a,1)"},
      {"a != 1", "NotEqual(a,1)"},
      {"a <= ALL b", "AllLessEqual(a,b)"},
      {"a NULLSEQUAL ANY b", "AnyNullsEqual(a,b)"},
      // prefix and postfix
      {"-a", "UMinus(a)"},
      {"-5", "-5"},
      {"a IS NULL", "Null(a)"},
      {"a IS NOT NULL", "Negation(Null(a))"},
      {"a IS NOT TRUE", "Truth(a,#459)"},
      {"a BETWEEN 1 AND 2 AND b", "And(Between(a,1,2),b)"},
      {"a NOT BETWEEN 1 AND 2", "Negation(Between(a,1,2))"},
      {"a LIKE 'x%'", "Like(a,'x%')"},
      {"a LIKE 'x!%' ESCAPE '!'", "LikeEscape(a,'x!%','!')"},
      {"a NOT LIKE 'x'", "Negation(Like(a,'x'))"},
      {"a IN (1, 2, 3)", "In(a,1,2,3)"},
      {"a NOT IN (1)", "Negation(In(a,1))"},
      {"a IN (SELECT b FROM s)", "In(a,subquery)"},
      // functions: one operand, two, variable lists, optional words
      {"SUM(a)", "Sum(a)"},
      {"sum(DISTINCT a)", "SumDis(a)"},
      {"COUNT(*)", "CountStar()"},
      {"TRIM(a)", "Trim1(a)"},
      {"TRIM(LEADING FROM a)", "TrimL1(a)"},
      {"TRIM(BOTH 'x' FROM a)", "TrimB2('x',a)"},
      {"TRIM('x' FROM a)", "Trim2('x',a)"},
      {"SUBSTRING(a FROM 2)", "SubStr2(a,2)"},
      {"SUBSTRING(a FROM 2 FOR 3)", "SubStr3(a,2,3)"},
      {"LOCATE('x', a)", "Locate2('x',a)"},
      {"LOCATE('x', a, 3)", "Locate3('x',a,3)"},
      {"RAND()", "Rand0()"},
      {"RAND(7)", "Rand1(7)"},
      {"COALESCE(a, b, c)", "Coalesce(a,b,c)"},
      {"SUM(a BY b, c)", "Sum(Break(a,b,c))"},
      {"CURRENT_DATE", "CurDate()"},
      {"NULL", "ResultNull()"},
      // own words: CASE, CAST, dates, intervals, EXTRACT, TIMESTAMPADD
      {"CASE WHEN a = 1 THEN 'x' ELSE 'y' END", "CaseIf(Equal(a,1),'x','y')"},
      {"CASE a WHEN 1 THEN 'x' WHEN 2 THEN 'y' END", "CaseLookup(a,1,'x',2,'y')"},
      {"CAST(a AS VARCHAR(20))", "Cast(a,DataType(2,20,-1))"},
      {"CAST(a AS NUMERIC(10, 2))", "Cast(a,DataType(16,10,2))"},
      {"CAST(a AS DOUBLE PRECISION)", "Cast(a,DataType(14,-1,-1))"},
      {"CAST(a AS SMALLINT)", "Cast(a,DataType(9,-1,-1))"},
      {"CAST(a AS INTERVAL DAY TO SECOND)", "Cast(a,DataTypeInterval(InterQual2(TMField1(#385),TMField1(#388))))"},
      {"DATE '2024-02-29'", "date"},
      {"INTERVAL '5' DAY", "InterPrim('5',InterQual1(TMField1(#385)))"},
      {"EXTRACT(YEAR FROM a)", "Extract(#383,a)"},
      {"YEAR(a)", "TMField2(#383,a)"},
      {"TIMESTAMPADD(SQL_TSI_MONTH, 1, a)", "TimeStampAdd(#384,1,a)"},
      {"VALUEOF(VX_SESSION.\"USER_REGION\")", "session"},
      {"VALUEOF(\"User Profile\".\"APP_ROLE\")", "var"},
      {"\"Sales\".\"Orders\".\"Revenue\"", "Sales.Orders.Revenue"},
      {"\"a\"\"b\"", "a\"b"},
      {"'it''s'", "'it's'"},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstItem(c.text), c.shape) << c.text;
}

TEST(LogicalSQLParse, Clauses) {
  const ParseResult r = Parse(
      "-- a comment\n"
      "SELECT DISTINCT a AS x, b y, \"c\" FROM s1, (SELECT d FROM s2) t /* block */\n"
      "WHERE a > 1 GROUP BY a, b HAVING SUM(b) > 2 ORDER BY 1 DESC, b ASC FETCH FIRST 5 ROWS ONLY;");
  ASSERT_TRUE(r.diagnostics.empty()) << ToNarrow(r.diagnostics[0].message);
  const QueryNode& q = r.tree.queries[r.tree.root];
  EXPECT_TRUE(q.bDistinct);
  ASSERT_EQ(q.items.size(), 3u);
  EXPECT_EQ(r.tree.Value(q.items[0].alias), U"x");
  EXPECT_EQ(r.tree.Value(q.items[1].alias), U"y");
  EXPECT_TRUE(q.items[2].alias.empty());
  ASSERT_EQ(q.from.size(), 2u);
  EXPECT_EQ(r.tree.Segments(q.from[0].subjectArea), QualifiedName{U"s1"});
  EXPECT_NE(q.from[1].derived, kNoNode);
  EXPECT_EQ(r.tree.Value(q.from[1].alias), U"t");
  EXPECT_NE(q.where, kNoNode);
  EXPECT_EQ(q.groupBy.size(), 2u);
  EXPECT_NE(q.having, kNoNode);
  ASSERT_EQ(q.orderBy.size(), 2u);
  EXPECT_EQ(q.orderBy[0].position, 1);
  EXPECT_TRUE(q.orderBy[0].bDescending);
  EXPECT_FALSE(q.orderBy[1].bDescending);
  EXPECT_EQ(q.fetchFirst, 5);

  const ParseResult set = Parse("(SELECT a FROM s UNION SELECT b FROM s) INTERSECT SELECT c FROM s ORDER BY 1");
  ASSERT_TRUE(set.diagnostics.empty()) << ToNarrow(set.diagnostics[0].message);
  const QueryNode& top = set.tree.queries[set.tree.root];
  EXPECT_EQ(top.kind, QueryNode::kSet);
  EXPECT_EQ(top.setOp, MultiListQuerySpec::kIntersect);
  ASSERT_EQ(top.operands.size(), 2u);
  EXPECT_EQ(set.tree.queries[top.operands[0]].kind, QueryNode::kSet);
  EXPECT_EQ(top.orderBy.size(), 1u);
}

TEST(LogicalSQLParse, NamesAndLiteralsAreReadFromTheirText) {
  const std::string text =
      "SELECT \"Sales \"\"Q1\"\"\".\"Re venue\", x . /* the table */ \"y\", 'it''s', \"\" "
      "FROM \"\xC3\x96l\"";
  const ParseResult r = Parse(text);
  ASSERT_TRUE(r.diagnostics.empty()) << ToNarrow(r.diagnostics[0].message);
  const SyntaxTree& t = r.tree;
  const QueryNode& q = t.queries[t.root];
  ASSERT_EQ(q.items.size(), 4u);
  EXPECT_EQ(t.Segments(t.exprs[q.items[0].expr].Value()), (QualifiedName{U"Sales \"Q1\"", U"Re venue"}));
  EXPECT_EQ(t.Segments(t.exprs[q.items[1].expr].Value()), (QualifiedName{U"x", U"y"}));
  EXPECT_EQ(t.Value(t.exprs[q.items[2].expr].Value()), U"it's");
  EXPECT_EQ(t.Segments(t.exprs[q.items[3].expr].Value()), QualifiedName{U""});
  EXPECT_EQ(t.Segments(q.from[0].subjectArea), QualifiedName{U"\u00D6l"});
}

TEST(LogicalSQLParse, PositionsCountLinesAndCodePoints) {
  struct Case {
    std::string text;
    std::size_t offset;
    std::uint32_t line, column;
  };
  const std::string e300 = [] {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "\xC3\xA9";  // 600 bytes, 300 characters
    return s;
  }();
  const Case cases[] = {
      {"a\n\xC3\xA7\xC3\xA9 x\n", 0, 1, 1},
      {"a\n\xC3\xA7\xC3\xA9 x\n", 2, 2, 1},
      {"a\n\xC3\xA7\xC3\xA9 x\n", 4, 2, 2},
      {"a\n\xC3\xA7\xC3\xA9 x\n", 7, 2, 4},
      {"a\n\xC3\xA7\xC3\xA9 x\n", 9, 3, 1},
      {"a\n\xC3\xA7\xC3\xA9 x\n", 100, 3, 1},  // past the end: the end
      {e300 + "x", 600, 1, 301},               // a line longer than the counting blocks
      {e300 + "x", 601, 1, 302},
      {"ab\n" + e300 + "x", 603, 2, 301},
      {std::string(256, 'a'), 256, 1, 257},  // the end of a text of whole blocks
      {"", 0, 1, 1},
  };
  for (const Case& c : cases) {
    const SourcePosition p = TextPositions(c.text).At(c.offset);
    EXPECT_EQ(p.line, c.line) << c.offset;
    EXPECT_EQ(p.column, c.column) << c.offset;
    EXPECT_EQ(p.offset, std::min(c.offset, c.text.size()));
  }
  // A fault after text that is not ASCII: its column counts characters.
  const ParseResult r = Parse("SELECT '\xC3\xA9\xC3\xA9\xC3\xA9', ) FROM s");
  ASSERT_FALSE(r.diagnostics.empty());
  EXPECT_EQ(r.diagnostics[0].range.start.column, 15u);
  EXPECT_EQ(r.diagnostics[0].range.start.offset, 17u);
  EXPECT_EQ(r.diagnostics[0].range.end.column, 16u);
}

TEST(LogicalSQLParse, SyntaxFaultsSayWhatWasExpectedAndWhere) {
  struct Case {
    std::string text;
    std::string code;
    std::uint32_t line, column;
    std::size_t startOffset, endOffset;
    std::string message;
  };
  const Case cases[] = {
      {"SELECT a FROM", "sql.syntax.expected", 1, 14, 13, 13, "a subject area expected, found the end of the text."},
      {"SELECT a + FROM s", "sql.syntax.expected", 1, 12, 11, 15, "an expression expected, found 'FROM'."},
      {"SELECT a\nFROM s WHERE", "sql.syntax.expected", 2, 13, 21, 21,
       "an expression expected, found the end of the text."},
      {"SELECT CASE WHEN a THEN b FROM s", "sql.syntax.expected", 1, 27, 26, 30,
       "'ELSE' or 'END' expected, found 'FROM'."},
      {"SELECT SUBSTRING(a FROM 1 TO 2) FROM s", "sql.syntax.expected", 1, 27, 26, 28,
       "')' or 'FOR' expected, found 'TO'."},
      {"SELECT 'abc FROM s", "sql.syntax.unclosed-quote", 1, 8, 7, 18,
       "Unclosed string literal: it runs to the end of the text."},
      {"SELECT a FROM s WHERE b = \"x", "sql.syntax.unclosed-quote", 1, 27, 26, 28,
       "Unclosed quoted name: it runs to the end of the text."},
      {"SELECT a ^ b FROM s", "sql.syntax.invalid-character", 1, 10, 9, 10, ""},
      {"SELECT FOO(a) FROM s", "sql.syntax.unknown-function", 1, 8, 7, 10, "Unknown function 'FOO'."},
      {"SELECT a FROM s extra words", "sql.syntax.trailing", 1, 17, 16, 21, ""},
      {"SELECT a.b.c.d.e FROM s", "sql.syntax.too-many-segments", 1, 8, 7, 16, ""},
      {"SELECT a FROM s FETCH FIRST x ROWS ONLY", "sql.syntax.expected", 1, 29, 28, 29, ""},
      {"SELECT CAST(a AS WORD) FROM s", "sql.syntax.expected", 1, 18, 17, 21, "a data type expected, found 'WORD'."},
      // Columns count code points: the name before the fault has two
      // two-byte letters.
      {"SELECT \"Größe\" + FROM s", "sql.syntax.expected", 1, 18, 19, 23, ""},
  };
  for (const Case& c : cases) {
    const ParseResult r = Parse(c.text);
    ASSERT_FALSE(r.diagnostics.empty()) << c.text;
    const Diagnostic& d = r.diagnostics.front();
    EXPECT_EQ(d.code, c.code) << c.text << ": " << ToNarrow(d.message);
    EXPECT_EQ(d.severity, Severity::kError);
    EXPECT_EQ(d.range.start.line, c.line) << c.text;
    EXPECT_EQ(d.range.start.column, c.column) << c.text;
    EXPECT_EQ(d.range.start.offset, c.startOffset) << c.text;
    EXPECT_EQ(d.range.end.offset, c.endOffset) << c.text;
    if (!c.message.empty()) {
      EXPECT_EQ(ToNarrow(d.message), c.message) << c.text;
    }
  }
}

TEST(LogicalSQLParse, LongItemsReadTheSameWhereverTheirTokensFall) {
  // The parser holds a few dozen tokens at a time: items of n terms put the
  // ends of an item, the fault and the recovery at every place among them.
  for (std::size_t n : {1u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 47u, 48u, 49u, 63u, 64u, 65u, 200u}) {
    std::string terms;
    for (std::size_t i = 0; i < n; ++i) terms += "a + ";
    // SELECT a + ... + b, a + ... + * FROM s: the second item has no last operand.
    const std::string text = "SELECT " + terms + "b, " + terms + "* FROM s";
    const ParseResult r = Parse(text);
    ASSERT_EQ(r.diagnostics.size(), 1u) << n;
    EXPECT_EQ(r.diagnostics[0].code, "sql.syntax.expected") << n;
    EXPECT_EQ(r.diagnostics[0].range.start.offset, 10 + 8 * n) << n;
    EXPECT_EQ(ToNarrow(r.diagnostics[0].message), "an expression expected, found '*'.") << n;
    const QueryNode& q = r.tree.queries[r.tree.root];
    ASSERT_EQ(q.items.size(), 1u) << n;
    EXPECT_EQ(r.tree.exprs[q.items[0].expr].range.begin, 7u) << n;
    EXPECT_EQ(r.tree.exprs[q.items[0].expr].range.end, 8 + 4 * n) << n;
    EXPECT_EQ(q.from.size(), 1u) << n;
  }
}

TEST(LogicalSQLParse, RecoversAtTheNextItemAndClause) {
  const ParseResult r = Parse(
      "SELECT a +, b, SUM(, c\n"
      "FROM s\n"
      "WHERE = 1\n"
      "ORDER BY d");
  EXPECT_EQ(Starts(r), "1:11 1:20 3:7");
  const QueryNode& q = r.tree.queries[r.tree.root];
  ASSERT_EQ(q.items.size(), 2u);  // b and c
  EXPECT_EQ(Shape(r.tree, q.items[0].expr), "b");
  EXPECT_EQ(Shape(r.tree, q.items[1].expr), "c");
  EXPECT_EQ(q.orderBy.size(), 1u);

  // A fault inside parentheses the item closes: reading goes on after
  // them, at the next item, and every later fault is found.
  const ParseResult inside = Parse(
      "SELECT SUBSTRING(a FROM 1 TO 3), b, CASE WHEN x THEN 1 y END\n"
      "FROM s WHERE c = 'open");
  EXPECT_EQ(Starts(inside), "1:27 1:56 2:18");  // TO, y, the unclosed string
  const QueryNode& iq = inside.tree.queries[inside.tree.root];
  ASSERT_EQ(iq.items.size(), 1u);
  EXPECT_EQ(Shape(inside.tree, iq.items[0].expr), "b");
  EXPECT_EQ(iq.from.size(), 1u);
}

TEST(LogicalSQLParse, HostileTextIsRefusedCleanly) {
  // 10^4 levels of parentheses: refused once, at the level too deep.
  std::string deep = "SELECT " + std::string(10000, '(') + "a" + std::string(10000, ')') + " FROM s";
  const ParseResult r = Parse(deep);
  ASSERT_FALSE(r.diagnostics.empty());
  EXPECT_EQ(r.diagnostics[0].code, "sql.syntax.too-deep");
  EXPECT_EQ(r.diagnostics[0].range.start.offset, 7 + kMaxNesting - 1);
  // The same with functions, NOT and subqueries.
  std::string nots = "SELECT ";
  for (int i = 0; i < 10000; ++i) nots += "NOT ";
  EXPECT_EQ(Parse(nots + "a FROM s").diagnostics.at(0).code, "sql.syntax.too-deep");
  std::string subs;
  for (int i = 0; i < 10000; ++i) subs += "SELECT a FROM s WHERE a IN (";
  EXPECT_EQ(Parse(subs).diagnostics.at(0).code, "sql.syntax.too-deep");
  // Many faults: the count is bounded, the last says so.
  std::string many = "SELECT a FROM s WHERE ";
  for (int i = 0; i < 2000; ++i) many += "x IN (SELECT ) AND ";
  const ParseResult m = Parse(many);
  EXPECT_LE(m.diagnostics.size(), 501u);
  // NUL bytes and invalid UTF-8 are reported, not read past.
  const std::string bytes("SELECT \xff\xfe a\0b FROM s", 20);
  const ParseResult b = Parse(bytes);
  EXPECT_FALSE(b.diagnostics.empty());
  EXPECT_TRUE(Parse("").diagnostics.size() == 1);
}

}  // namespace
