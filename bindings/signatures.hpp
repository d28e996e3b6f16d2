// Signatures that inspect can read for the callables whose defaults are
// objects (a method selector, the type int): inspect reads a built-in's
// text signature only when every default is a literal, so help(), IDEs and
// documentation generators would see no parameters. Such a callable is
// replaced in Graph's dictionary by a SignedMethod: it forwards every call
// to the built-in it wraps and answers __signature__ from the wrapped
// callable's first documentation line, its defaults evaluated in the
// module. The class gets a __signature__ of its own the same way.
//
// Calls cost what they cost before: the type is a method descriptor with
// vectorcall, so `g.name(...)` passes `g` as the first argument without
// making a bound method, and the wrapped built-in checks it as before.
// The Signature objects are made on first use (importing inspect then).
#pragma once

#include <Python.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>

#include "type_object.hpp"

namespace tarvel_python {

#if PY_VERSION_HEX < 0x03090000
#define TARVEL_HAVE_VECTORCALL _Py_TPFLAGS_HAVE_VECTORCALL
#define TARVEL_VECTORCALL _PyObject_Vectorcall
#else
#define TARVEL_HAVE_VECTORCALL Py_TPFLAGS_HAVE_VECTORCALL
#define TARVEL_VECTORCALL PyObject_Vectorcall
#endif

namespace signatures {

// The parameter list of the documentation's first line, "name(...)", and
// whether it names the bound object ($self); empty when there is none.
inline std::string parameterText(const char* doc, bool& hasSelf) {  // or of the text signature "(...)"
    hasSelf = false;
    if (doc == nullptr) return {};
    const std::string line(doc, std::strcspn(doc, "\n"));
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return {};
    std::string text = line.substr(open + 1, close - open - 1);
    if (text.rfind("$self", 0) == 0) {
        hasSelf = true;
        text.erase(0, 1);
    }
    return text;
}

// A subclass of inspect.Signature that leaves out Signature's check that
// no parameter without a default follows one with a default, for the one
// parameter list that has one: shortestPath(start, goal, method=A_STAR,
// heuristic, *, consistent=False), whose heuristic must be given (by
// position or keyword) while method may be left out when heuristic comes
// by keyword. That list is what the method accepts, and bind() agrees with
// it call for call; giving heuristic a default, or taking method's away,
// would make inspect describe calls the method refuses, or refuse calls it
// accepts. inspect derives the signature of a bound method or a
// functools.partial with type(signature)(...), so those keep the class and
// the list.
inline PyObject* orderFreeSignatureType(PyObject* signatureType) {
    static const char source[] =
        "class Signature(base):\n"
        "    \"An inspect.Signature that may hold a required parameter after a defaulted one.\"\n"
        "    __slots__ = ()\n"
        "    def __init__(self, parameters=None, *, return_annotation=base.empty, __validate_parameters__=False):\n"
        "        super().__init__(parameters, return_annotation=return_annotation,\n"
        "                         __validate_parameters__=False)\n";
    PyObject* names = Py_BuildValue("{sOsssO}", "__builtins__", PyEval_GetBuiltins(), "__name__", "tarvel", "base",
                                    signatureType);
    if (names == nullptr) return nullptr;
    PyObject* done = PyRun_String(source, Py_file_input, names, names);
    PyObject* made = done != nullptr ? PyDict_GetItemString(names, "Signature") : nullptr;  // borrowed
    Py_XINCREF(made);
    Py_XDECREF(done);
    Py_DECREF(names);
    return made;
}

// inspect.Signature for "a, /, b=expr, *, c=expr" (with `self` first for
// a method whose text leaves it out); defaults evaluated with the module's
// names (and the module as `tarvel`) before the built-ins. A list with a
// required parameter after a defaulted one gets the class above.
inline PyObject* build(const char* doc, bool method, PyObject* module) {
    bool hasSelf = false;
    std::string text = parameterText(doc, hasSelf);
    if (method && !hasSelf) text = text.empty() ? "self, /" : "self, /, " + text;
    PyObject* inspect = PyImport_ImportModule("inspect");
    if (inspect == nullptr) return nullptr;
    PyObject *parameterType = PyObject_GetAttrString(inspect, "Parameter"),
             *signatureType = PyObject_GetAttrString(inspect, "Signature");
    Py_DECREF(inspect);
    PyObject* names = PyDict_Copy(PyModule_GetDict(module));
    PyObject* globals = Py_BuildValue("{sO}", "__builtins__", PyEval_GetBuiltins());
    PyObject* parameters = PyList_New(0);
    bool ok = parameterType != nullptr && signatureType != nullptr && names != nullptr && globals != nullptr &&
              parameters != nullptr && PyDict_SetItemString(names, "tarvel", module) == 0;
    // Kinds in the order the markers move them along.
    long kind = 0;  // POSITIONAL_ONLY until "/" or "*" says otherwise
    const bool positionalOnly = text.find('/') != std::string::npos;
    if (!positionalOnly) kind = 1;  // POSITIONAL_OR_KEYWORD
    bool defaulted = false, requiredAfterDefault = false;
    std::size_t at = 0;
    while (ok && at <= text.size() && !text.empty()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(at, end - at);
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        at = end + 1;
        if (item == "/") {
            kind = 1;
            continue;
        }
        if (item == "*") {
            kind = 3;  // KEYWORD_ONLY
            continue;
        }
        const std::size_t equals = item.find('=');
        const std::string name = item.substr(0, equals);
        PyObject* value = nullptr;
        if (equals != std::string::npos) {
            value = PyRun_String(item.c_str() + equals + 1, Py_eval_input, globals, names);
            if (value == nullptr) {
                ok = false;
                break;
            }
        }
        if (value != nullptr) defaulted = true;
        else if (defaulted && kind != 3) requiredAfterDefault = true;
        PyObject* kindValue = PyLong_FromLong(kind);
        PyObject* args = Py_BuildValue("(sN)", name.c_str(), kindValue);
        PyObject* kwargs = value != nullptr ? Py_BuildValue("{sN}", "default", value) : PyDict_New();
        PyObject* parameter =
            args != nullptr && kwargs != nullptr ? PyObject_Call(parameterType, args, kwargs) : nullptr;
        Py_XDECREF(args);
        Py_XDECREF(kwargs);
        ok = parameter != nullptr && PyList_Append(parameters, parameter) == 0;
        Py_XDECREF(parameter);
    }
    PyObject* result = nullptr;
    if (ok) {
        PyObject* type = requiredAfterDefault ? orderFreeSignatureType(signatureType) : signatureType;
        if (type != nullptr) result = PyObject_CallFunctionObjArgs(type, parameters, nullptr);
        if (requiredAfterDefault) Py_XDECREF(type);
    }
    Py_XDECREF(parameters);
    Py_XDECREF(globals);
    Py_XDECREF(names);
    Py_XDECREF(signatureType);
    Py_XDECREF(parameterType);
    return result;
}

// Keeps `made` in `slot` unless another thread filled it while `made` was
// being built (building runs Python code, which may switch threads), and
// returns a new reference to what the slot holds; nullptr passes through.
inline PyObject* keepFirst(PyObject*& slot, PyObject* made) {
    if (made == nullptr) return nullptr;
    if (slot == nullptr) slot = made;
    else Py_DECREF(made);
    Py_INCREF(slot);
    return slot;
}

// A callable of Graph with a signature inspect can read.
struct SignedMethod {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    PyObject* wrapped;    // the built-in method descriptor or function
    PyObject* owner;      // the class, for pickling by name
    PyObject* module;
    PyObject* signature;  // made on first use
    bool method;          // called with the instance first
};

inline PyObject* forward(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    return TARVEL_VECTORCALL(reinterpret_cast<SignedMethod*>(self)->wrapped, args, nargsf, kwnames);
}

inline void dealloc(PyObject* self) {
    auto* s = reinterpret_cast<SignedMethod*>(self);
    Py_XDECREF(s->wrapped);
    Py_XDECREF(s->owner);
    Py_XDECREF(s->module);
    Py_XDECREF(s->signature);
    PyObject_Free(self);
}

// Through the class: the callable itself; through an instance: a bound
// method (what `g.name` gives when it is not called at once).
inline PyObject* get(PyObject* self, PyObject* instance, PyObject*) {
    if (instance == nullptr || instance == Py_None || !reinterpret_cast<SignedMethod*>(self)->method) {
        Py_INCREF(self);
        return self;
    }
    return PyMethod_New(self, instance);
}

inline PyObject* forwardAttribute(PyObject* self, void* name) {
    return PyObject_GetAttrString(reinterpret_cast<SignedMethod*>(self)->wrapped, static_cast<const char*>(name));
}

inline PyObject* signatureOf(PyObject* self, void*) {
    auto* s = reinterpret_cast<SignedMethod*>(self);
    if (s->signature == nullptr) {
        // The text signature, "(...)", when the documentation has one;
        // else the documentation's first line, "name(...)".
        PyObject* doc = PyObject_GetAttrString(s->wrapped, "__text_signature__");
        if (doc == Py_None) {
            Py_DECREF(doc);
            doc = PyObject_GetAttrString(s->wrapped, "__doc__");
        }
        if (doc == nullptr) return nullptr;
        const char* text = PyUnicode_Check(doc) ? PyUnicode_AsUTF8(doc) : nullptr;
        PyObject* made = text != nullptr ? build(text, s->method, s->module) : nullptr;
        Py_DECREF(doc);
        return keepFirst(s->signature, made);
    }
    Py_INCREF(s->signature);
    return s->signature;
}

// The wrapped built-in's repr: <method 'name' of 'tarvel.Graph' objects>.
inline PyObject* repr(PyObject* self) { return PyObject_Repr(reinterpret_cast<SignedMethod*>(self)->wrapped); }

inline PyObject* reduce(PyObject* self, PyObject*) {
    auto* s = reinterpret_cast<SignedMethod*>(self);
    PyObject* name = PyObject_GetAttrString(s->wrapped, "__name__");
    if (name == nullptr) return nullptr;
    PyObject* getattr = PyDict_GetItemString(PyEval_GetBuiltins(), "getattr");
    return Py_BuildValue("(O(ON))", getattr, s->owner, name);
}

inline PyGetSetDef getset[] = {
    {"__signature__", signatureOf, nullptr, nullptr, nullptr},
    {"__name__", forwardAttribute, nullptr, nullptr, const_cast<char*>("__name__")},
    {"__qualname__", forwardAttribute, nullptr, nullptr, const_cast<char*>("__qualname__")},
    {"__doc__", forwardAttribute, nullptr, nullptr, const_cast<char*>("__doc__")},
    {"__text_signature__", forwardAttribute, nullptr, nullptr, const_cast<char*>("__text_signature__")},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

inline PyMethodDef methods[] = {
    {"__reduce__", reduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

inline PyTypeObject SignedMethodType = [] {
    PyTypeObject t = blankType();
    t.tp_name = "tarvel.method";
    t.tp_basicsize = sizeof(SignedMethod);
    t.tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_METHOD_DESCRIPTOR | TARVEL_HAVE_VECTORCALL;
    t.tp_vectorcall_offset = offsetof(SignedMethod, vectorcall);
    t.tp_call = PyVectorcall_Call;
    t.tp_dealloc = dealloc;
    t.tp_descr_get = get;
    t.tp_repr = repr;
    t.tp_getset = getset;
    t.tp_methods = methods;
    t.tp_doc = "A method of tarvel.Graph with a signature inspect can read.";
    return t;
}();

// The class's own __signature__: the Signature of its constructor when
// read through the class, absent through an instance or a subclass.
struct ClassSignature {
    PyObject_HEAD
    PyObject* owner;
    PyObject* module;
    PyObject* signature;
};

inline void deallocClassSignature(PyObject* self) {
    auto* s = reinterpret_cast<ClassSignature*>(self);
    Py_XDECREF(s->owner);
    Py_XDECREF(s->module);
    Py_XDECREF(s->signature);
    PyObject_Free(self);
}

inline PyObject* getClassSignature(PyObject* self, PyObject* instance, PyObject* type) {
    auto* s = reinterpret_cast<ClassSignature*>(self);
    // A subclass may have a constructor of its own: inspect then reads it.
    if ((instance != nullptr && instance != Py_None) || (type != nullptr && type != s->owner)) {
        PyErr_SetString(PyExc_AttributeError, "__signature__");
        return nullptr;
    }
    if (s->signature == nullptr) {
        return keepFirst(s->signature, build(reinterpret_cast<PyTypeObject*>(s->owner)->tp_doc, false, s->module));
    }
    Py_INCREF(s->signature);
    return s->signature;
}

inline PyTypeObject ClassSignatureType = [] {
    PyTypeObject t = blankType();
    t.tp_name = "tarvel.class_signature";
    t.tp_basicsize = sizeof(ClassSignature);
    t.tp_flags = Py_TPFLAGS_DEFAULT;
    t.tp_dealloc = deallocClassSignature;
    t.tp_descr_get = getClassSignature;
    return t;
}();

}  // namespace signatures

// Gives `type` (ready, from `module`) a readable signature, and each of the
// named methods (static ones included) one too. False with a Python error
// set when that fails.
inline bool addSignatures(PyTypeObject* type, PyObject* module, std::initializer_list<const char*> names) {
    using namespace signatures;
    if (PyType_Ready(&SignedMethodType) < 0 || PyType_Ready(&ClassSignatureType) < 0) return false;
    PyObject* dict = type->tp_dict;
    for (const char* name : names) {
        PyObject* entry = PyDict_GetItemString(dict, name);  // borrowed
        if (entry == nullptr) {
            PyErr_Format(PyExc_AttributeError, "no method %s", name);
            return false;
        }
        const bool isStatic = PyObject_TypeCheck(entry, &PyStaticMethod_Type);
        PyObject* wrapped = isStatic ? PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), name) : entry;
        if (wrapped == nullptr) return false;
        if (!isStatic) Py_INCREF(wrapped);
        auto* signed_ = PyObject_New(SignedMethod, &SignedMethodType);
        if (signed_ == nullptr) {
            Py_DECREF(wrapped);
            return false;
        }
        signed_->vectorcall = forward;
        signed_->wrapped = wrapped;
        signed_->owner = reinterpret_cast<PyObject*>(type);
        Py_INCREF(type);
        signed_->module = module;
        Py_INCREF(module);
        signed_->signature = nullptr;
        signed_->method = !isStatic;
        PyObject* stored = reinterpret_cast<PyObject*>(signed_);
        if (isStatic) {
            stored = PyStaticMethod_New(stored);
            Py_DECREF(signed_);
            if (stored == nullptr) return false;
        }
        const int failed = PyDict_SetItemString(dict, name, stored);
        Py_DECREF(stored);
        if (failed != 0) return false;
    }
    auto* classSignature = PyObject_New(ClassSignature, &ClassSignatureType);
    if (classSignature == nullptr) return false;
    classSignature->owner = reinterpret_cast<PyObject*>(type);
    Py_INCREF(type);
    classSignature->module = module;
    Py_INCREF(module);
    classSignature->signature = nullptr;
    const int failed = PyDict_SetItemString(dict, "__signature__", reinterpret_cast<PyObject*>(classSignature));
    Py_DECREF(classSignature);
    if (failed != 0) return false;
    PyType_Modified(type);
    return true;
}

}  // namespace tarvel_python
