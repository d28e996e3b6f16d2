// Centrality scores, one per node index: degree, closeness and betweenness
// over hop-count distances, and Katz. None is normalised by the number of
// nodes; weights play no part in any of them.
//
// Closeness, betweenness and Katz run on several threads (RunOptions) and
// give the same numbers, bit for bit, for any number of threads: every
// floating-point sum is taken in the order of the sequential computation.
#pragma once

#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "detail/parallel.hpp"
#include "detail/search_support.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// The number of adjacency entries of each node: the out-degree in a
// directed graph, the number of edge ends in an undirected one (a self-loop
// counts 2); every parallel edge counts.
// Errors: none. Cost: O(V).
template <class T, class W>
std::vector<double> degreeCentrality(const GraphView<T, W>& g) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n);
    for (NodeIndex i = 0; i < n; ++i) scores[i] = static_cast<double>(g.neighbors(i).size());
    return scores;
}

namespace detail {

// One breadth-first search from a node for closeness; the working arrays
// are reused from search to search.
template <class T, class W>
class ClosenessSearch {
public:
    explicit ClosenessSearch(const GraphView<T, W>& graph)
        : g(graph), distance(graph.nodeCount()), seenBy(graph.nodeCount(), NoNode) {
        queue.reserve(graph.nodeCount());
    }

    // 1 / (sum of hop distances to the nodes `i` reaches), 0.0 when none.
    template <class Tick>
    double score(NodeIndex i, Tick&& tick) {
        queue.assign(1, i);
        seenBy[i] = i;
        distance[i] = 0;
        std::uint64_t sum = 0;  // exact, and equal to the sum taken in doubles
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const NodeIndex u = queue[head];
            prefetchAhead(g, queue, head);
            sum += distance[u];
            const Span<AdjacencyEntry<W>> entries = g.neighbors(u);
            tick(entries.size() + 1);
            for (const auto& entry : entries) {
                const NodeIndex v = entry.target;
                if (seenBy[v] == i) continue;
                seenBy[v] = i;
                distance[v] = distance[u] + 1;
                queue.push_back(v);
            }
        }
        const auto total = static_cast<double>(sum);
        return total > 0.0 ? 1.0 / total : 0.0;
    }

private:
    const GraphView<T, W>& g;
    std::vector<std::size_t> distance;
    std::vector<NodeIndex> seenBy;  // seenBy[v] == i: v reached from i
    std::vector<NodeIndex> queue;
};

// One source of betweenness: the breadth-first search counting shortest
// paths, then the accumulation of dependencies. Working arrays are reset
// only where a search touched them.
template <class T, class W>
class DependencySearch {
public:
    explicit DependencySearch(const GraphView<T, W>& graph)
        : g(graph), pathCount(graph.nodeCount(), 0.0), distance(graph.nodeCount(), -1),
          firstPred(graph.nodeCount(), None) {
        order.reserve(graph.nodeCount());
    }

    // Fills dependency[w] for every node w that `s` reaches (the others are
    // left alone); `order` lists them. Then dependency[s] must be ignored.
    template <class Tick>
    void run(NodeIndex s, std::vector<double>& dependency, Tick&& tick) {
        order.assign(1, s);
        distance[s] = 0;
        pathCount[s] = 1.0;
        for (std::size_t head = 0; head < order.size(); ++head) {
            const NodeIndex v = order[head];
            prefetchAhead(g, order, head);
            const Span<AdjacencyEntry<W>> entries = g.neighbors(v);
            tick(entries.size() + 1);
            for (const auto& entry : entries) {
                const NodeIndex w = entry.target;
                if (distance[w] < 0) {
                    order.push_back(w);
                    distance[w] = distance[v] + 1;
                }
                if (distance[w] == distance[v] + 1) {
                    pathCount[w] += pathCount[v];
                    predNode.push_back(v);
                    nextPred.push_back(firstPred[w]);
                    firstPred[w] = predNode.size() - 1;
                }
            }
        }
        for (const NodeIndex v : order) dependency[v] = 0.0;
        // Predecessor lists are singly linked lists in flat arrays; their
        // order does not matter, as each predecessor's update from w uses
        // only values fixed before w is processed.
        for (std::size_t k = order.size(); k-- > 0;) {
            const NodeIndex w = order[k];
            for (std::size_t p = firstPred[w]; p != None; p = nextPred[p]) {
                const NodeIndex v = predNode[p];
                dependency[v] = pathCount[v] / pathCount[w] * (1.0 + dependency[w]) + dependency[v];
            }
        }
        for (const NodeIndex v : order) {
            distance[v] = -1;
            pathCount[v] = 0.0;
            firstPred[v] = None;
        }
        predNode.clear();
        nextPred.clear();
    }

    std::vector<NodeIndex> order;  // the nodes the last source reached, in breadth-first order

private:
    static constexpr std::size_t None = NoNode;
    const GraphView<T, W>& g;
    std::vector<double> pathCount;
    std::vector<std::int64_t> distance;
    std::vector<std::size_t> firstPred;
    std::vector<NodeIndex> predNode;
    std::vector<std::size_t> nextPred;
};

// Work of an all-pairs search, in adjacency entries, below which one thread
// does it all.
inline constexpr std::size_t SourceGrain = 1 << 16;

template <class T, class W>
std::size_t entryCount(const GraphView<T, W>& g) {
    return g.entryCount();
}

}  // namespace detail

// 1 / (sum of hop distances from the node to the nodes it reaches, along
// stored entries), 0.0 when it reaches none. Unreached nodes add nothing.
// options: threads (each node's score is its own search) and progress
// (nodes done of V).
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(V × (V + E)) time (one breadth-first search per node),
// O(V) memory per thread.
template <class T, class W>
std::vector<double> closenessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 0.0);
    const unsigned threads = detail::threadsFor(options.threads, n * (detail::entryCount(g) + n), detail::SourceGrain);
    std::atomic<std::size_t> next{0}, done{0};
    detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        detail::ClosenessSearch<T, W> search(g);
        detail::WorkerCheck tick(t, stop);
        detail::ProgressReport report(options.progress);
        for (std::size_t i; !stop.load(std::memory_order_relaxed) && (i = next++) < n;) {
            scores[i] = search.score(i, tick);
            const std::size_t finished = ++done;
            if (t == 0) report(finished, n);
        }
        if (t == 0 && !stop.load()) {
            // The others' last searches, then the end.
            while (done.load() < n && !stop.load()) {
                tick.now();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (!stop.load()) report.finished(n, n);
        }
    });
    return scores;
}

// Unnormalised betweenness over hop-count shortest paths by dependency
// accumulation, one breadth-first search per source in index order, the
// dependencies added in that order. Parallel edges are distinct shortest
// paths; in an undirected graph every pair counts from both ends (twice the
// usual value); the ends of a path get no credit for it.
// options: threads (sources run ahead on other threads; their dependencies
// are added in source order, with at most two sources per thread waiting)
// and progress (sources done of V).
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(V × (V + E)) time, O(V + E) memory per thread.
template <class T, class W>
std::vector<double> betweennessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 0.0);
    const unsigned threads = detail::threadsFor(options.threads, n * (detail::entryCount(g) + n), detail::SourceGrain);

    // A source's dependencies wait in a slot until every earlier source's
    // have been added.
    struct Slot {
        std::vector<double> dependency;
        std::vector<NodeIndex> order;
        bool ready = false;
    };
    const std::size_t slotCount = threads == 1 ? 1 : 2 * static_cast<std::size_t>(threads);
    std::vector<Slot> slots(slotCount);
    for (Slot& slot : slots) slot.dependency.assign(n, 0.0);
    std::mutex lock;
    std::condition_variable changed;
    std::size_t next = 0;   // the next source to search
    std::size_t added = 0;  // the sources whose dependencies are in `scores`

    const auto addReady = [&] {  // under `lock`
        while (added < n && slots[added % slotCount].ready) {
            Slot& slot = slots[added % slotCount];
            for (const NodeIndex w : slot.order)
                if (w != added) scores[w] += slot.dependency[w];
            slot.ready = false;
            ++added;
        }
    };

    detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        detail::DependencySearch<T, W> search(g);
        detail::WorkerCheck tick(t, stop);
        detail::ProgressReport report(options.progress);
        for (;;) {
            std::size_t s;
            {
                std::unique_lock<std::mutex> guard(lock);
                // The thread making calls must keep making them while it waits.
                while (!stop.load() && next < n && next >= added + slotCount) {
                    changed.wait_for(guard, std::chrono::milliseconds(2));
                    if (t == 0) {
                        const std::size_t sofar = added;
                        guard.unlock();
                        tick.now();
                        report(sofar, n);
                        guard.lock();
                    }
                }
                if (stop.load() || next >= n) break;
                s = next++;
            }
            Slot& slot = slots[s % slotCount];
            search.run(s, slot.dependency, tick);
            std::size_t sofar;
            {
                std::lock_guard<std::mutex> guard(lock);
                slot.order.swap(search.order);
                slot.ready = true;
                addReady();
                sofar = added;
            }
            changed.notify_all();
            if (t == 0) report(sofar, n);
        }
        if (t == 0 && !stop.load()) {
            std::unique_lock<std::mutex> guard(lock);
            while (added < n && !stop.load()) {
                changed.wait_for(guard, std::chrono::milliseconds(2));
                const std::size_t sofar = added;
                guard.unlock();
                tick.now();
                report(sofar, n);
                guard.lock();
            }
            guard.unlock();
            if (!stop.load()) report.finished(n, n);
        }
    });
    return scores;
}

// Katz scores by fixed-point iteration x <- alpha × (sum of the previous
// scores of the nodes in each node's adjacency list) + beta, rescaled to
// unit Euclidean length after every step, from 1/V everywhere. Stops after
// the first step whose L1 change is below `tolerance`, or after
// `maxIterations` steps (none when it is 0 or less). No argument is
// validated: a step whose scores are all 0 gives NaN everywhere.
// options: threads (each step's per-node sums; the sums across nodes, the
// length and the change, stay in node order on one thread) and progress
// (steps done of maxIterations).
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(steps × (V + E)) time, O(V) memory.
template <class T, class W>
std::vector<double> katzCentrality(const GraphView<T, W>& g, double alpha = 0.1, double beta = 1.0,
                                   int maxIterations = 1000, double tolerance = 1e-6,
                                   const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    std::vector<double> scores(n, 1.0 / static_cast<double>(n));
    std::vector<double> previous(n, 0.0);
    if (maxIterations <= 0) return scores;
    const auto steps = static_cast<std::size_t>(maxIterations);
    const unsigned threads = detail::threadsFor(options.threads, detail::entryCount(g) + n, 1 << 15);

    // Node j's new raw score, for the nodes of one thread's share.
    const auto sums = [&](std::size_t from, std::size_t to, const std::atomic<bool>& stop) {
        for (NodeIndex j = from; j < to; ++j) {
            if ((j & 1023) == 0 && stop.load(std::memory_order_relaxed)) throw Interrupted();
            double sum = 0.0;
            for (const auto& entry : g.neighbors(j)) sum += previous[entry.target];
            scores[j] = sum * alpha + beta;
        }
    };

    // The threads meet twice a step: when the sums are to be made, and when
    // they are made. `over`, set by the calling thread before a meeting,
    // sends the others home after it.
    detail::Barrier meeting(threads);
    bool over = false;

    detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        const std::size_t from = n * t / threads, to = n * (t + 1) / threads;
        if (t != 0) {
            const auto idle = [] {};
            for (;;) {
                if (!meeting.arriveAndWait(stop, idle) || over) return;
                sums(from, to, stop);
                if (!meeting.arriveAndWait(stop, idle)) return;
            }
        }
        detail::Checkpoint checkpoint;
        const auto check = [&] { checkpoint.now(); };
        const auto meet = [&] {
            if (!meeting.arriveAndWait(stop, check)) throw Interrupted();
        };
        detail::ProgressReport report(options.progress);
        std::size_t iteration = 0;
        for (;;) {
            previous = scores;
            if (n > 0) {
                meet();
                sums(from, to, stop);
                meet();
                double total = 0.0;
                for (NodeIndex j = 0; j < n; ++j) total += scores[j] * scores[j];
                const double norm = std::sqrt(total);
                for (double& score : scores) score /= norm;
            }
            checkpoint(n + 1);
            double change = 0.0;
            for (NodeIndex j = 0; j < n; ++j) change += std::fabs(scores[j] - previous[j]);
            ++iteration;
            if (tolerance > change || iteration == steps) break;
            report(iteration, steps);
        }
        report.finished(iteration, steps);
        if (threads > 1) {
            over = true;
            meet();
        }
    });
    return scores;
}

}  // namespace tarvel
