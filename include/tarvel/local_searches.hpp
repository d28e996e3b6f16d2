// Searches that read the part of a graph near their ends: the two-ended
// breadth-first search between two nodes, whose path is fixed by the order
// in which it grows its two sides (not the forward search's path, which bfs
// in shortest_paths.hpp returns), and the nodes within a number of edges of
// a node, in breadth-first order. Their working memory is O(V), but the
// time they take is the part of the graph they read.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "detail/adjacency_lists.hpp"
#include "interrupt.hpp"
#include "store.hpp"
#include "types.hpp"

namespace tarvel {

namespace detail {

template <class W>
std::uint32_t endOf(const AdjacencyEntry<W>& entry) noexcept {
    return entry.target;
}
inline std::uint32_t endOf(std::uint32_t node) noexcept { return node; }

// A node's mark on one side: the node one step nearer that side's end
// (the end itself holds itself), NoSide when the side has not reached it.
inline constexpr std::uint32_t NoSide = ~std::uint32_t{0};

// The search over `forward` (the lists leaving a node) and `backward` (the
// lists leading to a node, read from the goal side). Both give list(u).
template <class Forward, class Backward>
IndexPath twoEndedBfs(std::size_t n, NodeIndex start, NodeIndex goal, const Forward& forward,
                      const Backward& backward) {
    if (start == goal) return {start};
    std::vector<std::uint32_t> toStart(n, NoSide), toGoal(n, NoSide);
    toStart[start] = static_cast<std::uint32_t>(start);
    toGoal[goal] = static_cast<std::uint32_t>(goal);
    std::vector<std::uint32_t> startFringe{static_cast<std::uint32_t>(start)}, goalFringe{
        static_cast<std::uint32_t>(goal)};
    std::vector<std::uint32_t> level;
    std::uint32_t meet = NoSide;
    detail::Checkpoint checkpoint;
    // One level of one side: `mine` marks what this side holds, `other`
    // what the other side holds. Returns the meeting node, or NoSide.
    const auto grow = [&](const auto& lists, std::vector<std::uint32_t>& fringe, std::vector<std::uint32_t>& mine,
                          const std::vector<std::uint32_t>& other) {
        level.swap(fringe);
        fringe.clear();
        for (const std::uint32_t v : level) {
            const auto entries = lists[v];
            checkpoint(entries.size() + 1);
            for (const auto& entry : entries) {
                const std::uint32_t w = endOf(entry);
                if (mine[w] == NoSide) {
                    mine[w] = v;
                    fringe.push_back(w);
                }
                // A node this side held before is checked again: it ends
                // the search when the other side holds it too.
                if (other[w] != NoSide) return w;
            }
        }
        return NoSide;
    };
    while (meet == NoSide && !startFringe.empty() && !goalFringe.empty()) {
        // The start side grows while its fringe is no larger than the goal
        // side's, a whole level at a time.
        meet = startFringe.size() <= goalFringe.size() ? grow(forward, startFringe, toStart, toGoal)
                                                       : grow(backward, goalFringe, toGoal, toStart);
    }
    if (meet == NoSide) return {};
    IndexPath path;
    for (std::uint32_t u = meet;; u = toStart[u]) {
        path.push_back(u);
        if (u == start) break;
    }
    std::reverse(path.begin(), path.end());
    for (std::uint32_t u = meet; u != goal;) {
        u = toGoal[u];
        path.push_back(u);
    }
    return path;
}

// The graph's own lists, as the search reads them.
template <class View>
struct OwnLists {
    const View& g;
    auto operator[](std::uint32_t u) const noexcept { return g.neighbors(u); }
};

}  // namespace detail

// The shortest path from `start` to `goal` (fewest edges) that this
// two-ended breadth-first search finds: two sides, one from each end, each
// grown a whole level at a time; the start side grows while its fringe
// (the nodes its last level discovered) holds no more nodes than the goal
// side's, else the goal side grows. A side expands its fringe in the order
// the nodes were discovered, each node's list in its order: the start side
// over the graph's lists, the goal side over the lists leading to a node
// (`symmetric`, or an undirected graph: each node's own list; else the
// incoming lists, a node's sources in node-index order, a source once per
// edge). A newly discovered node records the node it came from. The search
// ends at the first neighbor read that the other side holds (also one this
// side held before); the path runs from the start along the recorded nodes
// to that meeting node, then on to the goal. Parallel edges and self-loops
// change nothing but how often a neighbor is read.
// Result: [start] when start == goal; {} when goal is unreachable (the
// search ends when either fringe runs empty).
// `symmetric`: the caller's promise that the graph holds both directions of
// every edge (a directed graph built from an undirected one); the path is
// then read over the lists as they are, else it may not be a path.
// Errors: std::out_of_range for an index past the end.
// Cost: O(V + E) time and O(V) memory at most, usually far less: the
// levels nearest the two ends; a directed graph's first such search (unless
// symmetric) makes the incoming lists, O(V + E) time, kept by the graph.
template <class T, class W>
IndexPath twoEndedBfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, bool symmetric = false) {
    g.checkNode(start);
    g.checkNode(goal);
    const detail::OwnLists<GraphView<T, W>> forward{g};
    if (symmetric || !g.isDirected()) return detail::twoEndedBfs(g.nodeCount(), start, goal, forward, forward);
    return detail::twoEndedBfs(g.nodeCount(), start, goal, forward, g.incoming());
}

// twoEndedBfs with the goal side reading `backward`'s lists instead: node k
// of backward stands for node k of g, and its list gives the nodes whose
// edges lead to k, in the order the goal side is to meet them (a graph of
// the predecessors in another order than the incoming lists').
// Errors: std::invalid_argument "the backward graph has N nodes, not M"
// first, then std::out_of_range for an index past the end.
// Cost: as twoEndedBfs; backward's lists are read as they are.
template <class T, class W, class T2, class W2>
IndexPath twoEndedBfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, const GraphView<T2, W2>& backward) {
    if (backward.nodeCount() != g.nodeCount()) {
        throw std::invalid_argument("the backward graph has " + std::to_string(backward.nodeCount()) +
                                    " nodes, not " + std::to_string(g.nodeCount()));
    }
    g.checkNode(start);
    g.checkNode(goal);
    return detail::twoEndedBfs(g.nodeCount(), start, goal, detail::OwnLists<GraphView<T, W>>{g},
                               detail::OwnLists<GraphView<T2, W2>>{backward});
}

// The nodes whose distance from `source` is at most `depth` edges, in the
// order a breadth-first search from source discovers them: source first,
// then level by level, each level's nodes expanded in their order over
// their lists in insertion order (a neighbor once, when first met; parallel
// edges and self-loops change nothing). depth 0 gives [source].
// Errors: std::out_of_range for a source past the end.
// Cost: the lists of the nodes within depth - 1 edges, plus O(V) memory
// (the marks of the nodes found, set to zero once).
template <class T, class W>
IndexPath nodesWithin(const GraphView<T, W>& g, NodeIndex source, std::size_t depth) {
    g.checkNode(source);
    std::vector<bool> seen(g.nodeCount(), false);
    IndexPath found{source};
    seen[source] = true;
    detail::Checkpoint checkpoint;
    // found[levelStart, levelEnd) is the level being expanded.
    for (std::size_t level = 0, levelStart = 0; level < depth && levelStart < found.size(); ++level) {
        const std::size_t levelEnd = found.size();
        for (std::size_t k = levelStart; k < levelEnd; ++k) {
            const auto entries = g.neighbors(found[k]);
            checkpoint(entries.size() + 1);
            for (const auto& entry : entries) {
                if (seen[entry.target]) continue;
                seen[entry.target] = true;
                found.push_back(entry.target);
            }
        }
        levelStart = levelEnd;
    }
    return found;
}

}  // namespace tarvel
