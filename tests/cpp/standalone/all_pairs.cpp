#include <tarvel/all_pairs.hpp>

#include <gtest/gtest.h>

TEST(Standalone, AllPairs) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "c", 1);
    g.addEdge("a", "b", 1);
    EXPECT_EQ(tarvel::visitOrder(g.view(), 0, tarvel::ShortestPathAlgo::BFS).nodes,
              (std::vector<tarvel::NodeIndex>{0, 2, 1}));
}
