#!/usr/bin/env bash
# The Python test suite on CPython 3.8 (the module installed in .venv by
# scripts/setup.sh) beside busy processes, RUNS times (default 1), each
# with its pytest summary line; every run is made, failed ones too. TARVEL_TEST_LOAD sets the number of busy
# processes (default here 4). Arguments after the count go to pytest.
#   TARVEL_TEST_LOAD=4 bash scripts/test-python-load.sh [RUNS] [pytest arguments]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TARVEL_TEST_LOAD="${TARVEL_TEST_LOAD:-4}"
# shellcheck source=load.sh
source "$ROOT/scripts/load.sh"
cd "$ROOT"

runs=1
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    runs="$1"
    shift
fi
failed=0
for ((run = 1; run <= runs; run++)); do
    echo "== Python tests beside $TARVEL_TEST_LOAD busy processes, run $run of $runs"
    under_load "$ROOT/.venv/bin/python" -m pytest tests/python -q -p no:cacheprovider "$@" || failed=$((failed + 1))
done
[ "$failed" -eq 0 ] || { echo "$failed of $runs runs failed" >&2; exit 1; }
