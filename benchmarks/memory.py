"""What a tarvel graph keeps, in bytes per edge, for each kind of graph.

    python benchmarks/memory.py [--tiny]

Builds G(n, m) with n = 200,000 nodes and m = 1,000,000 edges (2,000 and
10,000 with --tiny) by addNodes and addEdges, then runs the reads that make
what reads keep (a Kosaraju pass makes a directed graph's incoming lists;
a search from both ends reads them), each kind in a fresh process: the
growth of the resident set once Python's garbage is collected, divided by
the edge count; the peak while building in brackets. The names and edge
lists exist before the measurement starts, so neither counts. Each edge
has distinct ends' names "n<i>" (about 7 characters).
"""
import json
import random
import subprocess
import sys
import tempfile

PROBE = r"""
import ctypes, gc, json, tarvel
def status(key):
    with open("/proc/self/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith(key))
names = json.load(open({names!r}))
edges = [tuple(e) for e in json.load(open({edges!r}))]
if {float_weights}:
    edges = [(a, b, w + 0.5) for a, b, w in edges]
gc.collect()
with open("/proc/self/clear_refs", "w") as f:
    f.write("5")
before = status("VmRSS:")
g = tarvel.Graph({directed}, weightType={weight_type})
g.addNodes(names)
g.addEdges(edges)
if {directed}:
    g.stronglyConnectedComponents(tarvel.KOSARAJU)
    g.shortestPath(names[0], names[-1], tarvel.BFS, None)
gc.collect()
# Memory the allocator keeps from the build's temporary tables is free, not
# the graph's: hand it back before reading the resident set.
ctypes.CDLL("libc.so.6").malloc_trim(0)
print(status("VmRSS:") - before, status("VmHWM:") - before)
"""


def main(tiny):
    rng = random.Random(7)
    n = 2000 if tiny else 200_000
    names = ["n%d" % i for i in range(n)]
    edges = [(names[rng.randrange(n)], names[rng.randrange(n)], rng.randint(1, 100)) for _ in range(5 * n)]
    with tempfile.NamedTemporaryFile("w", suffix=".json") as nf, \
            tempfile.NamedTemporaryFile("w", suffix=".json") as ef:
        json.dump(names, nf)
        json.dump(edges, ef)
        nf.flush()
        ef.flush()
        print("tarvel, %d nodes, %d edges: bytes per edge kept (peak while building)" % (n, len(edges)))
        for directed in (False, True):
            for weight_type in ("int", "float"):
                code = PROBE.format(names=nf.name, edges=ef.name, directed=directed,
                                    float_weights=weight_type == "float", weight_type=weight_type)
                out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
                kept, peak = (int(v) * 1024 / len(edges) for v in out.stdout.split())
                print("  %-10s %-5s %5.1f (%.1f)" % ("directed" if directed else "undirected", weight_type,
                                                    kept, peak))


if __name__ == "__main__":
    main("--tiny" in sys.argv)
