"""The searches near their ends and from several sources as the module gives
them: what the C++ tests do not see, the arguments and the Python types of
the answers (their orders and paths are checked against oracles in
tests/cpp and, through the networkx backend, against networkx)."""
import random

import pytest

import tarvel


@pytest.mark.parametrize("weight_type", [int, float])
def test_multi_source_answers_are_least_distances_of_the_weight_type(weight_type):
    rng = random.Random(7)
    g = tarvel.Graph(True, weightType=weight_type)
    g.addNodes([str(k) for k in range(30)])
    g.addEdges([(str(rng.randrange(30)), str(rng.randrange(30)), rng.randint(0, 4)) for _ in range(80)])
    for cutoff in (None, 0, 2.5):
        got = g.multiSourceDistances(["3", "7", "3"], cutoff=cutoff)
        assert all(type(d) is weight_type for d in got.values())
        # Each the least of the single-source distances, within the cutoff.
        one = [g.distances(s) for s in ("3", "7")]
        want = {v: min(d[v] for d in one if v in d) for v in g.nodes() if any(v in d for d in one)}
        assert got == {v: d for v, d in want.items() if cutoff is None or d <= cutoff}
        paths = g.multiSourcePaths(["3", "7"], cutoff=cutoff)
        assert list(paths) == list(got) and all(g.pathWeight(p) == got[v] for v, p in paths.items())
        for goal in g.nodes():
            assert g.multiSourcePaths(["3", "7"], cutoff=cutoff, goal=goal) == (
                {goal: paths[goal]} if goal in paths else {})


def test_arguments_are_checked():
    g = tarvel.Graph(True)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)
    assert g.nodesWithin("a", 0) == ["a"] and g.multiSourceDistances([]) == {}
    with pytest.raises(IndexError):
        g.nodesWithin("z", 1)
    with pytest.raises(OverflowError):
        g.nodesWithin("a", -1)
    with pytest.raises(TypeError):
        g.nodesWithin("a", 1.5)
    with pytest.raises(IndexError):
        g.twoEndedBfsPath("z", "a")
    with pytest.raises(TypeError):
        g.twoEndedBfsPath("a", "b", symmetric="yes")
    with pytest.raises(TypeError):
        g.twoEndedBfsPath("a", "b", backward=[])
    small = tarvel.Graph(True)
    small.addNodes(["a"])
    with pytest.raises(ValueError, match="the backward graph has 1 nodes, not 2"):
        g.twoEndedBfsPath("a", "b", backward=small)
    with pytest.raises(IndexError):
        g.multiSourceDistances(["z"])
    with pytest.raises(IndexError):
        g.multiSourcePaths(["a"], goal="z")
    with pytest.raises(TypeError):
        g.multiSourceDistances(None)
    with pytest.raises(TypeError):
        g.multiSourceDistances(["a"], cutoff="1")
