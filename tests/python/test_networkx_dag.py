"""The backend's topological sorts and generations, ancestors and
descendants, and weak components: the same values, orders and exceptions as
networkx's own on random graphs, the nodes before a cycle included, and the
keys it declines."""
import random

import networkx as nx
import pytest

from tarvel_networkx import info

pytestmark = [
    pytest.mark.skipif(not info.dispatching(nx.__version__),
                       reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__),
    # The calls with backend="tarvel" use the graph converted by the call before.
    pytest.mark.filterwarnings("ignore:Note. conversions to backend graphs are saved:UserWarning"),
]


def outcome(call):
    """What iterating call() gives: the items, then the exception (type, text) or None."""
    items = []
    try:
        for item in call():
            items.append(item)
    except Exception as error:
        return items, (type(error), str(error))
    return items, None


def random_digraph(rng, n, m, acyclic):
    G = nx.DiGraph()
    nodes = list(range(n))
    rng.shuffle(nodes)
    G.add_nodes_from(nodes)
    for _ in range(m):
        u, v = rng.randrange(n), rng.randrange(n)
        if acyclic and u >= v:
            continue
        G.add_edge(u, v)
    return G


def test_sorts_and_generations_are_networkx_s_with_and_without_cycles():
    rng = random.Random(3)
    for round in range(200):
        n = 1 + round % 20
        G = random_digraph(rng, n, rng.randrange(3 * n), acyclic=round % 4 != 0)
        weights = {node: rng.randrange(3) for node in G}
        for name, kwargs in [("topological_sort", {}), ("topological_generations", {}),
                             ("lexicographical_topological_sort", {}),
                             ("lexicographical_topological_sort", {"key": weights.get}),
                             ("lexicographical_topological_sort", {"key": lambda x: (x % 2, -x)})]:
            function = getattr(nx, name)
            assert outcome(lambda: function(G, backend="tarvel", **kwargs)) == outcome(
                lambda: function(G, backend="networkx", **kwargs)), (round, name, kwargs)


def test_undirected_graphs_raise_networkx_s_error_when_iterated():
    G = nx.path_graph(3)
    for name in ("topological_sort", "topological_generations", "lexicographical_topological_sort"):
        result = getattr(nx, name)(G, backend="tarvel")  # a generator: the error comes with the first item
        with pytest.raises(nx.NetworkXError, match="^Topological sort not defined on undirected graphs.$"):
            next(result)


def test_keys_are_answered_only_when_a_ranking_matches_networkx_s_heap():
    from tarvel_networkx import backend

    def check(G, key=None):
        return backend.can_run("lexicographical_topological_sort", (G,), {"key": key})

    mixed = nx.DiGraph([(1, "red"), (3, "red"), (1, "green"), (2, "blue")])
    assert isinstance(check(mixed), str)  # networkx raises its TypeError itself
    assert check(mixed, key=lambda node: (isinstance(node, str), node)) is True
    assert list(nx.lexicographical_topological_sort(mixed, key=lambda node: (isinstance(node, str), node),
                                                    backend="tarvel")) == [1, 2, 3, "blue", "green", "red"]
    G = nx.DiGraph([(0, 1), (1, 2)])
    declined = [lambda x: float("nan"), lambda x: {x}, lambda x: 1 / 0, lambda x: (0, [x]),
                lambda x: 2.5 if x else "a", 5]
    for key in declined:
        assert isinstance(check(G, key), str), key
    for key in (lambda x: -x, lambda x: str(x), lambda x: bytes(x), lambda x: (x % 2, (x, str(x))), lambda x: True,
                lambda x: (0,) * x, lambda x: (x, [x]) if x else (x, "a")):
        assert check(G, key) is True
        assert list(nx.lexicographical_topological_sort(G, key=key, backend="tarvel")) == list(
            nx.lexicographical_topological_sort(G, key=key, backend="networkx"))


def test_reach_and_its_errors_are_networkx_s():
    rng = random.Random(5)
    for round in range(60):
        n = 1 + round % 15
        G = random_digraph(rng, n, rng.randrange(3 * n), acyclic=False)
        for graph in (G, G.to_undirected()):
            for node in graph:
                assert nx.descendants(graph, node, backend="tarvel") == nx.descendants(graph, node)
                assert nx.ancestors(graph, node, backend="tarvel") == nx.ancestors(graph, node)
    for graph, kind in ((nx.DiGraph([(0, 1)]), "digraph"), (nx.Graph([(0, 1)]), "graph")):
        for function in (nx.descendants, nx.ancestors):
            with pytest.raises(nx.NetworkXError, match="^The node 7 is not in the %s.$" % kind):
                function(graph, 7, backend="tarvel")
            with pytest.raises(TypeError):
                function(graph, [0], backend="tarvel")


def test_weak_components_are_networkx_s_in_order():
    rng = random.Random(9)
    for round in range(100):
        n = round % 20
        G = random_digraph(rng, n, rng.randrange(2 * n + 1), acyclic=False) if n else nx.DiGraph()
        assert list(nx.weakly_connected_components(G, backend="tarvel")) == list(nx.weakly_connected_components(G))
        assert nx.number_weakly_connected_components(G, backend="tarvel") == nx.number_weakly_connected_components(G)
        if n:
            assert nx.is_weakly_connected(G, backend="tarvel") == nx.is_weakly_connected(G)
    with pytest.raises(nx.NetworkXPointlessConcept, match="null graph"):
        nx.is_weakly_connected(nx.DiGraph(), backend="tarvel")
    for name in ("weakly_connected_components", "number_weakly_connected_components", "is_weakly_connected"):
        with pytest.raises(nx.NetworkXNotImplemented, match="not implemented for undirected type"):
            getattr(nx, name)(nx.path_graph(3), backend="tarvel")


def test_one_pass_functions_convert_only_when_a_conversion_is_at_hand():
    from tarvel_networkx import backend

    G = nx.DiGraph([(0, 1)])
    for name in ("topological_sort", "lexicographical_topological_sort", "topological_generations", "ancestors",
                 "descendants", "weakly_connected_components", "number_weakly_connected_components",
                 "is_weakly_connected"):
        args = (G, 0) if name in ("ancestors", "descendants") else (G,)
        assert backend.can_run(name, args, {}) is True
        assert isinstance(backend.should_run(name, args, {}), str)
