// Text of a node name for error messages.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tarvel::detail {

template <class T, class = void>
struct IsStreamable : std::false_type {};
template <class T>
struct IsStreamable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<const T&>())>>
    : std::true_type {};

// A NUL shows as \x00, so that the whole name survives in a C string.
template <class T>
std::string describe(const T& name) {
    if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        const std::string_view text(name);
        std::string out;
        out.reserve(text.size());
        for (const char c : text) {
            if (c == '\0') {
                out += "\\x00";
            } else {
                out += c;
            }
        }
        return out;
    } else if constexpr (std::is_convertible_v<const T&, std::string>) {
        return std::string(name);
    } else if constexpr (IsStreamable<T>::value) {
        std::ostringstream out;
        out << name;
        return out.str();
    } else {
        return "(unprintable name)";
    }
}

}  // namespace tarvel::detail
