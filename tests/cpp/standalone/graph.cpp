#include <tarvel/graph.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Graph) {
    tarvel::Graph<std::string, int> g(false);
    for (const char* n : {"a", "b"}) g.addNode(n);
    g.addEdge("a", "b", 7);
    EXPECT_TRUE(g.hasCycle());
    EXPECT_TRUE(g.isBipartite());
    EXPECT_EQ(g.iterativeDFS("a"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(g.shortestPath("a", "b", tarvel::ShortestPathAlgo::DIJKSTRA, nullptr).size(), 2u);
    EXPECT_EQ(g.minimumSpanningTree().at(0).getWeight(), 7);
    EXPECT_EQ(g.betweennessCentrality().at("a"), 0.0);
}
