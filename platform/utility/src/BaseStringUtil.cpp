// Searching outside quotes, tokenizing, trimming, replacing and escaping.
#include "Utility/BaseStringUtil.h"

#include <unicode/uchar.h>

#include "Utility/IdentifierQuoting.h"
#include "Utility/XmlText.h"

namespace {
bool IsQuote(char32_t c) { return c == U'\'' || c == U'"'; }

// Given text[open] is a quote character, the position of its closing quote
// (a doubled quote character inside stands for itself); npos if unclosed.
std::size_t FindQuoteEnd(std::u32string_view text, std::size_t open) {
  const char32_t q = text[open];
  for (std::size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] != q) continue;
    if (i + 1 < text.size() && text[i + 1] == q) {
      ++i;  // doubled: part of the quoted text
      continue;
    }
    return i;
  }
  return VXString::npos;
}

bool IsSpace(char32_t c) { return c <= 0x10FFFF && u_isUWhiteSpace(static_cast<UChar32>(c)); }

}  // namespace

namespace BaseStringUtil {

std::size_t FindFirstUnquoted(std::u32string_view text, std::u32string_view pattern, std::size_t start,
                              std::vector<QuotedPart>* quotedParts) {
  if (pattern.empty() || start >= text.size()) return VXString::npos;
  for (std::size_t i = start; i < text.size();) {
    if (IsQuote(text[i]) && !(pattern.size() > 0 && text.compare(i, pattern.size(), pattern) == 0)) {
      const std::size_t close = FindQuoteEnd(text, i);
      if (close == VXString::npos) return VXString::npos;
      if (quotedParts) quotedParts->emplace_back(i, close);
      i = close + 1;
      continue;
    }
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
    ++i;
  }
  return VXString::npos;
}

std::size_t FindClosingParenthesis(std::u32string_view text, std::size_t start) noexcept {
  std::size_t depth = 0;
  for (std::size_t i = start; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (IsQuote(c)) {
      const std::size_t close = FindQuoteEnd(text, i);
      if (close == VXString::npos) return VXString::npos;
      i = close;
    } else if (c == U'(') {
      ++depth;
    } else if (c == U')') {
      if (depth == 0) return i;
      --depth;
    }
  }
  return VXString::npos;
}

bool IsWordSeparator(char32_t c) noexcept {
  switch (c) {
    case U'(':
    case U')':
    case U'.':
    case U',':
    case U';':
    case U':':
    case U'+':
    case U'-':
    case U'*':
    case U'/':
    case U'=':
    case U'<':
    case U'>':
    case U'!':
    case U'|':
    case U'&':
    case U'^':
    case U'~':
    case U'[':
    case U']':
    case U'{':
    case U'}':
    case U'?':
    case U'@':
    case U'%':
      return true;
    default:
      return IsSpace(c);
  }
}

VXStringVector Tokenize(std::u32string_view text, std::u32string_view delimiters, bool bReturnDelimiters,
                        bool bKeepEmptyTokens) {
  VXStringVector out;
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const bool atEnd = i == text.size();
    if (!atEnd && delimiters.find(text[i]) == std::u32string_view::npos) continue;
    if (i > pieceStart || bKeepEmptyTokens) out.emplace_back(text.substr(pieceStart, i - pieceStart));
    if (!atEnd && bReturnDelimiters) out.emplace_back(1, text[i]);
    pieceStart = i + 1;
  }
  return out;
}

VXString TrimLeft(std::u32string_view text) {
  std::size_t b = 0;
  while (b < text.size() && IsSpace(text[b])) ++b;
  return VXString(text.substr(b));
}

VXString TrimRight(std::u32string_view text) {
  std::size_t e = text.size();
  while (e > 0 && IsSpace(text[e - 1])) --e;
  return VXString(text.substr(0, e));
}

VXString TrimBoth(std::u32string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsSpace(text[b])) ++b;
  while (e > b && IsSpace(text[e - 1])) --e;
  return VXString(text.substr(b, e - b));
}

std::size_t ReplaceSubstring(VXString& text, std::u32string_view from, std::u32string_view to, bool bCaseInsensitive,
                             bool bFirstOnly) {
  if (from.empty()) return 0;
  // Built in one pass so that long texts with many hits stay linear.
  VXString out;
  std::size_t count = 0, pos = 0;
  while (pos <= text.size()) {
    const std::size_t hit =
        bCaseInsensitive ? CaseInsensitiveFind(text, from, pos) : std::u32string_view(text).find(from, pos);
    if (hit == VXString::npos) break;
    if (count == 0) out.reserve(text.size());
    out.append(text, pos, hit - pos);
    out.append(to);
    pos = hit + from.size();
    ++count;
    if (bFirstOnly) break;
  }
  if (count == 0) return 0;
  out.append(text, pos, VXString::npos);
  text.swap(out);
  return count;
}

std::size_t ReplacePatternInString(VXString& text, std::u32string_view pattern, std::u32string_view replacement) {
  return ReplaceSubstring(text, pattern, replacement, false, false);
}

VXString QuoteAround(std::u32string_view text, char32_t quote) {
  QuotingRule rule{QuotingRule::kAlways, true, true};
  rule.quote = std::u32string_view(&quote, 1);
  return QuotedIdentifier(text, rule);
}

VXString EscapeXMLChars(std::u32string_view text) {
  VXString out;
  out.reserve(text.size());
  for (char32_t c : text) {
    const std::string_view ref = XmlText::MarkupReference(c, XmlText::Apostrophe::kNamed);
    if (!ref.empty()) {
      out.append(ref.begin(), ref.end());
    } else {
      out.push_back(XmlText::IsXmlChar(c) ? c : U'\uFFFD');
    }
  }
  return out;
}

VXString MakeOneLineString(std::u32string_view text) {
  VXString out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r') {
      if (i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      out.push_back(U' ');
    } else if (c == U'\n' || c == 0x2028 || c == 0x2029) {
      out.push_back(U' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace BaseStringUtil
