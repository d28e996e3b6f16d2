#!/usr/bin/env bash
# The quick loop while developing: rebuilds the module into .venv, builds
# and runs the C++ tests (plain build only, consumer projects included) and
# runs the Python tests on CPython 3.8. Arguments go to pytest.
#   bash scripts/dev.sh [-k EXPRESSION ...]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh" --cpp
export PATH="$ROOT/.venv/bin:$PATH"
cd "$ROOT"

jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S . -B build/cpp-plain -G Ninja -DTARVEL_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/cpp-plain -j "$jobs"
ctest --test-dir build/cpp-plain --output-on-failure -j "$jobs"
python -m pytest tests/python -q -p no:cacheprovider "$@"
