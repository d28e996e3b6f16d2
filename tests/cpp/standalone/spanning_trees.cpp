#include <tarvel/spanning_trees.hpp>

#include <gtest/gtest.h>

TEST(Standalone, SpanningTrees) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "x"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "x", 2);
    g.addEdge("a", "x", 3);
    using Tree = std::vector<tarvel::TreeEdge<int>>;
    EXPECT_EQ(tarvel::kruskal(g.view()), (Tree{{0, 1, 1}, {1, 2, 2}}));
    EXPECT_EQ(tarvel::prim(g.view()), (Tree{{0, 1, 1}, {1, 2, 2}}));
    EXPECT_EQ(tarvel::boruvka(g.view()), (Tree{{0, 1, 1}, {2, 1, 2}}));
    EXPECT_EQ(tarvel::minimumSpanningTree(g.view(), tarvel::MSTAlgo::BORUVKA), tarvel::boruvka(g.view()));
}
