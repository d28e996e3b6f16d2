// The weight of a given path, summed as the weighted searches sum it, so
// that a path a search returns can be priced, and any other path compared
// with it.
#pragma once

#include <stdexcept>
#include <string>

#include "detail/describe.hpp"
#include "store.hpp"
#include "types.hpp"
#include "weights.hpp"

namespace tarvel {

// The total weight along `path`: for each pair of consecutive nodes, the
// least weight among the entries from the first to the second (the weight
// the searches minimise, so parallel edges count by their lightest). In a
// directed graph each edge must lead the path's way; an undirected edge
// serves both ways, a self-loop joins a node to itself. A path of fewer than
// two nodes weighs 0.
// Errors: std::out_of_range for an index past the end (every index is
// checked before any pair); std::invalid_argument "item K: no edge from A to
// B" ("between A and B" when undirected) for the first pair that no edge
// joins, K being the position of A in the path; std::overflow_error when the
// sum leaves the 64-bit range (wide integer weights only).
// Cost: O(L + the list lengths of the path's nodes but the last) for a path
// of L nodes.
template <class T, class W>
Distance<W> pathWeight(const GraphView<T, W>& g, const IndexPath& path) {
    for (const NodeIndex node : path) g.checkNode(node);
    Distance<W> total{0};
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
        const NodeIndex u = path[k], v = path[k + 1];
        bool joined = false;
        W least{};
        for (const auto& entry : g.neighbors(u)) {
            if (entry.target == v && (!joined || entry.weight < least)) {
                least = entry.weight;
                joined = true;
            }
        }
        if (!joined) {
            throw std::invalid_argument("item " + std::to_string(k) + ": no edge " +
                                        (g.isDirected() ? "from " : "between ") + detail::describe(g.name(u)) +
                                        (g.isDirected() ? " to " : " and ") + detail::describe(g.name(v)));
        }
        total = detail::extend<W>(total, least);
    }
    return total;
}

}  // namespace tarvel
