// Helpers for the C++ tests: random graphs, and plain recursive versions of
// the searches that the library runs with explicit stacks.
#pragma once

#include <algorithm>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace testing_support {

using G = tarvel::Graph<std::string, int>;

// n nodes "0".."n-1" added in a shuffled order; m edges with random ends
// (self-loops and parallel edges included) and weights in [lo, hi].
inline G randomGraph(std::mt19937& rng, bool directed, int n, int m, int lo = 1, int hi = 9) {
    G g(directed);
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    for (int i : order) g.addNode(std::to_string(i));
    std::uniform_int_distribution<int> node(0, n - 1), weight(lo, hi);
    for (int k = 0; k < m && n > 0; ++k) {
        g.addEdge(std::to_string(node(rng)), std::to_string(node(rng)), weight(rng));
    }
    return g;
}

struct RecursiveCycle {
    explicit RecursiveCycle(const G& graph) : g(graph) {}
    const G& g;
    std::vector<bool> visited = std::vector<bool>(g.size()), onPath = std::vector<bool>(g.size());
    bool enter(std::size_t u) {
        visited[u] = onPath[u] = true;
        for (const auto& [v, w] : g.neighbours(u)) {
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
        for (std::size_t i = 0; i < g.size(); ++i)
            if (!visited[i] && enter(i)) return true;
        return false;
    }
};

struct RecursiveTarjan {
    explicit RecursiveTarjan(const G& graph) : g(graph) {}
    const G& g;
    static constexpr std::size_t unset = static_cast<std::size_t>(-1);
    std::vector<std::size_t> disc = std::vector<std::size_t>(g.size(), unset), low = disc;
    std::vector<bool> onStack = std::vector<bool>(g.size());
    std::vector<std::size_t> stack;
    std::size_t time = 0;
    std::vector<tarvel::IndexPath> result;
    void visit(std::size_t u) {
        disc[u] = low[u] = ++time;
        stack.push_back(u);
        onStack[u] = true;
        for (const auto& [v, w] : g.neighbours(u)) {
            if (disc[v] == unset) {
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
        for (std::size_t i = 0; i < g.size(); ++i)
            if (disc[i] == unset) visit(i);
        return result;
    }
};

struct RecursiveKosaraju {
    explicit RecursiveKosaraju(const G& graph) : g(graph) {}
    const G& g;
    std::vector<bool> visited = std::vector<bool>(g.size());
    std::vector<std::size_t> finishStack;
    std::vector<std::vector<std::size_t>> transposed = std::vector<std::vector<std::size_t>>(g.size());
    tarvel::IndexPath component;
    void finish(std::size_t u) {
        visited[u] = true;
        for (const auto& [v, w] : g.neighbours(u))
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
        for (std::size_t i = 0; i < g.size(); ++i)
            if (!visited[i]) finish(i);
        for (std::size_t u = 0; u < g.size(); ++u)
            for (const auto& [v, w] : g.neighbours(u)) transposed[v].push_back(u);
        visited.assign(g.size(), false);
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

// Borůvka as a full scan of every entry in every phase.
inline std::vector<tarvel::TreeEdge> scanningBoruvka(const G& g) {
    const std::size_t n = g.size();
    std::vector<tarvel::TreeEdge> result;
    if (n == 0) return result;
    tarvel::DisjointSet sets(n);
    const auto find = [&](std::size_t x) { return static_cast<std::size_t>(sets.find(static_cast<int>(x))); };
    while (result.size() < n - 1) {
        std::vector<tarvel::TreeEdge> cheapest(n, {tarvel::NoNode, tarvel::NoNode, tarvel::kUnreached});
        for (std::size_t i = 0; i < n; ++i) {
            for (const auto& [v, w] : g.neighbours(i)) {
                const std::size_t ri = find(i), rv = find(v);
                if (ri != rv && cheapest[ri].weight > w) cheapest[ri] = {i, v, static_cast<double>(w)};
            }
        }
        const std::size_t before = result.size();
        for (const auto& pick : cheapest) {
            if (pick.from == tarvel::NoNode || find(pick.from) == find(pick.to)) continue;
            result.push_back(pick);
            sets.unite(static_cast<int>(pick.from), static_cast<int>(pick.to));
        }
        if (result.size() == before) break;
    }
    return result;
}

}  // namespace testing_support
