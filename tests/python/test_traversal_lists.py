"""breadthFirstEdges, breadthFirstLayers and depthFirstLabeledEdges: the
methods' own arguments (one source or several, in order, depth limits,
labels) and their errors, checked against networkx's searches on the same
graphs where networkx has them (networkx 3.1 and later agree here)."""
import random

import networkx as nx
import pytest


def random_pair(make, rng, directed, n, m):
    names = [str(k) for k in range(n)]
    rng.shuffle(names)
    # networkx's simple graphs read each neighbour once: no parallel edges
    # here (nor undirected self-loops); the C++ tests have them.
    edges, seen = [], set()
    for _ in range(m):
        u, v = str(rng.randrange(n)), str(rng.randrange(n))
        key = (u, v) if directed else frozenset((u, v))
        if key not in seen and (directed or u != v):
            seen.add(key)
            edges.append((u, v))
    G = (nx.DiGraph if directed else nx.Graph)()
    G.add_nodes_from(names)
    G.add_edges_from(edges)
    return make(directed, names, edges), G


def test_the_lists_follow_networkx_s_searches(make):
    rng = random.Random(5)
    for round in range(120):
        n = 1 + round % 13
        g, G = random_pair(make, rng, round % 2 == 0, n, rng.randrange(3 * n))
        source = str(rng.randrange(n))
        for limit in (None, 1, 2):
            assert g.breadthFirstEdges(source, limit) == list(nx.bfs_edges(G, source, depth_limit=limit)), round
            # networkx 3.1 counts depth_limit=0 as 1 in dfs_edges, as tarvel does.
            assert g.depthFirstLabeledEdges(source, limit, labels=["forward"])[1:] == [
                (u, v, "forward") for u, v in nx.dfs_edges(G, source, depth_limit=limit)], round
        assert g.breadthFirstLayers(source) == list(nx.bfs_layers(G, source)), round
        assert [step for step in g.depthFirstLabeledEdges() if step[2] != "reverse-depth_limit"] == [
            step for step in nx.dfs_labeled_edges(G) if step[2] != "reverse-depth_limit"], round


def test_sources_in_order_once_and_limits(make):
    g = make(True, "abcde", [("a", "b"), ("b", "c"), ("c", "d"), ("e", "c"), ("d", "a")])
    assert g.breadthFirstEdges(["e", "a", "e"]) == [("e", "c"), ("a", "b"), ("c", "d")]
    assert g.breadthFirstLayers(("e", "a")) == [["e", "a"], ["c", "b"], ["d"]]
    assert g.breadthFirstLayers("a", depthLimit=1) == [["a"], ["b"]]
    assert g.breadthFirstEdges("a", 0) == []
    assert g.breadthFirstEdges("c", reverse=True) == [("c", "b"), ("c", "e"), ("b", "a"), ("a", "d")]
    assert g.depthFirstLabeledEdges("a", 2) == [
        ("a", "a", "forward"), ("a", "b", "forward"), ("b", "c", "forward"), ("b", "c", "reverse-depth_limit"),
        ("a", "b", "reverse"), ("a", "a", "reverse")]
    assert g.depthFirstLabeledEdges(["c", "a"], labels=("nontree",)) == [("b", "c", "nontree")]


def test_errors_name_what_is_wrong(make):
    g = make(False, "ab", [("a", "b")])
    with pytest.raises(IndexError):
        g.breadthFirstEdges(["a", "zz"])
    with pytest.raises(IndexError):
        g.breadthFirstLayers("zz")
    with pytest.raises(IndexError):
        g.depthFirstLabeledEdges("zz")
    with pytest.raises(OverflowError):
        g.breadthFirstEdges("a", -1)
    with pytest.raises(TypeError):
        g.breadthFirstEdges("a", 1.0)
    with pytest.raises(ValueError, match="unknown label 'tree'"):
        g.depthFirstLabeledEdges(labels=["forward", "tree"])
    with pytest.raises(TypeError):
        g.depthFirstLabeledEdges(labels="forward")
