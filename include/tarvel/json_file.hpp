// The graph file: a JSON object {"directed", "edges", "nodes"} with sorted
// keys and four-space indentation. saveGraph writes a graph's view to it
// (graphFileText and writeGraphFile are its two steps); loadGraph builds a
// new graph store from one. Their own exceptions, tarvel::FileError and
// tarvel::FractionalWeight, come with this header (detail/file_errors.hpp).
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "detail/descriptor_stream.hpp"
#include "detail/document_reader.hpp"
#include "detail/file_errors.hpp"
#include "detail/file_io.hpp"
#include "detail/json_text.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

namespace detail {

// Graphs whose file text the direct reader reads (json_text.hpp).
template <class T, class W>
inline constexpr bool directText =
    std::is_same_v<T, std::string> &&
    ((std::is_integral_v<W> && !std::is_same_v<W, char> && !std::is_same_v<W, signed char> &&
      !std::is_same_v<W, unsigned char>) ||
     std::is_same_v<W, double> || std::is_same_v<W, float>);

// The graph in `text` as the direct reader finds it, or nothing when the
// reader declines the text.
template <class W>
std::optional<GraphStore<std::string, W>> readDirect(std::string_view text) {
    GraphText<W> found;
    if (!GraphTextReader<W>(text).read(found)) return std::nullopt;
    using Store = GraphStore<std::string, W>;
    Store graph(found.directed);
    // As batches, which look names up and make room a node at a time, ahead
    // of the changes; a batch that fails is made again one item at a time,
    // which gives the graph file's own error (the batches name the item).
    std::vector<std::string> names(found.nodes.begin(), found.nodes.end());
    std::optional<typename Store::PreparedNodes> nodes;
    try {
        nodes = graph.prepareNodes(names);
    } catch (const Interrupted&) {
        throw;
    } catch (const std::runtime_error&) {
    } catch (const std::length_error&) {
    }
    Checkpoint checkpoint;
    if (nodes) {
        graph.apply(names, *nodes);
    } else {
        for (const std::string& name : names) {
            checkpoint();
            graph.addNode(name);
        }
    }
    std::vector<typename Store::EdgeSpec> batch;
    batch.reserve(found.edges.size());
    for (const auto& edge : found.edges) batch.push_back({edge.src, edge.dest, edge.weight});
    std::optional<typename Store::PreparedEdges> edges;
    try {
        edges = graph.prepareEdges(batch);
    } catch (const std::out_of_range&) {
    } catch (const std::invalid_argument&) {
    }
    if (edges) {
        graph.apply(*edges);
    } else {
        for (const auto& edge : found.edges) {
            checkpoint();
            graph.addEdge(edge.src, edge.dest, edge.weight);
        }
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
// call of each pair), laid out as the JSON library writes the document
// {"directed", "edges", "nodes"} with four-space indentation; each
// floating-point weight with the fewest significant digits that read back
// to the same double (2.0 for a whole number, -0.0 kept, 5e-324,
// 1.7976931348623157e+308), so that loadGraph gives every weight back
// exactly (a long double is written as the double it rounds to).
// Errors: the JSON library's type error 316 for a name that is not valid
// UTF-8, the first one in the order the document holds names: each edge's
// "dest" and "src", then the nodes. Cost: O(V + E).
template <class T, class W>
std::string graphFileText(const GraphView<T, W>& g) {
    const std::vector<bool> recorded = g.fileRecords();
    if constexpr (std::is_same_v<T, std::string>) {
        // Checked before writing, as the library would raise it; other
        // types raise it themselves as they are written, in this order.
        const Span<EdgeRecord<W>> edges = g.edges();
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
    }
    return detail::graphText(g, recorded);
}

// Writes a graph file's text to `filename`. A regular file is replaced
// atomically: the text goes to a temporary file in the same directory,
// which is flushed to disk and renamed over the target. A symbolic link
// stays a link and its final target is replaced (created when it does not
// exist). A device or FIFO is written into, as opening it for writing would.
// Every wait (a FIFO's reader, room in a pipe) calls the thread's interrupt
// check every few milliseconds.
// Errors: std::invalid_argument for a name holding a NUL byte; FileError
// "cannot write graph file 'NAME': REASON" when it cannot be written, its
// error() the errno value; what the interrupt check throws. On every error
// a regular file is untouched and no temporary file is left.
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
// value is ignored, and not read: a regular file is read whole and then
// parsed; any other file (a FIFO, a device, a terminal) is parsed as its
// bytes arrive, which ends at the first invalid byte or after the first
// complete value even when the input is endless (/dev/zero), and gives the
// same graph or error as the same bytes in a regular file. Opening a FIFO
// waits for its writer. Every wait calls the thread's interrupt check every
// few milliseconds. true and false give 1 and 0; a whole number written as
// a float (2.0, 1e3) is that number.
// Errors (the graph being built is discarded): std::invalid_argument for a
// name holding a NUL byte; FileError "cannot open graph file 'NAME':
// REASON" for a file that cannot be opened (missing, no permission, a
// directory: "Is a directory", EISDIR) and "cannot read graph file 'NAME':
// REASON" for a failed read; then, in the order reading a JSON document
// and taking "directed", each node and each edge from it would raise them:
// the JSON library's parse error 101 for malformed text (an empty file
// included; a syntax error anywhere comes first), its type errors for
// members of the wrong type, std::runtime_error "duplicate nodes are not
// allowed", and for each edge in turn, where its weight is taken (after a
// missing "weight", before its "dest" and "src"): FractionalWeight for a
// weight with a fractional part when W is integral, and the out-of-range
// error 406 for a weight outside W's range or an integer that a
// floating-point W cannot hold exactly (both naming the number; the rule
// is one for every literal written as an integer, of any length:
// 9007199254740993 and 18446744073709551617 are refused by a double graph,
// 18446744073709551616 is taken);
// std::out_of_range for an edge naming an unknown node; std::bad_alloc
// when memory runs out; what the interrupt check throws.
// Cost: O(V + E) time; memory beyond the graph: a regular file's text once,
// and for a file the direct reader declines about a quarter of that again;
// for any other file that quarter and 64 kB.
template <class T, class W>
GraphStore<T, W> loadGraph(const std::string& filename) {
    const detail::InputFile file(filename);
    if (file.isRegular()) return detail::readGraphText<T, W>(file.readAll());
    detail::DescriptorStream bytes(file);
    std::istream in(&bytes);
    return detail::readDocument<T, W>(in);
}

}  // namespace tarvel
