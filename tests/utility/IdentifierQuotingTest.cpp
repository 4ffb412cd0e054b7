#include <gtest/gtest.h>

#include "Utility/IdentifierQuoting.h"

namespace {

using namespace std::string_view_literals;

// The database's own quote around a name that does not open with it yet.
constexpr QuotingRule kBacktickUnlessOpened{QuotingRule::kUnlessOpened, false, false, QuotingRule::kKeepNul, U"`"};
constexpr QuotingRule kNoQuote{QuotingRule::kUnlessOpened, false, false, QuotingRule::kKeepNul, U""};
constexpr QuotingRule kSingleQuotesDoubled{QuotingRule::kAlways, true, true, QuotingRule::kKeepNul, U"'"};

struct Row {
  const char* rule;
  const QuotingRule& rules;
  std::u32string_view name;
  std::u32string_view written;
};

// Expected texts are the rules' words applied by hand.
const Row kRows[] = {
    // Segments of a qualified name: always quoted, doubled, NUL left out,
    // an empty segment is nothing.
    {"segment", QuotingRules::kNameSegment, U"", U""},
    {"segment", QuotingRules::kNameSegment, U"Sales", U"\"Sales\""},
    {"segment", QuotingRules::kNameSegment, U"a\0b"sv, U"\"ab\""},
    {"segment", QuotingRules::kNameSegment, U"\0"sv, U"\"\""},
    {"segment", QuotingRules::kNameSegment, U"Order \"Lines\"", U"\"Order \"\"Lines\"\"\""},
    {"segment", QuotingRules::kNameSegment, U"\"Sales\"", U"\"\"\"Sales\"\"\""},
    {"segment", QuotingRules::kNameSegment, U"Umsätze 2024", U"\"Umsätze 2024\""},
    // SQL identifiers quoted only when they must be; NUL stays, empty is "".
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"", U"\"\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"Revenue", U"Revenue"},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"a_1", U"a_1"},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"Umsätze", U"Umsätze"},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"名前", U"名前"},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"select", U"\"select\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"Select", U"\"Select\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"1st", U"\"1st\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"_x", U"\"_x\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"A B", U"\"A B\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"a\0b"sv, U"\"a\0b\""sv},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"Order \"Lines\"", U"\"Order \"\"Lines\"\"\""},
    {"when required", QuotingRules::kSqlIdentifierWhenRequired, U"\"Sales\"", U"\"\"\"Sales\"\"\""},
    {"always", QuotingRules::kSqlIdentifierAlways, U"", U"\"\""},
    {"always", QuotingRules::kSqlIdentifierAlways, U"Revenue", U"\"Revenue\""},
    {"always", QuotingRules::kSqlIdentifierAlways, U"a\0b"sv, U"\"a\0b\""sv},
    {"always", QuotingRules::kSqlIdentifierAlways, U"say \"hi\"", U"\"say \"\"hi\"\"\""},
    {"always", QuotingRules::kSqlIdentifierAlways, U"Ζήτηση", U"\"Ζήτηση\""},
    // Names in their written form: quotes around, nothing inside changed.
    {"as written", QuotingRules::kAsWritten, U"", U"\"\""},
    {"as written", QuotingRules::kAsWritten, U"Order \"Lines\"", U"\"Order \"Lines\"\""},
    {"as written", QuotingRules::kAsWritten, U"\"Sales\"", U"\"\"Sales\"\""},
    {"as written", QuotingRules::kAsWritten, U"a\0b"sv, U"\"a\0b\""sv},
    {"as written", QuotingRules::kAsWritten, U"Café", U"\"Café\""},
    // Folder names: each end gets the quote it lacks.
    {"folder", QuotingRules::kFolderName, U"", U"\"\""},
    {"folder", QuotingRules::kFolderName, U"Sales", U"\"Sales\""},
    {"folder", QuotingRules::kFolderName, U"\"Sales\"", U"\"Sales\""},
    {"folder", QuotingRules::kFolderName, U"\"Sales", U"\"Sales\""},
    {"folder", QuotingRules::kFolderName, U"Sales\"", U"\"Sales\""},
    {"folder", QuotingRules::kFolderName, U"\"", U"\""},
    {"folder", QuotingRules::kFolderName, U"a\"b", U"\"a\"b\""},
    {"folder", QuotingRules::kFolderName, U"a\0b"sv, U"\"a\0b\""sv},
    {"folder", QuotingRules::kFolderName, U"Ventes été", U"\"Ventes été\""},
    // A caller's quote, not doubled, around names not opening with it.
    {"backtick", kBacktickUnlessOpened, U"", U""},
    {"backtick", kBacktickUnlessOpened, U"Sales", U"`Sales`"},
    {"backtick", kBacktickUnlessOpened, U"`Sales`", U"`Sales`"},
    {"backtick", kBacktickUnlessOpened, U"`Sales", U"`Sales"},
    {"backtick", kBacktickUnlessOpened, U"a`b", U"`a`b`"},
    {"backtick", kBacktickUnlessOpened, U"\"Sales\"", U"`\"Sales\"`"},
    {"backtick", kBacktickUnlessOpened, U"a\0b"sv, U"`a\0b`"sv},
    {"no quote", kNoQuote, U"Sales Data", U"Sales Data"},
    {"single", kSingleQuotesDoubled, U"it's", U"'it''s'"},
    {"single", kSingleQuotesDoubled, U"say \"hi\"", U"'say \"hi\"'"},
    {"single", kSingleQuotesDoubled, U"''", U"''''''"},
    {"single", kSingleQuotesDoubled, U"a\0'b"sv, U"'a\0''b'"sv},
    // String literals end at a NUL.
    {"literal", QuotingRules::kSqlStringLiteral, U"", U"''"},
    {"literal", QuotingRules::kSqlStringLiteral, U"it's", U"'it''s'"},
    {"literal", QuotingRules::kSqlStringLiteral, U"ab\0c'd"sv, U"'ab'"},
    {"literal", QuotingRules::kSqlStringLiteral, U"\0x"sv, U"''"},
    {"literal", QuotingRules::kSqlStringLiteral, U"'quoted'", U"'''quoted'''"},
    {"literal", QuotingRules::kSqlStringLiteral, U"say \"hi\"", U"'say \"hi\"'"},
    {"literal", QuotingRules::kSqlStringLiteral, U"Grüße", U"'Grüße'"},
};

TEST(IdentifierQuoting, EveryRuleOnAwkwardNames) {
  for (const Row& row : kRows) {
    const std::string where = std::string(row.rule) + " / " + ToNarrow(VXString(row.name));
    EXPECT_EQ(QuotedIdentifier(row.name, row.rules), row.written) << where;
    // The append form writes the same after whatever the buffer holds.
    VXString out = U"x.";
    AppendQuotedIdentifier(out, row.name, row.rules);
    EXPECT_EQ(out, U"x." + VXString(row.written)) << where;
  }
}

TEST(IdentifierQuoting, MultiCharacterQuoteIsDoubledWhole) {
  constexpr QuotingRule kBrackets{QuotingRule::kAlways, true, true, QuotingRule::kKeepNul, U"||"};
  EXPECT_EQ(QuotedIdentifier(U"a||b|c", kBrackets), U"||a||||b|c||");
  EXPECT_EQ(QuotedIdentifier(U"", kBrackets), U"||||");
}

TEST(IdentifierQuoting, PlainIdentifiers) {
  struct Case {
    std::u32string_view name;
    bool plain;
  };
  const Case cases[] = {
      {U"", false},    {U"a", true},  {U"Z9_", true}, {U"9a", false},    {U"_a", false},        {U"a-b", false},
      {U"a b", false}, {U"Öl", true}, {U"x²", false}, {U"a\0"sv, false}, {U"\U0001D49C", true},  // a letter beyond the
                                                                                                 // basic plane
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlainIdentifier(c.name), c.plain) << ToNarrow(VXString(c.name));
}

}  // namespace
