"""inspect reads every public callable's signature, and it agrees with the stubs."""
import ast
import functools
import inspect
import os
import pickle

import pytest

import tarvel

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
STUBS = os.path.join(ROOT, "stubs", "tarvel-stubs", "__init__.pyi")

KINDS = {"posonly": inspect.Parameter.POSITIONAL_ONLY, "plain": inspect.Parameter.POSITIONAL_OR_KEYWORD,
         "kwonly": inspect.Parameter.KEYWORD_ONLY}


def stub_overloads():
    """{(class, name): [[(parameter, kind, default), ...] per overload]} from the stub file;
    default is NO for none, ... for an elided one, else the literal."""
    tree = ast.parse(open(STUBS, encoding="utf-8").read())
    found = {}
    for cls in (node for node in tree.body if isinstance(node, ast.ClassDef)):
        for fn in (node for node in cls.body if isinstance(node, ast.FunctionDef)):
            decorators = {getattr(d, "id", None) for d in fn.decorator_list}
            a = fn.args
            ordered = [(p, "posonly") for p in a.posonlyargs] + [(p, "plain") for p in a.args]
            defaults = [None] * (len(ordered) - len(a.defaults)) + list(a.defaults)
            params = [(p.arg, kind, d) for (p, kind), d in zip(ordered, defaults)]
            params += [(p.arg, "kwonly", d) for p, d in zip(a.kwonlyargs, a.kw_defaults)]
            if "staticmethod" not in decorators:
                params = params[1:]  # self
            if fn.name == "__init__":
                key = (cls.name, None)
            else:
                key = (cls.name, fn.name)
            found.setdefault(key, []).append(params)
    return found


def literal(default):
    if default is None:
        return inspect.Parameter.empty
    value = default.value if isinstance(default, ast.Constant) else ...
    return value


def runtime_params(obj, bound):
    params = list(inspect.signature(obj).parameters.values())
    return params[1:] if bound else params


def public_callables():
    for cls in (tarvel.Graph, tarvel.Edge):
        yield cls.__name__, None, cls, False
        for name in dir(cls):
            if not name.startswith("_") and callable(getattr(cls, name)):
                static = isinstance(inspect.getattr_static(cls, name), staticmethod)
                yield cls.__name__, name, getattr(cls, name), not static


@pytest.mark.parametrize("owner,name,obj,bound", list(public_callables()),
                         ids=lambda v: v if isinstance(v, str) else "")
def test_signature_is_readable_and_matches_the_stubs(owner, name, obj, bound):
    overloads = stub_overloads()[(owner, name)]
    params = runtime_params(obj, bound)
    shapes = [[(p, KINDS[k]) for p, k, _ in overload] for overload in overloads]
    assert [(p.name, p.kind) for p in params] in shapes, (params, overloads)
    # A default at run time is a default in some overload, equal to it where the stub spells it out.
    for i, p in enumerate(params):
        stated = [literal(overload[i][2]) for overload in overloads if len(overload) > i]
        if p.default is inspect.Parameter.empty:
            assert all(s is inspect.Parameter.empty for s in stated), (p, stated)
        else:
            assert any(s is not inspect.Parameter.empty for s in stated), (p, stated)
            assert all(s in (..., inspect.Parameter.empty) or s == p.default for s in stated), (p, stated)


def test_signed_methods_behave_as_the_builtins_they_wrap():
    g = tarvel.Graph(False)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 4)
    assert inspect.signature(tarvel.Graph.distances).parameters["method"].default == tarvel.DIJKSTRA
    assert inspect.signature(tarvel.Graph).parameters["weightType"].default is int
    bound = g.distances
    assert bound("a") == tarvel.Graph.distances(g, "a") == g.distances(source="a") == {"a": 0, "b": 4}
    assert str(inspect.signature(bound)) == "(source, method=%r)" % tarvel.DIJKSTRA
    with pytest.raises(TypeError):
        tarvel.Graph.distances(tarvel.Edge("a", "b", 1), "a")  # the wrapped built-in checks self
    with pytest.raises(TypeError, match="heuristic"):
        g.shortestPath("a", "b", tarvel.A_STAR)
    assert pickle.loads(pickle.dumps(tarvel.Graph.load)) is tarvel.Graph.load
    assert pickle.loads(pickle.dumps(bound))("b") == {"a": 4, "b": 0}
    assert tarvel.Graph.shortestPath.__doc__.startswith("shortestPath(start, goal")
    with pytest.raises(AttributeError):
        g.__signature__

    class Named(tarvel.Graph):
        def __init__(self, name, *, directed=False):
            super().__init__(directed)
            self.name = name

    assert list(inspect.signature(Named).parameters) == ["name", "directed"]
    assert Named("roads").shortestPath("a", "a", tarvel.BFS, None) == ["a"]


def bound_callables():
    for instance in (tarvel.Graph(False), tarvel.Edge("a", "b", 1)):
        cls = type(instance)
        for name in dir(cls):
            if not name.startswith("_") and callable(getattr(cls, name)):
                static = isinstance(inspect.getattr_static(cls, name), staticmethod)
                yield cls.__name__, name, getattr(instance, name), not static


@pytest.mark.parametrize("owner,name,method,bound", list(bound_callables()),
                         ids=lambda v: v if isinstance(v, str) else "")
def test_bound_methods_and_partials_show_the_signature_without_self(owner, name, method, bound):
    unbound = list(inspect.signature(getattr(getattr(tarvel, owner), name)).parameters.values())
    expected = unbound[1:] if bound else unbound
    assert list(inspect.signature(method).parameters.values()) == expected
    assert list(inspect.signature(functools.partial(method)).parameters.values()) == expected
    if expected and expected[0].kind != inspect.Parameter.KEYWORD_ONLY:
        assert list(inspect.signature(functools.partial(method, "x")).parameters.values()) == expected[1:]


def test_shortest_path_signature_binds_exactly_the_calls_the_method_takes():
    g = tarvel.Graph(False)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)
    h = lambda u, v: 0.0  # noqa: E731
    calls = [
        ((), {}), (("a",), {}), (("a", "b"), {}), (("a", "b", tarvel.BFS), {}),
        (("a", "b", tarvel.BFS, h), {}), (("a", "b", tarvel.BFS, h, True), {}),
        (("a", "b"), {"heuristic": h}), (("a", "b"), {"method": tarvel.BFS, "heuristic": h}),
        (("a", "b", tarvel.BFS), {"heuristic": h}), (("a", "b", tarvel.BFS, h), {"method": tarvel.BFS}),
        (("a", "b"), {"method": tarvel.BFS}), (("a",), {"goal": "b", "heuristic": h, "consistent": True}),
        ((), {"start": "a", "goal": "b", "heuristic": h}), (("a", "b", tarvel.BFS, h), {"heuristic": h}),
        (("a", "b"), {"heuristic": h, "weight": 1}), (("a", "b"), {"heuristic": h, "consistent": False}),
    ]

    def accepts(function, args, kwargs):
        try:
            function(*args, **kwargs)
        except TypeError:
            return False
        return True

    for fixed, method in (((), g.shortestPath), (("a",), functools.partial(g.shortestPath, "a"))):
        signature = inspect.signature(method)
        assert str(signature) == "(%sgoal, method=%r, heuristic, *, consistent=False)" % (
            "" if fixed else "start, ", tarvel.A_STAR)
        for args, kwargs in calls:
            if fixed and (args[:1] != fixed or "start" in kwargs):
                continue
            taken = accepts(method, args[len(fixed):], kwargs)
            assert taken == accepts(signature.bind, args[len(fixed):], kwargs), (args, kwargs)
    assert sum(accepts(g.shortestPath, *call) for call in calls) == 7
