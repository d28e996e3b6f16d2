// Breadth-first edges and layers and depth-first labelled edges on random
// graphs with parallel edges and self-loops: against a plain queue-of-
// iterators search, hop distances, a recursive depth-first search, and the
// rule that every entry of an expanded node is read exactly once.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

#include "support.hpp"

using namespace testing_support;
using tarvel::DepthFirstLabel;
using tarvel::NodeIndex;

namespace {

using Lists = std::vector<std::vector<NodeIndex>>;

Lists forwardLists(View g) {
    Lists out(g.nodeCount());
    for (NodeIndex u = 0; u < g.nodeCount(); ++u)
        for (const auto& entry : g.neighbors(u)) out[u].push_back(entry.target);
    return out;
}

// Each node's in-neighbors, one per entry, sources in index order.
Lists reverseLists(View g) {
    Lists out(g.nodeCount());
    for (NodeIndex u = 0; u < g.nodeCount(); ++u)
        for (const auto& entry : g.neighbors(u)) out[entry.target].push_back(u);
    return out;
}

// A breadth-first search kept as a queue of (node, remaining depth, next
// entry), one entry read per step: a different loop from the kernel's.
std::vector<std::pair<NodeIndex, NodeIndex>> queueOfIterators(const Lists& lists, std::vector<NodeIndex> sources,
                                                              std::size_t limit) {
    std::vector<bool> seen(lists.size());
    std::deque<std::tuple<NodeIndex, std::size_t, std::size_t>> queue;
    for (NodeIndex s : sources) {
        if (seen[s]) continue;
        seen[s] = true;
        if (limit > 0) queue.emplace_back(s, limit, 0);
    }
    std::vector<std::pair<NodeIndex, NodeIndex>> edges;
    while (!queue.empty()) {
        auto& [u, depth, next] = queue.front();
        if (next == lists[u].size()) {
            queue.pop_front();
            continue;
        }
        const NodeIndex v = lists[u][next++];
        if (seen[v]) continue;
        seen[v] = true;
        edges.emplace_back(u, v);
        if (depth > 1) queue.emplace_back(v, depth - 1, 0);
    }
    return edges;
}

// Hop distances from the nearest source (-1: unreached), by relaxing every
// entry until nothing changes: no queue at all.
std::vector<long> hopDistances(const Lists& lists, const std::vector<NodeIndex>& sources) {
    std::vector<long> d(lists.size(), -1);
    for (NodeIndex s : sources) d[s] = 0;
    for (bool changed = true; changed;) {
        changed = false;
        for (NodeIndex u = 0; u < lists.size(); ++u) {
            if (d[u] < 0) continue;
            for (NodeIndex v : lists[u]) {
                if (d[v] < 0 || d[v] > d[u] + 1) {
                    d[v] = d[u] + 1;
                    changed = true;
                }
            }
        }
    }
    return d;
}

// The labelled depth-first steps, by recursion (the graphs here are small).
struct RecursiveLabels {
    const Lists& lists;
    std::size_t limit;
    std::vector<bool> visited = std::vector<bool>(lists.size());
    std::vector<tarvel::LabeledEdge> out;

    void enter(NodeIndex u, std::size_t depth) {  // depth: nodes on the path, u counted
        for (NodeIndex v : lists[u]) {
            if (visited[v]) {
                out.push_back({u, v, DepthFirstLabel::Nontree});
                continue;
            }
            visited[v] = true;
            out.push_back({u, v, DepthFirstLabel::Forward});
            if (depth < limit) {
                enter(v, depth + 1);
                out.push_back({u, v, DepthFirstLabel::Reverse});
            } else {
                out.push_back({u, v, DepthFirstLabel::ReverseDepthLimit});
            }
        }
    }
    void run(const std::vector<NodeIndex>& starts) {
        for (NodeIndex s : starts) {
            if (visited[s]) continue;
            visited[s] = true;
            out.push_back({s, s, DepthFirstLabel::Forward});
            enter(s, 1);
            out.push_back({s, s, DepthFirstLabel::Reverse});
        }
    }
};

std::vector<NodeIndex> someSources(std::mt19937& rng, std::size_t n) {
    std::vector<NodeIndex> sources;
    const std::size_t count = 1 + rng() % 3;
    for (std::size_t k = 0; k < count; ++k) sources.push_back(rng() % n);  // repeats included
    return sources;
}

}  // namespace

TEST(BreadthFirst, EdgesMatchAQueueOfIteratorsAndHopDistances) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 2 == 0;
        const int n = 1 + round % 19;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const auto sources = someSources(rng, g.nodeCount());
        const std::size_t limit = round % 3 == 0 ? tarvel::NoDepthLimit : rng() % 4;
        for (const bool reverse : {false, true}) {
            const Lists lists = reverse && directed ? reverseLists(g.view()) : forwardLists(g.view());
            const auto edges = tarvel::breadthFirstEdges(g.view(), sources, limit, reverse);
            ASSERT_EQ(edges, queueOfIterators(lists, sources, limit)) << "round " << round;
            const auto d = hopDistances(lists, sources);
            std::size_t within = 0;
            for (long x : d) within += x > 0 && static_cast<std::size_t>(x) <= limit;
            EXPECT_EQ(edges.size(), within) << "round " << round;  // one edge per reached non-source
            for (const auto& [u, v] : edges) {
                EXPECT_EQ(d[v], d[u] + 1) << "round " << round;
                EXPECT_NE(std::find(lists[u].begin(), lists[u].end(), v), lists[u].end());
            }
        }
    }
}

TEST(BreadthFirst, LayersAreHopDistancesInDiscoveryOrder) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 2 == 1;
        const int n = 1 + round % 17;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const auto sources = someSources(rng, g.nodeCount());
        const auto layers = tarvel::breadthFirstLayers(g.view(), sources);
        const auto d = hopDistances(forwardLists(g.view()), sources);
        std::vector<NodeIndex> order;  // sources as first given, then the tree edges' ends
        for (NodeIndex s : sources)
            if (std::find(order.begin(), order.end(), s) == order.end()) order.push_back(s);
        for (const auto& [u, v] : tarvel::breadthFirstEdges(g.view(), sources)) order.push_back(v);
        std::vector<NodeIndex> flat;
        for (std::size_t k = 0; k < layers.size(); ++k) {
            ASSERT_GT(layers[k].size(), 0u);
            for (NodeIndex v : layers[k]) {
                EXPECT_EQ(d[v], static_cast<long>(k)) << "round " << round;
                flat.push_back(v);
            }
        }
        EXPECT_EQ(flat, order) << "round " << round;
    }
}

TEST(DepthFirst, LabelledEdgesMatchARecursiveSearch) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 2 == 0;
        const int n = 1 + round % 21;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const Lists lists = forwardLists(g.view());
        const std::size_t limit = round % 3 == 0 ? tarvel::NoDepthLimit : rng() % 4;
        const bool all = round % 4 < 2;
        std::vector<NodeIndex> starts;
        if (all) {
            for (NodeIndex i = 0; i < g.nodeCount(); ++i) starts.push_back(i);
        } else {
            starts = someSources(rng, g.nodeCount());
        }
        RecursiveLabels reference{lists, limit, std::vector<bool>(lists.size()), {}};
        reference.run(starts);
        const auto steps = all ? tarvel::wholeDepthFirstLabeledEdges(g.view(), limit)
                               : tarvel::depthFirstLabeledEdges(g.view(), starts, limit);
        ASSERT_EQ(steps, reference.out) << "round " << round;

        // Every entry of an expanded node is read once, as Forward or Nontree;
        // Forward reaches each node once.
        std::map<std::pair<NodeIndex, NodeIndex>, int> read, entries;
        std::vector<int> entered(g.nodeCount()), expanded(g.nodeCount(), 1);
        for (const auto& e : steps) {
            if (e.label == DepthFirstLabel::ReverseDepthLimit) expanded[e.target] = 0;
            if (e.source == e.target && (e.label == DepthFirstLabel::Forward || e.label == DepthFirstLabel::Reverse))
                continue;
            if (e.label == DepthFirstLabel::Forward) ++entered[e.target];
            if (e.label == DepthFirstLabel::Forward || e.label == DepthFirstLabel::Nontree) ++read[{e.source, e.target}];
        }
        for (const auto& e : steps) {
            if (e.label != DepthFirstLabel::Forward || !expanded[e.target]) continue;
            for (NodeIndex v : lists[e.target]) ++entries[{e.target, v}];
        }
        for (const auto& [edge, count] : entries) EXPECT_EQ(read[edge], count) << "round " << round;
        for (NodeIndex v = 0; v < g.nodeCount(); ++v) EXPECT_LE(entered[v], 1);
        // Keeping some labels keeps exactly those steps.
        const unsigned mask = static_cast<unsigned>(DepthFirstLabel::Forward) |
                              static_cast<unsigned>(DepthFirstLabel::ReverseDepthLimit);
        std::vector<tarvel::LabeledEdge> kept;
        for (const auto& e : steps)
            if (static_cast<unsigned>(e.label) & mask) kept.push_back(e);
        EXPECT_EQ(tarvel::depthFirstLabeledEdges(g.view(), starts, limit, mask), kept);
    }
}

TEST(BreadthDepthFirst, LongPathsAndUnknownSources) {
    const std::size_t n = 1'000'000;
    tarvel::GraphStore<int, int> g(true);
    std::vector<int> nodes(n);
    for (std::size_t i = 0; i < n; ++i) nodes[i] = static_cast<int>(i);
    g.addNodes(nodes);
    std::vector<tarvel::GraphStore<int, int>::EdgeSpec> edges;
    for (std::size_t i = 0; i + 1 < n; ++i) edges.push_back({static_cast<int>(i), static_cast<int>(i + 1), 1});
    g.addEdges(edges);
    const auto view = g.view();
    EXPECT_EQ(tarvel::breadthFirstEdges(view, {0}).size(), n - 1);
    EXPECT_EQ(tarvel::breadthFirstLayers(view, {0}).size(), n);
    const auto reversed = tarvel::breadthFirstEdges(view, {static_cast<NodeIndex>(n - 1)}, 3, true);
    ASSERT_EQ(reversed.size(), 3u);
    EXPECT_EQ(reversed.back(), std::make_pair(static_cast<NodeIndex>(n - 3), static_cast<NodeIndex>(n - 4)));
    const auto steps = tarvel::depthFirstLabeledEdges(view, {0});
    EXPECT_EQ(steps.size(), 2 * n);
    EXPECT_FALSE(tarvel::hasCycle(view));
    EXPECT_THROW(tarvel::breadthFirstEdges(view, {0, static_cast<NodeIndex>(n)}), std::out_of_range);
    EXPECT_THROW(tarvel::breadthFirstLayers(view, {static_cast<NodeIndex>(n)}), std::out_of_range);
    EXPECT_THROW(tarvel::depthFirstLabeledEdges(view, {static_cast<NodeIndex>(n)}), std::out_of_range);
}
