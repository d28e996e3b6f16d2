// How an operation runs: as a read of its graph (graph_lock.hpp), with the
// interpreter lock released while the library computes, stoppable by Ctrl-C
// on the main thread (where Python handles signals), and for the long
// centralities on several threads with a progress callback.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <utility>

#include <tarvel/interrupt.hpp>

#include "python_graph.hpp"

namespace tarvel_python {

// The main thread's identity, taken when the module is imported.
inline unsigned long mainThread = 0;

inline bool onMainThread() { return PyThread_get_thread_ident() == mainThread; }

// Raises a pending KeyboardInterrupt (or what a signal handler raised) into
// the computation; it ends the computation and reaches the caller.
inline void checkSignals() {
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
}

// Runs `compute`, which touches no Python object, as a read of `g` with the
// interpreter lock released.
template <class Compute>
auto released(const PyGraph& g, Compute&& compute) -> decltype(compute()) {
    ReadScope read(g.lock());
    std::optional<tarvel::InterruptScope> interrupts;
    if (onMainThread()) interrupts.emplace(&checkSignals);
    py::gil_scoped_release release;
    return compute();
}

// Runs `compute`, which calls back into Python, as a read of `g` holding
// the interpreter lock.
template <class Compute>
auto held(const PyGraph& g, Compute&& compute) -> decltype(compute()) {
    ReadScope read(g.lock());
    std::optional<tarvel::InterruptScope> interrupts;
    if (onMainThread()) interrupts.emplace(&checkSignals);
    return compute();
}

// The keyword arguments threads and progress of the long centralities.
inline tarvel::RunOptions runOptions(const std::optional<int>& threads, const py::object& progress) {
    tarvel::RunOptions options;
    if (threads) {
        if (*threads < 1) throw py::value_error("threads must be at least 1, or None for every usable core");
        options.threads = static_cast<unsigned>(*threads);
    }
    if (!progress.is_none()) {
        if (!PyCallable_Check(progress.ptr())) throw py::type_error("progress must be a callable or None");
        options.progress = [progress](std::size_t done, std::size_t total) {
            py::gil_scoped_acquire acquire;
            progress(done, total);
        };
    }
    return options;
}

}  // namespace tarvel_python
