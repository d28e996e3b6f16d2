// Centrality: the per-node searches give exactly the numbers of the plain
// per-pair / per-source procedures they replace.
#include <gtest/gtest.h>

#include <deque>

#include "support.hpp"

using namespace testing_support;

namespace {

// Closeness from one breadth-first shortestPath call per ordered pair.
std::vector<double> closenessByPairs(const G& g) {
    std::vector<double> scores;
    const G::Heuristic zero = [](std::string, std::string) { return 0.0; };
    for (std::size_t i = 0; i < g.nodeCount(); ++i) {
        double sum = 0.0;
        for (std::size_t j = 0; j < g.nodeCount(); ++j) {
            if (i == j) continue;
            const auto path = g.shortestPath(g.nameOf(i), g.nameOf(j), tarvel::ShortestPathAlgo::BFS, zero);
            if (!path.empty()) sum += static_cast<double>(path.size() - 1);
        }
        scores.push_back(sum > 0.0 ? 1.0 / sum : 0.0);
    }
    return scores;
}

// Dependency accumulation with fresh per-source storage and predecessor lists.
std::vector<double> betweennessBySources(const G& g) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 0.0);
    for (std::size_t s = 0; s < n; ++s) {
        std::deque<std::size_t> order, queue{s};
        std::vector<std::vector<std::size_t>> predecessors(n);
        std::vector<double> pathCount(n, 0.0);
        std::vector<long> distance(n, -1);
        pathCount[s] = 1.0;
        distance[s] = 0;
        while (!queue.empty()) {
            const std::size_t v = queue.front();
            queue.pop_front();
            order.push_back(v);
            for (const auto& [w, weight] : g.view().neighbors(v)) {
                if (distance[w] < 0) {
                    queue.push_back(w);
                    distance[w] = distance[v] + 1;
                }
                if (distance[w] == distance[v] + 1) {
                    pathCount[w] += pathCount[v];
                    predecessors[w].push_back(v);
                }
            }
        }
        std::vector<double> dependency(n, 0.0);
        while (!order.empty()) {
            const std::size_t w = order.back();
            order.pop_back();
            for (std::size_t v : predecessors[w])
                dependency[v] = pathCount[v] / pathCount[w] * (1.0 + dependency[w]) + dependency[v];
            if (w != s) scores[w] += dependency[w];
        }
    }
    return scores;
}

}  // namespace

TEST(Centrality, FastProceduresGiveIdenticalNumbers) {
    std::mt19937 rng(2718);
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + round % 25;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        EXPECT_EQ(tarvel::closenessCentrality(g.view()), closenessByPairs(g)) << round;
        // Exact equality: same operations in the same order.
        EXPECT_EQ(tarvel::betweennessCentrality(g.view()), betweennessBySources(g)) << round;
    }
}

TEST(Centrality, KatzStepsAndDegenerateCases) {
    G g(true);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", 1);
    const auto one = tarvel::katzCentrality(g.view(), 0.1, 1.0, 1, 1e-6);
    EXPECT_DOUBLE_EQ(one[0], 1.05 / std::sqrt(2.1025));
    EXPECT_DOUBLE_EQ(one[1], 1.0 / std::sqrt(2.1025));
    EXPECT_EQ(tarvel::katzCentrality(g.view(), 0.1, 1.0, 0, 1e-6), (std::vector<double>{0.5, 0.5}));
    G empty(true);
    EXPECT_TRUE(tarvel::katzCentrality(empty.view(), 0.1, 1.0, 10, 1e-6).empty());
    EXPECT_TRUE(tarvel::betweennessCentrality(empty.view()).empty() &&
                tarvel::closenessCentrality(empty.view()).empty());
    G pair(true);
    pair.addNode("x");
    pair.addNode("y");
    for (double s : tarvel::katzCentrality(pair.view(), 0.1, 0.0, 5, 1e-6)) EXPECT_TRUE(std::isnan(s));
}

TEST(Centrality, NamedMapsHoldEveryNode) {
    tarvel::Graph<int, int> g(false);
    for (int i = 0; i < 5; ++i) g.addNode(i * 10);
    g.addEdge(0, 10, 1);
    g.addEdge(10, 20, 1);
    const auto betweenness = g.betweennessCentrality();
    EXPECT_EQ(betweenness.size(), 5u);
    EXPECT_EQ(betweenness.at(10), 2.0);
    EXPECT_EQ(g.degreeCentrality().at(10), 2.0);
    EXPECT_EQ(g.closenessCentrality().at(40), 0.0);
    EXPECT_EQ(g.katzCentrality().size(), 5u);
}

// Scores for some nodes or from some sources: closeness parts are the whole
// call's scores to the bit; betweenness parts of a partition of the sources
// sum to the whole within the stated rounding bound, and the order in which
// sources are given does not matter.
TEST(Centrality, PartsOfTheNodesAddUpToTheWhole) {
    std::mt19937 rng(41);
    for (int round = 0; round < 12; ++round) {
        const bool directed = round % 2 == 0;
        G g = randomGraph(rng, directed, 60 + 10 * round, 300 + 40 * round);
        const auto v = g.view();
        const std::size_t n = v.nodeCount();
        const auto closeness = tarvel::closenessCentrality(v);
        const auto betweenness = tarvel::betweennessCentrality(v);
        std::vector<tarvel::NodeIndex> shuffled = tarvel::detail::allNodes(n);
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        const std::size_t cut = n / 3;
        const std::vector<tarvel::NodeIndex> first(shuffled.begin(), shuffled.begin() + static_cast<long>(cut));
        const std::vector<tarvel::NodeIndex> rest(shuffled.begin() + static_cast<long>(cut), shuffled.end());
        const auto part = tarvel::closenessCentrality(v, first);
        for (std::size_t k = 0; k < cut; ++k) EXPECT_EQ(part[k], closeness[first[k]]);
        const auto a = tarvel::betweennessCentrality(v, first), b = tarvel::betweennessCentrality(v, rest);
        const double u = std::ldexp(1.0, -53), gamma = static_cast<double>(n - 1) * u / (1 - static_cast<double>(n - 1) * u);
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_LE(std::fabs(a[i] + b[i] - betweenness[i]), 2 * gamma / (1 - gamma) * betweenness[i]) << i;
        }
        std::vector<tarvel::NodeIndex> sorted = rest;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(tarvel::betweennessCentrality(v, sorted), b);  // the order given plays no part
        EXPECT_EQ(tarvel::betweennessCentrality(v, tarvel::detail::allNodes(n)), betweenness);
    }
    G g = randomGraph(rng, true, 5, 8);
    EXPECT_THROW(tarvel::betweennessCentrality(g.view(), std::vector<tarvel::NodeIndex>{1, 2, 1}), std::invalid_argument);
    EXPECT_THROW(tarvel::closenessCentrality(g.view(), std::vector<tarvel::NodeIndex>{5}), std::out_of_range);
    EXPECT_TRUE(tarvel::closenessCentrality(g.view(), std::vector<tarvel::NodeIndex>{}).empty());
    EXPECT_EQ(tarvel::betweennessCentrality(g.view(), std::vector<tarvel::NodeIndex>{}), std::vector<double>(5, 0.0));
}
