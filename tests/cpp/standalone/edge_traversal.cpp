#include <tarvel/edge_traversal.hpp>

#include <gtest/gtest.h>

TEST(Standalone, EdgeTraversal) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "a", 1);
    EXPECT_EQ(tarvel::edgeDepthFirst(g.view()).size(), 2u);
    EXPECT_EQ(tarvel::edgeBreadthFirst(g.view(), {1}, tarvel::Orientation::Reverse).size(), 2u);
    EXPECT_EQ(tarvel::findCycle(g.view()).size(), 2u);
}
