// The pickled form of a graph: one bytes object, little-endian, versioned.
//
//   "tarvel-graph"            12 bytes
//   format                    u32 (1)
//   flags                     u32: 1 directed, 2 floating-point weights
//   node count V, edge count E  u64 each
//   V name lengths            u32 each
//   the names' bytes          one after the other
//   E sources, E targets      u32 each: node indices
//   E weights                 i32 each, or f64 for floating-point weights
//
// The edges are the graph's edge records in call order (every addEdge
// call), so the graph made from them is the same graph: the same nodes in
// order, the same adjacency lists in order, the same records. Reading it
// back looks no name up but to check that no name is there twice.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shared_graph.hpp"

namespace tarvel_python {
namespace pickled {

inline constexpr char Magic[] = "tarvel-graph";  // 12 bytes without the terminator
inline constexpr std::size_t MagicSize = sizeof(Magic) - 1;
inline constexpr std::uint32_t Format = 1;
inline constexpr std::uint32_t Directed = 1, FloatWeights = 2;

// Fixed-width values in little-endian order, on any host.
template <class U>
void put(std::string& out, U value) {
    for (std::size_t k = 0; k < sizeof(U); ++k) out.push_back(static_cast<char>((value >> (8 * k)) & 0xff));
}

template <class W>
std::uint64_t weightBits(W weight) {
    if constexpr (std::is_same_v<W, double>) {
        std::uint64_t bits;
        std::memcpy(&bits, &weight, sizeof bits);
        return bits;
    } else {
        return static_cast<std::uint32_t>(weight);
    }
}

// The pickled form of the graph `g` reads.
template <class W>
std::string write(const View<W>& g) {
    const auto edges = g.edges();
    std::size_t nameBytes = 0;
    for (tarvel::NodeIndex k = 0; k < g.nodeCount(); ++k) nameBytes += g.name(k).size();
    std::string out;
    out.reserve(MagicSize + 24 + 4 * g.nodeCount() + nameBytes + edges.size() * (8 + sizeof(W)));
    out.append(Magic, MagicSize);
    put<std::uint32_t>(out, Format);
    put<std::uint32_t>(out, (g.isDirected() ? Directed : 0) | (std::is_same_v<W, double> ? FloatWeights : 0));
    put<std::uint64_t>(out, g.nodeCount());
    put<std::uint64_t>(out, edges.size());
    tarvel::detail::Checkpoint checkpoint;
    for (tarvel::NodeIndex k = 0; k < g.nodeCount(); ++k) put<std::uint32_t>(out, static_cast<std::uint32_t>(g.name(k).size()));
    for (tarvel::NodeIndex k = 0; k < g.nodeCount(); ++k) {
        checkpoint();
        out += g.name(k);
    }
    for (const auto& e : edges) put<std::uint32_t>(out, e.source);
    for (const auto& e : edges) put<std::uint32_t>(out, e.target);
    for (const auto& e : edges) {
        checkpoint();
        if constexpr (std::is_same_v<W, double>) {
            put<std::uint64_t>(out, weightBits(e.weight));
        } else {
            put<std::uint32_t>(out, static_cast<std::uint32_t>(weightBits(e.weight)));
        }
    }
    return out;
}

[[noreturn]] inline void damaged(const std::string& why) {
    throw std::invalid_argument("the pickled tarvel.Graph is damaged: " + why);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : rest(bytes) {}

    template <class U>
    U get() {
        if (rest.size() < sizeof(U)) damaged("it ends too soon");
        U value = 0;
        for (std::size_t k = 0; k < sizeof(U); ++k) {
            value |= static_cast<U>(static_cast<U>(static_cast<unsigned char>(rest[k])) << (8 * k));
        }
        rest.remove_prefix(sizeof(U));
        return value;
    }

    std::string_view take(std::size_t size) {
        if (rest.size() < size) damaged("it ends too soon");
        const std::string_view out = rest.substr(0, size);
        rest.remove_prefix(size);
        return out;
    }

    std::size_t left() const { return rest.size(); }

private:
    std::string_view rest;
};

// The flags of a pickled form, after checking its kind and format.
// Errors: std::invalid_argument for bytes that are no pickled graph or of a
// format this version does not know.
inline std::uint32_t flagsOf(std::string_view bytes) {
    Reader in(bytes);
    if (bytes.size() < MagicSize || bytes.substr(0, MagicSize) != std::string_view(Magic, MagicSize)) {
        throw std::invalid_argument("these bytes are no pickled tarvel.Graph");
    }
    in.take(MagicSize);
    const auto format = in.get<std::uint32_t>();
    if (format != Format) {
        throw std::invalid_argument("this tarvel.Graph was pickled in format " + std::to_string(format) +
                                    ", which this version of tarvel cannot read (it reads format " +
                                    std::to_string(Format) + "): unpickle it with the version that made it");
    }
    return in.get<std::uint32_t>();
}

// The graph of a pickled form whose flags say weights of type W.
// Errors: those of flagsOf; std::invalid_argument for damaged bytes.
template <class W>
Store<W> read(std::string_view bytes) {
    Reader in(bytes);
    in.take(MagicSize);
    in.get<std::uint32_t>();
    const auto flags = in.get<std::uint32_t>();
    const auto nodeCount = in.get<std::uint64_t>();
    const auto edgeCount = in.get<std::uint64_t>();
    // Counts the bytes can hold, before anything is allocated for them.
    if (nodeCount > in.left() / 4 || edgeCount > in.left() / (8 + sizeof(W))) damaged("its counts exceed its size");
    Store<W> graph((flags & Directed) != 0);
    std::vector<std::uint32_t> lengths(nodeCount);
    for (auto& length : lengths) length = in.get<std::uint32_t>();
    std::vector<std::string> names;
    names.reserve(nodeCount);
    tarvel::detail::Checkpoint checkpoint;
    for (const std::uint32_t length : lengths) {
        checkpoint();
        names.emplace_back(in.take(length));
    }
    try {
        graph.addNodes(std::move(names));
    } catch (const std::runtime_error& e) {
        damaged(e.what());
    }
    typename Store<W>::PreparedEdges edges;
    edges.ends.resize(2 * edgeCount);
    for (std::uint64_t k = 0; k < edgeCount; ++k) edges.ends[2 * k] = in.get<std::uint32_t>();
    for (std::uint64_t k = 0; k < edgeCount; ++k) edges.ends[2 * k + 1] = in.get<std::uint32_t>();
    for (const std::uint32_t end : edges.ends) {
        if (end >= nodeCount) damaged("an edge names node " + std::to_string(end) + " of " + std::to_string(nodeCount));
    }
    edges.weights.resize(edgeCount);
    for (auto& weight : edges.weights) {
        if constexpr (std::is_same_v<W, double>) {
            const auto bits = in.get<std::uint64_t>();
            std::memcpy(&weight, &bits, sizeof weight);
            if (!std::isfinite(weight)) damaged("a weight is not finite");
        } else {
            weight = static_cast<W>(in.get<std::uint32_t>());
        }
    }
    if (in.left() != 0) damaged("it has bytes after its edges");
    graph.apply(edges);
    return graph;
}

}  // namespace pickled
}  // namespace tarvel_python
