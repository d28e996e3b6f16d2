"""How soon Ctrl-C stops each long operation.

    python benchmarks/interrupts.py            # the sizes of the table in docs/python-api.md
    python benchmarks/interrupts.py --small    # quicker, for the tests

Each operation starts on a graph big enough to run for seconds; a small
process sends this process SIGINT shortly after, and the time from the signal
to the KeyboardInterrupt that ends the operation is the latency. Afterwards
the graph must answer as it did before. Prints one JSON object: operation ->
latency in seconds (null when the signal did not come while the operation
ran: it ended first, or a busy machine delivered the signal before it began).
"""
import json
import os
import random
import signal
import sys
import tempfile
import subprocess
import threading
import time

import tarvel


def build(directed, n, m, seed, weights=(1, 100), dag=False):
    rng = random.Random(seed)
    names = ["n%d" % i for i in range(n)]
    g = tarvel.Graph(directed)
    g.addNodes(names)
    edges = []
    for _ in range(m):
        a, b = rng.randrange(n), rng.randrange(n)
        if dag:
            if a == b:
                continue
            a, b = min(a, b), max(a, b)
        edges.append((names[a], names[b], rng.randint(*weights)))
    g.addEdges(edges)
    return g


def fingerprint(g):
    degrees = g.degreeCentrality()
    first, last = next(iter(degrees)), list(degrees)[-1]
    return len(degrees), sum(degrees.values()), g.edgeCount(), g.shortestPath(first, last, tarvel.BFS, None)


SENDER = """
import os, signal, sys, time
parent = int(sys.argv[1])
for line in sys.stdin:
    time.sleep(float(line))
    sent = time.perf_counter()  # CLOCK_MONOTONIC: the same clock in both processes
    os.kill(parent, signal.SIGINT)
    print(repr(sent), flush=True)
"""


class Sender:
    """Sends this process SIGINT from a small process of its own, as Ctrl-C
    comes from outside: a thread of this process could not send it while
    an operation holds the interpreter lock (the building calls do), and a
    process forked from a big one would slow it down by sharing its pages."""

    def __init__(self):
        self.process = subprocess.Popen([sys.executable, "-c", SENDER, str(os.getpid())],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def after(self, delay):
        self.process.stdin.write("%r\n" % delay)
        self.process.stdin.flush()

    def sent(self):
        return float(self.process.stdout.readline())


def latency(sender, call, delay):
    """Seconds from SIGINT to the KeyboardInterrupt that ends call(), or
    None when the signal did not come while call() ran: a busy machine may
    deliver it after call() ended, or before call() started."""
    caught = None
    running = False
    try:
        sender.after(delay)
        running = True
        call()
    except KeyboardInterrupt:
        if running:
            caught = time.perf_counter()
    else:
        absorb()
    sent = sender.sent()
    return None if caught is None else caught - sent


def absorb():
    """Waits for a SIGINT still on its way (the operation ended first) and
    takes it here, however late it comes."""
    arrived = threading.Event()
    try:
        signal.signal(signal.SIGINT, lambda number, frame: arrived.set())
    except KeyboardInterrupt:  # it came before that handler
        arrived.set()
    try:
        while not arrived.wait(0.1):  # a wait the handler can run in on every interpreter
            pass
    finally:
        signal.signal(signal.SIGINT, signal.default_int_handler)


def main(small):
    # A process started in the background by a shell without job control
    # (a script's `command &`) inherits SIGINT ignored, and the interpreter
    # leaves it so: no signal would ever stop an operation, and the endless
    # Katz iteration below would run for ever.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    sender = Sender()
    scale = 0.2 if small else 1.0
    n = int(200_000 * scale)
    big = build(False, n, 6 * n, 1)
    trees = big if not small else build(False, 200_000, 1_200_000, 4)
    # Negative weights make Dijkstra expand nodes again: here every a_i
    # improves b_1 once more, and the whole chain after it is expanded again.
    steps = int(3000 * scale ** 0.5)
    negative = tarvel.Graph(True)
    negative.addNodes(["s"] + ["a%d" % i for i in range(steps)] + ["b%d" % i for i in range(steps)])
    negative.addEdges([("s", "a%d" % i, i) for i in range(steps)] +
                      [("a%d" % i, "b0", -2 * i) for i in range(steps)] +
                      [("b%d" % i, "b%d" % (i + 1), 0) for i in range(steps - 1)])
    chain = tarvel.Graph(True)  # Bellman-Ford needs one pass per node on a chain listed backwards
    length = int(40_000 * scale)
    names = ["c%d" % i for i in range(length)]
    chain.addNodes(names)
    chain.addEdges([(names[i + 1], names[i], 1) for i in range(length - 1)])
    star = tarvel.Graph(False)
    leaves = ["l%d" % i for i in range(int(3_000_000 * scale))]
    star.addNodes(["hub"] + leaves)
    star.addEdges([("hub", leaf, 1) for leaf in leaves])
    # Bulk building: every name new, every edge between existing nodes.
    fresh = ["f%d" % i for i in range(int(3_000_000 * scale))]
    rng = random.Random(9)
    bulk_edges = [("n%d" % rng.randrange(n), "n%d" % rng.randrange(n), 1) for _ in range(int(7_200_000 * scale))]
    folder = tempfile.mkdtemp()
    saved = os.path.join(folder, "big.json")
    big.save(saved)
    operations = [
        ("closenessCentrality", big, lambda: big.closenessCentrality()),
        ("betweennessCentrality", big, lambda: big.betweennessCentrality()),
        ("katzCentrality (no end)", big, lambda: big.katzCentrality(0.5, 1.0, 2 ** 31 - 1, -1.0)),
        ("shortestPath BELLMAN_FORD", chain, lambda: chain.shortestPath(names[-1], names[0], tarvel.BELLMAN_FORD, None)),
        ("shortestPath DIJKSTRA, negative weights", negative,
         lambda: negative.shortestPath("s", "b%d" % (steps - 1), tarvel.DIJKSTRA, None)),
        ("shortestPath A_STAR, Python heuristic", trees,
         lambda: trees.shortestPath("n0", "n1", tarvel.A_STAR, lambda a, b: 0.0)),
        ("edgeColoring", star, lambda: star.edgeColoring()),
        ("minimumSpanningTree KRUSKAL", trees, lambda: trees.minimumSpanningTree(tarvel.KRUSKAL)),
        ("minimumSpanningTree PRIM", trees, lambda: trees.minimumSpanningTree(tarvel.PRIM)),
        ("minimumSpanningTree BORUVKA", trees, lambda: trees.minimumSpanningTree(tarvel.BORUVKA)),
        ("save", big, lambda: big.save(os.path.join(folder, "again.json"))),
        ("load", big, lambda: tarvel.Graph.load(saved)),
        ("addNodes", big, lambda: big.addNodes(fresh)),
        ("addEdges", big, lambda: big.addEdges(bulk_edges)),
    ]
    results = {}
    for name, graph, call in operations:
        before = fingerprint(graph)
        results[name] = latency(sender, call, 0.02)
        if fingerprint(graph) != before:
            raise SystemExit("%s: the graph changed" % name)
    print(json.dumps(results))


if __name__ == "__main__":
    main("--small" in sys.argv)
