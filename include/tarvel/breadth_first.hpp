// Breadth-first searches: the one kernel the library's breadth-first loops
// run on, and what it offers by itself: the tree edges of a search (from
// one or several sources, along stored entries or against them, to a depth
// limit) and its layers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "detail/search_support.hpp"
#include "detail/undirected_lists.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// No depth limit: every reachable node.
inline constexpr std::size_t NoDepthLimit = std::numeric_limits<std::size_t>::max();

namespace detail {

// The lists a breadth-first search can follow, each read by eachTarget:
// a GraphView's stored entries, the incoming lists (the sources of the
// entries into a node) and the undirected reading of a directed graph.
template <class T, class W, class F>
void eachTarget(const GraphView<T, W>& g, NodeIndex u, F&& f) {
    for (const auto& entry : g.neighbors(u)) f(entry.target);
}

template <class F>
void eachTarget(const IncomingLists& lists, NodeIndex u, F&& f) {
    for (const std::uint32_t v : lists[u]) f(static_cast<NodeIndex>(v));
}

template <class T, class W, class F>
void eachTarget(const UndirectedNeighbors<T, W>& lists, NodeIndex u, F&& f) {
    lists.forEach(u, [&](NodeIndex v, const W&, bool) { f(v); });
}

// No per-level output.
struct NoLevels {
    void operator()(std::size_t, std::size_t, std::size_t) const noexcept {}
};

// The breadth-first kernel. `queue` holds the sources on entry from
// position `first` on (each already claimed; what comes before is left
// alone, so one array can hold the searches of a traversal one after the
// other); the search appends every node it reaches, so on return the queue
// from `first` on is the search order. Level by level: level(begin, end, depth)
// is told the queue positions of the nodes at `depth` hops once they are
// all known; nodes at depthLimit hops are queued but not expanded. Each
// queued node's targets are read in list order (eachTarget on `lists`);
// claim(v) says whether v is reached for the first time (and marks it), and
// then found(u, v) records the tree edge and says whether the search stops
// (a goal), which it does once u's targets are read.
// Returns whether found stopped it. Cost: O(V + E) time; the queue O(V).
// `g` serves the look-ahead: the lists of the nodes a few places further
// along the queue are fetched while the current one is read.
template <class T, class W, class Lists, class Claim, class Found, class Level = NoLevels>
bool breadthFirst(const GraphView<T, W>& g, const Lists& lists, std::vector<NodeIndex>& queue, std::size_t first,
                  std::size_t depthLimit, Claim&& claim, Found&& found, Level&& level = {}) {
    detail::Checkpoint checkpoint;
    std::size_t begin = first, depth = 0;
    bool stop = false;
    const auto reach = [&](NodeIndex u) {
        return [&, u](NodeIndex v) {
            if (claim(v)) {
                queue.push_back(v);
                if (found(u, v)) stop = true;
            }
        };
    };
    while (begin < queue.size()) {
        const std::size_t end = queue.size();
        level(begin, end, depth);
        if (depth == depthLimit) break;
        for (std::size_t head = begin; head < end; ++head) {
            const NodeIndex u = queue[head];
            prefetchAhead(g, queue.data(), head, queue.size());
            checkpoint(g.neighbors(u).size() + 1);
            eachTarget(lists, u, reach(u));
            if (stop) return true;
        }
        begin = end;
        ++depth;
    }
    return false;
}

// The sources of a search, checked and deduplicated (the first of each
// node kept), marked in `seen`.
template <class T, class W>
std::vector<NodeIndex> firstSources(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                                    std::vector<unsigned char>& seen) {
    for (const NodeIndex s : sources) g.checkNode(s);
    std::vector<NodeIndex> queue;
    queue.reserve(g.nodeCount());
    for (const NodeIndex s : sources) {
        if (!seen[s]) {
            seen[s] = 1;
            queue.push_back(s);
        }
    }
    return queue;
}

}  // namespace detail

// The edges of a breadth-first search tree from `sources` (the search
// starts with all of them at depth 0, in the order given; a repeated source
// counts once), each (u, v) as v is first reached, u the node whose list
// reached it: in the search's order, which takes the nodes level by level,
// in the order they were reached, and each node's entries in list order.
// Forward (reverse false) the lists are the stored entries (out-edges when
// directed); reverse, the sources of the entries into each node, in node
// order and within a node in its list's order (GraphView::incoming). Only
// nodes fewer than depthLimit hops away are expanded, so every edge ends at
// most depthLimit hops from the sources (0: no edges). A self-loop or a
// parallel edge never reaches a new node, so neither gives an edge; the
// result has one edge per reached node that is not a source.
// Errors: std::out_of_range for a source past the end (nothing searched).
// Cost: O(V + E) time (O(E) more, once, to make the incoming lists), O(V)
// memory; with a depth limit, the part of the graph within it.
template <class T, class W>
std::vector<std::pair<NodeIndex, NodeIndex>> breadthFirstEdges(const GraphView<T, W>& g,
                                                              const std::vector<NodeIndex>& sources,
                                                              std::size_t depthLimit = NoDepthLimit,
                                                              bool reverse = false) {
    std::vector<unsigned char> seen(g.nodeCount(), 0);
    std::vector<NodeIndex> queue = detail::firstSources(g, sources, seen);
    std::vector<std::pair<NodeIndex, NodeIndex>> edges;
    const auto claim = [&](NodeIndex v) { return seen[v] ? false : (seen[v] = 1, true); };
    const auto found = [&](NodeIndex u, NodeIndex v) {
        edges.emplace_back(u, v);
        return false;
    };
    if (reverse && g.isDirected()) {
        detail::breadthFirst(g, g.incoming(), queue, 0, depthLimit, claim, found);
    } else {
        detail::breadthFirst(g, g, queue, 0, depthLimit, claim, found);
    }
    return edges;
}

// The layers of a breadth-first search from `sources` along stored entries:
// layer d holds the nodes d hops from the nearest source, in the order the
// search reaches them (layer 0: the sources in the order given, a repeated
// one once; then level by level, each node's entries in list order, as in
// breadthFirstEdges). Every node the sources reach is in exactly one layer;
// no layer is empty. Parallel edges and self-loops add nothing. With a
// depth limit, the layers up to depthLimit hops only (0: the sources).
// Errors: std::out_of_range for a source past the end.
// Cost: O(V + E) time, O(V) memory; with a depth limit, the part of the
// graph within it.
template <class T, class W>
Groups breadthFirstLayers(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                          std::size_t depthLimit = NoDepthLimit) {
    std::vector<unsigned char> seen(g.nodeCount(), 0);
    Groups layers;
    layers.nodes = detail::firstSources(g, sources, seen);
    const auto claim = [&](NodeIndex v) { return seen[v] ? false : (seen[v] = 1, true); };
    detail::breadthFirst(
        g, g, layers.nodes, 0, depthLimit, claim, [](NodeIndex, NodeIndex) { return false; },
        [&](std::size_t, std::size_t end, std::size_t) { layers.offsets.push_back(end); });
    return layers;
}

}  // namespace tarvel
