"""Writes examples/sample_graph.json: a small road map between towns."""
import os

import tarvel

ROADS = [
    ("Ashford", "Brook", 7), ("Ashford", "Cliffe", 9), ("Ashford", "Fenwick", 14),
    ("Brook", "Cliffe", 10), ("Brook", "Dunmore", 15), ("Cliffe", "Dunmore", 11),
    ("Cliffe", "Fenwick", 2), ("Dunmore", "Elmstead", 6), ("Elmstead", "Fenwick", 9),
    ("Glenn", "Harrow", 3),
]

g = tarvel.Graph(False)
for town in ["Ashford", "Brook", "Cliffe", "Dunmore", "Elmstead", "Fenwick", "Glenn", "Harrow"]:
    g.addNode(town)
for a, b, km in ROADS:
    g.addEdge(a, b, km)
g.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample_graph.json"))
