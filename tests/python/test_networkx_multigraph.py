"""Multigraphs through the networkx backend: networkx's searches read a
multigraph through G[u], each neighbour once and weighing the least of the
parallel edges' weights (1 where an edge lacks the attribute); the backend
converts it so, and its answers must be networkx's on random multigraphs
with parallel edges of different weights and self-loops, directed or not.
What networkx reads otherwise (degrees count parallel edges, spanning
forests keep keys) is declined."""
import random

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__)


def random_multigraph(rng, directed, n, m, weight):
    """Nodes in shuffled order; m edges between random ends (self-loops and
    parallel edges among them), each weighed by weight(rng), None leaving the
    attribute out."""
    G = nx.MultiDiGraph() if directed else nx.MultiGraph()
    nodes = list(range(n))
    rng.shuffle(nodes)
    G.add_nodes_from(nodes)
    for _ in range(m):
        u, v = rng.randrange(n), rng.randrange(n)
        w = weight(rng)
        G.add_edge(u, v, **({} if w is None else {"weight": w}))
        if rng.random() < 0.4:  # a parallel edge of another weight
            w = weight(rng)
            G.add_edge(u, v, **({} if w is None else {"weight": w}))
    return G


def ints(low):
    return lambda r: None if r.random() < 0.15 else r.randint(low, 9)


def floats(r):
    return r.choice([0.1, 0.2, 0.3, 0.7, 1.5, 2.25, r.uniform(0, 5)])


def path_weight(G, path):
    """The weight networkx's searches give the path, summed from its start."""
    total = 0
    for u, v in zip(path, path[1:]):
        total += min(d.get("weight", 1) for d in G[u][v].values())
    return total


def same_call(name, *args, **kwargs):
    """networkx's answer or exception, and the backend's the same."""
    try:
        want = getattr(nx, name)(*args, **kwargs)
    except (nx.NetworkXNoPath, nx.NetworkXUnbounded, nx.NodeNotFound) as error:
        with pytest.raises(type(error), match=str(error)):
            getattr(nx, name)(*args, **kwargs, backend="tarvel")
        return None
    got = getattr(nx, name)(*args, **kwargs, backend="tarvel")
    if isinstance(want, dict):
        assert sorted(got.items(), key=repr) == sorted(want.items(), key=repr), name
    assert got == want and type(got) is type(want), name
    return got


@pytest.mark.parametrize("directed", [False, True])
@pytest.mark.parametrize("kind", ["int", "float", "negative"])
def test_lengths_and_paths_read_the_least_parallel_weight(directed, kind):
    rng = random.Random("%s %s" % (directed, kind))
    weight = {"int": ints(0), "float": floats, "negative": ints(-2)}[kind]
    for round_ in range(40):
        n = rng.randint(2, 10)
        G = random_multigraph(rng, directed, n, rng.randint(0, 2 * n), weight)
        s, t = rng.randrange(n), rng.randrange(n)
        calls = [("single_source_bellman_ford_path_length", (G, s)), ("bellman_ford_path_length", (G, s, t)),
                 ("shortest_path_length", (G, s, t, "weight", "bellman-ford")),
                 ("single_source_shortest_path_length", (G, s)), ("shortest_path_length", (G, None, t)),
                 ("dijkstra_path_length", (G, s, t, None))]
        if kind != "negative":
            calls += [("single_source_dijkstra_path_length", (G, s)), ("dijkstra_path_length", (G, s, t)),
                      ("single_source_dijkstra_path_length", (G, s, 3.0)), ("shortest_path_length", (G, s))]
        for name, args in calls:
            same_call(name, *args)
        # Paths: a shortest one by networkx's reading, perhaps another than networkx's.
        if kind != "negative":
            lengths, paths = nx.single_source_dijkstra(G, s, backend="tarvel")
            assert lengths == nx.single_source_dijkstra_path_length(G, s)
            for v, path in paths.items():
                assert path[0] == s and path[-1] == v and path_weight(G, path) == lengths[v], (round_, v)
        try:
            want = nx.bellman_ford_path_length(G, s, t)
        except (nx.NetworkXNoPath, nx.NetworkXUnbounded) as error:
            with pytest.raises(type(error)):
                nx.bellman_ford_path(G, s, t, backend="tarvel")
        else:
            assert path_weight(G, nx.bellman_ford_path(G, s, t, backend="tarvel")) == want
        for v, path in nx.single_source_shortest_path(G, s, backend="tarvel").items():
            assert len(path) - 1 == nx.shortest_path_length(G, s, v)


def test_a_negative_parallel_edge():
    # networkx's Dijkstra would meet the negative one: declined. Bellman-Ford
    # takes it, and in an undirected multigraph it is a negative cycle.
    G = nx.MultiDiGraph([(0, 1, {"weight": 5}), (0, 1, {"weight": -2}), (1, 2, {"weight": 1})])
    with pytest.raises(NotImplementedError):
        nx.dijkstra_path_length(G, 0, 2, backend="tarvel")
    assert nx.bellman_ford_path_length(G, 0, 2, backend="tarvel") == -1
    assert nx.single_source_bellman_ford_path_length(G, 0, backend="tarvel") == {0: 0, 1: -2, 2: -1}
    U = nx.MultiGraph(G)
    for call in (nx.bellman_ford_path_length, nx.bellman_ford_path):
        with pytest.raises(nx.NetworkXUnbounded):
            call(U, 0, 2, backend="tarvel")
    # A negative self-loop beside a positive one.
    G.add_edge(2, 2, weight=3)
    G.add_edge(2, 2, weight=-1)
    for source in (0, 2):
        with pytest.raises(nx.NetworkXUnbounded):
            nx.single_source_bellman_ford(G, source, backend="tarvel")
        with pytest.raises(nx.NetworkXUnbounded):
            nx.single_source_bellman_ford_path_length(G, source)


def test_merged_weights_keep_networkx_s_types():
    from tarvel_networkx import backend

    # min keeps the first of equal values: the int here, the float there,
    # and the length's type follows it.
    for first, second in ((2, 2.0), (2.0, 2)):
        G = nx.MultiGraph([(0, 1, {"weight": first}), (0, 1, {"weight": second}), (1, 2, {"weight": 3})])
        if isinstance(first, int):
            assert same_call("dijkstra_path_length", G, 0, 2) == 5
        else:
            assert "int and float" in backend.can_run("dijkstra_path_length", (G, 0, 2), {})
            assert nx.dijkstra_path(G, 0, 2, backend="tarvel") == [0, 1, 2]
    # A missing attribute weighs 1 among heavier parallel edges.
    G = nx.MultiGraph([(0, 1, {"weight": 7}), (0, 1), (1, 2, {"weight": 4}), (1, 2, {"weight": 9})])
    assert same_call("single_source_dijkstra_path_length", G, 0) == {0: 0, 1: 1, 2: 5}
    # Values min cannot order: networkx raises its own TypeError.
    G.add_edge(0, 1, weight="3")
    assert "refuses" in backend.can_run("dijkstra_path_length", (G, 0, 2), {})
    with pytest.raises(TypeError):
        nx.dijkstra_path_length(G, 0, 2)


@pytest.mark.parametrize("directed", [False, True])
def test_components_and_structure(directed):
    rng = random.Random(21 + directed)
    for _ in range(40):
        n = rng.randint(1, 12)
        G = random_multigraph(rng, directed, n, rng.randint(0, n + 2), lambda r: None)
        for name in (["strongly_connected_components", "weakly_connected_components"] if directed else
                     ["connected_components"]):
            got = list(getattr(nx, name)(G, backend="tarvel"))
            assert sorted(map(sorted, got)) == sorted(map(sorted, getattr(nx, name)(G)))
        names = (["number_strongly_connected_components", "is_strongly_connected", "is_directed_acyclic_graph",
                  "number_weakly_connected_components", "is_weakly_connected"]
                 if directed else ["number_connected_components", "is_connected"])
        for name in names + ["is_bipartite"]:
            same_call(name, G)
        u, v = rng.randrange(n), rng.randrange(n)
        same_call("has_path", G, u, v)
        if not directed:
            assert nx.node_connected_component(G, u, backend="tarvel") == nx.node_connected_component(G, u)


def bound(n):
    return 2 * (n - 1) * 2.0**-53


@pytest.mark.parametrize("directed", [False, True])
def test_betweenness_and_closeness_count_a_neighbour_once(directed):
    rng = random.Random(31 + directed)
    for round_ in range(40):
        n = rng.randint(1, 12)
        G = random_multigraph(rng, directed, n, rng.randint(0, 2 * n), lambda r: None)
        for wf in (False, True):
            same_call("closeness_centrality", G, wf_improved=wf)
        same_call("closeness_centrality", G, next(iter(G)))
        for normalized in (False, True):
            for endpoints in (False, True):
                want = nx.betweenness_centrality(G, normalized=normalized, endpoints=endpoints)
                got = nx.betweenness_centrality(G, normalized=normalized, endpoints=endpoints, backend="tarvel")
                assert list(got) == list(want)
                for k in want:
                    assert abs(got[k] - want[k]) <= bound(n) * abs(want[k]), (round_, k)
    # Two parallel edges are one path between their ends, for networkx too.
    G = nx.MultiGraph([(0, 1), (0, 1), (1, 2), (0, 3), (3, 2)])
    assert nx.betweenness_centrality(G, normalized=False, backend="tarvel") == {0: 0.5, 1: 0.5, 2: 0.5, 3: 0.5}


@pytest.mark.parametrize("directed", [False, True])
def test_weighted_centralities_are_networkx_s_where_answered(directed):
    """Weighted betweenness and closeness read the least parallel weight as
    the searches do: whenever the backend accepts them, networkx's numbers;
    else a reason, and NotImplementedError for backend="tarvel"."""
    from tarvel_networkx import backend

    rng = random.Random(41 + directed)
    for round_ in range(30):
        n = rng.randint(2, 12)
        G = random_multigraph(rng, directed, n, rng.randint(0, 2 * n), ints(1))
        for name, kwargs in (("betweenness_centrality", {"weight": "weight"}),
                             ("closeness_centrality", {"distance": "weight"})):
            answer = backend.can_run(name, (G,), kwargs)
            if answer is not True:
                assert isinstance(answer, str) and answer
                with pytest.raises(NotImplementedError):
                    getattr(nx, name)(G, **kwargs, backend="tarvel")
                continue
            want = getattr(nx, name)(G, **kwargs)
            got = getattr(nx, name)(G, **kwargs, backend="tarvel")
            assert list(got) == list(want)
            for k in want:
                assert abs(got[k] - want[k]) <= bound(n) * abs(want[k]), (round_, name, k)


def test_what_reads_parallel_edges_is_declined():
    from tarvel_networkx import backend

    G = nx.MultiGraph([(0, 1, {"weight": 2}), (0, 1, {"weight": 3}), (1, 2)])
    for name, args in [("degree_centrality", (G,)), ("minimum_spanning_tree", (G,)),
                       ("minimum_spanning_edges", (G,))]:
        assert "multigraphs" in backend.can_run(name, args, {}), name
    assert "weight functions" in backend.can_run("dijkstra_path_length", (G, 0, 2),
                                                 {"weight": lambda u, v, d: 1})
    with pytest.raises(NotImplementedError):
        nx.degree_centrality(G, backend="tarvel")
    # A graph converted from a multigraph declines them too.
    converted = backend.convert_from_nx(G, edge_attrs={"weight": 1})
    assert converted.is_multigraph()
    assert "multigraphs" in backend.can_run("degree_centrality", (converted,), {})
    assert backend.can_run("connected_components", (converted,), {}) is True


@pytest.mark.parametrize("directed", [False, True])
def test_converted_multigraphs_go_back_as_multigraphs(directed):
    from tarvel_networkx import backend

    kind = nx.MultiDiGraph if directed else nx.MultiGraph
    G = kind()
    G.graph["name"] = "streets"
    G.add_node("a", x=1)
    G.add_edge("a", "b", key="k", weight=2, length=10.5)
    G.add_edge("a", "b", weight=1, length=30.0)
    G.add_edge("b", "b", weight=4, length=0.5)
    G.add_edge("b", "c", length=2.5)
    kept = backend.convert_from_nx(G, edge_attrs=None, node_attrs=None, preserve_edge_attrs=True,
                                   preserve_node_attrs=True, preserve_graph_attrs=True)
    back = backend.convert_to_nx(kept)
    assert type(back) is kind and back.graph == G.graph and dict(back.nodes(data=True)) == dict(G.nodes(data=True))
    assert sorted(back.edges(keys=True, data=True), key=repr) == sorted(G.edges(keys=True, data=True), key=repr)
    # Another attribute of the kept edges merges as networkx reads it (1 where missing).
    assert nx.single_source_dijkstra_path_length(kept, "a", weight="length", backend="tarvel") == {
        "a": 0, "b": 10.5, "c": 13.0}
    assert nx.single_source_dijkstra_path_length(G, "a", weight="length") == {"a": 0, "b": 10.5, "c": 13.0}
    # Without the attributes: one edge per pair of neighbours, the merged weight.
    merged = backend.convert_to_nx(backend.convert_from_nx(G, edge_attrs={"weight": 1}))
    assert type(merged) is kind
    assert sorted(merged.edges(data="weight")) == [("a", "b", 1), ("b", "b", 4), ("b", "c", 1)]
