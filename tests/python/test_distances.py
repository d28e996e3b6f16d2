"""Distances from each source and the eccentricity family, against
networkx's own single-source searches and eccentricities on random graphs
(ties from small and zero weights, self-loops, disconnected parts): the
same values, types and orders; the same rows on any thread count; the
errors."""
import random

import networkx as nx
import pytest

import tarvel


def random_pair(rng, directed, floating, n, m, adjacency=False):
    """A networkx graph of str nodes and the tarvel graph made of it; with
    `adjacency`, a directed one whose lists are networkx's adjacency (an
    undirected edge both ways, a self-loop once), so that searches meet
    neighbours in networkx's order."""
    G = nx.DiGraph() if directed else nx.Graph()
    G.add_nodes_from(str(i) for i in rng.sample(range(n), n))
    for _ in range(m):
        w = rng.randint(0, 3)
        G.add_edge(str(rng.randrange(n)), str(rng.randrange(n)), weight=w / 4 if floating else w)
    kind = float if floating else int
    if not adjacency:
        return G, tarvel.Graph.fromNetworkx(G, weightType=kind)
    g = tarvel.Graph(True, weightType=kind)
    g.addNodes(list(G))
    g.addEdges([(u, v, d["weight"]) for u in G for v, d in G[u].items()])
    return G, g


def test_rows_are_networkx_searches_in_their_order():
    rng = random.Random(5)
    for round_ in range(60):
        directed, floating = round_ % 2 == 0, round_ % 3 == 0
        G, g = random_pair(rng, directed, floating, rng.randint(1, 12), rng.randint(0, 30), adjacency=True)
        sources = list(G) + list(G)[:3]  # repeats are rows of their own
        for method, reference in ((tarvel.BFS, nx.single_source_shortest_path_length),
                                  (tarvel.DIJKSTRA, nx.single_source_dijkstra_path_length)):
            rows = g.distancesFromEach(sources, method, threads=1)
            assert len(rows) == len(sources)
            for s, row in zip(sources, rows):
                expected = reference(G, s)
                assert list(row.items()) == list(expected.items()), (method, s)
                assert [type(d) for d in row.values()][1:] == [type(d) for d in expected.values()][1:]
            assert g.distancesFromEach(sources, method, threads=3) == rows


def test_eccentricity_family_matches_networkx():
    rng = random.Random(9)
    for round_ in range(80):
        directed, floating = round_ % 2 == 0, round_ % 3 == 0
        # Dense enough that most graphs are (strongly) connected.
        n = rng.randint(1, 9)
        G, g = random_pair(rng, directed, floating, n, 3 * n)
        for weighted in (False, True):
            weight = "weight" if weighted else None
            try:
                expected = nx.eccentricity(G, weight=weight)
            except nx.NetworkXError as error:
                kind = "strongly connected" if directed else "connected"
                assert "not " + kind in str(error)
                for call in (lambda: g.eccentricity(weighted=weighted), lambda: g.diameter(weighted=weighted),
                             lambda: g.center(weighted=weighted)):
                    with pytest.raises(RuntimeError, match="^an eccentricity is infinite: the graph is not %s$" % kind):
                        call()
                continue
            got = g.eccentricity(weighted=weighted, threads=2)
            assert list(got) == list(G) and got == expected
            assert g.diameter(weighted=weighted) == nx.diameter(G, weight=weight)
            assert g.radius(weighted=weighted) == nx.radius(G, weight=weight)
            assert g.center(weighted=weighted) == nx.center(G, weight=weight)
            assert g.periphery(weighted=weighted) == nx.periphery(G, weight=weight)
            some = rng.sample(list(G), min(3, n))
            assert list(g.eccentricity(nodes=some, weighted=weighted).items()) == [(v, expected[v]) for v in some]


def test_a_node_that_reaches_all_needs_no_connected_graph():
    g = tarvel.Graph(True)
    g.addNodes(["hub", "a", "b"])
    g.addEdges([("hub", "a", 2), ("a", "b", 3)])
    assert g.eccentricity(nodes=["hub"], weighted=True) == {"hub": 5}
    assert type(g.eccentricity(nodes=["hub"])["hub"]) is int
    with pytest.raises(RuntimeError, match="not strongly connected"):
        g.eccentricity(nodes=["hub", "a"])


def test_refusals():
    g = tarvel.Graph(False)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", -1)
    with pytest.raises(ValueError, match="negative weights"):
        g.distancesFromEach(["a"], tarvel.DIJKSTRA)
    with pytest.raises(ValueError, match="negative weights"):
        g.diameter(weighted=True)
    assert g.diameter() == 1  # hop counts ignore the weights
    with pytest.raises(ValueError, match="BFS or DIJKSTRA"):
        g.distancesFromEach(["a"], tarvel.BELLMAN_FORD)
    with pytest.raises(IndexError):
        g.distancesFromEach(["a", "zz"])
    with pytest.raises(TypeError):
        g.distancesFromEach(None)
    with pytest.raises(ValueError, match="given twice"):
        g.eccentricity(nodes=["a", "a"])
    with pytest.raises(ValueError, match="without nodes"):
        tarvel.Graph(True).radius()
    assert tarvel.Graph(True).eccentricity() == {}
    assert g.distancesFromEach([]) == []
