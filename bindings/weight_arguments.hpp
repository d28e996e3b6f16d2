// Edge weights as they cross from Python, for the two weight types of a
// Python Graph. Nothing is rounded or truncated on the way: a value the
// graph cannot hold exactly is refused, with a message that says why.
//
// - int graphs (32-bit weights): an int, bool (1 or 0) or anything with
//   __index__ (numpy's integers) in the 32-bit range; a float, Fraction or
//   Decimal raises TypeError saying that weightType=float holds fractional
//   weights, an integer outside the range OverflowError.
// - float graphs (double weights): a float (finite), or an integer a double
//   holds exactly (every one up to 2^53, and larger ones such as 2^60);
//   NaN and infinities raise ValueError, other integers OverflowError,
//   other types TypeError.
// What an __index__ or __float__ of the caller's raises passes through.
#pragma once

#include <Python.h>

#include <climits>
#include <cmath>

namespace tarvel_python {

// Writes "weight REPR" into a new exception of `type` with `tail` after it.
inline void weightError(PyObject* type, PyObject* weight, const char* tail) {
    PyErr_Format(type, "weight %R %s", weight, tail);
}

inline bool weightArgument(PyObject* object, int& weight) {
    if (PyLong_CheckExact(object)) {  // the common case, without a new reference
        int overflow = 0;
        const long value = PyLong_AsLongAndOverflow(object, &overflow);
        if (overflow == 0 && value >= INT_MIN && value <= INT_MAX) {
            weight = static_cast<int>(value);
            return true;
        }
    }
    if (PyFloat_Check(object) || !PyIndex_Check(object)) {
        weightError(PyExc_TypeError, object,
                    "is not an integer: this graph holds integer weights (Graph(..., weightType=float) holds "
                    "fractional ones)");
        return false;
    }
    PyObject* number = PyNumber_Index(object);
    if (number == nullptr) return false;
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(number, &overflow);
    Py_DECREF(number);
    if (value == -1 && PyErr_Occurred()) return false;
    if (overflow != 0 || value < INT_MIN || value > INT_MAX) {
        weightError(PyExc_OverflowError, object,
                    "is outside the range of integer weights, -2147483648 to 2147483647");
        return false;
    }
    weight = static_cast<int>(value);
    return true;
}

inline bool weightArgument(PyObject* object, double& weight) {
    if (PyFloat_Check(object)) {
        weight = PyFloat_AS_DOUBLE(object);
        if (!std::isfinite(weight)) {
            weightError(PyExc_ValueError, object, "is not finite: edge weights must be finite");
            return false;
        }
        return true;
    }
    if (!PyIndex_Check(object)) {
        weightError(PyExc_TypeError, object, "is not an int or a float");
        return false;
    }
    PyObject* number = PyNumber_Index(object);
    if (number == nullptr) return false;
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(number, &overflow);
    bool exact = overflow == 0 && small >= -(1LL << 53) && small <= (1LL << 53);
    if (small == -1 && PyErr_Occurred()) {
        Py_DECREF(number);
        return false;
    }
    if (exact) {
        weight = static_cast<double>(small);
    } else {
        // Beyond 2^53 a double holds only some integers: the nearest one
        // must be the integer itself.
        weight = PyLong_AsDouble(number);
        if (weight == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();  // beyond the range of doubles altogether
        } else {
            PyObject* back = PyLong_FromDouble(weight);
            const int equal = back == nullptr ? -1 : PyObject_RichCompareBool(back, number, Py_EQ);
            Py_XDECREF(back);
            if (equal < 0) {
                Py_DECREF(number);
                return false;
            }
            exact = equal == 1;
        }
    }
    Py_DECREF(number);
    if (!exact) {
        weightError(PyExc_OverflowError, object, "has no exact floating-point value: a double cannot hold it");
        return false;
    }
    return true;
}

// The weight as a Python object of the graph's kind.
inline PyObject* weightObject(int weight) { return PyLong_FromLong(weight); }
inline PyObject* weightObject(double weight) { return PyFloat_FromDouble(weight); }

}  // namespace tarvel_python
