// What a graph holds, as Python objects: its nodes, its edges (one per
// addEdge call), a node's adjacency list, the repr and membership.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

#include "arguments.hpp"
#include "edge_type.hpp"
#include "python_graph.hpp"
#include "results.hpp"

namespace tarvel_python {

inline py::list nodeNames(const PyGraph& graph) {
    const GraphRead g(graph);
    py::list out(g.nodeCount());
    for (tarvel::NodeIndex i = 0; i < g.nodeCount(); ++i) {
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), g.name(i));
    }
    return out;
}

// One Edge per addEdge call, in call order.
inline py::list edgeObjects(const PyGraph& graph) {
    const GraphRead g(graph);
    return edgeList(g, g.view().edges());
}

// The pairs are made while the read holds the list: making them may run a
// garbage collection, whose finalizers may let other threads write.
inline py::list neighborPairs(const PyGraph& graph, const std::string& name) {
    const GraphRead g(graph);
    const tarvel::Span<tarvel::AdjacencyEntry<int>> entries = g.view().neighbors(g.graph().indexOf(name));
    py::list out(entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k) {
        PyObject* pair = PyTuple_New(2);
        if (pair == nullptr) throw py::error_already_set();
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), pair);
        PyTuple_SET_ITEM(pair, 0, g.name(entries[k].target));
        PyObject* weight = PyLong_FromLong(entries[k].weight);
        if (weight == nullptr) throw py::error_already_set();
        PyTuple_SET_ITEM(pair, 1, weight);
    }
    return out;
}

// Shown by debuggers and in TypeError texts, so it must not fail on a graph
// whose __init__ never ran.
inline py::str graphRepr(py::handle self) {
    const auto* type = py::detail::get_type_info(typeid(PyGraph));
    if (PyObject_IsInstance(self.ptr(), reinterpret_cast<PyObject*>(type->type)) != 1) {
        throw py::type_error("Graph.__repr__() needs a tarvel.Graph");
    }
    const PyGraph* g = graphOf(self.ptr());
    if (g == nullptr) {
        PyErr_Clear();
        return py::str("<uninitialized tarvel.Graph>");
    }
    const auto count = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    // Read holding the interpreter lock, with no Python code in between: no
    // write can come between the three numbers.
    const Graph& now = contents(*g);
    return py::str("<tarvel.Graph " + std::string(now.isDirected() ? "directed" : "undirected") + ", " +
                   count(now.nodeCount(), "node") + ", " + count(now.edgeCount(), "edge") + ">");
}

// `x in graph`: false for an object that cannot be a name, as a set of
// strings answers for an int.
inline bool containsName(const PyGraph& g, py::handle name) {
    std::string_view text;
    return nameArgument(name.ptr(), text) && contents(g).hasNode(text);
}

}  // namespace tarvel_python
