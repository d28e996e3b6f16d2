// What a Python Graph object holds, and how the binding reaches it.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include <tarvel/tarvel.hpp>

#include "graph_lock.hpp"

namespace tarvel_python {

namespace py = pybind11;

using Graph = tarvel::Graph<std::string, int>;

// The graph, and one Python object per node name, made the first time a
// result contains the name: a str, or the raw bytes when the name is not
// UTF-8 (so that an Edge can carry it and fail only when it is read). Names
// never change, so results share these objects instead of decoding again.
class PyGraph : public Graph {
public:
    explicit PyGraph(bool directed) : Graph(directed) {}
    explicit PyGraph(Graph&& graph) : Graph(std::move(graph)) {}
    PyGraph(PyGraph&&) = default;
    PyGraph(const PyGraph&) = delete;

    // Who reads and writes the graph (graph_lock.hpp).
    GraphLock& lock() const { return readersAndWriters; }

    // A borrowed reference to the str (or bytes) of `node`; nullptr with a
    // Python error set when no object could be made.
    PyObject* cachedName(tarvel::NodeIndex node) const {
        if (node >= names.size()) names.resize(nodeCount());
        py::object& cached = names[node];
        if (!cached) {
            const std::string& name = view().name(node);
            PyObject* object = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
            if (object == nullptr) {
                PyErr_Clear();
                object = PyBytes_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
                if (object == nullptr) return nullptr;
            }
            cached = py::reinterpret_steal<py::object>(object);
        }
        return cached.ptr();
    }

    // A new reference to the name of `node` as a str; throws
    // error_already_set (UnicodeDecodeError) for a name that is not UTF-8.
    PyObject* name(tarvel::NodeIndex node) const {
        PyObject* cached = cachedName(node);
        if (cached == nullptr) throw py::error_already_set();
        if (PyUnicode_CheckExact(cached)) {
            Py_INCREF(cached);
            return cached;
        }
        PyObject* decoded = PyUnicode_DecodeUTF8(PyBytes_AS_STRING(cached), PyBytes_GET_SIZE(cached), nullptr);
        if (decoded == nullptr) throw py::error_already_set();
        return decoded;
    }

    // Asks for the cached object of `node` to be brought into the cache:
    // step 0 its slot, step 1 (once the slot is there) the object.
    void prefetchName(tarvel::NodeIndex node, int step) const {
        if (node >= names.size()) return;
        if (step == 0) {
            __builtin_prefetch(&names[node]);
        } else if (names[node]) {
            __builtin_prefetch(names[node].ptr(), 1);
        }
    }

private:
    mutable std::vector<py::object> names;
    mutable GraphLock readersAndWriters;
};

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
