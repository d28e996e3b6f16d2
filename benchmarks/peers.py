"""One adapter per library: how each builds, loads and answers every question.

Every adapter method returns a callable that runs the operation once and
gives its answer in a common form, so answers can be compared before any
time is recorded:

- partitions: a sorted tuple of sorted tuples of names;
- node sets: a frozenset of names;
- paths: the number of edges (breadth-first) or the total weight;
- spanning trees: the total weight;
- scores: a list in node order (one value per node).

A method that a library has no counterpart for is absent (None).
"""
import math

import tarvel


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
class Tarvel:
    name = "tarvel"

    def build(self, p):
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
        tree = lambda m: lambda: sum(e.getWeight() for e in g.minimumSpanningTree(m))  # noqa: E731
        return {
            "dfs": lambda: frozenset(g.iterativeDFS(s)),
            "components": lambda: partition(g.connectedComponents()),
            "scc_tarjan": lambda: partition(g.stronglyConnectedComponents(tarvel.TARJAN)),
            "scc_kosaraju": lambda: partition(g.stronglyConnectedComponents(tarvel.KOSARAJU)),
            "has_cycle": g.hasCycle,
            "node_coloring": lambda: scores(g.nodeColoring()),
            "bfs": lambda: len(g.shortestPath(s, t, tarvel.BFS, None)) - 1,
            "dijkstra": lambda: p.path_weight(g.shortestPath(s, t, tarvel.DIJKSTRA, None)),
            "astar": lambda: p.path_weight(g.shortestPath(s, t, tarvel.A_STAR, zero)),
            "bellman_ford": lambda: p.path_weight(g.shortestPath(s, t, tarvel.BELLMAN_FORD, None)),
            "mst_kruskal": tree(tarvel.KRUSKAL),
            "mst_prim": tree(tarvel.PRIM),
            "mst_boruvka": tree(tarvel.BORUVKA),
            "degree": lambda: scores(g.degreeCentrality()),
            "closeness": lambda: scores(g.closenessCentrality()),
            "betweenness": lambda: scores(g.betweennessCentrality()),
            "katz": lambda: scores(g.katzCentrality(alpha, 1.0, 10000, 1e-12)),
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

    def load(self, p):
        kind = self.nx.DiGraph if p.directed else self.nx.Graph
        return lambda: self.nx.read_weighted_edgelist(p.tsv_path, delimiter="\t", create_using=kind)

    def ops(self, g, p, s, t, alpha):
        nx = self.nx
        scores = lambda d: [d[n] for n in p.nodes]  # noqa: E731
        in_order = lambda graph, colors: iter(graph.nodes)  # noqa: E731
        tree = lambda a: lambda: nx.minimum_spanning_tree(g, algorithm=a).size(weight="weight")  # noqa: E731
        factor = 1.0 if p.directed else 2.0
        n = len(p.nodes)
        ops = {
            "dfs": lambda: frozenset(nx.dfs_preorder_nodes(g, s)),
            "bfs": lambda: len(nx.shortest_path(g, s, t)) - 1,
            "dijkstra": lambda: p.path_weight(nx.dijkstra_path(g, s, t)),
            "astar": lambda: p.path_weight(nx.astar_path(g, s, t, heuristic=lambda u, v: 0.0)),
            "bellman_ford": lambda: p.path_weight(nx.bellman_ford_path(g, s, t)),
            "degree": lambda: [float(d) for d in scores(dict(g.out_degree() if p.directed else g.degree()))],
            "betweenness": lambda: [factor * v for v in scores(nx.betweenness_centrality(g, normalized=False))],
        }
        if p.directed:
            ops["scc_tarjan"] = lambda: partition(nx.strongly_connected_components(g))
            ops["scc_kosaraju"] = lambda: partition(nx.kosaraju_strongly_connected_components(g))
            ops["has_cycle"] = lambda: not nx.is_directed_acyclic_graph(g)
        else:
            ops["components"] = lambda: partition(nx.connected_components(g))
            ops["node_coloring"] = lambda: scores(nx.greedy_color(g, strategy=in_order))
            ops["mst_kruskal"], ops["mst_prim"], ops["mst_boruvka"] = tree("kruskal"), tree("prim"), tree("boruvka")
            if nx.is_connected(g):
                # (n - 1) / sum of distances; ours is 1 / sum.
                ops["closeness"] = lambda: [v / (n - 1) for v in scores(
                    nx.closeness_centrality(g, wf_improved=False))]
            ops["katz"] = lambda: scores(nx.katz_centrality(g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12))
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
        tree = lambda: sum(g.es[e]["weight"] for e in g.spanning_tree(weights="weight", return_tree=False))  # noqa: E731
        ops = {
            "dfs": lambda: frozenset(names[v] for v in g.dfs(si, mode="out")[0]),
            "bfs": lambda: len(g.get_shortest_path(si, ti, mode="out")) - 1,
            "dijkstra": lambda: p.index_path_weight(
                g.get_shortest_path(si, ti, weights="weight", mode="out", algorithm="dijkstra")),
            "astar": lambda: p.index_path_weight(
                g.get_shortest_path_astar(si, ti, lambda graph, v, goal: 0.0, weights="weight", mode="out")),
            "bellman_ford": lambda: p.index_path_weight(
                g.get_shortest_path(si, ti, weights="weight", mode="out", algorithm="bellman_ford")),
            "degree": lambda: [float(d) for d in g.degree(mode="out")],
            "closeness": lambda: [0.0 if math.isnan(v) else v for v in g.closeness(mode="out", normalized=False)],
            "betweenness": lambda: [factor * v for v in g.betweenness(directed=p.directed)],
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = lambda: partition(
                [[names[v] for v in c] for c in g.connected_components(mode="strong")])
            ops["has_cycle"] = lambda: not g.is_dag()
        else:
            ops["components"] = lambda: partition([[names[v] for v in c] for c in g.connected_components()])
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = tree
        return ops


# ---------------------------------------------------------------------------
class RustworkX:
    name = "rustworkx"

    def __init__(self):
        import rustworkx
        self.rx = rustworkx

    def build(self, p):
        def run():
            g = self.rx.PyDiGraph(multigraph=False) if p.directed else self.rx.PyGraph(multigraph=False)
            index = dict(zip(p.nodes, g.add_nodes_from(p.nodes)))
            g.add_edges_from([(index[a], index[b], w) for a, b, w in p.edges])
            return g
        return run

    def ops(self, g, p, s, t, alpha):
        rx = self.rx
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        n = len(names)
        path = lambda result: p.index_path_weight(list(result[ti]))  # noqa: E731
        ops = {
            "dfs": lambda: frozenset([s] + [names[b] for _, b in rx.dfs_edges(g, si)]),
            "bfs": lambda: len(rx.dijkstra_shortest_paths(g, si, target=ti, default_weight=1.0)[ti]) - 1,
            "dijkstra": lambda: path(rx.dijkstra_shortest_paths(g, si, target=ti, weight_fn=float)),
            "astar": lambda: p.index_path_weight(list(rx.astar_shortest_path(
                g, si, lambda node: node == t, float, lambda node: 0.0))),
            "bellman_ford": lambda: path(rx.bellman_ford_shortest_paths(g, si, target=ti, weight_fn=float)),
            "degree": lambda: [float(g.out_degree(i) if p.directed else g.degree(i)) for i in range(n)],
            "betweenness": lambda: [v * (1.0 if p.directed else 2.0) for v in _values(
                rx.betweenness_centrality(g, normalized=False), n)],
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = lambda: partition(
                [[names[v] for v in c] for c in rx.strongly_connected_components(g)])
            ops["has_cycle"] = lambda: not rx.is_directed_acyclic_graph(g)
        else:
            ops["components"] = lambda: partition([[names[v] for v in c] for c in rx.connected_components(g)])
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = lambda: sum(
                w for _, _, w in rx.minimum_spanning_edges(g, weight_fn=float))
            if rx.is_connected(g):
                ops["closeness"] = lambda: [v / (n - 1) for v in _values(
                    rx.closeness_centrality(g, wf_improved=False), n)]
            ops["katz"] = lambda: _values(rx.katz_centrality(
                g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12), n)
        return ops


def _values(mapping, n):
    return [float(mapping[i]) for i in range(n)]


# ---------------------------------------------------------------------------
class NetworKit:
    name = "networkit"

    def __init__(self):
        import networkit
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

    def ops(self, g, p, s, t, alpha):
        nk = self.nk
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        n = len(names)

        def dfs():
            seen = []
            nk.graph.Traversal.DFSfrom(g, si, seen.append)
            return frozenset(names[v] for v in seen)

        hops = nk.graphtools.toUnweighted(g)  # the centralities count edges, not weights
        ops = {
            "dfs": dfs,
            "bfs": lambda: int(nk.distance.BFS(g, si, False, False, ti).run().getDistances()[ti]),
            "dijkstra": lambda: nk.distance.Dijkstra(g, si, False, False, ti).run().getDistances()[ti],
            "astar": lambda: nk.distance.AStar(g, [0.0] * n, si, ti, False).run().getDistance(),
            "degree": lambda: nk.centrality.DegreeCentrality(g, outDeg=True).run().scores(),
            # Already counts every undirected pair from both ends.
            "betweenness": lambda: nk.centrality.Betweenness(hops, normalized=False).run().scores(),
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = lambda: partition(
                [[names[v] for v in c] for c in nk.components.StronglyConnectedComponents(g).run().getComponents()])
        else:
            ops["components"] = lambda: partition(
                [[names[v] for v in c] for c in nk.components.ConnectedComponents(g).run().getComponents()])
            if nk.components.ConnectedComponents(g).run().numberOfComponents() == 1:
                ops["closeness"] = lambda: [v / (n - 1) for v in nk.centrality.Closeness(
                    hops, False, nk.centrality.ClosenessVariant.STANDARD).run().scores()]
        return ops


LIBRARIES = [Tarvel, NetworkX, IGraph, RustworkX, NetworKit]
