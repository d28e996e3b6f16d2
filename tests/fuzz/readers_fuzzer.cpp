// libFuzzer harness: arbitrary bytes given to both readers of the graph
// file. The streaming document reader must give what reading a whole JSON
// document gives, and whenever the direct reader takes the bytes it must
// give that too: the same graph (directed flag, names in order, edge
// records in order) or the same error type and message. The reference
// refuses fractional weights for integer graphs by its own plain test.
#include "../cpp/document_reference.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

struct Declined {};

template <class W>
void compare(std::string_view text) {
    const std::string expected = reference::outcome([&] { return reference::loadDocument<std::string, W>(text); });
    if (reference::outcome([&] { return tarvel::detail::readDocument<std::string, W>(text); }) != expected) {
        __builtin_trap();
    }
    if constexpr (tarvel::detail::directText<std::string, W>) {
        try {
            const std::string direct = reference::outcome([&] {
                auto graph = tarvel::detail::readDirect<W>(text);
                if (!graph) throw Declined{};
                return std::move(*graph);
            });
            if (direct != expected) __builtin_trap();
        } catch (const Declined&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    compare<int>(text);
    compare<long long>(text);
    compare<double>(text);
    compare<float>(text);
    return 0;
}
