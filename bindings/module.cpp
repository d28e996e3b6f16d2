// The Python module: the registrations of Edge, the three method selectors
// and Graph. Conversions live in the headers beside this file; no algorithm
// lives here.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "building.hpp"
#include "edge_type.hpp"
#include "engine.hpp"
#include "errors.hpp"
#include "heuristic.hpp"
#include "inspection.hpp"
#include "networkx.hpp"
#include "python_graph.hpp"
#include "results.hpp"

namespace py = pybind11;
using namespace tarvel_python;

namespace {

// Graph.__init__: pybind11's, refusing to run on a graph that exists (which
// pybind11 would ignore without a word). A strong reference that lives as
// long as the process: it must not be released after the interpreter.
PyObject* pybindGraphInit = nullptr;

PyObject* graphInit(PyObject* self, PyObject* args, PyObject* kwargs) {
    if (PyObject_IsInstance(self, reinterpret_cast<PyObject*>(py::detail::get_type_info(typeid(PyGraph))->type)) == 1) {
        auto* instance = reinterpret_cast<py::detail::instance*>(self);
        if (instance->get_value_and_holder(py::detail::get_type_info(typeid(PyGraph))).holder_constructed()) {
            PyErr_SetString(PyExc_TypeError, "Graph.__init__() was called on a graph that already exists");
            return nullptr;
        }
    }
    const Py_ssize_t count = PyTuple_GET_SIZE(args);
    PyObject* all = PyTuple_New(count + 1);
    if (all == nullptr) return nullptr;
    Py_INCREF(self);
    PyTuple_SET_ITEM(all, 0, self);
    for (Py_ssize_t k = 0; k < count; ++k) {
        Py_INCREF(PyTuple_GET_ITEM(args, k));
        PyTuple_SET_ITEM(all, k + 1, PyTuple_GET_ITEM(args, k));
    }
    PyObject* result = PyObject_Call(pybindGraphInit, all, kwargs);
    Py_DECREF(all);
    return result;
}

PyMethodDef graphInitMethod = {
    "__init__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(graphInit)), METH_VARARGS | METH_KEYWORDS,
    "__init__($self, arg0, /)\n--\n\nGraph(directed): a new empty graph; True for a directed graph. O(1)."};

py::list shortestPath(const PyGraph& graph, const std::string& start, const std::string& goal,
                      tarvel::ShortestPathAlgo method, const Heuristic& heuristic) {
    if (start == goal) {
        py::list out(1);
        PyList_SET_ITEM(out.ptr(), 0, py::str(start).release().ptr());
        return out;
    }
    tarvel::checkMethod(method);
    const GraphRead g(graph);
    const tarvel::NodeIndex to = g.graph().indexOf(goal);
    const tarvel::NodeIndex from = g.graph().indexOf(start);
    if (method == tarvel::ShortestPathAlgo::A_STAR && !heuristic.function.is_none()) {
        // Every heuristic call needs the interpreter: the search keeps it.
        return nameList(g, held([&] {
                            return tarvel::aStar(g.view(), from, to, CallHeuristic<int>(g, heuristic.function.ptr()));
                        }));
    }
    return nameList(g, released([&] { return tarvel::shortestPath(g.view(), from, to, method, nullptr); }));
}

}  // namespace

PYBIND11_MODULE(tarvel, m) {
    py::register_exception_translator(&translateErrors);
    mainThread = py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
    if (!addEdgeType(m.ptr())) throw py::error_already_set();

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

    py::class_<PyGraph> graph(m, "Graph",
                      "A directed or undirected graph of named nodes joined by integer-weighted edges.\n\n"
                      "Nodes keep the order in which they were added; every result follows that order.");
    graph.def(py::init<bool>());
    pybindGraphInit = PyDict_GetItemString(reinterpret_cast<PyTypeObject*>(graph.ptr())->tp_dict, "__init__");
    Py_XINCREF(pybindGraphInit);
    building::addMethod(graph, graphInitMethod);
    for (PyMethodDef* method = building::methods; method->ml_name != nullptr; ++method) {
        if (std::string(method->ml_name) != "addNodes" && std::string(method->ml_name) != "addEdges") {
            building::addMethod(graph, *method);
        }
    }
    graph.def("hasCycle", [](const PyGraph& graph) { const GraphRead g(graph); return released([&] { return tarvel::hasCycle(g.view()); }); },
             "True when a depth-first search meets an edge back to a node on its path.\n\n"
             "An undirected edge counts as a cycle of two. O(V + E).")
        .def("nodeColoring",
             [](const PyGraph& graph) { const GraphRead g(graph); return byName(g, released([&] { return tarvel::greedyNodeColors(g.view()); })); },
             "Greedy first-fit colors 0, 1, ... in node order, each node avoiding its colored neighbors.\n\n"
             "Returns a dict in node order. O(V + E).")
        .def("edgeColoring",
             [](const PyGraph& graph) { const GraphRead g(graph); return edgeColors(g, released([&] { return tarvel::edgeColors(g.view()); })); },
             "Greedy first-fit edge colors 1, 2, ..., keyed by (name, name) in node-index order for "
             "undirected edges.\n\nReturns a dict in the order the edges were first colored. "
             "O(E × largest degree).")
        .def("isBipartite", [](const PyGraph& graph) { const GraphRead g(graph); return released([&] { return tarvel::isBipartite(g.view()); }); },
             "True when the graph, taken as undirected, has no cycle of odd length (a self-loop is one). "
             "O(V + E).")
        .def("connectedComponents",
             [](const PyGraph& graph) {
                 const GraphRead g(graph);
                 return nameLists(g, released([&] { return tarvel::connectedComponents(g.view()); }));
             },
             "Groups found by breadth-first searches from the lowest-numbered unplaced node, following "
             "edge direction.\n\nReturns a list of lists in that order. O(V + E).")
        .def(
            "katzCentrality",
            [](const PyGraph& graph, double alpha, double beta, int maxIterations, double tolerance,
               std::optional<int> threads, py::object progress) {
                const GraphRead g(graph);
                const tarvel::RunOptions options = runOptions(threads, progress);
                return byName(g, released([&] {
                                  return tarvel::katzCentrality(g.view(), alpha, beta, maxIterations, tolerance, options);
                              }));
            },
            py::arg("alpha") = 0.1, py::arg("beta") = 1.0, py::arg("max_iterations") = 1000,
            py::arg("tolerance") = 1e-06, py::kw_only(), py::arg("threads") = py::none(),
            py::arg("progress") = py::none(),
            "Katz scores: iterate x = alpha * (sum over the nodes each node points to) + beta, rescaled to "
            "unit length, until the L1 change is below tolerance or max_iterations steps.\n\n"
            "Returns a dict in node order. threads: how many threads make each step's sums (None: every "
            "usable core; at most one per core of the process's affinity mask; the numbers are the same for any "
            "count). progress(done, total): called a few "
            "times a second with the steps done and max_iterations; what it raises stops the computation. "
            "O(steps × (V + E)).")
        .def("degreeCentrality",
             [](const PyGraph& graph) { const GraphRead g(graph); return byName(g, released([&] { return tarvel::degreeCentrality(g.view()); })); },
             "Number of adjacency entries per node (out-degree; edge ends when undirected).\n\n"
             "Returns a dict in node order. O(V).")
        .def(
            "closenessCentrality",
            [](const PyGraph& graph, std::optional<int> threads, py::object progress) {
                const GraphRead g(graph);
                const tarvel::RunOptions options = runOptions(threads, progress);
                return byName(g, released([&] { return tarvel::closenessCentrality(g.view(), options); }));
            },
            py::kw_only(), py::arg("threads") = py::none(), py::arg("progress") = py::none(),
            "1 / (sum of hop distances to the nodes a node reaches), 0.0 when it reaches none.\n\n"
            "Returns a dict in node order. threads: how many threads search (None: every usable core; at "
            "most one per core of the process's affinity mask; the numbers are the same for any count). progress(done, total): called a few times a second with "
            "the nodes done and the node count; what it raises stops the computation. O(V × (V + E)).")
        .def(
            "betweennessCentrality",
            [](const PyGraph& graph, std::optional<int> threads, py::object progress) {
                const GraphRead g(graph);
                const tarvel::RunOptions options = runOptions(threads, progress);
                return byName(g, released([&] { return tarvel::betweennessCentrality(g.view(), options); }));
            },
            py::kw_only(), py::arg("threads") = py::none(), py::arg("progress") = py::none(),
            "Unnormalised betweenness over hop-count shortest paths; parallel edges are distinct paths "
            "and undirected pairs count from both ends.\n\nReturns a dict in node order. threads: how "
            "many threads search (None: every usable core; at most one per core of the process's affinity "
            "mask; the numbers are the same for any count). "
            "progress(done, total): called a few times a second with the sources done and the node "
            "count; what it raises stops the computation. O(V × (V + E)).")
        .def(
            "minimumSpanningTree",
            [](const PyGraph& graph, tarvel::MSTAlgo method) {
                const GraphRead g(graph);
                return edgeList(g, released([&] { return tarvel::minimumSpanningTree(g.view(), method); }));
            },
            py::arg("method") = tarvel::MSTAlgo::KRUSKAL,
             "A minimum spanning forest as a list of new Edge objects.\n\n"
             "The graph is taken as undirected; each edge comes back in the direction it is stored. "
             "KRUSKAL: ascending (weight, source, target), every component. PRIM: the tree of the first "
             "node's component, in joining order. BORUVKA: every component, phase by phase. O(E log E).")
        .def("iterativeDFS",
             [](const PyGraph& graph, const std::string& start) {
                const GraphRead g(graph);
                 const tarvel::NodeIndex first = g.graph().indexOf(start);
                 return nameList(g, released([&] { return tarvel::depthFirstOrder(g.view(), first); }));
             },
             "Nodes reachable from start, in the order an explicit stack releases them (neighbors pushed "
             "in insertion order).\n\nRaises IndexError when start is not a node. O(V + E).")
        .def("shortestPath", &shortestPath, py::arg("start"), py::arg("goal"),
             py::arg("method") = tarvel::ShortestPathAlgo::A_STAR, py::arg("heuristic"),
             "A path from start to goal as a list of names, [] when goal is unreachable, [start] when both "
             "names are equal.\n\n"
             "heuristic(name, neighbor) -> float is called by A_STAR once per improved neighbor; pass "
             "None for the other methods. Distances are exact. Raises IndexError for a name that is not a "
             "node, RuntimeError 'Negative cycle detected' for a reachable cycle of negative weight and "
             "ValueError when the heuristic returns NaN. BFS O(V + E); DIJKSTRA, A_STAR, "
             "UNIFORM_COST_SEARCH O(E log V) without negative edges; BELLMAN_FORD O(V × E).")
        .def("stronglyConnectedComponents",
             [](const PyGraph& graph, tarvel::SCCAlgo method) {
                const GraphRead g(graph);
                 return nameLists(
                     g, released([&] { return tarvel::stronglyConnectedComponents(g.view(), method); }));
             },
             py::arg("method") = tarvel::SCCAlgo::TARJAN,
             "Strongly connected components of a directed graph: TARJAN in reverse topological order, "
             "KOSARAJU in topological order.\n\nRaises RuntimeError 'implemented only for directed graph' "
             "for an undirected graph. O(V + E).")
        .def("save",
             [](const PyGraph& graph, const std::string& filename) {
                const GraphRead g(graph);
                 // Other threads run while the file is written: a FIFO's
                 // reader may be one of them.
                 released([&] { tarvel::writeGraphFile(filename, tarvel::graphFileText(g.view())); });
             },
             "Write the graph to a JSON file, replacing it atomically (through symbolic links, which stay "
             "links; a device or FIFO is written into, waiting for its reader).\n\nRaises an OSError that "
             "is also a RuntimeError (GraphFileNotFoundError, ...) when the file cannot be written, "
             "RuntimeError when a name is not valid UTF-8; the old file is then untouched. ValueError for "
             "a name holding a NUL character. O(V + E).")
        .def_static("load",
                    [](const std::string& filename) {
                        // The new graph is no Python object yet: no other thread can see it.
                        return PyGraph(released([&] { return Graph::load(filename); }));
                    },
                    "Read a graph written by save and return it as a new Graph.\n\nA regular file is read "
                    "whole; anything else (a FIFO, a device) is read as it arrives, up to the end of the first "
                    "JSON value. Raises an OSError that is also a RuntimeError for a file that cannot be opened "
                    "or read (GraphFileNotFoundError, GraphFileIsADirectoryError, GraphFilePermissionError, "
                    "GraphFileError), RuntimeError with the JSON error for malformed files and for a "
                    "fractional weight, IndexError for an edge naming an unknown node, ValueError for a name "
                    "holding a NUL character, MemoryError when memory runs out. O(V + E).");
    for (PyMethodDef* method = building::methods; method->ml_name != nullptr; ++method) {
        if (std::string(method->ml_name) == "addNodes" || std::string(method->ml_name) == "addEdges") {
            building::addMethod(graph, *method);
        }
    }
    graph.def("nodes", &nodeNames, "The names of the nodes in node order (the order they were added). O(V).")
        .def("edges", &edgeObjects,
             "One Edge per successful addEdge call, in call order and in the direction of the call: parallel "
             "edges and self-loops included, an undirected edge once.\n\nO(E).")
        .def("neighbors", &neighborPairs,
             "The adjacency list of a node as (name, weight) pairs in insertion order: its out-edges in a "
             "directed graph; in an undirected one every edge at the node, a self-loop twice.\n\n"
             "Raises IndexError when the name is not a node. O(degree).")
        .def("nodeCount", [](const PyGraph& g) { return contents(g).nodeCount(); }, "The number of nodes. O(1).")
        .def("edgeCount", [](const PyGraph& g) { return contents(g).edgeCount(); },
             "The number of successful addEdge calls, parallel edges and self-loops included. O(1).")
        .def("pathWeight", [](const PyGraph& graph, const std::vector<std::string>& path) {
                 const GraphRead g(graph);
                 return g.graph().pathWeight(path);
             },
             "The total weight along a path given as a list of L names: for each pair of consecutive names the "
             "least weight of the edges joining them (in a directed graph, leading the path's way); 0 for "
             "fewer than two names.\n\n"
             "Raises IndexError for a name that is not a node (every name is looked up first), ValueError "
             "'item K: no edge from A to B' ('between A and B' when undirected) for the first pair that no edge "
             "joins. O(L + the degrees of the path's nodes).")
        .def("__contains__", &containsName,
             "name in graph: True when the name is a node, as hasNode; False for an object that cannot be a "
             "name. O(1).")
        .def("__repr__", &graphRepr, "<tarvel.Graph directed, 3 nodes, 2 edges>. O(1).")
        .def_static("fromNetworkx", &fromNetworkx, py::arg("g"), py::arg("weight") = "weight",
                    py::arg("default") = 1, py::arg("name") = py::none(),
                    "A new Graph from a networkx graph: its nodes in networkx's order, one edge per edge of "
                    "g.edges() in that order, directed when g is.\n\n"
                    "An edge's weight is its attribute `weight`, else `default` (for every edge when weight is "
                    "None): an integer in the 32-bit range or a float of integral value, else TypeError or "
                    "OverflowError naming the edge. A node that is not str or bytes raises TypeError unless "
                    "name(node) makes it one; two nodes of one name raise RuntimeError 'duplicate nodes are not "
                    "allowed'. O(V + E).")
        .def("toNetworkx", &toNetworkx,
             "A new networkx MultiGraph (MultiDiGraph when directed): the nodes in node order, then one edge "
             "per addEdge call in call order with its 'weight'. Imports networkx. O(V + E).");
    if (!addFileErrorClasses(m.ptr())) throw py::error_already_set();
}
