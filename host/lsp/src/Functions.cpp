// Functions and keywords as the editor offers them, read from the tables
// the renderer writes with, so a function added there is offered here.
#include <algorithm>
#include <map>

#include "Expr/OpCode.h"
#include "LspInternal.h"
#include "Metadata/SMPrettyStringVisitor.h"

namespace smutil_lsp::detail {
namespace {

using Spelling = ToPrettyStringVisitor::OperatorSpelling;

std::string Trim(std::u32string_view s) {
  while (!s.empty() && s.front() == U' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == U' ') s.remove_suffix(1);
  return ToNarrow(s);
}

// "SUM(" of " SUM(DISTINCT ": the name before the parenthesis, or empty
// when the text does not open with a name and "(".
std::string NameOf(const std::string& open) {
  const std::size_t paren = open.find('(');
  if (paren == std::string::npos || paren == 0) return {};
  for (std::size_t i = 0; i < paren; ++i) {
    const char c = open[i];
    const bool bWord = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (i > 0 && c >= '0' && c <= '9');
    if (!bWord) return {};
  }
  return open.substr(0, paren);
}

// Builds "OPEN expr1 SEP expr2 ... CLOSE" with the parameters' places.
struct SignatureBuilder {
  FunctionSignature sig;
  int next = 1;
  explicit SignatureBuilder(const std::string& open) { sig.label = open; }
  void Parameter() {
    const std::string name = "expr" + std::to_string(next++);
    const auto start = static_cast<std::uint32_t>(sig.label.size());
    sig.label += name;
    sig.parameters.emplace_back(start, static_cast<std::uint32_t>(sig.label.size()));
  }
  void Separator(std::u32string_view text) {
    sig.label += ToNarrow(text);
    sig.separators.push_back(Upper(Trim(text)));
  }
  void Variadic(std::u32string_view separator) {
    sig.label += ToNarrow(separator) + "...";
    sig.bVariadic = true;
  }
};

std::vector<FunctionEntry> BuildFunctions() {
  std::map<std::string, FunctionEntry> byName;
  const auto add = [&](const std::string& name, FunctionSignature sig) {
    FunctionEntry& e = byName[Upper(name)];
    e.name = Upper(name);
    const bool bSeen = std::any_of(e.signatures.begin(), e.signatures.end(),
                                   [&](const FunctionSignature& s) { return s.label == sig.label; });
    if (!bSeen) e.signatures.push_back(std::move(sig));
  };
  for (const Spelling* row : ToPrettyStringVisitor::OperatorSpellings()) {
    if (row->form == Spelling::kNoOperand || row->form == Spelling::kInfix) continue;
    std::string open = Trim(row->open);
    if (open.empty() || open.back() == ' ') continue;
    const std::string name = NameOf(open);
    if (name.empty()) continue;
    // "SUM(DISTINCT " keeps its blank before the operand.
    if (row->open.size() > 0 && row->open.back() == U' ') open += ' ';
    SignatureBuilder b(open);
    b.Parameter();
    if (row->form == Spelling::kFunction2) {
      b.Separator(row->between);
      b.Parameter();
    } else if (row->form == Spelling::kVarList) {
      b.Separator(row->between);
      b.Parameter();
      b.Variadic(row->between);
    } else if (row->form == Spelling::kHeaded) {
      b.Separator(row->between);
      b.Parameter();
      b.Variadic(row->rest);
    }
    b.sig.label += Trim(row->close);
    add(name, std::move(b.sig));
  }
  // Operators with a body of their own, where that body is a call whose
  // operands stand between keywords ("EXTRACT(expr1 FROM expr2)").
  for (int code = kFirstOpCode; code <= kLastOpCode; ++code) {
    const ToPrettyStringVisitor::OwnBodySpelling* row = ToPrettyStringVisitor::FindOwnBodySpelling(code);
    if (!row) continue;
    const std::string open = Trim(row->open);
    const std::string name = NameOf(open);
    if (name.empty() || open.back() != '(') continue;
    std::vector<std::u32string_view> words;
    for (std::u32string_view w : row->words) {
      if (!w.empty()) words.push_back(w);
    }
    const bool bPlain = std::all_of(words.begin(), words.end(), [](std::u32string_view w) {
      const std::string t = Upper(Trim(w));
      return t == "FROM" || t == "AS" || t == ",";
    });
    if (!bPlain) continue;
    SignatureBuilder b(open);
    b.Parameter();
    for (std::u32string_view w : words) {
      b.Separator(w);
      b.Parameter();
    }
    if (words.empty()) b.Variadic(U", ");
    b.sig.label += ")";
    add(name, std::move(b.sig));
  }
  std::vector<FunctionEntry> out;
  for (auto& [name, e] : byName) out.push_back(std::move(e));
  return out;
}

}  // namespace

const std::vector<FunctionEntry>& Functions() {
  static const std::vector<FunctionEntry> functions = BuildFunctions();
  return functions;
}

const FunctionEntry* FindFunction(std::string_view name) {
  const std::vector<FunctionEntry>& all = Functions();
  const std::string upper = Upper(name);
  const auto it = std::lower_bound(all.begin(), all.end(), upper,
                                   [](const FunctionEntry& e, const std::string& n) { return e.name < n; });
  return it != all.end() && it->name == upper ? &*it : nullptr;
}

const std::vector<std::string_view>& ClauseKeywords() {
  // The grammar's words, as a statement uses them.
  static const std::vector<std::string_view> words = {
      "SELECT", "DISTINCT", "FROM", "WHERE", "GROUP BY",  "HAVING",   "ORDER BY",    "ASC",       "DESC",
      "AND",    "OR",       "NOT",  "IN",    "BETWEEN",   "LIKE",     "ESCAPE",      "IS NULL",   "IS NOT NULL",
      "CASE",   "WHEN",     "THEN", "ELSE",  "END",       "AS",       "UNION",       "UNION ALL", "INTERSECT",
      "EXCEPT", "VALUEOF",  "DATE", "TIME",  "TIMESTAMP", "INTERVAL", "FETCH FIRST", "ROWS ONLY"};
  return words;
}

}  // namespace smutil_lsp::detail
