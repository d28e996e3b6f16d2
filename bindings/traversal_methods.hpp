// The Graph methods of the breadth-first and depth-first traversals:
// breadthFirstEdges, breadthFirstLayers, depthFirstLabeledEdges. Each
// returns a list; the sources are names in the order given (a repeated one
// counts once).
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "algorithm_methods.hpp"
#include "arguments.hpp"
#include "engine.hpp"
#include "graph_object.hpp"
#include "results.hpp"

namespace tarvel_python {
namespace traversals {

// Sources: one name, or an iterable of names (kept in order).
inline bool sourcesArgument(const char* method, PyObject* object, std::vector<std::string>& names) {
    if (PyUnicode_Check(object) || PyBytes_Check(object)) {
        std::string_view name;
        if (!nameArgument(method, "sources", object, name)) return false;
        names.emplace_back(name);
        return true;
    }
    std::optional<std::vector<std::string>> found;
    if (!algorithms::nameListArgument(method, "sources", object, found)) return false;
    names = std::move(*found);
    return true;
}

// depthLimit: None (no limit) or an int of at least 0.
inline bool depthLimitArgument(const char* method, PyObject* object, std::size_t& limit) {
    if (object == nullptr || object == Py_None) return true;
    long long value = 0;
    if (!longArgument(method, "depthLimit", object, 0, LLONG_MAX, value)) return false;
    limit = static_cast<std::size_t>(value);
    return true;
}

template <class W>
std::vector<tarvel::NodeIndex> indicesInOrder(const Read<W>& g, const std::vector<std::string>& names) {
    std::vector<tarvel::NodeIndex> nodes;
    nodes.reserve(names.size());
    for (const std::string& name : names) nodes.push_back(g.graph().indexOf(name));
    return nodes;
}

// A new tuple of the names of u and v (and `label`, borrowed, when given).
template <class W>
PyObject* nameTuple(const Read<W>& g, tarvel::NodeIndex u, tarvel::NodeIndex v, PyObject* label = nullptr) {
    PyObject* tuple = PyTuple_New(label == nullptr ? 2 : 3);
    if (tuple == nullptr) throw py::error_already_set();
    try {
        PyTuple_SET_ITEM(tuple, 0, g.name(u));
        PyTuple_SET_ITEM(tuple, 1, g.name(v));
    } catch (...) {
        Py_DECREF(tuple);
        throw;
    }
    if (label != nullptr) {
        Py_INCREF(label);
        PyTuple_SET_ITEM(tuple, 2, label);
    }
    return tuple;
}

inline PyObject* breadthFirstEdges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::breadthFirstEdges;
    PyObject* given[3];
    std::vector<std::string> names;
    std::size_t limit = tarvel::NoDepthLimit;
    bool reverse = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !sourcesArgument(signature.name, given[0], names) || !depthLimitArgument(signature.name, given[1], limit) ||
        (given[2] != nullptr && !flagArgument(signature.name, "reverse", given[2], reverse))) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const auto sources = indicesInOrder(g, names);
        const auto edges = released([&] { return tarvel::breadthFirstEdges(g.view(), sources, limit, reverse); });
        py::list out(edges.size());
        SignalPoll poll;
        for (std::size_t k = 0; k < edges.size(); ++k) {
            poll();
            PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), nameTuple(g, edges[k].first, edges[k].second));
        }
        return out;
    });
}

inline PyObject* breadthFirstLayers(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::breadthFirstLayers;
    PyObject* given[2];
    std::vector<std::string> names;
    std::size_t limit = tarvel::NoDepthLimit;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !sourcesArgument(signature.name, given[0], names) || !depthLimitArgument(signature.name, given[1], limit)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const auto sources = indicesInOrder(g, names);
        return nameLists(g, released([&] { return tarvel::breadthFirstLayers(g.view(), sources, limit); }));
    });
}

// The label strings, made once (interned) and kept.
inline PyObject* labelName(tarvel::DepthFirstLabel label) {
    static PyObject* const names[] = {
        PyUnicode_InternFromString("forward"), PyUnicode_InternFromString("nontree"),
        PyUnicode_InternFromString("reverse"), PyUnicode_InternFromString("reverse-depth_limit")};
    switch (label) {
        case tarvel::DepthFirstLabel::Forward: return names[0];
        case tarvel::DepthFirstLabel::Nontree: return names[1];
        case tarvel::DepthFirstLabel::Reverse: return names[2];
        default: return names[3];
    }
}

// labels: None (every label) or an iterable of label names.
inline bool labelsArgument(const char* method, PyObject* object, unsigned& mask) {
    if (object == nullptr || object == Py_None) return true;
    const auto iterator = py::reinterpret_steal<py::object>(
        PyUnicode_Check(object) ? nullptr : PyObject_GetIter(object));
    if (!iterator) {
        PyErr_Clear();
        wrongType(method, "labels", "an iterable of label names or None", object);
        return false;
    }
    mask = 0;
    while (const auto item = py::reinterpret_steal<py::object>(PyIter_Next(iterator.ptr()))) {
        const char* text = PyUnicode_Check(item.ptr()) ? PyUnicode_AsUTF8(item.ptr()) : nullptr;
        unsigned bit = 0;
        for (const auto label : {tarvel::DepthFirstLabel::Forward, tarvel::DepthFirstLabel::Nontree,
                                 tarvel::DepthFirstLabel::Reverse, tarvel::DepthFirstLabel::ReverseDepthLimit}) {
            if (text != nullptr && std::strcmp(text, PyUnicode_AsUTF8(labelName(label))) == 0)
                bit = static_cast<unsigned>(label);
        }
        if (bit == 0) {
            PyErr_Clear();
            PyErr_Format(PyExc_ValueError,
                         "%s(): unknown label %R (the labels are 'forward', 'nontree', 'reverse' and "
                         "'reverse-depth_limit')",
                         method, item.ptr());
            return false;
        }
        mask |= bit;
    }
    return !PyErr_Occurred();
}

inline PyObject* depthFirstLabeledEdges(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                        PyObject* kwnames) {
    const Method& signature = table::depthFirstLabeledEdges;
    PyObject* given[3];
    std::optional<std::vector<std::string>> names;
    std::size_t limit = tarvel::NoDepthLimit;
    unsigned mask = tarvel::AllDepthFirstLabels;
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    if (given[0] != nullptr && given[0] != Py_None) {
        names.emplace();
        if (!sourcesArgument(signature.name, given[0], *names)) return nullptr;
    }
    if (!depthLimitArgument(signature.name, given[1], limit) || !labelsArgument(signature.name, given[2], mask)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        std::optional<std::vector<tarvel::NodeIndex>> starts;
        if (names) starts = indicesInOrder(g, *names);
        const auto steps = released([&] {
            return starts ? tarvel::depthFirstLabeledEdges(g.view(), *starts, limit, mask)
                          : tarvel::wholeDepthFirstLabeledEdges(g.view(), limit, mask);
        });
        py::list out(steps.size());
        SignalPoll poll;
        for (std::size_t k = 0; k < steps.size(); ++k) {
            poll();
            const tarvel::LabeledEdge& e = steps[k];
            PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k),
                            nameTuple(g, e.source, e.target, labelName(e.label)));
        }
        return out;
    });
}

}  // namespace traversals
}  // namespace tarvel_python
