// Each file of this folder includes one header alone and uses what it declares.
#include <tarvel/types.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Types) {
    const std::vector<tarvel::AdjacencyEntry<int>> list{{1, 5}, {2, -1}};
    const tarvel::Span<tarvel::AdjacencyEntry<int>> span(list);
    EXPECT_EQ(span.size(), 2u);
    EXPECT_EQ(span[1].target, 2u);
    EXPECT_NE(tarvel::PairHash{}(std::make_pair(1, 2)), tarvel::PairHash{}(std::make_pair(2, 1)));
    EXPECT_EQ(static_cast<int>(tarvel::ShortestPathAlgo::BELLMAN_FORD), 4);
}
