#!/usr/bin/env bash
# A short tour of the library on the bundled sample graph.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
"$ROOT/.venv/bin/python" "$ROOT/examples/tour.py" "$ROOT/examples/sample_graph.json"
