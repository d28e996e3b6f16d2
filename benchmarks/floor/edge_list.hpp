// Reading a benchmark graph as benchmarks/compare.py writes it: the node
// names, one a line, in index order, and the edge list, one
// "source TAB target TAB weight" a line, in the order the edges were added.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bench {

struct EdgeList {
    std::string nodeText, edgeText;        // the files' bytes, which the views below point into
    std::vector<std::string_view> names;   // by node index
    std::vector<std::string_view> sourceNames, targetNames;
    std::vector<std::uint32_t> sources, targets;
    std::vector<std::int32_t> weights;
};

inline std::string readFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) throw std::runtime_error(std::string("cannot open ") + path + ": " + std::strerror(errno));
    std::string text;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw std::runtime_error(std::string("cannot read ") + path);
    return text;
}

// The lines of `text`, without their line ends; a last line without one
// counts, an empty last line does not.
inline std::vector<std::string_view> lines(const std::string& text) {
    std::vector<std::string_view> result;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        result.emplace_back(text.data() + begin, end - begin);
        begin = end + 1;
    }
    return result;
}

inline EdgeList readEdgeList(const char* nodesPath, const char* edgesPath) {
    EdgeList list;
    list.nodeText = readFile(nodesPath);
    list.edgeText = readFile(edgesPath);
    list.names = lines(list.nodeText);
    std::unordered_map<std::string_view, std::uint32_t> index;
    index.reserve(list.names.size());
    for (std::size_t i = 0; i < list.names.size(); ++i) {
        if (!index.emplace(list.names[i], static_cast<std::uint32_t>(i)).second) {
            throw std::runtime_error("node " + std::string(list.names[i]) + " is listed twice");
        }
    }
    const auto lookUp = [&](std::string_view name) {
        const auto found = index.find(name);
        if (found == index.end()) throw std::runtime_error("unknown node " + std::string(name));
        return found->second;
    };
    for (const std::string_view line : lines(list.edgeText)) {
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) throw std::runtime_error("not an edge: " + std::string(line));
        const std::string_view source = line.substr(0, tab1), target = line.substr(tab1 + 1, tab2 - tab1 - 1);
        list.sourceNames.push_back(source);
        list.targetNames.push_back(target);
        list.sources.push_back(lookUp(source));
        list.targets.push_back(lookUp(target));
        list.weights.push_back(static_cast<std::int32_t>(std::stol(std::string(line.substr(tab2 + 1)))));
    }
    return list;
}

}  // namespace bench
