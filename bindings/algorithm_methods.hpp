// The Graph methods that run an algorithm: each checks its arguments, takes
// a read of the graph, runs the index-level function of the algorithm's
// family with the interpreter lock released (held for A* with a Python
// heuristic), and turns the answer into Python objects. Written once for
// both weight types (onGraph).
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

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

inline PyObject* degreeCentrality(PyObject* self, PyObject*) {
    return simple(self, [](const auto& v) { return tarvel::degreeCentrality(v); },
                  [](const auto& g, const auto& scores) { return byName(g, scores); });
}

inline PyObject* katzCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{
        "katzCentrality", {"alpha", "beta", "max_iterations", "tolerance", "threads", "progress"}, 0, 4, 0};
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

// closenessCentrality and betweennessCentrality: (*, threads, progress).
template <class Compute>
PyObject* allPairs(const char* method, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                   PyObject* kwnames, Compute&& compute) {
    const Signature signature{method, {"threads", "progress"}, 0, 0, 0};
    PyObject* given[2];
    tarvel::RunOptions options;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !runArguments(method, given[0], given[1], options)) {
        return nullptr;
    }
    return simple(
        self, [&](const auto& v) { return compute(v, options); },
        [](const auto& g, const auto& scores) { return byName(g, scores); });
}

inline PyObject* closenessCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return allPairs("closenessCentrality", self, args, nargs, kwnames,
                    [](const auto& v, const auto& options) { return tarvel::closenessCentrality(v, options); });
}

inline PyObject* betweennessCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return allPairs("betweennessCentrality", self, args, nargs, kwnames,
                    [](const auto& v, const auto& options) { return tarvel::betweennessCentrality(v, options); });
}

inline PyObject* minimumSpanningTree(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{"minimumSpanningTree", {"method"}, 0, 1, 0};
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
    static const Signature signature{"stronglyConnectedComponents", {"method"}, 0, 1, 0};
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
    static const Signature signature{"iterativeDFS", {"start"}, 1, 1, 1};
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

inline const char* const ShortestPathAlgoExpected =
    "a ShortestPathAlgo (BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD)";

// Takes the keyword argument `name` out of a vectorcall's keywords: `value`
// is its object (borrowed), or nullptr when it is not there; `args` and
// `kwnames` then describe the rest, held by `keptArgs` and `keptNames`.
// False with MemoryError set when no room could be made.
inline bool takeKeyword(const char* name, PyObject* const*& args, Py_ssize_t nargs, PyObject*& kwnames,
                        std::vector<PyObject*>& keptArgs, py::object& keptNames, PyObject*& value) {
    value = nullptr;
    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    Py_ssize_t at = 0;
    while (at < keywords && PyUnicode_CompareWithASCIIString(PyTuple_GET_ITEM(kwnames, at), name) != 0) ++at;
    if (at == keywords) return true;
    try {
        keptArgs.assign(args, args + nargs + keywords);
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
        return false;
    }
    keptArgs.erase(keptArgs.begin() + nargs + at);
    if (keywords > 1) {
        PyObject* names = PyTuple_New(keywords - 1);
        if (names == nullptr) return false;
        keptNames = py::reinterpret_steal<py::object>(names);
        for (Py_ssize_t j = 0, k = 0; j < keywords; ++j) {
            if (j == at) continue;
            PyObject* key = PyTuple_GET_ITEM(kwnames, j);
            Py_INCREF(key);
            PyTuple_SET_ITEM(names, k++, key);
        }
    }
    value = args[nargs + at];
    args = keptArgs.data();
    kwnames = keywords > 1 ? keptNames.ptr() : nullptr;
    return true;
}

inline PyObject* shortestPath(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static const Signature signature{"shortestPath", {"start", "goal", "method", "heuristic"}, 0, 4, 2};
    // `consistent` is keyword-only and taken out first, so that every call
    // without it is parsed, and refused, as before it existed.
    std::vector<PyObject*> keptArgs;
    py::object keptNames;
    PyObject* consistentArgument = nullptr;
    PyObject* given[4];
    if (!takeKeyword("consistent", args, nargs, kwnames, keptArgs, keptNames, consistentArgument) ||
        !parseArguments(signature, args, nargs, kwnames, given)) {
        return nullptr;
    }
    if (consistentArgument != nullptr && !PyBool_Check(consistentArgument)) {
        wrongType("shortestPath", "consistent", "a bool", consistentArgument);
        return nullptr;
    }
    const bool consistent = consistentArgument == Py_True;
    tarvel::ShortestPathAlgo method = tarvel::ShortestPathAlgo::A_STAR;
    std::string_view start, goal;
    if (given[3] == nullptr) {
        PyErr_SetString(PyExc_TypeError,
                        "shortestPath() needs its heuristic argument: a callable for A_STAR, or None for the "
                        "searches that need none (BFS, DIJKSTRA, UNIFORM_COST_SEARCH, BELLMAN_FORD)");
        return nullptr;
    }
    if ((given[2] != nullptr && !selectorArgument("shortestPath", given[2], ShortestPathAlgoExpected, method)) ||
        !callableArgument("shortestPath", "heuristic", given[3]) ||
        !nameArgument("shortestPath", "start", given[0], start) || !nameArgument("shortestPath", "goal", given[1], goal)) {
        return nullptr;
    }
    PyObject* heuristic = given[3];
    return onGraph(self, [&](auto& shared) -> py::object {
        if (start == goal) {  // nothing looked up, nothing searched
            return py::reinterpret_steal<py::list>(Py_BuildValue("[N]", PyUnicode_DecodeUTF8(
                                                                            start.data(),
                                                                            static_cast<Py_ssize_t>(start.size()),
                                                                            "surrogateescape")));
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

// distances, shortestPaths and predecessors: (source, method=DIJKSTRA), one
// search from the source; make(read, tree, method) makes the dict.
template <class Make>
PyObject* fromSource(const char* name, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                     Make&& make) {
    const Signature signature{name, {"source", "method"}, 0, 2, 1};
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
    return fromSource("distances", self, args, nargs, kwnames, [](const auto& g, const auto& tree, auto method) {
        return distanceDict(g, tree, method == tarvel::ShortestPathAlgo::BFS);
    });
}

inline PyObject* shortestPaths(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSource("shortestPaths", self, args, nargs, kwnames,
                      [](const auto& g, const auto& tree, auto) { return pathDict(g, tree); });
}

inline PyObject* predecessors(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return fromSource("predecessors", self, args, nargs, kwnames,
                      [](const auto& g, const auto& tree, auto) { return predecessorDict(g, tree); });
}

}  // namespace algorithms
}  // namespace tarvel_python
