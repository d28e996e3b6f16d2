"""Edge traversals, find_cycle and has_cycle: networkx's edges in networkx's
order, with its keys, directions and exceptions.

networkx's edge_dfs and edge_bfs take each node's edges as G.edges(node)
lists them (and, for orientation "reverse" and "ignore", G.in_edges(node),
in G._pred order); tarvel's edgeDepthFirst and edgeBreadthFirst take a
node's entries in list order, which a converted graph keeps, and its
in-edges by tail in node order: the same order exactly when each _pred[v]
lists its nodes in node order, which is checked (else networkx answers).
An undirected graph is converted holding both directions of each edge, so
tarvel reads it with symmetric=True: the k-th edge u -> v and the k-th
edge v -> u are one edge, as networkx's frozenset-and-key identity makes
them. A multigraph is searched on a graph of its own that keeps every
parallel edge in key order (TarvelGraph.parallel), each entry's key kept
here. find_cycle is networkx's procedure over the same edge search
(tarvel's findCycle)."""
import networkx as nx

from .dispatch import graph_ok, implements
from .graph import TarvelGraph

ORIENTATIONS = (None, "original", "reverse", "ignore")
PRED_ORDER = ("networkx takes in-edges in the order their tails first became predecessors (G._pred), which here "
              "is not node order, the order tarvel takes them")
SOURCES = "sources networkx reads itself (neither None, a node nor a list, tuple or set of nodes)"
UNDIRECTED = "Topological sort not defined on undirected graphs."
LOCAL = "a cycle search from a source may touch a small part of the graph; converting it costs O(V + E)"


def pred_in_node_order(G):
    """Whether every G._pred[v] lists its nodes in G's node order: for a
    TarvelGraph the answer kept from the conversion's graph, for a networkx
    graph the walk, remembered in G's networkx cache."""
    if isinstance(G, TarvelGraph):
        return G.pred_in_node_order()
    cache = getattr(G, "__networkx_cache__", None)
    if not getattr(getattr(nx, "config", None), "cache_converted_graphs", True):
        cache = None
    known = cache.get("tarvel", {}).get("pred order") if cache is not None else None
    if known is None:
        known = _in_order(G._pred, dict(zip(G._adj, range(len(G._adj)))))
        if cache is not None:
            cache.setdefault("tarvel", {})["pred order"] = known
    return known


def _in_order(pred, index):
    for preds in pred.values():
        last = -1
        for u in preds:
            k = index[u]
            if k < last:
                return False
            last = k
    return True


def _sources_ok(G, source):
    if source is None:
        return True
    try:
        if source in G:
            return True
    except TypeError:
        pass
    if isinstance(source, (list, tuple, set, frozenset)):
        try:
            [node in G for node in source]  # noqa: B015  (hashable nodes only)
        except TypeError:
            return SOURCES
        return True
    return SOURCES


def _check_search(G, source=None, orientation=None):
    answer = graph_ok(G, multigraph=True)
    if answer is not True:
        return answer
    if orientation not in ORIENTATIONS:
        return "an orientation networkx refuses"
    answer = _sources_ok(G, source)
    if answer is not True:
        return answer
    if G.is_directed() and orientation in ("reverse", "ignore") and not pred_in_node_order(G):
        return PRED_ORDER
    return True


def _check_graph(G):
    return graph_ok(G, multigraph=True)


def local_query(name, args, kwargs):
    """Whether the call is a search from a source, which no size of graph
    pays a fresh conversion for."""
    if name != "find_cycle":
        return False
    source = args[1] if len(args) > 1 else kwargs.get("source")
    return source is not None


def _sources(G, source):
    """The node names G.nbunch_iter(source) gives, or None for every node."""
    if source is None:
        return None
    index, names = G.index, G.names
    if source in G:
        return [names[index[source]]]
    return [names[index[node]] for node in source if node in G]


def _search(G, method, source, orientation):
    """tarvel's steps, turned into networkx's edge tuples."""
    graph, keys = G.parallel() if G.multigraph else (G.graph, None)
    sources = _sources(G, source)
    if sources == []:
        return []
    steps = getattr(graph, method)(sources, orientation="original" if orientation is None else orientation,
                                   symmetric=not G.directed)
    node = G.by_name.__getitem__
    if orientation is None:
        if keys is None:
            return [(node(u), node(v)) for u, v, _, _ in steps]
        return [(node(u), node(v), keys[k]) for u, v, k, _ in steps]
    direction = ("forward", "reverse")
    if keys is None:
        return [(node(u), node(v), direction[r]) for u, v, _, r in steps]
    return [(node(u), node(v), keys[k], direction[r]) for u, v, k, r in steps]


@implements(_check_search)
def edge_dfs(G, source=None, orientation=None):
    # networkx yields the edges as its search takes them: a generator.
    yield from _search(G, "edgeDepthFirst", source, orientation)


@implements(_check_search)
def edge_bfs(G, source=None, orientation=None):
    yield from _search(G, "edgeBreadthFirst", source, orientation)


@implements(_check_search)
def find_cycle(G, source=None, orientation=None):
    cycle = _search(G, "findCycle", source, orientation)
    if not cycle:
        raise nx.NetworkXNoCycle("No cycle found.")
    return cycle


@implements(_check_graph)
def has_cycle(G):
    if not G.is_directed():
        raise nx.NetworkXError(UNDIRECTED)
    return G.graph.hasCycle()
