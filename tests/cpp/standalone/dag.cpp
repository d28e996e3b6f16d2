#include <tarvel/dag.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Dag) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("b", "a", 0);
    g.addEdge("a", "c", 0);
    EXPECT_EQ(tarvel::topologicalOrder(g.view()), (tarvel::IndexPath{1, 0, 2}));
    EXPECT_EQ(tarvel::topologicalGenerations(g.view()).size(), 3u);
    EXPECT_EQ(tarvel::topologicalOrderByRank(g.view(), {0, 0, 0}), (tarvel::IndexPath{1, 0, 2}));
    EXPECT_EQ(tarvel::descendants(g.view(), 1), (tarvel::IndexPath{0, 2}));
    EXPECT_EQ(tarvel::ancestors(g.view(), 2), (tarvel::IndexPath{0, 1}));
}
