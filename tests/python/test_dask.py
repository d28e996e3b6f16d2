"""The centralities on a Dask cluster of two worker processes: agreement
with the local call, the same bits from any cluster, cancelling, a failing
task, a worker killed in the middle. Each scenario runs in a child process
with a time limit."""
import sys
import textwrap

import pytest

pytest.importorskip("distributed", reason="distributed is not installed (it needs Python 3.10 or later)")

from child_process import run  # noqa: E402

SETUP = """
import array, math, tarvel, tarvel_dask
from distributed import Client, Event, LocalCluster, Variable

def cluster(workers=2):
    return LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None)

g = random_graph(False, 400, 2000, seed=5)
n = g.nodeCount()
"""


def scenario(body, seconds=300):
    return run(SETUP + textwrap.dedent(body), seconds)


def test_agreement_and_the_same_bits_from_any_cluster():
    out = scenario("""
        local = g.betweennessCentrality(threads=1)
        u = 2.0 ** -53
        gamma = (n - 1) * u / (1 - (n - 1) * u)
        seen = []
        with cluster() as c, Client(c) as client:
            two = tarvel_dask.betweennessCentrality(g, client, chunk=37, progress=lambda d, t: seen.append((d, t)))
            again = tarvel_dask.betweennessCentrality(g, client, chunk=37)
            closeness = tarvel_dask.closenessCentrality(g, client, chunk=50)
        with cluster(1) as c, Client(c) as client:
            one = tarvel_dask.betweennessCentrality(g, client, chunk=37)
        assert list(two) == list(local) and closeness == g.closenessCentrality()
        assert all(abs(two[k] - local[k]) <= 2 * gamma / (1 - gamma) * local[k] for k in local)
        assert list(two.values()) == list(again.values()) == list(one.values())  # to the bit
        assert seen[-1] == (n, n) and all(0 < d <= n for d, _ in seen)
        print("ok")
    """)
    assert out.strip().endswith("ok")


def test_cancelling_and_a_failing_task():
    out = scenario("""
        big = random_graph(True, 3000, 30000, seed=6)
        with cluster() as c, Client(c) as client:
            def give_up(done, total):
                raise ZeroDivisionError("stop here")
            try:
                tarvel_dask.betweennessCentrality(big, client, chunk=40, progress=give_up)
                raise AssertionError("not cancelled")
            except ZeroDivisionError:
                pass
            import time
            deadline = time.time() + 60
            while any(client.processing().values()) and time.time() < deadline:
                time.sleep(0.1)
            assert not any(client.processing().values()), client.processing()
            try:
                tarvel_dask.closenessCentrality(g, client, chunk=0)
                raise AssertionError("chunk 0 taken")
            except ValueError:
                pass
            class Failing(tarvel.Graph):  # shipped by value: its tasks raise on the workers
                def closenessCentrality(self, **options):
                    raise ZeroDivisionError("raised in a task")
            bad = Failing(False)
            bad.addNodes(["a", "b"])
            try:
                tarvel_dask.closenessCentrality(bad, client)
                raise AssertionError("no error")
            except ZeroDivisionError as error:
                assert str(error) == "raised in a task"
            assert tarvel_dask.closenessCentrality(g, client) == g.closenessCentrality()  # still usable
        print("ok")
    """)
    assert out.strip().endswith("ok")


@pytest.mark.skipif(sys.platform != "linux", reason="kills a worker process")
def test_a_worker_killed_in_the_middle_changes_nothing():
    out = scenario("""
        import os, signal, threading, time
        with cluster() as c, Client(c) as client:
            undisturbed = tarvel_dask.betweennessCentrality(g, client, chunk=30)
            hold = "tarvel-test-hold"
            os.environ["TARVEL_DASK_HOLD_FIRST"] = hold
            result = {}
            worker = threading.Thread(target=lambda: result.update(
                scores=tarvel_dask.betweennessCentrality(g, client, chunk=30)))
            worker.start()
            victim = Variable(hold + "-pid", client=client).get(timeout=120)
            assert victim in client.run(os.getpid).values()
            os.kill(victim, signal.SIGKILL)  # the worker running the first task, while it runs
            time.sleep(1)
            Event(hold, client=client).set()
            worker.join(180)
            assert not worker.is_alive()
            assert victim not in client.run(os.getpid).values()  # the worker really went
        assert list(result["scores"].values()) == list(undisturbed.values())  # complete, to the bit
        print("ok")
    """, seconds=400)
    assert out.strip().endswith("ok")
