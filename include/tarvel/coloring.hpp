// Colorings: the greedy first-fit node coloring, the bipartiteness test and
// the greedy first-fit edge coloring.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "detail/hash_table.hpp"
#include "detail/undirected_lists.hpp"
#include "store.hpp"

namespace tarvel {

// Greedy first-fit node colors 0, 1, 2, ... by node index: nodes are taken
// in index order and each gets the smallest color not held by an already
// colored node in its own adjacency list. Proper on undirected graphs; in a
// directed graph a node avoids only its colored out-neighbors.
// Result: one color per node index. Errors: none.
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
std::vector<int> greedyNodeColors(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<int> colors(n, -1);
    // usedBy[c] == i marks color c as taken by a neighbor of node i.
    std::vector<NodeIndex> usedBy(n + 1, NoNode);
    for (NodeIndex i = 0; i < n; ++i) {
        for (const auto& entry : g.neighbors(i)) {
            const int c = colors[entry.target];
            if (c != -1) usedBy[static_cast<std::size_t>(c)] = i;
        }
        std::size_t j = 0;
        while (usedBy[j] == i) ++j;
        colors[i] = static_cast<int>(j);
    }
    return colors;
}

// Whether the graph, taken as undirected, has no cycle of odd length: its
// nodes can be split into two sides with every edge between them. A
// self-loop is a cycle of length one, so any self-loop gives false.
// Errors: none. Cost: O(V + E) time; O(V) memory, plus O(E) for the
// reversed entries of a directed graph.
template <class T, class W>
bool isBipartite(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    const detail::UndirectedNeighbors<T, W> lists(g);
    std::vector<std::int8_t> side(n, -1);
    std::vector<NodeIndex> queue;
    queue.reserve(n);
    bool ok = true;
    for (NodeIndex s = 0; s < n && ok; ++s) {
        if (side[s] >= 0) continue;
        side[s] = 0;
        queue.assign(1, s);
        for (std::size_t head = 0; head < queue.size() && ok; ++head) {
            const NodeIndex u = queue[head];
            lists.forEach(u, [&](NodeIndex v, const W&, bool) {
                if (side[v] < 0) {
                    side[v] = static_cast<std::int8_t>(1 - side[u]);
                    queue.push_back(v);
                } else if (side[v] == side[u]) {
                    ok = false;  // an odd cycle (a self-loop included)
                }
            });
        }
    }
    return ok;
}

// One colored edge: the key (lower index, higher index) of an undirected
// edge or (source, target) of a directed one, and its color.
struct EdgeColor {
    NodeIndex source;
    NodeIndex target;
    int color;
};

// Greedy first-fit edge colors 1, 2, 3, ...: entries are taken in node-index
// and adjacency order (an undirected edge from its lower-indexed end only)
// and each gets the smallest color not held by a colored edge in either
// end's adjacency list, under either key orientation. A repeated key takes a
// new color each time it comes up, overwriting the old one.
// Result: one element per distinct key, in the order keys were first
// colored. Errors: none.
// Cost: O(E × largest degree) time, O(E) memory.
template <class T, class W>
std::vector<EdgeColor> edgeColors(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<EdgeColor> colored;               // in order of first coloring
    detail::PairTable<std::size_t> slot;          // key -> position in `colored`
    std::vector<std::size_t> usedBy;              // usedBy[c] == stamp: color c taken
    std::size_t stamp = 0;

    const auto colorOf = [&](NodeIndex a, NodeIndex b) -> int {
        const std::size_t* found = slot.find(a, b);
        if (found == nullptr) found = slot.find(b, a);
        return found == nullptr ? 0 : colored[*found].color;
    };
    const auto markAround = [&](NodeIndex node) {
        for (const auto& entry : g.neighbors(node)) {
            const int c = colorOf(node, entry.target);
            if (c == 0) continue;
            const auto index = static_cast<std::size_t>(c);
            if (index >= usedBy.size()) usedBy.resize(index + 1, 0);
            usedBy[index] = stamp;
        }
    };

    for (NodeIndex i = 0; i < n; ++i) {
        for (const auto& entry : g.neighbors(i)) {
            const NodeIndex b = entry.target;
            if (!g.isDirected() && b < i) continue;
            ++stamp;
            markAround(i);
            markAround(b);
            std::size_t j = 1;
            while (j < usedBy.size() && usedBy[j] == stamp) ++j;
            const auto inserted = slot.insert(i, b, colored.size());
            if (inserted.second) {
                colored.push_back({i, b, static_cast<int>(j)});
            } else {
                colored[*inserted.first].color = static_cast<int>(j);
            }
        }
    }
    return colored;
}

}  // namespace tarvel
