"""Depth-first order, components, cycles, colorings, strongly connected components."""
import random

import networkx as nx
import pytest

import tarvel


def test_depth_first_order_is_the_stack_order(make):
    g = make(False, "abcd", [("a", "b"), ("b", "c"), ("a", "d")])
    assert g.iterativeDFS("a") == ["a", "d", "b", "c"]
    assert make(False, "abc", [("a", "b"), ("a", "c")]).iterativeDFS("a") == ["a", "c", "b"]
    d = make(True, "ab", [("a", "b"), ("b", "a")])
    assert d.iterativeDFS("b") == ["b", "a"]
    assert make(True, "ab", [("a", "b")]).iterativeDFS("b") == ["b"]


def weak_reference(names, edges):
    """The weak components by the documented rule: a breadth-first search from each unplaced node in
    node order, a node's neighbors being its out-edges, then the sources of its in-edges, each in the
    order the edges were added."""
    around = {n: [] for n in names}
    into = {n: [] for n in names}
    for a, b in edges:
        around[a].append(b)
        into[b].append(a)
    placed, groups = set(), []
    for start in names:
        if start in placed:
            continue
        placed.add(start)
        group = [start]
        for node in group:
            for other in around[node] + into[node]:
                if other not in placed:
                    placed.add(other)
                    group.append(other)
        groups.append(group)
    return groups


def test_weak_components_follow_edges_both_ways_in_the_order_of_connected_components(make):
    g = make(True, "abcde", [("b", "a"), ("c", "b"), ("a", "d"), ("e", "a")])
    assert g.weaklyConnectedComponents() == [["a", "d", "b", "e", "c"]]
    assert g.connectedComponents() == [["a", "d"], ["b"], ["c"], ["e"]]
    assert make(True, "", []).weaklyConnectedComponents() == []
    assert make(True, "abc", [("c", "a")]).weaklyConnectedComponents() == [["a", "c"], ["b"]]
    rng = random.Random(31)
    for _ in range(150):
        names = ["n%d" % i for i in range(rng.randrange(1, 14))]
        edges = [(rng.choice(names), rng.choice(names)) for _ in range(rng.randrange(0, 2 * len(names)))]
        directed, undirected = make(True, names, edges), make(False, names, edges)
        weak = directed.weaklyConnectedComponents()
        assert weak == weak_reference(names, edges), edges
        # The same groups as networkx finds, and on an undirected graph connectedComponents' own.
        reference = nx.MultiDiGraph()
        reference.add_nodes_from(names)
        reference.add_edges_from(edges)
        assert sorted(map(sorted, weak)) == sorted(map(sorted, nx.weakly_connected_components(reference)))
        assert undirected.weaklyConnectedComponents() == undirected.connectedComponents()


def test_depth_first_from_unknown_node_raises_and_changes_nothing(make):
    g = make(True, "a")
    with pytest.raises(IndexError, match="zz"):
        g.iterativeDFS("zz")
    assert not g.hasNode("zz") and g.connectedComponents() == [["a"]]
    with pytest.raises(IndexError):
        tarvel.Graph(False).iterativeDFS("a")


def test_components_in_breadth_first_order(make):
    assert tarvel.Graph(False).connectedComponents() == []
    assert make(False, "abcd", [("a", "b"), ("b", "c"), ("a", "d")]).connectedComponents() == [["a", "b", "d", "c"]]
    assert make(False, "abcd", [("a", "c"), ("b", "d")]).connectedComponents() == [["a", "c"], ["b", "d"]]
    assert make(True, "ab", [("a", "b")]).connectedComponents() == [["a", "b"]]
    assert make(True, "ba", [("a", "b")]).connectedComponents() == [["b"], ["a"]]


@pytest.mark.parametrize("directed, nodes, edges, expected", [
    (True, "abc", [("a", "b"), ("b", "c")], False),
    (True, "abc", [("a", "b"), ("b", "c"), ("c", "a")], True),
    (True, "a", [("a", "a")], True),
    (True, "ab", [("a", "b"), ("a", "b")], False),
    (True, "ab", [("a", "b"), ("b", "a")], True),
    (True, "abcd", [("a", "b"), ("a", "c"), ("b", "d"), ("c", "d")], False),
    (False, "ab", [("a", "b")], True),
    (False, "ab", [], False),
    (True, "", [], False),
])
def test_cycle_test(make, directed, nodes, edges, expected):
    assert make(directed, nodes, edges).hasCycle() is expected


def test_node_coloring_follows_insertion_order(make):
    tri = make(False, "abc", [("a", "b"), ("b", "c"), ("c", "a")])
    assert tri.nodeColoring() == {"a": 0, "b": 1, "c": 2} and not tri.isBipartite()
    path = [("a", "b"), ("b", "c"), ("c", "d")]
    assert make(False, "abcd", path).nodeColoring() == {"a": 0, "b": 1, "c": 0, "d": 1}
    unlucky = make(False, "adbc", path)
    assert list(unlucky.nodeColoring().items()) == [("a", 0), ("d", 0), ("b", 1), ("c", 2)]
    assert make(True, "ba", [("a", "b")]).nodeColoring() == {"b": 0, "a": 1}
    assert make(True, "abc", [("a", "b"), ("b", "c"), ("c", "a")]).nodeColoring() == {"a": 0, "b": 0, "c": 1}
    assert tarvel.Graph(True).nodeColoring() == {} and tarvel.Graph(True).isBipartite()


def test_bipartite_is_the_odd_cycle_test(make):
    path = [("a", "b"), ("b", "c"), ("c", "d")]
    assert make(False, "adbc", path).isBipartite()  # three greedy colors, still bipartite
    assert not make(False, "abc", [("a", "b"), ("b", "c"), ("c", "a")]).isBipartite()
    assert not make(True, "abc", [("a", "b"), ("b", "c"), ("c", "a")]).isBipartite()
    assert make(True, "abcd", [("a", "b"), ("c", "b"), ("c", "d"), ("a", "d")]).isBipartite()
    assert not make(False, "a", [("a", "a")]).isBipartite()
    assert not make(True, "ab", [("a", "b"), ("b", "b")]).isBipartite()
    women = nx.davis_southern_women_graph()
    assert make(False, sorted(women.nodes), list(women.edges)).isBipartite()


@pytest.mark.parametrize("directed, nodes, edges, expected", [
    (False, "abc", [("a", "b"), ("b", "c")], [(("a", "b"), 1), (("b", "c"), 2)]),
    (False, "abc", [("a", "b"), ("b", "c"), ("c", "a")], [(("a", "b"), 1), (("a", "c"), 2), (("b", "c"), 3)]),
    (False, "abcd", [("a", "b"), ("a", "c"), ("a", "d")], [(("a", "b"), 1), (("a", "c"), 2), (("a", "d"), 3)]),
    (False, "ab", [("a", "b"), ("a", "b")], [(("a", "b"), 2)]),
    (False, "a", [("a", "a")], [(("a", "a"), 2)]),
    (True, "a", [("a", "a")], [(("a", "a"), 1)]),
    (True, "abc", [("a", "b"), ("b", "c")], [(("a", "b"), 1), (("b", "c"), 1)]),
    (True, "ab", [("a", "b"), ("b", "a")], [(("a", "b"), 1), (("b", "a"), 2)]),
    (False, "ca", [("c", "a")], [(("c", "a"), 1)]),
    (False, "ab", [], []),
])
def test_edge_coloring(make, directed, nodes, edges, expected):
    assert list(make(directed, nodes, edges).edgeColoring().items()) == expected


@pytest.mark.parametrize("nodes, edges, tarjan, kosaraju", [
    ("", [], [], []),
    ("ab", [], [["a"], ["b"]], [["b"], ["a"]]),
    ("abc", [("a", "b"), ("b", "a"), ("b", "c")], [["c"], ["b", "a"]], [["a", "b"], ["c"]]),
    ("abc", [("a", "b"), ("b", "c"), ("c", "a")], [["c", "b", "a"]], [["a", "c", "b"]]),
    ("a", [("a", "a")], [["a"]], [["a"]]),
])
def test_strongly_connected_components(make, nodes, edges, tarjan, kosaraju):
    g = make(True, nodes, edges)
    assert g.stronglyConnectedComponents() == tarjan
    assert g.stronglyConnectedComponents(tarvel.TARJAN) == tarjan
    assert g.stronglyConnectedComponents(method=tarvel.KOSARAJU) == kosaraju


def test_strongly_connected_components_refuse_bad_input(make):
    for method in (tarvel.TARJAN, tarvel.KOSARAJU, tarvel.SCCAlgo(9)):
        with pytest.raises(RuntimeError, match="^implemented only for directed graph$"):
            make(False, "a").stronglyConnectedComponents(method)
    with pytest.raises(RuntimeError, match=r"^9 is not an SCCAlgo: use TARJAN or KOSARAJU$"):
        make(True, "a").stronglyConnectedComponents(tarvel.SCCAlgo(9))


def _random_pair(rng, directed, n, m):
    g, ref = tarvel.Graph(directed), (nx.MultiDiGraph() if directed else nx.MultiGraph())
    names = [str(i) for i in range(n)]
    rng.shuffle(names)
    for name in names:
        g.addNode(name)
        ref.add_node(name)
    for _ in range(m):
        a, b = rng.choice(names), rng.choice(names)
        g.addEdge(a, b, rng.randint(-5, 5))
        ref.add_edge(a, b)
    return g, ref


def _partition(groups):
    return sorted(sorted(group) for group in groups)


def test_partitions_agree_with_reference_library():
    rng = random.Random(2024)
    for round_ in range(300):
        n = rng.randint(1, 25)
        directed = round_ % 2 == 0
        g, ref = _random_pair(rng, directed, n, rng.randint(0, 2 * n))
        if directed:
            expected = _partition(nx.strongly_connected_components(ref))
            assert _partition(g.stronglyConnectedComponents(tarvel.TARJAN)) == expected
            assert _partition(g.stronglyConnectedComponents(tarvel.KOSARAJU)) == expected
            assert g.hasCycle() == (not nx.is_directed_acyclic_graph(ref))
        else:
            assert _partition(g.connectedComponents()) == _partition(nx.connected_components(ref))
            order = g.iterativeDFS(g.connectedComponents()[0][0])
            assert sorted(order) == sorted(g.connectedComponents()[0])
            colors = g.nodeColoring()
            assert list(colors) == [name for name in ref.nodes]
        undirected = nx.Graph(ref)
        assert g.isBipartite() == (nx.number_of_selfloops(undirected) == 0 and nx.is_bipartite(undirected))


def test_long_paths(make):
    n = 100_000
    names = [str(i) for i in range(n)]
    for directed in (True, False):
        g = make(directed, names, [(names[i], names[i + 1]) for i in range(n - 1)])
        assert g.iterativeDFS("0") == names
        assert g.connectedComponents() == [names]
        assert g.hasCycle() is (not directed)
        assert g.isBipartite()
        assert len(g.edgeColoring()) == n - 1
        if directed:
            assert g.stronglyConnectedComponents(tarvel.TARJAN)[0] == [names[-1]]
            assert g.stronglyConnectedComponents(tarvel.KOSARAJU)[0] == ["0"]
