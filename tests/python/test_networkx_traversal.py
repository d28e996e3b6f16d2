"""The backend's breadth-first and depth-first traversals: the same items in
the same order as networkx's own on random graphs of every class (self-loops
and parallel edges included), with depth limits and several sources; the
calls it declines; and the local queries it answers only with a converted
graph at hand."""
import random

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = [
    pytest.mark.skipif(not info.dispatching(nx.__version__),
                       reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__),
    pytest.mark.filterwarnings("ignore:Note. conversions to backend graphs are saved:UserWarning"),
]

CLASSES = [nx.Graph, nx.DiGraph, nx.MultiGraph, nx.MultiDiGraph]


def random_graph(rng, cls, n, m):
    G = cls()
    nodes = list(range(n))
    rng.shuffle(nodes)  # node order differs from the labels' order
    G.add_nodes_from(nodes)
    for _ in range(m):
        G.add_edge(rng.randrange(n), rng.randrange(n))  # self-loops and (in multigraphs) parallel edges
    return G


def both(function, *args, **kwargs):
    """(tarvel's answer, networkx's), generators drained, trees as node and edge lists."""
    out = []
    for name in ("tarvel", "networkx"):
        answer = function(*args, backend=name, **kwargs)
        if isinstance(answer, nx.Graph):
            answer = (type(answer), list(answer.nodes), list(answer.edges), answer.graph)
        elif not isinstance(answer, (dict, set)):
            answer = list(answer)
        out.append(answer)
    return out


def graphs(seed, rounds):
    rng = random.Random(seed)
    for round in range(rounds):
        n = 1 + round % 15
        yield rng, round, random_graph(rng, CLASSES[round % 4], n, rng.randrange(3 * n))


def test_breadth_first_family_matches_networkx():
    for rng, round, G in graphs(1, 160):
        source = rng.randrange(len(G))
        for limit in (None, rng.randrange(-1, 4)):
            for name in ("bfs_edges", "bfs_tree", "bfs_successors"):
                got, want = both(getattr(nx, name), G, source, depth_limit=limit)
                assert got == want, (round, name, limit)
        got, want = both(nx.bfs_edges, G, source, reverse=not G.is_directed())
        assert got == want, round
        sources = [rng.randrange(len(G)) for _ in range(1 + round % 3)]
        for given in (source, sources):
            got, want = both(nx.bfs_layers, G, given)
            assert got == want, (round, given)
        for distance in (-1, 0, 1, 2, len(G)):
            got, want = both(nx.descendants_at_distance, G, source, distance)
            assert got == want, (round, distance)


def test_depth_first_family_matches_networkx():
    names = ["dfs_edges", "dfs_tree", "dfs_preorder_nodes", "dfs_postorder_nodes", "dfs_labeled_edges",
             "dfs_predecessors", "dfs_successors"]
    for rng, round, G in graphs(2, 160):
        for source in (None, rng.randrange(len(G))):
            for limit in (None, rng.randrange(-1, 4)):
                for name in names:
                    got, want = both(getattr(nx, name), G, source, depth_limit=limit)
                    assert got == want, (round, name, source, limit)


def test_declined_calls_say_why():
    from tarvel_networkx import backend  # networkx 3.4 on

    D = nx.DiGraph([(1, 2), (0, 2)])
    G = nx.Graph(D)
    assert backend.can_run("bfs_edges", (G, 1), {"reverse": True}) is True  # undirected: reverse reads neighbours
    declined = [
        ("bfs_edges", (D, 2), {"reverse": True}),
        ("bfs_tree", (D, 2, True), {}),
        ("bfs_edges", (G, 1), {"sort_neighbors": sorted}),
        ("dfs_edges", (G, 1), {"sort_neighbors": sorted}),
        ("bfs_edges", (G, 7), {}),
        ("dfs_labeled_edges", (G, [1]), {}),
        ("bfs_layers", (G, iter([1])), {}),
        ("bfs_layers", (G, [1, 7]), {}),
        ("bfs_edges", (G, 1), {"depth_limit": 1.5}),
        ("descendants_at_distance", (G, 1, 1.0), {}),
    ]
    for name, args, kwargs in declined:
        answer = backend.can_run(name, args, kwargs)
        assert isinstance(answer, str) and answer, (name, args, kwargs)


def test_local_queries_need_a_converted_graph_and_small_whole_searches_decline():
    from tarvel_networkx import backend  # networkx 3.4 on

    G = nx.path_graph(50)
    for name, args, kwargs in [("bfs_edges", (G, 0), {"depth_limit": 2}), ("dfs_edges", (G, 0, 2), {}),
                               ("bfs_successors", (G, 0, 2), {}),
                               ("descendants_at_distance", (G, 0, 2), {}), ("dfs_edges", (G,), {}),
                               ("bfs_layers", (G, 0), {})]:
        assert backend.should_run(name, args, kwargs) is not True, name
    nx.bfs_edges(G, 0, backend="tarvel")  # caches the conversion
    for name, args, kwargs in [("bfs_edges", (G, 0), {"depth_limit": 2}), ("dfs_edges", (G,), {})]:
        assert backend.should_run(name, args, kwargs) is True, name
    big = nx.empty_graph(backend.BREAK_EVEN["depth-first traversals"])
    assert backend.should_run("dfs_edges", (big,), {}) is True
    assert backend.should_run("dfs_edges", (big, 0, 3), {}) is not True
