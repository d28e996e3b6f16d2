// Shortest paths between two nodes: breadth-first search, Dijkstra,
// uniform-cost search, A* and Bellman-Ford, and the dispatcher over them.
// The searches from one source to every node are in shortest_path_tree.hpp,
// which this header includes.
//
// Every search returns an IndexPath: start first, goal last, each step along
// a stored entry; empty when the goal cannot be reached. Distances are exact
// sums in Distance<W> (weights.hpp); among equally short paths each search
// returns the one its fixed tie order finds first. With float weights a sum
// of finite weights may overflow (1e308 + 1e308): the goal is still
// reached, its path's length +infinity, as pathWeight gives it; among
// several paths of that length the first found is kept, since only a
// strictly shorter path replaces a node's path. A negative cycle whose
// nodes are reached only at an infinite distance improves nothing there,
// so it is not reported.
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
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "detail/adjacency_lists.hpp"
#include "detail/builtins.hpp"
#include "detail/describe.hpp"
#include "detail/best_first.hpp"
#include "detail/search_support.hpp"
#include "interrupt.hpp"
#include "method_checks.hpp"
#include "shortest_path_tree.hpp"
#include "store.hpp"
#include "weights.hpp"

namespace tarvel {

namespace detail {

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

// The start, then the goal: checkNodeIndex's std::out_of_range.
inline void checkSearch(std::size_t nodeCount, NodeIndex start, NodeIndex goal) {
    checkNodeIndex(start, nodeCount);
    checkNodeIndex(goal, nodeCount);
}

// Whether a heuristic can be told which node it will be called for soon,
// in two steps (h.prefetch(v, 0), later h.prefetch(v, 1)), so that it can
// fetch what it reads, and what that points to.
template <class H, class = void>
struct HasPrefetch : std::false_type {};
template <class H>
struct HasPrefetch<H, std::void_t<decltype(std::declval<H&>().prefetch(NodeIndex{}, 0))>> : std::true_type {};

// A*'s priority: the distance so far plus the heuristic's estimate. It only
// orders the heap, so it is the one place where a distance is rounded to a
// double; the distances themselves stay exact.
template <class D>
double priorityOf(D distance, double estimate) {
    return static_cast<double>(distance) + estimate;
}

}  // namespace detail

namespace detail {

// Breadth-first predecessors are kept in 32 bits (indices are): half the
// memory a search touches.
inline constexpr std::uint32_t NoPredecessor = ~std::uint32_t{0};

// The path from `start` to `goal` along 32-bit predecessors.
inline IndexPath pathBack(const std::vector<std::uint32_t>& prev, NodeIndex start, NodeIndex goal) {
    IndexPath path;
    for (NodeIndex node = goal; node != start; node = prev[node]) path.push_back(node);
    path.push_back(start);
    std::reverse(path.begin(), path.end());
    return path;
}

// The lists a breadth-first search follows, as the search reads them:
// list(u) and a prefetch of it. A graph's own lists, and its incoming lists.
template <class View>
struct OutLists {
    const View& g;
    auto operator[](NodeIndex u) const noexcept { return g.neighbors(u); }
    void prefetch(NodeIndex u, int step) const noexcept { g.prefetch(u, step); }
};

struct InLists {
    const IncomingLists& in;
    Span<std::uint32_t> operator[](NodeIndex u) const noexcept { return in[u]; }
    void prefetch(NodeIndex u, int step) const noexcept {
        if (step == 0) {
            detail::prefetch(in.offsets.data() + u);
        } else {
            detail::prefetch(in.sources.data() + in.offsets[u]);
        }
    }
};

template <class W>
std::uint32_t nodeOf(const AdjacencyEntry<W>& entry) noexcept {
    return entry.target;
}
inline std::uint32_t nodeOf(std::uint32_t node) noexcept { return node; }

// The forward breadth-first search: each node's predecessor is fixed when
// the node is queued, so the path to a node is its predecessor's path plus
// the node; the path to the goal is complete as soon as the goal is queued.
// It gives up, returning nothing, once it has read more than `work` units
// (a node taken from the queue, or an entry, is one); `work` is then set to
// the units read.
template <class T, class W>
std::optional<IndexPath> boundedForwardBfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal,
                                           std::size_t& work) {
    const std::size_t n = g.nodeCount(), budget = work;
    std::vector<std::uint32_t> prev(n, NoPredecessor);  // the start is its own: marks it seen
    // Every node is queued at most once: no growth, and only the pages the
    // search reaches are ever touched.
    std::unique_ptr<std::uint32_t[]> queue(new std::uint32_t[n]);
    prev[start] = static_cast<std::uint32_t>(start);
    queue[0] = static_cast<std::uint32_t>(start);
    std::size_t tail = 1;
    work = 0;
    Checkpoint checkpoint;
    for (std::size_t head = 0; head < tail; ++head) {
        const NodeIndex u = queue[head];
        prefetchAhead(g, queue.get(), head, tail);
        // The marks of the neighbors of the node two places on (its list
        // is in the cache by now): random places in memory.
        if (head + 2 < tail) {
            for (const auto& entry : g.neighbors(queue[head + 2])) prefetch<true>(&prev[entry.target]);
        }
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        work += entries.size() + 1;
        if (work > budget) return std::nullopt;
        checkpoint(entries.size() + 1);
        for (const auto& entry : entries) {
            const std::uint32_t v = entry.target;
            if (prev[v] != NoPredecessor) continue;
            prev[v] = static_cast<std::uint32_t>(u);
            if (v == goal) return pathBack(prev, start, goal);
            queue[tail++] = v;
        }
    }
    return IndexPath{};
}

// The forward search to the end (the reference of the searches below).
template <class T, class W>
IndexPath forwardBfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    std::size_t unlimited = ~std::size_t{0};
    return *boundedForwardBfs(g, start, goal, unlimited);
}

// The forward search's path found from both ends: from the start along
// the graph's lists, from the goal along `back`, the lists that lead to a
// node (the same lists in an undirected graph, the incoming ones in a
// directed graph).
//
// The two searches go level by level, each time on the side with the
// smaller frontier. The start side is exactly the forward search for its
// levels 0 .. a, so it records the forward search's first discoverers there.
// The searches meet at the start side's level a, where they hold every node
// of every shortest path at that level; the goal is a + b edges away. The
// forward search goes on from there, over the nodes of shortest paths only:
// a node one level on is on a shortest path exactly when its distance to the
// goal is b - 1 less, and the neighbors one level closer of such a node are
// all on shortest paths, so among them the forward search's order decides
// its discoverer just as in the whole graph.
template <class T, class W, class Back>
IndexPath twoSidedBfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, const Back& back) {
    // Each node's levels on the two sides (-1 for none), together: a
    // neighbor's check reads one place in memory. The start side's
    // predecessors are apart, written once per node.
    struct Label {
        std::int32_t fromStart = -1, fromGoal = -1;
    };
    std::vector<Label> label(g.nodeCount());
    std::vector<std::uint32_t> prev(g.nodeCount(), NoPredecessor);
    label[start].fromStart = 0;
    label[goal].fromGoal = 0;
    std::vector<std::uint32_t> startFront{static_cast<std::uint32_t>(start)}, goalFront{static_cast<std::uint32_t>(goal)},
        next;
    std::int32_t startLevel = 0, goalLevel = 0;
    bool met = false;
    const OutLists<GraphView<T, W>> out{g};
    Checkpoint checkpoint;
    // One level of one side: `mine` and `other` select the sides' fields.
    const auto expand = [&](const auto& lists, std::vector<std::uint32_t>& front, std::int32_t Label::*mine,
                            std::int32_t Label::*other, std::int32_t level, bool forward) {
        next.clear();
        for (std::size_t k = 0; k < front.size(); ++k) {
            const std::uint32_t u = front[k];
            prefetchAhead(lists, front.data(), k, front.size());
            // The labels of the neighbors of the node two places on (its
            // list is in the cache by now): random places in memory.
            if (k + 2 < front.size()) {
                for (const auto& entry : lists[front[k + 2]]) prefetch<true>(&label[nodeOf(entry)]);
            }
            const auto entries = lists[u];
            checkpoint(entries.size() + 1);
            for (const auto& entry : entries) {
                const std::uint32_t v = nodeOf(entry);
                Label& l = label[v];
                if (l.*mine >= 0) continue;
                l.*mine = level;
                if (forward) prev[v] = u;
                next.push_back(v);
                met = met || l.*other >= 0;
            }
        }
        front.swap(next);
    };
    while (!met) {
        if (startFront.empty() || goalFront.empty()) return {};
        if (startFront.size() <= goalFront.size()) {
            expand(out, startFront, &Label::fromStart, &Label::fromGoal, ++startLevel, true);
        } else {
            expand(back, goalFront, &Label::fromGoal, &Label::fromStart, ++goalLevel, false);
        }
    }
    const auto path = [&] {
        IndexPath nodes;
        for (NodeIndex node = goal; node != start; node = prev[node]) nodes.push_back(node);
        nodes.push_back(start);
        std::reverse(nodes.begin(), nodes.end());
        return nodes;
    };
    if (label[goal].fromStart >= 0) return path();
    // The start side's last level, in its order, kept to the nodes of
    // shortest paths; then the forward search over those nodes only.
    const std::int32_t length = startLevel + goalLevel;
    std::vector<std::uint32_t> order, following;
    for (const std::uint32_t v : startFront)
        if (label[v].fromGoal == goalLevel) order.push_back(v);
    for (std::int32_t k = startLevel; k < length; ++k) {
        const std::int32_t wanted = length - k - 1;  // the next level's distance from the goal
        following.clear();
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::uint32_t u = order[i];
            prefetchAhead(g, order.data(), i, order.size());
            checkpoint(g.neighbors(u).size() + 1);
            for (const auto& entry : g.neighbors(u)) {
                const std::uint32_t v = entry.target;
                if (label[v].fromGoal != wanted || prev[v] != NoPredecessor) continue;
                prev[v] = u;
                if (v == goal) return path();
                following.push_back(v);
            }
        }
        order.swap(following);
    }
    return path();
}

}  // namespace detail

// Breadth-first search: the path with the fewest edges; among those, the
// chain of first discoverers of a search from the start (a node's
// predecessor is fixed when the node is queued, neighbors queued in
// adjacency order). Weights play no part. The same path is found by
// searching from both ends, which visits far fewer nodes: an undirected
// graph is always searched so; a directed graph too once it has its
// incoming lists (GraphView::incoming). Until then it is searched forward,
// and the forward searches since the last change count their work: the
// search that would take the total past about what making the incoming
// lists costs stops there, makes them (the graph keeps them until its next
// change) and searches from both ends. So a search that stops near its
// start does not make them, and a directed graph's searches together cost
// at most about twice what they would with the lists made beforehand.
// Errors: std::out_of_range for an index past the end.
// Cost: O(V + E) time, O(V) memory; a directed graph's first search that
// makes the incoming lists adds O(V + E) time, and 4 bytes per entry and 8
// per node to what the graph keeps.
template <class T, class W>
IndexPath bfs(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    detail::checkSearch(g.nodeCount(), start, goal);
    if (start == goal) return {start};
    if (!g.isDirected()) return detail::twoSidedBfs(g, start, goal, detail::OutLists<GraphView<T, W>>{g});
    if (!g.hasIncoming()) {
        std::size_t work = g.workBeforeIncoming();
        std::optional<IndexPath> path = detail::boundedForwardBfs(g, start, goal, work);
        g.workedWithoutIncoming(work);
        if (path) return std::move(*path);
    }
    return detail::twoSidedBfs(g, start, goal, detail::InLists{g.incoming()});
}

// Dijkstra's search, no goal test: the path to `goal` in dijkstraTree(g,
// start), whose search settles every node the start reaches. The queue gives
// the smallest distance first and, among equal distances, the greatest node
// index; a node's predecessor is the first that reached its final distance
// (strict improvement only).
// Errors: std::out_of_range for an index past the end; std::runtime_error
// "Negative cycle detected" for a reachable cycle of negative weight,
// whatever the goal; std::overflow_error when a path weight leaves the
// 64-bit range (wide integer weights only).
// Cost: O(E log V) time without negative weights, O(V) memory.
template <class T, class W>
IndexPath dijkstra(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    detail::checkSearch(g.nodeCount(), start, goal);
    return detail::reconstruct(dijkstraTree(g, start).predecessor, goal);
}

// Uniform-cost search: a queue giving the smallest distance first and,
// among equal distances, the smallest node index; the search ends when the
// goal leaves the queue. Each node is expanded from the distance it left
// the queue with.
// Errors: as dijkstra. Cost: O(E log V) time without negative weights.
template <class T, class W>
IndexPath uniformCostSearch(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    detail::checkSearch(g.nodeCount(), start, goal);
    detail::SearchState<W> state(g.nodeCount());
    detail::DistanceKeys<W> keys{goal};
    detail::bestFirstSearch(g, start, state, detail::SmallerNodeFirst{}, keys);
    return detail::reconstruct(state.prev, goal);
}

namespace detail {

// A*'s keys: the distance plus the heuristic's estimate, made after the
// expansion's improvements are found (the heuristic may run any code). With
// a goal (the caller's promise of a consistent estimate), the search ends
// when the goal leaves the queue.
template <class T, class W, class Heuristic>
struct EstimateKeys {
    using Key = double;
    static constexpr bool RunsCallerCode = true;

    const GraphView<T, W>& g;
    Heuristic& heuristic;
    std::uint64_t revisionAtStart;
    NodeIndex goal;
    // With the promise, each node's estimate once it is known (NaN, which
    // no estimate is, before): the heuristic is called once per node.
    std::vector<double> known;

    bool stopsAt(NodeIndex node) const noexcept { return node == goal; }

    // The names of the improved nodes are fetched ahead of their calls.
    void improved(NodeIndex v) {
        if constexpr (HasPrefetch<Heuristic>::value) heuristic.prefetch(v, 0);
    }
    void keying(const std::vector<Improvement<Distance<W>>>& waiting) {
        if constexpr (HasPrefetch<Heuristic>::value) {
            for (const auto& i : waiting) heuristic.prefetch(i.node, 1);
        }
    }

    double key(NodeIndex u, NodeIndex v, Distance<W> distance) {
        if (!known.empty() && !std::isnan(known[v])) return priorityOf(distance, known[v]);
        const double h = heuristic(u, v);
        // The heuristic may have run arbitrary code: the graph must still
        // be the one this search started on.
        if (g.revision() != revisionAtStart) {
            throw std::runtime_error("the graph was changed while it was being searched");
        }
        if (std::isnan(h)) {
            throw std::invalid_argument("the heuristic returned NaN for " + describe(g.name(u)) + " and " +
                                        describe(g.name(v)));
        }
        if (!known.empty()) known[v] = h;
        return priorityOf(distance, h);
    }
};

}  // namespace detail

// A*: the queue orders nodes by priority (distance + heuristic estimate, a
// double), smallest first, and among equal priorities the greatest node
// index, as Dijkstra's does. `heuristic(u, v)` (node indices, returning a
// double) is called once per strict improvement of v's distance while u is
// expanded, in adjacency order, never for the start. A node is expanded
// from its distance when it leaves the queue. With a heuristic of 0
// everywhere the queue holds Dijkstra's keys, so the path is Dijkstra's.
//
// `consistent` false (the default): there is no goal test, so every
// improvement is propagated and the distances are exact for any heuristic.
//
// `consistent` true is the caller's promise that the estimate depends on
// its second argument only, h(v), and that h(x) <= w + h(y) for every
// entry x -> y of weight w. The search then ends when the goal leaves the
// queue, and the heuristic is called only for the improvements made before
// that, once per node: the first improvement of a node calls it, later
// ones reuse its estimate. Where priorities are exact (integer weights, an estimate of whole
// numbers, every distance plus estimate below 2^53) the path is the one the
// search without goal test returns, whose nodes had all left the queue
// with their final distances. Otherwise the path's weight may exceed the
// least by rounding (float weights, larger values); and with an estimate
// that breaks the promise the path is a path to the goal, not necessarily
// a shortest one, and a negative cycle is reported only when the search
// meets it before the goal.
// Errors: as dijkstra (with `consistent`, "Negative cycle detected" only
// for a cycle met before the goal leaves the queue); std::invalid_argument
// naming both nodes when the heuristic returns NaN; std::runtime_error "the
// graph was changed while it was being searched" when the heuristic
// changed the graph; whatever the heuristic throws passes through.
// Cost: O(E log V) time without negative weights, plus the heuristic calls;
// with `consistent`, only the part of that spent before the goal leaves
// the queue.
template <class T, class W, class Heuristic>
IndexPath aStar(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, Heuristic&& heuristic,
                bool consistent = false) {
    detail::checkSearch(g.nodeCount(), start, goal);
    detail::SearchState<W> state(g.nodeCount());
    detail::EstimateKeys<T, W, std::remove_reference_t<Heuristic>> keys{
        g, heuristic, g.revision(), consistent ? goal : NoNode, {}};
    if (consistent) keys.known.assign(g.nodeCount(), std::numeric_limits<double>::quiet_NaN());
    detail::bestFirstSearch(g, start, state, detail::GreaterNodeFirst{}, keys);
    return detail::reconstruct(state.prev, goal);
}

// Bellman-Ford: the path to `goal` in bellmanFordTree(g, start), whose
// passes go over every entry in node and adjacency order, using improvements
// of the same pass at once, until a pass changes nothing (at most V - 1
// passes); then one more pass looks for an improvement, which only a
// reachable negative cycle allows. A node's predecessor is the first that
// reached its final distance.
// Errors: std::out_of_range for an index past the end; std::runtime_error
// "Negative cycle detected" for a cycle of negative weight reachable from
// the start (every undirected negative edge is one), whatever the goal;
// std::overflow_error when a distance leaves the 64-bit range (64-bit
// weights only: for narrower weights that can only happen around a negative
// cycle).
// Cost: O(V × E) time, O(V) memory.
template <class T, class W>
IndexPath bellmanFord(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal) {
    detail::checkSearch(g.nodeCount(), start, goal);
    return detail::reconstruct(bellmanFordTree(g, start).predecessor, goal);
}

// The search selected by `method`; `heuristic(u, v)` and `consistent` (see
// aStar) are used by A_STAR only.
// nullptr stands for no heuristic: A_STAR then throws std::runtime_error
// "A_STAR needs a heuristic: pass one, or use DIJKSTRA (A_STAR's path for a
// heuristic of 0)" when it would first call it, and returns normally when no
// call happens (the start improves no neighbor).
// Equal indices give [start] (for every method, the heuristic uncalled).
// Errors: checkMethod's std::runtime_error for a value that is no member of
// ShortestPathAlgo ("V is not a ShortestPathAlgo: use BFS, DIJKSTRA, A_STAR,
// UNIFORM_COST_SEARCH or BELLMAN_FORD"; checked before the indices when they
// differ); std::out_of_range for an index past the end; then the search's
// own.
// Cost: the selected search's.
template <class T, class W, class Heuristic>
IndexPath shortestPath(const GraphView<T, W>& g, NodeIndex start, NodeIndex goal, ShortestPathAlgo method,
                       Heuristic&& heuristic, bool consistent = false) {
    if (start == goal) {
        g.checkNode(start);
        return {start};
    }
    checkMethod(method);
    switch (method) {
        case ShortestPathAlgo::BFS:
            return bfs(g, start, goal);
        case ShortestPathAlgo::DIJKSTRA:
            return dijkstra(g, start, goal);
        case ShortestPathAlgo::A_STAR:
            if constexpr (std::is_null_pointer_v<std::decay_t<Heuristic>>) {
                return aStar(
                    g, start, goal,
                    [](NodeIndex, NodeIndex) -> double {
                        throw std::runtime_error(
                            "A_STAR needs a heuristic: pass one, or use DIJKSTRA (A_STAR's path for a heuristic "
                            "of 0)");
                    },
                    consistent);
            } else {
                return aStar(g, start, goal, heuristic, consistent);
            }
        case ShortestPathAlgo::UNIFORM_COST_SEARCH:
            return uniformCostSearch(g, start, goal);
        case ShortestPathAlgo::BELLMAN_FORD:
            return bellmanFord(g, start, goal);
    }
    return {};  // not reached: checkMethod lets members only through
}

}  // namespace tarvel
