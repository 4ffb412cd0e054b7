// IdentifierQuoting: the one writer of quoted names (and of quoted string
// literals). Every place that puts a name or a literal between quote
// characters names a QuotingRule saying what differs
// between the operations: whether quotes are always written or only when
// the name needs them, whether an inner quote character is doubled, how an
// empty name and a NUL character are written, and the quote itself.
//
//   VXString text;
//   AppendQuotedIdentifier(text, U"Order \"Lines\"", QuotingRules::kNameSegment);
//       // "Order ""Lines"""
//   QuotedIdentifier(U"Revenue", QuotingRules::kSqlIdentifierWhenRequired);  // Revenue
//   QuotedIdentifier(U"select", QuotingRules::kSqlIdentifierWhenRequired);   // "select"
#pragma once

#include <string_view>

#include "Utility/VXString.h"

struct QuotingRule {
  enum When : unsigned char {
    // Always between quotes.
    kAlways,
    // Bare when the name is a plain identifier (a letter, then letters,
    // digits and underscores) and no reserved word; quoted otherwise.
    kWhenRequired,
    // A name that begins with the quote is taken as quoted already and
    // written as it stands; any other name is quoted.
    kUnlessOpened,
    // Each end gets a quote unless it already has one (a name that is one
    // quote has both); inner quotes stand as they are.
    kMissingEnds,
  };
  When when = kAlways;
  // An inner quote character is written twice (true) or as it stands.
  bool doubleInnerQuotes = true;
  // An empty name is written as two quotes (true) or as nothing.
  bool quoteEmptyName = true;
  // How a NUL character is written: as it stands, left out, or as the end
  // of the text (nothing after it is written).
  enum Nul : unsigned char { kKeepNul, kDropNul, kEndAtNul };
  Nul nul = kKeepNul;
  // The quote; a rule with an empty quote writes every name as it stands.
  std::u32string_view quote = U"\"";
};

// The rules the library's operations name.
namespace QuotingRules {
// A segment of a written qualified name: always quoted, inner quotes
// doubled, NUL left out; an empty segment writes nothing, so a missing level
// shows as nothing between two dots.
inline constexpr QuotingRule kNameSegment{QuotingRule::kAlways, true, false, QuotingRule::kDropNul};
// An identifier in logical SQL that is quoted only when it must be; an
// empty name is "".
inline constexpr QuotingRule kSqlIdentifierWhenRequired{QuotingRule::kWhenRequired, true, true};
// The same with quotes mandatory.
inline constexpr QuotingRule kSqlIdentifierAlways{QuotingRule::kAlways, true, true};
// A name already in its written form (an alias, a name part a parser left
// quoted-ready, an id's text): quotes around it, nothing inside changed.
inline constexpr QuotingRule kAsWritten{QuotingRule::kAlways, false, true};
// A catalog folder name that may carry its quotes already.
inline constexpr QuotingRule kFolderName{QuotingRule::kMissingEnds, false, true};
// A string literal in logical SQL: single quotes, inner ones doubled; the
// text ends at a NUL, as it would for any reader of a C string.
inline constexpr QuotingRule kSqlStringLiteral{QuotingRule::kAlways, true, true, QuotingRule::kEndAtNul, U"'"};
}  // namespace QuotingRules

// Appends name written by rule to out.
void AppendQuotedIdentifier(VXString& out, std::u32string_view name, const QuotingRule& rule);
// name written by rule.
VXString QuotedIdentifier(std::u32string_view name, const QuotingRule& rule);
// A letter, then letters, digits and underscores (letters and digits as
// Unicode classifies them).
bool IsPlainIdentifier(std::u32string_view name);
