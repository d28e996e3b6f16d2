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

PYBIND11_MODULE(tarvel, m) {
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
