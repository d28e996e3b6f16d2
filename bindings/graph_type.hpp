// tarvel.Graph, written against the C API: making a graph (of integer or of
// floating-point weights), its file, networkx, copying and pickling, and
// the binding of every declared method to its function.
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
#include "networkx_adjacency.hpp"
#include "pickled_form.hpp"
#include "ranking_methods.hpp"
#include "signatures.hpp"
#include "traversal_methods.hpp"

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
inline bool parseTupleArguments(const Method& s, PyObject* args, PyObject* kwargs, PyObject** out) {
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
    const Method& signature = table::graph;
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
    const Method& signature = table::save;
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
    const Method& signature = table::load;
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
    const Method& signature = table::fromNetworkx;
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

// Every declared method (method_table.hpp) and its function.
inline const Binding bindings[] = {
    {table::addNode, method(building::addNode)},
    {table::hasNode, method(building::hasNode)},
    {table::addEdge, method(building::addEdge)},
    {table::hasCycle, method(algorithms::hasCycle)},
    {table::nodeColoring, method(algorithms::nodeColoring)},
    {table::edgeColoring, method(algorithms::edgeColoring)},
    {table::isBipartite, method(algorithms::isBipartite)},
    {table::connectedComponents, method(algorithms::connectedComponents)},
    {table::weaklyConnectedComponents, method(algorithms::weaklyConnectedComponents)},
    {table::katzCentrality, method(algorithms::katzCentrality)},
    {table::degreeCentrality, method(algorithms::degreeCentrality)},
    {table::closenessCentrality, method(algorithms::closenessCentrality)},
    {table::betweennessCentrality, method(algorithms::betweennessCentrality)},
    {table::reachSums, method(algorithms::reachSums)},
    {table::incomingKatzCentrality, method(algorithms::incomingKatzCentrality)},
    {table::pageRank, method(algorithms::pageRank)},
    {table::harmonicCentrality, method(algorithms::harmonicCentrality)},
    {table::minimumSpanningTree, method(algorithms::minimumSpanningTree)},
    {table::iterativeDFS, method(algorithms::iterativeDFS)},
    {table::edgeDepthFirst, method(algorithms::edgeDepthFirst)},
    {table::edgeBreadthFirst, method(algorithms::edgeBreadthFirst)},
    {table::findCycle, method(algorithms::findCycle)},
    {table::shortestPath, method(algorithms::shortestPath)},
    {table::twoEndedBfsPath, method(algorithms::twoEndedBfsPath)},
    {table::nodesWithin, method(algorithms::nodesWithin)},
    {table::multiSourceDistances, method(algorithms::multiSourceDistances)},
    {table::multiSourcePaths, method(algorithms::multiSourcePaths)},
    {table::breadthFirstEdges, method(traversals::breadthFirstEdges)},
    {table::breadthFirstLayers, method(traversals::breadthFirstLayers)},
    {table::depthFirstLabeledEdges, method(traversals::depthFirstLabeledEdges)},
    {table::topologicalOrder, method(algorithms::topologicalOrder)},
    {table::topologicalGenerations, method(algorithms::topologicalGenerations)},
    {table::descendants, method(algorithms::descendants)},
    {table::ancestors, method(algorithms::ancestors)},
    {table::stronglyConnectedComponents, method(algorithms::stronglyConnectedComponents)},
    {table::save, method(save)},
    {table::load, method(load)},
    {table::addNodes, method(building::addNodes)},
    {table::addEdges, method(building::addEdges)},
    {table::nodes, method(inspection::nodes)},
    {table::edges, method(inspection::edges)},
    {table::neighbors, method(inspection::neighbors)},
    {table::nodeCount, method(inspection::nodeCount)},
    {table::edgeCount, method(inspection::edgeCount)},
    {table::pathWeight, method(inspection::pathWeight)},
    {table::fromNetworkx, method(fromNetworkx)},
    {table::toNetworkx, method(toNetworkx)},
    {table::distances, method(algorithms::distances)},
    {table::shortestPaths, method(algorithms::shortestPaths)},
    {table::predecessors, method(algorithms::predecessors)},
    {table::hasEdge, method(inspection::hasEdge)},
    {table::triangles, method(algorithms::triangles)},
    {table::clustering, method(algorithms::clustering)},
    {table::averageClustering, method(algorithms::averageClustering)},
    {table::transitivity, method(algorithms::transitivity)},
    {table::distancesFromEach, method(algorithms::distancesFromEach)},
    {table::eccentricity, method(algorithms::eccentricity)},
    {table::diameter, method(algorithms::diameter)},
    {table::radius, method(algorithms::radius)},
    {table::center, method(algorithms::center)},
    {table::periphery, method(algorithms::periphery)},
};

// The protocol's methods, with docstrings of their own.
inline const PyMethodDef others[] = {
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
    // The networkx backend's conversion (networkx_adjacency.hpp); private.
    {"_fromAdjacency", method(fromAdjacency), METH_FASTCALL | METH_STATIC,
     "_fromAdjacency(adj, weight, default, merged, classify, /)\n--\n\nThe networkx backend's conversion of "
     "networkx's adjacency dicts: (graph, nodes, self-loops), or None. Private."},
    {nullptr, nullptr, 0, nullptr},
};

inline std::vector<std::string> docs;
inline std::vector<PyMethodDef> definitions;
inline std::string classDoc;

inline PySequenceMethods sequence = {};

}  // namespace graph_type

// Makes the type ready and adds it to `module` as "Graph".
inline bool addGraphType(PyObject* module) {
    GraphType.tp_name = "tarvel.Graph";
    GraphType.tp_basicsize = sizeof(GraphObject);
    GraphType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    graph_type::classDoc = signatures::docstring(table::graph, false);
    GraphType.tp_doc = graph_type::classDoc.c_str();
    GraphType.tp_new = PyType_GenericNew;
    GraphType.tp_init = graph_type::init;
    GraphType.tp_dealloc = graph_type::dealloc;
    GraphType.tp_repr = inspection::repr;
    graph_type::sequence.sq_contains = inspection::contains;
    GraphType.tp_as_sequence = &graph_type::sequence;
    GraphType.tp_methods = methodDefinitions(graph_type::bindings, graph_type::others, graph_type::docs,
                                             graph_type::definitions);
    GraphType.tp_weaklistoffset = offsetof(GraphObject, weakrefs);
    if (PyType_Ready(&GraphType) < 0) return false;
    if (!signMethods(&GraphType, module, table::graph, graph_type::bindings)) return false;
    Py_INCREF(&GraphType);
    return PyModule_AddObject(module, "Graph", reinterpret_cast<PyObject*>(&GraphType)) == 0;
}

}  // namespace tarvel_python
