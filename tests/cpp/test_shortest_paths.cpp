// Shortest paths: termination on negative cycles, protection against a
// heuristic that changes the graph or returns NaN, deep graphs.
#include <gtest/gtest.h>

#include "support.hpp"

using namespace testing_support;
using tarvel::ShortestPathAlgo;

namespace {

const G::Heuristic zero = [](std::string, std::string) { return 0.0; };

std::string errorOf(const G& g, const std::string& a, const std::string& b, ShortestPathAlgo m) {
    try {
        g.shortestPath(a, b, m, zero);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ShortestPaths, UniformCostStoppingAtGoalBehindNegativeCycleReportsIt) {
    // The goal leaves the heap while the start has already been improved
    // around the cycle s -> x -> s: its predecessor chain loops.
    G g(true);
    for (const char* n : {"s", "x", "g"}) g.addNode(n);
    g.addEdge("s", "x", -1);
    g.addEdge("x", "s", -1);
    g.addEdge("x", "g", -100);
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::UNIFORM_COST_SEARCH), "Negative cycle detected");
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::DIJKSTRA), "Negative cycle detected");
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::BELLMAN_FORD), "Negative cycle detected");
}

TEST(ShortestPaths, EveryWeightedSearchTerminatesOnRandomNegativeGraphs) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        G g = randomGraph(rng, round % 2 == 0, 2 + round % 9, 3 + round % 17, -6, 6);
        for (auto m : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR, ShortestPathAlgo::UNIFORM_COST_SEARCH,
                       ShortestPathAlgo::BELLMAN_FORD}) {
            const std::string error = errorOf(g, "0", "1", m);
            EXPECT_TRUE(error.empty() || error == "Negative cycle detected") << error;
        }
        // Bellman-Ford is the referee: when it finds no cycle the other
        // searches must agree on the distance.
        if (errorOf(g, "0", "1", ShortestPathAlgo::BELLMAN_FORD).empty()) {
            const auto weight = [&](const std::vector<std::string>& path) {
                if (path.empty()) return std::numeric_limits<double>::infinity();
                double total = 0;
                for (std::size_t k = 0; k + 1 < path.size(); ++k) {
                    double best = std::numeric_limits<double>::infinity();
                    for (const auto& [v, w] : g.view().neighbors(g.indexOf(path[k])))
                        if (v == g.indexOf(path[k + 1])) best = std::min(best, static_cast<double>(w));
                    total += best;
                }
                return total;
            };
            const double expected = weight(g.shortestPath("0", "1", ShortestPathAlgo::BELLMAN_FORD, zero));
            EXPECT_EQ(weight(g.shortestPath("0", "1", ShortestPathAlgo::DIJKSTRA, zero)), expected);
            EXPECT_EQ(weight(g.shortestPath("0", "1", ShortestPathAlgo::A_STAR, zero)), expected);
        }
    }
}

TEST(ShortestPaths, HeuristicThatGrowsTheGraphIsStopped) {
    G g(true);
    g.addNode("a");
    g.addNode("b");
    for (int k = 0; k < 4; ++k) g.addEdge("a", "b", 1);
    int calls = 0;
    const G::Heuristic grow = [&](std::string, std::string) {
        g.addNode("extra" + std::to_string(calls++));
        for (int k = 0; k < 100; ++k) g.addEdge("a", "b", 1);  // reallocates the list being walked
        return 0.0;
    };
    EXPECT_THROW(g.shortestPath("a", "b", ShortestPathAlgo::A_STAR, grow), std::runtime_error);
    EXPECT_EQ(calls, 1);
}

TEST(ShortestPaths, EmptyHeuristicFailsOnlyWhenCalled) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    EXPECT_THROW(g.shortestPath("a", "b", ShortestPathAlgo::A_STAR, nullptr), std::bad_function_call);
    EXPECT_TRUE(g.shortestPath("c", "a", ShortestPathAlgo::A_STAR, nullptr).empty());
}

TEST(ShortestPaths, LongPathAndLargeWeights) {
    constexpr int n = 100000;
    G g(true);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    for (int i = 0; i + 1 < n; ++i) g.addEdge(std::to_string(i), std::to_string(i + 1), 2147483647);
    for (auto m : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR,
                   ShortestPathAlgo::UNIFORM_COST_SEARCH}) {
        EXPECT_EQ(g.shortestPath("0", std::to_string(n - 1), m, zero).size(), static_cast<std::size_t>(n));
    }
}

TEST(ShortestPaths, HeuristicReturningNaNIsNamed) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "c", 1);
    const G::Heuristic nan = [](std::string, std::string to) { return to == "c" ? std::nan("") : 1.0; };
    try {
        g.shortestPath("a", "c", ShortestPathAlgo::A_STAR, nan);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "the heuristic returned NaN for b and c");
    }
}

TEST(ShortestPaths, IndexEntryPointsCheckTheirIndices) {
    G g(true);
    g.addNode("a");
    const auto none = [](std::size_t, std::size_t) { return 0.0; };
    for (auto m : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR,
                   ShortestPathAlgo::UNIFORM_COST_SEARCH, ShortestPathAlgo::BELLMAN_FORD}) {
        EXPECT_THROW(tarvel::shortestPath(g.view(), 0, 1, m, none), std::out_of_range);
        EXPECT_THROW(tarvel::shortestPath(g.view(), 1, 1, m, none), std::out_of_range);
        EXPECT_EQ(tarvel::shortestPath(g.view(), 0, 0, m, none), tarvel::IndexPath{0});
    }
    EXPECT_THROW(tarvel::bellmanFord(g.view(), 2, 0), std::out_of_range);
}
