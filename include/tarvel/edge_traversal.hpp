// Edge traversals and finding a cycle: depth-first and breadth-first
// searches that take every edge once (not every node), following edges
// forward, backward or both ways, and the cycle a depth-first edge search
// runs into first. Each keeps its own stack or queue: a path of any length
// needs no deep recursion.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// Which way a directed graph's edges are followed: along their direction
// (Original), against it (Reverse: from an edge's head to its tail), or
// both (Ignore: a node's out-edges first, then its in-edges). An undirected
// graph follows every edge both ways whatever is asked.
enum class Orientation { Original, Reverse, Ignore };

// One step of an edge traversal. `tail -> head` is the edge as stored (in
// an undirected graph, the way the step took it); `edge` is its index in
// g.edges() (the addEdge call that made it, so parallel edges differ);
// `reverse` is true when the step went against the edge, from head to tail
// (orientations Reverse and Ignore of a directed graph only).
struct TraversedEdge {
    NodeIndex tail;
    NodeIndex head;
    std::size_t edge;
    bool reverse;

    friend bool operator==(const TraversedEdge& a, const TraversedEdge& b) {
        return a.tail == b.tail && a.head == b.head && a.edge == b.edge && a.reverse == b.reverse;
    }
};

namespace detail {

// The steps an edge traversal may take from each node, numbered 0, 1, ...:
// its list's entries in order, then (Reverse, Ignore of a directed graph)
// its in-edges, by their tails in node order and, from one tail, in that
// tail's list order; Reverse has the in-edges only. Each step carries an
// identity that a traversal marks so that it takes every edge once: its own
// entry in a directed graph; in an undirected graph the edge record (both
// of its entries); with `symmetric`, a directed graph that holds both
// directions of each undirected edge is read as that undirected graph: the
// k-th entry u -> v and the k-th entry v -> u are one edge, and each
// self-loop entry is an edge of its own (as such a graph lists them once).
// Cost: O(V + E) time and memory to make.
template <class T, class W>
class EdgeSteps {
public:
    EdgeSteps(const GraphView<T, W>& g, Orientation orientation, bool symmetric) : g_(g) {
        const std::size_t n = g.nodeCount();
        const bool directed = g.isDirected() && !symmetric;
        out_ = !directed || orientation != Orientation::Reverse;
        in_ = directed && orientation != Orientation::Original;
        first_.assign(n + 1, 0);
        for (NodeIndex u = 0; u < n; ++u) first_[u + 1] = first_[u] + g.neighbors(u).size();
        const std::size_t entries = first_[n];
        Checkpoint checkpoint;
        // Entry -> record: a node's list holds its records' entries in call order.
        record_.resize(entries);
        std::vector<std::size_t> fill(first_.begin(), first_.end() - 1);
        const Span<EdgeRecord<W>> records = g.edges();
        for (std::size_t r = 0; r < records.size(); ++r) {
            checkpoint();
            record_[fill[records[r].source]++] = r;
            if (!g.isDirected()) record_[fill[records[r].target]++] = r;
        }
        if (!g.isDirected()) {
            id_ = record_;
        } else if (symmetric) {
            pairEntries(entries, checkpoint);
        }
        if (in_) {
            // In-edges by target, in node order of their tails: a counting sort of the entries.
            inFirst_.assign(n + 1, 0);
            for (NodeIndex u = 0; u < n; ++u)
                for (const auto& entry : g.neighbors(u)) ++inFirst_[entry.target + 1];
            for (NodeIndex u = 0; u < n; ++u) inFirst_[u + 1] += inFirst_[u];
            inEntry_.resize(entries);
            std::vector<std::size_t> at(inFirst_.begin(), inFirst_.end() - 1);
            for (NodeIndex u = 0; u < n; ++u) {
                checkpoint(g.neighbors(u).size() + 1);
                std::size_t e = first_[u];
                for (const auto& entry : g.neighbors(u)) inEntry_[at[entry.target]++] = e++;
            }
            tailOf_.resize(entries);
            for (NodeIndex u = 0; u < n; ++u)
                for (std::size_t e = first_[u]; e < first_[u + 1]; ++e) tailOf_[e] = static_cast<std::uint32_t>(u);
        }
    }

    std::size_t nodeCount() const { return first_.size() - 1; }
    // Identities lie in [0, identities()).
    std::size_t identities() const { return record_.size(); }

    std::size_t count(NodeIndex u) const {
        return (out_ ? outDegree(u) : 0) + (in_ ? inFirst_[u + 1] - inFirst_[u] : 0);
    }

    // Step k from u (k < count(u)) and its identity.
    TraversedEdge step(NodeIndex u, std::size_t k, std::size_t& identity) const {
        if (out_) {
            if (k < outDegree(u)) {
                const std::size_t e = first_[u] + k;
                identity = id_.empty() ? e : id_[e];
                return {u, g_.neighbors(u)[k].target, record_[e], false};
            }
            k -= outDegree(u);
        }
        const std::size_t e = inEntry_[inFirst_[u] + k];
        identity = e;
        return {tailOf_[e], u, record_[e], true};
    }

    // The node a step leads to.
    static NodeIndex next(const TraversedEdge& step) { return step.reverse ? step.tail : step.head; }

private:
    std::size_t outDegree(NodeIndex u) const { return first_[u + 1] - first_[u]; }

    // Gives the k-th entry u -> v and the k-th entry v -> u (u < v) the
    // identity of the first of them: the entries grouped by their unordered
    // ends by two stable counting sorts (by the greater end, then the lesser),
    // so that within a group u's entries come first, each in list order.
    void pairEntries(std::size_t entries, Checkpoint& checkpoint) {
        const std::size_t n = nodeCount();
        std::vector<std::uint32_t> owner(entries);
        for (NodeIndex u = 0; u < n; ++u)
            for (std::size_t e = first_[u]; e < first_[u + 1]; ++e) owner[e] = static_cast<std::uint32_t>(u);
        const auto target = [&](std::size_t e) { return g_.neighbors(owner[e])[e - first_[owner[e]]].target; };
        const auto lesser = [&](std::size_t e) { return std::min<std::size_t>(owner[e], target(e)); };
        const auto greater = [&](std::size_t e) { return std::max<std::size_t>(owner[e], target(e)); };
        std::vector<std::size_t> byGreater(entries), grouped(entries), start(n + 1);
        const auto countingSort = [&](const std::vector<std::size_t>* from, std::vector<std::size_t>& to,
                                      const auto& key) {
            std::fill(start.begin(), start.end(), 0);
            for (std::size_t k = 0; k < entries; ++k) ++start[key(from ? (*from)[k] : k) + 1];
            for (std::size_t k = 0; k < n; ++k) start[k + 1] += start[k];
            for (std::size_t k = 0; k < entries; ++k) {
                const std::size_t e = from ? (*from)[k] : k;
                to[start[key(e)]++] = e;
            }
        };
        checkpoint(entries);
        countingSort(nullptr, byGreater, greater);
        checkpoint(entries);
        countingSort(&byGreater, grouped, lesser);
        id_.resize(entries);
        for (std::size_t k = 0; k < entries;) {
            checkpoint();
            const std::size_t lo = lesser(grouped[k]), hi = greater(grouped[k]);
            std::size_t end = k, split = k;
            while (end < entries && lesser(grouped[end]) == lo && greater(grouped[end]) == hi) {
                if (owner[grouped[end]] == lo) ++split;
                ++end;
            }
            for (std::size_t j = k; j < end; ++j) id_[grouped[j]] = grouped[j];
            if (lo != hi)
                for (std::size_t j = 0; j < split - k && split + j < end; ++j) id_[grouped[split + j]] = grouped[k + j];
            k = end;
        }
    }

    const GraphView<T, W>& g_;
    bool out_ = true, in_ = false;
    std::vector<std::size_t> first_;    // node u's entries: [first_[u], first_[u + 1])
    std::vector<std::size_t> record_;   // entry -> index in g.edges()
    std::vector<std::size_t> id_;       // entry -> identity (empty: the entry itself)
    std::vector<std::size_t> inFirst_;  // node v's in-edges: inEntry_[inFirst_[v] .. inFirst_[v + 1])
    std::vector<std::size_t> inEntry_;
    std::vector<std::uint32_t> tailOf_;  // entry -> the node whose list holds it
};

// What an edge search does after handing a step to its visitor.
enum class Visit { Follow, Skip, Stop };  // Skip: the step counts as taken, its node is not entered

// A depth-first edge search over EdgeSteps, run from one start after
// another: a stack of nodes, each node keeping its place among its steps
// across starts (as a node's iterator is made once). The top node takes its
// next step; a step whose edge is not yet taken is marked, handed to the
// visitor and, unless skipped, pushes the node it leads to (also one
// entered before, which then goes on from its place). A node whose steps
// are used up is popped.
template <class T, class W>
class EdgeDepthFirst {
public:
    explicit EdgeDepthFirst(const EdgeSteps<T, W>& steps)
        : steps_(steps), place_(steps.nodeCount(), 0), taken_(steps.identities(), false) {}

    // False when the visitor stopped the search.
    template <class Visitor>
    bool from(NodeIndex start, Visitor&& visit) {
        stack_.assign(1, start);
        while (!stack_.empty()) {
            checkpoint_();
            const NodeIndex u = stack_.back();
            if (place_[u] == steps_.count(u)) {
                stack_.pop_back();
                continue;
            }
            std::size_t identity = 0;
            const TraversedEdge step = steps_.step(u, place_[u]++, identity);
            if (taken_[identity]) continue;
            taken_[identity] = true;
            const Visit what = visit(step);
            if (what == Visit::Stop) return false;
            if (what == Visit::Follow) stack_.push_back(EdgeSteps<T, W>::next(step));
        }
        return true;
    }

private:
    const EdgeSteps<T, W>& steps_;
    std::vector<std::size_t> place_;
    std::vector<bool> taken_;
    std::vector<NodeIndex> stack_;
    Checkpoint checkpoint_;
};

template <class T, class W>
std::vector<NodeIndex> everyNode(const GraphView<T, W>& g) {
    std::vector<NodeIndex> nodes(g.nodeCount());
    for (NodeIndex u = 0; u < nodes.size(); ++u) nodes[u] = u;
    return nodes;
}

template <class T, class W>
void checkSources(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources) {
    for (const NodeIndex s : sources) g.checkNode(s);
}

}  // namespace detail

// Every edge reachable from the sources, each once, in the order of a
// depth-first search over edges: from each source in turn, the node on top
// of a stack takes its next step (its list's entries in order; with
// Reverse its in-edges, by tail in node order and from one tail in that
// tail's list order; with Ignore the entries, then the in-edges); a step
// over an edge not yet taken is reported and its far node pushed, even
// when entered before, which then goes on from where it stopped; a node
// with no steps left is popped. Parallel edges are taken one by one; a
// self-loop is taken once. Undirected graph: each edge once, in the
// direction first taken, whatever `orientation`. `symmetric` reads a
// directed graph holding both directions of each edge as undirected (the
// k-th entry u -> v and the k-th entry v -> u are one edge; each self-loop
// entry one edge). `sources` may repeat nodes (a repeat adds nothing).
// Errors: std::out_of_range for a source past the end.
// Cost: O(V + E) time and memory.
template <class T, class W>
std::vector<TraversedEdge> edgeDepthFirst(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                                          Orientation orientation = Orientation::Original, bool symmetric = false) {
    detail::checkSources(g, sources);
    const detail::EdgeSteps<T, W> steps(g, orientation, symmetric);
    detail::EdgeDepthFirst<T, W> search(steps);
    std::vector<TraversedEdge> out;
    for (const NodeIndex s : sources) search.from(s, [&](const TraversedEdge& step) {
        out.push_back(step);
        return detail::Visit::Follow;
    });
    return out;
}

// edgeDepthFirst from every node in index order.
template <class T, class W>
std::vector<TraversedEdge> edgeDepthFirst(const GraphView<T, W>& g, Orientation orientation = Orientation::Original,
                                          bool symmetric = false) {
    return edgeDepthFirst(g, detail::everyNode(g), orientation, symmetric);
}

// Every edge reachable from the sources, each once, in the order of a
// breadth-first search over edges: the sources are queued first (in the
// order given); each node taken from the queue reports every step of its
// own (in edgeDepthFirst's order of steps) over an edge not yet taken,
// and queues the far node of each step the first time a node is reached.
// An edge between two reached nodes is reported by the first of them taken
// from the queue. Parallel edges, self-loops, orientations, `symmetric`
// and repeated sources as for edgeDepthFirst.
// Errors: std::out_of_range for a source past the end.
// Cost: O(V + E) time and memory.
template <class T, class W>
std::vector<TraversedEdge> edgeBreadthFirst(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                                            Orientation orientation = Orientation::Original, bool symmetric = false) {
    detail::checkSources(g, sources);
    const detail::EdgeSteps<T, W> steps(g, orientation, symmetric);
    std::vector<bool> reached(g.nodeCount(), false), taken(steps.identities(), false);
    std::vector<NodeIndex> queue(sources);
    for (const NodeIndex s : sources) reached[s] = true;
    std::vector<TraversedEdge> out;
    detail::Checkpoint checkpoint;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const NodeIndex u = queue[head];
        const std::size_t count = steps.count(u);
        checkpoint(count + 1);
        for (std::size_t k = 0; k < count; ++k) {
            std::size_t identity = 0;
            const TraversedEdge step = steps.step(u, k, identity);
            const NodeIndex v = detail::EdgeSteps<T, W>::next(step);
            if (!reached[v]) {
                reached[v] = true;
                queue.push_back(v);
            }
            if (!taken[identity]) {
                taken[identity] = true;
                out.push_back(step);
            }
        }
    }
    return out;
}

// edgeBreadthFirst from every node in index order.
template <class T, class W>
std::vector<TraversedEdge> edgeBreadthFirst(const GraphView<T, W>& g, Orientation orientation = Orientation::Original,
                                            bool symmetric = false) {
    return edgeBreadthFirst(g, detail::everyNode(g), orientation, symmetric);
}

// The first cycle an edgeDepthFirst search runs into, as its edges in the
// order taken (each step's far node the next step's near node, the last
// step leading back to the first step's near node); empty when the search
// from every source meets none. Sources are searched one after another,
// each by a search of its own; a source reached by an earlier one is passed
// over, and so is (without entering it) every step into a node an earlier
// search reached: no cycle runs through it. Within a search the path is
// the steps from the source to the node on top of the stack; a step that
// leaves another node than the last step's far node first drops steps from
// the path's end until it leaves that path's last node (all of them when
// none does: the path then starts at the step's near node). A step into a
// node on the path closes the cycle: the path's steps from that node on.
// So a self-loop is a cycle, in an undirected graph two parallel edges are
// one but an edge taken back is not (it is the same edge), and with
// Ignore an edge and one against it may form one. Orientations and
// `symmetric` as for edgeDepthFirst.
// Errors: std::out_of_range for a source past the end.
// Cost: O(V + E) time and memory; stops at the first cycle.
template <class T, class W>
std::vector<TraversedEdge> findCycle(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources,
                                     Orientation orientation = Orientation::Original, bool symmetric = false) {
    detail::checkSources(g, sources);
    const detail::EdgeSteps<T, W> steps(g, orientation, symmetric);
    detail::EdgeDepthFirst<T, W> search(steps);
    const std::size_t n = g.nodeCount();
    // Which search reached a node (0: none yet); an earlier search's nodes are explored.
    std::vector<std::size_t> reachedBy(n, 0);
    std::vector<bool> onPath(n, false);
    std::vector<TraversedEdge> path;
    // The near end of a step as the path reads it, and the far end.
    const auto nearEnd = [](const TraversedEdge& e) { return e.reverse ? e.head : e.tail; };
    const auto farEnd = [](const TraversedEdge& e) { return e.reverse ? e.tail : e.head; };
    std::size_t round = 0;
    NodeIndex closing = NoNode;
    for (const NodeIndex start : sources) {
        if (reachedBy[start] != 0) continue;
        ++round;
        reachedBy[start] = round;
        for (const TraversedEdge& e : path) onPath[farEnd(e)] = false;
        path.clear();
        NodeIndex root = start;  // on the path without being a step's far end
        onPath[root] = true;
        NodeIndex previous = NoNode;
        const bool whole = search.from(start, [&](const TraversedEdge& step) {
            const NodeIndex near = nearEnd(step), far = farEnd(step);
            if (reachedBy[far] != 0 && reachedBy[far] != round) return detail::Visit::Skip;
            if (previous != NoNode && near != previous) {
                while (true) {
                    if (path.empty()) {
                        onPath[root] = false;
                        root = near;
                        onPath[root] = true;
                        break;
                    }
                    onPath[farEnd(path.back())] = false;
                    path.pop_back();
                    if (!path.empty() && farEnd(path.back()) == near) break;
                }
            }
            path.push_back(step);
            if (onPath[far]) {
                closing = far;
                return detail::Visit::Stop;
            }
            reachedBy[far] = round;
            onPath[far] = true;
            previous = far;
            return detail::Visit::Follow;
        });
        onPath[root] = false;
        if (!whole) break;
    }
    if (closing == NoNode) return {};
    std::size_t k = 0;
    while (k + 1 < path.size() && nearEnd(path[k]) != closing) ++k;
    return std::vector<TraversedEdge>(path.begin() + static_cast<std::ptrdiff_t>(k), path.end());
}

// findCycle from every node in index order.
template <class T, class W>
std::vector<TraversedEdge> findCycle(const GraphView<T, W>& g, Orientation orientation = Orientation::Original,
                                     bool symmetric = false) {
    return findCycle(g, detail::everyNode(g), orientation, symmetric);
}

}  // namespace tarvel
