// The Graph methods pageRank and harmonicCentrality: their arguments
// copied out of their Python objects holding the interpreter lock, the
// computation with it released, the scores made a dict by name.
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "algorithm_methods.hpp"
#include "arguments.hpp"
#include "graph_object.hpp"
#include "results.hpp"

namespace tarvel_python {
namespace algorithms {

// A per-node vector of pageRank: None for none (empty), else a dict from
// names to numbers, 0 for the nodes it leaves out. The items are read from
// a list of them, which holds every key and value while a value's __float__
// runs. Errors: TypeError for a value that is not a number or a key that is
// not a name; IndexError "unknown node: NAME".
template <class W>
bool rankVector(const Read<W>& g, const char* what, PyObject* object, std::vector<double>& values) {
    if (object == nullptr || object == Py_None) return true;
    const char* method = "pageRank";
    if (!PyDict_Check(object)) {
        wrongType(method, what, "a dict of numbers by name or None", object);
        return false;
    }
    const auto items = py::reinterpret_steal<py::object>(PyDict_Items(object));
    if (!items) return false;
    values.assign(g.nodeCount(), 0.0);
    for (Py_ssize_t k = 0; k < PyList_GET_SIZE(items.ptr()); ++k) {
        PyObject* item = PyList_GET_ITEM(items.ptr(), k);
        std::string_view name;
        double value = 0.0;
        if (!nameArgument(method, what, PyTuple_GET_ITEM(item, 0), name) ||
            !doubleArgument(method, what, PyTuple_GET_ITEM(item, 1), value)) {
            return false;
        }
        values[g.graph().indexOf(std::string(name))] = value;
    }
    return true;
}

inline PyObject* pageRank(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::pageRank;
    PyObject* given[9];
    if (!parseArguments(signature, args, nargs, kwnames, given)) return nullptr;
    const char* method = "pageRank";
    double alpha = 0.85, tolerance = 1e-06;
    long long steps = 100;
    bool weighted = false;
    tarvel::RunOptions options;
    if ((given[0] != nullptr && !doubleArgument(method, "alpha", given[0], alpha)) ||
        (given[4] != nullptr && !longArgument(method, "max_iterations", given[4], INT_MIN, INT_MAX, steps)) ||
        (given[5] != nullptr && !doubleArgument(method, "tolerance", given[5], tolerance)) ||
        (given[6] != nullptr && !flagArgument(method, "weighted", given[6], weighted)) ||
        !runArguments(method, given[7], given[8], options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        std::vector<double> personalization, start, dangling;
        if (!rankVector(g, "personalization", given[1], personalization) ||
            !rankVector(g, "start", given[2], start) || !rankVector(g, "dangling", given[3], dangling)) {
            throw py::error_already_set();
        }
        const tarvel::PageRankScores ranks = released([&] {
            return tarvel::pageRank(g.view(), alpha, std::move(personalization), std::move(start),
                                    std::move(dangling), static_cast<int>(steps), tolerance, weighted, options);
        });
        if (!ranks.converged) {
            PyErr_Format(PyExc_RuntimeError, "PageRank did not converge in %lld iterations", steps);
            throw py::error_already_set();
        }
        return byName(g, ranks.scores);
    });
}

inline PyObject* harmonicCentrality(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    const Method& signature = table::harmonicCentrality;
    PyObject* given[5];
    const char* method = "harmonicCentrality";
    tarvel::RunOptions options;
    std::optional<std::vector<std::string>> nodeNames, sourceNames;
    bool weighted = false;
    if (!parseArguments(signature, args, nargs, kwnames, given) ||
        !nameListArgument(method, "nodes", given[0], nodeNames) ||
        !nameListArgument(method, "sources", given[1], sourceNames) ||
        (given[2] != nullptr && !flagArgument(method, "weighted", given[2], weighted)) ||
        !runArguments(method, given[3], given[4], options)) {
        return nullptr;
    }
    return onGraph(self, [&](auto& shared) -> py::object {
        const Read g(shared);
        const std::vector<tarvel::NodeIndex> nodes =
            nodeNames ? indicesOf(method, "nodes", g, *nodeNames) : tarvel::detail::allNodes(g.nodeCount());
        std::vector<tarvel::NodeIndex> sources;
        if (sourceNames) {
            for (const std::string& name : *sourceNames) sources.push_back(g.graph().indexOf(name));
        }
        // No source named is no source at all (every score 0), where the
        // library reads an empty list as every node.
        const bool none = sourceNames && sources.empty();
        const auto scores = none ? std::vector<double>(nodes.size(), 0.0) : released([&] {
            return tarvel::harmonicCentrality(g.view(), nodes, sources, weighted, options);
        });
        py::dict out;
        for (std::size_t k = 0; k < nodes.size(); ++k) setByName(g, out, nodes[k], number(scores[k]));
        return out;
    });
}

}  // namespace algorithms
}  // namespace tarvel_python
