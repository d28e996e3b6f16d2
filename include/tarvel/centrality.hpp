// Centrality scores, one per node index: degree, closeness and betweenness
// over hop-count distances, and Katz; and the reach counts and distance sums
// from which every normalisation of closeness is made. None is normalised by
// the number of nodes; weights play no part, but in Katz over incoming edges
// when asked for.
//
// Closeness, betweenness and Katz run on several threads (RunOptions) and
// give the same numbers, bit for bit, for any number of threads: every
// floating-point sum is taken in the order of the sequential computation.
#pragma once

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
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

// What a breadth-first search from one node reaches: the number of other
// nodes and the sum of their hop distances (exact).
struct ReachSum {
    std::size_t reached = 0;
    std::uint64_t distanceSum = 0;

    bool operator==(const ReachSum& other) const {
        return reached == other.reached && distanceSum == other.distanceSum;
    }
};

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

    // The nodes `i` reaches besides itself and the sum of their hop distances.
    template <class Tick>
    ReachSum sums(NodeIndex i, Tick&& tick) {
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
        return ReachSum{queue.size() - 1, sum};
    }

    // 1 / (sum of hop distances to the nodes `i` reaches), 0.0 when none.
    template <class Tick>
    double score(NodeIndex i, Tick&& tick) {
        const auto total = static_cast<double>(sums(i, tick).distanceSum);
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

// Every node index 0 .. n - 1, for the calls over all nodes.
inline std::vector<NodeIndex> allNodes(std::size_t n) {
    std::vector<NodeIndex> nodes(n);
    for (NodeIndex i = 0; i < n; ++i) nodes[i] = i;
    return nodes;
}

// Checks a list of node indices of a graph of n nodes: each below n, none
// given twice. Errors: std::out_of_range for an index past the end,
// std::invalid_argument "node index K is given twice".
inline void checkNodeList(const std::vector<NodeIndex>& nodes, std::size_t n) {
    std::vector<bool> seen(n, false);
    for (const NodeIndex node : nodes) {
        checkNodeIndex(node, n);
        if (seen[node]) throw std::invalid_argument("node index " + std::to_string(node) + " is given twice");
        seen[node] = true;
    }
}

// One value per node of `nodes` (value k for nodes[k]), each from its own
// search (a Search made once per thread: ClosenessSearch, or a weighted
// one), the nodes shared out to the threads as they ask; progress counts
// nodes done of the number given. `extra` follows the graph into each
// Search's constructor.
template <class Search, class T, class W, class Value, class Score, class... Extra>
std::vector<Value> eachNodeSearchWith(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                      const RunOptions& options, Score&& score, const Extra&... extra) {
    const std::size_t n = g.nodeCount(), count = nodes.size();
    std::vector<Value> values(count);
    const unsigned threads = threadsFor(options.threads, count * (entryCount(g) + n), SourceGrain);
    std::atomic<std::size_t> next{0}, done{0};
    runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        Search search(g, extra...);
        WorkerCheck tick(t, stop);
        ProgressReport report(options.progress);
        for (std::size_t k; !stop.load(std::memory_order_relaxed) && (k = next++) < count;) {
            values[k] = score(search, nodes[k], tick);
            const std::size_t finished = ++done;
            if (t == 0) report(finished, count);
        }
        if (t == 0 && !stop.load()) {
            // The others' last searches, then the end.
            while (done.load() < count && !stop.load()) {
                tick.now();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            if (!stop.load()) report.finished(count, count);
        }
    });
    return values;
}

template <class T, class W, class Value, class Score>
std::vector<Value> eachNodeSearch(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                  const RunOptions& options, Score&& score) {
    return eachNodeSearchWith<ClosenessSearch<T, W>, T, W, Value>(g, nodes, options, std::forward<Score>(score));
}

}  // namespace detail

// The closeness of each node of `nodes` (indices, in any order, none twice):
// score k is the score of nodes[k], 1 / (sum of hop distances from the node
// to the nodes it reaches, along stored entries), 0.0 when it reaches none;
// unreached nodes add nothing. Each score is its node's own search, so it is
// the same, to the bit, whatever else is asked for: a list of nodes cut into
// parts gives the scores of the whole.
// options: threads (each node's score is its own search) and progress
// (nodes done of the number given).
// Errors: std::out_of_range for an index past the end, std::invalid_argument
// for an index given twice (both before any search); whatever the thread's
// interrupt check or the progress callback throws.
// Cost: O(K × (V + E)) time for K nodes (one breadth-first search each),
// O(V) memory per thread.
template <class T, class W>
std::vector<double> closenessCentrality(const GraphView<T, W>& g, const std::vector<NodeIndex>& nodes,
                                        const RunOptions& options = {}) {
    detail::checkNodeList(nodes, g.nodeCount());
    return detail::eachNodeSearch<T, W, double>(
        g, nodes, options, [](auto& search, NodeIndex i, auto& tick) { return search.score(i, tick); });
}

// The closeness of every node, in index order: closenessCentrality(g,
// every index, options). Progress counts nodes done of V.
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(V × (V + E)) time (one breadth-first search per node),
// O(V) memory per thread.
template <class T, class W>
std::vector<double> closenessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    return closenessCentrality(g, detail::allNodes(g.nodeCount()), options);
}

// For each node, what a breadth-first search from it along stored entries
// reaches: the number of other nodes, and the exact sum of their hop
// distances. The raw quantities of every closeness normalisation (on the
// graph with its edges reversed, the incoming ones), and the reach counts
// that betweenness with endpoints adds.
// options: threads and progress (nodes done of V), as closenessCentrality.
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(V × (V + E)) time, O(V) memory per thread.
template <class T, class W>
std::vector<ReachSum> reachSums(const GraphView<T, W>& g, const RunOptions& options = {}) {
    return detail::eachNodeSearch<T, W, ReachSum>(
        g, detail::allNodes(g.nodeCount()), options,
        [](auto& search, NodeIndex i, auto& tick) { return search.sums(i, tick); });
}

namespace detail {

// Betweenness from `sources` with one Search per thread (DependencySearch,
// or a weighted one): each source's dependencies added in source index
// order, whatever thread made them, so the numbers do not depend on the
// number of threads. The contract is betweennessCentrality's.
template <class Search, class T, class W>
std::vector<double> sourceDependencySums(const GraphView<T, W>& g, std::vector<NodeIndex> sources,
                                         const RunOptions& options) {
    const std::size_t n = g.nodeCount();
    checkNodeList(sources, n);
    std::sort(sources.begin(), sources.end());
    const std::size_t count = sources.size();
    std::vector<double> scores(n, 0.0);
    const unsigned threads =
        threadsFor(options.threads, count * (entryCount(g) + n), SourceGrain);

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
    std::size_t next = 0;   // the position of the next source to search
    std::size_t added = 0;  // the sources whose dependencies are in `scores`

    const auto addReady = [&] {  // under `lock`
        while (added < count && slots[added % slotCount].ready) {
            Slot& slot = slots[added % slotCount];
            for (const NodeIndex w : slot.order)
                if (w != sources[added]) scores[w] += slot.dependency[w];
            slot.ready = false;
            ++added;
        }
    };

    runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        Search search(g);
        WorkerCheck tick(t, stop);
        ProgressReport report(options.progress);
        for (;;) {
            std::size_t k;
            {
                std::unique_lock<std::mutex> guard(lock);
                // The thread making calls must keep making them while it waits.
                while (!stop.load() && next < count && next >= added + slotCount) {
                    changed.wait_for(guard, std::chrono::milliseconds(2));
                    if (t == 0) {
                        const std::size_t sofar = added;
                        guard.unlock();
                        tick.now();
                        report(sofar, count);
                        guard.lock();
                    }
                }
                if (stop.load() || next >= count) break;
                k = next++;
            }
            Slot& slot = slots[k % slotCount];
            search.run(sources[k], slot.dependency, tick);
            std::size_t sofar;
            {
                std::lock_guard<std::mutex> guard(lock);
                slot.order.swap(search.order);
                slot.ready = true;
                addReady();
                sofar = added;
            }
            changed.notify_all();
            if (t == 0) report(sofar, count);
        }
        if (t == 0 && !stop.load()) {
            std::unique_lock<std::mutex> guard(lock);
            while (added < count && !stop.load()) {
                changed.wait_for(guard, std::chrono::milliseconds(2));
                const std::size_t sofar = added;
                guard.unlock();
                tick.now();
                report(sofar, count);
                guard.lock();
            }
            guard.unlock();
            if (!stop.load()) report.finished(count, count);
        }
    });
    return scores;
}

}  // namespace detail

// Unnormalised betweenness over hop-count shortest paths by dependency
// accumulation, counting the shortest paths that start at the sources
// given (indices, in any order, none twice): one breadth-first search per
// source, in index order, the dependencies added in that order, whatever
// order the sources are given in. Parallel edges are distinct shortest
// paths; in an undirected graph every pair counts from both ends (twice the
// usual value); the ends of a path get no credit for it. Every term is
// non-negative, so the scores of the parts of a partition of the nodes sum
// to the scores of all sources but for rounding: within 2γ/(1 − γ) of them
// relatively, γ = (V − 1)u / (1 − (V − 1)u), u = 2^−53.
// options: threads (sources run ahead on other threads; their dependencies
// are added in source order, with at most two sources per thread waiting)
// and progress (sources done of the number given).
// Errors: std::out_of_range for an index past the end, std::invalid_argument
// for an index given twice (both before any search); whatever the thread's
// interrupt check or the progress callback throws.
// Cost: O(K × (V + E)) time for K sources, O(V + E) memory per thread.
template <class T, class W>
std::vector<double> betweennessCentrality(const GraphView<T, W>& g, std::vector<NodeIndex> sources,
                                          const RunOptions& options = {}) {
    return detail::sourceDependencySums<detail::DependencySearch<T, W>>(g, std::move(sources), options);
}

// The betweenness of every node, counting the paths from every source:
// betweennessCentrality(g, every index, options). Progress counts sources
// done of V.
// Errors: whatever the thread's interrupt check or the progress callback
// throws. Cost: O(V × (V + E)) time, O(V + E) memory per thread.
template <class T, class W>
std::vector<double> betweennessCentrality(const GraphView<T, W>& g, const RunOptions& options = {}) {
    return betweennessCentrality(g, detail::allNodes(g.nodeCount()), options);
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

// What incomingKatzCentrality returns: one score per node index, the steps
// taken, and whether the last step's change was below the threshold.
struct KatzScores {
    std::vector<double> scores;
    std::size_t steps = 0;
    bool converged = false;
};

namespace detail {

// Each node's incoming entries with their weights as doubles, for Katz's
// sums (the graph's own incoming lists hold no weights): those of node v are
// [first[v], first[v + 1]), their sources in index order (one source's in
// its list order). A self-loop of an undirected graph stands twice in its
// node's list but is one edge: it comes in once.
template <class T, class W>
struct WeightedIncoming {
    std::vector<std::size_t> first;
    std::vector<NodeIndex> source;
    std::vector<double> weight;

    explicit WeightedIncoming(const GraphView<T, W>& g) : first(g.nodeCount() + 1, 0) {
        const std::size_t n = g.nodeCount();
        // Calls take(u, entry) for every entry that comes in, sources in order.
        const auto each = [&](auto&& take) {
            for (NodeIndex u = 0; u < n; ++u) {
                std::size_t loops = 0;
                for (const auto& entry : g.neighbors(u)) {
                    if (!g.isDirected() && entry.target == u && loops++ % 2 == 1) continue;
                    take(u, entry);
                }
            }
        };
        each([&](NodeIndex, const AdjacencyEntry<W>& entry) { ++first[entry.target + 1]; });
        for (NodeIndex v = 0; v < n; ++v) first[v + 1] += first[v];
        source.resize(first[n]);
        weight.resize(first[n]);
        std::vector<std::size_t> filled(first.begin(), first.end() - 1);
        each([&](NodeIndex u, const AdjacencyEntry<W>& entry) {
            const std::size_t at = filled[entry.target]++;
            source[at] = u;
            weight[at] = static_cast<double>(entry.weight);
        });
    }
};

// A sum of doubles with Neumaier's compensation, the compensation added at
// the end when it is finite and not zero: the sum Python's sum() of floats
// gives from 3.12 on, so that a threshold test stops at the step a Python
// loop over the same numbers stops at.
class CompensatedSum {
public:
    void add(double x) {
        const double t = total + x;
        if (std::fabs(total) >= std::fabs(x)) {
            compensation += (total - t) + x;
        } else {
            compensation += (x - t) + total;
        }
        total = t;
    }
    double value() const { return compensation != 0.0 && std::isfinite(compensation) ? total + compensation : total; }

private:
    double total = 0.0;
    double compensation = 0.0;
};

}  // namespace detail

// Katz scores over incoming edges: from `start` (0 everywhere when empty),
// each step makes x'[v] = alpha × (sum over the entries u → v of x[u],
// times the entry's weight when `weighted`) + beta[v], the terms of a sum in
// the order of their sources' indices (an undirected edge comes in at both
// ends, a self-loop once). Stops after the first step whose L1 change, summed
// in node order with Neumaier's compensation, is below V × tolerance
// (converged), or after maxIterations steps (not converged; no step when it
// is 0 or less). Then, when `normalized`, the scores are divided by their
// Euclidean length (the square root of their squares summed in node order;
// unchanged when that is 0). A graph without nodes converges at once.
// Every multiplication and sum is a double operation in that order, so the
// scores are the ones a plain loop in that order makes, to the bit.
// options: threads (each step's per-node sums, each sum on one thread) and
// progress (steps done of maxIterations).
// Errors: std::invalid_argument "beta must hold one value per node" or
// "start must be empty or hold one value per node"; whatever the thread's
// interrupt check or the progress callback throws.
// Cost: O(steps × (V + E)) time, O(V + E) memory.
template <class T, class W>
KatzScores incomingKatzCentrality(const GraphView<T, W>& g, double alpha, const std::vector<double>& beta,
                                  std::vector<double> start, int maxIterations, double tolerance, bool weighted,
                                  bool normalized, const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    if (beta.size() != n) throw std::invalid_argument("beta must hold one value per node");
    if (!start.empty() && start.size() != n) throw std::invalid_argument("start must be empty or hold one value per node");
    KatzScores out;
    out.scores = start.empty() ? std::vector<double>(n, 0.0) : std::move(start);
    if (n == 0) {
        out.converged = true;
        return out;
    }
    const detail::WeightedIncoming<T, W> incoming(g);
    const double threshold = static_cast<double>(n) * tolerance;
    const std::size_t steps = maxIterations > 0 ? static_cast<std::size_t>(maxIterations) : 0;
    const unsigned threads = detail::threadsFor(options.threads, incoming.source.size() + n, 1 << 15);
    std::vector<double> last(n);
    detail::Checkpoint checkpoint;
    detail::ProgressReport report(options.progress);

    const auto sums = [&](std::size_t from, std::size_t to, detail::WorkerCheck& tick) {
        for (NodeIndex v = from; v < to; ++v) {
            double sum = 0.0;
            const std::size_t end = incoming.first[v + 1];
            if (weighted) {
                for (std::size_t k = incoming.first[v]; k < end; ++k) sum += last[incoming.source[k]] * incoming.weight[k];
            } else {
                for (std::size_t k = incoming.first[v]; k < end; ++k) sum += last[incoming.source[k]];
            }
            out.scores[v] = alpha * sum + beta[v];
            tick(end - incoming.first[v] + 1);
        }
    };
    while (out.steps < steps) {
        last.swap(out.scores);
        detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
            detail::WorkerCheck tick(t, stop);
            sums(n * t / threads, n * (t + 1) / threads, tick);
        });
        ++out.steps;
        detail::CompensatedSum change;
        for (NodeIndex v = 0; v < n; ++v) change.add(std::fabs(out.scores[v] - last[v]));
        checkpoint(n);
        if (change.value() < threshold) {
            out.converged = true;
            break;
        }
        report(out.steps, steps);
    }
    if (out.converged && normalized) {
        double squares = 0.0;
        for (const double x : out.scores) squares += x * x;
        if (squares > 0.0) {
            const double scale = 1.0 / std::sqrt(squares);
            for (double& x : out.scores) x *= scale;
        }
    }
    report.finished(out.steps, steps);
    return out;
}

}  // namespace tarvel
