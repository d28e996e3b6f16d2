// Shared vocabulary of the library: node indices, adjacency entries, edge
// records, the method selectors and the pair hash. Everything here is a
// plain value type; nothing knows about graphs or algorithms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace tarvel {

// Dense index of a node: 0, 1, 2, ... in the order the nodes were added.
using NodeIndex = std::size_t;

// Marks a missing node: no predecessor, no pick, not found.
inline constexpr NodeIndex NoNode = std::numeric_limits<NodeIndex>::max();

// A path as node indices, start first and goal last; empty means "no path".
// Also the type of a list of nodes in a stated order (a component, a
// traversal order).
using IndexPath = std::vector<NodeIndex>;

// One outgoing entry of a node's adjacency list. Targets are kept in 32 bits
// (a graph holds fewer than 2^32 - 1 nodes), which halves the lists of
// integer-weighted graphs; the weight is the one given to addEdge.
template <class W>
struct AdjacencyEntry {
    std::uint32_t target;
    W weight;

    friend bool operator==(const AdjacencyEntry& a, const AdjacencyEntry& b) {
        return a.target == b.target && a.weight == b.weight;
    }
};

// One edge as the store records it: the ends in the orientation of the
// addEdge call that created it (32-bit, like adjacency targets), and its
// weight.
template <class W>
struct EdgeRecord {
    std::uint32_t source;
    std::uint32_t target;
    W weight;

    friend bool operator==(const EdgeRecord& a, const EdgeRecord& b) {
        return a.source == b.source && a.target == b.target && a.weight == b.weight;
    }
};

// An edge chosen by a spanning-tree algorithm, in the direction in which the
// graph stores it.
template <class W>
struct TreeEdge {
    NodeIndex source;
    NodeIndex target;
    W weight;

    friend bool operator==(const TreeEdge& a, const TreeEdge& b) {
        return a.source == b.source && a.target == b.target && a.weight == b.weight;
    }
};

// A read-only run of contiguous elements (the standard span arrives with
// C++20; the library is C++17).
template <class E>
class Span {
public:
    Span() = default;
    Span(const E* data, std::size_t size) : first(data), count(size) {}
    explicit Span(const std::vector<E>& v) : first(v.data()), count(v.size()) {}

    const E* begin() const noexcept { return first; }
    const E* end() const noexcept { return first + count; }
    std::size_t size() const noexcept { return count; }
    bool empty() const noexcept { return count == 0; }
    const E& operator[](std::size_t k) const noexcept { return first[k]; }

private:
    const E* first = nullptr;
    std::size_t count = 0;
};

// Groups of nodes kept in one array: group k is nodes[offsets[k]] up to
// nodes[offsets[k + 1]], so a partition of V nodes costs two flat arrays
// however many groups there are.
struct Groups {
    std::vector<NodeIndex> nodes;
    std::vector<std::size_t> offsets{0};

    std::size_t size() const noexcept { return offsets.size() - 1; }
    Span<NodeIndex> operator[](std::size_t k) const {
        return Span<NodeIndex>(nodes.data() + offsets[k], offsets[k + 1] - offsets[k]);
    }
};

enum class ShortestPathAlgo : int {
    BFS = 0,
    DIJKSTRA = 1,
    A_STAR = 2,
    UNIFORM_COST_SEARCH = 3,
    BELLMAN_FORD = 4,
};

enum class MSTAlgo : int {
    KRUSKAL = 0,
    PRIM = 1,
    BORUVKA = 2,
};

enum class SCCAlgo : int {
    TARJAN = 0,
    KOSARAJU = 1,
};

// Hash for ordered pairs. The two element hashes are combined with a 64-bit
// finaliser so that (a, b), (b, a) and (a, a) spread over a table; a plain
// XOR would send every (a, a) to 0 and every pair to its reverse's bucket.
// Key equality is the pair's own (both elements, in order).
struct PairHash {
    static constexpr std::uint64_t mix(std::uint64_t x) noexcept {
        x ^= x >> 30;
        x *= 0xbf58476d1ce4e5b9ULL;
        x ^= x >> 27;
        x *= 0x94d049bb133111ebULL;
        x ^= x >> 31;
        return x;
    }

    template <class A, class B>
    std::size_t operator()(const std::pair<A, B>& key) const noexcept {
        const std::uint64_t first = std::hash<A>{}(key.first);
        const std::uint64_t second = std::hash<B>{}(key.second);
        return static_cast<std::size_t>(mix(mix(first) + second));
    }
};

}  // namespace tarvel
