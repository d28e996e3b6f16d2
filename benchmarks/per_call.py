"""The cost of one call of the most frequent methods on a tiny graph, for two
builds of the module taking turns: each round runs a child process on each
build (the module found first on the child's PYTHONPATH), in alternating
order, so both see the same machine load; the report is each operation's
median over the rounds.

    python benchmarks/per_call.py OLD_DIR NEW_DIR [--rounds N]

OLD_DIR and NEW_DIR each hold a built module (tarvel*.so), e.g. one
installed with `pip install --target OLD_DIR .` from another checkout.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import timeit

CALLS = 20000  # calls per timing


def measure():
    """{operation: nanoseconds per call}, the best of a few timings, in this process."""
    import tarvel

    names = ["n%d" % i for i in range(CALLS)]
    small = ["a", "b", "c", "d", "e"]
    pairs = [(small[i % 5], small[(i * 3 + 1) % 5]) for i in range(CALLS)]

    def tiny():
        g = tarvel.Graph(False)
        g.addNodes(small)
        for a, b, w in (("a", "b", 1), ("b", "c", 2), ("c", "d", 1), ("d", "e", 3), ("a", "e", 9)):
            g.addEdge(a, b, w)
        return g

    def fresh_add_node():
        g = tarvel.Graph(False)
        start = timeit.default_timer()
        for n in names:
            g.addNode(n)
        return timeit.default_timer() - start

    def fresh_add_edge():
        g = tarvel.Graph(False)
        g.addNodes(small)
        start = timeit.default_timer()
        for a, b in pairs:
            g.addEdge(a, b, 1)
        return timeit.default_timer() - start

    g = tiny()
    loops = {
        "hasNode": lambda: [g.hasNode("c") for _ in range(CALLS)],
        "neighbors": lambda: [g.neighbors("c") for _ in range(CALLS)],
        "shortestPath": lambda: [g.shortestPath("a", "e", tarvel.DIJKSTRA, None) for _ in range(CALLS)],
    }
    out = {}
    out["addNode"] = min(fresh_add_node() for _ in range(7)) / CALLS * 1e9
    out["addEdge"] = min(fresh_add_edge() for _ in range(7)) / CALLS * 1e9
    for name, loop in loops.items():
        out[name] = min(timeit.repeat(loop, number=1, repeat=7)) / CALLS * 1e9
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rounds", type=int, default=11)
    args = parser.parse_args()
    runs = {"old": [], "new": []}
    for round in range(args.rounds):
        for which in ("old", "new") if round % 2 == 0 else ("new", "old"):
            env = dict(os.environ, PYTHONPATH=os.path.abspath(getattr(args, which)))
            child = subprocess.run([sys.executable, __file__, "--child"], env=env, check=True,
                                   stdout=subprocess.PIPE, universal_newlines=True)
            runs[which].append(json.loads(child.stdout))
    print("%-14s %10s %10s %8s" % ("operation", "old ns", "new ns", "new/old"))
    for op in runs["old"][0]:
        old = statistics.median(r[op] for r in runs["old"])
        new = statistics.median(r[op] for r in runs["new"])
        print("%-14s %10.1f %10.1f %8.3f" % (op, old, new, new / old))


if __name__ == "__main__":
    if sys.argv[1:] == ["--child"]:
        print(json.dumps(measure()))
    else:
        main()
