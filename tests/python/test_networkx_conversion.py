"""The backend's conversion of networkx graphs: the module's walk of
networkx's adjacency dicts (Graph._fromAdjacency, behind convert) builds
exactly what the plain procedure (convert_plain: Python triples and
addEdges) builds, on random graphs of every kind of weight and node; and
what it does with adjacencies that are not plain dicts."""
import decimal
import random

import networkx as nx
import pytest

import tarvel
from tarvel_networkx import info
from tarvel_networkx.graph import MIXED, convert, convert_plain

needs_dispatch = pytest.mark.skipif(not info.dispatching(nx.__version__),
                                    reason="networkx %s does not dispatch to backends (3.4 does)" % nx.__version__)


class Node:
    """A node object equal to its copies but never the same object: every
    look-up of a neighbour goes by hash and equality."""

    def __init__(self, key):
        self.key = key

    def __hash__(self):
        return hash(self.key)

    def __eq__(self, other):
        return isinstance(other, Node) and other.key == self.key

    def __repr__(self):
        return "Node(%r)" % (self.key,)


def node_maker(rng, kind):
    if kind == "int":
        return lambda k: k
    if kind == "copies":  # equal objects, distinct from the node's own
        return lambda k: Node(k)
    if kind == "big ints":  # ints made anew at each use: equal, not identical
        return lambda k: int("1" + "0" * 30) + k
    return lambda k: rng.choice([(k, "t"), "n%d" % k, frozenset({k}), k + 0.5])


WEIGHTS = {
    "int": lambda rng: rng.randint(1, 100),
    "negative int": lambda rng: rng.randint(-5, 100),
    "float": lambda rng: rng.uniform(-1, 10),
    "mixed": lambda rng: rng.choice([rng.randint(1, 9), rng.random() * 9]),
    "bool": lambda rng: rng.choice([True, False, 3]),
    "wide": lambda rng: rng.choice([2**31, -(2**32), 7]),
    "too wide": lambda rng: rng.choice([2**62, 3, -(2**70)]),
    "mixed too wide": lambda rng: rng.choice([2.5, 2**53]),
    "not numbers": lambda rng: rng.choice([1, "2", decimal.Decimal(3), None]),
    "not finite": lambda rng: rng.choice([1.5, float("inf"), 2]),
    "nan": lambda rng: rng.choice([float("nan"), 2]),
}


def random_graph(rng, *, directed, multigraph, nodes, weights, missing):
    G = (nx.MultiDiGraph if directed else nx.MultiGraph)() if multigraph else (nx.DiGraph if directed else nx.Graph)()
    n = rng.randint(0, 30)
    make = node_maker(rng, nodes)
    own = [make(k) for k in range(n)]
    G.add_nodes_from(own)
    for _ in range(rng.randint(0, 3 * n)):
        u, v = rng.randrange(n), rng.randrange(n)
        if rng.random() < 0.1:
            v = u  # a self-loop
        # Neighbours named by new objects equal to the node's own.
        a, b = (make(u), make(v)) if nodes != "mixed" else (own[u], own[v])
        data = {} if rng.random() < missing else {"weight": WEIGHTS[weights](rng)}
        if rng.random() < 0.3:
            data["other"] = rng.random()
        G.add_edge(a, b, **data)
    return G


def described(converted):
    """Everything the conversion built, for comparison."""
    g = converted.graph
    edges = [(e.source, e.destination, e.weight, type(e.weight)) for e in g.edges()]
    w = converted.weights
    return {
        "nodes": converted.nodes, "names": g.nodes(), "edges": edges, "repr": repr(g),
        "kind": w.kind, "negative": w.negative, "reason": w.reason, "self_loops": converted.self_loops,
        "attribute": converted.attribute, "directed": converted.directed,
    }


@pytest.mark.parametrize("weights", sorted(WEIGHTS))
@pytest.mark.parametrize("nodes", ["int", "copies", "big ints", "mixed"])
def test_the_walk_builds_what_the_plain_procedure_builds(weights, nodes):
    rng = random.Random("%s/%s" % (weights, nodes))
    for trial in range(24):
        directed, multigraph = trial % 2 == 1, trial % 4 >= 2
        G = random_graph(rng, directed=directed, multigraph=multigraph, nodes=nodes, weights=weights,
                         missing=rng.choice([0, 0.2, 1]))
        for attr, default in (("weight", 1), ("weight", 2.5), ("weight", 2**40), (None, 1), ("absent", 7)):
            try:
                expected = described(convert_plain(G, attr, default, merged=multigraph))
            except TypeError:  # min() over parallel weights Python cannot order
                with pytest.raises(TypeError):
                    convert(G, attr, default, merged=multigraph)
                continue
            got = described(convert(G, attr, default, merged=multigraph))
            assert repr(got) == repr(expected), (trial, attr, default, G.edges(data=True))


def test_edge_weights_keep_their_kind_and_order():
    # Sanity beside the differential test: the walk's own answer, read
    # against networkx's adjacency.
    G = nx.DiGraph()
    G.add_edge("b", "a", weight=3)
    G.add_edge("a", "a", weight=-2)
    G.add_edge("a", "c")
    G.add_edge("c", "b", weight=True)
    converted = convert(G, "weight", 5)
    assert converted.nodes == ["b", "a", "c"] and converted.self_loops == [1]
    assert [(e.source, e.destination, e.weight) for e in converted.graph.edges()] == [
        ("0", "1", 3), ("1", "1", -2), ("1", "2", 5), ("2", "0", 1)]
    assert (converted.weights.kind, converted.weights.negative) == ("int", True)


def test_merged_multigraph_takes_each_neighbour_once_with_its_least_weight():
    G = nx.MultiGraph()
    G.add_edge(0, 1, weight=4)
    G.add_edge(0, 1, weight=2.5)
    G.add_edge(1, 0)  # default
    G.add_edge(1, 2, weight=7)
    G.add_edge(2, 2, weight=3)
    G.add_edge(2, 2, weight=1)
    for default, least, kind in ((9, 2.5, "mixed"), (1, 1, "int")):
        converted = convert(G, "weight", default, merged=True)
        assert [(e.source, e.destination, e.weight) for e in converted.graph.edges()] == [
            ("0", "1", least), ("1", "0", least), ("1", "2", 7), ("2", "1", 7), ("2", "2", 1)]
        assert converted.weights.kind == kind  # of the merged weights alone
    assert convert(G, None, merged=True).graph.edgeCount() == 5


def test_adjacencies_of_other_mappings_take_the_plain_procedure():
    import collections

    class Ordered(nx.Graph):
        adjlist_outer_dict_factory = collections.OrderedDict
        adjlist_inner_dict_factory = collections.OrderedDict

    class Data(dict):
        pass

    class Attributed(nx.DiGraph):
        edge_attr_dict_factory = Data

    for cls in (Ordered, Attributed):
        G = cls()
        G.add_edge("x", "y", weight=2)
        G.add_edge("y", "z", weight=1.5)
        assert tarvel.Graph._fromAdjacency(G._adj, "weight", 1, False, lambda *a: float) is None
        assert repr(described(convert(G, "weight"))) == repr(described(convert_plain(G, "weight")))
        # Hop counts never read the edge data: plain data dicts are not needed.
        assert (tarvel.Graph._fromAdjacency(G._adj, None, 1, False, None) is None) == (cls is Ordered)


def test_a_neighbour_that_is_no_node_raises_key_error():
    G = nx.Graph()
    G.add_edge("a", "b")
    G._adj["a"]["ghost"] = {}
    with pytest.raises(KeyError, match="ghost"):
        convert(G)
    with pytest.raises(KeyError, match="ghost"):
        convert_plain(G)


def stated_break_even():
    """family -> the size docs/networkx-backend.md states, from its table
    of break-even sizes."""
    import os
    import re

    path = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "networkx-backend.md")
    with open(path, encoding="utf-8") as f:
        rows = re.findall(r"^ *\| (breadth-first searches|weighted searches|components|strong components|"
                          r"edge searches|breadth-first traversals|depth-first traversals) \| ([\d,]+) \|", f.read(), re.M)
    return {family: int(size.replace(",", "")) for family, size in rows}


@needs_dispatch
def test_one_pass_functions_run_from_their_family_s_stated_break_even():
    from tarvel_networkx import backend

    stated = stated_break_even()
    assert stated == backend.BREAK_EVEN and len(stated) == 7
    for name, family in sorted(backend.ONE_PASS.items()):
        size = stated[family]
        # Nodes without edges: the size is the node count.
        below, at = nx.empty_graph(size - 1), nx.empty_graph(size)
        assert isinstance(backend.should_run(name, (below,), {}), str), name
        assert backend.should_run(name, (at,), {}) is True, name
        # Adjacency entries count too: an undirected edge twice.
        edges = nx.empty_graph(size - 2)
        edges.add_edge(0, 1)  # nodes + 2 entries
        assert backend.should_run(name, (edges,), {}) is True, name
        edges.remove_edge(0, 1)
        edges.add_edge(0, 0)  # a self-loop: one entry
        assert isinstance(backend.should_run(name, (edges,), {}), str), name
    # Functions of no measured family wait for a converted graph at any size.
    huge = nx.empty_graph(max(stated.values()))
    for name in ("is_connected", "has_path", "dijkstra_path_length", "degree_centrality"):
        assert isinstance(backend.should_run(name, (huge, 0, 1), {}), str), name


@needs_dispatch
def test_the_conversion_made_for_can_run_serves_only_the_same_call():
    from tarvel_networkx import backend

    G = nx.Graph()
    G.add_edge("a", "b", weight=2)
    G.add_edge("b", "c", weight=3)
    assert backend.can_run("single_source_dijkstra_path_length", (G, "a"), {}) is True
    made = backend.convert_from_nx(G, edge_attrs={"weight": 1})
    assert backend.convert_from_nx(G, edge_attrs={"weight": 1}) is not made  # once only
    # The call's own conversion serves it; another graph, attribute or default converts anew.
    for other, attrs in ((G.copy(), {"weight": 1}), (G, {"weight": 2}), (G, {"cost": 1})):
        assert backend.can_run("single_source_dijkstra_path_length", (G, "a"), {}) is True
        assert backend.convert_from_nx(other, edge_attrs=attrs) is not made
    assert nx.single_source_dijkstra_path_length(G, "a", backend="tarvel") == {"a": 0, "b": 2, "c": 5}
    G.add_edge("c", "d", weight=1)  # networkx empties the cache
    assert nx.single_source_dijkstra_path_length(G, "a", backend="tarvel") == {"a": 0, "b": 2, "c": 5, "d": 6}


@needs_dispatch
def test_a_declined_call_leaves_no_conversion_for_a_later_one():
    from tarvel_networkx import backend

    def path():
        G = nx.path_graph(4)
        nx.set_edge_attributes(G, 1, "weight")
        return G

    # Declined by should_run (too small to pay), then changed in place.
    G = path()
    assert backend.can_run("single_source_dijkstra_path_length", (G, 0), {}) is True
    assert isinstance(backend.should_run("single_source_dijkstra_path_length", (G, 0), {}), str)
    G[0][1]["weight"] = 10
    assert nx.single_source_dijkstra_path_length(G, 0, backend="tarvel") == {0: 0, 1: 10, 2: 11, 3: 12}
    # Declined by can_run after the weights were read (`sp` is networkx's).
    G = path()
    assert isinstance(backend.can_run("closeness_centrality", (G,), {"distance": "weight", "sp": {}}), str)
    G[0][1]["weight"] = 10
    assert nx.single_source_dijkstra_path_length(G, 0, backend="tarvel") == {0: 0, 1: 10, 2: 11, 3: 12}
    # A new call's checks forget what an earlier call's converted.
    G = path()
    assert backend.can_run("single_source_dijkstra_path_length", (G, 0), {}) is True
    G[0][1]["weight"] = 10
    assert backend.can_run("degree_centrality", (G,), {}) is True
    assert backend.convert_from_nx(G, edge_attrs={"weight": 1}).graph.distances("0", tarvel.DIJKSTRA)["1"] == 10


@needs_dispatch
def test_with_networkx_caching_off_nothing_is_kept_on_the_graph(monkeypatch):
    monkeypatch.setattr(nx.config, "cache_converted_graphs", False)
    G = nx.path_graph(4)
    nx.set_edge_attributes(G, 2, "weight")
    expected = nx.closeness_centrality(G, distance="weight")
    assert nx.closeness_centrality(G, distance="weight", backend="tarvel") == expected
    assert not G.__networkx_cache__.get("tarvel")
    G[1][2]["weight"] = "heavy"  # networkx's own answer is now a TypeError
    with pytest.raises(NotImplementedError):
        nx.closeness_centrality(G, distance="weight", backend="tarvel")


def test_int_weights_beside_floats_whose_sums_leave_doubles_are_declined():
    from tarvel_networkx.dispatch import weight_ok

    big = 2**52
    G = nx.Graph()
    G.add_edge("s", "a", weight=big + 1)
    G.add_edge("a", "t", weight=big + 2)
    G.add_edge("s", "b", weight=big + 2)
    G.add_edge("b", "t", weight=big + 2)
    G.add_edge("t", "c", weight=float(big))
    for conversion in (convert, convert_plain):
        assert conversion(G, "weight").weights.kind is None
    assert "2**53" in weight_ok(G, "weight", negative=True, lengths=False)
    # Small ints beside floats stay answered, their sums exact in doubles.
    H = nx.Graph()
    H.add_edge(0, 1, weight=3)
    H.add_edge(1, 2, weight=0.5)
    for conversion in (convert, convert_plain):
        assert conversion(H, "weight").weights.kind == MIXED


def test_a_classifier_that_chooses_int_for_weights_no_int_holds_is_refused():
    for weight in (-2**63, 2**40, 2.5, float("nan")):
        G = nx.Graph()
        G.add_edge("a", "b", weight=weight)
        with pytest.raises(ValueError, match="no 32-bit integer"):
            tarvel.Graph._fromAdjacency(G._adj, "weight", 1, False, lambda *summary: int)
    G = nx.Graph()
    G.add_edge("a", "b", weight=-2**31)
    graph = tarvel.Graph._fromAdjacency(G._adj, "weight", 1, False, lambda *summary: int)[0]
    assert [e.weight for e in graph.edges()] == [-2**31, -2**31]
