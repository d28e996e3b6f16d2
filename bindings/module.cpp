// The Python module: registrations of Edge, the three method selectors and
// Graph, plus the conversion of results to Python objects. No algorithm
// lives here.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace py = pybind11;

namespace {

using Graph = tarvel::Graph<std::string, int>;
using Edge = tarvel::Edge<std::string, int>;

// A node name as a Python str (UnicodeDecodeError for bytes that are not UTF-8).
py::str text(const std::string& name) {
    PyObject* object = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
    if (object == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(object);
}

// What a Python Graph object holds: the graph, and the str object of each
// node name, made the first time a result contains it. Names never change,
// so results then share these objects instead of decoding names again.
class PyGraph : public Graph {
public:
    explicit PyGraph(bool directed) : Graph(directed) {}
    explicit PyGraph(Graph&& graph) : Graph(std::move(graph)) {}
    PyGraph(PyGraph&&) = default;
    PyGraph(const PyGraph&) = delete;

    // A new reference to the name of `node`.
    PyObject* name(tarvel::NodeIndex node) const {
        if (node >= names.size()) names.resize(nodeCount());
        py::object& cached = names[node];
        if (!cached) cached = text(view().name(node));
        return cached.inc_ref().ptr();
    }

private:
    mutable std::vector<py::object> names;
};

py::list nameList(const PyGraph& g, const tarvel::IndexPath& nodes) {
    py::list out(nodes.size());
    for (std::size_t k = 0; k < nodes.size(); ++k) PyList_SET_ITEM(out.ptr(), k, g.name(nodes[k]));
    return out;
}

py::list nameLists(const PyGraph& g, const std::vector<tarvel::IndexPath>& groups) {
    py::list out(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) PyList_SET_ITEM(out.ptr(), k, nameList(g, groups[k]).release().ptr());
    return out;
}

PyObject* number(double value) { return PyFloat_FromDouble(value); }
PyObject* number(int value) { return PyLong_FromLong(value); }

// Per-node values as a dict keyed by name, in the order the nodes were added.
template <class Value>
py::dict byName(const PyGraph& g, const std::vector<Value>& values) {
    auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(values.size())));
    if (!out) throw py::error_already_set();
    for (tarvel::NodeIndex i = 0; i < values.size(); ++i) {
        const auto key = py::reinterpret_steal<py::object>(g.name(i));
        const auto value = py::reinterpret_steal<py::object>(number(values[i]));
        if (!value || PyDict_SetItem(out.ptr(), key.ptr(), value.ptr()) != 0) throw py::error_already_set();
    }
    return out;
}

py::dict edgeColors(const PyGraph& g) {
    py::dict out;
    for (const tarvel::EdgeColor& item : tarvel::edgeColors(g.view())) {
        const auto key = py::reinterpret_steal<py::tuple>(PyTuple_New(2));
        PyTuple_SET_ITEM(key.ptr(), 0, g.name(item.source));
        PyTuple_SET_ITEM(key.ptr(), 1, g.name(item.target));
        out[key] = py::int_(item.color);
    }
    return out;
}

}  // namespace

PYBIND11_MODULE(tarvel, m) {
    py::class_<Edge>(m, "Edge", "An edge record: source name, destination name and integer weight.")
        .def(py::init<std::string, std::string, int>(), "Edge(source, destination, weight): a new record. O(1).")
        .def("getSource", &Edge::getSource, "The source node's name. O(1).")
        .def("getDestination", &Edge::getDestination, "The destination node's name. O(1).")
        .def("getWeight", &Edge::getWeight, "The weight, a 32-bit signed integer. O(1).");

    py::enum_<tarvel::ShortestPathAlgo>(m, "ShortestPathAlgo", "The search used by Graph.shortestPath.")
        .value("BFS", tarvel::ShortestPathAlgo::BFS)
        .value("DIJKSTRA", tarvel::ShortestPathAlgo::DIJKSTRA)
        .value("A_STAR", tarvel::ShortestPathAlgo::A_STAR)
        .value("UNIFORM_COST_SEARCH", tarvel::ShortestPathAlgo::UNIFORM_COST_SEARCH)
        .value("BELLMAN_FORD", tarvel::ShortestPathAlgo::BELLMAN_FORD)
        .export_values();

    py::enum_<tarvel::MSTAlgo>(m, "MSTAlgo", "The algorithm used by Graph.minimumSpanningTree.")
        .value("KRUSKAL", tarvel::MSTAlgo::KRUSKAL)
        .value("PRIM", tarvel::MSTAlgo::PRIM)
        .value("BORUVKA", tarvel::MSTAlgo::BORUVKA)
        .export_values();

    py::enum_<tarvel::SCCAlgo>(m, "SCCAlgo", "The algorithm used by Graph.stronglyConnectedComponents.")
        .value("TARJAN", tarvel::SCCAlgo::TARJAN)
        .value("KOSARAJU", tarvel::SCCAlgo::KOSARAJU)
        .export_values();

    py::class_<PyGraph>(m, "Graph",
                      "A directed or undirected graph of named nodes joined by integer-weighted edges.\n\n"
                      "Nodes keep the order in which they were added; every result follows that order.")
        .def(py::init<bool>(), "Graph(directed): a new empty graph; True for a directed graph. O(1).")
        .def("addNode", &Graph::addNode,
             "Add a node.\n\nRaises RuntimeError 'duplicate nodes are not allowed' for a name already "
             "present. Amortised O(1).")
        .def("hasNode", &Graph::hasNode, "True when the name is a node of the graph. O(1).")
        .def("addEdge", &Graph::addEdge, py::arg("src"), py::arg("dest"), py::arg("weight") = 0,
             "Add an edge from src to dest (both ways in an undirected graph).\n\n"
             "Parallel edges and self-loops are kept. Raises IndexError naming a name that is not a node; "
             "the graph is then unchanged. Amortised O(1).")
        .def("hasCycle", &Graph::hasCycle,
             "True when a depth-first search meets an edge back to a node on its path.\n\n"
             "An undirected edge counts as a cycle of two. O(V + E).")
        .def("nodeColoring", [](const PyGraph& g) { return byName(g, tarvel::greedyNodeColors(g.view())); },
             "Greedy first-fit colors 0, 1, ... in node order, each node avoiding its colored neighbors.\n\n"
             "Returns a dict in node order. O(V + E).")
        .def("edgeColoring", &edgeColors,
             "Greedy first-fit edge colors 1, 2, ..., keyed by (name, name) in node-index order for "
             "undirected edges.\n\nReturns a dict in the order the edges were first colored. "
             "O(E × largest degree).")
        .def("isBipartite", &Graph::isBipartite,
             "True when the graph, taken as undirected, has no cycle of odd length (a self-loop is one). "
             "O(V + E).")
        .def("connectedComponents", [](const PyGraph& g) { return nameLists(g, tarvel::connectedComponents(g.view())); },
             "Groups found by breadth-first searches from the lowest-numbered unplaced node, following "
             "edge direction.\n\nReturns a list of lists in that order. O(V + E).")
        .def(
            "katzCentrality",
            [](const PyGraph& g, double alpha, double beta, int maxIterations, double tolerance) {
                return byName(g, tarvel::katzCentrality(g.view(), alpha, beta, maxIterations, tolerance));
            },
            py::arg("alpha") = 0.1, py::arg("beta") = 1.0, py::arg("max_iterations") = 1000,
            py::arg("tolerance") = 1e-06,
            "Katz scores: iterate x = alpha * (sum over the nodes each node points to) + beta, rescaled to "
            "unit length, until the L1 change is below tolerance or max_iterations steps.\n\n"
            "Returns a dict in node order. O(steps × (V + E)).")
        .def("degreeCentrality", [](const PyGraph& g) { return byName(g, tarvel::degreeCentrality(g.view())); },
             "Number of adjacency entries per node (out-degree; edge ends when undirected).\n\n"
             "Returns a dict in node order. O(V).")
        .def("closenessCentrality", [](const PyGraph& g) { return byName(g, tarvel::closenessCentrality(g.view())); },
             "1 / (sum of hop distances to the nodes a node reaches), 0.0 when it reaches none.\n\n"
             "Returns a dict in node order. O(V × (V + E)).")
        .def("betweennessCentrality", [](const PyGraph& g) { return byName(g, tarvel::betweennessCentrality(g.view())); },
             "Unnormalised betweenness over hop-count shortest paths; parallel edges are distinct paths "
             "and undirected pairs count from both ends.\n\nReturns a dict in node order. O(V × (V + E)).")
        .def("minimumSpanningTree", &Graph::minimumSpanningTree, py::arg("method") = tarvel::MSTAlgo::KRUSKAL,
             "A minimum spanning forest as a list of new Edge objects.\n\n"
             "The graph is taken as undirected; each edge comes back in the direction it is stored. "
             "KRUSKAL: ascending (weight, source, target), every component. PRIM: the tree of the first "
             "node's component, in joining order. BORUVKA: every component, phase by phase. O(E log E).")
        .def("iterativeDFS",
             [](const PyGraph& g, const std::string& start) {
                 return nameList(g, tarvel::depthFirstOrder(g.view(), g.indexOf(start)));
             },
             "Nodes reachable from start, in the order an explicit stack releases them (neighbors pushed "
             "in insertion order).\n\nRaises IndexError when start is not a node. O(V + E).")
        .def("shortestPath", &Graph::shortestPath, py::arg("start"), py::arg("goal"),
             py::arg("method") = tarvel::ShortestPathAlgo::A_STAR, py::arg("heuristic"),
             "A path from start to goal as a list of names, [] when goal is unreachable, [start] when both "
             "names are equal.\n\n"
             "heuristic(name, neighbor) -> float is called by A_STAR once per improved neighbor; pass "
             "None for the other methods. Distances are exact. Raises IndexError for a name that is not a "
             "node, RuntimeError 'Negative cycle detected' for a reachable cycle of negative weight and "
             "ValueError when the heuristic returns NaN. BFS O(V + E); DIJKSTRA, A_STAR, "
             "UNIFORM_COST_SEARCH O(E log E) without negative edges; BELLMAN_FORD O(V × E).")
        .def("stronglyConnectedComponents",
             [](const PyGraph& g, tarvel::SCCAlgo method) {
                 return nameLists(g, tarvel::stronglyConnectedComponents(g.view(), method));
             },
             py::arg("method") = tarvel::SCCAlgo::TARJAN,
             "Strongly connected components of a directed graph: TARJAN in reverse topological order, "
             "KOSARAJU in topological order.\n\nRaises RuntimeError 'implemented only for directed graph' "
             "for an undirected graph. O(V + E).")
        .def("save",
             [](const PyGraph& g, const std::string& filename) {
                 const std::string text = tarvel::graphFileText(g.view());
                 // Other threads run while the file is written: a FIFO's
                 // reader may be one of them.
                 py::gil_scoped_release release;
                 tarvel::writeGraphFile(filename, text);
             },
             "Write the graph to a JSON file, replacing it atomically (through symbolic links, which stay "
             "links; a device or FIFO is written into).\n\nRaises RuntimeError when the file cannot be "
             "written or a name is not valid UTF-8; the old file is then untouched. ValueError for a "
             "name holding a NUL character. O(V + E).")
        .def_static("load",
                    [](const std::string& filename) {
                        // The new graph is no Python object yet: nothing needs the lock while it is read.
                        std::optional<Graph> loaded;
                        {
                            py::gil_scoped_release release;
                            loaded.emplace(Graph::load(filename));
                        }
                        return PyGraph(std::move(*loaded));
                    },
                    "Read a graph written by save and return it as a new Graph.\n\nRaises RuntimeError with "
                    "the JSON error for malformed files (a missing or unreadable file is an empty one), "
                    "IndexError for an edge naming an unknown node, ValueError for a name holding a NUL "
                    "character, MemoryError when memory runs out. O(V + E).");
}
