"""Long computations from Python: other threads run meanwhile, reads and
writes of one graph from several threads follow the graph's rules, the
centralities give the same numbers on any number of threads, and progress
is reported."""
import random
import threading

import pytest

import tarvel


def random_graph(rng, directed, n, m):
    g = tarvel.Graph(directed)
    names = [str(i) for i in range(n)]
    rng.shuffle(names)
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), rng.randint(-3, 9)) for _ in range(m)])
    return g


def test_thread_counts_give_identical_numbers():
    rng = random.Random(77)
    for directed in (True, False):
        g = random_graph(rng, directed, 500, 2500)
        for method in ("closenessCentrality", "betweennessCentrality"):
            one = getattr(g, method)(threads=1)
            for count in (2, 7, None):
                assert getattr(g, method)(threads=count) == one  # dicts of floats: equal to the bit
        big = random_graph(rng, directed, 20000, 150000)
        katz = big.katzCentrality(0.05, 1.0, 40, 0.0, threads=1)
        assert big.katzCentrality(0.05, 1.0, 40, 0.0, threads=7) == katz


def test_threads_and_progress_arguments():
    g = random_graph(random.Random(1), False, 300, 1200)
    with pytest.raises(ValueError):
        g.betweennessCentrality(threads=0)
    with pytest.raises(TypeError):
        g.closenessCentrality(2)  # keyword only
    with pytest.raises(TypeError):
        g.katzCentrality(progress=5)
    seen = []
    g.katzCentrality(max_iterations=5, tolerance=0.0, progress=lambda done, total: seen.append((done, total)))
    assert seen[-1] == (5, 5)

    def fail(done, total):
        raise ZeroDivisionError("stop here")

    with pytest.raises(ZeroDivisionError, match="stop here"):
        g.closenessCentrality(progress=fail)
    assert len(g.closenessCentrality()) == 300  # still usable


def long_graph():
    return random_graph(random.Random(3), False, 3000, 15000)


def test_other_threads_run_during_a_long_call():
    g = long_graph()
    ticks, running = [], threading.Event()

    def ticker():
        while not running.is_set():
            pass
        while running.is_set():
            ticks.append(1)

    thread = threading.Thread(target=ticker)
    thread.start()

    def started(done, total):
        running.set()

    running.set()
    before = len(ticks)
    g.betweennessCentrality(progress=started)
    during = len(ticks) - before
    running.clear()
    thread.join()
    assert during > 100


def test_a_write_during_a_read_neither_waits_nor_changes_what_the_read_sees():
    g = long_graph()
    writer = threading.Thread(target=lambda: g.addEdges([("late", "0", 1)]) if g.addNode("late") is None else None)
    seen = []

    def progress(done, total):  # runs inside the read, which holds its version of the graph
        if not seen:
            writer.start()
            writer.join(60)
            seen.append((writer.is_alive(), g.hasNode("late"), len(g.nodes())))

    scores = g.betweennessCentrality(threads=1, progress=progress)
    assert seen == [(False, False, 3000)]  # done at once; a read inside the read sees the outer read's nodes
    assert "late" not in scores and len(scores) == 3000
    assert g.hasNode("late") and g.neighbors("late") == [("0", 1)] and len(g.betweennessCentrality()) == 3001


def test_heuristics_may_read_their_graph_but_not_change_it():
    g = tarvel.Graph(True)
    g.addNodes(["a", "b", "c"])
    g.addEdges([("a", "b", 1), ("b", "c", 1)])
    reads = []

    def reading(u, v):
        reads.append((g.hasNode(v), len(g.degreeCentrality()), g.shortestPath(u, v, tarvel.BFS, None)))
        return 0.0

    assert g.shortestPath("a", "c", tarvel.A_STAR, reading) == ["a", "b", "c"]
    assert reads == [(True, 3, ["a", "b"]), (True, 3, ["b", "c"])]

    def writing(u, v):
        g.addNode("x")
        return 0.0

    with pytest.raises(RuntimeError, match="^the graph was changed while it was being searched$"):
        g.shortestPath("a", "c", tarvel.A_STAR, writing)
    assert not g.hasNode("x")
