"""The shipped type stubs match the module and type-check real use."""
import os
import subprocess
import sys

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
pytest.importorskip("mypy")


def run(*args, cwd=None):
    return subprocess.run([sys.executable, "-m", *args], capture_output=True, text=True, cwd=cwd)


def test_stubs_match_the_module(tmp_path):
    result = run("mypy.stubtest", "tarvel", "--allowlist", os.path.join(ROOT, "stubs", "stubtest-allowlist.txt"),
                 cwd=str(tmp_path))
    assert result.returncode == 0, result.stdout + result.stderr


def test_typed_example_passes_strict_checking(tmp_path):
    result = run("mypy", "--strict", "--cache-dir", str(tmp_path / "cache"),
                 os.path.join(ROOT, "examples", "typed_usage.py"), cwd=str(tmp_path))
    assert result.returncode == 0, result.stdout + result.stderr


def test_misuse_is_caught(tmp_path):
    bad = tmp_path / "bad.py"
    bad.write_text(
        "import tarvel\n"
        "g = tarvel.Graph(True)\n"
        "g.shortestPath('a', 'b', 3, None)\n"           # a plain int is no method
        "g.addEdge('a', 'b', 2.5)\n"                     # weights are integers
        "x: int = g.degreeCentrality()['a']\n"           # scores are floats
        "tarvel.Graph.load('f').iterativeDFS(start='a')\n"  # positional only
    )
    result = run("mypy", "--strict", "--cache-dir", str(tmp_path / "cache"), str(bad), cwd=str(tmp_path))
    assert result.returncode == 1
    assert [line.split(":")[1] for line in result.stdout.splitlines() if ": error:" in line] == ["3", "4", "5", "6"]
