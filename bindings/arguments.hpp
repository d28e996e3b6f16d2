// Argument conversion for the methods written directly against the C API
// (the single and bulk building calls, Edge): the same values accepted as by
// pybind11's standard conversions, and the same TypeError text when a call
// does not fit.
#pragma once

#include <Python.h>

#include <climits>
#include <string>
#include <string_view>

namespace tarvel_python {

// A name argument: str (as UTF-8), bytes or bytearray (byte for byte). The
// view stays valid while the argument object lives.
inline bool nameArgument(PyObject* object, std::string_view& name) {
    if (PyUnicode_Check(object)) {
        Py_ssize_t size = 0;
        const char* data = PyUnicode_AsUTF8AndSize(object, &size);
        if (data == nullptr) {  // lone surrogates: not encodable
            PyErr_Clear();
            return false;
        }
        name = std::string_view(data, static_cast<std::size_t>(size));
        return true;
    }
    if (PyBytes_Check(object)) {
        name = std::string_view(PyBytes_AS_STRING(object), static_cast<std::size_t>(PyBytes_GET_SIZE(object)));
        return true;
    }
    if (PyByteArray_Check(object)) {
        name = std::string_view(PyByteArray_AS_STRING(object), static_cast<std::size_t>(PyByteArray_GET_SIZE(object)));
        return true;
    }
    return false;
}

// A 32-bit integer argument: int (bool included) and objects that convert
// to int, but not float; out of range is refused.
inline bool intArgument(PyObject* object, int& value, bool convert = true) {
    if (PyFloat_Check(object)) return false;
    if (!convert && !PyLong_Check(object) && !PyIndex_Check(object)) return false;
    const long result = PyLong_AsLong(object);
    const bool failed = result == -1 && PyErr_Occurred();
    if (failed || result < INT_MIN || result > INT_MAX) {
        PyErr_Clear();
        if (failed && convert && PyNumber_Check(object)) {
            PyObject* number = PyNumber_Long(object);
            PyErr_Clear();
            if (number == nullptr) return false;
            const bool ok = intArgument(number, value, false);
            Py_DECREF(number);
            return ok;
        }
        return false;
    }
    value = static_cast<int>(result);
    return true;
}

// Appends repr(object), or sets nothing and returns false when repr fails.
inline bool appendRepr(std::string& out, PyObject* object) {
    PyObject* text = PyObject_Repr(object);
    if (text == nullptr) return false;
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(text, &size);
    if (data != nullptr) out.append(data, static_cast<std::size_t>(size));
    Py_DECREF(text);
    return data != nullptr;
}

// Raises the TypeError of a call that fits no signature: `heading` names the
// call and its accepted signature; the arguments as given follow.
inline void raiseIncompatible(const char* heading, PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                              PyObject* kwnames) {
    std::string message = heading;
    message += "\n\nInvoked with: ";
    bool first = true;
    const auto item = [&](PyObject* object) {
        if (!first) message += ", ";
        first = false;
        return appendRepr(message, object);
    };
    if (self != nullptr && !item(self)) return;
    for (Py_ssize_t k = 0; k < nargs; ++k)
        if (!item(args[k])) return;
    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < keywords; ++k) {
        message += k == 0 ? "; kwargs: " : ", ";
        Py_ssize_t size = 0;
        const char* key = PyUnicode_AsUTF8AndSize(PyTuple_GET_ITEM(kwnames, k), &size);
        if (key == nullptr) return;
        message.append(key, static_cast<std::size_t>(size));
        message += '=';
        if (!appendRepr(message, args[nargs + k])) return;
    }
    PyErr_SetString(PyExc_TypeError, message.c_str());
}

}  // namespace tarvel_python
