"""The local queries, which read the part of a graph near a node or two:
bidirectional_shortest_path (networkx's own path, from tarvel's two-ended
search) and ego_graph (the nodes found by tarvel, the graph copied from the
networkx graph by networkx's own subgraph copy). should_run answers them
only from a cached conversion (backend.py): converting costs O(V + E),
their answer far less."""
import math

import networkx as nx

import tarvel

from .dispatch import every, graph_ok, implements
from .graph import TarvelGraph

def _networkx_graph(G):
    """The networkx graph behind G: G itself, or the one it was converted
    from while that lives (None when it is gone)."""
    if not isinstance(G, TarvelGraph):
        return G
    return G.source() if G.source is not None else None


def _predecessors_in_node_order(G):
    """Whether every node of the directed networkx graph G lists its
    predecessors (G._pred) in node order, as tarvel's incoming lists of the
    converted graph hold them. One pass over the edges."""
    position = {node: k for k, node in enumerate(G._adj)}.__getitem__
    for preds in G._pred.values():
        last = -1
        for k in map(position, preds):
            if k <= last:
                return False
            last = k
    return True


def _backward(G):
    """The graph whose lists tarvel's goal side reads for the directed
    TarvelGraph G, None for its incoming lists: made on the first call and
    kept with the conversion (networkx empties its cache when G changes)."""
    if G.backward is None:
        original = G.source()
        if _predecessors_in_node_order(original):
            G.backward = False
        else:
            names, index = G.names, G.index
            backward = tarvel.Graph(True)
            backward.addNodes(names)
            backward.addEdges([(names[index[v]], names[index[u]], 1)
                               for v, preds in original._pred.items() for u in preds])
            G.backward = backward
    return G.backward or None


def _check_bidirectional(G, source, target):
    return every(
        graph_ok(G, multigraph=True),
        not G.is_directed() or _networkx_graph(G) is not None or (
            "a directed graph whose networkx graph is gone (its predecessor order is unknown)"),
    )


@implements(_check_bidirectional)
def bidirectional_shortest_path(G, source, target):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} is not in G")
    if target not in G:
        raise nx.NodeNotFound(f"Target {target} is not in G")
    names, index = G.names, G.index
    # An undirected graph is held with both directions of every edge, each
    # node's list in networkx's adjacency order: the goal side reads it too.
    start, goal = names[index[source]], names[index[target]]
    if G.directed:
        # The goal side meets a node's predecessors in networkx's G.pred order.
        path = G.graph.twoEndedBfsPath(start, goal, backward=_backward(G))
    else:
        path = G.graph.twoEndedBfsPath(start, goal, symmetric=True)
    if not path:
        raise nx.NetworkXNoPath(f"No path between {source} and {target}.")
    return list(map(G.by_name.__getitem__, path))


def _depth(radius):
    """The levels networkx's breadth-first search with cutoff=radius keeps:
    level L when L == 0 or L - 1 < radius; None for every level."""
    if radius is None or radius == math.inf:
        return None
    if radius != radius or radius <= 0:  # NaN, or nothing beyond the centre
        return 0
    return math.ceil(radius)


def _check_ego(G, n, radius=1, center=True, undirected=False, distance=None):
    return every(
        graph_ok(G, multigraph=True),
        _networkx_graph(G) is not None or "the networkx graph it was converted from is gone",
        not undirected or ("undirected=True (networkx searches G.to_undirected(), whose adjacency order is "
                           "another one)"),
        distance is None or ("distance (the order of the nodes networkx copies follows its Dijkstra's order "
                             "among equal distances)"),
        radius is None or type(radius) in (int, float) or "radius of type %s" % type(radius).__name__,
    )


@implements(_check_ego)
def ego_graph(G, n, radius=1, center=True, undirected=False, distance=None):
    if n not in G:
        raise nx.NodeNotFound(f"Source {n} is not in G")
    original = _networkx_graph(G)
    depth = _depth(radius)
    name = G.names[G.index[n]]
    found = G.graph.nodesWithin(name, len(G.nodes) if depth is None else min(depth, len(G.nodes)))
    # networkx's copy iterates a set of these nodes when it is small: built
    # from the same nodes in the same order (its search's), it is the same
    # set, iterated in the same order.
    H = original.subgraph(list(map(G.by_name.__getitem__, found))).copy()
    if not center:
        H.remove_node(n)
    return H
