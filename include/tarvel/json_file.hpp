// The graph file: a JSON object {"directed", "edges", "nodes"} with sorted
// keys and four-space indentation. saveGraph writes a graph's view to it
// (graphFileText and writeGraphFile are its two steps); loadGraph builds a
// new graph store from one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "detail/document_reader.hpp"
#include "detail/file_io.hpp"
#include "detail/json_text.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

namespace detail {

// Graphs whose file text is read and written directly (json_text.hpp).
template <class T, class W>
inline constexpr bool directText =
    std::is_same_v<T, std::string> && std::is_integral_v<W> && !std::is_same_v<W, char> &&
    !std::is_same_v<W, signed char> && !std::is_same_v<W, unsigned char>;

// The graph in `text` as the direct reader finds it, or nothing when the
// reader declines the text.
template <class W>
std::optional<GraphStore<std::string, W>> readDirect(std::string_view text) {
    GraphText<W> found;
    if (!GraphTextReader<W>(text).read(found)) return std::nullopt;
    GraphStore<std::string, W> graph(found.directed);
    Checkpoint checkpoint;
    for (const std::string_view name : found.nodes) {
        checkpoint();
        graph.addNode(std::string(name));
    }
    for (const auto& edge : found.edges) {
        checkpoint();
        graph.addEdge(edge.src, edge.dest, edge.weight);
    }
    return graph;
}

// The graph in the text of a graph file: directly when the direct reader
// takes the text, else through the document reader, which gives the same
// graph or error for every text.
template <class T, class W>
GraphStore<T, W> readGraphText(std::string_view text) {
    if constexpr (directText<T, W>) {
        if (auto graph = readDirect<W>(text)) return std::move(*graph);
    }
    return readDocument<T, W>(text);
}

}  // namespace detail

// The text of the graph file for `g`: nodes in index order, then the edge
// records in insertion order (in an undirected graph only the first addEdge
// call of each pair).
// Errors: the JSON library's type error 316 for a name that is not valid
// UTF-8. Cost: O(V + E).
template <class T, class W>
std::string graphFileText(const GraphView<T, W>& g) {
    if constexpr (detail::directText<T, W>) {
        // The error names the first invalid name in the order a document
        // writes them: each edge's "dest" and "src", then the nodes.
        const Span<EdgeRecord<W>> edges = g.edges();
        const std::vector<bool> recorded = g.fileRecords();
        detail::Checkpoint checkpoint;
        for (std::size_t k = 0; k < edges.size(); ++k) {
            checkpoint();
            if (!recorded[k]) continue;
            for (const NodeIndex end : {edges[k].target, edges[k].source}) {
                if (!detail::validUtf8(g.name(end))) nlohmann::json(g.name(end)).dump();  // raises 316
            }
        }
        for (NodeIndex k = 0; k < g.nodeCount(); ++k) {
            if (!detail::validUtf8(g.name(k))) nlohmann::json(g.name(k)).dump();
        }
        return detail::graphText(g, recorded);
    } else {
        nlohmann::json document;
        document["directed"] = g.isDirected();
        auto& nodes = document["nodes"] = nlohmann::json::array();
        for (NodeIndex k = 0; k < g.nodeCount(); ++k) nodes.push_back(g.name(k));
        auto& records = document["edges"] = nlohmann::json::array();
        const Span<EdgeRecord<W>> edges = g.edges();
        const std::vector<bool> recorded = g.fileRecords();
        for (std::size_t k = 0; k < edges.size(); ++k) {
            if (!recorded[k]) continue;
            records.push_back({{"src", g.name(edges[k].source)}, {"dest", g.name(edges[k].target)},
                               {"weight", edges[k].weight}});
        }
        std::string text = document.dump(4);
        text += '\n';
        return text;
    }
}

// Writes a graph file's text to `filename`. A regular file is replaced
// atomically: the text goes to a temporary file in the same directory,
// which is flushed to disk and renamed over the target. A symbolic link
// stays a link and its final target is replaced (created when it does not
// exist). A device or FIFO is written into, as opening it for writing would.
// Errors: std::invalid_argument for a name holding a NUL byte;
// std::runtime_error naming the file when it cannot be written. On every
// error a regular file is untouched and no temporary file is left.
// Cost: O(size of the text).
inline void writeGraphFile(const std::string& filename, const std::string& text) {
    detail::replaceFile(filename, text);
}

// Writes the graph to `filename`: graphFileText, then writeGraphFile, so
// that the text is complete before the file is touched.
// Errors: those of both. Cost: O(V + E).
template <class T, class W>
void saveGraph(const GraphView<T, W>& g, const std::string& filename) {
    writeGraphFile(filename, graphFileText(g));
}

// Reads the graph file `filename` into a new graph: nodes added in file
// order, then edges, as addNode and addEdge would. Text after the first JSON
// value is ignored; fractional weights are truncated toward zero, true and
// false give 1 and 0.
// Errors (the graph being built is discarded): std::invalid_argument for a
// name holding a NUL byte; the JSON library's parse error 101 for malformed
// text (a file that cannot be opened or read, a directory for one, is an
// empty one); its type errors for members of the wrong type; its
// out-of-range error 406 for a weight outside W's range; std::runtime_error
// "duplicate nodes are not allowed"; std::out_of_range for an edge naming an
// unknown node; std::bad_alloc when memory runs out.
// Cost: O(V + E) time; memory beyond the graph: the file's text once, and
// for a file the direct reader declines about a quarter of that again.
template <class T, class W>
GraphStore<T, W> loadGraph(const std::string& filename) {
    return detail::readGraphText<T, W>(detail::readFile(filename));
}

}  // namespace tarvel
