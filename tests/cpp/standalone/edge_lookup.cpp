#include <tarvel/edge_lookup.hpp>

#include <gtest/gtest.h>

TEST(Standalone, EdgeLookup) {
    tarvel::GraphStore<int, int> g(false);
    for (int i : {1, 2}) g.addNode(i);
    g.addEdge(1, 2, 0);
    EXPECT_TRUE(tarvel::hasEdge(g.view(), 1, 0));
    EXPECT_FALSE(tarvel::hasEdge(g.view(), 0, 0));
}
