// libFuzzer harness: arbitrary bytes as a graph file. When loading succeeds,
// every operation runs on the loaded graph with every method, and the graph
// is saved and loaded again, which must give the same file; so must the
// same bytes loaded with double weights.
#include <tarvel/tarvel.hpp>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using G = tarvel::Graph<std::string, int>;

std::string scratch(const char* what) {
    return "/tmp/tarvel-fuzz-" + std::to_string(::getpid()) + "-" + what + ".json";
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void exercise(const G& g) {
    g.hasCycle();
    g.nodeColoring();
    g.isBipartite();
    g.edgeColoring();
    g.connectedComponents();
    g.degreeCentrality();
    g.closenessCentrality();
    g.betweennessCentrality();
    g.katzCentrality();
    g.katzCentrality(0.5, 0.0, 5, 0.0);
    for (auto m : {tarvel::MSTAlgo::KRUSKAL, tarvel::MSTAlgo::PRIM, tarvel::MSTAlgo::BORUVKA}) g.minimumSpanningTree(m);
    for (auto m : {tarvel::SCCAlgo::TARJAN, tarvel::SCCAlgo::KOSARAJU}) {
        try {
            g.stronglyConnectedComponents(m);
        } catch (const std::runtime_error&) {  // undirected graphs are refused
        }
    }
    if (g.nodeCount() == 0) return;
    const std::string first = g.nameOf(0), last = g.nameOf(g.nodeCount() - 1);
    g.iterativeDFS(first);
    const G::Heuristic guess = [](std::string a, std::string b) { return static_cast<double>(a.size() + b.size()); };
    for (auto m : {tarvel::ShortestPathAlgo::BFS, tarvel::ShortestPathAlgo::DIJKSTRA, tarvel::ShortestPathAlgo::A_STAR,
                   tarvel::ShortestPathAlgo::UNIFORM_COST_SEARCH, tarvel::ShortestPathAlgo::BELLMAN_FORD}) {
        try {
            g.shortestPath(first, last, m, guess);
            g.shortestPath(last, first, m, guess);
        } catch (const std::runtime_error& e) {
            if (std::string(e.what()) != "Negative cycle detected") __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = scratch("in"), output = scratch("out"), again = scratch("again");
    {
        std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        const G g = G::load(input);
        exercise(g);
        g.save(output);
        G::load(output).save(again);
        if (readAll(output) != readAll(again)) __builtin_trap();  // a round trip must be stable
    } catch (const std::exception&) {
        // Every refusal is an exception with a message; crashes and
        // sanitizer reports are what the fuzzer looks for.
    }
    try {  // floating-point weights come back bit for bit, so the text is stable too
        using D = tarvel::Graph<std::string, double>;
        D::load(input).save(output);
        D::load(output).save(again);
        if (readAll(output) != readAll(again)) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}
