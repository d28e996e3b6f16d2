"""One graph shared between threads and processes: nothing waits for ever,
writers get in while reads run, Ctrl-C stops a write with the graph as it
was, a forked child can read and write. Each scenario runs in a child
process with a time limit, so that a hang fails instead of stopping the
suite."""
import pytest

import tarvel
from child_process import run

def test_progress_callbacks_writing_to_each_others_graph_finish():
    # The child takes about 1 s beside other jobs (load 10); its limit is 120 s.
    out = run("""
        g1, g2 = random_graph(False, 1500, 6000, 1), random_graph(False, 1500, 6000, 2)
        writes = {1: 0, 2: 0}
        def callback(other, k):
            def progress(done, total):
                other.addNode("from%d-%d" % (k, writes[k]))
                writes[k] += 1
            return progress
        a = threading.Thread(target=lambda: g1.closenessCentrality(threads=1, progress=callback(g2, 1)))
        b = threading.Thread(target=lambda: g2.closenessCentrality(threads=1, progress=callback(g1, 2)))
        a.start(); b.start(); a.join(); b.join()
        assert g2.hasNode("from1-0") and g1.hasNode("from2-0")
        assert g1.nodeCount() == 1500 + writes[2] and g2.nodeCount() == 1500 + writes[1]
        print("ok")
    """)
    assert out == "ok\n"


def test_a_child_forked_while_a_read_runs_can_read_and_write():
    # The child takes about 5 s beside other jobs (load 10); its limit is 120 s.
    out = run("""
        import multiprocessing
        g = random_graph(True, 3000, 20000)
        started = threading.Event()
        def long_read():
            g.betweennessCentrality(threads=1, progress=lambda done, total: started.set())
        reader = threading.Thread(target=long_read)
        reader.start()
        started.wait()
        pid = os.fork()
        if pid == 0:
            g.addNode("child")
            g.addEdges([("child", "n0", 4)])
            ok = g.neighbors("child") == [("n0", 4)] and g.shortestPath("child", "n0", tarvel.BFS, None) == ["child", "n0"]
            os._exit(0 if ok else 1)
        _, status = os.waitpid(pid, 0)
        assert os.WEXITSTATUS(status) == 0, status
        def in_pool(_):
            g.addNode("pooled")
            return g.nodeCount()
        with multiprocessing.get_context("fork").Pool(1) as pool:
            assert pool.map(in_pool, [0]) == [3001]
        reader.join()
        assert not g.hasNode("child") and not g.hasNode("pooled")
        print("ok")
    """)
    assert out == "ok\n"


def test_a_writer_gets_in_under_a_steady_stream_of_reads():
    # The child takes 3 to 6 s beside other jobs (load 10); its limit is 120 s.
    out = run("""
        g = random_graph(False, 2000, 8000)
        stop = threading.Event()
        first_reads = threading.Semaphore(0)
        def reads():
            g.closenessCentrality(threads=1)
            first_reads.release()
            while not stop.is_set():
                g.closenessCentrality(threads=1)
        readers = [threading.Thread(target=reads) for _ in range(3)]
        for t in readers:
            t.start()
        for t in readers:
            first_reads.acquire()  # every reader has read once, and reads on
        for k in range(200):
            g.addEdge("n%d" % k, "n%d" % (k + 1), 1)
            g.addNode("w%d" % k)
        stop.set()
        for t in readers:
            t.join()
        assert g.edgeCount() == 8200 and g.nodeCount() == 2200
        print("ok")
    """)
    assert out == "ok\n"


def test_a_write_never_waits_for_a_read_that_never_ends():
    # The child takes about 0.3 s beside other jobs (load 10); its limit is 120 s.
    out = run("""
        import fcntl, struct, tempfile, termios
        g = random_graph(True, 2000, 4000)  # its text fills a pipe
        fifo = os.path.join(tempfile.mkdtemp(), "nobody-reads")
        os.mkfifo(fifo)
        reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)  # never read
        threading.Thread(target=lambda: g.save(fifo), daemon=True).start()  # waits for room for ever
        capacity = fcntl.fcntl(reader, 1032)  # F_GETPIPE_SZ
        while struct.unpack("i", fcntl.ioctl(reader, termios.FIONREAD, b"0000"))[0] < capacity:
            time.sleep(0.001)  # until the save has filled the pipe: it waits, holding its read
        g.addNode("x")
        g.addEdges([("x", "n1", 2)] * 3)
        assert g.neighbors("x") == [("n1", 2)] * 3
        print("ok")
        os._exit(0)  # the saving thread still waits
    """)
    assert out == "ok\n"


def test_ctrl_c_during_bulk_building_stops_it_with_the_graph_as_it_was():
    """SIGINT sent from inside addNodes and addEdges, when their reading of
    the batch reaches a random item (the last one included, so that the
    signal also waits for the steps after the reading): KeyboardInterrupt
    from the call, nothing of its batch added."""
    # The child takes 12 to 26 s beside other jobs (load 10); its limit is 300 s.
    out = run("""
        import itertools
        rng = random.Random(4)
        g = random_graph(False, 1000, 3000)
        names = ["b%d" % i for i in range(600000)]
        edges = [("n%d" % rng.randrange(1000), "n%d" % rng.randrange(1000), 1) for _ in range(1500000)]
        def signalling(batch, k):
            # The batch with SIGINT sent to this process as its reader takes
            # item k. Built-ins only: no Python code runs between the signal
            # and the call's own look for it (on 3.11 and later os.kill
            # looks at once, and its KeyboardInterrupt leaves the reading).
            send = filter(None, map(os.kill, [os.getpid()], [signal.SIGINT]))
            return itertools.chain(itertools.islice(batch, k), send, itertools.islice(batch, k, None))
        calls = [("addNodes", g.addNodes, names), ("addEdges", g.addEdges, edges)]
        for name, call, batch in calls:
            for trial, k in enumerate([len(batch) - 1] + [rng.randrange(len(batch)) for _ in range(5)]):
                before = (g.nodeCount(), g.edgeCount(), g.hasNode(names[0]), len(g.neighbors("n0")))
                try:
                    call(signalling(batch, k))
                    raised = False
                except KeyboardInterrupt:
                    raised = True
                assert raised, (name, trial, k)
                assert (g.nodeCount(), g.edgeCount(), g.hasNode(names[0]), len(g.neighbors("n0"))) == before, name
        g.addNodes(names)
        g.addEdges(edges)  # and the same batches go in afterwards
        assert g.nodeCount() == 601000 and g.edgeCount() == 1503000
        print("ok")
    """, seconds=300)
    assert out == "ok\n"


def test_threads_are_capped_at_the_usable_cores():
    g = tarvel.Graph(False)
    g.addNodes([str(i) for i in range(300)])
    g.addEdges([(str(i), str((i * 7) % 300), 1) for i in range(300)])
    assert g.betweennessCentrality(threads=10 ** 6) == g.betweennessCentrality(threads=1)
    assert g.closenessCentrality(threads=10 ** 6) == g.closenessCentrality(threads=1)


def test_a_write_inside_a_read_of_the_same_graph_is_still_refused():
    g = tarvel.Graph(True)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)

    def progress(done, total):
        g.addEdge("b", "a", 1)

    with pytest.raises(RuntimeError, match="^the graph was changed while it was being searched$"):
        g.closenessCentrality(threads=1, progress=progress)
    assert g.edgeCount() == 1
