"""Minimum spanning forests by tarvel's Kruskal: a minimum forest, possibly
another than networkx picks among equally light ones."""
import tarvel

from .dispatch import every, graph_ok, implements, weights_of

ALGORITHMS = ("kruskal", "prim", "boruvka")


def _check(G, weight, algorithm, *, data_kept):
    answer = every(
        graph_ok(G),
        not G.is_directed() or "directed graphs (networkx raises NetworkXNotImplemented)",
        algorithm in ALGORITHMS or "algorithm %r (networkx raises ValueError)" % (algorithm,),
        not callable(weight) or "weight functions are answered by networkx",
        data_kept or "the graph was converted without its attributes",
    )
    if answer is not True:
        return answer
    weights = weights_of(G, weight)
    if weights is None:
        return "the graph was converted without the attribute %r" % (weight,)
    return weights.reason if weights.kind is None else True


def _kept(G):
    return not hasattr(G, "by_name") or G.edge_data is not None


def _check_tree(G, weight="weight", algorithm="kruskal", ignore_nan=False):
    return _check(G, weight, algorithm, data_kept=_kept(G))


def _check_edges(G, algorithm="kruskal", weight="weight", keys=True, data=True, ignore_nan=False):
    return _check(G, weight, algorithm, data_kept=not data or _kept(G))


def _forest(G, weight):
    """The forest's edges as (u index, v index), u the lower index, in
    Kruskal's order (ascending weight, then indices)."""
    graph = G.weighted(weight)[0]
    # Both directions of every edge are in the graph: Kruskal keeps the one
    # from the lower index, which comes first among equal weights. A node's
    # name is its index.
    return [(int(e.source), int(e.destination)) for e in graph.minimumSpanningTree(tarvel.KRUSKAL)]


def _data(G):
    return {(u, v): d for u, v, d in G.edge_data}


@implements(_check_edges)
def minimum_spanning_edges(G, algorithm="kruskal", weight="weight", keys=True, data=True, ignore_nan=False):
    nodes = G.nodes
    forest = _forest(G, weight)
    if not data:
        return iter([(nodes[u], nodes[v]) for u, v in forest])
    found = _data(G)
    return iter([(nodes[u], nodes[v], found[u, v]) for u, v in forest])


@implements(_check_tree)
def minimum_spanning_tree(G, weight="weight", algorithm="kruskal", ignore_nan=False):
    nodes = G.nodes
    found = _data(G)
    T = G.graph_class()
    T.graph.update(G.graph_data)
    T.add_nodes_from(zip(nodes, G.node_data))
    T.add_edges_from((nodes[u], nodes[v], found[u, v]) for u, v in _forest(G, weight))
    return T
