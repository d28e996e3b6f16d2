"""Shortest path lengths and paths: the lengths networkx gives, of its
types, with its exceptions; the paths are shortest paths, possibly other
ones than networkx picks among equally short ones. Dicts list the nodes in
node order."""
import networkx as nx
import tarvel

from .dispatch import every, graph_ok, implements, length, weight_ok

BFS, DIJKSTRA, BELLMAN_FORD = tarvel.BFS, tarvel.DIJKSTRA, tarvel.BELLMAN_FORD
METHODS = ("dijkstra", "bellman-ford")
NEGATIVE_CYCLE = "Negative cycle detected"
INFINITY = float("inf")


def _cutoff_ok(cutoff):
    return cutoff is None or type(cutoff) in (int, float) or "cutoff of type %s" % type(cutoff).__name__


def _search(call):
    """Runs a tarvel search, its negative cycle as networkx reports it."""
    try:
        return call()
    except RuntimeError as error:
        if str(error) == NEGATIVE_CYCLE:
            raise nx.NetworkXUnbounded("Negative cycle detected.") from None
        raise


def _graph(G, weight, reverse=False):
    """(tarvel graph, Weights) for hop counts (weight None) or `weight`."""
    graph, weights = G.weighted(weight)
    if reverse:
        graph = G.reversed()
    return graph, weights


def _method(weight, method):
    """The search for `weight`: without one every edge weighs 1 for
    networkx, whose lengths are then hop counts, as a breadth-first search
    finds them (in whatever weights the converted graph holds)."""
    return BFS if weight is None else method


def _distances(G, graph, weights, source, method, cutoff=None, hops=False):
    """node -> distance from `source` in node order, the source at int 0;
    with a cutoff, the nodes networkx's search keeps."""
    found = _search(lambda: graph.distances(G.names[G.index[source]], method))
    node = G.by_name.__getitem__
    if hops:
        # networkx's breadth-first searches stop after the level that
        # reaches the cutoff: level L is kept when L - 1 < cutoff.
        keep = (lambda d: True) if cutoff is None else (lambda d: d == 0 or d - 1 < cutoff)
        return {node(k): d for k, d in found.items() if keep(d)}
    if method == BELLMAN_FORD:
        found = {k: d for k, d in found.items() if d != INFINITY}
    out = {node(k): length(d, weights) for k, d in found.items() if cutoff is None or d <= cutoff}
    out[source] = 0
    return out


def _beyond_bellman_ford(graph, method, path):
    """Whether `path` (tarvel names), which tarvel's search found, weighs
    +inf and so leads to a node networkx's Bellman-Ford counts as not
    reached (its Dijkstra counts it, at distance inf, as tarvel does)."""
    return method == BELLMAN_FORD and graph.pathWeight(path) == INFINITY


def _paths(G, graph, source, method):
    node = G.by_name.__getitem__
    found = _search(lambda: graph.shortestPaths(G.names[G.index[source]], method))
    return {node(k): list(map(node, p)) for k, p in found.items() if not _beyond_bellman_ford(graph, method, p)}


def _path(G, graph, source, target, method):
    names = G.names
    found = _search(lambda: graph.shortestPath(names[G.index[source]], names[G.index[target]], method, None))
    if _beyond_bellman_ford(graph, method, found):
        return []
    return list(map(G.by_name.__getitem__, found))


def _unreached(target):
    """networkx's message when its Bellman-Ford paths miss the target
    (absent or unreached): its path builder's, not the length's."""
    return f"Target {target} cannot be reached from given sources"


def _reach_before_missing_target(G, graph, source, method):
    """networkx searches from the source before it finds that the target is
    missing: a negative cycle on the way is reported first."""
    if method == BELLMAN_FORD:
        _search(lambda: graph.distances(G.names[G.index[source]], method))


# ---- checks -----------------------------------------------------------------


def _check_generic(G, source=None, target=None, weight=None, method="dijkstra"):
    return every(
        graph_ok(G, multigraph=True),
        method in METHODS or "method %r (networkx raises ValueError)" % (method,),
        source is not None or target is not None or "all pairs are answered by networkx",
        weight_ok(G, weight, negative=method == "bellman-ford", lengths=True),
    )


def _check_generic_paths(G, source=None, target=None, weight=None, method="dijkstra"):
    return every(
        graph_ok(G, multigraph=True),
        method in METHODS or "method %r (networkx raises ValueError)" % (method,),
        source is not None or target is not None or "all pairs are answered by networkx",
        weight_ok(G, weight, negative=method == "bellman-ford", lengths=False),
    )


def _check_dijkstra_pair(G, source, target, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=False, lengths=True))


def _check_dijkstra_pair_path(G, source, target, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=False, lengths=False))


def _check_bellman_ford_pair(G, source, target, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=True, lengths=True))


def _check_bellman_ford_pair_path(G, source, target, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=True, lengths=False))


def _check_unweighted_source(G, source, cutoff=None):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff))


def _check_dijkstra_source(G, source, cutoff=None, weight="weight"):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff), weight_ok(G, weight, negative=False, lengths=True))


def _check_dijkstra_source_path(G, source, cutoff=None, weight="weight"):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff), weight_ok(G, weight, negative=False, lengths=False))


def _check_bellman_ford_source(G, source, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=True, lengths=True))


def _check_bellman_ford_source_path(G, source, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=True, lengths=False))


def _check_dijkstra_both(G, source, target=None, cutoff=None, weight="weight"):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff), weight_ok(G, weight, negative=False, lengths=True))


def _check_bellman_ford_both(G, source, target=None, weight="weight"):
    return every(graph_ok(G, multigraph=True), weight_ok(G, weight, negative=True, lengths=True))


# ---- lengths ----------------------------------------------------------------


def _bfs_length(G, source, target):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} is not in G")
    if target not in G:
        raise nx.NodeNotFound(f"Target {target} is not in G")
    path = _path(G, G.graph, source, target, BFS)
    if not path:
        raise nx.NetworkXNoPath(f"No path between {source} and {target}.")
    return len(path) - 1


def _pair_length(G, source, target, weight, method):
    graph, weights = _graph(G, weight)
    search = _method(weight, method)
    if target not in G:
        _reach_before_missing_target(G, graph, source, search)
        raise nx.NetworkXNoPath(f"{'Node' if method == DIJKSTRA else 'node'} {target} not reachable from {source}")
    path = _path(G, graph, source, target, search)
    if not path:
        raise nx.NetworkXNoPath(f"{'Node' if method == DIJKSTRA else 'node'} {target} not reachable from {source}")
    if search == BFS:
        return len(path) - 1
    names = G.names
    return length(graph.pathWeight([names[G.index[n]] for n in path]), weights)


@implements(_check_generic)
def shortest_path_length(G, source=None, target=None, weight=None, method="dijkstra"):
    if source is not None and target is not None:
        if weight is None:
            return _bfs_length(G, source, target)
        if method == "dijkstra":
            return dijkstra_path_length.__wrapped__(G, source, target, weight)
        return bellman_ford_path_length.__wrapped__(G, source, target, weight)
    reverse = source is None
    start = target if reverse else source
    graph, weights = _graph(G, weight, reverse)
    if weight is None:
        if start not in G:
            raise nx.NodeNotFound(f"Source {start} is not in G")
        return _distances(G, graph, weights, start, BFS, hops=True)
    if method == "dijkstra":
        if start not in G:
            raise nx.NodeNotFound(f"Node {start} not found in graph")
        return _distances(G, graph, weights, start, DIJKSTRA)
    if start not in G:
        raise nx.NodeNotFound(f"Source {start} not in G")
    return _distances(G, graph, weights, start, BELLMAN_FORD)


@implements(_check_dijkstra_pair)
def dijkstra_path_length(G, source, target, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Node {source} not found in graph")
    if source == target:
        return 0
    return _pair_length(G, source, target, weight, DIJKSTRA)


@implements(_check_bellman_ford_pair)
def bellman_ford_path_length(G, source, target, weight="weight"):
    if source == target:
        if source not in G:
            raise nx.NodeNotFound(f"Node {source} not found in graph")
        return 0
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    return _pair_length(G, source, target, weight, BELLMAN_FORD)


@implements(_check_unweighted_source)
def single_source_shortest_path_length(G, source, cutoff=None):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} is not in G")
    return _distances(G, G.graph, None, source, BFS, cutoff, hops=True)


@implements(_check_dijkstra_source)
def single_source_dijkstra_path_length(G, source, cutoff=None, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Node {source} not found in graph")
    graph, weights = _graph(G, weight)
    return _distances(G, graph, weights, source, _method(weight, DIJKSTRA), cutoff)


@implements(_check_bellman_ford_source)
def single_source_bellman_ford_path_length(G, source, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    graph, weights = _graph(G, weight)
    return _distances(G, graph, weights, source, _method(weight, BELLMAN_FORD))


# ---- paths ------------------------------------------------------------------


@implements(_check_generic_paths)
def shortest_path(G, source=None, target=None, weight=None, method="dijkstra"):
    if source is not None and target is not None:
        if weight is None or method == "dijkstra":
            if source not in G:
                raise nx.NodeNotFound(f"Source {source} is not in G")
            if target not in G:
                raise nx.NodeNotFound(f"Target {target} is not in G")
            graph, _ = _graph(G, weight)
            path = _path(G, graph, source, target, BFS if weight is None else DIJKSTRA)
            if not path:
                raise nx.NetworkXNoPath(f"No path between {source} and {target}.")
            return path
        return bellman_ford_path.__wrapped__(G, source, target, weight)
    reverse = source is None
    start = target if reverse else source
    graph, _ = _graph(G, weight, reverse)
    if weight is None:
        if start not in G:
            raise nx.NodeNotFound(f"Source {start} not in G")
        method = BFS
    elif method == "dijkstra":
        if start not in G:
            raise nx.NodeNotFound(f"Node {start} not found in graph")
        method = DIJKSTRA
    else:
        if start not in G:
            raise nx.NodeNotFound(f"Source {start} not in G")
        method = BELLMAN_FORD
    paths = _paths(G, graph, start, method)
    if reverse:
        for node, path in paths.items():
            path.reverse()
    return paths


@implements(_check_dijkstra_pair_path)
def dijkstra_path(G, source, target, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Node {source} not found in graph")
    if source == target:
        return [target]
    graph, _ = _graph(G, weight)
    path = _path(G, graph, source, target, _method(weight, DIJKSTRA)) if target in G else []
    if not path:
        raise nx.NetworkXNoPath(f"No path to {target}.")
    return path


@implements(_check_bellman_ford_pair_path)
def bellman_ford_path(G, source, target, weight="weight"):
    if source == target:
        if source not in G:
            raise nx.NodeNotFound(f"Node {source} is not found in the graph")
        return [source]
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    graph, _ = _graph(G, weight)
    if target not in G:
        _reach_before_missing_target(G, graph, source, _method(weight, BELLMAN_FORD))
        path = []
    else:
        path = _path(G, graph, source, target, _method(weight, BELLMAN_FORD))
    if not path:
        raise nx.NetworkXNoPath(_unreached(target))
    return path


@implements(_check_unweighted_source)
def single_source_shortest_path(G, source, cutoff=None):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    paths = _paths(G, G.graph, source, BFS)
    if cutoff is not None:
        paths = {n: p for n, p in paths.items() if len(p) == 1 or len(p) - 2 < cutoff}
    return paths


@implements(_check_dijkstra_source_path)
def single_source_dijkstra_path(G, source, cutoff=None, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Node {source} not found in graph")
    graph, weights = _graph(G, weight)
    method = _method(weight, DIJKSTRA)
    paths = _paths(G, graph, source, method)
    if cutoff is not None:
        kept = _distances(G, graph, weights, source, method, cutoff)
        paths = {n: p for n, p in paths.items() if n in kept}
    return paths


@implements(_check_bellman_ford_source_path)
def single_source_bellman_ford_path(G, source, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    graph, _ = _graph(G, weight)
    return _paths(G, graph, source, _method(weight, BELLMAN_FORD))


@implements(_check_dijkstra_both)
def single_source_dijkstra(G, source, target=None, cutoff=None, weight="weight"):
    if source not in G:
        raise nx.NodeNotFound(f"Node {source} not found in graph")
    if target == source:
        return (0, [target])
    graph, weights = _graph(G, weight)
    method = _method(weight, DIJKSTRA)
    dist = _distances(G, graph, weights, source, method, cutoff)
    if target is None:
        paths = _paths(G, graph, source, method)
        return (dist, {n: p for n, p in paths.items() if n in dist})
    if target not in dist:
        raise nx.NetworkXNoPath(f"No path to {target}.")
    return (dist[target], _path(G, graph, source, target, method))


@implements(_check_bellman_ford_both)
def single_source_bellman_ford(G, source, target=None, weight="weight"):
    if source == target:
        if source not in G:
            raise nx.NodeNotFound(f"Node {source} is not found in the graph")
        return (0, [source])
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} not in G")
    graph, weights = _graph(G, weight)
    method = _method(weight, BELLMAN_FORD)
    dist = _distances(G, graph, weights, source, method)
    if target is None:
        return (dist, _paths(G, graph, source, method))
    if target not in dist:
        raise nx.NetworkXNoPath(_unreached(target))
    return (dist[target], _path(G, graph, source, target, method))
