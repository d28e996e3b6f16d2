"""One adapter per library: how each builds, loads and answers every question.

`ops` maps each operation to a pair (call, answer), or a triple (call,
answer, prepare): `call()` runs the library's own function once and is what
gets timed; `answer(result)` turns its result into a common form, so answers
can be compared before any time is recorded; `prepare()`, when given, runs
untimed before every call (a fresh graph for a library that would otherwise
answer from a cache filled by an earlier call):

- partitions: a sorted tuple of sorted tuples of names;
- node sets: a frozenset of names;
- paths: the number of edges (breadth-first) or the total weight;
- spanning trees: the total weight;
- scores: a list in node order (one value per node).

A method that a library has no counterpart for is absent (None).
"""
import math
import os

import tarvel

# One thread per library (the default of a run), or each library's own
# default threading ("all"), for the rows that compare parallel computations.
ONE_THREAD = os.environ.get("TARVEL_BENCH_THREADS", "one") == "one"
THREADS = 1 if ONE_THREAD else None


def partition(groups):
    return tuple(sorted(tuple(sorted(group)) for group in groups))


class Prepared:
    """A benchmark graph with what every adapter needs to know about it."""

    def __init__(self, name, directed, nodes, edges, json_path, tsv_path):
        self.name, self.directed, self.nodes, self.edges = name, directed, nodes, edges
        self.json_path, self.tsv_path = json_path, tsv_path
        self.index = {node: i for i, node in enumerate(nodes)}
        self.weight = {}
        for a, b, w in edges:
            self.weight[(a, b)] = w
            if not directed:
                self.weight[(b, a)] = w

    def path_weight(self, path):
        return sum(self.weight[(a, b)] for a, b in zip(path, path[1:]))

    def index_path_weight(self, path):
        return self.path_weight([self.nodes[i] for i in path])


# ---------------------------------------------------------------------------
same = lambda result: result  # noqa: E731


class Tarvel:
    name = "tarvel"

    def build(self, p):
        def run():
            g = tarvel.Graph(p.directed)
            g.addNodes(p.nodes)
            g.addEdges(p.edges)
            return g
        return run

    def build_calls(self, p):
        def run():
            g = tarvel.Graph(p.directed)
            add_node, add_edge = g.addNode, g.addEdge
            for node in p.nodes:
                add_node(node)
            for a, b, w in p.edges:
                add_edge(a, b, w)
            return g
        return run

    def load(self, p):
        return lambda: tarvel.Graph.load(p.json_path)

    def ops(self, g, p, s, t, alpha):
        scores = lambda d: [d[n] for n in p.nodes]  # noqa: E731
        zero = lambda u, v: 0.0  # noqa: E731
        path = lambda m, h=None: (lambda: g.shortestPath(s, t, m, h), p.path_weight)  # noqa: E731
        tree = lambda m: (lambda: g.minimumSpanningTree(m), lambda r: sum(e.getWeight() for e in r))  # noqa: E731
        return {
            "dfs": (lambda: g.iterativeDFS(s), frozenset),
            "components": (g.connectedComponents, partition),
            "scc_tarjan": (lambda: g.stronglyConnectedComponents(tarvel.TARJAN), partition),
            "scc_kosaraju": (lambda: g.stronglyConnectedComponents(tarvel.KOSARAJU), partition),
            "has_cycle": (g.hasCycle, same),
            "node_coloring": (g.nodeColoring, scores),
            "bfs": (lambda: g.shortestPath(s, t, tarvel.BFS, None), lambda r: len(r) - 1),
            "dijkstra": path(tarvel.DIJKSTRA),
            "astar": path(tarvel.A_STAR, zero),
            "bellman_ford": path(tarvel.BELLMAN_FORD),
            "mst_kruskal": tree(tarvel.KRUSKAL),
            "mst_prim": tree(tarvel.PRIM),
            "mst_boruvka": tree(tarvel.BORUVKA),
            "degree": (g.degreeCentrality, scores),
            "degree_named": (g.degreeCentrality, scores),
            "closeness": (lambda: g.closenessCentrality(threads=THREADS), scores),
            "betweenness": (lambda: g.betweennessCentrality(threads=THREADS), scores),
            "katz": (lambda: g.katzCentrality(alpha, 1.0, 10000, 1e-12, threads=THREADS), scores),
        }


# ---------------------------------------------------------------------------
class NetworkX:
    name = "networkx"

    def __init__(self):
        import networkx
        self.nx = networkx

    def build(self, p):
        def run():
            g = self.nx.DiGraph() if p.directed else self.nx.Graph()
            g.add_nodes_from(p.nodes)
            g.add_weighted_edges_from(p.edges)
            return g
        return run

    def build_calls(self, p):
        def run():
            g = self.nx.DiGraph() if p.directed else self.nx.Graph()
            add_node, add_edge = g.add_node, g.add_edge
            for node in p.nodes:
                add_node(node)
            for a, b, w in p.edges:
                add_edge(a, b, weight=w)
            return g
        return run

    def load(self, p):
        kind = self.nx.DiGraph if p.directed else self.nx.Graph
        return lambda: self.nx.read_weighted_edgelist(p.tsv_path, delimiter="\t", create_using=kind)

    def ops(self, g, p, s, t, alpha):
        nx = self.nx
        scores = lambda d: [float(d[n]) for n in p.nodes]  # noqa: E731
        in_order = lambda graph, colors: iter(graph.nodes)  # noqa: E731
        tree = lambda a: (lambda: nx.minimum_spanning_tree(g, algorithm=a), lambda r: r.size(weight="weight"))  # noqa: E731
        factor = 1.0 if p.directed else 2.0
        n = len(p.nodes)
        ops = {
            "dfs": (lambda: list(nx.dfs_preorder_nodes(g, s)), frozenset),
            "bfs": (lambda: nx.shortest_path(g, s, t), lambda r: len(r) - 1),
            "dijkstra": (lambda: nx.dijkstra_path(g, s, t), p.path_weight),
            "astar": (lambda: nx.astar_path(g, s, t, heuristic=lambda u, v: 0.0), p.path_weight),
            "bellman_ford": (lambda: nx.bellman_ford_path(g, s, t), p.path_weight),
            "degree": (lambda: dict(g.out_degree() if p.directed else g.degree()), scores),
            "degree_named": (lambda: dict(g.out_degree() if p.directed else g.degree()), scores),
            "betweenness": (lambda: nx.betweenness_centrality(g, normalized=False),
                            lambda r: [factor * v for v in scores(r)]),
        }
        if p.directed:
            ops["scc_tarjan"] = (lambda: list(nx.strongly_connected_components(g)), partition)
            ops["scc_kosaraju"] = (lambda: list(nx.kosaraju_strongly_connected_components(g)), partition)
            ops["has_cycle"] = (lambda: not nx.is_directed_acyclic_graph(g), same)
            # The reference sums over the nodes pointing to a node; ours over
            # the nodes it points to: the same vector on the reversed graph.
            reversed_graph = g.reverse(copy=True)
            ops["katz"] = (lambda: nx.katz_centrality(reversed_graph, alpha=alpha, beta=1.0, max_iter=10000,
                                                      tol=1e-12), scores)
        else:
            ops["components"] = (lambda: list(nx.connected_components(g)), partition)
            ops["node_coloring"] = (lambda: nx.greedy_color(g, strategy=in_order), scores)
            ops["mst_kruskal"], ops["mst_prim"], ops["mst_boruvka"] = tree("kruskal"), tree("prim"), tree("boruvka")
            if nx.is_connected(g):
                # (n - 1) / sum of distances; ours is 1 / sum.
                ops["closeness"] = (lambda: nx.closeness_centrality(g, wf_improved=False),
                                    lambda r: [v / (n - 1) for v in scores(r)])
            ops["katz"] = (lambda: nx.katz_centrality(g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12), scores)
        return ops


# ---------------------------------------------------------------------------
class IGraph:
    name = "igraph"

    def __init__(self):
        import igraph
        self.ig = igraph

    def build(self, p):
        def run():
            index = {node: i for i, node in enumerate(p.nodes)}
            g = self.ig.Graph(n=len(p.nodes), edges=[(index[a], index[b]) for a, b, _ in p.edges],
                              directed=p.directed)
            g.vs["name"] = p.nodes
            g.es["weight"] = [w for _, _, w in p.edges]
            return g
        return run

    def load(self, p):
        return lambda: self.ig.Graph.Read_Ncol(p.tsv_path, names=True, weights=True, directed=p.directed)

    def ops(self, g, p, s, t, alpha):
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        factor = 1.0 if p.directed else 2.0
        by_name = lambda groups: partition([[names[v] for v in c] for c in groups])  # noqa: E731
        floats = lambda r: [float(v) for v in r]  # noqa: E731
        ops = {
            "dfs": (lambda: g.dfs(si, mode="out")[0], lambda r: frozenset(names[v] for v in r)),
            "bfs": (lambda: g.get_shortest_path(si, ti, mode="out"), lambda r: len(r) - 1),
            "dijkstra": (lambda: g.get_shortest_path(si, ti, weights="weight", mode="out", algorithm="dijkstra"),
                         p.index_path_weight),
            "astar": (lambda: g.get_shortest_path_astar(si, ti, lambda graph, v, goal: 0.0, weights="weight",
                                                        mode="out"), p.index_path_weight),
            "bellman_ford": (lambda: g.get_shortest_path(si, ti, weights="weight", mode="out",
                                                         algorithm="bellman_ford"), p.index_path_weight),
            "degree": (lambda: g.degree(mode="out"), floats),
            "degree_named": (lambda: dict(zip(names, g.degree(mode="out"))), lambda r: [float(r[v]) for v in names]),
            "closeness": (lambda: g.closeness(mode="out", normalized=False),
                          lambda r: [0.0 if math.isnan(v) else v for v in r]),
            "betweenness": (lambda: g.betweenness(directed=p.directed), lambda r: [factor * v for v in r]),
        }
        # igraph keeps answers such as is_dag and the components in a cache
        # of the graph: time them on a fresh graph each time.
        fresh = {}

        def prepare():
            fresh["g"] = self.ig.Graph(n=len(names), edges=g.get_edgelist(), directed=p.directed)

        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (
                lambda: fresh["g"].connected_components(mode="strong"), by_name, prepare)
            ops["has_cycle"] = (lambda: not fresh["g"].is_dag(), same, prepare)
        else:
            ops["components"] = (lambda: fresh["g"].connected_components(), by_name, prepare)
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = (
                lambda: g.spanning_tree(weights="weight", return_tree=False),
                lambda r: sum(g.es[e]["weight"] for e in r))
        return ops


# ---------------------------------------------------------------------------
class RustworkX:
    name = "rustworkx"

    def __init__(self):
        import rustworkx
        self.rx = rustworkx

    def build(self, p):
        def run():
            g = self.rx.PyDiGraph() if p.directed else self.rx.PyGraph()
            index = dict(zip(p.nodes, g.add_nodes_from(p.nodes)))
            g.add_edges_from([(index[a], index[b], w) for a, b, w in p.edges])
            return g
        return run

    def ops(self, g, p, s, t, alpha):
        rx = self.rx
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        n = len(names)
        values = lambda r: [float(r[i]) for i in range(n)]  # noqa: E731
        by_name = lambda groups: partition([[names[v] for v in c] for c in groups])  # noqa: E731
        target = lambda r: p.index_path_weight(list(r[ti]))  # noqa: E731
        factor = 1.0 if p.directed else 2.0
        ops = {
            "dfs": (lambda: rx.dfs_edges(g, si), lambda r: frozenset([s] + [names[b] for _, b in r])),
            "bfs": (lambda: rx.dijkstra_shortest_paths(g, si, target=ti, default_weight=1.0),
                    lambda r: len(r[ti]) - 1),
            "dijkstra": (lambda: rx.dijkstra_shortest_paths(g, si, target=ti, weight_fn=float), target),
            "astar": (lambda: rx.astar_shortest_path(g, si, lambda node: node == t, float, lambda node: 0.0),
                      lambda r: p.index_path_weight(list(r))),
            "bellman_ford": (lambda: rx.bellman_ford_shortest_paths(g, si, target=ti, weight_fn=float), target),
            "degree": (lambda: [g.out_degree(i) if p.directed else g.degree(i) for i in range(n)],
                       lambda r: [float(v) for v in r]),
            "degree_named": (lambda: {names[i]: g.out_degree(i) if p.directed else g.degree(i) for i in range(n)},
                             lambda r: [float(r[v]) for v in names]),
            "betweenness": (lambda: rx.betweenness_centrality(g, normalized=False),
                            lambda r: [factor * v for v in values(r)]),
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (lambda: rx.strongly_connected_components(g), by_name)
            ops["has_cycle"] = (lambda: not rx.is_directed_acyclic_graph(g), same)
        else:
            ops["components"] = (lambda: rx.connected_components(g), by_name)
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = (
                lambda: rx.minimum_spanning_edges(g, weight_fn=float), lambda r: sum(w for _, _, w in r))
            if rx.is_connected(g):
                ops["closeness"] = (lambda: rx.closeness_centrality(g, wf_improved=False),
                                    lambda r: [v / (n - 1) for v in values(r)])
            ops["katz"] = (lambda: rx.katz_centrality(g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12), values)
        return ops


# ---------------------------------------------------------------------------
class NetworKit:
    name = "networkit"

    def __init__(self):
        import networkit
        if ONE_THREAD:
            networkit.setNumberOfThreads(1)
        networkit.engineering.setLogLevel("ERROR")
        self.nk = networkit

    def build(self, p):
        def run():
            index = {node: i for i, node in enumerate(p.nodes)}
            g = self.nk.Graph(len(p.nodes), weighted=True, directed=p.directed)
            add = g.addEdge
            for a, b, w in p.edges:
                add(index[a], index[b], w)
            return g
        return run

    build_calls = build  # one call per edge is how it builds

    def ops(self, g, p, s, t, alpha):
        nk = self.nk
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        n = len(names)
        by_name = lambda groups: partition([[names[v] for v in c] for c in groups])  # noqa: E731
        hops = nk.graphtools.toUnweighted(g)  # the centralities count edges, not weights

        def dfs():
            seen = []
            nk.graph.Traversal.DFSfrom(g, si, seen.append)
            return seen

        def astar():
            # With the path kept and read back, as the others return it.
            search = nk.distance.AStar(g, [0.0] * n, si, ti, True)
            search.run()
            return search.getDistance(), search.getPath()

        ops = {
            "dfs": (dfs, lambda r: frozenset(names[v] for v in r)),
            "bfs": (lambda: nk.distance.BFS(g, si, False, False, ti).run().getDistances(), lambda r: int(r[ti])),
            "dijkstra": (lambda: nk.distance.Dijkstra(g, si, False, False, ti).run().getDistances(),
                         lambda r: r[ti]),
            "astar": (astar, lambda r: r[0]),
            "degree": (lambda: nk.centrality.DegreeCentrality(g, outDeg=True).run().scores(), same),
            "degree_named": (lambda: dict(zip(names, nk.centrality.DegreeCentrality(g, outDeg=True).run().scores())),
                             lambda r: [r[v] for v in names]),
            # Already counts every undirected pair from both ends.
            "betweenness": (lambda: nk.centrality.Betweenness(hops, normalized=False).run().scores(), same),
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (
                lambda: nk.components.StronglyConnectedComponents(g).run().getComponents(), by_name)
        else:
            ops["components"] = (lambda: nk.components.ConnectedComponents(g).run().getComponents(), by_name)
            if nk.components.ConnectedComponents(g).run().numberOfComponents() == 1:
                ops["closeness"] = (lambda: nk.centrality.Closeness(
                    hops, False, nk.centrality.ClosenessVariant.STANDARD).run().scores(),
                    lambda r: [v / (n - 1) for v in r])
        return ops


LIBRARIES = [Tarvel, NetworkX, IGraph, RustworkX, NetworKit]
