"""pageRank and harmonicCentrality: the Graph methods against plain Python
loops, their arguments and errors; and the networkx backend's pagerank and
harmonic_centrality against networkx's own answers (where networkx
dispatches, and has numpy and scipy for its PageRank)."""
import random

import networkx as nx
import pytest

import tarvel
from tarvel_networkx import info

DISPATCHING = info.dispatching(nx.__version__)
try:
    import scipy  # noqa: F401  (networkx's PageRank needs it)
    HAS_SCIPY = True
except ImportError:
    HAS_SCIPY = False
needs_dispatch = pytest.mark.skipif(not DISPATCHING, reason="networkx %s does not dispatch" % nx.__version__)
needs_scipy = pytest.mark.skipif(not (DISPATCHING and HAS_SCIPY), reason="networkx's PageRank needs scipy")


def tarvel_graph(rng, directed, n, m, floats=False, low=1):
    g = tarvel.Graph(directed, weightType=float if floats else int)
    g.addNodes([str(i) for i in range(n)])
    for _ in range(m):
        w = rng.uniform(0.1, 4.0) if floats else rng.randint(low, 5)
        g.addEdge(str(rng.randrange(n)), str(rng.randrange(n)), w)
    return g


def plain_pagerank(g, directed, alpha, weighted, p=None, tol=1e-6, steps=100):
    """The textbook iteration over the edges (an undirected edge both ways,
    its self-loop once), sums in plain order."""
    names = list(g.degreeCentrality())
    n = len(names)
    out = {u: [] for u in names}
    for e in g.edges():
        w = e.weight if weighted else 1
        out[e.source].append((e.destination, w))
        if not directed and e.source != e.destination:
            out[e.destination].append((e.source, w))
    total = {u: sum(w for _, w in out[u]) for u in names}
    p = p or {u: 1.0 for u in names}
    s = sum(p.get(u, 0) for u in names)
    p = {u: p.get(u, 0) / s for u in names}
    x = {u: 1.0 / n for u in names}
    for _ in range(steps):
        dangling = sum(x[u] for u in names if total[u] == 0)
        nxt = {v: 0.0 for v in names}
        for u in names:
            for v, w in out[u]:
                if total[u]:
                    nxt[v] += x[u] * w / total[u]
        nxt = {v: alpha * (nxt[v] + dangling * p[v]) + (1 - alpha) * p[v] for v in names}
        change = sum(abs(nxt[v] - x[v]) for v in names)
        x = nxt
        if change < n * tol:
            return x
    raise AssertionError("no convergence")


def test_page_rank_is_the_power_iteration():
    rng = random.Random(3)
    for round in range(40):
        n = 1 + round % 13
        directed = round % 2 == 0
        g = tarvel_graph(rng, directed, n, rng.randrange(3 * n + 1), floats=round % 3 == 0)
        weighted = round % 3 != 1
        p = {str(rng.randrange(n)): rng.uniform(0.5, 2)} if round % 4 == 3 else None
        got = g.pageRank(0.85, personalization=p, weighted=weighted, tolerance=1e-10, max_iterations=1000)
        want = plain_pagerank(g, directed, 0.85, weighted, p, tol=1e-10, steps=1000)
        assert list(got) == sorted(got, key=int)  # node order
        assert sum(abs(got[u] - want[u]) for u in want) < n * 1e-10


def test_page_rank_arguments_and_errors():
    g = tarvel.Graph(True)
    g.addNodes(["a", "b", "c", "d"])
    g.addEdges([("a", "b", 1), ("b", "c", 1), ("c", "a", 1), ("c", "d", 1)])
    base = g.pageRank()
    # Vectors leave nodes out as 0 and are scaled to sum 1.
    assert g.pageRank(personalization={"a": 2, "b": 2, "c": 2, "d": 2}) == base
    assert sum(abs(g.pageRank(start={"a": 5})[u] - base[u]) for u in base) < 4 * 4e-6
    assert g.pageRank(dangling={"a": 1, "b": 1, "c": 1, "d": 1}) == base
    only_d = g.pageRank(personalization={"d": 1.0}, max_iterations=500)
    assert max(only_d, key=only_d.get) == "d"
    with pytest.raises(ValueError, match="personalization sums to 0"):
        g.pageRank(personalization={"a": 0})
    with pytest.raises(IndexError):
        g.pageRank(personalization={"zz": 1})
    with pytest.raises(TypeError):
        g.pageRank(personalization={"a": "x"})
    with pytest.raises(TypeError):
        g.pageRank(dangling=[1, 2])
    with pytest.raises(RuntimeError, match="PageRank did not converge in 2 iterations"):
        g.pageRank(max_iterations=2, tolerance=1e-12)
    # The same bits for any number of threads.
    big = tarvel_graph(random.Random(5), True, 3000, 20000, floats=True)
    assert big.pageRank(weighted=True, threads=1) == big.pageRank(weighted=True, threads=4)
    calls = []
    big.pageRank(tolerance=1e-12, max_iterations=300, progress=lambda done, total: calls.append(total))
    assert calls and set(calls) == {300}
    assert tarvel.Graph(False).pageRank() == {}


def plain_harmonic(g, weighted, nodes=None, sources=None):
    """1/d from each node over the sources it reaches, by shortestPath
    lengths pair by pair."""
    names = sorted(g.degreeCentrality(), key=int)
    dist = {u: g.distances(u, tarvel.DIJKSTRA if weighted else tarvel.BFS) for u in names}
    out = {}
    for u in names if nodes is None else nodes:
        terms = [1 / d for v, d in dist[u].items() if d > 0 and v != u and (sources is None or v in sources)]
        out[u] = sum(sorted(terms, reverse=True))
    return out


def test_harmonic_is_the_sum_of_reciprocal_distances():
    rng = random.Random(9)
    for round in range(40):
        n = 1 + round % 15
        g = tarvel_graph(rng, round % 2 == 0, n, rng.randrange(3 * n + 1), floats=round % 3 == 0, low=0)
        weighted = round % 2 == 1
        got = g.harmonicCentrality(weighted=weighted)
        want = plain_harmonic(g, weighted)
        assert list(got) == sorted(got, key=int)
        assert got == pytest.approx(want, rel=1e-12)
        nodes = [str(k) for k in range(n) if rng.random() < 0.5]
        sources = {str(k) for k in range(n) if rng.random() < 0.5}
        part = g.harmonicCentrality(nodes=reversed(nodes), sources=sources, weighted=weighted)
        assert list(part) == nodes  # node order, whatever order asked
        assert part == pytest.approx(plain_harmonic(g, weighted, nodes, sources), rel=1e-12)


def test_harmonic_arguments_and_errors():
    g = tarvel.Graph(True)
    g.addNodes(["a", "b", "c"])
    g.addEdges([("a", "b", 2), ("b", "c", -1)])
    assert g.harmonicCentrality() == {"a": 1.5, "b": 1.0, "c": 0.0}
    assert g.harmonicCentrality(sources=[]) == {"a": 0.0, "b": 0.0, "c": 0.0}
    assert g.harmonicCentrality(sources=["c", "c"]) == {"a": 0.5, "b": 1.0, "c": 0.0}
    with pytest.raises(ValueError, match="at least 0"):
        g.harmonicCentrality(weighted=True)
    with pytest.raises(ValueError, match="twice"):
        g.harmonicCentrality(nodes=["a", "a"])
    with pytest.raises(IndexError):
        g.harmonicCentrality(sources=["zz"])
    with pytest.raises(TypeError):
        g.harmonicCentrality(nodes="ab")


def nx_graph(rng, kind, n, m, weights):
    G = kind()
    nodes = list(range(n))
    rng.shuffle(nodes)
    G.add_nodes_from(nodes)
    for _ in range(m):
        G.add_edge(rng.randrange(n), rng.randrange(n), weight=weights(rng))
    return G


def l1(a, b):
    assert list(a) == list(b)
    return sum(abs(a[k] - b[k]) for k in a)


@needs_scipy
def test_pagerank_through_the_backend_is_networkx_s():
    rng = random.Random(11)
    same = 0
    for round in range(60):
        n = 1 + round % 20
        weights = (lambda r: r.randint(1, 9)) if round % 2 else (lambda r: r.uniform(-0.5, 3.0))
        G = nx_graph(rng, nx.DiGraph if round % 3 else nx.Graph, n, rng.randrange(3 * n + 1), weights)
        kwargs = {"alpha": rng.choice([0.85, 0.5])}
        if round % 4 == 1:
            kwargs["personalization"] = {rng.randrange(n): rng.uniform(0.1, 2) for _ in range(3)}
        if round % 5 == 2:
            kwargs["nstart"] = {k: rng.uniform(0.1, 2) for k in G}
        if round % 6 == 3:
            kwargs["dangling"] = {k: rng.uniform(0, 2) for k in G}
            kwargs["dangling"]["stranger"] = 5  # not a node: ignored
        if round % 7 == 4:
            kwargs["weight"] = None
        try:
            want = nx.pagerank(G, **kwargs)
        except nx.PowerIterationFailedConvergence:
            with pytest.raises(nx.PowerIterationFailedConvergence):
                nx.pagerank(G, **kwargs, backend="tarvel")
            continue
        got = nx.pagerank(G, **kwargs, backend="tarvel")
        assert l1(got, want) < n * 1e-6
        same += got == want
    assert same >= 50  # the same operations in the same order: the same bits, as a rule


@needs_scipy
def test_pagerank_raises_where_networkx_raises():
    G = nx.DiGraph(nx.path_graph(30))
    for max_iter in (0, 1, 5, 30, 60):
        for tol in (1e-3, 1e-8):
            try:
                want = nx.pagerank(G, max_iter=max_iter, tol=tol)
            except nx.PowerIterationFailedConvergence:
                with pytest.raises(nx.PowerIterationFailedConvergence):
                    nx.pagerank(G, max_iter=max_iter, tol=tol, backend="tarvel")
            else:
                assert nx.pagerank(G, max_iter=max_iter, tol=tol, backend="tarvel") == want
    with pytest.raises(ZeroDivisionError):
        nx.pagerank(G, personalization={0: 0}, backend="tarvel")
    with pytest.raises(nx.PowerIterationFailedConvergence):
        nx.pagerank(G, nstart={0: 0}, backend="tarvel")
    assert nx.pagerank(nx.Graph(), backend="tarvel") == {}


@needs_dispatch
def test_pagerank_declines_what_it_cannot_match():
    from tarvel_networkx import backend

    M = nx.MultiDiGraph([(0, 1), (0, 1), (1, 0)])
    G = nx.DiGraph([(0, 1, {"weight": "heavy"})])
    for args, kwargs in [((M,), {}), ((G,), {}), ((G,), {"weight": lambda u, v, d: 1}),
                         ((nx.DiGraph([(0, 1)]),), {"personalization": {0: "1"}}),
                         ((nx.DiGraph([(0, 1)]),), {"max_iter": 2.0})]:
        assert backend.can_run("pagerank", args, kwargs) is not True


@needs_dispatch
def test_harmonic_through_the_backend_is_networkx_s():
    rng = random.Random(17)
    for round in range(60):
        n = 1 + round % 18
        weights = (lambda r: r.randint(0, 9)) if round % 2 else (lambda r: r.uniform(0.1, 3.0))
        kind = [nx.Graph, nx.DiGraph, nx.MultiGraph][round % 3]
        G = nx_graph(rng, kind, n, rng.randrange(3 * n + 1), weights)
        kwargs = {}
        if round % 4 == 1:
            kwargs["distance"] = "weight"
        if round % 5 in (1, 2):
            kwargs["nbunch"] = [k for k in range(n) if rng.random() < 0.3] + ["stranger"]
        sources = [k for k in range(n) if rng.random() < 0.5] if round % 3 in (1, 2) else None
        want = nx.harmonic_centrality(G, **kwargs, sources=sources)
        # An iterator: read once, in the call.
        got = nx.harmonic_centrality(G, **kwargs, sources=sources and iter(sources), backend="tarvel")
        assert list(got) == list(want)  # networkx's set order
        assert got == pytest.approx(want, rel=1e-12)
        assert [type(v) for v in got.values()] == [type(v) for v in want.values()]
    with pytest.raises(nx.NetworkXError, match="not a node or a sequence"):
        nx.harmonic_centrality(nx.path_graph(3), nbunch=5, backend="tarvel")
