// The graph file read the plain way, through a whole JSON document: the
// reference that the library's readers are compared with (a weight with a
// fractional part is refused here for integral weights, by its position in
// the edge list as the document iterates it). Also the outcome of a load
// as one comparable string.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include <tarvel/json_file.hpp>

namespace reference {

// A document that remembers how its numbers beyond 64 bits were written:
// the JSON library reads such an integer as a double, and a document keeps
// only that. Each is stored as a NaN (no JSON text gives one) whose payload
// indexes its double and text, kept here.
struct WrittenIntegers : nlohmann::detail::json_sax_dom_parser<nlohmann::json> {
    using Base = nlohmann::detail::json_sax_dom_parser<nlohmann::json>;
    std::vector<std::pair<double, std::string>> kept;

    explicit WrittenIntegers(nlohmann::json& document) : Base(document) {}

    bool number_float(double x, const std::string& text) {
        if (text.find_first_of(".eE") != std::string::npos) return Base::number_float(x, text);
        std::uint64_t bits = 0x7ff8000000000000u | kept.size();
        double marked;
        std::memcpy(&marked, &bits, sizeof marked);
        kept.emplace_back(x, text);
        return Base::number_float(marked, text);
    }

    // The value as the document holds it, and its text when it was written
    // as an integer beyond 64 bits (else empty).
    std::pair<nlohmann::json, std::string> operator()(const nlohmann::json& value) const {
        if (!value.is_number_float() || !std::isnan(value.get<double>())) return {value, {}};
        const double marked = value.get<double>();
        std::uint64_t bits;
        std::memcpy(&bits, &marked, sizeof bits);
        const auto& [x, text] = kept[bits & 0xffffffffu];
        return {nlohmann::json(x), text};
    }
};

template <class T, class W>
tarvel::GraphStore<T, W> loadDocument(std::string_view text) {
    using json = nlohmann::json;
    std::istringstream in{std::string(text)};
    json document;
    WrittenIntegers written(document);
    // The first JSON value; anything after it is ignored.
    json::sax_parse(in, &written, json::input_format_t::json, /*strict=*/false);

    tarvel::GraphStore<T, W> graph(document["directed"].template get<bool>());
    for (const json& name : document["nodes"]) graph.addNode(written(name).first.template get<T>());
    std::size_t position = 0;
    for (const json& edge : document["edges"]) {
        if (!edge.is_object()) {
            throw json::type_error::create(
                305, std::string("cannot use operator[] with a string argument with ") + edge.type_name(), &edge);
        }
        const auto [number, literal] = written(edge.at("weight"));
        if (std::is_integral_v<W> && number.is_number_float() &&
            std::floor(number.template get<double>()) != number.template get<double>()) {
            throw tarvel::FractionalWeight(position, number.dump());
        }
        if constexpr (std::is_floating_point_v<W>) {
            // A number written as an integer must be the weight the graph
            // gets, to the last digit: printed in full, the W it converts
            // to (through the document's double) reads as the same text.
            // Only a number has a literal: true and false are weights too.
            const double x = literal.empty() ? 0.0 : number.template get<double>();
            if (!literal.empty() && std::fabs(x) <= static_cast<double>(std::numeric_limits<W>::max())) {
                char full[400];
                std::snprintf(full, sizeof full, "%.0Lf", static_cast<long double>(static_cast<W>(x)));
                if (literal != full) {
                    throw json::out_of_range::create(
                        406, "weight " + literal + " is not exactly representable as an edge weight", &number);
                }
            }
        }
        const W weight = tarvel::detail::weightFrom<W>(number, position++);
        const T dest = written(edge.at("dest")).first.template get<T>();
        const T src = written(edge.at("src")).first.template get<T>();
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
