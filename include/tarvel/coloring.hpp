// Colorings: the greedy first-fit node coloring, the bipartiteness test and
// the greedy first-fit edge coloring.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "detail/hash_table.hpp"
#include "detail/undirected_lists.hpp"
#include "interrupt.hpp"
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
    detail::Checkpoint checkpoint;
    for (NodeIndex i = 0; i < n; ++i) {
        checkpoint(g.neighbors(i).size() + 1);
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
    detail::Checkpoint checkpoint;
    for (NodeIndex s = 0; s < n && ok; ++s) {
        if (side[s] >= 0) continue;
        side[s] = 0;
        queue.assign(1, s);
        for (std::size_t head = 0; head < queue.size() && ok; ++head) {
            const NodeIndex u = queue[head];
            checkpoint(g.neighbors(u).size() + 1);
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

namespace detail {

// The colors around each node, as the edge coloring looks them up: each
// entry u -> l of u's list shows the color of the key (u, l) if that is
// colored, else of (l, u). Counts per (node, color) pair follow entries as
// keys are colored and recolored; `mex` is each node's smallest free color.
class ColorsAround {
public:
    explicit ColorsAround(std::size_t nodes) : mex(nodes, 1) {}

    bool used(NodeIndex node, std::uint32_t color) const {
        const std::uint32_t* count = counts.find(node, color);
        return count != nullptr && *count > 0;
    }

    void add(NodeIndex node, std::uint32_t color, std::uint32_t entries) {
        std::uint32_t& count = *counts.insert(node, color, 0).first;
        count += entries;
        if (color == mex[node])
            while (used(node, mex[node])) ++mex[node];
    }

    void remove(NodeIndex node, std::uint32_t color, std::uint32_t entries) {
        std::uint32_t& count = *counts.insert(node, color, 0).first;
        count -= entries;
        if (count == 0 && color < mex[node]) mex[node] = color;
    }

    // The smallest color from `from` up that is free at `node`.
    std::uint32_t nextFree(NodeIndex node, std::uint32_t from) const {
        std::uint32_t color = std::max(from, mex[node]);
        while (used(node, color)) ++color;
        return color;
    }

    // The smallest color free at both nodes: alternate between them, each
    // step jumping past the colors the other holds.
    std::uint32_t smallestFree(NodeIndex a, NodeIndex b) const {
        std::uint32_t color = 1;
        for (;;) {
            color = nextFree(a, color);
            if (!used(b, color)) return color;
            color = nextFree(b, color);
            if (!used(a, color)) return color;
        }
    }

private:
    PairTable<std::uint32_t> counts;
    std::vector<std::uint32_t> mex;
};

}  // namespace detail

// Greedy first-fit edge colors 1, 2, 3, ...: entries are taken in node-index
// and adjacency order (an undirected edge from its lower-indexed end only)
// and each gets the smallest color not shown at either end: at a node u,
// every entry u -> l shows the color of the key (u, l) if that is colored,
// else of (l, u). A repeated key takes a new color each time it comes up,
// overwriting the old one.
// Result: one element per distinct key, in the order keys were first
// colored. Errors: none.
// Cost: O(E × smaller degree of an edge's ends) time at worst, expected
// O(E) hash look-ups on graphs of bounded degree and on stars; O(E) memory.
template <class T, class W>
std::vector<EdgeColor> edgeColors(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    // How many entries of u's list lead to v, for every ordered pair.
    detail::PairTable<std::uint32_t> entries;
    detail::Checkpoint checkpoint;
    for (NodeIndex u = 0; u < n; ++u) {
        for (const auto& entry : g.neighbors(u)) {
            checkpoint(4);
            ++*entries.insert(u, entry.target, 0).first;
        }
    }
    const auto entriesOf = [&](NodeIndex u, NodeIndex v) {
        const std::uint32_t* count = entries.find(u, v);
        return count == nullptr ? 0u : *count;
    };

    std::vector<EdgeColor> colored;       // in order of first coloring
    detail::PairTable<std::size_t> slot;  // key -> position in `colored`
    detail::ColorsAround around(n);

    for (NodeIndex i = 0; i < n; ++i) {
        for (const auto& entry : g.neighbors(i)) {
            const NodeIndex b = entry.target;
            if (!g.isDirected() && b < i) continue;
            checkpoint(8);
            const std::uint32_t color = around.smallestFree(i, b);
            // The entries i -> b always show the key (i, b); the entries
            // b -> i show it unless (b, i) is a key of its own.
            const std::uint32_t fromI = entriesOf(i, b);
            const std::uint32_t fromB = i == b ? 0 : entriesOf(b, i);
            const std::size_t* reverse = i == b ? nullptr : slot.find(b, i);
            const bool reverseIsKey = reverse != nullptr;
            const auto reverseColor = reverseIsKey ? static_cast<std::uint32_t>(colored[*reverse].color) : 0u;
            const auto inserted = slot.insert(i, b, colored.size());  // may move the table: `reverse` is done
            if (inserted.second) {
                colored.push_back({i, b, static_cast<int>(color)});
                if (reverseIsKey) around.remove(i, reverseColor, fromI);
                around.add(i, color, fromI);
                if (!reverseIsKey && fromB > 0) around.add(b, color, fromB);
            } else {
                EdgeColor& key = colored[*inserted.first];
                const auto old = static_cast<std::uint32_t>(key.color);
                key.color = static_cast<int>(color);
                around.remove(i, old, fromI);
                around.add(i, color, fromI);
                if (!reverseIsKey && fromB > 0) {
                    around.remove(b, old, fromB);
                    around.add(b, color, fromB);
                }
            }
        }
    }
    return colored;
}

}  // namespace tarvel
