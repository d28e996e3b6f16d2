#include <tarvel/weighted_centrality.hpp>

#include <gtest/gtest.h>

TEST(Standalone, WeightedCentrality) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 2);
    g.addEdge("b", "c", 3);
    g.addEdge("a", "c", 5);
    EXPECT_EQ(tarvel::weightedBetweennessCentrality(g.view()), (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_EQ(tarvel::weightedClosenessCentrality(g.view()), (std::vector<double>{1.0 / 7, 0.2, 1.0 / 8}));
    EXPECT_EQ(tarvel::weightedReachSums(g.view())[1].distanceSum, 5);
}
