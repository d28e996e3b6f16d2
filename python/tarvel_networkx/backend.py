"""tarvel as a networkx backend (the entry point networkx.backends, name
"tarvel"): nx.betweenness_centrality(G, backend="tarvel"), or every function
it answers once "tarvel" is in nx.config.backend_priority.

networkx asks can_run whether tarvel answers a call exactly (else networkx
answers it), should_run whether the answer is worth converting the graph,
then converts the graph (convert_from_nx, cached on the graph by networkx)
and calls the function of the same name here.
"""
import inspect

import networkx as nx

from . import info

if not info.dispatching(nx.__version__):
    raise ImportError("tarvel's networkx backend needs networkx 3.4 or later, not %s" % nx.__version__)

# The modules register their functions.
from . import centrality, clustering, dag, local, multi_source, paths, ranking, spanning, structure, traversal  # noqa: E402
from . import distances  # noqa: E402,F401  (all pairs and the eccentricity family)
from . import cycles  # noqa: E402  (registers the edge searches; local_query below)
from .dispatch import checks, converted_for, forget_conversion, heavy, implementations  # noqa: E402
from .graph import WIDE, TarvelGraph, convert, keep_attributes  # noqa: E402

globals().update(implementations)

__all__ = ["can_run", "should_run", "convert_from_nx", "convert_to_nx", "on_start_tests", *implementations]


def on_start_tests(items):
    """Called by networkx's own test suite when it starts with this backend:
    the test tools are imported here, never when a user's code imports the
    backend (an ordinary environment has no pytest)."""
    from . import testing

    testing.on_start_tests(items)


def can_run(name, args, kwargs):
    """True when tarvel answers this call as networkx would; else why not."""
    forget_conversion()  # a new call: what the checks of an earlier one converted does not serve it
    check = checks.get(name)
    if check is None:
        return False
    try:
        answer = check(*args, **kwargs)
    except TypeError as error:  # arguments networkx itself refuses
        answer = "arguments networkx refuses: %s" % error
    if answer is not True:
        forget_conversion()
    return answer


# The one-pass functions that pay for converting the graph afresh from a
# size on: nodes plus adjacency entries (two per undirected edge), which
# networkx's pass and the conversion both walk. Measured on G(n, 5n) with
# `python benchmarks/backend.py --break-even` (docs/networkx-backend.md
# states the sizes); the searches are single-source ones, which there reach
# every node.
EDGE_SEARCHES = 100  # edge_dfs, edge_bfs, find_cycle over the whole graph, has_cycle (cycles.py)
BREAK_EVEN = {"breadth-first searches": 150_000, "weighted searches": 300, "components": 130_000,
              "strong components": 1_000, "edge searches": EDGE_SEARCHES}
ONE_PASS = {
    **dict.fromkeys(["single_source_shortest_path_length", "single_source_shortest_path"], "breadth-first searches"),
    **dict.fromkeys(["single_source_dijkstra_path_length", "single_source_dijkstra_path", "single_source_dijkstra",
                     "single_source_bellman_ford_path_length", "single_source_bellman_ford_path",
                     "single_source_bellman_ford", "multi_source_dijkstra_path_length", "multi_source_dijkstra",
                     "multi_source_dijkstra_path"], "weighted searches"),
    **dict.fromkeys(["connected_components", "number_connected_components"], "components"),
    **dict.fromkeys(["strongly_connected_components", "number_strongly_connected_components"], "strong components"),
    **dict.fromkeys(["edge_dfs", "edge_bfs", "find_cycle", "has_cycle", "is_directed_acyclic_graph"], "edge searches"),
}
# The traversals (traversal.py): whole-graph searches by size, local ones
# (a depth limit) only with a converted graph at hand.
BREAK_EVEN.update({"breadth-first traversals": 120_000, "depth-first traversals": 50_000})
ONE_PASS.update({
    **dict.fromkeys(["bfs_edges", "bfs_tree", "bfs_successors", "bfs_layers"], "breadth-first traversals"),
    **dict.fromkeys(["dfs_edges", "dfs_tree", "dfs_preorder_nodes", "dfs_postorder_nodes", "dfs_labeled_edges",
                     "dfs_predecessors", "dfs_successors"], "depth-first traversals"),
})


# The searches a cutoff or a target may end early: networkx's answer then
# reads part of the graph, the conversion all of it, so they pay only with a
# converted graph at hand. The same rule for a function and the inner call
# networkx makes in it (single_source_dijkstra_path_length calls
# multi_source_dijkstra_path_length): either both run in tarvel or neither.
BOUNDED_BY = ("cutoff", "target")

def _bounded(name, args, kwargs):
    """Whether this call of a one-pass search has a cutoff or a target."""
    function = implementations[name].__wrapped__
    try:
        bound = inspect.signature(function).bind(*args, **kwargs).arguments
    except TypeError:
        return False  # networkx refuses the call itself
    return any(bound.get(key) is not None for key in BOUNDED_BY)


def _cached(name, G):
    """Whether networkx holds a converted graph of G. Any kind serves: a
    function and the inner call it makes (ego_graph and its breadth-first
    search) then get the same verdict, though ego_graph, converted with
    every attribute kept, converts once more after a conversion without
    them."""
    cache = getattr(G, "__networkx_cache__", None)
    return bool(cache and cache.get("backends", {}).get("tarvel"))


def pays_off(name, G):
    """Whether `name` on the networkx graph G answers faster in tarvel, the
    conversion included: G is at least its family's break-even size. Costs
    one len() per node below that size, nothing above."""
    family = ONE_PASS.get(name)
    adj = getattr(G, "_adj", None)
    if family is None or not isinstance(adj, dict):
        return False
    size = BREAK_EVEN[family]
    return len(adj) >= size or len(adj) + sum(map(len, adj.values())) >= size


def should_run(name, args, kwargs):
    """Whether the answer is worth converting the graph for: always for the
    all-pairs centralities; for the cheap queries, which networkx answers in
    one pass, with a converted graph at hand, or when the graph is large
    enough that converting it and answering in tarvel is faster
    (BREAK_EVEN)."""
    answer = _worth_converting(name, args, kwargs)
    if answer is not True:
        forget_conversion()
    return answer


def _worth_converting(name, args, kwargs):
    if name in heavy:
        return True
    G = args[0] if args else kwargs.get("G")
    if isinstance(G, TarvelGraph):
        return True
    if _cached(name, G):
        return True
    if name in ONE_PASS and _bounded(name, args, kwargs):
        return "a search a cutoff or a target ends early pays only with a converted graph at hand"
    if cycles.local_query(name, args, kwargs):
        return cycles.LOCAL
    if traversal.local_query(name, args, kwargs):
        return "a search near its source: converting the whole graph costs more"
    if pays_off(name, G):
        return True
    return "converting the graph costs more than networkx's own one-pass answer"


def convert_from_nx(graph, *, edge_attrs=None, node_attrs=None, preserve_edge_attrs=False, preserve_node_attrs=False,
                    preserve_graph_attrs=False, name=None, graph_name=None):
    """A TarvelGraph of the networkx graph: weighted by the one edge
    attribute asked for (hop counts when none), keeping every attribute when
    networkx asks for them all (a returned graph carries them). A
    multigraph's parallel edges are merged as networkx's searches read them."""
    if isinstance(graph, TarvelGraph):
        return graph
    if not isinstance(graph, nx.Graph):
        raise TypeError("tarvel converts networkx graphs, not %s" % type(graph).__name__)
    attr, default = None, 1
    if edge_attrs:
        if len(edge_attrs) != 1:
            raise TypeError("tarvel weighs edges by one attribute, not %d" % len(edge_attrs))
        ((attr, default),) = edge_attrs.items()
    keep_all = preserve_edge_attrs is True
    converted = converted_for(graph, attr, default)
    if converted is None:
        return convert(graph, attr, default, keep_all=keep_all)
    if keep_all:
        keep_attributes(converted, graph)
    return converted


def convert_to_nx(obj, *, name=None):
    """A networkx graph of the TarvelGraph's class (Graph, DiGraph,
    MultiGraph or MultiDiGraph): its nodes, and its edges with every
    attribute (and a multigraph's keys) when the conversion kept them, else
    with the converted weight attribute (none for hop counts; a multigraph
    then gets one edge per pair of neighbours, the merged one); any other
    result as it is."""
    if not isinstance(obj, TarvelGraph):
        return obj
    if obj.multigraph:
        return _multigraph_to_nx(obj)
    out = _with_nodes(obj, nx.DiGraph() if obj.is_directed() else nx.Graph())
    nodes = obj.nodes
    if obj.edge_data is not None:
        out.add_edges_from((nodes[u], nodes[v], d) for u, v, d in obj.edge_data)
    elif obj.attribute is not None and obj.weights.kind is not None:
        node = obj.by_name.__getitem__
        attr = obj.attribute[0]
        value = int if obj.weights.kind == WIDE else (lambda w: w)
        out.add_edges_from((node(e.source), node(e.destination), {attr: value(e.weight)}) for e in obj.graph.edges())
    else:
        node = obj.by_name.__getitem__
        out.add_edges_from((node(e.source), node(e.destination)) for e in obj.graph.edges())
    return out


def _with_nodes(obj, out):
    """`out` given the TarvelGraph's nodes, with their attributes and the
    graph's when the conversion kept them."""
    if obj.node_data is not None:
        out.graph.update(obj.graph_data)
        out.add_nodes_from(zip(obj.nodes, obj.node_data))
    else:
        out.add_nodes_from(obj.nodes)
    return out


def _multigraph_to_nx(obj):
    out = _with_nodes(obj, nx.MultiDiGraph() if obj.is_directed() else nx.MultiGraph())
    nodes = obj.nodes
    if obj.edge_data is not None:
        # An undirected edge comes twice, under the same key: the second adds nothing.
        out.add_edges_from((nodes[u], nodes[v], key, d) for u, v, keys in obj.edge_data for key, d in keys.items())
        return out
    node = obj.by_name.__getitem__
    edges = obj.graph.edges()
    if not obj.is_directed():
        edges = [e for e in edges if int(e.source) <= int(e.destination)]
    if obj.attribute is not None and obj.weights.kind is not None:
        attr = obj.attribute[0]
        value = int if obj.weights.kind == WIDE else (lambda w: w)
        out.add_edges_from((node(e.source), node(e.destination), {attr: value(e.weight)}) for e in edges)
    else:
        out.add_edges_from((node(e.source), node(e.destination)) for e in edges)
    return out
