"""Searches from one source: every reached node's path is the one the
two-node search gives, its distance that path's weight, on random graphs of
both weight types with parallel edges, self-loops, ties and negative
weights."""
import random

import pytest

import tarvel

METHODS = (tarvel.BFS, tarvel.DIJKSTRA, tarvel.BELLMAN_FORD)


def outcome(call):
    try:
        return call()
    except RuntimeError as error:
        return "raised: %s" % error


def test_every_target_agrees_with_the_two_node_search():
    rng = random.Random(17)
    for round_ in range(150):
        directed = round_ % 2 == 0
        floating = round_ % 3 == 0
        g = tarvel.Graph(directed, weightType=float if floating else int)
        names = ["n%d" % i for i in range(rng.randint(1, 9))]
        g.addNodes(names)
        low = -2 if round_ % 5 == 0 else 0  # negative weights now and then: cycles too
        g.addEdges([(rng.choice(names), rng.choice(names),
                     rng.randint(low, 4) + (0.5 if floating else 0)) for _ in range(rng.randint(0, 20))])
        for s in names:
            for method in METHODS:
                distances = outcome(lambda: g.distances(s, method))
                paths = outcome(lambda: g.shortestPaths(s, method))
                before = outcome(lambda: g.predecessors(s, method))
                if isinstance(distances, str):  # a negative cycle: every target raises it too
                    assert paths == before == distances
                    assert all(outcome(lambda: g.shortestPath(s, t, method, None)) == distances
                               for t in names if t != s)
                    continue
                assert list(distances) == list(paths) == [n for n in names if n in paths]  # node order
                assert paths[s] == [s] and distances[s] == 0 and s not in before
                for t in names:
                    if t == s:
                        continue
                    path = g.shortestPath(s, t, method, None)
                    assert paths.get(t, []) == path
                    if path:
                        expected = len(path) - 1 if method == tarvel.BFS else g.pathWeight(path)
                        assert distances[t] == expected and type(distances[t]) is type(expected)
                        assert before[t] == path[-2]


def test_refusals():
    g = tarvel.Graph(True)
    g.addNodes("ab")
    for method in (tarvel.UNIFORM_COST_SEARCH, tarvel.A_STAR):
        with pytest.raises(ValueError, match="^searches from one source take BFS, DIJKSTRA or BELLMAN_FORD, not %s$"
                                             % method.name):
            g.distances("a", method)
    with pytest.raises(IndexError, match="unknown node: z"):
        g.shortestPaths("z")
    with pytest.raises(RuntimeError, match="^7 is not a ShortestPathAlgo"):
        g.predecessors("a", tarvel.ShortestPathAlgo(7))
    assert g.distances("a") == {"a": 0} and g.predecessors(source="a", method=tarvel.BFS) == {}
