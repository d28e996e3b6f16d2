// What a Python Graph object holds, and how the binding reaches it.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <utility>

#include <tarvel/tarvel.hpp>

#include "shared_graph.hpp"

namespace tarvel_python {

namespace py = pybind11;

using Graph = Store<int>;

// A Python Graph: the graph shared between the threads that use it
// (shared_graph.hpp).
class PyGraph : public SharedGraph<int> {
public:
    explicit PyGraph(bool directed) : SharedGraph<int>(directed) {}
    explicit PyGraph(Graph&& graph) : SharedGraph<int>(std::move(graph)) {}
    PyGraph(PyGraph&&) = default;
    PyGraph(const PyGraph&) = delete;
};

using GraphRead = Read<int>;

inline const char* const NotInitialized = "the Graph was not initialized: tarvel.Graph.__init__() did not run";

// The graph of a Python object known to be a tarvel.Graph, or nullptr with
// TypeError set when its __init__ never ran.
inline PyGraph* graphOf(PyObject* self) {
    auto* instance = reinterpret_cast<py::detail::instance*>(self);
    static const py::detail::type_info* const type = py::detail::get_type_info(typeid(PyGraph));
    const py::detail::value_and_holder holder = instance->get_value_and_holder(type);
    if (!holder.holder_constructed()) {
        PyErr_SetString(PyExc_TypeError, NotInitialized);
        return nullptr;
    }
    return holder.value_ptr<PyGraph>();
}

}  // namespace tarvel_python

namespace pybind11::detail {

// Every method that takes the graph through pybind11 refuses an object whose
// __init__ never ran: pybind11 would otherwise hand out uninitialised memory.
template <>
class type_caster<tarvel_python::PyGraph> : public type_caster_base<tarvel_python::PyGraph> {
public:
    bool load(handle src, bool convert) {
        if (isinstance<tarvel_python::PyGraph>(src) && tarvel_python::graphOf(src.ptr()) == nullptr) {
            throw error_already_set();
        }
        return type_caster_base<tarvel_python::PyGraph>::load(src, convert);
    }
};

}  // namespace pybind11::detail
