#include <tarvel/store.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Store) {
    tarvel::GraphStore<std::string, int> g(false);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", 3);
    g.addEdge("b", "a", 4);
    const auto view = g.view();
    EXPECT_EQ(view.nodeCount(), 2u);
    EXPECT_EQ(view.neighbors(1).size(), 2u);
    EXPECT_EQ(view.edges().size(), 2u);
    EXPECT_EQ(view.fileRecords(), (std::vector<bool>{true, false}));
    EXPECT_EQ(g.edgeRecords().size(), 1u);
    EXPECT_THROW(view.checkNode(2), std::out_of_range);
    EXPECT_THROW(g.nameOf(2), std::out_of_range);
    EXPECT_EQ((tarvel::Edge<std::string, int>("x", "y", 4).getDestination()), "y");
}
