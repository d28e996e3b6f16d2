// Topological orders, generations, ancestors and descendants: checked by
// their definitions on random acyclic graphs with parallel edges (every edge
// forward, the readiness rule of first-in-first-out Kahn, the least order by
// rank), cycles against a reachability closure, and reach against the same
// closure.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

using namespace testing_support;

namespace {

// A graph whose edges all lead forward in a hidden random order of its
// nodes (so acyclic), with parallel edges; node names added shuffled.
G randomDag(std::mt19937& rng, int n, int m) {
    std::vector<int> rankOf(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) rankOf[static_cast<std::size_t>(i)] = i;
    std::shuffle(rankOf.begin(), rankOf.end(), rng);
    G g = randomGraph(rng, true, n, 0);
    std::uniform_int_distribution<int> node(0, n - 1);
    for (int k = 0; k < m; ++k) {
        int a = node(rng), b = node(rng);
        if (a == b) continue;
        if (rankOf[static_cast<std::size_t>(a)] > rankOf[static_cast<std::size_t>(b)]) std::swap(a, b);
        g.addEdge(std::to_string(a), std::to_string(b), 1);
        if (k % 5 == 0) g.addEdge(std::to_string(a), std::to_string(b), 1);  // a parallel edge
    }
    return g;
}

// reach[u][v]: v is reachable from u by one edge or more.
std::vector<std::vector<bool>> closure(const View& g) {
    const std::size_t n = g.nodeCount();
    std::vector<std::vector<bool>> reach(n, std::vector<bool>(n, false));
    for (std::size_t u = 0; u < n; ++u)
        for (const auto& e : g.neighbors(u)) reach[u][e.target] = true;
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t i = 0; i < n; ++i)
            if (reach[i][k])
                for (std::size_t j = 0; j < n; ++j)
                    if (reach[k][j]) reach[i][j] = true;
    return reach;
}

std::vector<std::size_t> positions(const tarvel::IndexPath& order, std::size_t n) {
    std::vector<std::size_t> at(n, n);
    for (std::size_t k = 0; k < order.size(); ++k) at[order[k]] = k;
    return at;
}

}  // namespace

TEST(Dag, GenerationsFollowTheFirstInFirstOutRule) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        const int n = 1 + round % 29;
        G g = randomDag(rng, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const View v = g.view();
        const tarvel::Groups generations = tarvel::topologicalGenerations(v);
        const tarvel::IndexPath order = tarvel::topologicalOrder(v);
        ASSERT_EQ(order, generations.nodes) << "round " << round;
        const std::vector<std::size_t> at = positions(order, v.nodeCount());
        ASSERT_EQ(std::set<std::size_t>(order.begin(), order.end()).size(), v.nodeCount());
        // Each node's generation: 0 without incoming edges, else one past its
        // latest predecessor's (found by relaxing every edge n times).
        std::vector<std::size_t> level(v.nodeCount(), 0);
        for (std::size_t pass = 0; pass < v.nodeCount(); ++pass)
            for (std::size_t u = 0; u < v.nodeCount(); ++u)
                for (const auto& e : v.neighbors(u)) level[e.target] = std::max(level[e.target], level[u] + 1);
        // When each node becomes ready: the position of its last-taken
        // predecessor, then the last entry into it in that one's list.
        std::vector<std::pair<std::size_t, std::size_t>> readyAt(v.nodeCount(), {0, 0});
        for (std::size_t u = 0; u < v.nodeCount(); ++u) {
            const auto entries = v.neighbors(u);
            for (std::size_t k = 0; k < entries.size(); ++k) {
                EXPECT_LT(at[u], at[entries[k].target]) << "round " << round;  // every edge forward
                readyAt[entries[k].target] = std::max(readyAt[entries[k].target], std::make_pair(at[u], k));
            }
        }
        for (std::size_t k = 0; k < generations.size(); ++k) {
            const auto group = generations[k];
            ASSERT_FALSE(group.empty());
            for (std::size_t i = 0; i < group.size(); ++i) {
                EXPECT_EQ(level[group[i]], k) << "round " << round;
                if (i == 0) continue;
                if (k == 0) {
                    EXPECT_LT(group[i - 1], group[i]) << "round " << round;  // the sources in index order
                } else {
                    EXPECT_LT(readyAt[group[i - 1]], readyAt[group[i]]) << "round " << round;
                }
            }
        }
    }
}

TEST(Dag, RankedOrderTakesTheLeastReadyNode) {
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + round % 19;
        G g = randomDag(rng, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        const View v = g.view();
        std::vector<std::int64_t> rank(v.nodeCount());
        for (auto& r : rank) r = static_cast<std::int64_t>(rng() % 4) - 2;  // many ties
        // The plain way: repeatedly the least (rank, index) whose predecessors are all taken.
        std::vector<bool> taken(v.nodeCount(), false);
        tarvel::IndexPath expected;
        while (expected.size() < v.nodeCount()) {
            std::vector<bool> blocked(v.nodeCount(), false);
            for (std::size_t u = 0; u < v.nodeCount(); ++u)
                if (!taken[u])
                    for (const auto& e : v.neighbors(u)) blocked[e.target] = true;
            std::size_t best = v.nodeCount();
            for (std::size_t u = 0; u < v.nodeCount(); ++u)
                if (!taken[u] && !blocked[u] && (best == v.nodeCount() || rank[u] < rank[best])) best = u;
            taken[best] = true;
            expected.push_back(best);
        }
        EXPECT_EQ(tarvel::topologicalOrderByRank(v, rank), expected) << "round " << round;
    }
}

TEST(Dag, CyclesNameTheirLowestNode) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        const int n = 1 + round % 17;
        G g = randomGraph(rng, true, n, static_cast<int>(rng() % static_cast<unsigned>(2 * n + 1)));
        const View v = g.view();
        const auto reach = closure(v);
        std::size_t first = v.nodeCount();
        for (std::size_t u = v.nodeCount(); u-- > 0;)
            if (reach[u][u]) first = u;
        ASSERT_EQ(first < v.nodeCount(), tarvel::hasCycle(v)) << "round " << round;
        for (int which = 0; which < 3; ++which) {
            try {
                if (which == 0) tarvel::topologicalOrder(v);
                if (which == 1) tarvel::topologicalGenerations(v);
                if (which == 2) tarvel::topologicalOrderByRank(v, std::vector<std::int64_t>(v.nodeCount(), 0));
                EXPECT_EQ(first, v.nodeCount()) << "round " << round;
            } catch (const std::runtime_error& error) {
                ASSERT_LT(first, v.nodeCount()) << "round " << round;
                EXPECT_EQ(std::string(error.what()), "the graph has a cycle through " + v.name(first));
            }
        }
    }
}

TEST(Dag, ReachMatchesTheClosure) {
    std::mt19937 rng(31337);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 4 != 0;
        const int n = 1 + round % 21;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(2 * n + 1)));
        const View v = g.view();
        const auto reach = closure(v);
        const std::size_t source = rng() % v.nodeCount();
        std::vector<bool> down(v.nodeCount()), up(v.nodeCount());
        for (std::size_t u = 0; u < v.nodeCount(); ++u) {
            down[u] = u != source && reach[source][u];
            up[u] = u != source && reach[u][source];
        }
        for (const bool upward : {false, true}) {
            const tarvel::IndexPath found =
                upward ? tarvel::ancestors(v, source) : tarvel::descendants(v, source);
            std::vector<bool> got(v.nodeCount(), false);
            for (const auto u : found) {
                EXPECT_FALSE(got[u]) << "round " << round;
                got[u] = true;
            }
            EXPECT_EQ(got, upward ? up : down) << "round " << round;
            // Breadth-first: hop counts never decrease along the result.
            std::vector<std::size_t> hops(v.nodeCount(), v.nodeCount());
            hops[source] = 0;
            for (std::size_t pass = 0; pass < v.nodeCount(); ++pass)
                for (std::size_t u = 0; u < v.nodeCount(); ++u)
                    for (const auto& e : v.neighbors(u)) {
                        const std::size_t from = upward ? e.target : u, to = upward ? u : e.target;
                        if (hops[from] < v.nodeCount()) hops[to] = std::min(hops[to], hops[from] + 1);
                    }
            for (std::size_t k = 1; k < found.size(); ++k)
                EXPECT_LE(hops[found[k - 1]], hops[found[k]]) << "round " << round;
        }
    }
}

TEST(Dag, OrdersTiesAndSelfLoopsByHand) {
    // a -> d and b -> c: c becomes ready after d, so the second generation
    // is in order of readiness, not of index.
    G g(true);
    for (const char* n : {"a", "b", "c", "d"}) g.addNode(n);
    g.addEdge("a", "d", 1);
    g.addEdge("b", "c", 1);
    EXPECT_EQ(g.topologicalOrder(), (std::vector<std::string>{"a", "b", "d", "c"}));
    EXPECT_EQ(g.topologicalGenerations(), (std::vector<std::vector<std::string>>{{"a", "b"}, {"d", "c"}}));
    EXPECT_EQ(g.descendants("a"), (std::vector<std::string>{"d"}));
    EXPECT_EQ(g.ancestors("c"), (std::vector<std::string>{"b"}));
    EXPECT_EQ(tarvel::topologicalOrderByRank(g.view(), {3, 2, 1, 0}), (tarvel::IndexPath{1, 2, 0, 3}));
    // A node on a cycle through itself is still not its own ancestor.
    g.addEdge("c", "c", 1);
    EXPECT_EQ(g.descendants("c"), std::vector<std::string>{});
    EXPECT_THROW(
        {
            try {
                g.topologicalOrder();
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "the graph has a cycle through c");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_TRUE(G(true).topologicalGenerations().empty());
}

TEST(Dag, UndirectedGraphsAndBadArguments) {
    G u(false);
    for (const char* n : {"a", "b", "c", "d"}) u.addNode(n);
    u.addEdge("b", "a", 1);
    u.addEdge("a", "c", 1);
    EXPECT_EQ(u.descendants("a"), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(u.ancestors("c"), (std::vector<std::string>{"a", "b"}));
    for (int which = 0; which < 3; ++which) {
        try {
            if (which == 0) u.topologicalOrder();
            if (which == 1) u.topologicalGenerations();
            if (which == 2) tarvel::topologicalOrderByRank(u.view(), std::vector<std::int64_t>(4, 0));
            ADD_FAILURE() << "an undirected graph was ordered";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "a topological order is defined for directed graphs only");
        }
    }
    EXPECT_THROW(tarvel::descendants(u.view(), 4), std::out_of_range);
    EXPECT_THROW(tarvel::ancestors(u.view(), 4), std::out_of_range);
    EXPECT_THROW(u.ancestors("e"), std::out_of_range);
    EXPECT_THROW(tarvel::topologicalOrderByRank(u.view(), {0, 0}), std::invalid_argument);
}

TEST(Dag, LongPathsDoNotExhaustTheStack) {
    constexpr std::size_t n = 200000;
    G g(true);
    for (std::size_t i = 0; i < n; ++i) g.addNode(std::to_string(i));
    for (std::size_t i = 0; i + 1 < n; ++i) g.addEdge(std::to_string(i + 1), std::to_string(i), 1);
    const View v = g.view();
    const tarvel::IndexPath order = tarvel::topologicalOrder(v);
    ASSERT_EQ(order.size(), n);
    EXPECT_EQ(order.front(), n - 1);
    EXPECT_EQ(order.back(), 0u);
    EXPECT_EQ(tarvel::topologicalGenerations(v).size(), n);
    EXPECT_EQ(tarvel::ancestors(v, 0).size(), n - 1);
    EXPECT_EQ(tarvel::descendants(v, n - 1).size(), n - 1);
    g.addEdge("0", std::to_string(n - 1), 1);  // now one long cycle
    EXPECT_THROW(tarvel::topologicalOrder(g.view()), std::runtime_error);
}
