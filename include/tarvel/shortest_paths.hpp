// Shortest paths between two nodes: breadth-first search, Dijkstra,
// uniform-cost search, A* and Bellman-Ford, and the dispatcher over them.
//
// Every search returns an IndexPath: start first, goal last, each step along
// a stored entry; empty when the goal cannot be reached. Distances are exact
// sums in Distance<W> (weights.hpp); among equally short paths each search
// returns the one its fixed tie order finds first.
//
// Dijkstra, uniform-cost search and A* accept negative weights. They stop on
// a reachable cycle of negative weight instead of running forever: every
// relaxation records how many edges the improved path has, and a path of
// nodeCount or more edges must repeat a node whose distance went down in
// between, that is, it runs around a negative cycle.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "detail/binary_heap.hpp"
#include "detail/describe.hpp"
#include "store.hpp"
#include "weights.hpp"

namespace tarvel {

namespace detail {

[[noreturn]] inline void negativeCycle() { throw std::runtime_error("Negative cycle detected"); }

// Follows `prev` from `goal` back to the node without predecessor.
inline IndexPath reconstruct(const std::vector<NodeIndex>& prev, NodeIndex goal) {
    if (prev[goal] == NoNode) return {};
    IndexPath path;
    for (NodeIndex node = goal; node != NoNode; node = prev[node]) {
        // A predecessor chain longer than the graph runs around a cycle,
        // which only a negative cycle through the start can create.
        if (path.size() == prev.size()) negativeCycle();
        path.push_back(node);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

inline void checkSearch(std::size_t nodeCount, NodeIndex start, NodeIndex goal) {
    if (start >= nodeCount || goal >= nodeCount) {
        throw std::out_of_range("node index out of range for a graph of " + std::to_string(nodeCount) + " nodes");
    }
}

// A*'s priority: the distance so far plus the heuristic's estimate. It only
// orders the heap, so it is the one place where a distance is rounded to a
// double; the distances themselves stay exact.
template <class D>
double priorityOf(D distance, double estimate) {
    return static_cast<double>(distance) + estimate;
}

}  // namespace detail

// Breadth-first search: the path with the fewest edges; among those, the
// chain of first discoverers (a node's predecessor is fixed when the node is
// queued, neighbors queued in adjacency order). Weights play no part.
// Errors: std::out_of_range for an index past the end.
// Cost: O(V + E) time, O(V) memory; stops when the goal is queued.
template <class T, class W>
IndexPath bfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    const std::size_t n = g.nodeCount();
    detail::checkSearch(n, start, goal);
    if (start == goal) return {start};
    std::vector<NodeIndex> prev(n, NoNode);
    std::vector<bool> visited(n, false);
    std::vector<NodeIndex> queue{start};
    visited[start] = true;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const NodeIndex u = queue[head];
        for (const auto& entry : g.neighbors(u)) {
            const NodeIndex v = entry.target;
            if (visited[v]) continue;
            visited[v] = true;
            prev[v] = u;
            if (v == goal) return detail::reconstruct(prev, goal);
            queue.push_back(v);
        }
    }
    return {};
}

// Dijkstra's search with a lazy binary heap, no goal test: every node the
// start reaches is settled. The heap gives the smallest distance first and,
// among equal distances, the greatest node index; a node's predecessor is
// the first that reached its final distance (strict improvement only).
// Errors: std::out_of_range for an index past the end; std::runtime_error
// "Negative cycle detected" for a reachable cycle of negative weight;
// std::overflow_error when a path weight leaves the 64-bit range (wide
// integer weights only).
// Cost: O(E log E) time without negative weights, O(V + E) memory.
template <class T, class W>
IndexPath dijkstra(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    using D = Distance<W>;
    struct Entry {
        D distance;
        NodeIndex node;
    };
    const auto less = [](const Entry& a, const Entry& b) {
        return a.distance != b.distance ? a.distance > b.distance : a.node < b.node;
    };
    const std::size_t n = g.nodeCount();
    detail::checkSearch(n, start, goal);
    std::vector<D> dist(n, Unreached<W>);
    std::vector<NodeIndex> prev(n, NoNode);
    std::vector<std::size_t> hops(n, 0);
    std::vector<Entry> heap{{D{0}, start}};
    dist[start] = D{0};
    while (!heap.empty()) {
        detail::popHeap(heap, less);
        const Entry top = heap.back();
        heap.pop_back();
        if (top.distance > dist[top.node]) continue;  // stale entry
        for (const auto& entry : g.neighbors(top.node)) {
            const NodeIndex v = entry.target;
            const D nd = detail::extend<W>(top.distance, entry.weight);
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = top.node;
                hops[v] = hops[top.node] + 1;
                if (hops[v] >= n) detail::negativeCycle();
                heap.push_back({nd, v});
                detail::pushHeap(heap, less);
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// Uniform-cost search: a heap giving the smallest distance first and, among
// equal distances, the smallest node index; the search ends when the goal
// leaves the heap. Each entry is expanded from its own distance. An entry
// whose distance is no longer its node's is skipped: the entry with the
// node's current, smaller distance left the heap before it and was expanded
// from that distance, so expanding the old one could improve nothing (with
// negative weights too).
// Errors: as dijkstra. Cost: O(E log E) time without negative weights.
template <class T, class W>
IndexPath uniformCostSearch(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    using D = Distance<W>;
    struct Entry {
        D distance;
        std::uint32_t node;
    };
    const auto less = [](const Entry& a, const Entry& b) {
        return a.distance != b.distance ? a.distance > b.distance : a.node > b.node;
    };
    const std::size_t n = g.nodeCount();
    detail::checkSearch(n, start, goal);
    std::vector<D> dist(n, Unreached<W>);
    std::vector<NodeIndex> prev(n, NoNode);
    std::vector<std::uint32_t> hops(n, 0);  // edges on the path that set dist
    std::vector<Entry> heap{{D{0}, static_cast<std::uint32_t>(start)}};
    dist[start] = D{0};
    while (!heap.empty()) {
        detail::popHeap(heap, less);
        const Entry top = heap.back();
        heap.pop_back();
        if (top.node == goal) break;
        if (top.distance > dist[top.node]) continue;  // stale entry
        const std::uint32_t baseHops = hops[top.node];  // a self-loop may change it below
        for (const auto& entry : g.neighbors(top.node)) {
            const NodeIndex v = entry.target;
            const D nd = detail::extend<W>(top.distance, entry.weight);
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = top.node;
                hops[v] = baseHops + 1;
                if (hops[v] >= n) detail::negativeCycle();
                heap.push_back({nd, entry.target});
                detail::pushHeap(heap, less);
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// A*: the heap orders entries by priority (distance + heuristic estimate,
// a double), smallest first, and among equal priorities the greatest node
// index, as Dijkstra's does. `heuristic(u, v)` (node indices, returning a
// double) is called once per strict improvement of v's distance while u is
// expanded, in adjacency order, never for the start.
// Expansion rule: each entry carries the exact distance it was pushed with
// and is expanded only while that is still the node's distance; relaxation
// starts from it. With a heuristic of 0 everywhere the heap holds Dijkstra's
// entries, so the path is Dijkstra's; there is no goal test, so every
// improvement is propagated and the distances are exact for any heuristic.
// Errors: as dijkstra; std::invalid_argument naming both nodes when the
// heuristic returns NaN; std::runtime_error "the graph was changed while it
// was being searched" when the heuristic changed the graph; whatever the
// heuristic throws passes through.
// Cost: O(E log E) time without negative weights, plus the heuristic calls.
template <class T, class W, class Heuristic>
IndexPath aStar(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, Heuristic&& heuristic) {
    using D = Distance<W>;
    // An entry is current while its push is its node's latest: every push
    // strictly lowers the node's distance, so this is the test "the entry's
    // distance is the node's distance" without keeping the distance in it.
    struct Entry {
        double priority;
        std::uint32_t node;
        std::uint32_t push;
    };
    const auto less = [](const Entry& a, const Entry& b) {
        return a.priority != b.priority ? a.priority > b.priority : a.node < b.node;
    };
    const std::size_t n = g.nodeCount();
    detail::checkSearch(n, start, goal);
    const std::uint64_t revisionAtStart = g.revision();
    std::vector<D> dist(n, Unreached<W>);
    std::vector<NodeIndex> prev(n, NoNode);
    std::vector<std::uint32_t> hops(n, 0);    // edges on the path that set dist
    std::vector<std::uint32_t> pushes(n, 0);  // entries pushed per node
    std::vector<Entry> heap{{0.0, static_cast<std::uint32_t>(start), 0}};
    dist[start] = D{0};
    while (!heap.empty()) {
        detail::popHeap(heap, less);
        const Entry top = heap.back();
        heap.pop_back();
        const NodeIndex u = top.node;
        if (top.push != pushes[u]) continue;  // stale entry
        const D base = dist[u];  // both may change below, through a self-loop
        const std::uint32_t baseHops = hops[u];
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const NodeIndex v = entries[k].target;
            const D nd = detail::extend<W>(base, entries[k].weight);
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = u;
                hops[v] = baseHops + 1;
                if (hops[v] >= n) detail::negativeCycle();
                const double h = heuristic(u, v);
                // The heuristic may have run arbitrary code: the lists being
                // walked must still be the ones this search started on.
                if (g.revision() != revisionAtStart) {
                    throw std::runtime_error("the graph was changed while it was being searched");
                }
                if (std::isnan(h)) {
                    throw std::invalid_argument("the heuristic returned NaN for " + detail::describe(g.name(u)) +
                                                " and " + detail::describe(g.name(v)));
                }
                heap.push_back({detail::priorityOf(nd, h), static_cast<std::uint32_t>(v), ++pushes[v]});
                detail::pushHeap(heap, less);
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// Bellman-Ford: passes over every entry in node and adjacency order, using
// improvements of the same pass at once, until a pass changes nothing (at
// most V - 1 passes); then one more pass looks for an improvement, which
// only a reachable negative cycle allows. A node's predecessor is the first
// that reached its final distance.
// Errors: std::out_of_range for an index past the end; std::runtime_error
// "Negative cycle detected" for a cycle of negative weight reachable from
// the start (every undirected negative edge is one); std::overflow_error
// when a distance leaves the 64-bit range (64-bit weights only: for
// narrower weights that can only happen around a negative cycle).
// Cost: O(V × E) time, O(V) memory.
template <class T, class W>
IndexPath bellmanFord(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    using D = Distance<W>;
    const std::size_t n = g.nodeCount();
    detail::checkSearch(n, start, goal);
    std::vector<D> dist(n, Unreached<W>);
    std::vector<NodeIndex> prev(n, NoNode);
    dist[start] = D{0};
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
    for (std::size_t pass = 1; pass < n && changed; ++pass) {
        changed = false;
        for (NodeIndex i = 0; i < n; ++i) {
            if (dist[i] == Unreached<W>) continue;  // cannot improve anything
            for (const auto& entry : g.neighbors(i)) {
                const D nd = sum(dist[i], entry.weight);
                if (dist[entry.target] > nd) {
                    dist[entry.target] = nd;
                    prev[entry.target] = i;
                    changed = true;
                }
            }
        }
    }
    if (changed) {
        for (NodeIndex i = 0; i < n; ++i) {
            if (dist[i] == Unreached<W>) continue;
            for (const auto& entry : g.neighbors(i)) {
                if (dist[entry.target] > sum(dist[i], entry.weight)) detail::negativeCycle();
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// The search selected by `method`; `heuristic(u, v)` is used by A_STAR only
// (nullptr stands for no heuristic: A_STAR then throws std::bad_function_call
// when it would call it, as an empty std::function does).
// Equal indices give [start] (for every method, the heuristic uncalled).
// Errors: std::runtime_error "wrong method name!!" for a value that is no
// member of ShortestPathAlgo (checked before the indices when they differ);
// std::out_of_range for an index past the end; then the search's own.
// Cost: the selected search's.
template <class T, class W, class Heuristic>
IndexPath shortestPath(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, ShortestPathAlgo method,
                       Heuristic&& heuristic) {
    if (start == goal) {
        g.checkNode(start);
        return {start};
    }
    switch (method) {
        case ShortestPathAlgo::BFS:
            return bfs(g, start, goal);
        case ShortestPathAlgo::DIJKSTRA:
            return dijkstra(g, start, goal);
        case ShortestPathAlgo::A_STAR:
            if constexpr (std::is_null_pointer_v<std::decay_t<Heuristic>>) {
                return aStar(g, start, goal, [](NodeIndex, NodeIndex) -> double { throw std::bad_function_call(); });
            } else {
                return aStar(g, start, goal, heuristic);
            }
        case ShortestPathAlgo::UNIFORM_COST_SEARCH:
            return uniformCostSearch(g, start, goal);
        case ShortestPathAlgo::BELLMAN_FORD:
            return bellmanFord(g, start, goal);
    }
    throw std::runtime_error("wrong method name!!");
}

}  // namespace tarvel
