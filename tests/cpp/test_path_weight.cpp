// Path weights: the searches' paths priced against distances from a plain
// all-pairs procedure (parallel edges and self-loops included), wide sums
// and indices. The messages are checked from Python.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "support.hpp"

using namespace testing_support;
using tarvel::ShortestPathAlgo;

namespace {

// Floyd-Warshall over the adjacency lists: the least path weight for every
// pair, nothing where no path leads.
std::vector<std::vector<std::optional<long long>>> allDistances(View g) {
    const std::size_t n = g.nodeCount();
    std::vector<std::vector<std::optional<long long>>> d(n, std::vector<std::optional<long long>>(n));
    for (std::size_t u = 0; u < n; ++u) {
        d[u][u] = 0;
        for (const auto& e : g.neighbors(u))
            if (!d[u][e.target] || e.weight < *d[u][e.target]) d[u][e.target] = e.weight;
    }
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = 0; j < n; ++j)
                if (d[i][k] && d[k][j] && (!d[i][j] || *d[i][k] + *d[k][j] < *d[i][j])) d[i][j] = *d[i][k] + *d[k][j];
    return d;
}

}  // namespace

TEST(PathWeight, SearchPathsWeighTheLeastDistance) {
    std::mt19937 rng(41);
    for (int round = 0; round < 120; ++round) {
        const G g = randomGraph(rng, round % 2 == 0, 2 + round % 9, round % 25, 0, 9);
        const auto distance = allDistances(g.view());
        for (std::size_t s = 0; s < g.nodeCount(); ++s) {
            for (std::size_t t = 0; t < g.nodeCount(); ++t) {
                for (auto method : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::BELLMAN_FORD}) {
                    const tarvel::IndexPath path = tarvel::shortestPath(g.view(), s, t, method, nullptr);
                    ASSERT_EQ(path.empty(), !distance[s][t]);
                    if (!path.empty()) {
                        EXPECT_EQ(tarvel::pathWeight(g.view(), path), *distance[s][t]);
                    }
                }
            }
        }
    }
}

TEST(PathWeight, WideSumsAndIndicesAreChecked) {
    tarvel::Graph<int, long long> g(true);
    for (int i : {1, 2, 3}) g.addNode(i);
    g.addEdge(1, 2, LLONG_MAX / 2 + 1);
    g.addEdge(2, 3, LLONG_MAX / 2 + 1);
    g.addEdge(2, 1, -(LLONG_MAX / 2));
    EXPECT_EQ(g.pathWeight({1, 2, 1}), 1);
    EXPECT_THROW(g.pathWeight({1, 2, 3}), std::overflow_error);
    EXPECT_THROW(tarvel::pathWeight(g.view(), {0, 3}), std::out_of_range);
}
