// Query text into tokens, in one pass over the bytes. Blanks and comments
// ("--" to the end of the line, "/* */") are skipped. Lines and columns are
// counted apart (TextPositions), columns in code points, so a UTF-8 name
// counts as its characters.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "Metadata/SMUtil.h"
#include "SMLogicalSQLInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "Utility/VXAssert.h"

namespace logical_sql::detail {
namespace {

// What a byte may be, as bits: one table lookup per byte in the loops below.
enum : std::uint8_t { kBlank = 1, kWordStart = 2, kWordChar = 4, kDigit = 8, kSymbolChar = 16, kAsciiWordChar = 32 };
constexpr std::string_view kOneCharSymbols = "()[],.;*+-/=<>?%|:{}";

struct CharClasses {
  std::uint8_t of[256] = {};
  constexpr CharClasses() {
    for (int c = 0; c < 256; ++c) {
      std::uint8_t k = 0;
      if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f' || c == '\v') k |= kBlank;
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80) k |= kWordStart | kWordChar;
      if (c >= '0' && c <= '9') k |= kDigit | kWordChar;
      if (c == '$' || c == '#') k |= kWordChar;
      if ((k & kWordChar) && c < 0x80) k |= kAsciiWordChar;
      if (kOneCharSymbols.find(static_cast<char>(c)) != std::string_view::npos) k |= kSymbolChar;
      of[c] = k;
    }
  }
};
constexpr CharClasses kClasses;

bool Has(unsigned char c, std::uint8_t k) { return (kClasses.of[c] & k) != 0; }

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

// The two-character operators read as one token: <= >= <> != ||.
bool IsTwoCharSymbol(unsigned char a, unsigned char b) {
  return ((a == '<' || a == '>' || a == '!') && b == '=') || (a == '<' && b == '>') || (a == '|' && b == '|');
}

}  // namespace

namespace {

// What a token starting with a byte may be: one look-up decides where to go.
enum class Start : std::uint8_t { kInvalid, kWord, kQuote, kDigit, kDot, kMinus, kSlash, kPairLead, kSymbol };
struct StartClasses {
  Start of[256] = {};
  constexpr StartClasses() {
    for (int c = 0; c < 256; ++c) {
      Start k = Start::kInvalid;
      if (kClasses.of[c] & kSymbolChar) k = Start::kSymbol;
      // The first characters of <= >= <> != ||.
      if (c == '<' || c == '>' || c == '!' || c == '|') k = Start::kPairLead;
      if (c == '.') k = Start::kDot;    // .5 is a number
      if (c == '-') k = Start::kMinus;  // -- a comment
      if (c == '/') k = Start::kSlash;  // /* a comment */
      if (c == '"' || c == '\'') k = Start::kQuote;
      if (kClasses.of[c] & kDigit) k = Start::kDigit;
      if (kClasses.of[c] & kWordStart) k = Start::kWord;
      of[c] = k;
    }
  }
};
constexpr StartClasses kStarts;

// The token that starts at or after p into out (see ReadToken); returns
// the byte after it. The one body of the single read and of the stream's
// batches; inlined into each, as a call per token is a good part of a
// token's time.
[[gnu::always_inline]] inline const unsigned char* Scan(const unsigned char* const base, const unsigned char* p,
                                                        const unsigned char* const end, Token& out,
                                                        std::vector<std::uint32_t>* badUtf8, const KeyTable* keys) {
  // Written as two whole words: the parser copies the token soon after, and
  // a copy that reads bytes stored apart waits for the stores to finish.
  const auto token = [&](TokKind kind, KeyId key, const unsigned char* begin, const unsigned char* after) {
    const std::uint64_t span =
        std::uint64_t{static_cast<std::uint32_t>(after - base)} << 32 | static_cast<std::uint32_t>(begin - base);
    const std::uint32_t rest = static_cast<std::uint32_t>(kind) | std::uint32_t{key} << 16;
    static_assert(offsetof(Token, end) == 4 && offsetof(Token, kind) == 8 && offsetof(Token, key) == 10);
    std::memcpy(static_cast<void*>(&out), &span, sizeof span);
    std::memcpy(reinterpret_cast<unsigned char*>(static_cast<void*>(&out)) + 8, &rest, sizeof rest);
    return after;
  };
  const auto symbol = [&](std::size_t n) {
    KeyId key = kNoKey;
    if (keys) {
      key = n == 1 ? keys->FindSymbol(*p)
                   : keys->Find(std::string_view(reinterpret_cast<const char*>(p), n), TokKind::kSymbol);
    }
    return token(TokKind::kSymbol, key, p, p + n);
  };
  while (true) {
    while (p < end && Has(*p, kBlank)) ++p;
    if (p == end) return token(TokKind::kEnd, kNoKey, end, end);
    const unsigned char c = *p;
    const bool bNext = p + 1 < end;
    switch (kStarts.of[c]) {
      case Start::kWord: {
        const unsigned char* q = p;
        bool bAscii = true;
        while (q < end) {
          if (Has(*q, kAsciiWordChar)) {
            ++q;
            continue;
          }
          if (*q < 0x80) break;
          bAscii = false;
          const std::size_t n = Utf8Length(q, end);
          if (n == 0 && badUtf8) badUtf8->push_back(static_cast<std::uint32_t>(q - base));
          q += n == 0 ? 1 : n;
        }
        // Keys are ASCII: a word with other bytes is no keyword.
        const auto n = static_cast<std::size_t>(q - p);
        KeyId key = kNoKey;
        if (keys && bAscii && n <= KeyTable::kMaxLength) {
          const auto* word = reinterpret_cast<const char*>(p);
          std::uint64_t head = 0;
          const std::uint32_t hash = KeyTable::HashOf(word, n, static_cast<std::size_t>(end - p), head);
          key = keys->FindWord(word, n, hash, head);
        }
        return token(TokKind::kWord, key, p, q);
      }
      case Start::kQuote: {
        for (const unsigned char* q = p + 1; q < end; ++q) {
          if (*q != c) continue;
          if (q + 1 < end && q[1] == c) {
            ++q;
            continue;
          }
          return token(c == '"' ? TokKind::kQuoted : TokKind::kString, kNoKey, p, q + 1);
        }
        return token(TokKind::kInvalid, kNoKey, p, end);
      }
      case Start::kDot:
        if (!bNext || !Has(p[1], kDigit)) return symbol(1);
        [[fallthrough]];
      case Start::kDigit: {
        const unsigned char* q = p;
        while (q < end && Has(*q, kDigit)) ++q;
        if (q < end && *q == '.') {
          ++q;
          while (q < end && Has(*q, kDigit)) ++q;
        }
        if (q < end && (*q == 'e' || *q == 'E')) {
          const unsigned char* r = q + 1;
          if (r < end && (*r == '+' || *r == '-')) ++r;
          if (r < end && Has(*r, kDigit)) {
            while (r < end && Has(*r, kDigit)) ++r;
            q = r;
          }
        }
        return token(TokKind::kNumber, kNoKey, p, q);
      }
      case Start::kMinus:
        if (!bNext || p[1] != '-') return symbol(1);
        while (p < end && *p != '\n') ++p;
        continue;
      case Start::kSlash: {
        if (!bNext || p[1] != '*') return symbol(1);
        const unsigned char* r = p + 2;
        while (r + 1 < end && !(r[0] == '*' && r[1] == '/')) ++r;
        // An unclosed comment: an invalid token over the rest.
        if (r + 1 >= end) return token(TokKind::kInvalid, kNoKey, p, end);
        p = r + 2;
        continue;
      }
      case Start::kPairLead:
        if (bNext && IsTwoCharSymbol(c, p[1])) return symbol(2);
        if (!Has(c, kSymbolChar)) return token(TokKind::kInvalid, kNoKey, p, p + 1);
        return symbol(1);
      case Start::kSymbol:
        return symbol(1);
      case Start::kInvalid:
        break;
    }
    return token(TokKind::kInvalid, kNoKey, p, p + 1);
  }
}

}  // namespace

void ReadToken(std::string_view text, std::size_t& pos, Token& out, std::vector<std::uint32_t>* badUtf8,
               const KeyTable* keys) {
  const auto* base = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = base + text.size();
  pos = static_cast<std::size_t>(Scan(base, base + std::min(pos, text.size()), end, out, badUtf8, keys) - base);
}

TokenStream::TokenStream(std::string_view text, const KeyTable* keys)
    // Offsets are 32-bit; longer text is read up to that limit and the rest
    // ends in an invalid token, so nothing is silently dropped.
    : m_text(text.substr(0, std::min<std::size_t>(text.size(), 0xFFFFFFF0u))), m_keys(keys) {}

void TokenStream::Outside(std::size_t i) {
  if (i < m_read) {
    VXAssert::handleLogicError(__FILE__, __LINE__, "a logical SQL token read after it left the token window");
  }
  // A batch in one loop, the text's bounds and the key table at hand
  // throughout, rather than a call for each token.
  const auto* base = reinterpret_cast<const unsigned char*>(m_text.data());
  const unsigned char* const end = base + m_text.size();
  const unsigned char* p = base + m_pos;
  std::size_t read = m_read;
  for (const std::size_t last = i + kBatch; read < last; ++read)
    p = Scan(base, p, end, m_ring[read & (kWindow - 1)], &m_badUtf8, m_keys);
  m_read = read;
  m_pos = static_cast<std::size_t>(p - base);
}

void TokenStream::ReadToEnd() {
  while (m_pos < m_text.size()) NextToken(m_text, m_pos, &m_badUtf8);
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
  std::vector<std::string> keys;
  std::size_t pos = 0;
  for (Token t = NextToken(narrow, pos); t.kind != TokKind::kEnd; t = NextToken(narrow, pos))
    keys.push_back(KeyOf(std::string_view(narrow).substr(t.begin, t.end - t.begin), t.kind));
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
