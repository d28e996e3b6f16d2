// Directed acyclic structure: topological orders and generations, and the
// nodes a node reaches (descendants) or is reached from (ancestors).
// Every function keeps its own queue or heap: a path of any length needs no
// deep recursion.
//
// How the multigraph's extras count: a node's in-degree counts every entry
// leading into it, so parallel edges each count and a node becomes ready
// when the last of them has been taken; a self-loop is a cycle of one node.
#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "detail/describe.hpp"
#include "interrupt.hpp"
#include "store.hpp"
#include "strong_components.hpp"

namespace tarvel {

namespace detail {

inline void requireDirected(bool directed) {
    if (!directed) throw std::runtime_error("a topological order is defined for directed graphs only");
}

// The in-degree of every node: the entries leading into it.
template <class T, class W>
std::vector<std::size_t> inDegrees(const GraphView<T, W>& g) {
    std::vector<std::size_t> degree(g.nodeCount(), 0);
    Checkpoint checkpoint;
    for (NodeIndex u = 0; u < g.nodeCount(); ++u) {
        checkpoint(g.neighbors(u).size() + 1);
        for (const auto& entry : g.neighbors(u)) ++degree[entry.target];
    }
    return degree;
}

// The error of a graph with a cycle, naming the lowest-indexed node that
// lies on one (a node of a strongly connected component of two or more
// nodes, or a node with a self-loop), so that the name does not depend on
// how the search met the cycle. Cost: O(V + E).
template <class T, class W>
[[noreturn]] void throwCycle(const GraphView<T, W>& g) {
    NodeIndex onCycle = NoNode;
    const Groups components = tarjanGroups(g);
    for (std::size_t k = 0; k < components.size(); ++k) {
        const Span<NodeIndex> group = components[k];
        if (group.size() > 1) {
            for (const NodeIndex node : group)
                if (node < onCycle) onCycle = node;
            continue;
        }
        const NodeIndex node = group[0];
        if (node >= onCycle) continue;
        for (const auto& entry : g.neighbors(node)) {
            if (entry.target == node) {
                onCycle = node;
                break;
            }
        }
    }
    throw std::runtime_error("the graph has a cycle through " + describe(g.name(onCycle)));
}

}  // namespace detail

// The topological generations by Kahn's method with a first-in-first-out
// queue: generation 0 holds the nodes no edge leads into, in index order;
// generation k + 1 holds the nodes whose last incoming entry is taken while
// generation k is processed, in the order they become ready (the nodes of
// generation k in their order, each one's entries in adjacency order). So
// each node sits in the earliest generation it can, and within a generation
// after 0 the order is that of readiness, not of index. The generations one
// after another are topologicalOrder.
// Errors: std::runtime_error "a topological order is defined for directed
// graphs only" for an undirected graph; std::runtime_error "the graph has a
// cycle through NAME" when some node never becomes ready, NAME the
// lowest-indexed node on a cycle (a self-loop is one; directed parallel
// edges are not).
// Cost: O(V + E) time, O(V) memory (O(V + E) more on the cycle error).
template <class T, class W>
Groups topologicalGenerations(const GraphView<T, W>& g) {
    detail::requireDirected(g.isDirected());
    const std::size_t n = g.nodeCount();
    std::vector<std::size_t> waiting = detail::inDegrees(g);
    Groups generations;
    generations.nodes.resize(n);
    std::size_t tail = 0;
    for (NodeIndex u = 0; u < n; ++u)
        if (waiting[u] == 0) generations.nodes[tail++] = u;
    detail::Checkpoint checkpoint;
    std::size_t head = 0;
    while (head < tail) {
        const std::size_t end = tail;  // the current generation is [head, end)
        for (; head < end; ++head) {
            const NodeIndex u = generations.nodes[head];
            if (head + 8 < end) g.prefetch(generations.nodes[head + 8], 0);
            if (head + 4 < end) g.prefetch(generations.nodes[head + 4], 1);
            checkpoint(g.neighbors(u).size() + 1);
            for (const auto& entry : g.neighbors(u))
                if (--waiting[entry.target] == 0) generations.nodes[tail++] = entry.target;
        }
        generations.offsets.push_back(end);
    }
    if (tail < n) detail::throwCycle(g);
    return generations;
}

// The topological order of Kahn's method with a first-in-first-out queue:
// topologicalGenerations, one generation after another. Every edge leads
// from an earlier node to a later one.
// Errors and cost: topologicalGenerations'.
template <class T, class W>
IndexPath topologicalOrder(const GraphView<T, W>& g) {
    return std::move(topologicalGenerations(g).nodes);
}

// The topological order that always takes, among the nodes ready (all
// incoming entries taken), the one of least rank, equal ranks by least
// index: the least such order when nodes are compared by (rank, index).
// Errors: std::invalid_argument "a rank is needed for each of the N nodes"
// when rank.size() differs from the node count (checked first), then
// topologicalGenerations' errors.
// Cost: O((V + E) + V log V) time, O(V) memory.
template <class T, class W>
IndexPath topologicalOrderByRank(const GraphView<T, W>& g, const std::vector<std::int64_t>& rank) {
    const std::size_t n = g.nodeCount();
    if (rank.size() != n)
        throw std::invalid_argument("a rank is needed for each of the " + std::to_string(n) + " nodes");
    detail::requireDirected(g.isDirected());
    std::vector<std::size_t> waiting = detail::inDegrees(g);
    using Item = std::pair<std::int64_t, NodeIndex>;
    std::vector<Item> initial;
    for (NodeIndex u = 0; u < n; ++u)
        if (waiting[u] == 0) initial.emplace_back(rank[u], u);
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> ready(std::greater<Item>(),
                                                                            std::move(initial));
    IndexPath order;
    order.reserve(n);
    detail::Checkpoint checkpoint;
    while (!ready.empty()) {
        const NodeIndex u = ready.top().second;
        ready.pop();
        order.push_back(u);
        checkpoint(g.neighbors(u).size() + 1);
        for (const auto& entry : g.neighbors(u))
            if (--waiting[entry.target] == 0) ready.emplace(rank[entry.target], entry.target);
    }
    if (order.size() < n) detail::throwCycle(g);
    return order;
}

// The nodes reachable from `source` by one edge or more, source itself
// excluded even on a cycle through it, in breadth-first order: a node's
// successors in its adjacency order. On an undirected graph, the other
// nodes of source's component.
// Errors: std::out_of_range when source is past the end.
// Cost: O(V + E) time (the part reached), O(V) memory.
template <class T, class W>
IndexPath descendants(const GraphView<T, W>& g, NodeIndex source) {
    g.checkNode(source);
    std::vector<bool> seen(g.nodeCount(), false);
    seen[source] = true;
    IndexPath found{source};
    detail::Checkpoint checkpoint;
    for (std::size_t head = 0; head < found.size(); ++head) {
        checkpoint(g.neighbors(found[head]).size() + 1);
        for (const auto& entry : g.neighbors(found[head])) {
            if (!seen[entry.target]) {
                seen[entry.target] = true;
                found.push_back(entry.target);
            }
        }
    }
    found.erase(found.begin());
    return found;
}

// The nodes from which `source` is reachable by one edge or more, source
// itself excluded even on a cycle through it, in breadth-first order over
// incoming edges: a node's predecessors in index order. On an undirected
// graph, descendants(g, source).
// Errors: std::out_of_range when source is past the end.
// Cost: O(V + E) time (the part reached), O(V) memory, plus the graph's
// incoming lists when directed (O(V + E), made when the graph has none and
// kept until its next change).
template <class T, class W>
IndexPath ancestors(const GraphView<T, W>& g, NodeIndex source) {
    g.checkNode(source);
    if (!g.isDirected()) return descendants(g, source);
    const detail::IncomingLists& incoming = g.incoming();
    std::vector<bool> seen(g.nodeCount(), false);
    seen[source] = true;
    IndexPath found{source};
    detail::Checkpoint checkpoint;
    for (std::size_t head = 0; head < found.size(); ++head) {
        const Span<std::uint32_t> sources = incoming[found[head]];
        checkpoint(sources.size() + 1);
        for (const std::uint32_t v : sources) {
            if (!seen[v]) {
                seen[v] = true;
                found.push_back(v);
            }
        }
    }
    found.erase(found.begin());
    return found;
}

}  // namespace tarvel
