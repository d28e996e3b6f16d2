"""shortestPath: the front end, the five searches, their tie orders and errors."""
import random
from decimal import Decimal
from fractions import Fraction

import networkx as nx
import pytest

import tarvel

METHODS = [tarvel.BFS, tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD]
zero = lambda u, v: 0.0  # noqa: E731


def never(u, v):
    raise AssertionError("heuristic called")


def test_equal_names_return_the_start_without_looking(make):
    g = make(True, "a")
    for method in METHODS + [tarvel.ShortestPathAlgo(42)]:
        assert g.shortestPath("a", "a", method, never) == ["a"]
        assert g.shortestPath("ghost", "ghost", method, never) == ["ghost"]
    assert not g.hasNode("ghost")


def test_equal_names_that_are_not_utf8_raise_the_decoding_error(make):
    g = make(True, [b"\xfe", "a"], [(b"\xfe", "a")])
    for method in METHODS:
        for name in (b"\xfe", bytearray(b"\xfe"), b"ok\xff"):  # a node, the same as bytearray, no node
            with pytest.raises(UnicodeDecodeError) as raised:
                g.shortestPath(name, name, method, None)
            assert (raised.value.encoding, raised.value.object) == ("utf-8", bytes(name))
        assert g.shortestPath(b"a", bytearray(b"a"), method, zero) == ["a"]
    with pytest.raises(UnicodeDecodeError):  # as for a path through the node
        g.shortestPath(b"\xfe", "a", tarvel.BFS, None)


def test_unknown_names_and_methods(make):
    g = make(True, "ab", [("a", "b")])
    with pytest.raises(RuntimeError, match=r"^42 is not a ShortestPathAlgo: use BFS, DIJKSTRA, A_STAR, UNIFORM_COST_SEARCH or BELLMAN_FORD$"):
        g.shortestPath("ghost", "b", tarvel.ShortestPathAlgo(42), None)
    for method in METHODS:
        with pytest.raises(IndexError, match="ghost"):
            g.shortestPath("a", "ghost", method, zero)
        with pytest.raises(IndexError, match="ghost"):
            g.shortestPath("ghost", "b", method, zero)
        with pytest.raises(IndexError, match="y"):  # the goal is looked up first
            tarvel.Graph(True).shortestPath("x", "y", method, zero)
    assert not g.hasNode("ghost")


def test_breadth_first_paths(make):
    g = make(False, "abx", [("a", "b"), ("b", "x")])
    assert g.shortestPath("a", "x", tarvel.BFS, None) == ["a", "b", "x"]
    assert g.shortestPath("x", "a", tarvel.BFS, None) == ["x", "b", "a"]
    d = make(True, "ab", [("a", "b")])
    assert d.shortestPath("b", "a", tarvel.BFS, None) == []
    assert make(False, "abxd", [("a", "b"), ("a", "x"), ("b", "d"), ("x", "d")]).shortestPath(
        "a", "d", tarvel.BFS, None) == ["a", "b", "d"]
    heavy = make(False, "abx", [("a", "x", 100), ("a", "b", 1), ("b", "x", 1)])
    assert heavy.shortestPath("a", "x", tarvel.BFS, None) == ["a", "x"]
    for method in (tarvel.DIJKSTRA, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
        assert heavy.shortestPath("a", "x", method, None) == ["a", "b", "x"]


def test_tie_orders_of_the_weighted_searches(make):
    g = make(False, "sabg", [("s", "a", 1), ("s", "b", 1), ("a", "g", 1), ("b", "g", 1)])
    assert g.shortestPath("s", "g", tarvel.DIJKSTRA, None) == ["s", "b", "g"]
    assert g.shortestPath("s", "g", tarvel.UNIFORM_COST_SEARCH, None) == ["s", "a", "g"]
    assert g.shortestPath("s", "g", tarvel.A_STAR, zero) == ["s", "b", "g"]
    assert g.shortestPath("s", "g", tarvel.BELLMAN_FORD, None) == ["s", "a", "g"]


def test_negative_edges_without_negative_cycle(make):
    g = make(True, "abx", [("a", "b", 5), ("b", "x", -2), ("a", "x", 4)])
    assert g.shortestPath("a", "x", tarvel.DIJKSTRA, None) == ["a", "b", "x"]
    assert g.shortestPath("a", "x", tarvel.A_STAR, zero) == ["a", "b", "x"]
    assert g.shortestPath("a", "x", tarvel.UNIFORM_COST_SEARCH, None) == ["a", "x"]
    assert g.shortestPath("a", "x", tarvel.BELLMAN_FORD, None) == ["a", "b", "x"]


@pytest.mark.parametrize("directed, edges, start, goal", [
    (True, [("a", "b", 1), ("b", "a", -2)], "a", "b"),
    (False, [("a", "b", -1)], "a", "b"),
    (True, [("a", "b", 1), ("b", "c", 1), ("c", "b", -3), ("c", "d", 1)], "a", "d"),
])
def test_reachable_negative_cycles_are_reported_by_every_weighted_search(make, directed, edges, start, goal):
    g = make(directed, "abcd", edges)
    for method in (tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.BELLMAN_FORD):
        with pytest.raises(RuntimeError, match="^Negative cycle detected$"):
            g.shortestPath(start, goal, method, zero)
    # Uniform-cost search stops when the goal leaves the heap: it reports the
    # cycle only when it has to run around it before reaching the goal.
    try:
        path = g.shortestPath(start, goal, tarvel.UNIFORM_COST_SEARCH, None)
        assert path == [start, goal]
    except RuntimeError as error:
        assert str(error) == "Negative cycle detected" and goal == "d"


def test_unreachable_negative_cycle_is_no_error(make):
    g = make(True, "abxy", [("x", "y", 1), ("y", "x", -3), ("a", "b", 1)])
    for method in METHODS:
        assert g.shortestPath("a", "b", method, zero) == ["a", "b"]
        assert g.shortestPath("b", "a", method, zero) == []


def test_heuristic_is_called_once_per_successful_relaxation(make):
    g = make(False, "sabg", [("s", "a", 1), ("s", "b", 1), ("a", "g", 1), ("b", "g", 1)])
    calls = []
    assert g.shortestPath("s", "g", tarvel.A_STAR, lambda u, v: calls.append((u, v)) or 0.0) == ["s", "b", "g"]
    assert calls == [("s", "a"), ("s", "b"), ("b", "g")]
    for method in (tarvel.BFS, tarvel.DIJKSTRA, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
        assert g.shortestPath("s", "g", method, never)


def test_heuristic_failures(make):
    g = make(True, "abc", [("a", "b", 1)])

    def boom(u, v):
        raise ValueError("boom")

    with pytest.raises(ValueError, match="boom"):
        g.shortestPath("a", "b", tarvel.A_STAR, boom)
    with pytest.raises(RuntimeError):
        g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: "far")
    with pytest.raises(RuntimeError):
        g.shortestPath("a", "b", tarvel.A_STAR, None)
    assert g.shortestPath("c", "a", tarvel.A_STAR, None) == []
    # A result that is no number (complex included, on every version) is refused;
    # what a result's own conversion raises passes through as it is.
    for result in ("far", None, object(), 1j, [1.0]):
        with pytest.raises(RuntimeError, match="^the heuristic returned a %s, which is not a number$"
                           % type(result).__name__):
            g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: result)

    def raising(error, method):
        def fail(self):
            raise error
        return type("Raises" + method, (), {method: fail})()

    for error in (KeyboardInterrupt(), ZeroDivisionError("mine"), MemoryError()):
        for method in ("__float__", "__index__"):
            with pytest.raises(type(error)) as raised:
                g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: raising(error, method))
            assert raised.value is error
    for result in (Fraction(1, 3), Decimal("0.5"), True, type("Index", (), {"__index__": lambda self: 2})()):
        assert g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: result) == ["a", "b"]
    with pytest.raises(OverflowError, match="too large"):  # int's own __float__
        g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: 10 ** 400)
    with pytest.raises(ValueError, match="^the heuristic returned NaN for a and b$"):
        g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: float("nan"))
    assert g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: float("inf")) == ["a", "b"]


def test_heuristic_that_changes_the_graph_is_stopped(make):
    g = make(True, "ab", [("a", "b", 1)] * 3)
    counter = iter(range(1000))

    def grow(u, v):
        g.addNode("n%d" % next(counter))
        g.addEdge("a", "b", 1)
        return 0.0

    with pytest.raises(RuntimeError, match="changed"):
        g.shortestPath("a", "b", tarvel.A_STAR, grow)


def test_consistent_heuristic_gives_a_shortest_path():
    rng = random.Random(5)
    g, ref = tarvel.Graph(False), nx.Graph()
    pos = {}
    for i in range(60):
        name = str(i)
        pos[name] = (rng.randint(0, 50), rng.randint(0, 50))
        g.addNode(name)
    for _ in range(200):
        a, b = rng.sample(sorted(pos), 2)
        w = abs(pos[a][0] - pos[b][0]) + abs(pos[a][1] - pos[b][1]) + rng.randint(0, 5)
        g.addEdge(a, b, w)
        if not ref.has_edge(a, b) or ref[a][b]["weight"] > w:
            ref.add_edge(a, b, weight=w)
    manhattan = lambda u, v: float(abs(pos[v][0] - pos["0"][0]) + abs(pos[v][1] - pos["0"][1]))  # noqa: E731
    for goal in map(str, range(1, 60)):
        path = g.shortestPath(goal, "0", tarvel.A_STAR, manhattan)
        expected = nx.has_path(ref, goal, "0") and nx.dijkstra_path_length(ref, goal, "0")
        assert (path and nx.path_weight(ref, path, "weight")) == expected


def _follows_edges(directed, edge_set, path):
    return all((a, b) in edge_set or (not directed and (b, a) in edge_set) for a, b in zip(path, path[1:]))


def test_searches_agree_with_each_other_and_with_reference_library():
    rng = random.Random(99)
    for round_ in range(250):
        directed = round_ % 2 == 0
        n = rng.randint(2, 14)
        names = [str(i) for i in range(n)]
        rng.shuffle(names)
        g = tarvel.Graph(directed)
        ref = nx.DiGraph() if directed else nx.Graph()
        ref.add_nodes_from(names)
        for name in names:
            g.addNode(name)
        for _ in range(rng.randint(0, 3 * n)):
            a, b = rng.choice(names), rng.choice(names)
            w = rng.randint(0, 9)
            g.addEdge(a, b, w)
            if a != b and (not ref.has_edge(a, b) or ref[a][b]["weight"] > w):
                ref.add_edge(a, b, weight=w)
        edge_set = set(ref.edges())
        start, goal = rng.sample(names, 2)
        reachable = nx.has_path(ref, start, goal)
        bfs = g.shortestPath(start, goal, tarvel.BFS, None)
        assert bool(bfs) == reachable
        if reachable:
            assert len(bfs) - 1 == nx.shortest_path_length(ref, start, goal)
            assert bfs[0] == start and bfs[-1] == goal and _follows_edges(directed, edge_set, bfs)
        expected = reachable and nx.dijkstra_path_length(ref, start, goal)
        for method in (tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
            path = g.shortestPath(start, goal, method, zero)
            assert bool(path) == reachable
            if reachable:
                assert _follows_edges(directed, edge_set, path)
                assert nx.path_weight(ref, path, "weight") == expected
        assert g.shortestPath(start, goal, tarvel.A_STAR, zero) == g.shortestPath(start, goal, tarvel.DIJKSTRA, None)


def test_negative_weights_agree_with_bellman_ford_reference():
    rng = random.Random(7)
    for _ in range(150):
        n = rng.randint(2, 10)
        names = [str(i) for i in range(n)]
        g, ref = tarvel.Graph(True), nx.DiGraph()
        for name in names:
            g.addNode(name)
            ref.add_node(name)
        for _ in range(rng.randint(0, 2 * n)):
            a, b = rng.sample(names, 2)
            w = rng.randint(-4, 9)
            g.addEdge(a, b, w)
            if not ref.has_edge(a, b) or ref[a][b]["weight"] > w:
                ref.add_edge(a, b, weight=w)
        start, goal = rng.sample(names, 2)
        try:
            expected = nx.bellman_ford_path_length(ref, start, goal)
        except nx.NetworkXUnbounded:
            expected = "cycle"
        except nx.NetworkXNoPath:
            expected = None
        for method in (tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.BELLMAN_FORD):
            try:
                path = g.shortestPath(start, goal, method, zero)
                got = nx.path_weight(ref, path, "weight") if path else None
            except RuntimeError as error:
                assert str(error) == "Negative cycle detected"
                got = "cycle"
            if expected == "cycle" and got != "cycle":
                # The cycle may lie beyond the goal's reach from the start
                # only in the reference's view: both must then agree on the path.
                assert not nx.negative_edge_cycle(ref.subgraph(nx.descendants(ref, start) | {start}))
            else:
                assert got == expected


def test_distances_are_exact_beyond_double_precision():
    """A chain reaching a node at distance exactly 2**53, then two routes to
    the goal: 1,000 edges of weight 1, or weights 2 and 0. Summed in doubles
    the long route looks no longer than 2**53; exactly, the short one wins."""
    n = 4_194_304  # edges of weight 2**31 - 1, then two of 2**21
    g = tarvel.Graph(True)
    names = [str(i) for i in range(n + 3)] + ["x%d" % k for k in range(999)] + ["y", "goal"]
    for name in names:
        g.addNode(name)
    for i in range(n):
        g.addEdge(names[i], names[i + 1], 2 ** 31 - 1)
    g.addEdge(names[n], names[n + 1], 2 ** 21)
    g.addEdge(names[n + 1], names[n + 2], 2 ** 21)
    hub = names[n + 2]
    route_x = [hub] + ["x%d" % k for k in range(999)] + ["goal"]
    for a, b in zip(route_x, route_x[1:]):
        g.addEdge(a, b, 1)
    g.addEdge(hub, "y", 2)
    g.addEdge("y", "goal", 0)
    for method in (tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
        path = g.shortestPath("0", "goal", method, lambda a, b: 0.0)
        assert path[-3:] == [hub, "y", "goal"] and len(path) == n + 5, method


def test_consistent_a_star_stops_at_the_goal_with_the_same_path(make):
    rng = random.Random(17)
    for side in range(2, 14):
        names = ["%d,%d" % (r, c) for r in range(side) for c in range(side)]
        for directed in (False, True):
            g = tarvel.Graph(directed)
            g.addNodes(names)
            edges = []  # a grid, each step of weight 1 or 2 (ties), some diagonal shortcuts of weight 2
            for r in range(side):
                for c in range(side):
                    for dr, dc in ((0, 1), (1, 0), (1, 1)):
                        if r + dr < side and c + dc < side and (dr + dc == 1 or rng.random() < 0.2):
                            a, b = "%d,%d" % (r, c), "%d,%d" % (r + dr, c + dc)
                            edges.append((a, b, rng.randint(dr + dc, 2)) if rng.random() < 0.5 or directed else (b, a, 2))
            g.addEdges(edges)
            for _ in range(6):
                goal = rng.choice(names)
                gr, gc = map(int, goal.split(","))
                calls = {False: [], True: []}

                def manhattan(u, v, record=None):
                    record.append((u, v))
                    r, c = map(int, v.split(","))
                    return max(abs(r - gr), abs(c - gc))  # diagonal steps cost 2, straight ones at least 1

                start = rng.choice(names)
                full = g.shortestPath(start, goal, tarvel.A_STAR, lambda u, v: manhattan(u, v, calls[False]))
                early = g.shortestPath(start, goal, tarvel.A_STAR, lambda u, v: manhattan(u, v, calls[True]),
                                       consistent=True)
                assert early == full
                firsts, seen = [], set()  # each node's first call, in the full search's order
                for call in calls[False]:
                    if call[1] not in seen:
                        firsts.append(call)
                        seen.add(call[1])
                assert calls[True] == firsts[:len(calls[True])]
    g = make(True, "ab", [("a", "b", 1)])
    with pytest.raises(TypeError, match=r"^shortestPath\(\): consistent must be a bool, not int$"):
        g.shortestPath("a", "b", tarvel.A_STAR, zero, consistent=1)
    with pytest.raises(TypeError, match=r"^shortestPath\(\) takes at most 4 arguments \(5 given\)$"):
        g.shortestPath("a", "b", tarvel.A_STAR, zero, True)
    assert g.shortestPath("a", "b", heuristic=None, consistent=True, method=tarvel.BFS) == ["a", "b"]


def test_directed_breadth_first_search_from_both_ends_keeps_the_path():
    # The first searches of a changed graph go forward; once they have
    # spent about what the incoming lists cost, the rest go from both ends,
    # for the same paths.
    rng = random.Random(23)
    for n in (30, 200, 1500):
        names = [str(i) for i in range(n)]
        edges = [(rng.choice(names), rng.choice(names), 1) for _ in range(3 * n)]
        g = tarvel.Graph(True)
        g.addNodes(names)
        g.addEdges(edges)
        reference = nx.DiGraph()
        reference.add_nodes_from(names)
        reference.add_edges_from((a, b) for a, b, _ in edges)
        pairs = [(rng.choice(names), rng.choice(names)) for _ in range(300)]
        first = [g.shortestPath(s, t, tarvel.BFS, None) for s, t in pairs]
        assert [g.shortestPath(s, t, tarvel.BFS, None) for s, t in pairs] == first
        for (s, t), path in zip(pairs, first):
            if nx.has_path(reference, s, t):
                assert len(path) == nx.shortest_path_length(reference, s, t) + 1
                assert path[0] == s and path[-1] == t and all(g.hasEdge(a, b) for a, b in zip(path, path[1:]))
            else:
                assert path == []
        g.addEdge(names[0], names[1], 1)  # a change: forward searches again at first
        assert [g.shortestPath(s, t, tarvel.BFS, None) for s, t in pairs[:50]] == [
            g.shortestPath(s, t, tarvel.BFS, None) for s, t in pairs[:50]]
