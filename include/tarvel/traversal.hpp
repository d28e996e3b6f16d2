// Traversal and structure: depth-first order, connected components, cycle
// test, greedy node and edge colourings, strongly connected components.
// Every search keeps its own stack, so path-shaped graphs of any length are
// handled without deep recursion.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "graph.hpp"

namespace tarvel {

template <class T, class W>
IndexPath Graph<T, W>::dfsOrder(NodeIndex start) const {
    if (start >= nodeCount) throw std::out_of_range("node index out of range");
    std::vector<bool> visited(nodeCount, false);
    std::vector<NodeIndex> stack{start};
    visited[start] = true;
    IndexPath order;
    while (!stack.empty()) {
        const NodeIndex u = stack.back();
        stack.pop_back();
        order.push_back(u);
        for (const auto& entry : adjacency[u]) {
            if (!visited[entry.first]) {
                visited[entry.first] = true;
                stack.push_back(entry.first);
            }
        }
    }
    return order;
}

template <class T, class W>
typename Graph<T, W>::NameList Graph<T, W>::iterativeDFS(T start) const {
    return indicesToNames(dfsOrder(indexOf(start)));
}

template <class T, class W>
std::vector<IndexPath> Graph<T, W>::componentIndices() const {
    std::vector<bool> visited(nodeCount, false);
    std::vector<IndexPath> components;
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        if (visited[i]) continue;
        // The breadth-first queue, read from `head`, is the component itself.
        IndexPath queue{i};
        visited[i] = true;
        for (std::size_t head = 0; head < queue.size(); ++head) {
            for (const auto& entry : adjacency[queue[head]]) {
                if (!visited[entry.first]) {
                    visited[entry.first] = true;
                    queue.push_back(entry.first);
                }
            }
        }
        components.push_back(std::move(queue));
    }
    return components;
}

template <class T, class W>
std::vector<typename Graph<T, W>::NameList> Graph<T, W>::connectedComponents() const {
    std::vector<NameList> result;
    for (const auto& component : componentIndices()) result.push_back(indicesToNames(component));
    return result;
}

template <class T, class W>
bool Graph<T, W>::hasCycle() const {
    std::vector<bool> visited(nodeCount, false);
    std::vector<bool> onPath(nodeCount, false);
    std::vector<std::pair<NodeIndex, std::size_t>> stack;  // (node, next entry)
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        if (visited[i]) continue;
        visited[i] = onPath[i] = true;
        stack.emplace_back(i, 0);
        while (!stack.empty()) {
            const NodeIndex u = stack.back().first;
            const std::size_t position = stack.back().second;
            if (position == adjacency[u].size()) {
                onPath[u] = false;
                stack.pop_back();
                continue;
            }
            ++stack.back().second;
            const NodeIndex v = adjacency[u][position].first;
            if (visited[v]) {
                if (onPath[v]) return true;
                continue;
            }
            visited[v] = onPath[v] = true;
            stack.emplace_back(v, 0);
        }
    }
    return false;
}

template <class T, class W>
std::vector<int> Graph<T, W>::greedyColors() const {
    std::vector<int> colors(nodeCount, -1);
    // usedBy[c] == i marks colour c as taken by a neighbour of node i.
    std::vector<NodeIndex> usedBy(nodeCount + 1, NoNode);
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        for (const auto& entry : adjacency[i]) {
            const int c = colors[entry.first];
            if (c != -1) usedBy[static_cast<std::size_t>(c)] = i;
        }
        std::size_t j = 0;
        while (usedBy[j] == i) ++j;
        colors[i] = static_cast<int>(j);
    }
    return colors;
}

template <class T, class W>
std::unordered_map<T, int> Graph<T, W>::nodeColoring() const {
    const std::vector<int> colors = greedyColors();
    std::unordered_map<T, int> result;
    for (NodeIndex i = 0; i < nodeCount; ++i) result[indexNode[i]] = colors[i];
    return result;
}

template <class T, class W>
bool Graph<T, W>::isBipartite() const {
    // Greedy colours are contiguous from 0, so at most two distinct colours
    // means no colour above 1.
    const std::vector<int> colors = greedyColors();
    return std::all_of(colors.begin(), colors.end(), [](int c) { return c <= 1; });
}

template <class T, class W>
typename Graph<T, W>::EdgeColourList Graph<T, W>::edgeColorList() const {
    using Key = std::pair<NodeIndex, NodeIndex>;
    EdgeColourList coloured;                               // in order of first colouring
    detail::PairTable<std::size_t> slot;                   // key -> position in `coloured`
    std::vector<std::size_t> usedBy;                       // usedBy[c] == stamp: colour c taken
    std::size_t stamp = 0;

    const auto colourOf = [&](NodeIndex a, NodeIndex b) -> int {
        const std::size_t* found = slot.find(Key(a, b));
        if (found == nullptr) found = slot.find(Key(b, a));
        return found == nullptr ? 0 : coloured[*found].second;
    };
    const auto markAround = [&](NodeIndex node) {
        for (const auto& entry : adjacency[node]) {
            const int c = colourOf(node, entry.first);
            if (c == 0) continue;
            const auto index = static_cast<std::size_t>(c);
            if (index >= usedBy.size()) usedBy.resize(index + 1, 0);
            usedBy[index] = stamp;
        }
    };

    for (NodeIndex i = 0; i < nodeCount; ++i) {
        for (const auto& entry : adjacency[i]) {
            const NodeIndex b = entry.first;
            if (!directed && b < i) continue;
            ++stamp;
            markAround(i);
            markAround(b);
            std::size_t j = 1;
            while (j < usedBy.size() && usedBy[j] == stamp) ++j;
            const auto inserted = slot.insert(Key(i, b), coloured.size());
            if (inserted.second) {
                coloured.emplace_back(Key(i, b), static_cast<int>(j));
            } else {
                coloured[*inserted.first].second = static_cast<int>(j);
            }
        }
    }
    return coloured;
}

template <class T, class W>
std::unordered_map<std::pair<T, T>, int, PairHash> Graph<T, W>::edgeColoring() const {
    std::unordered_map<std::pair<T, T>, int, PairHash> result;
    for (const auto& item : edgeColorList()) {
        result[{indexNode[item.first.first], indexNode[item.first.second]}] = item.second;
    }
    return result;
}

template <class T, class W>
std::vector<IndexPath> Graph<T, W>::tarjanComponents() const {
    constexpr std::size_t unset = NoNode;
    std::vector<std::size_t> disc(nodeCount, unset), low(nodeCount, unset);
    std::vector<bool> onStack(nodeCount, false);
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

    for (NodeIndex i = 0; i < nodeCount; ++i) {
        if (disc[i] != unset) continue;
        discover(i);
        while (!calls.empty()) {
            const NodeIndex u = calls.back().first;
            const std::size_t position = calls.back().second;
            if (position < adjacency[u].size()) {
                ++calls.back().second;
                const NodeIndex v = adjacency[u][position].first;
                if (disc[v] == unset) {
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

template <class T, class W>
std::vector<IndexPath> Graph<T, W>::kosarajuComponents() const {
    std::vector<bool> visited(nodeCount, false);
    std::vector<NodeIndex> finishStack;
    std::vector<std::pair<NodeIndex, std::size_t>> calls;

    // First pass: finishing order along the stored edges.
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        if (visited[i]) continue;
        visited[i] = true;
        calls.emplace_back(i, 0);
        while (!calls.empty()) {
            const NodeIndex u = calls.back().first;
            const std::size_t position = calls.back().second;
            if (position == adjacency[u].size()) {
                finishStack.push_back(u);
                calls.pop_back();
                continue;
            }
            ++calls.back().second;
            const NodeIndex v = adjacency[u][position].first;
            if (!visited[v]) {
                visited[v] = true;
                calls.emplace_back(v, 0);
            }
        }
    }

    // Reversed edges as one flat array per source node (offsets/targets),
    // filled in the order of the stored edges.
    std::vector<std::size_t> offset(nodeCount + 1, 0);
    for (NodeIndex u = 0; u < nodeCount; ++u) {
        for (const auto& entry : adjacency[u]) ++offset[entry.first + 1];
    }
    for (NodeIndex u = 0; u < nodeCount; ++u) offset[u + 1] += offset[u];
    std::vector<NodeIndex> transposed(offset[nodeCount]);
    {
        std::vector<std::size_t> fill(offset.begin(), offset.end() - 1);
        for (NodeIndex u = 0; u < nodeCount; ++u) {
            for (const auto& entry : adjacency[u]) transposed[fill[entry.first]++] = u;
        }
    }

    // Second pass: pre-order over the reversed edges, latest finisher first.
    std::fill(visited.begin(), visited.end(), false);
    std::vector<IndexPath> result;
    while (!finishStack.empty()) {
        const NodeIndex g = finishStack.back();
        finishStack.pop_back();
        if (visited[g]) continue;
        IndexPath component{g};
        visited[g] = true;
        calls.emplace_back(g, offset[g]);
        while (!calls.empty()) {
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

template <class T, class W>
std::vector<IndexPath> Graph<T, W>::sccIndices(SCCAlgo method) const {
    if (!directed) throw std::runtime_error("implemented only for directed graph");
    switch (method) {
        case SCCAlgo::TARJAN:
            return tarjanComponents();
        case SCCAlgo::KOSARAJU:
            return kosarajuComponents();
    }
    throw std::runtime_error("wrong method!!!");
}

template <class T, class W>
std::vector<typename Graph<T, W>::NameList> Graph<T, W>::stronglyConnectedComponents(SCCAlgo method) const {
    std::vector<NameList> result;
    for (const auto& component : sccIndices(method)) result.push_back(indicesToNames(component));
    return result;
}

}  // namespace tarvel
