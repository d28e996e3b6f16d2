"""The module's surface: attributes, argument conversion, enumerations, errors."""
import os
import pickle
import shutil
import subprocess
import sys
from decimal import Decimal
from fractions import Fraction

import pytest

import tarvel


def test_attributes_in_registration_order():
    public = [k for k in vars(tarvel) if not k.startswith("__")]
    assert public == [
        "Edge",
        "ShortestPathAlgo", "BFS", "DIJKSTRA", "A_STAR", "UNIFORM_COST_SEARCH", "BELLMAN_FORD",
        "MSTAlgo", "KRUSKAL", "PRIM", "BORUVKA",
        "SCCAlgo", "TARJAN", "KOSARAJU",
        "Graph",
        "GraphFileNotFoundError", "GraphFileIsADirectoryError", "GraphFilePermissionError", "GraphFileError",
    ]
    assert tarvel.__doc__ is None


def test_graph_members():
    members = {k for k in vars(tarvel.Graph) if not k.startswith("_")}
    assert {
        "addNode", "hasNode", "addEdge", "hasCycle", "nodeColoring", "edgeColoring", "isBipartite",
        "connectedComponents", "katzCentrality", "degreeCentrality", "closenessCentrality",
        "betweennessCentrality", "minimumSpanningTree", "iterativeDFS", "shortestPath",
        "stronglyConnectedComponents", "save", "load",
    } <= members
    assert isinstance(vars(tarvel.Graph)["load"], staticmethod)


@pytest.mark.parametrize("call", [
    lambda: tarvel.Graph(),
    lambda: tarvel.Graph(True, float),
    lambda: tarvel.Graph(True).addNode(name="a"),
    lambda: tarvel.Graph(True).addEdge("a", "b", 2.5),
    lambda: tarvel.Graph(True).addNode(3),
    lambda: tarvel.Graph(True).shortestPath("a", "b"),
    lambda: tarvel.Graph(True).minimumSpanningTree(1),
    lambda: tarvel.Graph(True).stronglyConnectedComponents(tarvel.PRIM),
    lambda: tarvel.Graph(True).iterativeDFS(start="a"),
    lambda: tarvel.Edge("x", "y"),
    lambda: tarvel.Edge(source="x", destination="y", weight=1),
])
def test_refused_arguments_raise_type_error(call):
    with pytest.raises(TypeError):
        call()


def test_accepted_argument_forms(make):
    assert tarvel.Graph(None) is not None and tarvel.Graph(1) is not None
    assert repr(tarvel.Graph(directed=True, weightType=float)) == "<tarvel.Graph directed, float weights, 0 nodes, 0 edges>"
    for weight in (2 ** 31, -2 ** 31 - 1):
        with pytest.raises(OverflowError, match="outside the range of integer weights"):
            tarvel.Graph(True).addEdge("a", "b", weight)
    g = make(True, ["a", "b"])
    g.addEdge(src="a", dest="b", weight=2)
    g.addEdge("a", "b")
    g.addEdge("a", "b", 2 ** 31 - 1)
    g.addEdge("a", "b", -2 ** 31)
    assert [e.getWeight() for e in g.minimumSpanningTree()] == [-2 ** 31]
    g.addNode(b"raw")
    assert g.hasNode("raw") and g.hasNode(bytearray(b"raw"))
    assert g.shortestPath("a", "b", tarvel.BFS, None) == ["a", "b"]
    assert g.shortestPath(start="a", goal="b", heuristic=lambda u, v: 0.0) == ["a", "b"]


def test_flags_take_any_truth_value_of_the_number_protocol():
    try:
        import numpy
        arrays = (numpy.bool_(True), numpy.float64(0.0))
    except ImportError:
        arrays = ()
    g = tarvel.Graph(False)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 2)
    unweighted = g.incomingKatzCentrality(normalized=False)
    for value in (2.5, 0.0, -0.0, 1e-300, float("nan"), 2, 0, None, True, False, Fraction(1, 2), Decimal(0),
                  *arrays):
        expected = "directed" if value else "undirected"
        assert repr(tarvel.Graph(value)).startswith("<tarvel.Graph %s," % expected), value
        assert repr(tarvel.Graph(directed=value, weightType=float)).startswith("<tarvel.Graph %s," % expected)
        weighted = g.incomingKatzCentrality(weighted=value, normalized=False)
        assert (weighted != unweighted) == bool(value), value
        assert (g.incomingKatzCentrality(normalized=value) != unweighted) == bool(value), value
    for value in ("yes", "", b"", [], [1], {}, object()):
        with pytest.raises(TypeError, match="^Graph\\(\\): directed must be a bool, not "):
            tarvel.Graph(value)
        with pytest.raises(TypeError, match="weighted must be a bool"):
            g.incomingKatzCentrality(weighted=value)


SUBINTERPRETER = r"""
import sys
try:
    import _interpreters as interpreters  # 3.13
    def create():
        return interpreters.create("legacy")  # shares the main interpreter's lock, as older versions do
except ImportError:
    import _xxsubinterpreters as interpreters
    def create():  # 3.12's default is an interpreter of its own lock, which pybind11 modules refuse
        return interpreters.create(**({"isolated": False} if sys.version_info >= (3, 12) else {}))
if sys.argv[1] == "main-first":
    import tarvel
    assert tarvel.Graph(True).shortestPath("a", "a", tarvel.BFS, None) == ["a"]
failure = interpreters.run_string(create(), '''if True:
    try:
        import tarvel
        g = tarvel.Graph(True)
        g.addNodes(["a", "b"])
        g.addEdge("a", "b", 2)
        outcome = "works: %%r" %% g.distances("a")
    except ImportError as error:
        outcome = "ImportError: %%s" %% error
    open(%r, "w").write(outcome)
''' % sys.argv[2])
assert failure is None, failure  # 3.13 returns what the script raised
import tarvel
print(open(sys.argv[2]).read())
print(tarvel.Graph(False).shortestPath("x", "x", tarvel.BFS, None))
"""


@pytest.mark.parametrize("order", ["main-first", "subinterpreter-first"])
def test_subinterpreters_import_the_module_or_refuse_it_without_waiting(order, tmp_path):
    # Before 3.12 a subinterpreter started on the main thread leaves that
    # thread's PyGILState state in the main interpreter: importing there
    # would wait for ever for the interpreter lock its own thread holds.
    done = subprocess.run([sys.executable, "-c", SUBINTERPRETER, order, str(tmp_path / "outcome")],
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr[-3000:]
    outcome, main = done.stdout.splitlines()
    if sys.version_info >= (3, 12):
        assert outcome == "works: {'a': 0, 'b': 2}"
    else:
        assert outcome.startswith("ImportError: tarvel cannot be imported here: subinterpreters are not supported")
    assert main == "['x']"


def test_edge_record():
    e = tarvel.Edge("x", "y", 4)
    assert (e.getSource(), e.getDestination(), e.getWeight()) == ("x", "y", 4)
    assert callable(e.getWeight) and not isinstance(e.getWeight, int)
    with pytest.raises(AttributeError):
        e.weight = 3


def test_enumeration_semantics():
    assert tarvel.PRIM is tarvel.MSTAlgo.PRIM
    assert int(tarvel.PRIM) == 1 and tarvel.PRIM.value == 1 and tarvel.PRIM.name == "PRIM"
    assert [10, 11, 12][tarvel.BORUVKA] == 12
    assert tarvel.PRIM != 1 and not (tarvel.PRIM == 1)
    assert tarvel.KRUSKAL != tarvel.BFS and tarvel.MSTAlgo(0) == tarvel.KRUSKAL
    assert repr(tarvel.PRIM) == "<MSTAlgo.PRIM: 1>"
    assert str(tarvel.UNIFORM_COST_SEARCH) == "ShortestPathAlgo.UNIFORM_COST_SEARCH"
    assert tarvel.MSTAlgo(7).name == "???" and int(tarvel.MSTAlgo(value=7)) == 7
    assert list(tarvel.SCCAlgo.__members__) == ["TARJAN", "KOSARAJU"]
    assert "Members:" in tarvel.ShortestPathAlgo.__doc__
    assert {tarvel.TARJAN: "t"}[tarvel.SCCAlgo(0)] == "t"
    with pytest.raises(TypeError):
        tarvel.PRIM < tarvel.BORUVKA
    for member in (tarvel.A_STAR, tarvel.BORUVKA, tarvel.KOSARAJU):
        assert pickle.loads(pickle.dumps(member)) == member


def test_library_errors_reach_python(make):
    g = make(False, ["a"])
    with pytest.raises(RuntimeError, match="^duplicate nodes are not allowed$"):
        g.addNode("a")
    with pytest.raises(IndexError, match="ghost"):
        g.addEdge("a", "ghost")
    assert not g.hasNode("ghost")
    assert g.degreeCentrality() == {"a": 0.0}


def test_invalid_utf8_name_is_stored_but_cannot_be_returned(make):
    g = make(True, [b"\xff\xfe"])
    assert g.hasNode(b"\xff\xfe")
    with pytest.raises(UnicodeDecodeError):
        g.connectedComponents()


def _other_interpreter():
    """An installed CPython of another minor version than the running one."""
    root = os.environ.get("PYENV_ROOT", os.path.expanduser("~/.pyenv"))
    mine = "%d.%d." % sys.version_info[:2]
    candidates = [os.path.join(root, "versions", v, "bin", "python3") for v in ("3.11.7", "3.8.18", "3.9.18")]
    return next((c for c in candidates if os.access(c, os.X_OK) and mine not in c), None)


@pytest.mark.skipif(_other_interpreter() is None, reason="no other Python interpreter on this machine")
def test_module_refuses_another_interpreter(tmp_path):
    # Copied under the suffix every interpreter accepts, so the other
    # interpreter really runs the module's initialisation.
    shutil.copy(tarvel.__file__, tmp_path / "tarvel.so")
    other = _other_interpreter()
    result = subprocess.run(
        [other, "-c", "import tarvel"], cwd=str(tmp_path), capture_output=True, text=True,
        env={"PATH": os.environ.get("PATH", "")},
    )
    version = subprocess.run([other, "-c", "import sys; print(sys.version)"],
                             capture_output=True, text=True).stdout.strip()
    assert result.returncode != 0 and "ImportError" in result.stderr
    if int(version.split(".")[1]) > sys.version_info[1]:
        # A newer interpreter can link the module and runs its version check;
        # an older one already lacks symbols the module links against.
        expected = ("ImportError: Python version mismatch: module was compiled for Python %d.%d, "
                    % sys.version_info[:2] + "but the interpreter version is incompatible: " + version + ".")
        assert expected in result.stderr


def test_errors_that_say_what_to_do_and_small_additions(make):
    g = make(True, ["a", "b"], [("a", "b", 1)])
    with pytest.raises(TypeError, match="needs its heuristic argument: a callable for A_STAR, or None for the "
                                        "searches that need none"):
        g.shortestPath("a", "b", tarvel.BFS)
    with pytest.raises(RuntimeError, match="^A_STAR needs a heuristic: pass one, or use DIJKSTRA"):
        g.shortestPath("a", "b", tarvel.A_STAR, None)
    assert g.hasEdge("a", "b") and not g.hasEdge("b", "a") and not g.hasEdge("a", "ghost")
    assert make(False, ["a", "b"], [("b", "a", 1)]).hasEdge(source="a", destination="b")
    with pytest.raises(TypeError, match=r"^Graph\(\): weightType must be int or float, not 'float'$"):
        tarvel.Graph(True, weightType="float")
    import importlib.metadata
    assert tarvel.__version__ == importlib.metadata.version("tarvel")
