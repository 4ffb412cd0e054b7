// The look at the query text around the cursor, without a parse: what is
// typed of a name, the clause, and the call the cursor is in. Text being
// typed seldom parses; this reads it token by token from the start.
#include <algorithm>

#include "LspInternal.h"
#include "Metadata/SMEverydayTypeNames.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"

namespace smutil_lsp::detail {

using nlohmann::json;

json ToJson(const Position& p) { return {{"line", p.line}, {"character", p.character}}; }
json ToJson(const Range& r) { return {{"start", ToJson(r.start)}, {"end", ToJson(r.end)}}; }

Position PositionFrom(const json& j) {
  const auto line = j.at("line").get<std::int64_t>(), character = j.at("character").get<std::int64_t>();
  const auto clamp = [](std::int64_t v) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, 0xFFFFFFFF));
  };
  return {clamp(line), clamp(character)};
}

Range RangeFrom(const json& j) { return {PositionFrom(j.at("start")), PositionFrom(j.at("end"))}; }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

bool StartsWithNoCase(const VXString& name, const VXString& prefix) {
  if (prefix.size() > name.size()) return false;
  return BaseStringUtil::IsCaseInsensitiveMatch(std::u32string_view(name).substr(0, prefix.size()), prefix);
}

namespace {

bool IsWordStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return IsWordStart(c) || (c >= '0' && c <= '9') || c == '$' || c == '#'; }

bool IsClauseWord(const std::string& upper) {
  static const char* const kClauses[] = {"SELECT", "FROM", "WHERE", "GROUP", "HAVING", "ORDER", "FETCH"};
  return std::any_of(std::begin(kClauses), std::end(kClauses), [&](const char* w) { return upper == w; });
}

// One token of the text before the cursor.
struct Token {
  enum Kind { kWord, kQuoted, kString, kSymbol, kComment } kind;
  std::size_t start, end;  // bytes
  bool bClosed = true;     // quoted names, strings and block comments: ended before the cursor
};

std::vector<Token> Tokens(std::string_view text) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      ++i;
    } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
      const std::size_t nl = text.find_first_of("\r\n", i);
      const bool bClosed = nl != std::string_view::npos;
      out.push_back({Token::kComment, i, bClosed ? nl : text.size(), bClosed});
      i = bClosed ? nl : text.size();
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const std::size_t close = text.find("*/", i + 2);
      const bool bClosed = close != std::string_view::npos;
      out.push_back({Token::kComment, i, bClosed ? close + 2 : text.size(), bClosed});
      i = bClosed ? close + 2 : text.size();
    } else if (c == '"' || c == '\'') {
      // A doubled quote inside stands for one.
      std::size_t j = i + 1;
      bool bClosed = false;
      while (j < text.size()) {
        if (text[j] == static_cast<char>(c)) {
          if (j + 1 < text.size() && text[j + 1] == static_cast<char>(c)) {
            j += 2;
            continue;
          }
          bClosed = true;
          ++j;
          break;
        }
        ++j;
      }
      out.push_back({c == '"' ? Token::kQuoted : Token::kString, i, j, bClosed});
      i = j;
    } else if (IsWordStart(c)) {
      std::size_t j = i + 1;
      while (j < text.size() && IsWordChar(static_cast<unsigned char>(text[j]))) ++j;
      out.push_back({Token::kWord, i, j});
      i = j;
    } else {
      out.push_back({Token::kSymbol, i, i + 1});
      ++i;
    }
  }
  return out;
}

// A quoted name's text without its quotes, doubled quotes made single.
std::string Unquoted(std::string_view quoted, bool bClosed) {
  std::string_view inner = quoted.substr(1, quoted.size() - (bClosed ? 2 : 1));
  std::string out;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    out += inner[i];
    if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"') ++i;
  }
  return out;
}

}  // namespace

CursorContext ContextAt(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  const std::string_view before = text.substr(0, offset);
  const std::vector<Token> tokens = Tokens(before);
  CursorContext ctx;
  ctx.replaceStart = offset;
  if (!tokens.empty()) {
    const Token& last = tokens.back();
    if ((last.kind == Token::kComment && (!last.bClosed || last.end == offset)) ||
        (last.kind == Token::kString && !last.bClosed)) {
      // In a line comment the cursor at its end is still inside it.
      ctx.bInStringOrComment = last.kind == Token::kString || !last.bClosed || text[last.start] == '-';
    }
  }
  // The clause and the call, by parenthesis depth.
  struct Frame {
    std::string clause;
    std::string callee;
    std::size_t calleeOffset = 0;
    std::uint32_t argument = 0;
  };
  std::vector<Frame> frames(1);
  std::string previousWord;
  std::size_t previousWordAt = 0;
  for (const Token& t : tokens) {
    const std::string_view s = before.substr(t.start, t.end - t.start);
    if (t.kind == Token::kComment) continue;
    if (t.kind == Token::kSymbol && s == "(") {
      // A call when a known function stands right before; otherwise a
      // parenthesis (a subquery, a grouping) with no callee.
      const bool bCall = !previousWord.empty() && FindFunction(previousWord) != nullptr;
      frames.push_back({"", bCall ? previousWord : std::string(), bCall ? previousWordAt : t.start, 0});
      previousWord.clear();
      continue;
    }
    if (t.kind == Token::kSymbol && s == ")") {
      if (frames.size() > 1) frames.pop_back();
      previousWord.clear();
      continue;
    }
    if (t.kind == Token::kSymbol && s == ",") ++frames.back().argument;
    if (t.kind == Token::kWord) {
      const std::string upper = Upper(s);
      // Separators that are words ("SUBSTRING(a FROM 2)") move to the next
      // parameter; they start no clause.
      bool bSeparator = false;
      if (const FunctionEntry* f = frames.size() > 1 ? FindFunction(frames.back().callee) : nullptr) {
        for (const FunctionSignature& sig : f->signatures) {
          if (std::find(sig.separators.begin(), sig.separators.end(), upper) != sig.separators.end()) {
            bSeparator = true;
            break;
          }
        }
      }
      if (bSeparator) {
        ++frames.back().argument;
      } else if (IsClauseWord(upper)) {
        frames.back().clause = upper;
      }
      previousWord = upper;
      previousWordAt = t.start;
    } else {
      previousWord.clear();
    }
  }
  // The clause of the innermost frame that has one (a subquery's own, or
  // the enclosing query's inside a call).
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    if (!it->clause.empty()) {
      ctx.clause = it->clause;
      break;
    }
  }
  if (frames.size() > 1) {
    ctx.bInCall = true;
    ctx.callee = frames.back().callee;
    ctx.calleeOffset = frames.back().calleeOffset;
    ctx.activeParameter = frames.back().argument;
  }
  if (ctx.bInStringOrComment) return ctx;
  // The name being typed: back from the cursor over segments and dots.
  std::size_t k = tokens.size();
  if (k > 0 && tokens[k - 1].end == offset &&
      (tokens[k - 1].kind == Token::kWord || (tokens[k - 1].kind == Token::kQuoted))) {
    const Token& t = tokens[k - 1];
    const std::string_view s = before.substr(t.start, t.end - t.start);
    if (t.kind == Token::kQuoted) {
      if (t.bClosed) {
        // A closed quoted name right at the cursor: nothing typed of a new one.
        ctx.replaceStart = offset;
        ctx.qualifier.clear();
        return ctx;
      }
      ctx.bOpenQuote = true;
      ctx.prefix = Unquoted(s, false);
    } else {
      ctx.prefix = std::string(s);
    }
    ctx.replaceStart = t.start;
    --k;
  }
  // Qualifier segments: "." name "." name ... right before.
  std::vector<std::string> qualifier;
  std::size_t expect = ctx.replaceStart;
  while (k > 0) {
    const Token& dot = tokens[k - 1];
    if (dot.kind != Token::kSymbol || before[dot.start] != '.' || dot.end != expect) break;
    if (k < 2) break;
    const Token& seg = tokens[k - 2];
    if (seg.end != dot.start || !(seg.kind == Token::kWord || (seg.kind == Token::kQuoted && seg.bClosed))) break;
    const std::string_view s = before.substr(seg.start, seg.end - seg.start);
    qualifier.push_back(seg.kind == Token::kQuoted ? Unquoted(s, true) : std::string(s));
    expect = seg.start;
    k -= 2;
  }
  std::reverse(qualifier.begin(), qualifier.end());
  ctx.qualifier = std::move(qualifier);
  return ctx;
}

NameSegments SegmentsOf(std::string_view text, std::size_t offset) {
  NameSegments out;
  std::size_t start = 0;
  bool bQuoted = false;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] == '"') {
      if (bQuoted && i + 1 < text.size() && text[i + 1] == '"') {
        ++i;
        continue;
      }
      bQuoted = !bQuoted;
      continue;
    }
    if (i == text.size() || (!bQuoted && text[i] == '.')) {
      out.ranges.emplace_back(start, i);
      if (offset >= start && offset <= i && out.at < 0) out.at = static_cast<int>(out.ranges.size()) - 1;
      start = i + 1;
    }
  }
  return out;
}

std::string TypeWords(TypeID type) {
  std::string label = EverydayTypeLabel(type);
  if (!label.empty()) return label;
  VXString name = MetadataUtil::ToTypeName(type);
  std::string out = ToNarrow(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace smutil_lsp::detail
