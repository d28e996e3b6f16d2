"""save and load: the file format, round trips, and every failure."""
import os
import socket
import stat

import pytest

import tarvel
from child_process import run, run_code

EXAMPLE = """{
    "directed": true,
    "edges": [
        {
            "dest": "b",
            "src": "a",
            "weight": 4
        },
        {
            "dest": "c",
            "src": "b",
            "weight": -2
        }
    ],
    "nodes": [
        "a",
        "b",
        "c"
    ]
}
"""


def write(path, text):
    path.write_text(text, encoding="utf-8")
    return str(path)


def snapshot(g, tmp_path, name="snapshot.json"):
    target = tmp_path / name
    g.save(str(target))
    return target.read_bytes()


def test_documented_layout(make, tmp_path):
    make(True, "abc", [("a", "b", 4), ("b", "c", -2)]).save(str(tmp_path / "g.json"))
    assert (tmp_path / "g.json").read_text() == EXAMPLE
    tarvel.Graph(False).save(str(tmp_path / "empty.json"))
    assert (tmp_path / "empty.json").read_text().splitlines() == [
        "{", '    "directed": false,', '    "edges": [],', '    "nodes": []', "}"]
    empty = tarvel.Graph.load(str(tmp_path / "empty.json"))
    assert empty.connectedComponents() == [] and empty.hasCycle() is False


def test_directed_round_trip_is_identical(make, tmp_path):
    g = make(True, "abc", [("a", "b", 1), ("a", "b", 2), ("c", "c", 3), ("b", "a", -7)])
    first = snapshot(g, tmp_path, "first.json")
    loaded = tarvel.Graph.load(str(tmp_path / "first.json"))
    assert snapshot(loaded, tmp_path, "second.json") == first
    for name in ("degreeCentrality", "betweennessCentrality", "edgeColoring", "connectedComponents"):
        assert getattr(loaded, name)() == getattr(g, name)()


def test_undirected_round_trip_keeps_one_record_per_pair(make, tmp_path):
    g = make(False, "ab", [("a", "b", 5), ("b", "a", 7)])
    path = str(tmp_path / "u.json")
    g.save(path)
    assert '"weight": 5' in open(path).read() and '"weight": 7' not in open(path).read()
    loaded = tarvel.Graph.load(path)
    assert loaded.degreeCentrality() == {"a": 1.0, "b": 1.0}
    assert g.degreeCentrality() == {"a": 2.0, "b": 2.0}


def test_awkward_names_survive(make, tmp_path):
    names = ['say "hi"', "back\\slash", "new\nline", "tab\tand\x01\x1f", "Grüße 東京", "", "/"]
    g = make(False, names, [(names[0], names[4], 3), (names[5], names[5], 1)])
    path = tmp_path / "names.json"
    g.save(str(path))
    raw = path.read_bytes()
    assert "Grüße 東京".encode("utf-8") in raw and b"\\u00fc" not in raw and b"\\u0001" in raw
    loaded = tarvel.Graph.load(str(path))
    assert loaded.connectedComponents() == g.connectedComponents()
    assert snapshot(loaded, tmp_path) == raw


def test_loaded_order_follows_the_file(tmp_path):
    path = write(tmp_path / "o.json", '{"directed": true, "nodes": ["a", "b"], "edges": ['
                 '{"src": "b", "dest": "a", "weight": 1}, {"src": "a", "dest": "b", "weight": 2}]}')
    g = tarvel.Graph.load(path)
    assert [e.getSource() for e in g.minimumSpanningTree()] == ["b"]
    assert g.stronglyConnectedComponents() == [["b", "a"]]


@pytest.mark.parametrize("weight, expected", [("2.0", 2), ("-2.0", -2), ("true", 1), ("false", 0), ("2147483647", 2 ** 31 - 1)])
def test_weight_conversions(tmp_path, weight, expected):
    path = write(tmp_path / "w.json", '{"directed": true, "nodes": ["a", "b"], "edges": '
                 '[{"src": "a", "dest": "b", "weight": %s}]}' % weight)
    assert [e.getWeight() for e in tarvel.Graph.load(path).minimumSpanningTree()] == [expected]


@pytest.mark.parametrize("weight", ["2.7", "-2.7"])
def test_fractional_weights_are_refused_not_truncated(tmp_path, weight):
    path = write(tmp_path / "w.json", '{"directed": true, "nodes": ["a", "b"], "edges": '
                 '[{"src": "a", "dest": "b", "weight": 1}, {"src": "b", "dest": "a", "weight": %s}]}' % weight)
    with pytest.raises(RuntimeError, match="^edge 1 has the fractional weight %s, but the graph holds integer weights: "
                                           "load it with weightType=float$" % weight):
        tarvel.Graph.load(path)


def test_lenient_reading(tmp_path):
    trailing = write(tmp_path / "t.json", '{"directed": false, "nodes": ["x"]} {"second": 1} garbage')
    assert tarvel.Graph.load(trailing).connectedComponents() == [["x"]]
    extra = write(tmp_path / "e.json", '{"directed": true, "color": 3, "nodes": ["a"], "edges": '
                  '[{"src": "a", "dest": "a", "weight": 1, "note": "x"}]}')
    assert tarvel.Graph.load(extra).hasCycle()
    bare = write(tmp_path / "b.json", '{"directed": true}')
    assert tarvel.Graph.load(bare).connectedComponents() == []


EMPTY_INPUT = ("[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while parsing "
               "value - unexpected end of input; expected '[', '{', or a literal")
EDGE = '{"directed": true, "nodes": ["a"], "edges": [%s]}'


@pytest.mark.parametrize("text, error, message", [
    ("", RuntimeError, EMPTY_INPUT),
    ('{"directed": tru', RuntimeError, "[json.exception.parse_error.101] parse error at line 1, column 17"),
    ("[1, 2]", RuntimeError, "[json.exception.type_error.305] cannot use operator[] with a string argument with array"),
    ('"text"', RuntimeError, "[json.exception.type_error.305] cannot use operator[] with a string argument with string"),
    ("{}", RuntimeError, "[json.exception.type_error.302] type must be boolean, but is null"),
    ('{"directed": 1}', RuntimeError, "[json.exception.type_error.302] type must be boolean, but is number"),
    ('{"directed": true, "nodes": ["a", 2]}', RuntimeError, "[json.exception.type_error.302] type must be string, but is number"),
    ('{"directed": true, "nodes": ["a", "a"]}', RuntimeError, "duplicate nodes are not allowed"),
    (EDGE % "[1]", RuntimeError, "[json.exception.type_error.305] cannot use operator[] with a string argument with array"),
    (EDGE % "null", RuntimeError, "[json.exception.type_error.305] cannot use operator[] with a string argument with null"),
    (EDGE % '{"src": 1, "dest": 2, "weight": "3"}', RuntimeError, "[json.exception.type_error.302] type must be number, but is string"),
    (EDGE % '{"src": 1, "dest": 2, "weight": 3}', RuntimeError, "[json.exception.type_error.302] type must be string, but is number"),
    (EDGE % '{"src": 1, "dest": "a", "weight": 3}', RuntimeError, "[json.exception.type_error.302] type must be string, but is number"),
    (EDGE % '{"dest": "a", "weight": 3}', RuntimeError, "[json.exception.out_of_range.403] key 'src' not found"),
    (EDGE % '{"src": "a", "dest": "a"}', RuntimeError, "[json.exception.out_of_range.403] key 'weight' not found"),
    (EDGE % '{"src": "a", "dest": "a", "weight": 1e300}', RuntimeError, "[json.exception.out_of_range.406]"),
    (EDGE % '{"src": "a", "dest": "a", "weight": -2147483649.0}', RuntimeError, "[json.exception.out_of_range.406]"),
    (EDGE % '{"src": "a", "dest": "nowhere", "weight": 1}', IndexError, "nowhere"),
])
def test_load_failures(tmp_path, text, error, message):
    path = write(tmp_path / "bad.json", text)
    with pytest.raises(error) as raised:
        tarvel.Graph.load(path)
    assert str(raised.value).startswith(message) or (error is IndexError and message in str(raised.value))


def test_load_of_missing_file_and_through_an_instance(make, tmp_path):
    missing = str(tmp_path / "missing.json")
    for path, system, reason in ((missing, FileNotFoundError, "No such file or directory"),
                                 (str(tmp_path), IsADirectoryError, "Is a directory")):
        with pytest.raises(system) as raised:
            tarvel.Graph.load(path)
        assert isinstance(raised.value, RuntimeError) and raised.value.filename == path
        assert str(raised.value) == "cannot open graph file '%s': %s" % (path, reason)
    with pytest.raises(FileNotFoundError, match="^cannot write graph file"):
        make(True, "a").save(str(tmp_path / "no" / "such.json"))
    g = make(True, "q")
    path = write(tmp_path / "other.json", '{"directed": false, "nodes": ["z"]}')
    other = g.load(path)
    assert other.connectedComponents() == [["z"]] and g.connectedComponents() == [["q"]]


def test_save_into_missing_directory_raises_and_creates_nothing(make, tmp_path):
    target = tmp_path / "no" / "such" / "g.json"
    with pytest.raises(RuntimeError, match="g.json"):
        make(True, "a").save(str(target))
    assert not (tmp_path / "no").exists()


def test_failed_save_keeps_the_old_file(make, tmp_path):
    target = tmp_path / "keep.json"
    make(True, "ab", [("a", "b", 1)]).save(str(target))
    before = target.read_bytes()
    bad = make(True, ["fine", b"\xff\xfe"])
    with pytest.raises(RuntimeError, match="316"):
        bad.save(str(target))
    assert target.read_bytes() == before
    assert os.listdir(str(tmp_path)) == ["keep.json"]
    with pytest.raises(RuntimeError):
        make(True, "a").save(str(tmp_path))  # a directory cannot be replaced by a file
    assert os.listdir(str(tmp_path)) == ["keep.json"]


def test_save_replaces_and_keeps_permissions(make, tmp_path):
    target = tmp_path / "perm.json"
    target.write_text("old")
    os.chmod(str(target), 0o640)
    make(False, "a").save(str(target))
    assert oct(os.stat(str(target)).st_mode & 0o777) == oct(0o640)
    assert tarvel.Graph.load(str(target)).connectedComponents() == [["a"]]


@pytest.mark.parametrize("weight", ["2147483648", "4294967297", str(10 ** 17), "-2147483649"])
@pytest.mark.parametrize("name", ["a", "\\u0061"])  # an escape: the direct reader declines, the document reader reads
def test_weights_beyond_32_bits_are_refused_by_both_readers(tmp_path, weight, name):
    path = write(tmp_path / "w.json", '{"directed": true, "nodes": ["%s"], "edges": '
                 '[{"src": "a", "dest": "a", "weight": %s}]}' % (name, weight))
    with pytest.raises(RuntimeError) as raised:
        tarvel.Graph.load(path)
    assert str(raised.value) == ("[json.exception.out_of_range.406] weight %s is outside the range of edge weights"
                                 % weight)


def test_save_through_symbolic_links(make, tmp_path):
    data = tmp_path / "data"
    data.mkdir()
    target = data / "g.json"
    target.write_text("old")
    os.chmod(str(target), 0o640)
    os.symlink("g.json", str(data / "near"))  # relative to data/, not to the working directory
    os.symlink("data/near", str(tmp_path / "far"))
    g = make(True, "ab", [("a", "b", 1)])
    g.save(str(tmp_path / "far"))
    assert os.path.islink(str(tmp_path / "far")) and os.path.islink(str(data / "near"))
    assert target.read_bytes() == snapshot(g, tmp_path) and stat.S_IMODE(os.stat(str(target)).st_mode) == 0o640
    os.symlink("data/new.json", str(tmp_path / "dangling"))
    g.save(str(tmp_path / "dangling"))
    assert os.path.islink(str(tmp_path / "dangling")) and (data / "new.json").read_bytes() == target.read_bytes()
    os.symlink("nowhere/g.json", str(tmp_path / "broken"))
    with pytest.raises(RuntimeError, match="broken"):
        g.save(str(tmp_path / "broken"))
    assert sorted(os.listdir(str(data))) == ["g.json", "near", "new.json"]
    assert sorted(os.listdir(str(tmp_path))) == ["broken", "dangling", "data", "far", "snapshot.json"]


def test_save_and_load_take_every_name_the_system_takes(make, tmp_path):
    longest = str(tmp_path / ("n" * 255))
    make(True, "a").save(longest)
    assert tarvel.Graph.load(longest).connectedComponents() == [["a"]]
    for call in (lambda name: make(True, "a").save(name), tarvel.Graph.load):
        with pytest.raises(ValueError, match="null byte"):
            call(longest + "\0tail")
    assert os.listdir(str(tmp_path)) == ["n" * 255]


@pytest.mark.skipif(os.geteuid() != 0, reason="creating a device node needs root")
def test_save_into_a_device_writes_into_it(make, tmp_path):
    full = str(tmp_path / "full")
    os.mknod(full, 0o666 | stat.S_IFCHR, os.makedev(1, 7))  # always full, like /dev/full
    with pytest.raises(RuntimeError, match="No space left on device") as raised:
        make(True, "a").save(full)
    assert full in str(raised.value)
    assert stat.S_ISCHR(os.stat(full).st_mode) and os.listdir(str(tmp_path)) == ["full"]


FIFO_READER = """
import sys, threading, tarvel
got = []
reader = threading.Thread(target=lambda: got.append(open(sys.argv[1], "rb").read()))
reader.start()
g = tarvel.Graph(True)
for k in range(20000):  # more text than a pipe holds: the reader runs while save writes
    g.addNode("node %d" % k)
g.save(sys.argv[1])
reader.join()
sys.stdout.buffer.write(got[0])
"""


def test_save_into_a_fifo_feeds_its_reader_and_a_socket_is_refused(make, tmp_path):
    fifo, sock = str(tmp_path / "fifo"), str(tmp_path / "sock")
    os.mkfifo(fifo)
    # In a child, so that a save that blocked its reader fails instead of
    # hanging: it takes about 0.4 s; its limit is 60 s.
    out = run_code(FIFO_READER, [fifo], 60, text=False)
    assert out.returncode == 0, out.stderr.decode(errors="replace")
    assert out.stdout == snapshot(make(True, ["node %d" % k for k in range(20000)]), tmp_path)
    with socket.socket(socket.AF_UNIX) as listening:
        listening.bind(sock)
        with pytest.raises(RuntimeError, match="sock"):
            make(True, "a").save(sock)
    assert stat.S_ISFIFO(os.stat(fifo).st_mode) and stat.S_ISSOCK(os.stat(sock).st_mode)
    assert sorted(os.listdir(str(tmp_path))) == ["fifo", "snapshot.json", "sock"]


LOAD_UNDER_LIMIT = """
import resource, sys, tarvel
with open("/proc/self/status") as status:
    used = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize:"))
limit = int(sys.argv[2]) if sys.argv[2] != "tight" else used + int(sys.argv[3])
resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
try:
    tarvel.Graph.load(sys.argv[1])
except MemoryError:
    print("MemoryError")
except RuntimeError as e:
    print(str(e).split()[0])
"""


def test_big_malformed_file_under_a_memory_limit(tmp_path):
    path = tmp_path / "big.json"
    edge = '{"dest": "n%d", "src": "n%d", "weight": %d},'
    with open(str(path), "w") as f:
        # An escape at the start sends the whole file to the document reader.
        f.write('{"directed": true, "edges": [' + edge.replace("n%d", "\\u006e%d", 1) % (0, 1, 2))
        for start in range(0, 1100000, 10000):
            f.write("".join(edge % (k, k + 1, k) for k in range(start, start + 10000)))
        f.write('], "nodes": []')  # the closing brace is missing
    size = path.stat().st_size
    assert size > 55 * 10 ** 6
    # A whole JSON document of this file needs more than 700 MB; the stream,
    # far less. With room for little more than the text, memory runs out.
    for limit, expected in ((["700000000"], "[json.exception.parse_error.101]"),
                            (["tight", str(size + size // 10)], "MemoryError")):
        # At most 9 s (measured beside other jobs, load 12 on two cores); the limit is 120 s.
        out = run_code(LOAD_UNDER_LIMIT, [str(path)] + limit, 120)
        assert (out.returncode, out.stdout.strip()) == (0, expected), out.stderr


def test_a_fifo_is_read_as_it_arrives_and_every_wait_hears_ctrl_c():
    """In a child with a time limit: a graph sent in small pieces by a
    writer that keeps the pipe open loads as soon as its value is complete;
    an endless input fails at its first byte; Ctrl-C ends a load waiting for
    bytes (sent once another process sees the load holding the FIFO open)
    and a save waiting for a reader (neither can end otherwise, so the
    signal's moment decides nothing) with KeyboardInterrupt alone."""
    # The child takes about 0.5 s (1 s beside load 12); its limit is 120 s.
    out = run("""
        import errno, tempfile
        folder = tempfile.mkdtemp()
        fifo, plain = os.path.join(folder, "pipe"), os.path.join(folder, "plain.json")
        os.mkfifo(fifo)
        g = random_graph(True, 50, 200)
        g.save(plain)
        with open(plain) as f:
            text = f.read()
        hold = threading.Event()
        def write():
            with open(fifo, "w") as out:
                for k in range(0, len(text), 97):
                    out.write(text[k:k + 97])
                    out.flush()
                out.write("  trailing words")
                out.flush()
                hold.wait()  # the writer never closes before the load returns
        # A daemon: a writer still waiting for a reader must not keep a
        # failed child alive and hide its error.
        writer = threading.Thread(target=write, daemon=True)
        writer.start()
        try:
            loaded = tarvel.Graph.load(fifo)
        finally:
            hold.set()
        writer.join()
        assert [(e.getSource(), e.getDestination(), e.getWeight()) for e in loaded.edges()] == \\
               [(e.getSource(), e.getDestination(), e.getWeight()) for e in g.edges()]
        try:
            tarvel.Graph.load("/dev/zero")
            raise AssertionError("loaded the zero device")
        except RuntimeError as error:
            assert "parse error at line 1, column 1" in str(error), error

        def writer_end():
            # Opens without blocking only once a reader holds the FIFO: the
            # load is then in its wait for bytes, and stays there.
            while True:
                try:
                    return os.open(fifo, os.O_WRONLY | os.O_NONBLOCK)
                except OSError as refused:
                    if refused.errno != errno.ENXIO:
                        raise
                time.sleep(0.001)

        for call, ready, delay in ((lambda: tarvel.Graph.load(fifo), writer_end, 0.0),
                                   (lambda: g.save(fifo), lambda: None, 0.3)):  # nobody at the other end
            try:
                interrupt_when(ready, delay)
                call()
                raise AssertionError("no interrupt")
            except KeyboardInterrupt as stop:
                assert stop.__context__ is None, repr(stop.__context__)
            reap()
        print("ok")
    """)
    assert out == "ok\n"
