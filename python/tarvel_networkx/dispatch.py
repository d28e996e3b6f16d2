"""The registry of the functions the backend answers: for each, its
implementation and the check that tells networkx whether tarvel answers a
call exactly (can_run) and whether that is worth converting the graph for
(should_run). Every completed call is counted while networkx's test suite
runs (testing.py), and so is every NotImplementedError, which networkx would
answer silently in the backend's place."""
import collections
import functools
import threading

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
    edges, remembered in G's networkx cache (unless networkx's caching is
    off), which networkx empties when G changes. None when G is a
    converted graph without that attribute."""
    if isinstance(G, TarvelGraph):
        found = G.weighted(attr, default)
        return None if found is None else found[1]
    cache = getattr(G, "__networkx_cache__", None)
    if not getattr(getattr(nx, "config", None), "cache_converted_graphs", True):
        cache = None
    key = (attr, default)
    try:
        known = cache.get("tarvel", {}).get(key) if cache is not None else None
    except TypeError:  # an unhashable default
        cache = known = None
    if known is not None:
        return known
    # The module's walk that classifies the weights builds the converted
    # graph as it goes, for little more: kept for the convert_from_nx of
    # this same call (converted_for), never beyond it.
    converted = convert(G, attr, default)
    _pending.call = (G, attr, default, converted)
    if cache is not None:
        cache.setdefault("tarvel", {})[key] = converted.weights
    return converted.weights


# The graph weights_of converted during the current call's checks, per
# thread. Every new call (can_run) and every decline forgets it: a graph
# whose data changed in place between two calls is never answered from the
# earlier call's conversion, and a declined call keeps nothing alive.
_pending = threading.local()


def forget_conversion():
    _pending.call = None


def converted_for(G, attr, default):
    """The graph weights_of converted for (attr, default) during this call's
    checks, once; None when there is none."""
    pending = getattr(_pending, "call", None)
    _pending.call = None
    if pending is None or pending[0] is not G:
        return None
    try:
        same = pending[1] == attr and (pending[2] is default or pending[2] == default)
    except Exception:  # values whose comparison raises: convert anew
        return None
    return pending[3] if same is True else None


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

