#include <tarvel/centrality.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Centrality) {
    tarvel::GraphStore<std::string, int> g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 0);
    g.addEdge("b", "c", 0);
    EXPECT_EQ(tarvel::degreeCentrality(g.view()), (std::vector<double>{1.0, 2.0, 1.0}));
    EXPECT_EQ(tarvel::closenessCentrality(g.view()), (std::vector<double>{1.0 / 3, 0.5, 1.0 / 3}));
    EXPECT_EQ(tarvel::betweennessCentrality(g.view()), (std::vector<double>{0.0, 2.0, 0.0}));
    EXPECT_EQ(tarvel::katzCentrality(g.view(), 0.1, 1.0, 0, 1e-6), (std::vector<double>(3, 1.0 / 3)));
    EXPECT_EQ(tarvel::reachSums(g.view())[1], (tarvel::ReachSum{2, 2}));
    EXPECT_EQ(tarvel::incomingKatzCentrality(g.view(), 0.1, {1.0, 1.0, 1.0}, {}, 1, 1e-6, false, false).scores,
              (std::vector<double>(3, 1.0)));
}
