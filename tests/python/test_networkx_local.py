"""The backend's local queries against networkx itself: the two-ended
search's path, ego graphs (nodes, edges, data and their order), when
should_run takes them, and how a function that returns a graph is routed
to tarvel."""
import os
import random
import subprocess
import sys

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                reason="networkx %s does not dispatch to backends" % nx.__version__)

KINDS = (nx.Graph, nx.DiGraph, nx.MultiGraph, nx.MultiDiGraph)


def random_graph(rng, kind, n, m, sorted_edges=False):
    """Nodes of mixed types in a shuffled order; random edges with
    self-loops and parallel edges, some with data. sorted_edges: added in
    node order of their source (so a directed graph lists its predecessors
    in node order)."""
    G = kind(name="g%d" % n)
    nodes = [*range(n // 2), *("n%d" % k for k in range(n - n // 2))]
    rng.shuffle(nodes)
    for node in nodes:
        G.add_node(node, mark=rng.random())
    edges = [(rng.choice(nodes), rng.choice(nodes)) for _ in range(m)]
    if sorted_edges:
        position = {node: k for k, node in enumerate(nodes)}
        edges.sort(key=lambda e: position[e[0]])
    for u, v in edges:
        G.add_edge(u, v, weight=rng.randint(1, 5), tag=rng.random())
    return G


def test_bidirectional_paths_are_networkx_paths():
    rng = random.Random(39)
    answered = differ = 0
    for round in range(160):
        kind = KINDS[round % 4]
        n = rng.randint(2, 40)
        G = random_graph(rng, kind, n, rng.randint(0, 3 * n), sorted_edges=round % 8 < 4)
        nodes = list(G)
        for _ in range(6):
            s, t = rng.choice(nodes), rng.choice(nodes)
            try:
                expected = nx.bidirectional_shortest_path(G, s, t, backend="networkx")
            except nx.NetworkXNoPath as error:
                with pytest.raises(nx.NetworkXNoPath, match="^%s$" % str(error).replace(".", r"\.")):
                    nx.bidirectional_shortest_path(G, s, t, backend="tarvel")
                continue
            assert nx.bidirectional_shortest_path(G, s, t, backend="tarvel") == expected, (round, s, t)
            answered += 1
            differ += expected != nx.shortest_path(G, s, t, backend="tarvel")
    # The paths tarvel's forward search would give are not the ones asked for.
    assert answered > 400 and differ > 10
    G = nx.path_graph(3)
    with pytest.raises(nx.NodeNotFound, match="^Source 7 is not in G$"):
        nx.bidirectional_shortest_path(G, 7, 0, backend="tarvel")
    with pytest.raises(nx.NodeNotFound, match="^Target 7 is not in G$"):
        nx.bidirectional_shortest_path(G, 0, 7, backend="tarvel")
    assert nx.bidirectional_shortest_path(G, 1, 1, backend="tarvel") == [1]


def test_the_target_side_meets_predecessors_in_networkx_order():
    # 0 -> 1 -> 3 and 0 -> 2 -> 3, 3 -> 4; node order 4, 3, 2, 1, 0. From 0 to
    # 4 the target side takes 3, then 3's predecessors: networkx meets 1
    # first (the edge 1 -> 3 was added first), node order would meet 2.
    G = nx.DiGraph()
    G.add_nodes_from([4, 3, 2, 1, 0])
    G.add_edges_from([(0, 1), (0, 2), (1, 3), (2, 3), (3, 4)])
    assert nx.bidirectional_shortest_path(G, 0, 4, backend="networkx") == [0, 1, 3, 4]
    assert nx.bidirectional_shortest_path(G, 0, 4, backend="tarvel") == [0, 1, 3, 4]
    in_order = nx.DiGraph()  # the predecessors in node order: the incoming lists serve
    in_order.add_edges_from(G.edges)
    assert all(list(p) == sorted(p, key=list(in_order).index) for p in in_order._pred.values())
    assert nx.bidirectional_shortest_path(in_order, 0, 4, backend="tarvel") == nx.bidirectional_shortest_path(
        in_order, 0, 4, backend="networkx")


def same_graph(H, E):
    """H equals E in class, graph data, and nodes and edges with their data
    in their order."""
    assert type(H) is type(E) and H.graph == E.graph
    assert list(H.nodes(data=True)) == list(E.nodes(data=True))
    edges = (lambda G: list(G.edges(keys=True, data=True))) if E.is_multigraph() else (
        lambda G: list(G.edges(data=True)))
    assert edges(H) == edges(E)
    if E.is_directed():
        assert [list(p) for p in H._pred.values()] == [list(p) for p in E._pred.values()]


def test_ego_graphs_are_networkx_copies_in_its_order():
    rng = random.Random(7)
    small = 0
    for round in range(120):
        kind = KINDS[round % 4]
        n = rng.randint(1, 60)
        G = random_graph(rng, kind, n, rng.randint(0, 2 * n))
        node = rng.choice(list(G))
        radius = rng.choice([0, 1, 2, 3, 1.5, None, -1])
        center = rng.random() < 0.7
        E = nx.ego_graph(G, node, radius=radius, center=center, backend="networkx")
        H = nx.ego_graph(G, node, radius=radius, center=center, backend="tarvel")
        same_graph(H, E)
        small += 2 * len(E) < len(G)  # networkx iterates its set of nodes then
        # A copy: changing it leaves G as it was.
        H.graph["changed"] = True
        assert "changed" not in G.graph
    assert small > 30
    with pytest.raises(nx.NodeNotFound, match="^Source 99 is not in G$"):
        nx.ego_graph(nx.path_graph(3), 99, backend="tarvel")


def test_ego_graphs_tarvel_declines():
    from tarvel_networkx import backend

    G = nx.path_graph(4)
    assert "undirected" in backend.can_run("ego_graph", (G, 0), {"undirected": True})
    assert "distance" in backend.can_run("ego_graph", (G, 0), {"distance": "weight"})
    assert "radius" in backend.can_run("ego_graph", (G, 0, "2"), {})


def test_local_queries_run_in_tarvel_only_from_a_cached_conversion():
    from tarvel_networkx import backend

    G = nx.gnm_random_graph(400, 2000, seed=1)
    nx.set_edge_attributes(G, 2, "weight")
    for name, args in [("bidirectional_shortest_path", (G, 0, 1)), ("ego_graph", (G, 0)),
                       ("single_source_dijkstra_path_length", (G, 0, 3)),  # cutoff
                       ("single_source_dijkstra", (G, 0, 5)),  # target
                       ("single_source_shortest_path_length", (G, 0, 2))]:
        assert isinstance(backend.should_run(name, args, {}), str), name
    # Without a cutoff, the weighted search pays from its break-even on.
    assert backend.should_run("single_source_dijkstra_path_length", (G, 0), {}) is True
    nx.bidirectional_shortest_path(G, 0, 1, backend="tarvel")  # caches a conversion without data
    assert backend.should_run("bidirectional_shortest_path", (G, 0, 1), {}) is True
    assert backend.should_run("single_source_dijkstra", (G, 0), {"target": 5}) is True
    assert backend.should_run("ego_graph", (G, 0), {}) is True
    G.add_edge(0, 399)  # a change empties the cache
    assert isinstance(backend.should_run("bidirectional_shortest_path", (G, 0, 1), {}), str)


def test_outer_and_inner_calls_get_the_same_verdict():
    from tarvel_networkx import backend

    for G in (nx.path_graph(30), nx.gnm_random_graph(2000, 10000, seed=3)):
        pairs = [(("shortest_path", (G, 0, 1), {}), ("bidirectional_shortest_path", (G, 0, 1), {})),
                 (("has_path", (G, 0, 1), {}), ("bidirectional_shortest_path", (G, 0, 1), {})),
                 (("shortest_path_length", (G, 0, 1), {}), ("bidirectional_shortest_path", (G, 0, 1), {})),
                 (("ego_graph", (G, 0), {"radius": 2}), ("single_source_shortest_path_length", (G, 0), {"cutoff": 2}))]
        for cached in (False, True):
            if cached:
                nx.bidirectional_shortest_path(G, 0, 1, backend="tarvel")  # a conversion without attributes
            for (outer, o_args, o_kwargs), (inner, i_args, i_kwargs) in pairs:
                verdicts = (backend.should_run(outer, o_args, o_kwargs), backend.should_run(inner, i_args, i_kwargs))
                assert (verdicts[0] is True) == (verdicts[1] is True), (outer, inner, cached, verdicts)


def test_functions_returning_graphs_reach_tarvel_through_their_routing():
    from tarvel_networkx import dispatch

    G = nx.gnm_random_graph(50, 150, seed=5)
    nx.set_edge_attributes(G, 3, "weight")
    nx.minimum_spanning_tree(G, backend="tarvel")  # converted and cached
    dispatch.start_counting()
    try:
        with nx.config(backend_priority=["tarvel"], warnings_to_ignore={"cache"}):
            nx.minimum_spanning_tree(G)  # the algorithms' priority: networkx answers
        assert dispatch.counts["minimum_spanning_tree"] == 0
        with nx.config(backend_priority={"generators": ["tarvel"]}, warnings_to_ignore={"cache"}):
            T = nx.minimum_spanning_tree(G)
        assert dispatch.counts["minimum_spanning_tree"] == 1
        with nx.config(backend_priority={"minimum_spanning_tree": ["tarvel"]}, warnings_to_ignore={"cache"}):
            assert nx.utils.edges_equal(nx.minimum_spanning_tree(G).edges, T.edges)
        assert dispatch.counts["minimum_spanning_tree"] == 2
    finally:
        dispatch.counts = dispatch.fallbacks = None


def test_the_environment_routes_functions_returning_graphs():
    code = """
import networkx as nx
from tarvel_networkx import dispatch
G = nx.path_graph(6)
nx.set_edge_attributes(G, 1, "weight")
nx.minimum_spanning_tree(G, backend="tarvel")
dispatch.start_counting()
nx.minimum_spanning_tree(G)
print(dispatch.counts["minimum_spanning_tree"])
"""
    env = dict(os.environ, NETWORKX_BACKEND_PRIORITY_GENERATORS="tarvel", NETWORKX_WARNINGS_TO_IGNORE="cache")
    env.pop("NETWORKX_BACKEND_PRIORITY", None)
    done = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, check=True)
    assert done.stdout == "1\n"


def path_weight(G, path, weight="weight"):
    """The weight of `path` as networkx's Dijkstra reads G: each step the
    least over parallel edges, 1 where an edge lacks the attribute."""
    total = 0
    for u, v in zip(path, path[1:]):
        data = G[u][v]
        total += min(d.get(weight, 1) for d in data.values()) if G.is_multigraph() else data.get(weight, 1)
    return total


def test_multi_source_searches_give_networkx_lengths_and_shortest_paths():
    rng = random.Random(884)
    bounded = 0
    for round in range(160):
        kind = KINDS[round % 4]
        n = rng.randint(1, 40)
        G = random_graph(rng, kind, n, rng.randint(0, 3 * n))
        if round % 3 == 0:  # float weights, ties kept
            for *_, d in (G.edges(keys=True, data=True) if G.is_multigraph() else G.edges(data=True)):
                d["weight"] = d["weight"] / 4
        nodes = list(G)
        sources = rng.sample(nodes, rng.randint(1, min(3, n)))
        if round % 2:
            sources = set(sources)
        cutoff = rng.choice([None, None, 0, 2, 3.5, 6])
        want = nx.multi_source_dijkstra_path_length(G, sources, cutoff=cutoff, backend="networkx")
        got = nx.multi_source_dijkstra_path_length(G, sources, cutoff=cutoff, backend="tarvel")
        assert got == want and [type(got[k]) for k in want] == [type(v) for v in want.values()], round
        bounded += cutoff is not None and len(want) < len(nx.multi_source_dijkstra_path_length(G, sources))
        lengths, paths = nx.multi_source_dijkstra(G, sources, cutoff=cutoff, backend="tarvel")
        assert lengths == want and set(paths) == set(want)
        assert paths == nx.multi_source_dijkstra_path(G, sources, cutoff=cutoff, backend="tarvel")
        for node, path in paths.items():
            assert path[0] in sources and path[-1] == node
            assert path_weight(G, path) == want[node]
        target = rng.choice(nodes)
        try:
            expected = nx.multi_source_dijkstra(G, sources, target, cutoff, backend="networkx")
        except nx.NetworkXNoPath:
            with pytest.raises(nx.NetworkXNoPath, match="^No path to %s\\.$" % target):
                nx.multi_source_dijkstra(G, sources, target, cutoff, backend="tarvel")
            continue
        found = nx.multi_source_dijkstra(G, sources, target, cutoff, backend="tarvel")
        assert found[0] == expected[0] and type(found[0]) is type(expected[0])
        assert found[1][0] in sources and found[1][-1] == target and path_weight(G, found[1]) == expected[0]
    assert bounded > 20


def test_multi_source_errors_are_networkx_errors():
    G = nx.path_graph(4)
    with pytest.raises(ValueError, match="^sources must not be empty$"):
        nx.multi_source_dijkstra_path_length(G, [], backend="tarvel")
    with pytest.raises(nx.NodeNotFound, match="^Node 9 not found in graph$"):
        nx.multi_source_dijkstra(G, [0, 9], backend="tarvel")
    assert nx.multi_source_dijkstra(G, [0, 2], 2, backend="tarvel") == (0, [2])
    with pytest.raises(nx.NetworkXNoPath, match="^No path to 9\\.$"):
        nx.multi_source_dijkstra(G, [0], 9, backend="tarvel")
    with pytest.raises(nx.NetworkXNoPath, match="^No path to 3\\.$"):
        nx.multi_source_dijkstra(G, [0], 3, cutoff=2, backend="tarvel")
    from tarvel_networkx import backend

    assert "weight=None" in backend.can_run("multi_source_dijkstra", (G, [0]), {"weight": None})
    assert "sources of type" in backend.can_run("multi_source_dijkstra_path", (G, iter([0])), {})
