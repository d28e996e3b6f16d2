"""What the backend does while networkx's own test suite runs with
NETWORKX_TEST_BACKEND=tarvel: it counts every completed call and every
NotImplementedError per function (dispatch.py), and marks as expected
failures the tests that depend on networkx's own choice among equally short
paths or equally light trees, each with its reason. Only that suite imports
this module (backend.on_start_tests): it needs pytest, which a user's
environment need not have."""
import os

import networkx as nx
import pytest

from . import dispatch

PATH_CHOICE = "the test expects networkx's choice among equally short paths"
TREE_CHOICE = "the test expects networkx's choice among equally light spanning trees"
CHANGED_WHILE_ITERATED = ("the test changes the graph while iterating over its topological order, which tarvel "
                          "computed from the graph as it was converted")

# Tests by their module's path inside networkx and their name -> reason.
EXPECTED_FAILURES = {
    # The cycles come from shortest paths between a node and its lifted copy.
    "algorithms/tests/test_cycles.py::TestMinimumCycleBasis::test_unweighted_diamond": PATH_CHOICE,
    "algorithms/tests/test_cycles.py::TestMinimumCycleBasis::test_weighted_diamond": PATH_CHOICE,
    "algorithms/tests/test_cycles.py::TestMinimumCycleBasis::test_gh6787_and_edge_attribute_names": PATH_CHOICE,
    "algorithms/tests/test_dag.py::TestDAG::test_topological_sort6": CHANGED_WHILE_ITERATED,
}


def test_id(item):
    """The test's id with its module's path inside the networkx package."""
    module = os.path.relpath(str(item.path), os.path.dirname(nx.__file__)).replace(os.sep, "/")
    return module + "::" + item.nodeid.partition("::")[2]


def on_start_tests(items):
    dispatch.start_counting()
    for item in items:
        reason = EXPECTED_FAILURES.get(test_id(item))
        if reason is not None:
            item.add_marker(pytest.mark.xfail(reason=reason, strict=True))


def report():
    """(lines describing the calls per function, problems found)."""
    counts, fallbacks = dispatch.counts, dispatch.fallbacks
    if counts is None:
        return [], ["the backend was never set up for networkx's tests (on_start_tests was not called)"]
    lines = ["%-40s %8d" % (name, counts[name]) for name in sorted(dispatch.implementations)]
    problems = ["%s was never reached" % name for name in sorted(dispatch.implementations) if counts[name] == 0]
    problems += ["%s raised NotImplementedError %d times (networkx answered instead)" % (name, n)
                 for name, n in sorted(fallbacks.items())]
    return lines, problems
