#include <tarvel/pagerank.hpp>

#include <gtest/gtest.h>

TEST(Standalone, PageRank) {
    tarvel::GraphStore<std::string, int> g(true);
    for (const char* n : {"a", "b"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "a", 1);
    const tarvel::PageRankScores ranks = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, 10, 1e-6, true);
    EXPECT_TRUE(ranks.converged);
    EXPECT_EQ(ranks.scores, (std::vector<double>{0.5, 0.5}));
}
