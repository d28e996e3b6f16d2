"""Topological orders and generations, ancestors and descendants: networkx's
orders, values and exceptions.

networkx's topological sorts are Kahn's method: topological_sort and
topological_generations take the nodes without incoming edges in node
order, then each node as the last edge into it is taken (first in, first
out), which is tarvel's topologicalOrder on a graph converted in networkx's
node and adjacency order. lexicographical_topological_sort takes, among the
nodes ready, the least (key(node), position in the graph): tarvel's
topologicalOrder(rank=...) with each node's rank among the keys, answered
only when the keys compare as a total order (numbers without NaN, strings,
bytes, or tuples of those), so that ranking them is the comparisons a heap
would make. With a cycle networkx yields the nodes before it, then raises;
so do these, finding those nodes in Python (only then)."""
import heapq

import networkx as nx

from .dispatch import graph_ok, implements
from .graph import TarvelGraph

UNDIRECTED = "Topological sort not defined on undirected graphs."
CYCLE = "Graph contains a cycle or graph changed during iteration"


def _check_graph(G):
    return graph_ok(G)


def _check_lexicographical(G, key=None):
    answer = graph_ok(G)
    if answer is not True or not G.is_directed():
        return answer  # networkx's error for an undirected graph is the call's own
    if key is not None and not callable(key):
        return "a key that is not callable"
    return True if _ranks(G, key) is not None else "keys that tarvel cannot rank as networkx's heap compares them"


def _check_source(G, source):
    return graph_ok(G)


def _nodes(G):
    return G.nodes if isinstance(G, TarvelGraph) else list(G)


def _totally_ordered(values):
    """Whether `<` orders the values totally and agrees with `==`: all
    numbers (int, bool, float without NaN), all str, all bytes, or all
    tuples whose elements, position by position among the tuples equal so
    far, are such values themselves."""
    pending = [values]
    while pending:
        values = pending.pop()
        kinds = set(map(type, values))
        if kinds <= {int, bool, float}:
            if any(v != v for v in values):  # NaN
                return False
        elif kinds == {tuple}:
            pending.append([v[0] for v in values if v])
            tails = {}
            for v in values:
                if v:
                    try:
                        tails.setdefault(v[0], []).append(v[1:])
                    except TypeError:  # unhashable elements
                        return False
            pending.extend(group for group in tails.values() if len(group) > 1)
        elif not (kinds <= {str} or kinds <= {bytes}):
            return False
    return True


def _ranks(G, key):
    """Each node's rank among the keys (equal keys equal ranks), in node
    order; None when the keys are not totally ordered or key raises."""
    nodes = _nodes(G)
    try:
        keys = nodes if key is None else [key(node) for node in nodes]
    except Exception:  # networkx calls key itself and raises what it raises
        return None
    if not _totally_ordered(keys):
        return None
    rank = [0] * len(keys)
    previous, current = None, -1
    for k in sorted(range(len(keys)), key=keys.__getitem__):
        if current < 0 or previous < keys[k]:
            current += 1
            previous = keys[k]
        rank[k] = current
    return rank


def _before_cycle(G, rank=None):
    """The node indices networkx's Kahn yields before it stops at a cycle:
    as generations (first in, first out), or as one order by least rank."""
    n = len(G.nodes)
    successors = [[] for _ in range(n)]
    waiting = [0] * n
    for edge in G.graph.edges():  # in adjacency order, each node's edges together
        u, v = int(edge.source), int(edge.destination)
        successors[u].append(v)
        waiting[v] += 1
    if rank is None:
        generations, ready = [], [u for u in range(n) if waiting[u] == 0]
        while ready:
            generations.append(ready)
            ready = []
            for u in generations[-1]:
                for v in successors[u]:
                    waiting[v] -= 1
                    if waiting[v] == 0:
                        ready.append(v)
        return generations
    order, heap = [], [(rank[u], u) for u in range(n) if waiting[u] == 0]
    heapq.heapify(heap)
    while heap:
        u = heapq.heappop(heap)[1]
        order.append(u)
        for v in successors[u]:
            waiting[v] -= 1
            if waiting[v] == 0:
                heapq.heappush(heap, (rank[v], v))
    return [order]


def _generations(G):
    """(generations as lists of node indices' names, cycle found)."""
    if not G.is_directed():
        raise nx.NetworkXError(UNDIRECTED)
    try:
        return G.graph.topologicalGenerations(), False
    except RuntimeError:
        names = G.names
        return [[names[u] for u in group] for group in _before_cycle(G)], True


@implements(_check_graph)
def topological_generations(G):
    groups, cycle = _generations(G)
    node = G.by_name.__getitem__
    for group in groups:
        yield list(map(node, group))
    if cycle:
        raise nx.NetworkXUnfeasible(CYCLE)


@implements(_check_graph)
def topological_sort(G):
    if not G.is_directed():
        raise nx.NetworkXError(UNDIRECTED)
    try:
        order = G.graph.topologicalOrder()
    except RuntimeError:
        nodes = G.nodes
        yield from (nodes[u] for group in _before_cycle(G) for u in group)
        raise nx.NetworkXUnfeasible(CYCLE) from None
    yield from map(G.by_name.__getitem__, order)


@implements(_check_lexicographical)
def lexicographical_topological_sort(G, key=None):
    if not G.is_directed():
        raise nx.NetworkXError(UNDIRECTED)
    rank = _ranks(G, key)
    try:
        order = G.graph.topologicalOrder(rank=rank)
    except RuntimeError:
        nodes = G.nodes
        yield from (nodes[u] for u in _before_cycle(G, rank)[0])
        raise nx.NetworkXUnfeasible(CYCLE) from None
    yield from map(G.by_name.__getitem__, order)


def _reach(G, source, method):
    try:
        start = G.names[G.index[source]]
    except KeyError as error:  # as networkx's neighbors and predecessors raise
        kind = "digraph" if G.is_directed() else "graph"
        raise nx.NetworkXError(f"The node {source} is not in the {kind}.") from error
    return set(map(G.by_name.__getitem__, method(start)))


@implements(_check_source)
def descendants(G, source):
    return _reach(G, source, G.graph.descendants)


@implements(_check_source)
def ancestors(G, source):
    # The converted graph of an undirected one holds both directions, so
    # its ancestors are its descendants, as in networkx.
    return _reach(G, source, G.graph.ancestors)
