// Traversal, colorings and strong components: the explicit-stack searches
// against recursive versions of the same steps, the bipartiteness test
// against an odd-cycle search, and graphs far deeper than any call stack.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

using namespace testing_support;

TEST(Traversal, ExplicitStacksMatchRecursiveSearches) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 400; ++round) {
        const bool directed = round % 3 != 0;
        const int n = 1 + round % 23;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(2 * n + 1)));
        EXPECT_EQ(tarvel::hasCycle(g.view()), RecursiveCycle{g.view()}.run()) << "round " << round;
        if (directed) {
            EXPECT_EQ(tarvel::tarjanComponents(g.view()), RecursiveTarjan{g.view()}.run()) << "round " << round;
            EXPECT_EQ(tarvel::kosarajuComponents(g.view()), RecursiveKosaraju{g.view()}.run()) << "round " << round;
        }
    }
}

TEST(Traversal, ColoringsAreProperOnUndirectedGraphs) {
    std::mt19937 rng(777);
    for (int round = 0; round < 200; ++round) {
        G g = randomGraph(rng, false, 2 + round % 15, 3 * (round % 10));
        const auto colors = tarvel::greedyNodeColors(g.view());
        std::map<std::pair<std::size_t, std::size_t>, int> byKey;
        for (const auto& e : tarvel::edgeColors(g.view())) byKey[{e.source, e.target}] = e.color;
        for (std::size_t u = 0; u < g.nodeCount(); ++u) {
            for (const auto& [v, w] : g.view().neighbors(u)) {
                if (u != v) {
                    EXPECT_NE(colors[u], colors[v]);
                }
            }
        }
        for (const auto& [a, ca] : byKey) {
            for (const auto& [b, cb] : byKey) {
                const bool share = a.first == b.first || a.first == b.second || a.second == b.first ||
                                   a.second == b.second;
                if (a != b && share) {
                    EXPECT_NE(ca, cb) << round;
                }
            }
        }
    }
}

namespace {

// Whether the undirected reading of `g` has a cycle of odd length: a walk
// over (node, parity) states reaches (s, odd) from (s, even) exactly then.
bool hasOddCycle(View g) {
    const auto lists = undirectedLists(g);
    const std::size_t n = g.nodeCount();
    for (std::size_t s = 0; s < n; ++s) {
        std::vector<bool> seen(2 * n, false);
        std::vector<std::size_t> stack{2 * s};
        seen[2 * s] = true;
        while (!stack.empty()) {
            const std::size_t state = stack.back();
            stack.pop_back();
            for (const auto& e : lists[state / 2]) {
                const std::size_t next = 2 * e.neighbor + (1 - state % 2);
                if (!seen[next]) {
                    seen[next] = true;
                    stack.push_back(next);
                }
            }
        }
        if (seen[2 * s + 1]) return true;
    }
    return false;
}

}  // namespace

TEST(Traversal, BipartiteMeansNoOddCycle) {
    std::mt19937 rng(31337);
    int bipartite = 0;
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + round % 17;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(n + 3)));
        const bool answer = tarvel::isBipartite(g.view());
        EXPECT_EQ(answer, !hasOddCycle(g.view())) << "round " << round;
        bipartite += answer;
    }
    EXPECT_GT(bipartite, 100);  // both answers were really exercised
    EXPECT_LT(bipartite, 500);
}

namespace {

// Edge coloring by the plain procedure: for every edge, look up the color of
// every entry of both ends' lists.
std::vector<tarvel::EdgeColor> scanningEdgeColors(View g) {
    std::vector<tarvel::EdgeColor> colored;
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> slot;
    const auto colorOf = [&](std::size_t a, std::size_t b) {
        auto it = slot.find({a, b});
        if (it == slot.end()) it = slot.find({b, a});
        return it == slot.end() ? 0 : colored[it->second].color;
    };
    for (std::size_t i = 0; i < g.nodeCount(); ++i) {
        for (const auto& [b, w] : g.neighbors(i)) {
            if (!g.isDirected() && b < i) continue;
            std::set<int> used;
            for (const auto& [l, wl] : g.neighbors(i)) used.insert(colorOf(i, l));
            for (const auto& [m, wm] : g.neighbors(b)) used.insert(colorOf(b, m));
            int j = 1;
            while (used.count(j)) ++j;
            const auto [it, added] = slot.emplace(std::make_pair(i, std::size_t{b}), colored.size());
            if (added) {
                colored.push_back({i, b, j});
            } else {
                colored[it->second].color = j;
            }
        }
    }
    return colored;
}

}  // namespace

TEST(Traversal, EdgeColorsEqualThePlainProcedure) {
    std::mt19937 rng(2468);
    for (int round = 0; round < 500; ++round) {
        const int n = 1 + round % 25;
        // Dense rounds repeat pairs and self-loops often; stars add a hub.
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)));
        if (round % 5 == 0)
            for (int leaf = 1; leaf < n; ++leaf) g.addEdge(g.nameOf(static_cast<std::size_t>(leaf)), g.nameOf(0), 1);
        const auto fast = tarvel::edgeColors(g.view()), plain = scanningEdgeColors(g.view());
        ASSERT_EQ(fast.size(), plain.size()) << round;
        for (std::size_t k = 0; k < fast.size(); ++k) {
            EXPECT_EQ(std::make_tuple(fast[k].source, fast[k].target, fast[k].color),
                      std::make_tuple(plain[k].source, plain[k].target, plain[k].color))
                << "round " << round << " key " << k;
        }
    }
}

TEST(Traversal, LongPathsDoNotExhaustTheStack) {
    constexpr int n = 100000;
    for (bool directed : {true, false}) {
        G g(directed);
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        for (int i = 0; i + 1 < n; ++i) g.addEdge(std::to_string(i), std::to_string(i + 1), 1);
        const View v = g.view();
        EXPECT_EQ(tarvel::depthFirstOrder(v, 0).size(), static_cast<std::size_t>(n));
        EXPECT_EQ(tarvel::connectedComponents(v).size(), 1u);
        // Entered from the far end, the path is one weak component either way.
        G reversed(directed);
        for (int i = 0; i < n; ++i) reversed.addNode(std::to_string(i));
        for (int i = 0; i + 1 < n; ++i) reversed.addEdge(std::to_string(i + 1), std::to_string(i), 1);
        const auto weak = tarvel::weaklyConnectedComponents(reversed.view());
        ASSERT_EQ(weak.size(), 1u);
        EXPECT_EQ(weak[0].size(), static_cast<std::size_t>(n));
        EXPECT_EQ(tarvel::hasCycle(v), !directed);
        EXPECT_TRUE(tarvel::isBipartite(v));
        EXPECT_EQ(tarvel::edgeColors(v).size(), static_cast<std::size_t>(n - 1));
        if (directed) {
            const auto tarjan = tarvel::tarjanComponents(v);
            ASSERT_EQ(tarjan.size(), static_cast<std::size_t>(n));
            EXPECT_EQ(tarjan.front(), tarvel::IndexPath{n - 1});  // the sink finishes first
            EXPECT_EQ(tarvel::kosarajuComponents(v).front(), tarvel::IndexPath{0});
        }
    }
}

TEST(Traversal, BadStartsAndUndirectedSccAreRefused) {
    G g(false);
    g.addNode("a");
    EXPECT_THROW(g.iterativeDFS("b"), std::out_of_range);
    EXPECT_THROW(tarvel::depthFirstOrder(g.view(), 1), std::out_of_range);
    EXPECT_FALSE(g.hasNode("b"));
    try {
        g.stronglyConnectedComponents(tarvel::SCCAlgo::KOSARAJU);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "implemented only for directed graph");
    }
    G d(true);
    try {
        d.stronglyConnectedComponents(static_cast<tarvel::SCCAlgo>(5));
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "5 is not an SCCAlgo: use TARJAN or KOSARAJU");
    }
}
