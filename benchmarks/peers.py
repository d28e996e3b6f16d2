"""One adapter per library: how each builds, loads and answers every question.

`ops` maps each operation to a pair (call, answer), or a triple (call,
answer, prepare): `call()` is what gets timed, the library's own function
and whatever turns its result into the form tarvel returns; `answer(result)`
turns that into a common form, so answers can be compared before any time
is recorded; `prepare()`, when given, runs untimed before every call (a
fresh graph for a library that would otherwise answer from a cache filled
by an earlier call).

What a timed call ends with, for every library:

- paths: a list of node names, start first;
- groups (components, strong components): a list of collections of names;
- a depth-first search: a list of names in its order;
- spanning trees: a list of (name, name, weight), tarvel's `Edge` objects;
- scores: each library's own result (`degree`), or a dict keyed by name
  (`degree_named` and the centralities of networkx and tarvel).

The common forms compared:

- partitions: a sorted tuple of sorted tuples of names;
- node sets: a frozenset of names;
- paths: the number of edges (breadth-first) or the total weight, of a path
  whose every step is an edge of the graph;
- spanning trees: the total weight;
- scores: a list in node order (one value per node).

A method that a library has no counterpart for is absent.
"""
import importlib.util
import math
import os
from operator import itemgetter

import tarvel

# One thread per library (the default of a run), or each library's own
# default threading ("all"), for the rows that compare parallel computations.
ONE_THREAD = os.environ.get("TARVEL_BENCH_THREADS", "one") == "one"
THREADS = 1 if ONE_THREAD else None
# PageRank's stopping rule for every library, tight enough that the answers
# agree to the check's 1e-6 once scaled by the node count (mean 1).
PAGERANK_TOL = 1e-13


def ranks(n, values):
    """PageRank values scaled by the node count, so that the check's absolute
    1e-6 is relative to the mean rank."""
    return [n * float(v) for v in values]

# tarvel's A* opt-in: the caller promises a consistent heuristic, and the
# search may stop at its goal. Rows with it are made when the installed
# module takes the keyword.
CONSISTENT = " (consistent=True)"


def partition(groups):
    return tuple(sorted(tuple(sorted(group)) for group in groups))


def tree_weight(edges):
    return sum(w for _, _, w in edges)


def layer_sizes(edges):
    """The number of nodes at each depth of a breadth-first tree given as
    its edges in search order: the same for every library, whatever order
    it takes a node's neighbours in."""
    depth = {edges[0][0]: 0} if edges else {}
    for u, v in edges:
        depth[v] = depth[u] + 1
    sizes = [0] * (max(depth.values(), default=-1) + 1)
    for d in depth.values():
        sizes[d] += 1
    return sizes


def tree_nodes(edges):
    """The nodes of a search tree given as its edges (the root, reached first)."""
    return frozenset([edges[0][0], *(v for _, v in edges)]) if edges else frozenset()


def generations(groups):
    return tuple(frozenset(group) for group in groups)


def row_totals(rows):
    """[pairs joined by a path, sum of their distances] of rows of
    distances by target (mappings, or lists with inf or a huge value where
    there is no path)."""
    pairs, total = 0, 0.0
    for row in rows:
        values = row.values() if hasattr(row, "values") else row
        finite = [d for d in values if d < 1e300]
        pairs += len(finite)
        total += float(sum(finite))
    return [float(pairs), total]


def matrix_totals(matrix):
    """row_totals of a dense numpy matrix, inf where there is no path."""
    import numpy
    finite = numpy.isfinite(matrix)
    return [float(finite.sum()), float(matrix[finite].sum())]


class Prepared:
    """A benchmark graph with what every adapter needs to know about it:
    its names and weighted edges, its files, and for a grid each node's
    (row, column)."""

    def __init__(self, name, directed, nodes, edges, json_path, tsv_path, nodes_path=None, coords=None):
        self.name, self.directed, self.nodes, self.edges = name, directed, nodes, edges
        self.json_path, self.tsv_path, self.nodes_path = json_path, tsv_path, nodes_path
        self.coords = coords
        self.index = {node: i for i, node in enumerate(nodes)}
        self.weight = {}
        for a, b, w in edges:
            self.weight[(a, b)] = w
            if not directed:
                self.weight[(b, a)] = w

    def path_weight(self, path):
        """The weight of a path of names; None when a step is no edge."""
        steps = [self.weight.get(step) for step in zip(path, path[1:])]
        return None if None in steps else sum(steps)

    def topological(self, order):
        """("topological", n) when the names are every node once, each edge
        leading forward; else None."""
        at = {node: k for k, node in enumerate(order)}
        if len(order) != len(self.nodes) or len(at) != len(order) or set(at) != set(self.nodes):
            return None
        return ("topological", len(order)) if all(at[a] < at[b] for a, b, _ in self.edges) else None

    def hops(self, path):
        """The number of edges of a path of names; None when a step is no edge."""
        return None if self.path_weight(path) is None else len(path) - 1

    def estimates(self, goal):
        """The A* estimate towards `goal` on a grid, written in Python: the
        Manhattan distance in rows and columns, which never exceeds the
        weight of a path (every weight is at least 1). By name and by index."""
        rows, cols = self.coords[goal]

        def by_name(name):
            r, c = self.coords[name]
            return abs(r - rows) + abs(c - cols)

        by_coords = [self.coords[name] for name in self.nodes]

        def by_index(v):
            r, c = by_coords[v]
            return abs(r - rows) + abs(c - cols)

        return by_name, by_index


def index_arrays(p, np):
    """The edges as numpy arrays of source and target indices and of weights
    (floats): the input of the builders that take arrays."""
    get = p.index.__getitem__
    m = len(p.edges)
    sources = np.fromiter(map(get, map(itemgetter(0), p.edges)), np.int64, m)
    targets = np.fromiter(map(get, map(itemgetter(1), p.edges)), np.int64, m)
    weights = np.fromiter(map(itemgetter(2), p.edges), np.float64, m)
    return sources, targets, weights


# ---------------------------------------------------------------------------
same = lambda result: result  # noqa: E731


def takes_consistent():
    """Whether this tarvel's shortestPath takes the keyword `consistent`."""
    g = tarvel.Graph(True)
    g.addNodes(["a", "b"])
    g.addEdge("a", "b", 1)
    try:
        g.shortestPath("a", "b", tarvel.A_STAR, lambda u, v: 0.0, consistent=True)
    except TypeError:
        return False
    return True


class Tarvel:
    name = "tarvel"

    def __init__(self):
        self.consistent = takes_consistent()

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
        path = lambda m, h=None, **kw: (lambda: g.shortestPath(s, t, m, h, **kw), p.path_weight)  # noqa: E731
        tree = lambda m: (lambda: g.minimumSpanningTree(m), tree_weight)  # noqa: E731
        ops = {
            "dfs": (lambda: g.iterativeDFS(s), frozenset),
            "bfs_edges": (lambda: g.breadthFirstEdges(s), layer_sizes),
            "dfs_edges": (lambda: [(u, v) for u, v, _ in g.depthFirstLabeledEdges(s, labels=("forward",))[1:]],
                          tree_nodes),
            "components": (g.connectedComponents, partition),
            "scc_tarjan": (lambda: g.stronglyConnectedComponents(tarvel.TARJAN), partition),
            "scc_kosaraju": (lambda: g.stronglyConnectedComponents(tarvel.KOSARAJU), partition),
            "has_cycle": (g.hasCycle, same),
            "node_coloring": (g.nodeColoring, scores),
            "bfs": (lambda: g.shortestPath(s, t, tarvel.BFS, None), p.hops),
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
            "betweenness_weighted": (lambda: g.betweennessCentrality(weighted=True, threads=THREADS), scores),
            "katz": (lambda: g.katzCentrality(alpha, 1.0, 10000, 1e-12, threads=THREADS), scores),
            "triangles": (g.triangles, scores),
            "clustering": (g.clustering, scores),
            "average_clustering": (g.averageClustering, same),
            "transitivity": (g.transitivity, same),
            "all_pairs_lengths": (lambda: g.distancesFromEach(p.nodes, tarvel.BFS, threads=THREADS), row_totals),
            "all_pairs_dijkstra": (lambda: g.distancesFromEach(p.nodes, tarvel.DIJKSTRA, threads=THREADS),
                                   row_totals),
            "pagerank": (lambda: g.pageRank(0.85, max_iterations=10000, tolerance=PAGERANK_TOL, weighted=True,
                                            threads=THREADS), lambda r: ranks(len(p.nodes), scores(r))),
            "harmonic": (lambda: g.harmonicCentrality(threads=THREADS), scores),
        }
        if len(g.distancesFromEach([s])[0]) == len(p.nodes):
            if not p.directed or len(g.stronglyConnectedComponents()) == 1:
                ops["diameter"] = (lambda: g.diameter(threads=THREADS), same)
                ops["diameter_weighted"] = (lambda: g.diameter(weighted=True, threads=THREADS), same)
        if p.coords is not None:
            estimate = p.estimates(t)[0]
            manhattan = lambda u, v: estimate(v)  # noqa: E731
            ops["astar_manhattan"] = path(tarvel.A_STAR, manhattan)
        if self.consistent:
            ops["astar" + CONSISTENT] = path(tarvel.A_STAR, zero, consistent=True)
            if p.coords is not None:
                ops["astar_manhattan" + CONSISTENT] = path(tarvel.A_STAR, manhattan, consistent=True)
        if p.directed and hasattr(g, "topologicalOrder"):
            ops["topological_order"] = (g.topologicalOrder, p.topological)
            ops["topological_generations"] = (g.topologicalGenerations, generations)
            ops["descendants"] = (lambda: g.descendants(s), frozenset)
            ops["ancestors"] = (lambda: g.ancestors(t), frozenset)
            ops["weak_components"] = (g.weaklyConnectedComponents, partition)
        return ops


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
        tree = lambda a: (  # noqa: E731
            lambda: [(u, v, d["weight"]) for u, v, d in nx.minimum_spanning_edges(g, algorithm=a, data=True)],
            tree_weight)
        factor = 1.0 if p.directed else 2.0
        n = len(p.nodes)
        ops = {
            "dfs": (lambda: list(nx.dfs_preorder_nodes(g, s)), frozenset),
            "bfs_edges": (lambda: list(nx.bfs_edges(g, s)), layer_sizes),
            "dfs_edges": (lambda: list(nx.dfs_edges(g, s)), tree_nodes),
            "bfs": (lambda: nx.shortest_path(g, s, t), p.hops),
            "dijkstra": (lambda: nx.dijkstra_path(g, s, t), p.path_weight),
            "astar": (lambda: nx.astar_path(g, s, t, heuristic=lambda u, v: 0.0), p.path_weight),
            "bellman_ford": (lambda: nx.bellman_ford_path(g, s, t), p.path_weight),
            "degree": (lambda: dict(g.out_degree() if p.directed else g.degree()), scores),
            "degree_named": (lambda: dict(g.out_degree() if p.directed else g.degree()), scores),
            "betweenness": (lambda: nx.betweenness_centrality(g, normalized=False),
                            lambda r: [factor * v for v in scores(r)]),
            "betweenness_weighted": (lambda: nx.betweenness_centrality(g, normalized=False, weight="weight"),
                                     lambda r: [factor * v for v in scores(r)]),
            "all_pairs_lengths": (lambda: dict(nx.all_pairs_shortest_path_length(g)),
                                  lambda r: row_totals(r.values())),
            "all_pairs_dijkstra": (lambda: dict(nx.all_pairs_dijkstra_path_length(g)),
                                   lambda r: row_totals(r.values())),
            "diameter": (lambda: nx.diameter(g), same),
            "diameter_weighted": (lambda: nx.diameter(g, weight="weight"), same),
        }
        if importlib.util.find_spec("scipy") is not None:  # networkx's PageRank runs on scipy
            ops["pagerank"] = (lambda: nx.pagerank(g, alpha=0.85, max_iter=10000, tol=PAGERANK_TOL),
                               lambda r: ranks(n, scores(r)))
        if p.coords is not None:
            estimate = p.estimates(t)[0]
            ops["astar_manhattan"] = (lambda: nx.astar_path(g, s, t, heuristic=lambda u, v: estimate(u)),
                                      p.path_weight)
        if p.directed:
            ops["scc_tarjan"] = (lambda: list(nx.strongly_connected_components(g)), partition)
            ops["scc_kosaraju"] = (lambda: list(nx.kosaraju_strongly_connected_components(g)), partition)
            ops["has_cycle"] = (lambda: not nx.is_directed_acyclic_graph(g), same)
            # The reference sums over the nodes pointing to a node; ours over
            # the nodes it points to: the same vector on the reversed graph.
            reversed_graph = g.reverse(copy=True)
            ops["katz"] = (lambda: nx.katz_centrality(reversed_graph, alpha=alpha, beta=1.0, max_iter=10000,
                                                      tol=1e-12), scores)
            # networkx sums the distances toward a node; ours from it.
            ops["harmonic"] = (lambda: nx.harmonic_centrality(reversed_graph), scores)
            ops["topological_order"] = (lambda: list(nx.topological_sort(g)), p.topological)
            ops["topological_generations"] = (lambda: list(nx.topological_generations(g)), generations)
            ops["descendants"] = (lambda: nx.descendants(g, s), frozenset)
            ops["ancestors"] = (lambda: nx.ancestors(g, t), frozenset)
            ops["weak_components"] = (lambda: list(nx.weakly_connected_components(g)), partition)
        else:
            ops["components"] = (lambda: list(nx.connected_components(g)), partition)
            ops["node_coloring"] = (lambda: nx.greedy_color(g, strategy=in_order), scores)
            ops["mst_kruskal"], ops["mst_prim"], ops["mst_boruvka"] = tree("kruskal"), tree("prim"), tree("boruvka")
            if nx.is_connected(g):
                # (n - 1) / sum of distances; ours is 1 / sum.
                ops["closeness"] = (lambda: nx.closeness_centrality(g, wf_improved=False),
                                    lambda r: [v / (n - 1) for v in scores(r)])
            ops["katz"] = (lambda: nx.katz_centrality(g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12), scores)
            ops["harmonic"] = (lambda: nx.harmonic_centrality(g), scores)
            ops["triangles"] = (lambda: nx.triangles(g), scores)
            ops["clustering"] = (lambda: nx.clustering(g), scores)
            ops["average_clustering"] = (lambda: nx.average_clustering(g), same)
            ops["transitivity"] = (lambda: nx.transitivity(g), same)
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
        named = lambda path: [names[v] for v in path]  # noqa: E731
        groups = lambda clusters: [[names[v] for v in c] for c in clusters]  # noqa: E731
        floats = lambda r: [float(v) for v in r]  # noqa: E731
        edges = p.edges  # edge ids are positions in the list the graph was built from
        # igraph's searches give the order and the parents (by node for bfs, by position in the order for
        # dfs): the tree edges in that order.
        bfs_tree = lambda order, parents: [(names[parents[v]], names[v]) for v in order[1:]]  # noqa: E731
        dfs_tree = lambda order, parents: [(names[parents[k]], names[order[k]])  # noqa: E731
                                           for k in range(1, len(order))]
        ops = {
            "dfs": (lambda: named(g.dfs(si, mode="out")[0]), frozenset),
            "bfs_edges": (lambda: bfs_tree(*g.bfs(si, mode="out")[::2]), layer_sizes),
            "dfs_edges": (lambda: dfs_tree(*g.dfs(si, mode="out")), tree_nodes),
            "bfs": (lambda: named(g.get_shortest_path(si, ti, mode="out")), p.hops),
            "dijkstra": (lambda: named(g.get_shortest_path(si, ti, weights="weight", mode="out",
                                                           algorithm="dijkstra")), p.path_weight),
            "astar": (lambda: named(g.get_shortest_path_astar(si, ti, lambda graph, v, goal: 0.0, weights="weight",
                                                              mode="out")), p.path_weight),
            "bellman_ford": (lambda: named(g.get_shortest_path(si, ti, weights="weight", mode="out",
                                                               algorithm="bellman_ford")), p.path_weight),
            "degree": (lambda: g.degree(mode="out"), floats),
            "degree_named": (lambda: dict(zip(names, g.degree(mode="out"))), lambda r: [float(r[v]) for v in names]),
            "closeness": (lambda: g.closeness(mode="out", normalized=False),
                          lambda r: [0.0 if math.isnan(v) else v for v in r]),
            "betweenness": (lambda: g.betweenness(directed=p.directed), lambda r: [factor * v for v in r]),
            "betweenness_weighted": (lambda: g.betweenness(directed=p.directed, weights="weight"),
                                     lambda r: [factor * v for v in r]),
            "all_pairs_lengths": (lambda: g.distances(mode="out"), row_totals),
            "all_pairs_dijkstra": (lambda: g.distances(weights="weight", mode="out", algorithm="dijkstra"),
                                   row_totals),
            # unconn=False: the longest path, infinite when some pair has none.
            "diameter": (lambda: g.diameter(directed=p.directed, unconn=False), same),
            "diameter_weighted": (lambda: g.diameter(directed=p.directed, unconn=False, weights="weight"), same),
            # An exact solve (PRPACK), dangling nodes spread evenly.
            "pagerank": (lambda: g.pagerank(directed=p.directed, damping=0.85, weights="weight"),
                         lambda r: ranks(len(names), r)),
            "harmonic": (lambda: g.harmonic_centrality(mode="out", normalized=False), floats),
        }
        if p.coords is not None:
            estimate = p.estimates(t)[1]
            ops["astar_manhattan"] = (
                lambda: named(g.get_shortest_path_astar(si, ti, lambda graph, v, goal: estimate(v), weights="weight",
                                                        mode="out")), p.path_weight)
        # igraph keeps answers such as is_dag and the components in a cache
        # of the graph: time them on a fresh graph each time.
        fresh = {}

        def prepare():
            fresh["g"] = self.ig.Graph(n=len(names), edges=g.get_edgelist(), directed=p.directed)

        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (
                lambda: groups(fresh["g"].connected_components(mode="strong")), partition, prepare)
            ops["has_cycle"] = (lambda: not fresh["g"].is_dag(), same, prepare)
            ops["topological_order"] = (lambda: named(g.topological_sorting(mode="out")), p.topological)
            ops["descendants"] = (lambda: [names[v] for v in g.subcomponent(si, mode="out") if v != si], frozenset)
            ops["ancestors"] = (lambda: [names[v] for v in g.subcomponent(ti, mode="in") if v != ti], frozenset)
            ops["weak_components"] = (lambda: groups(fresh["g"].connected_components(mode="weak")), partition,
                                      prepare)
        else:
            ops["components"] = (lambda: groups(fresh["g"].connected_components()), partition, prepare)
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = (
                lambda: [edges[e] for e in g.spanning_tree(weights="weight", return_tree=False)], tree_weight)
            # No count of triangles per node; coefficients 0 (not NaN) below two neighbors.
            ops["clustering"] = (lambda: g.transitivity_local_undirected(mode="zero"), same)
            ops["average_clustering"] = (lambda: g.transitivity_avglocal_undirected(mode="zero"), same)
            ops["transitivity"] = (lambda: g.transitivity_undirected(), same)
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
        named = lambda path: [names[v] for v in path]  # noqa: E731
        groups = lambda sets: [[names[v] for v in c] for c in sets]  # noqa: E731
        factor = 1.0 if p.directed else 2.0
        ops = {
            "dfs": (lambda: [s] + [names[b] for _, b in rx.dfs_edges(g, si)], frozenset),
            "dfs_edges": (lambda: [(names[a], names[b]) for a, b in rx.dfs_edges(g, si)], tree_nodes),
            "bfs": (lambda: named(rx.dijkstra_shortest_paths(g, si, target=ti, default_weight=1.0)[ti]), p.hops),
            "dijkstra": (lambda: named(rx.dijkstra_shortest_paths(g, si, target=ti, weight_fn=float)[ti]),
                         p.path_weight),
            "astar": (lambda: named(rx.astar_shortest_path(g, si, lambda node: node == t, float, lambda node: 0.0)),
                      p.path_weight),
            "bellman_ford": (lambda: named(rx.bellman_ford_shortest_paths(g, si, target=ti, weight_fn=float)[ti]),
                             p.path_weight),
            "degree": (lambda: [g.out_degree(i) if p.directed else g.degree(i) for i in range(n)],
                       lambda r: [float(v) for v in r]),
            "degree_named": (lambda: {names[i]: g.out_degree(i) if p.directed else g.degree(i) for i in range(n)},
                             lambda r: [float(r[v]) for v in names]),
            "betweenness": (lambda: rx.betweenness_centrality(g, normalized=False),
                            lambda r: [factor * v for v in values(r)]),
            # (its betweenness counts edges only: no weighted row)
            "all_pairs_lengths": (lambda: rx.distance_matrix(g, null_value=math.inf), matrix_totals),
            # Its rows leave out the source itself.
            "all_pairs_dijkstra": (lambda: rx.all_pairs_dijkstra_path_lengths(g, float),
                                   lambda r: [a + b for a, b in zip(row_totals(r.values()), [n, 0.0])]),
        }
        if p.coords is not None:
            estimate = p.estimates(t)[0]  # the node's payload is its name
            ops["astar_manhattan"] = (
                lambda: named(rx.astar_shortest_path(g, si, lambda node: node == t, float, estimate)), p.path_weight)
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (lambda: groups(rx.strongly_connected_components(g)), partition)
            ops["has_cycle"] = (lambda: not rx.is_directed_acyclic_graph(g), same)
            ops["topological_order"] = (lambda: named(rx.topological_sort(g)), p.topological)
            if hasattr(rx, "topological_generations"):
                ops["topological_generations"] = (lambda: [named(x) for x in rx.topological_generations(g)],
                                                  generations)
            ops["descendants"] = (lambda: named(rx.descendants(g, si)), frozenset)
            ops["ancestors"] = (lambda: named(rx.ancestors(g, ti)), frozenset)
            ops["weak_components"] = (lambda: groups(rx.weakly_connected_components(g)), partition)
            # (its PageRank takes directed graphs only)
            ops["pagerank"] = (lambda: rx.pagerank(g, alpha=0.85, weight_fn=float, max_iter=10000, tol=PAGERANK_TOL),
                               lambda r: ranks(n, values(r)))
        else:
            ops["components"] = (lambda: groups(rx.connected_components(g)), partition)
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = (
                lambda: [(names[a], names[b], w) for a, b, w in rx.minimum_spanning_edges(g, weight_fn=float)],
                tree_weight)
            if rx.is_connected(g):
                ops["closeness"] = (lambda: rx.closeness_centrality(g, wf_improved=False),
                                    lambda r: [v / (n - 1) for v in values(r)])
            ops["katz"] = (lambda: rx.katz_centrality(g, alpha=alpha, beta=1.0, max_iter=10000, tol=1e-12), values)
            ops["transitivity"] = (lambda: rx.transitivity(g), same)  # no per-node counts or coefficients
        return ops


# ---------------------------------------------------------------------------
class NetworKit:
    name = "networkit"

    def __init__(self):
        import networkit
        import numpy
        if ONE_THREAD:
            networkit.setNumberOfThreads(1)
        networkit.engineering.setLogLevel("ERROR")
        self.nk, self.np = networkit, numpy

    def build(self, p):
        def run():
            sources, targets, weights = index_arrays(p, self.np)
            g = self.nk.Graph(len(p.nodes), weighted=True, directed=p.directed)
            g.addEdges((weights, (sources, targets)))
            return g
        return run

    def build_calls(self, p):
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
        named = lambda path: [names[v] for v in path]  # noqa: E731
        groups = lambda lists: [[names[v] for v in c] for c in lists]  # noqa: E731
        hops = nk.graphtools.toUnweighted(g)  # the centralities count edges, not weights

        def dfs():
            seen = []
            nk.graph.Traversal.DFSfrom(g, si, seen.append)
            return named(seen)

        def pagerank():
            # Dangling nodes spread evenly, as the others spread them; its
            # tolerance bounds the L2 change.
            rank = nk.centrality.PageRank(g, damp=0.85, tol=PAGERANK_TOL, normalized=False,
                                          distributeSinks=nk.centrality.SinkHandling.DistributeSinks)
            rank.maxIterations = 10000
            return rank.run().scores()

        def astar(estimates):
            # The estimates are a vector by node, made for each search; the
            # path it keeps leaves out its two ends.
            search = nk.distance.AStar(g, estimates(), si, ti, True)
            search.run()
            return [s] + named(search.getPath()) + [t]

        ops = {
            "dfs": (dfs, frozenset),
            "bfs": (lambda: named(nk.distance.BFS(g, si, True, False, ti).run().getPath(ti)), p.hops),
            "dijkstra": (lambda: named(nk.distance.Dijkstra(g, si, True, False, ti).run().getPath(ti)),
                         p.path_weight),
            "astar": (lambda: astar(lambda: [0.0] * n), p.path_weight),
            "degree": (lambda: nk.centrality.DegreeCentrality(g, outDeg=True).run().scores(), same),
            "degree_named": (lambda: dict(zip(names, nk.centrality.DegreeCentrality(g, outDeg=True).run().scores())),
                             lambda r: [r[v] for v in names]),
            # Already counts every undirected pair from both ends.
            "betweenness": (lambda: nk.centrality.Betweenness(hops, normalized=False).run().scores(), same),
            # On the weighted graph it runs Dijkstra.
            "betweenness_weighted": (lambda: nk.centrality.Betweenness(g, normalized=False).run().scores(), same),
            "all_pairs_lengths": (lambda: nk.distance.APSP(hops).run().getDistances(), row_totals),
            "all_pairs_dijkstra": (lambda: nk.distance.APSP(g).run().getDistances(), row_totals),
            "diameter": (lambda: nk.distance.Diameter(hops, nk.distance.DiameterAlgo.EXACT).run().getDiameter()[0],
                         same),
            "pagerank": (lambda: pagerank(), lambda r: ranks(n, r)),
            "harmonic": (lambda: nk.centrality.HarmonicCloseness(hops, normalized=False).run().scores(), same),
        }
        if p.coords is not None:
            estimate = p.estimates(t)[1]
            ops["astar_manhattan"] = (lambda: astar(lambda: [estimate(v) for v in range(n)]), p.path_weight)
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (
                lambda: groups(nk.components.StronglyConnectedComponents(g).run().getComponents()), partition)
            ops["topological_order"] = (lambda: named(nk.graphtools.topologicalSort(g)), p.topological)
            ops["weak_components"] = (
                lambda: groups(nk.components.WeaklyConnectedComponents(g).run().getComponents()), partition)
        else:
            ops["components"] = (lambda: groups(nk.components.ConnectedComponents(g).run().getComponents()),
                                 partition)
            if nk.components.ConnectedComponents(g).run().numberOfComponents() == 1:
                ops["closeness"] = (lambda: nk.centrality.Closeness(
                    hops, False, nk.centrality.ClosenessVariant.STANDARD).run().scores(),
                    lambda r: [v / (n - 1) for v in r])
            # No count of triangles per node; its sequentialAvgLocal leaves out the nodes of degree below 2, so
            # the average is the mean of the coefficients.
            local = lambda: nk.centrality.LocalClusteringCoefficient(g, turbo=True).run().scores()  # noqa: E731
            ops["clustering"] = (local, same)
            ops["average_clustering"] = (lambda: float(self.np.mean(local())), same)
            ops["transitivity"] = (lambda: nk.globals.ClusteringCoefficient.exactGlobal(g), same)
        return ops


# ---------------------------------------------------------------------------
class SciPy:
    """scipy.sparse.csgraph on a CSR matrix of float weights, an undirected
    graph stored both ways (so that every call reads it as directed and
    nothing is made symmetric within a call)."""

    name = "scipy"

    def __init__(self):
        import numpy
        import scipy.sparse
        import scipy.sparse.csgraph
        self.np, self.sparse, self.cg = numpy, scipy.sparse, scipy.sparse.csgraph

    def build(self, p):
        np = self.np

        def run():
            sources, targets, weights = index_arrays(p, np)
            if not p.directed:
                sources, targets = np.concatenate([sources, targets]), np.concatenate([targets, sources])
                weights = np.concatenate([weights, weights])
            n = len(p.nodes)
            return self.sparse.csr_matrix((weights, (sources, targets)), shape=(n, n))
        return run

    def ops(self, g, p, s, t, alpha):
        np, cg = self.np, self.cg
        si, ti = p.index[s], p.index[t]
        names = p.nodes
        column = np.array(names, dtype=object)

        def path(predecessors):
            nodes = [ti]
            while nodes[-1] != si:
                nodes.append(int(predecessors[nodes[-1]]))
            return [names[v] for v in reversed(nodes)]

        def groups(labels):
            order = np.argsort(labels, kind="stable")
            ends = np.cumsum(np.bincount(labels))[:-1]
            return [part.tolist() for part in np.split(column[order], ends)]

        def tree():
            forest = cg.minimum_spanning_tree(g).tocoo()
            return list(zip(column[forest.row].tolist(), column[forest.col].tolist(),
                            forest.data.astype(np.int64).tolist()))

        ops = {
            "dfs": (lambda: column[cg.depth_first_order(g, si, directed=True, return_predecessors=False)].tolist(),
                    frozenset),
            "bfs": (lambda: path(cg.breadth_first_order(g, si, directed=True, return_predecessors=True)[1]),
                    p.hops),
            "dijkstra": (lambda: path(cg.dijkstra(g, directed=True, indices=si, return_predecessors=True)[1]),
                         p.path_weight),
            "bellman_ford": (lambda: path(cg.bellman_ford(g, directed=True, indices=si,
                                                          return_predecessors=True)[1]), p.path_weight),
            "degree": (lambda: np.diff(g.indptr), lambda r: [float(v) for v in r]),
            "degree_named": (lambda: dict(zip(names, np.diff(g.indptr).tolist())),
                             lambda r: [float(r[v]) for v in names]),
            "all_pairs_lengths": (lambda: cg.shortest_path(g, method="D", directed=True, unweighted=True),
                                  matrix_totals),
            "all_pairs_dijkstra": (lambda: cg.shortest_path(g, method="D", directed=True), matrix_totals),
        }
        if p.directed:
            ops["scc_tarjan"] = ops["scc_kosaraju"] = (
                lambda: groups(cg.connected_components(g, directed=True, connection="strong")[1]), partition)
        else:
            # Stored both ways, so its weak components are the components.
            ops["components"] = (
                lambda: groups(cg.connected_components(g, directed=True, connection="weak")[1]), partition)
            ops["mst_kruskal"] = ops["mst_prim"] = ops["mst_boruvka"] = (tree, tree_weight)
        return ops


LIBRARIES = [Tarvel, NetworkX, IGraph, RustworkX, NetworKit, SciPy]
PEERS = [cls.name for cls in LIBRARIES[1:]]
