// Strongly connected components of a directed graph, by Tarjan's single pass
// or Kosaraju's two passes. Both run on explicit stacks of (node, position
// in its list), so a path-shaped graph of any length needs no recursion.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "interrupt.hpp"
#include "method_checks.hpp"
#include "store.hpp"

namespace tarvel {

// Tarjan's algorithm, roots tried in index order, entries in adjacency
// order. Result: components in reverse topological order of the component
// graph (each after every component it reaches); inside a component the
// nodes as they leave Tarjan's stack, the most recently discovered first and
// the root last. Errors: none (any graph is read as directed).
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
std::vector<IndexPath> tarjanComponents(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    constexpr std::size_t Undiscovered = NoNode;
    std::vector<std::size_t> disc(n, Undiscovered), low(n, Undiscovered);
    std::vector<bool> onStack(n, false);
    std::vector<NodeIndex> stack;
    std::vector<std::pair<NodeIndex, std::size_t>> calls;  // (node, next entry)
    std::size_t time = 0;
    std::vector<IndexPath> result;

    const auto discover = [&](NodeIndex u) {
        disc[u] = low[u] = ++time;
        stack.push_back(u);
        onStack[u] = true;
        calls.emplace_back(u, 0);
    };

    detail::Checkpoint checkpoint;
    for (NodeIndex i = 0; i < n; ++i) {
        if (disc[i] != Undiscovered) continue;
        discover(i);
        while (!calls.empty()) {
            checkpoint();
            const NodeIndex u = calls.back().first;
            const std::size_t position = calls.back().second;
            const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
            if (position < entries.size()) {
                ++calls.back().second;
                const NodeIndex v = entries[position].target;
                if (disc[v] == Undiscovered) {
                    discover(v);
                } else if (onStack[v]) {
                    low[u] = std::min(low[u], disc[v]);
                }
                continue;
            }
            if (low[u] == disc[u]) {
                IndexPath component;
                NodeIndex x;
                do {
                    x = stack.back();
                    stack.pop_back();
                    onStack[x] = false;
                    component.push_back(x);
                } while (x != u);
                result.push_back(std::move(component));
            }
            calls.pop_back();
            if (!calls.empty()) {
                const NodeIndex parent = calls.back().first;
                low[parent] = std::min(low[parent], low[u]);
            }
        }
    }
    return result;
}

// Kosaraju's algorithm: a first depth-first pass along stored entries
// records finishing order; the second pass takes nodes latest-finished
// first and collects, over reversed entries, what it reaches.
// Result: components in topological order of the component graph (each
// before every component it reaches); inside a component depth-first
// pre-order over reversed entries from its latest-finishing node.
// Errors: none. Cost: O(V + E) time and memory (the reversed entries).
template <class T, class W>
std::vector<IndexPath> kosarajuComponents(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<bool> visited(n, false);
    std::vector<NodeIndex> finishStack;
    std::vector<std::pair<NodeIndex, std::size_t>> calls;

    detail::Checkpoint checkpoint;
    for (NodeIndex i = 0; i < n; ++i) {
        if (visited[i]) continue;
        visited[i] = true;
        calls.emplace_back(i, 0);
        while (!calls.empty()) {
            checkpoint();
            const NodeIndex u = calls.back().first;
            const std::size_t position = calls.back().second;
            const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
            if (position == entries.size()) {
                finishStack.push_back(u);
                calls.pop_back();
                continue;
            }
            ++calls.back().second;
            const NodeIndex v = entries[position].target;
            if (!visited[v]) {
                visited[v] = true;
                calls.emplace_back(v, 0);
            }
        }
    }

    // Reversed entries as one flat array per node (offsets/targets), in the
    // order of the stored entries.
    std::vector<std::size_t> offset(n + 1, 0);
    for (NodeIndex u = 0; u < n; ++u)
        for (const auto& entry : g.neighbors(u)) ++offset[entry.target + 1];
    for (NodeIndex u = 0; u < n; ++u) offset[u + 1] += offset[u];
    std::vector<NodeIndex> transposed(offset[n]);
    {
        std::vector<std::size_t> fill(offset.begin(), offset.end() - 1);
        for (NodeIndex u = 0; u < n; ++u)
            for (const auto& entry : g.neighbors(u)) transposed[fill[entry.target]++] = u;
    }

    std::fill(visited.begin(), visited.end(), false);
    std::vector<IndexPath> result;
    while (!finishStack.empty()) {
        const NodeIndex root = finishStack.back();
        finishStack.pop_back();
        if (visited[root]) continue;
        IndexPath component{root};
        visited[root] = true;
        calls.emplace_back(root, offset[root]);
        while (!calls.empty()) {
            checkpoint();
            const NodeIndex u = calls.back().first;
            const std::size_t position = calls.back().second;
            if (position == offset[u + 1]) {
                calls.pop_back();
                continue;
            }
            ++calls.back().second;
            const NodeIndex v = transposed[position];
            if (!visited[v]) {
                visited[v] = true;
                component.push_back(v);
                calls.emplace_back(v, offset[v]);
            }
        }
        result.push_back(std::move(component));
    }
    return result;
}

// Strongly connected components by `method`, in that method's order.
// Errors: std::runtime_error "implemented only for directed graph" for an
// undirected graph (checked first); checkMethod's std::runtime_error for a
// value that is no member of SCCAlgo ("V is not an SCCAlgo: use TARJAN or
// KOSARAJU"). Cost: O(V + E).
template <class T, class W>
std::vector<IndexPath> stronglyConnectedComponents(const GraphView<T, W>& g, SCCAlgo method = SCCAlgo::TARJAN) {
    if (!g.isDirected()) throw std::runtime_error("implemented only for directed graph");
    checkMethod(method);
    switch (method) {
        case SCCAlgo::TARJAN:
            return tarjanComponents(g);
        case SCCAlgo::KOSARAJU:
            return kosarajuComponents(g);
    }
    return {};  // not reached: checkMethod lets members only through
}

}  // namespace tarvel
