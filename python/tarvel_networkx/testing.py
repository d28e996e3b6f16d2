"""What the backend does while networkx's own test suite runs with
NETWORKX_TEST_BACKEND=tarvel: it counts every completed call and every
NotImplementedError per function (dispatch.py), and marks as expected
failures the tests that depend on networkx's own choice among equally short
paths or equally light trees, each with its reason."""
import pytest

from . import dispatch

PATH_CHOICE = "the test expects networkx's choice among equally short paths"
TREE_CHOICE = "the test expects networkx's choice among equally light spanning trees"

# Test ids (the part after the module's path) -> reason, by module.
EXPECTED_FAILURES = {}


def on_start_tests(items):
    dispatch.start_counting()
    for item in items:
        module, _, test = item.nodeid.partition("::")
        reason = EXPECTED_FAILURES.get(module, {}).get(test)
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
