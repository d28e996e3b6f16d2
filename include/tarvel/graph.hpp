// Graph<T, W>: the graph store with every operation by node name. Each
// member translates names to indices, calls the free function of its family
// on the store's view, and translates the result back; the algorithms
// themselves live in their family headers and work on indices.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "all_pairs.hpp"
#include "breadth_first.hpp"
#include "centrality.hpp"
#include "clustering.hpp"
#include "coloring.hpp"
#include "dag.hpp"
#include "depth_first.hpp"
#include "distance_measures.hpp"
#include "edge_lookup.hpp"
#include "edge_traversal.hpp"
#include "harmonic.hpp"
#include "json_file.hpp"
#include "local_searches.hpp"
#include "method_checks.hpp"
#include "pagerank.hpp"
#include "path_weight.hpp"
#include "shortest_path_tree.hpp"
#include "shortest_paths.hpp"
#include "spanning_trees.hpp"
#include "store.hpp"
#include "strong_components.hpp"
#include "traversal.hpp"
#include "weighted_centrality.hpp"

namespace tarvel {

template <class T, class W>
class Graph : public GraphStore<T, W> {
public:
    using Key = typename GraphStore<T, W>::Key;
    using NameList = std::vector<T>;
    // The A* heuristic: estimate(expanded node's name, neighbor's name).
    using Heuristic = std::function<double(T, T)>;
    using GraphStore<T, W>::view;

    explicit Graph(bool isDirected) : GraphStore<T, W>(isDirected) {}
    explicit Graph(GraphStore<T, W>&& store) : GraphStore<T, W>(std::move(store)) {}

    // See depthFirstOrder. Errors: std::out_of_range naming an unknown start.
    NameList iterativeDFS(Key start) const { return names(depthFirstOrder(view(), this->indexOf(start))); }

    // See connectedComponents (traversal.hpp).
    std::vector<NameList> connectedComponents() const {
        const Groups found = tarvel::connectedComponents(view());
        std::vector<NameList> out(found.size());
        for (std::size_t k = 0; k < found.size(); ++k)
            for (const NodeIndex node : found[k]) out[k].push_back(name(node));
        return out;
    }

    // See weaklyConnectedComponents (traversal.hpp).
    std::vector<NameList> weaklyConnectedComponents() const {
        const Groups found = tarvel::weaklyConnectedComponents(view());
        std::vector<NameList> out(found.size());
        for (std::size_t k = 0; k < found.size(); ++k)
            for (const NodeIndex node : found[k]) out[k].push_back(name(node));
        return out;
    }

    // See topologicalOrder (dag.hpp).
    NameList topologicalOrder() const { return names(tarvel::topologicalOrder(view())); }

    // See topologicalGenerations (dag.hpp).
    std::vector<NameList> topologicalGenerations() const {
        const Groups found = tarvel::topologicalGenerations(view());
        std::vector<NameList> out(found.size());
        for (std::size_t k = 0; k < found.size(); ++k)
            for (const NodeIndex node : found[k]) out[k].push_back(name(node));
        return out;
    }

    // See descendants (dag.hpp). Errors: std::out_of_range naming an unknown source.
    NameList descendants(Key source) const { return names(tarvel::descendants(view(), this->indexOf(source))); }

    // See ancestors (dag.hpp). Errors: std::out_of_range naming an unknown source.
    NameList ancestors(Key source) const { return names(tarvel::ancestors(view(), this->indexOf(source))); }

    // See hasEdge (edge_lookup.hpp); false when either name is not a node.
    // Cost: O(degree of u), plus the look-ups.
    bool hasEdge(Key u, Key v) const {
        if (!this->hasNode(u) || !this->hasNode(v)) return false;
        return tarvel::hasEdge(view(), this->indexOf(u), this->indexOf(v));
    }

    // Breadth-first and depth-first traversals, by name. Each looks up its
    // names first: std::out_of_range naming an unknown one, nothing searched.
    // See breadthFirstEdges (breadth_first.hpp).
    std::vector<std::pair<T, T>> breadthFirstEdges(const std::vector<Key>& sources,
                                                   std::size_t depthLimit = NoDepthLimit,
                                                   bool reverse = false) const {
        std::vector<std::pair<T, T>> out;
        for (const auto& [u, v] : tarvel::breadthFirstEdges(view(), indicesOf(sources), depthLimit, reverse))
            out.emplace_back(name(u), name(v));
        return out;
    }

    // See breadthFirstLayers (breadth_first.hpp).
    std::vector<NameList> breadthFirstLayers(const std::vector<Key>& sources,
                                             std::size_t depthLimit = NoDepthLimit) const {
        const Groups found = tarvel::breadthFirstLayers(view(), indicesOf(sources), depthLimit);
        std::vector<NameList> out(found.size());
        for (std::size_t k = 0; k < found.size(); ++k) out[k] = names(found[k]);
        return out;
    }

    // See depthFirstLabeledEdges (depth_first.hpp); no starts: every node.
    std::vector<std::tuple<T, T, DepthFirstLabel>> depthFirstLabeledEdges(
        const std::vector<Key>& starts = {}, std::size_t depthLimit = NoDepthLimit) const {
        const auto steps = starts.empty() ? tarvel::wholeDepthFirstLabeledEdges(view(), depthLimit)
                                          : tarvel::depthFirstLabeledEdges(view(), indicesOf(starts), depthLimit);
        std::vector<std::tuple<T, T, DepthFirstLabel>> out;
        out.reserve(steps.size());
        for (const LabeledEdge& e : steps) out.emplace_back(name(e.source), name(e.target), e.label);
        return out;
    }

    // See hasCycle (traversal.hpp).
    bool hasCycle() const { return tarvel::hasCycle(view()); }

    // See greedyNodeColors: the same colors keyed by name.
    std::unordered_map<T, int> nodeColoring() const { return byName(greedyNodeColors(view())); }

    // See isBipartite (coloring.hpp).
    bool isBipartite() const { return tarvel::isBipartite(view()); }

    // See edgeColors: the same colors keyed by pairs of names.
    std::unordered_map<std::pair<T, T>, int, PairHash> edgeColoring() const {
        std::unordered_map<std::pair<T, T>, int, PairHash> result;
        for (const EdgeColor& e : edgeColors(view())) result[{name(e.source), name(e.target)}] = e.color;
        return result;
    }

    // See stronglyConnectedComponents (strong_components.hpp).
    std::vector<NameList> stronglyConnectedComponents(SCCAlgo method = SCCAlgo::TARJAN) const {
        const Groups found = tarvel::stronglyConnectedGroups(view(), method);
        std::vector<NameList> out(found.size());
        for (std::size_t k = 0; k < found.size(); ++k) out[k] = names(found[k]);
        return out;
    }

    // See shortestPath (shortest_paths.hpp). Equal names give [start] without
    // any look-up, even for a name that is not a node. An empty heuristic is
    // no heuristic (A_STAR's error when it would be called). `consistent`:
    // see aStar.
    // Errors: checkMethod's std::runtime_error first, then std::out_of_range
    // naming an unknown name (goal looked up first), then the search's own.
    NameList shortestPath(const T& start, const T& goal, ShortestPathAlgo method, Heuristic heuristic,
                          bool consistent = false) const {
        if (start == goal) return {start};
        checkMethod(method);
        const NodeIndex to = this->indexOf(goal);
        const NodeIndex from = this->indexOf(start);
        const GraphView<T, W> g = view();
        if (!heuristic) return names(tarvel::shortestPath(g, from, to, method, nullptr, consistent));
        const auto estimate = [&](NodeIndex u, NodeIndex v) { return heuristic(g.name(u), g.name(v)); };
        return names(tarvel::shortestPath(g, from, to, method, estimate, consistent));
    }

    // See twoEndedBfs (local_searches.hpp): its path by name, [] when goal is
    // unreachable. Errors: std::out_of_range "unknown node: NAME" (start
    // looked up first).
    NameList twoEndedBfsPath(const T& start, const T& goal, bool symmetric = false) const {
        const NodeIndex from = this->indexOf(start);
        const NodeIndex to = this->indexOf(goal);
        return names(tarvel::twoEndedBfs(view(), from, to, symmetric));
    }

    // The same, the goal side reading `backward`'s lists (see the
    // twoEndedBfs that takes a backward view). Errors: its
    // std::invalid_argument, then std::out_of_range as above.
    template <class T2, class W2>
    NameList twoEndedBfsPath(const T& start, const T& goal, const Graph<T2, W2>& backward) const {
        const NodeIndex from = this->indexOf(start);
        const NodeIndex to = this->indexOf(goal);
        return names(tarvel::twoEndedBfs(view(), from, to, backward.view()));
    }

    // See nodesWithin (local_searches.hpp), by name. Errors: std::out_of_range
    // "unknown node: NAME".
    NameList nodesWithin(const T& source, std::size_t depth) const {
        return names(tarvel::nodesWithin(view(), this->indexOf(source), depth));
    }

    // The searches from one source (shortestPathTree, shortest_path_tree.hpp)
    // by name, each result in node order and holding the reached nodes only.
    // Errors: checkSourceMethod's (before any look-up), then std::out_of_range
    // "unknown node: NAME" for a source that is not a node, then the search's
    // own. Cost: the search's, plus what each states.

    // Each reached node with its distance from the source: the path's weight,
    // or its number of edges for BFS; 0 for the source itself.
    // Cost: O(V) beyond the search.
    std::vector<std::pair<T, Distance<W>>> distances(Key source,
                                                     ShortestPathAlgo method = ShortestPathAlgo::DIJKSTRA) const {
        const ShortestPathTree<W> tree = treeFrom(source, method);
        std::vector<std::pair<T, Distance<W>>> out;
        for (NodeIndex i = 0; i < tree.distance.size(); ++i) {
            if (tree.reaches(i)) out.emplace_back(name(i), tree.distance[i]);
        }
        return out;
    }

    // Each reached node with its path from the source (pathTo): [source] for
    // the source. Cost: O(V + the sum of the path lengths), up to O(V²).
    std::vector<std::pair<T, NameList>> shortestPaths(Key source,
                                                      ShortestPathAlgo method = ShortestPathAlgo::DIJKSTRA) const {
        const ShortestPathTree<W> tree = treeFrom(source, method);
        const Groups paths = allPaths(tree);
        std::vector<std::pair<T, NameList>> out;
        for (NodeIndex i = 0; i < paths.size(); ++i) {
            if (!tree.reaches(i)) continue;
            NameList path;
            path.reserve(paths[i].size());
            for (const NodeIndex node : paths[i]) path.push_back(name(node));
            out.emplace_back(name(i), std::move(path));
        }
        return out;
    }

    // Each reached node but the source with the node before it on its path.
    // Cost: O(V) beyond the search.
    std::vector<std::pair<T, T>> predecessors(Key source, ShortestPathAlgo method = ShortestPathAlgo::DIJKSTRA) const {
        const ShortestPathTree<W> tree = treeFrom(source, method);
        std::vector<std::pair<T, T>> out;
        for (NodeIndex i = 0; i < tree.predecessor.size(); ++i) {
            if (tree.predecessor[i] != NoNode) out.emplace_back(name(i), name(tree.predecessor[i]));
        }
        return out;
    }

    // See pathWeight (path_weight.hpp). Errors: std::out_of_range "unknown
    // node: NAME" for the first name that is not a node (every name is looked
    // up before any pair), then pathWeight's own.
    Distance<W> pathWeight(const NameList& path) const {
        IndexPath nodes;
        nodes.reserve(path.size());
        for (const T& node : path) nodes.push_back(this->indexOf(node));
        return tarvel::pathWeight(view(), nodes);
    }

    // See minimumSpanningTree (spanning_trees.hpp): the same edges as named
    // records.
    std::vector<Edge<T, W>> minimumSpanningTree(MSTAlgo method = MSTAlgo::KRUSKAL) const {
        std::vector<Edge<T, W>> result;
        for (const TreeEdge<W>& e : tarvel::minimumSpanningTree(view(), method)) {
            result.emplace_back(name(e.source), name(e.target), e.weight);
        }
        return result;
    }

    // See the functions of centrality.hpp: the same scores keyed by name.
    std::unordered_map<T, double> degreeCentrality() const { return byName(tarvel::degreeCentrality(view())); }
    std::unordered_map<T, double> closenessCentrality() const { return byName(tarvel::closenessCentrality(view())); }
    std::unordered_map<T, double> betweennessCentrality() const {
        return byName(tarvel::betweennessCentrality(view()));
    }
    std::unordered_map<T, double> katzCentrality(double alpha = 0.1, double beta = 1.0, int max_iterations = 1000,
                                                 double tolerance = 1e-6) const {
        return byName(tarvel::katzCentrality(view(), alpha, beta, max_iterations, tolerance));
    }

    // See the functions of clustering.hpp: triangles and coefficients keyed
    // by name, the average over every node in node order, the transitivity.
    std::unordered_map<T, std::uint64_t> triangles() const { return byName(tarvel::triangles(view())); }
    std::unordered_map<T, double> clustering() const { return byName(tarvel::clustering(view())); }
    double averageClustering(bool countZeros = true, Summation summation = Summation::PLAIN) const {
        return tarvel::averageClustering(view(), countZeros, summation);
    }
    double transitivity() const { return tarvel::transitivity(view()); }
    // See weighted_centrality.hpp: the scores over weighted shortest paths,
    // keyed by name.
    std::unordered_map<T, double> weightedClosenessCentrality() const {
        return byName(tarvel::weightedClosenessCentrality(view()));
    }
    std::unordered_map<T, double> weightedBetweennessCentrality() const {
        return byName(tarvel::weightedBetweennessCentrality(view()));
    }

    // Distances from each of `sources` in turn (distancesFromEach,
    // all_pairs.hpp): each(source, row), the row the reached nodes with
    // their distances in the order the search reached them. Errors:
    // std::out_of_range "unknown node: NAME" (every source looked up before
    // any search), then distancesFromEach's.
    template <class Each>
    void distancesFromEach(const std::vector<T>& sources, ShortestPathAlgo method, Each&& each,
                           const RunOptions& options = {}) const {
        std::vector<NodeIndex> indices;
        indices.reserve(sources.size());
        for (const T& s : sources) indices.push_back(this->indexOf(s));
        tarvel::distancesFromEach(view(), indices, method, options, [&](std::size_t k, const VisitOrder<W>& row) {
            std::vector<std::pair<T, Distance<W>>> named;
            named.reserve(row.nodes.size());
            for (std::size_t i = 0; i < row.nodes.size(); ++i) named.emplace_back(name(row.nodes[i]), row.distance[i]);
            each(sources[k], named);
        });
    }

    // See distance_measures.hpp: eccentricities keyed by name (every node
    // reaching every node, else its std::runtime_error), the diameter, the
    // radius, and the center and periphery in node order.
    std::unordered_map<T, Distance<W>> eccentricity(bool weighted = false, const RunOptions& options = {}) const {
        const auto found = eccentricities(view(), weighted, options);
        std::unordered_map<T, Distance<W>> out;
        for (NodeIndex i = 0; i < found.size(); ++i) {
            if (!found[i].reachesAll) {
                throw std::runtime_error(std::string("an eccentricity is infinite: the graph is not ") +
                                         (view().isDirected() ? "strongly connected" : "connected"));
            }
            out[name(i)] = found[i].value;
        }
        return out;
    }
    Distance<W> diameter(bool weighted = false, const RunOptions& options = {}) const {
        return tarvel::diameter(view(), weighted, options);
    }
    Distance<W> radius(bool weighted = false, const RunOptions& options = {}) const {
        return tarvel::radius(view(), weighted, options);
    }
    NameList center(bool weighted = false, const RunOptions& options = {}) const {
        return names(tarvel::center(view(), weighted, options));
    }
    NameList periphery(bool weighted = false, const RunOptions& options = {}) const {
        return names(tarvel::periphery(view(), weighted, options));
    }

    // See pagerank.hpp: the scores keyed by name, from uniform vectors;
    // std::runtime_error "PageRank did not converge in N iterations" when
    // maxIterations steps do not converge.
    std::unordered_map<T, double> pageRank(double alpha = 0.85, int max_iterations = 100, double tolerance = 1e-6,
                                           bool weighted = false) const {
        PageRankScores ranks = tarvel::pageRank(view(), alpha, {}, {}, {}, max_iterations, tolerance, weighted);
        if (!ranks.converged) {
            throw std::runtime_error("PageRank did not converge in " + std::to_string(max_iterations) +
                                     " iterations");
        }
        return byName(ranks.scores);
    }

    // See harmonic.hpp: every node's harmonic centrality over every node,
    // keyed by name.
    std::unordered_map<T, double> harmonicCentrality(bool weighted = false) const {
        return byName(tarvel::harmonicCentrality(view(), weighted));
    }

    // See saveGraph and loadGraph (json_file.hpp).
    void save(const std::string& filename) const { saveGraph(view(), filename); }
    static Graph load(const std::string& filename) { return Graph(loadGraph<T, W>(filename)); }

    // ---- Edge traversals and cycles (edge_traversal.hpp) -------------------
    // A TraversedEdge by name: the edge tail -> head as stored, its index in
    // edgeRecords()'s call order of addEdge (see TraversedEdge), and whether
    // the step went against it.
    struct NamedStep {
        T tail;
        T head;
        std::size_t edge;
        bool reverse;
    };
    using Steps = std::vector<NamedStep>;

    // See edgeDepthFirst, from the named sources in order or from every
    // node. Errors: std::out_of_range naming an unknown source.
    Steps edgeDepthFirst(const std::vector<T>& sources, Orientation orientation = Orientation::Original) const {
        return named(tarvel::edgeDepthFirst(view(), indices(sources), orientation));
    }
    Steps edgeDepthFirst(Orientation orientation = Orientation::Original) const {
        return named(tarvel::edgeDepthFirst(view(), orientation));
    }
    // See edgeBreadthFirst; as edgeDepthFirst.
    Steps edgeBreadthFirst(const std::vector<T>& sources, Orientation orientation = Orientation::Original) const {
        return named(tarvel::edgeBreadthFirst(view(), indices(sources), orientation));
    }
    Steps edgeBreadthFirst(Orientation orientation = Orientation::Original) const {
        return named(tarvel::edgeBreadthFirst(view(), orientation));
    }
    // See findCycle: the cycle's steps, empty when there is none; as
    // edgeDepthFirst.
    Steps findCycle(const std::vector<T>& sources, Orientation orientation = Orientation::Original) const {
        return named(tarvel::findCycle(view(), indices(sources), orientation));
    }
    Steps findCycle(Orientation orientation = Orientation::Original) const {
        return named(tarvel::findCycle(view(), orientation));
    }

private:
    IndexPath indices(const std::vector<T>& sources) const {
        IndexPath out;
        out.reserve(sources.size());
        for (const T& source : sources) out.push_back(this->indexOf(source));
        return out;
    }

    Steps named(const std::vector<TraversedEdge>& steps) const {
        Steps out;
        out.reserve(steps.size());
        for (const TraversedEdge& s : steps) out.push_back({name(s.tail), name(s.head), s.edge, s.reverse});
        return out;
    }

public:

private:
    const T& name(NodeIndex node) const { return view().name(node); }

    ShortestPathTree<W> treeFrom(Key source, ShortestPathAlgo method) const {
        checkSourceMethod(method);
        return shortestPathTree(view(), this->indexOf(source), method);
    }

    std::vector<NodeIndex> indicesOf(const std::vector<Key>& keys) const {
        std::vector<NodeIndex> out;
        out.reserve(keys.size());
        for (const Key& key : keys) out.push_back(this->indexOf(key));
        return out;
    }

    template <class Nodes>
    NameList names(const Nodes& nodes) const {
        NameList out;
        out.reserve(nodes.size());
        for (const NodeIndex node : nodes) out.push_back(name(node));
        return out;
    }

    template <class Value>
    std::unordered_map<T, Value> byName(const std::vector<Value>& values) const {
        std::unordered_map<T, Value> out;
        out.reserve(values.size());
        for (NodeIndex i = 0; i < values.size(); ++i) out[name(i)] = values[i];
        return out;
    }
};

}  // namespace tarvel
