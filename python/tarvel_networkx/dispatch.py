"""The registry of the functions the backend answers: for each, its
implementation and the check that tells networkx whether tarvel answers a
call exactly (can_run) and whether that is worth converting the graph for
(should_run). Every completed call is counted while networkx's test suite
runs (testing.py), and so is every NotImplementedError, which networkx would
answer silently in the backend's place."""
import collections
import functools

import networkx as nx

from .graph import MIXED, WIDE, TarvelGraph, Weights, convert, presented_adjacency, weight_values

implementations = {}  # name -> function networkx calls
checks = {}  # name -> check(*args, **kwargs): True, or why tarvel declines
heavy = set()  # names worth a conversion on every call

# Set by testing.on_start_tests: completed calls and NotImplementedError per function.
counts = None
fallbacks = None


def start_counting():
    global counts, fallbacks
    counts = collections.Counter()
    fallbacks = collections.Counter()


def implements(check, *, worth_converting=False):
    """Registers the decorated function under its name, with `check`."""

    def register(function):
        name = function.__name__

        @functools.wraps(function)
        def counted(*args, **kwargs):
            try:
                result = function(*args, **kwargs)
            except NotImplementedError:
                if fallbacks is not None:
                    fallbacks[name] += 1
                raise
            if counts is not None:
                counts[name] += 1
            return result

        implementations[name] = counted
        checks[name] = check
        if worth_converting:
            heavy.add(name)
        return counted

    return register


# ---- what the checks share --------------------------------------------------


MULTIGRAPH = "multigraphs are answered by networkx (its answer sees parallel edges, which tarvel's graph merges)"


def graph_ok(G, *, multigraph=False):
    """True for a graph tarvel takes; else why not. `multigraph`: the
    function reads a multigraph as networkx's searches do, through G[u]
    (each neighbour once, the least weight among parallel edges), which is
    how a multigraph is converted; the others decline multigraphs."""
    if isinstance(G, TarvelGraph):
        return multigraph or not G.multigraph or MULTIGRAPH
    if not isinstance(G, nx.Graph):
        return "not a networkx graph"
    if G.is_multigraph() and not multigraph:
        return MULTIGRAPH
    return True


def weights_of(G, attr, default=1):
    """Weights (kind, negative, reason; values dropped) of `attr` over G's
    edges, remembered in G's networkx cache, which networkx empties when G
    changes. None when G is a converted graph without that attribute."""
    if isinstance(G, TarvelGraph):
        found = G.weighted(attr, default)
        return None if found is None else found[1]
    cache = getattr(G, "__networkx_cache__", None)
    key = (attr, default)
    try:
        known = cache.get("tarvel", {}).get(key) if cache is not None else None
    except TypeError:  # an unhashable default
        cache = known = None
    if known is not None:
        return known
    if cache is None:
        weights = Weights(weight_values(presented_adjacency(G, attr, default), attr, default), len(G))
        weights.values = None
        return weights
    # The module's walk that classifies the weights builds the converted
    # graph as it goes, for little more: kept beside them for
    # convert_from_nx (converted_for), which networkx calls next when the
    # call runs in tarvel.
    converted = convert(G, attr, default, merged=G.is_multigraph())
    kept = cache.setdefault("tarvel", {})
    kept[key] = converted.weights
    kept[("converted",) + key] = converted
    return converted.weights


def converted_for(G, attr, default):
    """The graph weights_of converted for (attr, default), taken out of G's
    cache (networkx keeps it in its own from then on); None when there is
    none."""
    cache = getattr(G, "__networkx_cache__", None)
    try:
        return cache.get("tarvel", {}).pop(("converted", attr, default), None) if cache is not None else None
    except TypeError:  # an unhashable default
        return None


def weight_ok(G, weight, *, negative, lengths):
    """Whether tarvel sums `weight` (an attribute name, or None for hop
    counts) as networkx does: `negative` when negative weights are fine,
    `lengths` when the call returns lengths, whose type must be networkx's."""
    if weight is None:
        return True
    if callable(weight):
        return "weight functions are answered by networkx"
    weights = weights_of(G, weight)
    if weights is None:
        return "the graph was converted without the attribute %r" % (weight,)
    if weights.kind is None:
        return weights.reason
    if weights.negative and not negative:
        return "negative weights (networkx's Dijkstra refuses or misreads them)"
    if lengths and weights.kind == MIXED:
        return "int and float weights together (a length's type depends on its path)"
    return True


def every(*answers):
    """The first answer that is not True, else True."""
    for answer in answers:
        if answer is not True:
            return answer
    return True


def number(value):
    return type(value) in (int, float, bool)


def length(value, weights):
    """A distance as networkx types it: ints for integer weights (also wide
    ones, summed exactly in doubles), floats for float weights."""
    return int(value) if weights.kind == WIDE else value

