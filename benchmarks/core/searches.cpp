// tarvel's C++ searches against plain programs over a compressed sparse
// row layout (offsets, 32-bit targets, weights beside them), at -O3, on the
// benchmark's graphs: G(n, m) directed and undirected with 200,000 nodes and
// 1,000,000 edges, and a 700 x 700 grid. Each row is the best of several
// runs, in milliseconds; each answer is checked against the plain one.
//
//     g++ -std=c++17 -O3 -DNDEBUG -ffp-contract=off -Iinclude benchmarks/core/searches.cpp -o searches
//     ./searches            # or: ./searches gnm-directed bfs
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numeric>
#include <queue>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace {

using Store = tarvel::GraphStore<int, int>;

struct Csr {
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> targets;
    std::vector<std::int32_t> weights;
};

struct Case {
    std::string name;
    bool directed;
    std::uint32_t n;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> edges;
    std::vector<int> weights;
};

Case gnm(const std::string& name, bool directed, std::uint32_t n, std::size_t m, std::mt19937_64& rng) {
    Case c{name, directed, n, {}, {}};
    std::vector<std::uint64_t> seen;
    seen.reserve(m * 2);
    while (c.edges.size() < m) {
        std::uint32_t a = static_cast<std::uint32_t>(rng() % n), b = static_cast<std::uint32_t>(rng() % n);
        if (a == b) continue;
        c.edges.emplace_back(a, b);
    }
    for (std::size_t k = 0; k < m; ++k) c.weights.push_back(static_cast<int>(1 + rng() % 100));
    return c;
}

Case grid(std::uint32_t side, std::mt19937_64& rng) {
    Case c{"grid", false, side * side, {}, {}};
    for (std::uint32_t r = 0; r < side; ++r)
        for (std::uint32_t col = 0; col < side; ++col) {
            const std::uint32_t i = r * side + col;
            if (col + 1 < side) c.edges.emplace_back(i, i + 1);
            if (r + 1 < side) c.edges.emplace_back(i, i + side);
        }
    for (std::size_t k = 0; k < c.edges.size(); ++k) c.weights.push_back(static_cast<int>(1 + rng() % 100));
    return c;
}

Store storeOf(const Case& c) {
    Store g(c.directed);
    std::vector<int> names(c.n);
    std::iota(names.begin(), names.end(), 0);
    g.addNodes(names);
    std::vector<Store::EdgeSpec> specs;
    specs.reserve(c.edges.size());
    for (std::size_t k = 0; k < c.edges.size(); ++k)
        specs.push_back({static_cast<int>(c.edges[k].first), static_cast<int>(c.edges[k].second), c.weights[k]});
    g.addEdges(specs);
    return g;
}

// The same entries in the same order as the store's lists.
Csr csrOf(const Case& c) {
    Csr csr;
    csr.offsets.assign(c.n + 1, 0);
    for (const auto& [a, b] : c.edges) {
        ++csr.offsets[a + 1];
        if (!c.directed) ++csr.offsets[b + 1];
    }
    for (std::uint32_t u = 0; u < c.n; ++u) csr.offsets[u + 1] += csr.offsets[u];
    csr.targets.resize(csr.offsets[c.n]);
    csr.weights.resize(csr.offsets[c.n]);
    std::vector<std::uint32_t> fill(csr.offsets.begin(), csr.offsets.end() - 1);
    for (std::size_t k = 0; k < c.edges.size(); ++k) {
        const auto [a, b] = c.edges[k];
        csr.targets[fill[a]] = b;
        csr.weights[fill[a]++] = c.weights[k];
        if (!c.directed) {
            csr.targets[fill[b]] = a;
            csr.weights[fill[b]++] = c.weights[k];
        }
    }
    return csr;
}

template <class F>
double bestOf(int runs, F&& f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return best;
}

// ---- plain programs -----------------------------------------------------------

std::vector<std::uint32_t> plainBfs(const Csr& g, std::uint32_t s, std::uint32_t t) {
    const std::uint32_t n = static_cast<std::uint32_t>(g.offsets.size() - 1);
    std::vector<std::uint32_t> prev(n, ~0u), queue(n);
    prev[s] = s;
    queue[0] = s;
    std::uint32_t tail = 1;
    for (std::uint32_t head = 0; head < tail; ++head) {
        const std::uint32_t u = queue[head];
        for (std::uint32_t k = g.offsets[u]; k < g.offsets[u + 1]; ++k) {
            const std::uint32_t v = g.targets[k];
            if (prev[v] != ~0u) continue;
            prev[v] = u;
            if (v == t) {
                std::vector<std::uint32_t> path{t};
                while (path.back() != s) path.push_back(prev[path.back()]);
                std::reverse(path.begin(), path.end());
                return path;
            }
            queue[tail++] = v;
        }
    }
    return {};
}

std::vector<std::int64_t> plainDijkstra(const Csr& g, std::uint32_t s) {
    const std::uint32_t n = static_cast<std::uint32_t>(g.offsets.size() - 1);
    std::vector<std::int64_t> dist(n, INT64_MAX);
    std::vector<std::uint32_t> prev(n, ~0u);
    using E = std::pair<std::int64_t, std::uint32_t>;
    std::priority_queue<E, std::vector<E>, std::greater<E>> heap;
    dist[s] = 0;
    heap.emplace(0, s);
    while (!heap.empty()) {
        const auto [d, u] = heap.top();
        heap.pop();
        if (d > dist[u]) continue;
        for (std::uint32_t k = g.offsets[u]; k < g.offsets[u + 1]; ++k) {
            const std::uint32_t v = g.targets[k];
            const std::int64_t nd = d + g.weights[k];
            if (nd < dist[v]) {
                dist[v] = nd;
                prev[v] = u;
                heap.emplace(nd, v);
            }
        }
    }
    return dist;
}

std::size_t plainTarjan(const Csr& g) {
    const std::uint32_t n = static_cast<std::uint32_t>(g.offsets.size() - 1);
    std::vector<std::uint32_t> index(n, ~0u), low(n), stack, callNode, callPos;
    std::vector<char> onStack(n, 0);
    std::uint32_t time = 0;
    std::size_t components = 0;
    for (std::uint32_t root = 0; root < n; ++root) {
        if (index[root] != ~0u) continue;
        index[root] = low[root] = time++;
        stack.push_back(root);
        onStack[root] = 1;
        callNode.push_back(root);
        callPos.push_back(g.offsets[root]);
        while (!callNode.empty()) {
            const std::uint32_t u = callNode.back();
            std::uint32_t& k = callPos.back();
            if (k < g.offsets[u + 1]) {
                const std::uint32_t v = g.targets[k++];
                if (index[v] == ~0u) {
                    index[v] = low[v] = time++;
                    stack.push_back(v);
                    onStack[v] = 1;
                    callNode.push_back(v);
                    callPos.push_back(g.offsets[v]);
                } else if (onStack[v]) {
                    low[u] = std::min(low[u], index[v]);
                }
                continue;
            }
            if (low[u] == index[u]) {
                std::uint32_t x;
                do {
                    x = stack.back();
                    stack.pop_back();
                    onStack[x] = 0;
                } while (x != u);
                ++components;
            }
            callNode.pop_back();
            callPos.pop_back();
            if (!callNode.empty()) low[callNode.back()] = std::min(low[callNode.back()], low[u]);
        }
    }
    return components;
}

std::int64_t plainKruskal(const Case& c) {
    struct E {
        int w;
        std::uint32_t a, b;
    };
    std::vector<E> edges;
    edges.reserve(c.edges.size());
    for (std::size_t k = 0; k < c.edges.size(); ++k) {
        const auto [a, b] = c.edges[k];
        edges.push_back({c.weights[k], std::min(a, b), std::max(a, b)});
    }
    std::stable_sort(edges.begin(), edges.end(), [](const E& x, const E& y) { return x.w < y.w; });
    std::vector<std::uint32_t> parent(c.n);
    std::iota(parent.begin(), parent.end(), 0u);
    const auto find = [&](std::uint32_t x) {
        while (parent[x] != x) x = parent[x] = parent[parent[x]];
        return x;
    };
    std::int64_t total = 0;
    for (const E& e : edges) {
        const std::uint32_t ra = find(e.a), rb = find(e.b);
        if (ra == rb) continue;
        parent[ra] = rb;
        total += e.w;
    }
    return total;
}

void row(const char* graph, const char* op, double tarvel, double plain) {
    std::printf("%-16s %-22s tarvel %9.2f ms   plain %9.2f ms   ratio %5.2f\n", graph, op, tarvel, plain, tarvel / plain);
    std::fflush(stdout);
}

bool wanted(int argc, char** argv, const std::string& graph, const std::string& op) {
    if (argc < 2) return true;
    if (graph != argv[1]) return false;
    return argc < 3 || op == argv[2];
}

}  // namespace

int main(int argc, char** argv) {
    std::mt19937_64 rng(20261207);
    std::vector<Case> cases;
    cases.push_back(gnm("gnm-directed", true, 200000, 1000000, rng));
    cases.push_back(gnm("gnm-undirected", false, 200000, 1000000, rng));
    cases.push_back(grid(700, rng));
    const int runs = 7;
    for (const Case& c : cases) {
        const Store store = storeOf(c);
        const auto g = store.view();
        const Csr csr = csrOf(c);
        const char* name = c.name.c_str();
        // The node farthest from 0 by hops: the forward search's worst case.
        std::uint32_t far = 0;
        {
            const auto tree = tarvel::bfsTree(g, 0);
            for (std::uint32_t v = 0; v < c.n; ++v)
                if (tree.distance[v] != tarvel::Unreached<int> && tree.distance[v] > tree.distance[far]) far = v;
        }
        if (wanted(argc, argv, c.name, "bfs")) {
            tarvel::IndexPath path;
            std::vector<std::uint32_t> plain;
            const double t = bestOf(runs, [&] { path = tarvel::detail::forwardBfs(g, 0, far); });
            const double p = bestOf(runs, [&] { plain = plainBfs(csr, 0, far); });
            if (!std::equal(path.begin(), path.end(), plain.begin(), plain.end())) std::printf("bfs differs\n");
            row(name, "forward bfs, far", t, p);
        }
        if (wanted(argc, argv, c.name, "bfs2")) {
            std::mt19937 pick(5);
            std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
            for (int k = 0; k < 50; ++k) pairs.emplace_back(pick() % c.n, pick() % c.n);
#ifndef BEFORE
            if (c.directed) g.incoming();
#endif
            std::size_t sum = 0;
            const double t = bestOf(3, [&] {
                for (const auto& [s, e] : pairs) sum += tarvel::bfs(g, s, e).size();
            }) / 50;
            const double f = bestOf(3, [&] {
                for (const auto& [s, e] : pairs) sum += plainBfs(csr, s, e).size();
            }) / 50;
            row(name, "bfs random (both ends)", t, f);
            const double t2 = bestOf(runs, [&] { sum += tarvel::bfs(g, 0, far).size(); });
            row(name, "bfs far (both ends)", t2, f);
        }
        if (wanted(argc, argv, c.name, "dijkstra")) {
            tarvel::ShortestPathTree<int> tree;
            std::vector<std::int64_t> plain;
            const double t = bestOf(runs, [&] { tree = tarvel::dijkstraTree(g, 0); });
            const double p = bestOf(runs, [&] { plain = plainDijkstra(csr, 0); });
            if (tree.distance != plain) std::printf("dijkstra differs\n");
            row(name, "dijkstra tree", t, p);
        }
        if (c.directed && wanted(argc, argv, c.name, "scc")) {
            std::size_t count = 0, plainCount = 0;
            const double t = bestOf(runs, [&] { count = tarvel::tarjanComponents(g).size(); });
            const double k = bestOf(runs, [&] { count = tarvel::kosarajuComponents(g).size(); });
            const double p = bestOf(runs, [&] { plainCount = plainTarjan(csr); });
            if (count != plainCount) std::printf("scc differs\n");
            row(name, "scc tarjan", t, p);
            row(name, "scc kosaraju", k, p);
        }
        if (!c.directed && wanted(argc, argv, c.name, "kruskal")) {
            std::int64_t total = 0, plainTotal = 0;
            const double t = bestOf(runs, [&] {
                total = 0;
                for (const auto& e : tarvel::kruskal(g)) total += e.weight;
            });
            const double p = bestOf(runs, [&] { plainTotal = plainKruskal(c); });
            if (total != plainTotal) std::printf("kruskal differs\n");
            row(name, "kruskal", t, p);
        }
    }
}
