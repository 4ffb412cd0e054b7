#include "SitePages.h"

#include <algorithm>
#include <map>

#include "Expr/ToStringVisitor.h"
#include "Lineage.h"
#include "Metadata/SMEverydayTypeNames.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMTypeNames.h"
#include "Metadata/SMUtil.h"
#include "Related.h"
#include "SiteText.h"

namespace smutil_site {

namespace {

// The catalogue's name, with the everyday one where they differ
// ("CATALOG FOLDER (presentation subject area)").
std::string TypeLabel(TypeID type) {
  VXString wide;
  if (!SMTypeNames::Find(type, wide)) return "TYPE " + std::to_string(type);
  const std::string name = ToNarrow(wide);
  std::string everyday = EverydayTypeLabel(type);
  std::string upper = everyday;
  for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return everyday.empty() || upper == name ? name : name + " (" + everyday + ")";
}

// A short code of the dictionary, with what it stands for as its tooltip.
void AppendShortCode(std::string& out, const Ref<ARpObject>& obj) {
  out += "<span class=\"kind\" title=\"";
  AppendEscaped(out, ToVXString(TypeLabel(obj->GetTypeID())));
  out += "\">";
  AppendEscaped(out, MetadataDictUtil::GetShortTypeName(obj));
  out += "</span>";
}

// A link to obj's page from the page at from, or the name as text when obj
// has no page in this site.
void AppendObjectLink(SiteContext& ctx, std::string& out, const std::string& from, const Ref<ARpObject>& obj,
                      const VXString& text) {
  const std::string target = ctx.paths.PagePath(obj);
  if (target.empty()) {
    AppendEscaped(out, text);
    return;
  }
  out += "<a href=\"";
  AppendHref(out, RelativeLink(from, target));
  out += "\">";
  AppendEscaped(out, text);
  out += "</a>";
}

void AppendObjectLink(SiteContext& ctx, std::string& out, const std::string& from, const Ref<ARpObject>& obj) {
  AppendObjectLink(ctx, out, from, obj, MetadataUtil::GenerateQualifiedName(obj));
}

// Logical SQL of an expression; when the renderer cannot write it, the
// formula as stored, said so.
void AppendExpression(SiteContext& ctx, std::string& out, const Expr& expr) {
  out += "<pre>";
  try {
    ToPrettyStringVisitor::Options options;
    options.mandatoryDoubleQuotes = true;
    options.fullyQualified = true;
    AppendEscaped(out, ToPrettyStringVisitor::StringFrom(expr, ctx.rp, options));
    out += "</pre>\n";
    return;
  } catch (const std::exception& e) {
    const VXString stored = expr.GetFormatStr().empty() ? ToStringVisitor::StringFrom(expr) : expr.GetFormatStr();
    AppendEscaped(out, stored);
    out += "</pre>\n<p class=\"kind\">Shown as stored: the logical SQL form is not available (";
    AppendEscaped(out, std::string_view(e.what()));
    out += ").</p>\n";
  }
}

void Fact(std::string& out, const char* label, const std::string& html) {
  out += "<tr><th>";
  out += label;
  out += "</th><td>";
  out += html;
  out += "</td></tr>\n";
}

void AppendFacts(SiteContext& ctx, std::string& out, const std::string& path, const Ref<ARpObject>& obj) {
  out += "<table class=\"facts\">\n";
  Fact(out, "Qualified name", Escaped(MetadataUtil::GenerateQualifiedName(obj)));
  Fact(out, "Type",
       Escaped(ToVXString(TypeLabel(obj->GetTypeID()))) + " <span class=\"kind\">" +
           Escaped(MetadataDictUtil::GetTagName(obj)) + "</span>");
  Fact(out, "Id", Escaped(obj.GetID().ToString()));
  // Custom texts exist only where the object switches them on. Undefined
  // variables in them vanish; a failing bundle store is not hidden.
  if (obj->GetBool(RpProp::kDisplayNameUse)) {
    Fact(out, "Display name", Escaped(MetadataUtil::GetCustomDisplayName(ctx.rp, obj)));
  }
  if (obj->GetBool(RpProp::kDisplayDescriptionUse)) {
    Fact(out, "Display description", Escaped(MetadataUtil::GetCustomDescription(ctx.rp, obj)));
  }
  if (!obj->GetDescription().empty()) Fact(out, "Description", Escaped(obj->GetDescription()));
  const VXStringVector& aliases = obj->GetAliasList();
  if (!aliases.empty()) {
    std::string html;
    for (std::size_t i = 0; i < aliases.size(); ++i) {
      if (i) html += ", ";
      AppendEscaped(html, aliases[i]);
    }
    Fact(out, "Aliases", html);
  }
  const VXString dataType = obj->GetString(RpProp::kDataType);
  if (!dataType.empty()) Fact(out, "Data type", Escaped(dataType));
  const Ref<ARpObject> parent = obj->GetParentObject();
  if (!parent.IsNull()) {
    std::string html;
    AppendObjectLink(ctx, html, path, parent);
    Fact(out, "Parent", html);
  }
  out += "</table>\n";
}

void AppendExpressions(SiteContext& ctx, std::string& out, const Ref<ARpObject>& obj) {
  static const std::pair<RpProp, const char*> kExprs[] = {{RpProp::kExpr, "Expression"},
                                                          {RpProp::kJoinExpr, "Join condition"},
                                                          {RpProp::kAggrExpr, "Aggregation"},
                                                          {RpProp::kHideObjectExpr, "Hidden when"}};
  for (const auto& [key, title] : kExprs) {
    if (!obj->HasProperty(key)) continue;
    const Expr expr = obj->GetExprProperty(key);
    if (expr.IsEmpty()) continue;
    out += "<h2>";
    out += title;
    out += "</h2>\n";
    AppendExpression(ctx, out, expr);
  }
}

void AppendSourceDefinition(SiteContext& ctx, std::string& out, const std::string& path, const Ref<ARpObject>& obj) {
  if (obj->GetTypeID() != kTIDALogicalTableSource) return;
  const Ref<ALogicalTableSource> source(obj);
  const ALogicalTableSource::SourceDefinition defn = source->GetSourceDefinition();
  out += "<h2>Column mapping</h2>\n<table class=\"facts\">\n";
  for (const auto& [logical, physical] : defn.m_logicalToPhysical) {
    RpObjectVector named;
    logical.GetObjectsInExpr(ctx.rp, named, true);
    out += "<tr><th>";
    if (named.size() == 1) {
      AppendObjectLink(ctx, out, path, named.front());
    } else {
      AppendEscaped(out, ToStringVisitor::StringFrom(logical));
    }
    out += "</th><td>";
    AppendExpression(ctx, out, physical);
    out += "</td></tr>\n";
  }
  out += "</table>\n<h2>Physical tables</h2>\n<ul>\n";
  std::set<Ref<ARpObject>> detailed;
  MetadataUtil::GetMostDetailedTables(source, detailed);
  for (const VoidID& id : defn.m_physicalTables) {
    const Ref<ARpObject> table = ctx.rp->GetObject(id);
    if (table.IsNull()) continue;
    out += "<li>";
    AppendObjectLink(ctx, out, path, table);
    if (detailed.count(table)) out += " <span class=\"kind\">most detailed</span>";
    out += "</li>\n";
  }
  out += "</ul>\n";
  if (!defn.m_whereClause.IsEmpty()) {
    out += "<h2>Where</h2>\n";
    AppendExpression(ctx, out, defn.m_whereClause);
  }
}

void AppendMessages(SiteContext& ctx, std::string& out, const Ref<ARpObject>& obj) {
  if (!ctx.options.messages) return;
  auto found = ctx.options.messages->find(obj.GetID());
  if (found == ctx.options.messages->end() || found->second.empty()) return;
  static const char* const kKinds[] = {"Note", "Warning", "Error", "Best practice"};
  out += "<h2>Consistency messages</h2>\n<ul>\n";
  for (const ConsistencyMessage& m : found->second) {
    const int type = static_cast<int>(m.GetType());
    out += "<li class=\"msg-" + std::to_string(type) + "\">";
    out += kKinds[type >= 0 && type < 4 ? type : 0];
    out += " " + std::to_string(m.GetMessageId()) + ": ";
    try {
      AppendEscaped(out, m.GetText(false));
    } catch (const std::exception&) {
      out += "(the message's text needs objects the record does not hold)";
    }
    out += "</li>\n";
  }
  out += "</ul>\n";
}

std::string TitleOf(const Ref<ARpObject>& obj) {
  return Escaped(MetadataUtil::GenerateQualifiedName(obj)) + " · " + TypeLabel(obj->GetTypeID());
}

VXString ShortLabel(const Ref<ARpObject>& obj) {
  const Ref<ARpObject> parent = obj->GetParentObject();
  return parent.IsNull() ? obj->GetName() : parent->GetName() + U"." + obj->GetName();
}

GraphNode NodeFor(SiteContext& ctx, const std::string& picture, const Ref<ARpObject>& obj, bool bFocus) {
  GraphNode node;
  node.label = ShortLabel(obj) + U"\n" + MetadataDictUtil::GetShortTypeName(obj);
  node.tooltip = MetadataUtil::GenerateQualifiedName(obj);
  const std::string target = ctx.paths.PagePath(obj);
  if (!target.empty()) node.href = RelativeLink(picture, target);
  node.bFocus = bFocus;
  return node;
}

// Adds obj as a node once; returns its index.
std::size_t AddNode(SiteContext& ctx, Graph& graph, std::map<VoidID, std::size_t>& index, const std::string& picture,
                    const Ref<ARpObject>& obj, bool bFocus = false) {
  auto [it, bNew] = index.emplace(obj.GetID(), graph.nodes.size());
  if (bNew) graph.nodes.push_back(NodeFor(ctx, picture, obj, bFocus));
  return it->second;
}

// The picture as an <object>, so that its nodes are links a reader can
// follow (an <img> shows the same SVG but never lets its links be clicked);
// the caption's link opens the picture alone.
void AppendPicture(std::string& out, const std::string& path, const std::string& picture, const VXString& alt,
                   const std::string& caption) {
  const std::string link = RelativeLink(path, picture);
  out += "<figure><object class=\"picture\" type=\"image/svg+xml\" data=\"";
  AppendHref(out, link);
  out += "\" aria-label=\"";
  AppendEscaped(out, alt);
  out += "\"></object><figcaption>" + caption + " <a href=\"";
  AppendHref(out, link);
  out += "\">Picture alone</a>.</figcaption></figure>\n";
}

void AppendLineage(SiteContext& ctx, std::string& out, const std::string& path, const Ref<ARpObject>& obj) {
  const TypeID type = obj->GetTypeID();
  if (type != kTIDAAttribute && type != kTIDAFolderAttr) return;
  const ColumnLineage lineage = LineageOf(obj);
  out += "<h2>Lineage</h2>\n";
  if (lineage.logical.empty()) {
    out += "<p>Not linked to a logical column.</p>\n";
    return;
  }
  const std::string picture = LineagePicture(ctx, lineage.logical.front().logicalColumn);
  if (!picture.empty()) {
    AppendPicture(out, path, picture, U"Lineage of " + obj->GetName(),
                  "Presentation columns, logical column, logical table sources and physical columns.");
  }
  out += "<ul class=\"lineage\">\n";
  if (!lineage.presentationColumns.empty()) {
    out += "<li>Presentation columns: ";
    for (std::size_t i = 0; i < lineage.presentationColumns.size(); ++i) {
      if (i) out += ", ";
      AppendObjectLink(ctx, out, path, lineage.presentationColumns[i]);
    }
    out += "</li>\n";
  }
  for (const LogicalStep& step : lineage.logical) {
    out += "<li>Logical column ";
    AppendObjectLink(ctx, out, path, step.logicalColumn);
    if (!step.derivedFrom.empty()) {
      out += ", derived from ";
      for (std::size_t i = 0; i < step.derivedFrom.size(); ++i) {
        if (i) out += ", ";
        AppendObjectLink(ctx, out, path, step.derivedFrom[i]);
      }
    }
    if (step.sources.empty()) {
      out += step.derivedFrom.empty() ? ": no source maps it</li>\n" : "</li>\n";
      continue;
    }
    out += "\n<ul>\n";
    for (const SourceStep& s : step.sources) {
      out += "<li>Source ";
      AppendObjectLink(ctx, out, path, s.source);
      out += " maps it to ";
      for (std::size_t i = 0; i < s.physicalColumns.size(); ++i) {
        if (i) out += ", ";
        AppendObjectLink(ctx, out, path, s.physicalColumns[i]);
      }
      if (s.physicalColumns.empty()) out += "an expression without columns";
      out += "</li>\n";
    }
    out += "</ul></li>\n";
  }
  out += "</ul>\n";
}

// Tables of a database, its catalogs and schemas, depth first.
void CollectTables(const Ref<ARpObject>& folder, RpObjectVector& tables) {
  for (ARpObject* child : folder->GetChildPointers()) {
    const TypeID type = child->GetTypeID();
    if (type == kTIDATable || type == kTIDACubeTable) {
      tables.emplace_back(child);
    } else if (type == kTIDACatalog || type == kTIDASchema) {
      CollectTables(Ref<ARpObject>(child), tables);
    }
  }
}

// A business model's logical tables joined by logical foreign keys and
// logical joins; a database's tables joined by foreign keys and complex
// joins. Empty for other objects.
// members: the graph's objects, by node index.
Graph JoinGraphOf(SiteContext& ctx, const Ref<ARpObject>& obj, const std::string& picture, std::string& what,
                  RpObjectVector& members) {
  Graph graph;
  graph.bLeftToRight = true;
  std::map<VoidID, std::size_t> index;
  if (obj->GetTypeID() == kTIDASubjectArea) {
    what = "logical tables";
    const Ref<ASubjectArea> bm(obj);
    for (const Ref<ALogicalTable>& table : All(bm->GetLogicalTables())) {
      AddNode(ctx, graph, index, picture, table);
      if (members.size() < graph.nodes.size()) members.emplace_back(table);
    }
    for (const Ref<ALogicalTable>& table : All(bm->GetLogicalTables())) {
      for (const Ref<ALogicalForeignKey>& fk : All(table->GetForeignKeys())) {
        const Ref<AKey> key = fk->GetReferencedKey();
        if (key.IsNull() || key->GetContainerEntity().IsNull()) continue;
        auto to = index.find(key->GetContainerEntity().GetID());
        if (to != index.end()) graph.edges.emplace_back(index.at(table.GetID()), to->second);
      }
    }
    for (const Ref<ARelationship>& join : All(bm->GetRelationships())) {
      std::vector<std::size_t> ends;
      for (const Ref<ARole>& role : All(join->GetRoles())) {
        const Ref<AEntity> player = role->GetPlayer();
        if (player.IsNull()) continue;
        auto at = index.find(player.GetID());
        if (at != index.end()) ends.push_back(at->second);
      }
      if (ends.size() >= 2) graph.edges.emplace_back(ends[0], ends[1]);
    }
  } else if (obj->GetTypeID() == kTIDADatabase) {
    what = "physical tables";
    RpObjectVector tables;
    CollectTables(obj, tables);
    for (const Ref<ARpObject>& table : tables) {
      AddNode(ctx, graph, index, picture, table);
      if (members.size() < graph.nodes.size()) members.push_back(table);
    }
    std::set<VoidID> joins;
    for (const Ref<ARpObject>& t : tables) {
      const Ref<ATable> table(t);
      for (const Ref<AForeignKey>& fk : All(table->GetForeignKeys())) {
        const Ref<ATableKey> key = fk->GetTableKey();
        if (key.IsNull() || key->GetTable().IsNull()) continue;
        auto to = index.find(key->GetTable().GetID());
        if (to != index.end()) graph.edges.emplace_back(index.at(t.GetID()), to->second);
      }
      for (const Ref<AComplexJoin>& join : All(table->GetComplexJoinLinks())) {
        if (!joins.insert(join.GetID()).second) continue;
        const Ref<ATable> left = join->GetLeftTable(), right = join->GetRightTable();
        if (left.IsNull() || right.IsNull()) continue;
        auto a = index.find(left.GetID()), b = index.find(right.GetID());
        if (a != index.end() && b != index.end()) graph.edges.emplace_back(a->second, b->second);
      }
    }
  }
  return graph;
}

// The full list behind a join picture that could not show every table:
// each table with the tables it joins, kChildrenPerPage tables a page.
std::string JoinListPath(const std::string& path, std::size_t page) {
  return SitePaths::Beside(path, ("~joins-" + std::to_string(page) + ".html").c_str());
}

void WriteJoinList(SiteContext& ctx, const Ref<ARpObject>& obj, const std::string& path, const Graph& graph,
                   const RpObjectVector& members, const std::string& what) {
  std::vector<std::vector<std::size_t>> joined(graph.nodes.size());
  for (const auto& [a, b] : graph.edges) {
    if (a == b || a >= joined.size() || b >= joined.size()) continue;
    joined[a].push_back(b);
    joined[b].push_back(a);
  }
  const std::size_t pages = (members.size() + kChildrenPerPage - 1) / kChildrenPerPage;
  for (std::size_t page = 1; page <= pages; ++page) {
    const std::string at = JoinListPath(path, page);
    std::string html;
    PageStart(html, at, TitleOf(obj) + " · " + what + ", page " + std::to_string(page));
    html += "<h1>";
    AppendObjectLink(ctx, html, at, obj, obj->GetName());
    html += "</h1>\n<h2>All " + std::to_string(members.size()) + " " + what + " and what they join</h2>\n";
    std::string pager;
    if (pages > 1) {
      pager = "<p>Page " + std::to_string(page) + " of " + std::to_string(pages) + ". ";
      if (page > 1) {
        pager += "<a href=\"";
        AppendHref(pager, RelativeLink(at, JoinListPath(path, page - 1)));
        pager += "\">previous</a> ";
      }
      if (page < pages) {
        pager += "<a href=\"";
        AppendHref(pager, RelativeLink(at, JoinListPath(path, page + 1)));
        pager += "\">next</a>";
      }
      pager += "</p>\n";
    }
    html += pager + "<ul class=\"joins\">\n";
    for (std::size_t i = (page - 1) * kChildrenPerPage; i < members.size() && i < page * kChildrenPerPage; ++i) {
      // Names alone: every table of the list is in the one container.
      html += "<li>";
      AppendObjectLink(ctx, html, at, members[i], members[i]->GetName());
      std::sort(joined[i].begin(), joined[i].end());
      joined[i].erase(std::unique(joined[i].begin(), joined[i].end()), joined[i].end());
      if (joined[i].empty()) html += " <span class=\"kind\">joins nothing</span>";
      for (std::size_t k = 0; k < joined[i].size(); ++k) {
        html += k ? ", " : " joins ";
        AppendObjectLink(ctx, html, at, members[joined[i][k]], members[joined[i][k]]->GetName());
      }
      html += "</li>\n";
    }
    html += "</ul>\n" + pager;
    PageEnd(html);
    ctx.sink.Write(at, std::move(html));
    ++ctx.report.pages;
  }
}

void AppendJoinPicture(SiteContext& ctx, std::string& out, const std::string& path, const Ref<ARpObject>& obj) {
  const std::string picture = SitePaths::Beside(path, ".svg");
  std::string what;
  RpObjectVector members;
  const Graph full = JoinGraphOf(ctx, obj, picture, what, members);
  if (full.nodes.empty()) return;
  const std::vector<std::size_t> keep = Neighbourhood(full, kMaxPictureNodes);
  ctx.sink.Write(picture, ctx.graphs.Svg(Restrict(full, keep)));
  ++ctx.report.pictures;
  std::string caption = "The " + what + " and their joins.";
  if (keep.size() < full.nodes.size()) {
    // The picture is capped; the list has them all.
    caption = std::to_string(keep.size()) + " of " + std::to_string(full.nodes.size()) + " " + what +
              " shown: the most joined ones and their neighbours (a picture holds at most " +
              std::to_string(kMaxPictureNodes) + "). <a class=\"more\" href=\"";
    AppendHref(caption, RelativeLink(path, JoinListPath(path, 1)));
    caption += "\">More: all " + std::to_string(full.nodes.size()) + " " + what + "</a>.";
    WriteJoinList(ctx, obj, path, full, members, what);
  }
  out += "<h2>Joins</h2>\n";
  AppendPicture(out, path, picture, U"Joins of " + obj->GetName(), caption);
}

// The child list, kChildrenPerPage at a time; page 1 is the object's page.
std::size_t ChildPageCount(std::size_t children) {
  return children <= kChildrenPerPage ? 1 : (children + kChildrenPerPage - 1) / kChildrenPerPage;
}

std::string ChildPagePath(const std::string& path, std::size_t page) {
  return page <= 1 ? path : SitePaths::Beside(path, ("~children-" + std::to_string(page) + ".html").c_str());
}

void AppendChildList(SiteContext& ctx, std::string& out, const std::string& from, const std::string& path,
                     const std::vector<ARpObject*>& children, std::size_t page) {
  const std::size_t pages = ChildPageCount(children.size());
  out += "<h2>Children (" + std::to_string(children.size()) + ")</h2>\n";
  auto pager = [&]() {
    if (pages <= 1) return;
    out += "<p>Page " + std::to_string(page) + " of " + std::to_string(pages) + ". ";
    if (page > 1) {
      out += "<a href=\"";
      AppendHref(out, RelativeLink(from, ChildPagePath(path, page - 1)));
      out += "\">previous</a> ";
    }
    if (page < pages) {
      out += "<a href=\"";
      AppendHref(out, RelativeLink(from, ChildPagePath(path, page + 1)));
      out += "\">next</a>";
    }
    out += "</p>\n";
  };
  pager();
  out += "<ul class=\"children\">\n";
  const std::size_t first = (page - 1) * kChildrenPerPage;
  const std::size_t last = std::min(children.size(), first + kChildrenPerPage);
  for (std::size_t i = first; i < last; ++i) {
    const Ref<ARpObject> child(children[i]);
    out += "<li>";
    AppendObjectLink(ctx, out, from, child, child->GetName());
    out += " ";
    AppendShortCode(out, child);
    out += "</li>\n";
  }
  out += "</ul>\n";
  pager();
}

}  // namespace

void PageStart(std::string& out, const std::string& pagePath, const std::string& titleHtml) {
  out += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>";
  out += titleHtml;
  out += "</title>\n<link rel=\"stylesheet\" href=\"";
  AppendHref(out, RelativeLink(pagePath, "site.css"));
  out += "\"></head>\n<body>\n<nav><a href=\"";
  AppendHref(out, RelativeLink(pagePath, "index.html"));
  out += "\">Index</a> · <a href=\"";
  AppendHref(out, RelativeLink(pagePath, "search.html"));
  out += "\">Search</a></nav>\n";
}

void PageEnd(std::string& out) { out += "</body></html>\n"; }

std::string LineagePicture(SiteContext& ctx, const Ref<ARpObject>& logicalColumn) {
  const std::string place = ctx.paths.PlacePath(logicalColumn);
  if (place.empty()) return std::string();
  const std::string picture = SitePaths::Beside(place, ".svg");
  if (ctx.lineagePictures.count(logicalColumn.GetID())) return picture;
  const ColumnLineage lineage = LineageOf(logicalColumn);
  if (!lineage.ReachesPhysical()) return std::string();
  Graph graph;
  graph.bLeftToRight = true;
  std::map<VoidID, std::size_t> index;
  const std::size_t focus = AddNode(ctx, graph, index, picture, logicalColumn, true);
  for (const Ref<ARpObject>& shown : lineage.presentationColumns) {
    graph.edges.emplace_back(AddNode(ctx, graph, index, picture, shown), focus);
  }
  for (const LogicalStep& step : lineage.logical) {
    const std::size_t at = AddNode(ctx, graph, index, picture, step.logicalColumn);
    for (const Ref<ARpObject>& from : step.derivedFrom) {
      graph.edges.emplace_back(at, AddNode(ctx, graph, index, picture, from));
    }
    for (const SourceStep& s : step.sources) {
      const std::size_t source = AddNode(ctx, graph, index, picture, s.source);
      graph.edges.emplace_back(at, source);
      for (const Ref<ARpObject>& column : s.physicalColumns) {
        graph.edges.emplace_back(source, AddNode(ctx, graph, index, picture, column));
      }
    }
  }
  ctx.sink.Write(picture, ctx.graphs.Svg(Restrict(graph, Neighbourhood(graph, kMaxPictureNodes))));
  ++ctx.report.pictures;
  ctx.lineagePictures.insert(logicalColumn.GetID());
  return picture;
}

void WriteObjectPage(SiteContext& ctx, const Ref<ARpObject>& obj) {
  const std::string path = ctx.paths.PagePath(obj);
  if (path.empty()) return;
  std::string out;
  const std::string title = TitleOf(obj);
  PageStart(out, path, title);
  out += "<h1>";
  AppendEscaped(out, obj->GetName());
  out += "</h1>\n";
  AppendFacts(ctx, out, path, obj);
  AppendMessages(ctx, out, obj);
  AppendExpressions(ctx, out, obj);
  AppendSourceDefinition(ctx, out, path, obj);
  AppendLineage(ctx, out, path, obj);
  AppendJoinPicture(ctx, out, path, obj);
  std::vector<ARpObject*> children;
  for (ARpObject* child : obj->GetChildPointers()) children.push_back(child);
  if (!children.empty()) AppendChildList(ctx, out, path, path, children, 1);
  PageEnd(out);
  ctx.sink.Write(path, std::move(out));
  ++ctx.report.pages;
  for (std::size_t page = 2; page <= ChildPageCount(children.size()); ++page) {
    const std::string more = ChildPagePath(path, page);
    std::string html;
    PageStart(html, more, title + " · children, page " + std::to_string(page));
    html += "<h1>";
    AppendObjectLink(ctx, html, more, obj, obj->GetName());
    html += "</h1>\n";
    AppendChildList(ctx, html, more, path, children, page);
    PageEnd(html);
    ctx.sink.Write(more, std::move(html));
    ++ctx.report.pages;
  }
  const Ref<ARpObject> parent = obj->GetParentObject();
  // Found by its display name too ("Kunden" finds the table named Customers).
  const VXString shown =
      obj->GetBool(RpProp::kDisplayNameUse) ? MetadataUtil::GetCustomDisplayName(ctx.rp, obj) : VXString();
  ctx.search.Add(obj->GetName(), MetadataDictUtil::GetShortTypeName(obj),
                 parent.IsNull() ? VXString() : parent->GetName(), path, shown);
}

}  // namespace smutil_site
