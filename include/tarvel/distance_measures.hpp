// Eccentricities and what is read off them: the diameter, the radius, the
// center and the periphery. One search from each node asked for, on
// several threads; hop counts (breadth-first search) or weight sums
// (Dijkstra's search, weights not negative). A node's eccentricity is the
// largest distance from it to a node it reaches: the largest of exact sums,
// so a float eccentricity is exactly one of the path sums of weights.hpp.
#pragma once

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "all_pairs.hpp"
#include "centrality.hpp"
#include "detail/parallel.hpp"
#include "interrupt.hpp"
#include "store.hpp"
#include "types.hpp"
#include "weights.hpp"

namespace tarvel {

// One node's eccentricity: `value`, the largest distance to a node it
// reaches (0 when it reaches none but itself); `reachesAll`, whether it
// reaches every node of the graph (else the eccentricity is infinite and
// `value` covers only the nodes reached).
template <class W>
struct Eccentricity {
    Distance<W> value{0};
    bool reachesAll = false;
};

// The eccentricity of each node of `nodes` (indices in any order; value k is
// nodes[k]'s), hop counts when `weighted` is false, weight sums when true.
// Each value is its own search: the same for any thread count and whatever
// else is asked for.
// options: threads (progress is not reported).
// Errors: std::out_of_range for an index past the end, std::invalid_argument
// for an index given twice (both before any search); with `weighted`,
// std::invalid_argument "eccentricities take no negative weights" for a
// graph holding a negative weight and std::overflow_error for a sum beyond
// 64 bits (wide integer weights); whatever the thread's interrupt check
// throws.
// Cost: O(K × (V + E)) time unweighted, O(K × (V + E log E)) weighted, for K
// nodes; O(V + E) memory per thread.
template <class T, class W>
std::vector<Eccentricity<W>> eccentricities(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                            bool weighted, const RunOptions& options = {}) {
    const ShortestPathAlgo method = weighted ? ShortestPathAlgo::DIJKSTRA : ShortestPathAlgo::BFS;
    detail::checkNodeList(nodes, g.nodeCount());
    detail::checkVisitMethod(g, method, "eccentricities");
    const std::size_t n = g.nodeCount(), count = nodes.size();
    std::vector<Eccentricity<W>> values(count);
    const unsigned threads =
        detail::threadsFor(options.threads, count * (g.entryCount() + n), detail::SourceGrain);
    std::atomic<std::size_t> next{0};
    detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        detail::VisitSearch<T, W> search(g);
        detail::WorkerCheck tick(t, stop);
        VisitOrder<W> row;
        for (std::size_t k; !stop.load(std::memory_order_relaxed) && (k = next++) < count;) {
            detail::visit(search, method, nodes[k], tick, row);
            Eccentricity<W> e;
            for (const Distance<W> d : row.distance) e.value = std::max(e.value, d);
            e.reachesAll = row.nodes.size() == n;
            values[k] = e;
        }
    });
    return values;
}

// The eccentricity of every node, in index order: eccentricities(g, every
// index, weighted, options).
template <class T, class W>
std::vector<Eccentricity<W>> eccentricities(const GraphView<T, W>& g, bool weighted, const RunOptions& options = {}) {
    return eccentricities(g, detail::allNodes(g.nodeCount()), weighted, options);
}

namespace detail {

// The eccentricities of every node, each finite; else the error.
template <class T, class W>
std::vector<Distance<W>> finiteEccentricities(const GraphView<T, W>& g, bool weighted, const RunOptions& options,
                                              const char* what) {
    if (g.nodeCount() == 0) throw std::invalid_argument(std::string("the ") + what + " of a graph without nodes");
    std::vector<Distance<W>> values;
    values.reserve(g.nodeCount());
    for (const Eccentricity<W>& e : eccentricities(g, weighted, options)) {
        if (!e.reachesAll) {
            throw std::runtime_error(std::string("an eccentricity is infinite: the graph is not ") +
                                     (g.isDirected() ? "strongly connected" : "connected"));
        }
        values.push_back(e.value);
    }
    return values;
}

// The nodes, in index order, whose eccentricity is the largest (most) or
// the least.
template <class T, class W>
std::vector<NodeIndex> extremeNodes(const GraphView<T, W>& g, bool weighted, const RunOptions& options, bool most,
                                    const char* what) {
    const std::vector<Distance<W>> values = finiteEccentricities(g, weighted, options, what);
    const Distance<W> target =
        most ? *std::max_element(values.begin(), values.end()) : *std::min_element(values.begin(), values.end());
    std::vector<NodeIndex> out;
    for (NodeIndex i = 0; i < values.size(); ++i)
        if (values[i] == target) out.push_back(i);
    return out;
}

}  // namespace detail

// The diameter (the largest eccentricity) and the radius (the least), hop
// counts or weight sums as in eccentricities.
// Errors: std::invalid_argument "the diameter (radius) of a graph without
// nodes"; std::runtime_error "an eccentricity is infinite: the graph is
// not connected" ("strongly connected" for a directed graph) when a node
// does not reach every node; eccentricities' errors.
// Cost: eccentricities' for every node.
template <class T, class W>
Distance<W> diameter(const GraphView<T, W>& g, bool weighted, const RunOptions& options = {}) {
    const auto values = detail::finiteEccentricities(g, weighted, options, "diameter");
    return *std::max_element(values.begin(), values.end());
}

template <class T, class W>
Distance<W> radius(const GraphView<T, W>& g, bool weighted, const RunOptions& options = {}) {
    const auto values = detail::finiteEccentricities(g, weighted, options, "radius");
    return *std::min_element(values.begin(), values.end());
}

// The center (the nodes whose eccentricity is the radius) and the
// periphery (those whose eccentricity is the diameter), in index order.
// Errors: as diameter's ("the center of a graph without nodes", ...).
// Cost: eccentricities' for every node.
template <class T, class W>
std::vector<NodeIndex> center(const GraphView<T, W>& g, bool weighted, const RunOptions& options = {}) {
    return detail::extremeNodes(g, weighted, options, false, "center");
}

template <class T, class W>
std::vector<NodeIndex> periphery(const GraphView<T, W>& g, bool weighted, const RunOptions& options = {}) {
    return detail::extremeNodes(g, weighted, options, true, "periphery");
}

}  // namespace tarvel
