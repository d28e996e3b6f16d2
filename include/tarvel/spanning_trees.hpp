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

private:
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
    // The union-find holds 32-bit indices, so both ends fit in one key.
    struct Candidate {
        double weight;
        std::uint64_t ends;  // from << 32 | to
        bool operator<(const Candidate& o) const { return weight != o.weight ? weight < o.weight : ends < o.ends; }
    };
    DisjointSet sets(nodeCount);
    std::vector<Candidate> candidates;
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        for (const auto& entry : adjacency[i]) {
            if (entry.first == i || (!directed && entry.first < i)) continue;
            candidates.push_back({static_cast<double>(entry.second), static_cast<std::uint64_t>(i) << 32 | entry.first});
        }
    }
    std::sort(candidates.begin(), candidates.end());
    std::vector<TreeEdge> result;
    for (const Candidate& c : candidates) {
        const auto u = static_cast<std::int32_t>(c.ends >> 32);
        const auto v = static_cast<std::int32_t>(c.ends & 0xffffffffu);
        if (sets.find(u) == sets.find(v)) continue;
        result.push_back({static_cast<NodeIndex>(u), static_cast<NodeIndex>(v), c.weight});
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

namespace detail {

// A pairing heap over the adjacency entries of a graph, numbered in node and
// list order, ordered by (weight, number): the first entry met among the
// lightest comes first. Heaps are melded when their components join.
class EntryHeaps {
public:
    static constexpr std::size_t none = NoNode;

    explicit EntryHeaps(const std::vector<double>& weight)
        : weight(weight), child(weight.size(), none), sibling(weight.size(), none) {}

    std::size_t meld(std::size_t a, std::size_t b) {
        if (a == none) return b;
        if (b == none) return a;
        if (before(b, a)) std::swap(a, b);
        sibling[b] = child[a];
        child[a] = b;
        return a;
    }

    // Removes the top entry `root`; returns the new top.
    std::size_t pop(std::size_t root) {
        pairs.clear();
        for (std::size_t first = child[root]; first != none;) {
            const std::size_t second = sibling[first];
            sibling[first] = none;
            if (second == none) {
                pairs.push_back(first);
                break;
            }
            const std::size_t next = sibling[second];
            sibling[second] = none;
            pairs.push_back(meld(first, second));
            first = next;
        }
        child[root] = none;
        std::size_t top = none;
        for (std::size_t k = pairs.size(); k-- > 0;) top = meld(pairs[k], top);
        return top;
    }

private:
    bool before(std::size_t a, std::size_t b) const {
        return weight[a] != weight[b] ? weight[a] < weight[b] : a < b;
    }

    const std::vector<double>& weight;
    std::vector<std::size_t> child, sibling, pairs;
};

}  // namespace detail

// Borůvka: in each phase every component picks its cheapest entry leading to
// another component (the first met, in node and list order, among the
// lightest), then the picks are joined in the order of the components' root
// indices; a pick whose ends were joined earlier in the phase is dropped. The
// loop ends with a spanning tree or, when a phase joins nothing, with the
// spanning forest collected so far.
//
// The first phases scan the entries, dropping those that have become internal
// to a component (they never lead out again). A graph that needs many phases
// joins few components per phase (a directed star joins one), so after
// 2 log2(V) + 8 phases each component keeps its remaining entries in a heap
// instead, and only components with outgoing entries take part. Both ways
// make the same picks; the heaps bound the whole at O(E log E).
template <class T, class W>
std::vector<TreeEdge> Graph<T, W>::boruvka() const {
    std::vector<TreeEdge> result;
    if (nodeCount == 0) return result;
    constexpr std::size_t none = detail::EntryHeaps::none;

    std::vector<NodeIndex> owner, target;
    std::vector<double> weight;
    for (NodeIndex i = 0; i < nodeCount; ++i) {
        for (const auto& entry : adjacency[i]) {
            // A self-loop never leads out of its component; a weight that is
            // not below the "no pick" marker could never be picked.
            if (entry.first == i || !(entry.second < kUnreached)) continue;
            owner.push_back(i);
            target.push_back(entry.first);
            weight.push_back(entry.second);
        }
    }
    DisjointSet sets(nodeCount);
    const auto rootOf = [&](NodeIndex node) {
        return static_cast<NodeIndex>(sets.find(static_cast<std::int32_t>(node)));
    };
    // Joins the picks (root, entry), sorted by root; returns how many joined.
    const auto join = [&](const std::vector<std::pair<NodeIndex, std::size_t>>& picks, auto&& joined) {
        std::size_t count = 0;
        for (const auto& pick : picks) {
            const std::size_t e = pick.second;
            const NodeIndex ra = rootOf(owner[e]), rb = rootOf(target[e]);
            if (ra == rb) continue;
            result.push_back({owner[e], target[e], weight[e]});
            sets.unite(static_cast<std::int32_t>(owner[e]), static_cast<std::int32_t>(target[e]));
            joined(ra, rb, rootOf(ra));
            ++count;
        }
        return count;
    };
    std::vector<std::pair<NodeIndex, std::size_t>> picks;

    // ---- scanning phases
    std::size_t scanningPhases = 8;
    for (std::size_t n = nodeCount; n > 1; n /= 2) scanningPhases += 2;
    std::vector<NodeIndex> root(nodeCount);
    std::vector<std::size_t> slot(nodeCount, none);
    for (std::size_t phase = 0; phase < scanningPhases; ++phase) {
        if (result.size() >= nodeCount - 1) return result;
        for (NodeIndex i = 0; i < nodeCount; ++i) root[i] = rootOf(i);
        picks.clear();
        std::size_t kept = 0;
        for (std::size_t e = 0; e < owner.size(); ++e) {
            const NodeIndex ri = root[owner[e]];
            if (ri == root[target[e]]) continue;  // internal from now on
            owner[kept] = owner[e];
            target[kept] = target[e];
            weight[kept] = weight[e];
            std::size_t& best = slot[ri];
            if (best == none) picks.emplace_back(ri, kept);
            if (best == none || weight[best] > weight[kept]) best = kept;
            ++kept;
        }
        owner.resize(kept);
        target.resize(kept);
        weight.resize(kept);
        for (auto& pick : picks) {
            pick.second = slot[pick.first];
            slot[pick.first] = none;
        }
        std::sort(picks.begin(), picks.end());
        if (join(picks, [](NodeIndex, NodeIndex, NodeIndex) {}) == 0) return result;
    }

    // ---- heap phases
    detail::EntryHeaps heaps(weight);
    std::vector<std::size_t> top(nodeCount, none);  // heap of each component root
    for (std::size_t e = 0; e < owner.size(); ++e) {
        const NodeIndex r = rootOf(owner[e]);
        top[r] = heaps.meld(top[r], e);
    }
    std::vector<NodeIndex> live;  // roots whose component may still have outgoing entries
    for (NodeIndex i = 0; i < nodeCount; ++i)
        if (top[i] != none) live.push_back(i);
    const auto meldHeaps = [&](NodeIndex ra, NodeIndex rb, NodeIndex joinedRoot) {
        const std::size_t melded = heaps.meld(top[ra], top[rb]);
        top[ra] = top[rb] = none;
        top[joinedRoot] = melded;
    };
    while (result.size() < nodeCount - 1) {
        picks.clear();
        for (const NodeIndex r : live) {
            std::size_t& best = top[r];
            while (best != none && rootOf(target[best]) == r) best = heaps.pop(best);
            if (best != none) picks.emplace_back(r, best);
        }
        std::sort(picks.begin(), picks.end());
        if (join(picks, meldHeaps) == 0) break;
        std::vector<NodeIndex> next;
        for (const auto& pick : picks) {
            const NodeIndex r = rootOf(pick.first);
            if (top[r] != none) next.push_back(r);
        }
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        live.swap(next);
    }
    return result;
}

}  // namespace tarvel
