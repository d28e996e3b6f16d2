// The checks of the method selectors. A selector can hold a value that is no
// member (a cast from an integer, a binding that passes numbers through), so
// every call that takes one checks it here, and the message says which
// values to use instead.
#pragma once

#include <stdexcept>
#include <string>

#include "types.hpp"

namespace tarvel {

namespace detail {

[[noreturn]] inline void notAMember(int value, const char* selector, const char* members) {
    throw std::runtime_error(std::to_string(value) + " is not " + selector + ": use " + members);
}

}  // namespace detail

// Returns when `method` is a member of ShortestPathAlgo.
// Errors: std::runtime_error "V is not a ShortestPathAlgo: use BFS, DIJKSTRA,
// A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD", V the value as an integer.
// Cost: O(1).
inline void checkMethod(ShortestPathAlgo method) {
    switch (method) {
        case ShortestPathAlgo::BFS:
        case ShortestPathAlgo::DIJKSTRA:
        case ShortestPathAlgo::A_STAR:
        case ShortestPathAlgo::UNIFORM_COST_SEARCH:
        case ShortestPathAlgo::BELLMAN_FORD:
            return;
    }
    detail::notAMember(static_cast<int>(method), "a ShortestPathAlgo",
                       "BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD");
}

// Returns when `method` is a member of MSTAlgo.
// Errors: std::runtime_error "V is not an MSTAlgo: use KRUSKAL, PRIM or
// BORUVKA". Cost: O(1).
inline void checkMethod(MSTAlgo method) {
    switch (method) {
        case MSTAlgo::KRUSKAL:
        case MSTAlgo::PRIM:
        case MSTAlgo::BORUVKA:
            return;
    }
    detail::notAMember(static_cast<int>(method), "an MSTAlgo", "KRUSKAL, PRIM or BORUVKA");
}

// Returns when `method` is a member of SCCAlgo.
// Errors: std::runtime_error "V is not an SCCAlgo: use TARJAN or KOSARAJU".
// Cost: O(1).
inline void checkMethod(SCCAlgo method) {
    switch (method) {
        case SCCAlgo::TARJAN:
        case SCCAlgo::KOSARAJU:
            return;
    }
    detail::notAMember(static_cast<int>(method), "an SCCAlgo", "TARJAN or KOSARAJU");
}

}  // namespace tarvel
