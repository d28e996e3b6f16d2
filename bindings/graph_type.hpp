// tarvel.Graph, written against the C API: making a graph (of integer or of
// floating-point weights), its file, networkx, copying and pickling, and
// the table of every method with its docstring.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <string>
#include <string_view>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "algorithm_methods.hpp"
#include "arguments.hpp"
#include "building.hpp"
#include "engine.hpp"
#include "graph_object.hpp"
#include "inspection.hpp"
#include "networkx.hpp"
#include "pickled_form.hpp"
#include "signatures.hpp"

namespace tarvel_python {
namespace graph_type {

// weightType: the type int or the type float.
inline bool weightTypeArgument(const char* method, PyObject* object, bool& floating) {
    if (object == nullptr || object == reinterpret_cast<PyObject*>(&PyLong_Type)) {
        floating = false;
        return true;
    }
    if (object == reinterpret_cast<PyObject*>(&PyFloat_Type)) {
        floating = true;
        return true;
    }
    PyErr_Format(PyExc_TypeError, "%s(): weightType must be int or float, not %R", method, object);
    return false;
}

// Calls a vectorcall-style parser with the arguments of a tp_init.
inline bool parseTupleArguments(const Signature& s, PyObject* args, PyObject* kwargs, PyObject** out) {
    std::vector<PyObject*> all(&PyTuple_GET_ITEM(args, 0), &PyTuple_GET_ITEM(args, 0) + PyTuple_GET_SIZE(args));
    py::object names;
    if (kwargs != nullptr && PyDict_GET_SIZE(kwargs) > 0) {
        names = py::reinterpret_steal<py::object>(PyTuple_New(PyDict_GET_SIZE(kwargs)));
        if (!names) return false;
        PyObject *key, *value;
        Py_ssize_t position = 0, k = 0;
        while (PyDict_Next(kwargs, &position, &key, &value)) {
            Py_INCREF(key);
            PyTuple_SET_ITEM(names.ptr(), k++, key);
            all.push_back(value);
        }
    }
    return parseArguments(s, all.data(), PyTuple_GET_SIZE(args), names.ptr(), out);
}

inline int init(PyObject* self, PyObject* args, PyObject* kwargs) {
    auto* object = reinterpret_cast<GraphObject*>(self);
    if (object->graph != nullptr) {
        PyErr_SetString(PyExc_TypeError, "Graph.__init__() was called on a graph that already exists");
        return -1;
    }
    static const Signature signature{"Graph", {"directed", "weightType"}, 0, 1, 1};
    PyObject* given[2];
    bool directed = false, floating = false;
    if (!parseTupleArguments(signature, args, kwargs, given)) return -1;
    // Held while they are converted: `Graph(**d)` passes d itself, which
    // the flag's truth value may empty.
    const py::object held[2] = {py::reinterpret_borrow<py::object>(given[0]),
                                py::reinterpret_borrow<py::object>(given[1])};
    if (!flagArgument("Graph", "directed", given[0], directed) || !weightTypeArgument("Graph", given[1], floating)) {
        return -1;
    }
    if (object->graph != nullptr) {  // made meanwhile by code the flag's truth value ran
        PyErr_SetString(PyExc_TypeError, "Graph.__init__() was called on a graph that already exists");
        return -1;
    }
    try {
        object->graph = floating ? new AnyGraph(std::in_place_type<SharedGraph<double>>, directed)
                                 : new AnyGraph(std::in_place_type<SharedGraph<int>>, directed);
    } catch (...) {
        raiseCurrent();
        return -1;
    }
    return 0;
}

inline void dealloc(PyObject* self) {
    auto* object = reinterpret_cast<GraphObject*>(self);
    if (object->weakrefs != nullptr) PyObject_ClearWeakRefs(self);
    delete object->graph;
    Py_TYPE(self)->tp_free(self);
}

// A file name: str, bytes or os.PathLike, as open() takes it.
inline bool fileNameArgument(PyObject* object, std::string& name) {
    PyObject* bytes = nullptr;
    if (!PyUnicode_FSConverter(object, &bytes)) return false;
    name.assign(PyBytes_AS_STRING(bytes), static_cast<std::size_t>(PyBytes_GET_SIZE(bytes)));
    Py_DECREF(bytes);
    return true;
}

inline PyObject* save(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{"save", {"filename"}, 1, 1, 1};
    PyObject* given[1];
    std::string filename;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !fileNameArgument(given[0], filename)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        // Other threads run while the file is written: a FIFO's reader may
        // be one of them.
        released([&] { tarvel::writeGraphFile(filename, tarvel::graphFileText(g.view())); });
        return py::none();
    });
}

inline PyObject* load(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{"load", {"filename", "weightType"}, 1, 1, 1};
    PyObject* given[2];
    std::string filename;
    bool floating = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !fileNameArgument(given[0], filename) ||
        !weightTypeArgument("load", given[1], floating)) {
        return nullptr;
    }
    try {
        // The new graph is no Python object yet: no other thread can see it.
        if (floating) return newGraph(released([&] { return Store<double>(tarvel::loadGraph<std::string, double>(filename)); }));
        return newGraph(released([&] { return Store<int>(tarvel::loadGraph<std::string, int>(filename)); }));
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
}

inline PyObject* fromNetworkx(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{"fromNetworkx", {"g", "weight", "default", "name", "weightType"}, 0, 4, 1};
    PyObject* given[5];
    bool floating = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !weightTypeArgument("fromNetworkx", given[4], floating)) {
        return nullptr;
    }
    try {
        const py::handle source(given[0]);
        const py::object weight = given[1] != nullptr ? py::reinterpret_borrow<py::object>(given[1]) : py::str("weight");
        const py::object fallback = given[2] != nullptr ? py::reinterpret_borrow<py::object>(given[2]) : py::int_(1);
        const py::object rename = given[3] != nullptr ? py::reinterpret_borrow<py::object>(given[3]) : py::none();
        if (floating) return newGraph(tarvel_python::fromNetworkx<double>(source, weight, fallback, rename));
        return newGraph(tarvel_python::fromNetworkx<int>(source, weight, fallback, rename));
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
}

inline PyObject* toNetworkx(PyObject* self, PyObject*) {
    return onGraph(self, [](auto& shared) { return tarvel_python::toNetworkx(shared); });
}

// A new object of the type of `self` holding a copy of what a read of
// `self` sees: an equal graph that shares nothing with it.
inline PyObject* copy(PyObject* self, PyObject*) {
    return onGraph(self, [&](auto& shared) -> py::object {
        using W = typename std::remove_reference_t<decltype(shared)>::Weight;
        const Read g(shared);
        Store<W> contents = released([&] { return Store<W>(g.graph()); });
        auto out = py::reinterpret_steal<py::object>(Py_TYPE(self)->tp_alloc(Py_TYPE(self), 0));
        if (!out) throw py::error_already_set();
        reinterpret_cast<GraphObject*>(out.ptr())->graph =
            new AnyGraph(std::in_place_type<SharedGraph<W>>, std::move(contents));
        return out;
    });
}

inline PyObject* deepCopy(PyObject* self, PyObject*) { return copy(self, nullptr); }

// The slots of `in` and repr() as methods, for their docstrings.
inline PyObject* containsMethod(PyObject* self, PyObject* name) {
    const int found = inspection::contains(self, name);
    return found < 0 ? nullptr : PyBool_FromLong(found);
}
inline PyObject* reprMethod(PyObject* self, PyObject*) { return inspection::repr(self); }

// Pickles as type(self)(directed) given the pickled form as its state.
inline PyObject* reduce(PyObject* self, PyObject*) {
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        const std::string state = released([&] { return pickled::write(g.view()); });
        return py::make_tuple(py::handle(reinterpret_cast<PyObject*>(Py_TYPE(self))),
                              py::make_tuple(py::bool_(g.graph().isDirected())),
                              py::bytes(state.data(), state.size()));
    });
}

// Whether the graph of `object` may be replaced by __setstate__: empty, held
// by no read, and inside no call but `running` (the __setstate__'s own).
inline bool fillable(const GraphObject* object, Py_ssize_t running) {
    return object->calls == running && std::visit(
                                           [](auto& g) {
                                               // Acquire: the reads that held the version are done with it.
                                               const auto& now = *g.version();
                                               return now.readers.load(std::memory_order_acquire) == 0 &&
                                                      now.graph.nodeCount() == 0;
                                           },
                                           *object->graph);
}

// Fills a new, empty graph from a pickled form (its weight type included).
// The form is decoded into a graph of its own, the interpreter lock
// released; then, holding it, that graph replaces the target's (its name
// cache included) only if the target is still fillable: a write or a read
// of another thread meanwhile, or another __setstate__ (which counts as a
// call while it decodes), makes it refuse, the target unchanged. A call of
// the target from inside this one (a weight's __index__ during addEdge, a
// generator given to addEdges) makes the target unfillable for as long as
// that call runs.
// Errors: ValueError "__setstate__() fills a new empty graph only"; those
// of pickled::flagsOf and pickled::read.
inline PyObject* setState(PyObject* self, PyObject* state) {
    auto* object = reinterpret_cast<GraphObject*>(self);
    if (graphOf(self) == nullptr) return nullptr;
    if (!PyBytes_Check(state)) {
        wrongType("__setstate__", "state", "bytes", state);
        return nullptr;
    }
    const auto refuse = [] {
        PyErr_SetString(PyExc_ValueError, "__setstate__() fills a new empty graph only");
        return nullptr;
    };
    if (!fillable(object, 0)) return refuse();
    const InCall call(self);
    try {
        const std::string_view bytes(PyBytes_AS_STRING(state), static_cast<std::size_t>(PyBytes_GET_SIZE(state)));
        const auto install = [&](auto&& contents) {
            using W = typename std::remove_reference_t<decltype(contents)>::Weight;
            SharedGraph<W> fresh(std::move(contents));  // allocated before the target is touched
            if (!fillable(object, 1)) return false;
            object->graph->emplace<SharedGraph<W>>(std::move(fresh));  // moves without throwing
            return true;
        };
        const bool installed = (pickled::flagsOf(bytes) & pickled::FloatWeights)
                                   ? install(released([&] { return pickled::read<double>(bytes); }))
                                   : install(released([&] { return pickled::read<int>(bytes); }));
        if (!installed) return refuse();
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
    Py_RETURN_NONE;
}

template <class F>
constexpr PyCFunction method(F f) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

inline constexpr int Fast = METH_FASTCALL | METH_KEYWORDS;

inline PyMethodDef methods[] = {
    {"addNode", method(building::addNode), Fast,
     "addNode($self, name, /)\n--\n\n"
     "Add a node.\n\nRaises RuntimeError 'duplicate nodes are not allowed' for a name already present. "
     "Amortised O(1)."},
    {"hasNode", method(building::hasNode), Fast, "hasNode($self, name, /)\n--\n\nTrue when the name is a node. O(1)."},
    {"addEdge", method(building::addEdge), Fast,
     "addEdge($self, /, src, dest, weight=0)\n--\n\n"
     "Add an edge from src to dest (both ways in an undirected graph).\n\n"
     "Parallel edges and self-loops are kept. weight: an int of 32 bits, or for a graph of weightType=float a "
     "float or an int a double holds exactly. Raises IndexError naming a name that is not a node, TypeError, "
     "OverflowError or ValueError for a weight the graph cannot hold; the graph is then unchanged. Amortised "
     "O(1)."},
    {"hasCycle", method(algorithms::hasCycle), METH_NOARGS,
     "hasCycle($self, /)\n--\n\nTrue when a depth-first search meets an edge back to a node on its path.\n\n"
     "An undirected edge counts as a cycle of two. O(V + E)."},
    {"nodeColoring", method(algorithms::nodeColoring), METH_NOARGS,
     "nodeColoring($self, /)\n--\n\n"
     "Greedy first-fit colors 0, 1, ... in node order, each node avoiding its colored neighbors.\n\n"
     "Returns a dict in node order. O(V + E)."},
    {"edgeColoring", method(algorithms::edgeColoring), METH_NOARGS,
     "edgeColoring($self, /)\n--\n\n"
     "Greedy first-fit edge colors 1, 2, ..., keyed by (name, name) in node-index order for undirected "
     "edges.\n\nReturns a dict in the order the edges were first colored. O(E × largest degree)."},
    {"isBipartite", method(algorithms::isBipartite), METH_NOARGS,
     "isBipartite($self, /)\n--\n\n"
     "True when the graph, taken as undirected, has no cycle of odd length (a self-loop is one). O(V + E)."},
    {"connectedComponents", method(algorithms::connectedComponents), METH_NOARGS,
     "connectedComponents($self, /)\n--\n\n"
     "Groups found by breadth-first searches from the lowest-numbered unplaced node, following edge "
     "direction.\n\nReturns a list of lists in that order. O(V + E)."},
    {"katzCentrality", method(algorithms::katzCentrality), Fast,
     "katzCentrality($self, /, alpha=0.1, beta=1.0, max_iterations=1000, tolerance=1e-06, *, threads=None, "
     "progress=None)\n--\n\n"
     "Katz scores: iterate x = alpha * (sum over the nodes each node points to) + beta, rescaled to unit "
     "length, until the L1 change is below tolerance or max_iterations steps.\n\n"
     "Returns a dict in node order. threads: how many threads make each step's sums (None: every usable core; "
     "at most one per core of the process's affinity mask; the numbers are the same for any count). "
     "progress(done, total): called a few times a second with the steps done and max_iterations; what it "
     "raises stops the computation. O(steps × (V + E))."},
    {"degreeCentrality", method(algorithms::degreeCentrality), METH_NOARGS,
     "degreeCentrality($self, /)\n--\n\n"
     "Number of adjacency entries per node (out-degree; edge ends when undirected).\n\n"
     "Returns a dict in node order. O(V)."},
    {"closenessCentrality", method(algorithms::closenessCentrality), Fast,
     "closenessCentrality($self, /, *, nodes=None, threads=None, progress=None)\n--\n\n"
     "1 / (sum of hop distances to the nodes a node reaches), 0.0 when it reaches none.\n\n"
     "Returns a dict in node order: every node's score, or with nodes (an iterable of names) those nodes' "
     "only, each the same to the bit as in the whole call; a name given twice raises ValueError, an unknown "
     "one IndexError. threads: how many threads search (None: every usable core; at most one per core of the "
     "process's affinity mask; the numbers are the same for any count). progress(done, total): called a few "
     "times a second with the nodes done and the nodes asked for; what it raises stops the computation. "
     "O(V × (V + E)), O(K × (V + E)) for K nodes."},
    {"betweennessCentrality", method(algorithms::betweennessCentrality), Fast,
     "betweennessCentrality($self, /, *, sources=None, threads=None, progress=None)\n--\n\n"
     "Unnormalised betweenness over hop-count shortest paths; parallel edges are distinct paths and "
     "undirected pairs count from both ends.\n\nReturns a dict in node order. sources (an iterable of names, "
     "None for every node): only the paths from those sources count, summed in node order whatever order "
     "they are given in; the parts of a partition of the nodes sum to the whole but for rounding (within "
     "about 2(V - 1) x 2**-53 relatively); a name given twice raises ValueError, an unknown one IndexError. "
     "threads: how many threads search (None: every usable core; at most one per core of the process's "
     "affinity mask; the numbers are the same for any count). progress(done, total): called a few times a "
     "second with the sources done and the sources asked for; what it raises stops the computation. "
     "O(V × (V + E)), O(K × (V + E)) for K sources."},
    {"reachSums", method(algorithms::reachSums), Fast,
     "reachSums($self, /, *, threads=None, progress=None)\n--\n\n"
     "For each node, (the number of other nodes it reaches, the sum of their hop distances), both exact "
     "ints: the raw quantities of closeness in any normalisation.\n\n"
     "Returns a dict in node order. Follows edge direction; on the reversed graph it gives incoming "
     "distances. threads: how many threads search (None: every usable core; at most one per core of the "
     "process's affinity mask; the numbers are the same for any count). progress(done, total): called a few "
     "times a second with the nodes done and the node count; what it raises stops the computation. "
     "O(V × (V + E))."},
    {"incomingKatzCentrality", method(algorithms::incomingKatzCentrality), Fast,
     "incomingKatzCentrality($self, /, alpha=0.1, beta=1.0, max_iterations=1000, tolerance=1e-06, *, "
     "start=None, weighted=False, normalized=True, threads=None, progress=None)\n--\n\n"
     "Katz scores over incoming edges: from start (0 everywhere when None), iterate x[v] = alpha * (sum of "
     "x[u] over the edges u -> v, each times its weight when weighted) + beta[v], the terms in node order, "
     "until the L1 change is below V * tolerance; then, when normalized, scale to unit Euclidean length.\n\n"
     "Returns a dict in node order. An undirected edge comes in at both ends, a self-loop once. beta and "
     "start: a number for every node, or a dict with a number for each node's name and nothing else "
     "(ValueError otherwise). Raises RuntimeError 'Katz centrality did not converge in N iterations' when "
     "max_iterations steps do not converge. threads: how many threads make each step's sums (None: every "
     "usable core; the numbers are the same for any count). progress(done, total): called a few times a "
     "second with the steps done and max_iterations; what it raises stops the computation. "
     "O(steps × (V + E))."},
    {"minimumSpanningTree", method(algorithms::minimumSpanningTree), Fast,
     "minimumSpanningTree($self, /, method=tarvel.KRUSKAL)\n--\n\n"
     "A minimum spanning forest as a list of new Edge objects.\n\n"
     "The graph is taken as undirected; each edge comes back in the direction it is stored. KRUSKAL: "
     "ascending (weight, source, target), every component. PRIM: the tree of the first node's component, in "
     "joining order. BORUVKA: every component, phase by phase. O(E log E)."},
    {"iterativeDFS", method(algorithms::iterativeDFS), Fast,
     "iterativeDFS($self, start, /)\n--\n\n"
     "Nodes reachable from start, in the order an explicit stack releases them (neighbors pushed in "
     "insertion order).\n\nRaises IndexError when start is not a node. O(V + E)."},
    {"shortestPath", method(algorithms::shortestPath), Fast,
     "shortestPath(start, goal, method=A_STAR, heuristic, *, consistent=False)\n\n"
     "A path from start to goal as a list of names, [] when goal is unreachable, [start] when both names "
     "are equal.\n\n"
     "heuristic(name, neighbor) -> float is called by A_STAR once per improved neighbor; it must always be "
     "given: None for the other methods. Distances are exact. consistent=True (A_STAR) promises that the "
     "estimate depends on neighbor only and never exceeds an edge's weight plus the estimate at its far end: "
     "the search then stops when goal leaves the queue and calls the heuristic at most once per node, and returns the same "
     "path when weights and estimates are whole numbers below 2**53 (else the weight may exceed the least by "
     "rounding; a broken promise gives a path that may not be shortest). Raises IndexError for a name that is not a "
     "node, RuntimeError 'Negative cycle detected' for a reachable cycle of negative weight and ValueError "
     "when the heuristic returns NaN. BFS O(V + E); DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH O(E log V) without "
     "negative edges; BELLMAN_FORD O(V × E)."},
    {"stronglyConnectedComponents", method(algorithms::stronglyConnectedComponents), Fast,
     "stronglyConnectedComponents($self, /, method=tarvel.TARJAN)\n--\n\n"
     "Strongly connected components of a directed graph: TARJAN in reverse topological order, KOSARAJU in "
     "topological order.\n\nRaises RuntimeError 'implemented only for directed graph' for an undirected "
     "graph. O(V + E)."},
    {"save", method(save), Fast,
     "save($self, filename, /)\n--\n\n"
     "Write the graph to a JSON file, replacing it atomically (through symbolic links, which stay links; a "
     "device or FIFO is written into, waiting for its reader).\n\nfilename: str, bytes or os.PathLike. "
     "Raises an OSError that is also a RuntimeError (GraphFileNotFoundError, ...) when the file cannot be "
     "written, RuntimeError when a name is not valid UTF-8; the old file is then untouched. ValueError for a "
     "name holding a NUL character. O(V + E)."},
    {"load", method(load), Fast | METH_STATIC,
     "load(filename, /, *, weightType=int)\n--\n\n"
     "Read a graph written by save and return it as a new Graph of the given weight type (the file records "
     "none).\n\nA regular file is read whole; anything else (a FIFO, a device) is read as it arrives, up to "
     "the end of the first JSON value. Raises an OSError that is also a RuntimeError for a file that cannot "
     "be opened or read (GraphFileNotFoundError, GraphFileIsADirectoryError, GraphFilePermissionError, "
     "GraphFileError), RuntimeError with the JSON error for malformed files and for a fractional weight in "
     "a graph of integer weights, IndexError for an edge naming an unknown node, ValueError for a name "
     "holding a NUL character, MemoryError when memory runs out. O(V + E)."},
    {"addNodes", method(building::addNodes), Fast,
     "addNodes($self, names, /)\n--\n\n"
     "Add every name of an iterable, in order, all or nothing.\n\n"
     "An item that addNode would refuse (a duplicate, also within the batch, or a name of the wrong type) "
     "raises what addNode raises, its message starting 'item K: ' (K counting from 0); the graph is then "
     "unchanged. Amortised O(1) per name."},
    {"addEdges", method(building::addEdges), Fast,
     "addEdges($self, edges, /)\n--\n\n"
     "Add every edge of an iterable of (src, dest) or (src, dest, weight), in order, all or nothing.\n\n"
     "An item that addEdge would refuse (an unknown name, a weight of the wrong type or range) raises what "
     "addEdge raises, its message starting 'item K: ' (K counting from 0); the graph is then unchanged. "
     "O(B log B) for B edges."},
    {"nodes", method(inspection::nodes), METH_NOARGS,
     "nodes($self, /)\n--\n\nThe names of the nodes in node order (the order they were added). O(V)."},
    {"edges", method(inspection::edges), METH_NOARGS,
     "edges($self, /)\n--\n\n"
     "One Edge per successful addEdge call, in call order and in the direction of the call: parallel edges "
     "and self-loops included, an undirected edge once.\n\nO(E)."},
    {"neighbors", method(inspection::neighbors), Fast,
     "neighbors($self, name, /)\n--\n\n"
     "The adjacency list of a node as (name, weight) pairs in insertion order: its out-edges in a directed "
     "graph; in an undirected one every edge at the node, a self-loop twice.\n\n"
     "Raises IndexError when the name is not a node. O(degree)."},
    {"nodeCount", method(inspection::nodeCount), METH_NOARGS, "nodeCount($self, /)\n--\n\nThe number of nodes. O(1)."},
    {"edgeCount", method(inspection::edgeCount), METH_NOARGS,
     "edgeCount($self, /)\n--\n\nThe number of successful addEdge calls, parallel edges and self-loops "
     "included. O(1)."},
    {"pathWeight", method(inspection::pathWeight), Fast,
     "pathWeight($self, path, /)\n--\n\n"
     "The total weight along a path given as a list of L names: for each pair of consecutive names the least "
     "weight of the edges joining them (in a directed graph, leading the path's way); 0 for fewer than two "
     "names.\n\n"
     "Raises IndexError for a name that is not a node (every name is looked up first), ValueError 'item K: no "
     "edge from A to B' ('between A and B' when undirected) for the first pair that no edge joins. O(L + the "
     "degrees of the path's nodes)."},
    {"fromNetworkx", method(fromNetworkx), Fast | METH_STATIC,
     "fromNetworkx(g, weight='weight', default=1, name=None, *, weightType=int)\n--\n\n"
     "A new Graph from a networkx graph: its nodes in networkx's order, one edge per edge of g.edges() in "
     "that order, directed when g is.\n\n"
     "An edge's weight is its attribute `weight`, else `default` (for every edge when weight is None): for "
     "weightType=int an integer in the 32-bit range or a float of integral value, for weightType=float a "
     "finite float or an integer a double holds exactly; else TypeError, OverflowError or ValueError naming "
     "the edge. A node that is not str or bytes raises TypeError unless name(node) makes it one; two nodes "
     "of one name raise RuntimeError 'duplicate nodes are not allowed'. O(V + E)."},
    {"toNetworkx", method(toNetworkx), METH_NOARGS,
     "toNetworkx($self, /)\n--\n\n"
     "A new networkx MultiGraph (MultiDiGraph when directed): the nodes in node order, then one edge per "
     "addEdge call in call order with its 'weight'. Imports networkx. O(V + E)."},
    {"distances", method(algorithms::distances), Fast,
     "distances($self, /, source, method=tarvel.DIJKSTRA)\n--\n\n"
     "The distance from source to every node it reaches (itself at 0), as a dict in node order.\n\n"
     "method: BFS (hop counts), DIJKSTRA or BELLMAN_FORD; ints for a graph of integer weights and for BFS, "
     "floats for a graph of weightType=float. For every reached node t but the source, distances(s)[t] is "
     "pathWeight(shortestPath(s, t, method, None)). Raises IndexError for an unknown source, ValueError for "
     "UNIFORM_COST_SEARCH and A_STAR, RuntimeError 'Negative cycle detected' when one is reachable. One "
     "search: BFS O(V + E), DIJKSTRA O(E log V) without negative weights, BELLMAN_FORD O(V × E)."},
    {"shortestPaths", method(algorithms::shortestPaths), Fast,
     "shortestPaths($self, /, source, method=tarvel.DIJKSTRA)\n--\n\n"
     "The path from source to every node it reaches, as a dict in node order ([source] for the source).\n\n"
     "Each path is shortestPath(source, t, method, None). Errors as distances. One search: BFS O(V + E), "
     "DIJKSTRA O(E log V) without negative weights, BELLMAN_FORD O(V × E); the dict holds O(sum of the path "
     "lengths) names, up to O(V²): predecessors is the compact form."},
    {"predecessors", method(algorithms::predecessors), Fast,
     "predecessors($self, /, source, method=tarvel.DIJKSTRA)\n--\n\n"
     "The node before each node on its path from source, for every reached node but the source, as a dict "
     "in node order.\n\nErrors as distances. One search: BFS O(V + E), DIJKSTRA O(E log V) without negative "
     "weights, BELLMAN_FORD O(V × E)."},
    {"hasEdge", method(inspection::hasEdge), Fast,
     "hasEdge($self, /, source, destination)\n--\n\n"
     "True when an edge joins source to destination (in either direction in an undirected graph); False "
     "when either name is not a node. O(degree)."},
    {"__contains__", method(containsMethod), METH_O | METH_COEXIST,
     "__contains__($self, name, /)\n--\n\n"
     "name in graph: True when the name is a node, as hasNode; False for an object that cannot be a name. "
     "O(1)."},
    {"__repr__", method(reprMethod), METH_NOARGS | METH_COEXIST,
     "__repr__($self, /)\n--\n\n<tarvel.Graph directed, 3 nodes, 2 edges> (', float weights' after the "
     "direction for a graph of weightType=float). O(1)."},
    {"__copy__", method(copy), METH_NOARGS, "__copy__($self, /)\n--\n\nAn equal, independent graph. O(V + E)."},
    {"__deepcopy__", method(deepCopy), METH_O,
     "__deepcopy__($self, memo, /)\n--\n\nAn equal, independent graph. O(V + E)."},
    {"__reduce__", method(reduce), METH_NOARGS, "__reduce__($self, /)\n--\n\nPickling support. O(V + E)."},
    {"__setstate__", method(setState), METH_O,
     "__setstate__($self, state, /)\n--\n\nUnpickling support: fills a new empty graph. O(V + E)."},
    {nullptr, nullptr, 0, nullptr},
};

inline PySequenceMethods sequence = {};

}  // namespace graph_type

// Makes the type ready and adds it to `module` as "Graph".
inline bool addGraphType(PyObject* module) {
    GraphType.tp_name = "tarvel.Graph";
    GraphType.tp_basicsize = sizeof(GraphObject);
    GraphType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    GraphType.tp_doc =
        "Graph(directed, *, weightType=int)\n--\n\n"
        "A directed or undirected graph of named nodes joined by weighted edges.\n\n"
        "weightType: int for 32-bit integer weights (exact sums), float for double weights. Nodes keep the "
        "order in which they were added; every result follows that order. O(1).";
    GraphType.tp_new = PyType_GenericNew;
    GraphType.tp_init = graph_type::init;
    GraphType.tp_dealloc = graph_type::dealloc;
    GraphType.tp_repr = inspection::repr;
    graph_type::sequence.sq_contains = inspection::contains;
    GraphType.tp_as_sequence = &graph_type::sequence;
    GraphType.tp_methods = graph_type::methods;
    GraphType.tp_weaklistoffset = offsetof(GraphObject, weakrefs);
    if (PyType_Ready(&GraphType) < 0) return false;
    // The callables whose defaults are objects, which inspect cannot read
    // from a text signature.
    if (!addSignatures(&GraphType, module,
                       {"minimumSpanningTree", "shortestPath", "stronglyConnectedComponents", "distances",
                        "shortestPaths", "predecessors", "load", "fromNetworkx"})) {
        return false;
    }
    Py_INCREF(&GraphType);
    return PyModule_AddObject(module, "Graph", reinterpret_cast<PyObject*>(&GraphType)) == 0;
}

}  // namespace tarvel_python
