// JoinGraph: the physical tables of a query (nodes) and the foreign keys and
// complex joins that connect them (directed links).
//
//   JoinGraph g;
//   GraphNode& orders = g.AddNode(ordersTableID);
//   orders.AddLink(DirectedLink(ordersToCustomersFKID, customersTableID));
//   g.AddNode(customersTableID).AddLink(DirectedLink(ordersToCustomersFKID, ordersTableID));
//
// A link may be seen from both of its tables; readers that want each join
// once collect the link ids into a set.
#pragma once

#include <cstddef>
#include <vector>

#include "Utility/VoidID.h"

// One edge out of a node: the foreign key or complex join, and the table on
// its other side.
class DirectedLink {
 public:
  DirectedLink() = default;
  DirectedLink(const VoidID& linkID, const VoidID& targetNodeID) : m_linkID(linkID), m_targetNodeID(targetNodeID) {}

  void GetLinkID(VoidID& id) const { id = m_linkID; }
  const VoidID& GetLinkID() const { return m_linkID; }
  const VoidID& GetTargetNodeID() const { return m_targetNodeID; }

  friend bool operator==(const DirectedLink&, const DirectedLink&) = default;

 private:
  VoidID m_linkID;
  VoidID m_targetNodeID;
};

// The links of a node, in the order they were added.
using NodeLinkSet = std::vector<DirectedLink>;

class GraphNode {
 public:
  GraphNode() = default;
  explicit GraphNode(const VoidID& nodeID) : m_nodeID(nodeID) {}

  void GetNodeID(VoidID& id) const { id = m_nodeID; }
  const VoidID& GetNodeID() const { return m_nodeID; }
  void GetAdjacentLinks(NodeLinkSet& links) const { links = m_links; }
  const NodeLinkSet& GetAdjacentLinks() const { return m_links; }
  GraphNode& AddLink(const DirectedLink& link) {
    m_links.push_back(link);
    return *this;
  }

  friend bool operator==(const GraphNode&, const GraphNode&) = default;

 private:
  VoidID m_nodeID;
  NodeLinkSet m_links;
};

class JoinGraph {
 public:
  using const_iterator = std::vector<GraphNode>::const_iterator;

  // Appends a node; the reference stays valid until the next AddNode.
  GraphNode& AddNode(const VoidID& nodeID) { return m_nodes.emplace_back(nodeID); }
  void AddNode(const GraphNode& node) { m_nodes.push_back(node); }

  std::size_t size() const { return m_nodes.size(); }
  bool empty() const { return m_nodes.empty(); }
  const GraphNode& operator[](std::size_t i) const { return m_nodes[i]; }
  GraphNode& operator[](std::size_t i) { return m_nodes[i]; }
  const_iterator begin() const { return m_nodes.begin(); }
  const_iterator end() const { return m_nodes.end(); }
  void clear() { m_nodes.clear(); }

  friend bool operator==(const JoinGraph&, const JoinGraph&) = default;

 private:
  std::vector<GraphNode> m_nodes;
};
