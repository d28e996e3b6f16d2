"""Triangles and clustering: the Graph methods against networkx's own
functions on the simple graph beneath random multigraphs (self-loops and
parallel edges included), to the bit and in order; the average against this
interpreter's sum(); and the networkx backend against networkx, values,
types, orders and errors alike."""
import random

import networkx as nx
import pytest

from tarvel_networkx import info

needs_dispatch = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                    reason="networkx %s does not dispatch to backends" % nx.__version__)


def random_edges(rng, names, count):
    return [(rng.choice(names), rng.choice(names)) for _ in range(count)]


def simple_twin(names, edges):
    """The networkx Graph of the same nodes and edges: parallel edges merge,
    direction is dropped; networkx's clustering ignores the self-loops."""
    H = nx.Graph()
    H.add_nodes_from(names)
    H.add_edges_from(edges)
    return H


def neumaier(values):
    """The compensated sum Python's sum() of floats makes from 3.12 on."""
    total = error = 0.0
    for x in values:
        t = total + x
        error += (total - t) + x if abs(total) >= abs(x) else (x - t) + total
        total = t
    return total + error


def plain(values):
    total = 0.0
    for x in values:
        total += x
    return total


def test_methods_equal_networkx_on_the_simple_graph_beneath(make):
    rng = random.Random(35)
    for round_ in range(200):
        directed = round_ % 2 == 1
        names = ["n%d" % i for i in range(rng.randint(1, 18))]
        edges = random_edges(rng, names, rng.randint(0, len(names) ** 2 // 2 + 1))
        g, H = make(directed, names, edges), simple_twin(names, edges)
        want = nx.clustering(H)
        assert g.triangles() == nx.triangles(H)
        got = g.clustering()
        assert list(got) == names and got == want, edges
        assert all(type(x) is float for x in got.values())
        assert g.transitivity() == nx.transitivity(H)
        for count_zeros in (True, False):
            if count_zeros or any(want.values()):
                assert g.averageClustering(count_zeros=count_zeros) == nx.average_clustering(
                    H, count_zeros=count_zeros), edges
        # Some nodes, in the order given, each value the whole call's.
        asked = rng.sample(names, rng.randint(1, len(names)))
        assert list(g.triangles(nodes=asked).items()) == [(n, nx.triangles(H, n)) for n in asked]
        assert list(g.clustering(nodes=iter(asked)).items()) == [(n, want[n]) for n in asked]
        assert g.averageClustering(nodes=asked) == nx.average_clustering(H, nodes=asked)


def test_the_average_adds_as_this_interpreters_sum(make):
    # A graph whose coefficients sum differently one by one and compensated,
    # so that only the interpreter's own rule gives its bits.
    rng = random.Random(4)
    for _ in range(100):
        names = [str(i) for i in range(60)]
        g = make(False, names, random_edges(rng, names, 300))
        values = list(g.clustering().values())
        if plain(values) != neumaier(values):
            break
    else:
        pytest.fail("no graph tells the two sums apart")
    assert g.averageClustering() == sum(values) / len(values)
    nonzero = [x for x in values if x]
    assert g.averageClustering(count_zeros=False) == sum(nonzero) / len(nonzero)
    backwards = names[::-1]
    assert g.averageClustering(nodes=backwards) == sum(values[::-1]) / len(values)


def test_arguments_and_errors(make):
    g = make(False, "abcd", [("a", "b"), ("b", "c"), ("c", "a"), ("c", "d")])
    assert g.triangles() == {"a": 1, "b": 1, "c": 1, "d": 0}
    assert g.clustering(nodes=["d", "c"]) == {"d": 0.0, "c": 1 / 3}
    assert g.averageClustering(nodes=["a", "d"], count_zeros=False) == 1.0
    assert g.transitivity() == 0.6
    for method in (g.triangles, g.clustering, g.averageClustering):
        with pytest.raises(IndexError, match="zz"):
            method(nodes=["a", "zz"])
        with pytest.raises(ValueError, match="node 'a' is given twice in nodes"):
            method(nodes=["a", "b", "a"])
        with pytest.raises(TypeError):
            method(nodes="ab")
        with pytest.raises(TypeError):
            method(["a"])  # keyword only
    assert g.triangles(nodes=[]) == {} and g.clustering(nodes=()) == {}
    with pytest.raises(ValueError, match="no nodes"):
        g.averageClustering(nodes=[])
    with pytest.raises(ValueError, match="no nodes"):
        g.averageClustering(nodes=["d"], count_zeros=False)
    with pytest.raises(ValueError, match="no nodes"):
        make(True, "").averageClustering()
    assert make(True, "").transitivity() == 0.0 and make(True, "").triangles() == {}


@needs_dispatch
def test_backend_answers_as_networkx():
    from tarvel_networkx import backend

    rng = random.Random(17)
    for round_ in range(120):
        n = rng.randint(1, 15)
        G = nx.Graph()
        G.add_nodes_from(rng.sample(range(100), n))  # node order is not sorted order
        nodes = list(G)
        G.add_edges_from(random_edges(rng, nodes, rng.randint(0, n * n // 2 + 1)))
        calls = [
            ("triangles", ()), ("clustering", ()), ("transitivity", ()), ("average_clustering", ()),
            ("triangles", (nodes[0],)), ("clustering", (nodes[-1],)),
            # Iterables: order kept, repeats and strangers dropped.
            ("triangles", ([nodes[-1], 1000, nodes[0], nodes[-1]],)),
            ("clustering", (nodes[::-1],)),
            ("average_clustering", (nodes[::-1],)),
        ]
        if any(nx.triangles(G).values()):
            calls.append(("average_clustering", (None, None, False)))
        for name, args in calls:
            want = getattr(nx, name)(G, *args)
            got = getattr(nx, name)(G, *args, backend="tarvel")
            assert got == want and type(got) is type(want), (round_, name, args)
            if isinstance(want, dict):
                assert list(got.items()) == list(want.items())
                assert list(map(type, got.values())) == list(map(type, want.values()))
        # A one-shot iterator is read once.
        assert nx.clustering(G, iter(nodes[::-1]), backend="tarvel") == nx.clustering(G, nodes[::-1])
    # What networkx leaves to itself.
    D = nx.DiGraph([(0, 1), (1, 2), (2, 0)])
    for name in ("triangles", "clustering", "average_clustering", "transitivity"):
        assert isinstance(backend.can_run(name, (D,), {}), str)
        assert isinstance(backend.can_run(name, (nx.MultiGraph([(0, 1)]),), {}), str)
    assert isinstance(backend.can_run("clustering", (nx.Graph(), None, "weight"), {}), str)
    assert isinstance(backend.can_run("average_clustering", (nx.Graph(),), {"weight": "w"}), str)


@needs_dispatch
def test_backend_errors_are_networkx_s():
    G = nx.Graph([(0, 1), (1, 2), (2, 0), (2, 3)])
    G.add_node(4)
    for kwargs in ({}, {"count_zeros": False}):
        with pytest.raises(ZeroDivisionError, match="division by zero"):
            nx.average_clustering(G, nodes=[99], backend="tarvel", **kwargs)
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        nx.average_clustering(G, nodes=[4, 3, 99], count_zeros=False, backend="tarvel")
    assert nx.average_clustering(G, nodes=[4, 99], backend="tarvel") == 0.0
    with pytest.raises(ZeroDivisionError, match="division by zero"):
        nx.average_clustering(nx.Graph(), backend="tarvel")
    # A single node (networkx takes .values() of a number) and node
    # containers networkx refuses: the same exception and message.
    for call in (lambda b: nx.average_clustering(G, nodes=0, backend=b),
                 lambda b: nx.clustering(G, [1, [0]], backend=b),
                 lambda b: nx.triangles(G, [1, {}], backend=b),
                 lambda b: nx.triangles(G, 3.5, backend=b),
                 lambda b: nx.average_clustering(G, 7, backend=b)):
        with pytest.raises(Exception) as want:
            call(None)
        with pytest.raises(type(want.value)) as got:
            call("tarvel")
        assert type(got.value) is type(want.value) and str(got.value) == str(want.value)
