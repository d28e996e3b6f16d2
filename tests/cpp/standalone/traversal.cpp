#include <tarvel/traversal.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Traversal) {
    tarvel::GraphStore<int, int> g(false);
    for (int i : {10, 20, 30, 40}) g.addNode(i);
    g.addEdge(10, 20, 1);
    g.addEdge(20, 30, 1);
    g.addEdge(10, 40, 1);
    EXPECT_EQ(tarvel::depthFirstOrder(g.view(), 0), (tarvel::IndexPath{0, 3, 1, 2}));
    EXPECT_EQ(tarvel::connectedComponents(g.view()), (std::vector<tarvel::IndexPath>{{0, 1, 3, 2}}));
    EXPECT_TRUE(tarvel::hasCycle(g.view()));
}
