// Centrality scores, one per node index: degree, closeness and betweenness
// over hop-count distances, and Katz. None is normalised by the number of
// nodes; weights play no part in any of them.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "store.hpp"

namespace tarvel {

// The number of adjacency entries of each node: the out-degree in a
// directed graph, the number of edge ends in an undirected one (a self-loop
// counts 2); every parallel edge counts.
// Errors: none. Cost: O(V).
template <class T, class W>
std::vector<double> degreeCentrality(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n);
    for (NodeIndex i = 0; i < n; ++i) scores[i] = static_cast<double>(g.neighbors(i).size());
    return scores;
}

// 1 / (sum of hop distances from the node to the nodes it reaches, along
// stored entries), 0.0 when it reaches none. Unreached nodes add nothing.
// Errors: none. Cost: O(V × (V + E)) time (one breadth-first search per
// node), O(V) memory.
template <class T, class W>
std::vector<double> closenessCentrality(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 0.0);
    std::vector<std::size_t> distance(n);
    std::vector<NodeIndex> seenBy(n, NoNode);  // seenBy[v] == i: v reached from i
    std::vector<NodeIndex> queue;
    queue.reserve(n);
    for (NodeIndex i = 0; i < n; ++i) {
        queue.assign(1, i);
        seenBy[i] = i;
        distance[i] = 0;
        std::uint64_t sum = 0;  // exact, and equal to the sum taken in doubles
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const NodeIndex u = queue[head];
            sum += distance[u];
            for (const auto& entry : g.neighbors(u)) {
                const NodeIndex v = entry.target;
                if (seenBy[v] == i) continue;
                seenBy[v] = i;
                distance[v] = distance[u] + 1;
                queue.push_back(v);
            }
        }
        const auto total = static_cast<double>(sum);
        scores[i] = total > 0.0 ? 1.0 / total : 0.0;
    }
    return scores;
}

// Unnormalised betweenness over hop-count shortest paths by dependency
// accumulation, one breadth-first search per source in index order, the
// dependencies added in that order. Parallel edges are distinct shortest
// paths; in an undirected graph every pair counts from both ends (twice the
// usual value); the ends of a path get no credit for it.
// Errors: none. Cost: O(V × (V + E)) time, O(V + E) memory.
template <class T, class W>
std::vector<double> betweennessCentrality(const GraphView<T, W>& g) {
    constexpr std::size_t None = NoNode;
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 0.0);
    std::vector<double> pathCount(n, 0.0);
    std::vector<double> dependency(n, 0.0);
    std::vector<std::int64_t> distance(n, -1);
    std::vector<NodeIndex> order;  // breadth-first order, read backwards afterwards
    order.reserve(n);
    // Predecessor lists as singly linked lists in flat arrays. The order
    // within one list does not matter: each predecessor's update from w uses
    // only values fixed before w is processed.
    std::vector<std::size_t> firstPred(n, None);
    std::vector<NodeIndex> predNode;
    std::vector<std::size_t> nextPred;

    for (NodeIndex s = 0; s < n; ++s) {
        order.assign(1, s);
        distance[s] = 0;
        pathCount[s] = 1.0;
        for (std::size_t head = 0; head < order.size(); ++head) {
            const NodeIndex v = order[head];
            for (const auto& entry : g.neighbors(v)) {
                const NodeIndex w = entry.target;
                if (distance[w] < 0) {
                    order.push_back(w);
                    distance[w] = distance[v] + 1;
                }
                if (distance[w] == distance[v] + 1) {
                    pathCount[w] += pathCount[v];
                    predNode.push_back(v);
                    nextPred.push_back(firstPred[w]);
                    firstPred[w] = predNode.size() - 1;
                }
            }
        }
        for (std::size_t k = order.size(); k-- > 0;) {
            const NodeIndex w = order[k];
            for (std::size_t p = firstPred[w]; p != None; p = nextPred[p]) {
                const NodeIndex v = predNode[p];
                dependency[v] = pathCount[v] / pathCount[w] * (1.0 + dependency[w]) + dependency[v];
            }
            if (w != s) scores[w] += dependency[w];
        }
        for (const NodeIndex v : order) {
            distance[v] = -1;
            pathCount[v] = 0.0;
            dependency[v] = 0.0;
            firstPred[v] = None;
        }
        predNode.clear();
        nextPred.clear();
    }
    return scores;
}

// Katz scores by fixed-point iteration x <- alpha × (sum of the previous
// scores of the nodes in each node's adjacency list) + beta, rescaled to
// unit Euclidean length after every step, from 1/V everywhere. Stops after
// the first step whose L1 change is below `tolerance`, or after
// `maxIterations` steps (none when it is 0 or less). No argument is
// validated: a step whose scores are all 0 gives NaN everywhere.
// Errors: none. Cost: O(steps × (V + E)) time, O(V) memory.
template <class T, class W>
std::vector<double> katzCentrality(const GraphView<T, W>& g, double alpha = 0.1, double beta = 1.0,
                                   int maxIterations = 1000, double tolerance = 1e-6) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 1.0 / static_cast<double>(n));
    std::vector<double> previous(n, 0.0);
    if (maxIterations <= 0) return scores;
    for (int iteration = 0;;) {
        previous = scores;
        if (n > 0) {
            double total = 0.0;
            for (NodeIndex j = 0; j < n; ++j) {
                double sum = 0.0;
                for (const auto& entry : g.neighbors(j)) sum += previous[entry.target];
                scores[j] = sum * alpha + beta;
                total += scores[j] * scores[j];
            }
            const double norm = std::sqrt(total);
            for (double& score : scores) score /= norm;
        }
        double change = 0.0;
        for (NodeIndex j = 0; j < n; ++j) change += std::fabs(scores[j] - previous[j]);
        if (tolerance > change) break;
        if (++iteration == maxIterations) break;
    }
    return scores;
}

}  // namespace tarvel
