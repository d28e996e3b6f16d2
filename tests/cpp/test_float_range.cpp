// Float graphs at the end of the double range: an edge of the largest
// double, and paths whose sums overflow to +infinity, are paths like any
// other. The weighted searches against a plain reference that keeps
// reachability apart from the distance; the tie order among paths of
// length +infinity; negative weights after an overflow; spanning trees of
// edges of the largest double.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <tarvel/tarvel.hpp>

using tarvel::ShortestPathAlgo;

namespace {

using FG = tarvel::Graph<std::string, double>;
using FView = tarvel::GraphView<std::string, double>;
constexpr double Max = std::numeric_limits<double>::max();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Every node's least IEEE sum along a path from `s` (each path summed from
// its first edge on), or nullopt where no path leads: relaxation of every
// entry until nothing changes. Non-negative weights only, so that adding an
// edge never lowers a rounded sum and the passes end.
std::vector<std::optional<double>> plainDistances(const FView& g, std::size_t s) {
    std::vector<std::optional<double>> dist(g.nodeCount());
    dist[s] = 0.0;
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t u = 0; u < g.nodeCount(); ++u) {
            if (!dist[u]) continue;
            for (const auto& entry : g.neighbors(u)) {
                const double d = *dist[u] + entry.weight;
                std::optional<double>& to = dist[entry.target];
                if (!to || d < *to) {
                    to = d;
                    changed = true;
                }
            }
        }
    }
    return dist;
}

// Weights from three bands: small ones, large ones of which two or three
// overflow, and the largest double itself.
FG rangeGraph(std::mt19937& rng, bool directed, int n, int m) {
    FG g(directed);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1), band(0, 5), small(0, 3);
    std::uniform_real_distribution<double> large(0.3, 1.0);
    for (int k = 0; k < m; ++k) {
        const int b = band(rng);
        const double w = b < 3 ? small(rng) : b < 5 ? large(rng) * Max : Max;
        g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), w);
    }
    return g;
}

std::string pathText(const tarvel::IndexPath& path) {
    std::string text;
    for (std::size_t v : path) text += std::to_string(v) + " ";
    return text;
}

}  // namespace

TEST(FloatRange, SearchesReachWhatThePlainReferenceReaches) {
    std::mt19937 rng(308);
    const auto estimate = [](std::size_t u, std::size_t v) { return static_cast<double>((u * 7 + v * 3) % 5); };
    const auto zero = [](std::size_t, std::size_t) { return 0.0; };
    int infinite = 0, largest = 0, unreached = 0;
    for (int round = 0; round < 1500; ++round) {
        const int n = 2 + round % 12;
        const FG g = rangeGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const FView view = g.view();
        const std::size_t s = rng() % static_cast<unsigned>(n);
        const auto expected = plainDistances(view, s);
        const auto dijkstra = tarvel::dijkstraTree(view, s), bellmanFord = tarvel::bellmanFordTree(view, s);
        for (std::size_t t = 0; t < view.nodeCount(); ++t) {
            SCOPED_TRACE(testing::Message() << "round " << round << " from " << s << " to " << t);
            ASSERT_EQ(!tarvel::pathTo(dijkstra, t).empty(), expected[t].has_value());
            ASSERT_EQ(!tarvel::pathTo(bellmanFord, t).empty(), expected[t].has_value());
            if (!expected[t]) {
                ++unreached;
                for (const auto method : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::UNIFORM_COST_SEARCH,
                                          ShortestPathAlgo::BELLMAN_FORD}) {
                    EXPECT_TRUE(tarvel::shortestPath(view, s, t, method, nullptr).empty());
                }
                EXPECT_TRUE(tarvel::aStar(view, s, t, estimate).empty());
                continue;
            }
            infinite += std::isinf(*expected[t]);
            largest += *expected[t] == Max;
            EXPECT_EQ(dijkstra.distance[t], *expected[t]);
            EXPECT_EQ(bellmanFord.distance[t], *expected[t]);
            if (t == s) continue;  // the searches between two nodes are for two nodes
            // Each method's path between the two nodes is its tree's path
            // (A* with an estimate of 0 keeps Dijkstra's order), and weighs
            // the least sum.
            const tarvel::IndexPath viaDijkstra = tarvel::pathTo(dijkstra, t);
            EXPECT_EQ(pathText(tarvel::dijkstra(view, s, t)), pathText(viaDijkstra));
            EXPECT_EQ(pathText(tarvel::aStar(view, s, t, zero)), pathText(viaDijkstra));
            EXPECT_EQ(pathText(tarvel::bellmanFord(view, s, t)), pathText(tarvel::pathTo(bellmanFord, t)));
            if (t == s) continue;
            for (const tarvel::IndexPath& path :
                 {viaDijkstra, tarvel::uniformCostSearch(view, s, t), tarvel::aStar(view, s, t, estimate),
                  tarvel::bellmanFord(view, s, t)}) {
                ASSERT_FALSE(path.empty());
                EXPECT_EQ(path.front(), s);
                EXPECT_EQ(path.back(), t);
                EXPECT_EQ(tarvel::pathWeight(view, path), *expected[t]);
            }
        }
    }
    // The bands make every kind of node common.
    EXPECT_GT(infinite, 400);
    EXPECT_GT(largest, 300);
    EXPECT_GT(unreached, 2000);
}

// Among paths of length +infinity the first one a search finds is kept,
// as among equal finite lengths: the same choice as with weights of 1.
TEST(FloatRange, TiesAmongOverflowingPathsFollowTheFiniteOrder) {
    for (const double w : {1.0, Max}) {
        FG g(true);
        for (const char* name : {"s", "a", "b", "t"}) g.addNode(name);
        for (const auto& [u, v] : {std::pair{"s", "a"}, {"s", "b"}, {"a", "t"}, {"b", "t"}}) g.addEdge(u, v, w);
        SCOPED_TRACE(testing::Message() << "weight " << w);
        // Dijkstra and A* take the greater index first, uniform-cost search
        // the smaller; Bellman-Ford's pass meets a's entries first.
        EXPECT_EQ(g.shortestPath("s", "t", ShortestPathAlgo::DIJKSTRA, {}),
                  (std::vector<std::string>{"s", "b", "t"}));
        EXPECT_EQ(g.shortestPath("s", "t", ShortestPathAlgo::A_STAR, [](const std::string&, const std::string&) {
            return 0.0;
        }),
                  (std::vector<std::string>{"s", "b", "t"}));
        EXPECT_EQ(g.shortestPath("s", "t", ShortestPathAlgo::UNIFORM_COST_SEARCH, {}),
                  (std::vector<std::string>{"s", "a", "t"}));
        EXPECT_EQ(g.shortestPath("s", "t", ShortestPathAlgo::BELLMAN_FORD, {}),
                  (std::vector<std::string>{"s", "a", "t"}));
        EXPECT_EQ(g.distances("s"), (std::vector<std::pair<std::string, double>>{
                                        {"s", 0.0}, {"a", w}, {"b", w}, {"t", w + w}}));
    }
}

// A negative weight after an overflow leaves the sum at +infinity and the
// node reached; an edge of the largest double from the start is taken too.
TEST(FloatRange, NegativeWeightsAfterAnOverflowAndTheLargestEdge) {
    FG g(true);
    for (const char* name : {"s", "a", "b", "c", "x"}) g.addNode(name);
    g.addEdge("s", "a", Max);
    g.addEdge("a", "b", Max);
    g.addEdge("b", "c", -Max);
    g.addEdge("s", "x", -1.0);
    for (const auto method : {ShortestPathAlgo::BELLMAN_FORD, ShortestPathAlgo::DIJKSTRA}) {
        EXPECT_EQ(g.distances("s", method), (std::vector<std::pair<std::string, double>>{
                                                 {"s", 0.0}, {"a", Max}, {"b", Inf}, {"c", Inf}, {"x", -1.0}}));
        EXPECT_EQ(g.shortestPath("s", "c", method, {}), (std::vector<std::string>{"s", "a", "b", "c"}));
    }
    EXPECT_EQ(g.shortestPaths("s", ShortestPathAlgo::BELLMAN_FORD).size(), 5u);
    EXPECT_EQ(g.predecessors("s").size(), 4u);
}

// Prim's keys, Kruskal's order and Borůvka's picks never stand for "no
// edge": an edge of the largest double joins the tree, and where two lead
// to a node the lighter one does.
TEST(FloatRange, SpanningTreesTakeEdgesOfTheLargestDouble) {
    FG g(false);
    for (const char* name : {"a", "b", "c", "d"}) g.addNode(name);
    g.addEdge("a", "b", Max);
    g.addEdge("b", "c", Max);
    g.addEdge("a", "c", std::nextafter(Max, 0.0));
    g.addEdge("c", "d", Max);
    for (const auto method : {tarvel::MSTAlgo::KRUSKAL, tarvel::MSTAlgo::PRIM, tarvel::MSTAlgo::BORUVKA}) {
        const auto tree = tarvel::minimumSpanningTree(g.view(), method);
        ASSERT_EQ(tree.size(), 3u) << static_cast<int>(method);
        double lighter = 0;
        for (const auto& e : tree) lighter += e.weight < Max;
        EXPECT_EQ(lighter, 1.0) << static_cast<int>(method);
    }
}
