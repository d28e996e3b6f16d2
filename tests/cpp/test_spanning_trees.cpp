// Spanning trees: the union-find's rules, deep graphs, other instantiations.
#include <gtest/gtest.h>

#include "reference.hpp"

using namespace testing_support;
using tarvel::MSTAlgo;

TEST(DisjointSet, UnionBySizeKeepsFirstRootOnTies) {
    tarvel::DisjointSet sets(6);
    sets.unite(3, 1);
    EXPECT_EQ(sets.find(1), 3);
    sets.unite(4, 5);
    sets.unite(4, 3);  // equal sizes: 4 stays root
    EXPECT_EQ(sets.find(1), 4);
    sets.unite(0, 1);  // smaller set joins the larger one
    EXPECT_EQ(sets.find(0), 4);
    EXPECT_EQ(sets.find(2), 2);
}

TEST(SpanningTrees, LongPathsAndStars) {
    constexpr int n = 100000;
    for (bool directed : {true, false}) {
        G path(directed), star(directed);
        for (int i = 0; i < n; ++i) {
            path.addNode(std::to_string(i));
            star.addNode(std::to_string(i));
        }
        for (int i = 0; i + 1 < n; ++i) {
            path.addEdge(std::to_string(i), std::to_string(i + 1), i % 7);
            star.addEdge("0", std::to_string(i + 1), -(i % 5));
        }
        for (auto m : {MSTAlgo::KRUSKAL, MSTAlgo::PRIM, MSTAlgo::BORUVKA}) {
            EXPECT_EQ(path.minimumSpanningTree(m).size(), static_cast<std::size_t>(n - 1));
            EXPECT_EQ(star.minimumSpanningTree(m).size(), static_cast<std::size_t>(n - 1));
        }
    }
}

TEST(SpanningTrees, MethodsAgreeOnTotalWeight) {
    std::mt19937 rng(8);
    for (int round = 0; round < 200; ++round) {
        G g = randomGraph(rng, false, 1 + round % 30, 2 * (round % 30) + 5, -20, 20);
        const auto total = [](const std::vector<tarvel::TreeEdge>& tree) {
            double sum = 0;
            for (const auto& e : tree) sum += e.weight;
            return std::make_pair(tree.size(), sum);
        };
        EXPECT_EQ(total(g.kruskal()), total(g.boruvka()));
        if (g.componentIndices().size() == 1) {
            EXPECT_EQ(total(g.kruskal()), total(g.prim()));
        }
    }
}

TEST(SpanningTrees, BoruvkaPicksWhatAFullScanPicks) {
    std::mt19937 rng(99);
    const auto same = [](const std::vector<tarvel::TreeEdge>& a, const std::vector<tarvel::TreeEdge>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t k = 0; k < a.size(); ++k)
            if (a[k].from != b[k].from || a[k].to != b[k].to || a[k].weight != b[k].weight) return false;
        return true;
    };
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + round % 40;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % (3 * n + 1)), -3, 3 + round % 5);
        EXPECT_TRUE(same(g.boruvka(), scanningBoruvka(g))) << "round " << round;
    }
    // Directed stars join one leaf per phase, so they run long enough for the
    // heap phases to take over; extra edges among the leaves vary the picks.
    for (int round = 0; round < 60; ++round) {
        const int n = 30 + 7 * round;
        G g = randomGraph(rng, true, n, n / 3, -4, 4);
        std::uniform_int_distribution<int> weight(-5, 5);
        for (int leaf = 1; leaf < n; ++leaf) g.addEdge(g.nameOf(0), g.nameOf(leaf), weight(rng));
        EXPECT_TRUE(same(g.boruvka(), scanningBoruvka(g))) << "star round " << round;
    }
}

TEST(SpanningTrees, OtherInstantiation) {
    tarvel::Graph<int, long long> g(false);
    for (int i : {7, 8, 9}) g.addNode(i);
    g.addEdge(9, 7, 6'000'000'000LL);
    g.addEdge(8, 9, -6'000'000'000LL);
    const auto tree = g.minimumSpanningTree(MSTAlgo::KRUSKAL);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].getSource(), 8);
    EXPECT_EQ(tree[0].getWeight(), -6'000'000'000LL);
    EXPECT_EQ(tree[1].getSource(), 7);  // first-added end is the source
    EXPECT_THROW(g.minimumSpanningTree(static_cast<MSTAlgo>(3)), std::runtime_error);
}
