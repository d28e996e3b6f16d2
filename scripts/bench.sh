#!/usr/bin/env bash
# Runs benchmarks/compare.py: tarvel against its peers on CPython 3.11, in a
# virtual environment of its own (.venv-bench), with the native rows: the
# floor and tarvel's C++ (benchmarks/floor/), built into build/floor and
# checked against the module first. Arguments go to compare.py (--tiny for
# a quick pass).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VENV="$ROOT/.venv-bench"
VERSION=3.11

# The compiler, and for a full run the WormNet edge list that comes with
# Debian's python3-networkx (the list alone is read: none of its
# recommendations; a tiny run reads no list).
bash "$ROOT/scripts/apt-install.sh" g++
tiny=false
case " $* " in
    *" --tiny "*) tiny=true ;;
    *) bash "$ROOT/scripts/apt-install.sh" --no-install-recommends python3-networkx ;;
esac

python="$(bash "$ROOT/scripts/find-python.sh" "$VERSION")"
[ -n "$python" ] || { echo "Python $VERSION not found" >&2; exit 1; }

if ! "$VENV/bin/python" -c "import sys; sys.exit(sys.version_info[:2] != (3, 11))" 2>/dev/null; then
    rm -rf "$VENV"
    "$python" -m venv "$VENV"
fi
"$VENV/bin/python" -m pip install -q -r "$ROOT/benchmarks/requirements.txt"
"$VENV/bin/python" -m pip install -q --no-build-isolation "$ROOT"

floor="$ROOT/build/floor"
bash "$ROOT/benchmarks/floor/build.sh" "$floor" >/dev/null
if $tiny; then
    "$VENV/bin/python" "$ROOT/benchmarks/floor/check.py" "$floor" 100 100000
else
    "$VENV/bin/python" "$ROOT/benchmarks/floor/check.py" "$floor"
fi
OMP_NUM_THREADS=1 RAYON_NUM_THREADS=1 "$VENV/bin/python" "$ROOT/benchmarks/compare.py" --floor "$floor" "$@"
