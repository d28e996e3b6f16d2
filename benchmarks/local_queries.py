"""The local queries on a graph of a million edges, one thread: a shortest
path between two nodes by the two-ended search (networkx's
bidirectional_shortest_path) and the ego graph of radius 2, each answered
by tarvel's own method, by networkx through the backend from a cached
conversion and converting afresh, by networkx itself, and by igraph and
rustworkx where they have the query. Every answer is checked before a time
is recorded: the backend's against networkx's (the same path, the same
graph in the same order), the peers' by path length and node set.

    python benchmarks/local_queries.py [--nodes N] [--edges M] [--queries Q]

Times are per query: the mean over Q queries (3 when converting afresh).
"""
import argparse
import random
import time

import networkx as nx

import tarvel

try:
    import igraph
except ImportError:
    igraph = None
try:
    import rustworkx
except ImportError:
    rustworkx = None


def per_query(call, queries):
    start = time.perf_counter()
    answers = [call(q) for q in queries]
    return (time.perf_counter() - start) / len(queries), answers


def graphs(n, m, directed, seed):
    """G(n, m) without weights; a directed one gets its edges in node order of
    their source, so that every node lists its predecessors in node order
    (the backend's two-ended search reads them so)."""
    rng = random.Random(seed)
    edges = [(rng.randrange(n), rng.randrange(n)) for _ in range(m)]
    # Each edge once (an undirected one in one direction), as every library holds it.
    edges = sorted(set(edges if directed else (tuple(sorted(e)) for e in edges)))
    if not directed:
        rng.shuffle(edges)
    G = nx.DiGraph() if directed else nx.Graph()
    G.add_nodes_from(range(n))
    G.add_edges_from(edges)
    return G, edges


def valid_path(G, path, s, t):
    return path[0] == s and path[-1] == t and all(G.has_edge(a, b) for a, b in zip(path, path[1:]))


def report(rows):
    print("| query | graph | answered by | seconds per query |")
    print("|---|---|---|---|")
    for query, graph, who, seconds in rows:
        print("| %s | %s | %s | %.6f |" % (query, graph, who, seconds))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--nodes", type=int, default=200_000)
    parser.add_argument("--edges", type=int, default=1_000_000)
    parser.add_argument("--queries", type=int, default=20)
    args = parser.parse_args()
    nx.config.warnings_to_ignore.add("cache")
    rows = []
    rng = random.Random(1)
    for directed in (False, True):
        G, edges = graphs(args.nodes, args.edges, directed, 2)
        label = "%s, %d nodes, %d edges" % ("DiGraph" if directed else "Graph", len(G), G.number_of_edges())
        pairs = [(rng.randrange(args.nodes), rng.randrange(args.nodes)) for _ in range(args.queries)]
        t = tarvel.Graph(True)
        t.addNodes([str(k) for k in range(args.nodes)])
        t.addEdges([(str(a), str(b), 1) for u, nbrs in G._adj.items() for a, b in ((u, v) for v in nbrs)])

        def plain(p):
            try:
                return nx.bidirectional_shortest_path(G, *p, backend="networkx")
            except nx.NetworkXNoPath:
                return None

        def through(p):
            try:
                return nx.bidirectional_shortest_path(G, *p, backend="tarvel")
            except nx.NetworkXNoPath:
                return None

        def fresh(p):
            G.__networkx_cache__.clear()
            return through(p)

        def own(p):
            found = t.twoEndedBfsPath(str(p[0]), str(p[1]), symmetric=not directed)
            return [int(x) for x in found] or None

        seconds, want = per_query(plain, pairs)
        rows.append(("bidirectional_shortest_path", label, "networkx", seconds))
        for who, call, queries in (("tarvel twoEndedBfsPath", own, pairs),
                                   ("networkx → tarvel, cached", through, pairs),
                                   ("networkx → tarvel, converting", fresh, pairs[:3])):
            if who.endswith("cached"):
                through(pairs[0])  # converted and cached
            seconds, got = per_query(call, queries)
            assert got == want[:len(queries)], who
            rows.append(("bidirectional_shortest_path", label, who, seconds))
        lengths = [None if p is None else len(p) for p in want]
        if igraph is not None:
            ig = igraph.Graph(n=args.nodes, edges=edges, directed=directed)
            seconds, got = per_query(lambda p: ig.get_shortest_path(p[0], p[1]), pairs)
            assert [len(p) or None for p in got] == lengths
            assert all(valid_path(G, p, *q) for p, q in zip(got, pairs) if p)
            rows.append(("bidirectional_shortest_path", label, "igraph get_shortest_path", seconds))
        if rustworkx is not None:
            rx = rustworkx.PyDiGraph() if directed else rustworkx.PyGraph()
            rx.add_nodes_from(range(args.nodes))
            rx.add_edges_from_no_data(edges)

            def rx_path(p):
                found = rustworkx.dijkstra_shortest_paths(rx, p[0], target=p[1])
                return list(found[p[1]]) if p[1] in found else ([p[0]] if p[0] == p[1] else None)

            seconds, got = per_query(rx_path, pairs)
            assert [None if p is None else len(p) for p in got] == lengths
            rows.append(("bidirectional_shortest_path", label, "rustworkx dijkstra_shortest_paths(target)", seconds))
        if directed:
            continue
        centres = [rng.randrange(args.nodes) for _ in range(args.queries)]
        seconds, want = per_query(lambda c: nx.ego_graph(G, c, 2, backend="networkx"), centres)
        rows.append(("ego_graph radius 2", label, "networkx", seconds))

        def ego_fresh(c):
            G.__networkx_cache__.clear()
            return nx.ego_graph(G, c, 2, backend="tarvel")

        for who, call, queries in (("networkx → tarvel, cached", lambda c: nx.ego_graph(G, c, 2, backend="tarvel"),
                                    centres), ("networkx → tarvel, converting", ego_fresh, centres[:3])):
            if who.endswith("cached"):
                nx.ego_graph(G, centres[0], 2, backend="tarvel")
            seconds, got = per_query(call, queries)
            for H, E in zip(got, want):
                assert list(H.nodes) == list(E.nodes) and list(H.edges) == list(E.edges), who
            rows.append(("ego_graph radius 2", label, who, seconds))
        node_sets = [set(E) for E in want]
        seconds, got = per_query(lambda c: [int(x) for x in t.nodesWithin(str(c), 2)], centres)
        assert [set(x) for x in got] == node_sets
        rows.append(("ego_graph radius 2", label, "tarvel nodesWithin (the nodes only)", seconds))
        if igraph is not None:
            seconds, got = per_query(lambda c: ig.induced_subgraph(ig.neighborhood(c, order=2)), centres)
            assert [H.vcount() for H in got] == [len(s) for s in node_sets]
            assert [H.ecount() for H in got] == [E.number_of_edges() for E in want]
            rows.append(("ego_graph radius 2", label, "igraph induced_subgraph(neighborhood)", seconds))
    report(rows)


if __name__ == "__main__":
    main()
