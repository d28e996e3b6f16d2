"""minimumSpanningTree: Kruskal, Prim and Borůvka, their orders and orientations."""
import random

import networkx as nx
import pytest

import tarvel


def triples(edges):
    return [(e.getSource(), e.getDestination(), e.getWeight()) for e in edges]


TRIANGLE = ("abx", [("a", "b", 1), ("b", "x", 2), ("a", "x", 3)])
SQUARE = ("abxd", [("a", "b", 1), ("b", "x", 1), ("x", "d", 1), ("d", "a", 1)])


@pytest.mark.parametrize("directed, graph, method, expected", [
    (False, TRIANGLE, tarvel.KRUSKAL, [("a", "b", 1), ("b", "x", 2)]),
    (False, TRIANGLE, tarvel.PRIM, [("a", "b", 1), ("b", "x", 2)]),
    (False, TRIANGLE, tarvel.BORUVKA, [("a", "b", 1), ("x", "b", 2)]),
    (False, ("ab", [("b", "a", 4)]), tarvel.KRUSKAL, [("a", "b", 4)]),
    (True, ("ab", [("b", "a", 4)]), tarvel.KRUSKAL, [("b", "a", 4)]),
    (True, ("ab", [("b", "a", 4)]), tarvel.PRIM, [("b", "a", 4)]),
    (True, ("ab", [("b", "a", 1), ("a", "b", 2)]), tarvel.PRIM, [("b", "a", 1)]),
    (True, ("ab", [("b", "a", 1), ("a", "b", 2)]), tarvel.BORUVKA, [("b", "a", 1)]),
    (True, ("ab", [("b", "a", 4)]), tarvel.BORUVKA, [("b", "a", 4)]),
    (False, SQUARE, tarvel.KRUSKAL, [("a", "b", 1), ("a", "d", 1), ("b", "x", 1)]),
    (False, SQUARE, tarvel.BORUVKA, [("a", "b", 1), ("x", "b", 1), ("d", "x", 1)]),
    (False, ("abxd", [("a", "b", 2), ("x", "d", 1)]), tarvel.KRUSKAL, [("x", "d", 1), ("a", "b", 2)]),
    (False, ("abxd", [("a", "b", 2), ("x", "d", 1)]), tarvel.BORUVKA, [("a", "b", 2), ("x", "d", 1)]),
    (False, ("abxd", [("a", "b", 1), ("x", "d", 1)]), tarvel.PRIM, [("a", "b", 1)]),
    (False, ("abx", [("a", "b", -5), ("b", "x", 1), ("a", "x", 0)]), tarvel.KRUSKAL, [("a", "b", -5), ("a", "x", 0)]),
    (False, ("abx", [("a", "b", 5), ("a", "x", 1), ("x", "b", 2)]), tarvel.PRIM, [("a", "x", 1), ("x", "b", 2)]),
    (False, ("abx", [("a", "b", 5), ("a", "x", 1), ("x", "b", 2)]), tarvel.KRUSKAL, [("a", "x", 1), ("b", "x", 2)]),
    (False, ("a", [("a", "a", 1)]), tarvel.PRIM, []),
    (False, ("a", []), tarvel.BORUVKA, []),
    (False, ("", []), tarvel.KRUSKAL, []),
    (False, ("", []), tarvel.PRIM, []),
    (False, ("", []), tarvel.BORUVKA, []),
    (True, ("ab", []), tarvel.KRUSKAL, []),
])
def test_documented_trees(make, directed, graph, method, expected):
    nodes, edges = graph
    assert triples(make(directed, nodes, edges).minimumSpanningTree(method)) == expected


def test_default_method_and_bad_method(make):
    g = make(False, *TRIANGLE)
    assert triples(g.minimumSpanningTree()) == triples(g.minimumSpanningTree(tarvel.KRUSKAL))
    with pytest.raises(RuntimeError, match=r"^7 is not an MSTAlgo: use KRUSKAL, PRIM or BORUVKA$"):
        g.minimumSpanningTree(tarvel.MSTAlgo(7))
    tree = g.minimumSpanningTree()
    assert all(isinstance(e, tarvel.Edge) for e in tree) and tree[0] is not tree[1]


def test_extreme_weights_sort_correctly(make):
    g = make(False, "abc", [("a", "b", 2 ** 31 - 1), ("b", "c", -2 ** 31), ("a", "c", 0)])
    for method in (tarvel.KRUSKAL, tarvel.PRIM, tarvel.BORUVKA):
        assert sorted(e.getWeight() for e in g.minimumSpanningTree(method)) == [-2 ** 31, 0]


def test_trees_agree_with_reference_library():
    """Directed graphs too: every method spans the graph taken as undirected,
    and every returned edge is one the graph stores, in its stored direction."""
    rng = random.Random(31)
    for round_ in range(400):
        n = rng.randint(1, 20)
        directed = round_ % 2 == 1
        names = [str(i) for i in range(n)]
        rng.shuffle(names)
        g, ref = tarvel.Graph(directed), nx.MultiGraph()
        stored = set()
        for name in names:
            g.addNode(name)
            ref.add_node(name)
        for _ in range(rng.randint(0, 3 * n)):
            a, b = rng.choice(names), rng.choice(names)
            w = rng.randint(-3, 6)
            g.addEdge(a, b, w)
            ref.add_edge(a, b, weight=w)
            stored |= {(a, b, w)} if directed else {(a, b, w), (b, a, w)}
        forest_weight = nx.minimum_spanning_tree(ref).size(weight="weight")
        components = list(nx.connected_components(ref))
        kruskal = triples(g.minimumSpanningTree(tarvel.KRUSKAL))
        boruvka = triples(g.minimumSpanningTree(tarvel.BORUVKA))
        prim = triples(g.minimumSpanningTree(tarvel.PRIM))
        for tree in (kruskal, boruvka):
            assert sum(w for _, _, w in tree) == forest_weight
            assert len(tree) == n - len(components)
            spanned = nx.Graph([(a, b) for a, b, _ in tree])
            spanned.add_nodes_from(names)
            assert nx.number_connected_components(spanned) == len(components)
        first = next(c for c in components if names[0] in c)
        assert len(prim) == len(first) - 1
        assert {names[0]} | {end for a, b, _ in prim for end in (a, b)} == first
        if len(components) == 1:
            assert sum(w for _, _, w in prim) == forest_weight
        assert set(kruskal + boruvka + prim) <= stored
        assert [w for _, _, w in kruskal] == sorted(w for _, _, w in kruskal)
