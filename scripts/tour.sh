#!/usr/bin/env bash
# The tour: every operation of the library on the bundled road map, run on
# the newest supported CPython found (3.13, else 3.12, ... 3.8) in a virtual
# environment of its own (.venv-tour), with the module built by pip from
# these sources and nothing else installed. A repeated run builds again only
# when the sources changed.
#   bash scripts/tour.sh            # the tour
#   bash scripts/tour.sh --draw     # also a picture of the map with the answers on it
#                                   # (installs matplotlib and networkx into .venv-tour)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv-tour"
bash "$ROOT/scripts/apt-install.sh" g++

python=""
for version in 3.13 3.12 3.11 3.10 3.9 3.8; do
    python="$(bash "$ROOT/scripts/find-python.sh" "$version")"
    [ -n "$python" ] && break
done
if [ -z "$python" ]; then
    echo "no CPython 3.8 to 3.13 found (looked in pyenv and on PATH)" >&2
    exit 1
fi
wanted="$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')"
if [ "$("$VENV/bin/python" -c 'import sys; print("%d.%d" % sys.version_info[:2])' 2>/dev/null)" != "$wanted" ]; then
    rm -rf "$VENV"
    "$python" -m venv "$VENV"
fi
echo "Using $("$VENV/bin/python" -c 'import platform, sys; print("CPython", platform.python_version(), "at", sys.base_prefix)')"

# What the module is built from: when none of it changed, the build is kept.
inputs=()
for path in include bindings python stubs cmake CMakeLists.txt pyproject.toml; do
    [ -e "$ROOT/$path" ] && inputs+=("$path")
done
sources="$(cd "$ROOT" && find "${inputs[@]}" -type f | sort | xargs sha1sum | sha1sum | cut -d' ' -f1)"
if [ "$(cat "$VENV/.tarvel-sources" 2>/dev/null)" != "$sources" ]; then
    echo "Building tarvel for it with pip (a minute or two the first time)"
    "$VENV/bin/python" -m pip install -q --disable-pip-version-check "$ROOT"
    echo "$sources" > "$VENV/.tarvel-sources"
fi

arguments=("$ROOT/examples/sample_graph.json")
if [ "${1:-}" = --draw ]; then
    "$VENV/bin/python" -c 'import matplotlib, networkx' 2>/dev/null ||
        "$VENV/bin/python" -m pip install -q --disable-pip-version-check matplotlib networkx
    mkdir -p "$ROOT/build/tour"
    arguments+=("--draw=$ROOT/build/tour/roads.png")
fi
echo
"$VENV/bin/python" "$ROOT/examples/tour.py" "${arguments[@]}"
