"""Scale checks of tarvel alone: large inputs that must stay fast.

    python benchmarks/scale.py            # full sizes
    python benchmarks/scale.py --small    # quick run at reduced sizes

Prints one line per measurement (seconds, best of a few runs) and the ratios
that matter: self-loops against ordinary edges, every traversal operation on
a path of a million nodes, closeness and betweenness on 10,000 nodes and
50,000 edges, and loading a file of a million edges.
"""
import argparse
import os
import random
import tempfile
import time

import tarvel


def best(fn, repeat=3):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def report(label, seconds):
    print(f"{label:<62} {seconds:9.3f} s", flush=True)
    return seconds


def self_loops(n):
    names = [str(i) for i in range(n)]

    def build(pairs):
        g = tarvel.Graph(False)
        for name in names:
            g.addNode(name)
        add = g.addEdge
        for a, b in pairs:
            add(a, b, 1)

    loops = report(f"{n:,} undirected self-loops", best(lambda: build([(x, x) for x in names])))
    plain = report(f"{n:,} undirected ordinary edges",
                   best(lambda: build([(names[i], names[(i + 1) % n]) for i in range(n)])))
    print(f"  ratio self-loops / ordinary edges: {loops / plain:.2f}")


def long_path(n):
    names = [str(i) for i in range(n)]
    for directed in (True, False):
        g = tarvel.Graph(directed)
        for name in names:
            g.addNode(name)
        for i in range(n - 1):
            g.addEdge(names[i], names[i + 1], 1)
        kind = "directed" if directed else "undirected"
        ops = {
            "iterativeDFS": lambda: g.iterativeDFS("0"),
            "connectedComponents": g.connectedComponents,
            "hasCycle": g.hasCycle,
            "nodeColoring": g.nodeColoring,
            "isBipartite": g.isBipartite,
            "edgeColoring": g.edgeColoring,
            "shortestPath BFS": lambda: g.shortestPath("0", names[-1], tarvel.BFS, None),
            "shortestPath DIJKSTRA": lambda: g.shortestPath("0", names[-1], tarvel.DIJKSTRA, None),
            "minimumSpanningTree KRUSKAL": lambda: g.minimumSpanningTree(tarvel.KRUSKAL),
            "minimumSpanningTree PRIM": lambda: g.minimumSpanningTree(tarvel.PRIM),
            "minimumSpanningTree BORUVKA": lambda: g.minimumSpanningTree(tarvel.BORUVKA),
            "degreeCentrality": g.degreeCentrality,
            "katzCentrality": lambda: g.katzCentrality(max_iterations=20),
        }
        if directed:
            ops["stronglyConnectedComponents TARJAN"] = lambda: g.stronglyConnectedComponents(tarvel.TARJAN)
            ops["stronglyConnectedComponents KOSARAJU"] = lambda: g.stronglyConnectedComponents(tarvel.KOSARAJU)
        for name, op in ops.items():
            report(f"{kind} path of {n:,} nodes: {name}", best(op, repeat=1))


def all_pairs(n, m):
    rng = random.Random(1)
    g = tarvel.Graph(False)
    names = [str(i) for i in range(n)]
    for name in names:
        g.addNode(name)
    for _ in range(m):
        g.addEdge(rng.choice(names), rng.choice(names), 1)
    report(f"closenessCentrality, {n:,} nodes {m:,} edges", best(g.closenessCentrality, repeat=1))
    report(f"betweennessCentrality, {n:,} nodes {m:,} edges", best(g.betweennessCentrality, repeat=1))


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
        report(f"save {m:,} edges", best(lambda: g.save(path), repeat=1))
        report(f"load {m:,} edges", best(lambda: tarvel.Graph.load(path), repeat=1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--small", action="store_true", help="reduced sizes, for a quick check")
    small = parser.parse_args().small
    self_loops(3_000 if small else 300_000)
    long_path(10_000 if small else 1_000_000)
    all_pairs(*((500, 2_500) if small else (10_000, 50_000)))
    load_file(10_000 if small else 1_000_000)


if __name__ == "__main__":
    main()
