"""The tour's picture: rendered without a screen, a PNG of the size asked
for (where matplotlib is installed)."""
import os
import struct
import sys

import pytest

import tarvel

pytest.importorskip("matplotlib")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "examples"))


def test_the_map_is_drawn_as_a_png(tmp_path, monkeypatch):
    from draw_map import draw

    monkeypatch.delenv("DISPLAY", raising=False)
    out = tmp_path / "roads.png"
    size = draw(tarvel.Graph.load(os.path.join(ROOT, "examples", "sample_graph.json")), "Ashford", "Elmstead", str(out))
    with open(out, "rb") as f:
        header = f.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n" and header[12:16] == b"IHDR"
    assert struct.unpack(">II", header[16:24]) == size == (800, 600)
