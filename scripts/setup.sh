#!/usr/bin/env bash
# Prepares what the tour and the tests need, on a fresh Debian machine too:
# system packages, a Python 3.8 virtual environment in .venv, and the module
# built from these sources and installed into it. Safe to run again.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv"
PYTHON_VERSION="$(cat "$ROOT/.python-version")"

# ---- system packages ---------------------------------------------------------
packages=(g++ clang nlohmann-json3-dev libgtest-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

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
"$VENV/bin/python" -m pip install -q --no-build-isolation "$ROOT"
"$VENV/bin/python" -c 'import tarvel' || { echo "the module did not build" >&2; exit 1; }
