"""Centralities with networkx's definitions, made from tarvel's raw
quantities: degrees, reach counts and distance sums (exact integers, so
degree and closeness come out to the bit), the unnormalised betweenness
(within 2(V - 1) * 2**-53 of networkx's, relatively: the same sums in
another order) and Katz over incoming edges (the same operations in the
same order, normalised here as networkx does)."""
import math

import networkx as nx
import tarvel

from .dispatch import every, graph_ok, implements, number, weights_of


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


# ---- closeness ----------------------------------------------------------------


def _check_closeness(G, u=None, distance=None, wf_improved=True, *, sp=None, threads=None, progress=None):
    return every(
        graph_ok(G, multigraph=True),
        distance is None or "distances by an edge attribute are answered by networkx",
        sp is None or "given shortest path lengths are answered by networkx",
    )


def _closeness(reached, total, n, wf_improved):
    # networkx's own expression, operation for operation: len(sp) is
    # reached + 1 and totsp the exact integer sum.
    c = 0.0
    if total > 0.0 and n > 1:
        c = (reached + 1 - 1.0) / total
        if wf_improved:
            c *= (reached + 1 - 1.0) / (n - 1)
    return c


@implements(_check_closeness, worth_converting=True)
def closeness_centrality(G, u=None, distance=None, wf_improved=True, *, sp=None, threads=None, progress=None):
    # networkx measures the distances toward each node of a directed graph.
    graph = G.reversed() if G.is_directed() else G.graph
    n = len(G)
    if u is not None:
        if u not in G:
            raise nx.NodeNotFound(f"Source {u} is not in G")
        found = graph.distances(G.names[G.index[u]], tarvel.BFS)
        return _closeness(len(found) - 1, sum(found.values()), n, wf_improved)
    sums = graph.reachSums(**_run_options(threads, progress))
    return {node: _closeness(r, t, n, wf_improved) for node, (r, t) in zip(G.nodes, sums.values())}


# ---- betweenness --------------------------------------------------------------


def _check_betweenness(G, k=None, normalized=True, weight=None, endpoints=False, seed=None, *, threads=None,
                       progress=None):
    return every(
        graph_ok(G, multigraph=True),
        k is None or k == len(G) or "sampled sources are answered by networkx",
        weight is None or "weighted shortest paths are answered by networkx",
    )


def _rescale(values, n, normalized, directed, endpoints):
    # networkx's rescaling when every node is a source.
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


@implements(_check_betweenness, worth_converting=True)
def betweenness_centrality(G, k=None, normalized=True, weight=None, endpoints=False, seed=None, *, threads=None,
                           progress=None):
    options = _run_options(threads, progress)
    # tarvel's sums count every ordered pair, as networkx's before rescaling.
    values = list(G.graph.betweennessCentrality(**options).values())
    if endpoints:
        # Each source s adds the nodes it reaches to itself, and 1 to each of them.
        outgoing = G.graph.reachSums(**options).values()
        incoming = G.reversed().reachSums(**options).values() if G.is_directed() else outgoing
        values = [v + o[0] + i[0] for v, o, i in zip(values, outgoing, incoming)]
    values = _rescale(values, len(G), normalized, G.is_directed(), endpoints)
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
