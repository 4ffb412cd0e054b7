// Completion: names the user may read in the scope of the FROM clause and
// the qualifier typed so far, then functions and keywords.
#include <algorithm>

#include "Bundles/DisplaySession.h"
#include "Lsp/LanguageServer.h"
#include "LspInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "objectmodel/Condition.h"
#include "objectmodel/Networker.h"
#include "objectmodel/RpGateway.h"

namespace smutil_lsp {

using nlohmann::json;
using namespace detail;

namespace {

// More items than this make the list incomplete: the client asks again as
// more is typed.
constexpr std::size_t kMaxItems = 1000;

// The protocol's CompletionItemKind values used here.
enum ItemKind : int { kFunctionKind = 3, kFieldKind = 5, kClassKind = 7, kModuleKind = 9, kKeywordKind = 14 };

// The presentation tables of a subject area, nested ones and those below
// schema folders included, in the area's order.
void TablesOf(const ARpObject* folder, std::vector<ARpObject*>& out, int depth = 0) {
  if (depth > 64) return;  // a containment loop cannot be, but a deep chain is not worth walking
  for (ARpObject* child : folder->GetChildPointers()) {
    const TypeID t = child->GetTypeID();
    if (t == kTIDAEntityFolder) out.push_back(child);
    if (t == kTIDAEntityFolder || t == kTIDASchemaFolder) TablesOf(child, out, depth + 1);
  }
}

std::vector<ARpObject*> SubjectAreasNamed(ARpGateway* rp, const VXString& name) {
  std::vector<ARpObject*> out;
  rp->LookupObjects(TypedObjectNameCondition(kTIDACatalogFolder, name, true), out);
  return out;
}

// The subject areas (and derived tables) that the FROM clause of the query
// at the cursor names; every query's when the cursor is in none.
struct Scope {
  std::vector<ARpObject*> areas;
  std::vector<const logical_sql::FromItem*> derived;
};

Scope ScopeAt(ARpGateway* rp, const logical_sql::SyntaxTree& tree, std::size_t offset) {
  Scope scope;
  const logical_sql::QueryNode* best = nullptr;
  for (const logical_sql::QueryNode& q : tree.queries) {
    if (q.kind != logical_sql::QueryNode::kSelect || q.from.empty()) continue;
    if (q.range.begin <= offset && offset <= q.range.end &&
        (!best || q.range.end - q.range.begin < best->range.end - best->range.begin)) {
      best = &q;
    }
  }
  const auto take = [&](const logical_sql::QueryNode& q) {
    for (const logical_sql::FromItem& f : q.from) {
      if (f.derived != logical_sql::kNoNode) {
        scope.derived.push_back(&f);
      } else if (const QualifiedName area = tree.Segments(f.subjectArea); area.size() == 1) {
        for (ARpObject* a : SubjectAreasNamed(rp, area.front())) {
          if (std::find(scope.areas.begin(), scope.areas.end(), a) == scope.areas.end()) scope.areas.push_back(a);
        }
      }
    }
  };
  if (best) {
    take(*best);
  } else {
    for (const logical_sql::QueryNode& q : tree.queries) take(q);
  }
  return scope;
}

class ItemList {
 public:
  ItemList(ARpGateway* rp, const TextDocument& doc, const CursorContext& ctx, std::size_t offset,
           PositionEncoding encoding)
      : m_rp(rp), m_ctx(ctx), m_prefix(ToVXString(ctx.prefix)) {
    m_range = ToJson(doc.RangeOf(ctx.replaceStart, offset, encoding));
  }

  bool Full() const { return m_items.size() >= kMaxItems; }

  // An object the user may read whose name (or a former name) starts with
  // what is typed.
  void AddObject(ARpObject* obj, int kind) {
    if (Full()) {
      m_bIncomplete = true;
      return;
    }
    if (!StartsWithNoCase(obj->GetName(), m_prefix)) return;
    if (!Authorization::IsAuthorizedToRead(m_rp, *obj)) return;
    std::string detail;
    const Ref<ARpObject> ref(obj);
    if (const auto texts = smutil_bundles::CustomTextsOf(m_rp, ref); texts.displayName) {
      detail = ToNarrow(*texts.displayName) + " ";
    }
    detail += "(" + TypeWords(obj->GetTypeID());
    if (obj->GetTypeID() == kTIDAFolderAttr) {
      const Ref<AAttribute> logical = Ref<AFolderAttr>(ref)->GetLogicalColumn();
      if (!logical.IsNull() && !logical->GetDataType().empty()) detail += ", " + ToNarrow(logical->GetDataType());
    }
    detail += ")";
    AddName(obj->GetName(), kind, detail, "0");
  }

  // A name as the text must write it: bare where the quoting rules allow,
  // else between double quotes (the typed opening quote is replaced).
  void AddName(const VXString& name, int kind, const std::string& detail, const std::string& group) {
    const std::string label = ToNarrow(name);
    const std::string text = ToNarrow(QuotedIdentifier(name, QuotingRules::kSqlIdentifierWhenRequired));
    json item{{"label", label},
              {"kind", kind},
              {"detail", detail},
              {"sortText", group + label},
              {"filterText", m_ctx.bOpenQuote ? "\"" + label : label},
              {"textEdit", {{"range", m_range}, {"newText", text}}}};
    m_items.push_back(std::move(item));
  }

  void AddWord(const std::string& word, int kind, const std::string& detail, const std::string& group) {
    if (m_ctx.bOpenQuote || !StartsWithNoCase(ToVXString(word), m_prefix)) return;
    m_items.push_back({{"label", word},
                       {"kind", kind},
                       {"detail", detail},
                       {"sortText", group + word},
                       {"textEdit", {{"range", m_range}, {"newText", word}}}});
  }

  json Result() { return {{"isIncomplete", m_bIncomplete}, {"items", std::move(m_items)}}; }

 private:
  ARpGateway* m_rp;
  const CursorContext& m_ctx;
  VXString m_prefix;
  json m_range;
  json m_items = json::array();
  bool m_bIncomplete = false;
};

// The columns of a derived table: its select items' aliases, or the
// column name an item without one stands for.
void AddDerivedColumns(ItemList& items, const logical_sql::SyntaxTree& tree, const logical_sql::FromItem& f) {
  if (f.derived >= tree.queries.size()) return;
  const logical_sql::QueryNode& q = tree.queries[f.derived];
  for (const logical_sql::SelectItem& item : q.items) {
    VXString name = tree.Value(item.alias);
    if (name.empty() && item.expr != logical_sql::kNoNode &&
        tree.exprs[item.expr].kind == logical_sql::ExprNode::kName) {
      const QualifiedName segments = tree.Segments(tree.exprs[item.expr].Value());
      if (!segments.empty()) name = segments.back();
    }
    if (!name.empty()) items.AddName(name, kFieldKind, "(derived table column)", "0");
  }
}

}  // namespace

json LanguageServer::Completion(const std::string& uri, const Position& at) {
  OpenDocument* open = Find(uri);
  ARpGateway* rp = m_workspace.rp.get();
  if (!open || !rp) return {{"isIncomplete", false}, {"items", json::array()}};
  const std::string& text = open->doc.Text();
  const std::size_t offset = open->doc.OffsetOf(at, m_encoding);
  const CursorContext ctx = ContextAt(text, offset);
  ItemList items(rp, open->doc, ctx, offset, m_encoding);
  if (ctx.bInStringOrComment) return items.Result();
  if (ctx.clause == "FROM" && ctx.qualifier.empty()) {
    VoidIDVector ids;
    rp->GetObjectIDsOfType(kTIDACatalogFolder, ids);
    for (const VoidID& id : ids) {
      if (ARpObject* area = rp->GetObject(id).Get()) items.AddObject(area, kModuleKind);
    }
    return items.Result();
  }
  // The scope is read from the text without what is typed of the name: an
  // opening quote not yet closed would otherwise run to the end of the text.
  const std::string scopeText = text.substr(0, ctx.replaceStart) + text.substr(std::min(offset, text.size()));
  const logical_sql::ParseResult parsed = logical_sql::Parse(scopeText);
  const Scope scope = ScopeAt(rp, parsed.tree, ctx.replaceStart);
  const auto addColumns = [&](ARpObject* table) {
    for (ARpObject* child : table->GetChildPointers()) {
      if (child->GetTypeID() == kTIDAFolderAttr) items.AddObject(child, kFieldKind);
    }
  };
  const auto tablesNamed = [&](const std::vector<ARpObject*>& areas, const std::string& name) {
    std::vector<ARpObject*> found;
    const VXString wide = ToVXString(name);
    for (ARpObject* area : areas) {
      std::vector<ARpObject*> tables;
      TablesOf(area, tables);
      for (ARpObject* t : tables) {
        if (t->IsNameOrAlias(wide)) found.push_back(t);
      }
    }
    return found;
  };
  if (ctx.qualifier.size() == 1) {
    // A table of the FROM subject areas, a derived table's alias, or a
    // subject area whose tables follow.
    for (const logical_sql::FromItem* f : scope.derived) {
      if (BaseStringUtil::IsCaseInsensitiveMatch(parsed.tree.Value(f->alias), ToVXString(ctx.qualifier[0]))) {
        AddDerivedColumns(items, parsed.tree, *f);
      }
    }
    for (ARpObject* table : tablesNamed(scope.areas, ctx.qualifier[0])) addColumns(table);
    for (ARpObject* area : SubjectAreasNamed(rp, ToVXString(ctx.qualifier[0]))) {
      std::vector<ARpObject*> tables;
      TablesOf(area, tables);
      for (ARpObject* t : tables) items.AddObject(t, kClassKind);
    }
    return items.Result();
  }
  if (ctx.qualifier.size() == 2) {
    for (ARpObject* table : tablesNamed(SubjectAreasNamed(rp, ToVXString(ctx.qualifier[0])), ctx.qualifier[1])) {
      addColumns(table);
    }
    return items.Result();
  }
  if (!ctx.qualifier.empty()) return items.Result();
  for (ARpObject* area : scope.areas) {
    std::vector<ARpObject*> tables;
    TablesOf(area, tables);
    for (ARpObject* t : tables) items.AddObject(t, kClassKind);
  }
  for (const logical_sql::FromItem* f : scope.derived) {
    if (!f->alias.empty()) items.AddName(parsed.tree.Value(f->alias), kClassKind, "(derived table)", "0");
  }
  for (const FunctionEntry& f : Functions()) items.AddWord(f.name, kFunctionKind, f.signatures.front().label, "1");
  for (std::string_view w : ClauseKeywords()) items.AddWord(std::string(w), kKeywordKind, "keyword", "2");
  return items.Result();
}

}  // namespace smutil_lsp
