"""Dijkstra's search from several sources at once, the inner call of
networkx's single-source Dijkstra functions: networkx's lengths, of its
types, with its exceptions; a shortest path from the nearest source,
possibly another one than networkx picks among equally short ones. Dicts
list the nodes in node order. Multigraphs are read as networkx's searches
read them (graph.py's presented_adjacency)."""
import networkx as nx

from .dispatch import every, graph_ok, implements, length, weight_ok
from .paths import _cutoff_ok, _graph, _search

# Sources networkx iterates twice (checking them, then searching): an
# iterator would be empty the second time, which is networkx's to answer.
COLLECTIONS = (list, tuple, set, frozenset, dict)


def _check(G, sources, weight, cutoff, lengths):
    return every(
        graph_ok(G, multigraph=True),
        isinstance(sources, COLLECTIONS) or "sources of type %s" % type(sources).__name__,
        _cutoff_ok(cutoff),
        weight is not None or "weight=None (hop counts) is answered by networkx",
        weight_ok(G, weight, negative=False, lengths=lengths),
    )


def _check_lengths(G, sources, cutoff=None, weight="weight"):
    return _check(G, sources, weight, cutoff, lengths=True)


def _check_both(G, sources, target=None, cutoff=None, weight="weight"):
    return _check(G, sources, weight, cutoff, lengths=True)


def _check_paths(G, sources, cutoff=None, weight="weight"):
    return _check(G, sources, weight, cutoff, lengths=False)


def _names(G, sources):
    """The tarvel names of the sources, after networkx's checks of them."""
    if not sources:
        raise ValueError("sources must not be empty")
    for s in sources:
        if s not in G:
            raise nx.NodeNotFound(f"Node {s} not found in graph")
    names, index = G.names, G.index
    return [names[index[s]] for s in sources]


def _lengths(G, graph, weights, names, sources, cutoff):
    node = G.by_name.__getitem__
    found = _search(lambda: graph.multiSourceDistances(names, cutoff=cutoff))
    out = {node(k): length(d, weights) for k, d in found.items()}
    for s in sources:
        out[s] = 0  # an int, as networkx's start (keeps its place in the dict)
    return out


def _paths(G, graph, names, cutoff):
    node = G.by_name.__getitem__
    found = _search(lambda: graph.multiSourcePaths(names, cutoff=cutoff))
    return {node(k): list(map(node, p)) for k, p in found.items()}


@implements(_check_lengths)
def multi_source_dijkstra_path_length(G, sources, cutoff=None, weight="weight"):
    names = _names(G, sources)
    graph, weights = _graph(G, weight)
    return _lengths(G, graph, weights, names, sources, cutoff)


@implements(_check_both)
def multi_source_dijkstra(G, sources, target=None, cutoff=None, weight="weight"):
    names = _names(G, sources)
    if target in sources:
        return (0, [target])
    graph, weights = _graph(G, weight)
    if target is None:
        return (_lengths(G, graph, weights, names, sources, cutoff), _paths(G, graph, names, cutoff))
    if target not in G:
        raise nx.NetworkXNoPath(f"No path to {target}.")
    goal = G.names[G.index[target]]
    found = _search(lambda: graph.multiSourcePaths(names, cutoff=cutoff, goal=goal))
    if not found:
        raise nx.NetworkXNoPath(f"No path to {target}.")
    path = found[goal]
    return (length(graph.pathWeight(path), weights), list(map(G.by_name.__getitem__, path)))


@implements(_check_paths)
def multi_source_dijkstra_path(G, sources, cutoff=None, weight="weight"):
    names = _names(G, sources)
    graph, _ = _graph(G, weight)
    return _paths(G, graph, names, cutoff)
