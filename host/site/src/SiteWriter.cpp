#include "Site/SiteWriter.h"

#include <map>

#include "Metadata/SMDictUtil.h"
#include "SitePages.h"
#include "SiteText.h"

namespace smutil_site {

namespace {

std::string RootListPath(const std::string& tag, std::size_t page) {
  return "index/" + tag + "-" + std::to_string(page) + ".html";
}

// index.html: the root objects' types with their counts; index/<Tag>-N.html:
// the root objects of one type, kChildrenPerPage a page.
void WriteIndex(SiteContext& ctx, const std::map<std::string, VoidIDVector>& roots) {
  std::string out;
  PageStart(out, "index.html", "Metadata dictionary");
  out += "<h1>Metadata dictionary</h1>\n<p>";
  AppendEscaped(out, std::string_view(std::to_string(ctx.report.pages)));
  out += " pages. Find an object by name on the <a href=\"search.html\">search page</a>.</p>\n<ul>\n";
  for (const auto& [tag, ids] : roots) {
    out += "<li><a href=\"";
    AppendHref(out, RootListPath(tag, 1));
    out += "\">";
    AppendEscaped(out, std::string_view(tag));
    out += "</a> <span class=\"kind\">" + std::to_string(ids.size()) + "</span></li>\n";
  }
  out += "</ul>\n";
  PageEnd(out);
  ctx.sink.Write("index.html", out);

  for (const auto& [tag, ids] : roots) {
    const std::size_t pages = (ids.size() + kChildrenPerPage - 1) / kChildrenPerPage;
    for (std::size_t page = 1; page <= pages; ++page) {
      const std::string path = RootListPath(tag, page);
      std::string html;
      PageStart(html, path, tag + " · page " + std::to_string(page));
      html += "<h1>" + tag + "</h1>\n";
      if (pages > 1) {
        html += "<p>Page " + std::to_string(page) + " of " + std::to_string(pages) + ". ";
        if (page > 1) html += "<a href=\"" + RelativeLink(path, RootListPath(tag, page - 1)) + "\">previous</a> ";
        if (page < pages) html += "<a href=\"" + RelativeLink(path, RootListPath(tag, page + 1)) + "\">next</a>";
        html += "</p>\n";
      }
      html += "<ul class=\"children\">\n";
      for (std::size_t i = (page - 1) * kChildrenPerPage; i < ids.size() && i < page * kChildrenPerPage; ++i) {
        const Ref<ARpObject> obj = ctx.rp->GetObject(ids[i]);
        html += "<li><a href=\"";
        AppendHref(html, RelativeLink(path, ctx.paths.PagePath(obj)));
        html += "\">";
        AppendEscaped(html, obj->GetName());
        html += "</a></li>\n";
      }
      html += "</ul>\n";
      PageEnd(html);
      ctx.sink.Write(path, html);
    }
  }
}

void WriteSearchPage(SiteContext& ctx) {
  std::string out;
  PageStart(out, "search.html", "Search · Metadata dictionary");
  out +=
      "<h1>Search</h1>\n<p><input id=\"q\" type=\"search\" size=\"40\" autofocus "
      "placeholder=\"A name, or a word of one\"> <span id=\"status\"></span></p>\n<ul id=\"results\"></ul>\n"
      "<script src=\"search.js\"></script>\n<script>smutilSearch.start();</script>\n";
  PageEnd(out);
  ctx.sink.Write("search.html", out);
  ctx.sink.Write("search.js", SearchScript());
  ctx.sink.Write("site.css", StyleSheet());
}

}  // namespace

SiteReport WriteSite(ARpGateway* rp, const SiteOptions& options) {
  SiteReport report;
  FileSink sink(options.outDir, options.bChangedOnly, report);
  SiteContext ctx{rp, options, SitePaths(rp, options.types), GraphRenderer(), sink, SearchIndex(), report, {}};
  std::map<std::string, VoidIDVector> roots;
  const std::uint64_t total = rp->GetObjectCount();
  std::uint64_t done = 0;
  VoidIDVector ids;
  for (TypeID type : rp->GetKnownTypes()) {
    ids.clear();
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      if (options.progress && (++done % 1024 == 0 || done == total)) options.progress(done, total);
      const Ref<ARpObject> obj = rp->GetObject(id);
      if (obj.IsNull() || !ctx.paths.HasPage(obj)) continue;
      WriteObjectPage(ctx, obj);
      if (obj->GetParentPointer() == nullptr) roots[ToNarrow(MetadataDictUtil::GetTagName(obj))].push_back(id);
    }
  }
  if (options.progress) options.progress(total, total);
  WriteIndex(ctx, roots);
  WriteSearchPage(ctx);
  ctx.search.WriteTo(sink);
  sink.Finish();
  return report;
}

}  // namespace smutil_site
