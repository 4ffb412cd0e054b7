// Pictures of the site, laid out by Graphviz's dot and rendered to SVG in
// memory (gvLayout, gvRenderData): no external program, no layout of our own.
//
// Size limit. A picture holds at most kMaxPictureNodes (60) nodes. Dot's
// crossing minimisation grows much faster than the graph, and a picture wider
// than a screen of 60 boxes cannot be read anyway; a larger graph is cut to
// the neighbourhood of its most joined nodes (breadth first from the node
// with the most edges, then the next one not reached), and the page says how
// many were left out and links to the full list.
//
// Unconnected nodes. Dot ranks nodes along their edges; nodes without any
// would all share the first rank and stand in one long column (60 tables of
// a model without joins: a picture 184 pt wide and 3,230 pt tall). They are
// laid out in a grid instead, GridColumns(n) to a row, each row held
// together by invisible edges (a chain of ranks), after the joined nodes.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "Utility/VXString.h"

struct GVC_s;

namespace smutil_site {

struct GraphNode {
  VXString label;
  std::string href;     // relative link from the picture's file, or empty
  VXString tooltip;     // the qualified name, shown on hover
  bool bFocus = false;  // drawn filled: the object the picture is about
};

struct Graph {
  std::vector<GraphNode> nodes;
  std::vector<std::pair<std::size_t, std::size_t>> edges;  // directed, by node index
  bool bLeftToRight = false;
};

// The indices of at most limit nodes of graph, chosen as described above,
// in ascending order.
std::vector<std::size_t> Neighbourhood(const Graph& graph, std::size_t limit);
// graph with only the nodes kept (edges between them kept, renumbered).
Graph Restrict(const Graph& graph, const std::vector<std::size_t>& keep);

// The width of the grid of n unconnected nodes: the square root, rounded
// up, but never more than kMaxGridColumns, so that a row fits a screen.
inline constexpr std::size_t kMaxGridColumns = 6;
std::size_t GridColumns(std::size_t n);
// The nodes of graph that have no edge to another node, in order.
std::vector<std::size_t> UnconnectedNodes(const Graph& graph);

// One Graphviz context for many pictures. Not for use by two threads.
class GraphRenderer {
 public:
  GraphRenderer();
  ~GraphRenderer();
  GraphRenderer(const GraphRenderer&) = delete;
  GraphRenderer& operator=(const GraphRenderer&) = delete;

  // The SVG document of graph, without a DOCTYPE (nothing is fetched when
  // it is opened); throws std::runtime_error when Graphviz fails.
  std::string Svg(const Graph& graph);

 private:
  GVC_s* m_gvc;
};

}  // namespace smutil_site
