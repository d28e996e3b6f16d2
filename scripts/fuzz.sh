#!/usr/bin/env bash
# Builds the graph-file fuzzer with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (leak checking included) and runs it for a
# bounded time on the seed corpus in tests/fuzz/corpus.
#   bash scripts/fuzz.sh [seconds]     (default 60)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_TO_RUN="${1:-60}"
OUT="$ROOT/build/fuzz"
mkdir -p "$OUT/corpus"
if ! command -v clang++ >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang >/dev/null
fi
clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$ROOT/include" "$ROOT/tests/fuzz/load_fuzzer.cpp" -o "$OUT/load_fuzzer"
echo "== fuzzing the graph-file loader for ${SECONDS_TO_RUN}s"
status=0
"$OUT/load_fuzzer" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$OUT/" "$OUT/corpus" "$ROOT/tests/fuzz/corpus" >"$OUT/fuzz.log" 2>&1 || status=$?
grep -E "^(Done|stat::number_of_executed_units|==[0-9]+==|SUMMARY|artifact)" "$OUT/fuzz.log" || true
if [ "$status" -ne 0 ]; then
    tail -n 40 "$OUT/fuzz.log"
    echo "the fuzzer found a fault (exit $status); the input is saved under $OUT/"
fi
exit "$status"
