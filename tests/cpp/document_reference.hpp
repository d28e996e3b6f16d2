// The graph file read the plain way, through a whole JSON document: the
// reference that the library's readers are compared with (a weight with a
// fractional part is refused here for integral weights, by its position in
// the edge list as the document iterates it). Also the outcome of a load
// as one comparable string.
#pragma once

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
#include <typeinfo>

#include <tarvel/json_file.hpp>

namespace reference {

template <class T, class W>
tarvel::GraphStore<T, W> loadDocument(std::string_view text) {
    using json = nlohmann::json;
    std::istringstream in{std::string(text)};
    json document;
    in >> document;  // the first JSON value; anything after it is ignored

    tarvel::GraphStore<T, W> graph(document["directed"].template get<bool>());
    for (const json& name : document["nodes"]) graph.addNode(name.template get<T>());
    std::size_t position = 0;
    for (const json& edge : document["edges"]) {
        if (!edge.is_object()) {
            throw json::type_error::create(
                305, std::string("cannot use operator[] with a string argument with ") + edge.type_name(), &edge);
        }
        const json& number = edge.at("weight");
        if (std::is_integral_v<W> && number.is_number_float() &&
            std::floor(number.template get<double>()) != number.template get<double>()) {
            throw tarvel::FractionalWeight(position, number.dump());
        }
        const W weight = tarvel::detail::weightFrom<W>(number, position++);
        const T dest = edge.at("dest").template get<T>();
        const T src = edge.at("src").template get<T>();
        graph.addEdge(src, dest, weight);
    }
    return graph;
}

template <class T>
void put(std::ostream& out, const T& name) {
    if constexpr (std::is_same_v<T, std::string>) {
        out << name.size() << ':' << name;  // any bytes, unambiguously
    } else {
        out << name;
    }
}

// "directed flag, names in order, edge records in order", or the error's
// type and message.
template <class Load>
std::string outcome(Load load) {
    std::ostringstream out;
    out << std::setprecision(17);
    try {
        const auto graph = load();
        const auto view = graph.view();
        out << (view.isDirected() ? "directed" : "undirected");
        for (std::size_t k = 0; k < view.nodeCount(); ++k) put(out << " node ", view.name(k));
        for (const auto& e : view.edges()) out << " edge " << e.source << '>' << e.target << ' ' << e.weight;
    } catch (const std::exception& e) {
        out << typeid(e).name() << ' ' << e.what();
    }
    return out.str();
}

}  // namespace reference
