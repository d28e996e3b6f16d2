#include <tarvel/shortest_paths.hpp>

#include <gtest/gtest.h>

TEST(Standalone, ShortestPaths) {
    tarvel::GraphStore<std::string, long long> g(true);
    for (const char* n : {"a", "b", "x"}) g.addNode(n);
    g.addEdge("a", "b", 5);
    g.addEdge("b", "x", -2);
    g.addEdge("a", "x", 4);
    const tarvel::IndexPath viaB{0, 1, 2};
    EXPECT_EQ(tarvel::bfs(g.view(), 0, 2), (tarvel::IndexPath{0, 2}));
    EXPECT_EQ(tarvel::dijkstra(g.view(), 0, 2), viaB);
    EXPECT_EQ(tarvel::uniformCostSearch(g.view(), 0, 2), (tarvel::IndexPath{0, 2}));
    EXPECT_EQ(tarvel::aStar(g.view(), 0, 2, [](std::size_t, std::size_t) { return 0.0; }), viaB);
    EXPECT_EQ(tarvel::bellmanFord(g.view(), 0, 2), viaB);
    EXPECT_EQ(tarvel::shortestPath(g.view(), 0, 2, tarvel::ShortestPathAlgo::BFS, nullptr), (tarvel::IndexPath{0, 2}));
}
