"""Readers and writers of one graph on several threads, for a module built
with ThreadSanitizer: the sanitizer reports any data race and fails the run.

    LD_PRELOAD=$(gcc -print-file-name=libtsan.so) PYTHONPATH=<tsan build> python threads_under_tsan.py
"""
import random
import threading

import tarvel


def main():
    rng = random.Random(8)
    g = tarvel.Graph(False)
    names = ["n%d" % i for i in range(400)]
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), rng.randint(1, 9)) for _ in range(2000)])
    errors = []

    def reader(k):
        try:
            for _ in range(3):
                g.betweennessCentrality(threads=2)
                g.closenessCentrality(threads=2)
                g.katzCentrality(max_iterations=20, threads=2)
                g.minimumSpanningTree(tarvel.BORUVKA)
                g.shortestPath(names[k], names[-1], tarvel.DIJKSTRA, None)
                g.shortestPath(names[k], names[-1], tarvel.A_STAR, lambda a, b: 0.0)
                g.connectedComponents()
        except Exception as error:  # noqa: BLE001 - reported below
            errors.append(error)

    def writer():
        try:
            for i in range(200):
                g.addNode("w%d" % i)
                g.addEdge("w%d" % i, rng.choice(names), 1)
            g.addEdges([("w0", "w1", 2)] * 50)
        except Exception as error:  # noqa: BLE001
            errors.append(error)

    threads = [threading.Thread(target=reader, args=(k,)) for k in range(3)] + [threading.Thread(target=writer)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not errors, errors
    assert g.hasNode("w199")
    print("threads ok")


if __name__ == "__main__":
    main()
