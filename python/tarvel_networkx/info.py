"""What networkx learns about the tarvel backend when it is imported (the
entry point networkx.backend_info): the functions tarvel answers and their
extra keywords. Imports nothing but the standard library, on every Python
tarvel supports: networkx 3.2 and 3.3 load it too, and dispatch to backends
only from 3.4 on, so before that it declares no function."""
import re
import sys

FUNCTIONS = (
    # structure
    "has_path", "connected_components", "number_connected_components", "is_connected", "node_connected_component",
    "strongly_connected_components", "number_strongly_connected_components", "is_strongly_connected",
    "is_directed_acyclic_graph", "is_bipartite",
    # order and reach
    "topological_sort", "lexicographical_topological_sort", "topological_generations", "ancestors", "descendants",
    "weakly_connected_components", "number_weakly_connected_components", "is_weakly_connected",
    # lengths
    "shortest_path_length", "dijkstra_path_length", "bellman_ford_path_length", "single_source_shortest_path_length",
    "single_source_dijkstra_path_length", "single_source_bellman_ford_path_length",
    # paths
    "shortest_path", "dijkstra_path", "bellman_ford_path", "single_source_shortest_path",
    "single_source_dijkstra_path", "single_source_bellman_ford_path", "single_source_dijkstra",
    "single_source_bellman_ford",
    # centralities
    "degree_centrality", "in_degree_centrality", "out_degree_centrality", "closeness_centrality",
    "betweenness_centrality", "katz_centrality",
    # spanning forests
    "minimum_spanning_tree", "minimum_spanning_edges",
    # triangles and clustering
    "triangles", "clustering", "average_clustering", "transitivity",
    # link analysis and harmonic centrality
    "pagerank", "harmonic_centrality",
    # local queries
    "bidirectional_shortest_path", "ego_graph",
    # searches from several sources
    "multi_source_dijkstra_path_length", "multi_source_dijkstra", "multi_source_dijkstra_path",
    # edge traversals and cycles
    "edge_dfs", "edge_bfs", "find_cycle", "has_cycle",
)
# all pairs and the eccentricity family
DISTANCES = ("all_pairs_shortest_path_length", "all_pairs_dijkstra_path_length", "eccentricity", "diameter", "radius",
             "center", "periphery")
FUNCTIONS += DISTANCES

THREADED_ONLY = DISTANCES  # threads=, no progress=
THREADED = (
    "closeness_centrality", "betweenness_centrality", "katz_centrality", "pagerank", "harmonic_centrality",
)

PATH_NOTE = "A shortest path; among equally short ones possibly another than networkx's."
TREE_NOTE = "A minimum spanning forest by Kruskal's method; among equally light ones possibly another than networkx's."
NOTES = {
    "shortest_path": PATH_NOTE,
    "dijkstra_path": PATH_NOTE,
    "bellman_ford_path": PATH_NOTE,
    "single_source_shortest_path": PATH_NOTE,
    "single_source_dijkstra_path": PATH_NOTE,
    "single_source_bellman_ford_path": PATH_NOTE,
    "single_source_dijkstra": PATH_NOTE,
    "single_source_bellman_ford": PATH_NOTE,
    "multi_source_dijkstra": PATH_NOTE,
    "multi_source_dijkstra_path": PATH_NOTE,
    "minimum_spanning_tree": TREE_NOTE,
    "minimum_spanning_edges": TREE_NOTE,
    "harmonic_centrality": "Within rounding of networkx's numbers: the same distances, their reciprocals added "
                           "in another order.",
    "betweenness_centrality": "Within 2(V - 1) * 2**-53 of networkx's numbers, relatively; k draws networkx's "
                              "sources from the same seed; zero weights are answered by networkx.",
}

EXTRA = {
    "threads": "How many threads compute (None: every usable core); the numbers are the same for any count.",
    "progress": "A callable called a few times a second with (done, total); what it raises stops the computation.",
}


def dispatching(version):
    """Whether a networkx of this version dispatches to backends (3.4 on)."""
    found = re.match(r"(\d+)\.(\d+)", version or "")
    return found is not None and (int(found.group(1)), int(found.group(2))) >= (3, 4)


def _networkx_version():
    module = sys.modules.get("networkx")
    version = getattr(module, "__version__", None)
    if version is None:
        try:
            from importlib.metadata import version as installed
            version = installed("networkx")
        except Exception:
            version = ""
    return version


def get_info():
    info = {
        "backend_name": "tarvel",
        "project": "tarvel",
        "package": "tarvel",
        "short_summary": "Exact, deterministic graph algorithms written in C++.",
        "functions": {},
    }
    if dispatching(_networkx_version()):
        for name in FUNCTIONS:
            entry = {}
            if name in NOTES:
                entry["additional_docs"] = NOTES[name]
            if name in THREADED:
                entry["additional_parameters"] = dict(EXTRA)
            elif name in THREADED_ONLY:
                entry["additional_parameters"] = {"threads": EXTRA["threads"]}
            info["functions"][name] = entry
    return info
