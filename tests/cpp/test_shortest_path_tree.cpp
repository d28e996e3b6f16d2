// Searches from one source: every node's path and distance against the
// search between two nodes and against the textbook Bellman-Ford, negative
// cycles, refused methods, the members by name, a deep path.
#include <gtest/gtest.h>

#include <utility>

#include "reference_paths.hpp"
#include "support.hpp"

using namespace testing_support;
using tarvel::ShortestPathAlgo;

namespace {

constexpr ShortestPathAlgo TreeMethods[] = {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA,
                                            ShortestPathAlgo::BELLMAN_FORD};
const auto noEstimate = [](std::size_t, std::size_t) { return 0.0; };
using Distances = std::vector<std::pair<std::string, std::int64_t>>;

// The result of `call`, or the text of the std::runtime_error it throws.
template <class Call>
auto attempt(Call call) {
    std::pair<decltype(call()), std::string> out;
    try {
        out.first = call();
    } catch (const std::runtime_error& e) {
        out.second = e.what();
    }
    return out;
}

// The text of the E that `call` throws.
template <class E, class Call>
std::string thrown(Call call) {
    try {
        call();
    } catch (const E& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

}  // namespace

TEST(ShortestPathTree, EveryPathIsTheTwoNodeSearchsPath) {
    std::mt19937 rng(2718);
    int reached = 0, unreached = 0, cycles = 0;
    for (int round = 0; round < 5000; ++round) {
        const int n = 1 + round % 15;
        // Small weight ranges for many equal distances; every third graph
        // has negative weights, often on a reachable cycle.
        const int lo = round % 3 == 0 ? -2 : round % 3 == 1 ? 0 : 1;
        const G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)),
                                lo, lo + 3);
        const View view = g.view();
        const std::size_t s = rng() % static_cast<unsigned>(n);
        for (const ShortestPathAlgo method : TreeMethods) {
            const auto [tree, treeError] = attempt([&] { return tarvel::shortestPathTree(view, s, method); });
            const tarvel::Groups paths = treeError.empty() ? tarvel::allPaths(tree) : tarvel::Groups{};
            for (std::size_t t = 0; t < view.nodeCount(); ++t) {
                SCOPED_TRACE(testing::Message() << "round " << round << " method " << static_cast<int>(method)
                                                << " from " << s << " to " << t);
                // shortestPath(s, s) gives [s] without searching.
                const auto [path, pathError] =
                    t == s ? std::make_pair(tarvel::IndexPath{s}, treeError)
                           : attempt([&] { return tarvel::shortestPath(view, s, t, method, nullptr); });
                ASSERT_EQ(treeError, pathError);
                if (method == ShortestPathAlgo::DIJKSTRA && t != s) {
                    // A* with an estimate of 0 is separate code keeping Dijkstra's order.
                    ASSERT_EQ(attempt([&] { return tarvel::aStar(view, s, t, noEstimate); }),
                              std::make_pair(path, pathError));
                }
                if (!treeError.empty()) {
                    cycles += t != s;
                    continue;
                }
                ASSERT_EQ(tarvel::pathTo(tree, t), path);
                EXPECT_EQ(tarvel::IndexPath(paths[t].begin(), paths[t].end()), path);
                const bool found = !path.empty();
                (found ? reached : unreached) += t != s;
                const std::int64_t hops = static_cast<std::int64_t>(path.size()) - 1;
                EXPECT_EQ(tree.distance[t], !found                             ? tarvel::Unreached<int>
                                            : method == ShortestPathAlgo::BFS ? hops
                                                                              : tarvel::pathWeight(view, path));
                EXPECT_EQ(tree.predecessor[t], path.size() < 2 ? tarvel::NoNode : path[path.size() - 2]);
            }
        }
    }
    EXPECT_GT(reached, 45000);
    EXPECT_GT(unreached, 25000);
    EXPECT_GT(cycles, 10000);
}

// The weighted trees against the textbook procedure, on random graphs with
// parallel edges, self-loops, equal weights and negative weights, half of
// them with a chain n-1 -> n-2 -> ... -> 0 against the node order, which a
// pass in node order advances by one node only (so it takes every pass).
TEST(ShortestPathTree, WeightedTreesMatchTheTextbookBellmanFord) {
    std::mt19937 rng(1618);
    int cycles = 0, deepChains = 0, reached = 0;
    for (int round = 0; round < 4000; ++round) {
        const int n = 1 + round % 14;
        const bool directed = round % 4 != 3, chained = round % 2 == 0;
        const int lo = round % 5 == 0 ? -3 : round % 5 == 1 ? -1 : round % 5 == 2 ? 0 : 1;
        std::uniform_int_distribution<int> node(0, n - 1), weight(lo, lo + 3);
        G g(directed);
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        if (chained)
            for (int i = n - 1; i > 0; --i) g.addEdge(std::to_string(i), std::to_string(i - 1), weight(rng));
        const int extra = static_cast<int>(rng() % static_cast<unsigned>(chained ? n / 2 + 1 : 3 * n + 1));
        for (int k = 0; k < extra; ++k) g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), weight(rng));
        const View view = g.view();
        const std::size_t s = chained ? static_cast<std::size_t>(n - 1) : rng() % static_cast<unsigned>(n);
        const ReferenceDistances expected = textbookBellmanFord(view, s);
        cycles += expected.negativeCycle;
        deepChains += chained && n > 3 && !expected.negativeCycle;
        for (const auto method : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::BELLMAN_FORD}) {
            SCOPED_TRACE(testing::Message() << "round " << round << " method " << static_cast<int>(method));
            const auto [tree, error] = attempt([&] { return tarvel::shortestPathTree(view, s, method); });
            ASSERT_EQ(error, expected.negativeCycle ? "Negative cycle detected" : "");
            const auto [path, pathError] = attempt([&] { return tarvel::shortestPath(view, s, 0, method, nullptr); });
            EXPECT_EQ(pathError, s == 0 ? "" : error);
            if (expected.negativeCycle) continue;
            for (std::size_t t = 0; t < view.nodeCount(); ++t) {
                SCOPED_TRACE(testing::Message() << "node " << t);
                ASSERT_EQ(tree.distance[t], expected.distance[t].value_or(tarvel::Unreached<int>));
                if (!expected.distance[t] || t == s) continue;
                ++reached;
                // The predecessor's distance and one of its edges make the node's.
                const std::size_t p = tree.predecessor[t];
                ASSERT_LT(p, view.nodeCount());
                bool tight = false;
                for (const auto& [v, w] : view.neighbors(p))
                    tight = tight || (v == t && tree.distance[p] + w == tree.distance[t]);
                EXPECT_TRUE(tight);
            }
            if (expected.distance[0]) {
                EXPECT_EQ(tarvel::pathWeight(view, path), *expected.distance[0]);
            }
        }
    }
    EXPECT_GT(cycles, 600);
    EXPECT_GT(deepChains, 800);
    EXPECT_GT(reached, 20000);
}

TEST(ShortestPathTree, NegativeCycleIsReportedWhateverTheTarget) {
    // s -> x -> s weighs -2; y lies behind it; nothing reaches z.
    G g(true);
    for (const char* n : {"s", "x", "y", "z"}) g.addNode(n);
    g.addEdge("s", "x", 1);
    g.addEdge("x", "s", -3);
    g.addEdge("x", "y", 1);
    G one(true);  // the source's own cycle, with no other node
    one.addNode("a");
    one.addEdge("a", "a", -1);
    G undirected(false);  // a - b - a
    for (const char* n : {"a", "b"}) undirected.addNode(n);
    undirected.addEdge("a", "b", -1);
    const std::string cycle = "Negative cycle detected";
    for (const auto method : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::BELLMAN_FORD}) {
        EXPECT_EQ(thrown<std::runtime_error>([&] { g.predecessors("x", method); }), cycle);
        for (const char* t : {"x", "y", "z"})
            EXPECT_EQ(thrown<std::runtime_error>([&] { g.shortestPath("s", t, method, nullptr); }), cycle);
        EXPECT_EQ(g.distances("y", method), (Distances{{"y", 0}}));  // a cycle it does not reach
        EXPECT_EQ(thrown<std::runtime_error>([&] { tarvel::shortestPathTree(one.view(), 0, method); }), cycle);
        EXPECT_EQ(one.shortestPath("a", "a", method, nullptr), (std::vector<std::string>{"a"}));
        EXPECT_EQ(thrown<std::runtime_error>([&] { undirected.shortestPaths("b", method); }), cycle);
    }
    EXPECT_EQ(g.distances("s", ShortestPathAlgo::BFS), (Distances{{"s", 0}, {"x", 1}, {"y", 2}}));
}

TEST(ShortestPathTree, RefusedMethodsAndUnknownSources) {
    G g(true);
    for (const char* n : {"a", "b"}) g.addNode(n);
    const auto ucs = ShortestPathAlgo::UNIFORM_COST_SEARCH;
    const auto bad = static_cast<ShortestPathAlgo>(7);
    EXPECT_EQ(thrown<std::invalid_argument>([&] { tarvel::shortestPathTree(g.view(), 0, ucs); }),
              "searches from one source take BFS, DIJKSTRA or BELLMAN_FORD, not UNIFORM_COST_SEARCH");
    EXPECT_EQ(thrown<std::invalid_argument>([&] { g.shortestPaths("a", ShortestPathAlgo::A_STAR); }),
              "searches from one source take BFS, DIJKSTRA or BELLMAN_FORD, not A_STAR");
    // The method is checked before the source.
    EXPECT_EQ(thrown<std::runtime_error>([&] { g.predecessors("ghost", bad); }),
              "7 is not a ShortestPathAlgo: use BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD");
    EXPECT_THROW(tarvel::shortestPathTree(g.view(), 5, ucs), std::invalid_argument);
    EXPECT_EQ(thrown<std::out_of_range>([&] { g.distances("ghost"); }), "unknown node: ghost");
    for (const ShortestPathAlgo method : TreeMethods)
        EXPECT_THROW(tarvel::shortestPathTree(g.view(), 2, method), std::out_of_range);
    EXPECT_THROW(tarvel::pathTo(tarvel::bfsTree(g.view(), 1), 2), std::out_of_range);
}

TEST(ShortestPathTree, ByNameInNodeOrderAndReachedNodesOnly) {
    G g(true);
    for (const char* n : {"d", "c", "b", "a", "z"}) g.addNode(n);
    for (const auto& [u, v, w] : {std::tuple("b", "a", 1), {"b", "c", 5}, {"a", "c", 1}, {"c", "d", 1}, {"z", "b", 1}})
        g.addEdge(u, v, w);
    using Names = std::vector<std::string>;
    EXPECT_EQ(g.distances("b"), (Distances{{"d", 3}, {"c", 2}, {"b", 0}, {"a", 1}}));
    EXPECT_EQ(g.distances("b", ShortestPathAlgo::BFS), (Distances{{"d", 2}, {"c", 1}, {"b", 0}, {"a", 1}}));
    EXPECT_EQ(g.shortestPaths("b", ShortestPathAlgo::BELLMAN_FORD),
              (std::vector<std::pair<std::string, Names>>{
                  {"d", {"b", "a", "c", "d"}}, {"c", {"b", "a", "c"}}, {"b", {"b"}}, {"a", {"b", "a"}}}));
    EXPECT_EQ(g.predecessors("b"),
              (std::vector<std::pair<std::string, std::string>>{{"d", "c"}, {"c", "a"}, {"a", "b"}}));
}

TEST(ShortestPathTree, LongPath) {
    constexpr std::size_t n = 200000;
    tarvel::GraphStore<int, int> g(true);
    for (std::size_t i = 0; i < n; ++i) g.addNode(static_cast<int>(i));
    for (std::size_t i = 0; i + 1 < n; ++i) g.addEdge(static_cast<int>(i), static_cast<int>(i + 1), 2147483647);
    for (const ShortestPathAlgo method : TreeMethods) {
        const auto tree = tarvel::shortestPathTree(g.view(), 0, method);
        const std::int64_t last = n - 1;
        EXPECT_EQ(tree.distance[n - 1], method == ShortestPathAlgo::BFS ? last : last * 2147483647);
        EXPECT_EQ(tarvel::pathTo(tree, n - 1).size(), n);
    }
}
