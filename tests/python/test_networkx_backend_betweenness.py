"""Weighted and sampled betweenness and weighted closeness through the
backend: networkx's numbers within the stated bounds, the sources networkx
draws from the same seed, and the weights it declines."""
import math
import random

import networkx as nx
import pytest

from tarvel_networkx import info
from tarvel_networkx.centrality import _networkx_samples

pytestmark = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                reason="networkx %s does not dispatch to backends" % nx.__version__)


def graph(rng, directed, n, m, weight=None):
    G = nx.DiGraph() if directed else nx.Graph()
    nodes = list(range(n))
    rng.shuffle(nodes)  # node order is not index order
    G.add_nodes_from(nodes)
    while G.number_of_edges() < m:
        u, v = rng.randrange(n), rng.randrange(n)
        if u != v:
            G.add_edge(u, v, **({} if weight is None else {"length": weight(rng)}))
    return G


def same(ours, theirs, rel=1e-12):
    assert list(ours) == list(theirs)
    for node, value in theirs.items():
        if math.isnan(value):
            assert math.isnan(ours[node]), node
        else:
            assert ours[node] == pytest.approx(value, rel=rel, abs=1e-15), node


WEIGHTS = [lambda r: r.randint(1, 5), lambda r: r.choice([0.1, 0.2, 0.3, 0.7, 1.5]), lambda r: r.random() + 0.01]


@pytest.mark.parametrize("directed", [False, True])
def test_weighted_betweenness_and_closeness(directed):
    rng = random.Random(3)
    for weight in WEIGHTS:
        G = graph(rng, directed, 30, 80, weight)
        for normalized in (True, False):
            for endpoints in (False, True):
                kwargs = dict(weight="length", normalized=normalized, endpoints=endpoints)
                same(nx.betweenness_centrality(G, backend="tarvel", **kwargs), nx.betweenness_centrality(G, **kwargs))
        for wf in (True, False):
            ours = nx.closeness_centrality(G, distance="length", wf_improved=wf, backend="tarvel")
            theirs = nx.closeness_centrality(G, distance="length", wf_improved=wf)
            # The same sums in the same order (compensated from Python 3.12 on, as sum()).
            same(ours, theirs, rel=0 if weight is WEIGHTS[0] else 1e-15)
            node = next(iter(G))
            assert nx.closeness_centrality(G, node, distance="length", wf_improved=wf, backend="tarvel") == theirs[node]


@pytest.mark.parametrize("directed", [False, True])
def test_sampled_sources_are_networkx_s(directed):
    rng = random.Random(8)
    for weight in (None, WEIGHTS[1]):
        G = graph(rng, directed, 25, 60, weight)
        for k in (1, 2, 7, 24, 25):
            for seed in (0, 1, 42, random.Random(5)):
                for endpoints in (False, True):
                    for normalized in (True, False):
                        kwargs = dict(k=k, weight=None if weight is None else "length", endpoints=endpoints,
                                      normalized=normalized)
                        # A Random instance is consumed by the draw: each call gets a fresh copy.
                        fresh = (lambda: seed) if not isinstance(seed, random.Random) else (
                            lambda: random.Random(5))
                        same(nx.betweenness_centrality(G, seed=fresh(), backend="tarvel", **kwargs),
                             nx.betweenness_centrality(G, seed=fresh(), **kwargs))


def test_what_is_declined_and_why():
    from tarvel_networkx import backend

    G = nx.path_graph(4)
    nx.set_edge_attributes(G, 1, "length")
    assert backend.can_run("betweenness_centrality", (G,), {"weight": "length"}) is True
    G.add_edge(1, 2, length=0)  # through a method, which empties networkx's cache
    assert "zero weights" in backend.can_run("betweenness_centrality", (G,), {"weight": "length"})
    # Closeness reads distances only: zero weights are fine there.
    assert backend.can_run("closeness_centrality", (G,), {"distance": "length"}) is True
    G.add_edge(1, 2, length=1e-300)  # through a method, which empties networkx's cache
    assert "too small" in backend.can_run("betweenness_centrality", (G,), {"weight": "length"})
    G.add_edge(1, 2, length=-1)  # through a method, which empties networkx's cache
    assert "negative" in backend.can_run("betweenness_centrality", (G,), {"weight": "length"})
    assert "negative" in backend.can_run("closeness_centrality", (G,), {"distance": "length"})
    G.add_edge(1, 2, length=1.5)  # through a method, which empties networkx's cache
    assert "int and float" in backend.can_run("closeness_centrality", (G,), {"distance": "length"})
    assert backend.can_run("betweenness_centrality", (G,), {"weight": "length"}) is True


def test_the_installed_networkx_is_read():
    all_at_n, by_source = _networkx_samples()
    version = tuple(int(p) for p in nx.__version__.split(".")[:2])
    if version >= (3, 7):
        assert all_at_n and by_source
    if version <= (3, 4):
        assert not all_at_n and not by_source


@pytest.mark.parametrize("distance", [None, "length"])
def test_closeness_of_one_node_raises_what_networkx_raises(distance):
    G = nx.path_graph(3)
    nx.set_edge_attributes(G, 2, "length")
    for u in (99, [1]):  # unknown, and unhashable
        caught = []
        for backend in (None, "tarvel"):
            with pytest.raises(Exception) as raised:
                nx.closeness_centrality(G, u=u, distance=distance, backend=backend)
            caught.append((type(raised.value), str(raised.value)))
        assert caught[0] == caught[1], u
