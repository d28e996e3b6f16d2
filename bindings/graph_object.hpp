// The Python Graph object: a graph of 32-bit integer weights or of double
// weights, chosen when it is made, shared between threads as
// shared_graph.hpp describes; and how a method reaches it. Every method is
// written once, as a generic lambda over the weight type (onGraph).
#pragma once

#include <Python.h>
#include <pybind11/pybind11.h>

#include <exception>
#include <utility>
#include <variant>

#include "errors.hpp"
#include "shared_graph.hpp"
#include "type_object.hpp"

namespace tarvel_python {

namespace py = pybind11;

using AnyGraph = std::variant<SharedGraph<int>, SharedGraph<double>>;

struct GraphObject {
    PyObject_HEAD
    AnyGraph* graph;  // nullptr until __init__ ran
    PyObject* weakrefs;
    // The calls of the graph's methods running now, on every thread, each
    // counted for its whole length (also while it runs Python code or has
    // released the interpreter lock). Each holds a reference into *graph,
    // so __setstate__ replaces it only while this is 0. Touched holding the
    // interpreter lock.
    Py_ssize_t calls;
};

// One running call of `self`'s methods, for the length of a scope.
class InCall {
public:
    explicit InCall(PyObject* self) : object(reinterpret_cast<GraphObject*>(self)) { ++object->calls; }
    ~InCall() { --object->calls; }
    InCall(const InCall&) = delete;
    InCall& operator=(const InCall&) = delete;

private:
    GraphObject* object;
};

inline PyTypeObject GraphType = blankType();

inline const char* const NotInitialized = "the Graph was not initialized: tarvel.Graph.__init__() did not run";

// The graph of `self`, or nullptr with TypeError set when its __init__
// never ran.
inline AnyGraph* graphOf(PyObject* self) {
    AnyGraph* graph = reinterpret_cast<GraphObject*>(self)->graph;
    if (graph == nullptr) PyErr_SetString(PyExc_TypeError, NotInitialized);
    return graph;
}

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
            PyErr_SetString(PyExc_RuntimeError, "an unknown C++ exception reached Python");
        }
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_RuntimeError, "an unknown C++ exception reached Python");
    }
}

// Runs body(shared) for the graph of `self`, whatever its weight type, and
// returns what it returns (a py::object, or a bool) as a new reference;
// nullptr with the Python error set for every failure.
template <class Body>
PyObject* onGraph(PyObject* self, Body&& body) noexcept {
    AnyGraph* graph = graphOf(self);
    if (graph == nullptr) return nullptr;
    const InCall call(self);
    try {
        return std::visit(
            [&](auto& shared) -> PyObject* {
                auto result = body(shared);
                if constexpr (std::is_same_v<decltype(result), bool>) {
                    return PyBool_FromLong(result);
                } else {
                    return result.release().ptr();
                }
            },
            *graph);
    } catch (...) {
        raiseCurrent();
        return nullptr;
    }
}

// A new Graph object taking `contents`.
template <class W>
PyObject* newGraph(Store<W>&& contents) {
    PyObject* self = GraphType.tp_alloc(&GraphType, 0);
    if (self == nullptr) return nullptr;
    try {
        reinterpret_cast<GraphObject*>(self)->graph = new AnyGraph(std::in_place_type<SharedGraph<W>>, std::move(contents));
    } catch (...) {
        Py_DECREF(self);
        raiseCurrent();
        return nullptr;
    }
    return self;
}

}  // namespace tarvel_python
