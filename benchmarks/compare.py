"""tarvel against networkx, igraph, rustworkx, networkit and scipy, in one run.

    python benchmarks/compare.py            # full sizes (about a million edges)
    python benchmarks/compare.py --tiny     # a quick check that everything still works
    python benchmarks/compare.py --floor build/floor   # also the native rows (benchmarks/floor/build.sh)

Graphs are generated from fixed seeds (plus the WormNet benchmark edge list
shipped with Debian's python3-networkx, when present), parallel edges and
self-loops removed, and written once as files (tarvel's JSON file, a
tab-separated edge list and the list of node names) into a scratch folder.
For every operation each library's answer is checked against tarvel's
before any time is recorded; a library whose answer differs is reported and
not timed. The libraries then take turns, one call each per round, in an
order rotated every round, until each has its runs; the table shows each
cell's median and its range. Results go to benchmarks/results/ (results.md,
results.png, results.json; a tiny run's to build/bench-tiny/), and a full
run's tables also into docs/speed.md.
"""
import argparse
import gc
import json
import os
import platform
import random
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tarvel  # noqa: E402
from peers import CONSISTENT, LIBRARIES, PEERS, Prepared  # noqa: E402

if os.environ.get("TARVEL_BENCH_THREADS", "one") == "one":
    os.environ.setdefault("OMP_NUM_THREADS", "1")
    os.environ.setdefault("RAYON_NUM_THREADS", "1")
# Also compared at each library's default threading.
PARALLEL = ["closeness", "betweenness", "katz", "pagerank", "harmonic"]

HERE = os.path.dirname(os.path.abspath(__file__))
WORMNET = "/usr/share/doc/networkx-2.8.8/examples/algorithms/WormNet.v3.benchmark.txt"

LINEAR = ["dfs", "components", "scc_tarjan", "scc_kosaraju", "has_cycle", "node_coloring", "bfs", "dijkstra",
          "astar", "astar_manhattan", "bfs_random", "dijkstra_random", "astar_random", "astar_manhattan_random",
          "mst_kruskal", "mst_prim", "mst_boruvka", "degree", "degree_named", "katz", "pagerank"]
# Undirected graphs only.
TRIANGLES = ["triangles", "clustering", "average_clustering", "transitivity"]
LINEAR += TRIANGLES
# The tree edges of a search from the query pair's start, every reachable node.
LINEAR += ["bfs_edges", "dfs_edges"]
# The searches between two nodes, each also to a node drawn at random.
PATHS = ["bfs", "dijkstra", "astar", "astar_manhattan"]
# Operations whose results hold node names: tarvel's first call on a graph
# also makes the name objects it then keeps, so it is timed on its own.
NAMED = ["dfs", "components", "scc_tarjan", "node_coloring", "bfs", "dijkstra", "mst_kruskal", "degree"]
QUADRATIC = ["bellman_ford", "closeness", "betweenness", "betweenness_weighted"]
# Distances between all pairs (every row made, as a caller gets it) and the
# diameter, hop counts and weights (connected graphs only).
QUADRATIC += ["all_pairs_lengths", "all_pairs_dijkstra", "diameter", "diameter_weighted"]
QUADRATIC += ["harmonic"]
# The orders and reach of a directed acyclic graph (descendants of the
# query pair's start, ancestors of its end) and its weak components.
DAG = ["topological_order", "topological_generations", "descendants", "ancestors", "weak_components"]
# The rows read against the floor, each with the native library that is its
# floor: the forward search, and for the breadth-first rows also the search
# from both ends.
FLOOR_ROWS = [("bfs", "floor"), ("bfs", "floor two-ended"), ("bfs_random", "floor"),
              ("bfs_random", "floor two-ended"), ("dijkstra", "floor"), ("dijkstra_random", "floor"),
              ("scc_tarjan", "floor"), ("mst_kruskal", "floor")]


# ---- graphs -------------------------------------------------------------------
def gnm(rng, n, m, directed):
    seen, edges = set(), []
    while len(edges) < m:
        a, b = rng.randrange(n), rng.randrange(n)
        key = (a, b) if directed else (min(a, b), max(a, b))
        if a != b and key not in seen:
            seen.add(key)
            edges.append((a, b))
    return n, edges


def gnm_dag(rng, n, m):
    """G(n, m) with every edge forward in a hidden random order of the nodes,
    and the first and last node of that order (the source that reaches the
    most, the sink reached from the most): the queries of descendants and
    ancestors."""
    rank = list(range(n))
    rng.shuffle(rank)
    _, edges = gnm(rng, n, m, False)
    ends = (rank.index(0), rank.index(n - 1))
    return n, [(a, b) if rank[a] < rank[b] else (b, a) for a, b in edges], ends


def barabasi_albert(rng, n, k):
    edges, targets, repeated = [], list(range(k)), []
    for source in range(k, n):
        for t in set(targets):
            edges.append((source, t))
        repeated.extend(targets)
        repeated.extend([source] * k)
        targets = set()
        while len(targets) < k:
            targets.add(rng.choice(repeated))
        targets = list(targets)
    return n, edges


def grid(rows, cols):
    edges = []
    for r in range(rows):
        for c in range(cols):
            if c + 1 < cols:
                edges.append((r * cols + c, r * cols + c + 1))
            if r + 1 < rows:
                edges.append((r * cols + c, (r + 1) * cols + c))
    return rows * cols, edges


def wormnet(rng):
    if not os.path.exists(WORMNET):
        return None
    names, seen, edges = {}, set(), []
    with open(WORMNET) as f:
        for line in f:
            a, b = line.split()
            for x in (a, b):
                names.setdefault(x, len(names))
            key = (min(names[a], names[b]), max(names[a], names[b]))
            if key[0] != key[1] and key not in seen:
                seen.add(key)
                edges.append((names[a], names[b]))
    return list(names), edges


def make_graphs(tiny, folder, scale=None):
    """The benchmark's graphs, written into `folder`: full size, or 0.01 of
    it when tiny, or `scale` of it (benchmarks/builds.py)."""
    rng = random.Random(20261207)
    if scale is None:
        scale = 0.01 if tiny else 1.0
    big = max(int(200_000 * scale), 200)
    side = max(int(700 * scale ** 0.5), 12)
    small_side = max(int(50 * scale ** 0.25), 10)
    specs = [
        ("gnm-directed", True, LINEAR, gnm(rng, big, 5 * big, True), None),
        ("gnm-undirected", False, LINEAR, gnm(rng, big, 5 * big, False), None),
        ("barabasi-albert", False, LINEAR, barabasi_albert(rng, big, 5), None),
        ("grid", False, LINEAR, grid(side, side), side),
        ("gnm-directed-small", True, QUADRATIC, gnm(rng, max(int(3000 * scale ** 0.5), 60), 5 * max(int(3000 * scale ** 0.5), 60), True), None),
        ("barabasi-albert-small", False, QUADRATIC, barabasi_albert(rng, max(int(3000 * scale ** 0.5), 60), 3), None),
        ("grid-small", False, QUADRATIC, grid(small_side, small_side), small_side),
    ]
    worm = None if tiny else wormnet(rng)
    graphs = []
    # Made after the others, so that their edges and weights stay as they were.
    n, edges, ends = gnm_dag(random.Random(20261208), big, 5 * big)
    dag = [("gnm-dag", True, DAG, (n, edges), None)]
    specs += ([("wormnet", False, LINEAR, worm, None)] if worm else []) + dag
    for name, directed, ops, (nodes, edges), cols in specs:
        names = nodes if isinstance(nodes, list) else ["n%d" % i for i in range(nodes)]
        weighted = [(names[a], names[b], rng.randint(1, 100)) for a, b in edges]
        coords = None if cols is None else {node: divmod(i, cols) for i, node in enumerate(names)}
        g = tarvel.Graph(directed)
        for node in names:
            g.addNode(node)
        for a, b, w in weighted:
            g.addEdge(a, b, w)
        paths = [os.path.join(folder, name + suffix) for suffix in (".json", ".tsv", ".nodes")]
        g.save(paths[0])
        with open(paths[1], "w") as f:
            f.writelines("%s\t%s\t%d\n" % e for e in weighted)
        with open(paths[2], "w") as f:
            f.writelines(node + "\n" for node in names)
        graphs.append((Prepared(name, directed, names, weighted, *paths, coords=coords), ops))
        if ops is DAG:
            graphs[-1][0].ends = tuple(names[k] for k in ends)
    return graphs


# ---- timing -------------------------------------------------------------------
class Runs:
    """How many times each library runs an operation: until it has MOST runs,
    or at least LEAST that took over `budget` seconds in all, or any number
    that took over four times that."""

    def __init__(self, tiny):
        self.budget = 0.05 if tiny else 2.0
        self.least, self.most = (3, 3) if tiny else (3, 7)

    def done(self, times):
        spent = sum(times)
        return len(times) >= self.most or (len(times) >= self.least and spent > self.budget) or \
            spent > 4 * self.budget


def timed(call, prepare=None):
    """One run of `call` in seconds, the collector paused (as timeit does):
    a collection started by one library's allocations would walk every
    object of the others' graphs, which live in this process too. The result
    is freed after the clock stops."""
    if prepare is not None:
        prepare()
    gc.disable()
    try:
        start = time.perf_counter()
        result = call()
        seconds = time.perf_counter() - start
    finally:
        gc.enable()
    del result
    return seconds


def take_turns(entrants, runs):
    """Times each entrant (key, call, prepare) until runs.done says it has
    enough: one run each per round, in an order rotated every round, so that
    whatever else the machine does meanwhile falls on all of them alike.
    Returns key -> list of seconds."""
    times = {key: [] for key, _, _ in entrants}
    active, turn = list(entrants), 0
    while active:
        shift = turn % len(active)
        for key, call, prepare in active[shift:] + active[:shift]:
            times[key].append(timed(call, prepare))
        active = [e for e in active if not runs.done(times[e[0]])]
        turn += 1
    return times


def same(a, b):
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(abs(x - y) <= 1e-6 * max(1.0, abs(x)) for x, y in zip(a, b))
    if isinstance(a, float) or isinstance(b, float):
        return abs(a - b) <= 1e-6 * max(1.0, abs(a))
    return a == b


def query_pair(g, p):
    """A start, the last node its breadth-first search reaches, and a node of
    its component picked at random."""
    first = g.connectedComponents()[0]
    return first[0], first[-1], random.Random(len(first)).choice(first[1:] or first)


def katz_alpha(g, p):
    """The attenuation of the conventional Katz vector equal to tarvel's.

    tarvel rescales after every step, so its fixed point is the conventional
    vector for alpha / c, c = |alpha * A x + 1|.
    """
    alpha = 0.01
    x = g.katzCentrality(alpha, 1.0, 10000, 1e-12)
    raw = [alpha * sum(x[b] for b in out) + 1.0 for out in _out_lists(p)]
    return alpha, alpha / sum(v * v for v in raw) ** 0.5


def _out_lists(p):
    out = {n: [] for n in p.nodes}
    for a, b, _ in p.edges:
        out[a].append(b)
        if not p.directed:
            out[b].append(a)
    return [out[n] for n in p.nodes]


def to_random_target(ops):
    """The searches of `ops` (asked of a random target) renamed for their
    rows: "astar (consistent=True)" becomes "astar_random (consistent=True)"."""
    renamed = {}
    for key, value in ops.items():
        base, space, variant = key.partition(" ")
        if base in PATHS:
            renamed[base + "_random" + space + variant] = value
    return renamed


def skipped(op, p, tg):
    if op in ("scc_tarjan", "scc_kosaraju", "has_cycle") and not p.directed:
        return True
    if (op in ("components", "node_coloring") or op.startswith("mst") or op in TRIANGLES) and p.directed:
        return True
    # Prim spans only the first node's component; the peers span the forest.
    return op == "mst_prim" and len(tg.connectedComponents()) > 1


def run(tiny, only, ops_only=None, floor=None):
    runs = Runs(tiny)
    libraries = []
    for cls in LIBRARIES:
        try:
            libraries.append(cls())
        except ImportError as error:
            print("skipping %s: %s" % (cls.__name__, error))
    if floor is not None and ops_only is None:
        from native import NATIVE
        libraries += [cls(floor) for cls in NATIVE]
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for p, op_names in make_graphs(tiny, folder):
            if only and p.name not in only:
                continue
            print("\n%s: %s, %d nodes, %d edges" % (p.name, "directed" if p.directed else "undirected",
                                                 len(p.nodes), len(p.edges)), flush=True)
            built = {lib.name: lib.build(p)() for lib in libraries}
            if ops_only is None:
                for kind in ("build", "build_calls", "load"):
                    entrants, checked = [], []
                    for lib in libraries:
                        if lib.name in PEERS + ["tarvel"] and hasattr(lib, kind):
                            make = getattr(lib, kind)(p)
                            made = built[lib.name] if kind == "build" else make()
                            ok = edge_count(made, p.directed) == len(p.edges)
                            del made
                            checked.append((lib.name, ok))
                            if ok:
                                entrants.append((lib.name, make, None))
                    times = take_turns(entrants, runs)
                    rows += [record(p, kind, name, times.get(name), ok) for name, ok in checked]
            tg = built["tarvel"]
            s, t, t_random = query_pair(tg, p)
            if getattr(p, "ends", None):
                s, t = p.ends
            tarvel_alpha, peer_alpha = katz_alpha(tg, p)
            ops = {}
            for lib in libraries:
                alpha = tarvel_alpha if lib.name == "tarvel" else peer_alpha
                ops[lib.name] = lib.ops(built[lib.name], p, s, t, alpha)
                ops[lib.name].update(to_random_target(lib.ops(built[lib.name], p, s, t_random, alpha)))
            for op in op_names:
                if op not in ops["tarvel"] or (ops_only is not None and op not in ops_only) or skipped(op, p, tg):
                    continue
                # Every library's call for this operation, tarvel's opt-in
                # variants beside tarvel's own, in one set of turns.
                wanted = [op] + [op + CONSISTENT]
                entrants, checked, expected = [], [], None
                for lib in libraries:
                    for key in wanted:
                        if key not in ops[lib.name]:
                            continue
                        call, answer, *prepare = ops[lib.name][key]
                        prepare = prepare[0] if prepare else None
                        if prepare is not None:
                            prepare()
                        got = answer(call())
                        if expected is None:
                            expected = got  # tarvel comes first
                        ok = same(got, expected)
                        if op == "katz":
                            ok = ok and ranking(got) == ranking(expected)
                        checked.append((key, lib.name, ok))
                        if ok:
                            entrants.append(((key, lib.name), call, prepare))
                times = take_turns(entrants, runs)
                rows += [record(p, key, name, times.get((key, name)), ok) for key, name, ok in checked]
                if op in NAMED and ops_only is None:
                    rows.append(record(p, op + " (first call)", "tarvel", first_call(p, op, s, t, runs), True))
    return rows


def first_call(p, op, s, t, runs):
    """tarvel's times for `op` as the first call on a graph just built."""
    lib = next(cls for cls in LIBRARIES if cls.name == "tarvel")()
    box = {}

    def prepare():
        box["call"] = lib.ops(lib.build(p)(), p, s, t, 0.01)[op][0]

    return take_turns([("first", lambda: box["call"](), prepare)], runs)["first"]


def edge_count(g, directed):
    """The number of edges of a graph of any of the libraries."""
    if hasattr(g, "nnz"):  # a sparse matrix, an undirected graph stored both ways
        return g.nnz if directed else g.nnz // 2
    for method in ("edgeCount", "number_of_edges", "ecount", "num_edges", "numberOfEdges"):
        if hasattr(g, method):
            return getattr(g, method)()
    raise TypeError("no edge count for %r" % type(g))


def ranking(scores):
    return sorted(range(len(scores)), key=lambda i: (-round(scores[i], 9), i))


def record(p, op, library, times, ok):
    """A row: the median of the times, their least and greatest, how many."""
    row = {"graph": p.name, "op": op, "library": library, "agrees": ok, "seconds": None}
    if ok and times:
        row.update(seconds=statistics.median(times), least=min(times), most=max(times), runs=len(times))
        shown = "%.4f s (%.4f-%.4f, %d runs)" % (row["seconds"], row["least"], row["most"], row["runs"])
    else:
        shown = "DIFFERENT ANSWER, not timed"
    print("  %-36s %-16s %s" % (op, library, shown), flush=True)
    return row


# ---- memory -------------------------------------------------------------------
MEMORY_PROBE = r"""
import sys
sys.path.insert(0, {here!r})
from peers import {cls}, Prepared
import json

def status(key):
    with open("/proc/self/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith(key))

lib = {cls}()
p = Prepared("m", {directed}, json.load(open({nodes!r})), [tuple(e) for e in json.load(open({edges!r}))], {json_path!r}, {tsv!r})
import gc
gc.collect()
with open("/proc/self/clear_refs", "w") as f:
    f.write("5")  # restart the peak count here
before = status("VmRSS:")
g = lib.build(p)()
gc.collect()
print(status("VmRSS:") - before, status("VmHWM:") - before)
"""


def peak_memory(tiny):
    """Memory of a graph of about a million undirected edges built from Python
    with each library's bulk builder, in a fresh process: the growth of its
    resident set once the build is done and Python's garbage collected (what
    the graph keeps), and the peak during the build (what building needs),
    both in bytes per edge. The input lists exist before the measurement
    starts, so neither counts them."""
    rng = random.Random(7)
    n = 2000 if tiny else 200_000
    nodes, edges = gnm(rng, n, 5 * n, False)
    names = ["n%d" % i for i in range(nodes)]
    weighted = [(names[a], names[b], rng.randint(1, 100)) for a, b in edges]
    result = {}
    with tempfile.TemporaryDirectory() as folder:
        paths = {k: os.path.join(folder, k) for k in ("nodes", "edges", "json", "tsv")}
        json.dump(names, open(paths["nodes"], "w"))
        json.dump(weighted, open(paths["edges"], "w"))
        for cls in LIBRARIES:
            code = MEMORY_PROBE.format(here=HERE, cls=cls.__name__, directed=False, nodes=paths["nodes"],
                                       edges=paths["edges"], json_path=paths["json"], tsv=paths["tsv"])
            out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
            if out.returncode == 0:
                kept, peak = (int(v) * 1024 / len(weighted) for v in out.stdout.split())
                result[cls.name] = {"kept": kept, "peak": peak}
    return {"edges": len(weighted), "nodes": n, "bytes_per_edge": result}


# ---- output -------------------------------------------------------------------
def ms(seconds):
    """Milliseconds to three figures or to the microsecond."""
    value = 1000 * seconds
    return "%.0f" % value if value >= 100 else "%.1f" % value if value >= 10 else "%.2f" % value if value >= 1 \
        else "%.3f" % value


def cell(row):
    """A cell: the median and, in brackets, the least and the greatest run."""
    if row is None:
        return "–"
    if row["seconds"] is None:
        return "differs"
    return "%s (%s–%s)" % (ms(row["seconds"]), ms(row["least"]), ms(row["most"]))


def by_cell(rows):
    cells = {}
    for r in rows:
        cells.setdefault((r["graph"], r["op"]), {})[r["library"]] = r
    return cells


def summarise(rows, memory):
    """The table of tarvel against its peers. A row of tarvel's opt-in
    ("astar (consistent=True)") has tarvel alone; its ratios are to the
    peers of the row without it, timed in the same turns."""
    cells = by_cell(rows)
    peers = [name for name in PEERS if any(name in libs for libs in cells.values())]
    lines = ["| graph | operation | tarvel | " + " | ".join(peers) + " | tarvel / fastest peer | networkx / tarvel |",
             "|---|---|---|" + "---|" * len(peers) + "---|---|"]
    ratios = []
    for (graph, op), libs in cells.items():
        tarvel_row = libs.get("tarvel")
        if tarvel_row is None or tarvel_row["seconds"] is None:
            continue
        t = tarvel_row["seconds"]
        others = cells.get((graph, op.split(" (")[0]), {}) if op.endswith(CONSISTENT) else libs
        fast = [others[n]["seconds"] for n in peers if n in others and others[n]["seconds"] is not None]
        ratio = t / min(fast) if fast else None
        nx_row = others.get("networkx")
        speedup = nx_row["seconds"] / t if nx_row and nx_row["seconds"] else None
        ratios.append((graph, op, ratio, speedup))
        lines.append("| %s | %s | %s | %s | %s | %s |" % (
            graph, op, cell(tarvel_row), " | ".join(cell(libs.get(n)) for n in peers),
            "%.2f" % ratio if ratio is not None else "–", "%.1f" % speedup if speedup is not None else "–"))
    lines.append("")
    lines.append("Bytes per undirected edge of a graph of %d nodes and %d edges built with each library's bulk "
                 "builder, kept once built (peak while building): %s" % (
                     memory["nodes"], memory["edges"],
                     ", ".join("%s %.0f (%.0f)" % (name, m["kept"], m["peak"])
                               for name, m in memory["bytes_per_edge"].items())))
    return "\n".join(lines), ratios


def floor_table(rows):
    """tarvel's C++ and Python times against the floor's, for the rows that
    have one; empty when the native libraries were not loaded."""
    cells = by_cell(rows)
    lines = []
    for graph in dict.fromkeys(r["graph"] for r in rows):
        for op, floor in FLOOR_ROWS:
            libs = cells.get((graph, op), {})
            base, native, python = (libs.get(name) for name in (floor, "tarvel C++", "tarvel"))
            if base is None or base["seconds"] is None:
                continue

            def ratio(row):
                return "%.2f" % (row["seconds"] / base["seconds"]) if row and row["seconds"] is not None else "–"
            label = op + (" (from both ends)" if floor == "floor two-ended" else "")
            lines.append("| %s | %s | %s | %s | %s | %s | %s |" % (
                graph, label, cell(base), cell(native), cell(python), ratio(native), ratio(python)))
    if not lines:
        return ""
    return "\n".join(["| graph | operation | floor | tarvel C++ | tarvel | C++ / floor | Python / floor |",
                      "|---|---|---|---|---|---|---|"] + lines)


def chart(ratios, path):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        return
    shown = [(g, o, r) for g, o, r, _ in ratios if r is not None]
    if not shown:
        return
    labels = ["%s / %s" % (g, o) for g, o, _ in shown]
    values = [r for _, _, r in shown]
    fig, ax = plt.subplots(figsize=(10, max(4, 0.22 * len(shown))))
    ax.barh(range(len(shown)), values, color=["tab:green" if v <= 1.0 else "tab:red" for v in values])
    ax.axvline(1.0, color="black", linewidth=0.8)
    ax.set_xscale("log")
    ax.set_yticks(range(len(shown)))
    ax.set_yticklabels(labels, fontsize=6)
    ax.invert_yaxis()
    ax.set_xlabel("tarvel time / fastest of %s (median; log scale; below 1 is faster)" % ", ".join(PEERS))
    fig.tight_layout()
    fig.savefig(path, dpi=120)


README = os.path.join(os.path.dirname(HERE), "docs", "speed.md")
BEGIN, END = "<!-- benchmark results: begin -->\n", "<!-- benchmark results: end -->\n"


def update_readme(text):
    """Puts the tables between the two result markers of docs/speed.md."""
    with open(README, encoding="utf-8") as f:
        readme = f.read()
    if BEGIN not in readme or END not in readme:
        return
    head, rest = readme.split(BEGIN, 1)
    _, tail = rest.split(END, 1)
    with open(README, "w", encoding="utf-8") as f:
        f.write(head + BEGIN + text + "\n" + END + tail)


def all_cores_rows(tiny, only):
    """The parallel computations at each library's default threading, from a
    process of their own (thread pools are sized when first used)."""
    env = {k: v for k, v in os.environ.items() if k not in ("OMP_NUM_THREADS", "RAYON_NUM_THREADS")}
    env["TARVEL_BENCH_THREADS"] = "all"
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "rows.json")
        command = [sys.executable, __file__, "--parallel-rows", out] + (["--tiny"] if tiny else [])
        for graph in only or []:
            command += ["--graph", graph]
        subprocess.run(command, env=env, check=True)
        with open(out) as f:
            rows = json.load(f)
    for row in rows:
        row["op"] += " (all cores)"
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tiny", action="store_true", help="small graphs, few runs")
    parser.add_argument("--graph", action="append", help="only this graph (repeatable)")
    parser.add_argument("--out", help="folder for the results (benchmarks/results, for --tiny build/bench-tiny)")
    parser.add_argument("--floor", help="folder of the native libraries (benchmarks/floor/build.sh): "
                                        "also time the floor and tarvel's C++")
    parser.add_argument("--op", action="append", help="only this operation (repeatable): its rows are printed, "
                                                       "no file is written")
    parser.add_argument("--parallel-rows", help=argparse.SUPPRESS)  # the all-cores pass writes its rows here
    args = parser.parse_args()
    results = os.path.join(HERE, "results")
    if args.out is None:
        args.out = os.path.join(os.path.dirname(HERE), "build", "bench-tiny") if args.tiny else results
    if args.parallel_rows:
        with open(args.parallel_rows, "w") as f:
            json.dump(run(args.tiny, args.graph, PARALLEL), f)
        return
    if args.op:
        run(args.tiny, args.graph, args.op)
        return
    started = time.perf_counter()
    rows = run(args.tiny, args.graph, floor=args.floor)
    rows += all_cores_rows(args.tiny, args.graph)
    memory = peak_memory(args.tiny)
    table, ratios = summarise(rows, memory)
    floors = floor_table(rows)
    if floors:
        table += "\n\nAgainst the floor (plain CSR code at -O3, benchmarks/floor/): tarvel's C++ and Python times " \
                 "divided by the floor's.\n\n" + floors
    machine = "%s, %s, %d cores, Python %s" % (platform.machine(), platform.platform(), os.cpu_count(),
                                               platform.python_version())
    versions = {}
    for module in ("networkx", "igraph", "rustworkx", "networkit", "scipy"):
        try:
            versions[module] = __import__(module).__version__
        except ImportError:
            pass
    os.makedirs(args.out, exist_ok=True)
    header = ("Command: `bash scripts/bench.sh%s` on %s; peers %s; one thread each. Times in milliseconds: "
              "the median of the runs, in brackets the fastest and the slowest.\n\n") % (
        " --tiny" if args.tiny else "", machine, ", ".join("%s %s" % kv for kv in versions.items()))
    with open(os.path.join(args.out, "results.md"), "w") as f:
        f.write(header + table + "\n")
    with open(os.path.join(args.out, "results.json"), "w") as f:
        json.dump({"rows": rows, "memory": memory, "machine": machine, "versions": versions}, f, indent=1)
    chart(ratios, os.path.join(args.out, "results.png"))
    if not args.tiny and args.out == results:
        update_readme(header + table)
    print("\n" + header + table)
    bad = [r for r in rows if not r["agrees"]]
    print("\n%.0f seconds" % (time.perf_counter() - started))
    print("\n%d measurements, %d with a different answer" % (len(rows), len(bad)))


if __name__ == "__main__":
    main()
