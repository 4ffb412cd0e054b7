// The operator patterns of the parser, read from the renderer's own tables:
// every regular row, and the words of the operators with bodies of their own
// where their text has a regular shape once a parameter (a date part, an
// interval kind, a truth value) is fixed. An operator added to those tables
// is read without a change here; its precedence, when it is infix, is that
// of the comparisons unless PrecedenceOf says otherwise.
#include <algorithm>
#include <mutex>

#include "Expr/OpCode.h"
#include "SMLogicalSQLInternal.h"

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

void AddTo(std::vector<std::pair<std::string, std::vector<const Pattern*>>>& index, const std::string& key,
           const Pattern* p) {
  for (auto& [k, list] : index) {
    if (k == key) {
      list.push_back(p);
      return;
    }
  }
  index.push_back({key, {p}});
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
    p.open = SpellingKeys(row->open);
    p.between = SpellingKeys(row->between);
    p.rest = SpellingKeys(row->rest);
    p.close = SpellingKeys(row->close);
    p.minArgs = info ? info->minArgs : 0;
    p.maxArgs = info ? info->maxArgs : -1;
    p.order = order++;
    all.push_back(std::move(p));
  }
  // Operators with bodies of their own whose text is regular once the
  // parameter in their first operand is fixed: one pattern per parameter.
  const auto keysOf = [](std::initializer_list<std::u32string_view> parts) {
    std::vector<std::string> keys;
    for (std::u32string_view part : parts) {
      for (std::string& k : SpellingKeys(part)) keys.push_back(std::move(k));
    }
    return keys;
  };
  const auto withParam = [&](int code, Spelling::Form form, std::vector<std::string> open, int minArgs, int maxArgs,
                             int param) {
    Pattern p;
    p.code = code;
    p.form = form;
    p.open = std::move(open);
    p.between = {","};
    p.close = {")"};
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
    p.between = {","};
    p.close = {")"};
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
    p.close = SpellingKeys(truth.text);
    p.minArgs = p.maxArgs = 1;
    p.leadingParam = truth.code;
    p.bParamLast = true;
    p.order = order++;
    all.push_back(std::move(p));
  }

  // What users type for the negated forms: the operator under NOT.
  const std::size_t regular = all.size();
  for (std::size_t i = 0; i < regular; ++i) {
    Pattern p = all[i];
    if (!p.open.empty() || p.leadingParam >= 0) continue;
    if (p.form == Spelling::kFunction1 && p.close.size() == 2 && p.close[0] == "IS") {
      p.close.insert(p.close.begin() + 1, "NOT");
    } else if (!p.between.empty() && (p.between[0] == "IN" || p.between[0] == "LIKE" || p.between[0] == "BETWEEN")) {
      p.between.insert(p.between.begin(), "NOT");
    } else {
      continue;
    }
    p.bNegated = true;
    p.order = order++;
    all.push_back(std::move(p));
  }

  for (const Pattern& p : all) {
    if (!p.open.empty()) {
      AddTo(g.prefix, p.open.front(), &p);
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
  for (auto& [key, list] : g.prefix) std::stable_sort(list.begin(), list.end(), longestFirst);
  for (auto& [key, list] : g.postfix) std::stable_sort(list.begin(), list.end(), longestFirst);
  return g;
}

}  // namespace

const std::vector<const Pattern*>* Grammar::FindPrefix(const std::string& key) const {
  for (const auto& [k, list] : prefix) {
    if (k == key) return &list;
  }
  return nullptr;
}

const std::vector<const Pattern*>* Grammar::FindPostfix(const std::string& key) const {
  for (const auto& [k, list] : postfix) {
    if (k == key) return &list;
  }
  return nullptr;
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
