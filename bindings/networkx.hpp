// Conversions from and to networkx graphs. networkx is no dependency of the
// module: a graph to read is used through its methods alone, and networkx is
// imported only to make one.
#pragma once

#include <pybind11/pybind11.h>

#include <climits>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.hpp"
#include "graph_object.hpp"
#include "results.hpp"
#include "weight_arguments.hpp"

namespace tarvel_python {

namespace networkx_detail {

[[noreturn]] inline void raise(PyObject* type, const char* format, PyObject* a, PyObject* b = nullptr,
                               PyObject* c = nullptr) {
    PyErr_Format(type, format, a, b, c);
    throw py::error_already_set();
}

// What addEdge says of a fractional weight, with the remedy of this call.
inline const char* const NotAnInteger =
    "edge %R: weight %R is not an integer: this graph holds integer weights (fromNetworkx(..., weightType=float) "
    "holds fractional ones)";

// The weight of one edge as a 32-bit integer: an object with __index__ (int,
// bool, numpy's integers) or a float of integral value.
inline void weightOf(PyObject* weight, PyObject* edge, int& out) {
    if (PyFloat_Check(weight)) {
        const double value = PyFloat_AS_DOUBLE(weight);
        if (std::isnan(value) || value != std::floor(value)) {
            raise(PyExc_TypeError, NotAnInteger, edge, weight);
        }
        if (value < INT_MIN || value > INT_MAX) {
            raise(PyExc_OverflowError, "edge %R: weight %R is outside the 32-bit range", edge, weight);
        }
        out = static_cast<int>(value);
        return;
    }
    if (!PyIndex_Check(weight)) {
        raise(PyExc_TypeError, NotAnInteger, edge, weight);
    }
    const auto number = py::reinterpret_steal<py::object>(PyNumber_Index(weight));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (value == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (overflow != 0 || value < INT_MIN || value > INT_MAX) {
        raise(PyExc_OverflowError, "edge %R: weight %R is outside the 32-bit range", edge, weight);
    }
    out = static_cast<int>(value);
}

// The weight of one edge as a double: a finite float, or an integer that a
// double holds exactly.
inline void weightOf(PyObject* weight, PyObject* edge, double& out) {
    if (weightArgument(weight, out)) return;
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    PyErr_Format(type, "edge %R: %S", edge, value);
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    throw py::error_already_set();
}

inline bool truth(const py::object& value) {
    const int result = PyObject_IsTrue(value.ptr());
    if (result < 0) throw py::error_already_set();
    return result == 1;
}

}  // namespace networkx_detail

// A new graph with the nodes of `source` in its order and one edge per edge
// of source.edges(), weighted by each edge's attribute `weight` (or
// `fallback` when the edge has none, or for every edge when `weight` is
// None). `rename`, unless None, turns each node into its name.
template <class W>
Store<W> fromNetworkx(py::handle source, py::handle weight, py::handle fallback, py::handle rename) {
    using networkx_detail::raise;
    Store<W> graph(networkx_detail::truth(source.attr("is_directed")()));
    const bool multigraph = networkx_detail::truth(source.attr("is_multigraph")());

    std::vector<py::object> nodes;         // as networkx holds them, for messages
    std::vector<py::object> nameObjects;   // keep the views below valid
    std::vector<std::string_view> names;
    py::dict index;  // node -> position
    for (py::handle node : py::reinterpret_borrow<py::iterable>(source)) {
        py::object name = rename.is_none() ? py::reinterpret_borrow<py::object>(node) : rename(node);
        std::string_view text;
        if (!PyUnicode_Check(name.ptr()) && !PyBytes_Check(name.ptr())) {
            if (rename.is_none()) {
                raise(PyExc_TypeError, "node %R is not str or bytes: name= can convert it", node.ptr());
            }
            raise(PyExc_TypeError, "name(%R) returned %R, which is not str or bytes", node.ptr(), name.ptr());
        }
        if (!nameArgument(name.ptr(), text)) {
            raise(PyExc_TypeError, "the name %R of node %R is not encodable as UTF-8", name.ptr(), node.ptr());
        }
        try {
            graph.addNode(std::string(text));
        } catch (const std::runtime_error&) {
            std::size_t earlier = 0;
            while (names[earlier] != text) ++earlier;
            raise(PyExc_RuntimeError, "duplicate nodes are not allowed: nodes %R and %R are both named %R",
                  nodes[earlier].ptr(), node.ptr(), name.ptr());
        }
        index[node] = names.size();
        names.push_back(text);
        nodes.push_back(py::reinterpret_borrow<py::object>(node));
        nameObjects.push_back(std::move(name));
    }

    std::vector<typename Store<W>::EdgeSpec> batch;
    const py::object edges = multigraph ? source.attr("edges")(py::arg("keys") = true, py::arg("data") = true)
                                        : source.attr("edges")(py::arg("data") = true);
    for (py::handle item : py::reinterpret_borrow<py::iterable>(edges)) {
        const Py_ssize_t last = PyTuple_Check(item.ptr()) ? PyTuple_GET_SIZE(item.ptr()) - 1 : 0;  // the data
        if (last < 2 || !PyDict_Check(PyTuple_GET_ITEM(item.ptr(), last))) {
            raise(PyExc_TypeError, "edges(data=True) gave %R, not a tuple ending with a dict", item.ptr());
        }
        const auto fields = py::reinterpret_borrow<py::tuple>(item);
        const auto edge = py::reinterpret_steal<py::tuple>(PyTuple_GetSlice(fields.ptr(), 0, last));
        if (!edge) throw py::error_already_set();
        // Held while it is converted: its __index__ or __float__ may take it
        // out of the edge's data.
        auto given = py::reinterpret_borrow<py::object>(fallback);
        if (!weight.is_none()) {
            PyObject* found = PyDict_GetItemWithError(PyTuple_GET_ITEM(fields.ptr(), last), weight.ptr());
            if (found == nullptr && PyErr_Occurred()) throw py::error_already_set();
            if (found != nullptr) given = py::reinterpret_borrow<py::object>(found);
        }
        W value{};
        networkx_detail::weightOf(given.ptr(), edge.ptr(), value);
        const auto end = [&](Py_ssize_t k) { return names[index[fields[k]].cast<std::size_t>()]; };
        batch.push_back({end(0), end(1), value});
    }
    graph.addEdges(batch);
    return graph;
}

// A networkx MultiGraph or MultiDiGraph with the nodes in node order and one
// edge per addEdge call, in call order, each with its "weight".
template <class W>
py::object toNetworkx(const SharedGraph<W>& shared) {
    const py::module_ networkx = py::module_::import("networkx");
    const Read g(shared);
    py::object out = networkx.attr(g.graph().isDirected() ? "MultiDiGraph" : "MultiGraph")();
    py::list nodes(g.nodeCount());
    for (tarvel::NodeIndex i = 0; i < g.nodeCount(); ++i) {
        PyObject* name = g.cachedName(i);
        if (name == nullptr) throw py::error_already_set();
        Py_INCREF(name);
        PyList_SET_ITEM(nodes.ptr(), static_cast<Py_ssize_t>(i), name);
    }
    // The edge records stay held by the read while their tuples are made.
    const auto records = g.view().edges();
    py::list edges(records.size());
    SignalPoll poll;
    for (std::size_t k = 0; k < records.size(); ++k) {
        poll();
        PyObject* triple = PyTuple_New(3);
        if (triple == nullptr) throw py::error_already_set();
        PyList_SET_ITEM(edges.ptr(), static_cast<Py_ssize_t>(k), triple);
        for (int end = 0; end < 2; ++end) {
            PyObject* name = PyList_GET_ITEM(nodes.ptr(), end == 0 ? records[k].source : records[k].target);
            Py_INCREF(name);
            PyTuple_SET_ITEM(triple, end, name);
        }
        PyObject* w = weightObject(records[k].weight);
        if (w == nullptr) throw py::error_already_set();
        PyTuple_SET_ITEM(triple, 2, w);
    }
    out.attr("add_nodes_from")(nodes);
    out.attr("add_weighted_edges_from")(edges);
    return out;
}

}  // namespace tarvel_python
