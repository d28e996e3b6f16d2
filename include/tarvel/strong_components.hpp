// Strongly connected components of a directed graph, by Tarjan's single pass
// or Kosaraju's two passes. Both run on explicit stacks of (node, what is
// left of its list), so a path-shaped graph of any length needs no
// recursion, and collect the components in one flat array (Groups).
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "interrupt.hpp"
#include "method_checks.hpp"
#include "store.hpp"

namespace tarvel {

namespace detail {

// A depth-first search's frame: the node and what is left of its list.
template <class W>
struct Frame {
    const AdjacencyEntry<W>* next;
    const AdjacencyEntry<W>* end;
    std::uint32_t node;
};

inline std::vector<IndexPath> groupLists(const Groups& groups) {
    std::vector<IndexPath> lists;
    lists.reserve(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) lists.emplace_back(groups[k].begin(), groups[k].end());
    return lists;
}

}  // namespace detail

// Tarjan's algorithm, roots tried in index order, entries in adjacency
// order, as Groups (types.hpp): the components of tarjanComponents in one
// flat array. Errors: none. Cost: O(V + E) time, O(V) memory.
template <class T, class W>
Groups tarjanGroups(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    // Discovery numbers from 1 (0: not yet discovered); a node placed in a
    // component gets Placed, so "on the stack" is "discovered, not placed".
    constexpr std::uint32_t Placed = ~std::uint32_t{0};
    std::vector<std::uint32_t> disc(n, 0), low(n, 0);
    std::vector<std::uint32_t> stack;
    std::vector<detail::Frame<W>> calls;
    std::uint32_t time = 0;
    Groups result;
    result.nodes.reserve(n);
    detail::Checkpoint checkpoint;
    const auto discover = [&](NodeIndex u) {
        disc[u] = low[u] = ++time;
        stack.push_back(static_cast<std::uint32_t>(u));
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        checkpoint(entries.size() + 1);
        calls.push_back({entries.begin(), entries.end(), static_cast<std::uint32_t>(u)});
    };
    for (NodeIndex i = 0; i < n; ++i) {
        if (disc[i] != 0) continue;
        discover(i);
        while (!calls.empty()) {
            detail::Frame<W>& frame = calls.back();
            const std::uint32_t u = frame.node;
            if (frame.next != frame.end) {
                const std::uint32_t v = (frame.next++)->target;
                if (disc[v] == 0) {
                    discover(v);
                } else if (disc[v] != Placed) {
                    low[u] = std::min(low[u], disc[v]);
                }
                continue;
            }
            calls.pop_back();
            if (low[u] == disc[u]) {
                std::uint32_t x;
                do {
                    x = stack.back();
                    stack.pop_back();
                    disc[x] = Placed;
                    result.nodes.push_back(x);
                } while (x != u);
                result.offsets.push_back(result.nodes.size());
            }
            if (!calls.empty()) {
                const std::uint32_t parent = calls.back().node;
                low[parent] = std::min(low[parent], low[u]);
            }
        }
    }
    return result;
}

// Tarjan's algorithm, roots tried in index order, entries in adjacency
// order. Result: components in reverse topological order of the component
// graph (each after every component it reaches); inside a component the
// nodes as they leave Tarjan's stack, the most recently discovered first and
// the root last. Errors: none (any graph is read as directed).
// Cost: O(V + E) time, O(V) memory.
template <class T, class W>
std::vector<IndexPath> tarjanComponents(const GraphView<T, W>& g) {
    return detail::groupLists(tarjanGroups(g));
}

// Kosaraju's algorithm as Groups: the components of kosarajuComponents in
// one flat array. Errors: none. Cost: O(V + E) time; O(V) memory, plus the
// graph's incoming lists (GraphView::incoming), made when it has none.
template <class T, class W>
Groups kosarajuGroups(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<bool> visited(n, false);
    std::vector<std::uint32_t> finishStack;
    finishStack.reserve(n);
    std::vector<detail::Frame<W>> calls;
    detail::Checkpoint checkpoint;
    const auto enter = [&](NodeIndex u) {
        visited[u] = true;
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        checkpoint(entries.size() + 1);
        calls.push_back({entries.begin(), entries.end(), static_cast<std::uint32_t>(u)});
    };
    for (NodeIndex i = 0; i < n; ++i) {
        if (visited[i]) continue;
        enter(i);
        while (!calls.empty()) {
            detail::Frame<W>& frame = calls.back();
            if (frame.next == frame.end) {
                finishStack.push_back(frame.node);
                calls.pop_back();
                continue;
            }
            const std::uint32_t v = (frame.next++)->target;
            if (!visited[v]) enter(v);
        }
    }

    // The reversed entries are the incoming lists: for each node, the nodes
    // whose lists lead to it, in node and list order.
    const detail::IncomingLists& reversed = g.incoming();
    std::fill(visited.begin(), visited.end(), false);
    struct Reversed {
        const std::uint32_t* next;
        const std::uint32_t* end;
    };
    std::vector<Reversed> walk;
    Groups result;
    result.nodes.reserve(n);
    const auto reach = [&](std::uint32_t v) {
        visited[v] = true;
        result.nodes.push_back(v);
        const Span<std::uint32_t> sources = reversed[v];
        checkpoint(sources.size() + 1);
        walk.push_back({sources.begin(), sources.end()});
    };
    while (!finishStack.empty()) {
        const std::uint32_t root = finishStack.back();
        finishStack.pop_back();
        if (visited[root]) continue;
        reach(root);
        while (!walk.empty()) {
            Reversed& top = walk.back();
            if (top.next == top.end) {
                walk.pop_back();
                continue;
            }
            const std::uint32_t v = *top.next++;
            if (!visited[v]) reach(v);
        }
        result.offsets.push_back(result.nodes.size());
    }
    return result;
}

// Kosaraju's algorithm: a first depth-first pass along stored entries
// records finishing order; the second pass takes nodes latest-finished
// first and collects, over reversed entries, what it reaches.
// Result: components in topological order of the component graph (each
// before every component it reaches); inside a component depth-first
// pre-order over reversed entries from its latest-finishing node.
// Errors: none. Cost: O(V + E) time and memory (the reversed entries are
// the graph's incoming lists, made when it has none and kept until its
// next change).
template <class T, class W>
std::vector<IndexPath> kosarajuComponents(const GraphView<T, W>& g) {
    return detail::groupLists(kosarajuGroups(g));
}

// stronglyConnectedComponents as Groups: the same components in the same
// order in one flat array, with no allocation per component.
// Errors and cost: stronglyConnectedComponents'.
template <class T, class W>
Groups stronglyConnectedGroups(const GraphView<T, W>& g, SCCAlgo method = SCCAlgo::TARJAN) {
    if (!g.isDirected()) throw std::runtime_error("implemented only for directed graph");
    checkMethod(method);
    return method == SCCAlgo::TARJAN ? tarjanGroups(g) : kosarajuGroups(g);
}

// Strongly connected components by `method`, in that method's order.
// Errors: std::runtime_error "implemented only for directed graph" for an
// undirected graph (checked first); checkMethod's std::runtime_error for a
// value that is no member of SCCAlgo ("V is not an SCCAlgo: use TARJAN or
// KOSARAJU"). Cost: O(V + E).
template <class T, class W>
std::vector<IndexPath> stronglyConnectedComponents(const GraphView<T, W>& g, SCCAlgo method = SCCAlgo::TARJAN) {
    return detail::groupLists(stronglyConnectedGroups(g, method));
}

}  // namespace tarvel
