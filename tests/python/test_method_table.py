"""Each method's declaration in bindings/method_table.hpp agrees with what a user sees:
the signature inspect reads, the text signature and docstring, and the stubs."""
import ast
import inspect
import os
import re

import pytest

import tarvel

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TABLE = os.path.join(ROOT, "bindings", "method_table.hpp")
STUBS = os.path.join(ROOT, "stubs", "tarvel-stubs", "__init__.pyi")
KINDS = {"Positional": inspect.Parameter.POSITIONAL_ONLY, "Either": inspect.Parameter.POSITIONAL_OR_KEYWORD,
         "Keyword": inspect.Parameter.KEYWORD_ONLY}
TOKEN = re.compile(r'"((?:[^"\\]|\\.)*)"|(\w+)|([{},])')


def c_string(text):
    return text.encode("utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")


def parse_value(tokens, at):
    """(value, next position): a list for {...}, a str for adjacent literals, else the word."""
    if tokens[at] == ("", "", "{"):
        items, at = [], at + 1
        while tokens[at] != ("", "", "}"):
            item, at = parse_value(tokens, at)
            items.append(item)
            if tokens[at] == ("", "", ","):
                at += 1
        return items, at + 1
    if tokens[at][1]:
        return tokens[at][1], at + 1
    text = ""
    while at < len(tokens) and not tokens[at][1] and not tokens[at][2]:
        text += c_string(tokens[at][0])
        at += 1
    return text, at


def declarations():
    """[{name, parameters: [(name, kind, default text or None, type, when missing)], returns, summary,
    details, flags}] in the order of the table."""
    source = open(TABLE, encoding="utf-8").read()
    found = []
    for match in re.finditer(r"inline constexpr Method (\w+)(\{)", source):
        tokens = [m.groups("") for m in TOKEN.finditer(source, match.start(2))]
        value, _ = parse_value(tokens, 0)
        name, params, returns, summary, details, flags = value
        assert name == match.group(1) or (name.lower() == match.group(1)), name
        found.append({"name": name, "returns": returns, "summary": summary, "details": details, "flags": flags,
                      "parameters": [(p[0], p[1], None if p[2] == "nullptr" else p[2], p[3],
                                      p[4] if len(p) > 4 else None) for p in params]})
    return found


DECLARED = declarations()


def owner_of(entry):
    if entry["name"] in ("Graph", "Edge"):
        return getattr(tarvel, entry["name"]), None
    for cls in (tarvel.Graph, tarvel.Edge):
        if entry["name"] in vars(cls):
            return cls, entry["name"]
    raise AssertionError("no class has %s" % entry["name"])


def stub_functions():
    source = open(STUBS, encoding="utf-8").read()
    found = {}
    for cls in (n for n in ast.parse(source).body if isinstance(n, ast.ClassDef)):
        for fn in (n for n in cls.body if isinstance(n, ast.FunctionDef)):
            found.setdefault((cls.name, fn.name), []).append(fn)
    return source, found


def stub_parameters(source, fn):
    """[(name, kind, annotation text, default node or None)] without self."""
    a = fn.args
    ordered = [(p, inspect.Parameter.POSITIONAL_ONLY) for p in a.posonlyargs]
    ordered += [(p, inspect.Parameter.POSITIONAL_OR_KEYWORD) for p in a.args]
    defaults = [None] * (len(ordered) - len(a.defaults)) + list(a.defaults)
    params = [(p, kind, d) for (p, kind), d in zip(ordered, defaults)]
    params += [(p, inspect.Parameter.KEYWORD_ONLY, d) for p, d in zip(a.kwonlyargs, a.kw_defaults)]
    if not any(getattr(d, "id", None) == "staticmethod" for d in fn.decorator_list):
        params = params[1:]
    return [(p.arg, kind, ast.get_source_segment(source, p.annotation), d) for p, kind, d in params]


def test_every_public_method_is_declared_once():
    names = [entry["name"] for entry in DECLARED]
    assert len(names) == len(set(names))
    for cls in (tarvel.Graph, tarvel.Edge):
        public = {n for n in vars(cls) if not n.startswith("_") and callable(getattr(cls, n))}
        assert public <= set(names), public - set(names)


@pytest.mark.parametrize("entry", DECLARED, ids=lambda e: e["name"])
def test_declaration_signature_docstring_and_stub_agree(entry):
    cls, name = owner_of(entry)
    obj = cls if name is None else getattr(cls, name)
    static = name is not None and isinstance(inspect.getattr_static(cls, name), staticmethod)
    assert static == ("Static" in str(entry["flags"]))
    declared = entry["parameters"]

    # The signature inspect reads, bound and unbound.
    params = list(inspect.signature(obj).parameters.values())
    if name is not None and not static:
        assert (params[0].name, params[0].kind) == ("self", inspect.Parameter.POSITIONAL_ONLY)
        params = params[1:]
        bound = list(inspect.signature(getattr(cls.__new__(cls), name)).parameters.values())
        assert bound == params
    assert [(p.name, p.kind) for p in params] == [(n, KINDS[k]) for n, k, _, _, _ in declared]
    for p, (_, _, default, _, _) in zip(params, declared):
        if default is None:
            assert p.default is inspect.Parameter.empty, p
        else:
            assert p.default == eval(default, vars(tarvel), {"tarvel": tarvel}), p

    # The docstring: the text signature (or, for a list inspect.Signature refuses, the first
    # line), then the summary and the details.
    doc = obj.__doc__
    text = getattr(obj, "__text_signature__", None)
    if text is None:
        first, doc = doc.split("\n\n", 1)
        assert first.startswith(entry["name"] + "(")
        text = first[len(entry["name"]):]
    items = [item.strip() for item in text[1:-1].split(",") if item.strip() not in ("", "$self", "/", "*")]
    assert items == [n if d is None else "%s=%s" % (n, d) for n, _, d, _, _ in declared]
    assert doc.split("\n\n")[0] == entry["summary"]
    assert doc == entry["summary"] + ("\n\n" + entry["details"] if entry["details"] else "")

    # The stubs: every overload has the declared names, and one the declared kinds and types
    # (shortestPath's other overload makes heuristic keyword-only, for calls that leave method out,
    # which a stub cannot write otherwise); a default wherever one is declared.
    source, stubs = stub_functions()
    overloads = stubs[(cls.__name__, "__init__" if name is None else name)]
    shapes = [stub_parameters(source, fn) for fn in overloads]
    for shape in shapes:
        assert [n for n, _, _, _ in shape] == [n for n, _, _, _, _ in declared], shape
    exact = [(n, KINDS[k], t) for n, k, _, t, _ in declared]
    assert any([(n, k, t) for n, k, t, _ in shape] == exact for shape in shapes), shapes
    for i, (_, _, default, _, _) in enumerate(declared):
        stated = [shape[i][3] for shape in shapes]
        if default is None:
            assert all(s is None for s in stated)
        else:
            value = eval(default, vars(tarvel), {"tarvel": tarvel})
            assert any(s is not None for s in stated)
            assert all(s is None or isinstance(s, ast.Constant) and (s.value is ... or s.value == value)
                       for s in stated), stated
    returns = {ast.get_source_segment(source, fn.returns) for fn in overloads}
    assert entry["returns"] in returns, returns


def test_bindings_write_each_parameter_list_in_the_declaration_only():
    """No other file of bindings/ spells a declared method's text signature or a list of its
    parameter names: a second copy could drift."""
    others = {}
    for name in os.listdir(os.path.join(ROOT, "bindings")):
        if name != "method_table.hpp":
            others[name] = open(os.path.join(ROOT, "bindings", name), encoding="utf-8").read()
    for entry in DECLARED:
        names = [p[0] for p in entry["parameters"]]
        first = re.escape("$self" if not names or "Static" not in entry["flags"] and entry["name"] not in
                          ("Graph", "Edge") else names[0])
        patterns = [r'"%s\(%s' % (entry["name"], first)]
        if len(names) > 1:
            patterns.append(re.escape(", ".join('"%s"' % n for n in names[:2])))
        for file, text in others.items():
            for pattern in patterns:
                assert not re.search(pattern, text), (file, pattern)
