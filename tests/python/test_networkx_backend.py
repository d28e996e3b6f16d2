"""tarvel as a networkx backend: what networkx learns at import on every
networkx; the conversion (any node objects, the weight type chosen from the
data, unholdable weights declined); and each mapping of
tarvel's raw quantities to networkx's numbers, on random graphs within the
stated bounds. networkx's own test suite runs through the backend in
tests/networkx_suite.py."""
import random
import subprocess
import sys

import networkx as nx
import pytest

import tarvel
from tarvel_networkx import info

DISPATCHING = info.dispatching(nx.__version__)
needs_dispatch = pytest.mark.skipif(not DISPATCHING, reason="networkx %s does not dispatch to backends (3.4 does)"
                                    % nx.__version__)


def test_info_declares_the_functions_only_where_networkx_dispatches():
    declared = set(info.get_info()["functions"])
    assert declared == (set(info.FUNCTIONS) if DISPATCHING else set())
    # Importing the info module imports neither networkx nor tarvel.
    code = "import sys, tarvel_networkx.info as i; i.get_info(); print(sorted({'networkx', 'tarvel'} & set(sys.modules)))"
    assert subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True).stdout == "[]\n"
    assert [info.dispatching(v) for v in ("3.1", "3.3.1", "3.4rc0", "3.10", "4.0", "")] == [
        False, False, True, True, True, False]


def random_graph(rng, directed, n, m, weights=None):
    G = nx.DiGraph() if directed else nx.Graph()
    nodes = list(range(n))
    rng.shuffle(nodes)
    G.add_nodes_from(nodes)
    for _ in range(m):
        u, v = rng.randrange(n), rng.randrange(n)
        if weights is None:
            G.add_edge(u, v)
        else:
            G.add_edge(u, v, weight=weights(rng))
    return G


@needs_dispatch
def test_conversion_keeps_node_objects_and_picks_the_weight_type():
    from tarvel_networkx import backend

    G = nx.Graph()
    G.add_edge((1, 2), "x", weight=3)
    G.add_edge("x", 7, weight=2)
    G.add_edge(7, 7, weight=4)
    G.add_node(frozenset({1}))
    converted = backend.convert_from_nx(G, edge_attrs={"weight": 1})
    assert converted.nodes == [(1, 2), "x", 7, frozenset({1})]
    assert repr(converted.graph) == "<tarvel.Graph directed, 4 nodes, 5 edges>"  # both ways, the loop once
    assert nx.single_source_bellman_ford_path_length(G, (1, 2), backend="tarvel") == {(1, 2): 0, "x": 3, 7: 5}
    assert type(nx.dijkstra_path_length(G, (1, 2), "x", backend="tarvel")) is int
    floats = nx.DiGraph([("x", "y", {"weight": 0.5}), ("y", "z", {"weight": 2.0})])
    assert "float weights" in repr(backend.convert_from_nx(floats, edge_attrs={"weight": 1}).graph)
    assert nx.single_source_dijkstra_path_length(floats, "x", backend="tarvel") == {"x": 0, "y": 0.5, "z": 2.5}
    back = backend.convert_to_nx(converted)
    assert type(back) is nx.Graph and set(back.edges(data="weight")) >= {((1, 2), "x", 3), (7, 7, 4)}


@needs_dispatch
@pytest.mark.parametrize("edges, reason", [
    ([(0, 1, {"weight": 2.5}), (1, 2, {"weight": 1})], "int and float weights together"),
    ([(0, 1, {"weight": float("nan")})], "not finite"),
    ([(0, 1, {"weight": 2**62})], "may exceed 2**53"),
    ([(0, 1, {"weight": "3"})], "weights of type str"),
])
def test_weights_tarvel_cannot_sum_exactly_are_declined(edges, reason):
    from tarvel_networkx import backend

    G = nx.Graph(edges)
    answer = backend.can_run("dijkstra_path_length", (G, 0, 1), {})
    assert isinstance(answer, str) and reason in answer
    assert backend.can_run("dijkstra_path_length", (G, 0, 1), {"weight": None}) is True
    assert backend.can_run("has_path", (G, 0, 1), {}) is True  # no weights needed
    G.add_edge(5, 6, weight=-1)
    assert "negative weights" in str(backend.can_run("dijkstra_path_length", (nx.Graph([(5, 6, {"weight": -1})]), 5, 6), {}))


@needs_dispatch
def test_multigraphs_and_cheap_uncached_queries_are_left_to_networkx():
    from tarvel_networkx import backend

    # Multigraphs are answered where networkx reads them as tarvel converts
    # them (tests/python/test_networkx_multigraph.py), declined elsewhere.
    for kind in (nx.MultiGraph, nx.MultiDiGraph):
        assert "multigraph" in backend.can_run("degree_centrality", (kind([(0, 1)]),), {})
        with pytest.raises(NotImplementedError):
            nx.degree_centrality(kind([(0, 1)]), backend="tarvel")
    G = nx.path_graph(5)
    assert backend.should_run("betweenness_centrality", (G,), {}) is True
    assert isinstance(backend.should_run("is_connected", (G,), {}), str)
    nx.is_connected(G, backend="tarvel")  # now converted and cached on G
    assert backend.should_run("is_connected", (G,), {}) is True
    with nx.config(backend_priority=["tarvel"], warnings_to_ignore={"cache"}):
        assert nx.is_connected(G) and nx.has_path(G, 0, 4)


def bound(n):
    return 2 * (n - 1) * 2.0**-53


@needs_dispatch
def test_centralities_map_to_networkx_numbers():
    rng = random.Random(7)
    for round_ in range(60):
        directed = round_ % 2 == 0
        n = rng.randint(1, 16)
        G = random_graph(rng, directed, n, rng.randint(0, 3 * n))
        # Degree and closeness come from exact integers by networkx's own
        # operations: equal to the bit.
        for name in ["degree_centrality", "closeness_centrality"] + (
                ["in_degree_centrality", "out_degree_centrality"] if directed else []):
            assert getattr(nx, name)(G, backend="tarvel") == getattr(nx, name)(G), (round_, name)
        for wf in (False, True):
            assert nx.closeness_centrality(G, wf_improved=wf, backend="tarvel") == nx.closeness_centrality(
                G, wf_improved=wf)
        node = next(iter(G))
        assert nx.closeness_centrality(G, node, backend="tarvel") == nx.closeness_centrality(G, node)
        for normalized in (False, True):
            for endpoints in (False, True):
                want = nx.betweenness_centrality(G, normalized=normalized, endpoints=endpoints)
                got = nx.betweenness_centrality(G, normalized=normalized, endpoints=endpoints, backend="tarvel")
                assert list(got) == list(want)
                for k in want:
                    assert abs(got[k] - want[k]) <= bound(n) * abs(want[k]), (round_, k)


@needs_dispatch
def test_katz_is_networkx_s_loop():
    rng = random.Random(3)
    for round_ in range(40):
        directed = round_ % 2 == 0
        n = rng.randint(1, 14)
        G = random_graph(rng, directed, n, rng.randint(0, 3 * n), weights=lambda r: r.choice([1, 2, 0.5, -1]))
        beta = {v: rng.uniform(0.5, 1.5) for v in G} if round_ % 3 == 0 else 1.0
        for weight in (None, "weight"):
            kwargs = dict(alpha=0.05, beta=beta, weight=weight, normalized=round_ % 4 != 0)
            want = nx.katz_centrality(G, **kwargs)
            got = nx.katz_centrality(G, **kwargs, backend="tarvel")
            assert list(got) == list(want)
            if sys.version_info >= (3, 12):  # the stopping test sums as Python's sum() does from 3.12
                assert got == want, round_
            else:
                assert got == pytest.approx(want, rel=1e-12)
    cycle = nx.cycle_graph(4, create_using=nx.DiGraph)
    with pytest.raises(nx.PowerIterationFailedConvergence):
        nx.katz_centrality(cycle, alpha=1.0, backend="tarvel")
    with pytest.raises(nx.NetworkXError, match="beta dictionary"):
        nx.katz_centrality(cycle, beta={0: 1}, backend="tarvel")


@needs_dispatch
def test_lengths_and_paths_answer_as_networkx():
    rng = random.Random(5)
    for round_ in range(60):
        directed = round_ % 2 == 0
        n = rng.randint(2, 12)
        negative = round_ % 3 == 0
        G = random_graph(rng, directed, n, rng.randint(0, 2 * n),
                         weights=lambda r: r.randint(-1 if negative else 0, 6))
        s, t = rng.randrange(n), rng.randrange(n)
        # weight=None after weighted calls: networkx hands over the converted
        # graph it cached for them, whose weights must then be ignored.
        calls = [("single_source_bellman_ford_path_length", (G, s)), ("bellman_ford_path_length", (G, s, t)),
                 ("shortest_path_length", (G, s)), ("has_path", (G, s, t)),
                 ("bellman_ford_path_length", (G, s, t, None)), ("dijkstra_path_length", (G, s, t, None)),
                 ("single_source_dijkstra_path_length", (G, s, None, None))]
        if not negative:
            calls += [("dijkstra_path_length", (G, s, t)), ("single_source_dijkstra_path_length", (G, s)),
                      ("single_source_shortest_path_length", (G, s, 2))]
        for name, args in calls:
            try:
                want = getattr(nx, name)(*args)
            except (nx.NetworkXNoPath, nx.NetworkXUnbounded) as error:
                with pytest.raises(type(error), match=str(error)):
                    getattr(nx, name)(*args, backend="tarvel")
                continue
            got = getattr(nx, name)(*args, backend="tarvel")
            assert got == want and type(got) is type(want), (round_, name)
        if nx.has_path(G, s, t) and not negative:
            path = nx.dijkstra_path(G, s, t, backend="tarvel")
            assert nx.path_weight(G, path, "weight") == nx.dijkstra_path_length(G, s, t)
    with pytest.raises(nx.NodeNotFound, match="Node 99 not found in graph"):
        nx.dijkstra_path_length(nx.path_graph(3), 99, 0, backend="tarvel")


@needs_dispatch
def test_bellman_ford_paths_miss_a_target_in_networkx_s_words():
    """The path calls raise what networkx raises, message included, for a
    target the source does not reach or that is not in the graph (behind a
    negative cycle too); a path found weighs what networkx's does."""
    def measure(G, path, weight):
        return nx.is_path(G, path), nx.path_weight(G, path, weight) if weight else len(path)

    rng = random.Random(11)
    cycle = nx.DiGraph([(0, 1, {"weight": -2}), (1, 0, {"weight": 1}), (2, 0, {"weight": 1})])
    for round_ in range(41):
        directed = round_ % 2 == 0
        n = rng.randint(2, 8)
        G = random_graph(rng, directed, n, rng.randint(0, n), weights=lambda r: r.randint(-1 if directed else 0, 5))
        s = rng.randrange(n)
        if round_ == 40:
            G, n, s = cycle, 3, 0  # the source reaches a negative cycle, not node 2
        for t in (rng.randrange(n), n + 3, "absent"):
            for weight in ("weight", None):
                calls = [("bellman_ford_path", (G, s, t, weight)), ("single_source_bellman_ford", (G, s, t, weight)),
                         ("shortest_path", (G, s, t, weight, "bellman-ford"))]
                for name, args in calls:
                    try:
                        want = getattr(nx, name)(*args)
                    except nx.NetworkXException as error:
                        with pytest.raises(type(error)) as raised:
                            getattr(nx, name)(*args, backend="tarvel")
                        assert str(raised.value) == str(error), (round_, name, t, weight)
                        continue
                    got = getattr(nx, name)(*args, backend="tarvel")
                    if name == "single_source_bellman_ford":
                        assert got[0] == want[0]
                        got, want = got[1], want[1]
                    assert measure(G, got, weight) == measure(G, want, weight), (round_, name, t, weight)


@needs_dispatch
def test_spanning_forests_are_minimum():
    rng = random.Random(9)
    for round_ in range(30):
        n = rng.randint(1, 12)
        G = random_graph(rng, False, n, rng.randint(0, 3 * n), weights=lambda r: r.randint(-3, 3))
        T = nx.minimum_spanning_tree(G, backend="tarvel")
        assert sorted(T) == sorted(G) and nx.is_forest(T)
        assert T.size("weight") == nx.minimum_spanning_tree(G).size("weight")
        assert nx.number_connected_components(T) == nx.number_connected_components(G)


@needs_dispatch
def test_threads_and_progress_pass_through_to_tarvel():
    G = nx.gnm_random_graph(300, 1500, seed=4)
    seen = []
    for name, kwargs in [("betweenness_centrality", {}), ("closeness_centrality", {}),
                         ("katz_centrality", {"alpha": 0.01})]:
        one = getattr(nx, name)(G, backend="tarvel", threads=1, **kwargs)
        assert getattr(nx, name)(G, backend="tarvel", threads=2, progress=lambda d, t: seen.append(name),
                                 **kwargs) == one
        assert name in seen
    with pytest.raises(ZeroDivisionError):
        nx.closeness_centrality(G, backend="tarvel", progress=lambda d, t: 1 / 0)


@needs_dispatch
def test_karate_club_betweenness_within_1e_12():
    code = ("import math, networkx as nx; G = nx.karate_club_graph(); a = nx.betweenness_centrality(G); "
            "b = nx.betweenness_centrality(G, backend='tarvel'); assert a.keys() == b.keys() and "
            "all(math.isclose(a[k], b[k], rel_tol=1e-12, abs_tol=0) for k in a)")
    subprocess.run([sys.executable, "-c", code], check=True)


def plain_katz(g, alpha, beta, steps, tolerance, weighted):
    """networkx's loop over tarvel's own graph: scatter from each source."""
    nodes = g.nodes()
    x = dict.fromkeys(nodes, 0)
    for _ in range(steps):
        last, x = x, dict.fromkeys(nodes, 0)
        for u in nodes:
            loops = 0
            for v, w in g.neighbors(u):
                if v == u and not repr(g).startswith("<tarvel.Graph directed"):
                    loops += 1
                    if loops % 2 == 0:
                        continue  # an undirected self-loop stands twice in its node's list
                x[v] += last[u] * (w if weighted else 1)
        x = {v: alpha * x[v] + beta[v] for v in nodes}
        if sum(abs(x[v] - last[v]) for v in nodes) < len(nodes) * tolerance:
            return x
    return None


def test_graph_methods_for_the_raw_quantities():
    rng = random.Random(1)
    for round_ in range(40):
        g = tarvel.Graph(round_ % 2 == 0)
        n = rng.randint(1, 10)
        g.addNodes([str(k) for k in range(n)])
        g.addEdges([(str(rng.randrange(n)), str(rng.randrange(n)), rng.randint(-2, 3)) for _ in range(2 * n)])
        for name, (reached, total) in g.reachSums(threads=1).items():
            found = g.distances(name, tarvel.BFS)
            assert (reached, total) == (len(found) - 1, sum(found.values()))
        beta = {name: rng.uniform(0.5, 1.5) for name in g.nodes()}
        for weighted in (False, True):
            want = plain_katz(g, 0.05, beta, 200, 1e-9, weighted)
            got = g.incomingKatzCentrality(0.05, beta, 200, 1e-9, weighted=weighted, normalized=False)
            if sys.version_info >= (3, 12):
                assert got == want
            else:
                assert got == pytest.approx(want, rel=1e-12)
    g = tarvel.Graph(True)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)
    g.addEdge("b", "a", 1)
    with pytest.raises(RuntimeError, match="Katz centrality did not converge in 5 iterations"):
        g.incomingKatzCentrality(alpha=1.0, max_iterations=5)
    for beta in ({"a": 1.0}, {"a": 1.0, "c": 2.0}):
        with pytest.raises(ValueError):
            g.incomingKatzCentrality(beta=beta)
    with pytest.raises(TypeError):
        g.incomingKatzCentrality(beta="x")
    assert g.incomingKatzCentrality(tolerance=1.0, start={"a": 1.0, "b": 1.0}, normalized=False) == {
        "a": 1.1, "b": 1.1}


@needs_dispatch
def test_float_sums_that_overflow_answer_as_networkx():
    """Dijkstra's lengths are inf where a float sum overflows, as networkx
    gives them; its Bellman-Ford counts such a node as not reached, and the
    backend keeps that answer."""
    big = sys.float_info.max
    rng = random.Random(1024)
    infinite = 0
    for round_ in range(80):
        directed = round_ % 2 == 0
        n = rng.randint(2, 9)
        G = random_graph(rng, directed, n, rng.randint(1, 2 * n), weights=lambda r: r.choice([1.0, 0.5, big, 1e308, 0.7 * big]))
        s, t = rng.randrange(n), rng.randrange(n)
        infinite += sum(d == float("inf") for d in nx.single_source_dijkstra_path_length(G, s).values())
        lengths = [("dijkstra_path_length", (G, s, t)), ("single_source_dijkstra_path_length", (G, s)),
                   ("single_source_dijkstra", (G, s, t)), ("bellman_ford_path_length", (G, s, t)),
                   ("single_source_bellman_ford_path_length", (G, s)), ("shortest_path_length", (G, s, None, "weight")),
                   ("shortest_path_length", (G, s, None, "weight", "bellman-ford"))]
        for name, args in lengths:
            try:
                want = getattr(nx, name)(*args)
            except nx.NetworkXNoPath:
                with pytest.raises(nx.NetworkXNoPath):  # the message is networkx's, checked elsewhere
                    getattr(nx, name)(*args, backend="tarvel")
                continue
            got = getattr(nx, name)(*args, backend="tarvel")
            if name == "single_source_dijkstra":  # (length, path): paths may differ among equal lengths
                assert got[0] == want[0] and nx.path_weight(G, got[1], "weight") == want[0], (round_, name)
            else:
                assert got == want, (round_, name, got, want)
        # Paths: the same nodes reached, each path as long as networkx's.
        for name in ("single_source_dijkstra_path", "single_source_bellman_ford_path"):
            want, got = getattr(nx, name)(G, s), getattr(nx, name)(G, s, backend="tarvel")
            assert list(got) == sorted(want, key=list(G).index), (round_, name)
            assert all(nx.path_weight(G, got[v], "weight") == nx.path_weight(G, want[v], "weight") for v in want)
        for name in ("dijkstra_path", "bellman_ford_path"):
            try:
                want = nx.path_weight(G, getattr(nx, name)(G, s, t), "weight")
            except nx.NetworkXNoPath:
                with pytest.raises(nx.NetworkXNoPath):
                    getattr(nx, name)(G, s, t, backend="tarvel")
                continue
            assert nx.path_weight(G, getattr(nx, name)(G, s, t, backend="tarvel"), "weight") == want, (round_, name)
        want = nx.shortest_path(G, s, method="bellman-ford", weight="weight")
        assert set(nx.shortest_path(G, s, method="bellman-ford", weight="weight", backend="tarvel")) == set(want)
    assert infinite > 15
