// The Graph methods that run an algorithm: each checks its arguments, takes
// a read of the graph, runs the index-level function of the algorithm's
// family with the interpreter lock released (held for A* with a Python
// heuristic), and turns the answer into Python objects. Written once for
// both weight types (onGraph).
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "arguments.hpp"
#include "engine.hpp"
#include "graph_object.hpp"
#include "heuristic.hpp"
#include "results.hpp"

namespace tarvel_python {
namespace algorithms {

// A method selector argument: a member of E (or any value of E: the
// library refuses non-members with its own message).
template <class E>
bool selectorArgument(const char* method, PyObject* object, const char* expected, E& value) {
    if (!py::isinstance<E>(py::handle(object))) {
        wrongType(method, "method", expected, object);
        return false;
    }
    value = py::cast<E>(py::handle(object));
    return true;
}

// The keyword arguments threads and progress of the long centralities.
inline bool runArguments(const char* method, PyObject* threads, PyObject* progress, tarvel::RunOptions& options) {
    if (threads != nullptr && threads != Py_None) {
        long long count = 0;
        if (!longArgument(method, "threads", threads, LLONG_MIN, LLONG_MAX, count)) {
            if (!PyErr_ExceptionMatches(PyExc_OverflowError)) return false;
            PyErr_Clear();  // a count beyond any machine: every usable core
            count = PyObject_RichCompareBool(threads, Py_False, Py_GT) == 1 ? LLONG_MAX : 0;
        }
        if (count < 1) {
            PyErr_SetString(PyExc_ValueError, "threads must be at least 1, or None for every usable core");
            return false;
        }
        options.threads = count > UINT_MAX ? UINT_MAX : static_cast<unsigned>(count);  // capped at the cores
    }
    if (progress != nullptr && progress != Py_None) {
        if (!callableArgument(method, "progress", progress)) return false;
        options.progress = [callback = py::reinterpret_borrow<py::object>(progress)](std::size_t done,
                                                                                     std::size_t total) {
            py::gil_scoped_acquire acquire;
            callback(done, total);
        };
    }
    return true;
}

// A method taking nothing, answered by compute(read) with the interpreter
// lock released, the answer made Python objects by make(read, answer).
template <class Compute, class Make>
PyObject* simple(PyObject* self, Compute&& compute, Make&& make) {
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        auto answer = released([&] { return compute(g.view()); });
        return make(g, answer);
    });
}

inline PyObject* hasCycle(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::hasCycle(v); }, [](const auto&, bool x) { return x; });
}

inline PyObject* isBipartite(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::isBipartite(v); }, [](const auto&, bool x) { return x; });
}

inline PyObject* nodeColoring(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::greedyNodeColors(v); },
                  [](const auto& g, const auto& colors) { return byName(g, colors); });
}

inline PyObject* edgeColoring(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::edgeColors(v); },
                  [](const auto& g, const auto& colors) { return edgeColors(g, colors); });
}

inline PyObject* connectedComponents(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::connectedComponents(v); },
                  [](const auto& g, const auto& groups) { return nameLists(g, groups); });
}

inline PyObject* weaklyConnectedComponents(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::weaklyConnectedComponents(v); },
                  [](const auto& g, const auto& groups) { return nameLists(g, groups); });
}

inline PyObject* degreeCentrality(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::degreeCentrality(v); },
                  [](const auto& g, const auto& scores) { return byName(g, scores); });
}

inline PyObject* katzCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::katzCentrality;
    PyObject* given[6];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    double alpha = 0.1, beta = 1.0, tolerance = 1e-06;
    long long steps = 1000;
    tarvel::RunOptions options;
    if ((given[0] != nullptr && !doubleArgument("katzCentrality", "alpha", given[0], alpha)) ||
        (given[1] != nullptr && !doubleArgument("katzCentrality", "beta", given[1], beta)) ||
        (given[2] != nullptr &&
         !longArgument("katzCentrality", "max_iterations", given[2], INT_MIN, INT_MAX, steps)) ||
        (given[3] != nullptr && !doubleArgument("katzCentrality", "tolerance", given[3], tolerance)) ||
        !runArguments("katzCentrality", given[4], given[5], options)) {
        return nullptr;
    }
    return simple(
        self,
        [&](const auto& v) {
            return tarvel::katzCentrality(v, alpha, beta, static_cast<int>(steps), tolerance, options);
        },
        [](const auto& g, const auto& scores) { return byName(g, scores); });
}

// The names of an iterable (none means None: every node), copied out.
inline bool nameListArgument(const char* method, const char* what, PyObject* object,
                             std::optional<std::vector<std::string>>& names) {
    if (object == nullptr || object == Py_None) return true;
    if (PyUnicode_Check(object) || PyBytes_Check(object) || PyByteArray_Check(object)) {
        wrongType(method, what, "an iterable of names or None", object);
        return false;
    }
    const auto iterator = py::reinterpret_steal<py::object>(PyObject_GetIter(object));
    if (!iterator) return false;
    names.emplace();
    while (const auto item = py::reinterpret_steal<py::object>(PyIter_Next(iterator.ptr()))) {
        std::string_view name;
        if (!nameArgument(method, what, item.ptr(), name)) return false;
        names->emplace_back(name);
    }
    return !PyErr_Occurred();
}

// The indices of `names` in the graph `g` reads, in index order.
// Errors: std::out_of_range "unknown node: NAME"; ValueError naming a node
// given twice.
template <class W>
std::vector<tarvel::NodeIndex> indicesOf(const char* method, const char* what, const Read<W>& g,
                                         const std::vector<std::string>& names) {
    std::vector<tarvel::NodeIndex> nodes;
    nodes.reserve(names.size());
    for (const std::string& name : names) nodes.push_back(g.graph().indexOf(name));
    std::vector<tarvel::NodeIndex> sorted = nodes;
    std::sort(sorted.begin(), sorted.end());
    const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
    if (twice != sorted.end()) {
        const auto name = py::reinterpret_steal<py::object>(g.name(*twice));
        PyErr_Format(PyExc_ValueError, "%s(): node %R is given twice in %s", method, name.ptr(), what);
        throw py::error_already_set();
    }
    return sorted;
}

// closenessCentrality and betweennessCentrality: (*, NODES=None,
// weighted=False, threads=None, progress=None), NODES naming the nodes asked
// for. whole(read, weighted, options) answers for every node,
// part(read, weighted, indices in order, options) for some.
template <class Whole, class Part>
PyObject* someOrAll(const Method& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, Whole&& whole, Part&& part) {
    const char *method = signature.name, *what = signature.at(0).name;
    PyObject* given[4];
    tarvel::RunOptions options;
    std::optional<std::vector<std::string>> names;
    bool weighted = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameListArgument(method, what, given[0], names) ||
        (given[1] != nullptr && !flagArgument(method, "weighted", given[1], weighted)) ||
        !runArguments(method, given[2], given[3], options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        if (!names) return whole(g, weighted, options);
        return part(g, weighted, indicesOf(method, what, g, *names), options);
    });
}

inline PyObject* closenessCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return someOrAll(
        table::closenessCentrality, self, args, nargs, kwnames,
        [](const auto& g, bool weighted, const auto& options) {
            return byName(g, released([&] {
                return weighted ? tarvel::weightedClosenessCentrality(g.view(), options)
                                : tarvel::closenessCentrality(g.view(), options);
            }));
        },
        [](const auto& g, bool weighted, const auto& nodes, const auto& options) {
            const auto scores = released([&] {
                return weighted ? tarvel::weightedClosenessCentrality(g.view(), nodes, options)
                                : tarvel::closenessCentrality(g.view(), nodes, options);
            });
            py::dict out;
            for (std::size_t k = 0; k < nodes.size(); ++k) setByName(g, out, nodes[k], number(scores[k]));
            return out;
        });
}

inline PyObject* betweennessCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return someOrAll(
        table::betweennessCentrality, self, args, nargs, kwnames,
        [](const auto& g, bool weighted, const auto& options) {
            return byName(g, released([&] {
                return weighted ? tarvel::weightedBetweennessCentrality(g.view(), options)
                                : tarvel::betweennessCentrality(g.view(), options);
            }));
        },
        [](const auto& g, bool weighted, const auto& sources, const auto& options) {
            return byName(g, released([&] {
                return weighted ? tarvel::weightedBetweennessCentrality(g.view(), sources, options)
                                : tarvel::betweennessCentrality(g.view(), sources, options);
            }));
        });
}

inline PyObject* reachSums(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::reachSums;
    PyObject* given[3];
    tarvel::RunOptions options;
    bool weighted = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[0] != nullptr && !flagArgument("reachSums", "weighted", given[0], weighted)) ||
        !runArguments("reachSums", given[1], given[2], options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        if (!weighted) return reachDict(g, released([&] { return tarvel::reachSums(g.view(), options); }));
        return reachDict(g, released([&] { return tarvel::weightedReachSums(g.view(), options); }));
    });
}

// A per-node argument of incomingKatzCentrality: a number for every node,
// or a dict holding a number for each node's name and nothing else.
template <class W>
bool perNodeArgument(const Read<W>& g, const char* what, PyObject* object, std::vector<double>& values) {
    const std::size_t n = g.nodeCount();
    if (!PyDict_Check(object)) {
        double value = 0.0;
        if (!doubleArgument("incomingKatzCentrality", what, object, value)) return false;
        values.assign(n, value);
        return true;
    }
    values.resize(n);
    if (static_cast<std::size_t>(PyDict_Size(object)) != n) {
        PyErr_Format(PyExc_ValueError, "incomingKatzCentrality(): %s must hold a number for every node and nothing else",
                     what);
        return false;
    }
    for (tarvel::NodeIndex i = 0; i < n; ++i) {
        const auto name = py::reinterpret_steal<py::object>(g.name(i));
        // Held while it is converted: its __float__ may take it out of the dict.
        const auto found = py::reinterpret_borrow<py::object>(PyDict_GetItemWithError(object, name.ptr()));
        if (!found) {
            if (!PyErr_Occurred()) {
                PyErr_Format(PyExc_ValueError, "incomingKatzCentrality(): %s has no number for node %R", what,
                             name.ptr());
            }
            return false;
        }
        if (!doubleArgument("incomingKatzCentrality", what, found.ptr(), values[i])) return false;
    }
    return true;
}

inline PyObject* incomingKatzCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::incomingKatzCentrality;
    PyObject* given[9];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    const char* method = "incomingKatzCentrality";
    double alpha = 0.1, tolerance = 1e-06;
    long long steps = 1000;
    bool weighted = false, normalized = true;
    tarvel::RunOptions options;
    if ((given[0] != nullptr && !doubleArgument(method, "alpha", given[0], alpha)) ||
        (given[2] != nullptr && !longArgument(method, "max_iterations", given[2], INT_MIN, INT_MAX, steps)) ||
        (given[3] != nullptr && !doubleArgument(method, "tolerance", given[3], tolerance)) ||
        (given[5] != nullptr && !flagArgument(method, "weighted", given[5], weighted)) ||
        (given[6] != nullptr && !flagArgument(method, "normalized", given[6], normalized)) ||
        !runArguments(method, given[7], given[8], options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        std::vector<double> beta, start;
        if (!perNodeArgument(g, "beta", given[1] != nullptr ? given[1] : py::float_(1.0).ptr(), beta) ||
            (given[4] != nullptr && given[4] != Py_None && !perNodeArgument(g, "start", given[4], start))) {
            throw py::error_already_set();
        }
        const tarvel::KatzScores katz = released([&] {
            return tarvel::incomingKatzCentrality(g.view(), alpha, beta, std::move(start), static_cast<int>(steps),
                                                  tolerance, weighted, normalized, options);
        });
        if (!katz.converged) {
            PyErr_Format(PyExc_RuntimeError, "Katz centrality did not converge in %lld iterations", steps);
            throw py::error_already_set();
        }
        return byName(g, katz.scores);
    });
}

inline PyObject* minimumSpanningTree(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::minimumSpanningTree;
    PyObject* given[1];
    tarvel::MSTAlgo method = tarvel::MSTAlgo::KRUSKAL;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[0] != nullptr &&
         !selectorArgument("minimumSpanningTree", given[0], "an MSTAlgo (KRUSKAL, PRIM or BORUVKA)", method))) {
        return nullptr;
    }
    return simple(
        self, [&](const auto& v) { return tarvel::minimumSpanningTree(v, method); },
        [](const auto& g, const auto& tree) { return edgeList(g, tree); });
}

inline PyObject* stronglyConnectedComponents(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                             PyObject* kwnames) {
    const Method& signature = table::stronglyConnectedComponents;
    PyObject* given[1];
    tarvel::SCCAlgo method = tarvel::SCCAlgo::TARJAN;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[0] != nullptr && !selectorArgument("stronglyConnectedComponents", given[0],
                                                  "an SCCAlgo (TARJAN or KOSARAJU)", method))) {
        return nullptr;
    }
    return simple(
        self, [&](const auto& v) { return tarvel::stronglyConnectedGroups(v, method); },
        [](const auto& g, const auto& groups) { return nameLists(g, groups); });
}

inline PyObject* iterativeDFS(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::iterativeDFS;
    PyObject* given[1];
    std::string_view start;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !nameArgument("iterativeDFS", "start", given[0], start)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const tarvel::NodeIndex first = g.graph().indexOf(start);
        return nameList(g, released([&] { return tarvel::depthFirstOrder(g.view(), first); }));
    });
}

// The rank of each node, copied out of an iterable of ints (None: none).
inline bool rankArgument(const char* method, PyObject* object, std::optional<std::vector<std::int64_t>>& rank) {
    if (object == nullptr || object == Py_None) return true;
    const py::object items = py::reinterpret_steal<py::object>(PySequence_Fast(object, ""));
    if (!items) {
        PyErr_Clear();
        wrongType(method, "rank", "an iterable of ints or None", object);
        return false;
    }
    const Py_ssize_t count = PySequence_Fast_GET_SIZE(items.ptr());
    rank.emplace();
    rank->reserve(static_cast<std::size_t>(count));
    for (Py_ssize_t k = 0; k < count; ++k) {
        const py::object item = py::reinterpret_borrow<py::object>(PySequence_Fast_GET_ITEM(items.ptr(), k));
        long long value = 0;
        if (!longArgument(method, "rank", item.ptr(), LLONG_MIN, LLONG_MAX, value)) return false;
        rank->push_back(static_cast<std::int64_t>(value));
    }
    return true;
}

inline PyObject* topologicalOrder(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* given[1];
    std::optional<std::vector<std::int64_t>> rank;
    if (!parseArguments(table::topologicalOrder, args, nargs, kwnames, given) ||
        !rankArgument("topologicalOrder", given[0], rank)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        return nameList(g, released([&] {
            return rank ? tarvel::topologicalOrderByRank(g.view(), *rank) : tarvel::topologicalOrder(g.view());
        }));
    });
}

inline PyObject* topologicalGenerations(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::topologicalGenerations(v); },
                  [](const auto& g, const auto& groups) { return nameLists(g, groups); });
}

// descendants and ancestors: `reach` run from the named source.
template <class Reach>
PyObject* reachFrom(const char* method, const Method& signature, PyObject* self, PyObject* const* args,
                    Py_ssize_t nargs, PyObject* kwnames, Reach&& reach) {
    PyObject* given[1];
    std::string_view source;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameArgument(method, "source", given[0], source))
        return nullptr;
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const tarvel::NodeIndex from = g.graph().indexOf(source);
        return nameList(g, released([&] { return reach(g.view(), from); }));
    });
}

inline PyObject* descendants(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return reachFrom("descendants", table::descendants, self, args, nargs, kwnames,
                     [](const auto& v, tarvel::NodeIndex from) { return tarvel::descendants(v, from); });
}

inline PyObject* ancestors(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return reachFrom("ancestors", table::ancestors, self, args, nargs, kwnames,
                     [](const auto& v, tarvel::NodeIndex from) { return tarvel::ancestors(v, from); });
}

// ---- Edge traversals and cycles ---------------------------------------------

// orientation=: 'original' (or None), 'reverse' or 'ignore'.
inline bool orientationArgument(const char* method, PyObject* object, tarvel::Orientation& orientation) {
    if (object == nullptr || object == Py_None) return true;
    if (!PyUnicode_Check(object)) {
        wrongType(method, "orientation", "a str or None", object);
        return false;
    }
    const char* text = PyUnicode_AsUTF8(object);
    if (text == nullptr) return false;
    const std::string_view given(text);
    if (given == "original") {
        orientation = tarvel::Orientation::Original;
    } else if (given == "reverse") {
        orientation = tarvel::Orientation::Reverse;
    } else if (given == "ignore") {
        orientation = tarvel::Orientation::Ignore;
    } else {
        PyErr_Format(PyExc_ValueError, "%s(): orientation must be 'original', 'reverse', 'ignore' or None, not %R",
                     method, object);
        return false;
    }
    return true;
}

// Steps as (tail, head, index, reverse) tuples.
template <class W>
py::list stepList(const Read<W>& g, const std::vector<tarvel::TraversedEdge>& steps) {
    py::list out(steps.size());
    SignalPoll poll;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        poll();
        const tarvel::TraversedEdge& s = steps[k];
        PyObject* tail = g.name(s.tail);
        PyObject* head = g.name(s.head);
        PyObject* index = PyLong_FromSize_t(s.edge);
        PyObject* step = index == nullptr ? nullptr : PyTuple_New(4);
        if (step == nullptr) {
            Py_DECREF(tail);
            Py_DECREF(head);
            Py_XDECREF(index);
            throw py::error_already_set();
        }
        PyTuple_SET_ITEM(step, 0, tail);
        PyTuple_SET_ITEM(step, 1, head);
        PyTuple_SET_ITEM(step, 2, index);
        PyTuple_SET_ITEM(step, 3, py::bool_(s.reverse).release().ptr());
        PyList_SET_ITEM(out.ptr(), static_cast<Py_ssize_t>(k), step);
    }
    return out;
}

// edgeDepthFirst, edgeBreadthFirst and findCycle: (sources=None, *,
// orientation='original', symmetric=False), the search run by
// search(view, sources or nullptr for every node, orientation, symmetric).
template <class Search>
PyObject* edgeSearch(const char* name, const Method& signature, PyObject* self, PyObject* const* args,
                     Py_ssize_t nargs, PyObject* kwnames, Search&& search) {
    PyObject* given[3];
    std::optional<std::vector<std::string>> names;
    tarvel::Orientation orientation = tarvel::Orientation::Original;
    bool symmetric = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[0] != nullptr && !nameListArgument(name, "sources", given[0], names)) ||
        !orientationArgument(name, given[1], orientation) ||
        (given[2] != nullptr && !flagArgument(name, "symmetric", given[2], symmetric))) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        std::vector<tarvel::NodeIndex> sources;
        if (names) {
            sources.reserve(names->size());
            for (const std::string& source : *names) sources.push_back(g.graph().indexOf(source));
        }
        const auto steps =
            released([&] { return search(g.view(), names ? &sources : nullptr, orientation, symmetric); });
        return stepList(g, steps);
    });
}

inline PyObject* edgeDepthFirst(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return edgeSearch("edgeDepthFirst", table::edgeDepthFirst, self, args, nargs, kwnames,
                      [](const auto& v, const auto* sources, tarvel::Orientation o, bool symmetric) {
                          return sources ? tarvel::edgeDepthFirst(v, *sources, o, symmetric)
                                         : tarvel::edgeDepthFirst(v, o, symmetric);
                      });
}

inline PyObject* edgeBreadthFirst(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return edgeSearch("edgeBreadthFirst", table::edgeBreadthFirst, self, args, nargs, kwnames,
                      [](const auto& v, const auto* sources, tarvel::Orientation o, bool symmetric) {
                          return sources ? tarvel::edgeBreadthFirst(v, *sources, o, symmetric)
                                         : tarvel::edgeBreadthFirst(v, o, symmetric);
                      });
}

inline PyObject* findCycle(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return edgeSearch("findCycle", table::findCycle, self, args, nargs, kwnames,
                      [](const auto& v, const auto* sources, tarvel::Orientation o, bool symmetric) {
                          return sources ? tarvel::findCycle(v, *sources, o, symmetric)
                                         : tarvel::findCycle(v, o, symmetric);
                      });
}

inline const char* const ShortestPathAlgoExpected =
    "a ShortestPathAlgo (BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD)";

inline PyObject* shortestPath(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::shortestPath;
    PyObject* given[5];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    if (given[4] != nullptr && !PyBool_Check(given[4])) {
        wrongType("shortestPath", "consistent", "a bool", given[4]);
        return nullptr;
    }
    const bool consistent = given[4] == Py_True;
    tarvel::ShortestPathAlgo method = tarvel::ShortestPathAlgo::A_STAR;
    std::string_view start, goal;
    if ((given[2] != nullptr && !selectorArgument("shortestPath", given[2], ShortestPathAlgoExpected, method)) ||
        !callableArgument("shortestPath", "heuristic", given[3]) ||
        !nameArgument("shortestPath", "start", given[0], start) || !nameArgument("shortestPath", "goal", given[1], goal)) {
        return nullptr;
    }
    PyObject* heuristic = given[3];
    return onGraph(self, [&](auto& shared) -> py::object {
        if (start == goal) {  // nothing looked up, nothing searched; a name that is not UTF-8 raises, as everywhere
            PyObject* path = Py_BuildValue(
                "[N]", PyUnicode_DecodeUTF8(start.data(), static_cast<Py_ssize_t>(start.size()), nullptr));
            if (path == nullptr) throw py::error_already_set();
            return py::reinterpret_steal<py::list>(path);
        }
        tarvel::checkMethod(method);
        const Read g(shared);
        const tarvel::NodeIndex to = g.graph().indexOf(goal);
        const tarvel::NodeIndex from = g.graph().indexOf(start);
        if (method == tarvel::ShortestPathAlgo::A_STAR && heuristic != Py_None) {
            // Every heuristic call needs the interpreter: the search keeps it.
            return nameList(
                g, held([&] { return tarvel::aStar(g.view(), from, to, CallHeuristic(g, heuristic), consistent); }));
        }
        return nameList(g,
                        released([&] { return tarvel::shortestPath(g.view(), from, to, method, nullptr, consistent); }));
    });
}

// twoEndedBfsPath(start, goal, *, symmetric=False, backward=None).
inline PyObject* twoEndedBfsPath(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* given[4] = {nullptr, nullptr, nullptr, nullptr};
    if (!parseArguments(table::twoEndedBfsPath, args, nargs, kwnames, given)) return nullptr;
    PyObject* backward = given[3] == Py_None ? nullptr : given[3];
    if (backward != nullptr && !PyObject_TypeCheck(backward, &GraphType)) {
        wrongType("twoEndedBfsPath", "backward", "a Graph or None", backward);
        return nullptr;
    }
    AnyGraph* other = backward == nullptr ? nullptr : graphOf(backward);
    if (backward != nullptr && other == nullptr) return nullptr;
    if (given[2] != nullptr && !PyBool_Check(given[2])) {
        wrongType("twoEndedBfsPath", "symmetric", "a bool", given[2]);
        return nullptr;
    }
    const bool symmetric = given[2] == Py_True;
    std::string_view start, goal;
    if (!nameArgument("twoEndedBfsPath", "start", given[0], start) ||
        !nameArgument("twoEndedBfsPath", "goal", given[1], goal)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const tarvel::NodeIndex from = g.graph().indexOf(start);
        const tarvel::NodeIndex to = g.graph().indexOf(goal);
        if (other == nullptr) {
            return nameList(g, released([&] { return tarvel::twoEndedBfs(g.view(), from, to, symmetric); }));
        }
        const InCall otherCall(backward);
        return std::visit(
            [&](auto& otherShared) {
                const Read h(otherShared);
                return nameList(g, released([&] { return tarvel::twoEndedBfs(g.view(), from, to, h.view()); }));
            },
            *other);
    });
}

// nodesWithin(source, depth).
inline PyObject* nodesWithin(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* given[2];
    std::string_view source;
    long long depth = 0;
    if (!parseArguments(table::nodesWithin, args, nargs, kwnames, given) ||
        !nameArgument("nodesWithin", "source", given[0], source) ||
        !longArgument("nodesWithin", "depth", given[1], 0, LLONG_MAX, depth)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        const tarvel::NodeIndex from = g.graph().indexOf(source);
        return nameList(
            g, released([&] { return tarvel::nodesWithin(g.view(), from, static_cast<std::size_t>(depth)); }));
    });
}

// multiSourceDistances and multiSourcePaths: (sources, *, cutoff=None[,
// goal=None]), one search from all the sources; make(read, tree, goal)
// makes the dict (goal NoNode for none).
template <class Make>
PyObject* fromSources(const Method& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                      PyObject* kwnames, Make&& make) {
    const char* name = signature.name;
    PyObject* given[3] = {nullptr, nullptr, nullptr};
    std::optional<std::vector<std::string>> sources;
    std::optional<double> cutoff;
    std::string_view goalName;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !nameListArgument(name, "sources", given[0], sources)) {
        return nullptr;
    }
    if (given[0] == Py_None) {
        wrongType(name, "sources", "an iterable of names", given[0]);
        return nullptr;
    }
    if (given[1] != nullptr && given[1] != Py_None) {
        double value = 0;
        if (!doubleArgument(name, "cutoff", given[1], value)) return nullptr;
        cutoff = value;
    }
    const bool hasGoal = signature.size() > 2 && given[2] != nullptr && given[2] != Py_None;
    if (hasGoal && !nameArgument(name, "goal", given[2], goalName)) return nullptr;
    return onGraph(self, [&](auto& shared) {
        const Read g(shared);
        std::vector<tarvel::NodeIndex> from;
        from.reserve(sources->size());
        for (const std::string& source : *sources) from.push_back(g.graph().indexOf(source));
        const tarvel::NodeIndex goal = hasGoal ? g.graph().indexOf(goalName) : tarvel::NoNode;
        const auto tree = released([&] { return tarvel::multiSourceDijkstraTree(g.view(), from, goal, cutoff); });
        return make(g, tree, goal);
    });
}

inline PyObject* multiSourceDistances(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSources(table::multiSourceDistances, self, args, nargs, kwnames,
                       [](const auto& g, const auto& tree, tarvel::NodeIndex) { return distanceDict(g, tree, false); });
}

inline PyObject* multiSourcePaths(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSources(table::multiSourcePaths, self, args, nargs, kwnames,
                       [](const auto& g, const auto& tree, tarvel::NodeIndex goal) -> py::dict {
                           if (goal == tarvel::NoNode) return pathDict(g, tree);
                           py::dict out;
                           if (!tree.reaches(goal)) return out;
                           tarvel::IndexPath path;
                           for (tarvel::NodeIndex step = goal; step != tarvel::NoNode; step = tree.predecessor[step])
                               path.push_back(step);
                           std::reverse(path.begin(), path.end());
                           setByName(g, out, goal, nameList(g, path).release().ptr());
                           return out;
                       });
}

// distances, shortestPaths and predecessors: (source, method=DIJKSTRA), one
// search from the source; make(read, tree, method) makes the dict.
template <class Make>
PyObject* fromSource(const Method& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                     PyObject* kwnames, Make&& make) {
    const char* name = signature.name;
    PyObject* given[2];
    tarvel::ShortestPathAlgo method = tarvel::ShortestPathAlgo::DIJKSTRA;
    std::string_view source;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[1] != nullptr && !selectorArgument(name, given[1], ShortestPathAlgoExpected, method)) ||
        !nameArgument(name, "source", given[0], source)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) {
        tarvel::checkSourceMethod(method);
        const Read g(shared);
        const tarvel::NodeIndex from = g.graph().indexOf(source);
        const auto tree = released([&] { return tarvel::shortestPathTree(g.view(), from, method); });
        return make(g, tree, method);
    });
}

inline PyObject* distances(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSource(table::distances, self, args, nargs, kwnames, [](const auto& g, const auto& tree, auto method) {
        return distanceDict(g, tree, method == tarvel::ShortestPathAlgo::BFS);
    });
}

inline PyObject* shortestPaths(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSource(table::shortestPaths, self, args, nargs, kwnames,
                      [](const auto& g, const auto& tree, auto) { return pathDict(g, tree); });
}

inline PyObject* predecessors(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSource(table::predecessors, self, args, nargs, kwnames,
                      [](const auto& g, const auto& tree, auto) { return predecessorDict(g, tree); });
}

// ---- Triangles and clustering ------------------------------------------------

// The indices of `names` in the graph `g` reads, in the given order.
// Errors: std::out_of_range "unknown node: NAME"; ValueError naming a node
// given twice.
template <class W>
std::vector<tarvel::NodeIndex> givenIndicesOf(const char* method, const char* what, const Read<W>& g,
                                              const std::vector<std::string>& names) {
    std::vector<tarvel::NodeIndex> nodes;
    nodes.reserve(names.size());
    for (const std::string& name : names) nodes.push_back(g.graph().indexOf(name));
    std::vector<bool> given(g.nodeCount(), false);
    for (const tarvel::NodeIndex node : nodes) {
        if (given[node]) {
            const auto name = py::reinterpret_steal<py::object>(g.name(node));
            PyErr_Format(PyExc_ValueError, "%s(): node %R is given twice in %s", method, name.ptr(), what);
            throw py::error_already_set();
        }
        given[node] = true;
    }
    return nodes;
}

inline PyObject* count(std::uint64_t value) { return PyLong_FromUnsignedLongLong(value); }

// triangles and clustering: (*, nodes=None). whole(view) answers for every
// node, some(view, indices) for the given ones in their order; make turns
// one answer into a Python object.
template <class Whole, class Some, class Make>
PyObject* perNode(const Method& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                  Whole&& whole, Some&& some, Make&& make) {
    const char *method = signature.name, *what = signature.at(0).name;
    PyObject* given[1];
    std::optional<std::vector<std::string>> names;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameListArgument(method, what, given[0], names)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        std::vector<tarvel::NodeIndex> nodes;
        if (names) nodes = givenIndicesOf(method, what, g, *names);
        const auto values = released([&] { return names ? some(g.view(), nodes) : whole(g.view()); });
        auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(values.size())));
        if (!out) throw py::error_already_set();
        SignalPoll poll;
        for (std::size_t k = 0; k < values.size(); ++k) {
            poll();
            setByName(g, out, names ? nodes[k] : k, make(values[k]));
        }
        return out;
    });
}

inline PyObject* triangles(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return perNode(
        table::triangles, self, args, nargs, kwnames, [](const auto& v) { return tarvel::triangles(v); },
        [](const auto& v, const auto& nodes) { return tarvel::triangles(v, nodes); }, count);
}

inline PyObject* clustering(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return perNode(
        table::clustering, self, args, nargs, kwnames, [](const auto& v) { return tarvel::clustering(v); },
        [](const auto& v, const auto& nodes) { return tarvel::clustering(v, nodes); },
        [](double x) { return number(x); });
}

// Python's sum() of floats: compensated from 3.12 on, plain before.
inline constexpr tarvel::Summation PythonSum =
    PY_VERSION_HEX >= 0x030C0000 ? tarvel::Summation::COMPENSATED : tarvel::Summation::PLAIN;

inline PyObject* averageClustering(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::averageClustering;
    const char *method = signature.name, *what = signature.at(0).name;
    PyObject* given[2];
    std::optional<std::vector<std::string>> names;
    bool countZeros = true;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameListArgument(method, what, given[0], names) ||
        (given[1] != nullptr && !flagArgument(method, "count_zeros", given[1], countZeros))) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        std::vector<tarvel::NodeIndex> nodes;
        if (names) nodes = givenIndicesOf(method, what, g, *names);
        return py::float_(released([&] {
            return names ? tarvel::averageClustering(g.view(), nodes, countZeros, PythonSum)
                         : tarvel::averageClustering(g.view(), countZeros, PythonSum);
        }));
    });
}

inline PyObject* transitivity(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::transitivity(v); },
                  [](const auto&, double x) { return py::float_(x); });
}

// ---- Distances from each source and the eccentricity family ------------------

// One row of distancesFromEach: the reached nodes' names with their
// distances, in visiting order; hop counts as ints.
template <class W>
py::dict visitDict(const Read<W>& g, const tarvel::VisitOrder<W>& row, bool hops) {
    auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(row.nodes.size())));
    if (!out) throw py::error_already_set();
    SignalPoll poll;
    for (std::size_t k = 0; k < row.nodes.size(); ++k) {
        poll();
        prefetchNames(g, row.nodes, k);
        const auto d = row.distance[k];
        setByName(g, out, row.nodes[k], hops ? PyLong_FromLongLong(static_cast<long long>(d)) : number(d));
    }
    return out;
}

inline PyObject* distancesFromEach(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::distancesFromEach;
    const char* name = signature.name;
    PyObject* given[3];
    tarvel::ShortestPathAlgo method = tarvel::ShortestPathAlgo::BFS;
    tarvel::RunOptions options;
    std::optional<std::vector<std::string>> names;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[1] != nullptr && !selectorArgument(name, given[1], ShortestPathAlgoExpected, method)) ||
        !runArguments(name, given[2], nullptr, options) || !nameListArgument(name, "sources", given[0], names)) {
        return nullptr;
    }
    if (!names) {
        wrongType(name, "sources", "an iterable of names", given[0]);
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        using W = typename std::decay_t<decltype(shared)>::Weight;
        const Read g(shared);
        std::vector<tarvel::NodeIndex> sources;
        sources.reserve(names->size());
        for (const std::string& source : *names) sources.push_back(g.graph().indexOf(source));
        // The caller chose how many rows to ask for at once: all are kept.
        std::vector<tarvel::VisitOrder<W>> rows(sources.size());
        released([&] {
            tarvel::distancesFromEach(g.view(), sources, method, options,
                                      [&](std::size_t k, const tarvel::VisitOrder<W>& row) { rows[k] = row; });
        });
        py::list out(rows.size());
        const bool hops = method == tarvel::ShortestPathAlgo::BFS;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            out[k] = visitDict(g, rows[k], hops);
            rows[k] = tarvel::VisitOrder<W>();  // freed as the result grows
        }
        return out;
    });
}

// A value of the eccentricity family: hop counts as ints.
template <class D>
PyObject* extent(D value, bool weighted) {
    return weighted ? number(value) : PyLong_FromLongLong(static_cast<long long>(value));
}

inline PyObject* eccentricity(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::eccentricity;
    const char *method = signature.name, *what = signature.at(0).name;
    PyObject* given[3];
    tarvel::RunOptions options;
    std::optional<std::vector<std::string>> names;
    bool weighted = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) || !nameListArgument(method, what, given[0], names) ||
        (given[1] != nullptr && !flagArgument(method, "weighted", given[1], weighted)) ||
        !runArguments(method, given[2], nullptr, options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        const auto nodes = names ? givenIndicesOf(method, what, g, *names) : tarvel::detail::allNodes(g.nodeCount());
        const auto values = released([&] { return tarvel::eccentricities(g.view(), nodes, weighted, options); });
        for (const auto& e : values) {
            if (!e.reachesAll) {
                throw std::runtime_error(std::string("an eccentricity is infinite: the graph is not ") +
                                         (g.view().isDirected() ? "strongly connected" : "connected"));
            }
        }
        auto out = py::reinterpret_steal<py::dict>(_PyDict_NewPresized(static_cast<Py_ssize_t>(values.size())));
        if (!out) throw py::error_already_set();
        SignalPoll poll;
        for (std::size_t k = 0; k < values.size(); ++k) {
            poll();
            setByName(g, out, nodes[k], extent(values[k].value, weighted));
        }
        return out;
    });
}

// diameter, radius, center and periphery: (*, weighted=False, threads=None);
// make(read, weighted, options) computes and makes the answer.
template <class Make>
PyObject* extreme(const Method& signature, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                  PyObject* kwnames, Make&& make) {
    PyObject* given[2];
    tarvel::RunOptions options;
    bool weighted = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        (given[0] != nullptr && !flagArgument(signature.name, "weighted", given[0], weighted)) ||
        !runArguments(signature.name, given[1], nullptr, options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        return make(g, weighted, options);
    });
}

inline PyObject* diameter(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return extreme(table::diameter, self, args, nargs, kwnames, [](const auto& g, bool weighted, const auto& options) {
        const auto value = released([&] { return tarvel::diameter(g.view(), weighted, options); });
        return py::reinterpret_steal<py::object>(extent(value, weighted));
    });
}

inline PyObject* radius(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return extreme(table::radius, self, args, nargs, kwnames, [](const auto& g, bool weighted, const auto& options) {
        const auto value = released([&] { return tarvel::radius(g.view(), weighted, options); });
        return py::reinterpret_steal<py::object>(extent(value, weighted));
    });
}

inline PyObject* center(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return extreme(table::center, self, args, nargs, kwnames, [](const auto& g, bool weighted, const auto& options) {
        return py::object(nameList(g, released([&] { return tarvel::center(g.view(), weighted, options); })));
    });
}

inline PyObject* periphery(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return extreme(table::periphery, self, args, nargs, kwnames, [](const auto& g, bool weighted, const auto& options) {
        return py::object(nameList(g, released([&] { return tarvel::periphery(g.view(), weighted, options); })));
    });
}

}  // namespace algorithms
}  // namespace tarvel_python
