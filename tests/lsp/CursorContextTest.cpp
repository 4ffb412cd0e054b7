// The look at the text before the cursor ("|" marks it in each case).
#include <gtest/gtest.h>

#include "LspInternal.h"

namespace {

using smutil_lsp::detail::ContextAt;
using smutil_lsp::detail::CursorContext;

CursorContext At(const std::string& marked) {
  const std::size_t at = marked.find('|');
  std::string text = marked;
  text.erase(at, 1);
  return ContextAt(text, at);
}

TEST(CursorContext, TheNameBeingTyped) {
  struct Case {
    const char* text;
    std::vector<std::string> qualifier;
    const char* prefix;
    bool bOpenQuote;
    std::size_t replaceStart;
  };
  const Case cases[] = {
      {"SELECT |", {}, "", false, 7},
      {"SELECT Ord|", {}, "Ord", false, 7},
      {"SELECT Orders.|", {"Orders"}, "", false, 14},
      {"SELECT Orders.Rev|", {"Orders"}, "Rev", false, 14},
      {"SELECT \"Sales Analysis\".Orders.Re| FROM x", {"Sales Analysis", "Orders"}, "Re", false, 31},
      {"SELECT \"Order|", {}, "Order", true, 7},
      {"SELECT Orders.\"Order I|", {"Orders"}, "Order I", true, 14},
      {"SELECT \"A \"\"q\"\"\".\"b|", {"A \"q\""}, "b", true, 17},
      {"SELECT Orders . Rev|", {}, "Rev", false, 16},  // blanks around the dot: not one name
      {"SELECT \"Orders\"|", {}, "", false, 15},       // a closed name: nothing typed of another
      {"SELECT a,b|", {}, "b", false, 9},
  };
  for (const Case& c : cases) {
    const CursorContext ctx = At(c.text);
    EXPECT_EQ(ctx.qualifier, c.qualifier) << c.text;
    EXPECT_EQ(ctx.prefix, c.prefix) << c.text;
    EXPECT_EQ(ctx.bOpenQuote, c.bOpenQuote) << c.text;
    EXPECT_EQ(ctx.replaceStart, c.replaceStart) << c.text;
    EXPECT_FALSE(ctx.bInStringOrComment) << c.text;
  }
}

TEST(CursorContext, ClausesStringsAndComments) {
  struct Case {
    const char* text;
    const char* clause;
    bool bInStringOrComment;
  };
  const Case cases[] = {
      {"SELECT a FROM |", "FROM", false},
      {"SELECT a FROM Sales WHERE |", "WHERE", false},
      {"select a from Sales order by |", "ORDER", false},
      {"SELECT a FROM (SELECT b FROM |", "FROM", false},
      {"SELECT a FROM (SELECT b FROM x) t WHERE |", "WHERE", false},
      {"SELECT SUM(|", "SELECT", false},
      {"SELECT 'FROM |", "SELECT", true},
      {"SELECT a -- FROM |", "SELECT", true},
      {"SELECT a /* FROM |", "SELECT", true},
      {"SELECT a /* x */ FROM |", "FROM", false},
      {"-- FROM\nSELECT |", "SELECT", false},
      {"SELECT 'it''s' |", "SELECT", false},
  };
  for (const Case& c : cases) {
    const CursorContext ctx = At(c.text);
    EXPECT_EQ(ctx.clause, c.clause) << c.text;
    EXPECT_EQ(ctx.bInStringOrComment, c.bInStringOrComment) << c.text;
  }
}

TEST(CursorContext, TheCallAndItsParameter) {
  struct Case {
    const char* text;
    bool bInCall;
    const char* callee;
    std::uint32_t parameter;
  };
  const Case cases[] = {
      {"SELECT SUM(|", true, "SUM", 0},
      {"SELECT ROUND(Orders.Revenue, |", true, "ROUND", 1},
      {"SELECT ROUND(ABS(x), |", true, "ROUND", 1},
      {"SELECT ROUND(ABS(x|", true, "ABS", 0},
      {"SELECT SUBSTRING(Customers.City FROM |", true, "SUBSTRING", 1},
      {"SELECT substring(a from 1|", true, "SUBSTRING", 1},
      {"SELECT COALESCE(a, b, c, |", true, "COALESCE", 3},
      {"SELECT ROUND(a, 2)|", false, "", 0},
      {"SELECT (a + |", true, "", 0},
      {"SELECT ROUND('a, b', |", true, "ROUND", 1},  // a comma in a string is no separator
  };
  for (const Case& c : cases) {
    const CursorContext ctx = At(c.text);
    EXPECT_EQ(ctx.bInCall, c.bInCall) << c.text;
    EXPECT_EQ(ctx.callee, c.callee) << c.text;
    EXPECT_EQ(ctx.activeParameter, c.parameter) << c.text;
  }
}

TEST(CursorContext, SegmentsOfAWrittenName) {
  using smutil_lsp::detail::SegmentsOf;
  const auto s = SegmentsOf("\"Sales\".\"a.b\".Col", 9);
  ASSERT_EQ(s.ranges.size(), 3u);
  EXPECT_EQ(s.ranges[1], (std::pair<std::size_t, std::size_t>{8, 13}));
  EXPECT_EQ(s.at, 1);
  EXPECT_EQ(SegmentsOf("\"Sales\".\"a.b\".Col", 16).at, 2);
  EXPECT_EQ(SegmentsOf("\"x\"\"y\".z", 2).ranges.size(), 2u);
}

TEST(Functions, SignaturesComeFromTheOperatorTable) {
  using smutil_lsp::detail::FindFunction;
  const auto* substring = FindFunction("substring");
  ASSERT_NE(substring, nullptr);
  bool bFromForm = false;
  for (const auto& sig : substring->signatures) {
    if (sig.label == "SUBSTRING(expr1 FROM expr2)") {
      bFromForm = true;
      ASSERT_EQ(sig.parameters.size(), 2u);
      EXPECT_EQ(sig.label.substr(sig.parameters[1].first, sig.parameters[1].second - sig.parameters[1].first), "expr2");
    }
  }
  EXPECT_TRUE(bFromForm);
  const auto* sum = FindFunction("SUM");
  ASSERT_NE(sum, nullptr);
  std::vector<std::string> labels;
  for (const auto& sig : sum->signatures) labels.push_back(sig.label);
  EXPECT_NE(std::find(labels.begin(), labels.end(), "SUM(expr1)"), labels.end());
  EXPECT_NE(std::find(labels.begin(), labels.end(), "SUM(DISTINCT expr1)"), labels.end());
  const auto* coalesce = FindFunction("COALESCE");
  ASSERT_NE(coalesce, nullptr);
  EXPECT_TRUE(coalesce->signatures.front().bVariadic);
  EXPECT_EQ(FindFunction("EXTRACT")->signatures.front().label, "EXTRACT(expr1 FROM expr2)");
  EXPECT_EQ(FindFunction("NOSUCHFUNCTION"), nullptr);
}

}  // namespace
