"""A short tour of tarvel on a bundled road map (examples/sample_graph.json)."""
import json
import os
import sys
import tempfile

import tarvel


def show(title, value):
    print(f"{title:<34} {value}")


def main(path):
    roads = tarvel.Graph.load(path)
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    print(f"Loaded {os.path.basename(path)}: {'one-way' if data['directed'] else 'two-way'} roads")
    for edge in data["edges"]:
        print(f"  {edge['src']:<9} - {edge['dest']:<9} {edge['weight']:>3} km")
    print(f"  towns: {', '.join(data['nodes'])}")

    print("\nStructure")
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
    print("  (Prim grows one tree from Ashford, so the cut-off Glenn - Harrow road is not in it)")

    print("\nCentrality")
    for name in ("degreeCentrality", "closenessCentrality", "betweennessCentrality", "katzCentrality"):
        scores = getattr(roads, name)()
        show(name, {town: round(value, 3) for town, value in scores.items()})
    print("  (closeness counts only the towns a town reaches: Glenn and Harrow reach just each other,")
    print("   one road away, so they score highest)")

    print("\nOne-way streets")
    streets = tarvel.Graph(True)
    for corner in "ABCDE":
        streets.addNode(corner)
    for a, b in [("A", "B"), ("B", "C"), ("C", "A"), ("C", "D"), ("D", "E"), ("E", "D")]:
        streets.addEdge(a, b, 1)
    show("strongly connected (Tarjan)", streets.stronglyConnectedComponents())
    show("strongly connected (Kosaraju)", streets.stronglyConnectedComponents(tarvel.KOSARAJU))

    print("\nSave and load")
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, "streets.json")
        streets.save(copy)
        again = tarvel.Graph.load(copy)
        show("saved, loaded, same components", again.stronglyConnectedComponents() == streets.stronglyConnectedComponents())
        with open(copy, encoding="utf-8") as f:
            show("file begins", f.read(40).replace("\n", " "))


if __name__ == "__main__":
    arguments = [a for a in sys.argv[1:] if not a.startswith("--draw")]
    sample = arguments[0] if arguments else os.path.join(os.path.dirname(__file__), "sample_graph.json")
    main(sample)
    drawing = [a for a in sys.argv[1:] if a.startswith("--draw")]
    if drawing:  # --draw or --draw=OUT.png: the map with the answers on it
        from draw_map import draw

        out = drawing[0].partition("=")[2] or "roads.png"
        draw(tarvel.Graph.load(sample), "Ashford", "Elmstead", out)
        print(f"\nPicture of the map: {os.path.abspath(out)}")
