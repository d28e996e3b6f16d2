"""The Python objects: Edge records, objects whose __init__ never ran, the
building calls' argument handling and bulk forms, and error messages."""
import pickle
import random

import pytest

import tarvel


# ---- objects that were never initialised -------------------------------------
GRAPH_CALLS = {
    "addNode": ("a",), "hasNode": ("a",), "addEdge": ("a", "b"), "addNodes": (["a"],), "addEdges": ([],),
    "hasCycle": (), "nodeColoring": (), "edgeColoring": (), "isBipartite": (), "connectedComponents": (),
    "weaklyConnectedComponents": (),
    "katzCentrality": (), "degreeCentrality": (), "closenessCentrality": (), "betweennessCentrality": (),
    "minimumSpanningTree": (), "iterativeDFS": ("a",), "shortestPath": ("a", "b", tarvel.BFS, None),
    "stronglyConnectedComponents": (), "save": ("never-written.json",), "nodes": (), "edges": (),
    "neighbors": ("a",), "nodeCount": (), "edgeCount": (), "pathWeight": (["a"],), "toNetworkx": (),
    "distances": ("a",), "shortestPaths": ("a",), "predecessors": ("a",), "hasEdge": ("a", "b"),
    "reachSums": (), "incomingKatzCentrality": (),
    "topologicalOrder": (), "topologicalGenerations": (), "descendants": ("a",), "ancestors": ("a",),
    "edgeDepthFirst": (), "edgeBreadthFirst": (), "findCycle": (),
    "triangles": (), "clustering": (), "averageClustering": (), "transitivity": (),
    "pageRank": (), "harmonicCentrality": (),
    "distancesFromEach": (["a"],), "eccentricity": (), "diameter": (), "radius": (), "center": (), "periphery": (),
    "twoEndedBfsPath": ("a", "b"), "nodesWithin": ("a", 1), "multiSourceDistances": (["a"],),
    "multiSourcePaths": (["a"],),
    "breadthFirstEdges": (["a"],), "breadthFirstLayers": (["a"],), "depthFirstLabeledEdges": (),
}


def test_methods_of_uninitialised_objects_raise_type_error():
    blank = tarvel.Graph.__new__(tarvel.Graph)
    assert set(GRAPH_CALLS) | {"load", "fromNetworkx"} == {k for k in vars(tarvel.Graph) if not k.startswith("_")}
    for name, args in GRAPH_CALLS.items():
        with pytest.raises(TypeError, match="not initialized"):
            getattr(blank, name)(*args)
    with pytest.raises(TypeError, match="not initialized"):
        "a" in blank
    edge = tarvel.Edge.__new__(tarvel.Edge)
    for getter in (edge.getSource, edge.getDestination, edge.getWeight):
        with pytest.raises(TypeError, match="not initialized"):
            getter()
    tarvel.Graph.__init__(blank, True)  # a late __init__ still works
    blank.addNode("a")
    assert blank.iterativeDFS("a") == ["a"]


def test_second_init_is_refused_and_changes_nothing():
    g = tarvel.Graph(True)
    g.addNode("a")
    with pytest.raises(TypeError, match="already exists"):
        g.__init__(False)
    assert g.hasNode("a") and g.stronglyConnectedComponents() == [["a"]]
    e = tarvel.Edge("x", "y", 1)
    with pytest.raises(TypeError, match="already exists"):
        e.__init__("p", "q", 2)
    assert (e.getSource(), e.getWeight()) == ("x", 1)


# ---- Edge ----------------------------------------------------------------------
def test_edge_records():
    e = tarvel.Edge(b"caf\xc3\xa9", bytearray(b"b"), True)
    assert (e.getSource(), e.getDestination(), e.getWeight()) == ("café", "b", 1)
    assert repr(tarvel.Edge("a", "b", -3)) == "Edge('a', 'b', -3)"
    assert e == tarvel.Edge("café", "b", 1) and e != tarvel.Edge("café", "b", 2)
    assert pickle.loads(pickle.dumps(e)) == e
    bad = tarvel.Edge(b"\xff", "a", 1)  # stored as given, refused when read
    with pytest.raises(UnicodeDecodeError):
        bad.getSource()
    assert bad.getDestination() == "a"


def test_tree_edges_carry_undecodable_names_until_read(make):
    g = make(False, [b"\xff", "a"], [(b"\xff", "a", 4)])
    tree = g.minimumSpanningTree()
    assert len(tree) == 1 and tree[0].getWeight() == 4
    with pytest.raises(UnicodeDecodeError):
        tree[0].getSource()
    assert tree[0].getDestination() == "a"


@pytest.mark.parametrize("args, kwargs, kind, message", [
    ((1, 2, 3), {}, TypeError, "Edge(): source must be a str, bytes or bytearray, not int"),
    (("a", "b"), {}, TypeError, "Edge() takes 3 arguments, source, destination and weight (2 given)"),
    (("a", "b", 2 ** 31), {}, OverflowError,
     "weight 2147483648 is outside the range of integer weights, -2147483648 to 2147483647"),
    (("a", "b", "1"), {}, TypeError, "Edge(): weight must be an int or a float, not str"),
    (("a", "b", float("nan")), {}, ValueError, "weight nan is not finite: edge weights must be finite"),
    (("a", "b"), {"w": 3}, TypeError, "Edge() takes its source, destination and weight by position only"),
    (("\ud800", "a", 1), {}, TypeError, "Edge(): source '\\ud800' cannot be encoded as UTF-8"),
])
def test_edge_constructor_refusals(args, kwargs, kind, message):
    with pytest.raises(kind) as raised:
        tarvel.Edge(*args, **kwargs)
    assert str(raised.value) == message


# ---- building calls ------------------------------------------------------------
def test_building_calls_refuse_with_what_to_do():
    g = tarvel.Graph(True)
    g.addNode("a")
    cases = [
        (lambda: g.addNode(5), TypeError, "addNode(): name must be a str, bytes or bytearray, not int"),
        (lambda: g.addNode(name="x"), TypeError,
         "addNode() got some positional-only arguments passed as keyword arguments: 'name'"),
        (lambda: g.addEdge("a"), TypeError, "addEdge() missing required argument 'dest'"),
        (lambda: g.addEdge("a", "a", 2.5), TypeError,
         "weight 2.5 is not an integer: this graph holds integer weights (Graph(..., weightType=float) holds "
         "fractional ones)"),
        (lambda: g.addEdge("a", "a", weight=2 ** 31), OverflowError,
         "weight 2147483648 is outside the range of integer weights, -2147483648 to 2147483647"),
        (lambda: g.addEdge(src="a", dest="a", wait=3), TypeError, "addEdge() got an unexpected keyword argument 'wait'"),
        (lambda: g.addEdge("a", "a", src="a"), TypeError, "addEdge() got multiple values for argument 'src'"),
        (lambda: g.addEdge("a", "a", 1, 2), TypeError, "addEdge() takes at most 3 arguments (4 given)"),
    ]
    for call, kind, expected in cases:
        with pytest.raises(kind) as raised:
            call()
        assert str(raised.value) == expected
    assert g.edgeCount() == 0
    g.addEdge(dest=bytearray(b"a"), src=b"a", weight=True)
    assert g.degreeCentrality() == {"a": 1.0}


def test_bulk_building_is_all_or_nothing():
    g = tarvel.Graph(False)
    g.addNodes(["a", b"b"])
    for bad, kind, message in [
        (["c", "a"], RuntimeError, "item 1: duplicate nodes are not allowed"),
        (["c", "d", "c"], RuntimeError, "item 2: duplicate nodes are not allowed"),
        (iter(["c", 7]), TypeError, "item 1: addNodes(): name must be a str, bytes or bytearray, not int"),
    ]:
        with pytest.raises(kind) as raised:
            g.addNodes(bad)
        assert str(raised.value).startswith(message)
    assert not g.hasNode("c") and not g.hasNode("d")
    for bad, kind, message in [
        ([("a", "b"), ("a", "zz", 2)], IndexError, "item 1: unknown node: zz"),
        ([("a", "b", 1), ("a", "b", 2.5)], TypeError, "item 1: weight 2.5 is not an integer"),
        ([("a", "b"), "ab"], TypeError, "item 1: an edge is (src, dest) or (src, dest, weight)"),
        ([("a",)], TypeError, "item 0: an edge is"),
    ]:
        with pytest.raises(kind) as raised:
            g.addEdges(bad)
        assert str(raised.value).startswith(message)
    assert g.degreeCentrality() == {"a": 0.0, "b": 0.0}
    g.addEdges([("a", "b"), ["b", "a", -4], ("a", "a", 2 ** 31 - 1)])
    assert g.degreeCentrality() == {"a": 4.0, "b": 2.0}


def test_bulk_and_single_calls_build_the_same_graph(tmp_path):
    rng = random.Random(12)
    for round_ in range(60):
        directed = round_ % 2 == 0
        names = [str(i) for i in range(rng.randint(1, 15))]
        rng.shuffle(names)
        edges = [(rng.choice(names), rng.choice(names), rng.randint(-9, 9)) for _ in range(rng.randint(0, 40))]
        one, bulk = tarvel.Graph(directed), tarvel.Graph(directed)
        for name in names:
            one.addNode(name)
        for edge in edges:
            one.addEdge(*edge)
        half = len(edges) // 2
        bulk.addNodes(names)
        bulk.addEdges(edges[:half])
        bulk.addEdges(iter([e[:2] + (e[2],) for e in edges[half:]]))
        for g, path in ((one, tmp_path / "one.json"), (bulk, tmp_path / "bulk.json")):
            g.save(str(path))
        assert (tmp_path / "one.json").read_bytes() == (tmp_path / "bulk.json").read_bytes()
        for method in ("edgeColoring", "katzCentrality", "betweennessCentrality", "nodeColoring"):
            assert getattr(one, method)() == getattr(bulk, method)()
        assert one.iterativeDFS(names[0]) == bulk.iterativeDFS(names[0])


# ---- messages ------------------------------------------------------------------
def test_messages_arrive_whole(make, tmp_path):
    g = make(True, ["a"])
    for name, shown in [(b"\xffz", "unknown node: \\xffz"), ("a\x00b", "unknown node: a\\x00b")]:
        with pytest.raises(IndexError) as raised:
            g.iterativeDFS(name)
        assert str(raised.value) == shown
    path = tmp_path / "bad.json"
    path.write_bytes(b'{"directed": true, "nodes": ["\xff"]}')
    with pytest.raises(RuntimeError) as raised:
        tarvel.Graph.load(str(path))
    assert str(raised.value).startswith("[json.exception.parse_error.101]") and "\\xff" in str(raised.value)


# ---- values, copies and pickles ----------------------------------------------
def test_edges_are_values():
    a = tarvel.Edge("a", "b", 2)
    for same in (tarvel.Edge("a", "b", 2.0), tarvel.Edge(b"a", bytearray(b"b"), 2), tarvel.Edge("a", "b", True + 1)):
        assert a == same and hash(a) == hash(same) and not a != same
    for other in (tarvel.Edge("b", "a", 2), tarvel.Edge("a", "b", 2.5), tarvel.Edge("a", "bb", 2)):
        assert a != other
    assert a != ("a", "b", 2) and len({a, tarvel.Edge("a", "b", 2.0), tarvel.Edge("a", "b", -0.0),
                                       tarvel.Edge("a", "b", 0)}) == 2
    raw = tarvel.Edge(b"\xff", "b", 1)  # compared and hashed by its bytes, never decoded
    assert raw == tarvel.Edge(b"\xff", "b", 1) and raw != tarvel.Edge("\xff", "b", 1) and hash(raw) == hash(raw)
    assert pickle.loads(pickle.dumps(raw)) == raw and repr(pickle.loads(pickle.dumps(raw))) == repr(raw)
    source, destination, weight = tarvel.Edge("x", "y", 1.5)
    assert (source, destination, weight) == ("x", "y", 1.5) and repr(tarvel.Edge("x", "y", 1.5)) == "Edge('x', 'y', 1.5)"
    e = tarvel.Edge("x", "y", 7)
    assert (e.source, e.destination, e.weight) == ("x", "y", 7) and type(e.weight) is int
    with pytest.raises(AttributeError):
        e.source = "z"


def test_edges_compare_names_by_value_not_by_identity():
    # Names made at run time are objects of their own (literal one-letter
    # strings are shared), so each field is compared by what it holds.
    def fresh(name):
        made = "".join(list(name)) if isinstance(name, str) else bytes(bytearray(name))
        assert made == name and (made is not name or len(name) < 2)
        return made

    def built(source, destination, weight):
        return tarvel.Edge(fresh(source), fresh(destination), weight)

    for source, destination in (("ab", "cd"), ("node", "node"), ("x" * 40, "\u00fc\u00e9"), (b"\xffz", b"bytes")):
        weight = float("".join(["2", ".", "5"]))
        edge = tarvel.Edge(source, destination, weight)
        twin = built(source, destination, weight)
        assert edge == twin and not edge != twin and hash(edge) == hash(twin) and len({edge, twin}) == 1
        decoded = tarvel.Edge(*(name.encode().decode() if isinstance(name, str) else name
                                for name in (source, destination)), int(weight * 2) / 2)
        assert edge == decoded and hash(edge) == hash(decoded)
        # One field changed at a time, the others built afresh.
        for other in (built(source + (b"!" if isinstance(source, bytes) else "!"), destination, weight),
                      built(source, destination + (b"!" if isinstance(destination, bytes) else "!"), weight),
                      built(source, destination, weight + 1)):
            assert edge != other and not edge == other
    g = tarvel.Graph(True)
    g.addNodes([fresh("left"), fresh("right")])
    g.addEdge("".join(["le", "ft"]), "".join(["ri", "ght"]), 3)
    assert g.edges() == [built("left", "right", 3)] and g.edges() != [built("left", "righ", 3)]


def test_copies_and_pickles_are_equal_and_independent(tmp_path):
    import copy
    rng = random.Random(6)
    for directed in (True, False):
        for weight_type in (int, float):
            g = tarvel.Graph(directed, weightType=weight_type)
            names = ["n%d" % i for i in range(30)] + [b"caf\xc3\xa9", "\u00fc", ""]
            g.addNodes(names)
            g.addEdges([(rng.choice(names), rng.choice(names), weight_type(rng.randint(-5, 5))) for _ in range(120)])
            copies = [copy.copy(g), copy.deepcopy(g)] + [pickle.loads(pickle.dumps(g, protocol))
                                                          for protocol in range(pickle.HIGHEST_PROTOCOL + 1)]
            for other in copies:
                assert type(other) is tarvel.Graph and repr(other) == repr(g)
                assert other.edges() == g.edges() and other.degreeCentrality() == g.degreeCentrality()
                for path, graph in ((tmp_path / "a.json", g), (tmp_path / "b.json", other)):
                    graph.save(path)
                assert (tmp_path / "a.json").read_bytes() == (tmp_path / "b.json").read_bytes()
                other.addNode("only in the copy")
                assert "only in the copy" not in g
    assert len(pickle.dumps(g)) < 4000  # compact: indices and weights, each name once


def test_pickled_forms_it_does_not_know_are_refused():
    g = tarvel.Graph(False)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 3)
    cls, args, state = g.__reduce__()
    blank = cls(*args)
    newer = state[:12] + (2).to_bytes(4, "little") + state[16:]
    with pytest.raises(ValueError, match="pickled in format 2, which this version of tarvel cannot read"):
        blank.__setstate__(newer)
    for damaged in (state[:-1], state + b"\0", state[:40], b"not a graph"):
        with pytest.raises(ValueError):
            blank.__setstate__(damaged)
    blank.__setstate__(state)
    assert blank.edges() == g.edges()
    with pytest.raises(ValueError, match="fills a new empty graph only"):
        blank.__setstate__(state)
