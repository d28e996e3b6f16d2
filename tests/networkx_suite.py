"""networkx's own test suite with tarvel as its backend: every function
tarvel answers runs through tarvel in networkx's tests (networkx answers the
rest, and the calls tarvel declines). Fails when pytest fails, when a
function tarvel answers was never reached, or when one raised
NotImplementedError (networkx would silently have answered in its place).
Prints the versions, pytest's summary and the completed calls per function
(the test command keeps them in build/pythons/networkx-suite.log).
    python tests/networkx_suite.py [TEST PATHS OR MODULES] [pytest options]
Leading arguments that are not options name the tests to run instead of the
whole suite (e.g. networkx.algorithms.tests.test_dag).
"""
import os
import sys

os.environ["NETWORKX_TEST_BACKEND"] = "tarvel"
os.environ["NETWORKX_FALLBACK_TO_NX"] = "1"  # networkx tests the variable for being non-empty

import pytest  # noqa: E402


def main(arguments):
    import platform

    import networkx
    import tarvel

    # The log this output is kept in (build/pythons/networkx-suite.log) says which run it was.
    print("networkx %s through tarvel %s on %s %s" % (networkx.__version__, tarvel.__version__,
                                                      platform.python_implementation(), platform.python_version()))
    targets = []
    while arguments and not arguments[0].startswith("-"):
        targets.append(arguments.pop(0))
    status = pytest.main(["--pyargs", *(targets or ["networkx"]), "-q", "-p", "no:cacheprovider", *arguments])
    from tarvel_networkx import testing

    lines, problems = testing.report()
    print("\ncompleted calls through tarvel, per function:")
    print("\n".join("  " + line for line in lines))
    for problem in problems:
        print("PROBLEM: " + problem)
    partial = bool(targets or arguments)  # a selection of tests need not reach every function
    if partial:
        problems = [p for p in problems if not p.endswith("was never reached")]
    return int(status) or (1 if problems else 0)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
