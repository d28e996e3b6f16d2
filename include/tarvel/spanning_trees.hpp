// Spanning trees: the minimumSpanningTree front end, the union-find shared by
// Kruskal and Borůvka, and the three algorithms.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "graph.hpp"

namespace tarvel {

// Union-find over node indices: union by size, full path compression. A
// negative parent entry marks a root and holds minus the size of its set.
class DisjointSet {
public:
    explicit DisjointSet(std::size_t count) {
        if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            throw std::length_error("too many nodes for a spanning tree");
        }
        elements = static_cast<std::int32_t>(count);
        parent.assign(count, -1);
    }

    std::int32_t find(std::int32_t x) {
        std::int32_t root = x;
        while (parent[root] >= 0) root = parent[root];
        while (parent[x] >= 0) {
            const std::int32_t next = parent[x];
            parent[x] = root;
            x = next;
        }
        return root;
    }

    // On equal sizes the root of `a` stays the root.
    void unite(std::int32_t a, std::int32_t b) {
        const std::int32_t ra = find(a);
        const std::int32_t rb = find(b);
        if (ra == rb) return;
        if (-parent[ra] >= -parent[rb]) {
            parent[ra] += parent[rb];
            parent[rb] = ra;
        } else {
            parent[rb] += parent[ra];
            parent[ra] = rb;
        }
    }

    std::int32_t size() const noexcept { return elements; }

private:
    std::int32_t elements = 0;
    std::vector<std::int32_t> parent;
};

template <class T, class W>
std::vector<Edge<T, W>> Graph<T, W>::minimumSpanningTree(MSTAlgo method) const {
    std::vector<TreeEdge> tree;
    switch (method) {
        case MSTAlgo::KRUSKAL:
            tree = kruskal();
            break;
        case MSTAlgo::PRIM:
            tree = prim();
            break;
        case MSTAlgo::BORUVKA:
            tree = boruvka();
            break;
        default:
            throw std::runtime_error("wrong method!!!");
    }
    std::vector<Edge<T, W>> result;
    result.reserve(tree.size());
    for (const TreeEdge& e : tree) {
        result.emplace_back(indexNode[e.from], indexNode[e.to], static_cast<W>(e.weight));
    }
    return result;
}

// Candidates sorted by (weight, from, to); each joins two trees or is skipped.
// In an undirected graph the entry (w, v, u) with v > u always sorts after its
// twin (w, u, v) and finds u and v joined by then, and self-loops never join
// anything, so only entries with from < to are sorted.
template <class T, class W>
std::vector<TreeEdge> Graph<T, W>::kruskal() const {
    struct Candidate {
        double weight;
        NodeIndex from;
        NodeIndex to;
        bool operator<(const Candidate& o) const {
            if (weight != o.weight) return weight < o.weight;
            if (from != o.from) return from < o.from;
            return to < o.to;
        }
    };
    std::vector<Candidate> candidates;
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        for (const auto& entry : adjacency[i]) {
            if (entry.first == i || (!directed && entry.first < i)) continue;
            candidates.push_back({entry.second, i, entry.first});
        }
    }
    std::sort(candidates.begin(), candidates.end());
    DisjointSet sets(nodeCount);
    std::vector<TreeEdge> result;
    for (const Candidate& c : candidates) {
        const auto u = static_cast<std::int32_t>(c.from);
        const auto v = static_cast<std::int32_t>(c.to);
        if (sets.find(u) == sets.find(v)) continue;
        result.push_back({c.from, c.to, c.weight});
        sets.unite(u, v);
    }
    return result;
}

// Prim from node 0 with a lazy binary heap ordered by key alone; ties among
// equal keys are whatever push_heap/pop_heap make of them.
template <class T, class W>
std::vector<TreeEdge> Graph<T, W>::prim() const {
    std::vector<TreeEdge> result;
    if (nodeCount == 0) return result;
    std::vector<bool> inTree(nodeCount, false);
    std::vector<double> key(nodeCount, kUnreached);
    std::vector<NodeIndex> prev(nodeCount, NoNode);
    const auto heavier = [](const std::pair<NodeIndex, double>& a, const std::pair<NodeIndex, double>& b) {
        return a.second > b.second;
    };
    std::vector<std::pair<NodeIndex, double>> heap{{0, 0.0}};
    key[0] = 0.0;
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), heavier);
        const NodeIndex u = heap.back().first;
        heap.pop_back();
        if (inTree[u]) continue;
        inTree[u] = true;
        if (prev[u] != NoNode) result.push_back({prev[u], u, key[u]});
        for (const auto& entry : adjacency[u]) {
            const NodeIndex v = entry.first;
            if (!inTree[v] && entry.second < key[v]) {
                prev[v] = u;
                key[v] = entry.second;
                heap.emplace_back(v, entry.second);
                std::push_heap(heap.begin(), heap.end(), heavier);
            }
        }
    }
    return result;
}

// Borůvka: each phase lets every component's root slot pick its cheapest
// outgoing entry, then joins the picks in slot order. The loop ends with a
// spanning tree or, when a phase joins nothing, with the spanning forest.
template <class T, class W>
std::vector<TreeEdge> Graph<T, W>::boruvka() const {
    std::vector<TreeEdge> result;
    if (nodeCount == 0) return result;
    DisjointSet sets(nodeCount);
    std::vector<std::int32_t> root(nodeCount);
    std::vector<TreeEdge> cheapest;
    while (result.size() < nodeCount - 1) {
        // Roots do not change while picking, so each node's root is found once.
        for (NodeIndex i = 0; i < nodeCount; ++i) root[i] = sets.find(static_cast<std::int32_t>(i));
        cheapest.assign(nodeCount, TreeEdge{NoNode, NoNode, kUnreached});
        for (NodeIndex i = 0; i < nodeCount; ++i) {
            const std::int32_t ri = root[i];
            TreeEdge& slot = cheapest[static_cast<std::size_t>(ri)];
            for (const auto& entry : adjacency[i]) {
                if (ri != root[entry.first] && slot.weight > entry.second) {
                    slot = TreeEdge{i, entry.first, entry.second};
                }
            }
        }
        const std::size_t before = result.size();
        for (const TreeEdge& pick : cheapest) {
            if (pick.from == NoNode) continue;
            const auto a = static_cast<std::int32_t>(pick.from);
            const auto b = static_cast<std::int32_t>(pick.to);
            if (sets.find(a) == sets.find(b)) continue;
            result.push_back(pick);
            sets.unite(a, b);
        }
        if (result.size() == before) break;
    }
    return result;
}

}  // namespace tarvel
