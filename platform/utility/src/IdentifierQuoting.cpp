#include "Utility/IdentifierQuoting.h"

#include <unicode/uchar.h>

#include "Utility/SQLKeyWords.h"

namespace {

// Letters and digits as Unicode classifies them, whatever the process
// locale says; ASCII, by far the common case, is decided without ICU.
bool IsLetter(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
  return u_isalpha(static_cast<UChar32>(c));
}
bool IsLetterOrDigit(char32_t c) {
  if (c < 0x80) return IsLetter(c) || (c >= U'0' && c <= U'9');
  return u_isalnum(static_cast<UChar32>(c));
}

bool NeedsQuotes(std::u32string_view name, const QuotingRule& rule) {
  switch (rule.when) {
    case QuotingRule::kAlways:
    case QuotingRule::kMissingEnds:
      return true;
    case QuotingRule::kWhenRequired:
      return !IsPlainIdentifier(name) || SQLKeyWords::IsKeyword(name);
    case QuotingRule::kUnlessOpened:
      return name.substr(0, 1) != rule.quote.substr(0, 1);
  }
  return true;
}

// name with NUL left out as the rule says; whole runs are copied at once.
void AppendBody(VXString& out, std::u32string_view name, const QuotingRule& rule) {
  if (rule.nul != QuotingRule::kDropNul) {
    out.append(name);
    return;
  }
  for (std::size_t start = 0; start < name.size();) {
    const std::size_t nul = name.find(U'\0', start);
    out.append(name.substr(start, nul == std::u32string_view::npos ? std::u32string_view::npos : nul - start));
    if (nul == std::u32string_view::npos) break;
    start = nul + 1;
  }
}

// name with every inner quote written twice; names rarely hold one, so the
// runs between them are copied whole.
void AppendDoubled(VXString& out, std::u32string_view name, const QuotingRule& rule) {
  std::size_t start = 0;
  for (std::size_t q = name.find(rule.quote); q != std::u32string_view::npos; q = name.find(rule.quote, start)) {
    const std::size_t end = q + rule.quote.size();
    AppendBody(out, name.substr(start, end - start), rule);
    out.append(rule.quote);
    start = end;
  }
  AppendBody(out, name.substr(start), rule);
}

}  // namespace

bool IsPlainIdentifier(std::u32string_view name) {
  if (name.empty() || !IsLetter(name[0])) return false;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] != U'_' && !IsLetterOrDigit(name[i])) return false;
  }
  return true;
}

void AppendQuotedIdentifier(VXString& out, std::u32string_view name, const QuotingRule& rule) {
  if (rule.nul == QuotingRule::kEndAtNul) name = name.substr(0, name.find(U'\0'));
  if (name.empty()) {
    if (rule.quoteEmptyName) out.append(rule.quote).append(rule.quote);
    return;
  }
  if (rule.quote.empty() || !NeedsQuotes(name, rule)) {
    AppendBody(out, name, rule);
    return;
  }
  if (rule.when == QuotingRule::kMissingEnds) {
    const bool bOpened = name.substr(0, rule.quote.size()) == rule.quote;
    const bool bClosed = name.size() >= rule.quote.size() && name.substr(name.size() - rule.quote.size()) == rule.quote;
    if (!bOpened) out.append(rule.quote);
    AppendBody(out, name, rule);
    if (!bClosed) out.append(rule.quote);
    return;
  }
  out.append(rule.quote);
  if (rule.doubleInnerQuotes) {
    AppendDoubled(out, name, rule);
  } else {
    AppendBody(out, name, rule);
  }
  out.append(rule.quote);
}

VXString QuotedIdentifier(std::u32string_view name, const QuotingRule& rule) {
  VXString out;
  out.reserve(name.size() + 2 * rule.quote.size());
  AppendQuotedIdentifier(out, name, rule);
  return out;
}
