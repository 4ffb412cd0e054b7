// Query text to a syntax tree. Recursive descent for the clauses,
// precedence climbing for the infix operators, and a matcher for the
// operator patterns of each opening: the patterns that share one are
// followed side by side in a state machine built with the grammar, an
// operand is read once for all of them, and the words that come next decide
// which remain. Nothing is read twice, so the time is linear in the text.
//
// A fault sets the failed flag; every caller returns at once, up to the
// next recovery point (a select item, a clause), which skips to the next
// comma or clause keyword and goes on. Nesting is counted: one level deeper
// than kMaxNesting is refused there.
#include <charconv>
#include <cmath>
#include <optional>
#include <set>

#include "Expr/OpCode.h"
#include "Expr/OpExpr.h"
#include "SMLogicalSQLInternal.h"
#include "Utility/BaseStringUtil.h"

namespace logical_sql::detail {
namespace {

using Spelling = ToPrettyStringVisitor::OperatorSpelling;

// Unused length and scale of a data type.
constexpr std::int64_t kNoLength = -1;

class Parser {
 public:
  // Each token's key is looked up as it is read: from here on, matching
  // compares numbers.
  Parser(std::string_view text, ParseResult& out)
      : m_g(GetGrammar()),
        m_t(text, &m_g.keys),
        m_tree(out.tree),
        m_out(out.diagnostics),
        m_sink(out.diagnostics, text) {
    m_tree.text = text;
    // Query text has a node about every ten bytes and a child about as
    // often; reserving for one every six keeps the vectors from moving their
    // nodes as they grow (pages reserved and never reached cost nothing).
    m_tree.exprs.reserve(text.size() / 6 + 16);
    m_tree.children.reserve(text.size() / 6 + 16);
    // A select item is rarely shorter than a dozen bytes.
    m_items.reserve(text.size() / 12 + 16);
  }

  void Statement() {
    Body();
    // Faults in the text's bytes come first, wherever they are.
    m_t.ReadToEnd();
    if (m_t.InvalidUtf8().empty()) return;
    std::vector<Diagnostic> bytes;
    DiagnosticSink sink(bytes);
    for (std::uint32_t offset : m_t.InvalidUtf8()) {
      const SourcePosition at = m_sink.Positions().At(offset);
      sink.Add(Severity::kError, "sql.text.invalid-utf8", kMsgInvalidUtf8, {at, {at.line, at.column + 1, offset + 1}});
    }
    m_out.insert(m_out.begin(), std::make_move_iterator(bytes.begin()), std::make_move_iterator(bytes.end()));
  }

 private:
  void Body() {
    if (At().kind == TokKind::kEnd) {
      Expected(U"SELECT");
      return;
    }
    m_tree.root = QueryExpr();
    if (m_bFailed) {
      // A fault outside every recovery point: nothing more can be read.
      return;
    }
    if (Is(m_pos, Word::kSemicolon)) ++m_pos;
    if (At().kind != TokKind::kEnd) {
      m_sink.Add(Severity::kError, "sql.syntax.trailing", kMsgTrailing, RangeOf(m_pos), {Quote(m_pos)});
    }
  }

  // ---- tokens --------------------------------------------------------------------

  // Where a part of the text starts: its first token's number and offset.
  // The offset is kept since the token itself is soon out of the stream's
  // window.
  struct Mark {
    std::size_t index;
    std::uint32_t begin;
  };
  Mark Here() const { return {m_pos, At().begin}; }

  Token At(std::size_t ahead = 0) const { return m_t[m_pos + ahead]; }
  KeyId KeyAt(std::size_t i) const { return m_t[i].key; }
  bool Is(std::size_t i, Word w) const { return KeyAt(i) == m_g.Key(w); }
  bool Accept(Word w) {
    if (!Is(m_pos, w)) return false;
    ++m_pos;
    return true;
  }
  bool MatchesAt(std::size_t i, const Keys& keys) const {
    for (std::size_t k = 0; k < keys.size(); ++k) {
      if (KeyAt(i + k) != keys[k]) return false;
    }
    return true;
  }
  bool IsClauseWord(std::size_t i) const { return m_g.Has(KeyAt(i), Grammar::kClauseWord); }
  bool IsReserved(std::size_t i) const { return m_g.Has(KeyAt(i), Grammar::kReservedWord); }

  TextSpan RangeOf(std::size_t i) const { return TokenStream::SpanOf(m_t[i]); }
  // From the token at first to the token before the current one.
  TextSpan RangeSince(Mark first) const {
    return {first.begin, m_t[m_pos > first.index ? m_pos - 1 : first.index].end};
  }

  // What the token at i is, for a message: its text, or "the end of the text".
  VXString Quote(std::size_t i) const {
    const Token t = m_t[i];
    if (t.kind == TokKind::kEnd) return U"the end of the text";
    std::string_view s = m_t.Text(t);
    if (s.size() > 40) s = s.substr(0, 40);
    return U"'" + Widen(s) + U"'";
  }

  void Fail() { m_bFailed = true; }
  void Expected(const VXString& what) {
    if (m_bFailed) return;
    const Token t = At();
    if (t.kind == TokKind::kInvalid) {
      const std::string_view s = m_t.Text(t);
      if (!s.empty() && (s[0] == '"' || s[0] == '\'')) {
        m_sink.Add(Severity::kError, "sql.syntax.unclosed-quote", kMsgUnclosedQuote, RangeOf(m_pos),
                   {s[0] == '"' ? VXString(U"quoted name") : VXString(U"string literal")});
      } else if (s.size() >= 2 && s[0] == '/' && s[1] == '*') {
        m_sink.Add(Severity::kError, "sql.syntax.unclosed-quote", kMsgUnclosedQuote, RangeOf(m_pos),
                   {VXString(U"comment")});
      } else {
        m_sink.Add(Severity::kError, "sql.syntax.invalid-character", kMsgInvalidCharacter, RangeOf(m_pos),
                   {Quote(m_pos)});
      }
    } else {
      m_sink.Add(Severity::kError, "sql.syntax.expected", kMsgExpected, RangeOf(m_pos), {what, Quote(m_pos)});
    }
    Fail();
  }
  bool Expect(Word w) {
    if (Accept(w)) return true;
    Expected(Widen(kWordTexts[static_cast<std::size_t>(w)]));
    return false;
  }

  // Skips to the next comma or clause word outside parentheses, or to a
  // closing parenthesis of an enclosing level; clears the failed flag.
  // From the start of the item or clause (from), a parenthesis the item
  // opened and the text closes later is the item's own: reading skips to
  // after its closing one first (SUBSTRING(a FROM 1 TO 3), b goes on at b).
  // One the text never closes is not: reading goes on at the next comma
  // (SUM(, c goes on at c).
  void Recover(bool bStopAtComma, std::optional<Mark> from = std::nullopt) {
    if (from && from->index < m_pos) {
      // The parentheses the item opened and has not closed, read again
      // from its text.
      std::vector<std::uint32_t> open;
      const std::uint32_t here = At().begin;
      std::size_t pos = from->begin;
      for (Token t = NextToken(m_t.Source(), pos); t.kind != TokKind::kEnd && t.begin < here;
           t = NextToken(m_t.Source(), pos)) {
        if (t.kind != TokKind::kSymbol || t.end != t.begin + 1) continue;
        const char c = m_t.Source()[t.begin];
        if (c == '(') open.push_back(t.begin);
        if (c == ')' && !open.empty()) open.pop_back();
      }
      for (const std::uint32_t paren : open) {
        const std::uint32_t close = ClosingOf(paren);
        if (close != kNotClosed && close >= here) {
          while (At().kind != TokKind::kEnd && At().begin < close) ++m_pos;
          ++m_pos;
          break;
        }
      }
    }
    int depth = 0;
    while (At().kind != TokKind::kEnd) {
      if (depth == 0 &&
          (IsClauseWord(m_pos) || Is(m_pos, Word::kSemicolon) || (bStopAtComma && Is(m_pos, Word::kComma))))
        break;
      if (Is(m_pos, Word::kOpen)) ++depth;
      if (Is(m_pos, Word::kClose)) {
        if (depth == 0) break;
        --depth;
      }
      ++m_pos;
    }
    m_bFailed = false;
  }

  // The offset of the parenthesis that closes the one at offset open;
  // kNotClosed when the text never closes it. The pairs are found in one
  // pass over the text, when a fault first needs them.
  static constexpr std::uint32_t kNotClosed = 0xFFFFFFFFu;
  std::uint32_t ClosingOf(std::uint32_t open) {
    if (!m_bPairs) {
      m_bPairs = true;
      std::vector<std::size_t> stack;
      std::size_t pos = 0;
      const std::string_view text = m_t.Source();
      for (Token t = NextToken(text, pos); t.kind != TokKind::kEnd; t = NextToken(text, pos)) {
        if (t.kind != TokKind::kSymbol || t.end != t.begin + 1) continue;
        if (text[t.begin] == '(') {
          stack.push_back(m_pairs.size());
          m_pairs.push_back({t.begin, kNotClosed});
        } else if (text[t.begin] == ')' && !stack.empty()) {
          m_pairs[stack.back()].second = t.begin;
          stack.pop_back();
        }
      }
    }
    const auto it = std::lower_bound(m_pairs.begin(), m_pairs.end(), std::pair<std::uint32_t, std::uint32_t>{open, 0});
    return it != m_pairs.end() && it->first == open ? it->second : kNotClosed;
  }

  // ---- nodes ---------------------------------------------------------------------

  NodeIndex NewExpr(const ExprNode& node) {
    m_tree.exprs.push_back(node);
    return static_cast<NodeIndex>(m_tree.exprs.size() - 1);
  }
  std::uint32_t NewChildren(std::span<const NodeIndex> children) {
    const auto first = static_cast<std::uint32_t>(m_tree.children.size());
    m_tree.children.insert(m_tree.children.end(), children.begin(), children.end());
    return first;
  }
  NodeIndex NewQuery(QueryNode node) {
    m_tree.queries.push_back(std::move(node));
    return static_cast<NodeIndex>(m_tree.queries.size() - 1);
  }
  NodeIndex Param(int code, TextSpan range) { return NewExpr(ExprNode::Int(ExprNode::kParameter, code, range)); }
  // Counts, lengths and directions: a length past the int range is refused before.
  NodeIndex IntLeaf(std::int64_t value, TextSpan range) {
    return NewExpr(ExprNode::Int(ExprNode::kInt, static_cast<std::int32_t>(value), range));
  }
  // A literal or name whose value is its own text.
  NodeIndex TextLeaf(ExprNode::Kind kind, TextSpan text) { return NewExpr(ExprNode::Text(kind, text, text)); }
  NodeIndex Operator(int code, std::span<const NodeIndex> children, TextSpan range) {
    const std::uint32_t first = NewChildren(children);
    return NewExpr(ExprNode::Operator(code, range, first, static_cast<std::uint32_t>(children.size())));
  }
  NodeIndex Operator(int code, std::initializer_list<NodeIndex> children, TextSpan range) {
    return Operator(code, std::span<const NodeIndex>(children.begin(), children.size()), range);
  }
  TextSpan Span(NodeIndex first, TextSpan last) const { return {m_tree.exprs[first].range.begin, last.end}; }

  // A list being read, kept on a stack that every level of the parse
  // shares instead of in a vector of its own: what a level pushed is
  // popped when it is done, so the stack's memory is reused all along.
  // Only the list on top of the stack may grow; size() counts up to the top.
  template <class T, class Stack = std::vector<T>>
  class Scratch {
   public:
    explicit Scratch(Stack& stack) : m_stack(stack), m_base(stack.size()) {}
    ~Scratch() { m_stack.erase(m_stack.begin() + static_cast<std::ptrdiff_t>(m_base), m_stack.end()); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    void push_back(T e) { m_stack.push_back(e); }
    std::size_t size() const { return m_stack.size() - m_base; }
    T operator[](std::size_t i) const { return m_stack[m_base + i]; }
    std::span<const T> View() const { return std::span<const T>(m_stack).subspan(m_base); }
    // Keeps the entries for which keep (which may change them) is true, in
    // order. Only for the list on top of the stack.
    template <class F>
    void KeepIf(F keep) {
      std::size_t kept = m_base;
      for (std::size_t i = m_base; i < m_stack.size(); ++i) {
        // Changed as a whole copy: storing a field and then copying the
        // entry over it waits for the store.
        T e = m_stack[i];
        if (keep(e)) m_stack[kept++] = e;
      }
      m_stack.resize(kept);
    }

   private:
    Stack& m_stack;
    std::size_t m_base;
  };
  using Operands = Scratch<NodeIndex>;

  // Counts one level of nesting; false (and a diagnostic) when it is one too many.
  bool Enter() {
    if (++m_depth <= kMaxNesting) return true;
    if (!m_bFailed) {
      m_sink.Add(Severity::kError, "sql.syntax.too-deep", kMsgTooDeep, RangeOf(m_pos),
                 {BaseStringUtil::StringFrom(static_cast<int>(kMaxNesting))});
    }
    Fail();
    return false;
  }
  struct Level {
    explicit Level(Parser& p) : m_p(p), m_bOk(p.Enter()) {}
    ~Level() { --m_p.m_depth; }
    Parser& m_p;
    bool m_bOk;
  };

  // ---- queries --------------------------------------------------------------------

  // SELECT ... [UNION [ALL] | INTERSECT | EXCEPT SELECT ...] [ORDER BY] [FETCH]
  NodeIndex QueryExpr() {
    Level level(*this);
    if (!level.m_bOk) return kNoNode;
    const Mark first = Here();
    NodeIndex left = QueryTerm();
    if (m_bFailed) return kNoNode;
    while (Is(m_pos, Word::kUnion) || Is(m_pos, Word::kIntersect) || Is(m_pos, Word::kExcept)) {
      const int op = Is(m_pos, Word::kUnion)       ? MultiListQuerySpec::kUnion
                     : Is(m_pos, Word::kIntersect) ? MultiListQuerySpec::kIntersect
                                                   : MultiListQuerySpec::kExcept;
      ++m_pos;
      const bool bAll = Accept(Word::kAll);
      const NodeIndex right = QueryTerm();
      if (m_bFailed) return kNoNode;
      QueryNode& l = m_tree.queries[left];
      if (l.kind == QueryNode::kSet && l.setOp == op && l.bAll == bAll && !m_parenthesised.count(left)) {
        l.operands.push_back(right);
      } else {
        QueryNode set;
        set.kind = QueryNode::kSet;
        set.setOp = op;
        set.bAll = bAll;
        set.operands = {left, right};
        left = NewQuery(std::move(set));
      }
    }
    QueryNode& q = m_tree.queries[left];
    if (q.kind == QueryNode::kSet) {
      // The ORDER BY and FETCH after the last operand belong to the set.
      QueryNode& last = m_tree.queries[q.operands.back()];
      if (!m_parenthesised.count(q.operands.back())) {
        q.orderBy = std::move(last.orderBy);
        last.orderBy.clear();
        q.fetchFirst = last.fetchFirst;
        last.fetchFirst.reset();
      }
      OrderAndFetch(m_tree.queries[left]);
      m_tree.queries[left].range = RangeSince(first);
    }
    return left;
  }

  NodeIndex QueryTerm() {
    if (Is(m_pos, Word::kOpen)) {
      ++m_pos;
      const NodeIndex inner = QueryExpr();
      if (m_bFailed) return kNoNode;
      if (!Expect(Word::kClose)) return kNoNode;
      m_parenthesised.insert(inner);
      return inner;
    }
    return Select();
  }

  NodeIndex Select() {
    const Mark first = Here();
    if (!Expect(Word::kSelect)) return kNoNode;
    QueryNode q;
    q.bDistinct = Accept(Word::kDistinct);
    // Select items, each a recovery point. They are gathered on the shared
    // stack and the query's vector made once at its size: a wide query's
    // vector grown by doubling copied its items into fresh pages each time.
    Scratch<SelectItem, TreeVector<SelectItem>> items(m_items);
    do {
      SelectItem item;
      const Mark itemStart = Here();
      item.expr = Expr(0);
      if (!m_bFailed) Alias(item);
      if (m_bFailed) {
        Recover(true, itemStart);
        if (m_pos == itemStart.index && !Is(m_pos, Word::kComma)) break;
        continue;
      }
      items.push_back(item);
    } while (Accept(Word::kComma));
    if (m_bFailed) return kNoNode;
    q.items.assign(items.View().begin(), items.View().end());
    if (!Is(m_pos, Word::kFrom)) {
      Expected(U"FROM");
      Recover(false);
    }
    if (Accept(Word::kFrom)) {
      do {
        FromItem f;
        const Mark fromStart = Here();
        FromEntry(f);
        if (m_bFailed) {
          Recover(true, fromStart);
          continue;
        }
        f.range = RangeSince(fromStart);
        q.from.push_back(std::move(f));
      } while (Accept(Word::kComma));
    }
    if (Accept(Word::kWhere)) {
      const Mark whereStart = Here();
      q.where = Expr(0);
      if (m_bFailed) Recover(false, whereStart);
    }
    if (Is(m_pos, Word::kGroup)) {
      ++m_pos;
      if (Expect(Word::kBy)) {
        do {
          const Mark groupStart = Here();
          const NodeIndex e = Expr(0);
          if (m_bFailed) {
            Recover(true, groupStart);
            continue;
          }
          q.groupBy.push_back(e);
        } while (Accept(Word::kComma));
      } else {
        Recover(false);
      }
    }
    if (Accept(Word::kHaving)) {
      const Mark havingStart = Here();
      q.having = Expr(0);
      if (m_bFailed) Recover(false, havingStart);
    }
    OrderAndFetch(q);
    q.range = RangeSince(first);
    return NewQuery(std::move(q));
  }

  void Alias(SelectItem& item) {
    const std::size_t at = m_pos;
    const bool bAs = Accept(Word::kAs);
    const Token t = At();
    if ((t.kind == TokKind::kWord && (bAs || !IsReserved(m_pos))) || t.kind == TokKind::kQuoted) {
      item.alias = RangeOf(m_pos);
      ++m_pos;
    } else if (bAs) {
      m_pos = at + 1;
      Expected(U"an alias");
    }
  }

  void FromEntry(FromItem& f) {
    if (Is(m_pos, Word::kOpen)) {
      ++m_pos;
      f.derived = QueryExpr();
      if (m_bFailed || !Expect(Word::kClose)) return;
      Accept(Word::kAs);
      if (At().kind == TokKind::kWord || At().kind == TokKind::kQuoted) {
        f.alias = RangeOf(m_pos);
        ++m_pos;
      } else {
        Expected(U"an alias of the derived table");
      }
      return;
    }
    if (!Name(f.subjectArea)) {
      Expected(U"a subject area");
      return;
    }
  }

  void OrderAndFetch(QueryNode& q) {
    if (m_bFailed) return;
    if (Is(m_pos, Word::kOrder)) {
      ++m_pos;
      if (!Expect(Word::kBy)) {
        Recover(false);
      } else {
        do {
          OrderItem o;
          const Mark start = Here();
          if (At().kind == TokKind::kNumber && (Is(m_pos + 1, Word::kComma) || Is(m_pos + 1, Word::kAsc) ||
                                                Is(m_pos + 1, Word::kDesc) || IsEndOfClause(m_pos + 1))) {
            o.position = NumberValue(m_pos).value_or(-1);
            ++m_pos;
          } else {
            o.expr = Expr(0);
          }
          if (!m_bFailed) {
            if (Accept(Word::kDesc)) {
              o.bDescending = true;
            } else {
              Accept(Word::kAsc);
            }
          }
          if (m_bFailed) {
            Recover(true, start);
            continue;
          }
          o.range = RangeSince(start);
          q.orderBy.push_back(o);
        } while (Accept(Word::kComma));
      }
    }
    if (Is(m_pos, Word::kFetch)) {
      ++m_pos;
      if (!(Accept(Word::kFirst) || Expect(Word::kNext))) {
        Recover(false);
        return;
      }
      if (At().kind != TokKind::kNumber || !NumberValue(m_pos)) {
        Expected(U"a number of rows");
        Recover(false);
        return;
      }
      q.fetchFirst = *NumberValue(m_pos);
      ++m_pos;
      if (!(Accept(Word::kRows) || Expect(Word::kRow)) || !Expect(Word::kOnly)) Recover(false);
    }
  }
  bool IsEndOfClause(std::size_t i) const {
    return m_t[i].kind == TokKind::kEnd || IsClauseWord(i) || Is(i, Word::kClose) || Is(i, Word::kSemicolon);
  }
  std::optional<std::int64_t> NumberValue(std::size_t i) const {
    const std::string_view s = m_t.Text(m_t[i]);
    std::int64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
  }

  // ---- names ------------------------------------------------------------------------

  // One to four segments, quoted or not, joined by full stops; name is
  // set to the span of them all.
  bool Name(TextSpan& name) {
    Token t = At();
    const Mark first{m_pos, t.begin};
    int segments = 0;
    while (true) {
      if (t.kind != TokKind::kQuoted && !(t.kind == TokKind::kWord && !m_g.Has(t.key, Grammar::kReservedWord))) {
        if (segments > 0) Expected(U"a name after '.'");
        return false;
      }
      ++segments;
      ++m_pos;
      if (!Is(m_pos, Word::kDot)) break;
      ++m_pos;
      t = At();
    }
    if (segments > 4) {
      m_sink.Add(Severity::kError, "sql.syntax.too-many-segments", kMsgTooManyNames, RangeSince(first),
                 {BaseStringUtil::StringFrom(segments)});
      Fail();
      return false;
    }
    name = RangeSince(first);
    return true;
  }

  NodeIndex NameExpr() {
    TextSpan name;
    if (!Name(name)) {
      Expected(U"an expression");
      return kNoNode;
    }
    return TextLeaf(ExprNode::kName, name);
  }

  // ---- expressions ----------------------------------------------------------------------

  NodeIndex Expr(int minPrec) {
    Level level(*this);
    if (!level.m_bOk) return kNoNode;
    NodeIndex left = Unary();
    while (!m_bFailed && left != kNoNode) {
      // Only words and symbols have keys.
      const std::vector<const Pattern*>* cands = m_g.FindPostfix(KeyAt(m_pos));
      if (!cands) break;
      // The longest words that match, among operators binding tightly enough.
      const Pattern* chosen = nullptr;
      std::size_t chosenLength = 0;
      for (const Pattern* p : *cands) {
        const Keys& words = p->form == Spelling::kFunction1 ? p->close : p->between;
        if (p->prec < minPrec || words.size() <= chosenLength || !MatchesAt(m_pos, words)) continue;
        chosen = p;
        chosenLength = words.size();
      }
      if (!chosen) break;
      left = Postfix(left, *chosen, chosenLength);
    }
    return m_bFailed ? kNoNode : left;
  }

  // The operator after operand left: infix, postfix (IS NULL, IS TRUE) or
  // headed (BETWEEN ... AND ..., LIKE ... ESCAPE ..., IN (...), BY).
  NodeIndex Postfix(NodeIndex left, const Pattern& chosen, std::size_t length) {
    const int prec = chosen.prec;
    const Mark opStart = Here();
    m_pos += length;
    if (chosen.form == Spelling::kFunction1) {
      const TextSpan range = Span(left, RangeOf(m_pos - 1));
      if (chosen.leadingParam < 0) return Negated(chosen, Operator(chosen.code, {left}, range));
      const NodeIndex param = Param(chosen.leadingParam, {opStart.begin, m_t[m_pos - 1].end});
      return Negated(chosen, Operator(chosen.code, {left, param}, range));
    }
    // Infix and headed operators with the same words: one operand, then the
    // headed one's next words decide.
    const Pattern* infix = chosen.infix;
    const Pattern* headed = chosen.headed;
    const int operandPrec = headed && !headed->close.empty() ? 0 : prec + 1;
    if (headed && !headed->close.empty() && headed->minArgs <= 1 && MatchesAt(m_pos, headed->close)) {
      // IN () and the like: no operand after the words.
      m_pos += headed->close.size();
      return Negated(*headed, Operator(headed->code, {left}, Span(left, RangeOf(m_pos - 1))));
    }
    const NodeIndex first = Expr(operandPrec);
    if (m_bFailed) return kNoNode;
    if (!headed || (infix && !(MatchesAt(m_pos, headed->rest) && !headed->rest.empty()) &&
                    (headed->close.empty() || !MatchesAt(m_pos, headed->close)))) {
      const Pattern& p = infix ? *infix : chosen;
      if (p.form != Spelling::kInfix) {
        // A headed operator whose list must go on.
        Expected(Words(headed->rest.empty() ? headed->close : headed->rest));
        return kNoNode;
      }
      return Negated(p, Operator(p.code, {left, first}, Span(left, m_tree.exprs[first].range)));
    }
    // The headed list: rest-separated operands, then the closing words.
    Operands children(m_operands);
    children.push_back(left);
    children.push_back(first);
    const int maxOperands = headed->maxArgs;
    while (!headed->rest.empty() && MatchesAt(m_pos, headed->rest) &&
           (maxOperands < 0 || static_cast<int>(children.size()) < maxOperands)) {
      m_pos += headed->rest.size();
      const NodeIndex e = Expr(operandPrec);
      if (m_bFailed) return kNoNode;
      children.push_back(e);
    }
    if (!headed->close.empty()) {
      if (!MatchesAt(m_pos, headed->close)) {
        Expected(Words(headed->rest.empty() ? headed->close : Keys{headed->rest[0], headed->close[0]}));
        return kNoNode;
      }
      m_pos += headed->close.size();
    }
    if (static_cast<int>(children.size()) < headed->minArgs) {
      Expected(Words(headed->rest));
      return kNoNode;
    }
    return Negated(*headed, Operator(headed->code, children.View(), Span(left, RangeOf(m_pos - 1))));
  }

  NodeIndex Negated(const Pattern& p, NodeIndex e) {
    if (!p.bNegated) return e;
    return Operator(kNegation, {e}, m_tree.exprs[e].range);
  }

  VXString Words(const Keys& keys) const { return m_g.Quoted(keys); }

  NodeIndex Unary() {
    const Token t = At();
    const Mark start{m_pos, t.begin};
    const KeyId key = t.key;
    if (key == m_g.Key(Word::kMinus) || key == m_g.Key(Word::kPlus)) {
      const bool bMinus = key == m_g.Key(Word::kMinus);
      // -5 written without a blank is the negative literal the renderer writes.
      if (At(1).kind == TokKind::kNumber && At(1).begin == At().end) {
        ++m_pos;
        const NodeIndex n = Number(bMinus);
        if (n != kNoNode) m_tree.exprs[n].range = RangeSince(start);
        return PostfixCall(n);
      }
      if (!Is(m_pos + 1, Word::kOpen)) {
        ++m_pos;
        Level level(*this);
        if (!level.m_bOk) return kNoNode;
        const NodeIndex operand = Unary();
        if (m_bFailed) return kNoNode;
        return Operator(bMinus ? kUMinus : kUPlus, {operand}, RangeSince(start));
      }
    }
    return PostfixCall(Primary());
  }

  // A quoted name or a parenthesised expression followed by a parenthesis:
  // EVALUATE's wrapper, an operand called with arguments.
  // The check is apart from the call's reading: it follows every operand,
  // and the call is rare.
  NodeIndex PostfixCall(NodeIndex e) {
    if (m_bFailed || e == kNoNode || !Is(m_pos, Word::kOpen)) return e;
    return Call(e);
  }
  NodeIndex Call(NodeIndex e) {
    const ExprNode& n = m_tree.exprs[e];
    const bool bCallable = (n.kind == ExprNode::kName && m_t[m_pos - 1].kind == TokKind::kQuoted) ||
                           (m_pos > 0 && Is(m_pos - 1, Word::kClose));
    if (!bCallable) return e;
    ++m_pos;
    Operands children(m_operands);
    children.push_back(e);
    if (!Is(m_pos, Word::kClose)) {
      do {
        const NodeIndex a = Expr(0);
        if (m_bFailed) return kNoNode;
        children.push_back(a);
      } while (Accept(Word::kComma));
    }
    if (!Expect(Word::kClose)) return kNoNode;
    return Operator(kEvaluateWrapper, children.View(), Span(e, RangeOf(m_pos - 1)));
  }

  // The number at the current token; negative, the minus sign is the token
  // just before it, with nothing between.
  NodeIndex Number(bool bNegative) {
    const TextSpan range = RangeOf(m_pos);
    const TextSpan value = bNegative ? TextSpan{m_t[m_pos - 1].begin, range.end} : range;
    ++m_pos;
    const std::string_view text = m_tree.Source(value);
    const char* const end = text.data() + text.size();
    // A plain loop: the text is a few bytes, and a search of it per character sought costs more.
    const bool bFraction =
        std::any_of(text.begin(), text.end(), [](char c) { return c == '.' || c == 'e' || c == 'E'; });
    if (!bFraction) {
      std::int32_t v = 0;
      const auto r = std::from_chars(text.data(), end, v);
      if (r.ec == std::errc() && r.ptr == end) return NewExpr(ExprNode::Int(ExprNode::kInt, v, range));
      // Too large for an int: the exact decimal text.
      return NewExpr(ExprNode::Text(ExprNode::kNumber, range, value));
    }
    double d = 0;
    const auto r = std::from_chars(text.data(), end, d);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(d)) {
      m_sink.Add(Severity::kError, "sql.syntax.bad-literal", kMsgBadLiteral, range, {U"number", Widen(text)});
      Fail();
      return kNoNode;
    }
    return NewExpr(ExprNode::Float(d, range));
  }

  NodeIndex Primary() {
    const Token t = At();
    const Mark start{m_pos, t.begin};
    switch (t.kind) {
      case TokKind::kNumber:
        return Number(false);
      case TokKind::kString: {
        const NodeIndex s = TextLeaf(ExprNode::kString, RangeOf(m_pos));
        ++m_pos;
        // '5' DAY: an interval, the value then its qualifier.
        if (At().kind == TokKind::kWord && TimeField(m_pos) >= 0) {
          const NodeIndex qualifier = IntervalQualifier();
          if (m_bFailed) return kNoNode;
          return Operator(kInterPrim, {s, qualifier}, RangeSince(start));
        }
        return s;
      }
      case TokKind::kQuoted:
        return NameExpr();
      case TokKind::kWord:
        return WordPrimary(t.key);
      case TokKind::kSymbol:
        if (Is(m_pos, Word::kOpen)) return Parenthesised();
        if (const NodeIndex e = Generic(); e != kNoNode || m_bFailed) return e;
        break;
      default:
        break;
    }
    Expected(U"an expression");
    return kNoNode;
  }

  NodeIndex WordPrimary(KeyId key) {
    // Most words of a query are names and no keyword: none of the forms below start with one.
    if (key != kNoKey) {
      if (const NodeIndex e = KeywordPrimary(); e != kNoNode || m_bFailed) return e;
    }
    if (Is(m_pos + 1, Word::kOpen)) {
      m_sink.Add(Severity::kError, "sql.syntax.unknown-function", kMsgUnknownFunction, RangeOf(m_pos), {Quote(m_pos)});
      Fail();
      return kNoNode;
    }
    return NameExpr();
  }

  // A form that starts with the keyword at the current token; kNoNode
  // without a fault when none does.
  NodeIndex KeywordPrimary() {
    const Mark start = Here();
    const KeyId key = KeyAt(m_pos);
    switch (m_g.LeadOf(key)) {
      case Grammar::Lead::kTypedLiteral:
        if (At(1).kind == TokKind::kString) {
          const ExprNode::Kind kind = key == m_g.Key(Word::kDate)   ? ExprNode::kDate
                                      : key == m_g.Key(Word::kTime) ? ExprNode::kTime
                                                                    : ExprNode::kTimestamp;
          const TextSpan value = RangeOf(m_pos + 1);
          m_pos += 2;
          return NewExpr(ExprNode::Text(kind, RangeSince(start), value));
        }
        break;
      case Grammar::Lead::kCase:
        return Case();
      case Grammar::Lead::kOwnBody:
        if (const NodeIndex e = OwnBody(); e != kNoNode || m_bFailed) return e;
        break;
      case Grammar::Lead::kValueOf:
        if (Is(m_pos + 1, Word::kOpen)) return ValueOf();
        break;
      case Grammar::Lead::kSelect:
        return Subquery();
      case Grammar::Lead::kInterval:
        if (At(1).kind == TokKind::kString) {
          ++m_pos;
          const NodeIndex s = TextLeaf(ExprNode::kString, RangeOf(m_pos));
          ++m_pos;
          const NodeIndex qualifier = IntervalQualifier();
          if (m_bFailed) return kNoNode;
          return Operator(kInterPrim, {s, qualifier}, RangeSince(start));
        }
        break;
      case Grammar::Lead::kNone:
        break;
    }
    return Generic();
  }

  NodeIndex Subquery() {
    const Mark start = Here();
    const NodeIndex query = QueryExpr();
    if (m_bFailed) return kNoNode;
    return NewExpr(ExprNode::Subquery(query, RangeSince(start)));
  }

  // ( expr ), ( SELECT ... ), or a list of operands ( a, b, ... ).
  NodeIndex Parenthesised() {
    const Mark start = Here();
    ++m_pos;
    if (Is(m_pos, Word::kClose)) {
      ++m_pos;
      return Operator(kEvaluateScriptListParameter, {}, RangeSince(start));
    }
    const NodeIndex first = Expr(0);
    if (m_bFailed) return kNoNode;
    if (!Is(m_pos, Word::kComma)) {
      if (!Expect(Word::kClose)) return kNoNode;
      return first;
    }
    Operands items(m_operands);
    items.push_back(first);
    while (Accept(Word::kComma)) {
      const NodeIndex e = Expr(0);
      if (m_bFailed) return kNoNode;
      items.push_back(e);
    }
    if (!Expect(Word::kClose)) return kNoNode;
    return Operator(kEvaluateScriptListParameter, items.View(), RangeSince(start));
  }

  // ---- the operator patterns ---------------------------------------------------------------

  // The operator whose opening words are here, read by the matcher of
  // that opening (the longest there is). kNoNode without a fault when none
  // opens here.
  NodeIndex Generic() {
    const std::vector<const Matcher*>* openings = m_g.FindOpenings(KeyAt(m_pos));
    if (!openings) return kNoNode;
    for (const Matcher* m : *openings) {
      if (!MatchesAt(m_pos, m->open)) continue;
      const Mark start = Here();
      // A leading parameter stands for the first two tokens (TIMESTAMPADD(SQL_TSI_DAY, ...).
      const TextSpan opening{start.begin, m_t[m_pos + 1].end};
      m_pos += m->open.size();
      return Match(*m, start, opening);
    }
    return kNoNode;
  }

  // Follows the matcher's states from just after its opening: the longest
  // words that may come next and are here, else an operand if one may
  // come, else the pattern complete there.
  NodeIndex Match(const Matcher& m, Mark start, TextSpan opening) {
    Operands operands(m_operands);
    const Matcher::State* state = &m.states[0];
    while (true) {
      const Matcher::WordStep* step = nullptr;
      for (const Matcher::WordStep& w : state->words) {
        if (MatchesAt(m_pos, *w.words)) {
          step = &w;
          break;
        }
      }
      if (step) {
        m_pos += step->words->size();
        if (step->finished) return Finish(*step->finished, operands, start, opening);
        state = &m.states[static_cast<std::size_t>(step->next)];
        continue;
      }
      if (state->operandNext >= 0) {
        const NodeIndex e = state->bDataType ? DataType() : Expr(state->operandPrec);
        if (m_bFailed) return kNoNode;
        operands.push_back(e);
        state = &m.states[static_cast<std::size_t>(state->operandNext)];
        continue;
      }
      if (state->done) return Finish(*state->done, operands, start, opening);
      Expected(state->expected);
      return kNoNode;
    }
  }

  NodeIndex Finish(const Pattern& p, const Operands& operands, Mark start, TextSpan opening) {
    const TextSpan range = RangeSince(start);
    // Most operators take their operands as read.
    if (p.leadingParam < 0 && p.code != kIsAncestor && p.code != kIsDescendant)
      return Operator(p.code, operands.View(), range);
    const std::size_t count = operands.size();  // before children grow on the same stack
    Operands children(m_operands);
    if (p.leadingParam >= 0 && !p.bParamLast) children.push_back(Param(p.leadingParam, opening));
    for (std::size_t i = 0; i < count; ++i) children.push_back(operands[i]);
    // Optional operands that the renderer leaves out, as the model stores them.
    if (p.code == kIsAncestor && children.size() == 2)
      children.push_back(IntLeaf(OpExprIsAncestor::kDummyIntLiteral, range));
    if (p.code == kIsDescendant && children.size() == 2) {
      children.push_back(IntLeaf(OpExprIsDescendant::kDummyIntLiteral, range));
    }
    return Operator(p.code, children.View(), range);
  }

  // ---- the forms with words of their own ----------------------------------------------------

  int TimeField(std::size_t i) const {
    const KeyId k = KeyAt(i);
    return m_t[i].kind == TokKind::kWord && k < m_g.timeField.size() ? m_g.timeField[k] : -1;
  }

  // DAY, or DAY TO SECOND.
  NodeIndex IntervalQualifier() {
    const Mark start = Here();
    const int from = TimeField(m_pos);
    if (from < 0) {
      Expected(U"a date or time field");
      return kNoNode;
    }
    const NodeIndex a = Operator(kTMField1, {Param(from, RangeOf(m_pos))}, RangeOf(m_pos));
    ++m_pos;
    if (!Is(m_pos, Word::kTo)) return Operator(kInterQual1, {a}, RangeSince(start));
    ++m_pos;
    const int to = TimeField(m_pos);
    if (to < 0) {
      Expected(U"a date or time field");
      return kNoNode;
    }
    const NodeIndex b = Operator(kTMField1, {Param(to, RangeOf(m_pos))}, RangeOf(m_pos));
    ++m_pos;
    return Operator(kInterQual2, {a, b}, RangeSince(start));
  }

  // A data type as CAST writes it, its keywords from the renderer's table.
  NodeIndex DataType() {
    const Mark start = Here();
    if (Accept(Word::kInterval)) {
      const NodeIndex q = IntervalQualifier();
      if (m_bFailed) return kNoNode;
      return Operator(kDataTypeInterval, {q}, RangeSince(start));
    }
    std::size_t best = 0;
    for (const Keys& keys : m_g.dataTypeKeys) {
      if (keys.size() > best && MatchesAt(m_pos, keys)) best = keys.size();
    }
    if (best == 0) {
      Expected(U"a data type");
      return kNoNode;
    }
    Keys keysHere;
    for (std::size_t k = 0; k < best; ++k) keysHere.push_back(KeyAt(m_pos + k));
    m_pos += best;
    std::int64_t length = kNoLength;
    std::int64_t scale = kNoLength;
    const bool bLength = Accept(Word::kOpen);
    if (bLength) {
      if (At().kind != TokKind::kNumber || !NumberValue(m_pos)) {
        Expected(U"a length");
        return kNoNode;
      }
      length = *NumberValue(m_pos);
      ++m_pos;
      if (Accept(Word::kComma)) {
        if (At().kind != TokKind::kNumber || !NumberValue(m_pos)) {
          Expected(U"a scale");
          return kNoNode;
        }
        scale = *NumberValue(m_pos);
        ++m_pos;
      }
      if (!Expect(Word::kClose)) return kNoNode;
    }
    const int code = DataTypeCode(keysHere, bLength, scale != kNoLength);
    if (code < 0) {
      m_sink.Add(Severity::kError, "sql.syntax.bad-data-type", kMsgBadLiteral, RangeSince(start),
                 {U"data type", Widen(m_tree.Source(RangeSince(start)))});
      Fail();
      return kNoNode;
    }
    const TextSpan range = RangeSince(start);
    if (length > INT32_MAX || scale > INT32_MAX) {
      m_sink.Add(Severity::kError, "sql.syntax.bad-data-type", kMsgBadLiteral, range, {U"data type length", U""});
      Fail();
      return kNoNode;
    }
    return Operator(kDataType, {IntLeaf(code, range), IntLeaf(length, range), IntLeaf(scale, range)}, range);
  }

  // The type code that keys name and that takes what was given. Several
  // codes share a keyword; the one a user means is taken (see SameTextDataTypes).
  int DataTypeCode(const Keys& keys, bool bLength, bool bScale) const {
    using DT = ToPrettyStringVisitor::DataTypeSpelling;
    const auto types = ToPrettyStringVisitor::DataTypeSpellings();
    int found = -1;
    for (std::size_t code = 0; code < types.size(); ++code) {
      const DT& t = types[code];
      if (t.params == DT::kNoSqlForm || m_g.dataTypeKeys[code] != keys) continue;
      const bool bTakes =
          bLength ? t.params != DT::kNone && (!bScale || t.params == DT::kLengthAndScale) : t.params != DT::kLength;
      if (!bTakes) continue;
      if (found < 0) found = static_cast<int>(code);
      for (const SameTextDataType& same : SameTextDataTypes()) {
        if (same.parsedAs == static_cast<int>(code) && same.rendered == found) found = static_cast<int>(code);
      }
    }
    return found;
  }

  // CASE [operand] WHEN a THEN b ... [ELSE c] END, its words from the renderer.
  NodeIndex Case() {
    const Mark start = Here();
    ++m_pos;
    const Keys& when = m_g.caseWhen;
    const Keys& then = m_g.caseThen;
    const Keys& otherwise = m_g.caseElse;
    const Keys& end = m_g.caseEnd;
    Operands children(m_operands);
    int code = kCaseIf;
    if (!MatchesAt(m_pos, when)) {
      code = kCaseLookup;
      const NodeIndex subject = Expr(0);
      if (m_bFailed) return kNoNode;
      children.push_back(subject);
    }
    bool bArm = false;
    while (MatchesAt(m_pos, when)) {
      m_pos += when.size();
      const NodeIndex c = Expr(0);
      if (m_bFailed) return kNoNode;
      if (!MatchesAt(m_pos, then)) {
        Expected(Words(then));
        return kNoNode;
      }
      m_pos += then.size();
      const NodeIndex v = Expr(0);
      if (m_bFailed) return kNoNode;
      children.push_back(c);
      children.push_back(v);
      bArm = true;
    }
    if (!bArm) {
      Expected(Words(when));
      return kNoNode;
    }
    if (MatchesAt(m_pos, otherwise)) {
      m_pos += otherwise.size();
      const NodeIndex e = Expr(0);
      if (m_bFailed) return kNoNode;
      children.push_back(e);
    }
    if (!MatchesAt(m_pos, end)) {
      Expected(Words(otherwise) + U" or " + Words(end));
      return kNoNode;
    }
    m_pos += end.size();
    return Operator(code, children.View(), RangeSince(start));
  }

  // ---- the operators with bodies of their own ------------------------------------------
  //
  // Read with the words the renderer writes them with (Grammar::ownBodies).
  // Operands the text leaves out are given as the model stores them when
  // not given: an unknown data type, a NULL clause, the hierarchy distance's
  // marker; a missing level of AGO or grain of PeriodRolling is left out of
  // the tree and filled in by the binder, as it is an object reference.
  // An operand that a keyword of the form may follow is read above the
  // precedence of BY, so that "x BY y" is the form's BY and not an
  // aggregate's.

  NodeIndex OwnBody() {
    for (const Grammar::OwnBody& own : m_g.ownBodies) {
      if (!MatchesAt(m_pos, own.open)) continue;
      const Mark start = Here();
      m_pos += own.open.size();
      Level level(*this);
      if (!level.m_bOk) return kNoNode;
      const NodeIndex e = OwnBodyOperands(own, start);
      if (m_bFailed) return kNoNode;
      return e;
    }
    return kNoNode;
  }

  bool AcceptKeys(const Keys& keys) {
    if (keys.empty() || !MatchesAt(m_pos, keys)) return false;
    m_pos += keys.size();
    return true;
  }
  bool ExpectClose() { return Expect(Word::kClose); }
  NodeIndex Operand() { return Expr(kPrecBy + 1); }
  NodeIndex UnknownDataType(TextSpan range) {
    // The renderer leaves out the type it stores as unknown (code 25).
    constexpr int kUnknownDataType = 25;
    return Operator(kDataType, {IntLeaf(kUnknownDataType, range), IntLeaf(kNoLength, range), IntLeaf(kNoLength, range)},
                    range);
  }
  NodeIndex Null(TextSpan range) { return Operator(kResultNull, {}, range); }
  // A one-word parameter from table at the current token; -1 when none.
  int ParameterWord(const std::vector<std::pair<KeyId, int>>& table) {
    for (const auto& [key, code] : table) {
      if (KeyAt(m_pos) == key) {
        ++m_pos;
        return code;
      }
    }
    return -1;
  }
  // Operands separated by commas up to the closing parenthesis (none when it follows at once).
  bool ListUntilClose(std::vector<NodeIndex>& out) {
    if (!Is(m_pos, Word::kClose)) {
      do {
        const NodeIndex e = Expr(0);
        if (m_bFailed) return false;
        out.push_back(e);
      } while (Accept(Word::kComma));
    }
    return ExpectClose();
  }

  NodeIndex OwnBodyOperands(const Grammar::OwnBody& own, Mark start) {
    const auto here = [&] { return RangeSince(start); };
    std::vector<NodeIndex> children;
    switch (own.code) {
      case kMultiRank: {
        // RANK(x [ASC|DESC], ... [BY p, ...]): one column written plainly is the one-operand RANK.
        std::vector<NodeIndex> columns;
        bool bPlain = true;
        do {
          const NodeIndex c = Operand();
          if (m_bFailed) return kNoNode;
          int direction = OpExprMultiRank::kDESC;
          if (AcceptKeys(own.words[0])) {
            direction = OpExprMultiRank::kASC;
            bPlain = false;
          } else if (Accept(Word::kDesc)) {
            bPlain = false;
          }
          columns.push_back(c);
          columns.push_back(IntLeaf(direction, RangeOf(m_pos - 1)));
        } while (Accept(Word::kComma));
        std::vector<NodeIndex> partitions;
        if (AcceptKeys(own.words[1])) {
          do {
            const NodeIndex p = Operand();
            if (m_bFailed) return kNoNode;
            partitions.push_back(p);
          } while (Accept(Word::kComma));
        }
        if (!ExpectClose()) return kNoNode;
        if (bPlain && columns.size() == 2 && partitions.empty()) return Operator(kRank, {columns[0]}, here());
        children.push_back(IntLeaf(static_cast<std::int64_t>(columns.size() / 2), here()));
        children.push_back(IntLeaf(static_cast<std::int64_t>(partitions.size()), here()));
        children.insert(children.end(), columns.begin(), columns.end());
        children.insert(children.end(), partitions.begin(), partitions.end());
        break;
      }
      case kEvaluate:
      case kEvaluateAggr:
      case kEvaluateAnalytic: {
        // EVALUATE(script [AS type], operand, ...)
        const NodeIndex script = Expr(0);
        if (m_bFailed) return kNoNode;
        children.push_back(script);
        if (AcceptKeys(own.words[0])) {
          const NodeIndex type = DataType();
          if (m_bFailed) return kNoNode;
          children.push_back(type);
        } else {
          children.push_back(UnknownDataType(m_tree.exprs[script].range));
        }
        while (Accept(Word::kComma)) {
          const NodeIndex e = Expr(0);
          if (m_bFailed) return kNoNode;
          children.push_back(e);
        }
        if (!ExpectClose()) return kNoNode;
        break;
      }
      case kJsonValue: {
        // JSON_VALUE(document, path [AS type])
        const NodeIndex document = Expr(0);
        if (m_bFailed || !Expect(Word::kComma)) return kNoNode;
        const NodeIndex path = Expr(0);
        if (m_bFailed) return kNoNode;
        children = {document, path};
        if (AcceptKeys(own.words[0])) {
          const NodeIndex type = DataType();
          if (m_bFailed) return kNoNode;
          children.push_back(type);
        } else {
          children.push_back(UnknownDataType(m_tree.exprs[path].range));
        }
        if (!ExpectClose()) return kNoNode;
        break;
      }
      case kIsAncestorList:
      case kIsDescendantList:
      case kIsParentList:
      case kIsChildList:
      case kIsSiblingList:
        return HierarchyList(own.code, start);
      case kAgo: {
        // AGO(measure[, level], offset): without a level, two operands.
        if (!ListUntilClose(children)) return kNoNode;
        if (children.size() < 2 || children.size() > 3) return OperandCount(own.code, start, U"2 or 3");
        break;
      }
      case kPeriodRolling: {
        // PeriodRolling(measure, from, to[, grain])
        if (!ListUntilClose(children)) return kNoNode;
        if (children.size() < 3 || children.size() > 4) return OperandCount(own.code, start, U"3 or 4");
        break;
      }
      case kCorrelation:
      case kCovariance: {
        // CORN(a, b AtGrain c Partition By d, e ...): each separator belongs to its position.
        if (!Is(m_pos, Word::kClose)) {
          for (std::size_t i = 0;; ++i) {
            const NodeIndex e = i < 3 ? Operand() : Expr(0);
            if (m_bFailed) return kNoNode;
            children.push_back(e);
            const bool bNext = i < 3 ? AcceptKeys(own.words[i]) : Accept(Word::kComma);
            if (!bNext) break;
          }
        }
        if (!ExpectClose()) return kNoNode;
        break;
      }
      case kBin:
        return Bin(own, start);
      case kWidthBucket: {
        // WIDTH_BUCKET(x, RETURN, n[, low, high][ by g])
        const NodeIndex x = Expr(0);
        if (m_bFailed || !Expect(Word::kComma)) return kNoNode;
        const TextSpan at = RangeOf(m_pos);
        const int returns = ParameterWord(m_g.binReturns);
        if (returns < 0) {
          Expected(U"NUMBER, RANGE, RANGE_LOW or RANGE_HIGH");
          return kNoNode;
        }
        if (!Expect(Word::kComma)) return kNoNode;
        const NodeIndex n = Operand();
        if (m_bFailed) return kNoNode;
        children = {x, IntLeaf(returns, at), n};
        if (Accept(Word::kComma)) {
          const NodeIndex low = Operand();
          if (m_bFailed || !Expect(Word::kComma)) return kNoNode;
          const NodeIndex high = Operand();
          if (m_bFailed) return kNoNode;
          children.push_back(low);
          children.push_back(high);
        } else {
          children.push_back(Null(here()));
          children.push_back(Null(here()));
        }
        if (AcceptKeys(own.words[0])) {
          const NodeIndex g = Operand();
          if (m_bFailed) return kNoNode;
          children.push_back(g);
        } else {
          children.push_back(Null(here()));
        }
        if (!ExpectClose()) return kNoNode;
        break;
      }
      case kXSA: {
        // XSA('subject area').operand
        if (At().kind != TokKind::kString) {
          Expected(U"the subject area as a string literal");
          return kNoNode;
        }
        children.push_back(TextLeaf(ExprNode::kString, RangeOf(m_pos)));
        ++m_pos;
        if (!ExpectClose() || !Expect(Word::kDot)) return kNoNode;
        const NodeIndex e = Primary();
        if (m_bFailed) return kNoNode;
        children.push_back(e);
        break;
      }
      case kRowID: {
        // ROWID('id'); ROWID() is how an operand other than a string is
        // written, and reads as the empty string.
        if (At().kind == TokKind::kString) {
          children.push_back(TextLeaf(ExprNode::kString, RangeOf(m_pos)));
          ++m_pos;
        } else {
          const TextSpan at = RangeOf(m_pos);
          children.push_back(NewExpr(ExprNode::Text(ExprNode::kString, at, {at.begin, at.begin})));
        }
        if (!ExpectClose()) return kNoNode;
        break;
      }
      default:
        return kNoNode;
    }
    return Operator(own.code, std::move(children), here());
  }

  NodeIndex OperandCount(int code, Mark start, const VXString& counts) {
    const OpInfo* info = GetOpInfo(code);
    m_sink.Add(Severity::kError, "sql.syntax.bad-operands", kMsgBadOperandCount, RangeSince(start),
               {info ? Widen(info->name) : VXString(U"?"), counts});
    Fail();
    return kNoNode;
  }

  // ISANCESTOR(m, (a, b)[, d]), ISPARENT(m, (a, b)) and the like; with an
  // operand instead of the parenthesised list, the two-operand predicates
  // (ISANCESTOR(m, a[, d]), ISPARENT(m, a)).
  NodeIndex HierarchyList(int code, Mark start) {
    const bool bDistance = code == kIsAncestorList || code == kIsDescendantList;
    const NodeIndex member = Expr(0);
    if (m_bFailed || !Expect(Word::kComma)) return kNoNode;
    if (Is(m_pos, Word::kOpen)) {
      ++m_pos;
      std::vector<NodeIndex> list;
      if (!ListUntilClose(list)) return kNoNode;
      std::vector<NodeIndex> children;
      if (bDistance) children.push_back(IntLeaf(static_cast<std::int64_t>(list.size()), RangeSince(start)));
      children.push_back(member);
      children.insert(children.end(), list.begin(), list.end());
      if (bDistance && Accept(Word::kComma)) {
        const NodeIndex d = Expr(0);
        if (m_bFailed) return kNoNode;
        children.push_back(d);
      }
      if (!ExpectClose()) return kNoNode;
      return Operator(code, std::move(children), RangeSince(start));
    }
    const int single = code == kIsAncestorList     ? kIsAncestor
                       : code == kIsDescendantList ? kIsDescendant
                       : code == kIsParentList     ? kIsParent
                       : code == kIsChildList      ? kIsChild
                                                   : kIsSibling;
    std::vector<NodeIndex> children{member};
    const NodeIndex other = Expr(0);
    if (m_bFailed) return kNoNode;
    children.push_back(other);
    if (bDistance) {
      if (Accept(Word::kComma)) {
        const NodeIndex d = Expr(0);
        if (m_bFailed) return kNoNode;
        children.push_back(d);
      } else {
        children.push_back(
            IntLeaf(single == kIsAncestor ? OpExprIsAncestor::kDummyIntLiteral : OpExprIsDescendant::kDummyIntLiteral,
                    RangeSince(start)));
      }
    }
    if (!ExpectClose()) return kNoNode;
    return Operator(single, std::move(children), RangeSince(start));
  }

  // BIN(x [by y] [where c] into n [EQUIDEPTH] bins [between a and b] returning R)
  // and ATTRIBUTE(x [by y] [where c]); clauses not given are NULL.
  NodeIndex Bin(const Grammar::OwnBody& own, Mark start) {
    const bool bAttribute = own.open == own.words[0];
    const NodeIndex x = Operand();
    if (m_bFailed) return kNoNode;
    std::vector<NodeIndex> children{x};
    for (std::size_t clause : {1u, 2u}) {
      if (AcceptKeys(own.words[clause])) {
        const NodeIndex e = clause == 1 ? Operand() : Expr(0);
        if (m_bFailed) return kNoNode;
        children.push_back(e);
      } else {
        children.push_back(Null(RangeOf(m_pos)));
      }
    }
    if (bAttribute) {
      if (!ExpectClose()) return kNoNode;
      children.push_back(IntLeaf(0, RangeSince(start)));
      return Operator(kBin, std::move(children), RangeSince(start));
    }
    if (!AcceptKeys(own.words[3])) {
      Expected(Words(own.words[3]));
      return kNoNode;
    }
    const NodeIndex count = Expr(0);
    if (m_bFailed) return kNoNode;
    children.push_back(count);
    const TextSpan strategyAt = RangeOf(m_pos);
    int strategy = ParameterWord(m_g.binStrategies);
    if (strategy < 0) strategy = BinningEnum::kEQUIWIDTH;
    children.push_back(IntLeaf(strategy, strategyAt));
    if (!AcceptKeys(own.words[4])) {
      Expected(Words(own.words[4]));
      return kNoNode;
    }
    if (AcceptKeys(own.words[5])) {
      // The range is written "between low and high" for the stored low < high.
      const Mark rangeStart = Here();
      const NodeIndex low = Expr(kPrecAnd + 1);
      if (m_bFailed || !Expect(Word::kAnd)) return kNoNode;
      const NodeIndex high = Expr(kPrecAnd + 1);
      if (m_bFailed) return kNoNode;
      children.push_back(Operator(kLess, {low, high}, RangeSince(rangeStart)));
    } else {
      children.push_back(Null(RangeOf(m_pos)));
    }
    if (!AcceptKeys(own.words[6])) {
      Expected(Words(own.words[6]));
      return kNoNode;
    }
    const TextSpan returnsAt = RangeOf(m_pos);
    const int returns = ParameterWord(m_g.binReturns);
    if (returns < 0) {
      Expected(U"NUMBER, RANGE, RANGE_LOW or RANGE_HIGH");
      return kNoNode;
    }
    children.push_back(IntLeaf(returns, returnsAt));
    if (!ExpectClose()) return kNoNode;
    return Operator(kBin, std::move(children), RangeSince(start));
  }

  // VALUEOF(name), VALUEOF(VX_SESSION."name"), VALUEOF(n, VX_SESSION."name").
  NodeIndex ValueOf() {
    const Mark start = Here();
    m_pos += 2;
    NodeIndex index = kNoNode;
    const auto isSession = [&](std::size_t i) {
      return m_t[i].kind == TokKind::kWord &&
             BaseStringUtil::IsCaseInsensitiveMatch(Widen(m_t.Text(m_t[i])), OpExprValueOfSession::VX_SESSION) &&
             Is(i + 1, Word::kDot);
    };
    if (!isSession(m_pos) && !(m_t[m_pos].kind == TokKind::kQuoted || m_t[m_pos].kind == TokKind::kWord)) {
      index = Expr(0);
      if (m_bFailed) return kNoNode;
      if (!Expect(Word::kComma)) return kNoNode;
      if (!isSession(m_pos)) {
        Expected(U"VX_SESSION.\"name\"");
        return kNoNode;
      }
    }
    TextSpan name;
    const bool bSession = isSession(m_pos);
    if (bSession) {
      m_pos += 2;
      const TokKind kind = At().kind;
      if (kind != TokKind::kQuoted && kind != TokKind::kWord) {
        Expected(U"the name of a session variable");
        return kNoNode;
      }
      name = RangeOf(m_pos);
      ++m_pos;
    } else if (!Name(name)) {
      Expected(U"the name of a variable");
      return kNoNode;
    }
    if (!Expect(Word::kClose)) return kNoNode;
    if (!bSession) return NewExpr(ExprNode::Text(ExprNode::kVariable, RangeSince(start), name));
    const NodeIndex indexAt = index == kNoNode ? kNoNode : NewChildren(std::span<const NodeIndex>(&index, 1));
    return NewExpr(ExprNode::SessionVariable(RangeSince(start), name, indexAt));
  }

  const Grammar& m_g;
  mutable TokenStream m_t;
  SyntaxTree& m_tree;
  std::vector<Diagnostic>& m_out;
  DiagnosticSink m_sink;
  std::size_t m_pos = 0;
  std::size_t m_depth = 0;
  bool m_bFailed = false;
  std::set<NodeIndex> m_parenthesised;
  std::vector<NodeIndex> m_operands;  // see Scratch
  TreeVector<SelectItem> m_items;
  bool m_bPairs = false;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> m_pairs;  // see ClosingOf: (open, close) by open
};

}  // namespace
}  // namespace logical_sql::detail

namespace logical_sql {

ParseResult Parse(std::string_view text) {
  ParseResult out;
  detail::Parser(text, out).Statement();
  return out;
}

}  // namespace logical_sql
