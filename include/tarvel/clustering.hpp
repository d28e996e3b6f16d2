// Triangles and clustering: per-node triangle counts, the local clustering
// coefficient, its average and the transitivity.
//
// All of them read the simple undirected graph beneath the store: two
// distinct nodes are neighbors when at least one edge joins them, so
// parallel edges count once and self-loops not at all, and a node's degree
// here is its number of such neighbors. A directed graph is taken as
// undirected (an edge either way makes two nodes neighbors), as isBipartite
// takes it; a directed graph holding every edge both ways therefore gives
// the answers of its undirected twin.
//
// Counts are exact 64-bit integers. A coefficient is the quotient of two
// such integers rounded once to the nearest double (ties to even), the
// rounding of Python's int / int, so 2T / (d(d - 1)) is the same double
// however the two integers were found.
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "detail/builtins.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// How averageClustering adds the coefficients, in the order it is given
// them: PLAIN adds each to the running sum; COMPENSATED keeps the running
// error beside the sum (Neumaier's improvement of Kahan's summation) and
// adds it at the end, as Python's sum() of floats does from Python 3.12 on.
enum class Summation : int {
    PLAIN = 0,
    COMPENSATED = 1,
};

namespace detail {

// a / b rounded once to the nearest double, ties to even (b > 0).
// Cost: O(1), up to 64 shift-and-subtract steps when an operand exceeds 2^53.
inline double roundedQuotient(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t Exact = std::uint64_t{1} << 53;
    if (a <= Exact && b <= Exact) return static_cast<double>(a) / static_cast<double>(b);  // one IEEE rounding
    // Long division until the quotient holds 63 bits: 10 more than a double
    // keeps, so the conversion below rounds at the right place; a nonzero
    // remainder sets the lowest bit (a sticky bit), which decides only the
    // ties the truncated quotient would show.
    std::uint64_t q = a / b, r = a % b;
    int exponent = 0;
    while (q < (std::uint64_t{1} << 62)) {
        const bool carry = r >= (std::uint64_t{1} << 63);
        r <<= 1;
        q <<= 1;
        if (carry || r >= b) {
            r -= b;  // wraps back into range when the shift carried: r < b afterwards
            q |= 1;
        }
        --exponent;
    }
    if (r != 0) q |= 1;
    return std::ldexp(static_cast<double>(q), exponent);
}

// The distinct neighbors of every node other than itself, one run per node
// in one array (in no stated order).
struct SimpleNeighbors {
    std::vector<std::size_t> offsets;  // node u's neighbors: nodes[offsets[u] .. offsets[u + 1])
    std::vector<std::uint32_t> nodes;

    std::size_t degree(NodeIndex u) const noexcept { return offsets[u + 1] - offsets[u]; }
    Span<std::uint32_t> operator[](NodeIndex u) const noexcept {
        return Span<std::uint32_t>(nodes.data() + offsets[u], degree(u));
    }
};

// The simple undirected graph beneath g. Cost: O(V + E) time and memory
// (twice the entries of a directed graph).
template <class T, class W>
SimpleNeighbors simpleNeighbors(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    SimpleNeighbors out;
    out.offsets.assign(n + 1, 0);
    Checkpoint checkpoint;
    // Room for every entry at both ends when directed, at its own end when
    // undirected (an undirected graph lists each edge at both ends already).
    for (NodeIndex u = 0; u < n; ++u) {
        checkpoint(g.neighbors(u).size() + 1);
        out.offsets[u + 1] += g.neighbors(u).size();
        if (g.isDirected()) {
            for (const auto& entry : g.neighbors(u)) ++out.offsets[entry.target + 1];
        }
    }
    for (NodeIndex u = 0; u < n; ++u) out.offsets[u + 1] += out.offsets[u];
    out.nodes.resize(out.offsets[n]);
    std::vector<std::size_t> fill(out.offsets.begin(), out.offsets.end() - 1);
    for (NodeIndex u = 0; u < n; ++u) {
        checkpoint(g.neighbors(u).size() + 1);
        for (const auto& entry : g.neighbors(u)) {
            out.nodes[fill[u]++] = entry.target;
            if (g.isDirected()) out.nodes[fill[entry.target]++] = static_cast<std::uint32_t>(u);
        }
    }
    // Keep the first of each neighbor, drop the node itself, close the gaps.
    std::vector<std::uint32_t> seenBy(n, static_cast<std::uint32_t>(-1));
    std::size_t kept = 0;
    for (NodeIndex u = 0; u < n; ++u) {
        const std::size_t begin = out.offsets[u], end = out.offsets[u + 1];
        checkpoint(end - begin + 1);
        out.offsets[u] = kept;
        seenBy[u] = static_cast<std::uint32_t>(u);
        for (std::size_t k = begin; k < end; ++k) {
            const std::uint32_t v = out.nodes[k];
            if (seenBy[v] == u) continue;
            seenBy[v] = static_cast<std::uint32_t>(u);
            out.nodes[kept++] = v;
        }
    }
    out.offsets[n] = kept;
    out.nodes.resize(kept);
    out.nodes.shrink_to_fit();
    return out;
}

// The triangles through every node, given the simple graph: each triangle
// is found once, from its lowest node in the order of (degree, index), by
// following neighbors up that order only, so no node follows more than
// about sqrt(2E) of them. Cost: O(E^1.5) time, O(V + E) memory.
inline std::vector<std::uint64_t> trianglesOf(const SimpleNeighbors& s) {
    const std::size_t n = s.offsets.size() - 1;
    const auto before = [&](NodeIndex u, NodeIndex v) {
        return s.degree(u) < s.degree(v) || (s.degree(u) == s.degree(v) && u < v);
    };
    // Each node's neighbors that come after it.
    SimpleNeighbors up;
    up.offsets.assign(n + 1, 0);
    up.nodes.reserve(s.nodes.size() / 2);
    Checkpoint checkpoint;
    for (NodeIndex u = 0; u < n; ++u) {
        checkpoint(s.degree(u) + 1);
        for (const std::uint32_t v : s[u]) {
            if (before(u, v)) up.nodes.push_back(v);
        }
        up.offsets[u + 1] = up.nodes.size();
    }
    std::vector<std::uint64_t> count(n, 0);
    std::vector<std::uint32_t> markedBy(n, static_cast<std::uint32_t>(-1));
    for (NodeIndex u = 0; u < n; ++u) {
        for (const std::uint32_t v : up[u]) markedBy[v] = static_cast<std::uint32_t>(u);
        for (const std::uint32_t v : up[u]) {
            checkpoint(up.degree(v) + 1);
            for (const std::uint32_t w : up[v]) {
                if (markedBy[w] != u) continue;
                ++count[u];
                ++count[v];
                ++count[w];
            }
        }
    }
    return count;
}

// Twice the triangles through each of `nodes` (each triangle at v is seen
// from both its other corners) and v's degree in the simple graph, reading
// g's lists directly: for v, its neighbors are marked, then each neighbor's
// marked neighbors are counted once each. Cost: O(V) memory, and per node
// v O(sum of the list lengths of v's neighbors), in- and out-lists when
// directed.
template <class T, class W>
void doubledTrianglesAt(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                        std::vector<std::uint64_t>& doubled, std::vector<std::uint64_t>& degree) {
    for (const NodeIndex v : nodes) g.checkNode(v);
    const std::size_t n = g.nodeCount();
    const IncomingLists* in = g.isDirected() && !nodes.empty() ? &g.incoming() : nullptr;
    const auto forEach = [&](NodeIndex u, auto&& f) {
        for (const auto& entry : g.neighbors(u)) f(NodeIndex{entry.target});
        if (in != nullptr) {
            for (const std::uint32_t source : (*in)[u]) f(NodeIndex{source});
        }
    };
    // Marks are stamps: a node is marked when its stamp is the current one,
    // so nothing is cleared between nodes.
    std::vector<std::uint64_t> around(n, 0), seen(n, 0);
    std::uint64_t stamp = 0;
    std::vector<NodeIndex> distinct;
    Checkpoint checkpoint;
    doubled.assign(nodes.size(), 0);
    degree.assign(nodes.size(), 0);
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const NodeIndex v = nodes[k];
        const std::uint64_t aroundV = ++stamp;
        distinct.clear();
        around[v] = aroundV;  // v is not its own neighbor
        forEach(v, [&](NodeIndex u) {
            if (around[u] == aroundV) return;
            around[u] = aroundV;
            distinct.push_back(u);
        });
        around[v] = 0;
        std::uint64_t found = 0;
        for (const NodeIndex u : distinct) {
            const std::uint64_t seenFromU = ++stamp;
            checkpoint(g.neighbors(u).size() + 1);
            forEach(u, [&](NodeIndex w) {
                if (w == u || around[w] != aroundV || seen[w] == seenFromU) return;
                seen[w] = seenFromU;
                ++found;
            });
        }
        doubled[k] = found;
        degree[k] = distinct.size();
    }
}

// The coefficient of a node with `doubled` = 2T and degree d: 0 without a
// triangle, else 2T / (d(d - 1)) rounded once (d(d - 1) < 2^64: d < 2^32).
inline double coefficient(std::uint64_t doubled, std::uint64_t d) {
    return doubled == 0 ? 0.0 : roundedQuotient(doubled, d * (d - 1));
}

}  // namespace detail

// The number of triangles through each node, in node order: for node v, the
// pairs of its neighbors that are neighbors of each other, in the simple
// undirected graph described at the top of this header (parallel edges
// count once, self-loops never, a directed graph taken as undirected).
// Errors: none. Cost: O(E^1.5) time, O(V + E) memory.
template <class T, class W>
std::vector<std::uint64_t> triangles(const GraphView<T, W>& g) {
    return detail::trianglesOf(detail::simpleNeighbors(g));
}

// The same counts for `nodes` only, in their order (a node given twice is
// answered twice). Each equals the whole call's.
// Errors: std::out_of_range for an index past the end, before any work.
// Cost: O(V) memory, and per node v O(sum of the list lengths of v's
// neighbors) time (in- and out-lists when directed; the first call on a
// directed graph makes its incoming lists, O(V + E)).
template <class T, class W>
std::vector<std::uint64_t> triangles(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes) {
    std::vector<std::uint64_t> doubled, degree;
    detail::doubledTrianglesAt(g, nodes, doubled, degree);
    for (std::uint64_t& t : doubled) t /= 2;
    return doubled;
}

// The clustering coefficient of each node, in node order: 0.0 for a node
// in no triangle (so for degree below 2), else 2T / (d(d - 1)) with T its
// triangles and d its neighbors in the simple undirected graph, the
// quotient of the two integers rounded once to the nearest double.
// Errors: none. Cost: O(E^1.5) time, O(V + E) memory.
template <class T, class W>
std::vector<double> clustering(const GraphView<T, W>& g) {
    const detail::SimpleNeighbors s = detail::simpleNeighbors(g);
    const std::vector<std::uint64_t> counts = detail::trianglesOf(s);
    std::vector<double> out(counts.size());
    for (NodeIndex v = 0; v < counts.size(); ++v) out[v] = detail::coefficient(2 * counts[v], s.degree(v));
    return out;
}

// The coefficients of `nodes` only, in their order, each equal to the whole
// call's. Errors: std::out_of_range for an index past the end, before any
// work. Cost: as triangles(g, nodes).
template <class T, class W>
std::vector<double> clustering(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes) {
    std::vector<std::uint64_t> doubled, degree;
    detail::doubledTrianglesAt(g, nodes, doubled, degree);
    std::vector<double> out(nodes.size());
    for (std::size_t k = 0; k < nodes.size(); ++k) out[k] = detail::coefficient(doubled[k], degree[k]);
    return out;
}

// The mean of `coefficients` as averageClustering takes it: the values
// (without the zeros unless countZeros) added in their order as `summation`
// says, divided by how many were added.
// Errors: std::invalid_argument "unknown summation" for a value that is
// not a Summation; std::domain_error "the average clustering of no nodes is
// undefined" when no value is left. Cost: O(V).
inline double meanClustering(const std::vector<double>& coefficients, bool countZeros, Summation summation) {
    if (summation != Summation::PLAIN && summation != Summation::COMPENSATED) {
        throw std::invalid_argument("unknown summation");
    }
    double sum = 0.0, error = 0.0;
    std::size_t added = 0;
    for (const double x : coefficients) {
        if (x == 0.0 && !countZeros) continue;
        ++added;
        if (summation == Summation::PLAIN) {
            sum += x;
            continue;
        }
        const double t = sum + x;
        error += std::fabs(sum) >= std::fabs(x) ? (sum - t) + x : (x - t) + sum;
        sum = t;
    }
    if (added == 0) throw std::domain_error("the average clustering of no nodes is undefined");
    if (error != 0.0 && std::isfinite(error)) sum += error;
    return sum / static_cast<double>(added);
}

// The average clustering coefficient: clustering(g)'s values in node order
// through meanClustering. Errors: std::domain_error for a graph without
// nodes, or without a node in a triangle when !countZeros; as
// meanClustering for an unknown summation. Cost: O(E^1.5) time, O(V + E) memory.
template <class T, class W>
double averageClustering(const GraphView<T, W>& g, bool countZeros = true, Summation summation = Summation::PLAIN) {
    return meanClustering(clustering(g), countZeros, summation);
}

// The average over `nodes`, added in their order (a node given twice counts
// twice). Errors: std::out_of_range for an index past the end, then as the
// whole call. Cost: as triangles(g, nodes).
template <class T, class W>
double averageClustering(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes, bool countZeros = true,
                         Summation summation = Summation::PLAIN) {
    return meanClustering(clustering(g, nodes), countZeros, summation);
}

// The transitivity: three times the triangles over the paths of two edges
// (the pairs of neighbors of a node, summed over the nodes), i.e. the sum
// of 2T over the sum of d(d - 1) rounded once to the nearest double; 0.0
// for a graph without a triangle.
// Errors: std::overflow_error when the sum of d(d - 1) exceeds 64 bits
// (the simple graph then has more than 2^32 edges). Cost: O(E^1.5) time,
// O(V + E) memory.
template <class T, class W>
double transitivity(const GraphView<T, W>& g) {
    const detail::SimpleNeighbors s = detail::simpleNeighbors(g);
    const std::vector<std::uint64_t> counts = detail::trianglesOf(s);
    std::uint64_t doubled = 0, pairs = 0;
    for (NodeIndex v = 0; v < counts.size(); ++v) {
        const std::uint64_t d = s.degree(v);
        if (detail::addOverflows(pairs, d * (d - 1), pairs)) {  // 0 for d = 0: the product wraps to 0
            throw std::overflow_error("the paths of two edges exceed 64 bits");
        }
        doubled += 2 * counts[v];  // at most pairs
    }
    return doubled == 0 ? 0.0 : detail::roundedQuotient(doubled, pairs);
}

}  // namespace tarvel
