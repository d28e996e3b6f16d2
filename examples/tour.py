"""A short tour of tarvel on a bundled road map (examples/sample_graph.json)."""
import sys

import tarvel


def show(title, value):
    print(f"{title:<34} {value}")


def main(path):
    roads = tarvel.Graph.load(path)
    print(f"Loaded {path}\n")

    print("Structure")
    show("depth-first order from Ashford", roads.iterativeDFS("Ashford"))
    show("connected components", roads.connectedComponents())
    show("has a cycle", roads.hasCycle())
    show("greedy node colors", roads.nodeColoring())
    show("bipartite (no odd cycle)", roads.isBipartite())
    show("edge colors", roads.edgeColoring())

    print("\nShortest paths, Ashford to Elmstead")
    for method in (tarvel.BFS, tarvel.DIJKSTRA, tarvel.UNIFORM_COST_SEARCH, tarvel.BELLMAN_FORD):
        show(method.name, roads.shortestPath("Ashford", "Elmstead", method, None))
    show("A_STAR (zero heuristic)", roads.shortestPath("Ashford", "Elmstead", tarvel.A_STAR, lambda a, b: 0.0))
    show("no road to Harrow", roads.shortestPath("Ashford", "Harrow", tarvel.DIJKSTRA, None))

    print("\nSpanning forests (source, destination, km)")
    for method in (tarvel.KRUSKAL, tarvel.PRIM, tarvel.BORUVKA):
        tree = roads.minimumSpanningTree(method)
        show(method.name, [(e.getSource(), e.getDestination(), e.getWeight()) for e in tree])

    print("\nCentrality")
    for name in ("degreeCentrality", "closenessCentrality", "betweennessCentrality", "katzCentrality"):
        scores = getattr(roads, name)()
        show(name, {town: round(value, 3) for town, value in scores.items()})

    print("\nOne-way streets")
    streets = tarvel.Graph(True)
    for corner in "ABCDE":
        streets.addNode(corner)
    for a, b in [("A", "B"), ("B", "C"), ("C", "A"), ("C", "D"), ("D", "E"), ("E", "D")]:
        streets.addEdge(a, b, 1)
    show("strongly connected (Tarjan)", streets.stronglyConnectedComponents())
    show("strongly connected (Kosaraju)", streets.stronglyConnectedComponents(tarvel.KOSARAJU))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/sample_graph.json")
