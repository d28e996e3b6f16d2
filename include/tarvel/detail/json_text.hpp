// Direct writing of the graph file's text, and direct reading of it for
// graphs with std::string names and integer, float or double weights, the
// common case. The writer produces the bytes the JSON library writes for the
// file's document, but for floating-point weights, which it writes with the
// fewest digits that read back to the same value (the library's own are
// sometimes one digit longer). The reader gives exactly the graph the
// general JSON-document path (document_reader.hpp) gives; whatever it does
// not handle (escapes in strings, invalid UTF-8, weights it cannot convert
// without doubt, extra members, duplicate keys, malformed text) it leaves to
// the general path, which then gives the result or the error.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

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

// Appends the finite `x` laid out as the JSON library writes a double,
// with the fewest significant digits that read back to x, the closest such
// number to x when there are several (the library's own digits are one
// longer, or end in another digit, for a few doubles in a thousand). As
// there, n, the decimal exponent of the first digit plus one, chooses the
// layout: digits[000].0 when all k digits come before the point and
// n <= 15, dig.its when 0 < n <= 15, 0.[000]digits when -4 < n <= 0, and
// d.igitse±XX (two exponent digits at least) otherwise.
inline void appendDouble(std::string& out, double x) {
    char buffer[32];
    // [-]d[.ddd]e±XX: the shortest digits, the decimal point after the first
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific).ptr;
    const char* p = buffer;
    if (*p == '-') out += *p++;
    char digits[24];
    int k = 0;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits[k++] = *p;
    }
    const bool negativeExponent = p[1] == '-';
    int exponent = 0;
    std::from_chars(p + 2, end, exponent);
    const int n = (negativeExponent ? -exponent : exponent) + 1;
    const auto count = [](int c) { return static_cast<std::size_t>(c); };
    if (k <= n && n <= 15) {
        out.append(digits, count(k)).append(count(n - k), '0') += ".0";
    } else if (0 < n && n <= 15) {
        out.append(digits, count(n)).append(1, '.').append(digits + n, count(k - n));
    } else if (-4 < n && n <= 0) {
        out.append("0.").append(count(-n), '0').append(digits, count(k));
    } else {
        out += digits[0];
        if (k > 1) out.append(1, '.').append(digits + 1, count(k - 1));
        const int e = n - 1;
        out += e < 0 ? "e-" : "e+";
        if (e > -10 && e < 10) out += '0';
        char exponentText[8];
        out.append(exponentText, std::to_chars(exponentText, exponentText + sizeof exponentText, e < 0 ? -e : e).ptr);
    }
}

// Appends a weight as the JSON library writes it, but for the digits of
// floating-point ones (appendDouble), so that every weight reads back as
// it was. Wider floating-point types are written as the double they round
// to, which the library's document holds too.
template <class W>
void appendNumber(std::string& out, W value) {
    if constexpr (std::is_floating_point_v<W>) {
        appendDouble(out, static_cast<double>(value));
    } else {
        char buffer[32];
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    }
}

// Appends a node name as a document written with four-space indentation
// holds it `indent` spaces deep: a std::string as a JSON string (its UTF-8
// checked by the caller), any other type as the JSON library writes it
// (throwing its errors, in the order the document's writer meets them).
template <class T>
void appendName(std::string& out, const T& name, std::size_t indent) {
    if constexpr (std::is_same_v<T, std::string>) {
        appendQuoted(out, name);
    } else {
        for (const char c : nlohmann::json(name).dump(4)) {
            out += c;
            if (c == '\n') out.append(indent, ' ');  // strings hold no raw line breaks
        }
    }
}

// The graph file's text, four-space indented with sorted keys, as the JSON
// library writes the document {"directed", "edges", "nodes"} (for
// floating-point weights, with the fewest digits: appendDouble): the nodes
// in index order, the edges that the file records (`recorded`, from
// View::fileRecords) in insertion order.
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
        appendName(out, g.name(edges[k].target), 12);
        out += ",\n            \"src\": ";
        appendName(out, g.name(edges[k].source), 12);
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
            appendName(out, g.name(k), 8);
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
// objects with exactly "src", "dest" and a "weight" that converts to W
// without doubt: see number); strings must be free of escapes. Returns
// false for anything else.
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
            // Printable ASCII, nearly every byte of a name, first.
            if (*u >= 0x20 && *u < 0x80 && *u != '\\') {
                ++u;
                continue;
            }
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

    // A JSON number as the weight W when it converts without doubt: an
    // integer of up to 18 digits that W holds exactly, or for floating-point
    // W a number with a fraction or exponent that converts (correctly
    // rounded, as the JSON library's reading does) to a finite value within
    // W's range. Anything else is left to the document path, which converts
    // or refuses it.
    bool number(W& value) {
        peek();
        const char* start = p;
        if (p < end && *p == '-') ++p;
        const char* digits = p;
        skipDigits();
        const std::ptrdiff_t count = p - digits;
        if (count == 0 || (count > 1 && *digits == '0')) return false;
        bool integral = true;
        if (p < end && *p == '.') {
            ++p;
            if (!skipDigits()) return false;
            integral = false;
        }
        if (p < end && (*p == 'e' || *p == 'E')) {
            ++p;
            if (p < end && (*p == '+' || *p == '-')) ++p;
            if (!skipDigits()) return false;
            integral = false;
        }
        if (integral) {
            std::int64_t parsed = 0;
            if (count > 18 || std::from_chars(start, p, parsed).ptr != p || !fits(parsed)) return false;
            value = static_cast<W>(parsed);  // held exactly
            return true;
        }
        if constexpr (std::is_floating_point_v<W>) {
            double parsed;
            const auto result = std::from_chars(start, p, parsed);
            if (result.ec != std::errc() || result.ptr != p) return false;  // beyond double's range either way
            if (!(std::fabs(parsed) <= static_cast<double>(std::numeric_limits<W>::max()))) return false;
            value = static_cast<W>(parsed);
            return true;
        }
        return false;  // fractional, or for the document path to judge
    }

    bool skipDigits() {
        const char* first = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        return p != first;
    }

    static bool fits(std::int64_t x) {
        if constexpr (std::is_floating_point_v<W>) {
            const std::uint64_t magnitude = x < 0 ? 0 - static_cast<std::uint64_t>(x) : static_cast<std::uint64_t>(x);
            return magnitude <= std::uint64_t{1} << std::numeric_limits<W>::digits;
        } else if constexpr (std::is_signed_v<W>) {
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
                    weight = number(edge.weight);
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
