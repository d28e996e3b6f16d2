"""Edge depth-first search and finding a cycle over a whole DAG: tarvel's
own Graph, networkx through the tarvel backend (a fresh conversion and a
cached one), networkx itself, and the peers where they have the question
(rustworkx's digraph_find_cycle, igraph's is_dag; neither has an edge
depth-first search). Every answer is checked against networkx's first.

    python benchmarks/cycles.py [--edges M]

The DAG: nodes 0..n-1 (n = M / 5), the path 0 -> 1 -> ... -> n-1 and random
edges from lower to higher nodes, so that a search from node 0 reaches every
node and edge (networkx's find_cycle then walks the graph once). One thread
everywhere; best of two calls.
"""
import argparse
import os
import sys
import time

import networkx as nx

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from backend import best, dag  # noqa: E402


def no_cycle(call):
    try:
        call()
    except nx.NetworkXNoCycle:
        return True
    return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--edges", type=int, default=1_000_000)
    args = parser.parse_args()
    nx.config.warnings_to_ignore.add("cache")
    import tarvel

    m = args.edges
    n = m // 5
    G = dag(n, m, 7)
    own = tarvel.Graph(True)
    own.addNodes([str(u) for u in G])
    own.addEdges([(str(u), str(v), 1) for u, v in G.edges()])
    rows = []

    # edge_dfs: the same edges in the same order everywhere.
    want = list(nx.edge_dfs(G, backend="networkx"))
    assert list(nx.edge_dfs(G, backend="tarvel")) == want
    assert [(int(u), int(v)) for u, v, _, _ in own.edgeDepthFirst()] == want
    rows.append(("edge_dfs", [
        ("networkx", best(lambda: list(nx.edge_dfs(G, backend="networkx")), 2)),
        ("networkx through tarvel, converting", best(lambda: (G.__networkx_cache__.clear(),
                                                              list(nx.edge_dfs(G, backend="tarvel"))), 2)),
        ("networkx through tarvel, cached", (list(nx.edge_dfs(G, backend="tarvel")),
                                             best(lambda: list(nx.edge_dfs(G, backend="tarvel")), 2))[1]),
        ("tarvel Graph.edgeDepthFirst()", best(own.edgeDepthFirst, 2)),
    ]))

    # find_cycle over the whole DAG: none, everywhere.
    assert no_cycle(lambda: nx.find_cycle(G, backend="networkx"))
    assert no_cycle(lambda: nx.find_cycle(G, backend="tarvel"))
    assert own.findCycle() == []
    cells = [
        ("networkx", best(lambda: no_cycle(lambda: nx.find_cycle(G, backend="networkx")), 2)),
        ("networkx through tarvel, converting", best(lambda: (G.__networkx_cache__.clear(), no_cycle(
            lambda: nx.find_cycle(G, backend="tarvel"))), 2)),
        ("networkx through tarvel, cached", best(lambda: no_cycle(lambda: nx.find_cycle(G, backend="tarvel")), 2)),
        ("tarvel Graph.findCycle()", best(own.findCycle, 2)),
    ]
    try:
        import rustworkx as rx

        r = rx.PyDiGraph()
        r.add_nodes_from(range(n))
        r.add_edges_from_no_data(list(G.edges()))
        assert rx.digraph_find_cycle(r, 0) == []  # from node 0, which reaches every node
        cells.append(("rustworkx digraph_find_cycle(g, 0)", best(lambda: rx.digraph_find_cycle(r, 0), 2)))
    except ImportError:
        pass
    try:
        import igraph

        i = igraph.Graph(n=n, edges=list(G.edges()), directed=True)
        assert i.is_dag()
        cells.append(("igraph is_dag() (a yes or no, no cycle)", best(i.is_dag, 2)))
    except ImportError:
        pass
    rows.append(("find_cycle", cells))

    print("DAG of %d nodes and %d edges; networkx %s, Python %s" % (n, G.number_of_edges(), nx.__version__,
                                                                   sys.version.split()[0]))
    print("| function | library | seconds |")
    print("|---|---|---|")
    for name, cells in rows:
        for library, seconds in cells:
            print("| %s | %s | %.4f |" % (name, library, seconds))


if __name__ == "__main__":
    start = time.perf_counter()
    main()
    print("(whole run %.0f s)" % (time.perf_counter() - start))
