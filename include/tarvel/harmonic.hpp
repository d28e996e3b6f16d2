// Harmonic centrality: for a node, the sum of 1 / d over the nodes it
// reaches at distance d > 0, d in hops or as the least sum of weights. One
// search per node, on the searches of closeness (centrality.hpp,
// weighted_centrality.hpp); each score is its node's own search, so the
// numbers are the same bits for any number of threads.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "centrality.hpp"
#include "weighted_centrality.hpp"

namespace tarvel {

namespace detail {

// Which nodes count as the far ends of a harmonic sum: every node when
// `sources` is empty, else those listed (a node listed twice counts once).
inline std::vector<char> sourceMask(const std::vector<NodeIndex>& sources, std::size_t n, bool all) {
    std::vector<char> mask(n, all ? 1 : 0);
    for (const NodeIndex s : sources) {
        checkNodeIndex(s, n);
        mask[s] = 1;
    }
    return mask;
}

// The hop-count harmonic search: a breadth-first search from a node, the
// terms 1 / d added in the order it meets the nodes (ascending d, so the
// order among equal terms cannot change the sum).
template <class T, class W>
class HarmonicSearch {
public:
    HarmonicSearch(const GraphView<T, W>& graph, const std::vector<char>& counted)
        : g(graph), mask(counted), distance(graph.nodeCount()), seenBy(graph.nodeCount(), NoNode) {
        queue.reserve(graph.nodeCount());
    }

    template <class Tick>
    double score(NodeIndex i, Tick&& tick) {
        queue.assign(1, i);
        seenBy[i] = i;
        distance[i] = 0;
        double sum = 0.0;
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const NodeIndex u = queue[head];
            if (u != i && mask[u]) sum += 1.0 / static_cast<double>(distance[u]);
            const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
            tick(entries.size() + 1);
            for (const auto& entry : entries) {
                const NodeIndex v = entry.target;
                if (seenBy[v] == i) continue;
                seenBy[v] = i;
                distance[v] = distance[u] + 1;
                queue.push_back(v);
            }
        }
        return sum;
    }

private:
    const GraphView<T, W>& g;
    const std::vector<char>& mask;
    std::vector<std::size_t> distance;
    std::vector<NodeIndex> seenBy;  // seenBy[v] == i: v reached from i
    std::vector<NodeIndex> queue;
};

// The weighted harmonic search: Dijkstra from a node, the terms 1 / d added
// in settling order (ascending d); nodes at distance 0 add nothing.
template <class T, class W>
class WeightedHarmonicSearch {
public:
    WeightedHarmonicSearch(const GraphView<T, W>& graph, const std::vector<char>& counted)
        : search(graph), mask(counted) {}

    template <class Tick>
    double score(NodeIndex i, Tick&& tick) {
        const auto none = [](auto...) {};
        search.run(i, tick, none, none);
        double sum = 0.0;
        for (const NodeIndex v : search.order) {
            const double d = static_cast<double>(search.dist[v]);
            if (mask[v] && d > 0.0) sum += 1.0 / d;
        }
        return sum;
    }

private:
    WeightedSearch<T, W> search;
    const std::vector<char>& mask;
};

}  // namespace detail

// The harmonic centrality of each node of `nodes` (indices, in any order,
// none twice): score k is the sum, over the nodes of `sources` (every node
// when empty; repeats count once) that nodes[k] reaches along stored
// entries at distance d > 0, of 1 / d, added in ascending order of d.
// Unreached nodes, the node itself and nodes at distance 0 (zero weights)
// add nothing. d counts hops, or when `weighted` is the least sum of
// weights (Dijkstra, summed as weights.hpp sums; 1 / d in doubles). For
// incoming distances (the sum over the nodes that reach a node), run it on
// the graph with its edges reversed. Each score is its node's own search:
// a list cut into parts gives the scores of the whole, to the bit.
// options: threads and progress (nodes done of the number given).
// Errors: std::out_of_range for an index past the end (of either list),
// std::invalid_argument for an index given twice in `nodes` or, weighted,
// "weighted harmonic centrality needs weights of at least 0" (all before any
// search); std::overflow_error for an integral distance past 64 bits;
// whatever the thread's interrupt check or the progress callback throws.
// Cost: O(K × (V + E)) time for K nodes, weighted O(K × (V + E) log E);
// O(V + E) memory per thread.
template <class T, class W>
std::vector<double> harmonicCentrality(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                       const std::vector<NodeIndex>& sources, bool weighted,
                                       const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    detail::checkNodeList(nodes, n);
    const std::vector<char> mask = detail::sourceMask(sources, n, sources.empty());
    if (!weighted) {
        return detail::eachNodeSearchWith<detail::HarmonicSearch<T, W>, T, W, double>(
            g, nodes, options, [](auto& search, NodeIndex i, auto& tick) { return search.score(i, tick); }, mask);
    }
    if constexpr (std::is_signed_v<W> || std::is_floating_point_v<W>) {
        for (NodeIndex u = 0; u < n; ++u) {
            for (const auto& entry : g.neighbors(u)) {
                if (entry.weight < 0) {
                    throw std::invalid_argument("weighted harmonic centrality needs weights of at least 0");
                }
            }
        }
    }
    return detail::eachNodeSearchWith<detail::WeightedHarmonicSearch<T, W>, T, W, double>(
        g, nodes, options, [](auto& search, NodeIndex i, auto& tick) { return search.score(i, tick); }, mask);
}

// The harmonic centrality of every node, in index order, over every node:
// harmonicCentrality(g, every index, {}, weighted, options). Errors and
// cost as above, for K = V.
template <class T, class W>
std::vector<double> harmonicCentrality(const GraphView<T, W>& g, bool weighted = false,
                                       const RunOptions& options = {}) {
    return harmonicCentrality(g, detail::allNodes(g.nodeCount()), {}, weighted, options);
}

}  // namespace tarvel
