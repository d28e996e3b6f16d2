"""Components, reachability between two nodes, acyclicity, bipartiteness:
networkx's answers, values and exceptions alike."""
import networkx as nx
import tarvel

from .dispatch import graph_ok, implements


def _sets(G, groups):
    node = G.by_name.__getitem__
    return [set(map(node, group)) for group in groups]


def _check_graph(G, *args, **kwargs):
    return graph_ok(G, multigraph=True)


def _check_path(G, source, target):
    return graph_ok(G, multigraph=True)


def _check_node(G, n):
    return graph_ok(G, multigraph=True)


@implements(_check_path)
def has_path(G, source, target):
    if source not in G:
        raise nx.NodeNotFound(f"Source {source} is not in G")
    if target not in G:
        raise nx.NodeNotFound(f"Target {target} is not in G")
    names = G.names
    return bool(G.graph.shortestPath(names[G.index[source]], names[G.index[target]], tarvel.BFS, None))


@implements(_check_graph)
def connected_components(G):
    # networkx yields each component as its search finds it: a generator.
    return iter(_sets(G, G.graph.connectedComponents()))


@implements(_check_graph)
def number_connected_components(G):
    return len(G.graph.connectedComponents())


@implements(_check_graph)
def is_connected(G):
    if len(G) == 0:
        raise nx.NetworkXPointlessConcept("Connectivity is undefined for the null graph.")
    return len(G.graph.connectedComponents()) == 1


@implements(_check_node)
def node_connected_component(G, n):
    start = G.names[G.index[n]]  # KeyError for a node not in G, as networkx's search raises
    return set(map(G.by_name.__getitem__, G.graph.iterativeDFS(start)))


@implements(_check_graph)
def strongly_connected_components(G):
    return iter(_sets(G, G.graph.stronglyConnectedComponents(tarvel.TARJAN)))


@implements(_check_graph)
def number_strongly_connected_components(G):
    return len(G.graph.stronglyConnectedComponents(tarvel.TARJAN))


@implements(_check_graph)
def is_strongly_connected(G):
    if len(G) == 0:
        raise nx.NetworkXPointlessConcept("Connectivity is undefined for the null graph.")
    return len(G.graph.stronglyConnectedComponents(tarvel.TARJAN)) == 1


@implements(_check_graph)
def is_directed_acyclic_graph(G):
    return G.is_directed() and not G.graph.hasCycle()


@implements(_check_graph)
def is_bipartite(G):
    return G.graph.isBipartite()


# ---- weak components ---------------------------------------------------------
# tarvel's weak components come led by their lowest-indexed node, in order of
# it: networkx's order, which starts a search at each node not yet seen, in
# node order. networkx refuses undirected graphs before dispatching; the
# checks here say the same for a converted graph handed over directly.


def _directed_only(G):
    if not G.is_directed():
        raise nx.NetworkXNotImplemented("not implemented for undirected type")


@implements(_check_graph)
def weakly_connected_components(G):
    _directed_only(G)
    return iter(_sets(G, G.graph.weaklyConnectedComponents()))


@implements(_check_graph)
def number_weakly_connected_components(G):
    _directed_only(G)
    return len(G.graph.weaklyConnectedComponents())


@implements(_check_graph)
def is_weakly_connected(G):
    _directed_only(G)
    if len(G) == 0:
        raise nx.NetworkXPointlessConcept("Connectivity is undefined for the null graph.")
    return len(G.graph.weaklyConnectedComponents()) == 1
