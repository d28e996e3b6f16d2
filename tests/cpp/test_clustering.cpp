// Triangles and clustering against brute force over every triple of nodes,
// the two counting methods (whole graph, given nodes) against each other,
// and the rounding of integer quotients and the summations against exact
// arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "support.hpp"

using namespace testing_support;

namespace {

using Nodes = std::vector<tarvel::NodeIndex>;

// What the header promises, computed the slow way: neighbors are the
// distinct other nodes joined by an entry either way; a triangle at v is a
// pair of its neighbors joined to each other, found by trying every triple.
struct BruteForce {
    std::vector<std::uint64_t> triangles, degree;
    std::uint64_t total = 0;  // triangles in the graph

    explicit BruteForce(const View& g) {
        const std::size_t n = g.nodeCount();
        std::vector<std::vector<bool>> joined(n, std::vector<bool>(n, false));
        for (std::size_t u = 0; u < n; ++u) {
            for (const auto& entry : g.neighbors(u)) {
                if (entry.target != u) joined[u][entry.target] = joined[entry.target][u] = true;
            }
        }
        triangles.assign(n, 0);
        degree.assign(n, 0);
        for (std::size_t a = 0; a < n; ++a) {
            for (std::size_t b = 0; b < n; ++b) degree[a] += joined[a][b];
            for (std::size_t b = a + 1; b < n; ++b) {
                for (std::size_t c = b + 1; c < n; ++c) {
                    if (joined[a][b] && joined[b][c] && joined[a][c]) {
                        ++triangles[a], ++triangles[b], ++triangles[c], ++total;
                    }
                }
            }
        }
    }

    // Small integers: the double quotient is the rounded one.
    double coefficient(std::size_t v) const {
        const std::uint64_t d = degree[v];
        return triangles[v] == 0 ? 0.0 : static_cast<double>(2 * triangles[v]) / static_cast<double>(d * (d - 1));
    }
};

// Whether x is a / b rounded to the nearest double, ties to even, checked
// in exact 128-bit arithmetic against x's two neighbors (for a / b in
// [2^-9, 2^11), where every quantity below fits).
bool roundedCorrectly(std::uint64_t a, std::uint64_t b, double x) {
    int k = 0;
    std::frexp(x, &k);
    const int shift = 55 - k;  // x and its neighbors are whole multiples of 2^-shift
    const auto scaled = [&](double y) { return static_cast<unsigned __int128>(std::ldexp(y, shift)); };
    const unsigned __int128 target = static_cast<unsigned __int128>(a) << shift;  // (a / b) * 2^shift * b
    const auto distance = [&](double y) {
        const unsigned __int128 at = scaled(y) * b;
        return at > target ? at - target : target - at;
    };
    const double below = std::nextafter(x, 0.0), above = std::nextafter(x, INFINITY);
    const unsigned __int128 here = distance(x);
    if (distance(below) < here || distance(above) < here) return false;
    if (distance(below) == here || distance(above) == here) {
        // A tie: the even significand wins.
        int e = 0;
        const double significand = std::ldexp(std::frexp(x, &e), 53);
        return std::fmod(significand, 2.0) == 0.0;
    }
    return true;
}

}  // namespace

TEST(Clustering, CountsAndCoefficientsMatchBruteForceOverEveryTriple) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 600; ++round) {
        const bool directed = round % 2 == 1;
        const int n = 1 + round % 17;
        // From sparse to nearly complete, self-loops and parallel edges included.
        const int m = static_cast<int>(rng() % static_cast<unsigned>(n * n + 1));
        G g = randomGraph(rng, directed, n, m);
        const View v = g.view();
        const BruteForce expected(v);
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(tarvel::triangles(v), expected.triangles);
        const std::vector<double> coefficients = tarvel::clustering(v);
        for (std::size_t k = 0; k < coefficients.size(); ++k) EXPECT_EQ(coefficients[k], expected.coefficient(k));
        std::uint64_t pairs = 0;
        for (const std::uint64_t d : expected.degree) pairs += d * (d - 1);
        EXPECT_EQ(tarvel::transitivity(v), expected.total == 0 ? 0.0
                                                                : static_cast<double>(6 * expected.total) /
                                                                      static_cast<double>(pairs));

        // Given nodes, shuffled and repeated, are answered one by one by
        // the other method, to the same counts and bits.
        std::vector<tarvel::NodeIndex> asked;
        for (int k = 0; k < n + 3; ++k) asked.push_back(rng() % static_cast<unsigned>(n));
        const std::vector<std::uint64_t> some = tarvel::triangles(v, asked);
        const std::vector<double> someCoefficients = tarvel::clustering(v, asked);
        ASSERT_EQ(some.size(), asked.size());
        for (std::size_t k = 0; k < asked.size(); ++k) {
            EXPECT_EQ(some[k], expected.triangles[asked[k]]);
            EXPECT_EQ(someCoefficients[k], expected.coefficient(asked[k]));
        }
    }
}

TEST(Clustering, KnownShapes) {
    // A complete graph of 5 (every edge added twice, once each way, plus a
    // self-loop): 6 triangles at each node, coefficient 1.
    for (const bool directed : {false, true}) {
        G g(directed);
        for (int i = 0; i < 5; ++i) g.addNode(std::to_string(i));
        for (int i = 0; i < 5; ++i) {
            g.addEdge(std::to_string(i), std::to_string(i), 1);
            for (int j = 0; j < 5; ++j) {
                if (i != j) g.addEdge(std::to_string(i), std::to_string(j), 1);
            }
        }
        EXPECT_EQ(tarvel::triangles(g.view()), std::vector<std::uint64_t>(5, 6));
        EXPECT_EQ(tarvel::clustering(g.view()), std::vector<double>(5, 1.0));
        EXPECT_EQ(tarvel::averageClustering(g.view()), 1.0);
        EXPECT_EQ(tarvel::transitivity(g.view()), 1.0);
        EXPECT_EQ(g.triangles().at("3"), 6u);
        EXPECT_EQ(g.clustering().at("0"), 1.0);
    }
    // A directed 3-cycle is a triangle once taken as undirected.
    G cycle(true);
    for (const char* name : {"a", "b", "c", "d"}) cycle.addNode(name);
    cycle.addEdge("a", "b", 1);
    cycle.addEdge("b", "c", 1);
    cycle.addEdge("c", "a", 1);
    cycle.addEdge("d", "a", 1);
    EXPECT_EQ(tarvel::triangles(cycle.view()), (std::vector<std::uint64_t>{1, 1, 1, 0}));
    EXPECT_EQ(tarvel::clustering(cycle.view()), (std::vector<double>{1.0 / 3.0, 1.0, 1.0, 0.0}));
    EXPECT_EQ(tarvel::transitivity(cycle.view()), 6.0 / 10.0);  // 2T: 2 + 2 + 2; d(d - 1): 6 + 2 + 2
    // No nodes, no edges.
    G empty(false);
    EXPECT_TRUE(tarvel::triangles(empty.view()).empty());
    EXPECT_EQ(tarvel::transitivity(empty.view()), 0.0);
}

TEST(Clustering, GivenNodesAreCheckedBeforeAnyWork) {
    G g(false);
    g.addNode("a");
    const std::vector<tarvel::NodeIndex> bad{0, 1};
    EXPECT_THROW(tarvel::triangles(g.view(), bad), std::out_of_range);
    EXPECT_THROW(tarvel::clustering(g.view(), bad), std::out_of_range);
    EXPECT_THROW(tarvel::averageClustering(g.view(), bad), std::out_of_range);
    EXPECT_TRUE(tarvel::triangles(g.view(), {}).empty());
}

TEST(Clustering, AveragesAddInTheGivenOrderAndNeedAValue) {
    // A triangle a-b-c with a tail c-d: coefficients 1, 1, 1/3, 0.
    G g(false);
    for (const char* name : {"a", "b", "c", "d"}) g.addNode(name);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "c", 1);
    g.addEdge("c", "a", 1);
    g.addEdge("c", "d", 1);
    const View v = g.view();
    EXPECT_EQ(tarvel::averageClustering(v), (1.0 + 1.0 + 1.0 / 3.0) / 4.0);
    EXPECT_EQ(tarvel::averageClustering(v, false), (1.0 + 1.0 + 1.0 / 3.0) / 3.0);
    EXPECT_EQ(g.averageClustering(false), (1.0 + 1.0 + 1.0 / 3.0) / 3.0);
    // In the given order, a node given twice counted twice.
    EXPECT_EQ(tarvel::averageClustering(v, Nodes{2, 0, 0}), (1.0 / 3.0 + 1.0 + 1.0) / 3.0);
    EXPECT_EQ(tarvel::averageClustering(v, Nodes{3}), 0.0);
    EXPECT_THROW(tarvel::averageClustering(v, Nodes{3}, false), std::domain_error);
    EXPECT_THROW(tarvel::averageClustering(v, Nodes{}), std::domain_error);
    EXPECT_THROW(tarvel::averageClustering(G(false).view()), std::domain_error);
    EXPECT_THROW(tarvel::averageClustering(v, true, static_cast<tarvel::Summation>(7)), std::invalid_argument);
}

TEST(Clustering, CompensatedSummationKeepsWhatThePlainSumLoses) {
    // 1 and ten halves of an ulp of 1: the plain sum stays 1, the compensated
    // one keeps the exact 1 + 5 * 2^-52.
    std::vector<double> values{1.0};
    values.insert(values.end(), 10, std::ldexp(1.0, -53));
    values.push_back(0.0);
    EXPECT_EQ(tarvel::meanClustering(values, false, tarvel::Summation::PLAIN), 1.0 / 11.0);
    EXPECT_EQ(tarvel::meanClustering(values, false, tarvel::Summation::COMPENSATED),
              (1.0 + 5.0 * std::ldexp(1.0, -52)) / 11.0);
    EXPECT_EQ(tarvel::meanClustering(values, true, tarvel::Summation::COMPENSATED),
              (1.0 + 5.0 * std::ldexp(1.0, -52)) / 12.0);
    // The error term is kept when the small value comes first too.
    const std::vector<double> smallFirst{std::ldexp(1.0, -60), 1.0, -1.0};
    EXPECT_EQ(tarvel::meanClustering(smallFirst, true, tarvel::Summation::COMPENSATED), std::ldexp(1.0, -60) / 3.0);
    EXPECT_EQ(tarvel::meanClustering(smallFirst, true, tarvel::Summation::PLAIN), 0.0);
}

TEST(Clustering, QuotientsOfWideIntegersAreRoundedOnce) {
    using tarvel::detail::roundedQuotient;
    const std::uint64_t two53 = std::uint64_t{1} << 53;
    // Halfway cases go to the even neighbor; a remainder past the half goes up.
    EXPECT_EQ(roundedQuotient(two53 + 1, 1), static_cast<double>(two53));
    EXPECT_EQ(roundedQuotient(two53 + 3, 1), static_cast<double>(two53 + 4));
    EXPECT_EQ(roundedQuotient(2 * two53 + 2, 2), static_cast<double>(two53));
    EXPECT_EQ(roundedQuotient(4 * two53 + 5, 4), static_cast<double>(two53 + 2));  // 2^53 + 1.25: up
    EXPECT_EQ(roundedQuotient(3 * (std::uint64_t{1} << 60), std::uint64_t{1} << 62), 0.75);
    EXPECT_EQ(roundedQuotient(~std::uint64_t{0}, ~std::uint64_t{0}), 1.0);
    // Random wide pairs (what d(d - 1) and 2T become past 2^53).
    std::mt19937_64 rng(99);
    for (int round = 0; round < 20000; ++round) {
        const std::uint64_t b = (rng() >> (rng() % 8)) | two53;
        const std::uint64_t a = b >> (rng() % 9) ^ (rng() >> (20 + rng() % 40));
        if (a == 0 || a > b) continue;
        const double x = roundedQuotient(a, b);
        EXPECT_TRUE(roundedCorrectly(a, b, x)) << a << " / " << b << " gave " << x;
    }
    // d(d - 1) of a degree past 2^26.5 is beyond 2^53; the coefficient is
    // still that quotient, rounded once.
    const std::uint64_t d = std::uint64_t{1} << 30, pairs = d * (d - 1);
    EXPECT_TRUE(roundedCorrectly(pairs / 3, pairs, tarvel::detail::coefficient(pairs / 3, d)));
}
