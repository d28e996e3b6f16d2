#!/usr/bin/env bash
# Builds the module from the same sources for CPython 3.11 and runs the
# Python tests with it, in a virtual environment of its own (.venv-311).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv-311"
bash "$ROOT/scripts/setup.sh" >/dev/null   # system packages

python="$(bash "$ROOT/scripts/find-python.sh" 3.11)"
if [ -z "$python" ]; then
    echo "no CPython 3.11 on this machine: skipping the 3.11 run"
    exit 0
fi
if ! "$VENV/bin/python" -c "import sys; sys.exit(sys.version_info[:2] != (3, 11))" 2>/dev/null; then
    rm -rf "$VENV"
    "$python" -m venv "$VENV"
fi
"$VENV/bin/python" -m pip install -q -r "$ROOT/requirements-dev.txt"
"$VENV/bin/python" -m pip install -q --no-build-isolation "$ROOT"
cd "$ROOT"
echo "== Python tests on $("$VENV/bin/python" -V)"
"$VENV/bin/python" -m pytest tests/python -q -p no:cacheprovider
