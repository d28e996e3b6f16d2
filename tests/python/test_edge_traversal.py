"""Graph.edgeDepthFirst, edgeBreadthFirst and findCycle from Python: the
steps as tuples naming the edge's index, the arguments they refuse."""
import pytest
import tarvel


def graph(directed, edges):
    g = tarvel.Graph(directed)
    g.addNodes(sorted({n for e in edges for n in e}))
    g.addEdges(edges)
    return g


def test_steps_name_parallel_edges_apart_and_say_which_way_they_went():
    g = graph(True, [("a", "b"), ("a", "b"), ("c", "a")])
    assert g.edgeDepthFirst() == [("a", "b", 0, False), ("a", "b", 1, False), ("c", "a", 2, False)]
    # Against the edges: from b back to a (both parallel edges), then c.
    assert g.edgeBreadthFirst(["b"], orientation="reverse") == [
        ("a", "b", 0, True), ("a", "b", 1, True), ("c", "a", 2, True)]
    assert g.findCycle() == []
    assert g.findCycle(orientation="ignore") == [("a", "b", 0, False), ("a", "b", 1, True)]
    # Read as undirected, the two parallel edges are a cycle; the edge back alone is none.
    assert graph(True, [("a", "b"), ("b", "a")]).findCycle(symmetric=True) == []
    u = graph(False, [("a", "b"), ("b", "a")])
    assert u.findCycle(["b"]) == [("b", "a", 0, False), ("a", "b", 1, False)]


@pytest.mark.parametrize("method", ["edgeDepthFirst", "edgeBreadthFirst", "findCycle"])
def test_arguments_refused(method):
    g = graph(True, [("a", "b")])
    call = getattr(g, method)
    with pytest.raises(IndexError, match="z"):
        call(["a", "z"])
    with pytest.raises(ValueError, match="orientation must be 'original', 'reverse', 'ignore' or None"):
        call(orientation="sideways")
    with pytest.raises(TypeError):
        call("a")  # a name, not an iterable of names
    with pytest.raises(TypeError):
        call(orientation=1)
    assert call([]) == [] and call(orientation=None) == call()
