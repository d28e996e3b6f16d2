// Weighted closeness and betweenness against a plain procedure that shares
// nothing with the searches: Floyd–Warshall distances over a dense matrix,
// then path counts and dependencies in the textbook order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <unordered_map>

#include "support.hpp"

using namespace testing_support;

namespace {

using FG = tarvel::Graph<std::string, double>;

// Betweenness and closeness of every node from the dense distance matrix.
// Between two nodes only the least-weight entries matter, each a path of
// its own (`copies`); on a zero-distance step a path counts only while the
// fewest-edge count H grows along it (H by breadth-first search over the
// entries that lie on a shortest path).
struct Oracle {
    std::vector<double> betweenness, closeness;
    std::vector<std::size_t> reached;
};

template <class V>
Oracle denseOracle(const V& g) {
    using D = double;  // the tests' weights make every sum exact in doubles
    const std::size_t n = g.nodeCount();
    const D inf = std::numeric_limits<D>::infinity();
    std::vector<std::vector<D>> w(n, std::vector<D>(n, inf)), d(n, std::vector<D>(n, inf));
    std::vector<std::vector<double>> copies(n, std::vector<double>(n, 0.0));
    for (std::size_t u = 0; u < n; ++u) {
        for (const auto& entry : g.neighbors(u)) {
            const std::size_t v = entry.target;
            const D x = static_cast<D>(entry.weight);
            if (u == v) continue;
            if (x < w[u][v]) {
                w[u][v] = x;
                copies[u][v] = 1.0;
            } else if (x == w[u][v]) {
                copies[u][v] += 1.0;
            }
        }
    }
    for (std::size_t u = 0; u < n; ++u) {
        d[u] = w[u];
        d[u][u] = 0;
    }
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                if (d[i][k] + d[k][j] < d[i][j]) d[i][j] = d[i][k] + d[k][j];

    Oracle out{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0), std::vector<std::size_t>(n, 0)};
    for (std::size_t s = 0; s < n; ++s) {
        const auto tight = [&](std::size_t u, std::size_t v) {
            return u != v && d[s][u] < inf && w[u][v] < inf && d[s][u] + w[u][v] == d[s][v];
        };
        std::vector<std::size_t> hops(n, SIZE_MAX);
        std::deque<std::size_t> queue{s};
        hops[s] = 0;
        while (!queue.empty()) {
            const std::size_t u = queue.front();
            queue.pop_front();
            for (std::size_t v = 0; v < n; ++v) {
                if (tight(u, v) && hops[v] == SIZE_MAX) {
                    hops[v] = hops[u] + 1;
                    queue.push_back(v);
                }
            }
        }
        const auto counts = [&](std::size_t u, std::size_t v) {
            return tight(u, v) && (d[s][u] < d[s][v] || hops[u] < hops[v]);
        };
        std::vector<std::size_t> order;
        for (std::size_t v = 0; v < n; ++v)
            if (d[s][v] < inf) order.push_back(v);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return d[s][a] != d[s][b] ? d[s][a] < d[s][b] : hops[a] < hops[b];
        });
        std::vector<double> sigma(n, 0.0), delta(n, 0.0);
        sigma[s] = 1.0;
        for (const std::size_t v : order)
            for (const std::size_t u : order)
                if (counts(u, v)) sigma[v] += sigma[u] * copies[u][v];
        for (std::size_t k = order.size(); k-- > 0;) {
            const std::size_t v = order[k];
            for (const std::size_t u : order)
                if (counts(u, v)) delta[u] += copies[u][v] * sigma[u] / sigma[v] * (1.0 + delta[v]);
        }
        double total = 0.0;
        for (const std::size_t v : order) {
            if (v != s) out.betweenness[v] += delta[v];
            total += d[s][v];
        }
        out.closeness[s] = total > 0.0 ? 1.0 / total : 0.0;
        out.reached[s] = order.size() - 1;
    }
    return out;
}

template <class V>
void expectOracle(const V& v, const std::string& what) {
    const Oracle oracle = denseOracle(v);
    const auto betweenness = tarvel::weightedBetweennessCentrality(v);
    // Sums of exact distances: the same doubles.
    EXPECT_EQ(tarvel::weightedClosenessCentrality(v), oracle.closeness) << what;
    const auto sums = tarvel::weightedReachSums(v);
    for (std::size_t i = 0; i < v.nodeCount(); ++i) {
        EXPECT_NEAR(betweenness[i], oracle.betweenness[i], 1e-9 * (1.0 + oracle.betweenness[i]))
            << what << " node " << i;
        EXPECT_EQ(sums[i].reached, oracle.reached[i]) << what;
    }
}

// A graph of doubles: weights that are quarters, so that every path sum is
// exact and ties are the ties of exact arithmetic.
FG randomQuarterGraph(std::mt19937& rng, bool directed, int n, int m) {
    FG g(directed);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1), quarters(0, 6);
    for (int k = 0; k < m; ++k) g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), quarters(rng) / 4.0);
    return g;
}

}  // namespace

// Small random graphs full of ties: parallel edges, self-loops, zero weights
// (plateaus of equal distance), on int and double weights.
TEST(WeightedCentrality, AgreesWithTheDenseOracle) {
    std::mt19937 rng(1618);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 2 == 0;
        const int n = 1 + round % 11;
        const int m = static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1));
        const G ints = randomGraph(rng, directed, n, m, round % 3 == 0 ? 0 : 1, 3);
        expectOracle(ints.view(), "int round " + std::to_string(round));
        const FG quarters = randomQuarterGraph(rng, directed, n, m);
        expectOracle(quarters.view(), "double round " + std::to_string(round));
    }
}

// With every weight equal, the weighted forms are the hop-count ones (the
// sums in another order: betweenness within rounding, closeness exactly).
TEST(WeightedCentrality, EqualWeightsGiveTheHopCountForms) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const G g = randomGraph(rng, round % 2 == 0, 30, 80, 1, 1);
        const auto hop = tarvel::betweennessCentrality(g.view());
        const auto weighted = tarvel::weightedBetweennessCentrality(g.view());
        for (std::size_t i = 0; i < hop.size(); ++i) EXPECT_NEAR(weighted[i], hop[i], 1e-9 * (1.0 + hop[i])) << round;
        EXPECT_EQ(tarvel::weightedClosenessCentrality(g.view()), tarvel::closenessCentrality(g.view())) << round;
    }
}

// Float ties are equality of the sums as a search forms them: 0.1 + 0.2 is
// not 0.3, 0.5 + 0.25 is 0.75.
TEST(WeightedCentrality, FloatTiesAreExactEquality) {
    for (const auto& [first, second, direct, middle] :
         {std::tuple{0.1, 0.2, 0.3, 0.0}, std::tuple{0.5, 0.25, 0.75, 0.5},
          std::tuple{0.1, 0.2, 0.30000000000000004, 0.5}}) {
        FG g(true);
        for (const char* n : {"a", "b", "c"}) g.addNode(n);
        g.addEdge("a", "b", first);
        g.addEdge("b", "c", second);
        g.addEdge("a", "c", direct);
        EXPECT_EQ(tarvel::weightedBetweennessCentrality(g.view())[1], middle) << direct;
    }
}

// Zero weights: a chain of them is a path; a zero step between two nodes
// first reached in as many edges is not (it would make the counted paths
// depend on the order of the search).
TEST(WeightedCentrality, ZeroWeightSteps) {
    G chain(true);
    for (const char* n : {"0", "1", "2"}) chain.addNode(n);
    chain.addEdge("0", "1", 0);
    chain.addEdge("1", "2", 0);
    EXPECT_EQ(tarvel::weightedBetweennessCentrality(chain.view()), (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_EQ(tarvel::weightedClosenessCentrality(chain.view()), (std::vector<double>{0.0, 0.0, 0.0}));
    G fork(true);
    for (const char* n : {"0", "1", "2"}) fork.addNode(n);
    fork.addEdge("0", "1", 1);
    fork.addEdge("0", "2", 1);
    fork.addEdge("2", "1", 0);
    EXPECT_EQ(tarvel::weightedBetweennessCentrality(fork.view()), (std::vector<double>{0.0, 0.0, 0.0}));
}

// The same bits on any number of threads, and parts of the nodes give the
// whole: closeness to the bit, betweenness within the stated bound.
TEST(WeightedCentrality, ThreadsAndPartsGiveTheWhole) {
    std::mt19937 rng(99);
    for (int round = 0; round < 4; ++round) {
        const FG g = [&] {
            FG f(round % 2 == 0);
            for (int i = 0; i < 300; ++i) f.addNode(std::to_string(i));
            std::uniform_int_distribution<int> node(0, 299);
            std::uniform_real_distribution<double> weight(0.0, 1.0);
            for (int k = 0; k < 1500; ++k) f.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), weight(rng));
            return f;
        }();
        const auto v = g.view();
        tarvel::RunOptions one, many;
        one.threads = 1;
        many.threads = 4;
        const auto betweenness = tarvel::weightedBetweennessCentrality(v, one);
        const auto closeness = tarvel::weightedClosenessCentrality(v, one);
        EXPECT_EQ(tarvel::weightedBetweennessCentrality(v, many), betweenness);
        EXPECT_EQ(tarvel::weightedClosenessCentrality(v, many), closeness);
        EXPECT_EQ(tarvel::weightedReachSums(v, many), tarvel::weightedReachSums(v, one));
        std::vector<tarvel::NodeIndex> shuffled = tarvel::detail::allNodes(v.nodeCount());
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        const std::vector<tarvel::NodeIndex> first(shuffled.begin(), shuffled.begin() + 100),
            rest(shuffled.begin() + 100, shuffled.end());
        const auto part = tarvel::weightedClosenessCentrality(v, first, many);
        for (std::size_t k = 0; k < first.size(); ++k) EXPECT_EQ(part[k], closeness[first[k]]);
        const auto a = tarvel::weightedBetweennessCentrality(v, first);
        const auto b = tarvel::weightedBetweennessCentrality(v, rest);
        for (std::size_t i = 0; i < v.nodeCount(); ++i) {
            EXPECT_NEAR(a[i] + b[i], betweenness[i], 1e-12 * betweenness[i]);
        }
    }
}

TEST(WeightedCentrality, ErrorsComeBeforeAnySearch) {
    G g(false);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "c", -1);
    int calls = 0;
    tarvel::RunOptions options;
    options.progress = [&](std::size_t, std::size_t) { ++calls; };
    for (const auto& run : std::vector<std::function<void()>>{
             [&] { tarvel::weightedBetweennessCentrality(g.view(), options); },
             [&] { tarvel::weightedClosenessCentrality(g.view(), options); },
             [&] { tarvel::weightedReachSums(g.view(), options); }}) {
        try {
            run();
            ADD_FAILURE() << "a negative weight was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "weighted closeness and betweenness need weights of at least 0");
        }
    }
    EXPECT_EQ(calls, 0);
    EXPECT_THROW(tarvel::weightedBetweennessCentrality(g.view(), std::vector<tarvel::NodeIndex>{0, 0}),
                 std::invalid_argument);
    EXPECT_THROW(tarvel::weightedClosenessCentrality(g.view(), std::vector<tarvel::NodeIndex>{3}), std::out_of_range);

    tarvel::Graph<std::string, std::int64_t> wide(true);
    for (const char* n : {"a", "b", "c", "d"}) wide.addNode(n);
    wide.addEdge("a", "b", std::int64_t{1} << 62);
    wide.addEdge("b", "c", std::int64_t{1} << 62);
    EXPECT_THROW(tarvel::weightedBetweennessCentrality(wide.view()), std::overflow_error);
    G small(true);
    EXPECT_TRUE(tarvel::weightedBetweennessCentrality(small.view()).empty());
}

TEST(WeightedCentrality, NamedMapsHoldEveryNode) {
    tarvel::Graph<int, double> g(false);
    for (int i = 0; i < 4; ++i) g.addNode(i);
    g.addEdge(0, 1, 1.5);
    g.addEdge(1, 2, 1.5);
    g.addEdge(0, 2, 4.0);
    EXPECT_EQ(g.weightedBetweennessCentrality(), (std::unordered_map<int, double>{{0, 0}, {1, 2}, {2, 0}, {3, 0}}));
    EXPECT_EQ(g.weightedClosenessCentrality().at(1), 1.0 / 3);
}
