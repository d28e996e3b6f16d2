"""The graph networkx hands to the tarvel backend: a tarvel.Graph whose node k
is named "k", the networkx node objects in a list (any hashable objects), and
what each call needs beside them: a graph per weight attribute, the reversed
graph for incoming distances, the attributes a returned graph carries.

An undirected networkx graph becomes a directed tarvel graph holding both
directions of every edge, each node's list in networkx's adjacency order
(a self-loop once, as networkx lists it): every search then meets neighbours
in the order networkx's own searches do.

A multigraph is converted as networkx's searches read it, through G[u]:
each neighbour once, weighing the least of its parallel edges' weights
(presented_adjacency below).
"""
import math
import weakref

import tarvel

# Weights tarvel holds exactly, and what their sums become.
INT = "int"  # int and bool in the 32-bit range: exact 64-bit sums, int results
FLOAT = "float"  # float only: double sums, as networkx's
MIXED = "mixed"  # int and float: double sums, but a length's type depends on its path
WIDE = "wide"  # ints beyond 32 bits: exact in doubles while every sum stays below 2**53

_INT32 = (-(2**31), 2**31 - 1)
_EXACT = 2**53
_NUMBERS = frozenset({int, bool, float})

_names = []  # "0", "1", ...: shared by every conversion


def names_for(count):
    """The names of the first `count` nodes."""
    if len(_names) < count:
        _names.extend(map(str, range(len(_names), count)))
    return _names[:count]


class Weights:
    """What a weight attribute holds over a graph's edges: its kind (one of
    the constants above, or None when tarvel cannot hold the values exactly),
    whether any is negative, and the values in edge order."""

    __slots__ = ("kind", "negative", "values", "reason")

    def __init__(self, values, node_count):
        types = set(map(type, values))
        low = high = None
        finite = True
        integral = 0
        if values and types <= _NUMBERS:
            finite = float not in types or all(map(math.isfinite, values))
            if finite:
                low, high = min(values), max(values)
                if float in types and len(types) > 1:
                    integral = max(abs(v) for v in values if type(v) is not float)
        self._classify(values, bool(values), types, low, high, finite, node_count, integral)

    @classmethod
    def summarised(cls, count, types, lows, highs, finite, node_count):
        """The Weights of `count` values (left out) from what a walk over
        them found: their types, the candidates for the least and the
        greatest value, whether every float is finite."""
        weights = cls.__new__(cls)
        low = min(lows) if lows else None
        high = max(highs) if highs else None
        integral = max((abs(v) for v in [*lows, *highs] if type(v) is not float), default=0)
        weights._classify(None, count > 0, set(types), low, high, finite, node_count, integral)
        return weights

    def _classify(self, values, any_values, types, low, high, finite, node_count, integral=0):
        # `integral`: the greatest |value| of the int (and bool) weights.
        self.values = values
        self.negative = False
        self.kind = None
        self.reason = None
        if not any_values:
            self.kind = INT
        elif not types <= _NUMBERS:
            self.reason = "weights of type %s" % ", ".join(sorted(t.__name__ for t in types - _NUMBERS))
        elif not finite:
            self.reason = "weights that are not finite"
        else:
            self.negative = low < 0
            if float in types:
                self.kind = FLOAT if types == {float} else MIXED
                # A path's int weights add exactly in networkx until a float
                # joins them, in doubles in tarvel: the same sums only while
                # they stay below 2**53 (bounded as for wide ints).
                if self.kind == MIXED and integral * max(node_count, 1) ** 2 > _EXACT:
                    self.kind, self.reason = None, "integer weights whose sums may exceed 2**53 beside float ones"
            elif _INT32[0] <= low and high <= _INT32[1]:
                self.kind = INT
            elif max(-low, high) * node_count * node_count <= _EXACT:
                self.kind = WIDE
            else:
                self.kind, self.reason = None, "integer weights whose sums may exceed 2**53"

    @property
    def weight_type(self):
        return int if self.kind == INT else float


def merged_weight(keydict, attr, default):
    """The weight networkx's searches give a multigraph's parallel edges
    (key -> data): the least of their `attr` values, `default` where one
    lacks it. Python's min over the keys in order, as networkx takes it
    (the first of equal values, TypeError for values min cannot order)."""
    return min(d.get(attr, default) for d in keydict.values())


def presented_adjacency(G, attr, default):
    """The adjacency a search sees in G (node -> neighbour -> data), in G's
    order. A multigraph's is made here: each neighbour once, its data
    {attr: merged_weight} ({} for hop counts, attr None); any other
    graph's is its own."""
    if not G.is_multigraph():
        return G._adj
    if attr is None:
        return {u: dict.fromkeys(nbrs, {}) for u, nbrs in G._adj.items()}
    return {u: {v: {attr: merged_weight(keys, attr, default)} for v, keys in nbrs.items()}
            for u, nbrs in G._adj.items()}


def weight_values(adj, attr, default):
    """The attribute of every adjacency entry, in adjacency order."""
    return [d.get(attr, default) for nbrs in adj.values() for d in nbrs.values()]


class TarvelGraph:
    """A networkx graph converted for tarvel. `nodes` lists the node objects
    (node k is named "k" in every tarvel graph here), `index` maps each back
    to its position, `graph` is the tarvel graph of the weights the
    conversion was asked for (all 1 when none)."""

    __networkx_backend__ = "tarvel"

    def __init__(self, nodes, directed, self_loops, multigraph=False):
        self.nodes = nodes
        self.index = dict(zip(nodes, range(len(nodes))))
        self.names = names_for(len(nodes))
        self.by_name = dict(zip(self.names, nodes))
        self.directed = directed
        self.multigraph = multigraph  # its tarvel graphs hold parallel edges merged
        self.self_loops = self_loops  # nodes with a self-loop, by index
        self.__networkx_cache__ = {}
        self.graph = None
        self.weights = None  # Weights of `attribute`; `graph` holds them unless their kind is None
        self.attribute = None  # (attribute, default) of `graph`, None for hop counts
        self.edge_data = None  # [(u index, v index, data)] when every attribute was kept (multigraph: key -> data)
        self.node_data = None
        self.graph_data = None
        self.graph_class = None
        self._weighted = {}  # (attribute, default) -> (tarvel graph, Weights)
        self._reversed = None
        # The networkx graph it was converted from, while that lives: the
        # functions that return part of it copy the part from there, as
        # networkx does (ego_graph).
        self.source = None
        # For a directed graph's two-ended search: False when every node
        # lists its predecessors in node order (the incoming lists serve),
        # else a tarvel graph of the predecessor lists in networkx's order.
        self.backward = None
        # The networkx graph's adjacency and predecessor dicts, for the edge
        # searches (cycles.py): a multigraph's parallel edges, _pred's order.
        self.adjacency = None
        self.predecessors = None
        self._parallel = None
        self._pred_order = None

    def __getstate__(self):
        # A weak reference does not pickle: a graph made again from its
        # pickle has no networkx graph to copy parts from.
        state = self.__dict__.copy()
        state["source"] = None
        return state

    def is_directed(self):
        return self.directed

    def is_multigraph(self):
        return self.multigraph

    def __len__(self):
        return len(self.nodes)

    def __contains__(self, node):
        try:
            return node in self.index
        except TypeError:
            return False

    def node(self, name):
        return self.by_name[name]

    def weighted(self, attr, default=1):
        """(tarvel graph, Weights) for edge weights from `attr`, or None when
        the conversion kept neither that attribute nor every attribute. For
        None (hop counts) any of the graphs serves: its searches by BFS."""
        if attr is None:
            return self.graph, Weights([], 0)
        key = (attr, default)
        if key == self.attribute:
            return self.graph, self.weights
        if key not in self._weighted:
            if self.edge_data is None:
                return None
            if self.multigraph:
                values = [merged_weight(keys, attr, default) for _, _, keys in self.edge_data]
            else:
                values = [d.get(attr, default) for _, _, d in self.edge_data]
            weights = Weights(values, len(self.nodes))
            graph = None
            if weights.kind is not None:
                graph = build(self.names, [(u, v) for u, v, _ in self.edge_data], weights)
            self._weighted[key] = (graph, weights)
        return self._weighted[key]

    def parallel(self):
        """(tarvel graph, keys) of a multigraph with every parallel edge: each
        node's entries as networkx's G.edges(node, keys=True) lists them
        (neighbours in adjacency order, each one's keys in key order), the
        key of edges()[k] at keys[k]."""
        if self._parallel is None:
            index, names = self.index, self.names
            ends, keys = [], []
            for u, nbrs in self.adjacency.items():
                su = names[index[u]]
                for v, keydict in nbrs.items():
                    sv = names[index[v]]
                    for key in keydict:
                        ends.append((su, sv, 1))
                        keys.append(key)
            g = tarvel.Graph(True)
            g.addNodes(names)
            g.addEdges(ends)
            self._parallel = (g, keys)
        return self._parallel

    def pred_in_node_order(self):
        """Whether each node's predecessors (networkx's G._pred) come in node
        order, the order tarvel's in-edges take: True for an undirected graph."""
        if self._pred_order is None:
            index = self.index

            def ordered(preds):
                positions = [index[u] for u in preds]
                return positions == sorted(positions)

            self._pred_order = self.predecessors is None or all(map(ordered, self.predecessors.values()))
        return self._pred_order

    def reversed(self):
        """The tarvel graph with every edge turned round (the graph itself
        when undirected): its searches give distances toward a node."""
        if not self.directed:
            return self.graph
        if self._reversed is None:
            g = tarvel.Graph(True, weightType=float if "float weights" in repr(self.graph) else int)
            g.addNodes(self.names)
            g.addEdges([(e.destination, e.source, e.weight) for e in self.graph.edges()])
            self._reversed = g
        return self._reversed


def build(names, ends, weights):
    """A directed tarvel graph of the given (u index, v index) entries."""
    g = tarvel.Graph(True, weightType=weights.weight_type)
    g.addNodes(names)
    g.addEdges([(names[u], names[v], w) for (u, v), w in zip(ends, weights.values)])
    return g


def convert(G, attr=None, default=1, keep_all=False, merged=None):
    """A TarvelGraph of the networkx graph G, its tarvel graph weighted by
    `attr` (hop counts for None); with keep_all, also the node, edge and
    graph attributes (references to G's dicts). `merged` (by default: when
    G is a multigraph) reads a multigraph's adjacency ({neighbour: {key:
    data}}) as networkx's searches read it: each neighbour once, with the
    least weight over its parallel edges. The module walks networkx's dicts
    itself (Graph._fromAdjacency); adjacencies of other mappings take
    convert_plain, which builds the same graph."""
    if merged is None:
        merged = G.is_multigraph()
    summary = []

    def classify(count, types, lows, highs, finite):
        weights = Weights.summarised(count, types, lows, highs, finite, len(G._adj))
        summary.append(weights)
        return None if weights.kind is None else weights.weight_type

    found = tarvel.Graph._fromAdjacency(G._adj, attr, default, merged, classify)
    if found is None:
        return convert_plain(G, attr, default, keep_all, merged)
    graph, nodes, self_loops = found
    converted = TarvelGraph(nodes, G.is_directed(), self_loops, G.is_multigraph())
    converted.source = weakref.ref(G)
    keep_adjacency(converted, G)
    if attr is None:
        converted.weights = Weights([], len(nodes))
    else:
        converted.weights = summary[0]
        converted.attribute = (attr, default)
    converted.weights.values = None
    if keep_all:
        keep_attributes(converted, G)
    converted.graph = graph
    return converted


def keep_adjacency(converted, G):
    """G's adjacency and predecessor dicts (references: networkx empties its
    cache of converted graphs when G changes)."""
    converted.adjacency = G._adj
    converted.predecessors = getattr(G, "_pred", None) if G.is_directed() else None


def keep_attributes(converted, G):
    """Every node, edge and graph attribute of G, for a returned graph."""
    index = converted.index
    converted.edge_data = [(index[u], index[v], d) for u, nbrs in G._adj.items() for v, d in nbrs.items()]
    converted.node_data = [G._node[n] for n in converted.nodes]
    converted.graph_data = G.graph
    converted.graph_class = G.__class__


def convert_plain(G, attr=None, default=1, keep_all=False, merged=None):
    """convert, one comprehension of Python over G's adjacency and tarvel's
    addEdges: the plain procedure, for adjacencies that are not dicts and as
    the reference the module's walk is tested against."""
    if merged is None:
        merged = G.is_multigraph()
    adj = G._adj
    nodes = list(adj)
    converted = TarvelGraph(nodes, G.is_directed(), [], G.is_multigraph())
    converted.source = weakref.ref(G)
    keep_adjacency(converted, G)
    converted.self_loops.extend(k for k, (u, nbrs) in enumerate(adj.items()) if u in nbrs)
    name = dict(zip(nodes, converted.names)).__getitem__
    # One comprehension over the adjacency: the triples addEdges takes.
    if attr is None:
        triples = [(su, name(v), 1) for u, nbrs in adj.items() for su in (name(u),) for v in nbrs]
        weights = Weights([], len(nodes))
    else:
        if merged:
            triples = [(su, name(v), merged_weight(keys, attr, default))
                       for u, nbrs in adj.items() for su in (name(u),) for v, keys in nbrs.items()]
        else:
            triples = [(su, name(v), d.get(attr, default))
                       for u, nbrs in adj.items() for su in (name(u),) for v, d in nbrs.items()]
        weights = Weights([t[2] for t in triples], len(nodes))
        converted.attribute = (attr, default)
        if weights.kind is None:
            # Weights tarvel cannot hold: the tarvel graph then weighs every
            # edge 1 and answers only what needs no weights.
            triples = [(a, b, 1) for a, b, _ in triples]
    weights.values = None
    converted.weights = weights
    if keep_all:
        keep_attributes(converted, G)
    graph = tarvel.Graph(True, weightType=weights.weight_type if weights.kind is not None else int)
    graph.addNodes(converted.names)
    graph.addEdges(triples)
    converted.graph = graph
    return converted
