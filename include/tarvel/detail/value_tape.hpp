// A compact record of JSON values, for reading the graph file without
// holding a JSON document: scalars in full, arrays and objects by their
// type alone, packed one after another in a byte string.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tarvel::detail {

using JsonType = nlohmann::json::value_t;

// A JSON value as far as the graph needs it: scalars in full, arrays and
// objects by their type alone (no name or weight converts from them, so
// their type is all an error message needs). JsonType::discarded stands for
// a member that is absent.
struct Scalar {
    JsonType type = JsonType::discarded;
    std::uint64_t bits = 0;  // the boolean, integer or double
    std::string_view text;   // a string's contents; a double's text when written as an integer
};

// The value as a JSON value, so that the JSON library converts it (or
// refuses it) exactly as it converts a document's member.
inline nlohmann::json jsonOf(const Scalar& value) {
    switch (value.type) {
        case JsonType::boolean: return value.bits != 0;
        case JsonType::number_integer: return static_cast<std::int64_t>(value.bits);
        case JsonType::number_unsigned: return value.bits;
        case JsonType::number_float: {
            double x;
            std::memcpy(&x, &value.bits, sizeof x);
            return x;
        }
        case JsonType::string: return std::string(value.text);
        default: return nlohmann::json(value.type);  // null, or an empty array or object
    }
}

// Values one after another in a byte string: a type byte, then a scalar's
// contents. Numbers and lengths are written in 7-bit groups, low first, so
// that the small ones a graph file holds take a byte or two (signed
// integers zigzagged first, doubles as their bits, then their text when
// written as an integer, else an empty text); a string is its length and
// its bytes. `keyed` tells that each element is preceded by its key.
struct Tape {
    std::string bytes;
    bool keyed = false;

    void clear(bool isKeyed) {
        bytes.clear();
        keyed = isKeyed;
    }
    void putType(JsonType type) { bytes += static_cast<char>(type); }
    void putNumber(std::uint64_t n) {
        for (; n >= 0x80; n >>= 7) bytes += static_cast<char>((n & 0x7f) | 0x80);
        bytes += static_cast<char>(n);
    }
    void putText(std::string_view text) {
        putNumber(text.size());
        bytes += text;
    }
    void put(const Scalar& value) {
        putType(value.type);
        switch (value.type) {
            case JsonType::string: putText(value.text); break;
            case JsonType::number_integer: putNumber(zigzag(value.bits)); break;
            case JsonType::boolean:
            case JsonType::number_unsigned: putNumber(value.bits); break;
            case JsonType::number_float:
                putNumber(value.bits);
                putText(value.text);  // mostly empty: one byte
                break;
            default: break;  // the type says all
        }
    }
    // Small magnitudes of either sign to small numbers: 0, -1, 1, -2, ...
    static std::uint64_t zigzag(std::uint64_t bits) { return (bits << 1) ^ (0 - (bits >> 63)); }
    static std::uint64_t unzigzag(std::uint64_t n) { return (n >> 1) ^ (0 - (n & 1)); }
};

// Reads a tape back, from a given offset.
class TapeReader {
public:
    TapeReader(const std::string& tapeBytes, std::size_t start) : bytes(tapeBytes), at(start) {}

    std::size_t offset() const noexcept { return at; }
    JsonType type() { return static_cast<JsonType>(bytes[at++]); }
    std::uint64_t number() {
        std::uint64_t n = 0;
        for (unsigned shift = 0;; shift += 7) {
            const auto c = static_cast<unsigned char>(bytes[at++]);
            n |= std::uint64_t{c & 0x7fu} << shift;
            if (c < 0x80) return n;
        }
    }
    std::string_view text() {
        const auto n = static_cast<std::size_t>(number());
        const std::string_view result(bytes.data() + at, n);
        at += n;
        return result;
    }
    Scalar scalar() {
        Scalar value;
        value.type = type();
        switch (value.type) {
            case JsonType::string: value.text = text(); break;
            case JsonType::number_integer: value.bits = Tape::unzigzag(number()); break;
            case JsonType::boolean:
            case JsonType::number_unsigned: value.bits = number(); break;
            case JsonType::number_float:
                value.bits = number();
                value.text = text();
                break;
            default: break;
        }
        return value;
    }

private:
    const std::string& bytes;
    std::size_t at;
};

}  // namespace tarvel::detail
