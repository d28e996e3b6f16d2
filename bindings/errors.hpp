// How library exceptions become Python exceptions: the standard mapping
// (RuntimeError, IndexError, ValueError, OverflowError, MemoryError), with
// every message decoded so that it arrives whole. Messages may hold bytes
// that are not UTF-8 (names given as bytes, the JSON library's report of a
// bad byte); those bytes show as \xNN, as Python's "backslashreplace" does.
#pragma once

#include <pybind11/pybind11.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include <tarvel/json_file.hpp>

namespace tarvel_python {

namespace py = pybind11;

// The classes of the errors of graph files that the system refused to open,
// read or write: each derives from the OSError subclass of its cause (so
// that `except FileNotFoundError` works as for open()) and from
// RuntimeError (what such errors were before, so that old handlers still
// catch them). Made when the module is imported.
struct FileErrorClasses {
    PyObject* notFound = nullptr;
    PyObject* isADirectory = nullptr;
    PyObject* permission = nullptr;
    PyObject* other = nullptr;  // every other cause: OSError and RuntimeError
};
inline FileErrorClasses fileErrorClasses;

// str() of such an error: its message, as a RuntimeError shows it (an
// OSError with errno and filename set would show "[Errno 2] ..." instead).
inline PyObject* fileErrorText(PyObject*, PyObject* self) {
    PyObject* args = PyObject_GetAttrString(self, "args");
    if (args == nullptr) return nullptr;
    PyObject* text = PyTuple_Check(args) && PyTuple_GET_SIZE(args) == 1
                         ? PyObject_Str(PyTuple_GET_ITEM(args, 0))
                         : reinterpret_cast<PyTypeObject*>(PyExc_OSError)->tp_str(self);
    Py_DECREF(args);
    return text;
}

inline PyMethodDef fileErrorTextMethod = {"__str__", fileErrorText, METH_O,
                                          "__str__($self, /)\n--\n\nThe message, as the error was made with it."};

// Makes the classes and adds them to `module`; false with a Python error set
// when that fails.
inline bool addFileErrorClasses(PyObject* module) {
    const struct {
        PyObject** slot;
        const char* name;
        PyObject* base;
        const char* doc;
    } classes[] = {
        {&fileErrorClasses.notFound, "GraphFileNotFoundError", PyExc_FileNotFoundError,
         "A graph file that does not exist (also a missing directory on its path)."},
        {&fileErrorClasses.isADirectory, "GraphFileIsADirectoryError", PyExc_IsADirectoryError,
         "A graph file name that names a directory."},
        {&fileErrorClasses.permission, "GraphFilePermissionError", PyExc_PermissionError,
         "A graph file that the process may not read or write."},
        {&fileErrorClasses.other, "GraphFileError", PyExc_OSError,
         "A graph file that the system could not open, read or write for another reason (errno tells)."},
    };
    for (const auto& c : classes) {
        PyObject* bases = PyTuple_Pack(2, c.base, PyExc_RuntimeError);
        PyObject* function = PyCFunction_New(&fileErrorTextMethod, nullptr);
        PyObject* method = function == nullptr ? nullptr : PyInstanceMethod_New(function);
        PyObject* members = method == nullptr ? nullptr : Py_BuildValue("{sO}", "__str__", method);
        Py_XDECREF(function);
        Py_XDECREF(method);
        if (bases == nullptr || members == nullptr) {
            Py_XDECREF(bases);
            Py_XDECREF(members);
            return false;
        }
        const std::string qualified = std::string("tarvel.") + c.name;
        *c.slot = PyErr_NewExceptionWithDoc(qualified.c_str(), c.doc, bases, members);
        Py_DECREF(bases);
        Py_DECREF(members);
        if (*c.slot == nullptr) return false;
        Py_INCREF(*c.slot);  // one reference for the module, one kept here for the life of the process
        if (PyModule_AddObject(module, c.name, *c.slot) != 0) {
            Py_DECREF(*c.slot);
            return false;
        }
    }
    return true;
}

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

// Raises the class of `error`'s cause with its message, errno, strerror and
// filename set as OSError's are.
inline void setFileError(const tarvel::FileError& error) {
    const int code = error.error();
    PyObject* type = code == ENOENT                     ? fileErrorClasses.notFound
                     : code == EISDIR                   ? fileErrorClasses.isADirectory
                     : code == EACCES || code == EPERM ? fileErrorClasses.permission
                                                        : fileErrorClasses.other;
    PyObject* message = PyUnicode_DecodeUTF8(error.what(), static_cast<Py_ssize_t>(std::strlen(error.what())),
                                             "backslashreplace");
    PyObject* value = message == nullptr ? nullptr : PyObject_CallFunctionObjArgs(type, message, nullptr);
    Py_XDECREF(message);
    if (value == nullptr) return;  // the error of making it is raised instead
    PyObject* number = PyLong_FromLong(code);
    PyObject* reason = PyUnicode_DecodeLocale(std::strerror(code), "surrogateescape");
    PyObject* name = PyUnicode_DecodeFSDefaultAndSize(error.filename().data(),
                                                      static_cast<Py_ssize_t>(error.filename().size()));
    if (number == nullptr || reason == nullptr || name == nullptr || PyObject_SetAttrString(value, "errno", number) != 0 ||
        PyObject_SetAttrString(value, "strerror", reason) != 0 ||
        PyObject_SetAttrString(value, "filename", name) != 0) {
        PyErr_Clear();  // the attributes are extras: the error itself still goes out
    }
    Py_XDECREF(number);
    Py_XDECREF(reason);
    Py_XDECREF(name);
    PyErr_SetObject(type, value);
    Py_DECREF(value);
}

inline void translateErrors(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const py::error_already_set&) {
        throw;  // a Python exception (raised by a heuristic, say) passes through as it is
    } catch (const py::builtin_exception&) {
        throw;  // pybind11's own, with their own types
    } catch (const tarvel::FileError& e) {
        setFileError(e);
    } catch (const tarvel::FractionalWeight& e) {
        setError(PyExc_RuntimeError, (std::string(e.what()) + ": load it with weightType=float").c_str());
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
