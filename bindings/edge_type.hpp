// tarvel.Edge, written against the C API: a small record of two name
// objects and a weight, so that a spanning tree of a million edges costs one
// small allocation per edge. The names are the graph's own cached objects: a
// str, or the raw bytes of a name that is not UTF-8, decoded (and refused)
// only when read.
#pragma once

#include <Python.h>
#include <structmember.h>

#include "arguments.hpp"

namespace tarvel_python {

struct EdgeObject {
    PyObject_HEAD
    PyObject* source;       // str or bytes; nullptr until __init__ ran
    PyObject* destination;  // str or bytes
    int weight;
    PyObject* weakrefs;
};

inline PyTypeObject EdgeType = {PyVarObject_HEAD_INIT(nullptr, 0)};

inline const char* const EdgeSignature =
    "__init__(): incompatible constructor arguments. The following argument types are supported:\n"
    "    1. tarvel.Edge(arg0: str, arg1: str, arg2: typing.SupportsInt | typing.SupportsIndex)";

// A new Edge holding new references to `source` and `destination`.
inline PyObject* newEdge(PyObject* source, PyObject* destination, int weight) {
    auto* edge = PyObject_New(EdgeObject, &EdgeType);
    if (edge == nullptr) return nullptr;
    Py_INCREF(source);
    Py_INCREF(destination);
    edge->source = source;
    edge->destination = destination;
    edge->weight = weight;
    edge->weakrefs = nullptr;
    return reinterpret_cast<PyObject*>(edge);
}

namespace edge_detail {

// The object an Edge keeps for a name argument: the str itself (an exact
// str), a str decoded from valid UTF-8 bytes, or the bytes as they are.
inline PyObject* nameObject(PyObject* argument) {
    std::string_view name;
    if (!nameArgument(argument, name)) return nullptr;
    if (PyUnicode_CheckExact(argument)) {
        Py_INCREF(argument);
        return argument;
    }
    PyObject* text = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
    if (text != nullptr) return text;
    PyErr_Clear();
    return PyBytes_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
}

inline int init(PyObject* self, PyObject* args, PyObject* kwargs) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (edge->source != nullptr) {
        PyErr_SetString(PyExc_TypeError, "Edge.__init__() was called on an edge that already exists");
        return -1;
    }
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    const bool keywords = kwargs != nullptr && PyDict_GET_SIZE(kwargs) > 0;
    int weight = 0;
    PyObject* source = nullptr;
    PyObject* destination = nullptr;
    if (nargs == 3 && !keywords && intArgument(PyTuple_GET_ITEM(args, 2), weight)) {
        source = nameObject(PyTuple_GET_ITEM(args, 0));
        if (source != nullptr) destination = nameObject(PyTuple_GET_ITEM(args, 1));
    }
    if (destination == nullptr) {
        Py_XDECREF(source);
        if (PyErr_Occurred()) return -1;
        // The arguments as given, keywords after the positional ones.
        PyObject* names = keywords ? PyDict_Keys(kwargs) : nullptr;
        PyObject* values = keywords ? PyDict_Values(kwargs) : nullptr;
        std::vector<PyObject*> all(&PyTuple_GET_ITEM(args, 0), &PyTuple_GET_ITEM(args, 0) + nargs);
        PyObject* kwnames = nullptr;
        if (keywords && names != nullptr && values != nullptr) {
            for (Py_ssize_t k = 0; k < PyList_GET_SIZE(values); ++k) all.push_back(PyList_GET_ITEM(values, k));
            kwnames = PyList_AsTuple(names);
        }
        if (!PyErr_Occurred()) raiseIncompatible(EdgeSignature, nullptr, all.data(), nargs, kwnames);
        Py_XDECREF(kwnames);
        Py_XDECREF(names);
        Py_XDECREF(values);
        return -1;
    }
    edge->source = source;
    edge->destination = destination;
    edge->weight = weight;
    return 0;
}

inline void dealloc(PyObject* self) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (edge->weakrefs != nullptr) PyObject_ClearWeakRefs(self);
    Py_XDECREF(edge->source);
    Py_XDECREF(edge->destination);
    Py_TYPE(self)->tp_free(self);
}

inline bool ready(EdgeObject* edge) {
    if (edge->source != nullptr) return true;
    PyErr_SetString(PyExc_TypeError, "the Edge was not initialized: tarvel.Edge.__init__() did not run");
    return false;
}

// The name as a str: bytes that are not UTF-8 raise UnicodeDecodeError here.
inline PyObject* text(PyObject* name) {
    if (PyUnicode_CheckExact(name)) {
        Py_INCREF(name);
        return name;
    }
    return PyUnicode_DecodeUTF8(PyBytes_AS_STRING(name), PyBytes_GET_SIZE(name), nullptr);
}

inline PyObject* getSource(PyObject* self, PyObject*) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    return ready(edge) ? text(edge->source) : nullptr;
}

inline PyObject* getDestination(PyObject* self, PyObject*) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    return ready(edge) ? text(edge->destination) : nullptr;
}

inline PyObject* getWeight(PyObject* self, PyObject*) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    return ready(edge) ? PyLong_FromLong(edge->weight) : nullptr;
}

inline PyObject* repr(PyObject* self) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (edge->source == nullptr) return PyUnicode_FromString("<uninitialized tarvel.Edge>");
    return PyUnicode_FromFormat("Edge(%R, %R, %d)", edge->source, edge->destination, edge->weight);
}

inline PyMethodDef methods[] = {
    {"getSource", getSource, METH_NOARGS, "getSource($self, /)\n--\n\nThe source node's name. O(1)."},
    {"getDestination", getDestination, METH_NOARGS, "getDestination($self, /)\n--\n\nThe destination node's name. O(1)."},
    {"getWeight", getWeight, METH_NOARGS, "getWeight($self, /)\n--\n\nThe weight, a 32-bit signed integer. O(1)."},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace edge_detail

// Makes the type ready and adds it to `module` as "Edge".
inline bool addEdgeType(PyObject* module) {
    EdgeType.tp_name = "tarvel.Edge";
    EdgeType.tp_basicsize = sizeof(EdgeObject);
    EdgeType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    EdgeType.tp_doc =
        "Edge(arg0, arg1, arg2, /)\n--\n\n"
        "An edge record: source name, destination name and integer weight.\n\n"
        "Edge(source, destination, weight): a new record. O(1).";
    EdgeType.tp_new = PyType_GenericNew;
    EdgeType.tp_init = edge_detail::init;
    EdgeType.tp_dealloc = edge_detail::dealloc;
    EdgeType.tp_repr = edge_detail::repr;
    EdgeType.tp_methods = edge_detail::methods;
    EdgeType.tp_weaklistoffset = offsetof(EdgeObject, weakrefs);
    if (PyType_Ready(&EdgeType) < 0) return false;
    Py_INCREF(&EdgeType);
    return PyModule_AddObject(module, "Edge", reinterpret_cast<PyObject*>(&EdgeType)) == 0;
}

}  // namespace tarvel_python
