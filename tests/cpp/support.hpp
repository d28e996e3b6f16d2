// Helpers for the C++ tests: random graphs, and plain versions of procedures
// that the library runs in a faster or deeper-reaching way (recursive
// searches, full-scan Borůvka, the undirected reading of a directed graph).
#pragma once

#include <algorithm>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace testing_support {

using G = tarvel::Graph<std::string, int>;
using View = tarvel::GraphView<std::string, int>;

// n nodes "0".."n-1" added in a shuffled order; m edges with random ends
// (self-loops and parallel edges included) and weights in [lo, hi].
inline G randomGraph(std::mt19937& rng, bool directed, int n, int m, int lo = 1, int hi = 9) {
    G g(directed);
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), rng);
    for (int i : order) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1), weight(lo, hi);
    for (int k = 0; k < m && n > 0; ++k) {
        g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), weight(rng));
    }
    return g;
}

struct RecursiveCycle {
    explicit RecursiveCycle(View graph) : g(graph) {}
    View g;
    std::vector<bool> visited = std::vector<bool>(g.nodeCount()), onPath = std::vector<bool>(g.nodeCount());
    bool enter(std::size_t u) {
        visited[u] = onPath[u] = true;
        for (const auto& [v, w] : g.neighbors(u)) {
            if (visited[v]) {
                if (onPath[v]) return true;
            } else if (enter(v)) {
                return true;
            }
        }
        onPath[u] = false;
        return false;
    }
    bool run() {
        for (std::size_t i = 0; i < g.nodeCount(); ++i)
            if (!visited[i] && enter(i)) return true;
        return false;
    }
};

struct RecursiveTarjan {
    explicit RecursiveTarjan(View graph) : g(graph) {}
    View g;
    static constexpr std::size_t Unset = static_cast<std::size_t>(-1);
    std::vector<std::size_t> disc = std::vector<std::size_t>(g.nodeCount(), Unset), low = disc;
    std::vector<bool> onStack = std::vector<bool>(g.nodeCount());
    std::vector<std::size_t> stack;
    std::size_t time = 0;
    std::vector<tarvel::IndexPath> result;
    void visit(std::size_t u) {
        disc[u] = low[u] = ++time;
        stack.push_back(u);
        onStack[u] = true;
        for (const auto& [v, w] : g.neighbors(u)) {
            if (disc[v] == Unset) {
                visit(v);
                low[u] = std::min(low[u], low[v]);
            } else if (onStack[v]) {
                low[u] = std::min(low[u], disc[v]);
            }
        }
        if (low[u] == disc[u]) {
            tarvel::IndexPath component;
            std::size_t x;
            do {
                x = stack.back();
                stack.pop_back();
                onStack[x] = false;
                component.push_back(x);
            } while (x != u);
            result.push_back(component);
        }
    }
    std::vector<tarvel::IndexPath> run() {
        for (std::size_t i = 0; i < g.nodeCount(); ++i)
            if (disc[i] == Unset) visit(i);
        return result;
    }
};

struct RecursiveKosaraju {
    explicit RecursiveKosaraju(View graph) : g(graph) {}
    View g;
    std::vector<bool> visited = std::vector<bool>(g.nodeCount());
    std::vector<std::size_t> finishStack;
    std::vector<std::vector<std::size_t>> transposed = std::vector<std::vector<std::size_t>>(g.nodeCount());
    tarvel::IndexPath component;
    void finish(std::size_t u) {
        visited[u] = true;
        for (const auto& [v, w] : g.neighbors(u))
            if (!visited[v]) finish(v);
        finishStack.push_back(u);
    }
    void collect(std::size_t u) {
        visited[u] = true;
        component.push_back(u);
        for (std::size_t v : transposed[u])
            if (!visited[v]) collect(v);
    }
    std::vector<tarvel::IndexPath> run() {
        for (std::size_t i = 0; i < g.nodeCount(); ++i)
            if (!visited[i]) finish(i);
        for (std::size_t u = 0; u < g.nodeCount(); ++u)
            for (const auto& [v, w] : g.neighbors(u)) transposed[v].push_back(u);
        visited.assign(g.nodeCount(), false);
        std::vector<tarvel::IndexPath> result;
        while (!finishStack.empty()) {
            std::size_t top = finishStack.back();
            finishStack.pop_back();
            if (visited[top]) continue;
            component.clear();
            collect(top);
            result.push_back(component);
        }
        return result;
    }
};

// One entry of a node's list in the undirected reading of a graph.
struct UndirectedEntry {
    std::size_t neighbor;
    int weight;
    bool reversed;  // the edge is stored as neighbor -> node
};

// The undirected reading spelled out: each node's own entries, then (for a
// directed graph) one reversed entry per edge into it, in the order the
// edges were added.
inline std::vector<std::vector<UndirectedEntry>> undirectedLists(View g) {
    std::vector<std::vector<UndirectedEntry>> lists(g.nodeCount());
    for (std::size_t u = 0; u < g.nodeCount(); ++u)
        for (const auto& [v, w] : g.neighbors(u)) lists[u].push_back({v, w, false});
    if (g.isDirected())
        for (const auto& e : g.edges()) lists[e.target].push_back({e.source, e.weight, true});
    return lists;
}

// Borůvka as a full scan of every entry in every phase.
inline std::vector<tarvel::TreeEdge<int>> scanningBoruvka(View g) {
    const std::size_t n = g.nodeCount();
    std::vector<tarvel::TreeEdge<int>> result;
    if (n == 0) return result;
    const auto lists = undirectedLists(g);
    tarvel::detail::DisjointSet sets(n);
    const auto find = [&](std::size_t x) { return static_cast<std::size_t>(sets.find(static_cast<int>(x))); };
    struct Pick {
        std::size_t owner = tarvel::NoNode, target = tarvel::NoNode;
        int weight = 0;
        bool reversed = false;
    };
    while (result.size() < n - 1) {
        std::vector<Pick> cheapest(n);
        for (std::size_t i = 0; i < n; ++i) {
            for (const auto& e : lists[i]) {
                const std::size_t ri = find(i), rv = find(e.neighbor);
                if (ri != rv && (cheapest[ri].owner == tarvel::NoNode || cheapest[ri].weight > e.weight))
                    cheapest[ri] = {i, e.neighbor, e.weight, e.reversed};
            }
        }
        const std::size_t before = result.size();
        for (const auto& pick : cheapest) {
            if (pick.owner == tarvel::NoNode || find(pick.owner) == find(pick.target)) continue;
            result.push_back(pick.reversed ? tarvel::TreeEdge<int>{pick.target, pick.owner, pick.weight}
                                           : tarvel::TreeEdge<int>{pick.owner, pick.target, pick.weight});
            sets.unite(static_cast<int>(pick.owner), static_cast<int>(pick.target));
        }
        if (result.size() == before) break;
    }
    return result;
}

}  // namespace testing_support
