#include "SiteGraphs.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <numeric>
#include <stdexcept>

#include "SiteText.h"

namespace smutil_site {

std::vector<std::size_t> Neighbourhood(const Graph& graph, std::size_t limit) {
  const std::size_t n = graph.nodes.size();
  std::vector<std::size_t> keep;
  if (n <= limit) {
    keep.resize(n);
    std::iota(keep.begin(), keep.end(), 0);
    return keep;
  }
  std::vector<std::vector<std::size_t>> adjacent(n);
  for (const auto& [a, b] : graph.edges) {
    if (a >= n || b >= n || a == b) continue;
    adjacent[a].push_back(b);
    adjacent[b].push_back(a);
  }
  std::vector<std::size_t> byDegree(n);
  std::iota(byDegree.begin(), byDegree.end(), 0);
  std::stable_sort(byDegree.begin(), byDegree.end(),
                   [&](std::size_t x, std::size_t y) { return adjacent[x].size() > adjacent[y].size(); });
  std::vector<bool> taken(n, false);
  for (std::size_t seed : byDegree) {
    if (keep.size() >= limit) break;
    if (taken[seed]) continue;
    std::deque<std::size_t> queue{seed};
    taken[seed] = true;
    keep.push_back(seed);
    while (!queue.empty() && keep.size() < limit) {
      const std::size_t at = queue.front();
      queue.pop_front();
      for (std::size_t next : adjacent[at]) {
        if (keep.size() >= limit) break;
        if (taken[next]) continue;
        taken[next] = true;
        keep.push_back(next);
        queue.push_back(next);
      }
    }
  }
  std::sort(keep.begin(), keep.end());
  return keep;
}

std::size_t GridColumns(std::size_t n) {
  std::size_t columns = 1;
  while (columns < kMaxGridColumns && columns * columns < n) ++columns;
  return columns;
}

std::vector<std::size_t> UnconnectedNodes(const Graph& graph) {
  std::vector<bool> joined(graph.nodes.size(), false);
  for (const auto& [a, b] : graph.edges) {
    if (a == b || a >= joined.size() || b >= joined.size()) continue;
    joined[a] = joined[b] = true;
  }
  std::vector<std::size_t> alone;
  for (std::size_t i = 0; i < joined.size(); ++i) {
    if (!joined[i]) alone.push_back(i);
  }
  return alone;
}

Graph Restrict(const Graph& graph, const std::vector<std::size_t>& keep) {
  Graph out;
  out.bLeftToRight = graph.bLeftToRight;
  std::vector<std::size_t> index(graph.nodes.size(), SIZE_MAX);
  for (std::size_t k : keep) {
    index[k] = out.nodes.size();
    out.nodes.push_back(graph.nodes[k]);
  }
  for (const auto& [a, b] : graph.edges) {
    if (a < index.size() && b < index.size() && index[a] != SIZE_MAX && index[b] != SIZE_MAX) {
      out.edges.emplace_back(index[a], index[b]);
    }
  }
  return out;
}

namespace {

// Graphviz reads backslash sequences (\N, \G, \l) in labels and
// tooltips, where a doubled backslash stands for itself, and passes an
// entity such as "&lt;" through to the SVG, where it would show as "<"; an
// ampersand written as "&amp;" keeps "T&lt;" the name it is.
std::string GraphvizText(const VXString& text) {
  std::string out;
  for (char c : ToSafeUtf8(text)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

void Set(void* obj, const char* name, const std::string& value) {
  agsafeset(obj, const_cast<char*>(name), const_cast<char*>(value.c_str()), const_cast<char*>(""));
}

}  // namespace

namespace {
// Graphviz keeps text-size and font caches that outlive a context: a layout
// in a second context after the first was freed reads freed font names. So
// the process has one context, never freed, and one layout at a time
// (Graphviz keeps its state in globals).
GVC_t* ProcessContext() {
  static GVC_t* const gvc = gvContext();
  return gvc;
}
std::mutex g_graphvizMutex;
}  // namespace

GraphRenderer::GraphRenderer() : m_gvc(ProcessContext()) {
  if (!m_gvc) throw std::runtime_error("Graphviz: no context");
}

GraphRenderer::~GraphRenderer() {}

std::string GraphRenderer::Svg(const Graph& graph) {
  const std::lock_guard<std::mutex> lock(g_graphvizMutex);
  Agraph_t* g = agopen(const_cast<char*>("G"), Agdirected, nullptr);
  if (!g) throw std::runtime_error("Graphviz: cannot open a graph");
  Set(g, "rankdir", graph.bLeftToRight ? "LR" : "TB");
  Set(g, "bgcolor", "transparent");
  std::vector<Agnode_t*> nodes;
  nodes.reserve(graph.nodes.size());
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const GraphNode& node = graph.nodes[i];
    std::string id = "n" + std::to_string(i);
    Agnode_t* n = agnode(g, id.data(), 1);
    Set(n, "shape", "box");
    Set(n, "style", node.bFocus ? "rounded,filled" : "rounded");
    Set(n, "fillcolor", "#dbe8f6");
    Set(n, "fontname", "sans-serif");
    Set(n, "fontsize", "10");
    Set(n, "label", GraphvizText(node.label));
    if (!node.tooltip.empty()) Set(n, "tooltip", GraphvizText(node.tooltip));
    if (!node.href.empty()) {
      std::string href;
      AppendHref(href, node.href);
      Set(n, "URL", href);
      Set(n, "target", "_top");
    }
    nodes.push_back(n);
  }
  for (const auto& [a, b] : graph.edges) {
    if (a < nodes.size() && b < nodes.size()) agedge(g, nodes[a], nodes[b], nullptr, 1);
  }
  // The grid of unconnected nodes: each row a chain of invisible edges, so
  // its nodes take consecutive ranks; the rows stack like any components.
  const std::vector<std::size_t> alone = UnconnectedNodes(graph);
  const std::size_t columns = GridColumns(alone.size());
  for (std::size_t i = 0; i + 1 < alone.size(); ++i) {
    if ((i + 1) % columns == 0) continue;  // the row ends here
    Agedge_t* e = agedge(g, nodes[alone[i]], nodes[alone[i + 1]], nullptr, 1);
    Set(e, "style", "invis");
  }
  std::string svg;
  if (gvLayout(m_gvc, g, "dot") != 0) {
    agclose(g);
    throw std::runtime_error("Graphviz: layout failed");
  }
  char* data = nullptr;
  unsigned int length = 0;
  const int rc = gvRenderData(m_gvc, g, "svg", &data, &length);
  if (rc == 0 && data) svg.assign(data, length);
  if (data) gvFreeRenderData(data);
  gvFreeLayout(m_gvc, g);
  agclose(g);
  if (rc != 0) throw std::runtime_error("Graphviz: SVG rendering failed");
  // The DOCTYPE names the SVG DTD on the web; the pictures must not point
  // anywhere outside the site.
  const std::size_t doctype = svg.find("<!DOCTYPE");
  if (doctype != std::string::npos) {
    const std::size_t end = svg.find('>', doctype);
    if (end != std::string::npos) svg.erase(doctype, end + 1 - doctype);
  }
  return svg;
}

}  // namespace smutil_site
