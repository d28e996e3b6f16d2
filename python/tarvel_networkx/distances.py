"""Distances from every source, and the eccentricity family: networkx's
values, types, orders and errors. The all-pairs functions are generators
like networkx's: nothing is computed before the first row is asked for,
and then a batch of sources at a time (on tarvel's threads), each row
handed over as networkx's would be, its targets in the order networkx's
search reaches them."""
import math
import re

import networkx as nx
import tarvel

from .dispatch import every, graph_ok, implements, weight_ok
from .graph import FLOAT, WIDE

BFS, DIJKSTRA = tarvel.BFS, tarvel.DIJKSTRA
INFINITE = "an eccentricity is infinite"
NULL = "the null graph (networkx's error for it depends on its version)"
# Distances held by one batch of rows before they are handed over.
BATCH_ENTRIES = 1 << 18


def _cutoff_ok(cutoff):
    return cutoff is None or type(cutoff) in (int, float) or "cutoff of type %s" % type(cutoff).__name__


def _search(G, weight):
    """(tarvel graph, Weights, method): hop counts for weight None."""
    graph, weights = G.weighted(weight)
    return graph, weights, BFS if weight is None else DIJKSTRA


def _keep(cutoff, hops):
    """Which targets other than the source networkx's search with `cutoff`
    keeps: breadth-first levels L with L - 1 < cutoff (it goes on while
    cutoff > the level it has); Dijkstra's paths not longer than the cutoff
    (it queues none that is). The source is always kept."""
    if cutoff is None:
        return None
    if hops:
        return lambda d: d - 1 < cutoff
    return lambda d: not d > cutoff


def _rows(G, weight, cutoff, threads, levels):
    """`levels`: the cutoff counts breadth-first levels (else it bounds
    Dijkstra's distances, unit ones for weight None)."""
    graph, weights, method = _search(G, weight)
    nodes, names = G.nodes, G.names
    node = G.by_name.__getitem__
    keep = _keep(cutoff, levels)
    wide = method == DIJKSTRA and weights.kind == WIDE
    floats = method == DIJKSTRA and weights.kind == FLOAT
    batch = max(1, min(256, BATCH_ENTRIES // max(1, len(nodes))))
    for first in range(0, len(nodes), batch):
        rows = graph.distancesFromEach(names[first:first + batch], method, threads=threads)
        for k in range(len(rows)):
            row, rows[k] = rows[k], None
            if wide:
                out = dict(zip(map(node, row), map(int, row.values())))
            else:
                out = dict(zip(map(node, row), row.values()))
            source = nodes[first + k]
            if floats:
                out[source] = 0  # networkx's searches start from the int 0
            if keep is not None:
                out = {t: d for t, d in out.items() if t is source or keep(d)}
            yield source, out


def _check_all_pairs_unweighted(G, cutoff=None, *, threads=None):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff))


def _check_all_pairs_dijkstra(G, cutoff=None, weight="weight", *, threads=None):
    return every(graph_ok(G, multigraph=True), _cutoff_ok(cutoff),
                 weight_ok(G, weight, negative=False, lengths=True))


@implements(_check_all_pairs_unweighted, worth_converting=True)
def all_pairs_shortest_path_length(G, cutoff=None, *, threads=None):
    return _rows(G, None, cutoff, threads, True)


@implements(_check_all_pairs_dijkstra, worth_converting=True)
def all_pairs_dijkstra_path_length(G, cutoff=None, weight="weight", *, threads=None):
    return _rows(G, weight, cutoff, threads, False)


# ---- the eccentricity family -------------------------------------------------


def _nbunch_ok(G, v):
    """v as networkx's nbunch_iter reads it without raising: None, a node,
    or a list, tuple or set of hashable objects."""
    if v is None or v in G:
        return True
    if isinstance(v, (list, tuple, set, frozenset)):
        try:
            for n in v:
                hash(n)
        except TypeError:
            return "v holding an unhashable object (networkx raises NetworkXError)"
        return True
    return "v of type %s (networkx reads it as its own nbunch)" % type(v).__name__


def _distance(value, weights, weighted):
    """An eccentricity as networkx types it: max() over a dict whose first
    value is the source's int 0, so 0 stays int; ints for integer weights."""
    if value == 0:
        return 0
    return int(value) if weighted and weights.kind == WIDE else value


def _infinite(G):
    if G.is_directed():
        return nx.NetworkXError("Found infinite path length because the digraph is not strongly connected")
    return nx.NetworkXError("Found infinite path length because the graph is not connected")


def _measured(G, call):
    try:
        return call()
    except RuntimeError as error:
        if str(error).startswith(INFINITE):
            raise _infinite(G) from None
        raise


def _check_eccentricity(G, v=None, sp=None, weight=None, *, threads=None):
    return every(graph_ok(G, multigraph=True),
                 sp is None or "sp (path lengths given by the caller) is networkx's to read", len(G) > 0 or NULL,
                 _nbunch_ok(G, v), weight_ok(G, weight, negative=False, lengths=True))


@implements(_check_eccentricity, worth_converting=True)
def eccentricity(G, v=None, sp=None, weight=None, *, threads=None):
    graph, weights = G.weighted(weight)
    single = v is not None and v in G
    if v is None:
        asked = None
    else:
        index = G.index
        asked = [G.names[index[n]] for n in dict.fromkeys([v] if single else (n for n in v if n in G))]
    weighted = weight is not None
    found = _measured(G, lambda: graph.eccentricity(nodes=asked, weighted=weighted, threads=threads))
    node = G.by_name.__getitem__
    e = {node(k): _distance(d, weights, weighted) for k, d in found.items()}
    return e[v] if single else e


# networkx 3.7's bounded search starts its upper bounds from infinity;
# earlier ones started them from the node count, another sequence of steps.
_INFINITE_START = tuple(map(int, re.match(r"(\d+)\.(\d+)", nx.__version__).groups())) >= (3, 7)


def _bounds_ok(G, usebounds):
    if usebounds is not True or G.is_directed():
        return True
    if G.is_multigraph():
        return "usebounds on a multigraph (its bounds follow networkx's degrees, which count parallel edges)"
    return _INFINITE_START or "usebounds before networkx 3.7 (its bounds started from the node count)"


def _check_extreme(G, e=None, usebounds=False, weight=None, *, threads=None):
    return every(graph_ok(G, multigraph=True),
                 e is None or "e (eccentricities given by the caller) is networkx's to read",
                 len(G) > 0 or NULL, weight_ok(G, weight, negative=False, lengths=True), _bounds_ok(G, usebounds))


def _extreme(G, weight, threads, usebounds, compute):
    """What networkx's diameter, radius, center or periphery gives."""
    if usebounds is True and not G.is_directed():
        return _bounded(G, weight, threads, compute)
    graph, weights = G.weighted(weight)
    weighted = weight is not None
    answer = _measured(G, lambda: getattr(graph, compute)(weighted=weighted, threads=threads))
    if compute in ("diameter", "radius"):
        return _distance(answer, weights, weighted)
    return list(map(G.by_name.__getitem__, answer))


@implements(_check_extreme, worth_converting=True)
def diameter(G, e=None, usebounds=False, weight=None, *, threads=None):
    return _extreme(G, weight, threads, usebounds, "diameter")


@implements(_check_extreme, worth_converting=True)
def radius(G, e=None, usebounds=False, weight=None, *, threads=None):
    return _extreme(G, weight, threads, usebounds, "radius")


@implements(_check_extreme, worth_converting=True)
def center(G, e=None, usebounds=False, weight=None, *, threads=None):
    return _extreme(G, weight, threads, usebounds, "center")


@implements(_check_extreme, worth_converting=True)
def periphery(G, e=None, usebounds=False, weight=None, *, threads=None):
    return _extreme(G, weight, threads, usebounds, "periphery")


# ---- bounded search on an undirected graph ------------------------------------


def _bounded(G, weight, threads, compute):
    """networkx's extrema bounding, step by step: the same sources in the
    same order (its sets of the same node objects, built by the same
    operations, iterate alike), the same bounds and the same answer, each
    search's distances from tarvel (the null graph is declined)."""
    graph, weights, method = _search(G, weight)
    nodes, names, index = G.nodes, G.names, G.index
    # networkx's degrees: a self-loop, one entry in tarvel's list, counts twice.
    degrees = dict(zip(nodes, _entry_counts(graph)))
    for k in G.self_loops:
        degrees[nodes[k]] += 1
    minlowernode = max(degrees, key=degrees.get)
    N = len(degrees)
    high = False
    maxuppernode = None
    ecc_lower = dict.fromkeys(nodes, 0)
    ecc_upper = dict.fromkeys(nodes, math.inf)
    candidates = set(nodes)
    minlower, maxlower, minupper, maxupper = math.inf, 0, math.inf, 0
    node = G.by_name.__getitem__
    wide = method == DIJKSTRA and weights.kind == WIDE
    while candidates:
        current = maxuppernode if high else minlowernode
        high = not high
        (row,) = graph.distancesFromEach([names[index[current]]], method, threads=threads)
        if len(row) != N:
            raise nx.NetworkXError("Cannot compute metric because graph is not connected.")
        dist = {node(k): (int(d) if wide else d) for k, d in row.items()}
        dist[current] = 0
        current_ecc = max(dist.values())
        maxuppernode = None
        minlowernode = None
        for i in candidates:
            d = dist[i]
            ecc_lower[i] = max(ecc_lower[i], max(d, (current_ecc - d)))
            ecc_upper[i] = min(ecc_upper[i], current_ecc + d)
            minlower = min(ecc_lower[i], minlower)
            maxlower = max(ecc_lower[i], maxlower)
            minupper = min(ecc_upper[i], minupper)
            maxupper = max(ecc_upper[i], maxupper)
        if compute == "diameter":
            ruled_out = {i for i in candidates if ecc_upper[i] <= maxlower and 2 * ecc_lower[i] >= maxupper}
        elif compute == "radius":
            ruled_out = {i for i in candidates if ecc_lower[i] >= minupper and ecc_upper[i] + 1 <= 2 * minlower}
        elif compute == "periphery":
            ruled_out = {i for i in candidates
                         if ecc_upper[i] < maxlower and (maxlower == maxupper or ecc_lower[i] > maxupper)}
        else:
            ruled_out = {i for i in candidates
                         if ecc_lower[i] > minupper and (minlower == minupper or ecc_upper[i] + 1 < 2 * minlower)}
        ruled_out.update(i for i in candidates if ecc_lower[i] == ecc_upper[i])
        candidates -= ruled_out
        for i in candidates:
            if (minlowernode is None
                    or (ecc_lower[i] == ecc_lower[minlowernode] and degrees[i] > degrees[minlowernode])
                    or (ecc_lower[i] < ecc_lower[minlowernode])):
                minlowernode = i
            if (maxuppernode is None
                    or (ecc_upper[i] == ecc_upper[maxuppernode] and degrees[i] > degrees[maxuppernode])
                    or (ecc_upper[i] > ecc_upper[maxuppernode])):
                maxuppernode = i
    if compute == "diameter":
        return maxlower
    if compute == "radius":
        return minupper
    if compute == "periphery":
        return [v for v in nodes if ecc_lower[v] == maxlower]
    return [v for v in nodes if ecc_upper[v] == minupper]


def _entry_counts(graph):
    """Each node's adjacency entries, in node order (a self-loop once)."""
    return [int(d) for d in graph.degreeCentrality().values()]
