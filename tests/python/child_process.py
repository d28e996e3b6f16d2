"""Running a scenario in a new interpreter with a time limit, so that a
hang fails a test instead of stopping the suite; and Ctrl-C sent from
outside, as a user sends it, once an event says that the moment has come.

A limit guards against hangs only: it is ten times or more a scenario's run
time on an idle machine. Shortly before it passes, the child writes every
thread's stack to its stderr (faulthandler, armed by the child itself), and
the failure shows that stderr, so that a hang shows where it waits.

Children start with SIGINT ignored, as every job a script starts in the
background does (a shell without job control ignores SIGINT there, and the
interpreter then leaves it ignored): a scenario that expects
KeyboardInterrupt installs Python's handler itself, as PRELUDE does."""
import signal
import subprocess
import sys
import textwrap

PRELUDE = """
import faulthandler, os, random, signal, sys, threading, time
import tarvel

%(arm)s# Ctrl-C raises KeyboardInterrupt here even when this process was started
# with SIGINT ignored.
signal.signal(signal.SIGINT, signal.default_int_handler)

_released = []

def interrupt_when(ready=lambda: None, delay=0.0):
    # Sends this process SIGINT from a process of its own (a write holds the
    # interpreter lock, so a thread of this process could not send it before
    # it is done) once ready() has returned in that process, after `delay`.
    # What ready() opens stays open until reap(): a FIFO's other end stays
    # there until the signal has been taken.
    release, held = os.pipe()
    _released.append(held)  # first: the signal may come before fork() returns here
    parent = os.getpid()
    if os.fork() == 0:
        try:
            os.close(held)
            ready()
            time.sleep(delay)
            os.kill(parent, signal.SIGINT)
            os.read(release, 1)  # returns once reap() closes the other end
        finally:
            os._exit(0)
    os.close(release)

def reap():
    os.close(_released.pop())
    os.wait()

def random_graph(directed, n, m, seed=1):
    rng = random.Random(seed)
    g = tarvel.Graph(directed)
    names = ["n%%d" %% i for i in range(n)]
    g.addNodes(names)
    g.addEdges([(rng.choice(names), rng.choice(names), rng.randint(1, 9)) for _ in range(m)])
    return g
"""


def arm(seconds):
    """The child's first lines: every thread's stack to its stderr well
    before the parent's limit of `seconds`, so that the dump is complete
    when the parent stops the child. An alarm and faulthandler's handler for
    it, not faulthandler.dump_traceback_later: the watchdog thread of that
    one is waited for, for ever, by a forked child that exits normally, and
    a thread makes fork() warn on CPython 3.12 and later."""
    return ("import faulthandler, signal\n"
            "faulthandler.register(signal.SIGALRM)\n"
            "signal.alarm(%d)\n") % int(max(seconds - 15, seconds * 0.75))


def ignore_sigint():
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def run_limited(command, seconds, text=True):
    """Runs `command` (an interpreter's arguments) started as a background
    job is, SIGINT ignored; returns the completed process. A child still
    running after `seconds` fails the test with its stderr."""
    try:
        return subprocess.run(command, capture_output=True, text=text, timeout=seconds, preexec_fn=ignore_sigint)
    except subprocess.TimeoutExpired as late:
        stderr = late.stderr.decode(errors="replace") if isinstance(late.stderr, bytes) else late.stderr or ""
        raise AssertionError("the child ran past its limit of %s s; its stderr:\n%s" % (seconds, stderr[-6000:]))


def run_code(code, arguments, seconds, text=True):
    """Runs the Python source `code` with `arguments` (sys.argv[1:]) as
    run_limited does, its stacks written to its stderr shortly before the
    limit."""
    return run_limited([sys.executable, "-c", arm(seconds) + code] + list(arguments), seconds, text)


def run_script(path, arguments, seconds):
    """Runs the Python file `path` with `arguments` as run_limited does,
    its stacks written to its stderr shortly before the limit."""
    code = arm(seconds) + ("import runpy, sys\n"
                           "sys.argv = [%r] + %r\n"
                           "runpy.run_path(%r, run_name='__main__')\n") % (path, list(arguments), path)
    return run_limited([sys.executable, "-c", code], seconds)


def run(body, seconds=120):
    """Runs PRELUDE + body in a new interpreter; returns its stdout. A child
    still running after `seconds` fails the test with its stderr."""
    done = run_limited([sys.executable, "-c", PRELUDE % {"arm": arm(seconds)} + textwrap.dedent(body)],
                       seconds)
    assert done.returncode == 0, done.stderr[-3000:]
    return done.stdout
