"""The all-pairs centralities of a tarvel graph on a Dask cluster.

    import tarvel, tarvel_dask
    from distributed import Client
    client = Client("scheduler-address:8786")
    scores = tarvel_dask.betweennessCentrality(graph, client)

The sources are cut into chunks in node order; each task answers one chunk
with tarvel's own `betweennessCentrality(sources=...)` or
`closenessCentrality(nodes=...)` or `harmonicCentrality(nodes=...)` on a worker's copy of the graph, made by a
task from its pickled bytes, so that the scheduler makes it again when
workers die, all of them included. Closeness and harmonic chunks are joined: the result is the local call's,
to the bit. Betweenness chunks are summed in chunk order whatever order they
finish in, so the same graph and chunk size give the same bits on any
cluster; they differ from the local call's by rounding only (see
`docs/distributed.md`). A client closed during a run raises Dask's
ClosedClientError; a graph the cluster cannot make again (a restart), a
RuntimeError. Needs `distributed` (install `tarvel[dask]`).
"""
from ._centrality import betweennessCentrality, closenessCentrality, defaultChunk, harmonicCentrality

__all__ = ["betweennessCentrality", "closenessCentrality", "defaultChunk", "harmonicCentrality"]
