"""A short run of the installed module on the interpreter at hand: each
family of operations once, on graphs whose answers are worked out by hand.
Exits 1 naming what differs."""
import os
import platform
import subprocess
import sys
import tempfile

import tarvel

g = tarvel.Graph(False)  # a - b - c - d with a heavy shortcut a - c
g.addNodes(["a", "b", "c", "d"])
g.addEdges([("a", "b", 1), ("b", "c", 2), ("a", "c", 5), ("c", "d", 1)])
one_way = tarvel.Graph(True)  # x <-> y -> z
one_way.addNodes(["x", "y", "z"])
one_way.addEdges([("x", "y", 1), ("y", "x", 2), ("y", "z", 3)])
with tempfile.TemporaryDirectory() as folder:
    g.save(os.path.join(folder, "g.json"))
    loaded = tarvel.Graph.load(os.path.join(folder, "g.json"))
try:
    g.pathWeight(["a", "d"])
    refused = None
except ValueError as error:
    refused = str(error)

# In a subinterpreter that shares the main interpreter's lock: imported on
# 3.12 and later, refused before (where importing would wait for ever).
SUBINTERPRETER = """
import sys
try:
    import _interpreters as interpreters
    interpreter = interpreters.create("legacy")
except ImportError:
    import _xxsubinterpreters as interpreters
    interpreter = interpreters.create(**({"isolated": False} if sys.version_info >= (3, 12) else {}))
interpreters.run_string(interpreter, '''if True:
    import os
    try:
        import tarvel
        os.write(1, repr(tarvel.Graph(True).shortestPath("a", "a", tarvel.BFS, None)).encode())
    except ImportError as error:
        os.write(1, b"refused" if "subinterpreters are not supported" in str(error) else str(error).encode())
''')
"""
try:
    subinterpreter = subprocess.run([sys.executable, "-c", SUBINTERPRETER], capture_output=True, text=True,
                                    timeout=60).stdout
except subprocess.TimeoutExpired:
    subinterpreter = "waited for a minute"


def triples(edges):
    return [(e.getSource(), e.getDestination(), e.getWeight()) for e in edges]


checks = {
    "least weight": (g.shortestPath("a", "d", tarvel.DIJKSTRA, None), ["a", "b", "c", "d"]),
    "A*": (g.shortestPath("a", "d", tarvel.A_STAR, lambda u, v: 0.0), ["a", "b", "c", "d"]),
    "fewest edges": (g.shortestPath("a", "d", tarvel.BFS, None), ["a", "c", "d"]),
    "path weight": (g.pathWeight(["a", "b", "c", "d"]), 4),
    "no edge": (refused, "item 0: no edge between a and d"),
    "spanning tree": (triples(g.minimumSpanningTree()), [("a", "b", 1), ("c", "d", 1), ("b", "c", 2)]),
    "degrees": (g.degreeCentrality(), {"a": 2.0, "b": 2.0, "c": 3.0, "d": 1.0}),
    "components": (g.connectedComponents(), [["a", "b", "c", "d"]]),
    "strong components": (one_way.stronglyConnectedComponents(), [["z"], ["y", "x"]]),
    "neighbors": (one_way.neighbors("y"), [("x", 2), ("z", 3)]),
    "save and load": (triples(loaded.edges()), triples(g.edges())),
    "repr": (repr(g), "<tarvel.Graph undirected, 4 nodes, 4 edges>"),
    "subinterpreter": (subinterpreter, "['a']" if sys.version_info >= (3, 12) else "refused"),
}
failed = ["%s: %r, not %r" % (name, got, expected) for name, (got, expected) in checks.items() if got != expected]
print("smoke run on Python %s: %d of %d checks hold" % (platform.python_version(), len(checks) - len(failed),
                                                        len(checks)))
for line in failed:
    print("  differs: " + line)
sys.exit(1 if failed else 0)
