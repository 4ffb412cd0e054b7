// Comparing two repository texts element by element (see
// objectmodel/RpFileDigest.h). Everything here reads bytes through bounds
// checked offsets: the earlier text comes from anywhere.
#include "objectmodel/RpFileDigest.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "Utility/VoidIDText.h"

namespace RpFileDigest {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A character that ends an element or attribute name.
bool EndsName(char c) { return IsBlank(c) || c == '/' || c == '>'; }

// "line N" of offset, for the reason a text was not compared.
std::string LineOf(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  return "line " +
         std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Whether text at offset holds name followed by a character that ends it.
bool NameAt(std::string_view text, std::size_t offset, std::string_view name) {
  return offset + name.size() < text.size() && text.compare(offset, name.size(), name) == 0 &&
         EndsName(text[offset + name.size()]);
}

struct Attribute {
  std::string_view name;
  std::string_view value;
  std::size_t begin;  // the blank in front of the name
  std::size_t end;    // just past the closing quote
};

// Reads the attributes of a start tag from at (just past the element's
// name) up to and past its '>' or "/>". onAttribute(const Attribute&)
// gives false to stop, having said why.
template <typename OnAttribute>
bool ReadAttributes(std::string_view t, std::size_t& at, bool& bEmpty, std::string& whyNot, OnAttribute&& onAttribute) {
  const std::size_t tagStart = at;
  const auto fail = [&](const char* what) {
    whyNot = std::string(what) + " (" + LineOf(t, at) + ")";
    return false;
  };
  for (;;) {
    const std::size_t blank = at;
    while (at < t.size() && IsBlank(t[at])) ++at;
    if (at >= t.size()) return fail("the text ends inside a tag (truncated?)");
    if (t[at] == '>') {
      ++at;
      bEmpty = false;
      return true;
    }
    if (t[at] == '/') {
      if (at + 1 < t.size() && t[at + 1] == '>') {
        at += 2;
        bEmpty = true;
        return true;
      }
      return fail("a '/' inside a tag");
    }
    if (at == blank) return fail(at == tagStart ? "a malformed tag name" : "attributes without a blank between them");
    const std::size_t nameStart = at;
    while (at < t.size() && !IsBlank(t[at]) && t[at] != '=' && t[at] != '>' && t[at] != '/' && t[at] != '<' &&
           t[at] != '"' && t[at] != '\'') {
      ++at;
    }
    if (at == nameStart) return fail("a malformed attribute");
    const std::string_view name = t.substr(nameStart, at - nameStart);
    while (at < t.size() && IsBlank(t[at])) ++at;
    if (at >= t.size() || t[at] != '=') return fail("an attribute without a value");
    ++at;
    while (at < t.size() && IsBlank(t[at])) ++at;
    if (at >= t.size() || (t[at] != '"' && t[at] != '\'')) return fail("an attribute value without quotes");
    const std::size_t close = t.find(t[at], at + 1);
    if (close == std::string_view::npos) return fail("the text ends inside an attribute value (truncated?)");
    const std::string_view value = t.substr(at + 1, close - at - 1);
    if (value.find('<') != std::string_view::npos) return fail("a '<' inside an attribute value");
    at = close + 1;
    if (!onAttribute(Attribute{name, value, blank, at})) return false;
  }
}

// An id written TYPE:NUMBER, read as the file reader reads it.
bool ParseID(std::string_view text, VoidID& id) { return VoidIDText::Parse(text, id) && !id.IsNull(); }

// The value of a pseudo-attribute of the XML declaration, or "".
std::string DeclarationValue(std::string_view decl, std::string_view name) {
  std::size_t i = decl.find(name);
  if (i == std::string_view::npos) return std::string();
  i += name.size();
  while (i < decl.size() && (IsBlank(decl[i]) || decl[i] == '=')) ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return std::string();
  const std::size_t end = decl.find(decl[i], i + 1);
  if (end == std::string_view::npos) return std::string();
  return std::string(decl.substr(i + 1, end - i - 1));
}

// The first "<!" (comment, CDATA section, declaration) or "<?" (processing
// instruction) at or after from, or npos. '!' and '?' are rare in
// repository text, so searching for them runs at memory speed.
std::size_t FindMarkupOtherThanElements(std::string_view t, std::size_t from) {
  std::size_t first = std::string_view::npos;
  for (const char c : {'!', '?'}) {
    for (std::size_t at = from; at < t.size() && at < first;) {
      const void* hit = std::memchr(t.data() + at, c, t.size() - at);
      if (!hit) break;
      const std::size_t p = static_cast<std::size_t>(static_cast<const char*>(hit) - t.data());
      if (p > from && t[p - 1] == '<') {
        first = std::min(first, p - 1);
        break;
      }
      at = p + 1;
    }
  }
  return first;
}

// Skips the content of an element named name that started before at, up to
// and past its end tag. Any other '<' is a nested element, which only an
// object has; an object inside an object is not the format's.
bool SkipContent(std::string_view t, std::size_t& at, std::string_view name, bool bNested, std::string& whyNot) {
  for (;;) {
    const std::size_t lt = t.find('<', at);
    if (lt == std::string_view::npos) {
      whyNot = "the text ends inside <" + std::string(name) + "> (truncated?)";
      return false;
    }
    at = lt + 1;
    if (at < t.size() && t[at] == '/' && NameAt(t, at + 1, name)) {
      at += 1 + name.size();
      while (at < t.size() && IsBlank(t[at])) ++at;
      if (at >= t.size() || t[at] != '>') {
        whyNot = "a malformed end tag </" + std::string(name) + "> (" + LineOf(t, lt) + ")";
        return false;
      }
      ++at;
      return true;
    }
    if (!bNested || NameAt(t, at, "object")) {
      whyNot =
          "an element inside <" + std::string(name) + "> that the format does not have there (" + LineOf(t, lt) + ")";
      return false;
    }
  }
}

// The root's attributes other than those of the format (format, name and
// its esc flag): a namespace declaration, say, which could give the
// elements another meaning.
bool OnlyFormatRootAttributes(std::string_view rootTag, std::string_view& format) {
  std::size_t at = std::string_view("<repository").size();
  bool bEmpty = false;
  bool bOnly = true;
  std::string why;
  const bool bRead = ReadAttributes(rootTag, at, bEmpty, why, [&](const Attribute& a) {
    if (a.name == "format") {
      format = a.value;
    } else if (a.name != "name" && a.name != "esc") {
      bOnly = false;
    }
    return true;
  });
  return bRead && bOnly;
}

// The element's bytes without its pos attribute, as at most two pieces.
struct Pieces {
  std::string_view part[2];
  std::size_t Size() const { return part[0].size() + part[1].size(); }
};

Pieces ObjectPieces(std::string_view text, const Element& e) {
  if (e.posBegin == e.posEnd) return {{text.substr(e.begin, e.end - e.begin), {}}};
  return {{text.substr(e.begin, e.posBegin - e.begin), text.substr(e.posEnd, e.end - e.posEnd)}};
}

bool SamePieces(const Pieces& a, const Pieces& b) {
  if (a.Size() != b.Size()) return false;
  std::size_t ia = 0, ib = 0, oa = 0, ob = 0;
  while (ia < 2 && ib < 2) {
    if (oa == a.part[ia].size()) {
      ++ia;
      oa = 0;
      continue;
    }
    if (ob == b.part[ib].size()) {
      ++ib;
      ob = 0;
      continue;
    }
    const std::size_t n = std::min(a.part[ia].size() - oa, b.part[ib].size() - ob);
    if (std::memcmp(a.part[ia].data() + oa, b.part[ib].data() + ob, n) != 0) return false;
    oa += n;
    ob += n;
  }
  return true;
}

// The start of the last top-level element that begins at or before limit
// (and at or after lo), or lo. In a text that loads, every '<' starts
// markup and these names stand only at the top level.
std::size_t LastElementStartAtOrBefore(std::string_view t, std::size_t limit, std::size_t lo) {
  std::size_t hi = std::min(limit + 1, t.size());
  while (hi > lo) {
    const std::size_t lt = t.rfind('<', hi - 1);
    if (lt == std::string_view::npos || lt < lo) break;
    if (NameAt(t, lt + 1, "object") || NameAt(t, lt + 1, "tuple") || NameAt(t, lt + 1, "blob") ||
        (lt + 1 < t.size() && t[lt + 1] == '/' && NameAt(t, lt + 2, "repository"))) {
      return lt;
    }
    hi = lt;
  }
  return lo;
}

// The length of the bytes a and b share at their start; memcmp by blocks
// runs at memory speed on the megabytes they usually share.
std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  constexpr std::size_t kBlock = 4096;
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t at = 0;
  while (at + kBlock <= n && std::memcmp(a.data() + at, b.data() + at, kBlock) == 0) at += kBlock;
  while (at < n && a[at] == b[at]) ++at;
  return at;
}

// The length of the bytes a and b share at their end.
std::size_t CommonSuffix(std::string_view a, std::string_view b) {
  constexpr std::size_t kBlock = 4096;
  const std::size_t n = std::min(a.size(), b.size());
  const char* ea = a.data() + a.size();
  const char* eb = b.data() + b.size();
  std::size_t at = 0;
  while (at + kBlock <= n && std::memcmp(ea - at - kBlock, eb - at - kBlock, kBlock) == 0) at += kBlock;
  while (at < n && ea[-1 - static_cast<std::ptrdiff_t>(at)] == eb[-1 - static_cast<std::ptrdiff_t>(at)]) ++at;
  return at;
}

TextComparison NotCompared(std::string why) {
  TextComparison c;
  c.whyNot = std::move(why);
  return c;
}

struct Middle {
  std::vector<Element> objects;
  std::vector<Element> tuples;
};

}  // namespace

bool Splitter::Start(std::string& whyNot) {
  std::size_t at = 0;
  if (m_text.substr(0, 3) == "\xEF\xBB\xBF") at = 3;
  if (NameAt(m_text, at, "<?xml")) {
    const std::size_t close = m_text.find("?>", at);
    if (close == std::string_view::npos) {
      whyNot = "the XML declaration does not end";
      return false;
    }
    // XML 1.1 reads other line ends, another encoding other bytes: the
    // same bytes would not mean the same thing in both texts.
    const std::string_view decl = m_text.substr(at, close - at);
    const std::string version = DeclarationValue(decl, "version");
    if (version != "1.0") {
      whyNot = "the text declares XML version \"" + version + "\", not 1.0";
      return false;
    }
    std::string encoding = DeclarationValue(decl, "encoding");
    for (char& c : encoding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!encoding.empty() && encoding != "utf-8") {
      whyNot = "the text declares the encoding \"" + encoding + "\", not UTF-8";
      return false;
    }
    at = close + 2;
  }
  while (at < m_text.size() && IsBlank(m_text[at])) ++at;
  if (!NameAt(m_text, at, "<repository")) {
    if (m_text.substr(at, 2) == "<!") {
      whyNot = "a comment or document type declaration before the root element";
    } else if (m_text.substr(at, 2) == "<?") {
      whyNot = "a processing instruction before the root element";
    } else {
      whyNot = "no <repository> root element";
    }
    return false;
  }
  m_rootBegin = at;
  at += std::string_view("<repository").size();
  bool bEmptyRoot = false;
  if (!ReadAttributes(m_text, at, bEmptyRoot, whyNot, [](const Attribute&) { return true; })) return false;
  m_contentStart = at;
  if (bEmptyRoot) {
    while (at < m_text.size() && IsBlank(m_text[at])) ++at;
    if (at < m_text.size()) {
      whyNot = "content after the root element (" + LineOf(m_text, at) + ")";
      return false;
    }
    m_bDone = true;
  }
  m_at = at;
  return true;
}

bool Splitter::Next(Element& e, std::string& whyNot) {
  const std::string_view t = m_text;
  std::size_t at = m_at;
  while (at < t.size() && IsBlank(t[at])) ++at;
  e = Element();
  if (m_bDone) {
    e.begin = e.end = m_at;
    return true;
  }
  if (at >= t.size()) {
    whyNot = "the text ends before </repository> (truncated?)";
    return false;
  }
  if (t[at] != '<') {
    whyNot = "text between the elements (" + LineOf(t, at) + ")";
    return false;
  }
  e.begin = at;
  if (at + 1 < t.size() && t[at + 1] == '/' && NameAt(t, at + 2, "repository")) {
    at += 2 + std::string_view("repository").size();
    while (at < t.size() && IsBlank(t[at])) ++at;
    if (at >= t.size() || t[at] != '>') {
      whyNot = "a malformed </repository> (" + LineOf(t, e.begin) + ")";
      return false;
    }
    for (++at; at < t.size() && IsBlank(t[at]);) ++at;
    if (at < t.size()) {
      whyNot = "content after </repository> (" + LineOf(t, at) + ")";
      return false;
    }
    e.end = m_at = at;
    m_bDone = true;
    return true;
  }
  std::string_view name;
  if (NameAt(t, at + 1, "object")) {
    name = "object";
    e.kind = Element::Kind::kObject;
  } else if (NameAt(t, at + 1, "tuple")) {
    name = "tuple";
    e.kind = Element::Kind::kTuple;
  } else if (NameAt(t, at + 1, "blob")) {
    name = "blob";
    e.kind = Element::Kind::kBlob;
  } else {
    std::size_t n = at + 1;
    while (n < t.size() && n - at < 40 && !EndsName(t[n]) && t[n] != '<') ++n;
    whyNot = "an element <" + std::string(t.substr(at + 1, n - at - 1)) + "> at the top level (" + LineOf(t, at) + ")";
    return false;
  }
  at += 1 + name.size();
  bool bEmpty = false;
  bool bHasID = false;
  const bool bObject = e.kind == Element::Kind::kObject;
  const bool bRead = ReadAttributes(t, at, bEmpty, whyNot, [&](const Attribute& a) {
    if (!bObject) return true;
    if (a.name == "id") {
      if (bHasID || !ParseID(a.value, e.id)) {
        whyNot = "an object id not written TYPE:NUMBER (" + LineOf(t, a.begin) + ")";
        return false;
      }
      bHasID = true;
    } else if (a.name == "pos") {
      if (e.posEnd != 0) {
        whyNot = "two pos attributes (" + LineOf(t, a.begin) + ")";
        return false;
      }
      e.posBegin = a.begin;
      e.posEnd = a.end;
    }
    return true;
  });
  if (!bRead) return false;
  if (bObject && !bHasID) {
    whyNot = "an object without an id (" + LineOf(t, e.begin) + ")";
    return false;
  }
  if (!bEmpty && !SkipContent(t, at, name, bObject, whyNot)) return false;
  e.end = m_at = at;
  return true;
}

bool TupleArgs(std::string_view tupleElement, std::vector<VoidID>& args) {
  args.clear();
  std::size_t at = std::string_view("<tuple").size();
  if (!NameAt(tupleElement, 1, "tuple")) return false;
  bool bEmpty = false;
  bool bFound = false;
  std::string why;
  const bool bRead = ReadAttributes(tupleElement, at, bEmpty, why, [&](const Attribute& a) {
    if (a.name != "args") return true;
    if (bFound) return false;
    bFound = true;
    for (std::size_t i = 0; i < a.value.size();) {
      while (i < a.value.size() && a.value[i] == ' ') ++i;
      const std::size_t start = i;
      while (i < a.value.size() && a.value[i] != ' ') ++i;
      if (i == start) break;
      VoidID id;
      if (!ParseID(a.value.substr(start, i - start), id)) return false;
      args.push_back(id);
    }
    return true;
  });
  return bRead && bFound && !args.empty();
}

TextComparison CompareTexts(std::string_view now, std::string_view before) {
  std::string why;
  Splitter a(now);
  Splitter b(before);
  if (!a.Start(why)) return NotCompared("the current text: " + why);
  if (!b.Start(why)) return NotCompared("the earlier text: " + why);
  if (a.RootTag() != b.RootTag()) {
    std::string_view formatA, formatB;
    if (!OnlyFormatRootAttributes(a.RootTag(), formatA) || !OnlyFormatRootAttributes(b.RootTag(), formatB) ||
        formatA != formatB) {
      return NotCompared("the root elements differ in more than the repository's name");
    }
  }
  for (const auto& [text, start, which] :
       {std::tuple{now, a.ContentStart(), "current"}, std::tuple{before, b.ContentStart(), "earlier"}}) {
    const std::size_t at = FindMarkupOtherThanElements(text, start);
    if (at != std::string_view::npos) {
      return NotCompared(std::string("the ") + which + " text has a " +
                         (text[at + 1] == '?' ? "processing instruction" : "comment, CDATA section or declaration") +
                         " (" + LineOf(text, at) + ")");
    }
  }

  TextComparison out;
  out.bCompared = true;
  if (now == before) return out;
  // The bytes both share at the start and at the end; only what lies
  // between is split.
  const std::size_t prefix = CommonPrefix(now, before);
  const std::size_t suffix = CommonSuffix(now.substr(prefix), before.substr(prefix));
  if (prefix >= a.ContentStart()) {
    // The same prolog and root tag: both texts are at the top level at the
    // last element that starts in the shared bytes.
    const std::size_t start = LastElementStartAtOrBefore(now, prefix, a.ContentStart());
    a.Seek(start);
    b.Seek(start);
  }
  // Split both until they stand at the start of the shared end at once,
  // both inside the root or both past it: what follows is the same elements
  // read the same way.
  Middle mid[2];
  Splitter* splitter[2] = {&a, &b};
  const std::size_t size[2] = {now.size(), before.size()};
  for (;;) {
    const std::size_t left[2] = {size[0] - a.Offset(), size[1] - b.Offset()};
    if (left[0] == left[1] && left[0] <= suffix && a.Done() == b.Done()) break;
    // The one further from its end; of two as far, the one not done (a
    // done one is at its end).
    const int side = left[0] != left[1] ? (left[0] > left[1] ? 0 : 1) : (a.Done() ? 1 : 0);
    Element e;
    if (!splitter[side]->Next(e, why))
      return NotCompared(std::string(side == 0 ? "the current" : "the earlier") + " text: " + why);
    if (e.kind == Element::Kind::kObject) mid[side].objects.push_back(e);
    if (e.kind == Element::Kind::kTuple) mid[side].tuples.push_back(e);
  }

  std::vector<VoidID>& changed = out.changed;
  std::unordered_map<VoidID, const Element*, VoidIDHash> earlierByID;
  earlierByID.reserve(mid[1].objects.size());
  for (const Element& e : mid[1].objects) {
    if (!earlierByID.emplace(e.id, &e).second) changed.push_back(e.id);  // listed twice: not the same
  }
  for (const Element& e : mid[0].objects) {
    auto it = earlierByID.find(e.id);
    if (it == earlierByID.end()) {
      changed.push_back(e.id);
      continue;
    }
    if (!SamePieces(ObjectPieces(now, e), ObjectPieces(before, *it->second))) changed.push_back(e.id);
    earlierByID.erase(it);
  }
  for (const auto& [id, e] : earlierByID) changed.push_back(id);

  // Tuples: a relation keeps its tuples in file order, so a tuple in one
  // text only changes its arguments, and the shared ones must keep their
  // order (the same tuple twice in a text is one tuple).
  std::unordered_map<std::string_view, std::pair<std::uint32_t, std::uint32_t>> counts;
  counts.reserve(mid[0].tuples.size() + mid[1].tuples.size());
  for (int side = 0; side < 2; ++side) {
    const std::string_view text = side == 0 ? now : before;
    for (const Element& e : mid[side].tuples) {
      auto& [inNow, inBefore] = counts[text.substr(e.begin, e.end - e.begin)];
      ++(side == 0 ? inNow : inBefore);
    }
  }
  std::vector<VoidID> args;
  for (const auto& [tuple, count] : counts) {
    if (count.first == count.second) continue;
    if (!TupleArgs(tuple, args)) {
      return NotCompared(std::string("the ") + (count.first > count.second ? "current" : "earlier") +
                         " text has a tuple whose args are not ids written TYPE:NUMBER: " + std::string(tuple));
    }
    changed.insert(changed.end(), args.begin(), args.end());
  }
  std::vector<std::string_view> shared[2];
  for (int side = 0; side < 2; ++side) {
    const std::string_view text = side == 0 ? now : before;
    for (const Element& e : mid[side].tuples) {
      const std::string_view tuple = text.substr(e.begin, e.end - e.begin);
      const auto& count = counts[tuple];
      if (count.first == count.second) shared[side].push_back(tuple);
    }
  }
  if (shared[0] != shared[1]) return NotCompared("the tuples both texts have stand in another order");

  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  return out;
}

}  // namespace RpFileDigest
