"""Values whose conversions change the objects around them, and __setstate__
called where it must not swap a graph: from inside a call of the same graph,
racing another thread's write or read, racing another __setstate__.

Each scenario is a function that raises AssertionError when the module
misbehaves; a use of freed memory crashes the process instead (under
PYTHONMALLOC=debug, or under AddressSanitizer). test_hostile_calls.py runs
each in a child process; a module built with a sanitizer runs them all:

    python hostile_calls.py [NAME ...]        (default: every scenario)

Under AddressSanitizer + UndefinedBehaviorSanitizer:
    LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" \\
    PYTHONMALLOC=malloc ASAN_OPTIONS=detect_leaks=0 PYTHONPATH=<asan build> python hostile_calls.py
Under ThreadSanitizer:
    LD_PRELOAD=$(gcc -print-file-name=libtsan.so) PYTHONPATH=<tsan build> python hostile_calls.py

Races are decided by events, never by sleeping: each trial may end in any
of the sound outcomes, and must end in one of them.
"""
import sys
import threading

import tarvel

TRIALS = 40


class EdgeData:
    """A graph read as fromNetworkx reads a networkx graph (through its
    methods alone), whose edge data dicts a test can reach."""

    def __init__(self, directed, nodes, edges):
        self.directed = directed
        self.nodes = list(nodes)
        self.data = [(u, v, dict(d)) for u, v, d in edges]

    def is_directed(self):
        return self.directed

    def is_multigraph(self):
        return False

    def __iter__(self):
        return iter(self.nodes)

    def edges(self, data=False):
        assert data
        return list(self.data)


def _raises(kind, call, *args, **kwargs):
    try:
        call(*args, **kwargs)
    except kind as error:
        return str(error)
    raise AssertionError("%s did not raise %s" % (getattr(call, "__name__", call), kind.__name__))


# --- values freed by their own conversion ---------------------------------

def weight_deleted_by_its_own_index():
    """The weight's __index__ removes it from the edge's data: the only
    reference left is the one the conversion holds."""
    for weight_type, kind, text in ((float, OverflowError, "has no exact floating-point value"),
                                    (int, OverflowError, "is outside the 32-bit range")):
        source = EdgeData(False, ["a", "b"], [("a", "b", {})])
        data = source.data[0][2]

        class Weight:
            __slots__ = ()

            def __index__(self):
                del data["weight"]
                return 2**53 + 1

        data["weight"] = Weight()
        message = _raises(kind, tarvel.Graph.fromNetworkx, source, weightType=weight_type)
        assert message.startswith("edge ('a', 'b'): weight <") and text in message, message
        # The same value, freed after a successful conversion, leaves a sound graph.
        class Small:
            __slots__ = ()

            def __index__(self):
                del data["weight"]
                return 7

        data["weight"] = Small()
        g = tarvel.Graph.fromNetworkx(source, weightType=weight_type)
        assert g.edges() == [tarvel.Edge("a", "b", 7)], g.edges()


def per_node_value_deleted_by_its_own_float():
    """A beta= or start= value (of Katz; personalization=, start= or
    dangling= of PageRank) whose __float__ removes it from the dict and
    returns something that is not a float: the error names its type."""
    g = tarvel.Graph(True)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)
    for keyword in ("beta", "start", "personalization", "dangling"):
        values = {"a": 1.0, "b": 1.0}

        class Value:
            __slots__ = ()

            def __float__(self):
                del values["a"]
                return "not a float"

        values["a"] = Value()
        method = g.incomingKatzCentrality if keyword in ("beta", "start") else g.pageRank
        message = _raises(TypeError, method, **{keyword: values})
        assert "Value.__float__ returned non-float" in message, message


def init_called_again_by_an_argument():
    """An argument's conversion calls __init__ of the object being made: the
    outer call is refused, and the object keeps what the inner call made."""
    edge = tarvel.Edge.__new__(tarvel.Edge)

    class EdgeWeight:
        def __index__(self):
            edge.__init__("x", "y", 5)
            return 2

    message = _raises(TypeError, edge.__init__, "a", "b", EdgeWeight())
    assert "already exists" in message, message
    assert (edge.source, edge.destination, edge.weight) == ("x", "y", 5)

    graph = tarvel.Graph.__new__(tarvel.Graph)

    class Flag(int):  # a truth value from the number protocol
        def __bool__(self):
            graph.__init__(True, weightType=float)
            return False

    message = _raises(TypeError, graph.__init__, Flag(0))
    assert "already exists" in message, message
    assert repr(graph) == "<tarvel.Graph directed, float weights, 0 nodes, 0 edges>", repr(graph)


def keyword_dict_emptied_by_an_argument():
    """Graph(**d) passes d itself to __init__: the flag's truth value
    empties it, freeing weightType's object, which the error then names."""
    class Flag(int):
        def __bool__(self):
            given.clear()
            return True

    class Kind:
        def __repr__(self):
            return "<a kind>"

    given = {"directed": Flag(1), "weightType": Kind()}
    try:
        tarvel.Graph(**given)  # not through a function: that would pass a copy of the dict
    except TypeError as error:
        assert str(error) == "Graph(): weightType must be int or float, not <a kind>", error
    else:
        raise AssertionError("Graph() accepted weightType=Kind()")
    given = {"directed": Flag(1), "weightType": float}
    assert repr(tarvel.Graph(**given)) == "<tarvel.Graph directed, float weights, 0 nodes, 0 edges>"


# --- networkx's adjacency changed while the backend walks it ---------------

class _Adjacency:
    """What the backend's conversion reads of a networkx graph: _adj, a
    dict of dicts, is_directed() and is_multigraph()."""

    def __init__(self, adj, directed=False):
        self._adj = adj
        self.directed = directed

    def is_directed(self):
        return self.directed

    def is_multigraph(self):
        return False


class _Key:
    """A node equal to its copies; `meddle`, when set, runs (once) inside
    the next __eq__."""

    meddle = None

    def __init__(self, key):
        self.key = key

    def __hash__(self):
        return hash(self.key)

    def __eq__(self, other):
        meddle, _Key.meddle = _Key.meddle, None
        if meddle is not None:
            meddle()
        return isinstance(other, _Key) and other.key == self.key


def _walked(adj, attr="weight", merged=False):
    """convert() of the adjacency: its edges, or the RuntimeError raised."""
    from tarvel_networkx.graph import convert

    try:
        converted = convert(_Adjacency(adj), attr, 1, merged=merged)
    except RuntimeError as error:
        assert "changed size during iteration" in str(error), error
        return "changed"
    return [(e.source, e.destination, e.weight) for e in converted.graph.edges()]


def adjacency_emptied_by_a_neighbour():
    """A neighbour's __eq__, run by the look-up of a neighbour that is not
    the node's own object, empties the dict being walked, every node's
    dict, or the outer dict: the walk raises RuntimeError (or ends with
    the entries it saw, each sound), and frees nothing it still reads."""
    def build():
        nodes = [_Key(k) for k in range(6)]
        # Neighbours are copies: every look-up runs __eq__.
        return {u: {_Key(v.key + 1): {"weight": v.key + 2}} if v.key < 5 else {} for u, v in zip(nodes, nodes)}

    for target in ("this dict", "every dict", "outer dict", "data dict"):
        adj = build()
        first = next(iter(adj.values()))

        def meddle(adj=adj, first=first, target=target):
            if target == "this dict":
                first.clear()
            elif target == "every dict":
                for nbrs in adj.values():
                    nbrs.clear()
            elif target == "outer dict":
                adj.clear()
            else:
                for data in first.values():
                    data.clear()

        _Key.meddle = meddle
        outcome = _walked(adj)
        assert outcome == "changed" or isinstance(outcome, list), outcome


def parallel_weights_freed_by_their_comparison():
    """A weight whose __lt__ clears the key dict of the parallel edges being
    merged: RuntimeError, with every weight compared still held."""
    keys = {}

    class Weight:
        def __init__(self, value):
            self.value = value

        def __lt__(self, other):
            keys.clear()
            return self.value < other.value

    keys.update({0: {"weight": Weight(3)}, 1: {"weight": Weight(2)}})
    a, b = _Key("a"), _Key("b")
    adj = {a: {b: keys}, b: {}}
    assert _walked(adj, merged=True) == "changed"


# --- __setstate__ inside a call of the same graph --------------------------

def _state(weight_type, names, edges, directed=False):
    g = tarvel.Graph(directed, weightType=weight_type)
    g.addNodes(names)
    g.addEdges(edges)
    return g.__reduce__()[2]


def setstate_inside_a_write():
    """A weight's conversion (addEdge), a generator of edges (addEdges) or
    of names (addNodes) calls __setstate__ of the graph being written: it is
    refused and the graph is as the write alone leaves it."""
    for weight_type, other in ((int, float), (float, int)):
        state = _state(other, ["a", "b"], [("a", "b", other(1.5) if other is float else 7)])
        refused = []

        def swap(g):
            try:
                g.__setstate__(state)
            except ValueError as error:
                refused.append(str(error))

        g = tarvel.Graph(False, weightType=weight_type)

        class Weight:
            def __index__(self):
                swap(g)
                return 3

        # The graph is empty: the write fails on its unknown names.
        _raises(IndexError, g.addEdge, "a", "b", Weight())
        assert repr(g) == repr(tarvel.Graph(False, weightType=weight_type)), repr(g)

        def edges():
            yield ("a", "b", 2)
            swap(g)
            yield ("b", "a", 2)

        _raises(IndexError, g.addEdges, edges())
        assert g.nodeCount() == 0 and g.edgeCount() == 0

        def names():
            yield "a"
            swap(g)
            yield "b"

        g.addNodes(names())
        assert g.nodes() == ["a", "b"] and g.edges() == [], (g.nodes(), g.edges())
        g.addEdge("a", "b", Weight())  # the graph is no longer empty: refused for that too
        assert g.edges() == [tarvel.Edge("a", "b", 3)] and g.neighbors("a") == [("b", 3)]
        assert g.distances("a") == {"a": 0, "b": 3} and repr(g).endswith(", 2 nodes, 1 edge>")
        assert len(refused) == 4 and all("fills a new empty graph only" in text for text in refused), refused


# --- __setstate__ racing other threads --------------------------------------

def _big_state(prefix, weight_type=int, count=20000):
    names = ["%s%d" % (prefix, k) for k in range(count)]
    edges = [(names[k], names[(k * 7 + 1) % count], weight_type(k % 5 + 1)) for k in range(count)]
    return names, _state(weight_type, names, edges)


def _race(first, second):
    """Runs first() on this thread and second() on another, the other
    started as first() begins; returns what each returned or raised."""
    go = threading.Event()
    out = {}

    def other():
        go.wait()
        try:
            out["second"] = second()
        except Exception as error:  # noqa: BLE001 - the caller judges it
            out["second"] = error

    thread = threading.Thread(target=other)
    thread.start()
    go.set()
    try:
        out["first"] = first()
    except Exception as error:  # noqa: BLE001
        out["first"] = error
    thread.join()
    return out["first"], out["second"]


def setstate_racing_a_write():
    """addNode on another thread while __setstate__ decodes: either the
    node came first and __setstate__ is refused, or the node lands in the
    installed graph. It is never lost."""
    names, state = _big_state("s")
    outcomes = set()
    for _ in range(TRIALS):
        g = tarvel.Graph(False)
        filled, added = _race(lambda: g.__setstate__(state), lambda: g.addNode("x"))
        assert added is None, added
        if filled is None:
            assert g.nodeCount() == len(names) + 1 and g.nodes()[-1] == "x" and g.nodes()[:2] == names[:2]
            outcomes.add("filled, then x")
        else:
            assert isinstance(filled, ValueError) and "fills a new empty graph only" in str(filled), filled
            assert g.nodes() == ["x"] and g.edgeCount() == 0
            outcomes.add("x, then refused")
    print("setstate racing addNode:", sorted(outcomes))


def setstate_racing_a_read():
    """Names read on another thread while __setstate__ decodes are the
    names of the graph they were read from: a name cached by a read never
    serves the installed graph, nor one of its names the earlier graph."""
    names, state = _big_state("t")
    for _ in range(TRIALS):
        g = tarvel.Graph(False)

        def read():
            g.addNode("x")
            g.addNode("y")
            return g.nodes()

        filled, seen = _race(lambda: g.__setstate__(state), read)
        if filled is None:
            assert seen == names + ["x", "y"], seen[:3]
            assert g.nodes() == names + ["x", "y"]
        else:
            assert isinstance(filled, ValueError), filled
            assert seen == g.nodes() == ["x", "y"], (seen, g.nodes()[:3])


def setstate_racing_setstate():
    """Two threads fill one new graph: one of them does, the other is
    refused, and the graph is the one of the call that was accepted."""
    int_names, int_state = _big_state("i", int)
    float_names, float_state = _big_state("f", float)
    winners = set()
    for _ in range(TRIALS):
        g = tarvel.Graph(False)
        results = _race(lambda: g.__setstate__(int_state), lambda: g.__setstate__(float_state))
        accepted = [k for k, result in enumerate(results) if result is None]
        assert len(accepted) == 1, results
        refused = results[1 - accepted[0]]
        assert isinstance(refused, ValueError) and "fills a new empty graph only" in str(refused), refused
        names, weight_type = (int_names, int) if accepted[0] == 0 else (float_names, float)
        assert g.nodes() == names and type(g.edges()[0].weight) is weight_type
        winners.add(weight_type.__name__)
    print("setstate racing setstate, accepted:", sorted(winners))


SCENARIOS = [
    weight_deleted_by_its_own_index,
    per_node_value_deleted_by_its_own_float,
    init_called_again_by_an_argument,
    keyword_dict_emptied_by_an_argument,
    adjacency_emptied_by_a_neighbour,
    parallel_weights_freed_by_their_comparison,
    setstate_inside_a_write,
    setstate_racing_a_write,
    setstate_racing_a_read,
    setstate_racing_setstate,
]


def main(names):
    chosen = [s for s in SCENARIOS if not names or s.__name__ in names]
    assert chosen and len(chosen) == (len(names) or len(SCENARIOS)), names
    for scenario in chosen:
        scenario()
        print(scenario.__name__, "ok")


if __name__ == "__main__":
    main(sys.argv[1:])
