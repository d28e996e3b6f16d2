// Traversals: depth-first order, connected and weakly connected components
// and the cycle test.
// Each follows adjacency lists exactly as stored (out-edges in a directed
// graph, both directions of an undirected edge) with an explicit stack or
// queue (the cycle test on the depth-first kernel), so a path-shaped graph
// of any length needs no deep recursion.
#pragma once

#include <utility>
#include <vector>

#include "breadth_first.hpp"
#include "depth_first.hpp"
#include "detail/undirected_lists.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// The nodes reachable from `start`, in the order an explicit stack releases
// them (its own loop, not the depth-first kernel's: a node is marked when
// pushed, not when entered, so this order is not a depth-first preorder):
// its unmarked neighbors are pushed in adjacency order, so the last of them is visited next. `start` comes first.
// Errors: std::out_of_range when start is past the end.
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
IndexPath depthFirstOrder(const GraphView<T, W>& g, NodeIndex start) {
    g.checkNode(start);
    std::vector<bool> visited(g.nodeCount(), false);
    std::vector<NodeIndex> stack{start};
    visited[start] = true;
    IndexPath order;
    detail::Checkpoint checkpoint;
    while (!stack.empty()) {
        const NodeIndex u = stack.back();
        stack.pop_back();
        order.push_back(u);
        checkpoint(g.neighbors(u).size() + 1);
        for (const auto& entry : g.neighbors(u)) {
            if (!visited[entry.target]) {
                visited[entry.target] = true;
                stack.push_back(entry.target);
            }
        }
    }
    return order;
}

namespace detail {

// The groups of one breadth-first search from each node not yet placed, in
// index order (its own loop, not the breadth-first kernel's: on the kernel
// connectedComponents measured about four times slower on an undirected
// G(200000, 1000000), the cause not yet found): `visit(u, add)` calls
// add(v) for each neighbor v of u, in the order the search takes them. The breadth-first queues of all groups, one
// after the other, are the groups themselves.
template <class T, class W, class Visit>
Groups breadthFirstGroups(const GraphView<T, W>& g, Visit&& visit) {
    const std::size_t n = g.nodeCount();
    std::vector<bool> visited(n, false);
    Groups groups;
    groups.nodes.resize(n);
    groups.offsets.reserve(n + 1);
    std::size_t tail = 0;
    detail::Checkpoint checkpoint;
    const auto add = [&](NodeIndex v) {
        if (!visited[v]) {
            visited[v] = true;
            groups.nodes[tail++] = v;
        }
    };
    for (NodeIndex i = 0; i < n; ++i) {
        if (visited[i]) continue;
        add(i);
        for (std::size_t head = tail - 1; head < tail; ++head) {
            if (head + 8 < tail) g.prefetch(groups.nodes[head + 8], 0);
            if (head + 4 < tail) g.prefetch(groups.nodes[head + 4], 1);
            checkpoint(g.neighbors(groups.nodes[head]).size() + 1);
            visit(groups.nodes[head], add);
        }
        groups.offsets.push_back(tail);
    }
    return groups;
}

}  // namespace detail

// Groups of nodes, each found by a breadth-first search (following stored
// entries, so out-edges in a directed graph) from the lowest-indexed node
// not yet placed. Groups are in order of their first node, which leads its
// group; the rest follow in breadth-first order. For an undirected graph the
// groups are the connected components.
// Errors: none. Cost: O(V + E) time, O(V) memory.
template <class T, class W>
Groups connectedComponents(const GraphView<T, W>& g) {
    return detail::breadthFirstGroups(g, [&](NodeIndex u, const auto& add) {
        for (const auto& entry : g.neighbors(u)) add(entry.target);
    });
}

// The weakly connected components: the groups connectedComponents finds in
// the graph taken as undirected, in its order (each group led by its
// lowest-indexed node, groups in order of their first node), the rest of a
// group in breadth-first order, where a node's neighbors are its stored
// entries and then, in a directed graph, the sources of the edges into it
// in the order those edges were added (detail/undirected_lists.hpp). On an
// undirected graph the result is connectedComponents' own.
// Errors: none. Cost: O(V + E) time; O(V) memory, O(V + E) when directed.
template <class T, class W>
Groups weaklyConnectedComponents(const GraphView<T, W>& g) {
    if (!g.isDirected()) return connectedComponents(g);
    const detail::UndirectedNeighbors<T, W> lists(g);
    return detail::breadthFirstGroups(g, [&](NodeIndex u, const auto& add) {
        lists.forEach(u, [&](NodeIndex v, const W&, bool) { add(v); });
    });
}

// The number of groups connectedComponents returns. Errors: none.
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
std::size_t connectedComponentCount(const GraphView<T, W>& g) {
    return connectedComponents(g).size();
}

// Whether a depth-first search, started from each unvisited node in index
// order, meets an entry leading back to a node on its current path. A
// self-loop is a cycle; in an undirected graph every edge is (it is stored
// both ways); directed parallel edges are not.
// Errors: none. Cost: O(V + E) time, O(V) memory; stops at the first cycle.
template <class T, class W>
bool hasCycle(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<unsigned char> visited(n, 0);
    std::vector<unsigned char> onPath(n, 0);
    std::vector<std::pair<NodeIndex, std::size_t>> stack;
    const auto visit = [&](NodeIndex, NodeIndex v, DepthFirstLabel label) {
        switch (label) {
            case DepthFirstLabel::Forward: onPath[v] = 1; return false;
            case DepthFirstLabel::Nontree: return onPath[v] != 0;
            default: onPath[v] = 0; return false;
        }
    };
    for (NodeIndex i = 0; i < n; ++i) {
        if (detail::depthFirst(g, i, visited, stack, NoDepthLimit, visit)) return true;
    }
    return false;
}

}  // namespace tarvel
