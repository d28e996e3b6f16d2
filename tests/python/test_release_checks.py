"""The checks of the release script: the wheels' tags (scripts/wheel_tags.py)
and the PATH without a compiler that the wheels are installed under
(scripts/no-compiler.sh)."""
import importlib.util
import os
import subprocess

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
VERSIONS = ["3.8", "3.9", "3.10", "3.11", "3.12", "3.13"]


def load_wheel_tags():
    found = importlib.util.spec_from_file_location("wheel_tags", os.path.join(ROOT, "scripts", "wheel_tags.py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


wheel_tags = load_wheel_tags()


def wheel(version, platform="manylinux2014_x86_64.manylinux_2_17_x86_64", abi=None):
    python = "cp" + version.replace(".", "")
    return "tarvel-0.1.0-%s-%s-%s.whl" % (python, abi or python, platform)


def release():
    return [wheel(version) for version in VERSIONS]


def test_tags_of_compressed_sets_and_build_numbers():
    assert wheel_tags.tags(wheel("3.13")) == (["cp313"], ["cp313"], ["manylinux2014_x86_64", "manylinux_2_17_x86_64"])
    assert wheel_tags.tags("tarvel-0.1.0-1-cp38-cp38-linux_x86_64.whl") == (["cp38"], ["cp38"], ["linux_x86_64"])
    for name in ["tarvel-0.1.0.tar.gz", "tarvel-0.1.0-cp38-cp38.whl", "a-b-c-d-e-f-g.whl"]:
        with pytest.raises(ValueError):
            wheel_tags.tags(name)


def test_a_whole_release_has_no_problem():
    assert wheel_tags.problems(release(), VERSIONS) == []
    # Order does not matter, and a subset asked for is whole with its wheels alone.
    assert wheel_tags.problems(list(reversed(release())), VERSIONS) == []
    assert wheel_tags.problems([wheel("3.13")], ["3.13"]) == []


@pytest.mark.parametrize("change, named", [
    # A wheel pip would install only on the machine that built it.
    (lambda names: names[:5] + [wheel("3.13", "linux_x86_64")], ["linux_x86_64", "not tagged manylinux2014"]),
    # Tagged for a newer glibc only: refused by the machines the release promises.
    (lambda names: names[:5] + [wheel("3.13", "manylinux_2_28_x86_64")], ["not tagged manylinux2014"]),
    (lambda names: names[:5] + [wheel("3.13", "manylinux2014_x86_64.linux_x86_64")], ["tagged linux_x86_64"]),
    (lambda names: names[1:], ["0 wheels for cp38"]),
    (lambda names: names + [wheel("3.8", "manylinux2014_x86_64")], ["2 wheels for cp38"]),
    (lambda names: names + [wheel("3.14")], ["cp314, which was not asked for"]),
    (lambda names: names[:5] + [wheel("3.13", abi="abi3")], ["ABI abi3 is not cp313's"]),
    (lambda names: names + ["tarvel-0.1.0.whl"], ["not a wheel's name"]),
])
def test_each_fault_is_named(change, named):
    found = wheel_tags.problems(change(release()), VERSIONS)
    assert found, "no problem found"
    for words in named:
        assert any(words in problem for problem in found), (words, found)


def test_the_command_exits_1_on_a_problem_and_0_on_a_whole_release(tmp_path, capsys):
    for name in release():
        (tmp_path / name).write_bytes(b"")
    (tmp_path / "tarvel-0.1.0.tar.gz").write_bytes(b"")
    assert wheel_tags.main(str(tmp_path), VERSIONS) == 0
    listed = capsys.readouterr().out.splitlines()
    assert len(listed) == len(VERSIONS) and all("manylinux2014_x86_64" in line for line in listed)
    empty = tmp_path / "empty"
    empty.mkdir()
    assert wheel_tags.main(str(empty), []) == 1  # no version asked: nothing was checked
    assert wheel_tags.main(str(empty), ["3.13"]) == 1
    (tmp_path / wheel("3.10")).unlink()
    (tmp_path / wheel("3.10", "linux_x86_64")).write_bytes(b"")
    assert wheel_tags.main(str(tmp_path), VERSIONS) == 1
    assert "cp310" in capsys.readouterr().err


COMPILERS = ["cc", "c++", "gcc", "g++", "g++-12", "gcc-12", "clang", "clang++", "clang-14", "clang++-14",
             "x86_64-linux-gnu-g++-12", "x86_64-linux-gnu-gcc", "c89", "c99-gcc"]
OTHERS = ["ls", "cmake", "gcc-ar-12", "x86_64-linux-gnu-gcc-ar-12", "clang-format-14", "c++filt", "ccache", "occ"]


def no_compiler_path(target, *folders):
    script = 'source "$0/scripts/no-compiler.sh" && no_compiler_path "$@"'
    return subprocess.run(["bash", "-c", script, ROOT, str(target)] + [str(f) for f in folders],
                          capture_output=True, text=True)


def make_commands(folder, names, text="#!/bin/sh\n"):
    folder.mkdir()
    for name in names:
        (folder / name).write_text(text)
        (folder / name).chmod(0o755)


def test_the_path_without_a_compiler_keeps_every_other_command(tmp_path):
    make_commands(tmp_path / "first", COMPILERS + OTHERS, "#!/bin/sh\necho first\n")
    make_commands(tmp_path / "second", ["ls", "python3", "g++-13"], "#!/bin/sh\necho second\n")
    (tmp_path / "second" / "notes.txt").write_text("not a command")
    done = no_compiler_path(tmp_path / "bin", tmp_path / "first", tmp_path / "second")
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == str(tmp_path / "bin")
    assert sorted(os.listdir(tmp_path / "bin")) == sorted(OTHERS + ["python3"])
    # The first folder holding a name wins, as on a PATH.
    assert os.readlink(tmp_path / "bin" / "ls") == str(tmp_path / "first" / "ls")

