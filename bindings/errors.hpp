// How library exceptions become Python exceptions: the standard mapping
// (RuntimeError, IndexError, ValueError, OverflowError, MemoryError), with
// every message decoded so that it arrives whole. Messages may hold bytes
// that are not UTF-8 (names given as bytes, the JSON library's report of a
// bad byte); those bytes show as \xNN, as Python's "backslashreplace" does.
#pragma once

#include <pybind11/pybind11.h>

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

namespace tarvel_python {

namespace py = pybind11;

inline void setError(PyObject* type, const char* message) {
    PyObject* text = PyUnicode_DecodeUTF8(message, static_cast<Py_ssize_t>(std::strlen(message)), "backslashreplace");
    if (text == nullptr) {  // only when even that fails (no memory): keep the type
        PyErr_Clear();
        PyErr_SetNone(type);
        return;
    }
    PyErr_SetObject(type, text);
    Py_DECREF(text);
}

inline void translateErrors(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const py::error_already_set&) {
        throw;  // a Python exception (raised by a heuristic, say) passes through as it is
    } catch (const py::builtin_exception&) {
        throw;  // pybind11's own, with their own types
    } catch (const std::bad_alloc& e) {
        setError(PyExc_MemoryError, e.what());
    } catch (const std::out_of_range& e) {
        setError(PyExc_IndexError, e.what());
    } catch (const std::overflow_error& e) {
        setError(PyExc_OverflowError, e.what());
    } catch (const std::invalid_argument& e) {
        setError(PyExc_ValueError, e.what());
    } catch (const std::length_error& e) {
        setError(PyExc_ValueError, e.what());
    } catch (const std::domain_error& e) {
        setError(PyExc_ValueError, e.what());
    } catch (const std::range_error& e) {
        setError(PyExc_ValueError, e.what());
    } catch (const std::exception& e) {
        setError(PyExc_RuntimeError, e.what());
    }
}

}  // namespace tarvel_python
