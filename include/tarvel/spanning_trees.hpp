// Minimum spanning trees and forests: Kruskal, Prim and Borůvka, and the
// dispatcher over them. Each reads the graph as undirected (a directed edge
// joins its ends like any other) and returns TreeEdge records carrying the
// weight as stored, each in the direction in which the graph stores it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "detail/binary_heap.hpp"
#include "detail/builtins.hpp"
#include "detail/pairing_heap.hpp"
#include "detail/radix_sort.hpp"
#include "detail/undirected_lists.hpp"
#include "detail/union_find.hpp"
#include "interrupt.hpp"
#include "method_checks.hpp"
#include "store.hpp"
#include "traversal.hpp"

namespace tarvel {

namespace detail {
inline constexpr std::uint32_t NoPrev = ~std::uint32_t{0};
}  // namespace detail

// Kruskal's algorithm: candidates sorted by (weight, source index, target
// index), each kept when it joins two trees, until the forest is complete.
// In an undirected graph the entry from the lower-indexed end is the one
// kept, so a returned edge's source is its first-added end.
// Result: a minimum spanning forest of the graph taken as undirected (every
// component), in ascending (weight, source, target) order.
// Errors: std::length_error for 2^31 nodes or more.
// Cost: O(E log E) time, O(E) for integer weights; O(V + E) memory.
template <class T, class W>
std::vector<TreeEdge<W>> kruskal(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    struct Candidate {
        W weight;
        std::uint32_t source;
        std::uint32_t target;
    };
    detail::DisjointSet sets(n);
    // In an undirected graph the entry (w, v, u) with v > u sorts after its
    // twin (w, u, v) and finds u and v joined by then, and self-loops join
    // nothing, so only entries with source < target are candidates. They
    // come out sorted by source; sorting each source's run by target makes
    // them sorted by (source, target), so that a stable sort by weight alone
    // gives the whole order.
    std::vector<Candidate> candidates;
    std::size_t entries = 0;
    for (NodeIndex i = 0; i < n; ++i) entries += g.neighbors(i).size();
    candidates.reserve(g.isDirected() ? entries : entries / 2 + 1);
    detail::Checkpoint checkpoint;
    for (NodeIndex i = 0; i < n; ++i) {
        checkpoint(g.neighbors(i).size() + 1);
        const std::size_t first = candidates.size();
        for (const auto& entry : g.neighbors(i)) {
            if (entry.target == i || (!g.isDirected() && entry.target < i)) continue;
            candidates.push_back({entry.weight, static_cast<std::uint32_t>(i), entry.target});
        }
        const auto byTarget = [](const Candidate& a, const Candidate& b) { return a.target < b.target; };
        if (!std::is_sorted(candidates.begin() + static_cast<std::ptrdiff_t>(first), candidates.end(), byTarget)) {
            std::sort(candidates.begin() + static_cast<std::ptrdiff_t>(first), candidates.end(), byTarget);
        }
    }
    if constexpr (std::is_integral_v<W>) {
        detail::radixSortStable(candidates, [](const Candidate& c) { return detail::orderKey(c.weight); });
    } else {
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.weight < b.weight; });
    }
    // The forest is complete with V - (number of components) edges; the
    // components of an undirected graph are counted cheaply beforehand.
    std::size_t complete = n == 0 ? 0 : n - 1;
    if (!g.isDirected() && n > 0) complete = n - connectedComponentCount(g);
    std::vector<TreeEdge<W>> result;
    result.reserve(complete);
    for (const Candidate& c : candidates) {
        if (result.size() == complete) break;
        checkpoint(4);
        if (sets.unite(static_cast<std::int32_t>(c.source), static_cast<std::int32_t>(c.target))) {
            result.push_back({c.source, c.target, c.weight});
        }
    }
    return result;
}

// Prim's algorithm from node 0 with a lazy binary heap ordered by key alone:
// among equal keys, the order in which the library's heap routines release
// them. An entry offered to a node keeps it unless a strictly lighter one
// comes. A directed graph is read as undirected: every entry u -> v also
// stands in v's list, after v's own entries, in the order the edges were
// added.
// Result: a minimum spanning tree of node 0's component (weakly connected in
// a directed graph); edges in the order their far ends joined; [] for a
// graph without nodes. Errors: none.
// Cost: O(E log E) time, O(V + E) memory.
template <class T, class W>
std::vector<TreeEdge<W>> prim(const GraphView<T, W>& g) {
    std::vector<TreeEdge<W>> result;
    const std::size_t n = g.nodeCount();
    if (n == 0) return result;
    struct Entry {
        std::uint32_t node;
        W key;
    };
    // Everything Prim keeps of a node, together: one cache line holds what
    // a relaxation reads.
    struct Node {
        W key{};
        std::uint32_t prev = detail::NoPrev;  // also marks a node offered an entry
        bool inTree = false;
        bool reversed = false;
    };
    const auto less = [](const Entry& a, const Entry& b) { return a.key > b.key; };
    const detail::UndirectedNeighbors<T, W> lists(g);
    std::vector<Node> nodes(n);
    std::vector<Entry> heap{{0, W{}}};
    detail::Checkpoint checkpoint;
    while (!heap.empty()) {
        checkpoint(8);
        detail::popHeap(heap, less);
        const NodeIndex u = heap.back().node;
        heap.pop_back();
        // The next node out is most likely the one now on top.
        if (!heap.empty()) {
            detail::prefetch(&nodes[heap.front().node]);
            g.prefetch(heap.front().node, 0);
        }
        Node& joining = nodes[u];
        if (joining.inTree) continue;
        joining.inTree = true;
        if (joining.prev != detail::NoPrev) {
            result.push_back(joining.reversed ? TreeEdge<W>{u, joining.prev, joining.key}
                                              : TreeEdge<W>{joining.prev, u, joining.key});
        }
        // The neighbors are random places in memory: fetch all before using any.
        for (const auto& entry : g.neighbors(u)) detail::prefetch(&nodes[entry.target]);
        if (!heap.empty()) g.prefetch(heap.front().node, 1);
        lists.forEach(u, [&](NodeIndex v, const W& weight, bool isReversed) {
            Node& offered = nodes[v];
            if (offered.inTree || (offered.prev != detail::NoPrev && !(weight < offered.key))) return;
            offered.prev = static_cast<std::uint32_t>(u);
            offered.key = weight;
            offered.reversed = isReversed;
            heap.push_back({static_cast<std::uint32_t>(v), weight});
            detail::pushHeap(heap, less);
        });
    }
    return result;
}

// Borůvka's algorithm. In each phase every component picks its lightest
// entry leading to another component (the first met, in node and list
// order, among the lightest), then the picks are joined in the order of the
// components' root indices; a pick whose ends were joined earlier in the
// phase is dropped. It ends with a spanning tree, or, when a phase joins
// nothing, with the forest collected so far. A directed graph is read as
// undirected, as prim does.
// Result: a minimum spanning forest of the graph taken as undirected, phase
// by phase, within a phase by component root; an undirected edge in the
// orientation of the picking component's entry.
// Errors: std::length_error for 2^31 nodes or more.
// Cost: O(E log E) time, O(V + E) memory.
//
// The first phases scan the entries (detail::boruvkaScanningPhases); after
// 2 log2(V) + 8 of them each component keeps its remaining entries in a
// heap instead (detail::boruvkaHeapPhases). Both ways make the same picks.
namespace detail {

// What Borůvka's phases share: the candidate entries (nodes and entries
// numbered in 32 bits, a candidate one small record: half the memory
// traffic of every phase), the components so far and the forest.
template <class W>
struct BoruvkaForest {
    using Index = std::uint32_t;
    static constexpr Index None = MeldableHeaps<W, Index>::None;
    static constexpr Index Reversed = Index{1} << 31;  // in `owner`: the edge is stored target -> owner
    struct Candidate {
        Index owner;  // with the Reversed bit
        Index target;
        W weight;
    };

    // The candidate entries in node and list order (self-loops never lead
    // out of a component).
    template <class T>
    explicit BoruvkaForest(const GraphView<T, W>& g)
        : n(g.nodeCount()), sets(n) {  // the sets refuse 2^31 nodes and more, so the Reversed bit is free
        const UndirectedNeighbors<T, W> lists(g);
        for (NodeIndex i = 0; i < n; ++i) {
            checkpoint(g.neighbors(i).size() + 1);
            lists.forEach(i, [&](NodeIndex v, const W& w, bool isReversed) {
                if (v == i) return;
                candidates.push_back({static_cast<Index>(i) | (isReversed ? Reversed : 0), static_cast<Index>(v), w});
            });
        }
        if (candidates.size() >= None) throw std::length_error("too many edges for a spanning tree");
    }

    static Index ownerOf(const Candidate& c) { return c.owner & ~Reversed; }
    Index rootOf(Index node) { return static_cast<Index>(sets.find(static_cast<std::int32_t>(node))); }
    bool complete() const { return result.size() >= n - 1; }

    // Joins `picks` (root, entry) in their order; a pick whose ends are
    // joined already is dropped. joined(ra, rb, new root) follows each
    // join. Returns how many joined.
    template <class Joined>
    std::size_t join(Joined&& joined) {
        std::size_t count = 0;
        for (const auto& pick : picks) {
            const Candidate& c = candidates[pick.second];
            const Index from = ownerOf(c);
            const Index ra = rootOf(from), rb = rootOf(c.target);
            if (ra == rb) continue;
            result.push_back((c.owner & Reversed) != 0 ? TreeEdge<W>{c.target, from, c.weight}
                                                       : TreeEdge<W>{from, c.target, c.weight});
            sets.unite(static_cast<std::int32_t>(from), static_cast<std::int32_t>(c.target));
            joined(ra, rb, rootOf(ra));
            ++count;
        }
        return count;
    }

    std::size_t n;
    DisjointSet sets;
    std::vector<Candidate> candidates;
    std::vector<TreeEdge<W>> result;
    std::vector<std::pair<Index, Index>> picks;
    Checkpoint checkpoint;
};

// Borůvka's first phases, at most `phases` of them: each scans the
// candidates, dropping those that have become internal to a component
// (they never lead out again), and gives every component the first of its
// lightest. Returns true when the forest is complete: a spanning tree, or a
// phase that joined nothing.
template <class W>
bool boruvkaScanningPhases(BoruvkaForest<W>& forest, std::size_t phases) {
    using Index = typename BoruvkaForest<W>::Index;
    constexpr Index None = BoruvkaForest<W>::None;
    auto& candidates = forest.candidates;
    const std::size_t n = forest.n;
    std::vector<Index> root(n);
    // Each component's pick so far, with its weight beside it: the scan
    // compares against it for every entry.
    struct Pick {
        Index entry;
        W weight;
    };
    std::vector<Pick> slot(n, Pick{None, W{}});
    for (std::size_t phase = 0; phase < phases; ++phase) {
        if (forest.complete()) return true;
        for (NodeIndex i = 0; i < n; ++i) {
            if ((i & 0xffff) == 0) forest.checkpoint(0x10000);
            root[i] = forest.rootOf(static_cast<Index>(i));
        }
        Index kept = 0;
        forest.checkpoint.now();
        for (std::size_t e = 0; e < candidates.size(); ++e) {
            if ((e & 0xffff) == 0) forest.checkpoint(0x10000);
            const auto c = candidates[e];
            const Index ri = root[BoruvkaForest<W>::ownerOf(c)];
            if (ri == root[c.target]) continue;  // internal from now on
            candidates[kept] = c;
            Pick& best = slot[ri];
            if (best.entry == None || best.weight > c.weight) best = {kept, c.weight};
            ++kept;
        }
        candidates.resize(kept);
        // The picks in the order of their components' roots.
        forest.picks.clear();
        for (Index r = 0; r < n; ++r) {
            if (slot[r].entry == None) continue;
            forest.picks.emplace_back(r, slot[r].entry);
            slot[r].entry = None;
        }
        if (forest.join([](Index, Index, Index) {}) == 0) return true;
    }
    return forest.complete();
}

// Borůvka's later phases: each component keeps its remaining candidates in
// a meldable heap (melded when components join) and only components that
// may still have outgoing candidates take part, which costs little when a
// phase joins few components. They make the picks the scanning phases
// would. Runs until the forest is complete.
template <class W>
void boruvkaHeapPhases(BoruvkaForest<W>& forest) {
    using Index = typename BoruvkaForest<W>::Index;
    constexpr Index None = BoruvkaForest<W>::None;
    const auto& candidates = forest.candidates;
    const std::size_t n = forest.n;
    std::vector<W> weight(candidates.size());
    for (std::size_t e = 0; e < candidates.size(); ++e) weight[e] = candidates[e].weight;
    MeldableHeaps<W, Index> heaps(weight);
    std::vector<Index> top(n, None);  // heap of each component root
    for (Index e = 0; e < candidates.size(); ++e) {
        const Index r = forest.rootOf(BoruvkaForest<W>::ownerOf(candidates[e]));
        top[r] = heaps.meld(top[r], e);
    }
    std::vector<Index> live;  // roots whose component may still have outgoing entries
    for (NodeIndex i = 0; i < n; ++i)
        if (top[i] != None) live.push_back(static_cast<Index>(i));
    const auto meldHeaps = [&](Index ra, Index rb, Index joinedRoot) {
        const Index melded = heaps.meld(top[ra], top[rb]);
        top[ra] = top[rb] = None;
        top[joinedRoot] = melded;
    };
    while (!forest.complete()) {
        forest.picks.clear();
        forest.checkpoint(live.size() + 1);
        for (const Index r : live) {
            Index& best = top[r];
            while (best != None && forest.rootOf(candidates[best].target) == r) best = heaps.pop(best);
            if (best != None) forest.picks.emplace_back(r, best);
        }
        std::sort(forest.picks.begin(), forest.picks.end());
        if (forest.join(meldHeaps) == 0) break;
        std::vector<Index> next;
        for (const auto& pick : forest.picks) {
            const Index r = forest.rootOf(pick.first);
            if (top[r] != None) next.push_back(r);
        }
        std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        live.swap(next);
    }
}

}  // namespace detail

template <class T, class W>
std::vector<TreeEdge<W>> boruvka(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    if (n == 0) return {};
    detail::BoruvkaForest<W> forest(g);
    // A graph that needs many phases joins few components per phase (a
    // star of directed edges into its centre joins one): after
    // 2 log2(V) + 8 scanning phases the heaps take over.
    std::size_t scanningPhases = 8;
    for (std::size_t k = n; k > 1; k /= 2) scanningPhases += 2;
    if (!detail::boruvkaScanningPhases(forest, scanningPhases)) detail::boruvkaHeapPhases(forest);
    return std::move(forest.result);
}

// The spanning tree or forest selected by `method`, in that method's order.
// Errors: checkMethod's std::runtime_error for a value that is no member of
// MSTAlgo ("V is not an MSTAlgo: use KRUSKAL, PRIM or BORUVKA"); then the
// method's own. Cost: the method's.
template <class T, class W>
std::vector<TreeEdge<W>> minimumSpanningTree(const GraphView<T, W>& g, MSTAlgo method = MSTAlgo::KRUSKAL) {
    checkMethod(method);
    switch (method) {
        case MSTAlgo::KRUSKAL:
            return kruskal(g);
        case MSTAlgo::PRIM:
            return prim(g);
        case MSTAlgo::BORUVKA:
            return boruvka(g);
    }
    return {};  // not reached: checkMethod lets members only through
}

}  // namespace tarvel
