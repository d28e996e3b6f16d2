#include <tarvel/strong_components.hpp>

#include <gtest/gtest.h>

TEST(Standalone, StrongComponents) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "a", 1);
    g.addEdge("b", "c", 1);
    EXPECT_EQ(tarvel::tarjanComponents(g.view()), (std::vector<tarvel::IndexPath>{{2}, {1, 0}}));
    EXPECT_EQ(tarvel::kosarajuComponents(g.view()), (std::vector<tarvel::IndexPath>{{0, 1}, {2}}));
    EXPECT_EQ(tarvel::stronglyConnectedComponents(g.view(), tarvel::SCCAlgo::KOSARAJU).size(), 2u);
}
