"""Centralities with networkx's definitions, made from tarvel's raw
quantities: degrees, reach counts and distance sums (exact integers, so
degree and closeness come out to the bit), the unnormalised betweenness
(within 2(V - 1) * 2**-53 of networkx's, relatively: the same sums in
another order) and Katz over incoming edges (the same operations in the
same order, normalised here as networkx does)."""
import importlib
import inspect
import math

import networkx as nx
import tarvel

from .dispatch import every, graph_ok, implements, number, weight_ok, weights_of
from .graph import TarvelGraph


def _run_options(threads, progress):
    return {"threads": threads, "progress": progress}


# ---- degree -----------------------------------------------------------------


def _check_degree(G):
    return graph_ok(G)


def _scaled(G, degrees):
    if len(G) <= 1:
        return {n: 1 for n in G.nodes}
    s = 1.0 / (len(G) - 1.0)
    return {n: d * s for n, d in zip(G.nodes, degrees)}


def _out_degrees(G):
    return list(G.graph.degreeCentrality().values())


def _in_degrees(G):
    return list(G.reversed().degreeCentrality().values())


@implements(_check_degree)
def degree_centrality(G):
    if G.is_directed():
        degrees = [a + b for a, b in zip(_out_degrees(G), _in_degrees(G))]
    else:
        # networkx counts a self-loop twice at its node, the converted
        # graph lists it once.
        degrees = _out_degrees(G)
        for k in G.self_loops:
            degrees[k] += 1
    return _scaled(G, degrees)


@implements(_check_degree)
def in_degree_centrality(G):
    return _scaled(G, _in_degrees(G))


@implements(_check_degree)
def out_degree_centrality(G):
    return _scaled(G, _out_degrees(G))


# ---- what weighted closeness and betweenness share --------------------------


def _weighted_graph(G, weight, reverse=False):
    """The tarvel graph weighted by `weight` (the converted graph for None),
    with every edge turned round when `reverse` and G is directed."""
    graph = G.weighted(weight)[0] if weight is not None else G.graph
    if not reverse or not G.is_directed():
        return graph
    if graph is G.graph:
        return G.reversed()
    turned = tarvel.Graph(True, weightType=float if "float weights" in repr(graph) else int)
    turned.addNodes(G.names)
    turned.addEdges([(e.destination, e.source, e.weight) for e in graph.edges()])
    return turned


def _edge_weights(G, weight):
    """The weights networkx's searches read, one per edge."""
    if isinstance(G, TarvelGraph):
        return [e.weight for e in G.weighted(weight)[0].edges()]
    return [d for _, _, d in G.edges(data=weight, default=1)]


def _paths_ok(G, weight):
    """Whether tarvel counts the same shortest paths as networkx's Dijkstra
    for betweenness: networkx counts the paths across a step that leaves a
    distance unchanged (a zero weight, or one too small to change a sum) in
    the order its search meets them, tarvel by its own rule."""
    answer = weight_ok(G, weight, negative=False, lengths=False)
    if answer is not True or weight is None:
        return answer
    values = _edge_weights(G, weight)
    if not values:
        return True
    least, most = min(values), max(values)
    if least == 0:
        return "zero weights (networkx counts the paths across them in the order its search meets them)"
    # A sum of at most V - 1 weights stays below (V - 1) * most; a weight
    # below half its unit in the last place would vanish in it.
    if float(least) * 2.0**53 <= float(len(G)) * float(most):
        return "weights too small against the longest path's sum to change it (networkx counts such steps as zero)"
    return True


# ---- closeness ----------------------------------------------------------------


def _check_closeness(G, u=None, distance=None, wf_improved=True, *, sp=None, threads=None, progress=None):
    return every(
        graph_ok(G, multigraph=True),
        sp is None or "given shortest path lengths are answered by networkx",
        weight_ok(G, distance, negative=False, lengths=True),
    )


def _closeness(reached, total, n, wf_improved):
    # networkx's own expression, operation for operation: len(sp) is
    # reached + 1 and totsp the sum of the distances.
    c = 0.0
    if total > 0.0 and n > 1:
        c = (reached + 1 - 1.0) / total
        if wf_improved:
            c *= (reached + 1 - 1.0) / (n - 1)
    return c


@implements(_check_closeness, worth_converting=True)
def closeness_centrality(G, u=None, distance=None, wf_improved=True, *, sp=None, threads=None, progress=None):
    # networkx measures the distances toward each node of a directed graph.
    graph = _weighted_graph(G, distance, reverse=True)
    n = len(G)
    if u is not None:
        if distance is None:
            if u not in G:
                raise nx.NodeNotFound(f"Source {u} is not in G")
        else:
            # networkx's weighted search puts its source in a set first
            # (TypeError for an unhashable one), then looks it up.
            {u}
            if u not in G:
                raise nx.NodeNotFound(f"Node {u} not found in graph")
        found = graph.distances(G.names[G.index[u]], tarvel.BFS if distance is None else tarvel.DIJKSTRA)
        # networkx sums its distances in the order its search settles them:
        # ascending (equal ones in any order give the same sum).
        return _closeness(len(found) - 1, sum(sorted(found.values())), n, wf_improved)
    sums = graph.reachSums(weighted=distance is not None, **_run_options(threads, progress))
    return {node: _closeness(r, t, n, wf_improved) for node, (r, t) in zip(G.nodes, sums.values())}


# ---- betweenness --------------------------------------------------------------


def _check_betweenness(G, k=None, normalized=True, weight=None, endpoints=False, seed=None, *, threads=None,
                       progress=None):
    return every(
        graph_ok(G, multigraph=True),
        k is None or type(k) is int or "k of type %s" % type(k).__name__,
        _paths_ok(G, weight),
    )


_installed = {}


def _networkx_samples():
    """How the installed networkx samples: (whether k == len(G) means every
    node, whether its rescaling tells sampled sources from other nodes)."""
    if not _installed:
        module = importlib.import_module("networkx.algorithms.centrality.betweenness")
        source = inspect.getsource(module)
        _installed["all_at_n"] = "if k == len(G):" in source
        _installed["by_source"] = "sampled_nodes" in inspect.signature(module._rescale).parameters
    return _installed["all_at_n"], _installed["by_source"]


def _sources(G, k, seed):
    """The sources networkx draws for `k` and `seed` with its own random
    state, in its order; None for every node."""
    if k is None:
        return None
    all_at_n, _ = _networkx_samples()
    if all_at_n and k == len(G):
        return None
    return nx.utils.create_py_random_state(seed).sample(list(G.nodes), k)


def _rescale(values, n, normalized, directed, endpoints, sampled=None):
    """networkx's rescaling of the sums over `sampled` sources (None: every
    node), with the expressions of the installed version."""
    if sampled is None:
        N = n if endpoints else n - 1
        if N < 2:
            return values
        if normalized:
            scale = 1 / (N * (N - 1))
        else:
            scale = N / (N * (1 if directed else 2))
        if scale != 1:
            values = [v * scale for v in values]
        return values
    k = len(sampled)
    _, by_source = _networkx_samples()
    if not by_source:
        # Every node by n / k.
        if normalized:
            if endpoints:
                scale = None if n < 2 else 1 / (n * (n - 1))
            else:
                scale = None if n <= 2 else 1 / ((n - 1) * (n - 2))
        else:
            scale = None if directed else 0.5
        if scale is None:
            return values
        scale = scale * n / k
        return [v * scale for v in values]
    N = n if endpoints else n - 1
    if N < 2:
        return values
    if endpoints:
        if normalized:
            scale = 1 / (k * (N - 1))
        else:
            scale = N / (k * (1 if directed else 2))
        return values if scale == 1 else [v * scale for v in values]
    # Without endpoints a sampled source is no pair's source for itself.
    if normalized:
        source_scale = 1 / ((k - 1) * (N - 1)) if k > 1 else math.nan
        other_scale = 1 / (k * (N - 1))
    else:
        correction = 1 if directed else 2
        source_scale = N / ((k - 1) * correction) if k > 1 else math.nan
        other_scale = N / (k * correction)
    return [v * source_scale if i in sampled else v * other_scale for i, v in enumerate(values)]


@implements(_check_betweenness, worth_converting=True)
def betweenness_centrality(G, k=None, normalized=True, weight=None, endpoints=False, seed=None, *, threads=None,
                           progress=None):
    options = _run_options(threads, progress)
    sampled = _sources(G, k, seed)
    graph = _weighted_graph(G, weight)
    names = G.names
    if sampled is None:
        # tarvel's sums count every ordered pair, as networkx's before rescaling.
        values = list(graph.betweennessCentrality(weighted=weight is not None, **options).values())
    else:
        indices = [G.index[s] for s in sampled]
        values = list(graph.betweennessCentrality(sources=[names[i] for i in indices], weighted=weight is not None,
                                                  **options).values())
    if endpoints:
        if sampled is None:
            # Each source s adds the nodes it reaches to itself, and 1 to each of them.
            outgoing = G.graph.reachSums(**options).values()
            incoming = G.reversed().reachSums(**options).values() if G.is_directed() else outgoing
            values = [v + o[0] + i[0] for v, o, i in zip(values, outgoing, incoming)]
        else:
            for i in indices:
                found = G.graph.distances(names[i], tarvel.BFS)
                values[i] += len(found) - 1
                for name in found:
                    if name != names[i]:
                        values[int(name)] += 1  # node k is named str(k)
    values = _rescale(values, len(G), normalized, G.is_directed(), endpoints,
                      None if sampled is None else set(indices))
    return dict(zip(G.nodes, values))


# ---- Katz ---------------------------------------------------------------------


def _numbers(mapping):
    return all(map(number, mapping.values()))


def _check_katz(G, alpha=0.1, beta=1.0, max_iter=1000, tol=1.0e-6, nstart=None, normalized=True, weight=None, *,
                threads=None, progress=None):
    answer = every(
        graph_ok(G),
        number(alpha) or "alpha of type %s" % type(alpha).__name__,
        number(tol) or "tol of type %s" % type(tol).__name__,
        (type(max_iter) in (int, bool) and max_iter < 2**31) or "max_iter %r" % (max_iter,),
        not isinstance(beta, dict) or _numbers(beta) or "beta values that are not numbers",
        nstart is None or (isinstance(nstart, dict) and list(nstart) == list(G.nodes if hasattr(G, "by_name") else G)
                           and _numbers(nstart)) or "nstart other than a number per node in node order",
    )
    if answer is not True or weight is None:
        return answer
    if callable(weight):
        return "weight functions are answered by networkx"
    weights = weights_of(G, weight)
    if weights is None:
        return "the graph was converted without the attribute %r" % (weight,)
    return weights.reason if weights.kind is None else True


@implements(_check_katz, worth_converting=True)
def katz_centrality(G, alpha=0.1, beta=1.0, max_iter=1000, tol=1.0e-6, nstart=None, normalized=True, weight=None,
                    *, threads=None, progress=None):
    if len(G) == 0:
        return {}
    names = G.names
    try:
        b = float(beta)
    except (TypeError, ValueError, AttributeError) as err:
        if set(beta) != set(G.nodes):
            raise nx.NetworkXError("beta dictionary must have a value for every node") from err
        b = {names[k]: beta[n] for k, n in enumerate(G.nodes)}
    start = None if nstart is None else {names[k]: nstart[n] for k, n in enumerate(G.nodes)}
    graph = G.graph if weight is None else G.weighted(weight)[0]
    try:
        x = graph.incomingKatzCentrality(alpha, b, max_iter, tol, start=start, weighted=weight is not None,
                                         normalized=False, **_run_options(threads, progress))
    except RuntimeError as error:
        if str(error).startswith("Katz centrality did not converge"):
            raise nx.PowerIterationFailedConvergence(max_iter) from None
        raise
    # networkx's normalisation, to the bit.
    values = list(x.values())
    if normalized:
        try:
            s = 1.0 / math.hypot(*values)
        except ZeroDivisionError:
            s = 1.0
    else:
        s = 1
    return {n: v * s for n, v in zip(G.nodes, values)}
