#include <tarvel/coloring.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Coloring) {
    tarvel::GraphStore<int, int> g(false);
    for (int i : {1, 2, 3}) g.addNode(i);
    g.addEdge(1, 2, 0);
    g.addEdge(2, 3, 0);
    g.addEdge(3, 1, 0);
    EXPECT_EQ(tarvel::greedyNodeColors(g.view()), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(tarvel::isBipartite(g.view()));
    const auto colors = tarvel::edgeColors(g.view());
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[1].target, 2u);
    EXPECT_EQ(colors[1].color, 2);
}
