"""Graphs moved from and to networkx: round trips with parallel edges,
self-loops, missing weights and nodes that are not names; refusals; networkx
imported only when needed."""
import collections
import subprocess
import sys

import networkx as nx
import pytest

import tarvel

NAMES = {3: "3", "x": "x", (1, 2): "(1, 2)", b"raw": "raw"}


def counted(edges, directed):
    """The edges as a multiset of (ends, weight); undirected ends unordered."""
    return collections.Counter(((u, v) if directed else frozenset((u, v)), w) for u, v, w in edges)


@pytest.mark.parametrize("kind", [nx.Graph, nx.DiGraph, nx.MultiGraph, nx.MultiDiGraph])
def test_networkx_graphs_round_trip(kind):
    source = kind()
    source.add_nodes_from([(1, 2), "x", 3, b"raw"])
    source.add_edges_from([(3, "x", {"weight": 5}), ("x", "x", {"weight": -2}), ("x", b"raw", {"cost": 8}),
                           ((1, 2), 3, {"weight": 7.0}), (3, "x", {"weight": 2 ** 31 - 1})])
    g = tarvel.Graph.fromNetworkx(source, default=4, name=lambda n: n if isinstance(n, bytes) else NAMES[n])
    directed = source.is_directed()
    assert repr(g).startswith("<tarvel.Graph %s," % ("directed" if directed else "undirected"))
    assert g.nodes() == [NAMES[n] for n in source]
    expected = [(NAMES[u], NAMES[v], d.get("weight", 4)) for u, v, d in source.edges(data=True)]
    assert [(e.getSource(), e.getDestination(), e.getWeight()) for e in g.edges()] == expected

    back = g.toNetworkx()
    assert type(back) is (nx.MultiDiGraph if directed else nx.MultiGraph)
    assert list(back) == g.nodes()
    assert counted(back.edges(data="weight"), directed) == counted(expected, directed)
    again = tarvel.Graph.fromNetworkx(back)
    assert again.nodes() == g.nodes() and again.edgeCount() == g.edgeCount() == len(expected)
    weights = tarvel.Graph.fromNetworkx(source, weight=None, default=9, name=str)
    assert {e.getWeight() for e in weights.edges()} == {9}


def test_tarvel_graphs_keep_their_edges_through_networkx(make):
    g = make(False, ["a", b"\xff", "c"], [("a", b"\xff", 1), (b"\xff", "a", 1), ("c", "c", -3)])
    back = g.toNetworkx()
    assert list(back) == ["a", b"\xff", "c"] and back.number_of_edges("a", b"\xff") == 2
    assert [e for e in back.edges(keys=True, data="weight") if e[0] == "c"] == [("c", "c", 0, -3)]
    again = tarvel.Graph.fromNetworkx(back)  # the raw name comes back byte for byte
    assert b"\xff" in again and again.neighbors(b"\xff") == g.neighbors(b"\xff") == [("a", 1), ("a", 1)]


FLOAT_HINT = ": this graph holds integer weights (fromNetworkx(..., weightType=float) holds fractional ones)"


@pytest.mark.parametrize("graph, edge_data, kind, message", [
    (nx.Graph, {"weight": 2.5}, TypeError, "edge ('a', 'b'): weight 2.5 is not an integer" + FLOAT_HINT),
    (nx.MultiGraph, {"weight": "3"}, TypeError, "edge ('a', 'b', 0): weight '3' is not an integer" + FLOAT_HINT),
    (nx.Graph, {"weight": float("nan")}, TypeError, "edge ('a', 'b'): weight nan is not an integer" + FLOAT_HINT),
    (nx.DiGraph, {"weight": 2 ** 31}, OverflowError,
     "edge ('a', 'b'): weight 2147483648 is outside the 32-bit range"),
    (nx.Graph, {"weight": -1e10}, OverflowError,
     "edge ('a', 'b'): weight -10000000000.0 is outside the 32-bit range"),
])
def test_weights_outside_the_integers_are_refused(graph, edge_data, kind, message):
    with pytest.raises(kind) as raised:
        tarvel.Graph.fromNetworkx(graph([("a", "b", edge_data)]))
    assert str(raised.value) == message


def test_nodes_that_are_no_names_are_refused():
    for source, name, kind, message in [
        (nx.path_graph(2), None, TypeError, "node 0 is not str or bytes"),
        (nx.path_graph(2), lambda n: n * 1.5, TypeError, "name(0) returned 0.0, which is not str or bytes"),
        (nx.Graph([(1, "1")]), str, RuntimeError, "duplicate nodes are not allowed: nodes 1 and '1' are both named"),
    ]:
        with pytest.raises(kind) as raised:
            tarvel.Graph.fromNetworkx(source, name=name)
        assert str(raised.value).startswith(message)


def test_networkx_is_imported_only_to_make_a_networkx_graph():
    code = (
        "import sys, tarvel\n"
        "class Pair:\n"  # read through its methods alone
        "    def is_directed(self): return True\n"
        "    def is_multigraph(self): return False\n"
        "    def __iter__(self): return iter(['a', 'b'])\n"
        "    def edges(self, data): return [('a', 'b', {'weight': 2})]\n"
        "g = tarvel.Graph.fromNetworkx(Pair())\n"
        "print('networkx' in sys.modules, g.edges())\n"
        "g.toNetworkx()\n"
        "print('networkx' in sys.modules)\n"
    )
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True).stdout
    assert out.split("\n")[:2] == ["False [Edge('a', 'b', 2)]", "True"]
