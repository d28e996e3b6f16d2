// Spanning trees: the union-find's rules; every method against plain
// procedures (minimum total weight, stored directions, Borůvka by full scans,
// Prim on the standard library's heap); deep graphs.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

using namespace testing_support;
using tarvel::MSTAlgo;
using Tree = std::vector<tarvel::TreeEdge<int>>;

TEST(DisjointSet, UnionBySizeKeepsFirstRootOnTies) {
    tarvel::detail::DisjointSet sets(6);
    EXPECT_TRUE(sets.unite(3, 1));
    EXPECT_EQ(sets.find(1), 3);
    sets.unite(4, 5);
    sets.unite(4, 3);  // equal sizes: 4 stays root
    EXPECT_EQ(sets.find(1), 4);
    sets.unite(0, 1);  // smaller set joins the larger one
    EXPECT_EQ(sets.find(0), 4);
    EXPECT_EQ(sets.find(2), 2);
    EXPECT_FALSE(sets.unite(5, 0));
}

namespace {

// Prim as it ran on std::push_heap / std::pop_heap with a key-only order.
Tree standardHeapPrim(View g) {
    const std::size_t n = g.nodeCount();
    Tree result;
    if (n == 0) return result;
    const auto lists = undirectedLists(g);
    std::vector<bool> inTree(n, false), reversed(n, false);
    std::vector<long long> key(n, std::numeric_limits<long long>::max());
    std::vector<std::size_t> prev(n, tarvel::NoNode);
    const auto heavier = [](const std::pair<std::size_t, int>& a, const std::pair<std::size_t, int>& b) {
        return a.second > b.second;
    };
    std::vector<std::pair<std::size_t, int>> heap{{0, 0}};
    key[0] = 0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), heavier);
        const std::size_t u = heap.back().first;
        heap.pop_back();
        if (inTree[u]) continue;
        inTree[u] = true;
        if (prev[u] != tarvel::NoNode) {
            const int w = static_cast<int>(key[u]);
            result.push_back(reversed[u] ? tarvel::TreeEdge<int>{u, prev[u], w} : tarvel::TreeEdge<int>{prev[u], u, w});
        }
        for (const auto& e : lists[u]) {
            if (!inTree[e.neighbor] && e.weight < key[e.neighbor]) {
                prev[e.neighbor] = u;
                key[e.neighbor] = e.weight;
                reversed[e.neighbor] = e.reversed;
                heap.emplace_back(e.neighbor, e.weight);
                std::push_heap(heap.begin(), heap.end(), heavier);
            }
        }
    }
    return result;
}

// Kruskal as a comparison sort of every candidate entry and a scan of all.
template <class Graph>
auto sortingKruskal(const Graph& g) {
    using W = typename Graph::Weight;
    const auto v = g.view();
    std::vector<std::tuple<W, std::size_t, std::size_t>> candidates;
    for (std::size_t i = 0; i < v.nodeCount(); ++i)
        for (const auto& e : v.neighbors(i))
            if (e.target != i && (v.isDirected() || e.target > i)) candidates.emplace_back(e.weight, i, e.target);
    std::sort(candidates.begin(), candidates.end());
    tarvel::detail::DisjointSet sets(v.nodeCount());
    std::vector<tarvel::TreeEdge<W>> result;
    for (const auto& [w, a, b] : candidates)
        if (sets.unite(static_cast<int>(a), static_cast<int>(b))) result.push_back({a, b, w});
    return result;
}

long long total(const Tree& tree) {
    long long sum = 0;
    for (const auto& e : tree) sum += e.weight;
    return sum;
}

}  // namespace

TEST(SpanningTrees, MethodsGiveMinimumForestsOfStoredEdges) {
    std::mt19937 rng(8);
    for (int round = 0; round < 400; ++round) {
        const bool directed = round % 2 == 1;
        G g = randomGraph(rng, directed, 1 + round % 30, 2 * (round % 30) + 5, -20, 20);
        const View v = g.view();
        std::multiset<std::tuple<std::size_t, std::size_t, int>> stored;
        for (const auto& e : v.edges()) {
            stored.emplace(e.source, e.target, e.weight);
            if (!directed) stored.emplace(e.target, e.source, e.weight);
        }
        const Tree kruskal = tarvel::kruskal(v), boruvka = tarvel::boruvka(v), prim = tarvel::prim(v);
        EXPECT_EQ(kruskal.size(), boruvka.size()) << round;
        EXPECT_EQ(total(kruskal), total(boruvka)) << round;
        // Weak components: Prim spans the first node's one.
        std::set<std::size_t> firstComponent{0};
        for (const auto& e : prim) firstComponent.insert({e.source, e.target});
        const auto lists = undirectedLists(v);
        std::vector<std::size_t> stack{0};
        std::set<std::size_t> reach{0};
        while (!stack.empty()) {
            const std::size_t u = stack.back();
            stack.pop_back();
            for (const auto& e : lists[u])
                if (reach.insert(e.neighbor).second) stack.push_back(e.neighbor);
        }
        EXPECT_EQ(firstComponent, reach) << round;
        if (kruskal.size() + 1 == g.nodeCount()) {
            EXPECT_EQ(total(kruskal), total(prim)) << round;
        }
        for (const Tree* tree : {&kruskal, &boruvka, &prim})
            for (const auto& e : *tree) EXPECT_GE(stored.count({e.source, e.target, e.weight}), 1u) << round;
    }
}

TEST(SpanningTrees, KruskalOrdersAsAComparisonSortDoes) {
    std::mt19937 rng(404);
    for (int round = 0; round < 400; ++round) {
        const int n = 1 + round % 40;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)),
                          round % 3 == 0 ? -2 : -1000, round % 3 == 0 ? 2 : 1000);
        EXPECT_EQ(tarvel::kruskal(g.view()), sortingKruskal(g)) << "round " << round;
        // Weights across the whole 64-bit range, signs included.
        tarvel::Graph<int, long long> wide(round % 2 == 1);
        for (int i = 0; i < n; ++i) wide.addNode(i);
        for (int k = 0; k < 3 * n; ++k) {
            const long long w = static_cast<long long>((std::uint64_t{rng()} << 32) | rng()) >> (rng() % 60);
            wide.addEdge(static_cast<int>(rng() % static_cast<unsigned>(n)), static_cast<int>(rng() % static_cast<unsigned>(n)),
                         k % 4 == 0 ? -w : w);
        }
        EXPECT_EQ(tarvel::kruskal(wide.view()), sortingKruskal(wide)) << "wide round " << round;
    }
}

TEST(SpanningTrees, BoruvkaPicksWhatAFullScanPicks) {
    std::mt19937 rng(99);
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + round % 40;
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(3 * n + 1)), -3,
                          3 + round % 5);
        EXPECT_EQ(tarvel::boruvka(g.view()), scanningBoruvka(g.view())) << "round " << round;
    }
    // Stars joining one leaf per phase run long enough for the heap phases to
    // take over; extra edges among the leaves vary the picks.
    for (int round = 0; round < 60; ++round) {
        const int n = 30 + 7 * round;
        G g = randomGraph(rng, round % 2 == 0, n, n / 3, -4, 4);
        std::uniform_int_distribution<int> weight(-5, 5);
        for (int leaf = 1; leaf < n; ++leaf) g.addEdge(g.nameOf(0), g.nameOf(static_cast<std::size_t>(leaf)), weight(rng));
        EXPECT_EQ(tarvel::boruvka(g.view()), scanningBoruvka(g.view())) << "star round " << round;
    }
}

TEST(SpanningTrees, PrimKeepsTheStandardHeapOrder) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 600; ++round) {
        const int n = 1 + round % 40;
        // Few distinct weights: many equal keys in the heap at once.
        G g = randomGraph(rng, round % 2 == 0, n, static_cast<int>(rng() % static_cast<unsigned>(4 * n + 1)), 0,
                          round % 3);
        EXPECT_EQ(tarvel::prim(g.view()), standardHeapPrim(g.view())) << "round " << round;
    }
}

TEST(SpanningTrees, LongPathsAndStars) {
    constexpr int n = 100000;
    for (bool directed : {true, false}) {
        G path(directed), star(directed);
        for (int i = 0; i < n; ++i) {
            path.addNode(std::to_string(i));
            star.addNode(std::to_string(i));
        }
        for (int i = 0; i + 1 < n; ++i) {
            path.addEdge(std::to_string(i), std::to_string(i + 1), i % 7);
            star.addEdge(std::to_string(i + 1), "0", -(i % 5));
        }
        for (auto m : {MSTAlgo::KRUSKAL, MSTAlgo::PRIM, MSTAlgo::BORUVKA}) {
            EXPECT_EQ(path.minimumSpanningTree(m).size(), static_cast<std::size_t>(n - 1));
            EXPECT_EQ(star.minimumSpanningTree(m).size(), static_cast<std::size_t>(n - 1));
        }
    }
    EXPECT_THROW(tarvel::minimumSpanningTree(G(true).view(), static_cast<MSTAlgo>(3)), std::runtime_error);
}
