// Traversal and structure: the explicit-stack searches against recursive
// versions of the same steps, and graphs far deeper than any call stack.
#include <gtest/gtest.h>

#include "reference.hpp"

using namespace testing_support;

TEST(Traversal, ExplicitStacksMatchRecursiveSearches) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 400; ++round) {
        const bool directed = round % 3 != 0;
        const int n = 1 + round % 23;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % (2 * n + 1)));
        EXPECT_EQ(g.hasCycle(), RecursiveCycle{g}.run()) << "round " << round;
        if (directed) {
            EXPECT_EQ(g.tarjanComponents(), RecursiveTarjan{g}.run()) << "round " << round;
            EXPECT_EQ(g.kosarajuComponents(), RecursiveKosaraju{g}.run()) << "round " << round;
        }
    }
}

TEST(Traversal, ColouringsAreProperOnUndirectedGraphs) {
    std::mt19937 rng(777);
    for (int round = 0; round < 200; ++round) {
        G g = randomGraph(rng, false, 2 + round % 15, 3 * (round % 10));
        const auto colours = g.greedyColors();
        const auto edgeColours = g.edgeColorList();
        std::map<std::pair<std::size_t, std::size_t>, int> byKey(edgeColours.begin(), edgeColours.end());
        for (std::size_t u = 0; u < g.size(); ++u) {
            for (const auto& [v, w] : g.neighbours(u)) {
                if (u != v) {
                    EXPECT_NE(colours[u], colours[v]);
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

TEST(Traversal, LongPathsDoNotExhaustTheStack) {
    constexpr int n = 100000;
    for (bool directed : {true, false}) {
        G g(directed);
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        for (int i = 0; i + 1 < n; ++i) g.addEdge(std::to_string(i), std::to_string(i + 1), 1);
        EXPECT_EQ(g.dfsOrder(0).size(), static_cast<std::size_t>(n));
        EXPECT_EQ(g.componentIndices().size(), 1u);
        EXPECT_EQ(g.hasCycle(), !directed);
        EXPECT_EQ(g.isBipartite(), true);
        EXPECT_EQ(g.edgeColorList().size(), static_cast<std::size_t>(n - 1));
        if (directed) {
            const auto tarjan = g.tarjanComponents();
            ASSERT_EQ(tarjan.size(), static_cast<std::size_t>(n));
            EXPECT_EQ(tarjan.front(), tarvel::IndexPath{n - 1});  // the sink finishes first
            const auto kosaraju = g.kosarajuComponents();
            EXPECT_EQ(kosaraju.front(), tarvel::IndexPath{0});
        }
    }
}

TEST(Traversal, UnknownStartAndUndirectedSccAreRefused) {
    G g(false);
    g.addNode("a");
    EXPECT_THROW(g.iterativeDFS("b"), std::out_of_range);
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
        EXPECT_STREQ(e.what(), "wrong method!!!");
    }
}
