// The calls that build a graph, written against the C API: they are made
// millions of times, and pybind11's general dispatch costs more than the
// work. addNode, hasNode and addEdge accept what their pybind11 forms
// accepted and refuse the rest with the same TypeError text; addNodes and
// addEdges take a whole batch, all or nothing.
#pragma once

#include <Python.h>

#include <forward_list>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.hpp"
#include "engine.hpp"
#include "errors.hpp"
#include "python_graph.hpp"

namespace tarvel_python {

// Sets the Python error for the C++ exception in flight.
inline void raiseCurrent() noexcept {
    try {
        throw;
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const py::builtin_exception& e) {
        e.set_error();
    } catch (...) {
        try {
            translateErrors(std::current_exception());
        } catch (...) {
            PyErr_SetString(PyExc_RuntimeError, "Caught an unknown exception!");
        }
    }
}

namespace building {

inline const char* const AddNodeSignature =
    "addNode(): incompatible function arguments. The following argument types are supported:\n"
    "    1. (self: tarvel.Graph, arg0: str) -> None";
inline const char* const HasNodeSignature =
    "hasNode(): incompatible function arguments. The following argument types are supported:\n"
    "    1. (self: tarvel.Graph, arg0: str) -> bool";
inline const char* const AddEdgeSignature =
    "addEdge(): incompatible function arguments. The following argument types are supported:\n"
    "    1. (self: tarvel.Graph, src: str, dest: str, weight: typing.SupportsInt | typing.SupportsIndex = 0) -> None";

inline bool noKeywords(PyObject* kwnames) { return kwnames == nullptr || PyTuple_GET_SIZE(kwnames) == 0; }

// Names held as views into immutable objects (str, bytes), or copied
// (bytearray): a write may run other code before it is done (signal
// handlers, other threads while it copies), which may resize a bytearray.
class NameViews {
public:
    bool add(PyObject* object, std::string_view& name) {
        if (!nameArgument(object, name)) return false;
        if (PyByteArray_Check(object)) {
            copies.emplace_front(name);
            name = copies.front();
        }
        return true;
    }

private:
    std::forward_list<std::string> copies;  // stable addresses, nothing allocated while empty
};

// Whether Ctrl-C was pressed, for a batch being applied: asked holding the
// interpreter lock, it runs no handler (which could run Python code in the
// middle of the change) but takes the signal, which the caller gives back
// once the change is taken back.
inline bool ctrlCPressed() { return onMainThread() && PyOS_InterruptOccurred() != 0; }

// Makes a change to `g` (shared_graph.hpp's write), hearing Ctrl-C while it
// is prepared, while a version held by reads is copied and, for a batch,
// while it is applied: a batch whose apply step was stopped is taken back
// and SIGINT handled as it would have been; when its handler raises
// nothing, the change is made after all.
template <class Prepare, class Apply>
void change(PyGraph& g, Prepare&& prepare, Apply&& apply) {
    SignalScope signals;
    for (;;) {
        try {
            write(g, prepare, apply);
            return;
        } catch (const tarvel::Interrupted&) {
            if (!onMainThread()) throw;  // a check's own, not Ctrl-C's
            PyErr_SetInterrupt();
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        }
    }
}

inline PyObject* addNode(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyGraph* g = graphOf(self);
    if (g == nullptr) return nullptr;
    std::string_view name;
    if (nargs != 1 || !noKeywords(kwnames) || !nameArgument(args[0], name)) {
        raiseIncompatible(AddNodeSignature, self, args, nargs, kwnames);
        return nullptr;
    }
    try {
        const std::string copy(name);
        change(
            *g, [&](const Graph& now) { return now.prepareNode(copy); },
            [&](Graph& now, const Graph::PreparedNode& node) { now.apply(copy, node); });
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
    Py_RETURN_NONE;
}

inline PyObject* hasNode(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyGraph* g = graphOf(self);
    if (g == nullptr) return nullptr;
    std::string_view name;
    if (nargs != 1 || !noKeywords(kwnames) || !nameArgument(args[0], name)) {
        raiseIncompatible(HasNodeSignature, self, args, nargs, kwnames);
        return nullptr;
    }
    return PyBool_FromLong(contents(*g).hasNode(name));
}

// src, dest and weight from positional and keyword arguments, as
// addEdge(src, dest, weight=0) takes them; the names through `views`.
inline bool edgeArguments(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, NameViews& views,
                          std::string_view& src, std::string_view& dest, int& weight) {
    if (nargs > 3) return false;
    PyObject* given[3] = {nullptr, nullptr, nullptr};
    for (Py_ssize_t k = 0; k < nargs; ++k) given[k] = args[k];
    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < keywords; ++k) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, k);
        int slot = -1;
        if (PyUnicode_CompareWithASCIIString(key, "src") == 0) slot = 0;
        if (PyUnicode_CompareWithASCIIString(key, "dest") == 0) slot = 1;
        if (PyUnicode_CompareWithASCIIString(key, "weight") == 0) slot = 2;
        if (slot < 0 || given[slot] != nullptr) return false;
        given[slot] = args[nargs + k];
    }
    weight = 0;
    // The weight first: converting it may run Python code, which may change
    // a bytearray name.
    return given[0] != nullptr && given[1] != nullptr && (given[2] == nullptr || intArgument(given[2], weight)) &&
           views.add(given[0], src) && views.add(given[1], dest);
}

inline PyObject* addEdge(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyGraph* g = graphOf(self);
    if (g == nullptr) return nullptr;
    try {
        NameViews views;
        std::string_view src, dest;
        int weight = 0;
        if (!edgeArguments(args, nargs, kwnames, views, src, dest, weight)) {
            raiseIncompatible(AddEdgeSignature, self, args, nargs, kwnames);
            return nullptr;
        }
        change(
            *g, [&](const Graph& now) { return now.prepareEdge(src, dest, weight); },
            [](Graph& now, const Graph::PreparedEdge& edge) { now.apply(edge); });
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
    Py_RETURN_NONE;
}

// Prefixes the pending Python error's message with "item K: ".
inline void prefixPending(std::size_t item) {
    PyObject *type, *value, *traceback;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    PyObject* text = value == nullptr ? nullptr : PyObject_Str(value);
    if (text != nullptr) {
        PyErr_Format(type, "item %zu: %U", item, text);
        Py_DECREF(text);
        Py_XDECREF(type);
        Py_XDECREF(value);
        Py_XDECREF(traceback);
    } else {
        PyErr_Restore(type, value, traceback);
    }
}

// The items of an iterable, one new reference at a time: a list by index
// (its length read again at each step, as a list iterator does), anything
// else through its iterator. No snapshot is taken: copying a long list
// first is a pause that Ctrl-C cannot break, and dropping the copy after an
// interrupt another one.
class Items {
public:
    explicit Items(PyObject* iterable) {
        if (PyList_CheckExact(iterable)) {
            list = py::reinterpret_borrow<py::object>(iterable);
        } else {
            iterator = py::reinterpret_steal<py::object>(PyObject_GetIter(iterable));
            if (!iterator) throw py::error_already_set();
        }
    }

    // The next item, or nullptr at the end; throws what the iteration raises.
    py::object next() {
        if (list) {
            if (position >= PyList_GET_SIZE(list.ptr())) return py::object();
            return py::reinterpret_borrow<py::object>(PyList_GET_ITEM(list.ptr(), position++));
        }
        auto item = py::reinterpret_steal<py::object>(PyIter_Next(iterator.ptr()));
        if (!item && PyErr_Occurred()) throw py::error_already_set();
        return item;
    }

    // The number of items when known beforehand, else 0.
    std::size_t expected() const { return list ? static_cast<std::size_t>(PyList_GET_SIZE(list.ptr())) : 0; }

    // An item some places ahead, borrowed, to fetch into the cache; or nullptr.
    PyObject* ahead(Py_ssize_t places) const {
        if (!list || position + places >= PyList_GET_SIZE(list.ptr())) return nullptr;
        return PyList_GET_ITEM(list.ptr(), position + places);
    }

private:
    py::object list, iterator;
    Py_ssize_t position = 0;
};

// The names of a batch copied into one buffer as they are read, so that the
// batch keeps no Python object (code that runs before the change is made
// may free or change them) and reads them from one place.
class NameArena {
public:
    // Appends `name`; its position for view().
    std::size_t add(std::string_view name) {
        spans.push_back({bytes.size(), name.size()});
        bytes.append(name);
        return spans.size() - 1;
    }

    // The k-th name; valid once every name is added.
    std::string_view view(std::size_t k) const { return std::string_view(bytes).substr(spans[k].first, spans[k].second); }

    void reserve(std::size_t names) {
        spans.reserve(names);
        bytes.reserve(names * 8);
    }

private:
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
};

inline PyObject* addNodes(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyGraph* g = graphOf(self);
    if (g == nullptr) return nullptr;
    if (nargs != 1 || !noKeywords(kwnames)) {
        PyErr_SetString(PyExc_TypeError, "addNodes() takes one argument: an iterable of names");
        return nullptr;
    }
    try {
        Items items(args[0]);
        std::vector<std::string> batch;
        batch.reserve(items.expected());
        SignalPoll poll;
        for (std::size_t k = 0;; ++k) {
            poll();
            const py::object item = items.next();
            if (!item) break;
            std::string_view name;
            if (!nameArgument(item.ptr(), name)) {
                PyObject* given = item.ptr();
                raiseIncompatible(AddNodeSignature, self, &given, 1, nullptr);
                prefixPending(k);
                return nullptr;
            }
            batch.emplace_back(name);
        }
        change(
            *g, [&](const Graph& now) { return now.prepareNodes(batch); },
            [&](Graph& now, const Graph::PreparedNodes& nodes) { now.apply(batch, nodes, &ctrlCPressed); });
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
    Py_RETURN_NONE;
}

inline PyObject* addEdges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyGraph* g = graphOf(self);
    if (g == nullptr) return nullptr;
    if (nargs != 1 || !noKeywords(kwnames)) {
        PyErr_SetString(PyExc_TypeError,
                        "addEdges() takes one argument: an iterable of (src, dest) or (src, dest, weight)");
        return nullptr;
    }
    try {
        Items items(args[0]);
        NameArena names;
        names.reserve(2 * items.expected());
        std::vector<int> weights;
        weights.reserve(items.expected());
        SignalPoll poll;
        for (std::size_t k = 0;; ++k) {
            poll();
            // The names of a batch are objects all over memory: touch the
            // ones a few items ahead before they are needed.
            if (PyObject* ahead = items.ahead(8); ahead != nullptr && PyTuple_CheckExact(ahead) &&
                                                   PyTuple_GET_SIZE(ahead) >= 2) {
                __builtin_prefetch(PyTuple_GET_ITEM(ahead, 0));
                __builtin_prefetch(PyTuple_GET_ITEM(ahead, 1));
            }
            const py::object item = items.next();
            if (!item) break;
            py::object fields = item;
            if (!PyTuple_Check(item.ptr())) {
                const bool text =
                    PyUnicode_Check(item.ptr()) || PyBytes_Check(item.ptr()) || PyByteArray_Check(item.ptr());
                fields = text || !PySequence_Check(item.ptr())
                             ? py::object()
                             : py::reinterpret_steal<py::object>(PySequence_Tuple(item.ptr()));
                if (!fields) PyErr_Clear();
            }
            const Py_ssize_t size = fields ? PyTuple_GET_SIZE(fields.ptr()) : 0;
            if (size < 2 || size > 3) {
                PyErr_Format(PyExc_TypeError, "item %zu: an edge is (src, dest) or (src, dest, weight), not %R", k,
                             item.ptr());
                return nullptr;
            }
            PyObject* const* values = &PyTuple_GET_ITEM(fields.ptr(), 0);
            std::string_view src, dest;
            int weight = 0;
            // The weight first: converting it may run Python code, which
            // may change a bytearray name; the names are copied at once.
            if ((size == 3 && !intArgument(values[2], weight)) || !nameArgument(values[0], src) ||
                !nameArgument(values[1], dest)) {
                raiseIncompatible(AddEdgeSignature, self, values, size, nullptr);
                prefixPending(k);
                return nullptr;
            }
            names.add(src);
            names.add(dest);
            weights.push_back(weight);
        }
        std::vector<Graph::EdgeSpec> batch;
        batch.reserve(weights.size());
        for (std::size_t k = 0; k < weights.size(); ++k) {
            batch.push_back({names.view(2 * k), names.view(2 * k + 1), weights[k]});
        }
        change(
            *g, [&](const Graph& now) { return now.prepareEdges(batch); },
            [](Graph& now, const Graph::PreparedEdges& edges) { now.apply(edges, &ctrlCPressed); });
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
    Py_RETURN_NONE;
}

inline PyMethodDef methods[] = {
    {"addNode", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(addNode)), METH_FASTCALL | METH_KEYWORDS,
     "addNode($self, arg0, /)\n--\n\n"
     "Add a node.\n\nRaises RuntimeError 'duplicate nodes are not allowed' for a name already present. "
     "Amortised O(1)."},
    {"hasNode", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(hasNode)), METH_FASTCALL | METH_KEYWORDS,
     "hasNode($self, arg0, /)\n--\n\nTrue when the name is a node of the graph. O(1)."},
    {"addEdge", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(addEdge)), METH_FASTCALL | METH_KEYWORDS,
     "addEdge($self, /, src, dest, weight=0)\n--\n\n"
     "Add an edge from src to dest (both ways in an undirected graph).\n\n"
     "Parallel edges and self-loops are kept. Raises IndexError naming a name that is not a node; the graph "
     "is then unchanged. Amortised O(1)."},
    {"addNodes", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(addNodes)), METH_FASTCALL | METH_KEYWORDS,
     "addNodes($self, names, /)\n--\n\n"
     "Add every name of an iterable, in order, all or nothing.\n\n"
     "An item that addNode would refuse (a duplicate, also within the batch, or a name of the wrong type) "
     "raises what addNode raises, its message starting 'item K: ' (K counting from 0); the graph is then "
     "unchanged. Amortised O(1) per name."},
    {"addEdges", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(addEdges)), METH_FASTCALL | METH_KEYWORDS,
     "addEdges($self, edges, /)\n--\n\n"
     "Add every edge of an iterable of (src, dest) or (src, dest, weight), in order, all or nothing.\n\n"
     "An item that addEdge would refuse (an unknown name, a weight of the wrong type or range) raises what "
     "addEdge raises, its message starting 'item K: ' (K counting from 0); the graph is then unchanged. "
     "O(B log B) for B edges."},
    {nullptr, nullptr, 0, nullptr},
};

// Adds methods[k] to the class `type` as a method.
inline void addMethod(const py::handle& type, PyMethodDef& method) {
    PyObject* descriptor = PyDescr_NewMethod(reinterpret_cast<PyTypeObject*>(type.ptr()), &method);
    if (descriptor == nullptr || PyObject_SetAttrString(type.ptr(), method.ml_name, descriptor) != 0) {
        Py_XDECREF(descriptor);
        throw py::error_already_set();
    }
    Py_DECREF(descriptor);
}

}  // namespace building
}  // namespace tarvel_python
