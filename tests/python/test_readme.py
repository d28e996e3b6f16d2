"""The README's examples run and show what they say; the tour shows the
sample graph and answers that an independent library confirms."""
import doctest
import json
import os
import re
import subprocess
import sys

import networkx as nx

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE = os.path.join(ROOT, "examples", "sample_graph.json")


def readme():
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        return f.read()


def test_python_examples_show_their_results(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    blocks = re.findall(r"```python\n(.*?)```", readme(), re.S)
    examples = [b for b in blocks if ">>>" in b]
    assert examples
    for block in examples:
        test = doctest.DocTestParser().get_doctest(block, {}, "README", "README.md", 0)
        runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
        runner.run(test)
        assert runner.failures == 0, block


def tour_output():
    return subprocess.run([sys.executable, os.path.join(ROOT, "examples", "tour.py"), SAMPLE],
                          capture_output=True, text=True, check=True).stdout


def test_tour_output_is_the_readme_s():
    shown = re.search(r"`bash scripts/tour.sh` prints:\n\n```text\n(.*?)```", readme(), re.S).group(1)
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
