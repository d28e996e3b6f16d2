"""PageRank and harmonic centrality with networkx's definitions.

PageRank is tarvel's `pageRank`, which makes the iteration networkx's
sparse-matrix loop makes (the same shares, the same pairwise sums, the same
stopping rule), so it stops at the same step with the same vector, and
raises where networkx raises. Harmonic centrality is tarvel's exact
distances, on the reversed graph for a directed one (networkx sums the
distances toward a node), their reciprocals added in another order than
networkx's: within rounding of its numbers."""
import networkx as nx

from .centrality import _run_options, _weighted_graph
from .dispatch import every, graph_ok, implements, number, weight_ok, weights_of

# ---- PageRank -------------------------------------------------------------------


def _vector_ok(values, what):
    if values is None:
        return True
    if not isinstance(values, dict):
        return "%s of type %s" % (what, type(values).__name__)
    return all(map(number, values.values())) or "%s values that are not numbers" % what


def _check_pagerank(G, alpha=0.85, personalization=None, max_iter=100, tol=1.0e-6, nstart=None, weight="weight",
                    dangling=None, *, threads=None, progress=None):
    answer = every(
        graph_ok(G),
        number(alpha) or "alpha of type %s" % type(alpha).__name__,
        number(tol) or "tol of type %s" % type(tol).__name__,
        (type(max_iter) in (int, bool) and abs(max_iter) < 2**31) or "max_iter %r" % (max_iter,),
        _vector_ok(personalization, "personalization"),
        _vector_ok(nstart, "nstart"),
        _vector_ok(dangling, "dangling"),
    )
    if answer is not True or weight is None:
        return answer
    if callable(weight):
        return "weight functions are answered by networkx"
    weights = weights_of(G, weight)
    if weights is None:
        return "the graph was converted without the attribute %r" % (weight,)
    return weights.reason if weights.kind is None else True


def _by_name(G, values):
    """A dict by node object as tarvel's by name: the nodes of G only (networkx
    reads each node's value, 0 when absent, and ignores the rest)."""
    if values is None:
        return None
    names, index = G.names, G.index
    return {names[index[n]]: float(v) for n, v in values.items() if n in G}


@implements(_check_pagerank, worth_converting=True)
def pagerank(G, alpha=0.85, personalization=None, max_iter=100, tol=1.0e-6, nstart=None, weight="weight",
             dangling=None, *, threads=None, progress=None):
    if len(G) == 0:
        return {}
    graph = G.graph if weight is None else G.weighted(weight)[0]
    try:
        ranks = graph.pageRank(alpha, personalization=_by_name(G, personalization), start=_by_name(G, nstart),
                               dangling=_by_name(G, dangling), max_iterations=int(max_iter), tolerance=tol,
                               weighted=weight is not None, **_run_options(threads, progress))
    except RuntimeError as error:
        if str(error).startswith("PageRank did not converge"):
            raise nx.PowerIterationFailedConvergence(max_iter) from None
        raise
    except ValueError as error:
        if str(error) == "personalization sums to 0":
            raise ZeroDivisionError from None
        raise
    return dict(zip(G.nodes, ranks.values()))


# ---- harmonic centrality ----------------------------------------------------------


def _check_harmonic(G, nbunch=None, distance=None, sources=None, *, threads=None, progress=None):
    # nbunch and sources may be iterators: read in the call only.
    return every(graph_ok(G, multigraph=True), weight_ok(G, distance, negative=False, lengths=False))


def _bunch(G, nbunch):
    """The nodes of G.nbunch_iter(nbunch), with its errors."""
    if nbunch is None:
        return list(G.nodes)
    if nbunch in G:
        return [nbunch]
    found = []
    n = None
    try:
        for n in nbunch:
            if n in G.index:
                found.append(n)
    except TypeError as err:
        message = err.args[0] if err.args else ""
        if "iter" in message:
            raise nx.NetworkXError("nbunch is not a node or a sequence of nodes.") from err
        if "hashable" in message:
            raise nx.NetworkXError(f"Node {n} in sequence nbunch is not a valid node.") from err
        raise
    return found


@implements(_check_harmonic, worth_converting=True)
def harmonic_centrality(G, nbunch=None, distance=None, sources=None, *, threads=None, progress=None):
    # networkx's sets, made as networkx makes them: its dict has their order.
    targets = set(_bunch(G, nbunch))
    far = set(_bunch(G, sources))
    if not targets or not far:
        return {u: 0 for u in targets}
    names, index = G.names, G.index
    # The distances toward each node: from it, on the reversed graph.
    graph = _weighted_graph(G, distance, reverse=True)
    scores = graph.harmonicCentrality(nodes=[names[index[u]] for u in targets],
                                      sources=[names[index[v]] for v in far], weighted=distance is not None,
                                      **_run_options(threads, progress))
    # A node no source reaches keeps networkx's int 0.
    return {u: scores[names[index[u]]] or 0 for u in targets}
