import pytest

import tarvel


def build(directed, nodes, edges=()):
    """A graph with `nodes` added in order and `edges` as (src, dest[, weight])."""
    g = tarvel.Graph(directed)
    for name in nodes:
        g.addNode(name)
    for edge in edges:
        g.addEdge(*edge)
    return g


@pytest.fixture
def make():
    return build
