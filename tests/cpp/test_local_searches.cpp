// The searches near their ends. twoEndedBfs against a plain transcription
// of the procedure it states: two dictionaries of marks, two fringes, the
// start side grown while its fringe is no larger, the search ended at the
// first neighbor the other side holds. nodesWithin against a queue-driven
// breadth-first search to the end.
#include <gtest/gtest.h>

#include <map>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "support.hpp"

namespace {

using testing_support::G;
using testing_support::View;
using tarvel::IndexPath;
using tarvel::NodeIndex;

// The lists the goal side reads: the incoming lists rebuilt by scanning
// every node's list (sources in node order), or the lists themselves.
std::vector<std::vector<NodeIndex>> backLists(const View& g, bool symmetric) {
    std::vector<std::vector<NodeIndex>> back(g.nodeCount());
    for (NodeIndex u = 0; u < g.nodeCount(); ++u) {
        for (const auto& entry : g.neighbors(u)) {
            if (symmetric || !g.isDirected()) {
                back[u].push_back(entry.target);
            } else {
                back[entry.target].push_back(u);
            }
        }
    }
    return back;
}

IndexPath reference(const View& g, NodeIndex source, NodeIndex target,
                    const std::vector<std::vector<NodeIndex>>& back) {
    if (source == target) return {source};
    std::map<NodeIndex, NodeIndex> pred{{source, tarvel::NoNode}}, succ{{target, tarvel::NoNode}};
    std::vector<NodeIndex> forwardFringe{source}, reverseFringe{target};
    NodeIndex meet = tarvel::NoNode;
    while (meet == tarvel::NoNode && !forwardFringe.empty() && !reverseFringe.empty()) {
        if (forwardFringe.size() <= reverseFringe.size()) {
            const std::vector<NodeIndex> thisLevel = std::move(forwardFringe);
            forwardFringe.clear();
            for (NodeIndex v : thisLevel) {
                for (const auto& entry : g.neighbors(v)) {
                    const NodeIndex w = entry.target;
                    if (!pred.count(w)) {
                        forwardFringe.push_back(w);
                        pred[w] = v;
                    }
                    if (succ.count(w)) {
                        meet = w;
                        break;
                    }
                }
                if (meet != tarvel::NoNode) break;
            }
        } else {
            const std::vector<NodeIndex> thisLevel = std::move(reverseFringe);
            reverseFringe.clear();
            for (NodeIndex v : thisLevel) {
                for (NodeIndex w : back[v]) {
                    if (!succ.count(w)) {
                        succ[w] = v;
                        reverseFringe.push_back(w);
                    }
                    if (pred.count(w)) {
                        meet = w;
                        break;
                    }
                }
                if (meet != tarvel::NoNode) break;
            }
        }
    }
    if (meet == tarvel::NoNode) return {};
    IndexPath path;
    for (NodeIndex w = meet; w != tarvel::NoNode; w = pred[w]) path.insert(path.begin(), w);
    for (NodeIndex w = succ[meet]; w != tarvel::NoNode; w = succ[w]) path.push_back(w);
    return path;
}

// A directed graph holding both directions of every random edge, each
// node's list in its own order (as an undirected graph converted for the
// networkx backend): read with symmetric = true.
G randomSymmetric(std::mt19937& rng, int n, int m) {
    G g(true);
    for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1);
    for (int k = 0; k < m; ++k) {
        const std::string a = std::to_string(node(rng)), b = std::to_string(node(rng));
        g.addEdge(a, b, 1);
        if (a != b) g.addEdge(b, a, 1);
    }
    return g;
}

TEST(TwoEndedBfs, MatchesTheProcedureOnRandomGraphs) {
    std::mt19937 rng(20261208);
    int paths = 0, unreachable = 0, differFromForward = 0;
    for (int round = 0; round < 300; ++round) {
        const int n = 2 + round % 40, m = static_cast<int>(rng() % static_cast<unsigned>(3 * n));
        const int kind = round % 3;  // directed, undirected, symmetric directed
        G graph = kind == 2 ? randomSymmetric(rng, n, m) : testing_support::randomGraph(rng, kind == 0, n, m);
        const View g = graph.view();
        const bool symmetric = kind == 2;
        for (int q = 0; q < 8; ++q) {
            const NodeIndex s = rng() % g.nodeCount(), t = rng() % g.nodeCount();
            const IndexPath expected = reference(g, s, t, backLists(g, symmetric));
            const IndexPath found = tarvel::twoEndedBfs(g, s, t, symmetric);
            ASSERT_EQ(found, expected) << "round " << round << " from " << s << " to " << t;
            // Shortest, and made of the graph's edges.
            const IndexPath forward = tarvel::bfs(g, s, t);
            ASSERT_EQ(found.size(), forward.size());
            for (std::size_t k = 0; k + 1 < found.size(); ++k) {
                const auto list = g.neighbors(found[k]);
                ASSERT_TRUE(std::any_of(list.begin(), list.end(),
                                        [&](const auto& e) { return e.target == found[k + 1]; }));
            }
            if (found.empty()) {
                ++unreachable;
            } else {
                ++paths;
                differFromForward += found != forward;
            }
        }
    }
    // The random graphs reach every case: paths, no paths, and paths the
    // forward search does not choose.
    EXPECT_GT(paths, 500);
    EXPECT_GT(unreachable, 50);
    EXPECT_GT(differFromForward, 10);
}

TEST(TwoEndedBfs, ReadsTheGoalSideFromABackwardGraph) {
    // The predecessors of every node in a shuffled order, held as the lists
    // of a second graph: the goal side meets them in that order.
    std::mt19937 rng(99);
    int differ = 0;
    for (int round = 0; round < 150; ++round) {
        const int n = 2 + round % 30;
        const G graph = testing_support::randomGraph(rng, true, n, static_cast<int>(rng() % (3u * n)));
        const View g = graph.view();
        auto back = backLists(g, false);
        for (auto& list : back) std::shuffle(list.begin(), list.end(), rng);
        tarvel::Graph<int, double> backward(true);
        for (int k = 0; k < n; ++k) backward.addNode(k);
        for (NodeIndex v = 0; v < back.size(); ++v)
            for (NodeIndex u : back[v]) backward.addEdge(static_cast<int>(v), static_cast<int>(u), 1.0);
        for (int q = 0; q < 8; ++q) {
            const NodeIndex s = rng() % g.nodeCount(), t = rng() % g.nodeCount();
            const IndexPath found = tarvel::twoEndedBfs(g, s, t, backward.view());
            ASSERT_EQ(found, reference(g, s, t, back)) << "round " << round;
            differ += found != tarvel::twoEndedBfs(g, s, t);
        }
    }
    EXPECT_GT(differ, 5);  // the order read matters
    tarvel::Graph<int, double> small(true);
    small.addNode(1);
    G g(true);
    g.addNode("a");
    g.addNode("b");
    EXPECT_THROW(g.twoEndedBfsPath("a", "b", small), std::invalid_argument);
}

TEST(TwoEndedBfs, ChecksItsIndices) {
    G g(true);
    g.addNode("0");
    EXPECT_EQ(g.twoEndedBfsPath("0", "0"), std::vector<std::string>{"0"});
    EXPECT_THROW(g.twoEndedBfsPath("0", "9"), std::out_of_range);
    EXPECT_THROW(tarvel::twoEndedBfs(g.view(), 0, 1), std::out_of_range);
}

// Every node the source reaches with its distance, in discovery order.
std::vector<std::pair<NodeIndex, std::size_t>> discoveries(const View& g, NodeIndex source) {
    std::vector<std::size_t> dist(g.nodeCount(), ~std::size_t{0});
    std::vector<std::pair<NodeIndex, std::size_t>> order{{source, 0}};
    std::queue<NodeIndex> queue;
    queue.push(source);
    dist[source] = 0;
    while (!queue.empty()) {
        const NodeIndex u = queue.front();
        queue.pop();
        for (const auto& entry : g.neighbors(u)) {
            if (dist[entry.target] != ~std::size_t{0}) continue;
            dist[entry.target] = dist[u] + 1;
            order.emplace_back(entry.target, dist[entry.target]);
            queue.push(entry.target);
        }
    }
    return order;
}

TEST(NodesWithin, IsTheBreadthFirstOrderCutAtTheDepth) {
    std::mt19937 rng(7);
    std::size_t cut = 0;
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + round % 30;
        G graph = testing_support::randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % (2u * n + 1)));
        const View g = graph.view();
        const NodeIndex s = rng() % g.nodeCount();
        const auto all = discoveries(g, s);
        for (std::size_t depth = 0; depth < 6; ++depth) {
            IndexPath expected;
            for (const auto& [node, d] : all)
                if (d <= depth) expected.push_back(node);
            ASSERT_EQ(tarvel::nodesWithin(g, s, depth), expected) << "round " << round << " depth " << depth;
            cut += expected.size() < all.size();
        }
    }
    EXPECT_GT(cut, 200u);  // depths that leave nodes out, not only whole searches
    G g(false);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", 1);
    EXPECT_EQ(g.nodesWithin("a", 0), std::vector<std::string>{"a"});
    EXPECT_THROW(g.nodesWithin("z", 1), std::out_of_range);
}

}  // namespace
