// Centrality: degree, closeness (hop distances), betweenness (dependency
// accumulation over hop-count shortest paths) and Katz.
#pragma once

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "graph.hpp"

namespace tarvel {

template <class T, class W>
std::unordered_map<T, double> Graph<T, W>::byName(const std::vector<double>& scores) const {
    std::unordered_map<T, double> result;
    result.reserve(nodeCount);
    for (NodeIndex i = 0; i < nodeCount; ++i) result[indexNode[i]] = scores[i];
    return result;
}

// Number of adjacency entries of each node: the out-degree of a directed
// graph, the number of edge ends of an undirected one.
template <class T, class W>
std::vector<double> Graph<T, W>::degreeScores() const {
    std::vector<double> scores(nodeCount);
    for (NodeIndex i = 0; i < nodeCount; ++i) scores[i] = static_cast<double>(adjacency[i].size());
    return scores;
}

// 1 / (sum of hop distances to the nodes the node reaches), 0 when it reaches
// none. One breadth-first search per node gives every distance from it.
template <class T, class W>
std::vector<double> Graph<T, W>::closenessScores() const {
    std::vector<double> scores(nodeCount, 0.0);
    std::vector<std::size_t> distance(nodeCount);
    std::vector<NodeIndex> seenBy(nodeCount, NoNode);  // seenBy[v] == i: v reached from i
    std::vector<NodeIndex> queue;
    queue.reserve(nodeCount);
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        queue.assign(1, i);
        seenBy[i] = i;
        distance[i] = 0;
        std::uint64_t sum = 0;  // exact, and equal to the sum taken in doubles
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const NodeIndex u = queue[head];
            sum += distance[u];
            for (const auto& entry : adjacency[u]) {
                const NodeIndex v = entry.first;
                if (seenBy[v] == i) continue;
                seenBy[v] = i;
                distance[v] = distance[u] + 1;
                queue.push_back(v);
            }
        }
        const double total = static_cast<double>(sum);
        scores[i] = total > 0.0 ? 1.0 / total : 0.0;
    }
    return scores;
}

// Dependency accumulation, one breadth-first search per source. Parallel
// edges count as distinct shortest paths; undirected scores count every pair
// from both ends. Working arrays are reset only where a search touched them.
template <class T, class W>
std::vector<double> Graph<T, W>::betweennessScores() const {
    constexpr std::size_t none = NoNode;
    std::vector<double> scores(nodeCount, 0.0);
    std::vector<double> pathCount(nodeCount, 0.0);
    std::vector<double> dependency(nodeCount, 0.0);
    std::vector<std::int64_t> distance(nodeCount, -1);
    std::vector<NodeIndex> order;  // breadth-first order, read backwards afterwards
    order.reserve(nodeCount);
    // Predecessor lists as singly linked lists in flat arrays. The order
    // within one list does not matter: each predecessor's update from w uses
    // only values fixed before w is processed.
    std::vector<std::size_t> firstPred(nodeCount, none);
    std::vector<NodeIndex> predNode;
    std::vector<std::size_t> nextPred;

    for (NodeIndex s = 0; s < nodeCount; ++s) {
        order.assign(1, s);
        distance[s] = 0;
        pathCount[s] = 1.0;
        for (std::size_t head = 0; head < order.size(); ++head) {
            const NodeIndex v = order[head];
            for (const auto& entry : adjacency[v]) {
                const NodeIndex w = entry.first;
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
            for (std::size_t p = firstPred[w]; p != none; p = nextPred[p]) {
                const NodeIndex v = predNode[p];
                dependency[v] = pathCount[v] / pathCount[w] * (1.0 + dependency[w]) + dependency[v];
            }
            if (w != s) scores[w] += dependency[w];
        }
        for (const NodeIndex v : order) {
            distance[v] = -1;
            pathCount[v] = 0.0;
            dependency[v] = 0.0;
            firstPred[v] = none;
        }
        predNode.clear();
        nextPred.clear();
    }
    return scores;
}

// Fixed-point iteration x <- alpha * A x + beta, rescaled to unit length
// after every step; stops when the L1 change drops below `tolerance` or after
// `max_iterations` steps. No argument is validated.
template <class T, class W>
std::vector<double> Graph<T, W>::katzScores(double alpha, double beta, int max_iterations, double tolerance) const {
    const std::size_t n = nodeCount;
    std::vector<double> scores(n, 1.0 / static_cast<double>(n));
    std::vector<double> previous(n, 0.0);
    if (max_iterations <= 0) return scores;
    for (int iteration = 0;;) {
        previous = scores;
        if (n > 0) {
            double total = 0.0;
            for (NodeIndex j = 0; j < n; ++j) {
                double sum = 0.0;
                for (const auto& entry : adjacency[j]) sum += previous[entry.first];
                scores[j] = sum * alpha + beta;
                total += scores[j] * scores[j];
            }
            const double norm = std::sqrt(total);
            for (double& score : scores) score /= norm;
        }
        double change = 0.0;
        for (NodeIndex j = 0; j < n; ++j) change += std::fabs(scores[j] - previous[j]);
        if (tolerance > change) break;
        if (++iteration == max_iterations) break;
    }
    return scores;
}

template <class T, class W>
std::unordered_map<T, double> Graph<T, W>::degreeCentrality() const {
    return byName(degreeScores());
}

template <class T, class W>
std::unordered_map<T, double> Graph<T, W>::closenessCentrality() const {
    return byName(closenessScores());
}

template <class T, class W>
std::unordered_map<T, double> Graph<T, W>::betweennessCentrality() const {
    return byName(betweennessScores());
}

template <class T, class W>
std::unordered_map<T, double> Graph<T, W>::katzCentrality(double alpha, double beta, int max_iterations,
                                                          double tolerance) const {
    return byName(katzScores(alpha, beta, max_iterations, tolerance));
}

}  // namespace tarvel
