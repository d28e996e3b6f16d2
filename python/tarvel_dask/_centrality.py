"""The front end: chunks, tasks, the ordered sum, progress and cancelling."""
import array
import math
import os
import uuid

from ._failures import reported, shipGraph

# For tests only: the name of a Dask Event that the first task of a call
# waits for, each time it starts, after putting its process id in the Dask
# Queue of the same name with "-pid" appended (so that a test can kill that
# worker while the task runs, and hear where the task starts again).
HOLD_VARIABLE = "TARVEL_DASK_HOLD_FIRST"


def defaultChunk(nodeCount):
    """Sources per task when none is given: ceil(V / 256), at least 1. It
    depends on the graph alone, never on the cluster, so the same graph gives
    the same chunks, and the same bits, everywhere."""
    return max(1, math.ceil(nodeCount / 256))


class _Stopped(Exception):
    """Raised inside a task whose call was cancelled."""


def _part(graph, kind, names, weighted, threads, stopName, holdName):
    """One task: betweenness from `names`, or closeness or harmonic
    centrality of `names`, as an array of doubles in node order (all nodes
    for betweenness, the names' for the others)."""
    from distributed import Event, Queue

    if holdName:
        Queue(holdName + "-pid").put(os.getpid())
        Event(holdName).wait()
    stop = Event(stopName)

    def progress(done, total):  # a few times a second: stop when the call was cancelled
        if stop.is_set():
            raise _Stopped("the call was cancelled")

    if kind == "betweenness":
        scores = graph.betweennessCentrality(sources=names, weighted=weighted, threads=threads, progress=progress)
    elif kind == "harmonic":
        scores = graph.harmonicCentrality(nodes=names, weighted=weighted, threads=threads, progress=progress)
    else:
        scores = graph.closenessCentrality(nodes=names, weighted=weighted, threads=threads, progress=progress)
    return array.array("d", scores.values())


def _run(kind, graph, client, chunk, weighted, threads, progress):
    from distributed import Event, as_completed

    if chunk is not None and (not isinstance(chunk, int) or isinstance(chunk, bool) or chunk < 1):
        raise ValueError("chunk must be a positive int or None")
    if not isinstance(threads, int) or isinstance(threads, bool) or threads < 1:
        raise ValueError("threads must be a positive int")
    if progress is not None and not callable(progress):
        raise TypeError("progress must be a callable or None")
    names = graph.nodes()
    n = len(names)
    size = chunk or defaultChunk(n)
    chunks = [names[k:k + size] for k in range(0, n, size)]
    stopName = "tarvel-stop-" + uuid.uuid4().hex
    stop = Event(stopName, client=client)
    holdName = os.environ.get(HOLD_VARIABLE, "")
    shipped = shipGraph(client, graph, "tarvel-graph-" + stopName[-12:])
    # A bounded number of chunks is out at once, so that the partial results
    # waiting for an earlier chunk stay few.
    window = max(4, 2 * sum(client.nthreads().values()))
    futures, results = {}, {}
    submitted = added = done = 0
    total = array.array("d", bytes(8 * n)) if kind == "betweenness" else array.array("d")
    pending = as_completed()

    def submit():
        nonlocal submitted
        future = client.submit(_part, shipped, kind, chunks[submitted], weighted, threads, stopName,
                               holdName if submitted == 0 else "", pure=False,
                               key="tarvel-%s-%s-%d" % (kind, stopName[-8:], submitted))
        futures[future.key] = submitted
        pending.add(future)
        submitted += 1

    try:
        while submitted < len(chunks) and submitted < window:
            submit()
        for future in pending:
            k = futures.pop(future.key)
            results[k] = future.result()  # an exception of the task reaches the caller here
            done += len(chunks[k])
            while added in results:  # in chunk order, whatever order they finished in
                part = results.pop(added)
                if kind == "betweenness":
                    total = array.array("d", [a + b for a, b in zip(total, part)])
                else:
                    total.extend(part)
                added += 1
            if submitted < len(chunks):
                submit()
            if progress is not None:
                progress(done, n)
    except BaseException as error:
        failure = reported(error, client, shipped)
        try:
            stop.set()  # running tasks stop at their next progress check
            client.cancel(list(pending.futures) + [shipped], force=True)
        except Exception:
            # A clean-up that fails (it does once the client is closed) is
            # chained to the failure, as its context, never put in its place.
            raise failure
        raise failure
    finally:
        pending.clear()
    client.cancel([shipped])
    return dict(zip(names, total))


def betweennessCentrality(graph, client, *, chunk=None, weighted=False, threads=1, progress=None):
    """tarvel's betweennessCentrality() of `graph` on the Dask cluster of
    `client`: the same dict, in node order, within the rounding bound of
    docs/distributed.md (about 2(V - 1) x 2**-53 relatively); the same bits
    for the same graph and chunk size on any cluster.

    chunk: sources per task (None: defaultChunk(V)); weighted: over
    least-weight paths, as the local call's `weighted`; threads: threads per
    task (1, so that a worker's task slots do not oversubscribe its cores);
    progress(done, total): called in this process with the sources done and
    V as chunks finish. Ctrl-C or an exception raised by progress cancels
    the tasks still to run and stops the running ones at their next progress
    check; an exception of a task reaches the caller. Workers that die, all
    of them included, change nothing: the scheduler makes the graph again.
    Raises distributed's ClosedClientError when the client is closed during
    the run, RuntimeError when the cluster lost the graph's copies and
    cannot make them again (it was restarted)."""
    return _run("betweenness", graph, client, chunk, bool(weighted), threads, progress)


def closenessCentrality(graph, client, *, chunk=None, weighted=False, threads=1, progress=None):
    """tarvel's closenessCentrality() of `graph` on the Dask cluster of
    `client`: the same dict, to the bit (each node's score is its own
    search). Arguments as for betweennessCentrality."""
    return _run("closeness", graph, client, chunk, bool(weighted), threads, progress)


def harmonicCentrality(graph, client, *, chunk=None, weighted=False, threads=1, progress=None):
    """tarvel's harmonicCentrality() of `graph` on the Dask cluster of
    `client`: the same dict, to the bit (each node's score is its own
    search). Arguments as for betweennessCentrality."""
    return _run("harmonic", graph, client, chunk, bool(weighted), threads, progress)
