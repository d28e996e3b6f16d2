#!/usr/bin/env bash
# Prepares what the tour and the tests need, on a fresh Debian machine too:
# the C++ compiler (with --cpp also GoogleTest and the JSON library's Debian
# package, for the C++ tests, the consumer projects and the fuzzers), a
# Python 3.8 virtual environment in .venv with requirements-dev.txt, and the
# module built from these sources and installed into it. Safe to run again.
#   bash scripts/setup.sh [--cpp]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv"
PYTHON_VERSION="$(cat "$ROOT/.python-version")"

# ---- system packages ---------------------------------------------------------
packages=(g++)
[ "${1:-}" = --cpp ] && packages+=(libgtest-dev nlohmann-json3-dev)
bash "$ROOT/scripts/apt-install.sh" "${packages[@]}"

# ---- Python 3.8 --------------------------------------------------------------
python="$(bash "$ROOT/scripts/find-python.sh" "$PYTHON_VERSION")"
if [ -z "$python" ]; then
    echo "Python $PYTHON_VERSION not found (looked in pyenv and on PATH)" >&2
    exit 1
fi

if ! "$VENV/bin/python" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 8))' 2>/dev/null; then
    rm -rf "$VENV"
    "$python" -m venv "$VENV"
    "$VENV/bin/python" -m pip install -q --upgrade pip
fi
"$VENV/bin/python" -m pip install -q -r "$ROOT/requirements-dev.txt"

# ---- the module ----------------------------------------------------------------
# Built as the tests build it: a warning in tarvel's own code fails it.
"$VENV/bin/python" -m pip install -q --no-build-isolation -C cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON "$ROOT"
"$VENV/bin/python" -c 'import tarvel' || { echo "the module did not build" >&2; exit 1; }
