"""networkx's own functions called with backend="tarvel", against networkx
itself: each row times networkx, then tarvel with the conversion of the
graph included (the cache emptied before each call), then tarvel with the
converted graph cached on the networkx graph (every call after the first).
The street-like rows run on a MultiGraph (a grid of float lengths, some
streets doubled by a parallel edge of another length), as street-network
code builds them; a row whose call tarvel declines says so. The backend's
answers are checked against networkx's before the timings.
Needs networkx 3.4 or later (the 3.13 test environment has it).

--conversion times the conversion alone (convert_from_nx, the module's walk
of networkx's dicts, and the plain Python procedure beside it) against
networkx's breadth-first search over the same graph. --break-even times the
one-pass families through the backend, converting, against networkx on
graphs of growing size: where tarvel's should_run starts accepting them.
    python benchmarks/backend.py [--small] [-k TEXT] [--conversion | --break-even]
"""
import argparse
import random
import time

import networkx as nx


def best(call, repeats, clock=time.perf_counter):
    times = []
    for _ in range(repeats):
        start = clock()
        call()
        times.append(clock() - start)
    return min(times)


def gnm(n, m, seed, weighted, directed=False):
    rng = random.Random(seed)
    G = nx.gnm_random_graph(n, m, seed=seed, directed=directed)
    if weighted:
        for _, _, d in G.edges(data=True):
            d["weight"] = rng.randint(1, 100)
    return G


def streets(side, seed):
    """A side x side grid as a MultiGraph: each street a float length of 50
    to 150, one in ten doubled by a parallel edge of another length."""
    rng = random.Random(seed)
    G = nx.MultiGraph()
    G.add_nodes_from(range(side * side))
    for u in range(side * side):
        for v in (u + 1 if (u + 1) % side else None, u + side if u + side < side * side else None):
            if v is None:
                continue
            G.add_edge(u, v, length=rng.uniform(50.0, 150.0))
            if rng.random() < 0.1:
                G.add_edge(u, v, length=rng.uniform(50.0, 150.0))
    return G


def same_numbers(want, got):
    """Equal keys and values within 1e-9 relative (betweenness: sums in another order)."""
    assert list(want) == list(got) or sorted(want) == sorted(got)
    for k, w in want.items():
        assert abs(got[k] - w) <= 1e-9 * abs(w), k


def rows(small):
    scale = 4 if small else 1
    all_pairs = gnm(1000 // scale, 5000 // scale, 1, False)
    big = gnm(200000 // scale, 1000000 // scale, 2, True)
    source = next(iter(big))
    grid = streets(150 // (2 if small else 1), 3)
    sources = random.Random(4).sample(list(grid), 20)
    little_grid = streets(30 // (2 if small else 1), 5)
    return [
        ("betweenness_centrality", all_pairs, lambda G, **kw: nx.betweenness_centrality(G, **kw), 2),
        ("closeness_centrality", all_pairs, lambda G, **kw: nx.closeness_centrality(G, **kw), 2),
        ("single_source_dijkstra_path_length", big,
         lambda G, **kw: nx.single_source_dijkstra_path_length(G, source, **kw), 3),
        ("connected_components", big, lambda G, **kw: list(nx.connected_components(G, **kw)), 3),
        ("bfs_edges", big, lambda G, **kw: list(nx.bfs_edges(G, source, **kw)), 3),
        ("dfs_edges", big, lambda G, **kw: list(nx.dfs_edges(G, source, **kw)), 3),
        ("single_source_dijkstra_path_length, 20 sources, weight='length'", grid,
         lambda G, **kw: [nx.single_source_dijkstra_path_length(G, s, weight="length", **kw) for s in sources], 2),
        ("betweenness_centrality, weight='length'", little_grid,
         lambda G, **kw: nx.betweenness_centrality(G, weight="length", **kw), 2),
    ]


def check(name, G, call):
    """The backend's answer is networkx's (or the call is declined: False)."""
    try:
        got = call(G, backend="tarvel")
    except NotImplementedError:
        return False
    want = call(G)
    if name.startswith(("betweenness", "closeness")):
        same_numbers(want, got)
    elif name.startswith(("bfs_", "dfs_")):
        assert got == want, name  # the traversals' order is their answer
    else:
        assert canonical(got) == canonical(want), name
    return True


def canonical(answer):
    """A dict, or a list of dicts or sets, in an order of its own."""
    if isinstance(answer, dict):
        return sorted(answer.items())
    return sorted(sorted(part) if isinstance(part, set) else canonical(part) for part in answer)


def conversion(small):
    """The conversion of G(n, m) with integer weights 1 to 100 against one
    networkx breadth-first search over it."""
    from tarvel_networkx import backend, graph

    n, m = (25000, 125000) if small else (100000, 500000)
    G = gnm(n, m, 1, True)
    # The process's CPU time beside the elapsed time: on a busy machine the
    # elapsed time is mostly waiting, for both sides alike.
    print("| on G(%d, %d), integer weights | seconds | CPU seconds |" % (n, m))
    print("|---|---|---|")
    timings = [
        ("networkx single_source_shortest_path_length(G, 0)", lambda: nx.single_source_shortest_path_length(G, 0)),
        ("networkx connected_components(G)", lambda: list(nx.connected_components(G))),
        ("convert_from_nx(G), hop counts", lambda: backend.convert_from_nx(G)),
        ("convert_from_nx(G, edge_attrs={'weight': 1})", lambda: backend.convert_from_nx(G, edge_attrs={"weight": 1})),
        ("the plain procedure, hop counts", lambda: graph.convert_plain(G)),
        ("the plain procedure, weights", lambda: graph.convert_plain(G, "weight", 1)),
    ]
    for label, call in timings:
        print("| %s | %.4f | %.4f |" % (label, best(call, 5), best(call, 5, time.process_time)))


# The one-pass families should_run weighs, each by its functions over
# whole graphs (directed for strong components).
FAMILIES = [
    ("breadth-first searches", "single_source_shortest_path_length", False,
     lambda G, **kw: nx.single_source_shortest_path_length(G, 0, **kw)),
    ("weighted searches", "single_source_dijkstra_path_length", False,
     lambda G, **kw: nx.single_source_dijkstra_path_length(G, 0, **kw)),
    ("weighted searches", "multi_source_dijkstra_path_length", False,
     lambda G, **kw: nx.multi_source_dijkstra_path_length(G, [0, 1], **kw)),
    ("weighted searches", "single_source_bellman_ford_path_length", False,
     lambda G, **kw: nx.single_source_bellman_ford_path_length(G, 0, **kw)),
    ("components", "connected_components", False, lambda G, **kw: list(nx.connected_components(G, **kw))),
    ("components", "number_connected_components", False, lambda G, **kw: nx.number_connected_components(G, **kw)),
    ("components", "strongly_connected_components", True,
     lambda G, **kw: list(nx.strongly_connected_components(G, **kw))),
    ("breadth-first traversals", "bfs_edges", False, lambda G, **kw: list(nx.bfs_edges(G, 0, **kw))),
    ("depth-first traversals", "dfs_edges", False, lambda G, **kw: list(nx.dfs_edges(G, **kw))),
]


# The edge searches over whole graphs: edge_dfs on a directed G(n, 5n),
# find_cycle and is_directed_acyclic_graph (has_cycle's outer call) on a
# DAG made of it (each edge from its lower node to its higher), where they
# search the whole graph.
FAMILIES += [
    ("edge searches", "edge_dfs", True, lambda G, **kw: list(nx.edge_dfs(G, **kw))),
    ("edge searches", "edge_bfs", True, lambda G, **kw: list(nx.edge_bfs(G, **kw))),
    ("edge searches", "find_cycle", "dag", lambda G, **kw: no_cycle(lambda: nx.find_cycle(G, **kw))),
    ("edge searches", "is_directed_acyclic_graph", "dag", lambda G, **kw: nx.is_directed_acyclic_graph(G, **kw)),
]


def no_cycle(call):
    try:
        return call()
    except nx.NetworkXNoCycle:
        return None


def dag(n, m, seed):
    """A DAG on nodes 0..n-1: the path 0 -> 1 -> ... -> n-1 and m - n + 1
    edges of G(n, m) from lower to higher nodes, so that a search from node 0
    reaches every node (networkx's find_cycle walks the whole graph once,
    where from each of many unreached starts it would walk again)."""
    G = nx.DiGraph()
    G.add_nodes_from(range(n))
    G.add_edges_from((k, k + 1) for k in range(n - 1))
    rng = random.Random(seed)
    m = min(m, n * (n - 1) // 2)
    count = G.number_of_edges()  # counted here: networkx counts by walking every node
    while count < m:
        u, v = sorted((rng.randrange(n), rng.randrange(n)))
        if u != v and not G.has_edge(u, v):
            G.add_edge(u, v)
            count += 1
    return G


def break_even(small, only=None):
    """networkx against tarvel converting, per family, on G(n, 5n) with
    integer weights: the ratio crosses 1 at the break-even size (nodes plus
    adjacency entries, what both walk)."""
    sizes = [16, 32, 64, 125, 250, 500, 1000, 2000, 4000, 8000, 12000, 16000, 24000] + (
        [] if small else [32000, 48000, 64000])
    print("| function (family) | nodes | nodes + entries | networkx (s) | tarvel, converting (s) | networkx / tarvel |")
    print("|---|---|---|---|---|---|")
    for family, name, directed, call in FAMILIES:
        if only and only not in name + " " + family:
            continue
        for n in sizes:
            G = dag(n, 5 * n, 3) if directed == "dag" else gnm(n, 5 * n, 3, True, directed)
            repeats = max(3, min(50, 200000 // n))
            reference = best(lambda: call(G), repeats)

            def converting():
                G.__networkx_cache__.clear()
                call(G, backend="tarvel")

            fresh = best(converting, repeats)
            size = n + sum(map(len, G._adj.values()))
            print("| %s (%s) | %d | %d | %.6f | %.6f | %.2f |" % (
                name, family, n, size, reference, fresh, reference / fresh))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--small", action="store_true", help="a quarter of the sizes")
    parser.add_argument("-k", default="", metavar="TEXT", help="only the rows whose function or graph holds TEXT")
    parser.add_argument("--conversion", action="store_true", help="the conversion against networkx's BFS")
    parser.add_argument("--break-even", action="store_true", help="the one-pass families against networkx by size")
    args = parser.parse_args()
    nx.config.warnings_to_ignore.add("cache")
    nx.betweenness_centrality(nx.path_graph(3), backend="tarvel")  # loads the backend outside the timings
    if args.conversion:
        return conversion(args.small)
    if args.break_even:
        return break_even(args.small, args.k)
    print("| function | graph | networkx (s) | tarvel, converting (s) | tarvel, cached (s) | "
          "speed-up converting | speed-up cached |")
    print("|---|---|---|---|---|---|---|")
    for name, G, call, repeats in rows(args.small):
        graph = "%s%d nodes, %d edges" % ("street-like MultiGraph, " if G.is_multigraph() else "",
                                          G.number_of_nodes(), G.number_of_edges())
        if args.k not in name + " " + graph:
            continue
        reference = best(lambda: call(G), repeats)
        if not check(name, G, call):
            print("| %s | %s | %.4f | declined | declined | – | – |" % (name, graph, reference))
            continue

        def converting():
            G.__networkx_cache__.clear()
            call(G, backend="tarvel")

        fresh = best(converting, repeats)
        call(G, backend="tarvel")
        cached = best(lambda: call(G, backend="tarvel"), repeats)
        print("| %s | %s | %.4f | %.4f | %.4f | %.1f | %.1f |" % (
            name, graph, reference, fresh, cached, reference / fresh, reference / cached))


if __name__ == "__main__":
    main()
