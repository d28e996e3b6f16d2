"""Graphs shared by many threads, for a module built with a sanitizer: every
kind of read on several threads, writers adding nodes and edges one at a
time and in batches (names given as str and as bytearray, the latter
resized by another thread meanwhile), and garbage cycles whose finalizers
sleep, so that threads switch in the middle of making results. The
sanitizer reports any fault and fails the run; at the end each writer's
nodes and edges must be in the graph in its own call order, and the edges
must be exactly the initial ones and the successful writes.

    python sharing_stress.py [SECONDS]          (default 20)

Under AddressSanitizer + UndefinedBehaviorSanitizer:
    LD_PRELOAD=$(gcc -print-file-name=libasan.so) PYTHONMALLOC=malloc \\
    ASAN_OPTIONS=detect_leaks=0 PYTHONPATH=<asan build> python sharing_stress.py
Under ThreadSanitizer:
    LD_PRELOAD=$(gcc -print-file-name=libtsan.so) PYTHONPATH=<tsan build> python sharing_stress.py
"""
import collections
import os
import random
import sys
import tempfile
import threading
import time

import tarvel

try:
    import networkx  # noqa: F401 - toNetworkx needs it
    HAVE_NETWORKX = True
except ImportError:
    HAVE_NETWORKX = False

WRITERS = 3
READERS = 4


class Sleeper:
    """A garbage cycle whose finalizer lets other threads run."""

    def __init__(self):
        self.me = self

    def __del__(self):
        time.sleep(0.0001)


def litter():
    Sleeper()
    Sleeper()


def initial_graph(directed, rng):
    g = tarvel.Graph(directed)
    names = ["hub"] + ["n%d" % i for i in range(300)]
    g.addNodes(names)
    edges = [("hub", "n%d" % rng.randrange(300), rng.randint(1, 9)) for _ in range(3000)]
    edges += [("n%d" % rng.randrange(300), "n%d" % rng.randrange(300), rng.randint(0, 9)) for _ in range(1500)]
    g.addEdges(edges)
    return g, edges


def reader(g, seed, deadline, folder, failures, counts):
    rng = random.Random(seed)
    path = os.path.join(folder, "r%d.json" % seed)

    def heuristic(u, v):
        litter()
        return 0.0 if g.hasNode(v) and u in g else 1.0

    def progress(done, total):
        litter()
        g.nodes()

    reads = [
        lambda: g.neighbors("hub"),
        lambda: g.edges(),
        lambda: g.nodes(),
        lambda: g.save(path),
        lambda: g.shortestPath("hub", "n%d" % rng.randrange(300), tarvel.A_STAR, heuristic),
        lambda: g.shortestPath("n%d" % rng.randrange(300), "hub", tarvel.BFS, None),
        lambda: g.closenessCentrality(threads=2, progress=progress),
        lambda: g.betweennessCentrality(threads=2),
        lambda: g.minimumSpanningTree(tarvel.BORUVKA),
        lambda: g.connectedComponents(),
        lambda: g.edgeColoring(),
        lambda: g.pathWeight(["hub", g.neighbors("hub")[0][0]]),
        lambda: (repr(g), "hub" in g, g.nodeCount(), g.edgeCount()),
    ]
    if HAVE_NETWORKX:
        reads.append(lambda: g.toNetworkx())
    try:
        while time.monotonic() < deadline:
            if counts["reads"] % 4 == 0:
                litter()
            read = rng.choice(reads)
            read()
            counts["reads"] += 1
    except BaseException as error:  # noqa: BLE001 - reported by the main thread
        failures.append(("reader", seed, repr(error)))


def writer(g, k, deadline, failures, written):
    """Adds nodes named wK-... and edges from them, recording what succeeded."""
    rng = random.Random(100 + k)
    mine = written[k]
    usable = []  # the names as stored, to draw edge sources from
    name, lock = bytearray(), threading.Lock()

    def vandal():  # grows and shrinks the bytearray being written with, moving its buffer
        while time.monotonic() < deadline:
            with lock:
                name.extend(b"!" * 5000)
                del name[len(name) - 5000:]

    spoiler = threading.Thread(target=vandal)
    spoiler.start()
    try:
        serial = 0
        while time.monotonic() < deadline and serial < 1500:  # the reads stay quick
            serial += 1
            if serial % 8 == 0:
                litter()
            text = "w%d-%d" % (k, serial)
            kind = serial % 4
            if kind == 0:
                g.addNode(text)
                mine["nodes"].append(text)
                usable.append(text)
            elif kind == 1:
                with lock:
                    name[:] = text.encode()
                g.addNode(name)
                mine["nodes"].append(text)
                # The call may have read the name while the vandal had made
                # it longer; then the node is stored with the vandal's bytes.
                usable.append(text if text in g else text + "!" * 5000)
            elif kind == 2:
                batch = ["%s.%d" % (text, i) for i in range(rng.randint(1, 5))]
                g.addNodes(batch)
                mine["nodes"].extend(batch)
                usable.extend(batch)
            if usable:
                src = rng.choice(usable)
                edge = (src, rng.choice(["hub", "n1", src]), rng.randint(0, 5))
                if serial % 3 == 0:
                    batch = [edge] * rng.randint(1, 20)
                    g.addEdges([(bytearray(a.encode()), b, w) for a, b, w in batch])
                    mine["edges"].extend(batch)
                else:
                    g.addEdge(edge[0], bytearray(edge[1].encode()), edge[2])
                    mine["edges"].append(edge)
    except BaseException as error:  # noqa: BLE001
        failures.append(("writer", k, repr(error)))
    finally:
        spoiler.join()


def check(g, initial, written, failures):
    nodes = g.nodes()
    for k, mine in written.items():
        # A name written as the bytearray may have been read while the
        # vandal had made it longer: then it ends with the vandal's bytes.
        own = [n.rstrip("!") for n in nodes if n.startswith("w%d-" % k)]
        if own != mine["nodes"]:
            failures.append(("nodes of writer", k, len(own), len(mine["nodes"])))
        own_edges = [(e.getSource(), e.getDestination(), e.getWeight())
                     for e in g.edges() if e.getSource().startswith("w%d-" % k)]
        if own_edges != mine["edges"]:
            failures.append(("edges of writer", k, len(own_edges), len(mine["edges"])))
    expected = collections.Counter(initial)
    for mine in written.values():
        expected.update(mine["edges"])
    found = collections.Counter((e.getSource(), e.getDestination(), e.getWeight()) for e in g.edges())
    if found != expected:
        failures.append(("edges differ", len(found), len(expected)))


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 20.0
    rng = random.Random(5)
    folder = tempfile.mkdtemp()
    for directed in (True, False):
        g, initial = initial_graph(directed, rng)
        deadline = time.monotonic() + seconds / 2
        failures, counts = [], collections.Counter()
        written = {k: {"nodes": [], "edges": []} for k in range(WRITERS)}
        threads = [threading.Thread(target=reader, args=(g, s, deadline, folder, failures, counts))
                   for s in range(READERS)]
        threads += [threading.Thread(target=writer, args=(g, k, deadline, failures, written)) for k in range(WRITERS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        check(g, initial, written, failures)
        if failures:
            raise SystemExit("failures: %r" % failures[:10])
        print("%s: %d nodes, %d edges, %d reads, %d nodes and %d edges written" % (
            "directed" if directed else "undirected", g.nodeCount(), g.edgeCount(), counts["reads"],
            sum(len(m["nodes"]) for m in written.values()), sum(len(m["edges"]) for m in written.values())))
    print("sharing ok")


if __name__ == "__main__":
    main()
