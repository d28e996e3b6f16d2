"""The native rows: the floor (benchmarks/floor/floor.cpp, plain CSR code)
and tarvel's C++ (benchmarks/floor/tarvel_native.cpp), loaded with ctypes
from the folder that benchmarks/floor/build.sh wrote.

They are adapters as those of peers.py are, for the few operations they
answer, and take their turns among the libraries. A timed call is one
ctypes call (about a microsecond beside the work): the search runs in C++
and leaves its answer there, read back untimed to be checked.
"""
import ctypes
import os

from peers import partition

U32 = ctypes.c_uint32
I64 = ctypes.c_int64


def load(folder, file_name):
    lib = ctypes.CDLL(os.path.join(folder, file_name))
    lib.bench_open.restype = ctypes.c_void_p
    lib.bench_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
    lib.bench_close.argtypes = [ctypes.c_void_p]
    lib.bench_error.restype = ctypes.c_char_p
    for search in ("bench_bfs", "bench_bfs_two_ended", "bench_dijkstra"):
        getattr(lib, search).restype = I64
        getattr(lib, search).argtypes = [ctypes.c_void_p, U32, U32]
    for whole in ("bench_scc", "bench_kruskal"):
        getattr(lib, whole).restype = I64
        getattr(lib, whole).argtypes = [ctypes.c_void_p]
    lib.bench_path.argtypes = [ctypes.c_void_p, ctypes.POINTER(U32)]
    lib.bench_groups.argtypes = [ctypes.c_void_p, ctypes.POINTER(U32), ctypes.POINTER(I64)]
    lib.bench_tree.argtypes = [ctypes.c_void_p, ctypes.POINTER(U32), ctypes.POINTER(I64)]
    return lib


class Handle:
    """A graph opened by a native library; closed when dropped."""

    def __init__(self, lib, p):
        self.lib = lib
        self.value = lib.bench_open(p.nodes_path.encode(), p.tsv_path.encode(), int(p.directed))
        if not self.value:
            raise RuntimeError(lib.bench_error().decode())

    def __del__(self):
        if getattr(self, "value", None):
            self.lib.bench_close(self.value)


class Native:
    """The operations a native library answers, checked in the common forms
    of peers.py from what the last call left in the library."""

    file_name = None
    searches = {"bfs": "bench_bfs", "dijkstra": "bench_dijkstra"}
    skip = ()  # the whole-graph operations it leaves to another adapter

    def __init__(self, folder):
        self.lib = load(folder, self.file_name)

    def build(self, p):
        return lambda: Handle(self.lib, p)

    def ops(self, h, p, s, t, alpha):
        lib, graph, names = self.lib, h.value, p.nodes
        si, ti = p.index[s], p.index[t]

        def path(length):
            nodes = (U32 * length)()
            lib.bench_path(graph, nodes)
            return [names[v] for v in nodes]

        def groups(count):
            nodes, starts = (U32 * len(names))(), (I64 * (count + 1))()
            lib.bench_groups(graph, nodes, starts)
            return partition([names[v] for v in nodes[starts[k]:starts[k + 1]]] for k in range(count))

        def tree(count):
            ends, weights = (U32 * (2 * count))(), (I64 * count)()
            lib.bench_tree(graph, ends, weights)
            return sum(weights)

        ops = {}
        for op, function in self.searches.items():
            search = getattr(lib, function)
            check = p.hops if op == "bfs" else p.path_weight
            ops[op] = (lambda search=search: search(graph, si, ti), lambda r, check=check: check(path(r)))
        if p.directed and "scc_tarjan" not in self.skip:
            ops["scc_tarjan"] = (lambda: lib.bench_scc(graph), groups)
        if not p.directed and "mst_kruskal" not in self.skip:
            ops["mst_kruskal"] = (lambda: lib.bench_kruskal(graph), tree)
        return ops


class Floor(Native):
    name = "floor"
    file_name = "libfloor.so"


class FloorTwoEnded(Native):
    """The floor's search from both ends, for the breadth-first rows only."""

    name = "floor two-ended"
    file_name = "libfloor.so"
    searches = {"bfs": "bench_bfs_two_ended"}
    skip = ("scc_tarjan", "mst_kruskal")


class TarvelCpp(Native):
    name = "tarvel C++"
    file_name = "libtarvel_native.so"


NATIVE = [Floor, FloorTwoEnded, TarvelCpp]
