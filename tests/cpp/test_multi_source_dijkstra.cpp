// multiSourceDijkstraTree against dijkstraTree from a virtual source: a node
// added after the others with an edge of weight 0 to each source, in their
// order. Its tree must give the same distances and predecessors (a
// source's being the virtual node), within a cutoff and up to a goal too.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support.hpp"

namespace {

using testing_support::G;
using tarvel::NodeIndex;

G withVirtualSource(const G& graph, const std::vector<NodeIndex>& sources) {
    G out(graph.view().isDirected());
    const auto view = graph.view();
    for (NodeIndex u = 0; u < view.nodeCount(); ++u) out.addNode(view.name(u));
    for (const auto& e : view.edges()) out.addEdge(view.name(e.source), view.name(e.target), e.weight);
    out.addNode("virtual");
    for (const NodeIndex s : sources) out.addEdge("virtual", view.name(s), 0);
    return out;
}

TEST(MultiSourceDijkstra, IsDijkstraFromAVirtualSource) {
    std::mt19937 rng(33);
    int cut = 0, stoppedEarly = 0;
    for (int round = 0; round < 300; ++round) {
        const int n = 1 + round % 35;
        // Weights 0 to 4: many equal distances, so the tie order matters.
        const G graph = testing_support::randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % (3u * n + 1)),
                                                      0, 4);
        const auto g = graph.view();
        std::vector<NodeIndex> sources;
        const std::size_t count = 1 + rng() % 4;
        for (std::size_t k = 0; k < count; ++k) sources.push_back(rng() % g.nodeCount());  // repeats too
        const G virtualGraph = withVirtualSource(graph, sources);
        const NodeIndex virtualNode = g.nodeCount();
        const auto reference = tarvel::dijkstraTree(virtualGraph.view(), virtualNode);
        const std::optional<double> cutoff =
            // Fractions and negative cutoffs too.
            round % 3 == 0 ? std::nullopt : std::optional<double>(static_cast<int>(rng() % 20) / 2.0 - 0.5);
        const auto tree = tarvel::multiSourceDijkstraTree(g, sources, tarvel::NoNode, cutoff);
        EXPECT_EQ(tree.source, tarvel::NoNode);
        for (NodeIndex v = 0; v < g.nodeCount(); ++v) {
            const bool isSource = std::find(sources.begin(), sources.end(), v) != sources.end();
            const bool within = reference.reaches(v) &&
                                (!cutoff || isSource || static_cast<double>(reference.distance[v]) <= *cutoff);
            ASSERT_EQ(tree.reaches(v), within) << "round " << round << " node " << v;
            cut += reference.reaches(v) && !within;
            if (!within) continue;
            ASSERT_EQ(tree.distance[v], reference.distance[v]);
            const NodeIndex before = reference.predecessor[v];
            const NodeIndex expected = before == virtualNode ? tarvel::NoNode : before;
            ASSERT_EQ(tree.predecessor[v], expected) << "round " << round << " node " << v;
        }
        // Up to a goal: the goal's path and distance are the whole search's.
        const NodeIndex goal = rng() % g.nodeCount();
        const auto toGoal = tarvel::multiSourceDijkstraTree(g, sources, goal);
        ASSERT_EQ(toGoal.reaches(goal), reference.reaches(goal));
        if (reference.reaches(goal)) {
            ASSERT_EQ(toGoal.distance[goal], reference.distance[goal]);
            for (NodeIndex v = goal; toGoal.predecessor[v] != tarvel::NoNode; v = toGoal.predecessor[v]) {
                ASSERT_EQ(toGoal.predecessor[v], reference.predecessor[v]);
            }
        }
        for (NodeIndex v = 0; v < g.nodeCount(); ++v) stoppedEarly += reference.reaches(v) && !toGoal.reaches(v);
    }
    EXPECT_GT(cut, 100);
    EXPECT_GT(stoppedEarly, 50);
}

TEST(MultiSourceDijkstra, KeepsTheSourcesBelowACutoffAndChecksIndices) {
    G g(true);
    for (const char* name : {"a", "b", "c"}) g.addNode(name);
    g.addEdge("a", "b", 2);
    g.addEdge("b", "c", 2);
    const auto none = tarvel::multiSourceDijkstraTree(g.view(), {0, 2}, tarvel::NoNode, -1.0);
    EXPECT_TRUE(none.reaches(0) && none.reaches(2) && !none.reaches(1));
    const auto nan = tarvel::multiSourceDijkstraTree(g.view(), {0}, tarvel::NoNode, std::nan(""));
    EXPECT_TRUE(nan.reaches(2));
    EXPECT_EQ(nan.distance[2], 4);
    EXPECT_FALSE(tarvel::multiSourceDijkstraTree(g.view(), {}).reaches(0));
    EXPECT_THROW(tarvel::multiSourceDijkstraTree(g.view(), {0, 3}), std::out_of_range);
    EXPECT_THROW(tarvel::multiSourceDijkstraTree(g.view(), {0}, 3), std::out_of_range);
}

}  // namespace
