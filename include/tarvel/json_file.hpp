// The graph file: a JSON object {"directed", "edges", "nodes"} with sorted
// keys and four-space indentation. saveGraph writes a graph's view to it;
// loadGraph builds a new graph store from one.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "detail/file_io.hpp"
#include "detail/json_text.hpp"
#include "store.hpp"

namespace tarvel {

namespace detail {

// Graphs whose file text is read and written directly (json_text.hpp).
template <class T, class W>
inline constexpr bool directText =
    std::is_same_v<T, std::string> && std::is_integral_v<W> && !std::is_same_v<W, char> &&
    !std::is_same_v<W, signed char> && !std::is_same_v<W, unsigned char>;

// The "weight" member as W. Numbers outside W's range are refused, never
// wrapped: integers as they are, fractional numbers after truncation toward
// zero (what the conversion does inside the range).
template <class W>
W weightFrom(const nlohmann::json& value, const nlohmann::json& edge) {
    bool inRange = true;
    if constexpr (std::is_integral_v<W>) {
        using Limits = std::numeric_limits<W>;
        if (value.is_number_unsigned()) {
            inRange = value.template get<std::uint64_t>() <= std::uint64_t{Limits::max()};
        } else if (value.is_number_integer()) {
            const auto x = value.template get<std::int64_t>();
            if constexpr (std::is_signed_v<W>) {
                inRange = x >= std::int64_t{Limits::min()} && x <= std::int64_t{Limits::max()};
            } else {
                inRange = x >= 0;  // a negative integer; non-negative ones are unsigned above
            }
        } else if (value.is_number_float()) {
            // [min, 2^digits) holds exactly the doubles whose truncation fits.
            const double t = std::trunc(value.template get<double>());
            inRange = t >= static_cast<double>(Limits::min()) && t < std::ldexp(1.0, Limits::digits);
        }
    } else if (value.is_number()) {
        const double x = value.template get<double>();
        inRange = std::fabs(x) <= static_cast<double>(std::numeric_limits<W>::max());
    }
    if (!inRange) {
        throw nlohmann::json::out_of_range::create(
            406, "weight " + value.dump() + " is outside the range of edge weights", &edge);
    }
    return value.template get<W>();
}

// Builds a graph from the first JSON value in `in` through the JSON
// document. Errors come in the order the document is read: a syntax error
// anywhere first, then "directed", each node, each edge.
template <class T, class W>
GraphStore<T, W> loadDocument(std::istream& in) {
    using json = nlohmann::json;
    json document;
    in >> document;  // the first JSON value; anything after it is ignored

    GraphStore<T, W> graph(document["directed"].template get<bool>());
    for (const json& name : document["nodes"]) graph.addNode(name.template get<T>());
    for (const json& edge : document["edges"]) {
        if (!edge.is_object()) {
            throw json::type_error::create(
                305, std::string("cannot use operator[] with a string argument with ") + edge.type_name(), &edge);
        }
        const W weight = weightFrom<W>(edge.at("weight"), edge);
        const T dest = edge.at("dest").template get<T>();
        const T src = edge.at("src").template get<T>();
        graph.addEdge(src, dest, weight);
    }
    return graph;
}

}  // namespace detail

// Writes the graph to `filename`, replacing the file atomically: the whole
// text is made first, written to a temporary file beside it, flushed, and
// renamed over the target. Nodes in index order, then the edge records in
// insertion order (in an undirected graph only the first addEdge call of
// each pair).
// Errors: std::runtime_error naming the file when it cannot be written;
// the JSON library's type error 316 for a name that is not valid UTF-8. On
// every error the old file is untouched. Cost: O(V + E).
template <class T, class W>
void saveGraph(const GraphView<T, W>& g, const std::string& filename) {
    if constexpr (detail::directText<T, W>) {
        // Invalid UTF-8 is left to the document writer, which reports it.
        bool valid = true;
        for (NodeIndex k = 0; k < g.nodeCount() && valid; ++k) valid = detail::validUtf8(g.name(k));
        if (valid) {
            detail::replaceFile(filename, detail::graphText(g));
            return;
        }
    }
    nlohmann::json document;
    document["directed"] = g.isDirected();
    auto& nodes = document["nodes"] = nlohmann::json::array();
    for (NodeIndex k = 0; k < g.nodeCount(); ++k) nodes.push_back(g.name(k));
    auto& records = document["edges"] = nlohmann::json::array();
    const Span<EdgeRecord<W>> edges = g.edges();
    for (std::size_t k = 0; k < edges.size(); ++k) {
        if (!g.isFileRecord(k)) continue;
        records.push_back({{"src", g.name(edges[k].source)}, {"dest", g.name(edges[k].target)},
                           {"weight", edges[k].weight}});
    }
    // Serialise completely (this is where a name that is not valid UTF-8
    // fails) before the file is touched.
    std::string text = document.dump(4);
    text += '\n';
    detail::replaceFile(filename, text);
}

// Reads the graph file `filename` into a new graph: nodes added in file
// order, then edges, as addNode and addEdge would. Text after the first JSON
// value is ignored; fractional weights are truncated toward zero, true and
// false give 1 and 0.
// Errors (the graph being built is discarded): the JSON library's parse
// error 101 for malformed text (a missing or unreadable file is an empty
// one); its type errors for members of the wrong type; its out-of-range
// error 406 for a weight outside W's range; std::runtime_error "duplicate
// nodes are not allowed"; std::out_of_range for an edge naming an unknown
// node. Cost: O(V + E) time, O(file size) memory.
template <class T, class W>
GraphStore<T, W> loadGraph(const std::string& filename) {
    std::ifstream in(filename);
    if constexpr (detail::directText<T, W>) {
        const std::string text = detail::readAll(in);
        detail::GraphText<W> found;
        if (detail::GraphTextReader<W>(text).read(found)) {
            GraphStore<T, W> graph(found.directed);
            for (const std::string_view name : found.nodes) graph.addNode(std::string(name));
            for (const auto& edge : found.edges) graph.addEdge(edge.src, edge.dest, edge.weight);
            return graph;
        }
        std::istringstream again(text);
        return detail::loadDocument<T, W>(again);
    } else {
        return detail::loadDocument<T, W>(in);
    }
}

}  // namespace tarvel
