#include <tarvel/clustering.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Clustering) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 0);
    g.addEdge("b", "c", 0);
    g.addEdge("c", "a", 0);
    EXPECT_EQ(tarvel::triangles(g.view()), (std::vector<std::uint64_t>{1, 1, 1}));
    EXPECT_EQ(tarvel::clustering(g.view(), {2}), (std::vector<double>{1.0}));
    EXPECT_EQ(tarvel::averageClustering(g.view()), 1.0);
    EXPECT_EQ(tarvel::transitivity(g.view()), 1.0);
}
