#!/usr/bin/env bash
# Runs every test: the C++ tests (plain, then under AddressSanitizer and
# UndefinedBehaviorSanitizer) with ctest, and the Python tests with pytest.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
export PATH="$ROOT/.venv/bin:$PATH"
cd "$ROOT"

jobs="$(nproc 2>/dev/null || echo 2)"
for variant in plain sanitize; do
    dir="build/cpp-$variant"
    flags=(-DTARVEL_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
    [ "$variant" = sanitize ] && flags=(-DTARVEL_BUILD_TESTS=ON -DTARVEL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== C++ tests ($variant)"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

echo "== Python tests"
python -m pytest tests/python -q
