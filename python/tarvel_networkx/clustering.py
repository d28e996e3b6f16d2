"""Triangles and clustering of undirected graphs with networkx's values,
types and orders: tarvel counts triangles and degrees exactly and rounds
2T / (d(d - 1)) once, as networkx's int / int does, and averages in the
order networkx's sum() adds (compensated from Python 3.12 on, as the
module's averageClustering adds on that interpreter). networkx answers a
coefficient of 0 as the int 0, which is kept here. Directed graphs (their
directed clustering) and weighted clustering are left to networkx."""
import networkx as nx

from .dispatch import every, graph_ok, implements


def _undirected(G):
    if G.is_directed():
        return "directed graphs are answered by networkx"
    return True


def _check_graph(G):
    return every(graph_ok(G), _undirected(G))


def _check_nodes(G, nodes=None):
    return _check_graph(G)


def _check_weighted(G, nodes=None, weight=None):
    return every(_check_graph(G), weight is None or "weighted clustering is answered by networkx")


def _check_average(G, nodes=None, weight=None, count_zeros=True):
    return _check_weighted(G, nodes, weight)


class _Nodes:
    """What networkx's nbunch_iter reads of a graph: its node dict and
    membership, so that the nodes asked for are chosen, and refused, by the
    installed networkx's own rule."""

    def __init__(self, index):
        self._adj = index

    def __contains__(self, node):
        try:
            return node in self._adj
        except TypeError:
            return False


def _asked(G, nodes):
    """The nodes of `nodes` that are in G, each once in the order of its
    first appearance (as networkx's dicts keep them), and their names."""
    found = list(dict.fromkeys(nx.Graph.nbunch_iter(_Nodes(G.index), nodes)))
    return found, [G.names[G.index[node]] for node in found]


def _per_node(G, nodes, method):
    """{node: value} of tarvel's per-node `method`: every node in G's order
    for None, else the nodes asked for."""
    if nodes is None:
        return dict(zip(G.nodes, method().values()))
    found, names = _asked(G, nodes)
    return dict(zip(found, method(nodes=names).values()))


def _coefficients(G, nodes):
    # networkx's `0 if t == 0 else t / (d * (d - 1))`: an int 0 without a triangle.
    return {node: x if x else 0 for node, x in _per_node(G, nodes, G.graph.clustering).items()}


@implements(_check_nodes, worth_converting=True)
def triangles(G, nodes=None):
    if nodes is not None and nodes in G:
        return G.graph.triangles(nodes=[G.names[G.index[nodes]]]).popitem()[1]
    return _per_node(G, nodes, G.graph.triangles)


@implements(_check_weighted, worth_converting=True)
def clustering(G, nodes=None, weight=None):
    found = _coefficients(G, nodes)
    if nodes in G:
        return found[nodes]
    return found


@implements(_check_average, worth_converting=True)
def average_clustering(G, nodes=None, weight=None, count_zeros=True):
    if nodes in G:
        # networkx takes .values() of clustering(G, node), which is a number.
        _coefficients(G, nodes)[nodes].values()
    names = None if nodes is None else _asked(G, nodes)[1]
    try:
        return G.graph.averageClustering(nodes=names, count_zeros=bool(count_zeros))
    except ValueError:
        # No value to average: networkx's sum(c) / len(c) divides by zero.
        raise ZeroDivisionError("division by zero") from None


@implements(_check_graph, worth_converting=True)
def transitivity(G):
    value = G.graph.transitivity()
    return value if value else 0
