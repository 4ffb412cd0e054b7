// The operator patterns of the parser, read from the renderer's own tables:
// every regular row, and the words of the operators with bodies of their own
// where their text has a regular shape once a parameter (a date part, an
// interval kind, a truth value) is fixed. An operator added to those tables
// is read without a change here; its precedence, when it is infix, is that
// of the comparisons unless PrecedenceOf says otherwise.
#include <algorithm>
#include <map>
#include <mutex>

#include "Expr/OpCode.h"
#include "SMLogicalSQLInternal.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/VXAssert.h"

namespace logical_sql::detail {
namespace {

using Spelling = ToPrettyStringVisitor::OperatorSpelling;

// Rows whose text the parser reads another way: the interval forms are
// juxtaposed operands (no keyword of their own), the list parameters open
// with a bare parenthesis, and EVALUATE's wrapper is an operand followed by
// a parenthesis; each is read where it can be told apart (see the parser).
bool ReadByHand(int code) {
  switch (code) {
    case kInterPrim:
    case kInterQual1:
    case kInterQual2:
    case kDataTypeInterval:
    case kEvaluateScriptListParameter:
    case kTrendlineParameter:
    case kXSALookupParameter:
    case kEvaluateWrapper:
      return true;
    default:
      return false;
  }
}

void AddTo(std::vector<std::vector<const Pattern*>>& index, KeyId key, const Pattern* p) {
  if (index.size() <= key) index.resize(key + 1u);
  index[key].push_back(p);
}

// ---- the matchers ----------------------------------------------------------------

// What one pattern may read next: at most two ways.
enum class Next { kOperand, kWords, kDone };
struct Option {
  Next next;
  const Keys* words = nullptr;
  int stage = 0;  // the pattern's stage after it
};
constexpr int kComplete = 99;  // the stage of a pattern whose text is all read
struct OptionList {
  Option items[4];
  std::size_t n = 0;
  void push_back(const Option& o) { items[n++] = o; }
  const Option* begin() const { return items; }
  const Option* end() const { return items + n; }
};

// What pattern p may read next at stage, with count operands read.
OptionList Options(const Pattern& p, int stage, int count) {
  OptionList out;
  const bool bRoom = p.maxArgs < 0 || count < p.maxArgs;
  const auto closeOrDone = [&] {
    if (p.close.empty()) {
      out.push_back({Next::kDone});
    } else {
      out.push_back({Next::kWords, &p.close, kComplete});
    }
  };
  switch (p.form) {
    case Spelling::kNoOperand:
      out.push_back({Next::kDone});
      break;
    case Spelling::kFunction1:
      if (stage == 0) out.push_back({Next::kOperand, nullptr, 1});
      if (stage == 1) closeOrDone();
      break;
    case Spelling::kFunction2:
      if (stage == 0) out.push_back({Next::kOperand, nullptr, 1});
      if (stage == 1) out.push_back({Next::kWords, &p.between, 2});
      if (stage == 2) out.push_back({Next::kOperand, nullptr, 3});
      if (stage == 3) closeOrDone();
      break;
    case Spelling::kVarList:
    case Spelling::kHeaded: {
      // Stage 0: before the first operand; 1: after an operand; 2: after
      // a separator (an operand must follow).
      const bool bHeaded = p.form == Spelling::kHeaded;
      if (stage == 0) {
        out.push_back({Next::kOperand, nullptr, 1});
        if (!bHeaded && count >= p.minArgs) closeOrDone();
      }
      if (stage == 1) {
        const Keys& sep = bHeaded && count > 1 ? p.rest : p.between;
        if (bRoom && !sep.empty()) out.push_back({Next::kWords, &sep, bHeaded && count == 1 ? 3 : 2});
        if (count >= p.minArgs) closeOrDone();
      }
      if (stage == 2) out.push_back({Next::kOperand, nullptr, 1});
      if (stage == 3) {
        // A headed list after its first words: the list may be empty.
        out.push_back({Next::kOperand, nullptr, 1});
        if (count >= p.minArgs) closeOrDone();
      }
      break;
    }
    case Spelling::kInfix:
      break;
  }
  return out;
}

// The patterns of one opening, in table order, as one matcher. A state is
// the list of patterns still possible with the stage of each, and the
// operands read so far, counted only up to where no pattern's limits tell
// more: that keeps the states few, and a list of any length loops among them.
Matcher Compile(const Grammar& g, const std::vector<const Pattern*>& group) {
  Matcher m;
  m.open = group.front()->open;
  int cap = 2;
  for (const Pattern* p : group) cap = std::max({cap, p->minArgs, p->maxArgs});
  struct Where {
    std::vector<std::pair<const Pattern*, int>> live;
    int count = 0;
    auto operator<=>(const Where&) const = default;
  };
  std::map<Where, int> known;
  std::vector<Where> todo;
  const auto stateOf = [&](Where w) {
    w.count = std::min(w.count, cap);
    const auto [it, bNew] = known.try_emplace(w, static_cast<int>(todo.size()));
    if (bNew) todo.push_back(std::move(w));
    return it->second;
  };
  Where first;
  for (const Pattern* p : group) first.live.emplace_back(p, 0);
  stateOf(first);
  for (std::size_t s = 0; s < todo.size(); ++s) {
    const Where w = todo[s];  // a copy: todo grows below
    Matcher::State state;
    // Words: the first pattern's way decides a pattern's stage, and the
    // first pattern they complete is the one read.
    std::vector<const Keys*> words;
    for (const auto& [p, stage] : w.live) {
      for (const Option& o : Options(*p, stage, w.count)) {
        if (o.next == Next::kDone && !state.done) state.done = p;
        if (o.next != Next::kWords) continue;
        const VXString quoted = g.Quoted(*o.words);
        if (state.expected.find(quoted) == VXString::npos) {
          if (!state.expected.empty()) state.expected += U" or ";
          state.expected += quoted;
        }
        if (std::none_of(words.begin(), words.end(), [&](const Keys* k) { return *k == *o.words; }))
          words.push_back(o.words);
      }
    }
    if (state.expected.empty()) state.expected = U"an operand";
    for (const Keys* ks : words) {
      Where next{{}, w.count};
      Matcher::WordStep step{ks};
      for (const auto& [p, stage] : w.live) {
        for (const Option& o : Options(*p, stage, w.count)) {
          if (o.next != Next::kWords || *o.words != *ks) continue;
          if (o.stage == kComplete && !step.finished) step.finished = p;
          next.live.emplace_back(p, o.stage);
          break;
        }
      }
      if (!step.finished) step.next = stateOf(next);
      state.words.push_back(step);
    }
    std::stable_sort(
        state.words.begin(), state.words.end(),
        [](const Matcher::WordStep& a, const Matcher::WordStep& b) { return a.words->size() > b.words->size(); });
    // An operand: a pattern that ends right after its last operand (NOT x,
    // EXISTS x) reads it only as far as it binds.
    Where next{{}, w.count + 1};
    for (const auto& [p, stage] : w.live) {
      if (p->close.empty() && p->form == Spelling::kFunction1) {
        state.operandPrec = p->code == kNegation ? kPrecNot + 1 : kPrecMultiply + 1;
      }
      state.bDataType = state.bDataType || (p->code == kCast && w.count == 1);
      for (const Option& o : Options(*p, stage, w.count)) {
        if (o.next != Next::kOperand) continue;
        next.live.emplace_back(p, o.stage);
        break;
      }
    }
    if (!next.live.empty()) state.operandNext = stateOf(next);
    if (m.states.size() <= s) m.states.resize(s + 1);
    m.states[s] = std::move(state);
  }
  return m;
}

std::uint32_t HashOfKey(std::string_view key, std::uint64_t& head) {
  return KeyTable::HashOf(key.data(), key.size(), key.size(), head);
}
std::uint32_t HashOfKey(std::string_view key) {
  std::uint64_t head = 0;
  return HashOfKey(key, head);
}

Grammar Build() {
  Grammar g;
  std::vector<Pattern>& all = g.all;
  all.reserve(400);
  int order = 0;
  for (const Spelling* row : ToPrettyStringVisitor::OperatorSpellings()) {
    if (ReadByHand(row->code)) continue;
    const OpInfo* info = GetOpInfo(row->code);
    Pattern p;
    p.code = row->code;
    p.form = row->form;
    p.open = g.KeysOf(row->open);
    p.between = g.KeysOf(row->between);
    p.rest = g.KeysOf(row->rest);
    p.close = g.KeysOf(row->close);
    p.minArgs = info ? info->minArgs : 0;
    p.maxArgs = info ? info->maxArgs : -1;
    p.order = order++;
    all.push_back(std::move(p));
  }
  // Operators with bodies of their own whose text is regular once the
  // parameter in their first operand is fixed: one pattern per parameter.
  const auto keysOf = [&](std::initializer_list<std::u32string_view> parts) {
    Keys keys;
    for (std::u32string_view part : parts) {
      for (KeyId k : g.KeysOf(part)) keys.push_back(k);
    }
    return keys;
  };
  const KeyId comma = g.keys.Intern(",");
  const KeyId close = g.keys.Intern(")");
  const auto withParam = [&](int code, Spelling::Form form, Keys open, int minArgs, int maxArgs, int param) {
    Pattern p;
    p.code = code;
    p.form = form;
    p.open = std::move(open);
    p.between = {comma};
    p.close = {close};
    p.minArgs = minArgs;
    p.maxArgs = maxArgs;
    p.leadingParam = param;
    p.order = order++;
    all.push_back(std::move(p));
  };
  const auto* extract = ToPrettyStringVisitor::FindOwnBodySpelling(kExtract);
  const auto* fiscal = ToPrettyStringVisitor::FindOwnBodySpelling(kFiscalExtract);
  for (const auto& field : ToPrettyStringVisitor::TimeFieldSpellings()) {
    // YEAR(x): the field functions.
    withParam(kTMField2, Spelling::kFunction1, keysOf({field.text, U"("}), 1, 1, field.code);
    if (extract) {
      withParam(kExtract, Spelling::kFunction1, keysOf({extract->open, field.text, extract->words[0]}), 1, 1,
                field.code);
    }
    if (fiscal) {
      const OpInfo* info = GetOpInfo(kFiscalExtract);
      withParam(kFiscalExtract, Spelling::kVarList, keysOf({fiscal->open, field.text, fiscal->words[0]}),
                info->minArgs - 1, info->maxArgs < 0 ? -1 : info->maxArgs - 1, field.code);
    }
  }
  for (int code : {kTimeStampAdd, kTimeStampDiff}) {
    const auto* words = ToPrettyStringVisitor::FindOwnBodySpelling(code);
    const OpInfo* info = GetOpInfo(code);
    if (!words || !info) continue;
    for (const auto& interval : ToPrettyStringVisitor::IntervalSpellings()) {
      withParam(code, Spelling::kVarList, keysOf({words->open, interval.text, U","}), info->minArgs - 1,
                info->maxArgs - 1, interval.code);
    }
  }
  // ISANCESTOR(member, ancestor[, distance]): the distance may be left out.
  for (int code : {kIsAncestor, kIsDescendant}) {
    const auto* words = ToPrettyStringVisitor::FindOwnBodySpelling(code);
    if (!words) continue;
    Pattern p;
    p.code = code;
    p.form = Spelling::kVarList;
    p.open = keysOf({words->open});
    p.between = {comma};
    p.close = {close};
    p.minArgs = 2;
    p.maxArgs = 3;
    p.order = order++;
    all.push_back(std::move(p));
  }
  // x IS TRUE and the other truth tests: postfix, the truth value last.
  for (const auto& truth : ToPrettyStringVisitor::TruthSpellings()) {
    Pattern p;
    p.code = kTruth;
    p.form = Spelling::kFunction1;
    p.close = g.KeysOf(truth.text);
    p.minArgs = p.maxArgs = 1;
    p.leadingParam = truth.code;
    p.bParamLast = true;
    p.order = order++;
    all.push_back(std::move(p));
  }

  // What users type for the negated forms: the operator under NOT.
  const KeyId is = g.keys.Intern("IS"), in = g.keys.Intern("IN"), like = g.keys.Intern("LIKE"),
              between = g.keys.Intern("BETWEEN"), negation = g.keys.Intern("NOT");
  const std::size_t regular = all.size();
  for (std::size_t i = 0; i < regular; ++i) {
    Pattern p = all[i];
    if (!p.open.empty() || p.leadingParam >= 0) continue;
    if (p.form == Spelling::kFunction1 && p.close.size() == 2 && p.close[0] == is) {
      p.close.insert(p.close.begin() + 1, negation);
    } else if (!p.between.empty() && (p.between[0] == in || p.between[0] == like || p.between[0] == between)) {
      p.between.insert(p.between.begin(), negation);
    } else {
      continue;
    }
    p.bNegated = true;
    p.order = order++;
    all.push_back(std::move(p));
  }

  // The patterns of each opening, in table order.
  std::map<Keys, std::vector<const Pattern*>> byOpening;
  for (Pattern& p : all) {
    p.prec = PrecedenceOf(p.code);
    if (!p.open.empty()) {
      byOpening[p.open].push_back(&p);
    } else if ((p.form == Spelling::kInfix || p.form == Spelling::kHeaded) && !p.between.empty()) {
      AddTo(g.postfix, p.between.front(), &p);
    } else if (p.form == Spelling::kFunction1 && !p.close.empty()) {
      AddTo(g.postfix, p.close.front(), &p);
    }
  }
  // Longest opening first, then table order: the first pattern whose words
  // all match is the one that reads the text.
  const auto longestFirst = [](const Pattern* a, const Pattern* b) {
    const std::size_t la =
        a->open.empty() ? (a->between.empty() ? a->close.size() : a->between.size()) : a->open.size();
    const std::size_t lb =
        b->open.empty() ? (b->between.empty() ? b->close.size() : b->between.size()) : b->open.size();
    if (la != lb) return la > lb;
    return a->order < b->order;
  };
  for (const auto& [open, group] : byOpening) g.matchers.push_back(Compile(g, group));
  for (const Matcher& m : g.matchers) {
    if (g.openings.size() <= m.open.front()) g.openings.resize(m.open.front() + 1u);
    g.openings[m.open.front()].push_back(&m);
  }
  // The longest opening that is there is the one read; two of one length
  // never both are.
  for (auto& list : g.openings) {
    std::stable_sort(list.begin(), list.end(),
                     [](const Matcher* a, const Matcher* b) { return a->open.size() > b->open.size(); });
  }
  for (auto& list : g.postfix) std::stable_sort(list.begin(), list.end(), longestFirst);
  for (Pattern& p : all) {
    if ((p.form != Spelling::kInfix && p.form != Spelling::kHeaded) || p.between.empty()) continue;
    for (const Pattern* q : g.postfix[p.between.front()]) {
      if (q->bNegated != p.bNegated || q->between != p.between) continue;
      if (q->form == Spelling::kInfix && !p.infix) p.infix = q;
      if (q->form == Spelling::kHeaded && !p.headed) p.headed = q;
    }
  }

  for (std::size_t w = 0; w < std::size(kWordTexts); ++w) g.words[w] = g.keys.Intern(kWordTexts[w]);
  // The clause grammar's words.
  for (std::string_view w : {"FROM", "WHERE", "GROUP", "HAVING", "ORDER", "FETCH", "UNION", "INTERSECT", "EXCEPT"}) {
    const KeyId k = g.keys.Intern(w);
    if (g.flags.size() <= k) g.flags.resize(k + 1u);
    g.flags[k] |= Grammar::kClauseWord | Grammar::kReservedWord;
  }
  // Words that end an expression where they stand: never read as an
  // unquoted name (quote a column that bears one).
  for (std::string_view w : {"SELECT", "AS", "WHEN", "THEN", "ELSE", "END", "AND", "OR", "NOT", "IS", "IN", "LIKE",
                             "BETWEEN", "ESCAPE", "ASC", "DESC", "DISTINCT", "ON"}) {
    const KeyId k = g.keys.Intern(w);
    if (g.flags.size() <= k) g.flags.resize(k + 1u);
    g.flags[k] |= Grammar::kReservedWord;
  }
  for (const auto& field : ToPrettyStringVisitor::TimeFieldSpellings()) {
    const Keys k = g.KeysOf(field.text);
    if (k.size() != 1) continue;
    if (g.timeField.size() <= k[0]) g.timeField.resize(k[0] + 1u, -1);
    if (g.timeField[k[0]] < 0) g.timeField[k[0]] = field.code;
  }
  for (const auto& type : ToPrettyStringVisitor::DataTypeSpellings()) {
    g.dataTypeKeys.push_back(
        type.params == ToPrettyStringVisitor::DataTypeSpelling::kNoSqlForm ? Keys() : g.KeysOf(type.keyword));
  }
  if (const auto* words = ToPrettyStringVisitor::FindOwnBodySpelling(kCaseIf)) {
    g.caseWhen = g.KeysOf(words->words[0]);
    g.caseThen = g.KeysOf(words->words[1]);
    g.caseElse = g.KeysOf(words->words[2]);
    g.caseEnd = g.KeysOf(words->words[3]);
  }
  for (int code : {kMultiRank, kEvaluate, kEvaluateAggr, kEvaluateAnalytic, kJsonValue, kIsAncestorList,
                   kIsDescendantList, kIsParentList, kIsChildList, kIsSiblingList, kAgo, kPeriodRolling, kCorrelation,
                   kCovariance, kBin, kWidthBucket, kXSA, kRowID}) {
    const auto* row = ToPrettyStringVisitor::FindOwnBodySpelling(code);
    if (!row) continue;
    Grammar::OwnBody own;
    own.code = code;
    own.open = g.KeysOf(row->open);
    for (std::u32string_view w : row->words) own.words.push_back(g.KeysOf(w));
    // The list forms of the hierarchy predicates open with their name alone.
    if (own.open.size() == 1) own.open.push_back(g.keys.Intern("("));
    g.ownBodies.push_back(std::move(own));
  }
  // BIN's attribute form opens with its first word.
  if (const auto* bin = ToPrettyStringVisitor::FindOwnBodySpelling(kBin)) {
    Grammar::OwnBody own;
    own.code = kBin;
    own.open = g.KeysOf(bin->words[0]);
    for (std::u32string_view w : bin->words) own.words.push_back(g.KeysOf(w));
    g.ownBodies.push_back(std::move(own));
  }
  std::stable_sort(g.ownBodies.begin(), g.ownBodies.end(),
                   [](const Grammar::OwnBody& a, const Grammar::OwnBody& b) { return a.open.size() > b.open.size(); });
  for (const Grammar::OwnBody& own : g.ownBodies) {
    if (own.open.empty()) continue;
    if (g.flags.size() <= own.open[0]) g.flags.resize(own.open[0] + 1u);
    g.flags[own.open[0]] |= Grammar::kOwnBodyStart;
  }
  for (const auto& s : pretty_detail::BinStrategySpellings()) {
    const Keys k = g.KeysOf(s.text);
    if (k.size() == 1) g.binStrategies.emplace_back(k[0], s.code);
  }
  for (const auto& s : pretty_detail::BinReturnSpellings()) {
    const Keys k = g.KeysOf(s.text);
    if (k.size() == 1) g.binReturns.emplace_back(k[0], s.code);
  }
  const auto lead = [&](KeyId key, Grammar::Lead form) {
    if (g.leads.size() <= key) g.leads.resize(key + 1u, Grammar::Lead::kNone);
    if (g.leads[key] != Grammar::Lead::kNone) {
      VXAssert::handleLogicError(__FILE__, __LINE__, "a logical SQL keyword that starts two forms of primary");
    }
    g.leads[key] = form;
  };
  for (Word w : {Word::kDate, Word::kTime, Word::kTimestamp}) lead(g.Key(w), Grammar::Lead::kTypedLiteral);
  lead(g.Key(Word::kCase), Grammar::Lead::kCase);
  for (const Grammar::OwnBody& own : g.ownBodies) {
    if (!own.open.empty() && g.LeadOf(own.open[0]) != Grammar::Lead::kOwnBody)
      lead(own.open[0], Grammar::Lead::kOwnBody);
  }
  lead(g.Key(Word::kValueOf), Grammar::Lead::kValueOf);
  lead(g.Key(Word::kSelect), Grammar::Lead::kSelect);
  lead(g.Key(Word::kInterval), Grammar::Lead::kInterval);
  // Every key is known now: the tables indexed by key cover them all.
  g.openings.resize(g.keys.Size());
  g.postfix.resize(g.keys.Size());
  g.flags.resize(g.keys.Size());
  g.timeField.resize(g.keys.Size(), -1);
  g.leads.resize(g.keys.Size(), Grammar::Lead::kNone);
  return g;
}

}  // namespace

const Grammar::OwnBody* Grammar::FindOwnBody(int code) const {
  for (const OwnBody& own : ownBodies) {
    if (own.code == code) return &own;
  }
  return nullptr;
}

Keys Grammar::KeysOf(std::u32string_view spelling) {
  Keys out;
  for (const std::string& k : SpellingKeys(spelling)) out.push_back(keys.Intern(k));
  return out;
}

VXString Grammar::Quoted(const Keys& ks) const {
  VXString out = U"'";
  for (std::size_t i = 0; i < ks.size(); ++i) {
    if (i > 0) out += U' ';
    out += Widen(keys.Text(ks[i]));
  }
  return out + U"'";
}

KeyTable::KeyTable() : m_texts(1), m_slots(256) {}

KeyId KeyTable::Lookup(std::string_view key, std::uint32_t hash) const {
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot slot = m_slots[i];
    if (slot.id == kNoKey) return kNoKey;
    if (slot.hash == hash && m_texts[slot.id] == key) return slot.id;
  }
}

void KeyTable::Grow() {
  std::vector<Slot> slots(m_slots.size() * 2);
  const std::size_t mask = slots.size() - 1;
  for (const Slot& slot : m_slots) {
    if (slot.id == kNoKey) continue;
    std::size_t i = slot.hash & mask;
    while (slots[i].id != kNoKey) i = (i + 1) & mask;
    slots[i] = slot;
  }
  m_slots = std::move(slots);
}

KeyId KeyTable::Intern(std::string_view key) {
  std::uint64_t head = 0;
  const std::uint32_t hash = HashOfKey(key, head);
  if (const KeyId id = Lookup(key, hash); id != kNoKey) return id;
  // A key too long to be looked up, or one past the id range, is never
  // met in text; the grammar's are a few hundred short words.
  if (key.size() > kMaxLength || m_texts.size() >= 0xFFFF) {
    VXAssert::handleLogicError(__FILE__, __LINE__, "a logical SQL keyword too long or too many keywords");
  }
  // A quarter full at most: most words of a query are names, and a miss
  // ends at the first empty slot.
  if ((m_texts.size() + 1) * 4 > m_slots.size()) Grow();
  const auto id = static_cast<KeyId>(m_texts.size());
  m_texts.emplace_back(key);
  const std::size_t mask = m_slots.size() - 1;
  std::size_t i = hash & mask;
  while (m_slots[i].id != kNoKey) i = (i + 1) & mask;
  m_slots[i] = {head, hash, id, static_cast<std::uint8_t>(key.size())};
  if (key.size() == 1 && static_cast<unsigned char>(key[0]) < 128) m_oneChar[static_cast<unsigned char>(key[0])] = id;
  return id;
}

bool KeyTable::TailMatches(const char* p, std::size_t n, const std::string& key) {
  for (std::size_t k = 8; k < n; ++k) {
    auto c = static_cast<unsigned char>(p[k]);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c != static_cast<unsigned char>(key[k])) return false;
  }
  return true;
}

KeyId KeyTable::Find(std::string_view text, TokKind kind) const {
  if ((kind != TokKind::kWord && kind != TokKind::kSymbol) || text.size() > kMaxLength) return kNoKey;
  char buffer[kMaxLength];
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (kind == TokKind::kWord && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    buffer[i] = c;
  }
  std::string_view key(buffer, text.size());
  if (key == "!=") key = "<>";
  return Lookup(key, HashOfKey(key));
}

const Grammar& GetGrammar() {
  static const Grammar grammar = Build();
  return grammar;
}

int PrecedenceOf(int code) {
  switch (code) {
    case kBreak:
    case kBreakAt:
      return kPrecBy;
    case kOr:
      return kPrecOr;
    case kAnd:
      return kPrecAnd;
    case kConcatenate:
      return kPrecConcat;
    case kAdd:
    case kSubtract:
      return kPrecAdd;
    case kMultiply:
    case kDivide:
      return kPrecMultiply;
    default:
      return kPrecCompare;
  }
}

}  // namespace logical_sql::detail

namespace logical_sql {

// Besides these op codes, two operand shapes read as another operator:
// RANK over an aggregate with BY (RANK(x BY p)) reads as MULTI-RANK's BY,
// and a two-operand hierarchy predicate whose second operand is a
// parenthesised list (ISANCESTOR(m, (a, b))) as the list form; in both the
// form a user types means the latter.
std::span<const SameTextPair> SameTextOpCodes() {
  static constexpr SameTextPair kPairs[] = {
      {kMultiRank, kRank, "RANK(x) with one column, no direction and no BY reads as the one-operand RANK"},
      {kTrendlineParameter, kEvaluateScriptListParameter, "a parenthesised list of two or more operands"},
      {kXSALookupParameter, kEvaluateScriptListParameter, "a parenthesised list of two or more operands"},
      {kValueOfSessionNew, kValueOfSession, "VALUEOF(VX_SESSION.\"name\") names the variable, not its id"},
      {kValueOfSessionNewByIndex, kValueOfSessionByIndex, "VALUEOF(n, VX_SESSION.\"name\") likewise"},
      {kValueOfSessionVariableBlock, kValueOf, "VALUEOF(\"block\".\"variable\") names the repository variable"},
      {kValueOfSessionVariableBlockNew, kValueOf, "VALUEOF(\"block\".\"variable\") names the repository variable"},
      {kCastAsNull, 0, "the typed null is written as its operand alone"},
      {kEvaluateTableScript, 0, "the script is written as its text, without quotes"},
  };
  return kPairs;
}

std::span<const SameTextDataType> SameTextDataTypes() {
  // 3 long varchar, 6 long varbinary: the long forms are the storage's
  // business; 7, 8, 10: SMALLINT is the signed two-byte integer; 20: a
  // TIMESTAMP is a timestamp, not the older datetime.
  static constexpr SameTextDataType kTypes[] = {{3, 2}, {6, 5}, {7, 9}, {8, 9}, {10, 9}, {20, 21}};
  return kTypes;
}

}  // namespace logical_sql
