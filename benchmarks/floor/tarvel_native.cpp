// tarvel's C++ times: the interface of api.h over tarvel's headers, called
// by index as a C++ user calls them, on a GraphStore<std::string, int> built
// with addNodes and addEdges from the same files as the floor (the weight
// type that tarvel's Python module uses for integer graphs). Each call takes
// the store's view afresh and goes through the function the module calls
// (shortestPath for the searches).
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <tarvel/shortest_paths.hpp>
#include <tarvel/spanning_trees.hpp>
#include <tarvel/store.hpp>
#include <tarvel/strong_components.hpp>

#include "api.h"
#include "edge_list.hpp"

namespace {

using Store = tarvel::GraphStore<std::string, int>;

struct Graph {
    explicit Graph(bool directed) : store(directed) {}
    Store store;
    // The answer of the last call, as tarvel returned it.
    tarvel::IndexPath path;
    std::vector<tarvel::IndexPath> groups;
    std::vector<tarvel::TreeEdge<int>> tree;
};

std::string lastError;

}  // namespace

extern "C" {

void* bench_open(const char* nodesPath, const char* edgesPath, int directed) {
    try {
        const bench::EdgeList list = bench::readEdgeList(nodesPath, edgesPath);
        auto g = std::make_unique<Graph>(directed != 0);
        g->store.addNodes(std::vector<std::string>(list.names.begin(), list.names.end()));
        std::vector<Store::EdgeSpec> edges;
        edges.reserve(list.weights.size());
        for (std::size_t e = 0; e < list.weights.size(); ++e) {
            edges.push_back({list.sourceNames[e], list.targetNames[e], list.weights[e]});
        }
        g->store.addEdges(edges);
        return g.release();
    } catch (const std::exception& error) {
        lastError = error.what();
        return nullptr;
    }
}

void bench_close(void* graph) { delete static_cast<Graph*>(graph); }

const char* bench_error(void) { return lastError.c_str(); }

int64_t bench_bfs(void* graph, uint32_t start, uint32_t goal) {
    Graph& g = *static_cast<Graph*>(graph);
    g.path = tarvel::shortestPath(g.store.view(), start, goal, tarvel::ShortestPathAlgo::BFS, nullptr);
    return static_cast<int64_t>(g.path.size());
}

// tarvel chooses how its breadth-first search runs: there is no second way
// to ask it.
int64_t bench_bfs_two_ended(void*, uint32_t, uint32_t) { return -1; }

int64_t bench_dijkstra(void* graph, uint32_t start, uint32_t goal) {
    Graph& g = *static_cast<Graph*>(graph);
    g.path = tarvel::shortestPath(g.store.view(), start, goal, tarvel::ShortestPathAlgo::DIJKSTRA, nullptr);
    return static_cast<int64_t>(g.path.size());
}

void bench_path(void* graph, uint32_t* nodes) {
    const Graph& g = *static_cast<Graph*>(graph);
    for (std::size_t i = 0; i < g.path.size(); ++i) nodes[i] = static_cast<uint32_t>(g.path[i]);
}

int64_t bench_scc(void* graph) {
    Graph& g = *static_cast<Graph*>(graph);
    g.groups = tarvel::tarjanComponents(g.store.view());
    return static_cast<int64_t>(g.groups.size());
}

void bench_groups(void* graph, uint32_t* nodes, int64_t* starts) {
    const Graph& g = *static_cast<Graph*>(graph);
    int64_t at = 0;
    for (std::size_t c = 0; c < g.groups.size(); ++c) {
        starts[c] = at;
        for (const tarvel::NodeIndex node : g.groups[c]) nodes[at++] = static_cast<uint32_t>(node);
    }
    starts[g.groups.size()] = at;
}

int64_t bench_kruskal(void* graph) {
    Graph& g = *static_cast<Graph*>(graph);
    g.tree = tarvel::kruskal(g.store.view());
    return static_cast<int64_t>(g.tree.size());
}

void bench_tree(void* graph, uint32_t* ends, int64_t* weights) {
    const Graph& g = *static_cast<Graph*>(graph);
    for (std::size_t i = 0; i < g.tree.size(); ++i) {
        ends[2 * i] = static_cast<uint32_t>(g.tree[i].source);
        ends[2 * i + 1] = static_cast<uint32_t>(g.tree[i].target);
        weights[i] = g.tree[i].weight;
    }
}

}  // extern "C"
