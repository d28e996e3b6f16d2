"""Draws a road map with tarvel's answers on it: the shortest path between
two towns, the minimum spanning forest, and each town sized by its
betweenness. Needs matplotlib and networkx (for the drawing only).

    python examples/draw_map.py [GRAPH.json] [OUT.png]
"""
import os
import sys

import tarvel


def draw(roads, start, goal, out):
    """Saves the picture of `roads` (a tarvel.Graph) to `out`; returns its
    size in pixels (width, height)."""
    import matplotlib

    matplotlib.use("Agg")  # no screen needed
    import matplotlib.pyplot as plt
    import networkx as nx

    path = roads.shortestPath(start, goal, tarvel.DIJKSTRA, None)
    tree = {frozenset((e.source, e.destination)) for e in roads.minimumSpanningTree()}
    between = roads.betweennessCentrality()
    G = nx.Graph(roads.toNetworkx())  # one edge per pair of towns, for drawing
    on_path = {frozenset(pair) for pair in zip(path, path[1:])}
    # Each piece of the map laid out on its own, the pieces side by side.
    position, left = {}, 0.0
    pieces = sorted(nx.connected_components(G), key=len, reverse=True)
    for piece in pieces:
        scale = max(0.3, (len(piece) / len(pieces[0])) ** 0.5)  # small pieces drawn small
        placed = nx.spring_layout(G.subgraph(piece), seed=3, k=1.2, iterations=300, weight=None, scale=scale)
        width = max(x for x, _ in placed.values()) - min(x for x, _ in placed.values())
        low = min(x for x, _ in placed.values())
        for town, (x, y) in placed.items():
            position[town] = (left + x - low, y)
        left += width + 0.6

    figure, axes = plt.subplots(figsize=(8, 6), dpi=100)
    axes.set_axis_off()
    axes.set_title(f"Shortest path {start} to {goal} in red; minimum spanning forest solid;\n"
                   "towns sized by betweenness", fontsize=11)
    edges = list(G.edges())
    nx.draw_networkx_edges(G, position, ax=axes, edgelist=edges, width=[4 if frozenset(e) in on_path else 1.5
                                                                        for e in edges],
                           edge_color=["crimson" if frozenset(e) in on_path else "dimgray" for e in edges],
                           style=["solid" if frozenset(e) in tree else "dotted" for e in edges])
    nx.draw_networkx_edge_labels(G, position, ax=axes, font_size=8,
                                 edge_labels={(a, b): f"{w['weight']} km" for a, b, w in G.edges(data=True)})
    nx.draw_networkx_nodes(G, position, ax=axes, node_color="lightsteelblue",
                           node_size=[400 + 400 * between[town] for town in G])
    nx.draw_networkx_labels(G, position, ax=axes, font_size=9)
    figure.savefig(out)
    size = tuple(int(x) for x in figure.get_size_inches() * figure.dpi)
    plt.close(figure)
    return size


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "sample_graph.json")
    target = sys.argv[2] if len(sys.argv) > 2 else "roads.png"
    draw(tarvel.Graph.load(source), "Ashford", "Elmstead", target)
    print(os.path.abspath(target))
