// The JSON graph file: save writes {"directed", "edges", "nodes"} with
// sorted keys and four-space indentation; load builds a new graph from it.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "graph.hpp"
#include "json_text.hpp"

namespace tarvel {

namespace detail {

[[noreturn]] inline void fileError(const std::string& what, const std::string& filename, int error) {
    throw std::runtime_error(what + " '" + filename + "': " + std::strerror(error));
}

// Replaces `filename` with `text` as a whole: the text goes to a new file in
// the same directory, which is flushed to disk and then renamed over the
// target. On any failure the target is left as it was and the temporary
// file is removed.
inline void replaceFile(const std::string& filename, const std::string& text) {
    std::string temporary = filename + ".XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0) fileError("cannot write graph file", filename, errno);

    struct stat existing;
    mode_t mode;
    if (::stat(filename.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const char* data = text.data();
    std::size_t left = text.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), filename.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fileError("cannot write graph file", filename, error);
    }
}

}  // namespace detail

namespace detail {

// Graphs whose file text is read and written directly (json_text.hpp).
template <class T, class W>
inline constexpr bool directText =
    std::is_same_v<T, std::string> && std::is_integral_v<W> && !std::is_same_v<W, bool> &&
    !std::is_same_v<W, char> && !std::is_same_v<W, signed char> && !std::is_same_v<W, unsigned char>;

// Builds a graph from the first JSON value in `in` through the JSON document.
template <class T, class W>
Graph<T, W> loadDocument(std::istream& in) {
    using json = nlohmann::json;
    json document;
    in >> document;  // the first JSON value; anything after it is ignored

    Graph<T, W> graph(document["directed"].template get<bool>());
    for (const json& name : document["nodes"]) graph.addNode(name.template get<T>());
    for (const json& edge : document["edges"]) {
        if (!edge.is_object()) {
            throw json::type_error::create(
                305, std::string("cannot use operator[] with a string argument with ") + edge.type_name(), &edge);
        }
        const json& weightValue = edge.at("weight");
        if constexpr (std::is_integral_v<W>) {
            if (weightValue.is_number_float()) {
                const double value = std::trunc(weightValue.template get<double>());
                if (!(value >= static_cast<double>(std::numeric_limits<W>::min()) &&
                      value <= static_cast<double>(std::numeric_limits<W>::max()))) {
                    throw json::out_of_range::create(
                        406, "weight " + weightValue.dump() + " is outside the range of edge weights", &edge);
                }
            }
        }
        const W weight = weightValue.template get<W>();
        const T dest = edge.at("dest").template get<T>();
        const T src = edge.at("src").template get<T>();
        graph.addEdge(src, dest, weight);
    }
    return graph;
}

inline std::string readAll(std::istream& in) {
    std::string text;
    if (!in) return text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0 && in) {
        text.resize(static_cast<std::size_t>(size));
        in.read(&text[0], size);
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (in.gcount() == size && in.peek() == std::char_traits<char>::eof()) return text;
        in.clear();
    }
    // Not a regular file (or it grew): read to the end.
    std::ostringstream rest;
    rest << in.rdbuf();
    return text + rest.str();
}

}  // namespace detail

template <class T, class W>
void Graph<T, W>::save(const std::string& filename) const {
    if constexpr (detail::directText<T, W>) {
        // Invalid UTF-8 is left to the document writer, which reports it.
        if (std::all_of(indexNode.begin(), indexNode.end(), [](const T& name) { return detail::validUtf8(name); })) {
            detail::replaceFile(filename, detail::graphText<W>(
                directed, indexNode, edges, [](const EdgeRecord& e) { return e.source; },
                [](const EdgeRecord& e) { return e.destination; }, [](const EdgeRecord& e) { return e.weight; }));
            return;
        }
    }
    nlohmann::json document;
    document["directed"] = directed;
    auto& nodes = document["nodes"] = nlohmann::json::array();
    for (const T& name : indexNode) nodes.push_back(name);
    auto& records = document["edges"] = nlohmann::json::array();
    for (const EdgeRecord& e : edges) {
        records.push_back(
            {{"src", indexNode[e.source]}, {"dest", indexNode[e.destination]}, {"weight", e.weight}});
    }
    // Serialise completely (this is where a name that is not valid UTF-8
    // fails) before the file is touched.
    std::string text = document.dump(4);
    text += '\n';
    detail::replaceFile(filename, text);
}

template <class T, class W>
Graph<T, W> Graph<T, W>::load(const std::string& filename) {
    std::ifstream in(filename);
    if constexpr (detail::directText<T, W>) {
        const std::string text = detail::readAll(in);
        detail::GraphText<W> found;
        if (detail::GraphTextReader<W>(text).read(found)) {
            Graph graph(found.directed);
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
