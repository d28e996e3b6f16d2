// The A* heuristic as it crosses from Python: any callable taking two names
// and returning a number. The search calls it directly with the graph's
// cached name objects.
#pragma once

#include <pybind11/pybind11.h>

#include "shared_graph.hpp"

namespace tarvel_python {

// Calls the heuristic for nodes u, v: the names as str, the result as a
// double (float, int, or anything with __float__ or __index__). A result
// without either is not a number: RuntimeError; what the callable or the
// result's own conversion raises (KeyboardInterrupt too) passes through.
template <class W>
class CallHeuristic {
public:
    CallHeuristic(const Read<W>& graph, PyObject* callable) : g(graph), function(callable) {}

    // Fetches the name of `node` ahead of its call: the cache's slot
    // (step 0), then the object it holds (step 1).
    void prefetch(tarvel::NodeIndex node, int step) const { g.prefetchName(node, step); }

    double operator()(tarvel::NodeIndex u, tarvel::NodeIndex v) const {
        PyObject* args[2] = {g.name(u), nullptr};
        try {
            args[1] = g.name(v);
        } catch (...) {
            Py_DECREF(args[0]);
            throw;
        }
#if PY_VERSION_HEX >= 0x03090000
        PyObject* result = PyObject_Vectorcall(function, args, 2, nullptr);
#else
        PyObject* result = _PyObject_Vectorcall(function, args, 2, nullptr);
#endif
        Py_DECREF(args[0]);
        Py_DECREF(args[1]);
        if (result == nullptr) throw py::error_already_set();
        const auto owned = py::reinterpret_steal<py::object>(result);
        if (PyFloat_CheckExact(result)) return PyFloat_AS_DOUBLE(result);
        return toDouble(result);
    }

private:
    static double toDouble(PyObject* result) {
        // complex has a __float__ that always raises before 3.10: not a number on every version.
        const PyNumberMethods* number = Py_TYPE(result)->tp_as_number;
        if (number == nullptr || (number->nb_float == nullptr && number->nb_index == nullptr) ||
            PyComplex_CheckExact(result)) {
            throw std::runtime_error(std::string("the heuristic returned a ") + Py_TYPE(result)->tp_name +
                                     ", which is not a number");
        }
        const double value = PyFloat_AsDouble(result);
        if (value == -1.0 && PyErr_Occurred()) throw py::error_already_set();
        return value;
    }

    const Read<W>& g;
    PyObject* function;
};

}  // namespace tarvel_python

