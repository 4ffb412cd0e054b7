// Query text into tokens, in one pass over the bytes. Blanks and comments
// ("--" to the end of the line, "/* */") are skipped; line and column are
// counted on the way, columns in code points, so a UTF-8 name counts as
// its characters.
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

TokenList::TokenList(std::string_view text) : m_text(text) {
  // Offsets are 32-bit; longer text is read up to that limit and the rest
  // ends in an invalid token, so nothing is silently dropped.
  const std::size_t size = std::min<std::size_t>(text.size(), 0xFFFFFFF0u);
  const auto* base = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = base + size;
  // Typical query text has a token per four or five bytes; growing past
  // the reservation would copy every token read so far (pages reserved and
  // never reached cost nothing).
  m_tokens.reserve(size / 3 + 2);
  std::uint32_t line = 1;
  const unsigned char* lineStart = base;
  std::uint32_t columnBase = 1;  // column of lineStart; counts code points, not bytes
  // Code points between lineStart and p, advanced lazily.
  const unsigned char* counted = base;
  std::uint32_t countedColumn = 1;
  const auto columnAt = [&](const unsigned char* p) {
    if (counted < lineStart) {
      counted = lineStart;
      countedColumn = columnBase;
    }
    while (counted < p) {
      if ((*counted & 0xC0) != 0x80) ++countedColumn;
      ++counted;
    }
    return countedColumn;
  };
  const auto newLine = [&](const unsigned char* next) {
    ++line;
    lineStart = next;
    columnBase = 1;
  };
  const unsigned char* p = base;
  while (p < end) {
    const unsigned char c = *p;
    if (c == '\n') {
      newLine(++p);
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++p;
      continue;
    }
    if (c == '-' && p + 1 < end && p[1] == '-') {
      while (p < end && *p != '\n') ++p;
      continue;
    }
    Token t;
    t.begin = static_cast<std::uint32_t>(p - base);
    t.line = line;
    t.column = columnAt(p);
    if (c == '/' && p + 1 < end && p[1] == '*') {
      const unsigned char* q = p + 2;
      while (q + 1 < end && !(q[0] == '*' && q[1] == '/')) {
        if (*q == '\n') newLine(q + 1);
        ++q;
      }
      if (q + 1 >= end) {
        // An unclosed comment: reported as an invalid token over the rest.
        t.kind = TokKind::kInvalid;
        t.end = static_cast<std::uint32_t>(size);
        m_tokens.push_back(t);
        p = end;
        break;
      }
      p = q + 2;
      continue;
    }
    if (c == '"' || c == '\'') {
      const unsigned char* q = p + 1;
      bool bClosed = false;
      while (q < end) {
        if (*q == c) {
          if (q + 1 < end && q[1] == c) {
            q += 2;
            continue;
          }
          bClosed = true;
          ++q;
          break;
        }
        if (*q == '\n') newLine(q + 1);
        ++q;
      }
      t.kind = bClosed ? (c == '"' ? TokKind::kQuoted : TokKind::kString) : TokKind::kInvalid;
      t.end = static_cast<std::uint32_t>(q - base);
      m_tokens.push_back(t);
      p = q;
      continue;
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
      t.kind = TokKind::kNumber;
      t.end = static_cast<std::uint32_t>(q - base);
      m_tokens.push_back(t);
      p = q;
      continue;
    }
    if (IsWordStart(c)) {
      const unsigned char* q = p;
      while (q < end && IsWordChar(*q)) {
        if (*q >= 0x80) {
          const std::size_t n = Utf8Length(q, end);
          if (n == 0) {
            m_badUtf8.push_back(static_cast<std::uint32_t>(q - base));
            ++q;
          } else {
            q += n;
          }
        } else {
          ++q;
        }
      }
      t.kind = TokKind::kWord;
      t.end = static_cast<std::uint32_t>(q - base);
      m_tokens.push_back(t);
      p = q;
      continue;
    }
    t.kind = TokKind::kInvalid;
    std::size_t n = 1;
    if (p + 1 < end) {
      const std::string_view two(reinterpret_cast<const char*>(p), 2);
      if (std::find(std::begin(kTwoCharSymbols), std::end(kTwoCharSymbols), two) != std::end(kTwoCharSymbols)) {
        t.kind = TokKind::kSymbol;
        n = 2;
      }
    }
    if (t.kind != TokKind::kSymbol && kOneCharSymbols.find(static_cast<char>(c)) != std::string_view::npos) {
      t.kind = TokKind::kSymbol;
    }
    t.end = static_cast<std::uint32_t>(p - base + n);
    m_tokens.push_back(t);
    p += n;
  }
  Token last;
  last.kind = TokKind::kEnd;
  last.begin = last.end = static_cast<std::uint32_t>(size);
  last.line = line;
  last.column = columnAt(end);
  m_tokens.push_back(last);
  // Invalid UTF-8 inside quotes and strings is found where the value is
  // widened; in words it was found above.
}

SourcePosition TokenList::EndOf(const Token& t) const {
  SourcePosition pos{t.line, t.column, t.begin};
  for (std::size_t i = t.begin; i < t.end && i < m_text.size(); ++i) {
    const auto c = static_cast<unsigned char>(m_text[i]);
    if (c == '\n') {
      ++pos.line;
      pos.column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++pos.column;
    }
  }
  pos.offset = t.end;
  return pos;
}

bool TokenList::Is(std::size_t i, std::string_view keyword) const {
  const Token& t = (*this)[i];
  if (t.kind != TokKind::kWord && t.kind != TokKind::kSymbol) return false;
  const std::string_view s = Text(t);
  if (s.size() != keyword.size()) return false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    char c = s[k];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[k]) return false;
  }
  return true;
}

VXString Widen(std::string_view utf8) { return ToVXString(utf8); }

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
