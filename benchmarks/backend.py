"""networkx's own functions called with backend="tarvel", against networkx
itself: each row times networkx, then tarvel with the conversion of the
graph included (the cache emptied before each call), then tarvel with the
converted graph cached on the networkx graph (every call after the first).
Needs networkx 3.4 or later (the 3.13 test environment has it).
    python benchmarks/backend.py [--small]
"""
import argparse
import random
import time

import networkx as nx


def best(call, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def gnm(n, m, seed, weighted):
    rng = random.Random(seed)
    G = nx.gnm_random_graph(n, m, seed=seed)
    if weighted:
        for _, _, d in G.edges(data=True):
            d["weight"] = rng.randint(1, 100)
    return G


def rows(small):
    scale = 4 if small else 1
    all_pairs = gnm(1000 // scale, 5000 // scale, 1, False)
    big = gnm(200000 // scale, 1000000 // scale, 2, True)
    source = next(iter(big))
    return [
        ("betweenness_centrality", all_pairs, lambda G, **kw: nx.betweenness_centrality(G, **kw), 2),
        ("closeness_centrality", all_pairs, lambda G, **kw: nx.closeness_centrality(G, **kw), 2),
        ("single_source_dijkstra_path_length", big,
         lambda G, **kw: nx.single_source_dijkstra_path_length(G, source, **kw), 3),
        ("connected_components", big, lambda G, **kw: list(nx.connected_components(G, **kw)), 3),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--small", action="store_true", help="a quarter of the sizes")
    args = parser.parse_args()
    nx.config.warnings_to_ignore.add("cache")
    nx.betweenness_centrality(nx.path_graph(3), backend="tarvel")  # loads the backend outside the timings
    print("| function | graph | networkx (s) | tarvel, converting (s) | tarvel, cached (s) | "
          "speed-up converting | speed-up cached |")
    print("|---|---|---|---|---|---|---|")
    for name, G, call, repeats in rows(args.small):
        graph = "%d nodes, %d edges" % (G.number_of_nodes(), G.number_of_edges())
        reference = best(lambda: call(G), repeats)

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
