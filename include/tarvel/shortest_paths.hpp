// Shortest paths: the shortestPath front end and its five searches.
//
// Dijkstra, uniform-cost search and A* accept negative edge weights. They
// stop on a reachable cycle of negative weight instead of running forever:
// every relaxation records how many edges the improved node's path has, and a
// path of nodeCount or more edges must repeat a node whose distance went down
// in between, that is, it runs around a negative cycle.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "graph.hpp"

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

// Heap entry of uniform-cost search and A*: the ordering pair (key, node)
// plus what the entry's path was when it was pushed.
struct SearchEntry {
    double key;
    NodeIndex node;
    double distance;
    std::size_t hops;
};

}  // namespace detail

template <class T, class W>
typename Graph<T, W>::NameList Graph<T, W>::shortestPath(T start, T goal, ShortestPathAlgo method,
                                                         Heuristic heuristic) const {
    if (start == goal) return {start};
    switch (method) {
        case ShortestPathAlgo::BFS:
        case ShortestPathAlgo::DIJKSTRA:
        case ShortestPathAlgo::A_STAR:
        case ShortestPathAlgo::UNIFORM_COST_SEARCH:
        case ShortestPathAlgo::BELLMAN_FORD:
            break;
        default:
            throw std::runtime_error("wrong method name!!");
    }
    const NodeIndex to = indexOf(goal);
    const NodeIndex from = indexOf(start);
    switch (method) {
        case ShortestPathAlgo::BFS:
            return indicesToNames(bfs(from, to));
        case ShortestPathAlgo::DIJKSTRA:
            return indicesToNames(dijkstra(from, to));
        case ShortestPathAlgo::A_STAR:
            return indicesToNames(aStar(from, to, std::move(heuristic)));
        case ShortestPathAlgo::UNIFORM_COST_SEARCH:
            return indicesToNames(uniformCostSearch(from, to));
        case ShortestPathAlgo::BELLMAN_FORD:
            return indicesToNames(bellmanFord(from, to));
    }
    throw std::runtime_error("wrong method name!!");
}

// Breadth-first search. Each node's predecessor is fixed when the node is
// queued, so the path to a node is its predecessor's path plus the node: the
// same path a queue of copied paths would carry. The path to the goal is
// complete as soon as the goal is queued.
template <class T, class W>
IndexPath Graph<T, W>::bfs(NodeIndex start, NodeIndex goal) const {
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    std::vector<bool> visited(nodeCount, false);
    std::vector<NodeIndex> queue{start};
    visited[start] = true;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const NodeIndex u = queue[head];
        for (const auto& entry : adjacency[u]) {
            const NodeIndex v = entry.first;
            if (visited[v]) continue;
            visited[v] = true;
            prev[v] = u;
            if (v == goal) return detail::reconstruct(prev, goal);
            queue.push_back(v);
        }
    }
    return {};
}

// Heap of (-distance, node): the greatest pair is on top, so the smallest
// distance, and among equal distances the greatest index, comes first.
template <class T, class W>
IndexPath Graph<T, W>::dijkstra(NodeIndex start, NodeIndex goal) const {
    std::vector<double> dist(nodeCount, kUnreached);
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    std::vector<std::size_t> hops(nodeCount, 0);
    std::vector<std::pair<double, NodeIndex>> heap{{0.0, start}};
    dist[start] = 0.0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end());
        const double d = -heap.back().first;
        const NodeIndex u = heap.back().second;
        heap.pop_back();
        if (d > dist[u]) continue;  // stale entry
        for (const auto& entry : adjacency[u]) {
            const NodeIndex v = entry.first;
            const double nd = d + entry.second;
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = u;
                hops[v] = hops[u] + 1;
                if (hops[v] >= nodeCount) detail::negativeCycle();
                heap.emplace_back(-nd, v);
                std::push_heap(heap.begin(), heap.end());
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// Heap of (distance, node) with the smallest pair on top. No stale-entry
// test: a node is expanded once per heap entry, from that entry's distance;
// the search ends when the goal comes off the heap.
template <class T, class W>
IndexPath Graph<T, W>::uniformCostSearch(NodeIndex start, NodeIndex goal) const {
    const auto after = [](const detail::SearchEntry& a, const detail::SearchEntry& b) {
        return a.key != b.key ? a.key > b.key : a.node > b.node;
    };
    std::vector<double> dist(nodeCount, kUnreached);
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    std::vector<detail::SearchEntry> heap{{0.0, start, 0.0, 0}};
    dist[start] = 0.0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), after);
        const detail::SearchEntry top = heap.back();
        heap.pop_back();
        if (top.node == goal) break;
        for (const auto& entry : adjacency[top.node]) {
            const NodeIndex v = entry.first;
            const double nd = top.key + entry.second;
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = top.node;
                if (top.hops + 1 >= nodeCount) detail::negativeCycle();
                heap.push_back({nd, v, nd, top.hops + 1});
                std::push_heap(heap.begin(), heap.end(), after);
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// A*. The heap orders (-(h + distance), node) like Dijkstra's heap, and each
// entry also carries the distance it was pushed with.
// Expansion rule: an entry is expanded only while its distance is still the
// node's best (entry distance <= dist[node]); otherwise it is stale and
// skipped. Relaxation base: the entry's distance, i.e. dist[node].
// With h = 0 everywhere the heap holds exactly Dijkstra's pairs and the rule
// is Dijkstra's stale test, so both return the same path. As there is no goal
// test, every improvement is propagated and the final distances are exact
// for any heuristic; a consistent one merely orders the work.
template <class T, class W>
IndexPath Graph<T, W>::aStar(NodeIndex start, NodeIndex goal, Heuristic heuristic) const {
    const auto before = [](const detail::SearchEntry& a, const detail::SearchEntry& b) {
        return a.key != b.key ? a.key < b.key : a.node < b.node;
    };
    const std::uint64_t revisionAtStart = changes;
    std::vector<double> dist(nodeCount, kUnreached);
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    std::vector<detail::SearchEntry> heap{{0.0, start, 0.0, 0}};
    dist[start] = 0.0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), before);
        const detail::SearchEntry top = heap.back();
        heap.pop_back();
        const NodeIndex u = top.node;
        if (top.distance > dist[u]) continue;  // stale entry
        const auto& entries = adjacency[u];
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const NodeIndex v = entries[k].first;
            const double nd = top.distance + entries[k].second;
            if (dist[v] > nd) {
                dist[v] = nd;
                prev[v] = u;
                if (top.hops + 1 >= nodeCount) detail::negativeCycle();
                const double h = heuristic(indexNode[u], indexNode[v]);
                // The heuristic may have run arbitrary code: make sure the
                // lists being walked are still the ones this search started on.
                checkUnchanged(revisionAtStart);
                heap.push_back({-(h + nd), v, nd, top.hops + 1});
                std::push_heap(heap.begin(), heap.end(), before);
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

// Bellman-Ford. Passes relax every entry in node and adjacency order, using
// improvements of the same pass at once. A pass that changes nothing leaves
// every later pass unchanged too, so the passes stop there; nodes not reached
// yet cannot improve anything and are skipped.
template <class T, class W>
IndexPath Graph<T, W>::bellmanFord(NodeIndex start, NodeIndex goal) const {
    std::vector<double> dist(nodeCount, kUnreached);
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    dist[start] = 0.0;
    bool changed = true;
    for (std::size_t pass = 1; pass < nodeCount && changed; ++pass) {
        changed = false;
        for (NodeIndex i = 0; i < nodeCount; ++i) {
            if (dist[i] == kUnreached) continue;
            for (const auto& entry : adjacency[i]) {
                const double nd = dist[i] + entry.second;
                if (dist[entry.first] > nd) {
                    dist[entry.first] = nd;
                    prev[entry.first] = i;
                    changed = true;
                }
            }
        }
    }
    if (changed) {
        for (NodeIndex i = 0; i < nodeCount; ++i) {
            if (dist[i] == kUnreached) continue;
            for (const auto& entry : adjacency[i]) {
                if (dist[entry.first] > dist[i] + entry.second) detail::negativeCycle();
            }
        }
    }
    return detail::reconstruct(prev, goal);
}

}  // namespace tarvel
