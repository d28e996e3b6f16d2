// The faces of a method that its declaration (method_table.hpp) makes: the
// docstring, whose first lines are its text signature and its summary, and
// the signature inspect reads. inspect reads a built-in's text signature
// only when every default is a literal, and never one with a required
// parameter after a defaulted one; a declared method whose list is such
// (Method::textSignatureReadable() false) becomes a SignedMethod in its
// class's dictionary: it calls the method's function as the built-in
// method descriptor would (checking self the same way, leaving every
// refused call to the descriptor it wraps, for the same error), and
// answers __signature__ from the declaration, its defaults evaluated in
// the module. A class whose constructor is such gets a __signature__ of its
// own the same way. Every other method stays CPython's built-in
// descriptor, whose calls the interpreter specialises (3.11 and later):
// inspect reads it from the text signature made of the same declaration.
//
// A SignedMethod's calls cost what the built-in's cost: the type is a
// method descriptor with vectorcall, so `g.name(...)` passes `g` as the
// first argument without making a bound method. The Signature objects are
// made on first use (importing inspect then).
#pragma once

#include <Python.h>

#include <cstddef>
#include <string>
#include <vector>

#include "method_table.hpp"
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

// The docstring: "name($self, a, /, b=0, *, c=None)\n--\n\n" (the
// text signature CPython shows), the summary, then the details. A list that
// inspect.Signature would refuse (requiredAfterDefault) is written as the
// first line of the documentation, "name(a, b=0, c)\n\n", with no text
// signature.
inline std::string docstring(const Method& m, bool method) {
    const bool plain = m.requiredAfterDefault();
    std::string out = std::string(m.name) + "(";
    const auto add = [&](const char* item) {
        if (out.back() != '(') out += ", ";
        out += item;
    };
    const std::size_t positionalOnly = m.positionalOnly();
    if (method && !plain) add("$self");
    if (method && !plain && positionalOnly == 0) add("/");
    bool keywordOnly = false;
    for (std::size_t k = 0; k < m.size(); ++k) {
        const Parameter& p = m.at(k);
        if (p.kind == Kind::Keyword && !keywordOnly) {
            keywordOnly = true;
            add("*");
        }
        add(p.name);
        if (p.fallback != nullptr) out += std::string("=") + p.fallback;
        if (!plain && k + 1 == positionalOnly) add("/");
    }
    out += plain ? ")\n\n" : ")\n--\n\n";
    out += m.summary;
    if (*m.details != '\0') out += std::string("\n\n") + m.details;
    return out;
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

// inspect.Signature of a declaration (with `self` first for a method);
// defaults evaluated with the module's names (and the module as `tarvel`)
// before the built-ins. A list with a required parameter after a defaulted
// one gets the class above.
inline PyObject* build(const Method& m, bool method, PyObject* module) {
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
    const auto append = [&](const char* name, long kind, PyObject* value) {  // steals value
        PyObject* args = Py_BuildValue("(sl)", name, kind);
        PyObject* kwargs = value != nullptr ? Py_BuildValue("{sN}", "default", value) : PyDict_New();
        PyObject* parameter =
            args != nullptr && kwargs != nullptr ? PyObject_Call(parameterType, args, kwargs) : nullptr;
        Py_XDECREF(args);
        Py_XDECREF(kwargs);
        ok = parameter != nullptr && PyList_Append(parameters, parameter) == 0;
        Py_XDECREF(parameter);
    };
    // inspect.Parameter's kinds: POSITIONAL_ONLY 0, POSITIONAL_OR_KEYWORD 1, KEYWORD_ONLY 3.
    if (ok && method) append("self", 0, nullptr);
    for (const Parameter& p : m.parameters) {
        if (!ok) break;
        PyObject* value = nullptr;
        if (p.fallback != nullptr) {
            value = PyRun_String(p.fallback, Py_eval_input, globals, names);
            if (value == nullptr) {
                ok = false;
                break;
            }
        }
        append(p.name, p.kind == Kind::Positional ? 0 : p.kind == Kind::Either ? 1 : 3, value);
    }
    PyObject* result = nullptr;
    const bool orderFree = m.requiredAfterDefault();
    if (ok) {
        PyObject* type = orderFree ? orderFreeSignatureType(signatureType) : signatureType;
        if (type != nullptr) result = PyObject_CallFunctionObjArgs(type, parameters, nullptr);
        if (orderFree) Py_XDECREF(type);
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

// A declared method of Graph or Edge.
struct SignedMethod {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    PyObject* wrapped;    // the built-in method descriptor or function
    PyObject* owner;      // the class, for pickling by name
    PyObject* module;
    PyObject* signature;  // made on first use
    const Method* declaration;
    const PyMethodDef* def;
    bool method;  // called with the instance first
};

inline PyObject* forward(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    return TARVEL_VECTORCALL(reinterpret_cast<SignedMethod*>(self)->wrapped, args, nargsf, kwnames);
}

using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// A method's call: its function with the instance as self, when the first
// argument is an instance of the class (what the method descriptor
// checks); anything else goes to the descriptor, which refuses it.
inline PyObject* call(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    const auto* s = reinterpret_cast<SignedMethod*>(self);
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (nargs >= 1 && PyObject_TypeCheck(args[0], reinterpret_cast<PyTypeObject*>(s->owner))) {
        const auto function = reinterpret_cast<void (*)()>(s->def->ml_meth);
        if ((s->def->ml_flags & METH_FASTCALL) != 0) {
            return reinterpret_cast<FastFunction>(function)(args[0], args + 1, nargs - 1, kwnames);
        }
        if (nargs == 1 && (kwnames == nullptr || PyTuple_GET_SIZE(kwnames) == 0)) {  // METH_NOARGS
            return s->def->ml_meth(args[0], nullptr);
        }
    }
    return forward(self, args, nargsf, kwnames);
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
    if (s->signature == nullptr) return keepFirst(s->signature, build(*s->declaration, s->method, s->module));
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
    t.tp_doc = "A method of tarvel.Graph or tarvel.Edge with a signature inspect can read.";
    return t;
}();

// The class's own __signature__: the Signature of its constructor when
// read through the class, absent through an instance or a subclass.
struct ClassSignature {
    PyObject_HEAD
    PyObject* owner;
    PyObject* module;
    PyObject* signature;
    const Method* declaration;
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
        return keepFirst(s->signature, build(*s->declaration, false, s->module));
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

// A declared method and the function that answers it: a METH_FASTCALL |
// METH_KEYWORDS function, or a METH_NOARGS one for a method without
// parameters.
struct Binding {
    const Method& declaration;
    PyCFunction function;
};

// The method table of a class, made once into `defs` (with the docstrings
// in `docs`, both kept for as long as the module lives): one entry per
// binding, its docstring made from the declaration, then `others` (ending
// with the null entry), whose docstrings are their own.
template <std::size_t N, std::size_t M>
PyMethodDef* methodDefinitions(const Binding (&bindings)[N], const PyMethodDef (&others)[M],
                               std::vector<std::string>& docs, std::vector<PyMethodDef>& defs) {
    if (!defs.empty()) return defs.data();
    docs.reserve(N);
    for (const Binding& b : bindings) {
        docs.push_back(signatures::docstring(b.declaration, !b.declaration.isStatic()));
        const int flags = b.declaration.size() == 0 ? METH_NOARGS : METH_FASTCALL | METH_KEYWORDS;
        defs.push_back({b.declaration.name, b.function, flags | (b.declaration.isStatic() ? METH_STATIC : 0), docs.back().c_str()});
    }
    defs.insert(defs.end(), others, others + M);
    return defs.data();
}

// Makes every declared method of `type` (ready, from `module`, its
// definitions from methodDefinitions) whose text signature inspect cannot
// read a SignedMethod, and gives the class the signature of `constructor`
// when inspect cannot read its text signature either. False with a Python error set when that
// fails.
template <std::size_t N>
bool signMethods(PyTypeObject* type, PyObject* module, const Method& constructor, const Binding (&bindings)[N]) {
    using namespace signatures;
    if (PyType_Ready(&SignedMethodType) < 0 || PyType_Ready(&ClassSignatureType) < 0) return false;
    PyObject* dict = type->tp_dict;
    for (std::size_t k = 0; k < N; ++k) {
        const Method& declaration = bindings[k].declaration;
        // CPython's own descriptor, whose calls the interpreter makes
        // fastest, when inspect reads its text signature.
        if (declaration.textSignatureReadable()) continue;
        PyObject* entry = PyDict_GetItemString(dict, declaration.name);  // borrowed
        if (entry == nullptr) {
            PyErr_Format(PyExc_AttributeError, "no method %s", declaration.name);
            return false;
        }
        const bool isStatic = declaration.isStatic();
        PyObject* wrapped = isStatic ? PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), declaration.name) : entry;
        if (wrapped == nullptr) return false;
        if (!isStatic) Py_INCREF(wrapped);
        auto* signed_ = PyObject_New(SignedMethod, &SignedMethodType);
        if (signed_ == nullptr) {
            Py_DECREF(wrapped);
            return false;
        }
        signed_->vectorcall = isStatic ? forward : call;
        signed_->wrapped = wrapped;
        signed_->owner = reinterpret_cast<PyObject*>(type);
        Py_INCREF(type);
        signed_->module = module;
        Py_INCREF(module);
        signed_->signature = nullptr;
        signed_->declaration = &declaration;
        signed_->def = type->tp_methods + k;
        signed_->method = !isStatic;
        PyObject* stored = reinterpret_cast<PyObject*>(signed_);
        if (isStatic) {
            stored = PyStaticMethod_New(stored);
            Py_DECREF(signed_);
            if (stored == nullptr) return false;
        }
        const int failed = PyDict_SetItemString(dict, declaration.name, stored);
        Py_DECREF(stored);
        if (failed != 0) return false;
    }
    if (constructor.textSignatureReadable()) {
        PyType_Modified(type);
        return true;
    }
    auto* classSignature = PyObject_New(ClassSignature, &ClassSignatureType);
    if (classSignature == nullptr) return false;
    classSignature->owner = reinterpret_cast<PyObject*>(type);
    Py_INCREF(type);
    classSignature->module = module;
    Py_INCREF(module);
    classSignature->signature = nullptr;
    classSignature->declaration = &constructor;
    const int failed = PyDict_SetItemString(dict, "__signature__", reinterpret_cast<PyObject*>(classSignature));
    Py_DECREF(classSignature);
    if (failed != 0) return false;
    PyType_Modified(type);
    return true;
}

}  // namespace tarvel_python
