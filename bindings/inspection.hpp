// What a graph holds, as Python objects: its nodes, its edges (one per
// addEdge call), a node's adjacency list, counts, path weights, whether an
// edge joins two nodes, membership and the repr.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <string>
#include <string_view>
#include <vector>

#include "arguments.hpp"
#include "edge_type.hpp"
#include "graph_object.hpp"
#include "results.hpp"

namespace tarvel_python {
namespace inspection {

inline PyObject* nodes(PyObject* self, PyObject*) {
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        py::list out(g.nodeCount());
        SignalPoll poll;
        for (tarvel::NodeIndex i = 0; i < g.nodeCount(); ++i) {
            poll();
            PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(i), g.name(i));
        }
        return out;
    });
}

// One Edge per addEdge call, in call order.
inline PyObject* edges(PyObject* self, PyObject*) {
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        return edgeList(g, g.view().edges());
    });
}

// The pairs are made while the read holds the list: making them may run a
// garbage collection, whose finalizers may let other threads write.
inline PyObject* neighbors(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::neighbors;
    PyObject* given[1];
    std::string_view name;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameArgument("neighbors", "name", given[0], name)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const auto entries = g.view().neighbors(g.graph().indexOf(name));
        py::list out(entries.size());
        SignalPoll poll;
        for (std::size_t k = 0; k < entries.size(); ++k) {
            poll();
            PyObject* pair = PyTuple_New(2);
            if (pair == nullptr) throw py::error_already_set();
            PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), pair);
            PyTuple_SET_ITEM(pair, 0, g.name(entries[k].target));
            PyObject* weight = weightObject(entries[k].weight);
            if (weight == nullptr) throw py::error_already_set();
            PyTuple_SET_ITEM(pair, 1, weight);
        }
        return out;
    });
}

// The counts and the membership test are answered holding the interpreter
// lock with no Python code in between: no write can come between them.
inline PyObject* nodeCount(PyObject* self, PyObject*) {
    return onGraph(self, [](auto& g) { return py::int_(contents(g).nodeCount()); });
}

inline PyObject* edgeCount(PyObject* self, PyObject*) {
    return onGraph(self, [](auto& g) { return py::int_(contents(g).edgeCount()); });
}

inline PyObject* pathWeight(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::pathWeight;
    PyObject* given[1];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    PyObject* path = given[0];
    if (PyUnicode_Check(path) || PyBytes_Check(path) || PyByteArray_Check(path) || !PySequence_Check(path)) {
        wrongType("pathWeight", "path", "a sequence of names", path);
        return nullptr;
    }
    // The names copied out first: reading the sequence may run Python code.
    std::vector<std::string> names;
    {
        const auto items = py::reinterpret_steal<py::object>(PySequence_Fast(path, "pathWeight(): path must be a sequence"));
        if (!items) return nullptr;
        const Py_ssize_t count = PySequence_Fast_GET_SIZE(items.ptr());
        names.reserve(static_cast<std::size_t>(count));
        for (Py_ssize_t k = 0; k < count; ++k) {
            std::string_view name;
            if (!nameArgument("pathWeight", "each name of the path", PySequence_Fast_GET_ITEM(items.ptr(), k), name)) {
                return nullptr;
            }
            names.emplace_back(name);
        }
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        return py::reinterpret_steal<py::object>(number(g.graph().pathWeight(names)));
    });
}

inline PyObject* hasEdge(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::hasEdge;
    PyObject* given[2];
    std::string_view source, destination;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !nameArgument("hasEdge", "source", given[0], source) ||
        !nameArgument("hasEdge", "destination", given[1], destination)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        return g.graph().hasEdge(source, destination);
    });
}

// `x in graph`: false for an object that cannot be a name, as a set of
// strings answers for an int.
inline int contains(PyObject* self, PyObject* name) {
    AnyGraph* graph = graphOf(self);
    if (graph == nullptr) return -1;
    std::string_view text;
    if (!nameArgument(name, text)) return 0;
    return std::visit([&](auto& g) { return contents(g).hasNode(text) ? 1 : 0; }, *graph);
}

// Shown by debuggers and in error texts, so it must not fail on a graph
// whose __init__ never ran.
inline PyObject* repr(PyObject* self) {
    AnyGraph* graph = reinterpret_cast<GraphObject*>(self)->graph;
    if (graph == nullptr) return PyUnicode_FromString("<uninitialized tarvel.Graph>");
    const auto count = [](std::size_t n, const char* what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    const std::string text = std::visit(
        [&](auto& g) {
            const auto& now = contents(g);
            using Weight = typename std::remove_reference_t<decltype(now)>::Weight;
            return "<tarvel.Graph " + std::string(now.isDirected() ? "directed" : "undirected") +
                   (std::is_same_v<Weight, double> ? ", float weights" : "") + ", " + count(now.nodeCount(), "node") +
                   ", " + count(now.edgeCount(), "edge") + ">";
        },
        *graph);
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

}  // namespace inspection
}  // namespace tarvel_python
