// The graph store: Edge records and Graph<T, W> with its building operations.
// The algorithm families are member functions defined in their own headers;
// include <tarvel/tarvel.hpp> to get all of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <type_traits>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "hash_tables.hpp"
#include "types.hpp"

namespace tarvel {

template <class T, class W>
class Edge {
public:
    Edge(T source, T destination, W weight)
        : source(std::move(source)), destination(std::move(destination)), weight(weight) {}

    T getSource() const { return source; }
    T getDestination() const { return destination; }
    W getWeight() const { return weight; }

private:
    T source;
    T destination;
    W weight;
};

// Result element of the spanning-tree algorithms: an adjacency entry of
// `from` leading to `to`.
struct TreeEdge {
    NodeIndex from;
    NodeIndex to;
    double weight;
};

namespace detail {

// Ensures that `count` more elements fit without reallocating, growing
// geometrically.
template <class Vector>
void makeRoom(Vector& vector, std::size_t count) {
    if (vector.capacity() - vector.size() < count) {
        vector.reserve(std::max(2 * vector.capacity(), vector.size() + count));
    }
}

}  // namespace detail

template <class T, class W>
class Graph {
public:
    using Heuristic = std::function<double(T, T)>;
    // How look-ups take a name: a std::string_view for std::string names, so
    // that callers holding other string forms need not copy them.
    using Key = std::conditional_t<std::is_same_v<T, std::string>, std::string_view, const T&>;
    using NameList = std::vector<T>;
    using EdgeColourList = std::vector<std::pair<std::pair<NodeIndex, NodeIndex>, int>>;

    explicit Graph(bool directed) : directed(directed) {}

    // ---- store --------------------------------------------------------
    void addNode(const T& name);
    bool hasNode(Key name) const { return find(name) != NoNode; }
    void addEdge(Key src, Key dest, const W& weight);

    // Read access for callers working on indices.
    std::size_t size() const noexcept { return nodeCount; }
    bool isDirected() const noexcept { return directed; }
    const std::vector<AdjacencyEntry<W>>& neighbours(NodeIndex node) const { return adjacency.at(node); }
    // The edge records in insertion order (one per addEdge call in a directed
    // graph, one per unordered pair in an undirected one).
    std::vector<Edge<T, W>> edgeRecords() const;
    const T& nameOf(NodeIndex node) const { return indexNode.at(node); }
    // Index of a node; std::out_of_range naming the node when it is absent.
    NodeIndex indexOf(Key name) const;

    // ---- traversal and structure (traversal.hpp) -----------------------
    NameList iterativeDFS(T start) const;
    IndexPath dfsOrder(NodeIndex start) const;
    std::vector<NameList> connectedComponents() const;
    std::vector<IndexPath> componentIndices() const;
    bool hasCycle() const;
    std::vector<int> greedyColors() const;
    std::unordered_map<T, int> nodeColoring() const;
    bool isBipartite() const;
    EdgeColourList edgeColorList() const;
    std::unordered_map<std::pair<T, T>, int, PairHash> edgeColoring() const;
    std::vector<IndexPath> sccIndices(SCCAlgo method) const;
    std::vector<NameList> stronglyConnectedComponents(SCCAlgo method = SCCAlgo::TARJAN) const;
    std::vector<IndexPath> tarjanComponents() const;
    std::vector<IndexPath> kosarajuComponents() const;

    // ---- shortest paths (shortest_paths.hpp) ---------------------------
    NameList shortestPath(T start, T goal, ShortestPathAlgo method, Heuristic heuristic) const;
    IndexPath bfs(NodeIndex start, NodeIndex goal) const;
    IndexPath dijkstra(NodeIndex start, NodeIndex goal) const;
    IndexPath uniformCostSearch(NodeIndex start, NodeIndex goal) const;
    IndexPath aStar(NodeIndex start, NodeIndex goal, Heuristic heuristic) const;
    IndexPath bellmanFord(NodeIndex start, NodeIndex goal) const;
    NameList indicesToNames(const IndexPath& path) const;

    // ---- spanning trees (spanning_trees.hpp) ---------------------------
    std::vector<Edge<T, W>> minimumSpanningTree(MSTAlgo method = MSTAlgo::KRUSKAL) const;
    std::vector<TreeEdge> kruskal() const;
    std::vector<TreeEdge> prim() const;
    std::vector<TreeEdge> boruvka() const;

    // ---- centrality (centrality.hpp) ------------------------------------
    // The *Scores members give one value per NodeIndex; the named members
    // give the same values keyed by node name.
    std::vector<double> degreeScores() const;
    std::vector<double> closenessScores() const;
    std::vector<double> betweennessScores() const;
    std::vector<double> katzScores(double alpha, double beta, int max_iterations, double tolerance) const;
    std::unordered_map<T, double> degreeCentrality() const;
    std::unordered_map<T, double> closenessCentrality() const;
    std::unordered_map<T, double> betweennessCentrality() const;
    std::unordered_map<T, double> katzCentrality(double alpha = 0.1, double beta = 1.0, int max_iterations = 1000,
                                                 double tolerance = 1e-6) const;

    // ---- JSON graph file (json_file.hpp) --------------------------------
    void save(const std::string& filename) const;
    static Graph load(const std::string& filename);

private:
    struct EdgeRecord {
        NodeIndex source;
        NodeIndex destination;
        W weight;
    };

    NodeIndex find(Key name) const { return nodeIndex.find(name, nodeIndex.hashOf(name), indexNode); }
    std::unordered_map<T, double> byName(const std::vector<double>& scores) const;
    void checkUnchanged(std::uint64_t revisionAtStart) const;

    detail::NameIndex<T> nodeIndex;  // name -> NodeIndex
    std::vector<T> indexNode;        // NodeIndex -> name
    std::vector<std::vector<AdjacencyEntry<W>>> adjacency;
    std::vector<EdgeRecord> edges;
    // Unordered pairs already recorded in `edges` (undirected graphs only),
    // kept as (lower index, higher index).
    detail::PairSet edgeSeen;
    std::size_t nodeCount = 0;
    bool directed;
    std::uint64_t changes = 0;  // every addNode/addEdge; lets a search notice a callback changing the graph
};

template <class T, class W>
void Graph<T, W>::addNode(const T& name) {
    const std::uint64_t hash = nodeIndex.hashOf(Key(name));
    if (nodeIndex.find(Key(name), hash, indexNode) != NoNode) {
        throw std::runtime_error("duplicate nodes are not allowed");
    }
    if (nodeCount == std::numeric_limits<std::uint32_t>::max()) throw std::length_error("too many nodes");
    // Running out of memory part way must leave no trace of the node.
    detail::makeRoom(adjacency, 1);
    indexNode.push_back(name);
    adjacency.emplace_back();  // cannot throw: room was made
    try {
        nodeIndex.insert(hash, nodeCount);
    } catch (...) {
        indexNode.pop_back();
        adjacency.pop_back();
        throw;
    }
    ++nodeCount;
    ++changes;
}

template <class T, class W>
NodeIndex Graph<T, W>::indexOf(Key name) const {
    const NodeIndex found = find(name);
    if (found == NoNode) throw std::out_of_range("unknown node: " + detail::describe(name));
    return found;
}

template <class T, class W>
void Graph<T, W>::addEdge(Key src, Key dest, const W& weight) {
    const NodeIndex u = indexOf(src);
    const NodeIndex v = indexOf(dest);
    // Every allocation happens before the first change, so running out of
    // memory leaves the graph as it was.
    detail::makeRoom(adjacency[u], !directed && u == v ? 2 : 1);
    detail::makeRoom(adjacency[v], 1);
    detail::makeRoom(edges, 1);
    const bool firstOfPair = directed || edgeSeen.insert(std::min(u, v), std::max(u, v));
    adjacency[u].push_back({static_cast<std::uint32_t>(v), weight});
    if (!directed) adjacency[v].push_back({static_cast<std::uint32_t>(u), weight});
    if (firstOfPair) edges.push_back({u, v, weight});
    ++changes;
}

template <class T, class W>
std::vector<Edge<T, W>> Graph<T, W>::edgeRecords() const {
    std::vector<Edge<T, W>> records;
    records.reserve(edges.size());
    for (const EdgeRecord& e : edges) records.emplace_back(indexNode[e.source], indexNode[e.destination], e.weight);
    return records;
}

template <class T, class W>
typename Graph<T, W>::NameList Graph<T, W>::indicesToNames(const IndexPath& path) const {
    NameList names;
    names.reserve(path.size());
    for (const NodeIndex node : path) names.push_back(indexNode[node]);
    return names;
}

template <class T, class W>
void Graph<T, W>::checkUnchanged(std::uint64_t revisionAtStart) const {
    if (changes != revisionAtStart) {
        throw std::runtime_error("the graph was changed while it was being searched");
    }
}

}  // namespace tarvel
