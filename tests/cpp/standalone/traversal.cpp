#include <tarvel/traversal.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Traversal) {
    tarvel::GraphStore<int, int> g(false);
    for (int i : {10, 20, 30, 40}) g.addNode(i);
    g.addEdge(10, 20, 1);
    g.addEdge(20, 30, 1);
    g.addEdge(10, 40, 1);
    EXPECT_EQ(tarvel::depthFirstOrder(g.view(), 0), (tarvel::IndexPath{0, 3, 1, 2}));
    g.addNode(50);
    const tarvel::Groups groups = tarvel::connectedComponents(g.view());
    EXPECT_EQ(groups.nodes, (tarvel::IndexPath{0, 1, 3, 2, 4}));
    EXPECT_EQ(groups.offsets, (std::vector<std::size_t>{0, 4, 5}));
    EXPECT_EQ(tarvel::connectedComponentCount(g.view()), 2u);
    EXPECT_TRUE(tarvel::hasCycle(g.view()));
}
