// The Python module: the classes Edge and Graph (written against the C API,
// beside this file), the three method selectors (pybind11 enumerations),
// the graph file's exception classes and the version. No algorithm lives
// here.
#include <pybind11/pybind11.h>

#include <tarvel/tarvel.hpp>

#include "edge_type.hpp"
#include "engine.hpp"
#include "errors.hpp"
#include "graph_type.hpp"

namespace py = pybind11;
using namespace tarvel_python;

// Whether this thread's PyGILState thread state is the running one. Before
// CPython 3.12 it is not in a subinterpreter run on a thread that already
// has a state in another interpreter (the main thread, under
// _xxsubinterpreters.run_string): PyGILState_Ensure there (pybind11's, ours)
// waits for ever for the interpreter lock this very thread holds. 3.12 and
// later move that state along with the running one.
static bool gilStateIsCurrent() {
    if (PyGILState_GetThisThreadState() == PyThreadState_Get()) return true;
    PyErr_SetString(PyExc_ImportError,
                    "tarvel cannot be imported here: subinterpreters are not supported on this Python (the "
                    "interpreter lock's per-thread state belongs to another interpreter); import it in the main "
                    "interpreter");
    return false;
}

// The module's entry point, PYBIND11_MODULE's own with the check above made
// before pybind11 first takes the interpreter lock.
static int pybind11_exec_tarvel(PyObject*);
extern "C" PYBIND11_EXPORT PyObject* PyInit_tarvel() {
    PYBIND11_CHECK_PYTHON_VERSION
    if (!gilStateIsCurrent()) return nullptr;
    try {
        py::detail::ensure_internals();
        static py::detail::slots_array slots = py::detail::init_slots(&pybind11_exec_tarvel);
        static PyModuleDef definition{PyModuleDef_HEAD_INIT, "tarvel", nullptr, 0, nullptr, slots.data(),
                                      nullptr, nullptr, nullptr};
        return PyModuleDef_Init(&definition);
    }
    PYBIND11_CATCH_INIT_EXCEPTIONS
    return nullptr;
}

PYBIND11_MODULE_EXEC(tarvel, m) {
    mainThread = py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
    if (!addEdgeType(m.ptr())) throw py::error_already_set();

    py::enum_<tarvel::ShortestPathAlgo>(m, "ShortestPathAlgo", "The search used by Graph.shortestPath.")
        .value("BFS", tarvel::ShortestPathAlgo::BFS)
        .value("DIJKSTRA", tarvel::ShortestPathAlgo::DIJKSTRA)
        .value("A_STAR", tarvel::ShortestPathAlgo::A_STAR)
        .value("UNIFORM_COST_SEARCH", tarvel::ShortestPathAlgo::UNIFORM_COST_SEARCH)
        .value("BELLMAN_FORD", tarvel::ShortestPathAlgo::BELLMAN_FORD)
        .export_values();

    py::enum_<tarvel::MSTAlgo>(m, "MSTAlgo", "The algorithm used by Graph.minimumSpanningTree.")
        .value("KRUSKAL", tarvel::MSTAlgo::KRUSKAL)
        .value("PRIM", tarvel::MSTAlgo::PRIM)
        .value("BORUVKA", tarvel::MSTAlgo::BORUVKA)
        .export_values();

    py::enum_<tarvel::SCCAlgo>(m, "SCCAlgo", "The algorithm used by Graph.stronglyConnectedComponents.")
        .value("TARJAN", tarvel::SCCAlgo::TARJAN)
        .value("KOSARAJU", tarvel::SCCAlgo::KOSARAJU)
        .export_values();

    if (!addGraphType(m.ptr()) || !addFileErrorClasses(m.ptr())) throw py::error_already_set();
    m.attr("__version__") = TARVEL_VERSION;
}
