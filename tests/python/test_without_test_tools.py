"""tarvel, its networkx backend and its Dask front end in an environment
without test tools: every module they import at run time imports, and a
networkx call through the backend answers, while pytest and hypothesis
cannot be imported. (The test command also runs the documented examples in
a fresh environment that holds only tarvel and networkx.)"""
import os
import pkgutil
import subprocess
import sys

import networkx as nx

import tarvel_dask
import tarvel_networkx
from tarvel_networkx import info

TEST_TOOLS = ("pytest", "_pytest", "hypothesis")

# Makes the test tools unimportable, as in an environment that lacks them.
WITHOUT_TEST_TOOLS = """
import sys

class NoTestTools:
    def find_spec(self, name, path=None, target=None):
        if name.partition(".")[0] in %r:
            raise ModuleNotFoundError("No module named %%r" %% name, name=name)
        return None

sys.meta_path.insert(0, NoTestTools())
""" % (TEST_TOOLS,)

CHECK = """
import importlib, math
for name in MODULES:
    importlib.import_module(name)
loaded = sorted(name for name in sys.modules if name.partition(".")[0] in %r)
assert not loaded, loaded
if DISPATCHING:
    import networkx as nx
    G = nx.karate_club_graph()
    # NETWORKX_BACKEND_PRIORITY=tarvel: an unchanged call goes through tarvel.
    got = nx.betweenness_centrality(G)
    assert "tarvel_networkx.backend" in sys.modules
    want = nx.betweenness_centrality(G, backend="networkx")
    assert got.keys() == want.keys()
    assert all(math.isclose(got[k], want[k], rel_tol=1e-12, abs_tol=0) for k in got)
    assert nx.betweenness_centrality(G, backend="tarvel") == got
# The tools serve networkx's test suite only, which brings them.
try:
    import tarvel_networkx.testing
except ModuleNotFoundError as error:
    print(error.name)
""" % (TEST_TOOLS,)


def run_modules():
    """The modules of the two pure-Python packages that run in a user's
    program: all but the one networkx's test suite loads."""
    names = ["tarvel"]
    for package in (tarvel_networkx, tarvel_dask):
        names.append(package.__name__)
        names += [package.__name__ + "." + m.name for m in pkgutil.iter_modules(package.__path__)]
    names.remove("tarvel_networkx.testing")
    if not info.dispatching(nx.__version__):
        # The backend refuses to load into a networkx that does not dispatch.
        names = [n for n in names if n in ("tarvel", "tarvel_networkx", "tarvel_networkx.info") or
                 n.startswith("tarvel_dask")]
    return names


def test_run_time_imports_need_no_test_tool():
    names = run_modules()
    assert "tarvel_dask._centrality" in names
    assert ("tarvel_networkx.backend" in names) == info.dispatching(nx.__version__)
    code = WITHOUT_TEST_TOOLS + "MODULES = %r\nDISPATCHING = %r\n" % (names, info.dispatching(nx.__version__)) + CHECK
    env = dict(os.environ, NETWORKX_BACKEND_PRIORITY="tarvel")
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120, env=env)
    assert done.returncode == 0, done.stderr[-3000:]
    assert done.stdout == "pytest\n"  # the one module that needs a test tool is the suite's
