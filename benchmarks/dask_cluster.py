"""tarvel's centralities on a Dask cluster against the local call, on this
machine: a LocalCluster of worker processes, one thread each.

    python benchmarks/dask_cluster.py [--small]

Prints, for betweenness and closeness: the local call's time (every core),
the distributed call's, the overhead per chunk, the bytes shipped (the
pickled graph, V doubles back per betweenness chunk), the time to make the
graph on every worker, and the cost per source of one search.
Needs distributed (Python 3.10 or later).
"""
import os
import pickle
import random
import sys
import time

import tarvel
import tarvel_dask
from distributed import Client, LocalCluster, wait
from tarvel_dask._failures import shipGraph


def graph(n, m, seed=1):
    rng = random.Random(seed)
    g = tarvel.Graph(False)
    names = ["n%d" % i for i in range(n)]
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), 1) for _ in range(m)])
    return g


def ship(client, g):
    """The graph's task, as a run submits it, and a copy on every worker, as
    the run's first tasks get one: the first worker makes it, the others
    fetch it from a worker that holds it."""
    shipped = shipGraph(client, g, "benchmark-graph")
    wait([client.submit(tarvel.Graph.nodeCount, shipped, workers=[worker], pure=False)
          for worker in client.nthreads()])
    return shipped


def timed(call):
    start = time.perf_counter()
    result = call()
    return time.perf_counter() - start, result


def main(small):
    n, m = (3000, 15000) if small else (20000, 100000)
    g = graph(n, m)
    workers = os.cpu_count() or 2
    print(f"graph: {n:,} nodes, {m:,} undirected edges; {workers} worker processes of one thread each")
    shipped = len(pickle.dumps(g))
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        seconds, future = timed(lambda: ship(client, g))
        client.cancel([future])
        print(f"pickled graph: {shipped / 1e6:.2f} MB; making it on every worker: {seconds:.3f} s")
        for kind in ("betweenness", "closeness"):
            local, _ = timed(lambda: getattr(g, kind + "Centrality")(threads=workers))
            one, _ = timed(lambda: getattr(g, kind + "Centrality")(threads=1))
            chunk = tarvel_dask.defaultChunk(n)
            chunks = -(-n // chunk)
            distributed, _ = timed(lambda: getattr(tarvel_dask, kind + "Centrality")(g, client))
            per_source = one / n
            back = chunks * (8 * n if kind == "betweenness" else 8 * chunk)
            print(f"{kind}: one thread {one:.3f} s ({per_source * 1e6:.1f} µs a source); local, {workers} threads "
                  f"{local:.3f} s; Dask, {chunks} chunks of {chunk} {distributed:.3f} s; overhead per chunk against "
                  f"the local call on as many cores {(distributed - local) / chunks * 1e3:.1f} ms; results sent back "
                  f"{back / 1e6:.2f} MB")


if __name__ == "__main__":
    main("--small" in sys.argv)
