"""What a call does when the cluster loses what it was given: the graph is
shipped as a task the scheduler can run again, and a failed call reports
what went wrong (a closed client, a graph the cluster could not make
again) rather than what it broke on the way."""
import pickle
import warnings


def _graphFrom(data):
    """The task whose result is the graph: it unpickles the bytes the
    scheduler holds in its task, so the scheduler can make the graph again
    on any worker when every copy was lost with its workers."""
    return pickle.loads(data)


def shipGraph(client, graph, key):
    """A future of `graph` on the cluster of `client`. Data scattered to the
    workers dies with the last of them; a task's result is made again. The
    bytes are cloudpickled, so that a subclass defined in `__main__` reaches
    the workers by value."""
    import cloudpickle

    data = cloudpickle.dumps(graph, protocol=pickle.HIGHEST_PROTOCOL)
    with warnings.catch_warnings():
        # Dask's warning about a large task advises scattering, which is
        # what lost the graph with its workers.
        warnings.filterwarnings("ignore", message="Sending large graph", category=UserWarning)
        return client.submit(_graphFrom, data, key=key, pure=False)


def reported(error, client, shipped):
    """The exception a call raises for `error`, which stopped it: Dask's
    ClosedClientError when the client was closed under it, a RuntimeError
    when the cluster lost every copy of the graph and cannot make it again,
    else `error` itself (Ctrl-C, an exception of progress or of a task). The
    new exceptions are raised while `error` is handled, so it is their
    context."""
    from concurrent.futures import CancelledError

    from distributed import KilledWorker
    from distributed.client import ClosedClientError
    from distributed.comm.core import CommClosedError

    # A result being fetched when the client closes ends in CommClosedError
    # (its connection closed), a chunk not yet fetched in CancelledError.
    if isinstance(error, CommClosedError) and client.status in ("closing", "closed"):
        return ClosedClientError("the Dask client was closed during the run")
    if not isinstance(error, (CancelledError, ClosedClientError, KilledWorker)):
        return error
    if client.status in ("closing", "closed"):
        return ClosedClientError("the Dask client was closed during the run")
    # The graph's task was forgotten (a restart of the cluster) or failed
    # for good (its workers died each time it was made). A graph whose copies
    # are lost while the scheduler makes it again ("lost", then "pending") is
    # not reported: a chunk's own KilledWorker is.
    if shipped.status in ("cancelled", "error"):
        return RuntimeError("the cluster lost the graph's copies and cannot make them again (%s: %s)"
                            % (type(error).__name__, error))
    return error
