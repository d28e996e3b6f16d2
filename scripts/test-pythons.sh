#!/usr/bin/env bash
# The module on every supported CPython, 3.8 through 3.13 (pyenv's, or on
# PATH). The source distribution is made once; each interpreter gets a fresh
# virtual environment holding nothing but pip, builds a wheel from it there,
# with the Debian JSON package hidden, so that the build takes everything
# from PyPI, and installs that wheel. Then a smoke run (tests/smoke.py) on
# every interpreter. On the newest, 3.13, the same wheel also goes into a
# second fresh environment with networkx alone (no test tools, as a user
# has it), where the documented examples run (tests/python/doc_examples.py);
# then the whole Python test suite runs there (the test command runs it on
# 3.8 beside this), followed by networkx's own test suite with tarvel as its
# backend (tests/networkx_suite.py), whose output stays in
# build/pythons/networkx-suite.log. Last, the release wheel of 3.13, built
# by Zig's clang, installed where no compiler is found, with the documented
# examples and the Python test suite there (scripts/test-wheel.sh).
# TARVEL_TEST_LOAD=N runs N busy processes beside the Python tests on 3.13
# (scripts/load.sh).
# Each build fails on a warning in tarvel's own code
# (TARVEL_WARNINGS_AS_ERRORS), with that version's headers.
#   bash scripts/test-pythons.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=load.sh
source "$ROOT/scripts/load.sh"
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

# The documented examples where tarvel is installed as a user installs it:
# a fresh environment with the wheel and networkx (no requirement of
# tarvel's, so named explicitly, at the version the tests pin), nothing
# else; no test tool may be needed at run time.
documented_examples_alone() {
    local version="$1" wheel="$2" venv="$OUT/alone-$1" log="$OUT/alone-$1.log"
    "$(interpreter "$version")" -m venv "$venv"
    "$venv/bin/python" -m pip install -q -c "$ROOT/requirements-test.txt" "$wheel" networkx >"$log" 2>&1 ||
        { tail -n 30 "$log"; exit 1; }
    echo "== the documented examples on $("$venv/bin/python" -V) with tarvel and networkx alone; pip list:"
    "$venv/bin/python" -m pip list --disable-pip-version-check
    if "$venv/bin/python" -m pip list --disable-pip-version-check | grep -Eiq "^(pytest|hypothesis) "; then
        echo "a test tool is installed in $venv" >&2
        exit 1
    fi
    # The variable (networkx's, as docs/networkx-backend.md tells users)
    # keeps networkx's long warnings about its cached conversions out of the log.
    (cd "$OUT" && NETWORKX_WARNINGS_TO_IGNORE=cache "$venv/bin/python" "$ROOT/tests/python/doc_examples.py" \
        README.md docs/python-api.md docs/differences-from-networkx.md docs/networkx-backend.md)
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
    echo "== $("$venv/bin/python" -V): a wheel of $(basename "$sdist") installed in a fresh environment"
    without_system_json "$venv/bin/python" -m pip wheel -v --no-deps --config-settings=cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON -w "$OUT/wheel-$version" "$sdist" >"$log" 2>&1 ||
        { tail -n 40 "$log"; exit 1; }
    if ! grep -q "nlohmann_json 3.11.2: headers of the Python package" "$log"; then
        echo "the build did not take the JSON headers from the Python package nlohmann-json (see $log)" >&2
        exit 1
    fi
    wheel="$(ls "$OUT/wheel-$version"/tarvel-*.whl)"
    "$venv/bin/python" -m pip install -q --no-index "$wheel" >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
    (cd "$OUT" && "$venv/bin/python" "$ROOT/tests/smoke.py")
    if [ "$version" = "$WHOLE_SUITE" ]; then
        documented_examples_alone "$version" "$wheel"
        "$venv/bin/python" -m pip install -q -r "$ROOT/requirements-test.txt" >"$OUT/test-tools.log" 2>&1 ||
            { tail -n 30 "$OUT/test-tools.log"; exit 1; }
        echo "== Python tests on $("$venv/bin/python" -V)"
        # No subshell: the script's traps stop the busy processes on every way out.
        under_load env --chdir="$ROOT" "$venv/bin/python" -m pytest tests/python -q -p no:cacheprovider
        echo "== networkx's test suite through the tarvel backend on $("$venv/bin/python" -V)"
        started=$SECONDS
        (cd "$OUT" && "$venv/bin/python" "$ROOT/tests/networkx_suite.py") 2>&1 | tee "$OUT/networkx-suite.log"
        echo "(networkx's suite took $((SECONDS - started)) s)"
    fi
done

bash "$ROOT/scripts/test-wheel.sh"
