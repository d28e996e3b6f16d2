"""Degree, closeness, betweenness and Katz centrality."""
import math
import random

import networkx as nx
import pytest

import tarvel

OPERATIONS = ["degreeCentrality", "closenessCentrality", "betweennessCentrality", "katzCentrality"]


def scores(g, name):
    return getattr(g, name)()


@pytest.mark.parametrize("name", OPERATIONS)
def test_empty_and_single_node(make, name):
    assert scores(tarvel.Graph(True), name) == {}
    expected = 1.0 if name == "katzCentrality" else 0.0
    assert scores(make(False, "a"), name) == {"a": expected}


@pytest.mark.parametrize("directed, nodes, edges, degree, closeness", [
    (False, "abc", [("a", "b"), ("b", "c")], [1, 2, 1], [1 / 3, 0.5, 1 / 3]),
    (True, "ab", [("a", "b")], [1, 0], [1.0, 0.0]),
    (True, "abc", [("a", "b"), ("b", "c"), ("c", "a")], [1, 1, 1], [1 / 3] * 3),
    (False, "abcd", [("a", "b"), ("c", "d")], [1] * 4, [1.0] * 4),
    (False, "ab", [("a", "a"), ("a", "b", -4)], [3, 1], [1.0, 1.0]),
    (False, "ab", [("a", "b"), ("a", "b")], [2, 2], [1.0, 1.0]),
])
def test_degree_and_closeness(make, directed, nodes, edges, degree, closeness):
    g = make(directed, nodes, edges)
    assert list(g.degreeCentrality().items()) == list(zip(nodes, map(float, degree)))
    assert list(g.closenessCentrality()) == list(nodes)
    assert list(g.closenessCentrality().values()) == pytest.approx(closeness)


@pytest.mark.parametrize("directed, nodes, edges, expected", [
    (False, "abc", [("a", "b"), ("b", "c")], [0, 2, 0]),
    (True, "abc", [("a", "b"), ("b", "c")], [0, 1, 0]),
    (False, "hxyz", [("h", "x"), ("h", "y"), ("h", "z")], [6, 0, 0, 0]),
    (False, "abcd", [("a", "b"), ("b", "c"), ("c", "d"), ("d", "a")], [1, 1, 1, 1]),
    (False, "abcd", [("a", "b"), ("b", "d"), ("a", "c"), ("c", "d")], [1, 1, 1, 1]),
    (False, "abcd", [("a", "b"), ("b", "d"), ("a", "c"), ("c", "d"), ("a", "b")], [4 / 3, 4 / 3, 2 / 3, 2 / 3]),
    (True, "abc", [("a", "b"), ("b", "c"), ("c", "a")], [1, 1, 1]),
    (False, "abcq", [("a", "b", -3), ("b", "c", 8)], [0, 2, 0, 0]),
])
def test_betweenness(make, directed, nodes, edges, expected):
    result = make(directed, nodes, edges).betweennessCentrality()
    assert list(result) == list(nodes)
    assert list(result.values()) == pytest.approx(expected)


def test_katz(make):
    assert make(False, "a").katzCentrality() == {"a": 1.0}
    for value in make(False, "abcd").katzCentrality().values():
        assert value == pytest.approx(0.5)
    for value in make(False, "ab", [("a", "b")]).katzCentrality().values():
        assert value == pytest.approx(1 / math.sqrt(2))
    g = make(True, "ab", [("a", "b", -9)])
    assert g.katzCentrality(max_iterations=1) == pytest.approx({"a": 0.724138, "b": 0.689655}, abs=1e-6)
    assert g.katzCentrality(0.1, 1.0, 0, 1e-6) == {"a": 0.5, "b": 0.5}
    path = make(True, "abc", [("a", "b"), ("b", "c")]).katzCentrality()
    assert path == pytest.approx({"a": 0.5886, "b": 0.5869, "c": 0.5560}, abs=1e-4)
    cycle = make(True, "abc", [("a", "b"), ("b", "c"), ("c", "a")])
    assert cycle.katzCentrality(alpha=0.3) == pytest.approx({n: 1 / math.sqrt(3) for n in "abc"})
    assert all(math.isnan(v) for v in make(True, "ab").katzCentrality(beta=0.0).values())
    with pytest.raises(TypeError):
        g.katzCentrality(max_iterations=1.5)


def test_agreement_with_reference_library():
    rng = random.Random(11)
    for round_ in range(120):
        directed = round_ % 2 == 0
        n = rng.randint(2, 18)
        names = [str(i) for i in range(n)]
        rng.shuffle(names)
        g = tarvel.Graph(directed)
        ref = nx.DiGraph() if directed else nx.Graph()
        for name in names:
            g.addNode(name)
            ref.add_node(name)
        for _ in range(rng.randint(0, 3 * n)):
            a, b = rng.sample(names, 2)
            if ref.has_edge(a, b):
                continue  # parallel edges count as separate paths here, not in the reference
            g.addEdge(a, b, rng.randint(-5, 5))
            ref.add_edge(a, b)
        factor = 1.0 if directed else 2.0
        expected = {k: factor * v for k, v in nx.betweenness_centrality(ref, normalized=False).items()}
        assert g.betweennessCentrality() == pytest.approx(expected)
        for name, value in g.closenessCentrality().items():
            total = sum(nx.single_source_shortest_path_length(ref, name).values())
            assert value == (1.0 / total if total else 0.0)
        # Rescaling every step makes the fixed point x = (alpha * A x + beta) / c
        # with c = |alpha * A x + beta|: the conventional Katz vector for the
        # attenuation alpha / c. The reference sums over in-neighbors, ours
        # over the nodes a node points to.
        katz = g.katzCentrality(alpha=0.05, tolerance=1e-14, max_iterations=5000)
        pointed = ref if directed else ref.to_directed()
        raw = {k: 0.05 * sum(katz[t] for t in pointed.successors(k)) + 1.0 for k in katz}
        c = math.sqrt(sum(v * v for v in raw.values()))
        katz_ref = nx.katz_centrality(ref.reverse() if directed else ref, alpha=0.05 / c, beta=1.0,
                                      max_iter=5000, tol=1e-14)
        assert katz == pytest.approx(katz_ref, abs=1e-9)


def test_scores_of_some_nodes_and_from_some_sources():
    import random
    rng = random.Random(9)
    g = tarvel.Graph(True)
    names = [str(i) for i in range(150)]
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), 1) for _ in range(700)])
    closeness, betweenness = g.closenessCentrality(), g.betweennessCentrality()
    rng.shuffle(names)
    parts = [names[:50], names[50:]]
    seen = []
    assert g.closenessCentrality(nodes=iter(parts[0])) == {k: closeness[k] for k in closeness if k in parts[0]}
    sums = [g.betweennessCentrality(sources=part, progress=lambda d, t: seen.append((d, t))) for part in parts]
    bound = 2 * 149 * 2.0 ** -53 * 1.01
    assert all(abs(sums[0][k] + sums[1][k] - betweenness[k]) <= bound * betweenness[k] for k in betweenness)
    assert seen[-1] == (100, 100) and g.betweennessCentrality(sources=sorted(parts[1])) == sums[1]
    assert g.betweennessCentrality(sources=None) == betweenness
    with pytest.raises(ValueError, match="^betweennessCentrality\\(\\): node '3' is given twice in sources$"):
        g.betweennessCentrality(sources=["3", "4", "3"])
    with pytest.raises(IndexError, match="^unknown node: x$"):
        g.closenessCentrality(nodes=["1", "x"])
    with pytest.raises(TypeError):
        g.closenessCentrality(nodes="12")


def test_integer_arguments_out_of_range_raise_overflow_error(make):
    g = make(True, "ab", [("a", "b", 1)])
    index = type("Index", (), {"__init__": lambda self, v: setattr(self, "v", v), "__index__": lambda self: self.v})
    for method in (g.katzCentrality, g.incomingKatzCentrality):
        name = method.__name__
        for value in (2 ** 31, -2 ** 31 - 1, 2 ** 64, -2 ** 100, index(2 ** 31)):
            with pytest.raises(OverflowError, match=r"^%s\(\): max_iterations .+ is outside the range "
                                                    r"-2147483648 to 2147483647$" % name):
                method(max_iterations=value)
        for value in (2 ** 31 - 1, index(5)):  # the ends of the range are taken
            assert set(method(max_iterations=value)) == {"a", "b"}
        for value in (1.0, "5", None):
            with pytest.raises(TypeError, match="max_iterations must be an int"):
                method(max_iterations=value)
    assert g.katzCentrality(max_iterations=-2 ** 31) == g.katzCentrality(max_iterations=0)
    with pytest.raises(RuntimeError, match="did not converge in -2147483648 iterations"):
        g.incomingKatzCentrality(max_iterations=-2 ** 31)
    for weight in (2 ** 31, -2 ** 31 - 1):  # as integer weights
        with pytest.raises(OverflowError):
            tarvel.Edge("a", "b", weight)
        with pytest.raises(OverflowError):
            g.addEdges([("a", "b", weight)])
