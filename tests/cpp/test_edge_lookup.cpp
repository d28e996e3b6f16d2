// hasEdge: every pair of random graphs against the edge records, and names.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

using namespace testing_support;

TEST(EdgeLookup, AgreesWithTheEdgeRecords) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {  // self-loops and parallel edges included
        const int n = 1 + round % 12;
        const G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        std::set<std::pair<std::size_t, std::size_t>> joined;
        for (const auto& e : g.view().edges()) {
            joined.emplace(e.source, e.target);
            if (!g.isDirected()) joined.emplace(e.target, e.source);
        }
        for (std::size_t a = 0; a < g.nodeCount(); ++a)
            for (std::size_t b = 0; b < g.nodeCount(); ++b)
                ASSERT_EQ(tarvel::hasEdge(g.view(), a, b), joined.count({a, b}) == 1) << round << ": " << a << b;
        EXPECT_THROW(tarvel::hasEdge(g.view(), 0, g.nodeCount()), std::out_of_range);
    }
}

TEST(EdgeLookup, ByName) {
    G d(true), u(false);
    for (G* g : {&d, &u}) {
        for (const char* n : {"a", "b", "c"}) g->addNode(n);
        g->addEdge("a", "b", 1);
        g->addEdge("c", "c", 1);
        EXPECT_TRUE(g->hasEdge("c", "c"));
        EXPECT_FALSE(g->hasEdge("a", "ghost") || g->hasEdge("ghost", "a") || g->hasEdge("ghost", "ghost"));
    }
    EXPECT_FALSE(d.hasEdge("b", "a"));
    EXPECT_TRUE(u.hasEdge("b", "a"));
}
