// Shortest distances from one source the textbook way, for the C++ tests to
// compare the library's searches with: Bellman-Ford relaxing every edge
// record (both ways when undirected) for exactly V - 1 rounds, then one more
// round that finds an improvement only around a reachable negative cycle.
// It shares nothing with the library but the edge records it reads: no
// adjacency lists, no early stop, no order among the nodes, and plain 64-bit
// sums (the tests keep weights small).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace testing_support {

struct ReferenceDistances {
    bool negativeCycle = false;
    std::vector<std::optional<std::int64_t>> distance;  // empty optional: not reached
};

template <class T, class W>
ReferenceDistances textbookBellmanFord(const tarvel::GraphView<T, W>& g, std::size_t source) {
    struct Arc {
        std::size_t from, to;
        std::int64_t weight;
    };
    std::vector<Arc> arcs;
    for (const auto& e : g.edges()) {
        arcs.push_back({e.source, e.target, static_cast<std::int64_t>(e.weight)});
        if (!g.isDirected()) arcs.push_back({e.target, e.source, static_cast<std::int64_t>(e.weight)});
    }
    ReferenceDistances out;
    out.distance.assign(g.nodeCount(), std::nullopt);
    out.distance[source] = 0;
    const auto relaxes = [&](const Arc& a) {
        return out.distance[a.from] && (!out.distance[a.to] || *out.distance[a.from] + a.weight < *out.distance[a.to]);
    };
    for (std::size_t round = 0; round + 1 < g.nodeCount(); ++round) {
        for (const Arc& a : arcs)
            if (relaxes(a)) out.distance[a.to] = *out.distance[a.from] + a.weight;
    }
    for (const Arc& a : arcs) out.negativeCycle = out.negativeCycle || relaxes(a);
    return out;
}

}  // namespace testing_support
