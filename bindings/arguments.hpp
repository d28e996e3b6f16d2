// Arguments as the module's methods take them, written against the C API:
// the parser of the vectorcall convention that every method's declaration
// in method_table.hpp drives (names, positional-only and keyword-only
// parameters, required ones), and conversions of single
// arguments with the module's own TypeError texts. Every conversion copies
// what it keeps out of the Python object or returns a view that is valid
// only while the object lives and no Python code runs.
#pragma once

#include <Python.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "method_table.hpp"

namespace tarvel_python {

// A name argument: str (as UTF-8), bytes or bytearray (byte for byte). The
// view stays valid while the object lives and is not changed (a bytearray
// can be: callers copy before anything else may run).
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

// The type name of `object` for messages.
inline const char* typeName(PyObject* object) { return Py_TYPE(object)->tp_name; }

// Sorts the arguments of a vectorcall into `out`, one borrowed reference or
// nullptr (not given) per parameter of `s`; false with TypeError set when
// the call does not fit the declaration. Inlined, so that a declaration
// known at the call folds into the checks it implies (a method called
// millions of times pays for no loop over its declaration).
[[gnu::always_inline]] inline bool parseArguments(const Method& s, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                           PyObject** out) {
    const std::size_t size = s.size(), positionalOnly = s.positionalOnly(), keywordOnly = s.beforeKeywordOnly();
    for (std::size_t k = 0; k < size; ++k) out[k] = nullptr;
    const auto positional = static_cast<std::size_t>(nargs);
    if (positional > keywordOnly) {
        if (keywordOnly == size || (s.flags & PlainCount) != 0) {
            PyErr_Format(PyExc_TypeError, "%s() takes at most %zu argument%s (%zd given)", s.name, keywordOnly,
                         keywordOnly == 1 ? "" : "s", nargs);
        } else {
            PyErr_Format(PyExc_TypeError, "%s() takes at most %zu positional argument%s (%zd given)", s.name,
                         keywordOnly, keywordOnly == 1 ? "" : "s", nargs);
        }
        return false;
    }
    for (std::size_t k = 0; k < positional; ++k) out[k] = args[k];
    const Py_ssize_t keywords = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t j = 0; j < keywords; ++j) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, j);
        std::size_t k = positionalOnly;
        while (k < size && PyUnicode_CompareWithASCIIString(key, s.at(k).name) != 0) ++k;
        if (k == size) {
            std::size_t only = 0;
            while (only < positionalOnly && PyUnicode_CompareWithASCIIString(key, s.at(only).name) != 0) ++only;
            if (only < positionalOnly) {
                PyErr_Format(PyExc_TypeError,
                             "%s() got some positional-only arguments passed as keyword arguments: '%s'", s.name,
                             s.at(only).name);
            } else {
                PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", s.name, key);
            }
            return false;
        }
        if (out[k] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", s.name, s.at(k).name);
            return false;
        }
        out[k] = args[nargs + j];
    }
    for (std::size_t k = 0; k < size; ++k) {
        const Parameter& p = s.at(k);
        if (out[k] != nullptr || p.fallback != nullptr) continue;
        if (p.whenMissing != nullptr) {
            PyErr_SetString(PyExc_TypeError, p.whenMissing);
        } else {
            PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s'", s.name, p.name);
        }
        return false;
    }
    return true;
}

// The TypeError of an argument of the wrong type: "METHOD(): WHAT must be
// EXPECTED, not TYPE".
inline void wrongType(const char* method, const char* what, const char* expected, PyObject* given) {
    PyErr_Format(PyExc_TypeError, "%s(): %s must be %s, not %s", method, what, expected, typeName(given));
}

// A name argument or TypeError.
inline bool nameArgument(const char* method, const char* what, PyObject* object, std::string_view& name) {
    if (nameArgument(object, name)) return true;
    if (PyUnicode_Check(object)) {
        PyErr_Format(PyExc_TypeError, "%s(): %s %R cannot be encoded as UTF-8", method, what, object);
    } else {
        wrongType(method, what, "a str, bytes or bytearray", object);
    }
    return false;
}

// A flag: True or False, None as False, or any object with a truth value
// of the number protocol (an int, a float, numpy's booleans); anything else
// is refused, as a string or a list would be true by accident.
inline bool flagArgument(const char* method, const char* what, PyObject* object, bool& flag) {
    if (object == Py_True || object == Py_False || object == Py_None) {
        flag = object == Py_True;
        return true;
    }
    PyNumberMethods* number = Py_TYPE(object)->tp_as_number;
    if (number != nullptr && number->nb_bool != nullptr) {
        const int truth = number->nb_bool(object);
        if (truth < 0) return false;
        flag = truth != 0;
        return true;
    }
    wrongType(method, what, "a bool", object);
    return false;
}

// A float argument: float, int, or anything with __float__ or __index__.
inline bool doubleArgument(const char* method, const char* what, PyObject* object, double& value) {
    if (PyFloat_Check(object)) {
        value = PyFloat_AS_DOUBLE(object);
        return true;
    }
    if (PyUnicode_Check(object) || PyBytes_Check(object) || PyByteArray_Check(object) ||
        (Py_TYPE(object)->tp_as_number == nullptr ||
         (Py_TYPE(object)->tp_as_number->nb_float == nullptr && Py_TYPE(object)->tp_as_number->nb_index == nullptr))) {
        wrongType(method, what, "a number", object);
        return false;
    }
    value = PyFloat_AsDouble(object);
    return !(value == -1.0 && PyErr_Occurred());
}

// An int argument (int or anything with __index__, not float) in [low, high].
inline bool longArgument(const char* method, const char* what, PyObject* object, long long low, long long high,
                         long long& value) {
    if (PyFloat_Check(object) || !PyIndex_Check(object)) {
        wrongType(method, what, "an int", object);
        return false;
    }
    int overflow = 0;
    value = PyLong_AsLongLongAndOverflow(object, &overflow);
    if (value == -1 && PyErr_Occurred()) return false;
    if (overflow != 0 || value < low || value > high) {
        PyErr_Format(PyExc_OverflowError, "%s(): %s %R is outside the range %lld to %lld", method, what, object, low,
                     high);
        return false;
    }
    return true;
}

// None or a callable.
inline bool callableArgument(const char* method, const char* what, PyObject* object) {
    if (object == Py_None || PyCallable_Check(object)) return true;
    wrongType(method, what, "a callable or None", object);
    return false;
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

}  // namespace tarvel_python
