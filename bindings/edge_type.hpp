// tarvel.Edge, written against the C API: a small record of two name
// objects and a weight (an int of 32 bits, or a float), so that a spanning
// tree of a million edges costs one small allocation per edge. The names
// are the graph's own cached objects: a str, or the raw bytes of a name that
// is not UTF-8, decoded (and refused) only when read.
//
// An Edge is a value: equal when its names (as UTF-8 bytes) and its weight
// (by Python's numeric equality: 2 == 2.0) are equal, hashed alike then;
// it unpacks as (source, destination, weight) and pickles.
#pragma once

#include <Python.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.hpp"
#include "signatures.hpp"
#include "type_object.hpp"
#include "weight_arguments.hpp"

namespace tarvel_python {

// The weight in 64 bits: a float weight as its double (always finite), an
// int weight as a NaN whose low 32 bits hold it, so that the record stays
// 48 bytes, as small as an int record can be (one allocation each of a
// million tree edges).
class WeightBits {
public:
    static WeightBits of(int whole) { return WeightBits(IntTag | static_cast<std::uint32_t>(whole)); }
    static WeightBits of(double real) {
        std::uint64_t bits;
        std::memcpy(&bits, &real, sizeof bits);
        return WeightBits(bits);
    }

    bool isFloat() const { return (bits & IntMask) != IntTag; }
    int whole() const { return static_cast<int>(static_cast<std::uint32_t>(bits)); }
    double real() const {
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    double numeric() const { return isFloat() ? real() : static_cast<double>(whole()); }  // exact for 32 bits

private:
    explicit WeightBits(std::uint64_t value) : bits(value) {}
    static constexpr std::uint64_t IntTag = 0x7ff8'0001'0000'0000ULL;  // a quiet NaN: never a finite weight
    static constexpr std::uint64_t IntMask = 0xffff'ffff'0000'0000ULL;
    std::uint64_t bits;
};

struct EdgeObject {
    PyObject_HEAD
    PyObject* source;       // str or bytes; nullptr until __init__ ran
    PyObject* destination;  // str or bytes
    WeightBits weight;
    PyObject* weakrefs;
};

static_assert(sizeof(EdgeObject) == 48, "an Edge stays one small allocation");

inline PyTypeObject EdgeType = blankType();

// A new Edge holding new references to `source` and `destination`.
template <class W>
PyObject* newEdge(PyObject* source, PyObject* destination, W weight) {
    auto* edge = PyObject_New(EdgeObject, &EdgeType);
    if (edge == nullptr) return nullptr;
    Py_INCREF(source);
    Py_INCREF(destination);
    edge->source = source;
    edge->destination = destination;
    edge->weight = WeightBits::of(weight);
    edge->weakrefs = nullptr;
    return reinterpret_cast<PyObject*>(edge);
}

namespace edge_detail {

// The object an Edge keeps for a name argument: the str itself (an exact
// str), a str decoded from valid UTF-8 bytes, or the bytes as they are.
inline PyObject* nameObject(PyObject* argument, const char* what) {
    std::string_view name;
    if (!nameArgument("Edge", what, argument, name)) return nullptr;
    if (PyUnicode_CheckExact(argument)) {
        Py_INCREF(argument);
        return argument;
    }
    PyObject* text = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
    if (text != nullptr) return text;
    PyErr_Clear();
    return PyBytes_FromStringAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
}

// Edge's weight: an int in the 32-bit range (bool as 1 or 0, anything with
// __index__), or a finite float.
inline bool weightOf(PyObject* object, WeightBits& weight) {
    if (PyFloat_Check(object)) {
        double real = 0.0;
        if (!weightArgument(object, real)) return false;
        weight = WeightBits::of(real);
        return true;
    }
    if (!PyIndex_Check(object)) {
        wrongType("Edge", "weight", "an int or a float", object);
        return false;
    }
    int whole = 0;
    if (!weightArgument(object, whole)) return false;
    weight = WeightBits::of(whole);
    return true;
}

inline int init(PyObject* self, PyObject* args, PyObject* kwargs) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (edge->source != nullptr) {
        PyErr_SetString(PyExc_TypeError, "Edge.__init__() was called on an edge that already exists");
        return -1;
    }
    if (kwargs != nullptr && PyDict_GET_SIZE(kwargs) > 0) {
        PyErr_SetString(PyExc_TypeError, "Edge() takes its source, destination and weight by position only");
        return -1;
    }
    if (PyTuple_GET_SIZE(args) != 3) {
        PyErr_Format(PyExc_TypeError, "Edge() takes 3 arguments, source, destination and weight (%zd given)",
                     PyTuple_GET_SIZE(args));
        return -1;
    }
    WeightBits weight = WeightBits::of(0);
    if (!weightOf(PyTuple_GET_ITEM(args, 2), weight)) return -1;  // first: it may run Python code
    if (edge->source != nullptr) {  // made meanwhile by code the weight's __index__ ran
        PyErr_SetString(PyExc_TypeError, "Edge.__init__() was called on an edge that already exists");
        return -1;
    }
    PyObject* source = nameObject(PyTuple_GET_ITEM(args, 0), "source");
    PyObject* destination = source == nullptr ? nullptr : nameObject(PyTuple_GET_ITEM(args, 1), "destination");
    if (destination == nullptr) {
        Py_XDECREF(source);
        return -1;
    }
    edge->weight = weight;
    edge->source = source;
    edge->destination = destination;
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

// The name's UTF-8 bytes (a kept str is always encodable).
inline std::string_view bytesOf(PyObject* name) {
    if (PyBytes_Check(name)) return std::string_view(PyBytes_AS_STRING(name), static_cast<std::size_t>(PyBytes_GET_SIZE(name)));
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(name, &size);
    return std::string_view(data, static_cast<std::size_t>(size));
}

inline double numericWeight(const EdgeObject* edge) { return edge->weight.numeric(); }

inline PyObject* weight(const EdgeObject* edge) {
    return edge->weight.isFloat() ? weightObject(edge->weight.real()) : weightObject(edge->weight.whole());
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
    return ready(edge) ? weight(edge) : nullptr;
}

inline PyObject* attributeSource(PyObject* self, void*) { return getSource(self, nullptr); }
inline PyObject* attributeDestination(PyObject* self, void*) { return getDestination(self, nullptr); }
inline PyObject* attributeWeight(PyObject* self, void*) { return getWeight(self, nullptr); }

inline PyObject* repr(PyObject* self) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (edge->source == nullptr) return PyUnicode_FromString("<uninitialized tarvel.Edge>");
    if (!edge->weight.isFloat()) {
        return PyUnicode_FromFormat("Edge(%R, %R, %d)", edge->source, edge->destination, edge->weight.whole());
    }
    PyObject* w = weight(edge);
    if (w == nullptr) return nullptr;
    PyObject* out = PyUnicode_FromFormat("Edge(%R, %R, %R)", edge->source, edge->destination, w);
    Py_DECREF(w);
    return out;
}

inline PyObject* compare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &EdgeType)) Py_RETURN_NOTIMPLEMENTED;
    auto* a = reinterpret_cast<EdgeObject*>(self);
    auto* b = reinterpret_cast<EdgeObject*>(other);
    if (!ready(a) || !ready(b)) return nullptr;
    const bool equal = bytesOf(a->source) == bytesOf(b->source) &&
                       bytesOf(a->destination) == bytesOf(b->destination) && numericWeight(a) == numericWeight(b);
    return PyBool_FromLong(equal == (op == Py_EQ));
}

inline Py_hash_t hash(PyObject* self) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (!ready(edge)) return -1;
    const double w = numericWeight(edge);
    std::uint64_t h = std::hash<std::string_view>{}(bytesOf(edge->source));
    h = h * 0x9e3779b97f4a7c15ULL ^ std::hash<std::string_view>{}(bytesOf(edge->destination));
    h = h * 0x9e3779b97f4a7c15ULL ^ std::hash<double>{}(w == 0.0 ? 0.0 : w);  // -0.0 == 0.0
    const auto out = static_cast<Py_hash_t>(h >> 1);
    return out == -1 ? -2 : out;
}

// (source, destination, weight), for unpacking.
inline PyObject* iterate(PyObject* self) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (!ready(edge)) return nullptr;
    PyObject* source = text(edge->source);
    PyObject* destination = source == nullptr ? nullptr : text(edge->destination);
    PyObject* w = destination == nullptr ? nullptr : weight(edge);
    PyObject* triple = w == nullptr ? nullptr : PyTuple_Pack(3, source, destination, w);
    Py_XDECREF(source);
    Py_XDECREF(destination);
    Py_XDECREF(w);
    if (triple == nullptr) return nullptr;
    PyObject* iterator = PyObject_GetIter(triple);
    Py_DECREF(triple);
    return iterator;
}

// Pickles as Edge(source, destination, weight) with the names as kept (so
// an undecodable name stays bytes).
inline PyObject* reduce(PyObject* self, PyObject*) {
    auto* edge = reinterpret_cast<EdgeObject*>(self);
    if (!ready(edge)) return nullptr;
    PyObject* w = weight(edge);
    if (w == nullptr) return nullptr;
    PyObject* out = Py_BuildValue("(O(OON))", reinterpret_cast<PyObject*>(Py_TYPE(self)), edge->source,
                                  edge->destination, w);
    return out;
}

// Every declared method (method_table.hpp) and its function.
inline const Binding bindings[] = {
    {table::getSource, getSource},
    {table::getDestination, getDestination},
    {table::getWeight, getWeight},
};

// The protocol's methods, with docstrings of their own.
inline const PyMethodDef others[] = {
    {"__reduce__", reduce, METH_NOARGS, "__reduce__($self, /)\n--\n\nPickling support."},
    {nullptr, nullptr, 0, nullptr},
};

inline std::vector<std::string> docs;
inline std::vector<PyMethodDef> definitions;
inline std::string classDoc;

inline PyGetSetDef attributes[] = {
    {"source", attributeSource, nullptr, "The source node's name (read-only), as getSource(). O(1).", nullptr},
    {"destination", attributeDestination, nullptr, "The destination node's name (read-only), as getDestination(). O(1).",
     nullptr},
    {"weight", attributeWeight, nullptr, "The weight (read-only), as getWeight(). O(1).", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace edge_detail

// Makes the type ready and adds it to `module` as "Edge".
inline bool addEdgeType(PyObject* module) {
    EdgeType.tp_name = "tarvel.Edge";
    EdgeType.tp_basicsize = sizeof(EdgeObject);
    EdgeType.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE;
    edge_detail::classDoc = signatures::docstring(table::edge, false);
    EdgeType.tp_doc = edge_detail::classDoc.c_str();
    EdgeType.tp_new = PyType_GenericNew;
    EdgeType.tp_init = edge_detail::init;
    EdgeType.tp_dealloc = edge_detail::dealloc;
    EdgeType.tp_repr = edge_detail::repr;
    EdgeType.tp_richcompare = edge_detail::compare;
    EdgeType.tp_hash = edge_detail::hash;
    EdgeType.tp_iter = edge_detail::iterate;
    EdgeType.tp_methods =
        methodDefinitions(edge_detail::bindings, edge_detail::others, edge_detail::docs, edge_detail::definitions);
    EdgeType.tp_getset = edge_detail::attributes;
    EdgeType.tp_weaklistoffset = offsetof(EdgeObject, weakrefs);
    if (PyType_Ready(&EdgeType) < 0 || !signMethods(&EdgeType, module, table::edge, edge_detail::bindings)) {
        return false;
    }
    Py_INCREF(&EdgeType);
    return PyModule_AddObject(module, "Edge", reinterpret_cast<PyObject*>(&EdgeType)) == 0;
}

}  // namespace tarvel_python
