// Hover, go-to-definition, document symbols, formatting and signature help.
#include <algorithm>

#include "Bundles/DisplaySession.h"
#include "Expr/ToStringVisitor.h"
#include "Lsp/LanguageServer.h"
#include "LspInternal.h"
#include "Metadata/SMDictUtil.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpGateway.h"

namespace smutil_lsp {

using nlohmann::json;
using namespace detail;

namespace {

// The name record under the cursor: the narrowest one whose range holds
// the offset (its end included, where the cursor stands after typing).
const logical_sql::BoundName* NameAt(const logical_sql::BindResult& r, std::size_t offset) {
  const logical_sql::BoundName* best = nullptr;
  for (const logical_sql::BoundName& n : r.names) {
    if (n.range.start.offset <= offset && offset <= n.range.end.offset &&
        (!best || n.range.end.offset - n.range.start.offset < best->range.end.offset - best->range.start.offset)) {
      best = &n;
    }
  }
  return best;
}

// The object the cursor points at: for a column written with its table
// (and subject area), the segment under the cursor picks the column, its
// table or the subject area.
Ref<ARpObject> ObjectAt(ARpGateway* rp, const std::string& text, const logical_sql::BoundName& n, std::size_t offset) {
  if (n.outcome != logical_sql::kOK || n.id.IsNull()) return {};
  Ref<ARpObject> obj = rp->GetObject(n.id);
  if (obj.IsNull() || n.kind != logical_sql::BoundName::kColumn || obj->GetTypeID() != kTIDAFolderAttr) return obj;
  const std::size_t start = std::min(n.range.start.offset, text.size());
  const std::size_t end = std::clamp(n.range.end.offset, start, text.size());
  const NameSegments segs = SegmentsOf(std::string_view(text).substr(start, end - start), offset - start);
  if (segs.at < 0) return obj;
  const int fromLast = static_cast<int>(segs.ranges.size()) - 1 - segs.at;
  if (fromLast == 0) return obj;
  Ref<ARpObject> table = obj->GetParentObject();
  if (fromLast == 1) return table;
  if (fromLast == 2 && !table.IsNull() && table->GetTypeID() == kTIDAEntityFolder) {
    return Ref<ARpObject>(Ref<AEntityFolder>(table)->GetCatalogFolder());
  }
  return obj;
}

std::string Code(const std::string& s) {
  // An inline code span that holds backticks needs a longer fence.
  std::string fence = "`";
  while (s.find(fence) != std::string::npos) fence += '`';
  return fence + (s.front() == '`' || s.back() == '`' ? " " + s + " " : s) + fence;
}

std::string Rendered(ARpGateway* rp, const Expr& expr) {
  try {
    ToPrettyStringVisitor::Options options;
    options.mandatoryDoubleQuotes = true;
    options.fullyQualified = true;
    return ToNarrow(ToPrettyStringVisitor::StringFrom(expr, rp, options));
  } catch (const std::exception&) {
    return ToNarrow(ToStringVisitor::StringFrom(expr));  // as stored, when the renderer cannot write it
  }
}

// Markdown for an object: type, qualified name, display name and
// description in the session's language, the logical column behind a
// presentation column with its expression, and the dictionary path.
std::string HoverText(ARpGateway* rp, const Ref<ARpObject>& obj) {
  std::string md =
      "**" + TypeWords(obj->GetTypeID()) + "** " + Code(ToNarrow(MetadataUtil::GenerateQualifiedName(obj)));
  const smutil_bundles::CustomTexts texts = smutil_bundles::CustomTextsOf(rp, obj);
  if (texts.displayName) md += "\n\nDisplay name: " + ToNarrow(*texts.displayName);
  const VXString description = texts.description ? *texts.description : obj->GetDescription();
  if (!description.empty()) md += "\n\n" + ToNarrow(description);
  if (obj->GetTypeID() == kTIDAFolderAttr) {
    const Ref<AAttribute> logical = Ref<AFolderAttr>(obj)->GetLogicalColumn();
    if (!logical.IsNull()) {
      md += "\n\nLogical column " + Code(ToNarrow(MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(logical))));
      if (!logical->GetDataType().empty()) md += " (" + ToNarrow(logical->GetDataType()) + ")";
      const Expr expr = logical->GetExpr();
      if (!expr.IsEmpty()) md += "\n\n```sql\n" + Rendered(rp, expr) + "\n```";
    }
  }
  DictUniqueNamesCache cache;
  const VXString path = MetadataDictUtil::GetDictRelativePath(obj, cache);
  if (!path.empty()) md += "\n\nDictionary: " + Code(ToNarrow(path));
  return md;
}

// The source text of a range, blanks run together, cut to a length a list can show.
std::string Excerpt(const std::string& text, logical_sql::TextSpan r) {
  const std::size_t start = std::min<std::size_t>(r.begin, text.size());
  const std::size_t end = std::clamp<std::size_t>(r.end, start, text.size());
  std::string out;
  for (std::size_t i = start; i < end; ++i) {
    const char c = text[i];
    const bool bBlank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (bBlank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.size() > 80) {
    std::size_t cut = 77;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
    out = out.substr(0, cut) + "...";
  }
  return out.empty() ? "(empty)" : out;
}

// The protocol's SymbolKind values used here.
enum SymbolKind : int { kModuleSymbol = 2, kFieldSymbol = 8 };

struct SymbolWriter {
  const logical_sql::SyntaxTree& tree;
  const TextDocument& doc;
  PositionEncoding encoding;

  json RangeJson(std::size_t a, std::size_t b) const { return ToJson(doc.RangeOf(a, b, encoding)); }

  json Query(logical_sql::NodeIndex index, const std::string& name, int depth) const {
    const logical_sql::QueryNode& q = tree.queries[index];
    json children = Children(index, depth);
    return {{"name", name},
            {"kind", kModuleSymbol},
            {"range", RangeJson(q.range.begin, q.range.end)},
            {"selectionRange", RangeJson(q.range.begin, q.range.begin)},
            {"children", std::move(children)}};
  }

  json Children(logical_sql::NodeIndex index, int depth) const {
    json out = json::array();
    if (depth > 32) return out;  // deeper nesting is listed no further
    const logical_sql::QueryNode& q = tree.queries[index];
    if (q.kind == logical_sql::QueryNode::kSet) {
      for (std::size_t i = 0; i < q.operands.size(); ++i) {
        out.push_back(Query(q.operands[i], "query " + std::to_string(i + 1), depth + 1));
      }
      return out;
    }
    for (const logical_sql::SelectItem& item : q.items) {
      if (item.expr == logical_sql::kNoNode) continue;
      const logical_sql::TextSpan er = tree.exprs[item.expr].range;
      const std::string expr = Excerpt(doc.Text(), er);
      const bool bAlias = !item.alias.empty();
      const std::size_t end = bAlias ? std::max(er.end, item.alias.end) : er.end;
      json symbol{
          {"name", bAlias ? ToNarrow(tree.Value(item.alias)) : expr},
          {"kind", kFieldSymbol},
          {"range", RangeJson(er.begin, end)},
          {"selectionRange", bAlias ? RangeJson(item.alias.begin, item.alias.end) : RangeJson(er.begin, er.end)}};
      if (bAlias) symbol["detail"] = expr;
      out.push_back(std::move(symbol));
    }
    for (const logical_sql::FromItem& f : q.from) {
      if (f.derived == logical_sql::kNoNode) continue;
      const logical_sql::NodeIndex sub = f.derived;
      if (sub >= tree.queries.size()) continue;
      out.push_back(Query(sub, f.alias.empty() ? "derived table" : ToNarrow(tree.Value(f.alias)), depth + 1));
    }
    return out;
  }
};

}  // namespace

LanguageServer::CursorObject LanguageServer::ObjectUnderCursor(const std::string& uri, const Position& at) {
  CursorObject c;
  c.open = Find(uri);
  if (!c.open || !m_workspace.rp) return c;
  const std::size_t offset = c.open->doc.OffsetOf(at, m_encoding);
  c.name = NameAt(Bound(*c.open), offset);
  if (c.name) c.obj = ObjectAt(m_workspace.rp.get(), c.open->doc.Text(), *c.name, offset);
  return c;
}

json LanguageServer::Hover(const std::string& uri, const Position& at) {
  const CursorObject c = ObjectUnderCursor(uri, at);
  if (c.obj.IsNull()) return nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", HoverText(m_workspace.rp.get(), c.obj)}}},
          {"range", ToJson(c.open->doc.RangeOf(c.name->range.start.offset, c.name->range.end.offset, m_encoding))}};
}

json LanguageServer::Definition(const std::string& uri, const Position& at) {
  const CursorObject c = ObjectUnderCursor(uri, at);
  if (c.obj.IsNull()) return nullptr;
  return LocationOf(c.obj->GetID());
}

json LanguageServer::DocumentSymbols(const std::string& uri) {
  OpenDocument* open = Find(uri);
  if (!open) return json::array();
  const logical_sql::ParseResult parsed = logical_sql::Parse(open->doc.Text());
  if (parsed.tree.root == logical_sql::kNoNode) return json::array();
  return SymbolWriter{parsed.tree, open->doc, m_encoding}.Children(parsed.tree.root, 0);
}

json LanguageServer::Formatting(const std::string& uri, std::string& refusal) {
  OpenDocument* open = Find(uri);
  if (!open || !m_workspace.rp) {
    refusal = "the document is not open";
    return nullptr;
  }
  const logical_sql::BindResult& r = Bound(*open);
  if (!r.spec) {
    const auto first = std::find_if(r.diagnostics.begin(), r.diagnostics.end(), [](const logical_sql::Diagnostic& d) {
      return d.severity == logical_sql::Severity::kError;
    });
    refusal = "The query is not rewritten while it has errors";
    if (first != r.diagnostics.end()) {
      refusal += "; the first, at line " + std::to_string(first->range.start.line) + ", column " +
                 std::to_string(first->range.start.column) + ": " + ToNarrow(first->message);
    }
    return nullptr;
  }
  logical_sql::FormatOptions options;
  options.fetchFirst = r.fetchFirst;
  std::string formatted = ToNarrow(logical_sql::Format(*r.spec, m_workspace.rp.get(), options));
  const std::string& text = open->doc.Text();
  // The renderer writes the statement only: the comments before it stay,
  // and so does a final line break.
  const logical_sql::ParseResult parsed = logical_sql::Parse(text);
  std::size_t statementStart = 0;
  if (parsed.tree.root != logical_sql::kNoNode) {
    statementStart = std::min<std::size_t>(parsed.tree.queries[parsed.tree.root].range.begin, text.size());
  }
  std::string newText = text.substr(0, statementStart) + formatted;
  if (!text.empty() && text.back() == '\n' && (newText.empty() || newText.back() != '\n')) newText += '\n';
  if (newText == text) return json::array();
  return json::array({{{"range", ToJson(open->doc.RangeOf(0, text.size(), m_encoding))}, {"newText", newText}}});
}

json LanguageServer::SignatureHelp(const std::string& uri, const Position& at) {
  OpenDocument* open = Find(uri);
  if (!open) return nullptr;
  const CursorContext ctx = ContextAt(open->doc.Text(), open->doc.OffsetOf(at, m_encoding));
  if (!ctx.bInCall || ctx.bInStringOrComment || ctx.callee.empty()) return nullptr;
  const FunctionEntry* f = FindFunction(ctx.callee);
  if (!f) return nullptr;
  json signatures = json::array();
  int active = -1;
  for (std::size_t i = 0; i < f->signatures.size(); ++i) {
    const FunctionSignature& s = f->signatures[i];
    json parameters = json::array();
    for (const auto& [a, b] : s.parameters) parameters.push_back({{"label", {a, b}}});
    signatures.push_back({{"label", s.label}, {"parameters", std::move(parameters)}});
    if (active < 0 && (s.bVariadic || ctx.activeParameter < s.parameters.size())) active = static_cast<int>(i);
  }
  if (active < 0) active = 0;
  const FunctionSignature& chosen = f->signatures[static_cast<std::size_t>(active)];
  const std::uint32_t parameter =
      std::min<std::uint32_t>(ctx.activeParameter, static_cast<std::uint32_t>(chosen.parameters.size()) - 1);
  return {{"signatures", std::move(signatures)}, {"activeSignature", active}, {"activeParameter", parameter}};
}

}  // namespace smutil_lsp
