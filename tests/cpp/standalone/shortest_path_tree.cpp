#include <tarvel/shortest_path_tree.hpp>

#include <gtest/gtest.h>

TEST(Standalone, ShortestPathTree) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 2);
    g.addEdge("b", "c", -1);
    const auto tree = tarvel::shortestPathTree(g.view(), 0, tarvel::ShortestPathAlgo::BELLMAN_FORD);
    EXPECT_EQ(tarvel::pathTo(tree, 2), (tarvel::IndexPath{0, 1, 2}));
    EXPECT_TRUE(tree.reaches(0) && tree.reaches(2) && !tarvel::dijkstraTree(g.view(), 2).reaches(0));
    EXPECT_EQ(tarvel::allPaths(tarvel::dijkstraTree(g.view(), 1))[2].size(), 2u);
}
