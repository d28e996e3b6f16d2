// Shared vocabulary of the library: indices, adjacency entries, method
// selectors, the pair hash and small helpers used by every algorithm family.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace tarvel {

// Dense index of a node: 0, 1, 2, ... in the order the nodes were added.
using NodeIndex = std::size_t;

// One outgoing entry of a node's adjacency list: the neighbour and the
// weight as given. Neighbours are kept in 32 bits, which halves the lists of
// integer-weighted graphs (graphs hold fewer than 2^32 nodes); algorithms
// read the weight as a double.
template <class W>
struct AdjacencyEntry {
    std::uint32_t first;  // neighbour
    W second;             // weight

    friend bool operator==(const AdjacencyEntry& a, const AdjacencyEntry& b) {
        return a.first == b.first && a.second == b.second;
    }
};

// A path as node indices, start first and goal last; empty means "no path".
using IndexPath = std::vector<NodeIndex>;

// Marks a missing predecessor.
inline constexpr NodeIndex NoNode = std::numeric_limits<NodeIndex>::max();

// Distance or key of a node not reached yet (never an infinity).
inline constexpr double kUnreached = std::numeric_limits<double>::max();

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

// Hash for ordered pairs. The two element hashes are combined with a
// 64-bit finaliser so that (a, b), (b, a) and (a, a) spread over the table;
// a plain XOR would send every (a, a) to 0 and every pair to its reverse's
// bucket. Equality of keys is the pair's own (both elements, in order).
struct PairHash {
    static std::uint64_t mix(std::uint64_t x) noexcept {
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

namespace detail {

template <class T, class = void>
struct IsStreamable : std::false_type {};
template <class T>
struct IsStreamable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

// Text of a node name for error messages.
template <class T>
std::string describe(const T& name) {
    if constexpr (std::is_convertible_v<const T&, std::string>) {
        return std::string(name);
    } else if constexpr (IsStreamable<T>::value) {
        std::ostringstream out;
        out << name;
        return out.str();
    } else {
        return "(unprintable name)";
    }
}

}  // namespace detail
}  // namespace tarvel
