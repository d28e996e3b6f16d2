// What the searches from one source and between two nodes share: the
// negative-cycle error and the look-ahead over a search queue.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <vector>

#include "../types.hpp"

namespace tarvel::detail {

[[noreturn]] inline void negativeCycle() { throw std::runtime_error("Negative cycle detected"); }

// Asks for the lists of the nodes a few places further along a queue
// (`size` nodes from `queue`): the searches read them in that order, and
// each is a random place in memory. `lists.prefetch(node, step)` fetches a
// list's place (step 0), then its entries (step 1): a GraphView does.
template <class Lists, class Node>
void prefetchAhead(const Lists& lists, const Node* queue, std::size_t head, std::size_t size) {
    if (head + 8 < size) lists.prefetch(queue[head + 8], 0);
    if (head + 4 < size) lists.prefetch(queue[head + 4], 1);
}

template <class Lists>
void prefetchAhead(const Lists& lists, const std::vector<NodeIndex>& queue, std::size_t head) {
    prefetchAhead(lists, queue.data(), head, queue.size());
}

}  // namespace tarvel::detail
