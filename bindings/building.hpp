// The calls that build a graph, written against the C API: they are made
// millions of times, and a general dispatch costs more than the work.
// addNode, hasNode and addEdge take one item; addNodes and addEdges a whole
// batch, all or nothing. Every name is copied out of its Python object
// before anything can run other code (shared_graph.hpp's write).
#pragma once

#include <Python.h>

#include <forward_list>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.hpp"
#include "engine.hpp"
#include "graph_object.hpp"
#include "weight_arguments.hpp"

namespace tarvel_python {
namespace building {

// Whether Ctrl-C was pressed, for a batch being applied: asked holding the
// interpreter lock, it runs no handler (which could run Python code in the
// middle of the change) but takes the signal, which the caller gives back
// once the change is taken back.
inline bool ctrlCPressed() { return onMainThread() && PyOS_InterruptOccurred() != 0; }

// One node or one edge: at once when no read holds the graph (the common
// case, which must cost little: graphs are built a call at a time too),
// else as any change.
template <class W, class Prepare, class Apply>
void changeOne(SharedGraph<W>& g, Prepare&& prepare, Apply&& apply) {
    if (readingOn(&g) == nullptr && writeAtOnce(g, prepare, apply)) return;
    change(g, prepare, apply);
}

// Makes a change to `g` (shared_graph.hpp's write), hearing Ctrl-C while it
// is prepared, while a version held by reads is copied and, for a batch,
// while it is applied: a batch whose apply step was stopped is taken back
// and SIGINT handled as it would have been; when its handler raises
// nothing, the change is made after all.
template <class W, class Prepare, class Apply>
void change(SharedGraph<W>& g, Prepare&& prepare, Apply&& apply) {
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

// A name kept as a view into an immutable object (str, bytes), or copied
// (bytearray, which other code may resize before the write is done).
class Names {
public:
    bool add(const char* method, const char* what, PyObject* object, std::string_view& name) {
        if (!nameArgument(method, what, object, name)) return false;
        if (PyByteArray_Check(object)) {
            copies.emplace_front(name);
            name = copies.front();
        }
        return true;
    }

private:
    std::forward_list<std::string> copies;  // stable addresses, nothing allocated while empty
};

inline PyObject* addNode(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::addNode;
    PyObject* given[1];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    std::string_view name;
    if (!nameArgument("addNode", "name", given[0], name)) return nullptr;
    return onGraph(self, [&](auto& g) {
        using Graph = std::remove_reference_t<decltype(g.version()->graph)>;
        const std::string copy(name);
        changeOne(
            g, [&](const Graph& now) { return now.prepareNode(copy); },
            [&](Graph& now, const typename Graph::PreparedNode& node) { now.apply(copy, node); });
        return py::none();
    });
}

inline PyObject* hasNode(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::hasNode;
    PyObject* given[1];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    std::string_view name;
    if (!nameArgument("hasNode", "name", given[0], name)) return nullptr;
    // Answered holding the interpreter lock, with no Python code in between.
    return onGraph(self, [&](auto& g) { return contents(g).hasNode(name); });
}

inline PyObject* addEdge(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::addEdge;
    PyObject* given[3];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    return onGraph(self, [&](auto& g) {
        using Graph = std::remove_reference_t<decltype(g.version()->graph)>;
        typename Graph::Weight weight{};
        // The weight first: converting it may run Python code, which may
        // change a bytearray name; the names are copied or viewed after.
        if (given[2] != nullptr && !weightArgument(given[2], weight)) throw py::error_already_set();
        Names names;
        std::string_view src, dest;
        if (!names.add("addEdge", "src", given[0], src) || !names.add("addEdge", "dest", given[1], dest)) {
            throw py::error_already_set();
        }
        changeOne(
            g, [&](const Graph& now) { return now.prepareEdge(src, dest, weight); },
            [](Graph& now, const typename Graph::PreparedEdge& edge) { now.apply(edge); });
        return py::none();
    });
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

    // The next item, or a null object at the end; throws what the
    // iteration raises.
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
    void add(std::string_view name) {
        spans.push_back({bytes.size(), name.size()});
        bytes.append(name);
    }

    // The k-th name; valid once every name is added.
    std::string_view view(std::size_t k) const {
        return std::string_view(bytes).substr(spans[k].first, spans[k].second);
    }

    void reserve(std::size_t names) {
        spans.reserve(names);
        bytes.reserve(names * 8);
    }

private:
    std::string bytes;
    std::vector<std::pair<std::size_t, std::size_t>> spans;
};

inline PyObject* addNodes(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::addNodes;
    PyObject* given[1];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    return onGraph(self, [&](auto& g) {
        using Graph = std::remove_reference_t<decltype(g.version()->graph)>;
        Items items(given[0]);
        std::vector<std::string> batch;
        batch.reserve(items.expected());
        SignalPoll poll;
        for (std::size_t k = 0;; ++k) {
            poll();
            const py::object item = items.next();
            if (!item) break;
            std::string_view name;
            if (!nameArgument("addNodes", "name", item.ptr(), name)) {
                prefixPending(k);
                throw py::error_already_set();
            }
            batch.emplace_back(name);
        }
        change(
            g, [&](const Graph& now) { return now.prepareNodes(batch); },
            [&](Graph& now, const typename Graph::PreparedNodes& nodes) { now.apply(batch, nodes, &ctrlCPressed); });
        return py::none();
    });
}

inline PyObject* addEdges(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::addEdges;
    PyObject* given[1];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    return onGraph(self, [&](auto& g) {
        using Graph = std::remove_reference_t<decltype(g.version()->graph)>;
        using Weight = typename Graph::Weight;
        Items items(given[0]);
        NameArena names;
        names.reserve(2 * items.expected());
        std::vector<Weight> weights;
        weights.reserve(items.expected());
        SignalPoll poll;
        for (std::size_t k = 0;; ++k) {
            poll();
            // The names of a batch are objects all over memory: touch the
            // ones a few items ahead before they are needed.
            if (PyObject* ahead = items.ahead(8);
                ahead != nullptr && PyTuple_CheckExact(ahead) && PyTuple_GET_SIZE(ahead) >= 2) {
                tarvel::detail::prefetch(PyTuple_GET_ITEM(ahead, 0));
                tarvel::detail::prefetch(PyTuple_GET_ITEM(ahead, 1));
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
                throw py::error_already_set();
            }
            PyObject* const* values = &PyTuple_GET_ITEM(fields.ptr(), 0);
            std::string_view src, dest;
            Weight weight{};
            // The weight first: converting it may run Python code, which
            // may change a bytearray name; the names are copied at once.
            if ((size == 3 && !weightArgument(values[2], weight)) || !nameArgument("addEdges", "src", values[0], src) ||
                !nameArgument("addEdges", "dest", values[1], dest)) {
                prefixPending(k);
                throw py::error_already_set();
            }
            names.add(src);
            names.add(dest);
            weights.push_back(weight);
        }
        std::vector<typename Graph::EdgeSpec> batch;
        batch.reserve(weights.size());
        for (std::size_t k = 0; k < weights.size(); ++k) {
            batch.push_back({names.view(2 * k), names.view(2 * k + 1), weights[k]});
        }
        change(
            g, [&](const Graph& now) { return now.prepareEdges(batch); },
            [](Graph& now, const typename Graph::PreparedEdges& edges) { now.apply(edges, &ctrlCPressed); });
        return py::none();
    });
}

}  // namespace building
}  // namespace tarvel_python
