// A directed graph read as undirected, for the operations whose question is
// about the underlying undirected graph (bipartiteness, Prim, Borůvka).
//
// The rule: every stored entry u -> v also stands in v's list, after v's own
// entries, in the order the edges were added. An undirected graph already
// stores each edge both ways and is read as it is.
#pragma once

#include <cstdint>
#include <vector>

#include "../store.hpp"

namespace tarvel::detail {

template <class T, class W>
class UndirectedNeighbors {
public:
    explicit UndirectedNeighbors(const GraphView<T, W>& graph) : g(graph) {
        if (!g.isDirected()) return;
        const std::size_t n = g.nodeCount();
        const Span<EdgeRecord<W>> edges = g.edges();
        offset.assign(n + 1, 0);
        for (const auto& e : edges) ++offset[e.target + 1];
        for (std::size_t u = 0; u < n; ++u) offset[u + 1] += offset[u];
        source.resize(edges.size());
        weight.resize(edges.size());
        std::vector<std::size_t> fill(offset.begin(), offset.end() - 1);
        for (const auto& e : edges) {
            const std::size_t k = fill[e.target]++;
            source[k] = e.source;
            weight[k] = e.weight;
        }
    }

    // Calls f(neighbor, weight, reversed) for each entry of `node`'s list in
    // order; `reversed` tells that the edge is stored as neighbor -> node.
    template <class F>
    void forEach(NodeIndex node, F&& f) const {
        for (const auto& entry : g.neighbors(node)) f(NodeIndex{entry.target}, entry.weight, false);
        if (!g.isDirected()) return;
        for (std::size_t k = offset[node]; k < offset[node + 1]; ++k) f(NodeIndex{source[k]}, weight[k], true);
    }

private:
    const GraphView<T, W>& g;
    std::vector<std::size_t> offset;  // reversed entries of node u: [offset[u], offset[u + 1])
    std::vector<std::uint32_t> source;
    std::vector<W> weight;
};

}  // namespace tarvel::detail
