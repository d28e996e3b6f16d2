#include <tarvel/harmonic.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Harmonic) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 2);
    g.addEdge("b", "c", 2);
    EXPECT_EQ(tarvel::harmonicCentrality(g.view()), (std::vector<double>{1.5, 2.0, 1.5}));
    EXPECT_EQ(tarvel::harmonicCentrality(g.view(), true), (std::vector<double>{0.75, 1.0, 0.75}));
}
