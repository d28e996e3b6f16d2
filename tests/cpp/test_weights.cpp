// The same cases over three instantiations: text names with 32-bit weights
// (the Python module's), integer names with 64-bit weights and with double
// weights. Boundary weights must come back exactly from every operation
// that returns weights, and distances must be exact sums.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace {

using tarvel::MSTAlgo;
using tarvel::ShortestPathAlgo;

template <class G>
class Weights : public ::testing::Test {
protected:
    using Name = typename G::Name;
    using WeightType = typename G::Weight;

    static Name label(int i) {
        if constexpr (std::is_same_v<Name, std::string>) {
            return std::to_string(i);
        } else {
            return i;
        }
    }

    // A graph with nodes 0 .. n-1 and edges (from, to, weight).
    static G make(bool directed, int n, const std::vector<std::tuple<int, int, WeightType>>& edges = {}) {
        G g(directed);
        for (int i = 0; i < n; ++i) g.addNode(label(i));
        for (const auto& [a, b, w] : edges) g.addEdge(label(a), label(b), w);
        return g;
    }

    static std::vector<Name> labels(std::initializer_list<int> indices) {
        std::vector<Name> out;
        for (int i : indices) out.push_back(label(i));
        return out;
    }

    static std::vector<std::tuple<Name, Name, WeightType>> triples(const std::vector<tarvel::Edge<Name, WeightType>>& edges) {
        std::vector<std::tuple<Name, Name, WeightType>> out;
        for (const auto& e : edges) out.emplace_back(e.getSource(), e.getDestination(), e.getWeight());
        return out;
    }

    // One file per instantiation and test: ctest runs them side by side.
    static std::string scratch() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "-" + test->name();
        std::replace(name.begin(), name.end(), '/', '-');
        return ::testing::TempDir() + name + ".json";
    }

    // A graph file with nodes 0 and 1 and one edge of weight `weight` (JSON text).
    static std::string fileWith(const std::string& weight) {
        const std::string a = std::is_same_v<Name, std::string> ? "\"0\"" : "0";
        const std::string b = std::is_same_v<Name, std::string> ? "\"1\"" : "1";
        return "{\"directed\": true, \"nodes\": [" + a + ", " + b + "], \"edges\": [{\"src\": " + a +
               ", \"dest\": " + b + ", \"weight\": " + weight + "}]}";
    }

    static G loadText(const std::string& text) {
        std::ofstream(scratch()) << text;
        return G::load(scratch());
    }
};

using Instantiations = ::testing::Types<tarvel::Graph<std::string, int>, tarvel::Graph<int, long long>,
                                        tarvel::Graph<int, double>>;
TYPED_TEST_SUITE(Weights, Instantiations);

constexpr ShortestPathAlgo Weighted[] = {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR,
                                         ShortestPathAlgo::UNIFORM_COST_SEARCH, ShortestPathAlgo::BELLMAN_FORD};

const auto noEstimate = [](auto, auto) { return 0.0; };

TYPED_TEST(Weights, BoundaryWeightsComeBackExactly) {
    using W = typename TestFixture::WeightType;
    std::vector<W> boundaries{std::numeric_limits<W>::lowest(), std::numeric_limits<W>::max(), W{0}, W{-1}};
    if constexpr (std::is_same_v<W, long long>) boundaries.push_back(9007199254740993LL);  // 2^53 + 1
    if constexpr (std::is_floating_point_v<W>) boundaries.push_back(0.1);
    for (const W w : boundaries) {
        for (bool directed : {true, false}) {
            const TypeParam g = TestFixture::make(directed, 2, {{1, 0, w}});
            for (auto m : {MSTAlgo::KRUSKAL, MSTAlgo::PRIM, MSTAlgo::BORUVKA}) {
                const auto tree = TestFixture::triples(g.minimumSpanningTree(m));
                ASSERT_EQ(tree.size(), 1u);
                EXPECT_EQ(std::get<2>(tree[0]), w) << "method " << static_cast<int>(m);
            }
            g.save(TestFixture::scratch());
            const TypeParam loaded = TypeParam::load(TestFixture::scratch());
            ASSERT_EQ(loaded.edgeRecords().size(), 1u);
            EXPECT_EQ(loaded.edgeRecords()[0].getWeight(), w);
        }
    }
    std::remove(TestFixture::scratch().c_str());
}

TYPED_TEST(Weights, DistancesAreExactSums) {
    using W = typename TestFixture::WeightType;
    // A direct edge one heavier than a two-edge route: with 64-bit integer
    // weights the three values are beyond any double's reach.
    W big = 1 << 30;
    if constexpr (std::is_same_v<W, long long>) big = 864691128455135330LL;
    if constexpr (std::is_floating_point_v<W>) big = 4503599627370496.0;  // 2^52
    const TypeParam g = TestFixture::make(true, 3, {{0, 2, big + 2}, {0, 1, big}, {1, 2, W{1}}});
    for (auto m : Weighted) {
        EXPECT_EQ(g.shortestPath(TestFixture::label(0), TestFixture::label(2), m, noEstimate),
                  TestFixture::labels({0, 1, 2}))
            << static_cast<int>(m);
    }
}

TYPED_TEST(Weights, SumsBeyondTheRangeAreRefusedNotWrapped) {
    using W = typename TestFixture::WeightType;
    const W half = std::numeric_limits<W>::max() / 2 + 1;
    const TypeParam g = TestFixture::make(true, 3, {{0, 1, half}, {1, 2, half}});
    for (auto m : Weighted) {
        const auto search = [&] { return g.shortestPath(TestFixture::label(0), TestFixture::label(2), m, noEstimate); };
        if constexpr (std::is_same_v<W, long long>) {
            EXPECT_THROW(search(), std::overflow_error) << static_cast<int>(m);
        } else if constexpr (std::is_integral_v<W>) {
            EXPECT_EQ(search(), TestFixture::labels({0, 1, 2})) << static_cast<int>(m);
        }
    }
}

TYPED_TEST(Weights, NonFiniteWeightsAreRefused) {
    using W = typename TestFixture::WeightType;
    if constexpr (std::is_floating_point_v<W>) {
        TypeParam g = TestFixture::make(false, 2);
        for (const W w : {std::numeric_limits<W>::quiet_NaN(), std::numeric_limits<W>::infinity(),
                          -std::numeric_limits<W>::infinity()}) {
            EXPECT_THROW(g.addEdge(TestFixture::label(0), TestFixture::label(1), w), std::invalid_argument);
        }
        EXPECT_TRUE(g.edgeRecords().empty());
        EXPECT_TRUE(g.view().neighbors(0).empty());
    }
}

TYPED_TEST(Weights, LoaderRefusesWeightsOutsideTheType) {
    using W = typename TestFixture::WeightType;
    std::vector<std::string> outside, inside;
    if constexpr (std::is_same_v<W, int>) {
        // Whole numbers written as floats count as integers; fractional
        // ones are refused on their own (JsonFile.FractionalWeights...).
        outside = {"2147483648", "-2147483649", "4294967297", "100000000000000000", "2147483648.0", "1e10"};
        inside = {"2147483647", "-2147483648", "2147483647.0", "-2.147483648e9"};
    } else if constexpr (std::is_same_v<W, long long>) {
        outside = {"9223372036854775808", "18446744073709551615", "9223372036854775808.0", "1e19", "-1e19"};
        inside = {"9223372036854775807", "-9223372036854775808", "-9223372036854775808.0"};
    } else {
        outside = {"1e309", "-1e309"};
        inside = {"1.7976931348623157e308", "-0.5"};
    }
    for (const std::string& weight : outside) {
        try {
            TestFixture::loadText(TestFixture::fileWith(weight));
            ADD_FAILURE() << weight << " was accepted";
        } catch (const nlohmann::json::out_of_range& e) {
            // Doubles beyond the range of double are refused by the parser itself.
            const char* expected = std::is_integral_v<W> ? "is outside the range of edge weights" : "overflow";
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
    for (const std::string& weight : inside) {
        const TypeParam g = TestFixture::loadText(TestFixture::fileWith(weight));
        EXPECT_EQ(g.edgeRecords().size(), 1u) << weight;
    }
    std::remove(TestFixture::scratch().c_str());
}

TYPED_TEST(Weights, TieOrdersOfTheSearches) {
    using W = typename TestFixture::WeightType;
    // s=0, a=1, b=2, g=3; undirected edges s-a, s-b, a-g, b-g of weight 1.
    const TypeParam g = TestFixture::make(false, 4, {{0, 1, W{1}}, {0, 2, W{1}}, {1, 3, W{1}}, {2, 3, W{1}}});
    const auto path = [&](ShortestPathAlgo m) {
        return g.shortestPath(TestFixture::label(0), TestFixture::label(3), m, noEstimate);
    };
    EXPECT_EQ(path(ShortestPathAlgo::BFS), TestFixture::labels({0, 1, 3}));
    EXPECT_EQ(path(ShortestPathAlgo::DIJKSTRA), TestFixture::labels({0, 2, 3}));
    EXPECT_EQ(path(ShortestPathAlgo::A_STAR), TestFixture::labels({0, 2, 3}));
    EXPECT_EQ(path(ShortestPathAlgo::UNIFORM_COST_SEARCH), TestFixture::labels({0, 1, 3}));
    EXPECT_EQ(path(ShortestPathAlgo::BELLMAN_FORD), TestFixture::labels({0, 1, 3}));
}

TYPED_TEST(Weights, DirectedGraphsAreSpannedAsUndirected) {
    using W = typename TestFixture::WeightType;
    // b -> a weighs 1, a -> b weighs 2: the lighter edge, in its stored direction.
    const TypeParam g = TestFixture::make(true, 2, {{1, 0, W{1}}, {0, 1, W{2}}});
    for (auto m : {MSTAlgo::KRUSKAL, MSTAlgo::PRIM, MSTAlgo::BORUVKA}) {
        const auto tree = TestFixture::triples(g.minimumSpanningTree(m));
        ASSERT_EQ(tree.size(), 1u);
        EXPECT_EQ(tree[0], std::make_tuple(TestFixture::label(1), TestFixture::label(0), W{1}));
    }
}

TYPED_TEST(Weights, BipartiteIsTheOddCycleTest) {
    using W = typename TestFixture::WeightType;
    // Path 0-2-3-1 added so that the greedy coloring needs three colors.
    EXPECT_TRUE(TestFixture::make(false, 4, {{0, 2, W{1}}, {2, 3, W{1}}, {3, 1, W{1}}}).isBipartite());
    EXPECT_FALSE(TestFixture::make(true, 3, {{0, 1, W{1}}, {1, 2, W{1}}, {2, 0, W{1}}}).isBipartite());
    EXPECT_FALSE(TestFixture::make(false, 1, {{0, 0, W{1}}}).isBipartite());
    EXPECT_TRUE(TestFixture::make(true, 0).isBipartite());
}

}  // namespace
