// Uses the installed headers with integer node names and 64-bit weights:
// paths and trees must be exact where a double would round.
#include <tarvel/tarvel.hpp>

#include <climits>
#include <cstdlib>
#include <iostream>

namespace {

bool check(bool ok, const char* what) {
    if (!ok) std::cout << "consumer FAILED: " << what << std::endl;
    return ok;
}

}  // namespace

int main() {
    using G = tarvel::Graph<long, long long>;
    const auto none = [](long, long) { return 0.0; };
    bool ok = true;

    // Spanning trees keep weights that no double holds.
    G tree(false);
    for (long id : {1L, 2L, 3L}) tree.addNode(id);
    tree.addEdge(1, 2, 9007199254740993LL);  // 2^53 + 1
    tree.addEdge(2, 3, LLONG_MAX);
    for (auto m : {tarvel::MSTAlgo::KRUSKAL, tarvel::MSTAlgo::PRIM, tarvel::MSTAlgo::BORUVKA}) {
        const auto edges = tree.minimumSpanningTree(m);
        ok &= check(edges.size() == 2, "tree size");
        long long low = LLONG_MAX, high = 0;
        for (const auto& e : edges) {
            low = std::min(low, e.getWeight());
            high = std::max(high, e.getWeight());
        }
        ok &= check(low == 9007199254740993LL && high == LLONG_MAX, "tree weights");
    }

    // A direct edge one heavier than a two-edge route.
    G paths(true);
    for (long id : {100L, 200L, 300L}) paths.addNode(id);
    paths.addEdge(100, 300, 864691128455135332LL);
    paths.addEdge(100, 200, 864691128455135330LL);
    paths.addEdge(200, 300, 1);
    for (auto m : {tarvel::ShortestPathAlgo::DIJKSTRA, tarvel::ShortestPathAlgo::A_STAR,
                   tarvel::ShortestPathAlgo::UNIFORM_COST_SEARCH, tarvel::ShortestPathAlgo::BELLMAN_FORD}) {
        ok &= check(paths.shortestPath(100, 300, m, none) == std::vector<long>{100, 200, 300}, "exact path");
    }
    ok &= check(paths.pathWeight({100, 200, 300}) == 864691128455135331LL, "exact path weight");

    // Sums beyond 64 bits are refused, not wrapped.
    G far(true);
    for (long id : {1L, 2L, 3L}) far.addNode(id);
    far.addEdge(1, 2, LLONG_MAX / 2 + 1);
    far.addEdge(2, 3, LLONG_MAX / 2 + 1);
    try {
        far.shortestPath(1, 3, tarvel::ShortestPathAlgo::DIJKSTRA, none);
        ok &= check(false, "overflow refused");
    } catch (const std::overflow_error&) {
    }

    // The free functions work on the view, by index.
    ok &= check(tarvel::degreeCentrality(paths.view()) == std::vector<double>{2.0, 1.0, 0.0}, "degree");
    std::cout << (ok ? "consumer ok" : "consumer FAILED") << std::endl;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
