// Whether two nodes are joined, answered from the adjacency lists without a
// search.
#pragma once

#include <utility>

#include "store.hpp"
#include "types.hpp"

namespace tarvel {

// Whether an edge joins `u` to `v`: u -> v in a directed graph, u and v in
// either order in an undirected one; a self-loop joins a node to itself.
// An undirected edge stands in both ends' lists, so there the shorter list
// is read.
// Errors: std::out_of_range for an index past the end (u checked first).
// Cost: O(degree of u) time (of the smaller degree when undirected), O(1)
// memory.
template <class T, class W>
bool hasEdge(const GraphView<T, W>& g, NodeIndex u, NodeIndex v) {
    g.checkNode(u);
    g.checkNode(v);
    NodeIndex from = u, to = v;
    if (!g.isDirected() && g.neighbors(v).size() < g.neighbors(u).size()) std::swap(from, to);
    for (const auto& entry : g.neighbors(from)) {
        if (entry.target == to) return true;
    }
    return false;
}

}  // namespace tarvel
