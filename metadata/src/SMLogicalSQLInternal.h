// Shared by the SMLogicalSQL*.cpp sources: the tokens of query text, the
// operator patterns read from the renderer's tables, and diagnostic records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMPrettyStringVisitor.h"

namespace logical_sql::detail {

// ---- tokens -------------------------------------------------------------------------

enum class TokKind : std::uint8_t {
  kEnd,
  kWord,     // an unquoted name or keyword: letters, digits, '_', '$', '#'
  kQuoted,   // "a name", doubled quotes inside
  kString,   // 'a literal', doubled quotes inside
  kNumber,   // digits with an optional fraction and exponent
  kSymbol,   // punctuation, the two-character operators as one token
  kInvalid,  // a character that starts no token, or an unclosed quote
};

// A keyword or symbol of the grammar by number: every key the patterns and
// the parser use is interned once, so that a token is looked up once (one
// hash of its upper-cased bytes) and matching compares numbers.
using KeyId = std::uint16_t;
constexpr KeyId kNoKey = 0;  // a token that is no keyword of the grammar
using Keys = std::vector<KeyId>;
class KeyTable;

// Twelve bytes a token: query text has a token every four or five bytes,
// and lines and columns are counted only for a position that is shown.
struct Token {
  std::uint32_t begin = 0;  // byte offsets into the text
  std::uint32_t end = 0;
  TokKind kind = TokKind::kEnd;
  std::uint8_t spare = 0;
  KeyId key = kNoKey;
};

// Reads the token that starts at or after pos into out, skipping blanks and
// comments; pos is left after it. kEnd at the end of the text. Bytes of a
// word that are not valid UTF-8 are added to badUtf8 when it is given; with
// a key table, a word's or symbol's key is looked up as it is read.
void ReadToken(std::string_view text, std::size_t& pos, Token& out, std::vector<std::uint32_t>* badUtf8 = nullptr,
               const KeyTable* keys = nullptr);
inline Token NextToken(std::string_view text, std::size_t& pos, std::vector<std::uint32_t>* badUtf8 = nullptr,
                       const KeyTable* keys = nullptr) {
  Token t;
  ReadToken(text, pos, t, badUtf8, keys);
  return t;
}

// The tokens of a text, read as the parser asks for them: a ring holds the
// last kWindow tokens read, so that the memory does not grow with the text
// and the tokens stay in the cache. Tokens are numbered from 0 in text
// order and read kBatch at a time past the one asked for; the parser looks
// at most a few tokens back from where it is and a few ahead (a pattern's
// words), well inside the kWindow - kBatch that stay behind. Past the end,
// every token is kEnd.
class TokenStream {
 public:
  explicit TokenStream(std::string_view text, const KeyTable* keys = nullptr);
  const Token& operator[](std::size_t i) {
    // One comparison for both sides of the window (the difference wraps
    // for a token not read yet): the last kWindow tokens read are in it.
    if (m_read - 1 - i >= kWindow) Outside(i);
    return m_ring[i & (kWindow - 1)];
  }
  std::string_view Text(const Token& t) const { return m_text.substr(t.begin, t.end - t.begin); }
  std::string_view Source() const { return m_text; }
  static TextSpan SpanOf(const Token& t) { return {t.begin, t.end}; }
  // Reads what is left of the text, for InvalidUtf8.
  void ReadToEnd();
  // Offsets of text that is not valid UTF-8 (reported once each), in the
  // text read so far.
  const std::vector<std::uint32_t>& InvalidUtf8() const { return m_badUtf8; }

  static constexpr std::size_t kWindow = 64;
  static constexpr std::size_t kBatch = 16;

 private:
  // Reads tokens up to kBatch past token i, when it is not read yet. One
  // that has left the window would be another's: a fault of the parser,
  // refused rather than read.
  void Outside(std::size_t i);
  std::string_view m_text;
  const KeyTable* m_keys;
  std::size_t m_pos = 0;   // the byte after the last token read
  std::size_t m_read = 0;  // tokens read
  Token m_ring[kWindow];
  std::vector<std::uint32_t> m_badUtf8;
};

// The value of a quoted name or a string literal: the quotes dropped and
// doubled quotes undoubled; the text widened from UTF-8.
VXString QuotedValue(std::string_view tokenText);
// Widens UTF-8 (invalid bytes become U+FFFD).
VXString Widen(std::string_view utf8);

// The upper-case key a spelling's token is matched by: a word's letters in
// upper case, a symbol as it stands.
std::string KeyOf(std::string_view tokenText, TokKind kind);

// Cuts a spelling of the renderer (" SUM(DISTINCT ", " <=ANY ") into the
// keys of its tokens, as the text a user types would be cut.
std::vector<std::string> SpellingKeys(std::u32string_view spelling);

class KeyTable {
 public:
  KeyTable();
  // The number of key (upper case, as KeyOf writes it), added when new.
  KeyId Intern(std::string_view key);
  // The number of a token's key; kNoKey when it is not one of the table's
  // or the token is neither a word nor a symbol.
  KeyId Find(std::string_view tokenText, TokKind kind) const;
  // The key of a word of n bytes at p whose HashOf is hash; kNoKey when it is none.
  KeyId FindWord(const char* p, std::size_t n, std::uint32_t hash, std::uint64_t head) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = m_slots[i];
      if (slot.id == kNoKey) return kNoKey;
      if (slot.hash != hash || slot.length != n || slot.head != head) continue;
      if (n <= 8 || TailMatches(p, n, m_texts[slot.id])) return slot.id;
    }
  }
  // The key of a one-character symbol.
  KeyId FindSymbol(unsigned char c) const { return c < 128 ? m_oneChar[c] : kNoKey; }
  // The hash of n bytes at p with ASCII letters folded to upper case (each
  // byte's bit 0x20 cleared: over the bytes of a word, that is a case fold
  // and nothing else), and the first eight of them folded, as one number,
  // into head. avail bytes from p may be read; a chunk of eight is loaded
  // whole, so a word costs a multiply per eight bytes.
  static std::uint32_t HashOf(const char* p, std::size_t n, std::size_t avail, std::uint64_t& head) {
    constexpr std::uint64_t kFold = 0xDFDFDFDFDFDFDFDFull;
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = n * kMix;
    head = 0;
    for (std::size_t i = 0; i < n; i += 8) {
      std::uint64_t v = 0;
      if (i + 8 <= avail) {
        std::memcpy(&v, p + i, 8);
        // Little-endian: the first bytes are the low ones.
        if (n - i < 8) v &= ~std::uint64_t{0} >> (64 - 8 * (n - i));
      } else {
        for (std::size_t k = std::min(n, i + 8); k > i; --k) v = v << 8 | static_cast<unsigned char>(p[k - 1]);
      }
      v &= kFold;
      if (i == 0) head = v;
      h = (h ^ v) * kMix;
      h ^= h >> 29;
    }
    return static_cast<std::uint32_t>(h >> 32);
  }
  std::string_view Text(KeyId id) const { return m_texts[id]; }
  std::size_t Size() const { return m_texts.size(); }
  // Keys no longer than this are interned; a longer word is no keyword.
  static constexpr std::size_t kMaxLength = 48;

 private:
  KeyId Lookup(std::string_view key, std::uint32_t hash) const;
  // Whether the bytes of a word past its first eight are key's, in upper case.
  static bool TailMatches(const char* p, std::size_t n, const std::string& key);
  void Grow();
  std::vector<std::string> m_texts;  // by id; [0] is empty
  // A key's first eight bytes are kept in its slot: a word is matched
  // without reading the key's text unless it is longer.
  struct Slot {
    std::uint64_t head = 0;
    std::uint32_t hash = 0;
    KeyId id = kNoKey;
    std::uint8_t length = 0;
  };
  std::vector<Slot> m_slots;  // open addressing, a power of two in size
  KeyId m_oneChar[128] = {};  // the keys of one-character symbols
};

// ---- operator patterns ----------------------------------------------------------------

// One way to read an operator: the renderer's row (or an own body's words)
// as token keys. Forms follow ToPrettyStringVisitor::OperatorSpelling.
struct Pattern {
  int code = 0;
  ToPrettyStringVisitor::OperatorSpelling::Form form = ToPrettyStringVisitor::OperatorSpelling::kFunction1;
  Keys open, between, rest, close;
  int minArgs = 0;          // operands read from the text (leading parameters excluded)
  int maxArgs = 0;          // -1: no limit
  int leadingParam = -1;    // a parameter code stored as the first operand, or -1
  bool bParamLast = false;  // the parameter is stored after the operands instead
  bool bNegated = false;    // NOT IN, NOT LIKE, NOT BETWEEN, IS NOT NULL: the operator under a negation
  int order = 0;            // table order: the earlier pattern wins when two read the same text
  int prec = 0;             // PrecedenceOf(code)
  // An infix or headed pattern's first infix and first headed pattern with
  // the same words (itself among them): one operand is read, then what
  // follows tells which of the two it is.
  const Pattern* infix = nullptr;
  const Pattern* headed = nullptr;
};

// The words and symbols the parser reads by hand, compared by key.
enum class Word : std::uint8_t {
  kComma,
  kDot,
  kOpen,
  kClose,
  kSemicolon,
  kPlus,
  kMinus,
  kAll,
  kAnd,
  kAs,
  kAsc,
  kBy,
  kCase,
  kDate,
  kDesc,
  kDistinct,
  kExcept,
  kFetch,
  kFirst,
  kFrom,
  kGroup,
  kHaving,
  kIntersect,
  kInterval,
  kNext,
  kOnly,
  kOrder,
  kRow,
  kRows,
  kSelect,
  kTime,
  kTimestamp,
  kTo,
  kUnion,
  kValueOf,
  kWhere,
  kCount
};
// Their text, by Word.
constexpr std::string_view kWordTexts[] = {
    ",",     ".",    "(",      ")",      ";",         "+",        "-",        "ALL",     "AND",
    "AS",    "ASC",  "BY",     "CASE",   "DATE",      "DESC",     "DISTINCT", "EXCEPT",  "FETCH",
    "FIRST", "FROM", "GROUP",  "HAVING", "INTERSECT", "INTERVAL", "NEXT",     "ONLY",    "ORDER",
    "ROW",   "ROWS", "SELECT", "TIME",   "TIMESTAMP", "TO",       "UNION",    "VALUEOF", "WHERE"};
static_assert(std::size(kWordTexts) == static_cast<std::size_t>(Word::kCount));

// The patterns that share an opening (SUBSTRING( is read as SUBSTRING(x
// FROM a) or SUBSTRING(x FROM a FOR b) by what follows), compiled into a
// small state machine when the grammar is built: a state stands for the
// patterns still possible and where each stands, and says in one place what
// may come next. The parser looks up the opening once and then follows the
// states, instead of asking every pattern at every step.
struct Matcher {
  // Words that may come next, and where they lead.
  struct WordStep {
    const Keys* words = nullptr;
    int next = -1;                      // the state after them
    const Pattern* finished = nullptr;  // or the pattern they complete
  };
  struct State {
    std::vector<WordStep> words;    // the longest first: the longest that is there is read
    int operandNext = -1;           // after an operand; -1 when none may come
    int operandPrec = 0;            // how tightly that operand binds
    bool bDataType = false;         // the operand is a data type (CAST's second)
    const Pattern* done = nullptr;  // complete here when neither words nor an operand come
    VXString expected;              // what would have fit, for a message
  };
  Keys open;
  std::vector<State> states;  // [0]: right after the opening
};

struct Grammar {
  KeyTable keys;
  KeyId words[static_cast<std::size_t>(Word::kCount)] = {};  // by Word
  KeyId Key(Word w) const { return words[static_cast<std::size_t>(w)]; }
  std::vector<Pattern> all;
  // The matchers of the patterns that begin with a keyword or symbol of
  // their own, by the key of their first token (indexed by KeyId; empty
  // lists where none), the longest opening first.
  std::vector<Matcher> matchers;
  std::vector<std::vector<const Matcher*>> openings;
  // Patterns whose text begins with their first operand (infix and
  // postfix), by the key of the token after it.
  std::vector<std::vector<const Pattern*>> postfix;
  // What a key is to the clause grammar, by KeyId.
  enum Flag : std::uint8_t { kClauseWord = 1, kReservedWord = 2, kOwnBodyStart = 4 };
  std::vector<std::uint8_t> flags;
  // The form of a primary a keyword starts, by KeyId; a word has one at most.
  enum class Lead : std::uint8_t { kNone, kTypedLiteral, kCase, kOwnBody, kValueOf, kSelect, kInterval };
  std::vector<Lead> leads;
  Lead LeadOf(KeyId key) const { return key < leads.size() ? leads[key] : Lead::kNone; }
  // The date or time field a one-word key names (-1: none), by KeyId.
  std::vector<int> timeField;
  // The keys of each data type's keyword, by type code (empty: no SQL form).
  std::vector<Keys> dataTypeKeys;
  // CASE's words: WHEN, THEN, ELSE, END.
  Keys caseWhen, caseThen, caseElse, caseEnd;
  // The operators with bodies of their own that the parser reads by hand
  // (RANK with directions or BY, EVALUATE, JSON_VALUE, the hierarchy lists,
  // AGO, PeriodRolling, CORN, COVA, BIN, WIDTH_BUCKET, XSA, ROWID): their
  // opening and words as keys, in the renderer's order.
  struct OwnBody {
    int code = 0;
    Keys open;
    std::vector<Keys> words;
  };
  std::vector<OwnBody> ownBodies;  // longest opening first
  const OwnBody* FindOwnBody(int code) const;
  // BIN's strategy words and what BIN and WIDTH_BUCKET return, as one-word
  // keys with their parameter codes.
  std::vector<std::pair<KeyId, int>> binStrategies, binReturns;

  const std::vector<const Matcher*>* FindOpenings(KeyId key) const {
    return key < openings.size() && !openings[key].empty() ? &openings[key] : nullptr;
  }
  const std::vector<const Pattern*>* FindPostfix(KeyId key) const {
    return key < postfix.size() && !postfix[key].empty() ? &postfix[key] : nullptr;
  }
  bool Has(KeyId key, Flag flag) const { return key < flags.size() && (flags[key] & flag) != 0; }
  Keys KeysOf(std::u32string_view spelling);
  // The keys as the text a message quotes: 'IS NOT'.
  VXString Quoted(const Keys& keys) const;
};
// Built once from the renderer's tables.
const Grammar& GetGrammar();

// Binding power of an infix or postfix operator (higher binds tighter).
int PrecedenceOf(int code);
constexpr int kPrecBy = 1;  // x BY a, b (aggregates with BY)
constexpr int kPrecOr = 2;
constexpr int kPrecAnd = 3;
constexpr int kPrecNot = 4;
constexpr int kPrecCompare = 5;  // comparisons, LIKE, BETWEEN, IN, IS
constexpr int kPrecConcat = 6;
constexpr int kPrecAdd = 7;
constexpr int kPrecMultiply = 8;

// ---- diagnostics --------------------------------------------------------------------

// Message catalogue numbers of the front end.
enum MessageNumber : int {
  kMsgExpected = 47001,          // %1 expected, found %2
  kMsgUnclosedQuote = 47002,     // unclosed %1
  kMsgInvalidCharacter = 47003,  // character %1 cannot start a token
  kMsgInvalidUtf8 = 47004,
  kMsgTooDeep = 47005,          // nesting deeper than %1
  kMsgUnknownFunction = 47006,  // %1
  kMsgBadLiteral = 47007,       // %1 literal %2
  kMsgTrailing = 47008,         // text after the end of the statement: %1
  kMsgTooManyDiagnostics = 47009,
  kMsgBadOperandCount = 47010,  // %1 takes %2 operands
  kMsgNonexistentCatalog = 47020,
  kMsgAmbiguousCatalog = 47021,
  kMsgInaccessibleCatalog = 47022,
  kMsgNotACatalog = 47023,
  kMsgNonexistentTable = 47024,
  kMsgAmbiguousTable = 47025,
  kMsgInaccessibleTable = 47026,
  kMsgNonexistentColumn = 47027,
  kMsgAmbiguousColumn = 47028,
  kMsgInaccessibleColumn = 47029,
  kMsgNonexistentVariable = 47030,
  kMsgBadPosition = 47031,  // ORDER BY position %1 of %2 items
  kMsgUnknownUser = 47032,
  kMsgTooManyNames = 47033,  // more than four segments
  kMsgSetArity = 47034,      // the operands of %1 have %2 and %3 columns
  kMsgGroupByNotSelected = 47035,
  kMsgUnresolvableTable = 47036,
  kMsgDuplicateAlias = 47037,
  kMsgNoFrom = 47038,
};

// At most this many diagnostics per run; one more says that the rest were left out.
constexpr std::size_t kMaxDiagnostics = 500;

// Appends a diagnostic with the catalogued text of its message. A span is
// turned into lines and columns of the sink's text, counted when the first
// one is needed.
class DiagnosticSink {
 public:
  explicit DiagnosticSink(std::vector<Diagnostic>& out, std::string_view text = {}) : m_out(out), m_text(text) {}
  Diagnostic* Add(Severity severity, std::string_view code, int messageId, const SourceRange& range,
                  std::initializer_list<VXString> args = {});
  Diagnostic* Add(Severity severity, std::string_view code, int messageId, TextSpan span,
                  std::initializer_list<VXString> args = {}) {
    return Add(severity, code, messageId, Positions().Of(span), args);
  }
  const TextPositions& Positions();
  bool Full() const { return m_bFull; }

 private:
  std::vector<Diagnostic>& m_out;
  std::string_view m_text;
  std::optional<TextPositions> m_positions;
  bool m_bFull = false;
};

}  // namespace logical_sql::detail
