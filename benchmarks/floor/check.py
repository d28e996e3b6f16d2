"""The native libraries against tarvel's Python module, on random graphs.

    python benchmarks/floor/check.py FOLDER [ROUNDS [PATH_NODES]]

FOLDER holds libfloor.so and libtarvel_native.so (benchmarks/floor/build.sh).
On random graphs, directed and undirected, with parallel edges, self-loops,
weights of few values (so ties everywhere), nodes without edges and
unreachable goals, every answer of the floor must be one that tarvel's
module accepts as right (a path of the same length or weight whose steps
are edges, the same partition, a forest of the same weight and size), and
every answer of tarvel_native must be the module's own, node for node. Then
one path of a million nodes (PATH_NODES), which no answer may take recursion
to find.
Exits non-zero at the first difference.
"""
import ctypes
import os
import random
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))

import tarvel  # noqa: E402
from native import Handle, load  # noqa: E402
from peers import Prepared, partition  # noqa: E402


def random_graph(rng, folder, directed, least_weight):
    n = rng.randint(1, 40)
    names = ["v%d" % i for i in range(n)]
    edges = []
    for _ in range(rng.randint(0, 3 * n)):
        a = rng.randrange(n)
        b = a if rng.random() < 0.05 else rng.randrange(n)
        edges.append((names[a], names[b], rng.randint(least_weight, 4)))
        if rng.random() < 0.1:
            edges.append(edges[-1][:2] + (rng.randint(least_weight, 4),))  # a parallel edge
    return write(folder, directed, names, edges)


def write(folder, directed, names, edges):
    nodes_path, tsv_path = os.path.join(folder, "g.nodes"), os.path.join(folder, "g.tsv")
    with open(nodes_path, "w") as f:
        f.writelines(name + "\n" for name in names)
    with open(tsv_path, "w") as f:
        f.writelines("%s\t%s\t%d\n" % e for e in edges)
    p = Prepared("check", directed, names, edges, None, tsv_path, nodes_path)
    # Parallel edges: a step costs its lightest edge, as in tarvel.
    p.weight = {}
    for a, b, w in edges:
        for key in [(a, b)] + ([] if directed else [(b, a)]):
            p.weight[key] = min(w, p.weight.get(key, w))
    g = tarvel.Graph(directed)
    g.addNodes(names)
    g.addEdges(edges)
    return p, g


class Answers:
    """What a native library answers on one graph, in names."""

    def __init__(self, lib, p):
        self.lib, self.p, self.handle = lib, p, Handle(lib, p)

    def path(self, function, s, t):
        length = getattr(self.lib, function)(self.handle.value, self.p.index[s], self.p.index[t])
        nodes = (ctypes.c_uint32 * max(length, 0))()
        self.lib.bench_path(self.handle.value, nodes)
        return [self.p.nodes[v] for v in nodes]

    def groups(self):
        count = self.lib.bench_scc(self.handle.value)
        nodes, starts = (ctypes.c_uint32 * len(self.p.nodes))(), (ctypes.c_int64 * (count + 1))()
        self.lib.bench_groups(self.handle.value, nodes, starts)
        return [[self.p.nodes[v] for v in nodes[starts[k]:starts[k + 1]]] for k in range(count)]

    def tree(self):
        count = self.lib.bench_kruskal(self.handle.value)
        ends, weights = (ctypes.c_uint32 * (2 * count))(), (ctypes.c_int64 * count)()
        self.lib.bench_tree(self.handle.value, ends, weights)
        return [(self.p.nodes[ends[2 * i]], self.p.nodes[ends[2 * i + 1]], weights[i]) for i in range(count)]


def fail(what, p, got, wanted):
    print("DIFFERENT: %s on a %s graph of %d nodes" % (what, "directed" if p.directed else "undirected",
                                                       len(p.nodes)))
    print("  edges:", p.edges)
    print("  got:", got)
    print("  wanted:", wanted)
    sys.exit(1)


def check_floor(floor, p, g, pairs):
    for s, t in pairs:
        for function in ("bench_bfs", "bench_bfs_two_ended"):
            got, wanted = floor.path(function, s, t), g.shortestPath(s, t, tarvel.BFS, None)
            if len(got) != len(wanted) or (got and (got[0], got[-1]) != (s, t)) or \
                    (got and p.hops(got) is None):
                fail("%s %s -> %s" % (function, s, t), p, got, wanted)
        got, wanted = floor.path("bench_dijkstra", s, t), g.shortestPath(s, t, tarvel.DIJKSTRA, None)
        if bool(got) != bool(wanted) or (got and ((got[0], got[-1]) != (s, t) or
                                                  p.path_weight(got) != p.path_weight(wanted))):
            fail("bench_dijkstra %s -> %s" % (s, t), p, got, wanted)
    if p.directed:
        got, wanted = floor.groups(), g.stronglyConnectedComponents(tarvel.TARJAN)
        if partition(got) != partition(wanted):
            fail("bench_scc", p, got, wanted)
    check_forest(floor.tree(), g.minimumSpanningTree(tarvel.KRUSKAL), p)


def check_forest(got, wanted, p):
    """A forest of the same size and weight; on a small graph also each edge
    the graph's, and no cycle."""
    if len(got) != len(wanted) or sum(w for _, _, w in got) != sum(e.weight for e in wanted):
        fail("bench_kruskal", p, got, wanted)
    if len(p.edges) > 10_000:
        return
    weights = {}
    for a, b, w in p.edges:
        weights.setdefault(frozenset((a, b)), set()).add(w)
    root = {}

    def find(x):
        while root.get(x, x) != x:
            x = root[x]
        return x
    for a, b, w in got:
        if find(a) == find(b) or w not in weights.get(frozenset((a, b)), ()):
            fail("bench_kruskal", p, got, wanted)
        root[find(a)] = find(b)


def check_tarvel_native(native, p, g, pairs):
    for s, t in pairs:
        for function, method in (("bench_bfs", tarvel.BFS), ("bench_dijkstra", tarvel.DIJKSTRA)):
            got, wanted = native.path(function, s, t), g.shortestPath(s, t, method, None)
            if got != wanted:
                fail("tarvel_native %s %s -> %s" % (function, s, t), p, got, wanted)
    if p.directed:
        got, wanted = native.groups(), g.stronglyConnectedComponents(tarvel.TARJAN)
        if got != wanted:
            fail("tarvel_native bench_scc", p, got, wanted)
    got = native.tree()
    wanted = [tuple(e) for e in g.minimumSpanningTree(tarvel.KRUSKAL)]
    if got != wanted:
        fail("tarvel_native bench_kruskal", p, got, wanted)


def main():
    args = sys.argv[1:]
    folder = args[0]
    rounds = int(args[1]) if len(args) > 1 else 400
    n = int(args[2]) if len(args) > 2 else 1_000_000
    floor_lib, native_lib = load(folder, "libfloor.so"), load(folder, "libtarvel_native.so")
    rng = random.Random(2026)
    with tempfile.TemporaryDirectory() as scratch:
        for k in range(rounds):
            directed = k % 2 == 0
            # Negative weights for a spanning forest only: the searches of
            # the floor take none.
            least = -4 if k % 5 == 4 else 0
            p, g = random_graph(rng, scratch, directed, least)
            floor, native = Answers(floor_lib, p), Answers(native_lib, p)
            pairs = [] if least < 0 else [(rng.choice(p.nodes), rng.choice(p.nodes)) for _ in range(6)]
            check_floor(floor, p, g, pairs)
            check_tarvel_native(native, p, g, pairs)
        names = ["v%d" % i for i in range(n)]
        for directed in (True, False):
            p, g = write(scratch, directed, names, [(names[i], names[i + 1], 1) for i in range(n - 1)])
            floor, native = Answers(floor_lib, p), Answers(native_lib, p)
            pairs = [(names[0], names[-1]), (names[n // 2], names[n // 2 + 3])]
            check_floor(floor, p, g, pairs)
            check_tarvel_native(native, p, g, pairs)
    print("the floor and tarvel_native agree with tarvel's module on %d random graphs and on a path of %d nodes"
          % (rounds, n))


if __name__ == "__main__":
    main()
