// Query text into tokens, in one pass over the bytes. Blanks and comments
// ("--" to the end of the line, "/* */") are skipped. Lines and columns are
// counted apart (TextPositions), columns in code points, so a UTF-8 name
// counts as its characters.
#include <algorithm>

#include "Metadata/SMUtil.h"
#include "SMLogicalSQLInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"

namespace logical_sql::detail {
namespace {

bool IsWordStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return IsWordStart(c) || (c >= '0' && c <= '9') || c == '$' || c == '#'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Two-character operators read as one token.
constexpr std::string_view kTwoCharSymbols[] = {"<=", ">=", "<>", "!=", "||"};
constexpr std::string_view kOneCharSymbols = "()[],.;*+-/=<>?%|:{}";

// The length of the UTF-8 sequence at p, 0 when it is not valid.
std::size_t Utf8Length(const unsigned char* p, const unsigned char* end) {
  const unsigned char c = *p;
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || static_cast<std::size_t>(end - p) < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
  }
  if (n == 2 && c < 0xC2) return 0;
  if (n == 3 && c == 0xE0 && p[1] < 0xA0) return 0;
  if (n == 4 && (c > 0xF4 || (c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F))) return 0;
  return n;
}

}  // namespace

Token NextToken(std::string_view text, std::size_t& pos, std::vector<std::uint32_t>* badUtf8) {
  const auto* base = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = base + text.size();
  const unsigned char* p = base + std::min(pos, text.size());
  Token t;
  const auto finish = [&](TokKind kind, const unsigned char* q) {
    t.kind = kind;
    t.end = static_cast<std::uint32_t>(q - base);
    pos = t.end;
    return t;
  };
  while (p < end) {
    const unsigned char c = *p;
    if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++p;
      continue;
    }
    if (c == '-' && p + 1 < end && p[1] == '-') {
      while (p < end && *p != '\n') ++p;
      continue;
    }
    t.begin = static_cast<std::uint32_t>(p - base);
    if (c == '/' && p + 1 < end && p[1] == '*') {
      const unsigned char* q = p + 2;
      while (q + 1 < end && !(q[0] == '*' && q[1] == '/')) ++q;
      // An unclosed comment: an invalid token over the rest.
      if (q + 1 >= end) return finish(TokKind::kInvalid, end);
      p = q + 2;
      continue;
    }
    if (c == '"' || c == '\'') {
      const unsigned char* q = p + 1;
      while (q < end) {
        if (*q == c) {
          if (q + 1 < end && q[1] == c) {
            q += 2;
            continue;
          }
          return finish(c == '"' ? TokKind::kQuoted : TokKind::kString, q + 1);
        }
        ++q;
      }
      return finish(TokKind::kInvalid, q);
    }
    if (IsDigit(c) || (c == '.' && p + 1 < end && IsDigit(p[1]))) {
      const unsigned char* q = p;
      while (q < end && IsDigit(*q)) ++q;
      if (q < end && *q == '.') {
        ++q;
        while (q < end && IsDigit(*q)) ++q;
      }
      if (q < end && (*q == 'e' || *q == 'E')) {
        const unsigned char* r = q + 1;
        if (r < end && (*r == '+' || *r == '-')) ++r;
        if (r < end && IsDigit(*r)) {
          while (r < end && IsDigit(*r)) ++r;
          q = r;
        }
      }
      return finish(TokKind::kNumber, q);
    }
    if (IsWordStart(c)) {
      const unsigned char* q = p;
      while (q < end && IsWordChar(*q)) {
        if (*q < 0x80) {
          ++q;
          continue;
        }
        const std::size_t n = Utf8Length(q, end);
        if (n == 0 && badUtf8) badUtf8->push_back(static_cast<std::uint32_t>(q - base));
        q += n == 0 ? 1 : n;
      }
      return finish(TokKind::kWord, q);
    }
    if (p + 1 < end) {
      const std::string_view two(reinterpret_cast<const char*>(p), 2);
      if (std::find(std::begin(kTwoCharSymbols), std::end(kTwoCharSymbols), two) != std::end(kTwoCharSymbols)) {
        return finish(TokKind::kSymbol, p + 2);
      }
    }
    const bool bSymbol = kOneCharSymbols.find(static_cast<char>(c)) != std::string_view::npos;
    return finish(bSymbol ? TokKind::kSymbol : TokKind::kInvalid, p + 1);
  }
  t.begin = static_cast<std::uint32_t>(text.size());
  return finish(TokKind::kEnd, end);
}

TokenList::TokenList(std::string_view text, const KeyTable* keys)
    // Offsets are 32-bit; longer text is read up to that limit and the rest
    // ends in an invalid token, so nothing is silently dropped.
    : m_text(text.substr(0, std::min<std::size_t>(text.size(), 0xFFFFFFF0u))) {
  // Typical query text has a token per four or five bytes; growing past
  // the reservation would copy every token read so far (pages reserved and
  // never reached cost nothing).
  m_tokens.reserve(m_text.size() / 3 + 2);
  std::size_t pos = 0;
  while (true) {
    Token t = NextToken(m_text, pos, &m_badUtf8);
    if (keys) t.key = keys->Find(Text(t), t.kind);
    m_tokens.push_back(t);
    if (t.kind == TokKind::kEnd) break;
  }
  // Invalid UTF-8 inside quotes and strings is found where the value is
  // widened; in words it was found above.
}

VXString Widen(std::string_view utf8) { return ToVXString(utf8); }

const TextPositions& DiagnosticSink::Positions() {
  if (!m_positions) m_positions.emplace(m_text);
  return *m_positions;
}

VXString QuotedValue(std::string_view tokenText) {
  if (tokenText.size() < 2) return VXString();
  const char q = tokenText.front();
  std::string inner;
  inner.reserve(tokenText.size() - 2);
  for (std::size_t i = 1; i + 1 < tokenText.size(); ++i) {
    inner.push_back(tokenText[i]);
    if (tokenText[i] == q && i + 2 < tokenText.size() && tokenText[i + 1] == q) ++i;
  }
  return Widen(inner);
}

std::string KeyOf(std::string_view tokenText, TokKind kind) {
  std::string key(tokenText);
  if (kind == TokKind::kWord) {
    for (char& c : key) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  if (key == "!=") key = "<>";
  return key;
}

std::vector<std::string> SpellingKeys(std::u32string_view spelling) {
  const std::string narrow = ToNarrow(spelling);
  TokenList tokens(narrow);
  std::vector<std::string> keys;
  for (std::size_t i = 0; i + 1 < tokens.Size(); ++i) keys.push_back(KeyOf(tokens.Text(tokens[i]), tokens[i].kind));
  return keys;
}

bool HasErrorsImpl(std::span<const Diagnostic> diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity == Severity::kError; });
}

Diagnostic* DiagnosticSink::Add(Severity severity, std::string_view code, int messageId, const SourceRange& range,
                                std::initializer_list<VXString> args) {
  if (m_bFull) return nullptr;
  Diagnostic d;
  d.severity = severity;
  d.code = std::string(code);
  d.range = range;
  if (m_out.size() >= kMaxDiagnostics) {
    m_bFull = true;
    d.severity = Severity::kWarning;
    d.code = "sql.too-many-diagnostics";
    d.messageId = kMsgTooManyDiagnostics;
    d.message = SUStrUtil::LoadMsgStringOnly(kMsgTooManyDiagnostics,
                                             BaseStringUtil::StringFrom(static_cast<int>(kMaxDiagnostics)));
    m_out.push_back(std::move(d));
    return nullptr;
  }
  d.messageId = messageId;
  d.message = SUStrUtil::LoadMsgStringOnly(messageId, std::span<const VXString>(args.begin(), args.size()));
  m_out.push_back(std::move(d));
  return &m_out.back();
}

}  // namespace logical_sql::detail

namespace logical_sql {

bool HasErrors(std::span<const Diagnostic> diagnostics) { return detail::HasErrorsImpl(diagnostics); }

TextPositions::TextPositions(std::string_view text) : m_text(text) {
  m_lineStarts.push_back(0);
  bool bAscii = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') m_lineStarts.push_back(static_cast<std::uint32_t>(i + 1));
    bAscii = bAscii && c < 0x80;
  }
  if (bAscii) return;
  std::uint32_t codePoints = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i % kBlock == 0) m_blockCodePoints.push_back(codePoints);
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++codePoints;
  }
}

std::size_t TextPositions::CodePointsBefore(std::size_t offset) const {
  if (m_blockCodePoints.empty()) return offset;
  const std::size_t block = offset / kBlock;
  if (block >= m_blockCodePoints.size()) {
    // Only the end of a text whose length is a multiple of the block.
    return CodePointsBefore(offset - 1) + ((static_cast<unsigned char>(m_text[offset - 1]) & 0xC0) != 0x80);
  }
  std::size_t n = m_blockCodePoints[block];
  for (std::size_t i = block * kBlock; i < offset; ++i) {
    if ((static_cast<unsigned char>(m_text[i]) & 0xC0) != 0x80) ++n;
  }
  return n;
}

SourcePosition TextPositions::At(std::size_t offset) const {
  offset = std::min(offset, m_text.size());
  const auto next = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
  const std::size_t lineStart = *(next - 1);
  const std::size_t column = CodePointsBefore(offset) - CodePointsBefore(lineStart) + 1;
  return {static_cast<std::uint32_t>(next - m_lineStarts.begin()), static_cast<std::uint32_t>(column), offset};
}

QualifiedName SyntaxTree::Segments(TextSpan name) const {
  QualifiedName segments;
  const std::string_view within = text.substr(0, std::min<std::size_t>(name.end, text.size()));
  std::size_t pos = name.begin;
  while (true) {
    const detail::Token t = detail::NextToken(within, pos);
    if (t.kind == detail::TokKind::kEnd) break;
    if (t.kind == detail::TokKind::kQuoted || t.kind == detail::TokKind::kWord)
      segments.push_back(Value({t.begin, t.end}));
  }
  return segments;
}

VXString SyntaxTree::Value(TextSpan token) const {
  const std::string_view s = Source(token);
  if (!s.empty() && (s[0] == '"' || s[0] == '\'')) return detail::QuotedValue(s);
  return detail::Widen(s);
}

std::string MessageLine(const Diagnostic& d) {
  std::string line = ToNarrow(d.message);
  if (!d.suggestions.empty()) {
    line += " (did you mean ";
    for (std::size_t i = 0; i < d.suggestions.size(); ++i) {
      if (i > 0) line += i + 1 == d.suggestions.size() ? " or " : ", ";
      line += ToNarrow(MetadataUtil::ToQualifiedName(d.suggestions[i]));
    }
    line += "?)";
  }
  if (!d.candidates.empty()) {
    line += " (candidates: ";
    for (std::size_t i = 0; i < d.candidates.size(); ++i) {
      if (i > 0) line += ", ";
      line += ToNarrow(MetadataUtil::ToQualifiedName(d.candidates[i].m_qName));
    }
    line += ")";
  }
  return line;
}

std::string_view OutcomeName(NameOutcome outcome) {
  switch (outcome) {
    case kOK:
      return "kOK";
    case kUnresovableTable:
      return "kUnresovableTable";
    case kAmbiguousTable:
      return "kAmbiguousTable";
    case kAmbiguousCatalog:
      return "kAmbiguousCatalog";
    case kInaccessibleTable:
      return "kInaccessibleTable";
    case kNonexistentTable:
      return "kNonexistentTable";
    case kAmbiguousColumn:
      return "kAmbiguousColumn";
    case kInaccessibleColumn:
      return "kInaccessibleColumn";
    case kNonexistentColumn:
      return "kNonexistentColumn";
    case kNonexistentCatalog:
      return "kNonexistentCatalog";
    case kInaccessibleCatalog:
      return "kInaccessibleCatalog";
    case kNonexistentVariable:
      return "kNonexistentVariable";
    case kNotAnOutcome:
      break;
  }
  return "";
}

}  // namespace logical_sql
