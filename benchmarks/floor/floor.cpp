// The floor: the plainest fast code for the benchmark's questions, so that
// tarvel's times can be read against what the same work costs without a
// library around it. One CSR (offsets, targets, weights) whose lists hold
// each node's edges in the order they were added, as tarvel's do, plus an
// incoming CSR for directed graphs. Every search allocates its own arrays,
// as a library call must; none checks its arguments or keeps a tie rule (any
// shortest path, any minimum forest will do). Explicit stacks throughout.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <utility>
#include <vector>

#include "api.h"
#include "edge_list.hpp"

namespace {

constexpr std::uint32_t None = 0xffffffffu;

struct Csr {
    std::vector<std::uint32_t> offsets;  // node u's entries are [offsets[u], offsets[u + 1])
    std::vector<std::uint32_t> targets;
    std::vector<std::int32_t> weights;
};

struct TreeEdge {
    std::uint32_t source, target;
    std::int32_t weight;
};

struct Graph {
    std::uint32_t n = 0;
    bool directed = false;
    Csr out, in;  // `in` is filled for directed graphs only
    // The answer of the last call.
    std::vector<std::uint32_t> path;
    std::vector<std::uint32_t> groupNodes;
    std::vector<std::int64_t> groupStarts;
    std::vector<TreeEdge> tree;

    const Csr& incoming() const { return directed ? in : out; }
};

std::string lastError;

// Lists in edge order: a counting pass, then each edge placed at its ends'
// next free entries (at both ends when `bothWays`; a self-loop then stands
// twice in its node's list, as in tarvel).
Csr makeCsr(std::uint32_t n, const std::vector<std::uint32_t>& from, const std::vector<std::uint32_t>& to,
            const std::vector<std::int32_t>& weights, bool bothWays) {
    Csr csr;
    csr.offsets.assign(n + 1, 0);
    for (std::size_t e = 0; e < from.size(); ++e) {
        ++csr.offsets[from[e] + 1];
        if (bothWays) ++csr.offsets[to[e] + 1];
    }
    for (std::uint32_t u = 0; u < n; ++u) csr.offsets[u + 1] += csr.offsets[u];
    csr.targets.resize(csr.offsets[n]);
    csr.weights.resize(csr.offsets[n]);
    std::vector<std::uint32_t> next(csr.offsets.begin(), csr.offsets.end() - 1);
    for (std::size_t e = 0; e < from.size(); ++e) {
        std::uint32_t k = next[from[e]]++;
        csr.targets[k] = to[e];
        csr.weights[k] = weights[e];
        if (bothWays) {
            k = next[to[e]]++;
            csr.targets[k] = from[e];
            csr.weights[k] = weights[e];
        }
    }
    return csr;
}

// The path to `goal` along `parent` (the start is its own parent).
std::int64_t keepPath(Graph& g, const std::vector<std::uint32_t>& parent, std::uint32_t goal) {
    for (std::uint32_t x = goal;; x = parent[x]) {
        g.path.push_back(x);
        if (parent[x] == x) break;
    }
    std::reverse(g.path.begin(), g.path.end());
    return static_cast<std::int64_t>(g.path.size());
}

}  // namespace

extern "C" {

void* bench_open(const char* nodesPath, const char* edgesPath, int directed) {
    try {
        const bench::EdgeList list = bench::readEdgeList(nodesPath, edgesPath);
        auto g = std::make_unique<Graph>();
        g->n = static_cast<std::uint32_t>(list.names.size());
        g->directed = directed != 0;
        g->out = makeCsr(g->n, list.sources, list.targets, list.weights, !g->directed);
        if (g->directed) g->in = makeCsr(g->n, list.targets, list.sources, list.weights, false);
        return g.release();
    } catch (const std::exception& error) {
        lastError = error.what();
        return nullptr;
    }
}

void bench_close(void* graph) { delete static_cast<Graph*>(graph); }

const char* bench_error(void) { return lastError.c_str(); }

// Breadth-first from the start, stopping when the goal is first seen.
int64_t bench_bfs(void* graph, uint32_t start, uint32_t goal) {
    Graph& g = *static_cast<Graph*>(graph);
    g.path.clear();
    std::vector<std::uint32_t> parent(g.n, None);
    parent[start] = start;
    if (start == goal) return keepPath(g, parent, goal);
    std::vector<std::uint32_t> queue;
    queue.reserve(g.n);
    queue.push_back(start);
    const std::uint32_t* offsets = g.out.offsets.data();
    const std::uint32_t* targets = g.out.targets.data();
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::uint32_t u = queue[head];
        for (std::uint32_t k = offsets[u]; k < offsets[u + 1]; ++k) {
            const std::uint32_t v = targets[k];
            if (parent[v] != None) continue;
            parent[v] = u;
            if (v == goal) return keepPath(g, parent, goal);
            queue.push_back(v);
        }
    }
    return 0;
}

// Level by level from both ends, each time from the end whose frontier is
// smaller (over incoming lists from the goal). The first node that one side
// finds already seen by the other lies on a shortest path: no earlier level
// met, so every path is at least as long as the two levels plus the edge.
int64_t bench_bfs_two_ended(void* graph, uint32_t start, uint32_t goal) {
    Graph& g = *static_cast<Graph*>(graph);
    g.path.clear();
    std::vector<std::uint32_t> towardStart(g.n, None), towardGoal(g.n, None);
    towardStart[start] = start;
    towardGoal[goal] = goal;
    if (start == goal) return keepPath(g, towardStart, goal);
    std::vector<std::uint32_t> startFront{start}, goalFront{goal}, next;
    while (!startFront.empty() && !goalFront.empty()) {
        const bool forward = startFront.size() <= goalFront.size();
        std::vector<std::uint32_t>& front = forward ? startFront : goalFront;
        std::vector<std::uint32_t>& mine = forward ? towardStart : towardGoal;
        const std::vector<std::uint32_t>& other = forward ? towardGoal : towardStart;
        const Csr& lists = forward ? g.out : g.incoming();
        next.clear();
        for (const std::uint32_t u : front) {
            for (std::uint32_t k = lists.offsets[u]; k < lists.offsets[u + 1]; ++k) {
                const std::uint32_t v = lists.targets[k];
                if (mine[v] != None) continue;
                mine[v] = u;
                if (other[v] != None) {
                    keepPath(g, towardStart, v);
                    for (std::uint32_t x = v; x != goal;) {
                        x = towardGoal[x];
                        g.path.push_back(x);
                    }
                    return static_cast<std::int64_t>(g.path.size());
                }
                next.push_back(v);
            }
        }
        front.swap(next);
    }
    return 0;
}

// Dijkstra with a binary heap of (distance, node) pairs, stale pairs skipped
// when they come out; it stops when the goal comes out.
int64_t bench_dijkstra(void* graph, uint32_t start, uint32_t goal) {
    Graph& g = *static_cast<Graph*>(graph);
    g.path.clear();
    using Item = std::pair<std::int64_t, std::uint32_t>;
    std::vector<std::int64_t> dist(g.n, INT64_MAX);
    std::vector<std::uint32_t> parent(g.n, None);
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    dist[start] = 0;
    parent[start] = start;
    heap.push({0, start});
    const std::uint32_t* offsets = g.out.offsets.data();
    const std::uint32_t* targets = g.out.targets.data();
    const std::int32_t* weights = g.out.weights.data();
    while (!heap.empty()) {
        const auto [d, u] = heap.top();
        heap.pop();
        if (d > dist[u]) continue;
        if (u == goal) return keepPath(g, parent, goal);
        for (std::uint32_t k = offsets[u]; k < offsets[u + 1]; ++k) {
            const std::uint32_t v = targets[k];
            const std::int64_t nd = d + weights[k];
            if (nd < dist[v]) {
                dist[v] = nd;
                parent[v] = u;
                heap.push({nd, v});
            }
        }
    }
    return 0;
}

void bench_path(void* graph, uint32_t* nodes) {
    const Graph& g = *static_cast<Graph*>(graph);
    std::copy(g.path.begin(), g.path.end(), nodes);
}

// Tarjan's algorithm on an explicit stack of (node, next entry).
int64_t bench_scc(void* graph) {
    Graph& g = *static_cast<Graph*>(graph);
    const std::uint32_t* offsets = g.out.offsets.data();
    const std::uint32_t* targets = g.out.targets.data();
    std::vector<std::uint32_t> index(g.n, None), low(g.n);
    std::vector<bool> onStack(g.n, false);
    std::vector<std::uint32_t> stack;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    g.groupNodes.clear();
    g.groupStarts.clear();
    g.groupNodes.reserve(g.n);
    std::uint32_t counter = 0;
    const auto discover = [&](std::uint32_t u) {
        index[u] = low[u] = counter++;
        stack.push_back(u);
        onStack[u] = true;
        calls.emplace_back(u, offsets[u]);
    };
    for (std::uint32_t root = 0; root < g.n; ++root) {
        if (index[root] != None) continue;
        discover(root);
        while (!calls.empty()) {
            const std::uint32_t u = calls.back().first;
            const std::uint32_t k = calls.back().second;
            if (k < offsets[u + 1]) {
                ++calls.back().second;
                const std::uint32_t v = targets[k];
                if (index[v] == None) {
                    discover(v);
                } else if (onStack[v]) {
                    low[u] = std::min(low[u], index[v]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) {
                const std::uint32_t parent = calls.back().first;
                low[parent] = std::min(low[parent], low[u]);
            }
            if (low[u] != index[u]) continue;
            g.groupStarts.push_back(static_cast<std::int64_t>(g.groupNodes.size()));
            std::uint32_t x;
            do {
                x = stack.back();
                stack.pop_back();
                onStack[x] = false;
                g.groupNodes.push_back(x);
            } while (x != u);
        }
    }
    const auto count = static_cast<std::int64_t>(g.groupStarts.size());
    g.groupStarts.push_back(static_cast<std::int64_t>(g.groupNodes.size()));
    return count;
}

void bench_groups(void* graph, uint32_t* nodes, int64_t* starts) {
    const Graph& g = *static_cast<Graph*>(graph);
    std::copy(g.groupNodes.begin(), g.groupNodes.end(), nodes);
    std::copy(g.groupStarts.begin(), g.groupStarts.end(), starts);
}

// Kruskal: the candidates (each undirected edge once, from its lower end;
// self-loops left out) counting-sorted by weight, then a union-find with
// union by size and path splitting. It stops once the forest cannot grow: at
// V - 1 edges less one for each node without entries (for an undirected
// graph, where such a node is a component of its own).
int64_t bench_kruskal(void* graph) {
    Graph& g = *static_cast<Graph*>(graph);
    const std::uint32_t* offsets = g.out.offsets.data();
    const std::uint32_t* targets = g.out.targets.data();
    const std::int32_t* weights = g.out.weights.data();
    const auto candidate = [&](std::uint32_t u, std::uint32_t v) { return g.directed ? u != v : u < v; };
    std::int32_t least = INT32_MAX, most = INT32_MIN;
    std::size_t count = 0;
    for (std::uint32_t u = 0; u < g.n; ++u) {
        for (std::uint32_t k = offsets[u]; k < offsets[u + 1]; ++k) {
            if (!candidate(u, targets[k])) continue;
            least = std::min(least, weights[k]);
            most = std::max(most, weights[k]);
            ++count;
        }
    }
    g.tree.clear();
    if (count == 0) return 0;
    std::vector<std::uint32_t> next(static_cast<std::size_t>(most - least) + 2, 0);
    for (std::uint32_t u = 0; u < g.n; ++u) {
        for (std::uint32_t k = offsets[u]; k < offsets[u + 1]; ++k) {
            if (candidate(u, targets[k])) ++next[static_cast<std::size_t>(weights[k] - least) + 1];
        }
    }
    for (std::size_t w = 1; w < next.size(); ++w) next[w] += next[w - 1];
    std::vector<TreeEdge> sorted(count);
    for (std::uint32_t u = 0; u < g.n; ++u) {
        for (std::uint32_t k = offsets[u]; k < offsets[u + 1]; ++k) {
            if (candidate(u, targets[k])) sorted[next[static_cast<std::size_t>(weights[k] - least)]++] = {u, targets[k], weights[k]};
        }
    }
    std::size_t complete = g.n == 0 ? 0 : g.n - 1;
    if (!g.directed) {
        std::size_t alone = 0;
        for (std::uint32_t u = 0; u < g.n; ++u) alone += offsets[u] == offsets[u + 1];
        complete = alone == g.n ? 0 : g.n - alone - 1;
    }
    std::vector<std::int32_t> parent(g.n, -1);  // a root holds minus its set's size
    const auto find = [&](std::uint32_t x) {
        while (parent[x] >= 0) {
            const std::int32_t up = parent[x];
            if (parent[static_cast<std::uint32_t>(up)] >= 0) parent[x] = parent[static_cast<std::uint32_t>(up)];
            x = static_cast<std::uint32_t>(up);
        }
        return x;
    };
    g.tree.reserve(complete);
    for (const TreeEdge& e : sorted) {
        if (g.tree.size() == complete) break;
        std::uint32_t a = find(e.source), b = find(e.target);
        if (a == b) continue;
        if (parent[a] > parent[b]) std::swap(a, b);
        parent[a] += parent[b];
        parent[b] = static_cast<std::int32_t>(a);
        g.tree.push_back(e);
    }
    return static_cast<std::int64_t>(g.tree.size());
}

void bench_tree(void* graph, uint32_t* ends, int64_t* weights) {
    const Graph& g = *static_cast<Graph*>(graph);
    for (std::size_t i = 0; i < g.tree.size(); ++i) {
        ends[2 * i] = g.tree[i].source;
        ends[2 * i + 1] = g.tree[i].target;
        weights[i] = g.tree[i].weight;
    }
}

}  // extern "C"
