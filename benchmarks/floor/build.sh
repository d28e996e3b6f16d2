#!/usr/bin/env bash
# Builds the benchmark's two native libraries into a folder (build/floor by
# default): libfloor.so, the plain CSR floor, and libtarvel_native.so,
# tarvel's headers behind the same interface. Both with the flags of
# tarvel's Release build, so that their times compare; one compiler at a
# time.
#   bash benchmarks/floor/build.sh [FOLDER]
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
OUT="${1:-$ROOT/build/floor}"
mkdir -p "$OUT"

flags=(-std=c++17 -O3 -DNDEBUG -ffp-contract=off -fPIC -shared -Wall -Wextra -Wconversion -Werror)
"${CXX:-g++}" "${flags[@]}" -o "$OUT/libfloor.so" "$HERE/floor.cpp"
"${CXX:-g++}" "${flags[@]}" -I "$ROOT/include" -o "$OUT/libtarvel_native.so" "$HERE/tarvel_native.cpp"
echo "$OUT"
