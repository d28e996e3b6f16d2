"""The backend's all-pairs lengths and eccentricity family against networkx
itself on random graphs (multigraphs, self-loops, ties, int, float and
wide int weights, disconnected ones): the same rows in the same order,
the same values of the same types, the same exceptions with the same
messages; and what it declines."""
import inspect
import random
import re

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__)


def random_graph(rng, kind, n, m, weight):
    G = kind()
    G.add_nodes_from(rng.sample(range(n), n))
    for _ in range(m):
        G.add_edge(rng.randrange(n), rng.randrange(n), weight=weight(rng))
    return G


# The bounded search is answered from networkx 3.7 on (its earlier bounds differ).
BOUNDS = tuple(map(int, re.match(r"(\d+)\.(\d+)", nx.__version__).groups())) >= (3, 7)
KINDS = (nx.Graph, nx.DiGraph, nx.MultiGraph, nx.MultiDiGraph)
WEIGHTS = (lambda r: r.randint(0, 3), lambda r: r.randint(0, 4) / 4, lambda r: r.randint(1, 3) * 2**40)


def typed(value):
    """A value with the types of everything in it, to compare exactly."""
    if isinstance(value, dict):
        return [(k, typed(v)) for k, v in value.items()]
    if isinstance(value, (list, tuple)):
        return [typed(v) for v in value]
    return (type(value), value)


def outcome(call):
    try:
        return typed(call())
    except Exception as error:  # the exception's type and text are part of the answer
        return type(error), str(error)


def graphs(seed, count, dense=1):
    rng = random.Random(seed)
    for round_ in range(count):
        n = rng.randint(0, 9)
        yield rng, random_graph(rng, KINDS[round_ % 4], n, dense * rng.randint(0, 2 * n), WEIGHTS[round_ % 3])


def test_all_pairs_rows_are_networkx_rows():
    for rng, G in graphs(1, 48):
        cutoff = rng.choice([None, None, 0, 1, 2.5, -1, 2**41])
        ours = nx.all_pairs_shortest_path_length(G, cutoff=cutoff, backend="tarvel")
        assert inspect.isgenerator(ours)
        assert typed(list(ours)) == typed(list(nx.all_pairs_shortest_path_length(G, cutoff=cutoff)))
        for weight in ("weight", None):
            ours = nx.all_pairs_dijkstra_path_length(G, cutoff=cutoff, weight=weight, backend="tarvel", threads=2)
            assert inspect.isgenerator(ours)
            expected = nx.all_pairs_dijkstra_path_length(G, cutoff=cutoff, weight=weight)
            assert typed(list(ours)) == typed(list(expected)), (G.edges(data=True), cutoff, weight)


def test_eccentricity_family_is_networkx_s():
    functions = (nx.diameter, nx.radius, nx.center, nx.periphery)
    for rng, G in graphs(2, 120, dense=2):
        if len(G) == 0:
            continue  # declined
        for weight in (None, "weight"):
            v = rng.choice([None, next(iter(G), None), list(G)[:2] + ["stranger"] + list(G)[:1], ()])
            assert outcome(lambda: nx.eccentricity(G, v=v, weight=weight, backend="tarvel")) == outcome(
                lambda: nx.eccentricity(G, v=v, weight=weight)), (G.edges(data=True), v, weight)
            for function in functions:
                for usebounds in (False, True):
                    if usebounds and not G.is_directed() and (G.is_multigraph() or not BOUNDS):
                        continue  # declined
                    got = outcome(lambda: function(G, usebounds=usebounds, weight=weight, backend="tarvel"))
                    assert got == outcome(lambda: function(G, usebounds=usebounds, weight=weight)), (
                        function.__name__, usebounds, weight, G.edges(data=True))


@pytest.mark.skipif(not BOUNDS, reason="usebounds is answered from networkx 3.7 on")
def test_bounded_search_on_larger_graphs():
    rng = random.Random(3)
    for weight in (None, "weight"):
        for _ in range(4):
            G = nx.connected_watts_strogatz_graph(60, 4, 0.3, seed=rng.randrange(1000))
            for u, v in G.edges:
                G.edges[u, v]["weight"] = rng.randint(1, 5) / 4
            for function in (nx.diameter, nx.radius, nx.center, nx.periphery):
                assert typed(function(G, usebounds=True, weight=weight, backend="tarvel")) == typed(
                    function(G, usebounds=True, weight=weight))


@pytest.mark.parametrize("name, args, kwargs, reason", [
    ("eccentricity", (nx.path_graph(3),), {"sp": {}}, "sp"),
    ("eccentricity", (nx.path_graph(3),), {"v": "01"}, "v of type str"),
    ("eccentricity", (nx.path_graph(3),), {"v": [[1]]}, "unhashable"),
    ("diameter", (nx.path_graph(3),), {"e": {0: 1}}, "e (eccentricities"),
    ("radius", (nx.Graph([(0, 1, {"weight": -1})]),), {"weight": "weight"}, "negative"),
    ("center", (nx.Graph([(0, 1, {"weight": 1}), (1, 2, {"weight": 0.5})]),), {"weight": "weight"}, "int and float"),
    ("center", (nx.Graph(),), {}, "null graph"),
    ("eccentricity", (nx.DiGraph(),), {}, "null graph"),
    ("periphery", (nx.MultiGraph([(0, 1)]),), {"usebounds": True}, "multigraph"),
    ("all_pairs_dijkstra_path_length", (nx.path_graph(3),), {"weight": lambda u, v, d: 1}, "weight functions"),
    ("all_pairs_shortest_path_length", (nx.path_graph(3),), {"cutoff": "2"}, "cutoff of type str"),
])
def test_declines(name, args, kwargs, reason):
    from tarvel_networkx import backend

    answer = backend.can_run(name, args, kwargs)
    assert isinstance(answer, str) and reason in answer
