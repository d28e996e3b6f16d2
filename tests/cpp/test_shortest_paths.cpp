// Shortest paths: termination on negative cycles, protection against a
// heuristic that changes the graph or returns NaN, deep graphs.
#include <gtest/gtest.h>

#include <queue>

#include "support.hpp"

using namespace testing_support;
using tarvel::ShortestPathAlgo;

namespace {

const G::Heuristic zero = [](std::string, std::string) { return 0.0; };

// The message of what `call` throws; empty when it returns.
template <class Call>
std::string messageOf(Call call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

std::string errorOf(const G& g, const std::string& a, const std::string& b, ShortestPathAlgo m,
                    const G::Heuristic& h = zero) {
    return messageOf([&] { g.shortestPath(a, b, m, h); });
}

}  // namespace

TEST(ShortestPaths, UniformCostStoppingAtGoalBehindNegativeCycleReportsIt) {
    // The goal leaves the heap while the start has already been improved
    // around the cycle s -> x -> s: its predecessor chain loops.
    G g(true);
    for (const char* n : {"s", "x", "g"}) g.addNode(n);
    g.addEdge("s", "x", -1);
    g.addEdge("x", "s", -1);
    g.addEdge("x", "g", -100);
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::UNIFORM_COST_SEARCH), "Negative cycle detected");
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::DIJKSTRA), "Negative cycle detected");
    EXPECT_EQ(errorOf(g, "s", "g", ShortestPathAlgo::BELLMAN_FORD), "Negative cycle detected");
}

TEST(ShortestPaths, EveryWeightedSearchTerminatesOnRandomNegativeGraphs) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        G g = randomGraph(rng, round % 2 == 0, 2 + round % 9, 3 + round % 17, -6, 6);
        for (auto m : {ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR, ShortestPathAlgo::UNIFORM_COST_SEARCH,
                       ShortestPathAlgo::BELLMAN_FORD}) {
            const std::string error = errorOf(g, "0", "1", m);
            EXPECT_TRUE(error.empty() || error == "Negative cycle detected") << error;
        }
        // Bellman-Ford is the referee: when it finds no cycle the other
        // searches must agree on the distance.
        if (errorOf(g, "0", "1", ShortestPathAlgo::BELLMAN_FORD).empty()) {
            const auto weight = [&](const std::vector<std::string>& path) {
                if (path.empty()) return std::numeric_limits<double>::infinity();
                double total = 0;
                for (std::size_t k = 0; k + 1 < path.size(); ++k) {
                    double best = std::numeric_limits<double>::infinity();
                    for (const auto& [v, w] : g.view().neighbors(g.indexOf(path[k])))
                        if (v == g.indexOf(path[k + 1])) best = std::min(best, static_cast<double>(w));
                    total += best;
                }
                return total;
            };
            const double expected = weight(g.shortestPath("0", "1", ShortestPathAlgo::BELLMAN_FORD, zero));
            EXPECT_EQ(weight(g.shortestPath("0", "1", ShortestPathAlgo::DIJKSTRA, zero)), expected);
            EXPECT_EQ(weight(g.shortestPath("0", "1", ShortestPathAlgo::A_STAR, zero)), expected);
        }
    }
}

TEST(ShortestPaths, HeuristicThatGrowsTheGraphIsStopped) {
    G g(true);
    g.addNode("a");
    g.addNode("b");
    for (int k = 0; k < 4; ++k) g.addEdge("a", "b", 1);
    int calls = 0;
    const G::Heuristic grow = [&](std::string, std::string) {
        g.addNode("extra" + std::to_string(calls++));
        for (int k = 0; k < 100; ++k) g.addEdge("a", "b", 1);  // reallocates the list being walked
        return 0.0;
    };
    EXPECT_THROW(g.shortestPath("a", "b", ShortestPathAlgo::A_STAR, grow), std::runtime_error);
    EXPECT_EQ(calls, 1);
}

TEST(ShortestPaths, EmptyHeuristicFailsOnlyWhenCalled) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    const char* text = "A_STAR needs a heuristic: pass one, or use DIJKSTRA (A_STAR's path for a heuristic of 0)";
    EXPECT_EQ(errorOf(g, "a", "b", ShortestPathAlgo::A_STAR, nullptr), text);
    EXPECT_EQ(messageOf([&] { tarvel::shortestPath(g.view(), 0, 1, ShortestPathAlgo::A_STAR, nullptr); }), text);
    EXPECT_TRUE(g.shortestPath("c", "a", ShortestPathAlgo::A_STAR, nullptr).empty());
    EXPECT_TRUE(tarvel::shortestPath(g.view(), 2, 0, ShortestPathAlgo::A_STAR, nullptr).empty());
}

TEST(ShortestPaths, SelectorChecksListTheMembers) {
    G g(true);
    for (const char* n : {"a", "b"}) g.addNode(n);
    const auto bad = static_cast<ShortestPathAlgo>(7);
    const std::string text =
        "7 is not a ShortestPathAlgo: use BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD";
    // By name: equal names first, then the method, then the look-ups.
    EXPECT_EQ(g.shortestPath("ghost", "ghost", bad, nullptr), (std::vector<std::string>{"ghost"}));
    EXPECT_EQ(errorOf(g, "ghost", "spook", bad), text);
    EXPECT_EQ(messageOf([&] { tarvel::shortestPath(g.view(), 0, 9, bad, nullptr); }), text);
    EXPECT_THROW(tarvel::shortestPath(g.view(), 9, 9, bad, nullptr), std::out_of_range);
    EXPECT_EQ(messageOf([&] { g.minimumSpanningTree(static_cast<tarvel::MSTAlgo>(-1)); }),
              "-1 is not an MSTAlgo: use KRUSKAL, PRIM or BORUVKA");
    EXPECT_THROW(tarvel::checkMethod(static_cast<tarvel::SCCAlgo>(2)), std::runtime_error);  // text: test_traversal
}

TEST(ShortestPaths, EveryIndexPastTheEndHasOneMessage) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    const tarvel::GraphView<std::string, int> v = g.view();
    const std::string start = "node index 7 is out of range for a graph of 3 nodes";
    const std::string goal = "node index 4 is out of range for a graph of 3 nodes";
    // The searches check the start, then the goal.
    for (auto m : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::UNIFORM_COST_SEARCH,
                   ShortestPathAlgo::BELLMAN_FORD, ShortestPathAlgo::A_STAR}) {
        EXPECT_EQ(messageOf([&] { tarvel::shortestPath(v, 7, 4, m, nullptr); }), start);
        EXPECT_EQ(messageOf([&] { tarvel::shortestPath(v, 0, 4, m, nullptr); }), goal);
    }
    EXPECT_EQ(messageOf([&] { tarvel::bfs(v, 1, 4); }), goal);
    EXPECT_EQ(messageOf([&] { tarvel::shortestPathTree(v, 7, ShortestPathAlgo::DIJKSTRA); }), start);
    EXPECT_EQ(messageOf([&] { tarvel::closenessCentrality(v, std::vector<tarvel::NodeIndex>{1, 7}); }), start);
    EXPECT_EQ(messageOf([&] { tarvel::depthFirstOrder(v, 4); }), goal);
    EXPECT_EQ(messageOf([&] { tarvel::pathWeight(v, {0, 7}); }), start);
}

TEST(ShortestPaths, LongPathAndLargeWeights) {
    constexpr int n = 100000;
    G g(true);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    for (int i = 0; i + 1 < n; ++i) g.addEdge(std::to_string(i), std::to_string(i + 1), 2147483647);
    for (auto m : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR,
                   ShortestPathAlgo::UNIFORM_COST_SEARCH}) {
        EXPECT_EQ(g.shortestPath("0", std::to_string(n - 1), m, zero).size(), static_cast<std::size_t>(n));
    }
}

TEST(ShortestPaths, HeuristicReturningNaNIsNamed) {
    G g(true);
    for (const char* n : {"a", "b", "c"}) g.addNode(n);
    g.addEdge("a", "b", 1);
    g.addEdge("b", "c", 1);
    const G::Heuristic nan = [](std::string, std::string to) { return to == "c" ? std::nan("") : 1.0; };
    try {
        g.shortestPath("a", "c", ShortestPathAlgo::A_STAR, nan);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "the heuristic returned NaN for b and c");
    }
}

TEST(ShortestPaths, IndexEntryPointsCheckTheirIndices) {
    G g(true);
    g.addNode("a");
    const auto none = [](std::size_t, std::size_t) { return 0.0; };
    for (auto m : {ShortestPathAlgo::BFS, ShortestPathAlgo::DIJKSTRA, ShortestPathAlgo::A_STAR,
                   ShortestPathAlgo::UNIFORM_COST_SEARCH, ShortestPathAlgo::BELLMAN_FORD}) {
        EXPECT_THROW(tarvel::shortestPath(g.view(), 0, 1, m, none), std::out_of_range);
        EXPECT_THROW(tarvel::shortestPath(g.view(), 1, 1, m, none), std::out_of_range);
        EXPECT_EQ(tarvel::shortestPath(g.view(), 0, 0, m, none), tarvel::IndexPath{0});
    }
    EXPECT_THROW(tarvel::bellmanFord(g.view(), 2, 0), std::out_of_range);
}

namespace {

// Uniform-cost search expanding every entry, stale ones included, and A*
// keeping each entry's distance in the entry: the plain procedures that the
// library's searches must match.
struct PlainSearches {
    View g;
    std::vector<std::pair<std::size_t, std::size_t>> calls;

    tarvel::IndexPath finish(const std::vector<std::size_t>& prev, std::size_t goal) const {
        if (prev[goal] == tarvel::NoNode) return {};
        tarvel::IndexPath path;
        for (std::size_t v = goal; v != tarvel::NoNode; v = prev[v]) {
            if (path.size() == prev.size()) throw std::runtime_error("Negative cycle detected");
            path.push_back(v);
        }
        std::reverse(path.begin(), path.end());
        return path;
    }

    tarvel::IndexPath uniformCost(std::size_t s, std::size_t goal) const {
        const std::size_t n = g.nodeCount();
        std::vector<long long> dist(n, std::numeric_limits<long long>::max());
        std::vector<std::size_t> prev(n, tarvel::NoNode);
        using E = std::tuple<long long, std::size_t, std::size_t>;  // distance, node, hops
        std::priority_queue<E, std::vector<E>, std::greater<E>> heap;
        heap.emplace(0, s, 0);
        dist[s] = 0;
        while (!heap.empty()) {
            const auto [d, u, h] = heap.top();
            heap.pop();
            if (u == goal) break;
            for (const auto& [v, w] : g.neighbors(u)) {
                if (dist[v] > d + w) {
                    dist[v] = d + w;
                    prev[v] = u;
                    if (h + 1 >= n) throw std::runtime_error("Negative cycle detected");
                    heap.emplace(d + w, v, h + 1);
                }
            }
        }
        return finish(prev, goal);
    }

    tarvel::IndexPath aStar(std::size_t s, std::size_t goal) {
        const std::size_t n = g.nodeCount();
        std::vector<long long> dist(n, std::numeric_limits<long long>::max());
        std::vector<std::size_t> prev(n, tarvel::NoNode);
        struct E {
            double key;
            std::size_t node;
            long long distance;
            std::size_t hops;
        };
        const auto before = [](const E& a, const E& b) { return a.key != b.key ? a.key < b.key : a.node < b.node; };
        std::vector<E> heap{{0.0, s, 0, 0}};
        dist[s] = 0;
        while (!heap.empty()) {
            std::pop_heap(heap.begin(), heap.end(), before);
            const E top = heap.back();
            heap.pop_back();
            if (top.distance > dist[top.node]) continue;
            for (const auto& [v, w] : g.neighbors(top.node)) {
                const long long nd = top.distance + w;
                if (dist[v] > nd) {
                    dist[v] = nd;
                    prev[v] = top.node;
                    if (top.hops + 1 >= n) throw std::runtime_error("Negative cycle detected");
                    calls.emplace_back(top.node, v);
                    heap.push_back({-(estimate(top.node, v) + static_cast<double>(nd)), v, nd, top.hops + 1});
                    std::push_heap(heap.begin(), heap.end(), before);
                }
            }
        }
        return finish(prev, goal);
    }

    static double estimate(std::size_t u, std::size_t v) { return static_cast<double>((u * 7 + v * 3) % 5); }
};

template <class Search>
std::string outcome(Search search) {
    try {
        const tarvel::IndexPath path = search();
        std::string text;
        for (std::size_t v : path) text += std::to_string(v) + " ";
        return text;
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

}  // namespace

TEST(ShortestPaths, QueueSearchesMatchThePlainProcedures) {
    std::mt19937 rng(8080);
    for (int round = 0; round < 600; ++round) {
        const int n = 2 + round % 18;
        // Every third round has negative weights (and often negative cycles).
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)),
                          round % 3 == 0 ? -3 : 0, 4);
        PlainSearches plain{g.view(), {}};
        std::vector<std::pair<std::size_t, std::size_t>> calls;
        const auto heuristic = [&](std::size_t u, std::size_t v) {
            calls.emplace_back(u, v);
            return PlainSearches::estimate(u, v);
        };
        const std::size_t s = rng() % static_cast<unsigned>(n), t = (s + 1) % static_cast<unsigned>(n);
        EXPECT_EQ(outcome([&] { return tarvel::uniformCostSearch(g.view(), s, t); }),
                  outcome([&] { return plain.uniformCost(s, t); }))
            << "round " << round;
        EXPECT_EQ(outcome([&] { return tarvel::aStar(g.view(), s, t, heuristic); }),
                  outcome([&] { return plain.aStar(s, t); }))
            << "round " << round;
        EXPECT_EQ(calls, plain.calls) << "round " << round;
    }
}

TEST(ShortestPaths, TwoSidedBreadthFirstGivesTheForwardPath) {
    std::mt19937 rng(1357);
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        const int n = 2 + round % 40;
        // Sparse to dense: long paths, many equal paths, parallel edges, self-loops.
        G g = randomGraph(rng, false, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        if (round % 4 == 0) {  // a grid's ties
            G grid(false);
            const int side = 2 + round % 7;
            for (int i = 0; i < side * side; ++i) grid.addNode(std::to_string(i));
            for (int i = 0; i < side * side; ++i) {
                if (i % side + 1 < side) grid.addEdge(std::to_string(i), std::to_string(i + 1), 1);
                if (i + side < side * side) grid.addEdge(std::to_string(i), std::to_string(i + side), 1);
            }
            g = grid;
        }
        for (int pair = 0; pair < 10; ++pair) {
            const std::size_t s = rng() % g.nodeCount(), t = rng() % g.nodeCount();
            const tarvel::IndexPath path = tarvel::bfs(g.view(), s, t);
            EXPECT_EQ(path, s == t ? tarvel::IndexPath{s} : tarvel::detail::forwardBfs(g.view(), s, t))
                << "round " << round << " from " << s << " to " << t;
            found += !path.empty();
        }
    }
    EXPECT_GT(found, 2000);
}

// A directed graph's search from both ends (along the incoming lists) gives
// the forward search's path, ties, parallel edges and self-loops included;
// the incoming lists are made only once forward searches have spent about
// what they cost, never for a search that stops near its start.
TEST(ShortestPaths, DirectedTwoSidedBreadthFirstGivesTheForwardPath) {
    std::mt19937 rng(2468);
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        const int n = 2 + round % 40;
        G g = randomGraph(rng, true, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        if (round % 4 == 0) {  // a grid's ties, one way along rows and columns, some edges back
            G grid(true);
            const int side = 2 + round % 7;
            for (int i = 0; i < side * side; ++i) grid.addNode(std::to_string(i));
            for (int i = 0; i < side * side; ++i) {
                if (i % side + 1 < side) grid.addEdge(std::to_string(i), std::to_string(i + 1), 1);
                if (i + side < side * side) grid.addEdge(std::to_string(i), std::to_string(i + side), 1);
                if (rng() % 5 == 0) grid.addEdge(std::to_string(i), std::to_string(rng() % (side * side)), 1);
            }
            g = grid;
        }
        if (round % 2 == 0) g.view().incoming();  // else made when the forward searches have paid for it
        for (int pair = 0; pair < 10; ++pair) {
            const std::size_t s = rng() % g.nodeCount(), t = rng() % g.nodeCount();
            const tarvel::IndexPath path = tarvel::bfs(g.view(), s, t);
            EXPECT_EQ(path, s == t ? tarvel::IndexPath{s} : tarvel::detail::forwardBfs(g.view(), s, t))
                << "round " << round << " from " << s << " to " << t;
            found += !path.empty();
        }
    }
    EXPECT_GT(found, 1500);

    constexpr int n = 1000;  // a one-way ring: the target one step on, or all the way round
    G ring(true);
    for (int i = 0; i < n; ++i) ring.addNode(std::to_string(i));
    for (int i = 0; i < n; ++i) ring.addEdge(std::to_string(i), std::to_string((i + 1) % n), 1);
    for (int k = 0; k < 100; ++k) EXPECT_EQ(tarvel::bfs(ring.view(), 5, 6), (tarvel::IndexPath{5, 6}));
    EXPECT_FALSE(ring.view().hasIncoming());
    EXPECT_EQ(tarvel::bfs(ring.view(), 5, 4).size(), static_cast<std::size_t>(n));
    EXPECT_EQ(tarvel::bfs(ring.view(), 5, 4).size(), static_cast<std::size_t>(n));
    EXPECT_TRUE(ring.view().hasIncoming());
    ring.addNode("x");
    EXPECT_FALSE(ring.view().hasIncoming());
}

namespace {

// A graph whose weights keep the estimate `potential` consistent: an entry
// x -> y weighs potential[x] - potential[y] plus a slack of 0 .. 3 (both
// ways for an undirected edge: at least the difference), so that many paths
// tie and weights may be negative.
G consistentGraph(std::mt19937& rng, bool directed, int n, int m, std::vector<int>& potential) {
    G g(directed);
    potential.assign(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        g.addNode(std::to_string(i));
        potential[static_cast<std::size_t>(i)] = static_cast<int>(rng() % 7);
    }
    for (int k = 0; k < m; ++k) {
        const std::size_t x = rng() % static_cast<unsigned>(n), y = rng() % static_cast<unsigned>(n);
        const int difference = potential[x] - potential[y];
        const int w = (directed ? difference : std::abs(difference)) + static_cast<int>(rng() % 4);
        g.addEdge(std::to_string(x), std::to_string(y), w);
    }
    return g;
}

}  // namespace

// With a consistent estimate, A* stopping at its goal returns the path of
// the search without goal test, after the first of that search's heuristic
// calls (each node's first); with an estimate that breaks the promise it still returns a path
// to the goal (or reports a negative cycle it meets).
TEST(ShortestPaths, AStarStoppingAtItsGoalMatchesTheFullSearch) {
    std::mt19937 rng(97531);
    int stoppedEarly = 0;
    for (int round = 0; round < 1500; ++round) {
        const int n = 2 + round % 30;
        std::vector<int> potential;
        const G g = consistentGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)),
                                    potential);
        const auto view = g.view();
        std::vector<std::pair<std::size_t, std::size_t>> full, early;
        const auto estimate = [&](auto& calls) {
            return [&](std::size_t u, std::size_t v) {
                calls.emplace_back(u, v);
                return static_cast<double>(potential[v]);
            };
        };
        const std::size_t s = rng() % static_cast<unsigned>(n), t = rng() % static_cast<unsigned>(n);
        const tarvel::IndexPath expected = tarvel::aStar(view, s, t, estimate(full));
        EXPECT_EQ(tarvel::aStar(view, s, t, estimate(early), true), expected) << "round " << round;
        // The calls of the full search up to the goal, each node's first only.
        std::vector<std::pair<std::size_t, std::size_t>> firstCalls;
        std::vector<bool> called(static_cast<std::size_t>(n), false);
        for (const auto& call : full) {
            if (!called[call.second]) firstCalls.push_back(call);
            called[call.second] = true;
        }
        ASSERT_LE(early.size(), firstCalls.size()) << "round " << round;
        EXPECT_TRUE(std::equal(early.begin(), early.end(), firstCalls.begin())) << "round " << round;
        const G::Heuristic byName = [&](std::string, std::string v) { return potential[std::stoul(v)] * 1.0; };
        if (s != t) {
            EXPECT_EQ(g.shortestPath(std::to_string(s), std::to_string(t), ShortestPathAlgo::A_STAR, byName, true),
                  [&] {
                      std::vector<std::string> names;
                      for (const std::size_t v : expected) names.push_back(g.nameOf(v));
                      return names;
                  }());
        }
        stoppedEarly += early.size() < full.size();

        // A broken promise: any estimate still gives a path to the goal.
        G loose = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)),
                              round % 5 == 0 ? -2 : 0, 6);
        const auto arbitrary = [&](std::size_t, std::size_t v) { return static_cast<double>((v * 37) % 11); };
        const std::string fullOutcome = outcome([&] { return tarvel::aStar(loose.view(), s, t, arbitrary); });
        std::string error;
        tarvel::IndexPath path;
        try {
            path = tarvel::aStar(loose.view(), s, t, arbitrary, true);
        } catch (const std::runtime_error& e) {
            error = e.what();
        }
        if (!error.empty()) {
            EXPECT_EQ(error, "Negative cycle detected");
            EXPECT_EQ(fullOutcome, error);
        } else if (fullOutcome != "Negative cycle detected") {
            EXPECT_EQ(path.empty(), fullOutcome.empty()) << "round " << round;
        }
        for (std::size_t k = 0; k + 1 < path.size(); ++k) EXPECT_TRUE(tarvel::hasEdge(loose.view(), path[k], path[k + 1]));
        if (!path.empty()) {
            EXPECT_TRUE(path.front() == s && path.back() == t);
        }
    }
    EXPECT_GT(stoppedEarly, 500);
}
