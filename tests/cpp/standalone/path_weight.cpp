#include <tarvel/path_weight.hpp>

#include <gtest/gtest.h>

TEST(Standalone, PathWeight) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b"}) g.addNode(n);
    g.addEdge("a", "b", 5);
    EXPECT_EQ(tarvel::pathWeight(g.view(), {0, 1}), 5);
    EXPECT_THROW(tarvel::pathWeight(g.view(), {1, 0}), std::invalid_argument);
}
