// The general reading path of the graph file, for every text the direct
// reader (json_text.hpp) declines, for every name and weight type, and for
// files that are not regular ones, read from a stream as their bytes
// arrive. It gives exactly what reading the first JSON value into a
// document and then taking document["directed"], each of document["nodes"]
// and each of document["edges"] (each weight by weightFrom, given the
// number's text when it is written as an integer) would give,
// errors and their messages included, without holding the document: one
// streaming pass checks the syntax and keeps only what the graph is built
// from, in a compact byte tape; the graph is built from the tape after the
// pass, so that a syntax error anywhere comes before every other error,
// then "directed", each node, each edge.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <istream>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "../interrupt.hpp"
#include "../store.hpp"
#include "file_errors.hpp"
#include "value_tape.hpp"

namespace tarvel::detail {

// Whether the integer `x` converts to the floating-point W without rounding.
template <class W, class Integer>
bool heldExactly(Integer x) {
    // The conversion lands in [-2^63, 2^64]; converting back is defined only
    // below the integer type's limit.
    const W limit = std::ldexp(W(1), std::numeric_limits<Integer>::digits);
    const W w = static_cast<W>(x);
    return w < limit && static_cast<Integer>(w) == x;
}

// Whether a JSON number's literal is written as an integer: no fraction,
// no exponent.
inline bool integerLiteral(std::string_view literal) {
    return !literal.empty() && literal.find_first_of(".eE") == std::string_view::npos;
}

// Whether the value of the JSON integer literal `literal` ([-]digits) is
// one the floating-point W holds exactly: its binary digits, from the
// highest one to the lowest one, fit in W's significand, and it lies below
// W's overflow threshold. Exact arithmetic on the literal's digits, so the
// answer does not pass through a rounded value. Cost: O(d^2) for d digits
// (the JSON library reads no literal beyond the range of a double, so d is
// at most about 310).
template <class W>
bool literalHeldExactly(std::string_view literal) {
    static_assert(std::is_floating_point_v<W>);
    if (!literal.empty() && literal.front() == '-') literal.remove_prefix(1);
    std::vector<std::uint32_t> limbs;  // the value in base 2^32, lowest limb first
    for (const char c : literal) {
        std::uint64_t carry = static_cast<std::uint64_t>(c - '0');
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t v = std::uint64_t{limb} * 10 + carry;
            limb = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
    }
    std::size_t low = 0;
    while (low < limbs.size() && limbs[low] == 0) ++low;
    if (low == limbs.size()) return true;  // zero
    const auto bitIndex = [](std::size_t limb, std::uint32_t bits, bool highest) {
        int k = highest ? 31 : 0;
        while (((bits >> k) & 1u) == 0) k += highest ? -1 : 1;
        return static_cast<long long>(limb) * 32 + k;
    };
    const long long lowest = bitIndex(low, limbs[low], false);
    const long long highest = bitIndex(limbs.size() - 1, limbs.back(), true);
    return highest - lowest < std::numeric_limits<W>::digits && highest < std::numeric_limits<W>::max_exponent;
}

// The "weight" member of the file's edge number `edge` (from 0, in the order
// edges are added) as W, refusing what would change it. For integral W, a
// number with a fractional part throws FractionalWeight, whatever its size
// (it is no integer weight at all, so this comes before the range check);
// a whole number written as a float (2.0, -0.0, 1e3) is that integer. A
// number outside W's range, or, for floating-point W, a number written as
// an integer (`literal`, the number's text when it has no fraction or
// exponent, else empty) that W cannot hold exactly (2^53 + 1, 2^64 + 1 or
// -2^63 - 1 in a double), throws the JSON library's out-of-range error 406
// naming it (an integer as written). The JSON library reads a literal
// beyond 64 bits as a double: its text decides whether it is exact. Every
// number with a fraction or exponent is the double nearest to the decimal
// (then converted to W). Other types throw the library's type errors; true
// and false give 1 and 0.
template <class W>
W weightFrom(const nlohmann::json& value, std::size_t edge, std::string_view literal = {}) {
    const auto refuse = [&](const char* why, std::string_view shown = {}) {
        throw nlohmann::json::out_of_range::create(
            406, "weight " + (shown.empty() ? value.dump() : std::string(shown)) + why, &value);
    };
    const char* const outside = " is outside the range of edge weights";
    const char* const inexact = " is not exactly representable as an edge weight";
    if constexpr (std::is_integral_v<W>) {
        using Limits = std::numeric_limits<W>;
        bool inRange = true;
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
            const double x = value.template get<double>();
            if (x != std::trunc(x)) throw FractionalWeight(edge, value.dump());
            // [min, 2^digits) holds exactly the whole doubles that fit.
            inRange = x >= static_cast<double>(Limits::min()) && x < std::ldexp(1.0, Limits::digits);
        }
        if (!inRange) refuse(outside);
    } else {
        if (value.is_number_unsigned()) {
            if (!heldExactly<W>(value.template get<std::uint64_t>())) refuse(inexact);
        } else if (value.is_number_integer()) {
            if (!heldExactly<W>(value.template get<std::int64_t>())) refuse(inexact);
        } else if (value.is_number_float()) {
            if (std::fabs(value.template get<double>()) > static_cast<double>(std::numeric_limits<W>::max())) {
                refuse(outside);
            }
            // The graph gets the document's double converted to W: a wider
            // W holds no more of the literal than that double does.
            using Held = std::conditional_t<(std::numeric_limits<W>::digits > std::numeric_limits<double>::digits),
                                            double, W>;
            if (integerLiteral(literal) && !literalHeldExactly<Held>(literal)) refuse(inexact, literal);
        }
    }
    return value.template get<W>();
}

// The streaming handler: receives the JSON library's events for the first
// value of the text and keeps the top-level type, "directed" and the tapes
// of "nodes" and "edges" (keyed when the member is an object, whose
// elements a document iterates by key). A node is its value; an edge is its
// type, and when it is an object its last "weight", "dest" and "src"
// (discarded for those it lacks). A member given twice counts by its last
// occurrence, as in a document. Values nested where nothing is collected
// are passed over by counting depth.
class DocumentCollector {
public:
    JsonType top = JsonType::discarded;
    Scalar directed;  // the type and boolean only
    Tape nodes, edges;

    bool null() { return value(JsonType::null, 0, {}); }
    bool boolean(bool x) { return value(JsonType::boolean, x ? 1 : 0, {}); }
    bool number_integer(std::int64_t x) { return value(JsonType::number_integer, static_cast<std::uint64_t>(x), {}); }
    bool number_unsigned(std::uint64_t x) { return value(JsonType::number_unsigned, x, {}); }
    // A number written as an integer that the JSON library reads as a
    // double (beyond 64 bits) keeps its text: weightFrom judges by it.
    bool number_float(double x, const std::string& literal) {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        const std::string_view kept = integerLiteral(literal) ? std::string_view(literal) : std::string_view{};
        return value(JsonType::number_float, bits, kept);
    }
    bool string(std::string& x) { return value(JsonType::string, 0, x); }
    bool binary(nlohmann::json::binary_t&) { return true; }  // JSON text has none
    bool start_object(std::size_t) { return open(JsonType::object); }
    bool start_array(std::size_t) { return open(JsonType::array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(std::string& name) {
        if (depth == 1) {
            member = name == "directed" ? Member::Directed
                     : name == "nodes"  ? Member::Nodes
                     : name == "edges"  ? Member::Edges
                                        : Member::Other;
        } else if (depth == 2 && list != nullptr) {
            list->putText(name);  // the list is an object: its elements go by key
        } else if (depth == 3 && inEdge) {
            field = name == "weight" ? 0 : name == "dest" ? 1 : name == "src" ? 2 : NoField;
        }
        return true;
    }

    // Raises the syntax error as the document reader raises it.
    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& error) {
        throw error;
    }

private:
    enum class Member { Other, Directed, Nodes, Edges };
    enum class Slot { Ignored, Top, Directed, List, Element, Field };
    static constexpr int NoField = -1;

    // Where a value starting now belongs.
    Slot slot() const {
        if (depth == 0) return Slot::Top;
        if (depth == 1 && top == JsonType::object) {
            if (member == Member::Directed) return Slot::Directed;
            return member == Member::Other ? Slot::Ignored : Slot::List;
        }
        if (depth == 2 && list != nullptr) return Slot::Element;
        if (depth == 3 && inEdge && field != NoField) return Slot::Field;
        return Slot::Ignored;
    }

    // The "nodes" or "edges" member starts: it replaces an earlier one. A
    // container's elements follow; any other value but null is iterated as
    // its only element.
    void startList(JsonType type, std::uint64_t bits, std::string_view text) {
        Tape& tape = member == Member::Nodes ? nodes : edges;
        tape.clear(type == JsonType::object);
        if (type == JsonType::object || type == JsonType::array) {
            list = &tape;
        } else if (type != JsonType::null) {
            list = &tape;
            element(type, bits, text);
            list = nullptr;
        }
    }

    void element(JsonType type, std::uint64_t bits, std::string_view text) {
        if (list == &nodes) {
            nodes.put(Scalar{type, bits, text});
        } else if (type == JsonType::object) {
            inEdge = true;  // written when it closes, with its last "weight", "dest" and "src"
            for (Scalar& f : fields) f.type = JsonType::discarded;
        } else {
            edges.putType(type);  // not an object: the type names the error
        }
    }

    bool value(JsonType type, std::uint64_t bits, std::string_view text) {
        checkpoint(text.size() + 1);
        switch (slot()) {
            case Slot::Top: top = type; break;
            case Slot::Directed: directed = Scalar{type, bits, {}}; break;
            case Slot::List: startList(type, bits, text); break;
            case Slot::Element: element(type, bits, text); break;
            case Slot::Field: {
                const auto k = static_cast<std::size_t>(field);
                fieldText[k].assign(text.data(), text.size());  // the parser reuses its buffer
                fields[k] = Scalar{type, bits, fieldText[k]};
                break;
            }
            case Slot::Ignored: break;
        }
        return true;
    }

    bool open(JsonType type) {
        value(type, 0, {});
        ++depth;
        return true;
    }

    bool close() {
        --depth;
        if (depth == 2 && inEdge) {
            inEdge = false;
            edges.putType(JsonType::object);
            for (const Scalar& f : fields) edges.put(f);
        } else if (depth == 1) {
            list = nullptr;
        }
        return true;
    }

    Checkpoint checkpoint;
    std::size_t depth = 0;     // containers open around the next event
    Member member = Member::Other;  // of the top-level object, at depth 1
    Tape* list = nullptr;      // the "nodes" or "edges" container open at depth 1
    bool inEdge = false;       // an edge object is open at depth 2
    int field = NoField;       // its member now being read: 0 weight, 1 dest, 2 src
    Scalar fields[3];
    std::string fieldText[3];
};

// The tape's element offsets in the order a document iterates them: as
// written for an array; for an object by key (bytewise, as the document's
// map orders them), the last of equal keys only.
inline std::vector<std::size_t> keyOrder(const Tape& tape, bool edgeTape) {
    std::vector<std::pair<std::string_view, std::size_t>> members;
    for (TapeReader in(tape.bytes, 0); in.offset() < tape.bytes.size();) {
        const std::string_view key = in.text();
        members.emplace_back(key, in.offset());
        if (!edgeTape) {
            in.scalar();
        } else if (in.type() == JsonType::object) {
            for (int k = 0; k < 3; ++k) in.scalar();
        }
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < members.size(); ++k) {
        if (k + 1 == members.size() || members[k + 1].first != members[k].first) order.push_back(members[k].second);
    }
    return order;
}

// Calls visit(reader) at each element of the tape, in document order.
template <class Visit>
void forEachElement(const Tape& tape, bool edgeTape, Visit visit) {
    if (tape.keyed) {
        for (const std::size_t offset : keyOrder(tape, edgeTape)) {
            TapeReader in(tape.bytes, offset);
            visit(in);
        }
    } else {
        for (TapeReader in(tape.bytes, 0); in.offset() < tape.bytes.size();) visit(in);
    }
}

// A collected name as T, converted (or refused) as the JSON library does.
template <class T>
T nameFrom(const Scalar& value) {
    if constexpr (std::is_same_v<T, std::string>) {
        if (value.type == JsonType::string) return std::string(value.text);
    }
    return jsonOf(value).template get<T>();
}

[[noreturn]] inline void memberMissing(const char* name) {
    throw nlohmann::json::out_of_range::create(403, std::string("key '") + name + "' not found", nullptr);
}

// Builds the graph from what the collector kept, in the document's order.
template <class T, class W>
GraphStore<T, W> buildGraph(const DocumentCollector& found) {
    if (found.top != JsonType::object && found.top != JsonType::null) {
        throw nlohmann::json::type_error::create(
            305, std::string("cannot use operator[] with a string argument with ") + nlohmann::json(found.top).type_name(),
            nullptr);
    }
    Scalar directed = found.directed;
    if (directed.type == JsonType::discarded) directed.type = JsonType::null;
    GraphStore<T, W> graph(jsonOf(directed).template get<bool>());

    forEachElement(found.nodes, false, [&](TapeReader& in) { graph.addNode(nameFrom<T>(in.scalar())); });
    std::size_t position = 0;
    forEachElement(found.edges, true, [&](TapeReader& in) {
        const std::size_t edge = position++;
        const JsonType type = in.type();
        if (type != JsonType::object) {
            throw nlohmann::json::type_error::create(
                305, std::string("cannot use operator[] with a string argument with ") + nlohmann::json(type).type_name(),
                nullptr);
        }
        const Scalar weight = in.scalar(), dest = in.scalar(), src = in.scalar();
        if (weight.type == JsonType::discarded) memberMissing("weight");
        const W w = weightFrom<W>(jsonOf(weight), edge, weight.text);
        if (dest.type == JsonType::discarded) memberMissing("dest");
        if constexpr (std::is_same_v<T, std::string>) {
            // Names are looked up by view: no copy for the common case.
            if (dest.type != JsonType::string) nameFrom<T>(dest);  // raises the type error
            if (src.type == JsonType::discarded) memberMissing("src");
            if (src.type != JsonType::string) nameFrom<T>(src);
            graph.addEdge(src.text, dest.text, w);
        } else {
            const T d = nameFrom<T>(dest);
            if (src.type == JsonType::discarded) memberMissing("src");
            graph.addEdge(nameFrom<T>(src), d, w);
        }
    });
    return graph;
}

// Builds a graph from the first JSON value of `text`; what follows it is
// ignored. Errors: those of reading the same text into a JSON document and
// taking the graph from it, with the same messages, and FractionalWeight
// (see weightFrom). Working memory: about a quarter of the text's size for
// a file in saveGraph's layout.
template <class T, class W>
GraphStore<T, W> readDocument(std::string_view text) {
    DocumentCollector found;
    nlohmann::json::sax_parse(text.data(), text.data() + text.size(), &found, nlohmann::json::input_format_t::json,
                              /*strict=*/false);
    return buildGraph<T, W>(found);
}

// The same from the bytes of a stream, read no further than the end of the
// first JSON value or the first invalid byte: every text gives what the
// overload above gives for it. Errors: those, and what the stream's reads
// throw.
template <class T, class W>
GraphStore<T, W> readDocument(std::istream& in) {
    DocumentCollector found;
    nlohmann::json::sax_parse(in, &found, nlohmann::json::input_format_t::json, /*strict=*/false);
    return buildGraph<T, W>(found);
}

}  // namespace tarvel::detail
