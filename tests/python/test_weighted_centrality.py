"""Closeness, betweenness and reach sums over weighted shortest paths
(weighted=True): networkx's numbers on positive weights, the same bits on
any number of threads and for parts of the nodes, and the errors."""
import math
import random

import networkx as nx
import pytest

import tarvel


def random_pair(rng, directed, n, m, weight):
    """The same random graph as a tarvel graph and a networkx graph (no
    parallel edges or self-loops, which networkx's graphs read otherwise)."""
    G = nx.DiGraph() if directed else nx.Graph()
    G.add_nodes_from(range(n))
    while G.number_of_edges() < m:
        u, v = rng.randrange(n), rng.randrange(n)
        if u != v and not G.has_edge(u, v):
            G.add_edge(u, v, weight=weight(rng))
    return to_tarvel(G, type(weight(rng))), G


def build(directed, kind, edges):
    g = tarvel.Graph(directed, weightType=kind)
    g.addNodes(list(dict.fromkeys(end for u, v, _ in edges for end in (u, v))))
    g.addEdges(edges)
    return g


def to_tarvel(G, kind):
    g = tarvel.Graph(G.is_directed(), weightType=kind)
    g.addNodes([str(k) for k in range(len(G))])
    g.addEdges([(str(u), str(v), d["weight"]) for u, v, d in G.edges(data=True)])
    return g


WEIGHTS = {
    "int": lambda rng: rng.randint(1, 4),  # many equal sums
    "float": lambda rng: rng.choice([0.1, 0.2, 0.3, 0.25, 0.5, 0.7]),  # ties only where the doubles are equal
}


@pytest.mark.parametrize("kind", sorted(WEIGHTS))
@pytest.mark.parametrize("directed", [False, True])
def test_networkx_numbers_on_positive_weights(kind, directed):
    rng = random.Random(5 + directed)
    for _ in range(6):
        g, G = random_pair(rng, directed, 40, 120, WEIGHTS[kind])
        ours = g.betweennessCentrality(weighted=True)
        theirs = nx.betweenness_centrality(G, weight="weight", normalized=False)
        scale = 1 if directed else 2  # tarvel counts an undirected pair from both ends
        for k in range(40):
            assert ours[str(k)] == pytest.approx(scale * theirs[k], rel=1e-12, abs=1e-12)
        # networkx measures closeness toward a node of a directed graph:
        # tarvel's outgoing sums on G's reverse are the same sums.
        reverse = G.reverse() if directed else G
        reach = to_tarvel(reverse, int if kind == "int" else float).reachSums(weighted=True)
        for k in range(40):
            lengths = nx.single_source_dijkstra_path_length(reverse, k)
            reached, total = reach[str(k)]
            assert reached == len(lengths) - 1
            assert type(total) is (int if kind == "int" else float)
            if kind == "int":
                assert total == sum(lengths.values())
            else:  # the same ascending sum; Python before 3.12 adds it without compensation
                assert total == pytest.approx(sum(lengths.values()), rel=1e-15)


def test_float_ties_are_equal_sums_and_zero_steps_follow_the_fewest_edges():
    g = build(True, float, [("a", "b", 0.1), ("b", "c", 0.2), ("a", "c", 0.3), ("a", "x", 0.5), ("x", "y", 0.25),
                            ("a", "y", 0.75)])
    scores = g.betweennessCentrality(weighted=True)
    assert scores["b"] == 0.0  # 0.1 + 0.2 is not 0.3
    assert scores["x"] == 0.5  # 0.5 + 0.25 is 0.75: two paths
    zero = build(True, int, [("s", "a", 1), ("s", "b", 1), ("b", "a", 0), ("a", "c", 0)])
    # From s, s -> b -> a is not counted (a is first reached in as few edges
    # as b), s -> a -> c is; from b, b -> a -> c is.
    assert zero.betweennessCentrality(weighted=True) == {"s": 0.0, "a": 2.0, "b": 0.0, "c": 0.0}
    assert zero.closenessCentrality(weighted=True) == {"s": 1 / 3, "a": 0.0, "b": 0.0, "c": 0.0}


def test_the_hop_forms_stay_the_default_and_parallel_edges_count():
    g = build(False, int, [("a", "b", 5), ("b", "c", 5), ("a", "c", 1), ("c", "d", 2), ("c", "d", 2),
                           ("c", "d", 3), ("d", "d", 0)])
    assert g.betweennessCentrality() == g.betweennessCentrality(weighted=False)
    assert g.betweennessCentrality()["b"] == 0.0 and g.betweennessCentrality(weighted=True)["c"] > 0
    # The two lightest c-d edges are two paths, the heavier one none; the
    # pairs a-d and b-d (each from both ends) run through c, a-b does not
    # (5 direct, 6 through c); the self-loop is on no path.
    weighted = g.betweennessCentrality(weighted=True)
    assert weighted == {"a": 0.0, "b": 0.0, "c": 4.0, "d": 0.0}
    assert g.closenessCentrality(weighted=True)["a"] == 1 / (5 + 1 + 3)
    assert g.reachSums(weighted=True)["a"] == (3, 9)


def test_threads_and_parts_give_the_same_bits():
    rng = random.Random(11)
    g, _ = random_pair(rng, True, 300, 1500, lambda r: r.random())
    one = g.betweennessCentrality(weighted=True, threads=1)
    assert g.betweennessCentrality(weighted=True, threads=2) == one
    closeness = g.closenessCentrality(weighted=True, threads=1)
    assert g.closenessCentrality(weighted=True, threads=2) == closeness
    assert g.reachSums(weighted=True, threads=2) == g.reachSums(weighted=True, threads=1)
    names = g.nodes()
    rng.shuffle(names)
    assert g.closenessCentrality(nodes=names[:50], weighted=True) == {k: closeness[k] for k in names[:50]}
    first = g.betweennessCentrality(sources=names[:100], weighted=True)
    rest = g.betweennessCentrality(sources=names[100:], weighted=True)
    for k in one:
        assert first[k] + rest[k] == pytest.approx(one[k], rel=1e-12)


def test_errors():
    g = build(False, float, [("a", "b", 1.0), ("b", "c", -0.5)])
    for call in (lambda: g.betweennessCentrality(weighted=True), lambda: g.closenessCentrality(weighted=True),
                 lambda: g.reachSums(weighted=True), lambda: g.betweennessCentrality(sources=["a"], weighted=True)):
        with pytest.raises(ValueError, match="^weighted closeness and betweenness need weights of at least 0$"):
            call()
    assert g.betweennessCentrality()["b"] == 2.0  # the hop form reads no weight
    with pytest.raises(ValueError, match="given twice"):
        g.closenessCentrality(nodes=["a", "a"], weighted=True)
    wide = build(True, int, [("a", "b", 2**31 - 1)] + [(str(k), str(k + 1), 2**31 - 1) for k in range(3)])
    assert wide.reachSums(weighted=True)["0"] == (3, 6 * (2**31 - 1))
    assert math.isclose(wide.closenessCentrality(weighted=True)["0"], 1 / (6 * (2**31 - 1)))
