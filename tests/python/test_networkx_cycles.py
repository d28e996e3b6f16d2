"""edge_dfs, edge_bfs, find_cycle and has_cycle through the backend: the
same edges in the same order (keys and directions included), the same
cycles and exceptions as networkx's own, on random graphs and multigraphs
with self-loops and parallel edges, for every orientation; what the backend
declines (in-edges whose order is not node order) and when it converts."""
import random

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = [
    pytest.mark.skipif(not info.dispatching(nx.__version__),
                       reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__),
    pytest.mark.filterwarnings("ignore:Note. conversions to backend graphs are saved:UserWarning"),
]

CLASSES = (nx.Graph, nx.DiGraph, nx.MultiGraph, nx.MultiDiGraph)


def random_graph(rng, cls, n, m, pred_in_order=True):
    """Nodes in shuffled order; m random edges, self-loops and parallel
    ones among them. With pred_in_order the edges are added by their
    tails' positions, so that every G._pred[v] is in node order."""
    G = cls()
    nodes = list(range(n))
    rng.shuffle(nodes)
    G.add_nodes_from(nodes)
    edges = [(rng.choice(nodes), rng.choice(nodes)) for _ in range(m)]
    edges += rng.sample(edges, len(edges) // 4)  # parallel edges (merged by Graph and DiGraph)
    if pred_in_order:
        position = {u: k for k, u in enumerate(nodes)}
        edges.sort(key=lambda e: position[e[0]])
    else:
        rng.shuffle(edges)
    G.add_edges_from(edges)
    return G


def outcome(call):
    """The items call() gives, then the exception (type, text) or None."""
    items = []
    try:
        for item in call():
            items.append(item)
    except Exception as error:
        return items, (type(error), str(error))
    return items, None


def sources(rng, G):
    nodes = list(G)
    return [None, rng.choice(nodes), [rng.choice(nodes), rng.choice(nodes), "stranger"]]


def test_edge_searches_are_networkx_s_in_every_orientation():
    rng = random.Random(41)
    for round in range(120):
        cls = CLASSES[round % 4]
        G = random_graph(rng, cls, 1 + round % 9, rng.randrange(0, 14))
        for source in sources(rng, G):
            for orientation in (None, "original", "reverse", "ignore"):
                for function in (nx.edge_dfs, nx.edge_bfs):
                    expected = list(function(G, source, orientation, backend="networkx"))
                    found = list(function(G, source, orientation, backend="tarvel"))
                    assert found == expected, (round, cls.__name__, function.__name__, source, orientation)


def test_find_cycle_is_networkx_s_cycle_or_error():
    rng = random.Random(7)
    found = 0
    for round in range(200):
        cls = CLASSES[round % 4]
        n = 1 + round % 10
        G = random_graph(rng, cls, n, rng.randrange(0, n + 2))
        for source in sources(rng, G):
            for orientation in (None, "original", "reverse", "ignore"):
                expected = outcome(lambda: nx.find_cycle(G, source, orientation, backend="networkx"))
                assert outcome(lambda: nx.find_cycle(G, source, orientation, backend="tarvel")) == expected, (
                    round, cls.__name__, source, orientation)
                found += expected[1] is None
    assert found > 300  # cycles found, and not only errors


def test_has_cycle_agrees_with_is_directed_acyclic_graph():
    rng = random.Random(3)
    for round in range(80):
        cls = (nx.DiGraph, nx.MultiDiGraph)[round % 2]
        G = random_graph(rng, cls, 1 + round % 8, rng.randrange(0, 8), pred_in_order=round % 3 == 0)
        assert nx.dag.has_cycle(G, backend="tarvel") is nx.dag.has_cycle(G, backend="networkx")
        assert nx.is_directed_acyclic_graph(G, backend="tarvel") is not nx.dag.has_cycle(G)
    for G in (nx.Graph([(0, 1)]), nx.MultiGraph()):
        with pytest.raises(nx.NetworkXError, match="Topological sort not defined on undirected graphs."):
            nx.dag.has_cycle(G, backend="tarvel")


def test_in_edges_out_of_node_order_are_left_to_networkx():
    from tarvel_networkx import backend, cycles

    G = nx.DiGraph()
    G.add_nodes_from([0, 1, 2])
    G.add_edges_from([(2, 1), (0, 1)])  # _pred[1] is [2, 0]
    for name in ("edge_dfs", "edge_bfs", "find_cycle"):
        for orientation in ("reverse", "ignore"):
            assert backend.can_run(name, (G,), {"orientation": orientation}) == cycles.PRED_ORDER
        assert backend.can_run(name, (G,), {"orientation": "original"}) is True
    G.remove_edge(2, 1)
    G.add_edge(2, 1)  # now [0, 2]; the cached answer went with the change
    assert backend.can_run("edge_dfs", (G,), {"orientation": "reverse"}) is True
    assert list(nx.edge_dfs(G, 1, "reverse", backend="tarvel")) == [(0, 1, "reverse"), (2, 1, "reverse")]


def test_converting_pays_for_whole_graph_searches_only_from_the_break_even():
    from tarvel_networkx import backend, cycles

    small = nx.path_graph(5, create_using=nx.DiGraph)
    answers = {backend.should_run(name, (small,), {})
               for name in ("edge_dfs", "edge_bfs", "find_cycle", "has_cycle", "is_directed_acyclic_graph")}
    assert len(answers) == 1 and isinstance(answers.pop(), str)  # the same answer for the outer and inner calls
    large = nx.path_graph(backend.EDGE_SEARCHES, create_using=nx.DiGraph)
    for name in ("edge_dfs", "edge_bfs", "find_cycle", "has_cycle", "is_directed_acyclic_graph"):
        assert backend.should_run(name, (large,), {}) is True
    # A search from a source: only with a converted graph at hand.
    assert backend.should_run("find_cycle", (large, 0), {}) == cycles.LOCAL
    assert backend.should_run("find_cycle", (large,), {"source": 0}) == cycles.LOCAL
    nx.has_path(large, 0, 1, backend="tarvel")  # converts and caches
    assert backend.should_run("find_cycle", (large, 0), {}) is True
