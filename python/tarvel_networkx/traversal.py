"""Breadth-first and depth-first traversals: networkx's edges, trees,
layers, successors, predecessors and pre/postorders, in networkx's orders.

Every one of them reads a node's neighbours as networkx's searches do
(G.neighbors, G[u]): in adjacency order, each once, which a converted graph
keeps (a multigraph's parallel edges merged). They come from three tarvel
methods: breadthFirstEdges, breadthFirstLayers and depthFirstLabeledEdges.

Declined, so that networkx answers:
- sort_neighbors;
- generic_bfs_edges, networkx's inner call of bfs_edges (which tarvel
  answers): networkx's own tests never call it with the graph's own
  neighbours, the one form tarvel could answer, and every function
  registered here must be reached there;
- a search over predecessors of a directed graph (bfs_edges(reverse=True)):
  networkx meets a node's
  predecessors in the order their edges were added (G._pred), a converted
  graph's incoming lists in node order, and the two differ;
- a source that is not a node of the graph (networkx raises its own error,
  some functions after yielding), a depth_limit or distance that is not an
  int;
- bfs_predecessors, which networkx 3.7 deprecates;
- bfs_layers from several sources before networkx 3.7, whose first layer
  took the sources in another order.
"""
import re

import networkx as nx

from .dispatch import every, graph_ok, implements

SORTED = "sort_neighbors is answered by networkx"
PREDECESSORS = ("searches over a directed graph's predecessors are answered by networkx: it meets them in the "
                "order their edges were added, a converted graph in node order")
NOT_A_NODE = "a source that is not a node (networkx raises its own error)"
NOT_AN_INT = "a depth_limit or distance that is not an int"

# From networkx 3.7 bfs_layers takes its first layer as list(set(sources)).
_found = re.match(r"(\d+)\.(\d+)", nx.__version__)
SET_OF_SOURCES = _found is not None and (int(_found.group(1)), int(_found.group(2))) >= (3, 7)

# Functions that take a depth_limit: with one given they are local queries.
LIMITED = {"bfs_edges", "bfs_tree", "bfs_successors", "dfs_edges", "dfs_tree",
           "dfs_preorder_nodes", "dfs_postorder_nodes", "dfs_labeled_edges", "dfs_predecessors", "dfs_successors"}


def local_query(name, args, kwargs):
    """Whether the call searches only near its source: a depth limit, or
    descendants_at_distance. No size of graph pays for a fresh conversion
    then (it costs O(V + E), the answer only the part searched)."""
    if name == "descendants_at_distance":
        return True
    if name not in LIMITED:
        return False
    # depth_limit's position: (G, source, reverse, depth_limit), else (G, source, depth_limit).
    position = 3 if name in ("bfs_edges", "bfs_tree") else 2
    limit = args[position] if len(args) > position else kwargs.get("depth_limit")
    return limit is not None


def _has_node(G, node):
    try:
        return node in G
    except TypeError:
        return False


def _limit_ok(limit):
    return limit is None or type(limit) is int or NOT_AN_INT


def _check_source(G, source):
    return True if _has_node(G, source) else NOT_A_NODE


def _check_bfs(G, source, reverse=False, depth_limit=None, sort_neighbors=None):
    return every(graph_ok(G, multigraph=True), sort_neighbors is None or SORTED, _check_source(G, source),
                 _limit_ok(depth_limit), not (reverse and G.is_directed()) or PREDECESSORS)


def _check_bfs_from(G, source, depth_limit=None, sort_neighbors=None):
    return _check_bfs(G, source, False, depth_limit, sort_neighbors)


def _check_dfs(G, source=None, depth_limit=None, *, sort_neighbors=None):
    return every(graph_ok(G, multigraph=True), sort_neighbors is None or SORTED,
                 source is None or _check_source(G, source), _limit_ok(depth_limit))


def _check_layers(G, sources):
    answer = graph_ok(G, multigraph=True)
    if answer is not True:
        return answer
    if _has_node(G, sources):
        return True
    try:
        if iter(sources) is sources:
            return "sources given as an iterator (reading them here would use them up)"
        sources = list(sources)
    except TypeError:
        return "sources that are neither a node nor an iterable of nodes"
    if not all(_has_node(G, s) for s in sources):
        return NOT_A_NODE
    if len(sources) > 1 and not SET_OF_SOURCES:
        return "several sources before networkx 3.7 (its first layer's order differs)"
    return True


def _check_distance(G, source, distance):
    return every(graph_ok(G, multigraph=True), _check_source(G, source),
                 type(distance) is int or NOT_AN_INT)


# ---- the answers -------------------------------------------------------------


def _name(G, node):
    return G.names[G.index[node]]


def _bfs_limit(depth_limit):
    return None if depth_limit is None else max(depth_limit, 0)


def _bfs_edges(G, source, depth_limit):
    node = G.by_name.__getitem__
    edges = G.graph.breadthFirstEdges(_name(G, source), _bfs_limit(depth_limit))
    return [(node(u), node(v)) for u, v in edges]


@implements(_check_bfs)
def bfs_edges(G, source, reverse=False, depth_limit=None, sort_neighbors=None):
    return iter(_bfs_edges(G, source, depth_limit))


@implements(_check_bfs)
def bfs_tree(G, source, reverse=False, depth_limit=None, sort_neighbors=None):
    T = nx.DiGraph()
    T.add_node(source)
    T.add_edges_from(_bfs_edges(G, source, depth_limit))
    return T


@implements(_check_bfs_from)
def bfs_successors(G, source, depth_limit=None, sort_neighbors=None):
    # The edges come parent by parent: networkx groups each run of them.
    parent, children = source, []
    for p, c in _bfs_edges(G, source, depth_limit):
        if p == parent:
            children.append(c)
            continue
        yield parent, children
        parent, children = p, [c]
    yield parent, children


def _layers(G, sources, depth_limit=None):
    if _has_node(G, sources):
        sources = [sources]
    elif SET_OF_SOURCES:
        sources = list(set(sources))  # networkx's first layer: its set of the sources
    node = G.by_name.__getitem__
    names = [_name(G, s) for s in sources]
    found = G.graph.breadthFirstLayers(names, _bfs_limit(depth_limit))
    if found:
        found[0] = list(sources)  # the sources as given (a repeated one stays, as in networkx)
    return found, node


@implements(_check_layers)
def bfs_layers(G, sources):
    found, node = _layers(G, sources)
    if found:
        yield found[0]
    for layer in found[1:]:
        yield list(map(node, layer))


@implements(_check_distance)
def descendants_at_distance(G, source, distance):
    if distance <= 0:
        return {source} if distance == 0 else set()
    found, node = _layers(G, source, distance)
    return set(map(node, found[distance])) if len(found) > distance else set()


def _dfs_limit(depth_limit):
    return None if depth_limit is None else max(depth_limit, 0)


def _dfs_steps(G, source, depth_limit, labels=None):
    sources = None if source is None else _name(G, source)
    return G.graph.depthFirstLabeledEdges(sources, _dfs_limit(depth_limit), labels=labels)


def _dfs_edges(G, source, depth_limit):
    node = G.by_name.__getitem__
    # A tree edge never joins a node to itself: (s, s) marks where a search starts.
    return [(node(u), node(v)) for u, v, _ in _dfs_steps(G, source, depth_limit, ("forward",)) if u != v]


@implements(_check_dfs)
def dfs_edges(G, source=None, depth_limit=None, *, sort_neighbors=None):
    return iter(_dfs_edges(G, source, depth_limit))


@implements(_check_dfs)
def dfs_tree(G, source=None, depth_limit=None, *, sort_neighbors=None):
    T = nx.DiGraph()
    if source is None:
        T.add_nodes_from(G.nodes)
    else:
        T.add_node(source)
    T.add_edges_from(_dfs_edges(G, source, depth_limit))
    return T


@implements(_check_dfs)
def dfs_predecessors(G, source=None, depth_limit=None, *, sort_neighbors=None):
    return {t: s for s, t in _dfs_edges(G, source, depth_limit)}


@implements(_check_dfs)
def dfs_successors(G, source=None, depth_limit=None, *, sort_neighbors=None):
    found = {}
    for s, t in _dfs_edges(G, source, depth_limit):
        found.setdefault(s, []).append(t)
    return found


@implements(_check_dfs)
def dfs_labeled_edges(G, source=None, depth_limit=None, *, sort_neighbors=None):
    node = G.by_name.__getitem__
    return iter([(node(u), node(v), label) for u, v, label in _dfs_steps(G, source, depth_limit)])


@implements(_check_dfs)
def dfs_preorder_nodes(G, source=None, depth_limit=None, *, sort_neighbors=None):
    node = G.by_name.__getitem__
    return iter([node(v) for _, v, _ in _dfs_steps(G, source, depth_limit, ("forward",))])


@implements(_check_dfs)
def dfs_postorder_nodes(G, source=None, depth_limit=None, *, sort_neighbors=None):
    node = G.by_name.__getitem__
    return iter([node(v) for _, v, _ in _dfs_steps(G, source, depth_limit, ("reverse",))])
