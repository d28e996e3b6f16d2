// Uses the installed headers with integer node names and wide weights.
#include <tarvel/tarvel.hpp>

#include <cstdlib>
#include <iostream>

int main() {
    tarvel::Graph<long, long long> g(false);
    for (long id : {100L, 200L, 300L, 400L}) g.addNode(id);
    g.addEdge(100, 200, 5'000'000'000LL);
    g.addEdge(200, 300, 1);
    g.addEdge(100, 300, 7'000'000'000LL);
    const auto none = [](long, long) { return 0.0; };
    const auto path = g.shortestPath(100, 300, tarvel::ShortestPathAlgo::DIJKSTRA, none);
    const auto tree = g.minimumSpanningTree(tarvel::MSTAlgo::BORUVKA);
    const auto components = g.connectedComponents();
    const bool ok = path == std::vector<long>{100, 200, 300} && tree.size() == 2 && components.size() == 2 &&
                    g.degreeCentrality().at(100) == 2.0 && g.betweennessCentrality().at(200) == 0.0;
    std::cout << (ok ? "consumer ok" : "consumer FAILED") << std::endl;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
