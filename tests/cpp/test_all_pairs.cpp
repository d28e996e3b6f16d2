// Distances from every source and the eccentricity family: distances against
// Floyd-Warshall, the visiting order against plain quadratic searches that
// follow the stated rule, the same rows on any thread count and batch size,
// and the errors.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support.hpp"

using namespace testing_support;
using tarvel::NodeIndex;
using tarvel::ShortestPathAlgo;

namespace {

// Shortest distances between all pairs, nullopt where there is no path.
// Weights as given (hop counts when `hops`); the sums of dyadic weights in
// the float tests are exact, so the order of additions does not matter.
template <class W>
std::vector<std::vector<std::optional<double>>> floydWarshall(const tarvel::GraphView<std::string, W>& g, bool hops) {
    const std::size_t n = g.nodeCount();
    std::vector<std::vector<std::optional<double>>> d(n, std::vector<std::optional<double>>(n));
    for (std::size_t i = 0; i < n; ++i) {
        d[i][i] = 0.0;
        for (const auto& e : g.neighbors(i)) {
            const double w = hops ? 1.0 : static_cast<double>(e.weight);
            if (!d[i][e.target] || w < *d[i][e.target]) d[i][e.target] = i == e.target ? 0.0 : w;
        }
    }
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                if (d[i][k] && d[k][j] && (!d[i][j] || *d[i][k] + *d[k][j] < *d[i][j])) d[i][j] = *d[i][k] + *d[k][j];
    return d;
}

// The stated orders, the plainest way: breadth-first with a queue;
// Dijkstra as repeated scans for the least (distance, queued-at) among the
// nodes reached and not settled, a node's queued-at renewed only by a
// strictly shorter path.
template <class W>
std::vector<NodeIndex> plainOrder(const tarvel::GraphView<std::string, W>& g, NodeIndex s, bool hops) {
    const std::size_t n = g.nodeCount();
    std::vector<NodeIndex> order{s};
    if (hops) {
        std::vector<bool> seen(n);
        seen[s] = true;
        for (std::size_t h = 0; h < order.size(); ++h)
            for (const auto& e : g.neighbors(order[h]))
                if (!seen[e.target]) seen[e.target] = true, order.push_back(e.target);
        return order;
    }
    order.clear();
    std::vector<double> dist(n);
    std::vector<long> queuedAt(n, -1);
    std::vector<bool> settled(n);
    long clock = 0;
    dist[s] = 0, queuedAt[s] = clock++;
    for (;;) {
        NodeIndex best = tarvel::NoNode;
        for (NodeIndex v = 0; v < n; ++v) {
            if (settled[v] || queuedAt[v] < 0) continue;
            if (best == tarvel::NoNode || dist[v] < dist[best] || (dist[v] == dist[best] && queuedAt[v] < queuedAt[best]))
                best = v;
        }
        if (best == tarvel::NoNode) return order;
        settled[best] = true;
        order.push_back(best);
        for (const auto& e : g.neighbors(best)) {
            const double nd = dist[best] + static_cast<double>(e.weight);
            if (settled[e.target]) continue;
            if (queuedAt[e.target] < 0 || nd < dist[e.target]) dist[e.target] = nd, queuedAt[e.target] = clock++;
        }
    }
}

// A random graph of float weights in quarters (exact sums), ties frequent.
tarvel::Graph<std::string, double> quarterGraph(std::mt19937& rng, bool directed, int n, int m) {
    tarvel::Graph<std::string, double> g(directed);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1), quarters(0, 8);
    for (int k = 0; k < m; ++k) g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), quarters(rng) / 4.0);
    return g;
}

template <class W>
void checkAgainstReferences(const tarvel::GraphView<std::string, W>& g, ShortestPathAlgo method) {
    const bool hops = method == ShortestPathAlgo::BFS;
    const auto fw = floydWarshall(g, hops);
    const std::size_t n = g.nodeCount();
    std::vector<NodeIndex> sources;
    for (NodeIndex s = 0; s < n; ++s) sources.push_back(s);
    std::size_t rows = 0;
    tarvel::distancesFromEach(g, sources, method, {1, {}}, [&](std::size_t k, const tarvel::VisitOrder<W>& row) {
        ASSERT_EQ(k, rows++);
        ASSERT_EQ(row.source, sources[k]);
        EXPECT_EQ(row.nodes, plainOrder(g, row.source, hops)) << "source " << row.source;
        std::size_t reached = 0;
        for (NodeIndex t = 0; t < n; ++t) reached += fw[row.source][t].has_value();
        ASSERT_EQ(row.nodes.size(), reached);
        for (std::size_t i = 0; i < row.nodes.size(); ++i)
            EXPECT_EQ(static_cast<double>(row.distance[i]), fw[row.source][row.nodes[i]]);
    });
    EXPECT_EQ(rows, n);

    const auto ecc = tarvel::eccentricities(g, !hops, {2, {}});
    for (NodeIndex s = 0; s < n; ++s) {
        double most = 0;
        std::size_t reached = 0;
        for (NodeIndex t = 0; t < n; ++t)
            if (fw[s][t]) most = std::max(most, *fw[s][t]), ++reached;
        EXPECT_EQ(static_cast<double>(ecc[s].value), most);
        EXPECT_EQ(ecc[s].reachesAll, reached == n);
    }
}

TEST(AllPairs, RowsMatchFloydWarshallAndTheStatedOrder) {
    std::mt19937 rng(33);
    for (int trial = 0; trial < 40; ++trial) {
        const bool directed = trial % 2 == 0;
        const int n = 1 + trial % 13, m = (trial * 7) % 40;
        // Narrow weights make many equal distances, so ties decide the order.
        const G ints = randomGraph(rng, directed, n, m, 0, 3);
        for (const auto method : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA})
            checkAgainstReferences(ints.view(), method);
        const auto floats = quarterGraph(rng, directed, n, m);
        checkAgainstReferences(floats.view(), ShortestPathAlgo::DIJKSTRA);
    }
}

TEST(AllPairs, SameRowsForAnyThreadCountAndBatch) {
    // Work enough for four threads (past the grain below which one thread
    // does it all), sources enough for two batches.
    std::mt19937 rng(7);
    const G g = randomGraph(rng, true, 200, 1000);
    std::vector<NodeIndex> sources;
    for (int k = 0; k < 300; ++k) sources.push_back(static_cast<NodeIndex>((k * 37) % 200));  // repeats
    tarvel::detail::assumedCores = 4;
    ASSERT_EQ(tarvel::detail::threadsFor(4, sources.size() * (g.view().entryCount() + 200), tarvel::detail::SourceGrain),
              4u);
    const auto eccOne = tarvel::eccentricities(g.view(), true, {1, {}});
    const auto eccFour = tarvel::eccentricities(g.view(), true, {4, {}});
    for (std::size_t k = 0; k < eccOne.size(); ++k) {
        EXPECT_EQ(eccOne[k].value, eccFour[k].value);
        EXPECT_EQ(eccOne[k].reachesAll, eccFour[k].reachesAll);
    }
    std::vector<std::vector<NodeIndex>> one, four;
    std::vector<std::vector<std::int64_t>> dOne, dFour;
    tarvel::distancesFromEach(g.view(), sources, ShortestPathAlgo::DIJKSTRA, {1, {}}, [&](std::size_t, const auto& r) {
        one.push_back(r.nodes);
        dOne.push_back(r.distance);
    });
    tarvel::distancesFromEach(g.view(), sources, ShortestPathAlgo::DIJKSTRA, {4, {}}, [&](std::size_t, const auto& r) {
        four.push_back(r.nodes);
        dFour.push_back(r.distance);
    });
    tarvel::detail::assumedCores = 0;
    ASSERT_EQ(one.size(), sources.size());
    EXPECT_EQ(one, four);
    EXPECT_EQ(dOne, dFour);
    for (std::size_t k = 0; k < sources.size(); ++k) EXPECT_EQ(one[k].front(), sources[k]);
    EXPECT_EQ(tarvel::visitOrder(g.view(), sources[5], ShortestPathAlgo::DIJKSTRA).nodes, one[5]);
}

TEST(AllPairs, RefusalsComeBeforeAnySearch) {
    G g(true);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", -1);
    int calls = 0;
    const auto count = [&](std::size_t, const auto&) { ++calls; };
    EXPECT_THROW(tarvel::distancesFromEach(g.view(), {0}, ShortestPathAlgo::DIJKSTRA, {}, count), std::invalid_argument);
    EXPECT_THROW(tarvel::distancesFromEach(g.view(), {0}, ShortestPathAlgo::BELLMAN_FORD, {}, count),
                 std::invalid_argument);
    EXPECT_THROW(tarvel::distancesFromEach(g.view(), {0, 2}, ShortestPathAlgo::BFS, {}, count), std::out_of_range);
    EXPECT_EQ(calls, 0);
    EXPECT_THROW(tarvel::eccentricities(g.view(), true), std::invalid_argument);
    EXPECT_THROW(tarvel::eccentricities(g.view(), {0, 0}, false), std::invalid_argument);
    // Hop counts ignore the weights.
    EXPECT_EQ(tarvel::eccentricities(g.view(), {0}, false)[0].value, 1);
    EXPECT_EQ(tarvel::visitOrder(g.view(), 0, ShortestPathAlgo::BFS).nodes, (std::vector<NodeIndex>{0, 1}));
}

TEST(DistanceMeasures, ExtremesAndTheirErrors) {
    // A path a - b - c - d with a heavy shortcut a - d: hop counts and
    // weights disagree.
    G g(false);
    for (const char* name : {"a", "b", "c", "d"}) g.addNode(name);
    for (const auto& [u, v, w] : {std::tuple{"a", "b", 1}, {"b", "c", 1}, {"c", "d", 1}, {"a", "d", 5}}) g.addEdge(u, v, w);
    EXPECT_EQ(std::pair(g.diameter(false), g.radius(false)), std::pair(std::int64_t{2}, std::int64_t{2}));
    EXPECT_EQ(std::pair(g.diameter(true), g.radius(true)), std::pair(std::int64_t{3}, std::int64_t{2}));
    EXPECT_EQ(g.periphery(true), (std::vector<std::string>{"a", "d"}));
    EXPECT_EQ(g.center(true), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(g.center(false).size(), 4u);

    g.addNode("lonely");
    try {
        g.center(true);
        ADD_FAILURE() << "no error for a disconnected graph";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "an eccentricity is infinite: the graph is not connected");
    }
    G oneWay(true);
    oneWay.addNode("x");
    oneWay.addNode("y");
    oneWay.addEdge("x", "y", 1);
    EXPECT_THROW(oneWay.eccentricity(), std::runtime_error);
    const auto e = tarvel::eccentricities(oneWay.view(), false);
    EXPECT_TRUE(e[0].reachesAll);
    EXPECT_FALSE(e[1].reachesAll);
    EXPECT_THROW(G(false).diameter(), std::invalid_argument);
}

TEST(DistanceMeasures, ByNameRowsAndDeepPath) {
    // A path of 300,000 nodes: no recursion anywhere.
    const int n = 300000;
    tarvel::GraphStore<std::string, int> g(false);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    for (int i = 1; i < n; ++i) g.addEdge(std::to_string(i - 1), std::to_string(i), 2);
    const auto e = tarvel::eccentricities(g.view(), {0, static_cast<NodeIndex>(n / 2)}, true);
    EXPECT_EQ(e[0].value, 2 * (n - 1));
    EXPECT_EQ(e[1].value, 2 * (n / 2));  // the farther end is node 0
    const auto row = tarvel::visitOrder(g.view(), n - 1, ShortestPathAlgo::BFS);
    EXPECT_EQ(row.nodes.back(), 0u);
    EXPECT_EQ(row.distance.back(), n - 1);

    G small(true);
    for (const char* name : {"s", "t", "u"}) small.addNode(name);
    small.addEdge("s", "t", 4);
    small.addEdge("s", "u", 1);
    small.addEdge("u", "t", 1);
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::int64_t>>>> got;
    small.distancesFromEach({"t", "s"}, ShortestPathAlgo::DIJKSTRA,
                            [&](const std::string& s, const auto& r) { got.emplace_back(s, r); });
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].second, (std::vector<std::pair<std::string, std::int64_t>>{{"t", 0}}));
    EXPECT_EQ(got[1].second, (std::vector<std::pair<std::string, std::int64_t>>{{"s", 0}, {"u", 1}, {"t", 2}}));
    EXPECT_THROW(small.distancesFromEach({"nobody"}, ShortestPathAlgo::BFS, [](const auto&, const auto&) {}),
                 std::out_of_range);
}

}  // namespace
