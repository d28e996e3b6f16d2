"""Graphs of float weights: every operation against networkx on random
graphs, weights that are refused instead of rounded, the file kept to the
bit."""
import math
import random
import struct
import sys

import networkx as nx
import pytest

import tarvel

METHODS = (tarvel.DIJKSTRA, tarvel.BELLMAN_FORD, tarvel.UNIFORM_COST_SEARCH, tarvel.A_STAR)


def pair(rng, directed, n, m, weight):
    """The same random graph twice: of float weights, and of int weights
    with the same edges (for what weights do not decide)."""
    names = ["v%d" % i for i in range(n)]
    edges = [(rng.choice(names), rng.choice(names), weight(rng)) for _ in range(m)]
    f, i = tarvel.Graph(directed, weightType=float), tarvel.Graph(directed)
    for g in (f, i):
        g.addNodes(names)
    f.addEdges(edges)
    i.addEdges([(a, b, 1) for a, b, _ in edges])
    return f, i, names, edges


def reference(directed, names, edges):
    ref = nx.DiGraph() if directed else nx.Graph()
    ref.add_nodes_from(names)
    for a, b, w in edges:  # the least of parallel edges
        ref.add_edge(a, b, weight=min(w, ref.edges[a, b]["weight"]) if ref.has_edge(a, b) else w)
    return ref


def test_every_operation_on_float_graphs():
    rng = random.Random(31)
    for round_ in range(40):
        directed = round_ % 2 == 0
        f, i, names, edges = pair(rng, directed, rng.randint(2, 12), rng.randint(0, 30),
                                  lambda r: r.choice([0.1, 0.2, 0.3, 0.25, 1e-300, 2.0 ** 52, r.uniform(0, 9)]))
        ref = reference(directed, names, edges)
        for method in ("hasCycle", "isBipartite", "connectedComponents", "nodeColoring", "edgeColoring",
                       "degreeCentrality", "closenessCentrality", "betweennessCentrality", "katzCentrality"):
            assert getattr(f, method)() == getattr(i, method)(), method
        if directed:
            assert f.stronglyConnectedComponents() == i.stronglyConnectedComponents()
        assert f.iterativeDFS(names[0]) == i.iterativeDFS(names[0])
        assert [(e.source, e.destination, e.weight) for e in f.edges()] == edges
        assert all(type(w) is float for _, w in f.neighbors(names[0]))
        lengths = dict(nx.all_pairs_dijkstra_path_length(ref))
        for s in names:
            distances = f.distances(s)
            assert distances == lengths[s] and all(type(d) is float for d in distances.values())
            for t in names:
                for method in METHODS:
                    path = f.shortestPath(s, t, method, lambda u, v: 0.0)
                    assert (f.pathWeight(path) if path else None) == lengths[s].get(t), (s, t, method)
        undirected = reference(False, names, edges)
        forest = nx.minimum_spanning_tree(undirected).size(weight="weight")
        for method in (tarvel.KRUSKAL, tarvel.BORUVKA):
            tree = f.minimumSpanningTree(method)
            assert math.isclose(sum(e.weight for e in tree), forest, rel_tol=1e-12, abs_tol=0)
            assert all(type(e.getWeight()) is float for e in tree)


def test_weights_are_refused_not_rounded():
    f = tarvel.Graph(False, weightType=float)
    f.addNodes("ab")
    f.addEdges([("a", "b", 2 ** 60), ("a", "b", True), ("a", "b", -0.0), ("a", "b", 2 ** 53)])
    assert [w for _, w in f.neighbors("a")] == [2.0 ** 60, 1.0, -0.0, 2.0 ** 53]
    for weight, kind, text in [(2 ** 53 + 1, OverflowError, "has no exact floating-point value"),
                               (float("nan"), ValueError, "is not finite"), (float("-inf"), ValueError, "is not finite"),
                               ("1.5", TypeError, "is not an int or a float")]:
        with pytest.raises(kind, match=text):
            f.addEdge("a", "b", weight)
        with pytest.raises(kind, match="^item 1: weight"):
            f.addEdges([("a", "b", 1.0), ("a", "b", weight)])
    assert f.edgeCount() == 4
    g = tarvel.Graph(False)
    g.addNodes("ab")
    from decimal import Decimal
    from fractions import Fraction
    for weight in (1.5, Fraction(5, 2), Decimal("2.7"), 2.0):
        with pytest.raises(TypeError, match="^weight %s is not an integer: this graph holds integer weights "
                                            r"\(Graph\(\.\.\., weightType=float\) holds fractional ones\)$"
                                            % repr(weight).replace("(", r"\(").replace(")", r"\)")):
            g.addEdge("a", "b", weight)

    class Broken:
        def __index__(self):
            raise ZeroDivisionError("from __index__")

    with pytest.raises(ZeroDivisionError, match="from __index__"):
        g.addEdge("a", "b", Broken())
    assert g.edgeCount() == 0


def random_double(rng):
    while True:
        value = struct.unpack("<d", struct.pack("<Q", rng.getrandbits(64)))[0]
        if math.isfinite(value):
            return value


def test_file_and_pickle_keep_every_double(tmp_path):
    rng = random.Random(8)
    special = [0.1, -0.0, 5e-324, -2.2250738585072014e-308, 2.0 ** 53, 2.0 ** 53 - 1, 1.7976931348623157e308,
               1e23, 2.0, 123456789.125]
    weights = special + [random_double(rng) for _ in range(500)]
    g = tarvel.Graph(True, weightType=float)
    g.addNodes(["a", "b"])
    g.addEdges([("a", "b", w) for w in weights])
    path = tmp_path / "doubles.json"
    g.save(path)  # os.PathLike
    text = path.read_text()
    assert '"weight": 2.0\n' in text and '"weight": -0.0\n' in text
    back = tarvel.Graph.load(path, weightType=float)
    import pickle
    for again in (back, pickle.loads(pickle.dumps(g))):
        got = [e.weight for e in again.edges()]
        assert [struct.pack("<d", w) for w in got] == [struct.pack("<d", w) for w in weights]
    assert repr(back) == "<tarvel.Graph directed, float weights, 2 nodes, 510 edges>"
    with pytest.raises(RuntimeError, match="^edge 0 has the fractional weight 0.1, but the graph holds integer "
                                           "weights: load it with weightType=float$"):
        tarvel.Graph.load(path)


def test_networkx_round_trip_of_float_weights():
    source = nx.MultiDiGraph()
    source.add_weighted_edges_from([("a", "b", 0.5), ("b", "a", 3), ("a", "a", -1e-9)])
    g = tarvel.Graph.fromNetworkx(source, weightType=float)
    assert [(e.source, e.destination, e.weight) for e in g.edges()] == [("a", "b", 0.5), ("a", "a", -1e-9),
                                                                       ("b", "a", 3.0)]
    back = g.toNetworkx()
    assert sorted(back.edges(data="weight")) == sorted(source.edges(data="weight"))
    source.add_edge("b", "b", weight=float("inf"))
    with pytest.raises(ValueError, match=r"^edge \('b', 'b', 0\): weight inf is not finite"):
        tarvel.Graph.fromNetworkx(source, weightType=float)


def test_paths_at_the_end_of_the_double_range():
    """An edge of the largest double, and a path whose sum overflows to inf,
    are paths: every search finds one, as networkx's Dijkstra does, and its
    length is the IEEE sum (inf where it overflows)."""
    big = sys.float_info.max
    g = tarvel.Graph(True, weightType=float)
    g.addNodes(["s", "a", "b", "c", "x", "y"])
    g.addEdges([("s", "a", big), ("a", "b", 1e308), ("b", "c", -big), ("s", "x", 1e308), ("x", "y", 1e308)])
    for method in METHODS:
        assert g.shortestPath("s", "a", method, lambda u, v: 0.0) == ["s", "a"]
        assert g.shortestPath("s", "y", method, lambda u, v: 0.0) == ["s", "x", "y"]
        assert g.shortestPath("s", "c", method, lambda u, v: 0.0) == ["s", "a", "b", "c"]
    assert g.pathWeight(["s", "x", "y"]) == math.inf
    for method in (tarvel.DIJKSTRA, tarvel.BELLMAN_FORD):
        assert g.distances("s", method) == {"s": 0.0, "a": big, "b": math.inf, "c": math.inf, "x": 1e308,
                                            "y": math.inf}
        assert list(g.shortestPaths("s", method)) == ["s", "a", "b", "c", "x", "y"]
        assert g.predecessors("s", method) == {"a": "s", "b": "a", "c": "b", "x": "s", "y": "x"}

    rng = random.Random(308)
    bands = [0.0, 1.0, 2.5, big, 0.6 * big, 0.9 * big, 1e308]
    overflowed = 0
    for round_ in range(30):
        directed = round_ % 2 == 0
        f, _, names, edges = pair(rng, directed, rng.randint(2, 10), rng.randint(0, 25), lambda r: r.choice(bands))
        lengths = dict(nx.all_pairs_dijkstra_path_length(reference(directed, names, edges)))
        for s in names:
            overflowed += sum(math.isinf(d) for d in lengths[s].values())
            for method in (tarvel.DIJKSTRA, tarvel.BELLMAN_FORD):
                assert f.distances(s, method) == lengths[s], (round_, s, method)
            for t in names:
                for method in METHODS:
                    path = f.shortestPath(s, t, method, lambda u, v: 0.0)
                    assert (f.pathWeight(path) if path else None) == lengths[s].get(t), (round_, s, t, method)
    assert overflowed > 100  # the bands make overflowing sums common


def test_float_files_take_an_integer_only_when_a_double_holds_it(tmp_path):
    """One rule for every number written as an integer, of any length:
    taken when a double holds it exactly, else refused with the message of
    2**53 + 1. Python's own ints and floats are the judge."""
    rng = random.Random(53)
    literals = [2 ** 53 + 1, 2 ** 64 + 1, -2 ** 63 - 1, 10 ** 300, 2 ** 64, -2 ** 64 - 2 ** 12, int(1e300),
                int(sys.float_info.max), 2 ** 53, 0]
    for _ in range(60):
        n = int(random_double(rng))
        literals += [n, n + 1, n - 1]
    path = tmp_path / "integers.json"
    refused = 0
    for n in literals:
        path.write_text('{"directed": true, "nodes": ["a"], "edges": [{"src": "a", "dest": "a", "weight": %d}]}' % n)
        if int(float(n)) == n:
            assert [e.weight for e in tarvel.Graph.load(path, weightType=float).edges()] == [float(n)], n
        else:
            refused += 1
            with pytest.raises(RuntimeError, match=r"^\[json.exception.out_of_range.406\] weight %d is not exactly "
                                                   r"representable as an edge weight$" % n):
                tarvel.Graph.load(path, weightType=float)
    assert refused > 60
