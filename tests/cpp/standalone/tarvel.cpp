#include <tarvel/tarvel.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Umbrella) {
    tarvel::Graph<int, double> g(true);
    g.addNode(1);
    g.addNode(2);
    g.addEdge(1, 2, 0.5);
    EXPECT_EQ(g.stronglyConnectedComponents().size(), 2u);
    EXPECT_EQ(g.edgeColoring().at({1, 2}), 1);
}
