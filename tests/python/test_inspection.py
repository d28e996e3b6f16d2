"""What a graph shows of itself: nodes, edges, adjacency lists, counts,
membership and repr; path weights against networkx's distances."""
import random

import networkx as nx
import pytest

import tarvel


def triples(edges):
    return [(e.getSource(), e.getDestination(), e.getWeight()) for e in edges]


def test_contents_follow_the_successful_calls(make):
    for directed in (True, False):
        g = make(directed, ["a", "b", "c"], [("a", "b", 3), ("b", "a", -1), ("c", "c", 2)])
        g.addEdges([("a", "c")])
        for bad in (lambda: g.addEdge("a", "zz"), lambda: g.addEdges([("a", "b"), ("a", "zz")])):
            with pytest.raises(IndexError):
                bad()
        assert g.nodes() == ["a", "b", "c"] and (g.nodeCount(), g.edgeCount()) == (3, 4)
        assert triples(g.edges()) == [("a", "b", 3), ("b", "a", -1), ("c", "c", 2), ("a", "c", 0)]
        assert g.neighbors("a") == ([("b", 3), ("c", 0)] if directed else [("b", 3), ("b", -1), ("c", 0)])
        assert g.neighbors("c") == ([("c", 2)] if directed else [("c", 2), ("c", 2), ("a", 0)])
        # Results share the graph's name objects.
        assert g.nodes()[1] is g.edges()[0].getDestination() is g.neighbors("a")[0][0]
    with pytest.raises(IndexError, match="unknown node: zz"):
        g.neighbors("zz")


def test_undecodable_names_fail_where_other_results_do(make):
    g = make(True, [b"\xff", "a"], [(b"\xff", "a", 1)])
    with pytest.raises(UnicodeDecodeError):
        g.nodes()
    assert g.edges()[0].getDestination() == "a" and g.neighbors(b"\xff") == [("a", 1)]


def test_membership_and_repr(make):
    g = make(True, ["a", b"\xff"], [("a", "a")])
    assert "a" in g and b"a" in g and bytearray(b"\xff") in g
    assert "b" not in g and 5 not in g and None not in g and "\ud800" not in g
    assert repr(g) == "<tarvel.Graph directed, 2 nodes, 1 edge>"
    empty = tarvel.Graph(False)
    assert repr(empty) == "<tarvel.Graph undirected, 0 nodes, 0 edges>"
    assert empty and not hasattr(empty, "__len__")  # an empty graph is no false value
    assert repr(tarvel.Graph.__new__(tarvel.Graph)) == "<uninitialized tarvel.Graph>"


def test_path_weight_prices_the_searches_paths(make):
    rng = random.Random(5)
    for round_ in range(60):
        directed = round_ % 2 == 0
        names = [str(i) for i in range(rng.randint(2, 10))]
        edges = [(rng.choice(names), rng.choice(names), rng.randint(0, 20)) for _ in range(rng.randint(0, 30))]
        g = make(directed, names, edges)
        ref = nx.DiGraph() if directed else nx.Graph()
        ref.add_nodes_from(names)
        for a, b, w in edges:  # the least of parallel edges
            ref.add_edge(a, b, weight=min(w, ref.edges[a, b]["weight"]) if ref.has_edge(a, b) else w)
        lengths = dict(nx.all_pairs_dijkstra_path_length(ref))
        for s in names:
            for t in names:
                for method in (tarvel.DIJKSTRA, tarvel.BELLMAN_FORD, tarvel.A_STAR):
                    path = g.shortestPath(s, t, method, lambda u, v: 0.0)
                    assert (g.pathWeight(path) if path else None) == lengths[s].get(t)


def test_path_weight_of_given_paths(make):
    g = make(True, ["a", "b", "c"], [("a", "b", 4), ("a", "b", 2), ("b", "c", 1), ("c", "c", 5)])
    assert g.pathWeight(("a", b"b", "c", "c")) == 8 and g.pathWeight([]) == g.pathWeight(["c"]) == 0
    for path, kind, message in [(["a", "b", "a"], ValueError, "item 1: no edge from b to a"),
                                (["c", "a", "zz"], IndexError, "unknown node: zz")]:  # names first
        with pytest.raises(kind) as raised:
            g.pathWeight(path)
        assert str(raised.value) == message
    with pytest.raises(TypeError):
        g.pathWeight("abc")
    undirected = make(False, ["a", "b"], [("b", "a", 6)])
    assert undirected.pathWeight(["a", "b", "a"]) == 12
    with pytest.raises(ValueError, match="^item 0: no edge between a and a$"):
        undirected.pathWeight(["a", "a"])
