// Edge traversals and findCycle on random graphs with parallel edges and
// self-loops, checked by what the results must be: every edge taken once
// in the orientation's sense, each node's steps in its list's order, a
// search's steps leaving nodes it reached; a cycle made of the graph's
// edges, closed, and found exactly when a union-find (undirected) or a
// reachability test (directed) says there is one.
#include <gtest/gtest.h>

#include <numeric>

#include "support.hpp"

using namespace testing_support;
using tarvel::Orientation;
using tarvel::TraversedEdge;

namespace {

const Orientation orientations[] = {Orientation::Original, Orientation::Reverse, Orientation::Ignore};

tarvel::NodeIndex nearEnd(const TraversedEdge& e) { return e.reverse ? e.head : e.tail; }
tarvel::NodeIndex farEnd(const TraversedEdge& e) { return e.reverse ? e.tail : e.head; }

// The step names an edge of g, in its stored direction (an undirected
// edge in either).
bool isEdgeOf(View g, const TraversedEdge& e) {
    if (e.edge >= g.edges().size()) return false;
    const auto& r = g.edges()[e.edge];
    if (r.source == e.tail && r.target == e.head) return true;
    return !g.isDirected() && !e.reverse && r.source == e.head && r.target == e.tail;
}

// The nodes reachable from `from` following edges as `orientation` does.
std::vector<bool> reachable(View g, std::vector<tarvel::NodeIndex> from, Orientation orientation) {
    std::vector<bool> seen(g.nodeCount(), false);
    for (auto s : from) seen[s] = true;
    for (bool grew = true; grew;) {  // relax every edge until nothing changes
        grew = false;
        for (const auto& r : g.edges()) {
            const bool forward = !g.isDirected() || orientation != Orientation::Reverse;
            const bool backward = !g.isDirected() || orientation != Orientation::Original;
            if (forward && seen[r.source] && !seen[r.target]) seen[r.target] = grew = true;
            if (backward && seen[r.target] && !seen[r.source]) seen[r.source] = grew = true;
        }
    }
    return seen;
}

// Whether the edges the search can reach from `sources` hold a cycle: an
// undirected reading (undirected graph, or Ignore) has one when an edge
// joins two nodes already joined (union-find); a directed one when an
// edge's head reaches its tail.
bool cycleReachable(View g, const std::vector<tarvel::NodeIndex>& sources, Orientation orientation) {
    const auto seen = reachable(g, sources, orientation);
    if (!g.isDirected() || orientation == Orientation::Ignore) {
        std::vector<std::size_t> parent(g.nodeCount());
        std::iota(parent.begin(), parent.end(), 0);
        const auto root = [&](std::size_t x) {
            while (parent[x] != x) x = parent[x] = parent[parent[x]];
            return x;
        };
        for (const auto& r : g.edges()) {
            if (!seen[r.source]) continue;
            const auto a = root(r.source), b = root(r.target);
            if (a == b) return true;
            parent[a] = b;
        }
        return false;
    }
    for (const auto& r : g.edges()) {
        const auto near = orientation == Orientation::Original ? r.source : r.target;
        const auto far = orientation == Orientation::Original ? r.target : r.source;
        if (seen[near] && reachable(g, {far}, orientation)[near]) return true;
    }
    return false;
}

std::vector<tarvel::NodeIndex> allNodes(View g) {
    std::vector<tarvel::NodeIndex> nodes(g.nodeCount());
    std::iota(nodes.begin(), nodes.end(), 0);
    return nodes;
}

// What every edge traversal's steps satisfy, from `sources`.
void checkTraversal(View g, const std::vector<TraversedEdge>& steps, const std::vector<tarvel::NodeIndex>& sources,
                    Orientation orientation, bool breadthFirst, const std::string& where) {
    const bool directed = g.isDirected();
    const auto seen = reachable(g, sources, orientation);
    // Each edge the sources reach, once; none other.
    std::vector<int> times(g.edges().size(), 0);
    for (const auto& e : steps) {
        ASSERT_TRUE(isEdgeOf(g, e)) << where;
        ++times[e.edge];
        if (!directed || orientation == Orientation::Original) {
            EXPECT_FALSE(e.reverse) << where;
        } else if (orientation == Orientation::Reverse) {
            EXPECT_TRUE(e.reverse) << where;
        }
    }
    for (std::size_t k = 0; k < times.size(); ++k) {
        const auto& r = g.edges()[k];
        const bool taken = !directed || orientation == Orientation::Ignore ? seen[r.source] || seen[r.target]
                           : orientation == Orientation::Original  ? seen[r.source]
                                                                   : seen[r.target];
        EXPECT_EQ(times[k], taken ? 1 : 0) << where << " edge " << k;
    }
    // A step leaves a source or a node an earlier step reached; a node's
    // forward steps come in its list's order (for a directed graph the
    // order of the edges' indices), and in a breadth-first search the nodes
    // left come in the order they were reached.
    std::vector<bool> entered(g.nodeCount(), false);
    std::vector<std::size_t> lastForward(g.nodeCount(), 0);
    std::vector<std::pair<std::size_t, std::size_t>> lastBackward(g.nodeCount(), {0, 0});
    std::vector<std::size_t> reachedAt(g.nodeCount(), SIZE_MAX);
    std::size_t reachedCount = 0;
    for (auto s : sources)
        if (reachedAt[s] == SIZE_MAX) reachedAt[s] = reachedCount++;
    std::size_t lastLeft = 0;
    for (const auto& e : steps) {
        const auto near = nearEnd(e);
        EXPECT_TRUE(entered[near] || std::find(sources.begin(), sources.end(), near) != sources.end()) << where;
        if (breadthFirst) {
            EXPECT_GE(reachedAt[near], lastLeft) << where;
            lastLeft = reachedAt[near];
        } else {
            entered[near] = true;
        }
        if (directed && !e.reverse) {
            EXPECT_GE(e.edge + 1, lastForward[near]) << where;
            lastForward[near] = e.edge + 1;
        }
        if (e.reverse) {  // in-edges by tail in node order, one tail's in call order
            const auto key = std::make_pair(e.tail, e.edge + 1);
            EXPECT_TRUE(lastBackward[near] < key) << where;
            lastBackward[near] = key;
        }
        entered[farEnd(e)] = true;
        if (reachedAt[farEnd(e)] == SIZE_MAX) reachedAt[farEnd(e)] = reachedCount++;
    }
}

}  // namespace

TEST(EdgeTraversal, EveryEdgeOnceInListOrder) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        const bool directed = round % 3 != 0;
        const int n = 1 + round % 13;
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        std::vector<tarvel::NodeIndex> some;
        for (int k = 0; k < 1 + round % 3; ++k) some.push_back(rng() % static_cast<unsigned>(n));
        for (const auto orientation : orientations) {
            const std::string where = "round " + std::to_string(round);
            checkTraversal(g.view(), tarvel::edgeDepthFirst(g.view(), orientation), allNodes(g.view()), orientation,
                           false, where + " dfs");
            checkTraversal(g.view(), tarvel::edgeDepthFirst(g.view(), some, orientation), some, orientation, false,
                           where + " dfs from some");
            checkTraversal(g.view(), tarvel::edgeBreadthFirst(g.view(), orientation), allNodes(g.view()),
                           orientation, true, where + " bfs");
            checkTraversal(g.view(), tarvel::edgeBreadthFirst(g.view(), some, orientation), some, orientation, true,
                           where + " bfs from some");
        }
    }
}

TEST(EdgeTraversal, SymmetricDirectedGraphReadsAsTheUndirectedOne) {
    // The directed graph holding each undirected list as it is (a self-loop
    // once) is read as undirected: the same steps, node for node.
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const int n = 1 + round % 11;
        G u = randomGraph(rng, false, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)));
        G d(true);
        for (tarvel::NodeIndex k = 0; k < u.view().nodeCount(); ++k) d.addNode(u.view().name(k));
        for (tarvel::NodeIndex k = 0; k < u.view().nodeCount(); ++k) {
            bool loopTwice = false;  // an undirected self-loop's second entry
            for (const auto& entry : u.view().neighbors(k)) {
                if (entry.target == k && (loopTwice = !loopTwice) == false) continue;
                d.addEdge(u.view().name(k), u.view().name(entry.target), entry.weight);
            }
        }
        const auto ends = [](const std::vector<TraversedEdge>& steps) {
            std::vector<std::pair<tarvel::NodeIndex, tarvel::NodeIndex>> out;
            for (const auto& e : steps) out.emplace_back(e.tail, e.head);
            return out;
        };
        const std::string where = "round " + std::to_string(round);
        EXPECT_EQ(ends(tarvel::edgeDepthFirst(u.view())),
                  ends(tarvel::edgeDepthFirst(d.view(), Orientation::Ignore, true)))
            << where;
        EXPECT_EQ(ends(tarvel::edgeBreadthFirst(u.view())),
                  ends(tarvel::edgeBreadthFirst(d.view(), Orientation::Reverse, true)))
            << where;
        EXPECT_EQ(ends(tarvel::findCycle(u.view())), ends(tarvel::findCycle(d.view(), Orientation::Original, true)))
            << where;
    }
}

TEST(FindCycle, ClosedWalkOfTheGraphExactlyWhenOneIsReachable) {
    std::mt19937 rng(31337);
    int found = 0, none = 0;
    for (int round = 0; round < 600; ++round) {
        const bool directed = round % 3 != 0;
        const int n = 1 + round % 17;
        // Sparse graphs, so that acyclic ones come up too.
        G g = randomGraph(rng, directed, n, static_cast<int>(rng() % static_cast<unsigned>(n + 2)));
        const std::vector<std::vector<tarvel::NodeIndex>> sourceLists = {
            allNodes(g.view()), {rng() % static_cast<unsigned>(n)}};
        for (const auto orientation : orientations) {
            for (const auto& sources : sourceLists) {
                const std::string where = "round " + std::to_string(round);
                const auto cycle = tarvel::findCycle(g.view(), sources, orientation);
                ASSERT_EQ(!cycle.empty(), cycleReachable(g.view(), sources, orientation)) << where;
                (cycle.empty() ? none : found) += 1;
                std::vector<std::size_t> edges;
                for (std::size_t k = 0; k < cycle.size(); ++k) {
                    EXPECT_TRUE(isEdgeOf(g.view(), cycle[k])) << where;
                    EXPECT_EQ(farEnd(cycle[k]), nearEnd(cycle[(k + 1) % cycle.size()])) << where;
                    if (!g.isDirected() || orientation == Orientation::Original) {
                        EXPECT_FALSE(cycle[k].reverse) << where;
                    } else if (orientation == Orientation::Reverse) {
                        EXPECT_TRUE(cycle[k].reverse) << where;
                    }
                    edges.push_back(cycle[k].edge);
                }
                std::sort(edges.begin(), edges.end());
                EXPECT_EQ(std::adjacent_find(edges.begin(), edges.end()), edges.end()) << where << " edge twice";
            }
        }
    }
    EXPECT_GT(found, 100);
    EXPECT_GT(none, 100);
}

TEST(FindCycle, SelfLoopsParallelEdgesAndTheEdgeBack) {
    G u(false);
    for (const char* n : {"a", "b", "c"}) u.addNode(n);
    u.addEdge("a", "b", 1);
    u.addEdge("b", "c", 1);
    EXPECT_TRUE(u.findCycle().empty());  // taking an edge back is no cycle
    u.addEdge("c", "b", 1);              // a parallel pair is one
    const auto pair = u.findCycle(std::vector<std::string>{"a"});
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_EQ(pair[0].tail, "b");
    EXPECT_EQ(pair[1].head, "b");
    EXPECT_NE(pair[0].edge, pair[1].edge);

    G d(true);
    for (const char* n : {"a", "b"}) d.addNode(n);
    d.addEdge("a", "b", 1);
    d.addEdge("a", "b", 1);
    EXPECT_TRUE(d.findCycle().empty());  // directed parallel edges are not
    EXPECT_EQ(d.findCycle(Orientation::Ignore).size(), 2u);
    d.addEdge("b", "b", 1);
    const auto loop = d.findCycle(Orientation::Reverse);
    ASSERT_EQ(loop.size(), 1u);
    EXPECT_EQ(loop[0].edge, 2u);
    EXPECT_TRUE(loop[0].reverse);
    EXPECT_THROW(d.findCycle(std::vector<std::string>{"z"}), std::out_of_range);
    EXPECT_THROW(tarvel::edgeDepthFirst(d.view(), {7}), std::out_of_range);
}

TEST(EdgeTraversal, MillionNodePathNeedsNoDeepStack) {
    tarvel::GraphStore<int, int> g(true);
    const int n = 1000000;
    std::vector<int> names(n);
    std::iota(names.begin(), names.end(), 0);
    g.addNodes(names);
    std::vector<typename tarvel::GraphStore<int, int>::EdgeSpec> edges;
    for (int k = 0; k + 1 < n; ++k) edges.push_back({k, k + 1, 1});
    g.addEdges(edges);
    EXPECT_EQ(tarvel::edgeDepthFirst(g.view(), Orientation::Ignore).size(), static_cast<std::size_t>(n - 1));
    EXPECT_TRUE(tarvel::findCycle(g.view()).empty());
    g.addEdges({{n - 1, 0, 1}});
    EXPECT_EQ(tarvel::findCycle(g.view(), {0}).size(), static_cast<std::size_t>(n));
}
