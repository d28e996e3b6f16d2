// The one best-first search behind Dijkstra's search, uniform-cost search
// and A*: a queue of nodes by key, each node taken out expanded over its
// list, every strict improvement of a neighbor's distance recorded and the
// neighbor queued with its key (the first path to a node is an improvement
// even when its float sum overflowed to +infinity: detail::improves). What the three differ in is a policy:
//
// - the key of an improved node (its distance, or the distance plus the
//   heuristic's estimate) and whether making it runs the caller's code (the
//   heuristic): then an expansion first records its improvements and makes
//   their keys after, so that no list is read while that code runs;
// - the order among equal keys (the greater node index first, or the
//   smaller): the `before` of the queue;
// - the goal test: whether the search ends when a given node leaves the
//   queue, before it is expanded.
//
// The queue keeps one entry per node (detail/indexed_heap.hpp): improving
// a queued node changes its key, so no entry goes stale and a node always
// leaves with its latest key and is expanded from its current distance.
// A node may be queued again after it left, when a negative weight improves
// it. Every improvement records how many edges the improved path has: a
// path of V or more edges runs around a negative cycle, which ends the
// search with "Negative cycle detected" (after the keys of the improvements
// before it are made).
#pragma once

#include <cstdint>
#include <vector>

#include "../interrupt.hpp"
#include "../store.hpp"
#include "../types.hpp"
#include "../weights.hpp"
#include "builtins.hpp"
#include "indexed_heap.hpp"
#include "search_support.hpp"

namespace tarvel::detail {

// What a best-first search records per node: the distance (Unreached<W>
// for a node not reached), the predecessor (NoNode for none: the start and
// the nodes not reached, which is how they are told apart, as a float path
// may weigh Unreached<W> too) and the number of edges of the path that set
// the distance.
template <class W>
struct SearchState {
    explicit SearchState(std::size_t n) : dist(n, Unreached<W>), prev(n, NoNode), hops(n, 0) {}

    std::vector<Distance<W>> dist;
    std::vector<NodeIndex> prev;
    std::vector<std::uint32_t> hops;
};

// An improvement waiting for its key.
template <class D>
struct Improvement {
    std::uint32_t node;
    D distance;
};

// Keys that are the distances themselves; `goal` (NoNode for none) ends
// the search when it leaves the queue.
template <class W>
struct DistanceKeys {
    using Key = Distance<W>;
    static constexpr bool RunsCallerCode = false;

    NodeIndex goal = NoNode;

    bool stopsAt(NodeIndex node) const noexcept { return node == goal; }
    void improved(NodeIndex) const noexcept {}
    void keying(const std::vector<Improvement<Key>>&) const noexcept {}
    Key key(NodeIndex, NodeIndex, Key distance) const noexcept { return distance; }
};

// Runs the search from every node of `starts` (each at distance 0 and key
// 0, queued in their order, a node given twice once) on `state` (fresh),
// the queue ordered by `before(a, b)` over entries (key, node), keys made
// by `keys`.
// Errors: "Negative cycle detected"; std::overflow_error from a checked
// sum; what keys.key throws.
template <class T, class W, class Starts, class Before, class Keys>
void bestFirstSearchFrom(const GraphView<T, W>& g, const Starts& starts, SearchState<W>& state, Before before,
                         Keys& keys) {
    using D = Distance<W>;
    using Key = typename Keys::Key;
    const std::size_t n = g.nodeCount();
    std::vector<D>& dist = state.dist;
    std::vector<NodeIndex>& prev = state.prev;
    std::vector<std::uint32_t>& hops = state.hops;
    IndexedHeap<Key, Before> heap(n, before);
    for (const NodeIndex start : starts) {
        if (dist[start] == D{0}) continue;  // given before
        heap.push(static_cast<std::uint32_t>(start), Key{0});
        dist[start] = D{0};
    }
    std::vector<Improvement<D>> waiting;
    Checkpoint checkpoint;
    while (!heap.empty()) {
        const NodeIndex u = heap.pop().node;
        if (keys.stopsAt(u)) return;
        if (!heap.empty()) g.prefetch(heap.peek(), 0);  // most likely the next one out
        const D base = dist[u];  // both may change below, through a self-loop
        const std::uint32_t baseHops = hops[u];
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        checkpoint(entries.size() + 1);
        // The neighbors' distances are random places in memory: ask for all
        // of them before reading any.
        for (const auto& entry : entries) prefetch(&dist[entry.target]);
        if (!heap.empty()) g.prefetch(heap.peek(), 1);
        bool cycle = false;
        waiting.clear();
        for (const auto& entry : entries) {
            const std::uint32_t v = entry.target;
            const D nd = extend<W>(base, entry.weight);
            // A node is reached when it has a predecessor or is a start:
            // a start's distance is 0 or less, never Unreached.
            if (improves<W>(dist[v], nd, [&] { return prev[v] != NoNode || dist[v] != Unreached<W>; })) {
                dist[v] = nd;
                prev[v] = u;
                hops[v] = baseHops + 1;
                if (hops[v] >= n) {
                    cycle = true;  // reported after the keys of the improvements before it
                    break;
                }
                if constexpr (Keys::RunsCallerCode) {
                    waiting.push_back({v, nd});
                    keys.improved(v);
                } else {
                    heap.push(v, keys.key(u, v, nd));
                }
            }
        }
        if constexpr (Keys::RunsCallerCode) {
            keys.keying(waiting);
            for (const Improvement<D>& i : waiting) heap.push(i.node, keys.key(u, i.node, i.distance));
        }
        if (cycle) negativeCycle();
    }
}

// The search from one start.
template <class T, class W, class Before, class Keys>
void bestFirstSearch(const GraphView<T, W>& g, NodeIndex start, SearchState<W>& state, Before before, Keys& keys) {
    const NodeIndex starts[1] = {start};
    bestFirstSearchFrom(g, starts, state, before, keys);
}

// Queue orders: among equal keys the greater node index first (Dijkstra,
// A*), or the smaller (uniform-cost search).
struct GreaterNodeFirst {
    template <class E>
    bool operator()(const E& a, const E& b) const noexcept {
        return a.key != b.key ? a.key < b.key : a.node > b.node;
    }
};
struct SmallerNodeFirst {
    template <class E>
    bool operator()(const E& a, const E& b) const noexcept {
        return a.key != b.key ? a.key < b.key : a.node < b.node;
    }
};

}  // namespace tarvel::detail
