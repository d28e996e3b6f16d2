// How an operation computes: with the interpreter lock released while the
// library works (or held, when the work calls back into Python), stoppable
// by Ctrl-C on the main thread (where Python handles signals), and for the
// long centralities on several threads with a progress callback. The
// operation itself holds a read of its graph (shared_graph.hpp) around all
// of this and around making its result.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <utility>

#include <tarvel/interrupt.hpp>

namespace tarvel_python {

namespace py = pybind11;

// The main thread's identity, taken when the module is imported.
inline unsigned long mainThread = 0;

inline bool onMainThread() { return PyThread_get_thread_ident() == mainThread; }

// Raises a pending KeyboardInterrupt (or what a signal handler raised) into
// the computation; it ends the computation and reaches the caller.
inline void checkSignals() {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

// Ctrl-C heard by the library's checks for the length of a scope, on the
// main thread.
class SignalScope {
public:
    SignalScope() {
        if (onMainThread()) interrupts.emplace(&checkSignals);
    }

private:
    std::optional<tarvel::InterruptScope> interrupts;
};

// Loops over many Python objects (making a big result, reading a big batch)
// hear Ctrl-C too: a pending signal raises every few thousand items.
class SignalPoll {
public:
    void operator()() {
        if (++count % 8192 == 0 && PyErr_CheckSignals() != 0) throw py::error_already_set();
    }

private:
    std::size_t count = 0;
};

// Runs `compute`, which touches no Python object, with the interpreter lock
// released.
template <class Compute>
auto released(Compute&& compute) -> decltype(compute()) {
    SignalScope signals;
    py::gil_scoped_release release;
    return compute();
}

// Runs `compute`, which calls back into Python, holding the interpreter lock.
template <class Compute>
auto held(Compute&& compute) -> decltype(compute()) {
    SignalScope signals;
    return compute();
}


}  // namespace tarvel_python
