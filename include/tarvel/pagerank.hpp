// PageRank by power iteration over the stochastic matrix of the graph's
// edges, with the damping, personalization, start and dangling vectors of
// the usual formulation. Every floating-point operation is fixed in kind
// and order (below), so the scores are the same bits for any number of
// threads, and the same numbers a sparse-matrix loop that sums its vectors
// pairwise (as numpy's sum() does) makes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "detail/parallel.hpp"
#include "interrupt.hpp"
#include "store.hpp"

namespace tarvel {

// What pageRank returns: one score per node index, the steps taken, and
// whether the last step's change was below the threshold.
struct PageRankScores {
    std::vector<double> scores;
    std::size_t steps = 0;
    bool converged = false;
};

namespace detail {

// The sum of values[0 .. n) as numpy's pairwise summation forms it: below 8
// terms one after another from 0.0; up to 128 in eight running sums
// combined as ((r0 + r1) + (r2 + r3)) + ((r4 + r5) + (r6 + r7)), the rest
// added after; above, the two halves (the first a multiple of 8 long) each
// so, then added. The halving nests at most log2(n) levels deep, on the
// call stack of no recursion: an explicit stack of ranges.
inline double pairwiseSum(const double* values, std::size_t n) {
    const auto block = [](const double* a, std::size_t count) {
        if (count < 8) {
            double sum = 0.0;
            for (std::size_t i = 0; i < count; ++i) sum += a[i];
            return sum;
        }
        double r[8];
        for (std::size_t j = 0; j < 8; ++j) r[j] = a[j];
        std::size_t i = 8;
        for (; i < count - count % 8; i += 8) {
            for (std::size_t j = 0; j < 8; ++j) r[j] += a[i + j];
        }
        double sum = ((r[0] + r[1]) + (r[2] + r[3])) + ((r[4] + r[5]) + (r[6] + r[7]));
        for (; i < count; ++i) sum += a[i];
        return sum;
    };
    if (n <= 128) return block(values, n);
    // Post-order over the halving tree: a range is split until it fits a
    // block; a split range's sum is its first half's plus its second's.
    struct Range {
        std::size_t from, count;
        bool split;
    };
    std::vector<Range> pending{{0, n, false}};
    std::vector<double> sums;
    while (!pending.empty()) {
        Range range = pending.back();
        pending.pop_back();
        if (range.split) {
            const double second = sums.back();
            sums.pop_back();
            sums.back() += second;
        } else if (range.count <= 128) {
            sums.push_back(block(values + range.from, range.count));
        } else {
            std::size_t half = range.count / 2;
            half -= half % 8;
            pending.push_back({range.from, range.count, true});
            pending.push_back({range.from + half, range.count - half, false});
            pending.push_back({range.from, half, false});
        }
    }
    return sums.back();
}

// The transition matrix of PageRank, by target: the entries u -> v of node
// v are [first[v], first[v + 1]), sources ascending, each with the share
// A[u][v] × (1 / S[u]), where A[u][v] sums the weights of u's entries to v
// (1 each unweighted; in entry order) and S[u] is u's row sum, A's values
// in ascending order of v added as the first plus the pairwise sum of the
// rest. A node whose row sum is 0 (none, or weights that cancel) is
// dangling: its shares are 0 × A. An undirected graph's self-loop, which
// stands twice in its node's list, is one entry.
template <class T, class W>
struct TransitionMatrix {
    std::vector<std::size_t> first;
    std::vector<NodeIndex> source;
    std::vector<double> share;
    std::vector<NodeIndex> dangling;  // ascending

    TransitionMatrix(const GraphView<T, W>& g, bool weighted) : first(g.nodeCount() + 1, 0) {
        const std::size_t n = g.nodeCount();
        // Row by row: (target, value) merged per target, targets ascending.
        std::vector<std::size_t> rowStart(n + 1, 0);
        std::vector<std::pair<NodeIndex, double>> rows;
        std::vector<double> values;
        std::vector<double> scale(n, 0.0);
        for (NodeIndex u = 0; u < n; ++u) {
            const std::size_t begin = rows.size();
            std::size_t loops = 0;
            for (const auto& entry : g.neighbors(u)) {
                if (!g.isDirected() && entry.target == u && loops++ % 2 == 1) continue;
                rows.emplace_back(entry.target, weighted ? static_cast<double>(entry.weight) : 1.0);
            }
            std::stable_sort(rows.begin() + static_cast<std::ptrdiff_t>(begin), rows.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            std::size_t kept = begin;
            for (std::size_t k = begin; k < rows.size(); ++k) {
                if (kept > begin && rows[kept - 1].first == rows[k].first) {
                    rows[kept - 1].second += rows[k].second;
                } else {
                    rows[kept++] = rows[k];
                }
            }
            rows.resize(kept);
            values.clear();
            for (std::size_t k = begin; k < kept; ++k) values.push_back(rows[k].second);
            const double total = values.empty() ? 0.0 : values[0] + pairwiseSum(values.data() + 1, values.size() - 1);
            if (total == 0.0) {
                dangling.push_back(u);
            } else {
                scale[u] = 1.0 / total;
            }
            rowStart[u + 1] = rows.size();
        }
        for (const auto& entry : rows) ++first[entry.first + 1];
        for (NodeIndex v = 0; v < n; ++v) first[v + 1] += first[v];
        source.resize(rows.size());
        share.resize(rows.size());
        std::vector<std::size_t> filled(first.begin(), first.end() - 1);
        for (NodeIndex u = 0; u < n; ++u) {
            for (std::size_t k = rowStart[u]; k < rowStart[u + 1]; ++k) {
                const std::size_t at = filled[rows[k].first]++;
                source[at] = u;
                share[at] = scale[u] * rows[k].second;
            }
        }
    }
};

// A per-node vector scaled to sum 1 (its pairwise sum), each value divided
// by the sum: a sum of 0 gives NaN or infinities, as the division does.
inline void scaleToOne(std::vector<double>& values) {
    const double total = pairwiseSum(values.data(), values.size());
    for (double& x : values) x /= total;
}

}  // namespace detail

// PageRank by power iteration. Vectors, one value per node index:
// personalization p (empty: 1/V everywhere), start x (empty: 1/V
// everywhere) and dangling d (empty: p), each given one scaled to sum 1
// (divided by its pairwise sum). Each step makes
//   x'[v] = alpha × (y[v] + s × d[v]) + (1 − alpha) × p[v],
// y[v] the sum over the entries u -> v of share(u, v) × x[u], added from 0
// in ascending order of u (TransitionMatrix: shares of a row are its
// weights, or 1 each unweighted, times 1 / the row's sum; parallel entries
// are one of their summed weight; an undirected edge leads both ways, a
// self-loop once), s the pairwise sum of x over the dangling nodes (row sum
// 0) in index order. Stops after the first step whose L1 change (the
// pairwise sum of |x' − x| in index order) is below V × tolerance
// (converged), or after maxIterations steps (not converged; no step when
// it is 0 or less). A graph without nodes converges at once, with no
// scores. No value is checked beyond the sum of p: negative weights and
// values are used as given; a start or dangling vector summing to 0 makes
// NaN, which never converges.
// options: threads (each step's y, each node's sum on one thread) and
// progress (steps done of maxIterations).
// Errors: std::invalid_argument "personalization must be empty or hold one
// value per node" (and so for start and dangling), "personalization sums to
// 0"; whatever the thread's interrupt check or the progress callback throws.
// Cost: O(V + E log E) to build the matrix, O(steps × (V + E)) time,
// O(V + E) memory.
template <class T, class W>
PageRankScores pageRank(const GraphView<T, W>& g, double alpha, std::vector<double> personalization,
                        std::vector<double> start, std::vector<double> dangling, int maxIterations,
                        double tolerance, bool weighted, const RunOptions& options = {}) {
    const std::size_t n = g.nodeCount();
    const auto sized = [n](const std::vector<double>& values, const char* what) {
        if (!values.empty() && values.size() != n) {
            throw std::invalid_argument(std::string(what) + " must be empty or hold one value per node");
        }
    };
    sized(personalization, "personalization");
    sized(start, "start");
    sized(dangling, "dangling");
    PageRankScores out;
    if (n == 0) {
        out.converged = true;
        return out;
    }
    const double uniform = 1.0 / static_cast<double>(n);
    if (start.empty()) {
        start.assign(n, uniform);
    } else {
        detail::scaleToOne(start);
    }
    if (personalization.empty()) {
        personalization.assign(n, uniform);
    } else {
        if (detail::pairwiseSum(personalization.data(), n) == 0.0) {
            throw std::invalid_argument("personalization sums to 0");
        }
        detail::scaleToOne(personalization);
    }
    if (dangling.empty()) {
        dangling = personalization;
    } else {
        detail::scaleToOne(dangling);
    }
    const detail::TransitionMatrix<T, W> matrix(g, weighted);
    std::vector<double> teleport(n);
    for (NodeIndex v = 0; v < n; ++v) teleport[v] = (1.0 - alpha) * personalization[v];

    out.scores = std::move(start);
    const double threshold = static_cast<double>(n) * tolerance;
    const std::size_t steps = maxIterations > 0 ? static_cast<std::size_t>(maxIterations) : 0;
    const unsigned threads = detail::threadsFor(options.threads, matrix.source.size() + n, 1 << 15);
    std::vector<double> last(n), terms(std::max<std::size_t>(n, matrix.dangling.size()));
    detail::Checkpoint checkpoint;
    detail::ProgressReport report(options.progress);
    double danglingSum = 0.0;

    const auto sums = [&](std::size_t from, std::size_t to, detail::WorkerCheck& tick) {
        for (NodeIndex v = from; v < to; ++v) {
            double y = 0.0;
            const std::size_t end = matrix.first[v + 1];
            for (std::size_t k = matrix.first[v]; k < end; ++k) y += matrix.share[k] * last[matrix.source[k]];
            out.scores[v] = alpha * (y + danglingSum * dangling[v]) + teleport[v];
            tick(end - matrix.first[v] + 1);
        }
    };
    while (out.steps < steps) {
        last.swap(out.scores);
        for (std::size_t k = 0; k < matrix.dangling.size(); ++k) terms[k] = last[matrix.dangling[k]];
        danglingSum = detail::pairwiseSum(terms.data(), matrix.dangling.size());
        detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
            detail::WorkerCheck tick(t, stop);
            sums(n * t / threads, n * (t + 1) / threads, tick);
        });
        ++out.steps;
        for (NodeIndex v = 0; v < n; ++v) terms[v] = std::fabs(out.scores[v] - last[v]);
        checkpoint(n);
        if (detail::pairwiseSum(terms.data(), n) < threshold) {
            out.converged = true;
            break;
        }
        report(out.steps, steps);
    }
    report.finished(out.steps, steps);
    return out;
}

}  // namespace tarvel
