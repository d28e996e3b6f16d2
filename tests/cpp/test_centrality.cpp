// Centrality: the per-node searches give exactly the numbers of the plain
// per-pair / per-source procedures they replace.
#include <gtest/gtest.h>

#include <cmath>
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

// Reach counts and distance sums from one breadth-first shortestPath call
// per ordered pair.
std::vector<tarvel::ReachSum> reachByPairs(const G& g) {
    std::vector<tarvel::ReachSum> sums(g.nodeCount());
    for (std::size_t i = 0; i < g.nodeCount(); ++i) {
        for (std::size_t j = 0; j < g.nodeCount(); ++j) {
            const auto path = g.shortestPath(g.nameOf(i), g.nameOf(j), tarvel::ShortestPathAlgo::BFS, nullptr);
            if (i == j || path.empty()) continue;
            ++sums[i].reached;
            sums[i].distanceSum += path.size() - 1;
        }
    }
    return sums;
}

// Katz over incoming edges as a plain loop: each source in index order adds
// its share to the nodes of its list (an undirected self-loop once), then
// the change is summed with the compensation written out.
tarvel::KatzScores katzByScatter(const G& g, double alpha, const std::vector<double>& beta, int steps,
                                 double tolerance, bool weighted) {
    const std::size_t n = g.nodeCount();
    tarvel::KatzScores out;
    out.scores.assign(n, 0.0);
    while (static_cast<int>(out.steps) < steps) {
        const std::vector<double> last = out.scores;
        std::vector<double> next(n, 0.0);
        for (std::size_t u = 0; u < n; ++u) {
            bool skipLoop = false;
            for (const auto& [v, w] : g.view().neighbors(u)) {
                if (!g.isDirected() && v == u && (skipLoop = !skipLoop) == false) continue;
                next[v] += weighted ? last[u] * w : last[u];
            }
        }
        for (std::size_t v = 0; v < n; ++v) out.scores[v] = alpha * next[v] + beta[v];
        ++out.steps;
        double total = 0.0, compensation = 0.0;
        for (std::size_t v = 0; v < n; ++v) {
            const double x = std::fabs(out.scores[v] - last[v]), t = total + x;
            compensation += std::fabs(total) >= x ? (total - t) + x : (x - t) + total;
            total = t;
        }
        if (compensation != 0.0) total += compensation;
        if (total < static_cast<double>(n) * tolerance) {
            out.converged = true;
            break;
        }
    }
    return out;
}

}  // namespace

TEST(Centrality, ReachSumsAreThePairsCounted) {
    std::mt19937 rng(1414);
    for (int round = 0; round < 120; ++round) {
        const int n = 1 + round % 20;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(2 * n + 1)));
        const auto sums = tarvel::reachSums(g.view());
        EXPECT_EQ(sums, reachByPairs(g)) << round;
        // Closeness is the reciprocal of the same sum.
        const auto closeness = tarvel::closenessCentrality(g.view());
        for (std::size_t i = 0; i < sums.size(); ++i)
            EXPECT_EQ(closeness[i], sums[i].distanceSum ? 1.0 / static_cast<double>(sums[i].distanceSum) : 0.0);
    }
    EXPECT_TRUE(tarvel::reachSums(G(true).view()).empty());
}

TEST(Centrality, IncomingKatzIsThePlainLoopToTheBit) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 160; ++round) {
        const int n = 1 + round % 17;
        const bool directed = round % 2 == 0, weighted = round % 3 == 0;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)), -3, 4);
        std::vector<double> beta(static_cast<std::size_t>(n));
        for (double& b : beta) b = std::uniform_real_distribution<double>(-1.0, 2.0)(rng);
        const double alpha = round % 4 == 0 ? 0.9 : 0.02;  // the first often diverges
        const int steps = 1 + round % 200;
        const auto got = tarvel::incomingKatzCentrality(g.view(), alpha, beta, {}, steps, 1e-9, weighted, false);
        const auto want = katzByScatter(g, alpha, beta, steps, 1e-9, weighted);
        EXPECT_EQ(got.scores, want.scores) << round;
        EXPECT_EQ(got.steps, want.steps) << round;
        EXPECT_EQ(got.converged, want.converged) << round;
    }
}

TEST(Centrality, IncomingKatzStartsStopsAndScales) {
    G g(true);
    for (const char* name : {"a", "b", "c"}) g.addNode(name);
    g.addEdge("a", "b", 2);
    g.addEdge("c", "b", 3);
    const std::vector<double> beta{1.0, 1.0, 1.0};
    // b gets 0.1 × (a + c) + 1: 1.2 after one step from 0, then fixed.
    const auto raw = tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {}, 10, 1e-9, false, false);
    EXPECT_EQ(raw.scores, (std::vector<double>{1.0, 1.2, 1.0}));
    EXPECT_TRUE(raw.converged);
    EXPECT_EQ(raw.steps, 3u);
    const auto weighted = tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {1.0, 1.5, 1.0}, 10, 1e-9, true, false);
    EXPECT_EQ(weighted.scores, (std::vector<double>{1.0, 1.5, 1.0}));  // 0.1 × (2 × 1 + 3 × 1) + 1
    EXPECT_EQ(weighted.steps, 1u);  // the start is the fixed point
    const auto scaled = tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {}, 10, 1e-9, false, true);
    EXPECT_DOUBLE_EQ(scaled.scores[1], 1.2 / std::sqrt(3.44));
    const auto cut = tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {}, 2, 1e-9, false, true);
    EXPECT_FALSE(cut.converged);
    EXPECT_EQ(cut.steps, 2u);
    EXPECT_EQ(cut.scores, raw.scores);  // not scaled when it did not converge
    EXPECT_FALSE(tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {}, 0, 1e-9, false, true).converged);
    const std::vector<double> zero(3, 0.0);
    EXPECT_EQ(tarvel::incomingKatzCentrality(g.view(), 0.1, zero, {}, 5, 1e-9, false, true).scores, zero);
    EXPECT_TRUE(tarvel::incomingKatzCentrality(G(false).view(), 0.1, {}, {}, 0, 1e-9, false, true).converged);
    EXPECT_THROW(tarvel::incomingKatzCentrality(g.view(), 0.1, {1.0}, {}, 5, 1e-9, false, true), std::invalid_argument);
    EXPECT_THROW(tarvel::incomingKatzCentrality(g.view(), 0.1, beta, {1.0}, 5, 1e-9, false, true),
                 std::invalid_argument);
}

TEST(Centrality, CompensatedSumKeepsWhatPlainAdditionLoses) {
    tarvel::detail::CompensatedSum sum;
    for (double x : {1e16, 1.0, -1e16}) sum.add(x);
    EXPECT_EQ(sum.value(), 1.0);  // a plain sum gives 0.0
    tarvel::detail::CompensatedSum tiny;
    for (double x : {0.1, 0.2, 0.3}) tiny.add(x);
    EXPECT_EQ(tiny.value(), 0.6);  // a plain sum gives 0.6000000000000001
}

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
