"""tarvel against networkx, igraph, rustworkx and networkit, in one run.

    python benchmarks/compare.py            # full sizes (about a million edges)
    python benchmarks/compare.py --tiny     # a quick check that everything still works

Graphs are generated from fixed seeds (plus the WormNet benchmark edge list
shipped with Debian's python3-networkx, when present), parallel edges and
self-loops removed, and written once as files (tarvel's JSON file and a
tab-separated edge list) into a scratch folder. For every operation each
library's answer is checked against tarvel's before any time is recorded; a
library whose answer differs is reported and not timed. Times are medians of
several runs. Results go to benchmarks/results/ (results.md, results.png,
results.json).
"""
import argparse
import json
import os
import platform
import random
import resource
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tarvel  # noqa: E402
from peers import LIBRARIES, Prepared  # noqa: E402

if os.environ.get("TARVEL_BENCH_THREADS", "one") == "one":
    os.environ.setdefault("OMP_NUM_THREADS", "1")
    os.environ.setdefault("RAYON_NUM_THREADS", "1")
PARALLEL = ["closeness", "betweenness", "katz"]  # also compared at each library's default threading

HERE = os.path.dirname(os.path.abspath(__file__))
WORMNET = "/usr/share/doc/networkx-2.8.8/examples/algorithms/WormNet.v3.benchmark.txt"

LINEAR = ["dfs", "components", "scc_tarjan", "scc_kosaraju", "has_cycle", "node_coloring", "bfs", "dijkstra",
          "astar", "bfs_random", "dijkstra_random", "astar_random", "mst_kruskal", "mst_prim", "mst_boruvka",
          "degree", "degree_named", "katz"]
PATHS = ["bfs", "dijkstra", "astar"]
# Operations whose results hold node names: tarvel's first call on a graph
# also makes the name objects it then keeps, so it is timed on its own.
NAMED = ["dfs", "components", "scc_tarjan", "node_coloring", "bfs", "dijkstra", "mst_kruskal", "degree"]
QUADRATIC = ["bellman_ford", "closeness", "betweenness"]


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


def make_graphs(tiny, folder):
    rng = random.Random(20261207)
    scale = 0.01 if tiny else 1.0
    big = max(int(200_000 * scale), 200)
    side = max(int(700 * scale ** 0.5), 12)
    specs = [
        ("gnm-directed", True, LINEAR, gnm(rng, big, 5 * big, True)),
        ("gnm-undirected", False, LINEAR, gnm(rng, big, 5 * big, False)),
        ("barabasi-albert", False, LINEAR, barabasi_albert(rng, big, 5)),
        ("grid", False, LINEAR, grid(side, side)),
        ("gnm-directed-small", True, QUADRATIC, gnm(rng, max(int(3000 * scale ** 0.5), 60), 5 * max(int(3000 * scale ** 0.5), 60), True)),
        ("barabasi-albert-small", False, QUADRATIC, barabasi_albert(rng, max(int(3000 * scale ** 0.5), 60), 3)),
        ("grid-small", False, QUADRATIC, grid(max(int(50 * scale ** 0.25), 10), max(int(50 * scale ** 0.25), 10))),
    ]
    worm = None if tiny else wormnet(rng)
    graphs = []
    for name, directed, ops, (nodes, edges) in specs + ([("wormnet", False, LINEAR, worm)] if worm else []):
        names = nodes if isinstance(nodes, list) else ["n%d" % i for i in range(nodes)]
        weighted = [(names[a], names[b], rng.randint(1, 100)) for a, b in edges]
        g = tarvel.Graph(directed)
        for node in names:
            g.addNode(node)
        for a, b, w in weighted:
            g.addEdge(a, b, w)
        json_path = os.path.join(folder, name + ".json")
        tsv_path = os.path.join(folder, name + ".tsv")
        g.save(json_path)
        with open(tsv_path, "w") as f:
            f.writelines("%s\t%s\t%d\n" % e for e in weighted)
        graphs.append((Prepared(name, directed, names, weighted, json_path, tsv_path), ops))
    return graphs


# ---- timing -------------------------------------------------------------------
def median_time(fn, budget, prepare=None):
    times = []
    while True:
        if prepare is not None:
            prepare()
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
        spent = sum(times)
        if len(times) >= 5 or (len(times) >= 3 and spent > budget) or spent > 4 * budget:
            return statistics.median(times)


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


def run(tiny, only, ops_only=None):
    budget = 0.05 if tiny else 2.0
    libraries = []
    for cls in LIBRARIES:
        try:
            libraries.append(cls())
        except ImportError as error:
            print("skipping %s: %s" % (cls.__name__, error))
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for p, op_names in make_graphs(tiny, folder):
            if only and p.name not in only:
                continue
            print("\n%s: %s, %d nodes, %d edges" % (p.name, "directed" if p.directed else "undirected",
                                                 len(p.nodes), len(p.edges)), flush=True)
            built = {}
            for lib in libraries:
                fn = lib.build(p)
                built[lib.name] = fn()
                if ops_only is not None:
                    continue
                rows.append(record(p, "build", lib.name, median_time(fn, budget), True))
                if hasattr(lib, "build_calls"):
                    rows.append(record(p, "build_calls", lib.name, median_time(lib.build_calls(p), budget), True))
                if hasattr(lib, "load"):
                    loaded = lib.load(p)
                    ok = edge_count(loaded(), p.directed) == len(p.edges)
                    rows.append(record(p, "load", lib.name, median_time(loaded, budget) if ok else None, ok))
            tg = built["tarvel"]
            s, t, t_random = query_pair(tg, p)
            tarvel_alpha, peer_alpha = katz_alpha(tg, p)
            ops = {}
            for lib in libraries:
                alpha = tarvel_alpha if lib.name == "tarvel" else peer_alpha
                ops[lib.name] = lib.ops(built[lib.name], p, s, t, alpha)
                random_target = lib.ops(built[lib.name], p, s, t_random, alpha)
                ops[lib.name].update({op + "_random": random_target[op] for op in PATHS if op in random_target})
            for op in op_names:
                if op not in ops["tarvel"] or (ops_only is not None and op not in ops_only):
                    continue
                if (op in ("scc_tarjan", "scc_kosaraju", "has_cycle") and not p.directed) or \
                        (op in ("components", "node_coloring") or op.startswith("mst")) and p.directed:
                    continue
                if op == "mst_prim" and len(tg.connectedComponents()) > 1:
                    continue  # Prim spans only the first node's component; the peers span the forest
                expected = None
                for lib in libraries:
                    if op not in ops[lib.name]:
                        continue
                    call, answer, *prepare = ops[lib.name][op]
                    prepare = prepare[0] if prepare else None
                    if prepare is not None:
                        prepare()
                    got = answer(call())
                    if expected is None:
                        expected = got  # tarvel comes first
                    ok = same(got, expected)
                    if op == "katz":
                        ok = ok and ranking(got) == ranking(expected)
                    rows.append(record(p, op, lib.name, median_time(call, budget, prepare) if ok else None, ok))
                if op in NAMED and ops_only is None:
                    rows.append(record(p, op + " (first call)", "tarvel", first_call(p, op, s, t, budget), True))
    return rows


def first_call(p, op, s, t, budget):
    """tarvel's time for `op` as the first call on a graph just built."""
    lib = next(cls for cls in LIBRARIES if cls.name == "tarvel")()
    box = {}

    def prepare():
        box["call"] = lib.ops(lib.build(p)(), p, s, t, 0.01)[op][0]

    return median_time(lambda: box["call"](), budget / 4, prepare)


def edge_count(g, directed):
    if isinstance(g, tarvel.Graph):
        ends = int(sum(g.degreeCentrality().values()))
        return ends if directed else ends // 2
    return g.ecount() if hasattr(g, "ecount") else g.number_of_edges()


def ranking(scores):
    return sorted(range(len(scores)), key=lambda i: (-round(scores[i], 9), i))


def record(p, op, library, seconds, ok):
    row = {"graph": p.name, "op": op, "library": library, "seconds": seconds, "agrees": ok}
    print("  %-14s %-10s %s" % (op, library, ("%.4f s" % seconds) if seconds is not None
                                   else "DIFFERENT ANSWER, not timed"), flush=True)
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
def summarise(rows, memory, tiny):
    cells = {}
    for r in rows:
        cells.setdefault((r["graph"], r["op"]), {})[r["library"]] = r
    lines = []
    peers = ["networkx", "igraph", "rustworkx", "networkit"]
    lines.append("| graph | operation | tarvel | " + " | ".join(peers) + " | tarvel / fastest peer | networkx / tarvel |")
    lines.append("|---|---|---|" + "---|" * len(peers) + "---|---|")
    ratios = []
    for (graph, op), libs in cells.items():
        tarvel_row = libs.get("tarvel")
        if tarvel_row is None or tarvel_row["seconds"] is None:
            continue
        t = tarvel_row["seconds"]

        def cell(name):
            r = libs.get(name)
            if r is None:
                return "–"
            return "%.4f" % r["seconds"] if r["seconds"] is not None else "differs"
        fast = [libs[n]["seconds"] for n in peers if n in libs and libs[n]["seconds"] is not None]
        ratio = t / min(fast) if fast else None
        nx_row = libs.get("networkx")
        speedup = nx_row["seconds"] / t if nx_row and nx_row["seconds"] else None
        ratios.append((graph, op, ratio, speedup))
        lines.append("| %s | %s | %.4f | %s | %s | %s |" % (
            graph, op, t, " | ".join(cell(n) for n in peers),
            "%.2f" % ratio if ratio is not None else "–", "%.1f" % speedup if speedup is not None else "–"))
    lines.append("")
    lines.append("Bytes per undirected edge of a graph of %d nodes and %d edges built with each library's bulk "
                 "builder, kept once built (peak while building): %s" % (
                     memory["nodes"], memory["edges"],
                     ", ".join("%s %.0f (%.0f)" % (name, m["kept"], m["peak"])
                               for name, m in memory["bytes_per_edge"].items())))
    return "\n".join(lines), ratios


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
    ax.set_xlabel("tarvel time / fastest of networkx, igraph, rustworkx, networkit (log scale; below 1 is faster)")
    fig.tight_layout()
    fig.savefig(path, dpi=120)


README = os.path.join(os.path.dirname(HERE), "docs", "speed.md")
BEGIN, END = "<!-- benchmark results: begin -->\n", "<!-- benchmark results: end -->\n"


def update_readme(text):
    """Puts the table between the two result markers of docs/speed.md."""
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
    parser.add_argument("--tiny", action="store_true", help="small graphs, one quick pass")
    parser.add_argument("--graph", action="append", help="only this graph (repeatable)")
    parser.add_argument("--out", default=os.path.join(HERE, "results"), help="folder for the results")
    parser.add_argument("--parallel-rows", help=argparse.SUPPRESS)  # the all-cores pass writes its rows here
    args = parser.parse_args()
    if args.parallel_rows:
        with open(args.parallel_rows, "w") as f:
            json.dump(run(args.tiny, args.graph, PARALLEL), f)
        return
    rows = run(args.tiny, args.graph)
    rows += all_cores_rows(args.tiny, args.graph)
    memory = peak_memory(args.tiny)
    table, ratios = summarise(rows, memory, args.tiny)
    machine = "%s, %s, %d cores, Python %s" % (platform.machine(), platform.platform(), os.cpu_count(),
                                               platform.python_version())
    versions = {}
    for module in ("networkx", "igraph", "rustworkx", "networkit"):
        try:
            versions[module] = __import__(module).__version__
        except ImportError:
            pass
    os.makedirs(args.out, exist_ok=True)
    header = "Command: `bash scripts/bench.sh%s` on %s; peers %s; one thread each.\n\n" % (
        " --tiny" if args.tiny else "", machine, ", ".join("%s %s" % kv for kv in versions.items()))
    with open(os.path.join(args.out, "results.md"), "w") as f:
        f.write(header + table + "\n")
    with open(os.path.join(args.out, "results.json"), "w") as f:
        json.dump({"rows": rows, "memory": memory, "machine": machine, "versions": versions}, f, indent=1)
    chart(ratios, os.path.join(args.out, "results.png"))
    if not args.tiny and args.out == os.path.join(HERE, "results"):
        update_readme(header + table)
    print("\n" + header + table)
    bad = [r for r in rows if not r["agrees"]]
    print("\n%d measurements, %d with a different answer" % (len(rows), len(bad)))


if __name__ == "__main__":
    main()
