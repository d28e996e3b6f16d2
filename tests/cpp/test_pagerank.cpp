// PageRank against the power iteration written out plainly on a dense
// matrix, and harmonic centrality against Floyd–Warshall distances.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support.hpp"

using namespace testing_support;

namespace {

using FG = tarvel::Graph<std::string, double>;
using Vec = std::vector<double>;

// The dense matrix of a graph: A[u][v] sums the weights of the edges u -> v
// (an undirected edge both ways, its self-loop once).
template <class Graph>
std::vector<Vec> denseMatrix(const Graph& g, bool weighted) {
    const std::size_t n = g.nodeCount();
    std::vector<Vec> a(n, Vec(n, 0.0));
    for (const auto& e : g.view().edges()) {
        const double w = weighted ? static_cast<double>(e.weight) : 1.0;
        a[e.source][e.target] += w;
        if (!g.isDirected() && e.source != e.target) a[e.target][e.source] += w;
    }
    return a;
}

struct Plain {
    Vec x;
    int steps = 0;
    bool converged = false;
};

Vec normalised(Vec v) {
    double s = 0.0;
    for (double x : v) s += x;
    for (double& x : v) x /= s;
    return v;
}

// Power iteration as the textbook states it, sums in plain index order.
Plain plainPageRank(const std::vector<Vec>& a, double alpha, Vec p, Vec x, Vec d, int maxIter, double tol) {
    const std::size_t n = a.size();
    p = p.empty() ? Vec(n, 1.0 / static_cast<double>(n)) : normalised(p);
    x = x.empty() ? Vec(n, 1.0 / static_cast<double>(n)) : normalised(x);
    d = d.empty() ? p : normalised(d);
    Vec rowSum(n, 0.0);
    for (std::size_t u = 0; u < n; ++u)
        for (std::size_t v = 0; v < n; ++v) rowSum[u] += a[u][v];
    Plain out;
    for (out.steps = 1; out.steps <= maxIter; ++out.steps) {
        double dangling = 0.0;
        for (std::size_t u = 0; u < n; ++u)
            if (rowSum[u] == 0.0) dangling += x[u];
        Vec next(n);
        for (std::size_t v = 0; v < n; ++v) {
            double y = 0.0;
            for (std::size_t u = 0; u < n; ++u)
                if (rowSum[u] != 0.0) y += a[u][v] / rowSum[u] * x[u];
            next[v] = alpha * (y + dangling * d[v]) + (1 - alpha) * p[v];
        }
        double change = 0.0;
        for (std::size_t v = 0; v < n; ++v) change += std::fabs(next[v] - x[v]);
        x = next;
        if (change < static_cast<double>(n) * tol) {
            out.converged = true;
            break;
        }
    }
    out.x = x;
    return out;
}

double l1(const Vec& a, const Vec& b) {
    double s = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) s += std::fabs(a[i] - b[i]);
    return s;
}

Vec randomVector(std::mt19937& rng, std::size_t n, bool withZeros) {
    std::uniform_real_distribution<double> value(0.0, 2.0);
    Vec v(n);
    for (double& x : v) x = withZeros && rng() % 3 == 0 ? 0.0 : value(rng);
    v[rng() % n] = 1.0;  // never all zero
    return v;
}

// numpy's pairwise summation as it states itself, recursively.
double recursivePairwise(const double* a, std::size_t n) {
    if (n < 8) {
        double s = 0.0;
        for (std::size_t i = 0; i < n; ++i) s += a[i];
        return s;
    }
    if (n <= 128) {
        double r[8];
        std::size_t i = 0;
        for (std::size_t j = 0; j < 8; ++j) r[j] = a[j];
        for (i = 8; i < n - n % 8; i += 8)
            for (std::size_t j = 0; j < 8; ++j) r[j] += a[i + j];
        double s = ((r[0] + r[1]) + (r[2] + r[3])) + ((r[4] + r[5]) + (r[6] + r[7]));
        for (; i < n; ++i) s += a[i];
        return s;
    }
    std::size_t half = n / 2;
    half -= half % 8;
    return recursivePairwise(a, half) + recursivePairwise(a + half, n - half);
}

// Harmonic centrality from Floyd–Warshall distances: for each node, 1 / d
// over the other nodes it reaches at d > 0, added in ascending order of d.
template <class Graph>
Vec harmonicByPairs(const Graph& g, bool weighted, const std::vector<bool>& counted) {
    const std::size_t n = g.nodeCount();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<Vec> d(n, Vec(n, inf));
    for (std::size_t i = 0; i < n; ++i) d[i][i] = 0.0;
    for (const auto& e : g.view().edges()) {
        const double w = weighted ? static_cast<double>(e.weight) : 1.0;
        d[e.source][e.target] = std::min(d[e.source][e.target], w);
        if (!g.isDirected()) d[e.target][e.source] = std::min(d[e.target][e.source], w);
    }
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j) d[i][j] = std::min(d[i][j], d[i][k] + d[k][j]);
    Vec scores(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        Vec row;
        for (std::size_t j = 0; j < n; ++j)
            if (j != i && counted[j] && d[i][j] > 0.0 && d[i][j] < inf) row.push_back(d[i][j]);
        std::sort(row.begin(), row.end());
        for (double x : row) scores[i] += 1.0 / x;
    }
    return scores;
}

}  // namespace

TEST(PageRank, PairwiseSumIsNumpysHalving) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    for (std::size_t n : {0, 1, 7, 8, 9, 127, 128, 129, 136, 1000, 4099}) {
        Vec v(n);
        for (double& x : v) x = value(rng) * std::pow(10.0, static_cast<double>(rng() % 12) - 6.0);
        EXPECT_EQ(tarvel::detail::pairwiseSum(v.data(), n), recursivePairwise(v.data(), n)) << n;
    }
}

TEST(PageRank, MatchesThePlainPowerIteration) {
    std::mt19937 rng(33);
    for (int round = 0; round < 120; ++round) {
        const int n = 1 + round % 17;
        const bool directed = round % 2 == 0, weighted = round % 3 != 0;
        const int m = static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1));
        // Parallel edges, self-loops, dangling nodes: randomGraph makes them all.
        G g = randomGraph(rng, directed, n, m, 1, 5);
        const std::size_t size = static_cast<std::size_t>(n);
        Vec p, x, d;
        if (round % 4 == 1) p = randomVector(rng, size, true);
        if (round % 5 == 2) x = randomVector(rng, size, false);
        if (round % 3 == 1) d = randomVector(rng, size, true);
        const double alpha = round % 7 == 0 ? 0.5 : 0.85, tol = round % 2 ? 1e-6 : 1e-10;
        const auto ranks = tarvel::pageRank(g.view(), alpha, p, x, d, 1000, tol, weighted);
        const Plain plain = plainPageRank(denseMatrix(g, weighted), alpha, p, x, d, 1000, tol);
        ASSERT_TRUE(ranks.converged) << round;
        ASSERT_TRUE(plain.converged);
        // The two differ by rounding only: the same step count but where the
        // change lies within rounding of the threshold, the same vector
        // within the threshold.
        EXPECT_LE(std::abs(static_cast<int>(ranks.steps) - plain.steps), 1) << round;
        EXPECT_LT(l1(ranks.scores, plain.x), static_cast<double>(n) * tol) << round;
        double total = 0.0;
        for (double s : ranks.scores) total += s;
        EXPECT_NEAR(total, 1.0, 1e-9) << round;
    }
}

TEST(PageRank, FloatWeightsAndNegativeOnes) {
    std::mt19937 rng(8);
    std::uniform_real_distribution<double> weight(0.1, 3.0);
    for (int round = 0; round < 40; ++round) {
        const int n = 2 + round % 11;
        FG g(round % 2 == 0);
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        for (int k = 0; k < 3 * n; ++k) {
            // An edge of weight w beside one of -w: rows that cancel are dangling.
            const auto u = std::to_string(rng() % static_cast<unsigned>(n));
            const auto v = std::to_string(rng() % static_cast<unsigned>(n));
            const double w = weight(rng);
            g.addEdge(u, v, w);
            if (k % 7 == 0) g.addEdge(u, v, -w);
        }
        const auto ranks = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, 500, 1e-9, true);
        const Plain plain = plainPageRank(denseMatrix(g, true), 0.85, {}, {}, {}, 500, 1e-9);
        ASSERT_EQ(ranks.converged, plain.converged) << round;
        if (plain.converged) {
            EXPECT_LT(l1(ranks.scores, plain.x), n * 1e-9) << round;
        }
    }
}

TEST(PageRank, StopsAtTheFirstStepBelowVTimesTolerance) {
    std::mt19937 rng(71);
    G g = randomGraph(rng, true, 30, 90);
    const auto full = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, 1000, 1e-8, true);
    ASSERT_TRUE(full.converged);
    ASSERT_GT(full.steps, 3u);
    // One step fewer than needed fails; exactly enough succeeds, with the
    // same vector: every call repeats the same steps.
    const int enough = static_cast<int>(full.steps);
    const auto shortOfIt = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, enough - 1, 1e-8, true);
    EXPECT_FALSE(shortOfIt.converged);
    EXPECT_EQ(shortOfIt.steps, full.steps - 1);
    const auto exact = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, enough, 1e-8, true);
    EXPECT_TRUE(exact.converged);
    EXPECT_EQ(exact.scores, full.scores);
    // No step at all: the start, unconverged.
    const auto none = tarvel::pageRank(g.view(), 0.85, {}, {}, {}, 0, 1e-8, true);
    EXPECT_FALSE(none.converged);
    EXPECT_EQ(none.scores, Vec(30, 1.0 / 30));
    // A start summing to 0 is NaN, which never converges.
    EXPECT_FALSE(tarvel::pageRank(g.view(), 0.85, {}, Vec(30, 0.0), {}, 50, 1e-8, true).converged);
}

TEST(PageRank, ThreadsGiveTheSameBits) {
    std::mt19937 rng(99);
    G g = randomGraph(rng, true, 20000, 120000);
    const Vec p = randomVector(rng, 20000, true);
    tarvel::RunOptions one, many;
    one.threads = 1;
    many.threads = 4;
    const auto a = tarvel::pageRank(g.view(), 0.85, p, {}, {}, 100, 1e-9, true, one);
    const auto b = tarvel::pageRank(g.view(), 0.85, p, {}, {}, 100, 1e-9, true, many);
    EXPECT_EQ(a.scores, b.scores);
    EXPECT_EQ(a.steps, b.steps);
    EXPECT_EQ(tarvel::harmonicCentrality(g.view(), {0, 5, 17, 400}, {}, true, one),
              tarvel::harmonicCentrality(g.view(), {0, 5, 17, 400}, {}, true, many));
}

TEST(PageRank, ErrorsAndEmptyGraphs) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    EXPECT_THROW(tarvel::pageRank(g.view(), 0.85, {1.0}, {}, {}, 10, 1e-6, true), std::invalid_argument);
    EXPECT_THROW(tarvel::pageRank(g.view(), 0.85, {}, {1.0, 2.0}, {}, 10, 1e-6, true), std::invalid_argument);
    EXPECT_THROW(tarvel::pageRank(g.view(), 0.85, {}, {}, {1.0}, 10, 1e-6, true), std::invalid_argument);
    EXPECT_THROW(tarvel::pageRank(g.view(), 0.85, {1.0, -1.0, 0.0}, {}, {}, 10, 1e-6, true), std::invalid_argument);
    // Edgeless: every node dangles, and the ranks are the personalization.
    const auto ranks = tarvel::pageRank(g.view(), 0.85, {1.0, 3.0, 0.0}, {}, {}, 100, 1e-10, true);
    ASSERT_TRUE(ranks.converged);
    EXPECT_NEAR(ranks.scores[1], 0.75, 1e-9);
    EXPECT_NEAR(ranks.scores[2], 0.0, 1e-9);
    G empty(false);
    EXPECT_TRUE(tarvel::pageRank(empty.view(), 0.85, {}, {}, {}, 0, 1e-6, true).converged);
    EXPECT_THROW(g.pageRank(0.85, 0), std::runtime_error);
    EXPECT_EQ(g.pageRank().size(), 3u);
}

TEST(Harmonic, MatchesFloydWarshall) {
    std::mt19937 rng(12);
    for (int round = 0; round < 150; ++round) {
        const int n = 1 + round % 19;
        const bool directed = round % 2 == 0, weighted = round % 3 != 0;
        // Weights from 0: zero-weight steps leave distance 0, which counts for nothing.
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)), 0, 6);
        const std::size_t size = static_cast<std::size_t>(n);
        std::vector<bool> counted(size, true);
        std::vector<tarvel::NodeIndex> sources;
        if (round % 4 == 1) {
            for (std::size_t i = 0; i < size; ++i) counted[i] = rng() % 2 == 0;
            for (std::size_t i = 0; i < size; ++i)
                if (counted[i]) sources.push_back(i);
            if (sources.empty()) counted.assign(size, true);
        }
        // Integer distances are exact, and both add in ascending order.
        EXPECT_EQ(tarvel::harmonicCentrality(g.view(), tarvel::detail::allNodes(size), sources, weighted),
                  harmonicByPairs(g, weighted, counted))
            << round;
    }
}

TEST(Harmonic, FloatWeightsPartsAndErrors) {
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> weight(0.01, 5.0);
    for (int round = 0; round < 40; ++round) {
        const int n = 2 + round % 15;
        FG g(round % 2 == 0);
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        for (int k = 0; k < 2 * n; ++k) {
            g.addEdge(std::to_string(rng() % static_cast<unsigned>(n)), std::to_string(rng() % static_cast<unsigned>(n)),
                      weight(rng));
        }
        const Vec whole = tarvel::harmonicCentrality(g.view(), true);
        const Vec plain = harmonicByPairs(g, true, std::vector<bool>(static_cast<std::size_t>(n), true));
        for (std::size_t i = 0; i < whole.size(); ++i) EXPECT_NEAR(whole[i], plain[i], 1e-12 * (1 + plain[i]));
        // A part asked for alone is the same bits as in the whole.
        const std::vector<tarvel::NodeIndex> part{static_cast<tarvel::NodeIndex>(n - 1), 0};
        EXPECT_EQ(tarvel::harmonicCentrality(g.view(), part, {}, true), (Vec{whole[part[0]], whole[0]}));
    }
    FG g(true);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", -1.0);
    EXPECT_THROW(tarvel::harmonicCentrality(g.view(), true), std::invalid_argument);
    EXPECT_EQ(tarvel::harmonicCentrality(g.view(), false), (Vec{1.0, 0.0}));
    EXPECT_THROW(tarvel::harmonicCentrality(g.view(), {0, 0}, {}, false), std::invalid_argument);
    EXPECT_THROW(tarvel::harmonicCentrality(g.view(), {0}, {2}, false), std::out_of_range);
    EXPECT_EQ(g.harmonicCentrality().at("a"), 1.0);
}
