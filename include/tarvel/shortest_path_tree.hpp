// Shortest paths from one source to every node: breadth-first search,
// Dijkstra and Bellman-Ford run once, to the end, and the path of every node
// read off the predecessors they record.
//
// The searches between two nodes (shortest_paths.hpp) give, for every goal,
// the path that the tree of the same method gives: Dijkstra and Bellman-Ford
// there are these searches followed by a walk back from the goal, and the
// two-node breadth-first search finds the chain of first discoverers that
// the tree records. No search here depends on a goal, and none stops early,
// so a reachable negative cycle is reported whatever node is asked about
// (except one whose nodes a float search reaches only at an infinite
// distance, which improves nothing: shortest_paths.hpp). A float sum that
// overflows still reaches its node, at distance +infinity.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "detail/best_first.hpp"
#include "detail/search_support.hpp"
#include "interrupt.hpp"
#include "method_checks.hpp"
#include "store.hpp"
#include "types.hpp"
#include "weights.hpp"

namespace tarvel {

// What a search from one source found, one entry per node index.
// distance: the length of the node's path (edges for breadth-first search,
// the exact weight in Distance<W> for the weighted searches: for float
// weights the IEEE sum, +infinity where it overflows), 0 for the source,
// Unreached<W> for a node the source does not reach.
// predecessor: the node before it on its path; NoNode for the source and
// for the nodes not reached. Following predecessors from any reached node
// ends at the source.
// reaches(node): whether the source reaches the node; told by the
// predecessor, since a float path's length may equal Unreached<W>
// (+infinity), or, for a source, by its distance, which is never
// Unreached<W>. O(1).
// A search from several sources (multiSourceDijkstraTree) makes one too,
// `source` then NoNode: each source has distance 0 and no predecessor.
template <class W>
struct ShortestPathTree {
    std::vector<Distance<W>> distance;
    std::vector<NodeIndex> predecessor;
    NodeIndex source = NoNode;

    bool reaches(NodeIndex node) const noexcept {
        return predecessor[node] != NoNode || distance[node] != Unreached<W>;
    }
};

// Breadth-first search from `source` to the end: a node's predecessor is the
// node that first queued it, neighbors queued in adjacency order, so the
// path of every node is the path bfs(g, source, node) returns. Weights play
// no part: distances count edges. Its own loop, not the breadth-first
// kernel's (breadth_first.hpp): on the kernel it measured about 1.5 times
// slower from one node of an undirected G(200000, 1000000).
// Errors: std::out_of_range for a source past the end.
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
ShortestPathTree<W> bfsTree(const GraphView<T, W>& g, NodeIndex source) {
    g.checkNode(source);
    const std::size_t n = g.nodeCount();
    ShortestPathTree<W> tree{std::vector<Distance<W>>(n, Unreached<W>), std::vector<NodeIndex>(n, NoNode), source};
    tree.distance[source] = Distance<W>{0};
    std::vector<NodeIndex> queue{source};
    queue.reserve(n);
    detail::Checkpoint checkpoint;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const NodeIndex u = queue[head];
        detail::prefetchAhead(g, queue, head);
        checkpoint(g.neighbors(u).size() + 1);
        const Distance<W> next = tree.distance[u] + Distance<W>{1};
        for (const auto& entry : g.neighbors(u)) {
            const NodeIndex v = entry.target;
            if (tree.distance[v] != Unreached<W>) continue;
            tree.distance[v] = next;
            tree.predecessor[v] = u;
            queue.push_back(v);
        }
    }
    return tree;
}

// Dijkstra's search from `source`, settling every node the source reaches.
// The queue gives the smallest distance first and, among equal distances,
// the greatest node index; a node's predecessor is the first that reached
// its final distance (strict improvement only). Negative weights are
// accepted: every relaxation records how many edges the improved path has,
// and a path of V or more edges must run around a negative cycle.
// Errors: std::out_of_range for a source past the end; std::runtime_error
// "Negative cycle detected" for a cycle of negative weight reachable from
// the source (an undirected negative edge is one; so is a negative
// self-loop, the source's included); std::overflow_error when a path weight
// leaves the 64-bit range (wide integer weights only).
// Cost: O(E log V) time without negative weights, O(V) memory.
template <class T, class W>
ShortestPathTree<W> dijkstraTree(const GraphView<T, W>& g, NodeIndex source) {
    g.checkNode(source);
    detail::SearchState<W> state(g.nodeCount());
    detail::DistanceKeys<W> keys;  // no goal: every reachable node is settled
    detail::bestFirstSearch(g, source, state, detail::GreaterNodeFirst{}, keys);
    return ShortestPathTree<W>{std::move(state.dist), std::move(state.prev), source};
}

namespace detail {

// Dijkstra's keys, the search ended by a goal or by the first node taken
// out farther than a bound.
template <class W>
struct BoundedDistanceKeys : DistanceKeys<W> {
    const std::vector<Distance<W>>* dist = nullptr;
    bool bounded = false;
    Distance<W> bound{};

    bool stopsAt(NodeIndex node) const noexcept { return node == this->goal || (bounded && (*dist)[node] > bound); }
};

// The greatest distance of type D at most `cutoff`, exactly (an integral
// distance compares with a fractional cutoff as with its floor); nullopt
// when every distance is within it.
template <class D>
std::optional<D> boundOf(double cutoff) {
    if constexpr (std::is_floating_point_v<D>) {
        return static_cast<D>(cutoff);
    } else {
        // 2^63 and up: every 64-bit distance is within; below -2^63: none.
        if (!(cutoff < 9223372036854775808.0)) return std::nullopt;
        if (cutoff < -9223372036854775808.0) return std::numeric_limits<D>::min();
        return static_cast<D>(std::floor(cutoff));
    }
}

}  // namespace detail

// Dijkstra's search from every node of `sources` at once, each at distance
// 0 (a source given twice counts once): as dijkstraTree from a node that
// leads to each source by an edge of weight 0. The queue gives the smallest
// distance first and, among equal distances, the greatest node index; a
// node's predecessor is the first that reached its final distance (strict
// improvement only); a source keeps no predecessor unless a negative edge
// improves it. The tree's `source` is NoNode.
// goal (NoNode for none): the search stops when goal leaves the queue, so
// goal's distance and path are final and no other node's need be.
// cutoff: the search stops at the first node farther than cutoff, and the
// tree then holds the sources and the nodes within cutoff only (an integral
// distance compared with a fractional cutoff exactly; a NaN cutoff bounds
// nothing, as no distance compares greater).
// Errors: std::out_of_range for a source or goal past the end; as
// dijkstraTree otherwise ("Negative cycle detected" for a negative cycle
// the search reaches before it stops).
// Cost: O(E log V) time over the part of the graph searched, O(V) memory.
template <class T, class W>
ShortestPathTree<W> multiSourceDijkstraTree(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                                            NodeIndex goal = NoNode, std::optional<double> cutoff = std::nullopt) {
    using D = Distance<W>;
    for (const NodeIndex s : sources) g.checkNode(s);
    if (goal != NoNode) g.checkNode(goal);
    detail::SearchState<W> state(g.nodeCount());
    detail::BoundedDistanceKeys<W> keys;
    keys.goal = goal;
    keys.dist = &state.dist;
    if (cutoff) {
        const std::optional<D> bound = detail::boundOf<D>(*cutoff);
        keys.bounded = bound.has_value();
        if (bound) keys.bound = *bound;
    }
    detail::bestFirstSearchFrom(g, sources, state, detail::GreaterNodeFirst{}, keys);
    if (keys.bounded) {
        // The sources stay, whatever the cutoff (they are at distance 0
        // without a predecessor); the nodes beyond it go.
        for (NodeIndex node = 0; node < g.nodeCount(); ++node) {
            const bool isSource = state.prev[node] == NoNode && state.dist[node] == D{0};
            if (state.dist[node] > keys.bound && !isSource) {
                state.dist[node] = Unreached<W>;
                state.prev[node] = NoNode;
            }
        }
    }
    return ShortestPathTree<W>{std::move(state.dist), std::move(state.prev), NoNode};
}

// Bellman-Ford from `source`: passes over every entry in node and adjacency
// order, using improvements of the same pass at once, until a pass changes
// nothing (at most V - 1 passes); then one more pass looks for an
// improvement, which only a reachable negative cycle allows. A node's
// predecessor is the first that reached its final distance.
// Errors: std::out_of_range for a source past the end; std::runtime_error
// "Negative cycle detected" for a cycle of negative weight reachable from
// the source (every undirected negative edge is one);
// std::overflow_error when a distance leaves the 64-bit range (64-bit
// weights only: for narrower weights that can only happen around a negative
// cycle).
// Cost: O(V × E) time, O(V) memory.
template <class T, class W>
ShortestPathTree<W> bellmanFordTree(const GraphView<T, W>& g, NodeIndex source) {
    using D = Distance<W>;
    g.checkNode(source);
    const std::size_t n = g.nodeCount();
    ShortestPathTree<W> tree{std::vector<D>(n, Unreached<W>), std::vector<NodeIndex>(n, NoNode), source};
    std::vector<D>& dist = tree.distance;
    dist[source] = D{0};
    // Distances that leave the 64-bit range: for weights of 32 bits or less
    // a simple path cannot get there, so a walk that does repeats a
    // negative cycle.
    const auto sum = [](D base, W weight) {
        D result;
        if (!detail::extendChecked<W>(base, weight, result)) {
            if constexpr (WeightTraits<W>::mayOverflow) detail::distanceOverflow();
            detail::negativeCycle();
        }
        return result;
    };
    bool changed = true;
    detail::Checkpoint checkpoint;
    for (std::size_t pass = 1; pass < n && changed; ++pass) {
        changed = false;
        for (NodeIndex i = 0; i < n; ++i) {
            checkpoint(g.neighbors(i).size() + 1);
            // An unreached node cannot improve anything (its predecessor is
            // read only when the distance leaves the question open).
            if (dist[i] == Unreached<W> && !tree.reaches(i)) continue;
            for (const auto& entry : g.neighbors(i)) {
                const D nd = sum(dist[i], entry.weight);
                if (detail::improves<W>(dist[entry.target], nd, [&] { return tree.reaches(entry.target); })) {
                    dist[entry.target] = nd;
                    tree.predecessor[entry.target] = i;
                    changed = true;
                }
            }
        }
    }
    if (changed) {
        for (NodeIndex i = 0; i < n; ++i) {
            if (dist[i] == Unreached<W> && !tree.reaches(i)) continue;
            for (const auto& entry : g.neighbors(i)) {
                // Every node reached by now: a strict improvement is the test.
                if (dist[entry.target] > sum(dist[i], entry.weight)) detail::negativeCycle();
            }
        }
    }
    return tree;
}

// Returns when `method` can search from one source: BFS, DIJKSTRA or
// BELLMAN_FORD. UNIFORM_COST_SEARCH stops at its goal and A_STAR's
// heuristic estimates the distance to a goal, so neither has a meaning
// without one.
// Errors: checkMethod's std::runtime_error for a value that is no member
// (checked first); std::invalid_argument "searches from one source take
// BFS, DIJKSTRA or BELLMAN_FORD, not M" for M = UNIFORM_COST_SEARCH or
// A_STAR. Cost: O(1).
inline void checkSourceMethod(ShortestPathAlgo method) {
    checkMethod(method);
    const char* refused = method == ShortestPathAlgo::UNIFORM_COST_SEARCH ? "UNIFORM_COST_SEARCH"
                          : method == ShortestPathAlgo::A_STAR            ? "A_STAR"
                                                                          : nullptr;
    if (refused != nullptr) {
        throw std::invalid_argument(std::string("searches from one source take BFS, DIJKSTRA or BELLMAN_FORD, not ") +
                                    refused);
    }
}

// The tree of the search selected by `method`: bfsTree, dijkstraTree or
// bellmanFordTree. For every node t other than the source, pathTo(tree, t)
// equals shortestPath(g, source, t, method, nullptr), and the tree's
// distance is that path's pathWeight (its edge count for BFS); for a source
// that is a node, the call throws exactly when shortestPath throws for such
// a t, with the same exception ("Negative cycle detected" for every t alike).
// shortestPath(g, source, source, ...) returns {source} without searching,
// so it is the one call that does not report a negative cycle through the
// source.
// Errors: checkSourceMethod's (checked before the source); then the search's
// own.
// Cost: the selected search's.
template <class T, class W>
ShortestPathTree<W> shortestPathTree(const GraphView<T, W>& g, NodeIndex source,
                                     ShortestPathAlgo method = ShortestPathAlgo::DIJKSTRA) {
    checkSourceMethod(method);
    if (method == ShortestPathAlgo::BFS) return bfsTree(g, source);
    if (method == ShortestPathAlgo::DIJKSTRA) return dijkstraTree(g, source);
    return bellmanFordTree(g, source);
}

// The path of `target` in a tree made by the functions above: the source
// first, `target` last; {source} for the source itself; empty for a node the
// source does not reach.
// Errors: std::out_of_range for a target past the end of the tree.
// Cost: O(length of the path).
template <class W>
IndexPath pathTo(const ShortestPathTree<W>& tree, NodeIndex target) {
    if (target >= tree.predecessor.size()) {
        throw std::out_of_range("node index " + std::to_string(target) + " is out of range for a tree of " +
                                std::to_string(tree.predecessor.size()) + " nodes");
    }
    IndexPath path;
    if (!tree.reaches(target)) return path;
    for (NodeIndex node = target; node != NoNode; node = tree.predecessor[node]) path.push_back(node);
    std::reverse(path.begin(), path.end());
    return path;
}

// The path of every node of a tree made by the functions above: group k is
// pathTo(tree, k), so groups are in node order, the source's is {source},
// and an unreached node's is empty.
// Cost: O(V + the sum of the path lengths) time and memory, up to O(V²).
template <class W>
Groups allPaths(const ShortestPathTree<W>& tree) {
    const std::size_t n = tree.predecessor.size();
    Groups paths;
    paths.offsets.reserve(n + 1);
    detail::Checkpoint checkpoint;
    for (NodeIndex target = 0; target < n; ++target) {
        const std::size_t first = paths.nodes.size();
        if (tree.reaches(target)) {
            for (NodeIndex node = target; node != NoNode; node = tree.predecessor[node]) paths.nodes.push_back(node);
            std::reverse(paths.nodes.begin() + static_cast<std::ptrdiff_t>(first), paths.nodes.end());
        }
        checkpoint(paths.nodes.size() - first + 1);
        paths.offsets.push_back(paths.nodes.size());
    }
    return paths;
}

}  // namespace tarvel
