"""The searches near their ends and from several sources, as the module
gives them: twoEndedBfsPath, nodesWithin, multiSourceDistances and
multiSourcePaths, checked against searches written here in Python on
random graphs, with their argument errors."""
import heapq
import random

import pytest

import tarvel


def random_graph(rng, directed, n, m, weight_type=int):
    g = tarvel.Graph(directed, weightType=weight_type)
    g.addNodes([str(k) for k in range(n)])
    for _ in range(m):
        w = rng.randint(0, 4) if weight_type is int else rng.randint(0, 8) / 4
        g.addEdge(str(rng.randrange(n)), str(rng.randrange(n)), w)
    return g


def adjacency(g):
    return {u: [v for v, _ in g.neighbors(u)] for u in g.nodes()}


def test_nodes_within_are_breadth_first_discoveries_cut_at_depth():
    rng = random.Random(5)
    for round in range(60):
        g = random_graph(rng, round % 2 == 0, rng.randint(1, 25), rng.randint(0, 40))
        adj = adjacency(g)
        source = rng.choice(g.nodes())
        level, order, frontier = {source: 0}, [source], [source]
        while frontier:
            nxt = []
            for u in frontier:
                for v in adj[u]:
                    if v not in level:
                        level[v] = level[u] + 1
                        order.append(v)
                        nxt.append(v)
            frontier = nxt
        for depth in range(5):
            assert g.nodesWithin(source, depth) == [v for v in order if level[v] <= depth]
    g = tarvel.Graph(True)
    g.addNodes(["a"])
    with pytest.raises(IndexError):
        g.nodesWithin("b", 1)
    with pytest.raises(OverflowError):
        g.nodesWithin("a", -1)
    with pytest.raises(TypeError):
        g.nodesWithin("a", 1.5)


def test_two_ended_paths_are_shortest_paths_of_the_graph():
    rng = random.Random(6)
    for round in range(60):
        g = random_graph(rng, round % 2 == 0, rng.randint(1, 25), rng.randint(0, 40))
        adj = adjacency(g)
        for _ in range(5):
            s, t = rng.choice(g.nodes()), rng.choice(g.nodes())
            path = g.twoEndedBfsPath(s, t)
            forward = g.shortestPath(s, t, tarvel.BFS, None)
            assert len(path) == len(forward)
            assert all(b in adj[a] for a, b in zip(path, path[1:]))
            assert not path or (path[0], path[-1]) == (s, t)
    with pytest.raises(IndexError):
        g.twoEndedBfsPath("nope", g.nodes()[0])
    with pytest.raises(TypeError):
        g.twoEndedBfsPath(g.nodes()[0], g.nodes()[0], symmetric="yes")


def dijkstra_from(g, sources, cutoff=None):
    """Least distances from any of the sources, a plain heap search."""
    dist, heap = {}, [(0, s) for s in sources]
    heapq.heapify(heap)
    while heap:
        d, u = heapq.heappop(heap)
        if u in dist or (cutoff is not None and d > cutoff):
            continue
        dist[u] = d
        for v, w in g.neighbors(u):
            if v not in dist:
                heapq.heappush(heap, (d + w, v))
    return dist


@pytest.mark.parametrize("weight_type", [int, float])
def test_multi_source_searches_find_the_least_distances(weight_type):
    rng = random.Random(7)
    for round in range(80):
        g = random_graph(rng, round % 2 == 0, rng.randint(1, 25), rng.randint(0, 50), weight_type)
        sources = [rng.choice(g.nodes()) for _ in range(rng.randint(1, 3))]  # repeats too
        cutoff = rng.choice([None, 0, 1.5, 3, -1])
        want = dijkstra_from(g, sources, cutoff)
        for s in sources:
            want[s] = 0
        got = g.multiSourceDistances(sources, cutoff=cutoff)
        assert got == want and list(got) == [v for v in g.nodes() if v in want]
        assert all(type(d) is weight_type for d in got.values())
        paths = g.multiSourcePaths(sources, cutoff=cutoff)
        assert list(paths) == list(got)
        for node, path in paths.items():
            assert path[0] in sources and path[-1] == node and g.pathWeight(path) == got[node]
        goal = rng.choice(g.nodes())
        one = g.multiSourcePaths(sources, cutoff=cutoff, goal=goal)
        assert list(one) == ([goal] if goal in got else [])
        if one:
            assert g.pathWeight(one[goal]) == got[goal]
    assert g.multiSourceDistances([]) == {}
    with pytest.raises(IndexError):
        g.multiSourceDistances(["nope"])
    with pytest.raises(IndexError):
        g.multiSourcePaths([g.nodes()[0]], goal="nope")
    with pytest.raises(TypeError):
        g.multiSourceDistances(None)
    with pytest.raises(TypeError):
        g.multiSourceDistances([g.nodes()[0]], cutoff="1")
