"""Running a scenario in a new interpreter with a time limit, so that a
hang fails a test instead of stopping the suite; and Ctrl-C sent from
outside, as a user sends it."""
import subprocess
import sys
import textwrap

PRELUDE = """
import os, random, signal, sys, threading, time
import tarvel

def interrupt_after(delay):
    # From a process of its own: a write holds the interpreter lock, so a
    # thread of this process could not send the signal before it is done.
    parent = os.getpid()
    if os.fork() == 0:
        time.sleep(delay)
        os.kill(parent, signal.SIGINT)
        os._exit(0)

def reap():
    os.wait()

def random_graph(directed, n, m, seed=1):
    rng = random.Random(seed)
    g = tarvel.Graph(directed)
    names = ["n%d" % i for i in range(n)]
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), rng.randint(1, 9)) for _ in range(m)])
    return g
"""


def run(body, seconds=120):
    """Runs PRELUDE + body in a new interpreter; returns its stdout."""
    code = PRELUDE + textwrap.dedent(body)
    done = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=seconds)
    assert done.returncode == 0, done.stderr[-3000:]
    return done.stdout
