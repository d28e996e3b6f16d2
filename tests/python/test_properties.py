"""Random sequences of calls against a plain model of the graph.

Invariants: nothing crashes; every failure is the documented exception with
its message; a failed call leaves the graph exactly as it was; answers agree
with the model; a save/load round trip gives the same file.
"""
import os
import tempfile
from collections import deque

import pytest
from hypothesis import HealthCheck, settings
from hypothesis import strategies as st
from hypothesis.stateful import RuleBasedStateMachine, initialize, invariant, precondition, rule

import tarvel

NAMES = ["a", "b", "c", "d", "", "é", 'q"', "e\n"]
BAD = b"\xff\xfe"  # a name that is not UTF-8
WEIGHTS = st.one_of(st.integers(-5, 9), st.sampled_from([2 ** 31 - 1, -2 ** 31]))
SHORTEST = [tarvel.BFS, tarvel.DIJKSTRA, tarvel.A_STAR, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD]
MST = [tarvel.KRUSKAL, tarvel.PRIM, tarvel.BORUVKA]


class GraphCalls(RuleBasedStateMachine):
    @initialize(directed=st.booleans())
    def start(self, directed):
        self.g = tarvel.Graph(directed)
        self.directed = directed
        self.nodes = []            # names in insertion order
        self.adjacency = {}        # name -> neighbor names, one per entry
        self.folder = tempfile.mkdtemp()
        self.path = os.path.join(self.folder, "g.json")

    # ---- helpers ------------------------------------------------------------
    def snapshot(self):
        """What a failed call must leave unchanged."""
        known = tuple(self.g.hasNode(n) for n in NAMES + [BAD, "zz"])
        if BAD in self.nodes:
            return known, None  # such a graph cannot be saved
        target = os.path.join(self.folder, "snapshot.json")
        self.g.save(target)
        with open(target, "rb") as f:
            return known, f.read()

    def failing(self, call, kind, message=None):
        before = self.snapshot()
        with pytest.raises(kind) as raised:
            call()
        if message is not None:
            assert message in str(raised.value)
        assert self.snapshot() == before

    def reachable(self, start):
        seen, queue = {start: 0}, deque([start])
        while queue:
            u = queue.popleft()
            for v in self.adjacency[u]:
                if v not in seen:
                    seen[v] = seen[u] + 1
                    queue.append(v)
        return seen

    # ---- building ---------------------------------------------------------------
    @rule(name=st.sampled_from(NAMES + [BAD]))
    def add_node(self, name):
        if name in self.nodes:
            self.failing(lambda: self.g.addNode(name), RuntimeError, "duplicate nodes are not allowed")
        else:
            self.g.addNode(name)
            self.nodes.append(name)
            self.adjacency[name] = []

    @rule(src=st.sampled_from(NAMES + ["zz"]), dest=st.sampled_from(NAMES + ["zz"]), weight=WEIGHTS)
    def add_edge(self, src, dest, weight):
        if src not in self.nodes or dest not in self.nodes:
            missing = dest if src in self.nodes else src
            self.failing(lambda: self.g.addEdge(src, dest, weight), IndexError, "unknown node: " + missing)
            return
        self.g.addEdge(src, dest, weight)
        self.adjacency[src].append(dest)
        if not self.directed:
            self.adjacency[dest].append(src)

    # ---- asking -----------------------------------------------------------------
    @precondition(lambda self: BAD not in self.nodes)
    @rule(start=st.sampled_from(NAMES + ["zz"]), goal=st.sampled_from(NAMES + ["zz"]),
          method=st.sampled_from(SHORTEST))
    def shortest_path(self, start, goal, method):
        h = lambda u, v: 0.0  # noqa: E731
        if start == goal:
            assert self.g.shortestPath(start, goal, method, h) == [start]
        elif goal not in self.nodes or start not in self.nodes:
            self.failing(lambda: self.g.shortestPath(start, goal, method, h), IndexError)
        else:
            try:
                path = self.g.shortestPath(start, goal, method, h)
            except RuntimeError as error:
                assert str(error) == "Negative cycle detected"
                return
            distance = self.reachable(start).get(goal)
            assert bool(path) == (distance is not None)
            if path:
                assert path[0] == start and path[-1] == goal
                assert all(b in self.adjacency[a] for a, b in zip(path, path[1:]))
                if method == tarvel.BFS:
                    assert len(path) - 1 == distance

    @precondition(lambda self: BAD not in self.nodes)
    @rule(method=st.sampled_from(MST))
    def spanning_tree(self, method):
        tree = self.g.minimumSpanningTree(method)
        assert all(e.getDestination() in self.adjacency[e.getSource()] for e in tree)

    @precondition(lambda self: BAD not in self.nodes)
    @rule()
    def structure(self):
        components = self.g.connectedComponents()
        assert sorted(n for c in components for n in c) == sorted(self.nodes)
        for c in components:
            assert set(c) <= set(self.reachable(c[0]))
        assert list(self.g.degreeCentrality().values()) == [float(len(self.adjacency[n])) for n in self.nodes]
        colors = self.g.nodeColoring()
        if not self.directed:
            assert all(colors[u] != colors[v] for u in self.nodes for v in self.adjacency[u] if u != v)
        self.g.edgeColoring()
        self.g.hasCycle()
        self.g.isBipartite()
        for scores in (self.g.closenessCentrality(), self.g.betweennessCentrality(), self.g.katzCentrality()):
            assert list(scores) == self.nodes
        if self.directed:
            for method in (tarvel.TARJAN, tarvel.KOSARAJU):
                sccs = self.g.stronglyConnectedComponents(method)
                assert sorted(n for c in sccs for n in c) == sorted(self.nodes)
        else:
            self.failing(self.g.stronglyConnectedComponents, RuntimeError, "implemented only for directed graph")

    @precondition(lambda self: BAD not in self.nodes)
    @rule(start=st.sampled_from(NAMES + ["zz"]))
    def depth_first(self, start):
        if start not in self.nodes:
            self.failing(lambda: self.g.iterativeDFS(start), IndexError, start)
        else:
            assert set(self.g.iterativeDFS(start)) == set(self.reachable(start))

    @rule()
    def bytes_name_cannot_be_returned_or_saved(self):
        if BAD not in self.nodes:
            return
        with pytest.raises(UnicodeDecodeError):
            self.g.connectedComponents()
        before = open(self.path, "rb").read() if os.path.exists(self.path) else None
        self.failing(lambda: self.g.save(self.path), RuntimeError, "invalid UTF-8 byte")
        after = open(self.path, "rb").read() if os.path.exists(self.path) else None
        assert before == after

    @precondition(lambda self: BAD not in self.nodes)
    @rule()
    def round_trip(self):
        self.g.save(self.path)
        first = open(self.path, "rb").read()
        loaded = tarvel.Graph.load(self.path)
        loaded.save(self.path)
        assert open(self.path, "rb").read() == first
        if self.directed:  # directed graphs come back identical
            assert loaded.degreeCentrality() == self.g.degreeCentrality()
            assert loaded.edgeColoring() == self.g.edgeColoring()

    @invariant()
    def nodes_are_known(self):
        if hasattr(self, "g"):
            assert all(self.g.hasNode(n) for n in self.nodes)
            assert not self.g.hasNode("zz")


GraphCalls.TestCase.settings = settings(
    max_examples=150, stateful_step_count=30, deadline=None,
    suppress_health_check=[HealthCheck.too_slow, HealthCheck.filter_too_much])
test_random_call_sequences = GraphCalls.TestCase
