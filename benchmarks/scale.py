"""Scale checks of tarvel alone: large and extreme inputs that must stay fast.

    python benchmarks/scale.py            # full sizes
    python benchmarks/scale.py --small    # quick run at reduced sizes

Every operation runs on a path, a star and a complete graph, directed and
undirected, at the largest size its documented cost allows here: a million
nodes for the linear operations, fewer for edge coloring (edges x largest
degree) and for the all-pairs centralities (nodes x edges). Also: self-loops
against ordinary edges, closeness and betweenness on 10,000 nodes and 50,000
edges, a file of a million edges, and weights at the ends of the 32-bit range.
Prints seconds per measurement (best of a few runs for the quick ones).
"""
import argparse
import copy
import os
import pickle
import random
import tempfile
import time

import tarvel

LINEAR, COLOURING, ALL_PAIRS = "linear", "coloring", "all-pairs"


def timed(fn, repeat=1):
    best = None
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        spent = time.perf_counter() - start
        best = spent if best is None else min(best, spent)
    return best


def report(label, seconds):
    print(f"{label:<70} {seconds:9.3f} s", flush=True)
    return seconds


def shape(kind, n, directed, weight=1):
    names = [str(i) for i in range(n)]
    g = tarvel.Graph(directed)
    for name in names:
        g.addNode(name)
    if kind == "path":
        for i in range(n - 1):
            g.addEdge(names[i], names[i + 1], weight)
    elif kind == "star":
        for i in range(1, n):
            g.addEdge(names[0], names[i], weight)
    else:
        for i in range(n):
            for j in range(i + 1, n):
                g.addEdge(names[i], names[j], weight)
    return g, names


def operations(g, names, directed):
    first, last = names[0], names[-1]
    ops = [
        (LINEAR, "iterativeDFS", lambda: g.iterativeDFS(first)),
        (LINEAR, "connectedComponents", g.connectedComponents),
        (LINEAR, "hasCycle", g.hasCycle),
        (LINEAR, "nodeColoring", g.nodeColoring),
        (LINEAR, "isBipartite", g.isBipartite),
        (COLOURING, "edgeColoring", g.edgeColoring),
        (LINEAR, "degreeCentrality", g.degreeCentrality),
        (LINEAR, "katzCentrality (20 steps)", lambda: g.katzCentrality(max_iterations=20)),
        (ALL_PAIRS, "closenessCentrality", g.closenessCentrality),
        (ALL_PAIRS, "betweennessCentrality", g.betweennessCentrality),
    ]
    for m in (tarvel.BFS, tarvel.DIJKSTRA, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
        ops.append((LINEAR, "shortestPath " + m.name, lambda m=m: g.shortestPath(first, last, m, None)))
    ops.append((LINEAR, "shortestPath A_STAR", lambda: g.shortestPath(first, last, tarvel.A_STAR, lambda a, b: 0.0)))
    for m in (tarvel.KRUSKAL, tarvel.PRIM, tarvel.BORUVKA):
        ops.append((LINEAR, "minimumSpanningTree " + m.name, lambda m=m: g.minimumSpanningTree(m)))
    if directed:
        for m in (tarvel.TARJAN, tarvel.KOSARAJU):
            ops.append((LINEAR, "stronglyConnectedComponents " + m.name,
                        lambda m=m: g.stronglyConnectedComponents(m)))
    return ops


def shapes(small):
    sizes = {  # (path, star, complete) node counts per cost class
        LINEAR: (10_000, 10_000, 100) if small else (1_000_000, 1_000_000, 1_000),
        COLOURING: (10_000, 10_000, 60) if small else (1_000_000, 1_000_000, 300),
        ALL_PAIRS: (500, 500, 40) if small else (5_000, 5_000, 150),
    }
    for directed in (True, False):
        for position, kind in enumerate(("path", "star", "complete")):
            built = {}
            for cost, per_kind in sizes.items():
                n = per_kind[position]
                if n not in built:
                    built[n] = shape(kind, n, directed)
                g, names = built[n]
                for op_cost, label, op in operations(g, names, directed):
                    if op_cost == cost:
                        kind_label = f"{'directed' if directed else 'undirected'} {kind} of {n:,} nodes"
                        report(f"{kind_label}: {label}", timed(op))


def self_loops(n):
    names = [str(i) for i in range(n)]

    def build(pairs):
        g = tarvel.Graph(False)
        for name in names:
            g.addNode(name)
        add = g.addEdge
        for a, b in pairs:
            add(a, b, 1)

    loops = report(f"{n:,} undirected self-loops", timed(lambda: build([(x, x) for x in names]), 3))
    plain = report(f"{n:,} undirected ordinary edges",
                   timed(lambda: build([(names[i], names[(i + 1) % n]) for i in range(n)]), 3))
    print(f"  ratio self-loops / ordinary edges: {loops / plain:.2f}")


def all_pairs(n, m):
    rng = random.Random(1)
    g = tarvel.Graph(False)
    names = [str(i) for i in range(n)]
    for name in names:
        g.addNode(name)
    for _ in range(m):
        g.addEdge(rng.choice(names), rng.choice(names), 1)
    report(f"closenessCentrality, {n:,} nodes {m:,} edges", timed(g.closenessCentrality))
    report(f"betweennessCentrality, {n:,} nodes {m:,} edges", timed(g.betweennessCentrality))


def extreme_weights(n):
    for w in (2 ** 31 - 1, -2 ** 31):
        g, names = shape("path", n, True, w)

        def check():
            assert len(g.shortestPath(names[0], names[-1], tarvel.DIJKSTRA, None)) == n
            assert len(g.shortestPath(names[0], names[-1], tarvel.BELLMAN_FORD, None)) == n
            assert all(e.getWeight() == w for e in g.minimumSpanningTree(tarvel.KRUSKAL))
        report(f"directed path of {n:,} nodes, weights {w}: Dijkstra, Bellman-Ford, Kruskal", timed(check))


def load_file(m):
    rng = random.Random(2)
    n = m // 5
    g = tarvel.Graph(True)
    names = [f"node{i}" for i in range(n)]
    for name in names:
        g.addNode(name)
    for _ in range(m):
        g.addEdge(rng.choice(names), rng.choice(names), rng.randint(-100, 100))
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "big.json")
        report(f"save {m:,} edges", timed(lambda: g.save(path)))
        report(f"load {m:,} edges", timed(lambda: tarvel.Graph.load(path)))
    pickled = pickle.dumps(g)
    report(f"pickle.dumps {m:,} edges ({len(pickled) / 1e6:.1f} MB)", timed(lambda: pickle.dumps(g)))
    report(f"pickle.loads {m:,} edges", timed(lambda: pickle.loads(pickled)))
    report(f"copy.copy {m:,} edges", timed(lambda: copy.copy(g)))
    float_graph = tarvel.Graph(True, weightType=float)
    float_graph.addNodes(names)
    float_graph.addEdges([(rng.choice(names), rng.choice(names), rng.uniform(-100, 100)) for _ in range(m)])
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "big-float.json")
        report(f"save {m:,} float edges", timed(lambda: float_graph.save(path)))
        report(f"load {m:,} float edges", timed(lambda: tarvel.Graph.load(path, weightType=float)))
    pickled = pickle.dumps(float_graph)
    report(f"pickle.dumps {m:,} float edges", timed(lambda: pickle.dumps(float_graph)))
    report(f"pickle.loads {m:,} float edges", timed(lambda: pickle.loads(pickled)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--small", action="store_true", help="reduced sizes, for a quick check")
    small = parser.parse_args().small
    self_loops(3_000 if small else 300_000)
    shapes(small)
    all_pairs(*((500, 2_500) if small else (10_000, 50_000)))
    extreme_weights(1_000 if small else 100_000)
    load_file(10_000 if small else 1_000_000)


if __name__ == "__main__":
    main()
