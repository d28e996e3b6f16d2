// What the searches from one source and between two nodes share: the
// negative-cycle error and the look-ahead over a search queue.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "../types.hpp"

namespace tarvel::detail {

[[noreturn]] inline void negativeCycle() { throw std::runtime_error("Negative cycle detected"); }

// Asks for the lists of the nodes a few places further along a queue: the
// searches read them in that order, and each is a random place in memory.
template <class View>
void prefetchAhead(const View& g, const std::vector<NodeIndex>& queue, std::size_t head) {
    if (head + 8 < queue.size()) g.prefetch(queue[head + 8], 0);
    if (head + 4 < queue.size()) g.prefetch(queue[head + 4], 1);
}

}  // namespace tarvel::detail
