// Results as Python objects: lists of names, dicts keyed by name, Edge
// lists, built from the graph's cached name objects into presized
// containers.
#pragma once

#include <pybind11/pybind11.h>

#include <cmath>
#include <type_traits>
#include <vector>

#include <tarvel/weighted_centrality.hpp>

#include "edge_type.hpp"
#include "engine.hpp"
#include "shared_graph.hpp"

namespace tarvel_python {

// Every function here takes the read of the graph that made the result: the
// names come from the version that read holds.

// The name objects of a long result are random places in memory: fetched
// a few nodes ahead, the slot first (step 0), then the object it holds.
template <class W, class Nodes>
void prefetchNames(const Read<W>& g, const Nodes& nodes, std::size_t k) {
    if (k + 8 < nodes.size()) g.prefetchName(nodes[k + 8], 0);
    if (k + 4 < nodes.size()) g.prefetchName(nodes[k + 4], 1);
}

template <class W>
py::list nameList(const Read<W>& g, const tarvel::IndexPath& nodes) {
    py::list out(nodes.size());
    SignalPoll poll;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        poll();
        prefetchNames(g, nodes, k);
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), g.name(nodes[k]));
    }
    return out;
}

template <class W>
py::list nameLists(const Read<W>& g, const std::vector<tarvel::IndexPath>& groups) {
    py::list out(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) {
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), nameList(g, groups[k]).release().ptr());
    }
    return out;
}

template <class W>
py::list nameLists(const Read<W>& g, const tarvel::Groups& groups) {
    py::list out(groups.size());
    SignalPoll poll;
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const tarvel::Span<tarvel::NodeIndex> group = groups[k];
        PyObject* list = PyList_New(static_cast<Py_ssize_t>(group.size()));
        if (list == nullptr) throw py::error_already_set();
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), list);
        for (std::size_t j = 0; j < group.size(); ++j) {
            poll();
            prefetchNames(g, group, j);
            PyList_SET_ITEM(list, static_cast<Py_ssize_t>(j), g.name(group[j]));
        }
    }
    return out;
}

// Scores are often small whole numbers (every degree, many betweenness
// scores of 0.0): those share one float object each instead of a new one
// per node. The objects live as long as the process.
inline PyObject* number(double value) {
    constexpr int Cached = 1024;
    static PyObject* small[Cached] = {};
    if (value >= 0.0 && value < Cached && !std::signbit(value)) {
        const int whole = static_cast<int>(value);
        if (whole == value) {
            PyObject*& cached = small[whole];
            if (cached == nullptr) cached = PyFloat_FromDouble(value);
            Py_XINCREF(cached);
            return cached;
        }
    }
    return PyFloat_FromDouble(value);
}
inline PyObject* number(int value) { return PyLong_FromLong(value); }
inline PyObject* number(long long value) { return PyLong_FromLongLong(value); }
inline PyObject* number(long value) { return PyLong_FromLong(value); }

// Per-node values as a dict keyed by name, in node order.
template <class W, class Value>
py::dict byName(const Read<W>& g, const std::vector<Value>& values) {
    auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(values.size())));
    if (!out) throw py::error_already_set();
    SignalPoll poll;
    for (tarvel::NodeIndex i = 0; i < values.size(); ++i) {
        poll();
        const auto key = py::reinterpret_steal<py::object>(g.name(i));
        const auto value = py::reinterpret_steal<py::object>(number(values[i]));
        if (!value || PyDict_SetItem(out.ptr(), key.ptr(), value.ptr()) != 0) throw py::error_already_set();
    }
    return out;
}

template <class W>
py::dict edgeColors(const Read<W>& g, const std::vector<tarvel::EdgeColor>& colors) {
    py::dict out;
    SignalPoll poll;
    for (const tarvel::EdgeColor& item : colors) {
        poll();
        const auto key = py::reinterpret_steal<py::tuple>(PyTuple_New(2));
        if (!key) throw py::error_already_set();
        PyTuple_SET_ITEM(key.ptr(), 0, g.name(item.source));
        PyTuple_SET_ITEM(key.ptr(), 1, g.name(item.target));
        out[key] = py::int_(item.color);
    }
    return out;
}

// Edge records (tree edges, the graph's own) as new Edge objects sharing the
// graph's name objects; a name that is not UTF-8 fails only when an Edge's
// getter reads it.
template <class W, class Records>
py::list edgeList(const Read<W>& g, const Records& tree) {
    py::list out(tree.size());
    SignalPoll poll;
    for (std::size_t k = 0; k < tree.size(); ++k) {
        poll();
        for (const std::size_t ahead : {k + 8, k + 4}) {
            if (ahead >= tree.size()) continue;
            const int step = ahead == k + 8 ? 0 : 1;
            g.prefetchName(tree[ahead].source, step);
            g.prefetchName(tree[ahead].target, step);
        }
        PyObject* source = g.cachedName(tree[k].source);
        PyObject* target = source == nullptr ? nullptr : g.cachedName(tree[k].target);
        PyObject* edge = target == nullptr ? nullptr : newEdge(source, target, tree[k].weight);
        if (edge == nullptr) throw py::error_already_set();
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), edge);
    }
    return out;
}

// Sets out[name of `node`] = value (a new reference, stolen).
template <class W>
void setByName(const Read<W>& g, const py::dict& out, tarvel::NodeIndex node, PyObject* value) {
    const auto owned = py::reinterpret_steal<py::object>(value);
    const auto key = py::reinterpret_steal<py::object>(g.name(node));
    if (!owned || PyDict_SetItem(out.ptr(), key.ptr(), owned.ptr()) != 0) throw py::error_already_set();
}

// The distance of every node a search from one source reached, in node
// order: hop counts as int for a breadth-first search; else the exact sums,
// int for integer weights and float for floating-point ones.
template <class W>
py::dict distanceDict(const Read<W>& g, const tarvel::ShortestPathTree<W>& tree, bool hops) {
    py::dict out;
    SignalPoll poll;
    for (tarvel::NodeIndex node = 0; node < tree.distance.size(); ++node) {
        poll();
        if (!tree.reaches(node)) continue;
        const auto d = tree.distance[node];
        setByName(g, out, node, hops ? PyLong_FromLongLong(static_cast<long long>(d)) : number(d));
    }
    return out;
}

// The path of every node a search from one source reached, in node order:
// [source] for the source. Each path is its own list; the names in them are
// the graph's shared objects.
template <class W>
py::dict pathDict(const Read<W>& g, const tarvel::ShortestPathTree<W>& tree) {
    py::dict out;
    SignalPoll poll;
    tarvel::IndexPath path;
    for (tarvel::NodeIndex node = 0; node < tree.distance.size(); ++node) {
        if (!tree.reaches(node)) continue;
        path.clear();
        for (tarvel::NodeIndex step = node; step != tarvel::NoNode; step = tree.predecessor[step]) {
            poll();
            path.push_back(step);
        }
        auto list = py::reinterpret_steal<py::object>(PyList_New(static_cast<Py_ssize_t>(path.size())));
        if (!list) throw py::error_already_set();
        for (std::size_t k = 0; k < path.size(); ++k) {
            PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(k), g.name(path[path.size() - 1 - k]));
        }
        setByName(g, out, node, list.release().ptr());
    }
    return out;
}

// The predecessor of every node a search from one source reached, but the
// source's, in node order.
template <class W>
py::dict predecessorDict(const Read<W>& g, const tarvel::ShortestPathTree<W>& tree) {
    py::dict out;
    SignalPoll poll;
    for (tarvel::NodeIndex node = 0; node < tree.predecessor.size(); ++node) {
        poll();
        if (tree.predecessor[node] != tarvel::NoNode) setByName(g, out, node, g.name(tree.predecessor[node]));
    }
    return out;
}

// Reach counts and distance sums as a dict keyed by name, in node order:
// name -> (nodes reached, sum of their distances).
template <class W>
py::dict reachDict(const Read<W>& g, const std::vector<tarvel::ReachSum>& sums) {
    auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(sums.size())));
    if (!out) throw py::error_already_set();
    SignalPoll poll;
    for (tarvel::NodeIndex i = 0; i < sums.size(); ++i) {
        poll();
        PyObject* pair = Py_BuildValue("(nK)", static_cast<Py_ssize_t>(sums[i].reached),
                                       static_cast<unsigned long long>(sums[i].distanceSum));
        setByName(g, out, i, pair);
    }
    return out;
}

// Weighted reach sums: (reached, distance sum), the sum an int for integer
// weights and a float for float ones.
template <class W>
py::dict reachDict(const Read<W>& g, const std::vector<tarvel::WeightedReachSum<W>>& sums) {
    auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(sums.size())));
    if (!out) throw py::error_already_set();
    SignalPoll poll;
    for (tarvel::NodeIndex i = 0; i < sums.size(); ++i) {
        poll();
        PyObject* pair;
        if constexpr (std::is_floating_point_v<tarvel::Distance<W>>) {
            pair = Py_BuildValue("(nd)", static_cast<Py_ssize_t>(sums[i].reached),
                                 static_cast<double>(sums[i].distanceSum));
        } else {
            pair = Py_BuildValue("(nL)", static_cast<Py_ssize_t>(sums[i].reached),
                                 static_cast<long long>(sums[i].distanceSum));
        }
        setByName(g, out, i, pair);
    }
    return out;
}

}  // namespace tarvel_python
