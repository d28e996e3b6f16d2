"""The examples of the README and of every page under docs/ run and show
what they say; the tour shows the sample graph and answers that an
independent library confirms."""
import json
import os
import re
import subprocess
import sys

import networkx as nx
import pytest

import doc_examples

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE = os.path.join(ROOT, "examples", "sample_graph.json")


def readme():
    return doc_examples.read("README.md")


PAGES = ["README.md"] + sorted(os.path.join("docs", page) for page in os.listdir(os.path.join(ROOT, "docs"))
                               if page.endswith(".md"))


@pytest.mark.parametrize("page", PAGES)
def test_python_examples_show_their_results(page, tmp_path, monkeypatch):
    """Each page's examples run as one session, in a scratch folder."""
    monkeypatch.chdir(tmp_path)
    text = doc_examples.read(page)
    if doc_examples.NEEDS_DISPATCH in text and tuple(map(int, nx.__version__.split(".")[:2])) < (3, 4):
        pytest.skip("the examples use networkx's backends, which networkx %s does not have" % nx.__version__)
    _, failed = doc_examples.run(page, text)
    assert not failed, failed[0]


def tour_output():
    return subprocess.run([sys.executable, os.path.join(ROOT, "examples", "tour.py"), SAMPLE],
                          capture_output=True, text=True, check=True).stdout


def test_tour_output_is_the_readme_s():
    shown = re.search(r"then prints:\n\n```text\n(.*?)```", readme(), re.S).group(1)
    assert tour_output() == shown


def test_tour_lists_the_sample_and_answers_like_a_reference():
    out = tour_output()
    with open(SAMPLE, encoding="utf-8") as f:
        data = json.load(f)
    listed = re.findall(r"^  (\w+) +- (\w+) +(\d+) km$", out, re.M)
    assert [(a, b, int(w)) for a, b, w in listed] == [(e["src"], e["dest"], e["weight"]) for e in data["edges"]]
    ref = nx.Graph()
    ref.add_nodes_from(data["nodes"])
    ref.add_weighted_edges_from((e["src"], e["dest"], e["weight"]) for e in data["edges"])

    def answer(title):
        return eval(re.search(r"^%s +(.*)$" % re.escape(title), out, re.M).group(1))

    path = answer("DIJKSTRA")
    assert nx.path_weight(ref, path, "weight") == nx.dijkstra_path_length(ref, "Ashford", "Elmstead")
    assert len(answer("BFS")) - 1 == nx.shortest_path_length(ref, "Ashford", "Elmstead")
    forest = sum(w for _, _, w in answer("KRUSKAL"))
    assert forest == sum(w for _, _, w in answer("BORUVKA")) == nx.minimum_spanning_tree(ref).size("weight")
    assert sorted(map(sorted, answer("connected components"))) == sorted(map(sorted, nx.connected_components(ref)))
    assert answer("bipartite (no odd cycle)") == nx.is_bipartite(ref)
    assert "save" in out.lower() and answer("saved, loaded, same components") is True
