// Depth-first searches: the one kernel the library's depth-first results
// run on (the cycle test included), and the labelled edges of a search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// What a depth-first search does with an entry (u, v) of u's list, or with
// a node it enters or leaves:
// - Forward: v is reached for the first time from u, and entered (a start
//   is entered as (s, s));
// - Nontree: v was reached before (a self-loop, a parallel edge, the way
//   back along an undirected edge);
// - Reverse: every entry of v is read, the search goes back to u (a start
//   is left as (s, s));
// - ReverseDepthLimit: v, reached at the depth limit, is left at once
//   without reading its entries (right after its Forward).
enum class DepthFirstLabel : std::uint8_t { Forward = 1, Nontree = 2, Reverse = 4, ReverseDepthLimit = 8 };

inline constexpr unsigned AllDepthFirstLabels = 15;

struct LabeledEdge {
    NodeIndex source;
    NodeIndex target;
    DepthFirstLabel label;

    bool operator==(const LabeledEdge& o) const noexcept {
        return source == o.source && target == o.target && label == o.label;
    }
};

namespace detail {

// The depth-first kernel: one search from `start` unless visited[start],
// with an explicit stack of (node, next entry), never recursion. Each
// node's entries are read in list order; visit(u, v, label) is told every
// step above, in the order the search takes it, and returns whether the
// search stops (then this returns true at once). A node is expanded while
// the path from the start to it, the start counted, holds fewer than
// depthLimit nodes: with limit L, nodes L hops away are reached but not
// expanded (a limit of 0 acts as 1: the start is always expanded).
// `visited` is shared by the searches of one traversal; `stack` is scratch.
// Cost: O(nodes reached + their entries), the stack O(depth).
template <class T, class W, class Visit>
bool depthFirst(const GraphView<T, W>& g, NodeIndex start, std::vector<unsigned char>& visited,
                std::vector<std::pair<NodeIndex, std::size_t>>& stack, std::size_t depthLimit, Visit&& visit) {
    if (visited[start]) return false;
    visited[start] = 1;
    if (visit(start, start, DepthFirstLabel::Forward)) return true;
    stack.emplace_back(start, 0);
    detail::Checkpoint checkpoint;
    while (!stack.empty()) {
        checkpoint();
        const NodeIndex u = stack.back().first;
        const std::size_t position = stack.back().second;
        const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
        if (position == entries.size()) {
            stack.pop_back();
            if (!stack.empty() && visit(stack.back().first, u, DepthFirstLabel::Reverse)) return true;
            continue;
        }
        ++stack.back().second;
        const NodeIndex v = entries[position].target;
        if (visited[v]) {
            if (visit(u, v, DepthFirstLabel::Nontree)) return true;
            continue;
        }
        visited[v] = 1;
        if (visit(u, v, DepthFirstLabel::Forward)) return true;
        if (stack.size() < depthLimit) {
            stack.emplace_back(v, 0);
        } else if (visit(u, v, DepthFirstLabel::ReverseDepthLimit)) {
            return true;
        }
    }
    return visit(start, start, DepthFirstLabel::Reverse);
}

}  // namespace detail

// The labelled steps of a depth-first traversal: a search from each of
// `starts` in turn that no earlier one reached, each as detail::depthFirst
// takes it: (s, s, Forward) when it starts from s, then per entry (u, v)
// of the node u on top of the stack, in list order, Forward when v is new
// (and entered, unless v is depthLimit hops from s: then ReverseDepthLimit
// follows), Nontree when v was reached before; (u, v, Reverse) when v's
// entries are all read and the search is back at u; finally (s, s,
// Reverse). Every entry of every expanded node is one Forward or Nontree
// step, so each parallel edge counts (the second is Nontree) and so does a
// self-loop (Nontree); an undirected edge is read from both ends. Only the
// labels in `labels` (a mask of DepthFirstLabel values) are kept.
// Errors: std::out_of_range for a start past the end (nothing searched).
// Cost: O(V + E) time, O(V) memory besides the result.
template <class T, class W>
std::vector<LabeledEdge> depthFirstLabeledEdges(const GraphView<T, W>& g, const std::vector<NodeIndex>& starts,
                                                std::size_t depthLimit = std::numeric_limits<std::size_t>::max(),
                                                unsigned labels = AllDepthFirstLabels) {
    for (const NodeIndex s : starts) g.checkNode(s);
    std::vector<unsigned char> visited(g.nodeCount(), 0);
    std::vector<std::pair<NodeIndex, std::size_t>> stack;
    std::vector<LabeledEdge> steps;
    for (const NodeIndex s : starts) {
        detail::depthFirst(g, s, visited, stack, depthLimit, [&](NodeIndex u, NodeIndex v, DepthFirstLabel label) {
            if (labels & static_cast<unsigned>(label)) steps.push_back(LabeledEdge{u, v, label});
            return false;
        });
    }
    return steps;
}

// depthFirstLabeledEdges from every node in index order: the whole graph.
template <class T, class W>
std::vector<LabeledEdge> wholeDepthFirstLabeledEdges(const GraphView<T, W>& g,
                                                std::size_t depthLimit = std::numeric_limits<std::size_t>::max(),
                                                unsigned labels = AllDepthFirstLabels) {
    std::vector<NodeIndex> starts(g.nodeCount());
    for (NodeIndex i = 0; i < starts.size(); ++i) starts[i] = i;
    return depthFirstLabeledEdges(g, starts, depthLimit, labels);
}

}  // namespace tarvel
