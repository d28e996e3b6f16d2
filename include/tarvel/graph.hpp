// Graph<T, W>: the graph store with every operation by node name. Each
// member translates names to indices, calls the free function of its family
// on the store's view, and translates the result back; the algorithms
// themselves live in their family headers and work on indices.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "centrality.hpp"
#include "coloring.hpp"
#include "json_file.hpp"
#include "path_weight.hpp"
#include "shortest_paths.hpp"
#include "spanning_trees.hpp"
#include "store.hpp"
#include "strong_components.hpp"
#include "traversal.hpp"

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
        return groups(tarvel::stronglyConnectedComponents(view(), method));
    }

    // See shortestPath (shortest_paths.hpp). Equal names give [start] without
    // any look-up, even for a name that is not a node. Errors: "wrong method
    // name!!" first, then std::out_of_range naming an unknown name (goal
    // looked up first), then the search's own.
    NameList shortestPath(const T& start, const T& goal, ShortestPathAlgo method, Heuristic heuristic) const {
        if (start == goal) return {start};
        if (static_cast<unsigned>(method) > static_cast<unsigned>(ShortestPathAlgo::BELLMAN_FORD)) {
            throw std::runtime_error("wrong method name!!");
        }
        const NodeIndex to = this->indexOf(goal);
        const NodeIndex from = this->indexOf(start);
        const GraphView<T, W> g = view();
        const auto estimate = [&](NodeIndex u, NodeIndex v) { return heuristic(g.name(u), g.name(v)); };
        return names(tarvel::shortestPath(g, from, to, method, estimate));
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

    // See saveGraph and loadGraph (json_file.hpp).
    void save(const std::string& filename) const { saveGraph(view(), filename); }
    static Graph load(const std::string& filename) { return Graph(loadGraph<T, W>(filename)); }

private:
    const T& name(NodeIndex node) const { return view().name(node); }

    NameList names(const IndexPath& nodes) const {
        NameList out;
        out.reserve(nodes.size());
        for (const NodeIndex node : nodes) out.push_back(name(node));
        return out;
    }

    std::vector<NameList> groups(const std::vector<IndexPath>& lists) const {
        std::vector<NameList> out;
        out.reserve(lists.size());
        for (const IndexPath& list : lists) out.push_back(names(list));
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
