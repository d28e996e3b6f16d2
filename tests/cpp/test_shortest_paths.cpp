// Shortest paths: termination on negative cycles, protection against a
// heuristic that changes the graph, deep graphs, other instantiations.
#include <gtest/gtest.h>

#include "reference.hpp"

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
                    for (const auto& [v, w] : g.neighbours(g.indexOf(path[k])))
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

TEST(ShortestPaths, OtherInstantiation) {
    tarvel::Graph<int, long long> g(false);
    for (int i = 0; i < 4; ++i) g.addNode(i);
    g.addEdge(0, 1, 4'000'000'000LL);
    g.addEdge(1, 3, 4'000'000'000LL);
    g.addEdge(0, 2, 5'000'000'000LL);
    g.addEdge(2, 3, 5'000'000'000LL);
    const auto none = [](int, int) { return 0.0; };
    EXPECT_EQ(g.shortestPath(0, 3, ShortestPathAlgo::DIJKSTRA, none), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(g.shortestPath(3, 0, ShortestPathAlgo::BELLMAN_FORD, none), (std::vector<int>{3, 1, 0}));
    EXPECT_THROW(g.shortestPath(0, 9, ShortestPathAlgo::BFS, none), std::out_of_range);
}
