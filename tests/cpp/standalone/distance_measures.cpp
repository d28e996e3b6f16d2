#include <tarvel/distance_measures.hpp>

#include <gtest/gtest.h>

TEST(Standalone, DistanceMeasures) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 2);
    g.addEdge("b", "c", 3);
    EXPECT_EQ(tarvel::diameter(g.view(), true), 5);
    EXPECT_EQ(tarvel::center(g.view(), false), (std::vector<tarvel::NodeIndex>{1}));
}
