"""The centralities on a Dask cluster of two worker processes: agreement
with the local call, the same bits from any cluster, cancelling, a failing
task, workers killed in the middle (one, then the rest; all at once), the
cluster restarted, the client closed. Each scenario runs in a child process
with a time limit, and waits for events (a task started, a chunk
reported), never for a time."""
import subprocess
import sys
import textwrap

import pytest

pytest.importorskip("distributed", reason="distributed is not installed (it needs Python 3.10 or later)")

from child_process import PRELUDE  # noqa: E402

# The child dumps the stack of every thread and exits this long before the
# parent's limit, so that a hang shows where it waits.
DUMP_BEFORE_LIMIT = 30

SETUP = """
import array, faulthandler, math, tarvel, tarvel_dask
from distributed import Client, Event, LocalCluster, Queue

faulthandler.dump_traceback_later(LIMIT - DUMP_BEFORE_LIMIT, exit=True)

def cluster(workers=2):
    return LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None)

def worker_pids(client):
    return set(client.run(os.getpid).values())

def kill(pids):
    for pid in pids:
        os.kill(pid, signal.SIGKILL)

g = random_graph(False, 400, 2000, seed=5)
n = g.nodeCount()
"""


def scenario(body, seconds):
    """Runs the scenario in a new interpreter, `seconds` at most; returns
    its stdout. On a hang, the child's stderr (with its threads' stacks) is
    printed."""
    # No alarm from the prelude: SETUP arms a watchdog of its own, which also ends the child.
    code = (PRELUDE % {"arm": ""} + "LIMIT, DUMP_BEFORE_LIMIT = %d, %d\n" % (seconds, DUMP_BEFORE_LIMIT)
            + SETUP + textwrap.dedent(body))
    try:
        done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=seconds)
    except subprocess.TimeoutExpired as late:
        stderr = late.stderr.decode(errors="replace") if isinstance(late.stderr, bytes) else late.stderr
        print(stderr or "(no stderr)", file=sys.stderr)
        pytest.fail("the scenario ran past its %d s limit" % seconds)
    assert done.returncode == 0, done.stderr[-5000:]
    return done.stdout


# Each limit is ten times the scenario's run time or more. The times beside
# them were measured on this machine (two cores) while other jobs kept it at
# a load of 11 to 14, the lowest it had; most of a scenario's time is
# starting the cluster's worker processes, again after each kill.

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
    """, seconds=300)  # run time 11 to 14 s
    assert out.strip().endswith("ok")


def test_the_weighted_forms():
    out = scenario("""
        with cluster() as c, Client(c) as client:
            between = tarvel_dask.betweennessCentrality(g, client, chunk=37, weighted=True)
            close = tarvel_dask.closenessCentrality(g, client, chunk=50, weighted=True)
            harmonic = tarvel_dask.harmonicCentrality(g, client, chunk=45)
            weighted_harmonic = tarvel_dask.harmonicCentrality(g, client, chunk=45, weighted=True)
        local = g.betweennessCentrality(weighted=True, threads=1)
        # Joined chunks: the local call's, to the bit.
        assert harmonic == g.harmonicCentrality() and list(harmonic) == list(g.harmonicCentrality())
        assert weighted_harmonic == g.harmonicCentrality(weighted=True) != harmonic
        assert close == g.closenessCentrality(weighted=True) != g.closenessCentrality()
        assert list(between) == list(local) and between != g.betweennessCentrality()
        assert all(abs(between[k] - local[k]) <= 1e-12 * local[k] for k in local)
        print("ok")
    """, seconds=300)
    assert out.strip().endswith("ok")


def test_cancelling_and_a_failing_task():
    out = scenario("""
        class Told(tarvel.Graph):  # shipped by value: its one task says when it starts and how it ends
            def betweennessCentrality(self, **options):
                events = Queue("told")
                events.put("started")
                try:
                    scores = super().betweennessCentrality(**options)
                except BaseException as error:
                    events.put(type(error).__name__)
                    raise
                events.put("finished")
                return scores
        rng = random.Random(6)
        big = Told(True)
        big.addNodes(["n%d" % i for i in range(20000)])
        big.addEdges([("n%d" % rng.randrange(20000), "n%d" % rng.randrange(20000), 1) for _ in range(100000)])
        with cluster() as c, Client(c) as client:
            told = Queue("told", client=client)
            def interrupt_once_started():
                assert told.get(timeout=LIMIT) == "started"
                os.kill(os.getpid(), signal.SIGINT)
            threading.Thread(target=interrupt_once_started).start()
            try:  # one task of 20,000 sources: tens of seconds if it were not stopped
                tarvel_dask.betweennessCentrality(big, client, chunk=20000)
                raise AssertionError("not interrupted")
            except KeyboardInterrupt:
                pass
            assert told.get(timeout=LIMIT) == "_Stopped"  # the running task stopped at its progress check
            def give_up(done, total):
                raise ZeroDivisionError("stop here")
            try:
                tarvel_dask.betweennessCentrality(g, client, chunk=40, progress=give_up)
                raise AssertionError("not cancelled")
            except ZeroDivisionError as error:
                assert str(error) == "stop here"
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
    """, seconds=300)  # run time 12 to 15 s
    assert out.strip().endswith("ok")


@pytest.mark.skipif(sys.platform != "linux", reason="kills worker processes")
def test_workers_killed_one_after_the_other_change_nothing():
    # The worker running the first task is killed while it runs, and the
    # task starts again elsewhere. Then every worker is killed: no copy of
    # the graph is left, and the scheduler makes it again.
    out = scenario("""
        with cluster() as c, Client(c) as client:
            undisturbed = tarvel_dask.betweennessCentrality(g, client, chunk=30)
            hold = "tarvel-test-hold"
            os.environ["TARVEL_DASK_HOLD_FIRST"] = hold
            started = Queue(hold + "-pid", client=client)
            result = {}
            def call():
                try:
                    result["scores"] = tarvel_dask.betweennessCentrality(g, client, chunk=30)
                except BaseException as error:
                    result["error"] = "%s: %s" % (type(error).__name__, error)
                finally:
                    started.put("ended")  # so that a failed run ends the waits below
            def next_start():
                pid = started.get(timeout=LIMIT)
                assert pid != "ended", result.get("error")
                return pid
            run = threading.Thread(target=call)
            run.start()
            first = next_start()
            assert first in worker_pids(client)
            kill([first])
            second = next_start()  # the first task again, on another worker
            rest = worker_pids(client)
            assert second != first and second in rest and first not in rest
            kill(rest)
            third = next_start()
            assert third not in rest | {first}
            Event(hold, client=client).set()
            run.join(LIMIT)
            assert not run.is_alive()
        assert list(result["scores"].values()) == list(undisturbed.values())  # complete, to the bit
        print("ok")
    """, seconds=400)  # run time 11 to 18 s
    assert out.strip().endswith("ok")


@pytest.mark.skipif(sys.platform != "linux", reason="kills worker processes")
def test_every_worker_killed_at_once_changes_nothing():
    out = scenario("""
        with cluster() as c, Client(c) as client:
            killed = []
            def kill_every_worker_once(done, total):  # when the first chunk has reported
                if not killed:
                    killed.extend(worker_pids(client))
                    kill(killed)
            close = tarvel_dask.closenessCentrality(g, client, chunk=10, progress=kill_every_worker_once)
            assert len(killed) == 2 and not worker_pids(client) & set(killed)
        assert close == g.closenessCentrality()  # complete, to the bit
        print("ok")
    """, seconds=300)  # run time 13 to 19 s
    assert out.strip().endswith("ok")


def test_a_restarted_cluster_is_reported_as_the_graph_lost():
    # A restart kills every worker and makes the scheduler forget every
    # task of the client, the graph's included: the graph cannot be made
    # again.
    out = scenario("""
        with cluster() as c, Client(c) as client:
            restarted = []
            def restart_once(done, total):  # when the first chunk has reported
                if not restarted:
                    restarted.append(True)
                    client.restart()
            try:
                tarvel_dask.betweennessCentrality(g, client, chunk=10, progress=restart_once)
                raise AssertionError("finished")
            except RuntimeError as error:
                assert str(error).startswith("the cluster lost the graph's copies and cannot make them again "
                                             "(FutureCancelledError: tarvel-betweenness-"), error
                assert "scheduler-restart" in str(error), error
            assert tarvel_dask.closenessCentrality(g, client) == g.closenessCentrality()  # usable again
        print("ok")
    """, seconds=300)  # run time 13 to 28 s
    assert out.strip().endswith("ok")


@pytest.mark.skipif(sys.platform != "linux", reason="kills worker processes")
def test_a_graph_the_cluster_cannot_make_again_is_reported_as_lost():
    # Every worker is killed; from then on, making the graph kills the
    # worker that makes it, until the scheduler gives up on its task.
    out = scenario("""
        import dask, tempfile
        marker = os.path.join(tempfile.mkdtemp(), "fragile")
        class Fragile(tarvel.Graph):  # shipped by value
            def __setstate__(self, state):
                if os.path.exists(marker):
                    os.kill(os.getpid(), signal.SIGKILL)
                super().__setstate__(state)
        fragile = Fragile(False)
        fragile.__setstate__(g.__reduce_ex__(5)[2])
        dask.config.set({"distributed.scheduler.allowed-failures": 1})  # the graph's task: two deaths
        with cluster() as c, Client(c) as client:
            def kill_every_worker_once(done, total):  # when the first chunk has reported
                if not os.path.exists(marker):
                    # The workers are asked first: once the marker exists, a
                    # worker making the graph dies, and the question with it.
                    pids = worker_pids(client)
                    open(marker, "w").close()
                    kill(pids)
            try:
                tarvel_dask.closenessCentrality(fragile, client, chunk=10, progress=kill_every_worker_once)
                raise AssertionError("finished")
            except RuntimeError as error:
                assert str(error).startswith("the cluster lost the graph's copies and cannot make them again "
                                             "(KilledWorker: "), error
                assert "tarvel-graph-" in str(error), error
        print("ok")
    """, seconds=300)  # run time 9 to 16 s
    assert out.strip().endswith("ok")


def test_a_client_closed_during_a_run_is_reported():
    out = scenario("""
        from concurrent.futures import CancelledError
        from distributed.client import ClosedClientError
        from distributed.comm.core import CommClosedError
        with cluster() as c:
            client = Client(c)
            hold = "tarvel-test-hold"
            os.environ["TARVEL_DASK_HOLD_FIRST"] = hold
            def close_once_started():
                Queue(hold + "-pid", client=client).get(timeout=LIMIT)
                client.close()  # while the first chunk waits: the run cannot have finished
                with Client(c) as other:
                    Event(hold, client=other).set()
            closer = threading.Thread(target=close_once_started)
            closer.start()
            try:
                tarvel_dask.betweennessCentrality(g, client, chunk=10)
                raise AssertionError("finished")
            except ClosedClientError as error:
                assert str(error) == "the Dask client was closed during the run"
                chain = [error]
                while chain[-1].__context__ is not None:
                    chain.append(chain[-1].__context__)
            finally:
                closer.join()  # its second client needs the cluster still up
            # What stopped the run is in the chain below the report: a chunk
            # cancelled, the connection of a result being fetched closed (with
            # its stream's own error beneath), or, when the close came while
            # chunks were still being submitted, Dask's own report of the
            # closed client. The clean-up's own failure (Dask's Event cannot
            # be set through a closed client) is chained between, not put in
            # the closed client's place.
            assert any(isinstance(e, (CancelledError, CommClosedError, ClosedClientError)) for e in chain[2:]), chain
            assert any(isinstance(e, AttributeError) for e in chain[1:-1]), chain
        print("ok")
    """, seconds=300)  # run time 7 to 9 s
    assert out.strip().endswith("ok")
