#!/usr/bin/env bash
# The release wheel as a user without a compiler gets it, on the newest
# CPython (3.13), called by scripts/test-pythons.sh: scripts/wheels.sh
# builds the manylinux2014 wheel (Zig's clang, LLVM's libc++) into
# build/pythons/wheel/dist; a fresh environment gets it under a PATH where
# no C or C++ compiler is found (g++, c++, cc, gcc, clang: checked and
# shown), with pip's --no-index --only-binary=:all:, so that pip cannot fall
# back to a source distribution, and the installed tarvel must be that
# wheel (its WHEEL record names the manylinux2014 tag). There, with networkx
# alone beside it, the documented examples run (tests/python/doc_examples.py;
# the environment's `pip list` is shown), then, the test tools added as
# binary wheels, the whole Python test suite, the differential tests
# against plain references included.
# One interpreter, not the six: the wheels differ only in the Python
# headers they are compiled against, and each build of the module by Zig's
# clang takes minutes of the two cores; the matrix would add more than
# the whole step takes now (scripts/wheels.sh builds and smoke-runs all six
# for a release).
# With a wheel file named, that wheel is checked instead (a release's, on
# the interpreter of its tag), and nothing is built.
# TARVEL_TEST_LOAD=N runs N busy processes beside the Python tests (scripts/load.sh).
#   bash scripts/test-wheel.sh [WHEEL]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=load.sh
source "$ROOT/scripts/load.sh"
# shellcheck source=no-compiler.sh
source "$ROOT/scripts/no-compiler.sh"
OUT="$ROOT/build/pythons/wheel"
VERSION=3.13
PAGES=(README.md docs/python-api.md docs/differences-from-networkx.md docs/networkx-backend.md)

started=$SECONDS
rm -rf "$OUT"
mkdir -p "$OUT"
if [ $# -gt 0 ]; then
    wheel="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    python_tag="$(basename "$wheel" | cut -d- -f3)"  # cp313
    VERSION="${python_tag:2:1}.${python_tag:3}"
else
    TARVEL_DIST="$OUT/dist" TARVEL_WHEELS_BUILD="$OUT/build" bash "$ROOT/scripts/wheels.sh" "$VERSION"
    wheel="$(ls "$OUT"/dist/tarvel-*-cp"${VERSION/./}"-*manylinux2014_x86_64*.whl)"
fi
echo "== checking $(basename "$wheel")"

python="$(bash "$ROOT/scripts/find-python.sh" "$VERSION")"
venv="$OUT/clean"
"$python" -m venv "$venv"
bare="$(no_compiler_path "$OUT/no-compiler-bin")"
# Everything below sees this PATH and no CC or CXX.
in_clean() { env -u CC -u CXX -u TARVEL_ZIG PATH="$venv/bin:$bare" "$@"; }

echo "== $(in_clean python -V) in a fresh environment without a compiler"
for name in g++ c++ cc gcc clang; do
    if found="$(in_clean bash -c 'command -v "$0"' "$name")"; then
        echo "compiler check: $name found at $found" >&2
        exit 1
    fi
    echo "compiler check: command -v $name finds nothing"
done
log="$OUT/install.log"
in_clean python -m pip install --disable-pip-version-check --no-index --only-binary=:all: "$wheel" >"$log" 2>&1 ||
    { tail -n 20 "$log"; exit 1; }
in_clean python -m pip install --disable-pip-version-check --only-binary=:all: -c "$ROOT/requirements-test.txt" \
    networkx >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
(cd "$OUT" && in_clean python - "$venv" <<'EOF'
import importlib.metadata, os, sys
import tarvel
tags = [line.split(": ", 1)[1] for line in importlib.metadata.distribution("tarvel").read_text("WHEEL").splitlines()
        if line.startswith("Tag: ")]
print("installed:", os.path.relpath(tarvel.__file__, sys.argv[1]), "tags", ", ".join(tags))
if not any(tag.endswith("-manylinux2014_x86_64") for tag in tags):
    sys.exit("the installed tarvel is not the manylinux2014 wheel")
if not os.path.realpath(tarvel.__file__).startswith(os.path.realpath(sys.argv[1]) + os.sep):
    sys.exit("tarvel was imported from outside the environment: " + tarvel.__file__)
EOF
)
echo "== the documented examples with the wheel and networkx alone; pip list:"
in_clean python -m pip list --disable-pip-version-check
# A page that uses networkx's backends waits for networkx 3.4 (a release
# wheel of an older interpreter gets an older networkx).
pages=()
for page in "${PAGES[@]}"; do
    if grep -qF "<!-- examples need networkx 3.4 or later -->" "$ROOT/$page" && ! in_clean python -c \
        'import sys, networkx; sys.exit(tuple(map(int, networkx.__version__.split(".")[:2])) < (3, 4))'; then
        echo "$page: not run, networkx before 3.4 has no backends"
        continue
    fi
    pages+=("$page")
done
(cd "$OUT" && NETWORKX_WARNINGS_TO_IGNORE=cache in_clean python "$ROOT/tests/python/doc_examples.py" "${pages[@]}")

in_clean python -m pip install --disable-pip-version-check --only-binary=:all: -r "$ROOT/requirements-test.txt" \
    >"$OUT/test-tools.log" 2>&1 || { tail -n 30 "$OUT/test-tools.log"; exit 1; }
echo "== Python tests on the wheel"
under_load env --chdir="$ROOT" -u CC -u CXX -u TARVEL_ZIG PATH="$venv/bin:$bare" \
    python -m pytest tests/python -q -p no:cacheprovider
echo "(the wheel's step took $((SECONDS - started)) s)"
