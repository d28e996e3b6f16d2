// Distances from many sources, one source at a time: each search lists the
// nodes it reaches in the order it reaches them (breadth-first discovery,
// or the order in which Dijkstra's search settles them), so a caller that
// walks the sources in turn never holds more than a batch of rows.
//
// The order is a contract: breadth-first order queues neighbours in
// adjacency order; Dijkstra's queue gives the least distance first and,
// among equal distances, the entry queued first, a node being queued again
// only when a strictly shorter path reaches it. Distances are the exact
// sums of weights.hpp, the same whatever the order of equal distances.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "centrality.hpp"
#include "detail/indexed_heap.hpp"
#include "detail/parallel.hpp"
#include "interrupt.hpp"
#include "method_checks.hpp"
#include "store.hpp"
#include "types.hpp"
#include "weights.hpp"

namespace tarvel {

// The nodes one search reached, in the order it reached them, the source
// first, and distance[k], the distance of nodes[k] from the source (edges
// for breadth-first search, the weight sum for Dijkstra's search, which for
// float weights may be +infinity when a sum overflows).
template <class W>
struct VisitOrder {
    NodeIndex source = NoNode;
    std::vector<NodeIndex> nodes;
    std::vector<Distance<W>> distance;
};

namespace detail {

// A search workspace reused from source to source: the marks of one search
// are told from the last one's by a stamp, so nothing is cleared between
// searches. One per thread.
template <class T, class W>
class VisitSearch {
public:
    using D = Distance<W>;

    explicit VisitSearch(const GraphView<T, W>& graph)
        : g(graph), seen(graph.nodeCount(), 0), best(graph.nodeCount()), heap(graph.nodeCount(), Earlier{}) {}

    // Breadth-first search from `source` into `out`.
    template <class Tick>
    void bfs(NodeIndex source, Tick& tick, VisitOrder<W>& out) {
        const std::uint32_t stamp = next();
        start(source, out);
        seen[source] = stamp;
        out.nodes.push_back(source);
        out.distance.push_back(D{0});
        for (std::size_t head = 0; head < out.nodes.size(); ++head) {
            const NodeIndex u = out.nodes[head];
            const auto& list = g.neighbors(u);
            tick(list.size() + 1);
            const D level = out.distance[head] + D{1};
            for (const auto& entry : list) {
                if (seen[entry.target] == stamp) continue;
                seen[entry.target] = stamp;
                out.nodes.push_back(entry.target);
                out.distance.push_back(level);
            }
        }
    }

    // Dijkstra's search from `source` into `out`, on weights that are not
    // negative (the caller checks). One heap entry per node, keyed by
    // (distance, when that distance was found): the order in which a queue
    // of every improvement, stale entries skipped, would settle them. A
    // settled node is never improved (no weight is negative), so it needs
    // no mark of its own.
    template <class Tick>
    void dijkstra(NodeIndex source, Tick& tick, VisitOrder<W>& out) {
        const std::uint32_t stamp = next();
        start(source, out);
        std::uint64_t found = 0;
        seen[source] = stamp;
        best[source] = D{0};
        heap.push(static_cast<std::uint32_t>(source), Key{D{0}, found++});
        while (!heap.empty()) {
            const auto top = heap.pop();
            const NodeIndex u = top.node;
            const D du = top.key.distance;
            out.nodes.push_back(u);
            out.distance.push_back(du);
            const auto& list = g.neighbors(u);
            tick(list.size() + 1);
            for (const auto& entry : list) {
                const NodeIndex v = entry.target;
                const D candidate = extend<W>(du, entry.weight);
                // A strictly shorter path only: the first of equal
                // distances keeps its place.
                if (seen[v] != stamp || candidate < best[v]) {
                    seen[v] = stamp;
                    best[v] = candidate;
                    heap.push(static_cast<std::uint32_t>(v), Key{candidate, found++});
                }
            }
        }
    }

private:
    struct Key {
        D distance;
        std::uint64_t found;
    };
    struct Earlier {
        template <class Entry>
        bool operator()(const Entry& a, const Entry& b) const {
            return a.key.distance != b.key.distance ? a.key.distance < b.key.distance : a.key.found < b.key.found;
        }
    };

    void start(NodeIndex source, VisitOrder<W>& out) {
        out.source = source;
        out.nodes.clear();
        out.distance.clear();
    }

    std::uint32_t next() {
        if (++stamp_ == 0) {  // wrapped: every old mark must go
            std::fill(seen.begin(), seen.end(), 0);
            stamp_ = 1;
        }
        return stamp_;
    }

    const GraphView<T, W>& g;
    std::vector<std::uint32_t> seen;
    std::vector<D> best;
    IndexedHeap<Key, Earlier> heap;
    std::uint32_t stamp_ = 0;
};

// Refuses what the visiting searches cannot run: a method other than BFS
// or DIJKSTRA, and DIJKSTRA on a graph holding a negative weight.
template <class T, class W>
void checkVisitMethod(const GraphView<T, W>& g, ShortestPathAlgo method, const char* what) {
    checkMethod(method);
    if (method != ShortestPathAlgo::BFS && method != ShortestPathAlgo::DIJKSTRA) {
        throw std::invalid_argument(std::string(what) + " take BFS or DIJKSTRA");
    }
    if (method == ShortestPathAlgo::DIJKSTRA && std::is_signed_v<W>) {
        for (NodeIndex u = 0; u < g.nodeCount(); ++u) {
            for (const auto& entry : g.neighbors(u)) {
                if (entry.weight < W{0}) throw std::invalid_argument(std::string(what) + " take no negative weights");
            }
        }
    }
}

template <class T, class W, class Tick>
void visit(VisitSearch<T, W>& search, ShortestPathAlgo method, NodeIndex source, Tick& tick, VisitOrder<W>& out) {
    if (method == ShortestPathAlgo::BFS) {
        search.bfs(source, tick, out);
    } else {
        search.dijkstra(source, tick, out);
    }
}

}  // namespace detail

// The nodes `source` reaches, in the order the search selected by `method`
// (BFS or DIJKSTRA) reaches them (see the top of this file), with their
// distances.
// Errors: std::runtime_error for a method that is no member;
// std::invalid_argument "distances in visiting order take BFS or DIJKSTRA"
// for another method, "... take no negative weights" for DIJKSTRA on a
// graph with a negative weight; std::out_of_range for a source past the
// end; std::overflow_error for a sum beyond 64 bits (wide integer weights).
// Cost: O(V + E) for BFS, O(V + E log E) for DIJKSTRA.
template <class T, class W>
VisitOrder<W> visitOrder(const GraphView<T, W>& g, NodeIndex source,
                         ShortestPathAlgo method = ShortestPathAlgo::DIJKSTRA) {
    detail::checkVisitMethod(g, method, "distances in visiting order");
    g.checkNode(source);
    detail::VisitSearch<T, W> search(g);
    detail::Checkpoint tick;
    VisitOrder<W> out;
    detail::visit(search, method, source, tick, out);
    return out;
}

// Calls each(k, order) for k = 0 .. K - 1 in turn, on the calling thread,
// with order = visitOrder(g, sources[k], method): the sources are searched
// a batch at a time on up to options.threads threads, and a batch's rows
// are handed over in source order once the batch is done, so the rows
// alive at once are at most a batch (about 2^24 distances in all, and at
// least one row per thread). The rows are the same for any thread count.
// Sources may repeat. `each` may throw: the call ends with its exception.
// Errors: visitOrder's, checked before any search (every source before the
// first search); whatever the thread's interrupt check throws.
// Cost: K × visitOrder's time; O(batch × V) memory.
template <class T, class W, class Each>
void distancesFromEach(const GraphView<T, W>& g, const std::vector<NodeIndex>& sources, ShortestPathAlgo method,
                       const RunOptions& options, Each&& each) {
    detail::checkVisitMethod(g, method, "distances from each source");
    for (const NodeIndex s : sources) g.checkNode(s);
    const std::size_t n = g.nodeCount(), count = sources.size();
    if (count == 0) return;
    const unsigned threads =
        detail::threadsFor(options.threads, count * (g.entryCount() + n), detail::SourceGrain);
    const std::size_t rowsByMemory = std::max<std::size_t>(1, (std::size_t{1} << 24) / std::max<std::size_t>(1, n));
    const std::size_t batch = std::min(count, std::max<std::size_t>(threads, std::min<std::size_t>(rowsByMemory, 64 * threads)));
    std::vector<VisitOrder<W>> rows(batch);
    for (std::size_t first = 0; first < count; first += batch) {
        const std::size_t size = std::min(batch, count - first);
        std::atomic<std::size_t> next{0};
        detail::runThreads(std::min<unsigned>(threads, static_cast<unsigned>(size)),
                           [&](unsigned t, const std::atomic<bool>& stop) {
                               detail::VisitSearch<T, W> search(g);
                               detail::WorkerCheck tick(t, stop);
                               for (std::size_t k; !stop.load(std::memory_order_relaxed) && (k = next++) < size;) {
                                   detail::visit(search, method, sources[first + k], tick, rows[k]);
                               }
                           });
        for (std::size_t k = 0; k < size; ++k) each(first + k, static_cast<const VisitOrder<W>&>(rows[k]));
    }
}

}  // namespace tarvel
