// The graph store: GraphStore<T, W> owns a graph's nodes and edges and grows
// them one call at a time; GraphView<T, W> is the small read-only face that
// every algorithm works on. Edge<T, W> is the named edge record handed to
// callers.
//
// Nodes get dense indices 0, 1, 2, ... in the order they are added; each
// node has an adjacency list of (target, weight) entries in insertion order.
// A directed edge u -> v is one entry in u's list; an undirected edge stands
// in both ends' lists (a self-loop twice in its node's list). Every addEdge
// call adds entries, parallel edges and self-loops included. The lists are
// kept packed in node order in one array where they can be
// (detail/adjacency_lists.hpp), and the incoming lists are made by the
// first read that needs them and kept until the next change.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "detail/adjacency_lists.hpp"
#include "detail/built_once.hpp"
#include "detail/builtins.hpp"
#include "detail/describe.hpp"
#include "detail/hash_table.hpp"
#include "interrupt.hpp"
#include "types.hpp"
#include "weights.hpp"

namespace tarvel {

// A named edge: two node names and a weight. A plain value; it refers to no
// graph and checks nothing about its names.
template <class T, class W>
class Edge {
public:
    Edge(T src, T dest, W w) : source(std::move(src)), destination(std::move(dest)), weight(w) {}

    T getSource() const { return source; }
    T getDestination() const { return destination; }
    W getWeight() const { return weight; }

private:
    T source;
    T destination;
    W weight;
};

template <class T, class W>
class GraphView;

// Returns when `node` is an index of a graph of `count` nodes: the one check
// of a node index, with the one message, behind GraphView::checkNode and
// every algorithm that takes indices.
// Errors: std::out_of_range "node index K is out of range for a graph of N
// nodes". Cost: O(1).
inline void checkNodeIndex(NodeIndex node, std::size_t count) {
    if (node >= count) {
        throw std::out_of_range("node index " + std::to_string(node) + " is out of range for a graph of " +
                                std::to_string(count) + " nodes");
    }
}

template <class T, class W>
class GraphStore {
public:
    using Name = T;
    using Weight = W;
    // How look-ups take a name: a std::string_view for std::string names, so
    // that callers holding other string forms need not copy them.
    using Key = std::conditional_t<std::is_same_v<T, std::string>, std::string_view, const T&>;

    // The largest number of nodes a graph can hold (indices are 32-bit).
    static constexpr std::size_t MaxNodes = std::numeric_limits<std::uint32_t>::max() - 1;

    // A new empty graph; `directed` is fixed for its lifetime. O(1).
    explicit GraphStore(bool isDirected) : directed(isDirected) {}

    // A copy of `other`: equal in every respect, sharing nothing with it,
    // its lists packed in node order (and without incoming lists, which
    // its first read that needs them makes). Copying a large graph takes a
    // while, so the thread's interrupt check is called as it goes (what it
    // throws leaves no copy).
    // Cost: O(V + E).
    GraphStore(const GraphStore& other);
    GraphStore(GraphStore&&) noexcept = default;
    GraphStore& operator=(const GraphStore& other) { return *this = GraphStore(other); }
    GraphStore& operator=(GraphStore&&) noexcept = default;

    // Adds a node with the next index.
    // Errors: std::runtime_error "duplicate nodes are not allowed" for a name
    // already present; std::length_error "too many nodes" beyond MaxNodes.
    // The graph is unchanged on every error. Cost: amortised O(1).
    void addNode(const T& name) { apply(name, prepareNode(name)); }

    // Adds the names in order, all or none. A name already present or
    // repeated within the batch throws what addNode throws, its message
    // prefixed with "item K: " (K the name's position, counting from 0); the
    // graph is then unchanged. Cost: amortised O(1) per name.
    void addNodes(std::vector<T> batch) {
        const PreparedNodes prepared = prepareNodes(batch);
        apply(batch, prepared);
    }

    // Whether `name` is a node. O(1).
    bool hasNode(Key name) const { return find(name) != NoNode; }

    // Adds an edge src -> dest (usable both ways in an undirected graph).
    // Errors: std::out_of_range "unknown node: NAME" for a name that is not a
    // node (src looked up first); std::invalid_argument for a weight that is
    // not finite. The graph is unchanged on every error. Cost: amortised O(1)
    // (a call that repacks the lists takes O(V + E)).
    void addEdge(Key src, Key dest, const W& weight) {
        const PreparedEdge edge = prepareEdge(src, dest, weight);
        apply(edge);
    }

    // One edge of a batch for addEdges: names held as Key would be (string
    // names as views, which must outlive the call), others by value.
    struct EdgeSpec {
        std::remove_cv_t<std::remove_reference_t<Key>> src;
        std::remove_cv_t<std::remove_reference_t<Key>> dest;
        W weight;
    };

    // Adds the edges in order, all or none. An edge that addEdge would
    // refuse throws what addEdge throws, its message prefixed with "item K: "
    // (K counting from 0); the graph is then unchanged. A batch whose
    // entries number a quarter of V + E or more leaves every list packed.
    // Cost: O(B log B) for a batch of B edges, amortised.
    void addEdges(const std::vector<EdgeSpec>& batch) { apply(prepareEdges(batch)); }

    // ---- Changes in two steps ---------------------------------------------
    // Each change above is a prepare step, which checks the change against
    // the graph and throws what the change throws, and an apply step, which
    // makes it. Callers that share a graph between threads use them apart:
    // a change may be prepared on a graph and applied to that graph or to a
    // copy of it, provided neither changed in between. A prepare step reads
    // only, and calls the thread's interrupt check as it goes (for batches);
    // an apply step calls no check and either makes the whole change or
    // throws std::bad_alloc before making any. A batch's apply step takes
    // `stop`, a callable returning bool that it asks every few thousand
    // items (it must not change the graph): when it answers true, what was
    // made is taken back, the batch of names is as it was given, and
    // tarvel::Interrupted is thrown. Room made in the graph's containers
    // may stay; nothing else does.

    struct NeverStop {
        bool operator()() const noexcept { return false; }
    };

    // What adding nodes needs beside their names: the names' hashes.
    struct PreparedNode {
        std::uint64_t hash;
    };
    struct PreparedNodes {
        std::vector<std::uint64_t> hashes;
    };
    struct PreparedEdge {
        std::uint32_t source;
        std::uint32_t target;
        W weight;
    };
    struct PreparedEdges {
        std::vector<std::uint32_t> ends;  // source and target of each edge
        std::vector<W> weights;
    };

    PreparedNode prepareNode(const T& name) const;
    PreparedNodes prepareNodes(const std::vector<T>& batch) const;
    PreparedEdge prepareEdge(Key src, Key dest, const W& weight) const;
    PreparedEdges prepareEdges(const std::vector<EdgeSpec>& batch) const;
    void apply(const T& name, const PreparedNode& node);
    void apply(const PreparedEdge& edge);
    template <class Stop = NeverStop>
    void apply(std::vector<T>& batch, const PreparedNodes& prepared, Stop&& stop = Stop());
    template <class Stop = NeverStop>
    void apply(const PreparedEdges& edges, Stop&& stop = Stop());


    std::size_t nodeCount() const noexcept { return names.size(); }
    // Successful addEdge calls (parallel edges and self-loops included).
    std::size_t edgeCount() const noexcept { return edges.size(); }
    bool isDirected() const noexcept { return directed; }

    // Index of a node. Errors: std::out_of_range "unknown node: NAME". O(1).
    NodeIndex indexOf(Key name) const;

    // Name of a node. Errors: std::out_of_range for an index past the end. O(1).
    const T& nameOf(NodeIndex node) const { return names.at(node); }

    // The edges as the graph file holds them, in insertion order: one per
    // addEdge call in a directed graph, one per unordered pair (the first
    // call's) in an undirected one. O(E).
    std::vector<Edge<T, W>> edgeRecords() const;

    GraphView<T, W> view() const noexcept { return GraphView<T, W>(*this); }

private:
    friend class GraphView<T, W>;

    NodeIndex find(Key name) const { return nameIndex.find(name, nameIndex.hashOf(name), names); }

    // Every change ends by forgetting what reads derived from the contents.
    void changed() noexcept {
        ++revision;
        incoming.drop();
    }

    detail::NameIndex<T> nameIndex;  // name -> index
    std::vector<T> names;            // index -> name
    detail::AdjacencyLists<W> adjacency;
    std::vector<EdgeRecord<W>> edges;  // one per addEdge call
    // Made by the first read that needs them (GraphView::incoming).
    detail::BuiltOnce<detail::IncomingLists> incoming;
    bool directed;
    // Counts every change, so that an algorithm that hands control to
    // caller code (A*'s heuristic) can tell that the graph changed under it.
    std::uint64_t revision = 0;
};

// The read-only face of a graph that algorithms take. It refers to the store
// it was made from and sees its later changes; it is valid while the store
// lives and is not moved.
template <class T, class W>
class GraphView {
public:
    using Name = T;
    using Weight = W;
    using Entry = AdjacencyEntry<W>;

    explicit GraphView(const GraphStore<T, W>& graph) noexcept : store(&graph) {}

    std::size_t nodeCount() const noexcept { return store->names.size(); }
    bool isDirected() const noexcept { return store->directed; }

    // The adjacency list of `node` in insertion order. Precondition:
    // node < nodeCount() (not checked: this is the inner loop of everything).
    Span<Entry> neighbors(NodeIndex node) const noexcept { return store->adjacency[node]; }

    // Asks for what neighbors(node) reads to be brought into the cache: the
    // list's place (step 0), then, once that is there, its entries (step 1).
    // Searches call it for the node they will probably expand next.
    void prefetch(NodeIndex node, int step) const noexcept {
        const auto& slot = store->adjacency.slotData()[node];
        if (step == 0) {
            detail::prefetch(&slot);
        } else {
            detail::prefetch(slot.data);
        }
    }

    // For each node, the nodes whose lists hold an entry leading to it, one
    // per entry: in node order, within a node in list order (so in a
    // directed graph the sources of its incoming edges). Made by the first
    // call after a change and kept by the store until the next change;
    // concurrent first calls each make it and all but one discard theirs.
    // Making it calls the thread's interrupt check (what that throws leaves
    // nothing made). Cost: O(V + E) the first time, then O(1); the lists
    // hold one 4-byte source per entry and 8 bytes per node.
    const detail::IncomingLists& incoming() const {
        return store->incoming.get([this] { return detail::incomingLists(store->adjacency); });
    }

    // Whether incoming() has been made since the last change. O(1).
    bool hasIncoming() const noexcept { return store->incoming.peek() != nullptr; }

    // For a search that can do without incoming(), more slowly: the work
    // (entries and nodes read) it may still do so before making incoming()
    // pays, that is before such searches since the last change have spent
    // (V + E) / 2 units, about what making it costs; and the report of the
    // work it did. O(1).
    std::size_t workBeforeIncoming() const noexcept {
        const std::size_t price = (nodeCount() + entryCount()) / 2, spent = store->incoming.spent();
        return spent < price ? price - spent : 0;
    }
    void workedWithoutIncoming(std::size_t work) const noexcept { store->incoming.spend(work); }

    // The number of adjacency entries (two per undirected edge). O(1).
    std::size_t entryCount() const noexcept { return store->adjacency.entryCount(); }

    // Precondition: node < nodeCount().
    const T& name(NodeIndex node) const noexcept { return store->names[node]; }

    // One record per addEdge call, in call order.
    Span<EdgeRecord<W>> edges() const noexcept { return Span<EdgeRecord<W>>(store->edges); }

    // Which of edges() the graph file records: every one in a directed
    // graph; in an undirected one the first call for each unordered pair.
    // Worked out when asked (only saving needs it), so that building keeps
    // no table of pairs. Cost: O(E).
    std::vector<bool> fileRecords() const {
        const Span<EdgeRecord<W>> all = edges();
        std::vector<bool> recorded(all.size(), true);
        if (isDirected()) return recorded;
        detail::PairSet pairs;
        pairs.reserve(all.size());
        detail::Checkpoint checkpoint;
        for (std::size_t k = 0; k < all.size(); ++k) {
            checkpoint(4);
            const auto [a, b] = std::minmax(all[k].source, all[k].target);
            recorded[k] = pairs.insert(a, b);
        }
        return recorded;
    }

    // Changes so far; equal numbers mean an unchanged graph.
    std::uint64_t revision() const noexcept { return store->revision; }

    // Errors: std::out_of_range when `node` is past the end.
    void checkNode(NodeIndex node) const { checkNodeIndex(node, nodeCount()); }

private:
    const GraphStore<T, W>* store;
};

template <class T, class W>
GraphStore<T, W>::GraphStore(const GraphStore& other)
    : nameIndex(other.nameIndex), edges(other.edges), directed(other.directed), revision(other.revision) {
    detail::Checkpoint checkpoint;
    names.reserve(other.names.size());
    for (const T& name : other.names) {
        checkpoint();
        names.push_back(name);
    }
    // Packed, whatever the original's lists were: one array in node order.
    adjacency.copyFrom(other.adjacency, checkpoint);
}

namespace detail {

// Rethrows the exception in flight as the same type with "item K: " before
// its message.
[[noreturn]] inline void rethrowForItem(std::size_t item) {
    const std::string prefix = "item " + std::to_string(item) + ": ";
    try {
        throw;
    } catch (const std::out_of_range& e) {
        throw std::out_of_range(prefix + e.what());
    } catch (const std::invalid_argument& e) {
        throw std::invalid_argument(prefix + e.what());
    } catch (const std::length_error& e) {
        throw std::length_error(prefix + e.what());
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(prefix + e.what());
    }
}

}  // namespace detail

template <class T, class W>
typename GraphStore<T, W>::PreparedNode GraphStore<T, W>::prepareNode(const T& name) const {
    const std::uint64_t hash = nameIndex.hashOf(Key(name));
    if (nameIndex.find(Key(name), hash, names) != NoNode) {
        throw std::runtime_error("duplicate nodes are not allowed");
    }
    if (names.size() >= MaxNodes) throw std::length_error("too many nodes");
    return {hash};
}

template <class T, class W>
void GraphStore<T, W>::apply(const T& name, const PreparedNode& node) {
    // Running out of memory part way must leave no trace of the node.
    adjacency.reserveNodes(1);
    detail::makeRoom(names, 1);
    names.push_back(name);     // cannot throw for lack of room; a throwing copy leaves nothing
    adjacency.addNode();
    try {
        nameIndex.insertNew(node.hash, names.size() - 1);
    } catch (...) {
        names.pop_back();
        adjacency.removeLastNode();
        throw;
    }
    changed();
}

template <class T, class W>
typename GraphStore<T, W>::PreparedNodes GraphStore<T, W>::prepareNodes(const std::vector<T>& batch) const {
    std::vector<std::uint64_t> hashes(batch.size());
    // Checked against the graph and against the batch.
    detail::NameIndex<T> seen;
    seen.reserve(batch.size());
    detail::Checkpoint checkpoint;
    for (std::size_t k = 0; k < batch.size(); ++k) {
        checkpoint();
        hashes[k] = nameIndex.hashOf(Key(batch[k]));
        const bool duplicate = nameIndex.find(Key(batch[k]), hashes[k], names) != NoNode ||
                               seen.find(Key(batch[k]), hashes[k], batch) != NoNode;
        try {
            if (duplicate) throw std::runtime_error("duplicate nodes are not allowed");
            if (names.size() + k >= MaxNodes) throw std::length_error("too many nodes");
        } catch (...) {
            detail::rethrowForItem(k);
        }
        seen.insertNew(hashes[k], k);
    }
    return {std::move(hashes)};
}

namespace detail {

// How often a batch's apply step asks whether to stop: rarely enough that
// asking costs nothing, often enough to stop within a millisecond or so.
inline constexpr std::size_t StopInterval = 4096;

}  // namespace detail

template <class T, class W>
template <class Stop>
void GraphStore<T, W>::apply(std::vector<T>& batch, const PreparedNodes& prepared, Stop&& stop) {
    if (batch.empty()) return;
    // Every allocation before the first change: the rest cannot fail.
    detail::makeRoom(names, batch.size());
    adjacency.reserveNodes(batch.size());
    nameIndex.reserve(batch.size());
    const std::size_t before = names.size();
    for (std::size_t k = 0; k < batch.size(); ++k) {
        if (k % detail::StopInterval == detail::StopInterval - 1 && stop()) {
            // Newest first, as the index allows, and the names back into the batch.
            for (std::size_t j = k; j-- > 0;) {
                nameIndex.takeBackNewest(prepared.hashes[j], before + j);
                batch[j] = std::move(names.back());
                names.pop_back();
                adjacency.removeLastNode();
            }
            throw Interrupted();
        }
        names.push_back(std::move(batch[k]));
        adjacency.addNode();
        nameIndex.insertNew(prepared.hashes[k], names.size() - 1);
    }
    changed();
}

template <class T, class W>
typename GraphStore<T, W>::PreparedEdges GraphStore<T, W>::prepareEdges(const std::vector<EdgeSpec>& batch) const {
    PreparedEdges prepared;
    prepared.ends.resize(2 * batch.size());
    prepared.weights.reserve(batch.size());
    std::vector<std::remove_cv_t<std::remove_reference_t<Key>>> keys;
    keys.reserve(prepared.ends.size());
    for (const EdgeSpec& e : batch) {
        keys.push_back(e.src);
        keys.push_back(e.dest);
    }
    std::vector<NodeIndex> found(keys.size());
    // Looked up a slice at a time, so that the interrupt check is heard.
    constexpr std::size_t Slice = 1 << 14;
    detail::Checkpoint checkpoint;
    for (std::size_t first = 0; first < keys.size(); first += Slice) {
        checkpoint(Slice);
        nameIndex.findMany(keys.data() + first, std::min(Slice, keys.size() - first), names, found.data() + first);
    }
    for (std::size_t k = 0; k < batch.size(); ++k) {
        try {
            for (std::size_t end = 2 * k; end <= 2 * k + 1; ++end) {
                if (found[end] == NoNode) throw std::out_of_range("unknown node: " + detail::describe(keys[end]));
                prepared.ends[end] = static_cast<std::uint32_t>(found[end]);
            }
            detail::checkWeight(batch[k].weight);
        } catch (...) {
            detail::rethrowForItem(k);
        }
        prepared.weights.push_back(batch[k].weight);
    }
    return prepared;
}

template <class T, class W>
template <class Stop>
void GraphStore<T, W>::apply(const PreparedEdges& prepared, Stop&& stop) {
    const std::vector<std::uint32_t>& ends = prepared.ends;
    const std::size_t count = prepared.weights.size();
    if (count == 0) return;
    const auto asked = [&](std::size_t k) { return k % detail::StopInterval == detail::StopInterval - 1 && stop(); };
    const std::size_t entries = directed ? count : 2 * count;
    detail::makeRoom(edges, count);
    const std::size_t edgesBefore = edges.size();
    // A batch large against the graph, or one that finds many lists moved
    // out of the packed array, packs every list anew with the batch's
    // entries in place: O(V + E) for a batch that costs O(B) anyway.
    if (adjacency.entryCount() + names.size() <= 4 * entries || adjacency.crowded(entries)) {
        std::vector<std::size_t> perNode(names.size(), 0);
        for (std::size_t k = 0; k < count; ++k) {
            ++perNode[ends[2 * k]];
            if (!directed) ++perNode[ends[2 * k + 1]];
        }
        try {
            adjacency.packWith(perNode, [&](auto&& append) {
                for (std::size_t k = 0; k < count; ++k) {
                    if (asked(k)) throw Interrupted();
                    const std::uint32_t u = ends[2 * k], v = ends[2 * k + 1];
                    append(u, {v, prepared.weights[k]});
                    if (!directed) append(v, {u, prepared.weights[k]});
                    edges.push_back({u, v, prepared.weights[k]});
                }
            });
        } catch (...) {
            edges.resize(edgesBefore);
            throw;
        }
        changed();
        return;
    }
    // Room in every list the batch grows, counted per node by sorting the
    // ends, before the first change. Stopping here leaves only room behind.
    std::vector<std::uint32_t> touched;
    touched.reserve(ends.size());
    for (std::size_t k = 0; k < count; ++k) {
        touched.push_back(ends[2 * k]);
        if (!directed) touched.push_back(ends[2 * k + 1]);
    }
    std::sort(touched.begin(), touched.end());
    for (std::size_t i = 0; i < touched.size();) {
        if (asked(i)) throw Interrupted();
        std::size_t j = i;
        while (j < touched.size() && touched[j] == touched[i]) ++j;
        adjacency.reserve(touched[i], j - i);
        i = j;
    }
    // The lists are random places in memory: fetch them a few edges ahead.
    constexpr std::size_t Ahead = 8;
    const auto* const slots = adjacency.slotData();
    for (std::size_t k = 0; k < count; ++k) {
        if (asked(k)) {
            for (std::size_t j = k; j-- > 0;) {
                adjacency.pop(ends[2 * j]);
                if (!directed) adjacency.pop(ends[2 * j + 1]);
            }
            edges.resize(edgesBefore);
            throw Interrupted();
        }
        if (k + 2 * Ahead < count) {
            detail::prefetch(slots + ends[2 * (k + 2 * Ahead)]);
            detail::prefetch(slots + ends[2 * (k + 2 * Ahead) + 1]);
        }
        if (k + Ahead < count) {
            const auto& a = slots[ends[2 * (k + Ahead)]];
            const auto& b = slots[ends[2 * (k + Ahead) + 1]];
            detail::prefetch<true>(a.data + a.size());
            if (!directed) detail::prefetch<true>(b.data + b.size());
        }
        const std::uint32_t u = ends[2 * k], v = ends[2 * k + 1];
        adjacency.push(u, {v, prepared.weights[k]});
        if (!directed) adjacency.push(v, {u, prepared.weights[k]});
        edges.push_back({u, v, prepared.weights[k]});
    }
    changed();
}

template <class T, class W>
NodeIndex GraphStore<T, W>::indexOf(Key name) const {
    const NodeIndex found = find(name);
    if (found == NoNode) throw std::out_of_range("unknown node: " + detail::describe(name));
    return found;
}

template <class T, class W>
typename GraphStore<T, W>::PreparedEdge GraphStore<T, W>::prepareEdge(Key src, Key dest, const W& weight) const {
    const NodeIndex u = indexOf(src);
    const NodeIndex v = indexOf(dest);
    detail::checkWeight(weight);
    return {static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(v), weight};
}

template <class T, class W>
void GraphStore<T, W>::apply(const PreparedEdge& edge) {
    const std::uint32_t u = edge.source, v = edge.target;
    // Every allocation happens before the first change, so running out of
    // memory leaves the graph as it was (repacking changes no list).
    if (adjacency.crowded(2)) adjacency.repack();
    adjacency.reserve(u, !directed && u == v ? 2 : 1);
    if (!directed) adjacency.reserve(v, 1);
    detail::makeRoom(edges, 1);
    adjacency.push(u, {v, edge.weight});
    if (!directed) adjacency.push(v, {u, edge.weight});
    edges.push_back({u, v, edge.weight});
    changed();
}

template <class T, class W>
std::vector<Edge<T, W>> GraphStore<T, W>::edgeRecords() const {
    std::vector<Edge<T, W>> records;
    const std::vector<bool> recorded = view().fileRecords();
    for (std::size_t k = 0; k < edges.size(); ++k) {
        if (recorded[k]) records.emplace_back(names[edges[k].source], names[edges[k].target], edges[k].weight);
    }
    return records;
}

}  // namespace tarvel
