#!/usr/bin/env bash
# The module on every supported CPython, 3.8 through 3.13 (pyenv's, or on
# PATH). The source distribution is made once; each interpreter gets a fresh
# virtual environment holding nothing but pip and installs it from there,
# with the Debian JSON package hidden, so that the build takes everything
# from PyPI. Then a smoke run (tests/smoke.py) on every interpreter, and the
# whole Python test suite on the newest, 3.13 (the test command runs it on
# 3.8 beside this), followed there by networkx's own test suite with tarvel
# as its backend (tests/networkx_suite.py). Each build fails on a warning in
# tarvel's own code (TARVEL_WARNINGS_AS_ERRORS), with that version's headers.
#   bash scripts/test-pythons.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/build/pythons"
VERSIONS=(3.8 3.9 3.10 3.11 3.12 3.13)
WHOLE_SUITE=3.13

interpreter() {
    local found
    found="$(bash "$ROOT/scripts/find-python.sh" "$1")"
    [ -n "$found" ] || { echo "CPython $1 not found (looked in pyenv's versions and on PATH)" >&2; exit 1; }
    echo "$found"
}

# Runs a command that cannot see the Debian JSON package: in a private mount
# namespace its header and CMake directories are empty, so neither CMake nor
# the compiler finds them. Where no namespace can be made, CMake alone is
# told not to look for the package (the compiler's search path keeps
# /usr/include, behind the PyPI headers' directory).
without_system_json() {
    if unshare --mount --propagation private true 2>/dev/null; then
        unshare --mount --propagation private bash -c '
            for dir in /usr/include/nlohmann /usr/share/cmake/nlohmann_json; do
                if [ -d "$dir" ]; then mount -t tmpfs tmpfs "$dir" || exit 1; fi
            done
            exec "$@"' hide "$@"
    else
        echo "(no mount namespace here: CMake is told not to look for the JSON package)"
        SKBUILD_CMAKE_DEFINE="CMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON" "$@"
    fi
}

rm -rf "$OUT"
mkdir -p "$OUT"

echo "== source distribution"
"$(interpreter 3.8)" -m venv "$OUT/sdist-tools"
"$OUT/sdist-tools/bin/python" -m pip install -q build >"$OUT/sdist-tools.log" 2>&1 ||
    { tail -n 30 "$OUT/sdist-tools.log"; exit 1; }
"$OUT/sdist-tools/bin/python" -m build --sdist --outdir "$OUT/dist" "$ROOT" >"$OUT/sdist.log" 2>&1 ||
    { tail -n 30 "$OUT/sdist.log"; exit 1; }
sdist="$(ls "$OUT"/dist/tarvel-*.tar.gz)"
echo "$(basename "$sdist")"

for version in "${VERSIONS[@]}"; do
    venv="$OUT/venv-$version"
    log="$OUT/install-$version.log"
    "$(interpreter "$version")" -m venv "$venv"
    echo "== $("$venv/bin/python" -V): pip install $(basename "$sdist") in a fresh environment"
    without_system_json "$venv/bin/python" -m pip install -v -C cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON "$sdist" >"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
    if ! grep -q "nlohmann_json 3.11.2: headers of the Python package" "$log"; then
        echo "the build did not take the JSON headers from the Python package nlohmann-json (see $log)" >&2
        exit 1
    fi
    (cd "$OUT" && "$venv/bin/python" "$ROOT/tests/smoke.py")
    if [ "$version" = "$WHOLE_SUITE" ]; then
        "$venv/bin/python" -m pip install -q -r "$ROOT/requirements-test.txt" >"$OUT/test-tools.log" 2>&1 ||
            { tail -n 30 "$OUT/test-tools.log"; exit 1; }
        echo "== Python tests on $("$venv/bin/python" -V)"
        (cd "$ROOT" && "$venv/bin/python" -m pytest tests/python -q -p no:cacheprovider)
        echo "== networkx's test suite through the tarvel backend on $("$venv/bin/python" -V)"
        started=$SECONDS
        (cd "$OUT" && "$venv/bin/python" "$ROOT/tests/networkx_suite.py")
        echo "(networkx's suite took $((SECONDS - started)) s)"
    fi
done
