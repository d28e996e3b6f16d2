"""Typed use of tarvel; checked with `mypy --strict` against the shipped stubs."""
from typing import Dict, List, Tuple

import tarvel


def towns() -> tarvel.Graph:
    g = tarvel.Graph(False)
    for town in ("Ashford", "Brook", "Cliffe"):
        g.addNode(town)
    g.addEdge("Ashford", "Brook", 7)
    g.addEdge(src="Brook", dest="Cliffe", weight=10)
    return g


def summary(g: tarvel.Graph) -> Tuple[List[str], Dict[str, float], List[Tuple[str, str, int]]]:
    path: List[str] = g.shortestPath("Ashford", "Cliffe", tarvel.DIJKSTRA, None)
    guided = g.shortestPath("Ashford", "Cliffe", heuristic=lambda a, b: 0.0)
    assert path == guided
    scores: Dict[str, float] = g.betweennessCentrality()
    colors: Dict[Tuple[str, str], int] = g.edgeColoring()
    assert len(colors) == 2
    tree = [(e.getSource(), e.getDestination(), e.getWeight()) for e in g.minimumSpanningTree(tarvel.PRIM)]
    length: int = g.pathWeight(path)
    roads: List[Tuple[str, int]] = g.neighbors("Brook")
    assert "Cliffe" in g and g.nodes() == ["Ashford", "Brook", "Cliffe"] and len(roads) == 2 and length == 17
    return path, scores, tree


if __name__ == "__main__":
    print(summary(towns()))
