// The query-file reader over the sample repository: each kind of mistake is
// refused with the line it is on (or none, when it belongs to no line), and
// chains of queries built on each other are read whole.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Metadata/SMQueryFile.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/TypeIDs.h"

namespace {

// Types written by number only, enough for these files.
QueryFileTypes NumberTypes() {
  QueryFileTypes types;
  types.parse = [](const std::string& text, TypeID& type, std::string& why) {
    if (text == "TABLE")
      type = kTIDATable;
    else if (text == "SA")
      type = kTIDACatalogFolder;
    else {
      why = "unknown type '" + text + "'";
      return false;
    }
    return true;
  };
  types.label = [](TypeID type) { return "type " + std::to_string(type); };
  return types;
}

ARpGateway& Sample() {
  static std::unique_ptr<ARpGateway> rp = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml");
  return *rp;
}

// The error text for a file, or "" when it reads and name is found in it.
std::string ErrorOf(const std::string& text, const std::string& name = "") {
  try {
    QueryFileReader reader(&Sample(), NumberTypes());
    reader.Read(text, "q.qry");
    reader.Get(name);
  } catch (const QueryFileError& e) {
    return e.what();
  }
  return "";
}

TEST(QueryFile, EachMistakeIsRefusedWithItsLineOrNone) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "q.qry: the file is empty: it defines no query"},
      {"# only a comment\n\n",
       "q.qry: the file defines no query (a query starts with 'query NAME' or 'setquery NAME')"},
      {"query q\n  select = 1\n", "q.qry:2: a select item needs an alias: 'select ALIAS = EXPR'"},
      {"query q\n  select \"\" = 1\n", "q.qry:2: a select item needs an alias: 'select ALIAS = EXPR'"},
      {"query q\n  select x = 1\n  catalog #3001:1\n",
       "q.qry:3: 'catalog' needs a subject area (type 4004), found type 3001 #3001:1"},
      {"query q\n  select x = 1\n  catalog {TABLE:\"Sales DW\".\"SALESDB\".\"dbo\".\"W_ORDERS_F\"}\n",
       "q.qry:3: 'catalog' needs a subject area (type 4004), found type 3001"},
      {"query q\n  break 0 break y\n  select x = 1\n\nquery r\n  select z = 2\n",
       "q.qry:2: the break names 'y', which no select item of query 'q' has as its alias"},
      {"query q\n  select x = 1\n  break 0 break \"x \"\n", "q.qry:3: the break names 'x ', which no select"},
      {"query q\n  select x = 1\nsetquery s union\n\nquery t\n  select y = 1\n",
       "q.qry:3: set query 's' has no operand"},
      {"query q\n  select x = 1\n  frobnicate\n", "q.qry:3: unknown keyword 'frobnicate'"},
      {"query q\n  distinct please\n", "q.qry:2: unexpected text after 'distinct': please"},
      {"query q\n  select x = 1\n  from derived nothing\n", "q.qry:3: no earlier query named 'nothing'"},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.text);
    EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.text;
  }
  // A break on an alias that a select item has, before or after it, reads.
  EXPECT_EQ(ErrorOf("query q\n  break 0 break x\n  select x = 1\n  catalog {SA:\"Sales Analysis\"}\n"), "");
  // An unknown query name belongs to no line.
  const std::string text = "query a\n  select x = 1\n\nquery b\n  select y = 2\n";
  EXPECT_EQ(ErrorOf(text, "c"), "q.qry: no query named 'c'; the file defines a, b");
  EXPECT_EQ(ErrorOf(text, "a"), "");
}

TEST(QueryFile, ChainsOfDerivedTablesAndOperandsReadWhole) {
  // Each query selects from the one before; every level stays reachable by
  // its name, also the ones that now live inside a later query.
  constexpr int kLevels = 300;
  std::string text = "query q0\n  select x = 1\n  from #3001:1\n";
  for (int i = 1; i < kLevels; ++i) {
    text += "query q" + std::to_string(i) + "\n  select x = 1\n  from derived q" + std::to_string(i - 1) + "\n";
  }
  text += "setquery both union\n  operand q5\n  operand q5\n";
  QueryFileReader reader(&Sample(), NumberTypes());
  reader.Read(text);
  // Nesting depth of the last query: follow the derived tables down.
  const AbstractListQuerySpec* q = &reader.Get("q" + std::to_string(kLevels - 1));
  int depth = 0;
  for (;;) {
    const auto* single = dynamic_cast<const ListQuerySpec*>(q);
    ASSERT_NE(single, nullptr);
    ASSERT_EQ(single->m_fromTables.size(), 1u);
    const auto* derived = dynamic_cast<const SqlDerivedTable*>(single->m_fromTables[0].GetLeftTable());
    if (!derived) break;
    q = &derived->GetSubquery();
    ++depth;
  }
  EXPECT_EQ(depth, kLevels - 1);
  EXPECT_EQ(reader.Get("q0").ToByteVector(), q->ToByteVector());
  const auto& both = dynamic_cast<const MultiListQuerySpec&>(reader.Get(""));
  ASSERT_EQ(both.GetNumSubqueries(), 2);
  EXPECT_EQ(reader.Get("q5").ToByteVector(), reader.Get("q5").Clone()->ToByteVector());
}

// A subquery embeds the bytes of the query it names, so a chain of subqueries
// is bounded like the byte form bounds nesting: 200 levels. Derived tables
// are moved, not copied, and do not count; the subquery's bytes must exist.
TEST(QueryFile, SubqueryChainsStopAtTheNestingBound) {
  auto chain = [](int levels, const std::string& first) {
    std::string text = first;
    for (int i = 1; i < levels; ++i) {
      text += "query q" + std::to_string(i) + "\n  select x = 1\n  where Exists(SQ(q" + std::to_string(i - 1) + "))\n";
    }
    return text;
  };
  const std::string plain = "query q0\n  select x = 1\n";
  EXPECT_EQ(ErrorOf(chain(200, plain)), "");
  // q200 is the 201st level; its where line is the file's last line.
  EXPECT_EQ(ErrorOf(chain(201, plain)),
            "q.qry:602: SQ(q199) would nest subqueries 201 levels deep in query 'q200'; at most 200 are allowed");

  // The subquery chain goes on through a derived table: q1 stands on q0's
  // subquery level, q2 selects from q1, q3 counts one more.
  EXPECT_EQ(
      ErrorOf(chain(199, plain) + "query d\n  select x = 1\n  from derived q198\nquery e\n  select x = 1\n  where "
                                  "Exists(SQ(d))\n"),
      "");
  EXPECT_NE(
      ErrorOf(chain(200, plain) + "query d\n  select x = 1\n  from derived q199\nquery e\n  select x = 1\n  where "
                                  "Exists(SQ(d))\n")
          .find("SQ(d) would nest subqueries 201 levels deep in query 'e'"),
      std::string::npos);

  // Derived tables nested too deep for the byte form cannot be a subquery.
  std::string derived = "query d0\n  select x = 1\n";
  for (int i = 1; i < 150; ++i) {
    derived += "query d" + std::to_string(i) + "\n  select x = 1\n  from derived d" + std::to_string(i - 1) + "\n";
  }
  EXPECT_EQ(ErrorOf(derived), "");
  const std::string deep = ErrorOf(derived + "query s\n  select x = 1\n  where Exists(SQ(d149))\n");
  EXPECT_NE(deep.find("SQ(d149): "), std::string::npos) << deep;
  EXPECT_NE(deep.find("has no byte form"), std::string::npos) << deep;
}

}  // namespace
