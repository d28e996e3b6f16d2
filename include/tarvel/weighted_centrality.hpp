// Closeness and betweenness over weighted shortest paths: one Dijkstra
// search per node, the distances summed as weights.hpp sums them (exact
// 64-bit integers for integral weights, doubles for floating-point ones).
//
// Which paths are shortest. From a source s, D[v] is the least sum of the
// weights along a path to v, each sum taken edge by edge from s (D[u] + w,
// in Distance<W>: the sums a Dijkstra search forms, so on float graphs two
// paths tie when their sums are equal doubles, and no rounding tolerance
// applies). H[v] is the fewest edges of a path to v of weight D[v]. An
// adjacency entry u -> v lies on a counted shortest path when
// D[u] + w == D[v] and (D[u], H[u]) < (D[v], H[v]) lexicographically. With
// positive weights (and sums that do not absorb them) this is every entry
// with D[u] + w == D[v], the textbook definition; the H condition matters
// only where a step leaves the distance unchanged (a zero weight, or a float
// weight too small to change the sum), and keeps the counted paths acyclic:
// across such steps a path counts only while each node on it is first
// reached in fewer edges than the next.
//
// - Parallel edges are distinct paths, as in the hop-count betweenness:
//   every entry of equal least weight counts; heavier parallel entries
//   count for nothing.
// - Self-loops are never on a shortest path (a path repeats no node).
// - Negative weights: std::invalid_argument before any search.
//
// Threads give the same bits for any count: each node's search is its own,
// and betweenness adds the sources' dependencies in source index order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "centrality.hpp"
#include "weights.hpp"

namespace tarvel {

// What a Dijkstra search from one node reaches: the number of other nodes
// and the sum of their distances (in Distance<W>: exact for integral W).
template <class W>
struct WeightedReachSum {
    std::size_t reached = 0;
    Distance<W> distanceSum = 0;

    bool operator==(const WeightedReachSum& other) const {
        return reached == other.reached && distanceSum == other.distanceSum;
    }
};

namespace detail {

// std::invalid_argument when an entry weighs less than 0.
template <class T, class W>
void checkCentralityWeights(const GraphView<T, W>& g) {
    if constexpr (std::is_signed_v<W> || std::is_floating_point_v<W>) {
        for (NodeIndex u = 0; u < g.nodeCount(); ++u) {
            for (const auto& entry : g.neighbors(u)) {
                if (entry.weight < 0) {
                    throw std::invalid_argument("weighted closeness and betweenness need weights of at least 0");
                }
            }
        }
    }
}

// One Dijkstra search from a node, settling nodes in the order of
// (distance, fewest edges, index); working arrays are reused from search to
// search (each search stamps what it touches).
template <class T, class W>
class WeightedSearch {
public:
    using D = Distance<W>;

    explicit WeightedSearch(const GraphView<T, W>& graph)
        : dist(graph.nodeCount(), Unreached<W>), g(graph), hops(graph.nodeCount(), 0),
          reachedIn(graph.nodeCount(), 0), settledIn(graph.nodeCount(), 0) {
        order.reserve(graph.nodeCount());
    }

    // Settles every node `s` reaches into `order`. settled(v) is called as
    // v is settled, before its entries are read; tight(u, v, first) for each
    // entry u -> v (u settled, v not) with D[u] + w == D[v] after the entry
    // is read, `first` when the entry set D[v] (the earlier ones are then
    // not tight any more).
    template <class Tick, class Settled, class Tight>
    void run(NodeIndex s, Tick&& tick, Settled&& settled, Tight&& tight) {
        const std::size_t stamp = ++runs;
        order.clear();
        heap.clear();
        reachedIn[s] = stamp;
        dist[s] = D{0};
        hops[s] = 0;
        push({D{0}, 0, s});
        while (!heap.empty()) {
            std::pop_heap(heap.begin(), heap.end(), Later{});
            const NodeIndex u = heap.back().node;
            heap.pop_back();
            if (settledIn[u] == stamp) continue;  // an entry left by an improvement
            settledIn[u] = stamp;
            order.push_back(u);
            settled(u);
            const D base = dist[u];
            const std::uint32_t next = hops[u] + 1;
            const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
            tick(entries.size() + 1);
            for (const auto& entry : entries) {
                const NodeIndex v = entry.target;
                if (v == u || settledIn[v] == stamp) continue;
                const D nd = extend<W>(base, entry.weight);
                if (reachedIn[v] != stamp || improves<W>(dist[v], nd, [] { return true; })) {
                    reachedIn[v] = stamp;
                    dist[v] = nd;
                    hops[v] = next;
                    push({nd, next, v});
                    tight(u, v, true);
                } else if (nd == dist[v]) {
                    if (next < hops[v]) {
                        hops[v] = next;
                        push({nd, next, v});
                    }
                    tight(u, v, false);
                }
            }
        }
    }

    // Whether the tight entry u -> v lies on a counted path; both settled.
    bool counts(NodeIndex u, NodeIndex v) const { return dist[u] != dist[v] || hops[u] < hops[v]; }

    std::vector<NodeIndex> order;  // the nodes the last search settled, in settling order
    std::vector<D> dist;

private:
    struct Entry {
        D distance;
        std::uint32_t hops;
        NodeIndex node;
    };
    struct Later {
        bool operator()(const Entry& a, const Entry& b) const noexcept {
            if (a.distance != b.distance) return a.distance > b.distance;
            if (a.hops != b.hops) return a.hops > b.hops;
            return a.node > b.node;
        }
    };
    void push(const Entry& entry) {
        heap.push_back(entry);
        std::push_heap(heap.begin(), heap.end(), Later{});
    }

    const GraphView<T, W>& g;
    std::vector<std::uint32_t> hops;
    std::vector<std::size_t> reachedIn, settledIn;  // the search that reached / settled the node
    std::vector<Entry> heap;
    std::size_t runs = 0;
};

// The weighted closeness search: what eachNodeSearchWith runs per node.
template <class T, class W>
class WeightedClosenessSearch {
public:
    explicit WeightedClosenessSearch(const GraphView<T, W>& graph) : search(graph) {}

    // The nodes `i` reaches besides itself and the sum of their distances,
    // added in settling order (ascending distance): for integral W exactly
    // (std::overflow_error past 64 bits), for float W with Neumaier's
    // compensation, as Python's sum() of floats adds from 3.12 on.
    template <class Tick>
    WeightedReachSum<W> sums(NodeIndex i, Tick&& tick) {
        const auto none = [](auto...) {};
        search.run(i, tick, none, none);
        WeightedReachSum<W> out{search.order.size() - 1, 0};
        if constexpr (std::is_floating_point_v<Distance<W>>) {
            CompensatedSum total;
            for (const NodeIndex v : search.order) total.add(static_cast<double>(search.dist[v]));
            out.distanceSum = total.value();
        } else {
            for (const NodeIndex v : search.order) {
                if (addOverflows(out.distanceSum, search.dist[v], out.distanceSum)) distanceOverflow();
            }
        }
        return out;
    }

    // 1 / (sum of distances to the nodes `i` reaches), 0.0 when that is 0.
    template <class Tick>
    double score(NodeIndex i, Tick&& tick) {
        const auto total = static_cast<double>(sums(i, tick).distanceSum);
        return total > 0.0 ? 1.0 / total : 0.0;
    }

private:
    WeightedSearch<T, W> search;
};

// One source of weighted betweenness: the Dijkstra search counting shortest
// paths, then the accumulation of dependencies; what sourceDependencySums
// runs per source.
template <class T, class W>
class WeightedDependencySearch {
public:
    explicit WeightedDependencySearch(const GraphView<T, W>& graph)
        : search(graph), pathCount(graph.nodeCount(), 0.0), firstPred(graph.nodeCount(), None) {}

    // Fills dependency[w] for every node w that `s` reaches (the others are
    // left alone); `order` lists them. Then dependency[s] must be ignored.
    template <class Tick>
    void run(NodeIndex s, std::vector<double>& dependency, Tick&& tick) {
        predNode.clear();
        nextPred.clear();
        firstPred[s] = None;
        // A node's path count is made as it is settled, when its distance
        // and fewest edges are final: its tight entries that count are kept
        // (in reverse), the others dropped.
        const auto settled = [&](NodeIndex v) {
            if (v == s) {
                pathCount[v] = 1.0;
                return;
            }
            double paths = 0.0;
            std::size_t kept = None;
            for (std::size_t p = firstPred[v], after; p != None; p = after) {
                after = nextPred[p];
                const NodeIndex u = predNode[p];
                if (!search.counts(u, v)) continue;
                paths += pathCount[u];
                nextPred[p] = kept;
                kept = p;
            }
            pathCount[v] = paths;
            firstPred[v] = kept;
        };
        const auto tight = [&](NodeIndex u, NodeIndex v, bool first) {
            predNode.push_back(u);
            nextPred.push_back(first ? None : firstPred[v]);
            firstPred[v] = predNode.size() - 1;
        };
        search.run(s, tick, settled, tight);
        for (const NodeIndex v : search.order) dependency[v] = 0.0;
        for (std::size_t k = search.order.size(); k-- > 0;) {
            const NodeIndex w = search.order[k];
            for (std::size_t p = firstPred[w]; p != None; p = nextPred[p]) {
                const NodeIndex v = predNode[p];
                dependency[v] = pathCount[v] / pathCount[w] * (1.0 + dependency[w]) + dependency[v];
            }
        }
        order.assign(search.order.begin(), search.order.end());
    }

    std::vector<NodeIndex> order;  // the nodes the last source reached, in settling order

private:
    static constexpr std::size_t None = NoNode;
    WeightedSearch<T, W> search;
    std::vector<double> pathCount;
    std::vector<std::size_t> firstPred;
    std::vector<NodeIndex> predNode;
    std::vector<std::size_t> nextPred;
};

}  // namespace detail

// The weighted closeness of each node of `nodes` (indices, in any order,
// none twice): score k is the score of nodes[k], 1 / (sum of the weighted
// distances from the node to the nodes it reaches, along stored entries),
// 0.0 when that sum is 0 (it reaches none, or only at distance 0); unreached
// nodes add nothing. The sum is weightedReachSums'. Each score is its own
// search: a list cut into parts gives the scores of the whole, to the bit.
// options: threads and progress (nodes done of the number given).
// Errors: std::out_of_range for an index past the end, std::invalid_argument
// for an index given twice or a negative weight (all before any search);
// std::overflow_error for an integral sum past 64 bits; whatever the
// thread's interrupt check or the progress callback throws.
// Cost: O(K × (V + E) log E) time for K nodes, O(V + E) memory per thread.
template <class T, class W>
std::vector<double> weightedClosenessCentrality(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                                const RunOptions& options = {}) {
    detail::checkNodeList(nodes, g.nodeCount());
    detail::checkCentralityWeights(g);
    return detail::eachNodeSearchWith<detail::WeightedClosenessSearch<T, W>, T, W, double>(
        g, nodes, options, [](auto& search, NodeIndex i, auto& tick) { return search.score(i, tick); });
}

// The weighted closeness of every node, in index order. Errors and cost as
// above, for K = V.
template <class T, class W>
std::vector<double> weightedClosenessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    return weightedClosenessCentrality(g, detail::allNodes(g.nodeCount()), options);
}

// For each node, in index order, what a Dijkstra search from it along
// stored entries reaches: the number of other nodes (the same as
// reachSums'), and the sum of their distances, added in ascending order of
// distance: exact for integral W; for floating-point W with Neumaier's
// compensation (the sum Python's sum() gives from 3.12 on; the order among
// equal distances cannot change it). The raw quantities of weighted
// closeness in any normalisation.
// Errors: std::invalid_argument for a negative weight (before any search);
// std::overflow_error for an integral sum past 64 bits; whatever the
// thread's interrupt check or the progress callback throws.
// Cost: O(V × (V + E) log E) time, O(V + E) memory per thread.
template <class T, class W>
std::vector<WeightedReachSum<W>> weightedReachSums(const GraphView<T, W>& g, const RunOptions& options = {}) {
    detail::checkCentralityWeights(g);
    return detail::eachNodeSearchWith<detail::WeightedClosenessSearch<T, W>, T, W, WeightedReachSum<W>>(
        g, detail::allNodes(g.nodeCount()), options,
        [](auto& search, NodeIndex i, auto& tick) { return search.sums(i, tick); });
}

// Unnormalised betweenness over weighted shortest paths (the paths the
// header's comment defines), counting the paths that start at the sources
// given (indices, in any order, none twice): one Dijkstra search per source,
// the dependencies added in source index order whatever order the sources
// are given in. Parallel entries of equal least weight are distinct paths;
// in an undirected graph every pair counts from both ends; the ends of a
// path get no credit. Path counts and dependencies are doubles, each node's
// path count the sum of its counted predecessors'. The parts of a partition
// of the sources sum to the whole within the rounding bound of
// betweennessCentrality.
// options: threads and progress (sources done of the number given), as
// betweennessCentrality.
// Errors: std::out_of_range for an index past the end, std::invalid_argument
// for an index given twice or a negative weight (all before any search);
// std::overflow_error for an integral distance past 64 bits; whatever the
// thread's interrupt check or the progress callback throws.
// Cost: O(K × (V + E) log E) time for K sources, O(V + E) memory per thread.
template <class T, class W>
std::vector<double> weightedBetweennessCentrality(const GraphView<T, W>& g, std::vector<NodeIndex> sources,
                                                  const RunOptions& options = {}) {
    detail::checkNodeList(sources, g.nodeCount());
    detail::checkCentralityWeights(g);
    return detail::sourceDependencySums<detail::WeightedDependencySearch<T, W>>(g, std::move(sources), options);
}

// The weighted betweenness of every node, counting the paths from every
// source. Errors and cost as above, for K = V.
template <class T, class W>
std::vector<double> weightedBetweennessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    return weightedBetweennessCentrality(g, detail::allNodes(g.nodeCount()), options);
}

}  // namespace tarvel
