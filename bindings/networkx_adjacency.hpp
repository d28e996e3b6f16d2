// The networkx backend's conversion, read straight from networkx's own
// adjacency dicts (G._adj: node -> {neighbour: edge data}, or for a
// multigraph node -> {neighbour: {key: edge data}}) into one bulk build of a
// directed tarvel graph whose node k is named "k". It builds what the
// backend's Python conversion (tarvel_networkx/graph.py, convert_plain)
// builds, entry for entry, at a fraction of its cost: no Python tuple or
// name per entry, no name look-up in the store.
//
// Exposed as the private static method Graph._fromAdjacency; only the
// backend calls it. It runs holding the interpreter lock (it reads Python
// dicts) and builds the store with the lock released.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "engine.hpp"
#include "graph_object.hpp"

namespace tarvel_python {
namespace adjacency {

// Node index by the identity of the node's own object (the outer dict's
// key): networkx mostly stores the same objects as neighbours, so most
// look-ups need neither a hash of the object nor its __eq__. Open
// addressing over pointers; the objects are held by the caller.
class IdentityIndex {
public:
    static constexpr std::uint32_t Missing = UINT32_MAX;

    explicit IdentityIndex(const std::vector<py::object>& nodes) {
        std::size_t size = 16;
        while (size < 2 * nodes.size()) size *= 2;
        mask = size - 1;
        slots.assign(size, Slot{nullptr, Missing});
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            std::size_t at = spot(nodes[k].ptr());
            while (slots[at].key != nullptr) at = (at + 1) & mask;
            slots[at] = Slot{nodes[k].ptr(), static_cast<std::uint32_t>(k)};
        }
    }

    std::uint32_t find(PyObject* key) const {
        for (std::size_t at = spot(key);; at = (at + 1) & mask) {
            if (slots[at].key == key || slots[at].key == nullptr) return slots[at].index;
        }
    }

    // Fetches the slot where find(key) starts into the cache.
    void prefetch(PyObject* key) const { tarvel::detail::prefetch(&slots[spot(key)]); }

private:
    struct Slot {
        PyObject* key;
        std::uint32_t index;
    };

    std::size_t spot(PyObject* key) const {
        return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(key) >> 4) * 0x9E3779B97F4A7C15ULL) & mask;
    }

    std::size_t mask = 0;
    std::vector<Slot> slots;
};

// What the weights of the walked entries hold, for the backend's
// classification (graph.py, Weights.summarised): the types met, the least
// and greatest value of each numeric family, and whether every float is
// finite. Each entry's weight is kept as a double: exact for every weight
// of a kind tarvel holds (32-bit ints, floats, ints below 2^53).
struct WeightSummary {
    std::size_t count = 0;
    bool ints = false, bools = false, floats = false, finite = true;
    long long intLow = 0, intHigh = 0;
    double floatLow = 0, floatHigh = 0;
    py::object bigLow, bigHigh;  // ints beyond 64 bits
    std::vector<py::object> others;  // the other types, in the order met
    std::vector<double> values;

    void record(PyObject* weight) {
        PyTypeObject* type = Py_TYPE(weight);
        ++count;
        if (type == &PyFloat_Type) {
            const double value = PyFloat_AS_DOUBLE(weight);
            if (!std::isfinite(value)) {
                finite = false;
            } else {
                floatLow = hasFloat ? std::min(floatLow, value) : value;
                floatHigh = hasFloat ? std::max(floatHigh, value) : value;
                hasFloat = true;
            }
            floats = true;
            values.push_back(value);
            return;
        }
        if (type == &PyLong_Type || type == &PyBool_Type) {
            (type == &PyBool_Type ? bools : ints) = true;
            int overflow = 0;
            const long long value = PyLong_AsLongLongAndOverflow(weight, &overflow);
            if (overflow != 0) {
                big(weight);  // no kind tarvel holds: its value only classifies
                values.push_back(1);
                return;
            }
            const bool first = !hasInt;
            intLow = first ? value : std::min(intLow, value);
            intHigh = first ? value : std::max(intHigh, value);
            hasInt = true;
            values.push_back(static_cast<double>(value));
            return;
        }
        bool known = false;
        for (const py::object& other : others) known = known || other.ptr() == reinterpret_cast<PyObject*>(type);
        if (!known) others.push_back(py::reinterpret_borrow<py::object>(reinterpret_cast<PyObject*>(type)));
        values.push_back(1);
    }

    // classify(count, types, lows, highs, finite) with the candidates of
    // each family for the least and the greatest value.
    py::object classify(const py::handle& classifier) const {
        py::list types, lows, highs;
        if (ints) types.append(py::handle(reinterpret_cast<PyObject*>(&PyLong_Type)));
        if (bools) types.append(py::handle(reinterpret_cast<PyObject*>(&PyBool_Type)));
        if (floats) types.append(py::handle(reinterpret_cast<PyObject*>(&PyFloat_Type)));
        for (const py::object& other : others) types.append(other);
        if (hasInt) {
            lows.append(py::int_(intLow));
            highs.append(py::int_(intHigh));
        }
        if (bigLow) {
            lows.append(bigLow);
            highs.append(bigHigh);
        }
        if (hasFloat) {
            lows.append(py::float_(floatLow));
            highs.append(py::float_(floatHigh));
        }
        return classifier(count, types, lows, highs, finite);
    }

private:
    // An exact int beyond 64 bits: compared as Python compares ints (no
    // code of the caller's runs).
    void big(PyObject* weight) {
        const auto keep = py::reinterpret_borrow<py::object>(weight);
        if (!bigLow || PyObject_RichCompareBool(weight, bigLow.ptr(), Py_LT) == 1) bigLow = keep;
        if (!bigHigh || PyObject_RichCompareBool(weight, bigHigh.ptr(), Py_GT) == 1) bigHigh = keep;
    }

    bool hasInt = false, hasFloat = false;  // a value of the family seen (finite floats only)
};

[[noreturn]] inline void changedDuringWalk() {
    PyErr_SetString(PyExc_RuntimeError, "dictionary changed size during iteration");
    throw py::error_already_set();
}

// Thrown when the adjacency is not made of plain dicts: the backend then
// converts through networkx's mappings in Python.
struct NotPlain {};

inline PyObject* plainDict(PyObject* object) {
    if (!PyDict_CheckExact(object)) throw NotPlain{};
    return object;
}

// The weight of one edge's data: data.get(attribute, fallback), a new
// reference.
inline py::object weightIn(PyObject* data, PyObject* attribute, PyObject* fallback) {
    PyObject* found = PyDict_GetItemWithError(plainDict(data), attribute);
    if (found == nullptr && PyErr_Occurred()) throw py::error_already_set();
    return py::reinterpret_borrow<py::object>(found != nullptr ? found : fallback);
}

// The walk itself: every entry of every node's dict, in networkx's order.
class Walk {
public:
    Walk(PyObject* adj, PyObject* attribute, PyObject* fallback, bool merged)
        : adj(plainDict(adj)), attribute(attribute), fallback(fallback), merged(merged) {
        // The nodes and their dicts, held, before any code of the caller's
        // can run (a neighbour's __eq__ may change the graph).
        Py_ssize_t position = 0;
        PyObject *key, *value;
        nodes.reserve(static_cast<std::size_t>(PyDict_GET_SIZE(adj)));
        lists.reserve(nodes.capacity());
        while (PyDict_Next(adj, &position, &key, &value)) {
            nodes.push_back(py::reinterpret_borrow<py::object>(key));
            lists.push_back(py::reinterpret_borrow<py::object>(value));
        }
        for (const py::object& list : lists) plainDict(list.ptr());
    }

    void run() {
        const IdentityIndex identity(nodes);
        const bool weighted = attribute != Py_None;
        SignalPoll poll;
        for (std::size_t u = 0; u < lists.size(); ++u) {
            PyObject* list = lists[u].ptr();
            prefetch(u, identity);
            const Py_ssize_t size = PyDict_GET_SIZE(list);
            Py_ssize_t position = 0;
            PyObject *key, *value;
            while (PyDict_Next(list, &position, &key, &value)) {
                poll();
                // Held where code of the caller's may run (a look-up by
                // value, the weight's): it may take them out of the dict.
                py::object data;
                if (weighted) data = py::reinterpret_borrow<py::object>(value);
                std::uint32_t v = identity.find(key);
                if (v == IdentityIndex::Missing) v = byValue(py::reinterpret_borrow<py::object>(key));
                if (v == u) selfLoops.push_back(static_cast<std::uint32_t>(u));
                ends.push_back(static_cast<std::uint32_t>(u));
                ends.push_back(v);
                if (weighted) weights.record(weightOf(data.ptr()).ptr());
                if (PyDict_GET_SIZE(list) != size) changedDuringWalk();
            }
        }
        if (PyDict_GET_SIZE(adj) != static_cast<Py_ssize_t>(nodes.size())) changedDuringWalk();
    }

    // The graph of the walked entries: weighted as `type` says (int or
    // float), every weight 1 in an int graph for None.
    py::object build(const py::handle& type) {
        const bool floating = type.ptr() == reinterpret_cast<PyObject*>(&PyFloat_Type);
        const bool ones = attribute == Py_None || type.is_none();
        PyObject* graph = floating ? newGraph(released([&] { return make<double>(ones); }))
                                   : newGraph(released([&] { return make<int>(ones); }));
        if (graph == nullptr) throw py::error_already_set();
        return py::reinterpret_steal<py::object>(graph);
    }

    std::vector<py::object> nodes;
    std::vector<std::uint32_t> selfLoops;
    WeightSummary weights;

private:
    // What the walk of node u's entries reads is all over memory: the
    // slots of its neighbours in `identity` and (weighted) its edge data
    // dicts, each read through two pointers before the weight is found.
    // They are fetched a node ahead (the next node's slots and data dicts'
    // objects), then this node's data dicts' tables, read from the objects
    // fetched one step before, so that the waits overlap each other and
    // the walk; and the dicts of the nodes after that a step at a time.
    // Each pass reads pointers straight from the dicts (none is kept from
    // one step to the next: the walk may run code of the caller's).
    void prefetch(std::size_t u, const IdentityIndex& identity) {
        if (u + 3 < lists.size()) tarvel::detail::prefetch(lists[u + 3].ptr());
        if (u + 2 < lists.size()) {
            tarvel::detail::prefetch(reinterpret_cast<PyDictObject*>(lists[u + 2].ptr())->ma_keys);
        }
        const bool weighted = attribute != Py_None;
        Py_ssize_t position = 0;
        PyObject *key, *value;
        for (std::size_t node = u == 0 ? 0 : u + 1; node <= u + 1 && node < lists.size(); ++node) {
            position = 0;
            while (PyDict_Next(lists[node].ptr(), &position, &key, &value)) {
                identity.prefetch(key);
                if (weighted) tarvel::detail::prefetch<true>(value);  // its count is written when it is held
            }
        }
        if (!weighted) return;
        position = 0;
        while (PyDict_Next(lists[u].ptr(), &position, &key, &value)) {
            if (PyDict_CheckExact(value)) tarvel::detail::prefetch(reinterpret_cast<PyDictObject*>(value)->ma_keys);
        }
    }

    // The index of a neighbour that is not the node's own object: found by
    // hash and equality, as networkx finds it.
    std::uint32_t byValue(const py::object& neighbour) {
        if (!index) {
            py::dict made;
            for (std::size_t k = 0; k < nodes.size(); ++k) made[nodes[k]] = py::int_(k);
            index = std::move(made);
        }
        PyObject* found = PyDict_GetItemWithError(index.ptr(), neighbour.ptr());
        if (found == nullptr) {
            if (!PyErr_Occurred()) PyErr_SetObject(PyExc_KeyError, neighbour.ptr());
            throw py::error_already_set();
        }
        return static_cast<std::uint32_t>(PyLong_AsSize_t(found));
    }

    // The entry's weight; for a multigraph's merged form the least over its
    // parallel edges, as min() picks it (the first of equal ones).
    py::object weightOf(PyObject* data) {
        if (!merged) return weightIn(data, attribute, fallback);
        const auto keys = py::reinterpret_borrow<py::object>(plainDict(data));
        const Py_ssize_t size = PyDict_GET_SIZE(keys.ptr());
        if (size == 0) throw NotPlain{};  // min() of nothing: the plain procedure says what it says
        py::object least;
        Py_ssize_t position = 0;
        PyObject *key, *edge;
        while (PyDict_Next(keys.ptr(), &position, &key, &edge)) {
            const auto held = py::reinterpret_borrow<py::object>(edge);
            py::object weight = weightIn(held.ptr(), attribute, fallback);
            if (!least) {
                least = std::move(weight);
            } else {
                const int less = PyObject_RichCompareBool(weight.ptr(), least.ptr(), Py_LT);
                if (less < 0) throw py::error_already_set();
                if (less == 1) least = std::move(weight);
            }
            if (PyDict_GET_SIZE(keys.ptr()) != size) changedDuringWalk();
        }
        return least;
    }

    template <class W>
    Store<W> make(bool ones) {
        Store<W> graph(true);
        std::vector<std::string> names(nodes.size());
        for (std::size_t k = 0; k < names.size(); ++k) names[k] = std::to_string(k);
        graph.addNodes(std::move(names));
        typename Store<W>::PreparedEdges prepared;
        prepared.ends = std::move(ends);
        prepared.weights.resize(prepared.ends.size() / 2, W(1));
        if (!ones) {
            for (std::size_t k = 0; k < prepared.weights.size(); ++k) {
                const double value = weights.values[k];
                if constexpr (std::is_integral_v<W>) {
                    // The classifier is the caller's: a value its choice of
                    // int cannot hold is refused, never cast out of range.
                    if (!(value >= static_cast<double>(std::numeric_limits<W>::min()) &&
                          value <= static_cast<double>(std::numeric_limits<W>::max())) ||
                        value != std::floor(value)) {
                        throw py::value_error("the classifier chose int weights, but a weight (" +
                                              std::to_string(value) + ") is no 32-bit integer");
                    }
                }
                prepared.weights[k] = static_cast<W>(value);
            }
        }
        graph.apply(prepared);
        return graph;
    }

    PyObject* adj;
    PyObject* attribute;
    PyObject* fallback;
    bool merged;
    std::vector<py::object> lists;
    std::vector<std::uint32_t> ends;  // source and target of each entry
    py::object index;                 // node -> position, made on the first miss of `identity`
};

}  // namespace adjacency

// Graph._fromAdjacency(adj, weight, default, merged, classify): the graph
// of networkx's adjacency `adj` (see the top of this file) as the tuple
// (graph, nodes, self-loops), or None when `adj`, a node's dict, an edge's
// data (when weighted) or a key dict (merged) is not a plain dict, or a key
// dict is empty. Entries in adjacency order; the weight of an entry is its
// data's `weight` attribute, else `default`; merged (a multigraph's
// {key: data} per neighbour): each neighbour once, with the least weight
// over its parallel edges. With a weight attribute, `classify(count,
// types, lows, highs, finite)` is called once after the walk and says the
// graph's weight type: int, float, or None for a graph of weights 1.
// Errors: KeyError for a neighbour that is not a node; RuntimeError when a
// dict changed size during the walk (code the walk ran: a neighbour's
// __hash__ or __eq__, a weight's __lt__); what the caller's code raises.
// Cost: O(V + E) holding the interpreter lock, then the bulk build with it
// released.
inline PyObject* fromAdjacency(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 5) {
        PyErr_SetString(PyExc_TypeError, "_fromAdjacency(adj, weight, default, merged, classify)");
        return nullptr;
    }
    const int merged = PyObject_IsTrue(args[3]);
    if (merged < 0) return nullptr;
    try {
        adjacency::Walk walk(args[0], args[1], args[2], merged == 1);
        walk.run();
        py::object type = py::none();
        if (args[1] != Py_None) type = walk.weights.classify(args[4]);
        py::object graph = walk.build(type);
        py::list nodes(walk.nodes.size());
        for (std::size_t k = 0; k < walk.nodes.size(); ++k) {
            PyList_SET_ITEM(nodes.ptr(), static_cast<Py_ssize_t>(k), walk.nodes[k].inc_ref().ptr());
        }
        py::list loops;
        for (const std::uint32_t k : walk.selfLoops) loops.append(py::int_(k));
        return py::make_tuple(graph, nodes, loops).release().ptr();
    } catch (const adjacency::NotPlain&) {
        Py_RETURN_NONE;
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
}

}  // namespace tarvel_python
