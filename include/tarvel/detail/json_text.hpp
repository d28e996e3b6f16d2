// Direct reading and writing of the graph file's text for graphs with
// std::string names and integer weights, the common case. Both produce
// exactly what the general JSON-document path produces: the writer the same
// bytes, the reader the same graph. Whatever they do not handle (escapes in
// strings, invalid UTF-8, floating-point weights, extra members, duplicate
// keys, malformed text) they leave to the general path, which then gives the
// result or the error.
#pragma once

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "../interrupt.hpp"

namespace tarvel::detail {

// Length of the well-formed UTF-8 sequence at `p` (1 for ASCII), or 0.
inline std::size_t utf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    const auto in = [&](std::size_t k, unsigned char lo, unsigned char hi) {
        return p + k < end && p[k] >= lo && p[k] <= hi;
    };
    if (c >= 0xC2 && c <= 0xDF) return in(1, 0x80, 0xBF) ? 2 : 0;
    if (c == 0xE0) return in(1, 0xA0, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
    if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
    if (c == 0xED) return in(1, 0x80, 0x9F) && in(2, 0x80, 0xBF) ? 3 : 0;
    if (c == 0xF0) return in(1, 0x90, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
    if (c >= 0xF1 && c <= 0xF3) return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
    if (c == 0xF4) return in(1, 0x80, 0x8F) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
    return 0;
}

inline bool validUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const std::size_t n = utf8Length(p, end);
        if (n == 0) return false;
        p += n;
    }
    return true;
}

// Appends `text` as a JSON string the way the document writer escapes it:
// quotation mark, backslash and control characters escaped, the rest raw.
inline void appendQuoted(std::string& out, std::string_view text) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

template <class W>
void appendNumber(std::string& out, W value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// The graph file's text, four-space indented with sorted keys, for a view of
// a graph with std::string names: the nodes in index order, the edges that
// the file records (`recorded`, from View::fileRecords) in insertion order.
template <class View>
std::string graphText(const View& g, const std::vector<bool>& recorded) {
    using W = typename View::Weight;
    const auto edges = g.edges();
    const std::size_t n = g.nodeCount();
    std::string out;
    out.reserve(64 + n * 16 + edges.size() * 96);
    out += g.isDirected() ? "{\n    \"directed\": true,\n" : "{\n    \"directed\": false,\n";
    bool first = true;
    Checkpoint checkpoint;
    for (std::size_t k = 0; k < edges.size(); ++k) {
        checkpoint();
        if (!recorded[k]) continue;
        out += first ? "    \"edges\": [\n" : ",\n";
        first = false;
        out += "        {\n            \"dest\": ";
        appendQuoted(out, g.name(edges[k].target));
        out += ",\n            \"src\": ";
        appendQuoted(out, g.name(edges[k].source));
        out += ",\n            \"weight\": ";
        appendNumber<W>(out, edges[k].weight);
        out += "\n        }";
    }
    out += first ? "    \"edges\": [],\n" : "\n    ],\n";
    if (n == 0) {
        out += "    \"nodes\": []\n}\n";
    } else {
        out += "    \"nodes\": [\n";
        for (std::size_t k = 0; k < n; ++k) {
            checkpoint();
            out += "        ";
            appendQuoted(out, g.name(k));
            out += k + 1 < n ? ",\n" : "\n";
        }
        out += "    ]\n}\n";
    }
    return out;
}

// What the reader found in a well-formed file of the expected shape.
template <class W>
struct GraphText {
    bool directed = false;
    std::vector<std::string_view> nodes;
    struct EdgeText {
        std::string_view src, dest;
        W weight;
    };
    std::vector<EdgeText> edges;
};

// Reads the first JSON value of `text` when it is an object with a boolean
// "directed" and optional "nodes" (array of strings) and "edges" (array of
// objects with exactly "src", "dest" and an integer "weight"); strings must be
// free of escapes. Returns false for anything else.
template <class W>
class GraphTextReader {
public:
    explicit GraphTextReader(std::string_view text) : p(text.data()), end(text.data() + text.size()) {}

    bool read(GraphText<W>& out) {
        bool seenDirected = false, seenNodes = false, seenEdges = false;
        if (!consume('{')) return false;
        if (peek() == '}') return false;  // no "directed"
        do {
            std::string_view key;
            if (!string(key) || !consume(':')) return false;
            if (key == "directed" && !seenDirected) {
                seenDirected = true;
                if (!boolean(out.directed)) return false;
            } else if (key == "nodes" && !seenNodes) {
                seenNodes = true;
                if (!nodes(out.nodes)) return false;
            } else if (key == "edges" && !seenEdges) {
                seenEdges = true;
                if (!edges(out.edges)) return false;
            } else {
                return false;
            }
        } while (consume(','));
        return consume('}') && seenDirected;
    }

private:
    char peek() {
        while (p < end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) ++p;
        return p < end ? *p : '\0';
    }

    bool consume(char c) {
        if (peek() != c) return false;
        ++p;
        return true;
    }

    bool string(std::string_view& value) {
        if (!consume('"')) return false;
        const char* start = p;
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        const auto* stop = reinterpret_cast<const unsigned char*>(end);
        while (u < stop && *u != '"') {
            if (*u == '\\' || *u < 0x20) return false;
            const std::size_t n = utf8Length(u, stop);
            if (n == 0) return false;
            u += n;
        }
        if (u == stop) return false;
        p = reinterpret_cast<const char*>(u);
        value = std::string_view(start, static_cast<std::size_t>(p - start));
        ++p;
        return true;
    }

    bool boolean(bool& value) {
        peek();
        if (end - p >= 4 && std::string_view(p, 4) == "true") {
            p += 4;
            value = true;
        } else if (end - p >= 5 && std::string_view(p, 5) == "false") {
            p += 5;
            value = false;
        } else {
            return false;
        }
        return delimiterFollows();
    }

    // Integers of up to 18 digits within the range of W; anything else is
    // left to the document path, which converts or refuses it.
    bool integer(W& value) {
        peek();
        const char* start = p;
        if (p < end && *p == '-') ++p;
        const char* digits = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        const std::ptrdiff_t count = p - digits;
        if (count == 0 || count > 18 || (count > 1 && *digits == '0')) return false;
        if (p < end && (*p == '.' || *p == 'e' || *p == 'E')) return false;
        std::int64_t parsed = 0;
        if (std::from_chars(start, p, parsed).ptr != p) return false;
        if (!fits(parsed)) return false;
        value = static_cast<W>(parsed);  // in range: exact
        return true;
    }

    static bool fits(std::int64_t x) {
        if constexpr (std::is_signed_v<W>) {
            return x >= static_cast<std::int64_t>(std::numeric_limits<W>::min()) &&
                   x <= static_cast<std::int64_t>(std::numeric_limits<W>::max());
        } else {
            return x >= 0 && static_cast<std::uint64_t>(x) <= std::uint64_t{std::numeric_limits<W>::max()};
        }
    }

    // A literal must be followed by a structural character or white space.
    bool delimiterFollows() {
        return p == end || *p == ',' || *p == '}' || *p == ']' || *p == ' ' || *p == '\n' || *p == '\r' ||
               *p == '\t';
    }

    bool nodes(std::vector<std::string_view>& out) {
        if (!consume('[')) return false;
        if (consume(']')) return true;
        do {
            checkpoint();
            std::string_view name;
            if (!string(name)) return false;
            out.push_back(name);
        } while (consume(','));
        return consume(']');
    }

    bool edges(std::vector<typename GraphText<W>::EdgeText>& out) {
        if (!consume('[')) return false;
        if (consume(']')) return true;
        do {
            checkpoint(4);
            typename GraphText<W>::EdgeText edge{};
            bool src = false, dest = false, weight = false;
            if (!consume('{')) return false;
            do {
                std::string_view key;
                if (!string(key) || !consume(':')) return false;
                if (key == "src" && !src) {
                    src = string(edge.src);
                    if (!src) return false;
                } else if (key == "dest" && !dest) {
                    dest = string(edge.dest);
                    if (!dest) return false;
                } else if (key == "weight" && !weight) {
                    weight = integer(edge.weight);
                    if (!weight) return false;
                } else {
                    return false;
                }
            } while (consume(','));
            if (!consume('}') || !(src && dest && weight)) return false;
            out.push_back(edge);
        } while (consume(','));
        return consume(']');
    }

    const char* p;
    const char* end;
    Checkpoint checkpoint;
};

}  // namespace tarvel::detail
