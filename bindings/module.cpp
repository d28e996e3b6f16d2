// The Python module: registrations of Edge, the three method selectors and
// Graph, plus the conversion of results to Python objects. No algorithm
// lives here.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include <tarvel/tarvel.hpp>

namespace py = pybind11;

namespace {

using Graph = tarvel::Graph<std::string, int>;
using Edge = tarvel::Edge<std::string, int>;

// A node name as a Python str (UnicodeDecodeError for bytes that are not UTF-8).
py::str text(const std::string& name) {
    PyObject* object = PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), nullptr);
    if (object == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(object);
}

py::list nameList(const Graph& g, const tarvel::IndexPath& nodes) {
    py::list out(nodes.size());
    for (std::size_t k = 0; k < nodes.size(); ++k) out[k] = text(g.nameOf(nodes[k]));
    return out;
}

py::list nameLists(const Graph& g, const std::vector<tarvel::IndexPath>& groups) {
    py::list out(groups.size());
    for (std::size_t k = 0; k < groups.size(); ++k) out[k] = nameList(g, groups[k]);
    return out;
}

// Per-node values as a dict keyed by name, in the order the nodes were added.
template <class Value>
py::dict byName(const Graph& g, const std::vector<Value>& values) {
    py::dict out;
    for (tarvel::NodeIndex i = 0; i < values.size(); ++i) out[text(g.nameOf(i))] = py::cast(values[i]);
    return out;
}

py::dict edgeColours(const Graph& g) {
    py::dict out;
    for (const auto& item : g.edgeColorList()) {
        out[py::make_tuple(text(g.nameOf(item.first.first)), text(g.nameOf(item.first.second)))] =
            py::int_(item.second);
    }
    return out;
}

}  // namespace

PYBIND11_MODULE(tarvel, m) {
    py::class_<Edge>(m, "Edge")
        .def(py::init<std::string, std::string, int>())
        .def("getSource", &Edge::getSource)
        .def("getDestination", &Edge::getDestination)
        .def("getWeight", &Edge::getWeight);

    py::enum_<tarvel::ShortestPathAlgo>(m, "ShortestPathAlgo")
        .value("BFS", tarvel::ShortestPathAlgo::BFS)
        .value("DIJKSTRA", tarvel::ShortestPathAlgo::DIJKSTRA)
        .value("A_STAR", tarvel::ShortestPathAlgo::A_STAR)
        .value("UNIFORM_COST_SEARCH", tarvel::ShortestPathAlgo::UNIFORM_COST_SEARCH)
        .value("BELLMAN_FORD", tarvel::ShortestPathAlgo::BELLMAN_FORD)
        .export_values();

    py::enum_<tarvel::MSTAlgo>(m, "MSTAlgo")
        .value("KRUSKAL", tarvel::MSTAlgo::KRUSKAL)
        .value("PRIM", tarvel::MSTAlgo::PRIM)
        .value("BORUVKA", tarvel::MSTAlgo::BORUVKA)
        .export_values();

    py::enum_<tarvel::SCCAlgo>(m, "SCCAlgo")
        .value("TARJAN", tarvel::SCCAlgo::TARJAN)
        .value("KOSARAJU", tarvel::SCCAlgo::KOSARAJU)
        .export_values();

    py::class_<Graph>(m, "Graph")
        .def(py::init<bool>())
        .def("addNode", &Graph::addNode)
        .def("hasNode", &Graph::hasNode)
        .def("addEdge", &Graph::addEdge, py::arg("src"), py::arg("dest"), py::arg("weight") = 0)
        .def("hasCycle", &Graph::hasCycle)
        .def("nodeColoring", [](const Graph& g) { return byName(g, g.greedyColors()); })
        .def("edgeColoring", &edgeColours)
        .def("isBipartite", &Graph::isBipartite)
        .def("connectedComponents", [](const Graph& g) { return nameLists(g, g.componentIndices()); })
        .def(
            "katzCentrality",
            [](const Graph& g, double alpha, double beta, int maxIterations, double tolerance) {
                return byName(g, g.katzScores(alpha, beta, maxIterations, tolerance));
            },
            py::arg("alpha") = 0.1, py::arg("beta") = 1.0, py::arg("max_iterations") = 1000,
            py::arg("tolerance") = 1e-06)
        .def("degreeCentrality", [](const Graph& g) { return byName(g, g.degreeScores()); })
        .def("closenessCentrality", [](const Graph& g) { return byName(g, g.closenessScores()); })
        .def("betweennessCentrality", [](const Graph& g) { return byName(g, g.betweennessScores()); })
        .def("minimumSpanningTree", &Graph::minimumSpanningTree, py::arg("method") = tarvel::MSTAlgo::KRUSKAL)
        .def("iterativeDFS",
             [](const Graph& g, const std::string& start) { return nameList(g, g.dfsOrder(g.indexOf(start))); })
        .def("shortestPath", &Graph::shortestPath, py::arg("start"), py::arg("goal"),
             py::arg("method") = tarvel::ShortestPathAlgo::A_STAR, py::arg("heuristic"))
        .def("stronglyConnectedComponents",
             [](const Graph& g, tarvel::SCCAlgo method) { return nameLists(g, g.sccIndices(method)); },
             py::arg("method") = tarvel::SCCAlgo::TARJAN)
        .def("save", &Graph::save)
        .def_static("load", &Graph::load);
}
