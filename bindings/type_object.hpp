// The object of a type the module writes against the C API, before its
// slots are filled in.
#pragma once

#include <Python.h>

namespace tarvel_python {

// A type object as the C API's head macro makes it (its reference count, or
// immortal where the interpreter has that), every slot zero: the code that
// makes the type ready sets the slots it uses. The macro initializes the
// head alone, so the compiler's note of every slot left zero (one per
// member, and the members differ between Python versions) is silenced here,
// once.
inline PyTypeObject blankType() {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
    PyTypeObject type = {PyVarObject_HEAD_INIT(nullptr, 0)};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return type;
}

}  // namespace tarvel_python
